#pragma once
// Powers of ten in extended precision, for the number text. No Qt in here.

#include "extended/extended.h"

// 10^n for 0 <= n <= 4932, the extended value nearest to it. The power of
// the C library (powl) is off by one unit in the last place for about one
// exponent in ten from 10^43 on, so it is computed here: 5^n by squaring in
// pairs of extended values, whose error stays far below the half unit that
// the final rounding needs (the tests check every n against GNU MPFR), times
// 2^n, which is exact. Up to 10^27 every step is exact.
Extended powerOfTen(int n);

// The decimal exponent of a >= 1: the e >= 0 with a / 10^e >= 1 and
// a / 10^(e+1) < 1, both quotients rounded to extended precision
// (10^e as powerOfTen gives it). For a below 10^4932.
int decimalExponent(Extended a);
