#include "platform/system/inifile.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/system/files.h"
#include "temp_dir.h"

using namespace plat;

namespace {

// MireltaC.ini-like content, UTF-8 here and GBK (936) on disk.
const char* kClientIni =
    "; client settings\r\n"
    "[Client Components]\r\n"
    "LangType = CHS \r\n"
    "GridViewDataPath=\"D:\\Data\\ \"\r\n"
    "Caption=中文标题\r\n"
    "just a line without equals\r\n"
    "\r\n"
    "[Server Information]\r\n"
    "ComputerName=127.0.0.1;10.0.0.2;\r\n"
    "ServerPort=abc\r\n"
    "HexPort=0x1F\r\n"
    "DollarPort=$10\r\n"
    "Big=99999999999\r\n"
    "SupportCallBack=1\r\n"
    "Empty=\r\n"
    "  ;ServerPort=1\r\n"
    "\r\n"
    "[WorkDLLPath]\r\n"
    "A=D:\\Lib\r\n"
    "B=\\Bin\r\n"
    "a=duplicate of A\r\n"
    "[server information]\r\n"
    "ServerPort=212\r\n"
    "Extra=more\r\n";

struct IniFixture : ::testing::Test {
    TempDir dir;
    std::string file = dir / "MireltaC.ini";
    void SetUp() override { WriteTextFile(file, kClientIni, 936); }
};

}  // namespace

TEST_F(IniFixture, ReadsWithThePlatformRules) {
    TIniFile ini(file, 936);
    struct Case {
        const char* section;
        const char* key;
        const char* value;  // nullptr: the default comes back
    };
    const Case cases[] = {
        {"Client Components", "LangType", "CHS"},                  // trimmed
        {"CLIENT COMPONENTS", "langtype", "CHS"},                  // names ignore case
        {"Client Components", "GridViewDataPath", "D:\\Data\\ "},  // quotes removed
        {"Client Components", "Caption", "中文标题"},              // decoded from 936
        {"Client Components", "just a line without equals", nullptr},
        {"Server Information", "ServerPort", "abc"},  // first section wins
        {"Server Information", "Extra", "more"},      // second section merged
        {"Server Information", "Empty", ""},
        {"Server Information", ";ServerPort", nullptr},  // comment
        {"WorkDLLPath", "A", "D:\\Lib"},                 // first of two names
        {"Missing", "A", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.section) + "/" + c.key);
        EXPECT_EQ(ini.ReadString(c.section, c.key, "<def>"), c.value ? c.value : "<def>");
        EXPECT_EQ(ini.ValueExists(c.section, c.key), c.value != nullptr);
    }
}

TEST_F(IniFixture, IntegersTakeTheDefaultWhenNotANumber) {
    TIniFile ini(file, 936);
    struct Case {
        const char* key;
        int value;
    };
    const Case cases[] = {
        {"ServerPort", 211},                                    // "abc"
        {"HexPort", 31},     {"DollarPort", 16}, {"Big", 211},  // out of range
        {"Empty", 211},      {"Missing", 211},   {"SupportCallBack", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ini.ReadInteger("Server Information", c.key, 211), c.value);
    }
    EXPECT_TRUE(ini.ReadBool("Server Information", "SupportCallBack", false));
    EXPECT_TRUE(ini.ReadBool("Server Information", "ServerPort", true));  // not a number
    EXPECT_FALSE(ini.ReadBool("Server Information", "ServerPort", false));
}

TEST_F(IniFixture, ListsSectionsKeysAndValues) {
    TIniFile ini(file, 936);
    EXPECT_EQ(ini.ReadSections(),
              (std::vector<std::string>{"Client Components", "Server Information", "WorkDLLPath"}));
    EXPECT_EQ(ini.ReadSection("Client Components"),
              (std::vector<std::string>{"LangType", "GridViewDataPath", "Caption"}));
    EXPECT_EQ(ini.ReadSectionValues("workdllpath"),
              (std::vector<std::string>{"A=D:\\Lib", "B=\\Bin"}));
    EXPECT_EQ(ini.ReadSection("Server Information").back(), "Extra");
    EXPECT_TRUE(ini.SectionExists("server INFORMATION"));
    EXPECT_FALSE(ini.SectionExists("Nothing"));
}

TEST_F(IniFixture, MissingOrUnreadableFilesReadAsDefaults) {
    for (const std::string& name : {dir / "none.ini", dir.path()}) {
        TIniFile ini(name, 936);
        EXPECT_EQ(ini.ReadString("CodePage", "DBCodePage", "936"), "936");
        EXPECT_EQ(ini.ReadInteger("Server Information", "ServerPort", 211), 211);
        EXPECT_TRUE(ini.ReadSections().empty());
    }
}

