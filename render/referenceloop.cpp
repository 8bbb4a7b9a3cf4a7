#include "render/referenceloop.h"

#include <algorithm>
#include <cstddef>

#include "render/x87check.h"

namespace zoom {

namespace {

// The step on which the orbit escapes, 0 when it reaches the limit.
inline int escapeStep(double x, double y, int limit)
{
    // A limit below 1 would never be met; the image limits are 200 ... 5000.
    if (limit <= 1)
        return 0;
    long double a = x, b = y;
    long double A = a * a, B = b * b;
    int k = 0;
    for (;;) {
        ++k;
        if (k == limit)
            return 0;
        const long double t = a * b;
        b = t + t + y;
        a = A - B + x;
        A = a * a;
        const long double M = A + b * b;
        B = M - A;
        if (M >= 4)
            return k;
    }
}

// Calls f(r, j, x, y) for every pixel, with x and y stepped as the literal
// loop steps them.
template<class F>
void forEachPixel(const Geometry &g, F &&f)
{
    double y = g.top;
    for (int r = 0; r < g.h; ++r) {
        y = static_cast<double>(static_cast<long double>(y) - g.dy);
        double x = g.left;
        for (int j = 0; j < g.w; ++j) {
            x = static_cast<double>(static_cast<long double>(x) + g.dx);
            f(r, j, x, y);
        }
    }
}

} // namespace

std::uint8_t escapeIndex(double x, double y, int limit)
{
    return static_cast<std::uint8_t>(escapeStep(x, y, limit));
}

int escapeSteps(double x, double y, int limit)
{
    const int k = escapeStep(x, y, limit);
    return k != 0 ? k : std::max(0, limit - 1);
}

void renderPlain(const Geometry &g, std::uint8_t *out)
{
    forEachPixel(g, [&](int r, int j, double x, double y) {
        out[static_cast<std::size_t>(r) * g.w + j] = escapeIndex(x, y, g.limit);
    });
}

std::uint64_t plainSteps(const Geometry &g)
{
    std::uint64_t steps = 0;
    forEachPixel(g, [&](int, int, double x, double y) {
        steps += static_cast<std::uint64_t>(escapeSteps(x, y, g.limit));
    });
    return steps;
}

} // namespace zoom
