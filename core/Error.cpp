#include "core/Error.h"

#include <cerrno>
#include <cstring>

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
    case EDQUOT:
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

} // namespace tmq
