// Writes the program's icon: the whole Mandelbrot set, coloured by escape
// count in the stored VERTIGO palette, on a square with rounded corners.
//
// Usage: gen_icon VERTIGO.pal OUTPUT_DIRECTORY
//
// Writes de.mandelbrotmenge.Mandelbrotmenge.svg (a grid of coloured runs,
// for the scalable theme folder) and de.mandelbrotmenge.Mandelbrotmenge-N.png
// for N = 16, 32, 48, 64, 128, 256 (8 x 8 samples per pixel). The files are
// kept in resources/icons/, embedded into the program and installed with it;
// this tool is run by hand, never during a build.

#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include <zlib.h>

namespace {

const std::string kIconName = "de.mandelbrotmenge.Mandelbrotmenge";
constexpr int kIterationLimit = 1000;
constexpr int kSvgGrid = 96; // cells per side of the scalable icon
constexpr int kSamples = 8;  // samples per pixel side of the PNGs
// The plane square shown: the whole set, centred a little left of -0.5.
constexpr double kCentreRe = -0.65;
constexpr double kCentreIm = 0.0;
constexpr double kSide = 2.9;
constexpr double kCornerRadius = 0.125; // of the side
constexpr int kBandStep = 16;

using Rgb = std::array<int, 3>;
using Palette = std::array<Rgb, 256>;

[[noreturn]] void fail(const std::string &what)
{
    std::fprintf(stderr, "gen_icon: %s\n", what.c_str());
    std::exit(1);
}

Palette readPalette(const std::string &path)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        fail("cannot open " + path);
    unsigned char bytes[768];
    const std::size_t n = std::fread(bytes, 1, sizeof bytes, f);
    std::fclose(f);
    if (n != sizeof bytes)
        fail(path + " is not 768 bytes long");
    Palette p;
    for (int i = 0; i < 256; ++i)
        p[i] = {bytes[3 * i], bytes[3 * i + 1], bytes[3 * i + 2]};
    return p;
}

// First k with |z_k|² > 4 (z_0 = 0, z_{k+1} = z_k² + c); the limit when the
// point stays bounded.
int escapeCount(double re, double im)
{
    double zr = 0.0, zi = 0.0;
    for (int k = 1; k < kIterationLimit; ++k) {
        const double nr = zr * zr - zi * zi + re;
        zi = 2.0 * zr * zi + im;
        zr = nr;
        if (zr * zr + zi * zi > 4.0)
            return k;
    }
    return kIterationLimit;
}

// The colour at (u, v) of the unit square, v downwards: black for the set,
// otherwise the palette in its cyclic order 1 … 255 taken kBandStep entries
// per escape step (the palette's neighbouring entries differ too little to
// tell the few bands of a small icon apart); a black separator entry takes
// the colour before it so that black marks the set alone.
Rgb colourAt(const Palette &palette, double u, double v)
{
    const int k = escapeCount(kCentreRe + (u - 0.5) * kSide, kCentreIm - (v - 0.5) * kSide);
    if (k >= kIterationLimit)
        return {0, 0, 0};
    int n = (k - 1) * kBandStep % 255 + 1;
    if (palette[n] == Rgb{0, 0, 0})
        n -= 1;
    return palette[n];
}

// Whether (u, v) of the unit square lies inside the rounded square.
bool insideShape(double u, double v)
{
    const double r = kCornerRadius;
    const double cu = u < r ? r : (u > 1.0 - r ? 1.0 - r : u);
    const double cv = v < r ? r : (v > 1.0 - r ? 1.0 - r : v);
    return (u - cu) * (u - cu) + (v - cv) * (v - cv) <= r * r;
}

// ---------------------------------------------------------------- PNG

void putBig32(std::vector<unsigned char> &out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<unsigned char>((v >> shift) & 0xFF));
}

void chunk(std::vector<unsigned char> &png, const char *type, const std::vector<unsigned char> &data)
{
    putBig32(png, static_cast<std::uint32_t>(data.size()));
    std::vector<unsigned char> body(type, type + 4);
    body.insert(body.end(), data.begin(), data.end());
    png.insert(png.end(), body.begin(), body.end());
    putBig32(png, static_cast<std::uint32_t>(crc32(0, body.data(), static_cast<uInt>(body.size()))));
}

