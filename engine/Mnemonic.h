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

// Calls shown(character, marked) for each character a text with '&' markers
// shows: "&x" is a marked x, "&&" a plain '&', and a marker with nothing
// after it shows nothing. Returns whether a lone marker was dropped. Every
// reading of the markers walks the text here.
template <class Text, class Shown>
bool ForEachShown(const Text& marked, Shown shown)
{
    bool dropped = false;
    for (decltype(marked.size()) i = 0; i < marked.size(); ++i) {
        if (marked[i] != u'&') {
            shown(marked[i], false);
            continue;
        }
        // A marker at the very end shows nothing, as in the program's labels.
        if (++i >= marked.size())
            return true;
        const bool marks = marked[i] != u'&';
        dropped = dropped || marks;
        shown(marked[i], marks);
    }
    return dropped;
}
