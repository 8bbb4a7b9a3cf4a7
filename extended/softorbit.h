#pragma once
// The operations of one escape-time step on the software extended type, in
// a working form that the kernel keeps in registers between steps: the
// 64-bit significand, and the sign (bit 15) above the exponent field in a
// 64-bit word of its own (SoftExtended's two fields without its 16-bit word
// and 16-byte slot). Zero has significand 0 (exponent field 0, or 1 after
// twice()); pack() gives SoftExtended's encoding back.
//
// Each operation is specialised for the shape the step gives it (a*a, a*b,
// A + bb with both non-negative, M - A with M >= A, A - B with both
// non-negative, D + x, t + t + y), is rounded on its own, to nearest even,
// and gives the bits of the general operator, for operands that are zero
// or normal and results that neither overflow nor fall below the normal
// range: an orbit of a finite c, which stops once |z|^2 >= 4, stays far
// inside those bounds. A product needs one 64 x 64 -> 128 multiplication;
// an addition aligns, adds and normalises in 64-bit words. Operands more
// than 62 or 63 places apart (among them a zero beside a nonzero value) and
// a cancellation of the whole upper word go to the general operators.
//
// Branches: a product is normalised, and a sum of unknown signs (D + x,
// t + t + y) formed, without a branch, as those branches went wrong often
// in an orbit. The sums of known signs keep theirs on the operands' order
// and the carry: conditional moves there, and the branch-free form of the
// sum of unknown signs, made more instructions and ran slower.
//
// Header-only; no Qt. Needs unsigned __int128 (GCC, Clang; on aarch64 the
// 64 x 64 -> 128 multiplication is mul and umulh). On x86-64 the rounding,
// the double shift, a product's normalisation and the 128-bit sum with its
// turn are written out in assembly: GCC and Clang make longer sequences of
// them, and the kernel is bound by the count of instructions it issues (the
// normalisation by a double shift alone is five micro-operations on AMD
// processors).

