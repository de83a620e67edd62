#include "platform/data/store.h"

#include <strings.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/core/exceptions.h"
#include "platform/data/valuecodec.h"

namespace plat::store {

// ---- row blocks ----

namespace row {

namespace {
constexpr int kStride = kGroupColumns;
// The top bit of the column count marks a block carved from an arena.
constexpr uint32_t kInArena = 0x80000000u;
struct Header {
    uint32_t bytes;
    uint32_t columns;
    uint32_t count() const { return columns & ~kInArena; }
};
int checkpoints(int columns) {
    return columns > 0 ? (columns - 1) / kStride : 0;
}
const uint32_t* cps(const char* block) {
    return reinterpret_cast<const uint32_t*>(block + sizeof(Header));
}
const char* valuesStart(const char* block) {
    auto* h = reinterpret_cast<const Header*>(block);
    return block + sizeof(Header) + sizeof(uint32_t) * checkpoints((int)h->count());
}
}  // namespace

char* Make(std::string_view values, int columns, Arena* arena) {
    if (columns < 0 || (uint32_t)columns >= kInArena || values.size() > UINT32_MAX)
        codec::Reader::Fail();
    int ncp = checkpoints(columns);
    size_t head = sizeof(Header) + sizeof(uint32_t) * ncp;
    char* block = arena ? nullptr : static_cast<char*>(std::malloc(head + values.size()));
    if (arena) {
        // Checked before the arena gives the space: a bad row costs nothing.
        codec::Reader check(values.data(), values.data() + values.size());
        for (int c = 0; c < columns; ++c) check.SkipValue();
        if (!check.AtEnd()) codec::Reader::Fail();
        block = arena->Alloc(head + values.size());
    }
    if (!block) throw std::bad_alloc();
    auto* h = reinterpret_cast<Header*>(block);
    h->bytes = (uint32_t)values.size();
    h->columns = (uint32_t)columns | (arena ? kInArena : 0);
    auto* cp = reinterpret_cast<uint32_t*>(block + sizeof(Header));
    codec::Reader r(values.data(), values.data() + values.size());
    for (int c = 0; c < columns; ++c) {
        if (c > 0 && c % kStride == 0) cp[c / kStride - 1] = (uint32_t)(r.p - values.data());
        r.SkipValue();
    }
    if (!r.AtEnd()) {
        if (!arena) std::free(block);
        codec::Reader::Fail();
    }
    std::memcpy(block + head, values.data(), values.size());
    return block;
}

char* Assemble(std::string_view values, int columns, const uint32_t* checkpointsOf) {
    if (columns < 0 || (uint32_t)columns >= kInArena || values.size() > UINT32_MAX)
        codec::Reader::Fail();
    const int ncp = checkpoints(columns);
    const size_t head = sizeof(Header) + sizeof(uint32_t) * ncp;
    char* block = static_cast<char*>(std::malloc(head + values.size()));
    if (!block) throw std::bad_alloc();
    auto* h = reinterpret_cast<Header*>(block);
    h->bytes = (uint32_t)values.size();
    h->columns = (uint32_t)columns;
    if (ncp > 0) std::memcpy(block + sizeof(Header), checkpointsOf, sizeof(uint32_t) * ncp);
    std::memcpy(block + head, values.data(), values.size());
    return block;
}

char* Encode(const std::vector<Variant>& values) {
    std::string bytes;
    bytes.reserve(values.size() * 4);
    for (const Variant& v : values) codec::PutValue(bytes, v);
    return Make(bytes, (int)values.size());
}

char* Copy(const char* block) {
    if (!block) return nullptr;
    size_t n = Bytes(block);
    char* c = static_cast<char*>(std::malloc(n));
    if (!c) throw std::bad_alloc();
    std::memcpy(c, block, n);
    reinterpret_cast<Header*>(c)->columns &= ~kInArena;
    return c;
}

void Free(char* block) {
    // An arena's blocks go with the arena.
    if (block && (reinterpret_cast<const Header*>(block)->columns & kInArena)) return;
    std::free(block);
}

size_t Bytes(const char* block) {
    auto* h = reinterpret_cast<const Header*>(block);
    return (size_t)(valuesStart(block) - block) + h->bytes;
}

std::string_view Values(const char* block) {
    auto* h = reinterpret_cast<const Header*>(block);
    return {valuesStart(block), h->bytes};
}

std::string_view Column(const char* block, int col) {
    auto* h = reinterpret_cast<const Header*>(block);
    if (col < 0 || col >= (int)h->count()) throw EListError("Column out of range");
    const char* start = valuesStart(block);
    codec::Reader r(start, start + h->bytes);
    if (col >= kStride) r.p = start + cps(block)[col / kStride - 1];
    for (int i = col % kStride; i > 0; --i) r.SkipValue();
    const char* b = r.p;
    r.SkipValue();
    return {b, (size_t)(r.p - b)};
}

std::vector<std::string_view> Columns(const char* block) {
    auto* h = reinterpret_cast<const Header*>(block);
    std::vector<std::string_view> out;
    out.reserve(h->count());
    const char* start = valuesStart(block);
    codec::Reader r(start, start + h->bytes);
    for (uint32_t c = 0; c < h->count(); ++c) {
        const char* b = r.p;
        r.SkipValue();
        out.emplace_back(b, (size_t)(r.p - b));
    }
    return out;
}

uint32_t GroupOf(int col) {
    return (uint32_t)col / kStride;
}

void GroupStarts(const char* block, uint32_t group, uint32_t* starts, uint32_t& end) {
    auto* h = reinterpret_cast<const Header*>(block);
    const char* start = valuesStart(block);
    codec::Reader r(start, start + h->bytes);
    if (group > 0) r.p = start + cps(block)[group - 1];
    const uint32_t first = group * kStride;
    const uint32_t last = std::min<uint32_t>(first + kStride, h->count());
    for (uint32_t c = first; c < last; ++c) {
        starts[c - first] = (uint32_t)(r.p - start);
        r.SkipValue();
    }
    end = (uint32_t)(r.p - start);
}

Variant ValueAt(const char* block, uint32_t begin, uint32_t end) {
    const char* start = valuesStart(block);
    codec::Reader r(start + begin, start + end);
    return r.Value();
}

Variant Get(const char* block, int col) {
    std::string_view v = Column(block, col);
    codec::Reader r(v.data(), v.data() + v.size());
    return r.Value();
}

std::vector<Variant> Decode(const char* block, int columns) {
    std::vector<Variant> out;
    out.reserve(columns);
    std::string_view v = Values(block);
    codec::Reader r(v.data(), v.data() + v.size());
    for (int i = 0; i < columns; ++i) out.push_back(r.Value());
    return out;
}

void ColumnStarts::Reset(int columns) {
    columns_ = columns;
    starts_.resize((size_t)columns + 1);
    known_.assign(columns > 0 ? GroupOf(columns - 1) + 1 : 0, 0);
}

std::pair<uint32_t, uint32_t> ColumnStarts::Of(const char* block, int col) {
    const uint32_t group = GroupOf(col);
    if (!known_[group]) {
        uint32_t end = 0;
        GroupStarts(block, group, &starts_[(size_t)group * kStride], end);
        // The next group's first start is where this one ends.
        starts_[std::min<size_t>((size_t)(group + 1) * kStride, (size_t)columns_)] = end;
        known_[group] = 1;
    }
    return {starts_[col], starts_[col + 1]};
}

}  // namespace row

// ---- rows in edit ----

void RowEdit::Begin(const char* block, int columns) {
    columns_ = columns;
    if (block)
        base_.assign(block, row::Bytes(block));
    else
        base_.clear();
    values_.clear();
    where_.assign(columns, -1);
    groupWrites_.assign(columns > 0 ? row::GroupOf(columns - 1) + 1 : 0, 0);
    starts_.Reset(columns);
}

void RowEdit::Clear() {
    Begin(nullptr, 0);
}

Variant RowEdit::Get(int col) const {
    if (col < 0 || col >= columns_) throw EListError("Column out of range");
    if (written(col)) return values_[where_[col]];
    if (base_.empty()) return Variant::Null();
    const auto [begin, end] = starts_.Of(base_.data(), col);
    return row::ValueAt(base_.data(), begin, end);
}

void RowEdit::Set(int col, const Variant& value) {
    if (col < 0 || col >= columns_) throw EListError("Column out of range");
    if (written(col)) {
        values_[where_[col]] = value;
        return;
    }
    where_[col] = (int)values_.size();
    values_.push_back(value);
    ++groupWrites_[row::GroupOf(col)];
}

char* RowEdit::Encode() const {
    const char* base = base_.empty() ? nullptr : base_.data();
    const char* baseValues = base ? row::valuesStart(base) : nullptr;
    const uint32_t baseBytes = base ? reinterpret_cast<const row::Header*>(base)->bytes : 0;
    const int groups = (int)groupWrites_.size();
    std::string bytes;
    bytes.reserve(baseBytes + 16 * values_.size() + (size_t)columns_);
    std::vector<uint32_t> checkpoints(row::checkpoints(columns_));
    for (int g = 0; g < groups; ++g) {
        if (g > 0) checkpoints[g - 1] = (uint32_t)bytes.size();
        if (base && groupWrites_[g] == 0) {
            const uint32_t begin = g > 0 ? row::cps(base)[g - 1] : 0;
            const uint32_t end = g + 1 < groups ? row::cps(base)[g] : baseBytes;
            bytes.append(baseValues + begin, end - begin);
            continue;
        }
        const int last = std::min(columns_, (g + 1) * row::kGroupColumns);
        for (int c = g * row::kGroupColumns; c < last; ++c) {
            if (written(c)) {
                codec::PutValue(bytes, values_[where_[c]]);
            } else if (base) {
                const auto [begin, end] = starts_.Of(base, c);
                bytes.append(baseValues + begin, end - begin);
            } else {
                bytes.push_back((char)codec::tNull);
            }
        }
        if (bytes.size() > UINT32_MAX) codec::Reader::Fail();
    }
    return row::Assemble(bytes, columns_, checkpoints.data());
}

// ---- arena ----

namespace {
constexpr size_t kArenaChunk = 64 * 1024;
}

Arena::~Arena() {
    for (char* c : chunks_) std::free(c);
}

char* Arena::Alloc(size_t n) {
    n = (n + 7) & ~(size_t)7;
    if (n > kArenaChunk / 8) {
        char* own = static_cast<char*>(std::malloc(n));
        if (!own) throw std::bad_alloc();
        chunks_.push_back(own);
        return own;
    }
    if (n > left_) {
        next_ = static_cast<char*>(std::malloc(kArenaChunk));
        if (!next_) throw std::bad_alloc();
        chunks_.push_back(next_);
        left_ = kArenaChunk;
    }
    char* out = next_;
    next_ += n;
    left_ -= n;
    return out;
}

// ---- running sums ----

std::vector<double> RunningSums::Totals(uint32_t parent) const {
    std::vector<double> out(columns_.size(), 0);
    auto it = sums_.find(parent);
    if (it == sums_.end()) return out;
    for (size_t i = 0; i < out.size(); ++i) out[i] = it->second[i].Value();
    return out;
}

void RunningSums::Apply(uint32_t parent, const char* data, bool remove) {
    if (!usable_) return;
    std::vector<TExactSum>& sums = sums_[parent];
    sums.resize(columns_.size());
    for (size_t i = 0; i < columns_.size(); ++i) {
        const Variant v = row::Get(data, columns_[i]);
        if (v.IsEmptyOrNull()) continue;
        double d = 0;
        try {
            d = v.AsFloat();
        } catch (const EVariantError&) {
            usable_ = false;
            sums_.clear();
            return;
        }
        if (integerParts_) d = std::trunc(d);
        if (remove)
            sums[i].Subtract(d);
        else
            sums[i].Add(d);
    }
}

// ---- Level ----

namespace {
uint64_t nextVersion() {
    static std::atomic<uint64_t> last{0};
    return ++last;
}
}  // namespace

void Level::Touch() {
    version_ = nextVersion();
}

const RunningSums& Level::Sums(const std::vector<int>& columns, bool integerParts) {
    for (auto& r : sums_)
        if (r->Matches(columns, integerParts)) return *r;
    for (int c : columns)
        if (c < 0 || c >= ColumnCount()) throw EListError("Column out of range");
    auto r = std::make_unique<RunningSums>(columns, integerParts);
    for (const Slot& s : slots_)
        if (s.state == SlotState::Live && s.data) r->Apply(s.parent, s.data, false);
    sums_.push_back(std::move(r));
    return *sums_.back();
}

Level::Level(int id, std::vector<TPacketField> fields, int parentLevel, int parentColumn)
    : id_(id),
      fields_(std::move(fields)),
      parentLevel_(parentLevel),
      parentColumn_(parentColumn),
      childLevels_(fields_.size(), -1),
      natural_([this](uint32_t a, uint32_t b) { return cmpNatural(a, b); }),
      version_(nextVersion()) {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].type == TFieldType::ftDataSet) nestedColumns_.push_back((int)i);
}

