// The zoom-series arithmetic: factor clamps, iteration limits, the image
// geometry, the escape-time index, and the row engine, whose images must be
// byte for byte those of the iteration followed literally, here computed by an
// oracle in GNU MPFR that shares no code with the program.

#include "platform/extended.h"
#include "render/engine.h"
#include "tests/mpfr_oracle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <ostream>
#include <string>
#include <vector>

namespace {

// An image to compute: its size, factor and target.
struct ImageCase
{
    int w, h;
    double factor, re, im;
};

// The oracle's image (GNU MPFR, see tests/mpfr_oracle.h).
std::vector<std::uint8_t> oracleImage(int w, int h, double rawFactor, double re, double im)
{
    return mpfroracle::image(w, h, rawFactor, re, im);
}

std::uint8_t oracleIndex(double x, double y, int limit)
{
    return static_cast<std::uint8_t>(mpfroracle::escapeSteps(x, y, limit) % 256);
}

// The image through the row engine, taking the rows in order as the window
// does.
std::vector<std::uint8_t> engineImage(zoom::RowEngine &engine, int w, int h, double rawFactor,
                                      double re, double im)
{
    const zoom::Geometry g = zoom::makeGeometry(w, h, zoom::clampFactor(rawFactor), re, im);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * h);
    engine.begin(g);
    for (int r = 0; r < h; ++r) {
        const std::uint8_t *row = engine.waitRow(r);
        if (row == nullptr) {
            ADD_FAILURE() << "row " << r << " missing";
            return out;
        }
        std::copy(row, row + w, out.begin() + static_cast<std::ptrdiff_t>(r) * w);
    }
    return out;
}

// Where two images differ: count and first position.
std::string differences(const std::vector<std::uint8_t> &got, const std::vector<std::uint8_t> &want,
                        int w)
{
    if (got.size() != want.size())
        return "sizes differ";
    int count = 0;
    std::string first;
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i] != want[i]) {
            if (count == 0)
                first = "row " + std::to_string(i / w) + " column " + std::to_string(i % w) + ": "
                        + std::to_string(got[i]) + " instead of " + std::to_string(want[i]);
            ++count;
        }
    }
    if (count == 0)
        return {};
    return std::to_string(count) + " pixels differ, first at " + first;
}

// Smaller images under ThreadSanitizer, which slows the oracle down.
int imageScale()
{
    const char *small = std::getenv("MANDEL_ENGINE_TEST_SMALL");
    return small != nullptr && *small != '\0' && *small != '0' ? 4 : 1;
}

const double kDefaultFactors[] = {10, 100, 1000, 10000, 100000, 1000000};

// ---------------------------------------------------------------------------

struct FactorCase
{
    double factor;
    double clamped;
    int limit;
};

TEST(EngineFactor, ClampAndLimit)
{
    const FactorCase cases[] = {
            {10, 10, 200},
            {100, 100, 500},
            {1000, 1000, 5000},
            {10000, 10000, 5000},
            {1e8, 1e8, 5000},
            {0, 1.0, 200},
            {0.1, 0.1, 200},
            {0.09, 1.0, 200},
            {-0.09, 1.0, 200},
            {1e9, 1e8, 5000},
            {-10, -10, 200},
            {-1e9, -1e9, 200},
            {40.0, 40.0, 200},
            {40.1, 40.1, 201},    // the double 40.1 is slightly above:
                                  // 200.5000000000000071
            {40.5, 40.5, 202},    // exactly 202.5: halves to even
            {40.7, 40.7, 204},    // 203.5000000000000142
            {41.5, 41.5, 208},    // exactly 207.5: to even
            {999.9, 999.9, 4999}, // 4999.4999999999998863
            {999.95, 999.95, 5000},
            {1000.1, 1000.1, 5000},
            {-1000, -1000, 200},
    };
    for (const FactorCase &c : cases) {
        SCOPED_TRACE("factor " + std::to_string(c.factor));
        const double clamped = zoom::clampFactor(c.factor);
        EXPECT_EQ(clamped, c.clamped);
        EXPECT_EQ(zoom::iterationLimit(clamped), c.limit);
        EXPECT_EQ(clamped, mpfroracle::clampFactor(c.factor));
        EXPECT_EQ(zoom::iterationLimit(clamped), mpfroracle::iterationLimit(clamped));
        EXPECT_EQ(mpfroracle::geometry(380, 250, c.factor, 0, 0).limit, c.limit);
    }
}

