// The whole round trip on the sample school: export, a timetable built by
// the program's stand-in timetable, import; the result checked against a
// document built here from the sample's own catalogues and the stand-in's
// lessons.

#include "demo/DemoTimetable.h"
#include "export/ExportCommand.h"
#include "import/ImportHarness.h"
#include "support/CommandRun.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tmq::test {
namespace {

using Lesson = SolucRow;

// How many rows of DIASHORAST the stand-in sees; 0 for all of them. With few
// slots most lessons stay unplaced (day 0), which the import passes over.
struct SlotsKept {
    std::size_t rows;
    const char* name;
};

// Keeps only the first `rows` rows of DIASHORAST in `folder`.
void keepFirstTimeSlots(const std::filesystem::path& folder, std::size_t rows)
{
    std::vector<TableRow> kept;
    {
        DbfTable table;
        table.open(folder, "DIASHORAST");
        for (table.first(); !table.eof() && kept.size() < rows; table.next()) {
            TableRow row;
            for (const FieldDef& field : diashorastLayout())
                row[field.name] = cp1252ToUtf8(table.asText(field.name));
            kept.push_back(row);
        }
    }
    writeTable(folder, "DIASHORAST", diashorastLayout(), kept);
}

// The value texts of every item of catalogue `seq` in the document's SALIDAS.
std::vector<std::vector<std::string>> catalogue(const XmlTree& root, const std::string& seq)
{
    std::vector<std::vector<std::string>> items;
    for (const XmlTree& list : root.child("SALIDAS")->children) {
        if (list.attributes != decltype(list.attributes){{"seq", seq}})
            continue;
        for (const XmlTree& item : list.children) {
            std::vector<std::string> values;
            for (const XmlTree& value : item.children)
                values.push_back(value.text);
            items.push_back(values);
        }
    }
    return items;
}

// First value wins, as in the tables.
void addFirst(std::map<std::string, std::string>& map, const std::string& key,
              const std::string& value)
{
    map.try_emplace(key, value);
}

// The output section the sample school and `lessons` must give.
XmlTree expectedSection(const XmlTree& root, const std::vector<Lesson>& lessons)
{
    std::map<std::string, std::string> matterBySubject;
    for (const auto& item : catalogue(root, "MATERIAS"))
        addFirst(matterBySubject, item.at(1), item.at(0));
    std::map<std::string, std::string> placeByRoom;
    for (const auto& item : catalogue(root, "AULAS"))
        addFirst(placeByRoom, item.at(1).empty() ? item.at(0) : item.at(1), item.at(0));
    std::map<std::string, std::string> unitByGroup;
    for (const auto& item : catalogue(root, "GRUPOS"))
        addFirst(unitByGroup, item.at(1), item.at(0));
    // Slot names are a weekday letter and the hour, values in the order
    // CODIGO_QUELMAR, NOMBRE, INICIO, FIN, NINUTOS.
    std::map<std::string, std::string> codeBySlot;
    for (const auto& item : catalogue(root, "TRAMOS"))
        addFirst(codeBySlot, item.at(1), item.at(0));

    const auto lookup = [](const std::map<std::string, std::string>& map, const std::string& key) {
        const auto found = map.find(key);
        return found == map.end() ? std::string() : found->second;
    };

    std::vector<XmlTree> employees;
    int number = 1;
    for (const auto& teacher : catalogue(root, "PROFESORES")) {
        std::vector<Activity> activities;
        for (const Lesson& lesson : lessons) {
            if (lesson.prof != teacher.at(3) || lesson.dia == 0)
                continue;
            const std::string matter = lookup(matterBySubject, lesson.asig);
            const std::string slot =
                std::string(1, "LMXJVSD"[lesson.dia - 1]) + std::to_string(lesson.hora);
            activities.push_back({matter.starts_with("G") ? matter : "G439",
                                  std::to_string(lesson.dia), lookup(codeBySlot, slot),
                                  lookup(placeByRoom, lesson.aula),
                                  lookup(unitByGroup, lesson.codgrupo), matter});
        }
        employees.push_back(employeeList(number++, teacher.at(0), teacher.at(1), activities));
    }
    return outputSection(employees);
}

class FullCycle : public testing::TestWithParam<SlotsKept> {};

TEST_P(FullCycle, ResultHoldsEveryTeachersLessonsAndTheRestOfTheDocument)
{
    ImportFolder folder;
    const auto sample = folder.xmlFolder() / "centro.xml";
    std::filesystem::copy_file(TMQ_EXAMPLES "/centro.xml", sample);
    const std::string original = readFile(sample);

    RecordingUi exportUi(sample.string());
    ASSERT_EQ(runExportCommand(exportUi, folder.session, folder.work()), CommandResult::Completed);
    if (GetParam().rows > 0)
        keepFirstTimeSlots(folder.work(), GetParam().rows);
    DemoTimetableCommand demo(folder.work());
    runInFrame(demo);
    const DemoTimetable& timetable = demo.timetable();
    const std::vector<Lesson>& lessons = timetable.rows;

    RecordingUi importUi(sample.string());
    ASSERT_EQ(folder.runImport(importUi), CommandResult::Completed);
    EXPECT_EQ(importUi.events.back(), "message: Proceso Terminado");

    const auto resultPath = folder.xmlFolder() / "ResultadoMirtavcentro.xml";
    EXPECT_EQ(folder.xmlFolderNames(),
              (std::vector<std::string>{"ResultadoMirtavcentro.xml", "centro.xml"}));
    EXPECT_EQ(readFile(sample), original);

    // Expected: the sample with its SALIDAS taken out and the new one last.
    XmlTree expected = readXmlTree(sample);
    const XmlTree sampleRoot = rootOf(expected);
    for (XmlTree& node : expected.children) {
        if (node.name != sampleRoot.name)
            continue;
        const auto old = std::find_if(node.children.begin(), node.children.end(),
                                      [](const XmlTree& c) { return c.name == "SALIDAS"; });
        node.children.erase(old);
        node.children.push_back(expectedSection(sampleRoot, lessons));
    }
    const XmlTree result = readXmlTree(resultPath);
    EXPECT_EQ(dump(result), dump(expected));

    // The sample has seven teachers; the stand-in places every lesson when it
    // has all slots, and reports each one it leaves unplaced.
    const XmlTree& section = *rootOf(result).child("SALIDAS");
    EXPECT_EQ(section.childrenNamed("listasal").size(), 7u);
    std::size_t activities = 0;
    for (const XmlTree* employee : section.childrenNamed("listasal"))
        activities += employee->childrenNamed("listasal").size();
    const auto placed =
        std::count_if(lessons.begin(), lessons.end(), [](const Lesson& l) { return l.dia != 0; });
    EXPECT_EQ(activities, static_cast<std::size_t>(placed));
    EXPECT_EQ(lessons.size(), static_cast<std::size_t>(placed) + timetable.unplaced.size());
    if (GetParam().rows == 0)
        EXPECT_EQ(timetable.unplaced.size(), 0u);
    else
        EXPECT_GT(timetable.unplaced.size(), 0u);

    const std::string resultText = readFile(resultPath);
    EXPECT_THAT(resultText, testing::HasSubstr("IES Peñas Blancas"));
    EXPECT_THAT(resultText, testing::HasSubstr("<!-- Centro de ejemplo: IES Peñas Blancas"));
}

INSTANTIATE_TEST_SUITE_P(TimeSlots, FullCycle,
                         testing::Values(SlotsKept{0, "AllSlots"}, SlotsKept{3, "ThreeSlots"}),
                         [](const auto& tested) { return std::string(tested.param.name); });

} // namespace
} // namespace tmq::test
