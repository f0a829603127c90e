// SPDX-License-Identifier: MIT
#include "app/Program.h"

#include <QApplication>
#include <fontconfig/fontconfig.h>
#include <thread>

int main(int argc, char* argv[])
{
    // The first window needs the font configuration, whose reading takes as
    // long as connecting to the display: the two are done side by side.
    std::thread fonts([] { FcInit(); });
    QApplication app(argc, argv);
    fonts.join();
    InitApplication(app);
    return RunProgram();
}
