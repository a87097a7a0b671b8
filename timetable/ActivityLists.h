#pragma once

#include "base/CommandLog.h"
#include "timetable/ImportJoins.h"
#include "timetable/ImportTables.h"
#include "xml/XmlDocument.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tmq {

// Every teacher's lessons as the output section lists them, kept compactly:
// each distinct table value once, already as the markup it is saved as, and
// per lesson where its values are.
class ActivityLists {
public:
    // The markup of the employee lists, "EMPLEADO_1" onwards, as the
    // document would save them had they been appended as elements.
    void write(XmlMarkupSink& sink) const;

    std::size_t employeeCount() const { return employees_.size(); }
    std::size_t activityCount() const;

private:
    friend class ActivityReader;

    struct Text {
        std::uint32_t begin = 0;
        std::uint32_t length = 0;
    };
    struct Activity {
        Text subjectCode;
        Text weekdayNumber;
        Text slotCode;
        Text room;
        Text unit;
    };
    struct Employee {
        Text empleado;
        Text tomaPos;
        std::uint32_t firstActivity = 0;
        std::uint32_t activityCount = 0;
    };

    std::string_view text(Text t) const
    {
        return std::string_view(texts_).substr(t.begin, t.length);
    }
    // Keeps a Windows-1252 table value as its markup.
    Text keep(std::string_view value);

    std::string texts_; // saved markup of the values, one after the other
    std::vector<Employee> employees_;
    std::vector<Activity> activities_;
};

// Reads, for every teacher of PROFT in record order, the lessons of that
// teacher in SOLUC (the rows whose PROF equals the teacher's ABREV and whose
// DIA is not 0, in record order), joined with the subjects, time slots, rooms
// and groups of the other tables. The tables must be open; every error of
// the tables comes from here, before anything is saved. The log hears of
// every teacher and activity read, of the lessons passed over and of the
// codes that found no partner in their table. `joins`, when given, receives
// how every lesson was joined and what did not pass.
ActivityLists ImportarActividades(ImportTables& tables, CommandLog& log = silentLog(),
                                  ImportJoins* joins = nullptr);

} // namespace tmq
