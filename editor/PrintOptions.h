// SPDX-License-Identifier: MIT
#pragma once

#include "editor/Sheet.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TPrintOptions;
}

// Asks how to print: the number of variants, shuffling, answer keys.
class TPrintOptions : public QDialog {
    Q_OBJECT

public:
    explicit TPrintOptions(QWidget* parent = nullptr);
    ~TPrintOptions() override;

    TSheetOptions Options() const;

    void VariantsChanged(int variants);

private:
    std::unique_ptr<Ui::TPrintOptions> ui;
    int previousVariants_ = 1;
};
