// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The editor shows a text as the student sees it: "&&" is one '&', and an
// accelerator marker ("&x") is kept as a combining low line after its
// character, which draws it underlined. Neither '&' nor the low line can be
// confused with the other, and the low line is not a Windows-1251 character,
// so it never reaches a file as itself.
inline constexpr QChar MarkerLine = QChar(0x0332);

// Text as written in a test file (with '&' markers) to the editor's form; a
// marker at the very end shows nothing and is dropped.
QString EditFromMarked(const QString& marked);
// The editor's form back to the file's: '&' doubled, marked characters
// preceded by '&'. A low line with no character before it is dropped.
QString MarkedFromEdit(const QString& edit);

// A text in the editor's form as shown, the markers' low lines left out.
QString ShownOnly(QString text);

// A wording or option is one line: line breaks, with the blanks around them,
// become one space, and empty lines go; other control characters go too.
QString JoinLines(const QString& text);
