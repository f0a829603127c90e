// SPDX-License-Identifier: MIT
#include "engine/Random.h"

#include <ctime>
#include <optional>

std::uint32_t RandSeed = 0;

namespace {
std::optional<std::uint32_t> FixedSeed;
}

void Randomize()
{
    if (FixedSeed) {
        RandSeed = *FixedSeed;
        return;
    }
    timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    RandSeed = std::uint32_t(std::uint64_t(ts.tv_sec) * 1000000000u + std::uint64_t(ts.tv_nsec));
}

std::int32_t Random(std::int32_t n)
{
    RandSeed = RandSeed * 134775813u + 1u;
    return std::int32_t((std::uint64_t(RandSeed) * std::uint32_t(n)) >> 32);
}

void FixRandomSeed(std::uint32_t seed)
{
    FixedSeed = seed;
}

void FreeRandomSeed()
{
    FixedSeed.reset();
}
