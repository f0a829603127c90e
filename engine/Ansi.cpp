// SPDX-License-Identifier: MIT
#include "engine/Ansi.h"

#include <QFile>
#include <algorithm>
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

namespace {

bool EncodesWhole(QStringView text)
{
    QStringEncoder encoder(Codepage);
    const QByteArray bytes = encoder.encode(text);
    return !encoder.hasError();
}

} // namespace

// The whole text at once, and only where that fails block by block, then
// character by character in the failing block, so that a long text costs few
// encoders.
qsizetype FirstNonAnsi(QStringView text)
{
    // ASCII and the Russian alphabet, nearly every test's whole text, need
    // no encoder: an editor asks this of every field as the teacher types.
    const bool common = std::all_of(text.begin(), text.end(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x80 || (u >= 0x0410 && u <= 0x044F) || u == 0x0401 || u == 0x0451;
    });
    if (common || EncodesWhole(text))
        return -1;
    constexpr qsizetype Block = 4096;
    for (qsizetype start = 0; start < text.size();) {
        qsizetype end = std::min(start + Block, text.size());
        if (end < text.size() && text[end - 1].isHighSurrogate())
            ++end;
        if (!EncodesWhole(text.sliced(start, end - start))) {
            for (qsizetype i = start; i < end;) {
                const qsizetype length = text[i].isHighSurrogate() && i + 1 < end ? 2 : 1;
                if (!EncodesWhole(text.sliced(i, length)))
                    return i;
                i += length;
            }
        }
        start = end;
    }
    return -1;
}

QString FromNativePath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToNativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}
