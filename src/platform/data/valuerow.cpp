#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

#include "platform/core/exceptions.h"
#include "platform/data/provider.h"
#include "platform/data/valuecodec.h"

namespace plat {

// Bytes of one row or of many. Rows only read their own range; the writer
// and a row that holds the buffer alone may write past `used`.
struct TValueRow::Buffer {
    std::atomic<uint32_t> refs{1};
    bool mapped = false;  // a huge block of its own mapping
    size_t capacity = 0;  // bytes after the header
    size_t used = 0;
    char* Data() { return reinterpret_cast<char*>(this + 1); }
};

namespace {

using Buffer = TValueRow::Buffer;

// Blocks this large are mapped on their own and offered huge pages: a packet
// of many rows then takes a page fault per block, not per 4 KiB.
constexpr size_t kHugeBlock = size_t(2) << 20;
constexpr size_t kFirstBlock = 16 * 1024;

Buffer* newBuffer(size_t capacity) {
    void* p = std::malloc(sizeof(Buffer) + capacity);
    if (!p) throw std::bad_alloc();
    Buffer* b = new (p) Buffer;
    b->capacity = capacity;
    return b;
}

Buffer* newHugeBlock() {
    // Twice the size, then trimmed to an aligned block, so that every page
    // of it can be a huge one.
    void* raw =
        mmap(nullptr, 2 * kHugeBlock, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) return newBuffer(kHugeBlock - sizeof(Buffer));
    char* base = static_cast<char*>(raw);
    char* at = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(base) + kHugeBlock - 1) &
                                       ~(uintptr_t)(kHugeBlock - 1));
    if (at > base) munmap(base, (size_t)(at - base));
    if (at + kHugeBlock < base + 2 * kHugeBlock)
        munmap(at + kHugeBlock, (size_t)(base + 2 * kHugeBlock - (at + kHugeBlock)));
    madvise(at, kHugeBlock, MADV_HUGEPAGE);
    Buffer* b = new (at) Buffer;
    b->mapped = true;
    b->capacity = kHugeBlock - sizeof(Buffer);
    return b;
}

void hold(Buffer* b) {
    if (b) b->refs.fetch_add(1, std::memory_order_relaxed);
}

void release(Buffer* b) {
    if (!b || b->refs.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    const bool mapped = b->mapped;
    b->~Buffer();
    if (mapped)
        munmap(b, kHugeBlock);
    else
        std::free(b);
}

uint32_t checkedSize(size_t n) {
    if (n > UINT32_MAX) throw EDatabaseError("A row of values larger than 4 GiB");
    return (uint32_t)n;
}

}  // namespace

// ---- TValueRow ----

TValueRow::TValueRow(Buffer* buffer, uint32_t offset, uint32_t size, int count)
    : buffer_(buffer), offset_(offset), size_(size), count_(count) {
    hold(buffer_);
}

TValueRow::TValueRow(const std::vector<Variant>& values) {
    std::string bytes;
    for (const Variant& v : values) codec::PutValue(bytes, v);
    if (!bytes.empty()) std::memcpy(Grow(bytes.size()), bytes.data(), bytes.size());
    size_ = (uint32_t)bytes.size();
    count_ = (int)values.size();
}

TValueRow::TValueRow(std::initializer_list<Variant> values)
    : TValueRow(std::vector<Variant>(values)) {}

TValueRow::TValueRow(const TValueRow& o) noexcept
    : buffer_(o.buffer_), offset_(o.offset_), size_(o.size_), count_(o.count_) {
    hold(buffer_);
}

TValueRow::TValueRow(TValueRow&& o) noexcept
    : buffer_(o.buffer_), offset_(o.offset_), size_(o.size_), count_(o.count_) {
    o.buffer_ = nullptr;
    o.offset_ = o.size_ = 0;
    o.count_ = 0;
}

TValueRow& TValueRow::operator=(const TValueRow& o) noexcept {
    if (this != &o) {
        hold(o.buffer_);
        release(buffer_);
        buffer_ = o.buffer_;
        offset_ = o.offset_;
        size_ = o.size_;
        count_ = o.count_;
    }
    return *this;
}

