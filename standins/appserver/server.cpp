#include "standins/appserver/server.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "standins/appserver/session.h"

namespace standin {

using plat::Variant;

namespace {

ColumnInfo ParseColumn(const std::vector<Variant>& pragmaRow) {
    // PRAGMA table_info: cid, name, type, notnull, dflt_value, pk
    ColumnInfo c;
    c.name = pragmaRow[1].AsString();
    std::string type = plat::UpperCase(pragmaRow[2].AsString());
    c.notNull = pragmaRow[3].AsInteger() != 0;
    c.keyPosition = pragmaRow[5].AsInteger();
    if (type.find("CHAR") != std::string::npos) {
        c.kind = ColumnInfo::Kind::Text;
        size_t open = type.find('(');
        c.width = open == std::string::npos
                      ? 255
                      : plat::StrToIntDef(type.substr(open + 1, type.find(')') - open - 1), 255);
    } else if (type == "TEXT") {
        c.kind = ColumnInfo::Kind::Memo;
    } else if (type.find("INT") != std::string::npos) {
        c.kind = ColumnInfo::Kind::Integer;
    } else if (type == "BLOB") {
        c.kind = ColumnInfo::Kind::Blob;
    } else {
        c.kind = ColumnInfo::Kind::Float;
    }
    return c;
}

std::string CatalogueKey(const std::string& a, const std::string& b) {
    return plat::UpperCase(plat::Trim(a)) + "\x1f" + plat::Trim(b);
}

}  // namespace

const ColumnInfo* TableInfo::Find(const std::string& column) const {
    for (auto& c : columns)
        if (plat::SameText(c.name, column)) return &c;
    return nullptr;
}

std::vector<Variant> ArrayItems(const Variant& v) {
    if (v.IsArray()) {
        std::vector<Variant> out;
        if (v.DimCount() != 1) return v.Items();
        for (int i = v.LowBound(); i <= v.HighBound(); ++i) out.push_back(v[i]);
        return out;
    }
    if (v.IsEmpty()) return {};
    return {v};
}

std::vector<std::vector<Variant>> ReadClientQuery(AppServer& server, Statement& st, size_t maxRows,
                                                  int leading, size_t byteLimit) {
    std::vector<std::vector<Variant>> rows;
    const int n = leading < 0 ? st.ColumnCount() : std::min(leading, st.ColumnCount());
    const size_t maxBytes = byteLimit ? byteLimit : server.ReplyByteLimit();
    size_t bytes = 0;
    StepBudget budget(server.Db(), server.QueryStepLimit(), server.QueryTimeLimit());
    try {
        while (st.Step()) {
            if (rows.size() == maxRows)
                throw ServerError("The query gives more than " + std::to_string(maxRows) +
                                  " rows; refused");
            std::vector<Variant> row;
            row.reserve((size_t)n);
            for (int i = 0; i < n; ++i) {
                row.push_back(st.Column(i));
                bytes += sizeof(Variant) + row.back().RawText().size();
            }
            if (bytes > maxBytes)
                throw ServerError("The query's reply would take more than " +
                                  std::to_string(maxBytes) + " bytes; refused");
            rows.push_back(std::move(row));
        }
    } catch (const SqlError&) {
        if (budget.Spent())
            throw ServerError("The query ran longer than this server allows; stopped");
        throw;
    }
    return rows;
}

void CheckClientFragment(const std::string& text, bool isOrder) {
    int depth = 0;
    std::string word;
    auto endWord = [&] {
        if (isOrder && (plat::SameText(word, "LIMIT") || plat::SameText(word, "OFFSET")))
            throw ServerError("An order text cannot hold " + plat::UpperCase(word) + ": refused");
        word.clear();
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\'' || c == '"' || c == '[' || c == '`') {
            endWord();
            char close = c == '[' ? ']' : c;
            size_t e = text.find(close, i + 1);
            if (e == std::string::npos) throw ServerError("A quote is never closed: refused");
            i = e;
            continue;
        }
        if (std::isalnum((unsigned char)c) || c == '_') {
            word += c;
            continue;
        }
        endWord();
        if ((c == '-' && i + 1 < text.size() && text[i + 1] == '-') ||
            (c == '/' && i + 1 < text.size() && text[i + 1] == '*') || c == ';')
            throw ServerError("A condition or order cannot hold comments or a second statement");
        if (c == '(') ++depth;
        if (c == ')' && --depth < 0) throw ServerError("Unbalanced parentheses: refused");
    }
    endWord();
    if (depth != 0) throw ServerError("Unbalanced parentheses: refused");
}