TEST(EngineFactor, ClampBoundaryInExtendedPrecision)
{
    // The largest double below 0.1 is below the bound; 0.1 itself is not.
    const double below = std::nextafter(0.1, 0.0);
    EXPECT_EQ(zoom::clampFactor(below), 1.0);
    EXPECT_EQ(zoom::clampFactor(-below), 1.0);
    EXPECT_EQ(zoom::clampFactor(0.1), 0.1);
    EXPECT_EQ(zoom::clampFactor(-0.1), -0.1);
    EXPECT_EQ(zoom::clampFactor(std::nextafter(1e8, 2e8)), 1e8);
    EXPECT_EQ(zoom::clampFactor(std::numeric_limits<double>::infinity()), 1e8);
}

TEST(EngineGeometry, DefaultThumbnail)
{
    const zoom::Geometry g = zoom::makeGeometry(380, 250, 10.0, -1.41, 0.0);
    const mpfroracle::Geometry o = mpfroracle::geometry(380, 250, 10.0, -1.41, 0.0);
    EXPECT_EQ(g.w, 380);
    EXPECT_EQ(g.h, 250);
    EXPECT_EQ(g.limit, 200);
    EXPECT_EQ(g.factor, 10.0);
    EXPECT_EQ(g.aspect, o.aspect);
    EXPECT_EQ(g.dx, o.dx);
    EXPECT_EQ(g.dy, o.dy);
    EXPECT_EQ(g.left, o.left);
    EXPECT_EQ(g.top, o.top);

    EXPECT_NEAR(g.dx, 4.0 / 3800, 1e-12);
    EXPECT_NEAR(g.dy, 4.0 / 3800, 1e-12);
    EXPECT_NEAR(g.left, -1.61, 1e-12);
    EXPECT_NEAR(g.top, 0.131579, 1e-6);
    // The top-left pixel samples one step inside both edges.
    const double x = static_cast<double>(Extended(g.left) + Extended(g.dx));
    const double y = static_cast<double>(Extended(g.top) - Extended(g.dy));
    EXPECT_NEAR(x, -1.608947, 1e-6);
    EXPECT_NEAR(y, 0.130526, 1e-6);
}

TEST(EngineGeometry, MatchesOracleAcrossFactorsAndSizes)
{
    const ImageCase cases[] = {
            {380, 250, 1000000, -0.7492401216, 0.1308411215},
            {381, 251, 0.1, 0.3, -0.2},
            {200, 300, -10, -1.41, 0.0},
            {1, 1, 1e8, 0.25, 0.0},
            {97, 13, 3.7, -2.0, 1.0},
    };
    for (const ImageCase &c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " factor "
                     + std::to_string(c.factor));
        const zoom::Geometry g = zoom::makeGeometry(c.w, c.h, c.factor, c.re, c.im);
        const mpfroracle::Geometry o = mpfroracle::geometry(c.w, c.h, c.factor, c.re, c.im);
        EXPECT_EQ(g.limit, o.limit);
        EXPECT_EQ(g.aspect, o.aspect);
        EXPECT_EQ(g.dx, o.dx);
        EXPECT_EQ(g.dy, o.dy);
        EXPECT_EQ(g.left, o.left);
        EXPECT_EQ(g.top, o.top);
    }
}

