// SPDX-License-Identifier: MIT
#include "engine/Ques.h"

#include <ctime>

std::uint32_t RandSeed = 0;

void Randomize()
{
    timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    RandSeed = std::uint32_t(std::uint64_t(ts.tv_sec) * 1000000000u + std::uint64_t(ts.tv_nsec));
}

std::int32_t Random(std::int32_t n)
{
    RandSeed = RandSeed * 134775813u + 1u;
    return std::int32_t((std::uint64_t(RandSeed) * std::uint32_t(n)) >> 32);
}
