// SPDX-License-Identifier: MIT
#include "engine/Gift.h"

#include "engine/Errors.h"

#include <QString>
#include <algorithm>
#include <cstdint>

namespace {

constexpr auto npos = std::string::npos;

// Text with the characters that came from GIFT escapes flagged: those never
// take their special meaning. `Base` is where it starts in its block.
struct TText {
    std::string Text;
    std::vector<char> Escaped;
    std::size_t Base = 0;

    bool Special(std::size_t i, char c) const { return Text[i] == c && !Escaped[i]; }

    std::size_t Find(char c, std::size_t from = 0) const
    {
        for (std::size_t i = from; i < Text.size(); ++i)
            if (Special(i, c))
                return i;
        return npos;
    }

    std::size_t Find(std::string_view what, std::size_t from = 0) const
    {
        for (std::size_t i = Text.find(what, from); i != npos; i = Text.find(what, i + 1))
            if (std::none_of(Escaped.begin() + std::ptrdiff_t(i), Escaped.begin() + std::ptrdiff_t(i + what.size()),
                    [](char e) { return e != 0; }))
                return i;
        return npos;
    }

    std::size_t FindLast(std::string_view what) const
    {
        std::size_t found = npos;
        for (std::size_t i = Find(what); i != npos; i = Find(what, i + 1))
            found = i;
        return found;
    }

    TText Mid(std::size_t from, std::size_t n = npos) const
    {
        from = std::min(from, Text.size());
        n = std::min(n, Text.size() - from);
        return {Text.substr(from, n), {Escaped.begin() + std::ptrdiff_t(from), Escaped.begin() + std::ptrdiff_t(from + n)},
            Base + from};
    }

    TText Trimmed() const
    {
        const std::string_view t = Trim(Text);
        return Mid(std::size_t(t.data() - Text.data()), t.size());
    }

    bool StartsWith(char c) const { return !Text.empty() && Special(0, c); }
};

// A question: its lines joined with line breaks, comment lines blanked, and
// where each line Starts.
struct TBlock {
    TText Text;
    std::vector<std::size_t> Starts;
    std::size_t FirstLine = 0;

    std::size_t LineAt(std::size_t offset) const
    {
        return FirstLine + std::size_t(std::upper_bound(Starts.begin(), Starts.end(), offset) - Starts.begin()) - 1;
    }
};

// Moodle reads "\\" as one backslash and "\~ \= \# \{ \} \:" and "\n" as
// the plain character; any other backslash stays.
void AppendUnescaped(TText& out, std::string_view line)
{
    for (std::size_t i = 0; i < line.size();) {
        // Runs without a backslash go in whole: a line may be very long.
        const std::size_t slash = std::min(line.find('\\', i), line.size());
        out.Text.append(line, i, slash - i);
        out.Escaped.insert(out.Escaped.end(), slash - i, 0);
        i = slash;
        if (i == line.size())
            break;
        char c = '\\';
        bool escaped = false;
        if (i + 1 < line.size()) {
            const char next = line[i + 1];
            if (std::string_view("\\~=#{}:").find(next) != npos) {
                c = next;
                escaped = true;
                ++i;
            } else if (next == 'n') {
                c = '\n';
                escaped = true;
                ++i;
            }
        }
        out.Text += c;
        out.Escaped.push_back(escaped);
        ++i;
    }
}

void AppendUtf8(std::string& out, char32_t code)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        code = 0xFFFD;
    else if (code < ' ' || code == 0x7F)
        code = ' '; // no control characters from a reference
    const char32_t one[1] = {code};
    out += QString::fromUcs4(one, 1).toStdString();
}

