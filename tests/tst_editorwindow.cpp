// SPDX-License-Identifier: MIT
// The editor's window offscreen: typing, undo and redo, the warnings pane,
// saving and opening, the unsaved-changes question, and files it must refuse.
#include "editor/EditorWindow.h"
#include "editor/Markers.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "tests/DialogAnswerer.h"
#include "ui/Messages.h"
#include "tests/TestUtil.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// Types text as a keyboard with that layout would: QTest's own key clicks
// know only ASCII.
void Keys(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        const QString c = text.mid(i, length);
        i += length - 1;
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, c);
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, c);
        QApplication::sendEvent(widget, &release);
    }
}

const std::string Geography = Cp("Столица Франции?\r\n3\r\n1\r\nПариж\r\nЛион\r\nМарсель\r\n"
                                  "Самая длинная река?\r\n2\r\n2\r\nВолга\r\nНил");

class EditorWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        QStandardPaths::setTestModeEnabled(true);
        // Settings of this case's own: ctest runs the cases side by side,
        // and the recent-files list is kept in them.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(tmp.Path("settings")));
        window = std::make_unique<TEditorWindow>();
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    void TearDown() override
    {
        // Whatever the test left unsaved goes without a question.
        if (window)
            window->Document().UndoStack()->setClean();
        window.reset();
    }

    template <class T>
    T* Control(const char* name) const
    {
        return Find<T>(window.get(), name);
    }

    QLineEdit* Option(int k) const { return Control<QLineEdit>(QStringLiteral("Option%1").arg(k).toLatin1()); }
    QRadioButton* Right(int k) const { return Control<QRadioButton>(QStringLiteral("Right%1").arg(k).toLatin1()); }

    void Type(QWidget* field, const QString& text)
    {
        field->setFocus();
        Keys(field, text);
    }

    void Key(QWidget* widget, QKeySequence sequence) { QTest::keySequence(widget, sequence); }

    QAction* Action(const char* name) const { return Control<QAction>(name); }

    // The notes dialog's summary and notes, each time one is shown.
    void CollectNotes()
    {
        answers.onDialog = [this](QDialog* dialog) {
            if (auto* list = dialog->findChild<QListWidget*>(QStringLiteral("Notes"))) {
                QStringList notes;
                for (int i = 0; i < list->count(); ++i)
                    notes << list->item(i)->text();
                shownNotes.push_back(notes);
                noteDialogSizes.push_back(dialog->frameGeometry().size());
            }
            dialog->accept();
        };
    }

    // What the status bar shows now: a passing message, else the counts.
    QString StatusShown() const
    {
        auto* bar = Control<QStatusBar>("StatusBar");
        if (!bar->currentMessage().isEmpty())
            return bar->currentMessage();
        auto* summary = window->findChild<QLabel*>(QStringLiteral("Summary"));
        return summary && summary->isVisible() ? summary->text() : QString();
    }

    QStringList WarningTexts() const
    {
        window->UpdateWarnings();
        QStringList texts;
        auto* list = Control<QListWidget>("Warnings");
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    TempFolder tmp;
    DialogAnswerer answers;
    std::unique_ptr<TEditorWindow> window;
    std::vector<QStringList> shownNotes;
    std::vector<QSize> noteDialogSizes;
};

