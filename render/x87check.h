#pragma once
// The arithmetic of the core depends on the x87 unit computing with a 64-bit
// significand (the default on x86-64 Linux) and on the compiler evaluating
// every long double expression as written (-ffp-contract=off, no fast-math).

#if !defined(__x86_64__) && !defined(__i386__)
#error "the escape-time arithmetic needs the x87 extended format"
#endif
static_assert(sizeof(long double) >= 10 && __LDBL_MANT_DIG__ == 64,
              "long double must be x87 extended");
