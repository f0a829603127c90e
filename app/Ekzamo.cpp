// SPDX-License-Identifier: MIT
#include "ui/INPM.h"
#include "ui/MainUnit.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The program speaks Russian whatever the system's language, and so do
    // Qt's own dialogs (the file dialog) when their translation is installed.
    QTranslator qtTexts;
    if (qtTexts.load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    // The windows decide when the program ends.
    app.setQuitOnLastWindowClosed(false);
    new TForm7;
    new TMF;
    const int code = app.exec();
    delete MF;
    delete Form7;
    return code;
}
