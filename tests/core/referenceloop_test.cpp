// The escape-time loop written out literally, the definition every image of
// the row engine is held to, against an oracle in GNU MPFR that shares no
// code with the program: single points, whole images, the steps it counts.

#include "extended/extended.h"
#include "render/engine.h"
#include "tests/support/referenceloop.h"
#include "tests/support/mpfr_oracle.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

struct ImageCase
{
    int w, h;
    double factor, re, im;
};

std::uint8_t oracleIndex(double x, double y, int limit)
{
    return static_cast<std::uint8_t>(mpfroracle::escapeSteps(x, y, limit) % 256);
}

struct PointCase
{
    const char *name;
    double x, y;
    int limit;
    int index; // -1: only compared with the oracle
};

TEST(ReferenceLoop, KnownPoints)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const PointCase cases[] = {
            {"0", 0.0, 0.0, 200, 0},
            {"i", 0.0, 1.0, 200, 0},
            {"i at 5000", 0.0, 1.0, 5000, 0},
            {"0.5", 0.5, 0.0, 200, 4},
            {"1", 1.0, 0.0, 200, 1},
            {"-2 (reaches |z|^2 = 4 exactly)", -2.0, 0.0, 200, 1},
            {"-1.75 (period-3 window)", -1.75, 0.0, 5000, 0},
            {"0.26", 0.26, 0.0, 5000, -1},
            {"-0.75 + 0.1i", -0.75, 0.1, 5000, -1},
            {"large |c|", 30.0, -20.0, 200, 1},
            {"limit 1: stops before the first step", 1.0, 0.0, 1, 0},
            {"limit 2: one step", 1.0, 0.0, 2, 1},
            {"limit 4: 0.5 needs a fourth step", 0.5, 0.0, 4, 0},
            {"limit 5", 0.5, 0.0, 5, 4},
            {"NaN real part", nan, 0.0, 200, 0},
            {"NaN imaginary part", 0.0, nan, 200, 0},
    };
    for (const PointCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(zoom::escapeIndex(c.x, c.y, c.limit), oracleIndex(c.x, c.y, c.limit));
        if (c.index >= 0) {
            EXPECT_EQ(zoom::escapeIndex(c.x, c.y, c.limit), c.index);
        }
    }
}

// Points just outside the cusp at 0.25, where the escape time grows without
// bound toward it: the literal loop counts 256 and 300 steps as the oracle
// does (the row engine's test takes the same points).
TEST(ReferenceLoop, EscapeAfter256StepsGetsIndexZero)
{
    const double after256 = 0x1.0026bb69e8196p-2, after300 = 0x1.001c486344f58p-2;
    ASSERT_EQ(mpfroracle::escapeSteps(after256, 0.0, 5000), 256);
    ASSERT_EQ(mpfroracle::escapeSteps(after300, 0.0, 5000), 300);
    EXPECT_EQ(zoom::escapeIndex(after256, 0.0, 5000), 0);
    EXPECT_EQ(zoom::escapeIndex(after256, 0.0, 257), 0); // the last step allowed
    EXPECT_EQ(zoom::escapeIndex(after256, 0.0, 256), 0); // stopped before it
    EXPECT_EQ(zoom::escapeIndex(after300, 0.0, 5000), 300 - 256);
    EXPECT_EQ(zoom::escapeIndex(after300, 0.0, 300), 0);
    EXPECT_EQ(zoom::escapeIndex(after300, 0.0, 301), 300 - 256);
}

TEST(ReferenceLoop, PlainMatchesOracle)
{
    const ImageCase cases[] = {
            {120, 80, 10, -1.41, 0.0},
            {64, 40, 0.1, 0.0, 0.0},
            {50, 50, -10, -0.5, 0.3},
            {33, 17, 1.0, -0.75, 0.0},
    };
    for (const ImageCase &c : cases) {
        SCOPED_TRACE("factor " + std::to_string(c.factor));
        const zoom::Geometry g = zoom::makeGeometry(c.w, c.h, zoom::clampFactor(c.factor), c.re,
                                                    c.im);
        std::vector<std::uint8_t> got(static_cast<std::size_t>(c.w) * c.h, 77);
        zoom::renderPlain(g, got.data());
        const std::vector<std::uint8_t> want = mpfroracle::image(c.w, c.h, c.factor, c.re, c.im);
        EXPECT_EQ(std::mismatch(got.begin(), got.end(), want.begin()).first - got.begin(),
                  static_cast<std::ptrdiff_t>(got.size()))
                << "first pixel that differs";
    }
}

// The steps the benchmark counts: k for an escape on step k, limit - 1 for a
// point that reaches the limit.
TEST(ReferenceLoop, PlainStepsCountTheOracleSteps)
{
    const ImageCase cases[] = {{60, 40, 100, 0.5, 0.5}, {60, 40, 1, -1.41, 0.0}, {60, 40, 10, -0.2, 0.0}};
    for (const ImageCase &c : cases) {
        SCOPED_TRACE(c.re);
        const zoom::Geometry g = zoom::makeGeometry(c.w, c.h, zoom::clampFactor(c.factor), c.re, c.im);
        std::uint64_t oracle = 0;
        double y = g.top;
        for (int r = 0; r < c.h; ++r) {
            y = static_cast<double>(Extended(y) - Extended(g.dy));
            double x = g.left;
            for (int j = 0; j < c.w; ++j) {
                x = static_cast<double>(Extended(x) + Extended(g.dx));
                const int k = mpfroracle::escapeSteps(x, y, g.limit);
                oracle += static_cast<std::uint64_t>(k != 0 ? k : g.limit - 1);
            }
        }
        EXPECT_EQ(zoom::plainSteps(g), oracle);
    }
}

} // namespace
