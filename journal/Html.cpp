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
@page { size: A4; margin: 12mm; }
@media print {
  body { margin: 0; max-width: none; font-size: 9.5pt; }
  section.test { break-before: page; }
  tr, figure { break-inside: avoid; }
  thead { display: table-header-group; }
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
void FacilityChart(THtml& h, const TTestResult& t)
{
    const double n = double(t.Items.size());
    const double barWidth = std::clamp(600.0 / n, 3.0, 48.0);
    const double left = 30, top = 10, plot = 150;
    const double width = left + n * barWidth + 10, height = top + plot + 30;
    h.Open("figure", {{"class", "facility"}});
    h.Open("svg", {{"xmlns", "http://www.w3.org/2000/svg"}, {"width", Num(width)}, {"height", Num(height)},
        {"viewBox", QStringLiteral("0 0 %1 %2").arg(width).arg(height)}, {"role", "img"},
        {"aria-label", QStringLiteral("Лёгкость вопросов")}});
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
        h.Open("rect", {{"class", "bar"}, {"x", Num(left + double(i) * barWidth + 0.5)}, {"y", Num(top + plot - bar)},
            {"width", Num(std::max(1.0, barWidth - 1))}, {"height", Num(bar)},
            {"fill", q.Flags ? "#d9822b" : "#4a7bd0"}});
        h.Element("title", QStringLiteral("Вопрос %1: %2 %").arg(i + 1).arg(Fig(q.Figures.Facility, 1)));
        h.Close();
        if (barWidth >= 12 || (i + 1) % 10 == 0 || i == 0)
            h.Element("text", QString::number(i + 1), {{"x", Num(left + (double(i) + 0.5) * barWidth)},
                {"y", Num(top + plot + 13)}, {"text-anchor", "middle"}});
    }
    h.Element("text", QStringLiteral("номер вопроса"), {{"x", Num(left + n * barWidth / 2)}, {"y", Num(height - 3)},
        {"text-anchor", "middle"}});
    h.Close();
    h.Element("figcaption", QStringLiteral("Лёгкость каждого вопроса, % верных ответов; пунктир — 5 % и 95 %; "
                                           "оранжевым — вопросы с замечаниями"));
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
        QStringLiteral("из них подробных (для анализа вопросов): %1; вопросов в тесте: %2")
            .arg(t.Marks.Students).arg(t.Questions));
    SummaryRow(h, QStringLiteral("Средний результат"), pct(f.Mean), QStringLiteral("хорошо, когда от 50 до 75 %"));
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

void Head(THtml& h, std::initializer_list<const char*> names)
{
    h.Open("thead");
    h.Open("tr");
    for (const char* name : names)
        h.Element("th", QString::fromUtf8(name));
    h.Close();
    h.Close();
}

void Students(THtml& h, const TTestResult& t)
{
    h.Element("h3", QStringLiteral("Ученики"));
    h.Open("table", {{"class", "students"}});
    Head(h, {"№", "Ученик", "Верно", "Процент", "Оценка", "Файл"});
    h.Open("tbody");
    int k = 0;
    for (const TStudentResult& s : t.Students) {
        h.Open("tr");
        h.Cell(QString::number(++k), "n");
        h.Data("td", Readable(s.Name));
        h.Cell(QStringLiteral("%1 из %2").arg(s.Right).arg(s.Questions), "n");
        h.Cell(Percent(s.Percent), "n");
        h.Cell(Readable(s.Grade), "n");
        h.Cell(Readable(FromNativePath(s.Path)) + (s.Row < 0 ? QStringLiteral(" (только итог)") : QString()), "file");
        h.Close();
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
    h.Open("table", {{"class", "questions"}});
    Head(h, {"№", "Вопрос", "Лёгкость", "СО", "Индекс дискр.", "Эффект. дискр.", "Варианты ответа: выбрали",
             "Пропустили", "Замечания"});
    h.Open("tbody");
    for (std::size_t i = 0; i < t.Items.size(); ++i) {
        const TQuestionResult& q = t.Items[i];
        h.Open("tr");
        h.Cell(QString::number(i + 1), "n");
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
        for (unsigned bit = 1; bit < (1u << FlagCount); bit <<= 1)
            if (q.Flags & bit)
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

void Legend(THtml& h, const TScale& scale)
{
    h.Open("section", {{"class", "legend"}});
    h.Element("h2", QStringLiteral("Что означают показатели"));
    h.Open("dl");
    const std::pair<const char*, const char*> entries[] = {
        {"Оценка", nullptr},
        {"Лёгкость (индекс лёгкости)",
            "доля учеников, ответивших верно, в процентах. Вопрос легче 5 % или труднее 95 % почти ничего не "
            "говорит об учениках."},
        {"СО (стандартное отклонение)", "насколько ответы на вопрос различаются между учениками, в процентах."},
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
        {"Средний результат и медиана", "хороший тест даёт в среднем от 50 до 75 %."},
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
    h.Element("h1", QStringLiteral("Журнал результатов"));
    h.Element("p", QStringLiteral("Файлов результатов: %1, в журнале: %2, не учтено: %3. Шкала оценок: %4.")
        .arg(journal.Files).arg(journal.Used).arg(journal.Files - journal.Used).arg(ScaleText(scale)),
        {{"class", "meta"}});
    if (!journal.Warnings.empty()) {
        h.Open("section", {{"class", "warnings"}});
        h.Element("h2", QStringLiteral("Что не вошло в журнал"));
        h.Open("ul");
        for (const TWarning& warning : journal.Warnings)
            h.Element("li", Readable(QString::fromStdString(WarningLine(warning))));
        h.Close();
        h.Close();
    }
    for (const TTestResult& t : journal.Tests) {
        h.Open("section", {{"class", "test"}});
        h.Element("h2", QStringLiteral("Тест «%1»").arg(Readable(t.Name)));
        Summary(h, t);
        h.Open("div", {{"class", "charts"}});
        Histogram(h, t);
        if (!t.Items.empty())
            FacilityChart(h, t);
        h.Close();
        Students(h, t);
        Questions(h, t);
        h.Close();
    }
    Legend(h, scale);
    h.Close();
    h.Close();
    w.writeEndDocument();
    if (w.hasError())
        CannotWrite(path, file);
}
