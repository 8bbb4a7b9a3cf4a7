// Recolouring a picture from a plane of the iteration store, at odd sizes,
// against the literal per-pixel loop.

#include "colour/cycling.h"
#include "platform/picture.h"
#include "render/iterationstore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace {

// A palette whose entries all differ, in all three bytes.
PaletteTable distinctPalette()
{
    PaletteTable t{};
    for (int k = 0; k < 256; ++k) {
        t[3 * k] = static_cast<std::uint8_t>(k);
        t[3 * k + 1] = static_cast<std::uint8_t>(k * 7 + 3);
        t[3 * k + 2] = static_cast<std::uint8_t>(255 - k);
    }
    return t;
}

TEST(RecolourPicture, OddSizesMatchTheLiteralLoop)
{
    struct Case
    {
        int width, height;
    };
    const Case cases[] = {{1, 1}, {9, 7}, {129, 17}};
    const std::int32_t phases[] = {0, 1, 254, std::numeric_limits<std::int32_t>::max()};
    const PaletteTable palette = distinctPalette();
    for (const Case &c : cases) {
        // The store two larger in each direction, as the window sizes it; the
        // picture larger still, so that anything written past the size shows.
        IterationStore store;
        store.resize(2, c.width + 2, c.height + 2);
        IterationStore::Plane plane = store[1];
        for (int x = 0; x < store.columns(); ++x)
            for (int y = 0; y < store.rows(); ++y)
                plane[x][y] = static_cast<std::uint8_t>(x * 31 + y * 17 + (x * y) % 5);
        for (std::int32_t phase : phases) {
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " phase "
                         + std::to_string(phase));
            Picture picture(c.width + 3, c.height + 2);
            recolourPicture(plane, store.rows(), c.width, c.height,
                            makeCycledColours(palette, phase), picture);
            for (int y = 0; y < picture.height(); ++y) {
                const std::uint8_t *row = picture.row(y);
                for (int x = 0; x < picture.width(); ++x) {
                    std::uint8_t want[3] = {255, 255, 255}; // untouched: white
                    if (x < c.width && y < c.height) {
                        const int entry = cycledEntry(plane[x][y], phase);
                        want[0] = palette[3 * entry + 2];
                        want[1] = palette[3 * entry + 1];
                        want[2] = palette[3 * entry];
                    }
                    for (int b = 0; b < 3; ++b)
                        ASSERT_EQ(row[3 * x + b], want[b])
                                << "pixel (" << x << ", " << y << ") byte " << b;
                }
            }
        }
    }
}

} // namespace
