#pragma once
// SoftExtended's operations that its class (softextended.h) declares and
// defines here, at its end: the rounding of an exact result into the format
// (also at the denormal precision), unpacking, the rule for NaN operands,
// division, the conversions from and to double and the integers, rounding to
// an integer and scaling by a power of two. All round through softcore.h.
//
// Header-only; no Qt.

#include "extended/softextended.h"

// u rounded: at the denormal precision when its exponent is below the
// normal range, to infinity beyond it.
constexpr SoftExtended SoftExtended::roundPack(Unrounded u)
{
    if (u.w.hi == 0) [[unlikely]]
        return make(static_cast<std::uint16_t>(u.sign), 0);
    if (u.e < 1) [[unlikely]]
        return roundPackTiny(u);
    if (u.e >= static_cast<int>(kExpMask)) [[unlikely]]
        return infinity(u.sign != 0);
    const softcore::Value v = softcore::rounded(u);
    if (v.e == kExpMask) [[unlikely]]
        return infinity(u.sign != 0);
    return make(static_cast<std::uint16_t>(v.sign | static_cast<std::uint32_t>(v.e)), v.m);
}

constexpr SoftExtended SoftExtended::roundPackTiny(Unrounded u)
{
    const Words w = shiftedDownSticky(u.w, static_cast<unsigned>(1 - u.e)); // w.hi < 2^63
    const std::uint64_t m = softcore::roundedNearestEven(w.hi, w.lo);
    // Rounded up to 2^63: the smallest normal, exponent field 1.
    return make(static_cast<std::uint16_t>(u.sign | (m >> 63)), m);
}

constexpr SoftExtended::Unpacked SoftExtended::unpack(SoftExtended a)
{
    const unsigned ea = a.signExponent_ & kExpMask;
    const std::uint16_t sign = a.signExponent_ & 0x8000;
    if (ea != 0)
        return {sign, static_cast<int>(ea), a.significand_};
    const int lz = std::countl_zero(a.significand_);
    return {sign, 1 - lz, a.significand_ << lz};
}

// At least one operand a NaN.
constexpr SoftExtended SoftExtended::propagateNaN(SoftExtended a, SoftExtended b)
{
    const bool na = isNaNBits(a);
    const bool nb = isNaNBits(b);
    if (na && nb) {
        if (a.significand_ != b.significand_)
            return quiet(a.significand_ > b.significand_ ? a : b);
        return quiet(a.negative() ? b : a);
    }
    return quiet(na ? a : b);
}

constexpr SoftExtended SoftExtended::divide(SoftExtended a, SoftExtended b)
{
    const std::uint16_t sign = (a.signExponent_ ^ b.signExponent_) & 0x8000;
    if (!bothNormal(a, b)) [[unlikely]] {
        if (needsNaNRule(a, b))
            return propagateNaN(a, b);
        const bool ia = (a.signExponent_ & kExpMask) == kExpMask;
        const bool ib = (b.signExponent_ & kExpMask) == kExpMask;
        const bool za = isZeroBits(a);
        const bool zb = isZeroBits(b);
        if ((ia && ib) || (za && zb))
            return defaultNaN();
        if (ia || zb)
            return infinity(sign != 0);
        if (ib || za)
            return make(sign, 0);
    }
    const Unpacked ua = unpack(a);
    const Unpacked ub = unpack(b);
    // 2^62 < q < 2^64, then 64 more quotient bits, the rest as a sticky bit.
    const Words q = Wide::divide(Words{ua.sig >> 1, ua.sig << 63}, ub.sig);
    const Words q2 = Wide::divide(Words{q.lo, 0}, ub.sig);
    const Words m{q.hi, q2.hi | (q2.lo != 0)};
    const int lz = std::countl_zero(m.hi); // 0 or 1
    return roundPack({shiftedUp(m, lz), ua.e - ub.e + kBias - lz, sign});
}

constexpr SoftExtended SoftExtended::fromDouble(double d)
{
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(d);
    const std::uint16_t sign = static_cast<std::uint16_t>((bits >> 48) & 0x8000);
    const unsigned e = static_cast<unsigned>(bits >> 52) & 0x7FF;
    const std::uint64_t frac = bits & ((std::uint64_t{1} << 52) - 1);
    if (e - 1u < 0x7FEu) [[likely]]
        return make(static_cast<std::uint16_t>(sign | (e - 1023 + kBias)),
                    kIntBit | (frac << 11));
    if (e == 0) {
        if (frac == 0)
            return make(sign, 0);
        const int lz = std::countl_zero(frac);
        return make(static_cast<std::uint16_t>(sign | (kBias + 63 - 1074 - lz)), frac << lz);
    }
    if (frac == 0)
        return make(static_cast<std::uint16_t>(sign | kExpMask), kIntBit);
    return make(static_cast<std::uint16_t>(sign | kExpMask), kIntBit | kQuietBit | (frac << 11));
}

