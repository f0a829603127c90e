// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>

// Durations as text in the long time format, H:mm:ss; a negative value is
// shown by its size and the part below a second is cut off.
std::string TimeToStr(std::int64_t milliseconds);
// Accepts h:mm[:ss[.zzz]] with an optional AM/PM, up to 23:59:59.999;
// throws "'text' is not a valid time" otherwise.
std::int64_t StrToTime(const std::string& text);
