#include "base/DefaultBrowser.h"
#include "base/PlatformFiles.h"
#include "cli/CliCommand.h"
#include "cli/Console.h"
#include "cli/ConsoleInterface.h"
#include "page/TimetablePageCommand.h"

#include <system_error>

namespace tmq::cli {

namespace {

int runReport(const CliArguments& arguments)
{
    std::string page = defaultTimetablePagePath();
    if (!arguments.out.empty()) {
        // The printed path is the full one, ready to be opened from anywhere.
        std::error_code error;
        const std::filesystem::path absolute =
            std::filesystem::absolute(pathFromUtf8(arguments.out), error);
        page = error ? arguments.out : pathToUtf8(absolute);
    }
    const std::string document = arguments.operands.empty() ? "" : arguments.operands[0];
    ConsoleInterface ui({}, arguments.verbose);
    if (runTimetablePageCommand(ui, arguments.folder, page, document) ==
        CommandResult::FileMissing) {
        writeText(Stream::Error, ui.message() + "\n");
        return kExitFileMissing;
    }
    writeText(Stream::Output, ui.message() + "\n");
    if (arguments.open)
        openInDefaultBrowser(page);
    return kExitDone;
}

} // namespace

CliCommand reportCommand()
{
    return {"report",
            "[ARCHIVO.xml]",
            0,
            "Lee el horario (SOLUC y las tablas de la exportación) de la carpeta como la\n"
            "    importación y guarda una página HTML para ver e imprimir la semana de cada\n"
            "    profesor, grupo y aula, con lo que no pasa a Quelmar y los choques, y los\n"
            "    profesores libres por tramo y toda la plantilla; escribe la ruta del\n"
            "    índice. Con el documento de Quelmar, cada hoja nombra también el centro y\n"
            "    el curso. Las tablas no cambian.",
            true,
            &runReport,
            1};
}

} // namespace tmq::cli
