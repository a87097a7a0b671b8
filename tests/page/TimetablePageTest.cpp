// The timetable page: what it marks and lists for each kind of finding and
// for clashes, its escaping, the tables it accepts and refuses exactly as
// the import does, and its agreement with the result on the sample school.

#include "demo/DemoTimetable.h"
#include "export/ExportCommand.h"
#include "import/ImportHarness.h"
#include "page/TimetablePageCommand.h"
#include "support/CommandRun.h"
#include "support/ErrorText.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace tmq::test {
namespace {

using testing::HasSubstr;
using testing::Not;

// oneTeacherSchool() with two more slots: columns L and M, rows 1 and 2,
// and no slot on Tuesday at the first hour.
SchoolTables weekSchool()
{
    SchoolTables school = oneTeacherSchool();
    school.tramos.push_back(
        {{"DIHO", "L2"}, {"CODDIHO", "400002"}, {"DIA", "1"}, {"HORADESDE", "09:10"}});
    school.tramos[0]["HORADESDE"] = "08:15";
    school.tramos[0]["HORAHASTA"] = "09:10";
    return school;
}

// The files of a page set "horario.html", the index last.
const std::vector<std::string> kSetFiles = {"horario-profesores.html", "horario-grupos.html",
                                            "horario-aulas.html",      "horario-libres.html",
                                            "horario-plantilla.html",  "horario.html"};

// Writes the page of the folder's tables next to its document and reads
// all its files, one after the other.
std::string writePage(const ImportFolder& folder, const std::string& document = {})
{
    TimetablePageCommand page(folder.work(), (folder.xmlFolder() / "horario.html").string(),
                              document);
    runInFrame(page);
    std::string pages;
    for (const std::string& name : kSetFiles)
        pages += readFile(folder.xmlFolder() / name);
    return pages;
}

struct PageCase {
    std::string name;
    std::vector<RawRecord> extraLessons; // after oneTeacherLessons()
    std::vector<std::string> shown;
    std::vector<std::string> notShown;
};

void PrintTo(const PageCase& c, std::ostream* out)
{
    *out << c.name;
}

std::vector<PageCase> pageCases()
{
    return {
        {"NothingToReport",
         {},
         {"<b>2</b>clases que se enviarán", "<b>3</b>tramos horarios (DIASHORAST)",
          "<b>0</b>choques", "<b>0</b>filas de SOLUC con DIA 0",
          "<b>0</b>códigos de SOLUC sin pareja en AULAT",
          "Filas de SOLUC sin colocar (DIA 0): 0</h3>\n<p>Ninguna.",
          "Códigos de SOLUC sin pareja: 0 códigos en 0 clases</h3>\n<p>Ninguno.",
          "<h3>Choques: 0</h3>",
          "<tr><th scope=\"row\">Hora 1<span class=\"horas\">08:15–09:10</span></th>"
          "<td><div><b>MAT</b>1A · A1<small>MAT→G1001 · 1A→1ESOA · "
          "A1→A101</small></div></td><td class=\"v\">sin tramo</td></tr>",
          // The slots' codes and values, once in the index.
          "<tr><th scope=\"row\">Hora 1</th><td>L1→400001</td><td class=\"v\">sin tramo</td>"},
         {"<div class=\"f\"", "<td class=\"x\"", "Fuera de la rejilla", " title="}},
        {"DayZeroIsPassedOver",
         {{{"ANA", "MAT", "0", "1", "A1", "1A"}}},
         {"<b>1</b>filas de SOLUC con DIA 0", "Filas de SOLUC sin colocar (DIA 0): 1</h3>",
          "<li><a href=\"horario-profesores.html#p1\">ANA</a>: fila 3 de SOLUC</li>",
          "<b>2</b>clases que se enviarán"},
         {}},
        {"TeacherMissingFromProft",
         {{{"ZZZ", "MAT", "1", "2", "A1", "1A"}}},
         {"<b>1</b>profesores de SOLUC que no están en PROFT",
          "Filas de SOLUC de profesores que no están en PROFT: 1</h3>",
          "<li>Profesor 'ZZZ': 1 fila</li>"},
         {}},
        {"SubjectMissing",
         {{{"ANA", "NADA", "1", "2", "A1", "1A"}}},
         {"<li>Asignatura 'NADA': no está en ASIGNOMT (1 clase)</li>",
          "<b>1</b>códigos de SOLUC sin pareja en ASIGNOMT",
          "<div class=\"f\"><b><span class=\"sin\">Asignatura 'NADA': no está en "
          "ASIGNOMT</span></b>1A · A1<small>NADA (sin valor) · 1A→1ESOA",
          "1 clase con códigos sin pareja"},
         {}},
        {"SlotMissingInsideTheGrid",
         {{{"ANA", "MAT", "2", "1", "A1", "1A"}}},
         {"<li>Tramo 'M1': no está en DIASHORAST (1 clase)</li>",
          "<br><span class=\"sin\">Tramo 'M1': no está en DIASHORAST</span><small>"
          "MAT→G1001 · 1A→1ESOA · A1→A101</small></div>"},
         {"Fuera de la rejilla"}},
        {"SlotMissingOutsideTheGrid",
         {{{"ANA", "MAT", "1", "9", "A1", "1A"}}, {{"ANA", "MAT", "8", "9", "A1", "1A"}}},
         {"<li>Tramo 'L9': no está en DIASHORAST (1 clase)</li>",
          "<li>Tramo '9': no está en DIASHORAST (1 clase)</li>",
          "<li>lunes, hora 9 (Tramo 'L9': no está en DIASHORAST):<div class=\"f\"",
          "<li>sin día de la semana, hora 9 (Tramo '9': no está en DIASHORAST):"},
         {}},
        {"RoomAndGroupMissingGetGridsOfTheirOwn",
         {{{"ANA", "MAT", "1", "2", "X9", "9Z"}}},
         {"<a href=\"horario-aulas.html#a2\">Aula 'X9': no está en AULAT</a> (1 clase)",
          "<a href=\"horario-grupos.html#g2\">Grupo '9Z': no está en GRUPOST</a> (1 clase)",
          "<h2 id=\"h-a2\">Aula: <span class=\"sin\">Aula 'X9': no está en AULAT</span>",
          "<b>1</b>grupos (GRUPOST)"},
         {}},
        {"ClashOfTeacherGroupAndRoom",
         {{{"ANA", "MAT", "1", "1", "A1", "1A"}}},
         {"<b>3</b>choques", "<h3>Choques: 3</h3></summary>",
          // Once per slot and teacher, group or room, with its lessons, to the cell.
          "<li>Profesor <a href=\"horario-profesores.html#p1-c1\">ANA</a>: lunes, hora 1 (L1): "
          "2 clases: MAT 1A A1 (fila 1); MAT 1A A1 (fila 3)</li>",
          "<li>Grupo <a href=\"horario-grupos.html#g1-c1\">1A</a>: lunes, hora 1 (L1): 2 clases: "
          "MAT ANA A1 (fila 1); MAT ANA A1 (fila 3)</li>",
          "<li>Aula <a href=\"horario-aulas.html#a1-c1\">A1</a>: lunes, hora 1 (L1): 2 clases: "
          "MAT ANA 1A (fila 1); MAT ANA 1A (fila 3)</li>",
          "<td class=\"x\" id=\"p1-c1\"><p class=\"m\">Choque: 2 clases</p><div><b>MAT</b>",
          "<a href=\"horario-profesores.html#p1\">ANA</a> (1 choque)</li>",
          // The whole staff: the clash in the teacher's row.
          "<tr><th scope=\"row\">ANA</th><td class=\"x\"><span class=\"oculto\">choque: "
          "</span>2</td>"},
         {}},
        {"OnlyTheSameSlotClashes",
         {{{"ANA", "MAT", "1", "2", "A1", "1A"}}},
         {"<h3>Choques: 0</h3>"},
         {"<td class=\"x\""}},
    };
}

class PageShows : public testing::TestWithParam<PageCase> {};

TEST_P(PageShows, WhatTheImportWouldSendAndWhatItWouldNot)
{
    const PageCase& c = GetParam();
    ImportFolder folder;
    weekSchool().write(folder.work());
    std::vector<RawRecord> lessons = oneTeacherLessons();
    lessons.insert(lessons.end(), c.extraLessons.begin(), c.extraLessons.end());
    writeRawTable(folder.work(), "SOLUC", solucFields(), lessons);

    const std::string page = writePage(folder);

    for (const std::string& text : c.shown)
        EXPECT_NE(page.find(text), std::string::npos) << "falta: " << text;
    for (const std::string& text : c.notShown)
        EXPECT_EQ(page.find(text), std::string::npos) << "sobra: " << text;
}

INSTANTIATE_TEST_SUITE_P(Findings, PageShows, testing::ValuesIn(pageCases()),
                         [](const auto& tested) { return tested.param.name; });

TEST(TimetablePage, EscapesNamesAndCodesAndKeepsWindows1252Letters)
{
    ImportFolder folder;
    SchoolTables school = weekSchool();
    school.profesores = {{{"ABREV", "<&\"'"},
                          {"NOMBRE", "O'Brien & <Hijos> \"Ñú€\""},
                          {"X_EMPLEADO", "10001"},
                          {"F_TOMAPOS", "01/09/2019"}}};
    school.aulas[0]["NOMBRE"] = "Aula\x01 <b>1</b>";
    school.write(folder.work());
    writeRawTable(folder.work(), "SOLUC", solucFields(),
                  {{{"<&\"'", "MAT", "1", "1", "A1", "1A"}}});

    const std::string page = writePage(folder);

    EXPECT_THAT(page, HasSubstr("<h2 id=\"h-p1\">Profesor: O&#39;Brien &amp; &lt;Hijos&gt; "
                                "&quot;Ñú€&quot;</h2>"));
    EXPECT_THAT(page, HasSubstr("MAT→G1001 · 1A→1ESOA · &lt;&amp;&quot;&#39;→10001</small>"));
    EXPECT_THAT(page, HasSubstr("Aula\xEF\xBF\xBD &lt;b&gt;1&lt;/b&gt;"));
    EXPECT_THAT(page, Not(HasSubstr("<Hijos>")));
    EXPECT_THAT(page, Not(HasSubstr("\x01")));
}

// A second teacher and a third hour: on Monday BEA teaches at the first
// and third hours, ANA at the first only; on Tuesday BEA teaches the third.
TEST(TimetablePage, FreeTeachersAreThoseBetweenTwoLessonsOfTheDay)
{
    ImportFolder folder;
    SchoolTables school = weekSchool();
    school.profesores.push_back({{"ABREV", "BEA"}, {"X_EMPLEADO", "10002"}, {"F_TOMAPOS", "01/09/2019"}});
    school.tramos.push_back({{"DIHO", "L3"}, {"CODDIHO", "400003"}, {"DIA", "1"}});
    school.tramos.push_back({{"DIHO", "M3"}, {"CODDIHO", "400009"}, {"DIA", "2"}});
    school.write(folder.work());
    writeRawTable(folder.work(), "SOLUC", solucFields(),
                  {{{"ANA", "MAT", "1", "1", "A1", "1A"}},
                   {{"BEA", "MAT", "1", "1", "A1", "1A"}},
                   {{"BEA", "MAT", "1", "3", "A1", "1A"}},
                   {{"BEA", "MAT", "2", "3", "A1", "1A"}}});

    writePage(folder);
    const std::string free = readFile(folder.xmlFolder() / "horario-libres.html");

    EXPECT_THAT(free, HasSubstr("<h3>Lunes, hora 1 (08:15–09:10): 0 profesores</h3>\n"
                                "<p>Ninguno.</p>"));
    EXPECT_THAT(free, HasSubstr("<h3>Lunes, hora 2: 1 profesor</h3>\n<p>BEA</p>"));
    EXPECT_THAT(free, HasSubstr("<h3>Martes, hora 2: 0 profesores</h3>"));
}

// The index, the grids and the views are one set: an older set is
// replaced whole, nothing temporary stays, and every page names the
// folder, when SOLUC was written and, given the document, the school.
TEST(TimetablePage, ReplacesAnOlderSetWholeAndStampsEveryPage)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    for (const std::string& name : kSetFiles)
        writeFile(folder.xmlFolder() / name, "la página anterior");

