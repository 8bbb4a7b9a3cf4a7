#include "numtext/poweroften.h"

#include <cmath>

namespace {

// An unevaluated sum hi + lo of two extended values with |lo| at most half
// an ulp of hi: about 128 significant bits.
struct ExtendedPair
{
    long double hi, lo;
};

// a * b exactly, as a pair (Dekker's product: each factor split into two
// halves of 32 bits at 2^32 + 1).
ExtendedPair twoProduct(long double a, long double b)
{
    constexpr long double split = 4294967297.0L;
    const long double p = a * b;
    long double t = split * a;
    const long double ah = t - (t - a), al = a - ah;
    t = split * b;
    const long double bh = t - (t - b), bl = b - bh;
    const long double e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
    return {p, e};
}

ExtendedPair multiply(ExtendedPair x, ExtendedPair y)
{
    ExtendedPair p = twoProduct(x.hi, y.hi);
    p.lo += x.hi * y.lo + x.lo * y.hi;
    const long double s = p.hi + p.lo; // the pair's sum, rounded to nearest
    return {s, p.lo - (s - p.hi)};
}

} // namespace

long double powerOfTen(int n)
{
    ExtendedPair result{1.0L, 0.0L};
    ExtendedPair base{5.0L, 0.0L};
    for (unsigned rest = static_cast<unsigned>(n); rest != 0;) {
        if (rest & 1u)
            result = multiply(result, base);
        rest >>= 1;
        if (rest != 0)
            base = multiply(base, base);
    }
    return ldexpl(result.hi, n);
}
