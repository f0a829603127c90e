// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <exception>

// Every message box's title: the program's display name where it sets one,
// else the executable's name up to its first '.', capitalised.
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
