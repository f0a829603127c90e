// SPDX-License-Identifier: MIT
#include "ui/MainUnit.h"

#include "engine/Ansi.h"
#include "engine/Clock.h"
#include "engine/Durations.h"
#include "engine/Errors.h"
#include "engine/Mnemonic.h"
#include "engine/Paths.h"
#include "engine/Ques.h"
#include "ui/AF.h"
#include "ui/Appearance.h"
#include "ui/FileDialog.h"
#include "ui/INPM.h"
#include "ui/Messages.h"
#include "ui/Widgets.h"
#include "ui_MainUnit.h"

#include <QCloseEvent>
#include <QResizeEvent>
#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

TMF* MF = nullptr;

namespace {

const QString NoTestFile = QStringLiteral("Не установлен файл вопросов, выберите!");
const QString NoAnswer = QStringLiteral("Выберите один из предложенных вариантов ответа");

// "Тесты по дисциплине: " and the test's name.
QString CaptionFor(const std::string& testFile)
{
    return QStringLiteral("Тесты по дисциплине: ") + FromNativePath(TestNameOf(testFile));
}
const QString TimeLeftHead = QStringLiteral("Осталось времени: ");
constexpr const char* DefaultDuration = "1:10:00";

} // namespace

TMF::TMF(QWidget* parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::TMF>())
{
    MF = this;
    ui->setupUi(this);
    move(207, 411);
    QPalette black = ui->TimePanel->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    ui->TimePanel->setPalette(black);

    // The group's ids are the option numbers that answers record.
    const std::array<QAbstractButton*, 5> options {ui->Otv1, ui->Otv2, ui->Otv3, ui->Otv4, ui->Otv5};
    for (int k = 1; k <= 5; ++k)
        ui->Otvety->setId(options[std::size_t(k - 1)], k);

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(1000);

    connect(ui->Yes, &QPushButton::clicked, this, &TMF::YesClick);
    connect(ui->Miss, &QPushButton::clicked, this, &TMF::MissClick);
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TMF::BitBtn1Click);
    connect(Timer1, &QTimer::timeout, this, &TMF::Timer1Timer);
    for (QPushButton* button : {ui->Yes, ui->Miss, ui->BitBtn1})
        button->installEventFilter(this);

    FormCreate();
}

TMF::~TMF()
{
    if (MF == this)
        MF = nullptr;
}

void TMF::setVisible(bool visible)
{
    // The setup window is shown first, from the constructor; the faces and
    // pictures it does not use are put on when this window is first shown.
    if (visible && !dressed_)
        Dress();
    QWidget::setVisible(visible);
}

void TMF::Dress()
{
    dressed_ = true;
    SetWindowLook(this);
    KeepOnScreen(this);
    // Qt reads an icon's file as soon as the icon is made.
    ui->Yes->setIcon(OkGlyph());
    ui->Miss->setIcon(Glyph(QStringLiteral("cross.png"), QStringLiteral("cross-disabled.png")));
    ui->BitBtn1->setIcon(Glyph(QStringLiteral("stop.png"), QStringLiteral("stop-disabled.png")));
    SetPixelFont(ui->GB, TFace::TimesNewRoman, 19);
    SetPixelFont(ui->Vopros, TFace::TimesNewRoman, 16, true);
    SetPixelFont(ui->GroupBox1, TFace::TimesNewRoman, 19);
    for (QAbstractButton* option : ui->Otvety->buttons())
        SetPixelFont(option, TFace::TimesNewRoman, 16);
    SetPixelFont(ui->TimePanel, TFace::Dialog, 13);
}

void SelectTestFile(const std::string& path)
{
    TestFileName = path;
    ResultFileName = ResultNameFor(path);
    if (MF)
        MF->setWindowTitle(CaptionFor(path));
}

void TMF::FormCreate()
{
    Guard([this] {
        if (Form7)
            Form7->exec();
        show();
        if (!TestFileName.empty() || !ResultFileName.empty()) {
            setWindowTitle(CaptionFor(TestFileName));
        } else {
            ShowMessage(NoTestFile);
            const std::string chosen = RunOpenDialog(this, QStringLiteral("Файлы вопросов [*.txt]"));
            if (chosen.empty())
                return; // nothing to load: left as after a failed load
            SelectTestFile(chosen);
        }
        LoadTest(TestFileName);
        ShuffleOrder();
        ordered_ = true;
        Timer1->start();
        StartTime = QDateTime::currentDateTime();
        StartClockMs = ElapsedClockMs();
        ui->TimePanel->setText(QString::fromLatin1(DefaultDuration));
        CurrentPos = 1;
        ShowCurrent();
    });
}

void TMF::ShowCurrent()
{
    if (QuestionCount == 0)
        return;
    // Focus on an option, or on none yet, goes to the first option of the new
    // question: never to a hidden one, nor on to a button where Enter would
    // not confirm. A button the student chose keeps it.
    QWidget* focused = focusWidget();
    const bool onOption = !focused || focused == this || ui->Otvety->buttons().contains(focused);
    ShowQuestion(*TestOrder[CurrentPos]);
    if (onOption)
        ui->Otv1->setFocus(Qt::OtherFocusReason);
}

