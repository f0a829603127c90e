// SPDX-License-Identifier: MIT
#include "engine/Ansi.h"
#include "engine/Durations.h"
#include "engine/Ques.h"
#include "tests/DialogAnswerer.h"
#include "tests/TestUtil.h"
#include "tests/WindowUtil.h"
#include "ui/INPM.h"
#include "ui/MainUnit.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QTimer>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

namespace {

const QString NoDuration = QStringLiteral("Не введено время тестирования! Введите");
const QString TooLarge = QStringLiteral("Text exceeds memo capacity.");
const QString FirstHelp = QStringLiteral("Инструкция по программе - нажмите F1");

// The most a process has held in memory so far, in KiB.
long PeakMemoryKiB()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return 0;
}

class SetupWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetEngine();
        folder = QString::fromStdString(tmp.Path(""));
        form = std::make_unique<TForm7>();
    }

    void TearDown() override
    {
        test.reset();
        form.reset();
        ResetEngine();
    }

    template <class T>
    T* Control(const char* name) const
    {
        return Find<T>(form.get(), name);
    }

    void Click(const char* button) { QTest::mouseClick(Control<QPushButton>(button), Qt::LeftButton); }

    // A key to the window's control with the focus, as the keyboard sends it.
    void KeyToFocus(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focused = form->focusWidget();
        QTest::keyClick(focused ? focused : form.get(), key, modifiers);
    }

    // Shows the window active, so that its shortcuts work.
    void ShowActive()
    {
        form->show();
        QApplication::setActiveWindow(form.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }

    std::string WriteTest(const std::string& name)
    {
        return tmp.Write(name, Cp("Сколько будет 2 + 2?\r\n3\r\n2\r\n3\r\n4\r\n5\r\n"));
    }

    TempCurrentFolder tmp;
    QString folder;
    DialogAnswerer answers;
    std::unique_ptr<TForm7> form;
    std::unique_ptr<TMF> test;
};

TEST_F(SetupWindow, StartingBeforeATimeIsEnteredWarnsAndStays)
{
    form->show();
    Click("Button2");
    EXPECT_EQ(answers.Texts(), QStringList {NoDuration});
    EXPECT_EQ(answers.boxes[0].icon, QMessageBox::NoIcon);
    EXPECT_TRUE(form->isVisible());

    Click("Button3");
    EXPECT_EQ(TestDuration, "1:10:00");
    EXPECT_EQ(answers.boxes.size(), 1u) << "taking the time shows nothing";
    Click("Button2");
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(answers.boxes.size(), 1u);
}

TEST_F(SetupWindow, TheTimeIsTakenOnlyWhenEntered)
{
    auto* picker = Control<QTimeEdit>("DateTimePicker1");
    EXPECT_EQ(picker->displayFormat(), QStringLiteral("H:mm:ss"));
    picker->setTime(QTime(0, 30, 5));
    Click("Button3");
    EXPECT_EQ(TestDuration, "0:30:05");
    picker->setTime(QTime(2, 45, 0));
    EXPECT_EQ(TestDuration, "0:30:05");
    Control<QAction>("N5")->trigger();
    EXPECT_EQ(TestDuration, "2:45:00");
}

TEST_F(SetupWindow, DetailedResultsFollowTheCheckBox)
{
    auto* box = Control<QCheckBox>("CheckBox1");
    EXPECT_FALSE(box->isChecked());
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_TRUE(DetailedResults);
    QTest::mouseClick(box, Qt::LeftButton);
    EXPECT_FALSE(DetailedResults);
}

TEST_F(SetupWindow, AChosenFileNamesTheResultsFileAndBecomesTheCurrentFolder)
{
    QDir(folder).mkdir(QStringLiteral("sub"));
    const std::string path = WriteTest("sub/tests.txt");
    answers.ChooseFile(QString::fromStdString(path));
    Click("Button1");
    EXPECT_EQ(TestFileName, path);
    EXPECT_EQ(ResultFileName, tmp.Path("sub/tests.out"));
    EXPECT_EQ(QDir::currentPath(), folder + QStringLiteral("sub"));

    // The next dialog starts there; a cancel then keeps the choice.
    QString startedIn;
    answers.onFileDialog = [&](QFileDialog* dialog) {
        startedIn = dialog->directory().absolutePath();
        dialog->reject();
    };
    Click("Button1");
    EXPECT_EQ(startedIn, folder + QStringLiteral("sub"));
    EXPECT_EQ(TestFileName, path);
    EXPECT_EQ(ResultFileName, tmp.Path("sub/tests.out"));
}

