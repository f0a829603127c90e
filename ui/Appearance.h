// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QSize;
class QWidget;

// The classic faces the windows are drawn in.
enum class TFace { Dialog, Arial, TimesNewRoman };

// Sets a font by its character height in pixels.
void SetPixelFont(QWidget* widget, TFace face, int pixels, bool bold = false, bool italic = false);

// A picture of the program's own (assets/), and the bytes of its file.
QPixmap Asset(const QString& name);
QByteArray AssetBytes(const QString& name);
// The program's picture, the icon of its windows and the editor's.
QIcon ProgramIcon();
// A button glyph with its own picture for the disabled state.
QIcon Glyph(const QString& normal, const QString& disabled);
// The glyph of the standard OK button.
QIcon OkGlyph();

// Gives a window the program's icon and the default font, MS Sans Serif
// 11 px high.
void SetWindowLook(QWidget* window);
// Moves the window onto its screen each time it is shown (FitOnScreen).
void KeepOnScreen(QWidget* window);

// Makes the default font the application's, for the message boxes and the
// file dialog, and so that text laid out before a window's font reaches it
// (a memo lays out its empty text as it is made) needs no second face.
void SetApplicationFont();

// Names in the application font the face the desktop's font is drawn in,
// where the desktop names a generic family such as "Sans Serif": Qt finds
// the face for a generic name by a search through the fallbacks of every
// font made from it, which costs a first window more than all else its fonts
// need. The face stays the same.
void UseDesktopFace();

// Moves a window just enough to bring it, frame included, wholly onto the
// available area of its screen; one larger than the area keeps its top left
// corner there. Before the window manager has framed it, a classic frame is
// assumed.
void FitOnScreen(QWidget* window);

// Places a window of the given outer size in the middle of the desktop.
void CentreOnDesktop(QWidget* window, const QSize& outer);
