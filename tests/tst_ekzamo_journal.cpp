// SPDX-License-Identifier: MIT
// Runs the built ekzamo-journal as a teacher would, with no display: exit
// statuses, warnings, and the CSV files byte for byte.
#include "tests/TestUtil.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

// `sizeLimit`: the most bytes any file of the run may hold, as `ulimit -f`
// sets it; 0 for none.
Outcome Journal(const QStringList& args, const std::string& folder, rlim_t sizeLimit = 0)
{
    QProcess process;
    if (sizeLimit)
        process.setChildProcessModifier([sizeLimit] {
            const rlimit limit{sizeLimit, sizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    process.setWorkingDirectory(QString::fromStdString(folder));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(EKZAMO_JOURNAL), args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput().toStdString(),
        process.readAllStandardError().toStdString()};
}

std::string Block(const char* text, const char* a, const char* b, int given, int correct)
{
    return std::string(63, '=') + "\r\n" + Cp("Вопрос:\r\n") + Cp(text) + "\r\n" + Cp("Варианты ответов:\r\n1. ") + a
        + "\r\n2. " + b + "\r\n" + Cp("Ваш ответ: ") + std::to_string(given) + "\r\n" + Cp("Правильный ответ: ")
        + std::to_string(correct) + "\r\n";
}

const std::string Score1of2 = Cp("Вы ответили правильно на 1 вопрос(-а/-ов) из 2\r\n");

class JournalTool : public ::testing::Test {
protected:
    // Two students of алгебра, folder per test; each wording starts a
    // different way for the CSV's quoting.
    std::string MakeClass()
    {
        std::filesystem::create_directories(tmp.Path("алгебра"));
        tmp.Write("алгебра/Иванов.out", Score1of2 + Block("Сколько, \"ровно\"?", "1", "2", 2, 2) + Block("=1+1", "2", "11", 0, 1));
        tmp.Write("алгебра/Петров.out", Score1of2 + Block("=1+1", "11", "2", 2, 2) + Block("Сколько, \"ровно\"?", "2", "1", 2, 1));
        return tmp.Path("алгебра");
    }

    TempFolder tmp;
};

TEST_F(JournalTool, CsvFilesExactly)
{
    const std::string folder = MakeClass();
    const Outcome run = Journal({QString::fromStdString(folder), "--csv", "csv"}, tmp.Path(""));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, "journal.html: записано\ncsv: записано\n");
    EXPECT_EQ(ReadBytes(tmp.Path("csv/students.csv")),
        "test,student,right,questions,percent,grade,file\r\n"
        "алгебра,Иванов,1,2,50.00,3," + folder + "/Иванов.out\r\n"
        "алгебра,Петров,1,2,50.00,3," + folder + "/Петров.out\r\n");
    EXPECT_EQ(ReadBytes(tmp.Path("csv/questions.csv")),
        "test,question,attempts,facility,sd,discrimination,efficiency,flags,number\r\n"
        "алгебра,\"Сколько, \"\"ровно\"\"?\",2,50.00,70.71,-100.00,-100.00,negative_discrimination dubious,\r\n"
        "алгебра,'=1+1,2,50.00,70.71,-100.00,-100.00,negative_discrimination dubious,\r\n");
    EXPECT_EQ(ReadBytes(tmp.Path("csv/options.csv")),
        "test,question,option,right,chosen\r\n"
        "алгебра,\"Сколько, \"\"ровно\"\"?\",1,0,1\r\n"
        "алгебра,\"Сколько, \"\"ровно\"\"?\",2,1,1\r\n"
        "алгебра,\"Сколько, \"\"ровно\"\"?\",,,0\r\n"
        "алгебра,'=1+1,2,1,1\r\n"
        "алгебра,'=1+1,11,0,0\r\n"
        "алгебра,'=1+1,,,1\r\n");
    EXPECT_EQ(ReadBytes(tmp.Path("csv/tests.csv")),
        "test,attempts,mean,median,sd,skewness,kurtosis,alpha,error_ratio,standard_error\r\n"
        "алгебра,2,50.00,50.00,0.00,,,,,\r\n");
    EXPECT_TRUE(std::filesystem::is_regular_file(tmp.Path("journal.html")));
}

// A student's name comes from a file name, which may hold anything but '/'.
// The spreadsheet is written beside the report and the CSV; each output is
// still announced once written, in the order of the help text.
TEST_F(JournalTool, EveryOutputWrittenAndAnnouncedInOrder)
{
    const std::string folder = MakeClass();
    const Outcome run = Journal({QString::fromStdString(folder), "--xlsx", "j.xlsx", "--csv", "csv"}, tmp.Path(""));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "journal.html: записано\nj.xlsx: записано\ncsv: записано\n");
    EXPECT_EQ(ReadBytes(tmp.Path("j.xlsx")).substr(0, 2), "PK");
    EXPECT_NE(ReadBytes(tmp.Path("journal.html")).find("Иванов"), std::string::npos);
    EXPECT_NE(ReadBytes(tmp.Path("csv/tests.csv")).find("алгебра"), std::string::npos);
}

