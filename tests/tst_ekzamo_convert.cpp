// SPDX-License-Identifier: MIT
// Runs the built ekzamo-convert as a script would, with no display.
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Gift.h"
#include "tests/TestUtil.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unistd.h>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome Convert(const QStringList& args)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(EKZAMO_CONVERT), args);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
        process.readAllStandardError().toStdString()};
}

QString Q(const std::string& path)
{
    return QString::fromStdString(path);
}

const std::string Sample = Cp("Сколько будет 2 + 2?\r\n3\r\n2\r\n3\r\n4\r\nпять && шесть\r\n");

class ConvertTool : public ::testing::Test {
protected:
    // An output file that a failed run must leave as it was.
    std::string Kept(const std::string& name) { return tmp.Write(name, "old content"); }

    TempFolder tmp;
};

TEST_F(ConvertTool, EkzamoToGiftAndBackByExtension)
{
    const std::string in = tmp.Write("t.txt", Cp("Tom && Jerry?\r\n2\r\n2\r\nда\r\nнет: {x}\r\n"));
    const Outcome there = Convert({Q(in), Q(tmp.Path("t.gift"))});
    EXPECT_EQ(there.status, 0);
    EXPECT_EQ(there.err, "");
    EXPECT_EQ(ReadBytes(tmp.Path("t.gift")), "[plain]Tom & Jerry?{\n\t~да\n\t=нет\\: \\{x\\}\n}\n");
    const Outcome back = Convert({Q(tmp.Path("t.gift")), Q(tmp.Path("back.txt"))});
    EXPECT_EQ(back.status, 0);
    EXPECT_EQ(ReadBytes(tmp.Path("back.txt")), ReadBytes(in));
}

TEST_F(ConvertTool, AikenNamedByOptionsForTxt)
{
    const std::string in = tmp.Write("t.txt", Cp("Вопрос\r\n2\r\n1\r\nда\r\nнет\r\n"));
    const Outcome there = Convert({QStringLiteral("--to"), QStringLiteral("aiken"), Q(in), Q(tmp.Path("a.txt"))});
    EXPECT_EQ(there.status, 0);
    EXPECT_EQ(ReadBytes(tmp.Path("a.txt")), "Вопрос\nA) да\nB) нет\nANSWER: A\n");
    const Outcome back = Convert({QStringLiteral("--from=aiken"), Q(tmp.Path("a.txt")), Q(tmp.Path("b.txt"))});
    EXPECT_EQ(back.status, 0);
    EXPECT_EQ(ReadBytes(tmp.Path("b.txt")), ReadBytes(in));
}

