// The image geometry: factor clamps, iteration limits, pixel steps and the
// corner, against an oracle in GNU MPFR that shares no code with the program.

#include "extended/extended.h"
#include "render/geometry.h"
#include "tests/support/mpfr_oracle.h"
#include "tests/support/random_factor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

namespace {

// An image to compute: its size, factor and target.
struct ImageCase
{
    int w, h;
    double factor, re, im;
};

struct FactorCase
{
    double factor;
    double clamped;
    int limit;
};

TEST(FactorClamp, ClampAndLimit)
{
    const FactorCase cases[] = {
            {10, 10, 200},
            {100, 100, 500},
            {1000, 1000, 5000},
            {10000, 10000, 5000},
            {1e8, 1e8, 5000},
            {0, 1.0, 200},
            {0.1, 0.1, 200},
            {0.09, 1.0, 200},
            {-0.09, 1.0, 200},
            {1e9, 1e8, 5000},
            {-10, -10, 200},
            {-1e9, -1e9, 200},
            {40.0, 40.0, 200},
            {40.1, 40.1, 201},    // the double 40.1 is slightly above:
                                  // 200.5000000000000071
            {40.5, 40.5, 202},    // exactly 202.5: halves to even
            {40.7, 40.7, 204},    // 203.5000000000000142
            {41.5, 41.5, 208},    // exactly 207.5: to even
            {999.9, 999.9, 4999}, // 4999.4999999999998863
            {999.95, 999.95, 5000},
            {1000.1, 1000.1, 5000},
            {-1000, -1000, 200},
    };
    for (const FactorCase &c : cases) {
        SCOPED_TRACE("factor " + std::to_string(c.factor));
        const double clamped = zoom::clampFactor(c.factor);
        EXPECT_EQ(clamped, c.clamped);
        EXPECT_EQ(zoom::iterationLimit(clamped), c.limit);
        EXPECT_EQ(clamped, mpfroracle::clampFactor(c.factor));
        EXPECT_EQ(zoom::iterationLimit(clamped), mpfroracle::iterationLimit(clamped));
        EXPECT_EQ(mpfroracle::geometry(380, 250, c.factor, 0, 0).limit, c.limit);
    }
}

TEST(FactorClamp, ClampBoundaryInExtendedPrecision)
{
    // The largest double below 0.1 is below the bound; 0.1 itself is not.
    const double below = std::nextafter(0.1, 0.0);
    EXPECT_EQ(zoom::clampFactor(below), 1.0);
    EXPECT_EQ(zoom::clampFactor(-below), 1.0);
    EXPECT_EQ(zoom::clampFactor(0.1), 0.1);
    EXPECT_EQ(zoom::clampFactor(-0.1), -0.1);
    EXPECT_EQ(zoom::clampFactor(std::nextafter(1e8, 2e8)), 1e8);
    EXPECT_EQ(zoom::clampFactor(std::numeric_limits<double>::infinity()), 1e8);
}

TEST(Geometry, DefaultThumbnail)
{
    const zoom::Geometry g = zoom::makeGeometry(380, 250, 10.0, -1.41, 0.0);
    const mpfroracle::Geometry o = mpfroracle::geometry(380, 250, 10.0, -1.41, 0.0);
    EXPECT_EQ(g.w, 380);
    EXPECT_EQ(g.h, 250);
    EXPECT_EQ(g.limit, 200);
    EXPECT_EQ(g.factor, 10.0);
    EXPECT_EQ(g.aspect, o.aspect);
    EXPECT_EQ(g.dx, o.dx);
    EXPECT_EQ(g.dy, o.dy);
    EXPECT_EQ(g.left, o.left);
    EXPECT_EQ(g.top, o.top);

    EXPECT_NEAR(g.dx, 4.0 / 3800, 1e-12);
    EXPECT_NEAR(g.dy, 4.0 / 3800, 1e-12);
    EXPECT_NEAR(g.left, -1.61, 1e-12);
    EXPECT_NEAR(g.top, 0.131579, 1e-6);
    // The top-left pixel samples one step inside both edges.
    const double x = static_cast<double>(Extended(g.left) + Extended(g.dx));
    const double y = static_cast<double>(Extended(g.top) - Extended(g.dy));
    EXPECT_NEAR(x, -1.608947, 1e-6);
    EXPECT_NEAR(y, 0.130526, 1e-6);
}

TEST(Geometry, MatchesOracleAcrossFactorsAndSizes)
{
    const ImageCase cases[] = {
            {380, 250, 1000000, -0.7492401216, 0.1308411215},
            {381, 251, 0.1, 0.3, -0.2},
            {200, 300, -10, -1.41, 0.0},
            {1, 1, 1e8, 0.25, 0.0},
            {97, 13, 3.7, -2.0, 1.0},
    };
    for (const ImageCase &c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " factor "
                     + std::to_string(c.factor));
        const zoom::Geometry g = zoom::makeGeometry(c.w, c.h, c.factor, c.re, c.im);
        const mpfroracle::Geometry o = mpfroracle::geometry(c.w, c.h, c.factor, c.re, c.im);
        EXPECT_EQ(g.limit, o.limit);
        EXPECT_EQ(g.aspect, o.aspect);
        EXPECT_EQ(g.dx, o.dx);
        EXPECT_EQ(g.dy, o.dy);
        EXPECT_EQ(g.left, o.left);
        EXPECT_EQ(g.top, o.top);
    }
}

TEST(Geometry, NegativeFactorReversesBothAxes)
{
    const zoom::Geometry g = zoom::makeGeometry(380, 250, -10.0, -1.41, 0.0);
    EXPECT_LT(g.dx, 0.0);
    EXPECT_LT(g.dy, 0.0);
    EXPECT_NEAR(g.left, -1.21, 1e-12);
    EXPECT_NEAR(g.top, -0.131579, 1e-6);
    EXPECT_EQ(g.limit, 200);
}

TEST(Geometry, MatchesOracleOnRandomImages)
{
    std::mt19937_64 random(20260102);
    std::uniform_real_distribution<double> coordinate(-2.5, 2.5);
    std::uniform_int_distribution<int> size(1, 2000);
    for (int i = 0; i < 20000; ++i) {
        const int w = size(random), h = size(random);
        const double factor = randomFactor(random);
        const double re = coordinate(random), im = coordinate(random);
        const double clamped = zoom::clampFactor(factor);
        const zoom::Geometry g = zoom::makeGeometry(w, h, clamped, re, im);
        const mpfroracle::Geometry o = mpfroracle::geometry(w, h, factor, re, im);
        ASSERT_EQ(clamped, o.factor) << "case " << i;
        ASSERT_EQ(g.limit, o.limit) << "case " << i;
        ASSERT_EQ(g.aspect, o.aspect) << "case " << i;
        ASSERT_EQ(g.dx, o.dx) << "case " << i;
        ASSERT_EQ(g.dy, o.dy) << "case " << i;
        ASSERT_EQ(g.left, o.left) << "case " << i;
        ASSERT_EQ(g.top, o.top) << "case " << i;
    }
}

} // namespace
