// SPDX-License-Identifier: MIT
#include "engine/Check.h"
#include "engine/Errors.h"
#include "engine/Mnemonic.h"
#include "engine/Ques.h"
#include "engine/TestFile.h"
#include "fuzz/LoadCheck.h"
#include "tests/TestUtil.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <random>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace {

// ---- Random tests -----------------------------------------------------------

// Texts a teacher writes: Russian words, '&' markers, quotes, braces, GIFT's
// and Aiken's special characters, tabs, and now and then a very long line.
class TRandomTest {
public:
    explicit TRandomTest(unsigned seed)
        : rng_(seed)
    {
    }

    std::string Text(bool nonBlank)
    {
        static const std::vector<std::string> pieces = {Cp("Сколько"), Cp("будет"), Cp("Ёжик"), Cp("«ёлка»"),
            Cp("щ"), "&", "&&", "\"", "'", "{", "}", "~", "=", "#", ":", "\\", "A)", "B.", "ANSWER:", "//",
            "::", "$CATEGORY", "2 + 2", " ", "\t", "Tom & Jerry", "&x", "<b>", "1"};
        std::string text;
        const int n = Pick(0, 8);
        for (int i = 0; i < n; ++i)
            text += pieces[std::size_t(Pick(0, int(pieces.size()) - 1))];
        if (Pick(0, 40) == 0)
            text += std::string(std::size_t(Pick(60000, 70000)), char(0xE0 + Pick(0, 31)));
        if (nonBlank)
            text += Cp("ж");
        return text;
    }

