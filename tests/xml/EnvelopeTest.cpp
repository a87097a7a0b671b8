#include "xml/Envelope.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tmq {
namespace {

using Rows = std::vector<std::vector<std::string>>;

// Every item of the catalogue with its values, as the tables would get them.
Rows readCatalogue(const XmlDocument& doc, std::string_view seq)
{
    Rows rows;
    for (const XmlElement& item : catalogueItems(doc, seq)) {
        std::vector<std::string> row;
        for (const XmlElement& value : valueElements(doc, item))
            row.push_back(readValue(value));
        rows.push_back(row);
    }
    return rows;
}

struct Catalogue {
    const char* what;
    std::string document;
    Rows rows; // of catalogue MATERIAS
};

void PrintTo(const Catalogue& catalogue, std::ostream* out)
{
    *out << catalogue.what;
}

std::string envelope(const std::string& outputs)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO><ENTRADAS/><SALIDAS>" + outputs +
           "</SALIDAS></SERVICIO>";
}

const Catalogue catalogues[] = {
    {"split over two lists",
     envelope("<listasal seq=\"MATERIAS\"><listasal><salida>A</salida></listasal></listasal>"
              "<listasal seq=\"AULAS\"><listasal><salida>aula</salida></listasal></listasal>"
              "<listasal seq=\"MATERIAS\"><listasal><salida>B</salida></listasal>"
              "<listasal><salida>C</salida></listasal></listasal>"),
     {{"A"}, {"B"}, {"C"}}},
    {"seq in lower case",
     envelope("<listasal seq=\"materias\"><listasal><salida>A</salida></listasal></listasal>"),
     {}},
    {"values outside any item",
     envelope("<listasal seq=\"MATERIAS\"><salida>suelto</salida>"
              "<listasal><salida>A</salida></listasal><salida>suelto</salida></listasal>"),
     {{"A"}}},
    {"interleaved and nested children",
     envelope("<listasal seq=\"MATERIAS\"><listasal><salida>1</salida><otro>x</otro>"
              "<!-- c --><salida>2</salida><grupo><salida>hondo</salida></grupo>"
              "<salida>3</salida></listasal></listasal>"),
     {{"1", "2", "3"}}},
    {"item without values",
     envelope("<listasal seq=\"MATERIAS\"><listasal/><listasal><salida/></listasal></listasal>"),
     {{}, {""}}},
    {"blanks around values",
     envelope("<listasal seq=\"MATERIAS\"><listasal><salida> \t\n G 1 \r\n</salida>"
              "<salida>\n   \t</salida><salida>\u00A0x\u00A0</salida>"
              "<salida>  <![CDATA[ a&b ]]>  </salida></listasal></listasal>"),
     {{"G 1", "", "\xA0x\xA0", "a&b"}}},
    {"text converted to Windows-1252",
     envelope("<listasal seq=\"MATERIAS\"><listasal><salida>Física € “1º”</salida>"
              "<salida>你 — ñ</salida></listasal></listasal>"),
     {{"F\xEDsica \x80 \x93"
       "1\xBA\x94",
       "? \x97 \xF1"}}},
    {"catalogue outside SALIDAS",
     "<SERVICIO><ENTRADAS><listasal seq=\"MATERIAS\"><listasal><salida>A</salida></listasal>"
     "</listasal></ENTRADAS></SERVICIO>",
     {}},
    {"no SALIDAS", "<SERVICIO><ENTRADAS/></SERVICIO>", {}},
    {"other root",
     "<OTRO><SALIDAS><listasal seq=\"MATERIAS\"><listasal><salida>A</salida></listasal>"
     "</listasal></SALIDAS></OTRO>",
     {}},
    {"namespaced envelope",
     "<SERVICIO xmlns=\"urn:x\"><SALIDAS><listasal seq=\"MATERIAS\"><listasal><salida>A"
     "</salida></listasal></listasal></SALIDAS></SERVICIO>",
     {}},
    {"second SALIDAS",
     "<SERVICIO><SALIDAS/><SALIDAS><listasal seq=\"MATERIAS\"><listasal><salida>A</salida>"
     "</listasal></listasal></SALIDAS></SERVICIO>",
     {{"A"}}},
};