double RoundHalfAway(double value, int decimals) {
    if (!std::isfinite(value) || decimals < 0 || decimals > 15) return value;
    // 18 significant digits: the decimal expansion the rounding works on.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17e", std::fabs(value));
    std::string s(buf);
    size_t e = s.find('e');
    int exp = std::atoi(s.c_str() + e + 1);
    std::string digits = s.substr(0, 1) + s.substr(2, e - 2);  // 18 digits, point after the first
    // Digits kept: those before the point (exp + 1) and `decimals` after it.
    int keep = exp + 1 + decimals;
    if (keep < 0) return 0.0 * value;
    if (keep >= (int)digits.size()) return value;
    bool up = digits[(size_t)keep] >= '5';
    std::string kept = digits.substr(0, (size_t)keep);
    if (kept.empty()) kept = "0";
    // Integer of the kept digits, then scale back.
    long double n = 0;
    for (char c : kept) n = n * 10 + (c - '0');
    if (up) n += 1;
    long double r = n * std::pow(10.0L, (long double)(exp + 1 - keep));
    char out[64];
    std::snprintf(out, sizeof out, "%.*Lf", decimals, r);
    double d = std::strtod(out, nullptr);
    return value < 0 ? -d : d;
}

std::string TodayText() {
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[16];
    std::strftime(buf, sizeof buf, "%Y%m%d", &tm);
    return buf;
}

namespace {

// Functions client SQL may call: SQLite's plain ones the module's statements
// and their translation use, and the server's own.
const char* const kClientFunctions[] = {
    "ABS",       "AVG",          "CHAR",      "COALESCE",  "COUNT",   "DATE",      "DATETIME",
    "GLOB",      "GROUP_CONCAT", "IFNULL",    "IIF",       "INSTR",   "JULIANDAY", "LENGTH",
    "LIKE",      "LOWER",        "LTRIM",     "MAX",       "MIN",     "NULLIF",    "REPLACE",
    "ROUND",     "RTRIM",        "SIGN",      "STRFTIME",  "SUBSTR",  "SUBSTRING", "SUM",
    "TIME",      "TOTAL",        "TRIM",      "TYPEOF",    "UNICODE", "UPPER",     "SQL_LEFT",
    "SQL_RIGHT", "LEN",          "CHARINDEX", "REPLICATE", "SPACE",
};

std::atomic<uint64_t> nextServerId{1};

// Each thread's own connections, by server.
thread_local std::map<uint64_t, std::unique_ptr<Database>> tConnections;

}  // namespace

AppServer::~AppServer() {
    CloseThreadConnection();
}

Database& AppServer::Db() {
    if (shareOne_) return *db_;
    auto it = tConnections.find(id_);
    if (it != tConnections.end()) return *it->second;
    auto db = std::make_unique<Database>(db_->Path());
    db->SetBusyTimeout(std::chrono::milliseconds(busyTimeout_.load()));
    return *tConnections.emplace(id_, std::move(db)).first->second;
}

void AppServer::SetBusyTimeout(std::chrono::milliseconds t) {
    busyTimeout_ = t.count();
    std::lock_guard<std::recursive_mutex> lock(db_->Mutex());
    db_->SetBusyTimeout(t);
}

void AppServer::CloseThreadConnection() {
    tConnections.erase(id_);
}

