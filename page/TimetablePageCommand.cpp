#include "page/TimetablePageCommand.h"

#include "base/DefaultBrowser.h"
#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "page/TimetablePage.h"
#include "timetable/ActivityLists.h"
#include "timetable/ImportTables.h"
#include "xml/AtomicFile.h"

#include <system_error>

namespace tmq {

TimetablePageCommand::TimetablePageCommand(std::filesystem::path workingFolder,
                                           std::string pagePath)
    : workingFolder_(std::move(workingFolder)), pagePath_(std::move(pagePath))
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
}

void TimetablePageCommand::write()
{
    removeStaleTemporaryFiles(pagePath_);
    AtomicFileWriter file(pagePath_);
    writeTimetableHtml(view_, pathToUtf8(workingFolder_),
                       [&file](std::string_view piece) { file.write(piece); });
    file.commit();
}

CommandResult runTimetablePageCommand(UserInterface& ui, const std::filesystem::path& workingFolder,
                                      const std::string& pagePath)
{
    // The page reads no document: the session's choice plays no part.
    Session session;
    TimetablePageCommand command(workingFolder, pagePath);
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
