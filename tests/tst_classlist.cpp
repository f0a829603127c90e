// SPDX-License-Identifier: MIT
#include "journal/ClassList.h"
#include "engine/Errors.h"
#include "tests/TestUtil.h"

#include <gtest/gtest.h>

TEST(ClassList, NamesReadInEitherEncoding)
{
    const std::vector<std::pair<std::string, std::vector<QString>>> cases = {
        {"Иванов Иван\nПетров Пётр\n", {"Иванов Иван", "Петров Пётр"}},
        {"\xEF\xBB\xBFИванов Иван\r\n\r\n  Петров   Пётр  \r\n", {"Иванов Иван", "Петров Пётр"}},
        {Cp("Иванов Иван\r\nЁлкин Фёдор\r\n"), {"Иванов Иван", "Ёлкин Фёдор"}},
        {"Иванов Иван\nиванов  иван\nИВАНОВ ИВАН\n", {"Иванов Иван"}},
    };
    for (const auto& [bytes, names] : cases)
        EXPECT_EQ(ParseClassList(bytes, "list.txt"), names) << bytes;
}

TEST(ClassList, WhatIsNoListIsRefused)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\n  \n", "list.txt: в списке класса нет ни одного имени"},
        {"Иванов\nПетров\x01\n", "list.txt: это не список класса: управляющий символ в строке 2"},
        {Cp("Иванов\n") + "\x98\xE0\n", "list.txt: это не список класса: управляющий символ в строке 2"},
        {std::string(201, 'x'), "list.txt: это не список класса: строка 1 длиннее 200 знаков"},
    };
    for (const auto& [bytes, message] : cases) {
        try {
            ParseClassList(bytes, "list.txt");
            ADD_FAILURE() << message;
        } catch (const EError& e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}
