// What passes between a client dataset and its provider: data packets (field
// definitions and rows, nested rows included), the delta of pending changes
// and the per-row answers of an apply. All of it is plain values, so that a
// connection can encode it over a socket (see EncodePacket and friends).
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/variant.h"
#include "platform/data/datatypes.h"

namespace plat {

// A row of values held compactly: each value is encoded in a byte string
// (no fixed-width slots, no Variant per value). Reading by position decodes
// the value; Values() decodes all of them in one pass. The bytes live in a
// buffer that copies of the row share, and that the rows of a packet written
// through a TValueRowWriter share between them.
class TValueRow {
  public:
    TValueRow() = default;
    explicit TValueRow(const std::vector<Variant>& values);
    TValueRow(std::initializer_list<Variant> values);
    TValueRow(const TValueRow& o) noexcept;
    TValueRow(TValueRow&& o) noexcept;
    TValueRow& operator=(const TValueRow& o) noexcept;
    TValueRow& operator=(TValueRow&& o) noexcept;
    ~TValueRow();

    void Append(const Variant& v);
    int Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    Variant operator[](int index) const;  // raises EListError out of range
    std::vector<Variant> Values() const;

    // The encoded form, for transports and compact storage.
    std::string_view Bytes() const;
    // Raises EDatabaseError unless `bytes` are exactly `count` encoded values.
    static TValueRow FromBytes(std::string_view bytes, int count);

    bool operator==(const TValueRow& o) const { return count_ == o.count_ && Bytes() == o.Bytes(); }
    bool operator!=(const TValueRow& o) const { return !(*this == o); }

    struct Buffer;  // the shared bytes, defined where they are managed

  private:
    friend class TValueRowWriter;
    TValueRow(Buffer* buffer, uint32_t offset, uint32_t size, int count);
    // Room for `size` bytes at the row's end, in a buffer of its own.
    char* Grow(size_t size);

    Buffer* buffer_ = nullptr;
    uint32_t offset_ = 0;
    uint32_t size_ = 0;
    int count_ = 0;
};

// Writes the rows of a packet one after another into shared blocks: one
// allocation per block instead of one per row, a block freed with the last
// row that uses it. A large packet gets large blocks, which the system may
// back with huge pages.
class TValueRowWriter {
  public:
    TValueRowWriter() = default;
    ~TValueRowWriter();
    TValueRowWriter(const TValueRowWriter&) = delete;
    TValueRowWriter& operator=(const TValueRowWriter&) = delete;

    // Room for `size` more bytes of the row being written, straight in its
    // block (codec::Put... write there); valid until the next call.
    char* Room(size_t size) { return (size_t)(end_ - next_) >= size ? next_ : NewBlock(size); }
    // `size` bytes were written where Room pointed.
    void Wrote(size_t size) { next_ += size; }
    // The bytes of the row so far.
    std::string_view Current() const { return std::string_view(row_, Written()); }
    size_t Written() const { return (size_t)(next_ - row_); }
    // The row written since the last one; it holds exactly `count` values,
    // which the caller encoded itself (they are not parsed again).
    TValueRow EndRow(int count);

  private:
    char* NewBlock(size_t size);

    TValueRow::Buffer* block_ = nullptr;
    char* row_ = nullptr;   // the start of the row being written
    char* next_ = nullptr;  // where its next byte goes
    char* end_ = nullptr;   // the end of the block
    size_t nextSize_ = 0;
};

// One field definition of a packet. A nested dataset field (ftDataSet)
// carries the definitions of its detail rows in `fields`.
struct TPacketField {
    std::string name;
    TFieldType type = TFieldType::ftString;
    int size = 0;       // text width in the database code page; 0 = the type's default
    int precision = 0;  // BCD digits
    bool required = false;
    bool readOnly = false;
    bool hidden = false;
    bool inKey = false;    // part of the row's key for updates and deletes
    bool inUpdate = true;  // false for values the provider derives (never written back)
    std::vector<TPacketField> fields;

    bool operator==(const TPacketField&) const = default;
};

inline TPacketField PacketField(std::string name, TFieldType type, int size = 0,
                                std::vector<TPacketField> nested = {}) {
    TPacketField f;
    f.name = std::move(name);
    f.type = type;
    f.size = size;
    f.fields = std::move(nested);
    return f;
}

// One row of a packet: a value per field of its level (a nested dataset
// field holds Empty there) and, per nested dataset field in field order,
// the rows of that detail.
struct TPacketRow {
    TValueRow values;
    std::vector<std::vector<TPacketRow>> details;

    bool operator==(const TPacketRow&) const = default;
};

// A data packet. `fields` is filled when the request asked for metadata
// (the first packet of an open); later packets may carry rows only.
struct TDataPacket {
    std::vector<TPacketField> fields;
    std::vector<TPacketRow> rows;
    bool endOfData = true;  // the provider has no more rows behind this packet

    bool operator==(const TDataPacket&) const = default;
};

// A fetch: the first packet of an open restarts the provider's cursor and
// asks for metadata; later packets continue where the provider's cursor stands.
struct TFetchRequest {
    int count = -1;        // rows wanted; -1 all that remain, 0 metadata only
    bool restart = true;   // run the query again from its first row
    bool metadata = true;  // include field definitions
};

// One changed row of the delta. Unchanged ancestors of changed detail rows
// are present with status usUnmodified and their values in oldValues, so
// that every change can be placed under its master.
struct TDeltaRow {
    uint64_t id = 0;  // the client's row identity; answers refer to it
    TUpdateStatus status = TUpdateStatus::usUnmodified;
    TValueRow oldValues;        // as read from the provider (modify, delete, unchanged ancestor)
    TValueRow newValues;        // current values (insert, modify)
    std::vector<bool> changed;  // per field: the value differs from oldValues (insert: not null)
    std::vector<std::vector<TDeltaRow>> details;  // per nested dataset field, in field order

