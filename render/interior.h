#pragma once
// The interior tests: proofs that an orbit never escapes, so that the row
// worker can give a pixel index 0 without iterating to the limit. Inline, as
// the row worker calls them for every pixel and at every checkpoint. No Qt in
// here.

#include <algorithm>
#include <cmath>
#include <complex>

#include "extended/extended.h"

namespace zoom::interior {

// Attracting cycles of period 1 (main cardioid) and 2 (the disc around -1),
// known in closed form, give a proof that an orbit never escapes: let p be a
// point of the cycle and z = p + u. One step of the extended arithmetic
// gives z' = z^2 + c + d with |d| < 1e-17 while |z| < 2 (a handful of
// roundings of 2^-64 relative on values below 4; D = A - B stands for
// a^2 - b^2 up to such an error). So u' = 2p u + u^2 + d, and the disc
// |u| <= r is mapped into itself when 2|p| r + r^2 + e <= r (e = 1e-16 >
// |d|); for period 2 the same over both steps through the disc around the
// other cycle point. An orbit inside such a disc, which keeps |z| < 2, never
// escapes: the literal loop runs to the limit, index 0. The test costs
// nothing in exactness: the orbit up to that point is computed as usual.
struct Attractor
{
    int period = 0; // 0: c has no attracting cycle of period 1 or 2
    double pr[2] = {0, 0}, pi[2] = {0, 0};
    double twice[2] = {0, 0}; // 2|p|, with some slack
    double mag[2] = {0, 0};   // |p|, with some slack
    double onePlus = 0;       // period 1: |1 + 2p|, with some slack
};

// |re + im i| without std::hypot's guard against overflow, which the
// bounded values here do not need: trapped() runs at every checkpoint.
inline double abs(double re, double im)
{
    return std::sqrt(re * re + im * im);
}

// Whether c = x + y i may lie in the main cardioid,
// q (q + x - 1/4) <= y^2 / 4 with q = (x - 1/4)^2 + y^2, or in the disc
// |c + 1| <= 1/4. In doubles, with a slack of 1e-6 where their rounding
// is below 1e-13 for |x|, |y| <= 2: false rules c out of both regions, a
// quick rejection of most points before the exact tests.
inline bool nearCardioidOrDisc(double x, double y)
{
    const double xq = x - 0.25;
    const double q = xq * xq + y * y;
    return q * (q + xq) <= 0.25 * y * y + 1e-6
           || (x + 1.0) * (x + 1.0) + y * y <= 0.0625 + 1e-6;
}

inline Attractor findAttractor(double x, double y)
{
    Attractor at;
    if (!std::isfinite(x) || !std::isfinite(y))
        return at;
    if (!nearCardioidOrDisc(x, y))
        return at;
    // The cycle points need not be exact: an error of a few units of 2^-53
    // is far inside the slack and the tolerances of trapped().
    using Complex = std::complex<double>;
    constexpr double kSlack = 1e-12;
    const Complex c(x, y);
    // Fixed point p = (1 - sqrt(1 - 4c)) / 2, multiplier 2p.
    const Complex p = (1.0 - std::sqrt(1.0 - 4.0 * c)) / 2.0;
    const double fm = std::abs(p);
    if (2 * fm < 1.0) {
        at.period = 1;
        at.pr[0] = p.real();
        at.pi[0] = p.imag();
        at.mag[0] = fm + kSlack;
        at.twice[0] = 2 * fm + kSlack;
        at.onePlus = std::abs(1.0 + 2.0 * p) + kSlack;
        return at;
    }
    // 2-cycle p^2 + p + c + 1 = 0, multiplier 4 (c + 1).
    if (std::abs(c + 1.0) < 0.25) {
        const Complex s = std::sqrt(-3.0 - 4.0 * c);
        const Complex cycle[2] = {(-1.0 + s) / 2.0, (-1.0 - s) / 2.0};
        at.period = 2;
        for (int i = 0; i < 2; ++i) {
            at.pr[i] = cycle[i].real();
            at.pi[i] = cycle[i].imag();
            at.mag[i] = std::abs(cycle[i]) + kSlack;
            at.twice[i] = 2 * std::abs(cycle[i]) + kSlack;
        }
    }
    return at;
}

// Whether the orbit point z = zr + zi i (rounded from the extended values)
// lies in a disc around the attracting cycle that the iteration never leaves.
inline bool trapped(const Attractor &at, double zr, double zi)
{
    constexpr double e = 1e-16;  // bound of one step's rounding, generous
    constexpr double tol = 1e-9; // covers the rounding of z, p and |u|
    constexpr double slack = 1e-12;
    if (at.period == 0 || !std::isfinite(zr) || !std::isfinite(zi))
        return false;
    for (int i = 0; i < at.period; ++i) {
        const double r = abs(zr - at.pr[i], zi - at.pi[i]) + tol;
        if (at.mag[i] + r >= 1.9)
            continue;
        if (at.period == 1) {
            const double m = at.twice[0];
            if (m * r + r * r + e + slack < r)
                return true;
            // Two steps at once: with mu = 2p, the exact map gives
            // u'' = mu^2 u + mu (1 + mu) u^2 + 2 mu u^3 + u^4, whose u^2 term
            // is small where mu is near -1 (as in the seahorse valley), so a
            // far larger disc is kept; the middle point stays within
            // |mu| r + r^2 + e of p. Ten times e covers the roundings of both
            // steps.
            const double mid = m * r + r * r + e;
            const double two = m * m * r + m * at.onePlus * r * r + 2 * m * r * r * r
                               + r * r * r * r + 10 * e + slack;
            if (two < r && at.mag[0] + mid < 1.9)
                return true;
            continue;
        }
        const int o = 1 - i;
        const double v = at.twice[i] * r + r * r + e + slack;
        if (at.mag[o] + v >= 1.9)
            continue;
        if (at.twice[o] * v + v * v + e + slack < r)
            return true;
    }
    return false;
}

// Whether the sample point c = x + y i lies inside the main cardioid or the
// disc |c + 1| < 1/4, with a safety margin; such points get index 0 without
// iterating. Why the literal loop gives them 0 as well:
// - For c in either region, z^2 + c has an attracting cycle (period 1 or 2)
//   whose immediate basin contains the critical point 0, and the exact orbit
//   of 0 (the loop starts at z = c, its first image) converges to the cycle:
//   it stays in a compact part of the basin, a positive distance away from
//   the Julia set, and never escapes. Every bounded orbit stays in
//   |z| <= R with R^2 - R = |c| <= 1.25, so |z|^2 < 3, well below the
//   escape bound 4: the loop can escape only if its orbit leaves the basin.
// - The extended arithmetic follows the orbit with an error of about 1e-19
//   per step (see the note before Attractor), at most some 5000 steps. Near
//   the attracting cycle errors shrink; elsewhere they grow at most by
//   |2z| < 3.5 per step on the short transient before the orbit comes near
//   the cycle. To leave the basin, the computed orbit would have to drift
//   from the exact one by the distance between the exact orbit and the
//   Julia set, which shrinks only as c approaches the boundary of the region
//   (there the cycle turns neutral and meets the Julia set).
// - The margin keeps the skipped c a relative 1e-8 inside the region (and
//   1e-15 absolute where y^2 / 4 is tiny), where that distance is many
//   orders of magnitude above the accumulated rounding; it also covers the
//   rounding of the tests themselves (a few units of 2^-64 on values below
//   2). Points in the margin are iterated as usual.
// The tests compare images straddling both boundaries at the highest limit,
// from factor 100 to 1e8 (where neighbouring samples lie 1e-10 apart and the
// margin is resolved), and the whole zoom series of the program's targets,
// index for index with the literal loop.
inline bool insideCardioidOrBulb(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 2 || std::fabs(y) > 2
        || !nearCardioidOrDisc(x, y))
        return false;
    const Extended X = x, Y = y;
    const Extended yy = Y * Y;
    const Extended margin = Extended(1.0) - Extended(1e-8);
    // Period 2: |c + 1|^2 < 1/16.
    const Extended u = X + Extended(1.0);
    if (u * u + yy < Extended(0.0625) * margin)
        return true;
    // Period 1: q (q + x - 1/4) < y^2 / 4 with q = (x - 1/4)^2 + y^2.
    const Extended xq = X - Extended(0.25);
    const Extended q = xq * xq + yy;
    return q * (q + xq) < yy * Extended(0.25) * margin - Extended(1e-15);
}

} // namespace zoom::interior
