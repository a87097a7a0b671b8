// The export reads the document in one streaming pass and formats whole
// records. Here a generated district full of irregular markup goes through
// that export and through the plain reading the rules describe (the whole
// tree, XPath selections, one field at a time through the table engine),
// and the table files must agree byte for byte.
#include "base/CaseFold.h"
#include "base/Error.h"
#include "export/ExportCommand.h"
#include "export/ExportFixture.h"
#include "export/Sessions.h"
#include "tables/TableLayouts.h"
#include "tables/WholeNumber.h"
#include "xml/Envelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>

namespace tmq::test {
namespace {

// ---- The reference: the tree, XPath and the table engine, step by step ----

using Values = std::vector<XmlElement>;

void referenceStep(const XmlDocument& doc, const std::filesystem::path& folder,
                   const std::string& table, const std::vector<FieldDef>& layout,
                   const std::string& seq, std::size_t least,
                   const std::function<void(DbfTable&, const Values&)>& write)
{
    DbfTable dbf;
    DbfTable::removeFiles(folder, table);
    dbf.create(folder, table, layout);
    dbf.open(folder, table);
    for (const XmlElement& item :
         doc.selectNodes("/SERVICIO/SALIDAS/listasal[@seq=\"" + seq + "\"]/listasal")) {
        const Values values = doc.selectNodes(item, "salida");
        if (values.size() >= least)
            write(dbf, values);
    }
    dbf.close();
}

std::string weekday(const std::string& name)
{
    static const std::string kLetters = "LMXJVSD";
    if (name.empty())
        return "";
    const auto day = kLetters.find(name[0]);
    return day == std::string::npos ? name.substr(0, 1) : std::to_string(day + 1);
}

void referenceExport(const XmlDocument& doc, const std::filesystem::path& folder)
{
    std::set<std::string> codes;
    referenceStep(doc, folder, "ASIGNOMT", asignomtLayout(), "MATERIAS", 2,
                  [&](DbfTable& t, const Values& v) {
                      if (!codes.insert(foldCaseCp1252(valueAt(v, 1))).second)
                          return;
                      t.append();
                      t.setText("COD", valueAt(v, 1));
                      t.setText("CODLARGO", valueAt(v, 2));
                      t.setText("NOMBRE", valueAt(v, 3));
                      t.setText("MATERIA", valueAt(v, 0));
                      t.post();
                  });
    referenceStep(doc, folder, "PROFT", proftLayout(), "PROFESORES", 2,
                  [](DbfTable& t, const Values& v) {
                      t.append();
                      t.setText("ABREV", valueAt(v, 3));
                      t.setText("NOMBRE", valueAt(v, 2));
                      t.setText("X_EMPLEADO", valueAt(v, 0));
                      t.setText("F_TOMAPOS", valueAt(v, 1));
                      t.post();
                  });
    referenceStep(doc, folder, "AULAT", aulatLayout(), "AULAS", 2,
                  [](DbfTable& t, const Values& v) {
                      t.append();
                      t.setText("ABREV", valueAt(v, 1).empty() ? valueAt(v, 0) : valueAt(v, 1));
                      t.setText("NOMBRE", valueAt(v, 2));
                      t.setText("EDIFICIO", valueAt(v, 3));
                      t.setText("DEPCENTRO", valueAt(v, 0));
                      t.post();
                  });
    referenceStep(doc, folder, "GRUPOST", grupostLayout(), "GRUPOS", 2,
                  [](DbfTable& t, const Values& v) {
                      t.append();
                      t.setText("ABREV", valueAt(v, 1));
                      t.setText("TURNO", valueAt(v, 2));
                      t.setText("NIVEL", valueAt(v, 3).empty() ? "NIV" : valueAt(v, 3));
                      t.setText("CURSO", valueAt(v, 4));
                      t.setText("GRUPO", valueAt(v, 5));
                      t.setText("UNIDAD", valueAt(v, 0));
                      t.post();
                  });
    referenceStep(doc, folder, "ASIGT", asigtLayout(), "ASIGNATURAS", 2,
                  [](DbfTable& t, const Values& v) {
                      t.append();
                      t.setText("CASIG", valueAt(v, 0));
                      t.setText("CGRUP", valueAt(v, 1));
                      t.setText("CAULA", valueAt(v, 2));
                      t.setText("TURNO", valueAt(v, 3));
                      t.setText("NIVEL", valueAt(v, 4).empty() ? "NIV" : valueAt(v, 4));
                      t.setText("CURSO", valueAt(v, 5));
                      t.setText("GRUPO", valueAt(v, 6));
                      if (!valueAt(v, 7).empty())
                          t.setFloat("HORAS", parseWholeNumber(valueAt(v, 7)) / 60.0);
                      if (!(t.asFloat("HORAS") >= 1.0))
                          t.setFloat("HORAS", 1.0);
                      t.setText("SESIONES", sessionsText(t.asFloat("HORAS")));
                      t.post();
                  });
    referenceStep(doc, folder, "DIASHORAST", diashorastLayout(), "TRAMOS", 0,
                  [](DbfTable& t, const Values& v) {
                      std::map<std::string, std::string> slot;
                      for (const XmlElement& value : v) {
                          std::string dato = utf8ToCp1252(value.attribute("dato").value_or(""));
                          if (dato == "DIA")
                              dato = "NOMBRE";
                          if (dato == "CODIGO_QUELMAR" || dato == "NOMBRE" || dato == "INICIO" ||
                              dato == "FIN" || dato == "NINUTOS")
                              slot[dato] = readValue(value);
                      }
                      const std::string name = slot["NOMBRE"];
                      t.append();
                      t.setText("DIHO", name);
                      t.setText("DIA", weekday(name));
                      t.setText("HORA", name.size() > 1 ? name.substr(1, 2) : "");
                      t.setText("CODDIHO", slot["CODIGO_QUELMAR"]);
                      t.setText("HORADESDE", slot["INICIO"]);
                      t.setText("HORAHASTA", slot["FIN"]);
                      t.setText("MINUTOS", slot["NINUTOS"]);
                      t.post();
                  });
}

// ---- A generated district with the irregularities of real documents ----

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    int below(int bound)
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(bound));
    }

