#pragma once
// SoftExtended: the x87 extended format (64-bit significand with an explicit
// integer bit, 15-bit exponent, bias 16383) computed in software, bit for bit
// as the x87 unit computes it with precision control at 64 bits and rounding
// to nearest even (the Linux default control word). The escape-time arithmetic
// runs on it where long double is not the x87 format (aarch64: IEEE quad), so
// that every processor draws the same pictures.
//
// What the x87 unit does, and so what this type does:
//  - every result is rounded once, to nearest even, from the exact value;
//  - results below 2^-16382 are denormalised and rounded once at the
//    denormal precision (underflow masked); a denormal that rounds up to
//    2^-16382 becomes the smallest normal;
//  - results beyond the largest finite value become infinities (overflow
//    masked, rounding to nearest);
//  - an invalid operation (inf - inf, 0 * inf, 0 / 0, inf / inf) gives the
//    default NaN: sign 1, exponent 0x7FFF, significand 0xC000000000000000;
//  - a NaN operand gives itself, quieted (bit 62 set); of two NaNs the one
//    with the larger significand wins (a quiet NaN thus beats a signalling
//    one), and on equal significands the positive one;
//  - pseudo-denormals (exponent 0, integer bit 1) stand for the value
//    2^-16382 * significand / 2^63.
//
// The x87 unit also accepts encodings that no operation of it produces
// (unnormals: exponent 1 ... 0x7FFE with integer bit 0; pseudo-infinities and
// pseudo-NaNs: exponent 0x7FFF with integer bit 0) and turns every operation
// on them into the default NaN. The program never makes them, so they are
// dealt with where values come in from outside, in fromBits: such a value
// becomes the default NaN, and a pseudo-denormal the normal number of the
// same value. Every value of the type is thus zero, denormal, normal,
// infinite or a NaN with the integer bit set, and no operation checks for
// the others.
//
// The operations of the escape-time iteration, specialised for its shapes,
// are in softorbit.h; they give the same bits as the operators here.
//
// The arithmetic itself (rounding, normalisation, alignment) is softcore.h's,
// shared with the iteration's operations.
//
// Header-only; no Qt.

#include <bit>
#include <cstdint>
#include <type_traits>

#include "extended/softcore.h"

class alignas(16) SoftExtended
{
public:
    // +0.
    constexpr SoftExtended() = default;

    // Exact, as fld m64 loads a double: double denormals normalised, a NaN
    // quieted with its payload kept (shifted to the top of the significand).
    constexpr SoftExtended(double d) { *this = fromDouble(d); }
    constexpr SoftExtended(int v) { *this = fromInt64(v); }
    constexpr SoftExtended(long v) { *this = fromInt64(v); }
    constexpr SoftExtended(long long v) { *this = fromInt64(v); }
    constexpr SoftExtended(unsigned v) { *this = fromUint64(v); }
    constexpr SoftExtended(unsigned long v) { *this = fromUint64(v); }
    constexpr SoftExtended(unsigned long long v) { *this = fromUint64(v); }

    // The value from its two fields, as they lie in memory. The one place
    // where values come in: an encoding that no x87 operation produces is
    // replaced here (see above).
    static constexpr SoftExtended fromBits(std::uint16_t signExponent, std::uint64_t significand)
    {
        const unsigned e = signExponent & kExpMask;
        const bool integerBit = (significand >> 63) != 0;
        if (e != 0 && !integerBit) [[unlikely]]
            return defaultNaN();
        if (e == 0 && integerBit) [[unlikely]]
            signExponent |= 1; // pseudo-denormal: the same value as a normal
        return make(signExponent, significand);
    }

    constexpr std::uint64_t significand() const { return significand_; }
    constexpr std::uint16_t signExponent() const { return signExponent_; }
    // The biased exponent, 0 ... 0x7FFF.
    constexpr unsigned exponentField() const { return signExponent_ & kExpMask; }
    constexpr bool negative() const { return (signExponent_ >> 15) != 0; }

    static constexpr SoftExtended defaultNaN() { return make(0xFFFF, kIntBit | kQuietBit); }
    static constexpr SoftExtended infinity(bool negative = false)
    {
        return make(static_cast<std::uint16_t>(negative ? 0xFFFF : 0x7FFF), kIntBit);
    }
    // The largest finite value.
    static constexpr SoftExtended max() { return make(0x7FFE, ~std::uint64_t{0}); }
    // The smallest normal value, 2^-16382.
    static constexpr SoftExtended minNormal() { return make(0x0001, kIntBit); }
    // The smallest denormal value, 2^-16445.
    static constexpr SoftExtended denormMin() { return make(0x0000, 1); }

