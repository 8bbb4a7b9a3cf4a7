#pragma once
// The arithmetic of the software extended type, once: the rounding to
// nearest even, the normalisation of a product, the alignment and sum of two
// significands. SoftExtended's operators (softextended.h) and the
// iteration's operations (softorbit.h) are both made of these; they differ
// only in what they do around them (special values, range checks).
//
// A finite nonzero value is sign * m * 2^(e - 16383 - 63) with the top bit
// of the 64-bit significand m set. Between operations the iteration keeps
// values in the working form Value: m, the exponent field as a plain
// integer and the sign apart, so that no operation masks them out of one
// word. Zero there is m = 0.
//
// Header-only; no Qt.

#include <bit>
#include <cstdint>

#include "extended/wide.h"

#if defined(__GNUC__)
#define SOFTCORE_INLINE [[gnu::always_inline]] inline
#else
#define SOFTCORE_INLINE inline
#endif

namespace softcore {

constexpr std::uint32_t kSign = 0x8000;
constexpr std::uint32_t kExpMask = 0x7FFF;
constexpr int kBias = 16383;
constexpr std::uint64_t kIntBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kHalf = std::uint64_t{1} << 63;

// The iteration's working form.
struct Value
{
    std::uint64_t m = 0;    // significand, integer bit set unless zero
    std::int64_t e = 0;     // exponent field
    std::uint32_t sign = 0; // 0 or kSign
};

// The exact result of an operation before its rounding: hi with its top bit
// set and the bits below it in lo stand for (hi + lo / 2^64) 2^(e - 16383 -
// 63); hi = lo = 0 is a zero of that sign.
struct Unrounded
{
    Words w;
    int e;
    std::uint32_t sign;
};

// The one rounding: hi with the fraction lo below its last place, rounded
// to nearest, ties to even. hi + 1 wraps to 0 when hi is all ones.
SOFTCORE_INLINE constexpr std::uint64_t roundedNearestEven(std::uint64_t hi, std::uint64_t lo)
{
    // Up when lo > 1/2, or lo = 1/2 and hi odd: the carry out of
    // lo + (1/2 - 1 + (hi & 1)).
    return hi + Wide::carry(lo, (kHalf - 1) + (hi & 1));
}

// u rounded, for an exponent within the normal range (the caller's part).
SOFTCORE_INLINE constexpr Value rounded(Unrounded u)
{
    const std::uint64_t m = roundedNearestEven(u.w.hi, u.w.lo);
    if (m == 0) [[unlikely]] {
        // Zero before (nothing to round up from it), or all ones before,
        // rounded up past the significand.
        if (u.w.hi == 0)
            return {0, 0, u.sign};
        return {kIntBit, u.e + 1, u.sign};
    }
    return {m, u.e, u.sign};
}

// 2^126 <= w < 2^128 (or 0) with its top bit set: w, or w doubled and the
// exponent e one lower. The top bit is as good as random, so w is shifted
// up by 0 or 1 place: compilers turn a choice between w and its double
// into a branch, and its mispredictions cost more than the shifts (the
// default series took some 15 % less time with the shifts).
SOFTCORE_INLINE constexpr Unrounded topped(Words w, int e, std::uint32_t sign)
{
    const std::uint64_t top = w.hi >> 63;
    const unsigned up = static_cast<unsigned>(top ^ 1);
    const Words shifted{(w.hi << up) | ((w.lo >> 63) & up), w.lo << up};
    return {shifted, e + static_cast<int>(top), sign};
}

// The product of two significands (top bits set, or one of them 0); e is
// the sum of the operands' exponents. 2^126 <= p < 2^128 is doubled, without
// a branch (its top bit is as good as random), unless its top bit is set.
SOFTCORE_INLINE constexpr Unrounded product(std::uint32_t sign, int e, std::uint64_t ma,
                                            std::uint64_t mb)
{
    return topped(Wide::mul(ma, mb), e - kBias, sign);
}

// A significand d places below the larger operand's, 0 <= d <= 62, two
// places down in 128 bits (room for the carry of a sum): exact.
SOFTCORE_INLINE constexpr Words alignedNear(std::uint64_t m, int d)
{
    return {(m >> 2) >> d, m << (62 - d)};
}

// The one alignment: as alignedNear for any d >= 0, the bits shifted out
// beyond the lower word kept as a sticky last bit (far below the rounding
// place of any sum).
constexpr Words aligned(std::uint64_t m, int d)
{
    if (d <= 62) [[likely]]
        return alignedNear(m, d);
    return shiftedDownSticky(Words{0, m}, static_cast<unsigned>(d - 62));
}

// What a sum knows of its operands' signs and order.
enum class Signs {
    Any,     // nothing
    Same,    // the same sign
    Opposite // opposite signs, and a's exponent not below b's, |a| >= |b|
};

// The one alignment of a sum: a significand d >= 0 places below the larger
// operand's. Near: d <= 62.
template<bool Near>
SOFTCORE_INLINE constexpr Words alignedBy(std::uint64_t m, int d)
{
    return Near ? alignedNear(m, d) : aligned(m, d);
}

// a + b (signs 0 or kSign, exponents, significands with top bits set or 0):
// the smaller aligned to the larger, negated for opposite signs, the sum
// normalised. Near: the exponents at most 62 apart.
// An exponent (negative for a denormal unpacked) as a word of the same order.
SOFTCORE_INLINE constexpr std::uint64_t ordered(int e)
{
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(e)) ^ (std::uint64_t{1} << 63);
}

template<Signs S, bool Near>
SOFTCORE_INLINE constexpr Unrounded sum(std::uint32_t signA, int ea, std::uint64_t ma,
                                        std::uint32_t signB, int eb, std::uint64_t mb)
{
    // The larger operand first, without a branch (in an orbit the order is
    // as good as random): by exponent, and for signs not known by magnitude,
    // so that the sum does not turn negative. Only the other one is shifted.
    bool swap = false;
    if constexpr (S == Signs::Same)
        swap = eb > ea;
    else if constexpr (S == Signs::Any)
        swap = Wide::less(Words{ordered(ea), ma}, Words{ordered(eb), mb});
    const int e = swap ? eb : ea;
    const Words a = alignedNear(swap ? mb : ma, 0);
    const Words b = alignedBy<Near>(swap ? ma : mb, swap ? eb - ea : ea - eb);
    const std::uint32_t sign = swap ? signB : signA;
    Words s;
    if constexpr (S == Signs::Same) {
        // 2^125 <= s < 2^127, or 0 for two zeros (of the same sign).
        s = Wide::add(a, b);
        return topped(Wide::add(s, s), e, sign);
    } else if constexpr (S == Signs::Opposite) {
        s = Wide::sub(a, b);
    } else {
        // The smaller negated for opposite signs, as its complement plus
        // one: the signs are as good as random, and a choice between a
        // sum and a difference becomes a branch.
        const std::uint64_t opposite = std::uint64_t{0} - ((signA ^ signB) >> 15);
        s = Wide::add(Wide::add(a, Words{b.hi ^ opposite, b.lo ^ opposite}),
                      Words{0, opposite & 1});
    }
    int up = e + 2;
    if (s.hi == 0) [[unlikely]] {
        if (s.lo == 0) // x - x = +0 when rounding to nearest; -0 + -0 = -0
            return {s, 0, signA & signB};
        s = Words{s.lo, 0};
        up -= 64;
    }
    const int lz = std::countl_zero(s.hi);
    return {shiftedUp(s, lz), up - lz, sign};
}

} // namespace softcore

#undef SOFTCORE_INLINE
