// transmirtavquelmar-cli: the export and import commands without the window,
// and a stand-in timetable to try them with.
#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "cli/CliCommand.h"
#include "cli/Console.h"
#include "frame/WorkingFolder.h"
#include "page/TimetablePageCommand.h"

#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

namespace {

using tmq::cli::CliCommand;
using tmq::cli::Stream;
using tmq::cli::writeText;

const std::vector<CliCommand>& commands()
{
    static const std::vector<CliCommand> all{tmq::cli::exportCommand(), tmq::cli::importCommand(),
                                             tmq::cli::demoTimetableCommand(),
                                             tmq::cli::reportCommand()};
    return all;
}

void printUsage(std::ostream& out)
{
    out << "Uso: transmirtavquelmar-cli COMANDO [ARCHIVO.xml] [--dir CARPETA] [--verbose]\n\n"
           "Comandos:\n";
    for (const CliCommand& command : commands())
        out << "  " << command.name << (command.operands.empty() ? "" : " " + command.operands)
            << " [--dir CARPETA]" << (command.writesPage ? " [--out ARCHIVO.html] [--open]" : "")
            << "\n    " << command.summary << "\n";
    out << "\nOpciones:\n"
           "  --dir CARPETA  carpeta de trabajo de las tablas (por omisión "
        << tmq::pathToUtf8(tmq::defaultWorkingFolder())
        << ";\n"
           "                 el programa nunca la crea)\n"
           "  --verbose      export e import cuentan los registros y actividades escritos y\n"
           "                 lo que no pasa: elementos pasados por alto y su motivo, códigos\n"
           "                 de SOLUC que no están en su tabla\n"
           "  --out ARCHIVO  report: dónde guardar el índice de la página (por omisión,\n"
           "                 "
        << tmq::kTimetablePageName
        << " en la carpeta temporal del usuario); a su lado, con\n"
           "                 su nombre y -profesores, -grupos, -aulas, -libres y -plantilla,\n"
           "                 van las rejillas y las vistas de la plantilla, y la página\n"
           "                 anterior se reemplaza entera\n"
           "  --open         report: abre la página en el navegador al terminar\n"
           "  --help         muestra esta ayuda\n\n"
           "Al terminar bien escribe el mensaje final en la salida estándar y sale con 0;\n"
           "\"No existe archivo\" sale con 1; cualquier otro error, con 2.\n";
}

int usageError(const std::string& text)
{
    writeText(Stream::Error, "transmirtavquelmar-cli: " + text + "\n" +
                                 "Pruebe 'transmirtavquelmar-cli --help'.\n");
    return tmq::cli::kExitError;
}

// Runs the command line `argv`, given in UTF-8.
int run(const std::vector<std::string>& argv)
{
    const int argc = static_cast<int>(argv.size());
    std::optional<CliCommand> command;
    tmq::cli::CliArguments arguments;
    arguments.folder = tmq::defaultWorkingFolder();

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::ostringstream usage;
            printUsage(usage);
            writeText(Stream::Output, usage.str());
            return tmq::cli::kExitDone;
        }
        if (arg == "--dir") {
            if (++i >= argc)
                return usageError("falta la carpeta tras --dir");
            arguments.folder = tmq::pathFromUtf8(argv[i]);
        } else if (arg.starts_with("--dir=")) {
            arguments.folder = tmq::pathFromUtf8(arg.substr(6));
        } else if (arg == "--out") {
            if (++i >= argc)
                return usageError("falta el archivo tras --out");
            arguments.out = argv[i];
            if (arguments.out.empty())
                return usageError("falta el archivo tras --out");
        } else if (arg.starts_with("--out=")) {
            arguments.out = arg.substr(6);
            if (arguments.out.empty())
                return usageError("falta el archivo tras --out");
        } else if (arg == "--open") {
            arguments.open = true;
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
        } else if (arguments.operands.size() <
                   command->operandCount + command->optionalOperandCount) {
            arguments.operands.emplace_back(arg);
        } else {
            return usageError("sobra el argumento '" + std::string(arg) + "'");
        }
    }
    if (!command)
        return usageError("falta el comando (export, import, demo-timetable o report)");
    if ((!arguments.out.empty() || arguments.open) && !command->writesPage)
        return usageError("--out y --open son solo del comando report");
    if (arguments.operands.size() < command->operandCount)
        return usageError("falta el archivo XML");

    try {
        return command->run(arguments);
    } catch (const std::exception& e) {
        writeText(Stream::Error, tmq::userText(e) + "\n");
        return tmq::cli::kExitError;
    }
}

} // namespace

#ifdef _WIN32
// Built with -municode: Windows hands the arguments over as UTF-16, so that
// names with any character arrive whole.
int wmain(int argc, wchar_t** argv)
{
    return run(tmq::cli::argumentsAsUtf8(argc, argv));
}
#else
int main(int argc, char** argv)
{
    return run(std::vector<std::string>(argv, argv + argc));
}
#endif
