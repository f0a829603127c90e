// SPDX-License-Identifier: MIT
#include "engine/Aiken.h"
#include "engine/Errors.h"
#include "engine/Exchange.h"
#include "engine/Formats.h"
#include "engine/Gift.h"
#include "engine/TestFile.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::string Describe(const std::vector<TFormatNote>& notes)
{
    std::string out;
    for (const TFormatNote& n : notes)
        out += "\n  " + std::to_string(n.Line) + ": " + n.Text;
    return out.empty() ? "\n  (none)" : out;
}

// A note as expected: its line and the start of its message, up to the
// message's first placeholder.
struct WantNote {
    std::size_t line;
    const char* message;
};

void ExpectNotes(const std::vector<TFormatNote>& got, const std::vector<WantNote>& want)
{
    bool same = got.size() == want.size();
    for (std::size_t k = 0; same && k < want.size(); ++k) {
        const std::string pattern(want[k].message);
        const std::string fixed = pattern.substr(0, pattern.find('%'));
        same = got[k].Line == want[k].line && got[k].Text.compare(0, fixed.size(), fixed) == 0;
    }
    EXPECT_TRUE(same) << "got:" << Describe(got);
}

struct WantQuestion {
    std::string text;
    std::vector<std::string> options;
    int correct;
    std::size_t line;
};

void ExpectQuestions(const std::vector<TPlainQuestion>& got, const std::vector<WantQuestion>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t k = 0; k < want.size(); ++k) {
        SCOPED_TRACE("question " + std::to_string(k + 1));
        EXPECT_EQ(got[k].Text, want[k].text);
        EXPECT_EQ(got[k].Options, want[k].options);
        EXPECT_EQ(got[k].Correct, want[k].correct);
        EXPECT_EQ(got[k].Line, want[k].line);
    }
}

// ---- GIFT -------------------------------------------------------------------

// As Moodle 4 exports a question bank: comment lines naming each question,
// a category, titles, HTML wordings, feedback, and kinds Ekzamo has not.
const char* const MoodleExport =
    "// question: 0  name: Switch category to $course$/top/По умолчанию для Алгебра\n"  // 1
    "$CATEGORY: $course$/top/По умолчанию для Алгебра\n"                                 // 2
    "\n"
    "\n"
    "// question: 101  name: Сложение\n"                                                 // 5
    "::Сложение::[html]<p dir\\=\"ltr\" style\\=\"text-align\\: left;\">Сколько будет 2 + 2?<br></p>{\n"
    "\t~3\n"                                                                              // 7
    "\t=4#<p>Верно!</p>\n"                                                               // 8
    "\t~5\n"
    "}\n"
    "\n"
    "\n"
    "// question: 102  name: Столица\n"                                                  // 13
    "::Столица::[html]<p>Столица Франции\\: Tom &amp; Jerry &lt;b&gt;</p>{\n"
    "\t=Париж\n"
    "\t~Рим\n"
    "\t####<p>Общий отзыв</p>\n"                                                         // 17
    "}\n"
    "\n"
    "// question: 103  name: Верно ли\n"                                                 // 20
    "::Верно ли::[html]<p>Земля круглая.</p>{TRUE}\n"
    "\n"
    "// question: 104  name: Кто\n"                                                      // 23
    "::Кто::[html]<p>Кто?</p>{\n"
    "\t=никто\n"
    "}\n"
    "\n"
    "// question: 105  name: Веса\n"                                                     // 28
    "::Веса::[html]<p>Простые числа?</p>{\n"
    "\t~%50%2\n"
    "\t~%50%3\n"
    "\t~%-100%4\n"
    "}\n";

