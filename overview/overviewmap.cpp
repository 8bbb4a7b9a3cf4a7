#include "overview/overviewmap.h"

#include <limits>

#include "extended/extended.h"

namespace {

// Nearest integer, halves to even, clamped to the 64-bit range.
std::int64_t roundToInt64(Extended v)
{
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    if (ext::isnan(v))
        return kMin;
    // 2^63 is exact in extended precision; every value below it that rounds
    // to an integer fits, since the integers near 2^63 are spaced by 1.
    const Extended kLimit = 9223372036854775808.0; // 2^63
    const Extended r = ext::nearbyint(v);           // to nearest, ties to even
    if (r >= kLimit)
        return kMax;
    if (r < -kLimit)
        return kMin;
    return ext::toInt64Nearest(r); // r is an integer: exact
}

// 4 · v as a 32-bit signed product that wraps around instead of overflowing.
std::int32_t times4(std::int32_t v)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v) * 4u);
}

// True when |a - b| < 5, without overflow for any b.
bool within4(std::int32_t a, std::int64_t b)
{
    // |a| < 2^31, so b outside ±2^32 can never be within 4 of a, and inside
    // that range the difference fits easily.
    constexpr std::int64_t kFar = std::int64_t{1} << 32;
    if (b > kFar || b < -kFar)
        return false;
    const std::int64_t d = std::int64_t{a} - b;
    return d > -5 && d < 5;
}

} // namespace

PixelPoint planeToPixel(double re, double im, int W, int H)
{
    const Extended x = ((Extended(re) + Extended(2.5)) * Extended(W)) / Extended(4.0);
    const Extended y = ((Extended(2.0) - Extended(im)) * Extended(H)) / Extended(4.0);
    return {roundToInt64(x), roundToInt64(y)};
}

ComplexPoint pixelToPlane(std::int32_t X, std::int32_t Y, int W, int H)
{
    const Extended re = Extended(times4(X)) / Extended(W) - Extended(2.5);
    const Extended im = Extended(2.0) - Extended(times4(Y)) / Extended(H);
    return {static_cast<double>(re), static_cast<double>(im)};
}

bool markerGrabbed(std::int32_t X, std::int32_t Y, PixelPoint marker)
{
    return within4(X, marker.x) && within4(Y, marker.y);
}