void TMF::ShowQuestion(const TQuestion& question)
{
    ui->GB->setTitle(QStringLiteral("Вопрос №%1 из %2").arg(CurrentPos).arg(QuestionCount));
    ui->Vopros->setTextFormat(Qt::RichText);
    ui->Vopros->setText(MnemonicToHtml(FromAnsi(question.Text)));
    ui->Vopros->setAccessibleName(ShownFromMarked(FromAnsi(question.Text)));
    ui->Otv3->setVisible(question.OptionCount >= 3);
    ui->Otv4->setVisible(question.OptionCount >= 4);
    ui->Otv5->setVisible(question.OptionCount >= 5);
    // An exclusive group cannot be left with nothing checked.
    ui->Otvety->setExclusive(false);
    for (int k = 1; k <= 5; ++k) {
        QAbstractButton* option = ui->Otvety->button(k);
        option->setText(FromAnsi(question.Options[std::size_t(k)]));
        option->setAccessibleName(ShownFromMarked(option->text()));
        option->setChecked(false);
    }
    ui->Otvety->setExclusive(true);
}

void ShowQuestion(const TQuestion& question)
{
    MF->ShowQuestion(question);
}

void TMF::YesClick()
{
    Guard([this] {
        if (!ordered_ || finished_)
            return;
        if (QuestionCount > 0) {
            if (const int k = ui->Otvety->checkedId(); k > 0)
                Answers[CurrentPos] = std::uint8_t(k);
            if (Answers[CurrentPos] == 0) {
                ShowMessage(NoAnswer);
                return;
            }
        }
        MoveOn();
    });
}

void TMF::MissClick()
{
    Guard([this] {
        if (!ordered_ || finished_)
            return;
        MoveOn();
    });
}

// To the next open question; with none left the test is over.
void TMF::MoveOn()
{
    if (NextUnanswered())
        ShowCurrent();
    else
        close();
}

void TMF::BitBtn1Click()
{
    Guard([this] {
        if (ordered_)
            Finish();
        else
            EndProgram();
    });
}

void TMF::Timer1Timer()
{
    Guard([this] {
        if (!TestFileName.empty()) {
            if (Form7)
                Form7->hide();
            if (AboutForm)
                AboutForm->hide();
        }
        if (TestDuration.empty())
            TestDuration = DefaultDuration;
        const std::int64_t allowed = StrToTime(TestDuration);
        const std::int64_t elapsed = ElapsedClockMs() - StartClockMs;
        ui->TimePanel->setText(TimeLeftHead + QString::fromLatin1(TimeToStr(allowed - elapsed)));
        // While a finish is showing its score, expiry waits for the next tick.
        if (elapsed >= allowed && !finishing_) {
            Timer1->stop();
            close();
        }
    });
}

void TMF::closeEvent(QCloseEvent* event)
{
    // A close handler that fails leaves the window open.
    if (Guard([this] { FormClose(); }))
        event->accept();
    else
        event->ignore();
}

void TMF::FormClose()
{
    if (ordered_)
        Finish();
    else
        EndProgram();
}

bool TMF::eventFilter(QObject* watched, QEvent* event)
{
    // The default button would take Enter with Shift, Ctrl or Alt as well:
    // the buttons leave Enter and Esc to the window's one rule.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Escape) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TMF::keyPressEvent(QKeyEvent* event)
{
    const bool plain = !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
    if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
        // A focused button takes Enter itself; otherwise the default button does.
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused ? focused : ui->Yes)->click();
        return;
    }
    if (plain && event->key() == Qt::Key_Escape) {
        ui->Miss->click();
        return;
    }
    // 1 to 5, on the main row or the keypad, choose the option at that place.
    if (plain && event->key() >= Qt::Key_1 && event->key() <= Qt::Key_5) {
        ChooseOption(event->key() - Qt::Key_0);
        return;
    }
    QWidget::keyPressEvent(event);
}

// As a click on the option would, when it is shown; the focus goes with the
// choice so that Enter then confirms it.
void TMF::ChooseOption(int k)
{
    QAbstractButton* option = ui->Otvety->button(k);
    if (!option || option->isHidden())
        return;
    option->setFocus(Qt::ShortcutFocusReason);
    option->click();
}

void TMF::resizeEvent(QResizeEvent* event)
{
    // The options span the window as designed (16 px left, 18 px right) and
    // wrap to the width they are given.
    const int width = event->size().width() - ui->Otv1->x() - 18;
    for (QAbstractButton* option : ui->Otvety->buttons())
        option->resize(std::max(width, 0), option->height());
    QWidget::resizeEvent(event);
}

void TMF::Finish()
{
    if (finishing_ || finished_)
        return;
    finishing_ = true;
    try {
        ReportScore();
    } catch (...) {
        finishing_ = false;
        throw;
    }
    finishing_ = false;
    FreeQuestions();
    finished_ = true;
    Timer1->stop();
    EndProgram();
}

// The program ends when its main window, the About window, is closed.
void TMF::EndProgram()
{
    if (Form7)
        Form7->close();
    if (AboutForm)
        AboutForm->close();
}

void ReportScore()
{
    const std::string text = ScoreLine();
    ShowMessage(FromAnsi(text));
    WriteResults(text);
}
