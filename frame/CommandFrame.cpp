#include "frame/CommandFrame.h"

#include "base/FolderLock.h"
#include "base/PlatformFiles.h"
#include "tables/TableReplacement.h"
#include "xml/XmlDocument.h"

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

namespace {

bool fileExists(const std::string& path)
{
    if (path.empty())
        return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(pathFromUtf8(path), ec);
}

} // namespace

CommandResult runCommand(UserInterface& ui, Session& session, const CommandSteps& steps)
{
    if (auto chosen = ui.chooseXmlFile())
        session.selectedXmlFile = *chosen;

    if (!fileExists(session.selectedXmlFile)) {
        ui.showMessage(kFileMissingMessage);
        return CommandResult::FileMissing;
    }

    FolderLock folderLock;
    if (!steps.workingFolder.empty()) {
        folderLock.lock(steps.workingFolder);
        removeStaleTemporaryTables(steps.workingFolder);
    }

    BusyPointer busy(ui);
    if (steps.busyBeforeLoad)
        busy.show();
    session.document.reset();
    std::function<void()> work;
    if (steps.readInstead)
        work = steps.readInstead(session.selectedXmlFile);
    else if (!steps.replacedSection.empty())
        session.document =
            XmlDocument::loadWithoutSection(session.selectedXmlFile, steps.replacedSection);
    else
        session.document = XmlDocument::load(session.selectedXmlFile);
    busy.show();

    if (work)
        work();
    else
        steps.run(session);

    busy.restore();
    ui.showMessage(steps.doneMessage);
    return CommandResult::Completed;
}

} // namespace tmq
