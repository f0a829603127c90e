// SPDX-License-Identifier: MIT
#include "engine/Durations.h"
#include "engine/Errors.h"

#include <gtest/gtest.h>

namespace {

TEST(Durations, TimesReadAndWriteInTheLongFormat)
{
    const std::pair<const char*, std::int64_t> valid[] = {
        {"1:10:00", 4200000},   {"01:10:00", 4200000}, {"0:00:00", 0},
        {"23:59:59.999", 86399999}, {"1:10", 4200000}, {"1:10:00.5", 4200500},
        {"1:10 PM", 47400000},  {"12:00:00 am", 0},   {" 2:03:04 ", 7384000},
    };
    for (const auto& [text, ms] : valid) {
        SCOPED_TRACE(text);
        EXPECT_EQ(StrToTime(text), ms);
    }
    for (const char* text : {"", "abc", "24:00:00", "1:60:00", "1:00:60", "13:00 PM", "1", "1:", "1:2:3:4", "1:10:00x"}) {
        SCOPED_TRACE(text);
        try {
            StrToTime(text);
            ADD_FAILURE() << "accepted";
        } catch (const EError& e) {
            EXPECT_EQ(e.what(), "'" + std::string(text) + "' is not a valid time");
        }
    }
    EXPECT_EQ(TimeToStr(4200000), "1:10:00");
    EXPECT_EQ(TimeToStr(999), "0:00:00");
    EXPECT_EQ(TimeToStr(-999), "0:00:00");
    EXPECT_EQ(TimeToStr(-61000), "0:01:01");
    EXPECT_EQ(TimeToStr(86399999), "23:59:59");
}

} // namespace
