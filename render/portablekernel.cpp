#include "render/kernelreal.h"
#include "render/rowkernel.h"

// The kernel in C++, for the software extended type. While an orbit is
// iterated its values stay unpacked (kernelreal.h); each loop body makes the
// step of all three orbits first, with no branch between them, so that the
// three independent chains of operations overlap, and then handles in order
// the orbits that reached the limit (whose step is dropped) or escaped. An
// orbit's values are the same as in the x87 kernel, operation for operation;
// only when a slot passes to the next pixel can differ (an orbit leaving the
// loop with the list empty lets the other two finish the body), which
// changes neither an index nor a count of steps.

namespace zoom::kernel {

namespace {

using namespace real;

struct Orbits
{
    KernelReal a[kLanes], b[kLanes];
    KernelReal x[kLanes], y[kLanes];
    std::int32_t k[kLanes];
};

// An orbit whose values cannot be unpacked (c not finite) is finished here
// with the packed type, step for step as the kernel would. Writes its index
// and adds its steps.
void finishPacked(RowState *s, int lane, Extended a, Extended b, std::int32_t k)
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

bool unpackable(const RowState *s, int lane, const Extended &a, const Extended &b)
{
    return ext::isfinite(Extended(s->x[lane])) && ext::isfinite(Extended(s->y[lane]))
           && real::unpackable(a) && real::unpackable(b);
}

// Starts the orbit in slot lane on the next pixel of the list: the literal
// first step, k = 1. Returns false when the list is empty.
bool startNext(RowState *s, Orbits &o, int lane)
{
    while (s->next < s->count) {
        const std::int32_t column = s->list[s->next++];
        const double x = s->xs[column];
        const double y = s->yRow;
        s->x[lane] = x;
        s->y[lane] = y;
        s->pix[lane] = s->rowBase + column;
        s->row[lane] = s->listRow;
        const Extended X = x, Y = y;
        const Extended t = X * Y;
        const Extended a = X * X - Y * Y + X;
        const Extended b = t + t + Y;
        if (!unpackable(s, lane, a, b)) {
            finishPacked(s, lane, a, b, 1);
            continue;
        }
        o.a[lane] = unpack(a);
        o.b[lane] = unpack(b);
        o.x[lane] = unpack(X);
        o.y[lane] = unpack(Y);
        o.k[lane] = 1;
        return true;
    }
    return false;
}

void store(RowState *s, const Orbits &o)
{
    for (int lane = 0; lane < kLanes; ++lane) {
        s->z[2 * lane] = pack(o.a[lane]);
        s->z[2 * lane + 1] = pack(o.b[lane]);
        s->k[lane] = o.k[lane];
    }
}

// The orbit in slot lane has ended: the next pixel, or idle. Returns the
// kernel's result when the loop must be left, -1 to go on.
int next(RowState *s, Orbits &o, int lane)
{
    if (startNext(s, o, lane))
        return -1;
    s->pix[lane] = kNoPixel;
    s->x[lane] = s->y[lane] = 0.0;
    o.k[lane] = kIdleSteps;
    o.a[lane] = o.b[lane] = o.x[lane] = o.y[lane] = zero(0);
    if (--s->active == 0)
        return kAllIdle;
    return s->idleWhenEmpty != 0 ? -1 : kListEmpty;
}

} // namespace

int runRow(RowState *s)
{
    Orbits o;
    for (int lane = 0; lane < kLanes; ++lane) {
        const Extended &a = s->z[2 * lane], &b = s->z[2 * lane + 1];
        o.k[lane] = s->k[lane];
        if (s->pix[lane] >= 0 && !unpackable(s, lane, a, b)) {
            finishPacked(s, lane, a, b, s->k[lane]);
            const int result = next(s, o, lane);
            if (result >= 0) {
                for (int rest = lane + 1; rest < kLanes; ++rest) {
                    o.a[rest] = unpack(s->z[2 * rest]);
                    o.b[rest] = unpack(s->z[2 * rest + 1]);
                    o.k[rest] = s->k[rest];
                }
                store(s, o);
                return result;
            }
            continue;
        }
        o.a[lane] = unpack(a);
        o.b[lane] = unpack(b);
        o.x[lane] = unpack(Extended(s->x[lane]));
        o.y[lane] = unpack(Extended(s->y[lane]));
    }
    const std::int32_t limit = s->limit;
    for (;;) {
        // One operation for all three orbits at a time: the processor sees
        // the three independent chains within its window and overlaps them.
        // M >= A >= 0.
        KernelReal A[kLanes], t[kLanes], M[kLanes], B[kLanes], a[kLanes], b[kLanes];
        bool escaped[kLanes];
        for (int lane = 0; lane < kLanes; ++lane)
            A[lane] = square(o.a[lane]);
        for (int lane = 0; lane < kLanes; ++lane)
            M[lane] = add(A[lane], square(o.b[lane]));
        for (int lane = 0; lane < kLanes; ++lane)
            t[lane] = mul(o.a[lane], o.b[lane]);
        for (int lane = 0; lane < kLanes; ++lane)
            B[lane] = subOrdered(M[lane], A[lane]);
        for (int lane = 0; lane < kLanes; ++lane)
            b[lane] = add(twice(t[lane]), o.y[lane]);
        for (int lane = 0; lane < kLanes; ++lane)
            a[lane] = add(sub(A[lane], B[lane]), o.x[lane]);
        for (int lane = 0; lane < kLanes; ++lane)
            escaped[lane] = atLeastFour(M[lane]);
        for (int lane = 0; lane < kLanes; ++lane) {
            const std::int32_t k = o.k[lane];
            if (k != limit && !escaped[lane]) {
                o.a[lane] = a[lane];
                o.b[lane] = b[lane];
                o.k[lane] = k + 1;
                continue;
            }
            // The orbit ends: on step k, or at the limit without that step.
            const bool atLimit = k == limit;
            s->out[s->pix[lane]] = atLimit ? 0 : static_cast<std::uint8_t>(k);
            s->steps += atLimit ? k - 1 : k;
            const int result = next(s, o, lane);
            if (result < 0)
                continue;
            // The other orbits finish this body first; one that ends in it
            // stays as it is and makes the same step again next time.
            for (int rest = lane + 1; rest < kLanes; ++rest) {
                if (o.k[rest] != limit && !escaped[rest]) {
                    o.a[rest] = a[rest];
                    o.b[rest] = b[rest];
                    ++o.k[rest];
                }
            }
            store(s, o);
            return result;
        }
        if (--s->passes != 0)
            continue;
        // A checkpoint: leave if an orbit is old enough for the tests.
        const std::int32_t young = s->young;
        if (o.k[0] >= young || o.k[1] >= young || o.k[2] >= young) {
            store(s, o);
            return kCheckpoint;
        }
        s->passes = kBlock;
    }
}

} // namespace zoom::kernel
