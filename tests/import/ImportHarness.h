#pragma once

// What the import tests share: a user interface that records what it is
// asked, the result document read back as a plain tree (with libxml2 itself,
// not with the program's document service), the expected output section
// assembled list by list, and a working folder with hand-made tables.

#include "base/Cp1252.h"
#include "frame/Session.h"
#include "frame/UserInterface.h"
#include "import/ImportCommand.h"
#include "support/SolucTables.h"
#include "support/TestSupport.h"
#include "tables/DbfTable.h"
#include "tables/TableLayouts.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tmq::test {

// Answers the file choice with `choice` and records every request in order.
class RecordingUi : public UserInterface {
public:
    explicit RecordingUi(std::optional<std::string> answer = std::nullopt)
        : choice(std::move(answer))
    {
    }

    std::optional<std::string> chooseXmlFile() override
    {
        events.push_back("choose");
        return choice;
    }
    void setBusy(bool busy) override { events.push_back(busy ? "busy on" : "busy off"); }
    void showMessage(const std::string& text) override { events.push_back("message: " + text); }

    std::optional<std::string> choice;
    std::vector<std::string> events;
};

// An element, comment or whole document as plain data. Text is kept only for
// elements without child elements; white space between elements is dropped.
struct XmlTree {
    std::string name; // "#document", "#comment" or the element's name
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;
    std::vector<XmlTree> children;

    // The first child element of that name, or nothing.
    const XmlTree* child(const std::string& childName) const
    {
        for (const XmlTree& c : children)
            if (c.name == childName)
                return &c;
        return nullptr;
    }
    std::vector<const XmlTree*> childrenNamed(const std::string& childName) const
    {
        std::vector<const XmlTree*> found;
        for (const XmlTree& c : children)
            if (c.name == childName)
                found.push_back(&c);
        return found;
    }
};

inline XmlTree toTree(xmlNode* node)
{
    XmlTree tree;
    const auto text = [](const xmlChar* content) {
        return content ? std::string(reinterpret_cast<const char*>(content)) : std::string();
    };
    if (node->type == XML_COMMENT_NODE) {
        tree.name = "#comment";
        tree.text = text(node->content);
        return tree;
    }
    tree.name = node->type == XML_DOCUMENT_NODE ? "#document" : text(node->name);
    if (node->type == XML_ELEMENT_NODE) {
        for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next) {
            xmlChar* value = xmlNodeGetContent(reinterpret_cast<xmlNode*>(attribute));
            tree.attributes.emplace_back(text(attribute->name), text(value));
            xmlFree(value);
        }
    }
    bool hasElements = false;
    for (xmlNode* c = node->children; c; c = c->next)
        hasElements = hasElements || c->type == XML_ELEMENT_NODE;
    for (xmlNode* c = node->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE || c->type == XML_COMMENT_NODE) {
            tree.children.push_back(toTree(c));
        } else if (c->type == XML_TEXT_NODE || c->type == XML_CDATA_SECTION_NODE) {
            const std::string content = text(c->content);
            if (!hasElements)
                tree.text += content;
            else if (content.find_first_not_of(" \t\r\n") != std::string::npos)
                tree.children.push_back({"#text", {}, content, {}});
        }
    }
    return tree;
}

// A document as a tree; text libxml2 cannot read throws. Parsed from memory:
// the program under test bars libxml2 from loading files by itself.
inline XmlTree parseXmlTree(const std::string& content)
{
    xmlDoc* doc = xmlReadMemory(content.data(), static_cast<int>(content.size()), "documento.xml",
                                nullptr, XML_PARSE_NONET);
    if (!doc)
        throw std::runtime_error("libxml2 cannot read:\n" + content.substr(0, 2000));
    XmlTree tree = toTree(reinterpret_cast<xmlNode*>(doc));
    xmlFreeDoc(doc);
    return tree;
}

inline XmlTree readXmlTree(const std::filesystem::path& path)
{
    return parseXmlTree(readFile(path));
}

