#include "cli/DocumentCommand.h"
#include "export/ExportCommand.h"

namespace tmq::cli {

CliCommand exportCommand()
{
    return {"export",
            "ARCHIVO.xml",
            1,
            "Lee los catálogos del documento XML y escribe las seis tablas dBASE\n"
            "    (ASIGNOMT, PROFT, AULAT, GRUPOST, ASIGT, DIASHORAST) en la carpeta.",
            false,
            [](const CliArguments& arguments) {
                return runDocumentCommand(arguments, &runExportCommand);
            }};
}

} // namespace tmq::cli
