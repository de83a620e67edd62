#include "platform/core/numbers.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"

using namespace plat;

TEST(Numbers, FloatToStrWritesFifteenDigits) {
    struct Case {
        double v;
        const char* expected;
    } cases[] = {
        {0, "0"},
        {1.5, "1.5"},
        {-0.25, "-0.25"},
        {0.1 + 0.2, "0.3"},
        {1e15, "1E15"},
        {123456789012345, "123456789012345"},
        {1e-5, "1E-5"},
        {0.0001, "0.0001"},
        {1.0 / 3, "0.333333333333333"},
        {2.0 / 3, "0.666666666666667"},
        {-1.5e300, "-1.5E300"},
        {std::numeric_limits<double>::quiet_NaN(), "NAN"},
        {-std::numeric_limits<double>::infinity(), "-INF"},
    };
    for (const Case& c : cases) EXPECT_EQ(FloatToStr(c.v), c.expected) << c.expected;
}

TEST(Numbers, FixedRoundsHalfAwayFromZeroOnEighteenDigits) {
    struct Case {
        double v;
        int decimals;
        const char* expected;
    } cases[] = {
        {2.5, 0, "3"},
        {-2.5, 0, "-3"},
        {3.5, 0, "4"},
        {0.125, 2, "0.13"},
        {1.005, 2, "1.00"},
        {2.675, 2, "2.67"},
        {1.0049999, 2, "1.00"},
        {0.5, 0, "1"},
        {0.004, 2, "0.00"},
        {-0.004, 2, "0.00"},
        {9.995, 2, "9.99"},
        {9.9951, 2, "10.00"},
        {999.5, 0, "1000"},
        {0, 3, "0.000"},
        {1234567.891, 1, "1234567.9"},
        {1e-20, 2, "0.00"},
        {123, 20, "123.000000000000000000"},  // decimals clamp at 18
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFixed(c.v, c.decimals), c.expected) << c.v << "/" << c.decimals;
}

// The text-free readings must give the very bits the texts read back as:
// amounts on cent and half-cent boundaries, carries through nines, tiny and
// huge magnitudes, and random doubles of every exponent.
TEST(Numbers, TextValuesWithoutTextMatchTheTextBitForBit) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.5,
                                  -0.5,
                                  1.005,
                                  2.675,
                                  9.995,
                                  9.9951,
                                  999.5,
                                  0.125,
                                  1e-20,
                                  1e15,
                                  1e16,
                                  99999.995,
                                  0.999999999999999999,
                                  1e-300,
                                  1e300,
                                  123456789012345678.0,
                                  -0.004999999999};
    std::mt19937_64 rng(20240301);
    std::uniform_real_distribution<double> cents(-1e7, 1e7);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(std::round(cents(rng) * 100) / 100 * (i % 3 == 0 ? 1.13 : 1));
        values.push_back(std::round(cents(rng) * 1000) / 1000 + 0.0005);
        values.push_back(std::bit_cast<double>(rng()));
    }
    const auto same = [](double a, double b) {
        return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b);
    };
    const auto textValue = [](const std::string& text, double& out) {
        return TryStrToFloat(text, out);
    };
    for (double v : values) {
        double fast = 0, slow = 0;
        if (TryFloatTextValue(v, fast)) {
            ASSERT_TRUE(textValue(FloatToStr(v), slow)) << v;
            ASSERT_TRUE(same(fast, slow)) << FloatToStr(v);
        }
        for (int decimals : {-1, 0, 2, 4, 6, 18, 20}) {
            if (!TryFixedTextValue(v, decimals, fast)) continue;
            ASSERT_TRUE(textValue(FormatFixed(v, decimals), slow)) << v;
            ASSERT_TRUE(same(fast, slow)) << FormatFixed(v, decimals) << " " << decimals;
        }
    }
    double out = 0;
    ASSERT_TRUE(TryFixedTextValue(2.675, 2, out));
    EXPECT_EQ(out, 2.67);
    ASSERT_TRUE(TryFloatTextValue(0.1 + 0.2, out));
    EXPECT_EQ(out, 0.3);
    EXPECT_FALSE(TryFloatTextValue(std::numeric_limits<double>::quiet_NaN(), out));
    EXPECT_FALSE(TryFixedTextValue(std::numeric_limits<double>::infinity(), 2, out));
    EXPECT_FALSE(TryFixedTextValue(1e18, 2, out));
}

