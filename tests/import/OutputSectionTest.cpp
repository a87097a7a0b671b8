// Where the import puts the teachers' lists in the document, what it keeps of
// the rest, and the result file it writes beside the chosen one.

#include "base/Error.h"
#include "import/ImportHarness.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace tmq::test {
namespace {

using testing::HasSubstr;

struct ShapeCase {
    std::string name;
    std::string document;
    std::string expected; // "@" stands for the teachers' lists
};

void PrintTo(const ShapeCase& c, std::ostream* out)
{
    *out << c.name;
}

std::string withLists(const std::string& text)
{
    std::string out = text;
    out.replace(out.find('@'), 1, kOneTeacherListsXml);
    return out;
}

const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::vector<ShapeCase> shapeCases()
{
    return {
        {"SectionLastInRootIsReplacedAndAttributesKept",
         kDeclaration + "<SERVICIO modulo=\"HORARIOS\" tipo=\"E\" version=\"1.0\"><ENTRADAS>"
                        "<entrada dato=\"D_CENTRO\">IES Peñas Blancas</entrada></ENTRADAS>"
                        "<SALIDAS><listasal seq=\"PROFESORES\"/></SALIDAS></SERVICIO>",
         kDeclaration + "<SERVICIO modulo=\"HORARIOS\" tipo=\"E\" version=\"1.0\"><ENTRADAS>"
                        "<entrada dato=\"D_CENTRO\">IES Peñas Blancas</entrada></ENTRADAS>"
                        "<SALIDAS>@</SALIDAS></SERVICIO>"},
        {"SectionInTheMiddleMovesToTheEndOthersKeepTheirOrder",
         kDeclaration + "<!-- cabecera --><SERVICIO><A>1</A><SALIDAS><listasal seq=\"X\"/>"
                        "</SALIDAS><B>2</B><!-- nota --><C c=\"3\"/></SERVICIO>",
         kDeclaration + "<!-- cabecera --><SERVICIO><A>1</A><B>2</B><!-- nota --><C c=\"3\"/>"
                        "<SALIDAS>@</SALIDAS></SERVICIO>"},
        {"SecondOfTwoSectionsGetsTheListsAndTheNewOneStaysEmpty",
         kDeclaration + "<SERVICIO><SALIDAS><listasal seq=\"PRIMERA\"/></SALIDAS><OTRA>x</OTRA>"
                        "<SALIDAS><listasal seq=\"SEGUNDA\"><salida>b</salida></listasal>"
                        "</SALIDAS><FIN/></SERVICIO>",
         kDeclaration + "<SERVICIO><OTRA>x</OTRA><SALIDAS><listasal seq=\"SEGUNDA\">"
                        "<salida>b</salida></listasal>@</SALIDAS><FIN/><SALIDAS/></SERVICIO>"},
        {"OnlyTheRootsOwnSectionCounts",
         kDeclaration + "<SERVICIO><X><SALIDAS><listasal seq=\"HONDA\"/></SALIDAS></X>"
                        "<SALIDAS/></SERVICIO>",
         kDeclaration + "<SERVICIO><X><SALIDAS><listasal seq=\"HONDA\"/></SALIDAS></X>"
                        "<SALIDAS>@</SALIDAS></SERVICIO>"},
        {"AnyRootName", kDeclaration + "<RAIZ r=\"1\"><SALIDAS/></RAIZ>",
         kDeclaration + "<RAIZ r=\"1\"><SALIDAS>@</SALIDAS></RAIZ>"},
    };
}

class DocumentShape : public testing::TestWithParam<ShapeCase> {};

TEST_P(DocumentShape, ListsGoToTheRootsFirstSectionAfterTheOldOneIsRemoved)
{
    const ShapeCase& c = GetParam();
    ImportFolder folder;
    folder.writeOneTeacherImport();
    folder.writeDocument(c.document);

    ASSERT_EQ(folder.runImport(), CommandResult::Completed);

    EXPECT_EQ(dump(readXmlTree(folder.result())), dump(parseXmlTree(withLists(c.expected))));
    EXPECT_EQ(readFile(folder.document()), c.document);
}

INSTANTIATE_TEST_SUITE_P(Documents, DocumentShape, testing::ValuesIn(shapeCases()),
                         [](const auto& tested) { return tested.param.name; });

TEST(OutputSection, ResultKeepsTheDeclaredEncoding)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    folder.writeDocument("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
                         "<SERVICIO centro=\"Pe\xF1"
                         "as\"><SALIDAS/></SERVICIO>\n");

