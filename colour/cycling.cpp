#include "colour/cycling.h"

#include <algorithm>

#include "platform/picture.h"

std::int32_t NextCyclePhase(std::int32_t phase)
{
    const auto next = static_cast<std::int32_t>(static_cast<std::uint32_t>(phase) + 1u);
    return next < 0 ? 255 : next;
}

int CycledEntry(int index, std::int32_t phase)
{
    if (index == 0)
        return 0;
    const std::int64_t sum = static_cast<std::int64_t>(index) + phase;
    std::int64_t rest = sum % 255;
    if (rest < 0)
        rest += 255;
    return static_cast<int>(rest) + 1;
}

CycledColours MakeCycledColours(const PaletteTable &palette, std::int32_t phase)
{
    CycledColours colours{};
    for (int index = 0; index < 256; ++index) {
        const int entry = CycledEntry(index, phase);
        colours[3 * index] = palette[3 * entry + 2];
        colours[3 * index + 1] = palette[3 * entry + 1];
        colours[3 * index + 2] = palette[3 * entry];
    }
    return colours;
}

void RecolourPicture(const IterationStore::Plane &plane, int planeRows, int width, int height,
                     const CycledColours &colours, Picture &picture)
{
    width = std::min({width, plane.size(), picture.width()});
    height = std::min({height, planeRows, picture.height()});
    if (width <= 0 || height <= 0)
        return;
    // The store runs down the columns and the picture along the rows: go
    // through the picture in strips of columns so that both stay in cache.
    constexpr int kStrip = 32;
    for (int x0 = 0; x0 < width; x0 += kStrip) {
        const int x1 = std::min(x0 + kStrip, width);
        for (int y = 0; y < height; ++y) {
            std::uint8_t *row = picture.row(y);
            for (int x = x0; x < x1; ++x) {
                const std::uint8_t *c = colours.data() + 3 * plane[x][y];
                std::uint8_t *p = row + 3 * x;
                p[0] = c[0];
                p[1] = c[1];
                p[2] = c[2];
            }
        }
    }
}
