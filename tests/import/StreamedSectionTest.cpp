// The import writes the teachers' lists straight into the saved file. Here
// a generated school goes through the import and through the plain way the
// rules describe (a filter of SOLUC per teacher, lookups scanning each table
// from the top, every list and value appended to the tree as an element),
// and the two saved documents must agree element for element.
#include "import/ImportHarness.h"
#include "support/CommandRun.h"
#include "xml/Envelope.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace tmq::test {
namespace {

// ---- The reference: every value appended to the tree as an element ----

using Rows = std::vector<TableRow>; // texts as the engine reads them, Windows-1252

Rows rowsOf(const std::filesystem::path& folder, const std::string& name)
{
    DbfTable table;
    table.open(folder, name);
    Rows rows;
    for (table.first(); !table.eof(); table.next()) {
        TableRow row;
        for (int i = 0; i < table.fieldCount(); ++i)
            row[table.fieldName(i)] = table.asText(table.fieldName(i));
        rows.push_back(row);
    }
    return rows;
}

// The value of `field` in the first row whose `key` is `value`, or "".
std::string lookUp(const Rows& rows, const std::string& key, const std::string& value,
                   const std::string& field)
{
    for (const TableRow& row : rows)
        if (row.at(key) == value)
            return row.at(field);
    return "";
}

void referenceImport(XmlDocument& doc, const std::filesystem::path& folder,
                     const std::string& resultPath)
{
    XmlElement root = doc.documentElement();
    doc.removeChild(root, doc.selectSingleNode(root, "SALIDAS"));
    doc.appendChild(root, doc.createElement("SALIDAS"));
    XmlElement section = doc.selectSingleNode(root, "SALIDAS");
    XmlElement block = doc.createElement("ERROR");
    doc.appendChild(section, block);
    appendValue(doc, block, "CN_ERROR", "0");
    appendValue(doc, block, "TE_ERROR", "Servicio finalizado Correctamente");

    const Rows soluc = rowsOf(folder, "SOLUC");
    const Rows subjects = rowsOf(folder, "ASIGNOMT");
    const Rows slots = rowsOf(folder, "DIASHORAST");
    const Rows rooms = rowsOf(folder, "AULAT");
    const Rows groups = rowsOf(folder, "GRUPOST");
    int n = 1;
    for (const TableRow& teacher : rowsOf(folder, "PROFT")) {
        XmlElement employee = appendList(doc, section, "EMPLEADO_" + std::to_string(n++));
        appendValue(doc, employee, "X_EMPLEADO", teacher.at("X_EMPLEADO"));
        appendValue(doc, employee, "F_TOMAPOS", teacher.at("F_TOMAPOS"));
        int m = 1;
        for (const TableRow& lesson : soluc) {
            if (lesson.at("PROF") != teacher.at("ABREV") || std::stoi(lesson.at("DIA")) == 0)
                continue;
            XmlElement activity = appendList(doc, employee, "ACTIVIDAD_" + std::to_string(m++));
            const std::string code = lookUp(subjects, "COD", lesson.at("ASIG"), "MATERIA");
            appendValue(doc, activity, "X_ACTIVIDAD", code.starts_with('G') ? code : "G439");
            const std::string day = lesson.at("DIA");
            const std::string letter = day.size() == 1 && day[0] >= '1' && day[0] <= '7'
                                           ? std::string(1, "LMXJVSD"[day[0] - '1'])
                                           : "";
            const std::string slotKey = letter + std::to_string(std::stoi(lesson.at("HORA")));
            appendValue(doc, activity, "N_DIASEMANA", lookUp(slots, "DIHO", slotKey, "DIA"));
            appendValue(doc, activity, "X_TRAMO", lookUp(slots, "DIHO", slotKey, "CODDIHO"));
            appendValue(doc, activity, "X_DEPCENTRO",
                        lookUp(rooms, "ABREV", lesson.at("AULA"), "DEPCENTRO"));
            appendValue(doc, activity, "X_UNIDAD",
                        lookUp(groups, "ABREV", lesson.at("CODGRUPO"), "UNIDAD"));
            appendValue(doc, activity, "X_MATERIAOMC", code);
        }
    }
    doc.save(resultPath);
}

// ---- A generated school whose values need escaping and other encodings ----

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    int below(int bound)
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<int>((state_ >> 33) % static_cast<std::uint64_t>(bound));
    }
    template <typename T> const T& pick(const std::vector<T>& from)
    {
        return from[static_cast<std::size_t>(below(static_cast<int>(from.size())))];
    }