TEST_F(EditorWindow, ATestTypedFromEmptyIsSavedAsTheProgramReadsIt)
{
    EXPECT_EQ(window->Document().Count(), 1);
    EXPECT_TRUE(Control<QLineEdit>("Wording")->hasFocus());
    Keys(QApplication::focusWidget(), QStringLiteral("Tom & Jerry — кто кот?"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Keys(QApplication::focusWidget(), QStringLiteral("Tom"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    Keys(QApplication::focusWidget(), QStringLiteral("Jerry"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return); // a third option
    Keys(QApplication::focusWidget(), QStringLiteral("Spike"));
    EXPECT_TRUE(Option(3)->hasFocus());
    Option(1)->setFocus();
    Key(Option(1), QKeySequence(Qt::CTRL | Qt::Key_R));
    EXPECT_TRUE(Right(1)->isChecked());
    Key(Option(1), QKeySequence(Qt::CTRL | Qt::Key_Return));
    EXPECT_EQ(window->Document().Count(), 2);
    EXPECT_TRUE(Control<QLineEdit>("Wording")->hasFocus());
    Keys(QApplication::focusWidget(), QStringLiteral("2 + 2?"));
    Type(Option(1), QStringLiteral("4"));
    Type(Option(2), QStringLiteral("5"));
    QTest::mouseClick(Right(1), Qt::LeftButton);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("Новый тест")));

    const std::string path = tmp.Path("typed.txt");
    window->SaveFile(path);
    EXPECT_EQ(ReadBytes(path), Cp("Tom && Jerry — кто кот?\r\n3\r\n1\r\nTom\r\nJerry\r\nSpike\r\n2 + 2?\r\n2\r\n1\r\n4\r\n5\r\n"));
    EXPECT_FALSE(window->isWindowModified());
    EXPECT_TRUE(window->windowTitle().startsWith(QStringLiteral("typed.txt")));
    EXPECT_EQ(WarningTexts(), QStringList {QStringLiteral("Предупреждений нет")});
}

TEST_F(EditorWindow, UndoAndRedoByKeysRestoreTextMarkAndQuestions)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    auto* wording = Control<QLineEdit>("Wording");
    wording->setFocus();
    wording->end(false);
    Keys(wording, QStringLiteral(" (город) Париж"));
    QTest::mouseClick(Right(3), Qt::LeftButton);
    window->AddQuestionClick();
    EXPECT_EQ(window->Document().Count(), 3);
    EXPECT_TRUE(window->isWindowModified());

    const QKeySequence undo(Qt::CTRL | Qt::Key_Z);
    Key(Control<QLineEdit>("Wording"), undo);
    EXPECT_EQ(window->Document().Count(), 2);
    Key(QApplication::focusWidget(), undo);
    EXPECT_TRUE(Right(1)->isChecked());
    EXPECT_FALSE(Right(3)->isChecked());
    // Undo in a line edit is the window's, not the line edit's own, and
    // takes back a word at a time.
    Key(QApplication::focusWidget(), undo);
    EXPECT_EQ(wording->text(), QStringLiteral("Столица Франции? (город) "));
    Key(QApplication::focusWidget(), undo);
    EXPECT_EQ(wording->text(), QStringLiteral("Столица Франции?"));
    EXPECT_FALSE(window->isWindowModified());
    // Redo by either key, on every desktop.
    Key(wording, QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(wording->text(), QStringLiteral("Столица Франции? (город) "));
    EXPECT_TRUE(window->isWindowModified());
    Key(wording, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(wording->text(), QStringLiteral("Столица Франции? (город) Париж"));
    Key(wording, QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_TRUE(Right(3)->isChecked());
}

TEST_F(EditorWindow, TheOptionWithTheCursorMovesByKeysAndButtonsWithItsMark)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    Option(1)->setFocus();
    Key(Option(1), QKeySequence(Qt::AltModifier | Qt::Key_Down));
    EXPECT_EQ(Option(1)->text(), QStringLiteral("Лион"));
    EXPECT_EQ(Option(2)->text(), QStringLiteral("Париж"));
    EXPECT_TRUE(Right(2)->isChecked());
    EXPECT_EQ(QApplication::focusWidget(), Option(2)) << "the cursor goes with the option";
    QTest::mouseClick(Control<QPushButton>("OptionDown"), Qt::LeftButton);
    EXPECT_EQ(Option(3)->text(), QStringLiteral("Париж"));
    EXPECT_TRUE(Right(3)->isChecked());
    QTest::mouseClick(Control<QPushButton>("OptionUp"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>("OptionUp"), Qt::LeftButton);
    EXPECT_EQ(Option(1)->text(), QStringLiteral("Париж"));
    EXPECT_TRUE(Right(1)->isChecked());
    // The keys a window manager may take work too, where it leaves them.
    Key(Option(1), QKeySequence(Qt::AltModifier | Qt::ShiftModifier | Qt::Key_Down));
    EXPECT_EQ(Option(2)->text(), QStringLiteral("Париж"));
    Key(Option(2), QKeySequence(Qt::AltModifier | Qt::Key_Up));
    EXPECT_EQ(Option(1)->text(), QStringLiteral("Париж"));
    Key(Option(1), QKeySequence::Undo);
    EXPECT_EQ(Option(2)->text(), QStringLiteral("Париж"));
}

// A button takes the focus when clicked, or is reached by Tab: it acts on
// the option the cursor was in all the same.
TEST_F(EditorWindow, OptionButtonsActOnTheOptionTheCursorWasIn)
{
    const struct {
        const char* button;
        int option;
        bool byKeys; // Tab to the button and Space, else a click
        QStringList options;
        int right;
    } cases[] = {
        {"RemoveOption", 1, false, {QStringLiteral("Лион"), QStringLiteral("Марсель")}, 0},
        {"RemoveOption", 2, true, {QStringLiteral("Париж"), QStringLiteral("Марсель")}, 1},
        {"AddOption", 1, false, {QStringLiteral("Париж"), QString(), QStringLiteral("Лион"), QStringLiteral("Марсель")}, 1},
        {"OptionDown", 1, true, {QStringLiteral("Лион"), QStringLiteral("Париж"), QStringLiteral("Марсель")}, 2},
    };
    const std::string path = tmp.Write("g.txt", Geography);
    for (const auto& c : cases) {
        window->Document().UndoStack()->setClean();
        window->OpenFile(path);
        Option(c.option)->setFocus();
        auto* button = Control<QPushButton>(c.button);
        if (c.byKeys) {
            button->setFocus(Qt::TabFocusReason);
            QTest::keyClick(button, Qt::Key_Space);
        } else {
            QTest::mouseClick(button, Qt::LeftButton);
        }
        EXPECT_EQ(window->Document().Questions()[0].Options, c.options) << c.button << " " << c.option;
        EXPECT_EQ(window->Document().Questions()[0].Correct, c.right) << c.button << " " << c.option;
    }
}

TEST_F(EditorWindow, QuestionsAreAddedMovedDuplicatedAndRemovedFromTheList)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    auto* list = Control<QListWidget>("QuestionList");
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("2. Самая длинная река?"));
    list->setCurrentRow(1);
    QTest::mouseClick(Control<QPushButton>("MoveUp"), Qt::LeftButton);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("1. Самая длинная река?"));
    EXPECT_EQ(window->CurrentQuestion(), 0);
    QTest::mouseClick(Control<QPushButton>("DuplicateQuestion"), Qt::LeftButton);
    EXPECT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("2. Самая длинная река?"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("3. Столица Франции?"));
    EXPECT_EQ(window->CurrentQuestion(), 1);
    QTest::mouseClick(Control<QPushButton>("RemoveQuestion"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>("RemoveQuestion"), Qt::LeftButton);
    QTest::mouseClick(Control<QPushButton>("RemoveQuestion"), Qt::LeftButton);
    EXPECT_EQ(list->count(), 0);
    EXPECT_FALSE(Control<QWidget>("QuestionPane")->isEnabled());
    window->AddQuestionClick();
    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(Control<QLineEdit>("Wording")->text(), QString());
}

TEST_F(EditorWindow, ATestOpenedOverAnotherShowsItsOwnFirstQuestion)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    Control<QListWidget>("QuestionList")->setCurrentRow(1);
    ASSERT_EQ(window->CurrentQuestion(), 1);
    window->OpenFile(tmp.Write("one.txt", Cp("Кто написал «Муму»?\r\n4\r\n3\r\nПушкин\r\nГоголь\r\nТургенев\r\nЧехов")));
    auto* list = Control<QListWidget>("QuestionList");
    ASSERT_EQ(list->count(), 1);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("1. Кто написал «Муму»?"));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(Control<QLineEdit>("Wording")->text(), QStringLiteral("Кто написал «Муму»?"));
    EXPECT_EQ(Option(4)->text(), QStringLiteral("Чехов"));
    EXPECT_TRUE(Right(3)->isChecked());
    EXPECT_EQ(window->findChild<QLineEdit*>(QStringLiteral("Option5")), nullptr);
}

// School netbooks have screens of 1024 x 600: the window opens on one with
// room for its title bar and a panel, and nothing in it cut off.
TEST_F(EditorWindow, TheWindowFitsASmallScreenWithAFullQuestionShown)
{
    window->OpenFile(tmp.Write("five.txt", Cp("Вопрос?\r\n5\r\n1\r\nа\r\nб\r\nв\r\nг\r\nд")));
    auto fresh = std::make_unique<TEditorWindow>();
    const QSize size = fresh->size();
    EXPECT_LE(size.width(), 1024);
    EXPECT_LE(size.height(), 540);
    const QSize needed = window->minimumSizeHint();
    EXPECT_LE(needed.width(), size.width());
    EXPECT_LE(needed.height(), size.height());
}

// A test opened before the window is up is drawn first; its check and the
// recent-files list wait until then.
TEST_F(EditorWindow, ATestOpenedAtStartIsDrawnBeforeItIsChecked)
{
    QSettings().remove(QStringLiteral("recentFiles"));
    auto fresh = std::make_unique<TEditorWindow>();
    fresh->OpenFile(tmp.Write("g.txt", Geography));
    QCoreApplication::processEvents();
    auto* pane = Find<QListWidget>(fresh.get(), "Warnings");
    EXPECT_EQ(pane->count(), 0);
    EXPECT_FALSE(QSettings().contains(QStringLiteral("recentFiles")));

    fresh->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(fresh.get()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane->count() == 1; }, 3000));
    EXPECT_EQ(pane->item(0)->text(), QStringLiteral("Предупреждений нет"));
    EXPECT_TRUE(QSettings().contains(QStringLiteral("recentFiles")));
    fresh->Document().UndoStack()->setClean();
}

