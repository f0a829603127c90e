// SPDX-License-Identifier: MIT
// The entry point of the window tests: GoogleTest inside a QApplication.
#include <QApplication>
#include <gtest/gtest.h>

// The offscreen platform warns about every top-level window it cannot size.
static void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (!text.contains(QStringLiteral("propagateSizeHints")))
        qt_message_output(type, context, text);
}

int main(int argc, char** argv)
{
    // Offscreen unless told otherwise, so that listing the cases needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietOffscreen);
    QApplication app(argc, argv);
    // The windows decide when the program ends, as in the program itself.
    app.setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
