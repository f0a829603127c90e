// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QRadioButton>
#include <QTimeEdit>

// A radio button whose text wraps within its width, as the option texts need.
class TOptionButton : public QRadioButton {
    Q_OBJECT
public:
    using QRadioButton::QRadioButton;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};

// A time picker that Tab leaves at once, like the classic one; its fields are
// reached with the arrow keys. A time is typed as people type one: digits fill
// the field at the cursor and move on when it is full, ':' moves to the next
// field, and typing over the whole text starts again from 0:00:00.
class TTimePicker : public QTimeEdit {
    Q_OBJECT
public:
    using QTimeEdit::QTimeEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void TypeDigit(int digit);
    void NextField();
    void SetField(int index, int value);

    // The digits typed into the current field so far.
    QString typed_;
    // The last digit filled a field and moved on: a ':' after it is no further move.
    bool movedOn_ = false;
};

// A picture that reports clicks: the left button pressed and released on
// it, as a button takes them.
class TImage : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// Plain text with '&' accelerator markers as rich text: the marked character
// underlined, "&&" one '&', everything else shown exactly as written.
QString MnemonicToHtml(const QString& text);
