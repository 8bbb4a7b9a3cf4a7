#include "render/recentre.h"

#include "render/geometry.h"
#include "render/x87check.h"

ComplexPoint recentrePoint(ComplexPoint target, double factor, int w, int h, std::int32_t X,
                           std::int32_t Y)
{
    // The pixel steps of the thumbnail's own image; the point itself stays in
    // extended precision up to the end.
    const zoom::Geometry g = zoom::makeGeometry(w, h, zoom::clampFactor(factor), target.re,
                                                target.im);
    const long double re = static_cast<long double>(target.re)
                           - (static_cast<long double>(w) * g.dx) / 2
                           + static_cast<long double>(X) * g.dx;
    const long double im = (static_cast<long double>(h) * g.dy) / 2
                           + static_cast<long double>(target.im)
                           - static_cast<long double>(Y) * g.dy;
    return {static_cast<double>(re), static_cast<double>(im)};
}