constexpr SoftExtended SoftExtended::fromUint64(std::uint64_t v, std::uint16_t sign)
{
    if (v == 0)
        return make(sign, 0);
    const int lz = std::countl_zero(v);
    return make(static_cast<std::uint16_t>(sign | (kBias + 63 - lz)), v << lz);
}

constexpr SoftExtended SoftExtended::fromInt64(std::int64_t v)
{
    const std::uint64_t mag = v < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(v)
                                    : static_cast<std::uint64_t>(v);
    return v < 0 ? fromUint64(mag, 0x8000) : fromUint64(mag);
}

// The significand split shift places from its last bit, 1 <= shift <= 64:
// the integer above, the fraction below (in the upper bits of lo).
constexpr Words SoftExtended::splitAt(std::uint64_t m, int shift)
{
    return {(m >> 1) >> (shift - 1), m << (64 - shift)};
}

constexpr double SoftExtended::toDouble(SoftExtended a)
{
    const std::uint64_t sign = std::uint64_t(a.signExponent_ >> 15) << 63;
    const unsigned e = a.signExponent_ & kExpMask;
    if (e == kExpMask) {
        if (a.significand_ == kIntBit)
            return std::bit_cast<double>(sign | 0x7FF0000000000000ull);
        return std::bit_cast<double>(sign | 0x7FF8000000000000ull
                                     | ((a.significand_ >> 11) & ((std::uint64_t{1} << 52) - 1)));
    }
    if (e == 0) // zero or below 2^-16382: rounds to zero
        return std::bit_cast<double>(sign);
    const int de = static_cast<int>(e) - kBias + 1023;
    if (de >= 0x7FF)
        return std::bit_cast<double>(sign | 0x7FF0000000000000ull);
    const int shift = de >= 1 ? 11 : 12 - de;
    if (shift > 64)
        return std::bit_cast<double>(sign);
    const Words w = splitAt(a.significand_, shift);
    const std::uint64_t base = de >= 1 ? std::uint64_t(de - 1) << 52 : 0;
    // A carry into bit 53 moves the exponent up by one.
    return std::bit_cast<double>(sign | (base + softcore::roundedNearestEven(w.hi, w.lo)));
}

// |a| for 2^-1 <= |a| < 2^63 rounded to an integer.
constexpr std::int64_t SoftExtended::toInt64(SoftExtended a)
{
    const unsigned e = a.signExponent_ & kExpMask;
    if (e == kExpMask)
        return INT64_MIN;
    if (e == 0)
        return 0;
    const int k = static_cast<int>(e) - kBias;
    if (k >= 63)
        return INT64_MIN; // -2^63 itself is INT64_MIN as well
    if (k < -1)
        return 0;
    const Words w = splitAt(a.significand_, 63 - k);
    const std::uint64_t m = softcore::roundedNearestEven(w.hi, w.lo);
    if (m >> 63)
        return INT64_MIN;
    return a.negative() ? -static_cast<std::int64_t>(m) : static_cast<std::int64_t>(m);
}

constexpr SoftExtended SoftExtended::roundInteger(SoftExtended a)
{
    const unsigned e = a.signExponent_ & kExpMask;
    const std::uint16_t sign = a.signExponent_ & 0x8000;
    if (e == kExpMask)
        return a.significand_ == kIntBit ? a : quiet(a);
    if (isZeroBits(a))
        return a;
    const int k = static_cast<int>(e) - kBias;
    if (k >= 63)
        return a;
    if (e == 0 || k < -1)
        return make(sign, 0);
    const Words w = splitAt(a.significand_, 63 - k);
    return fromUint64(softcore::roundedNearestEven(w.hi, w.lo), sign);
}

constexpr SoftExtended SoftExtended::scale(SoftExtended a, int n)
{
    const unsigned e = a.signExponent_ & kExpMask;
    if (e == kExpMask)
        return a.significand_ == kIntBit ? a : quiet(a);
    if (isZeroBits(a))
        return a;
    n = n > 100000 ? 100000 : (n < -100000 ? -100000 : n);
    const Unpacked u = unpack(a);
    return roundPack(exact({u.sign, u.e + n, u.sig}));
}
