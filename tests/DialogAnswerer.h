// SPDX-License-Identifier: MIT
#pragma once

#include <QMessageBox>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

class QDialog;
class QFileDialog;

// Answers every modal window the program opens, so no test waits on a person:
// message boxes are recorded and closed with their button, other dialogs go
// to the handler the test set (by default they are rejected).
// Types a file name into a file dialog and presses Enter.
void TypeFileName(QFileDialog* dialog, const QString& path);

class DialogAnswerer : public QObject {
    Q_OBJECT
public:
    struct Box {
        QString text;
        QString title;
        QMessageBox::Icon icon;
    };

    DialogAnswerer();

    std::vector<Box> boxes;
    // The button pressed in a box that has it (a question); OK otherwise.
    QMessageBox::StandardButton reply = QMessageBox::Ok;
    // Runs while a message box is open, before it is answered.
    std::function<void(const Box&)> onBox;
    std::function<void(QFileDialog*)> onFileDialog;
    std::function<void(QDialog*)> onDialog;

    QStringList Texts() const;
    // Chooses `path` in the next file dialog.
    void ChooseFile(const QString& path);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Poll();
    void Answer(QWidget* modal);
    QTimer timer_;
};
