#include "demo/LessonPlacer.h"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace tmq {

namespace {

// Which slots each code is busy in, per kind of code.
class Occupancy {
public:
    bool isFree(const std::string& code, std::size_t slot) const
    {
        return code.empty() || busy_.count({code, slot}) == 0;
    }
    void take(const std::string& code, std::size_t slot)
    {
        if (!code.empty())
            busy_.insert({code, slot});
    }

private:
    std::set<std::pair<std::string, std::size_t>> busy_;
};

// The teacher for an assignment: the least busy one who can still take all
// of its sessions, preferring those who already teach the subject; when
// nobody can, the least busy of all. Ties go to the earlier teacher.
std::size_t chooseTeacher(const std::vector<std::size_t>& load,
                          const std::set<std::size_t>& teachesSubject, std::size_t slotCount,
                          int sessions)
{
    std::size_t best = 0;
    auto rank = [&](std::size_t t) {
        const bool fits = load[t] + static_cast<std::size_t>(sessions) <= slotCount;
        return std::tuple(!fits, teachesSubject.count(t) == 0, load[t]);
    };
    for (std::size_t t = 1; t < load.size(); ++t)
        if (rank(t) < rank(best))
            best = t;
    return best;
}

} // namespace

std::vector<PlacedLesson> placeLessons(const std::vector<std::string>& teachers,
                                       const std::vector<WeekSlot>& slots,
                                       const std::vector<Assignment>& assignments)
{
    std::vector<PlacedLesson> lessons;
    std::vector<std::size_t> load(teachers.size(), 0);
    std::map<std::string, std::set<std::size_t>> teachersOfSubject;
    Occupancy teacherBusy;
    Occupancy groupBusy;
    Occupancy roomBusy;

    for (std::size_t a = 0; a < assignments.size(); ++a) {
        const Assignment& assignment = assignments[a];
        if (teachers.empty()) {
            for (int s = 0; s < assignment.sessions; ++s)
                lessons.push_back({a, {}, {}, false, "no hay profesores en PROFT"});
            continue;
        }
        const std::size_t t = chooseTeacher(load, teachersOfSubject[assignment.subject],
                                            slots.size(), assignment.sessions);
        teachersOfSubject[assignment.subject].insert(t);
        const std::string& teacher = teachers[t];

        std::map<int, int> sessionsOnDay;
        for (int s = 0; s < assignment.sessions; ++s) {
            PlacedLesson lesson{a, teacher, {}, false, {}};
            std::size_t chosen = slots.size();
            for (std::size_t i = 0; i < slots.size(); ++i) {
                if (!teacherBusy.isFree(teacher, i) || !groupBusy.isFree(assignment.group, i) ||
                    !roomBusy.isFree(assignment.room, i))
                    continue;
                const auto better = [&](std::size_t x, std::size_t y) {
                    return std::tuple(sessionsOnDay[slots[x].day], slots[x].day, slots[x].hour) <
                           std::tuple(sessionsOnDay[slots[y].day], slots[y].day, slots[y].hour);
                };
                if (chosen == slots.size() || better(i, chosen))
                    chosen = i;
            }
            if (chosen == slots.size()) {
                lesson.reason = slots.empty() ? "DIASHORAST no tiene tramos como L1 o X10"
                                              : "ningún tramo tiene libres a la vez al profesor, "
                                                "el grupo y el aula";
            } else {
                teacherBusy.take(teacher, chosen);
                groupBusy.take(assignment.group, chosen);
                roomBusy.take(assignment.room, chosen);
                ++sessionsOnDay[slots[chosen].day];
                ++load[t];
                lesson.slot = slots[chosen];
                lesson.placed = true;
            }
            lessons.push_back(std::move(lesson));
        }
    }
    return lessons;
}

} // namespace tmq
