#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace tmq::test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

#ifdef _WIN32
// Another process (tmq_hold_file) that holds `path` open as another Windows
// program would, until the object goes; see tests/support/HoldFile.cpp.
class HeldByAnotherProcess {
public:
    explicit HeldByAnotherProcess(const std::filesystem::path& path, bool readOnly = false);
    ~HeldByAnotherProcess();
    HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
    HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;

private:
    void release();
    void* process_ = nullptr;
    void* input_ = nullptr;
};

// Whether any open handle, in this or another process, keeps others from
// opening `path` for themselves alone.
bool isFileOpenAnywhere(const std::filesystem::path& path);
#endif

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, std::string_view content);

} // namespace tmq::test
