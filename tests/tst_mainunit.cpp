// SPDX-License-Identifier: MIT
#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Ques.h"
#include "tests/DialogAnswerer.h"
#include "tests/TestUtil.h"
#include "tests/WindowUtil.h"
#include "ui/AF.h"
#include "ui/INPM.h"
#include "ui/MainUnit.h"
#include "ui/Messages.h"
#include "ui/Widgets.h"

#include <QAccessible>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <gtest/gtest.h>

#include <memory>

namespace {

class TestWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEngine();
    }

    void TearDown() override
    {
        window.reset();
        ResetEngine();
    }

    // Chooses the test file as the setup window would, then opens the window.
    void Open(const std::string& bytes, const std::string& name = "algebra.txt")
    {
        SelectTestFile(tmp.Write(name, bytes));
        window = std::make_unique<TMF>();
    }

    template <class T>
    T* Control(const char* name) const
    {
        return Find<T>(window.get(), name);
    }

    QString Caption(const char* name) const
    {
        if (auto* box = window->findChild<QGroupBox*>(QString::fromLatin1(name)))
            return box->title();
        if (auto* label = window->findChild<QLabel*>(QString::fromLatin1(name)))
            return label->text();
        return Control<QAbstractButton>(name)->text();
    }

    QRadioButton* Option(int k) const
    {
        return Control<QRadioButton>(("Otv" + std::to_string(k)).c_str());
    }

    // Chooses the right option of the question on screen, or a wrong one.
    void Choose(bool right)
    {
        const int correct = TestOrder[CurrentPos]->Correct;
        const int k = right ? correct : (correct == 1 ? 2 : 1);
        QTest::mouseClick(Option(k), Qt::LeftButton);
    }

    void Confirm() { QTest::mouseClick(Control<QPushButton>("Yes"), Qt::LeftButton); }
    // A key to the control with the window's focus, as the keyboard sends it.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focused = window->focusWidget();
        QTest::keyClick(focused ? focused : window.get(), key, modifiers);
    }
    void Skip() { QTest::mouseClick(Control<QPushButton>("Miss"), Qt::LeftButton); }

    TempCurrentFolder tmp;
    DialogAnswerer answers;
    std::unique_ptr<TMF> window;
};

using TestStart = TestWindow;

