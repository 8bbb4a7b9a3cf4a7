// The overview's coordinate frame: plane points to pixels and back, and the
// marker's grab square.

#include "overview/overviewmap.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// The overview paint box.
constexpr int kW = 329;
constexpr int kH = 321;

TEST(OverviewFrame, StartTargetMarkerCentre)
{
    const PixelPoint p = planeToPixel(-1.41, 0.0, kW, kH); // 89.6525 and 160.5
    EXPECT_EQ(p.x, 90);
    EXPECT_EQ(p.y, 160);
}

TEST(OverviewFrame, HalvesRoundToEven)
{
    // With W = H = 4 the scaled values are exact: x = re + 2.5, y = 2 - im.
    struct Case
    {
        double re, im;
        std::int64_t x, y;
    };
    const Case cases[] = {
            {-2.0, 1.5, 0, 0},   {-1.0, 0.5, 2, 2}, {0.0, -0.5, 2, 2},
            {1.0, -1.5, 4, 4},   {-3.0, 2.5, 0, 0}, {-4.0, 3.5, -2, -2},
            {-5.0, 4.5, -2, -2}, {-1.9, 1.4, 1, 1}, {-2.1, 1.6, 0, 0},
    };
    for (const Case &c : cases) {
        const PixelPoint p = planeToPixel(c.re, c.im, 4, 4);
        EXPECT_EQ(p.x, c.x) << "re " << c.re;
        EXPECT_EQ(p.y, c.y) << "im " << c.im;
    }
}

TEST(OverviewFrame, UsesTheGivenSize)
{
    const PixelPoint p = planeToPixel(0.0, 0.0, 400, 200);
    EXPECT_EQ(p.x, 250);
    EXPECT_EQ(p.y, 100);
}

TEST(OverviewFrame, PixelToPlaneMatchesTheEditFieldTexts)
{
    struct Case
    {
        std::int32_t X, Y;
        double re, im; // the values written into the edit fields, ten decimals
    };
    const Case cases[] = {
            {90, 160, -1.405775076, 0.0062305296},
            {0, 0, -2.5, 2.0},
            {329, 321, 1.5, -2.0},
            {100, 50, -1.2841945289, 1.3769470405},
            {-10, 0, -2.6215805471, 2.0},
            {144, 150, -0.7492401216, 0.1308411215},
    };
    for (const Case &c : cases) {
        const ComplexPoint p = pixelToPlane(c.X, c.Y, kW, kH);
        // The texts are rounded to ten decimals: within half a unit of the last.
        EXPECT_NEAR(p.re, c.re, 0.5e-10 + 1e-15) << "(" << c.X << ", " << c.Y << ")";
        EXPECT_NEAR(p.im, c.im, 0.5e-10 + 1e-15) << "(" << c.X << ", " << c.Y << ")";
    }
    // The frame's corners are exact.
    EXPECT_EQ(pixelToPlane(0, 0, kW, kH).re, -2.5);
    EXPECT_EQ(pixelToPlane(0, 0, kW, kH).im, 2.0);
    EXPECT_EQ(pixelToPlane(329, 321, kW, kH).re, 1.5);
    EXPECT_EQ(pixelToPlane(329, 321, kW, kH).im, -2.0);
}

TEST(OverviewFrame, PixelToPlaneThenPlaneToPixelGivesThePixelBack)
{
    for (std::int32_t X = -20; X <= 350; ++X)
        for (std::int32_t Y = -20; Y <= 340; ++Y) {
            const ComplexPoint c = pixelToPlane(X, Y, kW, kH);
            const PixelPoint p = planeToPixel(c.re, c.im, kW, kH);
            ASSERT_EQ(p.x, X) << "(" << X << ", " << Y << ")";
            ASSERT_EQ(p.y, Y) << "(" << X << ", " << Y << ")";
        }
}

TEST(OverviewFrame, HugePositionsWrapInsteadOfOverflowing)
{
    // 4 · X is a 32-bit product: 4 · (2^31 - 1) wraps to -4, 4 · -2^31 to 0.
    const ComplexPoint c = pixelToPlane(std::numeric_limits<std::int32_t>::max(),
                                        std::numeric_limits<std::int32_t>::min(), kW, kH);
    EXPECT_DOUBLE_EQ(c.re, -4.0 / 329 - 2.5);
    EXPECT_EQ(c.im, 2.0);
    const ComplexPoint d = pixelToPlane(1 << 29, -(1 << 29), kW, kH); // ±2^31
    EXPECT_DOUBLE_EQ(d.re, -2147483648.0 / 329 - 2.5);
    EXPECT_DOUBLE_EQ(d.im, 2.0 + 2147483648.0 / 321);
}

TEST(OverviewFrame, FarTargetsClampToTheInt64Range)
{
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case
    {
        double re, im;
        std::int64_t x, y;
    };
    const Case cases[] = {
            {1e300, -1e300, kMax, kMax},
            {-1e300, 1e300, kMin, kMin},
            {inf, -inf, kMax, kMax},
            {-inf, inf, kMin, kMin},
            {nan, nan, kMin, kMin},
            // Large but in range: exact in extended precision, halves to even.
            {1e15, -3e15, 82250000000000206, 240750000000000160},
            {-1e15, 3e15, -82249999999999794, -240749999999999840},
    };
    for (const Case &c : cases) {
        const PixelPoint p = planeToPixel(c.re, c.im, kW, kH);
        EXPECT_EQ(p.x, c.x) << "re " << c.re;
        EXPECT_EQ(p.y, c.y) << "im " << c.im;
    }
}

TEST(OverviewFrame, GrabSquareAroundTheMarker)
{
    const PixelPoint marker{90, 160};
    EXPECT_TRUE(markerGrabbed(94, 164, marker));
    EXPECT_TRUE(markerGrabbed(86, 156, marker));
    EXPECT_FALSE(markerGrabbed(95, 160, marker));
    EXPECT_FALSE(markerGrabbed(90, 155, marker));
    for (int dx = -7; dx <= 7; ++dx)
        for (int dy = -7; dy <= 7; ++dy)
            EXPECT_EQ(markerGrabbed(90 + dx, 160 + dy, marker), std::abs(dx) <= 4 && std::abs(dy) <= 4)
                    << "offset (" << dx << ", " << dy << ")";
}

TEST(OverviewFrame, FarMarkersAreNeverGrabbed)
{
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
    const std::int64_t far[] = {kMin,
                                kMin + 1,
                                kMax,
                                kMax - 3,
                                std::int64_t{kMin32} - 5,
                                std::int64_t{kMax32} + 5,
                                std::int64_t{1} << 32};
    for (std::int64_t m : far)
        for (std::int32_t p : {kMin32, -1, 0, 1, kMax32}) {
            EXPECT_FALSE(markerGrabbed(p, 0, PixelPoint{m, 0})) << m << " " << p;
            EXPECT_FALSE(markerGrabbed(0, p, PixelPoint{0, m})) << m << " " << p;
        }
    // At the edges of the pointer range the square still works.
    EXPECT_TRUE(markerGrabbed(kMax32, kMin32,
                              PixelPoint{std::int64_t{kMax32} + 4, std::int64_t{kMin32} - 4}));
    EXPECT_FALSE(markerGrabbed(kMax32, kMin32,
                               PixelPoint{std::int64_t{kMax32} + 5, std::int64_t{kMin32}}));
}

} // namespace
