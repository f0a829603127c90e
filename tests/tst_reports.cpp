// SPDX-License-Identifier: MIT
// The journal's writers on a class made by hand: three students, two
// tests, one absence, a retake and flagged attempts. The CSV and the export
// byte for byte, the spreadsheet read back by openpyxl, the report's order
// and escaping.
#include "engine/Errors.h"
#include "journal/Reports.h"
#include "tests/TestUtil.h"

#include <QFile>
#include <QProcess>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

QDateTime At(int day, int hour, int minute = 0)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute), QTimeZone(3 * 3600));
}

TAttemptResult Attempt(const char* path, unsigned right, unsigned questions, const char* grade, QDateTime written,
    std::ptrdiff_t row)
{
    TAttemptResult a;
    a.Path = path;
    a.Written = written;
    a.Collected = written.addSecs(1800);
    a.Right = right;
    a.Answered = questions;
    a.Questions = questions;
    a.Percent = 100.0 * right / questions;
    a.Grade = QString::fromLatin1(grade);
    a.Row = row;
    return a;
}

TStudentResult Student(const char* name, std::vector<TAttemptResult> attempts, std::size_t counted = 0)
{
    TStudentResult s;
    s.Name = QString::fromUtf8(name);
    s.Attempts = std::move(attempts);
    s.Counted = counted;
    const TAttemptResult& a = s.CountedAttempt();
    s.Path = a.Path;
    s.Right = a.Right;
    s.Questions = a.Questions;
    s.Percent = a.Percent;
    s.Grade = a.Grade;
    s.Row = a.Row;
    return s;
}

TGradeSummary Grades(std::vector<unsigned> counts, double pass, double quality, double average)
{
    TGradeSummary g;
    const char* names[] = {"5", "4", "3", "2"};
    for (std::size_t k = 0; k < counts.size(); ++k) {
        g.Counts.push_back({QString::fromLatin1(names[k]), counts[k]});
        g.Graded += counts[k];
    }
    g.Pass = pass;
    g.Quality = quality;
    g.Average = average;
    return g;
}

