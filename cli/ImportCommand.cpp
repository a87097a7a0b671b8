#include "import/ImportCommand.h"
#include "cli/CliCommand.h"

namespace tmq::cli {

CliCommand importCommand()
{
    return {"import",
            "Lee el horario (SOLUC y las tablas de la exportación) de la carpeta y\n"
            "    guarda el documento con las actividades de cada profesor como\n"
            "    ResultadoMirtav<ARCHIVO> junto al documento elegido.",
            &runImportCommand};
}

} // namespace tmq::cli
