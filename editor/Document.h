// SPDX-License-Identifier: MIT
#pragma once

#include "engine/TestFile.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>
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

signals:
    // `removed` questions from `at` were replaced by `inserted` others.
    void Changed(int at, int removed, int inserted);
    // After a step: the question and field it concerns.
    void Focus(int question, int field);

private:
    std::vector<TEditQuestion> questions_;
    QUndoStack undo_;
};

// The engine's items from the editor's questions, and back. Texts are
// decoded from Windows-1251, or from UTF-8 when `utf8`.
std::vector<TTestItem> ToItems(const std::vector<TEditQuestion>& questions);
std::vector<TEditQuestion> FromItems(const std::vector<TTestItem>& items, bool utf8);

// The first character of the questions that Windows-1251 cannot hold.
struct TBadCharacter {
    int Question = -1; // from 0; -1 when there is none
    int Field = Fields::Wording;
    QString Character;
};
TBadCharacter FirstBadCharacter(const std::vector<TEditQuestion>& questions);

// The longest line a field edits; a file may hold longer ones.
inline constexpr int LineLimit = 32767;

// A test file read for editing: as the program reads it, and its questions
// in the editor's form, unless the file is valid UTF-8 beyond ASCII: how to
// decode it is then the teacher's to say.
struct TTestForEditing {
    TTestContent Content;
    bool Utf8 = false;
    std::vector<TEditQuestion> Questions; // decoded from Windows-1251 unless Utf8
};
// Reads and checks a test file to edit. Raises EError saying why the file
// cannot be edited: unreadable, not text, not a test, too long a line.
TTestForEditing ReadTestForEditing(const std::string& path);
