// SPDX-License-Identifier: MIT
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Ques.h"
#include "engine/TestReader.h"
#include "fuzz/LoadCheck.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>
#include <set>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const std::string CtrlZ = "\x1a";

// Runs LoadTest and returns the message of the EError it raised, or "".
std::string LoadError(const std::string& path)
{
    try {
        LoadTest(path);
    } catch (const EError& e) {
        return e.what();
    }
    return {};
}

// Holds an exclusive flock through its own open file description, as another
// program holding the file open would.
class HeldLock {
public:
    explicit HeldLock(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_CREAT, 0644))
    {
        if (fd_ < 0 || ::flock(fd_, LOCK_EX | LOCK_NB) != 0)
            throw std::runtime_error("cannot lock " + path);
    }
    ~HeldLock() { ::close(fd_); }

private:
    int fd_;
};

// A question as written in the file: `correct` counts from 1 in file order
// and `options` are in file order; `count` is the OptionCount to be stored.
struct Expected {
    std::string text;
    int count = 0;
    int correct = 0;
    std::vector<std::string> options;
};

void ExpectQuestion(const TQuestion& q, const Expected& e)
{
    EXPECT_EQ(q.Text, e.text);
    EXPECT_EQ(int(q.OptionCount), e.count);
    std::vector<std::string> want = e.options;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(SortedShown(q), want) << "options are not a permutation of the file's";
    for (int i = q.OptionCount + 1; i <= 5; ++i)
        EXPECT_EQ(q.Options[i], "") << "position " << i << " above OptionCount";
    if (e.correct >= 1 && e.correct <= e.count) {
        ASSERT_GE(int(q.Correct), 1);
        ASSERT_LE(q.Correct, q.OptionCount);
        EXPECT_EQ(q.Options[q.Correct], e.options[e.correct - 1]) << "Correct lost its option";
    } else {
        EXPECT_EQ(int(q.Correct), e.correct) << "a number naming no option must stay as read";
    }
}

class LoadTestFile : public ::testing::Test {
protected:
    void SetUp() override { ResetEngine(); }
    std::string Load(const std::string& bytes) { return LoadError(tmp.Write("t.txt", bytes)); }

    TempFolder tmp;
};

// ---- Reading rules ---------------------------------------------------------

struct LayoutCase {
    const char* rule;
    std::string file;
    std::vector<Expected> questions;
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.rule; }

class ReadingRule : public LoadTestFile, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(ReadingRule, YieldsTheseQuestions)
{
    const LayoutCase& c = GetParam();
    ASSERT_EQ(Load(c.file), "");
    ASSERT_EQ(int(QuestionCount), int(c.questions.size()));
    for (std::size_t k = 0; k < c.questions.size(); ++k) {
        SCOPED_TRACE("question " + std::to_string(k + 1));
        ASSERT_NE(Questions[k + 1], nullptr);
        ExpectQuestion(*Questions[k + 1], c.questions[k]);
    }
}

// Long enough to cross any read buffer: the rules must hold wherever a CR,
// a Ctrl-Z or a run of blanks falls.
const std::string LongWording(150000, 'w');
const std::string LongOption(70000, 'o');

std::string WithCrEvery(std::size_t step, const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += step)
        out += text.substr(i, step) + "\r";
    return out;
}

