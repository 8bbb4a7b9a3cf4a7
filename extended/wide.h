#pragma once
// 128-bit unsigned words for the software extended type: a 64 x 64 -> 128
// multiplication, sums and differences with their carries, shifts, and a
// 128 / 64 division. With a 128-bit integer (GCC, Clang on 64-bit targets)
// the compiler makes them from unsigned __int128 (mul/umulh on aarch64,
// mul and add/adc on x86-64); WideWords does the same in 64-bit halves for
// a compiler without one, and a test holds it to the other.
//
// Header-only; no Qt.

#include <bit>
#include <cstdint>

#if defined(__GNUC__)
#define WIDE_INLINE [[gnu::always_inline]] inline
#else
#define WIDE_INLINE inline
#endif

// hi * 2^64 + lo.
struct Words
{
    std::uint64_t hi = 0, lo = 0;
};

// In 64-bit words only.
struct WideWords
{
    static constexpr Words mul(std::uint64_t a, std::uint64_t b)
    {
        const std::uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32;
        const std::uint64_t b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
        const std::uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
        const std::uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
        return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & 0xFFFFFFFFu)};
    }
    static constexpr Words add(Words a, Words b)
    {
        const std::uint64_t lo = a.lo + b.lo;
        return {a.hi + b.hi + (lo < a.lo), lo};
    }
    static constexpr Words sub(Words a, Words b)
    {
        return {a.hi - b.hi - (a.lo < b.lo), a.lo - b.lo};
    }
    // The carry out of a + b.
    static constexpr std::uint64_t carry(std::uint64_t a, std::uint64_t b) { return a + b < a; }
    static constexpr bool less(Words a, Words b)
    {
        return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo;
    }
    // (hi, lo) / d and the remainder, for hi < d: bit by bit.
    static constexpr Words divide(Words n, std::uint64_t d)
    {
        std::uint64_t r = n.hi, q = 0;
        for (int i = 63; i >= 0; --i) {
            const bool top = (r >> 63) != 0;
            r = (r << 1) | ((n.lo >> i) & 1);
            q <<= 1;
            if (top || r >= d) {
                r -= d;
                q |= 1;
            }
        }
        return {q, r};
    }
};

#if defined(__SIZEOF_INT128__)
// In unsigned __int128.
struct WideInt128
{
    using u128 = unsigned __int128;
    WIDE_INLINE static constexpr u128 join(Words w) { return (u128(w.hi) << 64) | w.lo; }
    WIDE_INLINE static constexpr Words split(u128 v)
    {
        return {static_cast<std::uint64_t>(v >> 64), static_cast<std::uint64_t>(v)};
    }
    WIDE_INLINE static constexpr Words mul(std::uint64_t a, std::uint64_t b)
    {
        return split(u128(a) * b);
    }
    WIDE_INLINE static constexpr Words add(Words a, Words b) { return split(join(a) + join(b)); }
    WIDE_INLINE static constexpr Words sub(Words a, Words b) { return split(join(a) - join(b)); }
    WIDE_INLINE static constexpr std::uint64_t carry(std::uint64_t a, std::uint64_t b)
    {
        std::uint64_t s = 0;
        return __builtin_add_overflow(a, b, &s);
    }
    WIDE_INLINE static constexpr bool less(Words a, Words b) { return join(a) < join(b); }
    static constexpr Words divide(Words n, std::uint64_t d)
    {
        const u128 v = join(n);
        return {static_cast<std::uint64_t>(v / d), static_cast<std::uint64_t>(v % d)};
    }
};
using Wide = WideInt128;
#else
using Wide = WideWords;
#endif

// (hi, lo) shifted left by n, 0 <= n <= 63.
WIDE_INLINE constexpr Words shiftedUp(Words w, int n)
{
    return {(w.hi << n) | ((w.lo >> 1) >> (63 - n)), w.lo << n};
}

// (hi, lo) shifted right by n >= 0, the bits shifted out kept as a sticky
// last bit.
constexpr Words shiftedDownSticky(Words w, unsigned n)
{
    if (n == 0)
        return w;
    if (n < 64)
        return {w.hi >> n, (w.hi << (64 - n)) | (w.lo >> n) | ((w.lo << (64 - n)) != 0)};
    if (n < 128) {
        const unsigned k = n - 64;
        const std::uint64_t lost = (w.lo != 0) | (k != 0 && (w.hi << (64 - k)) != 0);
        return {0, (w.hi >> k) | lost};
    }
    return {0, (w.hi | w.lo) != 0};
}

#undef WIDE_INLINE
