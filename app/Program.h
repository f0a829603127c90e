// SPDX-License-Identifier: MIT
#pragma once

class QApplication;

// Prepares the application as the program needs it: Qt's own texts in
// Russian, and no ending of its own when the last window closes.
void InitApplication(QApplication& app);

// Creates the windows in their order (the setup phase and the start of the
// test run inside the test window's creation), shows the main window and runs
// the event loop until the main window ends it, then destroys the windows.
// Returns the event loop's exit code.
int RunProgram();
