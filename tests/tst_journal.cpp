// SPDX-License-Identifier: MIT
// The journal from files on disk: how students and tests are named from the
// two layouts, which files go together and which are left out, and the
// per-question tallies and flags worked out by hand.
#include "journal/Journal.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ScoreBytes(int right, int count)
{
    return Cp("Вы ответили правильно на ") + std::to_string(right) + Cp(" вопрос(-а/-ов) из ")
        + std::to_string(count) + "\r\n";
}

struct B {
    std::string Text;
    std::vector<std::string> Options;
    int Given;
    int Correct;
};

// A results file as the program writes it; the score line counts the blocks
// unless `right` says otherwise.
std::string Results(const std::vector<B>& blocks, int right = -1)
{
    std::string body;
    int counted = 0;
    for (const B& b : blocks) {
        counted += b.Given == b.Correct;
        body += std::string(63, '=') + "\r\n" + Cp("Вопрос:\r\n") + Cp(b.Text.c_str()) + "\r\n"
            + Cp("Варианты ответов:\r\n");
        for (std::size_t i = 0; i < b.Options.size(); ++i)
            body += std::to_string(i + 1) + ". " + Cp(b.Options[i].c_str()) + "\r\n";
        body += Cp("Ваш ответ: ") + std::to_string(b.Given) + "\r\n" + Cp("Правильный ответ: ")
            + std::to_string(b.Correct) + "\r\n";
    }
    return ScoreBytes(right < 0 ? counted : right, int(blocks.size())) + body;
}

class JournalFiles : public ::testing::Test {
protected:
    std::string Put(const std::string& relative, const std::string& bytes)
    {
        const std::filesystem::path path(tmp.Path(relative));
        std::filesystem::create_directories(path.parent_path());
        return tmp.Write(relative, bytes);
    }
    TJournal Build(std::vector<std::string> paths = {})
    {
        if (paths.empty())
            paths.push_back(tmp.Path(""));
        return BuildJournal(paths, ParseScale(DefaultScale));
    }
    static const TTestResult& Test(const TJournal& j, const QString& name)
    {
        for (const TTestResult& t : j.Tests)
            if (t.Name == name)
                return t;
        throw std::runtime_error("no test " + name.toStdString());
    }
    static QStringList Students(const TTestResult& t)
    {
        QStringList names;
        for (const TStudentResult& s : t.Students)
            names << s.Name;
        return names;
    }

    TempFolder tmp;
};

const std::vector<B> TwoRight = {{"Q1", {"a", "b"}, 1, 1}, {"Q2", {"a", "b"}, 2, 2}};

// ---- Layouts -------------------------------------------------------------

TEST_F(JournalFiles, FolderPerStudentWhenFileNamesRepeat)
{
    Put("9А/Иванов/алгебра.out", Results(TwoRight));
    Put("9А/Петров/алгебра.out", Results(TwoRight));
    Put("9А/Петров/geometry.out", ScoreBytes(1, 3));
    Put("9А/Сидоров/geometry.out", ScoreBytes(2, 3));
    const TJournal j = Build();
    ASSERT_EQ(j.Tests.size(), 2u);
    EXPECT_EQ(Students(Test(j, "алгебра")), QStringList({"Иванов", "Петров"}));
    EXPECT_EQ(Students(Test(j, "geometry")), QStringList({"Петров", "Сидоров"}));
    EXPECT_TRUE(j.Warnings.empty());
}

TEST_F(JournalFiles, FolderPerTestWhenFileNamesAreUnique)
{
    Put("алгебра/Иванов.out", Results(TwoRight));
    Put("алгебра/Петров.out", Results(TwoRight));
    Put("алгебра/notes.txt", "not results");
    const TJournal j = Build();
    ASSERT_EQ(j.Tests.size(), 1u);
    EXPECT_EQ(j.Tests[0].Name, "алгебра");
    EXPECT_EQ(Students(j.Tests[0]), QStringList({"Иванов", "Петров"}));
    EXPECT_EQ(j.Files, 2u);
}

