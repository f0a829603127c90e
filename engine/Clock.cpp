// SPDX-License-Identifier: MIT
#include "engine/Clock.h"

#include <ctime>

std::int64_t ElapsedClockMs()
{
    timespec ts {};
    ::clock_gettime(CLOCK_BOOTTIME, &ts);
    return std::int64_t(ts.tv_sec) * 1000 + (ts.tv_nsec + 500000) / 1000000;
}
