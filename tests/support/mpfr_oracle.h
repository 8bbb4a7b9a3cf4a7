#pragma once
// An oracle for the zoom arithmetic that shares nothing with the program: GNU
// MPFR at a 64-bit significand, rounding to nearest, computing the factor
// clamps, the geometry, the iteration and re-centring step by step in the
// order the program defines them. Every value the program keeps as a double
// is rounded to a double here too.

#include <cstdint>
#include <vector>

namespace mpfroracle {

struct Geometry
{
    double factor; // clamped
    int limit;
    double aspect, dx, dy, left, top;
};

// |f| < 0.1 (the bound in extended precision) -> 1.0; then f > 1e8 -> 1e8.
double clampFactor(double factor);

// 5 * factor to the nearest integer (halves to even), clamped to 200 ... 5000.
int iterationLimit(double clampedFactor);

// The geometry of a w x h image around (re, im) at the unclamped factor.
Geometry geometry(int w, int h, double factor, double re, double im);

// Steps until M >= 4 (1 ... limit - 1), or 0 when the limit stops the loop.
int escapeSteps(double x, double y, int limit);

// The image row by row (row 0 at the top), the samples advanced by repeated
// addition and subtraction: indices escapeSteps mod 256.
std::vector<std::uint8_t> image(int w, int h, double factor, double re, double im);

struct Point
{
    double re, im;
};

// The point under pixel (X, Y) of a w x h thumbnail at the unclamped factor
// around `target`.
Point recentre(Point target, double factor, int w, int h, std::int32_t X, std::int32_t Y);

} // namespace mpfroracle
