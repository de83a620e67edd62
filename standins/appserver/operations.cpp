// The operations called by name through the counter ("SimpleSQL",
// "UnitConvert", ...), computed from the data.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "standins/appserver/mini_xml.h"
#include "standins/appserver/private_folder.h"
#include "standins/appserver/session.h"

namespace standin {

using plat::Variant;
using plat::VarToStr;

namespace {

using Args = std::vector<Variant>;

// A query by name answers a handful of rows; this many is a runaway.
constexpr size_t kMaxQueryRows = 1000000;

double Num(const Args& a, size_t i) {
    return i < a.size() ? plat::VarToFloatDef(a[i], 0) : 0;
}
std::string Text(const Args& a, size_t i) {
    return i < a.size() && !a[i].IsArray() ? plat::Trim(VarToStr(a[i])) : "";
}

// A rate given as a fraction (0.13) or as a percentage (13).
double Fraction(double rate) {
    return rate > 1 ? rate / 100.0 : rate;
}

bool TaxIncluded(const std::string& kind) {
    return kind == "1" || plat::SameText(kind, "Y");
}

std::string NowStamp() {  // "YYYYMMDDhhnnsszzz", the audit columns' layout
    std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[24];
    std::strftime(buf, sizeof buf, "%Y%m%d%H%M%S000", &tm);
    return buf;
}

std::vector<std::string> SplitList(const std::string& s) {
    std::vector<std::string> out;
    size_t b = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == ',') {
            std::string part = plat::Trim(s.substr(b, i - b));
            if (!part.empty()) out.push_back(part);
            b = i + 1;
        }
    }
    return out;
}

}  // namespace

const std::vector<AppSession::OperationEntry>& AppSession::Operations() {
    static const std::vector<OperationEntry> ops = {
        {"SimpleSQL", 2, &AppSession::SimpleSql},
        {"TransactionSQL", 1, &AppSession::TransactionSql},
        {"UnitConvert", 3, &AppSession::UnitConvert},
        {"MocUnitPrice", 10, &AppSession::MocUnitPrice},
        {"MocOnHold", 5, &AppSession::MocOnHoldQty},
        {"MocOnHoldpack", 5, &AppSession::MocOnHoldPack},
        {"ChangeTax", 5, &AppSession::ChangeTax},
        {"ExchangeRate", 3, &AppSession::ExchangeRate},
        {"QueryUDFData", 1, &AppSession::QueryUdfData},
        {"QtyDToS", 5, &AppSession::QtyDToS},
        {"QtyAdd", 2, &AppSession::QtyAdd},
        {"KeyinMoney", 19, &AppSession::KeyinMoney},
        {"INSERTSVJOB", 1, &AppSession::InsertSvJob},
        {"GetSVApprove", 3, &AppSession::GetSvApprove},
        {"CallWebService", 3, &AppSession::CallWebService},
        {"SVFinishJob", 4, &AppSession::FinishSvJob},
        {"GetUserDefine", 4, &AppSession::GetUserDefine},
        {"SetUserDefine", 5, &AppSession::SetUserDefine},
    };
    return ops;
}

std::vector<std::string> AppSession::OperationNames() {
    std::vector<std::string> out;
    for (auto& op : Operations()) out.push_back(op.name);
    return out;
}

Variant AppSession::CallOperation(const std::string& name, const Variant& args) {
    for (auto& op : Operations()) {
        if (!plat::SameText(op.name, plat::Trim(name))) continue;
        Args a = ArrayItems(args);
        if (!args.IsArray() && op.minArgs > 0)
            throw ServerError(std::string(op.name) + " takes an array of arguments");
        if (a.size() < op.minArgs)
            throw ServerError(std::string(op.name) + " needs " + std::to_string(op.minArgs) +
                              " arguments, got " + std::to_string(a.size()));
        return (this->*op.fn)(a);
    }
    throw ServerError("Unknown operation \"" + name + "\"");
}