TEST(GiftReader, ReadsAMoodleExport)
{
    const TPlainTest test = ReadGift(MoodleExport);
    ExpectQuestions(test.Questions, {
        {"Сколько будет 2 + 2?", {"3", "4", "5"}, 2, 6},
        {"Столица Франции: Tom & Jerry <b>", {"Париж", "Рим"}, 1, 14},
    });
    // Each note names the question's own line, not the comment above it.
    ExpectNotes(test.Notes, {{8, GiftMsg::Feedback}, {17, GiftMsg::GeneralFeedback}, {21, GiftMsg::OtherKind},
        {24, GiftMsg::OtherKind}, {29, GiftMsg::OtherKind}});
    EXPECT_NE(test.Notes[2].Text.find(GiftMsg::TrueFalse), std::string::npos);
    EXPECT_NE(test.Notes[3].Text.find(GiftMsg::ShortAnswer), std::string::npos);
    EXPECT_NE(test.Notes[4].Text.find(GiftMsg::SeveralRight), std::string::npos);
}

TEST(GiftReader, NotesInLineOrderNameTheQuestionsTitleAndItsPicture)
{
    const TPlainTest test = ReadGift("::Карта::[html]<p>Где это?</p><img src\\=\"@@PLUGINFILE@@/map.png\">{\n"
                                     "=Москва#<p>Да</p>\n~Киев\n####Общий\n}\n::Без::[html]<IMG>Q{=a ~b}\n");
    ASSERT_EQ(test.Questions.size(), 2u);
    ExpectNotes(test.Notes, {{1, GiftMsg::Html}, {1, GiftMsg::NamedPicture}, {2, GiftMsg::Feedback},
        {4, GiftMsg::GeneralFeedback}, {6, GiftMsg::NoBlankLine}, {6, GiftMsg::Html}, {6, GiftMsg::Picture}});
    EXPECT_EQ(test.Notes[1].Text, Format(GiftMsg::NamedPicture, "map.png"));
    for (std::size_t k = 0; k < test.Notes.size(); ++k)
        EXPECT_EQ(test.Notes[k].Title, k < 4 ? "Карта" : "Без") << k;
}

struct GiftCase {
    const char* rule;
    std::string gift;
    std::vector<WantQuestion> questions;
    std::vector<WantNote> notes;
};

void PrintTo(const GiftCase& c, std::ostream* os) { *os << c.rule; }

class GiftRule : public ::testing::TestWithParam<GiftCase> {};

TEST_P(GiftRule, IsReadAsMoodleReadsIt)
{
    const TPlainTest test = ReadGift(GetParam().gift);
    ExpectQuestions(test.Questions, GetParam().questions);
    ExpectNotes(test.Notes, GetParam().notes);
}

