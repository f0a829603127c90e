// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The rules every tool applies to a file's bytes before it reads them as
// text, each written once.

namespace TextMsg {
inline constexpr const char* NotUtf8 =
    "файл не в кодировке UTF-8; если он в Windows-1251, перекодируйте его: iconv -f CP1251 -t UTF-8";
inline constexpr const char* NotText = "это не текстовый файл: управляющий символ с кодом %d";
}

inline constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";
inline constexpr std::size_t NoPlace = std::string_view::npos;

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
// Where the first byte that breaks it is, or NoPlace.
std::size_t FirstBadUtf8(std::string_view bytes);
inline bool IsUtf8(std::string_view bytes)
{
    return FirstBadUtf8(bytes) == NoPlace;
}

// Valid UTF-8 with something beyond ASCII (a BOM counts): an Ekzamo test
// saved by a modern editor, as every tool takes it.
bool SavedAsUtf8(std::string_view bytes);

// Where the first byte no text file holds is: a control character other than
// tab and line ends, or NoPlace. Ctrl-Z ends the old editors' files, and is
// text in a test file (`ctrlZ`), though not in a UTF-8 exchange file.
std::size_t FirstNonText(std::string_view bytes, bool ctrlZ);

// The line, from 1, on which the byte at `offset` stands.
std::size_t LineAt(std::string_view bytes, std::size_t offset);

// The Russian word for a count: {"вопрос", "вопроса", "вопросов"}.
const char* Plural(unsigned long long n, const char* const (&words)[3]);
