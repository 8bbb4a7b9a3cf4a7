// Writes the four stored palettes of the program: VERTIGO.pal, SPEZIAL.pal,
// NEON.pal and STANDARD.pal, each 256 entries of red, green, blue (768 bytes,
// no header).
//
// Usage: gen_palettes [output directory]   (default: current directory)
//
// The files are kept in resources/ and embedded into the program; this tool
// is run by hand when a palette is to be changed, never during a build.

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

struct Rgb
{
    int r = 0, g = 0, b = 0;
};

using Palette = std::array<Rgb, 256>;

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "gen_palettes: %s\n", what.c_str());
    std::exit(1);
}

// ---------------------------------------------------------------- VERTIGO

// One hill of 31 entries: fifteen rising, the peak, fifteen falling.
// `entries` lists the 31 table entries in order; `mask` says which channels
// carry the hill (bit 0 red, bit 1 green, bit 2 blue).
void vertigoHill(Palette &p, const std::array<int, 31> &entries, int mask)
{
    for (int i = 0; i < 31; ++i) {
        const int v = i < 16 ? 16 * (i + 1) - 4 : 256 - 16 * (i - 15);
        Rgb &c = p[entries[i]];
        c.r = (mask & 1) ? v : 0;
        c.g = (mask & 2) ? v : 0;
        c.b = (mask & 4) ? v : 0;
    }
}

std::array<int, 31> run(int first)
{
    std::array<int, 31> e{};
    for (int i = 0; i < 31; ++i)
        e[i] = first + i;
    return e;
}

Palette vertigoPalette()
{
    Palette p{}; // entries not set below (the separators) stay black
    std::array<int, 31> yellow{};
    for (int i = 0; i < 31; ++i)
        yellow[i] = i < 12 ? 244 + i : i - 11; // 244 … 255, then 1 … 19
    vertigoHill(p, yellow, 1 | 2);
    vertigoHill(p, run(21), 2);      // green
    vertigoHill(p, run(53), 1 | 4);  // magenta
    vertigoHill(p, run(148), 1);     // red
    vertigoHill(p, run(180), 2 | 4); // cyan
    vertigoHill(p, run(212), 4);     // blue

    // Blue-white, 84 … 115.
    for (int k = 0; k <= 16; ++k) {
        const int rg = k == 0 ? 0 : 16 * k - 4;
        p[84 + k] = {rg, rg, 4 * (20 + 43 * k / 16)};
    }
    for (int m = 1; m <= 15; ++m) {
        const int rg = 256 - 16 * m;
        p[100 + m] = {rg, rg, 4 * (63 - 43 * m / 16)};
    }

    // Grey, 116 … 146.
    for (int k = 0; k <= 16; ++k)
        p[116 + k] = {8 * k, 8 * k, 8 * k};
    const int greyFall[14] = {120, 112, 104, 96, 88, 80, 72, 60, 52, 44, 36, 28, 20, 12};
    for (int i = 0; i < 14; ++i)
        p[133 + i] = {greyFall[i], greyFall[i], greyFall[i]};
    return p;
}

// ---------------------------------------------------------------- NEON

Palette neonPalette()
{
    Palette p{}; // the black stretches stay zero
    // Pink, 2 … 63.
    for (int k = 1; k <= 31; ++k)
        p[1 + k] = {k <= 30 ? 8 * k : 252, 4 * (20 * k / 31), 4 * (k - 1)};
    for (int m = 1; m <= 31; ++m)
        p[32 + m] = {256 - 8 * m, 4 * (20 - 20 * m / 32), 4 * (30 - 30 * m / 32)};
    // Green, 81 … 143, and yellow, 161 … 223.
    for (int k = 1; k <= 32; ++k) {
        p[80 + k] = {0, 8 * k - 4, 0};
        p[160 + k] = {8 * k - 4, 8 * k - 4, 0};
    }
    for (int m = 1; m <= 31; ++m) {
        p[112 + m] = {0, 256 - 8 * m, 0};
        p[192 + m] = {256 - 8 * m, 256 - 8 * m, 0};
    }
    return p;
}

