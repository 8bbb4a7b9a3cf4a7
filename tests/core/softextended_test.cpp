// SoftExtended against the x87 unit itself (where long double is the x87
// format) and against a digest of results computed once on x86, which every
// processor must reproduce.

#include "extended/softextended.h"
#include "extended/softorbit.h"
#include "extended/wide.h"
#include "tests/support/softextended_gen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ostream>
#include <limits>
#include <string>

using softextgen::Rng;

namespace {

[[maybe_unused]] std::string hex(SoftExtended x)
{
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04x:%016llx", x.signExponent(),
                  static_cast<unsigned long long>(x.significand()));
    return buf;
}

bool sameBits(SoftExtended a, SoftExtended b)
{
    return a.signExponent() == b.signExponent() && a.significand() == b.significand();
}

// ---------------------------------------------------------------------------
// Everywhere: the format, construction and a few exact cases.

TEST(SoftExtendedBasics, LayoutAndZero)
{
    static_assert(sizeof(SoftExtended) == 16);
    static_assert(std::is_trivially_copyable_v<SoftExtended>);
    const SoftExtended z{};
    EXPECT_EQ(z.signExponent(), 0);
    EXPECT_EQ(z.significand(), 0u);
    const SoftExtended one = SoftExtended::fromBits(0x3FFF, 0x8000000000000000ull);
    unsigned char bytes[16];
    std::memcpy(bytes, &one, sizeof bytes);
    std::uint64_t sig;
    std::uint16_t se;
    std::memcpy(&sig, bytes, 8);
    std::memcpy(&se, bytes + 8, 2);
    EXPECT_EQ(sig, 0x8000000000000000ull);
    EXPECT_EQ(se, 0x3FFF);
    EXPECT_TRUE(sameBits(SoftExtended(1), one));
    EXPECT_TRUE(sameBits(SoftExtended(1.0), one));
}

TEST(SoftExtendedBasics, ConstexprConstants)
{
    constexpr SoftExtended big = SoftExtended::fromBits(0x7FFE, 0xFFFFFFFFFFFFFFFFull);
    static_assert(isfinite(big));
    static_assert(isinf(big + big));
    static_assert(SoftExtended(1.0) + SoftExtended(2.0) == SoftExtended(3));
    static_assert(SoftExtended(0.5) * SoftExtended(6) == SoftExtended(3));
    static_assert(SoftExtended(1) / SoftExtended(4) == SoftExtended(0.25));
    static_assert(static_cast<double>(SoftExtended(0.1)) == 0.1);
    static_assert(toInt64Nearest(SoftExtended(2.5)) == 2);
    static_assert(toInt64Nearest(SoftExtended(3.5)) == 4);
    static_assert(softextgen::truncated(SoftExtended(-3.75)) == -3);
    static_assert(SoftExtended(-0.0) == SoftExtended(0.0));
    static_assert(!(SoftExtended::defaultNaN() == SoftExtended::defaultNaN()));
    SUCCEED();
}

