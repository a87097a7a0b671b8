#pragma once

#include "frame/CommandFrame.h"
#include "page/PageParts.h"
#include "page/TimetableView.h"

#include <filesystem>
#include <string>

namespace tmq {

// The name of the page's index when no other is given, in the user's
// temporary folder; the other files of the set are named after it.
inline constexpr const char* kTimetablePageName = "HorarioMirtavel.html";

// The timetable page as the frame runs it: reading the week the import would
// send from the tables of the working folder, with the import's own reading,
// joins and errors; then saving the page as a set of files, the index as
// `pagePath` and the others beside it (writeTimetablePageSet), which replaces
// an older set whole. With the Quelmar document `documentPath` (UTF-8, not
// chosen: empty for none) the pages name its school and school year. Its
// final message is the index's path.
class TimetablePageCommand : public Command {
public:
    TimetablePageCommand(std::filesystem::path workingFolder, std::string pagePath,
                         std::string documentPath = {});

    bool readsDocument() const override { return false; }
    void read(const std::string& chosenFile) override;
    void write() override;
    std::filesystem::path workingFolder() const override { return workingFolder_; }
    bool busyWhileReading() const override { return true; }
    std::string doneMessage() const override { return pagePath_; }

private:
    std::filesystem::path workingFolder_;
    std::string pagePath_;
    std::string documentPath_;
    TimetableView view_;
    PageStamp stamp_;
};

// The page command: the tables of `workingFolder` read, the page set saved
// with its index as `pagePath`, the index's path as the final message. Like
// the import, a document given that does not exist gives "No existe archivo".
CommandResult runTimetablePageCommand(UserInterface& ui, const std::filesystem::path& workingFolder,
                                      const std::string& pagePath,
                                      const std::string& documentPath = {});

// HorarioMirtavel.html in the user's temporary folder, as UTF-8.
std::string defaultTimetablePagePath();

// What the desktop's "Ver horario de Mirtavel" does: writes the page set of
// `workingFolder` to its default place and opens the index in the default
// browser.
// Empty when done; otherwise the text of the error report, for a box.
std::string openTimetablePage(const std::filesystem::path& workingFolder);

} // namespace tmq
