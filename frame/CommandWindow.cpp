#include "frame/CommandWindow.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "frame/WorkingFolder.h"

namespace tmq {

CommandWindow::CommandWindow(std::filesystem::path workingFolder, Commands commands)
    : workingFolder_(std::move(workingFolder)), commands_(std::move(commands))
{
}

void CommandWindow::setBusy(bool busy)
{
    if (busy) {
        if (busyDepth_++ == 0)
            showBusyPointer(true);
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        showBusyPointer(false);
    }
}

std::filesystem::path CommandWindow::dialogFolder() const
{
    if (session_.selectedXmlFile.empty())
        return xmlDialogFolder(workingFolder_);
    return pathFromUtf8(session_.selectedXmlFile).parent_path();
}

void CommandWindow::execute(const Commands::Run& command)
{
    if (!command)
        return;
    try {
        command(*this, session_, workingFolder_);
    } catch (const std::exception& error) {
        // The frame restores the pointer itself; this only makes sure no
        // busy pointer is left over the error report.
        clearBusyPointer();
        showError(errorReport(error));
    }
    clearBusyPointer();
}

void CommandWindow::clearBusyPointer()
{
    while (busyDepth_ > 0)
        setBusy(false);
}

} // namespace tmq
