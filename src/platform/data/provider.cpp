#include "platform/data/provider.h"

#include <algorithm>

#include "platform/core/exceptions.h"
#include "platform/data/valuecodec.h"

namespace plat {

using codec::PutSigned;
using codec::PutText;
using codec::PutVarint;
using codec::Reader;

// ---- encodings ----

namespace {

// The fewest bytes each item can take, so that a count is held to the bytes
// left before anything is made: a field (name, type, size, precision, flags,
// nested count), a packet row (value count and length, detail count), a
// delta row (id, status, two value rows, flag count, detail count), a row
// result (id, applied, assigned count, message, code, previous code,
// context, current row).
constexpr size_t kMinFieldBytes = 6, kMinPacketRowBytes = 3, kMinDeltaRowBytes = 8,
                 kMinResultRowBytes = 9;

constexpr uint8_t kPacketMagic = 0xD1, kDeltaMagic = 0xD2, kReplyMagic = 0xD3, kFetchMagic = 0xD4,
                  kVariantMagic = 0xD5;

void putRow(std::string& out, const TValueRow& row) {
    PutVarint(out, (uint64_t)row.Count());
    PutText(out, row.Bytes());
}

TValueRow getRow(Reader& r) {
    uint64_t count = r.Varint();
    if (count > (uint64_t)INT32_MAX) Reader::Fail();
    const uint64_t n = r.Varint();
    if (n > r.Left()) Reader::Fail("a text longer than the bytes left");
    const std::string_view bytes(r.p, (size_t)n);
    r.p += n;
    return TValueRow::FromBytes(bytes, (int)count);
}

void putFields(std::string& out, const std::vector<TPacketField>& fields) {
    PutVarint(out, fields.size());
    for (const TPacketField& f : fields) {
        PutText(out, f.name);
        out.push_back((char)f.type);
        PutSigned(out, f.size);
        PutSigned(out, f.precision);
        uint8_t flags = (f.required ? 1 : 0) | (f.readOnly ? 2 : 0) | (f.hidden ? 4 : 0) |
                        (f.inKey ? 8 : 0) | (f.inUpdate ? 16 : 0);
        out.push_back((char)flags);
        putFields(out, f.fields);
    }
}

std::vector<TPacketField> getFields(Reader& r, int depth = 0) {
    if (depth > 16) Reader::Fail();
    uint64_t n = r.Varint();
    r.NeedItems(n, kMinFieldBytes);
    std::vector<TPacketField> fields(n);
    for (TPacketField& f : fields) {
        f.name = r.Text();
        uint8_t t = r.Byte();
        if (t > (uint8_t)TFieldType::ftDataSet) Reader::Fail();
        f.type = (TFieldType)t;
        f.size = (int)r.Signed();
        f.precision = (int)r.Signed();
        uint8_t flags = r.Byte();
        f.required = flags & 1;
        f.readOnly = flags & 2;
        f.hidden = flags & 4;
        f.inKey = flags & 8;
        f.inUpdate = flags & 16;
        f.fields = getFields(r, depth + 1);
    }
    return fields;
}

void putPacketRows(std::string& out, const std::vector<TPacketRow>& rows) {
    PutVarint(out, rows.size());
    for (const TPacketRow& row : rows) {
        putRow(out, row.values);
        PutVarint(out, row.details.size());
        for (const auto& d : row.details) putPacketRows(out, d);
    }
}

std::vector<TPacketRow> getPacketRows(Reader& r, int depth = 0) {
    if (depth > 16) Reader::Fail();
    uint64_t n = r.Varint();
    r.NeedItems(n, kMinPacketRowBytes);
    std::vector<TPacketRow> rows(n);
    for (TPacketRow& row : rows) {
        row.values = getRow(r);
        uint64_t d = r.Varint();
        r.NeedItems(d, 1);
        row.details.resize(d);
        for (auto& list : row.details) list = getPacketRows(r, depth + 1);
    }
    return rows;
}

void putDeltaRows(std::string& out, const std::vector<TDeltaRow>& rows) {
    PutVarint(out, rows.size());
    for (const TDeltaRow& row : rows) {
        PutVarint(out, row.id);
        out.push_back((char)row.status);
        putRow(out, row.oldValues);
        putRow(out, row.newValues);
        PutVarint(out, row.changed.size());
        for (size_t i = 0; i < row.changed.size(); i += 8) {
            uint8_t b = 0;
            for (size_t k = 0; k < 8 && i + k < row.changed.size(); ++k)
                if (row.changed[i + k]) b |= (uint8_t)(1 << k);
            out.push_back((char)b);
        }
        PutVarint(out, row.details.size());
        for (const auto& d : row.details) putDeltaRows(out, d);
    }
}

std::vector<TDeltaRow> getDeltaRows(Reader& r, int depth = 0) {
    if (depth > 16) Reader::Fail();
    uint64_t n = r.Varint();
    r.NeedItems(n, kMinDeltaRowBytes);
    std::vector<TDeltaRow> rows(n);
    for (TDeltaRow& row : rows) {
        row.id = r.Varint();
        uint8_t s = r.Byte();
        if (s > (uint8_t)TUpdateStatus::usDeleted) Reader::Fail();
        row.status = (TUpdateStatus)s;
        row.oldValues = getRow(r);
        row.newValues = getRow(r);
        uint64_t bits = r.Varint();
        if (bits / 8 + (bits % 8 != 0) > r.Left()) Reader::Fail("more flags than bytes left");
        row.changed.resize(bits);
        for (size_t i = 0; i < bits; i += 8) {
            uint8_t b = r.Byte();
            for (size_t k = 0; k < 8 && i + k < bits; ++k) row.changed[i + k] = (b >> k) & 1;
        }
        uint64_t d = r.Varint();
        r.NeedItems(d, 1);
        row.details.resize(d);
        for (auto& list : row.details) list = getDeltaRows(r, depth + 1);
    }
    return rows;
}

void expectMagic(Reader& r, uint8_t magic) {
    if (r.Byte() != magic) Reader::Fail();
}

void expectEnd(Reader& r) {
    if (!r.AtEnd()) Reader::Fail();
}

}  // namespace

std::string EncodeVariant(const Variant& v) {
    std::string out(1, (char)kVariantMagic);
    codec::PutValue(out, v);
    return out;
}

Variant DecodeVariant(const std::string& bytes) {
    Reader r(bytes);
    expectMagic(r, kVariantMagic);
    Variant v = r.Value();
    expectEnd(r);
    return v;
}

std::string EncodePacket(const TDataPacket& p) {
    std::string out(1, (char)kPacketMagic);
    out.push_back(p.endOfData ? 1 : 0);
    putFields(out, p.fields);
    putPacketRows(out, p.rows);
    return out;
}

TDataPacket DecodePacket(const std::string& bytes) {
    Reader r(bytes);
    expectMagic(r, kPacketMagic);
    TDataPacket p;
    p.endOfData = r.Byte() != 0;
    p.fields = getFields(r);
    p.rows = getPacketRows(r);
    expectEnd(r);
    return p;
}

std::string EncodeFetchRequest(const TFetchRequest& q) {
    std::string out(1, (char)kFetchMagic);
    PutSigned(out, q.count);
    out.push_back((char)((q.restart ? 1 : 0) | (q.metadata ? 2 : 0)));
    return out;
}

TFetchRequest DecodeFetchRequest(const std::string& bytes) {
    Reader r(bytes);
    expectMagic(r, kFetchMagic);
    TFetchRequest q;
    q.count = (int)r.Signed();
    uint8_t f = r.Byte();
    q.restart = f & 1;
    q.metadata = f & 2;
    expectEnd(r);
    return q;
}

std::string EncodeDelta(const TDelta& d) {
    std::string out(1, (char)kDeltaMagic);
    putFields(out, d.fields);
    putDeltaRows(out, d.rows);
    return out;
}

TDelta DecodeDelta(const std::string& bytes) {
    Reader r(bytes);
    expectMagic(r, kDeltaMagic);
    TDelta d;
    d.fields = getFields(r);
    d.rows = getDeltaRows(r);
    expectEnd(r);
    return d;
}

std::string EncodeApplyReply(const TApplyReply& a) {
    std::string out(1, (char)kReplyMagic);
    PutSigned(out, a.errorCount);
    out.push_back(a.committed ? 1 : 0);
    PutVarint(out, a.rows.size());
    for (const TRowResult& row : a.rows) {
        PutVarint(out, row.id);
        out.push_back(row.applied ? 1 : 0);
        PutVarint(out, row.assigned.size());
        for (const TAssignedValue& v : row.assigned) {
            PutSigned(out, v.field);
            codec::PutValue(out, v.value);
        }
        PutText(out, row.message);
        PutSigned(out, row.errorCode);
        PutSigned(out, row.previousError);
        PutText(out, row.context);
        putRow(out, row.current);
    }
    return out;
}

TApplyReply DecodeApplyReply(const std::string& bytes) {
    Reader r(bytes);
    expectMagic(r, kReplyMagic);
    TApplyReply a;
    a.errorCount = (int)r.Signed();
    a.committed = r.Byte() != 0;
    uint64_t n = r.Varint();
    r.NeedItems(n, kMinResultRowBytes);
    a.rows.resize(n);
    for (TRowResult& row : a.rows) {
        row.id = r.Varint();
        row.applied = r.Byte() != 0;
        uint64_t k = r.Varint();
        r.NeedItems(k, 2);
        row.assigned.resize(k);
        for (TAssignedValue& v : row.assigned) {
            v.field = (int)r.Signed();
            v.value = r.Value();
        }
        row.message = r.Text();
        row.errorCode = (int)r.Signed();
        row.previousError = (int)r.Signed();
        row.context = r.Text();
        row.current = getRow(r);
    }
    expectEnd(r);
    return a;
}

// ---- TMemoryProvider ----

TMemoryProvider::TMemoryProvider(std::string name, std::vector<TPacketField> fields,
                                 std::vector<TPacketRow> rows)
    : name_(std::move(name)), fields_(std::move(fields)), rows_(std::move(rows)) {}

Variant TMemoryProvider::DataRequest(const Variant& data) {
    lastRequest_ = data;
    return OnDataRequest ? OnDataRequest(data) : Variant();
}

TDataPacket TMemoryProvider::GetRecords(const TFetchRequest& request) {
    ++fetches_;
    if (request.restart) cursor_ = 0;
    TDataPacket p;
    if (request.metadata) p.fields = fields_;
    size_t n =
        request.count < 0 ? rows_.size() - std::min(cursor_, rows_.size()) : (size_t)request.count;
    while (n-- > 0 && cursor_ < rows_.size()) p.rows.push_back(rows_[cursor_++]);
    p.endOfData = cursor_ >= rows_.size();
    return p;
}

namespace {

struct ApplyContext {
    TMemoryProvider* provider;
    int maxErrors;
    TApplyReply reply;
    bool stopped = false;
};

std::vector<int> keyFields(const std::vector<TPacketField>& fields) {
    std::vector<int> keys;
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].inKey) keys.push_back((int)i);
    if (keys.empty())
        for (size_t i = 0; i < fields.size(); ++i)
            if (fields[i].inUpdate && fields[i].type != TFieldType::ftDataSet)
                keys.push_back((int)i);
    return keys;
}

