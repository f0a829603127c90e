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

template <class Out, class In>
Out Shown(In marked, bool* droppedMarker)
{
    Out out;
    const bool dropped = ForEachShown(marked, [&out](auto c, bool) { out += c; });
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
