#pragma once

#include "frame/CommandFrame.h"
#include "frame/Session.h"
#include "frame/UserInterface.h"

#include <filesystem>
#include <string>

namespace tmq {

// What both windows do around their commands, written once so that they
// cannot drift apart: each command runs on the window's session and working
// folder; the busy pointer's requests are counted, and the pointer is back
// to normal before an error that ended a command is reported. A window adds
// only its toolkit's calls: the file dialog, the pointer and the boxes.
class CommandWindow : public UserInterface {
public:
    CommandWindow(std::filesystem::path workingFolder, Commands commands);

    void setBusy(bool busy) final;

    const Session& session() const { return session_; }

protected:
    // What the window's buttons run.
    void runExport() { execute(commands_.exportCommand); }
    void runImport() { execute(commands_.importCommand); }

    // The folder the file dialog opens in: the working folder's XML
    // subfolder until a file has been chosen, then the chosen file's folder.
    std::filesystem::path dialogFolder() const;

    // Whether a command has asked for the busy pointer.
    bool busy() const { return busyDepth_ > 0; }
    // Gives back every request for the busy pointer.
    void clearBusyPointer();

    // Puts the busy pointer on when the first request comes, and the normal
    // pointer back when the last one goes.
    virtual void showBusyPointer(bool busy) = 0;
    // Shows the report of an error that ended a command, in UTF-8.
    virtual void showError(const std::string& report) = 0;

private:
    void execute(const Commands::Run& command);

    std::filesystem::path workingFolder_;
    Commands commands_;
    Session session_;
    int busyDepth_ = 0;
};

} // namespace tmq
