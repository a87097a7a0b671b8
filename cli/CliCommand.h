#pragma once

#include "core/CommandFrame.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tmq::cli {

// One subcommand of transmirtavquelmar-cli.
struct CliCommand {
    std::string name;
    std::string summary;
    CommandResult (*run)(UserInterface&, Session&, const std::filesystem::path& workingFolder);
};

CliCommand exportCommand();
CliCommand importCommand();

} // namespace tmq::cli
