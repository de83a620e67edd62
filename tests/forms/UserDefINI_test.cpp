#include "forms/UserDefINI.h"

#include <gtest/gtest.h>

#include <fstream>

#include "platform/core/exceptions.h"
#include "platform/system/files.h"
#include "platform/system/temp_dir.h"
#include "support/core/EnvGuard.h"

namespace ktrb::test {
namespace {

std::string readFile(const std::string& path) {
    std::string bytes;
    plat::TryReadFileBytes(path, bytes);
    return bytes;
}

TEST(UserDefIni, FileSitsInTheClientFolderTheInstallationNames) {
    TempDir dir;
    std::ofstream(dir / "registry.txt")
        << "[Software\\QRV\\Mirelta]\nClientPath=" << dir.path() << "client\n";
    EnvGuard registry("KTRB_REGISTRY", dir / "registry.txt");
    TUserDefIni ini;
    EXPECT_EQ(ini.FileName(), dir / "client/UserDef.ini");
}

TEST(UserDefIni, MissingFileReadsAsNoDefaultAndWritingCreatesIt) {
    TempDir dir;
    TUserDefIni ini(dir.path());
    std::string name;
    ini.GetDefault("KTRB52", "3401", name);
    EXPECT_EQ(name, "<New>");
    ini.SetDefault("KTRB52", "3401", "委外进货单格式一");
    ini.GetDefault("KTRB52", "3401", name);
    EXPECT_EQ(name, "委外进货单格式一");
    EXPECT_NE(readFile(dir / "UserDef.ini").find("[VoucherFormatDef]"), std::string::npos);
    // Another machine-wide reader sees it, under a name in any case.
    TUserDefIni again(dir.path());
    again.GetDefault("ktrb52", "3401", name);
    EXPECT_EQ(name, "委外进货单格式一");
}

TEST(UserDefIni, EqualSignsOfTheFormatKeyAreSpeltOut) {
    TempDir dir;
    TUserDefIni ini(dir.path());
    ini.SetDefault("KTRB52", "A=B=C", "F1");
    ASSERT_EQ(ini.Entries().Count(), 1);
    EXPECT_EQ(ini.Entries()[0], "KTRB52_A$EQUAL$B$EQUAL$C=F1");
    std::string name;
    ini.GetDefault("KTRB52", "A=B=C", name);
    EXPECT_EQ(name, "F1");
}

TEST(UserDefIni, NewInAnyCaseRemovesTheKey) {
    TempDir dir;
    TUserDefIni ini(dir.path());
    ini.SetDefault("KTRB52", "K1", "F1");
    ini.SetDefault("KTRB52", "K2", "F2");
    ini.SetDefault("KTRB52", "K1", "<new>");
    std::string name;
    ini.GetDefault("KTRB52", "K1", name);
    EXPECT_EQ(name, "<New>");
    EXPECT_EQ(readFile(dir / "UserDef.ini").find("K1"), std::string::npos);
    ini.GetDefault("KTRB52", "K2", name);
    EXPECT_EQ(name, "F2");
}

TEST(UserDefIni, RemoveLeavesTheLoadedEntriesUntilReadAgain) {
    TempDir dir;
    TUserDefIni ini(dir.path());
    ini.SetDefault("KTRB52", "K1", "F1");
    ini.RemoveDefault("KTRB52", "K1");
    std::string name;
    ini.GetDefault("KTRB52", "K1", name);
    EXPECT_EQ(name, "F1");
    TUserDefIni fresh(dir.path());
    fresh.GetDefault("KTRB52", "K1", name);
    EXPECT_EQ(name, "<New>");
}

TEST(UserDefIni, WriteFailuresReachTheCaller) {
    TUserDefIni nowhere("");
    EXPECT_THROW(nowhere.SetDefault("KTRB52", "K1", "F1"), plat::EInOutError);
    TempDir dir;
    TUserDefIni ini(dir.path());
    // A line break cannot stand in an INI value.
    EXPECT_THROW(ini.SetDefault("KTRB52", "K1", "F1\nX=Y"), plat::Exception);
    EXPECT_EQ(ini.Entries().Count(), 0);
}

}  // namespace
}  // namespace ktrb::test
