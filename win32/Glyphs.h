#pragma once

#include "win32/Win.h"

namespace tmq::win32 {

// The pictures of the buttons, drawn with their top left corner at `origin`
// in a square of `size` pixels. They are lines and shapes given on the
// layout's glyph square and drawn anew at each size, so they stay sharp at
// every scale. A greyed picture, for a disabled button, keeps only the dark
// parts, in grey over a white shadow.
enum class Glyph { Tick, OpenDoor };

void drawGlyph(HDC dc, Glyph glyph, POINT origin, int size, bool greyed);

} // namespace tmq::win32
