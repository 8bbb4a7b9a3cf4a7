// Decimal-comma number text: FormatReal, NormalizeReal, ParseReal.
// ReadReal needs a QLineEdit and is exercised by the widget tests.

#include "numtext/numtext.h"
#include "numtext/poweroften.h"
#include "extended/extended.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cfenv>
#include <cmath>
#include <fenv.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <limits>
#include <locale.h>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace {

struct FormatCase
{
    double value;
    int decimals;
    std::string expected;
};

std::string label(const FormatCase &c)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17g with %d decimals", c.value, c.decimals);
    return buffer;
}

void expectFormats(const std::vector<FormatCase> &cases)
{
    for (const FormatCase &c : cases) {
        EXPECT_EQ(FormatReal(1, static_cast<std::uint8_t>(c.decimals), c.value), c.expected)
                << label(c);
    }
}

// Reads a typed text the way the window does.
double read(const std::string &typed)
{
    return ParseReal(NormalizeReal(typed));
}

struct ReadCase
{
    std::string typed;
    double expected;
};

void expectReads(const std::vector<ReadCase> &cases)
{
    for (const ReadCase &c : cases) {
        double got = std::nan("");
        EXPECT_NO_THROW(got = read(c.typed)) << '"' << c.typed << '"';
        EXPECT_EQ(got, c.expected) << '"' << c.typed << '"';
        EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << '"' << c.typed << '"';
    }
}

std::string repeat(char c, std::size_t count)
{
    return std::string(count, c);
}

// The displayed shape: optional "-", integer digits without a superfluous
// leading zero, and optionally "," with at most `decimals` fraction digits,
// the last of them not "0". Never "-0".
bool hasDisplayShape(const std::string &text, int decimals)
{
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-')
        ++i;
    const std::size_t integerStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    const std::size_t integerDigits = i - integerStart;
    if (integerDigits == 0)
        return false;
    if (integerDigits > 1 && text[integerStart] == '0')
        return false;
    if (i == text.size())
        return text != "-0";
    if (text[i] != ',')
        return false;
    ++i;
    const std::size_t fractionStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    const std::size_t fractionDigits = i - fractionStart;
    return i == text.size() && fractionDigits >= 1
           && fractionDigits <= static_cast<std::size_t>(decimals) && text.back() != '0';
}

double ulp(double v)
{
    const double a = std::fabs(v);
    return std::nextafter(a, std::numeric_limits<double>::infinity()) - a;
}

} // namespace

// ---------------------------------------------------------------- FormatReal

TEST(FormatRealTest, EdgeCaseTable)
{
    expectFormats({
            {-1.41, 10, "-1,41"},
            {0.0, 10, "0"},
            {-0.0, 10, "0"},
            {-1e-13, 10, "0"},
            {-1e-13, 12, "0"},
            {-5e-11, 10, "-0,0000000001"},
            {4.9e-11, 10, "0"},
            {1.5e-10, 10, "0,0000000002"},
            {1e-11, 12, "0,00000000001"},
            {0.3, 10, "0,3"},
            {-2.0, 10, "-2"},
            {100.0, 10, "100"},
            {0.99999999999, 10, "1"},
            {9.99999999999, 10, "10"},
            {2.0 / 3.0, 12, "0,666666666667"},
            {-0.123456789012345, 12, "-0,123456789012"},
            {1234567.25, 10, "1234567,25"},
    });
}

