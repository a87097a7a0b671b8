// Subjects, teachers, rooms and groups: which value goes to which field,
// which items are passed over, defaults, duplicates and the cut to width.
#include "export/ExportFixture.h"

#include <gtest/gtest.h>

namespace tmq::test {
namespace {

struct CatalogueCase {
    std::string name;
    std::string seq;
    std::vector<std::vector<std::string>> items;
    std::string table;
    // The fields each record must hold; every field not named must be empty.
    std::vector<Row> expected;
};

void PrintTo(const CatalogueCase& c, std::ostream* os)
{
    *os << c.name;
}

class CatalogueExport : public testing::TestWithParam<CatalogueCase> {};

TEST_P(CatalogueExport, WritesOneRecordPerAcceptedItem)
{
    const CatalogueCase& c = GetParam();
    TempDir dir;
    exportXml(exchangeDocument({{c.seq, positional(c.items), ""}}), dir.path());
    EXPECT_EQ(readRows(dir.path(), c.table), fullRows(c.table, c.expected));
}

const std::string kLongText = "Ciencias de la Computación y Ñandúes Épicos!";
const std::string kLongTextCut = "Ciencias de la Computación y Ñandúes Épi";

const std::vector<CatalogueCase> kSubjects{
    {"SubjectValuesGoToTheirFieldsByPosition",
     "MATERIAS",
     {{"G1001", "MAT", "MATEMAT", "Matemáticas"}},
     "ASIGNOMT",
     {{{"MATERIA", "G1001"}, {"COD", "MAT"}, {"CODLARGO", "MATEMAT"}, {"NOMBRE", "Matemáticas"}}}},
    {"SubjectWithTwoValuesIsKept",
     "MATERIAS",
     {{"G1", "A"}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}, {"COD", "A"}}}},
    {"SubjectWithOneValueIsPassedOver",
     "MATERIAS",
     {{"G0"}, {}, {"G1", "B"}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}, {"COD", "B"}}}},
    {"SubjectsKeepDocumentOrder",
     "MATERIAS",
     {{"G3", "C"}, {"G1", "A"}, {"G2", "B"}},
     "ASIGNOMT",
     {{{"MATERIA", "G3"}, {"COD", "C"}},
      {{"MATERIA", "G1"}, {"COD", "A"}},
      {{"MATERIA", "G2"}, {"COD", "B"}}}},
    {"RepeatedCodeInOtherLetterCaseKeepsTheFirst",
     "MATERIAS",
     {{"G1", "MAT1", "UNO"}, {"G2", "mat1", "DOS"}, {"G3", "Mat1", "TRES"}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}, {"COD", "MAT1"}, {"CODLARGO", "UNO"}}}},
    {"AccentedCodesCompareIgnoringCase",
     "MATERIAS",
     {{"G1", "ÁB"}, {"G2", "áb"}, {"G3", "ÑOÑO"}, {"G4", "ñoño"}, {"G5", "ŒUF"}, {"G6", "œuf"}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}, {"COD", "ÁB"}},
      {{"MATERIA", "G3"}, {"COD", "ÑOÑO"}},
      {{"MATERIA", "G5"}, {"COD", "ŒUF"}}}},
    {"AccentedAndPlainCodesDiffer",
     "MATERIAS",
     {{"G1", "AB"}, {"G2", "ÁB"}, {"G3", "áb"}, {"G4", "ab"}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}, {"COD", "AB"}}, {{"MATERIA", "G2"}, {"COD", "ÁB"}}}},
    {"CodesDifferingBeyondTheWidthAreBothKept",
     "MATERIAS",
     {{"G1", "ABCDE"}, {"G2", "abcdF"}, {"G3", "ABCDe"}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}, {"COD", "ABCD"}}, {{"MATERIA", "G2"}, {"COD", "abcd"}}}},
    {"CodesCompareAfterTrimming",
     "MATERIAS",
     {{"G1", " LEN "}, {"G2", "len\t"}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}, {"COD", "LEN"}}}},
    {"SeveralEmptyCodesKeepTheFirst",
     "MATERIAS",
     {{"G1", ""}, {"G2", ""}, {"G3", "   "}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}}}},
    {"PassedOverSubjectReservesNoCode",
     "MATERIAS",
     {{"G0"}, {"G1", ""}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}}}},
    {"SubjectTextIsCutToFieldWidths",
     "MATERIAS",
     {{"G100200300", "MATEM", "MATEMATICAS", kLongText}},
     "ASIGNOMT",
     {{{"MATERIA", "G1002003"},
       {"COD", "MATE"},
       {"CODLARGO", "MATEMATI"},
       {"NOMBRE", kLongTextCut}}}},
    {"SubjectValuesBeyondTheFourthAreIgnored",
     "MATERIAS",
     {{"G1", "A", "AA", "Alfa", "sobra", "sobra"}},
     "ASIGNOMT",
     {{{"MATERIA", "G1"}, {"COD", "A"}, {"CODLARGO", "AA"}, {"NOMBRE", "Alfa"}}}},
};

