#include "platform/core/format.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"

using namespace plat;

namespace {

struct Case {
    const char* format;
    std::vector<Variant> args;
    const char* expected;
};

}  // namespace

TEST(Format, Directives) {
    const Case cases[] = {
        {"%s", {"abc"}, "abc"},
        {"[%s]程序不存在!", {"KTRB52"}, "[KTRB52]程序不存在!"},
        {"%S", {"x"}, "x"},  // type letters in either case
        {"%d", {42}, "42"},
        {"%d", {Variant(-7L)}, "-7"},
        {"UDF%.2d", {5}, "UDF05"},
        {"%.2d", {-5}, "-05"},
        {"%.*d", {6, 42}, "000042"},
        {"%.*d", {2, 123}, "123"},  // a longer number is not cut
        {"%.4d:%.2d:%.2d", {1, 1, 1}, "0001:01:01"},
        {"%d%.2d%.2d", {2024, 3, 5}, "20240305"},
        {"%x", {255}, "FF"},
        {"%.4x", {255}, "00FF"},
        {"%x", {-1}, "FFFFFFFF"},
        {"%x", {Variant(-1L)}, "FFFFFFFFFFFFFFFF"},
        {"%u", {-1}, "4294967295"},
        {"%f", {2.5}, "2.50"},
        {"%.0f", {2.5}, "3"},
        {"%.2f", {0.125}, "0.13"},
        {"%.2f", {1.005}, "1.00"},
        {"%.*f", {3, 2.0625}, "2.063"},
        {"%.3f", {1.0005}, "1.000"},  // 1.000499999999999945 in binary
        {"%10.*f", {2, 3.14159}, "      3.14"},
        {"%3.2f%%", {12.5}, "12.50%"},
        {"%f", {7}, "7.00"},  // integers are taken where a float is asked
        {"%n", {1234567.891}, "1,234,567.89"},
        {"%m", {1234.5}, "￥1,234.50"},
        {"%e", {1234.5}, "1.23450000000000E+003"},
        {"%.3e", {-0.0012345}, "-1.23E-003"},
        {"%g", {0.5}, "0.5"},
        {"%5d|%-5d|", {1, 2}, "    1|2    |"},
        {"%-*s|", {6, "中文"}, "中文  |"},  // width counts the code-page width
        {"%6s|", {"中a"}, "   中a|"},
        {"%.3s", {"中文字"}, "中"},  // precision cut never splits a character
        {"%1:s %0:s %s", {"a", "b"}, "b a b"},
        {"100%%", {}, "100%"},
        {"%s", {"a", "extra"}, "a"},  // extra arguments are ignored
        {"no directives", {}, "no directives"},
        {"%s", {Variant::Wide("wide")}, "wide"},
        {"%d", {Variant::Integer(VarType::Byte, 200)}, "200"},
        {"%.2f", {Variant::Currency(1.255)}, "1.26"},  // currency is exact
        {"%m", {Variant::Currency(-0.5)}, "￥-0.50"},
        {"%.2f", {1.255}, "1.25"},
        {"(%s%s%s %s %s)", {"A.", "B", "", "=", "'x'"}, "(A.B = 'x')"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(Format(c.format, c.args), c.expected);
    }
}

TEST(Format, BadFormatsAndArgumentsRaise) {
    const Case cases[] = {
        {"%s", {}, ""},                 // missing argument
        {"%s %s", {"a"}, ""},           // one too few
        {"%d", {"12"}, ""},             // text for an integer
        {"%d", {1.5}, ""},              // float for an integer
        {"%d", {true}, ""},             // Boolean is no integer
        {"%s", {5}, ""},                // number for a text
        {"%s", {Variant::Null()}, ""},  // Null is no text
        {"%f", {"1.5"}, ""},            // text for a float
        {"%s", {VarArrayOf({1})}, ""},  // arrays never
        {"%", {1}, ""},                 // cut directive
        {"abc %", {}, ""},
        {"%-", {1}, ""},
        {"%5.", {1}, ""},
        {"%q", {1}, ""},  // unknown type
        {"%p", {1}, ""},
        {"%*d", {"x", 1}, ""},    // star needs an integer
        {"%.*f", {2}, ""},        // star consumed the only argument
        {"%3:s", {"a"}, ""},      // index beyond the arguments
        {"%99999999d", {1}, ""},  // absurd width
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_THROW(Format(c.format, c.args), EConvertError);
    }
    try {
        Format("%d", {"x"});
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Format '%d' invalid or incompatible with argument");
    }
}
