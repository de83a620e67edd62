#include "standins/appserver/table_provider.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <iterator>
#include <map>

#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/valuecodec.h"
#include "standins/appserver/session.h"

namespace standin {

using plat::TPacketField;
using plat::TPacketRow;
using plat::TValueRow;
using plat::Variant;
using plat::VarToStr;

namespace {

constexpr size_t kKeysPerQuery = 200;
const char* kChangedByOthers = "Record not found or changed by another user";

std::string KeyText(const std::vector<Variant>& values) {
    std::string k;
    for (auto& v : values) k += VarToStr(v) + '\x1f';
    return k;
}

plat::TFieldType FieldTypeOf(const ColumnInfo& c) {
    switch (c.kind) {
        case ColumnInfo::Kind::Text:
            return plat::TFieldType::ftString;
        case ColumnInfo::Kind::Memo:
            return plat::TFieldType::ftMemo;
        case ColumnInfo::Kind::Integer:
            return plat::TFieldType::ftInteger;
        case ColumnInfo::Kind::Blob:
            return plat::TFieldType::ftBlob;
        default:
            return plat::TFieldType::ftFloat;
    }
}

// The stored column an expression only names ("MOCTI.TI004", "TI004"), or -1.
int RepeatedColumn(const std::string& table, const std::vector<std::string>& stored,
                   const std::string& expression) {
    std::string name = plat::Trim(expression);
    const size_t dot = name.find('.');
    if (dot != std::string::npos) {
        if (!plat::SameText(name.substr(0, dot), table)) return -1;
        name = name.substr(dot + 1);
    }
    if (name.empty() || !std::all_of(name.begin(), name.end(),
                                     [](unsigned char c) { return std::isalnum(c) || c == '_'; }))
        return -1;
    for (size_t k = 0; k < stored.size(); ++k)
        if (plat::SameText(stored[k], name)) return (int)k;
    return -1;
}

}  // namespace

// Field position -> stored column of a level (null for other fields), and
// the positions of the nested dataset fields.
struct TableProvider::FieldMapping {
    std::vector<const ColumnInfo*> column;
    std::vector<size_t> nested;
};

struct TableProvider::ApplyState {
    plat::TApplyReply reply;
    int maxErrors = 0;
    std::string lastNumber;
    DocumentRights rights;
    // The document being applied is voided or restored: its details may
    // change only their status.
    bool statusOnly = false;
    // The document being applied is confirmed: its details may change only
    // what a confirmed document still takes.
    bool confirmedOnly = false;
    bool stop() const { return maxErrors >= 0 && reply.errorCount > maxErrors; }