TEST(FormatRealTest, RoundingOnTheDigitString)
{
    expectFormats({
            // Half away from zero on the first dropped digit.
            {5e-11, 10, "0,0000000001"},
            {-5e-11, 12, "-0,00000000005"},
            // 4.9999999999e-11 has only 17 decimals in its digit string, which
            // reads ...0500000000: it rounds up.
            {4.9999999999e-11, 10, "0,0000000001"},
            {4.99999e-11, 10, "0"},
            {-4.99999e-11, 10, "0"},
            {0.12345678905, 10, "0,1234567891"},
            {0.12345678904, 10, "0,123456789"},
            {0.5, 0, "1"},
            {1.5, 0, "2"},
            {2.5, 0, "3"},
            {-2.5, 0, "-3"},
            {0.49, 0, "0"},
            {-0.4, 0, "0"},
            // The double nearest 7.000000000005 lies below it (7.0000000000049995...),
            // its digit string reads 700000000000499956: only the first dropped
            // digit decides.
            {7.000000000005, 11, "7"},
            {7.000000000005, 12, "7,000000000005"},
            // Carries through nines into a new leading digit.
            {0.99999999999, 10, "1"},
            {-0.99999999999, 10, "-1"},
            {9.99999999999, 10, "10"},
            {-9.99999999999, 10, "-10"},
            {99.999999999996, 10, "100"},
            {999.9999999999999, 10, "1000"},
            {999999999999999.9, 0, "1000000000000000"},
            {999999999999999.9, 10, "999999999999999,875"},
            {0.99999999999, 12, "0,99999999999"},
            {9.99999999999, 12, "9,99999999999"},
            // Zeros of the integer part stay.
            {1000.0, 10, "1000"},
            {10.0, 10, "10"},
            {-100.0, 12, "-100"},
            {1e-10, 10, "0,0000000001"},
            {1e-12, 12, "0,000000000001"},
            {3.0, 0, "3"},
            {0.0, 0, "0"},
            {-0.0, 0, "0"},
            // Negative subnormal and tiny values lose their sign with their digits.
            {-5e-324, 10, "0"},
            {5e-324, 12, "0"},
            {-DBL_MIN, 12, "0"},
    });
}

TEST(FormatRealTest, DigitsPastTheEighteenDigitStringAreZeros)
{
    expectFormats({
            // 123456789.98765432834625... : 18 digits 123456789987654328.
            {123456789.987654321, 10, "123456789,987654328"},
            {123456789.987654321, 12, "123456789,987654328"},
            {1e20, 10, "100000000000000000000"},
            // 12345678901234567168 exactly.
            {12345678901234567890.0, 10, "12345678901234567200"},
            // 99999999999999991611392 exactly.
            {1e23, 10, "99999999999999991600000"},
            // 2^100 = 1267650600228229401496703205376.
            {1267650600228229401496703205376.0, 10, "1267650600228229400000000000000"},
    });
}

TEST(FormatRealTest, MagnitudesAroundTenToThe36)
{
    expectFormats({
            // 99999999999999996863366107917975552 exactly.
            {1e35, 10, "99999999999999996900000000000000000"},
            {-1e35, 12, "-99999999999999996900000000000000000"},
            // 123456789012345680420001586706644992 exactly.
            {1.2345678901234568e35, 10, "123456789012345680000000000000000000"},
            // 500000000000000021210318687008980992 exactly.
            {5e35, 10, "500000000000000021000000000000000000"},
            // 999999999999999894846684784341549056 exactly.
            {9.999999999999999e35, 10, "999999999999999895000000000000000000"},
            // From here on the same form goes on, with all integer digits.
            // 1000000000000000042420637374017961984 exactly.
            {1e36, 10, "1000000000000000040000000000000000000"},
            {-1e36, 10, "-1000000000000000040000000000000000000"},
    });
}

TEST(FormatRealTest, HugeMagnitudesGetAllTheirIntegerDigits)
{
    // DBL_MAX = 1.797693134862315708145...e308: 309 integer digits.
    EXPECT_EQ(FormatReal(1, 10, DBL_MAX), "179769313486231571" + repeat('0', 291));
    EXPECT_EQ(FormatReal(1, 12, -DBL_MAX), "-179769313486231571" + repeat('0', 291));
    // 1e300 = 1.000000000000000052504...e300.
    EXPECT_EQ(FormatReal(1, 10, 1e300), "100000000000000005" + repeat('0', 283));
    // Such a text reads back as the value it came from.
    EXPECT_EQ(read(FormatReal(1, 10, DBL_MAX)), DBL_MAX);
    EXPECT_EQ(read(FormatReal(1, 10, -1e300)), -1e300);
}

TEST(FormatRealTest, JustBelowPowersOfTen)
{
    // 1e98 = 9.9999999999999999769...e97 and the double below 1e46 =
    // 9.999999999999998663...e45 must not get a leading "0", and
    // 1e153 = 9.9999999999999999997...e152 rounds up to a new digit.
    EXPECT_EQ(FormatReal(1, 10, 1e98), "999999999999999998" + repeat('0', 80));
    EXPECT_EQ(FormatReal(1, 10, std::nextafter(1e46, 0.0)), "999999999999999866" + repeat('0', 28));
    EXPECT_EQ(FormatReal(1, 10, 1e153), "1" + repeat('0', 153));

    // Around every power of ten of the double range: the display shape, and
    // a text that reads back as the value.
    for (int e = -12; e <= 308; ++e) {
        const double p = std::stod("1e" + std::to_string(e));
        for (double v : {std::nextafter(p, 0.0), p, std::nextafter(p, DBL_MAX), -p}) {
            const std::string text = FormatReal(1, 12, v);
            ASSERT_TRUE(hasDisplayShape(text, 12)) << text;
            EXPECT_LE(std::fabs(read(text) - v), 0.5e-12 + ulp(v)) << text;
        }
    }
}

