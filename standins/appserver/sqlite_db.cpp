#include "standins/appserver/sqlite_db.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <limits>

#include "platform/core/pinyin.h"
#include "platform/data/provider.h"
#include "platform/data/valuecodec.h"

namespace standin {

using plat::Variant;
using plat::VarType;

Statement::Statement(Database& db, const std::string& sql) : db_(&db), sql_(sql) {
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db.Handle(), sql.c_str(), (int)sql.size(), &stmt_, &tail) != SQLITE_OK)
        db.Raise("Bad SQL");
    if (!stmt_) throw SqlError("Empty SQL statement");
    while (tail && *tail &&
           (*tail == ' ' || *tail == '\n' || *tail == '\r' || *tail == '\t' || *tail == ';'))
        ++tail;
    if (tail && *tail) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        throw SqlError("Only one SQL statement is allowed here");
    }
}

Statement::~Statement() {
    if (stmt_) sqlite3_finalize(stmt_);
}

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_), stmt_(other.stmt_), sql_(std::move(other.sql_)) {
    other.stmt_ = nullptr;
}

void Statement::Bind(int index, const Variant& v) {
    int rc;
    if (v.IsArray()) throw SqlError("An array cannot be bound as an SQL parameter");
    switch (v.Type()) {
        case VarType::Empty:
        case VarType::Null:
            rc = sqlite3_bind_null(stmt_, index);
            break;
        case VarType::String:
        case VarType::OleStr:
            rc = sqlite3_bind_text(stmt_, index, v.RawText().data(), (int)v.RawText().size(),
                                   SQLITE_TRANSIENT);
            break;
        case VarType::Double:
        case VarType::Single:
        case VarType::Currency:
        case VarType::Date:
            rc = sqlite3_bind_double(stmt_, index, v.AsFloat());
            break;
        default:
            if (v.IsOrdinal()) {
                rc = sqlite3_bind_int64(stmt_, index, v.AsInt64());
            } else {
                throw SqlError(std::string("A value of type ") + plat::VarTypeName(v.Type()) +
                               " cannot be bound as an SQL parameter");
            }
    }
    if (rc != SQLITE_OK) db_->Raise("Cannot bind parameter " + std::to_string(index));
}

void Statement::BindAll(const std::vector<Variant>& values) {
    int n = ParameterCount();
    for (int i = 0; i < n; ++i) Bind(i + 1, i < (int)values.size() ? values[i] : Variant());
}

void Statement::BindTextInPlace(int index, std::string_view text) {
    if (text.size() > size_t(std::numeric_limits<int>::max()))
        throw SqlError("A text of " + std::to_string(text.size()) + " bytes cannot be bound");
    if (sqlite3_bind_text(stmt_, index, text.data(), int(text.size()), SQLITE_STATIC) != SQLITE_OK)
        db_->Raise("Cannot bind parameter " + std::to_string(index));
}

int Statement::ParameterCount() const {
    return sqlite3_bind_parameter_count(stmt_);
}

bool Statement::Step() {
    int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    sqlite3_reset(stmt_);
    db_->Raise("SQL failed");
}

void Statement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

int Statement::ColumnCount() const {
    return sqlite3_column_count(stmt_);
}

std::string Statement::ColumnName(int i) const {
    const char* n = sqlite3_column_name(stmt_, i);
    return n ? n : "";
}

std::string Statement::ColumnDeclType(int i) const {
    const char* t = sqlite3_column_decltype(stmt_, i);
    return t ? t : "";
}

std::string Statement::ParameterName(int index) const {
    const char* n = sqlite3_bind_parameter_name(stmt_, index);
    return n ? n : "";
}

Variant Statement::Column(int i) const {
    switch (sqlite3_column_type(stmt_, i)) {
        case SQLITE_NULL:
            return Variant::Null();
        case SQLITE_INTEGER: {
            sqlite3_int64 v = sqlite3_column_int64(stmt_, i);
            if (v >= INT32_MIN && v <= INT32_MAX) return Variant((int)v);
            return Variant((long long)v);
        }
        case SQLITE_FLOAT:
            return Variant(sqlite3_column_double(stmt_, i));
        default:
            return Variant(ColumnText(i));
    }
}

std::string Statement::ColumnText(int i) const {
    const unsigned char* t = sqlite3_column_text(stmt_, i);
    int n = sqlite3_column_bytes(stmt_, i);
    return t ? std::string((const char*)t, (size_t)n) : std::string();
}