TEST_F(JournalFiles, SameFileTwiceIsReadOnce)
{
    const std::string file = Put("t/a.out", Results(TwoRight));
    const TJournal j = Build({tmp.Path("t"), file, tmp.Path("t/../t/a.out")});
    EXPECT_EQ(j.Files, 1u);
    EXPECT_EQ(j.Used, 1u);
}

// A student's folder that is a link is read under its own name; a link
// that cannot be followed, or leads to a folder read already (a loop back
// up, a second name), is named; no folder is read twice.
TEST_F(JournalFiles, LinkedFoldersAreFollowedOnceAndNamedWhenNot)
{
    Put("9А/Иванов/алгебра.out", Results(TwoRight));
    Put("9А/Петров/алгебра.out", Results(TwoRight));
    Put("share/Смирнов/алгебра.out", Results(TwoRight));
    const auto link = [&](const std::string& target, const std::string& name) {
        EXPECT_EQ(::symlink(target.c_str(), tmp.Path(name).c_str()), 0) << name;
        return tmp.Path(name);
    };
    link(tmp.Path("share/Смирнов"), "9А/Смирнов");
    const std::string loop = link("..", "9А/Иванов/назад");
    const std::string second = link("Петров", "9А/Дубль");
    const std::string dangling = link(tmp.Path("unmounted/Кузнецов"), "9А/Кузнецов");
    // Up above the class: what is under it is read once, the class not again.
    link(tmp.Path(""), "9А/Петров/наверх");
    const TJournal j = Build({tmp.Path("9А")});
    ASSERT_EQ(j.Tests.size(), 1u);
    EXPECT_EQ(Students(j.Tests[0]), QStringList({"Иванов", "Петров", "Смирнов"}));
    std::vector<std::string> warnings;
    for (const TWarning& w : j.Warnings)
        warnings.push_back(WarningLine(w));
    EXPECT_EQ(warnings, (std::vector<std::string>{
        dangling + ": ссылка не открывается: нет такого файла или папки",
        second + ": ссылка на папку, которая уже прочитана (" + tmp.Path("9А/Петров") + "): пропущена",
        loop + ": ссылка на папку, которая уже прочитана (" + tmp.Path("9А") + "): пропущена"}));
}

// Why a file or folder could not be read is said in Russian.
TEST_F(JournalFiles, ReasonsInTheTeachersLanguage)
{
    Put("t/a.out", Results(TwoRight));
    const std::string loop = tmp.Path("t/loop.out");
    ASSERT_EQ(::symlink("loop.out", loop.c_str()), 0);
    const std::string tooLong = tmp.Path(std::string(300, 'x'));
    const TJournal j = Build({tmp.Path("t"), tooLong});
    std::vector<std::string> warnings;
    for (const TWarning& w : j.Warnings)
        warnings.push_back(WarningLine(w));
    EXPECT_EQ(warnings, (std::vector<std::string>{
        tooLong + ": слишком длинное имя файла или пути",
        loop + ": символические ссылки замкнуты в круг или их слишком много"}));
}

// ---- What goes together --------------------------------------------------

TEST_F(JournalFiles, FileOfAnotherVersionIsGradedOnTheQuestionsThatMatch)
{
    Put("t/a.out", Results(TwoRight));
    Put("t/b.out", Results({{"Q2", {"b", "a"}, 1, 2}, {"Q1", {"a", "b"}, 1, 1}})); // same set, other order
    const std::string other = Put("t/c.out", Results({{"Q1", {"a", "b"}, 1, 1}, {"Q3", {"a", "b"}, 1, 1}}));
    const std::string plainOther = Put("t/d.out", ScoreBytes(1, 3));
    Put("t/e.out", ScoreBytes(1, 2));
    const TJournal j = Build();
    ASSERT_EQ(j.Tests.size(), 1u);
    EXPECT_EQ(Students(j.Tests[0]), QStringList({"a", "b", "c", "e"}));
    ASSERT_EQ(j.Warnings.size(), 1u);
    EXPECT_EQ(j.Warnings[0].Path, plainOther);
    EXPECT_EQ(WarningLine(j.Warnings[0]).substr(plainOther.size()), ":1: вопросов 3, а в остальных файлах этого теста — 2 (4 файла): файл не учтён");
    const TAttemptResult& c = j.Tests[0].Students[2].CountedAttempt();
    EXPECT_EQ(c.Path, "t/c.out");
    EXPECT_EQ(c.Flags, unsigned(VersionMismatch));
    EXPECT_EQ(c.Unmatched, std::vector<QString>({"Q3"}));
    EXPECT_EQ(c.Questions, 1u) << "graded on the question both versions share";
    EXPECT_EQ(c.Grade, "5");
    EXPECT_EQ(j.Tests[0].Marks.Students, 3u) << "score-only files feed no question figures";
    EXPECT_EQ(j.Tests[0].Score.Attempts, 4u);
}