    writePage(folder, folder.document().string());

    std::vector<std::string> expected = kSetFiles;
    expected.push_back("horario.xml");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(folder.xmlFolderNames(), expected);
    for (const std::string& name : kSetFiles) {
        const std::string page = readFile(folder.xmlFolder() / name);
        EXPECT_THAT(page, testing::StartsWith("<!DOCTYPE html>")) << name;
        EXPECT_THAT(page, HasSubstr("Centro: <b>IES Peñas Blancas</b>")) << name;
        EXPECT_THAT(page, HasSubstr("SOLUC escrito el ")) << name;
    }
    // Each grid says it too, for its printed sheet; the other files at the
    // foot of every sheet.
    const std::string grids = readFile(folder.xmlFolder() / "horario-profesores.html");
    EXPECT_THAT(grids, HasSubstr("<p class=\"sello\">IES Peñas Blancas · Carpeta "));
    EXPECT_THAT(grids, Not(HasSubstr("@bottom-left")));
    EXPECT_THAT(readFile(folder.xmlFolder() / "horario-plantilla.html"),
                HasSubstr("@bottom-left{content:\"Horario de Mirtavel: toda la plantilla · "
                          "IES Peñas Blancas"));
}

// Renaming over a folder would fail with the files before it already in
// place; any name of the set that is a folder is refused before one is written.
TEST(TimetablePage, NameOfTheSetThatIsAFolderIsRefusedBeforeAnyIsWritten)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    for (const std::string folderName : {"horario.html", "horario-aulas.html"}) {
        SCOPED_TRACE(folderName);
        for (const std::string& name : kSetFiles)
            writeFile(folder.xmlFolder() / name, "la página anterior");
        std::filesystem::remove(folder.xmlFolder() / folderName);
        std::filesystem::create_directory(folder.xmlFolder() / folderName);

        EXPECT_EQ(errorText([&] { writePage(folder); }),
                  "No se puede guardar el archivo '" +
                      (folder.xmlFolder() / folderName).string() + "': es una carpeta");
        for (const std::string& name : kSetFiles) {
            if (name == folderName)
                continue;
            EXPECT_EQ(readFile(folder.xmlFolder() / name), "la página anterior") << name;
        }
        std::filesystem::remove(folder.xmlFolder() / folderName);
    }
}

