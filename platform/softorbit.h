#pragma once
// The operations of one escape-time step on SoftExtended, specialised for
// the shapes the step takes (a*a, a*b, A + bb with both non-negative, M - A
// with M >= A, A - B with both non-negative, D + x, t + t + y). Each is
// rounded on its own, to nearest even, and gives the bits of the general
// operator, for operands that are zero or normal and results that neither
// overflow nor fall below the normal range: an orbit of a finite c, which
// stops once |z|^2 >= 4, stays far inside those bounds. Within them an
// addition aligns, adds and normalises in 64-bit words and a product needs
// one 64 x 64 -> 128 multiplication; a zero operand, operands more than 63
// places apart (so a zero) and total cancellation go to the general
// operators. Where the
// signs are known (A + bb, M - A, A - B) the other case is left out.
// (Branch-free variants, with conditional moves for the order, the signs and
// the normalisation, made more instructions and ran slower here.)
//
// Header-only; no Qt. Needs unsigned __int128 (GCC, Clang; on aarch64 the
// 64 x 64 -> 128 multiplication is mul and umulh).

#include <bit>
#include <cstdint>

#include "platform/softextended.h"

#if defined(__GNUC__)
#define SOFTORBIT_INLINE [[gnu::always_inline]] inline
#else
#define SOFTORBIT_INLINE inline
#endif

struct SoftOrbit
{
    using u128 = unsigned __int128;
    static constexpr unsigned kExpMask = 0x7FFF;
    static constexpr std::uint64_t kIntBit = std::uint64_t{1} << 63;

    // Whether the orbit's operations may take v: zero or normal.
    static constexpr bool admissible(SoftExtended v)
    {
        const unsigned e = v.signExponent_ & kExpMask;
        return e != kExpMask && (e != 0 || v.significand_ == 0);
    }

    SOFTORBIT_INLINE static constexpr SoftExtended mul(SoftExtended a, SoftExtended b)
    {
        const unsigned sign = (a.signExponent_ ^ b.signExponent_) & 0x8000;
        const int e = static_cast<int>(a.signExponent_ & kExpMask)
                      + static_cast<int>(b.signExponent_ & kExpMask) - 16382;
        return product(sign, e, u128(a.significand_) * b.significand_);
    }

    SOFTORBIT_INLINE static constexpr SoftExtended square(SoftExtended a)
    {
        const int e = 2 * static_cast<int>(a.signExponent_ & kExpMask) - 16382;
        return product(0, e, u128(a.significand_) * a.significand_);
    }

    // t + t: exact, the exponent one up (zero stays zero).
    SOFTORBIT_INLINE static constexpr SoftExtended twice(SoftExtended t)
    {
        t.signExponent_ = static_cast<std::uint16_t>(t.signExponent_ + (t.significand_ != 0));
        return t;
    }

    SOFTORBIT_INLINE static constexpr SoftExtended add(SoftExtended a, SoftExtended b)
    {
        return key(a) < key(b) ? sumOrdered(b, a) : sumOrdered(a, b);
    }

    // a + b for a, b >= 0.
    SOFTORBIT_INLINE static constexpr SoftExtended addNonNegative(SoftExtended a, SoftExtended b)
    {
        return key(a) < key(b) ? sumOrdered<kSame>(b, a) : sumOrdered<kSame>(a, b);
    }

    // a - b for a >= b >= 0.
    SOFTORBIT_INLINE static constexpr SoftExtended subOrdered(SoftExtended a, SoftExtended b)
    {
        return sumOrdered<kOpposite>(a, -b);
    }

    // a - b for a, b >= 0.
    SOFTORBIT_INLINE static constexpr SoftExtended subNonNegative(SoftExtended a, SoftExtended b)
    {
        return key(a) < key(b) ? sumOrdered<kOpposite>(-b, a) : sumOrdered<kOpposite>(a, -b);
    }