TEST_F(TestStart, OpensOnTheFirstPositionWithTheLiteralTimeAndTheTestsName)
{
    Open(MakeTest(20, 4));
    EXPECT_EQ(QuestionCount, 20);
    EXPECT_EQ(CurrentPos, 1);
    EXPECT_EQ(Caption("GB"), QStringLiteral("Вопрос №1 из 20"));
    EXPECT_EQ(Caption("TimePanel"), QStringLiteral("1:10:00"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Тесты по дисциплине: algebra"));
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->Timer1->isActive());
    EXPECT_EQ(window->Timer1->interval(), 1000);
    EXPECT_TRUE(answers.boxes.empty());
    QTextDocument shown;
    shown.setHtml(Caption("Vopros"));
    EXPECT_EQ(shown.toPlainText(), FromAnsi(TestOrder[1]->Text));
}

TEST_F(TestStart, ShowsOnlyTheOptionButtonsTheQuestionHas)
{
    for (int options : {1, 2, 3, 4, 5, 7}) {
        SCOPED_TRACE(options);
        ResetEngine();
        Open(MakeTest(1, options));
        const int shown = std::min(options, 5);
        for (int k = 1; k <= 5; ++k) {
            EXPECT_EQ(Option(k)->isVisibleTo(window.get()), k <= std::max(shown, 2)) << "Otv" << k;
            EXPECT_FALSE(Option(k)->isChecked());
        }
        for (int k = 1; k <= shown; ++k)
            EXPECT_EQ(Option(k)->text(), FromAnsi(TestOrder[1]->Options[std::size_t(k)]));
        window.reset();
    }
}

TEST_F(TestStart, TextsAreShownAsWrittenWithAmpersandAsTheAcceleratorMarker)
{
    Open(Cp("<b>x</b> &y &&z") + "\r\n2\r\n1\r\n<i>AT&&T</i>\r\n&Plain\r\n");
    QTextDocument shown;
    shown.setHtml(Caption("Vopros"));
    EXPECT_EQ(shown.toPlainText(), QStringLiteral("<b>x</b> y &z"));
    EXPECT_TRUE(Caption("Vopros").contains(QStringLiteral("<u>y</u>")));
    QStringList options {Option(1)->text(), Option(2)->text()};
    options.sort();
    EXPECT_EQ(options, (QStringList {QStringLiteral("&Plain"), QStringLiteral("<i>AT&&T</i>")}));
}

TEST(MnemonicText, MarkersAndMarkup)
{
    struct Case {
        const char* text;
        const char* html;
    } cases[] = {
        {"plain", "plain"},
        {"&File", "<u>F</u>ile"},
        {"a && b", "a &amp; b"},
        {"<b>bold</b>", "&lt;b&gt;bold&lt;/b&gt;"},
        {"end&", "end"},
        {"&&&x", "&amp;<u>x</u>"},
        {"&<", "<u>&lt;</u>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(MnemonicToHtml(QString::fromUtf8(c.text)),
                  QStringLiteral("<span style=\"white-space: pre-wrap\">") + QString::fromUtf8(c.html)
                      + QStringLiteral("</span>"));
    }
}

using Answering = TestWindow;

TEST_F(Answering, ConfirmWithoutAChoiceAsksForOneAndStays)
{
    Open(MakeTest(3, 3));
    Confirm();
    EXPECT_EQ(answers.Texts(), QStringList {QStringLiteral("Выберите один из предложенных вариантов ответа")});
    EXPECT_EQ(answers.boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(CurrentPos, 1);
    EXPECT_EQ(Answers[1], 0);
}

TEST_F(Answering, ConfirmRecordsTheChosenButtonsNumberAndMovesOn)
{
    Open(MakeTest(3, 4));
    QTest::mouseClick(Option(3), Qt::LeftButton);
    Confirm();
    EXPECT_EQ(Answers[1], 3);
    EXPECT_EQ(CurrentPos, 2);
    EXPECT_EQ(Caption("GB"), QStringLiteral("Вопрос №2 из 3"));
    for (int k = 1; k <= 5; ++k)
        EXPECT_FALSE(Option(k)->isChecked()) << "Otv" << k;
}

TEST_F(Answering, SkippedQuestionsComeBackUnderTheirOwnPosition)
{
    Open(MakeTest(3, 3));
    Skip();
    Choose(true);
    Confirm();
    Choose(true);
    Confirm();
    EXPECT_EQ(CurrentPos, 1);
    EXPECT_EQ(Caption("GB"), QStringLiteral("Вопрос №1 из 3"));
    EXPECT_TRUE(answers.boxes.empty());
}

TEST_F(Answering, KeyboardEnterConfirmsEscSkipsAFocusedButtonTakesEnter)
{
    Open(MakeTest(5, 3));
    Option(1)->setFocus();
    QTest::keyClick(Option(1), Qt::Key_Escape);
    EXPECT_EQ(CurrentPos, 2) << "Esc skips";

    QTest::mouseClick(Option(2), Qt::LeftButton);
    QTest::keyClick(Option(2), Qt::Key_Return);
    EXPECT_EQ(Answers[2], 2) << "Enter on an option confirms";
    EXPECT_EQ(CurrentPos, 3);

    QTest::mouseClick(Option(1), Qt::LeftButton);
    for (auto modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        QTest::keyClick(Option(1), Qt::Key_Return, modifier);
        QTest::keyClick(Option(1), Qt::Key_Escape, modifier);
    }
    EXPECT_EQ(CurrentPos, 3) << "not with Shift, Ctrl or Alt";
    EXPECT_EQ(Answers[3], 0);

    auto* miss = Control<QPushButton>("Miss");
    miss->setFocus();
    QTest::keyClick(miss, Qt::Key_Enter);
    EXPECT_EQ(CurrentPos, 4) << "the focused Miss takes Enter";
    EXPECT_EQ(Answers[3], 0);
}

TEST_F(Answering, EnterAndEscDoNothingWithShiftCtrlOrAltWhateverHasTheFocus)
{
    Open(MakeTest(5, 3));
    QTest::mouseClick(Option(1), Qt::LeftButton);
    for (const char* focus : {"Yes", "Miss", "BitBtn1", "Otv1"}) {
        SCOPED_TRACE(focus);
        auto* control = Control<QWidget>(focus);
        control->setFocus();
        for (auto modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier})
            for (auto key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(control, key, modifier);
        EXPECT_EQ(CurrentPos, 1);
        EXPECT_EQ(Answers[1], 0);
        EXPECT_TRUE(answers.boxes.empty());
    }
    auto* yes = Control<QPushButton>("Yes");
    yes->setFocus();
    QTest::keyClick(yes, Qt::Key_Return);
    EXPECT_EQ(Answers[1], 1) << "plain Enter on the focused Yes confirms";
    EXPECT_EQ(CurrentPos, 2);
}

TEST_F(Answering, TabOrderRunsFromTheOptionsToMissYesAndExit)
{
    Open(MakeTest(1, 5));
    QStringList order;
    QWidget* w = Option(1);
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != Option(1));
    EXPECT_EQ(order, (QStringList {QStringLiteral("Otv1"), QStringLiteral("Otv2"), QStringLiteral("Otv3"),
                                   QStringLiteral("Otv4"), QStringLiteral("Otv5"), QStringLiteral("Miss"),
                                   QStringLiteral("Yes"), QStringLiteral("BitBtn1")}));
}

TEST_F(Answering, OnlyTheChosenOptionIsATabStop)
{
    Open(MakeTest(1, 5));
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::mouseClick(Option(3), Qt::LeftButton);
    Control<QPushButton>("Miss")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Option(3));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Control<QWidget>("BitBtn1"));
}

