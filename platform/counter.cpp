#include "platform/counter.h"

#include <chrono>

std::int64_t CounterNow()
{
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t CounterFrequency()
{
    return 1000000000;
}
