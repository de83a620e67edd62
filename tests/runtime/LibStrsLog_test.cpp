#include <gtest/gtest.h>

#include <filesystem>

#include "installation.h"
#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "platform/system/paths.h"
#include "platform/system/system.h"
#include "runtime/LibStrs.h"

using namespace ktrb;
using ktrb::test::Installation;
using plat::Variant;

namespace {

std::string today(const char* pattern) {
    return plat::FormatDateTime(pattern, plat::Now());
}

}  // namespace

TEST(AlertLog, WritesOneStampedLinePerCallUnderTheClientFolder) {
    Installation inst;
    ASSERT_TRUE(WriteAlertLog("Single", "first", "M"));
    ASSERT_TRUE(WriteAlertLog("Single", "第二行", "M"));
    std::string file = inst.client() + "Log/Alert_Single_" + today("yyyymm") + ".log";
    std::string text = Installation::read(file);
    ASSERT_FALSE(text.empty()) << file;
    // Two CR LF lines "[YYYY/MM/DD hh:nn:ss:zzz] text", in the ANSI code page.
    std::string first = text.substr(0, text.find("\r\n"));
    ASSERT_EQ(first.size(), std::string("[2024/03/05 07:08:09:010] first").size()) << first;
    EXPECT_EQ(first.substr(0, 11), "[" + today("yyyy/mm/dd"));
    EXPECT_EQ(first[14], ':');
    EXPECT_EQ(first[20], ':');
    EXPECT_EQ(first.substr(24), "] first");
    EXPECT_NE(text.find(plat::ToCodePage("] 第二行\r\n", plat::AnsiCodePage())), std::string::npos);
}

TEST(AlertLog, PeriodNamesTheFile) {
    Installation inst;
    struct Case {
        const char* name;
        const char* period;
        std::string file;
    } cases[] = {
        {"D1", "D", "Alert_D1_" + today("yyyymmdd") + ".log"},
        {"Y1", "Y", "Alert_Y1_" + today("yyyy") + ".log"},
        {"y1", "y", "Alert_y1_" + today("yyyymmdd") + ".log"},  // case-sensitive: daily
        {"x.txt", "Y", "Alert_x.txt_" + today("yyyy")},         // a dotted name gets no ".log"
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteAlertLog(c.name, "t", c.period));
        EXPECT_TRUE(plat::FileExists(inst.client() + "Log/" + c.file)) << c.file;
    }
}

TEST(AlertLog, FallsBackToServerFolderThenToTheHostProgram) {
    Installation inst;
    inst.SetRegistry("ServerPath=" + inst.server() + "\n");
    EXPECT_EQ(HostLogFolder(), inst.server());
    ASSERT_TRUE(WriteAlertLog("S", "t", "D"));
    EXPECT_TRUE(plat::FileExists(inst.server() + "Log/Alert_S_" + today("yyyymmdd") + ".log"));

    Installation none(false);
    EXPECT_EQ(HostLogFolder(), "");
    ASSERT_TRUE(WriteAlertLog("ktrb-rt-hostlog", "t", "D"));
    std::string file = plat::ExtractFilePath(plat::HostProgramFileName()) +
                       "Log/Alert_ktrb-rt-hostlog_" + today("yyyymmdd") + ".log";
    EXPECT_TRUE(plat::FileExists(file)) << file;
    std::filesystem::remove(file);
    std::error_code ignored;
    std::filesystem::remove(plat::ExtractFilePath(file),
                            ignored);  // only when nothing else is in it
}

// A log that cannot be written answers false and never fails its caller.
TEST(AlertLog, AFailedWriteOnlyAnswersFalse) {
    Installation inst;
    Installation::write(inst.root() + "afile", "x");
    inst.SetRegistry("ClientPath=" + inst.root() + "afile/\n");
    bool written = true;
    EXPECT_NO_THROW(written = WriteAlertLog("X", "t", "D"));
    EXPECT_FALSE(written);
    // The conversions that log their failures go on as well.
    EXPECT_NO_THROW(VarToAnsiCP(Variant::Wide("x"), 936));
}

TEST(LibStrsVariants, LookupVarFlag) {
    Variant flags = plat::Variant::CreateArray({0, 1, 0, 1});
    flags.At(0, 0) = "A";
    flags.At(1, 0) = false;
    flags.At(0, 1) = "B";
    flags.At(1, 1) = true;
    EXPECT_TRUE(LookupVarFlag(flags, "b"));
    EXPECT_FALSE(LookupVarFlag(flags, "a"));
    EXPECT_TRUE(LookupVarFlag(flags, "C"));
    EXPECT_FALSE(LookupVarFlag(plat::VarArrayOf({"A", true}), "A"));
    EXPECT_FALSE(LookupVarFlag(Variant("A"), "A"));
    flags.At(1, 1) = "not a flag";
    EXPECT_FALSE(LookupVarFlag(flags, "B"));
}

