// SPDX-License-Identifier: MIT
#include "ui/SplashF.h"

#include "ui/Appearance.h"
#include "ui/Messages.h"
#include "ui_SplashF.h"

#include <QKeyEvent>
#include <QTimer>

TSplash* Splash = nullptr;

TSplash::TSplash(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , ui(std::make_unique<Ui::TSplash>())
{
    Splash = this;
    ui->setupUi(this);
    setFixedSize(size());
    CentreOnDesktop(this, size());
    SetWindowDefaults(this);

    ui->Image1->setPixmap(Asset(QStringLiteral("title.png")));
    ui->BitBtn1->setIcon(OkGlyph());
    ui->BitBtn1->hide();
    connect(ui->BitBtn1, &QPushButton::clicked, this, &QDialog::accept);

    Timer1 = new QTimer(this);
    Timer1->setTimerType(Qt::PreciseTimer);
    Timer1->setInterval(3300);
    connect(Timer1, &QTimer::timeout, this, &TSplash::Timer1Timer);
    Timer1->start();
}

TSplash::~TSplash()
{
    if (Splash == this)
        Splash = nullptr;
}

QPushButton* TSplash::BitBtn1() const
{
    return ui->BitBtn1;
}

void TSplash::Timer1Timer()
{
    Guard([this] { close(); });
}

void TSplash::keyPressEvent(QKeyEvent* event)
{
    // Only the timer and OK close it.
    if (event->key() == Qt::Key_Escape)
        return;
    QDialog::keyPressEvent(event);
}
