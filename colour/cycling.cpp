#include "colour/cycling.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/picture.h"

void recolourPicture(const IterationStore::Plane &plane, int planeRows, int width, int height,
                     const CycledColours &colours, Picture &picture)
{
    width = std::min({width, plane.size(), picture.width()});
    height = std::min({height, planeRows, picture.height()});
    if (width <= 0 || height <= 0)
        return;

    // Each colour as four bytes blue, green, red, 0: a pixel is written with
    // one 32-bit store whose fourth byte lands on the next pixel's blue and
    // is overwritten by it. The last column gets three single bytes, so that
    // nothing beyond it is touched.
    std::uint32_t wide[256];
    for (int index = 0; index < 256; ++index)
        wide[index] = static_cast<std::uint32_t>(colours[3 * index])
                      | static_cast<std::uint32_t>(colours[3 * index + 1]) << 8
                      | static_cast<std::uint32_t>(colours[3 * index + 2]) << 16;
    const int last = width - 1;
    const std::uint8_t *store = plane.data();
    const std::size_t columnStride = static_cast<std::size_t>(planeRows);
    auto putLast = [&](std::uint8_t *row, std::uint8_t index) {
        const std::uint8_t *c = colours.data() + 3 * index;
        row[3 * last] = c[0];
        row[3 * last + 1] = c[1];
        row[3 * last + 2] = c[2];
    };

    // The store runs down the columns and the picture along the rows: take
    // eight rows at a time, the eight indices of a column with one load, and
    // go through the columns in strips so that the rows being written stay
    // in cache.
    static_assert(std::endian::native == std::endian::little);
    constexpr int kStrip = 128;
    constexpr int kBlock = 8;
    const int blocked = height - height % kBlock;
    for (int y0 = 0; y0 < blocked; y0 += kBlock) {
        std::uint8_t *rows[kBlock];
        for (int k = 0; k < kBlock; ++k)
            rows[k] = picture.row(y0 + k);
        for (int x0 = 0; x0 < last; x0 += kStrip) {
            const int x1 = std::min(x0 + kStrip, last);
            for (int x = x0; x < x1; ++x) {
                std::uint64_t eight;
                std::memcpy(&eight, store + x * columnStride + y0, 8);
                for (int k = 0; k < kBlock; ++k)
                    std::memcpy(rows[k] + 3 * x, &wide[(eight >> (8 * k)) & 0xFF], 4);
            }
        }
        for (int k = 0; k < kBlock; ++k)
            putLast(rows[k], store[last * columnStride + y0 + k]);
    }
    for (int y = blocked; y < height; ++y) {
        std::uint8_t *row = picture.row(y);
        for (int x = 0; x < last; ++x)
            std::memcpy(row + 3 * x, &wide[store[x * columnStride + y]], 4);
        putLast(row, store[last * columnStride + y]);
    }
}

CycleTables makeCycleTables(const CycledColours &colours)
{
    CycleTables t;
    for (int index = 0; index < 256; ++index) {
        const std::uint32_t blue = colours[3 * index];
        const std::uint32_t green = colours[3 * index + 1];
        const std::uint32_t red = colours[3 * index + 2];
        t.picture[index] = blue | green << 8 | red << 16;
    }
    return t;
}

namespace {

// A picture colour blue | green << 8 | red << 16 with this is the retained
// image's 0xFFRRGGBB.
constexpr std::uint32_t kOpaque = 0xFF000000u;

// Rows y0 ... y1-1 (a multiple of eight of them) as in recolourPicture, and
// the same colours into the retained rows when WithSurface.
template<bool WithSurface>
void recolourBlocks(const std::uint8_t *store, std::size_t columnStride, int width, int y0, int y1,
                    const CycleTables &tables, std::uint8_t *const *pictureRows,
                    std::uint32_t *const *surfaceRows)
{
    constexpr int kStrip = 128;
    constexpr int kBlock = 8;
    const int last = width - 1;
    for (int y = y0; y < y1; y += kBlock) {
        std::uint8_t *rows[kBlock];
        std::uint32_t *shown[kBlock] = {};
        for (int k = 0; k < kBlock; ++k) {
            rows[k] = pictureRows[y + k];
            if constexpr (WithSurface)
                shown[k] = surfaceRows[y + k];
        }
        for (int x0 = 0; x0 < last; x0 += kStrip) {
            const int x1 = std::min(x0 + kStrip, last);
            for (int x = x0; x < x1; ++x) {
                std::uint64_t eight;
                std::memcpy(&eight, store + x * columnStride + y, 8);
                for (int k = 0; k < kBlock; ++k) {
                    const std::uint32_t colour = tables.picture[(eight >> (8 * k)) & 0xFF];
                    std::memcpy(rows[k] + 3 * x, &colour, 4);
                    if constexpr (WithSurface)
                        shown[k][x] = colour | kOpaque;
                }
            }
        }
        for (int k = 0; k < kBlock; ++k) {
            const unsigned index = store[last * columnStride + y + k];
            std::memcpy(rows[k] + 3 * last, &tables.picture[index], 3);
            if constexpr (WithSurface)
                shown[k][last] = tables.picture[index] | kOpaque;
        }
    }
}

} // namespace

void recolourRows(const IterationStore::Plane &plane, int planeRows, int width, int y0, int y1,
                  const CycleTables &tables, std::uint8_t *const *pictureRows,
                  std::uint32_t *const *surfaceRows)
{
    if (width <= 0 || y1 <= y0)
        return;
    const std::uint8_t *store = plane.data();
    const std::size_t columnStride = static_cast<std::size_t>(planeRows);
    const int last = width - 1;
    // As in recolourPicture: eight rows at a time, the eight indices of a
    // column with one load, columns in strips; the picture's last column
    // with three single bytes so that nothing beyond it is touched.
    const int blocked = y0 + (y1 - y0) / 8 * 8;
    if (surfaceRows)
        recolourBlocks<true>(store, columnStride, width, y0, blocked, tables, pictureRows,
                             surfaceRows);
    else
        recolourBlocks<false>(store, columnStride, width, y0, blocked, tables, pictureRows,
                              surfaceRows);
    for (int y = blocked; y < y1; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned index = store[x * columnStride + y];
            std::memcpy(pictureRows[y] + 3 * x, &tables.picture[index], x < last ? 4 : 3);
            if (surfaceRows)
                surfaceRows[y][x] = tables.picture[index] | kOpaque;
        }
}
