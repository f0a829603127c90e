// SPDX-License-Identifier: MIT
#include "editor/Warnings.h"

#include "editor/Markers.h"
#include "engine/Ansi.h"
#include "engine/Check.h"
#include "engine/TestFile.h"

#include <algorithm>

namespace {

const QString EmptyOption = QStringLiteral("пустой вариант ответа");
const QString NotAnsi = QStringLiteral("символ «%1» (U+%2) нельзя записать в Windows-1251: замените его, иначе "
                                       "файл не сохранится");
const QString QuestionLabel = QStringLiteral("Вопрос %1");
const QString OptionLabel = QStringLiteral(", вариант %1");
const QString NoteTitle = QStringLiteral("(«%1»)");

} // namespace

std::vector<TEditorWarning> EditorWarnings(const std::vector<TEditQuestion>& questions)
{
    std::vector<TEditorWarning> warnings;
    // Where each question's lines start in the file, counted from 1: the
    // wording, the count, the right number, then one line per option.
    std::vector<std::size_t> starts;
    starts.reserve(questions.size());
    std::size_t line = 1;
    for (const TEditQuestion& q : questions) {
        starts.push_back(line);
        line += 3 + std::size_t(q.Options.size());
    }
    for (const TCheckWarning& w : CheckTestBytes(TestFileBytes(ToItems(questions))).Warnings) {
        const auto next = std::upper_bound(starts.begin(), starts.end(), w.Line);
        if (next == starts.begin())
            continue;
        const int k = int(next - starts.begin()) - 1;
        const std::size_t offset = w.Line - starts[std::size_t(k)];
        const int field = offset == 0 ? Fields::Wording
            : offset == 1             ? Fields::OptionList
            : offset == 2             ? Fields::RightMark
                                      : int(offset - 2);
        warnings.push_back({k, field, QString::fromStdString(w.Text)});
    }
    for (std::size_t k = 0; k < questions.size(); ++k) {
        const TEditQuestion& q = questions[k];
        for (int field = 0; field <= q.Options.size(); ++field) {
            const QString& text = field == 0 ? q.Text : q.Options[field - 1];
            if (field > 0 && text.trimmed().isEmpty())
                warnings.push_back({int(k), field, EmptyOption});
            const TBadSpot bad = BadCharacterIn(text);
            if (bad.At >= 0)
                warnings.push_back({int(k), field, NotAnsi.arg(bad.Character, CharacterAt(text, bad.At).Code), bad.At,
                    bad.Character.size()});
        }
    }
    std::stable_sort(warnings.begin(), warnings.end(), [](const TEditorWarning& a, const TEditorWarning& b) {
        return a.Question < b.Question;
    });
    return warnings;
}

QString WarningLabel(const TEditorWarning& warning)
{
    QString label = QuestionLabel.arg(warning.Question + 1);
    if (warning.Field > 0)
        label += OptionLabel.arg(warning.Field);
    return label + QStringLiteral(": ") + warning.Text;
}

QStringList NoteLines(std::vector<TFormatNote> notes, const QString& place)
{
    std::stable_sort(notes.begin(), notes.end(), [](const TFormatNote& a, const TFormatNote& b) { return a.Line < b.Line; });
    QStringList lines;
    lines.reserve(qsizetype(notes.size()));
    for (const TFormatNote& note : notes) {
        QString line = note.Line > 0 ? place.arg(note.Line) : QString();
        if (!note.Title.empty())
            line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + NoteTitle.arg(QString::fromStdString(note.Title));
        lines << (line.isEmpty() ? QString() : line + QStringLiteral(": ")) + QString::fromStdString(note.Text);
    }
    return lines;
}
