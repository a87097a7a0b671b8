#include "export/ExportCommand.h"
#include "cli/CliCommand.h"

namespace tmq::cli {

CliCommand exportCommand()
{
    return {"export",
            "Lee los catálogos del documento XML y escribe las seis tablas dBASE\n"
            "    (ASIGNOMT, PROFT, AULAT, GRUPOST, ASIGT, DIASHORAST) en la carpeta.",
            &runExportCommand};
}

} // namespace tmq::cli