namespace {

// Column i of the current row in the value codec's bytes, written where
// room(n) gives n bytes; the bytes written. One look-up of the column's
// value, then plain reads of it: the sqlite3_column_* calls would each find
// the column again.
template <class Room>
size_t putColumn(sqlite3_stmt* stmt, int i, Room room) {
    using namespace plat::codec;
    sqlite3_value* v = sqlite3_column_value(stmt, i);
    switch (sqlite3_value_type(v)) {
        case SQLITE_NULL:
            *room(1) = (char)tNull;
            return 1;
        case SQLITE_INTEGER: {
            char* at = room(kMaxScalarBytes);
            return (size_t)(PutInteger(at, sqlite3_value_int64(v)) - at);
        }
        case SQLITE_FLOAT: {
            char* at = room(kMaxScalarBytes);
            return (size_t)(PutDouble(at, sqlite3_value_double(v)) - at);
        }
        default: {
            const unsigned char* t = sqlite3_value_text(v);
            const size_t n = t ? (size_t)sqlite3_value_bytes(v) : 0;
            char* at = room(kMaxScalarBytes + n);
            return (size_t)(PutString(at, std::string_view((const char*)t, n)) - at);
        }
    }
}

}  // namespace

void Statement::PutColumn(std::string& out, int i) const {
    const size_t old = out.size();
    const size_t n = putColumn(stmt_, i, [&](size_t room) {
        out.resize(old + room);
        return out.data() + old;
    });
    out.resize(old + n);
}

void Statement::PutColumn(plat::TValueRowWriter& out, int i) const {
    out.Wrote(putColumn(stmt_, i, [&](size_t room) { return out.Room(room); }));
}

bool Statement::IsReadOnly() const {
    return sqlite3_stmt_readonly(stmt_) != 0;
}

int Statement::Changes() const {
    return sqlite3_changes(db_->Handle());
}

namespace {

// SQL Server's string functions the module's statements use, on UTF-8 text
// counted in characters.
std::vector<std::string> Chars(const unsigned char* t, int n) {
    std::vector<std::string> out;
    for (int i = 0; i < n;) {
        int len = t[i] < 0x80         ? 1
                  : (t[i] >> 5) == 6  ? 2
                  : (t[i] >> 4) == 14 ? 3
                  : (t[i] >> 3) == 30 ? 4
                                      : 1;
        if (i + len > n) len = n - i;
        out.emplace_back((const char*)t + i, (size_t)len);
        i += len;
    }
    return out;
}

std::vector<std::string> TextArg(sqlite3_value* v) {
    return Chars(sqlite3_value_text(v), sqlite3_value_bytes(v));
}

void ResultChars(sqlite3_context* ctx, const std::vector<std::string>& c, size_t from,
                 size_t count) {
    std::string out;
    for (size_t i = from; i < c.size() && i < from + count; ++i) out += c[i];
    sqlite3_result_text(ctx, out.data(), (int)out.size(), SQLITE_TRANSIENT);
}

bool AnyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
    return false;
}

void SqlLeft(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    auto c = TextArg(argv[0]);
    sqlite3_int64 n = std::max<sqlite3_int64>(0, sqlite3_value_int64(argv[1]));
    ResultChars(ctx, c, 0, (size_t)n);
}

void SqlRight(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    auto c = TextArg(argv[0]);
    size_t n = (size_t)std::max<sqlite3_int64>(0, sqlite3_value_int64(argv[1]));
    ResultChars(ctx, c, c.size() > n ? c.size() - n : 0, n);
}

// LEN ignores trailing blanks.
void SqlLen(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    auto c = TextArg(argv[0]);
    while (!c.empty() && c.back() == " ") c.pop_back();
    sqlite3_result_int64(ctx, (sqlite3_int64)c.size());
}

// CHARINDEX(find, text[, start]): 1-based character position, 0 when absent.
void SqlCharIndex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    auto find = TextArg(argv[0]), text = TextArg(argv[1]);
    size_t start =
        argc > 2 ? (size_t)std::max<sqlite3_int64>(1, sqlite3_value_int64(argv[2])) - 1 : 0;
    for (size_t i = start; !find.empty() && i + find.size() <= text.size(); ++i)
        if (std::equal(find.begin(), find.end(), text.begin() + (long)i))
            return sqlite3_result_int64(ctx, (sqlite3_int64)i + 1);
    sqlite3_result_int64(ctx, 0);
}

