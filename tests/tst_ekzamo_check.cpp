// SPDX-License-Identifier: MIT
// Runs the built ekzamo-check as a teacher would, with no display.
#include "engine/Errors.h"
#include "engine/Files.h"
#include "tests/TestUtil.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <string>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome Check(const QStringList& args, const std::string& folder = {})
{
    QProcess process;
    if (!folder.empty())
        process.setWorkingDirectory(QString::fromStdString(folder));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(EKZAMO_CHECK), args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
        process.readAllStandardError().toStdString()};
}

QString Q(const std::string& path)
{
    return QString::fromStdString(path);
}

class CheckTool : public ::testing::Test {
protected:
    TempFolder tmp;
};

TEST_F(CheckTool, CleanFilesExitZero)
{
    const std::string a = tmp.Write("a.txt", "Q\n2\n1\nA\nB\n");
    const Outcome run = Check({Q(a)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, a + ": 1 вопрос, предупреждений нет\n");
    EXPECT_EQ(run.err, "");
}

TEST_F(CheckTool, WarningsExitOneInTheCompilersForm)
{
    const std::string clean = tmp.Write("clean.txt", "Q\n2\n1\nA\nB\n");
    const std::string odd = tmp.Write("odd.txt", "Q\n2\n0\nA\nB\n\n");
    const Outcome run = Check({Q(clean), Q(odd)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, clean + ": 1 вопрос, предупреждений нет\n"
        + odd + ": 2 вопроса, 2 предупреждения\n"
        + odd + ":3: номер правильного ответа 0: ни один ответ не будет засчитан\n"
        + odd + ":6: пустая строка в конце файла даёт лишний пустой вопрос без вариантов ответа: удалите её\n");
}

TEST_F(CheckTool, UnreadableFileExitsTwoAndTheOthersAreStillChecked)
{
    const std::string odd = tmp.Write("odd.txt", "Q\n1\n1\nA\n");
    const std::string missing = tmp.Path("missing.txt");
    const Outcome run = Check({Q(missing), Q(odd)});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, missing + ": File not found.\n");
    EXPECT_EQ(run.out.rfind(odd + ": 1 вопрос, 1 предупреждение\n", 0), 0u) << run.out;
}

TEST_F(CheckTool, NamesAfterDoubleDashAreFiles)
{
    tmp.Write("-h", "Q\n2\n1\nA\nB\n");
    const Outcome run = Check({QStringLiteral("--"), QStringLiteral("-h")}, tmp.Path(""));
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "-h: 1 вопрос, предупреждений нет\n");
}

TEST_F(CheckTool, FileBeyondTheSizeBoundIsRefusedUnread)
{
    const std::string test = "Q\n2\n1\nA\nB\n";
    const std::string atBound = tmp.Write("at.txt", test);
    const std::string beyond = tmp.Write("beyond.txt", test);
    ASSERT_TRUE(QFile::resize(Q(atBound), qint64(MaxFileSize)));
    ASSERT_TRUE(QFile::resize(Q(beyond), qint64(MaxFileSize) + 1));
    const std::string refused = AsShown(Format(Msg::FileTooLarge, std::to_string(MaxFileSize >> 20)));
    const Outcome at = Check({Q(atBound)});
    EXPECT_NE(at.status, 2) << at.err;
    // A file that holds more than its size says, as one that grows while
    // read does.
    for (const std::string& name : {beyond, std::string("/proc/self/pagemap")}) {
        const Outcome run = Check({Q(name)});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.err, name + ": " + refused + "\n");
    }
}

TEST(CheckToolUsage, HelpInRussianExitsZero)
{
    const Outcome run = Check({QStringLiteral("--help")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Использование: ekzamo-check ФАЙЛ..."), std::string::npos);
    EXPECT_NE(run.out.find("Код выхода"), std::string::npos);
    EXPECT_NE(run.out.find("больше " + std::to_string(MaxFileSize >> 20) + " МиБ"), std::string::npos);
}

TEST(CheckToolUsage, NoFileOrUnknownOptionExitsTwo)
{
    const Outcome none = Check({});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("не указан файл теста"), std::string::npos);
    const Outcome unknown = Check({QStringLiteral("--strict")});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("неизвестный ключ --strict"), std::string::npos);
    EXPECT_EQ(unknown.out, "");
}

} // namespace
