// SPDX-License-Identifier: MIT
// The spreadsheet: numbers as numbers, every text as a text cell (a wording
// starting with '=' stays a wording), written row by row in libxlsxwriter's
// constant-memory mode so that a big class does not grow the process.
#include "journal/Reports.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"

#include <xlsxwriter.h>

#include <QTemporaryFile>
#include <cerrno>
#include <initializer_list>

namespace {

// A spreadsheet cell holds at most this many characters.
constexpr qsizetype MaxCellText = 32767;

class TSheet {
public:
    TSheet(lxw_workbook* book, const QString& name, const std::string& path)
        : sheet_(workbook_add_worksheet(book, name.toUtf8().constData()))
    {
        if (!sheet_)
            CannotWrite(path, QStringLiteral("лист «%1»").arg(name).toStdString());
        // Printed on A4 as wide as the page, as many pages down as it takes;
        // each page's header names the sheet, so its test.
        worksheet_set_paper(sheet_, 9);
        worksheet_fit_to_pages(sheet_, 1, 0);
        worksheet_set_header(sheet_, "&L&A&R&P / &N");
    }

    void Landscape() { worksheet_set_landscape(sheet_); }

    void Text(const QString& text, lxw_format* format = nullptr)
    {
        const QByteArray bytes = Readable(text.left(MaxCellText)).toUtf8();
        worksheet_write_string(sheet_, row_, col_++, bytes.constData(), format);
    }
    void Number(double value, lxw_format* format = nullptr)
    {
        worksheet_write_number(sheet_, row_, col_++, value, format);
    }
    // A grade that is a number as a number, any other as text.
    void Grade(const QString& grade, lxw_format* format = nullptr)
    {
        bool numeric = false;
        const double value = grade.toDouble(&numeric);
        if (numeric)
            Number(value, format);
        else
            Text(grade, format);
    }
    void Time(const QDateTime& time, lxw_format* format)
    {
        if (!time.isValid()) {
            ++col_;
            return;
        }
        // As the clock read where the file was written: a spreadsheet's
        // dates have no zone.
        const QDateTime local = time.toOffsetFromUtc(time.offsetFromUtc());
        const QDate d = local.date();
        const QTime t = local.time();
        lxw_datetime value{d.year(), d.month(), d.day(), t.hour(), t.minute(), double(t.second())};
        worksheet_write_datetime(sheet_, row_, col_++, &value, format);
    }
    void Figure(TFigure value, lxw_format* format)
    {
        if (value)
            Number(*value, format);
        else
            ++col_;
    }
    // Spelled out and wrapped: a heading row of two lines has room for
    // the figures' full names.
    void Header(std::initializer_list<const char*> names, lxw_format* format)
    {
        worksheet_set_row(sheet_, row_, 30, nullptr);
        for (const char* name : names)
            Text(QString::fromUtf8(name), format);
        NextRow();
        Heading(1, 0);
    }
    // The first `rows` rows and `cols` columns stay in sight and are printed
    // on every page.
    void Heading(lxw_row_t rows, lxw_col_t cols)
    {
        worksheet_freeze_panes(sheet_, rows, cols);
        worksheet_repeat_rows(sheet_, 0, rows - 1);
        if (cols)
            worksheet_repeat_columns(sheet_, 0, cols - 1);
    }
    void NextRow()
    {
        ++row_;
        col_ = 0;
    }
    void Width(lxw_col_t first, lxw_col_t last, double width)
    {
        worksheet_set_column(sheet_, first, last, width, nullptr);
    }

private:
    lxw_worksheet* sheet_;
    lxw_row_t row_ = 0;
    lxw_col_t col_ = 0;
};

// The first `most` UTF-16 units of `text`, shorter by one rather than
// cutting a character in two.
QString Left(const QString& text, qsizetype most)
{
    if (text.size() <= most)
        return text;
    return text.left(text.at(most).isLowSurrogate() ? most - 1 : most);
}

// Bytes copied from one file into another.
void Copy(QFile& from, QFileDevice& to, const std::string& path)
{
    if (!from.seek(0))
        CannotWrite(path, from);
    char buffer[64 * 1024];
    for (;;) {
        errno = 0;
        const qint64 n = from.read(buffer, sizeof buffer);
        if (n < 0)
            CannotWrite(path, from);
        if (n == 0)
            return;
        if (to.write(buffer, n) != n)
            CannotWrite(path, to);
    }
}

} // namespace

