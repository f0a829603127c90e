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
// reached with the arrow keys.
class TTimePicker : public QTimeEdit {
    Q_OBJECT
public:
    using QTimeEdit::QTimeEdit;

protected:
    bool focusNextPrevChild(bool next) override { return QWidget::focusNextPrevChild(next); }
};

// A picture that reports clicks.
class TImage : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

// Plain text with '&' accelerator markers as rich text: the marked character
// underlined, "&&" one '&', everything else shown exactly as written.
QString MnemonicToHtml(const QString& text);
