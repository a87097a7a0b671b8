#pragma once

#include <string>
#include <vector>

namespace tmq {

// A time slot of the week: weekday 1 (Monday) to 7 and the period number.
struct WeekSlot {
    int day = 0;
    int hour = 0;
};

// One subject assignment to be timetabled: a group's subject, its room and
// how many weekly sessions it has. Codes as the tables hold them.
struct Assignment {
    std::string subject;
    std::string group;
    std::string room;
    int sessions = 0;
};

// One session of an assignment, with the teacher and slot given to it;
// `placed` false when no slot was free (then `slot` stays 0, 0).
struct PlacedLesson {
    std::size_t assignment = 0; // index into the assignments
    std::string teacher;
    WeekSlot slot;
    bool placed = false;
    std::string reason; // why it was not placed, in Spanish
};

// A plausible weekly timetable, not an optimal one: every assignment gets
// the least busy teacher who can still take all its sessions (one who
// already teaches the subject first), and each session the earliest free
// slot on the day where the assignment has the fewest sessions so far. No
// teacher, group or room (when the code is not empty) is given two lessons
// in one slot. Sessions that find no slot are returned unplaced with their
// reason. Lessons come in assignment order, sessions in order.
std::vector<PlacedLesson> placeLessons(const std::vector<std::string>& teachers,
                                       const std::vector<WeekSlot>& slots,
                                       const std::vector<Assignment>& assignments);

} // namespace tmq
