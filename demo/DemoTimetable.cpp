#include "demo/DemoTimetable.h"

#include "base/Cp1252.h"
#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "tables/DbfTable.h"
#include "tables/FileNames.h"
#include "tables/SlotKey.h"
#include "tables/TableLayouts.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string_view>

namespace tmq {

namespace {

// Teacher codes of PROFT in record order, each once; empty codes left out.
std::vector<std::string> readTeachers(const std::filesystem::path& folder)
{
    DbfTable table("PROFT");
    table.open(folder, "PROFT");
    std::vector<std::string> teachers;
    for (table.first(); !table.eof(); table.next()) {
        std::string abrev = table.asText("ABREV");
        if (!abrev.empty() && std::find(teachers.begin(), teachers.end(), abrev) == teachers.end())
            teachers.push_back(std::move(abrev));
    }
    return teachers;
}

// The slots of DIASHORAST that the import can find again, each once,
// sorted by day and period.
std::vector<WeekSlot> readSlots(const std::filesystem::path& folder)
{
    DbfTable table("DIASHORAST");
    table.open(folder, "DIASHORAST");
    std::set<std::pair<int, int>> seen;
    for (table.first(); !table.eof(); table.next())
        if (const auto slot = slotFromName(table.asText("DIHO")))
            seen.insert({slot->day, slot->hour});
    std::vector<WeekSlot> slots;
    for (const auto& [day, hour] : seen)
        slots.push_back({day, hour});
    return slots;
}

std::vector<Assignment> readAssignments(const std::filesystem::path& folder)
{
    DbfTable table("ASIGT");
    table.open(folder, "ASIGT");
    std::vector<Assignment> assignments;
    for (table.first(); !table.eof(); table.next()) {
        // The export never stores HORAS below 1; a table from elsewhere may.
        const double hours = std::max(1.0, table.asFloat("HORAS"));
        assignments.push_back({table.asText("CASIG"), table.asText("CGRUP"), table.asText("CAULA"),
                               static_cast<int>(std::min(std::ceil(hours), 1000.0))});
    }
    return assignments;
}

void writeSoluc(const std::filesystem::path& folder, const std::vector<SolucRow>& rows)
{
    DbfTable::removeFiles(folder, "SOLUC");
    DbfTable table("SOLUC");
    table.create(folder, "SOLUC", solucLayout());
    table.open(folder, "SOLUC");
    for (const SolucRow& row : rows) {
        table.append();
        table.setText("PROF", row.prof);
        table.setText("ASIG", row.asig);
        table.setFloat("DIA", row.dia);
        table.setFloat("HORA", row.hora);
        table.setText("AULA", row.aula);
        table.setText("CODGRUPO", row.codgrupo);
        table.post();
    }
    table.close();
}

std::string describe(const Assignment& assignment, std::size_t number)
{
    return "asignación " + std::to_string(number) + " de ASIGT (asignatura '" +
           cp1252ToUtf8(assignment.subject) + "', grupo '" + cp1252ToUtf8(assignment.group) +
           "', aula '" + cp1252ToUtf8(assignment.room) + "')";
}

} // namespace

std::optional<WeekSlot> slotFromName(const std::string& diho)
{
    if (const std::optional<SlotPlace> place = readSlotKey(diho))
        return WeekSlot{place->weekday + 1, place->period};
    return std::nullopt;
}

DemoTimetableCommand::DemoTimetableCommand(std::filesystem::path workingFolder)
    : workingFolder_(std::move(workingFolder))
{
}

void DemoTimetableCommand::read(const std::string& /*chosenFile*/)
{
    const std::filesystem::path& folder = workingFolder_;
    // The working folder may hold the timetable program's own SOLUC, the
    // result of its work: a stand-in never replaces it.
    if (const auto existing = findFileNamedLike(folder, "SOLUC.DBF"))
        throw Error("Ya hay un horario en '" + pathToUtf8(*existing) +
                    "': el horario de prueba no lo reemplaza; bórrelo antes si también es "
                    "de prueba");
    const std::vector<std::string> teachers = readTeachers(folder);
    const std::vector<WeekSlot> slots = readSlots(folder);
    const std::vector<Assignment> assignments = readAssignments(folder);

    DemoTimetable result;
    std::vector<int> sessionNumber(assignments.size(), 0);
    for (const PlacedLesson& lesson : placeLessons(teachers, slots, assignments)) {
        const Assignment& assignment = assignments[lesson.assignment];
        result.rows.push_back({lesson.teacher, assignment.subject, lesson.slot.day,
                               lesson.slot.hour, assignment.room, assignment.group});
        const int session = ++sessionNumber[lesson.assignment];
        if (!lesson.placed)
            result.unplaced.push_back("Sin colocar: sesión " + std::to_string(session) + " de " +
                                      std::to_string(assignment.sessions) + " de la " +
                                      describe(assignment, lesson.assignment + 1) + ": " +
                                      lesson.reason);
    }
    timetable_ = std::move(result);
}

void DemoTimetableCommand::write()
{
    writeSoluc(workingFolder_, timetable_.rows);
}

std::string DemoTimetableCommand::doneMessage() const
{
    const std::size_t placed = timetable_.rows.size() - timetable_.unplaced.size();
    return "SOLUC escrito (horario de prueba): " + std::to_string(placed) +
           (placed == 1 ? " sesión colocada, " : " sesiones colocadas, ") +
           std::to_string(timetable_.unplaced.size()) + " sin colocar";
}

} // namespace tmq