    // The rows of a level share their fields: their mapping to columns is worked out once.
    std::map<const std::vector<TPacketField>*, FieldMapping> mappings;
    // Statements repeat from row to row: prepared once per apply.
    std::map<std::string, std::unique_ptr<Statement>> statements;
    Statement& Prepared(Database& db, const std::string& sql) {
        auto& st = statements[sql];
        if (!st) st = std::make_unique<Statement>(db, sql);
        st->Reset();
        return *st;
    }
};

TableProvider::TableProvider(std::string name, AppSession& session, std::vector<LevelSpec> levels,
                             ProviderOptions options)
    : name_(std::move(name)), session_(session), options_(options) {
    for (auto& l : levels) {
        Level level;
        level.spec = std::move(l);
        levels_.push_back(std::move(level));
    }
}

void TableProvider::Prepare() {
    if (prepared_) return;
    for (size_t i = 0; i < levels_.size(); ++i) {
        Level& l = levels_[i];
        l.info = &session_.Server().Table(l.spec.table);
        l.stored.clear();
        if (l.spec.storedColumns.empty()) {
            for (auto& c : l.info->columns)
                if (c.kind != ColumnInfo::Kind::Blob) l.stored.push_back(c.name);
        } else {
            l.stored = l.spec.storedColumns;
        }
        l.selectList.clear();
        for (auto& c : l.stored)
            l.selectList += (l.selectList.empty() ? "" : ", ") + l.info->name + "." + c;
        l.repeats.clear();
        l.anyRepeat = false;
        for (auto& d : l.spec.derived) {
            const int same = i > 0 ? RepeatedColumn(l.info->name, l.stored, d.expression) : -1;
            l.repeats.push_back(same);
            l.anyRepeat = l.anyRepeat || same >= 0;
            if (same < 0)
                l.selectList +=
                    (l.selectList.empty() ? "" : ", ") + ("(" + d.expression + ") AS " + d.name);
        }
        l.fieldCount = (int)(l.stored.size() + l.spec.derived.size());
    }
    prepared_ = true;
}

std::vector<TPacketField> TableProvider::Fields(size_t level) {
    Prepare();
    const Level& l = levels_[level];
    std::vector<TPacketField> out;
    for (auto& name : l.stored) {
        const ColumnInfo* c = l.info->Find(name);
        TPacketField f = plat::PacketField(name, c ? FieldTypeOf(*c) : plat::TFieldType::ftString,
                                           c && c->kind == ColumnInfo::Kind::Text ? c->width : 0);
        f.inKey = c && c->keyPosition > 0;
        f.readOnly = options_.readOnly;
        out.push_back(f);
    }
    for (auto& d : l.spec.derived) {
        TPacketField f = plat::PacketField(d.name, d.type, d.size);
        f.inUpdate = false;
        out.push_back(f);
    }
    if (level + 1 < levels_.size())
        out.push_back(plat::PacketField(levels_[level + 1].spec.nestedField,
                                        plat::TFieldType::ftDataSet, 0, Fields(level + 1)));
    return out;
}

Variant TableProvider::DataRequest(const Variant& data) {
    if (!options_.useRequest) return Variant();
    if (data.IsArray()) {
        auto items = ArrayItems(data);
        condition_ = items.size() > 0 ? plat::Trim(VarToStr(items[0])) : "";
        order_ = items.size() > 1 ? plat::Trim(VarToStr(items[1])) : "";
    } else {
        condition_ = plat::Trim(VarToStr(data));
        order_.clear();
    }
    if (plat::SameText(condition_, "All")) condition_.clear();
    return Variant();
}

plat::TDataPacket TableProvider::GetRecords(const plat::TFetchRequest& request) {
    Prepare();
    AppServer& server = session_.Server();
    Database& db = server.Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    plat::TDataPacket packet;
    if (request.metadata) packet.fields = Fields(0);
    const Level& top = levels_[0];
    if (request.restart) {
        std::string where;
        std::vector<Variant> params;
        if (top.spec.filter) {
            auto [sql, values] = top.spec.filter();
            where = "(" + sql + ")";
            params = values;
        }
        // The client's texts each end a line, so that nothing after them can be
        // taken for part of them.
        if (!condition_.empty()) {
            std::string condition = server.Translate(condition_);
            CheckClientFragment(condition, false);
            where += (where.empty() ? "(" : " AND (") + condition + "\n)";
        }
        std::string order = top.spec.order;
        if (!order_.empty()) {
            order = server.Translate(order_);
            CheckClientFragment(order, true);
            order += "\n";
        }
        if (order.empty())
            for (auto& k : top.info->keys)
                order += (order.empty() ? "" : ", ") + top.info->name + "." + k;
        // The query keeps only the keys of its rows, in order; each packet reads
        // its rows by key, so that a long list costs memory by packet, not whole.
        std::string sql = "SELECT " + KeyList() + ", " + top.selectList + " FROM " +
                          top.info->name + " " + top.spec.joins +
                          (where.empty() ? "" : " WHERE " + where) +
                          (order.empty() ? "" : " ORDER BY " + order);
        if (options_.topRowLimit && session_.TopRows() > 0)
            sql += " LIMIT " + std::to_string(session_.TopRows());
        Statement st = [&] {
            ClientSqlScope scope(db, server.ClientPolicy());
            return Statement(db, sql);
        }();
        if (!st.IsReadOnly()) throw ServerError("The query condition would change data: refused");
        st.BindAll(params);
        // The keys are held while the list is read: a few times what one reply
        // may take, far more rows than any reply holds.
        const size_t keyBytes =
            server.ReplyByteLimit() > SIZE_MAX / 4 ? SIZE_MAX : server.ReplyByteLimit() * 4;
        topKeys_ = ReadClientQuery(server, st, SIZE_MAX, (int)KeyColumns().size(), keyBytes);
        cursor_ = 0;
        if (options_.countRecords) session_.SetRecordCount((int)topKeys_.size());
    }
    size_t remaining = topKeys_.size() - std::min(cursor_, topKeys_.size());
    size_t take = request.count < 0 ? remaining : std::min(remaining, (size_t)request.count);
    std::vector<TPacketRow> rows;
    std::vector<std::vector<Variant>> topKeys;
    // A packet ends early at the reply limit; the next one goes on from there.
    const size_t maxBytes = server.ReplyByteLimit();
    size_t bytes = 0, used = 0;
    while (used < take && (rows.empty() || bytes <= maxBytes)) {
        const size_t n = std::min(kKeysPerQuery, take - used);
        auto found = ReadTopRows(cursor_ + used, n);
        for (size_t i = cursor_ + used; i < cursor_ + used + n; ++i) {
            auto it = found.find(KeyText(topKeys_[i]));
            if (it == found.end()) continue;  // deleted since the query
            for (auto& v : it->second) bytes += sizeof(Variant) + v.RawText().size();
            topKeys.push_back(topKeys_[i]);
            TPacketRow r;
            r.values = TValueRow(it->second);
            if (levels_.size() > 1) r.values.Append(Variant());
            rows.push_back(std::move(r));
        }
        used += n;
    }
    cursor_ += used;
    Attach(1, rows, topKeys);
    packet.rows = std::move(rows);
    packet.endOfData = cursor_ >= topKeys_.size();
    return packet;
}

// A table without a declared key is read by its row ids.
std::vector<std::string> TableProvider::KeyColumns() const {
    const Level& top = levels_[0];
    return top.info->keys.empty() ? std::vector<std::string>{"rowid"} : top.info->keys;
}

std::string TableProvider::KeyList() const {
    std::string list;
    for (auto& k : KeyColumns())
        list += (list.empty() ? "" : ", ") + levels_[0].info->name + "." + k;
    return list;
}

std::map<std::string, std::vector<Variant>> TableProvider::ReadTopRows(size_t from, size_t n) {
    const Level& top = levels_[0];
    Database& db = session_.Server().Db();
    const std::vector<std::string> keys = KeyColumns();
    const size_t nKeys = keys.size();
    std::string where;
    std::vector<Variant> params;
    if (n == 1) {
        for (size_t i = 0; i < nKeys; ++i)
            where += (i ? " AND " : "") + top.info->name + "." + keys[i] + " = ?";
    } else {
        where = "(" + KeyList() + ") IN (VALUES ";
        for (size_t r = 0; r < n; ++r) {
            where += r ? ", (" : "(";
            for (size_t i = 0; i < nKeys; ++i) where += i ? ", ?" : "?";
            where += ")";
        }
        where += ")";
    }
    for (size_t r = from; r < from + n; ++r)
        for (size_t i = 0; i < nKeys; ++i)
            params.push_back(i < topKeys_[r].size() ? topKeys_[r][i] : Variant());
    Statement st = [&] {
        ClientSqlScope scope(db, session_.Server().ClientPolicy());
        return Statement(db, "SELECT " + KeyList() + ", " + top.selectList + " FROM " +
                                 top.info->name + " " + top.spec.joins + " WHERE " + where);
    }();
    st.BindAll(params);
    std::map<std::string, std::vector<Variant>> out;
    const int columns = st.ColumnCount();
    while (st.Step()) {
        std::vector<Variant> key, values;
        for (int i = 0; i < (int)nKeys; ++i) key.push_back(st.Column(i));
        values.reserve((size_t)(columns - (int)nKeys));
        for (int i = (int)nKeys; i < columns; ++i) values.push_back(st.Column(i));
        out.emplace(KeyText(key), std::move(values));
    }
    return out;
}

std::vector<TPacketRow> TableProvider::FetchDetails(
    size_t level, const std::vector<std::vector<Variant>>& topKeys) {
    const Level& l = levels_[level];
    Database& db = session_.Server().Db();
    size_t nTop = levels_[0].info->keys.size();
    std::vector<std::string> topLink(
        l.spec.linkColumns.begin(),
        l.spec.linkColumns.begin() + std::min(nTop, l.spec.linkColumns.size()));
    std::string order;
    for (auto& c : l.spec.linkColumns)
        order += (order.empty() ? "" : ", ") + l.info->name + "." + c;
    for (auto& k : l.info->keys)
        if (std::find(l.spec.linkColumns.begin(), l.spec.linkColumns.end(), k) ==
            l.spec.linkColumns.end())
            order += (order.empty() ? "" : ", ") + l.info->name + "." + k;
    std::vector<TPacketRow> out;
    plat::TValueRowWriter writer;
    for (size_t b = 0; b < topKeys.size(); b += kKeysPerQuery) {
        size_t e = std::min(topKeys.size(), b + kKeysPerQuery);
        std::string tuple = "(";
        for (size_t i = 0; i < topLink.size(); ++i)
            tuple += (i ? ", " : "") + l.info->name + "." + topLink[i];
        tuple += ")";
        std::string values;
        std::vector<Variant> params;
        for (size_t r = b; r < e; ++r) {
            values += (r > b ? ", (" : "(");
            for (size_t i = 0; i < topLink.size(); ++i) {
                values += i ? ", ?" : "?";
                params.push_back(topKeys[r][i]);
            }
            values += ")";
        }
        // One master (a single document) is matched by equality, so that
        // its key index gives the order; a list of masters needs a sort.
        std::string where = tuple + " IN (VALUES " + values + ")";
        if (e - b == 1) {
            where.clear();
            for (size_t i = 0; i < topLink.size(); ++i)
                where += (i ? " AND " : "") + l.info->name + "." + topLink[i] + " = ?";
        }
        std::string sql = "SELECT " + l.selectList + " FROM " + l.info->name + " " + l.spec.joins +
                          " WHERE " + where + " ORDER BY " + order;
        auto prepare = [&](const std::string& text) {
            ClientSqlScope scope(db, session_.Server().ClientPolicy());
            Statement st(db, text);
            st.BindAll(params);
            return st;
        };
        // The rows to come, counted on the table's key alone, so that the
        // list takes its room once instead of growing row by row.
        Statement count = prepare("SELECT COUNT(*) FROM " + l.info->name + " WHERE " + where);
        if (count.Step()) out.reserve(out.size() + (size_t)count.Column(0).AsInt64());
        Statement st = prepare(sql);
        const int n = st.ColumnCount();
        const bool nested = level + 1 < levels_.size();
        const size_t stored = l.stored.size();
        std::vector<size_t> starts(stored + 1);
        // Each row encoded straight from its columns into the packet's shared blocks.
        while (st.Step()) {
            if (!l.anyRepeat) {
                for (int i = 0; i < n; ++i) st.PutColumn(writer, i);
            } else {
                int column = 0;
                for (size_t k = 0; k < stored; ++k) {
                    starts[k] = writer.Written();
                    st.PutColumn(writer, column++);
                }
                starts[stored] = writer.Written();
                for (int same : l.repeats) {
                    if (same < 0) {
                        st.PutColumn(writer, column++);
                        continue;
                    }
                    const size_t from = starts[(size_t)same],
                                 size = starts[(size_t)same + 1] - from;
                    char* at = writer.Room(size);
                    std::memcpy(at, writer.Current().data() + from, size);
                    writer.Wrote(size);
                }
            }
            if (nested) {
                *writer.Room(1) = (char)plat::codec::tEmpty;
                writer.Wrote(1);
            }
            TPacketRow pr;
            pr.values = writer.EndRow(l.fieldCount + (nested ? 1 : 0));
            out.push_back(std::move(pr));
        }
    }
    return out;
}

void TableProvider::Attach(size_t level, std::vector<TPacketRow>& masters,
                           const std::vector<std::vector<Variant>>& topKeys) {
    if (level >= levels_.size() || masters.empty()) return;
    const Level& l = levels_[level];
    const Level& m = levels_[level - 1];
    std::vector<TPacketRow> children = FetchDetails(level, topKeys);
    Attach(level + 1, children, topKeys);
    // Children grouped by their link to the master's key.
    std::vector<size_t> linkIndex;
    for (auto& c : l.spec.linkColumns)
        linkIndex.push_back(
            (size_t)(std::find(l.stored.begin(), l.stored.end(), c) - l.stored.begin()));
    // The children come ordered by their link: each master's run moves in
    // one piece, and a single master takes the whole list as it is.
    auto linkOf = [&](const TPacketRow& child) {
        std::vector<Variant> link;
        for (size_t i : linkIndex) link.push_back(child.values[(int)i]);
        return KeyText(link);
    };
    // The link columns lead the row (they are the key's first columns): rows
    // whose leading bytes are the same have the same link without decoding it.
    size_t leading = 0;
    while (leading < linkIndex.size() && linkIndex[leading] == leading) ++leading;
    auto linkBytes = [&](const TPacketRow& child) {
        const std::string_view bytes = child.values.Bytes();
        plat::codec::Reader r(bytes.data(), bytes.data() + bytes.size());
        for (size_t i = 0; i < leading && i < (size_t)child.values.Count(); ++i) r.SkipValue();
        return bytes.substr(0, (size_t)(r.p - bytes.data()));
    };
    const bool byBytes = leading == linkIndex.size();
    std::map<std::string, std::vector<TPacketRow>> byMaster;
    for (size_t b = 0; b < children.size();) {
        const std::string link = linkOf(children[b]);
        const std::string_view first = byBytes ? linkBytes(children[b]) : std::string_view();
        size_t e = b + 1;
        while (e < children.size() &&
               ((byBytes && linkBytes(children[e]) == first) || linkOf(children[e]) == link))
            ++e;
        std::vector<TPacketRow>& run = byMaster[link];
        if (run.empty() && b == 0 && e == children.size()) {
            run = std::move(children);
            break;
        }
        run.reserve(run.size() + (e - b));
        std::move(children.begin() + (ptrdiff_t)b, children.begin() + (ptrdiff_t)e,
                  std::back_inserter(run));
        b = e;
    }
    std::vector<size_t> keyIndex;
    for (auto& k : m.info->keys)
        keyIndex.push_back(
            (size_t)(std::find(m.stored.begin(), m.stored.end(), k) - m.stored.begin()));
    for (auto& master : masters) {
        if (byMaster.empty()) {
            master.details.emplace_back();
            continue;
        }
        std::vector<Variant> key;
        for (size_t i = 0; i < keyIndex.size() && i < l.spec.linkColumns.size(); ++i)
            key.push_back(master.values[(int)keyIndex[i]]);
        auto it = byMaster.find(KeyText(key));
        master.details.push_back(it == byMaster.end() ? std::vector<TPacketRow>{}
                                                      : std::move(it->second));
    }
}

plat::TApplyReply TableProvider::ApplyUpdates(const plat::TDelta& delta, int maxErrors) {
    if (options_.readOnly) throw ServerError("Provider " + name_ + " is read-only");
    Prepare();
    Database& db = session_.Server().Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    ApplyState st;
    st.maxErrors = maxErrors;
    TransactionGuard tx(db);
    if (options_.documentRights) {
        // Rights as stored now, read in the transaction that writes.
        if (!session_.Connected())
            throw ServerError("Sign on first: provider " + name_ + " takes no changes before it");
        const std::string kept = plat::Trim(session_.ProgramSetting("M11_TABLE"));
        if (!plat::SameText(kept, levels_[0].info->name))
            throw ServerError("Program " + session_.Program() + " does not keep table " +
                              levels_[0].info->name);
        st.rights = ReadDocumentRights(db, session_.User(), session_.Program());
    }
    for (auto& row : delta.rows) {
        if (st.stop()) break;
        ApplyRow(st, 0, delta.fields, row, {}, {});
    }
    st.reply.committed = !st.stop();
    if (st.reply.committed && session_.ClientGone())
        throw ServerError("The client left before its changes were saved; nothing was saved");
    if (st.reply.committed) {
        tx.Commit();
        if (!st.lastNumber.empty()) session_.SetLastSeqNo(st.lastNumber);
    } else {
        // Rolled back: nothing was stored, so nothing was assigned either.
        std::vector<plat::TRowResult> refused;
        for (auto& r : st.reply.rows)
            if (!r.applied) refused.push_back(std::move(r));
        st.reply.rows = std::move(refused);
    }
    return st.reply;
}

// One delta row at one level while it is applied: its fields' columns, the
// values to store and the values the server assigned.
struct TableProvider::RowWork {
    const Level& level;
    const std::vector<TPacketField>& fields;
    const FieldMapping& map;
    const plat::TDeltaRow& row;
    std::vector<Variant> newValues;
    std::vector<Variant> oldValues;  // decoded once: read field by field below
    std::vector<plat::TAssignedValue> assigned;