private:
    std::uint64_t state_;
};

// A value element's markup for `text` (UTF-8), written in one of the many
// ways that mean the same text, or with surroundings the value rule trims.
std::string valueMarkup(Random& r, const std::string& dato, const std::string& text)
{
    static const std::vector<std::string> kWrappings{
        "%",        " \t%\n ",    "<![CDATA[%]]>", "<!-- c -->%<?pi x?>",
        "<b>%</b>", "% <i> </i>", "%&#32;",        "&#x20;%"};
    std::string escaped;
    for (char c : text)
        escaped += c == '&' ? "&amp;" : c == '<' ? "&lt;" : std::string(1, c);
    std::string body = kWrappings[static_cast<std::size_t>(r.below(8))];
    const std::string inner = body.starts_with("<![CDATA[") ? text : escaped;
    body.replace(body.find('%'), 1, inner);
    const int attribute = r.below(6);
    std::string start = "<salida";
    if (!dato.empty() && attribute != 0)
        start += attribute == 1 ? " x:dato=\"" + dato + "\"" : " dato=\"" + dato + "\"";
    return start + ">" + body + "</salida>";
}

std::string districtDocument(std::uint64_t seed)
{
    Random r(seed);
    static const std::vector<std::string> kTexts{
        "Matemáticas", "Núñez & Peña", "a<b",  "  ",  "",    "MAT1", "mat1", "Ñandú", "X10",
        "L1",          "v123",         "0x5A", "+90", "-45", "781",  "1380", "€ “x”", "ÀÉÎÕÜ çñ"};
    static const std::vector<std::string> kSeqs{"MATERIAS",    "PROFESORES", "AULAS",    "GRUPOS",
                                                "ASIGNATURAS", "TRAMOS",     "materias", "OTROS"};
    static const std::vector<std::string> kDatos{"CODIGO_QUELMAR", "NOMBRE",  "DIA",
                                                 "INICIO",         "FIN",     "NINUTOS",
                                                 "nombre",         "NOMBRE ", "MINUTOS"};
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<SERVICIO xmlns:x=\"urn:x\"><ENTRADAS><listasal seq=\"MATERIAS\"><listasal>"
                      "<salida>no</salida><salida>leer</salida></listasal></listasal></ENTRADAS>\n";
    for (int section = 0; section < 3; ++section) {
        xml += section == 1 ? "<x:SALIDAS>" : "<SALIDAS>";
        for (int list = 0; list < 14; ++list) {
            const std::string& seq = kSeqs[static_cast<std::size_t>(r.below(8))];
            const bool plainList = r.below(10) != 0;
            xml +=
                plainList ? "<listasal seq=\"" + seq + "\">" : "<x:listasal seq=\"" + seq + "\">";
            for (int item = 0; item < 40; ++item) {
                const int kind = r.below(12);
                xml += kind == 0 ? "<salida>suelta</salida>" : "";
                xml += kind == 1 ? "<x:listasal>" : "<listasal>";
                const int values = r.below(11);
                for (int v = 0; v < values; ++v) {
                    std::string text = kTexts[static_cast<std::size_t>(r.below(18))];
                    if (seq == "ASIGNATURAS" && v == 7)
                        text = std::to_string(r.below(1500) - 100);
                    if (r.below(15) == 0)
                        xml += "<otro>1</otro>";
                    xml += valueMarkup(
                        r, seq == "TRAMOS" ? kDatos[static_cast<std::size_t>(r.below(9))] : "",
                        text);
                }
                xml += kind == 1 ? "</x:listasal>\n" : "</listasal>\n";
            }
            xml += plainList ? "</listasal>" : "</x:listasal>";
        }
        xml += section == 1 ? "</x:SALIDAS>\n" : "</SALIDAS>\n";
    }
    return xml + "</SERVICIO>\n";
}

