// Re-centring by the press table, and the centre and pixel step of a
// thumbnail.

#include "numtext/numtext.h"
#include "render/recentre.h"
#include "tests/support/presstable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RecentrePressTable, MapsThePressTableFromTheStartUpState)
{
    const char *startFactors[] = {"", "10", "100", "1000", "10000", "100000", "1000000"};
    for (const auto &c : kPressTable) {
        const std::string text = c.factor ? c.factor : startFactors[c.thumbnail];
        const double factor = ParseReal(NormalizeReal(text));
        const ComplexPoint p = recentrePoint({-1.41, 0.0}, factor, 380, 250, c.x, c.y);
        EXPECT_EQ(FormatReal(1, 12, p.re), c.edit1) << describe(c);
        EXPECT_EQ(FormatReal(1, 12, p.im), c.edit2) << describe(c);
    }
}

TEST(RecentrePressTable, CentreOfTheThumbnailIsTheTargetAndPixelsAreSquare)
{
    const struct
    {
        ComplexPoint target;
        double factor;
        int w, h;
    } cases[] = {
            {{0.25, -0.5}, 10, 380, 250},
            {{-0.75, 0.1}, 1000, 499, 299},
            {{1.0, 1.0}, -10, 200, 100},
    };
    for (const auto &c : cases) {
        const ComplexPoint centre = recentrePoint(c.target, c.factor, c.w, c.h, c.w / 2, c.h / 2);
        const ComplexPoint right = recentrePoint(c.target, c.factor, c.w, c.h, c.w / 2 + 1, c.h / 2);
        const ComplexPoint below = recentrePoint(c.target, c.factor, c.w, c.h, c.w / 2, c.h / 2 + 1);
        const double step = 4.0 / (c.w * c.factor);
        EXPECT_NEAR(centre.re, c.target.re + (c.w % 2 ? -step / 2 : 0.0), 1e-12);
        EXPECT_NEAR(centre.im, c.target.im - (c.h % 2 ? -step / 2 : 0.0), 1e-12);
        EXPECT_NEAR(right.re - centre.re, step, 1e-12);
        // The imaginary part grows upward: a row further down is lower.
        EXPECT_NEAR(centre.im - below.im, step, 1e-12);
    }
}

} // namespace
