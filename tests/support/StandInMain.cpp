// tmq_timetable_stand_in FOLDER: leaves in FOLDER the SOLUC table the
// timetable program would, built from the tables the export wrote there. The
// Windows tests use it to run the whole cycle with the command line.
#include "support/TimetableStandIn.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "Uso: tmq_timetable_stand_in CARPETA\n");
        return 2;
    }
    try {
        tmq::test::runTimetableStandIn(argv[1]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
