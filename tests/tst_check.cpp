// SPDX-License-Identifier: MIT
#include "engine/Check.h"
#include "engine/Errors.h"
#include "engine/Ques.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string CtrlZ = "\x1a";

// A warning as expected: its line and the message it comes from, matched up
// to the message's first placeholder.
struct Want {
    std::size_t line;
    const char* message;
};

bool Matches(const TCheckWarning& got, const Want& want)
{
    const std::string pattern(want.message);
    const std::string fixed = pattern.substr(0, pattern.find('%'));
    return got.Line == want.line && got.Text.compare(0, fixed.size(), fixed) == 0;
}

std::string Describe(const std::vector<TCheckWarning>& warnings)
{
    std::string out;
    for (const TCheckWarning& w : warnings)
        out += "\n  " + std::to_string(w.Line) + ": " + w.Text;
    return out.empty() ? "\n  (none)" : out;
}

// Five lines a question.
std::string Groups(int n)
{
    return MakeTest(n, 2, "\n");
}

class CheckFile : public ::testing::Test {
protected:
    void SetUp() override { ResetEngine(); }
    TCheckReport Check(const std::string& bytes) { return CheckTest(tmp.Write("t.txt", bytes)); }

    TempFolder tmp;
};

// ---- One warning per quirk, on the line to fix ------------------------------

struct QuirkCase {
    const char* rule;
    std::string file;
    std::vector<Want> warnings;
};

void PrintTo(const QuirkCase& c, std::ostream* os) { *os << c.rule; }

class Quirk : public CheckFile, public ::testing::WithParamInterface<QuirkCase> {};

TEST_P(Quirk, IsReportedOnItsLine)
{
    const QuirkCase& c = GetParam();
    const TCheckReport report = Check(c.file);
    bool same = report.Warnings.size() == c.warnings.size();
    for (std::size_t k = 0; same && k < c.warnings.size(); ++k)
        same = Matches(report.Warnings[k], c.warnings[k]);
    EXPECT_TRUE(same) << "got:" << Describe(report.Warnings);
}

INSTANTIATE_TEST_SUITE_P(Warnings, Quirk, ::testing::Values(
    QuirkCase{"WellFormedFileIsClean", "Q1\n2\n1\nA\nB\nQ2\n3\n3\nA\nB\nC", {}},
    QuirkCase{"CrLfFileIsClean", "Q1\r\n2\r\n1\r\nA\r\nB\r\nQ2\r\n2\r\n2\r\nA\r\nB\r\n", {}},
    QuirkCase{"Windows1251TextIsClean", Cp("Сколько будет 2 + 2?\n2\n2\n3\n4\n"), {}},
    QuirkCase{"CtrlZAtTheVeryEndIsClean", "Q\n2\n1\nA\nB\n" + CtrlZ, {}},
    QuirkCase{"SixthOptionLine", "Q\n7\n2\n1\n2\n3\n4\n5\n6\n7\n", {{9, CheckMsg::ExtraOptions}}},
    QuirkCase{"ExtraOptionsWithNoRightOne", "Q\n6\n9\n1\n2\n3\n4\n5\n6\n",
        {{3, CheckMsg::CorrectAboveCount}, {9, CheckMsg::ExtraOptionsNoRight}}},
    QuirkCase{"CorrectZeroAfterSkippedBlankLines", "Q\n\n2\n\n \n0\nA\nB\n", {{6, CheckMsg::CorrectZero}}},
    QuirkCase{"CorrectAboveCount", "Q1\n2\n1\nA\nB\nQ2\n2\n3\nA\nB\n", {{8, CheckMsg::CorrectAboveCount}}},
    QuirkCase{"OneOption", "Q\n1\n1\nA\nQ2\n2\n1\nA\nB\n", {{2, CheckMsg::FewOptions}}},
    QuirkCase{"NoOptions", "Q\n0\n0\nQ2\n2\n1\nA\nB\n",
        {{2, CheckMsg::FewOptions}, {3, CheckMsg::CorrectZero}}},
    QuirkCase{"BlankWording", "Q1\n2\n1\nA\nB\n \t\n2\n1\nA\nB\n", {{6, CheckMsg::EmptyWording}}},
    QuirkCase{"EmptyLineBeforeWordingThatStartsWithANumber", "Q1\n2\n1\nA\nB\n\n2 + 2 =\n1\nA\nB\n",
        {{6, CheckMsg::EmptyWording}}},
    QuirkCase{"TrailingEmptyLine", "Q\n2\n1\nA\nB\n\n", {{6, CheckMsg::TrailingEmpty}}},
    QuirkCase{"SeveralTrailingBlankLinesOneWarning", "Q\r\n2\r\n1\r\nA\r\nB\r\n\r\n \r\n\r\n",
        {{6, CheckMsg::TrailingEmpty}}},
    QuirkCase{"BadCountAfterEmptyLine", "Q1\n2\n1\nA\nB\n\nQ2\n2\n1\nA\nB\n", {{7, CheckMsg::BadNumber}}},
    QuirkCase{"BadCorrect", "Q\n2\n\nfirst\nA\nB\n", {{4, CheckMsg::BadNumber}}},
    QuirkCase{"NumbersTakenModulo256", "Q\n258\n-255\nA\nB\n",
        {{2, CheckMsg::Wrapped}, {3, CheckMsg::Wrapped}}},
    QuirkCase{"FileEndsInsideOptions", "Q1\n2\n1\nA\nB\nQ2\n3\n1\nA\n", {{6, CheckMsg::CutShort}}},
    QuirkCase{"FileEndsBeforeNumbers", "Q1\n2\n1\nA\nB\nQ2\n", {{6, CheckMsg::CutShort}}},
    QuirkCase{"CtrlZEndsFileEarly", "Q1\n2\n1\nA\nB\n" + CtrlZ + "Q2\n2\n1\nA\nB\n",
        {{6, CheckMsg::CtrlZEndsFile}}},
    QuirkCase{"CtrlZCutsALine", "Q" + CtrlZ + " rest\n2\n1\nA\nB\n", {{1, CheckMsg::CtrlZInLine}}},
    QuirkCase{"CtrlZEndingALineIsClean", "Q" + CtrlZ + "\n2\n1\nA" + CtrlZ + " \nB\n", {}},
    QuirkCase{"Utf8FirstNonAsciiLine", "Q\n2\n1\nA\n\xd0\x94\xd0\xb0\n", {{5, CheckMsg::Utf8}}},
    QuirkCase{"Utf8ByteOrderMark", "\xef\xbb\xbfQ\n2\n1\nA\nB\n", {{1, CheckMsg::Utf8}}},
    QuirkCase{"OverlongUtf8IsNotUtf8", "Q\n2\n1\nA\n\xc0\xaf\n", {}},
    QuirkCase{"MixedLineEndsAtFirstRarerOne", "Q\r\n2\r\n1\r\nA\nB\r\n", {{4, CheckMsg::MixedLineEnds}}},
    QuirkCase{"LoneCr", "Q\n2\n1\nA\rB\nC\n", {{4, CheckMsg::LoneCr}}},
    QuirkCase{"LineNumbersCountPastLongLines", std::string(150000, 'w') + "\n2\n1\n" + std::string(70000, 'o')
        + "\nB\nQ2\n\n\n2\n0\nA\nB\n", {{10, CheckMsg::CorrectZero}}}),
    [](const auto& info) { return std::string(info.param.rule); });

