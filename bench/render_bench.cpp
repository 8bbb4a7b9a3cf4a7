// Times the six-image zoom series through the row engine (rows taken in
// order, as the window takes them) against the plain one-thread loop, for the
// default target and a target in the seahorse valley, and checks that both
// give the same bytes. Exit status 1 when any image differs.
//
// The plain loop computes in the x87 unit's long double wherever there is
// one, also when the engine is built with the software extended type
// (MANDEL_SOFT_EXTENDED), so that the ratio compares the two paths.
//
// Per series it also prints how close each runs to the hardware: the steps
// of the iteration the plain loop makes, the steps the engine makes and the
// points it decides by a proof without iterating to the limit, and the
// nanoseconds per step made, per core (the plain loop runs on one core, the
// engine on all of its threads). For the software path it sums these up in
// one line: nanoseconds per step per core, and the ratio to the plain x87 loop.
//
// Usage: render_bench [repeats [threads]]
//   repeats: default 3, the best time of each image counts
//   threads: worker threads of the engine, default one per core

#include "render/engine.h"
#include "tests/support/referenceloop.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr int kWidth = 380;
constexpr int kHeight = 250;
const double kFactors[] = {10, 100, 1000, 10000, 100000, 1000000};

struct Target
{
    const char *name;
    double re, im;
};

double seconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

} // namespace

int main(int argc, char **argv)
{
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const Target targets[] = {{"default (-1.41, 0)", -1.41, 0.0},
                              {"seahorse (-0.7492401216, 0.1308411215)", -0.7492401216,
                               0.1308411215}};
    const unsigned threads = argc > 2 ? static_cast<unsigned>(std::max(1, std::atoi(argv[2]))) : 0u;
    zoom::RowEngine engine(threads);
    // Other work on the machine distorts the ratio; say how busy it was.
    if (std::FILE *f = std::fopen("/proc/loadavg", "r")) {
        double load = 0;
        if (std::fscanf(f, "%lf", &load) == 1)
            std::printf("load average before the run: %.2f%s\n", load,
                        load > 0.5 ? " (other work running: ratios understate the engine)" : "");
        std::fclose(f);
    }
    std::printf("render_bench: %d x %d, factors 10 ... 1e6, %u worker threads, best of %d\n",
                kWidth, kHeight, engine.threads(), repeats);
#if defined(MANDEL_HAVE_X87)
    const char *plainKind = "the plain x87 loop";
#else
    const char *plainKind = "the plain loop in software";
#endif
    std::printf("%s; engine in %s\n", plainKind,
                ext::kHardware ? "the x87 unit's long double (x87 kernel)"
                               : "the software extended type (portable kernel)");
    bool identical = true;
    for (const Target &t : targets) {
        std::printf("\n%s\n", t.name);
        std::printf("%10s %6s %12s %12s %8s\n", "factor", "limit", "plain [ms]", "engine [ms]",
                    "ratio");
        double plainTotal = 0, engineTotal = 0;
        std::uint64_t plainSteps = 0, engineSteps = 0, decided = 0, points = 0;
        for (double factor : kFactors) {
            const zoom::Geometry g = zoom::makeGeometry(kWidth, kHeight, zoom::clampFactor(factor),
                                                        t.re, t.im);
            std::vector<std::uint8_t> plain(static_cast<std::size_t>(kWidth) * kHeight);
            std::vector<std::uint8_t> rows(plain.size());
            double plainBest = 1e30, engineBest = 1e30;
            for (int rep = 0; rep < repeats; ++rep) {
                auto t0 = std::chrono::steady_clock::now();
#if defined(MANDEL_HAVE_X87)
                zoom::renderPlainX87(g, plain.data());
#else
                zoom::renderPlain(g, plain.data());
#endif
                auto t1 = std::chrono::steady_clock::now();
                engine.begin(g);
                for (int r = 0; r < kHeight; ++r) {
                    const std::uint8_t *row = engine.waitRow(r);
                    if (row == nullptr) {
                        std::printf("row %d missing\n", r);
                        return 1;
                    }
                    std::memcpy(rows.data() + static_cast<std::size_t>(r) * kWidth, row, kWidth);
                }
                auto t2 = std::chrono::steady_clock::now();
                engine.cancel(); // the statistics are complete from here on
                plainBest = std::min(plainBest, seconds(t1 - t0));
                engineBest = std::min(engineBest, seconds(t2 - t1));
                if (plain != rows) {
                    identical = false;
                    std::size_t diff = 0;
                    for (std::size_t i = 0; i < plain.size(); ++i)
                        diff += plain[i] != rows[i];
                    std::printf("MISMATCH at factor %g: %zu pixels differ\n", factor, diff);
                }
            }
            plainTotal += plainBest;
            engineTotal += engineBest;
            const zoom::RowStats stats = engine.statistics();
            plainSteps += zoom::plainSteps(g);
            engineSteps += stats.iterations;
            decided += stats.shortcuts;
            points += static_cast<std::uint64_t>(kWidth) * kHeight;
            std::printf("%10g %6d %12.1f %12.1f %7.2fx\n", factor, g.limit, plainBest * 1e3,
                        engineBest * 1e3, plainBest / engineBest);
        }
        std::printf("%10s %6s %12.1f %12.1f %7.2fx\n", "series", "", plainTotal * 1e3,
                    engineTotal * 1e3, plainTotal / engineTotal);
        std::printf("steps made: plain %.4g, engine %.4g (%.1f%%); points decided by a proof: "
                    "%llu of %llu\n",
                    double(plainSteps), double(engineSteps), 100.0 * engineSteps / plainSteps,
                    static_cast<unsigned long long>(decided),
                    static_cast<unsigned long long>(points));
        std::printf("ns per step made, per core: plain %.2f, engine %.2f\n",
                    plainTotal * 1e9 / plainSteps,
                    engineTotal * 1e9 * engine.threads() / engineSteps);
        if (!ext::kHardware)
            std::printf("software path: %.2f ns per step per core, %.2fx the speed of %s\n",
                        engineTotal * 1e9 * engine.threads() / engineSteps,
                        plainTotal / engineTotal, plainKind);
    }
    std::printf("\n%s\n", identical ? "images identical" : "IMAGES DIFFER");
    return identical ? 0 : 1;
}
