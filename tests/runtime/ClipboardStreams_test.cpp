#include "runtime/ClipboardStreams.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/system/clipboard.h"

using namespace ktrb;

namespace {

constexpr const char* kFormat = "application/x-ktrb-grid";

// A memory stream that records the size of every read and write.
class RecordingStream : public TMemoryStream {
  public:
    using TMemoryStream::TMemoryStream;
    int64_t Read(void* buffer, int64_t count) override {
        reads.push_back(count);
        return TMemoryStream::Read(buffer, count);
    }
    int64_t Write(const void* buffer, int64_t count) override {
        writes.push_back(count);
        return TMemoryStream::Write(buffer, count);
    }
    std::vector<int64_t> reads, writes;
};

class ClipboardStreamsTest : public ::testing::Test {
  protected:
    plat::TMemoryClipboard clipboard;
    plat::ClipboardOverride guard{clipboard};
};

}  // namespace

TEST_F(ClipboardStreamsTest, StreamGoesOnInChunksWithAZeroAfter) {
    std::string bytes(40000, 'x');
    bytes[39999] = 'y';
    RecordingStream stream(bytes);
    stream.SetPosition(123);
    StreamToClipboard(stream, kFormat);
    EXPECT_EQ(stream.reads, (std::vector<int64_t>{32768, 7232}));
    EXPECT_EQ(*clipboard.GetData(kFormat), bytes + '\0');
}

TEST_F(ClipboardStreamsTest, EmptyStreamPutsOneZeroByte) {
    TMemoryStream stream;
    StreamToClipboard(stream, kFormat);
    EXPECT_EQ(*clipboard.GetData(kFormat), std::string(1, '\0'));
}

TEST_F(ClipboardStreamsTest, ClipboardOverwritesTheStreamFromItsStart) {
    clipboard.SetData(kFormat, std::string("0123456789") + '\0');
    RecordingStream stream(std::string(100, '-'));
    stream.SetPosition(50);
    ClipboardToStream(stream, kFormat);
    EXPECT_EQ(stream.Size(), 100);
    EXPECT_EQ(stream.Bytes().substr(0, 11), "0123456789-");
}

TEST_F(ClipboardStreamsTest, LargeDataComesBackInChunksWithoutItsZero) {
    std::string bytes(70000, 'a');
    TMemoryStream source(bytes);
    StreamToClipboard(source, kFormat);
    RecordingStream stream;
    ClipboardToStream(stream, kFormat);
    EXPECT_EQ(stream.writes, (std::vector<int64_t>{32768, 32768, 4464}));
    EXPECT_EQ(stream.Bytes(), bytes);
}

TEST_F(ClipboardStreamsTest, NoDataOfTheFormatWritesNothing) {
    clipboard.SetData("text/plain", "abc");
    TMemoryStream stream(std::string("keep"));
    ClipboardToStream(stream, kFormat);
    EXPECT_EQ(stream.Bytes(), "keep");
    EXPECT_EQ(stream.Position(), 0);
}

TEST_F(ClipboardStreamsTest, WriteStringToStreamAtThePosition) {
    TMemoryStream stream(std::string("abcdef"));
    stream.SetPosition(2);
    WriteStringToStream(stream, "中");
    EXPECT_EQ(stream.Bytes(), "ab中f");
    EXPECT_EQ(stream.Position(), 5);
}