INSTANTIATE_TEST_SUITE_P(Gift, GiftRule, ::testing::Values(
    GiftCase{"OneLine", "Кто похоронен в гробнице Гранта?{~Грант ~Джефферсон =никто}",
        {{"Кто похоронен в гробнице Гранта?", {"Грант", "Джефферсон", "никто"}, 3, 1}}, {}},
    GiftCase{"Escapes", "a\\: b \\= c \\~ d \\# e \\{ f \\} g \\\\ h \\q{=x\\}y ~\\=z}",
        {{"a: b = c ~ d # e { f } g \\ h \\q", {"x}y", "=z"}, 1, 1}}, {}},
    GiftCase{"WordingOverSeveralLinesIsJoined", "  Первая строка  \r\n  вторая\\nтретья {\r\n  =да\r\n  ~нет\r\n}\r\n",
        {{"Первая строка вторая третья", {"да", "нет"}, 1, 1}}, {}},
    GiftCase{"CommentsAndBlankLinesBetween", "// comment\n\n\n// about it\nQ1{=a ~b}\n\n  \n//x\nQ2 {\n// inside\n~c =d}\n",
        {{"Q1", {"a", "b"}, 1, 5}, {"Q2", {"c", "d"}, 2, 9}}, {}},
    GiftCase{"CategoryAndTitleDropped", "$CATEGORY: tom/dick\n\n::T\\:1::Q{=a~b}",
        {{"Q", {"a", "b"}, 1, 3}}, {}},
    GiftCase{"MissingWordLeavesABlank", "Грант {~похоронен =погребён ~живёт} в гробнице Гранта.",
        {{"Грант _____ в гробнице Гранта.", {"похоронен", "погребён", "живёт"}, 2, 1}}, {}},
    GiftCase{"FormatsTakenOffAndHtmlDecoded", "[markdown]**Q**{=[plain]<b> ~[html]a&\\#1046;&\\#x436;&nbsp;<i>b</i>}",
        {{"**Q**", {"<b>", "aЖж\u00a0b"}, 1, 1}}, {{1, GiftMsg::Html}}},
    GiftCase{"BlanksAroundADroppedTagAreOne", "Q{=[html]Ярослав <b> </b> Мудрый ~b}",
        {{"Q", {"Ярослав Мудрый", "b"}, 1, 1}}, {{1, GiftMsg::Html}}},
    GiftCase{"UnknownBracketIsText", "[x] Q{=a ~b}", {{"[x] Q", {"a", "b"}, 1, 1}}, {}},
    GiftCase{"ZeroWeightIsWrong", "Q{=a ~%0%b}", {{"Q", {"a", "b"}, 1, 1}}, {}},
    GiftCase{"FeedbackOnEachAnswerDropped", "Q{\n=a#yes\n~b # no\n}", {{"Q", {"a", "b"}, 1, 1}},
        {{2, GiftMsg::Feedback}, {3, GiftMsg::Feedback}}},
    GiftCase{"EmptyAnswerDropped", "Q{=a ~ ~b}", {{"Q", {"a", "b"}, 1, 1}}, {{1, GiftMsg::EmptyOptionDropped}}},
    GiftCase{"OtherKindsSkippedOnTheirLines",
        "D\n\nE{}\n\nN{#1822:5}\n\nM{=a->1 =b->2}\n\nT{F}\n\nS{=a =b}\n\nR{=a =b ~c}\n\nW{~%50%a ~%50%b}\n\n"
        "X{~a ~b}\n\nV{=a ~%50%b}\n\nok{=a ~b}",
        {{"ok", {"a", "b"}, 1, 21}},
        {{1, GiftMsg::OtherKind}, {3, GiftMsg::OtherKind}, {5, GiftMsg::OtherKind}, {7, GiftMsg::OtherKind},
            {9, GiftMsg::OtherKind}, {11, GiftMsg::OtherKind}, {13, GiftMsg::OtherKind}, {15, GiftMsg::OtherKind},
            {17, GiftMsg::OtherKind}, {19, GiftMsg::OtherKind}}},
    GiftCase{"UnmatchedBrace", "Q{=a ~b\n\nok{=a ~b}\n\nQ}{", {{"ok", {"a", "b"}, 1, 3}},
        {{1, GiftMsg::Braces}, {5, GiftMsg::Braces}}},
    GiftCase{"OneAnswerIsTooFew", "Q{=a ~}", {}, {{1, FormatMsg::Skipped}}},
    GiftCase{"ByteOrderMark", "\xEF\xBB\xBFQ{=a ~b}", {{"Q", {"a", "b"}, 1, 1}}, {}},
    GiftCase{"LoneCrAndControlReferencesAreSpaces", "Q\rmore{=[html]a&\\#26;b ~c}", {{"Q more", {"a b", "c"}, 1, 1}}, {}},
    GiftCase{"EveryNamedReferenceOfHtmlDecoded",
        "[html]&laquo;Повесть&raquo; &mdash; &ndash;&CounterClockwiseContourIntegral;&NotEqualTilde;&Tab;&nosuch;{=a ~b}",
        {{"«Повесть» — –\u2233\u2242\u0338 &nosuch;", {"a", "b"}, 1, 1}}, {}},
    GiftCase{"PenaltiesOnWrongAnswersDropped", "Q{\n=right\n~%-33.33333%wrong\n~%-50%bad\n}",
        {{"Q", {"right", "wrong", "bad"}, 1, 1}}, {{3, GiftMsg::Penalties}}},
    GiftCase{"EmptyFeedbackIsNoLoss", "Q{\n=Нестор Летописец#\n~Другой# \n~Третий#[html]<p></p>\n####\n}",
        {{"Q", {"Нестор Летописец", "Другой", "Третий"}, 1, 1}}, {}},
    // Without a blank line between them: after a title on a later line, a
    // second set of answers, or a category's line.
    GiftCase{"TitleStartsTheNextQuestion", "::Q1::Первый?{\n=да\n~нет\n}\n::Q2::Второй?{\n=да\n~нет\n}\n",
        {{"Первый?", {"да", "нет"}, 1, 1}, {"Второй?", {"да", "нет"}, 1, 5}}, {{5, GiftMsg::NoBlankLine}}},
    GiftCase{"MissingWordKeepsItsWordingBeforeTheNextQuestion",
        "Grant is {~buried =entombed ~living} in Grant's tomb.\nWho?{=no one ~Grant}",
        {{"Grant is _____ in Grant's tomb.", {"buried", "entombed", "living"}, 2, 1}, {"Who?", {"no one", "Grant"}, 1, 2}},
        {{2, GiftMsg::NoBlankLine}}},
    GiftCase{"WordingOverLinesAfterTheAnswersStaysBeforeATitle", "A {=x ~y}\nконец.\n::T::B{=c ~d}",
        {{"A _____ конец.", {"x", "y"}, 1, 1}, {"B", {"c", "d"}, 1, 3}}, {{3, GiftMsg::NoBlankLine}}},
    GiftCase{"SecondAnswersOnTheSameLine", "Q1{=a ~b} Q2{=c ~d}",
        {{"Q1", {"a", "b"}, 1, 1}, {"Q2", {"c", "d"}, 1, 1}}, {{1, GiftMsg::NoBlankLine}}},
    GiftCase{"CategoryLineThenAQuestion", "$CATEGORY: x\nQ{=a ~b}", {{"Q", {"a", "b"}, 1, 2}},
        {{2, GiftMsg::NoBlankLine}}}),
    [](const auto& info) { return std::string(info.param.rule); });