TEST_F(EditorWindow, WarningsFollowTypingAndTakeTheTeacherToTheField)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    EXPECT_EQ(WarningTexts(), QStringList {QStringLiteral("Предупреждений нет")});
    auto* list = Control<QListWidget>("QuestionList");
    list->setCurrentRow(1);
    window->RemoveOptionClick(); // "Нил", the right one, goes
    Option(1)->selectAll();
    QTest::keyClick(Option(1), Qt::Key_Delete);
    Type(Control<QLineEdit>("Wording"), QStringLiteral(" 😀"));
    // The pane updates by itself after a pause.
    auto* pane = Control<QListWidget>("Warnings");
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane->count() == 4; }, 3000)) << pane->count();
    const QStringList texts = WarningTexts();
    ASSERT_EQ(texts.size(), 4) << texts.join(u'\n').toStdString();
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("Вопрос 2: вариантов ответа 1, а нужно хотя бы два")));
    EXPECT_TRUE(texts.join(u'\n').contains(QStringLiteral("Вопрос 2: номер правильного ответа 0")));
    EXPECT_TRUE(texts.join(u'\n').contains(QStringLiteral("Вопрос 2, вариант 1: пустой вариант ответа")));
    EXPECT_TRUE(texts.join(u'\n').contains(QStringLiteral("«😀»")));
    EXPECT_FALSE(Control<QLineEdit>("Wording")->styleSheet().isEmpty()) << "the character is pointed out";

    list->setCurrentRow(0);
    for (int i = 0; i < pane->count(); ++i)
        if (pane->item(i)->text().contains(QStringLiteral("пустой вариант"))) {
            emit pane->itemActivated(pane->item(i));
        }
    EXPECT_EQ(window->CurrentQuestion(), 1);
    EXPECT_TRUE(Option(1)->hasFocus());
}

TEST_F(EditorWindow, ACharacterTheFileCannotHoldStopsTheSaveAndKeepsTheFile)
{
    const std::string path = tmp.Write("g.txt", Geography);
    window->OpenFile(path);
    Type(Option(2), QStringLiteral(" ✓"));
    window->SaveClick();
    ASSERT_EQ(answers.Texts().size(), 1);
    EXPECT_TRUE(answers.Texts()[0].contains(QStringLiteral("символ «✓» в вопросе 1")));
    EXPECT_EQ(ReadBytes(path), Geography);
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->focusWidget(), Option(2));
}

