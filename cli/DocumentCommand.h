#pragma once

#include "cli/CliCommand.h"
#include "frame/CommandFrame.h"

namespace tmq::cli {

// The window's commands share a frame and need the document's path.
using DocumentCommandFn = CommandResult (*)(UserInterface&, Session&, const std::filesystem::path&);

// Runs a window command on the file named first among the operands: the
// final message on standard output and 0, or "No existe archivo" on
// standard error and 1.
int runDocumentCommand(const CliArguments& arguments, DocumentCommandFn command);

} // namespace tmq::cli