    const TableInfo& Info() const { return *level.info; }
    const ColumnInfo* Column(size_t field) const { return map.column[field]; }
    int FieldOf(const std::string& column) const {
        for (size_t i = 0; i < fields.size(); ++i)
            if (map.column[i] && plat::SameText(map.column[i]->name, column)) return (int)i;
        return -1;
    }
    static Variant At(const TValueRow& r, int field) {
        return field >= 0 && field < r.Count() ? r[field] : Variant();
    }
    Variant Old(int field) const {
        return field >= 0 && (size_t)field < oldValues.size() ? oldValues[(size_t)field]
                                                              : Variant();
    }
    Variant& New(int field) { return newValues[(size_t)field]; }
    void Assign(int field, const Variant& v) {
        if (field < 0) return;
        if (!(New(field) == v) || New(field).IsEmpty()) assigned.push_back({field, v});
        New(field) = v;
    }
    bool Changed(size_t field) const {
        return field < row.changed.size() ? row.changed[field]
                                          : !(newValues[field] == Old((int)field));
    }
    bool WasAssigned(size_t field) const {
        return std::any_of(assigned.begin(), assigned.end(),
                           [&](auto& a) { return a.field == (int)field; });
    }
    // Where-all: the stored values as they were read.
    void WhereAsRead(std::string& where, std::vector<Variant>& params) const {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (!Column(i) || i >= oldValues.size()) continue;
            const Variant& old = oldValues[i];
            if (old.IsEmpty()) continue;
            where += std::string(where.empty() ? "" : " AND ") + Column(i)->name +
                     (old.IsNull() ? " IS NULL" : " = ?");
            if (!old.IsNull()) params.push_back(old);
        }
    }
};

