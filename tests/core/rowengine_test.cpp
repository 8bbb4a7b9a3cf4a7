// The row engine: its images must be byte for byte those of the literal loop
// (tests/support/referenceloop.*), whatever its shortcuts, threads and hand-over of
// rows do. Each image is also held against the digest of the image the GNU
// MPFR oracle computes for it, so that the literal loop stays tied to the
// oracle here too; MANDEL_ORACLE_DIGESTS=1 recomputes the oracle images and
// prints the digests.

#include "extended/extended.h"
#include "render/engine.h"
#include "tests/support/referenceloop.h"
#include "tests/support/mpfr_oracle.h"

#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

namespace {

using Image = std::vector<std::uint8_t>;

struct ImageCase
{
    const char *name;
    int w, h;
    double factor, re, im; // the factor unclamped, as typed
    std::uint64_t oracle;  // FNV-1a of the oracle's image
};

std::uint64_t digest(const Image &image)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (std::uint8_t byte : image)
        hash = (hash ^ byte) * 0x100000001b3u;
    return hash;
}

bool envSet(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr && *value != '\0' && *value != '0';
}

// Under ThreadSanitizer (MANDEL_ENGINE_TEST_SMALL) the images shrink and only
// the comparison with the literal loop remains.
int imageScale()
{
    return envSet("MANDEL_ENGINE_TEST_SMALL") ? 4 : 1;
}

zoom::Geometry geometryOf(int w, int h, double factor, double re, double im)
{
    return zoom::makeGeometry(w, h, zoom::clampFactor(factor), re, im);
}

Image plainImage(const zoom::Geometry &g)
{
    Image out(static_cast<std::size_t>(g.w) * g.h, 77);
    zoom::renderPlain(g, out.data());
    return out;
}

// The image through the engine, taking the rows in order as the window does.
Image engineImage(zoom::RowEngine &engine, const zoom::Geometry &g)
{
    Image out(static_cast<std::size_t>(g.w) * g.h);
    engine.begin(g);
    for (int r = 0; r < g.h; ++r) {
        const std::uint8_t *row = engine.waitRow(r);
        if (row == nullptr) {
            ADD_FAILURE() << "row " << r << " missing";
            return out;
        }
        std::copy(row, row + g.w, out.begin() + static_cast<std::ptrdiff_t>(r) * g.w);
    }
    return out;
}

// Where two images differ: count and first position; empty when equal.
std::string differences(const Image &got, const Image &want, int w)
{
    if (got.size() != want.size())
        return "sizes differ";
    int count = 0;
    std::string first;
    for (std::size_t i = 0; i < got.size(); ++i)
        if (got[i] != want[i] && count++ == 0)
            first = "row " + std::to_string(i / w) + " column " + std::to_string(i % w) + ": "
                    + std::to_string(got[i]) + " instead of " + std::to_string(want[i]);
    return count == 0 ? std::string() : std::to_string(count) + " pixels differ, first at " + first;
}

