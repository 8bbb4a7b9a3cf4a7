#include "colour/cycling.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

namespace {

// A picture colour with this is the retained image's 0xFFRRGGBB.
constexpr std::uint32_t kOpaque = 0xFF000000u;

// Rows y ... y+Rows-1. The store runs down the columns and the picture along
// the rows: the Rows indices of a column come with one load, and the columns
// go in strips so that the rows being written stay in cache. A pixel is one
// 32-bit store whose fourth byte lands on the next pixel's blue and is
// overwritten by it; the last column gets three bytes.
template<int Rows, bool WithSurface>
void recolourBlock(const std::uint8_t *store, std::size_t columnStride, int width, int y,
                   const CycledColours &colours, std::uint8_t *const *pictureRows,
                   std::uint32_t *const *surfaceRows)
{
    const auto column = [&](int x, auto pixelBytes) {
        std::uint64_t indices = 0;
        std::memcpy(&indices, store + x * columnStride + y, Rows);
        for (int k = 0; k < Rows; ++k) {
            // Index k is the k-th byte of the load in memory order.
            const int shift = std::endian::native == std::endian::little ? 8 * k : 8 * (7 - k);
            const std::uint32_t colour = colours[(indices >> shift) & 0xFF];
            const std::uint32_t bytes = pictureBytes(colour);
            std::memcpy(pictureRows[y + k] + 3 * x, &bytes, pixelBytes);
            if constexpr (WithSurface)
                surfaceRows[y + k][x] = colour | kOpaque;
        }
    };
    constexpr int kStrip = 128;
    const int last = width - 1;
    for (int x0 = 0; x0 < last; x0 += kStrip) {
        const int x1 = std::min(x0 + kStrip, last);
        for (int x = x0; x < x1; ++x)
            column(x, std::integral_constant<std::size_t, 4>());
    }
    column(last, std::integral_constant<std::size_t, 3>());
}

template<int Rows>
void recolourBlock(const std::uint8_t *store, std::size_t columnStride, int width, int y,
                   const CycledColours &colours, std::uint8_t *const *pictureRows,
                   std::uint32_t *const *surfaceRows)
{
    if (surfaceRows)
        recolourBlock<Rows, true>(store, columnStride, width, y, colours, pictureRows, surfaceRows);
    else
        recolourBlock<Rows, false>(store, columnStride, width, y, colours, pictureRows, nullptr);
}

} // namespace

void recolourRows(const IterationStore::Plane &plane, int planeRows, int width, int y0, int y1,
                  const CycledColours &colours, std::uint8_t *const *pictureRows,
                  std::uint32_t *const *surfaceRows)
{
    if (width <= 0)
        return;
    const std::uint8_t *store = plane.data();
    const auto columnStride = static_cast<std::size_t>(planeRows);
    // Eight rows at a time, then the rest one by one (a load of eight there
    // could reach past the plane).
    int y = y0;
    for (; y + 8 <= y1; y += 8)
        recolourBlock<8>(store, columnStride, width, y, colours, pictureRows, surfaceRows);
    for (; y < y1; ++y)
        recolourBlock<1>(store, columnStride, width, y, colours, pictureRows, surfaceRows);
}
