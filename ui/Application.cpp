// SPDX-License-Identifier: MIT
#include "ui/Application.h"

#include <QApplication>
#include <QDBusConnection>
#include <QIconEngine>
#include <QLibraryInfo>
#include <QPointer>
#include <QProxyStyle>
#include <QTranslator>
#include <fontconfig/fontconfig.h>
#include <thread>

namespace {

// A standard icon of a style, read when it is first drawn or measured.
class LateIconEngine : public QIconEngine {
public:
    LateIconEngine(const QStyle* style, QStyle::StandardPixmap which)
        : style_(style)
        , which_(which)
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return Icon().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().availableSizes(mode, state);
    }
    bool isNull() override { return Icon().isNull(); }
    QIconEngine* clone() const override { return new LateIconEngine(*this); }

private:
    QIcon& Icon()
    {
        if (!read_) {
            read_ = true;
            if (style_)
                icon_ = style_->standardIcon(which_);
        }
        return icon_;
    }

    QPointer<const QStyle> style_;
    QStyle::StandardPixmap which_;
    bool read_ = false;
    QIcon icon_;
};

// The desktop's style, with the overflow icons read when first drawn: a menu
// bar asks for its overflow button's icon as it is made, and reading it loads
// every image plugin installed, for a button a short menu bar never shows.
class LateIconStyle : public QProxyStyle {
public:
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton)
            return QIcon(new LateIconEngine(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }
};

} // namespace

int RunApplication(int& argc, char** argv, const std::function<int()>& body)
{
    std::thread fonts([] { FcInit(); });
    QApplication app(argc, argv);
    // Opened once the application exists; accessibility then finds it open.
    std::thread bus([] { QDBusConnection::sessionBus(); });
    fonts.join();

    // The programs speak Russian whatever the system's language, and so do
    // Qt's own dialogs (the file dialog) when their translation is installed.
    auto* qtTexts = new QTranslator(&app);
    if (qtTexts->load(QStringLiteral("qtbase_ru"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(qtTexts);
    // A menu bar of the desktop's own would change the windows' designed
    // sizes, and asking the desktop for one costs a round trip on the bus.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication::setStyle(new LateIconStyle);

    const int code = body();
    bus.join();
    return code;
}