const std::vector<CatalogueCase> kTeachers{
    {"TeacherValuesGoToTheirFieldsByPosition",
     "PROFESORES",
     {{"10234", "01/09/2019", "Núñez Peña, María José", "MNP"}},
     "PROFT",
     {{{"X_EMPLEADO", "10234"},
       {"F_TOMAPOS", "01/09/2019"},
       {"NOMBRE", "Núñez Peña, María José"},
       {"ABREV", "MNP"}}}},
    {"TeacherWithTwoValuesIsKept",
     "PROFESORES",
     {{"10234", "01/09/2019"}},
     "PROFT",
     {{{"X_EMPLEADO", "10234"}, {"F_TOMAPOS", "01/09/2019"}}}},
    {"TeacherWithOneValueIsPassedOver",
     "PROFESORES",
     {{"10234"}, {"1", "2", "Uno", "U"}},
     "PROFT",
     {{{"X_EMPLEADO", "1"}, {"F_TOMAPOS", "2"}, {"NOMBRE", "Uno"}, {"ABREV", "U"}}}},
    {"RepeatedTeacherAbbreviationsAreAllKept",
     "PROFESORES",
     {{"1", "", "Uno", "ABC"}, {"2", "", "Dos", "abc"}, {"3", "", "Tres", "ABC"}},
     "PROFT",
     {{{"X_EMPLEADO", "1"}, {"NOMBRE", "Uno"}, {"ABREV", "ABC"}},
      {{"X_EMPLEADO", "2"}, {"NOMBRE", "Dos"}, {"ABREV", "abc"}},
      {{"X_EMPLEADO", "3"}, {"NOMBRE", "Tres"}, {"ABREV", "ABC"}}}},
    {"TeacherTextIsCutToFieldWidths",
     "PROFESORES",
     {{"12345678901", "01/09/2019 08:00", kLongText, "ABCDE"}},
     "PROFT",
     {{{"X_EMPLEADO", "1234567890"},
       {"F_TOMAPOS", "01/09/2019"},
       {"NOMBRE", kLongTextCut},
       {"ABREV", "ABCD"}}}},
};

const std::vector<CatalogueCase> kRooms{
    {"RoomValuesGoToTheirFieldsByPosition",
     "AULAS",
     {{"A101", "A1", "Aula 1.01", "P"}},
     "AULAT",
     {{{"DEPCENTRO", "A101"}, {"ABREV", "A1"}, {"NOMBRE", "Aula 1.01"}, {"EDIFICIO", "P"}}}},
    {"EmptyRoomAbbreviationTakesTheCentreCodeCut",
     "AULAS",
     {{"LABFQ", "", "Laboratorio", "S"}, {"GIM", "  ", "Gimnasio", "G"}},
     "AULAT",
     {{{"DEPCENTRO", "LABFQ"}, {"ABREV", "LABF"}, {"NOMBRE", "Laboratorio"}, {"EDIFICIO", "S"}},
      {{"DEPCENTRO", "GIM"}, {"ABREV", "GIM"}, {"NOMBRE", "Gimnasio"}, {"EDIFICIO", "G"}}}},
    {"RoomWithBothCodesEmptyKeepsThemEmpty",
     "AULAS",
     {{"", "", "Patio", "E"}},
     "AULAT",
     {{{"NOMBRE", "Patio"}, {"EDIFICIO", "E"}}}},
    {"RoomWithTwoValuesIsKept",
     "AULAS",
     {{"A101", "A1"}},
     "AULAT",
     {{{"DEPCENTRO", "A101"}, {"ABREV", "A1"}}}},
    {"RoomWithOneValueIsPassedOver",
     "AULAS",
     {{"A101"}, {"A102", "A2", "Aula", "P"}},
     "AULAT",
     {{{"DEPCENTRO", "A102"}, {"ABREV", "A2"}, {"NOMBRE", "Aula"}, {"EDIFICIO", "P"}}}},
    {"RoomTextIsCutToFieldWidths",
     "AULAS",
     {{"DEPARTAMENTO1", "AULA1", kLongText, "PB"}},
     "AULAT",
     {{{"DEPCENTRO", "DEPARTAMEN"},
       {"ABREV", "AULA"},
       {"NOMBRE", kLongTextCut},
       {"EDIFICIO", "P"}}}},
};

