// transmirtavquelmar-cli: the export and import commands without the window.
#include "cli/CliCommand.h"
#include "cli/Console.h"
#include "cli/ConsoleInterface.h"
#include "core/Error.h"
#include "core/PlatformFiles.h"
#include "core/WorkingFolder.h"

#include <optional>
#include <sstream>
#include <string_view>
#include <vector>

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
        << tmq::pathToUtf8(tmq::defaultWorkingFolder())
        << ")\n"
           "  --help         muestra esta ayuda\n\n"
           "Al terminar bien escribe el mensaje final en la salida estándar y sale con 0;\n"
           "\"No existe archivo\" sale con 1; cualquier otro error, con 2.\n";
}

int usageError(const std::string& text)
{
    tmq::cli::writeText(tmq::cli::Stream::Error, "transmirtavquelmar-cli: " + text + "\n" +
                                                     "Pruebe 'transmirtavquelmar-cli --help'.\n");
    return kExitError;
}

// Runs the command line `argv`, given in UTF-8.
int run(const std::vector<std::string>& argv)
{
    using tmq::cli::Stream;
    using tmq::cli::writeText;
    const int argc = static_cast<int>(argv.size());

    std::optional<tmq::cli::CliCommand> command;
    std::optional<std::string> file;
    std::filesystem::path folder = tmq::defaultWorkingFolder();

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::ostringstream usage;
            printUsage(usage);
            writeText(Stream::Output, usage.str());
            return 0;
        }
        if (arg == "--dir") {
            if (++i >= argc)
                return usageError("falta la carpeta tras --dir");
            folder = tmq::pathFromUtf8(argv[i]);
        } else if (arg.starts_with("--dir=")) {
            folder = tmq::pathFromUtf8(arg.substr(6));
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
    const std::filesystem::path absolute = std::filesystem::absolute(tmq::pathFromUtf8(*file), ec);
    tmq::cli::ConsoleInterface ui(ec ? *file : tmq::pathToUtf8(absolute));
    tmq::Session session;
    try {
        const tmq::CommandResult result = command->run(ui, session, folder);
        if (result == tmq::CommandResult::FileMissing) {
            writeText(Stream::Error, ui.message() + "\n");
            return kExitFileMissing;
        }
        writeText(Stream::Output, ui.message() + "\n");
        return 0;
    } catch (const std::exception& e) {
        writeText(Stream::Error, tmq::userText(e) + "\n");
        return kExitError;
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