// One line per node, indented by depth: the form trees are compared in, so
// that a failure shows where they part.
inline std::string dump(const XmlTree& tree, int depth = 0)
{
    std::string out(static_cast<std::size_t>(depth) * 2, ' ');
    out += tree.name;
    for (const auto& [name, value] : tree.attributes)
        out += " " + name + "=\"" + value + "\"";
    if (!tree.text.empty() || tree.children.empty())
        out += " [" + tree.text + "]";
    out += "\n";
    for (const XmlTree& c : tree.children)
        out += dump(c, depth + 1);
    return out;
}

// The root element of a document tree.
inline const XmlTree& rootOf(const XmlTree& document)
{
    for (const XmlTree& c : document.children)
        if (c.name != "#comment")
            return c;
    throw std::runtime_error("document without root element");
}

// The values an activity list carries, in the order it carries them.
struct Activity {
    std::string actividad;
    std::string diaSemana;
    std::string tramo;
    std::string depCentro;
    std::string unidad;
    std::string materiaOmc;
};

inline XmlTree salida(const std::string& dato, const std::string& text)
{
    return {"salida", {{"dato", dato}}, text, {}};
}

inline XmlTree activityList(int number, const Activity& a)
{
    return {"listasal",
            {{"seq", "ACTIVIDAD_" + std::to_string(number)}},
            {},
            {salida("X_ACTIVIDAD", a.actividad), salida("N_DIASEMANA", a.diaSemana),
             salida("X_TRAMO", a.tramo), salida("X_DEPCENTRO", a.depCentro),
             salida("X_UNIDAD", a.unidad), salida("X_MATERIAOMC", a.materiaOmc)}};
}

// A teacher's list: its two values, then its activities numbered from 1.
inline XmlTree employeeList(int number, const std::string& empleado, const std::string& tomaPos,
                            const std::vector<Activity>& activities)
{
    XmlTree list{"listasal",
                 {{"seq", "EMPLEADO_" + std::to_string(number)}},
                 {},
                 {salida("X_EMPLEADO", empleado), salida("F_TOMAPOS", tomaPos)}};
    for (std::size_t i = 0; i < activities.size(); ++i)
        list.children.push_back(activityList(static_cast<int>(i) + 1, activities[i]));
    return list;
}

inline XmlTree errorBlock()
{
    return {"ERROR",
            {},
            {},
            {salida("CN_ERROR", "0"), salida("TE_ERROR", "Servicio finalizado Correctamente")}};
}

// A fresh output section: the error block, then the teachers' lists.
inline XmlTree outputSection(std::vector<XmlTree> employees)
{
    XmlTree section{"SALIDAS", {}, {}, {errorBlock()}};
    for (XmlTree& e : employees)
        section.children.push_back(std::move(e));
    return section;
}

// A table row by field name, texts in UTF-8.
using TableRow = std::map<std::string, std::string>;

// Writes NAME.DBF with the export's layout, through the engine.
inline void writeTable(const std::filesystem::path& folder, const std::string& name,
                       const std::vector<FieldDef>& layout, const std::vector<TableRow>& rows)
{
    DbfTable table;
    table.create(folder, name, layout);
    table.open(folder, name);
    for (const TableRow& row : rows) {
        table.append();
        for (const auto& [field, value] : row)
            table.setText(field, utf8ToCp1252(value));
        table.post();
    }
    table.close();
}

// The five tables of the export that the import joins with SOLUC.
struct SchoolTables {
    std::vector<TableRow> profesores; // PROFT
    std::vector<TableRow> grupos;     // GRUPOST
    std::vector<TableRow> aulas;      // AULAT
    std::vector<TableRow> materias;   // ASIGNOMT
    std::vector<TableRow> tramos;     // DIASHORAST

    void write(const std::filesystem::path& folder) const
    {
        writeTable(folder, "PROFT", proftLayout(), profesores);
        writeTable(folder, "GRUPOST", grupostLayout(), grupos);
        writeTable(folder, "AULAT", aulatLayout(), aulas);
        writeTable(folder, "ASIGNOMT", asignomtLayout(), materias);
        writeTable(folder, "DIASHORAST", diashorastLayout(), tramos);
    }
};