TEST(GiftWriter, EscapesWhatGiftNeedsEscaped)
{
    std::vector<TFormatNote> notes;
    const std::string gift = GiftBytes({{"a:b=c~d#e{f}g\\h", {"=1", "~2", "#3"}, 2, 1, {}}}, notes);
    EXPECT_EQ(gift, "a\\:b\\=c\\~d\\#e\\{f\\}g\\\\h{\n\t~\\=1\n\t=\\~2\n\t~\\#3\n}\n");
    EXPECT_TRUE(notes.empty()) << Describe(notes);
}

TEST(GiftWriter, MarksPlainTextWhereMoodleWouldReadMarkup)
{
    std::vector<TFormatNote> notes;
    EXPECT_EQ(GiftBytes({{"Tom & Jerry", {"a", "[b]"}, 1, 1, {}}, {"//x", {"<i>", "b"}, 2, 6, {}}}, notes),
        "[plain]Tom & Jerry{\n\t=a\n\t~[plain][b]\n}\n\n[plain]//x{\n\t~<i>\n\t=b\n}\n");
}

TEST(GiftWriter, LeavesOutWhatItCannotHoldWithANote)
{
    std::vector<TFormatNote> notes;
    const std::string gift = GiftBytes({{"", {"a", "b"}, 1, 1, {}}, {"Q", {"a"}, 1, 5, {}}, {"Q", {"a", "b"}, 3, 9, {}},
        {"Q", {"a", ""}, 1, 14, {}}, {"Q", {"a", "%50%b"}, 1, 19, {}}, {" ok ", {"a ", "b"}, 1, 24, {}}}, notes);
    EXPECT_EQ(gift, "ok{\n\t=a\n\t~b\n}\n");
    ExpectNotes(notes, {{1, FormatMsg::Skipped}, {5, FormatMsg::Skipped}, {9, FormatMsg::Skipped},
        {14, FormatMsg::Skipped}, {19, FormatMsg::Skipped}, {24, FormatMsg::Trimmed}});
}