const TableProvider::FieldMapping& TableProvider::MappingFor(
    ApplyState& st, const Level& l, const std::vector<TPacketField>& fields) {
    auto found = st.mappings.find(&fields);
    if (found != st.mappings.end()) return found->second;
    FieldMapping m;
    m.column.assign(fields.size(), nullptr);
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i].type == plat::TFieldType::ftDataSet)
            m.nested.push_back(i);
        else if (std::find(l.stored.begin(), l.stored.end(), fields[i].name) != l.stored.end())
            m.column[i] = l.info->Find(fields[i].name);
    }
    return st.mappings.emplace(&fields, std::move(m)).first->second;
}

bool TableProvider::Refuse(ApplyState& st, const RowWork& w, const std::string& message,
                           Refusal code) {
    plat::TRowResult result;
    result.id = w.row.id;
    result.applied = false;
    result.message = message;
    result.errorCode = (int)code;
    result.context = w.Info().name;
    // The row as stored now, found by its original key, for the client to reconcile.
    std::string where;
    std::vector<Variant> params;
    const TValueRow& asRead = w.row.oldValues.Count() ? w.row.oldValues : w.row.newValues;
    for (auto& k : w.Info().keys) {
        where += (where.empty() ? "" : " AND ") + k + " = ?";
        params.push_back(RowWork::At(asRead, w.FieldOf(k)));
    }
    std::string cols;
    for (size_t i = 0; i < w.fields.size(); ++i)
        cols += std::string(cols.empty() ? "" : ", ") + (w.Column(i) ? w.Column(i)->name : "NULL");
    auto now = session_.Server().Db().Query(
        "SELECT " + cols + " FROM " + w.Info().name + " WHERE " + where, params);
    if (!now.empty())
        for (size_t i = 0; i < w.fields.size(); ++i)
            result.current.Append(w.Column(i) ? now[0][i] : Variant());
    st.reply.errorCount++;
    st.reply.rows.push_back(std::move(result));
    return false;
}

