#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

namespace tmq {

// File names are UTF-8 strings in the program. Windows takes them as UTF-16
// through its wide-character functions; elsewhere the bytes are the name.

std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string pathToUtf8(const std::filesystem::path& path);

// std::fopen for a name of any characters; errno says why it failed.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);

// Moves `from` over `to` in one step: `to` holds its old content or all of
// the new, also after a power cut (Windows writes the move through to the
// disk; elsewhere the folder is synchronised). An error code on failure.
std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to);

// Writes what a closed file holds through to the disk. An error code on
// failure.
std::error_code flushToDisk(const std::filesystem::path& path);

} // namespace tmq
