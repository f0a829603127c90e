// SPDX-License-Identifier: MIT
#include "editor/PrintOptions.h"

#include "ui/Messages.h"
#include "ui_PrintOptions.h"

#include <QPushButton>

TPrintOptions::TPrintOptions(QWidget* parent)
    : QDialog(parent)
    , ui(std::make_unique<Ui::TPrintOptions>())
{
    ui->setupUi(this);
    connect(ui->Buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui->Buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ui->Variants, &QSpinBox::valueChanged, this, &TPrintOptions::VariantsChanged);
}

TPrintOptions::~TPrintOptions() = default;

TSheetOptions TPrintOptions::Options() const
{
    TSheetOptions options;
    options.variants = ui->Variants->value();
    options.shuffle = ui->Shuffle->isChecked();
    options.key = ui->Key->isChecked();
    return options;
}

void TPrintOptions::VariantsChanged(int variants)
{
    // Several variants are for telling neighbours apart: shuffled unless the
    // teacher says otherwise.
    Guard([this, variants] {
        if (variants > 1 && !ui->Shuffle->isChecked())
            ui->Shuffle->setChecked(true);
    });
}
