// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Files.h"
#include "engine/TestFile.h"
#include "journal/Statistics.h"

#include <QDateTime>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
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
inline constexpr const char* CopyRead = "копия файла результатов: прочитана как ещё одна попытка ученика «%s» в тесте «%s»";
inline constexpr const char* NestedRead = "файл во вложенной папке: прочитан как попытка ученика «%s» в тесте «%s»";
inline constexpr const char* NotInStudentFolder = "файл лежит не в папке ученика: не учтён";
inline constexpr const char* KeyCopiesDiffer = "копии теста %s в папках учеников различаются: ключом не взяты";
inline constexpr const char* NotOnList = "ученика «%s» нет в списке класса: его результаты показаны";
inline constexpr const char* NoneOfTheKey = "ни одного вопроса из ключа теста: результат не учтён";
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
    unsigned Number = 0; // in the key, from 1; 0 without one
    std::vector<TOptionTally> Options; // by text, in the order first met
    unsigned Skipped = 0;
    unsigned RightNotShown = 0;
    TItemFigures Figures;
    unsigned Flags = 0;
};

// What is wrong with an attempt, one bit each.
enum TAttemptFlag : unsigned {
    ChangedAfterCollection = 1, // its file's content changed after it was first collected
    KeyMismatch = 2,            // its right answers disagree with the key's
    Unfinished = 4,             // questions left without an answer
    ScoreOnly = 8,              // the score line alone: no answers to check
    VersionMismatch = 16,       // questions the key does not have
};
inline constexpr unsigned AttemptFlagCount = 5;
// The flag's keyword for scripts (attempts.csv).
const char* AttemptFlagKeyword(unsigned bit);

// Which of a student's attempts at a test counts for the grade and the
// question figures.
enum class TAttemptChoice { First, Last, Best };

// One results file of a student in a test.
struct TAttemptResult {
    std::string Path;    // native, relative to the folder given where it is under it
    std::string Found;   // as found, for scripts to open; as stored when read from the database
    QDateTime Written;   // the file's time
    QDateTime Collected; // when it was stored; without a database, when it was read
    QDateTime Replaced;  // with ChangedAfterCollection: when the content it replaced was collected
    unsigned Right = 0;     // by the key where there is one
    unsigned Answered = 0;  // questions with an answer (all, for a score-only file)
    unsigned Questions = 0; // questions graded: the file's, less those the key does not have
    double Percent = 0;
    QString Grade;
    unsigned Flags = 0;
    std::vector<unsigned> Mismatched; // KeyMismatch: the key's numbers of those questions
    std::vector<QString> Unmatched;   // VersionMismatch: the wordings the key does not have (shown)
    // Row in the test's marks, or -1: only the counted attempt of a detailed
    // file has one.
    std::ptrdiff_t Row = -1;
};

// A student in one test: every attempt, one of them counted. Name, Path and
// the figures are the counted attempt's.
struct TStudentResult {
    QString Name;
    std::string Path; // as found (TAttemptResult::Found)
    unsigned Right = 0;
    unsigned Questions = 0;
    double Percent = 0;
    QString Grade;
    std::ptrdiff_t Row = -1;
    std::vector<TAttemptResult> Attempts; // by the time written
    std::size_t Counted = 0;              // in Attempts
    const TAttemptResult& CountedAttempt() const { return Attempts[Counted]; }
};

inline constexpr std::uint32_t Skipped = 0xffffffff;

// A test's grades: what a class journal shows under its column. Pass and
// quality count numeric grades of 3 or more and of 4 or more.
struct TGradeSummary {
    std::vector<std::pair<QString, unsigned>> Counts; // each grade of the scale, highest first
    unsigned Graded = 0;  // students with a grade
    TFigure Pass;         // успеваемость, percent
    TFigure Quality;      // качество, percent
    TFigure Average;      // средний балл
};