using KeyboardUse = TestWindow;

// A test whose questions alternate between five and two options.
std::string MixedTest(int count)
{
    std::string bytes;
    for (int k = 1; k <= count; ++k) {
        const int options = k % 2 ? 5 : 2;
        bytes += Cp("Вопрос ") + std::to_string(k) + "\r\n" + std::to_string(options) + "\r\n1\r\n";
        for (int i = 1; i <= options; ++i)
            bytes += Cp("Ответ ") + std::to_string(k) + "." + std::to_string(i) + "\r\n";
    }
    return bytes;
}

TEST_F(KeyboardUse, DigitsChooseTheShownOptionAtTheirPlaceOnTheMainRowAndTheKeypad)
{
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int chosen; // 0: nothing chosen
    } cases[] = {
        {Qt::Key_1, Qt::NoModifier, 1},     {Qt::Key_3, Qt::NoModifier, 3},
        {Qt::Key_2, Qt::KeypadModifier, 2}, {Qt::Key_3, Qt::KeypadModifier, 3},
        {Qt::Key_4, Qt::NoModifier, 0},     {Qt::Key_5, Qt::KeypadModifier, 0},
        {Qt::Key_6, Qt::NoModifier, 0},     {Qt::Key_0, Qt::NoModifier, 0},
        {Qt::Key_2, Qt::ControlModifier, 0}, {Qt::Key_2, Qt::AltModifier, 0},
        {Qt::Key_2, Qt::ShiftModifier, 0},
    };
    Open(MakeTest(2, 3));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << c.key - Qt::Key_0 << " modifiers " << c.modifiers);
        ShowQuestion(*TestOrder[CurrentPos]);
        Control<QPushButton>("BitBtn1")->setFocus();
        Press(c.key, c.modifiers);
        EXPECT_EQ(Control<QButtonGroup>("Otvety")->checkedId(), c.chosen ? c.chosen : -1);
        if (c.chosen) {
            EXPECT_EQ(window->focusWidget(), Option(c.chosen)) << "the focus goes with the choice";
        }
        EXPECT_EQ(CurrentPos, 1);
    }
}

