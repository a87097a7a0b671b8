// Assignments: field positions, HORAS and SESIONES from the minutes, and what
// a minutes text that is no whole number leaves behind.
#include "base/Error.h"
#include "export/ExportFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tmq::test {
namespace {

using testing::HasSubstr;

std::vector<std::string> assignment(const std::string& subject, const std::string& minutes)
{
    return {subject, "1A", "A1", "M", "ESO", "1", "A", minutes};
}

std::string assignmentsDocument(const std::vector<std::vector<std::string>>& items)
{
    return exchangeDocument({{"ASIGNATURAS", positional(items), ""}});
}

// HORAS of every record, read as numbers.
std::vector<double> storedHours(const std::filesystem::path& folder)
{
    DbfTable table;
    table.open(folder, "ASIGT");
    std::vector<double> hours;
    for (table.first(); !table.eof(); table.next())
        hours.push_back(table.asFloat("HORAS"));
    return hours;
}

const std::string k13Ones(13, '1');

TEST(AssignmentExport, ValuesGoToTheirFieldsByPosition)
{
    TempDir dir;
    exportXml(assignmentsDocument({{"MAT", "1A", "A1", "M", "ESO", "1", "A", "240"}}), dir.path());
    const auto rows = readRows(dir.path(), "ASIGT");
    ASSERT_EQ(rows.size(), 1u);
    Row text = rows[0];
    text.erase("HORAS");
    Row expected = fullRow("ASIGT", {{"CASIG", "MAT"},
                                     {"CGRUP", "1A"},
                                     {"CAULA", "A1"},
                                     {"TURNO", "M"},
                                     {"NIVEL", "ESO"},
                                     {"CURSO", "1"},
                                     {"GRUPO", "A"},
                                     {"SESIONES", "1111"}});
    expected.erase("HORAS");
    EXPECT_EQ(text, expected);
    EXPECT_EQ(storedHours(dir.path()), std::vector<double>{4.0});
}

TEST(AssignmentExport, ShortItemsGetDefaultsAndSingleValuesArePassedOver)
{
    TempDir dir;
    exportXml(assignmentsDocument({{"MAT"}, {"LEN", "1B"}, {"ING", "1C", "A3", "T", "", "2", "B"}}),
              dir.path());
    const auto rows = readRows(dir.path(), "ASIGT");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("CASIG"), "LEN");
    EXPECT_EQ(rows[0].at("CGRUP"), "1B");
    EXPECT_EQ(rows[0].at("CAULA"), "");
    EXPECT_EQ(rows[0].at("NIVEL"), "NIV");
    EXPECT_EQ(rows[0].at("SESIONES"), "1");
    EXPECT_EQ(rows[1].at("CASIG"), "ING");
    EXPECT_EQ(rows[1].at("NIVEL"), "NIV");
    EXPECT_EQ(rows[1].at("GRUPO"), "B");
    for (const Row& row : rows)
        EXPECT_EQ(row.at("CPROF"), "");
    EXPECT_EQ(storedHours(dir.path()), (std::vector<double>{1.0, 1.0}));
}

TEST(AssignmentExport, TextIsCutToFieldWidths)
{
    TempDir dir;
    exportXml(
        assignmentsDocument({{"MATEM", "1ESOA", "AULA1", "MT", "BACHILLER", "1234", "ABC", "60"}}),
        dir.path());
    const auto rows = readRows(dir.path(), "ASIGT");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("CASIG"), "MATE");
    EXPECT_EQ(rows[0].at("CGRUP"), "1ESO");
    EXPECT_EQ(rows[0].at("CAULA"), "AULA");
    EXPECT_EQ(rows[0].at("TURNO"), "M");
    EXPECT_EQ(rows[0].at("NIVEL"), "BACHI");
    EXPECT_EQ(rows[0].at("CURSO"), "123");
    EXPECT_EQ(rows[0].at("GRUPO"), "AB");
}

struct HoursCase {
    std::string name;
    std::string minutes;
    double hours;
    std::string sessions;
};

