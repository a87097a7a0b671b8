#pragma once

#include "core/CommandFrame.h"
#include "core/Report.h"

#include <filesystem>

namespace tmq {

class XmlDocument;

inline constexpr const char* kExportDoneMessage = "Proceso finalizado";

// The export command: file choice, load, the six steps, "Proceso finalizado".
CommandResult runExportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder);

// The six steps in their order, each writing one table of `workingFolder`.
// The report hears of the records written and the items passed over.
void exportDocument(const XmlDocument& doc, const std::filesystem::path& workingFolder,
                    Report& report = silentReport());

} // namespace tmq