TEST_F(KeyboardUse, ADigitThenEnterConfirmsEvenAfterMissWasClickedWhichStillTakesEnter)
{
    Open(MakeTest(4, 3));
    Skip();
    ASSERT_EQ(window->focusWidget(), Control<QWidget>("Miss"));
    Press(Qt::Key_Return);
    EXPECT_EQ(CurrentPos, 3) << "the clicked Miss takes Enter and skips again";
    Press(Qt::Key_2);
    Press(Qt::Key_Return);
    EXPECT_EQ(Answers[3], 2);
    EXPECT_EQ(CurrentPos, 4);
    Press(Qt::Key_Escape);
    EXPECT_EQ(CurrentPos, 1);
    EXPECT_TRUE(answers.boxes.empty());
}

TEST_F(KeyboardUse, ArrowKeysMoveBetweenTheShownOptionsAtAnyWidth)
{
    Open(MakeTest(1, 3));
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (int width : {875, 1400}) {
        SCOPED_TRACE(width);
        window->resize(width, 509);
        Press(Qt::Key_1);
        const std::pair<Qt::Key, int> steps[] = {
            {Qt::Key_Down, 2}, {Qt::Key_Down, 3}, {Qt::Key_Down, 3}, {Qt::Key_Up, 2}, {Qt::Key_Up, 1}, {Qt::Key_Up, 1},
        };
        for (const auto& [key, chosen] : steps) {
            Press(key);
            EXPECT_EQ(Control<QButtonGroup>("Otvety")->checkedId(), chosen);
            EXPECT_EQ(QApplication::focusWidget(), Option(chosen));
        }
    }
}

TEST_F(KeyboardUse, AfterEachQuestionTheFocusIsOnAShownOptionNotOnMiss)
{
    // One order in 70 puts every two-option question first: a fixed draw
    // keeps the case it needs.
    FixRandomSeed(1);
    Open(MixedTest(8));
    FreeRandomSeed();
    EXPECT_EQ(window->focusWidget(), Option(1)) << "when first shown";
    int fiveToTwo = 0;
    while (CurrentPos < 8 && Answers[CurrentPos] == 0) {
        const int shown = TestOrder[CurrentPos]->OptionCount;
        Press(Qt::Key(Qt::Key_0 + shown));
        Press(Qt::Key_Enter);
        if (TestOrder[CurrentPos]->OptionCount == 2 && shown == 5)
            ++fiveToTwo;
        EXPECT_EQ(window->focusWidget(), Option(1)) << "position " << int(CurrentPos);
    }
    EXPECT_GT(fiveToTwo, 0) << "a question with five options was followed by one with two";
    EXPECT_TRUE(answers.boxes.empty());
}

using WindowSize = TestWindow;

TEST_F(WindowSize, TheDesignSizeIsTheSmallestAndWiderOptionsWrapToTheWidth)
{
    Open(Cp("Вопрос\r\n2\r\n1\r\n") + std::string(300, 'a') + " " + std::string(300, 'b') + "\r\nx\r\n");
    window->show();
    EXPECT_EQ(window->minimumSize(), QSize(875, 509));
    window->resize(400, 300);
    EXPECT_EQ(window->size(), QSize(875, 509));
    auto* exit = Control<QWidget>("BitBtn1");
    EXPECT_TRUE(window->rect().contains(QRect(exit->mapTo(window.get(), QPoint(0, 0)), exit->size())));

    window->resize(1500, 700);
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(Option(k)->geometry(), QRect(16, Option(k)->y(), 1500 - 34, 57)) << "Otv" << k;
    window->resize(875, 509);
    EXPECT_EQ(Option(1)->width(), 841);
}

TEST_F(WindowSize, TheWindowOpensWhollyOnTheAvailableScreen)
{
    Open(MakeTest(1, 2));
    window->show();
    const QRect area = window->screen()->availableGeometry();
    const QRect outer = window->frameGeometry();
    if (outer.width() <= area.width())
        EXPECT_TRUE(area.contains(outer)) << "outer " << outer.x() << "," << outer.y();
    else
        EXPECT_EQ(outer.left(), area.left());
    EXPECT_GE(outer.top(), area.top());
    EXPECT_LE(outer.bottom(), area.bottom());
}

