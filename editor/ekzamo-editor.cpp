// SPDX-License-Identifier: MIT
// ekzamo-editor [FILE]: the teachers' editor of test files.
#include "editor/EditorWindow.h"
#include "engine/Ansi.h"
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

} // namespace

int main(int argc, char* argv[])
{
    std::string file;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && (arg == "-h" || arg == "--help")) {
            std::cout << Help;
            return 0;
        } else if (options && arg.size() > 1 && arg[0] == '-') {
            std::cerr << Format(UnknownOption, arg);
            return 2;
        } else if (!file.empty()) {
            std::cerr << TooManyFiles;
            return 2;
        } else {
            file = arg;
        }
    }

    return RunApplication(argc, argv, [&file] {
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
