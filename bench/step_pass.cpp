// The portable kernel's hot loop on its own, for bench/step_mca.sh: passes
// of the loop, each a step of the three orbits in turn (softorbit.h) and
// the bookkeeping of the ones that go on, as render/portablekernel.cpp makes
// them, and a small driver that keeps the three orbits busy with points of
// the default series' fourth image (its last three images make most of its
// steps).

#include "extended/softorbit.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using Value = SoftOrbit::Value;

// Passes until an orbit ends, at most `passes`; returns the passes made and
// the lanes that ended (bit per lane), left as they were, in *ended.
[[gnu::noinline]] long run(Value *za, Value *zb, const Value *x, const Value *y,
                           std::int32_t *k, std::int32_t limit, long passes, int *ended)
{
    for (long made = 1; made <= passes; ++made) {
        int end = 0;
#pragma GCC unroll 3
        for (int lane = 0; lane < 3; ++lane) {
            if (k[lane] != limit && !SoftOrbit::step(za[lane], zb[lane], x[lane], y[lane]))
                [[likely]] {
                ++k[lane];
                continue;
            }
            end |= 1 << lane;
        }
        if (end != 0) {
            *ended = end;
            return made;
        }
    }
    *ended = 0;
    return passes;
}

// The pixel of the default series' fourth image (380 x 250 pixels around
// -1.41 at factor 10000, limit 5000): orbits of a real image, so that the
// branches go as they go in the program.
constexpr double kPixel = 4.0 / 380.0 / 10000.0;

// step_pass PASSES: that many passes over points of that image. Built
// natively (g++ -std=c++20 -O3 -I. bench/step_pass.cpp) it also says how
// long a step took.
int main(int argc, char **argv)
{
    const long total = argc > 1 ? std::atol(argv[1]) : 1000;
    Value za[3], zb[3], x[3], y[3];
    std::int32_t k[3];
    int n = 0;
    const auto start = [&](int lane) {
        const double cx = -1.41 + kPixel * ((n * 37) % 380 - 190);
        const double cy = kPixel * ((n * 91) % 250 - 124.5);
        ++n;
        x[lane] = za[lane] = SoftOrbit::unpack(SoftExtended(cx));
        y[lane] = zb[lane] = SoftOrbit::unpack(SoftExtended(cy));
        k[lane] = 1;
    };
    for (int lane = 0; lane < 3; ++lane)
        start(lane);
    for (long done = 0; done < total;) {
        int ended = 0;
        done += run(za, zb, x, y, k, 5000, total - done, &ended);
        for (int lane = 0; lane < 3; ++lane)
            if (ended & (1 << lane))
                start(lane);
    }
    // The processor time of this thread, which other work on the machine
    // does not inflate as it does the wall time.
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    const double seconds = static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    std::printf("%ld passes, %d orbits, %.2f ns of processor time per step\n", total, n,
                seconds / (3.0 * static_cast<double>(total)) * 1e9);
    return 0;
}
