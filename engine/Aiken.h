// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Formats.h"

#include <string>
#include <string_view>
#include <vector>

// Moodle's Aiken format, UTF-8: a wording line, options "A) text" or
// "A. text", then "ANSWER: X".
namespace AikenMsg {
inline constexpr const char* OptionOutside = "вариант ответа вне вопроса пропущен";
inline constexpr const char* AnswerOutside = "строка ANSWER вне вопроса пропущена";
inline constexpr const char* NoAnswer = "вопрос пропущен: после вариантов ответа нет строки «ANSWER: буква»";
inline constexpr const char* FewOptions = "вопрос пропущен: вариантов ответа меньше двух";
inline constexpr const char* BadAnswer = "вопрос пропущен: ответ «%s» не указывает ни на один вариант";
}

TPlainTest ReadAiken(std::string_view utf8);

// Aiken text of the questions; a question Aiken cannot hold is left out with
// a note.
std::string AikenBytes(const std::vector<TPlainQuestion>& questions, std::vector<TFormatNote>& notes);
