#pragma once
// The escape-time iteration written out literally: the definition of every
// colour index, the tests' and the benchmark's reference. No Qt in here.

#include <cstdint>

#include "extended/extended.h"
#include "render/geometry.h"

namespace zoom {

// Colour index of the point c = x + y i: escape count mod 256, 0 when the
// limit is reached.
std::uint8_t escapeIndex(double x, double y, int limit);

#if defined(MANDEL_HAVE_X87)
// The same loop in the x87 unit's long double, also when Extended is the
// software type: the benchmark's reference for it.
void renderPlainX87(const Geometry &g, std::uint8_t *out);
#endif

// The steps of the iteration the literal loop makes for the point: k for an
// escape on step k, limit - 1 when it reaches the limit.
int escapeSteps(double x, double y, int limit);

// The steps the literal loop makes for the whole image, for the benchmark.
std::uint64_t plainSteps(const Geometry &g);

// The image computed pixel by pixel in one thread, literally: out receives
// w * h indices, row by row.
void renderPlain(const Geometry &g, std::uint8_t *out);

} // namespace zoom