TEST_F(JournalTool, NamesWithCommasQuotesAndLineBreaksAreQuoted)
{
    std::filesystem::create_directories(tmp.Path("t"));
    tmp.Write("t/Смит, \"Джон\"\nмл.out", Score1of2 + Block("A", "1", "2", 1, 1) + Block("B", "1", "2", 1, 2));
    const Outcome run = Journal({"t", "--csv", "csv"}, tmp.Path(""));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(tmp.Path("csv/students.csv")),
        "test,student,right,questions,percent,grade,file\r\n"
        "t,\"Смит, \"\"Джон\"\"\nмл\",1,2,50.00,3,\"t/Смит, \"\"Джон\"\"\nмл.out\"\r\n");
    const std::string html = ReadBytes(tmp.Path("journal.html"));
    EXPECT_NE(html.find("Смит, &quot;Джон&quot;␊мл"), std::string::npos) << "a line break is shown, not obeyed";
}

TEST_F(JournalTool, LeftOutFilesWarnAndExitOne)
{
    const std::string folder = MakeClass();
    const std::string edited = tmp.Write("алгебра/Сидоров.out",
        Cp("Вы ответили правильно на 2 вопрос(-а/-ов) из 2\r\n") + Block("=1+1", "11", "2", 2, 2)
            + Block("Сколько, \"ровно\"?", "2", "1", 2, 1));
    const Outcome run = Journal({QString::fromStdString(folder)}, tmp.Path(""));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, edited + ":1: в строке результата правильных ответов 2, а по ответам в файле — 1: "
                                "строку результата изменили\n");
}

struct BadRun {
    const char* rule;
    QStringList args;
    const char* err; // the start of what is printed
};

void PrintTo(const BadRun& c, std::ostream* os) { *os << c.rule; }

class JournalRefuses : public JournalTool, public ::testing::WithParamInterface<BadRun> {};

TEST_P(JournalRefuses, ExitTwo)
{
    MakeClass();
    std::filesystem::create_directories(tmp.Path("empty"));
    const Outcome run = Journal(GetParam().args, tmp.Path(""));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.substr(0, std::strlen(GetParam().err)), GetParam().err) << run.err;
    EXPECT_EQ(run.out, "");
}