// Engine == literal loop for every case, and literal loop == oracle by digest.
void checkImages(const std::vector<ImageCase> &cases, zoom::RowEngine &engine)
{
    const int scale = imageScale();
    const bool recompute = envSet("MANDEL_ORACLE_DIGESTS");
    for (const ImageCase &c : cases) {
        const int w = std::max(1, c.w / scale), h = std::max(1, c.h / scale);
        SCOPED_TRACE(std::string(c.name) + ", " + std::to_string(w) + " x " + std::to_string(h)
                     + " at factor " + std::to_string(c.factor) + " around "
                     + std::to_string(c.re) + " " + std::to_string(c.im));
        const zoom::Geometry g = geometryOf(w, h, c.factor, c.re, c.im);
        const Image plain = plainImage(g);
        if (recompute) {
            const Image oracle = mpfroracle::image(w, h, c.factor, c.re, c.im);
            EXPECT_EQ(differences(plain, oracle, w), "");
            std::printf("%s %gx%g: 0x%016" PRIx64 "u\n", c.name, double(w), double(h),
                        digest(oracle));
        }
        if (scale == 1)
            EXPECT_EQ(digest(plain), c.oracle) << "the literal loop left the oracle's image";
        EXPECT_EQ(differences(engineImage(engine, g), plain, w), "");
    }
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

// The six images of the program's two targets.
TEST(RowEngineImages, WholeSeriesOfTheDefaultAndTheSeahorseTarget)
{
    zoom::RowEngine engine;
    checkImages({{"default", 380, 250, 10, -1.41, 0.0, 0xfb6ff3e7b2ddc681u},
                 {"default", 380, 250, 100, -1.41, 0.0, 0x1ddbda9f80a65fd0u},
                 {"default", 380, 250, 1000, -1.41, 0.0, 0x5c87975d0446d9ecu},
                 {"default", 380, 250, 10000, -1.41, 0.0, 0x7ba21fa3e1be3bb6u},
                 {"default", 380, 250, 100000, -1.41, 0.0, 0x2b394a0aea94af46u},
                 {"default", 380, 250, 1000000, -1.41, 0.0, 0x1d7c83a9aee234ecu},
                 {"seahorse", 380, 250, 10, -0.7492401216, 0.1308411215, 0xbc771e1441719affu},
                 {"seahorse", 380, 250, 100, -0.7492401216, 0.1308411215, 0x2b5ea7baf0e8ef9eu},
                 {"seahorse", 380, 250, 1000, -0.7492401216, 0.1308411215, 0x40c9bd09a2bc7bb0u},
                 {"seahorse", 380, 250, 10000, -0.7492401216, 0.1308411215, 0xe6b33b1e268d6905u},
                 {"seahorse", 380, 250, 100000, -0.7492401216, 0.1308411215, 0xe6b33b1e268d6905u},
                 {"seahorse", 380, 250, 1000000, -0.7492401216, 0.1308411215, 0xe6b33b1e268d6905u}},
                engine);
}

// Across the edges of the main cardioid and the disc around -1, with high
// limits, where the engine decides early that orbits never escape (from the
// sample itself, or from the orbit at its checkpoints). At factor 1e8
// neighbouring samples lie 1e-10 apart, which resolves the safety margin of
// the test on the sample; the images cover points inside the margin, inside
// the region skipped, and just outside it, escaping late or not at all.
// Cardioid points at t = 0.3, 1, 2, 2.9, pi - 0.01 (factors 100 and 1000),
// t = 0.05, 0.7, 2 pi / 3 (root of the period-3 bulb), 4 pi / 5 (period 5),
// 2.7, pi - 0.05 (seahorse valley) deep.
TEST(RowEngineImages, InteriorShortcutsAlongTheCardioidsEdge)
{
    zoom::RowEngine engine;
    checkImages({{"cardioid edge", 56, 40, 100, 0.27133434083538344, 0.00659948498191093, 0x5c6cb1746a138b8fu},
                 {"cardioid edge", 56, 40, 1000, 0.27133434083538344, 0.00659948498191093, 0xcc0e0acf48ac38abu},
                 {"cardioid edge", 56, 40, 100, 0.37418786207085547, 0.19341113569752783, 0x8c6c9b6ea2d12422u},
                 {"cardioid edge", 56, 40, 1000, 0.37418786207085547, 0.19341113569752783, 0xc88caf1bad90df87u},
                 {"cardioid edge", 56, 40, 100, -0.04466251305766822, 0.6438493372398228, 0xa90deab3fcdae7bfu},
                 {"cardioid edge", 56, 40, 1000, -0.04466251305766822, 0.6438493372398228, 0xc8dd05eee9f36b7fu},
                 {"cardioid edge", 56, 40, 100, -0.706858961810125, 0.23577520946043057, 0xb6e541f35ac25576u},
                 {"cardioid edge", 56, 40, 1000, -0.706858961810125, 0.23577520946043057, 0xb74bab42543b8513u},
                 {"cardioid edge", 56, 40, 100, -0.749925001874977, 0.00999958334041651, 0xec32cd73bd5fdd94u},
                 {"cardioid edge", 56, 40, 1000, -0.749925001874977, 0.00999958334041651, 0x2878c815df2ec23cu},
                 {"cardioid edge", 56, 40, 1e6, 0.2506240888779767, 3.123047363212672e-05, 0xec6306fa4cc63d19u},
                 {"cardioid edge", 56, 40, 1e6, 0.339929307917184, 0.07574641112173047, 0xc7e16c21ce1df349u},
                 {"period-3 root", 56, 40, 1e4, -0.12499999999999978, 0.649519052838329, 0x0a68d2c1a28e7225u},
                 {"period-3 root", 56, 40, 1e5, -0.12499999999999978, 0.649519052838329, 0x0a68d2c1a28e7225u},
                 {"period-3 root", 56, 40, 1e6, -0.12499999999999978, 0.649519052838329, 0x0a68d2c1a28e7225u},
                 {"period-3 root", 56, 40, 1e8, -0.12499999999999978, 0.649519052838329, 0x0a68d2c1a28e7225u},
                 {"period-5 root", 56, 40, 1e6, -0.4817627457812105, 0.5316567552200251, 0x0a68d2c1a28e7225u},
                 {"period-5 root", 56, 40, 1e8, -0.4817627457812105, 0.5316567552200251, 0x0a68d2c1a28e7225u},
                 {"cardioid edge", 56, 40, 1e6, -0.6107092899941893, 0.4068810620059117, 0x0a68d2c1a28e7225u},
                 {"cardioid edge", 56, 40, 1e8, -0.6107092899941893, 0.4068810620059117, 0x0a68d2c1a28e7225u},
                 {"seahorse valley", 56, 40, 1e6, -0.7481261715169896, 0.04994793879704615, 0x3f29a04c368e37f1u},
                 {"seahorse valley", 56, 40, 1e8, -0.7481261715169896, 0.04994793879704615, 0x0a68d2c1a28e7225u},
                 {"seahorse valley", 56, 40, 1e6, -0.75, 1e-4, 0x0a68d2c1a28e7225u}},
                engine);
}

// Disc points at t = 0.5, 1.5, 2.5, 3 and, deep, 0.2, 1.2, 2 pi / 3 (root of
// the period-6 bulb), 2.9.
TEST(RowEngineImages, InteriorShortcutsAlongTheDiscsEdge)
{
    zoom::RowEngine engine;
    checkImages({{"disc edge", 56, 40, 1000, -0.7806043595274068, 0.11985638465105075, 0x0fc8bea9fa78b179u},
                 {"disc edge", 56, 40, 1000, -0.9823156995830743, 0.2493737466510136, 0xce84a4a2f0ed883bu},
                 {"disc edge", 56, 40, 1000, -1.2002859038867335, 0.14961803602598914, 0x9bf65af5f1527e4eu},
                 {"disc edge", 56, 40, 1000, -1.2474981241501113, 0.0352800020149668, 0x67d56829af3b98efu},
                 {"disc edge", 56, 40, 1e6, -0.7549833555396896, 0.049667332698765304, 0x1efb833e012c502eu},
                 {"disc edge", 56, 40, 1e6, -0.9094105613808317, 0.23300977149180657, 0x5acf5a05cda39658u},
                 {"disc, period-6 root", 56, 40, 1e6, -1.125, 0.21650635094610968, 0x0a68d2c1a28e7225u},
                 {"disc, period-6 root", 56, 40, 1e8, -1.125, 0.21650635094610968, 0x0a68d2c1a28e7225u},
                 {"disc edge", 56, 40, 1e6, -1.2427395412873976, 0.059812332303495606, 0x0a68d2c1a28e7225u},
                 {"disc edge", 56, 40, 1e8, -1.2427395412873976, 0.059812332303495606, 0x0a68d2c1a28e7225u}},
                engine);
}

// Where the shortcut regions meet or end: the cusp at 0.25, the pinch at
// -0.75 between cardioid and disc, the disc's far end at -1.25 and the roots
// of bulbs. There orbits just outside escape after thousands of steps (on the
// real axis at the pinch and the far end only beyond the limit, hence the
// targets just above), so a proof that reaches a hair too far gives 0 where
// the literal loop escapes.
TEST(RowEngineImages, InteriorShortcutsWhereTheRegionsMeetOrEnd)
{
    zoom::RowEngine engine;
    checkImages({{"cusp at 0.25", 56, 40, 1000, 0.25, 0.0, 0xe9c23280d352ff1cu},
                 {"cusp at 0.25", 56, 40, 1e4, 0.25, 0.0, 0xa284cc55d936b708u},
                 {"cusp at 0.25", 56, 40, 1e5, 0.25, 0.0, 0xbf0ad174830391f6u},
                 {"cusp at 0.25", 56, 40, 1e6, 0.25, 0.0, 0x4dcc651983374821u},
                 {"cusp at 0.25", 56, 40, 1e8, 0.25, 0.0, 0x0a68d2c1a28e7225u},
                 {"pinch at -0.75", 56, 40, 2000, -0.75, 0.0, 0xbb477a7ba61b094bu},
                 {"pinch at -0.75", 56, 40, 1e8, -0.75, 0.0, 0x0a68d2c1a28e7225u},
                 {"above the pinch", 56, 40, 1e4, -0.75, 1e-3, 0xa4243f5b26ff0e04u},
                 {"above the pinch", 56, 40, 1e5, -0.75, 1e-3, 0x78f0dca10034b374u},
                 {"above the pinch", 56, 40, 1e6, -0.75, 1e-3, 0x55fe2f93eb744265u},
                 {"above the pinch", 56, 40, 1e5, -0.75, 2e-3, 0xa5e3c5a6dee6b3aeu},
                 {"above the pinch", 56, 40, 1e6, -0.75, 2e-3, 0xd9d6f4c9d1286ea7u},
                 {"far end of the disc", 56, 40, 1000, -1.25, 0.0, 0x127ae3de22435d25u},
                 {"far end of the disc", 56, 40, 1e8, -1.25, 0.0, 0x0a68d2c1a28e7225u},
                 {"above the disc's far end", 56, 40, 1e4, -1.25, 1e-3, 0x7694714938f1e035u},
                 {"above the disc's far end", 56, 40, 1e5, -1.25, 1e-3, 0x341602b25b1d688eu},
                 {"above the disc's far end", 56, 40, 1e6, -1.25, 1e-3, 0x2f82e583b06bb3e9u},
                 {"period-3 root", 56, 40, 1000, -0.12499999999999978, 0.649519052838329, 0xbab871b960b29cccu},
                 {"period-5 root", 56, 40, 3000, -0.4817627457812105, 0.5316567552200251, 0xccb12b81766deaa5u},
                 {"disc, period-6 root", 56, 40, 3000, -1.125, 0.21650635094610968, 0xc0581eda8d954772u}},
                engine);
}

// Other components, where only the test for a state that comes back exactly
// ends an orbit early, and filaments, where orbits escape after long and
// irregular times.
TEST(RowEngineImages, OtherComponentsAndFilaments)
{
    zoom::RowEngine engine;
    checkImages({{"period-3 window, its cusp", 56, 40, 1e4, -1.75, 0.0, 0xbeb8715341b96b14u},
                 {"period-3 window, its cusp", 56, 40, 1e8, -1.75, 0.0, 0x0a68d2c1a28e7225u},
                 {"period 3 doubling to 6", 56, 40, 1e4, -1.7685, 0.0, 0x0a68d2c1a28e7225u},
                 {"period-3 bulb above the cardioid", 56, 40, 1000, -0.1226, 0.7449, 0x0a68d2c1a28e7225u},
                 {"period-4 disc", 56, 40, 1000, -1.3107, 0.0, 0x0a68d2c1a28e7225u},
                 {"period 4 doubling to 8", 56, 40, 1e6, -1.3680989, 0.0, 0x0a68d2c1a28e7225u},
                 {"period 8 doubling to 16", 56, 40, 1e6, -1.3940462, 0.0, 0x0a68d2c1a28e7225u},
                 {"filament tip at -2", 56, 40, 1e4, -2.0, 0.0, 0x3f588832d63d5995u},
                 {"filament near -1.9", 56, 40, 1000, -1.9, 0.0, 0xa031b25c4530cc4du},
                 {"dendrite at i", 56, 40, 1e6, 0.0, 1.0, 0x8621569ee717a942u},
                 {"Misiurewicz point", 56, 40, 1e5, -0.10109636, 0.95628651, 0xb82715f4cb8b9a2du},
                 {"spiral in the seahorse valley", 56, 40, 1e8, -0.7436447860, 0.1318252536, 0x53d10ad5af18b3bau}},
                engine);
}

// Factors outside the usual range, and orbits whose |z|^2 reaches exactly 4
// (they escape on that step): at factor 1 a 4 x 4 image around 0 samples
// c = 2 and c = -2i, whose first step lands on |z| = 2; an 8 x 8 one at
// factor 0.5 samples c = -2, 2i and 4 among others.
TEST(RowEngineImages, UnusualFactorsAndExactEscapes)
{
    zoom::RowEngine engine;
    checkImages({{"both axes reversed", 160, 100, -10, -1.41, 0.0, 0x320cafa41916b7c2u},
                 {"a region 40 wide", 160, 100, 0.1, -1.41, 0.0, 0x00af91251d01a786u},
                 {"clamped to 1", 160, 100, 0.0, 0.0, 0.0, 0x4d9190ab27abed51u},
                 {"clamped to 1e8", 160, 100, 1e9, -0.7492401216, 0.1308411215, 0x949d39cf757c2525u},
                 {"factor 3.3", 160, 100, 3.3, -1.0, 0.0, 0xeacafd0ebec3273eu},
                 {"end of the period doubling", 160, 100, 1e5, -1.401155, 0.0, 0x1ff67f6d44be5895u},
                 {"NaN target", 160, 100, 10, kNaN, 0.0, 0x2c36c2471ceec525u},
                 {"every sample on the target", 160, 100, -kInf, -1.41, 0.0, 0x2c36c2471ceec525u},
                 {"|z| = 2 exactly", 4, 4, 1.0, 0.0, 0.0, 0x8a2fb42b345f26a7u},
                 {"|z| = 2 exactly", 8, 8, 0.5, 0.0, 0.0, 0xe9db114851b7c067u},
                 {"|z| = 2 exactly", 16, 16, 1.0, 0.0, 0.0, 0x8e83e22d9219e9e8u}},
                engine);
}

// Rows of one to a few pixels: the orbits run out of pixels in the middle of
// the loop again and again and take the next row, or go idle.
TEST(RowEngineImages, NarrowAndShortImagesOnOneAndTwoThreads)
{
    for (unsigned threads : {1u, 2u}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        zoom::RowEngine engine(threads);
        checkImages({{"narrow", 1, 40, 100, -1.41, 0.0, 0x3f2593af7be7ba67u},
                     {"narrow", 2, 30, 100, -0.7492401216, 0.1308411215, 0x835f644cd338f325u},
                     {"narrow", 3, 25, 1000, -1.41, 0.0, 0xe4b5c4963f490fc6u},
                     {"narrow", 4, 20, 10, -0.7492401216, 0.1308411215, 0x32eaea5c844ff9a7u},
                     {"short", 5, 1, 100, -0.7492401216, 0.1308411215, 0xaa479ad9585caa80u},
                     {"short", 7, 2, 1000, -0.75, 0.05, 0x387e5dd905b9e6d1u}},
                    engine);
    }
}

TEST(RowEngineImages, ThreadCountsGiveTheSameImage)
{
    for (unsigned threads : {1u, 2u, 3u, 5u}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        zoom::RowEngine engine(threads);
        EXPECT_EQ(engine.threads(), threads);
        checkImages({{"default", 190, 125, 100, -1.41, 0.0, 0x4f332cd243d6da75u}}, engine);
    }
    zoom::RowEngine automatic;
    EXPECT_GE(automatic.threads(), 1u);
}

// The points the literal loop sends out after exactly 256 and 300 steps (see
// ReferenceLoop.EscapeAfter256StepsGetsIndexZero), each as a one-pixel image
// whose sample falls exactly on it (steps of 2^-10 keep every sum exact).
TEST(RowEngineImages, EscapeAfter256StepsGetsIndexZero)
{
    zoom::RowEngine engine(2);
    const struct
    {
        double x;
        int steps;
    } pixels[] = {{0x1.0026bb69e8196p-2, 256}, {0x1.001c486344f58p-2, 300}};
    for (const auto &p : pixels) {
        ASSERT_EQ(zoom::escapeSteps(p.x, 0.0, 5000), p.steps);
        zoom::Geometry g = zoom::makeGeometry(1, 1, 1000.0, p.x, 0.0);
        g.dx = g.dy = 1.0 / 1024;
        g.left = p.x - g.dx;
        g.top = g.dy;
        ASSERT_EQ(static_cast<double>(Extended(g.left) + Extended(g.dx)), p.x);
        engine.begin(g);
        const std::uint8_t *row = engine.waitRow(0);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row[0], p.steps % 256);
    }
}

