// SPDX-License-Identifier: MIT
#pragma once

#include "journal/Journal.h"

#include <optional>
#include <string>
#include <vector>

namespace JournalMsg {
inline constexpr const char* Help =
    "Использование: ekzamo-journal [КЛЮЧИ] ПУТЬ...\n"
    "Собирает файлы результатов Ekzamo (*.out) в журнал класса: оценка каждого ученика,\n"
    "разбор вопросов (лёгкость, различающая способность, выбранные варианты, замечания)\n"
    "и показатели теста, как в статистике тестов Moodle.\n"
    "\n"
    "ПУТЬ — файл результатов или папка, в которой файлы *.out ищутся во всех вложенных\n"
    "папках. Файлы раскладывают одним из двух способов:\n"
    "  папка на ученика, файл назван по тесту:    9А/Иванов/algebra.out\n"
    "  папка на тест, файл назван по ученику:     algebra/Иванов.out\n"
    "Способ определяется по именам: файл, имя которого встречается в нескольких папках,\n"
    "считается результатом теста (имя файла) ученика (имя папки); остальные — результатом\n"
    "ученика (имя файла) по тесту (имя папки). В отчёте у каждого результата указан его файл.\n"
    "Файлы одного теста должны иметь одинаковые вопросы; файл с другими вопросами, файл\n"
    "с изменённой строкой результата, испорченный файл или файл больше %d МиБ в журнал\n"
    "не входит и упоминается в предупреждении «ФАЙЛ:СТРОКА: текст».\n"
    "\n"
    "  --html ФАЙЛ     отчёт для просмотра и печати (по умолчанию journal.html)\n"
    "  --xlsx ФАЙЛ     таблица: ученики, вопросы, варианты, ответы каждого ученика\n"
    "  --csv ПАПКА     students.csv, questions.csv, options.csv, tests.csv для программ\n"
    "  --scale ШКАЛА   оценки: процент, с которого начинается каждая, по убыванию;\n"
    "                  ниже последнего — 2 (или оценка, данная в конце без процента);\n"
    "                  по умолчанию 5:85,4:70,3:50\n"
    "  -h, --help      показать эту справку\n"
    "\n"
    "Отчёт не пишется по символической ссылке, в канал или устройство и поверх\n"
    "читаемых файлов результатов; каждый файл сначала пишется во временный и заменяет\n"
    "прежний, только когда записаны все: при ошибке прежние отчёты остаются как были.\n"
    "\n"
    "Без ПУТИ, в графическом сеансе (так его запускает пункт меню), спрашивает папку,\n"
    "пишет отчёт в свою папку данных (~/.local/share/Ekzamo/ekzamo-journal/ПАПКА.html),\n"
    "а не в папку класса, куда могут писать ученики, и открывает его в браузере.\n"
    "\n"
    "Код выхода: 0 — все файлы прочитаны, 1 — некоторые не вошли в журнал,\n"
    "2 — годных файлов нет или ключи неверны.\n";
inline constexpr const char* NoPath = "ekzamo-journal: не указана папка или файл результатов\nПодробнее: ekzamo-journal --help\n";
inline constexpr const char* UnknownOption = "ekzamo-journal: неизвестный ключ %s\nПодробнее: ekzamo-journal --help\n";
inline constexpr const char* NoValue = "ekzamo-journal: после %s нужно значение\nПодробнее: ekzamo-journal --help\n";
inline constexpr const char* Written = "%s: записано\n";
inline constexpr const char* DefaultHtml = "journal.html";
inline constexpr const char* NoReportFolder = "не удалось создать папку для отчётов %s";
}

struct TJournalArgs {
    std::vector<std::string> Paths;
    std::string Html = JournalMsg::DefaultHtml;
    std::optional<std::string> Xlsx;
    std::optional<std::string> Csv;
    std::string Scale = DefaultScale;
    bool Help = false;
};

// Raises EError with the message to print (exit status 2).
TJournalArgs ParseArgs(int argc, char* argv[]);

// Writes every output asked for; raises EError when one cannot be written.
void WriteOutputs(const TJournal& journal, const TScale& scale, const TJournalArgs& args, bool announce);

// 0: every file read; 1: some left out; 2: nothing usable.
int ExitStatus(const TJournal& journal);

// The desktop entry's way in: asks for the folder, writes its report to the
// teacher's data folder and opens it. Needs a display.
int RunDialog(int argc, char* argv[]);