TEST_F(CheckFile, ExtraOptionsNameTheOddsOfLosingTheRightOne)
{
    const TCheckReport report = Check("Q\n8\n1\n1\n2\n3\n4\n5\n6\n7\n8\n");
    ASSERT_EQ(report.Warnings.size(), 1u);
    EXPECT_EQ(report.Warnings[0].Text, "вариантов ответа 8, а показываются только 5: лишние (3) при каждом "
        "запуске выбираются случайно и пропадают, правильный ответ пропадает с вероятностью 3/8");
}

TEST_F(CheckFile, BadNumberQuotesTheRunAndNamesTheEmptyLineBeforeIt)
{
    const TCheckReport report = Check(Cp("Q1\n2\n1\nA\nB\n\nСтолица Франции?\n2\n1\nA\nB\n"));
    ASSERT_EQ(report.Warnings.size(), 1u);
    EXPECT_EQ(report.Warnings[0].Line, 7u);
    EXPECT_EQ(report.Warnings[0].Text, "загрузка теста прервётся с ошибкой «Invalid numeric input»: здесь "
        "ожидается число вариантов ответа, а написано «Столица»; вероятная причина — пустая строка 6: "
        "программа приняла её за текст вопроса");
    EXPECT_EQ(report.Groups, 1u);
}

TEST_F(CheckFile, BadNumberAfterWordingSkipsTheCause)
{
    // The blank line here is skipped before the count, not taken as a wording.
    const TCheckReport report = Check("Q\n\nthree\n1\nA\n");
    ASSERT_EQ(report.Warnings.size(), 1u);
    EXPECT_EQ(report.Warnings[0].Line, 3u);
    EXPECT_EQ(report.Warnings[0].Text.find("пустая строка"), std::string::npos);
}

TEST_F(CheckFile, LineOfInvalidNumericInputIsWhereTheLoadStops)
{
    const std::string path = tmp.Write("t.txt", Groups(3) + "Q4\n2\n1st\nA\nB\n" + Groups(2));
    std::string error;
    try {
        LoadTest(path);
    } catch (const EError& e) {
        error = e.what();
    }
    ASSERT_EQ(error, Msg::InvalidInput);
    const TCheckReport report = CheckTest(path);
    ASSERT_EQ(report.Warnings.size(), 1u);
    EXPECT_TRUE(Matches(report.Warnings[0], {18, CheckMsg::BadNumber})) << Describe(report.Warnings);
    EXPECT_EQ(report.Groups, unsigned(QuestionCount));
}

