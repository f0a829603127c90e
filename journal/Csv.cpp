// SPDX-License-Identifier: MIT
// The CSV files for scripts: UTF-8, RFC 4180 (comma, CR LF, fields with a
// comma, quote or line break in quotes, quotes doubled), a header row; a
// text that would start a formula begins with "'".
#include "journal/Reports.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"

#include <QDir>
#include <cerrno>
#include <cmath>
#include <sys/stat.h>

namespace {

class TCsvWriter {
public:
    TCsvWriter(TOutputFiles& files, const QDir& dir, const char* name)
        : path_(QFile::encodeName(dir.filePath(QString::fromLatin1(name))).toStdString())
        , file_(files.Open(path_))
    {
    }

    void Row(const QStringList& fields)
    {
        bool first = true;
        for (const QString& field : fields) {
            if (!first)
                line_ += ',';
            first = false;
            const QByteArray bytes = field.toUtf8();
            if (bytes.contains(',') || bytes.contains('"') || bytes.contains('\r') || bytes.contains('\n')) {
                line_ += '"';
                for (const char c : bytes) {
                    if (c == '"')
                        line_ += '"';
                    line_ += c;
                }
                line_ += '"';
            } else {
                line_ += bytes;
            }
        }
        line_ += "\r\n";
        if (line_.size() > 64 * 1024)
            Flush();
    }

    void Flush()
    {
        errno = 0;
        if (file_.write(line_) != line_.size())
            CannotWrite(path_, file_);
        line_.clear();
    }

private:
    std::string path_;
    QSaveFile& file_;
    QByteArray line_;
};

QString Count(std::size_t n)
{
    return QString::number(n);
}

// Text for scripts: as in the file, converted to UTF-8; one that a
// spreadsheet opening the file would take for a formula gets a leading "'",
// as OWASP advises for CSV.
QString Text(const QString& text)
{
    if (!text.isEmpty() && QStringView(u"=+-@\t\r").contains(text.front()))
        return u'\'' + text;
    return text;
}

QString Text(const std::string& ansi)
{
    return Text(FromAnsi(ansi));
}

// The keywords of the bits set, space separated.
QString Keywords(unsigned flags, unsigned count, const char* (*keyword)(unsigned))
{
    QStringList words;
    for (unsigned bit = 1; bit < (1u << count); bit <<= 1)
        if (flags & bit)
            words << QString::fromLatin1(keyword(bit));
    return words.join(u' ');
}

QString Flags(unsigned flags)
{
    return Keywords(flags, FlagCount, FlagKeyword);
}

QString AttemptFlags(unsigned flags)
{
    return Keywords(flags, AttemptFlagCount, AttemptFlagKeyword);
}

// ISO 8601 with the offset from UTC, so that a script need not guess the
// zone the journal ran in.
QString Time(const QDateTime& time)
{
    if (!time.isValid())
        return {};
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

void WriteCsv(const TJournal& journal, TOutputFiles& files, const std::string& folder)
{
    const QDir dir(FromNativePath(folder));
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0 && !S_ISDIR(st.st_mode))
        CannotWrite(folder, JournalMsg::NotFolder);
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        CannotWrite(folder, SystemReason(errno ? errno : EACCES));

    TCsvWriter students(files, dir, "students.csv");
    TCsvWriter questions(files, dir, "questions.csv");
    TCsvWriter options(files, dir, "options.csv");
    TCsvWriter tests(files, dir, "tests.csv");
    TCsvWriter summary(files, dir, "summary.csv");
    TCsvWriter attempts(files, dir, "attempts.csv");
    students.Row({"test", "student", "right", "questions", "percent", "grade", "file"});
    questions.Row({"test", "question", "attempts", "facility", "sd", "discrimination", "efficiency", "flags", "number"});
    options.Row({"test", "question", "option", "right", "chosen"});
    tests.Row({"test", "attempts", "mean", "median", "sd", "skewness", "kurtosis", "alpha", "error_ratio",
        "standard_error"});
    attempts.Row({"class", "student", "test", "attempt", "counted", "written", "collected", "right", "answered",
        "questions", "percent", "grade", "flags", "file"});

    const QString cls = Text(journal.Class);
    QStringList head = {"class", "student"};
    for (const TTestResult& t : journal.Tests)
        head << Text(t.Name);
    head << "average";
    summary.Row(head);
    for (std::size_t k = 0; k < journal.Students.size(); ++k) {
        QStringList row = {cls, Text(journal.Students[k].Name)};
        for (std::size_t t = 0; t < journal.Tests.size(); ++t) {
            const TStudentResult* s = ResultOf(journal, k, t);
            row << (s ? Text(s->Grade) : QString::fromUtf8(JournalMsg::Absent));
        }
        row << FigureText(journal.Students[k].Average);
        summary.Row(row);
    }

    for (const TTestResult& t : journal.Tests) {
        const QString test = Text(t.Name);
        for (const TStudentResult& s : t.Students) {
            students.Row({test, Text(s.Name), Count(s.Right), Count(s.Questions), FigureText(s.Percent), Text(s.Grade),
                Text(FromNativePath(s.Path))});
            for (std::size_t k = 0; k < s.Attempts.size(); ++k) {
                const TAttemptResult& a = s.Attempts[k];
                attempts.Row({cls, Text(s.Name), test, Count(k + 1), k == s.Counted ? "1" : "0", Time(a.Written),
                    Time(a.Collected), Count(a.Right), Count(a.Answered), Count(a.Questions), FigureText(a.Percent),
                    Text(a.Grade), AttemptFlags(a.Flags), Text(FromNativePath(a.Path))});
            }
        }
        for (const TQuestionResult& q : t.Items) {
            const QString wording = Text(q.Text);
            const TItemFigures& f = q.Figures;
            questions.Row({test, wording, Count(t.Marks.Students), FigureText(f.Facility), FigureText(f.Sd),
                FigureText(f.Discrimination), FigureText(f.Efficiency), Flags(q.Flags),
                q.Number ? Count(q.Number) : QString()});
            for (const TOptionTally& o : q.Options)
                options.Row({test, wording, Text(o.Text), o.Right ? "1" : "0", Count(o.Chosen)});
            // The skips: no option, and no right column.
            options.Row({test, wording, QString(), QString(), Count(q.Skipped)});
        }
        const TScoreFigures& f = t.Score;
        tests.Row({test, Count(f.Attempts), FigureText(f.Mean), FigureText(f.Median), FigureText(f.Sd),
            FigureText(f.Skewness), FigureText(f.Kurtosis), FigureText(t.Alpha), FigureText(t.ErrorRatio),
            FigureText(t.StandardError)});
    }
    students.Flush();
    questions.Flush();
    options.Flush();
    tests.Flush();
    summary.Flush();
    attempts.Flush();
}

QString FigureText(TFigure figure, int decimals)
{
    if (!figure || !std::isfinite(*figure))
        return {};
    QString text = QString::number(*figure, 'f', decimals);
    // Rounding a small negative figure must not print "-0.00".
    if (text.startsWith(u'-') && text.mid(1).remove(u'0').remove(u'.').isEmpty())
        text.remove(0, 1);
    return text;
}

QString Readable(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 0x20 && c != u'\t')
            c = QChar(char16_t(0x2400 + c.unicode()));
        else if (c.unicode() == 0x7f)
            c = QChar(char16_t(0x2421));
    return out;
}

QString Readable(const std::string& ansi)
{
    return Readable(FromAnsi(ansi));
}

