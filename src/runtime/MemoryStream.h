// Byte streams: the interface the clipboard routines and the string grid's
// copy and paste work on, and a stream kept in memory.
#pragma once
#include <algorithm>
#include <cstdint>
#include <string>

namespace ktrb {

enum class SeekOrigin { Beginning, Current, End };

class TStream {
  public:
    virtual ~TStream() = default;
    // Bytes read or written; a read at the end gives 0.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // The new position, kept within 0..Size() for reading; a write past the
    // end grows the stream.
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size();

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Beginning); }
};

class TMemoryStream : public TStream {
  public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::string bytes) : data_(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return (int64_t)data_.size(); }

    // Cuts or grows (with zeros) the stream; the position stays within it.
    void SetSize(int64_t size);
    void Clear();
    const std::string& Bytes() const { return data_; }
    // The bytes handed over whole; the stream is left empty.
    std::string TakeBytes();
    // Room for `size` bytes in all, so that writing up to it copies nothing.
    void Reserve(int64_t size) { data_.reserve((size_t)std::max<int64_t>(size, 0)); }

  private:
    std::string data_;
    int64_t position_ = 0;
};

}  // namespace ktrb
