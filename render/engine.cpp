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

// The row kernel iterates two orbits in lockstep, entirely in the eight x87
// registers, and hands a finished orbit's slot to the next pixel of the row
// without leaving the loop. Each orbit keeps a, b and D = A - B: the next
// step's a is D + x, and the literal loop forms A - B + x in the same order,
// so every value is the same. One step of one orbit, in this order:
//   t = a*b; b = t + t + y; a = D + x; A = a*a; M = b*b + A (= A + b*b);
//   escape if M >= 4 (unordered: not); B = M - A; D = A - B.
// The loop leaves every kBlock steps for the tests at the checkpoints, and
// when an orbit's slot finds no pixel left in the list of the current row.
struct RowState {
    long double a0, b0, D0;  //   0,  16,  32
    long double a1, b1, D1;  //  48,  64,  80
    double x0, y0;           //  96, 104
    double x1, y1;           // 112, 120
    double four;             // 128
    double yRow;             // 136: imaginary part of the row in `list`
    std::int32_t k0, k1;     // 144, 148: steps made by each orbit
    std::int32_t pix0, pix1; // 152, 156: its pixel in the image, -1 when idle
    std::int32_t next;       // 160: next entry of `list`
    std::int32_t count;      // 164: entries in `list`
    std::int32_t maxSteps;   // 168: limit - 1
    std::int32_t rowBase;    // 172: image index of column 0 of the list's row
    const std::int32_t *list;  // 176: columns to iterate
    const double *xs;          // 184: real parts of the columns
    std::uint8_t *out;         // 192: the image
    std::int32_t passes;       // 200: passes to the next checkpoint
    std::int32_t idleWhenEmpty;  // 204: 0: leave the loop when the list is empty
    std::int32_t active;       // 208: orbits with a pixel
};
static_assert(sizeof(long double) == 16, "layout of RowState");
static_assert(offsetof(RowState, four) == 128 && offsetof(RowState, k0) == 144 &&
                  offsetof(RowState, rowBase) == 172 && offsetof(RowState, list) == 176 &&
                  offsetof(RowState, out) == 192 && offsetof(RowState, passes) == 200 &&
                  offsetof(RowState, active) == 208,
              "layout of RowState");

// An idle orbit iterates c = 0, which stays at 0, and its step count starts
// so low that it never reaches the limit.
constexpr std::int32_t kIdleSteps = INT32_MIN;

// Checkpoint spacing for the tests at the checkpoints, in steps.
constexpr int kBlock = 64;
// Steps an orbit makes before it is tested at the checkpoints.
constexpr int kYoung = 32;

// Results of RunRow.
constexpr int kCheckpoint = 0;  // both orbits' state stored back
constexpr int kAllIdle = 1;     // no orbit has a pixel
constexpr int kListEmpty = 2;   // an orbit went idle; both states stored back

// One step of the orbit on top: a, b, D, (other orbit's a, b, D), 4. Leaves
// the other orbit's a, b, D, then a', b', D' on top, or jumps to ESC with
// M, A, a', b' on top.
#define ZOOM_STEP(X, Y, ESC)                                                              \
    "fmul %%st(1), %%st\n\t"  /* t = a*b */                                               \
    "fadd %%st(0), %%st\n\t"  /* t + t */                                                 \
    "faddl " Y "(%[p])\n\t"   /* b' = t + t + y */                                        \
    "fxch %%st(2)\n\t"        /* D, (b, unused now), b' */                                \
    "faddl " X "(%[p])\n\t"   /* a' = D + x */                                            \
    "fst %%st(1)\n\t"         /* a', a', b' */                                            \
    "fmul %%st(0), %%st\n\t"  /* A = a'*a' */                                             \
    "fld %%st(2)\n\t"         /* b', A, a', b' */                                         \
    "fmul %%st(0), %%st\n\t"  /* b'*b' */                                                 \
    "fadd %%st(1), %%st\n\t"  /* M */                                                     \
    "fucomi %%st(7), %%st\n\t"                                                            \
    "jae " ESC "\n\t"                                                                     \
    "fsub %%st(1), %%st\n\t"  /* B = M - A */                                             \
    "fsubr %%st(1), %%st\n\t" /* D' = A - B */                                            \
    "fstp %%st(1)\n\t"        /* D', a', b' */                                            \
    /* D' a' b' o_a o_b o_D -> o_a o_b o_D a' b' D' */                                    \
    "fxch %%st(5)\n\t"                                                                    \
    "fxch %%st(2)\n\t"                                                                    \
    "fxch %%st(4)\n\t"                                                                    \
    "fxch %%st(1)\n\t"                                                                    \
    "fxch %%st(3)\n\t"

