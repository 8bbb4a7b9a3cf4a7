// Recolouring a picture from a plane of the iteration store, at odd sizes:
// every pixel takes the colour of its index from the tick's colours (whose
// making the cycling maths' tests check), in pieces of rows as the cycling
// tick does, with and without the thumbnail's rows.

#include "colour/cycling.h"
#include "platform/picture.h"
#include "render/iterationstore.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>
#include <algorithm>

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

// How the tick hands out the rows: pieces of so many rows (eight at a time
// and one at a time inside), with or without the thumbnail's rows.
struct Method
{
    int piece;
    bool withSurface;
};

TEST(RecolourPicture, OddSizesMatchTheLiteralLoop)
{
    struct Case
    {
        int width, height;
    };
    const Case cases[] = {{1, 1}, {9, 7}, {129, 17}, {130, 41}};
    const std::int32_t phases[] = {0, 1, 254, std::numeric_limits<std::int32_t>::max()};
    const Method methods[] = {{5, true}, {32, false}, {32, true}};
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
        for (std::int32_t phase : phases)
            for (Method method : methods) {
                SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " phase "
                             + std::to_string(phase) + " pieces of " + std::to_string(method.piece)
                             + (method.withSurface ? " with" : " without") + " thumbnail");
                Picture picture(c.width + 3, c.height + 2);
                // The thumbnail's rows, one pixel wider than the image.
                constexpr std::uint32_t kUntouched = 0x12345678;
                std::vector<std::vector<std::uint32_t>>
                        surface(c.height, std::vector<std::uint32_t>(c.width + 1, kUntouched));
                const CycledColours colours = makeCycledColours(palette, phase);
                std::vector<std::uint8_t *> pictureRows;
                std::vector<std::uint32_t *> surfaceRows;
                for (int y = 0; y < c.height; ++y) {
                    pictureRows.push_back(picture.row(y));
                    surfaceRows.push_back(surface[y].data());
                }
                const auto [piece, withSurface] = method;
                for (int y0 = 0; y0 < c.height; y0 += piece)
                    recolourRows(plane, store.rows(), c.width, y0, std::min(y0 + piece, c.height),
                                 colours, pictureRows.data(),
                                 withSurface ? surfaceRows.data() : nullptr);
                for (int y = 0; y < c.height; ++y)
                    for (int x = 0; x <= c.width; ++x) {
                        std::uint32_t want = kUntouched;
                        if (withSurface && x < c.width) {
                            want = 0xFF000000u | colours[plane[x][y]];
                        }
                        ASSERT_EQ(surface[y][x], want)
                                << "thumbnail pixel (" << x << ", " << y << ")";
                    }
                for (int y = 0; y < picture.height(); ++y) {
                    const std::uint8_t *row = picture.row(y);
                    for (int x = 0; x < picture.width(); ++x) {
                        std::uint8_t want[3] = {255, 255, 255}; // untouched: white
                        if (x < c.width && y < c.height) {
                            const std::uint32_t colour = colours[plane[x][y]];
                            want[0] = colour & 0xFF;
                            want[1] = colour >> 8 & 0xFF;
                            want[2] = colour >> 16 & 0xFF;
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
