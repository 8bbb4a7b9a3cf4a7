#pragma once

// A point of the complex plane as the window keeps it: two doubles.
struct ComplexPoint
{
    double re = 0.0;
    double im = 0.0;
};
