// The stored overview picture and the conversions between overview pixels
// and plane points.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "overview/overviewmap.h"

namespace {

constexpr int kW = 329;
constexpr int kH = 321;
constexpr int kRowBytes = 332;
constexpr int kDataOffset = 1078;

class OverviewBmp : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        QFile f(":/overview.bmp");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "overview.bmp is not embedded";
        const QByteArray data = f.readAll();
        bytes_.assign(data.begin(), data.end());
    }

    static std::uint32_t U16(std::size_t at) { return bytes_[at] | (bytes_[at + 1] << 8); }
    static std::uint32_t U32(std::size_t at) { return U16(at) | (U16(at + 2) << 16); }
    static std::int32_t S32(std::size_t at) { return static_cast<std::int32_t>(U32(at)); }

    // Colour-table index of column x, row y counted from the top.
    static int Pixel(int x, int y)
    {
        return bytes_.at(kDataOffset + std::size_t(kH - 1 - y) * kRowBytes + x);
    }

    // Colour-table entry i as (red, green, blue).
    static std::array<int, 3> Colour(int i)
    {
        const std::size_t at = 54 + 4 * std::size_t(i);
        return {bytes_.at(at + 2), bytes_.at(at + 1), bytes_.at(at)};
    }

    static bool IsBlack(int x, int y) { return Colour(Pixel(x, y)) == std::array<int, 3>{0, 0, 0}; }

    // The pixel whose point (re = -2.5 + 4(x+1)/329, im = 2 - 4(y+1)/321) lies
    // nearest to (re, im).
    static std::pair<int, int> NearestPixel(double re, double im)
    {
        int bx = 0, by = 0;
        for (int x = 1; x < kW; ++x)
            if (std::fabs(-2.5 + 4.0 * (x + 1) / kW - re) < std::fabs(-2.5 + 4.0 * (bx + 1) / kW - re))
                bx = x;
        for (int y = 1; y < kH; ++y)
            if (std::fabs(2.0 - 4.0 * (y + 1) / kH - im) < std::fabs(2.0 - 4.0 * (by + 1) / kH - im))
                by = y;
        return {bx, by};
    }

    static std::vector<unsigned char> bytes_;
};

std::vector<unsigned char> OverviewBmp::bytes_;

TEST_F(OverviewBmp, FileHeader)
{
    ASSERT_EQ(bytes_.size(), 107650u);
    EXPECT_EQ(bytes_[0], 'B');
    EXPECT_EQ(bytes_[1], 'M');
    EXPECT_EQ(U32(2), 107650u);
    EXPECT_EQ(U16(6), 0u);
    EXPECT_EQ(U16(8), 0u);
    EXPECT_EQ(U32(10), 1078u);
}

TEST_F(OverviewBmp, InformationHeader)
{
    ASSERT_EQ(bytes_.size(), 107650u);
    EXPECT_EQ(U32(14), 40u);       // header size
    EXPECT_EQ(S32(18), 329);       // width
    EXPECT_EQ(S32(22), 321);       // height, positive: bottom-up
    EXPECT_EQ(U16(26), 1u);        // planes
    EXPECT_EQ(U16(28), 8u);        // bits per pixel
    EXPECT_EQ(U32(30), 0u);        // no compression
    EXPECT_EQ(U32(34), 106572u);   // image size
    EXPECT_EQ(S32(38), 2835);      // pixels per metre
    EXPECT_EQ(S32(42), 2835);
    EXPECT_EQ(U32(46), 256u);      // colours used
    EXPECT_EQ(U32(50), 256u);      // colours important
}

TEST_F(OverviewBmp, ColourTableAndPadding)
{
    ASSERT_EQ(bytes_.size(), 107650u);
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(bytes_[54 + 4 * i + 3], 0) << "colour-table entry " << i;
    for (int row = 0; row < kH; ++row)
        for (int pad = kW; pad < kRowBytes; ++pad)
            EXPECT_EQ(bytes_[kDataOffset + std::size_t(row) * kRowBytes + pad], 0)
                << "stored row " << row << ", byte " << pad;
}

TEST_F(OverviewBmp, MirrorSymmetricAboutTheRealAxis)
{
    ASSERT_EQ(bytes_.size(), 107650u);
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < kW; ++x)
            ASSERT_EQ(Pixel(x, y), Pixel(x, 319 - y)) << "column " << x << ", row " << y;
}

