#pragma once
// A proof that an orbit never escapes, for attracting cycles of any period up
// to kMaxCyclePeriod: the periods 1 and 2 of interior.h in closed form do not
// reach the bulbs and windows off the cardioid and the disc, where most of
// the points that run to the limit lie. No Qt in here.

namespace zoom::interior {

constexpr int kMaxCyclePeriod = 64;

// Whether the orbit of c = x + y i from the point z = zr + zi i (the
// extended state rounded to doubles) stays for ever in discs around an
// attracting cycle, inside |z| < 1.9: then the literal loop never escapes
// from there and the pixel's index is 0. False when it cannot be shown.
// period: the period an earlier try on this orbit found (0: none), so that
// the orbit is followed that far only; on return the period found now.
bool trappedNearCycle(double zr, double zi, double x, double y, int &period);

} // namespace zoom::interior