// Алексеева wrote both tests; Борисов wrote алгебра twice (the first file
// changed after it was collected and disagreed with the key, the second
// left unfinished); Ёлкин, who is not on the class list, sent a score line
// alone for алгебра and missed геометрия.
TJournal Class()
{
    TJournal j;
    j.Class = QStringLiteral("9А");
    j.Teacher = QStringLiteral("Смирнова <Анна>");
    j.Students = {{QStringLiteral("Алексеева Дарья"), true, 5.0}, {QStringLiteral("Борисов Максим"), true, 2.5},
        {QStringLiteral("Ёлкин Пётр"), false, 3.0}};

    TTestResult& algebra = j.Tests.emplace_back();
    algebra.Name = QStringLiteral("алгебра");
    algebra.Questions = 2;
    algebra.KeyPath = "алгебра.txt";
    algebra.Items = {{Cp("Сколько <b>2+2</b>?"), 1, {{"4", 2, true}, {"5", 0, false}}, 0, 0, {}, 0},
        {Cp("Верно ли, что 0 < 1?"), 2, {{Cp("да"), 0, true}, {Cp("нет"), 0, false}}, 1, 0, {}, 0}};
    algebra.Marks = {2, 2, {1, 1, 1, 0}};
    algebra.Chosen = {0, 0, 0, Skipped};
    TAttemptResult first = Attempt("9А/Борисов Максим/алгебра.out", 0, 2, "2", At(1, 9, 30), -1);
    first.Flags = ChangedAfterCollection | KeyMismatch;
    first.Replaced = At(1, 9, 45);
    first.Collected = At(2, 8);
    first.Mismatched = {1, 2};
    TAttemptResult retake = Attempt("9А/Борисов Максим/алгебра (2).out", 1, 2, "3", At(3, 10), 1);
    retake.Flags = Unfinished;
    retake.Answered = 1;
    TAttemptResult scoreOnly = Attempt("9А/Ёлкин Пётр/алгебра.out", 1, 2, "3", At(1, 9, 40), -1);
    scoreOnly.Flags = ScoreOnly;
    algebra.Students = {Student("Алексеева Дарья", {Attempt("9А/Алексеева Дарья/алгебра.out", 2, 2, "5", At(1, 9, 35), 0)}),
        Student("Борисов Максим", {first, retake}, 1), Student("Ёлкин Пётр", {scoreOnly})};
    algebra.Grades = Grades({1, 0, 2, 0}, 100, 100.0 / 3, 11.0 / 3);
    algebra.FirstWritten = At(1, 9, 35);
    algebra.LastWritten = At(3, 10);

    TTestResult& geometry = j.Tests.emplace_back();
    geometry.Name = QStringLiteral("геометрия");
    geometry.Questions = 1;
    geometry.Items = {{Cp("Сумма углов треугольника?"), 0, {{"180", 1, true}, {"360", 1, false}}, 0, 0, {}, 0}};
    geometry.Marks = {2, 1, {1, 0}};
    geometry.Chosen = {0, 1};
    TAttemptResult other = Attempt("9А/Алексеева Дарья/геометрия.out", 1, 1, "5", At(8, 11), 0);
    other.Flags = VersionMismatch;
    other.Unmatched = {QStringLiteral("Лишний <i>вопрос</i>")};
    geometry.Students = {Student("Алексеева Дарья", {other}),
        Student("Борисов Максим", {Attempt("9А/Борисов Максим/геометрия.out", 0, 1, "2", At(8, 11, 5), 1)})};
    geometry.Grades = Grades({1, 0, 0, 1}, 50, 50, 3.5);
    geometry.FirstWritten = At(8, 11);
    geometry.LastWritten = At(8, 11, 5);

    j.Cells = {{0, 0}, {1, 1}, {2, -1}};
    return j;
}

class Reports : public ::testing::Test {
protected:
    std::string Csv(const char* name)
    {
        const std::vector<TFileId> inputs;
        TOutputFiles files(inputs);
        WriteCsv(journal, files, tmp.Path("csv"));
        files.Commit();
        return ReadBytes(tmp.Path("csv/") + name);
    }
    template <class Write>
    std::string Written(const char* name, Write write)
    {
        const std::string path = tmp.Path(name);
        QFile file(QString::fromStdString(path));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        write(file, path);
        file.close();
        return ReadBytes(path);
    }
    std::string Html()
    {
        return Written("j.html", [&](QFile& f, const std::string& p) { WriteHtml(journal, ParseScale(DefaultScale), f, p); });
    }

    TJournal journal = Class();
    TempFolder tmp;
};

// ---- CSV ------------------------------------------------------------------

TEST_F(Reports, SummaryCsvHasAGradeOrAbsentPerTestAndTheAverage)
{
    EXPECT_EQ(Csv("summary.csv"),
        "class,student,алгебра,геометрия,average\r\n"
        "9А,Алексеева Дарья,5,5,5.00\r\n"
        "9А,Борисов Максим,3,2,2.50\r\n"
        "9А,Ёлкин Пётр,3,н,3.00\r\n");
}

