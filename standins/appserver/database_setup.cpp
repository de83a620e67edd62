#include "standins/appserver/database_setup.h"

#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <set>
#include <sstream>

#include "platform/core/text.h"
#include "platform/system/files.h"
#include "standins/appserver/sign_on.h"

namespace standin {

namespace {

// Columns every business table carries (audit and user-defined columns).
struct CommonColumn {
    const char* name;
    const char* type;
};
const CommonColumn kAuditColumns[] = {
    {"COMPANY", "NVARCHAR(10) DEFAULT ''"},
    {"CREATOR", "NVARCHAR(10) DEFAULT ''"},
    {"USR_GROUP", "NVARCHAR(10) DEFAULT ''"},
    {"CREATE_DATE", "NVARCHAR(17) DEFAULT ''"},
    {"MODIFIER", "NVARCHAR(10) DEFAULT ''"},
    {"MODI_DATE", "NVARCHAR(17) DEFAULT ''"},
    {"FLAG", "FLOAT DEFAULT 0"},
};
// Tables of the server's own bookkeeping: no audit or user-defined columns.
const std::set<std::string> kPlainTables = {"NUMSEQ", "DOCUS",    "USRDF",    "USRFM",
                                            "ATTACH", "SVJOBQUE", "QCATALOG", "LOOKUPS",
                                            "ADMNH",  "MSGCHT",   "MSGENG"};

const char* kServerTables = R"SQL(
CREATE TABLE QCATALOG (
  QC001 NVARCHAR(10) NOT NULL,  -- table name
  QC002 NVARCHAR(2) NOT NULL,   -- query number
  QC003 TEXT NOT NULL,          -- SELECT with ? parameters, columns V0/V1..Vn
  QC004 NVARCHAR(200) DEFAULT '',
  PRIMARY KEY (QC001, QC002)
);
CREATE TABLE LOOKUPS (
  LK001 NVARCHAR(10) NOT NULL,  -- kind
  LK002 NVARCHAR(2) NOT NULL,   -- sub-kind
  LK003 TEXT NOT NULL,          -- SELECT
  LK004 TEXT DEFAULT '',        -- display definition
  LK005 TEXT DEFAULT '',        -- display definition, English
  LK006 TEXT DEFAULT '',        -- return fields
  LK007 TEXT DEFAULT '',        -- money fields
  LK008 TEXT DEFAULT '',        -- price fields
  LK009 TEXT DEFAULT '',        -- maps: FIELD TAB shown|value;... lines
  LK010 NVARCHAR(200) DEFAULT '',
  LK011 NVARCHAR(20) DEFAULT '',  -- program whose price and amount rights apply
  LK012 TEXT DEFAULT '',          -- linked programs: program,field,field,key,key;...
  LK013 TEXT DEFAULT '',          -- the host window's search columns: code,name
  PRIMARY KEY (LK001, LK002)
);
CREATE TABLE MSGCHT (
  MS001 NVARCHAR(1) NOT NULL,   -- kind
  MS002 NVARCHAR(7) NOT NULL,   -- code
  MS003 TEXT NOT NULL,          -- text
  PRIMARY KEY (MS001, MS002)
);
CREATE TABLE MSGENG (
  MS001 NVARCHAR(1) NOT NULL,
  MS002 NVARCHAR(7) NOT NULL,
  MS003 TEXT NOT NULL,
  PRIMARY KEY (MS001, MS002)
);
)SQL";

std::string Getenv(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

bool HasSchema(const std::string& dir) {
    return !dir.empty() && plat::FileExists(dir + "/schema.sql");
}

std::string WalkUp(std::string from) {
    while (!from.empty()) {
        if (HasSchema(from + "/standins/data")) return from + "/standins/data";
        size_t slash = from.find_last_of('/');
        if (slash == std::string::npos || slash == 0) break;
        from = from.substr(0, slash);
    }
    return "";
}

std::string ExeFolder() {
    char buf[4096];
    ssize_t n = readlink("/proc/self/exe", buf, sizeof(buf) - 1);
    if (n <= 0) return "";
    std::string p(buf, (size_t)n);
    return p.substr(0, p.find_last_of('/'));
}

std::string CwdFolder() {
    char buf[4096];
    return getcwd(buf, sizeof(buf)) ? std::string(buf) : std::string();
}

std::string CommonColumnsSql() {
    std::string sql;
    for (auto& c : kAuditColumns) sql += std::string(",\n  ") + c.name + " " + c.type;
    for (int i = 1; i <= 12; ++i)
        sql += std::string(",\n  UDF") + (i < 10 ? "0" : "") + std::to_string(i) +
               " NVARCHAR(255) DEFAULT ''";
    for (int i = 51; i <= 62; ++i) sql += ",\n  UDF" + std::to_string(i) + " FLOAT DEFAULT 0";
    return sql;
}

bool StartsWithWord(const std::string& s, size_t pos, const char* word) {
    size_t n = std::char_traits<char>::length(word);
    if (s.size() < pos + n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::toupper((unsigned char)s[pos + i]) != word[i]) return false;
    return true;
}

// Adds the common columns to every CREATE TABLE of the schema text (before
// its table constraints), skipping the bookkeeping tables. Comments are
// dropped on the way.
std::string WithCommonColumns(const std::string& schema) {
    std::string text;  // the schema without "--" comments
    bool quoted = false;
    for (size_t i = 0; i < schema.size(); ++i) {
        char c = schema[i];
        if (c == '\'') quoted = !quoted;
        if (!quoted && c == '-' && i + 1 < schema.size() && schema[i + 1] == '-') {
            while (i < schema.size() && schema[i] != '\n') ++i;
            text += '\n';
            continue;
        }
        text += c;
    }
    const std::string common = CommonColumnsSql();
    std::string out;
    size_t pos = 0;
    for (;;) {
        size_t at = pos;
        while (at < text.size() && !StartsWithWord(text, at, "CREATE TABLE ")) ++at;
        if (at >= text.size()) break;
        size_t open = text.find('(', at);
        std::string name = plat::Trim(text.substr(at + 13, open - at - 13));
        // Scan the body at depth 1 for the first table constraint or the end.
        int depth = 0;
        quoted = false;
        size_t insertAt = std::string::npos;
        size_t i = open;
        for (; i < text.size(); ++i) {
            char c = text[i];
            if (c == '\'') quoted = !quoted;
            if (quoted) continue;
            if (c == '(')
                ++depth;
            else if (c == ')' && --depth == 0)
                break;
            else if (c == ',' && depth == 1 && insertAt == std::string::npos) {
                size_t k = i + 1;
                while (k < text.size() && std::isspace((unsigned char)text[k])) ++k;
                if (StartsWithWord(text, k, "PRIMARY KEY") ||
                    StartsWithWord(text, k, "FOREIGN KEY") || StartsWithWord(text, k, "UNIQUE"))
                    insertAt = i;
            }
        }
        if (insertAt == std::string::npos) insertAt = i;
        out += text.substr(pos, insertAt - pos);
        if (!kPlainTables.count(plat::UpperCase(name))) out += common;
        pos = insertAt;
    }
    out += text.substr(pos);
    return out;
}

std::string Directive(const DataFileEntry& e, const std::string& name) {
    for (auto& d : e.directives)
        if (d.compare(0, name.size(), name) == 0 &&
            (d.size() == name.size() || d[name.size()] == ' '))
            return plat::Trim(d.substr(name.size()));
    return "";
}

void LoadCatalogue(Database& db, const std::string& text) {
    Statement st(db, "INSERT INTO QCATALOG (QC001, QC002, QC003, QC004) VALUES (?, ?, ?, ?)");
    for (auto& e : ParseDataFile(text, "query")) {
        if (e.words.size() != 2) throw SqlError("Catalogue entry without table and query number");
        st.BindAll({e.words[0], e.words[1], e.sql, e.description});
        st.Step();
        st.Reset();
    }
}

void LoadLookups(Database& db, const std::string& text) {
    Statement st(db,
                 "INSERT INTO LOOKUPS (LK001, LK002, LK003, LK004, LK005, LK006, LK007, LK008, "
                 "LK009, LK010, LK011, LK012, LK013) "
                 "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
    for (auto& e : ParseDataFile(text, "lookup")) {
        if (e.words.size() != 2) throw SqlError("Lookup entry without kind and sub-kind");
        std::string maps;
        for (auto& d : e.directives) {
            if (d.compare(0, 4, "map ") != 0) continue;
            std::string rest = plat::Trim(d.substr(4));
            size_t sp = rest.find(' ');
            if (sp == std::string::npos) continue;
            maps += rest.substr(0, sp) + "\t" + plat::Trim(rest.substr(sp + 1)) + "\n";
        }
        st.BindAll({e.words[0], e.words[1], e.sql, Directive(e, "display"),
                    Directive(e, "display-eng"), Directive(e, "return"), Directive(e, "money"),
                    Directive(e, "price"), maps, e.description, Directive(e, "pmid"),
                    Directive(e, "link"), Directive(e, "search")});
        st.Step();
        st.Reset();
    }
}

// A catalogue text as stored: backslash and "n" a line break, a backslash
// before any other character that character.
std::string UnescapeMessage(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            char next = text[++i];
            out += next == 'n' ? '\n' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The server's message tables, from the host's message catalogue file
// (kind, code, arguments, Chinese, English, TAB-separated).
void LoadServerMessages(Database& db, const std::string& text) {
    Statement cht(db, "INSERT OR REPLACE INTO MSGCHT (MS001, MS002, MS003) VALUES (?, ?, ?)");
    Statement eng(db, "INSERT OR REPLACE INTO MSGENG (MS001, MS002, MS003) VALUES (?, ?, ?)");
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> cols;
        std::istringstream row(line);
        for (std::string col; std::getline(row, col, '\t');) cols.push_back(col);
        if (cols.size() < 5) continue;
        cht.BindAll({cols[0], cols[1], UnescapeMessage(cols[3])});
        cht.Step();
        cht.Reset();
        eng.BindAll({cols[0], cols[1], UnescapeMessage(cols[4])});
        eng.Step();
        eng.Reset();
    }
}

std::string ReadData(const std::string& dir, const char* file) {
    return plat::ReadFileBytes(dir + "/" + file);
}

}  // namespace

std::string DataDirectory() {
    std::string dir = Getenv("KTRB_DATA_DIR");
    if (HasSchema(dir)) return dir;
    dir = Getenv("KTRB_SOURCE_DIR");
    if (HasSchema(dir + "/standins/data")) return dir + "/standins/data";
    for (const std::string& from : {ExeFolder(), CwdFolder()}) {
        dir = WalkUp(from);
        if (!dir.empty()) return dir;
    }
    throw plat::EInOutError(
        "The server's data folder (standins/data with schema.sql) was not found; "
        "set KTRB_DATA_DIR");
}

std::vector<DataFileEntry> ParseDataFile(const std::string& text, const std::string& tag) {
    std::vector<DataFileEntry> out;
    std::istringstream in(text);
    std::string line;
    const std::string header = "-- @" + tag + " ";
    bool inEntry = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.compare(0, header.size(), header) == 0) {
            DataFileEntry e;
            std::istringstream words(line.substr(header.size()));
            std::string w;
            for (int i = 0; i < 2 && words >> w; ++i) e.words.push_back(w);
            std::getline(words, e.description);
            e.description = plat::Trim(e.description);
            out.push_back(std::move(e));
            inEntry = true;
        } else if (!inEntry) {
            continue;  // the file's own comments
        } else if (line.compare(0, 4, "-- @") == 0) {
            out.back().directives.push_back(line.substr(4));
        } else if (line.compare(0, 2, "--") != 0) {
            if (!plat::Trim(line).empty()) out.back().sql += line + "\n";
        }
    }
    for (auto& e : out) e.sql = plat::Trim(e.sql);
    return out;
}

