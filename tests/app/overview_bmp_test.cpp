// The stored overview picture and the conversions between overview pixels
// and plane points.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>

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

class OverviewBmp : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        QFile f(":/overview.bmp");
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << "overview.bmp is not embedded";
        const QByteArray data = f.readAll();
        bytes_.assign(data.begin(), data.end());
        image_ = QImage::fromData(data, "BMP");
    }

    // The little-endian field of `size` bytes at `at`.
    static std::uint32_t field(std::size_t at, int size)
    {
        std::uint32_t v = 0;
        for (int i = size - 1; i >= 0; --i)
            v = v << 8 | bytes_.at(at + i);
        return v;
    }

    // Colour-table index of column x, row y counted from the top.
    static int pixel(int x, int y) { return image_.pixelIndex(x, y); }

    // Colour-table entry i as (red, green, blue).
    static std::array<int, 3> colour(int i)
    {
        const QRgb c = image_.color(i);
        return {qRed(c), qGreen(c), qBlue(c)};
    }

    static bool isBlack(int x, int y) { return colour(pixel(x, y)) == std::array<int, 3>{0, 0, 0}; }

    // The pixel whose point (re = -2.5 + 4(x+1)/329, im = 2 - 4(y+1)/321) lies
    // nearest to (re, im).
    static std::pair<int, int> nearestPixel(double re, double im)
    {
        int bx = 0, by = 0;
        for (int x = 1; x < kW; ++x)
            if (std::fabs(-2.5 + 4.0 * (x + 1) / kW - re)
                < std::fabs(-2.5 + 4.0 * (bx + 1) / kW - re))
                bx = x;
        for (int y = 1; y < kH; ++y)
            if (std::fabs(2.0 - 4.0 * (y + 1) / kH - im) < std::fabs(2.0 - 4.0 * (by + 1) / kH - im))
                by = y;
        return {bx, by};
    }

    static std::vector<unsigned char> bytes_;
    static QImage image_;
};

std::vector<unsigned char> OverviewBmp::bytes_;
QImage OverviewBmp::image_;

TEST_F(OverviewBmp, Headers)
{
    ASSERT_EQ(bytes_.size(), 107650u);
    const struct
    {
        std::size_t at;
        int size;
        std::uint32_t value;
        const char *what;
    } fields[] = {
            {0, 2, 'B' | 'M' << 8, "\"BM\""},
            {2, 4, 107650, "file size"},
            {6, 4, 0, "reserved"},
            {10, 4, 1078, "offset of the pixel data"},
            {14, 4, 40, "information header size"},
            {18, 4, 329, "width"},
            {22, 4, 321, "height, positive: bottom-up"},
            {26, 2, 1, "planes"},
            {28, 2, 8, "bits per pixel"},
            {30, 4, 0, "no compression"},
            {34, 4, 106572, "image size"},
            {38, 4, 2835, "pixels per metre horizontally"},
            {42, 4, 2835, "pixels per metre vertically"},
            {46, 4, 256, "colours used"},
            {50, 4, 256, "colours important"},
    };
    for (const auto &f : fields)
        EXPECT_EQ(field(f.at, f.size), f.value) << f.what;
    ASSERT_EQ(image_.format(), QImage::Format_Indexed8);
    EXPECT_EQ(image_.size(), QSize(kW, kH));
    EXPECT_EQ(image_.colorCount(), 256);
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
            ASSERT_EQ(pixel(x, y), pixel(x, 319 - y)) << "column " << x << ", row " << y;
}

TEST_F(OverviewBmp, SetIsBlackAndFarOutsideIsNot)
{
    ASSERT_EQ(bytes_.size(), 107650u);
    struct Point
    {
        double re, im;
    };
    // 0 and -0.1 + 0.1i in the main cardioid, -1 in the period-2 disc,
    // -0.12 + 0.74i in the period-3 bulb above.
    for (const Point c : {Point{0, 0}, Point{-1, 0}, Point{-0.1, 0.1}, Point{-0.12, 0.74}}) {
        const auto [x, y] = nearestPixel(c.re, c.im);
        EXPECT_TRUE(isBlack(x, y))
                << "c = " << c.re << " + " << c.im << "i at (" << x << ", " << y << ")";
    }
    // im = 0 lies between rows 159 and 160: both show the set there.
    EXPECT_TRUE(isBlack(nearestPixel(0, 0).first, 159));
    EXPECT_TRUE(isBlack(nearestPixel(0, 0).first, 160));
    EXPECT_TRUE(isBlack(nearestPixel(-1, 0).first, 159));
    EXPECT_TRUE(isBlack(nearestPixel(-1, 0).first, 160));

    for (const auto &[x, y] : {std::pair{0, 0}, std::pair{328, 0}, std::pair{0, 320},
                               std::pair{328, 320}, std::pair{0, 160}, std::pair{328, 160},
                               std::pair{164, 0}, nearestPixel(1, 0), nearestPixel(-2.3, 0)})
        EXPECT_FALSE(isBlack(x, y)) << "(" << x << ", " << y << ")";
}

TEST_F(OverviewBmp, OnlyEntriesUpTo74AreUsedOrderedByPixelCount)
{
    ASSERT_EQ(bytes_.size(), 107650u);
    std::array<long, 256> count{};
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x)
            ++count[pixel(x, y)];
    for (int i = 75; i < 256; ++i) {
        EXPECT_EQ(count[i], 0) << "entry " << i;
        EXPECT_EQ(colour(i), (std::array<int, 3>{0, 0, 0})) << "entry " << i;
    }
    for (int i = 1; i < 75; ++i)
        EXPECT_GE(count[i - 1], count[i]) << "entry " << i;
    // The outermost wide yellow band covers most of the picture.
    EXPECT_EQ(colour(0), (std::array<int, 3>{222, 222, 0}));
    // Exactly one used entry is black: the one that marks the set.
    int blackEntries = 0;
    for (int i = 0; i < 75; ++i)
        if (count[i] > 0 && colour(i) == std::array<int, 3>{0, 0, 0})
            ++blackEntries;
    EXPECT_EQ(blackEntries, 1);
}

} // namespace
