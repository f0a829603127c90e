// SPDX-License-Identifier: MIT
#pragma once

#include "engine/TestFile.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

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

// A remark on one line of a file, in Russian (UTF-8).
struct TFormatNote {
    std::size_t Line = 0;
    std::string Text;
    // The title of the question the note is on, where the file gives one
    // (GIFT's ::title::), for the teacher to find it by.
    std::string Title = {};
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
inline constexpr const char* NotUtf8 =
    "файл не в кодировке UTF-8; если он в Windows-1251, перекодируйте его: iconv -f CP1251 -t UTF-8";
inline constexpr const char* NotText = "это не текстовый файл: управляющий символ с кодом %d";
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

// Checks UTF-8 text read from a file: valid UTF-8 without control characters
// other than tab and line ends. Returns the first problem, with its line.
bool CheckUtf8Text(std::string_view bytes, TFormatNote& problem);

// Why `question` cannot be written in a format that needs a wording, at least
// two non-empty options and one right option; null if it can.
const char* CommonObstacle(const TPlainQuestion& question);

// Leading and trailing blanks, which the exchange formats drop.
std::string_view Trim(std::string_view text);

// Moodle's formats, for the tools that import and export them.
enum class TExchangeFormat { Gift, Aiken };

struct TImportedTest {
    std::vector<TTestItem> Items; // empty when there are errors
    std::vector<TFormatNote> Notes; // what was left out or changed, by line
    std::vector<TFormatNote> Errors; // why nothing can be taken, by line
};

// A GIFT or Aiken file's bytes as an Ekzamo test: the text checked for UTF-8,
// read, and written with '&' markers in Windows-1251; a character that has no
// place there is an error. No question at all is an error too (line 0).
TImportedTest ImportTest(std::string_view bytes, TExchangeFormat format);

// An Ekzamo test as GIFT or Aiken text. Notes name the questions by
// `content.Lines`, or by their numbers where it has none; questions the format
// cannot hold are left out with a note.
std::string ExportTest(const TTestContent& content, TExchangeFormat format, std::vector<TFormatNote>& notes);
