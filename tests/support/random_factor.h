#pragma once
// Random zoom factors for the tests that compare with the oracle.

#include <cmath>
#include <random>

// Factors from 1e-3 to 1e9 on a logarithmic scale, of both signs, some of
// them exactly at the clamps.
inline double randomFactor(std::mt19937_64 &random)
{
    std::uniform_real_distribution<double> exponent(-3.0, 9.0);
    std::uniform_int_distribution<int> kind(0, 9);
    switch (kind(random)) {
    case 0:
        return 0.1;
    case 1:
        return 1e8;
    case 2:
        return -std::pow(10.0, exponent(random));
    default:
        return std::pow(10.0, exponent(random));
    }
}
