// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

// Milliseconds on a clock that never jumps and keeps counting during sleep:
// the countdown must not gain or lose time when the wall clock is set.
std::int64_t ElapsedClockMs();
