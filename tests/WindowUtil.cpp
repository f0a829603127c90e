// SPDX-License-Identifier: MIT
#include "tests/WindowUtil.h"

#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

void ExpectDesignPosition(const QWidget* window, const QPoint& designed)
{
    const QRect area = window->screen()->availableGeometry();
    const QRect outer = window->frameGeometry();
    if (area.contains(QRect(designed, outer.size()))) {
        EXPECT_EQ(outer.topLeft(), designed);
        return;
    }
    auto fitted = [](int at, int size, int low, int extent) {
        return size <= extent ? at >= low && at + size <= low + extent : at == low;
    };
    EXPECT_TRUE(fitted(outer.x(), outer.width(), area.x(), area.width())) << "left " << outer.x();
    EXPECT_TRUE(fitted(outer.y(), outer.height(), area.y(), area.height())) << "top " << outer.y();
}
