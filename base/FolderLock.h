#pragma once

#include <filesystem>

namespace tmq {

// Keeps other converters out of a working folder for the length of one
// command: the lock file LOCK_FILE_NAME in the folder is held with the
// system's own lock (flock on Linux, a handle opened without sharing on
// Windows), which the system drops when the process ends, however it ends.
// A file left behind by a killed run is therefore never in the way.
class FolderLock {
public:
    static constexpr const char* kFileName = "TransMirtavQuelmar.lock";

    FolderLock() = default;
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

    // Takes the lock of `folder`, or throws tmq::Error naming the folder when
    // another converter holds it. A folder where no lock file can be made
    // (read-only, or missing) is not locked: nothing of this program can
    // write there, and the command itself reports what it cannot do.
    void lock(const std::filesystem::path& folder);
    void unlock();

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
    std::filesystem::path file_;
#endif
};

} // namespace tmq