TEST(Numbers, FloatToStrFFormats) {
    EXPECT_EQ(FloatToStrF(1234567.125, FloatFormat::Number, 18, 2), "1,234,567.13");
    EXPECT_EQ(FloatToStrF(-1234.5, FloatFormat::Number, 18, 0), "-1,235");
    EXPECT_EQ(FloatToStrF(1234.5, FloatFormat::Exponent, 15, 3), "1.23450000000000E+003");
    EXPECT_EQ(FloatToStrF(-0.00012, FloatFormat::Exponent, 3, 2), "-1.20E-04");
    EXPECT_EQ(FloatToStrF(1.23456789, FloatFormat::Fixed, 4, 6), "1.235000");
    EXPECT_EQ(FloatToStrF(1e20, FloatFormat::Fixed, 18, 2), "1E20");
    EXPECT_EQ(FloatToStrF(12.5, FloatFormat::Currency, 18, 2), "￥12.50");
    EXPECT_EQ(FloatToStrF(-12.5, FloatFormat::Currency, 18, 2), "￥-12.50");
    EXPECT_EQ(FloatToStrF(123456, FloatFormat::General, 3, 0), "1.23E5");
}

TEST(Numbers, FormatFloatPictures) {
    struct Case {
        const char* format;
        double v;
        const char* expected;
    } cases[] = {
        {"#,##0.00", 1234.5, "1,234.50"},
        {"#,##0.00", -1234.5, "-1,234.50"},
        {"#,##0.00", 0, "0.00"},
        {"#,##0.00", 0.005, "0.01"},
        {"#,##0.00", 1234567890.125, "1,234,567,890.13"},
        {"0.00", 1.005, "1.00"},
        {"0.00", 2.5, "2.50"},
        {"0", 2.5, "3"},
        {"0", -0.4, "0"},  // rounds to zero: no sign
        {"#.##", 0.5, ".5"},
        {"#.##", 0, ""},
        {"#,##0.##", 9999999.9, "9,999,999.9"},
        {"#,##0.000", 9999999.9, "9,999,999.900"},
        {"#,##0.#######", 1.25, "1.25"},
        {"#,##0.#######", 100, "100"},
        {"000", 7, "007"},
        {"0.0#", 1.5, "1.5"},
        {"0.0#", 1.5551, "1.56"},
        {"0.0#", 1.555, "1.55"},
        {"0.00;(0.00)", -3.1, "(3.10)"},
        {"0.00;(0.00);'zero'", 0, "zero"},
        {"0.00;(0.00);'zero'", 0.001, "zero"},
        {"0.00;;'zero'", -2, "-2.00"},
        {"'Total: '#,##0", 1500, "Total: 1,500"},
        {"\"a;b\"0", 5, "a;b5"},
        {"0.00%", 12.345, "12.35%"},  // "%" is written as it stands
        {"0.00E+00", 1234.5, "1.23E+03"},
        {"0.0E-0", 0.00012, "1.2E-4"},
        {"", 1.5, "1.5"},
        {"#,##0", 1e19, "1E19"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFloat(c.format, c.v), c.expected) << c.format << " " << c.v;
}

TEST(Numbers, ExistingParsersKeepTheirRules) {
    EXPECT_EQ(StrToInt(" 42 "), 42);
    EXPECT_EQ(StrToInt("$FF"), 255);
    EXPECT_THROW(StrToInt("4 2"), EConvertError);
    EXPECT_THROW(StrToInt("99999999999"), EConvertError);
    for (const char* bad : {"-\t5", "+ 5", "--5", "$-5", "0x", "$", "-", "\x01"})
        EXPECT_EQ(StrToIntDef(bad, -99), -99) << bad;
    EXPECT_EQ(StrToIntDef(" -5 ", 0), -5);
    EXPECT_EQ(StrToIntDef("x", -1), -1);
    EXPECT_DOUBLE_EQ(StrToFloat("1.5e2"), 150);
    EXPECT_THROW(StrToFloat("1,5"), EConvertError);
    EXPECT_DOUBLE_EQ(StrToFloatDef("", 7), 7);
}