struct Refusal {
    std::string name;
    std::function<void(const ImportFolder&)> spoil;
};

void PrintTo(const Refusal& c, std::ostream* out)
{
    *out << c.name;
}

std::vector<Refusal> refusals()
{
    return {
        {"SolucWithoutCodgrupo",
         [](const ImportFolder& folder) {
             std::vector<RawField> fields = solucFields();
             fields.pop_back();
             writeRawTable(folder.work(), "SOLUC", fields, {{{"ANA", "MAT", "1", "1", "A1"}}});
         }},
        {"DayThatIsNoWholeNumber",
         [](const ImportFolder& folder) {
             writeRawTable(folder.work(), "SOLUC", solucFields('C'),
                           {{{"ANA", "MAT", "1.5", "1", "A1", "1A"}}});
         }},
        {"ControlCharacterInAValueSent",
         [](const ImportFolder& folder) {
             SchoolTables school = oneTeacherSchool();
             school.aulas[0]["DEPCENTRO"] = "A\x02";
             school.write(folder.work());
         }},
        {"MissingTable",
         [](const ImportFolder& folder) { std::filesystem::remove(folder.work() / "AULAT.DBF"); }},
    };
}

class PageRefuses : public testing::TestWithParam<Refusal> {};

TEST_P(PageRefuses, WhatTheImportRefusesWithTheSameErrorAndKeepsTheOldPage)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    GetParam().spoil(folder);
    const std::filesystem::path page = folder.xmlFolder() / "horario.html";
    writeFile(page, "la página anterior");

    const std::string importError = errorText([&] { folder.runImport(); });
    const std::string pageError = errorText([&] {
        TimetablePageCommand command(folder.work(), page.string());
        runInFrame(command);
    });

    EXPECT_FALSE(importError.empty());
    EXPECT_EQ(pageError, importError);
    EXPECT_EQ(readFile(page), "la página anterior");
    EXPECT_EQ(folder.xmlFolderNames(), (std::vector<std::string>{"horario.html", "horario.xml"}));
}