// A test may repeat a question: its files go together only with the same
// wordings as many times each, whatever the order.
TEST_F(JournalFiles, RepeatedWordingCountsAsOftenAsItIsShown)
{
    Put("t/a.out", Results({{"Q1", {"a", "b"}, 1, 1}, {"Q1", {"a", "b"}, 2, 1}, {"Q2", {"a", "b"}, 1, 1}}));
    Put("t/b.out", Results({{"Q2", {"b", "a"}, 1, 2}, {"Q1", {"b", "a"}, 1, 2}, {"Q1", {"a", "b"}, 1, 1}}));
    const std::string other = Put("t/c.out", Results({{"Q1", {"a", "b"}, 1, 1}, {"Q2", {"a", "b"}, 1, 1},
        {"Q2", {"a", "b"}, 1, 1}}));
    const TJournal j = Build();
    ASSERT_EQ(j.Tests.size(), 1u);
    EXPECT_EQ(Students(j.Tests[0]), QStringList({"a", "b", "c"}));
    EXPECT_EQ(j.Tests[0].Students[2].CountedAttempt().Flags, unsigned(VersionMismatch)) << other;
    const TTestResult& t = j.Tests[0];
    ASSERT_EQ(t.Items.size(), 3u);
    // The first Q1 each file shows is the first Q1 item, the second the second.
    std::vector<std::size_t> q1;
    for (std::size_t i = 0; i < t.Items.size(); ++i)
        if (t.Items[i].Text == "Q1")
            q1.push_back(i);
    ASSERT_EQ(q1.size(), 2u);
    EXPECT_EQ(t.Marks.At(0, q1[0]), 1);
    EXPECT_EQ(t.Marks.At(0, q1[1]), 0);
    EXPECT_EQ(t.Marks.At(1, q1[0]), 0);
    EXPECT_EQ(t.Marks.At(1, q1[1]), 1);
}

TEST_F(JournalFiles, BrokenFilesReportedWithPathAndLine)
{
    Put("t/good.out", Results(TwoRight));
    const std::string edited = Put("t/edited.out", Results(TwoRight, 1));
    const std::string binary = Put("t/binary.out", std::string("\x89PNG\r\n\x1a\n\0\0", 10) + std::string(300, '\xff'));
    const std::string empty = Put("t/empty.out", ScoreBytes(0, 0));
    const TJournal j = Build();
    EXPECT_EQ(j.Used, 1u);
    ASSERT_EQ(j.Warnings.size(), 3u);
    EXPECT_EQ(WarningLine(j.Warnings[0]), binary + ":1: первая строка — не строка результата Ekzamo "
                                                   "(«Вы ответили правильно на N вопрос(-а/-ов) из M»): это не файл результатов");
    EXPECT_EQ(WarningLine(j.Warnings[1]), edited + ":1: в строке результата правильных ответов 1, а по ответам в "
                                                   "файле — 2: строку результата изменили");
    EXPECT_EQ(WarningLine(j.Warnings[2]), empty + ":1: в тесте не было вопросов: результат не учтён");
}

TEST_F(JournalFiles, MissingPathAndUnreadableFolderAreReported)
{
    Put("t/a.out", Results(TwoRight));
    const std::string locked = tmp.Path("t/locked");
    std::filesystem::create_directories(locked);
    Put("t/locked/b.out", Results(TwoRight));
    ::chmod(locked.c_str(), 0);
    const TJournal j = Build({tmp.Path("t"), tmp.Path("nowhere")});
    ::chmod(locked.c_str(), 0755);
    ASSERT_FALSE(j.Warnings.empty());
    EXPECT_EQ(WarningLine(j.Warnings.back()), tmp.Path("nowhere") + ": нет такого файла или папки");
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads any folder";
    ASSERT_EQ(j.Warnings.size(), 2u);
    EXPECT_EQ(j.Warnings[0].Path, locked);
    EXPECT_EQ(j.Used, 1u);
}