// The statistics the benchmark prints: where no point is decided by a proof
// the engine makes exactly the literal loop's steps; where the cardioid
// fills half the image it makes fewer and says how many points it decided.
TEST(RowEngineRows, StatisticsCountTheStepsMadeAndThePointsDecided)
{
    const struct
    {
        double factor, re, im;
        bool decided;
    } cases[] = {{100, 0.5, 0.5, false}, {1, -1.41, 0.0, true}, {10, -0.2, 0.0, true}};
    zoom::RowEngine engine(2);
    for (const auto &c : cases) {
        SCOPED_TRACE(c.re);
        const zoom::Geometry g = geometryOf(60, 40, c.factor, c.re, c.im);
        engineImage(engine, g);
        engine.cancel();
        const zoom::RowStats stats = engine.statistics();
        const std::uint64_t plain = zoom::plainSteps(g);
        if (c.decided) {
            EXPECT_GT(stats.shortcuts, 0u);
            EXPECT_LT(stats.iterations, plain);
        } else {
            EXPECT_EQ(stats.shortcuts, 0u);
            EXPECT_EQ(stats.iterations, plain);
        }
    }
}

TEST(RowEngineRows, CancelThenNextImage)
{
    const int w = 380 / imageScale(), h = 250 / imageScale();
    zoom::RowEngine engine;
    const zoom::Geometry first = geometryOf(w, h, 1000.0, -1.41, 0.0);
    engine.begin(first);
    for (int r = 0; r < 5; ++r)
        ASSERT_NE(engine.waitRow(r), nullptr);
    engine.cancel();
    // A row of the cancelled image does not block: it is either not there
    // or the one computed before the cancel, whole.
    if (const std::uint8_t *late = engine.waitRow(h - 1)) {
        const Image want = plainImage(first);
        EXPECT_TRUE(std::equal(late, late + w, want.end() - w));
    }

    const zoom::Geometry second = geometryOf(w, h, 10000, -1.41, 0.0);
    EXPECT_EQ(differences(engineImage(engine, second), plainImage(second), w), "");

    // begin() while an image is in progress replaces it.
    engine.begin(geometryOf(w, h, 1e6, -1.41, 0.0));
    ASSERT_NE(engine.waitRow(0), nullptr);
    const zoom::Geometry third = geometryOf(w, h, 100, -0.7492401216, 0.1308411215);
    EXPECT_EQ(differences(engineImage(engine, third), plainImage(third), w), "");

    // cancel() with nothing running, twice, and destruction mid-image.
    engine.cancel();
    engine.cancel();
    engine.begin(first);
}

TEST(RowEngineRows, RowsOutOfRangeAndEmptyImages)
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
