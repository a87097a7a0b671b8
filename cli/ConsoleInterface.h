#pragma once

#include "core/UserInterface.h"

#include <optional>
#include <string>

namespace tmq::cli {

// The command line's answer to the user-interface operations: the file is
// the one named on the command line, there is no pointer to show, and the
// message is kept for main() to print where it belongs.
class ConsoleInterface : public UserInterface {
public:
    explicit ConsoleInterface(std::string file) : file_(std::move(file)) {}

    std::optional<std::string> chooseXmlFile() override { return file_; }
    void setBusy(bool) override {}
    void showMessage(const std::string& text) override { message_ = text; }

    const std::string& message() const { return message_; }

private:
    std::string file_;
    std::string message_;
};

} // namespace tmq::cli
