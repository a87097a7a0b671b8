#pragma once

#include "timetable/ImportJoins.h"
#include "timetable/ImportTables.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace tmq {

// The week the import would send, as the timetable page shows it: every
// teacher, subject, time slot, group and room with its name and codes as
// HTML text, every lesson with its place in the week, and what did not pass.
struct TimetableView {
    // The cell of a lesson whose weekday and hour are no cell of the grid.
    static constexpr std::uint32_t kOutside = UINT32_MAX;

    // A teacher, subject, time slot, group or room as the page names it.
    struct Entity {
        std::string name;     // HTML: the name its table gives it, or its code
        std::string codes;    // HTML: "Aula A1, DEPCENTRO A101", or what is missing
        std::string cell;     // HTML, in a cell: the name, or what is missing, marked
        std::string code;     // HTML: the code SOLUC writes, "A1"
        // HTML: the code and the value the import sends, "A1→A101", or
        // "X9 (sin valor)" when missing; ready-made for every lesson box
        std::string codeAndSent;
        bool missing = false; // a code of SOLUC that its table lacks
    };

    // The kinds of grid, one grid per entity of the kind.
    enum class Kind { Teacher, Group, Room };

    struct Lesson {
        std::uint32_t teacher = 0;
        std::uint32_t subject = 0;
        std::uint32_t slot = 0;
        std::uint32_t group = 0;
        std::uint32_t room = 0;
        std::uint32_t cell = kOutside; // row * columns + column
        int hour = 0;
        std::int8_t weekday = -1; // 0 for Monday; -1 for none
        int soluc = 0;            // the row of SOLUC, from 0
    };

    // A row of the grids: one hour of the week.
    struct Hour {
        int hour = 0;
        std::string times; // HTML, "08:15–09:10"; empty when DIASHORAST gives none
    };

    // The SOLUC rows with DIA 0 of one teacher, passed over.
    struct Unplaced {
        std::uint32_t teacher = 0;
        std::vector<int> rows;
    };

    // A code of SOLUC missing from its table, and how many lessons carry it.
    struct Unmatched {
        ImportJoins::Partner partner = ImportJoins::Partner::Subject;
        std::uint32_t entity = 0;
        std::uint32_t lessons = 0;
    };

    // Two or more lessons of one teacher, group or room in one time slot.
    struct Clash {
        Kind kind = Kind::Teacher;
        std::uint32_t entity = 0;
        std::vector<std::uint32_t> lessons; // in reading order
    };

    // One grid's lessons cell by cell: cell c holds order[start[c]] up to
    // order[start[c + 1]], in reading order; the lessons outside the grid
    // come last, by weekday and hour.
    struct Cells {
        std::vector<std::uint32_t> order;
        std::vector<std::uint32_t> start; // one per cell, then the outside ones, then the end

        std::span<const std::uint32_t> of(std::size_t cell) const
        {
            return std::span<const std::uint32_t>(order).subspan(start[cell],
                                                                 start[cell + 1] - start[cell]);
        }
    };

    std::vector<int> weekdays; // the columns, 0 for Monday
    std::vector<Hour> hours;   // the rows
    // The slot of each cell, or -1 where DIASHORAST has none.
    std::vector<std::int32_t> cellSlots;
    std::size_t slotRows = 0; // the rows of DIASHORAST

    std::vector<Entity> teachers; // one per employee list, in order
    std::vector<Entity> subjects;
    std::vector<Entity> timeSlots;
    std::vector<Entity> groups; // the groups of GRUPOST, then the codes it lacks
    std::vector<Entity> rooms;  // the same for AULAT
    std::vector<Lesson> lessons;

    std::vector<Unplaced> unplaced;
    std::map<std::string, int> withoutTeacher; // PROF code (Windows-1252), rows
    std::vector<Unmatched> unmatched;          // by partner, then as first met
    std::vector<Clash> clashes;                // teachers, groups, rooms

    std::size_t cellCount() const { return weekdays.size() * hours.size(); }
    const std::vector<Entity>& entities(Kind kind) const;
    // Sorts the lessons of the grid of `entity` into `cells`.
    void cellsOf(Kind kind, std::uint32_t entity, Cells& cells) const;

    // The lessons of every grid of a kind, grid after grid: those of grid e
    // are gridLessons[start[e]] up to gridLessons[start[e + 1]].
    struct GridLessons {
        std::vector<std::uint32_t> lessons;
        std::vector<std::uint32_t> start;
    };
    GridLessons byTeacher;
    GridLessons byGroup;
    GridLessons byRoom;
};

// Builds the view from the open tables, read by the import into `joins`.
// Names are read from fields the import does not need (NOMBRE, CURSO,
// HORADESDE and the like) where the tables have them; a table without them
// shows codes instead, so that every input the import accepts gives a view.
TimetableView buildTimetableView(ImportTables& tables, const ImportJoins& joins);

} // namespace tmq
