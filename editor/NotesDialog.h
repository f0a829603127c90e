// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

namespace Ui {
class TNotesDialog;
}

// What an import or export left out or changed: a line of summary above the
// notes, which scroll however many there are.
class TNotesDialog : public QDialog {
    Q_OBJECT

public:
    TNotesDialog(const QString& summary, const QStringList& notes, QWidget* parent = nullptr);
    ~TNotesDialog() override;

private:
    std::unique_ptr<Ui::TNotesDialog> ui;
};
