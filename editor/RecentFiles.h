// SPDX-License-Identifier: MIT
#pragma once

#include <functional>
#include <string>

class QMenu;

// The files last opened or saved, newest first, kept in the settings.
void AddRecentFile(const std::string& path);
// Fills `menu` with them; choosing one calls `open` with its path.
void FillRecentMenu(QMenu* menu, const std::function<void(const std::string&)>& open);