std::vector<std::vector<Variant>> AppSession::ReadOnlyQuery(const std::string& sql,
                                                            const Args& params,
                                                            std::vector<std::string>* columnNames) {
    std::string translated = server_->Translate(sql);
    std::string kw = FirstKeyword(translated);
    if (kw != "SELECT" && kw != "WITH" && kw != "VALUES")
        throw ServerError("Only queries are run here; a statement beginning with \"" + kw +
                          "\" is refused");
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    Statement st = [&] {
        ClientSqlScope scope(db, server_->ClientPolicy());
        return Statement(db, translated);
    }();
    if (!st.IsReadOnly())
        throw ServerError("Only queries are run here; a statement that changes data is refused");
    for (int i = 1; i <= st.ParameterCount(); ++i)
        st.Bind(i, i <= (int)params.size() ? params[i - 1] : Variant(""));
    if (columnNames)
        for (int i = 0; i < st.ColumnCount(); ++i)
            columnNames->push_back(plat::UpperCase(st.ColumnName(i)));
    return ReadClientQuery(*server_, st, kMaxQueryRows);
}

Variant AppSession::SimpleSql(const Args& a) {
    std::string sql = VarToStr(a[0]);
    if (plat::Trim(sql).empty()) throw ServerError("SimpleSQL got an empty statement");
    std::vector<std::string> names;
    auto rows = ReadOnlyQuery(sql, {}, &names);
    // The values of each row in the order of the caller's column list.
    std::vector<int> index;
    std::vector<std::string> wanted = SplitList(VarToStr(a[1]));
    if (wanted.empty()) {
        for (size_t i = 0; i < names.size(); ++i) index.push_back((int)i);
    }
    for (auto& w : wanted) {
        std::string col = plat::UpperCase(w);
        size_t dot = col.rfind('.');
        if (dot != std::string::npos) col = col.substr(dot + 1);
        auto it = std::find(names.begin(), names.end(), col);
        if (it == names.end()) throw ServerError("SimpleSQL: the statement gives no column " + w);
        index.push_back((int)(it - names.begin()));
    }
    if (rows.empty()) return Variant();
    std::vector<Variant> out;
    out.reserve(rows.size());
    for (auto& r : rows) {
        std::vector<Variant> row;
        for (int i : index) row.push_back(r[(size_t)i]);
        out.push_back(Variant::ArrayOf(std::move(row)));
    }
    return Variant::ArrayOf(std::move(out));
}

namespace {

// The words of a statement up to its WHERE, upper case; false when it has
// anything else before the WHERE.
bool ReadHead(const std::string& sql, std::vector<std::string>& words, std::string& rest) {
    size_t i = 0;
    while (words.size() < 4) {
        while (i < sql.size() && std::isspace((unsigned char)sql[i])) ++i;
        size_t b = i;
        while (i < sql.size() &&
               (std::isalnum((unsigned char)sql[i]) || sql[i] == '_' || sql[i] == '$'))
            ++i;
        if (b == i) return false;
        words.push_back(plat::UpperCase(sql.substr(b, i - b)));
    }
    rest = sql.substr(i);
    return true;
}

}  // namespace

// [[statement, ...], ""]: only the statements the module itself sends, each
// recognised whole and run as the server's own statement with its values
// bound: the attachment rows of a document this session's program and
// company deleted. Nothing else is written through here: not the users,
// the rights, other users' settings or the sign-off tables.
Variant AppSession::TransactionSql(const Args& a) {
    std::vector<Variant> statements = ArrayItems(a[0]);
    if (statements.empty()) throw ServerError("TransactionSQL got no statement");
    struct Delete {
        std::string program, company, key;
    };
    std::vector<Delete> deletes;
    for (auto& s : statements) {
        const std::string sql = s.IsArray() ? std::string() : VarToStr(s);
        const std::string refused =
            "TransactionSQL runs only the module's own statement \"DELETE FROM ATTACH WHERE "
            "Parent = ... AND CompanyID = ... AND KeyValues = ...\"; refused: " +
            sql.substr(0, 200);
        std::vector<std::string> words;
        std::string rest;
        std::vector<std::pair<std::string, std::string>> terms;
        if (!ReadHead(sql, words, rest) || words[0] != "DELETE" || words[1] != "FROM" ||
            (words[2] != "ATTACH" && words[2] != "$$ATTACH") || words[3] != "WHERE" ||
            !ReadKeyTerms(" and " + rest, terms) || terms.size() != 3)
            throw ServerError(refused);
        Delete d;
        const std::pair<const char*, std::string*> fields[] = {
            {"Parent", &d.program}, {"CompanyID", &d.company}, {"KeyValues", &d.key}};
        for (size_t i = 0; i < 3; ++i) {
            if (!plat::SameText(terms[i].first, fields[i].first)) throw ServerError(refused);
            *fields[i].second = terms[i].second;
        }
        if (!plat::SameText(d.program, program_) || d.company != company_)
            throw ServerError("TransactionSQL: the attachments of program " + d.program +
                              " of company " + d.company + " are not this session's");
        deletes.push_back(d);
    }
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    TransactionGuard tx(db);
    StepBudget budget(db, server_->QueryStepLimit(), server_->WriteTimeLimit());
    for (auto& d : deletes)
        db.Query("DELETE FROM ATTACH WHERE Parent = ? AND CompanyID = ? AND KeyValues = ?",
                 {d.program, d.company, d.key});
    if (ClientGone())
        throw ServerError(
            "The client left before its statements were committed; nothing was saved");
    tx.Commit();
    return Variant("");
}