int Level::FindColumn(std::string_view name) const {
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.size() == name.size() &&
            strncasecmp(fields_[i].name.data(), name.data(), name.size()) == 0)
            return (int)i;
    return -1;
}

int Level::ChildLevel(int column) const {
    return column >= 0 && column < (int)childLevels_.size() ? childLevels_[column] : -1;
}

void Level::SetChildLevel(int column, int level) {
    childLevels_[column] = level;
}

Variant Level::Value(uint32_t slot, int col) const {
    const char* d = slots_[slot].data;
    if (!d) return Variant::Null();
    if (col < 0 || col >= ColumnCount()) throw EListError("Column out of range");
    // Keyed by the block too: a row is re-keyed in the trees before its
    // level's version moves.
    auto holds = [&](const ReadRow& r) {
        return r.slot == slot && r.version == version_ && r.data == d;
    };
    if (!holds(read_[readLast_])) {
        // The other row, or in place of the one read longer ago.
        readLast_ ^= 1;
        ReadRow& r = read_[readLast_];
        if (!holds(r)) {
            r.slot = slot;
            r.version = version_;
            r.data = d;
            r.starts.Reset(ColumnCount());
        }
    }
    const auto [begin, end] = read_[readLast_].starts.Of(d, col);
    return row::ValueAt(d, begin, end);
}

