#include "win32/Dpi.h"

#include "win32/Handles.h"

namespace tmq::win32 {

namespace {

// The per-monitor functions came with Windows 8.1 (shcore.dll) and 10
// (user32.dll); they are looked up as the program runs, so that it still
// starts on Windows 7, where the system's dpi holds for every monitor.
template <typename Function> Function systemFunction(const wchar_t* library, const char* name)
{
    HMODULE module = GetModuleHandleW(library);
    if (module == nullptr)
        module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr)
        return nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
using SystemParametersInfoForDpiFunction = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);

// MDT_EFFECTIVE_DPI: the scale the user chose for the monitor.
constexpr int kEffectiveDpi = 0;

} // namespace

UINT systemDpi()
{
    const WindowDc screen(nullptr);
    const int dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
    return dpi > 0 ? static_cast<UINT>(dpi) : kDesignDpi;
}

int scaled(int length, UINT dpi)
{
    return MulDiv(length, static_cast<int>(dpi), static_cast<int>(kDesignDpi));
}

RECT scaled(const layout::Rect& box, UINT dpi)
{
    return RECT{scaled(box.left, dpi), scaled(box.top, dpi), scaled(box.left + box.width, dpi),
                scaled(box.top + box.height, dpi)};
}

UINT dpiOfWindow(HWND window)
{
    static const auto forWindow =
        systemFunction<GetDpiForWindowFunction>(L"user32.dll", "GetDpiForWindow");
    if (forWindow != nullptr) {
        if (const UINT dpi = forWindow(window); dpi != 0)
            return dpi;
    }
    return dpiOfMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

UINT dpiOfMonitor(HMONITOR monitor)
{
    static const auto forMonitor =
        systemFunction<GetDpiForMonitorFunction>(L"shcore.dll", "GetDpiForMonitor");
    UINT x = 0;
    UINT y = 0;
    if (forMonitor != nullptr && monitor != nullptr &&
        SUCCEEDED(forMonitor(monitor, kEffectiveDpi, &x, &y)) && y != 0)
        return y;
    return systemDpi();
}

SIZE frameSize(SIZE client, DWORD style, DWORD exStyle, UINT dpi)
{
    static const auto adjustForDpi =
        systemFunction<AdjustWindowRectExForDpiFunction>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT frame{0, 0, client.cx, client.cy};
    if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    return SIZE{frame.right - frame.left, frame.bottom - frame.top};
}

bool nonClientMetrics(NONCLIENTMETRICSW& metrics, UINT dpi)
{
    static const auto forDpi = systemFunction<SystemParametersInfoForDpiFunction>(
        L"user32.dll", "SystemParametersInfoForDpi");
    metrics = NONCLIENTMETRICSW{};
    metrics.cbSize = sizeof metrics;
    if (forDpi != nullptr && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi))
        return true;
    return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0) != FALSE;
}

int systemMetric(int index, UINT dpi)
{
    static const auto forDpi =
        systemFunction<GetSystemMetricsForDpiFunction>(L"user32.dll", "GetSystemMetricsForDpi");
    return forDpi != nullptr ? forDpi(index, dpi) : GetSystemMetrics(index);
}

} // namespace tmq::win32
