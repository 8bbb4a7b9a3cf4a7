#pragma once
// A palette for the colour tests.

#include "colour/palette.h"

// A table whose 256 entries all differ (the red byte is the entry number),
// so that every wrong entry shows as a wrong colour.
inline PaletteTable distinctPalette()
{
    PaletteTable t{};
    for (int k = 0; k < 256; ++k) {
        t[3 * k] = static_cast<std::uint8_t>(k);
        t[3 * k + 1] = static_cast<std::uint8_t>(k * 7);
        t[3 * k + 2] = static_cast<std::uint8_t>(255 - k);
    }
    return t;
}
