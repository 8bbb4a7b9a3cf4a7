#include "render/engine.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

// The arithmetic below depends on the x87 unit computing with a 64-bit
// significand (the default on x86-64 Linux) and on the compiler evaluating
// every long double expression as written (-ffp-contract=off, no fast-math).
#if !defined(__x86_64__) && !defined(__i386__)
#error "the escape-time arithmetic needs the x87 extended format"
#endif
static_assert(sizeof(long double) >= 10 && __LDBL_MANT_DIG__ == 64, "long double must be x87 extended");

namespace zoom {

double ClampFactor(double factor)
{
    if (std::fabs(static_cast<long double>(factor)) < 0.1L)
        factor = 1.0;
    if (factor > 100000000.0)
        factor = 100000000.0;
    return factor;
}

int IterationLimit(double factor)
{
    long long limit = std::llrint(5.0L * static_cast<long double>(factor));
    if (limit < 200)
        limit = 200;
    if (limit > 5000)
        limit = 5000;
    return static_cast<int>(limit);
}

Geometry MakeGeometry(int w, int h, double clampedFactor, double re, double im)
{
    Geometry g;
    g.w = w;
    g.h = h;
    g.factor = clampedFactor;
    g.limit = IterationLimit(clampedFactor);
    g.aspect = static_cast<double>(static_cast<long double>(h) / w);
    g.dx = static_cast<double>(4.0L / w / clampedFactor);
    g.dy = static_cast<double>(static_cast<long double>(g.aspect) * 4.0L / h / clampedFactor);
    g.top = static_cast<double>(static_cast<long double>(im) + static_cast<long double>(h) * g.dy / 2);
    g.left = static_cast<double>(static_cast<long double>(re) - static_cast<long double>(w) * g.dx / 2);
    return g;
}

std::uint8_t EscapeIndex(double x, double y, int limit)
{
    // A limit below 1 would never be met; the image limits are 200 ... 5000.
    if (limit <= 1)
        return 0;
    long double a = x, b = y;
    long double A = a * a, B = b * b;
    int k = 0;
    for (;;) {
        ++k;
        if (k == limit)
            return 0;
        const long double t = a * b;
        b = t + t + y;
        a = A - B + x;
        A = a * a;
        const long double M = A + b * b;
        B = M - A;
        if (M >= 4)
            return static_cast<std::uint8_t>(k);
    }
}

namespace {

// The sample coordinates by repeated addition, each sum formed in extended
// precision and stored as a double: xs[j] is the real part of column j,
// ys[r] the imaginary part of row r.
void SampleChains(const Geometry &g, std::vector<double> &xs, std::vector<double> &ys)
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

// Attracting cycles of period 1 (main cardioid) and 2 (the disc around -1),
// known in closed form, give a proof that an orbit never escapes: let p be a
// point of the cycle and z = p + u. One step of the extended arithmetic
// gives z' = z^2 + c + d with |d| < 1e-17 while |z| < 2 (a handful of
// roundings of 2^-64 relative on values below 4; D = A - B stands for
// a^2 - b^2 up to such an error). So u' = 2p u + u^2 + d, and the disc
// |u| <= r is mapped into itself when 2|p| r + r^2 + e <= r (e = 1e-16 >
// |d|); for period 2 the same over both steps through the disc around the
// other cycle point. An orbit inside such a disc, which keeps |z| < 2, never
// escapes: the literal loop runs to the limit, index 0. The test costs
// nothing in exactness: the orbit up to that point is computed as usual.
struct Attractor {
    int period = 0;  // 0: c has no attracting cycle of period 1 or 2
    double pr[2] = {0, 0}, pi[2] = {0, 0};
    double twice[2] = {0, 0};  // 2|p|, with some slack
    double mag[2] = {0, 0};    // |p|, with some slack
    double onePlus = 0;        // period 1: |1 + 2p|, with some slack
};

double Abs(double re, double im)
{
    return std::sqrt(re * re + im * im);
}

// Principal square root of wr + wi i.
void ComplexSqrt(double wr, double wi, double &sr, double &si)
{
    const double m = Abs(wr, wi);
    sr = std::sqrt(std::max(0.0, (m + wr) / 2));
    si = std::sqrt(std::max(0.0, (m - wr) / 2));
    if (wi < 0)
        si = -si;
}

Attractor FindAttractor(double x, double y)
{
    Attractor at;
    if (!std::isfinite(x) || !std::isfinite(y))
        return at;
    // Quick rejection of points clearly outside both regions: the cardioid
    // q (q + x - 1/4) <= y^2 / 4 with q = (x - 1/4)^2 + y^2, and the disc.
    const double xq = x - 0.25;
    const double q = xq * xq + y * y;
    const bool nearCardioid = q * (q + xq) <= 0.25 * y * y + 1e-6;
    const bool nearDisc = (x + 1.0) * (x + 1.0) + y * y <= 0.0625 + 1e-6;
    if (!nearCardioid && !nearDisc)
        return at;
    constexpr double kSlack = 1e-12;
    // Fixed point p = (1 - sqrt(1 - 4c)) / 2, multiplier 2p.
    double sr, si;
    ComplexSqrt(1.0 - 4.0 * x, -4.0 * y, sr, si);
    const double fr = (1.0 - sr) / 2, fi = -si / 2;
    const double fm = Abs(fr, fi);
    if (2 * fm < 1.0) {
        at.period = 1;
        at.pr[0] = fr;
        at.pi[0] = fi;
        at.mag[0] = fm + kSlack;
        at.twice[0] = 2 * fm + kSlack;
        at.onePlus = Abs(1.0 + 2 * fr, 2 * fi) + kSlack;
        return at;
    }
    // 2-cycle p^2 + p + c + 1 = 0, multiplier 4 (c + 1).
    if (Abs(x + 1.0, y) < 0.25) {
        ComplexSqrt(-3.0 - 4.0 * x, -4.0 * y, sr, si);
        at.period = 2;
        at.pr[0] = (-1.0 + sr) / 2;
        at.pi[0] = si / 2;
        at.pr[1] = (-1.0 - sr) / 2;
        at.pi[1] = -si / 2;
        for (int i = 0; i < 2; ++i) {
            const double m = Abs(at.pr[i], at.pi[i]);
            at.mag[i] = m + kSlack;
            at.twice[i] = 2 * m + kSlack;
        }
    }
    return at;
}

// Whether the orbit point z = zr + zi i (rounded from the extended values)
// lies in a disc around the attracting cycle that the iteration never leaves.
bool Trapped(const Attractor &at, double zr, double zi)
{
    constexpr double e = 1e-16;     // bound of one step's rounding, generous
    constexpr double tol = 1e-9;    // covers the rounding of z, p and |u|
    constexpr double slack = 1e-12;
    if (at.period == 0 || !std::isfinite(zr) || !std::isfinite(zi))
        return false;
    for (int i = 0; i < at.period; ++i) {
        const double r = Abs(zr - at.pr[i], zi - at.pi[i]) + tol;
        if (at.mag[i] + r >= 1.9)
            continue;
        if (at.period == 1) {
            const double m = at.twice[0];
            if (m * r + r * r + e + slack < r)
                return true;
            // Two steps at once: with mu = 2p, the exact map gives
            // u'' = mu^2 u + mu (1 + mu) u^2 + 2 mu u^3 + u^4, whose u^2 term
            // is small where mu is near -1 (as in the seahorse valley), so a
            // far larger disc is kept; the middle point stays within
            // |mu| r + r^2 + e of p. Ten times e covers the roundings of both
            // steps.
            const double mid = m * r + r * r + e;
            const double two = m * m * r + m * at.onePlus * r * r + 2 * m * r * r * r + r * r * r * r + 10 * e + slack;
            if (two < r && at.mag[0] + mid < 1.9)
                return true;
            continue;
        }
        const int o = 1 - i;
        const double v = at.twice[i] * r + r * r + e + slack;
        if (at.mag[o] + v >= 1.9)
            continue;
        if (at.twice[o] * v + v * v + e + slack < r)
            return true;
    }
    return false;
}

// Whether the sample point c = x + y i lies inside the main cardioid or the
// disc |c + 1| < 1/4, with a safety margin; such points get index 0 without
// iterating. Why the literal loop gives them 0 as well:
// - For c in either region, z^2 + c has an attracting cycle (period 1 or 2)
//   whose immediate basin contains the critical point 0, and the exact orbit
//   of 0 (the loop starts at z = c, its first image) converges to the cycle:
//   it stays in a compact part of the basin, a positive distance away from
//   the Julia set, and never escapes. Every bounded orbit stays in
//   |z| <= R with R^2 - R = |c| <= 1.25, so |z|^2 < 3, well below the
//   escape bound 4: the loop can escape only if its orbit leaves the basin.
// - The extended arithmetic follows the orbit with an error of about 1e-19
//   per step (see the note before Attractor), at most some 5000 steps. Near
//   the attracting cycle errors shrink; elsewhere they grow at most by
//   |2z| < 3.5 per step on the short transient before the orbit comes near
//   the cycle. To leave the basin, the computed orbit would have to drift
//   from the exact one by the distance between the exact orbit and the
//   Julia set, which shrinks only as c approaches the boundary of the region
//   (there the cycle turns neutral and meets the Julia set).
// - The margin keeps the skipped c a relative 1e-8 inside the region (and
//   1e-15 absolute where y^2 / 4 is tiny), where that distance is many
//   orders of magnitude above the accumulated rounding; it also covers the
//   rounding of the tests themselves (a few units of 2^-64 on values below
//   2). Points in the margin are iterated as usual.
// The tests compare images straddling both boundaries at the highest limit,
// from factor 100 to 1e8 (where neighbouring samples lie 1e-10 apart and the
// margin is resolved), and the whole zoom series of the program's targets,
// index for index with the literal loop.
bool InsideCardioidOrBulb(double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y) || std::fabs(x) > 2 || std::fabs(y) > 2)
        return false;
    const long double X = x, Y = y;
    const long double yy = Y * Y;
    // Period 2: |c + 1|^2 < 1/16.
    const long double u = X + 1;
    if (u * u + yy < 0.0625L * (1 - 1e-8L))
        return true;
    // Period 1: q (q + x - 1/4) < y^2 / 4 with q = (x - 1/4)^2 + y^2.
    const long double xq = X - 0.25L;
    const long double q = xq * xq + yy;
    return q * (q + xq) < yy * 0.25L * (1 - 1e-8L) - 1e-15L;
}

