// SPDX-License-Identifier: MIT
#pragma once

#include "editor/Document.h"
#include "engine/Exchange.h"

#include <QString>
#include <QStringList>
#include <vector>

// One warning about the test being edited, naming its question (from 0)
// and the field to show for it.
struct TEditorWarning {
    int Question = 0;
    int Field = Fields::Wording;
    QString Text;
    // The character in the field the warning is about, or -1.
    qsizetype At = -1;
    qsizetype Length = 0;

    bool operator==(const TEditorWarning&) const = default;
};

// The checker's warnings on the file the questions would be saved as,
// mapped back to their questions, and the editor's own: empty options and
// characters that Windows-1251 cannot hold. In question order.
std::vector<TEditorWarning> EditorWarnings(const std::vector<TEditQuestion>& questions);

// "Вопрос 3, вариант 2: text", as the warnings pane lists it.
QString WarningLabel(const TEditorWarning& warning);

// Notes on a file's lines as the editor lists them: in line order, each
// placed by `place` ("строка %1") and with its question's title where the
// file gives one.
QStringList NoteLines(std::vector<TFormatNote> notes, const QString& place);
