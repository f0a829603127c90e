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
    options.Variants = ui->Variants->value();
    options.Shuffle = ui->Shuffle->isChecked();
    options.Key = ui->Key->isChecked();
    return options;
}

void TPrintOptions::VariantsChanged(int variants)
{
    // Several variants are for telling neighbours apart: shuffled when the
    // teacher first asks for more than one, and as the teacher says after.
    Guard([this, variants] {
        if (variants > 1 && previousVariants_ == 1)
            ui->Shuffle->setChecked(true);
        previousVariants_ = variants;
    });
}
