// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace ClassListMsg {
inline constexpr const char* NotText = "%s: это не список класса: управляющий символ в строке %d";
inline constexpr const char* LongLine = "%s: это не список класса: строка %d длиннее %d знаков";
inline constexpr const char* Empty = "%s: в списке класса нет ни одного имени";
inline constexpr const char* Unreadable = "%s: список класса не прочитан: %s";
}

// A class list: a student a line, UTF-8 or Windows-1251 (told apart as the
// editor does), spaces around a name and blank lines dropped, a name listed
// twice kept once. Raises EError naming `path` when it is no such list.
std::vector<QString> ParseClassList(std::string_view bytes, const std::string& path);
std::vector<QString> ReadClassList(const std::string& path);
