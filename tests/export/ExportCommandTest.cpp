// The export command as the window runs it: file choice, messages, the busy
// pointer, and what is left in the working folder on success and on failure.
#include "base/Error.h"
#include "base/FolderLock.h"
#include "export/ExportFixture.h"
#include "tables/TableReplacement.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace tmq::test {
namespace {

using testing::ElementsAre;
using testing::HasSubstr;

// Answers the file choice with a fixed reply and records every call in order.
class RecordingUi : public UserInterface {
public:
    explicit RecordingUi(std::optional<std::string> reply) : reply_(std::move(reply)) {}

    std::optional<std::string> chooseXmlFile() override
    {
        calls.push_back("elegir");
        return reply_;
    }
    void setBusy(bool busy) override { calls.push_back(busy ? "ocupado" : "libre"); }
    void showMessage(const std::string& text) override { calls.push_back("mensaje: " + text); }

    // The busy pointer is off once every "ocupado" has had its "libre".
    bool busyLeftOn() const
    {
        int level = 0;
        for (const std::string& call : calls)
            level += call == "ocupado" ? 1 : call == "libre" ? -1 : 0;
        return level != 0;
    }

    std::vector<std::string> calls;

private:
    std::optional<std::string> reply_;
};

const std::string kDone = std::string("mensaje: ") + kExportDoneMessage;
const std::string kMissing = std::string("mensaje: ") + kFileMissingMessage;

std::string schoolDocument(const std::string& minutes = "240")
{
    return exchangeDocument({
        {"MATERIAS", positional({{"G1", "MAT", "MATEMAT", "Matemáticas"}, {"G2", "LEN"}}), ""},
        {"PROFESORES", positional({{"1", "01/09/2019", "Núñez Peña, María José", "MNP"}}), ""},
        {"AULAS", positional({{"A101", "A1", "Aula", "P"}}), ""},
        {"GRUPOS", positional({{"1ESOA", "1A", "M", "ESO", "1", "A"}}), ""},
        {"ASIGNATURAS", positional({{"MAT", "1A", "A1", "M", "ESO", "1", "A", minutes}}), ""},
        {"TRAMOS", {{named("NOMBRE", "L1"), named("INICIO", "08:15")}}, ""},
    });
}

// The bytes of every table and index file in the folder, by file name.
std::map<std::string, std::string> folderContents(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> contents;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        contents[entry.path().filename().string()] = readFile(entry.path());
    return contents;
}

std::map<std::string, std::vector<Row>> allRows(const std::filesystem::path& folder)
{
    std::map<std::string, std::vector<Row>> rows;
    for (const std::string& table : kExportTables)
        rows[table] = readRows(folder, table);
    return rows;
}

struct ExportCommandTest : testing::Test {
    TempDir dir;
    std::filesystem::path tables = dir / "MTEMP";
    std::string xmlFile = (dir / "centro.xml").string();
    Session session;

