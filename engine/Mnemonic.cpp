// SPDX-License-Identifier: MIT
#include "engine/Mnemonic.h"

namespace {

template <class Out, class In>
Out Marked(In shown)
{
    Out out;
    out.reserve(decltype(out.size())(shown.size()));
    for (const auto c : shown) {
        if (c == u'&')
            out += c;
        out += c;
    }
    return out;
}

// A marker at the very end shows nothing, as in the program's labels.
template <class Out, class In>
Out Shown(In marked, bool* droppedMarker)
{
    Out out;
    bool dropped = false;
    for (decltype(marked.size()) i = 0; i < marked.size(); ++i) {
        if (marked[i] == u'&') {
            if (++i >= marked.size()) {
                dropped = true;
                break;
            }
            if (marked[i] != u'&')
                dropped = true;
        }
        out += marked[i];
    }
    if (droppedMarker)
        *droppedMarker = dropped;
    return out;
}

} // namespace

std::string MarkedFromShown(std::string_view shown)
{
    return Marked<std::string>(shown);
}

QString MarkedFromShown(QStringView shown)
{
    return Marked<QString>(shown);
}

std::string ShownFromMarked(std::string_view marked, bool* droppedMarker)
{
    return Shown<std::string>(marked, droppedMarker);
}

QString ShownFromMarked(QStringView marked, bool* droppedMarker)
{
    return Shown<QString>(marked, droppedMarker);
}