TEST(FormatRealTest, InfinityAndNanAreWordsThatReadAsZero)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<FormatCase> cases = {
            {inf, 10, "INF"},
            {-inf, 10, "-INF"},
            {nan, 10, "NAN"},
            {-nan, 12, "NAN"},
            {inf, 0, "INF"},
            {nan, 0, "NAN"},
            {std::numeric_limits<double>::signaling_NaN(), 10, "NAN"},
    };
    expectFormats(cases);
    for (const FormatCase &c : cases) {
        double back = 1.0;
        EXPECT_NO_THROW(back = read(FormatReal(1, 10, c.value))) << label(c);
        EXPECT_EQ(back, 0.0) << label(c);
    }
}

TEST(FormatRealTest, WidthPadsWithBlanksBeforeTrimming)
{
    EXPECT_EQ(FormatReal(8, 10, -1.41), "-1,41");     // text already wider
    EXPECT_EQ(FormatReal(16, 10, -1.41), "   -1,41"); // "   -1.4100000000"
    EXPECT_EQ(FormatReal(6, 0, 42.0), "    42");
    EXPECT_EQ(FormatReal(4, 2, 0.0), "0");    // "0.00" is 4 wide
    EXPECT_EQ(FormatReal(7, 2, 0.0), "   0"); // "   0.00"
    // Only the whole text "-0" becomes "0"; blanks in front keep the sign.
    EXPECT_EQ(FormatReal(2, 0, -0.0), "0");
    EXPECT_EQ(FormatReal(3, 0, -0.0), " -0");
    EXPECT_EQ(FormatReal(8, 3, -0.0001), "  -0"); // "  -0.000"
    EXPECT_EQ(FormatReal(5, 10, std::numeric_limits<double>::infinity()), "  INF");
}

TEST(FormatRealTest, ManyDecimals)
{
    // 0.1 = 0.1000000000000000055511151231257827...: 17 decimals in the
    // digit string (0.10000000000000001), zeros after them.
    EXPECT_EQ(FormatReal(1, 17, 0.1), "0,10000000000000001");
    EXPECT_EQ(FormatReal(1, 16, 0.1), "0,1");
    EXPECT_EQ(FormatReal(1, 255, 0.1), "0,10000000000000001");
    EXPECT_EQ(FormatReal(1, 17, 1.0 / 3.0), "0,33333333333333331");
    EXPECT_EQ(FormatReal(1, 255, -1.0 / 3.0), "-0,33333333333333331");
    // 123.456 = 123.4560000000000030695...: 18 digits 123456000000000003.
    EXPECT_EQ(FormatReal(1, 20, 123.456), "123,456000000000003");
    EXPECT_EQ(FormatReal(1, 14, 123.456), "123,456");
}

// ------------------------------------------------------------- NormalizeReal

TEST(NormalizeRealTest, CapitalsAndPoints)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
            {"", ""},
            {"-1,41", "-1.41"},
            {"1e6", "1E6"},
            {"1,5e-3", "1.5E-3"},
            {"1.000,000", "1.000.000"},
            {"abcdefghijklmnopqrstuvwxyz", "ABCDEFGHIJKLMNOPQRSTUVWXYZ"},
            {"ABC,def", "ABC.DEF"},
            {"\t 5 ,", "\t 5 ."},
            // Only ASCII letters change; other bytes stay as they are.
            {"\xC3\xA4\xC3\x9F,e", "\xC3\xA4\xC3\x9F.E"},
            {std::string("a\0,b", 4), std::string("A\0.B", 4)},
            {"{}[]`@", "{}[]`@"},
    };
    for (const auto &[typed, normalised] : cases) {
        const std::string before = typed;
        EXPECT_EQ(NormalizeReal(typed), normalised) << '"' << typed << '"';
        EXPECT_EQ(typed, before);
    }
}

// ----------------------------------------------------------------- ParseReal

