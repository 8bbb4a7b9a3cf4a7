// Decimal-comma number text.
//
// Both directions work on the decimal digits themselves, in x87 extended
// precision (64-bit significand, extended/extended.h), and never consult the C or Qt
// locale: the window always shows a comma and accepts a comma or a point,
// whatever the desktop's regional settings are.

#include "numtext/numtext.h"

#include "numtext/poweroften.h"

#include <bit>
#include <cmath>
#include <cstddef>

#include "extended/extended.h"

namespace {

// Values from this one upwards round to infinity when converted to double:
// the midpoint between DBL_MAX and 2^1024 (ties go to the even neighbour,
// which is 2^1024). Exactly representable in extended precision.
const Extended kDoubleOverflow = ext::fromBits(0x43FE, 0xFFFFFFFFFFFFFC00ull); // 0x1.fffffffffffff8p1023

// 10^17 and 10^18, exact in extended precision and in 64-bit integers.
const Extended kTenTo17 = 1e17;
constexpr long long kTenTo18 = 1000000000000000000LL;

// The 18-digit decimal string of r (0 <= r < 10^18), leading zeros kept.
std::string eighteenDigits(long long r)
{
    std::string digits(18, '0');
    for (int i = 17; i >= 0 && r > 0; --i) {
        digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + r % 10);
        r /= 10;
    }
    return digits;
}

// The fixed form of a finite value: sign, integer digits, and when decimals
// is above 0 a point and exactly `decimals` fraction digits. Every magnitude
// of a double is written this way, including those of 10^36 and more: a
// large value simply gets all its integer digits (up to 309), the ones past
// the 18-digit string being "0", so that the text reads back as the value.
std::string fixedForm(std::uint8_t decimals, double value)
{
    const Extended a = ext::abs(Extended(value));

    // Digit string and the weight (power of ten) of its first digit.
    long long r;
    int top;
    if (a < Extended(10.0)) {
        r = ext::toInt64Nearest(a * kTenTo17);
        top = 0;
    } else {
        const int e = decimalExponent(a);
        r = ext::toInt64Nearest(a / powerOfTen(e) * kTenTo17);
        top = e;
    }
    std::string digits;
    if (r >= kTenTo18) {
        digits = "1" + eighteenDigits(r - kTenTo18);
        ++top;
    } else {
        digits = eighteenDigits(r);
    }

    // Digit of weight 10^w; positions past the digit string are zeros.
    auto digitOfWeight = [&](int w) -> char {
        const std::size_t index = static_cast<std::size_t>(top - w);
        return index < digits.size() ? digits[index] : '0';
    };

    // Integer digits and `decimals` fraction digits, then round half up on the
    // first dropped digit only.
    std::string kept;
    kept.reserve(static_cast<std::size_t>(top) + 2 + decimals);
    for (int w = top; w >= -static_cast<int>(decimals); --w)
        kept.push_back(digitOfWeight(w));
    if (digitOfWeight(-static_cast<int>(decimals) - 1) >= '5') {
        std::size_t i = kept.size();
        while (i > 0 && kept[i - 1] == '9') {
            kept[i - 1] = '0';
            --i;
        }
        if (i > 0)
            ++kept[i - 1];
        else
            kept.insert(kept.begin(), '1');
    }

    std::string text = std::signbit(value) ? "-" : "";
    const std::size_t integerDigits = kept.size() - decimals;
    text.append(kept, 0, integerDigits);
    if (decimals > 0) {
        text.push_back('.');
        text.append(kept, integerDigits, std::string::npos);
    }
    return text;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The mantissa digits accumulated as A = 10·A + digit in extended precision.
// Once A passes 10^4000 a further digit no longer changes 10·A + digit against
// 10·A, so from there on only the count of such digits is kept (`scale`); A
// then stays finite for digit strings of any length.
struct DigitAccumulator
{
    Extended a = 0.0;
    long long scale = 0;

    void add(char digit)
    {
        static const Extended kTenTo4000 = powerOfTen(4000);
        if (a < kTenTo4000)
            a = Extended(10.0) * a + Extended(digit - '0');
        else
            ++scale;
    }

    // The reading of an invalid text: the digits so far as one whole number.
    double asWholeNumber() const
    {
        if (scale > 0 || a >= kDoubleOverflow)
            throw FloatingPointOverflow();
        return static_cast<double>(a);
    }
};

// Exponent digits beyond this bound no longer count: the bound is far past
// any exponent a real text needs (it would take a text of 10^8 digits to
// bring such a power back into the double range), and keeps the exponent
// clear of integer overflow.
constexpr long long kExponentLimit = 100000000LL;

} // namespace