struct TTestResult {
    QString Name;
    unsigned Questions = 0;
    std::vector<TStudentResult> Students; // by name
    // Items in the key's order, or, without a key, in the order the wordings
    // were most often shown; empty if no file was detailed.
    std::vector<TQuestionResult> Items;
    TMarks Marks;                         // counted detailed attempts by items
    std::vector<std::uint32_t> Chosen;    // option index per mark, or Skipped
    TScoreFigures Score;
    TFigure Alpha;
    TFigure ErrorRatio;
    TFigure StandardError;
    std::string KeyPath; // the teacher's test file the items are numbered by; empty without one
    TGradeSummary Grades;
    QDateTime FirstWritten, LastWritten; // of the counted attempts
};

struct TClassStudent {
    QString Name;
    bool OnList = false; // on the class list; false also when there is none
    TFigure Average;     // of the numeric grades of the tests written
};

struct TJournal {
    QString Class;   // empty when none was named or found
    QString Teacher;
    TAttemptChoice Choice = TAttemptChoice::First;
    std::vector<TClassStudent> Students; // by name, as Russian sorts them
    std::vector<TTestResult> Tests;      // by name
    // Per student, per test: the index in Tests[t].Students, or -1 («н»).
    std::vector<std::vector<std::ptrdiff_t>> Cells;
    std::vector<TWarning> Warnings; // in the order found
    std::size_t Files = 0;          // results files found
    std::size_t Used = 0;           // of them, in the journal
    std::vector<TFileId> Inputs;    // every results file found, sorted: never to be written
};

// Finds the results files under `paths`, reads them once each and works out
// every figure. Students and tests are named from the files' places (see
// the help text).
TJournal BuildJournal(const std::vector<std::string>& paths, const TScale& scale);

// When a file was last changed, as far as the system tells: an unchanged
// stamp means unchanged content, since a program can set a file's time back
// but not its status-change time.
struct TFileStamp {
    std::int64_t Size = 0;
    std::int64_t ModifiedNs = 0;
    std::int64_t ChangedNs = 0;
    TFileId Id;
    bool operator==(const TFileStamp&) const = default;
};

// The stamp of the file `path` leads to; all zero when there is none.
TFileStamp StampOf(const std::string& path);

// A results file found in the folders given, named by student and test.
struct TFoundFile {
    QString Student;
    QString Test;
    std::string Path;   // as shown: relative to the folder given
    std::string Native; // as opened
    TFileStamp Stamp;
};

// What the folders given hold.
struct TFolderScan {
    QString Class; // the folder's name when one folder is given
    std::vector<TFoundFile> Files; // by path
    std::vector<TWarning> Warnings;
    std::vector<TFileId> Inputs; // every results file found, sorted
    // Test files found beside the results, by the test's name: the key,
    // where no other is given.
    std::map<QString, std::string> Keys;
};

// Names as the journal tells them apart: a student's regardless of case,
// spaces and ё; a test's regardless of case and spaces.
QString StudentKey(const QString& name);
QString TestKey(const QString& name);

// Finds the results files under `paths`. The students of `classList` tell
// a folder per student from a folder per test; without it, the names do.
TFolderScan ScanFolders(const std::vector<std::string>& paths, const std::vector<QString>& classList = {});

// One results file for the journal: on disk (Native) or as stored (Content).
struct TAttemptFile {
    QString Student;
    QString Test;
    std::string Path;    // as shown
    std::string Native;  // read from here when Content is empty
    std::string Content; // as stored
    QDateTime Written;
    QDateTime Collected;
    QDateTime Replaced; // valid when the content replaced another collected from the same path
};

// The attempts of the files found, as read now.
std::vector<TAttemptFile> AttemptsOf(const TFolderScan& scan);

// The teacher's test file: what the results are checked against.
struct TKey {
    QString Test;
    std::string Path;
    std::vector<TTestItem> Items;
};

struct TJournalOptions {
    TScale Scale;
    TAttemptChoice Choice = TAttemptChoice::First;
    QString Class;
    QString Teacher;
    std::vector<QString> ClassList; // empty: the students are those seen
    std::vector<TKey> Keys;
};

// Reads the attempts and works out every figure; `warnings` (the scan's)
// come first in the journal's.
TJournal BuildJournal(const std::vector<TAttemptFile>& attempts, const TJournalOptions& options,
    std::vector<TWarning> warnings = {});
