#include "core/Error.h"

#include <cerrno>
#include <filesystem>
#include <new>
#include <system_error>

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

std::string userText(const std::exception& error)
{
    if (dynamic_cast<const Error*>(&error) != nullptr)
        return error.what();
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr)
        return "No hay memoria suficiente para terminar el proceso";
    if (const auto* failure = dynamic_cast<const std::filesystem::filesystem_error*>(&error)) {
        std::string text = "Error con el archivo '" + failure->path1().string() + "'";
        if (!failure->path2().empty())
            text += " y el archivo '" + failure->path2().string() + "'";
        return text + ": " + systemReason(failure->code().value());
    }
    if (const auto* failure = dynamic_cast<const std::system_error*>(&error))
        return "Error del sistema: " + systemReason(failure->code().value());
    return "Error interno inesperado; el proceso se ha interrumpido";
}

} // namespace tmq
