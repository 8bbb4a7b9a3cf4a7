#pragma once
// Operands for the SoftExtended tests: a deterministic stream biased toward
// the cases where rounding and special values go wrong (ties, carries,
// cancellation, the denormal range, overflow, zeros, infinities, NaNs). The
// encodings that fromBits replaces (unnormals, pseudo-NaNs) are tested on
// their own.
// Every draw is its own statement, so that the stream does not depend on the
// compiler's order of evaluation.

#include "extended/softextended.h"

#include <cstdint>

namespace softextgen {

struct Rng
{
    std::uint64_t state;
    explicit Rng(std::uint64_t seed)
        : state(seed)
    {}
    std::uint64_t next() // splitmix64
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned below(unsigned n) { return static_cast<unsigned>((next() >> 32) % n); }
};

// A significand with the integer bit set, often sparse or near a boundary.
inline std::uint64_t significand(Rng &r)
{
    const std::uint64_t top = std::uint64_t{1} << 63;
    switch (r.below(10)) {
    case 0:
        return top;
    case 1:
        return ~std::uint64_t{0} - (r.next() & 0xF);
    case 2:
        return top | (r.next() & 0xF);
    case 3: { // one or two bits below the integer bit
        const unsigned i = r.below(63);
        const unsigned j = r.below(63);
        return top | (std::uint64_t{1} << i) | (std::uint64_t{1} << j);
    }
    case 4: { // low bits zero
        const std::uint64_t bits = r.next();
        const unsigned right = r.below(64);
        const unsigned left = r.below(64);
        return top | ((bits >> right) << left);
    }
    case 5: // a run of ones
        return top | (~std::uint64_t{0} >> (r.below(63) + 1));
    default:
        return top | r.next();
    }
}

inline SoftExtended normal(Rng &r, int exponent, std::uint64_t sig)
{
    const std::uint16_t sign = (r.next() & 1) ? 0x8000 : 0;
    if (exponent < 1)
        exponent = 1;
    if (exponent > 0x7FFE)
        exponent = 0x7FFE;
    return SoftExtended::fromBits(static_cast<std::uint16_t>(sign | exponent), sig);
}

inline SoftExtended value(Rng &r)
{
    const std::uint16_t sign = (r.next() & 1) ? 0x8000 : 0;
    const unsigned kind = r.below(200);
    if (kind < 6)
        return SoftExtended::fromBits(sign, 0);
    if (kind < 10)
        return SoftExtended::fromBits(sign | 0x7FFF, std::uint64_t{1} << 63);
    if (kind < 16) { // NaNs, quiet and signalling, various payloads
        std::uint64_t payload;
        switch (r.below(4)) {
        case 0:
            payload = std::uint64_t{1} << 62;
            break;
        case 1:
            payload = 1 + (r.next() & 3);
            break;
        case 2:
            payload = (std::uint64_t{1} << 62) | (r.next() & 3);
            break;
        default:
            payload = r.next() & ((std::uint64_t{1} << 63) - 1);
        }
        if (payload == 0)
            payload = 1;
        return SoftExtended::fromBits(sign | 0x7FFF, (std::uint64_t{1} << 63) | payload);
    }
    if (kind < 26) { // denormals
        std::uint64_t s = significand(r);
        s >>= 1 + r.below(63);
        if (s == 0)
            s = 1;
        return SoftExtended::fromBits(sign, s);
    }
    int e;
    const unsigned band = r.below(20);
    if (band < 9)
        e = 16383 - 8 + static_cast<int>(r.below(17)); // near 1
    else if (band < 12)
        e = 1 + static_cast<int>(r.below(80)); // near the bottom
    else if (band < 14)
        e = 0x7FFE - static_cast<int>(r.below(80)); // near the top
    else
        e = 1 + static_cast<int>(r.below(0x7FFE));
    return normal(r, e, significand(r));
}

struct Pair
{
    SoftExtended a, b;
};

// Two operands, often related so that results cancel, tie, carry, underflow
// or overflow.
inline Pair pair(Rng &r)
{
    const SoftExtended a = value(r);
    const int ea = static_cast<int>(a.exponentField());
    if (ea == 0 || ea == 0x7FFF)
        return {a, value(r)};
    switch (r.below(8)) {
    case 0:
    case 1: { // close exponents: alignment, ties, carries
        const int d = static_cast<int>(r.below(141)) - 70;
        return {a, normal(r, ea + d, significand(r))};
    }
    case 2: { // nearly equal: cancellation
        std::uint64_t s = a.significand() + (r.next() & 0xFF) - 0x80;
        s |= std::uint64_t{1} << 63;
        const int d = static_cast<int>(r.below(3)) - 1;
        return {a, normal(r, ea + d, d == 0 ? s : (r.next() & 1 ? s : ~std::uint64_t{0}))};
    }
    case 3: { // products near the denormal range
        const int target = static_cast<int>(r.below(90)) - 75;
        return {a, normal(r, target - ea + 16383, significand(r))};
    }
    case 4: { // quotients near the denormal range
        const int target = static_cast<int>(r.below(90)) - 75;
        return {a, normal(r, ea - target + 16383, significand(r))};
    }
    case 5: { // products and quotients near overflow
        const int target = 0x7FFE - static_cast<int>(r.below(6)) + 3;
        if (r.next() & 1)
            return {a, normal(r, target - ea + 16383, significand(r))};
        return {a, normal(r, ea - target + 16383, significand(r))};
    }
    default:
        return {a, value(r)};
    }
}

// FNV-1a over the ten bytes, little-endian, as they lie in memory.
inline std::uint64_t fnv1a(std::uint64_t h, SoftExtended x)
{
    for (int i = 0; i < 8; ++i) {
        h ^= (x.significand() >> (8 * i)) & 0xFF;
        h *= 0x100000001B3ull;
    }
    for (int i = 0; i < 2; ++i) {
        h ^= (x.signExponent() >> (8 * i)) & 0xFF;
        h *= 0x100000001B3ull;
    }
    return h;
}
inline constexpr std::uint64_t kFnvOffset = 0xCBF29CE484222325ull;

// The digest stream: mixed operations on the pairs above, every result
// hashed. B supplies the arithmetic (SoftExtended, or the x87 unit).
// To an integer, downwards, as floorl: from the nearest one, which is one
// too high where it lies above a (then both are below 2^63 in magnitude, so
// the difference is exact).
constexpr SoftExtended floorOf(SoftExtended a)
{
    const SoftExtended r = nearbyint(a);
    return r > a ? r - SoftExtended(1) : r;
}

// Towards zero, as the conversion long double -> long long; a NaN, an
// infinity or a value out of range gives INT64_MIN.
constexpr std::int64_t truncated(SoftExtended a)
{
    if (!isfinite(a) || !(abs(a) < SoftExtended(9223372036854775808.0)))
        return INT64_MIN;
    const std::int64_t m = toInt64Nearest(floorOf(abs(a)));
    return signbit(a) ? -m : m;
}

struct SoftBackend
{
    static SoftExtended add(SoftExtended a, SoftExtended b) { return a + b; }
    static SoftExtended sub(SoftExtended a, SoftExtended b) { return a - b; }
    static SoftExtended mul(SoftExtended a, SoftExtended b) { return a * b; }
    static SoftExtended div(SoftExtended a, SoftExtended b) { return a / b; }
    static bool less(SoftExtended a, SoftExtended b) { return a < b; }
    static bool lessEqual(SoftExtended a, SoftExtended b) { return a <= b; }
    static bool equal(SoftExtended a, SoftExtended b) { return a == b; }
    static double toDouble(SoftExtended a) { return static_cast<double>(a); }
    static SoftExtended fromDouble(double d) { return SoftExtended(d); }
    static SoftExtended round(SoftExtended a) { return nearbyint(a); }
    static std::int64_t toIntNearest(SoftExtended a) { return toInt64Nearest(a); }
    static std::int64_t toIntTruncate(SoftExtended a) { return truncated(a); }
};

constexpr int kDigestSteps = 3000000;

template <class B>
std::uint64_t digest()
{
    Rng r(20240611);
    std::uint64_t h = softextgen::kFnvOffset;
    SoftExtended acc = SoftExtended(0.25);
    for (int i = 0; i < kDigestSteps; ++i) {
        const softextgen::Pair p = softextgen::pair(r);
        SoftExtended out;
        switch (r.below(12)) {
        case 0:
        case 1:
            out = B::add(p.a, p.b);
            break;
        case 2:
        case 3:
            out = B::sub(p.a, p.b);
            break;
        case 4:
        case 5:
            out = B::mul(p.a, p.b);
            break;
        case 6:
            out = B::div(p.a, p.b);
            break;
        case 7:
            out = SoftExtended(static_cast<int>(B::less(p.a, p.b)) + 2 * B::lessEqual(p.a, p.b)
                               + 4 * B::equal(p.a, p.b));
            break;
        case 8:
            out = B::fromDouble(B::toDouble(p.a));
            break;
        case 9:
            out = B::round(p.a);
            break;
        case 10:
            out = SoftExtended(B::toIntNearest(p.a) ^ B::toIntTruncate(p.b));
            break;
        default: // an orbit-like chain: acc = acc * acc - b, kept small
            acc = B::sub(B::mul(acc, acc), SoftExtended(0.75));
            if (!(B::less(acc, SoftExtended(4)) && B::less(SoftExtended(-4), acc)))
                acc = SoftExtended(0.25);
            out = acc;
        }
        h = softextgen::fnv1a(h, out);
    }
    return h;
}

} // namespace softextgen
