#include "base/FileLock.h"

#ifdef _WIN32
#include "base/Error.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cwctype>
#include <map>
#include <mutex>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tmq {

#ifdef _WIN32

namespace {

// The locks this process holds, by the path they were taken on, so that the
// program's own opening of such a file reaches it through the lock's handle.
std::mutex g_heldMutex;
struct HeldFile {
    HANDLE handle;
    bool writable;
};
std::map<std::wstring, HeldFile> g_held;

std::wstring key(const std::filesystem::path& path)
{
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    std::wstring name = (error ? path : absolute).lexically_normal().native();
    std::transform(name.begin(), name.end(), name.begin(), ::towupper);
    return name;
}

} // namespace

FileLock::~FileLock()
{
    unlock();
}

FileLock::Outcome FileLock::lock(const std::filesystem::path& path)
{
    unlock();
    // Others may read the file meanwhile, never write or delete it; when it
    // can only be read, others may do no more than we do.
    bool writable = true;
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() == ERROR_ACCESS_DENIED) {
        writable = false;
        handle = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION)
            return Outcome::Busy;
        error_ = errnoFromWindowsError(static_cast<int>(code));
        return Outcome::Failed;
    }
    handle_ = handle;
    path_ = path;
    const std::lock_guard guard(g_heldMutex);
    g_held[key(path)] = {handle, writable};
    return Outcome::Locked;
}

void FileLock::unlock()
{
    if (handle_ == nullptr)
        return;
    {
        const std::lock_guard guard(g_heldMutex);
        const auto held = g_held.find(key(path_));
        if (held != g_held.end() && held->second.handle == handle_)
            g_held.erase(held);
    }
    ::CloseHandle(static_cast<HANDLE>(handle_));
    handle_ = nullptr;
}

bool FileLock::isLockedElsewhere(const std::filesystem::path& path)
{
    // Any open handle that does not share deletion, ours included, refuses
    // this; Windows would refuse to delete or replace the file then.
    const HANDLE handle =
        ::CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(handle);
    return false;
}

std::FILE* FileLock::openHeld(const std::filesystem::path& path, const char* mode)
{
    const bool writes = std::strchr(mode, '+') != nullptr || std::strchr(mode, 'w') != nullptr;
    HANDLE held = nullptr;
    {
        const std::lock_guard guard(g_heldMutex);
        const auto found = g_held.find(key(path));
        // A lock taken for reading serves no writing: the ordinary opening
        // then fails as it would without the lock.
        if (found == g_held.end() || (writes && !found->second.writable))
            return nullptr;
        held = found->second.handle;
    }
    // A second handle on the same open file passes no share-mode check.
    HANDLE copy = nullptr;
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, held, process, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        errno = errnoFromWindowsError(static_cast<int>(::GetLastError()));
        return nullptr;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(copy),
                                     _O_BINARY | (writes ? _O_RDWR : _O_RDONLY));
    if (fd < 0) {
        ::CloseHandle(copy);
        return nullptr;
    }
    std::FILE* file = ::_fdopen(fd, mode);
    if (file == nullptr) {
        ::_close(fd);
        return nullptr;
    }
    return file;
}

#else

namespace {

// File systems without locks (some network shares) leave the file unguarded
// instead of making it unusable.
bool locksUnsupported(int error)
{
    return error == ENOLCK || error == EOPNOTSUPP || error == ENOSYS;
}

struct flock wholeFile(short type)
{
    struct flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    return range;
}

} // namespace

FileLock::~FileLock()
{
    unlock();
}

FileLock::Outcome FileLock::lock(const std::filesystem::path& path)
{
    unlock();
    bool writable = true;
    int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS)) {
        writable = false;
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        error_ = errno;
        return Outcome::Failed;
    }

    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && !locksUnsupported(errno)) {
        const int flockError = errno;
        ::close(fd);
        error_ = flockError;
        return flockError == EWOULDBLOCK ? Outcome::Busy : Outcome::Failed;
    }
    struct flock range = wholeFile(writable ? F_WRLCK : F_RDLCK);
    if (::fcntl(fd, F_OFD_SETLK, &range) != 0 && !locksUnsupported(errno)) {
        const int fcntlError = errno;
        ::close(fd);
        error_ = fcntlError;
        return fcntlError == EAGAIN || fcntlError == EACCES ? Outcome::Busy : Outcome::Failed;
    }
    fd_ = fd;
    return Outcome::Locked;
}

void FileLock::unlock()
{
    // Closing the descriptor releases both locks.
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool FileLock::isLockedElsewhere(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    bool locked = false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        locked = errno == EWOULDBLOCK;
    else
        ::flock(fd, LOCK_UN);
    if (!locked) {
        struct flock range = wholeFile(F_WRLCK);
        locked = ::fcntl(fd, F_OFD_GETLK, &range) == 0 && range.l_type != F_UNLCK;
    }
    ::close(fd);
    return locked;
}

std::FILE* FileLock::openHeld(const std::filesystem::path&, const char*)
{
    return nullptr;
}

#endif

} // namespace tmq
