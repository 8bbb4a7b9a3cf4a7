#include "render/recentre.h"

#include "render/geometry.h"
#include "extended/extended.h"

ComplexPoint recentrePoint(ComplexPoint target, double factor, int w, int h, std::int32_t X,
                           std::int32_t Y)
{
    // The pixel steps of the thumbnail's own image; the point itself stays in
    // extended precision up to the end.
    const zoom::Geometry g = zoom::makeGeometry(w, h, zoom::clampFactor(factor), target.re,
                                                target.im);
    const Extended re = Extended(target.re) - (Extended(w) * g.dx) / 2 + Extended(X) * g.dx;
    const Extended im = (Extended(h) * g.dy) / 2 + Extended(target.im) - Extended(Y) * g.dy;
    return {static_cast<double>(re), static_cast<double>(im)};
}