INSTANTIATE_TEST_SUITE_P(Arguments, JournalRefuses, ::testing::Values(
    BadRun{"NoPathWithoutDisplay", {}, "ekzamo-journal: не указана папка или файл результатов\n"},
    BadRun{"UnknownOption", {"--pdf", "x", "алгебра"}, "ekzamo-journal: неизвестный ключ --pdf\n"},
    BadRun{"OptionWithoutValue", {"алгебра", "--xlsx"}, "ekzamo-journal: после --xlsx нужно значение\n"},
    BadRun{"BadScale", {"--scale", "5:50,4:70", "алгебра"}, "ekzamo-journal: неверная шкала «5:50,4:70»"},
    BadRun{"ScaleNotANumber", {"--scale", "5:nan", "алгебра"}, "ekzamo-journal: неверная шкала «5:nan»"},
    BadRun{"NothingFound", {"empty"}, "ekzamo-journal: файлов результатов (*.out) не найдено\n"},
    BadRun{"NoSuchFolder", {"nowhere"}, "nowhere: нет такого файла или папки\n"},
    BadRun{"UnwritableReport", {"--html", "no/such/folder/j.html", "алгебра"},
        "ekzamo-journal: не удалось записать no/such/folder/j.html: папки «no/such/folder» нет\n"},
    BadRun{"UnwritableSpreadsheet", {"--xlsx", "no/such/folder/j.xlsx", "алгебра"},
        "ekzamo-journal: не удалось записать no/such/folder/j.xlsx: папки «no/such/folder» нет\n"},
    BadRun{"CsvFolderIsAFile", {"--csv", "алгебра/Иванов.out", "алгебра"},
        "ekzamo-journal: не удалось записать алгебра/Иванов.out: это не папка\n"},
    BadRun{"UnknownAttempt", {"--attempt", "worst", "алгебра"}, "ekzamo-journal: --attempt worst: ожидается first, last или best\n"},
    BadRun{"ExportWithoutTest", {"--export-grades", "g.csv", "алгебра"}, "ekzamo-journal: для --export-grades нужен --test ТЕСТ\n"},
    BadRun{"MissingKey", {"--key", "nokey.txt", "алгебра"}, "ekzamo-journal: ключ nokey.txt: нет такого файла или папки\n"},
    BadRun{"KeyIsAFolder", {"--key", "алгебра", "алгебра"}, "ekzamo-journal: ключ алгебра: это папка\n"},
    BadRun{"KeyWithoutQuestions", {"--key", "алгебра/Иванов.out", "алгебра"},
        "ekzamo-journal: ключ алгебра/Иванов.out: в файле нет ни одного вопроса, который прочла бы программа\n"},
    BadRun{"DatabaseInNoFolder", {"--db", "no/such/j.sqlite", "алгебра"}, "ekzamo-journal: база журнала «no/such/j.sqlite» не открыта: папки «"},
    BadRun{"NothingStored", {"--db", "j.sqlite", "--class", "9Я"}, "ekzamo-journal: в базе нет результатов класса «9Я»\n"}));

// Collected alone, the class's files go into the database and no report is
// written; the report is then made from the database, the files gone.
TEST_F(JournalTool, CollectedOnceThenReportedFromTheDatabaseAlone)
{
    MakeClass();
    const Outcome collect = Journal({"--db", "j.sqlite", "--collect-only", "алгебра"}, tmp.Path(""));
    ASSERT_EQ(collect.status, 0) << collect.err;
    EXPECT_EQ(collect.out, "собрано в базу: 2 из 2\n");
    EXPECT_FALSE(std::filesystem::exists(tmp.Path("journal.html")));
    std::filesystem::rename(tmp.Path("алгебра"), tmp.Path("gone"));
    const Outcome report = Journal({"--db", "j.sqlite", "--class", "алгебра", "--csv", "csv"}, tmp.Path(""));
    ASSERT_EQ(report.status, 0) << report.err;
    EXPECT_EQ(ReadBytes(tmp.Path("csv/summary.csv")), "class,student,алгебра,average\r\nалгебра,Иванов,3,3.00\r\nалгебра,Петров,3,3.00\r\n");
}

// What is read is never written, by whatever name or link it is reached,
// and a name that is a link or a pipe is not written through.
class JournalKeepsFiles : public JournalTool, public ::testing::WithParamInterface<BadRun> {};

