// The record store behind client datasets: one store per nested tree (the
// top dataset and every level of detail below it), shared by all cursors
// (clones, detail datasets) over it.
//
// - Each level keeps its rows in slots with stable ids (slot + generation);
//   a row's values are one compact encoded block (no fixed-width slots).
// - Every level has a natural-order tree keyed (parent, order, slot); a
//   detail cursor is the key range of its master's slot.
// - The change log is a vector in change order plus a hash from (level,
//   slot): status and original values are O(1). Deleted rows stay as
//   tombstones outside the trees until the log is merged.
// - An undo journal with savepoints gives a master's Cancel over its details:
//   every slot and log change made after a savepoint can be rolled back.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/core/exactsum.h"
#include "platform/core/variant.h"
#include "platform/data/ostree.h"
#include "platform/data/provider.h"

namespace plat::store {

// Room for the rows loaded into a tree, carved from large chunks: no
// allocation per row, and a chunk fits where the rows of a freed packet
// were. Its blocks live as long as the arena.
class Arena {
  public:
    Arena() = default;
    ~Arena();
    Arena(const Arena&) = delete;
    Arena& operator=(const Arena&) = delete;
    char* Alloc(size_t bytes);

  private:
    std::vector<char*> chunks_;
    char* next_ = nullptr;
    size_t left_ = 0;
};

// A row's values: [u32 value bytes][u32 checkpoint per 16 columns][values].
namespace row {
constexpr int kGroupColumns = 16;
// In the arena when given (Free then leaves it there).
char* Make(std::string_view valueBytes, int columns, Arena* arena = nullptr);
char* Encode(const std::vector<Variant>& values);
// From values already encoded and the start of every group but the first,
// taken as they are.
char* Assemble(std::string_view valueBytes, int columns, const uint32_t* checkpoints);
char* Copy(const char* block);
void Free(char* block);
std::string_view Values(const char* block);
// The encoded bytes of one column's value.
std::string_view Column(const char* block, int col);
// The encoded bytes of every column, in one pass.
std::vector<std::string_view> Columns(const char* block);
Variant Get(const char* block, int col);
// Where each column of one group of 16 starts within the values (the whole
// group read in one pass, whatever column is asked for); the group's end.
uint32_t GroupOf(int col);
void GroupStarts(const char* block, uint32_t group, uint32_t* starts, uint32_t& end);
// The value whose encoded bytes are [begin, end) of the values.
Variant ValueAt(const char* block, uint32_t begin, uint32_t end);
std::vector<Variant> Decode(const char* block, int columns);
size_t Bytes(const char* block);

// Where the columns of one block start, found a group at a time as columns
// are asked for: a value read then costs the same wherever it stands.
class ColumnStarts {
  public:
    void Reset(int columns);
    // [begin, end) of the column's bytes within the block's values.
    std::pair<uint32_t, uint32_t> Of(const char* block, int col);

  private:
    int columns_ = 0;
    std::vector<uint32_t> starts_;  // per column, then the values' end
    std::vector<uint8_t> known_;    // per group
};
}  // namespace row

// The values of a row in edit: the row's block as the edit began, and the
// values written since. The new block copies every group of 16 columns that
// holds no change as it stands and encodes only the changed groups again,
// so that an edit of a few fields costs the same however wide the row is.
class RowEdit {
  public:
    // From the row's block (copied: the row may change meanwhile); a row
    // without a block, or a new one, starts with every value Null.
    void Begin(const char* block, int columns);
    void Clear();
    int Columns() const { return columns_; }
    Variant Get(int col) const;
    void Set(int col, const Variant& value);
    // A block of the values as they now stand.
    char* Encode() const;

  private:
    bool written(int col) const { return where_[col] >= 0; }
    std::string base_;  // the block as the edit began; empty for a new row
    int columns_ = 0;
    std::vector<Variant> values_;  // the written values, in order of first write
    std::vector<int> where_;       // per column: its place in values_, or -1
    std::vector<int> writtenCols_;
    std::vector<uint16_t> groupWrites_;  // per group: columns written
    mutable row::ColumnStarts starts_;
};

enum class SlotState : uint8_t { Free, Pending, Live, Deleted };

struct Slot {
    char* data = nullptr;
    uint32_t gen = 1;
    uint32_t parent = kNil;  // slot of the master row in the parent level
    int64_t order = 0;       // natural order among the rows of one parent
    SlotState state = SlotState::Free;
    bool listed = false;  // on the free list
};

// A row identity that survives other rows' inserts and deletes.
struct RowId {
    uint32_t slot = kNil;
    uint32_t gen = 0;
    bool operator==(const RowId&) const = default;
};

// Exact sums of some numeric columns over the live rows of each parent, kept
// as rows are written, deleted and rolled back, so that a total costs the
// same however many rows stand behind it.
class RunningSums {
  public:
    RunningSums(std::vector<int> columns, bool integerParts)
        : columns_(std::move(columns)), integerParts_(integerParts) {}
    bool Matches(const std::vector<int>& columns, bool integerParts) const {
        return columns == columns_ && integerParts == integerParts_;
    }
    // False once a value was no number: the sums can no longer be trusted.
    bool Usable() const { return usable_; }
    std::vector<double> Totals(uint32_t parent) const;
    void Apply(uint32_t parent, const char* data, bool remove);
    void Clear() { sums_.clear(); }

