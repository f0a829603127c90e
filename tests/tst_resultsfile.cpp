// SPDX-License-Identifier: MIT
// The results file read back: whatever WriteResults and WriteQuestionDetail
// write, ReadResults returns the same run; and files that break the format
// or contradict themselves are refused at the line where it shows.
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Ques.h"
#include "engine/ResultsFile.h"
#include "tests/TestUtil.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// A question as it stands after loading: `count` options in the file, at
// most five of them kept, and the right option's shuffled position.
struct QuestionSpec {
    std::string text;
    int count = 0;
    int correct = 0;
    std::vector<std::string> options; // positions 1 to min(count, 5)
    int given = 0;
};

// Puts the questions in TestOrder with their answers, as a finished run
// leaves them.
void SetUpRun(const std::vector<QuestionSpec>& planned)
{
    ResetEngine();
    for (std::size_t k = 0; k < planned.size(); ++k) {
        auto q = std::make_unique<TQuestion>();
        q->Text = planned[k].text;
        q->OptionCount = std::uint8_t(planned[k].count);
        q->Correct = std::uint8_t(planned[k].correct);
        for (std::size_t i = 0; i < planned[k].options.size(); ++i)
            q->Options[i + 1] = planned[k].options[i];
        TestOrder[k + 1] = std::move(q);
        Answers[k + 1] = std::uint8_t(planned[k].given);
    }
    QuestionCount = std::uint8_t(planned.size());
}

// What the run should read back as, worked out from the planned alone.
TResults Expected(const std::vector<QuestionSpec>& planned, bool detailed)
{
    TResults r;
    r.Questions = unsigned(planned.size());
    for (const QuestionSpec& s : planned) {
        if (s.given == s.correct)
            ++r.Right;
        if (detailed)
            r.Blocks.push_back({s.text, s.options, std::uint8_t(s.given), std::uint8_t(s.correct)});
    }
    return r;
}

class ResultsRoundTrip : public ::testing::TestWithParam<bool> {
protected:
    // Writes the run with the program's own writers and reads it back.
    TResults WriteAndRead(const std::vector<QuestionSpec>& planned)
    {
        SetUpRun(planned);
        DetailedResults = GetParam();
        ResultFileName = tmp.Path("run.out");
        WriteResults(ScoreLine());
        TResults fromFile;
        ReadResults(ResultFileName, fromFile);
        TResults fromBytes;
        ParseResults(ReadBytes(ResultFileName), fromBytes);
        EXPECT_EQ(fromFile, fromBytes) << "the file and its bytes in memory read differently";
        return fromFile;
    }

    TempFolder tmp;
};

TEST_P(ResultsRoundTrip, ReadsBackWhatTheProgramWrote)
{
    const std::vector<QuestionSpec> planned = {
        {Cp("Столица Франции?"), 3, 2, {Cp("Лион"), Cp("Париж"), Cp("Ницца")}, 2},
        {Cp("Что значит «&&» в тексте &вопроса?"), 2, 1, {Cp("&Один знак &&"), Cp("Ничего")}, 2},
        // Seven options in the file, five listed; the right one drew place 6.
        {Cp("Семь вариантов"), 7, 6, {"a", "b", "c", "d", "e"}, 3},
        // Seven options, the right one shown at place 5 and chosen.
        {Cp("Ещё семь"), 7, 5, {"1", "2", "3", "4", Cp("пятый")}, 5},
        {Cp("Пропущенный вопрос"), 4, 4, {"w", "x", "y", "z"}, 0},
        {"<script>alert(1)</script> &amp; =1+1", 2, 2, {"=SUM(A1)", "\"quoted\", with comma"}, 2},
        // A right-option number naming no option: unanswered counts as right.
        {Cp("Ключ 0"), 2, 0, {"p", "q"}, 0},
        {"", 0, 0, {}, 1},
        {Cp("Один вариант, выбрана вторая кнопка"), 1, 1, {"only"}, 2},
        {"  leading and trailing blanks  ", 2, 1, {" ", ""}, 1},
        {"1. looks like an option", 2, 1, {"2. looks like the next", Cp("Ваш ответ: 3")}, 1},
    };
    EXPECT_EQ(WriteAndRead(planned), Expected(planned, GetParam()));
}

TEST_P(ResultsRoundTrip, FullTestOf255Questions)
{
    std::vector<QuestionSpec> planned;
    for (int k = 1; k <= 255; ++k)
        planned.push_back({Cp("Вопрос ") + std::to_string(k), 5, k % 5 + 1, {"A", "B", "C", "D", "E"}, k % 6});
    EXPECT_EQ(WriteAndRead(planned), Expected(planned, GetParam()));
}

TEST_P(ResultsRoundTrip, EmptyTest)
{
    EXPECT_EQ(WriteAndRead({}), Expected({}, GetParam()));
}