void PrintTo(const HoursCase& c, std::ostream* os)
{
    *os << c.name;
}

class AssignmentHours : public testing::TestWithParam<HoursCase> {};

TEST_P(AssignmentHours, ComeFromTheMinutes)
{
    const HoursCase& c = GetParam();
    TempDir dir;
    exportXml(assignmentsDocument({assignment("MAT", c.minutes)}), dir.path());
    const auto rows = readRows(dir.path(), "ASIGT");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(storedHours(dir.path()), std::vector<double>{c.hours});
    EXPECT_EQ(rows[0].at("SESIONES"), c.sessions);
}

const std::vector<HoursCase> kHours{
    {"EmptyMinutesMakeOneHour", "", 1.0, "1"},
    {"BlankMinutesMakeOneHour", "  \t ", 1.0, "1"},
    {"ZeroMinutesMakeOneHour", "0", 1.0, "1"},
    {"HalfAnHourRisesToOneHour", "30", 1.0, "1"},
    {"SixtyMinutesAreOneHour", "60", 1.0, "1"},
    {"OneMinuteOverAnHourIsStoredWithFourDecimals", "61", 1.0167, "11"},
    {"WholeHours", "180", 3.0, "111"},
    {"PartHourRoundsSessionsUp", "200", 3.3333, "1111"},
    {"ThirteenHoursAreThirteenOnes", "780", 13.0, k13Ones},
    {"JustOverThirteenHours", "781", 13.0167, "1" + k13Ones},
    {"FourteenHours", "840", 14.0, "1" + k13Ones},
    {"TwentyHours", "1200", 20.0, "7" + k13Ones},
    {"TwentyThreeHours", "1380", 23.0, "10" + k13Ones},
    {"NegativeMinutesMakeOneHour", "-45", 1.0, "1"},
    {"LowestWholeNumberMakesOneHour", "-2147483648", 1.0, "1"},
    {"PlusSignIsAccepted", "+90", 1.5, "11"},
    {"BlanksAroundMinutesAreTrimmed", "\n 90 \t", 1.5, "11"},
    {"HexadecimalWithZeroX", "0x5A", 1.5, "11"},
    {"HexadecimalWithCapitalZeroX", "0X5a", 1.5, "11"},
    {"HexadecimalWithX", "x5A", 1.5, "11"},
    {"HexadecimalWithDollar", "$5A", 1.5, "11"},
    {"HugeSessionsTextIsCutToTwentyCharacters", "2147483647", 35791394.1167,
     "35791382" + std::string(12, '1')},
};

std::string hoursName(const testing::TestParamInfo<HoursCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Minutes, AssignmentHours, testing::ValuesIn(kHours), hoursName);

TEST(AssignmentExport, EachRecordGetsItsOwnHours)
{
    TempDir dir;
    exportXml(assignmentsDocument({assignment("A", "240"), assignment("B", ""),
                                   assignment("C", "90"), assignment("D", "55")}),
              dir.path());
    EXPECT_EQ(storedHours(dir.path()), (std::vector<double>{4.0, 1.0, 1.5, 1.0}));
    EXPECT_EQ(column(readRows(dir.path(), "ASIGT"), "SESIONES"),
              (std::vector<std::string>{"1111", "1", "11", "1"}));
}

struct InvalidMinutesCase {
    std::string name;
    std::string minutes;
    std::string shownAs; // the text inside the quotes of the message
};

void PrintTo(const InvalidMinutesCase& c, std::ostream* os)
{
    *os << c.name;
}

class InvalidMinutes : public testing::TestWithParam<InvalidMinutesCase> {};

TEST_P(InvalidMinutes, StopTheExportNamingTheText)
{
    const InvalidMinutesCase& c = GetParam();
    TempDir dir;
    try {
        exportXml(assignmentsDocument({assignment("MAT", c.minutes)}), dir.path());
        FAIL() << "la exportación no falló";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("'" + c.shownAs + "' no es un valor entero válido"));
    }
}