double AppSession::StockFactor(const std::string& item, const std::string& unit, bool& known) {
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    known = true;
    auto stock = db.Query(
        "SELECT MB004 FROM INVMB WHERE MB001 = ? UNION ALL SELECT MI004 FROM BOMMI WHERE MI001 = ?",
        {item, item});
    if (unit.empty() || (!stock.empty() && VarToStr(stock[0][0]) == unit)) return 1.0;
    auto conv =
        db.Query("SELECT MD003, MD004 FROM INVMD WHERE MD001 = ? AND MD002 = ?", {item, unit});
    if (!conv.empty() && conv[0][0].AsFloat() != 0)
        return conv[0][1].AsFloat() / conv[0][0].AsFloat();
    known = false;
    return 0;
}

double AppSession::Convert(const std::string& item, double qty, const std::string& from,
                           const std::string& to, bool& ok) {
    ok = true;
    if (from == to) return qty;
    bool k1, k2;
    double f = StockFactor(item, from, k1), t = StockFactor(item, to, k2);
    ok = k1 && k2 && t != 0;
    return ok ? RoundHalfAway(qty * f / t, server_->QuantityDecimals()) : qty;
}

// [item, quantity, from unit, to unit (empty: the stock unit)] -> [quantity];
// Empty when the item has no conversion between the units.
Variant AppSession::UnitConvert(const Args& a) {
    bool ok;
    double q = Convert(Text(a, 0), Num(a, 1), Text(a, 2), Text(a, 3), ok);
    return ok ? plat::VarArrayOf({q}) : Variant();
}

// [item, quantity, 0, from unit, to unit] -> the quantity in the other unit.
Variant AppSession::QtyDToS(const Args& a) {
    bool ok;
    return Variant(Convert(Text(a, 0), Num(a, 1), Text(a, 3), Text(a, 4), ok));
}

// [item, quantity, unit, ""] -> the quantity in the item's stock unit.
Variant AppSession::QtyAdd(const Args& a) {
    bool ok;
    return Variant(Convert(Text(a, 0), Num(a, 1), Text(a, 2), "", ok));
}

double AppSession::Rate(const std::string& currency, const std::string& kind,
                        const std::string& date) {
    if (currency.empty() || currency == server_->SystemParameter("SYS003")) return 1.0;
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    const char* col = plat::SameText(kind, "I") ? "MG003" : "MG004";
    Variant v =
        db.Scalar(std::string("SELECT ") + col +
                      " FROM CMSMG WHERE MG001 = ? AND MG002 <= ? ORDER BY MG002 DESC LIMIT 1",
                  {currency, date.empty() ? TodayText() : date});
    return v.IsEmpty() || v.IsNull() ? 0.0 : v.AsFloat();
}

// [currency, "O" (selling) or "I" (buying), date] -> local units per unit of the currency; 0
// unknown.
Variant AppSession::ExchangeRate(const Args& a) {
    return Variant(Rate(Text(a, 0), Text(a, 1), Text(a, 2)));
}

// [price, tax kind wanted, tax kind of the price, currency, tax rate]: a kind
// "1" or "Y" includes the tax.
Variant AppSession::ChangeTax(const Args& a) {
    double price = Num(a, 0), rate = Fraction(Num(a, 4));
    bool to = TaxIncluded(Text(a, 1)), from = TaxIncluded(Text(a, 2));
    if (to && !from)
        price *= 1 + rate;
    else if (!to && from && rate > -1)
        price /= 1 + rate;
    std::string currency = Text(a, 3);
    return Variant(RoundHalfAway(price, server_->CurrencyDecimals(currency, 3)));
}

