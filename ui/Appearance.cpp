// SPDX-License-Identifier: MIT
#include "ui/Appearance.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

static bool InitAssets()
{
    Q_INIT_RESOURCE(assets);
    return true;
}

void SetPixelFont(QWidget* widget, Face face, int pixels, bool bold, bool italic)
{
    // Where the classic fonts are missing, faces with the same metrics keep
    // the captions within their fixed-size controls. MS Sans Serif is closest
    // to Arial's metrics.
    QStringList families;
    switch (face) {
    case Face::Dialog:
        families = {QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")};
        break;
    case Face::Arial:
        families = {QStringLiteral("Arial"), QStringLiteral("Liberation Sans")};
        break;
    case Face::TimesNewRoman:
        families = {QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")};
        break;
    }
    families << QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    widget->setFont(font);
}

static QString AssetPath(const QString& name)
{
    static const bool ready = InitAssets();
    (void)ready;
    return QStringLiteral(":/") + name;
}

QPixmap Asset(const QString& name)
{
    return QPixmap(AssetPath(name));
}

QByteArray AssetBytes(const QString& name)
{
    QFile file(AssetPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QIcon Glyph(const QString& normal, const QString& disabled)
{
    QIcon icon(Asset(normal));
    icon.addPixmap(Asset(disabled), QIcon::Disabled);
    return icon;
}

QIcon OkGlyph()
{
    return QIcon(Asset(QStringLiteral("ok.png")));
}

void SetWindowDefaults(QWidget* window)
{
    window->setWindowIcon(Asset(QStringLiteral("ekzamo.png")));
    SetPixelFont(window, Face::Dialog, 11);
}

void CentreOnDesktop(QWidget* window, const QSize& outer)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->geometry();
    window->move(desktop.x() + (desktop.width() - outer.width()) / 2,
                 desktop.y() + (desktop.height() - outer.height()) / 2);
}
