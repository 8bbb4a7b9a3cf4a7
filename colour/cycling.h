#pragma once
// Colour cycling: the recolouring of a picture from a plane of the iteration
// store. No widgets in here.

#include <cstdint>

#include "colour/cyclephase.h"
#include "render/iterationstore.h"

// Rows y0 ... y1-1, columns 0 ... width-1 of one image from the plane's
// indices through `colours`, written into its picture rows (three bytes a
// pixel) and, where surfaceRows is not null, into the thumbnail's retained
// rows (0xFFRRGGBB) in the same pass. Nothing beyond the last column is
// touched. Rows of different calls may be written on different threads at
// once.
void recolourRows(const IterationStore::Plane &plane, int planeRows, int width, int y0, int y1,
                  const CycledColours &colours, std::uint8_t *const *pictureRows,
                  std::uint32_t *const *surfaceRows);
