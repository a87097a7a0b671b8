#include "export/ExportCommand.h"

#include "export/ExportSteps.h"

namespace tmq {

void exportDocument(const XmlDocument& doc, const std::filesystem::path& workingFolder)
{
    ExportarMaterias(doc, workingFolder);
    ExportarProfesores(doc, workingFolder);
    ExportarAulas(doc, workingFolder);
    ExportarGrupos(doc, workingFolder);
    ExportarAsignaturas(doc, workingFolder);
    ExportarTramos(doc, workingFolder);
}

CommandResult runExportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder)
{
    CommandSteps steps;
    steps.busyBeforeLoad = false;
    steps.doneMessage = kExportDoneMessage;
    steps.run = [&workingFolder](Session& s) { exportDocument(*s.document, workingFolder); };
    return runCommand(ui, session, steps);
}

} // namespace tmq
