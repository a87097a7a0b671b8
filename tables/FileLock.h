#pragma once

#include <filesystem>

namespace tmq {

// An advisory lock on a whole file that other programs see, held on a file
// descriptor of its own until unlock() or the object goes. On Linux both
// kinds are taken, flock() and an open-file-description fcntl() lock, so that
// programs using either one notice it.
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

private:
    int fd_ = -1;
    int error_ = 0;
};

} // namespace tmq
