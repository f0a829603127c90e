// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

// One question of a test. Texts are Windows-1251 bytes exactly as read.
class TQuestion {
public:
    std::string Text;
    std::uint8_t OptionCount = 0;
    // Position of the right option in Options after shuffling.
    std::uint8_t Correct = 0;
    // Positions 1 to 5; position 0 is unused.
    std::array<std::string, 6> Options;
};

using TQuestionTable = std::array<std::unique_ptr<TQuestion>, 256>;

// The questions in file order at positions 1 to QuestionCount.
extern TQuestionTable Questions;
extern std::uint8_t QuestionCount;

// Reads a test file, appending its questions with their options shuffled.
void LoadTest(const std::string& name);
