#include "standins/print/gif_writer.h"

#include <stdexcept>

namespace standin {

namespace {

class BitWriter {
  public:
    explicit BitWriter(std::string& out) : out_(out) {}
    void Put(uint32_t code, int bits) {
        acc_ |= uint64_t(code) << count_;
        count_ += bits;
        while (count_ >= 8) {
            block_.push_back(char(acc_ & 0xff));
            acc_ >>= 8;
            count_ -= 8;
            if (block_.size() == 255) Flush();
        }
    }
    void Finish() {
        if (count_ > 0) block_.push_back(char(acc_ & 0xff));
        acc_ = 0;
        count_ = 0;
        Flush();
        out_.push_back('\0');
    }

  private:
    void Flush() {
        if (block_.empty()) return;
        out_.push_back(char(block_.size()));
        out_ += block_;
        block_.clear();
    }
    std::string& out_;
    std::string block_;
    uint64_t acc_ = 0;
    int count_ = 0;
};

void Put16(std::string& out, int v) {
    out.push_back(char(v & 0xff));
    out.push_back(char((v >> 8) & 0xff));
}

}  // namespace

std::string EncodeGif(int width, int height, const std::vector<uint8_t>& pixels,
                      const std::vector<uint32_t>& palette) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535)
        throw std::invalid_argument("GIF: picture size out of range");
    if (pixels.size() != size_t(width) * size_t(height))
        throw std::invalid_argument("GIF: pixel count does not match the size");
    if (palette.size() < 2 || palette.size() > 256)
        throw std::invalid_argument("GIF: palette of 2 to 256 colours needed");
    int bits = 1;
    while ((1u << bits) < palette.size()) ++bits;
    const int alphabet = 1 << bits;
    for (uint8_t p : pixels)
        if (p >= palette.size()) throw std::invalid_argument("GIF: index outside the palette");

    std::string out = "GIF89a";
    Put16(out, width);
    Put16(out, height);
    out.push_back(char(0xf0 | (bits - 1)));  // global colour table, 8-bit colour resolution
    out.push_back('\0');
    out.push_back('\0');
    for (int i = 0; i < alphabet; ++i) {
        const uint32_t c = i < int(palette.size()) ? palette[i] : 0;
        out.push_back(char((c >> 16) & 0xff));
        out.push_back(char((c >> 8) & 0xff));
        out.push_back(char(c & 0xff));
    }
    out.push_back(',');
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, width);
    Put16(out, height);
    out.push_back('\0');

    // LZW with the usual growing code width; the table restarts when full.
    const int minCodeSize = bits < 2 ? 2 : bits;
    const uint32_t clearCode = 1u << minCodeSize;
    const int stride = 1 << minCodeSize;
    std::vector<uint16_t> next(4096 * size_t(stride), 0);
    out.push_back(char(minCodeSize));
    BitWriter w(out);
    int codeSize = minCodeSize + 1;
    uint32_t maxCode = clearCode + 1;
    w.Put(clearCode, codeSize);
    uint32_t cur = pixels[0];
    for (size_t i = 1; i < pixels.size(); ++i) {
        const uint8_t k = pixels[i];
        const uint16_t child = next[cur * stride + k];
        if (child) {
            cur = child;
            continue;
        }
        w.Put(cur, codeSize);
        next[cur * stride + k] = uint16_t(++maxCode);
        if (maxCode >= (1u << codeSize)) ++codeSize;
        if (maxCode == 4095) {
            w.Put(clearCode, codeSize);
            std::fill(next.begin(), next.end(), 0);
            codeSize = minCodeSize + 1;
            maxCode = clearCode + 1;
        }
        cur = k;
    }
    w.Put(cur, codeSize);
    w.Put(clearCode, codeSize);
    w.Put(clearCode + 1, minCodeSize + 1);
    w.Finish();
    out.push_back(';');
    return out;
}

}  // namespace standin
