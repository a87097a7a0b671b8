#pragma once

// A stand-in for the timetable program: it reads the tables the export wrote
// and leaves a SOLUC table beside them, as the program does after building a
// timetable. Also a byte-level writer for hand-made SOLUC tables in the
// shapes the program may write them, including those the engine cannot create.

#include "core/Cp1252.h"
#include "support/TestSupport.h"
#include "tables/DbfTable.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tmq::test {

// One lesson of SOLUC; texts as the tables hold them (Windows-1252).
struct Lesson {
    std::string prof;
    std::string asig;
    int dia = 0; // 0: the lesson found no place
    int hora = 0;
    std::string aula;
    std::string codgrupo;
};

// How the stand-in gives the assignments their teachers.
enum class TeacherChoice {
    RoundRobin, // assignment i to teacher i modulo the number of teachers
    BySubject,  // every assignment of a subject to the same teacher
};

// Builds a timetable from ASIGT, PROFT and DIASHORAST in `folder` and writes
// it as SOLUC there: each assignment's HORAS rounded up as lessons, each in
// the first time slot (DIASHORAST order) where neither its group nor its
// teacher has one yet. The first assignment gets one lesson more, left
// without a place (DIA 0). Returns the rows written, in record order.
inline std::vector<Lesson> runTimetableStandIn(const std::filesystem::path& folder,
                                               TeacherChoice choice = TeacherChoice::RoundRobin)
{
    std::vector<std::string> teachers;
    {
        DbfTable proft;
        proft.open(folder, "PROFT");
        for (proft.first(); !proft.eof(); proft.next())
            teachers.push_back(proft.asText("ABREV"));
    }
    if (teachers.empty())
        throw std::runtime_error("stand-in: PROFT has no teachers");

    struct Slot {
        int dia;
        int hora;
    };
    std::vector<Slot> slots;
    {
        static constexpr std::string_view kLetters = "LMXJVSD";
        DbfTable tramos;
        tramos.open(folder, "DIASHORAST");
        for (tramos.first(); !tramos.eof(); tramos.next()) {
            const std::string diho = tramos.asText("DIHO");
            if (diho.size() < 2 || kLetters.find(diho[0]) == std::string_view::npos)
                continue;
            int hora = 0;
            const auto [end, error] =
                std::from_chars(diho.data() + 1, diho.data() + diho.size(), hora);
            if (error != std::errc() || end != diho.data() + diho.size())
                continue;
            slots.push_back({static_cast<int>(kLetters.find(diho[0])) + 1, hora});
        }
    }

    std::vector<Lesson> lessons;
    std::set<std::pair<std::string, std::size_t>> groupBusy;
    std::set<std::pair<std::string, std::size_t>> teacherBusy;
    std::map<std::string, std::string> subjectTeacher;
    std::size_t nextTeacher = 0;
    {
        DbfTable asigt;
        asigt.open(folder, "ASIGT");
        bool firstAssignment = true;
        for (asigt.first(); !asigt.eof(); asigt.next()) {
            const std::string subject = asigt.asText("CASIG");
            std::string teacher;
            if (choice == TeacherChoice::BySubject) {
                auto [known, added] = subjectTeacher.try_emplace(subject);
                if (added)
                    known->second = teachers[nextTeacher++ % teachers.size()];
                teacher = known->second;
            } else {
                teacher = teachers[nextTeacher++ % teachers.size()];
            }
            Lesson lesson{teacher, subject, 0, 0, asigt.asText("CAULA"), asigt.asText("CGRUP")};

            const auto count = static_cast<int>(std::ceil(asigt.asFloat("HORAS")));
            for (int i = 0; i < count; ++i) {
                Lesson placed = lesson;
                for (std::size_t s = 0; s < slots.size(); ++s) {
                    if (groupBusy.count({lesson.codgrupo, s}) || teacherBusy.count({teacher, s}))
                        continue;
                    groupBusy.insert({lesson.codgrupo, s});
                    teacherBusy.insert({teacher, s});
                    placed.dia = slots[s].dia;
                    placed.hora = slots[s].hora;
                    break;
                }
                lessons.push_back(placed);
            }
            if (firstAssignment)
                lessons.push_back(lesson);
            firstAssignment = false;
        }
    }

    DbfTable soluc;
    soluc.create(folder, "SOLUC",
                 {{"PROF", FieldType::Text, 4},
                  {"ASIG", FieldType::Text, 4},
                  {"DIA", FieldType::Integer, 0},
                  {"HORA", FieldType::Integer, 0},
                  {"AULA", FieldType::Text, 4},
                  {"CODGRUPO", FieldType::Text, 4}});
    soluc.open(folder, "SOLUC");
    for (const Lesson& lesson : lessons) {
        soluc.append();
        soluc.setText("PROF", lesson.prof);
        soluc.setText("ASIG", lesson.asig);
        soluc.setFloat("DIA", lesson.dia);
        soluc.setFloat("HORA", lesson.hora);
        soluc.setText("AULA", lesson.aula);
        soluc.setText("CODGRUPO", lesson.codgrupo);
        soluc.post();
    }
    soluc.close();
    return lessons;
}