TEST(SoftExtendedBasics, SpecialResults)
{
    const SoftExtended inf = SoftExtended::infinity();
    const SoftExtended zero{};
    const SoftExtended dnan = SoftExtended::defaultNaN();
    EXPECT_TRUE(sameBits(inf - inf, dnan));
    EXPECT_TRUE(sameBits(zero * inf, dnan));
    EXPECT_TRUE(sameBits(zero / zero, dnan));
    EXPECT_TRUE(sameBits(inf / inf, dnan));
    EXPECT_TRUE(sameBits(SoftExtended(1) / zero, inf));
    EXPECT_TRUE(sameBits(SoftExtended(-1) / zero, -inf));
    EXPECT_TRUE(sameBits(SoftExtended(3) + SoftExtended(-3), zero));
    EXPECT_TRUE(sameBits(SoftExtended(-0.0) + SoftExtended(-0.0), SoftExtended(-0.0)));
    EXPECT_TRUE(sameBits(SoftExtended(-0.0) + SoftExtended(0.0), zero));
    // Halfway between the smallest denormal and zero: to even, zero.
    EXPECT_TRUE(sameBits(SoftExtended::denormMin() * SoftExtended(0.5), zero));
    EXPECT_TRUE(sameBits(SoftExtended::denormMin() * SoftExtended(0.75), SoftExtended::denormMin()));
    EXPECT_TRUE(sameBits(SoftExtended::max() * SoftExtended(2), inf));
    // A denormal that rounds up to the smallest normal.
    const SoftExtended justBelow = SoftExtended::fromBits(0x0000, 0x7FFFFFFFFFFFFFFFull);
    EXPECT_TRUE(sameBits(justBelow * SoftExtended::fromBits(0x3FFF, 0x8000000000000001ull), SoftExtended::minNormal()));
    // NaNs: larger significand, then the positive one.
    const SoftExtended qa = SoftExtended::fromBits(0xFFFF, 0xC000000000000001ull);
    const SoftExtended qb = SoftExtended::fromBits(0x7FFF, 0xC000000000000001ull);
    const SoftExtended sc = SoftExtended::fromBits(0x7FFF, 0xB000000000000000ull);
    EXPECT_TRUE(sameBits(qa + qb, qb));
    EXPECT_TRUE(sameBits(qb * qa, qb));
    EXPECT_TRUE(sameBits(sc - qa, qa));
    EXPECT_TRUE(sameBits(sc + SoftExtended(1), SoftExtended::fromBits(0x7FFF, 0xF000000000000000ull)));
}

// The encodings no x87 operation produces, replaced where they come in.
struct Foreign
{
    const char *kind;
    std::uint16_t se;
    std::uint64_t sig;
    std::uint16_t wantSe; // what fromBits makes of it
    std::uint64_t wantSig;
};

const Foreign kForeign[] = {
    {"unnormal", 0x3FFF, 0x4000000000000000ull, 0xFFFF, 0xC000000000000000ull},
    {"unnormal zero", 0x8123, 0, 0xFFFF, 0xC000000000000000ull},
    {"pseudo-infinity", 0x7FFF, 0, 0xFFFF, 0xC000000000000000ull},
    {"pseudo-NaN", 0xFFFF, 0x0000000000000001ull, 0xFFFF, 0xC000000000000000ull},
    {"pseudo-denormal", 0x8000, 0x8000000000000005ull, 0x8001, 0x8000000000000005ull},
};

TEST(SoftExtendedBasics, FromBitsReplacesForeignEncodings)
{
    for (const Foreign &f : kForeign) {
        const SoftExtended v = SoftExtended::fromBits(f.se, f.sig);
        EXPECT_TRUE(sameBits(v, SoftExtended::fromBits(f.wantSe, f.wantSig))) << f.kind << ": " << hex(v);
    }
}

// The step's own operations against the general operators, for operands of
// an orbit (zero or normal, exponents far from the limits) in the shapes
// each is made for.
using Op = SoftOrbit;

enum class Shape { Any, NonNegative, Ordered };

struct OrbitOp
{
    const char *name;
    char op; // the general expression, see reference()
    Shape shape;
    SoftExtended (*orbit)(SoftExtended, SoftExtended);
};

template<class T>
T reference(char op, T a, T b)
{
    switch (op) {
    case '*':
        return a * b;
    case 's':
        return a * a;
    case '+':
        return a + b;
    case '-':
        return a - b;
    case 't':
        return a + a + b;
    case 'd': // the step's difference A - B, B = M - A, M = A + bb
        return a - ((a + b) - a);
    case 'g':
        return T(static_cast<int>(a >= b));
    default: // 'f'
        return T(static_cast<int>(a >= T(4)));
    }
}

// The operation on SoftExtended operands, through the working form.
template<SoftOrbit::Value (*F)(SoftOrbit::Value, SoftOrbit::Value)>
SoftExtended packed(SoftExtended a, SoftExtended b)
{
    return Op::pack(F(Op::unpack(a), Op::unpack(b)));
}