TEST(GiftWriter, ByteOrderMarkStartingTheFirstWordingSurvives)
{
    const std::vector<TPlainQuestion> questions = {{"\xEF\xBB\xBFQ", {"a", "b"}, 1, 1, {}}};
    for (const auto& [read, write] : {std::pair{&ReadGift, &GiftBytes}, std::pair{&ReadAiken, &AikenBytes}}) {
        std::vector<TFormatNote> notes;
        const std::string bytes = write(questions, notes);
        EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF\xEF\xBB\xBFQ"));
        const TPlainTest back = read(bytes);
        ASSERT_EQ(back.Questions.size(), 1u);
        EXPECT_EQ(back.Questions[0].Text, questions[0].Text);
    }
}

// ---- Aiken ------------------------------------------------------------------

struct AikenCase {
    const char* rule;
    std::string aiken;
    std::vector<WantQuestion> questions;
    std::vector<WantNote> notes;
};

void PrintTo(const AikenCase& c, std::ostream* os) { *os << c.rule; }

class AikenRule : public ::testing::TestWithParam<AikenCase> {};

TEST_P(AikenRule, IsReadAsMoodleReadsIt)
{
    const TPlainTest test = ReadAiken(GetParam().aiken);
    ExpectQuestions(test.Questions, GetParam().questions);
    ExpectNotes(test.Notes, GetParam().notes);
}

INSTANTIATE_TEST_SUITE_P(Aiken, AikenRule, ::testing::Values(
    AikenCase{"BothSeparators", "Какой ответ верный?\nA. Этот?\nB) Может, этот?\nC.Или этот\nANSWER: B\n",
        {{"Какой ответ верный?", {"Этот?", "Может, этот?", "Или этот"}, 2, 1}}, {}},
    AikenCase{"BlankLinesCrLfAndLoneCr", "\r\nQ1\r\nA) a\r\nB) b\r\nANSWER: A\r\n\r\nQ2\rA) c\rB) d\rANSWER:  B  \r",
        {{"Q1", {"a", "b"}, 1, 2}, {"Q2", {"c", "d"}, 2, 7}}, {}},
    AikenCase{"WordingOverSeveralLinesIsJoined", "Первая\n  вторая  \nA) a\nB) b\nANSWER: A",
        {{"Первая вторая", {"a", "b"}, 1, 1}}, {}},
    AikenCase{"TooShortLinesIgnored", "Q1\nx\nA) a\nB) b\nANSWER: B", {{"Q1", {"a", "b"}, 2, 1}}, {}},
    AikenCase{"QuestionWithoutAnswerDropped", "Q1\nA) a\nB) b\nQ2\nA) c\nB) d\nANSWER: A\nQ3\nA) e",
        {{"Q2", {"c", "d"}, 1, 4}}, {{1, AikenMsg::NoAnswer}, {8, AikenMsg::NoAnswer}}},
    AikenCase{"AnswerNamingNoOption", "Q1\nA) a\nB) b\nANSWER: C\nQ2\nA) a\nB) b\nANSWER: b", {},
        {{1, AikenMsg::BadAnswer}, {5, AikenMsg::BadAnswer}}},
    AikenCase{"OneOptionIsTooFew", "Q1\nA) a\nANSWER: A", {}, {{1, AikenMsg::FewOptions}}},
    AikenCase{"LinesOutsideAQuestion", "A) a\nANSWER: A\nQ1\nA) a\nB) b\nANSWER: A\nANSWER: B",
        {{"Q1", {"a", "b"}, 1, 3}}, {{1, AikenMsg::OptionOutside}, {2, AikenMsg::AnswerOutside}, {7, AikenMsg::AnswerOutside}}}),
    [](const auto& info) { return std::string(info.param.rule); });

TEST(AikenWriter, WritesTheFormMoodleReads)
{
    std::vector<TFormatNote> notes;
    EXPECT_EQ(AikenBytes({{"Q & <b>", {"a", "b", "c"}, 3, 1, {}}, {"Q2", {"d", "e"}, 1, 7, {}}}, notes),
        "Q & <b>\nA) a\nB) b\nC) c\nANSWER: C\n\nQ2\nA) d\nB) e\nANSWER: A\n");
    EXPECT_TRUE(notes.empty()) << Describe(notes);
}

