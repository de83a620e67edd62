#include "standins/appserver/table_provider.h"

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

}  // namespace

struct TableProvider::ApplyState {
    plat::TApplyReply reply;
    int maxErrors = 0;
    std::string lastNumber;
    bool stop() const { return maxErrors >= 0 && reply.errorCount > maxErrors; }

    // The rows of a level share their fields: their mapping to columns is worked out once.
    struct Mapping {
        std::vector<const ColumnInfo*> column;
        std::vector<size_t> nested;
    };
    std::map<const std::vector<TPacketField>*, Mapping> mappings;
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
        for (auto& d : l.spec.derived)
            l.selectList +=
                (l.selectList.empty() ? "" : ", ") + ("(" + d.expression + ") AS " + d.name);
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
        if (!condition_.empty())
            where += (where.empty() ? "(" : " AND (") + server.Translate(condition_) + ")";
        std::string order = !order_.empty() ? server.Translate(order_) : top.spec.order;
        if (order.empty())
            for (auto& k : top.info->keys)
                order += (order.empty() ? "" : ", ") + top.info->name + "." + k;
        std::string sql = "SELECT " + top.selectList + " FROM " + top.info->name + " " +
                          top.spec.joins + (where.empty() ? "" : " WHERE " + where) +
                          (order.empty() ? "" : " ORDER BY " + order);
        if (options_.topRowLimit && session_.TopRows() > 0)
            sql += " LIMIT " + std::to_string(session_.TopRows());
        Statement st(db, sql);
        if (!st.IsReadOnly()) throw ServerError("The query condition would change data: refused");
        st.BindAll(params);
        topRows_ = ReadClientQuery(server, st);
        cursor_ = 0;
        if (options_.countRecords) session_.SetRecordCount((int)topRows_.size());
    }
    size_t remaining = topRows_.size() - std::min(cursor_, topRows_.size());
    size_t take = request.count < 0 ? remaining : std::min(remaining, (size_t)request.count);
    std::vector<TPacketRow> rows;
    std::vector<std::vector<Variant>> topKeys;
    std::vector<size_t> keyIndex;
    for (auto& k : top.info->keys)
        keyIndex.push_back(
            (size_t)(std::find(top.stored.begin(), top.stored.end(), k) - top.stored.begin()));
    for (size_t i = 0; i < take; ++i) {
        std::vector<Variant>& values = topRows_[cursor_ + i];
        std::vector<Variant> key;
        for (size_t k : keyIndex) key.push_back(k < values.size() ? values[k] : Variant());
        topKeys.push_back(key);
        TPacketRow r;
        r.values = TValueRow(values);
        if (levels_.size() > 1) r.values.Append(Variant());
        rows.push_back(std::move(r));
    }
    cursor_ += take;
    Attach(1, rows, topKeys);
    packet.rows = std::move(rows);
    packet.endOfData = cursor_ >= topRows_.size();
    return packet;
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
        Statement st(db, sql);
        st.BindAll(params);
        const int n = st.ColumnCount();
        const bool nested = level + 1 < levels_.size();
        // Each row encoded straight into a buffer as large as the last one
        // needed, instead of growing value by value.
        size_t hint = 64;
        while (st.Step()) {
            std::string bytes;
            bytes.reserve(hint);
            for (int i = 0; i < n; ++i) plat::codec::PutValue(bytes, st.Column(i));
            if (nested) plat::codec::PutValue(bytes, Variant());
            hint = bytes.size() + 16;
            TPacketRow pr;
            pr.values = plat::TValueRow::FromBytes(std::move(bytes), n + (nested ? 1 : 0));
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
    std::map<std::string, std::vector<TPacketRow>> byMaster;
    for (auto& child : children) {
        std::vector<Variant> link;
        for (size_t i : linkIndex) link.push_back(child.values[(int)i]);
        byMaster[KeyText(link)].push_back(std::move(child));
    }
    std::vector<size_t> keyIndex;
    for (auto& k : m.info->keys)
        keyIndex.push_back(
            (size_t)(std::find(m.stored.begin(), m.stored.end(), k) - m.stored.begin()));
    for (auto& master : masters) {
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
    for (auto& row : delta.rows) {
        if (st.stop()) break;
        ApplyRow(st, 0, delta.fields, row, {});
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

bool TableProvider::ApplyRow(ApplyState& st, size_t level, const std::vector<TPacketField>& fields,
                             const plat::TDeltaRow& row, const std::vector<Variant>& masterKey) {
    if (level >= levels_.size()) return true;
    const Level& l = levels_[level];
    const TableInfo& info = *l.info;
    Database& db = session_.Server().Db();

    // Field position -> stored column of this level.
    auto found = st.mappings.find(&fields);
    if (found == st.mappings.end()) {
        ApplyState::Mapping m;
        m.column.assign(fields.size(), nullptr);
        for (size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].type == plat::TFieldType::ftDataSet)
                m.nested.push_back(i);
            else if (std::find(l.stored.begin(), l.stored.end(), fields[i].name) != l.stored.end())
                m.column[i] = info.Find(fields[i].name);
        }
        found = st.mappings.emplace(&fields, std::move(m)).first;
    }
    const std::vector<const ColumnInfo*>& column = found->second.column;
    const std::vector<size_t>& nested = found->second.nested;
    auto fieldOf = [&](const std::string& col) -> int {
        for (size_t i = 0; i < fields.size(); ++i)
            if (column[i] && plat::SameText(column[i]->name, col)) return (int)i;
        return -1;
    };
    auto value = [](const TValueRow& r, int i) {
        return i >= 0 && i < r.Count() ? r[i] : Variant();
    };

    plat::TRowResult result;
    result.id = row.id;
    auto refuse = [&](const std::string& message, int code) {
        result.applied = false;
        result.message = message;
        result.errorCode = code;
        result.context = info.name;
        // The row as stored now, found by its original key.
        std::string where;
        std::vector<Variant> params;
        for (auto& k : info.keys) {
            where += (where.empty() ? "" : " AND ") + k + " = ?";
            params.push_back(
                value(row.oldValues.Count() ? row.oldValues : row.newValues, fieldOf(k)));
        }
        std::string cols;
        for (size_t i = 0; i < fields.size(); ++i)
            cols += std::string(cols.empty() ? "" : ", ") + (column[i] ? column[i]->name : "NULL");
        auto now = db.Query("SELECT " + cols + " FROM " + info.name + " WHERE " + where, params);
        if (!now.empty()) {
            for (size_t i = 0; i < fields.size(); ++i)
                result.current.Append(column[i] ? now[0][i] : Variant());
        }
        st.reply.errorCount++;
        st.reply.rows.push_back(result);
        return false;
    };

    // Values to store, with the master's key in the link columns.
    std::vector<Variant> newValues = row.newValues.Values();
    newValues.resize(fields.size());
    std::vector<plat::TAssignedValue> assigned;
    auto assign = [&](int field, const Variant& v) {
        if (field < 0) return;
        if (!(newValues[(size_t)field] == v) || newValues[(size_t)field].IsEmpty())
            assigned.push_back({field, v});
        newValues[(size_t)field] = v;
    };
    bool inserting = row.status == plat::TUpdateStatus::usInserted;
    bool modifying = row.status == plat::TUpdateStatus::usModified;
    bool deleting = row.status == plat::TUpdateStatus::usDeleted;
    if ((inserting || modifying) && level > 0)
        for (size_t i = 0; i < l.spec.linkColumns.size() && i < masterKey.size(); ++i) {
            int f = fieldOf(l.spec.linkColumns[i]);
            if (f >= 0 && (inserting || !(newValues[(size_t)f] == masterKey[i])))
                assign(f, masterKey[i]);
        }

    // Where-all: the stored values as they were read.
    auto whereAll = [&](std::string& where, std::vector<Variant>& params) {
        for (size_t i = 0; i < fields.size(); ++i) {
            if (!column[i] || i >= (size_t)row.oldValues.Count()) continue;
            Variant old = row.oldValues[(int)i];
            if (old.IsEmpty()) continue;
            where += std::string(where.empty() ? "" : " AND ") + column[i]->name +
                     (old.IsNull() ? " IS NULL" : " = ?");
            if (!old.IsNull()) params.push_back(old);
        }
    };
    auto check = [&](size_t i, const Variant& v) -> std::string {
        const ColumnInfo* c = column[i];
        if (v.IsEmptyOrNull()) return "";
        if (v.IsArray()) return "Field " + c->name + " cannot hold an array";
        if (c->kind == ColumnInfo::Kind::Text) {
            if (c->width > 0 && plat::TextWidth(VarToStr(v)) > c->width)
                return "Field " + c->name + " holds at most " + std::to_string(c->width) +
                       " characters: \"" + VarToStr(v) + "\"";
        } else if (c->kind == ColumnInfo::Kind::Float || c->kind == ColumnInfo::Kind::Integer) {
            double d;
            if (!v.IsNumeric() && !plat::TryStrToFloat(VarToStr(v), d))
                return "Field " + c->name + " needs a number, not \"" + VarToStr(v) + "\"";
        }
        return "";
    };

    try {
        if (deleting) {
            for (size_t d = 0; d < nested.size() && d < row.details.size(); ++d)
                for (auto& child : row.details[d])
                    if (!st.stop()) ApplyRow(st, level + 1, fields[nested[d]].fields, child, {});
            std::string where;
            std::vector<Variant> params;
            whereAll(where, params);
            if (where.empty()) return refuse("The delete carries no original values", 1);
            Statement& s = st.Prepared(db, "DELETE FROM " + info.name + " WHERE " + where);
            s.BindAll(params);
            s.Step();
            if (s.Changes() != 1) return refuse(kChangedByOthers, 2);
            return true;
        }
        if (inserting) {
            if (level == 0 && options_.numberDocuments && session_.IsSeq() &&
                info.keys.size() >= 2) {
                int typeField = fieldOf(info.keys[0]), numberField = fieldOf(info.keys[1]);
                std::string type = VarToStr(newValues[(size_t)std::max(typeField, 0)]);
                std::string number =
                    numberField >= 0 ? VarToStr(newValues[(size_t)numberField]) : "";
                bool pending = plat::Trim(number).empty() || number.find('~') != std::string::npos;
                if (pending || session_.Server().DocumentExists(info.name, type, number)) {
                    std::string date;
                    if (!options_.documentDate.empty())
                        date = VarToStr(
                            newValues[(size_t)std::max(fieldOf(options_.documentDate), 0)]);
                    std::string next = session_.Server().NextDocumentNumber(info.name, type, date);
                    if (!next.empty()) assign(numberField, Variant(next));
                }
                st.lastNumber = VarToStr(newValues[(size_t)std::max(numberField, 0)]);
            }
            std::string cols, marks;
            std::vector<Variant> params;
            for (size_t i = 0; i < fields.size(); ++i) {
                if (!column[i]) continue;
                const Variant& v = newValues[i];
                if (v.IsEmpty()) continue;
                if (column[i]->keyPosition > 0 && plat::Trim(VarToStr(v)).empty())
                    return refuse("Key field " + column[i]->name + " is empty", 3);
                std::string bad = check(i, v);
                if (!bad.empty()) return refuse(bad, 4);
                cols += (cols.empty() ? "" : ", ") + column[i]->name;
                marks += marks.empty() ? "?" : ", ?";
                params.push_back(v);
            }
            Statement& s = st.Prepared(
                db, "INSERT INTO " + info.name + " (" + cols + ") VALUES (" + marks + ")");
            s.BindAll(params);
            s.Step();
        } else if (modifying) {
            std::string set;
            std::vector<Variant> params;
            for (size_t i = 0; i < fields.size(); ++i) {
                if (!column[i]) continue;
                bool changed = i < row.changed.size() ? row.changed[i]
                                                      : !(newValues[i] == row.oldValues[(int)i]);
                bool linked = std::any_of(assigned.begin(), assigned.end(),
                                          [&](auto& a) { return a.field == (int)i; });
                if (!changed && !linked) continue;
                std::string bad = check(i, newValues[i]);
                if (!bad.empty()) return refuse(bad, 4);
                set += (set.empty() ? "" : ", ") + column[i]->name + " = ?";
                params.push_back(newValues[i].IsEmpty() ? Variant::Null() : newValues[i]);
            }
            std::string where;
            whereAll(where, params);
            if (where.empty()) return refuse("The update carries no original values", 1);
            if (set.empty()) {
                Statement& s =
                    st.Prepared(db, "SELECT COUNT(*) FROM " + info.name + " WHERE " + where);
                s.BindAll(params);
                s.Step();
                bool same = s.Column(0).AsInteger() == 1;
                s.Reset();
                if (!same) return refuse(kChangedByOthers, 2);
            } else {
                Statement& s =
                    st.Prepared(db, "UPDATE " + info.name + " SET " + set + " WHERE " + where);
                s.BindAll(params);
                s.Step();
                if (s.Changes() != 1) return refuse(kChangedByOthers, 2);
            }
        }
    } catch (const SqlError& e) {
        return refuse(e.what(), 5);
    }
    if (!assigned.empty()) {
        result.applied = true;
        result.assigned = assigned;
        st.reply.rows.push_back(result);
    }
    // This row's key as stored, for its details.
    std::vector<Variant> key;
    for (auto& k : info.keys) {
        int f = fieldOf(k);
        key.push_back(row.status == plat::TUpdateStatus::usUnmodified ? value(row.oldValues, f)
                      : f >= 0                                        ? newValues[(size_t)f]
                                                                      : Variant());
    }
    for (size_t d = 0; d < nested.size() && d < row.details.size(); ++d)
        for (auto& child : row.details[d]) {
            if (st.stop()) return true;
            ApplyRow(st, level + 1, fields[nested[d]].fields, child, key);
        }
    return true;
}

}  // namespace standin