    void SetUp() override
    {
        std::filesystem::create_directory(tables);
        writeFile(xmlFile, schoolDocument());
    }
};

TEST_F(ExportCommandTest, WritesTheSixTablesAndSaysSo)
{
    RecordingUi ui(xmlFile);
    EXPECT_EQ(runExportCommand(ui, session, tables), CommandResult::Completed);
    EXPECT_THAT(ui.calls, ElementsAre("elegir", "ocupado", "libre", kDone));
    EXPECT_EQ(session.selectedXmlFile, xmlFile);
    const auto rows = allRows(tables);
    EXPECT_EQ(rows.at("ASIGNOMT").size(), 2u);
    EXPECT_EQ(rows.at("PROFT").at(0).at("NOMBRE"), "Núñez Peña, María José");
    EXPECT_EQ(rows.at("AULAT").size(), 1u);
    EXPECT_EQ(rows.at("GRUPOST").size(), 1u);
    EXPECT_EQ(rows.at("ASIGT").at(0).at("SESIONES"), "1111");
    EXPECT_EQ(rows.at("DIASHORAST").at(0).at("HORADESDE"), "08:15");
}

TEST_F(ExportCommandTest, MissingFileTouchesNothing)
{
    writeFile(tables / "ASIGNOMT.DBF", "tabla anterior");
    writeFile(tables / "ASIGNOMT.MDX", "índice anterior");
    const auto before = folderContents(tables);

    RecordingUi ui((dir / "no-existe.xml").string());
    EXPECT_EQ(runExportCommand(ui, session, tables), CommandResult::FileMissing);
    EXPECT_THAT(ui.calls, ElementsAre("elegir", kMissing));
    EXPECT_EQ(folderContents(tables), before);
}

TEST_F(ExportCommandTest, FolderChosenInsteadOfAFileIsMissing)
{
    RecordingUi ui(dir.path().string());
    EXPECT_EQ(runExportCommand(ui, session, tables), CommandResult::FileMissing);
    EXPECT_THAT(ui.calls, ElementsAre("elegir", kMissing));
    EXPECT_TRUE(std::filesystem::is_empty(tables));
}

TEST_F(ExportCommandTest, CancelledChoiceUsesTheEarlierFile)
{
    session.selectedXmlFile = xmlFile;
    RecordingUi ui(std::nullopt);
    EXPECT_EQ(runExportCommand(ui, session, tables), CommandResult::Completed);
    EXPECT_THAT(ui.calls, ElementsAre("elegir", "ocupado", "libre", kDone));
    EXPECT_EQ(session.selectedXmlFile, xmlFile);
    EXPECT_EQ(readRows(tables, "ASIGNOMT").size(), 2u);
}

TEST_F(ExportCommandTest, CancelledChoiceAfterAnEarlierExportExportsThatFileAgain)
{
    RecordingUi first(xmlFile);
    ASSERT_EQ(runExportCommand(first, session, tables), CommandResult::Completed);
    std::filesystem::remove(tables / "ASIGNOMT.DBF");

    RecordingUi second(std::nullopt);
    EXPECT_EQ(runExportCommand(second, session, tables), CommandResult::Completed);
    EXPECT_EQ(readRows(tables, "ASIGNOMT").size(), 2u);
}

TEST_F(ExportCommandTest, CancelledChoiceWithoutAnEarlierOneIsMissing)
{
    RecordingUi ui(std::nullopt);
    EXPECT_EQ(runExportCommand(ui, session, tables), CommandResult::FileMissing);
    EXPECT_THAT(ui.calls, ElementsAre("elegir", kMissing));
    EXPECT_TRUE(std::filesystem::is_empty(tables));
}

TEST_F(ExportCommandTest, RunningTwiceGivesTheSameTables)
{
    RecordingUi first(xmlFile);
    ASSERT_EQ(runExportCommand(first, session, tables), CommandResult::Completed);
    const auto rowsOnce = allRows(tables);
    std::map<std::string, std::uintmax_t> sizesOnce;
    for (const std::string& table : kExportTables)
        sizesOnce[table] = std::filesystem::file_size(tables / (table + ".DBF"));

    RecordingUi second(xmlFile);
    ASSERT_EQ(runExportCommand(second, session, tables), CommandResult::Completed);
    EXPECT_EQ(allRows(tables), rowsOnce);
    for (const std::string& table : kExportTables)
        EXPECT_EQ(std::filesystem::file_size(tables / (table + ".DBF")), sizesOnce[table]) << table;
}

TEST_F(ExportCommandTest, SecondConverterIsRefusedAndWhatAKilledOneLeftGoes)
{
    writeFile(tables / "ASIGNOMT.DBF", "tabla anterior");
    writeFile(tables / "ASIGNOMT.MDX", "índice anterior");
    // What an export killed while writing leaves: its lock file, no longer
    // locked, and a temporary table.
    writeFile(tables / FolderLock::kFileName, "");
    writeFile(tables / (temporaryTableName("ASIGT") + ".DBF"), "tabla a medias");
    const auto before = folderContents(tables);

    {
        FolderLock other;
        other.lock(tables);
        RecordingUi ui(xmlFile);
        try {
            runExportCommand(ui, session, tables);
            FAIL() << "la exportación no se rechazó";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr("'" + tables.string() + "' está en uso"));
        }
        EXPECT_THAT(ui.calls, ElementsAre("elegir"));
        EXPECT_EQ(folderContents(tables), before);
    }

