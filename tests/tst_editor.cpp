// SPDX-License-Identifier: MIT
// The editor's logic without its window: the text as shown and as written,
// undoable edits, the warnings and the printed sheet.
#include "editor/Document.h"
#include "editor/Markers.h"
#include "editor/Sheet.h"
#include "editor/Warnings.h"
#include "engine/Files.h"
#include "engine/TestFile.h"
#include "tests/TestUtil.h"

#include <QRegularExpression>
#include <algorithm>
#include <gtest/gtest.h>
#include <set>

namespace {

const QString U = QString(MarkerLine);

TEditQuestion Q(const QString& text, QStringList options, int correct)
{
    return {text, std::move(options), correct};
}

std::vector<TEditQuestion> Sample()
{
    return {Q(QStringLiteral("Столица Франции?"), {QStringLiteral("Париж"), QStringLiteral("Лион")}, 1),
        Q(QStringLiteral("2 + 2?"), {QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")}, 2),
        Q(QStringLiteral("Tom & Jerry"), {QStringLiteral("кот"), QStringLiteral("мышь")}, 2)};
}

// ---- text as shown and as written ----

struct MarkerCase {
    const char* Marked;
    const char* Edit; // with '_' for the low line
};

class Markers : public ::testing::TestWithParam<MarkerCase> {};

QString Low(const char* text)
{
    return QString::fromUtf8(text).replace(u'_', MarkerLine);
}

TEST_P(Markers, EditFormAndBackGiveTheFileText)
{
    const QString marked = QString::fromUtf8(GetParam().Marked);
    EXPECT_EQ(EditFromMarked(marked), Low(GetParam().Edit));
    EXPECT_EQ(MarkedFromEdit(Low(GetParam().Edit)), marked);
}

INSTANTIATE_TEST_SUITE_P(Cases, Markers,
    ::testing::Values(MarkerCase {"Tom && Jerry", "Tom & Jerry"}, MarkerCase {"&Да", "Д_а"},
        MarkerCase {"AT&&T и &Ч&&Б", "AT&T и Ч_&Б"}, MarkerCase {"&&&&", "&&"}, MarkerCase {"", ""},
        MarkerCase {"без меток", "без меток"}));

TEST(MarkersAlone, ALoneMarkerAtTheEndShowsNothingAndGoes)
{
    EXPECT_EQ(EditFromMarked(QStringLiteral("конец&")), QStringLiteral("конец"));
    EXPECT_EQ(MarkedFromEdit(U + QStringLiteral("а")), QStringLiteral("а"));
    EXPECT_EQ(MarkedFromEdit(QStringLiteral("&") + U), QStringLiteral("&&"));
}

TEST(MarkersAlone, PastedLinesAreJoinedWithSpaces)
{
    EXPECT_EQ(JoinLines(QStringLiteral("Первая строка\r\nвторая  \n\n  третья")),
        QStringLiteral("Первая строка вторая третья"));
    EXPECT_EQ(JoinLines(QStringLiteral("\nодна\n")), QStringLiteral("одна"));
    EXPECT_EQ(JoinLines(QStringLiteral("a\x1a" "b\tc")), QStringLiteral("ab\tc"));
    EXPECT_EQ(JoinLines(QStringLiteral("  как есть ")), QStringLiteral("  как есть "));
}

// ---- undoable edits ----

class Editing : public ::testing::Test {
protected:
    void SetUp() override { doc.Reset(Sample()); }
    std::vector<TEditQuestion> Now() const { return doc.Questions(); }
    TTestDocument doc;
};

TEST_F(Editing, EveryKindOfEditIsUndoneAndRedoneExactly)
{
    std::vector<std::vector<TEditQuestion>> states {Now()};
    doc.SetText(0, Fields::Wording, QStringLiteral("Столица Италии?"));
    states.push_back(Now());
    doc.SetCorrect(1, 3);
    states.push_back(Now());
    doc.AddOption(1, 0);
    states.push_back(Now());
    doc.RemoveOption(1, 2);
    states.push_back(Now());
    doc.MoveOption(1, 1, 1);
    states.push_back(Now());
    doc.InsertQuestion(3, NewQuestion());
    states.push_back(Now());
    doc.MoveQuestion(0, 1);
    states.push_back(Now());
    doc.DuplicateQuestion(2);
    states.push_back(Now());
    doc.RemoveQuestion(0);
    states.push_back(Now());
    ASSERT_EQ(doc.UndoStack()->count(), 9);
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        doc.UndoStack()->undo();
        EXPECT_EQ(Now(), states[i - 1]) << "undo to state " << i - 1;
    }
    for (std::size_t i = 1; i < states.size(); ++i) {
        doc.UndoStack()->redo();
        EXPECT_EQ(Now(), states[i]) << "redo to state " << i;
    }
}

TEST_F(Editing, TheMarkStaysWithItsOptionWhenOptionsComeAndGo)
{
    doc.AddOption(1, 0); // before "3": "4" becomes option 3
    EXPECT_EQ(Now()[1].Correct, 3);
    doc.RemoveOption(1, 1);
    EXPECT_EQ(Now()[1].Correct, 2);
    doc.RemoveOption(1, 2); // the right one itself
    EXPECT_EQ(Now()[1].Correct, 0);
    EXPECT_EQ(Now()[1].Options, QStringList({QStringLiteral("3"), QStringLiteral("5")}));
}

TEST_F(Editing, AMovedOptionTakesItsMarkWithItAndTheEndsStayPut)
{
    doc.MoveOption(1, 2, -1); // the right one, "4", up
    EXPECT_EQ(Now()[1].Options, QStringList({QStringLiteral("4"), QStringLiteral("3"), QStringLiteral("5")}));
    EXPECT_EQ(Now()[1].Correct, 1);
    doc.MoveOption(1, 2, 1); // "3" down, past the right one's old place
    EXPECT_EQ(Now()[1].Options, QStringList({QStringLiteral("4"), QStringLiteral("5"), QStringLiteral("3")}));
    EXPECT_EQ(Now()[1].Correct, 1);
    doc.MoveOption(1, 2, -1); // "5" up, over the right one
    EXPECT_EQ(Now()[1].Correct, 2);
    const int steps = doc.UndoStack()->count();
    doc.MoveOption(1, 1, -1);
    doc.MoveOption(1, 3, 1);
    EXPECT_EQ(doc.UndoStack()->count(), steps);
}

TEST_F(Editing, TypingInOneFieldIsOneStepAndAnotherFieldStartsAnother)
{
    doc.SetText(0, Fields::Wording, QStringLiteral("Столица Франции?!"));
    doc.SetText(0, Fields::Wording, QStringLiteral("Столица Франции?!!"));
    doc.SetText(0, 1, QStringLiteral("Париж!"));
    EXPECT_EQ(doc.UndoStack()->count(), 2);
    doc.UndoStack()->undo();
    doc.UndoStack()->undo();
    EXPECT_EQ(Now(), Sample());
}

// Typing is undone as text editors undo it: a word, or what came before a
// pause, or a run of deleting, at a time.
struct TypingCase {
    const char* Name;
    // Each keystroke: milliseconds after the one before, and the text after it.
    std::vector<std::pair<int, std::string>> Keys;
    std::vector<const char*> Undone; // the text after each undo, to the start
};

void PrintTo(const TypingCase& c, std::ostream* os)
{
    *os << c.Name;
}

class Typing : public ::testing::TestWithParam<TypingCase> {};

TEST_P(Typing, EachUndoTakesBackOneStep)
{
    TTestDocument doc;
    std::int64_t now = 0;
    doc.SetClock([&now] { return now; });
    doc.Reset({Q(QString(), {QStringLiteral("а"), QStringLiteral("б")}, 1)});
    for (const auto& [after, text] : GetParam().Keys) {
        now += after;
        doc.SetText(0, Fields::Wording, QString::fromStdString(text));
    }
    ASSERT_EQ(doc.UndoStack()->count(), int(GetParam().Undone.size())) << GetParam().Name;
    for (const char* text : GetParam().Undone) {
        doc.UndoStack()->undo();
        EXPECT_EQ(doc.Questions()[0].Text, QString::fromUtf8(text)) << GetParam().Name;
    }
}

// A key a tenth of a second, each adding a character.
std::vector<std::pair<int, std::string>> Typed(const char* text)
{
    const QString all = QString::fromUtf8(text);
    std::vector<std::pair<int, std::string>> keys;
    for (qsizetype i = 1; i <= all.size(); ++i)
        keys.emplace_back(100, all.left(i).toStdString());
    return keys;
}

TypingCase Words()
{
    return {"words", Typed("три слова подряд"), {"три слова ", "три ", ""}};
}

TypingCase Pause()
{
    return {"a pause in a word, and before a blank", {{100, "пау"}, {100, "пауза"}, {3000, "паузах"}, {100, "паузахх"},
        {3000, "паузахх "}, {100, "паузахх и"}}, {"паузахх", "пауза", ""}};
}

TypingCase Deleting()
{
    return {"typing, then deleting, then typing elsewhere",
        {{100, "кот"}, {100, "ко"}, {100, "к"}, {100, "!к"}}, {"к", "кот", ""}};
}

INSTANTIATE_TEST_SUITE_P(Steps, Typing, ::testing::Values(Words(), Pause(), Deleting()));

TEST_F(Editing, MovesPastTheEndsAndEditsThatChangeNothingLeaveNoStep)
{
    doc.MoveQuestion(0, -1);
    doc.MoveQuestion(2, 1);
    doc.SetText(0, Fields::Wording, Sample()[0].Text);
    doc.SetCorrect(0, 1);
    EXPECT_EQ(doc.UndoStack()->count(), 0);
}

TEST(Items, TheEditorsQuestionsAreWrittenAsTheProgramReadsThem)
{
    std::vector<TEditQuestion> questions = Sample();
    questions[0].Options[0] = QStringLiteral("П") + U + QStringLiteral("ариж");
    const std::string bytes = TestFileBytes(ToItems(questions));
    EXPECT_EQ(bytes, Cp("Столица Франции?\r\n2\r\n1\r\n&Париж\r\nЛион\r\n2 + 2?\r\n3\r\n2\r\n3\r\n4\r\n5\r\n"
                        "Tom && Jerry\r\n2\r\n2\r\nкот\r\nмышь\r\n"));
    EXPECT_EQ(FromItems(ReadTestContent(bytes).Items, false), questions);
}

// What is saved opens again: a test past the size bound of every file read
// is refused whole, the old file kept; one just under it opens.
TEST(Items, ATestIsNeverSavedLargerThanItCanBeOpened)
{
    const TempFolder tmp;
    const std::string path = tmp.Write("big.txt", "old");
    const QString option(8000, QChar(u'я'));
    std::vector<TEditQuestion> questions(1100, TEditQuestion{QStringLiteral("Вопрос"), {option, option}, 1});
    EXPECT_THROW(SaveForEditing(path, questions), EError);
    EXPECT_EQ(ReadWholeFile(path), "old");
    questions.resize(1000);
    SaveForEditing(path, questions);
    EXPECT_EQ(ReadWholeFile(path).size(), TestFileBytes(ToItems(questions)).size());
}

// Read before the window exists: a Windows-1251 test comes decoded, a UTF-8
// one as read, its decoding the teacher's to choose.
TEST(Items, ATestReadForEditingIsDecodedUnlessItMayBeUtf8)
{
    TempFolder tmp;
    const TTestForEditing ansi = ReadTestForEditing(tmp.Write("a.txt", Cp("Tom && Jerry?\r\n2\r\n2\r\nкот\r\nмышь")));
    EXPECT_FALSE(ansi.Utf8);
    ASSERT_EQ(ansi.Questions.size(), 1);
    EXPECT_EQ(ansi.Questions[0], Q(QStringLiteral("Tom & Jerry?"), {QStringLiteral("кот"), QStringLiteral("мышь")}, 2));

    const TTestForEditing utf8 = ReadTestForEditing(tmp.Write("u.txt", "Столица?\n2\n1\nПариж\nЛион\n"));
    EXPECT_TRUE(utf8.Utf8);
    EXPECT_TRUE(utf8.Questions.empty());
    EXPECT_EQ(utf8.Content.Items.size(), 1);

    // Bytes that only look like UTF-8 in part: an encoded surrogate, an
    // overlong form, a sequence cut short.
    for (const std::string bytes : {"\xED\xA0\x80?\r\n2\r\n1\r\na\r\nb", "\xC0\xAF?\r\n2\r\n1\r\na\r\nb",
             "\xD0\x9F\xD0?\r\n2\r\n1\r\na\r\nb"}) {
        const TTestForEditing test = ReadTestForEditing(tmp.Write("x.txt", bytes));
        EXPECT_FALSE(test.Utf8) << bytes;
        EXPECT_EQ(test.Questions.size(), 1) << bytes;
    }
}

// ---- warnings ----

struct WarningCase {
    const char* Name;
    TEditQuestion Question;
    int Field;
    const char* Contains;
};

class Warnings : public ::testing::TestWithParam<WarningCase> {};

TEST_P(Warnings, EachFaultIsNamedWithItsQuestionAndField)
{
    std::vector<TEditQuestion> questions = Sample();
    questions.insert(questions.begin() + 1, GetParam().Question);
    const auto warnings = EditorWarnings(questions);
    const auto found = std::find_if(warnings.begin(), warnings.end(), [](const TEditorWarning& w) {
        return w.Text.contains(QString::fromUtf8(GetParam().Contains));
    });
    ASSERT_NE(found, warnings.end()) << GetParam().Name;
    EXPECT_EQ(found->Question, 1);
    EXPECT_EQ(found->Field, GetParam().Field);
    for (const TEditorWarning& w : warnings)
        EXPECT_EQ(w.Question, 1) << w.Text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Faults, Warnings,
    ::testing::Values(
        WarningCase {"no right option", Q(QStringLiteral("В?"), {QStringLiteral("а"), QStringLiteral("б")}, 0),
            Fields::RightMark, "номер правильного ответа 0"},
        WarningCase {"one option", Q(QStringLiteral("В?"), {QStringLiteral("а")}, 1), Fields::OptionList,
            "нужно хотя бы два"},
        WarningCase {"six options",
            Q(QStringLiteral("В?"), {QStringLiteral("а"), QStringLiteral("б"), QStringLiteral("в"), QStringLiteral("г"),
                QStringLiteral("д"), QStringLiteral("е")}, 1),
            6, "показываются только 5"},
        WarningCase {"empty wording", Q(QStringLiteral(" "), {QStringLiteral("а"), QStringLiteral("б")}, 1),
            Fields::Wording, "пустой текст вопроса"},
        WarningCase {"empty option", Q(QStringLiteral("В?"), {QStringLiteral("а"), QString()}, 1), 2,
            "пустой вариант"},
        WarningCase {"emoji", Q(QStringLiteral("В?"), {QStringLiteral("а"), QStringLiteral("б 😀")}, 1), 2,
            "«😀» (U+1F600)"},
        WarningCase {"greek", Q(QStringLiteral("Угол α?"), {QStringLiteral("а"), QStringLiteral("б")}, 1),
            Fields::Wording, "«α»"}));

TEST(WarningsAlone, ACleanTestHasNoneAndTheMarkerLineIsNoStrangeCharacter)
{
    std::vector<TEditQuestion> questions = Sample();
    questions[0].Text = QStringLiteral("С") + U + QStringLiteral("толица?");
    EXPECT_TRUE(EditorWarnings(questions).empty());
    EXPECT_EQ(FirstBadCharacter(questions).Question, -1);
    questions[2].Options[1] = QStringLiteral("мышь ✓");
    const TBadCharacter bad = FirstBadCharacter(questions);
    EXPECT_EQ(bad.Question, 2);
    EXPECT_EQ(bad.Field, 2);
    EXPECT_EQ(bad.Spot.Character, QStringLiteral("✓"));
}

TEST(WarningsAlone, NotesAreListedInLineOrderWithTheirQuestionsTitles)
{
    const std::vector<TFormatNote> notes {{9, "второе", "Q2"}, {4, "первое", "Q1"}, {0, "о файле"}, {9, "третье"}};
    EXPECT_EQ(NoteLines(notes, QStringLiteral("строка %1")),
        QStringList({QStringLiteral("о файле"), QStringLiteral("строка 4 («Q1»): первое"),
            QStringLiteral("строка 9 («Q2»): второе"), QStringLiteral("строка 9: третье")}));
}

TEST(WarningsAlone, The256thQuestionIsNamed)
{
    std::vector<TEditQuestion> questions(256, Sample()[0]);
    const auto warnings = EditorWarnings(questions);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_EQ(warnings[0].Question, 255);
    EXPECT_EQ(WarningLabel(warnings[0]).left(11), QStringLiteral("Вопрос 256:"));
}

// ---- the printed sheet ----

TEST(Sheet, VariantsArePermutationsAndTheKeyFollowsTheRightOption)
{
    std::vector<TEditQuestion> questions = Sample();
    TSheetOptions options;
    options.Variants = 4;
    options.Shuffle = true;
    options.Seed = 7;
    const auto variants = MakeVariants(questions, options);
    ASSERT_EQ(variants.size(), 4u);
    std::set<std::vector<int>> orders;
    for (const TVariant& v : variants) {
        std::vector<int> sorted = v.Questions;
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, (std::vector<int> {0, 1, 2}));
        orders.insert(v.Questions);
        for (std::size_t i = 0; i < v.Questions.size(); ++i)
            EXPECT_EQ(int(v.Options[i].size()), questions[std::size_t(v.Questions[i])].Options.size());
    }
    EXPECT_GT(orders.size(), 1u) << "four shuffled variants all alike";

    // Unshuffled, the key is the file's own right numbers as letters.
    options.Variants = 1;
    options.Shuffle = false;
    const QString html = SheetHtml(QStringLiteral("Тест"), questions, MakeVariants(questions, options), true);
    EXPECT_TRUE(html.contains(QStringLiteral("1 — а; 2 — б; 3 — б")));
    EXPECT_TRUE(html.contains(QStringLiteral("Tom &amp; Jerry")));
}

TEST(Sheet, ThePdfShowsTheQuestionsAndTheKey)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    TempFolder tmp;
    const QString pdf = QString::fromStdString(tmp.Path("sheet.pdf"));
    TSheetOptions options;
    options.Variants = 2;
    options.Shuffle = true;
    options.Seed = 3;
    WritePdf(pdf, QStringLiteral("география"), Sample(), options);
    const QString out = PdfText(pdf);
    for (const char* expected : {"география", "Вариант 1", "Вариант 2", "Столица Франции?", "а) ", "б) ", "в) ",
             "Tom & Jerry", "Ключ ответов"})
        EXPECT_TRUE(out.contains(QString::fromUtf8(expected))) << expected << "\n" << out.toStdString();
    // Each variant's key names the letter its own sheet gave the right option.
    const auto variants = MakeVariants(Sample(), options);
    const QString html = SheetHtml(QStringLiteral("география"), Sample(), variants, true);
    const QString key = html.mid(html.indexOf(QStringLiteral("Ключ ответов")));
    const TVariant& first = variants[0];
    const TEditQuestion q = Sample()[std::size_t(first.Questions[0])];
    const int at = int(std::find(first.Options[0].begin(), first.Options[0].end(), q.Correct - 1) - first.Options[0].begin());
    EXPECT_TRUE(key.contains(QStringLiteral("1 — ") + OptionLetter(at)));
    EXPECT_TRUE(out.contains(QStringLiteral("1 — ") + OptionLetter(at)));
}