int Level::cmpNatural(uint32_t a, uint32_t b) const {
    const Slot& x = slots_[a];
    const Slot& y = slots_[b];
    if (x.parent != y.parent) return x.parent < y.parent ? -1 : 1;
    if (x.order != y.order) return x.order < y.order ? -1 : 1;
    return a < b ? -1 : (a > b ? 1 : 0);
}

void Level::RemoveIndex(OrderTree* t) {
    for (size_t i = indexes_.size(); i-- > 0;)
        if (indexes_[i] == t) {
            indexes_.erase(indexes_.begin() + (ptrdiff_t)i);
            indexKeys_.erase(indexKeys_.begin() + (ptrdiff_t)i);
        }
}

bool Level::sameKey(size_t index, const char* a, const char* b) const {
    if (!indexKeys_[index] || !a || !b) return false;
    for (int c : *indexKeys_[index])
        if (row::Column(a, c) != row::Column(b, c)) return false;
    return true;
}

std::pair<uint32_t, uint32_t> Level::Range(const OrderTree& t, uint32_t parent) const {
    uint32_t first = t.LowerBound([&](uint32_t s) { return parent > slots_[s].parent ? 1 : -1; });
    uint32_t end = t.LowerBound([&](uint32_t s) { return parent >= slots_[s].parent ? 1 : -1; });
    return {first, end};
}

