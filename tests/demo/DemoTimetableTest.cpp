// The stand-in timetable: which slot names it uses, and that what it writes
// to SOLUC is a timetable the import can take: every session once, no teacher,
// group or room twice in a slot, and every session without a place reported.

#include "demo/DemoTimetable.h"
#include "base/Error.h"
#include "base/FolderLock.h"
#include "export/ExportCommand.h"
#include "support/CommandRun.h"
#include "support/TestSupport.h"
#include "tables/DbfTable.h"
#include "tables/TableLayouts.h"
#include "xml/XmlDocument.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

namespace tmq::test {
namespace {

TEST(DemoTimetable, UsesOnlySlotNamesTheImportFindsAgain)
{
    const std::vector<std::pair<std::string, std::optional<std::pair<int, int>>>> cases{
        {"L1", std::pair{1, 1}},     {"X10", std::pair{3, 10}}, {"D7", std::pair{7, 7}},
        {"S123", std::pair{6, 123}}, {"L01", std::nullopt},     {"l1", std::nullopt},
        {"X", std::nullopt},         {"Q1", std::nullopt},      {"L1a", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [name, expected] : cases) {
        const auto slot = slotFromName(name);
        ASSERT_EQ(slot.has_value(), expected.has_value()) << name;
        if (slot) {
            EXPECT_EQ(std::pair(slot->day, slot->hour), *expected) << name;
        }
    }
}

struct AssignmentRow {
    std::string casig, cgrup, caula;
    double horas;
};

// A school given as the tables the export writes, and what must come of it.
struct School {
    const char* name;
    std::vector<std::string> teachers;
    std::vector<std::string> slotNames;
    std::vector<AssignmentRow> assignments;
    std::size_t unplaced;
    std::string reason; // part of every unplaced line
};

void PrintTo(const School& school, std::ostream* out)
{
    *out << school.name;
}

void writeTables(const std::filesystem::path& folder, const School& school)
{
    const auto write = [&](const char* name, const std::vector<FieldDef>& layout, auto fill,
                           const auto& rows) {
        DbfTable table;
        table.create(folder, name, layout);
        table.open(folder, name);
        for (const auto& row : rows) {
            table.append();
            fill(table, row);
            table.post();
        }
        table.close();
    };
    write(
        "PROFT", proftLayout(),
        [](DbfTable& t, const std::string& abrev) { t.setText("ABREV", abrev); }, school.teachers);
    write(
        "DIASHORAST", diashorastLayout(),
        [](DbfTable& t, const std::string& diho) { t.setText("DIHO", diho); }, school.slotNames);
    write(
        "ASIGT", asigtLayout(),
        [](DbfTable& t, const AssignmentRow& a) {
            t.setText("CASIG", a.casig);
            t.setText("CGRUP", a.cgrup);
            t.setText("CAULA", a.caula);
            t.setFloat("HORAS", a.horas);
        },
        school.assignments);
}

// Checks `timetable` against the tables of `folder` and SOLUC as written.
void expectSoundTimetable(const std::filesystem::path& folder, const DemoTimetable& timetable)
{
    std::set<std::pair<int, int>> slots;
    std::size_t sessions = 0;
    {
        DbfTable tramos;
        tramos.open(folder, "DIASHORAST");
        for (tramos.first(); !tramos.eof(); tramos.next())
            if (const auto slot = slotFromName(tramos.asText("DIHO")))
                slots.insert({slot->day, slot->hour});
        DbfTable asigt;
        asigt.open(folder, "ASIGT");
        for (asigt.first(); !asigt.eof(); asigt.next())
            sessions += static_cast<std::size_t>(std::ceil(asigt.asFloat("HORAS")));
    }

    DbfTable soluc;
    soluc.open(folder, "SOLUC");
    std::vector<SolucRow> written;
    for (soluc.first(); !soluc.eof(); soluc.next())
        written.push_back({soluc.asText("PROF"), soluc.asText("ASIG"), soluc.asInteger("DIA"),
                           soluc.asInteger("HORA"), soluc.asText("AULA"),
                           soluc.asText("CODGRUPO")});
    ASSERT_EQ(written.size(), timetable.rows.size());
    EXPECT_EQ(written.size(), sessions) << "every session of every assignment, once";

    std::set<std::tuple<char, std::string, int, int>> taken;
    std::size_t unplaced = 0;
    for (std::size_t i = 0; i < written.size(); ++i) {
        const SolucRow& row = written[i];
        const SolucRow& told = timetable.rows[i];
        EXPECT_EQ(std::tie(row.prof, row.asig, row.dia, row.hora, row.aula, row.codgrupo),
                  std::tie(told.prof, told.asig, told.dia, told.hora, told.aula, told.codgrupo));
        if (row.dia == 0) {
            ++unplaced;
            EXPECT_EQ(row.hora, 0);
            continue;
        }
        EXPECT_TRUE(slots.count({row.dia, row.hora})) << row.dia << "/" << row.hora;
        EXPECT_FALSE(row.prof.empty());
        for (const auto& [kind, code] :
             {std::pair{'P', row.prof}, std::pair{'G', row.codgrupo}, std::pair{'A', row.aula}})
            if (!code.empty()) {
                EXPECT_TRUE(taken.insert({kind, code, row.dia, row.hora}).second)
                    << kind << " " << code << " twice in " << row.dia << "/" << row.hora;
            }
    }
    EXPECT_EQ(timetable.unplaced.size(), unplaced);
}

TEST(DemoTimetable, SampleSchoolGetsEverySessionPlaced)
{
    TempDir dir;
    ExportCommand exportCommand(dir.path());
    runInFrame(exportCommand, TMQ_EXAMPLES "/centro.xml");

    DemoTimetableCommand demo(dir.path());
    runInFrame(demo);
    const DemoTimetable& timetable = demo.timetable();

    expectSoundTimetable(dir.path(), timetable);
    EXPECT_EQ(timetable.unplaced, std::vector<std::string>{});
    std::set<std::string> teachers;
    for (const SolucRow& row : timetable.rows)
        teachers.insert(row.prof);
    EXPECT_GT(teachers.size(), 3u) << "the work is shared among the teachers";
}

class TightSchool : public testing::TestWithParam<School> {};

TEST_P(TightSchool, ReportsEverySessionWithoutAPlace)
{
    const School& school = GetParam();
    TempDir dir;
    writeTables(dir.path(), school);

    DemoTimetableCommand demo(dir.path());
    runInFrame(demo);
    const DemoTimetable& timetable = demo.timetable();

    expectSoundTimetable(dir.path(), timetable);
    EXPECT_EQ(timetable.unplaced.size(), school.unplaced);
    for (const std::string& line : timetable.unplaced)
        EXPECT_THAT(line, testing::HasSubstr(school.reason));
}

INSTANTIATE_TEST_SUITE_P(
    Schools, TightSchool,
    testing::Values(
        School{"RoomForAll",
               {"ANA", "LUIS"},
               {"L1", "L2", "M1", "M2"},
               {{"MAT", "1A", "A1", 2.0}, {"LEN", "1B", "A2", 1.5}},
               0,
               ""},
        School{"GroupHasMoreSessionsThanSlots",
               {"ANA", "LUIS"},
               {"L1", "M1"},
               {{"MAT", "1A", "A1", 3.0}},
               1,
               "libres a la vez"},
        School{"TwoGroupsShareOneRoom",
               {"ANA", "LUIS"},
               {"L1"},
               {{"MAT", "1A", "A1", 1.0}, {"LEN", "1B", "A1", 1.0}},
               1,
               "libres a la vez"},
        School{"OneTeacherForTwoGroups",
               {"ANA"},
               {"L1", "L2"},
               {{"MAT", "1A", "", 2.0}, {"LEN", "1B", "", 1.0}},
               1,
               "libres a la vez"},
        School{"OnlyNamesTheImportCannotFind",
               {"ANA"},
               {"L01", "l1", "X", ""},
               {{"MAT", "1A", "A1", 1.0}},
               1,
               "DIASHORAST no tiene tramos"},
        School{"NoTeachers", {}, {"L1"}, {{"MAT", "1A", "A1", 2.0}}, 2, "no hay profesores"}),
    [](const auto& tested) { return std::string(tested.param.name); });

TEST(DemoTimetable, NeverReplacesATimetableThatIsThere)
{
    TempDir dir;
    writeTables(dir.path(), {"", {"ANA"}, {"L1"}, {{"MAT", "1A", "A1", 1.0}}, 0, ""});
    writeFile(dir / "soluc.dbf", "el horario del programa");

    EXPECT_THROW(
        {
            try {
                DemoTimetableCommand demo(dir.path());
                runInFrame(demo);
            } catch (const Error& e) {
                EXPECT_EQ(std::string(e.what()).rfind("Ya hay un horario en '", 0), 0u) << e.what();
                throw;
            }
        },
        Error);
    EXPECT_EQ(readFile(dir / "soluc.dbf"), "el horario del programa");
}

// The stand-in holds the working folder as every command does: a second
// converter that comes while it writes SOLUC is refused, and let in after.
TEST(DemoTimetable, SecondConverterIsRefusedWhileItWrites)
{
    TempDir dir;
    writeTables(dir.path(), {"", {"ANA"}, {"L1"}, {{"MAT", "1A", "A1", 1.0}}, 0, ""});

    // The frame shows the busy pointer once the tables are read, just
    // before the command writes.
    class SecondConverterComes : public GivenFileInterface {
    public:
        explicit SecondConverterComes(std::filesystem::path folder)
            : GivenFileInterface({}), folder_(std::move(folder))
        {
        }
        void setBusy(bool busy) override
        {
            if (!busy)
                return;
            try {
                FolderLock second;
                second.lock(folder_);
                refusal = "admitido";
            } catch (const Error& e) {
                refusal = e.what();
            }
        }
        std::string refusal;

    private:
        std::filesystem::path folder_;
    } ui(dir.path());
    Session session;
    DemoTimetableCommand demo(dir.path());
    ASSERT_EQ(runCommand(ui, session, demo), CommandResult::Completed);

    EXPECT_THAT(ui.refusal, testing::HasSubstr("está en uso por otra copia del conversor"));
    EXPECT_TRUE(std::filesystem::exists(dir / "SOLUC.DBF"));
    FolderLock after;
    EXPECT_NO_THROW(after.lock(dir.path()));
}

TEST(DemoTimetable, SpreadsAnAssignmentOverTheWeek)
{
    TempDir dir;
    writeTables(
        dir.path(),
        {"", {"ANA"}, {"L1", "L2", "L3", "M1", "M2", "X1"}, {{"MAT", "1A", "A1", 3.0}}, 0, ""});

    DemoTimetableCommand demo(dir.path());
    runInFrame(demo);
    const DemoTimetable& timetable = demo.timetable();

    std::set<int> days;
    for (const SolucRow& row : timetable.rows)
        days.insert(row.dia);
    EXPECT_EQ(days, (std::set<int>{1, 2, 3}));
}

} // namespace
} // namespace tmq::test
