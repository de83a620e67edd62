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
    std::string search;  // "code,name" columns of the host's lookup window; empty: the first two
};

// What the host's lookup window asks for: one page of a lookup's rows,
// narrowed by the text the person typed: a row stays when its code column
// starts with the text, its name column contains it or, with `pinyin`, the
// initial letters of its name contain it (ASCII letters without case).
struct LookupPageRequest {
    std::string kind, subKind;
    plat::Variant params;  // the extra values (?1, ?2 ...)
    std::string filter;
    bool pinyin = false;
    int64_t offset = 0;
    int64_t count = 100;
};

struct LookupPage {
    std::vector<std::string> columns;
    std::vector<std::vector<plat::Variant>> rows;
    bool more = false;  // rows follow the page
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
    // What SQL composed by a client may read and call; it changes nothing.
    const ClientSqlPolicy& ClientPolicy() const { return readPolicy_; }
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
    // Raises ServerError for an unknown lookup and for a page past the bounds.
    LookupPage ReadLookupPage(const LookupPageRequest& request);

    // Takes the next number of a document type for a date ("YYYYMMDD") by
    // the type's numbering rule, as a document is stored; empty for manual
    // numbering. A number is never handed out twice, also between sessions
    // and clients, nor one offered to a session.
    std::string NextDocumentNumber(const std::string& table, const std::string& docType,
                                   const std::string& date);
    // The number a new document of the type and date would get, offered to
    // `holder` (a session) until it asks again for that type or ends
    // (ReleaseDocumentNumbers): other sessions are offered other numbers,
    // and asking again and again holds one number, not one per call.
    std::string OfferDocumentNumber(const void* holder, const std::string& table,
                                    const std::string& docType, const std::string& date);
    void ReleaseDocumentNumbers(const void* holder);
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
    // The time client SQL may hold the write lock (TransactionSQL): well
    // under the busy timeout, so that the saves waiting behind it go on.
    void SetWriteTimeLimit(std::chrono::milliseconds t) { writeTimeLimit_ = t.count(); }
    std::chrono::milliseconds WriteTimeLimit() const {
        return std::chrono::milliseconds(writeTimeLimit_.load());
    }
    // How long a write waits its turn behind another one before it fails
    // (every connection of the server, also those opened later).
    void SetBusyTimeout(std::chrono::milliseconds t);

    // The private folder of the sign-off opinion pages: the one set, else
    // "KTRB_SIGNOFF_PAGES", else beside the database file ("<file>-signoff");
    // for a database in memory, "ktrb52-signoff" in the user's cache folder.
    std::string SignOffFolder();
    void SetSignOffFolder(const std::string& path);

    // Quantities and prices, as the operations by name compute them.
    int CurrencyDecimals(const std::string& currency, int which);  // which: 3 price, 4 amount
    int QuantityDecimals();

  private:
    struct NumberSeries {
        const TableInfo* table = nullptr;
        std::string docType, prefix, key;
        int serialDigits = 0;
        bool manual = false;
    };
    NumberSeries Series(const std::string& table, const std::string& docType,
                        const std::string& date);
    // The caller holds the connection's lock; the next two also offersMutex_.
    int64_t LastNumberUsed(const NumberSeries& s);
    int64_t FirstFreeNumber(const NumberSeries& s, int64_t lastUsed);
    static std::string NumberText(const NumberSeries& s, int64_t serial);
    void DropOffer(const void* holder, const std::string& seriesKey, int64_t serial);

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
    std::atomic<int64_t> writeTimeLimit_{2000};
    std::atomic<int64_t> busyTimeout_{30000};
    ClientSqlPolicy readPolicy_;
    SqlDialectOptions dialect_;
    std::set<std::string> textColumns_;
    std::set<std::string> companyViews_;
    std::mutex cacheMutex_;
    std::string signOffFolder_;
    // Numbers offered by series (serial -> holder; null: taken, not yet
    // stored), and each holder's offer by table and type.
    std::mutex offersMutex_;
    std::map<std::string, std::map<int64_t, const void*>> offers_;
    std::map<const void*, std::map<std::string, std::pair<std::string, int64_t>>> holders_;
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

// Reads " and [TABLE.]FIELD = value" terms, the value quoted ('' for a
// quote) or running to the next blank, in one pass, as values, never as SQL.
// False for anything else.
bool ReadKeyTerms(const std::string& s, std::vector<std::pair<std::string, std::string>>& terms);

// Key values as the callers send them: an array's elements, a scalar as one
// value, nothing for Empty.
std::vector<plat::Variant> ArrayItems(const plat::Variant& v);

// Rounds half away from zero on the value's 18-significant-digit decimal expansion.
double RoundHalfAway(double value, int decimals);

// "YYYYMMDD" of today, local time.
std::string TodayText();

}  // namespace standin