bool sameValue(const Variant& a, const Variant& b) {
    if (a.IsEmptyOrNull() || b.IsEmptyOrNull()) return a.IsEmptyOrNull() == b.IsEmptyOrNull();
    if (a.IsNumeric() && b.IsNumeric()) return a.AsFloat() == b.AsFloat();
    return VarToStr(a) == VarToStr(b);
}

int findRow(const std::vector<TPacketRow>& rows, const std::vector<int>& keys,
            const TValueRow& probe) {
    std::vector<Variant> want = probe.Values();
    for (size_t r = 0; r < rows.size(); ++r) {
        std::vector<Variant> have = rows[r].values.Values();
        bool match = true;
        for (int k : keys)
            if (!sameValue(have[k], want[k])) {
                match = false;
                break;
            }
        if (match) return (int)r;
    }
    return -1;
}

int nestedCount(const std::vector<TPacketField>& fields) {
    return (int)std::count_if(fields.begin(), fields.end(), [](const TPacketField& f) {
        return f.type == TFieldType::ftDataSet;
    });
}

void applyLevel(ApplyContext& cx, const std::vector<TPacketField>& fields,
                std::vector<TPacketRow>& rows, const std::vector<TDeltaRow>& delta, int level);

void refuse(ApplyContext& cx, const TDeltaRow& d, const std::string& message,
            const TValueRow& current) {
    TRowResult res;
    res.id = d.id;
    res.message = message;
    res.current = current;
    cx.reply.rows.push_back(std::move(res));
    ++cx.reply.errorCount;
    if (cx.maxErrors >= 0 && cx.reply.errorCount > cx.maxErrors) cx.stopped = true;
}