TEST(EngineGeometry, NegativeFactorReversesBothAxes)
{
    const zoom::Geometry g = zoom::makeGeometry(380, 250, -10.0, -1.41, 0.0);
    EXPECT_LT(g.dx, 0.0);
    EXPECT_LT(g.dy, 0.0);
    EXPECT_NEAR(g.left, -1.21, 1e-12);
    EXPECT_NEAR(g.top, -0.131579, 1e-6);
    EXPECT_EQ(g.limit, 200);
}

struct PointCase
{
    const char *name;
    double x, y;
    int limit;
    int index; // -1: only compared with the oracle
};

TEST(EngineEscape, KnownPoints)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const PointCase cases[] = {
            {"0", 0.0, 0.0, 200, 0},
            {"i", 0.0, 1.0, 200, 0},
            {"i at 5000", 0.0, 1.0, 5000, 0},
            {"0.5", 0.5, 0.0, 200, 4},
            {"1", 1.0, 0.0, 200, 1},
            {"-2 (reaches |z|^2 = 4 exactly)", -2.0, 0.0, 200, 1},
            {"-1.75 (period-3 window)", -1.75, 0.0, 5000, 0},
            {"0.26", 0.26, 0.0, 5000, -1},
            {"-0.75 + 0.1i", -0.75, 0.1, 5000, -1},
            {"large |c|", 30.0, -20.0, 200, 1},
            {"limit 1: stops before the first step", 1.0, 0.0, 1, 0},
            {"limit 2: one step", 1.0, 0.0, 2, 1},
            {"limit 4: 0.5 needs a fourth step", 0.5, 0.0, 4, 0},
            {"limit 5", 0.5, 0.0, 5, 4},
            {"NaN real part", nan, 0.0, 200, 0},
            {"NaN imaginary part", 0.0, nan, 200, 0},
    };
    for (const PointCase &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(zoom::escapeIndex(c.x, c.y, c.limit), oracleIndex(c.x, c.y, c.limit));
        if (c.index >= 0) {
            EXPECT_EQ(zoom::escapeIndex(c.x, c.y, c.limit), c.index);
        }
    }
}

// Searches along a line for a point that escapes after exactly `steps`.
bool findPointEscapingAfter(int steps, double &x, double &y)
{
    // Just outside the cusp at 0.25 the escape time grows without bound as
    // the point approaches it; walk toward it.
    for (double d = 1e-2; d > 1e-9; d *= 0.9999) {
        const double px = 0.25 + d;
        if (mpfroracle::escapeSteps(px, 0.0, 100000) == steps) {
            x = px;
            y = 0.0;
            return true;
        }
    }
    return false;
}

TEST(EngineEscape, EscapeAfter256StepsGetsIndexZero)
{
    double x = 0, y = 0;
    ASSERT_TRUE(findPointEscapingAfter(256, x, y));
    ASSERT_EQ(mpfroracle::escapeSteps(x, y, 5000), 256);
    EXPECT_EQ(zoom::escapeIndex(x, y, 5000), 0);
    EXPECT_EQ(zoom::escapeIndex(x, y, 257), 0); // the last step allowed
    EXPECT_EQ(zoom::escapeIndex(x, y, 256), 0); // stopped before it

    double x2 = 0, y2 = 0;
    ASSERT_TRUE(findPointEscapingAfter(300, x2, y2));
    EXPECT_EQ(zoom::escapeIndex(x2, y2, 5000), 300 - 256);
    EXPECT_EQ(zoom::escapeIndex(x2, y2, 300), 0);
    EXPECT_EQ(zoom::escapeIndex(x2, y2, 301), 300 - 256);

    // The same points through the engine: a one-pixel image whose sample
    // falls exactly on the point (steps of 2^-10 keep every sum exact).
    zoom::RowEngine engine(2);
    const struct
    {
        double x;
        int index;
    } pixels[] = {{x, 0}, {x2, 300 - 256}};
    for (const auto &p : pixels) {
        zoom::Geometry g = zoom::makeGeometry(1, 1, 1000.0, p.x, 0.0);
        g.dx = g.dy = 1.0 / 1024;
        g.left = p.x - g.dx;
        g.top = g.dy;
        ASSERT_EQ(static_cast<double>(Extended(g.left) + Extended(g.dx)), p.x);
        engine.begin(g);
        const std::uint8_t *row = engine.waitRow(0);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row[0], p.index);
    }
}

