#pragma once
// The plane point under a press on a thumbnail.

#include <cstdint>

#include "render/complexpoint.h"

// The point under pixel (X, Y) of a w x h thumbnail that shows the region of
// the (unclamped) factor around `target`.
ComplexPoint recentrePoint(ComplexPoint target, double factor, int w, int h, std::int32_t X,
                           std::int32_t Y);