// ---- Tallies and flags, by hand --------------------------------------------

TEST_F(JournalFiles, OptionsCountedByTextSkipsAndHiddenRightOption)
{
    // Q1's options are shuffled differently for each student; "4" is right.
    // Q2 has seven options; for Петров its right option drew place 6.
    Put("t/Иванов.out", Results({{"Q1", {"4", "5", "3"}, 1, 1}, {"Q2", {"a", "b", "c", "d", "e"}, 2, 2}}));
    Put("t/Петров.out", Results({{"Q2", {"a", "c", "d", "e", "f"}, 1, 6}, {"Q1", {"5", "3", "4"}, 1, 3}}));
    Put("t/Сидоров.out", Results({{"Q1", {"3", "4", "5"}, 0, 2}, {"Q2", {"g", "b", "a", "c", "d"}, 1, 2}}));
    const TJournal j = Build();
    ASSERT_EQ(j.Tests.size(), 1u);
    const TTestResult& t = j.Tests[0];
    ASSERT_EQ(t.Items.size(), 2u);
    const TQuestionResult& q1 = t.Items[0];
    EXPECT_EQ(q1.Text, "Q1");
    EXPECT_EQ(q1.Skipped, 1u);
    std::map<std::string, std::pair<unsigned, bool>> tally;
    for (const TOptionTally& o : q1.Options)
        tally[o.Text] = {o.Chosen, o.Right};
    EXPECT_EQ(tally, (std::map<std::string, std::pair<unsigned, bool>>{{"3", {0, false}}, {"4", {1, true}}, {"5", {1, false}}}));
    EXPECT_EQ(q1.RightNotShown, 0u);
    ASSERT_TRUE(q1.Figures.Facility.has_value());
    EXPECT_NEAR(*q1.Figures.Facility, 100.0 / 3, 1e-9);

    const TQuestionResult& q2 = t.Items[1];
    EXPECT_EQ(q2.RightNotShown, 1u);
    EXPECT_TRUE(q2.Flags & RightNotShown);
    EXPECT_EQ(q2.Options.size(), 7u) << "every text shown to anyone";
    unsigned chosen = 0;
    for (const TOptionTally& o : q2.Options) {
        chosen += o.Chosen;
        EXPECT_EQ(o.Right, o.Text == "b") << o.Text;
    }
    EXPECT_EQ(chosen, 3u);
}

// Files written to mislead can bring any number of option texts: each is
// still counted once, in the order first met.
TEST_F(JournalFiles, ManyOptionTextsEachCountedOnce)
{
    const int files = 40;
    for (int k = 0; k < files; ++k) {
        const std::string o = "o" + std::to_string(k);
        Put("t/s" + std::to_string(100 + k) + ".out",
            Results({{"Q", {o, "o" + std::to_string(k + 1), "o" + std::to_string(k + 2), "o0"}, 1, 2}}));
    }
    const TJournal j = Build();
    ASSERT_EQ(j.Tests.size(), 1u);
    const std::vector<TOptionTally>& options = j.Tests[0].Items[0].Options;
    ASSERT_EQ(options.size(), std::size_t(files + 2));
    for (int k = 0; k < files + 2; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(options[k].Text, "o" + std::to_string(k));
        EXPECT_EQ(options[k].Chosen, k < files ? 1u : 0u);
        // One right option: what most files call right, the first met on a tie.
        EXPECT_EQ(options[k].Right, k == 1);
    }
}

