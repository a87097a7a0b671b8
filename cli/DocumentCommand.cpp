#include "cli/DocumentCommand.h"
#include "cli/ConsoleInterface.h"

#include <iostream>

namespace tmq::cli {

int runDocumentCommand(const CliArguments& arguments, DocumentCommandFn command)
{
    const std::string& file = arguments.operands.at(0);
    // The result file is built from the full path, as the window's dialog gives it.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(file, ec);
    ConsoleInterface ui(ec ? file : absolute.string(), arguments.verbose);
    Session session;
    if (command(ui, session, arguments.folder) == CommandResult::FileMissing) {
        std::cerr << ui.message() << "\n";
        return kExitFileMissing;
    }
    std::cout << ui.message() << "\n";
    return kExitDone;
}

} // namespace tmq::cli
