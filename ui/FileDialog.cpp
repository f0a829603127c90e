// SPDX-License-Identifier: MIT
#include "ui/FileDialog.h"

#include "engine/Ansi.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

std::string RunOpenDialog(QWidget* owner, const QString& description)
{
    // A dialog of its own each time: its name completer, whose popup comes up
    // late when the folder's listing arrives, must go with it.
    QFileDialog dialog(owner);
    dialog.setObjectName(QStringLiteral("OpenDialog1"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(description + QStringLiteral(" (*.txt)"));
    dialog.setSizeGripEnabled(true);
    dialog.setDirectory(QDir::currentPath());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QFileInfo chosen(dialog.selectedFiles().constFirst());
    // Like the classic dialog, a choice moves the current directory.
    QDir::setCurrent(chosen.absolutePath());
    return ToNativePath(chosen.absoluteFilePath());
}