    // `clean`: what the checker finds nothing in; otherwise any group a file
    // can hold.
    std::vector<TTestItem> Items(bool clean)
    {
        std::vector<TTestItem> items(std::size_t(Pick(1, Pick(0, 3) == 0 ? 255 : 12)));
        for (TTestItem& item : items) {
            item.Text = Text(clean || Pick(0, 1) == 1);
            const int count = clean ? Pick(2, 5) : Pick(0, Pick(0, 5) == 0 ? 9 : 5);
            for (int i = 0; i < count; ++i)
                item.Options.push_back(Text(false));
            item.Correct = clean ? Pick(1, count) : Pick(0, count + 1);
        }
        return items;
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

private:
    std::mt19937 rng_;
};

std::string Describe(const TTestItem& item)
{
    std::string out = "«" + item.Text.substr(0, 60) + "» right " + std::to_string(item.Correct) + ":";
    for (const std::string& option : item.Options)
        out += " «" + option.substr(0, 30) + "»";
    return out;
}

class TestFileProperty : public ::testing::TestWithParam<unsigned> {
protected:
    void SetUp() override { ResetEngine(); }
    TempFolder tmp;
};

TEST_P(TestFileProperty, WrittenItemsReadBackTheSame)
{
    TRandomTest random(GetParam());
    const std::vector<TTestItem> items = random.Items(false);
    const TTestContent content = ReadTestContent(TestFileBytes(items));
    EXPECT_EQ(content.StopMessage, "");
    ASSERT_EQ(content.Items.size(), items.size());
    for (std::size_t k = 0; k < items.size(); ++k)
        EXPECT_EQ(content.Items[k], items[k]) << "question " << k + 1 << ": " << Describe(items[k]);
}

TEST_P(TestFileProperty, WrittenBytesLoadInTheProgramToTheSameQuestions)
{
    TRandomTest random(GetParam());
    const std::vector<TTestItem> items = random.Items(false);
    const TLoadOutcome load = LoadFresh(tmp.Write("t.txt", TestFileBytes(items)));
    ASSERT_EQ(load.Error, "");
    ASSERT_EQ(load.Loaded.size(), items.size());
    for (std::size_t k = 0; k < items.size(); ++k) {
        const TQuestion& q = *load.Loaded[k];
        const TTestItem& item = items[k];
        SCOPED_TRACE("question " + std::to_string(k + 1) + ": " + Describe(item));
        EXPECT_EQ(q.Text, item.Text);
        ASSERT_EQ(q.OptionCount, item.Options.size());
        const int n = q.OptionCount;
        const int shown = std::min(n, 5);
        std::vector<std::string> got(q.Options.begin() + 1, q.Options.begin() + 1 + shown);
        std::vector<std::string> written = item.Options;
        std::sort(got.begin(), got.end());
        std::sort(written.begin(), written.end());
        if (n <= 5)
            EXPECT_EQ(got, written);
        else
            EXPECT_TRUE(std::includes(written.begin(), written.end(), got.begin(), got.end()));
        if (item.Correct >= 1 && item.Correct <= n) {
            if (q.Correct <= 5) {
                EXPECT_EQ(q.Options[q.Correct], item.Options[std::size_t(item.Correct - 1)]);
            }
        } else {
            EXPECT_EQ(q.Correct, item.Correct);
        }
    }
}

TEST_P(TestFileProperty, CheckerFindsNothingInAWrittenCleanTest)
{
    TRandomTest random(GetParam());
    const std::vector<TTestItem> items = random.Items(true);
    const TCheckReport report = CheckTest(tmp.Write("t.txt", TestFileBytes(items)));
    EXPECT_EQ(report.Groups, items.size());
    for (const TCheckWarning& w : report.Warnings)
        ADD_FAILURE() << w.Line << ": " << w.Text;
}

INSTANTIATE_TEST_SUITE_P(RandomTests, TestFileProperty, ::testing::Range(1u, 41u));

TEST(TestFileWriter, WritesCrLfAfterEveryLineAndNothingAfterTheLast)
{
    const std::vector<TTestItem> items = {{Cp("Сколько будет 2 + 2?"), {"3", "4"}, 2}, {"Q", {}, 0}};
    EXPECT_EQ(TestFileBytes(items), Cp("Сколько будет 2 + 2?\r\n2\r\n2\r\n3\r\n4\r\nQ\r\n0\r\n0\r\n"));
    EXPECT_EQ(TestFileBytes({}), "");
}

// The editing tools' limit: every byte counts, each '&' of "&&" too; a UTF-8
// line counts its characters.
TEST(TestFileLineLimit, BytesAsTheFileHoldsThemOrUtf8Characters)
{
    const std::string cyrillic = QString(qsizetype(LineLimit), QChar(0x0416)).toStdString(); // 2 bytes each
    const struct {
        std::string line;
        bool utf8;
        bool tooLong;
    } cases[] = {
        {std::string(LineLimit, '&'), false, false},
        {std::string(LineLimit + 1, '&'), false, true},
        {cyrillic, false, true},
        {cyrillic, true, false},
        {cyrillic + "x", true, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LineTooLong(c.line, c.utf8), c.tooLong) << c.line.size() << " bytes, utf8 " << c.utf8;
    EXPECT_EQ(LineLength("\xF0\x9F\x98\x80!", true), 2u);
    const std::vector<TTestItem> items = {{"Q", {"A", "B"}, 1}, {"Q", {"A", std::string(LineLimit + 1, 'b')}, 1}};
    EXPECT_EQ(FirstTooLong(items), 2u);
    EXPECT_EQ(FirstTooLong({items[0]}), 0u);
}

TEST(TestFileWriter, RefusesWhatAFileCannotHold)
{
    const std::vector<std::pair<TTestItem, const char*>> cases = {
        {{"two\nlines", {"A", "B"}, 1}, TestFileMsg::LineBreak},
        {{"Q", {"A", "carriage\rreturn"}, 1}, TestFileMsg::LineBreak},
        {{"Q", {"ctrl-z\x1a"}, 1}, TestFileMsg::LineBreak},
        {{"Q", std::vector<std::string>(256, "A"), 1}, TestFileMsg::TooManyOptions},
        {{"Q", {"A", "B"}, 256}, TestFileMsg::CorrectOutOfRange},
        {{"Q", {"A", "B"}, -1}, TestFileMsg::CorrectOutOfRange},
    };
    for (const auto& [item, message] : cases) {
        const std::string fixed = std::string(message).substr(std::string(message).find(':'));
        try {
            TestFileBytes({{"fine", {"A", "B"}, 1}, item});
            ADD_FAILURE() << "accepted " << Describe(item);
        } catch (const EError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("вопрос 2:", 0), 0u) << e.what();
            EXPECT_NE(std::string(e.what()).find(fixed.substr(0, fixed.find('%'))), std::string::npos) << e.what();
        }
    }
}

// ---- Reading as the program reads -------------------------------------------

struct ReadCase {
    const char* rule;
    std::string bytes;
    std::vector<TTestItem> items;
    std::string stop;
    std::size_t stopLine;
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.rule; }

class TestFileReading : public ::testing::TestWithParam<ReadCase> {};

TEST_P(TestFileReading, FollowsTheProgramsReader)
{
    const ReadCase& c = GetParam();
    const TTestContent content = ReadTestContent(c.bytes);
    EXPECT_EQ(content.StopMessage, c.stop);
    EXPECT_EQ(content.StopLine, c.stopLine);
    ASSERT_EQ(content.Items.size(), c.items.size());
    for (std::size_t k = 0; k < c.items.size(); ++k)
        EXPECT_EQ(content.Items[k], c.items[k]) << "question " << k + 1 << ": " << Describe(content.Items[k]);
}

INSTANTIATE_TEST_SUITE_P(Rules, TestFileReading, ::testing::Values(
    ReadCase{"FileOrderAndRightNumberUnshuffled", "Q1\r\n3\r\n3\r\nA\r\nB\r\nC\r\nQ2\n2\n1\nD\nE",
        {{"Q1", {"A", "B", "C"}, 3}, {"Q2", {"D", "E"}, 1}}, "", 0},
    ReadCase{"EveryOptionKeptPastTheFifth", "Q\n7\n6\n1\n2\n3\n4\n5\n6\n7\n",
        {{"Q", {"1", "2", "3", "4", "5", "6", "7"}, 6}}, "", 0},
    ReadCase{"CountAndRightNumberModulo256", "Q\n258\n-255\nA\nB\n", {{"Q", {"A", "B"}, 1}}, "", 0},
    ReadCase{"BlankLinesBeforeNumbersSkipped", "Q\n\n 2 words\n\n1\nA\nB\n", {{"Q", {"A", "B"}, 1}}, "", 0},
    ReadCase{"TrailingEmptyLineIsAnEmptyQuestion", "Q\n1\n1\nA\n\n", {{"Q", {"A"}, 1}, {"", {}, 0}}, "", 0},
    ReadCase{"CutShortGroupCompletedEmpty", "Q\n3\n2\nA\n", {{"Q", {"A", "", ""}, 2}}, "", 0},
    ReadCase{"CtrlZEndsTheFile", "Q\n1\n1\nA\n\x1aQ2\n", {{"Q", {"A"}, 1}}, "", 0},
    ReadCase{"CtrlZCutsALine", "Q\x1a rest\n1\n1\nA\n", {{"Q", {"A"}, 1}}, "", 0},
    ReadCase{"StopsAtABadCountKeepingWhatCameBefore", "Q1\n2\n1\nA\nB\n\nQ2\n2\n1\nA\nB\n",
        {{"Q1", {"A", "B"}, 1}}, "Invalid numeric input", 7},
    ReadCase{"StopsAtABadRightNumber", "Q\n2\n\n3.0\nA\nB\n", {}, "Invalid numeric input", 4}),
    [](const auto& info) { return std::string(info.param.rule); });

TEST(TestFileReadingLines, EachItemNamesItsWordingLine)
{
    // Blank lines before a number and a long line do not throw the count off.
    const std::string bytes = "Q1\r\n\r\n\r\n2\r\n1\r\nA\r\n" + std::string(100000, 'b') + "\r\nQ2\n1\n1\nA\n\n";
    EXPECT_EQ(ReadTestContent(bytes).Lines, (std::vector<std::size_t>{1, 8, 12}));
}

TEST(TestFileReadingLines, WhereTheLoadStopsTheUnreadPartStartsWithItsGroup)
{
    const std::string stops = "Q1\n2\n1\nA\nB\n\nQ2\n2\n1\nA\nB\n";
    EXPECT_EQ(ReadTestContent(stops).UnreadLine, 6u);
    EXPECT_EQ(ReadTestContent("Q\n\n\n2\nx\nA\nB\n").UnreadLine, 1u);
    EXPECT_EQ(ReadTestContent("Q1\n2\n1\nA\nB\n").UnreadLine, 0u);
}

TEST(TestFileReadingLimits, MoreThan255QuestionsAreAllReadAndTheStopNamed)
{
    std::string bytes;
    for (int k = 1; k <= 257; ++k)
        bytes.append("Q").append(std::to_string(k)).append("\n1\n1\nA\n");
    const TTestContent content = ReadTestContent(bytes);
    ASSERT_EQ(content.Items.size(), 257u);
    EXPECT_EQ(content.Items[256].Text, "Q257");
    EXPECT_EQ(content.StopMessage, Msg::TooManyQuestions);
    EXPECT_EQ(content.StopLine, 255u * 4 + 1);
    EXPECT_EQ(content.UnreadLine, 0u) << "all of it is read";
}

TEST(TestFileReadingLimits, ExactlyTheProgramsLimitIsNoStop)
{
    std::string bytes;
    for (int k = 1; k <= 255; ++k)
        bytes += "Q\n1\n1\nA\n";
    const TTestContent content = ReadTestContent(bytes);
    EXPECT_EQ(content.Items.size(), 255u);
    EXPECT_EQ(content.StopMessage, "");
}

class TestFileDisk : public ::testing::Test {
protected:
    TempFolder tmp;
};

TEST_F(TestFileDisk, LoadReadsTheFileAndFailsAsTheProgramDoes)
{
    const TTestContent content = LoadTestContent(tmp.Write("t.txt", "Q\n2\n2\nA\nB\n"));
    ASSERT_EQ(content.Items.size(), 1u);
    EXPECT_EQ(content.Items[0], (TTestItem{"Q", {"A", "B"}, 2}));
    const std::vector<std::pair<std::string, std::string>> failures = {
        {tmp.Path("missing.txt"), Msg::FileNotFound},
        {tmp.Path("no/such.txt"), Msg::InvalidFilename},
        {tmp.Path(""), Msg::AccessDenied},
    };
    for (const auto& [path, message] : failures) {
        try {
            LoadTestContent(path);
            ADD_FAILURE() << path << " loaded";
        } catch (const EError& e) {
            EXPECT_EQ(std::string(e.what()), message) << path;
        }
    }
}

// ---- Saving -----------------------------------------------------------------

const std::vector<TTestItem> Sample = {{Cp("Столица Франции?"), {Cp("Париж"), Cp("Рим")}, 1}};

std::string SaveError(const std::string& path, const std::vector<TTestItem>& items = Sample)
{
    try {
        SaveTestFile(path, items);
    } catch (const EError& e) {
        return e.what();
    }
    return "(saved)";
}

TEST_F(TestFileDisk, SaveWritesTheBytesAndReplacesTheOldFile)
{
    const std::string path = tmp.Write("t.txt", "old");
    SaveTestFile(path, Sample);
    EXPECT_EQ(ReadBytes(path), TestFileBytes(Sample));
    EXPECT_EQ(QDir(QString::fromStdString(tmp.Path(""))).entryList(QDir::Files), QStringList{"t.txt"});
}

TEST_F(TestFileDisk, FailedSaveSaysWhyAndLeavesNoFile)
{
    const std::string file = tmp.Write("file.txt", "x");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {tmp.Path(""), "Не удалось сохранить файл «" + tmp.Path("") + "»: это папка"},
        {tmp.Path("missing/t.txt"), "Не удалось сохранить файл «" + tmp.Path("missing/t.txt") + "»: папки «"
            + tmp.Path("missing") + "» нет"},
        {tmp.Path("file.txt/t.txt"), "Не удалось сохранить файл «" + tmp.Path("file.txt/t.txt") + "»: папки «"
            + tmp.Path("file.txt") + "» нет"},
    };
    for (const auto& [path, message] : cases)
        EXPECT_EQ(SaveError(path), message);
    EXPECT_EQ(ReadBytes(file), "x");
    EXPECT_EQ(QDir(QString::fromStdString(tmp.Path(""))).entryList(QDir::Files), QStringList{"file.txt"});
}