TEST(AikenWriter, LeavesOutWhatItCannotHoldWithANote)
{
    std::vector<TFormatNote> notes;
    const std::string aiken = AikenBytes({{"A) Q", {"a", "b"}, 1, 1, {}}, {"ANSWER: Q", {"a", "b"}, 1, 5, {}},
        {"Q", {"a", "b"}, 1, 9, {}}, {"Q", std::vector<std::string>(27, "x"), 1, 13, {}}, {"Q2", {"a"}, 1, 44, {}},
        {"ok", {" a", "b"}, 2, 48, {}}}, notes);
    EXPECT_EQ(aiken, "ok\nA) a\nB) b\nANSWER: B\n");
    ExpectNotes(notes, {{1, FormatMsg::Skipped}, {5, FormatMsg::Skipped}, {9, FormatMsg::Skipped},
        {13, FormatMsg::Skipped}, {44, FormatMsg::Skipped}, {48, FormatMsg::Trimmed}});
}

// ---- Between Ekzamo's files and plain text ----------------------------------

TEST(PlainText, EkzamoMarkersResolvedAndLoneOnesNoted)
{
    const TTestContent content =
        ReadTestContent(Cp("Tom && Jerry\r\n2\r\n1\r\n&Да\r\nнет&\r\nQ\r\n2\r\n1\r\na\r\nb\r\n\r\nbad\r\n"));
    const TPlainTest plain = PlainFromTest(content);
    ExpectQuestions(plain.Questions, {{"Tom & Jerry", {"Да", "нет"}, 1, 1}, {"Q", {"a", "b"}, 1, 6}});
    ExpectNotes(plain.Notes, {{4, FormatMsg::LoneMarker}, {5, FormatMsg::LoneMarker}, {12, FormatMsg::Stopped}});
}

TEST(PlainText, EkzamoSavedAsUtf8IsReadAsUtf8)
{
    const TPlainTest plain = PlainFromTest(ReadTestContent("Вопрос\n2\n1\nда\nнет\n"), true);
    ExpectQuestions(plain.Questions, {{"Вопрос", {"да", "нет"}, 1, 1}});
}

TEST(PlainText, WrittenWithMarkersAndCharactersWindows1251CannotHoldNamed)
{
    std::vector<TFormatNote> errors;
    const std::vector<TTestItem> items =
        TestFromPlain({{"Tom & Jerry ёЁ№", {"a\nb", "c"}, 2, 3, {4, 5}}}, errors);
    EXPECT_TRUE(errors.empty()) << Describe(errors);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0], (TTestItem{Cp("Tom && Jerry ёЁ№"), {"a b", "c"}, 2}));

    TestFromPlain({{"ok", {"смайлик 😀", "ẞ"}, 1, 3, {4, 5}}, {"Ελλάδα", {"a", "b"}, 1, 9, {10, 11}}}, errors);
    ASSERT_EQ(errors.size(), 3u) << Describe(errors);
    EXPECT_EQ(errors[0].Line, 4u);
    EXPECT_EQ(errors[0].Text, "символ «😀» (U+1F600) нельзя записать в кодировке Windows-1251");
    EXPECT_EQ(errors[1].Line, 5u);
    EXPECT_EQ(errors[1].Text, "символ «ẞ» (U+1E9E) нельзя записать в кодировке Windows-1251");
    EXPECT_EQ(errors[2].Line, 9u);
}

