#include "export/ExportCommand.h"

#include "base/Error.h"
#include "export/ExportSteps.h"
#include "export/StepTable.h"
#include "tables/TableLayouts.h"
#include "tables/TableReplacement.h"
#include "xml/XmlStream.h"

#include <array>
#include <memory>

namespace tmq {

namespace {

struct StepDefinition {
    const char* table;
    const std::vector<FieldDef>& (*layout)();
    CatalogueReading (*catalogue)(StepRecords&);
};

// The six steps in the order their tables are written.
constexpr std::array<StepDefinition, 6> kSteps{{
    {"ASIGNOMT", asignomtLayout, ExportarMaterias},
    {"PROFT", proftLayout, ExportarProfesores},
    {"AULAT", aulatLayout, ExportarAulas},
    {"GRUPOST", grupostLayout, ExportarGrupos},
    {"ASIGT", asigtLayout, ExportarAsignaturas},
    {"DIASHORAST", diashorastLayout, ExportarTramos},
}};

} // namespace

// The records of all six steps, filled by one reading of the document.
class ExportRun {
public:
    explicit ExportRun(CommandLog& log)
    {
        std::vector<CatalogueReading> catalogues;
        for (const StepDefinition& step : kSteps) {
            steps_.emplace_back(std::make_unique<StepRecords>(step.layout(), log));
            catalogues.push_back(step.catalogue(*steps_.back()));
        }
        reader_ = std::make_unique<CatalogueReader>(std::move(catalogues));
    }

    XmlStreamHandler& reader() { return *reader_; }

    void writeTables(const std::filesystem::path& folder) const
    {
        // Each step writes its table under a temporary name; the finished
        // tables replace the old ones together at the end. A step that fails
        // still replaces its table with the records written before the
        // failure when that table is whole; the tables of the steps after it
        // stay as they were.
        TableReplacement tables(folder);
        for (std::size_t i = 0; i < kSteps.size(); ++i) {
            const char* table = kSteps[i].table;
            try {
                writeStepTable(folder, table, kSteps[i].layout(), *steps_[i]);
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

private:
    std::vector<std::unique_ptr<StepRecords>> steps_;
    std::unique_ptr<CatalogueReader> reader_;
};

ExportCommand::ExportCommand(std::filesystem::path workingFolder, CommandLog& log)
    : workingFolder_(std::move(workingFolder)), run_(std::make_unique<ExportRun>(log))
{
}

ExportCommand::~ExportCommand() = default;

void ExportCommand::read(const std::string& chosenFile)
{
    streamDocument(chosenFile, run_->reader());
}

void ExportCommand::write()
{
    run_->writeTables(workingFolder_);
}

CommandResult runExportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder)
{
    ExportCommand command(workingFolder, ui.log());
    return runCommand(ui, session, command);
}

} // namespace tmq