void applyDetails(ApplyContext& cx, const std::vector<TPacketField>& fields, TPacketRow& row,
                  const TDeltaRow& d, int level) {
    int nested = 0;
    for (const TPacketField& f : fields) {
        if (f.type != TFieldType::ftDataSet) continue;
        if (nested < (int)d.details.size() && !d.details[nested].empty()) {
            if ((int)row.details.size() <= nested) row.details.resize(nested + 1);
            applyLevel(cx, f.fields, row.details[nested], d.details[nested], level + 1);
        }
        ++nested;
    }
}

void applyLevel(ApplyContext& cx, const std::vector<TPacketField>& fields,
                std::vector<TPacketRow>& rows, const std::vector<TDeltaRow>& delta, int level) {
    std::vector<int> keys = keyFields(fields);
    for (const TDeltaRow& d : delta) {
        if (cx.stopped) return;
        std::vector<TAssignedValue> assigned;
        if (d.status == TUpdateStatus::usInserted) {
            if (cx.provider->OnApplyRow) {
                std::string msg = cx.provider->OnApplyRow(d, level, assigned);
                if (!msg.empty()) {
                    refuse(cx, d, msg, {});
                    continue;
                }
            }
            std::vector<Variant> values = d.newValues.Values();
            for (const TAssignedValue& a : assigned)
                if (a.field >= 0 && a.field < (int)values.size()) values[a.field] = a.value;
            TPacketRow row;
            row.values = TValueRow(values);
            row.details.resize(nestedCount(fields));
            rows.push_back(std::move(row));
            if (!assigned.empty())
                cx.reply.rows.push_back({d.id, true, assigned, {}, 0, 0, {}, {}});
            applyDetails(cx, fields, rows.back(), d, level);
            continue;
        }
        int at = findRow(rows, keys, d.oldValues);
        if (at < 0) {
            refuse(cx, d, "Record not found or changed by another user", {});
            continue;
        }
        if (d.status == TUpdateStatus::usUnmodified) {
            applyDetails(cx, fields, rows[at], d, level);
            continue;
        }
        // The deletes below a delete go first, whatever becomes of it.
        if (d.status == TUpdateStatus::usDeleted) applyDetails(cx, fields, rows[at], d, level);
        std::vector<Variant> stored = rows[at].values.Values();
        std::vector<Variant> original = d.oldValues.Values();
        bool changedSince = false;
        for (size_t i = 0; i < fields.size() && i < stored.size(); ++i)
            if (fields[i].inUpdate && fields[i].type != TFieldType::ftDataSet &&
                !sameValue(stored[i], original[i]))
                changedSince = true;
        if (changedSince) {
            refuse(cx, d, "Record not found or changed by another user", rows[at].values);
            continue;
        }
        if (cx.provider->OnApplyRow) {
            std::string msg = cx.provider->OnApplyRow(d, level, assigned);
            if (!msg.empty()) {
                refuse(cx, d, msg, rows[at].values);
                continue;
            }
        }
        if (d.status == TUpdateStatus::usDeleted) {
            rows.erase(rows.begin() + at);
            continue;
        }
        std::vector<Variant> current = d.newValues.Values();
        for (size_t i = 0; i < fields.size() && i < stored.size(); ++i)
            if (fields[i].inUpdate && i < d.changed.size() && d.changed[i]) stored[i] = current[i];
        for (const TAssignedValue& a : assigned)
            if (a.field >= 0 && a.field < (int)stored.size()) stored[a.field] = a.value;
        rows[at].values = TValueRow(stored);
        if (!assigned.empty()) cx.reply.rows.push_back({d.id, true, assigned, {}, 0, 0, {}, {}});
        applyDetails(cx, fields, rows[at], d, level);
    }
}

}  // namespace

TApplyReply TMemoryProvider::ApplyUpdates(const TDelta& delta, int maxErrors) {
    ++applies_;
    ApplyContext cx{this, maxErrors, {}};
    std::vector<TPacketRow> work = rows_;
    applyLevel(cx, fields_, work, delta.rows, 0);
    cx.reply.committed = maxErrors < 0 || cx.reply.errorCount <= maxErrors;
    if (cx.reply.committed) rows_ = std::move(work);
    return cx.reply;
}

IProvider* TProviderList::FindProvider(const std::string& name) {
    for (auto& p : providers_) {
        std::string a = p->Name(), b = name;
        if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                return std::tolower((unsigned char)x) == std::tolower((unsigned char)y);
            }))
            return p.get();
    }
    return nullptr;
}

}  // namespace plat
