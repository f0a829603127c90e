// SPDX-License-Identifier: MIT
#include "engine/Ques.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Files.h"

#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>

TQuestionTable Questions;
std::uint8_t QuestionCount = 0;
TQuestionTable TestOrder;
std::uint8_t Answers[256] = {};
std::uint8_t CurrentPos = 0;
std::uint32_t RandSeed = 0;

namespace {

constexpr char CtrlZ = 26;
constexpr std::size_t NumberLimit = 32;

// Reads a test file byte by byte through a buffer; every rule of the format
// lives here.
class TTestReader {
public:
    explicit TTestReader(TFile& file)
        : file_(file)
    {
    }

    // The end is only looked for before a group: the physical end or Ctrl-Z.
    bool AtEnd()
    {
        return !Fill() || buffer_[pos_] == CtrlZ;
    }

    std::string ReadLine()
    {
        std::string text;
        bool cut = false;
        bool reserved = false;
        while (Fill()) {
            const char* begin = buffer_ + pos_;
            const char* end = buffer_ + size_;
            const char* lf = static_cast<const char*>(std::memchr(begin, '\n', std::size_t(end - begin)));
            const char* stop = lf ? lf : end;
            if (!cut) {
                const char* z = static_cast<const char*>(std::memchr(begin, CtrlZ, std::size_t(stop - begin)));
                if (!lf && !z && !reserved && text.size() >= sizeof buffer_) {
                    ReserveForLongLine(text);
                    reserved = true;
                }
                AppendWithoutCr(text, begin, z ? z : stop);
                cut = z != nullptr;
            }
            pos_ = std::size_t(stop - buffer_);
            if (lf) {
                ++pos_;
                break;
            }
        }
        if (text.capacity() > 2 * text.size() + (1u << 20))
            text.shrink_to_fit();
        return text;
    }

    // Reads a whole number and skips the rest of its line.
    std::int32_t ReadNumber()
    {
        while (Fill() && static_cast<unsigned char>(buffer_[pos_]) <= ' ' && buffer_[pos_] != CtrlZ)
            ++pos_;
        std::string run;
        while (Fill() && static_cast<unsigned char>(buffer_[pos_]) > ' ' && run.size() < NumberLimit)
            run += buffer_[pos_++];
        SkipLine();
        if (run.empty())
            return 0; // end of file or Ctrl-Z
        return ParseNumber(run);
    }

private:
    bool Fill()
    {
        if (pos_ < size_)
            return true;
        size_ = file_.Read(buffer_, sizeof buffer_);
        read_ += size_;
        pos_ = 0;
        return size_ > 0;
    }

    // A line longer than the buffer may run to the end of the file: room for
    // all of it at once spares the copies of a growing string, and huge pages
    // spare most of the page faults of filling it.
    void ReserveForLongLine(std::string& text) const
    {
        const std::uint64_t rest = file_.Size() > read_ ? file_.Size() - read_ : 0;
        text.reserve(text.size() + size_ - pos_ + std::size_t(rest));
        constexpr std::uintptr_t Huge = 2u << 20;
        if (text.capacity() < 4 * Huge)
            return;
        const auto start = (reinterpret_cast<std::uintptr_t>(text.data()) + Huge - 1) & ~(Huge - 1);
        const auto end = (reinterpret_cast<std::uintptr_t>(text.data()) + text.capacity()) & ~(Huge - 1);
        if (end > start)
            ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE); // only a hint
    }

    void SkipLine()
    {
        while (Fill()) {
            const char* begin = buffer_ + pos_;
            const void* lf = std::memchr(begin, '\n', size_ - pos_);
            if (lf) {
                pos_ = std::size_t(static_cast<const char*>(lf) - buffer_) + 1;
                return;
            }
            pos_ = size_;
        }
    }

    static void AppendWithoutCr(std::string& text, const char* begin, const char* end)
    {
        while (begin < end) {
            const char* cr = static_cast<const char*>(std::memchr(begin, '\r', std::size_t(end - begin)));
            const char* stop = cr ? cr : end;
            text.append(begin, stop);
            begin = cr ? cr + 1 : end;
        }
    }

    static int HexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    [[noreturn]] static void Invalid() { throw EInOutError(IoCode::InvalidInput); }

