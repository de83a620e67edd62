#include "platform/system/system.h"

#include <gnu/libc-version.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdio>

#include "platform/system/clipboard.h"
#include "platform/system/desktop.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "temp_dir.h"

using namespace plat;

TEST(System, UserNameIsTheLoginName) {
    passwd* pw = ::getpwuid(::geteuid());
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(UserName(), pw->pw_name);
}

TEST(System, ProgramAndModuleFileNames) {
    std::string exe = HostProgramFileName();
    EXPECT_EQ(exe.front(), '/');
    EXPECT_TRUE(FileExists(exe));
    EXPECT_EQ(ExtractFileName(exe), "test_platform_system");
    // Linked statically into the test program, the library is the program.
    EXPECT_EQ(LibraryFileName(), exe);
    std::string libc = ModuleFileNameOf(reinterpret_cast<const void*>(&gnu_get_libc_version));
    EXPECT_NE(ExtractFileName(libc).find("libc"), std::string::npos) << libc;
    EXPECT_EQ(libc.front(), '/');
    EXPECT_EQ(ModuleFileNameOf(nullptr), "");
}

TEST(System, AnsiCodePageFromTheEnvironment) {
    {
        EnvGuard cp("KTRB_ANSI_CODEPAGE", "950");
        EXPECT_EQ(GetACP(), 950);
    }
    {
        EnvGuard cp("KTRB_ANSI_CODEPAGE", "big5");
        EXPECT_EQ(GetACP(), 936);
    }
}

TEST(Clipboard, NamedFormatsAndTheCurrentClipboard) {
    TMemoryClipboard mine;
    {
        ClipboardOverride use(mine);
        Clipboard().SetData("Grid Cells", std::string("a\tb\r\n\0z", 7));
        EXPECT_EQ(mine.GetData("Grid Cells")->size(), 7u);  // bytes, zeros included
        EXPECT_FALSE(Clipboard().GetData(kClipboardText).has_value());
        mine.AddData(kClipboardText, "a b");
        EXPECT_EQ(mine.Formats().size(), 2u);
        Clipboard().SetData(kClipboardText, "only");  // empties the other formats
        EXPECT_FALSE(Clipboard().HasFormat("Grid Cells"));
        EXPECT_EQ(*Clipboard().GetData(kClipboardText), "only");
    }
    EXPECT_NE(&Clipboard(), &mine);
    Clipboard().Clear();
    EXPECT_TRUE(Clipboard().Formats().empty());
}

TEST(Desktop, RequestsAreRecordedAndNothingOpensWithoutADesktop) {
    EXPECT_FALSE(DesktopLauncher().Open("http://example.invalid/"));
    TRecordingLauncher rec;
    {
        DesktopLauncherOverride use(rec);
        EXPECT_TRUE(DesktopLauncher().Open("c_data\\u1\\x.xls"));
        rec.SetResult(false);
        EXPECT_FALSE(DesktopLauncher().Open("http://host/sign?id=1"));
    }
    EXPECT_EQ(rec.Opened(),
              (std::vector<std::string>{"c_data\\u1\\x.xls", "http://host/sign?id=1"}));
    EXPECT_FALSE(DesktopLauncher().Open("x"));
}
