#pragma once
// The cycling maths: the palette entry of a colour index at a phase, and the
// next phase. No Qt in here.

#include <array>
#include <cstdint>

#include "colour/palette.h"

// The phase after `phase`: one more, and 255 when the addition passes the
// top of the 32-bit range.
std::int32_t nextCyclePhase(std::int32_t phase);

// The palette entry that shows colour index `index` at `phase`: 0 for index 0,
// else ((index + phase) mod 255) + 1, the sum formed in 64 bits.
int cycledEntry(int index, std::int32_t phase);

// For every colour index, its colour at `phase` as a picture's pixel
// (pictureColour).
using CycledColours = std::array<std::uint32_t, 256>;
CycledColours makeCycledColours(const PaletteTable &palette, std::int32_t phase);