INSTANTIATE_TEST_SUITE_P(Layout, ReadingRule, ::testing::Values(
    LayoutCase{"LfEndsLines", "Q1\n2\n1\nA\nB\nQ2\n1\n1\nC\n",
        {{"Q1", 2, 1, {"A", "B"}}, {"Q2", 1, 1, {"C"}}}},
    LayoutCase{"CrLfEndsLines", "Q1\r\n2\r\n2\r\nA\r\nB\r\nQ2\r\n1\r\n1\r\nC\r\n",
        {{"Q1", 2, 2, {"A", "B"}}, {"Q2", 1, 1, {"C"}}}},
    LayoutCase{"LoneCrIsDroppedAndDoesNotEndLine", "Wo\rrd\r\n1\n1\nO\rpt\rion\r",
        {{"Word", 1, 1, {"Option"}}}},
    LayoutCase{"BlanksAndControlBytesBeforeNumbersSkippedAcrossLines",
        "Q\n\n \t\x01\x1f\n  3\n\n\x7\n2\nA\nB\nC\n", {{"Q", 3, 2, {"A", "B", "C"}}}},
    LayoutCase{"RestOfNumberLineIgnored", "Q\n3 options\n2\tis right\nA\nB\nC\n",
        {{"Q", 3, 2, {"A", "B", "C"}}}},
    LayoutCase{"NumberRunCutAfter32Bytes", "Q\n" + std::string(31, '0') + "3abcdefgh\n1\nA\nB\nC\n",
        {{"Q", 3, 1, {"A", "B", "C"}}}},
    LayoutCase{"CountStoresLow8Bits", "Q\n261\n5\nA\nB\nC\nD\nE\n",
        {{"Q", 5, 5, {"A", "B", "C", "D", "E"}}}},
    LayoutCase{"BlankOptionLineIsEmptyOption", "Q\n3\n2\n\nB\n \n", {{"Q", 3, 2, {"", "B", " "}}}},
    LayoutCase{"EmptyWordingAllowed", "\n1\n1\nA\n", {{"", 1, 1, {"A"}}}},
    LayoutCase{"OneOptionLandsAtOneAndStaysRight", "Q\n1\n1\nonly\n", {{"Q", 1, 1, {"only"}}}},
    LayoutCase{"CorrectZeroStaysZero", "Q\n2\n0\nA\nB\n", {{"Q", 2, 0, {"A", "B"}}}},
    LayoutCase{"CorrectAboveCountStaysAsRead", "Q\n3\n9\nA\nB\nC\n", {{"Q", 3, 9, {"A", "B", "C"}}}},
    LayoutCase{"EmptyFileHasNoQuestions", "", {}},
    LayoutCase{"NoFinalLineEnd", "Q\n1\n1\nA", {{"Q", 1, 1, {"A"}}}},
    LayoutCase{"TwoFinalLineEndsAddEmptyQuestion", "Q\n1\n1\nA\n\n",
        {{"Q", 1, 1, {"A"}}, {"", 0, 0, {}}}},
    LayoutCase{"GroupCutShortGetsEmptyTexts", "Q\n3\n2\nA\n", {{"Q", 3, 2, {"A", "", ""}}}},
    LayoutCase{"GroupCutShortGetsZeroNumbers", "Q1\n1\n1\nA\nQ2\n2", {{"Q1", 1, 1, {"A"}},
        {"Q2", 2, 0, {"", ""}}}},
    LayoutCase{"CtrlZAtGroupStartEndsFile", "Q\n1\n1\nA\n" + CtrlZ + "Q2\n1\n1\nB\n",
        {{"Q", 1, 1, {"A"}}}},
    LayoutCase{"CtrlZInWordingEndsItsText", "Wor" + CtrlZ + "d junk\n1\n1\nA\n",
        {{"Wor", 1, 1, {"A"}}}},
    LayoutCase{"CtrlZInOptionEndsItsText", "Q\n2\n2\nA" + CtrlZ + "X\nB" + CtrlZ + "\n",
        {{"Q", 2, 2, {"A", "B"}}}},
    LayoutCase{"CtrlZWhereNumberExpectedReadsZero", "Q\n1\n  " + CtrlZ + " 7\nA\n",
        {{"Q", 1, 0, {"A"}}}},
    LayoutCase{"CtrlZForCountSkipsRestOfItsLine", "Q\n" + CtrlZ + " 5\n2\nNext\n",
        {{"Q", 0, 2, {}}, {"Next", 0, 0, {}}}},
    LayoutCase{"LinesOfAnyLength", WithCrEvery(997, LongWording) + "\n" + std::string(100000, ' ')
        + "2\n1\n" + LongOption + CtrlZ + LongOption + "\nB\n",
        {{LongWording, 2, 1, {LongOption, "B"}}}},
    LayoutCase{"Windows1251BytesKept", Cp("Сколько будет 2 + 2?\n3\n2\n3\n4\n5\n"),
        {{Cp("Сколько будет 2 + 2?"), 3, 2, {"3", "4", "5"}}}}),
    [](const auto& info) { return std::string(info.param.rule); });

struct NumberCase {
    const char* rule;
    std::string run;
    int stored;
};

void PrintTo(const NumberCase& c, std::ostream* os) { *os << c.rule; }

class NumberRule : public LoadTestFile, public ::testing::WithParamInterface<NumberCase> {};