TEST(EngineRender, PlainMatchesOracle)
{
    const ImageCase cases[] = {
            {120, 80, 10, -1.41, 0.0},
            {64, 40, 0.1, 0.0, 0.0},
            {50, 50, -10, -0.5, 0.3},
            {33, 17, 1.0, -0.75, 0.0},
    };
    for (const ImageCase &c : cases) {
        SCOPED_TRACE("factor " + std::to_string(c.factor));
        const zoom::Geometry g = zoom::makeGeometry(c.w, c.h, zoom::clampFactor(c.factor), c.re,
                                                    c.im);
        std::vector<std::uint8_t> got(static_cast<std::size_t>(c.w) * c.h, 77);
        zoom::renderPlain(g, got.data());
        EXPECT_EQ(differences(got, oracleImage(c.w, c.h, c.factor, c.re, c.im), c.w), "");
    }
}

// The six images of the default series and of a target in the seahorse
// valley, computed by the engine, against the oracle.
struct SeriesCase
{
    const char *name;
    double re, im;
};

void PrintTo(const SeriesCase &c, std::ostream *os)
{
    *os << c.name << " (" << c.re << ", " << c.im << ")";
}

class EngineSeries : public ::testing::TestWithParam<SeriesCase>
{};

TEST_P(EngineSeries, WholeSeriesMatchesOracle)
{
    const SeriesCase c = GetParam();
    const int w = 380 / imageScale(), h = 250 / imageScale();
    zoom::RowEngine engine;
    for (double factor : kDefaultFactors) {
        SCOPED_TRACE(std::string(c.name) + " factor " + std::to_string(factor));
        const std::vector<std::uint8_t> want = oracleImage(w, h, factor, c.re, c.im);
        EXPECT_EQ(differences(engineImage(engine, w, h, factor, c.re, c.im), want, w), "");
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, EngineSeries,
                         ::testing::Values(SeriesCase{"default", -1.41, 0.0},
                                           SeriesCase{"seahorse", -0.7492401216, 0.1308411215}),
                         [](const ::testing::TestParamInfo<SeriesCase> &info) {
                             return std::string(info.param.name);
                         });

// Images across the edges of the main cardioid and the disc around -1, with
// the highest limit, where the engine decides early that orbits never escape
// (from the sample point itself, or from the orbit at its checkpoints). The
// deepest zooms resolve the safety margin of the test on the sample point:
// at factor 1e8 neighbouring samples lie 1e-10 apart, and the images cover
// points inside the margin, inside the region the engine skips, and points
// just outside that escape late or not at all within the limit.
TEST(EngineRender, InteriorShortcutsMatchOracleNearTheirEdges)
{
    struct Case
    {
        const char *name;
        double re, im, factor;
    };
    const double pi = std::acos(-1.0);
    auto cardioid = [](double t, double &re, double &im) {
        re = std::cos(t) / 2 - std::cos(2 * t) / 4;
        im = std::sin(t) / 2 - std::sin(2 * t) / 4;
    };
    std::vector<Case> cases;
    for (double t : {0.3, 1.0, 2.0, 2.9, pi - 0.01}) {
        double re, im;
        cardioid(t, re, im);
        cases.push_back({"cardioid edge", re, im, 1000});
        cases.push_back({"cardioid edge", re, im, 100});
    }
    // Deep zooms onto the edge, among them the seahorse valley (t near pi)
    // and the roots of the bulbs of period 3 (t = 2 pi / 3) and 5.
    for (double t : {0.05, 0.7, 2 * pi / 3, 2 * pi * 2 / 5, 2.7, pi - 0.05}) {
        double re, im;
        cardioid(t, re, im);
        cases.push_back({"cardioid edge, deep", re, im, 1e6});
        if (t > 2)
            cases.push_back({"cardioid edge, deep", re, im, 1e8});
    }
    for (double t : {0.5, 1.5, 2.5, 3.0}) {
        cases.push_back({"disc edge", -1.0 + 0.25 * std::cos(t), 0.25 * std::sin(t), 1000});
    }
    for (double t : {0.2, 1.2, 2 * pi / 3, 2.9}) {
        cases.push_back({"disc edge, deep", -1.0 + 0.25 * std::cos(t), 0.25 * std::sin(t), 1e6});
        if (t > 2)
            cases.push_back({"disc edge, deep", -1.0 + 0.25 * std::cos(t), 0.25 * std::sin(t), 1e8});
    }
    cases.push_back({"cusp between cardioid and disc", -0.75, 0.0, 2000});
    cases.push_back({"cusp between cardioid and disc", -0.75, 0.0, 1e8});
    cases.push_back({"seahorse valley near the cusp", -0.75, 1e-4, 1e6});
    cases.push_back({"cusp at 0.25", 0.25, 0.0, 1000});
    cases.push_back({"cusp at 0.25", 0.25, 0.0, 1e8});
    cases.push_back({"left end of the disc", -1.25, 0.0, 1e8});
    const int w = 48 / imageScale() + 8, h = 32 / imageScale() + 8;
    zoom::RowEngine engine;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.re) + " "
                     + std::to_string(c.im) + " factor " + std::to_string(c.factor));
        EXPECT_EQ(differences(engineImage(engine, w, h, c.factor, c.re, c.im),
                              oracleImage(w, h, c.factor, c.re, c.im), w),
                  "");
    }
}

