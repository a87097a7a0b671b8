#pragma once

#include "frame/CommandFrame.h"
#include "frame/Report.h"

#include <filesystem>
#include <string>

namespace tmq {

class XmlDocument;

inline constexpr const char* kImportDoneMessage = "Proceso Terminado";

// The import command: file choice, load, the new output section with the
// teachers' timetables, the result file beside the chosen one, "Proceso Terminado".
CommandResult runImportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder);

// Replaces the document's output section by the timetable read from the
// tables of `workingFolder` and saves the document as `resultPath`.
void importTimetable(XmlDocument& doc, const std::filesystem::path& workingFolder,
                     const std::string& sourceName, const std::string& resultPath,
                     Report& report = silentReport());

} // namespace tmq
