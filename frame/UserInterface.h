#pragma once

#include "base/CommandLog.h"

#include <optional>
#include <string>

namespace tmq {

// What a command needs from whoever shows it: the window, the command line
// or a test each answer these three operations.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Asks for the XML file; the chosen path, or nothing when cancelled.
    virtual std::optional<std::string> chooseXmlFile() = 0;

    // Switches the busy pointer on or back off.
    virtual void setBusy(bool busy) = 0;

    // Shows an information message (UTF-8) and waits until it is closed.
    virtual void showMessage(const std::string& text) = 0;

    // Where the command tells what it wrote and passed over; by default
    // nobody hears it.
    virtual CommandLog& log() { return silentLog(); }
};

} // namespace tmq
