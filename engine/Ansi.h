// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>
#include <string_view>

// The one place where the program's Windows-1251 text meets Unicode.
QString FromAnsi(std::string_view text);
std::string ToAnsi(QStringView text);
// Where the first character Windows-1251 cannot hold starts, or -1; ToAnsi
// would write Ctrl-Z in its place.
qsizetype FirstNonAnsi(QStringView text);

// File names are native paths; these decode and encode them for display.
QString FromNativePath(const std::string& path);
std::string ToNativePath(const QString& path);