TEST(PlainText, Utf8TextCheckedForEncodingAndBinary)
{
    struct Case {
        std::string bytes;
        bool ok;
        std::size_t line;
        const char* message;
    };
    for (const Case& c : {Case{"ascii\r\nи кириллица\t\n", true, 0, ""}, Case{"a\nb\n" + Cp("ж"), false, 3, TextMsg::NotUtf8},
             Case{"a\n\xC0\xAF", false, 2, TextMsg::NotUtf8}, Case{"a\n\xED\xA0\x80", false, 2, TextMsg::NotUtf8},
             Case{std::string("a\nb\0c", 5), false, 2, TextMsg::NotText}, Case{"\xF0\x9F\x98", false, 1, TextMsg::NotUtf8}}) {
        TFormatNote problem;
        EXPECT_EQ(CheckUtf8Text(c.bytes, problem), c.ok) << c.bytes;
        if (!c.ok) {
            EXPECT_EQ(problem.Line, c.line) << c.bytes;
            const std::string fixed = std::string(c.message).substr(0, std::string(c.message).find('%'));
            EXPECT_EQ(problem.Text.rfind(fixed, 0), 0u) << problem.Text;
        }
    }
}

TEST(Exchange, ImportGivesEkzamoItemsOrSaysWhyNot)
{
    const TConverted good = ConvertTest("Tom & Jerry?{=да ~нет}\n\nT{TRUE}", TTestFormat::Gift, TTestFormat::Ekzamo);
    EXPECT_EQ(good.Bytes, Cp("Tom && Jerry?\r\n2\r\n1\r\nда\r\nнет\r\n"));
    ExpectNotes(good.Notes, {{3, GiftMsg::OtherKind}});
    EXPECT_TRUE(good.Errors.empty());

    const std::pair<std::string, WantNote> bad[] = {
        {Cp("Вопрос\nA) да\nB) нет\nANSWER: A"), {1, TextMsg::NotUtf8}},
        {"Q1\nA) a\nB) b\nANSWER: A\n\nQ2 😀\nA) a\nB) b\nANSWER: A", {6, FormatMsg::NotAnsi}},
        {"A) a\nANSWER: A", {0, FormatMsg::NoQuestions}},
    };
    for (const auto& [bytes, error] : bad) {
        const TConverted imported = ConvertTest(bytes, TTestFormat::Aiken, TTestFormat::Ekzamo);
        EXPECT_TRUE(imported.Bytes.empty());
        ExpectNotes(imported.Errors, {error});
    }
}

TEST(Exchange, ExportNamesQuestionsByNumberWithoutLines)
{
    TTestContent content;
    content.Items = {{"Q1", {"a"}, 1}, {"Q&2", {"a", "b"}, 2}};
    const TPlainTest plain = PlainFromTest(content);
    std::vector<TFormatNote> notes = plain.Notes, errors;
    EXPECT_EQ(WritePlain(plain.Questions, TTestFormat::Aiken, notes, errors), "Q2\nA) a\nB) b\nANSWER: B\n");
    ExpectNotes(notes, {{2, FormatMsg::LoneMarker}, {1, FormatMsg::Skipped}});
    EXPECT_TRUE(errors.empty());
}

// ---- Round trips --------------------------------------------------------------

enum class TVia { Gift, Aiken };

// Ekzamo bytes through the exchange format and back; every note on the way
// is gathered.
std::string RoundTrip(const std::string& ekzamo, TVia via, std::vector<TFormatNote>& notes)
{
    const TPlainTest plain = PlainFromTest(ReadTestContent(ekzamo));
    notes.insert(notes.end(), plain.Notes.begin(), plain.Notes.end());
    const std::string exchange =
        via == TVia::Gift ? GiftBytes(plain.Questions, notes) : AikenBytes(plain.Questions, notes);
    TFormatNote problem;
    EXPECT_TRUE(CheckUtf8Text(exchange, problem)) << problem.Text;
    const TPlainTest back = via == TVia::Gift ? ReadGift(exchange) : ReadAiken(exchange);
    notes.insert(notes.end(), back.Notes.begin(), back.Notes.end());
    return TestFileBytes(TestFromPlain(back.Questions, notes));
}

// Tests both formats can hold: texts with no blanks at their ends and no lone
// markers, at least two options, one of them right.
class TRandomHoldable {
public:
    explicit TRandomHoldable(unsigned seed)
        : rng_(seed)
    {
    }

