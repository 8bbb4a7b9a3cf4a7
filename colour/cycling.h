#pragma once
// Colour cycling: the palette shifted by a phase, and the recolouring of a
// picture from a plane of the iteration store. No widgets in here.

#include <array>
#include <cstdint>

#include "colour/palette.h"
#include "render/iterationstore.h"

class Picture;

// The phase after `phase`: one more, and 255 when the addition passes the
// top of the 32-bit range.
std::int32_t NextCyclePhase(std::int32_t phase);

// The palette entry that shows colour index `index` at `phase`: 0 for index 0,
// else ((index + phase) mod 255) + 1, the sum formed in 64 bits.
int CycledEntry(int index, std::int32_t phase);

// For every colour index, its colour at `phase` as the three bytes blue,
// green, red that a picture row takes.
using CycledColours = std::array<std::uint8_t, 768>;
CycledColours MakeCycledColours(const PaletteTable &palette, std::int32_t phase);

// Writes columns 0 ... width-1 of rows 0 ... height-1 of `picture` from the
// plane's indices through `colours`; the size is limited to what both hold.
void RecolourPicture(const IterationStore::Plane &plane, int planeRows, int width, int height,
                     const CycledColours &colours, Picture &picture);