const OrbitOp kOrbitOps[] = {
    {"mul", '*', Shape::Any, packed<Op::mul>},
    {"square", 's', Shape::Any,
     packed<[](SoftOrbit::Value a, SoftOrbit::Value) { return Op::square(a); }>},
    {"add", '+', Shape::Any, packed<Op::add>},
    {"twicePlus", 't', Shape::Any,
     packed<[](SoftOrbit::Value a, SoftOrbit::Value b) { return Op::add(Op::twice(a), b); }>},
    {"sub", '-', Shape::Any, packed<Op::sub>},
    {"addNonNegative", '+', Shape::NonNegative, packed<Op::addNonNegative>},
    {"subOrdered", '-', Shape::Ordered, packed<Op::subOrdered>},
    {"difference", 'd', Shape::NonNegative,
     packed<[](SoftOrbit::Value a, SoftOrbit::Value b) {
         return Op::difference(a, b, Op::addNonNegative(a, b));
     }>},
    {"notBelow", 'g', Shape::NonNegative,
     [](SoftExtended a, SoftExtended b) {
         return SoftExtended(static_cast<int>(Op::notBelow(Op::unpack(a), Op::unpack(b))));
     }},
    {"atLeastFour", 'f', Shape::NonNegative,
     [](SoftExtended a, SoftExtended) {
         return SoftExtended(static_cast<int>(Op::atLeastFour(Op::unpack(a))));
     }},
};

void PrintTo(const OrbitOp &op, std::ostream *os) { *os << op.name; }

bool orbitRange(SoftExtended v)
{
    const int e = static_cast<int>(v.exponentField());
    return (e == 0 && v.significand() == 0) || (e > 16383 - 4000 && e < 16383 + 4000);
}

// The next operand pair for op.
softextgen::Pair orbitPair(Rng &r, Shape shape)
{
    softextgen::Pair p;
    do
        p = softextgen::pair(r);
    while (!orbitRange(p.a) || !orbitRange(p.b));
    if (shape != Shape::Any) {
        p.a = abs(p.a);
        p.b = abs(p.b);
    }
    if (shape == Shape::Ordered && p.a < p.b)
        std::swap(p.a, p.b);
    return p;
}

class SoftOrbitOps : public ::testing::TestWithParam<OrbitOp>
{};

TEST_P(SoftOrbitOps, AsTheGeneralOperators)
{
    const OrbitOp op = GetParam();
    Rng r(std::hash<std::string>{}(op.name) ^ 0x0B17);
    for (int i = 0; i < 1000000; ++i) {
        const softextgen::Pair p = orbitPair(r, op.shape);
        const SoftExtended got = op.orbit(p.a, p.b);
        const SoftExtended want = reference(op.op, p.a, p.b);
        ASSERT_TRUE(sameBits(got, want)) << op.name << "(" << hex(p.a) << ", " << hex(p.b)
                                         << "): " << hex(got) << ", general " << hex(want);
    }
}

INSTANTIATE_TEST_SUITE_P(SoftExtended, SoftOrbitOps, ::testing::ValuesIn(kOrbitOps),
                         [](const auto &info) { return std::string(info.param.name); });

// The working form gives every value of an orbit back as it came; a zero
// doubled (exponent field 1 there) goes back as that zero.
TEST(SoftOrbitForm, PackGivesTheValueBack)
{
    Rng r(0xF0F0);
    for (int i = 0; i < 100000; ++i) {
        const SoftExtended v = softextgen::value(r);
        if (!Op::admissible(v))
            continue;
        ASSERT_TRUE(sameBits(Op::pack(Op::unpack(v)), v)) << hex(v);
    }
    for (const SoftExtended zero : {SoftExtended(0.0), SoftExtended(-0.0)})
        EXPECT_TRUE(sameBits(Op::pack(Op::twice(Op::unpack(zero))), zero + zero)) << hex(zero);
}

