// SPDX-License-Identifier: MIT
#pragma once

#include "journal/Journal.h"

#include <optional>
#include <string>
#include <vector>

namespace JournalMsg {
inline constexpr const char* Help =
    "Использование: ekzamo-journal [КЛЮЧИ] ПУТЬ...\n"
    "       ekzamo-journal --class КЛАСС [КЛЮЧИ]   (отчёт по уже собранному в базе)\n"
    "Собирает файлы результатов Ekzamo (*.out) в журнал класса: сводная ведомость (оценка\n"
    "каждого ученика по каждому тесту, «н» — не писал, средний балл, успеваемость и\n"
    "качество), разбор вопросов (лёгкость, различающая способность, выбранные варианты,\n"
    "замечания), показатели теста, как в статистике тестов Moodle, и лист каждого ученика.\n"
    "\n"
    "ПУТЬ — файл результатов или папка, в которой файлы *.out (в любом регистре) ищутся\n"
    "во всех вложенных папках. Файлы раскладывают одним из двух способов:\n"
    "  папка на ученика, файл назван по тесту:    9А/Иванов/algebra.out\n"
    "  папка на тест, файл назван по ученику:     algebra/Иванов.out\n"
    "Способ определяется по списку класса, по файлу теста рядом с результатами (программа\n"
    "пишет их рядом с тестом), а без них — по именам: имя файла, которое встречается\n"
    "в нескольких папках, — имя теста. Копия «algebra (2).out» и файл во вложенной папке ученика\n"
    "читаются как ещё одна попытка того же ученика в том же тесте и упоминаются\n"
    "в предупреждении. Испорченный файл или файл больше %d МиБ в журнал не входит\n"
    "и упоминается в предупреждении «ФАЙЛ:СТРОКА: текст».\n"
    "\n"
    "Вопросы нумеруются по ключу — файлу теста учителя, а без него — в том порядке,\n"
    "в каком их чаще показывали. Вопросы каждого файла сверяются с ключом по тексту,\n"
    "варианты — по тексту; оценка ставится по ключу. Отметки у попыток:\n"
    "  не совпадает с ключом      правильные ответы в файле не те, что в ключе\n"
    "                             (без ключа — не те, что в остальных файлах)\n"
    "  другая версия теста        вопросов нет в ключе: оценка по остальным\n"
    "  не закончен                на часть вопросов нет ответа\n"
    "  только итог                в файле лишь строка результата, ответов нет\n"
    "  файл изменён после сбора   файл уже собран в базу, а потом изменился\n"
    "\n"
    "  --html ФАЙЛ       отчёт для просмотра и печати (по умолчанию journal.html)\n"
    "  --xlsx ФАЙЛ       таблица: сводная, ученики, вопросы, варианты, ответы\n"
    "  --csv ПАПКА       summary.csv, attempts.csv, students.csv, questions.csv,\n"
    "                    options.csv, tests.csv для программ\n"
    "  --scale ШКАЛА     оценки: процент, с которого начинается каждая, по убыванию;\n"
    "                    ниже последнего — 2 (или оценка, данная в конце без процента);\n"
    "                    по умолчанию 5:85,4:70,3:50\n"
    "  --key ТЕСТ.txt    файл теста, по которому проверять результаты теста с тем же\n"
    "                    именем (можно несколько раз); без него ключом служит файл\n"
    "                    теста, найденный в папке класса, если все его копии одинаковы\n"
    "  --attempt КАКАЯ   какая попытка идёт в оценку и разбор вопросов: first (первая,\n"
    "                    по умолчанию), last (последняя) или best (лучшая)\n"
    "  --teacher ИМЯ     имя учителя в заголовке отчёта\n"
    "  --export-grades ФАЙЛ --test ТЕСТ\n"
    "                    «ФИО;оценка» по одному тесту для электронного журнала школы\n"
    "                    (Windows-1251, строки CR LF)\n"
    "  -h, --help        показать эту справку\n"
    "\n"
    "База журнала хранит каждую собранную попытку: класс, ученика, тест, путь, время\n"
    "файла и сбора, SHA-256 и содержимое. Файл, собранный без изменений, второй раз\n"
    "не сохраняется; изменившийся сохраняется как новая попытка, и первая не теряется.\n"
    "  --class КЛАСС     класс (по умолчанию — имя данной папки); включает базу\n"
    "  --class-list ФАЙЛ список класса: по ученику в строке, UTF-8 или Windows-1251;\n"
    "                    хранится в базе до замены; включает базу\n"
    "  --db БАЗА         файл SQLite или сервер PostgreSQL: postgresql://user@host/dbname\n"
    "                    (пароль — из ~/.pgpass или PGPASSWORD, журнал его не хранит);\n"
    "                    по умолчанию ~/.local/share/Ekzamo/ekzamo-journal/journal.sqlite\n"
    "  --collect-only    только собрать файлы в базу, отчётов не писать\n"
    "Без --db, --class и --class-list журнал собирается из одних файлов, в базу ничего\n"
    "не пишется.\n"
    "\n"
    "Отчёт не пишется по символической ссылке, в канал или устройство и поверх\n"
    "читаемых файлов результатов; каждый файл сначала пишется во временный и заменяет\n"
    "прежний, только когда записаны все: при ошибке прежние отчёты остаются как были.\n"
    "\n"
    "Без ПУТИ, в графическом сеансе (так его запускает пункт меню), спрашивает папку,\n"
    "пишет отчёт в свою папку данных (~/.local/share/Ekzamo/ekzamo-journal/ПАПКА.html),\n"
    "а не в папку класса, куда могут писать ученики, и открывает его в браузере.\n"
    "\n"
    "Код выхода: 0 — все файлы прочитаны без замечаний, 1 — есть предупреждения (часть\n"
    "файлов не вошла в журнал или требует внимания), 2 — годных файлов нет, ключи неверны\n"
    "или база недоступна.\n";
inline constexpr const char* NoPath = "ekzamo-journal: не указана папка или файл результатов\nПодробнее: ekzamo-journal --help\n";
inline constexpr const char* UnknownOption = "ekzamo-journal: неизвестный ключ %s\nПодробнее: ekzamo-journal --help\n";
inline constexpr const char* NoValue = "ekzamo-journal: после %s нужно значение\nПодробнее: ekzamo-journal --help\n";
inline constexpr const char* Written = "%s: записано\n";
inline constexpr const char* DefaultHtml = "journal.html";
inline constexpr const char* BadAttempt = "ekzamo-journal: --attempt %s: ожидается first, last или best\nПодробнее: ekzamo-journal --help\n";
inline constexpr const char* ExportNeedsTest = "ekzamo-journal: для --export-grades нужен --test ТЕСТ\nПодробнее: ekzamo-journal --help\n";
inline constexpr const char* NoClass = "ekzamo-journal: не указан класс: --class КЛАСС или папка класса\nПодробнее: ekzamo-journal --help\n";
inline constexpr const char* NothingStored = "ekzamo-journal: в базе нет результатов класса «%s»\n";
inline constexpr const char* KeyProblem = "ключ %s: %s";
inline constexpr const char* Collected = "собрано в базу: %s из %s\n";
inline constexpr const char* KeyEmpty = "в файле нет ни одного вопроса, который прочла бы программа";
inline constexpr const char* KeyUnused = "ключ ни к чему не подошёл: результатов теста «%s» нет";
inline constexpr const char* KeyStops = "ключ прочитан не весь: %s";
inline constexpr const char* NoReportFolder = "не удалось создать папку для отчётов %s";
}

