// SPDX-License-Identifier: MIT
#pragma once

#include "editor/Document.h"

#include <QString>
#include <vector>

// One warning about the test being edited, naming its question (from 0)
// and the field to show for it.
struct TEditorWarning {
    int Question = 0;
    int Field = Fields::Wording;
    QString Text;

    bool operator==(const TEditorWarning&) const = default;
};

// The checker's warnings on the file the questions would be saved as,
// mapped back to their questions, and the editor's own: empty options and
// characters that Windows-1251 cannot hold. In question order.
std::vector<TEditorWarning> EditorWarnings(const std::vector<TEditQuestion>& questions);

// "Вопрос 3, вариант 2: text", as the warnings pane lists it.
QString WarningLabel(const TEditorWarning& warning);
