#include "numtext/poweroften.h"

#include <algorithm>
#include <cmath>

#include "extended/extended.h"

namespace {

// An unevaluated sum hi + lo of two extended values with |lo| at most half
// an ulp of hi: about 128 significant bits.
struct ExtendedPair
{
    Extended hi, lo;
};

// a * b exactly, as a pair (Dekker's product: each factor split into two
// halves of 32 bits at 2^32 + 1).
ExtendedPair twoProduct(Extended a, Extended b)
{
    const Extended split = 4294967297.0;
    const Extended p = a * b;
    Extended t = split * a;
    const Extended ah = t - (t - a), al = a - ah;
    t = split * b;
    const Extended bh = t - (t - b), bl = b - bh;
    const Extended e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
    return {p, e};
}

ExtendedPair multiply(ExtendedPair x, ExtendedPair y)
{
    ExtendedPair p = twoProduct(x.hi, y.hi);
    p.lo += x.hi * y.lo + x.lo * y.hi;
    const Extended s = p.hi + p.lo; // the pair's sum, rounded to nearest
    return {s, p.lo - (s - p.hi)};
}

} // namespace

Extended powerOfTen(int n)
{
    ExtendedPair result{1.0, 0.0};
    ExtendedPair base{5.0, 0.0};
    for (unsigned rest = static_cast<unsigned>(n); rest != 0;) {
        if (rest & 1u)
            result = multiply(result, base);
        rest >>= 1;
        if (rest != 0)
            base = multiply(base, base);
    }
    return ext::ldexp(result.hi, n);
}

int decimalExponent(Extended a)
{
    // a lies in [2^E, 2^(E+1)): the estimate is off by at most one.
    const int binary = ext::exponentField(a) - 16383;
    int e = std::clamp(static_cast<int>(std::floor(binary * 0.30102999566398120)), 0, 4931);
    while (e > 0 && a / powerOfTen(e) < Extended(1.0))
        --e;
    while (e < 4931 && !(a / powerOfTen(e + 1) < Extended(1.0)))
        ++e;
    return e;
}
