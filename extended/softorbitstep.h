#pragma once
// One whole escape-time step of an orbit in x86-64 assembly with BMI2 and
// LZCNT, on SoftOrbit's working form: the same operations as the kernel's
// C++ (softorbit.h), rounded at the same places, in registers from start to
// end. The C++ spills the values of its three orbits between operations (a
// third of its instructions were moves); this step keeps one orbit in
// fourteen registers. Every case the C++ hands to the general operators (a
// zero, operands too far apart, a carry past the significand) and a few
// more rare ones end the step without a result, and the kernel makes that
// step in C++. Header-only; no Qt.

#include <cstdint>

#include "extended/softorbit.h"

// The sum of unknown signs of the value in registers IM (significand), IE
// (exponent field, 32 bits) and IS (sign: 0, or all ones when negative) and
// the slot's value at byte offsets XM, XE, XS, rounded into OM, OE, OS. The
// output registers may be the input ones. The operands are ordered by
// magnitude, exponent then significand, in one compare and borrow; the
// larger one's significand goes one place down in 128 bits, the smaller's
// d + 1 places, negated for opposite signs. The sum is then not negative,
// with a free top bit; its sign is the larger operand's. A zero, operands
// more than 62 places apart, a sum of zero and a carry past the significand
// leave the step to the C++. Uses rax, rbx, rcx, r9, r10, r13 and r14.
#if defined(__x86_64__) && defined(__GNUC__)
#define SOFTORBITSTEP_ADD(IM, IE, IS, XM, XE, XS, OM, OE, OS) \
    "movq " IS ", %%rbx\n\t" \
    "xorq " XS "(%%r15), %%rbx\n\t" /* all ones for opposite signs */ \
    "movq " XM "(%%r15), %%r9\n\t" \
    "movl " XE "(%%r15), %%r10d\n\t" \
    "movl " IE ", %%eax\n\t" \
    "cmpq %%r9, " IM "\n\t" \
    "sbbl %%r10d, %%eax\n\t" /* borrow: |a| < |x| */ \
    "movq " IM ", %%r13\n\t" \
    "movq %%r9, %%r14\n\t" \
    "movl " IE ", %%eax\n\t" \
    "movl %%r10d, %%ecx\n\t" \
    "movq " IS ", " OS "\n\t" \
    "cmovbq %%r9, %%r13\n\t" /* the larger: r13, eax, OS */ \
    "cmovbq " IM ", %%r14\n\t" /* the smaller: r14, ecx */ \
    "cmovbl %%r10d, %%eax\n\t" \
    "cmovbl " IE ", %%ecx\n\t" \
    "cmovbq " XS "(%%r15), " OS "\n\t" \
    "movl %%eax, %%r9d\n\t" \
    "subl %%ecx, %%r9d\n\t" /* d */ \
    "cmpl $62, %%r9d\n\t" \
    "ja %l[inC]\n\t" \
    "leal 1(%%r9), %%ecx\n\t" \
    "shrxq %%rcx, %%r14, %%r10\n\t" \
    "xorl $63, %%r9d\n\t" \
    "shlxq %%r9, %%r14, %%r14\n\t" \
    "movq %%r13, " OM "\n\t" \
    "shrq $1, " OM "\n\t" \
    "shlq $63, %%r13\n\t" \
    "xorq %%rbx, %%r10\n\t" \
    "xorq %%rbx, %%r14\n\t" \
    "btq $0, %%rbx\n\t" \
    "adcq %%r14, %%r13\n\t" \
    "adcq %%r10, " OM "\n\t" \
    "lzcntq " OM ", %%rcx\n\t" \
    "jc %l[inC]\n\t" /* a sum of zero */ \
    "shldq %%cl, %%r13, " OM "\n\t" \
    "shlxq %%rcx, %%r13, %%r13\n\t" \
    "subl %%ecx, %%eax\n\t" \
    "leal 1(%%rax), " OE "\n\t" \
    "btq $0, " OM "\n\t" \
    "adcq 96(%%r15), %%r13\n\t" \
    "adcq $0, " OM "\n\t" \
    "jz %l[inC]\n\t"