TEST(ParseRealTest, TypedTextTable)
{
    expectReads({
            {"-1,41", -1.41},
            {" 2,5", 2.5},
            {"2,5 ", 25.0},
            {"1e6", 1000000.0},
            {"1,5E-3", 0.0015},
            {"+,5", 0.5},
            {",", 0.0},
            {"1.000.000", 1000.0},
            {"1,5E2x", 15.0},
            {"1E", 1.0},
            {"-3x", 3.0},
            {"", 0.0},
            {"-", 0.0},
            {"abc", 0.0},
            {"\t5", 0.0},
    });
    EXPECT_THROW(read("1E400"), FloatingPointOverflow);
}

TEST(ParseRealTest, OverflowMessage)
{
    try {
        read("1E400");
        FAIL() << "no overflow";
    } catch (const std::exception &e) {
        EXPECT_STREQ(e.what(), "Floating point overflow");
    }
}

TEST(ParseRealTest, ExponentForms)
{
    expectReads({
            {"1E+5", 1e5},
            {"1e-5", 1e-5},
            {"1E5", 1e5},
            {"1E05", 1e5},
            {"1E-0", 1.0},
            {"2,5e+2", 250.0},
            {"-2,5E-2", -0.025},
            {"12E-1", 1.2},
            {",5E1", 5.0},
            {"5,E1", 50.0},
            {"E5", 0.0},
            {"-E5", -0.0},
            {"e-5", 0.0},
            {".", 0.0},
            {"-.", -0.0},
            {"+.", 0.0},
            {"+,5", 0.5},
            {"-,25", -0.25},
            {"0E99999", 0.0},
            {"0E-99999", 0.0},
            {"-0E99999", -0.0},
            {"0,000E400", 0.0},
            // Incomplete or broken exponents: the mantissa digits as a whole number.
            {"1E", 1.0},
            {"1E+", 1.0},
            {"1E-", 1.0},
            {"-1,5E", 15.0},
            {"1EE5", 1.0},
            {"1E+-5", 1.0},
            {"1E5,5", 1.0},
            {"1E5E5", 1.0},
            {"1,25E2 ", 125.0},
            {"E", 0.0},
            {"+E", 0.0},
    });
}

TEST(ParseRealTest, LeadingBlanksAndSigns)
{
    expectReads({
            {"   7", 7.0},
            {" -7", -7.0},
            {"  +7,5", 7.5},
            {" ", 0.0},
            {"   ", 0.0},
            {" -", 0.0},
            {" +", 0.0},
            {"\t5", 0.0},
            {" \t5", 0.0},
            {"\n5", 0.0},
            {"\r5", 0.0},
            {"\xA0"
             "5",
             0.0},
            {"- 5", 0.0},
            {"--5", 0.0},
            {"+-5", 0.0},
            {"-+5", 0.0},
            {"5-", 5.0},
            {"7 ", 7.0},
            {"1 000", 1.0},
            {"-0", -0.0},
            {"+0", 0.0},
            {"-0,0", -0.0},
            {"0", 0.0},
            {"007", 7.0},
            {"-0,50", -0.5},
    });
}

TEST(ParseRealTest, InvalidAtEveryPosition)
{
    // "-12,5E+3" reads as -12500; a fault at each position leaves the
    // mantissa digits read so far, without point, sign or exponent.
    const std::string text = "-12,5E+3";
    EXPECT_EQ(read(text), -12500.0);
    const double digitsBefore[] = {0, 0, 1, 12, 12, 125, 125, 125, 125};
    const std::vector<std::string> faults = {"X",    " ",        "\t",
                                             "+",    "\xC3\xA4", std::string(1, '\0'),
                                             "\x7F", "\xFF"};
    for (std::size_t pos = 0; pos <= text.size(); ++pos) {
        for (const std::string &fault : faults) {
            std::string broken = text;
            broken.insert(pos, fault);
            if (fault == " " && pos == 0)
                continue; // a leading blank is skipped
            EXPECT_EQ(read(broken), digitsBefore[pos])
                    << "fault " << static_cast<int>(static_cast<unsigned char>(fault[0])) << " at "
                    << pos;
        }
    }
    // The text cut short at each position.
    const double prefixValue[] = {0, 0, -1, -12, -12, -12.5, 125, 125, -12500};
    for (std::size_t len = 0; len <= text.size(); ++len)
        EXPECT_EQ(read(text.substr(0, len)), prefixValue[len]) << "first " << len << " characters";
    // A second sign where one is already taken.
    EXPECT_EQ(read("-+12,5E+3"), 0.0);
    EXPECT_EQ(read("-12,5E++3"), 125.0);
}

