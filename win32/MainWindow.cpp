#include "win32/MainWindow.h"

#include "base/WideText.h"
#include "win32/Dpi.h"
#include "win32/FileDialog.h"
#include "win32/Glyphs.h"
#include "win32/Handles.h"
#include "win32/MessageBoxes.h"
#include "win32/WindowPainting.h"
#include "window/AppTitle.h"
#include "window/WindowLayout.h"

#include <windowsx.h>

#include <exception>
#include <utility>
#include <vector>

namespace tmq::win32 {

namespace {

constexpr wchar_t kClassName[] = L"TMForm";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

// Control identifiers; none is IDOK or IDCANCEL, so that Escape, which the
// dialog keys turn into IDCANCEL, presses no button.
constexpr int kCloseId = 101;
constexpr int kExportarId = 102;
constexpr int kImportarId = 103;
constexpr int kLabel1Id = 104;
constexpr int kLabel3Id = 105;
constexpr int kLabel4Id = 106;

COLORREF colour(const layout::Rgb& rgb)
{
    return RGB(rgb.red, rgb.green, rgb.blue);
}

// A box given on a panel, in the window's client area at 100 %.
layout::Rect onWindow(const layout::Panel& panel, const layout::Rect& box)
{
    return layout::Rect{panel.geometry.left + box.left, panel.geometry.top + box.top, box.width,
                        box.height};
}

// A control of the window, placed when the window is laid out.
HWND createChild(HWND parent, int id, const wchar_t* className, const char* text, DWORD style)
{
    return CreateWindowExW(0, className, toWide(text).c_str(), style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                           nullptr);
}

void place(HWND control, const RECT& box)
{
    SetWindowPos(control, nullptr, box.left, box.top, box.right - box.left, box.bottom - box.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

std::wstring executablePath()
{
    std::vector<wchar_t> path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size())
            return std::wstring(path.data(), length);
        path.resize(path.size() * 2);
    }
}

BOOL CALLBACK loadFirstIcon(HMODULE module, LPCWSTR /*type*/, LPWSTR name, LONG_PTR icon)
{
    *reinterpret_cast<HICON*>(icon) = LoadIconW(module, name);
    return FALSE;
}

// The program's own icon, when its resources hold one; the system's
// default otherwise.
HICON programIcon(HINSTANCE instance)
{
    HICON icon = nullptr;
    EnumResourceNamesW(instance, RT_GROUP_ICON, loadFirstIcon, reinterpret_cast<LONG_PTR>(&icon));
    return icon;
}

} // namespace

MainWindow::MainWindow(std::filesystem::path workingFolder, Commands commands)
    : CommandWindow(std::move(workingFolder), std::move(commands)),
      applicationTitle_(toWide(applicationTitle(toUtf8(executablePath()))))
{
}

MainWindow::~MainWindow() = default;

bool MainWindow::create(HINSTANCE instance, int showCommand)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &MainWindow::windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = programIcon(instance);
    windowClass.lpszClassName = kClassName;
    if (RegisterClassExW(&windowClass) == 0)
        return false;

    // The frame around the fixed client area at the scale of the primary
    // monitor, centred on the screen.
    const UINT dpi = dpiOfMonitor(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY));
    const SIZE frame =
        frameSize(SIZE{scaled(layout::kClientWidth, dpi), scaled(layout::kClientHeight, dpi)},
                  kStyle, kExStyle, dpi);
    const int left = (GetSystemMetrics(SM_CXSCREEN) - frame.cx) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - frame.cy) / 2;

    const std::wstring caption = toWide(layout::kCaption);
    if (CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, left, top, frame.cx,
                        frame.cy, nullptr, nullptr, instance, this) == nullptr)
        return false;
    // The window took the scale of the monitor it lies on, which may not be
    // the one its size was reckoned for.
    fitClientArea(true);
    ShowWindow(window_, showCommand);
    UpdateWindow(window_);
    return true;
}