// HTML as the text it shows: tags dropped, paragraphs and line breaks as
// spaces, character references decoded.
std::string HtmlToText(const std::string& html, bool& onlyParagraphs)
{
    static const std::pair<const char*, char32_t> entities[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
    std::string out;
    onlyParagraphs = true;
    for (std::size_t i = 0; i < html.size(); ++i) {
        if (html[i] == '<') {
            const std::size_t end = html.find('>', i);
            if (end == npos) {
                out += html.substr(i);
                break;
            }
            std::string tag = QString::fromStdString(html.substr(i + 1, end - i - 1)).toLower().toStdString();
            tag = tag.substr(0, tag.find_first_of(" \t\n/", tag.starts_with('/') ? 1 : 0));
            if (tag != "p" && tag != "/p" && tag != "br")
                onlyParagraphs = false;
            if (tag == "/p" || tag == "br")
                out += ' ';
            i = end;
            continue;
        }
        if (html[i] == '&') {
            const std::size_t end = html.find(';', i);
            if (end != npos && end - i <= 10) {
                const std::string name = html.substr(i + 1, end - i - 1);
                char32_t code = 0;
                if (name.size() > 1 && name[0] == '#') {
                    const bool hex = name[1] == 'x' || name[1] == 'X';
                    bool ok = false;
                    const uint value = QString::fromStdString(name.substr(hex ? 2 : 1)).toUInt(&ok, hex ? 16 : 10);
                    code = ok ? char32_t(value) : 0;
                } else {
                    for (const auto& [entity, c] : entities)
                        if (name == entity)
                            code = c;
                }
                if (code) {
                    AppendUtf8(out, code);
                    i = end;
                    continue;
                }
            }
        }
        out += html[i];
    }
    return out;
}

// Line breaks inside a wording or an option, a lone CR among them, become
// one space.
std::string OneLine(std::string_view text)
{
    text = Trim(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t lineBreak = std::min(text.find_first_of("\r\n", i), text.size());
        out.append(text, i, lineBreak - i);
        if (lineBreak == text.size())
            break;
        while (!out.empty() && (out.back() == ' ' || out.back() == '\t'))
            out.pop_back();
        i = text.find_first_not_of(" \t\r\n", lineBreak);
        out += ' ';
    }
    return out;
}

enum class TFormat { Moodle, Html, Plain, Markdown };

// "[html]" and the like before a text name its format; anything else in
// brackets is text.
std::string TextOf(const TText& raw, TFormat& format, std::size_t line, std::vector<TFormatNote>& notes)
{
    std::string s = raw.Text;
    if (!s.empty() && s[0] == '[') {
        static const std::pair<const char*, TFormat> names[] = {
            {"moodle", TFormat::Moodle}, {"html", TFormat::Html}, {"plain", TFormat::Plain}, {"markdown", TFormat::Markdown}};
        const std::size_t end = s.find(']');
        for (const auto& [name, f] : names) {
            if (end != npos && s.compare(1, end - 1, name) == 0) {
                format = f;
                s.erase(0, end + 1);
                break;
            }
        }
    }
    if (format == TFormat::Html) {
        bool onlyParagraphs = true;
        s = HtmlToText(s, onlyParagraphs);
        if (!onlyParagraphs)
            notes.push_back({line, GiftMsg::Html});
    }
    return OneLine(s);
}

bool WeightPrefix(const std::string& answer, double& weight, std::size_t& length)
{
    // Moodle's pattern: %, any minus signs, one or two digits, an optional
    // fraction, %.
    std::size_t i = 1;
    if (answer.empty() || answer[0] != '%')
        return false;
    while (i < answer.size() && answer[i] == '-')
        ++i;
    const std::size_t digits = i;
    while (i < answer.size() && i - digits < 2 && answer[i] >= '0' && answer[i] <= '9')
        ++i;
    if (i == digits)
        return false;
    std::string number = answer.substr(digits, i - digits);
    if (i < answer.size() && answer[i] == '.')
        ++i;
    const std::size_t fraction = i;
    while (i < answer.size() && answer[i] >= '0' && answer[i] <= '9')
        ++i;
    if (i >= answer.size() || answer[i] != '%')
        return false;
    if (i > fraction)
        number.append(".").append(answer, fraction, i - fraction);
    weight = QString::fromStdString(number).toDouble();
    length = i + 1;
    return true;
}

class TGiftReader {
public:
    TPlainTest Read(std::string_view utf8);

private:
    void Question(const TBlock& block);
    void Skip(std::size_t line, const char* kind) { out_.Notes.push_back({line, Format(GiftMsg::OtherKind, kind)}); }

    TPlainTest out_;
};

TPlainTest TGiftReader::Read(std::string_view utf8)
{
    if (utf8.starts_with(Utf8Bom))
        utf8.remove_prefix(Utf8Bom.size());
    TBlock block;
    std::size_t line = 0;
    std::size_t pos = 0;
    while (pos <= utf8.size()) {
        std::size_t end = utf8.find('\n', pos);
        const bool last = end == npos;
        if (last)
            end = utf8.size();
        std::string_view text = utf8.substr(pos, end - pos);
        if (text.ends_with('\r'))
            text.remove_suffix(1);
        ++line;
        if (Trim(text).empty()) {
            if (!block.Starts.empty())
                Question(block);
            block = {};
        } else {
            if (block.Starts.empty())
                block.FirstLine = line;
            else
                AppendUnescaped(block.Text, "\n");
            block.Starts.push_back(block.Text.Text.size());
            // Comment lines count as blank within a question.
            AppendUnescaped(block.Text, Trim(text).starts_with("//") ? std::string_view(" ") : text);
        }
        if (last)
            break;
        pos = end + 1;
    }
    if (!block.Starts.empty())
        Question(block);
    return std::move(out_);
}

void TGiftReader::Question(const TBlock& block)
{
    TText text = block.Text.Trimmed();
    if (text.Text.empty())
        return;
    const std::size_t first = block.LineAt(text.Base);
    if (text.Text.starts_with("$CATEGORY:") && !text.Escaped[9])
        return;
    // The title is dropped: Ekzamo's questions have none.
    if (text.Text.starts_with("::") && !text.Escaped[0] && !text.Escaped[1]) {
        const std::size_t end = text.Find("::", 2);
        text = end == npos ? text.Mid(2) : text.Mid(end + 2).Trimmed();
    }
    const std::size_t open = text.Find('{');
    const std::size_t close = text.Find('}');
    if (open == npos && close == npos)
        return Skip(first, GiftMsg::Description);
    if (open == npos || close == npos || close < open) {
        out_.Notes.push_back({first, GiftMsg::Braces});
        return;
    }
    TText answers = text.Mid(open + 1, close - open - 1).Trimmed();
    // The answers at the end are removed; in the middle they leave a blank
    // to fill.
    TText wording = text.Mid(0, open);
    if (!text.Special(text.Text.size() - 1, '}')) {
        const TText after = text.Mid(close + 1);
        wording.Text += "_____" + after.Text;
        wording.Escaped.insert(wording.Escaped.end(), 5, 1);
        wording.Escaped.insert(wording.Escaped.end(), after.Escaped.begin(), after.Escaped.end());
    }
    const std::size_t general = answers.FindLast("####");
    if (general != npos) {
        out_.Notes.push_back({block.LineAt(answers.Base + general), GiftMsg::GeneralFeedback});
        answers = answers.Mid(0, general).Trimmed();
    }

    if (answers.Text.empty())
        return Skip(first, GiftMsg::Essay);
    if (answers.StartsWith('#'))
        return Skip(first, GiftMsg::Numerical);
    if (answers.Find('~') == npos) {
        if (answers.Find('=') != npos && answers.Find("->") != npos)
            return Skip(first, GiftMsg::Matching);
        std::string check = answers.Text;
        const std::size_t hash = answers.Find('#');
        if (hash != npos && hash > 0)
            check = std::string(Trim(check.substr(0, hash)));
        if (check == "T" || check == "TRUE" || check == "F" || check == "FALSE")
            return Skip(first, GiftMsg::TrueFalse);
        return Skip(first, GiftMsg::ShortAnswer);
    }
    if (answers.Find('=') == npos)
        return Skip(first, GiftMsg::SeveralRight);

    // Moodle splits before every '~' and '='.
    std::vector<TText> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= answers.Text.size(); ++i) {
        const bool end = i == answers.Text.size();
        if (end || answers.Special(i, '~') || answers.Special(i, '=')) {
            parts.push_back(answers.Mid(start, i - start));
            start = end || answers.Text[i] == '~' ? i + 1 : i;
        }
    }
    if (!parts.empty() && Trim(parts.front().Text).empty())
        parts.erase(parts.begin());

    TFormat format = TFormat::Moodle;
    TPlainQuestion q;
    q.Line = first;
    std::vector<TFormatNote> notes;
    q.Text = TextOf(wording.Trimmed(), format, first, notes);
    int right = 0;
    for (TText part : parts) {
        part = part.Trimmed();
        const std::size_t line = block.LineAt(part.Base);
        bool isRight = false;
        if (part.StartsWith('=')) {
            isRight = true;
            part = part.Mid(1);
        } else {
            double weight = 0;
            std::size_t length = 0;
            if (WeightPrefix(part.Text, weight, length)) {
                if (weight != 0)
                    return Skip(first, GiftMsg::Weighted);
                part = part.Mid(length);
            }
        }
        const std::size_t hash = part.Find('#');
        if (hash != npos) {
            notes.push_back({block.LineAt(part.Base + hash), GiftMsg::Feedback});
            part = part.Mid(0, hash);
        }
        TFormat answerFormat = format;
        std::string option = TextOf(part.Trimmed(), answerFormat, line, notes);
        if (option.empty()) {
            notes.push_back({line, GiftMsg::EmptyOptionDropped});
            continue;
        }
        q.Options.push_back(std::move(option));
        q.OptionLines.push_back(line);
        if (isRight) {
            ++right;
            q.Correct = int(q.Options.size());
        }
    }
    if (right > 1)
        return Skip(first, GiftMsg::SeveralRight);
    if (const char* obstacle = CommonObstacle(q)) {
        out_.Notes.push_back({first, Format(FormatMsg::Skipped, obstacle)});
        return;
    }
    out_.Notes.insert(out_.Notes.end(), notes.begin(), notes.end());
    out_.Questions.push_back(std::move(q));
}

