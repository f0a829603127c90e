// SPDX-License-Identifier: MIT
#include "engine/Ansi.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <algorithm>

namespace {
constexpr const char* Codepage = "windows-1251";
}

QString FromAnsi(std::string_view text)
{
    QStringDecoder decoder(Codepage);
    return decoder.decode(QByteArrayView(text.data(), qsizetype(text.size())));
}

std::string ToAnsi(QStringView text)
{
    QStringEncoder encoder(Codepage);
    const QByteArray bytes = encoder.encode(text);
    return bytes.toStdString();
}

qsizetype FirstNotAnsi(QStringView text)
{
    // What the code page holds comes back from it unchanged, character for
    // character, so the first difference is the first character it lacks.
    const QString back = FromAnsi(ToAnsi(text));
    const qsizetype common = std::min(back.size(), text.size());
    for (qsizetype i = 0; i < common; ++i)
        if (back[i] != text[i])
            return i;
    return back.size() == text.size() ? -1 : common;
}

QString FromNativePath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToNativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}
