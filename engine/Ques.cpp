// SPDX-License-Identifier: MIT
#include "engine/Question.h"
#include "engine/Run.h"

#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Random.h"
#include "engine/TestReader.h"

#include <fcntl.h>
#include <sys/file.h>

TQuestionTable Questions;
std::uint8_t QuestionCount = 0;
TQuestionTable TestOrder;
std::uint8_t Answers[256] = {};
std::uint8_t CurrentPos = 0;

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
    // A start outside the test would never be come back to: count the steps
    // instead, one round from any start. From a start inside the test the
    // round ends on the start itself, as the search always has.
    const std::uint8_t start = CurrentPos;
    const bool inside = start >= 1 && start <= QuestionCount;
    for (unsigned step = 1; step <= QuestionCount; ++step) {
        CurrentPos = CurrentPos >= QuestionCount ? 1 : std::uint8_t(CurrentPos + 1);
        if (Answers[CurrentPos] == 0)
            return true;
    }
    if (!inside)
        CurrentPos = start;
    return false;
}

std::uint8_t CountCorrect()
{
    unsigned count = 0;
    for (unsigned k = 1; k <= QuestionCount; ++k)
        if (TestOrder[k] && TestOrder[k]->Correct == Answers[k])
            ++count;
    return std::uint8_t(count);
}

void FreeQuestions()
{
    for (unsigned k = 1; k <= QuestionCount; ++k)
        TestOrder[k].reset();
}
