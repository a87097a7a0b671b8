#include "win32/WindowFonts.h"

#include "base/WideText.h"
#include "win32/Dpi.h"
#include "window/WindowLayout.h"

#include <string>

namespace tmq::win32 {

namespace {

// The outline version of the dialog font, which Windows has brought since
// Windows 2000; where it is missing, the headings' face.
constexpr wchar_t kScalableDialogFace[] = L"Microsoft Sans Serif";

// At 100 % the dialog font's 8 points give a bitmap face whose character
// cell is 13 pixels high. An outline face takes the same cell, scaled: sized
// by its points instead, its letters come out a sixth smaller than the
// bitmap's, and the captions would shrink against the buttons.
constexpr int kDialogCellHeight = 13;

int CALLBACK noteFound(const LOGFONTW* /*font*/, const TEXTMETRICW* /*metrics*/, DWORD /*type*/,
                       LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(const wchar_t* face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    const WindowDc screen(nullptr);
    EnumFontFamiliesExW(screen.get(), &wanted, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

UniqueFont makeFont(const layout::Font& font, const std::wstring& face, BYTE charset, int height)
{
    return UniqueFont(CreateFontW(height, 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                  FALSE, charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face.c_str()));
}

// The dialog font and the version's: the bitmap face by its points at 100 %
// (a negative height asks for the character height), the outline face by
// its cell elsewhere (a positive height asks for the cell). A system started
// at another scale has bitmaps of other sizes, so there the outline face
// serves at 100 % too.
UniqueFont makeDialogFont(const layout::Font& font, UINT dpi)
{
    if (dpi == kDesignDpi && systemDpi() == kDesignDpi)
        return makeFont(font, toWide(font.family), DEFAULT_CHARSET,
                        -MulDiv(font.pointSize, static_cast<int>(dpi), 72));
    static const std::wstring scalable =
        installed(kScalableDialogFace) ? kScalableDialogFace : toWide(layout::kHeadingFont.family);
    return makeFont(font, scalable, DEFAULT_CHARSET, scaled(kDialogCellHeight, dpi));
}

} // namespace

WindowFonts makeWindowFonts(UINT dpi)
{
    WindowFonts fonts;
    fonts.dialog = makeDialogFont(layout::kDialogFont, dpi);
    fonts.version = makeDialogFont(layout::kVersionFont, dpi);
    // The headings' outline face is given by its character height in pixels.
    fonts.heading = makeFont(layout::kHeadingFont, toWide(layout::kHeadingFont.family),
                             ANSI_CHARSET, -scaled(layout::kHeadingFont.pixelHeight, dpi));
    return fonts;
}

} // namespace tmq::win32
