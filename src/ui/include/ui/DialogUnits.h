// Dialog units, the unit in which dialog templates are laid out.
//
// One horizontal unit is a quarter of the dialog font's average character
// width, one vertical unit an eighth of its character height. Rectangles are
// converted edge by edge (as a dialog manager maps a template rectangle), so
// controls that touch in the template touch on the screen, without gaps or
// overlaps from rounding.
//
// A dialog that does not fit the screen is drawn smaller: `scale` (in
// thousandths) shrinks the units and the dialog font alike, so the layout
// keeps its proportions. At 1000 the mapping is exactly the one above.
#pragma once

#include <cstdint>

//! The dialog font's average character width and height, in pixels, and the
//! scale the dialog is drawn at.
struct DialogBaseUnits {
    int cx = 0;
    int cy = 0;
    int scale = kFullScale;   //!< thousandths: 1000 as laid out

    static constexpr int kFullScale = 1000;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};

//! a * b / c rounded to the nearest integer, halves away from zero; 0 for c == 0.
constexpr int MulDivRound(int a, int b, int c)
{
    if (c == 0)
        return 0;
    const int64_t product = int64_t{a} * b;
    const int64_t half = (c < 0 ? -int64_t{c} : int64_t{c}) / 2;
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude = ((product < 0 ? -product : product) + half) / (c < 0 ? -int64_t{c} : int64_t{c});
    return static_cast<int>(negative ? -magnitude : magnitude);
}

//! Average character width from the width of the 52 letters A-Z a-z, rounded.
constexpr int AverageCharWidth(int alphabetWidth)
{
    return (alphabetWidth + 26) / 52;
}

constexpr int DialogUnitsToPixelsX(int units, DialogBaseUnits base)
{
    return MulDivRound(units, base.cx * base.scale, 4 * DialogBaseUnits::kFullScale);
}

constexpr int DialogUnitsToPixelsY(int units, DialogBaseUnits base)
{
    return MulDivRound(units, base.cy * base.scale, 8 * DialogBaseUnits::kFullScale);
}

constexpr PixelRect MapDialogRect(int x, int y, int w, int h, DialogBaseUnits base)
{
    const int left = DialogUnitsToPixelsX(x, base);
    const int top = DialogUnitsToPixelsY(y, base);
    return {left, top, DialogUnitsToPixelsX(x + w, base) - left, DialogUnitsToPixelsY(y + h, base) - top};
}