// A field of a hand-made table, by its stored type letter.
struct RawField {
    std::string name;
    char type = 'C';
    int width = 0;
    int decimals = 0;
};

// A record of a hand-made table: one text per field, in UTF-8; numbers as
// they are to be stored ("2.5", " 3"), binary I fields as decimal text.
struct RawRecord {
    std::vector<std::string> values;
    bool deleted = false;
};

// The header a hand-made table gets.
enum class DbfLevel {
    DBase3,       // version byte 0x03
    VisualFoxPro, // version byte 0x30, field offsets and the 263-byte backlink area
};

// The bytes of a table file holding exactly these fields and records.
inline std::string dbfImage(const std::vector<RawField>& fields,
                            const std::vector<RawRecord>& records,
                            DbfLevel level = DbfLevel::DBase3)
{
    const auto putLittleEndian = [](std::string& out, std::size_t at, std::uint32_t value,
                                    int bytes) {
        for (int i = 0; i < bytes; ++i)
            out[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    const bool fox = level == DbfLevel::VisualFoxPro;
    std::size_t recordLength = 1;
    for (const RawField& field : fields)
        recordLength += static_cast<std::size_t>(field.width);
    const std::size_t headerLength = 32 + 32 * fields.size() + 1 + (fox ? 263 : 0);

    std::string out(headerLength, '\0');
    out[0] = static_cast<char>(fox ? 0x30 : 0x03);
    out[1] = 124; // 2024-06-01
    out[2] = 6;
    out[3] = 1;
    putLittleEndian(out, 4, static_cast<std::uint32_t>(records.size()), 4);
    putLittleEndian(out, 8, static_cast<std::uint32_t>(headerLength), 2);
    putLittleEndian(out, 10, static_cast<std::uint32_t>(recordLength), 2);
    out[29] = 0x03; // Windows-1252

    std::size_t offset = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const RawField& field = fields[i];
        const std::size_t at = 32 + 32 * i;
        out.replace(at, field.name.size(), field.name);
        out[at + 11] = field.type;
        if (fox)
            putLittleEndian(out, at + 12, static_cast<std::uint32_t>(offset), 4);
        out[at + 16] = static_cast<char>(field.width);
        out[at + 17] = static_cast<char>(field.decimals);
        offset += static_cast<std::size_t>(field.width);
    }
    out[32 + 32 * fields.size()] = 0x0D;

    for (const RawRecord& record : records) {
        if (record.values.size() != fields.size())
            throw std::invalid_argument("dbfImage: one value per field");
        out += record.deleted ? '*' : ' ';
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const RawField& field = fields[i];
            const auto width = static_cast<std::size_t>(field.width);
            const std::string& value = record.values[i];
            if (field.type == 'I') {
                std::string bytes(4, '\0');
                if (!value.empty())
                    putLittleEndian(bytes, 0, static_cast<std::uint32_t>(std::stoi(value)), 4);
                out += bytes;
            } else if (field.type == 'C') {
                std::string text = utf8ToCp1252(value).substr(0, width);
                out += text + std::string(width - text.size(), ' ');
            } else {
                if (value.size() > width)
                    throw std::invalid_argument("dbfImage: number wider than its field");
                out += std::string(width - value.size(), ' ') + value;
            }
        }
    }
    out += '\x1A';
    return out;
}

// Writes NAME.DBF in `folder` from dbfImage().
inline void writeRawTable(const std::filesystem::path& folder, const std::string& name,
                          const std::vector<RawField>& fields,
                          const std::vector<RawRecord>& records, DbfLevel level = DbfLevel::DBase3)
{
    writeFile(folder / (name + ".DBF"), dbfImage(fields, records, level));
}

// SOLUC's six fields, DIA and HORA of the given type: 'N' (3,0), 'F' (3,0),
// 'I' (binary, 4) or 'C' (3).
inline std::vector<RawField> solucFields(char dayHourType = 'N')
{
    const int width = dayHourType == 'I' ? 4 : 3;
    return {{"PROF", 'C', 4},
            {"ASIG", 'C', 4},
            {"DIA", dayHourType, width},
            {"HORA", dayHourType, width},
            {"AULA", 'C', 4},
            {"CODGRUPO", 'C', 4}};
}

} // namespace tmq::test
