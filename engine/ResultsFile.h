// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Errors.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

// Why a results file could not be read, UTF-8. "%d" and "%s" are filled in
// order.
namespace ResultsMsg {
inline constexpr const char* Empty = "файл пуст";
inline constexpr const char* NotScoreLine =
    "первая строка — не строка результата Ekzamo "
    "(«Вы ответили правильно на N вопрос(-а/-ов) из M»): это не файл результатов";
inline constexpr const char* Utf8 =
    "файл пересохранён в кодировке UTF-8, а программа пишет результаты в Windows-1251: "
    "его изменяли после теста";
inline constexpr const char* RightAboveCount = "правильных ответов %d больше, чем вопросов (%d)";
inline constexpr const char* Expected = "ожидается «%s»";
inline constexpr const char* Separator = "строка из 63 знаков «=»";
inline constexpr const char* AnswerLine = "Ваш ответ: N";
inline constexpr const char* RightLine = "Правильный ответ: N";
inline constexpr const char* BadNumber = "«%s»: здесь должно быть число от 0 до %d";
inline constexpr const char* AnswerNotShown =
    "ответ %d, а кнопок ответа было %d: такого ответа программа не запишет, файл изменён";
inline constexpr const char* LongLine = "строка длиннее %d байт: это не файл результатов";
inline constexpr const char* CutLine = "файл обрывается посреди строки";
inline constexpr const char* CutBlock = "файл обрывается посреди вопроса";
inline constexpr const char* BlockCount =
    "в файле вопросов %d, а в строке результата — %d: файл неполон или изменён";
inline constexpr const char* ScoreDisagrees =
    "в строке результата правильных ответов %d, а по ответам в файле — %d: "
    "строку результата изменили";
}

// One question's block: the wording and the options as the student saw them,
// the answer given (0: none) and the right option's position. Text is
// Windows-1251 bytes as written.
struct TResultBlock {
    std::string Text;
    std::vector<std::string> Options; // as listed: at most 5
    std::uint8_t Given = 0;
    std::uint8_t Correct = 0;

    bool operator==(const TResultBlock&) const = default;
};

// One results file: the score line's two numbers and, when the results were
// detailed, one block per question in the order the questions were shown.
struct TResults {
    unsigned Right = 0;
    unsigned Questions = 0;
    std::vector<TResultBlock> Blocks;

    bool Detailed() const { return !Blocks.empty(); }
    bool operator==(const TResults&) const = default;
};

// A results file that breaks the format, with the line (from 1) where it
// shows; what() is the reason, UTF-8.
class EResultsError : public EError {
public:
    EResultsError(std::size_t line, const std::string& message)
        : EError(message)
        , Line(line)
    {
    }
    const std::size_t Line;
};

inline constexpr std::size_t NoLineLimit = std::numeric_limits<std::size_t>::max();

// Reads a results file in one pass. Files that break the format, and files
// whose score line disagrees with their own blocks, raise EResultsError; a
// file that cannot be read raises EInOutError, and one beyond MaxFileSize
// (engine/Files.h) EError, before its lines are held. `into` is reused so that
// reading many files of one test allocates little; `maxLine` caps one line's
// length, so that a file that is not results cannot make the reader hold it
// whole.
void ReadResults(const std::string& path, TResults& into, std::size_t maxLine = NoLineLimit);
// The same rules over bytes already in memory.
void ParseResults(std::string_view bytes, TResults& into, std::size_t maxLine = NoLineLimit);

// The writers of the same file, ScoreLine, WriteResults and
// WriteQuestionDetail, are declared with the run (engine/Run.h) and defined
// beside this reader, so that both sides share the file's fixed texts.