void SqlReplicate(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    std::string unit((const char*)sqlite3_value_text(argv[0]),
                     (size_t)sqlite3_value_bytes(argv[0]));
    sqlite3_int64 n = sqlite3_value_int64(argv[1]);
    if (n < 0) return sqlite3_result_null(ctx);
    if (unit.empty()) n = 0;
    // Divided, not multiplied: a huge count must not wrap round to a small size.
    if (n > 0 && (sqlite3_uint64)n > 1000000 / unit.size()) return sqlite3_result_null(ctx);
    std::string out;
    for (sqlite3_int64 i = 0; i < n; ++i) out += unit;
    sqlite3_result_text(ctx, out.data(), (int)out.size(), SQLITE_TRANSIENT);
}

void SqlSpace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    sqlite3_int64 n = sqlite3_value_int64(argv[0]);
    if (n < 0 || n > 1000000) return sqlite3_result_null(ctx);
    std::string out((size_t)n, ' ');
    sqlite3_result_text(ctx, out.data(), (int)out.size(), SQLITE_TRANSIENT);
}

// PINYIN_INITIALS(text): the initial letters of a name, for the host's
// lookup window that finds a name by them.
void SqlPinyinInitials(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(ctx);
    const auto* text = (const char*)sqlite3_value_text(argv[0]);
    if (!text) return sqlite3_result_null(ctx);
    const std::string out =
        plat::PinyinInitialsOfText(std::string_view(text, (size_t)sqlite3_value_bytes(argv[0])));
    sqlite3_result_text(ctx, out.data(), (int)out.size(), SQLITE_TRANSIENT);
}

struct SqlFunction {
    const char* name;
    int args;
    void (*fn)(sqlite3_context*, int, sqlite3_value**);
};
const SqlFunction kFunctions[] = {
    {"SQL_LEFT", 2, SqlLeft},
    {"SQL_RIGHT", 2, SqlRight},
    {"LEN", 1, SqlLen},
    {"CHARINDEX", 2, SqlCharIndex},
    {"CHARINDEX", 3, SqlCharIndex},
    {"REPLICATE", 2, SqlReplicate},
    {"SPACE", 1, SqlSpace},
    {"PINYIN_INITIALS", 1, SqlPinyinInitials},
};

}  // namespace

Database::Database(const std::string& path) : path_(path) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        std::string msg = db_ ? sqlite3_errmsg(db_) : "out of memory";
        if (db_) sqlite3_close(db_);
        db_ = nullptr;
        throw SqlError("Cannot open database " + path + ": " + msg);
    }
    sqlite3_busy_timeout(db_, 5000);
    // No more than the schema needs: the longest texts are settings documents,
    // the widest select a line with its derived columns, the most parameters
    // a batch of detail keys.
    sqlite3_limit(db_, SQLITE_LIMIT_LENGTH, 16 << 20);
    sqlite3_limit(db_, SQLITE_LIMIT_SQL_LENGTH, 1 << 20);
    sqlite3_limit(db_, SQLITE_LIMIT_COLUMN, 1000);
    sqlite3_limit(db_, SQLITE_LIMIT_EXPR_DEPTH, 200);
    sqlite3_limit(db_, SQLITE_LIMIT_COMPOUND_SELECT, 50);
    sqlite3_limit(db_, SQLITE_LIMIT_FUNCTION_ARG, 32);
    sqlite3_limit(db_, SQLITE_LIMIT_LIKE_PATTERN_LENGTH, 1000);
    sqlite3_limit(db_, SQLITE_LIMIT_VARIABLE_NUMBER, 5000);
    sqlite3_limit(db_, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_limit(db_, SQLITE_LIMIT_TRIGGER_DEPTH, 10);
    for (auto& f : kFunctions)
        sqlite3_create_function_v2(db_, f.name, f.args, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr,
                                   f.fn, nullptr, nullptr, nullptr);
    sqlite3_extended_result_codes(db_, 1);
    Exec("PRAGMA foreign_keys=ON");
    if (path != ":memory:") Exec("PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL");
}

Database::~Database() {
    if (db_) sqlite3_close_v2(db_);
}

void Database::Raise(const std::string& what) const {
    throw SqlError(what + ": " + sqlite3_errmsg(db_));
}

void Database::Exec(const std::string& sql) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(db_);
        sqlite3_free(err);
        throw SqlError("SQL failed: " + msg);
    }
}

std::vector<std::vector<Variant>> Database::Query(const std::string& sql,
                                                  const std::vector<Variant>& params) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Statement st(*this, sql);
    st.BindAll(params);
    std::vector<std::vector<Variant>> rows;
    int n = st.ColumnCount();
    while (st.Step()) {
        std::vector<Variant> row;
        row.reserve(n);
        for (int i = 0; i < n; ++i) row.push_back(st.Column(i));
        rows.push_back(std::move(row));
    }
    return rows;
}