    // v >= 4 for v >= 0.
    SOFTORBIT_INLINE static constexpr bool atLeastFour(SoftExtended v)
    {
        return (v.signExponent_ & kExpMask) >= 16383 + 2;
    }

private:
    // hi with its top bit set and the bits below it in lo stand for
    // (hi + lo / 2^64) 2^(e - 16383 - 63): rounded to nearest even, to 64 bits.
    SOFTORBIT_INLINE static constexpr SoftExtended rounded(unsigned sign, int e, std::uint64_t hi,
                                                           std::uint64_t lo)
    {
        // Up when lo > 2^63, or lo = 2^63 and hi odd: the carry out of this sum.
        unsigned long long ignored = 0;
        const bool up = __builtin_uaddll_overflow(lo, 0x7FFFFFFFFFFFFFFFull + (hi & 1), &ignored);
        hi += up;
        if (hi == 0) [[unlikely]] {
            if (!up) // a zero product, or 0 + 0 of one sign
                return SoftExtended::make(static_cast<std::uint16_t>(sign), 0);
            // Rounded up past the significand.
            return SoftExtended::make(static_cast<std::uint16_t>(sign | (e + 1)), kIntBit);
        }
        return SoftExtended::make(static_cast<std::uint16_t>(sign | e), hi);
    }

    // A product of two significands, 2^126 <= p < 2^128 (or 0, for a zero
    // operand), exponent field e before its normalisation by one place.
    SOFTORBIT_INLINE static constexpr SoftExtended product(unsigned sign, int e, u128 p)
    {
        const std::uint64_t ph = static_cast<std::uint64_t>(p >> 64);
        const std::uint64_t pl = static_cast<std::uint64_t>(p);
        const bool top = (ph >> 63) != 0;
        return rounded(sign, e - 1 + static_cast<int>(top), top ? ph : (ph << 1) | (pl >> 63),
                       top ? pl : pl << 1);
    }

    // The magnitude as one number: exponent field, then significand.
    SOFTORBIT_INLINE static constexpr u128 key(SoftExtended v)
    {
        return (u128(v.signExponent_ & kExpMask) << 64) | v.significand_;
    }

    // Whether the operands' signs are known to agree or to differ.
    static constexpr int kEither = 0, kSame = 1, kOpposite = 2;

    // a + b for |a| >= |b|. Within 63 places b aligned to a is hi + lo / 2^64
    // exactly, and the sum is formed in 64-bit words; further apart (rare) the
    // general operator, and so for b = 0 (exponent field 0: in an orbit a
    // nonzero value lies thousands of places above). Two zeros of one sign
    // sum to that zero in rounded(), of two signs to +0 through the general
    // operator, as total cancellation does.
    template<int Signs = kEither>
    SOFTORBIT_INLINE static constexpr SoftExtended sumOrdered(SoftExtended a, SoftExtended b)
    {
        const unsigned sign = a.signExponent_ & 0x8000;
        const int e = a.signExponent_ & kExpMask;
        const int d = e - (b.signExponent_ & kExpMask);
        if (d > 63) [[unlikely]]
            return a + b;
        const std::uint64_t hi = b.significand_ >> d;
        const std::uint64_t lo = (b.significand_ << 1) << (63 - d);
        const bool same = ((a.signExponent_ ^ b.signExponent_) & 0x8000) == 0;
        if (Signs == kSame || (Signs == kEither && same)) {
            std::uint64_t sum = a.significand_ + hi;
            if (sum < hi) { // carried out: one place to the right
                const std::uint64_t rest = (sum << 63) | (lo >> 1) | (lo & 1);
                sum = (sum >> 1) | kIntBit;
                return rounded(sign, e + 1, sum, rest);
            }
            return rounded(sign, e, sum, lo);
        }
        std::uint64_t rh = a.significand_ - hi - (lo != 0);
        std::uint64_t rl = std::uint64_t{0} - lo;
        if (static_cast<std::int64_t>(rh) < 0)
            return rounded(sign, e, rh, rl);
        if (rh == 0) [[unlikely]]
            return a + b;
        const int lz = std::countl_zero(rh); // 1 ... 63
        rh = (rh << lz) | (rl >> (64 - lz));
        rl <<= lz;
        return rounded(sign, e - lz, rh, rl);
    }
};

#undef SOFTORBIT_INLINE
