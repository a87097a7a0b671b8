#include "support/TestSupport.h"

#include <cstdlib>
#ifdef _WIN32
#include <process.h>
#include <windows.h>
#endif
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace tmq::test {

TempDir::TempDir()
{
#ifdef _WIN32
    static unsigned counter = 0;
    const std::filesystem::path base = std::filesystem::temp_directory_path();
    const std::string prefix = "tmq-test-" + std::to_string(::_getpid()) + "-";
    while (!std::filesystem::create_directory(base / (prefix + std::to_string(++counter))))
        ;
    path_ = base / (prefix + std::to_string(counter));
#else
    std::string pattern = (std::filesystem::temp_directory_path() / "tmq-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
#endif
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& path, std::string_view content)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

#ifdef _WIN32

HeldByAnotherProcess::HeldByAnotherProcess(const std::filesystem::path& path, bool readOnly)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE childIn = nullptr;
    HANDLE input = nullptr;
    HANDLE output = nullptr;
    HANDLE childOut = nullptr;
    if (!::CreatePipe(&childIn, &input, &inherit, 0) ||
        !::CreatePipe(&output, &childOut, &inherit, 0))
        throw std::runtime_error("CreatePipe failed");
    ::SetHandleInformation(input, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(output, HANDLE_FLAG_INHERIT, 0);

    std::wstring command = L"\"" TMQ_HOLD_FILE_W L"\" \"" + path.wstring() + L"\"";
    if (readOnly)
        command += L" --read-only";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = childIn;
    startup.hStdOutput = childOut;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const bool started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                                          nullptr, nullptr, &startup, &process);
    ::CloseHandle(childIn);
    ::CloseHandle(childOut);
    char answer = 'n';
    DWORD read = 0;
    if (started) {
        ::CloseHandle(process.hThread);
        process_ = process.hProcess;
        input_ = input;
        ::ReadFile(output, &answer, 1, &read, nullptr);
    } else {
        ::CloseHandle(input);
    }
    ::CloseHandle(output);
    if (read != 1 || answer != 'y') {
        release();
        throw std::runtime_error("another process could not hold " + path.string());
    }
}

HeldByAnotherProcess::~HeldByAnotherProcess()
{
    release();
}

void HeldByAnotherProcess::release()
{
    if (input_ != nullptr)
        ::CloseHandle(static_cast<HANDLE>(input_));
    input_ = nullptr;
    if (process_ != nullptr) {
        ::WaitForSingleObject(static_cast<HANDLE>(process_), 30000);
        ::CloseHandle(static_cast<HANDLE>(process_));
    }
    process_ = nullptr;
}

bool isFileOpenAnywhere(const std::filesystem::path& path)
{
    const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(handle);
    return false;
}

#endif

} // namespace tmq::test
