#include "cli/DocumentCommand.h"
#include "import/ImportCommand.h"

namespace tmq::cli {

CliCommand importCommand()
{
    return {"import",
            "ARCHIVO.xml",
            1,
            "Lee el horario (SOLUC y las tablas de la exportación) de la carpeta y\n"
            "    guarda el documento con las actividades de cada profesor como\n"
            "    ResultadoMirtav<ARCHIVO> junto al documento elegido.",
            false,
            [](const CliArguments& arguments) {
                return runDocumentCommand(arguments, &runImportCommand);
            }};
}

} // namespace tmq::cli