TEST_F(EditorWindow, AMarkerIsKeptAndShownAndPastedLinesAreJoined)
{
    const std::string path = tmp.Write("m.txt", Cp("&Да или нет?\r\n2\r\n1\r\nД&&а\r\nН&ет"));
    window->OpenFile(path);
    EXPECT_EQ(Control<QLineEdit>("Wording")->text(), QStringLiteral("Д") + MarkerLine + QStringLiteral("а или нет?"));
    EXPECT_EQ(Option(1)->text(), QStringLiteral("Д&а"));
    QApplication::clipboard()->setText(QStringLiteral("первая\nвторая\r\n\r\nтретья"));
    Option(1)->setFocus();
    Option(1)->selectAll();
    Key(Option(1), QKeySequence::Paste);
    EXPECT_EQ(Option(1)->text(), QStringLiteral("первая вторая третья"));
    window->SaveFile(path);
    EXPECT_EQ(ReadBytes(path), Cp("&Да или нет?\r\n2\r\n1\r\nпервая вторая третья\r\nН&ет\r\n"));
}

TEST_F(EditorWindow, ClosingWithChangesAsksAndDoesWhatTheTeacherSays)
{
    const std::string path = tmp.Write("g.txt", Geography);
    window->OpenFile(path);
    Type(Control<QLineEdit>("Wording"), QStringLiteral("!"));

    answers.reply = QMessageBox::Cancel;
    EXPECT_FALSE(window->close());
    ASSERT_EQ(answers.Texts().size(), 1);
    EXPECT_EQ(answers.Texts()[0], QStringLiteral("Тест «g.txt» изменён. Сохранить изменения?"));
    EXPECT_TRUE(window->isVisible());

    answers.reply = QMessageBox::Save;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(ReadBytes(path).substr(0, 17), Cp("Столица Франции?!"));

    window->show();
    Type(Control<QLineEdit>("Wording"), QStringLiteral("?"));
    answers.reply = QMessageBox::Discard;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(ReadBytes(path).substr(0, 18), Cp("Столица Франции?!\r"));
    EXPECT_EQ(answers.Texts().size(), 3);

    // Nothing changed: no question.
    window->OpenFile(path);
    EXPECT_TRUE(window->close());
    EXPECT_EQ(answers.Texts().size(), 3);
}

// The window goes with its changes unsaved, as after "Отклонить": nothing of
// it may run while it is taken apart (the sanitizer build sees it).
TEST_F(EditorWindow, AWindowClosedWithUnsavedChangesIsDestroyedCleanly)
{
    window->OpenFile(tmp.Write("a test with a name longer than a short string.txt", Geography));
    Type(Control<QLineEdit>("Wording"), QStringLiteral("!"));
    answers.reply = QMessageBox::Discard;
    EXPECT_TRUE(window->close());
    ASSERT_TRUE(window->isWindowModified());
    window.reset();
}

TEST_F(EditorWindow, ASaveThatFailsSaysWhyAndKeepsTheEdits)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    Type(Control<QLineEdit>("Wording"), QStringLiteral(" (столица)"));
    const std::string folder = tmp.Path("");
    EXPECT_THROW(window->SaveFile(folder), std::exception);
    EXPECT_THROW(window->SaveFile(tmp.Path("no/such/folder/t.txt")), std::exception);
    answers.reply = QMessageBox::Ok;
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_EQ(window->Document().Questions()[0].Text, QStringLiteral("Столица Франции? (столица)"));
    EXPECT_EQ(window->FilePath(), tmp.Path("g.txt"));
}

TEST_F(EditorWindow, FilesThatAreNoTestsAreRefusedAndTheEditorKeepsItsTest)
{
    const std::string kept = tmp.Write("g.txt", Geography);
    window->OpenFile(kept);
    Type(Control<QLineEdit>("Wording"), QStringLiteral("!"));
    std::string huge(1u << 20, 'x');
    huge += "\r\n2\r\n1\r\na\r\nb";
    const std::string oversized = tmp.Write("oversized.txt", "Q\r\n2\r\n1\r\na\r\nb\r\n");
    ASSERT_TRUE(QFile::resize(QString::fromStdString(oversized), qint64(MaxFileSize) + 1));
    const std::string binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    struct Bad {
        std::string path;
        const char* says;
    } bad[] = {
        {tmp.Write("binary.png", binary), "это не текстовый файл"},
        {tmp.Write("prose.txt", Cp("Дорогой дневник,\r\nсегодня был тест.\r\n")), "это не тест"},
        {tmp.Write("huge.txt", huge), "строка длиннее"},
        {oversized, "файл больше 16 МиБ"},
        {tmp.Path(""), "File access denied"},
        {tmp.Path("missing.txt"), "File not found"},
    };
    for (const Bad& b : bad) {
        try {
            window->OpenFile(b.path);
            ADD_FAILURE() << b.path << " opened";
        } catch (const std::exception& error) {
            EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QString::fromUtf8(b.says))) << error.what();
        }
        EXPECT_EQ(window->FilePath(), kept);
        EXPECT_EQ(window->Document().Questions()[0].Text, QStringLiteral("Столица Франции?!"));
    }
    EXPECT_EQ(ReadBytes(kept), Geography);
}