std::string FormatReal(std::uint8_t width, std::uint8_t decimals, double value)
{
    // An infinity or an undefined value has no digits. It is written as
    // "INF", "-INF" or "NAN": these tell the user what happened and, like any
    // text without a digit before its fault, read back as 0 without a report.
    // The class is taken from the bits, so that even a signalling NaN passes
    // without touching the floating-point unit.
    const std::uint64_t bits = std::bit_cast<std::uint64_t>(value);
    const bool negative = (bits >> 63) != 0;
    const std::uint64_t exponentBits = (bits >> 52) & 0x7FF;
    const std::uint64_t fractionBits = bits & ((std::uint64_t{1} << 52) - 1);
    std::string text;
    if (exponentBits == 0x7FF && fractionBits != 0)
        text = "NAN";
    else if (exponentBits == 0x7FF)
        text = negative ? "-INF" : "INF";
    else
        text = fixedForm(decimals, value);

    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');

    if (decimals > 0) {
        while (text.size() >= 2 && text.back() == '0')
            text.pop_back();
        if (text.size() >= 2 && text.back() == '.')
            text.pop_back();
    }

    if (text == "-0")
        text = "0";

    const std::size_t point = text.find('.');
    if (point != std::string::npos)
        text[point] = ',';
    return text;
}

std::string NormalizeReal(const std::string &text)
{
    std::string result = text;
    for (char &c : result) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c == ',')
            c = '.';
    }
    return result;
}

namespace {

// The exponent part at text[i], if there is one: "E" or "e", a sign, digits
// (held at kExponentLimit once beyond it, which decides the same). False for
// an exponent part without digits.
bool readExponent(const std::string &text, std::size_t &i, long long &exponent)
{
    const std::size_t n = text.size();
    exponent = 0;
    if (i >= n || (text[i] != 'E' && text[i] != 'e'))
        return true;
    ++i;
    bool exponentNegative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        exponentNegative = text[i] == '-';
        ++i;
    }
    if (i >= n || !isDigit(text[i]))
        return false;
    while (i < n && isDigit(text[i])) {
        if (exponent < kExponentLimit)
            exponent = 10 * exponent + (text[i] - '0');
        ++i;
    }
    if (exponentNegative)
        exponent = -exponent;
    return true;
}

// The double of (negative ? -1 : 1) · a · 10^p, for a in 1 ... 10^4001.
double scaledValue(const Extended &a, long long p, bool negative)
{
    const double zero = negative ? -0.0 : 0.0;
    // Value = A · 10^p with 1 <= A < 10^4001. Its decimal order is decided
    // first, so that no intermediate result leaves the extended range: a
    // value of 10^310 or more cannot be a double, one below 10^-400 reads as
    // zero, and for everything in between 10^|p| and the result are finite
    // extended numbers.
    const long long order = decimalExponent(a) + p;
    if (order >= 310)
        throw FloatingPointOverflow();
    if (order < -400)
        return zero;

    Extended magnitude;
    if (p >= 0)
        magnitude = a * powerOfTen(static_cast<int>(p));
    else
        magnitude = a / powerOfTen(static_cast<int>(-p));

    if (magnitude >= kDoubleOverflow)
        throw FloatingPointOverflow();
    const double result = static_cast<double>(magnitude);
    return negative ? -result : result;
}

} // namespace

double ParseReal(const std::string &text)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    DigitAccumulator digits;

    while (i < n && text[i] == ' ')
        ++i;

    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    if (i >= n)
        return digits.asWholeNumber();

    long long fractionDigits = 0;
    while (i < n && isDigit(text[i]))
        digits.add(text[i++]);
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && isDigit(text[i])) {
            digits.add(text[i++]);
            ++fractionDigits;
        }
    }

    long long exponent = 0;
    if (!readExponent(text, i, exponent) || i != n)
        return digits.asWholeNumber();

    if (digits.a == Extended(0.0))
        return negative ? -0.0 : 0.0; // no power of ten can make zero anything else
    return scaledValue(digits.a, digits.scale + exponent - fractionDigits, negative);
}
