// SPDX-License-Identifier: MIT
#include "editor/NotesDialog.h"

#include "ui/Messages.h"
#include "ui_NotesDialog.h"

#include <QPushButton>

namespace {

constexpr qsizetype SaidNotes = 10;

} // namespace

TNotesDialog::TNotesDialog(const QString& summary, const QStringList& notes, QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TNotesDialog>())
{
    ui->setupUi(this);
    setWindowTitle(ApplicationTitle());
    ui->Summary->setText(summary);
    // Notes quote the file: plain text, as list items are.
    ui->Notes->addItems(notes);
    ui->Notes->setCurrentRow(0);
    // Said when the window opens, as a message box's text is: the first few.
    setAccessibleDescription((QStringList {summary} + notes.mid(0, SaidNotes)).join(u'\n'));
    connect(ui->Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    ui->Buttons->button(QDialogButtonBox::Ok)->setDefault(true);
}

TNotesDialog::~TNotesDialog() = default;
