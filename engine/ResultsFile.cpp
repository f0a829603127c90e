// SPDX-License-Identifier: MIT
#include "engine/ResultsFile.h"

#include "engine/Ansi.h"
#include "engine/Files.h"
#include "engine/Run.h"
#include "engine/Settings.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/file.h>

namespace {

// The score line is short; a longer first line is not one, whatever follows.
constexpr std::size_t ScoreLineLimit = 128;

// The fixed texts of the file as the program writes them, in Windows-1251.
struct TFixedTexts {
    std::string scoreHead = ToAnsi(u"Вы ответили правильно на ");
    std::string scoreMiddle = ToAnsi(u" вопрос(-а/-ов) из ");
    std::string scoreHeadUtf8 = "Вы ответили правильно на ";
    std::string separator = std::string(63, '=');
    std::string question = ToAnsi(u"Вопрос:");
    std::string options = ToAnsi(u"Варианты ответов:");
    std::string given = ToAnsi(u"Ваш ответ: ");
    std::string correct = ToAnsi(u"Правильный ответ: ");
};

const TFixedTexts& Fixed()
{
    static const TFixedTexts texts;
    return texts;
}

// A line as the file holds it: CR LF after every line, the last one too.
std::string Line(std::string_view text)
{
    std::string line(text);
    line += "\r\n";
    return line;
}

std::string Decimal(std::size_t n)
{
    return std::to_string(n);
}

// Lines of a file or of bytes in memory, without their line ends. A line
// ends at LF; a CR right before it belongs to the line end (the program
// writes CR LF; a copy converted to LF is read the same).
class TLines {
public:
    TLines(TFile* file, std::string_view bytes, std::size_t maxLine)
        : file_(file)
        , maxLine_(std::min(maxLine, NoLineLimit - 1)) // room for the CR
    {
        if (file_) {
            buffer_ = std::make_unique<char[]>(BufferSize);
        } else {
            data_ = bytes.data();
            size_ = bytes.size();
        }
    }

    // The next line, valid until the following call; false at the end.
    bool Next(std::string_view& line, std::size_t limit)
    {
        limit = std::min(limit, maxLine_);
        long_.clear();
        bool isLong = false;
        for (;;) {
            if (pos_ == size_ && !Fill()) {
                if (!isLong)
                    return false;
                // The last line has no line end: read on, so that a file that
                // is no results at all is told as such, and fail at the end.
                ++number_;
                cut_ = true;
                line = long_;
                return true;
            }
            const char* begin = data_ + pos_;
            const char* lf = static_cast<const char*>(std::memchr(begin, '\n', size_ - pos_));
            const std::size_t length = lf ? std::size_t(lf - begin) : size_ - pos_;
            if ((isLong ? long_.size() : 0) + length > limit + 1)
                throw EResultsError(number_ + 1, Format(ResultsMsg::LongLine, Decimal(limit)));
            if (!lf) {
                long_.append(begin, length);
                isLong = true;
                pos_ = size_;
                continue;
            }
            pos_ += length + 1;
            ++number_;
            if (isLong) {
                long_.append(begin, length);
                line = long_;
            } else {
                line = std::string_view(begin, length);
            }
            if (!line.empty() && line.back() == '\r')
                line.remove_suffix(1);
            if (line.size() > limit)
                throw EResultsError(number_, Format(ResultsMsg::LongLine, Decimal(limit)));
            return true;
        }
    }

    std::size_t Number() const { return number_; }
    // The last line read had no line end.
    bool Cut() const { return cut_; }

private:
    static constexpr std::size_t BufferSize = 64 * 1024;

    bool Fill()
    {
        if (!file_)
            return false;
        size_ = file_->Read(buffer_.get(), BufferSize);
        // A file that grows while read is refused too.
        read_ += size_;
        if (read_ > MaxFileSize)
            ThrowTooLarge();
        data_ = buffer_.get();
        pos_ = 0;
        return size_ > 0;
    }

    TFile* file_;
    std::unique_ptr<char[]> buffer_;
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    std::size_t read_ = 0; // from the file so far
    std::size_t maxLine_;
    std::size_t number_ = 0;
    std::string long_;
    bool cut_ = false;
};

// A decimal number as the program writes it: digits, no sign, no leading
// zero, at most `max`.
bool ParseNumber(std::string_view text, unsigned max, unsigned& value)
{
    if (text.empty() || text.size() > 3 || (text.size() > 1 && text[0] == '0'))
        return false;
    unsigned v = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + unsigned(c - '0');
    }
    if (v > max)
        return false;
    value = v;
    return true;
}

bool StartsWith(std::string_view text, std::string_view head)
{
    return text.substr(0, head.size()) == head;
}

void ReadScoreLine(TLines& lines, TResults& into)
{
    const TFixedTexts& fixed = Fixed();
    std::string_view line;
    bool read = false;
    try {
        read = lines.Next(line, ScoreLineLimit);
    } catch (const EResultsError&) {
        throw EResultsError(1, ResultsMsg::NotScoreLine);
    }
    if (!read)
        throw EResultsError(1, ResultsMsg::Empty);
    if (!StartsWith(line, fixed.scoreHead)) {
        throw EResultsError(1, StartsWith(line, fixed.scoreHeadUtf8) ? ResultsMsg::Utf8 : ResultsMsg::NotScoreLine);
    }
    std::string_view rest = line.substr(fixed.scoreHead.size());
    const std::size_t middle = rest.find(fixed.scoreMiddle);
    unsigned right = 0;
    unsigned count = 0;
    if (middle == std::string_view::npos || !ParseNumber(rest.substr(0, middle), 255, right)
        || !ParseNumber(rest.substr(middle + fixed.scoreMiddle.size()), 255, count))
        throw EResultsError(1, ResultsMsg::NotScoreLine);
    if (right > count)
        throw EResultsError(1, Format(ResultsMsg::RightAboveCount, Decimal(right), Decimal(count)));
    into.Right = right;
    into.Questions = count;
}