// [item, process, supplier, pricing unit, currency, date, tax kind, "", "", tax rate]:
// the supplier's price of the item (else the last confirmed work order's),
// in the receipt's currency, pricing unit and tax kind.
Variant AppSession::MocUnitPrice(const Args& a) {
    std::string item = Text(a, 0), process = Text(a, 1), supplier = Text(a, 2), unit = Text(a, 3);
    std::string currency = Text(a, 4), date = Text(a, 5), taxKind = Text(a, 6);
    double rate = Fraction(Num(a, 9));
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    double price = 0;
    bool included = false;
    std::string priceCurrency = currency, priceUnit = unit;
    auto terms = db.Query(
        "SELECT MD005, MA021 FROM PURMD JOIN PURMA ON MA001 = MD001 WHERE MD001 = ? AND MD002 = ? "
        "AND MD003 IN (?, '****') ORDER BY CASE WHEN MD003 = ? THEN 0 ELSE 1 END LIMIT 1",
        {supplier, item, process.empty() ? "****" : process, process});
    if (!terms.empty()) {
        price = terms[0][0].AsFloat();
        priceCurrency = VarToStr(terms[0][1]);
        priceUnit = VarToStr(db.Scalar("SELECT MB149 FROM INVMB WHERE MB001 = ?", {item}));
    } else {
        auto wo = db.Query(
            "SELECT TA022, TA042, TA054, TA053, TA046 FROM MOCTA WHERE TA006 = ? AND TA032 = ? "
            "AND TA013 = 'Y' ORDER BY TA003 DESC, TA002 DESC LIMIT 1",
            {item, supplier});
        if (wo.empty()) return Variant(0.0);
        price = wo[0][0].AsFloat();
        priceCurrency = VarToStr(wo[0][1]);
        included = TaxIncluded(VarToStr(wo[0][2]));
        if (included) price /= 1 + Fraction(wo[0][3].AsFloat());
        priceUnit = VarToStr(wo[0][4]);
    }
    if (!priceUnit.empty() && !unit.empty() && priceUnit != unit) {
        bool k1, k2;
        double f = StockFactor(item, unit, k1), p = StockFactor(item, priceUnit, k2);
        if (k1 && k2 && p != 0) price = price * f / p;
    }
    if (priceCurrency != currency) {
        double from = Rate(priceCurrency, "O", date), to = Rate(currency, "O", date);
        if (from > 0 && to > 0) price = price * from / to;
    }
    if (TaxIncluded(taxKind)) price *= 1 + rate;
    return Variant(RoundHalfAway(price, server_->CurrencyDecimals(currency, 3)));
}

// [item, "", "N", work-order type, number]: what unconfirmed receipts have
// taken of the work order and the order has not booked yet.
Variant AppSession::MocOnHold(const Args& a, bool packages) {
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    std::string col = packages ? "TI016" : "TI007";
    Variant sum =
        db.Scalar("SELECT IFNULL(SUM(" + col +
                      "), 0) FROM MOCTI JOIN MOCTH ON TH001 = TI001 AND TH002 = TI002 "
                      "WHERE TI013 = ? AND TI014 = ? AND TI037 <> 'Y' AND TH023 NOT IN ('Y', 'V') "
                      "AND (? = '' OR TI004 = ?)",
                  {Text(a, 3), Text(a, 4), Text(a, 0), Text(a, 0)});
    double q = plat::VarToFloatDef(sum, 0);
    return packages ? plat::VarArrayOf({q}) : Variant(q);
}

// [query, "", company database, "N", source values]: the query of a field
// rule, its parameters bound to the source values -> [[value]].
Variant AppSession::QueryUdfData(const Args& a) {
    std::string sql = VarToStr(a[0]);
    if (plat::Trim(sql).empty()) return Variant();
    auto rows = ReadOnlyQuery(sql, a.size() > 4 ? ArrayItems(a[4]) : Args{}, nullptr);
    if (rows.empty() || rows[0].empty()) return Variant();
    return plat::VarArrayOf({plat::VarArrayOf({rows[0][0]})});
}