// With no options the right-option number is stored exactly as read.
TEST_P(NumberRule, StoresLow8BitsOfValue)
{
    ASSERT_EQ(Load("Q\n0\n" + GetParam().run + "\n"), "");
    ASSERT_EQ(int(QuestionCount), 1);
    EXPECT_EQ(int(Questions[1]->Correct), GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Numbers, NumberRule, ::testing::Values(
    NumberCase{"Decimal", "7", 7},
    NumberCase{"PlusSign", "+7", 7},
    NumberCase{"MinusOneIs255", "-1", 255},
    NumberCase{"Low8Bits", "261", 5},
    NumberCase{"Int32Max", "2147483647", 255},
    NumberCase{"Int32Min", "-2147483648", 0},
    NumberCase{"Dollar", "$10", 16},
    NumberCase{"LowerX", "x1f", 31},
    NumberCase{"UpperX", "X1F", 31},
    NumberCase{"ZeroX", "0x7F", 127},
    NumberCase{"ZeroUpperX", "0X105", 5},
    NumberCase{"EightHexDigits", "0x00000010", 16},
    NumberCase{"HexAllOnesIsMinusOne", "$FFFFFFFF", 255},
    NumberCase{"SignedHex", "-$5", 251},
    NumberCase{"ThirtyTwoDigits", std::string(31, '0') + "9", 9},
    NumberCase{"CutAfter32Bytes", std::string(32, '0') + "5", 0},
    NumberCase{"TabEndsRun", "12\tword", 12}),
    [](const auto& info) { return std::string(info.param.rule); });

class InvalidNumber : public LoadTestFile, public ::testing::WithParamInterface<const char*> {};

TEST_P(InvalidNumber, StopsLoadKeepingEarlierQuestions)
{
    EXPECT_EQ(Load(std::string("Q1\n1\n1\nA\nQ2\n0\n") + GetParam() + " 1\n"), "Invalid numeric input");
    ASSERT_EQ(int(QuestionCount), 1);
    EXPECT_EQ(Questions[1]->Text, "Q1");
}

INSTANTIATE_TEST_SUITE_P(Numbers, InvalidNumber, ::testing::Values(
    "3abc", "3.0", "three", "+", "-", "--1", "$", "0x", "x", "$G", "1e3",
    "0x123456789", "2147483648", "-2147483649", "99999999999"),
    [](const auto& info) {
        std::string name;
        for (const char* p = info.param; *p; ++p)
            name += *p == '+' ? "Plus" : *p == '-' ? "Minus" : *p == '.' ? "Dot"
                  : *p == '$' ? "Dollar" : std::string(1, *p);
        return name;
    });

TEST_F(LoadTestFile, EmptyLineBetweenGroupsTurnsWordingIntoCount)
{
    EXPECT_EQ(Load("Q1\n1\n1\nA\n\nQ2\n1\n1\nB\n"), "Invalid numeric input");
    EXPECT_EQ(int(QuestionCount), 1);
}

TEST_F(LoadTestFile, AppendsToQuestionsAlreadyLoaded)
{
    ASSERT_EQ(Load("Q1\n0\n0\n"), "");
    ASSERT_EQ(Load("Q2\n0\n0\nQ3\n0\n0\n"), "");
    ASSERT_EQ(int(QuestionCount), 3);
    EXPECT_EQ(Questions[1]->Text, "Q1");
    EXPECT_EQ(Questions[3]->Text, "Q3");
}

std::string Groups(int n)
{
    return MakeTest(n, 1, "\n");
}

TEST_F(LoadTestFile, Exactly255QuestionsLoad)
{
    ASSERT_EQ(Load(Groups(255)), "");
    ASSERT_EQ(int(QuestionCount), 255);
    EXPECT_EQ(Questions[255]->Text, Cp("Вопрос 255"));
}

TEST_F(LoadTestFile, A256thQuestionStopsLoadWith255Kept)
{
    EXPECT_EQ(Load(Groups(300)), "В файле теста больше 255 вопросов");
    EXPECT_EQ(int(QuestionCount), 255);
    ASSERT_NE(Questions[255], nullptr);
    EXPECT_EQ(Questions[255]->Text, Cp("Вопрос 255"));
    EXPECT_EQ(Questions[0], nullptr);
}

// ---- Errors while opening --------------------------------------------------

class LoadTestErrors : public LoadTestFile {};

TEST_F(LoadTestErrors, MissingFileIsFileNotFound)
{
    EXPECT_EQ(LoadError(tmp.Path("absent.txt")), "File not found");
    EXPECT_EQ(LoadError("ekzamo-absent.txt"), "File not found") << "in the current folder";
}

TEST_F(LoadTestErrors, MissingFolderIsInvalidFilename)
{
    EXPECT_EQ(LoadError(tmp.Path("no/such/dir/t.txt")), "Invalid filename");
}

TEST_F(LoadTestErrors, DirectoryIsAccessDenied)
{
    std::filesystem::create_directory(tmp.Path("d"));
    EXPECT_EQ(LoadError(tmp.Path("d")), "File access denied");
    EXPECT_EQ(int(QuestionCount), 0);
}

TEST_F(LoadTestErrors, PipesAndDevicesAreRefusedRatherThanReadForever)
{
    const std::string fifo = tmp.Path("pipe.txt");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(LoadError(fifo), "File access denied") << "a pipe with no writer";
    EXPECT_EQ(LoadError("/dev/zero"), "File access denied") << "a device that never ends";
    EXPECT_EQ(int(QuestionCount), 0);
}

TEST_F(LoadTestErrors, NoFreeDescriptorIsTooManyOpenFiles)
{
    const std::string path = tmp.Write("t.txt", Groups(1));
    // UBSan checks an object's type the first time it meets it through a
    // pipe of its own: let it meet the error while descriptors are free.
    EXPECT_EQ(LoadError(tmp.Path("absent.txt")), "File not found");
    rlimit old {};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &old), 0);
    // The lowest free descriptor as the limit leaves none for the load.
    const int lowest = ::dup(0);
    ASSERT_GE(lowest, 0);
    ::close(lowest);
    rlimit tight = old;
    tight.rlim_cur = rlim_t(lowest);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    const std::string error = LoadError(path);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &old), 0);
    EXPECT_EQ(error, "Too many open files");
}

