// SPDX-License-Identifier: MIT
#include "engine/Ansi.h"

#include <QFile>
#include <optional>

namespace {

// Windows-1251's upper half, 0x80 to 0xFF, as the system's converter reads
// it: 0x98, which the code page leaves unassigned, stands for U+0098. A table
// of our own spares every program the converter library, which costs more to
// load at start-up than a whole test takes to convert.
constexpr char16_t UpperHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039,
    0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408,
    0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB,
    0x0458, 0x0405, 0x0455, 0x0457, 0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F, 0x0420, 0x0421, 0x0422, 0x0423,
    0x0424, 0x0425, 0x0426, 0x0427, 0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437, 0x0438, 0x0439, 0x043A, 0x043B,
    0x043C, 0x043D, 0x043E, 0x043F, 0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,
};

// What the converter writes for a character the code page cannot hold.
constexpr char Substitute = 0x1A;

// The byte for the character at `at` (a surrogate pair counts as one), or
// none; `length` is set to the character's length in UTF-16 units.
std::optional<char> ByteAt(QStringView text, qsizetype at, qsizetype& length)
{
    const char16_t u = text[at].unicode();
    length = QChar::isHighSurrogate(u) && at + 1 < text.size() && text[at + 1].isLowSurrogate() ? 2 : 1;
    if (u < 0x80)
        return char(u);
    if (u >= 0x0410 && u <= 0x044F) // the Russian alphabet, nearly all of a test
        return char(0xC0 + (u - 0x0410));
    for (int k = 0; k < 128; ++k)
        if (UpperHalf[k] == u)
            return char(0x80 + k);
    return std::nullopt;
}

} // namespace

QString FromAnsi(std::string_view text)
{
    QString decoded(qsizetype(text.size()), Qt::Uninitialized);
    QChar* out = decoded.data();
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = QChar(byte < 0x80 ? char16_t(byte) : UpperHalf[byte - 0x80]);
    }
    return decoded;
}

std::string ToAnsi(QStringView text)
{
    return ToAnsi(text, Substitute);
}

std::string ToAnsi(QStringView text, char substitute)
{
    std::string bytes;
    bytes.reserve(std::size_t(text.size()));
    qsizetype length = 1;
    for (qsizetype at = 0; at < text.size(); at += length)
        bytes += ByteAt(text, at, length).value_or(substitute);
    return bytes;
}

qsizetype FirstNonAnsi(QStringView text, qsizetype from)
{
    qsizetype length = 1;
    for (qsizetype at = from; at < text.size(); at += length)
        if (!ByteAt(text, at, length))
            return at;
    return -1;
}

TCharacter CharacterAt(QStringView text, qsizetype at)
{
    const bool pair = text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate();
    const char32_t code = pair ? QChar::surrogateToUcs4(text[at], text[at + 1]) : text[at].unicode();
    return {text.mid(at, pair ? 2 : 1).toString(), QString::number(uint(code), 16).toUpper().rightJustified(4, u'0')};
}

QString FromNativePath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string ToNativePath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}