TEST_F(JournalFiles, WrongKeyWhenTheStrongerHalfPrefersAWrongOption)
{
    // Totals 3, 3, 1, 1: the two with 3 are above the median (2) and both
    // chose "wrong" for K, whose key says "key".
    const std::vector<std::string> kOptions = {"key", "wrong"};
    auto file = [&](int kGiven, int others) {
        std::vector<B> blocks = {{"K", kOptions, kGiven, 1}};
        for (int q = 0; q < 3; ++q)
            blocks.push_back({"Q" + std::to_string(q), {"x", "y"}, q < others ? 1 : 2, 1});
        return Results(blocks);
    };
    Put("t/a.out", file(2, 3));
    Put("t/b.out", file(2, 3));
    Put("t/c.out", file(1, 0));
    Put("t/d.out", file(2, 1));
    const TJournal j = Build();
    const TTestResult& t = j.Tests[0];
    ASSERT_EQ(t.Items[0].Text, "K");
    EXPECT_TRUE(t.Items[0].Flags & WrongKeyLikely);
    EXPECT_TRUE(t.Items[0].Flags & NegativeDiscrimination);
    for (std::size_t i = 1; i < t.Items.size(); ++i)
        EXPECT_FALSE(t.Items[i].Flags & WrongKeyLikely) << t.Items[i].Text;
    // The three others: facility 50, 50, 50; a skip nowhere.
    EXPECT_EQ(t.Items[1].Skipped, 0u);
}

// ---- Grades -----------------------------------------------------------------

TEST(Scale, GradeStartsAtItsPercent)
{
    const TScale scale = ParseScale(DefaultScale);
    EXPECT_EQ(scale.Grade(100), "5");
    EXPECT_EQ(scale.Grade(100.0 * 17 / 20), "5");
    EXPECT_EQ(scale.Grade(84.99), "4");
    EXPECT_EQ(scale.Grade(70), "4");
    EXPECT_EQ(scale.Grade(50), "3");
    EXPECT_EQ(scale.Grade(49.9), "2");
    EXPECT_EQ(scale.Grade(0), "2");
    const TScale custom = ParseScale("отлично:90, хорошо:75.5, зачёт:60, незачёт");
    EXPECT_EQ(custom.Grade(75.5), "хорошо");
    EXPECT_EQ(custom.Grade(10), "незачёт");
}

TEST(Scale, BadScalesRefused)
{
    for (const char* bad : {"", "5", "5:85,4:90", "5:85,4:85", "5:x", "5:101", ":50", "5:85,,3:50", "5:nan",
             "5:85,4:nan", "5:inf", "5:-1"})
        EXPECT_THROW(ParseScale(bad), std::exception) << bad;
}

} // namespace

// ---- The class journal ----------------------------------------------------

TAttemptFile Stored(const char* student, const char* test, const std::string& bytes, int minute, bool replaced = false)
{
    TAttemptFile a;
    a.Student = QString::fromUtf8(student);
    a.Test = QString::fromUtf8(test);
    a.Path = std::string(student) + "/" + test + ".out";
    a.Content = bytes;
    a.Written = QDateTime(QDate(2026, 9, 1), QTime(9, minute));
    a.Collected = a.Written.addSecs(3600);
    if (replaced)
        a.Replaced = a.Written.addSecs(-60);
    return a;
}

const TStudentResult& Of(const TJournal& j, const char* test, const char* student)
{
    for (const TTestResult& t : j.Tests)
        if (t.Name == QString::fromUtf8(test))
            for (const TStudentResult& s : t.Students)
                if (s.Name == QString::fromUtf8(student))
                    return s;
    throw std::runtime_error(std::string("no ") + student + " in " + test);
}

TJournalOptions Options(std::vector<TKey> keys = {}, TAttemptChoice choice = TAttemptChoice::First)
{
    TJournalOptions o;
    o.Scale = ParseScale(DefaultScale);
    o.Keys = std::move(keys);
    o.Choice = choice;
    return o;
}

// The key: Q1 right "b", Q2 right "d", Q3 right "e"; files show options in
// any order.
const TKey Key = {"t", "t.txt", {{"Q1", {"a", "b"}, 2}, {"Q2", {"c", "d"}, 2}, {"Q3", {"e", "f"}, 1}}};