TEST(LibStrsVariants, SmallHelpers) {
    EXPECT_TRUE(IsLocalAddress("127.0.0.1"));
    EXPECT_FALSE(IsLocalAddress(" 127.0.0.1"));
    EXPECT_FALSE(IsLocalAddress("localhost"));
    EXPECT_TRUE(ktrb::VarIsBlank(Variant()));
    EXPECT_TRUE(ktrb::VarIsBlank(plat::Null()));
    EXPECT_FALSE(ktrb::VarIsBlank(Variant("")));
    EXPECT_EQ(VarIIf(true, 1, "b").AsInteger(), 1);
    EXPECT_EQ(VarIIf(false, 1, "b").AsString(), "b");
    EXPECT_EQ(LocalizeDialogButtons("Yes"), "是(&Y)");
    EXPECT_EQ(LocalizeDialogButtons("NoToAll"), "全否(&o)");
    EXPECT_EQ(LocalizeDialogButtons("yes"), "yes");
}

TEST(LibStrsCodePages, ByteConversionsFallBackToTheAnsiCodePage) {
    EXPECT_EQ(WideStrToAnsiCP("中文", 936), "\xD6\xD0\xCE\xC4");
    EXPECT_EQ(WideStrToAnsiCP("國", 950), "\xB0\xEA");
    EXPECT_EQ(WideStrToAnsiCP("国", 950), "?");
    EXPECT_EQ(AnsiStrToWideCP("\xB0\xEA", 950), "國");
    plat::AnsiCodePageScope gbk(plat::CodePage::Gbk);
    EXPECT_EQ(WideStrToAnsiCP("中", 0), "\xD6\xD0");
    EXPECT_EQ(AnsiStrToWideCP("\xD6\xD0", 1252), "中");
}

TEST(LibStrsCodePages, VarToAnsiCPConvertsWideTextsAndNestedArrays) {
    Variant nested = plat::VarArrayOf({Variant::Wide("国"), Variant::Wide("門")});
    Variant v = plat::VarArrayOf({Variant::Wide("发"), Variant("single"), nested, 5});
    Variant r = VarToAnsiCP(v, 950);
    EXPECT_EQ(r[0].Type(), plat::VarType::String);
    EXPECT_EQ(r[0].AsString(), "?");  // no Big5 code
    EXPECT_EQ(r[1].Type(), plat::VarType::String);
    EXPECT_EQ(r[2][0].AsString(), "?");
    EXPECT_EQ(r[2][1].Type(), plat::VarType::String);
    EXPECT_EQ(r[2][1].AsString(), "門");
    EXPECT_EQ(r[3].AsInteger(), 5);
    EXPECT_EQ(v[0].Type(), plat::VarType::OleStr);  // the input is left alone

    Variant grid = plat::Variant::CreateArray({0, 0, 0, 1});
    grid.At(0, 0) = Variant::Wide("a");
    grid.At(0, 1) = plat::VarArrayOf({Variant::Wide("b")});
    Variant g = VarToAnsiCP(grid, 936);
    EXPECT_EQ(g.At(0, 0).Type(), plat::VarType::String);
    EXPECT_EQ(g.At(0, 1)[0].Type(), plat::VarType::OleStr);  // two dimensions: no nesting

    EXPECT_EQ(VarToAnsiCP(Variant::Wide("x"), 936).Type(), plat::VarType::String);
    EXPECT_TRUE(VarToAnsiCP(plat::Null(), 936).IsNull());
    EXPECT_TRUE(VarToAnsiCP(Variant(), 936).IsEmpty());
}

TEST(LibStrsCodePages, VarToWideCPMakesWideTexts) {
    EXPECT_EQ(VarToWideCP(Variant("中"), 936).Type(), plat::VarType::OleStr);
    EXPECT_EQ(VarToWideCP(Variant("中"), 936).AsString(), "中");
    Variant r = VarToWideCP(plat::VarArrayOf({Variant::Wide("a"), Variant("b")}), 936);
    EXPECT_EQ(r[0].Type(), plat::VarType::OleStr);
    EXPECT_EQ(r[1].Type(), plat::VarType::String);  // single-byte elements stay as they are
}
