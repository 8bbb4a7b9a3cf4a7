#include "render/cycletrap.h"

#include <cmath>

#include "render/interior.h"

namespace zoom::interior {

namespace {

constexpr double kRadius = 1.9; // |z| < 1.9: |z|^2 < 3.61, far below the escape bound 4

// One step of the extended arithmetic, for |z| < 1.9 and |c| <= 2, lands
// within some 1e-17 of z^2 + c (a handful of roundings of 2^-64 relative on
// values below 8); the centres below, computed in doubles, within some
// 4e-15 (roundings of 2^-53). kStep bounds both with room to spare.
constexpr double kStep = 1e-14;
// Covers the rounding of the radii and distances themselves.
constexpr double kUp = 1 + 1e-12;

} // namespace

// The proof: let w_0 = z and w_{j+1} = w_j^2 + c in doubles, and r_0 a
// radius. If the orbit lies in the disc D_j (centre w_j, radius r_j), one
// step brings it into D_{j+1} with r_{j+1} = 2|w_j| r_j + r_j^2 + kStep:
// (w_j + u)^2 + c = w_j^2 + c + 2 w_j u + u^2, plus the step's rounding and
// the centre's. The true state lies in D_0 (r_0 is far above the rounding of
// z to doubles). If D_p lies inside D_0 for a period p, the orbit goes round
// D_0 ... D_{p-1} for ever, and with every disc inside |z| < 1.9 the loop's
// M = A + bb stays below 4: no escape. The cycle and r_0 come from the
// orbit itself: p is the step of its closest return to z, and
// r_0 = 2 (distance of that return + rounding) / (1 - |multiplier|), tried
// at a few sizes, as the terms in r^2 ask for a small disc and the rounding
// for a large one.
bool trappedNearCycle(double zr, double zi, double x, double y, int &period)
{
    if (!(std::fabs(x) <= 2 && std::fabs(y) <= 2 && abs(zr, zi) < kRadius)) {
        period = 0;
        return false; // also NaN
    }
    double wr[kMaxCyclePeriod + 1], wi[kMaxCyclePeriod + 1];
    wr[0] = zr;
    wi[0] = zi;
    // With the period of an earlier try the orbit is followed that far only.
    const int known = period;
    const int length = known > 0 ? known : kMaxCyclePeriod;
    period = 0;
    double closest = 1e-4; // squared distance; a return farther away is no cycle yet
    for (int j = 1; j <= length; ++j) {
        wr[j] = wr[j - 1] * wr[j - 1] - wi[j - 1] * wi[j - 1] + x;
        wi[j] = 2 * wr[j - 1] * wi[j - 1] + y;
        const double dr = wr[j] - zr, di = wi[j] - zi;
        const double d = dr * dr + di * di;
        if (!(wr[j] * wr[j] + wi[j] * wi[j] < kRadius * kRadius))
            return false;
        // A return counts when it halves the closest distance so far, so
        // that a multiple of the period, only a little closer, does not
        // replace the period itself.
        if (d < 0.25 * closest && (known == 0 || j == known)) {
            closest = d;
            period = j;
        }
    }
    if (period == 0)
        return false;
    double m[kMaxCyclePeriod];
    double multiplier = 1;
    for (int j = 0; j < period; ++j) {
        m[j] = abs(wr[j], wi[j]);
        multiplier *= 2 * m[j];
    }
    if (!(multiplier < 0.999)) {
        period = 0;
        return false;
    }
    const double drift = abs(wr[period] - zr, wi[period] - zi) * kUp;
    // The rounding alone: the radii grown from r_0 = 0.
    double rounding = 0;
    for (int j = 0; j < period; ++j)
        rounding = (2 * m[j] * rounding + kStep) * kUp;
    double r0 = 2 * (drift + rounding) / (1 - multiplier) + 1e-13;
    for (int attempt = 0; attempt < 4; ++attempt, r0 *= 4) {
        double r = r0;
        bool inside = true;
        for (int j = 0; j < period && inside; ++j) {
            inside = m[j] + r < kRadius;
            r = (2 * m[j] * r + r * r + kStep) * kUp;
        }
        if (inside && drift + r < r0)
            return true;
    }
    return false;
}

} // namespace zoom::interior