const std::vector<InvalidMinutesCase> kInvalidMinutes{
    {"DecimalFraction", "1.5", "1.5"},
    {"TrailingWord", "90 min", "90 min"},
    {"Exponent", "1e3", "1e3"},
    {"AboveTheIntegerRange", "2147483648", "2147483648"},
    {"BelowTheIntegerRange", "-2147483649", "-2147483649"},
    {"Letters", "abc", "abc"},
    {"TrimmedBeforeShown", "  abc\n", "abc"},
    {"AccentedTextShownInUtf8", "noventa y ñ", "noventa y ñ"},
};

std::string invalidName(const testing::TestParamInfo<InvalidMinutesCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Minutes, InvalidMinutes, testing::ValuesIn(kInvalidMinutes), invalidName);

// The document whose third assignment has faulty minutes, with every other
// catalogue present so that what was written before the fault can be seen.
std::string documentWithFaultyThirdAssignment()
{
    return exchangeDocument({
        {"MATERIAS", positional({{"G1", "MAT", "MATEMAT", "Matemáticas"}, {"G2", "LEN"}}), ""},
        {"PROFESORES", positional({{"1", "01/09/2019", "Uno", "UNO"}}), ""},
        {"AULAS", positional({{"A101", "A1", "Aula", "P"}}), ""},
        {"GRUPOS", positional({{"1ESOA", "1A", "M", "ESO", "1", "A"}}), ""},
        {"ASIGNATURAS",
         positional({assignment("MAT", "240"), assignment("LEN", "90"), assignment("ING", "1.5"),
                     assignment("EF", "120")}),
         ""},
        {"TRAMOS", {{named("NOMBRE", "L9")}}, ""},
    });
}

TEST(AssignmentExport, FaultyMinutesKeepEarlierRecordsAndLeaveTimeSlotsAsTheyWere)
{
    TempDir dir;
    writeFile(dir / "DIASHORAST.DBF", "tabla anterior");
    writeFile(dir / "DIASHORAST.MDX", "índice anterior");

    EXPECT_THROW(exportXml(documentWithFaultyThirdAssignment(), dir.path()), Error);

    EXPECT_EQ(readRows(dir.path(), "ASIGNOMT").size(), 2u);
    EXPECT_EQ(readRows(dir.path(), "PROFT").size(), 1u);
    EXPECT_EQ(readRows(dir.path(), "AULAT").size(), 1u);
    EXPECT_EQ(readRows(dir.path(), "GRUPOST").size(), 1u);
    const auto assignments = readRows(dir.path(), "ASIGT");
    EXPECT_EQ(column(assignments, "CASIG"), (std::vector<std::string>{"MAT", "LEN"}));
    EXPECT_EQ(storedHours(dir.path()), (std::vector<double>{4.0, 1.5}));
    EXPECT_EQ(readFile(dir / "DIASHORAST.DBF"), "tabla anterior");
    EXPECT_EQ(readFile(dir / "DIASHORAST.MDX"), "índice anterior");
}

TEST(AssignmentExport, FaultyMinutesKeepTheTimeSlotsOfAnEarlierExport)
{
    TempDir dir;
    exportXml(exchangeDocument({{"TRAMOS", {{named("NOMBRE", "L1")}}, ""}}), dir.path());
    const std::string earlier = readFile(dir / "DIASHORAST.DBF");
    ASSERT_FALSE(earlier.empty());

    EXPECT_THROW(exportXml(documentWithFaultyThirdAssignment(), dir.path()), Error);

    EXPECT_EQ(readFile(dir / "DIASHORAST.DBF"), earlier);
    EXPECT_EQ(column(readRows(dir.path(), "DIASHORAST"), "DIHO"), std::vector<std::string>{"L1"});
}

TEST(AssignmentExport, FaultyFirstAssignmentLeavesAnEmptyTable)
{
    TempDir dir;
    EXPECT_THROW(exportXml(assignmentsDocument({assignment("MAT", "abc"), assignment("LEN", "60")}),
                           dir.path()),
                 Error);
    EXPECT_TRUE(readRows(dir.path(), "ASIGT").empty());
}

} // namespace
} // namespace tmq::test