std::vector<uint32_t> Level::Children(uint32_t parent) const {
    auto [first, end] = Range(natural_, parent);
    std::vector<uint32_t> out;
    out.reserve(end - first);
    for (uint32_t i = first; i < end; ++i) out.push_back(natural_.At(i));
    return out;
}

uint32_t Level::allocate() {
    while (!free_.empty()) {
        uint32_t s = free_.back();
        free_.pop_back();
        slots_[s].listed = false;
        if (slots_[s].state == SlotState::Free) return s;
    }
    slots_.emplace_back();
    return (uint32_t)slots_.size() - 1;
}

void Level::indexInsert(uint32_t slot) {
    natural_.Insert(slot);
    for (OrderTree* t : indexes_) t->Insert(slot);
}

void Level::indexErase(uint32_t slot) {
    natural_.Erase(slot);
    for (OrderTree* t : indexes_) t->Erase(slot);
}

// ---- DataTree ----

namespace {
constexpr int64_t kOrderStep = (int64_t)1 << 20;
}

DataTree::DataTree(const std::vector<TPacketField>& fields) {
    addLevels(-1, -1, fields);
}

void DataTree::addLevels(int parentLevel, int parentColumn,
                         const std::vector<TPacketField>& fields) {
    int id = (int)levels_.size();
    levels_.push_back(std::make_unique<Level>(id, fields, parentLevel, parentColumn));
    if (parentLevel >= 0) levels_[parentLevel]->SetChildLevel(parentColumn, id);
    for (int col : std::vector<int>(levels_[id]->NestedColumns()))
        addLevels(id, col, levels_[id]->Fields()[col].fields);
}

DataTree::~DataTree() {
    for (JournalOp& op : journal_) {
        if (op.isLog && op.g.owns) row::Free(op.g.before.original);
        if (!op.isLog && op.s.owns) row::Free(op.s.before.data);
    }
    for (auto& l : levels_)
        for (Slot& s : l->slots_) row::Free(s.data);
    for (LogEntry& e : log_)
        if (e.live) row::Free(e.original);
}

std::unique_ptr<DataTree> DataTree::Clone() const {
    auto c = std::make_unique<DataTree>(TopFields());
    for (size_t i = 0; i < levels_.size(); ++i) {
        const Level& src = *levels_[i];
        Level& dst = *c->levels_[i];
        dst.slots_.resize(src.slots_.size());
        for (size_t s = 0; s < src.slots_.size(); ++s) {
            Slot x = src.slots_[s];
            if (x.state == SlotState::Pending) x.state = SlotState::Free;
            x.data = x.state == SlotState::Free ? nullptr : row::Copy(x.data);
            x.listed = x.state == SlotState::Free;
            if (x.listed) dst.free_.push_back((uint32_t)s);
            dst.slots_[s] = x;
        }
        std::vector<uint32_t> order;
        src.natural_.InOrder(order);
        dst.natural_.BuildSorted(order);
    }
    for (const LogEntry& e : log_) {
        if (!e.live) continue;
        LogEntry copy = e;
        copy.original = row::Copy(e.original);
        c->logIndex_[key(e.level, e.slot)] = (uint32_t)c->log_.size();
        c->log_.push_back(copy);
        ++c->liveLog_;
    }
    return c;
}

static bool sameFields(const std::vector<TPacketField>& a, const std::vector<TPacketField>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (strcasecmp(a[i].name.c_str(), b[i].name.c_str()) != 0 || a[i].type != b[i].type)
            return false;
        if (!sameFields(a[i].fields, b[i].fields)) return false;
    }
    return true;
}

bool DataTree::SameStructure(const DataTree& other) const {
    return sameFields(TopFields(), other.TopFields());
}

// ---- journaled primitives ----

