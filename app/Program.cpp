// SPDX-License-Identifier: MIT
#include "app/Program.h"

#include "ui/AF.h"
#include "ui/Appearance.h"
#include "ui/INPM.h"
#include "ui/MainUnit.h"
#include "ui/SplashF.h"

#include <QApplication>
#include <QTimer>
#include <memory>

void InitApplication()
{
    // The windows decide when the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    SetApplicationFont();
}

int RunProgram()
{
    // The first window made is the main window.
    const auto about = std::make_unique<TAboutForm>();
    const auto setup = std::make_unique<TForm7>();
    const auto test = std::make_unique<TMF>();
    const auto splash = std::make_unique<TSplash>();

    // The main window is shown as the event loop starts, beside the test
    // window, which keeps the keyboard: a key meant for the test must not
    // reach the main window's OK and end the program.
    TAboutForm* mainWindow = about.get();
    QTimer::singleShot(0, mainWindow, [mainWindow] {
        mainWindow->setAttribute(Qt::WA_ShowWithoutActivating);
        mainWindow->show();
        mainWindow->setAttribute(Qt::WA_ShowWithoutActivating, false);
    });
    return QApplication::exec();
}