    bool operator==(const TDeltaRow&) const = default;
};

// The delta of a whole nested tree: changed rows in change order per level.
// Apply order: a master's insert or update before its details', a detail's
// delete before its master's.
struct TDelta {
    std::vector<TPacketField> fields;
    std::vector<TDeltaRow> rows;

    bool Empty() const { return rows.empty(); }
    bool operator==(const TDelta&) const = default;
};

// A value the server assigned while applying (a document number, a
// counter): written back into the client's row without being logged.
struct TAssignedValue {
    int field = 0;  // position in the row's level
    Variant value;

    bool operator==(const TAssignedValue& o) const { return field == o.field && value == o.value; }
};

// The answer for one delta row. Rows without an answer were applied when the
// apply committed, except the rows below a refused insert or update, which
// are never sent on (the deletes below a delete go before it).
struct TRowResult {
    uint64_t id = 0;
    bool applied = false;
    std::vector<TAssignedValue> assigned;  // applied: values the server set
    // Refused: why, and the row as the server holds it now (empty when gone).
    std::string message;
    int errorCode = 0;
    int previousError = 0;
    std::string context;
    TValueRow current;

    bool operator==(const TRowResult& o) const = default;
};

struct TApplyReply {
    int errorCount = 0;
    bool committed = false;  // false: nothing of the delta was stored
    std::vector<TRowResult> rows;

    bool operator==(const TApplyReply& o) const = default;
};

// The provider of a client dataset. It keeps its cursor between packets.
class IProvider {
  public:
    virtual ~IProvider() = default;
    virtual std::string Name() const = 0;
    // The client's request data, sent before an open; the answer goes back
    // to the caller of TClientDataSet::DataRequest.
    virtual Variant DataRequest(const Variant& data) = 0;
    virtual TDataPacket GetRecords(const TFetchRequest& request) = 0;
    // Applies the whole delta in one transaction. With maxErrors >= 0 the
    // apply rolls back when more than maxErrors rows are refused; -1 stores
    // every row it can.
    virtual TApplyReply ApplyUpdates(const TDelta& delta, int maxErrors) = 0;
};

// The remote server of a client dataset: finds providers by name
// (case-insensitive). Connections implement it.
class IProviderSource {
  public:
    virtual ~IProviderSource() = default;
    virtual IProvider* FindProvider(const std::string& name) = 0;
};

// Byte encodings of the values above, for transports. Decoding raises
// EDatabaseError on a malformed input.
std::string EncodeVariant(const Variant& v);
Variant DecodeVariant(const std::string& bytes);
std::string EncodePacket(const TDataPacket& p);
TDataPacket DecodePacket(const std::string& bytes);
std::string EncodeFetchRequest(const TFetchRequest& r);
TFetchRequest DecodeFetchRequest(const std::string& bytes);
std::string EncodeDelta(const TDelta& d);
TDelta DecodeDelta(const std::string& bytes);
std::string EncodeApplyReply(const TApplyReply& r);
TApplyReply DecodeApplyReply(const std::string& bytes);

// A provider over rows held in memory, for tests and local data. It serves
// its rows in packets, answers data requests through an optional handler and
// applies deltas to its own rows: updates and deletes find the row by its key
// fields (all data fields when none is marked) and are refused when the row's
// stored values differ from the delta's original values.
class TMemoryProvider : public IProvider {
  public:
    TMemoryProvider(std::string name, std::vector<TPacketField> fields,
                    std::vector<TPacketRow> rows = {});

    std::string Name() const override { return name_; }
    Variant DataRequest(const Variant& data) override;
    TDataPacket GetRecords(const TFetchRequest& request) override;
    TApplyReply ApplyUpdates(const TDelta& delta, int maxErrors) override;

    const std::vector<TPacketField>& Fields() const { return fields_; }
    std::vector<TPacketRow>& Rows() { return rows_; }
    const Variant& LastRequest() const { return lastRequest_; }
    int FetchCount() const { return fetches_; }
    int ApplyCount() const { return applies_; }

    // Hooks for tests: answer data requests; assign values or refuse a row
    // while applying (return a non-empty message to refuse).
    std::function<Variant(const Variant&)> OnDataRequest;
    std::function<std::string(const TDeltaRow&, int level, std::vector<TAssignedValue>&)>
        OnApplyRow;

  private:
    std::string name_;
    std::vector<TPacketField> fields_;
    std::vector<TPacketRow> rows_;
    size_t cursor_ = 0;
    Variant lastRequest_;
    int fetches_ = 0;
    int applies_ = 0;
};

// A provider source over a list of providers, for tests and in-process use.
class TProviderList : public IProviderSource {
  public:
    void Add(std::shared_ptr<IProvider> p) { providers_.push_back(std::move(p)); }
    IProvider* FindProvider(const std::string& name) override;

  private:
    std::vector<std::shared_ptr<IProvider>> providers_;
};

}  // namespace plat
