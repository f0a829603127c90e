// SPDX-License-Identifier: MIT
#include "app/Program.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    InitApplication(app);
    return RunProgram();
}