#if defined(__SIZEOF_INT128__)
// The 128-bit words in 64-bit halves, for compilers without a 128-bit
// integer, against the ones in unsigned __int128.
TEST(WideWords, AsTheInt128Words)
{
    Rng r(0x1D7E);
    const auto word = [&] {
        // Runs of ones and zeros at the ends, where carries go wrong.
        const std::uint64_t v = r.next();
        switch (r.below(4)) {
        case 0:
            return v | (~std::uint64_t{0} << r.below(64));
        case 1:
            return v >> r.below(64);
        default:
            return v;
        }
    };
    const auto same = [](Words a, Words b) { return a.hi == b.hi && a.lo == b.lo; };
    for (int i = 0; i < 1000000; ++i) {
        const Words a{word(), word()}, b{word(), word()};
        ASSERT_TRUE(same(WideWords::mul(a.hi, b.lo), WideInt128::mul(a.hi, b.lo))) << i;
        ASSERT_TRUE(same(WideWords::add(a, b), WideInt128::add(a, b))) << i;
        ASSERT_TRUE(same(WideWords::sub(a, b), WideInt128::sub(a, b))) << i;
        ASSERT_EQ(WideWords::carry(a.lo, b.lo), WideInt128::carry(a.lo, b.lo)) << i;
        const Words near{a.hi, b.lo}; // equal upper words
        ASSERT_EQ(WideWords::less(a, b), WideInt128::less(a, b)) << i;
        ASSERT_EQ(WideWords::less(a, near), WideInt128::less(a, near)) << i;
        const std::uint64_t d = b.hi | (std::uint64_t{1} << 63) >> r.below(64);
        const Words n{a.hi % d, a.lo};
        ASSERT_TRUE(same(WideWords::divide(n, d), WideInt128::divide(n, d))) << i;
    }
}
#endif

// ---------------------------------------------------------------------------
// The golden digest: a fixed stream of mixed operations, hashed. The
// constant was computed with the x87 unit; on x86 the hardware is checked
// against it as well.

// Computed on x86-64 with the x87 unit (the hardware backend below).
constexpr std::uint64_t kGoldenDigest = 0x51EF0AD1044D1597ull;

TEST(SoftExtendedDigest, MatchesTheX87Digest)
{
    const std::uint64_t soft = softextgen::digest<softextgen::SoftBackend>();
    std::printf("SoftExtended digest over %d steps: 0x%016llx\n", softextgen::kDigestSteps,
                static_cast<unsigned long long>(soft));
    EXPECT_EQ(soft, kGoldenDigest);
}

} // namespace

// ---------------------------------------------------------------------------
// Against the x87 unit.

#if defined(__x86_64__) || defined(__i386__)