    RecordingUi ui(xmlFile);
    ASSERT_EQ(runExportCommand(ui, session, tables), CommandResult::Completed);
    std::vector<std::string> names;
    for (const auto& [name, content] : folderContents(tables))
        names.push_back(name);
    EXPECT_THAT(names, ElementsAre("ASIGNOMT.DBF", "ASIGT.DBF", "AULAT.DBF", "DIASHORAST.DBF",
                                   "GRUPOST.DBF", "PROFT.DBF"));
}

TEST_F(ExportCommandTest, StaleIndexFilesAreRemoved)
{
    writeFile(tables / "ASIGNOMT.MDX", "índice viejo");
    writeFile(tables / "proft.mdx", "índice viejo");
    writeFile(tables / "DiasHorasT.mdx", "índice viejo");
    RecordingUi ui(xmlFile);
    ASSERT_EQ(runExportCommand(ui, session, tables), CommandResult::Completed);
    for (const std::string& table : kExportTables)
        EXPECT_TRUE(filesNamedAnyCase(tables, table + ".MDX").empty()) << table;
}

TEST_F(ExportCommandTest, FaultyMinutesReachTheCallerWithThePointerBackOff)
{
    writeFile(xmlFile, schoolDocument("90 min"));
    RecordingUi ui(xmlFile);
    try {
        runExportCommand(ui, session, tables);
        FAIL() << "la exportación no falló";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("'90 min' no es un valor entero válido"));
    }
    EXPECT_THAT(ui.calls, ElementsAre("elegir", "ocupado", "libre"));
}

TEST_F(ExportCommandTest, MissingWorkingFolderReachesTheCallerWithThePointerBackOff)
{
    RecordingUi ui(xmlFile);
    EXPECT_THROW(runExportCommand(ui, session, dir / "no-existe"), Error);
    EXPECT_THAT(ui.calls, ElementsAre("elegir", "ocupado", "libre"));
}

struct MalformedCase {
    std::string name;
    std::string file;        // under the test data folder
    std::optional<int> line; // none for a file without any line to point at
};

void PrintTo(const MalformedCase& c, std::ostream* os)
{
    *os << c.name;
}

class MalformedDocument : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedDocument, IsReportedAndLeavesTheTablesAsTheyWere)
{
    const MalformedCase& c = GetParam();
    TempDir dir;
    const std::filesystem::path tables = dir / "MTEMP";
    std::filesystem::create_directory(tables);
    const std::string good = (dir / "bueno.xml").string();
    writeFile(good, schoolDocument());
    Session session;
    RecordingUi first(good);
    ASSERT_EQ(runExportCommand(first, session, tables), CommandResult::Completed);
    writeFile(tables / "ASIGNOMT.MDX", "índice anterior");
    const auto before = folderContents(tables);

    const std::string broken = std::string(TMQ_TEST_DATA) + "/export/" + c.file;
    RecordingUi ui(broken);
    try {
        runExportCommand(ui, session, tables);
        FAIL() << "la exportación no falló";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr(c.file));
        if (c.line) {
            EXPECT_THAT(e.what(), HasSubstr("línea " + std::to_string(*c.line)));
            EXPECT_THAT(e.what(), HasSubstr("columna "));
        }
    }
    EXPECT_EQ(folderContents(tables), before);
    EXPECT_FALSE(ui.busyLeftOn());
    EXPECT_THAT(ui.calls, testing::Not(testing::Contains(kDone)));
}

const std::vector<MalformedCase> kMalformed{
    {"MismatchedClosingTag", "mismatched-tag.xml", 7},
    {"TruncatedDocument", "truncated.xml", 5},
    {"InvalidUtf8Byte", "invalid-utf8.xml", 5},
    {"EmptyFile", "empty.xml", std::nullopt},
};

std::string malformedName(const testing::TestParamInfo<MalformedCase>& info)
{
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedDocument, testing::ValuesIn(kMalformed), malformedName);

} // namespace
} // namespace tmq::test
