// The four stored palettes and the routines that load them into the active
// colour table. Expected colours come from the palettes' rules and listed
// values, entry by entry, and the committed data from its digests.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "colour/palette.h"

namespace {

struct Rgb
{
    int r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
};

void PrintTo(const Rgb &c, std::ostream *os)
{
    *os << "(" << c.r << ", " << c.g << ", " << c.b << ")";
}

Rgb entry(const PaletteTable &p, int n)
{
    return {p[3 * n], p[3 * n + 1], p[3 * n + 2]};
}

PaletteTable loaded(const std::string &name)
{
    LoadPalette(name);
    return activePalette;
}

// The raw bytes of an embedded palette, read past LoadPalette.
QByteArray resourceBytes(const std::string &name)
{
    QFile f(QString::fromStdString(":/" + name + ".pal"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

const char *const kNames[] = {"VERTIGO", "SPEZIAL", "NEON", "STANDARD"};

// ------------------------------------------------------------- loading

TEST(PaletteLoad, EachStoredPaletteLoadsWithItsCommittedDigest)
{
    // SHA-256 of resources/NAME.pal as committed: any change of the data, or
    // of what a load makes of it, shows here.
    const struct
    {
        const char *name;
        const char *sha256;
    } digests[] = {
            {"VERTIGO", "2747416e8e0b249cfc408bb2b13d150d3bb06165cbdc1cabbce9d67ecbd84d60"},
            {"SPEZIAL", "242fb3c81f9db8e6bd1eaaa37c20e77dc0cc93341c90e9692b4eac3f32f23580"},
            {"NEON", "06fa99246a713522904eb9492cbd6dff420e2042cba11a657f15cfc121876a89"},
            {"STANDARD", "822719507a91057981fa6e70d90486803c2958eb429f9fbe632225102f660e2d"},
    };
    for (const auto &d : digests) {
        const PaletteTable p = loaded(d.name);
        const QByteArray bytes(reinterpret_cast<const char *>(p.data()), qsizetype(sizeof p));
        EXPECT_EQ(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex(),
                  QByteArray(d.sha256))
                << d.name;
    }
}

TEST(PaletteLoad, EachStoredPaletteIs768BytesAndLoadsAsStored)
{
    for (const char *name : kNames) {
        SCOPED_TRACE(name);
        const QByteArray raw = resourceBytes(name);
        ASSERT_EQ(raw.size(), 768);
        activePalette.fill(0xAB);
        ASSERT_NO_THROW(LoadPalette(name));
        for (int i = 0; i < 768; ++i)
            ASSERT_EQ(activePalette[i], static_cast<std::uint8_t>(raw[i])) << "byte " << i;
    }
}

TEST(PaletteLoad, MissingNameThrowsAndLeavesAllOnes)
{
    activePalette.fill(0);
    try {
        LoadPalette("NOSUCH");
        FAIL() << "no exception";
    } catch (const std::exception &e) {
        EXPECT_STREQ(e.what(), "Resource NOSUCH not found");
    }
    for (int i = 0; i < 768; ++i)
        ASSERT_EQ(activePalette[i], 1) << "byte " << i;
}

TEST(PaletteLoad, NamesThatAreNoStoredPaletteAreNotFound)
{
    // Only the embedded palettes can be named: no paths, no other resources.
    const std::string names[] = {
            "",
            "../x",
            ":/VERTIGO.pal",
            ":/VERTIGO",
            "VERTIGO.pal",
            "/VERTIGO",
            "resources/VERTIGO",
            "overview",
            "VERTIGO ",
            std::string("VERTIGO\0x", 9),
    };
    for (const std::string &name : names) {
        SCOPED_TRACE("name \"" + name + "\"");
        activePalette.fill(7);
        try {
            LoadPalette(name);
            ADD_FAILURE() << "no exception";
        } catch (const ResourceNotFound &e) {
            if (name.find('\0') == std::string::npos) {
                EXPECT_EQ(std::string(e.what()), "Resource " + name + " not found");
            }
        }
        for (int i = 0; i < 768; ++i)
            ASSERT_EQ(activePalette[i], 1) << "byte " << i;
    }
}

TEST(PaletteLoad, FailedLoadAfterGoodOneLeavesAllOnes)
{
    LoadPalette("NEON");
    EXPECT_THROW(LoadPalette("NOSUCH"), ResourceNotFound);
    for (int i = 0; i < 768; ++i)
        ASSERT_EQ(activePalette[i], 1) << "byte " << i;
}

TEST(PaletteLoad, ShortDataFillsOnlyWhatItCovers)
{
    struct Case
    {
        std::size_t size;
        std::size_t copied;
    };
    const Case cases[] = {{0, 0}, {1, 1}, {300, 300}, {767, 767}, {768, 768}, {1000, 768}};
    std::vector<unsigned char> data(1000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(200 - i % 199); // never 1 in the first 768
    for (const Case &c : cases) {
        SCOPED_TRACE("size " + std::to_string(c.size));
        activePalette.fill(0);
        loadPaletteBytes(data.data(), c.size);
        for (std::size_t i = 0; i < 768; ++i) {
            const int expected = i < c.copied ? data[i] : 1;
            ASSERT_EQ(activePalette[i], expected) << "byte " << i;
        }
    }
}

TEST(PaletteLoad, ThreeHundredBytesFillEntriesZeroToNinetyNine)
{
    std::vector<unsigned char> data(300, 0x55);
    loadPaletteBytes(data.data(), data.size());
    for (int n = 0; n < 100; ++n)
        ASSERT_EQ(entry(activePalette, n), (Rgb{0x55, 0x55, 0x55})) << "entry " << n;
    for (int n = 100; n < 256; ++n)
        ASSERT_EQ(entry(activePalette, n), (Rgb{1, 1, 1})) << "entry " << n;
}

TEST(PaletteLoad, IndexZeroIsWhiteOnlyInSpezial)
{
    EXPECT_EQ(entry(loaded("SPEZIAL"), 0), (Rgb{255, 255, 255}));
    for (const char *name : {"VERTIGO", "NEON", "STANDARD"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(entry(loaded(name), 0), (Rgb{0, 0, 0}));
    }
}

TEST(PaletteLoad, EveryByteOfVertigoNeonStandardIsAMultipleOfFour)
{
    for (const char *name : {"VERTIGO", "NEON", "STANDARD"}) {
        SCOPED_TRACE(name);
        const PaletteTable p = loaded(name);
        for (int i = 0; i < 768; ++i)
            ASSERT_EQ(p[i] % 4, 0) << "byte " << i;
    }
}

// ------------------------------------------------------------- VERTIGO

// The values of a hill: fifteen rising entries, the peak, fifteen falling.
constexpr int kHill[31] = {12,  28,  44,  60,  76,  92,  108, 124, 140, 156, 172,
                           188, 204, 220, 236, 252, 240, 224, 208, 192, 176, 160,
                           144, 128, 112, 96,  80,  64,  48,  32,  16};

TEST(PaletteVertigo, SeparatorsAreBlack)
{
    const PaletteTable p = loaded("VERTIGO");
    for (int n : {0, 20, 52, 147, 179, 211, 243})
        EXPECT_EQ(entry(p, n), (Rgb{0, 0, 0})) << "entry " << n;
}

TEST(PaletteVertigo, SixHillsOfOneShape)
{
    struct Hill
    {
        const char *name;
        int firstEntry; // the entry of the first rising value; wraps past 255 to 1
        bool red, green, blue;
    };
    const Hill hills[] = {
            {"yellow", 244, true, true, false}, {"green", 21, false, true, false},
            {"magenta", 53, true, false, true}, {"red", 148, true, false, false},
            {"cyan", 180, false, true, true},   {"blue", 212, false, false, true},
    };
    const PaletteTable p = loaded("VERTIGO");
    for (const Hill &h : hills) {
        SCOPED_TRACE(h.name);
        int n = h.firstEntry;
        for (int i = 1; i <= 31; ++i) {
            const int v = kHill[i - 1];
            EXPECT_EQ(entry(p, n), (Rgb{h.red ? v : 0, h.green ? v : 0, h.blue ? v : 0}))
                    << "entry " << n << ", position " << i;
            n = n == 255 ? 1 : n + 1; // the yellow hill skips entry 0
        }
    }
}

TEST(PaletteVertigo, HillPeaksAndNamedEntries)
{
    const PaletteTable p = loaded("VERTIGO");
    struct Case
    {
        int n;
        Rgb c;
    };
    const Case cases[] = {
            {4, {252, 252, 0}},     {36, {0, 252, 0}},      {68, {252, 0, 252}},
            {163, {252, 0, 0}},     {195, {0, 252, 252}},   {227, {0, 0, 252}},
            {100, {252, 252, 252}}, {132, {128, 128, 128}}, {84, {0, 0, 80}},
            {1, {204, 204, 0}},     {255, {188, 188, 0}},   {244, {12, 12, 0}},
            {19, {16, 16, 0}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(entry(p, c.n), c.c) << "entry " << c.n;
}

TEST(PaletteVertigo, BlueWhiteHill)
{
    const PaletteTable p = loaded("VERTIGO");
    const int listedBlue[32] = {80,  88,  100, 112, 120, 132, 144, 152, 164, 176, 184,
                                196, 208, 216, 228, 240, 252, 244, 232, 220, 212, 200,
                                188, 180, 168, 156, 148, 136, 124, 116, 104, 92};
    // Red and green rise and fall as every hill does, from 0 at entry 84.
    for (int i = 0; i < 32; ++i) {
        const int rg = i == 0 ? 0 : kHill[i - 1];
        EXPECT_EQ(entry(p, 84 + i), (Rgb{rg, rg, listedBlue[i]})) << "entry " << 84 + i;
    }
}

TEST(PaletteVertigo, GreyHill)
{
    const PaletteTable p = loaded("VERTIGO");
    std::vector<int> grey;
    for (int k = 0; k <= 16; ++k)
        grey.push_back(8 * k);
    for (int v : {120, 112, 104, 96, 88, 80, 72, 60, 52, 44, 36, 28, 20, 12})
        grey.push_back(v);
    ASSERT_EQ(grey.size(), 31u);
    for (int i = 0; i < 31; ++i)
        EXPECT_EQ(entry(p, 116 + i), (Rgb{grey[i], grey[i], grey[i]})) << "entry " << 116 + i;
}

// ------------------------------------------------------------- NEON

TEST(PaletteNeon, BlackStretches)
{
    const PaletteTable p = loaded("NEON");
    std::vector<int> black = {0, 1};
    for (int n = 64; n <= 80; ++n)
        black.push_back(n);
    for (int n = 144; n <= 160; ++n)
        black.push_back(n);
    for (int n = 224; n <= 255; ++n)
        black.push_back(n);
    for (int n : black)
        EXPECT_EQ(entry(p, n), (Rgb{0, 0, 0})) << "entry " << n;
}

TEST(PaletteNeon, PinkHill)
{
    const PaletteTable p = loaded("NEON");
    for (int k = 1; k <= 31; ++k) {
        const Rgb expected{k <= 30 ? 8 * k : 252, 4 * ((20 * k) / 31), 4 * (k - 1)};
        EXPECT_EQ(entry(p, 1 + k), expected) << "entry " << 1 + k;
    }
    for (int m = 1; m <= 31; ++m) {
        const Rgb expected{256 - 8 * m, 4 * (20 - (20 * m) / 32), 4 * (30 - (30 * m) / 32)};
        EXPECT_EQ(entry(p, 32 + m), expected) << "entry " << 32 + m;
    }
    EXPECT_EQ(entry(p, 32), (Rgb{252, 80, 120}));
}

TEST(PaletteNeon, PinkHillListedGreensAndBlues)
{
    const PaletteTable p = loaded("NEON");
    const int rising[31] = {0,  4,  4,  8,  12, 12, 16, 20, 20, 24, 28, 28, 32, 36, 36, 40,
                            40, 44, 48, 48, 52, 56, 56, 60, 64, 64, 68, 72, 72, 76, 80};
    const int falling[31] = {80, 76, 76, 72, 68, 68, 64, 60, 60, 56, 56, 52, 48, 48, 44, 40,
                             40, 36, 36, 32, 28, 28, 24, 20, 20, 16, 16, 12, 8,  8,  4};
    for (int i = 0; i < 31; ++i) {
        EXPECT_EQ(entry(p, 2 + i).g, rising[i]) << "entry " << 2 + i;
        EXPECT_EQ(entry(p, 33 + i).g, falling[i]) << "entry " << 33 + i;
    }
    // Blue falls by 4 per entry from 120 at 33 to 4 at 63; 48 and 49 both 60.
    EXPECT_EQ(entry(p, 33).b, 120);
    EXPECT_EQ(entry(p, 63).b, 4);
    EXPECT_EQ(entry(p, 48).b, 60);
    EXPECT_EQ(entry(p, 49).b, 60);
    for (int n = 34; n <= 63; ++n)
        EXPECT_EQ(entry(p, n - 1).b - entry(p, n).b, n == 49 ? 0 : 4) << "entry " << n;
}

TEST(PaletteNeon, GreenAndYellowHills)
{
    const PaletteTable p = loaded("NEON");
    for (int k = 1; k <= 32; ++k) {
        const int v = 8 * k - 4;
        EXPECT_EQ(entry(p, 80 + k), (Rgb{0, v, 0})) << "entry " << 80 + k;
        EXPECT_EQ(entry(p, 160 + k), (Rgb{v, v, 0})) << "entry " << 160 + k;
    }
    for (int m = 1; m <= 31; ++m) {
        const int v = 256 - 8 * m;
        EXPECT_EQ(entry(p, 112 + m), (Rgb{0, v, 0})) << "entry " << 112 + m;
        EXPECT_EQ(entry(p, 192 + m), (Rgb{v, v, 0})) << "entry " << 192 + m;
    }
    EXPECT_EQ(entry(p, 112), (Rgb{0, 252, 0}));
    EXPECT_EQ(entry(p, 192), (Rgb{252, 252, 0}));
}

// ------------------------------------------------------------- STANDARD

TEST(PaletteStandard, FixedEntries)
{
    struct Case
    {
        int n;
        Rgb c;
    };
    const Case cases[] = {
            {0, {0, 0, 0}},         {1, {0, 0, 188}},       {2, {0, 188, 0}},
            {3, {188, 188, 0}},     {4, {188, 0, 0}},       {5, {188, 0, 188}},
            {6, {0, 188, 188}},     {7, {192, 192, 192}},   {8, {192, 220, 192}},
            {9, {164, 200, 240}},   {10, {128, 0, 0}},      {11, {0, 128, 0}},
            {12, {128, 128, 0}},    {13, {0, 0, 128}},      {14, {128, 0, 128}},
            {15, {0, 128, 128}},    {246, {252, 248, 240}}, {247, {160, 160, 164}},
            {248, {128, 128, 128}}, {249, {252, 0, 0}},     {250, {0, 252, 0}},
            {251, {252, 252, 0}},   {252, {0, 0, 252}},     {253, {252, 0, 252}},
            {254, {0, 252, 252}},   {255, {252, 252, 252}},
    };
    const PaletteTable p = loaded("STANDARD");
    for (const Case &c : cases)
        EXPECT_EQ(entry(p, c.n), c.c) << "entry " << c.n;
}

TEST(PaletteStandard, ColourCube)
{
    const PaletteTable p = loaded("STANDARD");
    for (int e = 16; e <= 245; ++e) {
        const int n = e - 9;
        const Rgb expected{60 + 32 * (n % 7), 60 + 32 * ((n / 7) % 7), 60 + 32 * (n / 49)};
        EXPECT_EQ(entry(p, e), expected) << "entry " << e;
    }
    EXPECT_EQ(entry(p, 16), (Rgb{60, 92, 60}));
    EXPECT_EQ(entry(p, 58), (Rgb{60, 60, 92}));
    EXPECT_EQ(entry(p, 245), (Rgb{220, 220, 188}));
}

// ------------------------------------------------------------- SPEZIAL

int level(int v)
{
    return 8 * v + v / 4;
}

// The level number of a byte value, or -1 when it is no level.
int levelOf(int value)
{
    for (int v = 0; v < 32; ++v)
        if (level(v) == value)
            return v;
    return -1;
}

TEST(PaletteSpezial, LevelsAreTheListedOnes)
{
    const int listed[32] = {0,   8,   16,  24,  33,  41,  49,  57,  66,  74,  82,
                            90,  99,  107, 115, 123, 132, 140, 148, 156, 165, 173,
                            181, 189, 198, 206, 214, 222, 231, 239, 247, 255};
    for (int v = 0; v < 32; ++v)
        EXPECT_EQ(level(v), listed[v]);
}

TEST(PaletteSpezial, EveryComponentIsALevelAndAllEntriesDiffer)
{
    const PaletteTable p = loaded("SPEZIAL");
    for (int i = 0; i < 768; ++i)
        EXPECT_NE(levelOf(p[i]), -1) << "byte " << i << " = " << int(p[i]);
    std::set<std::array<int, 3>> seen;
    for (int n = 0; n < 256; ++n) {
        const Rgb c = entry(p, n);
        EXPECT_TRUE(seen.insert({c.r, c.g, c.b}).second) << "entry " << n << " repeats";
    }
}

TEST(PaletteSpezial, GreyAndRedRows)
{
    const PaletteTable p = loaded("SPEZIAL");
    for (int n = 0; n <= 30; ++n) {
        const int v = level(31 - n);
        EXPECT_EQ(entry(p, n), (Rgb{v, v, v})) << "entry " << n;
    }
    for (int n = 31; n <= 56; ++n)
        EXPECT_EQ(entry(p, n), (Rgb{level(57 - n), 0, 0})) << "entry " << n;
    EXPECT_EQ(entry(p, 0), (Rgb{255, 255, 255}));
    EXPECT_EQ(entry(p, 30), (Rgb{8, 8, 8}));
    EXPECT_EQ(entry(p, 31), (Rgb{214, 0, 0}));
    EXPECT_EQ(entry(p, 56), (Rgb{8, 0, 0}));
    EXPECT_EQ(entry(p, 255), (Rgb{0, 0, 0}));
}

TEST(PaletteSpezial, RedsToOranges)
{
    const PaletteTable p = loaded("SPEZIAL");
    EXPECT_EQ(entry(p, 57), (Rgb{222, 8, 0}));
    EXPECT_EQ(entry(p, 79), (Rgb{255, 123, 0}));
    for (int n = 57; n <= 79; ++n) {
        const Rgb c = entry(p, n);
        EXPECT_EQ(c.b, 0) << "entry " << n;
        EXPECT_GE(c.r, 206) << "entry " << n;
        EXPECT_LE(c.r, 255) << "entry " << n;
        EXPECT_GE(c.g, 8) << "entry " << n;
        EXPECT_LE(c.g, 123) << "entry " << n;
        if (n > 57) {
            EXPECT_GE(c.g, entry(p, n - 1).g) << "green falls at entry " << n;
        }
    }
}

TEST(PaletteSpezial, WarmRowsHaveRedAtLeastGreenAtLeastBlue)
{
    const PaletteTable p = loaded("SPEZIAL");
    for (int n = 80; n <= 157; ++n) {
        const Rgb c = entry(p, n);
        EXPECT_TRUE(c.r >= c.g && c.g >= c.b) << "entry " << n;
    }
}

TEST(PaletteSpezial, PaleYellowsWithDarkOlivesBetween)
{
    const PaletteTable p = loaded("SPEZIAL");
    int nextBlueLevel = 30;
    int yellows = 0, olives = 0;
    for (int n = 131; n <= 157; ++n) {
        const Rgb c = entry(p, n);
        if (c.r == 255 && c.g == 255) {
            EXPECT_EQ(c.b, level(nextBlueLevel)) << "entry " << n;
            --nextBlueLevel;
            ++yellows;
        } else {
            EXPECT_TRUE(c.r == c.g && c.g > c.b) << "entry " << n << " is no olive";
            EXPECT_LT(c.r, 128) << "entry " << n << " is not dark";
            ++olives;
        }
    }
    EXPECT_EQ(yellows, 18);
    EXPECT_EQ(olives, 9);
    EXPECT_EQ(entry(p, 131), (Rgb{255, 255, 247}));
    EXPECT_EQ(entry(p, 157), (Rgb{255, 255, 107}));
}

TEST(PaletteSpezial, CoolRowsHaveRedAtMostGreenAtMostBlue)
{
    const PaletteTable p = loaded("SPEZIAL");
    for (int n = 158; n <= 254; ++n) {
        const Rgb c = entry(p, n);
        EXPECT_TRUE(c.r <= c.g && c.g <= c.b) << "entry " << n;
    }
}

TEST(PaletteSpezial, FurtherRows)
{
    struct Case
    {
        int n;
        Rgb c;
    };
    const Case cases[] = {
            {80, {115, 107, 99}},   {81, {49, 41, 33}},     {83, {255, 132, 0}},
            {131, {255, 255, 247}}, {158, {247, 255, 255}}, {183, {181, 222, 255}},
            {226, {214, 222, 231}}, {254, {16, 16, 24}},
    };
    const PaletteTable p = loaded("SPEZIAL");
    for (const Case &c : cases)
        EXPECT_EQ(entry(p, c.n), c.c) << "entry " << c.n;
}

} // namespace