AppServer::AppServer(std::unique_ptr<Database> db)
    : db_(std::move(db)),
      id_(nextServerId++),
      shareOne_(db_->Path().empty() || db_->Path() == ":memory:") {
    std::lock_guard<std::recursive_mutex> lock(db_->Mutex());
    db_->SetBusyTimeout(std::chrono::milliseconds(busyTimeout_.load()));
    for (auto& t : db_->Query(
             "SELECT UPPER(name) FROM sqlite_master WHERE type IN ('table', 'view') AND name NOT "
             "LIKE 'sqlite%'"))
        readPolicy_.tables.insert(t[0].AsString());
    for (const char* f : kClientFunctions) readPolicy_.functions.insert(f);
    // The users' passwords stay on the server, also as hashes.
    readPolicy_.hiddenColumns.insert("ADMMF.MF006");
    // Columns that hold text, for telling concatenation from addition. A name
    // that is text in one table and a number in another stays unknown.
    std::map<std::string, int> kinds;  // 1 text, 2 number, 3 both
    for (auto& t : db_->Query("SELECT name FROM sqlite_master WHERE type = 'table'")) {
        for (auto& col : db_->Query("PRAGMA table_info(" + t[0].AsString() + ")")) {
            ColumnInfo c = ParseColumn(col);
            bool text = c.kind == ColumnInfo::Kind::Text || c.kind == ColumnInfo::Kind::Memo;
            kinds[plat::UpperCase(c.name)] |= text ? 1 : 2;
        }
    }
    for (auto& [name, k] : kinds)
        if (k == 1) textColumns_.insert(name);
    dialect_.isTextColumn = [this](const std::string& c) { return textColumns_.count(c) > 0; };
    // "ERP_<table>" views show a table with the module's names of its columns.
    for (auto& v : db_->Query(
             "SELECT UPPER(name) FROM sqlite_master WHERE type = 'view' AND name LIKE 'ERP\\_%' "
             "ESCAPE '\\'"))
        companyViews_.insert(v[0].AsString());
    dialect_.companyView = [this](const std::string& table) {
        return companyViews_.count("ERP_" + table) ? "ERP_" + table : std::string();
    };
    for (auto& r : db_->Query("SELECT QC001, QC002, QC003 FROM QCATALOG")) {
        CatalogueEntry e;
        e.sql = r[2].AsString();
        Statement st(*db_, e.sql);
        for (int i = 0; i < st.ColumnCount(); ++i) {
            std::string n = plat::UpperCase(st.ColumnName(i));
            if (n.size() < 2 || n[0] != 'V') continue;
            int pos = plat::StrToIntDef(n.substr(1), -1);
            if (pos == 0) e.plain = true;
            if (pos > e.maxPosition) e.maxPosition = pos;
        }
        catalogue_[CatalogueKey(r[0].AsString(), r[1].AsString())] = e;
    }
    for (auto& r :
         db_->Query("SELECT LK001, LK002, LK003, LK004, LK005, LK006, LK007, LK008, LK009, LK011, "
                    "LK012, LK013 FROM LOOKUPS")) {
        LookupDefinition d{r[0].AsString(), r[1].AsString(), r[2].AsString(),  r[3].AsString(),
                           r[4].AsString(), r[5].AsString(), r[6].AsString(),  r[7].AsString(),
                           r[8].AsString(), r[9].AsString(), r[10].AsString(), r[11].AsString()};
        lookups_[CatalogueKey(d.kind, d.subKind)] = d;
    }
}

std::shared_ptr<AppServer> AppServer::Open(const std::string& path, DemoRows demo) {
    return std::make_shared<AppServer>(OpenServerDatabase(path, demo));
}

std::unique_ptr<AppSession> AppServer::NewSession() {
    return std::make_unique<AppSession>(shared_from_this());
}

std::string AppServer::Translate(const std::string& sql) const {
    return TranslateSql(sql, dialect_);
}

const TableInfo& AppServer::Table(const std::string& name) {
    std::string key = plat::UpperCase(plat::Trim(name));
    {
        std::lock_guard<std::mutex> lock(cacheMutex_);
        auto it = tables_.find(key);
        if (it != tables_.end()) return it->second;
    }
    TableInfo info;
    info.name = key;
    {
        std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
        if (!Db().TableExists(key)) throw ServerError("Unknown table " + name);
        for (auto& col : Db().Query("PRAGMA table_info(" + key + ")"))
            info.columns.push_back(ParseColumn(col));
    }
    std::vector<std::pair<int, std::string>> keys;
    for (auto& c : info.columns)
        if (c.keyPosition > 0) keys.push_back({c.keyPosition, c.name});
    std::sort(keys.begin(), keys.end());
    for (auto& k : keys) info.keys.push_back(k.second);
    std::lock_guard<std::mutex> lock(cacheMutex_);
    return tables_.emplace(key, std::move(info)).first->second;
}

