// tmq_window_probe geometry | dpi-changed DPI | accessible
//
// Looks at the running window from outside, as the window test needs it:
//   geometry      prints the client area and the frame in screen pixels, as
//                 shell assignments (clientLeft= clientTop= clientWidth=
//                 clientHeight= outerLeft= outerTop= outerWidth= outerHeight=);
//   dpi-changed   sends the window WM_DPICHANGED for DPI, as Windows does
//                 when the window moves to a monitor of another scale, with
//                 a suggested rectangle at the window's place, written into
//                 the window's process;
//   accessible    prints, for the window and each of its controls, what a
//                 screen reader gets through oleacc:
//                 window handle|role number|name|description.
// Exits with 2 when the window is not there or a step fails.
// A test program, not the product: it may use what Windows 10 brings.
#undef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#include <windows.h>

#include <oleacc.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

HWND mainWindow()
{
    return FindWindowW(L"TMForm", nullptr);
}

// Coordinates as the window itself sees them, not scaled for a program
// unaware of the screen's scale.
void beAwareOfEachMonitor()
{
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
}

int geometry(HWND window)
{
    RECT client{};
    RECT outer{};
    POINT origin{0, 0};
    if (!GetClientRect(window, &client) || !GetWindowRect(window, &outer) ||
        !ClientToScreen(window, &origin))
        return 2;
    std::printf("clientLeft=%ld clientTop=%ld clientWidth=%ld clientHeight=%ld "
                "outerLeft=%ld outerTop=%ld outerWidth=%ld outerHeight=%ld\n",
                origin.x, origin.y, client.right, client.bottom, outer.left, outer.top,
                outer.right - outer.left, outer.bottom - outer.top);
    return 0;
}

int sendDpiChanged(HWND window, UINT dpi)
{
    RECT outer{};
    GetWindowRect(window, &outer);
    const UINT current = GetDpiForWindow(window);
    const RECT suggested{outer.left, outer.top,
                         outer.left + MulDiv(outer.right - outer.left, dpi, current),
                         outer.top + MulDiv(outer.bottom - outer.top, dpi, current)};

    // The rectangle travels by address, so it must lie in the window's process.
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, processId);
    if (process == nullptr)
        return 2;
    void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
    int status = 2;
    if (remote != nullptr &&
        WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr)) {
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(remote));
        std::printf("suggestedLeft=%ld suggestedTop=%ld\n", suggested.left, suggested.top);
        status = 0;
    }
    if (remote != nullptr)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return status;
}

std::string utf8(const wchar_t* text)
{
    if (text == nullptr)
        return "";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(size > 0 ? size - 1 : 0), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

// One line: handle|role number|name|description of the client object of
// `window`.
void describe(HWND window)
{
    std::printf("%016llx|", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)));
    IAccessible* object = nullptr;
    const HRESULT found =
        AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                   reinterpret_cast<void**>(&object));
    if (FAILED(found)) {
        std::printf("?|?|? (%08lx)\n", static_cast<unsigned long>(found));
        return;
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    VARIANT role{};
    long roleNumber = 0;
    if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4)
        roleNumber = role.lVal;
    BSTR name = nullptr;
    BSTR description = nullptr;
    object->get_accName(self, &name);
    object->get_accDescription(self, &description);
    std::printf("%ld|%s|%s\n", roleNumber, utf8(name).c_str(), utf8(description).c_str());
    SysFreeString(name);
    SysFreeString(description);
    object->Release();
}

int accessible(HWND window)
{
    describe(window);
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        describe(child);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    beAwareOfEachMonitor();
    const HWND window = mainWindow();
    if (argc < 2 || window == nullptr)
        return 2;
    const std::wstring command = argv[1];
    if (command == L"geometry")
        return geometry(window);
    if (command == L"dpi-changed" && argc == 3)
        return sendDpiChanged(window, static_cast<UINT>(std::wcstoul(argv[2], nullptr, 10)));
    if (command == L"accessible") {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        const int status = accessible(window);
        CoUninitialize();
        return status;
    }
    return 2;
}
