// SPDX-License-Identifier: MIT
#include "ui/INPM.h"
#include "ui/MainUnit.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The windows decide when the program ends.
    app.setQuitOnLastWindowClosed(false);
    new TForm7;
    new TMF;
    const int code = app.exec();
    delete MF;
    delete Form7;
    return code;
}
