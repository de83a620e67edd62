#include "controls/QvLookUpComboCommon.h"

#include <gtest/gtest.h>

#include "platform/core/text.h"

using namespace ktrb;
using plat::Variant;

namespace {

std::string Gbk(std::string_view utf8) {
    return plat::ToCodePage(utf8, plat::CodePage::Gbk);
}

std::string Lines(const plat::TStringList& list) {
    return list.Text();
}

}  // namespace

TEST(PinyinInitialOf, LevelOneBlocksAndLevelTwoTable) {
    struct Case {
        unsigned code;
        char letter;
    } cases[] = {
        {0xB0A1, 'A'}, {0xB0C5, 'B'}, {0xB2C0, 'B'}, {0xB2C1, 'C'}, {0xB2CE, 'S'}, {0xB4ED, 'C'},
        {0xC5BD, 'O'}, {0xD7F9, 'Z'}, {0xD8A1, 'C'}, {0xD8A2, 'J'}, {0xD8A3, 'W'}, {0xD8A4, 'G'},
        {0xF7FE, 'Z'}, {0xA1A1, 0},   {0xE2BB, 0},   {0xECEA, 0},   {0xF2AE, 0},   {0xB2A0, 0},
        {0xD8FF, 0},   {0xF8A1, 0},   {0x8140, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PinyinInitialOf((uint8_t)(c.code >> 8), (uint8_t)c.code), c.letter)
            << std::hex << c.code;
    // Readings checked against the characters themselves.
    for (auto [text, letter] : {std::pair{"亍", 'C'}, {"兀", 'W'}, {"齄", 'Z'}, {"鼐", 'N'}}) {
        std::string b = Gbk(text);
        EXPECT_EQ(PinyinInitialOf((uint8_t)b[0], (uint8_t)b[1]), letter) << text;
    }
    int blanks = 0;
    for (const auto& row : kPinyinLevel2)
        for (int t = 0; t < 94; ++t) {
            ASSERT_TRUE(row[t] == ' ' || (row[t] >= 'A' && row[t] <= 'Z'));
            blanks += row[t] == ' ';
        }
    EXPECT_EQ(blanks, 3);
}

TEST(PinyinInitials, BytesOfCodePage936) {
    EXPECT_EQ(PinyinInitials("ab" + Gbk("啊")), "abA");
    EXPECT_EQ(PinyinInitials(Gbk("华东，电子")), "HDDZ");  // punctuation dropped
    EXPECT_EQ(PinyinInitials("x\xB0"), "x\xB0");           // a lone lead byte stays
    EXPECT_EQ(PinyinInitials(""), "");
    EXPECT_EQ(PinyinInitials("A"), "A");
    // GBK characters outside GB2312 are two bytes too: the next character
    // keeps its alignment.
    EXPECT_EQ(PinyinInitials(Gbk("丂啊")), "A");
    EXPECT_EQ(PinyinInitials(Gbk("A丂中") + "1"), "AZ1");
}

TEST(PinyinInitials, TextFormAgreesWithTheByteRoutine) {
    std::vector<std::string> samples = {"供应商A-1", "€5", "丂", "😀x", "，。", "ｘ", "Café", "龘"};
    for (unsigned lead = 0xB0; lead <= 0xF7; ++lead)
        for (unsigned trail = 0xA1; trail <= 0xFE; trail += 7) {
            const char pair[2] = {(char)lead, (char)trail};
            auto r = plat::FromCodePageReplacing(std::string_view(pair, 2), plat::CodePage::Gbk);
            if (r.replaced == 0) samples.push_back("a" + r.text);
        }
    for (const std::string& s : samples) {
        std::string bytes = plat::ToCodePageReplacing(s, plat::CodePage::Gbk).text;
        EXPECT_EQ(PinyinInitialsOfText(s),
                  plat::FromCodePage(PinyinInitials(bytes), plat::CodePage::Gbk))
            << s;
    }
}

TEST(ParseReplyLines, EntriesAndValues) {
    struct Case {
        const char* text;
        const char* expected;  // Dest as CR LF text
    } cases[] = {
        {"--DISPLAY;the columns\r\nA;B\r\n", "DISPLAY=A;B\r\n"},
        {"--return\r\n  X,Y  \r\n", "RETURN=X,Y\r\n"},
        {"-- map--ignored;c\r\nv\r\n", "MAP=v\r\n"},
        {"before\r\n--A\r\n\r\n\r\n--B\r\n1\r\n\r\n2\r\n", "B=1\r\n\r\n2\r\n"},
        {"--A\r\n1\r\n--;\r\nlost\r\n--A\r\n2\r\n", "A=2\r\n"},
        {"", ""},
    };
    for (const Case& c : cases) {
        plat::TStringList in, out;
        in.SetText(c.text);
        out.Add("STALE=1");
        ParseReplyLines(in, out);
        std::string got;
        for (int i = 0; i < out.Count(); ++i) got += out[i] + "\r\n";
        EXPECT_EQ(got, c.expected) << c.text;
    }
}

TEST(SelectLanguageSection, CommonLinesThenTheLanguage) {
    const std::string reply =
        "<CHS>\r\n--DISPLAY;\r\n品号\r\n</CHS>\r\n<ENG>\r\n--DISPLAY;\r\n  Item\r\n</ENG>\r\n" +
        std::string(kReplyEndMarker) + "\r\n--RETURN;\r\nMB001\r\n";
    EXPECT_EQ(Lines(SelectLanguageSection(reply, "936")),
              "\r\n--RETURN;\r\nMB001\r\n--DISPLAY;\r\n品号\r\n");
    EXPECT_EQ(Lines(SelectLanguageSection(reply, "950")),
              "\r\n--RETURN;\r\nMB001\r\n--DISPLAY;\r\n品号\r\n");  // no CHT section: CHS
    EXPECT_EQ(Lines(SelectLanguageSection(reply, "437")),
              "\r\n--RETURN;\r\nMB001\r\n--DISPLAY;\r\n  Item\r\n");
    EXPECT_EQ(Lines(SelectLanguageSection(reply, "1252")), "\r\n--RETURN;\r\nMB001\r\n");
    // No marker, or nothing after it: the whole text.
    EXPECT_EQ(Lines(SelectLanguageSection("--A\r\n1", "936")), "--A\r\n1\r\n");
    std::string bare = "<ENG>\r\n</ENG>\r\n" + std::string(kReplyEndMarker);
    EXPECT_EQ(Lines(SelectLanguageSection(bare, "437")), bare + "\r\n");
    // A language key overrides the common one.
    plat::TStringList values;
    ParseReplyLines(SelectLanguageSection(reply + "--DISPLAY;\r\ncommon\r\n", "437"), values);
    EXPECT_EQ(values.Values("DISPLAY"), "Item");
}

TEST(TLookupMatcher, InitialsOnlyUnderCodePage936) {
    struct Case {
        const char* typed;
        const char* codePage;
        const char* text;
        bool match;
    } cases[] = {
        {"hd", "936", "华东电子", true},  {"DD", "936", "华东电子", true},
        {"hd", "950", "华东电子", false}, {"东电", "950", "华东电子", true},
        {" a1 ", "437", "xa1y", true},    {"", "936", "anything", false},
        {"HZ", "936", "华东电子", false}, {"hd", "936", "HD-01", true},
        {"XA", "936", "丂鲜A", true},     {"ab", "936", "a b", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TLookupMatcher(c.typed, c.codePage).Matches(c.text), c.match)
            << c.typed << " / " << c.codePage << " / " << c.text;
}

TEST(TInteraParam, AssignCopiesEveryField) {
    int calls = 0;
    TInteraParam a;
    a.SetParams(Variant::ArrayOf({"CMSMC", "01"}));
    a.SetReturnValues(Variant("x"));
    a.DateSeparator = "/";
    a.DateFormatType = 4;
    a.ShowAmounts = a.ShowPrices = a.FastInputEnabled = true;
    a.ConvertForDisplay = TLookupValueEvent([&](Variant&) { ++calls; });
    a.FormCaption = "委外进货单";
    a.CodePage = "950";
    TInteraParam b;
    b.Assign(a);
    a.Params = Variant();
    EXPECT_EQ(plat::VarToStr(b.Params[1]), "01");
    EXPECT_EQ(plat::VarToStr(b.ReturnValues), "x");
    EXPECT_EQ(b.DateSeparator, "/");
    EXPECT_EQ(b.DateFormatType, 4);
    EXPECT_TRUE(b.ShowAmounts && b.ShowPrices && b.FastInputEnabled);
    EXPECT_TRUE(b.ConvertForDisplay == a.ConvertForDisplay);
    EXPECT_FALSE(b.ConvertFromDB.Assigned());
    EXPECT_EQ(b.FormCaption, "委外进货单");
    EXPECT_EQ(b.CodePage, "950");
    Variant v;
    b.ConvertForDisplay(v);
    EXPECT_EQ(calls, 1);
}
