// SPDX-License-Identifier: MIT
#include "ui/Messages.h"

#include "engine/Errors.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace {

void ShowBox(QMessageBox::Icon icon, const QString& text)
{
    QMessageBox box(icon, ApplicationTitle(), text, QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    // Read out with the box, not only as one of its labels.
    box.setAccessibleDescription(text);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

} // namespace

QString ApplicationTitle()
{
    // A program that names itself for display (Qt says its name otherwise)
    // is called so in every box.
    const QString display = QGuiApplication::applicationDisplayName();
    if (display != QCoreApplication::applicationName())
        return display;
    return TitleFromFileName(QFileInfo(QCoreApplication::applicationFilePath()).fileName());
}

QString TitleFromFileName(const QString& fileName)
{
    const QString name = fileName.left(fileName.indexOf(u'.'));
    return name.left(1) + name.mid(1).toLower();
}

void ShowMessage(const QString& text)
{
    ShowBox(QMessageBox::NoIcon, text);
}

void HandleException(const std::exception& error)
{
    ShowBox(QMessageBox::Critical, QString::fromUtf8(AsShown(error.what())));
}

void HandleUnknownException()
{
    ShowBox(QMessageBox::Critical, QStringLiteral("Unknown error."));
}