TEST(ClassJournal, ResultsAreNumberedAndGradedByTheKey)
{
    struct Case {
        const char* Name;
        std::vector<B> Blocks;
        unsigned Right, Questions, Answered, Flags;
        std::vector<unsigned> Mismatched;
    };
    const std::vector<Case> cases = {
        {"as the key", {{"Q3", {"f", "e"}, 2, 2}, {"Q1", {"b", "a"}, 1, 1}, {"Q2", {"c", "d"}, 2, 2}}, 3, 3, 3, 0, {}},
        // The file calls "a" right in Q1 and "c" in Q2, as an edit would.
        {"edited key lines", {{"Q1", {"a", "b"}, 1, 1}, {"Q2", {"c", "d"}, 1, 1}, {"Q3", {"e", "f"}, 1, 1}}, 1, 3, 3,
            KeyMismatch, {1, 2}},
        {"unfinished", {{"Q1", {"a", "b"}, 2, 2}, {"Q2", {"c", "d"}, 0, 2}, {"Q3", {"e", "f"}, 0, 1}}, 1, 3, 1, Unfinished, {}},
        // One wording changed by a space: graded on the two that match.
        {"other version", {{"Q1", {"a", "b"}, 2, 2}, {"Q2 ", {"c", "d"}, 2, 2}, {"Q3", {"e", "f"}, 1, 1}}, 2, 2, 3,
            VersionMismatch, {}},
    };
    std::vector<TAttemptFile> files;
    for (const Case& c : cases)
        files.push_back(Stored(c.Name, "t", Results(c.Blocks), 0));
    const TJournal j = BuildJournal(files, Options({Key}));
    ASSERT_EQ(j.Tests.size(), 1u);
    const TTestResult& t = j.Tests[0];
    ASSERT_EQ(t.Items.size(), 3u);
    for (unsigned k = 0; k < 3; ++k) {
        EXPECT_EQ(t.Items[k].Number, k + 1);
        EXPECT_EQ(t.Items[k].Text, "Q" + std::to_string(k + 1));
        // One right option each, the key's, listed in the key's order.
        ASSERT_GE(t.Items[k].Options.size(), 2u);
        EXPECT_EQ(t.Items[k].Options[0].Text, Key.Items[k].Options[0]);
        unsigned rights = 0;
        for (const TOptionTally& o : t.Items[k].Options)
            rights += o.Right;
        EXPECT_EQ(rights, 1u) << k;
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        const TAttemptResult& a = Of(j, "t", c.Name).CountedAttempt();
        EXPECT_EQ(a.Right, c.Right);
        EXPECT_EQ(a.Questions, c.Questions);
        EXPECT_EQ(a.Answered, c.Answered);
        EXPECT_EQ(a.Flags, c.Flags);
        EXPECT_EQ(a.Mismatched, c.Mismatched);
    }
    EXPECT_EQ(Of(j, "t", "other version").CountedAttempt().Unmatched, std::vector<QString>({"Q2 "}));
}

// Without a key the files agree among themselves: the right option most of
// them name, the order they most often show.
TEST(ClassJournal, WithoutAKeyTheFilesMajorityIsTheKey)
{
    const std::vector<B> usual = {{"Q1", {"a", "b"}, 2, 2}, {"Q2", {"c", "d"}, 2, 2}};
    const std::vector<TAttemptFile> files = {
        Stored("Петров", "t", Results({{"Q2", {"c", "d"}, 2, 2}, {"Q1", {"a", "b"}, 2, 2}}), 0),
        Stored("Иванов", "t", Results(usual), 0),
        Stored("Сидоров", "t", Results(usual), 0),
        Stored("Орлов", "t", Results({{"Q1", {"a", "b"}, 1, 1}, {"Q2", {"c", "d"}, 2, 2}}), 0),
    };
    const TJournal j = BuildJournal(files, Options());
    const TTestResult& t = j.Tests[0];
    ASSERT_EQ(t.Items.size(), 2u);
    EXPECT_EQ(t.Items[0].Text, "Q1") << "the first file's order does not decide";
    EXPECT_EQ(t.Items[0].Number, 0u);
    const TAttemptResult& edited = Of(j, "t", "Орлов").CountedAttempt();
    EXPECT_EQ(edited.Flags, unsigned(KeyMismatch));
    EXPECT_EQ(edited.Mismatched, std::vector<unsigned>({1}));
    EXPECT_EQ(edited.Right, 1u);
}

