// The application server stand-in: one SQLite database shared by every
// client session, the validator's query catalogue, the lookup definitions
// and document numbering. Sessions (one per client) live in session.h.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/variant.h"
#include "standins/appserver/database_setup.h"
#include "standins/appserver/sql_dialect.h"
#include "standins/appserver/sqlite_db.h"

namespace standin {

// A request the server refuses: unknown names, bad arguments, refused SQL.
class ServerError : public plat::Exception {
  public:
    using plat::Exception::Exception;
    const char* ClassName() const override { return "ServerError"; }
};

// A stored column of a table, from its declaration.
struct ColumnInfo {
    std::string name;
    enum class Kind { Text, Float, Integer, Memo, Blob } kind = Kind::Text;
    int width = 0;  // text width in the database code page (NVARCHAR(n))
    bool notNull = false;
    int keyPosition = 0;  // 1-based position in the primary key, 0 when not a key column
};

struct TableInfo {
    std::string name;
    std::vector<ColumnInfo> columns;
    std::vector<std::string> keys;                            // primary key, in order
    const ColumnInfo* Find(const std::string& column) const;  // case-insensitive
};

// One lookup definition (see standins/data/lookups.sql).
struct LookupDefinition {
    std::string kind, subKind, sql, display, displayEng, returnFields, moneyFields, priceFields,
        maps, rightsProgram, links;
};

class AppSession;

class AppServer : public std::enable_shared_from_this<AppServer> {
  public:
    explicit AppServer(std::unique_ptr<Database> db);
    ~AppServer();
    // A server on a database file (created with demo rows when new) or ":memory:".
    static std::shared_ptr<AppServer> Open(const std::string& path, DemoRows demo = DemoRows::With);

    // The connection of the calling thread: on a database file each thread
    // (each TCP client) has its own, so that readers run side by side under
    // WAL while SQLite serializes the writes; an in-memory database has one
    // connection that every thread shares under its lock.
    Database& Db();
    // Every thread on the one connection, as for an in-memory database.
    void ShareOneConnection(bool share) { shareOne_ = share; }
    // Closes the calling thread's own connection (a client thread ending).
    void CloseThreadConnection();
    // What SQL composed by a client may read, call and (with writes) change.
    const ClientSqlPolicy& ClientPolicy(bool writes) const {
        return writes ? writePolicy_ : readPolicy_;
    }
    std::unique_ptr<AppSession> NewSession();

    // SQL Server text to SQLite text.
    std::string Translate(const std::string& sql) const;
    const TableInfo& Table(const std::string& name);  // raises ServerError for an unknown table
    bool HasTable(const std::string& name);

    // The validator's look-up: the first row's values from element 0 (v1..vn, or v0..vn).
    bool CheckValue(const std::string& table, const std::string& kind, const plat::Variant& keys,
                    plat::Variant& result);
    // Every row, each laid out like a CheckValue reply.
    plat::Variant QueryData(const std::string& table, const std::string& kind,
                            const plat::Variant& keys);

    const LookupDefinition* FindLookup(const std::string& kind, const std::string& subKind);

    // Reserves the next number of a document type for a date ("YYYYMMDD") by
    // the type's numbering rule; empty for manual numbering. A number is
    // never handed out twice, also between sessions and clients.
    std::string NextDocumentNumber(const std::string& table, const std::string& docType,
                                   const std::string& date);
    // The number as it would be stored: prefix + serial of the document type.
    bool DocumentExists(const std::string& table, const std::string& docType,
                        const std::string& number);

    // System parameters as the counter object gives them: two rows, names and values.
    plat::Variant SystemParameters();
    std::string SystemParameter(const std::string& name);

    // The virtual-machine steps a query composed by a client may take (see
    // ReadClientQuery); about a few seconds' work by default.
    void SetQueryStepLimit(int64_t steps) { queryStepLimit_ = steps; }
    int64_t QueryStepLimit() const { return queryStepLimit_; }
    // The time such a query may take, and the bytes its rows may fill.
    void SetQueryTimeLimit(std::chrono::milliseconds t) { queryTimeLimit_ = t.count(); }
    std::chrono::milliseconds QueryTimeLimit() const {
        return std::chrono::milliseconds(queryTimeLimit_.load());
    }
    void SetReplyByteLimit(size_t bytes) { replyByteLimit_ = bytes; }
    size_t ReplyByteLimit() const { return replyByteLimit_; }

    // Quantities and prices, as the operations by name compute them.
    int CurrencyDecimals(const std::string& currency, int which);  // which: 3 price, 4 amount
    int QuantityDecimals();

  private:
    struct CatalogueEntry {
        std::string sql;
        int maxPosition = 0;
        bool plain = false;  // has V0
    };
    const CatalogueEntry& Catalogue(const std::string& table, const std::string& kind);
    std::vector<plat::Variant> RunCatalogue(const CatalogueEntry& e, const plat::Variant& keys,
                                            bool firstOnly);

    std::unique_ptr<Database> db_;
    const uint64_t id_;  // names this server's connections on each thread
    std::atomic<bool> shareOne_{false};
    std::atomic<int64_t> queryStepLimit_{300000000};
    std::atomic<int64_t> queryTimeLimit_{10000};
    std::atomic<size_t> replyByteLimit_{64u << 20};
    ClientSqlPolicy readPolicy_, writePolicy_;
    SqlDialectOptions dialect_;
    std::set<std::string> textColumns_;
    std::set<std::string> companyViews_;
    std::mutex cacheMutex_;
    std::map<std::string, TableInfo> tables_;
    std::map<std::string, CatalogueEntry> catalogue_;
    std::map<std::string, LookupDefinition> lookups_;
};

// The rows of a statement a client composed, read under the server's step
// and time limits: ServerError when it runs longer, gives more than maxRows
// rows or more bytes than byteLimit (0: the server's reply limit). With
// leading >= 0 only that many first columns of each row are kept. The
// caller holds the connection's lock.
std::vector<std::vector<plat::Variant>> ReadClientQuery(AppServer& server, Statement& st,
                                                        size_t maxRows = SIZE_MAX, int leading = -1,
                                                        size_t byteLimit = 0);

// Refuses (ServerError) a condition or order text of a client that could
// reach past its place in the statement: comments, a second statement,
// unbalanced parentheses and, in an order, LIMIT or OFFSET.
void CheckClientFragment(const std::string& text, bool isOrder);

// Key values as the callers send them: an array's elements, a scalar as one
// value, nothing for Empty.
std::vector<plat::Variant> ArrayItems(const plat::Variant& v);

// Rounds half away from zero on the value's 18-significant-digit decimal expansion.
double RoundHalfAway(double value, int decimals);

// "YYYYMMDD" of today, local time.
std::string TodayText();

}  // namespace standin
