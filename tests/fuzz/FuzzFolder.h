#pragma once

// A working folder for one fuzzing process, on a memory file system when
// there is one, since every input writes tables.

#include <filesystem>
#include <string>
#include <system_error>
#include <unistd.h>

namespace tmq::fuzz {

// Made on first use and removed at the normal end of the process.
// scripts/fuzz.sh removes tmq-fuzz after each target: a process that found a
// fault ends without removing its own folder.
class FuzzFolder {
public:
    FuzzFolder()
    {
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base))
            base = std::filesystem::temp_directory_path();
        path_ = base / "tmq-fuzz" / std::to_string(::getpid());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~FuzzFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
        std::filesystem::remove(path_.parent_path(), ignored); // only when empty
    }
    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

inline const std::filesystem::path& fuzzFolder()
{
    static const FuzzFolder folder;
    return folder.path();
}

} // namespace tmq::fuzz
