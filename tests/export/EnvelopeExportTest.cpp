// Where the export finds catalogues, items and values in a document, how it
// reads each value, and what the written files look like on disk.
#include "base/Error.h"
#include "export/ExportFixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tmq::test {
namespace {

using testing::HasSubstr;
using testing::Not;

std::string utf8Document(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + body;
}

// A document whose SALIDAS holds `salidas` as written.
std::string salidasDocument(const std::string& salidas)
{
    return utf8Document("<SERVICIO>\n<SALIDAS>\n" + salidas + "\n</SALIDAS>\n</SERVICIO>\n");
}

const std::string kOneSubjectList = "<listasal seq=\"MATERIAS\"><listasal><salida>G1</salida>"
                                    "<salida>MAT</salida></listasal></listasal>";

std::vector<std::string> subjectsOf(const std::filesystem::path& folder)
{
    return column(readRows(folder, "ASIGNOMT"), "MATERIA");
}

TEST(EnvelopeExport, CatalogueSpreadOverTwoListsGivesRecordsOfBoth)
{
    TempDir dir;
    exportXml(exchangeDocument({
                  {"MATERIAS", positional({{"G1", "MAT"}, {"G2", "LEN"}}), ""},
                  {"PROFESORES", positional({{"1", "", "Uno", "UNO"}}), ""},
                  {"MATERIAS", positional({{"G3", "ING"}, {"G4", "mat"}}), ""},
              }),
              dir.path());
    // The repeated code in the second list is still seen as repeated.
    EXPECT_EQ(subjectsOf(dir.path()), (std::vector<std::string>{"G1", "G2", "G3"}));
}

struct IgnoredPlaceCase {
    std::string name;
    std::string document;
};

void PrintTo(const IgnoredPlaceCase& c, std::ostream* os)
{
    *os << c.name;
}

class ValuesNotRead : public testing::TestWithParam<IgnoredPlaceCase> {};

TEST_P(ValuesNotRead, LeaveEveryTableEmpty)
{
    TempDir dir;
    exportXml(GetParam().document, dir.path());
    for (const std::string& table : kExportTables) {
        ASSERT_EQ(filesNamedAnyCase(dir.path(), table + ".DBF").size(), 1u) << table;
        EXPECT_TRUE(readRows(dir.path(), table).empty()) << table;
    }
}

const std::vector<IgnoredPlaceCase> kIgnoredPlaces{
    {"SeqInSmallLetters", salidasDocument("<listasal seq=\"materias\"><listasal><salida>G1</salida>"
                                          "<salida>MAT</salida></listasal></listasal>")},
    {"SeqWithBlanks", salidasDocument("<listasal seq=\" MATERIAS\"><listasal><salida>G1</salida>"
                                      "<salida>MAT</salida></listasal></listasal>")},
    {"ListWithoutSeq", salidasDocument("<listasal><listasal><salida>G1</salida>"
                                       "<salida>MAT</salida></listasal></listasal>")},
    {"ValuesDirectlyInTheCatalogueList",
     salidasDocument("<listasal seq=\"MATERIAS\"><salida>G1</salida><salida>MAT</salida>"
                     "<salida>MATEMAT</salida></listasal>")},
    {"ItemsNestedOneLevelDeeper",
     salidasDocument("<listasal seq=\"MATERIAS\"><bloque><listasal><salida>G1</salida>"
                     "<salida>MAT</salida></listasal></bloque></listasal>")},
    {"CatalogueOutsideSalidas",
     utf8Document("<SERVICIO><ENTRADAS>" + kOneSubjectList + "</ENTRADAS><SALIDAS/></SERVICIO>")},
    {"SalidasNotDirectlyUnderTheRoot", utf8Document("<SERVICIO><DATOS><SALIDAS>" + kOneSubjectList +
                                                    "</SALIDAS></DATOS></SERVICIO>")},
    {"RootOtherThanServicio",
     utf8Document("<HORARIO><SALIDAS>" + kOneSubjectList + "</SALIDAS></HORARIO>")},
    {"DocumentWithoutSalidas",
     utf8Document("<SERVICIO modulo=\"HORARIOS\"><ENTRADAS><entrada dato=\"C_ANNO\">2026"
                  "</entrada></ENTRADAS></SERVICIO>")},
    {"EmptyRoot", utf8Document("<SERVICIO/>")},
};

std::string placeName(const testing::TestParamInfo<IgnoredPlaceCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Places, ValuesNotRead, testing::ValuesIn(kIgnoredPlaces), placeName);

TEST(EnvelopeExport, ValuesDirectlyInTheCatalogueListAreNotAnItem)
{
    TempDir dir;
    exportXml(exchangeDocument({{"MATERIAS", positional({{"G1", "MAT"}}),
                                 "<salida>G9</salida><salida>ZZZ</salida>"}}),
              dir.path());
    EXPECT_EQ(subjectsOf(dir.path()), std::vector<std::string>{"G1"});
}

TEST(EnvelopeExport, PositionsCountValueElementsOnly)
{
    TempDir dir;
    exportXml(salidasDocument("<listasal seq=\"MATERIAS\"><listasal>"
                              "<otro>X</otro><salida>G1</salida><!-- nota -->"
                              "<grupo><salida>anidado</salida></grupo>"
                              "<salida>MAT</salida><?proceso algo?><comentario/>"
                              "texto suelto<salida>MATEMAT</salida>"
                              "<SALIDA>mayúsculas</SALIDA><salida>Matemáticas</salida>"
                              "</listasal></listasal>"),
              dir.path());
    EXPECT_EQ(readRows(dir.path(), "ASIGNOMT"),
              fullRows("ASIGNOMT", {{{"MATERIA", "G1"},
                                     {"COD", "MAT"},
                                     {"CODLARGO", "MATEMAT"},
                                     {"NOMBRE", "Matemáticas"}}}));
}

TEST(EnvelopeExport, OtherElementsDoNotMakeUpForMissingValues)
{
    TempDir dir;
    exportXml(salidasDocument("<listasal seq=\"MATERIAS\"><listasal>"
                              "<salida>G1</salida><otro>MAT</otro></listasal></listasal>"),
              dir.path());
    EXPECT_TRUE(readRows(dir.path(), "ASIGNOMT").empty());
}

struct ValueTextCase {
    std::string name;
    std::string xmlText; // the content of the element as written in the document
    std::string read;
};

void PrintTo(const ValueTextCase& c, std::ostream* os)
{
    *os << c.name;
}

class ValueText : public testing::TestWithParam<ValueTextCase> {};

TEST_P(ValueText, IsReadAsTheTableText)
{
    const ValueTextCase& c = GetParam();
    TempDir dir;
    exportXml(salidasDocument("<listasal seq=\"MATERIAS\"><listasal><salida>G1</salida>"
                              "<salida>C</salida><salida>L</salida><salida>" +
                              c.xmlText + "</salida></listasal></listasal>"),
              dir.path());
    const auto rows = readRows(dir.path(), "ASIGNOMT");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("NOMBRE"), c.read);
}