struct TJournalArgs {
    std::vector<std::string> Paths;
    std::string Html = JournalMsg::DefaultHtml;
    std::optional<std::string> Xlsx;
    std::optional<std::string> Csv;
    std::string Scale = DefaultScale;
    std::vector<std::string> Keys;
    TAttemptChoice Choice = TAttemptChoice::First;
    QString Teacher;
    QString Class;
    std::optional<std::string> ClassList;
    std::optional<std::string> Db;
    std::optional<std::string> ExportGrades;
    QString ExportTest;
    bool CollectOnly = false;
    bool Help = false;

    // The journal keeps its database when asked for a class or a database.
    bool Stored() const { return Db || ClassList || !Class.isEmpty(); }
};

// Raises EError with the message to print (exit status 2).
TJournalArgs ParseArgs(int argc, char* argv[]);

// Writes every output asked for; raises EError when one cannot be written.
void WriteOutputs(const TJournal& journal, const TScale& scale, const TJournalArgs& args, bool announce);

// 0: every file read, nothing to remark; 1: warnings; 2: nothing usable.
int ExitStatus(const TJournal& journal);

// Collects the files into the database and reads nothing back; the warnings
// are returned. Raises EError as JournalFor does.
std::vector<TWarning> CollectOnly(const TJournalArgs& args);

// The journal the arguments ask for: from the files alone, or collected into
// the database and read back from it. Raises EError (exit status 2) when the
// database, a key or the class list cannot be used.
TJournal JournalFor(const TJournalArgs& args, const TScale& scale);

// The desktop entry's way in: asks for the folder, writes its report to the
// teacher's data folder and opens it. Needs a display.
int RunDialog(int argc, char* argv[]);
