#include "export/ExportCommand.h"

#include "export/ExportSteps.h"

namespace tmq {

void exportDocument(const XmlDocument& doc, const std::filesystem::path& workingFolder,
                    Report& report)
{
    ExportarMaterias(doc, workingFolder, report);
    ExportarProfesores(doc, workingFolder, report);
    ExportarAulas(doc, workingFolder, report);
    ExportarGrupos(doc, workingFolder, report);
    ExportarAsignaturas(doc, workingFolder, report);
    ExportarTramos(doc, workingFolder, report);
}

CommandResult runExportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder)
{
    CommandSteps steps;
    steps.busyBeforeLoad = false;
    steps.doneMessage = kExportDoneMessage;
    steps.run = [&workingFolder, &ui](Session& s) {
        exportDocument(*s.document, workingFolder, ui.report());
    };
    return runCommand(ui, session, steps);
}

} // namespace tmq
