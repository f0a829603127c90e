// SPDX-License-Identifier: MIT
#include "engine/Ansi.h"
#include "engine/Ques.h"
#include "ui/MainUnit.h"
#include "ui/Widgets.h"
#include "ui_MainUnit.h"

void ShowQuestion(const TQuestion& question)
{
    Ui::TMF& ui = *MF->ui;
    ui.GB->setTitle(QStringLiteral("Вопрос №%1 из %2").arg(CurrentPos).arg(QuestionCount));
    ui.Vopros->setTextFormat(Qt::RichText);
    ui.Vopros->setText(MnemonicToHtml(FromAnsi(question.Text)));
    ui.Vopros->setAccessibleName(MnemonicToPlain(FromAnsi(question.Text)));
    ui.Otv3->setVisible(question.OptionCount >= 3);
    ui.Otv4->setVisible(question.OptionCount >= 4);
    ui.Otv5->setVisible(question.OptionCount >= 5);
    // An exclusive group cannot be left with nothing checked.
    ui.Otvety->setExclusive(false);
    for (int k = 1; k <= 5; ++k) {
        QAbstractButton* option = ui.Otvety->button(k);
        option->setText(FromAnsi(question.Options[std::size_t(k)]));
        option->setAccessibleName(MnemonicToPlain(option->text()));
        option->setChecked(false);
    }
    ui.Otvety->setExclusive(true);
}
