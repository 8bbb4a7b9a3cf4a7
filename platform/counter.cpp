#include "platform/counter.h"

#include <chrono>

std::int64_t counterNow()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace {
std::int64_t frequencyOverride = 0;
}

std::int64_t counterFrequency()
{
    return frequencyOverride > 0 ? frequencyOverride : 1000000000;
}

void overrideCounterFrequency(std::int64_t ticksPerSecond)
{
    frequencyOverride = ticksPerSecond;
}