TEST_F(OverviewBmp, SetIsBlackAndFarOutsideIsNot)
{
    ASSERT_EQ(bytes_.size(), 107650u);
    struct Point {
        double re, im;
    };
    // 0 and -0.1 + 0.1i in the main cardioid, -1 in the period-2 disc,
    // -0.12 + 0.74i in the period-3 bulb above.
    for (const Point c : {Point{0, 0}, Point{-1, 0}, Point{-0.1, 0.1}, Point{-0.12, 0.74}}) {
        const auto [x, y] = NearestPixel(c.re, c.im);
        EXPECT_TRUE(IsBlack(x, y)) << "c = " << c.re << " + " << c.im << "i at (" << x << ", " << y << ")";
    }
    // im = 0 lies between rows 159 and 160: both show the set there.
    EXPECT_TRUE(IsBlack(NearestPixel(0, 0).first, 159));
    EXPECT_TRUE(IsBlack(NearestPixel(0, 0).first, 160));
    EXPECT_TRUE(IsBlack(NearestPixel(-1, 0).first, 159));
    EXPECT_TRUE(IsBlack(NearestPixel(-1, 0).first, 160));

    for (const auto &[x, y] : {std::pair{0, 0}, std::pair{328, 0}, std::pair{0, 320},
                               std::pair{328, 320}, std::pair{0, 160}, std::pair{328, 160},
                               std::pair{164, 0}, NearestPixel(1, 0), NearestPixel(-2.3, 0)})
        EXPECT_FALSE(IsBlack(x, y)) << "(" << x << ", " << y << ")";
}

TEST_F(OverviewBmp, OnlyEntriesUpTo74AreUsedOrderedByPixelCount)
{
    ASSERT_EQ(bytes_.size(), 107650u);
    std::array<long, 256> count{};
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ++count[Pixel(x, y)];
    for (int i = 75; i < 256; ++i) {
        EXPECT_EQ(count[i], 0) << "entry " << i;
        EXPECT_EQ(Colour(i), (std::array<int, 3>{0, 0, 0})) << "entry " << i;
    }
    for (int i = 1; i < 75; ++i)
        EXPECT_GE(count[i - 1], count[i]) << "entry " << i;
    // The outermost wide yellow band covers most of the picture.
    EXPECT_EQ(Colour(0), (std::array<int, 3>{222, 222, 0}));
    // Exactly one used entry is black: the one that marks the set.
    int blackEntries = 0;
    for (int i = 0; i < 75; ++i)
        if (count[i] > 0 && Colour(i) == std::array<int, 3>{0, 0, 0})
            ++blackEntries;
    EXPECT_EQ(blackEntries, 1);
}

// ------------------------------------------------------------- frame

TEST(OverviewFrame, StartTargetMarkerCentre)
{
    const PixelPoint p = PlaneToPixel(-1.41, 0.0, kW, kH);  // 89.6525 and 160.5
    EXPECT_EQ(p.x, 90);
    EXPECT_EQ(p.y, 160);
}

TEST(OverviewFrame, HalvesRoundToEven)
{
    // With W = H = 4 the scaled values are exact: x = re + 2.5, y = 2 - im.
    struct Case {
        double re, im;
        std::int64_t x, y;
    };
    const Case cases[] = {
        {-2.0, 1.5, 0, 0},   {-1.0, 0.5, 2, 2},    {0.0, -0.5, 2, 2},   {1.0, -1.5, 4, 4},
        {-3.0, 2.5, 0, 0},   {-4.0, 3.5, -2, -2},  {-5.0, 4.5, -2, -2}, {-1.9, 1.4, 1, 1},
        {-2.1, 1.6, 0, 0},
    };
    for (const Case &c : cases) {
        const PixelPoint p = PlaneToPixel(c.re, c.im, 4, 4);
        EXPECT_EQ(p.x, c.x) << "re " << c.re;
        EXPECT_EQ(p.y, c.y) << "im " << c.im;
    }
}

TEST(OverviewFrame, UsesTheGivenSize)
{
    const PixelPoint p = PlaneToPixel(0.0, 0.0, 400, 200);
    EXPECT_EQ(p.x, 250);
    EXPECT_EQ(p.y, 100);
}

TEST(OverviewFrame, PixelToPlaneMatchesTheEditFieldTexts)
{
    struct Case {
        std::int32_t X, Y;
        double re, im;  // the values written into the edit fields, ten decimals
    };
    const Case cases[] = {
        {90, 160, -1.405775076, 0.0062305296}, {0, 0, -2.5, 2.0},
        {329, 321, 1.5, -2.0},                 {100, 50, -1.2841945289, 1.3769470405},
        {-10, 0, -2.6215805471, 2.0},          {144, 150, -0.7492401216, 0.1308411215},
    };
    for (const Case &c : cases) {
        const ComplexPoint p = PixelToPlane(c.X, c.Y, kW, kH);
        // The texts are rounded to ten decimals: within half a unit of the last.
        EXPECT_NEAR(p.re, c.re, 0.5e-10 + 1e-15) << "(" << c.X << ", " << c.Y << ")";
        EXPECT_NEAR(p.im, c.im, 0.5e-10 + 1e-15) << "(" << c.X << ", " << c.Y << ")";
    }
    // The frame's corners are exact.
    EXPECT_EQ(PixelToPlane(0, 0, kW, kH).re, -2.5);
    EXPECT_EQ(PixelToPlane(0, 0, kW, kH).im, 2.0);
    EXPECT_EQ(PixelToPlane(329, 321, kW, kH).re, 1.5);
    EXPECT_EQ(PixelToPlane(329, 321, kW, kH).im, -2.0);
}