void CreateDatabase(Database& db, DemoRows demo, const std::string& dataDir) {
    std::string dir = dataDir.empty() ? DataDirectory() : dataDir;
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    TransactionGuard tx(db);
    db.Exec(WithCommonColumns(ReadData(dir, "schema.sql")));
    db.Exec(kServerTables);
    if (demo != DemoRows::Without) db.Exec(ReadData(dir, "demo.sql"));
    if (demo == DemoRows::Quarter) db.Exec(ReadData(dir, "quarter.sql"));
    LoadCatalogue(db, ReadData(dir, "catalogue.sql"));
    LoadLookups(db, ReadData(dir, "lookups.sql"));
    LoadServerMessages(db, ReadData(dir, "messages/messages.tsv"));
    HashStoredPasswords(db);
    tx.Commit();
}

// The query catalogue and the lookup definitions are the server's own, made
// from the data files: a file made by an older build gets them afresh, so it
// never answers with definitions its code no longer reads.
// Rows of one table in stored order, each value with its stored type.
static std::vector<std::vector<plat::Variant>> StoredRows(Database& db, const std::string& table) {
    return db.Query("SELECT * FROM \"" + table + "\" ORDER BY rowid");
}

static bool SameRows(const std::vector<std::vector<plat::Variant>>& a,
                     const std::vector<std::vector<plat::Variant>>& b) {
    if (a.size() != b.size()) return false;
    for (size_t r = 0; r < a.size(); ++r) {
        if (a[r].size() != b[r].size()) return false;
        for (size_t c = 0; c < a[r].size(); ++c)
            if (a[r][c].Type() != b[r][c].Type() || a[r][c] != b[r][c]) return false;
    }
    return true;
}

