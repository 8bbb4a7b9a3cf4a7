#pragma once
// The overview's coordinate frame: the 329 x 321 paint box shows the plane
// from re -2.5 (left edge) to 1.5 (right edge) and im 2 (top edge) to -2
// (bottom edge). These conversions are the only link between the overview's
// pixels and plane points. W and H are the paint box's width and height.

#include <cstdint>

#include "render/complexpoint.h"

struct PixelPoint
{
    std::int64_t x;
    std::int64_t y;
};

// Pixel of a plane point: x = round(W (re + 2.5) / 4), y = round((2 - im) H / 4),
// in extended precision in exactly that order, rounded to the nearest integer
// with halves to even (160.5 gives 160, 89.5 gives 90).
// A result beyond the 64-bit range is clamped to INT64_MIN or INT64_MAX; a
// NaN (a target that is not a number) gives INT64_MIN. Such a marker lies far
// outside the box and can never be grabbed.
PixelPoint planeToPixel(double re, double im, int W, int H);

// Plane point of a pixel position: re = (4 X) / W - 2.5, im = 2 - (4 Y) / H.
// 4 X and 4 Y are 32-bit signed products that wrap around on overflow (only
// positions beyond ±2^29 pixels, which no pointer reaches); the division and
// the subtraction are done in extended precision, the results stored as doubles.
ComplexPoint pixelToPlane(std::int32_t X, std::int32_t Y, int W, int H);

// True when a press at (X, Y) grabs the marker centred on `marker`: both
// |X - marker.x| and |Y - marker.y| are below 5 (the 9 x 9 square around it).
// Exact for every marker position, also the clamped extremes.
bool markerGrabbed(std::int32_t X, std::int32_t Y, PixelPoint marker);