// The row kernel iterates three orbits side by side, entirely in the eight
// x87 registers, and hands a finished orbit's slot to the next pixel of the
// row without leaving the loop. The three chains of dependent operations are
// independent of each other, so the processor overlaps them.
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
// Registers: slots st(0) ... st(5) hold the orbits' a and b, st(6) the
// constant 4 (orbit o: a in slot 2o, b in slot 2o + 1); one register is
// left for the temporaries, and a step works on its orbit's two slots in
// place. The loop body makes one step of each orbit. The loop leaves every
// kBlock steps for the tests at the checkpoints, and when an orbit's slot
// finds no pixel left in the list of the current row.
struct RowState {
    long double z[6];          // the slots as stored back
    double x[3], y[3];         // each orbit's c
    double four;
    double yRow;               // imaginary part of the row in `list`
    std::int32_t k[3];         // the step each orbit tests next
    std::int32_t pix[3];       // its pixel in the image, -1 when idle
    std::int32_t row[3];       // the row of that pixel
    std::int32_t next;         // next entry of `list`
    std::int32_t count;        // entries in `list`
    std::int32_t limit;
    std::int32_t rowBase;      // image index of column 0 of the list's row
    std::int32_t listRow;      // the list's row
    const std::int32_t *list;  // columns to iterate
    const double *xs;          // real parts of the columns
    std::uint8_t *out;         // the image
    std::int32_t passes;       // steps to the next checkpoint
    std::int32_t young;        // orbits are tested from this step on
    std::int32_t idleWhenEmpty;  // 0: leave the loop when the list is empty
    std::int32_t active;       // orbits with a pixel
};
static_assert(sizeof(long double) == 16, "layout of RowState");
// The kernel finds y, four and row at fixed distances from x and pix.
static_assert(offsetof(RowState, y) == offsetof(RowState, x) + 24 &&
                  offsetof(RowState, four) == offsetof(RowState, x) + 48 &&
                  offsetof(RowState, row) == offsetof(RowState, pix) + 12,
              "layout of RowState");

