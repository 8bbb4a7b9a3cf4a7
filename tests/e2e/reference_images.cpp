// Writes the six zoom images that the program must show for a target point,
// as binary PPM files, so that the end-to-end tests can compare the window's
// thumbnails with them pixel for pixel. No window is needed.
//
//   e2e_reference OUTDIR RE IM PALETTE [PALETTE ...]
//
// RE and IM are the texts of the two edit fields ("-1,41", "0"); they are read
// the way the run reads the fields. The factors are the start-up table
// "10" ... "1000000", the size is that of the thumbnails, 380 x 250. Every
// image is computed literally, pixel by pixel (zoom::renderPlain), then
// coloured through each named stored palette: OUTDIR/PALETTE-N.ppm, N = 1...6.
// The colour indices go to OUTDIR/index-N.pgm as well.
//
// Environment: E2E_REF_SIZE=WxH overrides the size, E2E_REF_FACTORS a
// comma-free list of factor texts separated by blanks.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "colour/palette.h"
#include "numtext/numtext.h"
#include "render/engine.h"
#include "tests/support/referenceloop.h"

namespace {

bool writeFile(const std::string &path, const std::string &header,
               const std::vector<std::uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << header;
    out.write(reinterpret_cast<const char *>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: %s OUTDIR RE IM PALETTE [PALETTE ...]\n", argv[0]);
        return 2;
    }
    const std::string outdir = argv[1];
    int w = 380, h = 250;
    if (const char *size = std::getenv("E2E_REF_SIZE")) {
        if (std::sscanf(size, "%dx%d", &w, &h) != 2 || w <= 0 || h <= 0) {
            std::fprintf(stderr, "bad E2E_REF_SIZE '%s'\n", size);
            return 2;
        }
    }
    std::vector<std::string> factorTexts = {"10", "100", "1000", "10000", "100000", "1000000"};
    if (const char *list = std::getenv("E2E_REF_FACTORS")) {
        factorTexts.clear();
        std::istringstream words(list);
        for (std::string word; words >> word;)
            factorTexts.push_back(word);
        if (factorTexts.size() != 6) {
            std::fprintf(stderr, "E2E_REF_FACTORS needs six factors\n");
            return 2;
        }
    }

    try {
        const double re = ParseReal(NormalizeReal(argv[2]));
        const double im = ParseReal(NormalizeReal(argv[3]));

        std::vector<std::vector<std::uint8_t>> indices(6, std::vector<std::uint8_t>(
                                                                  static_cast<std::size_t>(w) * h));
        std::vector<zoom::Geometry> geometry(6);
        for (int n = 0; n < 6; ++n) {
            const double factor = zoom::clampFactor(ParseReal(NormalizeReal(factorTexts[n])));
            geometry[n] = zoom::makeGeometry(w, h, factor, re, im);
        }
        {
            // Six independent images: one thread each.
            std::vector<std::thread> workers;
            for (int n = 0; n < 6; ++n)
                workers.emplace_back([&, n] { zoom::renderPlain(geometry[n], indices[n].data()); });
            for (auto &t : workers)
                t.join();
        }

        const std::string pgmHeader = "P5\n" + std::to_string(w) + " " + std::to_string(h)
                                      + "\n255\n";
        const std::string ppmHeader = "P6\n" + std::to_string(w) + " " + std::to_string(h)
                                      + "\n255\n";
        for (int n = 0; n < 6; ++n) {
            const std::string path = outdir + "/index-" + std::to_string(n + 1) + ".pgm";
            if (!writeFile(path, pgmHeader, indices[n])) {
                std::fprintf(stderr, "cannot write %s\n", path.c_str());
                return 1;
            }
        }
        for (int p = 4; p < argc; ++p) {
            const std::string name = argv[p];
            LoadPalette(name);
            for (int n = 0; n < 6; ++n) {
                std::vector<std::uint8_t> rgb(static_cast<std::size_t>(w) * h * 3);
                for (std::size_t i = 0; i < indices[n].size(); ++i)
                    for (int c = 0; c < 3; ++c)
                        rgb[3 * i + c] = activePalette[3 * indices[n][i] + c];
                const std::string path = outdir + "/" + name + "-" + std::to_string(n + 1) + ".ppm";
                if (!writeFile(path, ppmHeader, rgb)) {
                    std::fprintf(stderr, "cannot write %s\n", path.c_str());
                    return 1;
                }
            }
        }
    } catch (const std::exception &e) {
        std::fprintf(stderr, "e2e_reference: %s\n", e.what());
        return 1;
    }
    return 0;
}