// An empty line between the questions: the program's load stops at line 7,
// and lines 6 to 11 are never opened.
const std::string Stopping = Cp("Первый?\r\n2\r\n1\r\nа\r\nб\r\n\r\nВторой?\r\n2\r\n1\r\nа\r\nб");

TEST_F(EditorWindow, AFileOnWhichTheLoadStopsOpensUpToThereAndSaysWhy)
{
    const struct {
        std::string bytes;
        const char* read; // up to where
        const char* cause; // as ekzamo-check gives it
        const char* unread;
    } cases[] = {
        {Stopping, "Файл прочитан до строки 7", "вероятная причина — пустая строка 6", "строки 6–11 не открыты"},
        // The program takes a Ctrl-Z for the end: what follows is never read.
        {Cp("Первый?\r\n2\r\n1\r\nа\r\nб\r\n\x1aВторой?\r\n2\r\n1\r\nа\r\nб\r\n"), "Файл прочитан до строки 6",
            "Ctrl-Z (код 26) завершает файл", "строки 6–10 не открыты"},
    };
    for (const auto& c : cases) {
        const std::string path = tmp.Write("stop.txt", c.bytes);
        answers.boxes.clear();
        window->OpenFile(path);
        ASSERT_EQ(answers.Texts().size(), 1);
        const QString said = answers.Texts()[0];
        for (const char* part : {c.read, c.cause, c.unread})
            EXPECT_TRUE(said.contains(QString::fromUtf8(part))) << said.toStdString();
        EXPECT_EQ(window->Document().Count(), 1);
        EXPECT_TRUE(WarningTexts().value(0).startsWith(QString::fromUtf8(c.read)));
        EXPECT_EQ(StatusShown(), QStringLiteral("Вопросов: 1, предупреждений: 1"));
        EXPECT_EQ(ReadBytes(path), c.bytes);
        // Saving over it asks first.
        answers.boxes.clear();
        answers.reply = QMessageBox::Cancel;
        window->SaveClick();
        EXPECT_EQ(answers.boxes.size(), 1u);
        EXPECT_EQ(ReadBytes(path), c.bytes);
        answers.reply = QMessageBox::Ok;
    }
}

// Saving over a file opened in part drops what was never opened: only when
// the teacher says so; another name is the default.
TEST_F(EditorWindow, APartlyOpenedFileIsSavedOverOnlyWhenTheTeacherSaysSo)
{
    const struct {
        QMessageBox::StandardButton reply;
        bool written; // over the file opened
        bool elsewhere;
    } cases[] = {
        {QMessageBox::Cancel, false, false},
        {QMessageBox::Save, false, true}, // "Сохранить как..."
        {QMessageBox::Discard, true, false}, // "Перезаписать"
    };
    const std::string path = tmp.Path("stop.txt");
    const std::string other = tmp.Path("other.txt");
    const std::string saved = Cp("Первый?\r\n2\r\n1\r\nа\r\nб\r\n");
    for (const auto& c : cases) {
        tmp.Write("stop.txt", Stopping);
        QFile::remove(QString::fromStdString(other));
        answers.reply = QMessageBox::Ok;
        window->OpenFile(path);
        answers.boxes.clear();
        answers.reply = c.reply;
        answers.ChooseFile(QString::fromStdString(other));
        window->SaveClick();
        ASSERT_EQ(answers.boxes.size(), 1u) << c.reply;
        const QString asked = answers.boxes[0].text;
        EXPECT_TRUE(asked.contains(QStringLiteral("строки 6–11"))) << asked.toStdString();
        EXPECT_TRUE(asked.contains(QStringLiteral("пропадут"))) << asked.toStdString();
        EXPECT_EQ(ReadBytes(path), c.written ? saved : Stopping) << c.reply;
        EXPECT_EQ(QFile::exists(QString::fromStdString(other)), c.elsewhere) << c.reply;
        if (c.elsewhere) {
            EXPECT_EQ(ReadBytes(other), saved);
        }
        // Once saved, the test in the editor is all its file holds.
        answers.boxes.clear();
        window->SaveClick();
        EXPECT_EQ(answers.boxes.size(), c.reply == QMessageBox::Cancel ? 1u : 0u) << c.reply;
        window->Document().UndoStack()->setClean();
    }
    // Another name typed as the file itself is asked about too.
    tmp.Write("stop.txt", Stopping);
    window->OpenFile(path);
    answers.boxes.clear();
    // Yes to the file dialog's "replace it?"; the question after has no Yes
    // and is escaped.
    answers.reply = QMessageBox::Yes;
    answers.ChooseFile(QString::fromStdString(path));
    window->SaveAsClick();
    ASSERT_FALSE(answers.boxes.empty());
    EXPECT_TRUE(answers.boxes.back().text.contains(QStringLiteral("пропадут")));
    EXPECT_EQ(ReadBytes(path), Stopping);
}

