#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

namespace tmq {

// The one crossing between the program's UTF-8 and the UTF-16 of the
// Windows wide-character APIs, for the window and the console alike.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

} // namespace tmq

#endif
