// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Formats.h"

#include <string>
#include <string_view>
#include <vector>

// Moodle's GIFT, UTF-8: the multiple-choice questions with one right answer.
namespace GiftMsg {
inline constexpr const char* OtherKind =
    "вопрос пропущен: это %s, а преобразуются только вопросы с выбором одного правильного ответа";
inline constexpr const char* Description = "описание (текст без вариантов ответа)";
inline constexpr const char* Essay = "эссе";
inline constexpr const char* Numerical = "числовой вопрос";
inline constexpr const char* Matching = "вопрос на соответствие";
inline constexpr const char* TrueFalse = "вопрос «верно/неверно»";
inline constexpr const char* ShortAnswer = "вопрос с коротким ответом";
inline constexpr const char* SeveralRight = "вопрос с несколькими правильными ответами";
inline constexpr const char* Weighted = "вопрос с весами ответов (%)";
inline constexpr const char* Braces = "вопрос пропущен: непарная фигурная скобка «{» или «}»";
inline constexpr const char* Feedback = "отзыв к ответу отброшен: в Ekzamo отзывов нет";
inline constexpr const char* GeneralFeedback = "общий отзыв к вопросу отброшен: в Ekzamo отзывов нет";
inline constexpr const char* Html = "разметка HTML удалена, оставлен текст";
inline constexpr const char* EmptyOptionDropped = "пустой вариант ответа пропущен";
inline constexpr const char* Penalties =
    "штрафы за неверные ответы (отрицательные веса) отброшены: в Ekzamo неверный ответ просто не засчитывается";
inline constexpr const char* Picture = "картинка не перенесена: в Ekzamo картинок нет, проверьте вопрос";
inline constexpr const char* NamedPicture = "картинка «%s» не перенесена: в Ekzamo картинок нет, проверьте вопрос";
inline constexpr const char* NoBlankLine =
    "перед этим вопросом нет пустой строки: он прочитан как отдельный вопрос, проверьте, где кончается предыдущий";
}

// Reads GIFT text; what is not a one-right-answer multiple-choice question
// is left out with a note naming its line.
TPlainTest ReadGift(std::string_view utf8);

// GIFT text of the questions, with GIFT's special characters escaped; a
// question GIFT cannot hold is left out with a note.
std::string GiftBytes(const std::vector<TPlainQuestion>& questions, std::vector<TFormatNote>& notes);
