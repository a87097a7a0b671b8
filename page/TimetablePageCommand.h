#pragma once

#include "frame/CommandFrame.h"
#include "page/TimetableView.h"

#include <filesystem>
#include <string>

namespace tmq {

// The name of the page when no other is given, in the user's temporary folder.
inline constexpr const char* kTimetablePageName = "HorarioMirtavel.html";

// The timetable page as the frame runs it: reading the week the import would
// send from the tables of the working folder, with the import's own reading,
// joins and errors; then saving the page as `pagePath`, which holds its old
// content or all of the new. Its final message is the page's path.
class TimetablePageCommand : public Command {
public:
    TimetablePageCommand(std::filesystem::path workingFolder, std::string pagePath);

    bool readsDocument() const override { return false; }
    void read(const std::string& chosenFile) override;
    void write() override;
    std::filesystem::path workingFolder() const override { return workingFolder_; }
    bool busyWhileReading() const override { return true; }
    std::string doneMessage() const override { return pagePath_; }

private:
    std::filesystem::path workingFolder_;
    std::string pagePath_;
    TimetableView view_;
};

// The page command: the tables of `workingFolder` read, the page saved as
// `pagePath`, its path as the final message.
CommandResult runTimetablePageCommand(UserInterface& ui, const std::filesystem::path& workingFolder,
                                      const std::string& pagePath);

// HorarioMirtavel.html in the user's temporary folder, as UTF-8.
std::string defaultTimetablePagePath();

// What the desktop's "Ver horario de Mirtavel" does: writes the page of
// `workingFolder` to its default place and opens it in the default browser.
// Empty when done; otherwise the text of the error report, for a box.
std::string openTimetablePage(const std::filesystem::path& workingFolder);

} // namespace tmq
