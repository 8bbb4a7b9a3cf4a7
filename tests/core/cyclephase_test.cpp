// The cycling maths: the entry of a colour index at a phase, the next phase,
// the cycled colours of a palette.

#include "colour/cyclephase.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "tests/support/distinct_palette.h"

namespace {

constexpr std::int32_t kMaxPhase = std::numeric_limits<std::int32_t>::max();

TEST(CycledEntry, MapsIndexAndPhaseToAnEntry)
{
    const struct
    {
        int index;
        std::int32_t phase;
        int entry;
    } cases[] = {
            // the first tick after a layout
            {1, 1, 3},
            {253, 1, 255},
            {254, 1, 1},
            {255, 1, 2},
            {0, 1, 0},
            {100, 1, 102},
            // phase 0: one place on
            {1, 0, 2},
            {254, 0, 255},
            {255, 0, 1},
            // the run's own colours come back at 254, 509, 764
            {1, 254, 1},
            {128, 254, 128},
            {255, 254, 255},
            {77, 509, 77},
            {200, 764, 200},
            // index 0 keeps entry 0 at every phase
            {0, 0, 0},
            {0, 254, 0},
            {0, 255, 0},
            {0, kMaxPhase, 0},
            // the top of the phase range: 2147483647 = 127 (mod 255)
            {255, kMaxPhase, 128},
            {1, kMaxPhase, 129},
            {127, kMaxPhase, 255},
            {128, kMaxPhase, 1},
            {200, kMaxPhase - 100, 228},
    };
    for (const auto &c : cases)
        EXPECT_EQ(cycledEntry(c.index, c.phase), c.entry)
                << "index " << c.index << " phase " << c.phase;
}

TEST(CycledEntry, EveryTickMovesOnePlaceThroughEntriesOneTo255)
{
    std::vector<std::pair<std::int32_t, std::int32_t>> ranges = {{0, 600},
                                                                 {kMaxPhase - 600, kMaxPhase - 1}};
    for (auto [from, to] : ranges)
        for (std::int32_t p = from; p <= to; ++p)
            for (int index = 1; index <= 255; ++index) {
                const int now = cycledEntry(index, p);
                ASSERT_GE(now, 1) << index << " " << p;
                ASSERT_LE(now, 255) << index << " " << p;
                ASSERT_EQ(cycledEntry(index, p + 1), now % 255 + 1) << index << " " << p;
            }
}

TEST(NextCyclePhase, CountsUpAndWrapsTo255)
{
    const struct
    {
        std::int32_t from, to;
    } cases[] = {
            {0, 1}, {1, 2}, {253, 254}, {254, 255}, {kMaxPhase - 1, kMaxPhase}, {kMaxPhase, 255},
    };
    for (const auto &c : cases)
        EXPECT_EQ(nextCyclePhase(c.from), c.to) << c.from;
}

TEST(MakeCycledColours, GivesBlueGreenRedOfTheCycledEntry)
{
    // distinctPalette(): entry e is red e, green 7e mod 256, blue 255 - e.
    const struct
    {
        int index;
        std::int32_t phase;
        std::uint8_t blue, green, red;
    } cases[] = {
            {0, 0, 255, 0, 0},          {0, kMaxPhase, 255, 0, 0},    {1, 0, 253, 14, 2},
            {1, 1, 252, 21, 3},         {253, 1, 0, 249, 255},        {254, 1, 254, 7, 1},
            {128, 254, 127, 128, 128},  {1, 1000, 18, 123, 237},     {127, kMaxPhase, 0, 249, 255},
            {255, kMaxPhase, 127, 128, 128},
    };
    const PaletteTable t = distinctPalette();
    for (const auto &c : cases) {
        const CycledColours colours = makeCycledColours(t, c.phase);
        EXPECT_EQ(colours[c.index], c.blue | c.green << 8 | c.red << 16)
                << c.index << " " << c.phase;
    }
}

// A picture's pixel is the first three bytes of pictureBytes in memory: blue,
// green, red on every processor (run big-endian by the s390x pass).
TEST(MakeCycledColours, PictureBytesLieBlueGreenRedInMemory)
{
    const PaletteTable t = distinctPalette();
    for (int entry : {0, 1, 2, 128, 255}) {
        const std::uint32_t word = pictureBytes(pictureColour(t, entry));
        std::uint8_t bytes[4];
        std::memcpy(bytes, &word, 4);
        const std::uint8_t *rgb = t.data() + 3 * entry;
        EXPECT_EQ(bytes[0], rgb[2]) << entry;
        EXPECT_EQ(bytes[1], rgb[1]) << entry;
        EXPECT_EQ(bytes[2], rgb[0]) << entry;
        EXPECT_EQ(bytes[3], 0) << entry;
    }
}

} // namespace
