// SPDX-License-Identifier: MIT
#include "tests/TestUtil.h"
#include "ui/AF.h"

#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

TEST(AboutWindow, ShowsTheProgramsTextsLogoAndPhotograph)
{
    TAboutForm about;
    about.show();
    EXPECT_EQ(AboutForm, &about);
    EXPECT_EQ(about.windowTitle(), QStringLiteral("О программе..."));
    EXPECT_EQ(about.size(), QSize(571, 247));
    EXPECT_FALSE(about.windowIcon().isNull());
    const std::pair<const char*, const char*> texts[] = {
        {"Label1", "Программа Ekzamo"},
        {"Label2", "тестирование - проверка знаний - обучение"},
        {"Label15", "Версия 2.09"},
        {"Label3", "Автор:"},
    };
    for (const auto& [name, text] : texts) {
        auto* label = Find<QLabel>(&about, name);
        EXPECT_EQ(label->text(), QString::fromUtf8(text)) << name;
        EXPECT_LE(label->geometry().right(), label->parentWidget()->contentsRect().right()) << name << " fits";
    }
    EXPECT_EQ(Find<QLabel>(&about, "Image1")->pixmap().size(), QSize(76, 38));
    // The photograph keeps its own size, so its last column is cut off.
    auto* photo = Find<QLabel>(&about, "Image2");
    EXPECT_EQ(photo->pixmap().size(), QSize(105, 64));
    EXPECT_EQ(photo->size(), QSize(104, 64));
    EXPECT_FALSE(photo->toolTip().isEmpty());

    auto* ok = Find<QPushButton>(&about, "BitBtn1");
    EXPECT_EQ(ok->text(), QStringLiteral("OK"));
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(ok->icon().isNull());
}

TEST(AboutWindow, IsPutTogetherOnceHoweverOftenItIsShown)
{
    TAboutForm about;
    for (int k = 0; k < 3; ++k) {
        about.show();
        about.hide();
    }
    about.show();
    EXPECT_EQ(about.findChildren<QPushButton*>(QStringLiteral("BitBtn1")).size(), 1);
    EXPECT_EQ(about.size(), QSize(571, 247));
}

TEST(AboutWindow, ArialInItsHeightsWeightsAndColours)
{
    TAboutForm about;
    about.show();
    const QColor maroon(0x80, 0, 0), navy(0, 0, 0x80);
    const QColor plain = about.palette().color(QPalette::WindowText);
    const struct {
        const char* label;
        int pixels;
        bool bold, italic;
        QColor colour;
    } labels[] = {
        {"Label1", 16, true, false, maroon}, {"Label2", 13, true, true, navy},
        {"Label3", 13, true, true, plain},   {"Label4", 13, true, false, navy},
    };
    for (const auto& l : labels) {
        SCOPED_TRACE(l.label);
        auto* label = Find<QLabel>(&about, l.label);
        const QFont font = label->font();
        EXPECT_EQ(font.pixelSize(), l.pixels);
        EXPECT_EQ(font.bold(), l.bold);
        EXPECT_EQ(font.italic(), l.italic);
        const QString drawn = QFontInfo(font).family();
        EXPECT_TRUE(drawn == QStringLiteral("Arial") || drawn == QStringLiteral("Liberation Sans")) << drawn.toStdString();
        EXPECT_EQ(label->palette().color(QPalette::WindowText), l.colour);
    }
    const QFont window = Find<QLabel>(&about, "Label15")->font();
    EXPECT_EQ(window.pixelSize(), 11);
    EXPECT_FALSE(window.bold());
}

} // namespace