INSTANTIATE_TEST_SUITE_P(Tables, PageRefuses, testing::ValuesIn(refusals()),
                         [](const auto& tested) { return tested.param.name; });

TEST(TimetablePage, TableLockedByAnotherProgramIsRefusedAsTheImportRefusesIt)
{
    ImportFolder folder;
    folder.writeOneTeacherImport();
    ForeignLock lock(folder.work() / "GRUPOST.DBF", ForeignLock::Kind::Flock);

    EXPECT_EQ(errorText([&] {
                  TimetablePageCommand page(folder.work(),
                                            (folder.xmlFolder() / "h.html").string());
                  runInFrame(page);
              }),
              errorText([&] { folder.runImport(); }));
}

TEST(TimetablePage, TablesWithOnlyTheFieldsTheImportReadsShowCodes)
{
    ImportFolder folder;
    folder.writeDocument();
    const auto text = [](const char* name, int width) { return RawField{name, 'C', width}; };
    writeRawTable(folder.work(), "PROFT",
                  {text("ABREV", 4), text("X_EMPLEADO", 10), text("F_TOMAPOS", 10)},
                  {{{"ANA", "10001", "01/09/2019"}}});
    writeRawTable(folder.work(), "GRUPOST", {text("ABREV", 4), text("UNIDAD", 10)},
                  {{{"1A", "1ESOA"}}});
    writeRawTable(folder.work(), "AULAT", {text("ABREV", 4), text("DEPCENTRO", 10)},
                  {{{"A1", "A101"}}});
    writeRawTable(folder.work(), "ASIGNOMT", {text("COD", 4), text("MATERIA", 8)},
                  {{{"MAT", "G1001"}}});
    writeRawTable(folder.work(), "DIASHORAST",
                  {text("DIHO", 10), text("CODDIHO", 10), text("DIA", 20)},
                  {{{"L1", "400001", "1"}}});
    writeRawTable(folder.work(), "SOLUC", solucFields(), {{{"ANA", "MAT", "1", "1", "A1", "1A"}}});
    ASSERT_EQ(folder.runImport(), CommandResult::Completed);

    EXPECT_THAT(writePage(folder),
                HasSubstr("<tr><th scope=\"row\">Hora 1</th><td><div><b>MAT</b>1A · A1<small>"
                          "MAT→G1001 · 1A→1ESOA · A1→A101</small></div></td></tr>"));

    // With no teachers the import looks nothing up: tables without even
    // their keys pass, and so does the page.
    writeRawTable(folder.work(), "PROFT", {text("ABREV", 4)}, {});
    writeRawTable(folder.work(), "GRUPOST", {text("OTRO", 4)}, {{{"1A"}}});
    ASSERT_EQ(folder.runImport(), CommandResult::Completed);
    EXPECT_THAT(writePage(folder), HasSubstr("<h3>Grupos (0)</h3>\n<p>Ninguno.</p>"));
}

