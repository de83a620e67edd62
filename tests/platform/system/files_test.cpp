#include "platform/system/files.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "platform/core/exceptions.h"
#include "platform/system/paths.h"
#include "temp_dir.h"

using namespace plat;

TEST(Paths, BackslashPathsBecomeNative) {
    struct Case {
        const char* in;
        const char* native;
        const char* withDelim;
        const char* withoutDelim;
        const char* folder;
        const char* name;
        const char* ext;
    };
    const Case cases[] = {
        {"a\\b\\c.ini", "a/b/c.ini", "a/b/c.ini/", "a/b/c.ini", "a/b/", "c.ini", ".ini"},
        {"C:\\App\\", "C:/App/", "C:/App/", "C:/App", "C:/App/", "", ""},
        {"/opt/x/Log", "/opt/x/Log", "/opt/x/Log/", "/opt/x/Log", "/opt/x/", "Log", ""},
        {"mixed/dir\\f.tar.gz", "mixed/dir/f.tar.gz", "mixed/dir/f.tar.gz/", "mixed/dir/f.tar.gz",
         "mixed/dir/", "f.tar.gz", ".gz"},
        {"", "", "", "", "", "", ""},
        {"/", "/", "/", "/", "/", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(NativePath(c.in), c.native);
        EXPECT_EQ(IncludeTrailingPathDelimiter(c.in), c.withDelim);
        EXPECT_EQ(ExcludeTrailingPathDelimiter(c.in), c.withoutDelim);
        EXPECT_EQ(ExtractFilePath(c.in), c.folder);
        EXPECT_EQ(ExtractFileName(c.in), c.name);
        EXPECT_EQ(ExtractFileExt(c.in), c.ext);
    }
}

TEST(Files, FoldersAreCreatedWithTheirParents) {
    TempDir dir;
    std::string deep = dir / "a\\b\\c\\";  // the system's own separator style
    EXPECT_FALSE(DirectoryExists(deep));
    EXPECT_TRUE(ForceDirectories(deep));
    EXPECT_TRUE(DirectoryExists(dir / "a/b/c"));
    EXPECT_TRUE(ForceDirectories(deep));  // already there
    EXPECT_FALSE(CreateDir(dir / "a"));   // one level, exists
    EXPECT_TRUE(CreateDir(dir / "d"));
    EXPECT_FALSE(CreateDir(dir / "x/y"));  // parent missing
    EXPECT_FALSE(ForceDirectories(""));
    WriteFileBytes(dir / "f", "x");
    EXPECT_FALSE(ForceDirectories(dir / "f/sub"));  // a file stands in the way
    EXPECT_TRUE(FileExists(dir / "f"));
    EXPECT_FALSE(FileExists(dir / "a"));  // a folder is no file
    EXPECT_FALSE(DirectoryExists(dir / "f"));
    EXPECT_TRUE(DeleteFile(dir / "f"));
    EXPECT_FALSE(DeleteFile(dir / "f"));
}

TEST(Files, ANameWithANulWritesNothing) {
    TempDir dir;
    const std::string name = dir / "a" + std::string(1, '\0') + "b";
    EXPECT_THROW(WriteFileBytes(name, "x"), EInOutError);
    EXPECT_FALSE(FileExists(dir / "a"));
}

TEST(Files, AppendTextLineAddsCrLfLinesInTheCodePage) {
    TempDir dir;
    std::string log = dir / "Log\\Alert_x.log";
    ASSERT_TRUE(ForceDirectories(dir / "Log"));
    EXPECT_TRUE(AppendTextLine(log, "[2024] 一"));
    EXPECT_TRUE(AppendTextLine(log, "二", 936));
    EXPECT_EQ(ReadFileBytes(log), "[2024] \xE4\xB8\x80\r\n\xB6\xFE\r\n");
    EXPECT_FALSE(AppendTextLine(log, "\xF0\x9F\x98\x80", 936));  // no code in 936
    EXPECT_FALSE(AppendTextLine(dir / "missing/x.log", "a"));
    EXPECT_EQ(ReadFileBytes(log).size(), 16u);
}

TEST(Files, ALineIsAppendedWholeOrNotAtAll) {
    TempDir dir;
    std::string log = dir / "Alert_x.log";
    ASSERT_TRUE(AppendTextLine(log, "first"));
    // The file may grow by a few bytes only: the write stops partway.
    auto old = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 12;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = AppendTextLine(log, "a line too long for the room left");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old);
    EXPECT_FALSE(written);
    ASSERT_TRUE(AppendTextLine(log, "next"));
    EXPECT_EQ(ReadFileBytes(log), "first\r\nnext\r\n");
}

