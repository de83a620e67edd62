#include "runtime/Big5Fix.h"

#include <gtest/gtest.h>

#include "installation.h"
#include "platform/core/text.h"

using namespace ktrb;
using ktrb::test::EnvGuard;
using ktrb::test::Installation;
using plat::CodePage;

namespace {

// Installs the fix for its lifetime, as the library's start-up and unload do.
struct Big5FixScope {
    Big5FixScope() { InstallBig5Fix(); }
    ~Big5FixScope() { RemoveBig5Fix(); }
};

std::string decode950(const std::string& bytes) {
    return plat::FromCodePageReplacing(bytes, CodePage::Big5).text;
}
std::string encode950(const std::string& utf8) {
    return plat::ToCodePageReplacing(utf8, CodePage::Big5).text;
}

}  // namespace

TEST(Big5Fix, SwitchReadsUseKBIG5) {
    Installation inst;
    EXPECT_TRUE(IsBig5FixEnabled());  // no value
    inst.SetRegistry("UseKBIG5=0\n");
    EXPECT_FALSE(IsBig5FixEnabled());
    inst.SetRegistry("UseKBIG5=1\n");
    EXPECT_TRUE(IsBig5FixEnabled());
    Installation noKey(false);
    EXPECT_TRUE(IsBig5FixEnabled());
}

TEST(Big5Fix, MapsBothGroupsBothWaysUnderCodePage950) {
    Installation inst;
    EnvGuard acp("KTRB_ANSI_CODEPAGE", "950");
    Big5FixScope fix;
    ASSERT_TRUE(plat::Big5ExtensionGroups());
    EXPECT_EQ(decode950("\x81\x80"), "\uA001");
    EXPECT_EQ(encode950("\uA001"), "\x81\x80");
    EXPECT_EQ(decode950("\xA3\xE1"), "\uC122");
    EXPECT_EQ(encode950("\uC122"), "\xA3\xE1");
    EXPECT_EQ(decode950("\xA3\xC0"), "\uC101");
    EXPECT_EQ(decode950("\xFF\x80"), "\uA07F");
    EXPECT_EQ(encode950("\uA07F"), "?");         // low byte 0x7F is outside the group
    EXPECT_NE(decode950("\xA3\xE0"), "\uC121");  // 0xA3 0xE0 keeps the plain mapping
    // Code page 936 is not touched.
    EXPECT_EQ(plat::FromCodePageReplacing("\xA3\xE1", CodePage::Gbk).text, "\uFF41");
}

TEST(Big5Fix, OffBySwitchOrOtherCodePage) {
    Installation inst;
    {
        EnvGuard acp("KTRB_ANSI_CODEPAGE", "936");
        Big5FixScope fix;
        EXPECT_FALSE(plat::Big5ExtensionGroups());
    }
    inst.SetRegistry("UseKBIG5=0\n");
    {
        EnvGuard acp("KTRB_ANSI_CODEPAGE", "950");
        Big5FixScope fix;
        EXPECT_FALSE(plat::Big5ExtensionGroups());
        EXPECT_EQ(decode950("\xA3\xE1"), "€");
    }
}

TEST(Big5Fix, OnlyTheFirstInstallAndTheLastRemoveAct) {
    Installation inst;
    EnvGuard acp("KTRB_ANSI_CODEPAGE", "950");
    InstallBig5Fix();
    InstallBig5Fix();
    RemoveBig5Fix();
    EXPECT_TRUE(plat::Big5ExtensionGroups());
    RemoveBig5Fix();
    EXPECT_FALSE(plat::Big5ExtensionGroups());
    RemoveBig5Fix();  // nothing installed: no effect
    EXPECT_FALSE(plat::Big5ExtensionGroups());
}
