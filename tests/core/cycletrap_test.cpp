// The search for attracting cycles: it must find the cycles of the bulbs and
// windows off the cardioid, and it must never call an orbit trapped that the
// literal loop lets escape.

#include "extended/extended.h"
#include "render/cycletrap.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// The literal loop's orbit of c = x + y i: (a, b) is the point that step k
// tests.
struct Orbit
{
    double x, y;
    Extended a = x, b = y, A = a * a, B = b * b;
    int k = 0;

    // One step; false when the orbit escapes on it.
    bool step()
    {
        ++k;
        const Extended t = a * b;
        b = t + t + y;
        a = A - B + x;
        A = a * a;
        const Extended M = A + b * b;
        B = M - A;
        return !(M >= Extended(4.0));
    }
};

TEST(CycleTrap, FindsTheCyclesOfBulbsAndWindows)
{
    const struct
    {
        const char *name;
        double x, y;
        int period;
    } cases[] = {{"period-3 bulb", -0.1226, 0.7449, 3}, {"period-3 window", -1.7549, 0.0, 3},
                 {"period-4 disc", -1.3107, 0.0, 4},    {"period-5 bulb", -0.5043, 0.5629, 5},
                 {"period-8 disc", -1.3815, 0.0, 8},    {"period-16 disc", -1.3969, 0.0, 16}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        Orbit o{c.x, c.y};
        while (o.k < 2000)
            ASSERT_TRUE(o.step());
        int period = 0;
        EXPECT_TRUE(zoom::interior::trappedNearCycle(static_cast<double>(o.a),
                                                     static_cast<double>(o.b), c.x, c.y, period));
        EXPECT_EQ(period % c.period, 0) << period;
    }
}

// Points just outside components, where orbits linger near a cycle that is
// neutral or repelling before they escape, and points inside near the edge;
// the search runs on each orbit every 64 steps, as the row worker runs it.
TEST(CycleTrap, NeverClaimsAnOrbitThatEscapes)
{
    const struct
    {
        double x, y, dx, dy;                    // first point and step of a line of points
    } lines[] = {{0.2499, 0.0, 1e-5, 0.0},      // the cusp of the cardioid
                 {-0.75, 0.0001, 0.0, 3e-4},    // where the cardioid meets the disc
                 {-1.2435, 0.02, 1e-4, 0.0},    // across the period-4 disc
                 {-1.7549, 0.0005, 0.0, 1e-3},  // off the period-3 window
                 {-0.125, 0.6495, 1e-4, 1e-4}}; // the period-3 bulb's root
    int claims = 0;
    for (const auto &line : lines) {
        for (int i = 0; i < 40; ++i) {
            const double x = line.x + i * line.dx, y = line.y + i * line.dy;
            Orbit o{x, y};
            int period = 0, claimedAt = 0;
            bool escaped = false;
            while (o.k < 5000 && !escaped) {
                escaped = !o.step();
                if (!escaped && claimedAt == 0 && o.k % 64 == 0
                    && zoom::interior::trappedNearCycle(static_cast<double>(o.a),
                                                        static_cast<double>(o.b), x, y, period))
                    claimedAt = o.k;
            }
            if (claimedAt != 0)
                ++claims;
            EXPECT_FALSE(claimedAt != 0 && escaped)
                    << "c = " << x << " " << y << ": trapped at step " << claimedAt
                    << ", escaped on step " << o.k;
        }
    }
    EXPECT_GT(claims, 20); // the search is not idle here
}

TEST(CycleTrap, RefusesWhatItCannotProve)
{
    const struct
    {
        const char *name;
        double zr, zi, x, y;
    } cases[] = {{"the repelling fixed point of c = -2", 2.0, 0.0, -2.0, 0.0},
                 {"the neutral fixed point of c = 1/4", 0.5, 0.0, 0.25, 0.0},
                 {"an orbit outside", 0.3, 0.0, 0.3, 0.0},
                 {"c not finite", 0.0, 0.0, std::numeric_limits<double>::quiet_NaN(), 0.0},
                 {"z not finite", std::numeric_limits<double>::infinity(), 0.0, -1.0, 0.0}};
    for (const auto &c : cases) {
        int period = 0;
        EXPECT_FALSE(zoom::interior::trappedNearCycle(c.zr, c.zi, c.x, c.y, period)) << c.name;
    }
}

} // namespace