TEST_F(SetupWindow, ANameTypedWithEnterLeavesNoPopupBehindAndTheNextShortcutWorks)
{
    const std::string path = WriteTest("tests.txt");
    ShowActive();
    answers.onFileDialog = [](QFileDialog* dialog) {
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QTest::keyClicks(name, QStringLiteral("tests.txt"));
        QTest::keyClick(name, Qt::Key_Return);
    };
    QTest::keyClick(form.get(), Qt::Key_F3);
    EXPECT_EQ(TestFileName, path);
    // The folder's listing arrives after the dialog has gone; the name
    // completer must not come up with it.
    QTest::qWait(500);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

    QApplication::setActiveWindow(form.get());
    Click("Button3");
    QTest::keyClick(form.get(), Qt::Key_F9);
    EXPECT_FALSE(form->isVisible()) << "F9 started the test";
}

TEST_F(SetupWindow, ACancelledDialogLeavesNoFileChosen)
{
    Click("Button1");
    EXPECT_EQ(TestFileName, "");
    EXPECT_EQ(ResultFileName, "");
    EXPECT_TRUE(answers.boxes.empty());
}

TEST_F(SetupWindow, TheDialogOffersTestFilesAndAcceptsANewName)
{
    const std::string path = tmp.Path("new.txt");
    QStringList filters;
    answers.onFileDialog = [&](QFileDialog* dialog) {
        filters = dialog->nameFilters();
        TypeFileName(dialog, QString::fromStdString(path));
    };
    Click("Button1");
    EXPECT_EQ(filters, QStringList {QStringLiteral("Файлы тестов х*.txt] (*.txt)")});
    EXPECT_EQ(TestFileName, path);
}

TEST_F(SetupWindow, HelpReplacesTheMemoAndReloadsOnEveryPress)
{
    tmp.Write("help.htxt", Cp("Первая\r\nвторая\rтретья\nчетвёртая"));
    ShowActive();
    QTest::keyClick(form.get(), Qt::Key_F1);
    auto* memo = Control<QPlainTextEdit>("Memo1");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Первая\nвторая\nтретья\nчетвёртая"));

    tmp.Write("help.htxt", Cp("Новая"));
    memo->setFocus();
    QTest::keyClick(memo, Qt::Key_F1);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Новая"));
    EXPECT_TRUE(answers.boxes.empty());
}