  private:
    std::vector<int> columns_;
    bool integerParts_;
    bool usable_ = true;
    std::unordered_map<uint32_t, std::vector<TExactSum>> sums_;
};

class Level {
  public:
    Level(int id, std::vector<TPacketField> fields, int parentLevel, int parentColumn);

    int Id() const { return id_; }
    const std::vector<TPacketField>& Fields() const { return fields_; }
    int ColumnCount() const { return (int)fields_.size(); }
    int FindColumn(std::string_view name) const;  // case-insensitive; -1
    int ParentLevel() const { return parentLevel_; }
    int ParentColumn() const { return parentColumn_; }
    // Nested dataset columns and the level each leads to.
    const std::vector<int>& NestedColumns() const { return nestedColumns_; }
    int ChildLevel(int column) const;
    void SetChildLevel(int column, int level);

    Slot& At(uint32_t slot) { return slots_[slot]; }
    const Slot& At(uint32_t slot) const { return slots_[slot]; }
    uint32_t SlotCount() const { return (uint32_t)slots_.size(); }
    bool IsLive(RowId id) const {
        return id.slot < slots_.size() && slots_[id.slot].gen == id.gen &&
               slots_[id.slot].state == SlotState::Live;
    }
    RowId Id(uint32_t slot) const { return {slot, slots_[slot].gen}; }
    Variant Value(uint32_t slot, int col) const;

    OrderTree& Natural() { return natural_; }
    // Extra trees of cursors; their keys must start with the parent slot.
    // keyColumns: the columns the tree's order reads besides the parent and
    // the natural order, so that a row whose key did not change keeps its
    // place; none given, every change of a row re-keys it.
    void AddIndex(OrderTree* t, std::optional<std::vector<int>> keyColumns = std::nullopt) {
        indexes_.push_back(t);
        indexKeys_.push_back(std::move(keyColumns));
    }
    void RemoveIndex(OrderTree* t);
    // [first, end) of the rows of one parent in a tree.
    std::pair<uint32_t, uint32_t> Range(const OrderTree& t, uint32_t parent) const;
    // Slots of one parent in natural order.
    std::vector<uint32_t> Children(uint32_t parent) const;
    // Unique across levels and stores: equal versions mean the same rows.
    uint64_t Version() const { return version_; }
    void Touch();
    // Sums of the columns over the live rows of each parent (integer parts
    // when asked), kept from now on for the life of the level.
    const RunningSums& Sums(const std::vector<int>& columns, bool integerParts);

  private:
    friend class DataTree;
    uint32_t allocate();
    void indexInsert(uint32_t slot);
    void indexErase(uint32_t slot);
    int cmpNatural(uint32_t a, uint32_t b) const;

    int id_;
    std::vector<TPacketField> fields_;
    int parentLevel_, parentColumn_;
    std::vector<int> nestedColumns_;
    std::vector<int> childLevels_;  // per column; -1 when not nested
    std::vector<Slot> slots_;
    std::vector<uint32_t> free_;
    OrderTree natural_;
    std::vector<OrderTree*> indexes_;
    std::vector<std::optional<std::vector<int>>> indexKeys_;  // per index
    // The index's key reads the same from both blocks.
    bool sameKey(size_t index, const char* a, const char* b) const;
    std::vector<std::unique_ptr<RunningSums>> sums_;
    uint64_t version_;
    // Column offsets of the two rows read last: a comparison of two rows
    // (an index being searched) reads both in turn.
    struct ReadRow {
        uint32_t slot = kNil;
        uint64_t version = 0;
        const char* data = nullptr;
        row::ColumnStarts starts;
    };
    mutable ReadRow read_[2];
    mutable int readLast_ = 0;
    void rowOut(const Slot& s) {
        if (s.state == SlotState::Live && s.data)
            for (auto& r : sums_) r->Apply(s.parent, s.data, true);
    }
    void rowIn(const Slot& s) {
        if (s.state == SlotState::Live && s.data)
            for (auto& r : sums_) r->Apply(s.parent, s.data, false);
    }
};

struct LogEntry {
    char* original = nullptr;  // values as read (modified, deleted)
    uint32_t level = 0;
    uint32_t slot = 0;
    TUpdateStatus status = TUpdateStatus::usUnmodified;
    bool live = false;
};

class DataTree {
  public:
    explicit DataTree(const std::vector<TPacketField>& fields);
    ~DataTree();
    DataTree(const DataTree&) = delete;
    DataTree& operator=(const DataTree&) = delete;

    // A deep copy: rows, change log; no journal, no cursors.
    std::unique_ptr<DataTree> Clone() const;
    // Same levels, names and types (sizes and flags may differ).
    bool SameStructure(const DataTree& other) const;