TEST_F(LoadTestErrors, FileLockedByAnotherHolderIsError32)
{
    const std::string path = tmp.Write("t.txt", Groups(2));
    HeldLock lock(path);
    EXPECT_EQ(LoadError(path), "I/O error 32");
    EXPECT_EQ(int(QuestionCount), 0);
}

// ---- Reading in file order ------------------------------------------------

TEST(ReadGroupInFileOrder, KeepsEveryOptionAndBothNumbersAsWritten)
{
    const std::string bytes = "Q\r\n 7 words\r\n\r\n-1\r\n1\n2\n3\n4\n5\n6\n7\nNext\n";
    TTestReader reader{std::string_view(bytes)};
    TGroup group;
    TGroupPlaces places;
    ReadGroup(reader, group, &places);
    EXPECT_EQ(group.Text, "Q");
    EXPECT_EQ(group.Count, 7);
    EXPECT_EQ(group.Correct, -1);
    EXPECT_EQ(group.Options, (std::vector<std::string> {"1", "2", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(places.Count.Text, "7");
    EXPECT_EQ(places.Correct.Offset, bytes.find("-1"));
    EXPECT_EQ(places.Options.back(), bytes.find("7\nNext"));
    EXPECT_FALSE(reader.AtEnd());
    EXPECT_EQ(reader.ReadLine(), "Next");
    EXPECT_TRUE(reader.AtEnd());
}

TEST(ReadGroupInFileOrder, BytesInMemoryReadAsTheSameFileDoes)
{
    TempFolder tmp;
    const std::string bytes = "A\r\n3\r\n2\r\nx\ry\r\n\x1a cut\r\nz" + std::string(200000, 'w') + "\n";
    TFile file(tmp.Write("t.txt", bytes), O_RDONLY, LOCK_SH, true);
    TTestReader fromFile(file);
    TTestReader fromMemory{std::string_view(bytes)};
    TGroup a, b;
    ReadGroup(fromFile, a);
    ReadGroup(fromMemory, b);
    EXPECT_EQ(a.Options, b.Options);
    EXPECT_EQ(b.Options, (std::vector<std::string> {"xy", "", "z" + std::string(200000, 'w')}));
    EXPECT_EQ(fromFile.Offset(), fromMemory.Offset());
    EXPECT_TRUE(fromMemory.AtEnd());
}

// ---- Option shuffle and the random source -------------------------------

class OptionShuffle : public LoadTestFile {};

TEST_F(OptionShuffle, AFixedSeedRepeatsTheLoadUntilFreed)
{
    const std::string path = tmp.Write("t.txt", MakeTest(40, 5));
    auto load = [&] {
        ResetEngine();
        LoadTest(path);
        std::string options;
        for (int k = 1; k <= QuestionCount; ++k)
            options += Questions[k]->Options[1] + "|";
        return options;
    };
    FixRandomSeed(7);
    const std::string first = load();
    EXPECT_EQ(load(), first);
    FreeRandomSeed();
    EXPECT_NE(load(), first); // 40 questions of 5 options: a repeat by chance is out of the question
}

TEST_F(OptionShuffle, RandomFollowsTheSeedSequence)
{
    struct Step { std::int32_t n, result; };
    const struct { std::uint32_t seed; std::vector<Step> steps; std::uint32_t last; } runs[] = {
        {0, {{100, 0}, {100, 3}, {100, 86}, {100, 20}, {2147483647, 586093958}}, 1172187917},
        {12345, {{6, 2}, {6, 1}, {6, 0}, {6, 3}, {1000, 633}}, 2721613530u},
        {0xFFFFFFFFu, {{10, 9}, {10, 2}, {255, 132}}, 2231304098u},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE("seed " + std::to_string(run.seed));
        RandSeed = run.seed;
        for (const Step& s : run.steps)
            EXPECT_EQ(Random(s.n), s.result);
        EXPECT_EQ(RandSeed, run.last);
    }
}

// Each option must reach each position about equally often and Correct must
// travel with the right option.
TEST_F(OptionShuffle, PermutationIsUniformAndCorrectFollowsItsOption)
{
    std::string file;
    for (int k = 0; k < 255; ++k)
        file += "Q\n5\n" + std::to_string(k % 5 + 1) + "\nO1\nO2\nO3\nO4\nO5\n";
    const std::string path = tmp.Write("t.txt", file);

    constexpr int Loads = 12;
    int hits[5][5] = {};
    for (int run = 0; run < Loads; ++run) {
        ResetEngine();
        ASSERT_EQ(LoadError(path), "");
        ASSERT_EQ(int(QuestionCount), 255);
        for (int k = 1; k <= 255; ++k) {
            const TQuestion& q = *Questions[k];
            ASSERT_GE(int(q.Correct), 1);
            ASSERT_LE(int(q.Correct), 5);
            ASSERT_EQ(q.Options[q.Correct], "O" + std::to_string((k - 1) % 5 + 1));
            for (int pos = 1; pos <= 5; ++pos) {
                ASSERT_EQ(q.Options[pos].size(), 2u);
                ++hits[q.Options[pos][1] - '1'][pos - 1];
            }
        }
    }
    const double expected = Loads * 255 / 5.0;
    for (int opt = 0; opt < 5; ++opt) {
        for (int pos = 0; pos < 5; ++pos) {
            EXPECT_NEAR(hits[opt][pos], expected, expected * 0.2)
                << "option " << opt + 1 << " at position " << pos + 1;
        }
        EXPECT_EQ(hits[opt][0] + hits[opt][1] + hits[opt][2] + hits[opt][3] + hits[opt][4],
                  Loads * 255) << "option " << opt + 1 << " lost or duplicated";
    }
}

TEST_F(OptionShuffle, SevenOptionsKeepOnlyThoseDrawingPositionsUpToFive)
{
    const std::string path = tmp.Write("t.txt", "Q\n7\n3\nA\nB\nC\nD\nE\nF\nG\n");
    const std::set<std::string> all{"A", "B", "C", "D", "E", "F", "G"};
    int rightLost = 0;
    for (int run = 0; run < 300; ++run) {
        ResetEngine();
        ASSERT_EQ(LoadError(path), "");
        const TQuestion& q = *Questions[1];
        ASSERT_EQ(int(q.OptionCount), 7);
        std::set<std::string> shown(q.Options.begin() + 1, q.Options.end());
        ASSERT_EQ(shown.size(), 5u) << "five distinct options must be kept";
        ASSERT_TRUE(std::includes(all.begin(), all.end(), shown.begin(), shown.end()));
        ASSERT_GE(int(q.Correct), 1);
        ASSERT_LE(int(q.Correct), 7);
        if (q.Correct <= 5) {
            ASSERT_EQ(q.Options[q.Correct], "C");
        } else {
            ASSERT_EQ(shown.count("C"), 0u) << "the right option drew " << int(q.Correct);
            ++rightLost;
        }
    }
    // The right option lands above 5 with probability 2/7.
    EXPECT_GT(rightLost, 40);
    EXPECT_LT(rightLost, 140);
}

// ---- Presentation order and moving between questions ---------------------

class RunOrder : public ::testing::Test {
protected:
    void SetUp() override { ResetEngine(); }

    // Loads n questions named by number straight into the bank.
    static void Bank(int n)
    {
        for (int k = 1; k <= n; ++k) {
            Questions[k] = std::make_unique<TQuestion>();
            Questions[k]->Text = std::to_string(k);
        }
        QuestionCount = std::uint8_t(n);
    }
};

TEST_F(RunOrder, ShuffleOrderTakesEveryQuestionOnceAndClearsAnswers)
{
    for (int n : {1, 2, 10, 255}) {
        SCOPED_TRACE("n = " + std::to_string(n));
        ResetEngine();
        Bank(n);
        std::set<TQuestion*> loaded;
        for (int k = 1; k <= n; ++k)
            loaded.insert(Questions[k].get());
        std::fill(std::begin(Answers) + 1, std::end(Answers), std::uint8_t(3));

        ShuffleOrder();
        std::set<TQuestion*> ordered;
        for (int k = 1; k <= n; ++k) {
            ordered.insert(TestOrder[k].get());
            EXPECT_EQ(int(Answers[k]), 0) << "position " << k;
        }
        EXPECT_EQ(ordered, loaded);
        EXPECT_EQ(int(QuestionCount), n);
        EXPECT_EQ(TestOrder[0], nullptr);
    }
}

TEST_F(RunOrder, ShuffleOrderDrawsEveryQuestionFirstAboutEquallyOften)
{
    // Seeds as varied as a student's clock gives them, but repeatable.
    std::mt19937 seeds(12345);
    int first[3] = {};
    for (int run = 0; run < 600; ++run) {
        ResetEngine();
        Bank(3);
        FixRandomSeed(std::uint32_t(seeds()));
        ShuffleOrder();
        ++first[std::stoi(TestOrder[1]->Text) - 1];
    }
    FreeRandomSeed();
    for (int k = 0; k < 3; ++k)
        EXPECT_NEAR(first[k], 200, 60) << "question " << k + 1;
}

struct NextCase {
    const char* rule;
    int count;
    std::vector<int> open;  // unanswered positions; all others answered
    int from;
    bool result;
    int to;
};

void PrintTo(const NextCase& c, std::ostream* os) { *os << c.rule; }

class NextUnansweredRule : public RunOrder, public ::testing::WithParamInterface<NextCase> {};

TEST_P(NextUnansweredRule, MovesAndReports)
{
    const NextCase& c = GetParam();
    QuestionCount = std::uint8_t(c.count);
    for (int k = 1; k <= c.count; ++k)
        Answers[k] = 2;
    for (int k : c.open)
        Answers[k] = 0;
    CurrentPos = std::uint8_t(c.from);
    EXPECT_EQ(NextUnanswered(), c.result);
    EXPECT_EQ(int(CurrentPos), c.to);
}

INSTANTIATE_TEST_SUITE_P(Cases, NextUnansweredRule, ::testing::Values(
    NextCase{"OneSkippedStaysAndIsOpen", 1, {1}, 1, true, 1},
    NextCase{"OneAnsweredIsDone", 1, {}, 1, false, 1},
    NextCase{"WrapsFromLastToFirst", 3, {1}, 3, true, 1},
    NextCase{"SkipsAnsweredPositions", 3, {1, 3}, 1, true, 3},
    NextCase{"StepsToNextOpen", 3, {1, 2, 3}, 1, true, 2},
    NextCase{"AllAnsweredKeepsPosition", 3, {}, 2, false, 2},
    NextCase{"Full255WrapsToOne", 255, {1}, 255, true, 1},
    NextCase{"Full255WrapsPastOne", 255, {2}, 255, true, 2},
    NextCase{"Full255LastOpenComesBack", 255, {255}, 255, true, 255},
    NextCase{"Full255AllAnswered", 255, {}, 255, false, 255},
    // A start outside the test ends within one round too.
    NextCase{"FromZeroAllAnsweredStaysAtZero", 3, {}, 0, false, 0},
    NextCase{"FromAboveCountAllAnsweredStaysThere", 3, {}, 7, false, 7},
    NextCase{"FromZeroFindsTheFirstOpen", 3, {2}, 0, true, 2},
    NextCase{"FromAboveCountWrapsToTheFirstOpen", 3, {3}, 200, true, 3}),
    [](const auto& info) { return std::string(info.param.rule); });

// ---- Scoring and the results file -----------------------------------------

std::unique_ptr<TQuestion> MakeQuestion(const std::string& text, std::vector<std::string> options,
                                        int correct, int count = -1)
{
    auto q = std::make_unique<TQuestion>();
    q->Text = text;
    q->OptionCount = std::uint8_t(count < 0 ? int(options.size()) : count);
    for (std::size_t i = 0; i < options.size() && i < 5; ++i)
        q->Options[i + 1] = options[i];
    q->Correct = std::uint8_t(correct);
    return q;
}

std::string Lines(std::initializer_list<const char*> utf8)
{
    std::string out;
    for (const char* line : utf8)
        out += Cp(line) + "\r\n";
    return out;
}

const char* const Rule = "===============================================================";

class Results : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEngine();
        ResultFileName = tmp.Path("t.out");
    }
    void Place(int position, std::unique_ptr<TQuestion> q, int answer)
    {
        TestOrder[position] = std::move(q);
        Answers[position] = std::uint8_t(answer);
        QuestionCount = std::max<std::uint8_t>(QuestionCount, std::uint8_t(position));
    }
    std::string WriteError()
    {
        try {
            WriteResults(ScoreLine());
        } catch (const EError& e) {
            return e.what();
        }
        return {};
    }

    TempFolder tmp;
};

TEST_F(Results, CountCorrectComparesAnswersWithCorrect)
{
    Place(1, MakeQuestion("a", {"x", "y"}, 2), 2);
    Place(2, MakeQuestion("b", {"x", "y"}, 1), 2);
    Place(3, MakeQuestion("c", {"x", "y", "z", "v", "w"}, 5), 0);  // unanswered is wrong
    Place(4, MakeQuestion("d", {"x"}, 0), 0);  // unanswered with Correct 0 counts
    Place(5, MakeQuestion("e", {"x"}, 0), 1);
    EXPECT_EQ(int(CountCorrect()), 2);
}

TEST_F(Results, ScoreLineReadsRightOutOfTotal)
{
    for (int k = 1; k <= 20; ++k)
        Place(k, MakeQuestion("q", {"1", "2"}, 1), k <= 17 ? 1 : 2);
    EXPECT_EQ(ScoreLine(), Cp("Вы ответили правильно на 17 вопрос(-а/-ов) из 20"));
    ResetEngine();
    EXPECT_EQ(ScoreLine(), Cp("Вы ответили правильно на 0 вопрос(-а/-ов) из 0"));
}

TEST_F(Results, BriefFileHoldsOnlyTheScoreLineAndReplacesOldContent)
{
    tmp.Write("t.out", std::string(5000, 'x'));
    Place(1, MakeQuestion("q", {"1", "2"}, 1), 1);
    Place(2, MakeQuestion("q", {"1", "2"}, 1), 2);
    ASSERT_EQ(WriteError(), "");
    EXPECT_EQ(ReadBytes(ResultFileName), Lines({"Вы ответили правильно на 1 вопрос(-а/-ов) из 2"}));
}

TEST_F(Results, DetailedFileMatchesTheWorkedExample)
{
    DetailedResults = true;
    Place(1, MakeQuestion(Cp("Сколько будет 2 + 2?"), {"5", "3", "4"}, 3), 1);
    ASSERT_EQ(WriteError(), "");
    EXPECT_EQ(ReadBytes(ResultFileName), Lines({
        "Вы ответили правильно на 0 вопрос(-а/-ов) из 1", Rule, "Вопрос:", "Сколько будет 2 + 2?",
        "Варианты ответов:", "1. 5", "2. 3", "3. 4", "Ваш ответ: 1", "Правильный ответ: 3"}));
}

TEST_F(Results, DetailedBlocksFollowOrderListAtMostFiveOptionsAndShowSkips)
{
    DetailedResults = true;
    Place(1, MakeQuestion(Cp("Семь"), {Cp("Москва"), "b", "c", "d", "e"}, 6, 7), 2);
    Place(2, MakeQuestion("", {}, 0), 0);
    Place(3, MakeQuestion("Two", {"x", "y"}, 2), 0);
    ASSERT_EQ(WriteError(), "");
    EXPECT_EQ(ReadBytes(ResultFileName), Lines({
        "Вы ответили правильно на 1 вопрос(-а/-ов) из 3",
        Rule, "Вопрос:", "Семь", "Варианты ответов:", "1. Москва", "2. b", "3. c", "4. d", "5. e",
        "Ваш ответ: 2", "Правильный ответ: 6",
        Rule, "Вопрос:", "", "Варианты ответов:", "Ваш ответ: 0", "Правильный ответ: 0",
        Rule, "Вопрос:", "Two", "Варианты ответов:", "1. x", "2. y",
        "Ваш ответ: 0", "Правильный ответ: 2"}));
}

TEST_F(Results, QuestionDetailAppendsOnlyWhenDetailed)
{
    tmp.Write("t.out", "head\r\n");
    const auto q = MakeQuestion("Q", {"a"}, 1);
    WriteQuestionDetail(*q, 1);
    EXPECT_EQ(ReadBytes(ResultFileName), "head\r\n");
    DetailedResults = true;
    WriteQuestionDetail(*q, 1);
    EXPECT_EQ(ReadBytes(ResultFileName), "head\r\n" + Lines({Rule, "Вопрос:", "Q",
        "Варианты ответов:", "1. a", "Ваш ответ: 1", "Правильный ответ: 1"}));
}

TEST_F(Results, FreeQuestionsDestroysCountedPositionsOnly)
{
    Place(1, MakeQuestion("a", {}, 0), 0);
    Place(2, MakeQuestion("b", {}, 0), 0);
    TestOrder[3] = MakeQuestion("not counted", {}, 0);
    FreeQuestions();
    EXPECT_EQ(TestOrder[1], nullptr);
    EXPECT_EQ(TestOrder[2], nullptr);
    EXPECT_NE(TestOrder[3], nullptr);
    EXPECT_EQ(int(QuestionCount), 2);
}

// ---- Errors while writing --------------------------------------------------

class WriteErrors : public Results {};

TEST_F(WriteErrors, MissingFolderIsInvalidFilename)
{
    ResultFileName = tmp.Path("no/such/t.out");
    EXPECT_EQ(WriteError(), "Invalid filename");
}

TEST_F(WriteErrors, DirectoryIsAccessDenied)
{
    std::filesystem::create_directory(ResultFileName);
    EXPECT_EQ(WriteError(), "File access denied");
}

TEST_F(WriteErrors, FullDeviceIsDiskFull)
{
    ResultFileName = "/dev/full";
    EXPECT_EQ(WriteError(), "Disk full");
}

TEST_F(WriteErrors, VanishedFileIsFileNotFoundWhenAppending)
{
    DetailedResults = true;
    const auto q = MakeQuestion("Q", {"a"}, 1);
    try {
        WriteQuestionDetail(*q, 1);
        ADD_FAILURE() << "no error";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "File not found");
    }
}

