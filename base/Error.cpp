#include "base/Error.h"

#include "base/PlatformFiles.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

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
    case EAGAIN:
#if EWOULDBLOCK != EAGAIN
    case EWOULDBLOCK:
#endif
        return "el recurso está ocupado; inténtelo de nuevo";
    case EFBIG:
        return "el archivo es demasiado grande";
    case ENOMEM:
        return "no hay memoria suficiente";
    case EXDEV:
        return "no se puede mover entre unidades distintas";
    case ENOTEMPTY:
        return "la carpeta no está vacía";
    case ELOOP:
        return "hay demasiados enlaces simbólicos en la ruta";
    case EINVAL:
        return "el nombre o la operación no son válidos";
    case EINTR:
        return "la operación se interrumpió";
    case ENOLCK:
        return "el sistema de archivos no admite bloqueos";
    case ENXIO:
    case ENODEV:
        return "el dispositivo no está disponible";
    default:
        return "error del sistema número " + std::to_string(errnoValue);
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

std::string userText(const std::exception& error)
{
    if (dynamic_cast<const Error*>(&error) != nullptr)
        return error.what();
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr)
        return "No hay memoria suficiente para terminar el proceso";
    if (const auto* failure = dynamic_cast<const std::filesystem::filesystem_error*>(&error)) {
        std::string text = "Error con el archivo '" + pathToUtf8(failure->path1()) + "'";
        if (!failure->path2().empty())
            text += " y el archivo '" + pathToUtf8(failure->path2()) + "'";
        return text + ": " + systemReason(failure->code());
    }
    if (const auto* failure = dynamic_cast<const std::system_error*>(&error))
        return "Error del sistema: " + systemReason(failure->code());
    return "Error interno inesperado; el proceso se ha interrumpido";
}

std::string errorReport(const std::exception& error)
{
    return errorReportText(userText(error));
}

} // namespace tmq
