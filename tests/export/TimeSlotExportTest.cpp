// Time slots: values picked by their "dato" names, the weekday and hour
// taken from the slot name, and items that would be passed over elsewhere.
#include "export/ExportFixture.h"

#include <gtest/gtest.h>

namespace tmq::test {
namespace {

struct TimeSlotCase {
    std::string name;
    std::vector<Item> items;
    // The fields each record must hold; every field not named must be empty.
    std::vector<Row> expected;
};

void PrintTo(const TimeSlotCase& c, std::ostream* os)
{
    *os << c.name;
}

class TimeSlotExport : public testing::TestWithParam<TimeSlotCase> {};

TEST_P(TimeSlotExport, WritesOneRecordPerItem)
{
    const TimeSlotCase& c = GetParam();
    TempDir dir;
    exportXml(exchangeDocument({{"TRAMOS", c.items, ""}}), dir.path());
    EXPECT_EQ(readRows(dir.path(), "DIASHORAST"), fullRows("DIASHORAST", c.expected));
}

// A slot with only a name, and the record it gives.
TimeSlotCase namedSlot(const std::string& caseName, const std::string& slotName,
                       const std::string& day, const std::string& hour)
{
    return {caseName,
            {{named("NOMBRE", slotName)}},
            {{{"DIHO", slotName}, {"DIA", day}, {"HORA", hour}}}};
}

const std::vector<TimeSlotCase> kSlots{
    {"EveryNamedValueGoesToItsField",
     {{named("CODIGO_QUELMAR", "400001"), named("NOMBRE", "L1"), named("INICIO", "08:15"),
       named("FIN", "09:10"), named("NINUTOS", "55")}},
     {{{"DIHO", "L1"},
       {"CODDIHO", "400001"},
       {"DIA", "1"},
       {"HORA", "1"},
       {"HORADESDE", "08:15"},
       {"HORAHASTA", "09:10"},
       {"MINUTOS", "55"}}}},
    {"ValuesAreFoundByNameInAnyOrder",
     {{named("NINUTOS", "60"), named("FIN", "10:00"), named("INICIO", "09:00"),
       named("NOMBRE", "M2"), named("CODIGO_QUELMAR", "7")}},
     {{{"DIHO", "M2"},
       {"CODDIHO", "7"},
       {"DIA", "2"},
       {"HORA", "2"},
       {"HORADESDE", "09:00"},
       {"HORAHASTA", "10:00"},
       {"MINUTOS", "60"}}}},
    namedSlot("Monday", "L1", "1", "1"),
    namedSlot("Tuesday", "M2", "2", "2"),
    namedSlot("WednesdayWithTwoDigitHour", "X10", "3", "10"),
    namedSlot("Thursday", "J4", "4", "4"),
    namedSlot("FridayHourKeepsTwoCharacters", "V123", "5", "12"),
    namedSlot("Saturday", "S12", "6", "12"),
    namedSlot("Sunday", "D3", "7", "3"),
    namedSlot("SmallLetterStandsForItself", "l1", "l", "1"),
    namedSlot("OtherLetterStandsForItself", "Ñ5", "Ñ", "5"),
    namedSlot("DigitStandsForItself", "91", "9", "1"),
    namedSlot("HourCountsAccentedLettersAsOne", "XÑÁ9", "3", "ÑÁ"),
    namedSlot("NameOfOneLetterHasNoHour", "L", "1", ""),
    {"LongNameIsCutButGivesDayAndHour",
     {{named("NOMBRE", "LUNES-PRIMERA")}},
     {{{"DIHO", "LUNES-PRIM"}, {"DIA", "1"}, {"HORA", "UN"}}}},
    {"EmptyNameGivesEmptyDayAndHour",
     {{named("NOMBRE", ""), named("CODIGO_QUELMAR", "9")}},
     {{{"CODDIHO", "9"}}}},
    {"NameIsTrimmedBeforeDayAndHour",
     {{named("NOMBRE", " \t L3\n ")}},
     {{{"DIHO", "L3"}, {"DIA", "1"}, {"HORA", "3"}}}},
    {"DiaNamesTheSlotToo", {{named("DIA", "X3")}}, {{{"DIHO", "X3"}, {"DIA", "3"}, {"HORA", "3"}}}},
    {"DiaAfterNombreWins",
     {{named("NOMBRE", "L2"), named("DIA", "L")}},
     {{{"DIHO", "L"}, {"DIA", "1"}, {"HORA", ""}}}},
    {"NombreAfterDiaWins",
     {{named("DIA", "L"), named("NOMBRE", "L2")}},
     {{{"DIHO", "L2"}, {"DIA", "1"}, {"HORA", "2"}}}},
    {"NamesMatchExactlyAndCaseSensitively",
     {{named("nombre", "L1"), named(" NOMBRE", "L2"), named("NOMBRE ", "L3"),
       named("Inicio", "08:00"), named("MINUTOS", "55"), named("CODIGO", "1"),
       named("NOMBRE", "M4")}},
     {{{"DIHO", "M4"}, {"DIA", "2"}, {"HORA", "4"}}}},
    {"ValueWithoutDatoIsPassedOver",
     {{Value{"L1", std::nullopt}, named("INICIO", "08:15"), Value{"X9", std::nullopt}}},
     {{{"HORADESDE", "08:15"}}}},
    {"ItemWithoutValuesGivesAnEmptyRecord", {Item{}}, {Row{}}},
    {"ItemWithOneValueIsKept", {{named("CODIGO_QUELMAR", "400001")}}, {{{"CODDIHO", "400001"}}}},
    {"TextIsCutToFieldWidths",
     {{named("CODIGO_QUELMAR", "40000000001"), named("INICIO", "08:15:00.5"),
       named("FIN", "09:10:00.5"), named("NINUTOS", "123456789")}},
     {{{"CODDIHO", "4000000000"},
       {"HORADESDE", "08:15:00"},
       {"HORAHASTA", "09:10:00"},
       {"MINUTOS", "12345678"}}}},
    {"MinutesAreTextNotNumbers", {{named("NINUTOS", "cuarenta")}}, {{{"MINUTOS", "cuarenta"}}}},
    {"SlotsKeepDocumentOrder",
     {{named("NOMBRE", "V6")}, {}, {named("NOMBRE", "L1")}},
     {{{"DIHO", "V6"}, {"DIA", "5"}, {"HORA", "6"}},
      Row{},
      {{"DIHO", "L1"}, {"DIA", "1"}, {"HORA", "1"}}}},
};

std::string caseName(const testing::TestParamInfo<TimeSlotCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Slots, TimeSlotExport, testing::ValuesIn(kSlots), caseName);

} // namespace
} // namespace tmq::test
