// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// The one random source of the test: options and the question order.
extern std::uint32_t RandSeed;

// Seeds from the monotonic clock, or from the seed fixed by FixRandomSeed.
void Randomize();
// A whole number from 0 to n - 1.
std::int32_t Random(std::int32_t n);

// Makes every later Randomize start from `seed`, so that tests can replay a
// run; FreeRandomSeed goes back to the clock.
void FixRandomSeed(std::uint32_t seed);
void FreeRandomSeed();
