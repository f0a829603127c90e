// SPDX-License-Identifier: MIT
#include "editor/Sheet.h"

#include "editor/Markers.h"
#include "engine/Ansi.h"
#include "engine/Errors.h"

#include <QFileInfo>
#include <QPageLayout>
#include <QFile>
#include <QFont>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTextDocument>
#include <algorithm>
#include <numeric>

namespace {

// The letters of paper tests: ё, й, ъ, ы, ь are left out as easy to confuse.
const QString Letters = QStringLiteral("абвгдежзиклмнопрстуфхцчшщэюя");
const QString VariantHead = QStringLiteral("Вариант %1");
const QString KeyHead = QStringLiteral("Ключ ответов");
const QString NoRight = QStringLiteral("—");
constexpr int SheetPointSize = 12;
const QString PdfFailed = QStringLiteral("Не удалось записать PDF «%1»: %2");

QString Shown(const QString& edit)
{
    QString text = edit;
    text.remove(MarkerLine);
    return text.toHtmlEscaped();
}

} // namespace

std::vector<TVariant> MakeVariants(const std::vector<TEditQuestion>& questions, const TSheetOptions& options)
{
    QRandomGenerator random = options.Seed ? QRandomGenerator(options.Seed) : QRandomGenerator::securelySeeded();
    const auto shuffle = [&random](std::vector<int>& order) {
        for (std::size_t i = order.size(); i > 1; --i)
            std::swap(order[i - 1], order[random.bounded(quint32(i))]);
    };
    std::vector<TVariant> variants(std::size_t(std::max(1, options.Variants)));
    for (TVariant& variant : variants) {
        variant.Questions.resize(questions.size());
        std::iota(variant.Questions.begin(), variant.Questions.end(), 0);
        if (options.Shuffle)
            shuffle(variant.Questions);
        for (const int k : variant.Questions) {
            std::vector<int> order(std::size_t(questions[std::size_t(k)].Options.size()));
            std::iota(order.begin(), order.end(), 0);
            if (options.Shuffle)
                shuffle(order);
            variant.Options.push_back(std::move(order));
        }
    }
    return variants;
}

QString OptionLetter(int index)
{
    QString letter = Letters.at(index % Letters.size());
    for (int round = index / int(Letters.size()); round > 0; --round)
        letter += Letters.at(0); // past я: аа, ...
    return letter;
}

QString SheetTitle(const std::string& path)
{
    return path.empty() ? QStringLiteral("Тест") : QFileInfo(FromNativePath(path)).completeBaseName();
}

QString SheetHtml(const QString& title, const std::vector<TEditQuestion>& questions,
    const std::vector<TVariant>& variants, bool key)
{
    QString html = QStringLiteral("<html><body>");
    const bool several = variants.size() > 1;
    for (std::size_t v = 0; v < variants.size(); ++v) {
        const TVariant& variant = variants[v];
        html += QStringLiteral("<h2%1>%2</h2>")
                    .arg(v > 0 ? QStringLiteral(" style=\"page-break-before: always\"") : QString(), title.toHtmlEscaped());
        if (several)
            html += QStringLiteral("<h3>%1</h3>").arg(VariantHead.arg(v + 1));
        for (std::size_t i = 0; i < variant.Questions.size(); ++i) {
            const TEditQuestion& q = questions[std::size_t(variant.Questions[i])];
            html += QStringLiteral("<p style=\"margin-top: 12px; margin-bottom: 4px\"><b>%1.</b> %2</p>")
                        .arg(i + 1)
                        .arg(Shown(q.Text));
            const std::vector<int>& order = variant.Options[i];
            for (std::size_t j = 0; j < order.size(); ++j)
                html += QStringLiteral("<p style=\"margin-left: 24px; margin-top: 0; margin-bottom: 0\">%1) %2</p>")
                            .arg(OptionLetter(int(j)), Shown(q.Options[order[j]]));
        }
    }
    if (key) {
        html += QStringLiteral("<h2 style=\"page-break-before: always\">%1 — %2</h2>").arg(KeyHead, title.toHtmlEscaped());
        for (std::size_t v = 0; v < variants.size(); ++v) {
            const TVariant& variant = variants[v];
            if (several)
                html += QStringLiteral("<h3>%1</h3>").arg(VariantHead.arg(v + 1));
            QStringList answers;
            for (std::size_t i = 0; i < variant.Questions.size(); ++i) {
                const TEditQuestion& q = questions[std::size_t(variant.Questions[i])];
                const std::vector<int>& order = variant.Options[i];
                const auto right = std::find(order.begin(), order.end(), q.Correct - 1);
                answers += QStringLiteral("%1 — %2").arg(i + 1).arg(
                    q.Correct >= 1 && right != order.end() ? OptionLetter(int(right - order.begin())) : NoRight);
            }
            html += QStringLiteral("<p>%1</p>").arg(answers.join(QStringLiteral("; ")));
        }
    }
    return html + QStringLiteral("</body></html>");
}

void PrintSheet(QPrinter& printer, const QString& title, const std::vector<TEditQuestion>& questions,
    const TSheetOptions& options)
{
    QTextDocument document;
    // Paper wants a size readers are used to, whatever the screen's font.
    QFont font = document.defaultFont();
    font.setPointSize(SheetPointSize);
    document.setDefaultFont(font);
    document.setHtml(SheetHtml(title, questions, MakeVariants(questions, options), options.Key));
    printer.setDocName(title);
    document.print(&printer);
}

void WritePdf(const QString& path, const QString& title, const std::vector<TEditQuestion>& questions,
    const TSheetOptions& options)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    // A printer whose file cannot be opened paints nothing and says nothing.
    QFile probe(path);
    if (!probe.open(QIODevice::Append))
        throw EError(PdfFailed.arg(path, probe.errorString()).toStdString());
    probe.close();
    PrintSheet(printer, title, questions, options);
    if (printer.printerState() == QPrinter::Error)
        throw EError(PdfFailed.arg(path, QString()).toStdString());
}
