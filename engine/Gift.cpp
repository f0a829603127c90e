// SPDX-License-Identifier: MIT
#include "engine/Gift.h"

#include "engine/Errors.h"

#include <QRegularExpression>
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

struct TEntity {
    std::string_view Name;
    std::string_view Text;
};

// Every named character reference HTML defines.
constexpr TEntity Entities[] = {
#include "engine/HtmlEntities.inc"
};

constexpr std::size_t LongestEntity = [] {
    std::size_t longest = 0;
    for (const TEntity& e : Entities)
        longest = std::max(longest, e.Name.size());
    return longest;
}();

// The text of a named reference, empty for a name HTML does not define.
std::string_view EntityText(std::string_view name)
{
    const auto found = std::lower_bound(std::begin(Entities), std::end(Entities), name,
        [](const TEntity& e, std::string_view n) { return e.Name < n; });
    return found != std::end(Entities) && found->Name == name ? found->Text : std::string_view();
}

// The file an <img> tag shows, by its name without the folder.
std::string PictureName(const std::string& tag)
{
    static const QRegularExpression src(QStringLiteral(R"(\ssrc\s*=\s*["']?([^"'\s>]*))"),
        QRegularExpression::CaseInsensitiveOption);
    const QString path = src.match(QString::fromStdString(tag)).captured(1);
    return path.mid(path.lastIndexOf(u'/') + 1).toStdString();
}