void DataTree::setSlot(int level, uint32_t slot, const Slot& value, bool oldToLog) {
    Level& L = *levels_[level];
    Slot& cur = L.slots_[slot];
    bool wasLive = cur.state == SlotState::Live;
    bool naturalSame = wasLive && value.state == SlotState::Live && cur.parent == value.parent &&
                       cur.order == value.order;
    bool dataSame = cur.data == value.data;
    // Per index: the row keeps its place (same parent, order and key).
    std::vector<bool> keepPlace(L.indexes_.size());
    for (size_t i = 0; i < keepPlace.size(); ++i)
        keepPlace[i] = naturalSame && (dataSame || L.sameKey(i, cur.data, value.data));
    if (wasLive) {
        if (!naturalSame) L.natural_.Erase(slot);
        for (size_t i = 0; i < keepPlace.size(); ++i)
            if (!keepPlace[i]) L.indexes_[i]->Erase(slot);
    }
    if (!(naturalSame && dataSame)) {
        L.rowOut(cur);
        L.rowIn(value);
    }
    bool owns = cur.data && cur.data != value.data && !oldToLog;
    if (Journaling())
        journal_.emplace_back(SlotImage{(uint32_t)level, slot, cur, owns});
    else if (owns)
        row::Free(cur.data);
    bool listed = cur.listed;
    cur = value;
    cur.listed = listed;
    if (cur.state == SlotState::Live) {
        if (!naturalSame) L.natural_.Insert(slot);
        for (size_t i = 0; i < keepPlace.size(); ++i)
            if (!keepPlace[i]) L.indexes_[i]->Insert(slot);
    }
    L.Touch();
}

void DataTree::setLog(int level, uint32_t slot, const std::optional<LogEntry>& value) {
    uint64_t k = key(level, slot);
    auto it = logIndex_.find(k);
    bool existed = it != logIndex_.end();
    uint32_t idx = existed ? it->second : (uint32_t)log_.size();
    LogEntry before = existed ? log_[idx] : LogEntry{};
    bool owns = existed && before.original && (!value || value->original != before.original);
    if (Journaling())
        journal_.emplace_back(LogImage{k, before, idx, existed, owns});
    else if (owns)
        row::Free(before.original);
    if (value) {
        LogEntry e = *value;
        e.level = (uint32_t)level;
        e.slot = slot;
        e.live = true;
        if (existed) {
            log_[idx] = e;
        } else {
            log_.push_back(e);
            logIndex_[k] = idx;
            ++liveLog_;
        }
    } else if (existed) {
        log_[idx].live = false;
        log_[idx].original = nullptr;
        logIndex_.erase(it);
        --liveLog_;
    }
}

void DataTree::undo(JournalOp& op) {
    if (!op.isLog) {
        Level& L = *levels_[op.s.level];
        uint32_t slot = op.s.slot;
        Slot& cur = L.slots_[slot];
        if (cur.state == SlotState::Live) L.indexErase(slot);
        L.rowOut(cur);
        L.rowIn(op.s.before);
        if (cur.data && cur.data != op.s.before.data) row::Free(cur.data);
        bool wasFree = cur.state == SlotState::Free;
        bool listed = cur.listed;
        uint32_t gen = cur.gen;
        cur = op.s.before;
        cur.listed = listed;
        // A row undone out of existence takes its generation with it: no
        // bookmark of it may name the next row put in the slot.
        if (cur.state == SlotState::Free && !wasFree) cur.gen = std::max(cur.gen, gen) + 1;
        if (cur.state == SlotState::Live) L.indexInsert(slot);
        if (cur.state == SlotState::Free && !wasFree && !cur.listed) {
            cur.listed = true;
            L.free_.push_back(slot);
        }
        L.Touch();
        return;
    }
    LogImage& g = op.g;
    bool liveNow = logIndex_.count(g.key) > 0;
    LogEntry& cur = log_[g.index];
    // An original handed over by its row is the row's again once the row's
    // own change is undone (undone first: it was journaled after).
    const bool backInRow = cur.original == levels_[g.key >> 32]->slots_[(uint32_t)g.key].data;
    if (liveNow && cur.original && cur.original != g.before.original && !backInRow)
        row::Free(cur.original);
    if (g.existed) {
        cur = g.before;
        cur.live = true;
        logIndex_[g.key] = g.index;
        if (!liveNow) ++liveLog_;
    } else {
        cur.live = false;
        cur.original = nullptr;
        logIndex_.erase(g.key);
        if (liveNow) --liveLog_;
    }
}

void DataTree::commitJournal() {
    for (JournalOp& op : journal_) {
        if (op.isLog && op.g.owns) row::Free(op.g.before.original);
        if (!op.isLog && op.s.owns) row::Free(op.s.before.data);
    }
    journal_.clear();
    for (auto [level, slot] : deferredFree_) {
        Slot& s = levels_[level]->slots_[slot];
        if (s.state == SlotState::Free && !s.listed) {
            s.listed = true;
            levels_[level]->free_.push_back(slot);
        }
    }
    deferredFree_.clear();
    compactLog();
}

int DataTree::PushSavepoint() {
    int id = nextSavepoint_++;
    savepoints_.push_back({id, journal_.size()});
    return id;
}

void DataTree::ReleaseSavepoint(int sp) {
    auto it = std::find_if(savepoints_.begin(), savepoints_.end(),
                           [&](auto& p) { return p.first == sp; });
    if (it == savepoints_.end()) return;
    savepoints_.erase(it);
    if (savepoints_.empty()) commitJournal();
}

void DataTree::RollbackTo(int sp) {
    auto it = std::find_if(savepoints_.begin(), savepoints_.end(),
                           [&](auto& p) { return p.first == sp; });
    if (it == savepoints_.end()) return;
    size_t mark = it->second;
    while (journal_.size() > mark) {
        undo(journal_.back());
        journal_.pop_back();
    }
    savepoints_.erase(it, savepoints_.end());
    if (savepoints_.empty()) commitJournal();
}