// The counts of the page's grids and lessons agree with the result the
// import writes from the same tables: the sample school, planned by the
// stand-in.
TEST(TimetablePage, AgreesWithTheResultOnTheSampleSchool)
{
    ImportFolder folder;
    writeFile(folder.document(), readFile(TMQ_EXAMPLES "/centro.xml"));
    RecordingUi ui(folder.document().string());
    ASSERT_EQ(runExportCommand(ui, folder.session, folder.work()), CommandResult::Completed);
    DemoTimetableCommand demo(folder.work());
    runInFrame(demo);
    ASSERT_EQ(folder.runImport(), CommandResult::Completed);

    const std::string page = writePage(folder);
    const XmlTree section = folder.resultSection();
    std::size_t employee = 0;
    std::size_t lessons = 0;
    for (const XmlTree* list : section.childrenNamed("listasal")) {
        const std::size_t activities = list->childrenNamed("listasal").size();
        lessons += activities;
        // The line under the grid's heading: its codes and how many lessons.
        const std::size_t grid =
            page.find("<section class=\"rejilla\" id=\"p" + std::to_string(++employee) + "\"");
        ASSERT_NE(grid, std::string::npos) << "EMPLEADO_" << employee;
        const std::size_t line = page.find("<p>", grid);
        EXPECT_THAT(page.substr(line, page.find("</p>", line) - line),
                    testing::EndsWith("X_EMPLEADO " + list->children.at(0).text + " · " +
                                      std::to_string(activities) +
                                      (activities == 1 ? " clase" : " clases")))
            << "EMPLEADO_" << employee;
    }
    EXPECT_EQ(employee, 7u);
    EXPECT_THAT(page, HasSubstr("<b>" + std::to_string(lessons) + "</b>clases que se enviarán"));
    const auto count = [&page](const std::string& text) {
        std::size_t n = 0;
        for (auto at = page.find(text); at != std::string::npos; at = page.find(text, at + 1))
            ++n;
        return n;
    };
    EXPECT_EQ(count("<section class=\"rejilla\""), 7u + 4u + 6u);
    // The index, alphabetical, leads to every grid.
    EXPECT_EQ(count("<li><a href=\"horario-profesores.html#p"), 7u);
    EXPECT_EQ(count("<li><a href=\"horario-grupos.html#g"), 4u);
    EXPECT_EQ(count("<li><a href=\"horario-aulas.html#a"), 6u);
}

} // namespace
} // namespace tmq::test
