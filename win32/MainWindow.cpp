#include "win32/MainWindow.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "frame/WorkingFolder.h"
#include "win32/FileDialog.h"
#include "win32/Glyphs.h"
#include "win32/MessageBoxes.h"
#include "win32/Text.h"
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

// Space between a button's picture and its caption.
constexpr int kGlyphSpacing = 4;

// Geometry is given at 96 pixels per inch; fonts are sized there too.
constexpr int kDesignDpi = 96;

UniqueFont makeFont(const layout::Font& font, BYTE charset)
{
    const int height =
        font.pointSize != 0 ? -MulDiv(font.pointSize, kDesignDpi, 72) : -font.pixelHeight;
    const std::wstring family = toWide(font.family);
    return UniqueFont(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                  FALSE, charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, family.c_str()));
}

COLORREF colour(const layout::Rgb& rgb)
{
    return RGB(rgb.red, rgb.green, rgb.blue);
}

COLOR16 channel(unsigned char value)
{
    return static_cast<COLOR16>(value << 8);
}

TRIVERTEX vertex(int x, int y, const layout::Rgb& rgb)
{
    return TRIVERTEX{x, y, channel(rgb.red), channel(rgb.green), channel(rgb.blue), 0};
}

// The panel's vertical blend: top colour to centre colour in the upper half,
// centre colour to bottom colour in the lower half.
void fillPanel(HDC dc, const layout::Panel& panel)
{
    const layout::Rect& r = panel.geometry;
    const int middle = r.top + r.height / 2;
    TRIVERTEX corners[] = {
        vertex(r.left, r.top, panel.colours.top),
        vertex(r.left + r.width, middle, panel.colours.centre),
        vertex(r.left, middle, panel.colours.centre),
        vertex(r.left + r.width, r.top + r.height, panel.colours.bottom),
    };
    GRADIENT_RECT halves[] = {{0, 1}, {2, 3}};
    GradientFill(dc, corners, 4, halves, 2, GRADIENT_FILL_RECT_V);
}

// A label's box in the window's client area.
RECT labelBox(const layout::Panel& panel, const layout::Label& label)
{
    const int left = panel.geometry.left + label.geometry.left;
    const int top = panel.geometry.top + label.geometry.top;
    return RECT{left, top, left + label.geometry.width, top + label.geometry.height};
}

void drawLabel(HDC dc, RECT box, const char* text, HFONT font, COLORREF ink, UINT format)
{
    const std::wstring wide = toWide(text);
    const Selection selected(dc, font);
    SetTextColor(dc, ink);
    DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &box, format | DT_NOPREFIX);
}

std::wstring windowText(HWND window)
{
    std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data());
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
    : workingFolder_(std::move(workingFolder)), commands_(std::move(commands)),
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

    // The frame around the fixed client area, centred on the screen.
    RECT frame{0, 0, layout::kClientWidth, layout::kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;

    const std::wstring caption = toWide(layout::kCaption);
    if (CreateWindowExW(kExStyle, kClassName, caption.c_str(), kStyle, left, top, width, height,
                        nullptr, nullptr, instance, this) == nullptr)
        return false;
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
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

BOOL MainWindow::onCreate(HWND window, LPCREATESTRUCT /*create*/)
{
    dialogFont_ = makeFont(layout::kDialogFont, DEFAULT_CHARSET);
    versionFont_ = makeFont(layout::kVersionFont, DEFAULT_CHARSET);
    headingFont_ = makeFont(layout::kHeadingFont, ANSI_CHARSET);

    // A fixed dialog offers only to move and to close the window.
    if (HMENU menu = GetSystemMenu(window, FALSE)) {
        for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE})
            DeleteMenu(menu, command, MF_BYCOMMAND);
    }

    // Created in tab order: the buttons are the only controls that take the
    // focus, and the panels are painted, not windows.
    bClose_ = createButton(window, kCloseId, layout::kDraw3D1, layout::kBClose);
    bExportar_ = createButton(window, kExportarId, layout::kDraw3D2, layout::kBExportar);
    bImportar_ = createButton(window, kImportarId, layout::kDraw3D3, layout::kBImportar);
    focus_ = bClose_;
    return bClose_ != nullptr && bExportar_ != nullptr && bImportar_ != nullptr;
}