TEST(ParseRealTest, SecondSeparators)
{
    expectReads({
            {"1,2,3", 12.0},
            {"1.2,3", 12.0},
            {",,", 0.0},
            {"1,,", 1.0},
            {"-,,5", 0.0},
            {"0,5,", 5.0},
    });
}

TEST(ParseRealTest, RangeLimits)
{
    expectReads({
            {"1E308", 1e308},
            {"-1E308", -1e308},
            {"1,7976931348623157E308", DBL_MAX},
            // Below the midpoint between DBL_MAX and 2^1024: still DBL_MAX.
            {"1,7976931348623158E308", DBL_MAX},
            {"1797693134862315708145274237317043567980705675258449965989174768031572607800285387605"
             "8955863276687817154045895351438246423432132688946418276846754670353751698604991057655"
             "1282076245490090389328944075868508455133942304583236903222948165808559332123348274797"
             "826204144723168738177180919299881250404026184124858368",
             DBL_MAX},
            {"2,2250738585072014E-308", DBL_MIN},
            {"4,9406564584124654E-324", std::numeric_limits<double>::denorm_min()},
            {"-4,9406564584124654E-324", -std::numeric_limits<double>::denorm_min()},
            {"3E-324", std::numeric_limits<double>::denorm_min()},
            {"2E-324", 0.0},
            {"-2E-324", -0.0},
            {"1E-400", 0.0},
            {"-1E-400", -0.0},
            {"1E-5000", 0.0},
            {"1E-99999999999999999999999", 0.0},
            {"-1E-99999999999999999999999", -0.0},
            {"0E99999999999999999999999", 0.0},
            {"1E-18446744073709551617", 0.0},
            {"1E-4294967306", 0.0},
            {"1E-310", 1e-310},
    });
}

TEST(ParseRealTest, OverflowAlwaysThrows)
{
    const std::vector<std::string> texts = {
            "1E400",
            "-1E400",
            "1E309",
            "-1E309",
            "1,7976931348623159E308",
            "-1,7976931348623159E308",
            "18E307",
            "0,00002E313",
            "1E99999999999999999999999",
            // 2^64 + 1: the exponent must not wrap around to 1.
            "1E18446744073709551617",
            "1E4294967306",
            "-1E99999999999999999999999",
            "1E4932",
            "1E4933",
            "1E5000",
            // Valid texts whose digits alone are too large.
            repeat('1', 310),
            repeat('9', 309),
            "-" + repeat('9', 309),
            repeat('1', 310) + ",5",
            repeat('1', 5000),
            repeat('9', 20000) + "E-10",
            // Invalid texts read as their digits so far, which are too large.
            repeat('1', 310) + "X",
            "-" + repeat('1', 310) + "X",
            repeat('9', 309) + " ",
            repeat('1', 200) + "," + repeat('1', 110) + "E",
            repeat('1', 310) + "E-400x",
            repeat('1', 6000) + "X",
            repeat('7', 50000) + "E-49990 ",
    };
    for (const std::string &text : texts)
        EXPECT_THROW(read(text), FloatingPointOverflow)
                << text.substr(0, 40) << "... (" << text.size() << " characters)";
}

TEST(ParseRealTest, LongDigitStringsDoNotOverflowOnTheirOwn)
{
    struct LongCase
    {
        std::string text;
        double expected;
        double relativeTolerance;
    };
    const std::string ones309 = repeat('1', 309);
    const std::vector<LongCase> cases = {
            // 309 digits are still a double, valid or not.
            {ones309, 1.1111111111111111e308, 1e-15},
            {ones309 + "X", 1.1111111111111111e308, 1e-15},
            {repeat('1', 400) + "E-100", 1.1111111111111111e299, 1e-15},
            {repeat('1', 400) + "E-400", 0.11111111111111111, 1e-15},
            {"0," + repeat('0', 5000) + "1E5001", 1.0, 0.0},
            {"-0," + repeat('0', 5000) + "25E5001", -2.5, 0.0},
            {"1" + repeat('0', 5000) + "E-5000", 1.0, 1e-15},
            {repeat('1', 5000) + "E-4990", 1111111111.1111111, 1e-15},
            {repeat('3', 6000) + "," + repeat('3', 3000) + "E-5999", 3.3333333333333333, 1e-15},
            {repeat('9', 10000) + "E-99999999999", 0.0, 0.0},
            {repeat('9', 10000) + "E-10300", 1e-300, 1e-15},
            {"-" + repeat('5', 10000) + "E-10000", -0.55555555555555558, 1e-15},
            {"0," + repeat('1', 20000), 0.11111111111111111, 1e-15},
    };
    for (const LongCase &c : cases) {
        double got = std::nan("");
        ASSERT_NO_THROW(got = read(c.text)) << c.text.size() << " characters";
        ASSERT_TRUE(std::isfinite(got));
        EXPECT_LE(std::fabs(got - c.expected), c.relativeTolerance * std::fabs(c.expected))
                << c.text.substr(0, 30) << "... (" << c.text.size() << " characters): " << got;
    }
}

