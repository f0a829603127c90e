// SPDX-License-Identifier: MIT
#include "ui/Widgets.h"

#include <QMouseEvent>
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

void TImage::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit clicked();
    QLabel::mousePressEvent(event);
}

QString MnemonicToHtml(const QString& text)
{
    QString html;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'&' && i + 1 < text.size()) {
            ++i;
            if (text[i] != u'&') {
                html += QStringLiteral("<u>") + QString(text[i]).toHtmlEscaped() + QStringLiteral("</u>");
                continue;
            }
        } else if (text[i] == u'&') {
            continue; // a marker with nothing after it shows nothing
        }
        html += QString(text[i]).toHtmlEscaped();
    }
    return QStringLiteral("<span style=\"white-space: pre-wrap\">") + html + QStringLiteral("</span>");
}