void DataTree::freeSlot(int level, uint32_t slot) {
    Slot s = levels_[level]->slots_[slot];
    s.data = nullptr;
    s.state = SlotState::Free;
    ++s.gen;
    setSlot(level, slot, s);
    Slot& cur = levels_[level]->slots_[slot];
    if (Journaling()) {
        deferredFree_.push_back({level, slot});
    } else if (!cur.listed) {
        cur.listed = true;
        levels_[level]->free_.push_back(slot);
    }
}

void DataTree::compactLog() {
    if (Journaling() || log_.size() < 1024 || (int)log_.size() < 2 * liveLog_) return;
    std::vector<LogEntry> kept;
    kept.reserve(liveLog_);
    logIndex_.clear();
    for (LogEntry& e : log_)
        if (e.live) {
            logIndex_[key(e.level, e.slot)] = (uint32_t)kept.size();
            kept.push_back(e);
        }
    log_.swap(kept);
}

// ---- rows ----

uint32_t DataTree::loadValues(int level, uint32_t parent, const TPacketRow& r, int64_t order) {
    Level& L = *levels_[level];
    if (r.values.Count() != L.ColumnCount())
        throw EDatabaseError("A packet row holds " + std::to_string(r.values.Count()) +
                             " values where the level has " + std::to_string(L.ColumnCount()) +
                             " fields");
    uint32_t slot = L.allocate();
    Slot s;
    s.data = row::Make(r.values.Bytes(), L.ColumnCount(), &arena_);
    s.gen = L.slots_[slot].gen;
    s.parent = parent;
    s.order = order;
    s.state = SlotState::Live;
    setSlot(level, slot, s);
    return slot;
}

void DataTree::Load(int level, uint32_t parent, const std::vector<TPacketRow>& rows) {
    int64_t order = OrderAtEnd(level, parent);
    const Level& L = *levels_[level];
    for (const TPacketRow& r : rows) {
        uint32_t slot = loadValues(level, parent, r, order);
        const auto& nested = L.NestedColumns();
        for (size_t k = 0; k < nested.size() && k < r.details.size(); ++k)
            Load(L.ChildLevel(nested[k]), slot, r.details[k]);
        order += kOrderStep;
    }
}

void DataTree::Take(int level, uint32_t parent, std::vector<TPacketRow>&& rows) {
    int64_t order = OrderAtEnd(level, parent);
    const Level& L = *levels_[level];
    for (TPacketRow& r : rows) {
        uint32_t slot = loadValues(level, parent, r, order);
        // Each packet row goes as soon as it is stored: the packet and the
        // rows it became are never both held whole.
        {
            // Moved out, not assigned over: an assigned empty text would
            // keep the old buffer.
            TValueRow gone(std::move(r.values));
        }
        const auto& nested = L.NestedColumns();
        for (size_t k = 0; k < nested.size() && k < r.details.size(); ++k)
            Take(L.ChildLevel(nested[k]), slot, std::move(r.details[k]));
        std::vector<std::vector<TPacketRow>>().swap(r.details);
        order += kOrderStep;
    }
    std::vector<TPacketRow>().swap(rows);
}

int64_t DataTree::OrderAtEnd(int level, uint32_t parent) const {
    const Level& L = *levels_[level];
    auto [first, end] = L.Range(L.natural_, parent);
    if (first == end) return 0;
    return L.slots_[L.natural_.At(end - 1)].order + kOrderStep;
}

int64_t DataTree::OrderBefore(int level, uint32_t before) {
    Level& L = *levels_[level];
    const Slot& b = L.slots_[before];
    int64_t rank = L.natural_.Rank(before);
    auto [first, end] = L.Range(L.natural_, b.parent);
    if (rank <= (int64_t)first) return b.order - kOrderStep;
    int64_t prev = L.slots_[L.natural_.At((uint32_t)rank - 1)].order;
    if (b.order - prev >= 2) return prev + (b.order - prev) / 2;
    // No gap left: renumber the parent's rows, keeping their order.
    std::vector<uint32_t> kids = L.Children(b.parent);
    int64_t o = 0;
    for (uint32_t k : kids) {
        Slot s = L.slots_[k];
        s.order = o;
        o += kOrderStep;
        setSlot(level, k, s);
    }
    return OrderBefore(level, before);
}

uint32_t DataTree::NewPending(int level, uint32_t parent, int64_t order) {
    Level& L = *levels_[level];
    uint32_t slot = L.allocate();
    Slot s;
    s.gen = L.slots_[slot].gen;
    s.parent = parent;
    s.order = order;
    s.state = SlotState::Pending;
    setSlot(level, slot, s);
    return slot;
}

void DataTree::DropPending(int level, uint32_t slot) {
    if (levels_[level]->slots_[slot].state != SlotState::Pending) return;
    deleteDetails(level, slot);
    freeSlot(level, slot);
}

void DataTree::PostInsert(int level, uint32_t slot, char* block) {
    Slot s = levels_[level]->slots_[slot];
    s.data = block;
    s.state = SlotState::Live;
    setSlot(level, slot, s);
    LogEntry e;
    e.status = TUpdateStatus::usInserted;
    setLog(level, slot, e);
}

