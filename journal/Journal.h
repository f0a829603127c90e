// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Files.h"
#include "journal/Statistics.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The journal's texts, UTF-8. "%s" and "%d" are filled in order.
namespace JournalMsg {
inline constexpr const char* NoAccess = "папка не прочитана: %s";
inline constexpr const char* BrokenLink = "ссылка не открывается: %s";
inline constexpr const char* LinkedAgain = "ссылка на папку, которая уже прочитана (%s): пропущена";
inline constexpr const char* NoQuestions = "в тесте не было вопросов: результат не учтён";
inline constexpr const char* OtherQuestions =
    "вопросы не совпадают с остальными файлами теста «%s» (%s): файл не учтён";
inline constexpr const char* OtherCount =
    "вопросов %s, а в остальных файлах этого теста — %s: файл не учтён";
inline constexpr const char* SameFile = "этот файл уже прочитан";
inline constexpr const char* NothingFound = "ekzamo-journal: файлов результатов (*.out) не найдено\n";
inline constexpr const char* NothingUsable = "ekzamo-journal: ни один файл результатов не вошёл в журнал\n";
inline constexpr const char* BadScale =
    "ekzamo-journal: неверная шкала «%s»: ожидается «5:85,4:70,3:50» — оценка и процент, с которого "
    "она начинается, по убыванию процента\n";
}

// Grades from percents: each grade starts at its percent; below the last,
// the lowest grade.
struct TScale {
    struct Step {
        QString Grade;
        double From = 0;
    };
    std::vector<Step> Steps;
    QString Lowest = QStringLiteral("2");

    QString Grade(double percent) const;
};

inline constexpr const char* DefaultScale = "5:85,4:70,3:50";
// "5:85,4:70,3:50", optionally ending in the lowest grade alone
// ("…,3:50,2"); raises EError with BadScale.
TScale ParseScale(const std::string& text);

// A problem with one file or folder; `line` 0 when it has none.
struct TWarning {
    std::string Path;
    std::size_t Line = 0;
    std::string Text; // UTF-8
};

// "FILE:LINE: text" or "FILE: text", as compilers and ekzamo-check print.
std::string WarningLine(const TWarning& warning);

struct TOptionTally {
    std::string Text; // Windows-1251
    unsigned Chosen = 0;
    bool Right = false;
};

// Flags of a question, one bit each.
enum TQuestionFlag : unsigned {
    Hard = 1,                  // facility under 5
    Easy = 2,                  // facility over 95
    NegativeDiscrimination = 4,
    Dubious = 8,               // discriminative efficiency under 15
    WrongKeyLikely = 16,       // the stronger half chose a wrong option more
    RightNotShown = 32,        // some students were not shown the right option
};
inline constexpr unsigned FlagCount = 6;
// The flag's keyword for scripts and its Russian text for people.
const char* FlagKeyword(unsigned bit);
QString FlagText(unsigned bit);

struct TQuestionResult {
    std::string Text; // Windows-1251, the wording as written
    std::vector<TOptionTally> Options; // by text, in the order first met
    unsigned Skipped = 0;
    unsigned RightNotShown = 0;
    TItemFigures Figures;
    unsigned Flags = 0;
};

struct TStudentResult {
    QString Name;
    std::string Path; // native, as found
    unsigned Right = 0;
    unsigned Questions = 0;
    double Percent = 0;
    QString Grade;
    // Row in the test's marks, or -1 for a score-only file.
    std::ptrdiff_t Row = -1;
};

inline constexpr std::uint32_t Skipped = 0xffffffff;

struct TTestResult {
    QString Name;
    unsigned Questions = 0;
    std::vector<TStudentResult> Students; // by name
    std::vector<TQuestionResult> Items;   // from detailed files; empty if none
    TMarks Marks;                         // detailed students by items
    std::vector<std::uint32_t> Chosen;    // option index per mark, or Skipped
    TScoreFigures Score;
    TFigure Alpha;
    TFigure ErrorRatio;
    TFigure StandardError;
};

struct TJournal {
    std::vector<TTestResult> Tests; // by name
    std::vector<TWarning> Warnings; // in the order found
    std::size_t Files = 0;          // results files found
    std::size_t Used = 0;           // of them, in the journal
    std::vector<TFileId> Inputs;    // every results file found, sorted: never to be written
};

// Finds the results files under `paths`, reads them once each and works out
// every figure. Students and tests are named from the files' places (see
// the help text).
TJournal BuildJournal(const std::vector<std::string>& paths, const TScale& scale);