// The text a value breaks its column with, or "" when it fits.
static std::string ValueProblem(const ColumnInfo& c, const Variant& v) {
    if (v.IsEmptyOrNull()) return "";
    if (v.IsArray()) return "Field " + c.name + " cannot hold an array";
    if (c.kind == ColumnInfo::Kind::Text) {
        if (c.width > 0 && plat::TextWidth(VarToStr(v)) > c.width)
            return "Field " + c.name + " holds at most " + std::to_string(c.width) +
                   " characters: \"" + VarToStr(v) + "\"";
    } else if (c.kind == ColumnInfo::Kind::Float || c.kind == ColumnInfo::Kind::Integer) {
        double d;
        if (!v.IsNumeric() && !plat::TryStrToFloat(VarToStr(v), d))
            return "Field " + c.name + " needs a number, not \"" + VarToStr(v) + "\"";
    }
    return "";
}

TableProvider::RowWork TableProvider::ReadRow(ApplyState& st, size_t level,
                                              const std::vector<TPacketField>& fields,
                                              const plat::TDeltaRow& row,
                                              const std::vector<Variant>& masterKey) {
    const Level& l = levels_[level];
    RowWork w{
        l, fields, MappingFor(st, l, fields), row, row.newValues.Values(), row.oldValues.Values(),
        {}};
    w.newValues.resize(fields.size());
    // A detail row stores its master's key in its link columns.
    bool inserting = row.status == plat::TUpdateStatus::usInserted;
    bool modifying = row.status == plat::TUpdateStatus::usModified;
    if ((inserting || modifying) && level > 0)
        for (size_t i = 0; i < l.spec.linkColumns.size() && i < masterKey.size(); ++i) {
            int f = w.FieldOf(l.spec.linkColumns[i]);
            if (f >= 0 && (inserting || !(w.New(f) == masterKey[i]))) w.Assign(f, masterKey[i]);
        }
    return w;
}

void TableProvider::NumberDocument(RowWork& w) {
    const TableInfo& info = w.Info();
    int typeField = w.FieldOf(info.keys[0]), numberField = w.FieldOf(info.keys[1]);
    std::string type = VarToStr(w.New(std::max(typeField, 0)));
    std::string number = numberField >= 0 ? VarToStr(w.New(numberField)) : "";
    bool pending = plat::Trim(number).empty() || number.find('~') != std::string::npos;
    if (pending || session_.Server().DocumentExists(info.name, type, number)) {
        std::string date;
        if (!options_.documentDate.empty())
            date = VarToStr(w.New(std::max(w.FieldOf(options_.documentDate), 0)));
        std::string next = session_.Server().NextDocumentNumber(info.name, type, date);
        if (!next.empty()) w.Assign(numberField, Variant(next));
    }
}

