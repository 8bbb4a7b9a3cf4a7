#pragma once
// The high-resolution counter: a steady clock counted in nanoseconds.

#include <cstdint>

std::int64_t counterNow();       // current count
std::int64_t counterFrequency(); // counts per second

// Makes counterFrequency() report `ticksPerSecond` instead (0: the real
// frequency again). Lets tests have a run's progress checks come after every
// row.
void overrideCounterFrequency(std::int64_t ticksPerSecond);
