// SPDX-License-Identifier: MIT
#include "ui/SplashF.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

TEST(SplashWindow, IsAFramelessTitlePictureOnTopWithItsOkHidden)
{
    TSplash splash;
    EXPECT_EQ(Splash, &splash);
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(splash.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash.size(), QSize(492, 323));
    auto* picture = splash.findChild<QLabel*>(QStringLiteral("Image1"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->size(), QSize(488, 319));
    EXPECT_EQ(picture->pixmap().size(), QSize(493, 348));
    EXPECT_TRUE(picture->hasScaledContents());
    EXPECT_TRUE(splash.BitBtn1()->isHidden());
    EXPECT_TRUE(splash.Timer1->isActive());
    EXPECT_EQ(splash.Timer1->interval(), 3300);
}

TEST(SplashWindow, ClosesByItsTimerOrItsOkButNotByEsc)
{
    TSplash splash;
    splash.BitBtn1()->show();
    splash.show();
    QApplication::setActiveWindow(&splash);
    QTest::keyClick(&splash, Qt::Key_Escape);
    splash.BitBtn1()->setFocus();
    QTest::keyClick(splash.BitBtn1(), Qt::Key_Escape);
    EXPECT_TRUE(splash.isVisible());

    QTest::mouseClick(splash.BitBtn1(), Qt::LeftButton);
    EXPECT_FALSE(splash.isVisible());
    splash.show();
    splash.Timer1Timer();
    EXPECT_FALSE(splash.isVisible());
}

} // namespace