#include <cstdint>

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
    using u128 = unsigned __int128;
    static constexpr std::uint32_t kSign = 0x8000;
    static constexpr std::uint32_t kExpMask = 0x7FFF;
    static constexpr std::uint64_t kIntBit = std::uint64_t{1} << 63;

    struct Value
    {
        std::uint64_t m = 0;  // significand, integer bit set unless zero
        std::uint64_t se = 0; // sign in bit 15, exponent field below it
    };

    // Whether the orbit's operations may take v: zero or normal.
    static constexpr bool admissible(SoftExtended v)
    {
        const unsigned e = v.signExponent_ & kExpMask;
        return e != kExpMask && (e != 0 || v.significand_ == 0);
    }

    static constexpr Value unpack(SoftExtended v) { return {v.significand_, v.signExponent_}; }

    static constexpr SoftExtended pack(Value v)
    {
        const std::uint64_t se = v.m != 0 ? v.se : v.se & kSign;
        return SoftExtended::make(static_cast<std::uint16_t>(se), v.m);
    }

    SOFTORBIT_INLINE static Value mul(Value a, Value b)
    {
        return product((a.se ^ b.se) & kSign,
                       static_cast<int>(a.se & kExpMask) + static_cast<int>(b.se & kExpMask),
                       u128(a.m) * b.m);
    }

    SOFTORBIT_INLINE static Value square(Value a)
    {
        const int e = static_cast<int>(a.se & kExpMask);
        return product(0, e + e, u128(a.m) * a.m);
    }

    // t + t: exact, the exponent one up (a zero stays a zero).
    SOFTORBIT_INLINE static Value twice(Value t) { return {t.m, t.se + 1}; }

    // v >= 4 for v >= 0.
    SOFTORBIT_INLINE static bool atLeastFour(Value v) { return v.se >= 16383 + 2; }

    // a + b of any signs and order, without a branch on them (in an orbit
    // they are as good as random): both significands two places down in 128
    // bits, aligned to the larger exponent, b negated for opposite signs,
    // the sum turned round when negative, normalised and rounded.
    SOFTORBIT_INLINE static Value add(Value a, Value b)
    {
        const int ea = static_cast<int>(a.se & kExpMask);
        const int eb = static_cast<int>(b.se & kExpMask);
        const int e = ea > eb ? ea : eb;
        const int da = e - ea, db = e - eb; // one of them 0
        if (da + db > 62) [[unlikely]]
            return general(a, b);
        // Both aligned to the larger exponent; b in two's complement in 128
        // bits for opposite signs (the words inverted, then one added).
        const std::uint64_t negate = std::uint64_t{0} - (((a.se ^ b.se) >> 15) & 1);
        const std::uint64_t al = a.m << (62 - da);
        const std::uint64_t bl = (b.m << (62 - db)) ^ negate;
        const std::uint64_t bh = ((b.m >> 2) >> db) ^ negate;
        // (ah, al) + (bh, bl) + (negate & 1), in words; then, if negative
        // (|b| > |a|, signs opposite), turned round: (r ^ turn) - turn.
        std::uint64_t rl = al, rh = (a.m >> 2) >> da, turn;
#if defined(__x86_64__) && defined(__GNUC__)
        asm("btq $0, %[neg]\n\t"
            "adcq %[bl], %[rl]\n\t"
            "adcq %[bh], %[rh]\n\t"
            "movq %[rh], %[turn]\n\t"
            "sarq $63, %[turn]\n\t"
            "xorq %[turn], %[rl]\n\t"
            "xorq %[turn], %[rh]\n\t"
            "subq %[turn], %[rl]\n\t"
            "sbbq %[turn], %[rh]"
            : [rl] "+&r"(rl), [rh] "+&r"(rh), [turn] "=&r"(turn)
            : [neg] "r"(negate), [bl] "r"(bl), [bh] "r"(bh)
            : "cc");
#else
        rl += bl;
        rh += bh + (rl < bl);
        std::uint64_t sl = rl;
        rl += negate & 1;
        rh += rl < sl;
        turn = static_cast<std::uint64_t>(static_cast<std::int64_t>(rh) >> 63);
        rl ^= turn;
        rh ^= turn;
        sl = rl;
        rl += turn & 1;
        rh += rl < sl;
#endif
        const std::uint32_t sign = static_cast<std::uint32_t>((a.se ^ turn) & kSign);
        if (rh == 0) [[unlikely]]
            return general(a, b);
        const int lz = __builtin_clzll(rh); // 1 ... 63
        return rounded(sign, e + 2 - lz, shiftedUp(rh, rl, lz), rl << lz);
    }

    // a + b for a, b >= 0 (the exponent word is the exponent field).
    SOFTORBIT_INLINE static Value addNonNegative(Value a, Value b)
    {
        const Ordered o = ordered(a, b);
        return sum(0, o.e, o.bigM, o.smallM, o.d, a, b);
    }

    // a - b for a >= b >= 0.
    SOFTORBIT_INLINE static Value subOrdered(Value a, Value b)
    {
        const int d = static_cast<int>(a.se) - static_cast<int>(b.se);
        return difference<false>(0, static_cast<int>(a.se), a.m, b.m, d, a, b);
    }

    // a - b for a, b >= 0.
    SOFTORBIT_INLINE static Value subNonNegative(Value a, Value b)
    {
        const Ordered o = ordered(a, b);
        return difference<true>(o.swapped ? kSign : 0, o.e, o.bigM, o.smallM, o.d, a, b);
    }

    // Whether a >= b, for a, b >= 0.
    SOFTORBIT_INLINE static bool notBelow(Value a, Value b)
    {
        return a.se != b.se ? a.se > b.se : a.m >= b.m;
    }

    // A - (M - A) for M = A + bb rounded and 0 <= bb <= A: then A <= M <= 2A,
    // so M - A and 2A - M are exact (Sterbenz), and the step's difference is
    // 2A - M, with no rounding. M's exponent is A's or one above.
    SOFTORBIT_INLINE static Value twiceMinus(Value a, Value m)
    {
        const std::uint64_t up = m.se - a.se; // 0 or 1
        // 2A - M in units of M's last place: a.m - m.m or 2 a.m - m.m.
        const std::uint64_t r = a.m + (a.m & (up - 1)) - m.m;
        if (r == 0) [[unlikely]]
            return {0, 0};
        const int lz = __builtin_clzll(r);
        return {r << lz, a.se + up - static_cast<std::uint64_t>(lz)};
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
        const Value D = notBelow(A, bb) ? twiceMinus(A, M) : subNonNegative(A, subOrdered(M, A));
        a = add(D, x);
        b = add(twice(t), y);
        return false;
    }