    int LevelCount() const { return (int)levels_.size(); }
    Level& L(int level) { return *levels_[level]; }
    const Level& L(int level) const { return *levels_[level]; }
    const std::vector<TPacketField>& TopFields() const { return levels_[0]->Fields(); }

    // ---- rows ----
    // Appends packet rows (with their details) under a parent, unlogged.
    void Load(int level, uint32_t parent, const std::vector<TPacketRow>& rows);
    // The same, freeing each packet row once it is stored.
    void Take(int level, uint32_t parent, std::vector<TPacketRow>&& rows);
    // Order keys for a new row: after every row of the parent, or between the
    // row before `before` and `before`.
    int64_t OrderAtEnd(int level, uint32_t parent) const;
    int64_t OrderBefore(int level, uint32_t before);
    uint32_t NewPending(int level, uint32_t parent, int64_t order);
    void DropPending(int level, uint32_t slot);
    // Stores a pending row (logged as inserted) or a changed row (logged as
    // modified unless its values did not change); re-keys the trees.
    void PostInsert(int level, uint32_t slot, char* block);
    bool PostModify(int level, uint32_t slot, char* block);
    // Deletes a row and its details (logged).
    void Delete(int level, uint32_t slot);
    // Writes values into a row without logging (server-assigned values).
    void WriteUnlogged(int level, uint32_t slot, char* block);
    // Removes every row of the tree, unlogged; the log is cleared.
    void Clear();

    // ---- change log ----
    int ChangeCount() const { return liveLog_; }
    int ChangeCount(const std::vector<bool>& levels) const;
    const LogEntry* FindLog(int level, uint32_t slot) const;
    TUpdateStatus Status(int level, uint32_t slot) const;
    // The value a row had when read; Null for inserted rows.
    Variant OriginalValue(int level, uint32_t slot, int col) const;
    // Reverts logged changes of the given levels (all when empty), newest
    // first; or of one row (its details stay as they are).
    void CancelUpdates(const std::vector<bool>& levels = {});
    void RevertRow(int level, uint32_t slot);
    void MergeChangeLog(const std::vector<bool>& levels = {});
    // Forgets the change of one row (it was applied).
    void MergeRow(int level, uint32_t slot);
    // Replaces a row's original values (merge/refresh after a refused apply).
    void SetOriginal(int level, uint32_t slot, char* block);
    const std::vector<LogEntry>& Log() const { return log_; }

    // ---- delta ----
    TDelta BuildDelta() const;
    static uint64_t DeltaId(int level, uint32_t slot) { return ((uint64_t)level << 32) | slot; }

    // ---- journal ----
    int PushSavepoint();
    void ReleaseSavepoint(int sp);
    void RollbackTo(int sp);
    bool Journaling() const { return !savepoints_.empty(); }

    // Cursors attached to this tree; told when rows change.
    std::vector<void*> cursors;

  private:
    struct SlotImage {
        uint32_t level, slot;
        Slot before;
        bool owns;  // the image's block is no longer the slot's
    };
    struct LogImage {
        uint64_t key;
        LogEntry before;
        uint32_t index;
        bool existed;
        bool owns;
    };
    // One change of a slot or of the log, the two kinds sharing their room:
    // a walk over a large receipt journals hundreds of thousands.
    struct JournalOp {
        explicit JournalOp(const SlotImage& image) : isLog(false), s(image) {}
        explicit JournalOp(const LogImage& image) : isLog(true), g(image) {}
        bool isLog;
        union {
            SlotImage s;
            LogImage g;
        };
    };

    uint64_t key(int level, uint32_t slot) const { return ((uint64_t)level << 32) | slot; }
    // oldToLog: the slot's block now belongs to the change log.
    void setSlot(int level, uint32_t slot, const Slot& value, bool oldToLog = false);
    void setLog(int level, uint32_t slot, const std::optional<LogEntry>& value);
    void undo(JournalOp& op);
    void commitJournal();
    void addLevels(int parentLevel, int parentColumn, const std::vector<TPacketField>& fields);
    uint32_t loadValues(int level, uint32_t parent, const TPacketRow& row, int64_t order);
    void freeSlot(int level, uint32_t slot);
    void deleteDetails(int level, uint32_t slot);
    void revertEntry(const LogEntry& e);
    // The row's master is deleted or gone: the row cannot come back alone.
    bool parentGone(int level, uint32_t slot) const;
    void compactLog();

    // First, so that it goes last: every holder of a row block goes before it.
    Arena arena_;
    std::vector<std::unique_ptr<Level>> levels_;
    std::vector<LogEntry> log_;
    std::unordered_map<uint64_t, uint32_t> logIndex_;
    int liveLog_ = 0;
    std::vector<JournalOp> journal_;
    std::vector<std::pair<int, size_t>> savepoints_;  // id, journal size
    int nextSavepoint_ = 1;
    std::vector<std::pair<int, uint32_t>> deferredFree_;
};

}  // namespace plat::store