    ASSERT_EQ(folder.runImport(), CommandResult::Completed);

    const std::string result = readFile(folder.result());
    EXPECT_THAT(result, HasSubstr("encoding=\"ISO-8859-1\""));
    EXPECT_THAT(result, HasSubstr("Pe\xF1"
                                  "as"));
}

TEST(OutputSection, DocumentWithoutSectionFailsBeforeAnyTableIsOpened)
{
    for (const std::string document :
         {"<SERVICIO><ENTRADAS/></SERVICIO>", "<SERVICIO><X><SALIDAS/></X></SERVICIO>"}) {
        SCOPED_TRACE(document);
        // No tables at all: had one been opened first, the error would name it.
        ImportFolder folder;
        folder.writeDocument(document);

        try {
            folder.runImport();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr("SALIDAS"));
            EXPECT_THAT(e.what(), HasSubstr("horario.xml"));
            EXPECT_THAT(e.what(), testing::Not(HasSubstr("wwTable")));
        }
        EXPECT_EQ(folder.xmlFolderNames(), std::vector<std::string>{"horario.xml"});
    }
}

TEST(ResultFile, IsWrittenBesideTheChosenFileWhichStaysUntouched)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();

    RecordingUi ui(folder.document().string());
    ASSERT_EQ(folder.runImport(ui), CommandResult::Completed);

    EXPECT_EQ(ui.events, (std::vector<std::string>{"choose", "busy on", "busy off",
                                                   "message: Proceso Terminado"}));
    EXPECT_EQ(folder.xmlFolderNames(),
              (std::vector<std::string>{"ResultadoMirtavhorario.xml", "horario.xml"}));
    EXPECT_EQ(readFile(folder.document()), kSmallDocument);
    EXPECT_EQ(dump(folder.resultSection()),
              dump(parseXmlTree(std::string("<SALIDAS>") + kOneTeacherListsXml + "</SALIDAS>")
                       .children.front()));
}

TEST(ResultFile, ImportingAgainReplacesTheOlderResult)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    writeFile(folder.result(), "<antiguo>no es de esta importación</antiguo>\n");
    ASSERT_EQ(folder.runImport(), CommandResult::Completed);
    const std::string first = readFile(folder.result());

    // The timetable changes: only the Tuesday lesson is left.
    writeRawTable(folder.work(), "SOLUC", solucFields(), {oneTeacherLessons()[1]});
    ASSERT_EQ(folder.runImport(), CommandResult::Completed);

    EXPECT_NE(readFile(folder.result()), first);
    EXPECT_EQ(
        dump(folder.resultSection()),
        dump(outputSection({employeeList(1, "10001", "01/09/2019",
                                         {{"G1001", "2", "400008", "A101", "1ESOA", "G1001"}})})));
    EXPECT_EQ(folder.xmlFolderNames(),
              (std::vector<std::string>{"ResultadoMirtavhorario.xml", "horario.xml"}));
}

TEST(ResultFile, FailedSaveLeavesNoTemporaryFileBehind)
{
    // A folder holds the result's name: the document is written, but cannot
    // take that name.
    ImportFolder folder;
    folder.writeOneTeacherImport();
    std::filesystem::create_directory(folder.result());
    writeFile(folder.result() / "dentro.txt", "sigue aquí");

    try {
        folder.runImport();
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("'" + folder.result().string() + "'"));
    }
    EXPECT_EQ(folder.xmlFolderNames(),
              (std::vector<std::string>{"ResultadoMirtavhorario.xml", "horario.xml"}));
    EXPECT_EQ(readFile(folder.result() / "dentro.txt"), "sigue aquí");
}