bool AppServer::HasTable(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
    return Db().TableExists(plat::Trim(name));
}

const AppServer::CatalogueEntry& AppServer::Catalogue(const std::string& table,
                                                      const std::string& kind) {
    auto it = catalogue_.find(CatalogueKey(table, kind));
    if (it == catalogue_.end())
        throw ServerError("The query catalogue has no query " + kind + " of table " + table);
    return it->second;
}

std::vector<Variant> AppServer::RunCatalogue(const CatalogueEntry& e, const Variant& keys,
                                             bool firstOnly) {
    std::vector<Variant> params = ArrayItems(keys);
    for (auto& p : params)
        if (p.IsArray()) throw ServerError("A key value of a look-up cannot be an array");
    std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
    Statement st(Db(), e.sql);
    for (int i = 1; i <= st.ParameterCount(); ++i)
        st.Bind(i, i <= (int)params.size() ? params[i - 1] : Variant(""));
    std::vector<int> positions;
    for (int i = 0; i < st.ColumnCount(); ++i) {
        std::string n = plat::UpperCase(st.ColumnName(i));
        positions.push_back(n.size() >= 2 && n[0] == 'V' ? plat::StrToIntDef(n.substr(1), -1) : -1);
    }
    std::vector<Variant> rows;
    while (st.Step()) {
        // The validator answers the record's values from element 0: value n
        // (column Vn) stands at n - 1, or at n when the entry has a V0 column.
        const int shift = e.plain ? 0 : 1;
        const int high = e.maxPosition - shift;
        Variant row = Variant::CreateArray({0, high});
        for (int p = 0; p <= high; ++p) row[p] = Variant("");
        for (int i = 0; i < (int)positions.size(); ++i) {
            if (positions[i] - shift < 0) continue;
            Variant v = st.Column(i);
            row[positions[i] - shift] = v.IsNull() ? Variant("") : v;
        }
        rows.push_back(row);
        if (firstOnly) break;
    }
    return rows;
}

bool AppServer::CheckValue(const std::string& table, const std::string& kind, const Variant& keys,
                           Variant& result) {
    const CatalogueEntry& e = Catalogue(table, kind);
    auto rows = RunCatalogue(e, keys, true);
    if (rows.empty()) {
        result = Variant();  // nothing found: no values, so the caller's count stays 0
        return false;
    }
    result = rows[0];
    return true;
}

Variant AppServer::QueryData(const std::string& table, const std::string& kind,
                             const Variant& keys) {
    auto rows = RunCatalogue(Catalogue(table, kind), keys, false);
    return Variant::ArrayOf(std::move(rows));
}

const LookupDefinition* AppServer::FindLookup(const std::string& kind, const std::string& subKind) {
    auto it = lookups_.find(CatalogueKey(kind, subKind));
    return it == lookups_.end() ? nullptr : &it->second;
}

bool AppServer::DocumentExists(const std::string& table, const std::string& docType,
                               const std::string& number) {
    const TableInfo& t = Table(table);
    if (t.keys.size() < 2)
        throw ServerError("Table " + table + " is not numbered by document type");
    std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
    return !Db().Scalar("SELECT 1 FROM " + t.name + " WHERE " + t.keys[0] + " = ? AND " +
                            t.keys[1] + " = ?",
                        {docType, number})
                .IsEmpty();
}