TEST(ClassJournal, TheAttemptThatCountsIsChosen)
{
    // Written at 9:00 (2 of 3), 9:10 (3 of 3), 9:20 (1 of 3), the last one
    // an edit of the collected file.
    const std::vector<TAttemptFile> files = {
        Stored("Иванов", "t", Results({{"Q1", {"a", "b"}, 2, 2}, {"Q2", {"c", "d"}, 2, 2}, {"Q3", {"e", "f"}, 2, 1}}), 0),
        Stored("Иванов", "t", Results({{"Q1", {"a", "b"}, 1, 1}, {"Q2", {"c", "d"}, 1, 1}, {"Q3", {"e", "f"}, 1, 1}}), 20, true),
        Stored("Иванов", "t", Results({{"Q1", {"a", "b"}, 2, 2}, {"Q2", {"c", "d"}, 2, 2}, {"Q3", {"e", "f"}, 1, 1}}), 10),
    };
    const std::vector<std::pair<TAttemptChoice, std::size_t>> cases = {
        {TAttemptChoice::First, 0}, {TAttemptChoice::Last, 2}, {TAttemptChoice::Best, 1}};
    for (const auto& [choice, counted] : cases) {
        const TJournal j = BuildJournal(files, Options({Key}, choice));
        const TStudentResult& s = Of(j, "t", "Иванов");
        ASSERT_EQ(s.Attempts.size(), 3u);
        EXPECT_EQ(s.Counted, counted);
        EXPECT_EQ(s.Attempts[0].Written.time(), QTime(9, 0)) << "listed in the order written";
        EXPECT_EQ(s.Attempts[2].Flags & ChangedAfterCollection, unsigned(ChangedAfterCollection));
        EXPECT_EQ(s.Grade, s.Attempts[counted].Grade);
        EXPECT_EQ(s.Row, 0) << "only the counted attempt is in the question figures";
        EXPECT_EQ(j.Tests[0].Marks.Students, 1u);
    }
}

// The class list's students come first, «н» where they wrote nothing;
// anyone else with results is shown and named. Ё sorts with Е.
TEST(ClassJournal, TheSheetHasEveryStudentOfTheList)
{
    TJournalOptions options = Options();
    options.ClassList = {"Жуков Иван", "Ёлкин Пётр", "Егорова Анна", "Яковлев Ян"};
    const std::string five = Results({{"Q1", {"a", "b"}, 2, 2}, {"Q2", {"c", "d"}, 2, 2}});
    const std::string three = Results({{"Q1", {"a", "b"}, 2, 2}, {"Q2", {"c", "d"}, 1, 2}});
    const std::string two = Results({{"Q1", {"a", "b"}, 1, 2}, {"Q2", {"c", "d"}, 1, 2}});
    const std::vector<TAttemptFile> files = {
        Stored("ёлкин  пётр", "алгебра", five, 0), Stored("Жуков Иван", "алгебра", three, 0),
        Stored("Егорова Анна", "алгебра", two, 0), Stored("Новиков Олег", "алгебра", five, 0),
        Stored("Жуков Иван", "геометрия", five, 0)};
    const TJournal j = BuildJournal(files, options);
    QStringList names;
    for (const TClassStudent& s : j.Students)
        names << s.Name;
    EXPECT_EQ(names, QStringList({"Егорова Анна", "Ёлкин Пётр", "Жуков Иван", "Новиков Олег", "Яковлев Ян"}));
    ASSERT_EQ(j.Tests.size(), 2u);
    const std::vector<std::vector<bool>> written = {{1, 0}, {1, 0}, {1, 1}, {1, 0}, {0, 0}};
    for (std::size_t s = 0; s < std::size_t(names.size()); ++s)
        for (std::size_t t = 0; t < 2; ++t)
            EXPECT_EQ(j.Cells[s][t] >= 0, written[s][t]) << names[int(s)].toStdString() << " " << t;
    EXPECT_FALSE(j.Students[3].OnList);
    ASSERT_EQ(j.Warnings.size(), 1u);
    EXPECT_NE(j.Warnings[0].Text.find("Новиков Олег"), std::string::npos);
    EXPECT_EQ(j.Students[2].Average, 4.0) << "3 and 5";
    const TGradeSummary& g = j.Tests[0].Grades;
    EXPECT_EQ(g.Counts, (std::vector<std::pair<QString, unsigned>>{{"5", 2}, {"4", 0}, {"3", 1}, {"2", 1}}));
    EXPECT_EQ(g.Graded, 4u);
    EXPECT_EQ(g.Pass, 75.0);
    EXPECT_EQ(g.Quality, 50.0);
    EXPECT_EQ(g.Average, 3.75);
}

