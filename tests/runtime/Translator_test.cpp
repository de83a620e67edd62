#include "runtime/Translator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "installation.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"

using namespace ktrb;
using ktrb::test::Installation;
using plat::CodePage;

namespace {

std::string gb(const std::string& utf8) {
    return plat::ToCodePage(utf8, CodePage::Gbk);
}
std::string big5(const std::string& utf8) {
    return plat::ToCodePage(utf8, CodePage::Big5);
}

// The committed table of the demo client folder.
std::string demoTable() {
    const char* env = std::getenv("KTRB_SOURCE_DIR");
    std::filesystem::path root =
        env && *env ? std::filesystem::path(env)
                    : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    return (root / "standins/data/client/Language").string();
}

// An installation whose tables are loaded afresh, collecting the plain
// messages shown.
class TranslatorTest : public ::testing::Test {
  protected:
    TranslatorTest() {
        ReleaseLanguageTables();
        previous_ =
            SetPlainMessageHandler([this](const std::string& text) { messages.push_back(text); });
    }
    ~TranslatorTest() override {
        SetPlainMessageHandler(previous_);
        ReleaseLanguageTables();
    }
    void useDemoTable() { std::filesystem::copy_file(demoTable(), inst.client() + "Language"); }
    void writeTable(const std::string& text) {
        Installation::write(inst.client() + "Language", text);
    }

    Installation inst;
    std::vector<std::string> messages;

  private:
    PlainMessageHandler previous_;
};

}  // namespace

