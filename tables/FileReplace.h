#pragma once

#include <filesystem>
#include <string>

namespace tmq {

// The system calls that put a finished file in place of another, so that a
// power cut leaves either the whole old file or the whole new one. Each
// returns the system's reason in Spanish when it fails, empty on success.

// Writes what the file holds through to the disk.
std::string flushToDisk(const std::filesystem::path& file);

// Renames `from` over `to` in one step, replacing a file `to`.
std::string replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Makes the renames within `folder` durable; failures are not reported, since
// nothing already written is lost by them.
void flushFolder(const std::filesystem::path& folder);

} // namespace tmq