TEST(NumtextTrapsTest, NoFloatingPointTrapWhenTheyAreEnabled)
{
    // With overflow, invalid-operation and division-by-zero traps switched
    // on, a read or a format that made an infinity or a NaN on its way would
    // end the process with SIGFPE.
    struct TrapGuard
    {
        int previous = fegetexcept();
        TrapGuard() { feenableexcept(FE_OVERFLOW | FE_INVALID | FE_DIVBYZERO); }
        ~TrapGuard()
        {
            fedisableexcept(FE_ALL_EXCEPT);
            feclearexcept(FE_ALL_EXCEPT);
            feenableexcept(previous);
        }
    };
    const std::vector<std::string> texts = {
            "1E400",
            "-1E400",
            "1E4932",
            "1E5000",
            "1E99999999999999999999",
            "0E99999",
            "1E-400",
            "1E-5000",
            "1,7976931348623159E308",
            repeat('9', 5000) + "X",
            repeat('9', 20000) + "E-20010",
            repeat('9', 20000) + "E-99999",
            "0," + repeat('0', 6000) + "1",
            repeat('1', 6000) + "E-5900",
            "",
            "-",
            "E",
            ".",
    };
    const double values[] = {std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::signaling_NaN(),
                             DBL_MAX,
                             -DBL_MAX,
                             std::nextafter(DBL_MAX, 0.0),
                             1e36,
                             std::numeric_limits<double>::denorm_min(),
                             -0.0};
    int overflows = 0;
    std::vector<std::string> formatted;
    {
        TrapGuard traps;
        for (const std::string &text : texts) {
            try {
                read(text);
            } catch (const FloatingPointOverflow &) {
                ++overflows;
            }
        }
        for (double v : values) {
            formatted.push_back(FormatReal(1, 10, v));
            formatted.push_back(FormatReal(1, 12, v));
        }
    }
    EXPECT_EQ(overflows, 7);
    EXPECT_EQ(formatted.size(), 2 * std::size(values));
}

// ------------------------------------------------------------- Round trips

TEST(NumtextRoundTripTest, TargetCoordinatesReadBackWithinHalfTheLastDecimal)
{
    // The edit fields carry the target between handlers: 10 or 12 decimals.
    for (int decimals : {10, 12}) {
        const double half = 0.5 * std::pow(10.0, -decimals);
        for (int i = -250000; i <= 250000; i += 7) {
            const double v = i * 1.0000001e-5 + 1e-13 * (i % 13);
            const std::string text = FormatReal(1, static_cast<std::uint8_t>(decimals), v);
            const double back = read(text);
            // The text itself is within half a unit of its last decimal (plus
            // the rounding to 18 digits); reading it back adds at most one
            // rounding to double.
            EXPECT_LE(std::fabs(back - v), half + 1e-17 + ulp(back)) << text;
        }
    }
}

TEST(NumtextRoundTripTest, ShortDecimalsReadBackExactly)
{
    // Texts the user types or the program writes for the factor table.
    const std::vector<std::pair<std::string, double>> cases = {
            {"10", 10.0},
            {"100", 100.0},
            {"1000", 1000.0},
            {"10000", 10000.0},
            {"100000", 1e5},
            {"1000000", 1e6},
            {"0,1", 0.1},
            {"-1,41", -1.41},
            {"0,25", 0.25},
            {"-0,7492401216", -0.7492401216},
            {"0,1308411215", 0.1308411215},
            {"100000000", 1e8},
            {"0,000001", 1e-6},
            {"1,5", 1.5},
    };
    for (const auto &[text, value] : cases) {
        EXPECT_EQ(read(text), value) << text;
        EXPECT_EQ(FormatReal(1, 10, value), text);
    }
}

// ------------------------------------------------------------------- Fuzzing