    // An optional sign, then decimal digits within the 32-bit range or a
    // hexadecimal prefix with one to eight digits.
    static std::int32_t ParseNumber(const std::string& run)
    {
        std::size_t i = 0;
        const bool negative = run[0] == '-';
        if (run[0] == '-' || run[0] == '+')
            ++i;
        std::uint32_t value = 0;
        const std::string_view rest(run.data() + i, run.size() - i);
        std::size_t digits = 0;
        if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')
            || rest.starts_with("0x") || rest.starts_with("0X")) {
            i += rest[0] == '0' ? 2 : 1;
            for (; i < run.size(); ++i, ++digits) {
                const int d = HexDigit(run[i]);
                if (d < 0 || digits == 8)
                    Invalid();
                value = value << 4 | std::uint32_t(d);
            }
        } else {
            const std::uint64_t limit = negative ? 2147483648u : 2147483647u;
            std::uint64_t wide = 0;
            for (; i < run.size(); ++i, ++digits) {
                if (run[i] < '0' || run[i] > '9')
                    Invalid();
                wide = wide * 10 + std::uint64_t(run[i] - '0');
                if (wide > limit)
                    Invalid();
            }
            value = std::uint32_t(wide);
        }
        if (digits == 0)
            Invalid();
        return std::int32_t(negative ? 0u - value : value);
    }

    TFile& file_;
    char buffer_[64 * 1024];
    std::size_t pos_ = 0;
    std::size_t size_ = 0;
    std::uint64_t read_ = 0;
};

void ReadQuestion(TTestReader& reader, TQuestion& q)
{
    q.Text = reader.ReadLine();
    q.OptionCount = std::uint8_t(reader.ReadNumber());
    q.Correct = std::uint8_t(reader.ReadNumber());
    bool used[256] = {};
    bool remap = true;
    for (unsigned i = 1; i <= q.OptionCount; ++i) {
        std::string text = reader.ReadLine();
        unsigned j;
        do
            j = unsigned(Random(q.OptionCount)) + 1;
        while (used[j]);
        used[j] = true;
        // The right option's number follows its option once; later options
        // are not compared with the new value.
        if (remap && i == q.Correct) {
            q.Correct = std::uint8_t(j);
            remap = false;
        }
        if (j <= 5)
            q.Options[j] = std::move(text);
    }
}

std::string Line(std::string_view text)
{
    std::string line(text);
    line += "\r\n";
    return line;
}

std::string AnsiLine(const char16_t* text)
{
    return Line(ToAnsi(QStringView(text)));
}

} // namespace

void Randomize()
{
    timespec ts {};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    RandSeed = std::uint32_t(std::uint64_t(ts.tv_sec) * 1000000000u + std::uint64_t(ts.tv_nsec));
}

std::int32_t Random(std::int32_t n)
{
    RandSeed = RandSeed * 134775813u + 1u;
    return std::int32_t((std::uint64_t(RandSeed) * std::uint32_t(n)) >> 32);
}

void LoadTest(const std::string& name)
{
    Randomize();
    TFile file(name, O_RDONLY, LOCK_SH, true);
    TTestReader reader(file);
    while (!reader.AtEnd()) {
        if (QuestionCount == 255)
            throw EError(Msg::TooManyQuestions);
        auto q = std::make_unique<TQuestion>();
        ReadQuestion(reader, *q);
        Questions[++QuestionCount] = std::move(q);
    }
    file.Close();
}

void ShuffleOrder()
{
    Randomize();
    const unsigned count = QuestionCount;
    for (unsigned b = 1; b <= count; ++b) {
        const unsigned pool = count - b + 1;
        const unsigned r = unsigned(Random(std::int32_t(pool))) + 1;
        TestOrder[b] = std::move(Questions[r]);
        Answers[b] = 0;
        for (unsigned k = r; k < pool; ++k)
            Questions[k] = std::move(Questions[k + 1]);
    }
}

bool NextUnanswered()
{
    if (QuestionCount == 0)
        return false;
    const std::uint8_t start = CurrentPos;
    bool result = true;
    do {
        CurrentPos = CurrentPos >= QuestionCount ? 1 : std::uint8_t(CurrentPos + 1);
        if (CurrentPos == start)
            result = false;
    } while (Answers[CurrentPos] != 0 && result);
    if (Answers[CurrentPos] == 0)
        result = true;
    return result;
}

std::uint8_t CountCorrect()
{
    unsigned count = 0;
    for (unsigned k = 1; k <= QuestionCount; ++k)
        if (TestOrder[k] && TestOrder[k]->Correct == Answers[k])
            ++count;
    return std::uint8_t(count);
}

std::string ScoreLine()
{
    return ToAnsi(u"Вы ответили правильно на ") + std::to_string(CountCorrect())
        + ToAnsi(u" вопрос(-а/-ов) из ") + std::to_string(QuestionCount);
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
    std::string block = Line(std::string(63, '='));
    block += AnsiLine(u"Вопрос:");
    block += Line(question.Text);
    block += AnsiLine(u"Варианты ответов:");
    for (unsigned i = 1; i <= question.OptionCount && i <= 5; ++i)
        block += Line(std::to_string(i) + ". " + question.Options[i]);
    block += ToAnsi(u"Ваш ответ: ") + Line(std::to_string(given));
    block += ToAnsi(u"Правильный ответ: ") + Line(std::to_string(question.Correct));

    TFile file(ResultFileName, O_WRONLY | O_APPEND, LOCK_EX, false);
    file.Write(block);
    file.Close();
}

void FreeQuestions()
{
    for (unsigned k = 1; k <= QuestionCount; ++k)
        TestOrder[k].reset();
}
