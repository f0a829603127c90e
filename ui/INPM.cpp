// SPDX-License-Identifier: MIT
#include "ui/INPM.h"

#include "engine/Ansi.h"
#include "engine/Durations.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Ques.h"
#include "ui/AF.h"
#include "ui/Appearance.h"
#include "ui/FileDialog.h"
#include "ui/MainUnit.h"
#include "ui/Messages.h"
#include "ui/SplashF.h"
#include "ui_INPM.h"

#include <QDir>
#include <QKeyEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <cstring>
#include <optional>

TForm7* Form7 = nullptr;

namespace {

const QString HelpFile = QStringLiteral("help.htxt");

// The memo's capacity in characters, one byte each in the file. The memo
// lays a longer text out for seconds, a long line without breaks above all,
// and the window would not answer meanwhile.
constexpr std::size_t MemoCapacity = 64 * 1024;

// The instructions as bytes; a failure names the file and the system's
// reason, as a stream that cannot be opened does.
std::string ReadHelp(const std::string& path)
{
    std::optional<std::string> bytes;
    try {
        bytes = ReadWholeFile(path, MemoCapacity);
    } catch (const EInOutError& error) {
        throw EError(Format(Msg::CannotOpenFile, path, std::strerror(error.SystemError)));
    }
    if (!bytes)
        throw EError(Msg::MemoTooLarge);
    return *bytes;
}

} // namespace

TForm7::TForm7(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TForm7>())
{
    Form7 = this;
    // The font first, so that the memo lays out its text in one face only:
    // each face costs the first window time at start-up.
    SetWindowDefaults(this);
    ui->setupUi(this);
    layout()->setMenuBar(ui->MainMenu1);
    move(208, 561);

    QPalette face = ui->Memo1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    ui->Memo1->setPalette(face);
    ui->Image1->setPixmap(Asset(QStringLiteral("logo.png")));

    connect(ui->Button1, &QPushButton::clicked, this, &TForm7::Button1Click);
    connect(ui->N2, &QAction::triggered, this, &TForm7::N2Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm7::Button2Click);
    connect(ui->N3, &QAction::triggered, this, &TForm7::N3Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm7::Button3Click);
    connect(ui->N5, &QAction::triggered, this, &TForm7::N5Click);
    connect(ui->CheckBox1, &QCheckBox::toggled, this, &TForm7::CheckBox1Click);
    connect(ui->N7, &QAction::triggered, this, &TForm7::N7Click);
    connect(ui->N8, &QAction::triggered, this, &TForm7::N8Click);
    connect(ui->Image1, &TImage::clicked, this, &TForm7::Image1Click);

    ui->Button1->setFocus();
}

TForm7::~TForm7()
{
    if (Form7 == this)
        Form7 = nullptr;
}

void TForm7::Button1Click()
{
    Guard([this] {
        // A cancelled dialog keeps the file chosen before, if any.
        const std::string chosen = RunOpenDialog(this, QStringLiteral("Файлы тестов х*.txt]"));
        if (!chosen.empty())
            SelectTestFile(chosen);
    });
}

void TForm7::N2Click()
{
    Button1Click();
}

void TForm7::Button2Click()
{
    Guard([this] {
        if (TestDuration.empty())
            ShowMessage(QString::fromUtf8(Msg::NoDuration));
        else
            close();
    });
}

void TForm7::N3Click()
{
    Button2Click();
}

void TForm7::Button3Click()
{
    Guard([this] { TestDuration = TimeToStr(ui->DateTimePicker1->time().msecsSinceStartOfDay()); });
}

void TForm7::N5Click()
{
    Button3Click();
}

void TForm7::CheckBox1Click()
{
    Guard([this] { DetailedResults = ui->CheckBox1->isChecked(); });
}

void TForm7::N7Click()
{
    Guard([this] {
        const std::string path = ToNativePath(QDir::current().absoluteFilePath(HelpFile));
        QString text = FromAnsi(ReadHelp(path));
        text.replace(QRegularExpression(QStringLiteral("\r\n?")), QStringLiteral("\n"));
        ui->Memo1->setPlainText(text);
    });
}

void TForm7::N8Click()
{
    Guard([] {
        if (AboutForm)
            AboutForm->exec();
    });
}

void TForm7::Image1Click()
{
    // Each click makes a further splash window; all of them stay with this
    // window until the program ends.
    Guard([this] {
        Splash = new TSplash(this);
        Splash->BitBtn1()->show();
        Splash->exec();
    });
}

void TForm7::keyPressEvent(QKeyEvent* event)
{
    // Esc must not end the setup window's run: only the close box does.
    if (event->key() == Qt::Key_Escape)
        return;
    // There is no default button: Enter in the time picker or on the check
    // box must not start the test. A focused button takes plain Enter, as in
    // the test window.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        const bool plain = !(event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier));
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button && plain)
            button->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
