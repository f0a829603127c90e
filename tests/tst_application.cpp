// SPDX-License-Identifier: MIT
// The start shared by the program and the editor, tested from inside it: the
// cases run as the body of RunApplication.
#include "ui/Appearance.h"
#include "ui/Application.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFontInfo>
#include <QImage>
#include <QMenuBar>
#include <QPainter>
#include <QProxyStyle>
#include <QStyle>
#include <QStyleFactory>
#include <gtest/gtest.h>

#include <memory>

namespace {

QImage Drawn(const QIcon& icon)
{
    return icon.pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

TEST(Application, MenusStayInTheirWindows)
{
    EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_DontUseNativeMenuBar));
    QMenuBar bar;
    EXPECT_FALSE(bar.isNativeMenuBar());
}

// The style reads the overflow icons late, and draws the desktop style's own.
TEST(Application, TheOverflowIconsAreTheDesktopStylesOwn)
{
    QStyle* style = QApplication::style();
    const auto* proxy = qobject_cast<QProxyStyle*>(style);
    ASSERT_NE(proxy, nullptr);
    const QString desktop = proxy->baseStyle()->name();
    const std::unique_ptr<QStyle> plain(QStyleFactory::create(desktop));
    ASSERT_NE(plain, nullptr) << desktop.toStdString();
    for (const auto which : {QStyle::SP_ToolBarHorizontalExtensionButton, QStyle::SP_ToolBarVerticalExtensionButton}) {
        const QIcon late = style->standardIcon(which);
        ASSERT_FALSE(late.isNull());
        EXPECT_EQ(Drawn(late), Drawn(plain->standardIcon(which))) << which;
        EXPECT_EQ(late.availableSizes(), plain->standardIcon(which).availableSizes()) << which;
    }
    // Every other icon is the style's own as it stands.
    EXPECT_EQ(Drawn(style->standardIcon(QStyle::SP_MessageBoxCritical)),
              Drawn(plain->standardIcon(QStyle::SP_MessageBoxCritical)));
}

TEST(Application, QtsOwnTextsAreRussianWhereTheirTranslationIsInstalled)
{
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    if (cancel == QStringLiteral("Cancel"))
        GTEST_SKIP() << "qt6-translations-l10n is not installed";
    EXPECT_EQ(cancel, QStringLiteral("Отмена"));
}

// Text drawn in a font, to tell faces apart by what the user sees.
QImage Paper()
{
    QImage image(240, 40, QImage::Format_ARGB32);
    image.fill(Qt::white);
    return image;
}

QImage Written(const QFont& font)
{
    QImage image = Paper();
    QPainter painter(&image);
    painter.setFont(font);
    painter.drawText(image.rect(), Qt::AlignCenter, QStringLiteral("Ёжик съел 12 Wq&g"));
    return image;
}

// The family as installed, without the foundry Qt adds where one family comes
// from several ("Nimbus Sans [urw]").
QString WithoutFoundry(QString family)
{
    const qsizetype bracket = family.lastIndexOf(QStringLiteral(" ["));
    if (bracket > 0 && family.endsWith(QLatin1Char(']')))
        family.truncate(bracket);
    return family;
}

// The desktop's font made to name its installed face draws the same face at
// the same size, and the name is the family as installed, not a generic one
// Qt must search fallbacks for. ctest runs this case again on font sets of
// its own, one of them a family from three foundries.
TEST(Application, TheDesktopFaceIsNamedAsInstalledAndStaysTheSame)
{
    const QFont before = QApplication::font();
    const QFontInfo drawn(before);
    UseDesktopFace();
    const QFont after = QApplication::font();
    QApplication::setFont(before);
    EXPECT_EQ(QFontInfo(after).family().toStdString(), drawn.family().toStdString()) << before.family().toStdString();
    EXPECT_EQ(QFontInfo(after).styleName().toStdString(), drawn.styleName().toStdString());
    EXPECT_EQ(QFontInfo(after).pixelSize(), drawn.pixelSize());
    ASSERT_NE(Written(before), Paper()) << "no face draws here";
    EXPECT_EQ(Written(after), Written(before));
    EXPECT_EQ(after.family().toStdString(), WithoutFoundry(drawn.family()).toStdString());
}

int main(int argc, char** argv)
{
    // Offscreen unless told otherwise, so that listing the cases needs no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    testing::InitGoogleTest(&argc, argv);
    return RunApplication(argc, argv, [] { return RUN_ALL_TESTS(); });
}
