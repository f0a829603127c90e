// SPDX-License-Identifier: MIT
// The yardstick for start-up: the least a Qt Widgets program does to show a
// window of the test window's size.
#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Выбор файла с тестом"));
    window.resize(875, 509);
    window.show();
    return QApplication::exec();
}
