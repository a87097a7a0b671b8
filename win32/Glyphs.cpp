#include "win32/Glyphs.h"

#include "win32/Handles.h"
#include "window/WindowLayout.h"

#include <algorithm>

namespace tmq::win32 {

namespace {

// How the parts of a picture are coloured: in their own colours, or all in
// one colour with the light parts left out.
struct Ink {
    bool single = false;
    COLORREF colour = 0;

    // The colour of a part, or nothing when the greyed picture leaves it out.
    bool pick(COLORREF own, bool dark, COLORREF& chosen) const
    {
        if (!single) {
            chosen = own;
            return true;
        }
        chosen = colour;
        return dark;
    }
};

// Where the picture goes: its top left corner and the side of its square.
struct Place {
    POINT origin;
    int size;

    // A length given on the layout's glyph square, at this size.
    int length(int designed) const { return MulDiv(designed, size, layout::kGlyphSize); }
    // A line keeps at least one pixel, however small the picture.
    DWORD width(int designed) const { return static_cast<DWORD>(std::max(1, length(designed))); }
    POINT point(POINT designed) const
    {
        return POINT{origin.x + length(designed.x), origin.y + length(designed.y)};
    }
};

UniquePen roundPen(COLORREF colour, DWORD width)
{
    const LOGBRUSH brush{BS_SOLID, colour, 0};
    return UniquePen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_ROUND | PS_JOIN_ROUND, width,
                                  &brush, 0, nullptr));
}

void polyline(HDC dc, const Place& place, const POINT* points, int count, COLORREF colour,
              int width)
{
    POINT moved[8];
    for (int i = 0; i < count; ++i)
        moved[i] = place.point(points[i]);
    const UniquePen pen = roundPen(colour, place.width(width));
    const Selection selected(dc, pen.get());
    Polyline(dc, moved, count);
}

void polygon(HDC dc, const Place& place, const POINT* points, int count, COLORREF edge,
             COLORREF fill)
{
    POINT moved[8];
    for (int i = 0; i < count; ++i)
        moved[i] = place.point(points[i]);
    const UniquePen pen(CreatePen(PS_SOLID, static_cast<int>(place.width(1)), edge));
    const UniqueBrush brush(CreateSolidBrush(fill));
    const Selection selectedPen(dc, pen.get());
    const Selection selectedBrush(dc, brush.get());
    Polygon(dc, moved, count);
}

void drawTick(HDC dc, const Place& place, const Ink& ink)
{
    // A dark rim under a lighter stroke gives the tick some depth.
    const POINT tick[] = {{3, 9}, {7, 13}, {15, 4}};
    COLORREF colour = 0;
    if (ink.pick(RGB(0x00, 0x60, 0x00), true, colour))
        polyline(dc, place, tick, 3, colour, 4);
    if (ink.pick(RGB(0x00, 0xB0, 0x00), true, colour))
        polyline(dc, place, tick, 3, colour, 2);
}

void drawOpenDoor(HDC dc, const Place& place, const Ink& ink)
{
    COLORREF colour = 0;
    COLORREF fill = 0;
    // The doorway: a frame around the dark opening.
    if (ink.pick(RGB(0x40, 0x20, 0x00), true, colour) &&
        ink.pick(RGB(0x10, 0x10, 0x10), true, fill)) {
        const POINT doorway[] = {{7, 1}, {16, 1}, {16, 16}, {7, 16}};
        polygon(dc, place, doorway, 4, colour, fill);
    }
    // The floor in front of the door.
    if (ink.pick(RGB(0x70, 0x70, 0x70), true, colour)) {
        const POINT floor[] = {{1, 17}, {16, 17}};
        polyline(dc, place, floor, 2, colour, 1);
    }
    // The leaf, hinged on the left side of the doorway and swung towards the
    // viewer, so it looks narrower and taller at its free edge. Its light
    // face drops out of the greyed picture, its outline stays.
    const POINT leaf[] = {{7, 1}, {2, 3}, {2, 17}, {7, 16}};
    if (!ink.single) {
        polygon(dc, place, leaf, 4, RGB(0x60, 0x30, 0x00), RGB(0xC0, 0x80, 0x30));
        // The knob near the free edge.
        const POINT knob[] = {{4, 10}, {4, 10}};
        polyline(dc, place, knob, 2, RGB(0xF0, 0xD0, 0x00), 2);
    } else {
        const POINT outline[] = {{7, 1}, {2, 3}, {2, 17}, {7, 16}, {7, 1}};
        polyline(dc, place, outline, 5, ink.colour, 1);
    }
}

void drawIn(HDC dc, Glyph glyph, const Place& place, const Ink& ink)
{
    if (glyph == Glyph::Tick)
        drawTick(dc, place, ink);
    else
        drawOpenDoor(dc, place, ink);
}

} // namespace

void drawGlyph(HDC dc, Glyph glyph, POINT origin, int size, bool greyed)
{
    const Place place{origin, size};
    if (!greyed) {
        drawIn(dc, glyph, place, Ink{});
        return;
    }
    const int shadow = static_cast<int>(place.width(1));
    drawIn(dc, glyph, Place{POINT{origin.x + shadow, origin.y + shadow}, size},
           Ink{true, RGB(0xFF, 0xFF, 0xFF)});
    drawIn(dc, glyph, place, Ink{true, RGB(0x80, 0x80, 0x80)});
}

} // namespace tmq::win32