bool TableProvider::WriteDelete(ApplyState& st, RowWork& w) {
    std::string where;
    std::vector<Variant> params;
    w.WhereAsRead(where, params);
    if (where.empty()) return Refuse(st, w, "The delete carries no original values", kNoOriginal);
    Statement& s =
        st.Prepared(session_.Server().Db(), "DELETE FROM " + w.Info().name + " WHERE " + where);
    s.BindAll(params);
    s.Step();
    if (s.Changes() != 1) return Refuse(st, w, kChangedByOthers, kChanged);
    return true;
}

bool TableProvider::WriteInsert(ApplyState& st, RowWork& w) {
    std::string cols, marks;
    std::vector<Variant> params;
    for (size_t i = 0; i < w.fields.size(); ++i) {
        const ColumnInfo* c = w.Column(i);
        const Variant& v = w.newValues[i];
        if (!c || v.IsEmpty()) continue;
        if (c->keyPosition > 0 && plat::Trim(VarToStr(v)).empty())
            return Refuse(st, w, "Key field " + c->name + " is empty", kEmptyKey);
        std::string bad = ValueProblem(*c, v);
        if (!bad.empty()) return Refuse(st, w, bad, kBadValue);
        cols += (cols.empty() ? "" : ", ") + c->name;
        marks += marks.empty() ? "?" : ", ?";
        params.push_back(v);
    }
    Statement& s = st.Prepared(session_.Server().Db(), "INSERT INTO " + w.Info().name + " (" +
                                                           cols + ") VALUES (" + marks + ")");
    s.BindAll(params);
    s.Step();
    return true;
}

bool TableProvider::WriteUpdate(ApplyState& st, RowWork& w) {
    std::string set;
    std::vector<Variant> params;
    for (size_t i = 0; i < w.fields.size(); ++i) {
        const ColumnInfo* c = w.Column(i);
        if (!c) continue;
        if (!w.Changed(i) && !w.WasAssigned(i)) continue;
        std::string bad = ValueProblem(*c, w.newValues[i]);
        if (!bad.empty()) return Refuse(st, w, bad, kBadValue);
        set += (set.empty() ? "" : ", ") + c->name + " = ?";
        params.push_back(w.newValues[i].IsEmpty() ? Variant::Null() : w.newValues[i]);
    }
    std::string where;
    w.WhereAsRead(where, params);
    if (where.empty()) return Refuse(st, w, "The update carries no original values", kNoOriginal);
    if (set.empty()) return StillAsRead(st, w, where, params);
    Statement& s = st.Prepared(session_.Server().Db(),
                               "UPDATE " + w.Info().name + " SET " + set + " WHERE " + where);
    s.BindAll(params);
    s.Step();
    if (s.Changes() != 1) return Refuse(st, w, kChangedByOthers, kChanged);
    return true;
}

bool TableProvider::StillAsRead(ApplyState& st, RowWork& w, const std::string& where,
                                const std::vector<Variant>& params) {
    Statement& s = st.Prepared(session_.Server().Db(),
                               "SELECT COUNT(*) FROM " + w.Info().name + " WHERE " + where);
    s.BindAll(params);
    s.Step();
    bool same = s.Column(0).AsInteger() == 1;
    s.Reset();
    return same ? true : Refuse(st, w, kChangedByOthers, kChanged);
}

bool TableProvider::MasterStillAsRead(ApplyState& st, RowWork& w) {
    // A master that travels unchanged above changed details: its key and
    // version columns (FLAG, a status) must still hold what was read, or a
    // line could join a document someone confirmed meanwhile.
    std::string where;
    std::vector<Variant> params;
    for (auto& k : w.Info().keys) {
        where += (where.empty() ? "" : " AND ") + k + " = ?";
        params.push_back(w.Old(w.FieldOf(k)));
    }
    for (auto& col : w.level.spec.versionColumns) {
        int f = w.FieldOf(col);
        if (f < 0) continue;
        Variant old = w.Old(f);
        if (old.IsEmpty()) continue;
        where +=
            std::string(" AND ") + w.Column((size_t)f)->name + (old.IsNull() ? " IS NULL" : " = ?");
        if (!old.IsNull()) params.push_back(old);
    }
    return StillAsRead(st, w, where, params);
}

void TableProvider::ApplyDetails(ApplyState& st, size_t level, const RowWork& w,
                                 const std::vector<Variant>& key,
                                 const std::vector<Variant>& read) {
    const std::vector<size_t>& nested = w.map.nested;
    for (size_t d = 0; d < nested.size() && d < w.row.details.size(); ++d)
        for (auto& child : w.row.details[d]) {
            if (st.stop()) return;
            ApplyRow(st, level + 1, w.fields[nested[d]].fields, child, key, read);
        }
}

static bool HasDetails(const plat::TDeltaRow& row) {
    return std::any_of(row.details.begin(), row.details.end(),
                       [](auto& list) { return !list.empty(); });
}

