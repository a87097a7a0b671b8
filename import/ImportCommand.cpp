#include "import/ImportCommand.h"

#include "base/Error.h"
#include "base/FileLock.h"
#include "base/PlatformFiles.h"
#include "frame/WorkingFolder.h"
#include "timetable/ActivityLists.h"
#include "timetable/ImportTables.h"
#include "xml/AtomicFile.h"
#include "xml/XmlDocument.h"

namespace tmq {

// What the import read: the new output section of the document and the
// teachers' lists that are saved into it.
struct ImportRun {
    XmlElement section;
    ActivityLists lists;
};

namespace {

void appendErrorBlock(XmlDocument& doc, XmlElement section)
{
    XmlElement block = doc.createElement("ERROR");
    doc.appendChild(section, block);
    for (const auto& [dato, text] :
         {std::pair{"CN_ERROR", "0"}, std::pair{"TE_ERROR", "Servicio finalizado Correctamente"}}) {
        XmlElement value = doc.createElement("salida");
        value.setAttribute("dato", dato);
        value.setText(text);
        doc.appendChild(block, value);
    }
}

// Replaces the document's output section by a new one holding the error
// block, and reads the teachers' lists from the tables of `workingFolder`.
ImportRun readTimetable(XmlDocument& doc, const std::filesystem::path& workingFolder,
                        const std::string& sourceName, CommandLog& log)
{
    XmlElement root = doc.documentElement();
    if (!root)
        throw Error("El documento '" + sourceName + "' no tiene elemento raíz");

    XmlElement oldSection = doc.selectSingleNode(root, "SALIDAS");
    if (!oldSection)
        throw Error("El documento '" + sourceName +
                    "' no tiene la sección SALIDAS bajo su elemento "
                    "raíz '" +
                    root.name() + "'");
    doc.removeChild(root, oldSection);
    doc.appendChild(root, doc.createElement("SALIDAS"));

    // The first SALIDAS of the root once more: normally the new one, but a
    // second section of the loaded document comes before it.
    XmlElement section = doc.selectSingleNode(root, "SALIDAS");
    appendErrorBlock(doc, section);

    ImportTables tables;
    tables.open(workingFolder);
    ImportRun run{section, ImportarActividades(tables, log)};
    tables.close();
    return run;
}

// Saves the document as `resultPath`, with the teachers' lists after the
// error block of the new section.
void saveResult(const XmlDocument& doc, const ImportRun& run, const std::string& resultPath)
{
    // Windows refuses to replace a file another program has open; say so
    // here too rather than pull the file from under that program.
    if (FileLock::isLockedElsewhere(pathFromUtf8(resultPath)))
        throw Error("No se puede guardar el resultado '" + resultPath +
                    "': otro programa tiene el archivo abierto");
    removeStaleTemporaryFiles(resultPath);
    // The lists go straight into the file after the section's error block,
    // as if appended to it.
    doc.save(resultPath, run.section, [&run](XmlMarkupSink& sink) { run.lists.write(sink); });
}

} // namespace

ImportCommand::ImportCommand(std::filesystem::path workingFolder, CommandLog& log)
    : workingFolder_(std::move(workingFolder)), log_(log)
{
}

ImportCommand::~ImportCommand() = default;

void ImportCommand::read(const std::string& chosenFile)
{
    // The section is removed unread; its content is not built as nodes.
    document_ = XmlDocument::loadWithoutSection(chosenFile, "SALIDAS");
    run_ = std::make_unique<ImportRun>(readTimetable(*document_, workingFolder_, chosenFile, log_));
    resultPath_ = resultPathFor(chosenFile);
}

void ImportCommand::write()
{
    saveResult(*document_, *run_, resultPath_);
}

CommandResult runImportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder)
{
    ImportCommand command(workingFolder, ui.log());
    return runCommand(ui, session, command);
}

} // namespace tmq
