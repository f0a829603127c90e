// SPDX-License-Identifier: MIT
#pragma once

class QPoint;
class QWidget;

// A shown window stands at its design position where the screen holds it
// there; elsewhere it is moved onto the screen, and one too large for the
// screen keeps the screen's edge.
void ExpectDesignPosition(const QWidget* window, const QPoint& designed);
