// SPDX-License-Identifier: MIT
#include "engine/Formats.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Mnemonic.h"

#include <QString>
#include <algorithm>

namespace {

std::string Shown(const std::string& marked, bool utf8, std::size_t line, std::vector<TFormatNote>& notes)
{
    bool dropped = false;
    const std::string shown = ShownFromMarked(utf8 ? marked : FromAnsi(marked).toStdString(), &dropped);
    if (dropped)
        notes.push_back({line, FormatMsg::LoneMarker});
    return shown;
}

// Line breaks (a GIFT "\n") cannot stand in a line of a test file.
std::string Marked(const std::string& utf8, std::size_t line, std::vector<TFormatNote>& errors)
{
    QString text = QString::fromUtf8(utf8);
    text.replace(u'\n', u' ');
    const qsizetype bad = FirstNonAnsi(text);
    if (bad >= 0) {
        const TCharacter character = CharacterAt(text, bad);
        errors.push_back({line, Format(FormatMsg::NotAnsi, character.Text.toStdString(), character.Code.toStdString())});
        return {};
    }
    return ToAnsi(MarkedFromShown(QStringView(text)));
}

} // namespace

TPlainTest PlainFromTest(const TTestContent& content, bool utf8)
{
    TPlainTest plain;
    for (std::size_t k = 0; k < content.Items.size(); ++k) {
        const TTestItem& item = content.Items[k];
        TPlainQuestion q;
        q.Line = k < content.Lines.size() ? content.Lines[k] : k + 1;
        q.Text = Shown(item.Text, utf8, q.Line, plain.Notes);
        for (std::size_t i = 0; i < item.Options.size(); ++i) {
            q.OptionLines.push_back(q.Line + 3 + i);
            q.Options.push_back(Shown(item.Options[i], utf8, q.OptionLines.back(), plain.Notes));
        }
        q.Correct = item.Correct;
        plain.Questions.push_back(std::move(q));
    }
    if (!content.StopMessage.empty()) {
        const bool tooMany = content.StopMessage == Msg::TooManyQuestions;
        plain.Notes.push_back({content.StopLine,
            Format(tooMany ? FormatMsg::TooManyQuestions : FormatMsg::Stopped, content.StopMessage)});
    }
    std::stable_sort(plain.Notes.begin(), plain.Notes.end(),
        [](const TFormatNote& a, const TFormatNote& b) { return a.Line < b.Line; });
    return plain;
}

std::vector<TTestItem> TestFromPlain(const std::vector<TPlainQuestion>& questions, std::vector<TFormatNote>& errors)
{
    std::vector<TTestItem> items;
    for (const TPlainQuestion& q : questions) {
        TTestItem item;
        item.Text = Marked(q.Text, q.Line, errors);
        for (std::size_t i = 0; i < q.Options.size(); ++i)
            item.Options.push_back(Marked(q.Options[i], i < q.OptionLines.size() ? q.OptionLines[i] : q.Line, errors));
        item.Correct = q.Correct;
        items.push_back(std::move(item));
    }
    return items;
}

const char* CommonObstacle(const TPlainQuestion& q)
{
    if (Trim(q.Text).empty())
        return FormatMsg::NoWording;
    if (q.Options.size() < 2)
        return FormatMsg::FewOptions;
    if (q.Correct < 1 || std::size_t(q.Correct) > q.Options.size())
        return FormatMsg::NoRightOption;
    for (const std::string& option : q.Options)
        if (Trim(option).empty())
            return FormatMsg::EmptyOption;
    return nullptr;
}

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}
