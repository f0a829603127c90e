// SPDX-License-Identifier: MIT
// The CSV files for scripts: UTF-8, RFC 4180 (comma, CR LF, fields with a
// comma, quote or line break in quotes, quotes doubled), a header row.
#include "journal/Reports.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"

#include <QDir>
#include <QSaveFile>
#include <cmath>
#include <initializer_list>

namespace {

class TCsvWriter {
public:
    explicit TCsvWriter(const QString& path)
        : file_(path)
    {
        if (!file_.open(QIODevice::WriteOnly))
            CannotWrite(QFile::encodeName(path).toStdString(), file_.errorString());
    }

    void Row(std::initializer_list<QString> fields)
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

    void Commit()
    {
        Flush();
        if (!file_.commit())
            CannotWrite(QFile::encodeName(file_.fileName()).toStdString(), file_.errorString());
    }

private:
    void Flush()
    {
        if (file_.write(line_) != line_.size())
            CannotWrite(QFile::encodeName(file_.fileName()).toStdString(), file_.errorString());
        line_.clear();
    }

    QSaveFile file_;
    QByteArray line_;
};

QString Count(std::size_t n)
{
    return QString::number(n);
}

// Text for scripts: exactly as in the file, only converted to UTF-8.
QString Text(const std::string& ansi)
{
    return FromAnsi(ansi);
}

QString Flags(unsigned flags)
{
    QStringList words;
    for (unsigned bit = 1; bit < (1u << FlagCount); bit <<= 1)
        if (flags & bit)
            words << QString::fromLatin1(FlagKeyword(bit));
    return words.join(u' ');
}

} // namespace

void WriteCsv(const TJournal& journal, const std::string& folder)
{
    const QDir dir(FromNativePath(folder));
    if (!dir.exists() && !QDir().mkpath(dir.path()))
        CannotWrite(folder, QStringLiteral("не удалось создать папку"));

    TCsvWriter students(dir.filePath(QStringLiteral("students.csv")));
    students.Row({"test", "student", "right", "questions", "percent", "grade", "file"});
    TCsvWriter questions(dir.filePath(QStringLiteral("questions.csv")));
    questions.Row({"test", "question", "attempts", "facility", "sd", "discrimination", "efficiency", "flags"});
    TCsvWriter options(dir.filePath(QStringLiteral("options.csv")));
    options.Row({"test", "question", "option", "right", "chosen"});
    TCsvWriter tests(dir.filePath(QStringLiteral("tests.csv")));
    tests.Row({"test", "attempts", "mean", "median", "sd", "skewness", "kurtosis", "alpha", "error_ratio",
        "standard_error"});

    for (const TTestResult& t : journal.Tests) {
        for (const TStudentResult& s : t.Students)
            students.Row({t.Name, s.Name, Count(s.Right), Count(s.Questions), FigureText(s.Percent), s.Grade,
                FromNativePath(s.Path)});
        for (const TQuestionResult& q : t.Items) {
            const QString wording = Text(q.Text);
            const TItemFigures& f = q.Figures;
            questions.Row({t.Name, wording, Count(t.Marks.Students), FigureText(f.Facility), FigureText(f.Sd),
                FigureText(f.Discrimination), FigureText(f.Efficiency), Flags(q.Flags)});
            for (const TOptionTally& o : q.Options)
                options.Row({t.Name, wording, Text(o.Text), o.Right ? "1" : "0", Count(o.Chosen)});
            // The skips: no option, and no right column.
            options.Row({t.Name, wording, QString(), QString(), Count(q.Skipped)});
        }
        const TScoreFigures& f = t.Score;
        tests.Row({t.Name, Count(f.Attempts), FigureText(f.Mean), FigureText(f.Median), FigureText(f.Sd),
            FigureText(f.Skewness), FigureText(f.Kurtosis), FigureText(t.Alpha), FigureText(t.ErrorRatio),
            FigureText(t.StandardError)});
    }
    students.Commit();
    questions.Commit();
    options.Commit();
    tests.Commit();
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

void CannotWrite(const std::string& path, const QString& why)
{
    throw EError(Format("не удалось записать %s: %s", path, why.toStdString()));
}
