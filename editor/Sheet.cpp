// SPDX-License-Identifier: MIT
#include "editor/Sheet.h"

#include "editor/Markers.h"
#include "engine/Ansi.h"
#include "engine/Errors.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTextDocument>
#include <algorithm>
#include <numeric>
#include <utility>

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
    return ShownOnly(edit).toHtmlEscaped();
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

std::vector<TSheetPiece> SheetPieces(const QString& title, const std::vector<TEditQuestion>& questions,
    const std::vector<TVariant>& variants, bool key)
{
    std::vector<TSheetPiece> pieces;
    const bool several = variants.size() > 1;
    for (std::size_t v = 0; v < variants.size(); ++v) {
        const TVariant& variant = variants[v];
        // The headings go with the first question, never alone at a page's foot.
        QString html = QStringLiteral("<h2>%1</h2>").arg(title.toHtmlEscaped());
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
            pieces.push_back({std::exchange(html, {}), i == 0 && v > 0});
        }
        if (!html.isEmpty()) // a variant of no questions still has its heading
            pieces.push_back({html, v > 0});
    }
    if (key) {
        QString html = QStringLiteral("<h2>%1 — %2</h2>").arg(KeyHead, title.toHtmlEscaped());
        bool first = true;
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
            pieces.push_back({std::exchange(html, {}), first});
            first = false;
        }
    }
    return pieces;
}

QString SheetHtml(const QString& title, const std::vector<TEditQuestion>& questions,
    const std::vector<TVariant>& variants, bool key)
{
    QString html = QStringLiteral("<html><body>");
    for (const TSheetPiece& piece : SheetPieces(title, questions, variants, key))
        html += piece.NewPage ? QStringLiteral("<div style=\"page-break-before: always\">%1</div>").arg(piece.Html) : piece.Html;
    return html + QStringLiteral("</body></html>");
}

void PrintSheet(QPrinter& printer, const QString& title, const std::vector<TEditQuestion>& questions,
    const TSheetOptions& options)
{
    // Laid out as Qt prints a text: 2 cm inside the printable area, which a
    // printer of no margins at all gets 2 mm of; the page number in the
    // bottom margin.
    if (printer.pageLayout().margins().isNull())
        printer.setPageMargins(QMarginsF(2, 2, 2, 2), QPageLayout::Millimeter);
    printer.setDocName(title);
    QPainter painter(&printer);
    if (!painter.isActive())
        return; // the printer's state says why
    // Paper wants a size readers are used to, whatever the screen's font.
    QFont font;
    font.setPointSize(SheetPointSize);
    const qreal insetX = printer.logicalDpiX() * 2 / 2.54;
    const qreal insetY = printer.logicalDpiY() * 2 / 2.54;
    const qreal width = printer.width() - 2 * insetX;
    const qreal height = printer.height() - 2 * insetY;
    const qreal gap = 12.0 * printer.logicalDpiY() / 96; // between questions, as on screen
    int page = 1;
    const auto number = [&] {
        painter.setFont(font);
        painter.drawText(QRectF(insetX, printer.height() - insetY, width, insetY), Qt::AlignRight | Qt::AlignVCenter,
            QString::number(page));
    };
    const auto nextPage = [&] {
        number();
        printer.newPage();
        ++page;
    };
    // Each question is laid out on its own and goes whole onto the page it
    // fits on: a question is never parted from its options. A piece taller
    // than a page, a long key, runs on over the pages it needs.
    qreal y = 0;
    for (const TSheetPiece& piece : SheetPieces(title, questions, MakeVariants(questions, options), options.Key)) {
        QTextDocument document;
        document.documentLayout()->setPaintDevice(&printer);
        document.setDefaultFont(font);
        document.setDocumentMargin(0);
        document.setHtml(piece.Html);
        document.setTextWidth(width);
        const qreal pieceHeight = document.size().height();
        if (y > 0 && (piece.NewPage || y + gap + pieceHeight > height)) {
            nextPage();
            y = 0;
        }
        if (y > 0)
            y += gap;
        for (qreal shown = 0; shown < pieceHeight; shown += height) {
            if (shown > 0) {
                nextPage();
                y = 0;
            }
            const qreal part = std::min(height - y, pieceHeight - shown);
            painter.save();
            painter.translate(insetX, insetY + y - shown);
            document.drawContents(&painter, QRectF(0, shown, width, part));
            painter.restore();
            y += part;
        }
    }
    number();
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
