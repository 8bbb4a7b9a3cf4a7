#include "extended/softorbit.h"
#include "render/rowkernel.h"

#include <cmath>

// The kernel in C++, for the software extended type, in the x87 kernel's
// order: orbit 0, 1, 2 in turn, each first tested at the limit, then stepped
// and tested for escape, an ended orbit's slot handed to the next pixel
// before the next orbit's turn; the loop is left where the x87 kernel leaves
// it, with the same slots, steps and checkpoints. Each orbit is stepped on
// its turn: the processor overlaps the three independent chains of
// operations (softorbit.h) by itself, and computing the three steps ahead
// of their turns only kept more values live (measured: some 5 % more time
// and instructions a step, on x86-64 and in llvm-mca's Cortex-A76). The
// same C++ on every processor.

namespace zoom::kernel {

namespace {

using Op = SoftOrbit;

// An orbit whose values the orbit operations cannot take (c not finite) is
// finished here with the general operators, step for step as the kernel
// would. Writes its index and adds its steps.
void finishGeneral(RowState *s, int lane, Extended a, Extended b, std::int32_t k)
{
    const Extended x = s->x[lane], y = s->y[lane];
    for (;;) {
        if (k == s->limit) {
            s->out[s->pix[lane]] = 0;
            s->steps += k - 1;
            return;
        }
        const Extended A = a * a;
        const Extended t = a * b;
        const Extended M = A + b * b;
        if (M >= Extended(4.0)) {
            s->out[s->pix[lane]] = static_cast<std::uint8_t>(k);
            s->steps += k;
            return;
        }
        const Extended B = M - A;
        a = (A - B) + x;
        b = t + t + y;
        ++k;
    }
}

bool admissible(const RowState *s, int lane)
{
    return ext::isfinite(Extended(s->x[lane])) && ext::isfinite(Extended(s->y[lane]))
           && Op::admissible(s->z[2 * lane]) && Op::admissible(s->z[2 * lane + 1]);
}

// The literal first step for the next pixel of the list in slot lane, k = 1.
// Returns false when the list is empty.
bool startNext(RowState *s, int lane)
{
    while (s->next < s->count) {
        const std::int32_t column = s->list[s->next++];
        const double x = s->xs[column];
        const double y = s->yRow;
        s->x[lane] = x;
        s->y[lane] = y;
        s->pix[lane] = s->rowBase + column;
        s->row[lane] = s->listRow;
        s->k[lane] = 1;
        const Extended X = x, Y = y;
        if (std::isfinite(x) && std::isfinite(y)) {
            // In the orbit operations, which give the general operators'
            // bits on finite doubles and cost a fraction of them: this step
            // comes once per pixel, and in fast-escaping parts of an image
            // pixels take a few dozen steps each. Squares and products of
            // doubles neither overflow nor fall below the normal range of
            // the extended type, so the results are always admissible.
            const Op::Value a = Op::unpack(X), b = Op::unpack(Y);
            const Op::Value D = Op::sub(Op::square(a), Op::square(b));
            s->z[2 * lane] = Op::pack(Op::add(D, a));
            s->z[2 * lane + 1] = Op::pack(Op::add(Op::twice(Op::mul(a, b)), b));
            return true;
        }
        const Extended t = X * Y;
        s->z[2 * lane] = X * X - Y * Y + X;
        s->z[2 * lane + 1] = t + t + Y;
        if (admissible(s, lane))
            return true;
        finishGeneral(s, lane, s->z[2 * lane], s->z[2 * lane + 1], 1);
    }
    return false;
}

// The orbit in slot lane has ended: the next pixel, or idle. Returns the
// kernel's result when the loop must be left, -1 to go on.
int next(RowState *s, int lane)
{
    if (startNext(s, lane))
        return -1;
    s->pix[lane] = kNoPixel;
    s->x[lane] = s->y[lane] = 0.0;
    s->k[lane] = kIdleSteps;
    s->z[2 * lane] = s->z[2 * lane + 1] = Extended(0.0);
    if (--s->active == 0)
        return kAllIdle;
    return s->idleWhenEmpty != 0 ? -1 : kListEmpty;
}

// Orbits the orbit operations cannot take are finished before the loop.
// Returns the kernel's result when it must be left, -1 to go on.
int finishInadmissible(RowState *s)
{
    for (int lane = 0; lane < kLanes; ++lane) {
        if (s->pix[lane] < 0 || admissible(s, lane))
            continue;
        finishGeneral(s, lane, s->z[2 * lane], s->z[2 * lane + 1], s->k[lane]);
        const int result = next(s, lane);
        if (result >= 0)
            return result;
    }
    return -1;
}

// The orbit in slot lane ends: escaped on step k, or at the limit without
// it. The other orbits are stored back, as next() may leave the loop.
// Returns the kernel's result when it must be left, -1 to go on.
template<class Store, class Load>
int endOrbit(RowState *s, int lane, std::int32_t k, bool atLimit, Store store, Load load)
{
    s->out[s->pix[lane]] = atLimit ? 0 : static_cast<std::uint8_t>(k);
    s->steps += atLimit ? k - 1 : k;
    for (int other = 0; other < kLanes; ++other)
        if (other != lane)
            store(other);
    const int result = next(s, lane);
    if (result < 0)
        load(lane);
    return result;
}

// After one step of each orbit: at a checkpoint, leave (all orbits stored
// back) if an orbit is old enough for the tests there. Returns kCheckpoint
// to leave, -1 to go on.
template<class Store>
int afterPass(RowState *s, const std::int32_t *k, Store store)
{
    if (--s->passes != 0)
        return -1;
    bool old = false;
    for (int lane = 0; lane < kLanes; ++lane)
        old = old || k[lane] >= s->young;
    if (!old) {
        s->passes = kBlock;
        return -1;
    }
    for (int lane = 0; lane < kLanes; ++lane)
        store(lane);
    return kCheckpoint;
}

// The kernel itself.
[[gnu::always_inline]] inline int runRowOn(RowState *s)
{
    if (const int result = finishInadmissible(s); result >= 0)
        return result;
    // The orbits in locals while they run, in the operations' working form
    // (a store through s would be reloaded after every write of an index),
    // stored back on leaving.
    using Value = Op::Value;
    Value za[kLanes], zb[kLanes], x[kLanes], y[kLanes];
    std::int32_t k[kLanes];
    const auto load = [&](int lane) {
        za[lane] = Op::unpack(s->z[2 * lane]);
        zb[lane] = Op::unpack(s->z[2 * lane + 1]);
        x[lane] = Op::unpack(Extended(s->x[lane]));
        y[lane] = Op::unpack(Extended(s->y[lane]));
        k[lane] = s->k[lane];
    };
    const auto store = [&](int lane) {
        s->z[2 * lane] = Op::pack(za[lane]);
        s->z[2 * lane + 1] = Op::pack(zb[lane]);
        s->k[lane] = k[lane];
    };
    for (int lane = 0; lane < kLanes; ++lane)
        load(lane);
    const std::int32_t limit = s->limit;
    for (;;) {
#pragma GCC unroll 3
        for (int lane = 0; lane < kLanes; ++lane) {
            const bool atLimit = k[lane] == limit;
            if (!atLimit && !Op::step(za[lane], zb[lane], x[lane], y[lane])) [[likely]] {
                ++k[lane];
                continue;
            }
            if (const int result = endOrbit(s, lane, k[lane], atLimit, store, load); result >= 0)
                return result;
        }
        if (const int result = afterPass(s, k, store); result >= 0)
            return result;
    }
}

} // namespace

int runRow(RowState *s)
{
    return runRowOn(s);
}

} // namespace zoom::kernel
