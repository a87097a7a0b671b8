// The tables as the import finds them: SOLUC in the shapes the timetable
// program writes, faulty SOLUC tables, and tables missing or held by another
// program. A failed import writes nothing and leaves no table locked.

#include "base/Error.h"
#include "import/ImportHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tmq::test {
namespace {

using testing::HasSubstr;
using testing::StartsWith;

// A record for `fields` from values by field name; fields not named are blank.
RawRecord byName(const std::vector<RawField>& fields, const TableRow& values, bool deleted = false)
{
    RawRecord record{{}, deleted};
    for (const RawField& field : fields) {
        const auto found = values.find(field.name);
        record.values.push_back(found == values.end() ? std::string() : found->second);
    }
    return record;
}

TableRow lessonValues(const std::string& dia, const std::string& hora)
{
    return {{"PROF", "ANA"}, {"ASIG", "MAT"}, {"DIA", dia},
            {"HORA", hora},  {"AULA", "A1"},  {"CODGRUPO", "1A"}};
}

struct SolucShape {
    std::string name;
    std::vector<RawField> fields;
    std::vector<RawRecord> records;
    DbfLevel level = DbfLevel::DBase3;
};

void PrintTo(const SolucShape& c, std::ostream* out)
{
    *out << c.name;
}

std::vector<SolucShape> solucShapes()
{
    const auto standard = [](char type) {
        const std::vector<RawField> fields = solucFields(type);
        return std::vector<RawRecord>{byName(fields, lessonValues("1", "1")),
                                      byName(fields, lessonValues("2", "2"))};
    };
    const std::vector<RawField> reordered{
        {"NOTA", 'C', 10}, {"CODGRUPO", 'C', 4}, {"HORA", 'N', 2},
        {"PROF", 'C', 6},  {"SEMANA", 'N', 2},   {"DIA", 'N', 1},
        {"AULA", 'C', 4},  {"ASIG", 'C', 8},     {"PESO", 'F', 8, 3}};
    TableRow first = lessonValues("1", "1");
    first["NOTA"] = "mañana";
    first["SEMANA"] = "12";
    first["PESO"] = "1.500";
    TableRow second = lessonValues("2", "2");
    second["NOTA"] = "x";

    const std::vector<RawField> text = solucFields('C');
    return {
        {"NumbersInN", solucFields('N'), standard('N')},
        {"DigitTextInC", solucFields('C'), standard('C')},
        {"NumbersInF", solucFields('F'), standard('F')},
        {"BinaryIntegersOfVisualFoxPro", solucFields('I'), standard('I'), DbfLevel::VisualFoxPro},
        {"NumbersInNOfVisualFoxPro", solucFields('N'), standard('N'), DbfLevel::VisualFoxPro},
        {"ExtraFieldsInAnotherOrder",
         reordered,
         {byName(reordered, first), byName(reordered, second)}},
        {"DeletedRowsAreInvisible",
         text,
         {byName(text, lessonValues("x", "1"), true), byName(text, lessonValues("1", "1")),
          byName(text, lessonValues("3", "1"), true), byName(text, lessonValues("2", "2")),
          byName(text, lessonValues("1.5", "1"), true)}},
    };
}

class SolucAsWritten : public testing::TestWithParam<SolucShape> {};

TEST_P(SolucAsWritten, GivesTheSameLessons)
{
    const SolucShape& shape = GetParam();
    ImportFolder folder;
    folder.writeOneTeacherImport();
    writeRawTable(folder.work(), "SOLUC", shape.fields, shape.records, shape.level);

    ASSERT_EQ(folder.runImport(), CommandResult::Completed);

    EXPECT_EQ(dump(folder.resultSection()),
              dump(parseXmlTree(std::string("<SALIDAS>") + kOneTeacherListsXml + "</SALIDAS>")
                       .children.front()));
}

INSTANTIATE_TEST_SUITE_P(Shapes, SolucAsWritten, testing::ValuesIn(solucShapes()),
                         [](const auto& tested) { return tested.param.name; });

// Runs the import expecting a tmq::Error; returns its text. Checks that
// nothing was written and that no table is left locked.
std::string failingImport(ImportFolder& folder)
{
    std::string message;
    try {
        folder.runImport();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        message = e.what();
    }
    EXPECT_EQ(folder.xmlFolderNames(), std::vector<std::string>{"horario.xml"});
    for (const auto& [table, component] : importTableNames())
        EXPECT_FALSE(isFileLocked(folder.work() / (table + ".DBF"))) << table << " left locked";
    return message;
}

TEST(SolucFields, MissingFieldIsNamedWithTheComponent)
{
    for (const RawField& missing : solucFields()) {
        SCOPED_TRACE(missing.name);
        std::vector<RawField> fields;
        for (const RawField& field : solucFields())
            if (field.name != missing.name)
                fields.push_back(field);
        ImportFolder folder;
        folder.writeOneTeacherImport();
        writeRawTable(folder.work(), "SOLUC", fields, {byName(fields, lessonValues("1", "1"))});

        EXPECT_EQ(failingImport(folder),
                  "wwTableSoluc: No se encuentra el campo '" + missing.name + "'");
    }
}

TEST(SolucFields, ValueThatIsNoWholeNumberFails)
{
    struct Case {
        const char* name;
        std::vector<RawField> fields;
        TableRow values;
        const char* shown;
    };
    const std::vector<RawField> oneDecimal{{"PROF", 'C', 4},   {"ASIG", 'C', 4},
                                           {"DIA", 'N', 5, 1}, {"HORA", 'N', 3},
                                           {"AULA", 'C', 4},   {"CODGRUPO", 'C', 4}};
    for (const Case& c :
         {Case{"day as text", solucFields('C'), lessonValues("1.5", "1"), "1.5"},
          Case{"day with a fraction", oneDecimal, lessonValues("2.5", "1"), "2.5"},
          Case{"hour as text", solucFields('C'), lessonValues("1", "1.5"), "1.5"},
          Case{"day not a number", solucFields('C'), lessonValues("L", "1"), "L"}}) {
        SCOPED_TRACE(c.name);
        ImportFolder folder;
        folder.writeOneTeacherImport();
        writeRawTable(folder.work(), "SOLUC", c.fields, {byName(c.fields, c.values)});

        const std::string message = failingImport(folder);
        EXPECT_THAT(message, StartsWith("wwTableSoluc"));
        EXPECT_THAT(message,
                    HasSubstr(std::string("'") + c.shown + "' no es un valor entero válido"));
    }
}

TEST(ImportTables, FirstMissingTableInOpeningOrderIsReported)
{
    const auto& tables = importTableNames();
    for (std::size_t first = 0; first < tables.size(); ++first) {
        SCOPED_TRACE(tables[first].first);
        ImportFolder folder;
        folder.writeOneTeacherImport();
        for (std::size_t i = first; i < tables.size(); ++i)
            std::filesystem::remove(folder.work() / (tables[i].first + ".DBF"));

        const std::string message = failingImport(folder);
        EXPECT_THAT(message, StartsWith(tables[first].second + ":"));
        EXPECT_THAT(message, HasSubstr(tables[first].first));
    }
}

TEST(ImportTables, TableLockedByAnotherProgramFails)
{
    for (const auto kind : {ForeignLock::Kind::Flock, ForeignLock::Kind::Fcntl}) {
        for (const auto& [table, component] : importTableNames()) {
            SCOPED_TRACE(table + (kind == ForeignLock::Kind::Flock ? " flock" : " fcntl"));
            ImportFolder folder;
            folder.writeOneTeacherImport();
            std::string message;
            {
                ForeignLock lock(folder.work() / (table + ".DBF"), kind);
                try {
                    folder.runImport();
                    ADD_FAILURE() << "no error";
                } catch (const Error& e) {
                    message = e.what();
                }
            }
            EXPECT_THAT(message, StartsWith(component + ":"));
            EXPECT_EQ(folder.xmlFolderNames(), std::vector<std::string>{"horario.xml"});
            for (const auto& [other, ignored] : importTableNames())
                EXPECT_FALSE(isFileLocked(folder.work() / (other + ".DBF"))) << other;
        }
    }
}

TEST(ImportTables, AreReleasedAfterASuccessfulImport)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    ASSERT_EQ(folder.runImport(), CommandResult::Completed);
    for (const auto& [table, component] : importTableNames())
        EXPECT_FALSE(isFileLocked(folder.work() / (table + ".DBF"))) << table;
}

} // namespace
} // namespace tmq::test
