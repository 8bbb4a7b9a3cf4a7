#pragma once
// The geometry of one image: the clamped factor, the iteration limit, the
// pixel steps and the sample coordinates. No Qt in here.

#include <vector>

namespace zoom {

// Factor clamps: |f| < 0.1 (bound in extended precision) -> 1.0; then
// f > 1e8 -> 1e8.
double clampFactor(double factor);

// llrintl(5 * factor) clamped to 200 ... 5000; `factor` already clamped.
int iterationLimit(double factor);

struct Geometry
{
    int w = 0, h = 0;
    int limit = 200;
    double factor = 1.0; // clamped
    double aspect = 0.0; // h / w
    double dx = 0.0, dy = 0.0;
    double left = 0.0, top = 0.0;
};

// The geometry of an image of w x h pixels around (re, im) at the clamped
// factor, each value computed in extended precision and stored as a double.
Geometry makeGeometry(int w, int h, double clampedFactor, double re, double im);

// The sample coordinates by repeated addition, each sum formed in extended
// precision and stored as a double: xs[j] is the real part of column j,
// ys[r] the imaginary part of row r.
void sampleChains(const Geometry &g, std::vector<double> &xs, std::vector<double> &ys);

} // namespace zoom