// Sixty questions of five options over several pages, in two variants with
// their keys: every page begins with a question, a heading or a key, never
// with an option parted from its question.
TEST(Sheet, AQuestionIsNeverPartedFromItsOptionsByAPageBreak)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    std::vector<TEditQuestion> questions;
    for (int k = 1; k <= 60; ++k) {
        TEditQuestion q;
        q.Text = QStringLiteral("Вопрос %1, достаточно длинный, чтобы занять строку").arg(k);
        for (int i = 1; i <= 5; ++i)
            q.Options.append(QStringLiteral("ответ %1 на вопрос %2").arg(i).arg(k));
        q.Correct = 1 + k % 5;
        questions.push_back(q);
    }
    TempFolder tmp;
    const QString pdf = QString::fromStdString(tmp.Path("sheet.pdf"));
    TSheetOptions options;
    options.Variants = 2;
    options.Shuffle = true;
    options.Seed = 7;
    WritePdf(pdf, QStringLiteral("длинный"), questions, options);
    const QStringList pages = PdfText(pdf).split(u'\f', Qt::SkipEmptyParts);
    ASSERT_GT(pages.size(), 6) << "the sheets take several pages";
    const QRegularExpression option(QStringLiteral("^\\s*[а-я]+\\) ответ"));
    int questionsSeen = 0;
    for (int n = 0; n < pages.size(); ++n) {
        QStringList lines = pages[n].split(u'\n', Qt::SkipEmptyParts);
        lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
        if (lines.isEmpty())
            continue;
        EXPECT_FALSE(option.match(lines.first()).hasMatch()) << "page " << n + 1 << " begins " << lines.first().toStdString();
        // A question's five options follow it on its page.
        for (int i = 0; i < lines.size(); ++i) {
            if (!lines[i].contains(QStringLiteral("достаточно длинный")))
                continue;
            ++questionsSeen;
            EXPECT_LE(i + 5, lines.size() - 1) << "page " << n + 1 << ": " << lines[i].toStdString();
        }
        EXPECT_TRUE(lines.last().trimmed() == QString::number(n + 1)) << "page " << n + 1 << " ends " << lines.last().toStdString();
    }
    EXPECT_EQ(questionsSeen, 120);
}

TEST(Sheet, APdfThatCannotBeWrittenSaysSo)
{
    EXPECT_THROW(WritePdf(QStringLiteral("/nonexistent-folder/sheet.pdf"), QStringLiteral("т"), Sample(), {}),
        std::exception);
}

} // namespace
