// SPDX-License-Identifier: MIT
// ekzamo-check FILE...: the teacher's check of test files before a test.
// Output is UTF-8 for the terminal: the tool's own texts are UTF-8, text
// quoted from a test is converted from Windows-1251, and file names are
// printed as the native paths they were given as.
#include "engine/Check.h"
#include "engine/CommandLine.h"
#include "engine/Errors.h"
#include "engine/Files.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

namespace {
// The command's own texts, UTF-8 for the terminal.
constexpr const char* NoFile = "ekzamo-check: не указан файл теста\nПодробнее: ekzamo-check --help\n";
constexpr const char* UnknownOption = "ekzamo-check: неизвестный ключ %s\nПодробнее: ekzamo-check --help\n";
constexpr const char* Help =
    "Использование: ekzamo-check ФАЙЛ...\n"
    "Читает файлы тестов Ekzamo так же, как их читает программа, и сообщает о том,\n"
    "что иначе обнаружится только посреди теста: варианты ответа сверх пяти, номер\n"
    "правильного ответа, не указывающий ни на один вариант, вопросы без текста или\n"
    "с одним вариантом, пустые строки между вопросами и в конце файла, число, на\n"
    "котором загрузка прервётся, больше 255 вопросов, символ Ctrl-Z, файл в\n"
    "кодировке UTF-8 вместо Windows-1251, смешанные концы строк, управляющие\n"
    "символы, с которыми файл — уже не текст.\n"
    "\n"
    "Для каждого файла печатается строка с числом вопросов, затем по строке на\n"
    "каждое предупреждение: «ФАЙЛ:СТРОКА: текст».\n"
    "\n"
    "Код выхода: 0 — предупреждений нет, 1 — есть предупреждения,\n"
    "2 — файл не удалось прочитать. Файлы больше %d МиБ не читаются: таких\n"
    "тестов не бывает.\n"
    "\n"
    "  -h, --help   показать эту справку\n";
} // namespace

int main(int argc, char* argv[])
{
    const QCommandLineOption help = HelpOption();
    QCommandLineParser parser;
    try {
        ParseCommandLine(parser, {help}, CommandLineArguments(argc, argv), UnknownOption);
    } catch (const std::exception& error) {
        std::cerr << error.what();
        return 2;
    }
    if (parser.isSet(help)) {
        std::cout << Format(Help, std::to_string(MaxFileSize >> 20));
        return 0;
    }
    std::vector<std::string> files;
    for (const QString& file : parser.positionalArguments())
        files.push_back(ArgumentBytes(file));
    if (files.empty()) {
        std::cerr << NoFile;
        return 2;
    }

    int status = 0;
    for (const std::string& name : files) {
        try {
            const TCheckReport report = CheckTest(name);
            std::cout << SummaryLine(name, report) << '\n';
            for (const TCheckWarning& warning : report.Warnings)
                std::cout << WarningLine(name, warning) << '\n';
            if (!report.Warnings.empty() && status == 0)
                status = 1;
        } catch (const std::exception& error) {
            std::cerr << name << ": " << AsShown(error.what()) << '\n';
            status = 2;
        }
    }
    std::cout.flush();
    return std::cout ? status : 2;
}
