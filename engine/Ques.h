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

// The questions in presentation order; owns them once the order is drawn.
extern TQuestionTable TestOrder;
// Option number chosen at each position of TestOrder; 0 means unanswered.
extern std::uint8_t Answers[256];
extern std::uint8_t CurrentPos;

extern std::uint32_t RandSeed;

// Settings chosen by the windows (defined in their modules); all Windows-1251
// text except the file names, which are native paths.
extern std::string TestFileName;
extern std::string ResultFileName;
extern std::string TestDuration;
extern bool DetailedResults;

void Randomize();
std::int32_t Random(std::int32_t n);

// Reads a test file, appending its questions with their options shuffled.
void LoadTest(const std::string& name);

void ShuffleOrder();
bool NextUnanswered();
std::uint8_t CountCorrect();

// "Вы ответили правильно на N вопрос(-а/-ов) из M", in Windows-1251.
std::string ScoreLine();

void WriteResults(const std::string& summary);
void WriteQuestionDetail(const TQuestion& question, std::uint8_t given);
void FreeQuestions();

// Puts a question on the test window.
void ShowQuestion(const TQuestion& question);