TValueRow& TValueRow::operator=(TValueRow&& o) noexcept {
    if (this != &o) {
        release(buffer_);
        buffer_ = o.buffer_;
        offset_ = o.offset_;
        size_ = o.size_;
        count_ = o.count_;
        o.buffer_ = nullptr;
        o.offset_ = o.size_ = 0;
        o.count_ = 0;
    }
    return *this;
}

TValueRow::~TValueRow() {
    release(buffer_);
}

std::string_view TValueRow::Bytes() const {
    return buffer_ ? std::string_view(buffer_->Data() + offset_, size_) : std::string_view();
}

char* TValueRow::Grow(size_t size) {
    const size_t need = (size_t)size_ + size;
    checkedSize(need);
    // Alone in the buffer with room after the row: written in place, so
    // that appending value by value does not copy the row every time.
    if (buffer_ && buffer_->refs.load(std::memory_order_acquire) == 1 &&
        offset_ + size_ == buffer_->used && offset_ + need <= buffer_->capacity) {
        buffer_->used = offset_ + need;
        return buffer_->Data() + offset_ + size_;
    }
    Buffer* b = newBuffer(std::max<size_t>({need, 2 * (size_t)size_, 32}));
    if (size_) std::memcpy(b->Data(), buffer_->Data() + offset_, size_);
    b->used = need;
    release(buffer_);
    buffer_ = b;
    offset_ = 0;
    return b->Data() + size_;
}

void TValueRow::Append(const Variant& v) {
    std::string bytes;
    codec::PutValue(bytes, v);
    std::memcpy(Grow(bytes.size()), bytes.data(), bytes.size());
    size_ += (uint32_t)bytes.size();
    ++count_;
}

Variant TValueRow::operator[](int index) const {
    if (index < 0 || index >= count_)
        throw EListError("Value index out of bounds (" + std::to_string(index) + ")");
    const std::string_view b = Bytes();
    codec::Reader r(b.data(), b.data() + b.size());
    for (int i = 0; i < index; ++i) r.SkipValue();
    return r.Value();
}

std::vector<Variant> TValueRow::Values() const {
    std::vector<Variant> out;
    out.reserve(count_);
    const std::string_view b = Bytes();
    codec::Reader r(b.data(), b.data() + b.size());
    for (int i = 0; i < count_; ++i) out.push_back(r.Value());
    return out;
}

TValueRow TValueRow::FromBytes(std::string_view bytes, int count) {
    if (count < 0) codec::Reader::Fail();
    codec::Reader r(bytes.data(), bytes.data() + bytes.size());
    for (int i = 0; i < count; ++i) r.SkipValue();
    if (!r.AtEnd()) codec::Reader::Fail();
    TValueRow row;
    if (!bytes.empty()) std::memcpy(row.Grow(bytes.size()), bytes.data(), bytes.size());
    row.size_ = (uint32_t)bytes.size();
    row.count_ = count;
    return row;
}

// ---- TValueRowWriter ----

TValueRowWriter::~TValueRowWriter() {
    release(block_);
}

char* TValueRowWriter::NewBlock(size_t size) {
    const size_t written = Written(), need = written + size;
    checkedSize(need);
    // Blocks grow with the packet, up to the huge size; a row larger than
    // that has a block of its own. The row so far moves along.
    const size_t next = nextSize_ ? nextSize_ : kFirstBlock;
    nextSize_ = std::min(2 * next, kHugeBlock);
    Buffer* b = next >= kHugeBlock && need <= kHugeBlock - sizeof(Buffer)
                    ? newHugeBlock()
                    : newBuffer(std::max(next - sizeof(Buffer), 2 * need));
    if (written) std::memcpy(b->Data(), row_, written);
    release(block_);
    block_ = b;
    row_ = b->Data();
    next_ = row_ + written;
    end_ = row_ + b->capacity;
    return next_;
}

TValueRow TValueRowWriter::EndRow(int count) {
    if (!block_) return TValueRow(nullptr, 0, 0, count);
    const uint32_t size = checkedSize(Written());
    TValueRow row(block_, (uint32_t)(row_ - block_->Data()), size, count);
    block_->used = (size_t)(next_ - block_->Data());
    row_ = next_;
    return row;
}

}  // namespace plat
