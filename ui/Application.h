// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

// Makes the application and runs `body` in it, the start made as short as it
// goes: what only waits on others is done beside the first window's set-up.
// The font configuration is read while Qt connects to the display, and the
// session bus, which accessibility waits for as the first window is made, is
// connected while the window is set up. Qt's own texts are in Russian, the
// menus stay in their windows, and the style reads a menu bar's overflow
// icon only when it is drawn. Returns what `body` returns.
int RunApplication(int& argc, char** argv, const std::function<int()>& body);