// ["2", TI001, TI002, TI003, TI020, TI024, TI025, TI026, TI027, TI028, TI033,
//  "", TI023, group, user, TI044, TI045, TI046, TI047]: amounts of a
// confirmed line. "N" when the line is not confirmed or already invoiced.
Variant AppSession::KeyinMoney(const Args& a) {
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    TransactionGuard tx(db);
    auto line =
        db.Query("SELECT TI037, TI038 FROM MOCTI WHERE TI001 = ? AND TI002 = ? AND TI003 = ?",
                 {Text(a, 1), Text(a, 2), Text(a, 3)});
    if (line.empty() || VarToStr(line[0][0]) != "Y" || VarToStr(line[0][1]) == "Y")
        return Variant("N");
    db.Query(
        "UPDATE MOCTI SET TI020 = ?, TI024 = ?, TI025 = ?, TI026 = ?, TI027 = ?, TI028 = ?, TI033 "
        "= ?, TI023 = ?, "
        "TI044 = ?, TI045 = ?, TI046 = ?, TI047 = ?, MODIFIER = ?, MODI_DATE = ?, FLAG = FLAG + 1 "
        "WHERE TI001 = ? AND TI002 = ? AND TI003 = ?",
        {Num(a, 4), Num(a, 5), Num(a, 6), Num(a, 7), Num(a, 8), Text(a, 9), Text(a, 10),
         Text(a, 12), Num(a, 15), Num(a, 16), Num(a, 17), Num(a, 18), Text(a, 14), NowStamp(),
         Text(a, 1), Text(a, 2), Text(a, 3)});
    db.Query(
        "UPDATE MOCTH SET (TH018, TH019, TH021, TH027, TH020, TH031, TH032) = "
        "(SELECT SUM(TI025), SUM(TI026), SUM(TI027), SUM(TI044), SUM(TI045), SUM(TI046), "
        "SUM(TI047) FROM MOCTI "
        "WHERE TI001 = TH001 AND TI002 = TH002), MODIFIER = ?, MODI_DATE = ?, FLAG = FLAG + 1 "
        "WHERE TH001 = ? AND TH002 = ?",
        {Text(a, 14), NowStamp(), Text(a, 1), Text(a, 2)});
    tx.Commit();
    return Variant("Y");
}

namespace {

// A job's print images: all pages' bytes one after another (a byte array)
// and their sizes joined by ";". False for anything else: a size that is not
// a number, sizes that do not add up to the bytes, a value that is not a
// byte, more than the server keeps. The pages are views into the array's
// own packed bytes, or into `unpacked` when the array holds a variant a
// byte: a job's pictures are megabytes, and a copy of each would double
// them while they are stored.
bool SplitJobImages(const Variant& bytes, const std::string& sizes, std::string& unpacked,
                    std::vector<std::string_view>& images) {
    constexpr size_t kMaxBytes = size_t(64) << 20, kMaxImages = 1000;
    images.clear();
    if (!bytes.IsArray() || bytes.DimCount() != 1) return false;
    const std::string* packed = bytes.PackedBytes();
    const std::vector<Variant>* items = packed ? nullptr : &bytes.Items();
    const size_t count = packed ? packed->size() : items->size();
    if (count > kMaxBytes) return false;
    std::vector<size_t> lengths;
    size_t total = 0;
    for (size_t at = 0; at <= sizes.size();) {
        size_t end = sizes.find(';', at);
        if (end == std::string::npos) end = sizes.size();
        const std::string n = sizes.substr(at, end - at);
        if (n.empty() || n.size() > 9 || n.find_first_not_of("0123456789") != std::string::npos ||
            lengths.size() == kMaxImages)
            return false;
        lengths.push_back(std::stoul(n));
        total += lengths.back();
        at = end + 1;
    }
    if (total != count) return false;
    if (!packed) {
        unpacked.assign(count, '\0');
        for (size_t i = 0; i < count; ++i) {
            const Variant& v = (*items)[i];
            if (!v.IsOrdinal() || v.IsArray() || v.RawInt() < 0 || v.RawInt() > 255) return false;
            unpacked[i] = char(v.RawInt());
        }
    }
    const std::string_view all = packed ? std::string_view(*packed) : std::string_view(unpacked);
    size_t at = 0;
    for (size_t length : lengths) {
        images.push_back(all.substr(at, length));
        at += length;
    }
    return true;
}

}  // namespace