// M = BIG + SMALL for non-negative values in registers, BIG's exponent
// field in BIGE (32 bits), SMALL edx places down: rounded into r10 and eax,
// with the escape test M >= 4. L is a free local label number. Uses rcx,
// rdx, r13 and r14.
#define SOFTORBITSTEP_SUM_M(BIG, BIGE, SMALL, L) \
    "cmpl $63, %%edx\n\t" \
    "ja %l[inC]\n\t" \
    "shrxq %%rdx, " SMALL ", %%r13\n\t" \
    "movl %%edx, %%ecx\n\t" \
    "xorl $63, %%ecx\n\t" \
    "leaq (" SMALL "," SMALL "), %%r14\n\t" \
    "shlxq %%rcx, %%r14, %%r14\n\t" \
    "movq " BIG ", %%r10\n\t" \
    "movl " BIGE ", %%eax\n\t" \
    "addq %%r13, %%r10\n\t" \
    "jnc " L "f\n\t" \
    /* carried out: one place down, the bit out kept sticky */ \
    "movq %%r14, %%rdx\n\t" \
    "shrq $1, %%rdx\n\t" \
    "andl $1, %%r14d\n\t" \
    "orq %%rdx, %%r14\n\t" \
    "movq %%r10, %%rdx\n\t" \
    "shlq $63, %%rdx\n\t" \
    "orq %%rdx, %%r14\n\t" \
    "shrq $1, %%r10\n\t" \
    "btsq $63, %%r10\n\t" \
    "incl %%eax\n\t" \
    L ":\n\t" \
    "btq $0, %%r10\n\t" \
    "adcq 96(%%r15), %%r14\n\t" \
    "adcq $0, %%r10\n\t" \
    "jz %l[inC]\n\t" \
    "cmpl $16385, %%eax\n\t" \
    "jae %l[escaped]\n\t"

// BIG - A for BIG >= A >= 0, BIG's significand in BIGM and exponent field in
// BIGE (32 bits), A in rbx and esi: rounded into r11 and edx. A goes d places
// down in 128 bits and is subtracted as its two's complement. A difference
// whose upper word is zero and a carry past the significand leave the step
// to the C++. Uses rcx, r9, r13 and r14.
#define SOFTORBITSTEP_LESS_A(BIGM, BIGE) \
    "movl " BIGE ", %%ecx\n\t" \
    "subl %%esi, %%ecx\n\t" \
    "cmpl $63, %%ecx\n\t" \
    "ja %l[inC]\n\t" \
    "shrxq %%rcx, %%rbx, %%r13\n\t" \
    "movl %%ecx, %%r9d\n\t" \
    "xorl $63, %%r9d\n\t" \
    "leaq (%%rbx,%%rbx), %%r14\n\t" \
    "shlxq %%r9, %%r14, %%r14\n\t" \
    "movq " BIGM ", %%r11\n\t" \
    "negq %%r14\n\t" \
    "sbbq %%r13, %%r11\n\t" \
    "jz %l[inC]\n\t" \
    "lzcntq %%r11, %%rcx\n\t" \
    "shldq %%cl, %%r14, %%r11\n\t" \
    "shlxq %%rcx, %%r14, %%r14\n\t" \
    "movl " BIGE ", %%edx\n\t" \
    "subl %%ecx, %%edx\n\t" \
    "btq $0, %%r11\n\t" \
    "adcq 96(%%r15), %%r14\n\t" \
    "adcq $0, %%r11\n\t" \
    "jz %l[inC]\n\t"
#endif

struct SoftOrbitStep
{
    using Value = SoftOrbit::Value;

    // The orbit's slot: a, b, x and y, each as significand, exponent field
    // and sign (0, or all ones when negative), then one constant. put()
    // fills it.
    enum : int { Am, Ae, As, Bm, Be, Bs, Xm, Xe, Xs, Ym, Ye, Ys, Half, Words };

    // What run() did.
    static constexpr std::uint64_t kStepped = 0; // a and b hold the next step
    static constexpr std::uint64_t kEscaped = 1; // |z|^2 >= 4 on this step
    static constexpr std::uint64_t kInC = 2;     // not made: the C++ makes it

