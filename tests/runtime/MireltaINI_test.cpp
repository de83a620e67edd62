#include "runtime/MireltaINI.h"

#include <gtest/gtest.h>

#include "installation.h"
#include "platform/system/system.h"
#include "runtime/TandrelU.h"

using namespace ktrb;
using ktrb::test::EnvGuard;
using ktrb::test::Installation;

namespace {

// Client INI files are in the ANSI code page; these tests write ASCII only.
void writeClientIni(const Installation& inst, const std::string& text,
                    const std::string& folder = "") {
    Installation::write((folder.empty() ? inst.client() : folder) + "MireltaC.ini", text);
}

std::vector<std::string> servers(const TMireltaIniC& ini, int row) {
    std::vector<std::string> out;
    for (int k = ini.Servers.LowBound(2); k <= ini.Servers.HighBound(2); ++k)
        out.push_back(ini.Servers.At(row, k).AsString());
    return out;
}

}  // namespace

TEST(MireltaIniC, DefaultsWithoutAnIniFile) {
    Installation inst;
    EnvGuard acp("KTRB_ANSI_CODEPAGE", "936");
    TMireltaIniC ini;
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_EQ(ini.ClientPath, inst.client());
    EXPECT_EQ(ini.ProfilePath, inst.client());
    EXPECT_EQ(ini.IniFileName, inst.client() + "MireltaC.ini");
    EXPECT_EQ(ini.LangType, "ENG");
    EXPECT_EQ(ini.CreateGifBeforeSendSV, "Y");
    EXPECT_EQ(ini.DBCodePage, "936");
    EXPECT_EQ(ini.UICodePage, "936");
    EXPECT_EQ(servers(ini, 0), std::vector<std::string>{"127.0.0.1"});
    EXPECT_EQ(servers(ini, 1), std::vector<std::string>{"211"});
    EXPECT_EQ(ini.WorkDLLPaths, std::vector<std::string>{inst.client() + "C_PKG/"});
    EXPECT_EQ(ini.AutoCheckNewMsg + ini.CheckInterval + ini.PopupMsg + ini.LoginCheck, "1110");
    EXPECT_FALSE(ini.SupportCallBack);
}

TEST(MireltaIniC, ReadsTheKeysOfTheFile) {
    Installation inst;
    writeClientIni(
        inst,
        "[Client Components]\nLangType=CHT\n[ProductVersion]\nVersion=9.0\n"
        "[UserDefine]\nCreateGifBeforeSendSV=N\n[Server Information]\nSupportCallBack=yes\n"
        "ComputerName=10.0.0.1;10.0.0.2;\nServerPort=3000\n"
        "[TaskMessageCenter "
        "Setting]\nAutoCheckNewMsg=0\nCheckInterval=5\nPopupMsg=0\nLoginCheck=1\n");
    TMireltaIniC ini;
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_EQ(ini.LangType, "CHT");
    EXPECT_EQ(ini.Version, "9.0");
    EXPECT_EQ(ini.CreateGifBeforeSendSV, "N");
    EXPECT_TRUE(ini.SupportCallBack);
    EXPECT_EQ(servers(ini, 0), (std::vector<std::string>{"10.0.0.1", "10.0.0.2"}));
    EXPECT_EQ(servers(ini, 1), (std::vector<std::string>{"3000", "3000"}));
    EXPECT_EQ(ini.AutoCheckNewMsg + ini.CheckInterval + ini.PopupMsg + ini.LoginCheck, "0501");
}

TEST(MireltaIniC, ServerListRules) {
    Installation inst;
    writeClientIni(inst, "[Server Information]\nComputerName=a;;b\n");
    EXPECT_EQ(servers(TMireltaIniC(), 0), (std::vector<std::string>{"a", "", "b"}));

    writeClientIni(inst, "[Server Information]\nComputerName=;\n[WorkDLLPath]\nA=Lib\n");
    TMireltaIniC none;
    EXPECT_EQ(none.ErrorCode, kErrorNoServerAddress);
    EXPECT_TRUE(none.Servers.IsEmpty());
    EXPECT_EQ(none.WorkDLLPaths, std::vector<std::string>{"A=Lib"});  // left as read
}

TEST(MireltaIniC, FlagsAreExactWords) {
    Installation inst;
    struct Case {
        const char* value;
        bool want;
    } cases[] = {
        {"yes", true},     {"1", true},  {"Y", true},   {"True", true},
        {"\" 1\"", false}, {"2", false}, {"no", false},
    };
    for (const auto& c : cases) {
        writeClientIni(inst,
                       std::string("[Server Information]\nSupportCallBack=") + c.value + "\n");
        EXPECT_EQ(TMireltaIniC().SupportCallBack, c.want) << c.value;
    }
}

TEST(MireltaIniC, WorkFoldersAreMadeAbsolute) {
    Installation inst;
    writeClientIni(inst, "[WorkDLLPath]\nA=D:\\Lib\nB=\\Bin\nC=Bin\\\n");
    EXPECT_EQ(
        TMireltaIniC().WorkDLLPaths,
        (std::vector<std::string>{"D:/Lib/", inst.client() + "Bin/", inst.client() + "Bin/"}));
    EXPECT_EQ(MakeAbsolutePath("\\x\\y", "/base/"), "/base/x/y");
}

