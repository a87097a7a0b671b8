#pragma once

#include "win32/Glyphs.h"
#include "win32/Win.h"

#include <functional>
#include <string>

namespace tmq::win32 {

// Paints a part of the window, `size` pixels from `origin` of its client
// area, into `target` through an off-screen bitmap, so that nothing flickers.
// `paint` draws in the window's client coordinates.
void paintBuffered(HDC target, SIZE size, POINT origin, const std::function<void(HDC)>& paint);

// The button-face background under the three panels and their blends, laid
// out at `dpi`.
void paintPanels(HDC dc, const RECT& client, UINT dpi);

// A label's text in `box`, over what is painted there already.
void drawLabel(HDC dc, RECT box, const wchar_t* text, HFONT font, COLORREF ink, UINT format);

// `text` broken into lines at its blanks, each line as long as fits `width`
// pixels in `font`, the lines ended by "\n".
std::wstring wrapped(const std::wstring& text, HFONT font, int width);

// An owner-drawn button: picture and caption side by side, the heavy frame
// and the dotted focus rectangle while it has the focus, at `dpi`.
void drawButton(const DRAWITEMSTRUCT& item, HFONT font, Glyph glyph, UINT dpi);

} // namespace tmq::win32