constexpr int kLanes = 3;

// An idle orbit iterates c = 0, which stays at 0, and its step count starts
// so low that it never reaches the limit.
constexpr std::int32_t kIdleSteps = INT32_MIN;

// Checkpoint spacing for the tests at the checkpoints, in steps.
constexpr int kBlock = 64;
// Steps an orbit makes before it is tested at the checkpoints: limit / 16
// within these bounds. Most orbits escape young; the loop goes on through
// the checkpoints where no orbit is old enough for the tests.
constexpr int kYoungMin = 32;
constexpr int kYoungMax = 256;

// Results of RunRow.
constexpr int kCheckpoint = 0;  // all slots stored back
constexpr int kAllIdle = 1;     // no orbit has a pixel
constexpr int kListEmpty = 2;   // an orbit went idle; all slots stored back

#define ZOOM_X(O) "%c[ox]+8*" #O "(%[p])"
#define ZOOM_Y(O) "%c[ox]+24+8*" #O "(%[p])"
#define ZOOM_PIX(O) "%c[opix]+4*" #O "(%[p])"
#define ZOOM_ROW(O) "%c[opix]+12+4*" #O "(%[p])"

// One step of the orbit whose a is in slot I and b in slot J (I1 = I + 1,
// J1 = J + 1: the same slots with a temporary on top). Leaves a' in slot I
// and b' in slot J, or jumps to ESC with M on top (t in slot I1). a' goes
// from its addition to the next step's multiplication without a copy; the
// exchanges only rename registers.
#define ZOOM_STEP(I, I1, J, J1, O, ESC)                                                       \
    "fld %%st(" #J ")\n\t"           /* b */                                                  \
    "fmul %%st(" #I1 "), %%st\n\t"   /* t = a*b */                                            \
    "fxch %%st(" #I1 ")\n\t"         /* a on top, t in slot I */                              \
    "fmul %%st(0), %%st\n\t"         /* A = a*a */                                            \
    "fxch %%st(" #J1 ")\n\t"         /* b on top, A in slot J */                              \
    "fmul %%st(0), %%st\n\t"         /* bb = b*b */                                           \
    "fadd %%st(" #J1 "), %%st\n\t"   /* M = A + bb */                                         \
    "fucomi %%st(7), %%st\n\t"                                                                \
    "jae " ESC "\n\t"                                                                         \
    "fsub %%st(" #J1 "), %%st\n\t"   /* B = M - A */                                          \
    "fsubr %%st(" #J1 "), %%st\n\t"  /* D = A - B */                                          \
    "faddl " ZOOM_X(O) "\n\t"        /* a' = D + x */                                         \
    "fxch %%st(" #I1 ")\n\t"         /* t on top, a' in slot I */                             \
    "fadd %%st(0), %%st\n\t"         /* t + t */                                              \
    "faddl " ZOOM_Y(O) "\n\t"        /* b' = t + t + y */                                     \
    "fstp %%st(" #J1 ")\n\t"         /* b' in slot J */

