#include "platform/core/text.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"

using namespace plat;

namespace {

struct CpCase {
    CodePage cp;
    const char* utf8;
    const char* bytes;
};

const CpCase kRoundTrips[] = {
    {CodePage::Gbk, "中文简体", "\xD6\xD0\xCE\xC4\xBC\xF2\xCC\xE5"},
    {CodePage::Gbk, "€5",
     "\x80"
     "5"},  // 0x80 is the euro sign of 936
    {CodePage::Gbk, "委外进货单 A1", "\xCE\xAF\xCD\xE2\xBD\xF8\xBB\xF5\xB5\xA5 A1"},
    {CodePage::Big5, "中文繁體", "\xA4\xA4\xA4\xE5\xC1\x63\xC5\xE9"},
    {CodePage::Big5, "€", "\xA3\xE1"},
    {CodePage::Us, "abc", "abc"},
    {CodePage::Us, "é", "\x82"},
    {CodePage::Gbk, "", ""},
};

}  // namespace

TEST(TextCodePage, RoundTripsThroughEachCodePage) {
    for (const CpCase& c : kRoundTrips) {
        SCOPED_TRACE(c.utf8);
        EXPECT_EQ(ToCodePage(c.utf8, c.cp), c.bytes);
        EXPECT_EQ(FromCodePage(c.bytes, c.cp), c.utf8);
    }
}

