// The extended-precision steps of FormatReal and ParseReal on random values,
// against the same steps in GNU MPFR at a 64-bit significand, rounding to
// nearest.

#include "numtext/numtext.h"
#include "numtext/poweroften.h"
#include "extended/extended.h"

#include <gtest/gtest.h>

#include <cstring>
#include <mpfr.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>

namespace {

constexpr mpfr_prec_t kBits = 64;

// An extended-precision scratch value.
struct Ext
{
    Ext() { mpfr_init2(v, kBits); }
    ~Ext() { mpfr_clear(v); }
    Ext(const Ext &) = delete;
    Ext &operator=(const Ext &) = delete;
    mpfr_t v;
};

// 10^n rounded to the extended format.
void exactPowerOfTen(mpfr_t out, long n)
{
    mpfr_ui_pow_ui(out, 10, static_cast<unsigned long>(n), MPFR_RNDN);
}

// The 18-digit string of |value| (1e-300 < |value| < 1e36) and the weight of
// its first digit: R = a * 10^17 for a < 10, else m * 10^17 with m = a / 10^e,
// 1 <= m < 10, rounded to an integer with ties to even; R >= 10^18 gives a
// leading "1" and one more integer digit.
std::string digitString(double value, int &top)
{
    Ext a, m, power, r;
    mpfr_set_d(a.v, std::fabs(value), MPFR_RNDN);
    top = 0;
    if (mpfr_cmp_ui(a.v, 10) < 0) {
        mpfr_set(m.v, a.v, MPFR_RNDN);
    } else {
        // The exponent from the exact value; the division decides m.
        long e = 0;
        Ext probe;
        exactPowerOfTen(probe.v, e + 1);
        while (mpfr_cmp(a.v, probe.v) >= 0)
            exactPowerOfTen(probe.v, ++e + 1);
        exactPowerOfTen(power.v, e);
        mpfr_div(m.v, a.v, power.v, MPFR_RNDN);
        if (mpfr_cmp_ui(m.v, 1) < 0) {
            --e;
            exactPowerOfTen(power.v, e);
            mpfr_div(m.v, a.v, power.v, MPFR_RNDN);
        }
        top = static_cast<int>(e);
    }
    exactPowerOfTen(power.v, 17);
    mpfr_mul(r.v, m.v, power.v, MPFR_RNDN);
    mpfr_rint(r.v, r.v, MPFR_RNDN);
    std::string digits(64, '\0');
    mpfr_sprintf(digits.data(), "%.0Rf", r.v);
    digits.resize(std::char_traits<char>::length(digits.c_str()));
    if (digits.size() > 18)
        ++top;
    else
        digits.insert(0, 18 - digits.size(), '0');
    return digits;
}

// The text FormatReal(1, decimals, value) gives for that digit string:
// decimals kept, half up on the first dropped digit, trailing zeros and a
// bare point dropped, "-0" as "0", a comma for the point.
std::string expectedText(double value, int decimals)
{
    int top = 0;
    const std::string digits = digitString(value, top);
    auto digitOfWeight = [&](int w) {
        const long index = static_cast<long>(top) - w;
        return index >= 0 && index < static_cast<long>(digits.size())
                       ? digits[static_cast<std::size_t>(index)]
                       : '0';
    };
    std::string kept;
    for (int w = std::max(top, 0); w >= -decimals; --w)
        kept.push_back(digitOfWeight(w));
    if (digitOfWeight(-decimals - 1) >= '5') {
        int i = static_cast<int>(kept.size()) - 1;
        for (; i >= 0 && kept[static_cast<std::size_t>(i)] == '9'; --i)
            kept[static_cast<std::size_t>(i)] = '0';
        if (i >= 0)
            ++kept[static_cast<std::size_t>(i)];
        else
            kept.insert(0, "1");
    }
    std::string integer = kept.substr(0, kept.size() - static_cast<std::size_t>(decimals));
    while (integer.size() > 1 && integer[0] == '0')
        integer.erase(0, 1);
    std::string fraction = kept.substr(kept.size() - static_cast<std::size_t>(decimals));
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    std::string text = (std::signbit(value) ? "-" : "") + integer;
    if (!fraction.empty())
        text += "," + fraction;
    return text == "-0" ? "0" : text;
}

TEST(NumtextMpfr, PowersOfTenAreTheNearestExtendedValues)
{
#if defined(MANDEL_HAVE_X87)
    Ext power;
    for (int n = 0; n <= 4932; ++n) {
        exactPowerOfTen(power.v, n);
        // MPFR's nearest x87 value, as bits (Extended may be the software type).
        const long double want = mpfr_get_ld(power.v, MPFR_RNDN);
        unsigned char got[10], wanted[10];
        ext::toBytes(powerOfTen(n), got);
        std::memcpy(wanted, &want, 10);
        ASSERT_EQ(std::memcmp(got, wanted, 10), 0) << "10^" << n;
    }
#else
    GTEST_SKIP() << "MPFR gives the x87 value only as an x87 long double";
#endif
}

TEST(NumtextMpfr, FormatRealDigitStringsOfRandomDoubles)
{
    std::mt19937_64 random(20260201);
    std::uniform_real_distribution<double> exponent(-12.0, 35.9);
    std::uniform_real_distribution<double> unit(1.0, 10.0);
    std::uniform_int_distribution<int> decimals(0, 18);
    std::uniform_int_distribution<int> sign(0, 1);
    for (int i = 0; i < 20000; ++i) {
        double value = unit(random) * std::pow(10.0, std::floor(exponent(random)));
        if (sign(random) == 1)
            value = -value;
        const int d = decimals(random);
        ASSERT_EQ(FormatReal(1, static_cast<std::uint8_t>(d), value), expectedText(value, d))
                << "value " << value << " with " << d << " decimals";
    }
}

// A = 10 A + digit for every digit, then A * 10^p or A / 10^-p, rounded to a
// double.
double expectedReading(const std::string &digits, long p, bool negative)
{
    Ext a, power;
    mpfr_set_ui(a.v, 0, MPFR_RNDN);
    for (char c : digits) {
        mpfr_mul_ui(a.v, a.v, 10, MPFR_RNDN);
        mpfr_add_ui(a.v, a.v, static_cast<unsigned long>(c - '0'), MPFR_RNDN);
    }
    if (p >= 0) {
        exactPowerOfTen(power.v, p);
        mpfr_mul(a.v, a.v, power.v, MPFR_RNDN);
    } else {
        exactPowerOfTen(power.v, -p);
        mpfr_div(a.v, a.v, power.v, MPFR_RNDN);
    }
    const double result = mpfr_get_d(a.v, MPFR_RNDN);
    return negative ? -result : result;
}

TEST(NumtextMpfr, ParseRealOfRandomTexts)
{
    std::mt19937_64 random(20260202);
    std::uniform_int_distribution<int> length(1, 30);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> exponent(-300, 280);
    std::uniform_int_distribution<int> coin(0, 1);
    for (int i = 0; i < 20000; ++i) {
        std::string digits;
        const int n = length(random);
        for (int k = 0; k < n; ++k)
            digits.push_back(static_cast<char>('0' + digit(random)));
        digits[0] = static_cast<char>('1' + digit(random) % 9);
        std::uniform_int_distribution<int> pointAt(0, n);
        const int point = pointAt(random);
        const int x = exponent(random);
        const bool negative = coin(random) == 1;
        std::string text = negative ? "-" : "";
        text += digits.substr(0, static_cast<std::size_t>(point)) + "."
                + digits.substr(static_cast<std::size_t>(point));
        text += "E" + std::to_string(x);
        const long p = x - (n - point);
        ASSERT_EQ(ParseReal(text), expectedReading(digits, p, negative)) << text;
    }
}

} // namespace
