#include "import/ImportCommand.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "frame/WorkingFolder.h"
#include "import/ActivityLists.h"
#include "import/ImportTables.h"
#include "tables/FileLock.h"
#include "xml/AtomicFile.h"

namespace tmq {

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

} // namespace

void importTimetable(XmlDocument& doc, const std::filesystem::path& workingFolder,
                     const std::string& sourceName, const std::string& resultPath, Report& report)
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
    const ActivityLists lists = ImportarActividades(tables, report);
    tables.close();

    // Windows refuses to replace a file another program has open; say so
    // here too rather than pull the file from under that program.
    if (FileLock::isLockedElsewhere(pathFromUtf8(resultPath)))
        throw Error("No se puede guardar el resultado '" + resultPath +
                    "': otro programa tiene el archivo abierto");
    removeStaleTemporaryFiles(resultPath);
    // The lists go straight into the file after the section's error block,
    // as if appended to it.
    doc.save(resultPath, section, [&lists](XmlMarkupSink& sink) { lists.write(sink); });
}

CommandResult runImportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder)
{
    CommandSteps steps;
    steps.busyBeforeLoad = true;
    // The section is removed unread; its content is not built as nodes.
    steps.replacedSection = "SALIDAS";
    steps.workingFolder = workingFolder;
    steps.doneMessage = kImportDoneMessage;
    steps.run = [&workingFolder, &ui](Session& s) {
        importTimetable(*s.document, workingFolder, s.selectedXmlFile,
                        resultPathFor(s.selectedXmlFile), ui.report());
    };
    return runCommand(ui, session, steps);
}

} // namespace tmq
