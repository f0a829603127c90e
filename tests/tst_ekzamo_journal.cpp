// SPDX-License-Identifier: MIT
// Runs the built ekzamo-journal as a teacher would, with no display: exit
// statuses, warnings, and the CSV files byte for byte.
#include "tests/TestUtil.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

Outcome Journal(const QStringList& args, const std::string& folder)
{
    QProcess process;
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
        "test,question,attempts,facility,sd,discrimination,efficiency,flags\r\n"
        "алгебра,\"Сколько, \"\"ровно\"\"?\",2,50.00,70.71,-100.00,-100.00,negative_discrimination dubious\r\n"
        "алгебра,=1+1,2,50.00,70.71,-100.00,-100.00,negative_discrimination dubious\r\n");
    EXPECT_EQ(ReadBytes(tmp.Path("csv/options.csv")),
        "test,question,option,right,chosen\r\n"
        "алгебра,\"Сколько, \"\"ровно\"\"?\",1,0,1\r\n"
        "алгебра,\"Сколько, \"\"ровно\"\"?\",2,1,1\r\n"
        "алгебра,\"Сколько, \"\"ровно\"\"?\",,,0\r\n"
        "алгебра,=1+1,2,1,1\r\n"
        "алгебра,=1+1,11,0,0\r\n"
        "алгебра,=1+1,,,1\r\n");
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
    BadRun{"NothingFound", {"empty"}, "ekzamo-journal: файлов результатов (*.out) не найдено\n"},
    BadRun{"NoSuchFolder", {"nowhere"}, "nowhere: нет такого файла или папки\n"},
    BadRun{"UnwritableReport", {"--html", "no/such/folder/j.html", "алгебра"},
        "ekzamo-journal: не удалось записать no/such/folder/j.html: нет такой папки\n"},
    BadRun{"UnwritableSpreadsheet", {"--xlsx", "no/such/folder/j.xlsx", "алгебра"},
        "ekzamo-journal: не удалось записать no/such/folder/j.xlsx: нет такой папки\n"},
    BadRun{"CsvFolderIsAFile", {"--csv", "алгебра/Иванов.out", "алгебра"},
        "ekzamo-journal: не удалось записать алгебра/Иванов.out: это не папка\n"}));

TEST_F(JournalTool, HelpExplainsTheLayouts)
{
    const Outcome run = Journal({"--help"}, tmp.Path(""));
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("9А/Иванов/algebra.out"), std::string::npos);
    EXPECT_NE(run.out.find("algebra/Иванов.out"), std::string::npos);
}

} // namespace