LRESULT CALLBACK MainWindow::windowProcedure(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* self = static_cast<MainWindow*>(create->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(window, message, wParam, lParam);
    return self->dispatch(window, message, wParam, lParam);
}

LRESULT MainWindow::dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        HANDLE_MSG(window, WM_CREATE, onCreate);
        HANDLE_MSG(window, WM_DESTROY, onDestroy);
        HANDLE_MSG(window, WM_PAINT, onPaint);
        HANDLE_MSG(window, WM_ERASEBKGND, onEraseBackground);
        HANDLE_MSG(window, WM_ACTIVATE, onActivate);
        HANDLE_MSG(window, WM_COMMAND, onCommand);
        HANDLE_MSG(window, WM_DRAWITEM, onDrawItem);
        HANDLE_MSG(window, WM_SETCURSOR, onSetCursor);
    case DM_GETDEFID:
        return onGetDefaultId(window);
    case WM_DPICHANGED:
        // Both words give the new dpi; lParam points to the rectangle that
        // Windows suggests for the window at that scale.
        if (lParam != 0)
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

BOOL MainWindow::onCreate(HWND window, LPCREATESTRUCT /*create*/)
{
    // A fixed dialog offers only to move and to close the window.
    if (HMENU menu = GetSystemMenu(window, FALSE)) {
        for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE})
            DeleteMenu(menu, command, MF_BYCOMMAND);
    }

    // Each label comes before the button below it, so that a screen reader
    // going through the window meets the heading first. The buttons are the
    // only controls that take the focus, in the order they are created;
    // the panels are painted, not windows.
    label1_.handle = createLabel(kLabel1Id, layout::kLabel1);
    bClose_ = createButton(kCloseId, layout::kBClose);
    label3_.handle = createLabel(kLabel3Id, layout::kLabel3);
    bExportar_ = createButton(kExportarId, layout::kBExportar);
    label4_.handle = createLabel(kLabel4Id, layout::kLabel4);
    bImportar_ = createButton(kImportarId, layout::kBImportar);
    focus_ = bClose_;
    for (HWND control :
         {bClose_, bExportar_, bImportar_, label1_.handle, label3_.handle, label4_.handle}) {
        if (control == nullptr)
            return FALSE;
    }

    accessibleNotes_.markAsDialog(window);
    for (const auto& [button, entry] :
         {std::pair{bExportar_, &layout::kBExportar}, std::pair{bImportar_, &layout::kBImportar}})
        accessibleNotes_.describe(button, toWide(entry->description));
    layOut(dpiOfWindow(window));
    return TRUE;
}

HWND MainWindow::createButton(int id, const layout::Button& entry)
{
    return createChild(window_, id, L"BUTTON", entry.caption,
                       WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW);
}

HWND MainWindow::createLabel(int id, const layout::Label& entry)
{
    // Drawn by the window, transparent over the panels' blends; its text is
    // what screen readers read. No "&" in it marks a mnemonic.
    return createChild(window_, id, L"STATIC", entry.text,
                       WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX);
}

