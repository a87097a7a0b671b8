#pragma once

#include <memory>
#include <string>

namespace tmq {

class XmlDocument;

// Values shared by both commands for the life of the program. The document
// is only named here, so that a window holding the session needs none of
// the XML library's declarations.
struct Session {
    Session();
    ~Session();
    Session(Session&&) noexcept;
    Session& operator=(Session&&) noexcept;

    // Full path of the XML file last confirmed in the file choice; a
    // cancelled choice leaves it as it was.
    std::string selectedXmlFile;
    // The document of the running or last command.
    std::unique_ptr<XmlDocument> document;
};

} // namespace tmq