// Text of a line in the message: UTF-8, cut short.
std::string Quoted(std::string_view line)
{
    return FromAnsi(line.substr(0, 60)).toStdString();
}

void Expect(bool ok, std::size_t line, const char* what)
{
    if (!ok)
        throw EResultsError(line, Format(ResultsMsg::Expected, what));
}

// "Ваш ответ: N" or "Правильный ответ: N".
unsigned ReadNumberLine(std::string_view line, std::size_t number, std::string_view head, const char* what,
    unsigned max)
{
    Expect(StartsWith(line, head), number, what);
    unsigned value = 0;
    const std::string_view digits = line.substr(head.size());
    if (!ParseNumber(digits, max, value))
        throw EResultsError(number, Format(ResultsMsg::BadNumber, Quoted(digits), Decimal(max)));
    return value;
}

void Parse(TLines& lines, TResults& into)
{
    const TFixedTexts& fixed = Fixed();
    ReadScoreLine(lines, into);

    std::size_t used = 0;
    std::string_view line;
    // Each step takes the next line of the block or fails at the end.
    auto next = [&] {
        if (!lines.Next(line, NoLineLimit))
            throw EResultsError(lines.Number(), ResultsMsg::CutBlock);
    };
    while (lines.Next(line, NoLineLimit)) {
        Expect(line == fixed.separator, lines.Number(), ResultsMsg::Separator);
        if (used == into.Blocks.size())
            into.Blocks.emplace_back();
        TResultBlock& block = into.Blocks[used++];
        next();
        Expect(line == fixed.question, lines.Number(), "Вопрос:");
        next();
        block.Text.assign(line);
        next();
        Expect(line == fixed.options, lines.Number(), "Варианты ответов:");
        next();
        // Options are numbered from 1 in the order shown; at most five.
        std::size_t options = 0;
        for (; options < 5; ++options) {
            const char prefix[3] = {char('1' + options), '.', ' '};
            if (!StartsWith(line, std::string_view(prefix, 3)))
                break;
            if (options == block.Options.size())
                block.Options.emplace_back();
            block.Options[options].assign(line.substr(3));
            next();
        }
        block.Options.resize(options);
        // The answer is the number of an option button, of which there are five.
        block.Given = std::uint8_t(ReadNumberLine(line, lines.Number(), fixed.given, ResultsMsg::AnswerLine, 5));
        // A button is shown for each option listed, and never fewer than two.
        const std::size_t buttons = std::max<std::size_t>(options, 2);
        if (block.Given > buttons)
            throw EResultsError(lines.Number(),
                Format(ResultsMsg::AnswerNotShown, Decimal(block.Given), Decimal(buttons)));
        next();
        block.Correct = std::uint8_t(ReadNumberLine(line, lines.Number(), fixed.correct, ResultsMsg::RightLine, 255));
    }
    into.Blocks.resize(used);
    const std::size_t last = lines.Number();
    if (lines.Cut())
        throw EResultsError(last, ResultsMsg::CutLine);
    if (used == 0)
        return;
    if (used != into.Questions)
        throw EResultsError(last, Format(ResultsMsg::BlockCount, Decimal(used), Decimal(into.Questions)));
    const auto right = std::size_t(std::count_if(into.Blocks.begin(), into.Blocks.end(),
        [](const TResultBlock& b) { return b.Given == b.Correct; }));
    if (right != into.Right)
        throw EResultsError(1, Format(ResultsMsg::ScoreDisagrees, Decimal(into.Right), Decimal(right)));
}

} // namespace

void ReadResults(const std::string& path, TResults& into, std::size_t maxLine)
{
    TFile file(path, O_RDONLY, LOCK_SH, true);
    if (file.Size() > MaxFileSize)
        ThrowTooLarge();
    TLines lines(&file, {}, maxLine);
    Parse(lines, into);
    file.Close();
}

void ParseResults(std::string_view bytes, TResults& into, std::size_t maxLine)
{
    TLines lines(nullptr, bytes, maxLine);
    Parse(lines, into);
}

std::string ScoreLine()
{
    return Fixed().scoreHead + Decimal(CountCorrect()) + Fixed().scoreMiddle + Decimal(QuestionCount);
}

void WriteResults(const std::string& summary)
{
    // Truncate only once the lock is ours, so a file another program holds
    // is left as it was.
    TFile file(ResultFileName, O_WRONLY | O_CREAT, LOCK_EX, false);
    if (file.IsRegular())
        file.Truncate();
    file.Write(Line(summary));
    file.Close();
    for (unsigned k = 1; k <= QuestionCount; ++k)
        if (TestOrder[k])
            WriteQuestionDetail(*TestOrder[k], Answers[k]);
}

void WriteQuestionDetail(const TQuestion& question, std::uint8_t given)
{
    if (!DetailedResults)
        return;
    const TFixedTexts& fixed = Fixed();
    std::string block = Line(fixed.separator);
    block += Line(fixed.question);
    block += Line(question.Text);
    block += Line(fixed.options);
    for (unsigned i = 1; i <= question.OptionCount && i <= 5; ++i)
        block += Line(Decimal(i) + ". " + question.Options[i]);
    block += Line(fixed.given + Decimal(given));
    block += Line(fixed.correct + Decimal(question.Correct));

    TFile file(ResultFileName, O_WRONLY | O_APPEND, LOCK_EX, false);
    file.Write(block);
    file.Close();
}
