#pragma once

#include "frame/CommandFrame.h"
#include "frame/Report.h"

#include <filesystem>
#include <functional>
#include <string>

namespace tmq {

class XmlDocument;

inline constexpr const char* kExportDoneMessage = "Proceso finalizado";

// The export command: file choice, reading, the six steps, "Proceso finalizado".
CommandResult runExportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder);

// Reads the catalogues of the document at `path` in one pass, keeping only
// what the tables need, and returns the writing of the six tables into
// `workingFolder`, in their order. A malformed document throws here, before
// any table is touched. The report hears of the records written and the
// items passed over.
std::function<void()> readForExport(const std::string& path,
                                    const std::filesystem::path& workingFolder,
                                    Report& report = silentReport());

// The whole export of a file: reading, then the six tables.
void exportFile(const std::string& path, const std::filesystem::path& workingFolder);

// The same for a document already loaded, read from its saved form.
void exportDocument(const XmlDocument& doc, const std::filesystem::path& workingFolder,
                    Report& report = silentReport());

} // namespace tmq
