// SPDX-License-Identifier: MIT
#pragma once

#include "journal/Journal.h"

#include <QString>
#include <string>

// The journal's outputs. Each raises EError naming the file it could not
// write.
void WriteCsv(const TJournal& journal, const std::string& folder);
void WriteHtml(const TJournal& journal, const TScale& scale, const std::string& path);
void WriteXlsx(const TJournal& journal, const std::string& path);

// A figure with `decimals` after the point ('.'), or "" when undefined; no
// "-0.00".
QString FigureText(TFigure figure, int decimals = 2);

// Text from a results file for a reader: Unicode, with control characters,
// which no document may hold, shown as their pictures (U+2400…).
QString Readable(const std::string& ansi);
QString Readable(const QString& text);

// Raises the journal's error for a file it could not write.
[[noreturn]] void CannotWrite(const std::string& path, const QString& why);
