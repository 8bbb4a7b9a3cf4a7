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
