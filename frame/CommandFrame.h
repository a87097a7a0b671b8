#pragma once

#include "frame/Session.h"
#include "frame/UserInterface.h"

#include <filesystem>
#include <functional>
#include <string>

namespace tmq {

inline constexpr const char* kFileMissingMessage = "No existe archivo";

enum class CommandResult { Completed, FileMissing };

// Whether `path` (UTF-8) names a file; a command whose document does not
// exist says kFileMissingMessage and does nothing else.
bool documentExists(const std::string& path);

// One command as the frame runs it: it reads all its inputs first, then
// writes all its outputs, so that a failed reading has touched nothing.
class Command {
public:
    virtual ~Command() = default;

    // Whether the command works on a document the user chooses; one that
    // reads only the working folder's tables is asked for no file.
    virtual bool readsDocument() const { return true; }
    // Reads the chosen document (empty when the command reads none) and the
    // tables the command needs.
    virtual void read(const std::string& chosenFile) = 0;
    // Writes the tables, the result or the page from what read() kept.
    virtual void write() = 0;

    // The folder held against other converters while the command runs, and
    // cleared of what a killed run left there; empty for none.
    virtual std::filesystem::path workingFolder() const = 0;
    // Whether the busy pointer comes on before reading; otherwise it comes
    // on once the inputs are read.
    virtual bool busyWhileReading() const = 0;
    // Shown once the outputs are written.
    virtual std::string doneMessage() const = 0;
};

// The frame every command runs in: the file choice and "No existe archivo"
// for a command that reads a document, the working folder's lock and the
// removal of what a killed run left there, the busy pointer, reading,
// writing and the final message. Errors propagate to the caller, with the
// pointer restored and the folder given back.
CommandResult runCommand(UserInterface& ui, Session& session, Command& command);

// The two commands a window runs: the real ones in the program, fakes in
// the tests.
struct Commands {
    using Run =
        std::function<CommandResult(UserInterface&, Session&, const std::filesystem::path&)>;
    Run exportCommand;
    Run importCommand;
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

} // namespace tmq
