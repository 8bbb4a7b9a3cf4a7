// The program's arithmetic as bytes, for comparing builds: the zoom series
// of two targets and images of hard places, computed by the row engine, and
// a stream of number texts, re-centred points and overview pixels, all of
// which depend on every bit of the extended precision.
//
//   series_images write DIR   writes them (the x87 build makes the reference)
//   series_images check DIR   computes them again and compares byte for byte
//
// Exit status: 0 when equal (or written), 1 on a difference, 2 on bad usage
// or a missing file.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "numtext/numtext.h"
#include "overview/overviewmap.h"
#include "render/engine.h"
#include "render/recentre.h"

namespace {

struct Image
{
    std::string name;
    int w, h;
    double factor, re, im;
};

std::vector<Image> images()
{
    std::vector<Image> list;
    const double factors[] = {10, 100, 1000, 10000, 100000, 1000000};
    for (double f : factors) {
        list.push_back({"default", 380, 250, f, -1.41, 0.0});
        list.push_back({"seahorse", 380, 250, f, -0.7492401216, 0.1308411215});
    }
    const Image edges[] = {
            {"cardioid-edge", 96, 64, 1e8, 0.25, 0.0},
            {"disc-edge", 96, 64, 1e6, -0.75, 0.0},
            {"period-3-cusp", 96, 64, 1e8, -1.75, 0.0},
            {"period-8-disc", 96, 64, 1e6, -1.3940462, 0.0},
            {"filament-tip", 96, 64, 1e4, -2.0, 0.0},
            {"dendrite", 96, 64, 1e6, 0.0, 1.0},
            {"misiurewicz", 96, 64, 1e5, -0.10109636, 0.95628651},
            {"spiral", 96, 64, 1e8, -0.7436447860, 0.1318252536},
            {"whole-set", 64, 64, 0.5, 0.0, 0.0},
            {"reversed", 64, 48, -10, -0.5, 0.3},
    };
    list.insert(list.end(), std::begin(edges), std::end(edges));
    return list;
}

std::vector<std::uint8_t> compute(zoom::RowEngine &engine, const Image &im)
{
    const zoom::Geometry g = zoom::makeGeometry(im.w, im.h, zoom::clampFactor(im.factor), im.re,
                                                im.im);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(im.w) * im.h);
    engine.begin(g);
    for (int r = 0; r < im.h; ++r) {
        const std::uint8_t *row = engine.waitRow(r);
        if (row != nullptr)
            std::memcpy(out.data() + static_cast<std::size_t>(r) * im.w, row, im.w);
    }
    return out;
}

std::string fileName(const Image &im)
{
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%s-%dx%d-%g.raw", im.name.c_str(), im.w, im.h, im.factor);
    return buffer;
}

// Number texts both ways, re-centring and the overview conversions for a
// fixed stream of values: one line each.
std::string numbers()
{
    std::ostringstream out;
    std::mt19937_64 random(20261208);
    auto anyDouble = [&] {
        double d;
        const std::uint64_t bits = random();
        std::memcpy(&d, &bits, sizeof d);
        return d;
    };
    auto hex = [](double d) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%a", d);
        return std::string(buffer);
    };
    for (int i = 0; i < 20000; ++i) {
        const double d = anyDouble();
        if (d != d)
            continue;
        const double near = std::ldexp(static_cast<double>(random() >> 11), -53)
                            * std::pow(10.0, static_cast<int>(random() % 40) - 20);
        out << FormatReal(0, 16, d) << ' ' << FormatReal(0, 16, near) << ' '
            << FormatReal(0, static_cast<std::uint8_t>(random() % 19), near) << '\n';
    }
    const char *digits = "0123456789";
    for (int i = 0; i < 20000; ++i) {
        std::string text = (random() & 1) ? "-" : "";
        const int n = 1 + static_cast<int>(random() % 40);
        for (int j = 0; j < n; ++j)
            text.push_back(digits[random() % 10]);
        if (random() & 1)
            text.insert(text.size() - random() % text.size(), ".");
        if (random() % 3 == 0)
            text += "E" + std::to_string(static_cast<int>(random() % 700) - 350);
        try {
            out << text << ' ' << hex(ParseReal(text)) << '\n';
        } catch (const FloatingPointOverflow &) {
            out << text << " overflow\n";
        }
    }
    for (int i = 0; i < 5000; ++i) {
        const double re = -2 + 3.5 * std::ldexp(static_cast<double>(random() >> 11), -53);
        const double im = -2 + 4 * std::ldexp(static_cast<double>(random() >> 11), -53);
        const double factor = std::pow(10.0, static_cast<double>(random() % 90) / 10.0);
        const int X = static_cast<int>(random() % 380), Y = static_cast<int>(random() % 250);
        const ComplexPoint p = recentrePoint({re, im}, factor, 380, 250, X, Y);
        const PixelPoint pixel = planeToPixel(re, im, 320, 240);
        const ComplexPoint back = pixelToPlane(X, Y, 320, 240);
        out << hex(p.re) << ' ' << hex(p.im) << ' ' << pixel.x << ' ' << pixel.y << ' '
            << hex(back.re) << ' ' << hex(back.im) << '\n';
    }
    return out.str();
}

bool readFile(const std::string &path, std::string &content)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3 || (std::strcmp(argv[1], "write") != 0 && std::strcmp(argv[1], "check") != 0)) {
        std::fprintf(stderr, "usage: series_images write|check DIR\n");
        return 2;
    }
    const bool write = std::strcmp(argv[1], "write") == 0;
    const std::string dir = argv[2];
    zoom::RowEngine engine;
    int differing = 0, compared = 0;
    auto handle = [&](const std::string &name, const std::string &bytes) -> bool {
        const std::string path = dir + "/" + name;
        if (write) {
            std::ofstream out(path, std::ios::binary);
            if (!(out << bytes).flush()) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return false;
            }
            return true;
        }
        std::string want;
        if (!readFile(path, want)) {
            std::fprintf(stderr, "missing reference %s\n", path.c_str());
            return false;
        }
        ++compared;
        if (want != bytes) {
            std::size_t at = 0;
            while (at < want.size() && at < bytes.size() && want[at] == bytes[at])
                ++at;
            std::printf("DIFFERS: %s, first at byte %zu\n", name.c_str(), at);
            ++differing;
        }
        return true;
    };
    for (const Image &im : images()) {
        const std::vector<std::uint8_t> pixels = compute(engine, im);
        if (!handle(fileName(im), std::string(pixels.begin(), pixels.end())))
            return 2;
    }
    if (!handle("numbers.txt", numbers()))
        return 2;
    if (write) {
        std::printf("written to %s\n", dir.c_str());
        return 0;
    }
    std::printf("%d of %d files equal the reference\n", compared - differing, compared);
    return differing == 0 ? 0 : 1;
}
