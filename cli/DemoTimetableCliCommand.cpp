#include "cli/CliCommand.h"
#include "cli/Console.h"
#include "cli/ConsoleInterface.h"
#include "demo/DemoTimetable.h"

namespace tmq::cli {

namespace {

int runDemoTimetable(const CliArguments& arguments)
{
    DemoTimetableCommand command(arguments.folder);
    ConsoleInterface ui({}, arguments.verbose);
    Session session;
    runCommand(ui, session, command);
    for (const std::string& line : command.timetable().unplaced)
        writeText(Stream::Output, line + "\n");
    writeText(Stream::Output, ui.message() + "\n");
    return kExitDone;
}

} // namespace

CliCommand demoTimetableCommand()
{
    return {"demo-timetable",
            "",
            0,
            "SOLO PARA PROBAR, no es un programa de horarios: lee ASIGT, PROFT y\n"
            "    DIASHORAST de la carpeta y escribe un SOLUC verosímil, con cada sesión\n"
            "    en un tramo libre (ningún profesor, grupo ni aula dos veces en un\n"
            "    tramo), para probar la importación sin el programa de horarios. Las\n"
            "    sesiones que no caben se escriben con DIA 0 y se listan. Nunca\n"
            "    reemplaza un SOLUC que ya esté en la carpeta.",
            false,
            &runDemoTimetable};
}

} // namespace tmq::cli
