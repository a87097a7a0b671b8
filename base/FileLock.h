#pragma once

#include <cstdio>
#include <filesystem>

namespace tmq {

// A lock on a whole file that other programs see, held on a file descriptor
// of its own until unlock() or the object goes. On Linux both advisory kinds
// are taken, flock() and an open-file-description fcntl() lock, so that
// programs using either one notice it. On Windows the file is opened with a
// share mode that lets others read it but not write or delete it; the
// program's own access to a file it holds goes through openHeld().
class FileLock {
public:
    // What became of an attempt to lock a file.
    enum class Outcome { Locked, Busy, Failed };

    FileLock() = default;
    ~FileLock();
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Locks `path` for this holder alone: a write lock when the file can be
    // written, a read lock otherwise. Busy when another holder has a lock
    // that conflicts; Failed, with error(), when the file cannot be opened.
    Outcome lock(const std::filesystem::path& path);
    void unlock();

    // The system error number of the last Failed outcome.
    int error() const { return error_; }

    // Whether a holder other than the caller has any lock on `path`.
    static bool isLockedElsewhere(const std::filesystem::path& path);

    // A stream on `path` opened with std::fopen's `mode` through a lock this
    // process holds on it, or nullptr when it holds none (always on Linux,
    // where the file is opened the ordinary way). errno is left alone then.
    static std::FILE* openHeld(const std::filesystem::path& path, const char* mode);

private:
#ifdef _WIN32
    void* handle_ = nullptr;
    std::filesystem::path path_;
#else
    int fd_ = -1;
#endif
    int error_ = 0;
};

} // namespace tmq