// The same document in ISO-8859-1; characters it lacks become references.
std::string latin1(const std::string& utf8Document)
{
    std::string out;
    for (std::size_t i = 0; i < utf8Document.size();) {
        const auto lead = static_cast<unsigned char>(utf8Document[i]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        std::uint32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k)
            code = code << 6 | (static_cast<unsigned char>(utf8Document[i + k]) & 0x3Fu);
        i += length;
        out += code < 0x100 ? std::string(1, static_cast<char>(code))
                            : "&#" + std::to_string(code) + ";";
    }
    const std::string from = "encoding=\"UTF-8\"";
    return out.replace(out.find(from), from.size(), "encoding=\"ISO-8859-1\"");
}

// The file's bytes but for the date of the last change (bytes 1 to 3),
// which could differ if the day changed between the two exports.
std::string withoutDate(const std::filesystem::path& file)
{
    std::string bytes = readFile(file);
    if (bytes.size() > 4)
        bytes.replace(1, 3, "   ");
    return bytes;
}

// Where two files first differ, or nothing when they are the same.
std::string firstDifference(const std::string& a, const std::string& b)
{
    const auto at = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (at.first == a.end() && at.second == b.end())
        return "";
    return "byte " + std::to_string(at.first - a.begin()) + " of " + std::to_string(a.size()) +
           " and " + std::to_string(b.size());
}

class StreamingExport : public testing::TestWithParam<bool> {};

TEST_P(StreamingExport, WritesTheTablesOfTheTreeReadingByteForByte)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "stream");
    std::filesystem::create_directory(dir / "tree");
    std::string document = districtDocument(GetParam() ? 11 : 7);
    if (GetParam())
        document = latin1(document);
    writeFile(dir / "distrito.xml", document);

    ExportCommand command(dir / "stream");
    runInFrame(command, (dir / "distrito.xml").string());
    referenceExport(*XmlDocument::load((dir / "distrito.xml").string()), dir / "tree");

    std::size_t records = 0;
    for (const std::string& table : kExportTables) {
        const std::string file = table + ".DBF";
        EXPECT_EQ(
            firstDifference(withoutDate(dir / "stream" / file), withoutDate(dir / "tree" / file)),
            "")
            << table;
        records += readRows(dir / "stream", table).size();
    }
    EXPECT_GT(records, 300u) << "the generated case must exercise every step";
}

std::string encodingName(const testing::TestParamInfo<bool>& param)
{
    return param.param ? "Iso88591" : "Utf8";
}

INSTANTIATE_TEST_SUITE_P(Encodings, StreamingExport, testing::Bool(), encodingName);

// Every document the tree loader refuses, the streaming reading refuses with
// the same words, and before any table is touched.
TEST(StreamingExport, RefusesWhatTheTreeLoaderRefusesWithTheSameText)
{
    std::vector<std::filesystem::path> files;
    for (const char* folder : {"xml", "export", "import"})
        for (const auto& entry :
             std::filesystem::directory_iterator(std::string(TMQ_TEST_DATA) + "/" + folder))
            if (entry.path().extension() == ".xml")
                files.push_back(entry.path());
    TempDir dir;
    for (const std::filesystem::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::string treeText;
        try {
            XmlDocument::load(file.string());
        } catch (const Error& e) {
            treeText = e.what();
        }
        std::string streamText;
        try {
            ExportCommand command(dir / "no-existe");
            runInFrame(command, file.string());
        } catch (const Error& e) {
            streamText = e.what();
        }
        if (!treeText.empty()) {
            EXPECT_EQ(streamText, treeText);
        }
    }
}

} // namespace
} // namespace tmq::test