const std::vector<ValueTextCase> kValueTexts{
    {"BlanksTabsAndNewlinesAroundAreTrimmed", "\n\t  Matemáticas \r\n ", "Matemáticas"},
    {"CharacterReferencesForControlsAreTrimmed", "&#9;&#10;&#13;Lengua&#9; ", "Lengua"},
    {"InnerBlanksAreKept", "Lengua  Castellana\ty Literatura", "Lengua  Castellana\ty Literatura"},
    {"OnlyBlanksReadAsEmpty", " \t\r\n  ", ""},
    {"NoBreakSpaceIsNotTrimmed", "\xC2\xA0Inglés\xC2\xA0", "\xC2\xA0Inglés\xC2\xA0"},
    {"EntitiesAreResolved", "F&#xED;sica &amp; Qu&#237;mica &lt;1&gt;", "Física & Química <1>"},
    {"CdataIsText", "<![CDATA[ <b>Música</b> ]]>", "<b>Música</b>"},
    {"SpanishLettersAndEuroSurvive", "Año: ¿Niño? ¡Sí! 5 €", "Año: ¿Niño? ¡Sí! 5 €"},
    {"CurlyQuotesAndDashesSurvive", "“Ética” – ‘Œuvre’ …", "“Ética” – ‘Œuvre’ …"},
    {"CharactersWindows1252LacksBecomeQuestionMarks", "Ω α", "? ?"},
};

std::string valueName(const testing::TestParamInfo<ValueTextCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Values, ValueText, testing::ValuesIn(kValueTexts), valueName);

TEST(EnvelopeExport, TextIsStoredAsWindows1252Bytes)
{
    TempDir dir;
    exportXml(
        exchangeDocument(
            {{"PROFESORES", positional({{"1", "", "Núñez Peña, María José 5 €", "MNP"}}), ""}}),
        dir.path());
    const std::string bytes = readFile(dir / "PROFT.DBF");
    EXPECT_THAT(bytes, HasSubstr("N\xFA\xF1"
                                 "ez Pe\xF1"
                                 "a, Mar\xED"
                                 "a Jos\xE9 5 \x80"));
    EXPECT_THAT(bytes, Not(HasSubstr("\xC3")));
}