// [[company, program, key text, user, job, ..., (image bytes, image sizes,)
// queue prefix]]: 0 queued, 1 already queued, 2 not a job this server can
// queue. The images are kept with the document's sign-off record. The job's elements 3 (the
// document's condition), 6 (the action code) and 13 (the person concerned)
// start the document's sign-off record, which the status and opinion
// requests read and SVFinishJob completes.
Variant AppSession::InsertSvJob(const Args& a) {
    Args item = ArrayItems(a[0]);
    if (item.size() < 5 || Text(item, 0).empty() || Text(item, 1).empty()) return Variant(2);
    Args values = ArrayItems(item[4]);
    std::string unpacked;
    std::vector<std::string_view> images;
    if (item.size() >= 14 && !SplitJobImages(item[11], Text(item, 12), unpacked, images))
        return Variant(2);
    std::string job;
    for (auto& v : values)
        job += (job.empty() ? "" : "\t") + (v.IsArray() ? std::string("[...]") : VarToStr(v));
    const std::string company = Text(item, 0), program = Text(item, 1), key = Text(item, 2);
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    if (!db.Scalar("SELECT 1 FROM SVJOBQUE WHERE SV001 = ? AND SV002 = ? AND SV003 = ?",
                   {company, program, key})
             .IsEmpty())
        return Variant(1);
    TransactionGuard tx(db);
    const std::string now = NowStamp().substr(0, 14);
    db.Query(
        "INSERT INTO SVJOBQUE (SV001, SV002, SV003, SV004, SV005, SV006, SV007) VALUES (?, ?, ?, "
        "?, ?, ?, 'N')",
        {company, program, key, Text(item, 3), now, job});
    std::string person = Text(values, 13);
    if (person.empty()) person = Text(item, 3);
    db.Query(
        "INSERT OR REPLACE INTO SVJOBAP (AP001, AP002, AP003, AP004, AP005, AP006, AP007, AP008, "
        "AP009, AP010) VALUES (?, ?, ?, ?, ?, '', ?, '', ?, '')",
        {company, program, key, values.size() > 3 ? VarToStr(values[3]) : std::string(),
         Text(values, 6), person, now});
    // The opinion page is found by form and sheet, the key values in ME002..ME006.
    std::vector<std::string> keys(5);
    size_t at = 0, k = 0;
    while (k < 5) {
        size_t sep = key.find("||", at);
        if (k == 4 || sep == std::string::npos) {
            keys[k] = key.substr(at);
            break;
        }
        keys[k++] = key.substr(at, sep - at);
        at = sep + 2;
    }
    const std::string reply = "<Response><ResponseContent><ContentText><Form><TargetFormID>" +
                              XmlEscape(program) + "</TargetFormID><TargetSheetNo>" +
                              XmlEscape(key) +
                              "</TargetSheetNo></Form></ContentText></ResponseContent></Response>";
    db.Query(
        "INSERT OR REPLACE INTO SVSME (ME001, ME002, ME003, ME004, ME005, ME006, ME007) "
        "VALUES (?, ?, ?, ?, ?, ?, ?)",
        {program, keys[0], keys[1], keys[2], keys[3], keys[4], reply});
    db.Query("DELETE FROM SVJOBIMG WHERE IM001 = ? AND IM002 = ? AND IM003 = ?",
             {company, program, key});
    if (!images.empty()) {
        Statement insert(
            db, "INSERT INTO SVJOBIMG (IM001, IM002, IM003, IM004, IM005) VALUES (?, ?, ?, ?, ?)");
        for (size_t i = 0; i < images.size(); ++i) {
            insert.BindAll({company, program, key, int(i + 1)});
            insert.BindTextInPlace(5, images[i]);
            insert.Step();
            insert.Reset();
        }
    }
    tx.Commit();
    return Variant(0);
}

namespace {

std::string Element(const std::string& name, const std::string& value) {
    return "<" + name + ">" + XmlEscape(value) + "</" + name + ">";
}

// The text between the first <name> and the following </name>.
std::string Between(const std::string& text, const std::string& name) {
    const std::string open = "<" + name + ">", close = "</" + name + ">";
    size_t b = text.find(open);
    if (b == std::string::npos) return "";
    b += open.size();
    size_t e = text.find(close, b);
    return e == std::string::npos ? "" : text.substr(b, e - b);
}

const char* ResultText(const std::string& result) {
    if (result == "Y") return "核准";
    if (result == "N") return "退回";
    return "签核中";
}

// A file name from any text: letters, digits, '-' and '_' kept.
std::string SafeName(const std::string& text) {
    std::string out;
    for (unsigned char c : text) out += std::isalnum(c) || c == '-' || c == '_' ? char(c) : '_';
    return out.substr(0, 120);
}

// The document's sign-off records: action, result, recipient and name,
// approver and name, receive and approve time.
std::vector<std::vector<Variant>> SignOffRecords(Database& db, const std::string& where,
                                                 const std::vector<Variant>& params) {
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    return db.Query(
        "SELECT AP005, AP006, AP007, IFNULL(U1.MF002, ''), AP008, IFNULL(U2.MF002, ''), AP009, "
        "AP010 FROM SVJOBAP LEFT JOIN ADMMF U1 ON U1.MF001 = AP007 "
        "LEFT JOIN ADMMF U2 ON U2.MF001 = AP008 WHERE " +
            where,
        params);
}

}  // namespace

