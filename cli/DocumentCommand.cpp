#include "cli/DocumentCommand.h"
#include "base/PlatformFiles.h"
#include "cli/Console.h"
#include "cli/ConsoleInterface.h"

namespace tmq::cli {

int runDocumentCommand(const CliArguments& arguments, DocumentCommandFn command)
{
    const std::string& file = arguments.operands.at(0);
    // The result file is built from the full path, as the window's dialog gives it.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(pathFromUtf8(file), ec);
    ConsoleInterface ui(ec ? file : pathToUtf8(absolute), arguments.verbose);
    Session session;
    if (command(ui, session, arguments.folder) == CommandResult::FileMissing) {
        writeText(Stream::Error, ui.message() + "\n");
        return kExitFileMissing;
    }
    writeText(Stream::Output, ui.message() + "\n");
    return kExitDone;
}

} // namespace tmq::cli
