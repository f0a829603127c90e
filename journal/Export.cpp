// SPDX-License-Identifier: MIT
// One test's grades for a school's electronic journal: the semicolon-
// separated text that Russian spreadsheets and the journals' imports open
// as it is, in Windows-1251 with CR LF.
#include "journal/Reports.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"

#include <QStringList>
#include <cerrno>

namespace {

std::string AnsiName(const QString& name)
{
    const qsizetype bad = FirstNonAnsi(name);
    if (bad >= 0) {
        const TCharacter c = CharacterAt(name, bad);
        throw EError(Format(JournalMsg::NotAnsiName, Readable(name).toStdString(), c.Text.toStdString(),
            c.Code.toStdString()));
    }
    return ToAnsi(name);
}

} // namespace

void WriteGradeExport(const TJournal& journal, const QString& test, QFileDevice& file, const std::string& path)
{
    std::size_t t = 0;
    while (t < journal.Tests.size() && journal.Tests[t].Name.compare(test, Qt::CaseInsensitive) != 0)
        ++t;
    if (t == journal.Tests.size()) {
        QStringList names;
        for (const TTestResult& r : journal.Tests)
            names << QStringLiteral("«%1»").arg(Readable(r.Name));
        throw EError(Format(JournalMsg::NoSuchTest, Readable(test).toStdString(), names.join(u", ").toStdString()));
    }
    std::string text;
    for (std::size_t k = 0; k < journal.Students.size(); ++k) {
        const TStudentResult* s = ResultOf(journal, k, t);
        // A name or grade holding the separator or a line break would
        // shift the columns: those become spaces.
        QString name = journal.Students[k].Name;
        QString grade = s ? s->Grade : QString::fromUtf8(JournalMsg::Absent);
        for (QString* field : {&name, &grade})
            for (QChar& c : *field)
                if (c == u';' || c.unicode() < 0x20)
                    c = u' ';
        text += AnsiName(name) + ';' + AnsiName(grade) + "\r\n";
    }
    errno = 0;
    if (file.write(text.data(), qint64(text.size())) != qint64(text.size()))
        CannotWrite(path, file);
}