// [url, service, request XML, "N"]: the opinion page of the document named
// by the request's form and sheet, written as a local HTML file; the reply
// carries its URL.
Variant AppSession::CallWebService(const Args& a) {
    const std::string request = Text(a, 2);
    if (Between(request, "RequestMethod") != "GetApproveOpinion")
        throw ServerError("CallWebService: unknown request");
    const std::string form = Between(request, "TargetFormID");
    const std::string sheet = Between(request, "TargetSheetNo");
    auto rows = SignOffRecords(server_->Db(), "AP002 = ? AND AP003 = ?", {form, sheet});
    std::string html =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>签核意见</title></head><body>"
        "<h3>" +
        XmlEscape(form + " " + sheet) +
        "</h3><table border=\"1\"><tr><th>签核状态</th><th>收件者</th><th>签核者</th>"
        "<th>要求时间</th><th>签核时间</th></tr>";
    for (auto& r : rows)
        html += "<tr><td>" + std::string(ResultText(VarToStr(r[1]))) + "</td><td>" +
                XmlEscape(VarToStr(r[2]) + " " + VarToStr(r[3])) + "</td><td>" +
                XmlEscape(VarToStr(r[4]) + " " + VarToStr(r[5])) + "</td><td>" +
                XmlEscape(VarToStr(r[6])) + "</td><td>" + XmlEscape(VarToStr(r[7])) + "</td></tr>";
    html += "</table>";
    PrivateFolder dir(server_->SignOffFolder());
    const std::string stem = SafeName(form + "-" + sheet);
    // The document's print images, kept with its job, beside the page.
    std::vector<std::vector<Variant>> images;
    {
        std::lock_guard<std::recursive_mutex> lock(server_->Db().Mutex());
        images = server_->Db().Query(
            "SELECT IM004, IM005 FROM SVJOBIMG WHERE IM002 = ? AND IM003 = ? ORDER BY IM004",
            {form, sheet});
    }
    for (auto& image : images) {
        // The page number comes from a table: it names a file only as a number.
        if (!image[0].IsOrdinal())
            throw ServerError("CallWebService: page \"" + VarToStr(image[0]) +
                              "\" of the document's images is no number");
        const std::string bytes = VarToStr(image[1]);
        const char* ext = bytes.rfind("\xff\xd8", 0) == 0 ? ".jpg" : ".gif";
        const std::string name = stem + "-" + std::to_string(image[0].AsInt64()) + ext;
        dir.Write(name, bytes);
        html += "<p><img src=\"" + XmlEscape(name) + "\" alt=\"" + XmlEscape(name) + "\"></p>";
    }
    html += "</body></html>";
    dir.Write(stem + ".html", html);
    return Variant("<Response><ResponseContent><ContentText>" +
                   Element("URL", "file://" + dir.PathOf(stem + ".html")) +
                   "</ContentText></ResponseContent></Response>");
}

// [user, flow, document condition, code page]: the approval status of the
// document's last sign-off, one pass and branch, one person.
Variant AppSession::GetSvApprove(const Args& a) {
    auto rows =
        SignOffRecords(server_->Db(), "AP004 = ?", {a.size() > 2 ? VarToStr(a[2]) : std::string()});
    if (rows.empty())
        return Variant("<RetVal><ApproveInfo></ApproveInfo><RetInfo><ErrNum>1</ErrNum>" +
                       Element("ErrDis", "no sign-off job for this document") +
                       "</RetInfo></RetVal>");
    const auto& r = rows[0];
    std::string xml =
        "<RetVal><ApproveInfo><PassNoInfoList><PassNoInfo><PassNo>1</PassNo>"
        "<BranchInfoList><BranchInfo><BranchNo>1</BranchNo>" +
        Element("FlowRole", Text(a, 1)) + Element("RecTime", VarToStr(r[6])) +
        Element("ApproveTime", VarToStr(r[7])) + Element("ApproveRet", ResultText(VarToStr(r[1]))) +
        Element("RecPersonId", VarToStr(r[2])) + Element("RecPersonName", VarToStr(r[3])) +
        Element("ApprovePersonId", VarToStr(r[4])) + Element("ApprovePersonName", VarToStr(r[5]));
    xml +=
        "</BranchInfo></BranchInfoList></PassNoInfo></PassNoInfoList></ApproveInfo>"
        "<RetInfo><ErrNum>0</ErrNum><ErrDis></ErrDis></RetInfo></RetVal>";
    return Variant(xml);
}

