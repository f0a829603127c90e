// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The checker's texts, UTF-8 for the terminal. "%d" and "%s" are filled in
// order.
namespace CheckMsg {
inline constexpr const char* ExtraOptions =
    "вариантов ответа %d, а показываются только 5: лишние (%d) при каждом запуске выбираются "
    "случайно и пропадают, правильный ответ пропадает с вероятностью %d/%d";
inline constexpr const char* ExtraOptionsNoRight =
    "вариантов ответа %d, а показываются только 5: лишние (%d) при каждом запуске выбираются "
    "случайно и пропадают";
inline constexpr const char* CorrectZero =
    "номер правильного ответа 0: ни один ответ не будет засчитан";
inline constexpr const char* CorrectAboveCount =
    "номер правильного ответа %d больше числа вариантов (%d): ни один ответ не будет засчитан";
inline constexpr const char* FewOptions = "вариантов ответа %d, а нужно хотя бы два";
inline constexpr const char* Wrapped =
    "число %d программа прочтёт как %d (остаток от деления на 256)";
inline constexpr const char* EmptyWording =
    "пустой текст вопроса (пустая строка между вопросами читается как текст следующего вопроса)";
inline constexpr const char* TrailingEmpty =
    "пустая строка в конце файла даёт лишний пустой вопрос без вариантов ответа: удалите её";
inline constexpr const char* CutShort =
    "файл кончается посреди вопроса: недостающие числа станут нулями, варианты ответа — "
    "пустыми строками";
inline constexpr const char* BadNumber =
    "загрузка теста прервётся с ошибкой «%s»: здесь ожидается %s, а написано «%s»";
inline constexpr const char* ExpectedCount = "число вариантов ответа";
inline constexpr const char* ExpectedCorrect = "номер правильного ответа";
inline constexpr const char* BadNumberCause =
    "; вероятная причина — пустая строка %d: программа приняла её за текст вопроса";
inline constexpr const char* TooManyQuestions =
    "это 256-й вопрос: загрузка теста прервётся здесь с ошибкой «%s»";
inline constexpr const char* CtrlZEndsFile =
    "символ Ctrl-Z (код 26) завершает файл: всё, что после него, программа не прочтёт";
inline constexpr const char* CtrlZInLine =
    "символ Ctrl-Z (код 26) в строке: текст после него до конца строки программа не прочтёт";
inline constexpr const char* Utf8 =
    "файл, по всей видимости, сохранён в кодировке UTF-8, а программа читает Windows-1251: "
    "русские буквы будут искажены; перекодируйте его: iconv -f UTF-8 -t CP1251 старый.txt > "
    "новый.txt";
inline constexpr const char* MixedLineEnds =
    "концы строк смешаны (CR LF — %d, LF — %d): это первая строка с более редким концом";
inline constexpr const char* LoneCr =
    "символ CR без LF не завершает строку: программа его просто выбросит (таких в файле %d)";
inline constexpr const char* QuestionWords[3] = {"вопрос", "вопроса", "вопросов"};
inline constexpr const char* WarningWords[3] = {"предупреждение", "предупреждения", "предупреждений"};
inline constexpr const char* NoWarnings = "предупреждений нет";
}

struct TCheckWarning {
    std::size_t Line = 0; // counted from 1
    std::string Text;     // UTF-8
};

struct TCheckReport {
    unsigned Groups = 0; // question groups read, as the program would count them
    std::vector<TCheckWarning> Warnings; // in line order
};

// Reads a test file with the program's own reader and lists its quirks.
// Raises EError when the file cannot be read, with the program's message.
TCheckReport CheckTest(const std::string& name);
// The same for a test's bytes already in memory, as an editor holds them.
TCheckReport CheckTestBytes(std::string_view bytes);

// "NAME: 12 вопросов, 2 предупреждения"; `name` is kept as given.
std::string SummaryLine(const std::string& name, const TCheckReport& report);
// "NAME:LINE: text", the form compilers use, so that editors find the line.
std::string WarningLine(const std::string& name, const TCheckWarning& warning);
