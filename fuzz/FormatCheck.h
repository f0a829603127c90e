// SPDX-License-Identifier: MIT
#pragma once

// Properties of an exchange format's reader and writer that hold for any
// input: what the reader takes is a question Ekzamo can hold, and each such
// question written alone reads back the same, or the writer says why not.

#include "engine/Formats.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

using TFormatReader = TPlainTest (*)(std::string_view);
using TFormatWriter = std::string (*)(const std::vector<TPlainQuestion>&, std::vector<TFormatNote>&);

[[noreturn]] inline void FormatFail(const char* why)
{
    std::fprintf(stderr, "format check: %s\n", why);
    __builtin_trap();
}

inline void CheckFormat(std::string_view input, TFormatReader read, TFormatWriter write)
{
    const TPlainTest test = read(input);
    std::size_t lines = 1;
    for (const char c : input)
        lines += c == '\n' || c == '\r';
    for (const TFormatNote& note : test.Notes)
        if (note.Line == 0 || note.Line > lines || note.Text.empty())
            FormatFail("a note names no line of the input");
    for (const TPlainQuestion& q : test.Questions) {
        if (CommonObstacle(q))
            FormatFail("a question read is one Ekzamo's writers refuse");
        if (q.Text.find('\n') != std::string::npos)
            FormatFail("a wording holds a line break");
        std::vector<TFormatNote> notes;
        const std::string alone = write({q}, notes);
        if (alone.empty()) {
            if (notes.empty())
                FormatFail("a question was left out without a note");
            continue;
        }
        const TPlainTest back = read(alone);
        if (back.Questions.size() != 1 || !back.Notes.empty())
            FormatFail("a written question does not read back as one question");
        const TPlainQuestion& b = back.Questions[0];
        if (b.Text != q.Text || b.Options != q.Options || b.Correct != q.Correct)
            FormatFail("a written question reads back different");
    }
}