// Takes the next pixel of the list for an orbit whose registers are gone:
// pushes its D, b, a (a = x, b = y, D = x*x - y*y) and continues at RESUME.
// With the list empty the orbit goes idle (zeros pushed); then the loop
// leaves through LEAVE unless told to go on, and when no orbit is left it
// leaves through label 9.
#define ZOOM_NEXT(K, PIX, X, Y, RESUME, LEAVE)                                            \
    "movl 160(%[p]), %k[t1]\n\t"                                                          \
    "cmpl 164(%[p]), %k[t1]\n\t"                                                          \
    "jge 8f\n\t"                                                                          \
    "leal 1(%q[t1]), %k[t2]\n\t"                                                          \
    "movl %k[t2], 160(%[p])\n\t"                                                          \
    "movq 176(%[p]), %q[t2]\n\t"                                                          \
    "movslq (%q[t2],%q[t1],4), %q[t1]\n\t" /* column */                                   \
    "movq 184(%[p]), %q[t2]\n\t"                                                          \
    "movq (%q[t2],%q[t1],8), %q[t2]\n\t"                                                  \
    "movq %q[t2], " X "(%[p])\n\t"                                                        \
    "addl 172(%[p]), %k[t1]\n\t"                                                          \
    "movl %k[t1], " PIX "(%[p])\n\t"                                                      \
    "movq 136(%[p]), %q[t2]\n\t"                                                          \
    "movq %q[t2], " Y "(%[p])\n\t"                                                        \
    "fldl " Y "(%[p])\n\t"                                                                \
    "fmul %%st(0), %%st\n\t"                                                              \
    "fldl " X "(%[p])\n\t"                                                                \
    "fmul %%st(0), %%st\n\t"                                                              \
    "fsub %%st(1), %%st\n\t" /* x*x - y*y */                                              \
    "fstp %%st(1)\n\t"                                                                    \
    "fldl " Y "(%[p])\n\t"                                                                \
    "fldl " X "(%[p])\n\t"                                                                \
    "xorl %k[" K "], %k[" K "]\n\t"                                                       \
    "jmp " RESUME "\n"                                                                    \
    "8:\n\t"                                                                              \
    "movl $-1, " PIX "(%[p])\n\t"                                                         \
    "movq $0, " X "(%[p])\n\t"                                                            \
    "movq $0, " Y "(%[p])\n\t"                                                            \
    "movl $0x80000000, %k[" K "]\n\t"                                                     \
    "decl 208(%[p])\n\t"                                                                  \
    "jz 9f\n\t"                                                                           \
    "fldz\n\t"                                                                            \
    "fldz\n\t"                                                                            \
    "fldz\n\t"                                                                            \
    "cmpl $0, 204(%[p])\n\t"                                                              \
    "jne " RESUME "\n\t"                                                                  \
    "jmp " LEAVE "\n"