// [company, program, key text, "Y" approve / "N" reject, approver]: ends the
// waiting job and records the result; answers the job's action code. A
// document without a waiting job is refused.
Variant AppSession::FinishSvJob(const Args& a) {
    const std::string company = Text(a, 0), program = Text(a, 1), key = Text(a, 2);
    const std::string result = Text(a, 3) == "Y" ? "Y" : "N";
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    TransactionGuard tx(db);
    if (db.Scalar("SELECT 1 FROM SVJOBQUE WHERE SV001 = ? AND SV002 = ? AND SV003 = ?",
                  {company, program, key})
            .IsEmpty())
        throw ServerError("SVFinishJob: no sign-off job waits for " + key);
    db.Query("DELETE FROM SVJOBQUE WHERE SV001 = ? AND SV002 = ? AND SV003 = ?",
             {company, program, key});
    db.Query(
        "UPDATE SVJOBAP SET AP006 = ?, AP008 = ?, AP010 = ? WHERE AP001 = ? AND AP002 = ? "
        "AND AP003 = ?",
        {result, Text(a, 4), NowStamp().substr(0, 14), company, program, key});
    Variant action =
        db.Scalar("SELECT AP005 FROM SVJOBAP WHERE AP001 = ? AND AP002 = ? AND AP003 = ?",
                  {company, program, key});
    tx.Commit();
    return Variant(plat::Trim(VarToStr(action)));
}

// [company, user, program (20 asterisks: every program), group] -> the XML
// "<group><name>value</name>...</group>"; a program's own values win over
// those kept for every program. Empty text when nothing is kept.
Variant AppSession::GetUserDefine(const Args& a) {
    std::string group = Text(a, 3);
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    auto rows = db.Query(
        "SELECT DF005, DF006 FROM USRDF WHERE DF001 = ? AND DF002 = ? AND DF004 = ? "
        "AND DF003 IN (?, '********************') "
        "ORDER BY CASE WHEN DF003 = '********************' THEN 0 ELSE 1 END",
        {Text(a, 0), Text(a, 1), group, Text(a, 2)});
    if (rows.empty()) return Variant("");
    std::map<std::string, std::string> values;
    std::vector<std::string> order;
    for (auto& r : rows) {
        std::string n = VarToStr(r[0]);
        if (!values.count(n)) order.push_back(n);
        values[n] = VarToStr(r[1]);
    }
    std::string xml = "<" + group + ">";
    for (auto& n : order) xml += "<" + n + ">" + XmlEscape(values[n]) + "</" + n + ">";
    return Variant(xml + "</" + group + ">");
}

// [company, user, program, "group/name", value], or path "." with a whole
// "<group>...</group>" XML text as the value. -> "" when stored.
Variant AppSession::SetUserDefine(const Args& a) {
    std::string path = Text(a, 3);
    std::vector<std::pair<std::string, std::string>> entries;  // group/name -> value
    std::string group;
    if (path == "." || path.empty()) {
        auto root = ParseXml(VarToStr(a[4]));
        group = root->name;
        for (auto& c : root->children) entries.push_back({c->name, c->text});
    } else {
        size_t slash = path.find('/');
        if (slash == std::string::npos)
            throw ServerError("SetUserDefine needs a path \"group/name\", not \"" + path + "\"");
        group = path.substr(0, slash);
        entries.push_back({path.substr(slash + 1), VarToStr(a[4])});
    }
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    TransactionGuard tx(db);
    for (auto& [name, value] : entries)
        db.Query(
            "INSERT OR REPLACE INTO USRDF (DF001, DF002, DF003, DF004, DF005, DF006) VALUES (?, ?, "
            "?, ?, ?, ?)",
            {Text(a, 0), Text(a, 1), Text(a, 2), group, name, value});
    tx.Commit();
    return Variant("");
}

}  // namespace standin
