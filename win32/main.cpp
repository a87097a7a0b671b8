#include "export/ExportCommand.h"
#include "frame/CommandFrame.h"
#include "frame/WorkingFolder.h"
#include "import/ImportCommand.h"
#include "win32/MainWindow.h"
#include "win32/Win.h"

#include <commctrl.h>
#include <objbase.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int showCommand)
{
    // The shell parts of the file dialog want a single-threaded apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    // The common controls of version 6, which the manifest asks for, draw
    // the message boxes and the file dialog in the system's visual style.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    int exitCode = 1;
    {
        tmq::win32::MainWindow window(
            tmq::defaultWorkingFolder(),
            tmq::Commands{&tmq::runExportCommand, &tmq::runImportCommand});
        if (window.create(instance, showCommand)) {
            MSG message{};
            while (GetMessageW(&message, nullptr, 0, 0) > 0) {
                // The dialog keys: Tab, Enter, Space and the Alt mnemonics.
                if (!IsDialogMessageW(window.handle(), &message)) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
            exitCode = static_cast<int>(message.wParam);
        }
    }
    // The window and what it holds are gone before the apartment closes.
    if (SUCCEEDED(com))
        CoUninitialize();
    return exitCode;
}
