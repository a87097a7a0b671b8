#pragma once

#include "win32/Win.h"

namespace tmq::win32 {

// The pictures of the buttons, drawn with their top left corner at `origin`
// in a square of the shared glyph size. A greyed picture, for a disabled
// button, keeps only the dark parts, in grey over a white shadow.
enum class Glyph { Tick, OpenDoor };

void drawGlyph(HDC dc, Glyph glyph, POINT origin, bool greyed);

} // namespace tmq::win32
