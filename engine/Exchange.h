// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Formats.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The one way into and out of every test format: a file's bytes checked as
// text, read as plain questions with notes, and written back. The tools do
// nothing of their own here but report.

// Ekzamo's own file (Windows-1251) and Moodle's GIFT and Aiken (UTF-8).
enum class TTestFormat { Ekzamo, Gift, Aiken };

// "ekzamo", "gift" or "aiken"; none for any other name.
std::optional<TTestFormat> FormatNamed(std::string_view name);
// By a file's extension: .gift is GIFT, .txt Ekzamo (an Aiken file's .txt
// must be named); none for any other.
std::optional<TTestFormat> FormatOfPath(std::string_view path);

// Checks UTF-8 text read from a file: valid UTF-8 without control characters
// other than tab and line ends. Returns the first problem, with its line.
bool CheckUtf8Text(std::string_view bytes, TFormatNote& problem);

// A file's bytes as plain questions. Notes say what was left out or changed;
// `errors` why nothing can be taken (not text, not UTF-8, no question at all,
// on line 0), and the result is then empty. An Ekzamo test saved as UTF-8 is
// read as such, with a note.
TPlainTest ReadPlain(std::string_view bytes, TTestFormat format, std::vector<TFormatNote>& errors);

// Plain questions as a file's bytes; questions the format cannot hold are
// left out with a note. An Ekzamo test is Windows-1251: a character it
// cannot hold is an error, as is nothing left to write; the bytes are then
// empty. Raises EError for what a test file cannot hold at all.
std::string WritePlain(const std::vector<TPlainQuestion>& questions, TTestFormat format,
    std::vector<TFormatNote>& notes, std::vector<TFormatNote>& errors);

// A test converted from one format's bytes to another's.
struct TConverted {
    std::string Bytes; // empty when there are errors
    std::vector<TFormatNote> Notes; // what was left out or changed, by line
    std::vector<TFormatNote> Errors; // why nothing can be written, by line
};
TConverted ConvertTest(std::string_view bytes, TTestFormat from, TTestFormat to);
