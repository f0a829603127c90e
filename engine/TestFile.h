// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A test as its file holds it, for tools that edit and convert tests: the
// questions in file order with their options unshuffled and every option
// kept, read by the program's own reader and written back so that the
// program reads the same.

// One question group. Texts are Windows-1251 bytes with their '&' markers as
// written.
struct TTestItem {
    std::string Text;
    // As many as the program reads: the file's count modulo 256.
    std::vector<std::string> Options;
    // The right option's number in file order, as the program reads it (its
    // low 8 bits); 0 or above the option count names no option.
    int Correct = 0;

    bool operator==(const TTestItem&) const = default;
};

struct TTestContent {
    // Every group the reader reads. Where the load stops at a bad number, the
    // groups before it; a test of more than 255 questions is read whole,
    // though the program stops before the 256th.
    std::vector<TTestItem> Items;
    // The line of each item's wording, counted from 1.
    std::vector<std::size_t> Lines;
    // Where and why the program's load of this file stops ("Invalid numeric
    // input", "В файле теста больше 255 вопросов"); empty if it does not.
    std::string StopMessage;
    std::size_t StopLine = 0; // counted from 1
    // Where the group on which the load stops begins: the first line not in
    // Items; 0 when every group is read.
    std::size_t UnreadLine = 0;
};



// The writer's and the saver's texts, UTF-8. "%d" and "%s" are filled in
// order.
namespace TestFileMsg {
inline constexpr const char* LineBreak =
    "вопрос %d: перевод строки или символ Ctrl-Z в тексте, файл теста не может их хранить";
inline constexpr const char* TooManyOptions =
    "вопрос %d: вариантов ответа %d, а в файле теста их может быть не больше 255";
inline constexpr const char* LineTooLong =
    "вопрос %d: строка длиннее %d знаков (каждый «&» записан в файле дважды): такой текст не покажет ни одно окно";
inline constexpr const char* CorrectOutOfRange =
    "вопрос %d: номер правильного ответа %d, а в файле теста он может быть от 0 до 255";
inline constexpr const char* SaveFailed = "Не удалось сохранить файл «%s»: %s";
}

// Reads test file bytes. Never fails: where the program would stop, the
// content says so.
TTestContent ReadTestContent(std::string_view bytes);
// Reads a test file as the program opens it; raises EError with the
// program's message when it cannot be read.
TTestContent LoadTestContent(const std::string& path);

// The longest wording or option a tool that edits tests lets a teacher write,
// as the file holds it ('&' markers and all): no window shows a longer text
// whole. The program itself reads any length. Counted in bytes, one a
// character in Windows-1251; a UTF-8 line, read as it is meant, is counted in
// characters, as it will be saved.
inline constexpr std::size_t LineLimit = 32767;
std::size_t LineLength(std::string_view line, bool utf8 = false);
inline bool LineTooLong(std::string_view line, bool utf8 = false)
{
    return LineLength(line, utf8) > LineLimit;
}
// The number, from 1, of the first item with too long a line; 0 if none.
std::size_t FirstTooLong(const std::vector<TTestItem>& items, bool utf8 = false);

// The bytes of a test file holding `items`: Windows-1251 as given, CR LF
// after every line, nothing after the last option's line. Raises EError for
// what a test file cannot hold: a line break or Ctrl-Z in a text, more than
// 255 options, a right-option number outside 0 to 255.
std::string TestFileBytes(const std::vector<TTestItem>& items);
// Writes the test atomically: the old file stays whole until the new one is
// complete. Raises EError saying why when it cannot.
void SaveTestFile(const std::string& path, const std::vector<TTestItem>& items);
// The same for any bytes.
void SaveFileBytes(const std::string& path, const std::string& bytes);
