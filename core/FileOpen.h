#pragma once

#include <cstdio>
#include <string>

namespace tmq {

// Opens a file named by a UTF-8 path with fopen's `mode`; null with errno set
// when that fails. Windows takes its names as UTF-16, hence one place for it.
std::FILE* openFile(const std::string& utf8Path, const char* mode);

} // namespace tmq
