#pragma once
// The operations of one escape-time step on the software extended type, in
// the working form softcore::Value, which the kernel keeps in registers
// between steps. They are made of softcore.h's rounding, normalisation and
// alignment, as SoftExtended's operators are, and give the operators' bits
// for operands that are zero or normal and results that neither overflow
// nor fall below the normal range: an orbit of a finite c, which stops once
// |z|^2 >= 4, stays far inside those bounds. So they leave out only the
// range checks, and a sum whose operands lie more than 62 places apart
// (among them a zero beside a nonzero value), which goes to the operators.
//
// Zero has significand 0 (exponent field 0, or 1 after twice()); pack()
// gives SoftExtended's encoding back.
//
// Header-only; no Qt.

#include <bit>
#include <cstdint>

#include "extended/softcore.h"
#include "extended/softextended.h"

#if defined(__GNUC__)
#define SOFTORBIT_INLINE [[gnu::always_inline]] inline
#define SOFTORBIT_COLD [[gnu::noinline, gnu::cold]]
#else
#define SOFTORBIT_INLINE inline
#define SOFTORBIT_COLD
#endif

struct SoftOrbit
{
    using Value = softcore::Value;
    static constexpr std::uint32_t kSign = softcore::kSign;
    static constexpr std::uint32_t kExpMask = softcore::kExpMask;

    // Whether the orbit's operations may take v: zero or normal.
    static constexpr bool admissible(SoftExtended v)
    {
        const unsigned e = v.signExponent_ & kExpMask;
        return e != kExpMask && (e != 0 || v.significand_ == 0);
    }

    static constexpr Value unpack(SoftExtended v)
    {
        return {v.significand_, v.signExponent_ & kExpMask, v.signExponent_ & kSign};
    }

    static constexpr SoftExtended pack(Value v)
    {
        const std::uint32_t se = v.m != 0 ? v.sign | static_cast<std::uint32_t>(v.e) : v.sign;
        return SoftExtended::make(static_cast<std::uint16_t>(se), v.m);
    }

    SOFTORBIT_INLINE static Value mul(Value a, Value b)
    {
        return softcore::rounded(
            softcore::product(a.sign ^ b.sign, static_cast<int>(a.e + b.e), a.m, b.m));
    }

    SOFTORBIT_INLINE static Value square(Value a)
    {
        return softcore::rounded(softcore::product(0, static_cast<int>(a.e + a.e), a.m, a.m));
    }

    // t + t: exact, the exponent one up (a zero stays a zero).
    SOFTORBIT_INLINE static Value twice(Value t) { return {t.m, t.e + 1, t.sign}; }

    // v >= 4 for v >= 0.
    SOFTORBIT_INLINE static bool atLeastFour(Value v) { return v.e >= 16383 + 2; }

    // a + b of any signs and order.
    SOFTORBIT_INLINE static Value add(Value a, Value b) { return sum<softcore::Signs::Any>(a, b); }

    // a - b.
    SOFTORBIT_INLINE static Value sub(Value a, Value b) { return add(a, negated(b)); }

    // a + b for a, b >= 0.
    SOFTORBIT_INLINE static Value addNonNegative(Value a, Value b)
    {
        return sum<softcore::Signs::Same>(a, b);
    }

    // a - b for a >= b >= 0.
    SOFTORBIT_INLINE static Value subOrdered(Value a, Value b)
    {
        return sum<softcore::Signs::Opposite>(a, negated(b));
    }

    // Whether a >= b, for a, b >= 0.
    SOFTORBIT_INLINE static bool notBelow(Value a, Value b)
    {
        return a.e != b.e ? a.e > b.e : a.m >= b.m;
    }

    // A - (M - A) for M = A + bb rounded and 0 <= bb <= A: then A <= M <= 2A,
    // so M - A and 2A - M are exact (Sterbenz), and the step's difference is
    // 2A - M, with no rounding. M's exponent is A's or one above.
    SOFTORBIT_INLINE static Value twiceMinus(Value a, Value m)
    {
        const std::uint64_t up = static_cast<std::uint64_t>(m.e - a.e); // 0 or 1
        // 2A - M in units of M's last place: a.m - m.m or 2 a.m - m.m.
        const std::uint64_t r = a.m + (a.m & (up - 1)) - m.m;
        if (r == 0) [[unlikely]]
            return {0, 0, 0};
        const int lz = std::countl_zero(r);
        return {r << lz, a.e + static_cast<std::int64_t>(up) - lz, 0};
    }

    // The step's A - B with B = M - A, M = A + bb rounded, A, bb >= 0. For
    // bb > A: M >= 2A, so B >= A, and A - B = (-B) + A with |B| >= |A|.
    SOFTORBIT_INLINE static Value difference(Value A, Value bb, Value M)
    {
        if (notBelow(A, bb))
            return twiceMinus(A, M);
        return sum<softcore::Signs::Opposite>(negated(subOrdered(M, A)), A);
    }

    // One step of an orbit: A = a*a, t = a*b, bb = b*b, M = A + bb; whether
    // M >= 4 (the orbit escapes on it); else a = (A - B) + x with B = M - A
    // (2A - M without rounding for bb <= A), b = t + t + y.
    SOFTORBIT_INLINE static bool step(Value &a, Value &b, Value x, Value y)
    {
        const Value A = square(a);
        const Value t = mul(a, b);
        const Value bb = square(b);
        const Value M = addNonNegative(A, bb);
        if (atLeastFour(M))
            return true;
        const Value D = difference(A, bb, M);
        a = add(D, x);
        b = add(twice(t), y);
        return false;
    }

private:
    SOFTORBIT_INLINE static Value negated(Value v) { return {v.m, v.e, v.sign ^ kSign}; }

    // The sum of the shape S; exponents more than 62 apart go to the general
    // operator.
    template<softcore::Signs S>
    SOFTORBIT_INLINE static Value sum(Value a, Value b)
    {
        const int ea = static_cast<int>(a.e);
        const int eb = static_cast<int>(b.e);
        const bool far = S == softcore::Signs::Opposite
                             ? ea - eb > 62
                             : static_cast<unsigned>(ea - eb + 62) > 124u;
        if (far) [[unlikely]]
            return general(a, b);
        return softcore::rounded(softcore::sum<S, true>(a.sign, ea, a.m, b.sign, eb, b.m));
    }

    // The general operator, for the sums the operations here leave out.
    SOFTORBIT_COLD static Value general(Value a, Value b) { return unpack(pack(a) + pack(b)); }
};

#undef SOFTORBIT_INLINE
#undef SOFTORBIT_COLD
