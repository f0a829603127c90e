// SPDX-License-Identifier: MIT
#include "ui/Widgets.h"

#include "engine/Mnemonic.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

void TOptionButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    const QString text = option.text;
    option.text.clear();
    painter.drawControl(QStyle::CE_RadioButton, option);

    QRect area = style()->subElementRect(QStyle::SE_RadioButtonIndicator, &option, this);
    area.setLeft(area.right() + 1 + style()->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, &option, this));
    area.setRight(rect().right());
    area.setTop(rect().top());
    area.setBottom(rect().bottom());
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;
    painter.drawItemText(area, flags, palette(), isEnabled(), text, QPalette::WindowText);
    if (hasFocus() && !text.isEmpty()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = painter.boundingRect(area, flags, text).adjusted(-1, 0, 1, 0);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

bool TOptionButton::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

namespace {

int FieldMax(QDateTimeEdit::Section section)
{
    return section == QDateTimeEdit::HourSection ? 23 : 59;
}

} // namespace

void TTimePicker::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (plain && text.size() == 1 && (text[0].isDigit() || text[0] == u':')) {
        QLineEdit* edit = lineEdit();
        const bool overAll = edit->hasSelectedText() && edit->selectedText() == edit->text();
        if (overAll) {
            setTime(QTime(0, 0));
            setCurrentSectionIndex(0);
            typed_.clear();
            movedOn_ = false;
        }
        if (text[0] == u':')
            NextField();
        else if (text[0] >= u'0' && text[0] <= u'9')
            TypeDigit(text[0].digitValue());
        event->accept();
        return;
    }
    typed_.clear();
    movedOn_ = false;
    QTimeEdit::keyPressEvent(event);
}

void TTimePicker::TypeDigit(int digit)
{
    const int index = currentSectionIndex();
    const QDateTimeEdit::Section section = sectionAt(index);
    if (section != HourSection && section != MinuteSection && section != SecondSection)
        return;
    const int max = FieldMax(section);
    typed_ += QChar(u'0' + digit);
    int value = typed_.toInt();
    if (value > max) {
        // A digit that cannot extend the field starts it again.
        typed_ = QString::number(digit);
        value = digit;
    }
    SetField(index, value);
    movedOn_ = false;
    // Full when no further digit could follow.
    if (typed_.size() >= 2 || value * 10 > max) {
        typed_.clear();
        if (index + 1 < sectionCount()) {
            SetField(index + 1, -1);
            movedOn_ = true;
        }
    }
}

void TTimePicker::NextField()
{
    if (movedOn_ && typed_.isEmpty()) {
        movedOn_ = false;
        return;
    }
    typed_.clear();
    movedOn_ = false;
    const int index = currentSectionIndex();
    if (index + 1 < sectionCount())
        SetField(index + 1, -1);
}

// Sets a field's value (unless negative) and selects it.
void TTimePicker::SetField(int index, int value)
{
    if (value >= 0) {
        const QTime t = time();
        int h = t.hour(), m = t.minute(), s = t.second();
        switch (sectionAt(index)) {
        case HourSection:
            h = value;
            break;
        case MinuteSection:
            m = value;
            break;
        case SecondSection:
            s = value;
            break;
        default:
            return;
        }
        setTime(QTime(h, m, s));
    }
    setCurrentSectionIndex(index);
    setSelectedSection(sectionAt(index));
}

void TTimePicker::focusInEvent(QFocusEvent* event)
{
    typed_.clear();
    movedOn_ = false;
    QTimeEdit::focusInEvent(event);
    update();
}

void TTimePicker::focusOutEvent(QFocusEvent* event)
{
    QTimeEdit::focusOutEvent(event);
    update();
}

void TTimePicker::mousePressEvent(QMouseEvent* event)
{
    typed_.clear();
    movedOn_ = false;
    QTimeEdit::mousePressEvent(event);
}

void TTimePicker::paintEvent(QPaintEvent* event)
{
    QTimeEdit::paintEvent(event);
    if (!hasFocus())
        return;
    // A frame in the selection colour, plain to see whatever the style draws.
    QPainter painter(this);
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
}

void TImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pressed_ = true;
    QLabel::mousePressEvent(event);
}

void TImage::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    if (event->button() == Qt::LeftButton)
        pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    // Last: what a click opens may run a modal loop of its own.
    if (click)
        emit clicked();
}

QString MnemonicToHtml(const QString& text)
{
    QString html;
    ForEachShown(text, [&html](QChar c, bool marked) {
        const QString escaped = QString(c).toHtmlEscaped();
        html += marked ? QStringLiteral("<u>") + escaped + QStringLiteral("</u>") : escaped;
    });
    return QStringLiteral("<span style=\"white-space: pre-wrap\">") + html + QStringLiteral("</span>");
}
