#include "tables/FileReplace.h"

#include "core/Error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tmq {

#ifdef _WIN32

namespace {

std::string windowsReason(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        return systemReason(ENOENT);
    case ERROR_ACCESS_DENIED:
        return systemReason(EACCES);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        return "el archivo está abierto en otro programa";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return systemReason(ENOSPC);
    case ERROR_WRITE_PROTECT:
        return systemReason(EROFS);
    default:
        return "error del sistema número " + std::to_string(error);
    }
}

} // namespace

std::string flushToDisk(const std::filesystem::path& file)
{
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return windowsReason(GetLastError());
    const bool flushed = FlushFileBuffers(handle) != 0;
    const DWORD error = GetLastError();
    CloseHandle(handle);
    return flushed ? std::string() : windowsReason(error);
}

std::string replaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) !=
        0)
        return {};
    return windowsReason(GetLastError());
}

void flushFolder(const std::filesystem::path&)
{
    // MOVEFILE_WRITE_THROUGH has already made the rename durable.
}

#else

std::string flushToDisk(const std::filesystem::path& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return systemReason(errno);
    const bool synced = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    return synced ? std::string() : systemReason(error);
}

std::string replaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (std::rename(from.c_str(), to.c_str()) == 0)
        return {};
    return systemReason(errno);
}

void flushFolder(const std::filesystem::path& folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

#endif

} // namespace tmq