// One teacher, ANA, and one partner for each lookup.
inline SchoolTables oneTeacherSchool()
{
    SchoolTables school;
    school.profesores = {{{"ABREV", "ANA"}, {"X_EMPLEADO", "10001"}, {"F_TOMAPOS", "01/09/2019"}}};
    school.grupos = {{{"ABREV", "1A"}, {"UNIDAD", "1ESOA"}}};
    school.aulas = {{{"ABREV", "A1"}, {"DEPCENTRO", "A101"}}};
    school.materias = {{{"COD", "MAT"}, {"MATERIA", "G1001"}}};
    school.tramos = {{{"DIHO", "L1"}, {"CODDIHO", "400001"}, {"DIA", "1"}},
                     {{"DIHO", "M2"}, {"CODDIHO", "400008"}, {"DIA", "2"}}};
    return school;
}

// ANA's lessons in oneTeacherSchool(): Monday first hour, Tuesday second.
inline std::vector<RawRecord> oneTeacherLessons()
{
    return {{{"ANA", "MAT", "1", "1", "A1", "1A"}}, {{"ANA", "MAT", "2", "2", "A1", "1A"}}};
}

// The lists written for oneTeacherLessons(), error block first, as XML text.
inline const char* kOneTeacherListsXml =
    "<ERROR><salida dato=\"CN_ERROR\">0</salida>"
    "<salida dato=\"TE_ERROR\">Servicio finalizado Correctamente</salida></ERROR>"
    "<listasal seq=\"EMPLEADO_1\"><salida dato=\"X_EMPLEADO\">10001</salida>"
    "<salida dato=\"F_TOMAPOS\">01/09/2019</salida>"
    "<listasal seq=\"ACTIVIDAD_1\"><salida dato=\"X_ACTIVIDAD\">G1001</salida>"
    "<salida dato=\"N_DIASEMANA\">1</salida><salida dato=\"X_TRAMO\">400001</salida>"
    "<salida dato=\"X_DEPCENTRO\">A101</salida><salida dato=\"X_UNIDAD\">1ESOA</salida>"
    "<salida dato=\"X_MATERIAOMC\">G1001</salida></listasal>"
    "<listasal seq=\"ACTIVIDAD_2\"><salida dato=\"X_ACTIVIDAD\">G1001</salida>"
    "<salida dato=\"N_DIASEMANA\">2</salida><salida dato=\"X_TRAMO\">400008</salida>"
    "<salida dato=\"X_DEPCENTRO\">A101</salida><salida dato=\"X_UNIDAD\">1ESOA</salida>"
    "<salida dato=\"X_MATERIAOMC\">G1001</salida></listasal></listasal>";

// The tables the import opens, in its order, with their components' names.
inline const std::vector<std::pair<std::string, std::string>>& importTableNames()
{
    static const std::vector<std::pair<std::string, std::string>> names{
        {"SOLUC", "wwTableSoluc"}, {"GRUPOST", "wwTableGrupos"},  {"PROFT", "wwTableProfesor"},
        {"AULAT", "wwTableAulas"}, {"ASIGNOMT", "wwTableNomAsg"}, {"DIASHORAST", "wwTableTramos"}};
    return names;
}

// A small exchange document whose only output section is last in the root.
inline const char* kSmallDocument =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<SERVICIO modulo=\"HORARIOS\" tipo=\"E\">\n"
    "  <ENTRADAS><entrada dato=\"D_CENTRO\">IES Peñas Blancas</entrada></ENTRADAS>\n"
    "  <SALIDAS><listasal seq=\"PROFESORES\"><listasal><salida>1</salida></listasal>"
    "</listasal></SALIDAS>\n"
    "</SERVICIO>\n";

// A working folder "mtemp" and a document folder "xml" under one temporary
// folder, and the import run on them as the window runs it.
class ImportFolder {
public:
    ImportFolder()
    {
        std::filesystem::create_directory(work());
        std::filesystem::create_directory(xmlFolder());
    }

    std::filesystem::path work() const { return dir_ / "mtemp"; }
    std::filesystem::path xmlFolder() const { return dir_ / "xml"; }
    std::filesystem::path document() const { return xmlFolder() / "horario.xml"; }
    std::filesystem::path result() const { return xmlFolder() / "ResultadoMirtavhorario.xml"; }