TEST_F(WriteErrors, FileHeldByAnotherIsError32AndKeepsItsContent)
{
    tmp.Write("t.out", "previous run\r\n");
    HeldLock lock(ResultFileName);
    EXPECT_EQ(WriteError(), "I/O error 32");
    EXPECT_EQ(ReadBytes(ResultFileName), "previous run\r\n");
}

// ---- Inputs kept from fuzzing ----------------------------------------------

TEST(FuzzInputs, LoadTwiceAgreesUpToTheShuffle)
{
    ResetEngine();
    const auto root = std::filesystem::path(__FILE__).parent_path().parent_path() / "fuzz";
    int seen = 0;
    for (const char* folder : {"corpus", "regressions"}) {
        if (!std::filesystem::is_directory(root / folder))
            continue;
        for (const auto& entry : std::filesystem::directory_iterator(root / folder)) {
            SCOPED_TRACE(entry.path().string());
            const TLoadOutcome a = LoadFresh(entry.path().string());
            const TLoadOutcome b = LoadFresh(entry.path().string());
            EXPECT_STREQ(a.Broken, nullptr);
            EXPECT_STREQ(ShuffleMismatch(a, b), nullptr);
            ++seen;
        }
    }
    EXPECT_GT(seen, 0) << "no fuzz inputs found under " << root;
}

} // namespace