bool TableProvider::ApplyRow(ApplyState& st, size_t level, const std::vector<TPacketField>& fields,
                             const plat::TDeltaRow& row, const std::vector<Variant>& masterKey,
                             const std::vector<Variant>& masterRead) {
    if (level >= levels_.size()) return true;
    // A refused row leaves nothing of itself behind, its details included,
    // and nothing of it is reported applied.
    const size_t repliesBefore = st.reply.rows.size();
    TransactionGuard savepoint(session_.Server().Db());
    if (!ApplyOne(st, level, fields, row, masterKey, masterRead)) {
        auto& rows = st.reply.rows;
        rows.erase(std::remove_if(rows.begin() + (ptrdiff_t)repliesBefore, rows.end(),
                                  [](const plat::TRowResult& r) { return r.applied; }),
                   rows.end());
        return false;
    }
    savepoint.Commit();
    return true;
}

bool TableProvider::ApplyOne(ApplyState& st, size_t level, const std::vector<TPacketField>& fields,
                             const plat::TDeltaRow& row, const std::vector<Variant>& masterKey,
                             const std::vector<Variant>& masterRead) {
    RowWork w = ReadRow(st, level, fields, row, masterKey);
    const TableInfo& info = w.Info();
    // This row's key as read, for its details' links and its own refusal.
    std::vector<Variant> read;
    for (auto& k : info.keys) read.push_back(w.Old(w.FieldOf(k)));
    bool written = true;
    try {
        if (!CheckRow(st, level, w, masterRead)) return false;
        switch (row.status) {
            case plat::TUpdateStatus::usDeleted: {
                // Details go first; the master's own FLAG is checked by its delete.
                const int errors = st.reply.errorCount;
                ApplyDetails(st, level, w, read, read);
                if (st.reply.errorCount != errors)
                    return Refuse(st, w, "A detail of the row could not be deleted", kChanged);
                return WriteDelete(st, w);
            }
            case plat::TUpdateStatus::usInserted:
                if (level == 0 && options_.numberDocuments && session_.IsSeq() &&
                    info.keys.size() >= 2) {
                    NumberDocument(w);
                    st.lastNumber = VarToStr(w.New(std::max(w.FieldOf(info.keys[1]), 0)));
                }
                written = WriteInsert(st, w);
                break;
            case plat::TUpdateStatus::usModified:
                written = WriteUpdate(st, w);
                break;
            case plat::TUpdateStatus::usUnmodified:
                if (HasDetails(row)) written = MasterStillAsRead(st, w);
                break;
        }
    } catch (const SqlError& e) {
        return Refuse(st, w, e.what(), kDatabase);
    }
    if (!written) return false;
    if (!w.assigned.empty()) {
        plat::TRowResult result;
        result.id = row.id;
        result.applied = true;
        result.assigned = w.assigned;
        st.reply.rows.push_back(std::move(result));
    }
    // This row's key as stored, for its details.
    std::vector<Variant> key;
    for (auto& k : info.keys) {
        int f = w.FieldOf(k);
        key.push_back(row.status == plat::TUpdateStatus::usUnmodified ? w.Old(f)
                      : f >= 0                                        ? w.New(f)
                                                                      : Variant());
    }
    ApplyDetails(st, level, w, key, row.status == plat::TUpdateStatus::usInserted ? key : read);
    return true;
}

bool TableProvider::CheckRow(ApplyState& st, size_t level, RowWork& w,
                             const std::vector<Variant>& masterRead) {
    const plat::TUpdateStatus status = w.row.status;
    if (status == plat::TUpdateStatus::usUnmodified && !HasDetails(w.row)) return true;
    const TableInfo& info = w.Info();
    if (status != plat::TUpdateStatus::usInserted) {
        // Found by its whole key: a row without one would match many.
        for (auto& k : info.keys) {
            const Variant v = w.Old(w.FieldOf(k));
            if (v.IsEmptyOrNull() || v.IsArray() || plat::Trim(VarToStr(v)).empty())
                return Refuse(st, w,
                              "The change does not carry the original value of key field " + k,
                              kNoOriginal);
        }
        for (auto& col : w.level.spec.versionColumns)
            if (info.Find(col) && w.Old(w.FieldOf(col)).IsEmpty())
                return Refuse(st, w, "The change does not carry the original value of " + col,
                              kNoOriginal);
        // A detail belongs to the master it travels under, not to another document.
        const auto& links = w.level.spec.linkColumns;
        if (level > 0)
            for (size_t i = 0; i < links.size() && i < masterRead.size(); ++i)
                if (!(w.Old(w.FieldOf(links[i])) == masterRead[i]))
                    return Refuse(st, w, "The row does not belong to the row it travels under",
                                  kBadValue);
    }
    // A new row starts open, also when copied from a confirmed or void one:
    // only the transaction server confirms, and a void starts from an open row.
    const int statusField =
        w.level.spec.statusColumn.empty() ? -1 : w.FieldOf(w.level.spec.statusColumn);
    if (options_.documentRights && status == plat::TUpdateStatus::usInserted && statusField >= 0) {
        const std::string s = plat::Trim(VarToStr(w.New(statusField)));
        if (!s.empty() && s != "N") w.Assign(statusField, Variant("N"));
    }
    if (level > 0 && st.confirmedOnly &&
        !(status == plat::TUpdateStatus::usModified && OnlyStatusChanges(w, true)))
        return Refuse(st, w, "The document is confirmed: it changes only after it is unconfirmed",
                      kClosed);
    if (level > 0 && st.statusOnly &&
        !(status == plat::TUpdateStatus::usModified && OnlyStatusChanges(w)))
        return Refuse(st, w, "A voided or restored document changes nothing but its status",
                      kClosed);
    if (!options_.ownerColumn.empty() && level == 0) {
        const int f = w.FieldOf(options_.ownerColumn);
        const bool ownNew = status == plat::TUpdateStatus::usDeleted ||
                            status == plat::TUpdateStatus::usUnmodified ||
                            (f >= 0 && plat::Trim(VarToStr(w.New(f))) == session_.User());
        const bool ownOld = status == plat::TUpdateStatus::usInserted ||
                            (f >= 0 && plat::Trim(VarToStr(w.Old(f))) == session_.User());
        if (!session_.Connected() || !ownNew || !ownOld)
            return Refuse(st, w, "The row belongs to another user", kNoRight);
    }
    return level == 0 && options_.documentRights ? CheckDocument(st, w) : true;
}