// The table's CREATE text as the file keeps it; empty when there is none.
static std::string CreateText(Database& db, const std::string& type, const std::string& name) {
    return plat::VarToStr(
        db.Scalar("SELECT sql FROM sqlite_master WHERE type = ? AND name = ?", {type, name}));
}

static void RefreshServerDefinitions(Database& db) {
    const std::string dir = DataDirectory();
    // Made in memory first: a file that already holds them as they are is
    // not written, which keeps the start quick.
    Database fresh(":memory:");
    fresh.Exec(kServerTables);
    LoadCatalogue(fresh, ReadData(dir, "catalogue.sql"));
    LoadLookups(fresh, ReadData(dir, "lookups.sql"));
    LoadServerMessages(fresh, ReadData(dir, "messages/messages.tsv"));
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    bool same = true;
    for (const char* table : {"QCATALOG", "LOOKUPS", "MSGCHT", "MSGENG"})
        same = same && CreateText(db, "table", table) == CreateText(fresh, "table", table) &&
               SameRows(StoredRows(db, table), StoredRows(fresh, table));
    if (same) return;
    TransactionGuard tx(db);
    db.Exec(
        "DROP TABLE IF EXISTS QCATALOG; DROP TABLE IF EXISTS LOOKUPS; "
        "DROP TABLE IF EXISTS MSGCHT; DROP TABLE IF EXISTS MSGENG;");
    db.Exec(kServerTables);
    LoadCatalogue(db, ReadData(dir, "catalogue.sql"));
    LoadLookups(db, ReadData(dir, "lookups.sql"));
    LoadServerMessages(db, ReadData(dir, "messages/messages.tsv"));
    tx.Commit();
}