    // Round to nearest even, to double with its denormals, as fstp m64.
    explicit constexpr operator double() const { return toDouble(*this); }

    // ------------------------------------------------------------------
    // Arithmetic.

    friend constexpr SoftExtended operator-(SoftExtended a)
    {
        a.signExponent_ ^= 0x8000;
        return a;
    }
    friend constexpr SoftExtended operator+(SoftExtended a) { return a; }

    friend constexpr SoftExtended operator*(SoftExtended a, SoftExtended b)
    {
        const unsigned ea = a.signExponent_ & kExpMask;
        const unsigned eb = b.signExponent_ & kExpMask;
        if (bothNormal(a, b)) [[likely]] {
            const std::uint16_t sign = (a.signExponent_ ^ b.signExponent_) & 0x8000;
            return roundPack(softcore::product(sign, static_cast<int>(ea + eb), a.significand_,
                                               b.significand_));
        }
        return mulSlow(a, b);
    }

    friend constexpr SoftExtended operator+(SoftExtended a, SoftExtended b)
    {
        if (bothNormal(a, b)) [[likely]] {
            return roundPack(softcore::sum<softcore::Signs::Any, false>(
                a.signExponent_ & 0x8000u, static_cast<int>(a.signExponent_ & kExpMask),
                a.significand_, b.signExponent_ & 0x8000u,
                static_cast<int>(b.signExponent_ & kExpMask), b.significand_));
        }
        return addSlow(a, b, 0);
    }

    friend constexpr SoftExtended operator-(SoftExtended a, SoftExtended b)
    {
        if (bothNormal(a, b)) [[likely]] {
            return roundPack(softcore::sum<softcore::Signs::Any, false>(
                a.signExponent_ & 0x8000u, static_cast<int>(a.signExponent_ & kExpMask),
                a.significand_, (b.signExponent_ ^ 0x8000u) & 0x8000u,
                static_cast<int>(b.signExponent_ & kExpMask), b.significand_));
        }
        return addSlow(a, b, 0x8000);
    }

    friend constexpr SoftExtended operator/(SoftExtended a, SoftExtended b) { return divide(a, b); }

    constexpr SoftExtended &operator+=(SoftExtended b) { return *this = *this + b; }
    constexpr SoftExtended &operator-=(SoftExtended b) { return *this = *this - b; }
    constexpr SoftExtended &operator*=(SoftExtended b) { return *this = *this * b; }
    constexpr SoftExtended &operator/=(SoftExtended b) { return *this = *this / b; }

    // ------------------------------------------------------------------
    // Comparisons, as fucomi: a NaN is unordered
    // (everything false but !=), -0 == +0.

    friend constexpr bool operator==(SoftExtended a, SoftExtended b)
    {
        if (bothNormal(a, b)) [[likely]]
            return a.significand_ == b.significand_ && a.signExponent_ == b.signExponent_;
        return compareSlow(a, b) == kEqual;
    }
    friend constexpr bool operator!=(SoftExtended a, SoftExtended b) { return !(a == b); }
    friend constexpr bool operator<(SoftExtended a, SoftExtended b)
    {
        if (bothNormal(a, b)) [[likely]]
            return less(orderKey(a), orderKey(b));
        return compareSlow(a, b) == kLess;
    }
    friend constexpr bool operator>(SoftExtended a, SoftExtended b) { return b < a; }
    friend constexpr bool operator<=(SoftExtended a, SoftExtended b)
    {
        if (bothNormal(a, b)) [[likely]]
            return !less(orderKey(b), orderKey(a));
        const int c = compareSlow(a, b);
        return c == kLess || c == kEqual;
    }
    friend constexpr bool operator>=(SoftExtended a, SoftExtended b) { return b <= a; }

    // ------------------------------------------------------------------
    // Functions, found by argument-dependent lookup.