bool TableProvider::OnlyStatusChanges(const RowWork& w, bool afterConfirm) {
    if (w.row.status == plat::TUpdateStatus::usUnmodified) return true;
    const LevelSpec& spec = w.level.spec;
    auto listed = [](const std::vector<std::string>& names, const std::string& name) {
        return std::any_of(names.begin(), names.end(),
                           [&](const std::string& v) { return plat::SameText(v, name); });
    };
    for (size_t i = 0; i < w.fields.size(); ++i) {
        const ColumnInfo* c = w.Column(i);
        if (!c || !w.Changed(i)) continue;
        if (afterConfirm ? listed(spec.afterConfirm, c->name)
                         : plat::SameText(c->name, spec.statusColumn))
            continue;
        const bool allowed = plat::SameText(c->name, "MODIFIER") ||
                             plat::SameText(c->name, "MODI_DATE") ||
                             listed(spec.versionColumns, c->name);
        if (!allowed) return false;
    }
    return true;
}

bool TableProvider::CheckDocument(ApplyState& st, RowWork& w) {
    using Action = DocumentRights::Action;
    const TableInfo& info = w.Info();
    st.statusOnly = false;
    st.confirmedOnly = false;
    const std::string& statusColumn = w.level.spec.statusColumn;
    const int statusField = statusColumn.empty() ? -1 : w.FieldOf(statusColumn);
    if (w.row.status == plat::TUpdateStatus::usInserted) {
        if (!st.rights.Allows(Action::Add, "", ""))
            return Refuse(st, w, "You have no right to add documents", kNoRight);
        return true;
    }
    // The document as stored now, in the transaction that writes it.
    auto column = [&](const char* name) {
        return info.Find(name) ? std::string(name) : std::string("''");
    };
    std::string where;
    std::vector<Variant> params;
    for (auto& k : info.keys) {
        where += (where.empty() ? "" : " AND ") + k + " = ?";
        params.push_back(w.Old(w.FieldOf(k)));
    }
    Statement& s =
        st.Prepared(session_.Server().Db(),
                    "SELECT " + (statusColumn.empty() ? std::string("''") : statusColumn) + ", " +
                        column("CREATOR") + ", " + column("USR_GROUP") + " FROM " + info.name +
                        " WHERE " + where);
    s.BindAll(params);
    if (!s.Step()) {
        s.Reset();
        return Refuse(st, w, kChangedByOthers, kChanged);
    }
    const std::string stored = plat::Trim(s.ColumnText(0)), creator = s.ColumnText(1),
                      group = s.ColumnText(2);
    s.Reset();
    // A document changed by another user since it was read is a conflict first,
    // whatever its status is now: the client tells the clerk what became of it.
    {
        std::string asRead;
        std::vector<Variant> readParams;
        w.WhereAsRead(asRead, readParams);
        if (!asRead.empty() && !StillAsRead(st, w, asRead, readParams)) return false;
    }
    if (statusField >= 0 && w.row.status == plat::TUpdateStatus::usModified &&
        w.Changed((size_t)statusField)) {
        // A void of an open document or a restore of a void one, and nothing else.
        const std::string wanted = plat::Trim(VarToStr(w.New(statusField)));
        const bool voiding = wanted == "V" && stored != "Y" && stored != "V";
        const bool restoring = wanted == "N" && stored == "V";
        if (!voiding && !restoring)
            return Refuse(
                st, w, "The status changes only by confirming, unconfirming, voiding or restoring",
                kClosed);
        if (!OnlyStatusChanges(w))
            return Refuse(st, w, "A voided or restored document changes nothing but its status",
                          kClosed);
        if (!st.rights.Allows(Action::Void, creator, group))
            return Refuse(st, w, "You have no right to void or restore this document", kNoRight);
        st.statusOnly = true;
        return true;
    }
    if (stored == "Y") {
        const bool takes = w.row.status != plat::TUpdateStatus::usDeleted &&
                           OnlyStatusChanges(w, true) &&
                           st.rights.Allows(Action::Edit, creator, group);
        if (!takes)
            return Refuse(st, w,
                          "The document is confirmed: it changes only after it is unconfirmed",
                          kClosed);
        st.confirmedOnly = true;
        return true;
    }
    if (stored == "V")
        return Refuse(st, w, "The document is void: it changes only after it is restored", kClosed);
    const bool deleting = w.row.status == plat::TUpdateStatus::usDeleted;
    if (!st.rights.Allows(deleting ? Action::Delete : Action::Edit, creator, group))
        return Refuse(st, w,
                      deleting ? "You have no right to delete this document"
                               : "You have no right to change this document",
                      kNoRight);
    return true;
}

}  // namespace standin
