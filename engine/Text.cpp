// SPDX-License-Identifier: MIT
#include "engine/Text.h"

#include <algorithm>

std::size_t FirstBadUtf8(std::string_view bytes)
{
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        }
        bool valid = length > 0 && bytes.size() - i >= length;
        for (std::size_t k = 1; valid && k < length; ++k) {
            const auto b = static_cast<unsigned char>(bytes[i + k]);
            valid = b >= (k == 1 ? low : 0x80) && b <= (k == 1 ? high : 0xBF);
        }
        if (!valid)
            return i;
        i += length;
    }
    return NoPlace;
}

bool SavedAsUtf8(std::string_view bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; })
        && IsUtf8(bytes);
}

std::size_t FirstNonText(std::string_view bytes, bool ctrlZ)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < ' ' && c != '\t' && c != '\n' && c != '\r' && !(ctrlZ && c == 26))
            return i;
    }
    return NoPlace;
}

std::size_t LineAt(std::string_view bytes, std::size_t offset)
{
    const std::size_t end = std::min(offset, bytes.size());
    return 1 + std::size_t(std::count(bytes.begin(), bytes.begin() + std::ptrdiff_t(end), '\n'));
}

const char* Plural(unsigned long long n, const char* const (&words)[3])
{
    if (n % 10 == 1 && n % 100 != 11)
        return words[0];
    if (n % 10 >= 2 && n % 10 <= 4 && (n % 100 < 12 || n % 100 > 14))
        return words[1];
    return words[2];
}
