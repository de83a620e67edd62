#include "runtime/ClipboardStreams.h"

#include <algorithm>

#include "platform/system/clipboard.h"

namespace ktrb {

namespace {

constexpr int64_t kChunk = 32768;

}  // namespace

void WriteStringToStream(TStream& stream, const std::string& text) {
    stream.Write(text.data(), (int64_t)text.size());
}

void StreamToClipboard(TStream& stream, const std::string& format) {
    stream.Seek(0, SeekOrigin::Beginning);
    int64_t size = stream.Size();
    std::string block((size_t)size + 1, '\0');
    int64_t copied = 0;
    while (copied < size) {
        int64_t n = stream.Read(block.data() + copied, std::min(kChunk, size - copied));
        if (n <= 0) break;
        copied += n;
    }
    plat::Clipboard().SetData(format, block);
}

void ClipboardToStream(TStream& stream, const std::string& format) {
    stream.Seek(0, SeekOrigin::Beginning);
    std::optional<std::string> data = plat::Clipboard().GetData(format);
    if (!data || data->empty()) return;
    int64_t size = (int64_t)data->size() - 1;
    for (int64_t written = 0; written < size;) {
        int64_t n = stream.Write(data->data() + written, std::min(kChunk, size - written));
        if (n <= 0) break;
        written += n;
    }
}

}  // namespace ktrb
