// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Errors.h"
#include "engine/Exchange.h"
#include "engine/TestFile.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One question as the editor holds it: texts in the editor's form (see
// Markers.h), the right option counted from 1, 0 for none. A number the
// file held that names no option is kept as read.
struct TEditQuestion {
    QString Text;
    QStringList Options;
    int Correct = 0;

    bool operator==(const TEditQuestion&) const = default;
};

// Where in a question something is: its wording, one option, the mark of
// the right option, or its list of options as a whole.
namespace Fields {
inline constexpr int Wording = 0; // options are 1, 2, ...
inline constexpr int RightMark = -1;
inline constexpr int OptionList = -2;
}

// The most options a question of the file holds.
inline constexpr int MaxOptions = 255;

// A new question: an empty wording and two empty options, neither marked.
TEditQuestion NewQuestion();

// A test being edited: its questions and every change to them, undoable.
// Each change replaces a run of questions with others, so one kind of step
// undoes them all.
class TTestDocument : public QObject {
    Q_OBJECT
public:
    explicit TTestDocument(QObject* parent = nullptr);

    const std::vector<TEditQuestion>& Questions() const { return questions_; }
    int Count() const { return int(questions_.size()); }
    QUndoStack* UndoStack() { return &undo_; }

    // A new content with no history, as just opened or saved.
    void Reset(std::vector<TEditQuestion> questions);

    // Typing in one field is undone a word at a time: a step ends where a
    // new word begins, after a pause, or where the cursor jumps or typing
    // turns to deleting.
    void SetText(int question, int field, const QString& text);
    void SetCorrect(int question, int option);
    void AddOption(int question, int after);
    void RemoveOption(int question, int option);
    // Swaps an option with its neighbour `by` (-1 or 1) places away; the mark
    // of the right option goes with its option.
    void MoveOption(int question, int option, int by);
    void InsertQuestion(int at, const TEditQuestion& question);
    void RemoveQuestion(int question);
    void MoveQuestion(int question, int by);
    void DuplicateQuestion(int question);

    // One undoable step: `count` questions from `at` become `with`. `focus`
    // names the question and field to show after it is done or undone.
    void Replace(int at, int count, std::vector<TEditQuestion> with, const QString& what, int focusQuestion,
        int focusField, int mergeKey = -1);

    // Applied by the undo steps; not for direct use.
    void Apply(int at, int count, const std::vector<TEditQuestion>& with, int focusQuestion, int focusField);

    // The clock that times pauses in typing, in milliseconds; tests set their own.
    void SetClock(std::function<std::int64_t()> now) { clock_ = std::move(now); }

signals:
    // `removed` questions from `at` were replaced by `inserted` others.
    void Changed(int at, int removed, int inserted);
    // After a step: the question and field it concerns.
    void Focus(int question, int field);

private:
    std::vector<TEditQuestion> questions_;
    std::function<std::int64_t()> clock_;
    QUndoStack undo_;
};

// A pause this long ends a step of typing.
inline constexpr std::int64_t TypingPause = 1000; // ms

// The engine's items from the editor's questions, and back. Texts are
// decoded from Windows-1251, or from UTF-8 when `utf8`.
std::vector<TTestItem> ToItems(const std::vector<TEditQuestion>& questions);
std::vector<TEditQuestion> FromItems(const std::vector<TTestItem>& items, bool utf8);

// The first character of a text in the editor's form that Windows-1251
// cannot hold: where it is in the text (-1 when there is none) and the
// character itself, one or two code units.
struct TBadSpot {
    qsizetype At = -1;
    QString Character;
};
TBadSpot BadCharacterIn(const QString& edit);

// The first character of the questions that Windows-1251 cannot hold.
struct TBadCharacter {
    int Question = -1; // from 0; -1 when there is none
    int Field = Fields::Wording;
    TBadSpot Spot;
};
TBadCharacter FirstBadCharacter(const std::vector<TEditQuestion>& questions);

// Whether a text in the editor's form would make too long a line of the
// file, by the test file's own rule.
bool TooLongForFile(const QString& edit);
// Why a question, numbered from 1, is too long for the file.
QString TooLongMessage(std::size_t question);

// A test file read for editing: as the program reads it, and its questions
// in the editor's form, unless the file is valid UTF-8 beyond ASCII: how to
// decode it is then the teacher's to say.
struct TTestForEditing {
    TTestContent Content;
    bool Utf8 = false;
    std::vector<TEditQuestion> Questions; // decoded from Windows-1251 unless Utf8
    // Where the load stops, the checker's warning on that line: its cause.
    // A Ctrl-Z that ends the file early is such a stop too, and sets the
    // content's UnreadLine.
    std::string StopWarning;
    std::size_t LineCount = 0; // of the whole file
};
// Reads and checks a test file to edit. Raises EError saying why the file
// cannot be edited: unreadable, not text, not a test, too long a line.
TTestForEditing ReadTestForEditing(const std::string& path);
// A test read for editing decoded as the teacher chose; raises EError, as
// ReadTestForEditing does, when a line is too long read so.
std::vector<TEditQuestion> DecodeForEditing(const std::string& path, const TTestContent& content, bool utf8);

// Why the questions cannot be saved, and the place to show the teacher:
// the field, and the characters at fault in it when `At` is not -1.
class ENotSaved : public EError {
public:
    ENotSaved(const QString& message, int question, int field, qsizetype at = -1, qsizetype length = 0);
    const int Question;
    const int Field;
    const qsizetype At;
    const qsizetype Length;
};
// Saves the questions as a test file. Raises ENotSaved for a text the file
// cannot hold, EError when it cannot be written.
void SaveForEditing(const std::string& path, const std::vector<TEditQuestion>& questions);

// A test imported for editing, and what of it was left out, a note a line.
struct TImported {
    std::vector<TEditQuestion> Questions;
    QStringList Notes;
};
// Reads an exchange file to edit. Raises EError saying why it cannot be
// imported: unreadable, not UTF-8 text, no questions, too long a line.
TImported ImportForEditing(const std::string& path, TTestFormat format);
// Writes the questions to an exchange file and says what it left out, a
// note a line; raises EError when there is nothing to write or writing fails.
QStringList ExportEdited(const std::string& path, const std::vector<TEditQuestion>& questions, TTestFormat format);