namespace {

static_assert(std::numeric_limits<long double>::digits == 64);

long double toLd(SoftExtended x)
{
    long double v = 0;
    std::memcpy(&v, &x, 10);
    return v;
}
SoftExtended fromLd(long double v)
{
    std::uint64_t sig;
    std::uint16_t se;
    std::memcpy(&sig, &v, 8);
    std::memcpy(&se, reinterpret_cast<const char *>(&v) + 8, 2);
    return SoftExtended::fromBits(se, sig);
}

long double hwScale(long double x, int n)
{
    long double r;
    const long double s = n;
    asm("fldt %2\n\tfldt %1\n\tfscale\n\tfstp %%st(1)" : "=t"(r) : "m"(x), "m"(s));
    return r;
}
long double hwRound(long double x)
{
    long double r;
    asm("fldt %1\n\tfrndint" : "=t"(r) : "m"(x));
    return r;
}

struct HardBackend
{
    static SoftExtended add(SoftExtended a, SoftExtended b) { return fromLd(toLd(a) + toLd(b)); }
    static SoftExtended sub(SoftExtended a, SoftExtended b) { return fromLd(toLd(a) - toLd(b)); }
    static SoftExtended mul(SoftExtended a, SoftExtended b) { return fromLd(toLd(a) * toLd(b)); }
    static SoftExtended div(SoftExtended a, SoftExtended b) { return fromLd(toLd(a) / toLd(b)); }
    static bool less(SoftExtended a, SoftExtended b) { return toLd(a) < toLd(b); }
    static bool lessEqual(SoftExtended a, SoftExtended b) { return toLd(a) <= toLd(b); }
    static bool equal(SoftExtended a, SoftExtended b) { return toLd(a) == toLd(b); }
    static double toDouble(SoftExtended a) { return static_cast<double>(toLd(a)); }
    static SoftExtended fromDouble(double d) { return fromLd(static_cast<long double>(d)); }
    static SoftExtended round(SoftExtended a) { return fromLd(hwRound(toLd(a))); }
    static std::int64_t toIntNearest(SoftExtended a) { return llrintl(toLd(a)); }
    static std::int64_t toIntTruncate(SoftExtended a)
    {
        return static_cast<long long>(toLd(a));
    }
};

TEST(SoftExtendedDigest, HardwareGivesTheDigest)
{
    const std::uint64_t hard = softextgen::digest<HardBackend>();
    std::printf("x87 digest over %d steps: 0x%016llx\n", softextgen::kDigestSteps,
                static_cast<unsigned long long>(hard));
    EXPECT_EQ(hard, kGoldenDigest);
}

// Binary operations, operand pairs from the biased stream.
struct BinaryOp
{
    const char *name;
    SoftExtended (*soft)(SoftExtended, SoftExtended);
    long double (*hard)(long double, long double);
};

const BinaryOp kBinaryOps[] = {
    {"add", [](SoftExtended a, SoftExtended b) { return a + b; },
     [](long double a, long double b) { return a + b; }},
    {"sub", [](SoftExtended a, SoftExtended b) { return a - b; },
     [](long double a, long double b) { return a - b; }},
    {"mul", [](SoftExtended a, SoftExtended b) { return a * b; },
     [](long double a, long double b) { return a * b; }},
    {"div", [](SoftExtended a, SoftExtended b) { return a / b; },
     [](long double a, long double b) { return a / b; }},
    {"addAssign",
     [](SoftExtended a, SoftExtended b) {
         a += b;
         return a;
     },
     [](long double a, long double b) {
         a += b;
         return a;
     }},
    {"mulAssign",
     [](SoftExtended a, SoftExtended b) {
         a *= b;
         return a;
     },
     [](long double a, long double b) {
         a *= b;
         return a;
     }},
};

constexpr int kBinaryPairs = 6000000;

void PrintTo(const BinaryOp &op, std::ostream *os) { *os << op.name; }

class SoftExtendedHardwareBinary : public ::testing::TestWithParam<BinaryOp>
{};

TEST_P(SoftExtendedHardwareBinary, BitIdentical)
{
    const BinaryOp op = GetParam();
    Rng r(std::hash<std::string>{}(op.name) ^ 0x5EED);
    const int pairs = (std::string(op.name).find("Assign") != std::string::npos) ? kBinaryPairs / 8
                                                                                   : kBinaryPairs;
    for (int i = 0; i < pairs; ++i) {
        const softextgen::Pair p = softextgen::pair(r);
        for (int order = 0; order < 2; ++order) {
            const SoftExtended a = order ? p.b : p.a;
            const SoftExtended b = order ? p.a : p.b;
            const SoftExtended soft = op.soft(a, b);
            const SoftExtended hard = fromLd(op.hard(toLd(a), toLd(b)));
            ASSERT_TRUE(sameBits(soft, hard))
                << op.name << "(" << hex(a) << ", " << hex(b) << "): soft " << hex(soft)
                << ", x87 " << hex(hard) << " (pair " << i << ")";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SoftExtended, SoftExtendedHardwareBinary, ::testing::ValuesIn(kBinaryOps),
                         [](const auto &info) { return std::string(info.param.name); });

// Comparisons.
struct CompareOp
{
    const char *name;
    bool (*soft)(SoftExtended, SoftExtended);
    bool (*hard)(long double, long double);
};

const CompareOp kCompareOps[] = {
    {"eq", [](SoftExtended a, SoftExtended b) { return a == b; },
     [](long double a, long double b) { return a == b; }},
    {"ne", [](SoftExtended a, SoftExtended b) { return a != b; },
     [](long double a, long double b) { return a != b; }},
    {"lt", [](SoftExtended a, SoftExtended b) { return a < b; },
     [](long double a, long double b) { return a < b; }},
    {"le", [](SoftExtended a, SoftExtended b) { return a <= b; },
     [](long double a, long double b) { return a <= b; }},
    {"gt", [](SoftExtended a, SoftExtended b) { return a > b; },
     [](long double a, long double b) { return a > b; }},
    {"ge", [](SoftExtended a, SoftExtended b) { return a >= b; },
     [](long double a, long double b) { return a >= b; }},
};

void PrintTo(const CompareOp &op, std::ostream *os) { *os << op.name; }

class SoftExtendedHardwareCompare : public ::testing::TestWithParam<CompareOp>
{};

TEST_P(SoftExtendedHardwareCompare, SameAnswer)
{
    const CompareOp op = GetParam();
    Rng r(std::hash<std::string>{}(op.name) ^ 0xC0);
    for (int i = 0; i < 1000000; ++i) {
        softextgen::Pair p = softextgen::pair(r);
        if (r.below(8) == 0)
            p.b = p.a; // equal operands
        else if (r.below(8) == 0)
            p.b = -p.a;
        for (int order = 0; order < 2; ++order) {
            const SoftExtended a = order ? p.b : p.a;
            const SoftExtended b = order ? p.a : p.b;
            ASSERT_EQ(op.soft(a, b), op.hard(toLd(a), toLd(b)))
                << op.name << "(" << hex(a) << ", " << hex(b) << ")";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(SoftExtended, SoftExtendedHardwareCompare, ::testing::ValuesIn(kCompareOps),
                         [](const auto &info) { return std::string(info.param.name); });

// Unary operations on SoftExtended values.
struct UnaryOp
{
    const char *name;
    SoftExtended (*soft)(SoftExtended);
    long double (*hard)(long double);
};

const UnaryOp kUnaryOps[] = {
    {"neg", [](SoftExtended a) { return -a; }, [](long double a) { return -a; }},
    {"abs", [](SoftExtended a) { return abs(a); }, [](long double a) { return fabsl(a); }},
    {"nearbyint", [](SoftExtended a) { return nearbyint(a); }, hwRound},
    {"floor", [](SoftExtended a) { return softextgen::floorOf(a); },
     [](long double a) { return floorl(a); }},
    {"viaDouble", [](SoftExtended a) { return SoftExtended(static_cast<double>(a)); },
     [](long double a) { return static_cast<long double>(static_cast<double>(a)); }},
};

// Values for the integer roundings: x.5 and friends, up to and past 2^63.
SoftExtended integerish(Rng &r)
{
    if (r.below(4) == 0)
        return softextgen::value(r);
    const int k = static_cast<int>(r.below(68)) - 3; // 2^-3 ... 2^64
    std::uint64_t sig = softextgen::significand(r);
    if (k >= 0 && k < 63) {
        const int fracBits = 63 - k;
        const std::uint64_t fracMask = (std::uint64_t{1} << fracBits) - 1;
        switch (r.below(4)) {
        case 0: // exactly .5
            sig = (sig & ~fracMask) | (std::uint64_t{1} << (fracBits - 1));
            break;
        case 1: // integer
            sig &= ~fracMask;
            break;
        case 2: // just beside .5
            sig = (sig & ~fracMask) | (std::uint64_t{1} << (fracBits - 1)) | (r.next() & 1);
            if ((r.next() & 1) && fracBits > 1)
                sig -= 2;
            break;
        default:
            break;
        }
        sig |= std::uint64_t{1} << 63;
    }
    return softextgen::normal(r, 16383 + k, sig);
}

void PrintTo(const UnaryOp &op, std::ostream *os) { *os << op.name; }

class SoftExtendedHardwareUnary : public ::testing::TestWithParam<UnaryOp>
{};

TEST_P(SoftExtendedHardwareUnary, BitIdentical)
{
    const UnaryOp op = GetParam();
    Rng r(std::hash<std::string>{}(op.name) ^ 0x1);
    for (int i = 0; i < 2000000; ++i) {
        SoftExtended a;
        if (std::string(op.name) == "viaDouble") {
            // Around the double range: its denormals, overflow, ties at bit 11.
            a = softextgen::value(r);
            if (r.below(4) != 0) {
                std::uint64_t sig = softextgen::significand(r);
                if (r.below(3) == 0)
                    sig = (sig & ~std::uint64_t{0x7FF}) | 0x400;
                const int e = 16383 - 1023 - 70 + static_cast<int>(r.below(2200));
                a = softextgen::normal(r, e, sig);
            }
        } else {
            a = integerish(r);
        }
        const SoftExtended soft = op.soft(a);
        const SoftExtended hard = fromLd(op.hard(toLd(a)));
        ASSERT_TRUE(sameBits(soft, hard))
            << op.name << "(" << hex(a) << "): soft " << hex(soft) << ", x87 " << hex(hard);
    }
}

INSTANTIATE_TEST_SUITE_P(SoftExtended, SoftExtendedHardwareUnary, ::testing::ValuesIn(kUnaryOps),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SoftExtendedHardware, ToDouble)
{
    Rng r(77);
    for (int i = 0; i < 3000000; ++i) {
        SoftExtended a = softextgen::value(r);
        if (r.below(4) != 0) {
            std::uint64_t sig = softextgen::significand(r);
            const unsigned k = r.below(3);
            if (k == 0)
                sig = (sig & ~std::uint64_t{0x7FF}) | 0x400; // a tie at double precision
            const int e = 16383 - 1023 - 70 + static_cast<int>(r.below(2200));
            a = softextgen::normal(r, e, sig);
            if (k == 1 && e < 16383 - 1022) { // a tie at the double denormal's precision
                const int drop = 11 + (16383 - 1022 - e);
                if (drop < 64)
                    a = softextgen::normal(
                        r, e, (sig & ~((std::uint64_t{2} << (drop - 1)) - 1)) | (std::uint64_t{1} << (drop - 1)) | (std::uint64_t{1} << 63));
            }
        }
        const double soft = static_cast<double>(a);
        const double hard = static_cast<double>(toLd(a));
        ASSERT_EQ(std::bit_cast<std::uint64_t>(soft), std::bit_cast<std::uint64_t>(hard))
            << "double(" << hex(a) << ")";
    }
}

TEST(SoftExtendedHardware, FromDouble)
{
    Rng r(78);
    for (int i = 0; i < 3000000; ++i) {
        std::uint64_t bits = r.next();
        switch (r.below(6)) {
        case 0: // denormal
            bits &= 0x800FFFFFFFFFFFFFull >> r.below(52);
            break;
        case 1: // infinity or NaN
            bits |= 0x7FF0000000000000ull;
            if (r.below(4) == 0)
                bits &= 0xFFF0000000000000ull | (r.next() & 3);
            break;
        case 2:
            bits &= 0x8000000000000000ull;
            break;
        default:
            break;
        }
        const double d = std::bit_cast<double>(bits);
        const SoftExtended soft = d;
        const SoftExtended hard = fromLd(static_cast<long double>(d));
        ASSERT_TRUE(sameBits(soft, hard))
            << "from double " << std::hex << bits << ": soft " << hex(soft) << ", x87 " << hex(hard);
    }
}

TEST(SoftExtendedHardware, FromIntegers)
{
    Rng r(79);
    for (int i = 0; i < 2000000; ++i) {
        std::uint64_t u = r.next();
        switch (r.below(4)) {
        case 0:
            u >>= r.below(64);
            break;
        case 1:
            u = (std::uint64_t{1} << r.below(64)) + (r.next() & 7) - 4;
            break;
        case 2:
            u = 0x8000000000000000ull + (r.next() & 7) - 4;
            break;
        default:
            break;
        }
        const auto s = static_cast<long long>(u);
        ASSERT_TRUE(sameBits(SoftExtended(s), fromLd(static_cast<long double>(s)))) << s;
        ASSERT_TRUE(sameBits(SoftExtended(static_cast<unsigned long long>(u)),
                             fromLd(static_cast<long double>(u))))
            << u;
        const int n = static_cast<int>(u);
        ASSERT_TRUE(sameBits(SoftExtended(n), fromLd(static_cast<long double>(n)))) << n;
    }
}

TEST(SoftExtendedHardware, ToInt64)
{
    Rng r(80);
    for (int i = 0; i < 3000000; ++i) {
        const SoftExtended a = integerish(r);
        ASSERT_EQ(toInt64Nearest(a), llrintl(toLd(a))) << "nearest " << hex(a);
        ASSERT_EQ(softextgen::truncated(a), static_cast<long long>(toLd(a))) << "truncate " << hex(a);
    }
}

TEST(SoftExtendedHardware, Scale)
{
    Rng r(81);
    for (int i = 0; i < 2000000; ++i) {
        const SoftExtended a = softextgen::value(r);
        int n;
        switch (r.below(4)) {
        case 0:
            n = static_cast<int>(r.below(201)) - 100;
            break;
        case 1: // towards the denormal range and below
            n = -static_cast<int>(a.exponentField()) + static_cast<int>(r.below(140)) - 70;
            break;
        case 2: // towards overflow
            n = 0x7FFE - static_cast<int>(a.exponentField()) + static_cast<int>(r.below(8)) - 4;
            break;
        default:
            n = static_cast<int>(r.below(80001)) - 40000;
        }
        const SoftExtended soft = ldexp(a, n);
        const SoftExtended hard = fromLd(hwScale(toLd(a), n));
        ASSERT_TRUE(sameBits(soft, hard))
            << "ldexp(" << hex(a) << ", " << n << "): soft " << hex(soft) << ", x87 " << hex(hard);
    }
}

TEST(SoftExtendedHardware, ForeignEncodingsAsTheX87ReadsThem)
{
    // What fromBits makes of them behaves as the x87 unit's operations on
    // the raw encodings.
    for (const Foreign &f : kForeign) {
        long double raw = 0;
        std::memcpy(&raw, &f.sig, 8);
        std::memcpy(reinterpret_cast<char *>(&raw) + 8, &f.se, 2);
        const SoftExtended v = SoftExtended::fromBits(f.se, f.sig);
        for (const SoftExtended other : {SoftExtended(1.5), SoftExtended(-0.0)}) {
            EXPECT_TRUE(sameBits(v * other, fromLd(raw * toLd(other)))) << f.kind;
            EXPECT_TRUE(sameBits(v + other, fromLd(raw + toLd(other)))) << f.kind;
            EXPECT_EQ(v < other, raw < toLd(other)) << f.kind;
            EXPECT_EQ(v == v, raw == raw) << f.kind;
        }
    }
}

TEST_P(SoftOrbitOps, AsTheX87)
{
    const OrbitOp op = GetParam();
    Rng r(std::hash<std::string>{}(op.name) ^ 0x87);
    for (int i = 0; i < 1000000; ++i) {
        const softextgen::Pair p = orbitPair(r, op.shape);
        const SoftExtended got = op.orbit(p.a, p.b);
        const SoftExtended want = fromLd(reference(op.op, toLd(p.a), toLd(p.b)));
        ASSERT_TRUE(sameBits(got, want)) << op.name << "(" << hex(p.a) << ", " << hex(p.b)
                                         << "): " << hex(got) << ", x87 " << hex(want);
    }
}

TEST(SoftExtendedHardware, Predicates)
{
    Rng r(82);
    for (int i = 0; i < 1000000; ++i) {
        const SoftExtended a = softextgen::value(r);
        const long double h = toLd(a);
        ASSERT_EQ(isnan(a), std::isnan(h)) << hex(a);
        ASSERT_EQ(isfinite(a), std::isfinite(h)) << hex(a);
        ASSERT_EQ(signbit(a), std::signbit(h)) << hex(a);
    }
}

} // namespace

#endif
