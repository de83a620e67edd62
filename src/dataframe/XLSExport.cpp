#include "dataframe/XLSExport.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>

#include "platform/core/exceptions.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"

namespace ktrb {

TXLSExport::TXLSExport(std::string fileName) : fileName_(std::move(fileName)) {}

void TXLSExport::CreateStream() {
    // A trial file beside the target tells whether the folder takes files;
    // the real file is written whole only when the stream closes.
    const std::string native = plat::NativePath(fileName_);
    if (plat::DirectoryExists(native))
        throw plat::EInOutError("Cannot create file \"" + fileName_ + "\": it is a folder");
    std::string trial = native + ".XXXXXX";
    const int fd = ::mkstemp(trial.data());
    if (fd < 0)
        throw plat::EInOutError("Cannot create file \"" + fileName_ +
                                "\": " + std::strerror(errno));
    ::close(fd);
    ::unlink(trial.c_str());
    open_ = true;
}

void TXLSExport::WriteCell(int kind, int row, int col, const std::string& text) {
    if (row < 0 || col < 0) throw plat::EListError("Cell out of range");
    if (kind == kXlsNumber) {
        // Read without the locale: the text is the platform's float text.
        double value = 0;
        const char* end = text.data() + text.size();
        auto [at, ec] = std::from_chars(text.data(), end, value);
        if (ec != std::errc() || at != end || !std::isfinite(value)) value = 0;
        book_.SetNumber((uint32_t)row, (uint32_t)col, value);
    } else {
        book_.SetText((uint32_t)row, (uint32_t)col, text);
    }
}

void TXLSExport::WriteNumber(int row, int col, double value, const std::string& format) {
    if (row < 0 || col < 0) throw plat::EListError("Cell out of range");
    book_.SetNumber((uint32_t)row, (uint32_t)col, std::isfinite(value) ? value : 0,
                    book_.Style(format));
}

void TXLSExport::SetColumnWidth(int col, int chars) {
    if (col < 0 || chars < 0) return;
    book_.SetColumnWidth((uint32_t)col, (uint16_t)std::min(chars * 256, 255 * 256));
}

void TXLSExport::CloseStream() {
    if (!open_) throw plat::EInOutError("The file \"" + fileName_ + "\" was not created");
    open_ = false;
    book_.SaveToFile(fileName_);
}

}  // namespace ktrb
