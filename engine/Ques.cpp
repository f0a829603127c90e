// SPDX-License-Identifier: MIT
#include "engine/Question.h"
#include "engine/Run.h"

#include "engine/Ansi.h"
#include "engine/Errors.h"
#include "engine/Files.h"
#include "engine/Random.h"
#include "engine/Settings.h"
#include "engine/TestReader.h"

#include <fcntl.h>
#include <sys/file.h>

TQuestionTable Questions;
std::uint8_t QuestionCount = 0;
TQuestionTable TestOrder;
std::uint8_t Answers[256] = {};
std::uint8_t CurrentPos = 0;

namespace {

std::string Line(std::string_view text)
{
    std::string line(text);
    line += "\r\n";
    return line;
}

std::string AnsiLine(const char16_t* text)
{
    return Line(ToAnsi(QStringView(text)));
}

} // namespace

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

std::string ScoreLine()
{
    return ToAnsi(u"Вы ответили правильно на ") + std::to_string(CountCorrect())
        + ToAnsi(u" вопрос(-а/-ов) из ") + std::to_string(QuestionCount);
}

void WriteResults(const std::string& summary)
{
    // Truncate only once the lock is ours, so a file another program holds
    // is left as it was.
    TFile file(ResultFileName, O_WRONLY | O_CREAT, LOCK_EX, false);
    if (file.IsRegular())
        file.Truncate();
    file.Write(Line(summary));
    file.Close();
    for (unsigned k = 1; k <= QuestionCount; ++k)
        if (TestOrder[k])
            WriteQuestionDetail(*TestOrder[k], Answers[k]);
}

void WriteQuestionDetail(const TQuestion& question, std::uint8_t given)
{
    if (!DetailedResults)
        return;
    std::string block = Line(std::string(63, '='));
    block += AnsiLine(u"Вопрос:");
    block += Line(question.Text);
    block += AnsiLine(u"Варианты ответов:");
    for (unsigned i = 1; i <= question.OptionCount && i <= 5; ++i)
        block += Line(std::to_string(i) + ". " + question.Options[i]);
    block += ToAnsi(u"Ваш ответ: ") + Line(std::to_string(given));
    block += ToAnsi(u"Правильный ответ: ") + Line(std::to_string(question.Correct));

    TFile file(ResultFileName, O_WRONLY | O_APPEND, LOCK_EX, false);
    file.Write(block);
    file.Close();
}

void FreeQuestions()
{
    for (unsigned k = 1; k <= QuestionCount; ++k)
        TestOrder[k].reset();
}
