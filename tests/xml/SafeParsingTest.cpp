#include "base/Error.h"
#include "support/TestSupport.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace tmq {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string secrets[] = {"SECRETO-TXT", "SECRETO-DTD", "SECRETO-ATRIBUTO", "root:"};

// Puts the fixture in a fresh folder beside the files it tries to read.
fs::path placeBesideSecrets(const TempDir& dir, const std::string& fixture)
{
    writeFile(dir / "secreto.txt", "SECRETO-TXT");
    writeFile(dir / "secreto.dtd", "<!ENTITY robo \"SECRETO-DTD\">\n"
                                   "<!ATTLIST SERVICIO fuga CDATA \"SECRETO-ATRIBUTO\">\n");
    const fs::path path = dir / fixture;
    fs::copy_file(fs::path(TMQ_TEST_DATA) / "xml" / fixture, path);
    return path;
}

void expectNoSecret(const std::string& text)
{
    for (const std::string& secret : secrets)
        EXPECT_EQ(text.find(secret), std::string::npos) << secret << " in: " << text;
}

class DocumentDeclaringEntities : public testing::TestWithParam<const char*> {};

TEST_P(DocumentDeclaringEntities, IsRefusedWithoutReadingAnything)
{
    TempDir dir;
    const fs::path path = placeBesideSecrets(dir, GetParam());
    try {
        XmlDocument::load(path.string());
        FAIL() << "the document was accepted";
    } catch (const Error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("'" + path.string() + "'"), std::string::npos) << message;
        EXPECT_NE(message.find("entidades"), std::string::npos) << message;
        EXPECT_NE(message.find("(línea 3, columna "), std::string::npos) << message;
        expectNoSecret(message);
    }
}

INSTANTIATE_TEST_SUITE_P(Hostile, DocumentDeclaringEntities,
                         testing::Values("entity-system-file.xml", "entity-beside-file.xml",
                                         "entity-network.xml", "entity-parameter.xml",
                                         "entity-exponential.xml"));

TEST(SafeParsing, QuadraticEntityBombIsRefused)
{
    // One 50 kB entity referenced 40 000 times would expand to 2 GB.
    std::string document = "<?xml version=\"1.0\"?>\n<!DOCTYPE SERVICIO [<!ENTITY grande \"" +
                           std::string(50000, 'A') + "\">]>\n<SERVICIO a=\"";
    for (int i = 0; i < 40000; ++i)
        document += "&grande;";
    document += "\">";
    for (int i = 0; i < 40000; ++i)
        document += "&grande;";
    document += "</SERVICIO>\n";
    EXPECT_THROW(XmlDocument::parse(document, "bomba.xml"), Error);
}

TEST(SafeParsing, ExternalDtdIsNotFetched)
{
    TempDir dir;
    const fs::path path = placeBesideSecrets(dir, "external-dtd.xml");
    const auto doc = XmlDocument::load(path.string());
    const XmlElement root = doc->documentElement();
    EXPECT_FALSE(root.attribute("fuga").has_value());
    expectNoSecret(root.text());
    expectNoSecret(doc->serialize());
}

TEST(SafeParsing, DoctypeWithoutEntitiesIsAccepted)
{
    const auto doc =
        XmlDocument::parse("<?xml version=\"1.0\"?>\n<!DOCTYPE SERVICIO SYSTEM \"servicio.dtd\">\n"
                           "<SERVICIO>a &amp; b &#233; &lt;c&gt;</SERVICIO>",
                           "doctype.xml");
    EXPECT_EQ(doc->documentElement().text(), "a & b é <c>");
}

struct Malformed {
    const char* what;
    std::string content;
    std::string where; // "(línea L, columna C)" or empty when the parser gives none
    std::string reason;
};

const Malformed malformed[] = {
    {"tag mismatch", "<SERVICIO>\n  <SALIDAS>\n</SERVICIO>\n", "(línea 3, columna 12)",
     "la etiqueta de cierre </SERVICIO> no corresponde a la de apertura <SALIDAS> de la línea 2"},
    {"premature end", "<SERVICIO>\n  <SALIDAS>", "(línea 2, columna 12)",
     "el documento termina sin cerrar la etiqueta <SALIDAS> de la línea 2"},
    {"two roots", "<a/>\n<b/>", "(línea 2, columna 1)",
     "hay contenido después del final del documento"},
    {"text only", "hola", "(línea 1, columna 1)", "no hay ningún elemento"},
    {"only a comment", "<!-- nada -->\n", "(línea 2, columna 1)", "no hay ningún elemento"},
    {"blank file", "  \n\n", "(línea 3, columna 1)", "no hay ningún elemento"},
    {"empty file", "", "", "el archivo está vacío"},
    {"loose ampersand", "<a>\nPérez & hijos</a>", "(línea 2, columna 8)", "'&amp;'"},
    {"undefined entity", "<a>&nada;</a>", "(línea 1, columna 10)",
     "la entidad '&nada;' no está definida"},
    {"attribute without quotes", "<a b=c/>", "(línea 1, columna 6)",
     "un atributo no tiene su valor entre comillas"},
    {"repeated attribute", "<a b=\"1\" b=\"2\"/>", "(línea 1, columna 15)",
     "el atributo 'b' está repetido"},
    {"bad UTF-8",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a>Pe\xF1"
     "a</a>",
     "(línea 2, columna 6)", "el texto no está en la codificación que declara el documento"},
    {"control character", "<a>\n\x01</a>", "(línea 2, columna 1)",
     "hay un carácter que no se admite en XML"},
    {"unknown encoding", "<?xml version=\"1.0\" encoding=\"klingon\"?>\n<a/>",
     "(línea 1, columna 39)", "la codificación 'klingon' no se admite"},
    {"declaration not first", "\n<?xml version=\"1.0\"?>\n<a/>", "(línea 2, columna 6)",
     "la declaración <?xml ...?> no está al principio del archivo"},
};

void PrintTo(const Malformed& document, std::ostream* out)
{
    *out << document.what;
}

class MalformedDocument : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedDocument, ErrorNamesFileLineColumnAndReason)
{
    TempDir dir;
    const fs::path path = dir / "roto.xml";
    writeFile(path, GetParam().content);
    try {
        XmlDocument::load(path.string());
        FAIL() << "the document was accepted";
    } catch (const Error& error) {
        std::string expected = "El archivo '" + path.string() + "' no es un documento XML válido";
        if (!GetParam().where.empty())
            expected += " " + GetParam().where;
        expected += ": ";
        const std::string message = error.what();
        EXPECT_EQ(message.substr(0, expected.size()), expected) << message;
        EXPECT_NE(message.find(GetParam().reason, expected.size()), std::string::npos) << message;
    }
}

INSTANTIATE_TEST_SUITE_P(Parsing, MalformedDocument, testing::ValuesIn(malformed));

TEST(SafeParsing, UnreadableFilesAreNamedWithTheSystemReason)
{
    TempDir dir;
    const std::string missing = (dir / "no-existe.xml").string();
    try {
        XmlDocument::load(missing);
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "No se puede abrir el archivo '" + missing +
                                                 "': no existe el archivo o la carpeta");
    }
    try {
        XmlDocument::load(dir.path().string());
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "No se puede leer el archivo '" + dir.path().string() + "': es una carpeta");
    }
}

} // namespace
} // namespace tmq