TEST_F(Reports, AttemptsCsvListsEveryAttemptWithItsFlagsAndTimes)
{
    EXPECT_EQ(Csv("attempts.csv"),
        "class,student,test,attempt,counted,written,collected,right,answered,questions,percent,grade,flags,file\r\n"
        "9А,Алексеева Дарья,алгебра,1,1,2026-12-01T09:35:00+03:00,2026-12-01T10:05:00+03:00,2,2,2,100.00,5,,"
        "9А/Алексеева Дарья/алгебра.out\r\n"
        "9А,Борисов Максим,алгебра,1,0,2026-12-01T09:30:00+03:00,2026-12-02T08:00:00+03:00,0,2,2,0.00,2,"
        "changed_after_collection key_mismatch,9А/Борисов Максим/алгебра.out\r\n"
        "9А,Борисов Максим,алгебра,2,1,2026-12-03T10:00:00+03:00,2026-12-03T10:30:00+03:00,1,1,2,50.00,3,unfinished,"
        "9А/Борисов Максим/алгебра (2).out\r\n"
        "9А,Ёлкин Пётр,алгебра,1,1,2026-12-01T09:40:00+03:00,2026-12-01T10:10:00+03:00,1,2,2,50.00,3,score_only,"
        "9А/Ёлкин Пётр/алгебра.out\r\n"
        "9А,Алексеева Дарья,геометрия,1,1,2026-12-08T11:00:00+03:00,2026-12-08T11:30:00+03:00,1,1,1,100.00,5,"
        "version_mismatch,9А/Алексеева Дарья/геометрия.out\r\n"
        "9А,Борисов Максим,геометрия,1,1,2026-12-08T11:05:00+03:00,2026-12-08T11:35:00+03:00,0,1,1,0.00,2,,"
        "9А/Борисов Максим/геометрия.out\r\n");
}

TEST_F(Reports, QuestionsCsvEndsWithTheKeysNumberEmptyWithoutOne)
{
    EXPECT_EQ(Csv("questions.csv"),
        "test,question,attempts,facility,sd,discrimination,efficiency,flags,number\r\n"
        "алгебра,Сколько <b>2+2</b>?,2,,,,,,1\r\n"
        "алгебра,\"Верно ли, что 0 < 1?\",2,,,,,,2\r\n"
        "геометрия,Сумма углов треугольника?,2,,,,,,\r\n");
}

// ---- The export for a school's journal ------------------------------------

TEST_F(Reports, GradeExportIsWindows1251WithCrLfAndAbsentMarked)
{
    const auto write = [&](const QString& test) {
        return Written("grades.csv", [&](QFile& f, const std::string& p) { WriteGradeExport(journal, test, f, p); });
    };
    EXPECT_EQ(write(QStringLiteral("геометрия")),
        Cp("Алексеева Дарья;5\r\nБорисов Максим;2\r\nЁлкин Пётр;н\r\n"));
    EXPECT_EQ(write(QStringLiteral("Алгебра")), Cp("Алексеева Дарья;5\r\nБорисов Максим;3\r\nЁлкин Пётр;3\r\n"))
        << "the test named in any case";
}

