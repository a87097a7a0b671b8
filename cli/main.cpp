// transmirtavquelmar-cli: the export and import commands without the window,
// and a stand-in timetable to try them with.
#include "cli/CliCommand.h"
#include "core/WorkingFolder.h"

#include <iostream>
#include <optional>
#include <string_view>

namespace {

using tmq::cli::CliCommand;

const std::vector<CliCommand>& commands()
{
    static const std::vector<CliCommand> all{tmq::cli::exportCommand(), tmq::cli::importCommand(),
                                             tmq::cli::demoTimetableCommand()};
    return all;
}

void printUsage(std::ostream& out)
{
    out << "Uso: transmirtavquelmar-cli COMANDO [ARCHIVO.xml] [--dir CARPETA] [--verbose]\n\n"
           "Comandos:\n";
    for (const CliCommand& command : commands())
        out << "  " << command.name << (command.operands.empty() ? "" : " " + command.operands)
            << " [--dir CARPETA]\n    " << command.summary << "\n";
    out << "\nOpciones:\n"
           "  --dir CARPETA  carpeta de trabajo de las tablas (por omisión "
        << tmq::defaultWorkingFolder().string()
        << ";\n"
           "                 el programa nunca la crea)\n"
           "  --verbose      export e import cuentan los registros y actividades escritos y\n"
           "                 lo que no pasa: elementos pasados por alto y su motivo, códigos\n"
           "                 de SOLUC que no están en su tabla\n"
           "  --help         muestra esta ayuda\n\n"
           "Al terminar bien escribe el mensaje final en la salida estándar y sale con 0;\n"
           "\"No existe archivo\" sale con 1; cualquier otro error, con 2.\n";
}

int usageError(const std::string& text)
{
    std::cerr << "transmirtavquelmar-cli: " << text << "\n"
              << "Pruebe 'transmirtavquelmar-cli --help'.\n";
    return tmq::cli::kExitError;
}

} // namespace

int main(int argc, char** argv)
{
    std::optional<CliCommand> command;
    tmq::cli::CliArguments arguments;
    arguments.folder = tmq::defaultWorkingFolder();

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            printUsage(std::cout);
            return tmq::cli::kExitDone;
        }
        if (arg == "--dir") {
            if (++i >= argc)
                return usageError("falta la carpeta tras --dir");
            arguments.folder = argv[i];
        } else if (arg.starts_with("--dir=")) {
            arguments.folder = std::string(arg.substr(6));
        } else if (arg == "--verbose" || arg == "-v") {
            arguments.verbose = true;
        } else if (arg.starts_with("-") && arg != "-") {
            return usageError("opción desconocida '" + std::string(arg) + "'");
        } else if (!command) {
            for (const CliCommand& candidate : commands())
                if (candidate.name == arg)
                    command = candidate;
            if (!command)
                return usageError("comando desconocido '" + std::string(arg) + "'");
        } else if (arguments.operands.size() < command->operandCount) {
            arguments.operands.emplace_back(arg);
        } else {
            return usageError("sobra el argumento '" + std::string(arg) + "'");
        }
    }
    if (!command)
        return usageError("falta el comando (export, import o demo-timetable)");
    if (arguments.operands.size() < command->operandCount)
        return usageError("falta el archivo XML");

    try {
        return command->run(arguments);
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return tmq::cli::kExitError;
    }
}
