#include "platform/system/registry.h"

#include <gtest/gtest.h>

#include "platform/system/files.h"
#include "temp_dir.h"

using namespace plat;

namespace {

const char* kRegistry =
    "; installation of the client\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\QRV\\Mirelta]\r\n"
    "ClientPath=/opt/ktrb52/client/\r\n"
    "ServerPath=\r\n"
    "ProfileType = 1\r\n"
    "Note=a=b  \r\n"
    "ClientPath=/second/ignored\r\n"
    "\n"
    "[Software\\Other\\Deep\\Key]\n"
    "@=default value\n";

}  // namespace

TEST(Registry, KeysAndValuesFromTheFile) {
    TempDir dir;
    WriteFileBytes(dir / "reg.txt", kRegistry);
    TRegistry reg(dir / "reg.txt");
    ASSERT_TRUE(reg.OpenKeyReadOnly("SOFTWARE\\qrv\\MIRELTA"));
    EXPECT_EQ(reg.CurrentPath(), "Software\\QRV\\Mirelta");
    struct Case {
        const char* name;
        bool exists;
        const char* value;
    };
    const Case cases[] = {
        {"ClientPath", true, "/opt/ktrb52/client/"},  // first of two counts
        {"clientpath", true, "/opt/ktrb52/client/"},
        {"ServerPath", true, ""},     // present but empty
        {"ProfileType", true, " 1"},  // value verbatim after "="
        {"Note", true, "a=b  "},
        {"UseKBIG5", false, ""},  // absent reads as empty
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(reg.ValueExists(c.name), c.exists);
        EXPECT_EQ(reg.ReadString(c.name), c.value);
        EXPECT_EQ(reg.TryReadString(c.name).has_value(), c.exists);
    }
    // Parents of a written key exist; their sub-keys are listed.
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Other"));
    EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string>{"Deep"});
    EXPECT_TRUE(reg.GetValueNames().empty());
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\Software\\Other\\Deep\\Key\\"));
    EXPECT_EQ(reg.ReadString(""), "default value");
    EXPECT_TRUE(reg.KeyExists("HKLM\\Software\\QRV"));
}

TEST(Registry, EveryAncestorOfADeepKeyExists) {
    TempDir dir;
    std::string key = "Software";
    for (int i = 0; i < 3000; ++i) key += "\\k";
    WriteFileBytes(dir / "reg.txt", std::string(kRegistry) + "[" + key + "]\nName=deep\n");
    TRegistry reg(dir / "reg.txt");
    ASSERT_TRUE(reg.OpenKeyReadOnly(key));
    EXPECT_EQ(reg.ReadString("Name"), "deep");
    EXPECT_TRUE(reg.KeyExists(key.substr(0, 1500 * 2 + 8)));
    EXPECT_FALSE(reg.KeyExists(key + "\\k"));
    EXPECT_FALSE(reg.KeyExists("Software\\k\\x"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("software"));
    EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"k", "Other", "QRV"}));
    ASSERT_TRUE(reg.OpenKeyReadOnly(""));
    EXPECT_EQ(reg.GetKeyNames(), std::vector<std::string>{"Software"});
}

TEST(Registry, AKeyThatCannotBeOpenedDiffersFromAMissingValue) {
    TempDir dir;
    WriteFileBytes(dir / "reg.txt", kRegistry);
    TRegistry reg(dir / "reg.txt");
    EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\QRV\\Missing"));
    EXPECT_FALSE(reg.HasOpenKey());
    EXPECT_FALSE(reg.ValueExists("ClientPath"));
    reg.SetRootKey(RegistryRoot::CurrentUser);
    EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\QRV\\Mirelta"));
    // A missing or unreadable file has no keys at all.
    EXPECT_FALSE(TRegistry(dir / "none.txt").OpenKeyReadOnly("Software"));
    EXPECT_FALSE(TRegistry(dir.path()).OpenKeyReadOnly("Software"));
}

TEST(Registry, FileComesFromTheEnvironmentAndChangesShowOnTheNextOpen) {
    TempDir dir;
    {
        EnvGuard xdg("XDG_CONFIG_HOME", dir / "cfg");
        EnvGuard none("KTRB_REGISTRY", "");
        EXPECT_EQ(RegistryFileName(), dir / "cfg/ktrb52/registry.txt");
    }
    EnvGuard env("KTRB_REGISTRY", dir / "reg.txt");
    WriteFileBytes(dir / "reg.txt", "[Software\\QRV\\Mirelta]\nUseKBIG5=0\n");
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\QRV\\Mirelta"));
    EXPECT_EQ(reg.ReadString("UseKBIG5"), "0");
    WriteFileBytes(dir / "reg.txt", "[Software\\QRV\\Mirelta]\nUseKBIG5=1\n");
    EXPECT_EQ(reg.ReadString("UseKBIG5"), "0");  // the open key is a snapshot
    ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\QRV\\Mirelta"));
    EXPECT_EQ(reg.ReadString("UseKBIG5"), "1");
}