TEST_F(Reports, GradeExportRefusesAnUnknownTestAndANameItCannotEncode)
{
    const auto error = [&](const QString& test) {
        try {
            Written("grades.csv", [&](QFile& f, const std::string& p) { WriteGradeExport(journal, test, f, p); });
        } catch (const EError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error(QStringLiteral("физика")), "теста «физика» в журнале нет; в нём есть: «алгебра», «геометрия»");
    journal.Students[1].Name = QStringLiteral("Борисов Максим 😀");
    EXPECT_EQ(error(QStringLiteral("алгебра")),
        "в имени «Борисов Максим 😀» есть символ «😀» (U+1F600), которого нет в кодировке Windows-1251: журнал "
        "школы его не прочтёт");
}

// ---- The spreadsheet --------------------------------------------------------

TEST_F(Reports, SpreadsheetOpensOnTheClassSheetWithPrintSettings)
{
    const std::string path = tmp.Path("j.xlsx");
    Written("j.xlsx", [&](QFile& f, const std::string& p) { WriteXlsx(journal, f, p); });
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QStringLiteral(R"(
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1])
print(book.sheetnames[0])
sheet = book.worksheets[0]
for row in sheet.iter_rows(max_row=4, values_only=True):
    print(repr(row))
print(repr([c.value for c in book["Попытки"][3]]))
# fitToWidth absent is Excel's default, one page.
for s in book.worksheets:
    print(s.title, s.page_setup.orientation, s.page_setup.fitToWidth or 1, s.page_setup.fitToHeight,
          s.sheet_properties.pageSetUpPr.fitToPage, s.print_title_rows)
)"), QString::fromStdString(path)});
    ASSERT_TRUE(python.waitForFinished(60000));
    ASSERT_EQ(python.exitCode(), 0) << python.readAllStandardError().toStdString();
    EXPECT_EQ(python.readAllStandardOutput().toStdString(),
        "Сводная\n"
        "('Ученик', 'алгебра', 'геометрия', 'Средний балл')\n"
        "('Алексеева Дарья', 5, 5, 5)\n"
        "('Борисов Максим', 3, 2, 2.5)\n"
        "('Ёлкин Пётр', 3, 'н', 3)\n"
        "['алгебра', 'Борисов Максим', 1, 'нет', datetime.datetime(2026, 12, 1, 9, 30), "
        "datetime.datetime(2026, 12, 2, 8, 0), 0, 2, 2, 0, 2, 'файл изменён после сбора (прежнее содержимое "
        "собрано 01.12.2026 09:45, это — 02.12.2026 08:00); не совпадает с ключом: вопросы 1, 2', "
        "'9А/Борисов Максим/алгебра.out']\n"
        "Сводная portrait 1 0 True $1:$1\n"
        "Тесты landscape 1 0 True $1:$1\n"
        "Ученики landscape 1 0 True $1:$1\n"
        "Попытки landscape 1 0 True $1:$1\n"
        "Вопросы landscape 1 0 True $1:$1\n"
        "Варианты landscape 1 0 True $1:$1\n"
        "Ответы алгебра landscape 1 0 True $1:$2\n"
        "Ответы геометрия landscape 1 0 True $1:$2\n");
}

// ---- The report ---------------------------------------------------------------

TEST_F(Reports, ReportOpensWithTheClassSheetAndEndsWithAPagePerStudent)
{
    const std::string html = Html();
    const std::size_t sheet = html.find("<h2>Сводная ведомость</h2>");
    const std::size_t firstTest = html.find("<section class=\"test\">");
    ASSERT_NE(sheet, std::string::npos);
    ASSERT_NE(firstTest, std::string::npos);
    EXPECT_LT(sheet, firstTest);
    EXPECT_LT(html.find("<svg", sheet), firstTest) << "the grades chart comes with the sheet";
    std::size_t pages = 0;
    std::size_t lastTest = html.rfind("<section class=\"test\">");
    for (std::size_t at = html.find("<section class=\"student\">"); at != std::string::npos;
         at = html.find("<section class=\"student\">", at + 1)) {
        EXPECT_GT(at, lastTest);
        ++pages;
    }
    EXPECT_EQ(pages, journal.Students.size());
    EXPECT_NE(html.find("section.test, section.student, section.legend { break-before: page;"), std::string::npos);
}

TEST_F(Reports, ReportHeaderNamesClassTestsDatesAndTeacher)
{
    const std::string html = Html();
    EXPECT_NE(html.find("<h1>Журнал класса 9А</h1>"), std::string::npos);
    EXPECT_NE(html.find("Тесты: «алгебра», «геометрия». Попытки написаны: 01.12.2026 – 08.12.2026. "
                        "Учитель: Смирнова &lt;Анна&gt;."),
        std::string::npos);
}

