// SPDX-License-Identifier: MIT
#include "journal/ClassList.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Paths.h"
#include "engine/Text.h"
#include "journal/Journal.h"

#include <algorithm>
#include <set>

namespace {

// Longer than any name, shorter than a file that is no list.
constexpr qsizetype MaxName = 200;

} // namespace

std::vector<QString> ParseClassList(std::string_view bytes, const std::string& path)
{
    const std::string shown = EscapedPath(path);
    if (const std::size_t bad = FirstNonText(bytes, false); bad != NoPlace)
        throw EError(Format(ClassListMsg::NotText, shown, std::to_string(LineAt(bytes, bad))));
    QString text;
    if (SavedAsUtf8(bytes)) {
        if (bytes.substr(0, Utf8Bom.size()) == Utf8Bom)
            bytes.remove_prefix(Utf8Bom.size());
        text = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    } else {
        text = FromAnsi(bytes);
    }
    std::vector<QString> names;
    std::set<QString> seen;
    const QStringList lines = text.split(u'\n');
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const QString name = lines[k].simplified();
        // Bytes Windows-1251 leaves undefined come out as control characters.
        if (std::any_of(name.begin(), name.end(), [](QChar c) { return c.category() == QChar::Other_Control; }))
            throw EError(Format(ClassListMsg::NotText, shown, std::to_string(k + 1)));
        if (name.size() > MaxName)
            throw EError(Format(ClassListMsg::LongLine, shown, std::to_string(k + 1), std::to_string(MaxName)));
        if (!name.isEmpty() && seen.insert(StudentKey(name)).second)
            names.push_back(name);
    }
    if (names.empty())
        throw EError(Format(ClassListMsg::Empty, shown));
    return names;
}

std::vector<QString> ReadClassList(const std::string& path)
{
    std::string bytes;
    try {
        bytes = ReadWholeFile(path);
    } catch (const EInOutError& e) {
        throw EError(Format(ClassListMsg::Unreadable, EscapedPath(path), ReadFailure(e, path)));
    } catch (const EError& e) {
        throw EError(Format(ClassListMsg::Unreadable, EscapedPath(path), e.what()));
    }
    return ParseClassList(bytes, path);
}