// Random bytes in every text (all but the line ends and Ctrl-Z, which no
// loaded text can hold), random counts, keys and answers.
TEST_P(ResultsRoundTrip, RandomRuns)
{
    std::mt19937 random(GetParam() ? 15 : 51);
    auto text = [&] {
        std::string s(std::size_t(random() % 40), ' ');
        for (char& c : s) {
            do
                c = char(random() % 256);
            while (c == '\r' || c == '\n' || c == '\x1a');
        }
        return s;
    };
    for (int run = 0; run < 100; ++run) {
        std::vector<QuestionSpec> planned(random() % 30);
        for (QuestionSpec& s : planned) {
            s.text = text();
            s.count = int(random() % 9);
            s.correct = int(random() % 10);
            for (int i = 0; i < std::min(s.count, 5); ++i)
                s.options.push_back(text());
            // An answer is one of the buttons shown: one per option listed, at least two.
            const int buttons = std::max(2, std::min(s.count, 5));
            s.given = random() % 3 == 0 && s.correct <= buttons ? s.correct : int(random() % unsigned(buttons + 1));
        }
        SCOPED_TRACE("run " + std::to_string(run));
        ASSERT_EQ(WriteAndRead(planned), Expected(planned, GetParam()));
    }
}

INSTANTIATE_TEST_SUITE_P(Detailed, ResultsRoundTrip, ::testing::Bool(),
    [](const auto& info) { return info.param ? "DetailedOn" : "DetailedOff"; });

// ---- Files the reader refuses ----------------------------------------------

std::string ScoreBytes(int right, int count)
{
    return Cp("Вы ответили правильно на ") + std::to_string(right) + Cp(" вопрос(-а/-ов) из ")
        + std::to_string(count) + "\r\n";
}

std::string Block(const std::string& text, const std::vector<std::string>& options, const std::string& given,
    const std::string& correct)
{
    std::string b = std::string(63, '=') + "\r\n" + Cp("Вопрос:\r\n") + text + "\r\n" + Cp("Варианты ответов:\r\n");
    for (std::size_t i = 0; i < options.size(); ++i)
        b += std::to_string(i + 1) + ". " + options[i] + "\r\n";
    return b + Cp("Ваш ответ: ") + given + "\r\n" + Cp("Правильный ответ: ") + correct + "\r\n";
}

const std::string GoodTwo = ScoreBytes(1, 2) + Block("Q1", {"A", "B"}, "1", "1") + Block("Q2", {"A", "B"}, "2", "1");

struct BadFile {
    const char* rule;
    std::string bytes;
    std::size_t line;
    const char* message; // the start of the reason
};

void PrintTo(const BadFile& c, std::ostream* os) { *os << c.rule; }

class ResultsRefused : public ::testing::TestWithParam<BadFile> {};

