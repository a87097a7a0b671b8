#include "export/ExportCommand.h"

#include "core/Error.h"
#include "export/ExportSteps.h"
#include "tables/TableReplacement.h"

#include <utility>

namespace tmq {

void exportDocument(const XmlDocument& doc, const std::filesystem::path& workingFolder,
                    Report& report)
{
    using Step = void (*)(const XmlDocument&, const std::filesystem::path&, Report&);
    static constexpr std::pair<Step, const char*> kSteps[] = {
        {&ExportarMaterias, "ASIGNOMT"}, {&ExportarProfesores, "PROFT"},
        {&ExportarAulas, "AULAT"},       {&ExportarGrupos, "GRUPOST"},
        {&ExportarAsignaturas, "ASIGT"}, {&ExportarTramos, "DIASHORAST"},
    };

    // A temporary table found now is from a run that did not end, never one
    // to put in place.
    removeStaleTemporaryTables(workingFolder);

    // Each step writes its table under a temporary name; the finished tables
    // replace the old ones together at the end. A step that fails still
    // replaces its table with the records written before the failure when
    // that table is whole; the tables of the steps after it stay as they were.
    TableReplacement tables(workingFolder);
    for (const auto& [step, table] : kSteps) {
        try {
            step(doc, workingFolder, report);
            tables.complete(table);
        } catch (const Error& error) {
            tables.completeIfWhole(table);
            std::string text = tables.withTableNames(error.what());
            try {
                tables.commit();
            } catch (const Error& alsoFailed) {
                text += ". Además: " + std::string(alsoFailed.what());
            }
            throw Error(text);
        } catch (...) {
            tables.completeIfWhole(table);
            tables.commit();
            throw;
        }
    }
    tables.commit();
}

CommandResult runExportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder)
{
    CommandSteps steps;
    steps.busyBeforeLoad = false;
    steps.workingFolder = workingFolder;
    steps.doneMessage = kExportDoneMessage;
    steps.run = [&workingFolder, &ui](Session& s) {
        exportDocument(*s.document, workingFolder, ui.report());
    };
    return runCommand(ui, session, steps);
}

} // namespace tmq
