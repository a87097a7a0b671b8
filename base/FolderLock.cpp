#include "base/FolderLock.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tmq {

namespace {

[[noreturn]] void refuse(const std::filesystem::path& folder)
{
    throw Error("La carpeta de trabajo '" + pathToUtf8(folder) +
                "' está en uso por otra copia del conversor; espere a que termine y vuelva a "
                "intentarlo");
}

[[noreturn]] void failToLock(const std::filesystem::path& folder, const std::string& reason)
{
    throw Error("No se puede reservar la carpeta de trabajo '" + pathToUtf8(folder) +
                "': " + reason);
}

} // namespace

FolderLock::~FolderLock()
{
    unlock();
}

#ifdef _WIN32

// No sharing: a second open fails with a sharing violation while this handle
// lives; the file goes with the last handle, also when the process is killed.
void FolderLock::lock(const std::filesystem::path& folder)
{
    unlock();
    const std::filesystem::path file = folder / kFileName;
    HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
                    FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        handle_ = handle;
        return;
    }
    switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
        refuse(folder);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
        return;
    default:
        failToLock(folder, "error del sistema número " + std::to_string(GetLastError()));
    }
}

void FolderLock::unlock()
{
    if (handle_ != nullptr)
        CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

#else

// The lock file is removed when the lock is given back. A run that opened the
// file just before that would lock a file no longer in the folder, so a lock
// counts only while the folder still shows the locked file.
void FolderLock::lock(const std::filesystem::path& folder)
{
    unlock();
    const std::filesystem::path file = folder / kFileName;
    for (;;) {
        int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0 && (errno == EACCES || errno == EPERM))
            fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM || errno == EROFS || errno == ENOENT ||
                errno == ENOTDIR)
                return;
            failToLock(folder, systemReason(errno));
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK)
                refuse(folder);
            if (error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS)
                return; // a file system without locks cannot keep anyone out
            failToLock(folder, systemReason(error));
        }
        struct stat held {};
        struct stat named {};
        if (::fstat(fd, &held) == 0 && ::stat(file.c_str(), &named) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            fd_ = fd;
            file_ = file;
            return;
        }
        ::close(fd);
    }
}

void FolderLock::unlock()
{
    if (fd_ < 0)
        return;
    ::unlink(file_.c_str());
    ::close(fd_);
    fd_ = -1;
}

#endif

} // namespace tmq
