// transmirtavquelmar-horario.exe, the Start menu's "Ver horario de Mirtavel":
// makes the timetable page of the working folder, HorarioMirtavel.html and
// the files named after it beside it in the user's temporary folder, and
// opens the index in the browser. A program of the window subsystem, so that starting it brings up
// no console; what goes wrong is shown in the error box.
#include "base/WideText.h"
#include "frame/WorkingFolder.h"
#include "page/TimetablePageCommand.h"
#include "win32/MessageBoxes.h"
#include "win32/Win.h"
#include "window/WindowLayout.h"

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*showCommand*/)
{
    const std::string error = tmq::openTimetablePage(tmq::defaultWorkingFolder());
    if (error.empty())
        return 0;
    tmq::win32::showErrorBox(nullptr, tmq::toWide(tmq::layout::kTimetablePageTitle),
                             tmq::toWide(error));
    return 1;
}