TEST_P(ResultsRefused, AtTheLineWhereItShows)
{
    const BadFile& c = GetParam();
    TResults r;
    try {
        ParseResults(c.bytes, r, 4096);
        FAIL() << "read without complaint";
    } catch (const EResultsError& e) {
        EXPECT_EQ(e.Line, c.line);
        EXPECT_EQ(std::string(e.what()).substr(0, std::strlen(c.message)), c.message) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(Format, ResultsRefused, ::testing::Values(
    BadFile{"EmptyFile", "", 1, "файл пуст"},
    BadFile{"NotResults", "Hello\r\n", 1, "первая строка — не строка результата"},
    BadFile{"BinaryFile", std::string("\x7f" "ELF\x02\x01\x01\0\0\0", 10) + std::string(5000, '\0'), 1,
        "первая строка — не строка результата"},
    BadFile{"SavedAsUtf8", "Вы ответили правильно на 1 вопрос(-а/-ов) из 2\r\n", 1, "файл пересохранён в кодировке UTF-8"},
    BadFile{"LeadingZeroInScore", ScoreBytes(1, 2).replace(Cp("на ").size() + Cp("Вы ответили правильно ").size(), 1, "01"),
        1, "первая строка"},
    BadFile{"ScoreAbove255", ScoreBytes(1, 256), 1, "первая строка"},
    BadFile{"RightAboveCount", ScoreBytes(3, 2), 1, "правильных ответов 3 больше, чем вопросов (2)"},
    BadFile{"ScoreLineEdited", ScoreBytes(2, 2) + Block("Q1", {"A", "B"}, "1", "1") + Block("Q2", {"A", "B"}, "2", "1"), 1,
        "в строке результата правильных ответов 2, а по ответам в файле — 1"},
    BadFile{"AnswerEdited", ScoreBytes(1, 2) + Block("Q1", {"A", "B"}, "1", "1") + Block("Q2", {"A", "B"}, "1", "1"), 1,
        "в строке результата правильных ответов 1, а по ответам в файле — 2"},
    BadFile{"BlockMissing", ScoreBytes(1, 3) + Block("Q1", {"A", "B"}, "1", "1"), 9, "в файле вопросов 1, а в строке результата — 3"},
    BadFile{"CutInsideBlock", GoodTwo.substr(0, GoodTwo.size() - 35), 15, "файл обрывается посреди вопроса"},
    BadFile{"CutInsideLine", GoodTwo.substr(0, GoodTwo.size() - 2), 17, "файл обрывается посреди строки"},
    BadFile{"ShortSeparator", ScoreBytes(0, 1) + Block("Q", {"A"}, "0", "1").substr(1), 2, "ожидается «строка из 63"},
    BadFile{"NoQuestionHeader", ScoreBytes(0, 1) + std::string(63, '=') + "\r\nQ\r\n", 3, "ожидается «Вопрос:»"},
    BadFile{"SixthOption", ScoreBytes(0, 1) + Block("Q", {"a", "b", "c", "d", "e", "f"}, "0", "1"), 11,
        "ожидается «Ваш ответ: N»"},
    BadFile{"OptionsOutOfOrder", ScoreBytes(0, 1) + std::string(63, '=') + Cp("\r\nВопрос:\r\nQ\r\nВарианты ответов:\r\n2. b\r\n"), 6,
        "ожидается «Ваш ответ: N»"},
    BadFile{"AnswerAboveFive", ScoreBytes(0, 1) + Block("Q", {"a"}, "6", "1"), 7, "«6»: здесь должно быть число от 0 до 5"},
    BadFile{"AnswerAboveTheButtonsShown", ScoreBytes(0, 1) + Block("Q", {"a", "b", "c"}, "5", "1"), 9,
        "ответ 5, а кнопок ответа было 3"},
    BadFile{"AnswerAboveTheTwoButtonsOfOneOption", ScoreBytes(0, 1) + Block("Q", {"a"}, "3", "1"), 7,
        "ответ 3, а кнопок ответа было 2"},
    BadFile{"AnswerNotNumber", ScoreBytes(0, 1) + Block("Q", {"a"}, "x", "1"), 7, "«x»: здесь должно быть число"},
    BadFile{"RightAbove255", ScoreBytes(0, 1) + Block("Q", {"a"}, "0", "256"), 8, "«256»: здесь должно быть число от 0 до 255"},
    BadFile{"TrailingText", GoodTwo + "extra\r\n", 18, "ожидается «строка из 63"},
    BadFile{"LongWording", ScoreBytes(0, 1) + Block(std::string(5000, 'w'), {"a"}, "0", "1"), 4, "строка длиннее 4096 байт"}));

TEST(ResultsAccepted, LineEndsConvertedToLf)
{
    std::string lf;
    for (const char c : GoodTwo)
        if (c != '\r')
            lf += c;
    TResults a;
    TResults b;
    ParseResults(GoodTwo, a);
    ParseResults(lf, b);
    EXPECT_EQ(a, b);
    EXPECT_EQ(b.Blocks.size(), 2u);
    EXPECT_EQ(b.Blocks[1].Given, 2);
}

// One TResults reused for many files must not keep anything of the last.
TEST(ResultsAccepted, ReusedRunKeepsNothingOfThePreviousFile)
{
    TResults r;
    ParseResults(ScoreBytes(1, 1) + Block("long wording", {"a", "b", "c", "d", "e"}, "3", "3"), r);
    ParseResults(ScoreBytes(0, 1) + Block("Q", {"x"}, "0", "1"), r);
    const TResults fresh{0, 1, {{"Q", {"x"}, 0, 1}}};
    EXPECT_EQ(r, fresh);
    ParseResults(ScoreBytes(0, 4), r);
    EXPECT_EQ(r, (TResults{0, 4, {}}));
}

TEST(ResultsRefusedWhole, FileBeyondTheSizeBoundBeforeItsLinesAreHeld)
{
    // Blocks beyond the score line's count would all be held before the
    // count is compared.
    TempFolder tmp;
    const std::string path = tmp.Write("big.out", ScoreBytes(0, 1) + Block("Q", {"a"}, "0", "1"));
    ASSERT_TRUE(QFile::resize(QString::fromStdString(path), qint64(MaxFileSize) + 1));
    TResults r;
    try {
        ReadResults(path, r);
        FAIL() << "read without complaint";
    } catch (const EResultsError& e) {
        FAIL() << "read as results: " << e.what();
    } catch (const EError& e) {
        EXPECT_EQ(std::string(e.what()), Format(Msg::FileTooLarge, std::to_string(MaxFileSize >> 20)));
    }
}

TEST(ResultsAccepted, MissingFileIsAnIoError)
{
    TempFolder tmp;
    TResults r;
    EXPECT_THROW(ReadResults(tmp.Path("none.out"), r), EInOutError);
    EXPECT_THROW(ReadResults(tmp.Path(""), r), EInOutError); // a folder
}

} // namespace
