#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tmq::cli {

// Exit codes of transmirtavquelmar-cli.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFileMissing = 1;
inline constexpr int kExitError = 2;

// What the command line asked for, options already read.
struct CliArguments {
    std::vector<std::string> operands; // after the command's name
    std::filesystem::path folder;      // the working folder
    bool verbose = false;
    std::string out; // --out: where the page goes (UTF-8); empty for the default
    bool open = false;
};

// One subcommand of transmirtavquelmar-cli.
struct CliCommand {
    std::string name;
    std::string operands; // as shown in the usage, such as "ARCHIVO.xml"
    std::size_t operandCount = 0;
    std::string summary;
    // Whether it writes a page, and so takes --out and --open.
    bool writesPage = false;
    // Runs the command and returns the exit code; errors propagate.
    int (*run)(const CliArguments&);
    // Operands it may take after the required ones.
    std::size_t optionalOperandCount = 0;
};

CliCommand exportCommand();
CliCommand importCommand();
CliCommand demoTimetableCommand();
CliCommand reportCommand();

} // namespace tmq::cli