AppServer::NumberSeries AppServer::Series(const std::string& table, const std::string& docType,
                                          const std::string& date) {
    const TableInfo& t = Table(table);
    if (t.keys.size() < 2)
        throw ServerError("Table " + table + " is not numbered by document type");
    const ColumnInfo* numberCol = t.Find(t.keys[1]);
    int width = numberCol && numberCol->width > 0 ? numberCol->width : 11;
    std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
    auto rule = Db().Query("SELECT MQ004, MQ005, MQ006 FROM CMSMQ WHERE MQ001 = ?", {docType});
    if (rule.empty()) throw ServerError("Unknown document type " + docType);
    NumberSeries s;
    s.table = &t;
    s.docType = docType;
    std::string kind = plat::VarToStr(rule[0][0]);
    int yearDigits = (int)plat::VarToIntDef(rule[0][1], 4) == 2 ? 2 : 4;
    int serialDigits = (int)plat::VarToIntDef(rule[0][2], 3);
    s.manual = kind == "4";
    // "YYYYMMDD", also when the caller wrote it with separators; today when there is none.
    std::string d;
    for (char c : date)
        if (c >= '0' && c <= '9') d += c;
    d = d.size() >= 8 ? d.substr(0, 8) : TodayText();
    if (kind == "1")
        s.prefix = d.substr(4 - yearDigits, yearDigits - 4 + 8);
    else if (kind == "2")
        s.prefix = d.substr(4 - yearDigits, yearDigits - 4 + 6);
    if (serialDigits <= 0 || (int)s.prefix.size() + serialDigits > width)
        serialDigits = width - (int)s.prefix.size();
    s.serialDigits = serialDigits;
    s.key = t.name + "\x1f" + docType + "\x1f" + s.prefix;
    return s;
}

int64_t AppServer::LastNumberUsed(const NumberSeries& s) {
    const TableInfo& t = *s.table;
    int64_t last = plat::VarToIntDef(
        Db().Scalar("SELECT SQ004 FROM NUMSEQ WHERE SQ001 = ? AND SQ002 = ? AND SQ003 = ?",
                    {t.name, s.docType, s.prefix}),
        0);
    // Numbers stored without a reservation (typed by hand, copied in) count
    // too; those with anything but digits after the prefix are not in the series.
    std::string maxStored = plat::VarToStr(
        Db().Scalar("SELECT MAX(" + t.keys[1] + ") FROM " + t.name + " WHERE " + t.keys[0] +
                        " = ? AND " + t.keys[1] + " LIKE ? AND LENGTH(" + t.keys[1] +
                        ") = ? AND SUBSTR(" + t.keys[1] + ", ?) NOT GLOB '*[^0-9]*'",
                    {s.docType, s.prefix + "%", (int)s.prefix.size() + s.serialDigits,
                     (int)s.prefix.size() + 1}));
    int64_t stored = 0;
    if (!maxStored.empty()) plat::TryStrToInt64(maxStored.substr(s.prefix.size()), stored);
    return std::max(last, stored);
}

int64_t AppServer::FirstFreeNumber(const NumberSeries& s, int64_t lastUsed) {
    int64_t next = lastUsed + 1;
    auto series = offers_.find(s.key);
    if (series != offers_.end()) {
        auto& offered = series->second;
        offered.erase(offered.begin(), offered.upper_bound(lastUsed));
        for (auto it = offered.begin(); it != offered.end() && it->first == next; ++it) ++next;
        if (offered.empty()) offers_.erase(series);
    }
    if ((int)std::to_string(next).size() > s.serialDigits)
        throw ServerError("Document type " + s.docType + " has used every number of " +
                          (s.prefix.empty() ? "its range" : s.prefix));
    return next;
}

std::string AppServer::NumberText(const NumberSeries& s, int64_t serial) {
    std::string digits = std::to_string(serial);
    return s.prefix + std::string((size_t)s.serialDigits - digits.size(), '0') + digits;
}

std::string AppServer::NextDocumentNumber(const std::string& table, const std::string& docType,
                                          const std::string& date) {
    NumberSeries s = Series(table, docType, date);
    if (s.manual) return "";
    std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
    TransactionGuard tx(Db());
    int64_t next;
    {
        std::lock_guard<std::mutex> offersLock(offersMutex_);
        next = FirstFreeNumber(s, LastNumberUsed(s));
        // Marked as no one's offer until the stored numbers pass it: another
        // connection must not offer it while this transaction is open.
        offers_[s.key][next] = nullptr;
    }
    Db().Query(
        "INSERT INTO NUMSEQ (SQ001, SQ002, SQ003, SQ004) VALUES (?, ?, ?, ?) "
        "ON CONFLICT (SQ001, SQ002, SQ003) DO UPDATE SET SQ004 = excluded.SQ004",
        {s.table->name, docType, s.prefix, next});
    tx.Commit();
    return NumberText(s, next);
}

