// SPDX-License-Identifier: MIT
// ekzamo-editor [FILE]: the teachers' editor of test files.
#include "editor/EditorWindow.h"
#include "engine/Ansi.h"
#include "engine/CommandLine.h"
#include "engine/Errors.h"
#include "ui/Appearance.h"
#include "ui/Application.h"
#include "ui/Messages.h"

#include <QApplication>
#include <iostream>
#include <string>

namespace {

constexpr const char* Help =
    "Использование: ekzamo-editor [ФАЙЛ]\n"
    "Редактор тестов Ekzamo: вопросы списком, у каждого текст и варианты ответа,\n"
    "правильный отмечен кружком. Файл пишется в Windows-1251 так, как его читает\n"
    "программа Ekzamo; предупреждения проверки видны по ходу правки.\n"
    "\n"
    "  ФАЙЛ         открыть этот тест\n"
    "  -h, --help   показать эту справку\n";
constexpr const char* UnknownOption = "ekzamo-editor: неизвестный ключ %s\nПодробнее: ekzamo-editor --help\n";
constexpr const char* TooManyFiles = "ekzamo-editor: можно открыть только один файл\n";

// The file named on a parsed command line, empty for none.
std::string FileArgument(const QCommandLineParser& parser)
{
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        throw EError(TooManyFiles);
    return files.isEmpty() ? std::string() : ArgumentBytes(files.constFirst());
}

} // namespace

int main(int argc, char* argv[])
{
    // Help and a mistake on the command line are told with no display. Qt's
    // own options (-platform, -style …) are known only to the application,
    // which takes them off the line as it starts: a line with an option
    // refused here is read again once the application exists.
    const QCommandLineOption help = HelpOption();
    QCommandLineParser parser;
    bool refused = false;
    try {
        ParseCommandLine(parser, {help}, CommandLineArguments(argc, argv), UnknownOption);
    } catch (const EError&) {
        refused = true;
    }
    if (parser.isSet(help)) {
        std::cout << Help;
        return 0;
    }
    std::string file;
    try {
        if (!refused)
            file = FileArgument(parser);
    } catch (const EError& error) {
        std::cerr << error.what();
        return 2;
    }

    return RunApplication(argc, argv, [&] {
        if (refused) {
            try {
                QCommandLineParser rest;
                ParseCommandLine(rest, {help}, CommandLineArguments(argc, argv), UnknownOption);
                file = FileArgument(rest);
            } catch (const EError& error) {
                std::cerr << error.what();
                return 2;
            }
        }
        QApplication::setOrganizationName(QStringLiteral("Ekzamo"));
        QApplication::setApplicationName(QStringLiteral("ekzamo-editor"));
        // The title of the window and of every message box.
        QApplication::setApplicationDisplayName(QStringLiteral("Ekzamo — редактор тестов"));
        QApplication::setDesktopFileName(QStringLiteral("io.github.ekzamo.Ekzamo.Editor"));
        UseDesktopFace();
        TEditorWindow window;
        if (!file.empty())
            Guard([&window, &file] { window.OpenFile(file); });
        window.show();
        return QApplication::exec();
    });
}