// Step instance S of the loop body: orbit O, counter K, a in slot I, b in
// slot J.
#define ZOOM_INSTANCE(S, O, K, I, I1, J, J1)                                                  \
    ".Lzi" #S "_%=:\n\t"                                                                      \
    "cmpl %[limit], %k[" K "]\n\t"                                                            \
    "je .Lzl" #S "_%=\n\t"                                                                    \
    ZOOM_STEP(I, I1, J, J1, O, ".Lze" #S "_%=")                                               \
    "incl %k[" K "]\n\t"

// The end of orbit O at instance S (escaped on step K, or at the limit), and
// the next pixel of the list for its slot: a in slot IA, b in slot JB
// (IA1 = IA + 1, JB1 = JB + 1). Resumes at instance S + 1 (RESUME). With the
// list empty the orbit goes idle, and the loop is left unless idleWhenEmpty.
#define ZOOM_NEXT(S, O, K, IA1, JB1, RESUME)                                                  \
    ".Lze" #S "_%=:\n\t"                                                                      \
    "fstp %%st(0)\n\t"                                                                        \
    "movslq " ZOOM_PIX(O) ", %q[t1]\n\t"                                                      \
    "movq %c[oout](%[p]), %q[t2]\n\t"                                                         \
    "movb %b[" K "], (%q[t2],%q[t1])\n\t"                                                     \
    "jmp .Lzn" #S "_%=\n"                                                                     \
    ".Lzl" #S "_%=:\n\t"                                                                      \
    "movslq " ZOOM_PIX(O) ", %q[t1]\n\t"                                                      \
    "movq %c[oout](%[p]), %q[t2]\n\t"                                                         \
    "movb $0, (%q[t2],%q[t1])\n"                                                              \
    ".Lzn" #S "_%=:\n\t"                                                                      \
    "movl %c[onext](%[p]), %k[t1]\n\t"                                                        \
    "cmpl %c[ocount](%[p]), %k[t1]\n\t"                                                       \
    "jge .Lzd" #S "_%=\n\t"                                                                   \
    "leal 1(%q[t1]), %k[t2]\n\t"                                                              \
    "movl %k[t2], %c[onext](%[p])\n\t"                                                        \
    "movq %c[olist](%[p]), %q[t2]\n\t"                                                        \
    "movslq (%q[t2],%q[t1],4), %q[t1]\n\t" /* column */                                       \
    "movq %c[oxs](%[p]), %q[t2]\n\t"                                                          \
    "movq (%q[t2],%q[t1],8), %q[t2]\n\t"                                                      \
    "movq %q[t2], " ZOOM_X(O) "\n\t"                                                          \
    "addl %c[obase](%[p]), %k[t1]\n\t"                                                        \
    "movl %k[t1], " ZOOM_PIX(O) "\n\t"                                                        \
    "movl %c[olistrow](%[p]), %k[t1]\n\t"                                                     \
    "movl %k[t1], " ZOOM_ROW(O) "\n\t"                                                        \
    "movq %c[oyrow](%[p]), %q[t2]\n\t"                                                        \
    "movq %q[t2], " ZOOM_Y(O) "\n\t"                                                          \
    "fldl " ZOOM_Y(O) "\n\t"                                                                  \
    "fmul %%st(0), %%st\n\t"         /* y*y */                                                \
    "fstp %%st(" #JB1 ")\n\t"                                                                 \
    "fldl " ZOOM_X(O) "\n\t"                                                                  \
    "fmul %%st(0), %%st\n\t"         /* x*x */                                                \
    "fsub %%st(" #JB1 "), %%st\n\t"  /* x*x - y*y */                                          \
    "faddl " ZOOM_X(O) "\n\t"        /* a_1 */                                                \
    "fstp %%st(" #IA1 ")\n\t"                                                                 \
    "fldl " ZOOM_X(O) "\n\t"                                                                  \
    "fmull " ZOOM_Y(O) "\n\t"        /* x*y */                                                \
    "fadd %%st(0), %%st\n\t"                                                                  \
    "faddl " ZOOM_Y(O) "\n\t"        /* b_1 */                                                \
    "fstp %%st(" #JB1 ")\n\t"                                                                 \
    "movl $1, %k[" K "]\n\t"                                                                  \
    "jmp " RESUME "\n"                                                                        \
    ".Lzd" #S "_%=:\n\t"                                                                      \
    "movl $-1, " ZOOM_PIX(O) "\n\t"                                                           \
    "movq $0, " ZOOM_X(O) "\n\t"                                                              \
    "movq $0, " ZOOM_Y(O) "\n\t"                                                              \
    "movl $0x80000000, %k[" K "]\n\t"                                                         \
    "decl %c[oactive](%[p])\n\t"                                                              \
    "jz .Lzall_%=\n\t"                                                                        \
    "fldz\n\t"                                                                                \
    "fstp %%st(" #IA1 ")\n\t"                                                                 \
    "fldz\n\t"                                                                                \
    "fstp %%st(" #JB1 ")\n\t"                                                                 \
    "cmpl $0, %c[oidle](%[p])\n\t"                                                            \
    "jne " RESUME "\n\t"                                                                      \
    "movl $2, %k[result]\n\t" /* kListEmpty */                                                \
    "jmp .Lzstore_%=\n"

// Runs the orbits until the next checkpoint, until an orbit finds the list
// empty (unless idleWhenEmpty), or until no orbit has a pixel.
int RunRow(RowState *s)
{
    int k0 = s->k[0], k1 = s->k[1], k2 = s->k[2], passes = s->passes;
    const int limit = s->limit;
    long t1, t2;
    int result;
    asm volatile(
        "fldl %c[ox]+48(%[p])\n\t"
        "fldt %c[oz]+80(%[p])\n\t"
        "fldt %c[oz]+64(%[p])\n\t"
        "fldt %c[oz]+48(%[p])\n\t"
        "fldt %c[oz]+32(%[p])\n\t"
        "fldt %c[oz]+16(%[p])\n\t"
        "fldt %c[oz](%[p])\n\t"
        "jmp .Lzi0_%=\n\t"
        ".p2align 4\n"
        ZOOM_INSTANCE(0, 0, "k0", 0, 1, 1, 2)
        ZOOM_INSTANCE(1, 1, "k1", 2, 3, 3, 4)
        ZOOM_INSTANCE(2, 2, "k2", 4, 5, 5, 6)
        ".Lzi3_%=:\n\t"
        "decl %k[passes]\n\t"
        "jnz .Lzi0_%=\n\t"
        // A checkpoint: leave if an orbit is old enough for the tests.
        "movl %c[oyoung](%[p]), %k[t1]\n\t"
        "cmpl %k[t1], %k[k0]\n\t"
        "jge .Lzcheck_%=\n\t"
        "cmpl %k[t1], %k[k1]\n\t"
        "jge .Lzcheck_%=\n\t"
        "cmpl %k[t1], %k[k2]\n\t"
        "jge .Lzcheck_%=\n\t"
        "movl %[block], %k[passes]\n\t"
        "jmp .Lzi0_%=\n"
        ".Lzcheck_%=:\n\t"
        "movl $0, %k[result]\n"  // kCheckpoint
        ".Lzstore_%=:\n\t"
        "fstpt %c[oz](%[p])\n\t"
        "fstpt %c[oz]+16(%[p])\n\t"
        "fstpt %c[oz]+32(%[p])\n\t"
        "fstpt %c[oz]+48(%[p])\n\t"
        "fstpt %c[oz]+64(%[p])\n\t"
        "fstpt %c[oz]+80(%[p])\n\t"
        "fstp %%st(0)\n\t"
        "jmp .Lzout_%=\n"

        ZOOM_NEXT(0, 0, "k0", 1, 2, ".Lzi1_%=")
        ZOOM_NEXT(1, 1, "k1", 3, 4, ".Lzi2_%=")
        ZOOM_NEXT(2, 2, "k2", 5, 6, ".Lzi3_%=")

        ".Lzall_%=:\n\t"  // no orbit left: pop the slots and the 4
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "movl $1, %k[result]\n"  // kAllIdle
        ".Lzout_%=:\n\t"
        : [k0] "+r"(k0), [k1] "+r"(k1), [k2] "+r"(k2), [passes] "+r"(passes), [result] "=&r"(result),
          [t1] "=&r"(t1), [t2] "=&r"(t2)
        : [p] "r"(s), [limit] "r"(limit), [oz] "i"(offsetof(RowState, z)), [ox] "i"(offsetof(RowState, x)),
          [oyrow] "i"(offsetof(RowState, yRow)), [opix] "i"(offsetof(RowState, pix)),
          [onext] "i"(offsetof(RowState, next)), [ocount] "i"(offsetof(RowState, count)),
          [obase] "i"(offsetof(RowState, rowBase)),
          [olistrow] "i"(offsetof(RowState, listRow)), [olist] "i"(offsetof(RowState, list)),
          [oxs] "i"(offsetof(RowState, xs)), [oout] "i"(offsetof(RowState, out)),
          [oidle] "i"(offsetof(RowState, idleWhenEmpty)), [oyoung] "i"(offsetof(RowState, young)),
          [block] "i"(kBlock), [oactive] "i"(offsetof(RowState, active))
        : "memory", "cc", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)");
    s->k[0] = k0;
    s->k[1] = k1;
    s->k[2] = k2;
    s->passes = passes;
    return result;
}

#undef ZOOM_X
#undef ZOOM_Y
#undef ZOOM_PIX
#undef ZOOM_ROW
#undef ZOOM_STEP
#undef ZOOM_INSTANCE
#undef ZOOM_NEXT

// An orbit's tests at the checkpoints. The state (a, b) decides every later
// step, so when it comes back exactly the orbit is periodic and never
// escapes; the literal loop would run to the limit, index 0. States are saved
// at checkpoints 1, 2, 4, 8, ... of the orbit and compared at every
// checkpoint. Besides, an orbit caught in the disc around an attracting cycle
// of period 1 or 2 (see Trapped) never escapes either.
struct CycleTest {
    std::int32_t pixel = -1;
    int checkpoints = 0;
    int saveAt = 1;
    Attractor attractor;
    unsigned char saved[20];
};

void StateBytes(const long double &a, const long double &b, unsigned char *out)
{
    // The ten significant bytes of each extended value; the rest is padding.
    std::memcpy(out, &a, 10);
    std::memcpy(out + 10, &b, 10);
}

// What the kernel needs of an image, and how it hands out and reports rows.
struct ImageJob {
    const Geometry *geometry;
    const double *xs;
    const double *ys;
    std::uint8_t *pixels;
    std::atomic<int> *nextRow;     // rows are taken from here in order
    const std::atomic<bool> *stop;  // set: give up the image
    void (*rowDone)(void *context, int row);
    void *context;
};

// Per-thread scratch space of the kernel.
struct RowScratch {
    std::vector<std::int32_t> list;
    std::vector<int> pendingRows;
};

// Computes rows of the image, taking them one after another from the shared
// row counter, until none is left or the image is given up. Every pixel gets
// EscapeIndex(xs[j], ys[r], limit). The orbit slots pass from one row to the
// next without waiting for the end of a row; a row is reported when its last
// pixel is done.
void ComputeRows(const ImageJob &job, RowScratch &scratch)
{
    const Geometry &g = *job.geometry;
    const int w = g.w;
    std::vector<std::int32_t> &list = scratch.list;

    if (g.limit <= 1) {
        // The literal loop stops before the first step: all 0.
        for (;;) {
            if (job.stop->load(std::memory_order_acquire))
                return;
            const int r = job.nextRow->fetch_add(1, std::memory_order_relaxed);
            if (r >= g.h)
                return;
            std::fill(job.pixels + static_cast<std::size_t>(r) * w, job.pixels + static_cast<std::size_t>(r + 1) * w, 0);
            job.rowDone(job.context, r);
        }
    }

    RowState s{};
    s.four = 4.0;
    s.limit = g.limit;
    s.xs = job.xs;
    s.out = job.pixels;
    s.passes = kBlock;
    s.young = std::clamp(g.limit / 16, kYoungMin, kYoungMax);
    for (int lane = 0; lane < kLanes; ++lane) {
        s.pix[lane] = -1;
        s.k[lane] = kIdleSteps;
    }
    s.listRow = -1;
    std::vector<int> &pendingRows = scratch.pendingRows;  // rows taken but not yet reported
    pendingRows.clear();
    bool rowsLeft = true;

    // Takes rows until one has pixels to iterate; rows whose pixels are all
    // known not to escape are done at once.
    auto takeRow = [&]() {
        while (rowsLeft) {
            if (job.stop->load(std::memory_order_acquire)) {
                rowsLeft = false;
                break;
            }
            const int r = job.nextRow->fetch_add(1, std::memory_order_relaxed);
            if (r >= g.h) {
                rowsLeft = false;
                break;
            }
            const double y = job.ys[r];
            std::uint8_t *out = job.pixels + static_cast<std::size_t>(r) * w;
            list.clear();
            for (int j = 0; j < w; ++j) {
                const double x = job.xs[j];
                if (InsideCardioidOrBulb(x, y)) {
                    out[j] = 0;
                    continue;
                }
                // Besides, c itself can lie in one of the discs of Trapped,
                // but only well inside: |c| < 0.6 for the fixed point,
                // |c + 1| < 1/4 for the 2-cycle. That cheap test saves the
                // square roots.
                const bool deep = x * x + y * y < 0.36 || (x + 1.0) * (x + 1.0) + y * y < 0.0625;
                if (deep && Trapped(FindAttractor(x, y), x, y))
                    out[j] = 0;
                else
                    list.push_back(j);
            }
            if (list.empty()) {
                job.rowDone(job.context, r);
                continue;
            }
            s.listRow = r;
            pendingRows.push_back(r);
            s.yRow = y;
            s.rowBase = r * w;
            s.list = list.data();
            s.count = static_cast<std::int32_t>(list.size());
            s.next = 0;
            return;
        }
        s.count = s.next = 0;
        s.idleWhenEmpty = 1;
    };
    // Gives an idle orbit slot the next pixel of the list, as the kernel does.
    auto fill = [&](int lane) {
        if (s.pix[lane] >= 0)
            return;
        long double &a = s.z[2 * lane];
        long double &b = s.z[2 * lane + 1];
        if (s.next >= s.count)
            takeRow();
        if (s.next >= s.count) {
            // Idle: c = 0 from 0, never at the limit.
            a = b = 0.0L;
            s.x[lane] = s.y[lane] = 0.0;
            s.k[lane] = kIdleSteps;
            return;
        }
        const int j = list[s.next++];
        s.pix[lane] = s.rowBase + j;
        s.row[lane] = s.listRow;
        const double x = job.xs[j];
        const double y = s.yRow;
        s.x[lane] = x;
        s.y[lane] = y;
        // The literal first step: a = x, b = y, A = a*a, B = b*b.
        const long double a0 = x, b0 = y;
        const long double A0 = a0 * a0, B0 = b0 * b0;
        const long double t = a0 * b0;
        a = A0 - B0 + a0;
        b = t + t + b0;
        s.k[lane] = 1;
        ++s.active;
    };
    // Reports the rows whose pixels are all done.
    auto report = [&]() {
        for (std::size_t i = 0; i < pendingRows.size();) {
            const int r = pendingRows[i];
            bool busy = r == s.listRow && s.next < s.count;
            for (int lane = 0; lane < kLanes; ++lane)
                busy = busy || (s.pix[lane] >= 0 && s.row[lane] == r);
            if (!busy) {
                job.rowDone(job.context, r);
                pendingRows[i] = pendingRows.back();
                pendingRows.pop_back();
            } else {
                ++i;
            }
        }
    };

    CycleTest test[kLanes];
    for (;;) {
        for (int lane = 0; lane < kLanes; ++lane)
            fill(lane);
        report();
        if (s.active == 0)
            return;
        const int result = RunRow(&s);
        if (job.stop->load(std::memory_order_acquire))
            return;
        if (result == kAllIdle) {
            s.active = 0;
            continue;
        }
        if (result == kListEmpty)
            continue;
        s.passes = kBlock;
        for (int lane = 0; lane < kLanes; ++lane) {
            const std::int32_t pix = s.pix[lane];
            // Orbits still young are left alone: most escape soon.
            if (pix < 0 || s.k[lane] < s.young)
                continue;
            CycleTest &c = test[lane];
            if (c.pixel != pix) {
                c = CycleTest{};
                c.pixel = pix;
                c.attractor = FindAttractor(s.x[lane], s.y[lane]);
            }
            const long double &a = s.z[2 * lane];
            const long double &b = s.z[2 * lane + 1];
            unsigned char now[20];
            StateBytes(a, b, now);
            ++c.checkpoints;
            if ((c.checkpoints > 1 && std::memcmp(now, c.saved, sizeof now) == 0) ||
                Trapped(c.attractor, static_cast<double>(a), static_cast<double>(b))) {
                // Never escapes: let the kernel finish it as at the limit.
                s.k[lane] = s.limit;
                continue;
            }
            if (c.checkpoints == c.saveAt) {
                std::memcpy(c.saved, now, sizeof now);
                c.saveAt *= 2;
            }
        }
    }
}

}  // namespace

