// SPDX-License-Identifier: MIT
#pragma once

#include "editor/Document.h"

#include <QKeySequence>
#include <QList>
#include <QWidget>
#include <memory>
#include <vector>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace Ui {
class TQuestionPane;
}

// The question shown: its wording, a row for each option (the mark of the
// right one and its text), and the option buttons. It changes nothing
// itself: what the teacher does comes out as signals, for the window to
// apply to the document, which then shows the question again.
class TQuestionPane : public QWidget {
    Q_OBJECT

public:
    explicit TQuestionPane(QWidget* parent = nullptr);
    ~TQuestionPane() override;

    // The keys the window's own actions take even in a field (its Undo and
    // Redo, not the field's).
    void SetWindowKeys(QList<QKeySequence> keys) { windowKeys_ = std::move(keys); }
    // Shows a question, or nothing (the pane disabled) for none.
    void Show(const TEditQuestion* question);
    // Puts the cursor in a field of the question shown, selecting `length`
    // characters from `at` in it when `at` is not -1.
    void SelectField(int field, qsizetype at = -1, qsizetype length = 0);
    // The option with the cursor, or the one it was last in before a button
    // took it; 0 for none.
    int FocusedOption() const;
    // Another question is shown: no option was last in use.
    void ForgetLastOption() { lastOption_ = 0; }
    int OptionCount() const { return int(rows_.size()); }

    QPushButton* AddOptionButton() const;
    QPushButton* RemoveOptionButton() const;
    QPushButton* OptionUpButton() const;
    QPushButton* OptionDownButton() const;

signals:
    // A field's text, made one line, as the teacher typed it.
    void TextEdited(int field, const QString& text);
    // The teacher marked an option right.
    void RightChosen(int option);
    // Return asks for a new option after `after` (0: the first).
    void OptionWanted(int after);
    // A field refused an edit that would make too long a line of the file.
    void TooLong();

private:
    struct TOptionRow {
        QRadioButton* Right = nullptr;
        QLineEdit* Text = nullptr;
    };

    void SetUpField(QLineEdit* field);
    void BuildRows(int count);
    void FieldEdited(QLineEdit* field, int number, const QString& text);
    void WordingReturn();
    void OptionReturn(int option);
    void RightToggled(int option, bool checked);
    void FocusChanged(QWidget* old, QWidget* now);

    std::unique_ptr<Ui::TQuestionPane> ui;
    std::vector<TOptionRow> rows_;
    int correct_ = 0;
    // The option the cursor was last in, in the question shown.
    int lastOption_ = 0;
    QList<QKeySequence> windowKeys_;
};
