// SPDX-License-Identifier: MIT
#include "ui/SplashF.h"

#include <QLabel>
#include <QPushButton>
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

} // namespace