std::vector<unsigned char> zlib(const std::vector<unsigned char> &raw)
{
    uLongf n = compressBound(static_cast<uLong>(raw.size()));
    std::vector<unsigned char> z(n);
    if (compress2(z.data(), &n, raw.data(), static_cast<uLong>(raw.size()), Z_BEST_COMPRESSION)
        != Z_OK)
        fail("compression failed");
    z.resize(n);
    return z;
}

void writeFile(const std::string &path, const std::string &text)
{
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (!f || std::fwrite(text.data(), 1, text.size(), f) != text.size() || std::fclose(f) != 0)
        fail("cannot write " + path);
}

// An RGBA picture of size × size pixels, each the mean of kSamples² samples;
// samples outside the rounded square are transparent.
void writePng(const Palette &palette, int size, const std::string &path)
{
    std::vector<unsigned char> raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0); // filter: none
        for (int x = 0; x < size; ++x) {
            double sum[3] = {0, 0, 0};
            int inside = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double u = (x + (sx + 0.5) / kSamples) / size;
                    const double v = (y + (sy + 0.5) / kSamples) / size;
                    if (!insideShape(u, v))
                        continue;
                    const Rgb c = colourAt(palette, u, v);
                    for (int i = 0; i < 3; ++i)
                        sum[i] += c[i];
                    ++inside;
                }
            }
            for (int i = 0; i < 3; ++i)
                raw.push_back(inside ? static_cast<unsigned char>(std::lround(sum[i] / inside)) : 0);
            raw.push_back(static_cast<unsigned char>(
                    std::lround(255.0 * inside / (kSamples * kSamples))));
        }
    }
    std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<unsigned char> header;
    putBig32(header, static_cast<std::uint32_t>(size));
    putBig32(header, static_cast<std::uint32_t>(size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8 bits, RGBA, deflate, no filter, no interlace
    chunk(png, "IHDR", header);
    chunk(png, "IDAT", zlib(raw));
    chunk(png, "IEND", {});
    writeFile(path, std::string(png.begin(), png.end()));
}

// The scalable icon: each grid row as runs of equal colour, sampled at the
// cell centres, clipped to the rounded square. Runs overlap their right and
// lower neighbours slightly so that no seams show between them.
void writeSvg(const Palette &palette, const std::string &path)
{
    const int n = kSvgGrid;
    char buf[256];
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    std::snprintf(buf, sizeof buf,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                  "viewBox=\"0 0 %d %d\">\n",
                  n, n);
    svg += buf;
    std::snprintf(buf, sizeof buf,
                  "<clipPath id=\"shape\"><rect width=\"%d\" height=\"%d\" rx=\"%g\"/></clipPath>\n"
                  "<g clip-path=\"url(#shape)\">\n",
                  n, n, kCornerRadius * n);
    svg += buf;
    for (int y = 0; y < n; ++y) {
        int x = 0;
        while (x < n) {
            const double v = (y + 0.5) / n;
            const Rgb c = colourAt(palette, (x + 0.5) / n, v);
            int end = x + 1;
            while (end < n && colourAt(palette, (end + 0.5) / n, v) == c)
                ++end;
            std::snprintf(
                    buf, sizeof buf,
                    "<rect x=\"%d\" y=\"%d\" width=\"%g\" height=\"%g\" fill=\"#%02x%02x%02x\"/>\n",
                    x, y, end - x + (end < n ? 0.1 : 0.0), y + 1 < n ? 1.1 : 1.0, c[0], c[1], c[2]);
            svg += buf;
            x = end;
        }
    }
    svg += "</g>\n</svg>\n";
    writeFile(path, svg);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3)
        fail("usage: gen_icon VERTIGO.pal OUTPUT_DIRECTORY");
    const Palette palette = readPalette(argv[1]);
    const std::string dir = argv[2];
    writeSvg(palette, dir + "/" + kIconName + ".svg");
    for (int size : {16, 32, 48, 64, 128, 256})
        writePng(palette, size, dir + "/" + kIconName + "-" + std::to_string(size) + ".png");
    return 0;
}
