// The teachers' lists the import writes: which SOLUC rows each teacher gets,
// how they are numbered, and the values joined in from the other tables.

#include "import/ImportHarness.h"

#include <gtest/gtest.h>

namespace tmq::test {
namespace {

TableRow teacher(const std::string& abrev, const std::string& empleado, const std::string& tomaPos)
{
    return {{"ABREV", abrev}, {"X_EMPLEADO", empleado}, {"F_TOMAPOS", tomaPos}};
}

// Lookup tables with duplicate keys, keys differing only in letter case and
// a slot key without weekday letter; teachers as each test needs them.
SchoolTables referenceSchool(std::vector<TableRow> teachers)
{
    SchoolTables school;
    school.profesores = std::move(teachers);
    school.materias = {
        {{"COD", "MAT"}, {"MATERIA", "G1001"}}, {{"COD", "MAT"}, {"MATERIA", "G9999"}},
        {{"COD", "mat"}, {"MATERIA", "G5555"}}, {{"COD", "MUS"}, {"MATERIA", "1007"}},
        {{"COD", "GEO"}, {"MATERIA", "g2002"}}, {{"COD", "VAC"}}};
    school.tramos = {{{"DIHO", "L1"}, {"CODDIHO", "400001"}, {"DIA", "1"}},
                     {{"DIHO", "L1"}, {"CODDIHO", "499999"}, {"DIA", "1"}},
                     {{"DIHO", "M1"}, {"CODDIHO", "400007"}, {"DIA", "2"}},
                     {{"DIHO", "X1"}, {"CODDIHO", "400013"}, {"DIA", "3"}},
                     {{"DIHO", "J1"}, {"CODDIHO", "400019"}, {"DIA", "4"}},
                     {{"DIHO", "V1"}, {"CODDIHO", "400025"}, {"DIA", "5"}},
                     {{"DIHO", "S1"}, {"CODDIHO", "400031"}, {"DIA", "6"}},
                     {{"DIHO", "D1"}, {"CODDIHO", "400037"}, {"DIA", "7"}},
                     {{"DIHO", "M2"}, {"CODDIHO", "400008"}, {"DIA", "2"}},
                     {{"DIHO", "V10"}, {"CODDIHO", "400060"}, {"DIA", "5"}},
                     {{"DIHO", "3"}, {"CODDIHO", "433333"}, {"DIA", "9"}}};
    school.aulas = {{{"ABREV", "A1"}, {"DEPCENTRO", "A101"}},
                    {{"ABREV", "A1"}, {"DEPCENTRO", "A199"}},
                    {{"ABREV", "a1"}, {"DEPCENTRO", "A111"}},
                    {{"ABREV", "LAB"}, {"DEPCENTRO", "LABFQ"}},
                    {{"ABREV", "Ñ1"}, {"DEPCENTRO", "AULAÑ"}}};
    school.grupos = {{{"ABREV", "1A"}, {"UNIDAD", "1ESOA"}},
                     {{"ABREV", "1A"}, {"UNIDAD", "1ESOZ"}},
                     {{"ABREV", "1a"}, {"UNIDAD", "1ESOa"}},
                     {{"ABREV", "2B"}, {"UNIDAD", "2ESOB"}}};
    return school;
}

RawRecord lesson(const std::string& prof, const std::string& asig, const std::string& dia,
                 const std::string& hora, const std::string& aula = "A1",
                 const std::string& grupo = "1A")
{
    return {{prof, asig, dia, hora, aula, grupo}};
}

// The output section after importing `lessons` (DIA and HORA of `type`).
XmlTree importLessons(const SchoolTables& school, const std::vector<RawRecord>& lessons,
                      char type = 'N')
{
    ImportFolder folder;
    school.write(folder.work());
    writeRawTable(folder.work(), "SOLUC", solucFields(type), lessons);
    folder.writeDocument();
    EXPECT_EQ(folder.runImport(), CommandResult::Completed);
    return folder.resultSection();
}

const Activity kMatematicasL1A1{"G1001", "1", "400001", "A101", "1ESOA", "G1001"};

struct LookupCase {
    std::string name;
    RawRecord lesson;
    Activity expected;
};

void PrintTo(const LookupCase& c, std::ostream* out)
{
    *out << c.name;
}

std::vector<LookupCase> lookupCases()
{
    std::vector<LookupCase> cases = {
        {"FirstRowOfEachDuplicateKeyWins", lesson("ANA", "MAT", "1", "1"), kMatematicasL1A1},
        {"LetterCaseCountsInEveryLookup",
         lesson("ANA", "mat", "1", "1", "a1", "1a"),
         {"G5555", "1", "400001", "A111", "1ESOa", "G5555"}},
        {"MissingSubjectGivesDefaultActivityAndNoMatter",
         lesson("ANA", "ZZZ", "1", "1"),
         {"G439", "1", "400001", "A101", "1ESOA", ""}},
        {"MatterNotStartingWithGGivesDefaultActivity",
         lesson("ANA", "MUS", "1", "1"),
         {"G439", "1", "400001", "A101", "1ESOA", "1007"}},
        {"MatterStartingWithSmallGGivesDefaultActivity",
         lesson("ANA", "GEO", "1", "1"),
         {"G439", "1", "400001", "A101", "1ESOA", "g2002"}},
        {"EmptyMatterGivesDefaultActivity",
         lesson("ANA", "VAC", "1", "1"),
         {"G439", "1", "400001", "A101", "1ESOA", ""}},
        {"MissingSlotLeavesDayAndSlotEmpty",
         lesson("ANA", "MAT", "2", "5"),
         {"G1001", "", "", "A101", "1ESOA", "G1001"}},
        {"MissingRoomLeavesRoomEmpty",
         lesson("ANA", "MAT", "1", "1", "ZZ"),
         {"G1001", "1", "400001", "", "1ESOA", "G1001"}},
        {"MissingGroupLeavesUnitEmpty",
         lesson("ANA", "MAT", "1", "1", "A1", "ZZ"),
         {"G1001", "1", "400001", "A101", "", "G1001"}},
        {"HourTenIsWrittenInFull",
         lesson("ANA", "MAT", "5", "10"),
         {"G1001", "5", "400060", "A101", "1ESOA", "G1001"}},
        {"DayOutsideWeekHasNoLetter",
         lesson("ANA", "MAT", "8", "1"),
         {"G1001", "", "", "A101", "1ESOA", "G1001"}},
        {"SlotKeyWithoutLetterIsTheHourAlone",
         lesson("ANA", "MAT", "9", "3"),
         {"G1001", "9", "433333", "A101", "1ESOA", "G1001"}},
        {"RoomTextIsConvertedFromTableCodePage",
         lesson("ANA", "MAT", "1", "1", "Ñ1"),
         {"G1001", "1", "400001", "AULAÑ", "1ESOA", "G1001"}},
    };
    const std::vector<std::pair<std::string, std::string>> weekdays{
        {"Lunes", "400001"},   {"Martes", "400007"}, {"Miercoles", "400013"}, {"Jueves", "400019"},
        {"Viernes", "400025"}, {"Sabado", "400031"}, {"Domingo", "400037"}};
    for (std::size_t day = 1; day <= weekdays.size(); ++day) {
        const auto& [name, slot] = weekdays[day - 1];
        const std::string number = std::to_string(day);
        cases.push_back({"DayNumberGivesWeekdayLetter" + name,
                         lesson("ANA", "MAT", number, "1"),
                         {"G1001", number, slot, "A101", "1ESOA", "G1001"}});
    }
    return cases;
}

class ActivityLookup : public testing::TestWithParam<LookupCase> {};

TEST_P(ActivityLookup, JoinsLessonWithOtherTables)
{
    const LookupCase& c = GetParam();
    const XmlTree section =
        importLessons(referenceSchool({teacher("ANA", "10001", "01/09/2019")}), {c.lesson});
    EXPECT_EQ(dump(section),
              dump(outputSection({employeeList(1, "10001", "01/09/2019", {c.expected})})));
}

INSTANTIATE_TEST_SUITE_P(Lessons, ActivityLookup, testing::ValuesIn(lookupCases()),
                         [](const auto& tested) { return tested.param.name; });

TEST(ActivityLists, NumberingRestartsPerTeacherAndSkipsUnplacedLessons)
{
    const XmlTree section =
        importLessons(referenceSchool({teacher("ANA", "10001", "01/09/2019"),
                                       teacher("BEA", "10002", "15/10/2021"),
                                       teacher("CAR", "10003", "07/01/2023")}),
                      {lesson("ANA", "MAT", "3", "1"), lesson("BEA", "MUS", "2", "1"),
                       lesson("ANA", "MAT", "0", "0"), lesson("ZOE", "MAT", "1", "1"),
                       lesson("ANA", "GEO", "1", "1", "LAB", "2B"), lesson("BEA", "MAT", "0", "3"),
                       lesson("BEA", "MAT", "4", "1")});

    const XmlTree expected =
        outputSection({employeeList(1, "10001", "01/09/2019",
                                    {{"G1001", "3", "400013", "A101", "1ESOA", "G1001"},
                                     {"G439", "1", "400001", "LABFQ", "2ESOB", "g2002"}}),
                       employeeList(2, "10002", "15/10/2021",
                                    {{"G439", "2", "400007", "A101", "1ESOA", "1007"},
                                     {"G1001", "4", "400019", "A101", "1ESOA", "G1001"}}),
                       employeeList(3, "10003", "07/01/2023", {})});
    EXPECT_EQ(dump(section), dump(expected));
}

TEST(ActivityLists, TeacherKeyMatchesExactlyWhateverItHolds)
{
    const XmlTree section = importLessons(
        referenceSchool({teacher("A*", "20001", "01/01/2001"), teacher("AB", "20002", "02/02/2002"),
                         teacher("O'N", "20003", "03/03/2003")}),
        {lesson("AB", "MAT", "1", "1"), lesson("A*", "MUS", "2", "1"),
         lesson("O'N", "GEO", "3", "1"), lesson("ab", "MAT", "4", "1"),
         lesson(" AB", "MAT", "5", "1"), lesson("A", "MAT", "6", "1"),
         lesson("O'", "MAT", "7", "1")});

    const XmlTree expected = outputSection(
        {employeeList(1, "20001", "01/01/2001", {{"G439", "2", "400007", "A101", "1ESOA", "1007"}}),
         employeeList(2, "20002", "02/02/2002", {kMatematicasL1A1}),
         employeeList(3, "20003", "03/03/2003",
                      {{"G439", "3", "400013", "A101", "1ESOA", "g2002"}})});
    EXPECT_EQ(dump(section), dump(expected));
}

TEST(ActivityLists, DuplicateTeacherKeysBothListTheSameLessons)
{
    const XmlTree section =
        importLessons(referenceSchool({teacher("ANA", "10001", "01/09/2019"),
                                       teacher("ANA", "10009", "01/09/2020"),
                                       teacher("BEA", "10002", "15/10/2021")}),
                      {lesson("ANA", "MAT", "1", "1"), lesson("BEA", "MAT", "2", "1"),
                       lesson("ANA", "MUS", "3", "1")});

    const std::vector<Activity> ana{kMatematicasL1A1,
                                    {"G439", "3", "400013", "A101", "1ESOA", "1007"}};
    const XmlTree expected = outputSection(
        {employeeList(1, "10001", "01/09/2019", ana), employeeList(2, "10009", "01/09/2020", ana),
         employeeList(3, "10002", "15/10/2021",
                      {{"G1001", "2", "400007", "A101", "1ESOA", "G1001"}})});
    EXPECT_EQ(dump(section), dump(expected));
}

TEST(ActivityLists, DayTextOtherThanOneDigitHasNoLetter)
{
    // "01" is the whole number 1, so the lesson counts, but its text is not
    // a weekday: the slot key is the hour alone.
    const XmlTree section =
        importLessons(referenceSchool({teacher("ANA", "10001", "01/09/2019")}),
                      {lesson("ANA", "MAT", "01", "3"), lesson("ANA", "MAT", "01", "1")}, 'C');
    const XmlTree expected =
        outputSection({employeeList(1, "10001", "01/09/2019",
                                    {{"G1001", "9", "433333", "A101", "1ESOA", "G1001"},
                                     {"G1001", "", "", "A101", "1ESOA", "G1001"}})});
    EXPECT_EQ(dump(section), dump(expected));
}

TEST(ActivityLists, DayReadingAsZeroIsAnUnplacedLesson)
{
    const XmlTree section =
        importLessons(referenceSchool({teacher("ANA", "10001", "01/09/2019")}),
                      {lesson("ANA", "MAT", "00", "1"), lesson("ANA", "MAT", "", "1"),
                       lesson("ANA", "MAT", "1", "1"), lesson("ANA", "MAT", "-0", "2")},
                      'C');
    EXPECT_EQ(dump(section),
              dump(outputSection({employeeList(1, "10001", "01/09/2019", {kMatematicasL1A1})})));
}

TEST(ActivityLists, EmptyTeacherTableLeavesOnlyTheErrorBlock)
{
    const XmlTree section = importLessons(referenceSchool({}), {lesson("ANA", "MAT", "1", "1")});
    EXPECT_EQ(dump(section), dump(outputSection({})));
}

TEST(ActivityLists, TeacherValuesAreConvertedFromTableCodePage)
{
    const XmlTree section =
        importLessons(referenceSchool({teacher("ANA", "Ñ-10001", "01/09/2019")}), {});
    EXPECT_EQ(dump(section), dump(outputSection({employeeList(1, "Ñ-10001", "01/09/2019", {})})));
}

} // namespace
} // namespace tmq::test
