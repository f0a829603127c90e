// SPDX-License-Identifier: MIT
#include "engine/Ansi.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace {

// The system's own converter (ICU's table on Debian) as the second opinion.
QString SystemDecode(const std::string& bytes)
{
    QStringDecoder decoder("windows-1251");
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

std::string SystemEncode(QStringView text, bool& failed)
{
    QStringEncoder encoder("windows-1251");
    const QByteArray bytes = encoder.encode(text);
    failed = encoder.hasError();
    return bytes.toStdString();
}

} // namespace

TEST(Ansi, EveryByteReadsAsTheSystemsConverterReadsIt)
{
    ASSERT_TRUE(QStringDecoder("windows-1251").isValid());
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, char(byte));
        EXPECT_EQ(FromAnsi(one), SystemDecode(one)) << "byte " << byte;
    }
}

// Where the code page has no character, the system's converter writes Ctrl-Z,
// or for a character that is meant to be invisible (a zero-width space, a
// direction mark) nothing at all; ToAnsi writes Ctrl-Z for every one, so that
// none is lost unseen.
TEST(Ansi, EveryCharacterOfTheBasicPlaneWritesAsTheSystemsConverterWritesIt)
{
    for (char32_t u = 0; u < 0x10000; ++u) {
        if (QChar::isSurrogate(u))
            continue;
        const QChar c {char16_t(u)};
        bool failed = false;
        const std::string expected = SystemEncode(QStringView(&c, 1), failed);
        ASSERT_EQ(ToAnsi(QStringView(&c, 1)), failed ? std::string("\x1A") : expected) << "U+" << std::hex << unsigned(u);
        ASSERT_EQ(FirstNonAnsi(QStringView(&c, 1)), failed ? 0 : -1) << "U+" << std::hex << unsigned(u);
    }
}

TEST(Ansi, TextOutsideTheBasicPlaneIsOneCharacterTheCodePageCannotHold)
{
    const QString text = QString::fromUtf8("ab\xF0\x9F\x98\x80" "в");
    EXPECT_EQ(ToAnsi(text), std::string("ab\x1A\xE2"));
    EXPECT_EQ(FirstNonAnsi(text), 2);
}

// The system's converter keeps a lone surrogate at the end for a pair that
// never comes and writes nothing; it is a character the code page cannot hold.
TEST(Ansi, LoneSurrogatesAreCharactersTheCodePageCannotHold)
{
    const struct {
        QString text;
        std::string bytes;
        qsizetype first;
    } cases[] = {
        {QStringLiteral("ab") + QChar(0xD83D), std::string("ab\x1A"), 2},
        {QStringLiteral("a") + QChar(0xDE00) + QStringLiteral("b"), std::string("a\x1A" "b"), 1},
        {QChar(0xD83D) + QStringLiteral("b"), std::string("\x1A" "b"), 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ToAnsi(c.text), c.bytes);
        EXPECT_EQ(FirstNonAnsi(c.text), c.first);
    }
}

TEST(Ansi, AllBytesComeBackFromTheirText)
{
    std::string all;
    for (int byte = 0; byte < 256; ++byte)
        all += char(byte);
    EXPECT_EQ(ToAnsi(FromAnsi(all)), all);
    EXPECT_EQ(FirstNonAnsi(FromAnsi(all)), -1);
}