// The sheet: a grade or «н» per cell, a mark where there was more than one
// attempt or the counted one is flagged, the test's grades beneath.
TEST_F(Reports, ReportSheetMarksAbsenceRetakesAndFlags)
{
    const std::string html = Html();
    const std::string sheet = html.substr(html.find("<table class=\"sheet\">"),
        html.find("</table>", html.find("<table class=\"sheet\">")) - html.find("<table class=\"sheet\">"));
    EXPECT_NE(sheet.find("<td class=\"g absent\" title=\"не писал\">н</td>"), std::string::npos);
    EXPECT_NE(sheet.find("<td>Ёлкин Пётр<span class=\"flag\"> (нет в списке класса)</span></td>"), std::string::npos);
    EXPECT_EQ(sheet.find("Борисов Максим<span"), std::string::npos);
    EXPECT_NE(sheet.find("3<span class=\"mark flag\" title=\"попыток: 2; не закончен: без ответа 1 из 2\">×2</span>"),
        std::string::npos);
    EXPECT_NE(sheet.find("<td class=\"g\">5<span class=\"mark flag\" title=\"другая версия теста: вопрос «Лишний "
                         "&lt;i&gt;вопрос&lt;/i&gt;» не найден в ключе\">!</span></td>"),
        std::string::npos);
    EXPECT_NE(sheet.find("<th colspan=\"2\">Качество (оценки 4 и 5), %</th><td class=\"g\">33</td><td class=\"g\">50</td>"),
        std::string::npos);
    EXPECT_NE(sheet.find("<th colspan=\"2\">Средний балл</th><td class=\"g\">3,67</td><td class=\"g\">3,50</td>"),
        std::string::npos);
}

TEST_F(Reports, ReportListsEveryAttemptWithItsFlagsInWords)
{
    const std::string html = Html();
    for (const char* text : {
             "файл изменён после сбора (прежнее содержимое собрано 01.12.2026 09:45, это — 02.12.2026 08:00); "
             "не совпадает с ключом: вопросы 1, 2",
             "<td class=\"n\">03.12.2026 10:00 (засчитана)</td>",
             "не закончен: без ответа 1 из 2",
             "<td class=\"flag\">только итог</td>",
             "9А/Борисов Максим/алгебра (2).out",
         })
        EXPECT_NE(html.find(text), std::string::npos) << text;
}

// Fewer than ten attempts: the question figures are not flagged but said to
// rest on too few.
TEST_F(Reports, ReportSaysFewAttemptsRatherThanFlagging)
{
    journal.Tests[0].Items[0].Flags = Easy;
    const std::string html = Html();
    EXPECT_EQ(html.find("слишком лёгкий"), std::string::npos);
    EXPECT_NE(html.find("<td class=\"flag\">мало попыток</td>"), std::string::npos);
}

// A student's page: his answer against the right one for each item by its
// number, a skip said, the wordings from the files escaped.
TEST_F(Reports, StudentPageShowsEachAnswerAgainstTheRightOne)
{
    const std::string html = Html();
    const std::size_t page = html.find("<h2>Борисов Максим: работа над ошибками</h2>");
    ASSERT_NE(page, std::string::npos);
    const std::string own = html.substr(page, html.find("</section>", page) - page);
    EXPECT_NE(own.find("<td class=\"n\">1</td><td>Сколько &lt;b&gt;2+2&lt;/b&gt;?</td><td>4</td><td>4</td>"
                       "<td class=\"yes\">✓ верно</td>"),
        std::string::npos)
        << own;
    EXPECT_NE(own.find("<td class=\"n\">2</td><td>Верно ли, что 0 &lt; 1?</td><td class=\"empty\">нет ответа</td>"
                       "<td>да</td><td class=\"no\">✗ неверно</td>"),
        std::string::npos);
    EXPECT_NE(own.find("<h3>Тест «геометрия»: оценка 2 (верно 0 из 1, 0,0 %)</h3>"), std::string::npos);
    const std::size_t elkin = html.find("<h2>Ёлкин Пётр: работа над ошибками</h2>");
    EXPECT_NE(html.find("В файле только итог", elkin), std::string::npos);
    EXPECT_NE(html.find("<h3>Тест «геометрия»: не писал (н)</h3>", elkin), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
    EXPECT_EQ(html.find("<i>"), std::string::npos);
}

} // namespace