bool DataTree::PostModify(int level, uint32_t slot, char* block) {
    Slot s = levels_[level]->slots_[slot];
    if (s.data && row::Values(s.data) == row::Values(block)) {
        row::Free(block);
        return false;
    }
    // The first change hands the row's block over to the log as its
    // original: no copy.
    const bool first = !FindLog(level, slot);
    if (first) {
        LogEntry e;
        e.status = TUpdateStatus::usModified;
        e.original = s.data;
        setLog(level, slot, e);
    }
    s.data = block;
    setSlot(level, slot, s, first);
    return true;
}

void DataTree::deleteDetails(int level, uint32_t slot) {
    Level& L = *levels_[level];
    for (int col : L.NestedColumns()) {
        int child = L.ChildLevel(col);
        for (uint32_t k : levels_[child]->Children(slot)) Delete(child, k);
    }
}

void DataTree::Delete(int level, uint32_t slot) {
    deleteDetails(level, slot);
    Level& L = *levels_[level];
    const LogEntry* e = FindLog(level, slot);
    if (e && e->status == TUpdateStatus::usInserted) {
        setLog(level, slot, std::nullopt);
        freeSlot(level, slot);
        return;
    }
    LogEntry ne;
    ne.status = TUpdateStatus::usDeleted;
    ne.original = e ? e->original : row::Copy(L.slots_[slot].data);
    setLog(level, slot, ne);
    Slot s = L.slots_[slot];
    s.state = SlotState::Deleted;
    setSlot(level, slot, s);
}

void DataTree::WriteUnlogged(int level, uint32_t slot, char* block) {
    Slot s = levels_[level]->slots_[slot];
    s.data = block;
    setSlot(level, slot, s);
}

void DataTree::Clear() {
    if (Journaling()) throw EDatabaseError("Cannot empty a dataset while it is being edited");
    for (auto& l : levels_) {
        // The slots stay, each with a new generation, so that no bookmark of
        // a row removed here comes to name a row loaded later.
        l->free_.clear();
        for (uint32_t i = (uint32_t)l->slots_.size(); i-- > 0;) {
            Slot& s = l->slots_[i];
            row::Free(s.data);
            uint32_t gen = s.state == SlotState::Free ? s.gen : s.gen + 1;
            s = Slot{};
            s.gen = gen;
            s.listed = true;
            l->free_.push_back(i);
        }
        l->natural_.Clear();
        for (OrderTree* t : l->indexes_) t->Clear();
        for (auto& r : l->sums_) r->Clear();
        l->Touch();
    }
    for (LogEntry& e : log_)
        if (e.live) row::Free(e.original);
    log_.clear();
    logIndex_.clear();
    liveLog_ = 0;
}

// ---- change log ----

const LogEntry* DataTree::FindLog(int level, uint32_t slot) const {
    auto it = logIndex_.find(key(level, slot));
    return it == logIndex_.end() ? nullptr : &log_[it->second];
}

TUpdateStatus DataTree::Status(int level, uint32_t slot) const {
    const LogEntry* e = FindLog(level, slot);
    return e ? e->status : TUpdateStatus::usUnmodified;
}

int DataTree::ChangeCount(const std::vector<bool>& levels) const {
    int n = 0;
    for (const LogEntry& e : log_)
        if (e.live && (levels.empty() || levels[e.level])) ++n;
    return n;
}

Variant DataTree::OriginalValue(int level, uint32_t slot, int col) const {
    const LogEntry* e = FindLog(level, slot);
    if (e && e->status == TUpdateStatus::usInserted) return Variant::Null();
    if (e && e->original) return row::Get(e->original, col);
    return levels_[level]->Value(slot, col);
}

void DataTree::revertEntry(const LogEntry& entry) {
    LogEntry e = entry;
    Level& L = *levels_[e.level];
    switch (e.status) {
        case TUpdateStatus::usInserted: {
            // Details of an inserted row are inserted rows too.
            for (int col : L.NestedColumns()) {
                int child = L.ChildLevel(col);
                for (uint32_t k : levels_[child]->Children(e.slot)) {
                    const LogEntry* ce = FindLog(child, k);
                    if (ce) revertEntry(*ce);
                }
            }
            setLog(e.level, e.slot, std::nullopt);
            freeSlot(e.level, e.slot);
            break;
        }
        case TUpdateStatus::usModified:
        case TUpdateStatus::usDeleted: {
            Slot s = L.slots_[e.slot];
            s.data = row::Copy(e.original);
            s.state = SlotState::Live;
            setLog(e.level, e.slot, std::nullopt);
            setSlot(e.level, e.slot, s);
            break;
        }
        default:
            break;
    }
}

bool DataTree::parentGone(int level, uint32_t slot) const {
    const Level& L = *levels_[level];
    if (L.ParentLevel() < 0) return false;
    SlotState p = levels_[L.ParentLevel()]->slots_[L.slots_[slot].parent].state;
    return p == SlotState::Deleted || p == SlotState::Free;
}