TEST_F(EditorWindow, AFileOfMoreThan255QuestionsOpensWholeAndSaysWhatTheProgramDoes)
{
    std::string bytes;
    for (int k = 1; k <= 300; ++k)
        bytes += Cp(("Вопрос " + std::to_string(k) + "?\r\n2\r\n1\r\nда\r\nнет\r\n").c_str());
    window->OpenFile(tmp.Write("300.txt", bytes));
    EXPECT_EQ(window->Document().Count(), 300);
    ASSERT_EQ(answers.Texts().size(), 1);
    const QString said = answers.Texts()[0];
    EXPECT_TRUE(said.startsWith(QStringLiteral("Файл прочитан весь, открыто вопросов: 300"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("на 256-м (строка 1276)"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("после 255-го она не покажет"))) << said.toStdString();
    // Nothing is unread: saved with no question.
    answers.boxes.clear();
    window->SaveClick();
    EXPECT_TRUE(answers.boxes.empty());
    EXPECT_EQ(ReadBytes(tmp.Path("300.txt")), bytes);
}

TEST_F(EditorWindow, TheCountsStayInTheStatusBarWhenAMenuComesAndGoes)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    window->UpdateWarnings();
    EXPECT_EQ(StatusShown(), QStringLiteral("Вопросов: 2, предупреждений: 0"));
    // A menu hovered shows its items' status tips, and clears them after.
    QStatusTipEvent tip(QStringLiteral("/home/teacher/tests/g.txt"));
    QApplication::sendEvent(window.get(), &tip);
    QStatusTipEvent none{QString()};
    QApplication::sendEvent(window.get(), &none);
    EXPECT_EQ(StatusShown(), QStringLiteral("Вопросов: 2, предупреждений: 0"));
}

TEST_F(EditorWindow, ErrorsAndQuestionsShareOneTitle)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    Type(Option(1), QStringLiteral(" ✓"));
    window->SaveClick(); // refused: an error, through the guard
    answers.reply = QMessageBox::Cancel;
    window->OpenClick(); // over unsaved changes: a question
    ASSERT_EQ(answers.boxes.size(), 2u);
    EXPECT_EQ(answers.boxes[0].icon, QMessageBox::Critical);
    EXPECT_EQ(answers.boxes[1].icon, QMessageBox::Warning);
    for (const DialogAnswerer::Box& box : answers.boxes)
        EXPECT_EQ(box.title, ApplicationTitle()) << box.text.toStdString();
}

// Enter on a warning about a character selects the character itself.
TEST_F(EditorWindow, AWarningAboutACharacterTakesTheCursorToIt)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    Type(Option(2), QStringLiteral(" ✓ да"));
    Control<QLineEdit>("Wording")->setFocus();
    WarningTexts();
    auto* pane = Control<QListWidget>("Warnings");
    ASSERT_EQ(pane->count(), 1);
    emit pane->itemActivated(pane->item(0));
    EXPECT_TRUE(Option(2)->hasFocus());
    EXPECT_EQ(Option(2)->selectedText(), QStringLiteral("✓"));
    EXPECT_EQ(Option(2)->selectionStart(), 5);
}

// A line of the file holds 32,767 characters, each '&' written twice: one
// rule as a field is typed, saved, opened and imported.
TEST_F(EditorWindow, ALineIsNeverLongerThanTheFileHolds)
{
    std::string amps;
    for (int i = 0; i < 16382; ++i)
        amps += "&&";
    const std::string path = tmp.Write("long.txt", Cp("Вопрос?\r\n2\r\n1\r\n") + amps + "a\r\nb");
    window->OpenFile(path); // 32,765 bytes
    const struct {
        Qt::Key key;
        const char* text;
        qsizetype length; // of the option as shown after it
    } typed[] = {
        {Qt::Key_Ampersand, "&", 16384}, // 32,767 bytes
        {Qt::Key_Ampersand, "&", 16384},
        {Qt::Key_X, "x", 16384},
        {Qt::Key_Backspace, "", 16383},
        {Qt::Key_X, "x", 16384},
    };
    Option(1)->setFocus();
    Option(1)->end(false);
    for (const auto& t : typed) {
        QTest::keyClick(Option(1), t.key, Qt::NoModifier);
        EXPECT_EQ(Option(1)->text().size(), t.length) << t.text;
    }
    EXPECT_TRUE(StatusShown().contains(QStringLiteral("не может быть длиннее 32767"))) << StatusShown().toStdString();
    window->SaveFile(path);
    EXPECT_EQ(ReadBytes(path), Cp("Вопрос?\r\n2\r\n1\r\n") + amps + "ax\r\nb\r\n");
    window->OpenFile(path);
    EXPECT_EQ(window->Document().Questions()[0].Options[0].size(), 16384);
    // However the text got there, it is not saved.
    window->Document().SetText(0, 2, QString(16384, u'&'));
    EXPECT_THROW(window->SaveFile(path), EError);
    EXPECT_EQ(ReadBytes(path), Cp("Вопрос?\r\n2\r\n1\r\n") + amps + "ax\r\nb\r\n");
    window->Document().UndoStack()->setClean();

    // A UTF-8 file's line counts its characters, as it will be saved.
    QString cyrillic(20000, QChar(0x0416));
    const std::string utf8 = tmp.Write("u.txt", "Вопрос?\n2\n1\n" + cyrillic.toStdString() + "\nб\n");
    answers.reply = QMessageBox::Yes;
    window->OpenFile(utf8);
    EXPECT_EQ(window->FilePath(), utf8);
    answers.reply = QMessageBox::No; // read as Windows-1251: 40,000 characters
    try {
        window->OpenFile(utf8);
        ADD_FAILURE() << "opened";
    } catch (const EError& error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QStringLiteral("длиннее 32767"))) << error.what();
    }
    EXPECT_EQ(window->FilePath(), utf8);

    // Imported, the same rule.
    const std::string gift = tmp.Write("long.gift", "::Q:: Вопрос? {=" + std::string(16384, '&') + " ~нет}\n");
    EXPECT_THROW(window->ImportFile(gift, TTestFormat::Gift), EError);
    EXPECT_EQ(window->FilePath(), utf8);
}

