// SoftExtended against the x87 long double: nanoseconds per multiply and per
// add on normal operands of orbit size, as a dependent chain (latency) and
// over independent arrays (throughput), and one escape-time orbit step.

#include "extended/softextended.h"

#include <chrono>
#include <cstdio>
#include <limits>
#include <vector>

namespace {

constexpr int kN = 4096;
constexpr int kRepeats = 2000;

template <class F>
double nsPer(long ops, F &&body)
{
    const auto t0 = std::chrono::steady_clock::now();
    body();
    const auto t1 = std::chrono::steady_clock::now();
    return std::chrono::duration<double, std::nano>(t1 - t0).count() / static_cast<double>(ops);
}

template <class T>
void run(const char *name)
{
    std::vector<T> a(kN), b(kN), r(kN);
    for (int i = 0; i < kN; ++i) {
        a[i] = T(1.0 + i * 0x1.3p-13);
        b[i] = T(-0.75 + i * 0x1.7p-14);
    }
    const long ops = static_cast<long>(kN) * kRepeats;
    volatile double sink = 0;

    const double mulT = nsPer(ops, [&] {
        for (int k = 0; k < kRepeats; ++k)
            for (int i = 0; i < kN; ++i)
                r[i] = a[i] * b[(i + k) & (kN - 1)];
        sink = sink + static_cast<double>(r[kN - 1]);
    });
    const double addT = nsPer(ops, [&] {
        for (int k = 0; k < kRepeats; ++k)
            for (int i = 0; i < kN; ++i)
                r[i] = a[i] + b[(i + k) & (kN - 1)];
        sink = sink + static_cast<double>(r[kN - 1]);
    });
    // Dependent chains: x stays near 1.
    volatile double seed = 1.0, delta = 0x1p-30;
    const T up = T(seed + delta), down = T(seed - delta);
    T x = T(static_cast<double>(seed));
    const double mulL = nsPer(ops, [&] {
        for (long i = 0; i < ops / 2; ++i) {
            x = x * up;
            x = x * down;
        }
        sink = sink + static_cast<double>(x);
    });
    const T step = T(delta * 0x1p10);
    T y = T(seed * 0.5);
    const double addL = nsPer(ops, [&] {
        for (long i = 0; i < ops / 2; ++i) {
            y = y + step;
            y = y - step;
        }
        sink = sink + static_cast<double>(y);
    });
    // Orbit steps of c = -0.1 + 0.65i (bounded): 3 multiplies, 5 adds or
    // subtracts, 1 compare.
    const T cx = T(seed * -0.1), cy = T(seed * 0.65), four = T(seed * 4.0);
    T zx = T(0.0), zy = T(0.0);
    long escaped = 0;
    const double orbit = nsPer(ops / 4, [&] {
        for (long i = 0; i < ops / 4; ++i) {
            const T xx = zx * zx, yy = zy * zy, xy = zx * zy;
            const T nx = xx - yy + cx;
            zy = xy + xy + cy;
            zx = nx;
            if (xx + yy >= four) {
                ++escaped;
                zx = T(0.0);
                zy = T(0.0);
            }
        }
        sink = sink + static_cast<double>(zx) + static_cast<double>(escaped);
    });
    std::printf("%-13s mul %5.2f ns (chain %5.2f)  add %5.2f ns (chain %5.2f)  orbit step %5.2f ns\n",
                name, mulT, mulL, addT, addL, orbit);
}

} // namespace

int main()
{
    run<SoftExtended>("SoftExtended");
    if constexpr (std::numeric_limits<long double>::digits == 64)
        run<long double>("long double");
    return 0;
}
