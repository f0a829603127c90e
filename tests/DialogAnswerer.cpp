// SPDX-License-Identifier: MIT
#include "tests/DialogAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>

DialogAnswerer::DialogAnswerer()
{
    connect(&timer_, &QTimer::timeout, this, &DialogAnswerer::Poll);
    timer_.start(5);
}

QStringList DialogAnswerer::Texts() const
{
    QStringList texts;
    for (const Box& box : boxes)
        texts << box.text;
    return texts;
}

void DialogAnswerer::ChooseFile(const QString& path)
{
    onFileDialog = [path](QFileDialog* dialog) {
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept(); // QFileDialog checks the choice first
    };
}

bool DialogAnswerer::eventFilter(QObject* watched, QEvent* event)
{
    // A dialog shown again (the same file dialog, say) is a new question.
    if (event->type() == QEvent::Hide)
        watched->setProperty("answered", false);
    return false;
}

void DialogAnswerer::Poll()
{
    // Each modal window is handled once; a handler may open further modal
    // windows, which this timer answers from their own event loops.
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal->property("answered").toBool())
        return;
    modal->setProperty("answered", true);
    modal->installEventFilter(this);
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        boxes.push_back({box->text(), box->windowTitle(), box->icon()});
        if (onBox)
            onBox(boxes.back());
        box->button(QMessageBox::Ok)->click();
    } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        if (onFileDialog)
            onFileDialog(files);
        else
            files->reject();
    } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        if (onDialog)
            onDialog(dialog);
        else
            dialog->reject();
    }
}