    // Sign cleared, as fabs (also on NaNs).
    friend constexpr SoftExtended abs(SoftExtended a)
    {
        a.signExponent_ &= kExpMask;
        return a;
    }
    friend constexpr bool signbit(SoftExtended a) { return a.negative(); }
    // True for NaNs.
    friend constexpr bool isnan(SoftExtended a)
    {
        return (a.signExponent_ & kExpMask) == kExpMask && a.significand_ != kIntBit;
    }
    friend constexpr bool isinf(SoftExtended a)
    {
        return (a.signExponent_ & kExpMask) == kExpMask && a.significand_ == kIntBit;
    }
    friend constexpr bool isfinite(SoftExtended a) { return (a.signExponent_ & kExpMask) != kExpMask; }

    // a * 2^n, as fscale: exact unless it under- or overflows, then rounded
    // once like any result.
    friend constexpr SoftExtended ldexp(SoftExtended a, int n) { return scale(a, n); }

    // To an integer, halves to even, as frndint in the default mode.
    friend constexpr SoftExtended nearbyint(SoftExtended a) { return roundInteger(a); }

    // To the nearest 64-bit integer, halves to even, as fistp m64 (llrintl);
    // a NaN, an infinity or a value out of range gives INT64_MIN, the
    // integer indefinite.
    friend constexpr std::int64_t toInt64Nearest(SoftExtended a) { return toInt64(a); }

private:
    using Unrounded = softcore::Unrounded;

    static constexpr unsigned kExpMask = softcore::kExpMask;
    static constexpr int kBias = softcore::kBias;
    static constexpr std::uint64_t kIntBit = softcore::kIntBit;
    static constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 62;

    std::uint64_t significand_ = 0;
    std::uint16_t signExponent_ = 0;

    friend struct SoftOrbit;

    // A value the type's own operations made: no check.
    static constexpr SoftExtended make(std::uint16_t signExponent, std::uint64_t significand)
    {
        SoftExtended r;
        r.significand_ = significand;
        r.signExponent_ = signExponent;
        return r;
    }

    // Both exponent fields in 1 ... 0x7FFE: no zero, denormal, infinity or NaN.
    static constexpr bool bothNormal(SoftExtended a, SoftExtended b)
    {
        const unsigned ea = (a.signExponent_ & kExpMask) - 1u;
        const unsigned eb = (b.signExponent_ & kExpMask) - 1u;
        return (ea > eb ? ea : eb) < 0x7FFEu;
    }
    static constexpr bool isNormal(SoftExtended a)
    {
        return (a.signExponent_ & kExpMask) - 1u < 0x7FFEu;
    }
    static constexpr bool isZeroBits(SoftExtended a)
    {
        return (a.signExponent_ & kExpMask) == 0 && a.significand_ == 0;
    }
    static constexpr bool isNaNBits(SoftExtended a)
    {
        return (a.signExponent_ & kExpMask) == kExpMask && (a.significand_ << 1) != 0;
    }

    // A key that orders the values of one zero: magnitude, its bits inverted
    // below a sign bit that is set for positive values.
    static constexpr Words orderKey(SoftExtended a)
    {
        const std::uint64_t e = a.signExponent_ & kExpMask;
        const std::uint64_t flip = std::uint64_t{0} - std::uint64_t(a.signExponent_ >> 15);
        return {((e ^ flip) & kExpMask) | (~flip & 0x8000u), a.significand_ ^ flip};
    }
    static constexpr bool less(Words a, Words b)
    {
        return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo;
    }

    // u rounded: at the denormal precision when its exponent is below the
    // normal range, to infinity beyond it.
    static constexpr SoftExtended roundPack(Unrounded u);

    static constexpr SoftExtended roundPackTiny(Unrounded u);

    // A nonzero finite value (denormals normalised):
    // significand with the top bit set, value sig * 2^(e - 16383 - 63).
    struct Unpacked
    {
        std::uint16_t sign;
        int e;
        std::uint64_t sig;
    };
    static constexpr Unpacked unpack(SoftExtended a);
    // The unpacked value itself as an exact result.
    static constexpr Unrounded exact(Unpacked u) { return {Words{u.sig, 0}, u.e, u.sign}; }

    static constexpr SoftExtended quiet(SoftExtended a)
    {
        a.significand_ |= kQuietBit;
        return a;
    }

    // At least one operand a NaN.
    static constexpr SoftExtended propagateNaN(SoftExtended a, SoftExtended b);
    static constexpr bool needsNaNRule(SoftExtended a, SoftExtended b)
    {
        return isNaNBits(a) || isNaNBits(b);
    }