// HTML as the text it shows: tags dropped, paragraphs and line breaks as
// spaces, character references decoded. The pictures dropped are named in
// `pictures`.
std::string HtmlToText(const std::string& html, bool& onlyParagraphs, std::vector<std::string>& pictures)
{
    std::string out;
    onlyParagraphs = true;
    for (std::size_t i = 0; i < html.size(); ++i) {
        if (html[i] == '<') {
            const std::size_t end = html.find('>', i);
            if (end == npos) {
                out += html.substr(i);
                break;
            }
            const std::string whole = html.substr(i + 1, end - i - 1);
            std::string tag = QString::fromStdString(whole).toLower().toStdString();
            tag = tag.substr(0, tag.find_first_of(" \t\n/", tag.starts_with('/') ? 1 : 0));
            if (tag != "p" && tag != "/p" && tag != "br")
                onlyParagraphs = false;
            if (tag == "/p" || tag == "br")
                out += ' ';
            if (tag == "img")
                pictures.push_back(PictureName(whole));
            i = end;
            continue;
        }
        if (html[i] == '&') {
            // Looked for no further than the longest name, so that text
            // full of '&' takes no longer than its length.
            const std::size_t semicolon = std::string_view(html).substr(i, LongestEntity + 2).find(';');
            const std::size_t end = semicolon == npos ? npos : i + semicolon;
            if (end != npos) {
                const std::string name = html.substr(i + 1, end - i - 1);
                if (name.size() > 1 && name[0] == '#') {
                    const bool hex = name[1] == 'x' || name[1] == 'X';
                    bool ok = false;
                    const uint value = QString::fromStdString(name.substr(hex ? 2 : 1)).toUInt(&ok, hex ? 16 : 10);
                    if (ok && value) {
                        AppendUtf8(out, char32_t(value));
                        i = end;
                        continue;
                    }
                } else if (const std::string_view text = EntityText(name); !text.empty()) {
                    // &Tab; and &NewLine; are blanks like any other.
                    out += text.size() == 1 && static_cast<unsigned char>(text[0]) < ' ' ? std::string_view(" ") : text;
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
        std::vector<std::string> pictures;
        s = HtmlToText(s, onlyParagraphs, pictures);
        // As a browser shows it: a run of blanks, one left where a tag was
        // dropped between two, is one space.
        s.erase(std::unique(s.begin(), s.end(), [](char a, char b) { return (a == ' ' || a == '\t') && (b == ' ' || b == '\t'); }),
            s.end());
        if (!onlyParagraphs)
            notes.push_back({line, GiftMsg::Html});
        for (const std::string& picture : pictures)
            notes.push_back({line, picture.empty() ? std::string(GiftMsg::Picture) : Format(GiftMsg::NamedPicture, picture)});
    }
    return OneLine(s);
}

// Feedback that shows nothing, as Moodle writes after every answer ("=a#"),
// is no loss.
bool EmptyFeedback(const TText& feedback, TFormat format)
{
    std::vector<TFormatNote> unused;
    return TextOf(feedback.Trimmed(), format, 0, unused).empty();
}

// A penalty is a negative weight.
bool WeightPrefix(const std::string& answer, double& weight, std::size_t& length)
{
    // Moodle's pattern: %, any minus signs, one or two digits, an optional
    // fraction, %.
    std::size_t i = 1;
    if (answer.empty() || answer[0] != '%')
        return false;
    while (i < answer.size() && answer[i] == '-')
        ++i;
    const bool negative = i > 1;
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
    weight = QString::fromStdString(number).toDouble() * (negative ? -1 : 1);
    length = i + 1;
    return true;
}

bool StartsTitle(const TText& text, std::size_t at)
{
    return at + 1 < text.Text.size() && text.Special(at, ':') && text.Special(at + 1, ':');
}

bool StartsCategory(const TText& text, std::size_t at)
{
    return text.Text.compare(at, 10, "$CATEGORY:") == 0 && !text.Escaped[at + 9];
}

// Where the question that starts at `from` ends when no blank line parts it
// from the next: after a category's line, or after the answers where a title
// opens a later line or another '{' follows. npos where the rest is one
// question, as in the missing-word form, whose wording goes on after the
// answers.
std::size_t NextQuestion(const TText& text, std::size_t from)
{
    if (StartsCategory(text, from)) {
        const std::size_t lineEnd = text.Find('\n', from);
        return lineEnd == npos ? npos : lineEnd + 1;
    }
    if (StartsTitle(text, from)) {
        const std::size_t end = text.Find("::", from + 2);
        from = end == npos ? text.Text.size() : end + 2;
    }
    const std::size_t open = text.Find('{', from);
    const std::size_t close = text.Find('}', from);
    if (open == npos || close == npos || close < open)
        return npos;
    const std::size_t again = text.Find('{', close + 1);
    const std::size_t lineEnd = text.Find('\n', close + 1);
    if (again != npos && (lineEnd == npos || again < lineEnd))
        return close + 1; // a second set of answers on the same line
    if (lineEnd == npos)
        return npos;
    for (std::size_t at = lineEnd; at != npos && (again == npos || at < again); at = text.Find('\n', at + 1)) {
        const std::size_t start = text.Text.find_first_not_of(" \t", at + 1);
        if (start != npos && StartsTitle(text, start))
            return at + 1;
    }
    return again == npos ? npos : lineEnd + 1;
}

class TGiftReader {
public:
    TPlainTest Read(std::string_view utf8);

private:
    void Block(const TBlock& block);
    void Question(const TBlock& block, TText text, bool noBlankLine);
    void Answers(const TBlock& block, const TText& text, std::size_t first);
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
                Block(block);
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
        Block(block);
    std::stable_sort(out_.Notes.begin(), out_.Notes.end(),
        [](const TFormatNote& a, const TFormatNote& b) { return a.Line < b.Line; });
    return std::move(out_);
}

// The questions of a block, parted where GIFT leaves no doubt that a blank
// line was forgotten between them.
void TGiftReader::Block(const TBlock& block)
{
    const TText& text = block.Text;
    for (std::size_t from = 0, count = 0; from < text.Text.size(); ++count) {
        from = text.Text.find_first_not_of(" \t\r\n", from);
        if (from == npos)
            break;
        const std::size_t next = NextQuestion(text, from);
        Question(block, text.Mid(from, next == npos ? npos : next - from).Trimmed(), count > 0);
        from = next == npos ? text.Text.size() : next;
    }
}

void TGiftReader::Question(const TBlock& block, TText text, bool noBlankLine)
{
    if (text.Text.empty())
        return;
    const std::size_t first = block.LineAt(text.Base);
    const std::size_t notesBefore = out_.Notes.size();
    if (noBlankLine)
        out_.Notes.push_back({first, GiftMsg::NoBlankLine});
    if (StartsCategory(text, 0))
        return;
    // Ekzamo's questions have no title; the notes on a question name it.
    std::string title;
    if (StartsTitle(text, 0)) {
        const std::size_t end = text.Find("::", 2);
        title = OneLine(text.Mid(2, end == npos ? npos : end - 2).Text);
        text = end == npos ? text.Mid(2) : text.Mid(end + 2).Trimmed();
    }
    Answers(block, text, first);
    for (std::size_t k = notesBefore; k < out_.Notes.size(); ++k)
        out_.Notes[k].Title = title;
}

// The answers of a question, from its wording on: `first` is its line.
void TGiftReader::Answers(const TBlock& block, const TText& text, std::size_t first)
{
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
        if (!EmptyFeedback(answers.Mid(general + 4), TFormat::Moodle))
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
    bool penalised = false;
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
                // A penalty leaves the answer wrong; partial credit has no
                // place in Ekzamo.
                if (weight > 0)
                    return Skip(first, GiftMsg::Weighted);
                if (weight < 0 && !penalised) {
                    notes.push_back({line, GiftMsg::Penalties});
                    penalised = true;
                }
                part = part.Mid(length);
            }
        }
        const std::size_t hash = part.Find('#');
        if (hash != npos) {
            if (!EmptyFeedback(part.Mid(hash + 1), format))
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