TEST_F(SetupWindow, MissingHelpNamesTheFileAndTheReasonAndKeepsTheMemo)
{
    auto* memo = Control<QPlainTextEdit>("Memo1");
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Инструкция по программе - нажмите F1"));
    Control<QAction>("N7")->trigger();
    EXPECT_EQ(answers.Texts(),
              QStringList {QStringLiteral("Cannot open file \"%1help.htxt\". No such file or directory.").arg(folder)});
    EXPECT_EQ(answers.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(memo->toPlainText(), QStringLiteral("Инструкция по программе - нажмите F1"));
}

TEST_F(SetupWindow, FunctionKeysWorkWhereverTheFocusIs)
{
    ShowActive();
    int dialogs = 0;
    answers.onFileDialog = [&](QFileDialog* dialog) {
        ++dialogs;
        dialog->reject();
    };
    // A closed dialog leaves no window active here, as on a bare X display.
    auto press = [this](const char* focus, Qt::Key key) {
        QApplication::setActiveWindow(form.get());
        Control<QWidget>(focus)->setFocus();
        QTest::keyClick(QApplication::focusWidget(), key);
    };
    press("DateTimePicker1", Qt::Key_F3);
    EXPECT_EQ(dialogs, 1);
    press("CheckBox1", Qt::Key_F9);
    EXPECT_EQ(answers.Texts(), QStringList {NoDuration});
    Click("Button3");
    press("Memo1", Qt::Key_F9);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(SetupWindow, EscDoesNotEndTheWindow)
{
    ShowActive();
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(SetupWindow, EnterOffTheButtonsNeitherStartsNorWarnsAndNoButtonIsTheDefault)
{
    ShowActive();
    auto* picker = Control<QTimeEdit>("DateTimePicker1");
    auto* box = Control<QCheckBox>("CheckBox1");
    auto noDefault = [this](const char* where) {
        for (const char* button : {"Button1", "Button2", "Button3"})
            EXPECT_FALSE(Control<QPushButton>(button)->isDefault()) << button << " with the focus on " << where;
    };
    noDefault("Button1");

    // No time entered yet: Enter in the picker brings up no warning.
    picker->setFocus();
    noDefault("the picker");
    KeyToFocus(Qt::Key_Return);
    KeyToFocus(Qt::Key_Enter);
    EXPECT_TRUE(answers.boxes.empty());
    EXPECT_EQ(TestDuration, "");

    // A time entered, another typed and "entered" with Enter: the window
    // stays and the first time stands.
    Click("Button3");
    picker->setFocus();
    KeyToFocus(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(form->focusWidget(), QStringLiteral("0:30"));
    KeyToFocus(Qt::Key_Return);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(TestDuration, "1:10:00");
    EXPECT_EQ(picker->time(), QTime(0, 30));

    box->setFocus();
    noDefault("the check box");
    KeyToFocus(Qt::Key_Return);
    KeyToFocus(Qt::Key_Enter);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(box->isChecked());

    // The memo is editable and takes Enter as text.
    auto* memo = Control<QPlainTextEdit>("Memo1");
    memo->setFocus();
    memo->moveCursor(QTextCursor::End);
    KeyToFocus(Qt::Key_Return);
    EXPECT_EQ(memo->toPlainText(), FirstHelp + QStringLiteral("\n"));
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(answers.boxes.empty());
}

TEST_F(SetupWindow, AFocusedButtonTakesPlainEnterItself)
{
    ShowActive();
    int dialogs = 0;
    answers.onFileDialog = [&](QFileDialog* dialog) {
        ++dialogs;
        dialog->reject();
    };
    auto press = [this](const char* button, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        Control<QWidget>(button)->setFocus();
        KeyToFocus(key, modifiers);
    };
    press("Button1", Qt::Key_Return);
    EXPECT_EQ(dialogs, 1) << "Enter on \"Файл - тест\" opens the dialog";
    press("Button2", Qt::Key_Enter);
    EXPECT_EQ(answers.Texts(), QStringList {NoDuration});

    Control<QTimeEdit>("DateTimePicker1")->setTime(QTime(0, 20));
    for (auto modifier : {Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier}) {
        press("Button3", Qt::Key_Return, modifier);
        press("Button2", Qt::Key_Return, modifier);
        press("Button1", Qt::Key_Enter, modifier);
    }
    EXPECT_EQ(TestDuration, "") << "not with Shift, Ctrl or Alt";
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(answers.boxes.size(), 1u);

    press("Button3", Qt::Key_Return);
    EXPECT_EQ(TestDuration, "0:20:00");
    EXPECT_TRUE(form->isVisible());
    press("Button2", Qt::Key_Return);
    EXPECT_FALSE(form->isVisible()) << "Enter on \"Пуск теста\" starts";
    EXPECT_EQ(answers.boxes.size(), 1u);
}

TEST_F(SetupWindow, TheMenusHaveTheirTitlesItemsAndShortcuts)
{
    auto* bar = Control<QMenuBar>("MainMenu1");
    QStringList titles;
    for (QAction* menu : bar->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList {QStringLiteral("Файл"), QStringLiteral("Время теста"), QStringLiteral("Помощь")}));

    const struct {
        const char* menu;
        const char* item;
        const char* caption;
        const char* shortcut;
    } items[] = {
        {"N1", "N2", "Файл теста открыть", "F3"}, {"N1", "N3", "Пуск теста", "F9"},
        {"N4", "N5", "Ввести время", ""},         {"N6", "N7", "Инструкция", "F1"},
        {"N6", "N8", "О программе", ""},
    };
    for (const auto& i : items) {
        SCOPED_TRACE(i.item);
        auto* item = Control<QAction>(i.item);
        EXPECT_TRUE(Control<QMenu>(i.menu)->actions().contains(item));
        EXPECT_EQ(item->text(), QString::fromUtf8(i.caption));
        EXPECT_EQ(item->shortcut().toString(QKeySequence::NativeText), QString::fromLatin1(i.shortcut));
    }
    EXPECT_EQ(Control<QMenu>("N1")->actions().size(), 2);
    EXPECT_EQ(Control<QMenu>("N4")->actions().size(), 1);
    EXPECT_EQ(Control<QMenu>("N6")->actions().size(), 2);
}

TEST_F(SetupWindow, TheWindowIsDrawnInMsSansSerif11OrAFaceWithItsMetrics)
{
    ShowActive();
    for (const char* control : {"Button1", "Label1", "DateTimePicker1", "CheckBox1", "Memo1"}) {
        SCOPED_TRACE(control);
        const QFont font = Control<QWidget>(control)->font();
        EXPECT_EQ(font.pixelSize(), 11);
        EXPECT_FALSE(font.bold());
        EXPECT_FALSE(font.italic());
        const QString drawn = QFontInfo(font).family();
        EXPECT_TRUE(drawn == QStringLiteral("MS Sans Serif") || drawn == QStringLiteral("Liberation Sans"))
            << drawn.toStdString();
    }
}

// Where the screen holds the window there, it opens at its design position;
// tests/CMakeLists.txt runs this once more on a screen large enough.
TEST_F(SetupWindow, DesignPositionWhereTheScreenAllows)
{
    ShowActive();
    ExpectDesignPosition(form.get(), QPoint(208, 561));
}

TEST_F(SetupWindow, HelpUpTo64KiBIsShownALargerFileIsRefusedAndKeepsTheMemo)
{
    auto* memo = Control<QPlainTextEdit>("Memo1");
    // A line break and two letters at the end, so both sides are exact.
    const std::string fits = std::string(64 * 1024 - 4, 'a') + "\r\n" + Cp("ъя");
    tmp.Write("help.htxt", fits);
    Control<QAction>("N7")->trigger();
    EXPECT_TRUE(answers.boxes.empty());
    EXPECT_EQ(memo->toPlainText(), QString(64 * 1024 - 4, u'a') + QStringLiteral("\nъя"));

    memo->setPlainText(FirstHelp);
    tmp.Write("help.htxt", fits + "b");
    Control<QAction>("N7")->trigger();
    EXPECT_EQ(answers.Texts(), QStringList {TooLarge});
    EXPECT_EQ(answers.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(memo->toPlainText(), FirstHelp);
}

TEST_F(SetupWindow, AHelpFileOfGigabytesIsRefusedWithoutReadingIt)
{
    // Sparse: it takes no room on the disk, but reading it would take 2 GiB.
    QFile help(QString::fromStdString(tmp.Path("help.htxt")));
    ASSERT_TRUE(help.open(QIODevice::WriteOnly));
    ASSERT_TRUE(help.resize(qint64(2) << 30));
    help.close();
    const long before = PeakMemoryKiB();
    Control<QAction>("N7")->trigger();
    EXPECT_EQ(answers.Texts(), QStringList {TooLarge});
    EXPECT_LT(PeakMemoryKiB() - before, 64 * 1024) << "KiB more at the peak";
    EXPECT_EQ(Control<QPlainTextEdit>("Memo1")->toPlainText(), FirstHelp);
}

TEST_F(SetupWindow, TheLogoActsOnAClickNotOnThePressAlone)
{
    ShowActive();
    int splashes = 0;
    answers.onDialog = [&](QDialog* dialog) {
        ++splashes;
        dialog->reject();
    };
    auto* logo = Control<QWidget>("Image1");
    QTest::mousePress(logo, Qt::LeftButton);
    QTest::qWait(50);
    EXPECT_EQ(splashes, 0) << "the press alone";
    QTest::mouseRelease(logo, Qt::LeftButton, {}, QPoint(logo->width() + 20, logo->height() / 2));
    EXPECT_EQ(splashes, 0) << "released off the logo";
    QTest::mouseClick(logo, Qt::RightButton);
    EXPECT_EQ(splashes, 0) << "the right button";
    QTest::mouseClick(logo, Qt::LeftButton);
    EXPECT_EQ(splashes, 1);
}

TEST_F(SetupWindow, UnderAnEnglishLocaleTheTimeKeepsItsOneForm)
{
    // A 12-hour clock with AM and PM, unlike the Russian one.
    const QLocale old;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    form = std::make_unique<TForm7>();
    auto* picker = Control<QTimeEdit>("DateTimePicker1");
    EXPECT_EQ(picker->text(), QStringLiteral("1:10:00"));
    Click("Button3");
    EXPECT_EQ(TestDuration, "1:10:00");
    picker->setTime(QTime(13, 5, 9));
    EXPECT_EQ(picker->text(), QStringLiteral("13:05:09"));
    Click("Button3");
    EXPECT_EQ(TestDuration, "13:05:09");
    EXPECT_EQ(StrToTime(TestDuration), ((13 * 60 + 5) * 60 + 9) * 1000);
    form.reset();
    QLocale::setDefault(old);
}

TEST_F(SetupWindow, TabOrderStartsAtTheFileButton)
{
    ShowActive();
    EXPECT_EQ(QApplication::focusWidget(), Control<QWidget>("Button1"));
    QStringList order;
    QWidget* w = Control<QWidget>("Button1");
    do {
        if (w->focusPolicy() & Qt::TabFocus)
            order << w->objectName();
        w = w->nextInFocusChain();
    } while (w != Control<QWidget>("Button1"));
    order.removeAll(QStringLiteral("qt_spinbox_lineedit"));
    EXPECT_EQ(order, (QStringList {QStringLiteral("Button1"), QStringLiteral("Button2"),
                                   QStringLiteral("DateTimePicker1"), QStringLiteral("Button3"),
                                   QStringLiteral("Memo1"), QStringLiteral("CheckBox1")}));

    // Tab leaves the time picker from any of its fields.
    auto* picker = Control<QTimeEdit>("DateTimePicker1");
    picker->setFocus();
    picker->setCurrentSection(QDateTimeEdit::HourSection);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), Control<QWidget>("Button3"));
}

TEST_F(SetupWindow, TabReachesEveryControlInOrderByTheKeyItself)
{
    ShowActive();
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        order << QApplication::focusWidget()->objectName();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(order, (QStringList {QStringLiteral("Button1"), QStringLiteral("Button2"),
                                   QStringLiteral("DateTimePicker1"), QStringLiteral("Button3"),
                                   QStringLiteral("Memo1"), QStringLiteral("CheckBox1"), QStringLiteral("Button1")}));
    EXPECT_EQ(Control<QPlainTextEdit>("Memo1")->toPlainText(), QStringLiteral("Инструкция по программе - нажмите F1"))
        << "Tab leaves the memo as it was";
}

TEST_F(SetupWindow, ATimeIsTypedAsIntoAnyTimeField)
{
    struct Case {
        const char* keys;
        bool overAll; // typed over the whole text (Ctrl+A), else into the field at hand
        QTime shown;
    } cases[] = {
        {"0:30:00", true, QTime(0, 30)},   {"0:30", true, QTime(0, 30)},
        {"0:05:00", true, QTime(0, 5)},    {"003000", true, QTime(0, 30)},
        {"1:2:3", true, QTime(1, 2, 3)},   {"12:45:30", true, QTime(12, 45, 30)},
        {"9", true, QTime(9, 0)},          {"23:59:59", true, QTime(23, 59, 59)},
        {"0:7:", true, QTime(0, 7)},       {"2", false, QTime(2, 10)},
        {"0:45", false, QTime(0, 45)},     {"::30", false, QTime(1, 10, 30)},
    };
    ShowActive();
    auto* picker = Control<QTimeEdit>("DateTimePicker1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.keys);
        picker->setTime(QTime(1, 10));
        Control<QWidget>("Button2")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(picker->hasFocus());
        if (c.overAll)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(QApplication::focusWidget(), QString::fromLatin1(c.keys));
        EXPECT_EQ(picker->time(), c.shown);
        EXPECT_EQ(picker->text(), c.shown.toString(QStringLiteral("H:mm:ss")));
    }

    // The typed time is what "Ввод времени" takes; the arrow keys still step
    // the field the typing has moved on to.
    picker->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0:30"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    Click("Button3");
    EXPECT_EQ(TestDuration, "0:30:01");
}

TEST_F(SetupWindow, TheFocusedTimePickerShowsAFrame)
{
    ShowActive();
    auto* picker = Control<QTimeEdit>("DateTimePicker1");
    const QColor frame = picker->palette().color(QPalette::Highlight);
    auto edge = [&] {
        const QImage shot = picker->grab().toImage();
        const double scale = shot.devicePixelRatio();
        return shot.pixelColor(int(1 * scale), int(picker->height() / 2 * scale));
    };
    Control<QWidget>("Button1")->setFocus();
    EXPECT_NE(edge(), frame);
    picker->setFocus();
    EXPECT_EQ(edge(), frame);
}

TEST_F(SetupWindow, ControlsHaveNamesAndRolesForAScreenReader)
{
    const struct {
        const char* control;
        const char* name;
        QAccessible::Role role;
    } cases[] = {
        {"Button1", "Файл - тест", QAccessible::Button},
        {"Button2", "Пуск теста", QAccessible::Button},
        {"Button3", "Ввод времени", QAccessible::Button},
        {"DateTimePicker1", "Время тестирования", QAccessible::SpinBox},
        {"CheckBox1", "Результаты подробно", QAccessible::CheckBox},
        {"Memo1", "Инструкция", QAccessible::EditableText},
        {"Image1", "Логотип Ekzamo", QAccessible::Graphic},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        QAccessibleInterface* face = QAccessible::queryAccessibleInterface(Control<QWidget>(c.control));
        EXPECT_EQ(face->text(QAccessible::Name), QString::fromUtf8(c.name));
        EXPECT_EQ(face->role(), c.role);
    }
    QTest::mouseClick(Control<QCheckBox>("CheckBox1"), Qt::LeftButton);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(Control<QWidget>("CheckBox1"))->state().checked);
    auto* picker = Control<QTimeEdit>("DateTimePicker1");
    picker->setTime(QTime(0, 45));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(picker)->text(QAccessible::Value), QStringLiteral("0:45:00"));
}

