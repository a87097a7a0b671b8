#include "core/Error.h"

#include <cerrno>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#endif

namespace tmq {

std::string errorReportText(const std::string& message)
{
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.')
        return message + ".";
    return message;
}

std::string systemReason(int errnoValue)
{
    switch (errnoValue) {
    case ENOENT:
        return "no existe el archivo o la carpeta";
    case ENOTDIR:
        return "una parte de la ruta no es una carpeta";
    case EACCES:
    case EPERM:
        return "permiso denegado";
    case EROFS:
        return "el sistema de archivos es de solo lectura";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "no queda espacio en el disco";
    case EBUSY:
    case ETXTBSY:
        return "el archivo está en uso";
    case EISDIR:
        return "es una carpeta";
    case EEXIST:
        return "ya existe";
    case ENAMETOOLONG:
        return "el nombre es demasiado largo";
    case EIO:
        return "error de entrada/salida";
    case EMFILE:
    case ENFILE:
        return "hay demasiados archivos abiertos";
    default:
        return std::string("error del sistema ") + std::to_string(errnoValue) + " (" +
               std::strerror(errnoValue) + ")";
    }
}

namespace {

#ifdef _WIN32
// The C library's number for a Windows error, 0 when there is none alike.
int errnoFromWindows(int code)
{
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
        return EACCES;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return EBUSY;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    default:
        return 0;
    }
}
#endif

} // namespace

#ifdef _WIN32
int errnoFromWindowsError(int code)
{
    const int number = errnoFromWindows(code);
    return number != 0 ? number : EIO;
}
#endif

std::string systemReason(const std::error_code& error)
{
#ifdef _WIN32
    if (error.category() == std::system_category()) {
        if (const int number = errnoFromWindows(error.value()); number != 0)
            return systemReason(number);
        return "error de Windows " + std::to_string(error.value());
    }
#endif
    return systemReason(error.value());
}

} // namespace tmq