// Eighty questions with feedback give hundreds of notes: they scroll in a
// window that fits the screen, in line order.
TEST_F(EditorWindow, ManyImportNotesScrollInLineOrder)
{
    std::string gift;
    for (int k = 1; k <= 80; ++k)
        gift += "::Q" + std::to_string(k) + ":: Вопрос " + std::to_string(k) + "? {\n=да#верно\n~нет#неверно\n"
            + "~может быть#подумайте\n####общий отзыв\n}\n\n";
    CollectNotes();
    window->ImportFile(tmp.Write("many.gift", gift), TTestFormat::Gift);
    EXPECT_EQ(window->Document().Count(), 80);
    EXPECT_TRUE(answers.boxes.empty());
    ASSERT_EQ(shownNotes.size(), 1u);
    const QStringList& notes = shownNotes[0];
    EXPECT_EQ(notes.size(), 320);
    const QRegularExpression at(QStringLiteral("^строка (\\d+)"));
    int previous = 0;
    for (const QString& note : notes) {
        const int line = at.match(note).captured(1).toInt();
        EXPECT_GE(line, previous) << note.toStdString();
        previous = line;
    }
    EXPECT_LE(noteDialogSizes[0].height(), 600);
}

TEST_F(EditorWindow, AUtf8FileOpensAsUtf8WhenTheTeacherSaysSoAndIsSavedInWindows1251)
{
    const std::string path = tmp.Write("u.txt", "Столица?\n2\n1\nПариж\nЛион\n");
    answers.reply = QMessageBox::Yes;
    window->OpenFile(path);
    ASSERT_EQ(answers.Texts().size(), 1);
    EXPECT_TRUE(answers.Texts()[0].contains(QStringLiteral("UTF-8")));
    EXPECT_EQ(window->Document().Questions()[0].Text, QStringLiteral("Столица?"));
    EXPECT_TRUE(window->isWindowModified()) << "not yet in Windows-1251 on disk";
    window->SaveFile(path);
    EXPECT_EQ(ReadBytes(path), Cp("Столица?\r\n2\r\n1\r\nПариж\r\nЛион\r\n"));

    answers.reply = QMessageBox::Cancel;
    const std::string other = tmp.Write("u2.txt", "Вопрос?\n2\n1\nа\nб\n");
    window->OpenFile(other);
    EXPECT_EQ(window->FilePath(), path);
}

TEST_F(EditorWindow, AUtf8FileThatIsNoTestIsRefusedWithoutAskingHowToRead)
{
    const std::string path = tmp.Write("prose.txt", "Дорогой дневник,\nсегодня был тест.\n");
    answers.reply = QMessageBox::Yes;
    EXPECT_THROW(window->OpenFile(path), EError);
    EXPECT_TRUE(answers.Texts().isEmpty()) << answers.Texts().join(u'\n').toStdString();
}

TEST_F(EditorWindow, TheMenuItemsHaveTheirShortcuts)
{
    const struct {
        const char* action;
        const char* keys;
    } shortcuts[] = {
        {"ActionNew", "Ctrl+N"},
        {"ActionOpen", "Ctrl+O"},
        {"ActionSave", "Ctrl+S"},
        {"ActionSaveAs", "Ctrl+Shift+S"},
        {"ActionPrint", "Ctrl+P"},
        {"ActionQuit", "Ctrl+Q"},
        {"ActionAddQuestion", "Ctrl+Return"},
        {"ActionDuplicate", "Ctrl+D"},
        {"ActionRemoveQuestion", "Ctrl+Shift+Del"},
        {"ActionMoveUp", "Ctrl+Shift+Up"},
        {"ActionMoveDown", "Ctrl+Shift+Down"},
        {"ActionAddOption", "Ctrl+Shift+Return"},
        {"ActionRemoveOption", "Alt+Del"},
        // Keys no window manager takes first, then those openbox takes.
        {"ActionOptionUp", "Alt+Up, Alt+Shift+Up"},
        {"ActionOptionDown", "Alt+Down, Alt+Shift+Down"},
        {"ActionMarkRight", "Ctrl+R"},
        {"ActionUndo", "Ctrl+Z"},
        {"ActionRedo", "Ctrl+Shift+Z, Ctrl+Y"},
        {"ActionImportGift", ""},
        {"ActionPdf", ""},
    };
    for (const auto& s : shortcuts) {
        QStringList keys;
        for (const QKeySequence& k : Action(s.action)->shortcuts())
            keys << k.toString(QKeySequence::PortableText);
        EXPECT_EQ(keys.join(QStringLiteral(", ")), QString::fromLatin1(s.keys)) << s.action;
    }
    // Each works from the window: Ctrl+D copies the question.
    Type(Control<QLineEdit>("Wording"), QStringLiteral("Вопрос?"));
    Key(window.get(), QKeySequence(QStringLiteral("Ctrl+D")));
    EXPECT_EQ(window->Document().Count(), 2);
}