    [[gnu::noinline]] static constexpr SoftExtended mulSlow(SoftExtended a, SoftExtended b)
    {
        const std::uint16_t sign = (a.signExponent_ ^ b.signExponent_) & 0x8000;
        const bool za = isZeroBits(a);
        const bool zb = isZeroBits(b);
        if ((za && isNormal(b)) || (zb && isNormal(a)) || (za && zb))
            return make(sign, 0);
        if (needsNaNRule(a, b))
            return propagateNaN(a, b);
        const bool ia = (a.signExponent_ & kExpMask) == kExpMask;
        const bool ib = (b.signExponent_ & kExpMask) == kExpMask;
        if (ia || ib) {
            if (za || zb)
                return defaultNaN(); // 0 * inf
            return infinity(sign != 0);
        }
        if (za || zb)
            return make(sign, 0);
        const Unpacked ua = unpack(a);
        const Unpacked ub = unpack(b);
        return roundPack(softcore::product(sign, ua.e + ub.e, ua.sig, ub.sig));
    }

    // a + b, or a - b when flipB is 0x8000.
    [[gnu::noinline]] static constexpr SoftExtended addSlow(SoftExtended a, SoftExtended b,
                                                            std::uint16_t flipB)
    {
        const std::uint16_t signA = a.signExponent_ & 0x8000;
        const std::uint16_t signB = (b.signExponent_ ^ flipB) & 0x8000;
        const bool za = isZeroBits(a);
        const bool zb = isZeroBits(b);
        if (za && isNormal(b))
            return make(static_cast<std::uint16_t>(signB | (b.signExponent_ & kExpMask)),
                        b.significand_);
        if (zb && isNormal(a))
            return a;
        if (needsNaNRule(a, b))
            return propagateNaN(a, b);
        const bool ia = (a.signExponent_ & kExpMask) == kExpMask;
        const bool ib = (b.signExponent_ & kExpMask) == kExpMask;
        if (ia || ib) {
            if (ia && ib && signA != signB)
                return defaultNaN(); // inf - inf
            return infinity((ia ? signA : signB) != 0);
        }
        if (za && zb)
            return make(signA & signB, 0); // -0 only for -0 + -0
        if (za) {
            const Unpacked ub = unpack(b);
            return roundPack(exact({signB, ub.e, ub.sig}));
        }
        if (zb)
            return roundPack(exact(unpack(a)));
        const Unpacked ua = unpack(a);
        const Unpacked ub = unpack(b);
        return roundPack(
            softcore::sum<softcore::Signs::Any, false>(signA, ua.e, ua.sig, signB, ub.e, ub.sig));
    }

    static constexpr SoftExtended divide(SoftExtended a, SoftExtended b);

    // ------------------------------------------------------------------

    static constexpr int kLess = 0, kEqual = 1, kGreater = 2, kUnordered = 3;

    [[gnu::noinline]] static constexpr int compareSlow(SoftExtended a, SoftExtended b)
    {
        if (needsNaNRule(a, b))
            return kUnordered;
        const Words ka = orderKey(isZeroBits(a) ? SoftExtended() : a);
        const Words kb = orderKey(isZeroBits(b) ? SoftExtended() : b);
        return less(ka, kb) ? kLess : (less(kb, ka) ? kGreater : kEqual);
    }

    // ------------------------------------------------------------------

    static constexpr SoftExtended fromDouble(double d);

    static constexpr SoftExtended fromUint64(std::uint64_t v, std::uint16_t sign = 0);
    static constexpr SoftExtended fromInt64(std::int64_t v);

    // The significand split shift places from its last bit, 1 <= shift <= 64:
    // the integer above, the fraction below (in the upper bits of lo).
    static constexpr Words splitAt(std::uint64_t m, int shift);

    static constexpr double toDouble(SoftExtended a);

    // |a| for 2^-1 <= |a| < 2^63 rounded to an integer.
    static constexpr std::int64_t toInt64(SoftExtended a);

    static constexpr SoftExtended roundInteger(SoftExtended a);

    static constexpr SoftExtended scale(SoftExtended a, int n);
};

#include "extended/softextendedops.h"

static_assert(sizeof(SoftExtended) == 16);
static_assert(alignof(SoftExtended) == 16);
static_assert(std::is_trivially_copyable_v<SoftExtended>);