// Documents in one-byte encodings reach the tables with the same letters.
TEST(EnvelopeExport, DocumentsInOtherEncodingsGiveTheSameText)
{
    struct EncodedDocument {
        std::string encoding;
        std::string name; // in that encoding
        std::string expected;
    };
    const std::vector<EncodedDocument> documents{
        {"ISO-8859-1", "Matem\xE1ticas y Espa\xF1ol", "Matemáticas y Español"},
        {"windows-1252",
         "\x93"
         "Cultura\x94 \x80 \x8C",
         "“Cultura” € Œ"},
    };
    for (const EncodedDocument& d : documents) {
        TempDir dir;
        exportXml("<?xml version=\"1.0\" encoding=\"" + d.encoding +
                      "\"?>\n<SERVICIO><SALIDAS><listasal seq=\"MATERIAS\"><listasal>"
                      "<salida>G1</salida><salida>C</salida><salida>L</salida><salida>" +
                      d.name + "</salida></listasal></listasal></SALIDAS></SERVICIO>",
                  dir.path());
        const auto rows = readRows(dir.path(), "ASIGNOMT");
        ASSERT_EQ(rows.size(), 1u) << d.encoding;
        EXPECT_EQ(rows[0].at("NOMBRE"), d.expected) << d.encoding;
    }
}

TEST(EnvelopeExport, CutCountsCharactersNotUtf8Bytes)
{
    TempDir dir;
    // Forty accented letters: in UTF-8 they take eighty bytes.
    const std::string accented = [] {
        std::string s;
        for (int i = 0; i < 40; ++i)
            s += "ñ";
        return s;
    }();
    exportXml(exchangeDocument(
                  {{"MATERIAS", positional({{"G1", "ÁÉÍÓÚ", "ÑÑÑÑÑÑÑÑÑ", accented + "á"}}), ""}}),
              dir.path());
    const auto rows = readRows(dir.path(), "ASIGNOMT");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("COD"), "ÁÉÍÓ");
    EXPECT_EQ(rows[0].at("CODLARGO"), "ÑÑÑÑÑÑÑÑ");
    EXPECT_EQ(rows[0].at("NOMBRE"), accented);
}

TEST(EnvelopeExport, TablesHaveTheirFieldsInOrderAndTheWindowsCodePageMark)
{
    TempDir dir;
    exportXml(salidasDocument(""), dir.path());
    for (const std::string& table : kExportTables) {
        DbfTable dbf;
        dbf.open(dir.path(), table);
        std::vector<std::string> names;
        for (int i = 0; i < dbf.fieldCount(); ++i)
            names.push_back(dbf.fieldName(i));
        EXPECT_EQ(names, exportFieldNames(table)) << table;
        dbf.close();

        const std::string bytes = readFile(dir / (table + ".DBF"));
        ASSERT_GT(bytes.size(), 32u) << table;
        EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0x03) << table;
    }
}

TEST(EnvelopeExport, OldTableAndIndexFilesAreReplacedInAnyLetterCase)
{
    TempDir dir;
    writeFile(dir / "ASIGNOMT.MDX", "índice viejo");
    writeFile(dir / "proft.dbf", "esto no es una tabla");
    writeFile(dir / "proft.mdx", "índice viejo");
    writeFile(dir / "Aulat.Mdx", "índice viejo");
    writeFile(dir / "GRUPOST.DBF", "esto no es una tabla");
    writeFile(dir / "asigt.MDX", "índice viejo");
    // Files of other names stay.
    const std::vector<std::string> others{"SOLUC.DBF",     "SOLUC.MDX",  "ASIGNOMT.BAK",
                                          "ASIGNOMT2.DBF", "XASIGT.MDX", "DIASHORAS.DBF"};
    for (const std::string& other : others)
        writeFile(dir / other, "ajeno");

    exportXml(exchangeDocument({{"PROFESORES", positional({{"1", "", "Uno", "UNO"}}), ""},
                                {"GRUPOS", positional({{"1ESOA", "1A"}}), ""}}),
              dir.path());

    for (const std::string& table : kExportTables) {
        EXPECT_EQ(filesNamedAnyCase(dir.path(), table + ".DBF").size(), 1u) << table;
        EXPECT_TRUE(filesNamedAnyCase(dir.path(), table + ".MDX").empty()) << table;
    }
    EXPECT_EQ(column(readRows(dir.path(), "PROFT"), "NOMBRE"), std::vector<std::string>{"Uno"});
    EXPECT_EQ(column(readRows(dir.path(), "GRUPOST"), "UNIDAD"), std::vector<std::string>{"1ESOA"});
    for (const std::string& other : others)
        EXPECT_EQ(readFile(dir / other), "ajeno") << other;
}

TEST(EnvelopeExport, MissingWorkingFolderIsAnError)
{
    TempDir dir;
    EXPECT_THROW(exportXml(salidasDocument(kOneSubjectList), dir / "no-existe"), Error);
    EXPECT_FALSE(std::filesystem::exists(dir / "no-existe"));
}

} // namespace
} // namespace tmq::test
