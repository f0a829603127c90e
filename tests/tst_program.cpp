// SPDX-License-Identifier: MIT
#include "app/Program.h"
#include "engine/Ansi.h"
#include "engine/Clock.h"
#include "engine/Ques.h"
#include "tests/DialogAnswerer.h"
#include "tests/TestUtil.h"
#include "ui/AF.h"
#include "ui/INPM.h"
#include "ui/MainUnit.h"
#include "ui/SplashF.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimeEdit>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>

namespace {

// A close request from the window manager, as the window's close box sends it.
void CloseBox(QWidget* window)
{
    QCloseEvent request;
    QCoreApplication::sendEvent(window->windowHandle(), &request);
}

// Records how a window was first shown in the program's own event loop.
class ShowWatch : public QObject {
public:
    bool shownInMainLoop = false;
    bool withoutActivating = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && !shownInMainLoop && QThread::currentThread()->loopLevel() == 1) {
            shownInMainLoop = true;
            withoutActivating = static_cast<QWidget*>(watched)->testAttribute(Qt::WA_ShowWithoutActivating);
        }
        return false;
    }
};

void Click(QWidget* window, const char* button)
{
    QTest::mouseClick(Find<QPushButton>(window, button), Qt::LeftButton);
}

// Runs the whole program as the student would: the setup window's run is
// handled by `setup`, and `running` runs once the program's own event loop is
// up, with the main window shown and no modal window open.
class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEngine();
        answers.onDialog = [this](QDialog* dialog) {
            if (dialog == Form7 && setup)
                setup(Form7);
            else if (other)
                other(dialog);
            else
                dialog->reject();
        };
    }

    void TearDown() override
    {
        ResetEngine();
    }

    std::string WriteTest(int questions)
    {
        return tmp.Write("algebra.txt", MakeTest(questions));
    }

    // Chooses the test, takes the picker's time and starts.
    void StartWith(const std::string& path)
    {
        answers.ChooseFile(QString::fromStdString(path));
        Click(Form7, "Button1");
        Click(Form7, "Button3");
        Click(Form7, "Button2");
    }

    int Run()
    {
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            // The start-up's own splash window is made last, right before the
            // event loop, which begins by showing the main window.
            const bool started = Splash && !Splash->parent() && AboutForm->isVisible();
            if (!started || QApplication::activeModalWidget())
                return;
            poll.stop();
            if (running)
                running();
        });
        poll.start();
        QTimer stuck;
        stuck.setSingleShot(true);
        QObject::connect(&stuck, &QTimer::timeout, [] {
            ADD_FAILURE() << "the program did not end";
            QCoreApplication::exit(1);
        });
        stuck.start(20000);
        return RunProgram();
    }

    bool ResultsWritten() const { return QFile::exists(QString::fromStdString(tmp.Path("algebra.out"))); }

    TempCurrentFolder tmp;
    DialogAnswerer answers;
    std::function<void(TForm7*)> setup;
    std::function<void(QDialog*)> other;
    std::function<void()> running;
};

using StartUp = ProgramRun;

