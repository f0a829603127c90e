// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// Settings chosen by the windows and read by the engine; all Windows-1251
// text except the file names, which are native paths.
extern std::string TestFileName;
extern std::string ResultFileName;
extern std::string TestDuration;
extern bool DetailedResults;
