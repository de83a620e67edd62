#include "platform/core/dates.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"

using namespace plat;

namespace {
TDateTime at(int y, int m, int d, int h = 0, int n = 0, int s = 0, int ms = 0) {
    return EncodeDate(y, m, d) + EncodeTime(h, n, s, ms);
}
}  // namespace

TEST(Dates, EncodeAndDecodeAroundTheEpoch) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
    EXPECT_EQ(EncodeDate(2024, 3, 5), 45356);
    EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
    struct Case {
        double dt;
        int y, m, d, h, n;
    } cases[] = {
        {45356.5, 2024, 3, 5, 12, 0},
        {-1.25, 1899, 12, 29, 6, 0},  // before the epoch the fraction still adds time
        {-0.5, 1899, 12, 30, 12, 0},
        {2958465.0, 9999, 12, 31, 0, 0},
        {45356.99999999999, 2024, 3, 6, 0, 0},  // rounds to the millisecond first
    };
    for (const Case& c : cases) {
        int y, m, d, h, n, s, ms;
        DecodeDate(c.dt, y, m, d);
        DecodeTime(c.dt, h, n, s, ms);
        EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d) << c.dt;
        EXPECT_EQ(h * 100 + n, c.h * 100 + c.n) << c.dt;
    }
    int y, m, d;
    DecodeDate(NAN, y, m, d);
    EXPECT_EQ(y + m + d, 0);
    DecodeDate(1e300, y, m, d);
    EXPECT_EQ(y + m + d, 0);
}

TEST(Dates, ValidityChecks) {
    EXPECT_TRUE(IsValidDate(2024, 2, 29));
    EXPECT_FALSE(IsValidDate(2023, 2, 29));
    EXPECT_FALSE(IsValidDate(1900, 2, 29));
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_FALSE(IsValidDate(10000, 1, 1));
    EXPECT_FALSE(IsValidDate(2024, 13, 1));
    EXPECT_FALSE(IsValidTime(24, 0, 0, 0));
    EXPECT_THROW(EncodeDate(2024, 2, 30), EConvertError);
    EXPECT_THROW(EncodeTime(0, 60, 0, 0), EConvertError);
    TDateTime out = 7;
    EXPECT_FALSE(TryEncodeDate(0, 1, 1, out));
    EXPECT_EQ(out, 7);
    EXPECT_EQ(DaysInAMonth(2024, 2), 29);
    EXPECT_EQ(DaysInAMonth(2024, 0), 0);
}

TEST(Dates, DayOfWeekAndIncMonth) {
    EXPECT_EQ(DayOfWeek(EncodeDate(2024, 3, 5)), 3);  // a Tuesday
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 30)), 7);
    EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 24)), 1);
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 31)), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 3, 31), -1), EncodeDate(2024, 2, 29));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 11, 15), 14), EncodeDate(2026, 1, 15));
    EXPECT_EQ(IncMonth(EncodeDate(2024, 1, 15), -13), EncodeDate(2022, 12, 15));
    EXPECT_DOUBLE_EQ(IncMonth(at(2024, 1, 31, 6)), at(2024, 2, 29, 6));
    EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1)), EConvertError);
}

TEST(Dates, FormatDateTimePatterns) {
    TDateTime dt = at(2024, 3, 5, 14, 7, 9, 45);
    struct Case {
        const char* format;
        const char* expected;
    } cases[] = {
        {"YYYYMMDD", "20240305"},
        {"yyyymmdd", "20240305"},
        {"yyyymmddhhnnss", "20240305140709"},
        {"YYYY/MM/DD hh:nn:ss:zzz", "2024/03/05 14:07:09:045"},
        {"YYYY-mm-DD HH:nn:ss", "2024-03-05 14:07:09"},
        {"hh:nn", "14:07"},
        {"hh:mm", "14:07"},  // m after h is minutes
        {"yyyy/mm/dd", "2024/03/05"},
        {"yyyy/m/d", "2024/3/5"},
        {"yy", "24"},
        {"h:n:s.z", "14:7:9.45"},
        {"'Day' d 'of' mm", "Day 5 of 03"},
        {"\"yyyy\"yyyy", "yyyy2024"},
        {"hh am/pm", "02 pm"},
        {"h a/p", "2 p"},
        {"hh AMPM", "02 下午"},
        {"dddd", "星期二"},
        {"mmmm", "三月"},
        {"c", "2024/03/05 14:07:09"},
        {"ddddd", "2024/03/05"},
        {"tt", "14:07:09"},
        {"'unterminated", "unterminated"},
    };
    for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.format, dt), c.expected) << c.format;
    EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 3, 5)), "2024/03/05");
}

TEST(Dates, SeparatorsAndShortDateFormatAreSettings) {
    TDateTime dt = at(2024, 3, 5, 8, 30);
    EXPECT_EQ(DateTimeToStr(dt), "2024/03/05 08:30:00");
    FormatSettings s = *CurrentFormatSettings();
    s.DateSeparator = '-';
    s.TimeSeparator = '.';
    s.ShortDateFormat = "dd/mm/yyyy";
    FormatSettingsScope scope(s);
    EXPECT_EQ(FormatDateTime("yyyy/mm/dd hh:nn", dt), "2024-03-05 08.30");
    EXPECT_EQ(DateToStr(dt), "05-03-2024");
    EXPECT_EQ(ShortDateFormat(), "dd/mm/yyyy");
}

TEST(Dates, NowHasMilliseconds) {
    TDateTime a = Now();
    TDateTime today = Date();
    EXPECT_GE(a, today);
    EXPECT_LT(a - today, 1.0 + 1e-6);
    EXPECT_GE(Time(), 0);
    EXPECT_LT(Time(), 1);
    // A whole-second clock would leave the millisecond part at zero every time.
    bool sawMs = false;
    for (int i = 0; i < 50 && !sawMs; ++i) {
        int h, n, s, ms;
        DecodeTime(Now(), h, n, s, ms);
        sawMs = ms != 0;
    }
    EXPECT_TRUE(sawMs);
}
