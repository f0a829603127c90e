// SPDX-License-Identifier: MIT
#include "editor/Markers.h"

#include "engine/Mnemonic.h"

#include <QRegularExpression>
#include <algorithm>

QString EditFromMarked(const QString& marked)
{
    // Most texts have no marker, and are shared, not copied.
    if (!marked.contains(u'&'))
        return marked;
    QString edit;
    edit.reserve(marked.size());
    ForEachShown(marked, [&edit](QChar c, bool underlined) {
        edit += c;
        if (underlined)
            edit += MarkerLine;
    });
    return edit;
}

QString MarkedFromEdit(const QString& edit)
{
    QString marked;
    marked.reserve(edit.size() + 8);
    for (qsizetype i = 0; i < edit.size(); ++i) {
        const QChar c = edit[i];
        if (c == MarkerLine)
            continue;
        const bool underlined = i + 1 < edit.size() && edit[i + 1] == MarkerLine && c != u'&';
        if (underlined || c == u'&')
            marked += u'&';
        marked += c;
    }
    return marked;
}

QString JoinLines(const QString& text)
{
    static const QRegularExpression breaks(QStringLiteral("[ \\t]*[\\r\\n\\x{2028}\\x{2029}]+[ \\t\\r\\n\\x{2028}\\x{2029}]*"));
    static const QRegularExpression controls(QStringLiteral("[\\x00-\\x08\\x0b\\x0c\\x0e-\\x1f]"));
    const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) {
        return (c.unicode() < 0x20 && c != u'\t') || c == QChar(0x2028) || c == QChar(0x2029);
    });
    if (plain)
        return text;
    QString joined = text;
    joined.replace(breaks, QStringLiteral(" "));
    // A test file cannot hold Ctrl-Z and the like: the reader would cut the
    // line there.
    joined.remove(controls);
    // Breaks at either end join nothing.
    if (joined.startsWith(u' ') && !text.startsWith(u' '))
        joined.remove(0, 1);
    if (joined.endsWith(u' ') && !text.endsWith(u' '))
        joined.chop(1);
    return joined;
}

QString ShownOnly(QString text)
{
    text.remove(MarkerLine);
    return text;
}
