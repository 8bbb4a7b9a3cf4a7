#include "render/referenceloop.h"

#include <cstddef>

#include "render/x87check.h"

namespace zoom {

std::uint8_t escapeIndex(double x, double y, int limit)
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
            return static_cast<std::uint8_t>(k);
    }
}

void renderPlain(const Geometry &g, std::uint8_t *out)
{
    double y = g.top;
    for (int r = 0; r < g.h; ++r) {
        y = static_cast<double>(static_cast<long double>(y) - g.dy);
        double x = g.left;
        for (int j = 0; j < g.w; ++j) {
            x = static_cast<double>(static_cast<long double>(x) + g.dx);
            out[static_cast<std::size_t>(r) * g.w + j] = escapeIndex(x, y, g.limit);
        }
    }
}

} // namespace zoom
