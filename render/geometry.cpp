#include "render/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "extended/extended.h"

namespace zoom {

double clampFactor(double factor)
{
    // 0.1 rounded to extended precision.
    static const Extended kTenth = ext::fromBits(0x3FFB, 0xCCCCCCCCCCCCCCCDull);
    if (ext::abs(Extended(factor)) < kTenth)
        factor = 1.0;
    if (factor > 100000000.0)
        factor = 100000000.0;
    return factor;
}

int iterationLimit(double factor)
{
    std::int64_t limit = ext::toInt64Nearest(Extended(5.0) * Extended(factor));
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
    g.aspect = static_cast<double>(Extended(h) / Extended(w));
    g.dx = static_cast<double>(Extended(4.0) / Extended(w) / Extended(clampedFactor));
    g.dy = static_cast<double>(Extended(g.aspect) * Extended(4.0) / Extended(h)
                               / Extended(clampedFactor));
    g.top = static_cast<double>(Extended(im) + Extended(h) * Extended(g.dy) / Extended(2.0));
    g.left = static_cast<double>(Extended(re) - Extended(w) * Extended(g.dx) / Extended(2.0));
    return g;
}

void sampleChains(const Geometry &g, std::vector<double> &xs, std::vector<double> &ys)
{
    xs.resize(static_cast<std::size_t>(std::max(g.w, 0)));
    ys.resize(static_cast<std::size_t>(std::max(g.h, 0)));
    double x = g.left;
    for (int j = 0; j < g.w; ++j) {
        x = static_cast<double>(Extended(x) + Extended(g.dx));
        xs[j] = x;
    }
    double y = g.top;
    for (int r = 0; r < g.h; ++r) {
        y = static_cast<double>(Extended(y) - Extended(g.dy));
        ys[r] = y;
    }
}

} // namespace zoom