// Runs the orbits until the next checkpoint, until an orbit finds the list
// empty (unless idleWhenEmpty), or until no orbit has a pixel.
int RunRow(RowState *s)
{
    int k0 = s->k0, k1 = s->k1, passes = s->passes;
    long t1, t2;
    int result;
    asm volatile(
        "fldl 128(%[p])\n\t"
        "fldt 80(%[p])\n\t"
        "fldt 64(%[p])\n\t"
        "fldt 48(%[p])\n\t"
        "fldt 32(%[p])\n\t"
        "fldt 16(%[p])\n\t"
        "fldt 0(%[p])\n\t"
        "jmp 10f\n\t"
        ".p2align 4\n"
        "10:\n\t"  // orbit 0: a0 b0 D0 a1 b1 D1 4
        "cmpl 168(%[p]), %k[k0]\n\t"
        "je 12f\n\t"
        "incl %k[k0]\n\t"
        ZOOM_STEP("96", "104", "11f")
        "20:\n\t"  // orbit 1: a1 b1 D1 a0 b0 D0 4
        "cmpl 168(%[p]), %k[k1]\n\t"
        "je 22f\n\t"
        "incl %k[k1]\n\t"
        ZOOM_STEP("112", "120", "21f")
        "decl %k[passes]\n\t"
        "jnz 10b\n\t"
        "movl $0, %k[result]\n"  // kCheckpoint
        "40:\n\t"  // store back: a0 b0 D0 a1 b1 D1 4
        "fstpt 0(%[p])\n\t"
        "fstpt 16(%[p])\n\t"
        "fstpt 32(%[p])\n\t"
        "fstpt 48(%[p])\n\t"
        "fstpt 64(%[p])\n\t"
        "fstpt 80(%[p])\n\t"
        "fstp %%st(0)\n\t"
        "jmp 30f\n"
        "41:\n\t"  // store back: a1 b1 D1 a0 b0 D0 4
        "fstpt 48(%[p])\n\t"
        "fstpt 64(%[p])\n\t"
        "fstpt 80(%[p])\n\t"
        "fstpt 0(%[p])\n\t"
        "fstpt 16(%[p])\n\t"
        "fstpt 32(%[p])\n\t"
        "fstp %%st(0)\n\t"
        "jmp 30f\n"
        "42:\n\t"  // orbit 0 went idle, orbit 0 on top
        "movl $2, %k[result]\n\t"  // kListEmpty
        "jmp 40b\n"
        "43:\n\t"  // orbit 1 went idle, orbit 1 on top
        "movl $2, %k[result]\n\t"
        "jmp 41b\n"

        "11:\n\t"  // orbit 0 escaped on step k0: M A a' b' | a1 b1 D1 | 4
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "movslq 152(%[p]), %q[t1]\n\t"
        "movq 192(%[p]), %q[t2]\n\t"
        "movb %b[k0], (%q[t2],%q[t1])\n\t"
        "jmp 13f\n"
        "12:\n\t"  // orbit 0 at the limit: a0 b0 D0 | a1 b1 D1 | 4
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "movslq 152(%[p]), %q[t1]\n\t"
        "movq 192(%[p]), %q[t2]\n\t"
        "movb $0, (%q[t2],%q[t1])\n"
        "13:\n\t"  // a1 b1 D1 4
        ZOOM_NEXT("k0", "152", "96", "104", "10b", "42b")

        "21:\n\t"  // orbit 1 escaped on step k1: M A a' b' | a0 b0 D0 | 4
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "movslq 156(%[p]), %q[t1]\n\t"
        "movq 192(%[p]), %q[t2]\n\t"
        "movb %b[k1], (%q[t2],%q[t1])\n\t"
        "jmp 23f\n"
        "22:\n\t"  // orbit 1 at the limit: a1 b1 D1 | a0 b0 D0 | 4
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "movslq 156(%[p]), %q[t1]\n\t"
        "movq 192(%[p]), %q[t2]\n\t"
        "movb $0, (%q[t2],%q[t1])\n"
        "23:\n\t"  // a0 b0 D0 4
        ZOOM_NEXT("k1", "156", "112", "120", "20b", "43b")

        "9:\n\t"  // no orbit left: the idle orbit's 0 0 0, and 4
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "fstp %%st(0)\n\t"
        "movl $1, %k[result]\n"  // kAllIdle
        "30:\n\t"
        : [k0] "+r"(k0), [k1] "+r"(k1), [passes] "+r"(passes), [result] "=&r"(result), [t1] "=&r"(t1),
          [t2] "=&r"(t2)
        : [p] "r"(s)
        : "memory", "cc", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)");
    s->k0 = k0;
    s->k1 = k1;
    s->passes = passes;
    return result;
}

#undef ZOOM_STEP
#undef ZOOM_NEXT

// An orbit's tests at the checkpoints. The state (a, b, D) decides every
// later step, so when it comes back exactly the orbit is periodic and never
// escapes; the literal loop would run to the limit, index 0. States are saved
// at checkpoints 1, 2, 4, 8, ... of the orbit and compared at every
// checkpoint. Besides, an orbit caught in the disc around an attracting cycle
// of period 1 or 2 (see Trapped) never escapes either.
struct CycleTest {
    std::int32_t pixel = -1;
    int checkpoints = 0;
    int saveAt = 1;
    Attractor attractor;
    unsigned char saved[30];
};

