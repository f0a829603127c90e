// SPDX-License-Identifier: MIT
#include "engine/Check.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Paths.h"
#include "engine/TestReader.h"
#include "engine/Text.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace {

constexpr std::uint64_t NotRead = ~std::uint64_t(0);

std::string N(long long value)
{
    return std::to_string(value);
}

bool IsBlank(unsigned char c)
{
    return c <= ' ';
}

// What a student would see as nothing at all.
bool Blank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return IsBlank(static_cast<unsigned char>(c)); });
}

class TChecker {
public:
    explicit TChecker(std::string_view bytes)
        : bytes_(bytes)
    {
        starts_.push_back(0);
        for (std::size_t i = 0; i < bytes_.size(); ++i)
            if (bytes_[i] == '\n')
                starts_.push_back(i + 1);
    }

    void Warn(std::uint64_t offset, std::string text)
    {
        report_.Warnings.push_back({LineOf(offset), std::move(text)});
    }

    // A question group read whole.
    void Group(const TGroup& g, const TGroupPlaces& p);
    void BadNumber(const TGroup& g, const TGroupPlaces& p);
    void Bytes(std::uint64_t end, bool stopped);

    TCheckReport Done()
    {
        std::stable_sort(report_.Warnings.begin(), report_.Warnings.end(),
            [](const TCheckWarning& a, const TCheckWarning& b) { return a.Line < b.Line; });
        return std::move(report_);
    }

private:
    std::size_t LineOf(std::uint64_t offset) const
    {
        return std::size_t(std::upper_bound(starts_.begin(), starts_.end(), offset) - starts_.begin());
    }

    bool AtEof(std::uint64_t offset) const { return offset >= bytes_.size(); }

    bool BlankFrom(std::uint64_t offset) const
    {
        return Blank(bytes_.substr(std::min<std::uint64_t>(offset, bytes_.size())));
    }

    void CheckWrapped(const TNumberPlace& place, std::int32_t value)
    {
        if (value < 0 || value > 255)
            Warn(place.Offset, Format(CheckMsg::Wrapped, N(value), N(std::uint8_t(value))));
    }

    TCheckReport report_;
    std::string_view bytes_;
    std::vector<std::uint64_t> starts_; // offset of each line's first byte
};

void TChecker::Group(const TGroup& g, const TGroupPlaces& p)
{
    ++report_.Groups;
    // Nothing but blank lines left: the reader still makes a question of them.
    if (BlankFrom(p.Text)) {
        Warn(p.Text, CheckMsg::TrailingEmpty);
        return;
    }
    if (Blank(g.Text))
        Warn(p.Text, CheckMsg::EmptyWording);
    if (AtEof(p.Count.Offset) || AtEof(p.Correct.Offset)) {
        Warn(p.Text, CheckMsg::CutShort);
        return;
    }
    CheckWrapped(p.Count, g.Count);
    CheckWrapped(p.Correct, g.Correct);
    const unsigned count = std::uint8_t(g.Count);
    const unsigned correct = std::uint8_t(g.Correct);
    if (count < 2)
        Warn(p.Count.Offset, Format(CheckMsg::FewOptions, N(count)));
    if (correct == 0)
        Warn(p.Correct.Offset, CheckMsg::CorrectZero);
    else if (correct > count)
        Warn(p.Correct.Offset, Format(CheckMsg::CorrectAboveCount, N(correct), N(count)));
    // Options are shuffled before those past the fifth position are dropped,
    // so which ones are lost is new on every run.
    if (count > 5) {
        const std::string lost = N(count - 5);
        if (correct >= 1 && correct <= count)
            Warn(p.Options[5], Format(CheckMsg::ExtraOptions, N(count), lost, lost, N(count)));
        else
            Warn(p.Options[5], Format(CheckMsg::ExtraOptionsNoRight, N(count), lost));
    }
    if (!p.Options.empty() && AtEof(p.Options.back()))
        Warn(p.Text, CheckMsg::CutShort);
}

void TChecker::BadNumber(const TGroup& g, const TGroupPlaces& p)
{
    const bool isCount = p.Correct.Offset == NotRead;
    const TNumberPlace& bad = isCount ? p.Count : p.Correct;
    std::string text = Format(CheckMsg::BadNumber, Msg::InvalidInput,
        isCount ? CheckMsg::ExpectedCount : CheckMsg::ExpectedCorrect, FromAnsi(bad.Text).toStdString());
    if (isCount && Blank(g.Text) && LineOf(p.Text) < LineOf(bad.Offset))
        text += Format(CheckMsg::BadNumberCause, N(LineOf(p.Text)));
    Warn(bad.Offset, std::move(text));
}

