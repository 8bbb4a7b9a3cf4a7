#pragma once
// The software kernel's numbers: extended precision values kept unpacked
// (significand, exponent, sign) while an orbit is iterated, with the few
// operations a step needs. Each gives the bits SoftExtended gives, rounded to
// nearest even, for the values an orbit can take: zero and normal numbers of
// moderate exponent (no denormal, infinity or NaN arises from a finite c,
// whose orbit stops once |z|^2 >= 4). No Qt in here.

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/extended.h"

namespace zoom::kernel {

struct KernelReal
{
    // Nonzero: sig has its top bit set, value (-1)^neg sig 2^(exp - 63).
    // Zero: sig 0, exp kZeroExp.
    std::uint64_t sig;
    std::int32_t exp;
    std::uint32_t neg; // 0 or 1

    static constexpr std::int32_t kZeroExp = -(1 << 20);
};

namespace real {

using u128 = unsigned __int128;

inline KernelReal zero(std::uint32_t neg)
{
    return {0, KernelReal::kZeroExp, neg};
}

// Whether the stored value can be unpacked: zero or normal.
inline bool unpackable(const Extended &v)
{
    const int field = ext::exponentField(v);
    std::uint64_t sig;
    std::memcpy(&sig, &v, 8);
    return field != 0x7FFF && (field != 0 || sig == 0) && (field == 0 || (sig >> 63) != 0);
}

inline KernelReal unpack(const Extended &v)
{
    std::uint64_t sig;
    std::uint16_t se;
    std::memcpy(&sig, &v, 8);
    std::memcpy(&se, reinterpret_cast<const unsigned char *>(&v) + 8, 2);
    const int field = se & 0x7FFF;
    if (field == 0)
        return zero(se >> 15);
    return {sig, field - 16383, static_cast<std::uint32_t>(se >> 15)};
}

inline Extended pack(const KernelReal &v)
{
    const std::uint16_t sign = static_cast<std::uint16_t>(v.neg << 15);
    if (v.sig == 0)
        return ext::fromBits(sign, 0);
    return ext::fromBits(static_cast<std::uint16_t>(sign | (v.exp + 16383)), v.sig);
}

// hi (top bit set) and the bits below it in lo, rounded to nearest even.
inline KernelReal round(std::uint32_t neg, std::int32_t exp, std::uint64_t hi, std::uint64_t lo)
{
    hi += (lo >> 63) & (static_cast<std::uint64_t>((lo << 1) != 0) | (hi & 1));
    if (hi == 0) [[unlikely]] // rounded up past the significand
        return {std::uint64_t{1} << 63, exp + 1, neg};
    return {hi, exp, neg};
}

// A product of two significands, 2^126 <= p < 2^128, of exponent exp
// before its normalisation by one place.
inline KernelReal roundProduct(std::uint32_t neg, std::int32_t exp, u128 p)
{
    const std::uint64_t ph = static_cast<std::uint64_t>(p >> 64);
    const std::uint64_t pl = static_cast<std::uint64_t>(p);
    const bool top = (ph >> 63) != 0;
    const std::uint64_t hi = top ? ph : (ph << 1) | (pl >> 63);
    const std::uint64_t lo = top ? pl : pl << 1;
    return round(neg, exp + top, hi, lo);
}

inline KernelReal mul(const KernelReal &a, const KernelReal &b)
{
    const std::uint32_t neg = a.neg ^ b.neg;
    if ((a.sig == 0) | (b.sig == 0)) [[unlikely]]
        return zero(neg);
    return roundProduct(neg, a.exp + b.exp, static_cast<u128>(a.sig) * b.sig);
}

// The top 64 bits of m (m != 0) and the bits below them, normalised and
// rounded; m stands for m 2^(exp + 1 - 127 - 63) with its top bit at 127.
inline KernelReal normaliseAndRound(std::uint32_t neg, std::int32_t exp, u128 m)
{
    const std::uint64_t high = static_cast<std::uint64_t>(m >> 64);
    const int lz = high != 0 ? std::countl_zero(high)
                             : 64 + std::countl_zero(static_cast<std::uint64_t>(m));
    m <<= lz;
    return round(neg, exp + 1 - lz, static_cast<std::uint64_t>(m >> 64),
                 static_cast<std::uint64_t>(m));
}

// b aligned to an operand of exponent exp placed at bits 126 ... 63, the bits
// shifted out kept as a sticky bit; b lies below a quarter of that operand's
// spacing when the result is 0 with the sticky bit alone.
inline u128 aligned(const KernelReal &b, std::int32_t exp)
{
    const std::int32_t d = exp - b.exp;
    if (d >= 67) [[unlikely]]
        return b.sig != 0;
    const u128 y = static_cast<u128>(b.sig) << 63;
    if (d > 63) {
        const std::uint64_t lost = b.sig & ((std::uint64_t{1} << (d - 63)) - 1);
        return (y >> d) | static_cast<u128>(lost != 0);
    }
    return y >> d;
}

// a + b for |a| >= |b| (b may be zero). Within 63 places b aligned to a is
// hi + lo / 2^64 exactly, and the sum is formed in 64-bit words; further
// apart (rare) the bits of b shifted out are kept as a sticky bit.
inline KernelReal addOrdered(const KernelReal &a, const KernelReal &b)
{
    const std::int32_t d = a.exp - b.exp;
    if (d > 63) [[unlikely]] {
        const u128 x = static_cast<u128>(a.sig) << 63;
        const u128 y = aligned(b, a.exp);
        return normaliseAndRound(a.neg, a.exp, a.neg == b.neg ? x + y : x - y);
    }
    const std::uint64_t hi = b.sig >> d;
    const std::uint64_t lo = (b.sig << 1) << (63 - d);
    if (a.neg == b.neg) {
        std::uint64_t sum = a.sig + hi;
        if (sum < hi) { // carried out: one place to the right
            const std::uint64_t rest = (sum << 63) | (lo >> 1) | (lo & 1);
            sum = (sum >> 1) | (std::uint64_t{1} << 63);
            return round(a.neg, a.exp + 1, sum, rest);
        }
        return round(a.neg, a.exp, sum, lo);
    }
    std::uint64_t rh = a.sig - hi - (lo != 0);
    std::uint64_t rl = -lo;
    if (static_cast<std::int64_t>(rh) < 0)
        return round(a.neg, a.exp, rh, rl);
    if (rh == 0) [[unlikely]] {
        if (rl == 0)
            return zero(0); // x - x is +0
        const int lz = std::countl_zero(rl);
        return round(a.neg, a.exp - 64 - lz, rl << lz, 0);
    }
    const int lz = std::countl_zero(rh); // 1 ... 63
    rh = (rh << lz) | (rl >> (64 - lz));
    rl <<= lz;
    return round(a.neg, a.exp - lz, rh, rl);
}

inline KernelReal add(const KernelReal &a, const KernelReal &b)
{
    if (b.sig == 0) [[unlikely]]
        return a.sig != 0 ? a : zero(a.neg & b.neg); // -0 only for -0 + -0
    if (a.sig == 0) [[unlikely]]
        return b;
    const bool swap = a.exp < b.exp || (a.exp == b.exp && a.sig < b.sig);
    return swap ? addOrdered(b, a) : addOrdered(a, b);
}

// a * a.
inline KernelReal square(const KernelReal &a)
{
    if (a.sig == 0) [[unlikely]]
        return zero(0);
    return roundProduct(0, 2 * a.exp, static_cast<u128>(a.sig) * a.sig);
}

inline KernelReal negated(KernelReal a)
{
    a.neg ^= 1;
    return a;
}

inline KernelReal sub(const KernelReal &a, const KernelReal &b)
{
    return add(a, negated(b));
}

// a - b for a >= b >= 0: no ordering needed.
inline KernelReal subOrdered(const KernelReal &a, const KernelReal &b)
{
    return addOrdered(a, negated(b));
}

// t + t: exact, only the exponent changes.
inline KernelReal twice(KernelReal t)
{
    t.exp += t.sig != 0;
    return t;
}

// v >= 4 for v >= 0.
inline bool atLeastFour(const KernelReal &v)
{
    return v.exp >= 2;
}

} // namespace real

} // namespace zoom::kernel
