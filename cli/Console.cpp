#include "cli/Console.h"

#ifdef _WIN32
#include "base/WideText.h"

#include <windows.h>
#else
#include <cstdio>
#endif

namespace tmq::cli {

#ifdef _WIN32

void writeText(Stream stream, std::string_view utf8)
{
    std::string text;
    for (const char c : utf8) {
        if (c == '\n')
            text += '\r';
        text += c;
    }
    const HANDLE handle =
        ::GetStdHandle(stream == Stream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return;
    DWORD mode = 0;
    if (::GetConsoleMode(handle, &mode)) {
        const std::wstring wide = toWide(text);
        DWORD written = 0;
        ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::string_view rest = text;
    while (!rest.empty()) {
        DWORD written = 0;
        if (!::WriteFile(handle, rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr) ||
            written == 0)
            return;
        rest.remove_prefix(written);
    }
}

std::vector<std::string> argumentsAsUtf8(int argc, wchar_t** argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(toUtf8(argv[i]));
    return arguments;
}

#else

void writeText(Stream stream, std::string_view utf8)
{
    std::FILE* file = stream == Stream::Output ? stdout : stderr;
    std::fwrite(utf8.data(), 1, utf8.size(), file);
    std::fflush(file);
}

#endif

} // namespace tmq::cli
