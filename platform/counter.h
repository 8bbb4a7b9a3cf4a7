#pragma once
// The high-resolution counter: a steady clock counted in nanoseconds.

#include <cstdint>

std::int64_t CounterNow();        // current count
std::int64_t CounterFrequency();  // counts per second
