// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Question.h"

#include <cstdint>
#include <string>

// The run, defined with the question bank (engine/Ques.cpp).
// The questions in presentation order; owns them once the order is drawn.
extern TQuestionTable TestOrder;
// Option number chosen at each position of TestOrder; 0 means unanswered.
extern std::uint8_t Answers[256];
extern std::uint8_t CurrentPos;

void ShuffleOrder();
bool NextUnanswered();
std::uint8_t CountCorrect();
void FreeQuestions();

// The results file's writers, defined with its reader
// (engine/ResultsFile.cpp) so that both share the file's fixed texts.
// "Вы ответили правильно на N вопрос(-а/-ов) из M", in Windows-1251.
std::string ScoreLine();
void WriteResults(const std::string& summary);
void WriteQuestionDetail(const TQuestion& question, std::uint8_t given);
