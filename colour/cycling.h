#pragma once
// Colour cycling: the palette shifted by a phase, and the recolouring of a
// picture from a plane of the iteration store. No widgets in here.

#include <array>
#include <cstdint>

#include "colour/cyclephase.h"
#include "render/iterationstore.h"

class Picture;

// Writes columns 0 ... width-1 of rows 0 ... height-1 of `picture` from the
// plane's indices through `colours`; the size is limited to what both hold.
void recolourPicture(const IterationStore::Plane &plane, int planeRows, int width, int height,
                     const CycledColours &colours, Picture &picture);

// The colours of one tick as four bytes blue, green, red, 0: one 32-bit
// store a pixel of a 24-bit picture (the fourth byte is overwritten by the
// next pixel), and with the top byte set the thumbnails' 0xFFRRGGBB.
struct CycleTables
{
    std::uint32_t picture[256];
};
CycleTables makeCycleTables(const CycledColours &colours);

// Rows y0 ... y1-1, columns 0 ... width-1 of one image from the plane's
// indices, written into its picture rows (three bytes a pixel) and, where
// surfaceRows is not null, into the thumbnail's retained rows in one pass.
// Rows of different calls may be written on different threads at once.
void recolourRows(const IterationStore::Plane &plane, int planeRows, int width, int y0, int y1,
                  const CycleTables &tables, std::uint8_t *const *pictureRows,
                  std::uint32_t *const *surfaceRows);
