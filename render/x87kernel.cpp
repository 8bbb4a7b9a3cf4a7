#include "render/rowkernel.h"

// The x87 unit's kernel: the orbits' slots in the eight x87 registers,
// st(0) ... st(5) (orbit o: a in slot 2o, b in slot 2o + 1), st(6) the
// constant 4; one register is left for the temporaries, and a step works on
// its orbit's two slots in place.

static_assert(ext::kHardware, "the x87 kernel needs Extended to be the x87 long double");

namespace zoom::kernel {

static_assert(sizeof(long double) == 16, "layout of RowState");
// The kernel finds y, four and row at fixed distances from x and pix, the
// list's fields from next and list (an asm statement takes at most 30
// operands).
static_assert(offsetof(RowState, y) == offsetof(RowState, x) + 24
                      && offsetof(RowState, four) == offsetof(RowState, x) + 48
                      && offsetof(RowState, row) == offsetof(RowState, pix) + 12,
              "layout of RowState");
static_assert(offsetof(RowState, count) == offsetof(RowState, next) + 4
                      && offsetof(RowState, rowBase) == offsetof(RowState, next) + 12
                      && offsetof(RowState, listRow) == offsetof(RowState, next) + 16
                      && offsetof(RowState, xs) == offsetof(RowState, list) + 8
                      && offsetof(RowState, out) == offsetof(RowState, list) + 16,
              "layout of RowState");

// The assembly is laid out by hand, one instruction a line.
// clang-format off
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
    ZOOM_END(S, O, K)                                                                         \
    ZOOM_TAKE(S, O, K, IA1, JB1, RESUME)                                                      \
    ZOOM_IDLE(S, O, K, IA1, JB1, RESUME)

// The orbit's index and its steps: index K and K steps on an escape, index 0
// and limit - 1 steps at the limit.
#define ZOOM_END(S, O, K)                                                                     \
    ".Lze" #S "_%=:\n\t"                                                                      \
    "fstp %%st(0)\n\t"                                                                        \
    "movslq " ZOOM_PIX(O) ", %q[t1]\n\t"                                                      \
    "movq %c[olist]+16(%[p]), %q[t2]\n\t"                                                         \
    "movb %b[" K "], (%q[t2],%q[t1])\n\t"                                                     \
    "movslq %k[" K "], %q[t1]\n\t"                                                            \
    "addq %q[t1], %c[osteps](%[p])\n\t"   /* k steps made */                                  \
    "jmp .Lzn" #S "_%=\n"                                                                     \
    ".Lzl" #S "_%=:\n\t"                                                                      \
    "movslq " ZOOM_PIX(O) ", %q[t1]\n\t"                                                      \
    "movq %c[olist]+16(%[p]), %q[t2]\n\t"                                                         \
    "movb $0, (%q[t2],%q[t1])\n\t"                                                            \
    "movslq %k[" K "], %q[t1]\n\t"                                                            \
    "decq %q[t1]\n\t"                                                                         \
    "addq %q[t1], %c[osteps](%[p])\n"   /* limit - 1 steps made */

// The next pixel of the list into the slots, its first step made; to the
// orbit's idling when the list is empty.
#define ZOOM_TAKE(S, O, K, IA1, JB1, RESUME)                                                  \
    ".Lzn" #S "_%=:\n\t"                                                                      \
    "movl %c[onext](%[p]), %k[t1]\n\t"                                                        \
    "cmpl %c[onext]+4(%[p]), %k[t1]\n\t"                                                       \
    "jge .Lzd" #S "_%=\n\t"                                                                   \
    "leal 1(%q[t1]), %k[t2]\n\t"                                                              \
    "movl %k[t2], %c[onext](%[p])\n\t"                                                        \
    "movq %c[olist](%[p]), %q[t2]\n\t"                                                        \
    "movslq (%q[t2],%q[t1],4), %q[t1]\n\t" /* column */                                       \
    "movq %c[olist]+8(%[p]), %q[t2]\n\t"                                                          \
    "movq (%q[t2],%q[t1],8), %q[t2]\n\t"                                                      \
    "movq %q[t2], " ZOOM_X(O) "\n\t"                                                          \
    "addl %c[onext]+12(%[p]), %k[t1]\n\t"                                                        \
    "movl %k[t1], " ZOOM_PIX(O) "\n\t"                                                        \
    "movl %c[onext]+16(%[p]), %k[t1]\n\t"                                                     \
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
    "jmp " RESUME "\n"

// No pixel left for the orbit: it goes idle; the loop is left when it was
// the last one, or unless idleWhenEmpty.
#define ZOOM_IDLE(S, O, K, IA1, JB1, RESUME)                                                  \
    ".Lzd" #S "_%=:\n\t"                                                                      \
    "movl %[noPixel], " ZOOM_PIX(O) "\n\t"                                                           \
    "movq $0, " ZOOM_X(O) "\n\t"                                                              \
    "movq $0, " ZOOM_Y(O) "\n\t"                                                              \
    "movl %[idleSteps], %k[" K "]\n\t"                                                        \
    "decl %c[oactive](%[p])\n\t"                                                              \
    "jz .Lzall_%=\n\t"                                                                        \
    "fldz\n\t"                                                                                \
    "fstp %%st(" #IA1 ")\n\t"                                                                 \
    "fldz\n\t"                                                                                \
    "fstp %%st(" #JB1 ")\n\t"                                                                 \
    "cmpl $0, %c[oidle](%[p])\n\t"                                                            \
    "jne " RESUME "\n\t"                                                                      \
    "movl %[listEmpty], %k[result]\n\t"                                                      \
    "jmp .Lzstore_%=\n"

// The constant 4 and the six slots from the state, 4 at the bottom.
#define ZOOM_LOAD                                                                             \
    "fldl %c[ox]+48(%[p])\n\t"                                                                \
    "fldt %c[oz]+80(%[p])\n\t"                                                                \
    "fldt %c[oz]+64(%[p])\n\t"                                                                \
    "fldt %c[oz]+48(%[p])\n\t"                                                                \
    "fldt %c[oz]+32(%[p])\n\t"                                                                \
    "fldt %c[oz]+16(%[p])\n\t"                                                                \
    "fldt %c[oz](%[p])\n\t"

// After the three instances: another pass, or at a checkpoint the slots back
// into the state and out.
#define ZOOM_CHECKPOINT                                                                       \
    ".Lzi3_%=:\n\t"                                                                           \
    "decl %k[passes]\n\t"                                                                     \
    "jnz .Lzi0_%=\n\t"                                                                        \
    /* A checkpoint: leave if an orbit is old enough for the tests. */                        \
    "movl %c[oyoung](%[p]), %k[t1]\n\t"                                                       \
    "cmpl %k[t1], %k[k0]\n\t"                                                                 \
    "jge .Lzcheck_%=\n\t"                                                                     \
    "cmpl %k[t1], %k[k1]\n\t"                                                                 \
    "jge .Lzcheck_%=\n\t"                                                                     \
    "cmpl %k[t1], %k[k2]\n\t"                                                                 \
    "jge .Lzcheck_%=\n\t"                                                                     \
    "movl %[block], %k[passes]\n\t"                                                           \
    "jmp .Lzi0_%=\n"                                                                          \
    ".Lzcheck_%=:\n\t"                                                                        \
    "movl %[checkpoint], %k[result]\n"                                                        \
    ".Lzstore_%=:\n\t"                                                                        \
    "fstpt %c[oz](%[p])\n\t"                                                                  \
    "fstpt %c[oz]+16(%[p])\n\t"                                                               \
    "fstpt %c[oz]+32(%[p])\n\t"                                                               \
    "fstpt %c[oz]+48(%[p])\n\t"                                                               \
    "fstpt %c[oz]+64(%[p])\n\t"                                                               \
    "fstpt %c[oz]+80(%[p])\n\t"                                                               \
    "fstp %%st(0)\n\t"                                                                        \
    "jmp .Lzout_%=\n"

// Every orbit idle: out with allIdle.
#define ZOOM_ALL_IDLE                                                                         \
    ".Lzall_%=:\n\t"  /* no orbit left: pop the slots and the 4 */                            \
    "fstp %%st(0)\n\t"                                                                        \
    "fstp %%st(0)\n\t"                                                                        \
    "fstp %%st(0)\n\t"                                                                        \
    "fstp %%st(0)\n\t"                                                                        \
    "fstp %%st(0)\n\t"                                                                        \
    "fstp %%st(0)\n\t"                                                                        \
    "fstp %%st(0)\n\t"                                                                        \
    "movl %[allIdle], %k[result]\n"                                                           \
    ".Lzout_%=:\n\t"

// The operands: the counters and temporaries in registers, the state's
// fields by their offsets, the results; every x87 register is clobbered.
#define ZOOM_OPERANDS                                                                         \
    : [k0] "+r"(k0), [k1] "+r"(k1), [k2] "+r"(k2), [passes] "+r"(passes), [result] "=&r"(result),\
      [t1] "=&r"(t1), [t2] "=&r"(t2)                                                            \
    : [p] "r"(s), [limit] "r"(limit), [oz] "i"(offsetof(RowState, z)), [ox] "i"(offsetof(RowState, x)),\
      [oyrow] "i"(offsetof(RowState, yRow)), [opix] "i"(offsetof(RowState, pix)),               \
      [onext] "i"(offsetof(RowState, next)), [olist] "i"(offsetof(RowState, list)),             \
      [oidle] "i"(offsetof(RowState, idleWhenEmpty)), [oyoung] "i"(offsetof(RowState, young)),  \
      [block] "i"(kBlock), [oactive] "i"(offsetof(RowState, active)),                           \
      [osteps] "i"(offsetof(RowState, steps)), [checkpoint] "i"(kCheckpoint), [allIdle] "i"(kAllIdle),\
      [listEmpty] "i"(kListEmpty), [idleSteps] "i"(kIdleSteps), [noPixel] "i"(kNoPixel)         \
    : "memory", "cc", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)"

