// A thin RAII layer over SQLite for the application-server stand-in: one
// connection, prepared statements that bind and read variants, and a
// transaction guard that rolls back unless committed.
#pragma once
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/variant.h"

struct sqlite3;
namespace plat {
class TValueRowWriter;
}
struct sqlite3_stmt;

namespace standin {

// Every database failure: bad SQL, constraint violations, locked files.
class SqlError : public plat::Exception {
  public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "SqlError"; }
};

class Database;
class StepBudget;

class Statement {
  public:
    Statement(Database& db, const std::string& sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement(Statement&& other) noexcept;

    // Binds by 1-based index. Empty and Null bind NULL; Booleans bind -1/0,
    // the platform's integer value of a Boolean.
    void Bind(int index, const plat::Variant& value);
    void BindAll(const std::vector<plat::Variant>& values);
    // Binds the text where it lies, without a copy: it must stay unchanged
    // until the statement is stepped and reset.
    void BindTextInPlace(int index, std::string_view text);
    int ParameterCount() const;
    // True while a row is available.
    bool Step();
    void Reset();
    int ColumnCount() const;
    std::string ColumnName(int i) const;
    std::string ColumnDeclType(int i) const;  // declared type of a table column, "" for expressions
    std::string ParameterName(int index) const;  // ":text", "?3", or "" for a bare "?"
    // NULL reads as Null, integers as Integer/Int64, reals as Double, text as String.
    plat::Variant Column(int i) const;
    std::string ColumnText(int i) const;
    // Column(i) in the value codec's bytes, appended without a Variant.
    void PutColumn(std::string& out, int i) const;
    void PutColumn(plat::TValueRowWriter& out, int i) const;
    bool IsReadOnly() const;  // the statement does not write to the database
    int Changes() const;      // rows changed by the last Step of this statement

  private:
    Database* db_;
    sqlite3_stmt* stmt_ = nullptr;
    std::string sql_;
};

class Database {
  public:
    // Opens (creating when missing) a database file, or ":memory:".
    explicit Database(const std::string& path);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void Exec(const std::string& sql);  // one or more statements, no results
    // All rows of one query.
    std::vector<std::vector<plat::Variant>> Query(const std::string& sql,
                                                  const std::vector<plat::Variant>& params = {});
    // First column of the first row, or Empty when there is no row.
    plat::Variant Scalar(const std::string& sql, const std::vector<plat::Variant>& params = {});
    bool TableExists(const std::string& name);
    int64_t LastInsertRowId() const;
    // How long a statement waits for another connection's write to end.
    void SetBusyTimeout(std::chrono::milliseconds time);

    // Every use of the connection holds this lock (the connection itself is
    // opened without SQLite's own per-call locking).
    std::recursive_mutex& Mutex() { return mutex_; }
    sqlite3* Handle() const { return db_; }
    const std::string& Path() const { return path_; }
    [[noreturn]] void Raise(const std::string& what) const;

  private:
    friend class StepBudget;
    sqlite3* db_ = nullptr;
    std::string path_;
    std::recursive_mutex mutex_;
    StepBudget* budget_ = nullptr;  // the innermost one alive
};

// While it lives, the connection's statements fail as interrupted once they
// have taken `steps` virtual-machine steps between them: a query that would
// run for ever (a recursive CTE without end) stops instead of holding the
// shared connection. Lives under the connection's lock.
class StepBudget {
  public:
    // Also fails them once `time` has passed (zero: no time limit).
    StepBudget(Database& db, int64_t steps,
               std::chrono::milliseconds time = std::chrono::milliseconds(0));
    ~StepBudget();
    StepBudget(const StepBudget&) = delete;
    StepBudget& operator=(const StepBudget&) = delete;
    bool Spent() const { return left_ < 0; }

  private:
    static int OnProgress(void* self);
    Database& db_;
    int64_t left_;
    std::chrono::steady_clock::time_point deadline_;
    bool timed_;
    StepBudget* outer_;
};

// What a statement composed by a client may do: read the listed tables but
// their hidden columns ("TABLE.COLUMN") and call the listed functions.
// Anything else (writes, pragmas, attaching, the schema table, other
// functions) fails to prepare. Names are upper case.
struct ClientSqlPolicy {
    std::set<std::string> tables;
    std::set<std::string> hiddenColumns;
    std::set<std::string> functions;
};

// While it lives, statements prepared on the connection are held to the policy.
class ClientSqlScope {
  public:
    ClientSqlScope(Database& db, const ClientSqlPolicy& policy);
    ~ClientSqlScope();
    ClientSqlScope(const ClientSqlScope&) = delete;
    ClientSqlScope& operator=(const ClientSqlScope&) = delete;

  private:
    Database& db_;
};

// BEGIN IMMEDIATE on creation; ROLLBACK on destruction unless Commit ran.
// Inside a transaction already open it is a savepoint of that transaction.
class TransactionGuard {
  public:
    explicit TransactionGuard(Database& db);
    ~TransactionGuard();
    TransactionGuard(const TransactionGuard&) = delete;
    TransactionGuard& operator=(const TransactionGuard&) = delete;
    void Commit();

  private:
    Database& db_;
    bool done_ = false;
    std::string savepoint_;  // empty for an outermost transaction
};

}  // namespace standin
