// SPDX-License-Identifier: MIT
#pragma once

#include "engine/TestFile.h"
#include "engine/Text.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The words that Ekzamo's files, GIFT and Aiken share; engine/Exchange.h is
// where a test passes between them.

// Questions as the student sees them, in UTF-8: the form in which tests pass
// between Ekzamo's files and the exchange formats (GIFT, Aiken). No '&'
// markers here: "&" is just an ampersand.
struct TPlainQuestion {
    std::string Text;
    std::vector<std::string> Options;
    int Correct = 0; // counted from 1; 0 or above the count names no option
    std::size_t Line = 0; // where the question starts in its file, from 1
    std::vector<std::size_t> OptionLines; // where each option is
};

// A remark on one line of a file, in Russian (UTF-8), with the title of its
// question where the file gives one.
struct TFormatNote {
    TFormatNote() = default;
    TFormatNote(std::size_t line, std::string text, std::string title = {})
        : Line(line), Text(std::move(text)), Title(std::move(title))
    {
    }

    std::size_t Line = 0;
    std::string Text;
    std::string Title;
};

struct TPlainTest {
    std::vector<TPlainQuestion> Questions;
    std::vector<TFormatNote> Notes;
};

namespace FormatMsg {
inline constexpr const char* LoneMarker =
    "одиночный знак «&» (в программе он подчёркивает следующую букву) отброшен";
inline constexpr const char* Stopped =
    "программа прекратит чтение теста здесь с ошибкой «%s»: дальше ничего не преобразовано";
inline constexpr const char* TooManyQuestions =
    "это 256-й вопрос: программа прекратит загрузку теста здесь с ошибкой «%s»";
inline constexpr const char* NotAnsi = "символ «%s» (U+%s) нельзя записать в кодировке Windows-1251";
inline constexpr const char* ReadAsUtf8 =
    "файл сохранён в кодировке UTF-8, а не Windows-1251: он прочитан как UTF-8";
inline constexpr const char* NoQuestions = "в файле нет ни одного вопроса, который можно преобразовать";
inline constexpr const char* Trimmed = "пробелы в начале и в конце текста отброшены";
// Why a question cannot be written in a format; it is left out.
inline constexpr const char* Skipped = "вопрос не записан: %s";
inline constexpr const char* NoWording = "нет текста вопроса";
inline constexpr const char* FewOptions = "вариантов ответа меньше двух";
inline constexpr const char* NoRightOption = "номер правильного ответа не указывает ни на один вариант";
inline constexpr const char* EmptyOption = "пустой вариант ответа";
inline constexpr const char* PercentOption =
    "вариант ответа начинается с веса в процентах (%50%), в GIFT так не записать";
inline constexpr const char* ManyOptions = "вариантов ответа больше 26 (A–Z)";
inline constexpr const char* WordingLikeOption =
    "текст вопроса начинается как вариант ответа («A)», «A.») или «ANSWER:»";
inline constexpr const char* ShortWording = "текст вопроса короче двух символов";
}

// An Ekzamo test (Windows-1251, with '&' markers) as plain questions; lone
// markers dropped and where the program's load stops, each with a note.
// `utf8`: the file was saved as UTF-8 by mistake and is read as such.
TPlainTest PlainFromTest(const TTestContent& content, bool utf8 = false);

// Plain questions as Ekzamo items; each character Windows-1251 cannot hold
// is named in `errors` with its line. Line breaks become spaces.
std::vector<TTestItem> TestFromPlain(const std::vector<TPlainQuestion>& questions, std::vector<TFormatNote>& errors);

// Why `question` cannot be written in a format that needs a wording, at least
// two non-empty options and one right option; null if it can.
const char* CommonObstacle(const TPlainQuestion& question);

// Leading and trailing blanks, which the exchange formats drop.
std::string_view Trim(std::string_view text);