HWND MainWindow::createButton(HWND parent, int id, const layout::Panel& panel,
                              const layout::Button& entry)
{
    // The layout places buttons on their panel; the panels are not windows.
    const std::wstring text = toWide(entry.caption);
    const HWND button = CreateWindowExW(
        0, L"BUTTON", text.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW,
        panel.geometry.left + entry.geometry.left, panel.geometry.top + entry.geometry.top,
        entry.geometry.width, entry.geometry.height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
    if (button != nullptr)
        SetWindowFont(button, dialogFont_.get(), FALSE);
    return button;
}

void MainWindow::onDestroy(HWND /*window*/)
{
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

    // Painted off screen and copied in one go, so the panels never flicker.
    const UniqueDc buffer(CreateCompatibleDC(paint.get()));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
    {
        const Selection selected(buffer.get(), bitmap.get());
        paintClientArea(buffer.get(), client);
        BitBlt(paint.get(), 0, 0, client.right, client.bottom, buffer.get(), 0, 0, SRCCOPY);
    }
}

void MainWindow::paintClientArea(HDC dc, const RECT& client)
{
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    // In creation order, so the upper panels cover the bottom one's first row.
    for (const layout::Panel* panel : {&layout::kDraw3D1, &layout::kDraw3D2, &layout::kDraw3D3})
        fillPanel(dc, *panel);

    // Labels are transparent: the blend shows behind the text.
    SetBkMode(dc, TRANSPARENT);
    drawLabel(dc, labelBox(layout::kDraw3D1, layout::kLabel1), layout::kLabel1.text,
              versionFont_.get(), colour(layout::kVersionColour), DT_SINGLELINE | DT_NOCLIP);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    drawLabel(dc, labelBox(layout::kDraw3D2, layout::kLabel3), layout::kLabel3.text,
              headingFont_.get(), text, DT_WORDBREAK);
    drawLabel(dc, labelBox(layout::kDraw3D3, layout::kLabel4), layout::kLabel4.text,
              headingFont_.get(), text, DT_WORDBREAK);
}

void MainWindow::onDrawItem(HWND /*window*/, const DRAWITEMSTRUCT* item)
{
    const HDC dc = item->hDC;
    RECT box = item->rcItem;
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    const bool focused = (item->itemState & ODS_FOCUS) != 0;
    const bool disabled = (item->itemState & ODS_DISABLED) != 0;

    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    // The focused button wears the heavy frame of the default button.
    if (focused) {
        FrameRect(dc, &box, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&box, -1, -1);
    }
    DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0U));

    // Picture and caption side by side, centred together; pressed, they
    // move one pixel down and right.
    const std::wstring caption = windowText(item->hwndItem);
    const Selection selected(dc, dialogFont_.get());
    RECT measured{};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measured,
              DT_SINGLELINE | DT_CALCRECT);
    const int shift = pressed ? 1 : 0;
    const int contentWidth = layout::kGlyphSize + kGlyphSpacing + measured.right;
    const int left = box.left + (box.right - box.left - contentWidth) / 2 + shift;
    const int glyphTop = box.top + (box.bottom - box.top - layout::kGlyphSize) / 2 + shift;
    drawGlyph(dc, item->CtlID == kCloseId ? Glyph::OpenDoor : Glyph::Tick, POINT{left, glyphTop},
              disabled);

    RECT textBox{left + layout::kGlyphSize + kGlyphSpacing, box.top + shift, left + contentWidth,
                 box.bottom + shift};
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        // The classic engraved caption: white shadow under grey text.
        RECT shadow = textBox;
        OffsetRect(&shadow, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &shadow,
                  DT_SINGLELINE | DT_VCENTER);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    }
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &textBox,
              DT_SINGLELINE | DT_VCENTER);

    if (focused) {
        RECT dotted = box;
        InflateRect(&dotted, -3, -3);
        DrawFocusRect(dc, &dotted);
    }
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
    if (busyDepth_ > 0) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return FORWARD_WM_SETCURSOR(window, under, hitTest, mouseMessage, DefWindowProcW);
}

std::optional<std::string> MainWindow::chooseXmlFile()
{
    // Until a file has been chosen the dialog opens in the XML folder;
    // afterwards in the folder of the chosen file.
    const std::wstring folder =
        session_.selectedXmlFile.empty()
            ? xmlDialogFolder(workingFolder_).wstring()
            : pathFromUtf8(session_.selectedXmlFile).parent_path().wstring();
    if (const std::optional<std::wstring> chosen = chooseXmlFileIn(window_, folder))
        return toUtf8(*chosen);
    return std::nullopt;
}

void MainWindow::setBusy(bool busy)
{
    if (busy) {
        ++busyDepth_;
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else if (busyDepth_ > 0 && --busyDepth_ == 0) {
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
}

void MainWindow::clearBusyPointer()
{
    while (busyDepth_ > 0)
        setBusy(false);
}

void MainWindow::showMessage(const std::string& text)
{
    showInformationBox(window_, applicationTitle_, toWide(text));
}

void MainWindow::showError(const std::string& message)
{
    showErrorBox(window_, applicationTitle_, toWide(errorReportText(message)));
}

void MainWindow::execute(const Commands::Run& command)
{
    if (!command)
        return;
    try {
        command(*this, session_, workingFolder_);
    } catch (const std::exception& error) {
        // The command restores the pointer itself; this only makes sure no
        // busy pointer is left over the error report.
        clearBusyPointer();
        showError(userText(error));
    }
    clearBusyPointer();
}

void MainWindow::BExportarClick()
{
    execute(commands_.exportCommand);
}

void MainWindow::BImportarClick()
{
    execute(commands_.importCommand);
}

void MainWindow::BCloseClick()
{
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

} // namespace tmq::win32
