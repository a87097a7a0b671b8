#include "page/TimetablePageCommand.h"

#include "base/DefaultBrowser.h"
#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "page/TimetablePage.h"
#include "timetable/ActivityLists.h"
#include "timetable/ImportTables.h"

#include <system_error>

namespace tmq {

TimetablePageCommand::TimetablePageCommand(std::filesystem::path workingFolder,
                                           std::string pagePath, std::string documentPath)
    : workingFolder_(std::move(workingFolder)), pagePath_(std::move(pagePath)),
      documentPath_(std::move(documentPath))
{
}

void TimetablePageCommand::read(const std::string& /*chosenFile*/)
{
    ImportTables tables;
    tables.open(workingFolder_);
    ImportJoins joins;
    ImportarActividades(tables, silentLog(), &joins);
    view_ = buildTimetableView(tables, joins);
    tables.close();
    stamp_ = makePageStamp(workingFolder_, documentPath_);
}

void TimetablePageCommand::write()
{
    writeTimetablePageSet(view_, stamp_, pagePath_);
}

CommandResult runTimetablePageCommand(UserInterface& ui, const std::filesystem::path& workingFolder,
                                      const std::string& pagePath,
                                      const std::string& documentPath)
{
    // The page chooses no document: the session's choice plays no part. One
    // given that does not exist is refused as the import refuses it.
    if (!documentPath.empty() && !documentExists(documentPath)) {
        ui.showMessage(kFileMissingMessage);
        return CommandResult::FileMissing;
    }
    Session session;
    TimetablePageCommand command(workingFolder, pagePath, documentPath);
    return runCommand(ui, session, command);
}

std::string defaultTimetablePagePath()
{
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error)
        throw Error("No se encuentra la carpeta temporal del usuario: " + systemReason(error));
    return pathToUtf8(folder / kTimetablePageName);
}

namespace {

// The desktop action has no window: no pointer to show, and the browser
// that opens is all it says when done.
class DesktopActionInterface : public UserInterface {
public:
    std::optional<std::string> chooseXmlFile() override { return std::nullopt; }
    void setBusy(bool) override {}
    void showMessage(const std::string&) override {}
};

} // namespace

std::string openTimetablePage(const std::filesystem::path& workingFolder)
{
    try {
        const std::string page = defaultTimetablePagePath();
        DesktopActionInterface ui;
        runTimetablePageCommand(ui, workingFolder, page);
        openInDefaultBrowser(page);
        return {};
    } catch (const std::exception& error) {
        return errorReport(error);
    }
}

} // namespace tmq