int runRow(RowState *s)
{
    int k0 = s->k[0], k1 = s->k[1], k2 = s->k[2], passes = s->passes;
    const int limit = s->limit;
    long t1, t2;
    int result;
    asm volatile(
        ZOOM_LOAD
        "jmp .Lzi0_%=\n\t"
        ".p2align 4\n"
        ZOOM_INSTANCE(0, 0, "k0", 0, 1, 1, 2)
        ZOOM_INSTANCE(1, 1, "k1", 2, 3, 3, 4)
        ZOOM_INSTANCE(2, 2, "k2", 4, 5, 5, 6)
        ZOOM_CHECKPOINT

        ZOOM_NEXT(0, 0, "k0", 1, 2, ".Lzi1_%=")
        ZOOM_NEXT(1, 1, "k1", 3, 4, ".Lzi2_%=")
        ZOOM_NEXT(2, 2, "k2", 5, 6, ".Lzi3_%=")

        ZOOM_ALL_IDLE
        ZOOM_OPERANDS);
    s->k[0] = k0;
    s->k[1] = k1;
    s->k[2] = k2;
    s->passes = passes;
    return result;
}
// clang-format on

#undef ZOOM_X
#undef ZOOM_Y
#undef ZOOM_PIX
#undef ZOOM_ROW
#undef ZOOM_STEP
#undef ZOOM_INSTANCE
#undef ZOOM_NEXT
#undef ZOOM_END
#undef ZOOM_TAKE
#undef ZOOM_IDLE
#undef ZOOM_LOAD
#undef ZOOM_CHECKPOINT
#undef ZOOM_ALL_IDLE
#undef ZOOM_OPERANDS

} // namespace zoom::kernel