// A file made by an older build gains the tables and columns this build's
// schema added (empty, with their defaults); its rows are left as they are.
static void AddMissingSchema(Database& db) {
    Database fresh(":memory:");
    fresh.Exec(WithCommonColumns(ReadData(DataDirectory(), "schema.sql")));
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    TransactionGuard tx(db);
    for (const auto& table :
         fresh.Query("SELECT name, sql FROM sqlite_master WHERE type = 'table'")) {
        const std::string name = table[0].AsString();
        // The same CREATE text: the same columns, nothing to add.
        if (CreateText(db, "table", name) == table[1].AsString()) continue;
        if (!db.TableExists(name)) {
            db.Exec(table[1].AsString());
            continue;
        }
        std::set<std::string> have;
        for (const auto& col : db.Query("SELECT name FROM pragma_table_info(?)", {table[0]}))
            have.insert(plat::UpperCase(col[0].AsString()));
        for (const auto& col :
             fresh.Query("SELECT name, type, dflt_value FROM pragma_table_info(?)", {table[0]})) {
            const std::string column = col[0].AsString();
            if (have.count(plat::UpperCase(column))) continue;
            std::string add =
                "ALTER TABLE \"" + name + "\" ADD COLUMN \"" + column + "\" " + col[1].AsString();
            if (!col[2].IsNull()) add += " DEFAULT " + col[2].AsString();
            db.Exec(add);
        }
    }
    for (const auto& view :
         fresh.Query("SELECT name, sql FROM sqlite_master WHERE type = 'view'")) {
        if (CreateText(db, "view", view[0].AsString()) == view[1].AsString()) continue;
        db.Exec("DROP VIEW IF EXISTS \"" + view[0].AsString() + "\"");
        db.Exec(view[1].AsString());
    }
    tx.Commit();
}

