#include "runtime/MemoryStream.h"

#include <algorithm>
#include <cstring>

namespace ktrb {

int64_t TStream::Size() {
    int64_t position = Position();
    int64_t size = Seek(0, SeekOrigin::End);
    Seek(position, SeekOrigin::Beginning);
    return size;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    int64_t n =
        std::clamp<int64_t>((int64_t)data_.size() - position_, 0, std::max<int64_t>(count, 0));
    if (n > 0) std::memcpy(buffer, data_.data() + position_, (size_t)n);
    position_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (position_ + count > (int64_t)data_.size()) data_.resize((size_t)(position_ + count));
    std::memcpy(data_.data() + position_, buffer, (size_t)count);
    position_ += count;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = origin == SeekOrigin::Beginning ? 0
                   : origin == SeekOrigin::Current ? position_
                                                   : (int64_t)data_.size();
    position_ = std::max<int64_t>(base + offset, 0);
    return position_;
}

void TMemoryStream::SetSize(int64_t size) {
    data_.resize((size_t)std::max<int64_t>(size, 0));
    position_ = std::min<int64_t>(position_, (int64_t)data_.size());
}

std::string TMemoryStream::TakeBytes() {
    std::string bytes = std::move(data_);
    data_.clear();
    position_ = 0;
    return bytes;
}

void TMemoryStream::Clear() {
    data_.clear();
    position_ = 0;
}

}  // namespace ktrb
