#include "frame/CommandFrame.h"

#include "base/FolderLock.h"
#include "base/PlatformFiles.h"
#include "tables/TableReplacement.h"

#include <filesystem>
#include <system_error>

namespace tmq {

void BusyPointer::show()
{
    if (!shown_) {
        ui_.setBusy(true);
        shown_ = true;
    }
}

void BusyPointer::restore()
{
    if (shown_) {
        shown_ = false;
        ui_.setBusy(false);
    }
}

bool documentExists(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(pathFromUtf8(path), ec);
}

CommandResult runCommand(UserInterface& ui, Session& session, Command& command)
{
    std::string document;
    if (command.readsDocument()) {
        if (auto chosen = ui.chooseXmlFile())
            session.selectedXmlFile = *chosen;
        if (!documentExists(session.selectedXmlFile)) {
            ui.showMessage(kFileMissingMessage);
            return CommandResult::FileMissing;
        }
        document = session.selectedXmlFile;
    }

    // A working folder another converter holds is refused before anything is
    // read or touched.
    FolderLock folderLock;
    const std::filesystem::path folder = command.workingFolder();
    if (!folder.empty()) {
        folderLock.lock(folder);
        removeStaleTemporaryTables(folder);
    }

    BusyPointer busy(ui);
    if (command.busyWhileReading())
        busy.show();
    command.read(document);
    busy.show();
    command.write();

    busy.restore();
    ui.showMessage(command.doneMessage());
    return CommandResult::Completed;
}

} // namespace tmq
