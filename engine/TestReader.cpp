// SPDX-License-Identifier: MIT
#include "engine/TestReader.h"

#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Random.h"

#include <cstring>
#include <string_view>
#include <sys/mman.h>

namespace {

void AppendWithoutCr(std::string& text, const char* begin, const char* end)
{
    while (begin < end) {
        const char* cr = static_cast<const char*>(std::memchr(begin, '\r', std::size_t(end - begin)));
        const char* stop = cr ? cr : end;
        text.append(begin, stop);
        begin = cr ? cr + 1 : end;
    }
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

[[noreturn]] void Invalid() { throw EInOutError(IoCode::InvalidInput); }

// An optional sign, then decimal digits within the 32-bit range or a
// hexadecimal prefix with one to eight digits.
std::int32_t ParseNumber(const std::string& run)
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

} // namespace

bool TTestReader::AtEnd()
{
    return !Fill() || data_[pos_] == CtrlZ;
}

std::string TTestReader::ReadLine()
{
    std::string text;
    bool cut = false;
    bool reserved = false;
    while (Fill()) {
        const char* begin = data_ + pos_;
        const char* end = data_ + size_;
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
        pos_ = std::size_t(stop - data_);
        if (lf) {
            ++pos_;
            break;
        }
    }
    if (text.capacity() > 2 * text.size() + (1u << 20))
        text.shrink_to_fit();
    return text;
}

std::int32_t TTestReader::ReadNumber(TNumberPlace* place)
{
    while (Fill() && static_cast<unsigned char>(data_[pos_]) <= ' ' && data_[pos_] != CtrlZ)
        ++pos_;
    const std::uint64_t offset = Offset();
    std::string run;
    while (Fill() && static_cast<unsigned char>(data_[pos_]) > ' ' && run.size() < NumberLimit)
        run += data_[pos_++];
    SkipLine();
    if (place)
        *place = {offset, run};
    if (run.empty())
        return 0; // end of file or Ctrl-Z
    return ParseNumber(run);
}

bool TTestReader::Fill()
{
    if (pos_ < size_)
        return true;
    if (!file_)
        return false;
    size_ = file_->Read(buffer_, sizeof buffer_);
    read_ += size_;
    pos_ = 0;
    return size_ > 0;
}

// A line longer than the buffer may run to the end of the file: room for
// all of it at once spares the copies of a growing string, and huge pages
// spare most of the page faults of filling it.
void TTestReader::ReserveForLongLine(std::string& text) const
{
    const std::uint64_t total = file_ ? file_->Size() : read_;
    const std::uint64_t rest = total > read_ ? total - read_ : 0;
    text.reserve(text.size() + size_ - pos_ + std::size_t(rest));
    constexpr std::uintptr_t Huge = 2u << 20;
    if (text.capacity() < 4 * Huge)
        return;
    const auto start = (reinterpret_cast<std::uintptr_t>(text.data()) + Huge - 1) & ~(Huge - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(text.data()) + text.capacity()) & ~(Huge - 1);
    if (end > start)
        ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE); // only a hint
}

void TTestReader::SkipLine()
{
    while (Fill()) {
        const char* begin = data_ + pos_;
        const void* lf = std::memchr(begin, '\n', size_ - pos_);
        if (lf) {
            pos_ = std::size_t(static_cast<const char*>(lf) - data_) + 1;
            return;
        }
        pos_ = size_;
    }
}

void ReadGroup(TTestReader& reader, TGroup& group, TGroupPlaces* places)
{
    if (places)
        places->Text = reader.Offset();
    group.Text = reader.ReadLine();
    group.Count = reader.ReadNumber(places ? &places->Count : nullptr);
    group.Correct = reader.ReadNumber(places ? &places->Correct : nullptr);
    const unsigned count = std::uint8_t(group.Count);
    for (unsigned i = 1; i <= count; ++i) {
        if (places)
            places->Options.push_back(reader.Offset());
        group.Options.push_back(reader.ReadLine());
    }
}

void ReadQuestion(TTestReader& reader, TQuestion& q)
{
    TGroup group;
    ReadGroup(reader, group);
    q.Text = std::move(group.Text);
    q.OptionCount = std::uint8_t(group.Count);
    q.Correct = std::uint8_t(group.Correct);
    bool used[256] = {};
    bool remap = true;
    for (unsigned i = 1; i <= q.OptionCount; ++i) {
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
            q.Options[j] = std::move(group.Options[i - 1]);
    }
}
