#pragma once

#include "win32/Handles.h"
#include "win32/Win.h"

namespace tmq::win32 {

// The window's three fonts at one dpi: the buttons' dialog font, the
// version's bold one and the headings'.
struct WindowFonts {
    UniqueFont dialog;
    UniqueFont version;
    UniqueFont heading;
};

// The layout's fonts sized for `dpi`. At 100 % the dialog font is the
// bitmap face the layout names; its glyphs exist for that size only, so at
// any other scale an outline face of the same design takes its place, its
// letters as tall against the window as the bitmap face's at 100 %.
WindowFonts makeWindowFonts(UINT dpi);

} // namespace tmq::win32