TEST(TextCodePage, StrictConversionRaisesNamingTheOffset) {
    try {
        ToCodePage("ab😀c", CodePage::Gbk);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("U+1F600"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("offset 2"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ToCodePage("中", CodePage::Us), EConvertError);
    EXPECT_THROW(ToCodePage("a\xFF"
                            "b",
                            CodePage::Gbk),
                 EConvertError);                                       // not UTF-8
    EXPECT_THROW(FromCodePage("\xD6", CodePage::Gbk), EConvertError);  // cut lead byte
    EXPECT_THROW(FromCodePage("\x81\x20", CodePage::Big5), EConvertError);
}

TEST(TextCodePage, ReplacingConversionCountsWhatItReplaced) {
    ConvertedText t = ToCodePageReplacing("a😀中😀", CodePage::Gbk);
    EXPECT_EQ(t.text, "a?\xD6\xD0?");
    EXPECT_EQ(t.replaced, 2);
    ConvertedText f = FromCodePageReplacing("x\xD6\xD0\xFFy", CodePage::Gbk);
    EXPECT_EQ(f.text, "x中\xEF\xBF\xBDy");
    EXPECT_EQ(f.replaced, 1);
    EXPECT_EQ(ToCodePageReplacing("plain", CodePage::Big5).replaced, 0);
}

TEST(TextCodePage, AnsiCodePageIsASettingWithAScope) {
    EXPECT_EQ(AnsiCodePage(), CodePage::Gbk);
    {
        AnsiCodePageScope scope(CodePage::Big5);
        EXPECT_EQ(ToAnsi("中"), "\xA4\xA4");
    }
    EXPECT_EQ(ToAnsi("中"), "\xD6\xD0");
    EXPECT_EQ(CodePageFromNumber(950), CodePage::Big5);
    EXPECT_THROW(CodePageFromNumber(1252), EConvertError);
}

TEST(TextCodePage, Big5ExtensionGroupsMapBothWays) {
    struct Case {
        const char* bytes;
        char32_t cp;
    } cases[] = {
        {"\x81\x80", 0xA001}, {"\xA3\xE1", 0xC122}, {"\xFE\xA0", 0xC07E}, {"\xA3\xC0", 0xC101}};
    SetBig5ExtensionGroups(true);
    for (const Case& c : cases) {
        std::string utf8 = FromCodePage(c.bytes, CodePage::Big5);
        std::string enc;
        // U+A001..U+C13F are three-byte UTF-8.
        enc += (char)(0xE0 | (c.cp >> 12));
        enc += (char)(0x80 | ((c.cp >> 6) & 0x3F));
        enc += (char)(0x80 | (c.cp & 0x3F));
        EXPECT_EQ(utf8, enc) << c.bytes;
        EXPECT_EQ(ToCodePage(enc, CodePage::Big5), c.bytes);
    }
    EXPECT_EQ(FromCodePage("a\xA4\xA4\x81\x80z", CodePage::Big5), "a中\xEA\x80\x81z");
    EXPECT_EQ(FromCodePage("\xA4\xA4", CodePage::Gbk), "い");  // other code pages untouched
    SetBig5ExtensionGroups(false);
    EXPECT_THROW(FromCodePage("\x81\x80", CodePage::Big5), EConvertError);
    EXPECT_EQ(FromCodePage("\xA3\xE1", CodePage::Big5), "€");
}

TEST(TextWidth, MatchesTheEncodedLength) {
    const char* texts[] = {"", "abc", "中文", "a中b文c", "€", "繁體字 x", "é", "\t\r\n"};
    for (CodePage cp : {CodePage::Gbk, CodePage::Big5}) {
        for (const char* t : texts) {
            ConvertedText enc = ToCodePageReplacing(t, cp);
            if (enc.replaced) continue;
            EXPECT_EQ(TextWidth(t, cp), (int)enc.text.size()) << t << " in " << (int)cp;
        }
    }
    EXPECT_EQ(TextWidth("€", CodePage::Gbk), 1);
    EXPECT_EQ(TextWidth("€", CodePage::Big5), 2);
    EXPECT_EQ(TextWidth("é", CodePage::Us), 1);
    EXPECT_EQ(TextWidth("😀"), 2);  // cannot be written: counted as a double-byte char
    EXPECT_EQ(TextWidth("a\xFF"
                        "b"),
              3);  // invalid bytes count one each
}

TEST(TextWidth, CutNeverSplitsACharacter) {
    struct Case {
        const char* text;
        int width;
        const char* expected;
    } cases[] = {
        {"中文字", 3, "中"}, {"中文字", 4, "中文"}, {"a中", 2, "a"},    {"a中", 3, "a中"},
        {"abc", 0, ""},      {"abc", -1, ""},       {"abc", 10, "abc"}, {"\xE4\xB8", 5, "\xE4\xB8"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutToWidth(c.text, c.width), c.expected) << c.text << c.width;
}

TEST(TextWidth, PadsToTheWidth) {
    EXPECT_EQ(PadRightToWidth("中a", 5), "中a  ");
    EXPECT_EQ(PadLeftToWidth("7", 3, '0'), "007");
    EXPECT_EQ(PadRightToWidth("中文字", 4), "中文字");  // wider: unchanged, never cut
}

TEST(TextCase, AsciiAndAnsiFoldingKeepByteLength) {
    EXPECT_EQ(UpperCase("abc中é"), "ABC中é");
    EXPECT_EQ(LowerCase("ABC中É"), "abc中É");
    EXPECT_EQ(AnsiUpperCase("abc中éжａ"), "ABC中ÉЖＡ");
    EXPECT_EQ(AnsiLowerCase("ABCÉЖＡ"), "abcéжａ");
    std::string s = "éa中ａb";
    EXPECT_EQ(AnsiUpperCase(s).size(), s.size());
}

TEST(TextCase, ComparisonsIgnoreCaseWithoutLocale) {
    EXPECT_EQ(CompareText("abc", "ABD"), -1);
    EXPECT_EQ(CompareText("ABC", "abc"), 0);
    EXPECT_EQ(CompareText("ab", "abc"), -1);
    EXPECT_TRUE(SameText("Sys003", "SYS003"));
    EXPECT_FALSE(SameText("é", "É"));
    EXPECT_TRUE(AnsiSameText("é", "É"));
    EXPECT_EQ(CompareStr("a", "B"), 1);
}

TEST(TextTrim, TrimsBlanksAndControlCharacters) {
    EXPECT_EQ(Trim(" \t\r\n中 a\x01"), "中 a");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \x1F"), "  a");
    EXPECT_EQ(Trim("   "), "");
}

TEST(TextFind, PosAndReplace) {
    EXPECT_EQ(Pos("b", "abcb"), 2);
    EXPECT_EQ(Pos("", "abc"), 0);
    EXPECT_EQ(Pos("x", ""), 0);
    EXPECT_EQ(PosEx("b", "abcb", 3), 4);
    EXPECT_EQ(PosEx("b", "abcb", 9), 0);
    EXPECT_EQ(Pos("文", "中文"), 4);
    struct Case {
        const char* s;
        const char* from;
        const char* to;
        ReplaceFlags flags;
        const char* expected;
    } cases[] = {
        {"a-b-c", "-", "+", ReplaceFlags::None, "a+b-c"},
        {"a-b-c", "-", "+", ReplaceFlags::All, "a+b+c"},
        {"Db..T db..U", "DB..", "", ReplaceFlags::All | ReplaceFlags::IgnoreCase, "T U"},
        {"aaa", "a", "aa", ReplaceFlags::All, "aaaaaa"},  // inserted text is not searched again
        {"abc", "", "x", ReplaceFlags::All, "abc"},
        {"中文中", "中", "A", ReplaceFlags::All, "A文A"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.expected) << c.s;
}

TEST(TextHelpers, QuotedStrAndIntToHex) {
    EXPECT_EQ(QuotedStr("O'Neil"), "'O''Neil'");
    EXPECT_EQ(QuotedStr("a\"b", '"'), "\"a\"\"b\"");
    EXPECT_EQ(IntToHex(255, 4), "00FF");
    EXPECT_EQ(IntToHex(int32_t(-1), 2), "FFFFFFFF");
    EXPECT_EQ(IntToHex(int64_t(-1), 2), "FFFFFFFFFFFFFFFF");
    EXPECT_EQ(IntToHex(0, 0), "0");
}

TEST(TextHelpers, ValidatesUtf8) {
    EXPECT_TRUE(IsValidUtf8("中a"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));      // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE4\xB8"));      // cut
}
