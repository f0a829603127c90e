// SPDX-License-Identifier: MIT
#include "ui/Appearance.h"

#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QApplication>
#include <QEvent>
#include <QImageReader>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <fontconfig/fontconfig.h>

static bool InitAssets()
{
    Q_INIT_RESOURCE(assets);
    return true;
}

namespace {

// The first of the faces that is installed, else the system's own. One family
// that is sure to be there spares Qt a search for fallbacks for each missing
// one, which costs more at start-up than everything else the fonts need.
QString InstalledFamily(std::initializer_list<QString> wanted)
{
    // The installed families by name: hasFamily() would first ask the font
    // configuration to resolve each name, which costs more than the list.
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : wanted)
        if (installed.contains(family, Qt::CaseInsensitive))
            return family;
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

const QString& FamilyOf(TFace face)
{
    // Where the classic fonts are missing, faces with the same metrics keep
    // the captions within their fixed-size controls. MS Sans Serif is closest
    // to Arial's metrics.
    switch (face) {
    case TFace::Arial: {
        static const QString family = InstalledFamily({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
        return family;
    }
    case TFace::TimesNewRoman: {
        static const QString family =
            InstalledFamily({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif")});
        return family;
    }
    case TFace::Dialog:
        break;
    }
    static const QString family = InstalledFamily({QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans")});
    return family;
}

// The family of the face the font configuration draws a family name in.
QString MatchedFamily(const QString& name)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name.toUtf8().constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    QString family;
    FcChar8* value = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &value) == FcResultMatch)
        family = QString::fromUtf8(reinterpret_cast<const char*>(value));
    if (match)
        FcPatternDestroy(match);
    return family;
}

} // namespace

static QFont PixelFont(TFace face, int pixels, bool bold = false, bool italic = false)
{
    QFont font(FamilyOf(face));
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void SetPixelFont(QWidget* widget, TFace face, int pixels, bool bold, bool italic)
{
    widget->setFont(PixelFont(face, pixels, bold, italic));
}

static QString AssetPath(const QString& name)
{
    static const bool ready = InitAssets();
    (void)ready;
    return QStringLiteral(":/") + name;
}

// The pictures are PNG: with the format named, Qt does not load every image
// plugin installed to ask each whether it reads the file.
QPixmap Asset(const QString& name)
{
    QImageReader reader(AssetPath(name), "png");
    reader.setAutoDetectImageFormat(false);
    return QPixmap::fromImage(reader.read());
}

QByteArray AssetBytes(const QString& name)
{
    QFile file(AssetPath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QIcon ProgramIcon()
{
    return QIcon(Asset(QStringLiteral("ekzamo.png")));
}

// The pictures are read as the icon is made, not when it is first drawn.
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

namespace {

// Fits its window onto the screen each time the window is shown.
class ScreenFitter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            FitOnScreen(static_cast<QWidget*>(watched));
        return false;
    }
};

} // namespace

void SetWindowLook(QWidget* window)
{
    window->setWindowIcon(ProgramIcon());
    SetPixelFont(window, TFace::Dialog, 11);
}

void KeepOnScreen(QWidget* window)
{
    window->installEventFilter(new ScreenFitter(window));
}

void SetApplicationFont()
{
    QApplication::setFont(PixelFont(TFace::Dialog, 11));
}

void UseDesktopFace()
{
    QFont font = QApplication::font();
    const QString family = MatchedFamily(font.family());
    if (family.isEmpty() || family.compare(font.family(), Qt::CaseInsensitive) == 0)
        return;
    font.setFamily(family);
    QApplication::setFont(font);
}

void FitOnScreen(QWidget* window)
{
    const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // A window's position is its frame's; the frame's size is known once the
    // window is framed.
    QSize frame = window->frameGeometry().size();
    if (frame == window->size() && !(window->windowFlags() & Qt::FramelessWindowHint))
        frame = frame.grownBy(QMargins(4, 30, 4, 4));
    const QRect outer(window->pos(), frame);
    const int x = std::max(area.left(), std::min(outer.left(), area.right() + 1 - outer.width()));
    const int y = std::max(area.top(), std::min(outer.top(), area.bottom() + 1 - outer.height()));
    if (x != outer.left() || y != outer.top())
        window->move(x, y);
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