TEST_F(SetupWindow, StartingRunsTheTestInTheTestWindow)
{
    const std::string path = WriteTest("tests.txt");
    answers.ChooseFile(QString::fromStdString(path));
    answers.onDialog = [this](QDialog*) {
        QTest::mouseClick(Control<QCheckBox>("CheckBox1"), Qt::LeftButton);
        Click("Button1");
        Click("Button3");
        Click("Button2");
    };
    test = std::make_unique<TMF>();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(test->isVisible());
    EXPECT_EQ(test->windowTitle(), QStringLiteral("Тесты по дисциплине: tests"));
    EXPECT_EQ(test->findChild<QGroupBox*>(QStringLiteral("GB"))->title(), QStringLiteral("Вопрос №1 из 1"));
    EXPECT_TRUE(DetailedResults);
    EXPECT_TRUE(answers.boxes.empty());

    // The finish closes the setup window and writes the detailed results.
    QTest::mouseClick(test->findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    EXPECT_EQ(answers.Texts(), QStringList {QStringLiteral("Вы ответили правильно на 0 вопрос(-а/-ов) из 1")});
    EXPECT_NE(ReadBytes(tmp.Path("tests.out")).find(Cp("Правильный ответ: ")), std::string::npos);
}

TEST_F(SetupWindow, TheCloseBoxStartsWithoutATimeAndTheFirstTickSetsTheDefault)
{
    const std::string path = WriteTest("tests.txt");
    answers.ChooseFile(QString::fromStdString(path));
    answers.onDialog = [this](QDialog*) {
        Click("Button1");
        form->close();
    };
    test = std::make_unique<TMF>();
    EXPECT_EQ(TestDuration, "");
    EXPECT_TRUE(test->Timer1->isActive());
    form->show();
    test->Timer1Timer();
    EXPECT_EQ(TestDuration, "1:10:00");
    EXPECT_FALSE(form->isVisible()) << "the countdown keeps the setup window hidden";
}

} // namespace