TEST_F(WindowSize, DesignPositionWhereTheScreenAllows)
{
    Open(MakeTest(1, 2));
    ExpectDesignPosition(window.get(), QPoint(207, 411));
}

using Appearance = TestWindow;

TEST_F(Appearance, FacesHeightsAndTheTimePanelsBlack)
{
    Open(MakeTest(1, 5));
    const QStringList times {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")};
    const QStringList sans {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")};
    const struct {
        const char* control;
        const QStringList& faces;
        int pixels;
        bool bold;
    } fonts[] = {
        {"GB", times, 19, false},      {"Vopros", times, 16, true},  {"GroupBox1", times, 19, false},
        {"Otv1", times, 16, false},    {"Otv5", times, 16, false},   {"TimePanel", sans, 13, false},
        {"Yes", sans, 11, false},      {"BitBtn1", sans, 11, false},
    };
    for (const auto& f : fonts) {
        SCOPED_TRACE(f.control);
        const QFont font = Control<QWidget>(f.control)->font();
        EXPECT_EQ(font.pixelSize(), f.pixels);
        EXPECT_EQ(font.bold(), f.bold);
        EXPECT_FALSE(font.italic());
        const QString drawn = QFontInfo(font).family();
        EXPECT_TRUE(f.faces.contains(drawn)) << drawn.toStdString();
    }
    EXPECT_EQ(window->font().pixelSize(), 11);
    EXPECT_EQ(Control<QWidget>("TimePanel")->palette().color(QPalette::WindowText), QColor(Qt::black));
}

using ScreenReader = TestWindow;

QString Name(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
}

QAccessible::Role Role(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->role();
}

TEST_F(ScreenReader, ControlsAreNamedAsShownWithMarkersResolved)
{
    Open(Cp("<b>AT&&T</b> &and more") + "\r\n3\r\n1\r\nR&&D\r\n&Yes\r\nend&\r\n");
    EXPECT_EQ(Name(Control<QWidget>("GB")), QStringLiteral("Вопрос №1 из 1"));
    EXPECT_EQ(Role(Control<QWidget>("GB")), QAccessible::Grouping);
    EXPECT_EQ(Name(Control<QWidget>("Vopros")), QStringLiteral("<b>AT&T</b> and more"));
    EXPECT_EQ(Role(Control<QWidget>("Vopros")), QAccessible::StaticText);
    EXPECT_EQ(Name(Control<QWidget>("GroupBox1")), QStringLiteral("Варианты ответов"));
    QStringList options;
    for (int k = 1; k <= 3; ++k) {
        options << Name(Option(k));
        EXPECT_EQ(Role(Option(k)), QAccessible::RadioButton);
    }
    options.sort();
    EXPECT_EQ(options, (QStringList {QStringLiteral("R&D"), QStringLiteral("Yes"), QStringLiteral("end")}));
    const std::pair<const char*, const char*> buttons[] = {
        {"Yes", "Подтвердить"}, {"Miss", "Пропустить"}, {"BitBtn1", "Выход"}};
    for (const auto& [name, text] : buttons) {
        EXPECT_EQ(Name(Control<QWidget>(name)), QString::fromUtf8(text));
        EXPECT_EQ(Role(Control<QWidget>(name)), QAccessible::Button);
    }
}

TEST_F(ScreenReader, TheCheckedOptionTheFocusAndTheTimeLeftAreReported)
{
    Open(MakeTest(2, 3));
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(Option(1))->state().focused);
    Press(Qt::Key_2);
    for (int k = 1; k <= 3; ++k) {
        const QAccessible::State state = QAccessible::queryAccessibleInterface(Option(k))->state();
        EXPECT_EQ(bool(state.checked), k == 2) << "Otv" << k;
        EXPECT_EQ(bool(state.focused), k == 2) << "Otv" << k;
        EXPECT_TRUE(state.checkable);
    }
    TestDuration = "0:30:00";
    window->StartClockMs -= 1500;
    window->Timer1Timer();
    EXPECT_EQ(Name(Control<QWidget>("TimePanel")), QStringLiteral("Осталось времени: 0:29:58"));
}

TEST_F(ScreenReader, AMessageBoxReadsOutItsText)
{
    Open(MakeTest(1, 2));
    QString description;
    QStringList labels;
    answers.onBox = [&](const DialogAnswerer::Box&) {
        QWidget* box = QApplication::activeModalWidget();
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
        description = face->text(QAccessible::Description);
        for (int i = 0; i < face->childCount(); ++i)
            if (face->child(i)->role() == QAccessible::StaticText)
                labels << face->child(i)->text(QAccessible::Name);
    };
    Confirm();
    const QString text = QStringLiteral("Выберите один из предложенных вариантов ответа");
    EXPECT_EQ(description, text);
    EXPECT_TRUE(labels.contains(text)) << labels.join(u'|').toStdString();
}

using Finishing = TestWindow;

TEST_F(Finishing, LastAnswerShowsTheScoreWritesTheFileAndFreesTheQuestionsOnce)
{
    Open(MakeTest(2, 3));
    Choose(true);
    Confirm();
    Choose(false);
    Confirm();
    EXPECT_EQ(answers.Texts(), QStringList {Score(1, 2)});
    EXPECT_EQ(answers.boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(ReadBytes(tmp.Path("algebra.out")), ToAnsi(Score(1, 2)) + "\r\n");
    EXPECT_EQ(TestOrder[1], nullptr);
    EXPECT_EQ(TestOrder[2], nullptr);
    EXPECT_EQ(QuestionCount, 2);

    // Nothing acts on the freed questions afterwards.
    QTest::mouseClick(Control<QPushButton>("BitBtn1"), Qt::LeftButton);
    Confirm();
    Skip();
    window->close();
    EXPECT_EQ(answers.boxes.size(), 1u);
}

TEST_F(Finishing, OneQuestionSkipShowsItAgainConfirmFinishes)
{
    Open(MakeTest(1, 2));
    Skip();
    EXPECT_EQ(CurrentPos, 1);
    EXPECT_TRUE(answers.boxes.empty());
    Choose(true);
    Confirm();
    EXPECT_EQ(answers.Texts(), QStringList {Score(1, 1)});
}

TEST_F(Finishing, ExitAndTheCloseBoxFinishTheTest)
{
    Open(MakeTest(3, 3));
    Choose(true);
    Confirm();
    QTest::mouseClick(Control<QPushButton>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(answers.Texts(), QStringList {Score(1, 3)});

    window.reset();
    ResetEngine();
    answers.boxes.clear();
    Open(MakeTest(3, 3));
    EXPECT_TRUE(window->close());
    EXPECT_EQ(answers.Texts(), QStringList {Score(0, 3)});
    EXPECT_TRUE(ReadBytes(tmp.Path("algebra.out")).starts_with(ToAnsi(Score(0, 3))));
}

TEST_F(Finishing, ExpiryDuringTheScoreMessageStartsNoSecondFinish)
{
    Open(MakeTest(1, 2));
    TestDuration = "0:00:01";
    answers.onBox = [this](const DialogAnswerer::Box&) {
        window->StartClockMs -= 5000;
        window->Timer1Timer();
        QTest::qWait(50);
        QTest::mouseClick(Control<QPushButton>("BitBtn1"), Qt::LeftButton);
        window->close();
    };
    Choose(true);
    Confirm();
    answers.onBox = nullptr;
    EXPECT_EQ(answers.Texts(), QStringList {Score(1, 1)});
    EXPECT_EQ(TestOrder[1], nullptr);
}

TEST_F(Finishing, AFailedResultsFileKeepsTheWindowAndTheQuestionsForAnotherTry)
{
    Open(MakeTest(2, 2));
    const std::string good = ResultFileName;
    ResultFileName = tmp.Path("");
    QTest::mouseClick(Control<QPushButton>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(answers.Texts(), (QStringList {Score(0, 2), QStringLiteral("File access denied.")}));
    EXPECT_EQ(answers.boxes[1].icon, QMessageBox::Critical);
    EXPECT_NE(TestOrder[1], nullptr);
    EXPECT_TRUE(window->Timer1->isActive());

    EXPECT_FALSE(window->close()) << "a failed close handler leaves the window open";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(answers.boxes.size(), 4u);

    ResultFileName = good;
    QTest::mouseClick(Control<QPushButton>("BitBtn1"), Qt::LeftButton);
    EXPECT_EQ(answers.boxes.back().text, Score(0, 2));
    EXPECT_EQ(ReadBytes(good), ToAnsi(Score(0, 2)) + "\r\n");
    EXPECT_EQ(TestOrder[1], nullptr);
}

using Countdown = TestWindow;

TEST_F(Countdown, TicksShowTheTimeLeftFromTheStart)
{
    Open(MakeTest(2, 2));
    TestDuration = "0:30:00";
    window->StartClockMs -= 61500;
    window->Timer1Timer();
    EXPECT_EQ(Caption("TimePanel"), QStringLiteral("Осталось времени: 0:28:58"));
    EXPECT_TRUE(answers.boxes.empty());
}

TEST_F(Countdown, ATickHidesTheSetupAndAboutWindows)
{
    Open(MakeTest(2, 2));
    TForm7 setup;
    TAboutForm about;
    setup.show();
    about.show();
    window->Timer1Timer();
    EXPECT_FALSE(setup.isVisible());
    EXPECT_FALSE(about.isVisible());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(Countdown, AnEmptyDurationBecomesTheDefault)
{
    Open(MakeTest(2, 2));
    window->StartClockMs -= 2500;
    window->Timer1Timer();
    EXPECT_EQ(TestDuration, "1:10:00");
    EXPECT_EQ(Caption("TimePanel"), QStringLiteral("Осталось времени: 1:09:57"));
}

TEST_F(Countdown, RunningOutShowsZeroStopsTheTimerAndFinishes)
{
    Open(MakeTest(2, 2));
    TestDuration = "0:00:10";
    window->StartClockMs -= 10400;
    window->Timer1Timer();
    EXPECT_EQ(Caption("TimePanel"), QStringLiteral("Осталось времени: 0:00:00"));
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_EQ(answers.Texts(), QStringList {Score(0, 2)});
}

TEST_F(Countdown, ZeroDurationEndsAtTheFirstTick)
{
    TestDuration = "0:00:00";
    Open(MakeTest(3, 2));
    EXPECT_TRUE(answers.boxes.empty());
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(QTest::qWaitFor([this] { return !answers.boxes.empty(); }, 3000));
    EXPECT_GE(clock.elapsed(), 900);
    EXPECT_EQ(answers.Texts(), QStringList {Score(0, 3)});
    EXPECT_TRUE(QFile::exists(QString::fromStdString(tmp.Path("algebra.out"))));
}

TEST_F(Countdown, AnInvalidDurationIsReportedOnEveryTick)
{
    Open(MakeTest(2, 2));
    TestDuration = "soon";
    window->Timer1Timer();
    window->Timer1Timer();
    EXPECT_EQ(answers.Texts(), (QStringList {QStringLiteral("'soon' is not a valid time."),
                                             QStringLiteral("'soon' is not a valid time.")}));
    EXPECT_TRUE(window->Timer1->isActive());
}

using NoTest = TestWindow;

TEST_F(NoTest, AFailedLoadLeavesTheDesignTextsAndNothingActs)
{
    SelectTestFile(tmp.Path("missing.txt"));
    window = std::make_unique<TMF>();
    EXPECT_EQ(answers.Texts(), QStringList {QStringLiteral("File not found.")});
    EXPECT_EQ(answers.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(answers.boxes[0].title, QStringLiteral("tst_mainunit"));
    EXPECT_EQ(Caption("GB"), QStringLiteral("GB"));
    EXPECT_EQ(Caption("Vopros"), QStringLiteral("Vopros"));
    EXPECT_EQ(Caption("TimePanel"), QStringLiteral("Осталось времени: 20:00:00"));
    EXPECT_FALSE(window->Timer1->isActive());

    QTest::mouseClick(Option(1), Qt::LeftButton);
    Confirm();
    Skip();
    QTest::mouseClick(Control<QPushButton>("BitBtn1"), Qt::LeftButton);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(answers.boxes.size(), 1u);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(tmp.Path("missing.out"))));
}

TEST_F(NoTest, WithoutAFileItAsksAndACancelLoadsNothing)
{
    window = std::make_unique<TMF>();
    EXPECT_EQ(answers.Texts(), QStringList {QStringLiteral("Не установлен файл вопросов, выберите!")});
    EXPECT_EQ(answers.boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(TestFileName, "");
    EXPECT_EQ(ResultFileName, "");
    EXPECT_FALSE(window->Timer1->isActive());
    EXPECT_TRUE(window->close());
    EXPECT_EQ(answers.boxes.size(), 1u);
}

TEST_F(NoTest, AFileChosenInTheDialogIsLoadedAndBecomesTheCurrentFolder)
{
    QDir(QString::fromStdString(tmp.Path(""))).mkdir(QStringLiteral("sub"));
    const std::string path = tmp.Write("sub/geo.txt", MakeTest(4, 3));
    QStringList filters;
    answers.onFileDialog = [&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        TypeFileName(dialog, QString::fromStdString(path));
    };
    window = std::make_unique<TMF>();
    EXPECT_EQ(filters, QStringList {QStringLiteral("Файлы вопросов [*.txt] (*.txt)")});
    EXPECT_EQ(TestFileName, path);
    EXPECT_EQ(ResultFileName, tmp.Path("sub/geo.out"));
    EXPECT_EQ(QDir::currentPath().toStdString(), tmp.Path("sub"));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Тесты по дисциплине: geo"));
    EXPECT_EQ(Caption("GB"), QStringLiteral("Вопрос №1 из 4"));
}

TEST_F(NoTest, AnEmptyTestRunsTheClockAndScoresZeroOfZero)
{
    Open("");
    EXPECT_TRUE(answers.boxes.empty());
    EXPECT_EQ(Caption("GB"), QStringLiteral("GB"));
    EXPECT_TRUE(window->Timer1->isActive());
    Confirm();
    EXPECT_EQ(answers.Texts(), QStringList {Score(0, 0)});
    EXPECT_EQ(ReadBytes(tmp.Path("algebra.out")), ToAnsi(Score(0, 0)) + "\r\n");
}

TEST(Conventions, ErrorTextsGetAFullStopAfterACharacterAboveIt)
{
    DialogAnswerer answers;
    const std::pair<const char*, const char*> cases[] = {
        {"Disk full", "Disk full."},
        {"Done.", "Done."},
        {"Stop!", "Stop!"},
        {"Не введено", "Не введено."},
        {"(1-2)", "(1-2)"},
        {"", ""},
    };
    for (const auto& [message, shown] : cases)
        Guard([&] { throw EError(message); });
    ASSERT_EQ(answers.boxes.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(answers.boxes[i].text, QString::fromUtf8(cases[i].second));
        EXPECT_EQ(answers.boxes[i].icon, QMessageBox::Critical);
    }
}

TEST(Conventions, TheTitleIsTheExecutablesNameUpToItsFirstDotInLowerCaseAfterTheFirstLetter)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Ekzamo", "Ekzamo"}, {"EKZAMO.EXE", "Ekzamo"}, {"ekzamo", "ekzamo"},
        {"My.Prog.bin", "My"}, {"TST_MainUnit", "Tst_mainunit"}, {".hidden", ""},
    };
    for (const auto& [file, title] : cases)
        EXPECT_EQ(TitleFromFileName(QString::fromUtf8(file)), QString::fromUtf8(title)) << file;
    EXPECT_EQ(ApplicationTitle(), QStringLiteral("tst_mainunit"));
}

} // namespace

