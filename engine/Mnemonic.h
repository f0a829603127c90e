// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <string>
#include <string_view>

// '&' in a test's texts is the accelerator marker: "&&" shows one '&' and
// "&x" shows an underlined x. Tools that let a teacher write text as the
// student sees it convert here. '&' is the same byte in Windows-1251 and in
// UTF-8, so the byte versions serve both.

// Shown text as it must be written: every '&' doubled.
std::string MarkedFromShown(std::string_view shown);
QString MarkedFromShown(QStringView shown);

// Written text as it is shown: "&&" becomes '&', a lone marker is dropped
// (its character kept). `droppedMarker`, when given, tells whether one was.
std::string ShownFromMarked(std::string_view marked, bool* droppedMarker = nullptr);
QString ShownFromMarked(QStringView marked, bool* droppedMarker = nullptr);