TEST_F(TestFileDisk, FailedWriteKeepsTheOldFileWhole)
{
    // A file size limit makes the write fail part way, even for root.
    const std::string path = tmp.Write("t.txt", "old test");
    std::vector<TTestItem> big = Sample;
    big[0].Text = std::string(1 << 20, 'w');
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::string error = SaveError(path, big);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error.rfind("Не удалось сохранить файл «" + path + "»: ", 0), 0u) << error;
    EXPECT_EQ(ReadBytes(path), "old test");
    EXPECT_EQ(QDir(QString::fromStdString(tmp.Path(""))).entryList(QDir::Files), QStringList{"t.txt"});
}

TEST_F(TestFileDisk, SaveIntoAReadOnlyFolderKeepsTheOldFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    const std::string path = tmp.Write("t.txt", "old test");
    QFile::setPermissions(QString::fromStdString(tmp.Path("")), QFile::ReadOwner | QFile::ExeOwner);
    const std::string error = SaveError(path);
    QFile::setPermissions(QString::fromStdString(tmp.Path("")),
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    std::string folder = tmp.Path("");
    folder.pop_back();
    EXPECT_EQ(error, "Не удалось сохранить файл «" + path + "»: нет права записи в папку «" + folder + "»");
    EXPECT_EQ(ReadBytes(path), "old test");
}

// ---- Accelerator markers ----------------------------------------------------

TEST(Mnemonic, ShownTextIsWrittenWithDoubledMarkers)
{
    EXPECT_EQ(MarkedFromShown("Tom & Jerry"), "Tom && Jerry");
    EXPECT_EQ(MarkedFromShown("&&"), "&&&&");
    EXPECT_EQ(MarkedFromShown(QStringView(u"Том & Джерри")), QStringLiteral("Том && Джерри"));
}

TEST(Mnemonic, MarkedTextIsShownWithLoneMarkersDropped)
{
    struct Case {
        const char* marked;
        const char* shown;
        bool dropped;
    };
    for (const Case& c : {Case{"Tom && Jerry", "Tom & Jerry", false}, Case{"&Yes", "Yes", true},
             Case{"end&", "end", true}, Case{"&&&x", "&x", true}, Case{"", "", false}}) {
        bool dropped = !c.dropped;
        EXPECT_EQ(ShownFromMarked(std::string_view(c.marked), &dropped), c.shown) << c.marked;
        EXPECT_EQ(dropped, c.dropped) << c.marked;
        EXPECT_EQ(ShownFromMarked(QString::fromUtf8(c.marked)), QString::fromUtf8(c.shown)) << c.marked;
    }
}

TEST(Mnemonic, ShownTextSurvivesTheRoundTrip)
{
    TRandomTest random(7);
    for (int k = 0; k < 200; ++k) {
        const std::string shown = random.Text(false);
        bool dropped = true;
        EXPECT_EQ(ShownFromMarked(MarkedFromShown(shown), &dropped), shown);
        EXPECT_FALSE(dropped);
    }
}

} // namespace