void RenderPlain(const Geometry &g, std::uint8_t *out)
{
    double y = g.top;
    for (int r = 0; r < g.h; ++r) {
        y = static_cast<double>(static_cast<long double>(y) - g.dy);
        double x = g.left;
        for (int j = 0; j < g.w; ++j) {
            x = static_cast<double>(static_cast<long double>(x) + g.dx);
            out[static_cast<std::size_t>(r) * g.w + j] = EscapeIndex(x, y, g.limit);
        }
    }
}

// Rows that WaitRow waits for at once when it has to sleep.
constexpr int kWaitBatch = 6;

struct RowEngine::Impl {
    explicit Impl(unsigned threads);
    ~Impl();
    void Work();
    void RowDone(int r);
    void CancelLocked(std::unique_lock<std::mutex> &lock);

    std::vector<std::thread> pool;

    std::mutex mutex;
    std::condition_variable workCv;  // workers: a new image, or quit
    std::condition_variable rowCv;   // caller: a row is done; Cancel: workers left

    // Guarded by mutex.
    bool quit = false;
    std::uint64_t generation = 0;  // counts images begun
    bool open = false;             // the current image still hands out rows
    int busy = 0;                  // workers inside the current image

    // The current image: set up under the mutex while no worker is busy,
    // then read by the workers without the lock.
    Geometry geometry;
    std::vector<double> xs, ys;
    std::vector<std::uint8_t> pixels;
    std::unique_ptr<std::atomic<bool>[]> rowDone;
    std::atomic<int> nextRow{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> sleeper{false};  // the caller sleeps in WaitRow ...
    std::atomic<int> waitFirst{-1};    // ... until this row
    std::atomic<int> waitLast{-1};     // ... and this one are done
};

RowEngine::Impl::Impl(unsigned threads)
{
    if (threads == 0)
        threads = std::max(1u, std::thread::hardware_concurrency());
    pool.reserve(threads);
    for (unsigned i = 0; i < threads; ++i)
        pool.emplace_back([this] { Work(); });
}

RowEngine::Impl::~Impl()
{
    {
        std::unique_lock<std::mutex> lock(mutex);
        CancelLocked(lock);
        quit = true;
    }
    workCv.notify_all();
    for (std::thread &t : pool)
        t.join();
}

void RowEngine::Impl::Work()
{
    // Extended precision, rounding to nearest, all exceptions masked: the
    // arithmetic that the images are defined with, whatever the thread
    // inherited.
    const std::uint16_t control = 0x037F;
    asm volatile("fldcw %0" : : "m"(control));
    std::uint64_t seen = 0;
    RowScratch scratch;
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        workCv.wait(lock, [&] { return quit || (open && generation != seen); });
        if (quit)
            return;
        seen = generation;
        ++busy;
        lock.unlock();

        const ImageJob job{&geometry, xs.data(), ys.data(), pixels.data(), &nextRow, &stop,
                           [](void *context, int r) { static_cast<Impl *>(context)->RowDone(r); }, this};
        ComputeRows(job, scratch);

        lock.lock();
        if (--busy == 0)
            rowCv.notify_all();
    }
}