    std::string Text()
    {
        static const std::vector<std::string> pieces = {Cp("Сколько"), Cp("ёжик"), Cp("«»"), Cp("№"), "{", "}", "~",
            "=", "#", ":", "::", "\\", "\\n", "//", "&&", "<b>", "&&amp;", "[html]", "[", "]", "\"", "'", "%50%",
            "->", "####", "$CATEGORY:", "A)", "ANSWER:", " ", "\t", "x", "1"};
        std::string text = Cp("ж");
        const int n = Pick(0, 10);
        for (int i = 0; i < n; ++i)
            text += pieces[std::size_t(Pick(0, int(pieces.size()) - 1))];
        if (Pick(0, 50) == 0)
            text += std::string(std::size_t(Pick(60000, 70000)), char(0xE0 + Pick(0, 31)));
        return text + Cp("ы");
    }

    std::string Test(int maxOptions)
    {
        std::vector<TTestItem> items(std::size_t(Pick(1, Pick(0, 4) == 0 ? 255 : 10)));
        for (TTestItem& item : items) {
            item.Text = Text();
            const int count = Pick(2, Pick(0, 3) == 0 ? maxOptions : 5);
            for (int i = 0; i < count; ++i)
                item.Options.push_back(Text());
            item.Correct = Pick(1, count);
        }
        return TestFileBytes(items);
    }

    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

private:
    std::mt19937 rng_;
};

class RoundTripRandom : public ::testing::TestWithParam<unsigned> {};

TEST_P(RoundTripRandom, ThroughGiftGivesTheSameBytes)
{
    const std::string ekzamo = TRandomHoldable(GetParam()).Test(40);
    std::vector<TFormatNote> notes;
    EXPECT_TRUE(RoundTrip(ekzamo, TVia::Gift, notes) == ekzamo);
    EXPECT_TRUE(notes.empty()) << Describe(notes);
}

TEST_P(RoundTripRandom, ThroughAikenGivesTheSameBytes)
{
    const std::string ekzamo = TRandomHoldable(GetParam()).Test(26);
    std::vector<TFormatNote> notes;
    EXPECT_TRUE(RoundTrip(ekzamo, TVia::Aiken, notes) == ekzamo);
    EXPECT_TRUE(notes.empty()) << Describe(notes);
}

INSTANTIATE_TEST_SUITE_P(RandomTests, RoundTripRandom, ::testing::Range(1u, 31u));

class RoundTripSample : public ::testing::TestWithParam<const char*> {};

TEST_P(RoundTripSample, GivesTheSameBytes)
{
    const std::string ekzamo = ReadBytes(std::string(EKZAMO_EXAMPLES) + "/" + GetParam());
    for (const TVia via : {TVia::Gift, TVia::Aiken}) {
        std::vector<TFormatNote> notes;
        EXPECT_TRUE(RoundTrip(ekzamo, via, notes) == ekzamo) << GetParam();
        EXPECT_TRUE(notes.empty()) << Describe(notes);
    }
}

INSTANTIATE_TEST_SUITE_P(Examples, RoundTripSample, ::testing::Values("geography.txt", "informatics.txt"));

TEST(RoundTripSampleCorners, KeepsAllButTheOneOptionQuestion)
{
    const std::string ekzamo = ReadBytes(std::string(EKZAMO_EXAMPLES) + "/corners.txt");
    const TTestContent before = ReadTestContent(ekzamo);
    for (const TVia via : {TVia::Gift, TVia::Aiken}) {
        std::vector<TFormatNote> notes;
        const TTestContent after = ReadTestContent(RoundTrip(ekzamo, via, notes));
        std::vector<TTestItem> expected;
        for (const TTestItem& item : before.Items)
            if (item.Options.size() >= 2)
                expected.push_back(item);
        EXPECT_EQ(after.Items, expected);
        ASSERT_EQ(notes.size(), 1u) << Describe(notes);
        EXPECT_EQ(notes[0].Text, Format(FormatMsg::Skipped, FormatMsg::FewOptions));
    }
}

} // namespace