TEST_P(JournalKeepsFiles, RefusedBeforeAnythingIsWritten)
{
    MakeClass();
    const std::string input = tmp.Path("алгебра/Иванов.out");
    const std::string results = ReadBytes(input);
    const std::string notes = tmp.Write("notes.txt", "записи учителя");
    ASSERT_EQ(::symlink(input.c_str(), tmp.Path("to-input.html").c_str()), 0);
    ASSERT_EQ(::symlink(notes.c_str(), tmp.Path("to-notes.html").c_str()), 0);
    ASSERT_EQ(::link(input.c_str(), tmp.Path("hard.html").c_str()), 0);
    ASSERT_EQ(::mkfifo(tmp.Path("pipe.html").c_str(), 0644), 0);
    std::filesystem::create_directories(tmp.Path("csv"));
    ASSERT_EQ(::symlink(notes.c_str(), tmp.Path("csv/tests.csv").c_str()), 0);
    const Outcome run = Journal(GetParam().args, tmp.Path(""));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, GetParam().err);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ReadBytes(input), results);
    EXPECT_EQ(ReadBytes(notes), "записи учителя");
    EXPECT_FALSE(std::filesystem::exists(tmp.Path("journal.html"))) << "no output is written when one is refused";
}

INSTANTIATE_TEST_SUITE_P(Outputs, JournalKeepsFiles, ::testing::Values(
    BadRun{"InputByItsName", {"--html", "алгебра/Иванов.out", "алгебра"},
        "ekzamo-journal: не удалось записать алгебра/Иванов.out: это один из файлов результатов, из которых собран журнал\n"},
    BadRun{"InputByAnotherRoute", {"--xlsx", "./алгебра/../алгебра/Иванов.out", "алгебра"},
        "ekzamo-journal: не удалось записать ./алгебра/../алгебра/Иванов.out: это один из файлов результатов, из которых "
        "собран журнал\n"},
    BadRun{"InputByAHardLink", {"--xlsx", "hard.html", "алгебра"},
        "ekzamo-journal: не удалось записать hard.html: это один из файлов результатов, из которых собран журнал\n"},
    BadRun{"LinkToAnInput", {"--html", "to-input.html", "алгебра"},
        "ekzamo-journal: не удалось записать to-input.html: это символическая ссылка, а по ссылкам журнал не пишет\n"},
    BadRun{"LinkToTheTeachersNotes", {"--xlsx", "to-notes.html", "алгебра"},
        "ekzamo-journal: не удалось записать to-notes.html: это символическая ссылка, а по ссылкам журнал не пишет\n"},
    BadRun{"LinkAmongTheCsvFiles", {"--csv", "csv", "алгебра"},
        "ekzamo-journal: не удалось записать csv/tests.csv: это символическая ссылка, а по ссылкам журнал не пишет\n"},
    BadRun{"Pipe", {"--html", "pipe.html", "алгебра"},
        "ekzamo-journal: не удалось записать pipe.html: это не обычный файл (канал, устройство или сокет)\n"},
    BadRun{"TwoOutputsInOneFile", {"--html", "r.html", "--xlsx", "./r.html", "алгебра"},
        "ekzamo-journal: не удалось записать ./r.html: в этот же файл уже пишется другой отчёт\n"}));

// Every output goes to a temporary file first: when one cannot be written
// (here past a file-size limit), none of the earlier ones is replaced and no
// temporary file is left.
TEST_F(JournalTool, LateFailureLeavesEveryOutputAsItWas)
{
    const std::string folder = MakeClass();
    const QStringList args = {"--xlsx", "j.xlsx", "--csv", "csv", QString::fromStdString(folder)};
    ASSERT_EQ(Journal(args, tmp.Path("")).status, 0);
    std::map<std::string, std::string> before;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tmp.Path("")))
        if (entry.is_regular_file() && entry.path().extension() != ".out")
            before[entry.path()] = ReadBytes(entry.path());
    ASSERT_GT(before.at(tmp.Path("journal.html")).size(), 8u * 1024) << "the report must outgrow the limit";
    ASSERT_LT(before.at(tmp.Path("csv/options.csv")).size(), 4u * 1024) << "the CSV must fit in it";
    tmp.Write("алгебра/Сидоров.out", Score1of2 + Block("=1+1", "2", "11", 1, 1) + Block("Сколько, \"ровно\"?", "1", "2", 0, 1));

    const Outcome run = Journal(args, tmp.Path(""), 8 * 1024);
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(": файл больше, чем разрешено\n"), std::string::npos) << run.err;
    std::map<std::string, std::string> after;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(tmp.Path("")))
        if (entry.is_regular_file() && entry.path().extension() != ".out")
            after[entry.path()] = ReadBytes(entry.path());
    EXPECT_EQ(after, before);
}

