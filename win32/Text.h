#pragma once

#include <string>
#include <string_view>

namespace tmq::win32 {

// The window's one crossing between the core's UTF-8 and the wide APIs.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

} // namespace tmq::win32
