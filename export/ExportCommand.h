#pragma once

#include "core/CommandFrame.h"

#include <filesystem>

namespace tmq {

class XmlDocument;

inline constexpr const char* kExportDoneMessage = "Proceso finalizado";

// The export command: file choice, load, the six steps, "Proceso finalizado".
CommandResult runExportCommand(UserInterface& ui, Session& session,
                               const std::filesystem::path& workingFolder);

// The six steps in their order, each writing one table of `workingFolder`.
void exportDocument(const XmlDocument& doc, const std::filesystem::path& workingFolder);

} // namespace tmq