// A test's name becomes a sheet's: whatever it holds, the workbook is made.
TEST_F(JournalTool, AnyTestNameGivesAWorkbook)
{
    for (const char* name : {"Тест 'Дроби'", "'в кавычках'", "[a]:b*c?d\\e", "Длинное название теста 😀 и ещё",
             "Длинное название теста 😀 и ещё другое", "ДРОБИ", "дроби"}) {
        for (const std::string student : {"Иванов", "Петров"}) {
            std::filesystem::create_directories(tmp.Path(student));
            tmp.Write(student + "/" + name + ".out", Score1of2 + Block("A", "1", "2", 1, 1) + Block("B", "1", "2", 1, 2));
        }
    }
    const Outcome run = Journal({"--xlsx", "j.xlsx", "."}, tmp.Path(""));
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_GT(std::filesystem::file_size(tmp.Path("j.xlsx")), 0u);
}

// Every text the CSV holds that a spreadsheet would run as a formula starts
// with "'"; numbers, the negative ones too, stay numbers.
TEST_F(JournalTool, CsvTextsThatWouldBeFormulasAreDefused)
{
    std::filesystem::create_directories(tmp.Path("-тест"));
    std::string blocks;
    const std::vector<std::string> wordings = {"=A1", "+A1", "-A1", "@A1", "\tA1", "\rA1", "A=1"};
    for (const std::string& w : wordings)
        blocks += Block(w.c_str(), "@1", "2", 1, 1);
    tmp.Write("-тест/=Иванов.out", Cp("Вы ответили правильно на 7 вопрос(-а/-ов) из 7\r\n") + blocks);
    const Outcome run = Journal({"--csv", "csv", "--", "-тест"}, tmp.Path(""));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadBytes(tmp.Path("csv/students.csv")),
        "test,student,right,questions,percent,grade,file\r\n'-тест,'=Иванов,7,7,100.00,5,'-тест/=Иванов.out\r\n");
    EXPECT_EQ(ReadBytes(tmp.Path("csv/questions.csv")),
        "test,question,attempts,facility,sd,discrimination,efficiency,flags,number\r\n"
        "'-тест,'=A1,1,100.00,,,,easy,\r\n'-тест,'+A1,1,100.00,,,,easy,\r\n'-тест,'-A1,1,100.00,,,,easy,\r\n"
        "'-тест,'@A1,1,100.00,,,,easy,\r\n'-тест,'\tA1,1,100.00,,,,easy,\r\n'-тест,\"'\rA1\",1,100.00,,,,easy,\r\n"
        "'-тест,A=1,1,100.00,,,,easy,\r\n");
}

// A file whose name holds a line break is named on one line.
TEST_F(JournalTool, WarningStaysOnOneLine)
{
    MakeClass();
    tmp.Write("алгебра/Сидоров\nмл.out", "not results\r\n");
    const Outcome run = Journal({"алгебра"}, tmp.Path(""));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.substr(0, run.err.find(':')), "алгебра/Сидоров\\nмл.out");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
}

TEST_F(JournalTool, HelpExplainsTheLayouts)
{
    const Outcome run = Journal({"--help"}, tmp.Path(""));
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("9А/Иванов/algebra.out"), std::string::npos);
    EXPECT_NE(run.out.find("algebra/Иванов.out"), std::string::npos);
    EXPECT_NE(run.out.find("больше 16 МиБ"), std::string::npos);
}

} // namespace
