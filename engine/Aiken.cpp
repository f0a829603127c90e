// SPDX-License-Identifier: MIT
#include "engine/Aiken.h"

#include "engine/Errors.h"

namespace {

// Moodle's "^[A-Z][).]": a letter, then ')' or '.', the blank after it being
// optional.
bool IsOptionLine(std::string_view line)
{
    return line.size() >= 2 && line[0] >= 'A' && line[0] <= 'Z' && (line[1] == ')' || line[1] == '.');
}

bool IsAnswerLine(std::string_view line)
{
    return line.starts_with("ANSWER:");
}

class TAikenReader {
public:
    TPlainTest Read(std::string_view utf8);

private:
    void Line(std::string_view line, std::size_t number);
    void Drop(std::string why)
    {
        out_.Notes.push_back({open_.Line, std::move(why)});
        open_ = {};
        isOpen_ = false;
    }

    TPlainTest out_;
    TPlainQuestion open_;
    bool isOpen_ = false;
};

TPlainTest TAikenReader::Read(std::string_view utf8)
{
    if (utf8.starts_with(Utf8Bom))
        utf8.remove_prefix(Utf8Bom.size());
    std::size_t number = 1;
    std::size_t start = 0;
    // Lines end at LF, CR LF or a lone CR.
    for (std::size_t i = 0; i <= utf8.size(); ++i) {
        if (i < utf8.size() && utf8[i] != '\n' && utf8[i] != '\r')
            continue;
        Line(utf8.substr(start, i - start), number);
        if (i + 1 < utf8.size() && utf8[i] == '\r' && utf8[i + 1] == '\n')
            ++i;
        start = i + 1;
        ++number;
    }
    if (isOpen_)
        Drop(AikenMsg::NoAnswer);
    return std::move(out_);
}

void TAikenReader::Line(std::string_view raw, std::size_t number)
{
    const std::string_view line = Trim(raw);
    if (line.size() < 2) // as Moodle: too short to mean anything
        return;
    if (IsOptionLine(line)) {
        if (!isOpen_) {
            out_.Notes.push_back({number, AikenMsg::OptionOutside});
            return;
        }
        open_.Options.emplace_back(Trim(line.substr(2)));
        open_.OptionLines.push_back(number);
    } else if (IsAnswerLine(line)) {
        if (!isOpen_) {
            out_.Notes.push_back({number, AikenMsg::AnswerOutside});
            return;
        }
        const std::string_view letter = Trim(line.substr(7)).substr(0, 1);
        if (open_.Options.size() < 2)
            return Drop(AikenMsg::FewOptions);
        const int index = letter.empty() ? -1 : letter[0] - 'A';
        if (index < 0 || std::size_t(index) >= open_.Options.size())
            return Drop(Format(AikenMsg::BadAnswer, std::string(letter)));
        open_.Correct = index + 1;
        if (const char* obstacle = CommonObstacle(open_))
            return Drop(Format(FormatMsg::Skipped, obstacle));
        out_.Questions.push_back(std::move(open_));
        open_ = {};
        isOpen_ = false;
    } else if (isOpen_ && open_.Options.empty()) {
        // A wording over several lines is joined.
        open_.Text += ' ';
        open_.Text += line;
    } else {
        if (isOpen_)
            Drop(AikenMsg::NoAnswer);
        open_.Line = number;
        open_.Text = line;
        isOpen_ = true;
    }
}

} // namespace

TPlainTest ReadAiken(std::string_view utf8)
{
    return TAikenReader().Read(utf8);
}

std::string AikenBytes(const std::vector<TPlainQuestion>& questions, std::vector<TFormatNote>& notes)
{
    std::string out;
    for (const TPlainQuestion& q : questions) {
        const std::string_view wording = Trim(q.Text);
        const char* obstacle = CommonObstacle(q);
        if (!obstacle && q.Options.size() > 26)
            obstacle = FormatMsg::ManyOptions;
        if (!obstacle && wording.size() < 2)
            obstacle = FormatMsg::ShortWording;
        if (!obstacle && (IsOptionLine(wording) || IsAnswerLine(wording)))
            obstacle = FormatMsg::WordingLikeOption;
        if (obstacle) {
            notes.push_back({q.Line, Format(FormatMsg::Skipped, obstacle)});
            continue;
        }
        bool trimmed = wording.size() != q.Text.size();
        if (!out.empty())
            out += '\n';
        out += wording;
        out += '\n';
        for (std::size_t i = 0; i < q.Options.size(); ++i) {
            const std::string_view option = Trim(q.Options[i]);
            trimmed = trimmed || option.size() != q.Options[i].size();
            out += char('A' + i);
            out += ") ";
            out += option;
            out += '\n';
        }
        out += "ANSWER: ";
        out += char('A' + q.Correct - 1);
        out += '\n';
        if (trimmed)
            notes.push_back({q.Line, FormatMsg::Trimmed});
    }
    // The readers drop a byte order mark that starts the file, so one that
    // starts the first wording needs another before it.
    if (out.starts_with(Utf8Bom))
        out.insert(0, Utf8Bom);
    return out;
}
