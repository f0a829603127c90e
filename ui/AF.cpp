// SPDX-License-Identifier: MIT
#include "ui/AF.h"

#include "ui/Appearance.h"
#include "ui/Jpeg.h"
#include "ui/MainUnit.h"
#include "ui/Messages.h"
#include "ui_AF.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QKeyEvent>

TAboutForm* AboutForm = nullptr;

namespace {

void SetColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent)
{
    AboutForm = this;
}

TAboutForm::~TAboutForm()
{
    if (AboutForm == this)
        AboutForm = nullptr;
}

int TAboutForm::exec()
{
    ++modalRuns_;
    const int result = QDialog::exec();
    --modalRuns_;
    return result;
}

void TAboutForm::setVisible(bool visible)
{
    // The window is made long before it is first shown, and its fonts and
    // pictures cost more at start-up than the whole setup window: they are
    // put together when it is first shown.
    if (visible && !dressed_)
        Dress();
    QDialog::setVisible(visible);
}

void TAboutForm::Dress()
{
    dressed_ = true;
    ui = std::make_unique<Ui::TAboutForm>();
    ui->setupUi(this);
    setFixedSize(size());
    CentreOnDesktop(this, QSize(579, 281));
    SetWindowLook(this);
    KeepOnScreen(this);

    SetPixelFont(ui->Label1, TFace::Arial, 16, true);
    SetColour(ui->Label1, QColor(0x80, 0, 0));
    SetPixelFont(ui->Label2, TFace::Arial, 13, true, true);
    SetColour(ui->Label2, QColor(0, 0, 0x80));
    SetPixelFont(ui->Label3, TFace::Arial, 13, true, true);
    SetPixelFont(ui->Label4, TFace::Arial, 13, true);
    SetColour(ui->Label4, QColor(0, 0, 0x80));
    // These labels fit their texts, wherever the font has other metrics.
    for (QLabel* label : {ui->Label2, ui->Label15, ui->Label3, ui->Label4, ui->Label5, ui->Label14, ui->Label19})
        label->adjustSize();

    const QPixmap logo = Asset(QStringLiteral("logo.png"));
    ui->Image1->setPixmap(logo);
    ui->Image1->resize(logo.size());
    ui->BitBtn1->setIcon(OkGlyph());

    connect(ui->BitBtn1, &QPushButton::clicked, this, &TAboutForm::BitBtn1Click);
    ui->BitBtn1->installEventFilter(this);

    // A photograph that cannot be decoded is reported and left out.
    Guard([this] {
        ui->Image2->setPixmap(QPixmap::fromImage(DecodeJpeg(AssetBytes(QStringLiteral("photo.jpg")))));
    });
}

void TAboutForm::BitBtn1Click()
{
    Guard([this] { close(); });
}

// Shown as the main window beside the test, this window may get the keyboard
// all the same: Wayland compositors give it to every new window. The keys are
// the student's answers, so they go on to the test window; Enter must never
// press this window's OK and end the program with no score.
bool TAboutForm::PassKeyToTest(QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    if (modalRuns_ > 0 || !MF || !MF->isVisible())
        return false;
    QWidget* focused = MF->focusWidget();
    QCoreApplication::sendEvent(focused ? focused : MF, event);
    return true;
}

bool TAboutForm::event(QEvent* event)
{
    return PassKeyToTest(event) || QDialog::event(event);
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event)
{
    return PassKeyToTest(event) || QDialog::eventFilter(watched, event);
}

void TAboutForm::closeEvent(QCloseEvent* event)
{
    // Outside a modal run this is the main window: the program ends. Exit,
    // not quit: quitting would first close the other windows, and closing the
    // test window finishes the test.
    if (modalRuns_ == 0)
        QCoreApplication::exit(0);
    QDialog::closeEvent(event);
}

void TAboutForm::keyPressEvent(QKeyEvent* event)
{
    // OK is no cancel button, so Esc does nothing: outside a modal run it
    // would hide the main window and leave the program without it.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}
