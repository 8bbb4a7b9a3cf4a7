#pragma once
// The program's extended precision: binary floating point with a 64-bit
// significand, rounded to nearest even on every operation, with the exponent
// range of the x87 format. On x86 with GCC or Clang that is the hardware's
// long double; everywhere else, and on x86 too when the build asks for it
// (MANDEL_SOFT_EXTENDED), the software type SoftExtended, which gives the
// same bits. No Qt in here.
//
// The functions below (namespace ext) are the operations the program needs
// beyond the arithmetic operators, with the same meaning on both paths.

#include <cstdint>
#include <cstring>

// The x87 unit and its format as long double: x86 with GCC or Clang.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__LDBL_MANT_DIG__) \
        && __LDBL_MANT_DIG__ == 64
#define MANDEL_HAVE_X87 1
#endif

#if !defined(MANDEL_SOFT_EXTENDED) && !defined(MANDEL_HAVE_X87)
#define MANDEL_SOFT_EXTENDED 1
#endif

#if defined(MANDEL_SOFT_EXTENDED)
#include "extended/softextended.h"
using Extended = SoftExtended;

// The type's own functions, found by argument-dependent lookup.
namespace softextended_detail {
inline SoftExtended absOf(SoftExtended v) { return abs(v); }
inline bool isNaN(SoftExtended v) { return isnan(v); }
inline bool isFinite(SoftExtended v) { return isfinite(v); }
inline SoftExtended scaled(SoftExtended v, int n) { return ldexp(v, n); }
inline SoftExtended nearestInteger(SoftExtended v) { return nearbyint(v); }
inline std::int64_t nearestInt64(SoftExtended v) { return toInt64Nearest(v); }
} // namespace softextended_detail
#else
#include <cmath>
using Extended = long double;
#endif

namespace ext {

// Whether Extended is the x87 unit's own long double.
#if defined(MANDEL_SOFT_EXTENDED)
constexpr bool kHardware = false;
#else
constexpr bool kHardware = true;
#endif

// The value with the given sign and biased exponent (bit 15 the sign) and
// 64-bit significand (bit 63 the integer bit), as the x87 unit stores it.
inline Extended fromBits(std::uint16_t signExponent, std::uint64_t significand)
{
#if defined(MANDEL_SOFT_EXTENDED)
    return SoftExtended::fromBits(signExponent, significand);
#else
    long double v = 0;
    std::memcpy(&v, &significand, 8);
    std::memcpy(reinterpret_cast<unsigned char *>(&v) + 8, &signExponent, 2);
    return v;
#endif
}

// The ten bytes that hold the value (significand, then sign and exponent).
inline void toBytes(const Extended &v, unsigned char *out)
{
    std::memcpy(out, &v, 10);
}

// The biased exponent field (0 ... 0x7FFF).
inline int exponentField(const Extended &v)
{
    std::uint16_t se = 0;
    std::memcpy(&se, reinterpret_cast<const unsigned char *>(&v) + 8, 2);
    return se & 0x7FFF;
}

#if defined(MANDEL_SOFT_EXTENDED)
// SoftExtended's own functions.
inline constexpr auto &abs = softextended_detail::absOf;
inline constexpr auto &isnan = softextended_detail::isNaN;
inline constexpr auto &isfinite = softextended_detail::isFinite;
inline constexpr auto &ldexp = softextended_detail::scaled;
inline constexpr auto &nearbyint = softextended_detail::nearestInteger;
inline constexpr auto &toInt64Nearest = softextended_detail::nearestInt64;
#else
inline Extended abs(Extended v) { return std::fabs(v); }
inline bool isnan(Extended v) { return std::isnan(v); }
inline bool isfinite(Extended v) { return std::isfinite(v); }
inline Extended ldexp(Extended v, int n) { return std::ldexp(v, n); }
// To the nearest integer, ties to even (the default rounding mode).
inline Extended nearbyint(Extended v) { return std::nearbyint(v); }
// As llrint: ties to even; NaN and values beyond the range give INT64_MIN.
inline std::int64_t toInt64Nearest(Extended v) { return std::llrint(v); }
#endif

} // namespace ext
