#pragma once

#include "cli/Console.h"
#include "frame/UserInterface.h"

#include <optional>
#include <string>

namespace tmq::cli {

// Log lines go to standard output, before the final message.
class ConsoleLog : public CommandLog {
public:
    bool wanted() const override { return true; }
    void line(const std::string& text) override { writeText(Stream::Output, text + "\n"); }
};

// The command line's answer to the user-interface operations: the file is
// the one named on the command line, there is no pointer to show, and the
// message is kept for the command to print where it belongs. With
// --verbose the log is printed as it comes.
class ConsoleInterface : public UserInterface {
public:
    ConsoleInterface(std::string file, bool verbose) : file_(std::move(file)), verbose_(verbose) {}

    std::optional<std::string> chooseXmlFile() override { return file_; }
    void setBusy(bool) override {}
    void showMessage(const std::string& text) override { message_ = text; }
    CommandLog& log() override { return verbose_ ? consoleLog_ : silentLog(); }

    const std::string& message() const { return message_; }

private:
    std::string file_;
    bool verbose_;
    std::string message_;
    ConsoleLog consoleLog_;
};

} // namespace tmq::cli
