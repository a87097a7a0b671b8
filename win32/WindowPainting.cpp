#include "win32/WindowPainting.h"

#include "win32/Dpi.h"
#include "win32/Handles.h"
#include "window/WindowLayout.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tmq::win32 {

namespace {

// Space between a button's picture and its caption.
constexpr int kGlyphSpacing = 4;
// How far the focus rectangle lies inside the button's edge.
constexpr int kFocusInset = 3;

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
void fillPanel(HDC dc, const layout::Panel& panel, UINT dpi)
{
    const RECT r = scaled(panel.geometry, dpi);
    const int middle = r.top + (r.bottom - r.top) / 2;
    TRIVERTEX corners[] = {
        vertex(r.left, r.top, panel.colours.top),
        vertex(r.right, middle, panel.colours.centre),
        vertex(r.left, middle, panel.colours.centre),
        vertex(r.right, r.bottom, panel.colours.bottom),
    };
    GRADIENT_RECT halves[] = {{0, 1}, {2, 3}};
    GradientFill(dc, corners, 4, halves, 2, GRADIENT_FILL_RECT_V);
}

std::wstring windowText(HWND window)
{
    std::vector<wchar_t> text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data());
}

} // namespace

void paintBuffered(HDC target, SIZE size, POINT origin, const std::function<void(HDC)>& paint)
{
    const UniqueDc buffer(CreateCompatibleDC(target));
    const UniqueBitmap bitmap(CreateCompatibleBitmap(target, size.cx, size.cy));
    const Selection selected(buffer.get(), bitmap.get());
    SetViewportOrgEx(buffer.get(), -origin.x, -origin.y, nullptr);
    paint(buffer.get());
    SetViewportOrgEx(buffer.get(), 0, 0, nullptr);
    BitBlt(target, 0, 0, size.cx, size.cy, buffer.get(), 0, 0, SRCCOPY);
}

void paintPanels(HDC dc, const RECT& client, UINT dpi)
{
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    // In creation order, so the upper panels cover the bottom one's first row.
    for (const layout::Panel* panel : {&layout::kDraw3D1, &layout::kDraw3D2, &layout::kDraw3D3})
        fillPanel(dc, *panel, dpi);
}

void drawLabel(HDC dc, RECT box, const wchar_t* text, HFONT font, COLORREF ink, UINT format)
{
    const Selection selected(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, ink);
    DrawTextW(dc, text, -1, &box, format | DT_NOPREFIX);
}

std::wstring wrapped(const std::wstring& text, HFONT font, int width)
{
    const WindowDc dc(nullptr);
    const Selection selected(dc.get(), font);
    const auto fits = [&](const std::wstring& line) {
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), line.c_str(), static_cast<int>(line.size()), &extent);
        return extent.cx <= width;
    };
    std::wstring lines;
    std::wstring line;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find(L' ', start), text.size());
        const std::wstring word = text.substr(start, end - start);
        start = end + 1;
        if (word.empty())
            continue;
        // A word too long for any line keeps a line of its own.
        if (!line.empty() && !fits(line + L' ' + word)) {
            lines += line + L'\n';
            line.clear();
        }
        line += line.empty() ? word : L' ' + word;
    }
    return lines + line;
}

void drawButton(const DRAWITEMSTRUCT& item, HFONT font, Glyph glyph, UINT dpi)
{
    const HDC dc = item.hDC;
    RECT box = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool focused = (item.itemState & ODS_FOCUS) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    // One pixel at 100 %, the lines and steps of the face grow with the scale.
    const int pixel = std::max(1, scaled(1, dpi));

    FillRect(dc, &box, GetSysColorBrush(COLOR_BTNFACE));
    // The focused button wears the heavy frame of the default button.
    if (focused) {
        for (int ring = 0; ring < pixel; ++ring) {
            FrameRect(dc, &box, GetSysColorBrush(COLOR_WINDOWFRAME));
            InflateRect(&box, -1, -1);
        }
    }
    DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0U));

    // Picture and caption side by side, centred together; pressed, they
    // move one step down and right.
    const std::wstring caption = windowText(item.hwndItem);
    const Selection selected(dc, font);
    RECT measured{};
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &measured,
              DT_SINGLELINE | DT_CALCRECT);
    const int glyphSize = scaled(layout::kGlyphSize, dpi);
    const int spacing = scaled(kGlyphSpacing, dpi);
    const int shift = pressed ? pixel : 0;
    const int contentWidth = glyphSize + spacing + measured.right;
    const int left = box.left + (box.right - box.left - contentWidth) / 2 + shift;
    const int glyphTop = box.top + (box.bottom - box.top - glyphSize) / 2 + shift;
    drawGlyph(dc, glyph, POINT{left, glyphTop}, glyphSize, disabled);

    RECT textBox{left + glyphSize + spacing, box.top + shift, left + contentWidth,
                 box.bottom + shift};
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        // The classic engraved caption: white shadow under grey text.
        RECT shadow = textBox;
        OffsetRect(&shadow, pixel, pixel);
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
        const int inset = scaled(kFocusInset, dpi);
        InflateRect(&dotted, -inset, -inset);
        DrawFocusRect(dc, &dotted);
    }
}

} // namespace tmq::win32
