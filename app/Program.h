// SPDX-License-Identifier: MIT
#pragma once

// Prepares the application as the program needs it: no ending of its own
// when the last window closes, and the windows' face as its font.
void InitApplication();

// Creates the windows in their order (the setup phase and the start of the
// test run inside the test window's creation), shows the main window and runs
// the event loop until the main window ends it, then destroys the windows.
// Returns the event loop's exit code.
int RunProgram();
