// SPDX-License-Identifier: MIT
#pragma once

// Properties of LoadTest that hold for any input, shared by the fuzz target
// and the regression test. Loading the same bytes twice must give the same
// questions up to the option shuffle, so the right option's text can be
// compared without a second parser.

#include "engine/Ques.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <vector>

struct TLoadOutcome {
    std::string Error;             // what() of the exception, empty if none
    const char* Broken = nullptr;  // first table invariant violated
    std::vector<std::unique_ptr<TQuestion>> Loaded;
};

inline bool HasLineBreakOrEof(const std::string& s)
{
    return s.find_first_of(std::string("\r\n\x1a", 3)) != std::string::npos;
}

// Loads `path` into empty tables and takes the questions out of them.
inline TLoadOutcome LoadFresh(const std::string& path)
{
    for (auto& q : Questions)
        q.reset();
    QuestionCount = 0;

    TLoadOutcome out;
    try {
        LoadTest(path);
    } catch (const std::exception& e) {
        out.Error = e.what();
        if (out.Error.empty())
            out.Error = "(empty message)";
    }

    if (Questions[0])
        out.Broken = "Questions[0] is used";
    for (int k = 1; k <= 255 && !out.Broken; ++k) {
        if (k <= QuestionCount && !Questions[k])
            out.Broken = "a counted question is missing";
        if (k > QuestionCount && Questions[k])
            out.Broken = "a question is stored past QuestionCount";
    }
    for (int k = 1; k <= QuestionCount; ++k)
        out.Loaded.push_back(std::move(Questions[k]));
    if (out.Broken)
        return out;

    for (const auto& q : out.Loaded) {
        if (HasLineBreakOrEof(q->Text) || !q->Options[0].empty()) {
            out.Broken = "wording holds a line break or Ctrl-Z, or option 0 is used";
            return out;
        }
        for (int i = 1; i <= 5; ++i) {
            if (HasLineBreakOrEof(q->Options[i])) {
                out.Broken = "an option holds a line break or Ctrl-Z";
                return out;
            }
            if (i > q->OptionCount && !q->Options[i].empty()) {
                out.Broken = "an option is stored above OptionCount";
                return out;
            }
        }
    }
    return out;
}

inline std::vector<std::string> SortedShown(const TQuestion& q)
{
    const int shown = std::min<int>(q.OptionCount, 5);
    std::vector<std::string> v(q.Options.begin() + 1, q.Options.begin() + 1 + shown);
    std::sort(v.begin(), v.end());
    return v;
}

// Compares two loads of the same file; returns the first difference the
// shuffle cannot explain, or nullptr.
inline const char* ShuffleMismatch(const TLoadOutcome& a, const TLoadOutcome& b)
{
    if (a.Error != b.Error)
        return "the two loads failed differently";
    if (a.Loaded.size() != b.Loaded.size())
        return "the two loads read different question counts";
    for (std::size_t k = 0; k < a.Loaded.size(); ++k) {
        const TQuestion& x = *a.Loaded[k];
        const TQuestion& y = *b.Loaded[k];
        if (x.Text != y.Text || x.OptionCount != y.OptionCount)
            return "the two loads read different wordings or option counts";
        const int n = x.OptionCount;
        const bool xIn = x.Correct >= 1 && x.Correct <= n;
        const bool yIn = y.Correct >= 1 && y.Correct <= n;
        // A right-option number that names no option is kept as read.
        if (xIn != yIn || (!xIn && x.Correct != y.Correct))
            return "the right-option number was remapped inconsistently";
        if (n <= 5 && SortedShown(x) != SortedShown(y))
            return "the options are not a permutation of the same texts";
        // The right option may be dropped (position above 5) in one load only.
        if (xIn && x.Correct <= 5 && y.Correct <= 5
            && x.Options[x.Correct] != y.Options[y.Correct])
            return "Correct does not follow the right option";
    }
    return nullptr;
}
