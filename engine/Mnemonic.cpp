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
    if (shown.find('&') == std::string_view::npos)
        return std::string(shown); // the usual case, and fast for a long line
    return Marked<std::string>(shown);
}

QString MarkedFromShown(QStringView shown)
{
    if (!shown.contains(u'&'))
        return shown.toString();
    return Marked<QString>(shown);
}

std::string ShownFromMarked(std::string_view marked, bool* droppedMarker)
{
    if (marked.find('&') == std::string_view::npos) {
        if (droppedMarker)
            *droppedMarker = false;
        return std::string(marked);
    }
    return Shown<std::string>(marked, droppedMarker);
}

QString ShownFromMarked(QStringView marked, bool* droppedMarker)
{
    return Shown<QString>(marked, droppedMarker);
}