namespace {

// Reference reading for well-formed texts: the C library's reader in the "C"
// locale, which rounds correctly.
struct CLocaleReader
{
    locale_t c = newlocale(LC_ALL_MASK, "C", nullptr);
    ~CLocaleReader() { freelocale(c); }
    // True when the text is a complete number for both readers.
    bool read(const std::string &text, double &value, int &digitCount) const
    {
        std::size_t i = 0;
        while (i < text.size() && text[i] == ' ')
            ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            ++i;
        if (i == text.size() || text[i] == '+' || text[i] == '-')
            return false;
        digitCount = 0;
        for (std::size_t k = i; k < text.size(); ++k) {
            const char ch = text[k];
            if (ch >= '0' && ch <= '9')
                ++digitCount;
            else if (ch != '.' && ch != 'E' && ch != '+' && ch != '-')
                return false;
        }
        const char *begin = text.c_str();
        char *end = nullptr;
        value = strtod_l(begin, &end, c);
        return end == begin + text.size();
    }
};

} // namespace

TEST(NumtextFuzzTest, RandomTextsReadAsFiniteNumbersOrOverflow)
{
    std::mt19937_64 rng(20240611);
    const std::string numberish = "0123456789,.Ee+- \t";
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<std::size_t> pick(0, numberish.size() - 1);
    const CLocaleReader reference;

    int overflows = 0;
    int compared = 0;
    for (int round = 0; round < 100000; ++round) {
        const int kind = percent(rng);
        std::size_t length;
        if (kind < 70)
            length = std::uniform_int_distribution<std::size_t>(0, 12)(rng);
        else if (kind < 96)
            length = std::uniform_int_distribution<std::size_t>(13, 40)(rng);
        else
            length = std::uniform_int_distribution<std::size_t>(41, 700)(rng);
        const int arbitraryShare = percent(rng) < 50 ? 2 : 25;
        std::string text;
        for (std::size_t k = 0; k < length; ++k) {
            if (percent(rng) < arbitraryShare)
                text.push_back(static_cast<char>(anyByte(rng)));
            else
                text.push_back(numberish[pick(rng)]);
        }

        const std::string normalised = NormalizeReal(text);
        ASSERT_EQ(normalised.size(), text.size());
        for (char ch : normalised)
            ASSERT_TRUE(ch != ',' && !(ch >= 'a' && ch <= 'z'));

        double value = 0.0;
        bool overflow = false;
        try {
            value = ParseReal(normalised);
        } catch (const FloatingPointOverflow &) {
            overflow = true;
            ++overflows;
        }
        ASSERT_TRUE(overflow || std::isfinite(value)) << '"' << text << '"';

        double expected = 0.0;
        int digitCount = 0;
        if (reference.read(normalised, expected, digitCount)) {
            ++compared;
            if (std::isinf(expected)) {
                EXPECT_TRUE(overflow) << '"' << normalised << '"';
            } else {
                ASSERT_FALSE(overflow) << '"' << normalised << '"';
                // Each digit accumulated past the 64-bit significand and the
                // scaling may each cost a rounding in extended precision; the
                // final rounding to double at most one unit in the last place.
                const double tolerance = ulp(expected)
                                         + std::fabs(expected) * (digitCount + 2) * 0x1p-63;
                EXPECT_LE(std::fabs(value - expected), tolerance)
                        << '"' << normalised << "\" read as " << value;
                EXPECT_EQ(std::signbit(value), std::signbit(expected)) << '"' << normalised << '"';
            }
        }
    }
    // The texts reached both the valid numbers and the overflow.
    EXPECT_GT(compared, 5000);
    EXPECT_GT(overflows, 10);
}

