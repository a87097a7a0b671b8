#pragma once

#include "demo/LessonPlacer.h"
#include "frame/CommandFrame.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tmq {

// One row of SOLUC: a lesson's teacher, subject, weekday, period, room and
// group, texts in Windows-1252. Day and hour 0 for a lesson left without a
// place, which the import passes over.
struct SolucRow {
    std::string prof;
    std::string asig;
    int dia = 0;
    int hora = 0;
    std::string aula;
    std::string codgrupo;
};

// What the stand-in timetable wrote, and the sessions it could not place.
struct DemoTimetable {
    std::vector<SolucRow> rows;        // in SOLUC's record order
    std::vector<std::string> unplaced; // one Spanish line (UTF-8) per session
};

// A stand-in for the timetable program, not a timetable solver, as the frame
// runs it: reads ASIGT, PROFT and DIASHORAST as the export wrote them in the
// working folder, gives every assignment ceil(HORAS) sessions placed by
// placeLessons(), and writes them as SOLUC there. An existing SOLUC, which
// may be the timetable program's own, is never replaced: that is an error.
// Sessions without a place are written with day 0 and listed in `unplaced`.
class DemoTimetableCommand : public Command {
public:
    explicit DemoTimetableCommand(std::filesystem::path workingFolder);

    bool readsDocument() const override { return false; }
    void read(const std::string& chosenFile) override;
    void write() override;
    std::filesystem::path workingFolder() const override { return workingFolder_; }
    bool busyWhileReading() const override { return false; }
    // "SOLUC escrito (horario de prueba): 43 sesiones colocadas, 0 sin colocar".
    std::string doneMessage() const override;

    // What was placed, once read.
    const DemoTimetable& timetable() const { return timetable_; }

private:
    std::filesystem::path workingFolder_;
    DemoTimetable timetable_;
};

// The time slot, day 1 for Monday, a DIASHORAST name stands for when the
// import can find it again (readSlotKey()); nothing for any other name.
std::optional<WeekSlot> slotFromName(const std::string& diho);

} // namespace tmq