// Images of other components, where only the test for a state that comes
// back exactly can end an orbit early, and of filaments, where orbits escape
// after long and irregular times.
TEST(EngineRender, OtherComponentsAndFilamentsMatchOracle)
{
    struct Case
    {
        const char *name;
        double re, im, factor;
    };
    const Case cases[] = {
            {"period-3 window, its cusp", -1.75, 0.0, 1e4},
            {"period-3 window, its cusp", -1.75, 0.0, 1e8},
            {"period-3 window, doubling to period 6", -1.7685, 0.0, 1e4},
            {"period-3 bulb above the cardioid", -0.1226, 0.7449, 1000},
            {"period-4 disc", -1.3107, 0.0, 1000},
            {"period-4 disc, doubling to period 8", -1.3680989, 0.0, 1e6},
            {"period-8 disc, doubling to period 16", -1.3940462, 0.0, 1e6},
            {"filament tip at -2", -2.0, 0.0, 1e4},
            {"filament near -1.9", -1.9, 0.0, 1000},
            {"dendrite at i", 0.0, 1.0, 1e6},
            {"Misiurewicz point", -0.10109636, 0.95628651, 1e5},
            {"spiral in the seahorse valley", -0.7436447860, 0.1318252536, 1e8},
    };
    const int w = 48 / imageScale() + 8, h = 32 / imageScale() + 8;
    zoom::RowEngine engine;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.re) + " "
                     + std::to_string(c.im) + " factor " + std::to_string(c.factor));
        EXPECT_EQ(differences(engineImage(engine, w, h, c.factor, c.re, c.im),
                              oracleImage(w, h, c.factor, c.re, c.im), w),
                  "");
    }
}

