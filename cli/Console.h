#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tmq::cli {

// Where a message goes.
enum class Stream { Output, Error };

// Writes UTF-8 text. On a Windows console the characters are written as
// such; to a pipe or a file, and on other systems, the UTF-8 bytes are (with
// Windows line ends on Windows).
void writeText(Stream stream, std::string_view utf8);

#ifdef _WIN32
// The arguments Windows hands wmain(), as UTF-8.
std::vector<std::string> argumentsAsUtf8(int argc, wchar_t** argv);
#endif

} // namespace tmq::cli