TEST_F(ConvertTool, WarningsExitOneInTheCompilersForm)
{
    const std::string in = tmp.Write("q.gift", "Q1{=a#верно ~b}\n\nЗемля круглая.{T}\n\nQ3{=c ~d}\n");
    const Outcome run = Convert({Q(in), Q(tmp.Path("q.txt"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, in + ":1: отзыв к ответу отброшен: в Ekzamo отзывов нет\n" + in
        + ":3: вопрос пропущен: это вопрос «верно/неверно», а преобразуются только вопросы с выбором одного "
          "правильного ответа\n");
    EXPECT_EQ(ReadBytes(tmp.Path("q.txt")), "Q1\r\n2\r\n1\r\na\r\nb\r\nQ3\r\n2\r\n1\r\nc\r\nd\r\n");
    // A newline in the file's name does not split its note in two.
    const Outcome named = Convert({Q(tmp.Write("q\n2.gift", "Q1{=a#верно ~b}\n")), Q(tmp.Path("q2.txt"))});
    EXPECT_EQ(named.err, tmp.Path("q\\n2.gift") + ":1: отзыв к ответу отброшен: в Ekzamo отзывов нет\n");
}

TEST_F(ConvertTool, EkzamoFileSavedAsUtf8IsConvertedWithAWarning)
{
    const std::string in = tmp.Write("u.txt", "\xEF\xBB\xBFВопрос\n2\n1\nда\nнет\n");
    const Outcome run = Convert({Q(in), Q(tmp.Path("u.gift"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, in + ":1: файл сохранён в кодировке UTF-8, а не Windows-1251: он прочитан как UTF-8\n");
    EXPECT_EQ(ReadBytes(tmp.Path("u.gift")), "Вопрос{\n\t=да\n\t~нет\n}\n");
}

// The old editors' end of file is no sign of Windows-1251: read as
// ekzamo-check and the editor read it.
TEST_F(ConvertTool, Utf8TestEndingInCtrlZIsReadAsUtf8)
{
    const std::string in = tmp.Write("z.txt", "Вопрос\r\n2\r\n1\r\nда\r\nнет\r\n\x1a");
    const Outcome run = Convert({Q(in), Q(tmp.Path("z.gift"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, in + ":1: файл сохранён в кодировке UTF-8, а не Windows-1251: он прочитан как UTF-8\n");
    EXPECT_EQ(ReadBytes(tmp.Path("z.gift")), "Вопрос{\n\t=да\n\t~нет\n}\n");
}

TEST_F(ConvertTool, MoreThan255QuestionsAreWrittenWithANoteOnThe256th)
{
    std::string gift;
    for (int k = 1; k <= 256; ++k)
        gift.append("Q").append(std::to_string(k)).append("{=a ~b}\n\n");
    const std::string in = tmp.Write("many.gift", gift);
    const Outcome run = Convert({Q(in), Q(tmp.Path("many.txt"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, in + ":511: это 256-й вопрос: программа прекратит загрузку теста здесь с ошибкой «В файле "
        "теста больше 255 вопросов»\n");
    const std::string written = ReadBytes(tmp.Path("many.txt"));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 256 * 5) << "all 256 questions written";
}

// ---- Nothing written --------------------------------------------------------

struct FailureCase {
    const char* rule;
    std::string input;      // written as in.gift; empty: `inPath` as given
    std::string message;    // the first line of standard error, after "IN"
};

TEST_F(ConvertTool, CharacterWindows1251CannotHoldIsNamedWithItsLine)
{
    const std::string in = tmp.Write("e.gift", "Q1{=a ~b}\n\nQ2{\n=смайлик 😀\n~b}\n");
    const std::string out = Kept("e.txt");
    const Outcome run = Convert({Q(in), Q(out)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, in + ":4: символ «😀» (U+1F600) нельзя записать в кодировке Windows-1251\n" + out
        + ": файл не записан\n");
    EXPECT_EQ(ReadBytes(out), "old content");
}

TEST_F(ConvertTool, BadInputWritesNothing)
{
    const std::string out = Kept("out.txt");
    const std::string gift = Kept("out.gift");
    struct Case {
        QStringList args;
        std::string err;
        std::string kept;
    };
    const std::string missing = tmp.Path("missing.gift");
    const std::string binary = tmp.Write("binary.txt", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10));
    const std::string cp1251 = tmp.Write("cp.gift", Cp("Вопрос{=да ~нет}"));
    const std::string empty = tmp.Write("empty.gift", "// nothing but a comment\n");
    const std::string none = tmp.Write("none.txt", "Q\n1\n1\nA\n");
    const std::string folder = tmp.Path("folder.gift");
    ASSERT_TRUE(QDir().mkdir(Q(folder)));
    const Case cases[] = {
        {{Q(missing), Q(out)}, missing + ": File not found.\n", out},
        {{Q(folder), Q(out)}, folder + ": File access denied.\n", out},
        {{Q(binary), Q(gift)}, binary + ":1: это не текстовый файл: управляющий символ с кодом 2\n", gift},
        {{Q(cp1251), Q(out)}, cp1251 + ":1: файл не в кодировке UTF-8; если он в Windows-1251, перекодируйте его: "
            "iconv -f CP1251 -t UTF-8\n", out},
        {{Q(empty), Q(out)}, empty + ": в файле нет ни одного вопроса, который можно преобразовать\n", out},
        {{Q(none), Q(gift)}, none + ":1: вопрос не записан: вариантов ответа меньше двух\n" + none
            + ": в файле нет ни одного вопроса, который можно преобразовать\n", gift},
    };
    for (const Case& c : cases) {
        const Outcome run = Convert(c.args);
        EXPECT_EQ(run.status, 2) << c.err;
        EXPECT_EQ(run.err, c.err + c.kept + ": файл не записан\n");
        EXPECT_EQ(ReadBytes(c.kept), "old content");
    }
}

TEST_F(ConvertTool, FailedSaveSaysWhyAndKeepsTheTarget)
{
    const std::string in = tmp.Write("t.txt", Sample);
    const std::string folder = tmp.Path("folder.gift");
    ASSERT_TRUE(QDir().mkdir(Q(folder)));
    const std::string nowhere = tmp.Path("missing/t.gift");
    const Outcome intoFolder = Convert({Q(in), Q(folder)});
    EXPECT_EQ(intoFolder.status, 2);
    EXPECT_EQ(intoFolder.err, "Не удалось сохранить файл «" + folder + "»: это папка.\n" + folder
        + ": файл не записан\n");
    const Outcome intoMissing = Convert({Q(in), Q(nowhere)});
    EXPECT_EQ(intoMissing.status, 2);
    EXPECT_EQ(intoMissing.err, "Не удалось сохранить файл «" + nowhere + "»: папки «" + tmp.Path("missing")
        + "» нет.\n" + nowhere + ": файл не записан\n");
    EXPECT_FALSE(QFile::exists(Q(tmp.Path("missing"))));
}

TEST_F(ConvertTool, UnreadableFileWritesNothing)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any file";
    const std::string in = tmp.Write("t.txt", Sample);
    QFile::setPermissions(Q(in), QFile::WriteOwner);
    const std::string out = Kept("t.gift");
    const Outcome run = Convert({Q(in), Q(out)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, in + ": File access denied.\n" + out + ": файл не записан\n");
    EXPECT_EQ(ReadBytes(out), "old content");
}

TEST_F(ConvertTool, SameFileIsRefused)
{
    const std::string in = tmp.Write("t.txt", Sample);
    ASSERT_EQ(::symlink(in.c_str(), tmp.Path("link.txt").c_str()), 0);
    for (const std::string& out : {in, tmp.Path("link.txt")}) {
        const Outcome run = Convert({QStringLiteral("--to"), QStringLiteral("ekzamo"), Q(in), Q(out)});
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("один и тот же файл"), std::string::npos) << run.err;
    }
    EXPECT_EQ(ReadBytes(in), Sample);
}

TEST_F(ConvertTool, LongLineIsConvertedOrRefusedWhole)
{
    const std::string wording(MaxFileSize / 2, 'w');
    const std::string in = tmp.Write("big.txt", wording + "\r\n2\r\n1\r\nA\r\nB\r\n");
    const Outcome there = Convert({Q(in), Q(tmp.Path("big.gift"))});
    EXPECT_EQ(there.status, 0) << there.err;
    QFile written(Q(tmp.Path("big.gift")));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray gift = written.readAll();
    EXPECT_EQ(gift.size(), qsizetype(wording.size() + 12));
    EXPECT_TRUE(gift.startsWith(QByteArrayView(wording)) && gift.endsWith("w{\n\t=A\n\t~B\n}\n"));

    // The same line with no answers is no question: nothing is written.
    const std::string junk = tmp.Write("junk.gift", wording + "\n");
    const std::string out = Kept("junk.txt");
    const Outcome back = Convert({Q(junk), Q(out)});
    EXPECT_EQ(back.status, 2);
    EXPECT_EQ(ReadBytes(out), "old content");
}

TEST_F(ConvertTool, FileBeyondTheSizeBoundIsRefusedUnread)
{
    const std::string in = tmp.Write("big.gift", "Q{=a ~b}\n\n");
    ASSERT_TRUE(QFile::resize(Q(in), qint64(MaxFileSize) + 1));
    const std::string out = Kept("big.txt");
    const Outcome run = Convert({Q(in), Q(out)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, in + ": " + AsShown(Format(Msg::FileTooLarge, std::to_string(MaxFileSize >> 20))) + "\n" + out
        + ": файл не записан\n");
    EXPECT_EQ(ReadBytes(out), "old content");
}

// Two questions with no blank line between them, as the teacher
// wrote them: both converted, the second named.
TEST_F(ConvertTool, QuestionWithoutABlankLineBeforeItIsConvertedWithANote)
{
    const std::string in = tmp.Write("a.gift", "::Q1::Первый?{\n=да\n~нет\n}\n::Q2::Второй?{\n=да\n~нет\n}\n");
    const Outcome run = Convert({Q(in), Q(tmp.Path("a.txt"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, in + ":5: " + GiftMsg::NoBlankLine + "\n");
    EXPECT_EQ(ReadBytes(tmp.Path("a.txt")), Cp("Первый?\r\n2\r\n1\r\nда\r\nнет\r\nВторой?\r\n2\r\n1\r\nда\r\nнет\r\n"));
}

// ---- Usage ------------------------------------------------------------------

TEST(ConvertToolUsage, HelpInRussianExitsZero)
{
    const Outcome run = Convert({QStringLiteral("--help")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Использование: ekzamo-convert [--from ФОРМАТ] [--to ФОРМАТ] ИСХОДНЫЙ НОВЫЙ\n", 0), 0u);
    EXPECT_NE(run.out.find("Код выхода"), std::string::npos);
    EXPECT_NE(run.out.find("больше " + std::to_string(MaxFileSize >> 20) + " МиБ"), std::string::npos);
}

TEST(ConvertToolUsage, MistakesExitTwoWithAHint)
{
    const std::pair<QStringList, std::string> cases[] = {
        {{}, "ekzamo-convert: нужны два файла: исходный и новый\n"},
        {{QStringLiteral("a.txt")}, "ekzamo-convert: нужны два файла: исходный и новый\n"},
        {{QStringLiteral("--strict"), QStringLiteral("a.txt"), QStringLiteral("b.gift")},
            "ekzamo-convert: неизвестный ключ --strict\n"},
        {{QStringLiteral("--from"), QStringLiteral("xml"), QStringLiteral("a.txt"), QStringLiteral("b.gift")},
            "ekzamo-convert: неизвестный формат «xml»: возможны ekzamo, gift и aiken\n"},
        {{QStringLiteral("a.txt"), QStringLiteral("--to")},
            "ekzamo-convert: после --to нужно указать формат: ekzamo, gift или aiken\n"},
        {{QStringLiteral("a.doc"), QStringLiteral("b.gift")},
            "ekzamo-convert: по имени «a.doc» формат не определить: укажите его ключом --from\n"},
        {{QStringLiteral("a.txt"), QStringLiteral("b")},
            "ekzamo-convert: по имени «b» формат не определить: укажите его ключом --to\n"},
    };
    for (const auto& [args, message] : cases) {
        const Outcome run = Convert(args);
        EXPECT_EQ(run.status, 2) << message;
        EXPECT_EQ(run.err, message + "Подробнее: ekzamo-convert --help\n");
        EXPECT_EQ(run.out, "");
    }
}

} // namespace