std::unique_ptr<Database> OpenServerDatabase(const std::string& path, DemoRows demo) {
    if (path != ":memory:") {
        auto db = std::make_unique<Database>(path);
        if (!db->TableExists("MOCTH")) {
            CreateDatabase(*db, demo);
            return db;
        }
        AddMissingSchema(*db);
        RefreshServerDefinitions(*db);
        if (db->Query("SELECT 1 FROM pragma_table_info('ADMMF') WHERE name = 'MF006'").empty()) {
            // A file from before passwords were kept: its users are the demo
            // rows, and get the demo password.
            db->Exec("ALTER TABLE ADMMF ADD COLUMN MF006 NVARCHAR(255) DEFAULT ''");
            db->Query(
                "UPDATE ADMMF SET MF006 = ? WHERE MF001 IN ('DS', 'ZHANGW', 'LIMEI', 'WANGQ')",
                {CipherPassword(kDemoPassword)});
        }
        // A file from before companies were kept serves the demo company.
        if (db->Scalar("SELECT 1 FROM ADMCO").IsEmpty())
            db->Exec("INSERT INTO ADMCO (CO001, CO002) VALUES ('DEMO', '演示公司')");
        HashStoredPasswords(*db);
        return db;
    }
    // Building the tables takes a while; a template per kind is built once
    // and copied into each new in-memory database.
    static std::mutex mutex;
    static std::unique_ptr<Database> templates[3];
    std::lock_guard<std::mutex> lock(mutex);
    auto& tpl = templates[static_cast<int>(demo)];
    if (!tpl) {
        auto fresh = std::make_unique<Database>(":memory:");
        CreateDatabase(*fresh, demo);
        tpl = std::move(fresh);
    }
    auto db = std::make_unique<Database>(":memory:");
    std::lock_guard<std::recursive_mutex> l1(tpl->Mutex());
    sqlite3_backup* b = sqlite3_backup_init(db->Handle(), "main", tpl->Handle(), "main");
    if (!b) db->Raise("Cannot copy the template database");
    sqlite3_backup_step(b, -1);
    if (sqlite3_backup_finish(b) != SQLITE_OK) db->Raise("Cannot copy the template database");
    return db;
}

}  // namespace standin