    void writeDocument(const std::string& content = kSmallDocument) const
    {
        writeFile(document(), content);
    }

    // oneTeacherSchool() with oneTeacherLessons() and the small document.
    void writeOneTeacherImport() const
    {
        oneTeacherSchool().write(work());
        writeRawTable(work(), "SOLUC", solucFields(), oneTeacherLessons());
        writeDocument();
    }

    // The import through `ui`, on this folder's session.
    CommandResult runImport(RecordingUi& ui) { return runImportCommand(ui, session, work()); }
    // The import with the document chosen.
    CommandResult runImport()
    {
        RecordingUi ui(document().string());
        return runImport(ui);
    }

    // The file names in the document folder, sorted.
    std::vector<std::string> xmlFolderNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(xmlFolder()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The result's last SALIDAS section.
    XmlTree resultSection() const
    {
        const XmlTree document = readXmlTree(result());
        const auto sections = rootOf(document).childrenNamed("SALIDAS");
        if (sections.empty())
            throw std::runtime_error("result without SALIDAS");
        return *sections.back();
    }

    Session session;

private:
    TempDir dir_;
};

#ifdef _WIN32

// Windows has one kind: another process holds the file open, sharing only
// reading, until the object goes.
class ForeignLock {
public:
    enum class Kind { Flock, Fcntl };
    ForeignLock(const std::filesystem::path& path, Kind) : held_(path) {}

private:
    HeldByAnotherProcess held_;
};

inline bool isFileLocked(const std::filesystem::path& path)
{
    return isFileOpenAnywhere(path);
}

#else

// Holds a lock on a file from a child process, as another program would,
// until the object goes.
class ForeignLock {
public:
    enum class Kind { Flock, Fcntl };

    ForeignLock(const std::filesystem::path& path, Kind kind)
    {
        int ready[2];
        int release[2];
        if (pipe(ready) != 0 || pipe(release) != 0)
            throw std::runtime_error("pipe failed");
        child_ = fork();
        if (child_ < 0)
            throw std::runtime_error("fork failed");
        if (child_ == 0) {
            close(ready[0]);
            close(release[1]);
            const int fd = open(path.c_str(), O_RDWR);
            bool locked = fd >= 0;
            if (locked && kind == Kind::Flock) {
                locked = flock(fd, LOCK_EX | LOCK_NB) == 0;
            } else if (locked) {
                struct flock range {};
                range.l_type = F_WRLCK;
                range.l_whence = SEEK_SET;
                locked = fcntl(fd, F_SETLK, &range) == 0;
            }
            const char answer = locked ? 'y' : 'n';
            (void)!write(ready[1], &answer, 1);
            char ignored;
            (void)!read(release[0], &ignored, 1); // returns when the parent closes its end
            _exit(0);
        }
        close(ready[1]);
        close(release[0]);
        release_ = release[1];
        char answer = 'n';
        const bool heard = read(ready[0], &answer, 1) == 1;
        close(ready[0]);
        if (!heard || answer != 'y') {
            stop();
            throw std::runtime_error("the child could not lock " + path.string());
        }
    }
    ~ForeignLock() { stop(); }
    ForeignLock(const ForeignLock&) = delete;
    ForeignLock& operator=(const ForeignLock&) = delete;

private:
    void stop()
    {
        if (release_ >= 0)
            close(release_);
        release_ = -1;
        if (child_ > 0)
            waitpid(child_, nullptr, 0);
        child_ = -1;
    }

    pid_t child_ = -1;
    int release_ = -1;
};

// Whether some open file of this or another process holds a lock on `path`:
// an exclusive flock() on a descriptor of our own is refused then.
inline bool isFileLocked(const std::filesystem::path& path)
{
    const int fd = open(path.c_str(), O_RDONLY);
    if (fd < 0)
        return false;
    const bool locked = flock(fd, LOCK_EX | LOCK_NB) != 0;
    close(fd);
    return locked;
}

#endif

} // namespace tmq::test
