#include "colour/palette.h"

#include <algorithm>
#include <cstring>

PaletteTable activePalette{};

void loadPaletteBytes(const unsigned char *data, std::size_t size)
{
    activePalette.fill(1);
    const std::size_t n = std::min(activePalette.size(), size);
    if (n > 0)
        std::memcpy(activePalette.data(), data, n);
}
