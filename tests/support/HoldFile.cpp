// tmq_hold_file FILE [--read-only] [-- PROGRAM ARGUMENTS...]
//
// Holds FILE open as another Windows program would: for reading and writing,
// sharing only reading; with --read-only, for reading, sharing reading and
// writing but not deletion (as a viewer that keeps a document open). Writes
// "y" to standard output once it holds the file, "n" when it cannot. Then
// runs PROGRAM and returns its exit code, or waits until its standard input
// closes.
#include <windows.h>

#include <string>

namespace {

std::wstring quoted(const std::wstring& argument)
{
    std::wstring out = L"\"";
    for (const wchar_t c : argument) {
        if (c == L'"')
            out += L'\\';
        out += c;
    }
    return out + L"\"";
}

void answer(char c)
{
    DWORD written = 0;
    ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), &c, 1, &written, nullptr);
    ::FlushFileBuffers(::GetStdHandle(STD_OUTPUT_HANDLE));
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return 2;
    int next = 2;
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD share = FILE_SHARE_READ;
    if (next < argc && std::wstring(argv[next]) == L"--read-only") {
        access = GENERIC_READ;
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        ++next;
    }
    // A file the test has only just closed may still be in use for a moment
    // on a loaded machine; only a hold that lasts counts as a refusal.
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 30; ++attempt) {
        file = ::CreateFileW(argv[1], access, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_SHARING_VIOLATION)
            break;
        ::Sleep(100);
    }
    answer(file == INVALID_HANDLE_VALUE ? 'n' : 'y');
    if (file == INVALID_HANDLE_VALUE)
        return 3;

    if (next < argc && std::wstring(argv[next]) == L"--") {
        std::wstring command;
        for (int i = next + 1; i < argc; ++i)
            command += (command.empty() ? L"" : L" ") + quoted(argv[i]);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!::CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                              &startup, &process))
            return 4;
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        return static_cast<int>(code);
    }
    char buffer[64];
    DWORD read = 0;
    while (::ReadFile(::GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) &&
           read > 0)
        ;
    return 0;
}
