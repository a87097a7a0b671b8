#include "xml/XmlDocument.h"
#include "base/Error.h"

#include <gtest/gtest.h>

#include <string>

namespace tmq {
namespace {

const char* const school = R"(<?xml version="1.0" encoding="UTF-8"?>
<SERVICIO modulo="HORARIOS">
  <ENTRADAS>
    <entrada dato="C_ANNO">2026</entrada>
  </ENTRADAS>
  <SALIDAS>
    <listasal seq="MATERIAS">
      <listasal><salida>G1</salida><salida>MAT</salida></listasal>
      <listasal><salida>G2</salida><salida>LEN</salida></listasal>
    </listasal>
  </SALIDAS>
</SERVICIO>
)";

std::vector<std::string> texts(const std::vector<XmlElement>& elements)
{
    std::vector<std::string> result;
    for (const XmlElement& element : elements)
        result.push_back(element.text());
    return result;
}

TEST(XmlDocument, SelectsAbsoluteAndRelative)
{
    const auto doc = XmlDocument::parse(school, "centro.xml");
    const auto items = doc->selectNodes("/SERVICIO/SALIDAS/listasal[@seq='MATERIAS']/listasal");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(texts(doc->selectNodes(items[1], "salida")), (std::vector<std::string>{"G2", "LEN"}));
    EXPECT_TRUE(doc->selectNodes("/SERVICIO/NADA").empty());

    const XmlElement root = doc->documentElement();
    EXPECT_EQ(root.name(), "SERVICIO");
    EXPECT_EQ(doc->selectSingleNode(root, "SALIDAS").name(), "SALIDAS");
    EXPECT_EQ(doc->selectSingleNode(items[0], "salida").text(), "G1");
    EXPECT_TRUE(doc->selectSingleNode(root, "listasal").isNull());
    EXPECT_EQ(root.attribute("modulo"), "HORARIOS");
    EXPECT_FALSE(root.attribute("tipo").has_value());
}

TEST(XmlDocument, InvalidExpressionThrows)
{
    const auto doc = XmlDocument::parse(school, "centro.xml");
    EXPECT_THROW(doc->selectNodes("/SERVICIO["), Error);
}

TEST(XmlDocument, RemovesAChildWithItsContent)
{
    const auto doc = XmlDocument::parse(school, "centro.xml");
    const XmlElement root = doc->documentElement();
    doc->removeChild(root, doc->selectSingleNode(root, "SALIDAS"));
    EXPECT_TRUE(doc->selectNodes("//salida").empty());
    EXPECT_EQ(doc->serialize().find("SALIDAS"), std::string::npos);
}

TEST(XmlDocument, RemovingWhatIsNotAChildThrows)
{
    const auto doc = XmlDocument::parse(school, "centro.xml");
    const XmlElement root = doc->documentElement();
    const XmlElement outputs = doc->selectSingleNode(root, "SALIDAS");
    const XmlElement missing = doc->selectSingleNode(root, "NO_EXISTE");
    try {
        doc->removeChild(root, missing);
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "No se puede quitar un elemento del documento 'centro.xml': no se encontró el "
                  "elemento");
    }
    const XmlElement item = doc->selectNodes("//listasal/listasal").front();
    EXPECT_THROW(doc->removeChild(root, item), Error);
    EXPECT_THROW(doc->removeChild(outputs, root), Error);
    EXPECT_EQ(doc->selectNodes("//listasal/listasal").size(), 2u);
}

TEST(XmlDocument, TextAndAttributesAreTakenLiterally)
{
    const std::string literal = "Física & Química <1º> \"A\" 'B' &amp; ]]> ñ";
    const auto doc = XmlDocument::parse("<a><viejo/>texto</a>", "a.xml");
    XmlElement root = doc->documentElement();
    root.setText(literal);
    root.setAttribute("x", literal);
    EXPECT_EQ(root.text(), literal);

    const auto reloaded = XmlDocument::parse(doc->serialize(), "a.xml");
    EXPECT_EQ(reloaded->documentElement().text(), literal);
    EXPECT_EQ(reloaded->documentElement().attribute("x"), literal);
    EXPECT_TRUE(reloaded->selectNodes("/a/viejo").empty());

    root.setText("");
    EXPECT_EQ(root.text(), "");
}

TEST(XmlDocument, AppendedElementsGoLastAndMove)
{
    const auto doc = XmlDocument::parse(school, "centro.xml");
    const XmlElement list = doc->selectNodes("//listasal[@seq]").front();
    XmlElement item = doc->createElement("listasal");
    XmlElement value = doc->createElement("salida");
    value.setText("G3");
    doc->appendChild(item, value);
    doc->appendChild(list, item);
    doc->createElement("nunca-anadido"); // freed with the document

    EXPECT_EQ(texts(doc->selectNodes(list, "listasal")),
              (std::vector<std::string>{"G1MAT", "G2LEN", "G3"}));
    const XmlElement first = doc->selectNodes(list, "listasal").front();
    doc->appendChild(list, first);
    EXPECT_EQ(texts(doc->selectNodes(list, "listasal")),
              (std::vector<std::string>{"G2LEN", "G3", "G1MAT"}));
    EXPECT_THROW(doc->appendChild(value, list), Error);
}

TEST(XmlDocument, SavingKeepsWhatWasReadAsItWas)
{
    const std::string indented = R"(<?xml version="1.0" encoding="UTF-8"?>
<!DOCTYPE SERVICIO SYSTEM "servicio.dtd">
<!-- exportado el 1/9/2026 -->
<?procesar modo="rapido"?>
<SERVICIO xmlns:x="urn:x" modulo="HORARIOS">
  <ENTRADAS><entrada dato="A">  espacios  </entrada><x:otro/></ENTRADAS>
  <SALIDAS>
    <notas><![CDATA[a < b && c]]> y <b>mezcla</b> de texto</notas>
  </SALIDAS>
</SERVICIO>
<!-- fin -->
)";
    const std::string compact = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                "<SERVICIO><SALIDAS><listasal seq=\"A\"><listasal><salida>1"
                                "</salida></listasal></listasal></SALIDAS></SERVICIO>\n";
    for (const std::string& original : {indented, compact}) {
        const auto doc = XmlDocument::parse(original, "centro.xml");
        EXPECT_EQ(doc->serialize(), original);

        const XmlElement outputs = doc->selectSingleNode(doc->documentElement(), "SALIDAS");
        XmlElement list = doc->createElement("listasal");
        doc->appendChild(list, doc->createElement("salida"));
        doc->appendChild(outputs, list);
        std::string expected = original;
        expected.insert(expected.find("</SALIDAS>"), "<listasal><salida/></listasal>");
        EXPECT_EQ(doc->serialize(), expected);
    }
}

} // namespace
} // namespace tmq
