#pragma once

// A byte-level writer for hand-made SOLUC tables in the shapes the timetable
// program may write them, including those the engine cannot create.

#include "base/Cp1252.h"
#include "support/TestSupport.h"

#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tmq::test {

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
