// SPDX-License-Identifier: MIT
#include "engine/Durations.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"

#include <cctype>
#include <cstdio>
#include <ctime>

namespace {

// Reads one to `most` digits as a number, or -1.
int ScanNumber(const std::string& text, std::size_t& pos, std::size_t most)
{
    int value = 0;
    std::size_t digits = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos])) && digits < most) {
        value = value * 10 + (text[pos++] - '0');
        ++digits;
    }
    return digits == 0 ? -1 : value;
}

void SkipBlanks(const std::string& text, std::size_t& pos)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
}

bool ParseTime(const std::string& text, std::int64_t& ms)
{
    std::size_t pos = 0;
    SkipBlanks(text, pos);
    const int hours = ScanNumber(text, pos, 2);
    if (hours < 0 || pos >= text.size() || text[pos++] != ':')
        return false;
    const int minutes = ScanNumber(text, pos, 2);
    int seconds = 0;
    int millis = 0;
    if (minutes < 0)
        return false;
    if (pos < text.size() && text[pos] == ':') {
        ++pos;
        if ((seconds = ScanNumber(text, pos, 2)) < 0)
            return false;
        if (pos < text.size() && text[pos] == '.') {
            ++pos;
            const std::size_t start = pos;
            if ((millis = ScanNumber(text, pos, 3)) < 0)
                return false;
            for (std::size_t d = pos - start; d < 3; ++d)
                millis *= 10;
        }
    }
    SkipBlanks(text, pos);
    int hour = hours;
    if (pos + 2 <= text.size()) {
        const char m0 = char(std::toupper(static_cast<unsigned char>(text[pos])));
        const char m1 = char(std::toupper(static_cast<unsigned char>(text[pos + 1])));
        if ((m0 == 'A' || m0 == 'P') && m1 == 'M') {
            if (hours < 1 || hours > 12)
                return false;
            hour = hours % 12 + (m0 == 'P' ? 12 : 0);
            pos += 2;
            SkipBlanks(text, pos);
        }
    }
    if (pos != text.size() || hour > 23 || minutes > 59 || seconds > 59)
        return false;
    ms = ((std::int64_t(hour) * 60 + minutes) * 60 + seconds) * 1000 + millis;
    return true;
}

} // namespace

std::string TimeToStr(std::int64_t milliseconds)
{
    const std::int64_t seconds = (milliseconds < 0 ? -milliseconds : milliseconds) / 1000;
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", int(seconds / 3600 % 24), int(seconds / 60 % 60),
                  int(seconds % 60));
    return text;
}

std::int64_t StrToTime(const std::string& text)
{
    std::int64_t ms = 0;
    if (!ParseTime(text, ms))
        throw EError(Format(Msg::InvalidTime, FromAnsi(text).toStdString()));
    return ms;
}
