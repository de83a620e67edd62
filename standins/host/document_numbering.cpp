#include "standins/host/document_numbering.h"

#include <cctype>

#include "platform/core/text.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/servers/office_servers.h"
#include "standins/servers/variant_args.h"

namespace standin {

namespace {

bool IsIdentifier(const std::string& s) {
    if (s.empty() || s.size() > 30 || std::isdigit((unsigned char)s[0])) return false;
    for (unsigned char c : s)
        if (!std::isalnum(c) && c != '_') return false;
    return true;
}

std::vector<std::string> SplitFields(const std::string& list) {
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        out.push_back(plat::UpperCase(plat::Trim(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start))));
        if (comma == std::string::npos) return out;
        start = comma + 1;
    }
}

bool IsDateText(const std::string& s) {
    if (s.size() != 8) return false;
    for (char c : s)
        if (!std::isdigit((unsigned char)c)) return false;
    return true;
}

// The declared width of a text column ("NVARCHAR(11)" gives 11), 0 when unknown.
int ColumnWidth(Database& db, const std::string& table, const std::string& column) {
    for (auto& row : db.Query("PRAGMA table_info(" + table + ")")) {
        if (!plat::SameText(ArgText(row[1]), column)) continue;
        const std::string type = ArgText(row[2]);
        size_t open = type.find('('), close = type.find(')');
        if (open == std::string::npos || close == std::string::npos || close <= open + 1) return 0;
        return (int)ArgInt(plat::Variant(type.substr(open + 1, close - open - 1)), 0);
    }
    return -1;  // no such column
}

}  // namespace

bool DatabaseNumbering::NextNumber(const std::string& table, const std::string& keyFields, const plat::Variant& values,
                                   const std::string& date, const std::string& program, const std::string& database,
                                   std::string& number) {
    if (!db_) return false;
    const std::string tbl = plat::UpperCase(plat::Trim(table));
    const std::vector<std::string> fields = SplitFields(keyFields);
    if (!IsIdentifier(tbl) || fields.size() < 2) return false;
    for (auto& f : fields)
        if (!IsIdentifier(f)) return false;
    const std::string numberField = fields.back();
    const std::string docType = plat::Trim(ArgText(ArgItem(values, 0)));
    if (docType.empty()) return false;

    std::lock_guard lock(db_->Mutex());
    auto rule = db_->Query("SELECT MQ004, MQ005, MQ006 FROM CMSMQ WHERE MQ001 = ?1", {docType});
    if (rule.empty()) return false;
    const std::string mode = plat::Trim(ArgText(rule[0][0]));
    const int yearDigits = ArgInt(rule[0][1], 4) == 2 ? 2 : 4;
    const int digits = (int)ArgInt(rule[0][2], 3);
    const std::string day = IsDateText(plat::Trim(date)) ? plat::Trim(date) : TodayText();
    const std::string year = yearDigits == 2 ? day.substr(2, 2) : day.substr(0, 4);
    std::string prefix;
    if (mode == "1") prefix = year + day.substr(4, 4);
    else if (mode == "2") prefix = year + day.substr(4, 2);
    else if (mode != "3") return false;  // by hand, or unknown
    const int width = ColumnWidth(*db_, tbl, numberField);
    if (width < 0 || digits < 1 || digits > 18 || (width > 0 && int(prefix.size()) + digits > width)) return false;

    std::string pattern = prefix;
    for (int i = 0; i < digits; ++i) pattern += "[0-9]";
    std::string where = fields[0] + " = ?1 AND " + numberField + " GLOB ?2";
    std::vector<plat::Variant> params{docType, pattern};
    for (size_t i = 1; i + 1 < fields.size(); ++i) {
        where += " AND " + fields[i] + " = ?" + std::to_string(params.size() + 1);
        params.push_back(ArgText(ArgItem(values, int(i))));
    }

    TransactionGuard txn(*db_);
    const long long issued = ArgInt(db_->Scalar("SELECT SQ004 FROM NUMSEQ WHERE SQ001 = ?1 AND SQ002 = ?2 AND SQ003 = ?3",
                                                {tbl, docType, prefix}), 0);
    const long long existing = ArgInt(db_->Scalar("SELECT MAX(CAST(SUBSTR(" + numberField + ", " +
                                                      std::to_string(prefix.size() + 1) + ") AS INTEGER)) FROM " + tbl +
                                                      " WHERE " + where,
                                                  params), 0);
    long long limit = 1;
    for (int i = 0; i < digits; ++i) limit *= 10;
    const long long next = std::max(issued, existing) + 1;
    if (next >= limit) return false;
    db_->Query("INSERT INTO NUMSEQ (SQ001, SQ002, SQ003, SQ004) VALUES (?1, ?2, ?3, ?4) "
               "ON CONFLICT (SQ001, SQ002, SQ003) DO UPDATE SET SQ004 = excluded.SQ004",
               {tbl, docType, prefix, plat::Variant(next)});
    txn.Commit();
    std::string serial = std::to_string(next);
    number = prefix + std::string(size_t(digits) - serial.size(), '0') + serial;
    return true;
}

}  // namespace standin
