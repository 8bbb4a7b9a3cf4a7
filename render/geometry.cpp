#include "render/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "render/x87check.h"

namespace zoom {

double clampFactor(double factor)
{
    if (std::fabs(static_cast<long double>(factor)) < 0.1L)
        factor = 1.0;
    if (factor > 100000000.0)
        factor = 100000000.0;
    return factor;
}

int iterationLimit(double factor)
{
    long long limit = std::llrint(5.0L * static_cast<long double>(factor));
    if (limit < 200)
        limit = 200;
    if (limit > 5000)
        limit = 5000;
    return static_cast<int>(limit);
}

Geometry makeGeometry(int w, int h, double clampedFactor, double re, double im)
{
    Geometry g;
    g.w = w;
    g.h = h;
    g.factor = clampedFactor;
    g.limit = iterationLimit(clampedFactor);
    g.aspect = static_cast<double>(static_cast<long double>(h) / w);
    g.dx = static_cast<double>(4.0L / w / clampedFactor);
    g.dy = static_cast<double>(static_cast<long double>(g.aspect) * 4.0L / h / clampedFactor);
    g.top = static_cast<double>(static_cast<long double>(im)
                                + static_cast<long double>(h) * g.dy / 2);
    g.left = static_cast<double>(static_cast<long double>(re)
                                 - static_cast<long double>(w) * g.dx / 2);
    return g;
}

void sampleChains(const Geometry &g, std::vector<double> &xs, std::vector<double> &ys)
{
    xs.resize(static_cast<std::size_t>(std::max(g.w, 0)));
    ys.resize(static_cast<std::size_t>(std::max(g.h, 0)));
    double x = g.left;
    for (int j = 0; j < g.w; ++j) {
        x = static_cast<double>(static_cast<long double>(x) + g.dx);
        xs[j] = x;
    }
    double y = g.top;
    for (int r = 0; r < g.h; ++r) {
        y = static_cast<double>(static_cast<long double>(y) - g.dy);
        ys[r] = y;
    }
}

} // namespace zoom