QString SheetName(const QString& wanted, QSet<QString>& taken)
{
    // Excel counts a name's length in UTF-16 units, libxlsxwriter in
    // characters: a name within 31 units that cuts no pair fits both.
    constexpr qsizetype Most = 31;
    QString base = wanted;
    for (QChar& c : base)
        if (QStringView(u"[]:*?/\\").contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u'_';
    base = Left(base, Most);
    // An apostrophe first or last would be read as the name's quoting.
    while (base.startsWith(u'\''))
        base.remove(0, 1);
    while (base.endsWith(u'\''))
        base.chop(1);
    if (base.isEmpty())
        base = QStringLiteral("Лист");
    QString name = base;
    for (int k = 2; taken.contains(name.toLower()); ++k) {
        const QString suffix = QStringLiteral(" (%1)").arg(k);
        name = Left(base, Most - suffix.size()) + suffix;
    }
    taken.insert(name.toLower());
    return name;
}

void WriteXlsx(const TJournal& journal, QFileDevice& file, const std::string& path)
{
    // libxlsxwriter writes only to a file it names itself: the workbook is
    // made in a temporary file and then copied into the output's.
    QTemporaryFile made;
    if (!made.open())
        CannotWrite(path, made);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(QFile::encodeName(made.fileName()).constData(), &options);
    if (!book)
        CannotWrite(path, SystemReason(errno ? errno : EIO));

    lxw_format* head = workbook_add_format(book);
    format_set_bold(head);
    format_set_bg_color(head, 0xE8E8E8);
    format_set_text_wrap(head);
    format_set_align(head, LXW_ALIGN_VERTICAL_TOP);
    lxw_format* figure = workbook_add_format(book);
    format_set_num_format(figure, "0.00");
    lxw_format* right = workbook_add_format(book);
    format_set_bg_color(right, 0xC6EFCE);
    format_set_font_color(right, 0x006100);
    lxw_format* wrong = workbook_add_format(book);
    format_set_bg_color(wrong, 0xFFC7CE);
    format_set_font_color(wrong, 0x9C0006);
    lxw_format* skipped = workbook_add_format(book);
    format_set_bg_color(skipped, 0xF2F2F2);
    format_set_font_color(skipped, 0x808080);

    lxw_format* time = workbook_add_format(book);
    format_set_num_format(time, "dd.mm.yyyy hh:mm");
    lxw_format* flagged = workbook_add_format(book);
    format_set_italic(flagged);
    format_set_bg_color(flagged, 0xFFF2CC);

    QSet<QString> taken;
    // The class's sheet first: what a journal is opened for.
    {
        TSheet sheet(book, SheetName(QStringLiteral("Сводная"), taken), path);
        if (journal.Tests.size() > 6)
            sheet.Landscape();
        sheet.Width(0, 0, 28);
        sheet.Width(1, lxw_col_t(journal.Tests.size() + 1), 12);
        sheet.Text(QStringLiteral("Ученик"), head);
        for (const TTestResult& t : journal.Tests)
            sheet.Text(t.Name, head);
        sheet.Text(QStringLiteral("Средний балл"), head);
        sheet.NextRow();
        sheet.Heading(1, 1);
        for (std::size_t k = 0; k < journal.Students.size(); ++k) {
            sheet.Text(journal.Students[k].Name);
            for (std::size_t t = 0; t < journal.Tests.size(); ++t) {
                const TStudentResult* s = ResultOf(journal, k, t);
                if (!s)
                    sheet.Text(QString::fromUtf8(JournalMsg::Absent));
                else
                    sheet.Grade(s->Grade, s->Attempts.size() > 1 || s->CountedAttempt().Flags ? flagged : nullptr);
            }
            sheet.Figure(journal.Students[k].Average, figure);
            sheet.NextRow();
        }
        // Under each test, its grades as a register sums them up.
        sheet.NextRow();
        const auto line = [&](const QString& name, auto value) {
            sheet.Text(name, head);
            for (const TTestResult& t : journal.Tests)
                value(t.Grades);
            sheet.NextRow();
        };
        const std::size_t grades = journal.Tests.empty() ? 0 : journal.Tests.front().Grades.Counts.size();
        for (std::size_t g = 0; g < grades; ++g)
            line(QStringLiteral("Оценок «%1»").arg(journal.Tests.front().Grades.Counts[g].first), [&](const TGradeSummary& s) {
                if (g < s.Counts.size())
                    sheet.Number(s.Counts[g].second);
                else
                    sheet.Text({});
            });
        line(QStringLiteral("Успеваемость, %"), [&](const TGradeSummary& s) { sheet.Figure(s.Pass, figure); });
        line(QStringLiteral("Качество, %"), [&](const TGradeSummary& s) { sheet.Figure(s.Quality, figure); });
        line(QStringLiteral("Средний балл"), [&](const TGradeSummary& s) { sheet.Figure(s.Average, figure); });
        sheet.NextRow();
        sheet.Text(QStringLiteral("Курсивом на жёлтом — оценки, у которых было несколько попыток или есть замечания: "
                                  "см. лист «Попытки»."), flagged);
    }
    TSheet tests(book, SheetName(QStringLiteral("Тесты"), taken), path);
    TSheet students(book, SheetName(QStringLiteral("Ученики"), taken), path);
    TSheet attempts(book, SheetName(QStringLiteral("Попытки"), taken), path);
    TSheet questions(book, SheetName(QStringLiteral("Вопросы"), taken), path);
    TSheet options_(book, SheetName(QStringLiteral("Варианты"), taken), path);

    tests.Landscape();
    tests.Width(0, 0, 20);
    tests.Width(1, 9, 14);
    tests.Header({"Тест", "Попыток", "Средний результат теста, %", "Медиана, %", "Стандартное отклонение, %",
                     "Асимметрия", "Эксцесс", "Надёжность (альфа Кронбаха)", "Доля ошибки, %", "Стандартная ошибка, %"}, head);
    students.Landscape();
    students.Width(0, 1, 20);
    students.Width(6, 6, 50);
    students.Header({"Тест", "Ученик", "Верно", "Вопросов", "Процент", "Оценка", "Файл"}, head);
    attempts.Landscape();
    attempts.Width(0, 1, 20);
    attempts.Width(4, 5, 16);
    attempts.Width(11, 11, 40);
    attempts.Width(12, 12, 40);
    attempts.Header({"Тест", "Ученик", "Попытка", "Засчитана", "Написана", "Собрана", "Верно", "Ответов", "Вопросов",
                        "Процент", "Оценка", "Замечания", "Файл"}, head);
    questions.Landscape();
    questions.Width(2, 2, 50);
    questions.Width(4, 8, 14);
    questions.Width(9, 9, 30);
    questions.Header({"Тест", "№", "Вопрос", "Ответов", "Лёгкость, %", "Стандартное отклонение",
                         "Индекс дискриминации", "Эффективность дискриминации", "Без ответа", "Замечания"}, head);
    options_.Landscape();
    options_.Width(2, 3, 40);
    options_.Header({"Тест", "№", "Вопрос", "Вариант", "Правильный", "Выбрали"}, head);

    for (const TTestResult& t : journal.Tests) {
        const TScoreFigures& f = t.Score;
        tests.Text(t.Name);
        tests.Number(double(f.Attempts));
        for (const TFigure v : {f.Mean, f.Median, f.Sd, f.Skewness, f.Kurtosis, t.Alpha, t.ErrorRatio, t.StandardError})
            tests.Figure(v, figure);
        tests.NextRow();

        for (const TStudentResult& s : t.Students) {
            students.Text(t.Name);
            students.Text(s.Name);
            students.Number(s.Right);
            students.Number(s.Questions);
            students.Number(s.Percent, figure);
            students.Grade(s.Grade);
            students.Text(FromNativePath(s.Path));
            students.NextRow();
            for (std::size_t k = 0; k < s.Attempts.size(); ++k) {
                const TAttemptResult& a = s.Attempts[k];
                attempts.Text(t.Name);
                attempts.Text(s.Name);
                attempts.Number(double(k + 1));
                attempts.Text(k == s.Counted ? QStringLiteral("да") : QStringLiteral("нет"));
                attempts.Time(a.Written, time);
                attempts.Time(a.Collected, time);
                attempts.Number(a.Right);
                attempts.Number(a.Answered);
                attempts.Number(a.Questions);
                attempts.Number(a.Percent, figure);
                attempts.Grade(a.Grade);
                attempts.Text(AttemptNotes(a).join(QStringLiteral("; ")));
                attempts.Text(FromNativePath(a.Path));
                attempts.NextRow();
            }
        }

        for (std::size_t i = 0; i < t.Items.size(); ++i) {
            const TQuestionResult& q = t.Items[i];
            const QString wording = FromAnsi(q.Text);
            questions.Text(t.Name);
            questions.Number(ItemNumber(t, i));
            questions.Text(wording);
            questions.Number(double(t.Marks.Students));
            questions.Figure(q.Figures.Facility, figure);
            questions.Figure(q.Figures.Sd, figure);
            questions.Figure(q.Figures.Discrimination, figure);
            questions.Figure(q.Figures.Efficiency, figure);
            questions.Number(q.Skipped);
            QStringList flags;
            for (unsigned bit = 1; bit < (1u << FlagCount); bit <<= 1)
                if (q.Flags & bit)
                    flags << FlagText(bit);
            questions.Text(flags.join(QStringLiteral("; ")));
            questions.NextRow();
            for (const TOptionTally& o : q.Options) {
                options_.Text(t.Name);
                options_.Number(ItemNumber(t, i));
                options_.Text(wording);
                options_.Text(FromAnsi(o.Text));
                options_.Text(o.Right ? QStringLiteral("да") : QStringLiteral("нет"));
                options_.Number(o.Chosen);
                options_.NextRow();
            }
        }
    }

    // One answers sheet per test: students by questions, 1 for a right
    // answer, 0 for a wrong one, told apart by colour; grey for a skip.
    for (const TTestResult& t : journal.Tests) {
        if (t.Items.empty())
            continue;
        TSheet answers(book, SheetName(QStringLiteral("Ответы ") + t.Name, taken), path);
        answers.Landscape();
        answers.Width(0, 0, 24);
        answers.Text(QStringLiteral("Ученик"), head);
        for (std::size_t i = 0; i < t.Items.size(); ++i)
            answers.Number(ItemNumber(t, i), head);
        answers.Text(QStringLiteral("Верно"), head);
        answers.NextRow();
        answers.Text(QStringLiteral("Вопрос"), head);
        for (const TQuestionResult& q : t.Items)
            answers.Text(FromAnsi(q.Text), head);
        answers.NextRow();
        answers.Heading(2, 1);
        for (const TStudentResult& s : t.Students) {
            if (s.Row < 0)
                continue;
            answers.Text(s.Name);
            const std::size_t row = std::size_t(s.Row);
            for (std::size_t i = 0; i < t.Items.size(); ++i) {
                const std::uint8_t mark = t.Marks.At(row, i);
                const bool skip = t.Chosen[row * t.Marks.Items + i] == Skipped;
                answers.Number(mark, mark ? right : skip ? skipped : wrong);
            }
            answers.Number(s.Right);
            answers.NextRow();
        }
    }

    errno = 0;
    const lxw_error error = workbook_close(book);
    if (error != LXW_NO_ERROR)
        CannotWrite(path, errno ? SystemReason(errno) : std::string(lxw_strerror(error)));
    Copy(made, file, path);
}
