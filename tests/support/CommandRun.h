#pragma once

// Runs a command through the frame as the command line does, for the tests
// that want only what the command leaves behind.

#include "frame/CommandFrame.h"

#include <optional>
#include <string>

namespace tmq::test {

// Answers the file choice with one file, shows no pointer and keeps the
// final message.
class GivenFileInterface : public UserInterface {
public:
    explicit GivenFileInterface(std::string file) : file_(std::move(file)) {}

    std::optional<std::string> chooseXmlFile() override { return file_; }
    void setBusy(bool) override {}
    void showMessage(const std::string& text) override { message = text; }

    std::string message;

private:
    std::string file_;
};

// Runs `command` through the frame on `file` (none for a command that reads
// no document) and returns its final message; errors propagate.
inline std::string runInFrame(Command& command, const std::string& file = {})
{
    GivenFileInterface ui(file);
    Session session;
    runCommand(ui, session, command);
    return ui.message;
}

} // namespace tmq::test