// ---------------------------------------------------------------- STANDARD

Palette standardPalette()
{
    Palette p{};
    const Rgb low[16] = {
            {0, 0, 0},       {0, 0, 188},     {0, 188, 0},   {188, 188, 0},
            {188, 0, 0},     {188, 0, 188},   {0, 188, 188}, {192, 192, 192},
            {192, 220, 192}, {164, 200, 240}, {128, 0, 0},   {0, 128, 0},
            {128, 128, 0},   {0, 0, 128},     {128, 0, 128}, {0, 128, 128},
    };
    for (int i = 0; i < 16; ++i)
        p[i] = low[i];
    for (int e = 16; e <= 245; ++e) {
        const int n = e - 9;
        p[e] = {60 + 32 * (n % 7), 60 + 32 * ((n / 7) % 7), 60 + 32 * (n / 49)};
    }
    const Rgb high[10] = {
            {252, 248, 240}, {160, 160, 164}, {128, 128, 128}, {252, 0, 0},   {0, 252, 0},
            {252, 252, 0},   {0, 0, 252},     {252, 0, 252},   {0, 252, 252}, {252, 252, 252},
    };
    for (int i = 0; i < 10; ++i)
        p[246 + i] = high[i];
    return p;
}

// ---------------------------------------------------------------- SPEZIAL

// The 32 intensity levels of SPEZIAL: 0, 8, 16, 24, 33, … 247, 255.
int L(int v)
{
    if (v < 0 || v > 31)
        fail("level out of range: " + std::to_string(v));
    return 8 * v + v / 4;
}

Rgb lv(int r, int g, int b)
{
    return {L(r), L(g), L(b)};
}

Palette spezialPalette()
{
    Palette p{};

    // 0 … 30: grey falling from white.
    for (int n = 0; n <= 30; ++n)
        p[n] = lv(31 - n, 31 - n, 31 - n);

    // 31 … 56: red falling from 214 to 8.
    for (int n = 31; n <= 56; ++n)
        p[n] = lv(57 - n, 0, 0);

    // 57 … 79: reds to oranges. Green climbs from level 1 to 15 in uneven
    // steps; red wanders over the six top levels so that entries sharing a
    // green level still differ.
    for (int j = 0; j <= 22; ++j)
        p[57 + j] = lv(31 - (22 - j) % 6, 1 + 14 * j / 22, 0);

    // 80 … 130: warm colours in groups of four: a tan or khaki, a dark brown,
    // an olive grey, and a yellow or orange with red at full level.
    for (int n = 80; n <= 130; ++n) {
        const int i = (n - 80) / 4;
        switch ((n - 80) % 4) {
        case 0:
            p[n] = lv(14 + i, 13 + i, 12 + i);
            break;
        case 1:
            p[n] = lv(6 + i, 5 + i / 2, 4 + i / 3);
            break;
        case 2:
            p[n] = lv(10 + i, 10 + i, 7 + i);
            break;
        case 3:
            p[n] = lv(31, 16 + i, 0);
            break;
        }
    }

    // 131 … 157: eighteen pale yellows with blue falling one level each from
    // 30 to 13, two in every three entries, with a dark olive between.
    {
        int yellowLevel = 30;
        int olive = 0;
        for (int n = 131; n <= 157; ++n) {
            if ((n - 131) % 3 == 1) {
                p[n] = lv(5 + olive, 5 + olive, 1 + olive);
                ++olive;
            } else {
                p[n] = lv(31, 31, yellowLevel);
                --yellowLevel;
            }
        }
        if (yellowLevel != 12 || olive != 9)
            fail("pale yellow stretch miscounted");
    }

    // 158 … 254: cool colours.
    for (int j = 0; j <= 24; ++j) // 158 … 182: pale cyans
        p[158 + j] = lv(30 - j, 31 - j / 3, 31);
    for (int j = 0; j <= 21; ++j) // 183 … 204: sky blues
        p[183 + j] = lv(22 - j, 27 - j, 31);
    for (int j = 0; j <= 21; ++j) // 205 … 226: blue-greys
        p[205 + j] = lv(5 + j, 6 + j, 7 + j);
    for (int j = 0; j <= 27; ++j) // 227 … 254: slate greys, darkening
        p[227 + j] = lv(29 - j, 29 - j, 30 - j);

    // 255: black.
    p[255] = {0, 0, 0};
    return p;
}