// What the reader passes over without a trace: Ctrl-Z, encodings, line ends.
void TChecker::Bytes(std::uint64_t end, bool stopped)
{
    if (!stopped && end < bytes_.size() && !BlankFrom(end))
        Warn(end, CheckMsg::CtrlZEndsFile);

    std::size_t lastCut = 0;
    for (std::size_t i = 0; i < end && i < bytes_.size(); ++i) {
        if (bytes_[i] != CtrlZ || LineOf(i) == lastCut)
            continue;
        std::size_t k = i + 1;
        while (k < bytes_.size() && bytes_[k] != '\n' && IsBlank(static_cast<unsigned char>(bytes_[k])))
            ++k;
        if (k < bytes_.size() && bytes_[k] != '\n') {
            lastCut = LineOf(i);
            Warn(i, CheckMsg::CtrlZInLine);
        }
    }

    if (SavedAsUtf8(bytes_)) {
        const auto nonAscii = std::find_if(bytes_.begin(), bytes_.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
        Warn(std::uint64_t(nonAscii - bytes_.begin()), CheckMsg::Utf8);
    }
    if (const std::size_t bad = FirstNonText(bytes_, true); bad != NoPlace)
        Warn(bad, Format(TextMsg::NotText, N(static_cast<unsigned char>(bytes_[bad]))));

    long long crlf = 0, lf = 0, loneCr = 0;
    std::uint64_t firstCrlf = NotRead, firstLf = NotRead, firstLoneCr = NotRead;
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (bytes_[i] == '\n') {
            const bool withCr = i > 0 && bytes_[i - 1] == '\r';
            (withCr ? crlf : lf)++;
            std::uint64_t& first = withCr ? firstCrlf : firstLf;
            if (first == NotRead)
                first = i;
        } else if (bytes_[i] == '\r' && (i + 1 == bytes_.size() || bytes_[i + 1] != '\n')) {
            if (loneCr++ == 0)
                firstLoneCr = i;
        }
    }
    if (crlf > 0 && lf > 0)
        Warn(lf <= crlf ? firstLf : firstCrlf, Format(CheckMsg::MixedLineEnds, N(crlf), N(lf)));
    if (loneCr > 0)
        Warn(firstLoneCr, Format(CheckMsg::LoneCr, N(loneCr)));
}

} // namespace

TCheckReport CheckTest(const std::string& name)
{
    // Read as the program opens a test, so a file it cannot read fails here
    // with the same message.
    return CheckTestBytes(ReadWholeFile(name));
}

TCheckReport CheckTestBytes(std::string_view bytes)
{
    TChecker checker(bytes);
    TTestReader reader(bytes);
    unsigned started = 0;
    bool stopped = false;
    while (!reader.AtEnd()) {
        if (++started == 256)
            checker.Warn(reader.Offset(), Format(CheckMsg::TooManyQuestions, Msg::TooManyQuestions));
        TGroup group;
        TGroupPlaces places;
        places.Correct.Offset = NotRead;
        try {
            ReadGroup(reader, group, &places);
        } catch (const EInOutError& e) {
            if (e.ErrorCode != IoCode::InvalidInput)
                throw;
            checker.BadNumber(group, places);
            stopped = true;
            break;
        }
        checker.Group(group, places);
    }
    checker.Bytes(reader.Offset(), stopped);
    return checker.Done();
}

std::string SummaryLine(const std::string& name, const TCheckReport& report)
{
    const auto warnings = unsigned(report.Warnings.size());
    std::string line = name + ": " + N(report.Groups) + " " + Plural(report.Groups, CheckMsg::QuestionWords) + ", ";
    if (warnings == 0)
        return line + CheckMsg::NoWarnings;
    return line + N(warnings) + " " + Plural(warnings, CheckMsg::WarningWords);
}

std::string WarningLine(const std::string& name, const TCheckWarning& warning)
{
    // A newline in a file name would make one warning read as two.
    return EscapedPath(name) + ":" + N(static_cast<long long>(warning.Line)) + ": " + warning.Text;
}
