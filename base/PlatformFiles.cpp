#include "base/PlatformFiles.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#endif

namespace tmq {

std::filesystem::path pathFromUtf8(std::string_view utf8)
{
    return std::filesystem::path(
        std::u8string_view(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string pathToUtf8(const std::filesystem::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(reinterpret_cast<const char*>(utf8.data()), utf8.size());
}

#ifdef _WIN32

std::FILE* openFile(const std::filesystem::path& path, const char* mode)
{
    std::wstring wideMode;
    for (const char* c = mode; *c != '\0'; ++c)
        wideMode += static_cast<wchar_t>(*c);
    return ::_wfopen(path.c_str(), wideMode.c_str());
}

std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return {};
    return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
}

std::error_code flushToDisk(const std::filesystem::path& path)
{
    HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
    std::error_code error;
    if (!::FlushFileBuffers(handle))
        error = std::error_code(static_cast<int>(::GetLastError()), std::system_category());
    ::CloseHandle(handle);
    return error;
}

#else

std::FILE* openFile(const std::filesystem::path& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

std::error_code replaceFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    if (std::rename(from.c_str(), to.c_str()) != 0)
        return std::error_code(errno, std::generic_category());
    // Makes the rename itself durable; a failure here loses nothing already
    // written, so it is not reported.
    std::filesystem::path folder = to.parent_path();
    if (folder.empty())
        folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return {};
}

std::error_code flushToDisk(const std::filesystem::path& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::error_code(errno, std::generic_category());
    std::error_code error;
    if (::fsync(fd) != 0)
        error = std::error_code(errno, std::generic_category());
    ::close(fd);
    return error;
}

#endif

} // namespace tmq