Variant Database::Scalar(const std::string& sql, const std::vector<Variant>& params) {
    std::lock_guard<std::recursive_mutex> lock(mutex_);
    Statement st(*this, sql);
    st.BindAll(params);
    if (st.Step() && st.ColumnCount() > 0) return st.Column(0);
    return Variant();
}

bool Database::TableExists(const std::string& name) {
    return !Scalar(
                "SELECT 1 FROM sqlite_master WHERE type IN ('table','view') AND name = ? COLLATE "
                "NOCASE",
                {Variant(name)})
                .IsEmpty();
}

int64_t Database::LastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

void Database::SetBusyTimeout(std::chrono::milliseconds time) {
    sqlite3_busy_timeout(db_, (int)std::clamp<int64_t>(time.count(), 0, INT32_MAX));
}

namespace {
constexpr int kStepsPerCheck = 1000;
}

StepBudget::StepBudget(Database& db, int64_t steps, std::chrono::milliseconds time)
    : db_(db),
      left_(steps),
      deadline_(std::chrono::steady_clock::now() + time),
      timed_(time.count() > 0),
      outer_(db.budget_) {
    db_.budget_ = this;
    sqlite3_progress_handler(db_.Handle(), kStepsPerCheck, &StepBudget::OnProgress, this);
}

StepBudget::~StepBudget() {
    db_.budget_ = outer_;
    if (outer_)
        sqlite3_progress_handler(db_.Handle(), kStepsPerCheck, &StepBudget::OnProgress, outer_);
    else
        sqlite3_progress_handler(db_.Handle(), 0, nullptr, nullptr);
}

int StepBudget::OnProgress(void* self) {
    auto* b = static_cast<StepBudget*>(self);
    b->left_ -= kStepsPerCheck;
    if (!b->Spent() && b->timed_ && std::chrono::steady_clock::now() >= b->deadline_) b->left_ = -1;
    return b->Spent() ? 1 : 0;
}

namespace {

int Authorize(void* data, int action, const char* a3, const char* a4, const char* database,
              const char*) {
    const auto& policy = *static_cast<const ClientSqlPolicy*>(data);
    auto listed = [](const std::set<std::string>& names, const char* name) {
        if (!name) return false;
        std::string n(name);
        for (char& c : n) c = (char)std::toupper((unsigned char)c);
        return names.count(n) > 0;
    };
    switch (action) {
        case SQLITE_SELECT:
        case SQLITE_RECURSIVE:
            return SQLITE_OK;
        case SQLITE_READ:
            // A common table expression's rows belong to no database.
            if (!database) return SQLITE_OK;
            if (a3 && a4 && listed(policy.hiddenColumns, (std::string(a3) + "." + a4).c_str()))
                return SQLITE_DENY;
            return listed(policy.tables, a3) ? SQLITE_OK : SQLITE_DENY;
        case SQLITE_FUNCTION:
            return listed(policy.functions, a4) ? SQLITE_OK : SQLITE_DENY;
        default:
            return SQLITE_DENY;
    }
}

}  // namespace

ClientSqlScope::ClientSqlScope(Database& db, const ClientSqlPolicy& policy) : db_(db) {
    sqlite3_set_authorizer(db_.Handle(), &Authorize, const_cast<ClientSqlPolicy*>(&policy));
}

ClientSqlScope::~ClientSqlScope() {
    sqlite3_set_authorizer(db_.Handle(), nullptr, nullptr);
}

TransactionGuard::TransactionGuard(Database& db) : db_(db) {
    db_.Mutex().lock();
    try {
        if (sqlite3_get_autocommit(db_.Handle())) {
            db_.Exec("BEGIN IMMEDIATE");
        } else {
            static std::atomic<unsigned> counter{0};
            savepoint_ = "sp" + std::to_string(++counter);
            db_.Exec("SAVEPOINT " + savepoint_);
        }
    } catch (...) {
        db_.Mutex().unlock();
        throw;
    }
}

TransactionGuard::~TransactionGuard() {
    if (!done_) {
        try {
            db_.Exec(savepoint_.empty() ? "ROLLBACK"
                                        : "ROLLBACK TO " + savepoint_ + "; RELEASE " + savepoint_);
        } catch (...) {
        }
    }
    db_.Mutex().unlock();
}

void TransactionGuard::Commit() {
    db_.Exec(savepoint_.empty() ? "COMMIT" : "RELEASE " + savepoint_);
    done_ = true;
}

}  // namespace standin