TEST(Files, ReadFailuresNameTheFile) {
    TempDir dir;
    std::string bytes;
    EXPECT_FALSE(TryReadFileBytes(dir / "none.txt", bytes));
    EXPECT_FALSE(TryReadFileBytes(dir.path(), bytes));  // a folder cannot be read
    try {
        ReadFileBytes(dir / "none.txt");
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_NE(std::string(e.what()).find("none.txt"), std::string::npos);
    }
    WriteFileBytes(dir / "gbk.txt", "ok\xB6");  // cut double-byte character
    EXPECT_THROW(ReadTextFile(dir / "gbk.txt", 936), EConvertError);
    WriteFileBytes(dir / "big5.txt", "\xA4\xA4\xA4\xE5");
    EXPECT_EQ(ReadTextFile(dir / "big5.txt", 950), "中文");
}

TEST(Files, AtomicWriteKeepsPermissionsAndFollowsLinks) {
    TempDir dir;
    std::string target = dir / "real.ini";
    WriteFileBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    ASSERT_EQ(::symlink(target.c_str(), (dir / "link.ini").c_str()), 0);
    WriteTextFile(dir / "link.ini", "新", 936);
    struct stat st;
    ASSERT_EQ(::lstat((dir / "link.ini").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(ReadFileBytes(target), "\xD0\xC2");
    EXPECT_THROW(WriteTextFile(target, "\xF0\x9F\x98\x80", 936), EConvertError);
    EXPECT_EQ(ReadFileBytes(target), "\xD0\xC2");
    EXPECT_THROW(WriteFileBytes(dir / "no/such/folder.txt", "x"), EInOutError);
}

TEST(Files, FailedWriteLeavesTheOldFileAndNoTemporary) {
    TempDir dir;
    std::string file = dir / "keep.txt";
    WriteFileBytes(file, "old content");
    {
        FileSizeLimit limit(64);
        EXPECT_THROW(WriteFileBytes(file, std::string(4096, 'n')), EInOutError);
    }
    EXPECT_EQ(ReadFileBytes(file), "old content");
    EXPECT_EQ(ListFiles(dir.path(), "", ""), std::vector<std::string>{"keep.txt"});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(Files, ListFilesByPrefixAndExtensionIgnoringCase) {
    TempDir dir;
    for (const char* n : {"Grid_b.UGS", "grid_A.ugs", "grid_c.txt", "other.ugs", "GRID_0.ugs"})
        WriteFileBytes(dir / n, "");
    ASSERT_TRUE(CreateDir(dir / "grid_dir.ugs"));
    std::vector<std::string> want = {"GRID_0.ugs", "grid_A.ugs", "Grid_b.UGS"};
    EXPECT_EQ(ListFiles(dir.path(), "grid_", ".ugs"), want);
    EXPECT_EQ(ListFiles(dir.path(), "GRID_", "UGS"), want);
    EXPECT_EQ(ListFiles(dir.path(), "grid_c", "").size(), 1u);
    EXPECT_TRUE(ListFiles(dir / "missing", "", "").empty());
}

TEST(Files, TempFolderEndsWithSeparator) {
    TempDir dir;
    {
        EnvGuard tmp("TMPDIR", dir.path() + "t");  // missing: falls back
        EXPECT_EQ(TempFolder(), "/tmp/");
    }
    EnvGuard tmp("TMPDIR", dir.path());
    EXPECT_EQ(TempFolder(), dir.path());
}