TEST_F(EditorWindow, GiftImportedIsSavedAsATestAndExportsGiveItBack)
{
    const std::string gift = tmp.Write("bank.gift",
        "// Банк вопросов\n$CATEGORY: География\n\n::Q1:: Tom & Jerry \\{кто\\}\nкот? { =Tom ~Jerry ~Spike }\n\n"
        "::Q2:: Земля круглая? {T}\n\n::Q3:: Столица Франции? { ~Лион =Париж#Верно ~Марсель }\n");
    CollectNotes();
    window->ImportFile(gift, TTestFormat::Gift);
    ASSERT_EQ(window->Document().Count(), 2);
    EXPECT_EQ(window->Document().Questions()[0].Text, QStringLiteral("Tom & Jerry {кто} кот?"));
    EXPECT_EQ(window->Document().Questions()[1].Correct, 2);
    ASSERT_EQ(shownNotes.size(), 1u);
    EXPECT_TRUE(shownNotes[0].join(u'\n').contains(QStringLiteral("строка 7"))) << shownNotes[0].join(u'\n').toStdString();
    EXPECT_TRUE(window->isWindowModified());
    EXPECT_TRUE(window->FilePath().empty());

    const std::string test = tmp.Path("bank.txt");
    window->SaveFile(test);
    EXPECT_EQ(ReadBytes(test), Cp("Tom && Jerry {кто} кот?\r\n3\r\n1\r\nTom\r\nJerry\r\nSpike\r\n"
                                  "Столица Франции?\r\n3\r\n2\r\nЛион\r\nПариж\r\nМарсель\r\n"));

    const std::vector<TEditQuestion> before = window->Document().Questions();
    const std::string aiken = tmp.Path("bank-aiken.txt");
    window->ExportFile(aiken, TTestFormat::Aiken);
    EXPECT_EQ(ReadBytes(aiken).substr(0, 45), std::string("Tom & Jerry {кто} кот?\nA) Tom\nB) Jerry\n").substr(0, 45));
    const std::string exported = tmp.Path("again.gift");
    window->ExportFile(exported, TTestFormat::Gift);
    window->ImportFile(exported, TTestFormat::Gift);
    EXPECT_EQ(window->Document().Questions(), before);
    window->ImportFile(aiken, TTestFormat::Aiken);
    EXPECT_EQ(window->Document().Questions(), before);
    EXPECT_EQ(shownNotes.size(), 1u);
    EXPECT_TRUE(answers.boxes.empty());
}

TEST_F(EditorWindow, ImportsThatHoldNoQuestionsAreRefused)
{
    const std::string kept = tmp.Write("g.txt", Geography);
    window->OpenFile(kept);
    for (const std::string& path : {tmp.Write("tf.gift", "::Q:: Земля круглая? {TRUE}\n"),
             tmp.Write("bin.gift", std::string("\0\x01\x02", 3)), tmp.Write("cp.gift", Cp("Вопрос? {=а ~б}"))}) {
        EXPECT_THROW(window->ImportFile(path, TTestFormat::Gift), std::exception) << path;
        EXPECT_EQ(window->FilePath(), kept);
        EXPECT_EQ(window->Document().Count(), 2);
    }
}

TEST_F(EditorWindow, PdfFromTheMenuHoldsEveryVariantAndItsKey)
{
    if (!CanReadPdf())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    window->OpenFile(tmp.Write("g.txt", Geography));
    bool shuffled = false;
    answers.onDialog = [&shuffled](QDialog* dialog) {
        dialog->findChild<QSpinBox*>(QStringLiteral("Variants"))->setValue(3);
        shuffled = dialog->findChild<QCheckBox*>(QStringLiteral("Shuffle"))->isChecked();
        dialog->accept();
    };
    const QString pdf = QString::fromStdString(tmp.Path("g.pdf"));
    answers.ChooseFile(pdf);
    Action("ActionPdf")->trigger();
    EXPECT_TRUE(shuffled) << "several variants are shuffled unless the teacher says otherwise";
    const QString out = PdfText(pdf, false);
    for (const char* expected : {"Вариант 1", "Вариант 2", "Вариант 3", "Самая длинная река?", "Марсель", "Ключ ответов"})
        EXPECT_TRUE(out.contains(QString::fromUtf8(expected))) << expected;
    EXPECT_EQ(out.count(QStringLiteral("Самая длинная река?")), 3);
    EXPECT_TRUE(answers.Texts().isEmpty()) << answers.Texts().join(u'\n').toStdString();
}

TEST_F(EditorWindow, RecentFilesListTheLastOpenedFirstAndReopen)
{
    QSettings().remove(QStringLiteral("recentFiles"));
    const std::string first = tmp.Write("first.txt", Geography);
    const std::string second = tmp.Write("second.txt", Geography);
    window->OpenFile(first);
    window->OpenFile(second);
    window->OpenFile(first);
    QTest::qWait(50); // stored once the window is free
    auto* menu = Control<QMenu>("MenuRecent");
    emit menu->aboutToShow();
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 2);
    EXPECT_EQ(actions[0]->text(), QStringLiteral("&1 first.txt"));
    EXPECT_EQ(actions[1]->text(), QStringLiteral("&2 second.txt"));
    actions[1]->trigger();
    EXPECT_EQ(window->FilePath(), second);
}

TEST_F(EditorWindow, EveryControlHasANameAScreenReaderSays)
{
    window->OpenFile(tmp.Write("g.txt", Geography));
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus || qobject_cast<QScrollBar*>(w))
            continue;
        const bool named = !w->accessibleName().isEmpty() || !w->property("text").toString().isEmpty();
        EXPECT_TRUE(named) << w->metaObject()->className() << " " << w->objectName().toStdString();
    }
    EXPECT_EQ(Right(2)->accessibleName(), QStringLiteral("Вариант 2 — правильный ответ"));
}

} // namespace
