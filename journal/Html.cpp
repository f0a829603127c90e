// SPDX-License-Identifier: MIT
// The report to look at and print: one self-contained page, no scripts, the
// charts as inline SVG. Everything goes through QXmlStreamWriter, which
// escapes the text; nothing from a file is ever pasted into markup.
#include "journal/Reports.h"

#include "engine/Ansi.h"

#include <QXmlStreamWriter>
#include <algorithm>
#include <cerrno>
#include <array>
#include <initializer_list>
#include <utility>

namespace {

// No quotes, "<", ">" or "&" in here: the writer escapes them, and a style
// element's text is not unescaped.
const char* const Style = R"(
body { font-family: Liberation Sans, Arial, sans-serif; font-size: 11pt; color: #222; margin: 2em auto; max-width: 70em; padding: 0 1em; }
h1 { font-size: 18pt; margin-bottom: .2em; }
h2 { font-size: 14pt; margin-top: 1.6em; border-bottom: 1px solid #aaa; }
h3 { font-size: 12pt; margin-top: 1.2em; }
table { border-collapse: collapse; margin: .5em 0; }
th, td { border: 1px solid #bbb; padding: .2em .45em; vertical-align: top; text-align: left; }
th { background: #eee; }
td.n { text-align: right; white-space: nowrap; }
td.file { font-family: Liberation Mono, monospace; font-size: 8.5pt; word-break: break-all; }
table.summary td.n { min-width: 5em; }
ul.options { margin: 0; padding-left: 1.1em; }
.right { color: #1a7f37; font-weight: bold; }
.flag { color: #b3261e; }
.empty { color: #888; font-style: italic; }
.meta, .note { color: #555; }
.charts { display: flex; flex-wrap: wrap; gap: 1.5em; align-items: flex-start; }
figure { margin: .5em 0; }
figcaption { font-size: 9.5pt; color: #555; }
svg { max-width: 100%; height: auto; }
svg text { font-family: Liberation Sans, Arial, sans-serif; font-size: 10px; fill: #333; }
dt { font-weight: bold; margin-top: .4em; }
table.sheet td.g, table.sheet th.t { text-align: center; min-width: 3.5em; }
table.sheet tfoot th, table.sheet tfoot td { background: #f6f6f6; }
td.absent { color: #777; }
.mark { font-size: 8pt; vertical-align: super; line-height: 0; margin-left: .1em; }
p.grades { font-size: 12pt; }
tr.counted td { font-weight: bold; }
tr.running { display: none; }
.few { color: #666; font-style: italic; }
.yes { color: #1a7f37; }
.no { color: #b3261e; }
h1, h2, h3 { break-after: avoid; page-break-after: avoid; }
@page { size: A4; margin: 12mm; }
@media print {
  body { margin: 0; max-width: none; font-size: 9.5pt; }
  section.test, section.student, section.legend { break-before: page; page-break-before: always; }
  tr, figure, p.grades { break-inside: avoid; }
  thead { display: table-header-group; }
  tr.running { display: table-row; }
  tr.running th { background: none; border: none; text-align: left; font-weight: normal; color: #555; }
}
)";

QString Ru(const QString& figure)
{
    QString text = figure;
    return text.replace(u'.', u',');
}

QString Fig(TFigure f, int decimals = 2)
{
    return Ru(FigureText(f, decimals));
}

QString Percent(double p)
{
    return Ru(FigureText(p, 1)) + QStringLiteral(" %");
}

// Figures from fewer attempts than this say little: they are shown as few
// rather than flagged.
constexpr std::size_t FewAttempts = 10;
const char* const Few = "мало попыток";

QString Time(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy HH:mm")) : QString();
}

QString Date(const QDateTime& time)
{
    return time.isValid() ? time.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

QString ScaleText(const TScale& scale)
{
    QStringList parts;
    for (const TScale::Step& s : scale.Steps)
        parts << QStringLiteral("%1 — от %2 %").arg(Readable(s.Grade), Ru(QString::number(s.From)));
    parts << QStringLiteral("%1 — ниже").arg(Readable(scale.Lowest));
    return parts.join(QStringLiteral("; "));
}

class THtml {
public:
    explicit THtml(QIODevice* device)
        : w_(device)
    {
    }

    void Open(const char* tag, std::initializer_list<std::pair<const char*, QString>> attributes = {})
    {
        w_.writeStartElement(QLatin1String(tag));
        for (const auto& [name, value] : attributes)
            w_.writeAttribute(QLatin1String(name), value);
    }
    // An element is always closed with its end tag: "<td/>" is not empty in
    // HTML but an open cell.
    void Close()
    {
        w_.writeCharacters(QString());
        w_.writeEndElement();
    }
    void Text(const QString& text) { w_.writeCharacters(text); }
    void Element(const char* tag, const QString& text,
        std::initializer_list<std::pair<const char*, QString>> attributes = {})
    {
        Open(tag, attributes);
        Text(text);
        Close();
    }
    void Cell(const QString& text, const char* cls = nullptr)
    {
        if (cls)
            Element("td", text, {{"class", QLatin1String(cls)}});
        else
            Element("td", text);
    }
    // Text from a file: shown as it stands; an empty text says so.
    void Data(const char* tag, const QString& text)
    {
        if (text.isEmpty()) {
            Open(tag);
            Element("span", QStringLiteral("(пусто)"), {{"class", "empty"}});
            Close();
        } else {
            Element(tag, text);
        }
    }
    QXmlStreamWriter& Writer() { return w_; }

private:
    QXmlStreamWriter w_;
};

QString Num(double v)
{
    return QString::number(v, 'f', 1);
}

// Scores by tens of percent, the last band including 100.
void Histogram(THtml& h, const TTestResult& t)
{
    std::array<unsigned, 10> bins{};
    for (const TStudentResult& s : t.Students)
        ++bins[std::min<std::size_t>(9, std::size_t(s.Percent / 10))];
    const unsigned top = std::max(1u, *std::max_element(bins.begin(), bins.end()));
    const double width = 440, height = 200, left = 30, base = 170, barWidth = 38;
    h.Open("figure", {{"class", "histogram"}});
    h.Open("svg", {{"xmlns", "http://www.w3.org/2000/svg"}, {"width", Num(width)}, {"height", Num(height)},
        {"viewBox", QStringLiteral("0 0 %1 %2").arg(width).arg(height)}, {"role", "img"},
        {"aria-label", QStringLiteral("Распределение результатов")}});
    h.Open("line", {{"x1", Num(left)}, {"y1", Num(base)}, {"x2", Num(left + 10 * (barWidth + 2))}, {"y2", Num(base)},
        {"stroke", "#555"}});
    h.Close();
    for (int k = 0; k < 10; ++k) {
        const double x = left + k * (barWidth + 2);
        const double bar = (base - 20) * bins[std::size_t(k)] / top;
        h.Open("rect", {{"class", "bar"}, {"x", Num(x)}, {"y", Num(base - bar)}, {"width", Num(barWidth)},
            {"height", Num(bar)}, {"fill", "#4a7bd0"}});
        h.Element("title", QStringLiteral("%1–%2 %: %3").arg(k * 10).arg(k == 9 ? 100 : k * 10 + 10).arg(bins[std::size_t(k)]));
        h.Close();
        if (bins[std::size_t(k)])
            h.Element("text", QString::number(bins[std::size_t(k)]),
                {{"x", Num(x + barWidth / 2)}, {"y", Num(base - bar - 4)}, {"text-anchor", "middle"}});
        h.Element("text", QString::number(k * 10), {{"x", Num(x)}, {"y", Num(base + 14)}, {"text-anchor", "middle"}});
    }
    h.Element("text", QStringLiteral("100"), {{"x", Num(left + 10 * (barWidth + 2))}, {"y", Num(base + 14)},
        {"text-anchor", "middle"}});
    h.Element("text", QStringLiteral("процент верных ответов"), {{"x", Num(left + 200)}, {"y", Num(base + 28)},
        {"text-anchor", "middle"}});
    h.Close();
    h.Element("figcaption", QStringLiteral("Сколько учеников набрали каждый десяток процентов"));
    h.Close();
}

// Facility per question, with the 5 % and 95 % limits.
// Hatching, so that a flagged bar is told apart on a grey printout too.
void Hatch(THtml& h, const QString& id, const char* colour)
{
    h.Open("pattern", {{"id", id}, {"width", "6"}, {"height", "6"}, {"patternUnits", "userSpaceOnUse"},
        {"patternTransform", "rotate(45)"}});
    h.Open("rect", {{"width", "6"}, {"height", "6"}, {"fill", QLatin1String(colour)}});
    h.Close();
    h.Open("line", {{"x1", "0"}, {"y1", "0"}, {"x2", "0"}, {"y2", "6"}, {"stroke", "#222"}, {"stroke-width", "2.5"}});
    h.Close();
    h.Close();
}

void FacilityChart(THtml& h, const TTestResult& t, std::size_t index)
{
    const bool few = t.Marks.Students < FewAttempts;
    const QString hatch = QStringLiteral("flagged-%1").arg(index);
    const double n = double(t.Items.size());
    const double barWidth = std::clamp(600.0 / n, 3.0, 48.0);
    const double left = 30, top = 10, plot = 150;
    const double width = left + n * barWidth + 10, height = top + plot + 30;
    h.Open("figure", {{"class", "facility"}});
    h.Open("svg", {{"xmlns", "http://www.w3.org/2000/svg"}, {"width", Num(width)}, {"height", Num(height)},
        {"viewBox", QStringLiteral("0 0 %1 %2").arg(width).arg(height)}, {"role", "img"},
        {"aria-label", QStringLiteral("Лёгкость вопросов")}});
    h.Open("defs");
    Hatch(h, hatch, "#d9822b");
    h.Close();
    for (const int level : {0, 50, 100}) {
        const double y = top + plot * (100 - level) / 100;
        h.Open("line", {{"x1", Num(left)}, {"y1", Num(y)}, {"x2", Num(width - 10)}, {"y2", Num(y)}, {"stroke", "#ccc"}});
        h.Close();
        h.Element("text", QString::number(level), {{"x", Num(left - 4)}, {"y", Num(y + 3)}, {"text-anchor", "end"}});
    }
    for (const int level : {5, 95}) {
        const double y = top + plot * (100 - level) / 100;
        h.Open("line", {{"x1", Num(left)}, {"y1", Num(y)}, {"x2", Num(width - 10)}, {"y2", Num(y)}, {"stroke", "#b3261e"},
            {"stroke-dasharray", "4 3"}});
        h.Close();
    }
    for (std::size_t i = 0; i < t.Items.size(); ++i) {
        const TQuestionResult& q = t.Items[i];
        const double f = q.Figures.Facility.value_or(0);
        const double bar = plot * f / 100;
        const bool flagged = q.Flags && !few;
        h.Open("rect", {{"class", flagged ? "bar flagged" : "bar"}, {"x", Num(left + double(i) * barWidth + 0.5)},
            {"y", Num(top + plot - bar)}, {"width", Num(std::max(1.0, barWidth - 1))}, {"height", Num(bar)},
            {"fill", flagged ? QStringLiteral("url(#%1)").arg(hatch) : QStringLiteral("#4a7bd0")}});
        h.Element("title", QStringLiteral("Вопрос %1: %2 %").arg(ItemNumber(t, i)).arg(Fig(q.Figures.Facility, 1)));
        h.Close();
        if (barWidth >= 12 || (i + 1) % 10 == 0 || i == 0)
            h.Element("text", QString::number(ItemNumber(t, i)), {{"x", Num(left + (double(i) + 0.5) * barWidth)},
                {"y", Num(top + plot + 13)}, {"text-anchor", "middle"}});
    }
    h.Element("text", QStringLiteral("номер вопроса"), {{"x", Num(left + n * barWidth / 2)}, {"y", Num(height - 3)},
        {"text-anchor", "middle"}});
    h.Close();
    h.Element("figcaption", few ? QStringLiteral("Лёгкость каждого вопроса, % верных ответов; пунктир — лёгкость 5 % и 95 %; "
                                                 "%1: замечания не ставятся").arg(QString::fromUtf8(Few))
                                : QStringLiteral("Лёгкость каждого вопроса, % верных ответов; пунктир — лёгкость 5 % и 95 %; "
                                                 "штриховкой — вопросы с замечаниями"));
    h.Close();
}

void SummaryRow(THtml& h, const QString& name, const QString& value, const QString& note)
{
    h.Open("tr");
    h.Element("th", name);
    h.Cell(value, "n");
    h.Cell(note);
    h.Close();
}

void Summary(THtml& h, const TTestResult& t)
{
    const TScoreFigures& f = t.Score;
    auto pct = [](TFigure v) { return v ? Fig(v) + QStringLiteral(" %") : QString(); };
    h.Open("table", {{"class", "summary"}});
    h.Open("tbody");
    SummaryRow(h, QStringLiteral("Попыток"), QString::number(f.Attempts),
        QStringLiteral("засчитанных; из них подробных (для разбора вопросов): %1; вопросов в тесте: %2")
            .arg(t.Marks.Students).arg(t.Questions)
            + (f.Attempts < FewAttempts ? QStringLiteral("; %1: показатели ниже ненадёжны").arg(QString::fromUtf8(Few))
                                        : QString()));
    SummaryRow(h, QStringLiteral("Средний результат теста"), pct(f.Mean), QStringLiteral("хорошо, когда от 50 до 75 %"));
    SummaryRow(h, QStringLiteral("Медиана"), pct(f.Median), QString());
    SummaryRow(h, QStringLiteral("Стандартное отклонение"), pct(f.Sd), QString());
    SummaryRow(h, QStringLiteral("Асимметрия"), Fig(f.Skewness), QStringLiteral("хорошо, когда от −1 до 0"));
    SummaryRow(h, QStringLiteral("Эксцесс"), Fig(f.Kurtosis), QStringLiteral("хорошо, когда от 0 до 1"));
    SummaryRow(h, QStringLiteral("Надёжность (альфа Кронбаха)"), Fig(t.Alpha),
        QStringLiteral("выше 75 — удовлетворительно, ниже 64 — плохо"));
    SummaryRow(h, QStringLiteral("Доля ошибки"), pct(t.ErrorRatio), QStringLiteral("чем меньше, тем лучше; "
                                                                                  "хорошо, когда ниже 50 %"));
    SummaryRow(h, QStringLiteral("Стандартная ошибка"), pct(t.StandardError),
        QStringLiteral("насколько может «гулять» результат ученика"));
    h.Close();
    h.Close();
}

// A header row that the printout repeats on every page of a long table,
// naming what the table is of; hidden on screen.
void Running(THtml& h, const QString& text, int columns)
{
    h.Open("tr", {{"class", "running"}});
    h.Element("th", text, {{"colspan", QString::number(columns)}});
    h.Close();
}

void Students(THtml& h, const TTestResult& t)
{
    h.Element("h3", QStringLiteral("Ученики и их попытки"));
    h.Open("table", {{"class", "students"}});
    h.Open("thead");
    Running(h, QStringLiteral("Тест «%1»: ученики").arg(Readable(t.Name)), 8);
    h.Open("tr");
    for (const char* name : {"№", "Ученик", "Попытка", "Верно", "Процент", "Оценка", "Замечания", "Файл"})
        h.Element("th", QString::fromUtf8(name));
    h.Close();
    h.Close();
    h.Open("tbody");
    int k = 0;
    for (const TStudentResult& s : t.Students) {
        ++k;
        for (std::size_t n = 0; n < s.Attempts.size(); ++n) {
            const TAttemptResult& a = s.Attempts[n];
            const bool counted = n == s.Counted;
            h.Open("tr", counted && s.Attempts.size() > 1
                    ? std::initializer_list<std::pair<const char*, QString>>{{"class", "counted"}}
                    : std::initializer_list<std::pair<const char*, QString>>{});
            if (n == 0) {
                const QString span = QString::number(s.Attempts.size());
                h.Element("td", QString::number(k), {{"class", "n"}, {"rowspan", span}});
                h.Element("td", Readable(s.Name), {{"rowspan", span}});
            }
            QString when = Time(a.Written);
            if (s.Attempts.size() > 1)
                when += counted ? QStringLiteral(" (засчитана)") : QString();
            h.Cell(when, "n");
            h.Cell(QStringLiteral("%1 из %2").arg(a.Right).arg(a.Questions), "n");
            h.Cell(Percent(a.Percent), "n");
            h.Cell(Readable(a.Grade), "n");
            h.Cell(AttemptNotes(a).join(QStringLiteral("; ")), "flag");
            h.Cell(Readable(FromNativePath(a.Path)), "file");
            h.Close();
        }
    }
    h.Close();
    h.Close();
}

void Questions(THtml& h, const TTestResult& t)
{
    h.Element("h3", QStringLiteral("Вопросы"));
    if (t.Items.empty()) {
        h.Element("p", QStringLiteral("Подробных результатов нет: вопросы разобрать нельзя. Чтобы они были, "
                                      "перед тестом отметьте «Результаты подробно»."), {{"class", "note"}});
        return;
    }
    const bool few = t.Marks.Students < FewAttempts;
    h.Open("table", {{"class", "questions"}});
    h.Open("thead");
    Running(h, QStringLiteral("Тест «%1»: вопросы").arg(Readable(t.Name)), 9);
    h.Open("tr");
    for (const char* name : {"№", "Вопрос", "Лёгкость, %", "Стандартное отклонение", "Индекс дискриминации",
             "Эффективность дискриминации", "Варианты ответа: сколько выбрали", "Без ответа", "Замечания"})
        h.Element("th", QString::fromUtf8(name));
    h.Close();
    h.Close();
    h.Open("tbody");
    for (std::size_t i = 0; i < t.Items.size(); ++i) {
        const TQuestionResult& q = t.Items[i];
        h.Open("tr");
        h.Cell(QString::number(ItemNumber(t, i)), "n");
        h.Data("td", Readable(q.Text));
        h.Cell(Fig(q.Figures.Facility), "n");
        h.Cell(Fig(q.Figures.Sd), "n");
        h.Cell(Fig(q.Figures.Discrimination), "n");
        h.Cell(Fig(q.Figures.Efficiency), "n");
        h.Open("td");
        h.Open("ul", {{"class", "options"}});
        for (const TOptionTally& o : q.Options) {
            h.Open("li", o.Right ? std::initializer_list<std::pair<const char*, QString>>{{"class", "right"}}
                                 : std::initializer_list<std::pair<const char*, QString>>{});
            h.Data("span", Readable(o.Text));
            h.Text(QStringLiteral(": %1").arg(o.Chosen));
            if (o.Right)
                h.Text(QStringLiteral(" ✓"));
            h.Close();
        }
        h.Close();
        h.Close();
        h.Cell(QString::number(q.Skipped), "n");
        h.Open("td", {{"class", "flag"}});
        QStringList flags;
        // A figure's flag from a handful of attempts would be noise; a
        // hidden right option is a fact however few saw it.
        if (few)
            flags << QString::fromUtf8(Few);
        for (unsigned bit = 1; bit < (1u << FlagCount); bit <<= 1)
            if ((q.Flags & bit) && (!few || bit == RightNotShown))
                flags << (bit == RightNotShown ? QStringLiteral("правильный ответ не показан %1 из %2")
                                                      .arg(q.RightNotShown).arg(t.Marks.Students)
                                               : FlagText(bit));
        h.Text(flags.join(QStringLiteral("; ")));
        h.Close();
        h.Close();
    }
    h.Close();
    h.Close();
}

QString TestNames(const TJournal& journal)
{
    QStringList names;
    for (const TTestResult& t : journal.Tests)
        names << QStringLiteral("«%1»").arg(Readable(t.Name));
    return names.join(QStringLiteral(", "));
}

// The days the counted attempts were written, over every test.
QString Dates(const TJournal& journal)
{
    QDateTime first, last;
    for (const TTestResult& t : journal.Tests) {
        if (t.FirstWritten.isValid() && (!first.isValid() || t.FirstWritten < first))
            first = t.FirstWritten;
        if (t.LastWritten.isValid() && (!last.isValid() || t.LastWritten > last))
            last = t.LastWritten;
    }
    if (!first.isValid())
        return {};
    const QString from = Date(first), to = Date(last);
    return from == to ? from : from + QStringLiteral(" – ") + to;
}

QString GradesText(const TGradeSummary& g)
{
    QStringList counts;
    for (const auto& [grade, n] : g.Counts)
        counts << QStringLiteral("«%1» — %2").arg(Readable(grade)).arg(n);
    QString text = QStringLiteral("Оценки: %1").arg(counts.join(QStringLiteral(", ")));
    if (g.Pass)
        text += QStringLiteral("; успеваемость %1 %").arg(Fig(g.Pass, 0));
    if (g.Quality)
        text += QStringLiteral("; качество %1 %").arg(Fig(g.Quality, 0));
    if (g.Average)
        text += QStringLiteral("; средний балл %1").arg(Fig(g.Average, 2));
    return text;
}

// The register's page: a row per student, a column per test, the test's
// grades summed up beneath.
void ClassSheet(THtml& h, const TJournal& journal)
{
    const int columns = int(journal.Tests.size()) + 3;
    h.Open("table", {{"class", "sheet"}});
    h.Open("thead");
    Running(h, QStringLiteral("Сводная ведомость"), columns);
    h.Open("tr");
    h.Element("th", QStringLiteral("№"));
    h.Element("th", QStringLiteral("Ученик"));
    for (const TTestResult& t : journal.Tests)
        h.Element("th", Readable(t.Name), {{"class", "t"}});
    h.Element("th", QStringLiteral("Средний балл"), {{"class", "t"}});
    h.Close();
    h.Close();
    h.Open("tbody");
    bool marked = false;
    const bool listed = std::any_of(journal.Students.begin(), journal.Students.end(),
        [](const TClassStudent& s) { return s.OnList; });
    for (std::size_t k = 0; k < journal.Students.size(); ++k) {
        const TClassStudent& student = journal.Students[k];
        h.Open("tr");
        h.Cell(QString::number(k + 1), "n");
        h.Open("td");
        h.Text(Readable(student.Name));
        if (listed && !student.OnList)
            h.Element("span", QStringLiteral(" (нет в списке класса)"), {{"class", "flag"}});
        h.Close();
        for (std::size_t t = 0; t < journal.Tests.size(); ++t) {
            const TStudentResult* s = ResultOf(journal, k, t);
            if (!s) {
                h.Element("td", QString::fromUtf8(JournalMsg::Absent), {{"class", "g absent"}, {"title", "не писал"}});
                continue;
            }
            QStringList notes = AttemptNotes(s->CountedAttempt());
            if (s->Attempts.size() > 1)
                notes.prepend(QStringLiteral("попыток: %1").arg(s->Attempts.size()));
            h.Open("td", {{"class", "g"}});
            h.Text(Readable(s->Grade));
            if (!notes.isEmpty()) {
                marked = true;
                h.Element("span", s->Attempts.size() > 1 ? QStringLiteral("×%1").arg(s->Attempts.size()) : QStringLiteral("!"),
                    {{"class", "mark flag"}, {"title", notes.join(QStringLiteral("; "))}});
            }
            h.Close();
        }
        h.Cell(Fig(student.Average), "g");
        h.Close();
    }
    h.Close();
    h.Open("tfoot");
    const auto line = [&](const QString& name, auto value) {
        h.Open("tr");
        h.Element("th", name, {{"colspan", "2"}});
        for (const TTestResult& t : journal.Tests)
            h.Cell(value(t.Grades), "g");
        h.Cell(QString(), "g");
        h.Close();
    };
    const std::size_t grades = journal.Tests.empty() ? 0 : journal.Tests.front().Grades.Counts.size();
    for (std::size_t g = 0; g < grades; ++g)
        line(QStringLiteral("Оценок «%1»").arg(Readable(journal.Tests.front().Grades.Counts[g].first)),
            [&](const TGradeSummary& s) { return g < s.Counts.size() ? QString::number(s.Counts[g].second) : QString(); });
    line(QStringLiteral("Успеваемость (оценки 3 и выше), %"), [](const TGradeSummary& s) { return Fig(s.Pass, 0); });
    line(QStringLiteral("Качество (оценки 4 и 5), %"), [](const TGradeSummary& s) { return Fig(s.Quality, 0); });
    line(QStringLiteral("Средний балл"), [](const TGradeSummary& s) { return Fig(s.Average, 2); });
    h.Close();
    h.Close();
    if (marked)
        h.Element("p", QStringLiteral("«×2» у оценки — попыток было несколько (засчитана одна, см. раздел теста); "
                                      "«!» — у засчитанной попытки есть замечания. Наведите указатель на знак, чтобы "
                                      "их прочесть."), {{"class", "note"}});
}

// The grades of every test side by side, a bar per grade. Each grade has
// its own fill, from solid to empty, and its name under the bar, so the
// chart reads on a grey printout.
void GradeChart(THtml& h, const TJournal& journal)
{
    std::size_t grades = 0;
    unsigned top = 1;
    for (const TTestResult& t : journal.Tests) {
        grades = std::max(grades, t.Grades.Counts.size());
        for (const auto& count : t.Grades.Counts)
            top = std::max(top, count.second);
    }
    if (grades == 0)
        return;
    const double bar = 22, gap = 24, left = 30, topMargin = 16, plot = 160;
    const double group = double(grades) * bar;
    const double width = std::max(300.0, left + double(journal.Tests.size()) * (group + gap) + 10);
    const double height = topMargin + plot + 46;
    const double base = topMargin + plot;
    static const char* const Fills[] = {"#1f3d7a", "url(#grade-1)", "url(#grade-2)", "#ffffff"};
    h.Open("figure", {{"class", "grades"}});
    h.Open("svg", {{"xmlns", "http://www.w3.org/2000/svg"}, {"width", Num(width)}, {"height", Num(height)},
        {"viewBox", QStringLiteral("0 0 %1 %2").arg(width).arg(height)}, {"role", "img"},
        {"aria-label", QStringLiteral("Оценки по тестам")}});
    h.Open("defs");
    h.Open("pattern", {{"id", "grade-1"}, {"width", "5"}, {"height", "5"}, {"patternUnits", "userSpaceOnUse"},
        {"patternTransform", "rotate(45)"}});
    h.Open("rect", {{"width", "5"}, {"height", "5"}, {"fill", "#9db8e8"}});
    h.Close();
    h.Open("line", {{"x1", "0"}, {"y1", "0"}, {"x2", "0"}, {"y2", "5"}, {"stroke", "#1f3d7a"}, {"stroke-width", "2"}});
    h.Close();
    h.Close();
    h.Open("pattern", {{"id", "grade-2"}, {"width", "5"}, {"height", "5"}, {"patternUnits", "userSpaceOnUse"}});
    h.Open("rect", {{"width", "5"}, {"height", "5"}, {"fill", "#e8eefa"}});
    h.Close();
    h.Open("circle", {{"cx", "2.5"}, {"cy", "2.5"}, {"r", "1.1"}, {"fill", "#1f3d7a"}});
    h.Close();
    h.Close();
    h.Close();
    h.Open("line", {{"x1", Num(left)}, {"y1", Num(base)}, {"x2", Num(width - 10)}, {"y2", Num(base)}, {"stroke", "#555"}});
    h.Close();
    for (std::size_t t = 0; t < journal.Tests.size(); ++t) {
        const TTestResult& test = journal.Tests[t];
        const double x0 = left + double(t) * (group + gap);
        for (std::size_t g = 0; g < test.Grades.Counts.size(); ++g) {
            const auto& [grade, n] = test.Grades.Counts[g];
            const double x = x0 + double(g) * bar;
            const double tall = (plot - 14) * n / top;
            h.Open("rect", {{"class", "grade"}, {"x", Num(x + 1)}, {"y", Num(base - tall)}, {"width", Num(bar - 2)},
                {"height", Num(tall)}, {"fill", QLatin1String(Fills[std::min<std::size_t>(g, 3)])}, {"stroke", "#1f3d7a"}});
            h.Element("title", QStringLiteral("«%1», «%2»: %3").arg(Readable(test.Name), Readable(grade)).arg(n));
            h.Close();
            h.Element("text", QString::number(n), {{"x", Num(x + bar / 2)}, {"y", Num(base - tall - 3)}, {"text-anchor", "middle"}});
            h.Element("text", Readable(grade), {{"x", Num(x + bar / 2)}, {"y", Num(base + 12)}, {"text-anchor", "middle"}});
        }
        QString name = Readable(test.Name);
        const qsizetype room = qsizetype((group + gap) / 6);
        if (name.size() > room)
            name = name.left(std::max<qsizetype>(1, room - 1)) + u'…';
        h.Element("text", name, {{"x", Num(x0 + group / 2)}, {"y", Num(base + 28)}, {"text-anchor", "middle"}});
    }
    h.Close();
    h.Element("figcaption", QStringLiteral("Сколько учеников получили каждую оценку в каждом тесте (подписи под "
                                           "столбцами — оценки, над ними — число учеников)"));
    h.Close();
}

// A student's work for going over his mistakes: each answer against the
// right one, in the items' numbering.
void StudentPage(THtml& h, const TJournal& journal, std::size_t k)
{
    const TClassStudent& student = journal.Students[k];
    h.Open("section", {{"class", "student"}});
    h.Element("h2", QStringLiteral("%1: работа над ошибками").arg(Readable(student.Name)));
    if (!journal.Class.isEmpty())
        h.Element("p", QStringLiteral("Класс %1").arg(Readable(journal.Class)), {{"class", "meta"}});
    for (std::size_t t = 0; t < journal.Tests.size(); ++t) {
        const TTestResult& test = journal.Tests[t];
        const TStudentResult* s = ResultOf(journal, k, t);
        if (!s) {
            h.Element("h3", QStringLiteral("Тест «%1»: не писал (н)").arg(Readable(test.Name)));
            continue;
        }
        const TAttemptResult& a = s->CountedAttempt();
        h.Element("h3", QStringLiteral("Тест «%1»: оценка %2 (верно %3 из %4, %5)")
                            .arg(Readable(test.Name), Readable(a.Grade)).arg(a.Right).arg(a.Questions).arg(Percent(a.Percent)));
        const QStringList notes = AttemptNotes(a);
        if (!notes.isEmpty())
            h.Element("p", notes.join(QStringLiteral("; ")), {{"class", "flag"}});
        if (a.Row < 0 || test.Items.empty()) {
            h.Element("p", QStringLiteral("В файле только итог: ответов по вопросам нет."), {{"class", "note"}});
            continue;
        }
        const std::size_t row = std::size_t(a.Row);
        h.Open("table", {{"class", "answers"}});
        h.Open("thead");
        Running(h, QStringLiteral("%1, тест «%2»").arg(Readable(student.Name), Readable(test.Name)), 5);
        h.Open("tr");
        for (const char* name : {"№", "Вопрос", "Ответ ученика", "Правильный ответ", "Итог"})
            h.Element("th", QString::fromUtf8(name));
        h.Close();
        h.Close();
        h.Open("tbody");
        for (std::size_t i = 0; i < test.Items.size(); ++i) {
            const TQuestionResult& q = test.Items[i];
            const std::uint32_t chosen = test.Chosen[row * test.Marks.Items + i];
            const bool right = test.Marks.At(row, i);
            h.Open("tr");
            h.Cell(QString::number(ItemNumber(test, i)), "n");
            h.Data("td", Readable(q.Text));
            if (chosen == Skipped)
                h.Element("td", QStringLiteral("нет ответа"), {{"class", "empty"}});
            else
                h.Data("td", Readable(q.Options[chosen].Text));
            QStringList rights;
            for (const TOptionTally& o : q.Options)
                if (o.Right)
                    rights << Readable(o.Text);
            h.Cell(rights.join(QStringLiteral(" / ")));
            h.Element("td", right ? QStringLiteral("✓ верно") : QStringLiteral("✗ неверно"), {{"class", right ? "yes" : "no"}});
            h.Close();
        }
        h.Close();
        h.Close();
    }
    h.Close();
}

void Legend(THtml& h, const TScale& scale)
{
    h.Open("section", {{"class", "legend"}});
    h.Element("h2", QStringLiteral("Что означают показатели"));
    h.Open("dl");
    const std::pair<const char*, const char*> entries[] = {
        {"Оценка", nullptr},
        {"«н»", "ученик не писал тест: его результата нет."},
        {"Успеваемость", "доля учеников с оценкой 3 и выше среди получивших оценку, в процентах."},
        {"Качество", "доля учеников с оценкой 4 или 5 среди получивших оценку, в процентах."},
        {"Средний балл", "среднее числовых оценок: у теста — его учеников, у ученика — его тестов."},
        {"Засчитанная попытка",
            "когда попыток несколько, оценку и разбор вопросов даёт одна: первая, последняя или лучшая, как "
            "выбрано; остальные перечислены в разделе теста."},
        {"Замечания к попытке",
            "«файл изменён после сбора» — содержимое файла сменилось после того, как журнал его собрал (указано, "
            "когда собраны прежнее и новое); «не совпадает с ключом» — правильные ответы в файле не те, что в "
            "тесте учителя (названы номера вопросов; оценка поставлена по ключу); «не закончен» — на часть "
            "вопросов ответа нет; «только итог» — в файле лишь число верных ответов, разобрать вопросы нельзя; "
            "«другая версия теста» — в файле есть вопросы, которых нет в ключе (они названы и не оцениваются)."},
        {"Лёгкость (индекс лёгкости)",
            "доля учеников, ответивших верно, в процентах. Вопрос с лёгкостью ниже 5 % (почти никто не ответил "
            "верно) или выше 95 % (почти все ответили верно) почти ничего не говорит об учениках."},
        {"Стандартное отклонение",
            "насколько ответы на вопрос различаются между учениками, в процентах."},
        {"Индекс дискриминации",
            "связь ответа на вопрос с результатом за остальные вопросы, от −100 до 100. Чем больше, тем лучше "
            "вопрос отличает сильных от слабых; ниже 0 — сильные отвечают на него хуже слабых: проверьте ключ "
            "и формулировку."},
        {"Эффективность дискриминации",
            "тот же индекс как доля наибольшего возможного при такой лёгкости; ниже 15 — вопрос сомнительный."},
        {"Возможно, неверный ключ",
            "ученики сильнее медианы чаще выбирали один неверный вариант, чем правильный."},
        {"Правильный ответ показан не всем",
            "у вопроса больше пяти вариантов, и правильный попал на место после пятого: ответить верно было "
            "нельзя (или номер правильного ответа в тесте не указывает ни на один вариант)."},
        {"«Мало попыток»",
            "попыток меньше десяти: показатели вопросов и теста по ним ненадёжны, и замечания к вопросам не "
            "ставятся."},
        {"Средний результат теста и медиана",
            "средний и серединный процент верных ответов учеников; хороший тест даёт в среднем от 50 до 75 %."},
        {"Асимметрия и эксцесс",
            "форма распределения результатов: асимметрия ниже 0 — больше высоких результатов; эксцесс выше 0 — "
            "результаты собраны у середины."},
        {"Надёжность (альфа Кронбаха)",
            "насколько согласованно вопросы измеряют одно и то же, ×100: выше 75 — удовлетворительно, от 64 до "
            "75 — слабо, ниже 64 — плохо."},
        {"Доля ошибки и стандартная ошибка",
            "какая часть разброса результатов — случайность, и на сколько процентов результат ученика может "
            "отличаться от истинного."},
        {"Пустые клетки", "показатель не определён: слишком мало попыток или у ответов нет разброса."},
    };
    for (const auto& [term, text] : entries) {
        h.Element("dt", QString::fromUtf8(term));
        h.Element("dd", text ? QString::fromUtf8(text) : ScaleText(scale) + QStringLiteral("."));
    }
    h.Close();
    h.Element("p", QStringLiteral("Показатели вопросов считаются по подробным результатам, как в статистике "
                                  "тестов Moodle: ответ равен 1, если совпал с правильным, иначе 0; дисперсии — "
                                  "с делителем n − 1."), {{"class", "note"}});
    h.Close();
}

} // namespace

void WriteHtml(const TJournal& journal, const TScale& scale, QFileDevice& file, const std::string& path)
{
    errno = 0;
    THtml h(&file);
    QXmlStreamWriter& w = h.Writer();
    w.writeDTD(QStringLiteral("<!DOCTYPE html>"));
    h.Open("html", {{"lang", "ru"}});
    h.Open("head");
    w.writeEmptyElement(QStringLiteral("meta"));
    w.writeAttribute(QStringLiteral("charset"), QStringLiteral("utf-8"));
    h.Element("title", QStringLiteral("Журнал результатов"));
    h.Element("style", QString::fromUtf8(Style));
    h.Close();
    h.Open("body");
    h.Element("h1", journal.Class.isEmpty() ? QStringLiteral("Журнал результатов")
                                            : QStringLiteral("Журнал класса %1").arg(Readable(journal.Class)));
    h.Open("p", {{"class", "meta"}});
    h.Text(QStringLiteral("Тесты: %1.").arg(TestNames(journal)));
    if (const QString dates = Dates(journal); !dates.isEmpty())
        h.Text(QStringLiteral(" Попытки написаны: %1.").arg(dates));
    if (!journal.Teacher.isEmpty())
        h.Text(QStringLiteral(" Учитель: %1.").arg(Readable(journal.Teacher)));
    h.Close();
    h.Element("p", QStringLiteral("Файлов результатов: %1, в журнале: %2, не учтено: %3. Шкала оценок: %4.")
        .arg(journal.Files).arg(journal.Used).arg(journal.Files - journal.Used).arg(ScaleText(scale)),
        {{"class", "meta"}});

    h.Open("section", {{"class", "class"}});
    h.Element("h2", QStringLiteral("Сводная ведомость"));
    ClassSheet(h, journal);
    GradeChart(h, journal);
    h.Close();

    if (!journal.Warnings.empty()) {
        h.Open("section", {{"class", "warnings"}});
        h.Element("h2", QStringLiteral("Что не вошло в журнал"));
        h.Open("ul");
        for (const TWarning& warning : journal.Warnings)
            h.Element("li", Readable(QString::fromStdString(WarningLine(warning))));
        h.Close();
        h.Close();
    }
    for (std::size_t k = 0; k < journal.Tests.size(); ++k) {
        const TTestResult& t = journal.Tests[k];
        h.Open("section", {{"class", "test"}});
        h.Element("h2", QStringLiteral("Тест «%1»").arg(Readable(t.Name)));
        h.Element("p", GradesText(t.Grades), {{"class", "grades"}});
        if (!t.KeyPath.empty())
            h.Element("p", QStringLiteral("Ключ: %1").arg(Readable(FromNativePath(t.KeyPath))), {{"class", "meta"}});
        Students(h, t);
        h.Element("h3", QStringLiteral("Показатели теста"));
        Summary(h, t);
        h.Open("div", {{"class", "charts"}});
        Histogram(h, t);
        if (!t.Items.empty())
            FacilityChart(h, t, k);
        h.Close();
        Questions(h, t);
        h.Close();
    }
    for (std::size_t k = 0; k < journal.Students.size(); ++k)
        StudentPage(h, journal, k);
    Legend(h, scale);
    h.Close();
    h.Close();
    w.writeEndDocument();
    if (w.hasError())
        CannotWrite(path, file);
}
