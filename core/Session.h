#pragma once

#include "xml/XmlDocument.h"

#include <memory>
#include <string>

namespace tmq {

// Values shared by both commands for the life of the program.
struct Session {
    // Full path of the XML file last confirmed in the file choice; a
    // cancelled choice leaves it as it was.
    std::string selectedXmlFile;
    // The document of the running or last command.
    std::unique_ptr<XmlDocument> document;
};

} // namespace tmq