void MainWindow::layOut(UINT dpi)
{
    dpi_ = dpi;
    WindowFonts fonts = makeWindowFonts(dpi);

    // The layout places buttons and labels on their panels; the panels are
    // not windows, so the controls are placed in the window's client area.
    const std::pair<HWND, layout::Rect> buttons[] = {
        {bClose_, onWindow(layout::kDraw3D1, layout::kBClose.geometry)},
        {bExportar_, onWindow(layout::kDraw3D2, layout::kBExportar.geometry)},
        {bImportar_, onWindow(layout::kDraw3D3, layout::kBImportar.geometry)},
    };
    for (const auto& [button, box] : buttons) {
        place(button, scaled(box, dpi));
        SetWindowFont(button, fonts.dialog.get(), FALSE);
    }
    label1_.font = fonts.version.get();
    label3_.font = fonts.heading.get();
    label4_.font = fonts.heading.get();
    for (const LabelControl* label : {&label1_, &label3_, &label4_})
        SetWindowFont(label->handle, label->font, FALSE);
    // The controls use the new fonts before the old ones are deleted.
    fonts_ = std::move(fonts);

    layOutVersion();
    const WindowFonts design = makeWindowFonts(kDesignDpi);
    layOutHeading(label3_, layout::kDraw3D2, layout::kLabel3, design.heading.get());
    layOutHeading(label4_, layout::kDraw3D3, layout::kLabel4, design.heading.get());
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void MainWindow::layOutVersion()
{
    // One line in red, its box sized to the text.
    label1_.text = toWide(layout::kLabel1.text);
    label1_.ink = colour(layout::kVersionColour);
    label1_.format = DT_SINGLELINE | DT_NOCLIP;
    RECT extent{};
    {
        const WindowDc dc(window_);
        const Selection selected(dc.get(), label1_.font);
        DrawTextW(dc.get(), label1_.text.c_str(), -1, &extent,
                  DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    }
    const RECT corner = scaled(onWindow(layout::kDraw3D1, layout::kLabel1.geometry), dpi_);
    label1_.textBox =
        RECT{corner.left, corner.top, corner.left + extent.right, corner.top + extent.bottom};
    place(label1_.handle, label1_.textBox);
}

void MainWindow::layOutHeading(LabelControl& heading, const layout::Panel& panel,
                               const layout::Label& entry, HFONT designFont)
{
    // Outline faces do not grow exactly in proportion from one size to
    // another, so a heading that just fits its line at 100 % may not at
    // another scale: the headings keep the lines they have at 100 %, and
    // their controls reach to the panel's right edge, room for a line a
    // little longer than the box.
    heading.text = wrapped(toWide(entry.text), designFont, entry.geometry.width);
    heading.format = DT_NOCLIP;
    heading.textBox = scaled(onWindow(panel, entry.geometry), dpi_);
    RECT control = heading.textBox;
    control.right = scaled(panel.geometry.left + panel.geometry.width, dpi_);
    place(heading.handle, control);
}

void MainWindow::fitClientArea(bool keepCentre)
{
    RECT client{};
    GetClientRect(window_, &client);
    const int wider = scaled(layout::kClientWidth, dpi_) - client.right;
    const int higher = scaled(layout::kClientHeight, dpi_) - client.bottom;
    if (wider == 0 && higher == 0)
        return;
    RECT frame{};
    GetWindowRect(window_, &frame);
    const int left = keepCentre ? frame.left - wider / 2 : frame.left;
    const int top = keepCentre ? frame.top - higher / 2 : frame.top;
    SetWindowPos(window_, nullptr, left, top, frame.right - frame.left + wider,
                 frame.bottom - frame.top + higher, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::onDpiChanged(UINT dpi, const RECT& suggested)
{
    if (dpi == 0)
        return;
    layOut(dpi);
    // Windows suggests a place and a size for the new scale; the client
    // area must still be exactly the layout's, frame or no frame.
    SetWindowPos(window_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    fitClientArea(false);
}

void MainWindow::onDestroy(HWND /*window*/)
{
    accessibleNotes_.clear();
    PostQuitMessage(0);
}

BOOL MainWindow::onEraseBackground(HWND /*window*/, HDC /*dc*/)
{
    // The whole client area is painted in onPaint.
    return TRUE;
}

void MainWindow::onPaint(HWND window)
{
    const PaintDc paint(window);
    RECT client{};
    GetClientRect(window, &client);
    paintBuffered(paint.get(), SIZE{client.right, client.bottom}, POINT{0, 0},
                  [&](HDC dc) { paintPanels(dc, client, dpi_); });
}

void MainWindow::drawLabelControl(const DRAWITEMSTRUCT& item)
{
    const LabelControl* label = &label1_;
    if (item.hwndItem == label3_.handle)
        label = &label3_;
    else if (item.hwndItem == label4_.handle)
        label = &label4_;

    // The label paints the panels' blend behind its text itself, exactly as
    // the window paints it around the label.
    RECT control = item.rcItem;
    MapWindowPoints(item.hwndItem, window_, reinterpret_cast<POINT*>(&control), 2);
    RECT client{};
    GetClientRect(window_, &client);
    paintBuffered(item.hDC, SIZE{control.right - control.left, control.bottom - control.top},
                  POINT{control.left, control.top}, [&](HDC dc) {
                      paintPanels(dc, client, dpi_);
                      const COLORREF ink =
                          label->ink == CLR_INVALID ? GetSysColor(COLOR_WINDOWTEXT) : label->ink;
                      drawLabel(dc, label->textBox, label->text.c_str(), label->font, ink,
                                label->format);
                  });
}

void MainWindow::onDrawItem(HWND /*window*/, const DRAWITEMSTRUCT* item)
{
    if (item->CtlType == ODT_STATIC)
        drawLabelControl(*item);
    else
        drawButton(*item, fonts_.dialog.get(),
                   item->CtlID == kCloseId ? Glyph::OpenDoor : Glyph::Tick, dpi_);
}

void MainWindow::onActivate(HWND /*window*/, UINT state, HWND /*other*/, BOOL /*minimised*/)
{
    // The focus returns to the control that had it, BClose the first time.
    if (state == WA_INACTIVE) {
        const HWND focused = GetFocus();
        if (focused != nullptr && IsChild(window_, focused))
            focus_ = focused;
    } else if (focus_ != nullptr) {
        SetFocus(focus_);
    }
}

LRESULT MainWindow::onGetDefaultId(HWND /*window*/)
{
    // Enter presses the focused button.
    const HWND focused = GetFocus();
    if (focused == bClose_ || focused == bExportar_ || focused == bImportar_)
        return MAKELRESULT(GetDlgCtrlID(focused), DC_HASDEFID);
    return 0;
}

void MainWindow::onCommand(HWND /*window*/, int id, HWND /*control*/, UINT code)
{
    if (code != BN_CLICKED)
        return;
    switch (id) {
    case kCloseId:
        BCloseClick();
        break;
    case kExportarId:
        BExportarClick();
        break;
    case kImportarId:
        BImportarClick();
        break;
    default:
        break;
    }
}

BOOL MainWindow::onSetCursor(HWND window, HWND under, UINT hitTest, UINT mouseMessage)
{
    if (busy()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return FORWARD_WM_SETCURSOR(window, under, hitTest, mouseMessage, DefWindowProcW);
}

std::optional<std::string> MainWindow::chooseXmlFile()
{
    if (const std::optional<std::wstring> chosen =
            chooseXmlFileIn(window_, dialogFolder().wstring()))
        return toUtf8(*chosen);
    return std::nullopt;
}

void MainWindow::showBusyPointer(bool busy)
{
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void MainWindow::showMessage(const std::string& text)
{
    showInformationBox(window_, applicationTitle_, toWide(text));
}

void MainWindow::showError(const std::string& report)
{
    showErrorBox(window_, applicationTitle_, toWide(report));
}

void MainWindow::BExportarClick()
{
    runExport();
}

void MainWindow::BImportarClick()
{
    runImport();
}

void MainWindow::BCloseClick()
{
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

} // namespace tmq::win32