// Copies, capitals, folders within a student's folder and stray files.
TEST_F(JournalFiles, ATeachersMessIsReadAsWhatItIs)
{
    const std::string bytes = Results(TwoRight);
    for (const char* name : {"9Б/Иванов/informatics.out", "9Б/Петров/INFORMATICS.OUT", "9Б/Петров/informatics (2).out",
             "9Б/Сидоров/первая попытка/informatics.out", "9Б/Сидоров/informatics.out", "9Б/Орлов/algebra.out",
             "9Б/stray.out"})
        Put(name, bytes);
    const TFolderScan scan = ScanFolders({tmp.Path("9Б")});
    EXPECT_EQ(scan.Class, "9Б");
    std::map<std::string, std::pair<QString, QString>> named;
    for (const TFoundFile& f : scan.Files)
        named[f.Path] = {f.Student, f.Test};
    const std::map<std::string, std::pair<QString, QString>> expected = {
        {"Иванов/informatics.out", {"Иванов", "informatics"}},
        {"Петров/INFORMATICS.OUT", {"Петров", "INFORMATICS"}},
        {"Петров/informatics (2).out", {"Петров", "informatics"}},
        {"Сидоров/первая попытка/informatics.out", {"Сидоров", "informatics"}},
        {"Сидоров/informatics.out", {"Сидоров", "informatics"}},
        {"Орлов/algebra.out", {"Орлов", "algebra"}},
    };
    EXPECT_EQ(named, expected);
    std::vector<std::string> warned;
    for (const TWarning& w : scan.Warnings)
        warned.push_back(w.Path.substr(tmp.Path("9Б/").size()));
    std::sort(warned.begin(), warned.end());
    EXPECT_EQ(warned, std::vector<std::string>({"stray.out", "Петров/informatics (2).out", "Сидоров/первая попытка/informatics.out"}));
    const TJournal j = BuildJournal(AttemptsOf(scan), Options());
    ASSERT_EQ(j.Tests.size(), 2u);
    EXPECT_EQ(Of(j, "informatics", "Петров").Attempts.size(), 2u);
}

TEST_F(JournalFiles, TheClassListTellsAFolderPerTestFromAFolderPerStudent)
{
    // Two students in three tests' folders: by the names alone it would
    // look like three students in two tests.
    for (const char* name : {"алгебра/Иванов.out", "алгебра/Петров.out", "геометрия/Иванов.out", "геометрия/Петров.out",
             "физика/Иванов.out", "физика/Петров.out"})
        Put(name, Results(TwoRight));
    const TFolderScan scan = ScanFolders({tmp.Path("")}, {"Иванов", "Петров"});
    ASSERT_FALSE(scan.Files.empty());
    for (const TFoundFile& f : scan.Files)
        EXPECT_TRUE(f.Student == "Иванов" || f.Student == "Петров") << f.Path;
}

// The program writes its results beside the test it was given: a lone
// student's folder is known by it, though no name repeats.
TEST_F(JournalFiles, TheTestFileBesideTheResultsMarksAStudentsFolder)
{
    Put("9А/Иванов/алгебра.out", Results(TwoRight));
    Put("9А/Иванов/алгебра.txt", "");
    Put("9А/Иванов/геометрия.out", Results(TwoRight));
    const TFolderScan scan = ScanFolders({tmp.Path("9А")});
    ASSERT_EQ(scan.Files.size(), 2u);
    for (const TFoundFile& f : scan.Files)
        EXPECT_EQ(f.Student, "Иванов") << f.Path;
}
