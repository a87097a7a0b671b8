#include "tables/FileLock.h"

#ifndef _WIN32
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace tmq {

#ifdef _WIN32

// A Windows build locks through the share mode of the files it opens; this
// stand-in keeps the interface until that is written.
FileLock::~FileLock() = default;
FileLock::Outcome FileLock::lock(const std::filesystem::path&)
{
    return Outcome::Locked;
}
void FileLock::unlock() {}
bool FileLock::isLockedElsewhere(const std::filesystem::path&)
{
    return false;
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

#endif

} // namespace tmq