// Orbits whose |z|^2 reaches exactly 4 escape on that step: at factor 1 a
// 4 x 4 image around 0 samples c = 2 and c = -2i, whose first step lands on
// |z| = 2; an 8 x 8 one at factor 0.5 samples c = -2, 2i and 4 among others.
TEST(EngineRender, OrbitsReachingTwoExactlyEscapeThere)
{
    struct Case
    {
        int w, h;
        double factor;
    };
    const Case cases[] = {{4, 4, 1.0}, {8, 8, 0.5}, {16, 16, 1.0}};
    zoom::RowEngine engine;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + " x " + std::to_string(c.h) + " factor "
                     + std::to_string(c.factor));
        const std::vector<std::uint8_t> want = oracleImage(c.w, c.h, c.factor, 0.0, 0.0);
        EXPECT_EQ(differences(engineImage(engine, c.w, c.h, c.factor, 0.0, 0.0), want, c.w), "");
    }
    // c = 2 (column 3, row 1 of the 4 x 4 image) escapes after one step.
    EXPECT_EQ(oracleImage(4, 4, 1.0, 0.0, 0.0)[1 * 4 + 3], 1);
}

TEST(EngineRender, UnusualFactorsMatchOracle)
{
    struct Case
    {
        double factor, re, im;
    };
    const Case cases[] = {
            {-10, -1.41, 0.0}, // both axes reversed
            {0.1, -1.41, 0.0}, // a region 40 wide: huge |c|
            {0.0, 0.0, 0.0},   // clamps to 1
            {1e9, -0.7492401216, 0.1308411215},
            {3.3, -1.0, 0.0},
            {1e5, -1.401155, 0.0}, // near the end of the period doubling
            {10, std::numeric_limits<double>::quiet_NaN(), 0.0},
            {-std::numeric_limits<double>::infinity(), -1.41, 0.0}, // every sample on the target
    };
    const int w = 160 / imageScale(), h = 100 / imageScale();
    zoom::RowEngine engine;
    for (const Case &c : cases) {
        SCOPED_TRACE("factor " + std::to_string(c.factor));
        EXPECT_EQ(differences(engineImage(engine, w, h, c.factor, c.re, c.im),
                              oracleImage(w, h, c.factor, c.re, c.im), w),
                  "");
    }
}

TEST(EngineRows, ThreadCountsGiveTheSameImage)
{
    const int w = 190 / imageScale(), h = 125 / imageScale();
    const std::vector<std::uint8_t> want = oracleImage(w, h, 100, -1.41, 0.0);
    for (unsigned threads : {1u, 2u, 3u, 5u}) {
        SCOPED_TRACE(threads);
        zoom::RowEngine engine(threads);
        EXPECT_EQ(engine.threads(), threads);
        EXPECT_EQ(differences(engineImage(engine, w, h, 100, -1.41, 0.0), want, w), "");
    }
    zoom::RowEngine automatic;
    EXPECT_GE(automatic.threads(), 1u);
}

// The statistics the benchmark prints: where no point is decided by a proof
// the engine makes exactly the literal loop's steps; where the cardioid
// fills half the image it makes fewer and says how many points it decided.
TEST(EngineRows, StatisticsCountTheStepsMadeAndThePointsDecided)
{
    const struct
    {
        double factor, re, im;
        bool decided;
    } cases[] = {{100, 0.5, 0.5, false}, {1, -1.41, 0.0, true}, {10, -0.2, 0.0, true}};
    zoom::RowEngine engine(2);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.re);
        const int w = 60, h = 40;
        const zoom::Geometry g = zoom::makeGeometry(w, h, zoom::clampFactor(c.factor), c.re, c.im);
        engineImage(engine, w, h, c.factor, c.re, c.im);
        engine.cancel();
        const zoom::RowStats stats = engine.statistics();
        const std::uint64_t plain = zoom::plainSteps(g);
        std::uint64_t oracle = 0;
        double y = g.top;
        for (int r = 0; r < h; ++r) {
            y = static_cast<double>(Extended(y) - Extended(g.dy));
            double x = g.left;
            for (int j = 0; j < w; ++j) {
                x = static_cast<double>(Extended(x) + Extended(g.dx));
                const int k = mpfroracle::escapeSteps(x, y, g.limit);
                oracle += static_cast<std::uint64_t>(k != 0 ? k : g.limit - 1);
            }
        }
        EXPECT_EQ(plain, oracle);
        if (c.decided) {
            EXPECT_GT(stats.shortcuts, 0u);
            EXPECT_LT(stats.iterations, plain);
        } else {
            EXPECT_EQ(stats.shortcuts, 0u);
            EXPECT_EQ(stats.iterations, plain);
        }
    }
}

