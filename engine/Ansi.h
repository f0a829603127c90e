// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>
#include <string_view>

// The one place where the program's Windows-1251 text meets Unicode.
QString FromAnsi(std::string_view text);
std::string ToAnsi(QStringView text);
// The same with `substitute` for each character Windows-1251 cannot hold.
std::string ToAnsi(QStringView text, char substitute);
// Where the first character Windows-1251 cannot hold starts, from `from`
// on, or -1; ToAnsi would write Ctrl-Z in its place.
qsizetype FirstNonAnsi(QStringView text, qsizetype from = 0);

// The character that starts at `at` (a surrogate pair whole) and its code
// point in hexadecimal, four digits at least, as a message names it.
struct TCharacter {
    QString Text;
    QString Code;
};
TCharacter CharacterAt(QStringView text, qsizetype at);

// File names are native paths; these decode and encode them for display.
QString FromNativePath(const std::string& path);
std::string ToNativePath(const QString& path);