TEST(NumtextFuzzTest, RandomDoublesFormatInDisplayShapeAndReadBack)
{
    std::mt19937_64 rng(19871013);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_real_distribution<double> plane(-4.0, 4.0);
    std::uniform_int_distribution<int> powerOfTen(-20, 40);
    const double specials[] = {0.0,
                               -0.0,
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN(),
                               -std::numeric_limits<double>::quiet_NaN(),
                               std::numeric_limits<double>::denorm_min(),
                               -std::numeric_limits<double>::denorm_min(),
                               DBL_MIN,
                               DBL_MAX,
                               -DBL_MAX,
                               1e36,
                               -1e36,
                               std::nextafter(1e36, 0.0)};

    int checked = 0;
    for (int round = 0; round < 50000; ++round) {
        double v;
        const int kind = percent(rng);
        if (round < static_cast<int>(std::size(specials))) {
            v = specials[round];
        } else if (kind < 40) {
            const std::uint64_t bits = rng();
            std::memcpy(&v, &bits, sizeof v);
        } else if (kind < 70) {
            v = plane(rng);
        } else if (kind < 85) {
            // Near a power of ten, where carries and digit counts change.
            const double p = std::pow(10.0, powerOfTen(rng));
            v = p * (1.0 + (percent(rng) - 50) * 1e-16);
            if (percent(rng) < 50)
                v = -v;
        } else {
            // Halves at the 10th to 13th decimal, which print with a carry.
            const int decimals = 10 + percent(rng) % 4;
            const double unit = std::pow(10.0, -decimals);
            v = (std::floor(plane(rng) / unit) + 0.5) * unit;
        }

        for (int decimals : {10, 12}) {
            const std::string text = FormatReal(1, static_cast<std::uint8_t>(decimals), v);
            if (std::isnan(v)) {
                EXPECT_EQ(text, "NAN");
                continue;
            }
            if (std::isinf(v)) {
                EXPECT_EQ(text, v < 0 ? "-INF" : "INF");
                continue;
            }
            ASSERT_TRUE(hasDisplayShape(text, decimals)) << '"' << text << "\" for " << v;
            ASSERT_EQ(text[0] == '-', std::signbit(v) && text != "0") << text;

            double back = 0.0;
            ASSERT_NO_THROW(back = read(text)) << text;
            // The text carries the value to `decimals` places or to 18
            // significant digits, whichever is coarser; reading back rounds
            // once more to double.
            const double a = std::fabs(v);
            const double top = a >= 1.0 ? std::floor(std::log10(a)) : 0.0;
            const double tolerance = 0.5 * std::pow(10.0, -decimals) + std::pow(10.0, top - 17.0)
                                     + ulp(v);
            ASSERT_LE(std::fabs(back - v), tolerance) << '"' << text << "\" for " << v;
            ++checked;
        }
    }
    EXPECT_GT(checked, 90000);
}

// ------------------------------------------------------- Decimal exponent

namespace {

#if defined(MANDEL_HAVE_X87)
// The same bits as the hardware's long double.
long double hardware(const Extended &v)
{
    long double h = 0;
    ext::toBytes(v, reinterpret_cast<unsigned char *>(&h));
    return h;
}

// The digit string of a double of 10 or more as the x87 unit's library
// found it: floorl(log10l(a)), one down when a / 10^e < 1, then the 18 digits
// of the quotient. Trailing zeros dropped; with the weight of the first digit.
std::pair<std::string, int> libraryDigits(double value)
{
    const long double a = value;
    int e = static_cast<int>(floorl(log10l(a)));
    long double m = a / hardware(powerOfTen(e));
    if (m < 1.0L) {
        --e;
        m = a / hardware(powerOfTen(e));
    }
    return {std::to_string(llrintl(m * 1e17L)), e};
}
#endif

std::pair<std::string, int> programDigits(double value)
{
    const Extended a = value;
    const int e = decimalExponent(a);
    return {std::to_string(ext::toInt64Nearest(a / powerOfTen(e) * Extended(1e17))), e};
}

// "1000…" with 19 digits stands for the same digits as "1" with 18 and the
// next weight: both as the digits without trailing zeros and their weight.
std::pair<std::string, int> canonical(std::pair<std::string, int> d)
{
    if (d.first.size() == 19)
        ++d.second;
    while (d.first.size() > 1 && d.first.back() == '0')
        d.first.pop_back();
    return d;
}

} // namespace

// Doubles around every power of ten from 10 to 10^308, where the decimal
// exponent is decided by the last bits: the quotients bracket 1 as the
// exponent says, and (with the x87 unit) the digits equal those the C
// library's log10l gave.
TEST(DecimalExponentTest, AroundEveryPowerOfTen)
{
    int checked = 0;
    for (int k = 1; k <= 308; ++k) {
        const double centre = std::stod("1e" + std::to_string(k));
        double below = centre, above = centre;
        for (int step = 0; step < 300; ++step) {
            for (double v : {below, above}) {
                const Extended a = v;
                const int e = decimalExponent(a);
                ASSERT_FALSE(a / powerOfTen(e) < Extended(1.0)) << v;
                ASSERT_TRUE(a / powerOfTen(e + 1) < Extended(1.0)) << v;
                ASSERT_GE(e, k - 1);
                ASSERT_LE(e, k);
#if defined(MANDEL_HAVE_X87)
                ASSERT_EQ(canonical(programDigits(v)), canonical(libraryDigits(v))) << v;
#endif
                ++checked;
            }
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, INFINITY);
        }
    }
    EXPECT_EQ(checked, 308 * 600);
}
