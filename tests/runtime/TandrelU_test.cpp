#include "runtime/TandrelU.h"

#include <gtest/gtest.h>

#include <system_error>

#include "installation.h"
#include "platform/core/dates.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"

using namespace ktrb;
using ktrb::test::Installation;

namespace {

std::string logFile(const Installation& inst) {
    return inst.client() + "Log/Alert_Tandrel_" + plat::FormatDateTime("yyyymmdd", plat::Now()) +
           ".log";
}

// The texts of the log's lines, without their "[date time] " prefix.
std::vector<std::string> logLines(const Installation& inst) {
    std::string text = plat::FromAnsi(Installation::read(logFile(inst)));
    std::vector<std::string> lines;
    for (size_t pos = 0; pos < text.size();) {
        size_t end = text.find("\r\n", pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 2;
        size_t close = line.find("] ");
        lines.push_back(line[0] == '[' && close != std::string::npos ? line.substr(close + 2)
                                                                     : line);
    }
    return lines;
}

const std::string kHyphens(34, '-');

}  // namespace

TEST(PasswordCipher, RotatesEachByteByItsPosition) {
    EXPECT_EQ(EncodePassword("abc"), "b0986c");
    EXPECT_EQ(DecodePassword("b0986c"), "abc");
    // Position 9 rotates like position 1.
    EXPECT_EQ(EncodePassword("aaaaaaaaa").substr(16, 2), EncodePassword("a"));
    EXPECT_EQ(RotateLeft8(0x161, 1), 0xC2);  // only the low byte counts
    EXPECT_EQ(RotateRight8(0x61, 9), 0xB0);
}

TEST(PasswordCipher, EmptyPasswordHasASentinelCipher) {
    std::string cipher = EncodePassword("");
    EXPECT_EQ(cipher.size(), 72u);
    EXPECT_EQ(cipher, EncodePassword(kEmptyPasswordSentinel));
    EXPECT_EQ(DecodePassword(cipher), "");
    EXPECT_EQ(DecodePassword(""), "");
    EXPECT_EQ(DecodePassword("b0986"), "ab");  // a trailing odd digit is ignored
}

TEST(PasswordCipher, RoundTripsChineseInTheAnsiCodePage) {
    plat::AnsiCodePageScope gbk(plat::CodePage::Gbk);
    std::string cipher = EncodePassword("密码1");
    EXPECT_EQ(cipher.size(), 10u);  // four GBK bytes and one ASCII byte
    EXPECT_EQ(DecodePassword(cipher), "密码1");
}

TEST(PasswordCipher, UndecodableCipherGivesTheErrorSentinelAndALogEntry) {
    Installation inst;
    EXPECT_EQ(DecodePassword("b0x86c"), kPasswordErrorSentinel);
    auto lines = logLines(inst);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], kHyphens + " on " + EncodePassword("DecodeSQLSa") + " " + kHyphens);
    EXPECT_EQ(lines[1], "讯息信息:");
    EXPECT_EQ(lines[2], "Exception is EConvertError");
    EXPECT_EQ(lines[3].substr(0, 12), "Message 01: ");
    EXPECT_EQ(lines[4], "ErrorMessage Count: 1");
    EXPECT_EQ(lines[5], "Programer Message: 解析 Sa 时发生错误!");
}

TEST(ExceptionLog, TitleOnlyWithoutExceptionLabelOrMessage) {
    Installation inst;
    WriteExceptionLog(nullptr, "  ", " ");
    EXPECT_EQ(logLines(inst), std::vector<std::string>{kHyphens + kHyphens});
}

TEST(ExceptionLog, DatabaseEngineErrorWritesEveryRecord) {
    Installation inst;
    EDBEngineError e({{101, "one"}, {102, "two"}, {103, "three"}});
    WriteExceptionLog(&e, "Save", "");
    auto lines = logLines(inst);
    std::vector<std::string> want = {
        kHyphens + " on Save " + kHyphens,
        "讯息信息:",
        "EDBEngineError Error 01: Code: 101, Message: one",
        "EDBEngineError Error 02: Code: 102, Message: two",
        "EDBEngineError Error 03: Code: 103, Message: three",
        "ErrorMessage Count: 3",
    };
    EXPECT_EQ(lines, want);
}

TEST(ExceptionLog, SystemAndFileErrorsWriteTheirCodes) {
    Installation inst;
    std::system_error os(std::error_code(5, std::generic_category()), "read");
    plat::EInOutError io("disk full");
    WriteExceptionLog(&os, "", "");
    WriteExceptionLog(&io, "", "");
    auto lines = logLines(inst);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[2].substr(0, 32), "EWin32Error Error 01: Code: 5, M");
    EXPECT_EQ(lines[6], "EInOutError Error 01: Code: 0, Message: disk full");
}

TEST(ExceptionLog, LogFolderFallsBackToServerThenTemp) {
    Installation inst;
    EXPECT_EQ(GetLogBaseFolder(), inst.client());
    inst.SetRegistry("ServerPath=" + inst.server() + "\n");
    EXPECT_EQ(GetLogBaseFolder(), inst.server());
    Installation none(false);
    EXPECT_EQ(GetLogBaseFolder(), plat::TempFolder());
}

// A log line that cannot be written is lost quietly: the caller goes on.
TEST(ExceptionLog, UnwritableLogAnswersFalse) {
    Installation inst;
    Installation::write(inst.root() + "afile", "x");
    inst.SetRegistry("ClientPath=" + inst.root() + "afile/\n");
    EXPECT_FALSE(WriteExceptionLogLine("x"));
    plat::Exception e("boom");
    EXPECT_NO_THROW(WriteExceptionLog(&e, "L", "M"));
    EXPECT_EQ(DecodePassword("zz"), kPasswordErrorSentinel);
}