TEST(EngineRows, CancelThenNextImage)
{
    const int w = 380 / imageScale(), h = 250 / imageScale();
    zoom::RowEngine engine;
    const zoom::Geometry first = zoom::makeGeometry(w, h, 1000.0, -1.41, 0.0);
    engine.begin(first);
    for (int r = 0; r < 5; ++r)
        ASSERT_NE(engine.waitRow(r), nullptr);
    engine.cancel();
    // Rows of a cancelled image that were never computed do not come.
    const std::uint8_t *late = engine.waitRow(h - 1);
    (void)late; // may have been computed before the cancel; must not block

    EXPECT_EQ(differences(engineImage(engine, w, h, 10000, -1.41, 0.0),
                          oracleImage(w, h, 10000, -1.41, 0.0), w),
              "");

    // begin() while an image is in progress replaces it.
    engine.begin(zoom::makeGeometry(w, h, 1e6, -1.41, 0.0));
    ASSERT_NE(engine.waitRow(0), nullptr);
    EXPECT_EQ(differences(engineImage(engine, w, h, 100, -0.7492401216, 0.1308411215),
                          oracleImage(w, h, 100, -0.7492401216, 0.1308411215), w),
              "");

    // cancel() with nothing running, twice, and destruction mid-image.
    engine.cancel();
    engine.cancel();
    engine.begin(first);
}

// Rows of one to a few pixels: the orbits run out of pixels in the middle of
// the loop again and again and take the next row, or go idle.
TEST(EngineRows, NarrowAndShortImagesMatchOracle)
{
    const ImageCase cases[] = {
            {1, 40, 100, -1.41, 0.0},
            {2, 30, 100, -0.7492401216, 0.1308411215},
            {3, 25, 1000, -1.41, 0.0},
            {4, 20, 10, -0.7492401216, 0.1308411215},
            {5, 1, 100, -0.7492401216, 0.1308411215},
            {7, 2, 1000, -0.75, 0.05},
    };
    for (unsigned threads : {1u, 2u}) {
        zoom::RowEngine engine(threads);
        for (const ImageCase &c : cases) {
            SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h) + " factor "
                         + std::to_string(c.factor) + ", " + std::to_string(threads) + " threads");
            EXPECT_EQ(differences(engineImage(engine, c.w, c.h, c.factor, c.re, c.im),
                                  oracleImage(c.w, c.h, c.factor, c.re, c.im), c.w),
                      "");
        }
    }
}

TEST(EngineRows, RowsOutOfRangeAndEmptyImages)
{
    zoom::RowEngine engine(2);
    EXPECT_EQ(engine.waitRow(0), nullptr); // nothing begun
    engine.begin(zoom::makeGeometry(10, 4, 10.0, 0.0, 0.0));
    EXPECT_EQ(engine.waitRow(-1), nullptr);
    EXPECT_EQ(engine.waitRow(4), nullptr);
    for (int r = 0; r < 4; ++r)
        EXPECT_NE(engine.waitRow(r), nullptr);
    engine.begin(zoom::makeGeometry(10, 0, 10.0, 0.0, 0.0));
    EXPECT_EQ(engine.waitRow(0), nullptr);
    engine.begin(zoom::makeGeometry(0, 3, 10.0, 0.0, 0.0));
    for (int r = 0; r < 3; ++r)
        EXPECT_NE(engine.waitRow(r), nullptr);
}

} // namespace