private:
    std::uint64_t state_;
};

void writeSchool(const std::filesystem::path& folder, std::uint64_t seed)
{
    Random r(seed);
    const std::vector<std::string> keys{"A1", "A2", "O'N", "B*", "1A", "1a", "X", "", "Ñ1", "L1"};
    const std::vector<std::string> texts{"G100",  "g200", "Ñandú & Cía", "a<b>c",  "x\ry",
                                         "€ “z”", "",     "   ",         "GÉNERO", "Œuvre ‰"};
    SchoolTables school;
    for (int t = 0; t < 60; ++t)
        school.profesores.push_back({{"ABREV", t % 7 == 0 ? r.pick(keys) : "P" + std::to_string(t)},
                                     {"X_EMPLEADO", r.pick(texts)},
                                     {"F_TOMAPOS", std::to_string(t)}});
    for (int i = 0; i < 25; ++i) {
        school.grupos.push_back({{"ABREV", r.pick(keys)}, {"UNIDAD", r.pick(texts)}});
        school.aulas.push_back({{"ABREV", r.pick(keys)}, {"DEPCENTRO", r.pick(texts)}});
        school.materias.push_back({{"COD", r.pick(keys)}, {"MATERIA", r.pick(texts)}});
        school.tramos.push_back(
            {{"DIHO", std::string(1, "LMXJVSD"[r.below(7)]) + std::to_string(r.below(9))},
             {"CODDIHO", r.pick(texts)},
             {"DIA", std::to_string(r.below(8))}});
    }
    school.write(folder);

    std::vector<RawRecord> lessons;
    for (int row = 0; row < 3000; ++row) {
        const int teacher = r.below(64);
        const std::string prof =
            teacher < 60 ? school.profesores[static_cast<std::size_t>(teacher)].at("ABREV")
                         : "NADIE";
        RawRecord lesson{{prof, r.pick(keys), std::to_string(r.below(9)),
                          std::to_string(r.below(11)), r.pick(keys), r.pick(keys)}};
        lesson.deleted = r.below(30) == 0;
        lessons.push_back(lesson);
    }
    writeRawTable(folder, "SOLUC", solucFields(), lessons);
}

struct DocumentCase {
    std::string name;
    std::string document;
};

void PrintTo(const DocumentCase& c, std::ostream* os)
{
    *os << c.name;
}

class StreamedSection : public testing::TestWithParam<DocumentCase> {};

TEST_P(StreamedSection, SavesTheDocumentTheElementsWouldGive)
{
    TempDir dir;
    writeSchool(dir.path(), 5);
    const std::string source = (dir / "centro.xml").string();
    writeFile(source, GetParam().document);

    ImportCommand command(dir.path());
    runInFrame(command, source);
    std::filesystem::rename(dir / "ResultadoMirtavcentro.xml", dir / "streamed.xml");
    auto nodes = XmlDocument::load(source);
    referenceImport(*nodes, dir.path(), (dir / "nodes.xml").string());

    const std::string expected = dump(readXmlTree(dir / "nodes.xml"));
    EXPECT_EQ(dump(readXmlTree(dir / "streamed.xml")), expected);
    EXPECT_GT(std::count(expected.begin(), expected.end(), '\n'), 10000) << "too few lists";
}

std::string caseName(const testing::TestParamInfo<DocumentCase>& param)
{
    return param.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Documents, StreamedSection,
    testing::Values(
        DocumentCase{
            "Utf8SectionAmongOthers",
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- antes -->\n"
            "<SERVICIO xmlns:q=\"urn:q\" q:a=\"ñ &amp; &lt;\">\n <ENTRADAS>año</ENTRADAS>\n"
            " <SALIDAS><viejo/></SALIDAS>\n <FIN/>\n</SERVICIO>\n<!-- después -->\n"},
        DocumentCase{"Latin1WithoutSomeCharacters",
                     "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<SERVICIO a=\"\xF1\">"
                     "<SALIDAS/><ENTRADAS>\xE1\xE9</ENTRADAS></SERVICIO>"},
        DocumentCase{"TwoSectionsTheSecondKeepsItsContent",
                     "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<SERVICIO><SALIDAS/>"
                     "<SALIDAS><antiguo>\x80</antiguo></SALIDAS><OTRO/></SERVICIO>"},
        DocumentCase{"NoDeclaration", "<SERVICIO><![CDATA[x]]><SALIDAS/></SERVICIO>"}),
    caseName);

} // namespace
} // namespace tmq::test
