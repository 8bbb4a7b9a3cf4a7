#pragma once
// The row kernel: three orbits iterated side by side. On x86 the x87 unit
// runs it in its registers (x87kernel.cpp, inline assembly); elsewhere the
// software extended type does (portablekernel.cpp). Both make the same
// operations on the same values. No Qt in here.

#include <climits>
#include <cstddef>
#include <cstdint>

#include "extended/extended.h"

namespace zoom::kernel {

// The row kernel iterates three orbits side by side and hands a finished
// orbit's slot to the next pixel of the row without leaving the loop. The
// three chains of dependent operations are independent of each other, so the
// processor overlaps them.
//
// An orbit's state is (a_k, b_k), the point whose squared magnitude step k
// tests; it decides every later step. One step, each operation rounded to
// extended precision exactly as the literal loop rounds it:
//   A = a*a; t = a*b; bb = b*b; M = A + bb; escape with k if M >= 4
//   (unordered: not); B = M - A; D = A - B; a' = D + x; b' = t + t + y.
// The literal loop forms D from the same A and B one step later, and its
// first step uses B = y*y: the state of a new pixel is (a_1, b_1) with
// a_1 = (x*x - y*y) + x and b_1 = (x*y + x*y) + y, and k = 1. Before step k
// the loop stops at the limit (k == limit): index 0.
//
// The slots hold the orbits' a and b (orbit o: a in slot 2o, b in slot
// 2o + 1). The loop body makes one step of each orbit. The loop leaves every
// kBlock steps for the tests at the checkpoints, and when an orbit's slot
// finds no pixel left in the list of the current row.
struct RowState
{
    Extended z[6];     // the slots as stored back
    double x[3], y[3]; // each orbit's c
    double four;
    double yRow;         // imaginary part of the row in `list`
    std::int32_t k[3];   // the step each orbit tests next
    std::int32_t pix[3]; // its pixel in the image, -1 when idle
    std::int32_t row[3]; // the row of that pixel
    std::int32_t next;   // next entry of `list`
    std::int32_t count;  // entries in `list`
    std::int32_t limit;
    std::int32_t rowBase;       // image index of column 0 of the list's row
    std::int32_t listRow;       // the list's row
    const std::int32_t *list;   // columns to iterate
    const double *xs;           // real parts of the columns
    std::uint8_t *out;          // the image
    std::int32_t passes;        // steps to the next checkpoint
    std::int32_t young;         // orbits are tested from this step on
    std::int32_t idleWhenEmpty; // 0: leave the loop when the list is empty
    std::int32_t active;        // orbits with a pixel
    std::int64_t steps;         // steps made by the orbits that ended
};

constexpr int kLanes = 3;

// An idle orbit iterates c = 0, which stays at 0, and its step count starts
// so low that it never reaches the limit.
constexpr std::int32_t kIdleSteps = INT32_MIN;

// The pixel of an idle orbit.
constexpr std::int32_t kNoPixel = -1;

// Checkpoint spacing for the tests at the checkpoints, in steps.
constexpr int kBlock = 64;
// Steps an orbit makes before it is tested at the checkpoints: limit / 16
// within these bounds. Most orbits escape young; the loop goes on through
// the checkpoints where no orbit is old enough for the tests.
constexpr int kYoungMin = 32;
constexpr int kYoungMax = 256;
// Checkpoints before an orbit's first search for an attracting cycle
// (cycletrap.h), and at least between two searches: a search costs as much
// as some 60 steps of the x87 kernel, but only some 10 of the software one.
constexpr int kCycleSearchSpacing = ext::kHardware ? 16 : 1;

// Results of runRow.
constexpr int kCheckpoint = 0; // all slots stored back
constexpr int kAllIdle = 1;    // no orbit has a pixel
constexpr int kListEmpty = 2;  // an orbit went idle; all slots stored back

// Runs the orbits until the next checkpoint, until an orbit finds the list
// empty (unless idleWhenEmpty), or until no orbit has a pixel. Adds the
// steps of every orbit that ends to s->steps: k for an escape on step k,
// limit - 1 for an orbit at the limit.
int runRow(RowState *s);

} // namespace zoom::kernel
