// SPDX-License-Identifier: MIT
#pragma once

#include <QPixmap>
#include <QString>
#include <cstdint>
#include <exception>
#include <string>

class QWidget;

// The executable's name up to its first '.', capitalised: every message box's
// title.
QString ApplicationTitle();
QString TitleFromFileName(const QString& fileName);

// The program's own message: centred, no icon, one OK that Enter and Esc press.
void ShowMessage(const QString& text);

// The one handler for exceptions that reach a window's event handler.
void HandleException(const std::exception& error);
void HandleUnknownException();

// Runs an event handler's body so that no exception crosses Qt's code.
// Returns false when the body failed (its error has been shown).
template <class Body>
bool Guard(Body&& body) noexcept
{
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        HandleException(error);
    } catch (...) {
        HandleUnknownException();
    }
    return false;
}

// Durations as text in the long time format, H:mm:ss.
std::string TimeToStr(std::int64_t milliseconds);
// Accepts h:mm[:ss[.zzz]] with an optional AM/PM, up to 23:59:59.999;
// throws "'text' is not a valid time" otherwise.
std::int64_t StrToTime(const std::string& text);

// Milliseconds on a clock that never jumps and keeps counting during sleep.
std::int64_t ElapsedClockMs();

// Sets a font by its character height in pixels; an empty family means the
// dialog font (MS Sans Serif or the nearest sans serif).
void SetPixelFont(QWidget* widget, const QString& family, int pixels, bool bold = false,
                  bool italic = false);

// A picture of the program's own (assets/).
QPixmap Asset(const QString& name);

// "name.ext" in any folder -> the same path ending in ".out" ("name.out" gets
// a second ".out").
std::string ResultNameFor(const std::string& testFile);
// The file part of a path without its extension.
std::string TestNameOf(const std::string& testFile);