TEST_F(IniFixture, WritesKeepOtherLinesByteForByte) {
    // A line that is not valid GBK survives a rewrite untouched.
    std::string bytes = ReadFileBytes(file) + "[Odd]\r\nBad=\xFF\xFE\x80\r\n";
    WriteFileBytes(file, bytes);
    TIniFile ini(file, 936);
    ini.WriteString("Server Information", "ServerPort", "213");
    ini.WriteString("Client Components", "New", "值");
    ini.WriteString("UserDefine", "CreateGifBeforeSendSV", "N");
    ini.WriteInteger("WorkDLLPath", "C", -5);
    EXPECT_EQ(ini.ReadInteger("Server Information", "ServerPort", 0), 213);
    std::string after = ReadFileBytes(file);
    EXPECT_NE(after.find("ServerPort=213\r\nHexPort"), std::string::npos);
    // A new key goes after the section's last line, before the blank one.
    EXPECT_NE(after.find("without equals\r\nNew=\xD6\xB5\r\n\r\n[Server"), std::string::npos);
    EXPECT_NE(after.find("Bad=\xFF\xFE\x80\r\n"), std::string::npos);
    EXPECT_NE(after.find("a=duplicate of A\r\nC=-5\r\n[server"), std::string::npos);
    const std::string tail = "Bad=\xFF\xFE\x80\r\n\r\n[UserDefine]\r\nCreateGifBeforeSendSV=N\r\n";
    EXPECT_EQ(after.substr(after.size() - tail.size()), tail);
    // A second reader sees every change.
    TIniFile other(file, 936);
    EXPECT_EQ(other.ReadString("Client Components", "new", ""), "值");
    EXPECT_EQ(other.ReadString("userdefine", "CreateGifBeforeSendSV", ""), "N");
}

TEST_F(IniFixture, EraseSectionAndDeleteKey) {
    TIniFile ini(file, 936);
    ini.DeleteKey("WorkDLLPath", "a");  // both lines of the name go
    EXPECT_EQ(ini.ReadSection("WorkDLLPath"), std::vector<std::string>{"B"});
    ini.EraseSection("SERVER INFORMATION");  // both sections of the name go
    EXPECT_FALSE(ini.SectionExists("Server Information"));
    EXPECT_EQ(ini.ReadSections(), (std::vector<std::string>{"Client Components", "WorkDLLPath"}));
    std::string before = ReadFileBytes(file);
    ini.DeleteKey("WorkDLLPath", "Missing");
    ini.EraseSection("Missing");
    EXPECT_EQ(ReadFileBytes(file), before);
}

TEST_F(IniFixture, WritesThatWouldBreakTheFileAreRefused) {
    TIniFile ini(file, 936);
    std::string before = ReadFileBytes(file);
    EXPECT_THROW(ini.WriteString("S", "K", "two\r\n[Injected]"), EInOutError);
    EXPECT_THROW(ini.WriteString("S", "A=B", "v"), EInOutError);
    EXPECT_THROW(ini.WriteString("S]", "K", "v"), EInOutError);
    EXPECT_THROW(ini.WriteString("S", ";K", "v"), EInOutError);
    EXPECT_THROW(ini.WriteString("S", " ", "v"), EInOutError);
    EXPECT_THROW(ini.WriteString("S", "K", "\xF0\x9F\x98\x80"), EConvertError);  // not in 936
    EXPECT_EQ(ReadFileBytes(file), before);
}

TEST_F(IniFixture, AFailedWriteLeavesTheOldFile) {
    TIniFile ini(file, 936);
    std::string before = ReadFileBytes(file);
    {
        FileSizeLimit limit(before.size() / 2);
        EXPECT_THROW(ini.WriteString("Client Components", "LangType", "CHT"), EInOutError);
    }
    EXPECT_EQ(ReadFileBytes(file), before);
    EXPECT_EQ(ini.ReadString("Client Components", "LangType", ""), "CHS");
    EXPECT_THROW(TIniFile(dir / "no/folder.ini", 936).WriteString("S", "K", "v"), EInOutError);
    // A file that is there but cannot be read is never overwritten.
    try {
        TIniFile(dir.path(), 936).WriteString("S", "K", "v");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find("Cannot read"), std::string::npos) << e.what();
    }
}

TEST_F(IniFixture, ChangesByAnotherWriterAreSeen) {
    TIniFile ini(file, 936);
    EXPECT_EQ(ini.ReadString("Client Components", "LangType", ""), "CHS");
    WriteTextFile(file, "[Client Components]\nLangType=ENG, now longer\n", 936);
    EXPECT_EQ(ini.ReadString("Client Components", "LangType", ""), "ENG, now longer");
    // A file written with LF keeps LF.
    ini.WriteString("Client Components", "X", "1");
    EXPECT_EQ(ReadFileBytes(file), "[Client Components]\nLangType=ENG, now longer\nX=1\n");
}

TEST(IniFile, TraditionalChineseFilesUseCodePage950) {
    TempDir dir;
    WriteFileBytes(dir / "a.ini", "[\xA4\xA4]\r\nK=\xC1\x63\xC5\xE9\r\n");  // [中] K=繁體
    TIniFile ini(dir / "a.ini", 950);
    EXPECT_EQ(ini.ReadString("中", "K", ""), "繁體");
    AnsiCodePageScope acp(CodePage::Big5);
    EXPECT_EQ(TIniFile(dir / "a.ini").FileCodePage(), 950);
    EXPECT_EQ(TIniFile(dir / "a.ini").ReadString("中", "K", ""), "繁體");
    EXPECT_THROW(TIniFile(dir / "a.ini", 1252), EConvertError);
}

namespace {
// Heap in use, the large blocks the allocator maps apart included.
size_t heapInUse() {
    struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

}  // namespace

TEST(IniFile, MemoryKeepsInProportionToTheFile) {
    TempDir dir;
    const size_t lines = 1 << 20;
    WriteFileBytes(dir / "blank.ini", std::string(lines - 1, '\n') + "[S]\nK=V\n");
    size_t before = heapInUse();
    TIniFile ini(dir / "blank.ini");
    EXPECT_EQ(ini.ReadString("S", "K", ""), "V");
    size_t used = heapInUse() - before;
    // The bytes, their text and a small record per line.
    EXPECT_LT(used, lines * 40) << used / lines << " bytes a line";
}
