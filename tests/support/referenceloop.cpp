#include "tests/support/referenceloop.h"

#include <algorithm>
#include <cstddef>

#include "extended/extended.h"

namespace zoom {

namespace {

// The step on which the orbit escapes, 0 when it reaches the limit, in the
// arithmetic of Real.
template<class Real>
inline int escapeStep(double x, double y, int limit)
{
    // A limit below 1 would never be met; the image limits are 200 ... 5000.
    if (limit <= 1)
        return 0;
    Real a = x, b = y;
    Real A = a * a, B = b * b;
    int k = 0;
    for (;;) {
        ++k;
        if (k == limit)
            return 0;
        const Real t = a * b;
        b = t + t + y;
        a = A - B + x;
        A = a * a;
        const Real M = A + b * b;
        B = M - A;
        if (M >= Real(4.0))
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
        y = static_cast<double>(Extended(y) - Extended(g.dy));
        double x = g.left;
        for (int j = 0; j < g.w; ++j) {
            x = static_cast<double>(Extended(x) + Extended(g.dx));
            f(r, j, x, y);
        }
    }
}

} // namespace

std::uint8_t escapeIndex(double x, double y, int limit)
{
    return static_cast<std::uint8_t>(escapeStep<Extended>(x, y, limit));
}

int escapeSteps(double x, double y, int limit)
{
    const int k = escapeStep<Extended>(x, y, limit);
    return k != 0 ? k : std::max(0, limit - 1);
}

void renderPlain(const Geometry &g, std::uint8_t *out)
{
    forEachPixel(g, [&](int r, int j, double x, double y) {
        out[static_cast<std::size_t>(r) * g.w + j] = escapeIndex(x, y, g.limit);
    });
}

#if defined(MANDEL_HAVE_X87)
void renderPlainX87(const Geometry &g, std::uint8_t *out)
{
    forEachPixel(g, [&](int r, int j, double x, double y) {
        out[static_cast<std::size_t>(r) * g.w + j] = static_cast<std::uint8_t>(
                escapeStep<long double>(x, y, g.limit));
    });
}
#endif

std::uint64_t plainSteps(const Geometry &g)
{
    std::uint64_t steps = 0;
    forEachPixel(g, [&](int, int, double x, double y) {
        steps += static_cast<std::uint64_t>(escapeSteps(x, y, g.limit));
    });
    return steps;
}

} // namespace zoom