std::string AppServer::OfferDocumentNumber(const void* holder, const std::string& table,
                                           const std::string& docType, const std::string& date) {
    NumberSeries s = Series(table, docType, date);
    if (s.manual) return "";
    std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
    std::lock_guard<std::mutex> offersLock(offersMutex_);
    // The holder's earlier offer of this type goes back first: asking again
    // and again holds one number, not one per call.
    auto& mine = holders_[holder];
    const std::string type = s.table->name + "\x1f" + docType;
    auto old = mine.find(type);
    if (old != mine.end()) {
        DropOffer(holder, old->second.first, old->second.second);
        mine.erase(old);
    }
    int64_t next = FirstFreeNumber(s, LastNumberUsed(s));
    offers_[s.key][next] = holder;
    mine[type] = {s.key, next};
    return NumberText(s, next);
}

void AppServer::ReleaseDocumentNumbers(const void* holder) {
    std::lock_guard<std::mutex> offersLock(offersMutex_);
    auto mine = holders_.find(holder);
    if (mine == holders_.end()) return;
    for (auto& [type, offer] : mine->second) DropOffer(holder, offer.first, offer.second);
    holders_.erase(mine);
}

void AppServer::DropOffer(const void* holder, const std::string& seriesKey, int64_t serial) {
    auto series = offers_.find(seriesKey);
    if (series == offers_.end()) return;
    auto it = series->second.find(serial);
    if (it != series->second.end() && it->second == holder) series->second.erase(it);
    if (series->second.empty()) offers_.erase(series);
}

Variant AppServer::SystemParameters() {
    std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
    auto rows = Db().Query("SELECT PM001, PM002 FROM SYSPM ORDER BY PM001");
    Variant out =
        Variant::CreateArray(std::vector<plat::VarArrayBound>{{0, 1}, {0, (int)rows.size() - 1}});
    for (size_t i = 0; i < rows.size(); ++i) {
        out.At(0, (int)i) = rows[i][0];
        out.At(1, (int)i) = rows[i][1];
    }
    return out;
}

std::string AppServer::SystemParameter(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
    return plat::VarToStr(Db().Scalar("SELECT PM002 FROM SYSPM WHERE PM001 = ?", {name}));
}

std::string AppServer::SignOffFolder() {
    {
        std::lock_guard<std::mutex> lock(cacheMutex_);
        if (!signOffFolder_.empty()) return signOffFolder_;
    }
    const char* env = std::getenv("KTRB_SIGNOFF_PAGES");
    if (env && *env) return env;
    const std::string& db = db_->Path();
    if (!db.empty() && db != ":memory:") return db + "-signoff";
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    if (cache && *cache == '/') return std::string(cache) + "/ktrb52-signoff";
    if (home && *home == '/') return std::string(home) + "/.cache/ktrb52-signoff";
    throw ServerError("No folder for the sign-off pages: set KTRB_SIGNOFF_PAGES");
}

void AppServer::SetSignOffFolder(const std::string& path) {
    std::lock_guard<std::mutex> lock(cacheMutex_);
    signOffFolder_ = path;
}

int AppServer::CurrencyDecimals(const std::string& currency, int which) {
    std::lock_guard<std::recursive_mutex> lock(Db().Mutex());
    const char* col = which == 3 ? "MF003" : which == 4 ? "MF004" : which == 5 ? "MF005" : "MF006";
    Variant v =
        Db().Scalar(std::string("SELECT ") + col + " FROM CMSMF WHERE MF001 = ?", {currency});
    if (v.IsEmpty() || v.IsNull()) return which == 3 ? 4 : 2;
    return (int)plat::VarToIntDef(v, 2);
}

int AppServer::QuantityDecimals() {
    int d = plat::StrToIntDef(SystemParameter("sys068"), 3);
    return d < 0 || d > 8 ? 3 : d;
}

}  // namespace standin
