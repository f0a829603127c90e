// SPDX-License-Identifier: MIT
#include "engine/Ansi.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

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

QString FromNativePath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToNativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}
