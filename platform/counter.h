#pragma once
// The high-resolution counter: a steady clock counted in nanoseconds.

#include <cstdint>

std::int64_t CounterNow();       // current count
std::int64_t CounterFrequency(); // counts per second

// Makes CounterFrequency() report `ticksPerSecond` instead (0: the real
// frequency again). Lets tests have a run's progress checks come after every
// row.
void OverrideCounterFrequency(std::int64_t ticksPerSecond);