TEST_F(CheckFile, The256thQuestionIsReportedAndTheRestStillChecked)
{
    const TCheckReport report = Check(Groups(256) + "Q257\n2\n0\nA\nB\n");
    ASSERT_EQ(report.Warnings.size(), 2u) << Describe(report.Warnings);
    EXPECT_TRUE(Matches(report.Warnings[0], {255 * 5 + 1, CheckMsg::TooManyQuestions}));
    EXPECT_NE(report.Warnings[0].Text.find(Msg::TooManyQuestions), std::string::npos);
    EXPECT_TRUE(Matches(report.Warnings[1], {256 * 5 + 3, CheckMsg::CorrectZero}));
    EXPECT_EQ(report.Groups, 257u);
    EXPECT_TRUE(Check(Groups(255)).Warnings.empty());
}

// The checker counts what the program loads, through the same reader.
TEST_F(CheckFile, CountsTheQuestionsTheProgramLoads)
{
    for (const std::string& bytes : {std::string("Q\n2\n1\nA\nB\n\n"), std::string("Q\n261\n1\n1\n2\n3\n4\n5\n6\n7\n"),
             "Q\n1\n1\nA\n" + CtrlZ + "Q2\n1\n1\nB\n", Groups(40), std::string("")}) {
        ResetEngine();
        const std::string path = tmp.Write("t.txt", bytes);
        LoadTest(path);
        EXPECT_EQ(CheckTest(path).Groups, unsigned(QuestionCount)) << bytes;
    }
}

TEST_F(CheckFile, UnreadableFileRaisesTheProgramsMessage)
{
    const auto error = [](const std::string& path) -> std::string {
        try {
            CheckTest(path);
        } catch (const EError& e) {
            return e.what();
        }
        return {};
    };
    EXPECT_EQ(error(tmp.Path("missing.txt")), Msg::FileNotFound);
    EXPECT_EQ(error(tmp.Path("")), Msg::AccessDenied);
    EXPECT_EQ(error(tmp.Path("no/t.txt")), Msg::InvalidFilename);
}

// ---- The samples -----------------------------------------------------------

TEST(CheckSamples, GeographyAndInformaticsAreClean)
{
    for (const char* name : {"geography.txt", "informatics.txt"}) {
        const TCheckReport report = CheckTest(std::string(EKZAMO_EXAMPLES) + "/" + name);
        EXPECT_GT(report.Groups, 0u) << name;
        EXPECT_TRUE(report.Warnings.empty()) << name << Describe(report.Warnings);
    }
}

// corners.txt shows the program's corner cases on purpose.
TEST(CheckSamples, CornersShowsItsSevenOptionsAndItsOneOption)
{
    const TCheckReport report = CheckTest(std::string(EKZAMO_EXAMPLES) + "/corners.txt");
    ASSERT_EQ(report.Warnings.size(), 2u) << Describe(report.Warnings);
    EXPECT_TRUE(Matches(report.Warnings[0], {9, CheckMsg::ExtraOptions}));
    EXPECT_TRUE(Matches(report.Warnings[1], {12, CheckMsg::FewOptions}));
}

// ---- Output lines ----------------------------------------------------------

TEST(CheckOutput, SummaryDeclinesItsWords)
{
    const struct {
        unsigned questions;
        std::size_t warnings;
        const char* line;
    } cases[] = {
        {1, 0, "a.txt: 1 вопрос, предупреждений нет"},
        {2, 1, "a.txt: 2 вопроса, 1 предупреждение"},
        {5, 4, "a.txt: 5 вопросов, 4 предупреждения"},
        {11, 12, "a.txt: 11 вопросов, 12 предупреждений"},
        {21, 22, "a.txt: 21 вопрос, 22 предупреждения"},
        {114, 101, "a.txt: 114 вопросов, 101 предупреждение"},
        {0, 25, "a.txt: 0 вопросов, 25 предупреждений"},
    };
    for (const auto& c : cases) {
        TCheckReport report;
        report.Groups = c.questions;
        report.Warnings.resize(c.warnings);
        EXPECT_EQ(SummaryLine("a.txt", report), c.line);
    }
}

TEST(CheckOutput, WarningInTheCompilersForm)
{
    EXPECT_EQ(WarningLine("dir/тест 1.txt", {42, "текст"}), "dir/тест 1.txt:42: текст");
    EXPECT_EQ(WarningLine("dir/тест\n1.txt", {42, "текст"}), "dir/тест\\n1.txt:42: текст");
}

} // namespace