void DataTree::CancelUpdates(const std::vector<bool>& levels) {
    for (size_t i = log_.size(); i-- > 0;) {
        if (!log_[i].live || (!levels.empty() && !levels[log_[i].level])) continue;
        // A row deleted with its master comes back only with the master.
        if (parentGone((int)log_[i].level, log_[i].slot)) continue;
        revertEntry(log_[i]);
    }
    compactLog();
}

void DataTree::RevertRow(int level, uint32_t slot) {
    const LogEntry* e = FindLog(level, slot);
    if (e && !parentGone(level, slot)) revertEntry(*e);
}

void DataTree::MergeRow(int level, uint32_t slot) {
    const LogEntry* e = FindLog(level, slot);
    if (!e) return;
    bool deleted = e->status == TUpdateStatus::usDeleted;
    setLog(level, slot, std::nullopt);
    if (deleted) freeSlot(level, slot);
}

void DataTree::MergeChangeLog(const std::vector<bool>& levels) {
    for (size_t i = 0; i < log_.size(); ++i) {
        if (!log_[i].live || (!levels.empty() && !levels[log_[i].level])) continue;
        MergeRow((int)log_[i].level, log_[i].slot);
    }
    compactLog();
}

void DataTree::SetOriginal(int level, uint32_t slot, char* block) {
    const LogEntry* e = FindLog(level, slot);
    if (!e) {
        row::Free(block);
        return;
    }
    LogEntry ne = *e;
    ne.original = block;
    setLog(level, slot, ne);
}

// ---- delta ----

TDelta DataTree::BuildDelta() const {
    struct Node {
        int level;
        uint32_t slot;
        const LogEntry* entry = nullptr;
        std::vector<std::vector<Node*>> kids;
    };
    std::vector<std::unique_ptr<Node>> nodes;
    std::unordered_map<uint64_t, Node*> byKey;
    std::vector<Node*> roots;

    std::function<Node*(int, uint32_t)> node = [&](int level, uint32_t slot) -> Node* {
        auto it = byKey.find(key(level, slot));
        if (it != byKey.end()) return it->second;
        const Level& L = *levels_[level];
        auto n = std::make_unique<Node>();
        n->level = level;
        n->slot = slot;
        n->kids.resize(L.NestedColumns().size());
        Node* raw = n.get();
        nodes.push_back(std::move(n));
        byKey[key(level, slot)] = raw;
        if (level == 0) {
            roots.push_back(raw);
        } else {
            uint32_t parent = L.slots_[slot].parent;
            const Level& P = *levels_[L.ParentLevel()];
            if (P.slots_[parent].state == SlotState::Pending ||
                P.slots_[parent].state == SlotState::Free)
                return nullptr;
            Node* pn = node(L.ParentLevel(), parent);
            if (!pn) return nullptr;
            const auto& nested = P.NestedColumns();
            size_t k = std::find(nested.begin(), nested.end(), L.ParentColumn()) - nested.begin();
            pn->kids[k].push_back(raw);
        }
        return raw;
    };
    for (const LogEntry& e : log_)
        if (e.live) {
            Node* n = node((int)e.level, e.slot);
            if (n) n->entry = &e;
        }

    auto values = [&](const Level& L, const char* block) {
        // The block was checked when it was made; no second pass.
        return TValueRow::FromBytes(row::Values(block), L.ColumnCount());
    };
    std::function<TDeltaRow(const Node*)> convert = [&](const Node* n) {
        const Level& L = *levels_[n->level];
        const Slot& s = L.slots_[n->slot];
        TDeltaRow d;
        d.id = DeltaId(n->level, n->slot);
        d.status = n->entry ? n->entry->status : TUpdateStatus::usUnmodified;
        switch (d.status) {
            case TUpdateStatus::usUnmodified:
                d.oldValues = values(L, s.data);
                break;
            case TUpdateStatus::usModified:
                d.oldValues = values(L, n->entry->original);
                d.newValues = values(L, s.data);
                d.changed.resize(L.ColumnCount());
                {
                    auto was = row::Columns(n->entry->original), now = row::Columns(s.data);
                    for (int c = 0; c < L.ColumnCount(); ++c) d.changed[c] = was[c] != now[c];
                }
                break;
            case TUpdateStatus::usInserted:
                d.newValues = values(L, s.data);
                d.changed.resize(L.ColumnCount());
                {
                    auto now = row::Columns(s.data);
                    for (int c = 0; c < L.ColumnCount(); ++c) {
                        auto tag = (uint8_t)now[c][0];
                        d.changed[c] = tag != codec::tNull && tag != codec::tEmpty;
                    }
                }
                break;
            case TUpdateStatus::usDeleted:
                d.oldValues = values(L, n->entry->original);
                break;
        }
        d.details.resize(n->kids.size());
        for (size_t k = 0; k < n->kids.size(); ++k)
            for (const Node* c : n->kids[k]) d.details[k].push_back(convert(c));
        return d;
    };
    TDelta delta;
    delta.fields = TopFields();
    for (const Node* r : roots) delta.rows.push_back(convert(r));
    return delta;
}

}  // namespace plat::store
