// transmirtavquelmar-cli: the export and import commands without the window.
#include "cli/CliCommand.h"
#include "cli/ConsoleInterface.h"
#include "core/Error.h"
#include "core/WorkingFolder.h"

#include <cstdio>
#include <iostream>
#include <optional>
#include <string_view>

namespace {

constexpr int kExitFileMissing = 1;
constexpr int kExitError = 2;

void printUsage(std::ostream& out)
{
    out << "Uso: transmirtavquelmar-cli COMANDO ARCHIVO.xml [--dir CARPETA]\n\n"
           "Comandos:\n";
    for (const auto& command : {tmq::cli::exportCommand(), tmq::cli::importCommand()})
        out << "  " << command.name << " ARCHIVO.xml [--dir CARPETA]\n    " << command.summary
            << "\n";
    out << "\nOpciones:\n"
           "  --dir CARPETA  carpeta de trabajo de las tablas (por omisión "
        << tmq::defaultWorkingFolder().string()
        << ")\n"
           "  --help         muestra esta ayuda\n\n"
           "Al terminar bien escribe el mensaje final en la salida estándar y sale con 0;\n"
           "\"No existe archivo\" sale con 1; cualquier otro error, con 2.\n";
}

int usageError(const std::string& text)
{
    std::cerr << "transmirtavquelmar-cli: " << text << "\n"
              << "Pruebe 'transmirtavquelmar-cli --help'.\n";
    return kExitError;
}

} // namespace

int main(int argc, char** argv)
{
    std::optional<tmq::cli::CliCommand> command;
    std::optional<std::string> file;
    std::filesystem::path folder = tmq::defaultWorkingFolder();

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printUsage(std::cout);
            return 0;
        }
        if (arg == "--dir") {
            if (++i >= argc)
                return usageError("falta la carpeta tras --dir");
            folder = argv[i];
        } else if (arg.starts_with("--dir=")) {
            folder = std::string(arg.substr(6));
        } else if (arg.starts_with("-") && arg != "-") {
            return usageError("opción desconocida '" + std::string(arg) + "'");
        } else if (!command) {
            for (auto candidate : {tmq::cli::exportCommand(), tmq::cli::importCommand()})
                if (candidate.name == arg)
                    command = candidate;
            if (!command)
                return usageError("comando desconocido '" + std::string(arg) + "'");
        } else if (!file) {
            file = std::string(arg);
        } else {
            return usageError("sobra el argumento '" + std::string(arg) + "'");
        }
    }
    if (!command)
        return usageError("falta el comando (export o import)");
    if (!file)
        return usageError("falta el archivo XML");

    // The result file is built from the full path, as the window's dialog gives it.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(*file, ec);
    tmq::cli::ConsoleInterface ui(ec ? *file : absolute.string());
    tmq::Session session;
    try {
        const tmq::CommandResult result = command->run(ui, session, folder);
        if (result == tmq::CommandResult::FileMissing) {
            std::cerr << ui.message() << "\n";
            return kExitFileMissing;
        }
        std::cout << ui.message() << "\n";
        return 0;
    } catch (const std::exception& e) {
        std::cerr << tmq::userText(e) << "\n";
        return kExitError;
    }
}