private:
    // Two non-negative operands by exponent: the larger one's significand and
    // exponent, the other's significand, how far apart, and whether b was the
    // larger.
    struct Ordered
    {
        std::uint64_t bigM, smallM;
        int e, d;
        bool swapped;
    };

    SOFTORBIT_INLINE static Ordered ordered(Value a, Value b)
    {
        const bool swap = b.se > a.se;
        const int ea = static_cast<int>(a.se), eb = static_cast<int>(b.se);
        return {swap ? b.m : a.m, swap ? a.m : b.m, swap ? eb : ea, swap ? eb - ea : ea - eb, swap};
    }

    // hi with its top bit set and the bits below it in lo stand for
    // (hi + lo / 2^64) 2^(e - 16383 - 63): rounded to nearest even, to 64 bits.
    // hi = lo = 0 is a zero of that sign.
    SOFTORBIT_INLINE static Value rounded(std::uint32_t sign, int e, std::uint64_t hi,
                                          std::uint64_t lo)
    {
        // Up when lo > 2^63, or lo = 2^63 and hi odd: the carry out of
        // lo + 2^63 - 1 + (hi & 1).
        const std::uint64_t before = hi;
        bool zero = false;
#if defined(__x86_64__) && defined(__GNUC__)
        asm("btq $0, %[hi]\n\tadcq %[half], %[lo]\n\tadcq $0, %[hi]"
            : [hi] "+r"(hi), [lo] "+r"(lo), "=@ccz"(zero)
            : [half] "r"(0x7FFFFFFFFFFFFFFFull)
            : "cc");
#else
        const std::uint64_t t = lo + 0x7FFFFFFFFFFFFFFFull + (hi & 1);
        hi += t < lo;
        zero = hi == 0;
#endif
        if (zero) [[unlikely]] {
            // Zero before (nothing to round up from it), or all ones
            // before, rounded up past the significand.
            if (before == 0)
                return {0, sign};
            return {kIntBit, sign | static_cast<std::uint32_t>(e + 1)};
        }
        return {hi, sign | static_cast<std::uint32_t>(e)};
    }

    // (hi, lo) shifted left by n, 0 <= n <= 63: the upper word.
    SOFTORBIT_INLINE static std::uint64_t shiftedUp(std::uint64_t hi, std::uint64_t lo, int n)
    {
#if defined(__x86_64__) && defined(__GNUC__)
        asm("shldq %%cl, %1, %0" : "+r"(hi) : "r"(lo), "c"(n) : "cc");
        return hi;
#else
        return (hi << n) | ((lo >> 1) >> (63 - n));
#endif
    }

    // A product of two significands, 2^126 <= p < 2^128 (or 0, for a zero
    // operand); e is the sum of the operands' exponent fields.
    SOFTORBIT_INLINE static Value product(std::uint32_t sign, int e, u128 p)
    {
        std::uint64_t ph = static_cast<std::uint64_t>(p >> 64);
        std::uint64_t pl = static_cast<std::uint64_t>(p);
        // Doubled (one place up) unless the top bit is set, without a branch
        // (the top bit of a product is as good as random); the exponent one
        // lower then.
#if defined(__x86_64__) && defined(__GNUC__)
        std::uint64_t th = ph, tl = pl;
        asm("addq %[tl], %[tl]\n\t"
            "adcq %[th], %[th]\n\t"
            "btq $63, %[ph]\n\t"
            "cmovncq %[th], %[ph]\n\t"
            "cmovncq %[tl], %[pl]\n\t"
            "adcl $-16383, %[e]" // e - 16383 + the top bit
            : [ph] "+r"(ph), [pl] "+r"(pl), [th] "+r"(th), [tl] "+r"(tl), [e] "+r"(e)
            :
            : "cc");
        return rounded(sign, e, ph, pl);
#else
        const std::uint64_t low = (ph >> 63) ^ 1;
        return rounded(sign, e - 16382 - static_cast<int>(low),
                       shiftedUp(ph, pl, static_cast<int>(low)), pl << low);
#endif
    }

    // The general operators, for the cases the operations here leave out:
    // a + b, or a - b.
    template<bool Subtract = false>
    SOFTORBIT_COLD static Value general(Value a, Value b)
    {
        return unpack(Subtract ? pack(a) - pack(b) : pack(a) + pack(b));
    }

    // a + b with the same sign: the significands of the larger (by exponent)
    // and the smaller, the exponent field e of the larger, d >= 0 places
    // above that of the smaller.
    SOFTORBIT_INLINE static Value sum(std::uint32_t sign, int e, std::uint64_t bigM,
                                      std::uint64_t smallM, int d, Value a, Value b)
    {
        if (d > 63) [[unlikely]]
            return general(a, b);
        const std::uint64_t hi = smallM >> d;
        const std::uint64_t lo = (smallM << 1) << (63 - d);
        std::uint64_t s = bigM + hi;
        if (s < hi) { // carried out: one place to the right
            const std::uint64_t rest = (s << 63) | (lo >> 1) | (lo & 1);
            s = (s >> 1) | kIntBit;
            return rounded(sign, e + 1, s, rest);
        }
        return rounded(sign, e, s, lo);
    }

    // a - b for a, b >= 0: the significands of the larger (by exponent) and
    // the smaller, the sign the difference has when the larger is the larger
    // in value, the exponent field e of the larger, d >= 0 places above that
    // of the smaller. MayTurn: with d = 0 the smaller may be the larger in
    // value.
    template<bool MayTurn>
    SOFTORBIT_INLINE static Value difference(std::uint32_t sign, int e, std::uint64_t bigM,
                                             std::uint64_t smallM, int d, Value a, Value b)
    {
        if (d > 63) [[unlikely]]
            return general<true>(a, b);
        const std::uint64_t hi = smallM >> d;
        const std::uint64_t lo = (smallM << 1) << (63 - d);
        std::uint64_t rh = bigM - hi - (lo != 0);
        const std::uint64_t rl = std::uint64_t{0} - lo;
        if (MayTurn) {
            // Only with d = 0 (so lo = 0) can hi exceed bigM: then the
            // difference is small - big, of small's sign.
            const std::uint64_t turn = std::uint64_t{0} - static_cast<std::uint64_t>(bigM < hi);
            rh = (rh ^ turn) - turn;
            sign ^= static_cast<std::uint32_t>(turn) & kSign;
        }
        if (rh == 0) [[unlikely]] {
            if (rl == 0)
                return {0, 0}; // x - x = +0 when rounding to nearest
            return general<true>(a, b);
        }
        const int lz = __builtin_clzll(rh);
        return rounded(sign, e - lz, shiftedUp(rh, rl, lz), rl << lz);
    }
};

#undef SOFTORBIT_INLINE
#undef SOFTORBIT_COLD
