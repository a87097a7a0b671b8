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
    ConsoleInterface ui({}, arguments.verbose);
    runTimetablePageCommand(ui, arguments.folder, page);
    writeText(Stream::Output, ui.message() + "\n");
    if (arguments.open)
        openInDefaultBrowser(page);
    return kExitDone;
}

} // namespace

CliCommand reportCommand()
{
    return {"report",
            "",
            0,
            "Lee el horario (SOLUC y las tablas de la exportación) de la carpeta como la\n"
            "    importación y guarda una página HTML para ver e imprimir la semana de cada\n"
            "    profesor, grupo y aula, con lo que no pasa a Quelmar y los choques;\n"
            "    escribe la ruta de la página. Las tablas no cambian.",
            true,
            &runReport};
}

} // namespace tmq::cli
