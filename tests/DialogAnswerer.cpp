// SPDX-License-Identifier: MIT
#include "tests/DialogAnswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QPointer>

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

void TypeFileName(QFileDialog* dialog, const QString& path)
{
    // Typed, as a person would: selectFile() leaves a focused name field alone.
    auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    name->setText(path);
    QTest::keyClick(name, Qt::Key_Return);
}

void DialogAnswerer::ChooseFile(const QString& path)
{
    onFileDialog = [path](QFileDialog* dialog) {
        TypeFileName(dialog, path);
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
    // Each modal window is handled once, from a timer event of its own: a
    // timer does not fire again inside its own slot, so handling it here would
    // leave the modal windows a handler opens unanswered.
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || modal->property("answered").toBool())
        return;
    modal->setProperty("answered", true);
    modal->installEventFilter(this);
    QTimer::singleShot(0, this, [this, window = QPointer<QWidget>(modal)] {
        if (window)
            Answer(window);
    });
}

void DialogAnswerer::Answer(QWidget* modal)
{
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        boxes.push_back({box->text(), box->windowTitle(), box->icon()});
        if (onBox)
            onBox(boxes.back());
        QAbstractButton* button = box->button(reply);
        if (!button)
            button = box->button(QMessageBox::Ok);
        if (!button)
            button = box->escapeButton();
        if (button)
            button->click();
        else
            box->reject();
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