// ---------------------------------------------------------------- checks

void Expect(bool ok, const char *palette, int entry, const char *rule)
{
    if (!ok)
        fail(std::string(palette) + " entry " + std::to_string(entry) + ": " + rule);
}

void checkMultipleOf4(const Palette &p, const char *name)
{
    for (int n = 0; n < 256; ++n)
        Expect(p[n].r % 4 == 0 && p[n].g % 4 == 0 && p[n].b % 4 == 0, name, n,
               "byte not a multiple of 4");
}

void checkSpezial(const Palette &p)
{
    std::set<int> levels;
    for (int v = 0; v < 32; ++v)
        levels.insert(L(v));
    std::set<std::array<int, 3>> seen;
    for (int n = 0; n < 256; ++n) {
        const Rgb c = p[n];
        Expect(levels.count(c.r) && levels.count(c.g) && levels.count(c.b), "SPEZIAL", n,
               "component is not a level");
        Expect(seen.insert({c.r, c.g, c.b}).second, "SPEZIAL", n, "duplicate colour");
        if (n >= 57 && n <= 79)
            Expect(c.b == 0 && c.r >= 206 && (n == 57 || c.g >= p[n - 1].g), "SPEZIAL", n,
                   "reds to oranges");
        if (n >= 80 && n <= 157)
            Expect(c.r >= c.g && c.g >= c.b, "SPEZIAL", n, "warm ordering");
        if (n >= 158 && n <= 254)
            Expect(c.r <= c.g && c.g <= c.b, "SPEZIAL", n, "cool ordering");
    }
    struct Fixed
    {
        int n;
        Rgb c;
    };
    const Fixed fixed[] = {
            {57, {222, 8, 0}},      {79, {255, 123, 0}},    {80, {115, 107, 99}},
            {81, {49, 41, 33}},     {83, {255, 132, 0}},    {131, {255, 255, 247}},
            {157, {255, 255, 107}}, {158, {247, 255, 255}}, {183, {181, 222, 255}},
            {226, {214, 222, 231}}, {254, {16, 16, 24}},
    };
    for (const Fixed &f : fixed)
        Expect(p[f.n].r == f.c.r && p[f.n].g == f.c.g && p[f.n].b == f.c.b, "SPEZIAL", f.n,
               "fixed entry");
}

void write(const std::string &dir, const char *name, const Palette &p)
{
    std::array<unsigned char, 768> bytes{};
    for (int n = 0; n < 256; ++n) {
        const Rgb c = p[n];
        if (c.r < 0 || c.r > 255 || c.g < 0 || c.g > 255 || c.b < 0 || c.b > 255)
            fail(std::string(name) + ": component out of range at entry " + std::to_string(n));
        bytes[3 * n] = static_cast<unsigned char>(c.r);
        bytes[3 * n + 1] = static_cast<unsigned char>(c.g);
        bytes[3 * n + 2] = static_cast<unsigned char>(c.b);
    }
    const std::string path = dir + "/" + name + ".pal";
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        fail("cannot create " + path);
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (std::fclose(f) != 0 || !ok)
        fail("cannot write " + path);
}

} // namespace

int main(int argc, char **argv)
{
    const std::string dir = argc > 1 ? argv[1] : ".";

    const Palette vertigo = vertigoPalette();
    const Palette neon = neonPalette();
    const Palette standard = standardPalette();
    const Palette spezial = spezialPalette();

    checkMultipleOf4(vertigo, "VERTIGO");
    checkMultipleOf4(neon, "NEON");
    checkMultipleOf4(standard, "STANDARD");
    checkSpezial(spezial);

    write(dir, "VERTIGO", vertigo);
    write(dir, "SPEZIAL", spezial);
    write(dir, "NEON", neon);
    write(dir, "STANDARD", standard);
    return 0;
}
