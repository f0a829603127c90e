// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Question.h"

#include <cstdint>
#include <string>

// The questions in presentation order; owns them once the order is drawn.
extern TQuestionTable TestOrder;
// Option number chosen at each position of TestOrder; 0 means unanswered.
extern std::uint8_t Answers[256];
extern std::uint8_t CurrentPos;

void ShuffleOrder();
bool NextUnanswered();
std::uint8_t CountCorrect();

// "Вы ответили правильно на N вопрос(-а/-ов) из M", in Windows-1251.
std::string ScoreLine();

// Defined with the results-file reader (engine/ResultsFile.cpp).
void WriteResults(const std::string& summary);
void WriteQuestionDetail(const TQuestion& question, std::uint8_t given);
void FreeQuestions();
