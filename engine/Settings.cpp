// SPDX-License-Identifier: MIT
#include "engine/Settings.h"

// Defined with the engine that reads them, so that the engine links on its
// own: the teachers' tools and the engine's tests have no windows.
std::string TestFileName;
std::string ResultFileName;
std::string TestDuration;
bool DetailedResults = false;