    static void put(std::uint64_t *slot, Value a, Value b, Value x, Value y)
    {
        set(slot + Am, a);
        set(slot + Bm, b);
        set(slot + Xm, x);
        set(slot + Ym, y);
        slot[Half] = 0x7FFFFFFFFFFFFFFFull;
    }
    static Value a(const std::uint64_t *slot) { return get(slot + Am); }
    static Value b(const std::uint64_t *slot) { return get(slot + Bm); }

    // The step with SoftOrbit's operations, as run() makes it or leaves it to
    // them: whether the orbit escapes on it; else the slot holds the next step.
    static bool runWithOperations(std::uint64_t *slot)
    {
        Value a = get(slot + Am), b = get(slot + Bm);
        if (SoftOrbit::step(a, b, get(slot + Xm), get(slot + Ym)))
            return true;
        set(slot + Am, a);
        set(slot + Bm, b);
        return false;
    }

#if defined(__x86_64__) && defined(__GNUC__)
    // The step of A = a*a, t = a*b, bb = b*b, M = A + bb (escape when
    // M >= 4), B = M - A, D = A - B, a' = D + x, b' = t + t + y. A product is
    // normalised by doubling its words unless the top bit is set, and rounded
    // to nearest even as the carry out of lo + 2^63 - 1 + (hi & 1). Where
    // bb <= A, D = 2A - M exactly; elsewhere B >= A, and D = -(B - A). The
    // sums of unknown signs, a' and b', are SOFTORBITSTEP_ADD. Returns what
    // it did: the rare cases jump out to kInC.
    [[gnu::always_inline]] static inline std::uint64_t run(std::uint64_t *slot)
    {
        register std::uint64_t *p asm("r15") = slot;
        asm goto(
                // a, b
                "movq 0(%%r15), %%r8\n\t"
                "movl 8(%%r15), %%esi\n\t"
                "movq 24(%%r15), %%r10\n\t"
                "movl 32(%%r15), %%ecx\n\t"
                // A = a*a: (rbx, esi)
                "movq %%r8, %%rdx\n\t"
                "mulxq %%r8, %%rax, %%rbx\n\t"
                "movl %%esi, %%edi\n\t"
                "addl %%esi, %%esi\n\t"
                "movq %%rbx, %%r12\n\t"
                "movq %%rax, %%r13\n\t"
                "addq %%r13, %%r13\n\t"
                "adcq %%r12, %%r12\n\t"
                "btq $63, %%rbx\n\t"
                "cmovncq %%r12, %%rbx\n\t"
                "cmovncq %%r13, %%rax\n\t"
                "adcl $-16383, %%esi\n\t"
                "btq $0, %%rbx\n\t"
                "adcq 96(%%r15), %%rax\n\t"
                "adcq $0, %%rbx\n\t"
                "jz %l[inC]\n\t"
                // t = a*b, then t + t: (r12, edi)
                "mulxq %%r10, %%rax, %%r12\n\t"
                "addl %%ecx, %%edi\n\t"
                "movq %%r12, %%r13\n\t"
                "movq %%rax, %%r14\n\t"
                "addq %%r14, %%r14\n\t"
                "adcq %%r13, %%r13\n\t"
                "btq $63, %%r12\n\t"
                "cmovncq %%r13, %%r12\n\t"
                "cmovncq %%r14, %%rax\n\t"
                "adcl $-16382, %%edi\n\t" // t + t: one up
                "btq $0, %%r12\n\t"
                "adcq 96(%%r15), %%rax\n\t"
                "adcq $0, %%r12\n\t"
                "jz %l[inC]\n\t"
                // bb = b*b: (r8, r9d)
                "movq %%r10, %%rdx\n\t"
                "mulxq %%r10, %%rax, %%r8\n\t"
                "leal (%%rcx,%%rcx), %%r9d\n\t"
                "movq %%r8, %%r13\n\t"
                "movq %%rax, %%r14\n\t"
                "addq %%r14, %%r14\n\t"
                "adcq %%r13, %%r13\n\t"
                "btq $63, %%r8\n\t"
                "cmovncq %%r13, %%r8\n\t"
                "cmovncq %%r14, %%rax\n\t"
                "adcl $-16383, %%r9d\n\t"
                "btq $0, %%r8\n\t"
                "adcq 96(%%r15), %%rax\n\t"
                "adcq $0, %%r8\n\t"
                "jz %l[inC]\n\t"
                // bb <= A? One compare and borrow, exponent then significand;
                // eA - ebb in edx.
                "movl %%esi, %%edx\n\t"
                "subl %%r9d, %%edx\n\t"
                "cmpq %%r8, %%rbx\n\t"
                "movl %%esi, %%ecx\n\t"
                "sbbl %%r9d, %%ecx\n\t"
                "jb 5f\n\t"
                // M = A + bb, bb d = edx places down: (r10, eax)
                SOFTORBITSTEP_SUM_M("%%rbx", "%%esi", "%%r8", "1")
                // D = 2A - M, exact: (r11, edx)
                "movl %%eax, %%edx\n\t"
                "subl %%esi, %%edx\n\t"
                "leaq -1(%%rdx), %%r11\n\t"
                "andq %%rbx, %%r11\n\t"
                "addq %%rbx, %%r11\n\t"
                "subq %%r10, %%r11\n\t"
                "jz %l[inC]\n\t"
                "lzcntq %%r11, %%rcx\n\t"
                "shlxq %%rcx, %%r11, %%r11\n\t"
                "movl %%eax, %%edx\n\t"
                "subl %%ecx, %%edx\n\t"
                "xorl %%r8d, %%r8d\n\t" // D > 0
                "jmp 6f\n"
                // bb > A: M = bb + A, A d = -edx places down: (r10, eax)
                "5:\n\t"
                "negl %%edx\n\t"
                SOFTORBITSTEP_SUM_M("%%r8", "%%r9d", "%%rbx", "2")
                // B = M - A: (r11, edx)
                SOFTORBITSTEP_LESS_A("%%r10", "%%eax")
                // D = -(B - A): (r11, edx)
                SOFTORBITSTEP_LESS_A("%%r11", "%%edx")
                "movq $-1, %%r8\n"
                // a' = D + x, D's sign in r8: (r11, edx, r8)
                "6:\n\t"
                SOFTORBITSTEP_ADD("%%r11", "%%edx", "%%r8", "48", "56", "64", "%%r11", "%%edx", "%%r8")
                // b' = (t + t) + y, t's sign a's times b's: (r12, edi, rsi)
                "movq 16(%%r15), %%rsi\n\t"
                "xorq 40(%%r15), %%rsi\n\t"
                SOFTORBITSTEP_ADD("%%r12", "%%edi", "%%rsi", "72", "80", "88", "%%r12", "%%edi", "%%rsi")
                // the next state
                "movq %%r11, 0(%%r15)\n\t"
                "movq %%rdx, 8(%%r15)\n\t"
                "movq %%r8, 16(%%r15)\n\t"
                "movq %%r12, 24(%%r15)\n\t"
                "movq %%rdi, 32(%%r15)\n\t"
                "movq %%rsi, 40(%%r15)\n\t"
                :
                : "r"(p)
                : "rax", "rbx", "rcx", "rdx", "rsi", "rdi", "r8", "r9", "r10", "r11", "r12", "r13",
                  "r14", "cc", "memory"
                : escaped, inC);
        return kStepped;
    escaped:
        return kEscaped;
    inC:
        return kInC;
    }
#endif

private:
    static void set(std::uint64_t *w, Value v)
    {
        w[0] = v.m;
        w[1] = v.se & SoftOrbit::kExpMask;
        w[2] = std::uint64_t{0} - ((v.se >> 15) & 1);
    }
    static Value get(const std::uint64_t *w)
    {
        return {w[0], w[1] | (w[2] & SoftOrbit::kSign)};
    }
};

#undef SOFTORBITSTEP_ADD
#undef SOFTORBITSTEP_SUM_M
#undef SOFTORBITSTEP_LESS_A
