#include "base/DefaultBrowser.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"

#ifdef _WIN32
#include <objbase.h>
#include <shellapi.h>
#include <windows.h>
#else
#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
extern char** environ;
#endif

namespace tmq {

namespace {

[[noreturn]] void cannotOpen(const std::string& path, const std::string& reason)
{
    throw Error("No se puede abrir la página '" + path + "' en el navegador: " + reason);
}

} // namespace

#ifdef _WIN32

void openInDefaultBrowser(const std::string& path)
{
    // The shell may hand the file to extensions that need COM.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    const std::wstring file = pathFromUtf8(path).wstring();
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // The program shows its own error; the shell's dialog would come twice.
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file.c_str();
    info.nShow = SW_SHOWNORMAL;
    const bool opened = ShellExecuteExW(&info) != FALSE;
    const DWORD error = GetLastError();
    if (SUCCEEDED(com))
        CoUninitialize();
    if (opened)
        return;
    if (error == ERROR_NO_ASSOCIATION)
        cannotOpen(path, "Windows no tiene ningún programa para abrir las páginas HTML; elija un "
                         "navegador predeterminado en la configuración de Windows");
    cannotOpen(path,
               systemReason(std::error_code(static_cast<int>(error), std::system_category())));
}

#else

void openInDefaultBrowser(const std::string& path)
{
    // xdg-open finds the desktop's browser; it returns once the browser has
    // the page, and says by its exit code when it found none.
    char program[] = "xdg-open";
    std::string argument = path;
    char* argv[] = {program, argument.data(), nullptr};
    pid_t child = 0;
    const int spawned = posix_spawnp(&child, program, nullptr, nullptr, argv, environ);
    if (spawned == ENOENT)
        cannotOpen(path, "no está instalado xdg-open (paquete xdg-utils)");
    if (spawned != 0)
        cannotOpen(path, systemReason(spawned));
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            cannotOpen(path, systemReason(errno));
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        cannotOpen(path, "xdg-open no encontró un navegador que la abra (terminó con el código " +
                             std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ")");
}

#endif

} // namespace tmq