std::string Escaped(std::string_view text)
{
    constexpr std::string_view special = "\\~=#{}:";
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t next = std::min(text.find_first_of(special, i), text.size());
        out.append(text, i, next - i);
        if (next == text.size())
            break;
        out += '\\';
        out += text[next];
        i = next + 1;
    }
    return out;
}

// Plain text, so that Moodle shows '<', '&' and the like as they are and
// does not take a leading "[html]" or "//" for GIFT.
bool NeedsPlain(const TPlainQuestion& q)
{
    const std::string_view text = Trim(q.Text);
    const auto markup = [](std::string_view t) { return t.find_first_of("<>&") != npos; };
    return text.starts_with('[') || text.starts_with("//") || markup(text)
        || std::any_of(q.Options.begin(), q.Options.end(), markup);
}

} // namespace

TPlainTest ReadGift(std::string_view utf8)
{
    return TGiftReader().Read(utf8);
}

std::string GiftBytes(const std::vector<TPlainQuestion>& questions, std::vector<TFormatNote>& notes)
{
    std::string out;
    for (const TPlainQuestion& q : questions) {
        const char* obstacle = CommonObstacle(q);
        for (std::size_t i = 0; !obstacle && i < q.Options.size(); ++i) {
            double weight = 0;
            std::size_t length = 0;
            if (int(i) + 1 != q.Correct && WeightPrefix(std::string(Trim(q.Options[i])), weight, length))
                obstacle = FormatMsg::PercentOption;
        }
        if (obstacle) {
            notes.push_back({q.Line, Format(FormatMsg::Skipped, obstacle)});
            continue;
        }
        bool trimmed = Trim(q.Text).size() != q.Text.size();
        if (!out.empty())
            out += '\n';
        if (NeedsPlain(q))
            out += "[plain]";
        out += Escaped(Trim(q.Text));
        out += "{\n";
        for (std::size_t i = 0; i < q.Options.size(); ++i) {
            const std::string_view option = Trim(q.Options[i]);
            trimmed = trimmed || option.size() != q.Options[i].size();
            out += int(i) + 1 == q.Correct ? "\t=" : "\t~";
            if (option.starts_with('['))
                out += "[plain]";
            out += Escaped(option);
            out += '\n';
        }
        out += "}\n";
        if (trimmed)
            notes.push_back({q.Line, FormatMsg::Trimmed});
    }
    // The readers drop a byte order mark that starts the file, so one that
    // starts the first wording needs another before it.
    if (out.starts_with(Utf8Bom))
        out.insert(0, Utf8Bom);
    return out;
}
