#pragma once

// A working folder for one fuzzing process, on a memory file system when
// there is one, since every input writes tables.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace tmq::fuzz {

inline const std::filesystem::path& fuzzFolder()
{
    static const std::filesystem::path folder = [] {
        std::filesystem::path base = "/dev/shm";
        if (!std::filesystem::is_directory(base))
            base = std::filesystem::temp_directory_path();
        // scripts/fuzz.sh removes tmq-fuzz after each target: a process that
        // found a fault ends without removing its own folder.
        std::filesystem::path made = base / "tmq-fuzz" / std::to_string(::getpid());
        std::filesystem::remove_all(made);
        std::filesystem::create_directories(made);
        std::atexit([] { std::filesystem::remove_all(fuzzFolder()); });
        return made;
    }();
    return folder;
}

} // namespace tmq::fuzz