TEST_F(StartUp, WindowsAreMadeInOrderAndTheSetupPhaseRunsInsideTheTestWindowsCreation)
{
    const std::string path = WriteTest(3);
    bool sawSetup = false;
    ShowWatch about;
    setup = [&](TForm7*) {
        sawSetup = true;
        ASSERT_NE(AboutForm, nullptr);
        AboutForm->installEventFilter(&about);
        EXPECT_FALSE(AboutForm->isVisible());
        EXPECT_NE(MF, nullptr) << "the test window is reachable during its own creation";
        EXPECT_FALSE(MF->isVisible());
        EXPECT_EQ(Splash, nullptr);
        EXPECT_EQ(QuestionCount, 0) << "nothing loaded before the setup window closes";
        StartWith(path);
    };
    running = [&] {
        EXPECT_EQ(QuestionCount, 3);
        EXPECT_TRUE(MF->isVisible());
        ASSERT_NE(Splash, nullptr);
        EXPECT_FALSE(Splash->isVisible());
        EXPECT_EQ(Splash->Timer1->interval(), 3300);
        EXPECT_TRUE(Splash->Timer1->isActive());
        // The countdown's first tick hides the main window: a second after
        // the countdown started, however late this check began.
        EXPECT_TRUE(QTest::qWaitFor([] { return !AboutForm->isVisible(); }, 3000));
        EXPECT_GE(ElapsedClockMs() - MF->StartClockMs, 900);
        EXPECT_TRUE(MF->isVisible());
        Click(MF, "BitBtn1");
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(sawSetup);
    EXPECT_TRUE(about.shownInMainLoop) << "the main window is shown as the event loop starts";
    // Offscreen every window shown becomes active; on a display the attribute
    // keeps the keyboard with the test window.
    EXPECT_TRUE(about.withoutActivating);
    EXPECT_EQ(answers.Texts(), QStringList {Score(0, 3)});
    EXPECT_EQ(AboutForm, nullptr);
    EXPECT_EQ(Form7, nullptr);
    EXPECT_EQ(MF, nullptr);
    EXPECT_EQ(Splash, nullptr);
}

TEST_F(StartUp, AFailedLoadShowsTheErrorAndLeavesTheMainWindowUntilItIsClosed)
{
    setup = [&](TForm7*) { StartWith(tmp.Path("missing.txt")); };
    running = [&] {
        EXPECT_TRUE(AboutForm->isVisible());
        QTest::qWait(1300);
        EXPECT_TRUE(AboutForm->isVisible()) << "no countdown hides it";
        AboutForm->close();
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(answers.Texts(), QStringList {QStringLiteral("File not found.")});
    EXPECT_FALSE(QFile::exists(QString::fromStdString(tmp.Path("missing.out"))));
}

using Ending = ProgramRun;

TEST_F(Ending, TheLastAnswerShowsTheScoreWritesTheResultsAndEndsTheProgram)
{
    const std::string path = WriteTest(2);
    setup = [&](TForm7*) { StartWith(path); };
    running = [&] {
        for (int k = 0; k < 2; ++k) {
            QTest::mouseClick(Find<QWidget>(MF, "Otv1"), Qt::LeftButton);
            Click(MF, "Yes");
        }
    };
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(answers.boxes.size(), 1u);
    EXPECT_EQ(ReadBytes(tmp.Path("algebra.out")), ToAnsi(answers.boxes[0].text) + "\r\n");
    EXPECT_EQ(MF, nullptr);
}

TEST_F(Ending, ExitAndTheTestWindowsCloseBoxEndTheProgramWithTheScore)
{
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Выход");
        ResetEngine();
        answers.boxes.clear();
        QFile::remove(QString::fromStdString(tmp.Path("algebra.out")));
        const std::string path = WriteTest(3);
        setup = [&](TForm7*) { StartWith(path); };
        running = [&] {
            if (closeBox)
                CloseBox(MF);
            else
                Click(MF, "BitBtn1");
        };
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(answers.Texts(), QStringList {Score(0, 3)});
        EXPECT_TRUE(ResultsWritten());
    }
}

TEST_F(Ending, ClosingTheMainWindowEarlyEndsAtOnceWithNoScoreAndNoResults)
{
    const std::pair<const char*, std::function<void()>> ways[] = {
        {"its OK button", [] { Click(AboutForm, "BitBtn1"); }},
        {"its close box", [] { CloseBox(AboutForm); }},
    };
    for (const auto& [way, close] : ways) {
        SCOPED_TRACE(way);
        ResetEngine();
        const std::string path = WriteTest(3);
        setup = [&](TForm7*) { StartWith(path); };
        running = [&] {
            ASSERT_TRUE(AboutForm->isVisible());
            close();
        };
        EXPECT_EQ(Run(), 0);
        EXPECT_TRUE(answers.boxes.empty());
        EXPECT_FALSE(ResultsWritten());
    }
}

// A compositor may give the newly shown main window the keyboard (Wayland
// compositors do): the student's keys must still reach the test, and never
// its OK, which would end the program with no score.
TEST_F(Ending, KeysThatReachTheMainWindowBesideTheTestGoToTheTest)
{
    const std::string path = WriteTest(1);
    setup = [&](TForm7*) { StartWith(path); };
    running = [&] {
        auto* ok = Find<QPushButton>(AboutForm, "BitBtn1");
        for (QWidget* target : {static_cast<QWidget*>(AboutForm), static_cast<QWidget*>(ok)}) {
            QTest::keyClick(target, Qt::Key_Return);
            ASSERT_TRUE(AboutForm->isVisible());
        }
        EXPECT_EQ(answers.Texts(), QStringList(2, QStringLiteral("Выберите один из предложенных вариантов ответа")))
            << "Enter pressed the test window's Подтвердить with nothing chosen";
        const bool firstIsRight = Find<QAbstractButton>(MF, "Otv1")->text() == QStringLiteral("Ответ 1.1");
        QTest::keyClick(ok, firstIsRight ? Qt::Key_1 : Qt::Key_2);
        QTest::keyClick(ok, Qt::Key_Space);
        ASSERT_TRUE(AboutForm->isVisible());
        QTest::keyClick(AboutForm, Qt::Key_Return);
    };
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(answers.Texts().size(), 3);
    EXPECT_EQ(answers.Texts().last(), Score(1, 1));
    EXPECT_TRUE(ResultsWritten());
}

TEST_F(Ending, EscLeavesTheMainWindowOpen)
{
    const std::string path = WriteTest(1);
    setup = [&](TForm7*) { StartWith(path); };
    running = [&] {
        QTest::keyClick(AboutForm, Qt::Key_Escape);
        EXPECT_TRUE(AboutForm->isVisible());
        Click(MF, "BitBtn1");
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(answers.Texts(), QStringList {Score(0, 1)});
}

using FromTheSetupWindow = ProgramRun;

TEST_F(FromTheSetupWindow, AboutRunsModallyAndReturnsWithTheSettingsKept)
{
    const std::string path = WriteTest(1);
    int aboutRuns = 0;
    other = [&](QDialog* dialog) {
        EXPECT_EQ(dialog, AboutForm);
        EXPECT_EQ(QApplication::activeModalWidget(), AboutForm);
        if (++aboutRuns == 1)
            Click(AboutForm, "BitBtn1");
        else
            AboutForm->close();
    };
    setup = [&](TForm7* form) {
        answers.ChooseFile(QString::fromStdString(path));
        Click(form, "Button1");
        Find<QTimeEdit>(form, "DateTimePicker1")->setTime(QTime(0, 25, 0));
        Click(form, "Button3");
        QTest::mouseClick(Find<QCheckBox>(form, "CheckBox1"), Qt::LeftButton);
        for (int k = 0; k < 2; ++k) {
            Find<QAction>(form, "N8")->trigger();
            EXPECT_FALSE(AboutForm->isVisible());
            EXPECT_TRUE(form->isVisible());
        }
        EXPECT_EQ(TestFileName, path);
        EXPECT_EQ(TestDuration, "0:25:00");
        EXPECT_TRUE(DetailedResults);
        EXPECT_EQ(Find<QTimeEdit>(form, "DateTimePicker1")->time(), QTime(0, 25, 0));
        Click(form, "Button2");
    };
    running = [&] {
        EXPECT_TRUE(AboutForm->isVisible());
        EXPECT_FALSE(AboutForm->isModal()) << "shown as the main window, it blocks nothing";
        Click(MF, "BitBtn1");
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(aboutRuns, 2);
    EXPECT_EQ(answers.Texts(), QStringList {Score(0, 1)}) << "the program went on to the test";
}

TEST_F(FromTheSetupWindow, EachLogoClickShowsAFurtherSplashWithOkThatClosesItselfIn3300ms)
{
    const std::string path = WriteTest(1);
    QList<QDialog*> shown;
    QList<qint64> closedAfter;
    other = [&](QDialog* dialog) {
        shown << dialog;
        EXPECT_EQ(dialog, Splash);
        EXPECT_TRUE(Find<QPushButton>(dialog, "BitBtn1")->isVisible());
        if (shown.size() == 2)
            Click(dialog, "BitBtn1");
    };
    setup = [&](TForm7* form) {
        auto* logo = Find<QWidget>(form, "Image1");
        for (int k = 0; k < 2; ++k) {
            QElapsedTimer clock;
            clock.start();
            QTest::mouseClick(logo, Qt::LeftButton);
            closedAfter << clock.elapsed();
        }
        StartWith(path);
    };
    running = [&] {
        const QList<TSplash*> owned = Form7->findChildren<TSplash*>(QString(), Qt::FindDirectChildrenOnly);
        EXPECT_EQ(owned.size(), 2) << "every click's window stays with the setup window";
        for (TSplash* splash : owned)
            EXPECT_FALSE(splash->isVisible());
        EXPECT_NE(Splash, shown.value(1)) << "the start-up's own splash comes last";
        Click(MF, "BitBtn1");
    };
    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_NE(shown[0], shown[1]);
    ASSERT_EQ(closedAfter.size(), 2);
    EXPECT_GE(closedAfter[0], 3200) << "unanswered, it closes itself";
    EXPECT_LT(closedAfter[0], 5000);
    EXPECT_LT(closedAfter[1], 1000) << "OK closes it at once";
}

} // namespace
