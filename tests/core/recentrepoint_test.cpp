// Re-centring from a thumbnail on random presses, against the MPFR oracle.

#include "render/recentre.h"
#include "tests/support/mpfr_oracle.h"
#include "tests/support/random_factor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

namespace {

TEST(RecentrePoint, MatchesOracleOnRandomPresses)
{
    std::mt19937_64 random(20260101);
    std::uniform_real_distribution<double> coordinate(-2.5, 2.5);
    std::uniform_int_distribution<int> size(1, 2000);
    for (int i = 0; i < 20000; ++i) {
        const ComplexPoint target{coordinate(random), coordinate(random)};
        const double factor = randomFactor(random);
        const int w = size(random), h = size(random);
        std::uniform_int_distribution<std::int32_t> press(-5, 2 * std::max(w, h));
        const std::int32_t X = press(random), Y = press(random);
        const ComplexPoint got = recentrePoint(target, factor, w, h, X, Y);
        const mpfroracle::Point want = mpfroracle::recentre({target.re, target.im}, factor, w, h, X,
                                                            Y);
        ASSERT_EQ(got.re, want.re) << "case " << i;
        ASSERT_EQ(got.im, want.im) << "case " << i;
    }
}

} // namespace
