#include "win32/MessageBoxes.h"

#include "base/WideText.h"
#include "win32/Dpi.h"
#include "win32/Handles.h"
#include "window/WindowLayout.h"

namespace tmq::win32 {

namespace {

// The hook that adjusts the next box once it exists: the system labels its
// button in the system's language, so the information box's is renamed.
UniqueHook boxHook;
bool renameButton = false;

BOOL CALLBACK moveChild(HWND child, LPARAM shift)
{
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(child), reinterpret_cast<POINT*>(&place), 2);
    SetWindowPos(child, nullptr, place.left + static_cast<int>(shift), place.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

// Some systems size the box to its text and button only, cutting a longer
// caption; the box is widened, its content kept centred, until the caption
// fits beside the close box.
void fitCaption(HWND box)
{
    // The caption is measured at the scale the box is drawn at.
    const UINT dpi = dpiOfWindow(box);
    NONCLIENTMETRICSW metrics{};
    if (!nonClientMetrics(metrics, dpi))
        return;
    const int length = GetWindowTextLengthW(box);
    std::wstring caption(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(box, caption.data(), length + 1);
    caption.resize(static_cast<std::size_t>(length));

    SIZE extent{};
    {
        const WindowDc dc(box);
        const UniqueFont font(CreateFontIndirectW(&metrics.lfCaptionFont));
        const Selection selected(dc.get(), font.get());
        GetTextExtentPoint32W(dc.get(), caption.c_str(), length, &extent);
    }
    const int needed = extent.cx + 2 * metrics.iCaptionWidth + 4 * systemMetric(SM_CXEDGE, dpi);
    RECT client{};
    GetClientRect(box, &client);
    if (client.right >= needed)
        return;
    const int growth = needed - client.right;
    EnumChildWindows(box, moveChild, growth / 2);
    RECT frame{};
    GetWindowRect(box, &frame);
    SetWindowPos(box, nullptr, 0, 0, frame.right - frame.left + growth, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK adjustBox(int code, WPARAM wParam, LPARAM lParam)
{
    const LRESULT next = CallNextHookEx(boxHook.get(), code, wParam, lParam);
    if (code != HCBT_ACTIVATE)
        return next;
    const HWND box = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = {};
    GetClassNameW(box, className, 16);
    if (std::wstring_view(className) != L"#32770")
        return next;

    static const std::wstring accept = toWide(layout::kAcceptCaption);
    if (renameButton)
        SetDlgItemTextW(box, IDOK, accept.c_str());
    fitCaption(box);
    RECT frame{};
    GetWindowRect(box, &frame);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(box, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    boxHook.reset();
    return next;
}

void showBox(HWND owner, const std::wstring& title, const std::wstring& text, UINT type,
             bool acceptButton)
{
    renameButton = acceptButton;
    boxHook.reset(SetWindowsHookExW(WH_CBT, adjustBox, nullptr, GetCurrentThreadId()));
    MessageBoxW(owner, text.c_str(), title.c_str(), type);
    boxHook.reset();
}

} // namespace

void showInformationBox(HWND owner, const std::wstring& title, const std::wstring& text)
{
    showBox(owner, title, text, MB_OK, true);
}

void showErrorBox(HWND owner, const std::wstring& title, const std::wstring& text)
{
    showBox(owner, title, text, MB_OK | MB_ICONERROR, false);
}

} // namespace tmq::win32
