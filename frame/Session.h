#pragma once

#include <string>

namespace tmq {

// What both commands share for the life of the program.
struct Session {
    // Full path of the XML file last confirmed in the file choice; a
    // cancelled choice leaves it as it was.
    std::string selectedXmlFile;
};

} // namespace tmq