const std::vector<CatalogueCase> kGroups{
    {"GroupValuesGoToTheirFieldsByPosition",
     "GRUPOS",
     {{"1ESOA", "1A", "M", "ESO", "1", "A"}},
     "GRUPOST",
     {{{"UNIDAD", "1ESOA"},
       {"ABREV", "1A"},
       {"TURNO", "M"},
       {"NIVEL", "ESO"},
       {"CURSO", "1"},
       {"GRUPO", "A"}}}},
    {"EmptyGroupLevelBecomesNIV",
     "GRUPOS",
     {{"1BACH", "1BC", "M", "", "1", "A"}, {"2BACH", "2BC", "T", " \t ", "2", "B"}},
     "GRUPOST",
     {{{"UNIDAD", "1BACH"},
       {"ABREV", "1BC"},
       {"TURNO", "M"},
       {"NIVEL", "NIV"},
       {"CURSO", "1"},
       {"GRUPO", "A"}},
      {{"UNIDAD", "2BACH"},
       {"ABREV", "2BC"},
       {"TURNO", "T"},
       {"NIVEL", "NIV"},
       {"CURSO", "2"},
       {"GRUPO", "B"}}}},
    {"GroupLevelZeroIsKept",
     "GRUPOS",
     {{"U", "G0", "M", "0", "1", "A"}},
     "GRUPOST",
     {{{"UNIDAD", "U"},
       {"ABREV", "G0"},
       {"TURNO", "M"},
       {"NIVEL", "0"},
       {"CURSO", "1"},
       {"GRUPO", "A"}}}},
    {"GroupWithTwoValuesGetsLevelNIV",
     "GRUPOS",
     {{"1ESOA", "1A"}},
     "GRUPOST",
     {{{"UNIDAD", "1ESOA"}, {"ABREV", "1A"}, {"NIVEL", "NIV"}}}},
    {"GroupWithOneValueIsPassedOver",
     "GRUPOS",
     {{"1ESOA"}, {"2ESOA", "2A", "M", "ESO", "2", "A"}},
     "GRUPOST",
     {{{"UNIDAD", "2ESOA"},
       {"ABREV", "2A"},
       {"TURNO", "M"},
       {"NIVEL", "ESO"},
       {"CURSO", "2"},
       {"GRUPO", "A"}}}},
    {"GroupTextIsCutToFieldWidths",
     "GRUPOS",
     {{"1BACHILLERATO", "1BACH", "MT", "BACHILLER", "1234", "ABC"}},
     "GRUPOST",
     {{{"UNIDAD", "1BACHILLER"},
       {"ABREV", "1BAC"},
       {"TURNO", "M"},
       {"NIVEL", "BACHI"},
       {"CURSO", "123"},
       {"GRUPO", "AB"}}}},
    {"RepeatedGroupsAreAllKept",
     "GRUPOS",
     {{"1ESOA", "1A", "M", "ESO", "1", "A"}, {"1ESOA", "1A", "M", "ESO", "1", "A"}},
     "GRUPOST",
     {{{"UNIDAD", "1ESOA"},
       {"ABREV", "1A"},
       {"TURNO", "M"},
       {"NIVEL", "ESO"},
       {"CURSO", "1"},
       {"GRUPO", "A"}},
      {{"UNIDAD", "1ESOA"},
       {"ABREV", "1A"},
       {"TURNO", "M"},
       {"NIVEL", "ESO"},
       {"CURSO", "1"},
       {"GRUPO", "A"}}}},
};

std::string caseName(const testing::TestParamInfo<CatalogueCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Subjects, CatalogueExport, testing::ValuesIn(kSubjects), caseName);
INSTANTIATE_TEST_SUITE_P(Teachers, CatalogueExport, testing::ValuesIn(kTeachers), caseName);
INSTANTIATE_TEST_SUITE_P(Rooms, CatalogueExport, testing::ValuesIn(kRooms), caseName);
INSTANTIATE_TEST_SUITE_P(Groups, CatalogueExport, testing::ValuesIn(kGroups), caseName);

// Each step reads its own catalogue only: a document with every catalogue
// fills every table, and a table whose catalogue is absent is empty.
TEST(CatalogueExport, EachTableReadsOnlyItsOwnCatalogue)
{
    TempDir dir;
    exportXml(exchangeDocument({
                  {"GRUPOS", positional({{"1ESOA", "1A", "M", "ESO", "1", "A"}}), ""},
                  {"MATERIAS", positional({{"G1", "MAT", "MATEMAT", "Matemáticas"}}), ""},
              }),
              dir.path());
    EXPECT_EQ(readRows(dir.path(), "ASIGNOMT").size(), 1u);
    EXPECT_EQ(readRows(dir.path(), "GRUPOST").size(), 1u);
    for (const char* empty : {"PROFT", "AULAT", "ASIGT", "DIASHORAST"})
        EXPECT_TRUE(readRows(dir.path(), empty).empty()) << empty;
}

} // namespace
} // namespace tmq::test
