#include "cli/Console.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdio>
#endif

namespace tmq::cli {

#ifdef _WIN32

namespace {

std::wstring widen(std::string_view utf8)
{
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    std::wstring wide(
        static_cast<std::size_t>(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0)),
        L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(),
                          static_cast<int>(wide.size()));
    return wide;
}

std::string narrow(std::wstring_view wide)
{
    if (wide.empty())
        return {};
    const int size = static_cast<int>(wide.size());
    std::string utf8(static_cast<std::size_t>(::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size,
                                                                    nullptr, 0, nullptr, nullptr)),
                     '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), static_cast<int>(utf8.size()),
                          nullptr, nullptr);
    return utf8;
}

} // namespace

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
        const std::wstring wide = widen(text);
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
        arguments.push_back(narrow(argv[i]));
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