void RowEngine::Impl::RowDone(int r)
{
    // Sequentially consistent with the caller's `sleeper` store and row
    // check, so that one of the two sides sees the other.
    rowDone[r].store(true, std::memory_order_seq_cst);
    if (sleeper.load(std::memory_order_seq_cst) &&
        (r == waitFirst.load(std::memory_order_seq_cst) || r == waitLast.load(std::memory_order_seq_cst))) {
        // Taking the lock orders this row before the caller's check.
        std::lock_guard<std::mutex> guard(mutex);
        rowCv.notify_all();
    }
}

void RowEngine::Impl::CancelLocked(std::unique_lock<std::mutex> &lock)
{
    open = false;
    stop.store(true, std::memory_order_release);
    rowCv.wait(lock, [&] { return busy == 0; });
}

RowEngine::RowEngine(unsigned threads) : impl_(std::make_unique<Impl>(threads)) {}

RowEngine::~RowEngine() = default;

void RowEngine::Begin(const Geometry &g)
{
    Impl &d = *impl_;
    {
        std::unique_lock<std::mutex> lock(d.mutex);
        d.CancelLocked(lock);
        d.geometry = g;
        if (d.geometry.w < 0)
            d.geometry.w = 0;
        if (d.geometry.h < 0)
            d.geometry.h = 0;
        SampleChains(d.geometry, d.xs, d.ys);
        // Never empty, so that even rows of no pixels have an address.
        d.pixels.assign(std::max<std::size_t>(1, static_cast<std::size_t>(d.geometry.w) * d.geometry.h), 0);
        d.rowDone = std::make_unique<std::atomic<bool>[]>(static_cast<std::size_t>(d.geometry.h));
        for (int r = 0; r < d.geometry.h; ++r)
            d.rowDone[r].store(false, std::memory_order_relaxed);
        d.nextRow.store(0, std::memory_order_relaxed);
        d.stop.store(false, std::memory_order_relaxed);
        ++d.generation;
        d.open = true;
    }
    d.workCv.notify_all();
}