void StateBytes(const long double &a, const long double &b, const long double &D, unsigned char *out)
{
    // The ten significant bytes of each extended value; the rest is padding.
    std::memcpy(out, &a, 10);
    std::memcpy(out + 10, &b, 10);
    std::memcpy(out + 20, &D, 10);
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
};

// Computes rows of the image, taking them one after another from the shared
// row counter, until none is left or the image is given up. Every pixel gets
// EscapeIndex(xs[j], ys[r], limit). The two orbit slots pass from one row to
// the next without waiting for the end of a row; a row is reported when its
// last pixel is done.
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
    s.maxSteps = g.limit - 1;
    s.xs = job.xs;
    s.out = job.pixels;
    s.passes = kBlock;
    s.pix0 = s.pix1 = -1;
    s.k0 = s.k1 = kIdleSteps;
    int listRow = -1;         // the row in `list`
    int pendingRows[3];       // rows taken but not yet reported
    int pending = 0;
    bool rowsLeft = true;

    // Takes rows until one has pixels to iterate; rows whose pixels all lie
    // in the discs of Trapped are done at once.
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
                // The starting point c itself can lie in such a disc only
                // well inside: |c| < 0.6 for the fixed point, |c + 1| < 1/4
                // for the 2-cycle. That cheap test saves the square roots.
                const double x = job.xs[j];
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
            listRow = r;
            pendingRows[pending++] = r;
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
        std::int32_t &pix = lane == 0 ? s.pix0 : s.pix1;
        if (pix >= 0)
            return;
        long double &a = lane == 0 ? s.a0 : s.a1;
        long double &b = lane == 0 ? s.b0 : s.b1;
        long double &D = lane == 0 ? s.D0 : s.D1;
        double &x = lane == 0 ? s.x0 : s.x1;
        double &yy = lane == 0 ? s.y0 : s.y1;
        if (s.next >= s.count)
            takeRow();
        if (s.next >= s.count) {
            // Idle: c = 0 from 0, never at the limit.
            a = b = D = 0.0L;
            x = yy = 0.0;
            (lane == 0 ? s.k0 : s.k1) = kIdleSteps;
            return;
        }
        const int j = list[s.next++];
        pix = s.rowBase + j;
        x = job.xs[j];
        yy = s.yRow;
        a = x;
        b = yy;
        D = a * a - b * b;
        (lane == 0 ? s.k0 : s.k1) = 0;
        ++s.active;
    };
    // Reports the rows whose pixels are all done.
    auto report = [&]() {
        for (int i = 0; i < pending;) {
            const int r = pendingRows[i];
            const bool listed = r == listRow && s.next < s.count;
            const bool inOrbit = (s.pix0 >= 0 && s.pix0 / w == r) || (s.pix1 >= 0 && s.pix1 / w == r);
            if (!listed && !inOrbit) {
                job.rowDone(job.context, r);
                pendingRows[i] = pendingRows[--pending];
            } else {
                ++i;
            }
        }
    };

    CycleTest test[2];
    for (;;) {
        fill(0);
        fill(1);
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
        for (int lane = 0; lane < 2; ++lane) {
            const std::int32_t pix = lane == 0 ? s.pix0 : s.pix1;
            // Orbits still young are left alone: most escape soon.
            if (pix < 0 || (lane == 0 ? s.k0 : s.k1) < kYoung)
                continue;
            CycleTest &c = test[lane];
            if (c.pixel != pix) {
                c = CycleTest{};
                c.pixel = pix;
                c.attractor = FindAttractor(lane == 0 ? s.x0 : s.x1, lane == 0 ? s.y0 : s.y1);
            }
            const long double &a = lane == 0 ? s.a0 : s.a1;
            const long double &b = lane == 0 ? s.b0 : s.b1;
            const long double &D = lane == 0 ? s.D0 : s.D1;
            unsigned char now[30];
            StateBytes(a, b, D, now);
            ++c.checkpoints;
            if ((c.checkpoints > 1 && std::memcmp(now, c.saved, sizeof now) == 0) ||
                Trapped(c.attractor, static_cast<double>(a), static_cast<double>(b))) {
                // Never escapes: let the kernel finish it as at the limit.
                (lane == 0 ? s.k0 : s.k1) = s.maxSteps;
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

}  // namespace zoom

namespace zoom {

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