TEST(OverviewFrame, PixelToPlaneThenPlaneToPixelGivesThePixelBack)
{
    for (std::int32_t X = -20; X <= 350; ++X)
        for (std::int32_t Y = -20; Y <= 340; ++Y) {
            const ComplexPoint c = PixelToPlane(X, Y, kW, kH);
            const PixelPoint p = PlaneToPixel(c.re, c.im, kW, kH);
            ASSERT_EQ(p.x, X) << "(" << X << ", " << Y << ")";
            ASSERT_EQ(p.y, Y) << "(" << X << ", " << Y << ")";
        }
}

TEST(OverviewFrame, HugePositionsWrapInsteadOfOverflowing)
{
    // 4 · X is a 32-bit product: 4 · (2^31 - 1) wraps to -4, 4 · -2^31 to 0.
    const ComplexPoint c = PixelToPlane(std::numeric_limits<std::int32_t>::max(),
                                        std::numeric_limits<std::int32_t>::min(), kW, kH);
    EXPECT_DOUBLE_EQ(c.re, -4.0 / 329 - 2.5);
    EXPECT_EQ(c.im, 2.0);
    const ComplexPoint d = PixelToPlane(1 << 29, -(1 << 29), kW, kH);  // ±2^31
    EXPECT_DOUBLE_EQ(d.re, -2147483648.0 / 329 - 2.5);
    EXPECT_DOUBLE_EQ(d.im, 2.0 + 2147483648.0 / 321);
}

TEST(OverviewFrame, FarTargetsClampToTheInt64Range)
{
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        double re, im;
        std::int64_t x, y;
    };
    const Case cases[] = {
        {1e300, -1e300, kMax, kMax}, {-1e300, 1e300, kMin, kMin}, {inf, -inf, kMax, kMax},
        {-inf, inf, kMin, kMin},     {nan, nan, kMin, kMin},
        // Large but in range: exact in extended precision, halves to even.
        {1e15, -3e15, 82250000000000206, 240750000000000160},
        {-1e15, 3e15, -82249999999999794, -240749999999999840},
    };
    for (const Case &c : cases) {
        const PixelPoint p = PlaneToPixel(c.re, c.im, kW, kH);
        EXPECT_EQ(p.x, c.x) << "re " << c.re;
        EXPECT_EQ(p.y, c.y) << "im " << c.im;
    }
}

TEST(OverviewFrame, GrabSquareAroundTheMarker)
{
    const PixelPoint marker{90, 160};
    EXPECT_TRUE(MarkerGrabbed(94, 164, marker));
    EXPECT_TRUE(MarkerGrabbed(86, 156, marker));
    EXPECT_FALSE(MarkerGrabbed(95, 160, marker));
    EXPECT_FALSE(MarkerGrabbed(90, 155, marker));
    for (int dx = -7; dx <= 7; ++dx)
        for (int dy = -7; dy <= 7; ++dy)
            EXPECT_EQ(MarkerGrabbed(90 + dx, 160 + dy, marker), std::abs(dx) <= 4 && std::abs(dy) <= 4)
                << "offset (" << dx << ", " << dy << ")";
}

TEST(OverviewFrame, FarMarkersAreNeverGrabbed)
{
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kMax32 = std::numeric_limits<std::int32_t>::max();
    const std::int64_t far[] = {kMin, kMin + 1, kMax, kMax - 3, std::int64_t{kMin32} - 5,
                                std::int64_t{kMax32} + 5, std::int64_t{1} << 32};
    for (std::int64_t m : far)
        for (std::int32_t p : {kMin32, -1, 0, 1, kMax32}) {
            EXPECT_FALSE(MarkerGrabbed(p, 0, PixelPoint{m, 0})) << m << " " << p;
            EXPECT_FALSE(MarkerGrabbed(0, p, PixelPoint{0, m})) << m << " " << p;
        }
    // At the edges of the pointer range the square still works.
    EXPECT_TRUE(MarkerGrabbed(kMax32, kMin32, PixelPoint{std::int64_t{kMax32} + 4, std::int64_t{kMin32} - 4}));
    EXPECT_FALSE(MarkerGrabbed(kMax32, kMin32, PixelPoint{std::int64_t{kMax32} + 5, std::int64_t{kMin32}}));
}

}  // namespace
