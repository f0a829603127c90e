// SPDX-License-Identifier: MIT
#include "engine/Durations.h"
#include "engine/Errors.h"

#include <QLocale>
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

TEST(Durations, OtherLocalesKeepTheOneForm)
{
    // English has a 12-hour clock with AM and PM, German a leading zero.
    const QLocale old;
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German)}) {
        SCOPED_TRACE(locale.name().toStdString());
        QLocale::setDefault(locale);
        EXPECT_EQ(TimeToStr(4200000), "1:10:00");
        EXPECT_EQ(TimeToStr(47400000), "13:10:00");
        EXPECT_EQ(StrToTime("1:10:00"), 4200000);
        EXPECT_EQ(StrToTime("13:10:00"), 47400000);
        EXPECT_EQ(StrToTime("1:10 PM"), 47400000);
    }
    QLocale::setDefault(old);
}

} // namespace
