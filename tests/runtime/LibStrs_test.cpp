#include "runtime/LibStrs.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/core/dates.h"

using namespace ktrb;
using plat::EncodeDate;
using plat::EncodeTime;
using plat::Variant;

// ---- Tokens and texts -------------------------------------------------------

TEST(LibStrsText, TokenAtCountsPartsFromOne) {
    struct Case {
        const char* text;
        int n;
        const char* want;
    } cases[] = {
        {"A,B,C", 2, "B"}, {"A,B,C", 3, "C"}, {"A,B,C", 4, ""},   {"A,B,C", 0, ""},
        {"A,", 2, ""},     {"A,B,C", 1, "A"}, {"甲,乙", 2, "乙"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TokenAt(c.text, ",", c.n), c.want) << c.text << " " << c.n;
    EXPECT_EQ(TokenAt("a||b||c", "||", 3), "c");
}

TEST(LibStrsText, FieldCountIsDelimitersPlusOne) {
    EXPECT_EQ(FieldCount("", ";"), 0);
    EXPECT_EQ(FieldCount("AB", ";"), 1);
    EXPECT_EQ(FieldCount("A;B;", ";"), 3);
}

TEST(LibStrsText, CutTokenLeavesTheRest) {
    std::string s = "K1,K2,K3";
    EXPECT_EQ(CutToken(s, ","), "K1");
    EXPECT_EQ(s, "K2,K3");
    s = "K3";
    EXPECT_EQ(CutToken(s, ","), "K3");
    EXPECT_EQ(s, "");
}

TEST(LibStrsText, ZeroPadAndPadding) {
    EXPECT_EQ(ZeroPad(6, 42), "000042");
    EXPECT_EQ(ZeroPad(2, 123), "123");
    EXPECT_EQ(ZeroPad(5, -42), "-00042");
    EXPECT_EQ(ZeroPad(1, INT64_MIN), "-9223372036854775808");
    EXPECT_EQ(PadRight("ab", 5), "ab   ");
    EXPECT_EQ(PadLeft("7", 3, '0'), "007");
    // Widths count as the database code page writes the text: 中 is 2.
    EXPECT_EQ(PadRight("中", 4, '*'), "中**");
    EXPECT_EQ(PadRight("abcdef", 3), "abcdef");
}

TEST(LibStrsText, ReplaceAllTextRestartsFromTheStart) {
    EXPECT_EQ(ReplaceAllText("A,B,C", ",", ";", false), "A;B;C");
    // A removal that joins a new occurrence is replaced again.
    EXPECT_EQ(ReplaceAllText("aab", "ab", "b", false), "b");
    EXPECT_EQ(ReplaceAllText(" x,y ", ",", ";", true), "x;y");
    // Equal ignoring case: nothing to do.
    EXPECT_EQ(ReplaceAllText("abc", "B", "b", false), "abc");
}

TEST(LibStrsText, ReplaceAllTextEndsWhenTheNewTextHoldsTheOld) {
    EXPECT_EQ(ReplaceAllText("a,b", ",", ",,", false), "a,,b");
    EXPECT_EQ(ReplaceAllText("xx", "x", "xy", false), "xyxy");
    EXPECT_EQ(ReplaceAllText("aab", "ab", "bbaa", false), "abbaa");
}

TEST(LibStrsText, StripSortOrder) {
    EXPECT_EQ(StripSortOrder("ta001 desc"), "TA001");
    EXPECT_EQ(StripSortOrder(" mb002  ASC "), "MB002");
}

// ---- Dates ------------------------------------------------------------------

TEST(LibStrsDates, DateToTextByCode) {
    plat::TDateTime d = EncodeDate(2024, 3, 5);
    struct Case {
        int code;
        const char* sep;
        const char* want;
    } cases[] = {
        {1, "/", "2024/03/05"}, {2, "/", "03/05/2024"},  {3, "/", "05/03/2024"},
        {4, "/", "113/03/05"},  {5, "/", "113/03/05"},   {1, "", "20240305"},
        {6, "/", ""},           {1, "-.", "2024-03-05"},
    };
    for (const auto& c : cases) EXPECT_EQ(DateToText(c.code, c.sep, d), c.want) << c.code;
    EXPECT_EQ(DateToText(4, "/", EncodeDate(1915, 1, 2)), "04/01/02");
    EXPECT_EQ(DateToText(1, "/", 0), "");
}

TEST(LibStrsDates, TextToDateReadsEveryCode) {
    plat::TDateTime want = EncodeDate(2024, 3, 5);
    EXPECT_EQ(TextToDate("113/03/05", 5, "/"), want);
    EXPECT_EQ(TextToDate("113/3/5", 4, "/"), want);
    EXPECT_EQ(TextToDate("03/05/2024", 2, "/"), want);
    EXPECT_EQ(TextToDate(" 05 / 03 / 2024 ", 3, "/"), want);
    EXPECT_EQ(TextToDate("2024/13/01", 1, "/"), 0);
    EXPECT_EQ(TextToDate("2024/00/01", 1, "/"), 0);
    EXPECT_EQ(TextToDate("  ", 1, "/"), 0);
    EXPECT_EQ(TextToDate("2024/x/01", 1, "/"), 0);
    EXPECT_EQ(TextToDate("2024/03/05", 9, "/"), 0);
    EXPECT_EQ(TextToDate("2147483647/03/05", 4, "/"), 0);
}

// A day the month lacks is refused, not stored as a day of the next month.
TEST(LibStrsDates, TextToDateRefusesDaysTheMonthLacks) {
    EXPECT_EQ(TextToDate("2024/02/30", 1, "/"), 0);
    EXPECT_EQ(TextToDate("2023/02/29", 1, "/"), 0);
    EXPECT_EQ(TextToDate("2024/02/29", 1, "/"), EncodeDate(2024, 2, 29));
}

TEST(LibStrsDates, DisplayDateToYmd) {
    EXPECT_EQ(DisplayDateToYmd("05/03/2024", 3, "/"), "20240305");
    EXPECT_EQ(DisplayDateToYmd("03/05/2024", 2, "/"), "20240305");
    EXPECT_EQ(DisplayDateToYmd("113/03/05", 5, "/"), "20240305");
    EXPECT_EQ(DisplayDateToYmd("20240305", 1, ""), "20240305");
    // Keyed without the separators of the user's format.
    EXPECT_EQ(DisplayDateToYmd("20240305", 1, "/"), "20240305");
    EXPECT_EQ(DisplayDateToYmd("05032024", 3, "/"), "20240305");
    EXPECT_EQ(DisplayDateToYmd("1130305", 5, "/"), "20240305");
    EXPECT_EQ(DisplayDateToYmd("20241345", 1, "/"), "0");
    EXPECT_EQ(DisplayDateToYmd("2024030", 1, "/"), "0");
    EXPECT_EQ(TextToDate("20240305", 1, "/"), EncodeDate(2024, 3, 5));
    EXPECT_EQ(DisplayDateToYmd("2024/00/05", 1, "/"), "0");
    EXPECT_EQ(DisplayDateToYmd("2024/03", 1, "/"), "0");
    EXPECT_EQ(DisplayDateToYmd("2147483647/03/05", 5, "/"), "0");
}

TEST(LibStrsDates, DisplayDateToYmdRefusesDatesTheCalendarLacks) {
    EXPECT_EQ(DisplayDateToYmd("2024/02/30", 1, "/"), "0");
    EXPECT_EQ(DisplayDateToYmd("20230229", 1, ""), "0");
    EXPECT_EQ(DisplayDateToYmd("31/04/2024", 3, "/"), "0");
}

TEST(LibStrsDates, YmdToDateAndSqlRange) {
    EXPECT_EQ(YmdToDate("20240305"), EncodeDate(2024, 3, 5));
    for (const char* bad : {"2024035", "20240230", "00000101", "2024ab05", "202403050"})
        EXPECT_EQ(YmdToDate(bad), 0) << bad;
    EXPECT_TRUE(IsSqlDateRange(""));
    EXPECT_TRUE(IsSqlDateRange("17530101"));
    EXPECT_FALSE(IsSqlDateRange("17521231"));
    EXPECT_FALSE(IsSqlDateRange("20240230"));
}

TEST(LibStrsDates, IncYmdDate) {
    struct Case {
        const char* from;
        const char* unit;
        int n;
        const char* want;
    } cases[] = {
        {"20240131", "M", 1, "20240229"},  {"20240229", "Y", 1, "20240229"},
        {"20241231", "D", 1, "20250101"},  {"20240315", "m", -3, "20231215"},
        {"20241215", "M", 12, "20251215"}, {"20240315", "W", 1, ""},
        {"20240230", "D", 1, ""},          {"00010115", "M", -1, "00010115"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(IncYmdDate(Variant(c.from), c.unit, c.n), c.want) << c.from << c.unit;
    EXPECT_EQ(IncYmdDate(Variant::Date(EncodeDate(2024, 1, 31)), "M", 1), "20240229");
    // Far outside the calendar: no such year keeps the date, no such day is
    // no date at all.
    EXPECT_EQ(IncYmdDate(Variant("20240131"), "Y", INT_MAX), "20240131");
    EXPECT_EQ(IncYmdDate(Variant("20240131"), "Y", INT_MIN), "20240131");
    EXPECT_EQ(IncYmdDate(Variant("20240131"), "D", 2000000000), "");
    EXPECT_EQ(IncYmdDate(Variant("20240131"), "D", -1000000), "");
    EXPECT_EQ(IncYmdDate(Variant(5), "D", 1), "");
}

TEST(LibStrsDates, DaysOfMonth) {
    EXPECT_EQ(DaysOfMonth(2024, 2), 29);
    EXPECT_EQ(DaysOfMonth(1900, 2), 28);
    EXPECT_EQ(DaysOfMonth(2000, 2), 29);
    EXPECT_EQ(DaysOfMonth(2024, 13), 0);
}

TEST(LibStrsDates, DateTimeTextsBothWays) {
    plat::TDateTime t = EncodeDate(2024, 3, 5) + EncodeTime(7, 8, 9, 10);
    EXPECT_EQ(DateTimeToText(1, "/", t), "2024/03/05 07:08:09:010");
    EXPECT_EQ(DateTimeToText(3, "-", t), "05-03-2024 07:08:09:010");
    EXPECT_EQ(YmdHmsToDateTime("20240305070809010"), t);
    EXPECT_EQ(YmdHmsToDateTime("00000000070809010"), EncodeTime(7, 8, 9, 10));
    EXPECT_EQ(YmdHmsToDateTime("20240305250000000"), 0);
    EXPECT_EQ(YmdHmsToDateTime("20241305070809010"), 0);
}

TEST(LibStrsDates, CheckIdNumber) {
    EXPECT_TRUE(CheckIdNumber("04595257"));
    EXPECT_TRUE(CheckIdNumber("10000078"));  // seventh digit 7: valid by the second sum
    EXPECT_FALSE(CheckIdNumber("10000068"));
    EXPECT_FALSE(CheckIdNumber("04595258"));
    EXPECT_FALSE(CheckIdNumber("0459525"));
    EXPECT_FALSE(CheckIdNumber("0459525A"));
}

// ---- Numbers ----------------------------------------------------------------

TEST(LibStrsNumbers, RoundToDecimalsRoundsHalfAwayFromZero) {
    struct Case {
        int decimals;
        double value, want;
    } cases[] = {
        {2, 1.005, 1.01},      {2, 2.675, 2.68}, {2, -2.675, -2.68},       {0, -0.5, -1},
        {0, 0.5, 1},           {2, 0, 0},        {3, 1234.5675, 1234.568}, {0, 12345.5, 12346},
        {0, 1e15 + 0.5, 1e15},  // 15 significant digits first
    };
    for (const auto& c : cases) EXPECT_EQ(RoundToDecimals(c.decimals, c.value), c.want) << c.value;
}

TEST(LibStrsNumbers, CompareFloatsHasATolerance) {
    EXPECT_EQ(CompareFloats(0.1 + 0.2, 0.3), 0);
    EXPECT_EQ(CompareFloats(1.0000001, 1), 1);
    EXPECT_EQ(CompareFloats(-1, 1), -1);
}

TEST(LibStrsNumbers, Durations) {
    Variant r = AddDurationTexts("001:30:00", "000:45:30", 1);
    EXPECT_EQ(r[0].AsInt64(), 8130);
    EXPECT_EQ(r[1].AsString(), "0002:15:30");
    EXPECT_EQ(AddDurationTexts("001:30:00", "002:00:00", -1)[1].AsString(), "-0000:30:00");
    for (auto bad : {AddDurationTexts("001:30:00", "000:45:30", 0),
                     AddDurationTexts("01:30:0", "000:45:30", 1),
                     AddDurationTexts(" 01:30:00", "000:45:30", 1),
                     AddDurationTexts("0:1:30:00", "000:45:30", 1)}) {
        EXPECT_EQ(bad[0].AsInt64(), 0);
        EXPECT_EQ(bad[1].AsString(), "000:00:00");
    }
    // Hours or sums beyond the range of the seconds count are no duration.
    for (auto beyond : {AddDurationTexts("9999999999999999:00:00", "000:00:00", 1),
                        AddDurationTexts("000:00:9223372036854775807", "000:00:01", 1),
                        AddDurationTexts("000:00:00", "9999999999999999:00:00", -1)}) {
        EXPECT_EQ(beyond[0].AsInt64(), 0);
        EXPECT_EQ(beyond[1].AsString(), "000:00:00");
    }
    EXPECT_EQ(SecondsToDurationText(-3661), "-0001:01:01");
    EXPECT_EQ(SecondsToDurationText(0), "0000:00:00");
    EXPECT_EQ(SecondsToDurationText(INT64_MIN), "0000:00:00");
}

namespace {

Variant taxInput(const char* currency, const char* local, double rate, const char* type,
                 double exchange, int d, int ld, double amount) {
    return plat::VarArrayOf({currency, local, rate, type, exchange, d, ld, amount});
}

void expectSplit(const Variant& got, double untaxed, double tax, double localUntaxed,
                 double localTax) {
    ASSERT_TRUE(got.IsArray());
    EXPECT_DOUBLE_EQ(got[0].AsFloat(), untaxed);
    EXPECT_DOUBLE_EQ(got[1].AsFloat(), tax);
    EXPECT_DOUBLE_EQ(got[2].AsFloat(), localUntaxed);
    EXPECT_DOUBLE_EQ(got[3].AsFloat(), localTax);
}

}  // namespace

TEST(LibStrsNumbers, SplitTaxAmountsInOneCurrency) {
    expectSplit(SplitTaxAmounts(taxInput("NTD", "NTD", 0.05, "1", 1, 2, 2, 105)), 100, 5, 100, 5);
    expectSplit(SplitTaxAmounts(taxInput("NTD", "NTD", 0.05, "2", 1, 2, 2, 105)), 105, 5.25, 105,
                5.25);
    expectSplit(SplitTaxAmounts(taxInput("NTD", "NTD", 0.05, "3", 1, 2, 2, 105)), 105, 0, 105, 0);
}

TEST(LibStrsNumbers, SplitTaxAmountsInAForeignCurrency) {
    expectSplit(SplitTaxAmounts(taxInput("USD", "NTD", 0.05, "1", 30, 2, 0, 10.5)), 10, 0.5, 300,
                15);
    expectSplit(SplitTaxAmounts(taxInput("USD", "NTD", 0.05, "2", 30, 2, 0, 10)), 10, 0.5, 300, 15);
    expectSplit(SplitTaxAmounts(taxInput("USD", "NTD", 0.05, "3", 30, 2, 0, 10.5)), 10.5, 0, 315,
                0);
}

TEST(LibStrsNumbers, SplitTaxAmountsGivesZerosForBadInput) {
    expectSplit(SplitTaxAmounts(plat::VarArrayOf({"NTD", "NTD", 0.05})), 0, 0, 0, 0);
    expectSplit(SplitTaxAmounts(Variant("x")), 0, 0, 0, 0);
    // An element that is no number stops the split; nothing is raised.
    Variant bad = taxInput("NTD", "NTD", 0.05, "1", 1, 2, 2, 105);
    bad[7] = "abc";
    expectSplit(SplitTaxAmounts(bad), 0, 0, 0, 0);
}

TEST(LibStrsNumbers, SplitTaxByRate) {
    expectSplit(SplitTaxByRate(taxInput("NTD", "NTD", 0.05, "1", 1, 2, 2, 100)), 95, 5, 95, 5);
    expectSplit(SplitTaxByRate(taxInput("USD", "NTD", 0.05, "1", 30, 2, 0, 10)), 9.5, 0.5, 285, 15);
    expectSplit(SplitTaxByRate(taxInput("NTD", "NTD", 0.05, "2", 1, 2, 2, 100)), 0, 0, 0, 0);
}