TEST(TranslatorIndex, GbIndexRows) {
    struct Case {
        unsigned char lead, trail;
        int want;
    } cases[] = {
        {0xA1, 0xA1, 0},     {0xB0, 0xA1, 1410}, {0x81, 0x40, 8178},  {0xAA, 0x40, 14290},
        {0xA8, 0x40, 22535}, {0xAA, 0xA1, -1},   {0xA9, 0xA0, 22728}, {0xF8, 0xA1, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GbCharIndex(c.lead, c.trail), c.want) << std::hex << +c.lead << +c.trail;
}

TEST(TranslatorIndex, Big5IndexRows) {
    EXPECT_EQ(Big5CharIndex(0xA1, 0x40), 0);
    EXPECT_EQ(Big5CharIndex(0xA1, 0xA1), 63);
    EXPECT_EQ(Big5CharIndex(0xA2, 0x40), 157);
    EXPECT_EQ(Big5CharIndex(0xA1, 0x80), -1);
    EXPECT_EQ(Big5CharIndex(0x81, 0x40), -1);
}

TEST_F(TranslatorTest, DemoTableConvertsBothWays) {
    useDemoTable();
    EXPECT_EQ(GbToBig5Text(gb("简体中文, 国门 ABC 123")), big5("簡體中文, 國門 ABC 123"));
    EXPECT_EQ(Big5ToGbText(big5("繁體中文 後來 發展")), gb("繁体中文 后来 发展"));
    EXPECT_EQ(GbToBig5Text("plain ASCII\r\n"), "plain ASCII\r\n");
    EXPECT_EQ(Big5ToGbText("plain ASCII\r\n"), "plain ASCII\r\n");
    EXPECT_TRUE(messages.empty());
}

TEST_F(TranslatorTest, EuroSign) {
    useDemoTable();
    EXPECT_EQ(GbToBig5Text("5\x80"), "5\xA3\xE1");
    EXPECT_EQ(Big5ToGbText("5\xA3\xE1"), "5\x80");
}

TEST_F(TranslatorTest, TableEntriesAreTakenByPosition) {
    // Big5 index 0 -> GB A1A1; GB index 0 -> Big5 A140, GB index 1 -> none.
    writeTable(
        "[BIG5]\r\nBIG5A140=$A1A1\r\n\r\n[GB]\r\nGBA1A1=$A140=comment\r\n  \r\nGBA1A2=$0000\r\n");
    EXPECT_EQ(GbToBig5Text("\xA1\xA1"), "\xA1\x40");
    EXPECT_EQ(Big5ToGbText("\xA1\x40"), "\xA1\xA1");
    // No code in the table: the plain conversion of the character.
    EXPECT_EQ(GbToBig5Text("\xA1\xA2"), big5(plat::FromCodePage("\xA1\xA2", CodePage::Gbk)));
    EXPECT_EQ(GbToBig5Text(gb("國")), big5("國"));  // beyond the table
    EXPECT_EQ(GbToBig5Text(gb("国")), "?");         // no Big5 code at all
}

// A lead byte before a byte that cannot end a character keeps that byte.
TEST_F(TranslatorTest, LeadByteBeforeAsciiKeepsTheAscii) {
    useDemoTable();
    EXPECT_EQ(GbToBig5Text("\xB0"
                           "1,2"),
              "\xB0"
              "1,2");
    EXPECT_EQ(GbToBig5Text("\xB0\r\n"), "\xB0\r\n");
    EXPECT_EQ(GbToBig5Text("\xFF"
                           "A"),
              "\xFF"
              "A");
    EXPECT_EQ(Big5ToGbText("\x80@"), "\x80@");
    EXPECT_EQ(Big5ToGbText("\xA4"
                           " x"),
              "\xA4"
              " x");
}

// A lead byte at the end of the text is copied; nothing past the text is read.
TEST_F(TranslatorTest, TrailingLeadByteIsCopied) {
    useDemoTable();
    std::string gbText = gb("中") + "\xB0";
    EXPECT_EQ(GbToBig5Text(gbText), big5("中") + "\xB0");
    std::string big5Text = big5("中") + "\xA4";
    EXPECT_EQ(Big5ToGbText(big5Text), gb("中") + "\xA4");
    EXPECT_EQ(GbToBig5Text(std::string("\xB0")), "\xB0");
}

TEST_F(TranslatorTest, MissingTableShowsAMessageEveryCallAndFallsBack) {
    EXPECT_EQ(GbToBig5Text(gb("中文")), big5("中文"));
    EXPECT_EQ(Big5ToGbText(big5("中文")), gb("中文"));
    EXPECT_EQ(messages, (std::vector<std::string>{"Can't find file Language !!",
                                                  "Can't find file Language !!"}));
    useDemoTable();  // found on the next call
    EXPECT_EQ(GbToBig5Text(gb("国")), big5("國"));
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(TranslatorTest, MalformedValueFailsTheLoad) {
    writeTable("BIG5A140=$a1a1\n");
    EXPECT_THROW(Big5ToGbText("x"), plat::EConvertError);
    writeTable("BIG5A140=$A1A1\n");  // the tables stayed empty: the next call loads again
    EXPECT_EQ(Big5ToGbText("\xA1\x40"), "\xA1\xA1");
}

TEST_F(TranslatorTest, TranslatorUsesTheConversionLibrary) {
    useDemoTable();
    {
        TTranslator t;
        EXPECT_EQ(t.GbToBig5(gb("发")), big5("發"));
        EXPECT_EQ(t.Big5ToGb(big5("發")), gb("发"));
    }
    UnregisterConversionLibrary(kTranslatorLibrary);
    try {
        TTranslator t;
        ADD_FAILURE() << "no library, yet created";
    } catch (const plat::Exception& e) {
        EXPECT_STREQ(e.what(), "Load Library Qvlanguage.dll Error!");
    }
    RegisterConversionLibrary(
        kTranslatorLibrary,
        {[](const std::string& s, std::string& r) { r = GbToBig5Text(s); }, nullptr});
    try {
        TTranslator t;
        ADD_FAILURE() << "entry missing, yet created";
    } catch (const plat::Exception& e) {
        EXPECT_STREQ(e.what(), "Get Library Procedure Address Error!");
    }
    RegisterConversionLibrary(kTranslatorLibrary,
                              {[](const std::string& s, std::string& r) { r = GbToBig5Text(s); },
                               [](const std::string& s, std::string& r) { r = Big5ToGbText(s); }});
    EXPECT_EQ(TTranslator().GbToBig5(gb("门")), big5("門"));
}