const std::uint8_t *RowEngine::WaitRow(int r)
{
    Impl &d = *impl_;
    if (r < 0 || r >= d.geometry.h || !d.rowDone)
        return nullptr;
    const std::uint8_t *row = d.pixels.data() + static_cast<std::size_t>(r) * d.geometry.w;
    // A short spin first: the row is often just being finished.
    for (int i = 0; i < 64; ++i) {
        if (d.rowDone[r].load(std::memory_order_acquire))
            return row;
        __builtin_ia32_pause();
    }
    // Then sleep until this row and a few after it are done, so that the
    // caller is not woken for every single row.
    const int last = std::min(r + kWaitBatch - 1, d.geometry.h - 1);
    std::unique_lock<std::mutex> lock(d.mutex);
    d.waitFirst.store(r, std::memory_order_seq_cst);
    d.waitLast.store(last, std::memory_order_seq_cst);
    d.sleeper.store(true, std::memory_order_seq_cst);
    d.rowCv.wait(lock, [&] {
        return (d.rowDone[r].load(std::memory_order_seq_cst) && d.rowDone[last].load(std::memory_order_seq_cst)) ||
               !d.open;
    });
    d.sleeper.store(false, std::memory_order_relaxed);
    // After Cancel the rows not yet computed never come.
    return d.rowDone[r].load(std::memory_order_acquire) ? row : nullptr;
}

void RowEngine::Cancel()
{
    std::unique_lock<std::mutex> lock(impl_->mutex);
    impl_->CancelLocked(lock);
}

unsigned RowEngine::threads() const
{
    return static_cast<unsigned>(impl_->pool.size());
}

}  // namespace zoom