TEST(ResultFile, ResultHeldOpenByAnotherProgramIsLeftAsItWas)
{
    for (const auto kind : {ForeignLock::Kind::Flock, ForeignLock::Kind::Fcntl}) {
        ImportFolder folder;
        folder.writeOneTeacherImport();
        writeFile(folder.result(), "<antiguo/>\n");
        ForeignLock lock(folder.result(), kind);
        try {
            folder.runImport();
            ADD_FAILURE() << "no error";
        } catch (const Error& e) {
            EXPECT_THAT(e.what(), HasSubstr("'" + folder.result().string() + "'"));
        }
        EXPECT_EQ(readFile(folder.result()), "<antiguo/>\n");
        EXPECT_EQ(folder.xmlFolderNames(),
                  (std::vector<std::string>{"ResultadoMirtavhorario.xml", "horario.xml"}));
    }
}

TEST(ResultFile, ChoosingAResultFileWritesAResultOfTheResult)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    ASSERT_EQ(folder.runImport(), CommandResult::Completed);
    const std::string firstResult = readFile(folder.result());

    RecordingUi ui(folder.result().string());
    ASSERT_EQ(folder.runImport(ui), CommandResult::Completed);

    EXPECT_EQ(readFile(folder.result()), firstResult);
    const auto second = folder.xmlFolder() / "ResultadoMirtavResultadoMirtavhorario.xml";
    ASSERT_TRUE(std::filesystem::exists(second));
    // The first result's section is replaced like any other: one section, fresh lists.
    const XmlTree root = rootOf(readXmlTree(second));
    ASSERT_EQ(root.childrenNamed("SALIDAS").size(), 1u);
    EXPECT_EQ(dump(*root.child("SALIDAS")), dump(folder.resultSection()));
}

TEST(FileChoice, MissingFileShowsTheMessageAndNothingElse)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    struct Case {
        const char* name;
        std::optional<std::string> choice;
    };
    for (const Case& c : {Case{"cancelled with nothing chosen before", std::nullopt},
                          Case{"no such file", (folder.xmlFolder() / "falta.xml").string()},
                          Case{"a folder", folder.xmlFolder().string()}}) {
        SCOPED_TRACE(c.name);
        folder.session = Session{};
        RecordingUi ui(c.choice);

        EXPECT_EQ(folder.runImport(ui), CommandResult::FileMissing);

        EXPECT_EQ(ui.events, (std::vector<std::string>{"choose", "message: No existe archivo"}));
        EXPECT_EQ(folder.xmlFolderNames(), std::vector<std::string>{"horario.xml"});
    }
}

TEST(FileChoice, CancelKeepsTheEarlierChoice)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    folder.session.selectedXmlFile = folder.document().string();

    RecordingUi ui(std::nullopt);
    EXPECT_EQ(folder.runImport(ui), CommandResult::Completed);

    EXPECT_EQ(folder.session.selectedXmlFile, folder.document().string());
    EXPECT_TRUE(std::filesystem::exists(folder.result()));
}

TEST(FileChoice, ConfirmedChoiceReplacesTheEarlierOne)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    folder.session.selectedXmlFile = folder.document().string();
    const std::string missing = (folder.xmlFolder() / "otro.xml").string();

    RecordingUi ui(missing);
    EXPECT_EQ(folder.runImport(ui), CommandResult::FileMissing);

    EXPECT_EQ(folder.session.selectedXmlFile, missing);
    EXPECT_FALSE(std::filesystem::exists(folder.result()));
}

TEST(FileChoice, MalformedDocumentFailsWithItsPlaceAndWritesNothing)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    const auto chosen = folder.xmlFolder() / "malformado.xml";
    std::filesystem::copy_file(TMQ_TEST_DATA "/import/malformado.xml", chosen);

    RecordingUi ui(chosen.string());
    try {
        folder.runImport(ui);
        ADD_FAILURE() << "no error";
    } catch (const Error& e) {
        EXPECT_THAT(e.what(), HasSubstr("'" + chosen.string() + "'"));
        EXPECT_THAT(e.what(), HasSubstr("(línea 5, columna "));
    }
    // The pointer is on while loading and back off after the error.
    EXPECT_EQ(ui.events, (std::vector<std::string>{"choose", "busy on", "busy off"}));
    EXPECT_EQ(folder.xmlFolderNames(), (std::vector<std::string>{"horario.xml", "malformado.xml"}));
}

} // namespace
} // namespace tmq::test
