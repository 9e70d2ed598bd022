#pragma once
// Positions inside frames and pages are designed in twips (1440 per inch); the window measures in
// pixels. At the design resolution 15 twips make one pixel.

#include <QRect>
#include <cmath>

namespace tavik {

constexpr int TwipsPerPixel = 15;

constexpr int twipsToPixels(int twips)
{
    // Round to the nearest pixel, halves away from zero, so that a designed edge lands where
    // the design puts it rather than always a pixel short.
    return twips >= 0 ? (twips + TwipsPerPixel / 2) / TwipsPerPixel : -((-twips + TwipsPerPixel / 2) / TwipsPerPixel);
}

// A rectangle given as left, top, width, height in twips.
inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

} // namespace tavik
