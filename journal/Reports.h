// SPDX-License-Identifier: MIT
#pragma once

#include "journal/Journal.h"

#include <QSaveFile>
#include <QSet>
#include <QStringList>
#include <QString>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace JournalMsg {
inline constexpr const char* CannotWrite = "не удалось записать %s: %s";
inline constexpr const char* IsLink = "это символическая ссылка, а по ссылкам журнал не пишет";
inline constexpr const char* NotRegular = "это не обычный файл (канал, устройство или сокет)";
inline constexpr const char* IsInput = "это один из файлов результатов, из которых собран журнал";
inline constexpr const char* Twice = "в этот же файл уже пишется другой отчёт";
inline constexpr const char* NotFolder = "это не папка";
inline constexpr const char* Absent = "н"; // the register's mark for a test not written
inline constexpr const char* NoSuchTest = "теста «%s» в журнале нет; в нём есть: %s";
inline constexpr const char* NotAnsiName =
    "в имени «%s» есть символ «%s» (U+%s), которого нет в кодировке Windows-1251: журнал школы его не прочтёт";
}

// The outputs of one run. Each is written to a temporary file beside it,
// and none replaces its file before every one is written: a run that fails
// leaves all the old ones as they were.
class TOutputFiles {
public:
    // `inputs`: the files read, which are never written.
    explicit TOutputFiles(const std::vector<TFileId>& inputs);

    // The temporary file for `path`, which must be a new name or a regular
    // file that is none of the inputs, no link, no other output, in a
    // writable folder. Raises EError saying which it is not.
    QSaveFile& Open(const std::string& path);
    // Puts every file in place.
    void Commit();

private:
    const std::vector<TFileId>& inputs_;
    std::vector<std::pair<TFileId, std::string>> places_; // folder and name of each
    std::vector<std::pair<std::string, std::unique_ptr<QSaveFile>>> files_;
};

// The journal's outputs into files opened by TOutputFiles. Each raises
// EError naming the file it could not write.
void WriteCsv(const TJournal& journal, TOutputFiles& files, const std::string& folder);
void WriteHtml(const TJournal& journal, const TScale& scale, QFileDevice& file, const std::string& path);
void WriteXlsx(const TJournal& journal, QFileDevice& file, const std::string& path);
// "ФИО;оценка" for every student of the journal, in order, for `test` («н»
// for one who did not write it), in Windows-1251 with CR LF, as a school's
// electronic journal imports it. Raises EError when the journal has no such
// test or a name has a character Windows-1251 lacks.
void WriteGradeExport(const TJournal& journal, const QString& test, QFileDevice& file, const std::string& path);

// The result of the journal's `student` in its `test`, or null for «н».
inline const TStudentResult* ResultOf(const TJournal& journal, std::size_t student, std::size_t test)
{
    const std::ptrdiff_t k = journal.Cells[student][test];
    return k < 0 ? nullptr : &journal.Tests[test].Students[std::size_t(k)];
}

// What is wrong with an attempt, a text per flag, for people.
QStringList AttemptNotes(const TAttemptResult& attempt);

// The number the teacher knows the item by: the key's, or its place.
inline unsigned ItemNumber(const TTestResult& test, std::size_t item)
{
    return test.Items[item].Number ? test.Items[item].Number : unsigned(item + 1);
}

// A figure with `decimals` after the point ('.'), or "" when undefined; no
// "-0.00".
QString FigureText(TFigure figure, int decimals = 2);

// Text from a results file for a reader: Unicode, with control characters,
// which no document may hold, shown as their pictures (U+2400…).
QString Readable(const std::string& ansi);
QString Readable(const QString& text);

// Raises the journal's error for a file it could not write.
[[noreturn]] void CannotWrite(const std::string& path, const std::string& why);
// The same, the reason found from the failed file and errno.
[[noreturn]] void CannotWrite(const std::string& path, const QFileDevice& file);

// The sheet name for `wanted` that libxlsxwriter and Excel accept: at most
// 31 characters (no character cut in two), none of []:*?/\ or control
// characters, no apostrophe first or last, unique in `taken` regardless of
// case (it is added there).
QString SheetName(const QString& wanted, QSet<QString>& taken);