TEST(MireltaIniC, ProfileFolderWhenProfilesAreOn) {
    Installation inst;
    inst.SetRegistry("ClientPath=" + inst.client() + "\nProfileType=1\n");
    std::string user = plat::UserName();
    std::string profile = inst.client() + "Profile/" + user + "/";
    writeClientIni(inst, "[Client Components]\nLangType=CHS\n", profile);
    TMireltaIniC withFile;
    EXPECT_EQ(withFile.ProfilePath, profile);
    EXPECT_EQ(withFile.LangType, "CHS");
    EXPECT_EQ(withFile.UserName, user);

    std::filesystem::remove(profile + "MireltaC.ini");
    TMireltaIniC without;
    EXPECT_EQ(without.ProfilePath, inst.client());
    EXPECT_EQ(without.LangType, "ENG");
    EXPECT_EQ(without.UserName, user);
}

TEST(MireltaIniC, RegistryFailures) {
    Installation noKey(false);
    TMireltaIniC a;
    EXPECT_EQ(a.ErrorCode, kErrorNoRegistryKey);
    EXPECT_EQ(a.IniFileName, "");

    Installation emptyPath;
    emptyPath.SetRegistry("ServerPath=" + emptyPath.server() + "\n");
    TMireltaIniC b;
    EXPECT_EQ(b.ErrorCode, "");
    EXPECT_EQ(b.IniFileName, "");
    EXPECT_EQ(b.LangType, "");
    EXPECT_TRUE(b.Servers.IsEmpty());
}

TEST(MireltaIniC, CodePagesAndConversionModes) {
    Installation inst;
    struct Case {
        const char* acp;
        const char* ini;
        const char* windows;
        const char* ui;
        int display, data;
    } cases[] = {
        {"1252", "", "437", "437", 0, 0},
        {"936", "[CodePage]\nUICodePage=950\nDBCodePage=936\n", "936", "950", 2, 2},
        {"950", "[CodePage]\nUICodePage=936\nDBCodePage=950\n", "950", "936", 4, 1},
        {"936", "[CodePage]\nUICodePage=0950\n", "936", "0950", 0, 0},
    };
    for (const auto& c : cases) {
        EnvGuard acp("KTRB_ANSI_CODEPAGE", c.acp);
        writeClientIni(inst, c.ini);
        TMireltaIniC ini;
        EXPECT_EQ(ini.WindowsCodePage, c.windows) << c.acp << c.ini;
        EXPECT_EQ(ini.UICodePage, c.ui) << c.acp << c.ini;
        EXPECT_EQ(ini.DisplayConvertMode, c.display) << c.acp << c.ini;
        EXPECT_EQ(ini.DataConvertMode, c.data) << c.acp << c.ini;
    }
}

TEST(MireltaIniS, DatabaseTable) {
    Installation inst;
    Installation::write(
        inst.server() + "MireltaS.ini",
        "[DBE Setting]\nMainDBType=oracle\nMainServerName=dbhost\nXXXXXX=" +
            EncodePassword("secret") + "\nTempPassword=" + EncodePassword("") +
            "\nEctPassword=raw\nMainCommandTimeOut=x\n"
            "SystemControlAddress=  \nOtherSystemControlAddress=ctl\n"
            "[DBPasswordCtrl]\nComputerName=pw\nServerPort=99\nSupportCallBack=TRUE\n");
    TMireltaIniS ini;
    EXPECT_EQ(ini.ErrorCode, "");
    EXPECT_EQ(ini.ServerPath, inst.server());
    const plat::Variant& db = ini.Databases;
    EXPECT_EQ(db.At(0, 0).AsString(), "Selmor");
    EXPECT_EQ(db.At(0, 1).AsString(), "sa");
    EXPECT_EQ(db.At(0, 2).AsString(), "secret");
    EXPECT_EQ(db.At(0, 6).AsInteger(), 300);
    EXPECT_EQ(db.At(0, 7).AsInteger(), 3000);  // not a number: the default
    EXPECT_EQ(db.At(1, 2).AsString(), "");
    EXPECT_EQ(db.At(1, 3).AsString(), "PARADOX");
    EXPECT_EQ(db.At(1, 5).AsString(), "PostgreSQL");
    EXPECT_EQ(db.At(2, 0).AsString(), "pw");
    EXPECT_EQ(db.At(2, 1).AsInteger(), 99);
    EXPECT_EQ(db.At(2, 2).AsInteger(), 1024);
    EXPECT_EQ(db.At(2, 3).AsString(), "Chinese_Taiwan_Stroke_BIN");
    EXPECT_EQ(db.At(3, 0).AsString(), "EDIDATA");
    EXPECT_EQ(db.At(3, 2).AsString(), "raw");  // stored as read
    EXPECT_TRUE(db.At(2, 4).IsEmpty());
    EXPECT_TRUE(db.At(3, 7).IsEmpty());
    EXPECT_EQ(ini.DBKind, 1);
    EXPECT_EQ(ini.SystemControlAddress, "dbhost");
    EXPECT_EQ(ini.OtherSystemControlAddress, "ctl");
    EXPECT_TRUE(ini.SupportCallBack);
    EXPECT_EQ(ini.WorkDLLPaths, std::vector<std::string>{inst.server() + "S_PKG/"});
}

TEST(MireltaIniS, UndecodablePasswordReadsAsTheErrorSentinel) {
    Installation inst;
    Installation::write(inst.server() + "MireltaS.ini",
                        "[DBE Setting]\nXXXXXX=zz\nMainDBType=Db2\n");
    TMireltaIniS ini;
    EXPECT_EQ(ini.Databases.At(0, 2).AsString(), kPasswordErrorSentinel);
    EXPECT_EQ(ini.DBKind, 2);
}
