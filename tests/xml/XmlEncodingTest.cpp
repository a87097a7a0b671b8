#include "base/Cp1252.h"
#include "support/TestSupport.h"
#include "xml/Envelope.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace tmq {
namespace {

using test::readFile;
using test::TempDir;

std::string utf16(std::string_view ascii, bool bigEndian)
{
    std::string out;
    for (const char c : ascii) {
        out += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return out;
}

// "<a x='Núñez €'>Núñez €</a>" spelled out in UTF-16, with "Núñez €" given
// as its code units.
std::string utf16Document(const std::string& encodingName, bool bigEndian, bool bom)
{
    const std::string text = bigEndian ? std::string("\0N\0\xFA\0\xF1\0e\0z\0 \x20\xAC", 14)
                                       : std::string("N\0\xFA\0\xF1\0e\0z\0 \0\xAC\x20", 14);
    std::string doc = bom ? (bigEndian ? "\xFE\xFF" : "\xFF\xFE") : "";
    doc += utf16("<?xml version=\"1.0\" encoding=\"" + encodingName + "\"?>\n<a x=\"", bigEndian);
    doc += text + utf16("\">", bigEndian) + text + utf16("</a>\n", bigEndian);
    return doc;
}

struct Encoded {
    const char* what;
    std::string content;
    std::string declared;
    std::string text; // of the root and of its attribute x, in UTF-8
};

void PrintTo(const Encoded& encoded, std::ostream* out)
{
    *out << encoded.what;
}

const Encoded encodedDocuments[] = {
    {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<a x=\"Núñez €\">Núñez €</a>", "UTF-8",
     "Núñez €"},
    {"UTF-8 undeclared with BOM", "\xEF\xBB\xBF<a x=\"Núñez €\">Núñez €</a>", "", "Núñez €"},
    {"UTF-16 LE with BOM", utf16Document("UTF-16", false, true), "UTF-16", "Núñez €"},
    {"UTF-16 BE with BOM", utf16Document("UTF-16", true, true), "UTF-16", "Núñez €"},
    {"UTF-16LE without BOM", utf16Document("UTF-16LE", false, false), "UTF-16LE", "Núñez €"},
    {"ISO-8859-1",
     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
     "<a x=\"N\xFA\xF1"
     "ez\">N\xFA\xF1"
     "ez</a>",
     "ISO-8859-1", "Núñez"},
    {"windows-1252",
     "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
     "<a x=\"N\xFA\xF1"
     "ez \x80\">N\xFA\xF1"
     "ez \x80</a>",
     "windows-1252", "Núñez €"},
};

class EncodedDocument : public testing::TestWithParam<Encoded> {};

TEST_P(EncodedDocument, LoadsAndSavesInItsOwnEncoding)
{
    const Encoded& encoded = GetParam();
    const auto doc = XmlDocument::parse(encoded.content, "codificado.xml");
    EXPECT_EQ(doc->declaredEncoding(), encoded.declared);
    EXPECT_EQ(doc->documentElement().text(), encoded.text);
    EXPECT_EQ(doc->documentElement().attribute("x"), encoded.text);

    TempDir dir;
    const std::string saved = (dir / "guardado.xml").string();
    doc->save(saved);
    const std::string bytes = readFile(saved);
    EXPECT_EQ(bytes, doc->serialize());
    const auto reloaded = XmlDocument::load(saved);
    EXPECT_EQ(reloaded->declaredEncoding(), encoded.declared.empty() ? "UTF-8" : encoded.declared);
    EXPECT_EQ(reloaded->documentElement().text(), encoded.text);
    EXPECT_EQ(reloaded->documentElement().attribute("x"), encoded.text);
    // Written in the encoding itself, not as character references.
    EXPECT_EQ(bytes.find("&#"), std::string::npos) << bytes;
}

INSTANTIATE_TEST_SUITE_P(Encodings, EncodedDocument, testing::ValuesIn(encodedDocuments));

TEST(XmlEncoding, Utf16IsSavedWithByteOrderMark)
{
    const auto doc = XmlDocument::parse(utf16Document("UTF-16", true, true), "be.xml");
    const std::string saved = doc->serialize();
    ASSERT_GE(saved.size(), 4u);
    EXPECT_EQ(saved.substr(0, 4), std::string("\xFF\xFE<\0", 4));
}

TEST(XmlEncoding, CharactersTheEncodingLacksBecomeReferences)
{
    const auto doc =
        XmlDocument::parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<a>N\xFA\xF1"
                           "ez</a>",
                           "latin1.xml");
    XmlElement added = doc->createElement("b");
    added.setText("€ 你");
    added.setAttribute("x", "€");
    doc->appendChild(doc->documentElement(), added);

    const std::string saved = doc->serialize();
    EXPECT_NE(saved.find("N\xFA\xF1"
                         "ez"),
              std::string::npos);
    EXPECT_NE(saved.find("&#8364;"), std::string::npos) << saved;
    const auto reloaded = XmlDocument::parse(saved, "latin1.xml");
    const XmlElement b = reloaded->selectSingleNode(reloaded->documentElement(), "b");
    EXPECT_EQ(b.text(), "€ 你");
    EXPECT_EQ(b.attribute("x"), "€");
}

// Windows-1252 goes through the program's own table, the tables' one, so a
// document reads and saves alike wherever it runs: every byte, the five the
// code page leaves undefined included, comes back as it was.
TEST(XmlEncoding, Windows1252KeepsEveryByteUnderAnyOfItsNames)
{
    std::string upperHalf;
    for (int byte = 0x80; byte <= 0xFF; ++byte)
        upperHalf += static_cast<char>(byte);
    for (const std::string name : {"windows-1252", "Windows-1252", "CP1252", "cp1252"}) {
        SCOPED_TRACE(name);
        const std::string content = "<?xml version=\"1.0\" encoding=\"" + name + "\"?>\n<a x=\"" +
                                    upperHalf + "\">" + upperHalf + "</a>\n";
        const auto doc = XmlDocument::parse(content, "ansi.xml");
        EXPECT_EQ(doc->documentElement().text(), cp1252ToUtf8(upperHalf));
        EXPECT_EQ(doc->documentElement().attribute("x"), cp1252ToUtf8(upperHalf));
        EXPECT_EQ(doc->serialize(), content);
    }
}

TEST(XmlEncoding, Windows1252WritesReferencesForWhatItLacks)
{
    const auto doc =
        XmlDocument::parse("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<a>N\xFA\xF1"
                           "ez</a>\n",
                           "ansi.xml");
    XmlElement added = doc->createElement("b");
    // A C1 control character stands for no Windows byte: 0x80 is the euro.
    added.setText("€ 你 \u0080 ŒŸ");
    doc->appendChild(doc->documentElement(), added);
    const std::string saved = doc->serialize();
    EXPECT_NE(saved.find("<b>\x80 &#20320; &#128; \x8C\x9F</b>"), std::string::npos) << saved;
    const auto reloaded = XmlDocument::parse(saved, "ansi.xml");
    EXPECT_EQ(reloaded->selectSingleNode(reloaded->documentElement(), "b").text(),
              "€ 你 \u0080 ŒŸ");
}

TEST(XmlEncoding, MislabelledWindowsBytesReachTheTablesAsWindows1252)
{
    // Bytes 0x80 and 0x93 written by a Windows program under an ISO-8859-1
    // label: the parser reads U+0080 and U+0093, the tables get € and “ back.
    const auto doc =
        XmlDocument::parse("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<salida>\x80 5 \x93"
                           "a\x94</salida>",
                           "mal-etiquetado.xml");
    EXPECT_EQ(doc->documentElement().text(), "\u0080 5 \u0093a\u0094");
    EXPECT_EQ(readValue(doc->documentElement()), "\x80 5 \x93"
                                                 "a\x94");
}

} // namespace
} // namespace tmq