class CatalogueReading : public testing::TestWithParam<Catalogue> {};

TEST_P(CatalogueReading, FindsTheItemsAndValues)
{
    const auto doc = XmlDocument::parse(GetParam().document, "centro.xml");
    EXPECT_EQ(readCatalogue(*doc, "MATERIAS"), GetParam().rows);
    // The same items as the XPath expression naming them.
    EXPECT_EQ(catalogueItems(*doc, "MATERIAS"),
              doc->selectNodes("/SERVICIO/SALIDAS/listasal[@seq=\"MATERIAS\"]/listasal"));
}

INSTANTIATE_TEST_SUITE_P(Envelope, CatalogueReading, testing::ValuesIn(catalogues));

TEST(Envelope, SeqWithQuotesIsMatchedLiterally)
{
    const auto doc = XmlDocument::parse(
        envelope("<listasal seq='A\"B'><listasal><salida>1</salida></listasal></listasal>"
                 "<listasal seq=\"X\"><listasal><salida>2</salida></listasal></listasal>"),
        "centro.xml");
    EXPECT_EQ(readCatalogue(*doc, "A\"B"), (Rows{{"1"}}));
    EXPECT_EQ(readCatalogue(*doc, "X\"] | //listasal[\""), Rows{});
}

TEST(Envelope, ValueAtMissingPositionIsEmpty)
{
    const auto doc = XmlDocument::parse(
        envelope("<listasal seq=\"M\"><listasal><salida> a </salida></listasal></listasal>"),
        "centro.xml");
    const auto values = valueElements(*doc, catalogueItems(*doc, "M").front());
    EXPECT_EQ(valueAt(values, 0), "a");
    EXPECT_EQ(valueAt(values, 1), "");
    EXPECT_EQ(valueAt({}, 0), "");
}

TEST(Envelope, AppendedListsHoldTableText)
{
    auto doc = XmlDocument::parse(envelope(""), "centro.xml");
    const XmlElement outputs = doc->selectSingleNode(doc->documentElement(), "SALIDAS");
    XmlElement list = appendList(*doc, outputs, "HORARIO");
    appendValue(*doc, list, "NOMBRE",
                "Pe\xF1"
                "a & <Hijos> \x80\x81");
    appendValue(*doc, list, "VACIO", "");

    const std::string saved = doc->serialize();
    EXPECT_NE(saved.find("<listasal seq=\"HORARIO\"><salida dato=\"NOMBRE\">Peña &amp; "
                         "&lt;Hijos&gt; €\u0081</salida><salida dato=\"VACIO\"/></listasal>"
                         "</SALIDAS>"),
              std::string::npos)
        << saved;
    const auto reloaded = XmlDocument::parse(saved, "centro.xml");
    EXPECT_EQ(readCatalogue(*reloaded, "HORARIO"), Rows{});
    const auto values = reloaded->selectNodes("/SERVICIO/SALIDAS/listasal[@seq='HORARIO']/salida");
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0].attribute("dato"), "NOMBRE");
    EXPECT_EQ(readValue(values[0]), "Pe\xF1"
                                    "a & <Hijos> \x80\x81");
}

TEST(Envelope, LargeCatalogueIsReadWhole)
{
    std::string lists = "<listasal seq=\"PROFESORES\">";
    for (int i = 0; i < 20000; ++i)
        lists += "<listasal><salida>" + std::to_string(i) +
                 "</salida><salida>Núñez</salida>"
                 "</listasal>\n";
    lists += "</listasal>";
    const auto doc = XmlDocument::parse(envelope(lists), "grande.xml");
    const Rows rows = readCatalogue(*doc, "PROFESORES");
    ASSERT_EQ(rows.size(), 20000u);
    EXPECT_EQ(rows.back(), (std::vector<std::string>{"19999", "N\xFA\xF1"
                                                              "ez"}));
}

} // namespace
} // namespace tmq
