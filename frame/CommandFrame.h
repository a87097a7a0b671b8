#pragma once

#include "frame/Session.h"
#include "frame/UserInterface.h"

#include <filesystem>
#include <functional>
#include <string>

namespace tmq {

inline constexpr const char* kFileMissingMessage = "No existe archivo";

enum class CommandResult { Completed, FileMissing };

// The two commands a window runs: the real ones in the program, fakes in
// the tests.
struct Commands {
    using Command =
        std::function<CommandResult(UserInterface&, Session&, const std::filesystem::path&)>;
    Command exportCommand;
    Command importCommand;
};

// Switches the busy pointer on when asked and back off when the command ends,
// by its normal path or by an error.
class BusyPointer {
public:
    explicit BusyPointer(UserInterface& ui) : ui_(ui) {}
    ~BusyPointer() { restore(); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

    void show();
    void restore();

private:
    UserInterface& ui_;
    bool shown_ = false;
};

// What distinguishes one command from the other inside the shared frame.
struct CommandSteps {
    // The import shows the busy pointer before loading, the export after.
    bool busyBeforeLoad = false;
    // The root's section the command replaces, loaded without its content;
    // empty to load the whole document.
    std::string replacedSection;
    // The working folder, kept from other converters for the whole command
    // and cleared of what a killed run left; empty for none.
    std::filesystem::path workingFolder;
    // The command's own work on the loaded document in session.document.
    std::function<void(Session&)> run;
    // When set, takes the place of loading the document as a tree and of
    // `run`: reads the chosen file where the load would, and returns the work
    // to do once the busy pointer is shown.
    std::function<std::function<void()>(const std::string& path)> readInstead;
    // Shown when the work ends normally.
    std::string doneMessage;
};

// The frame both commands share: file choice, "No existe archivo", loading
// the document, the busy pointer and the final message. Errors propagate to
// the caller, with the pointer restored. A working folder another converter
// holds is refused before anything is loaded or touched.
CommandResult runCommand(UserInterface& ui, Session& session, const CommandSteps& steps);

} // namespace tmq
