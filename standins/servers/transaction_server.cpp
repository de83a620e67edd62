#include "standins/servers/transaction_server.h"

#include "platform/core/text.h"
#include "standins/appserver/sqlite_db.h"

namespace standin {

const std::vector<TxnDefinition>& TransactionDefinitions() {
    static const std::vector<TxnDefinition> table = {
        {"KTRB52",
         "MOCTH",
         {"TH001", "TH002"},
         "TH023",
         "TH003",
         "MOCTI",
         {"TI001", "TI002"},
         "TI037",
         {"TI041", "TI042"},
         "TH036",
         {
             // The work order's product counts what was accepted (destroyed
             // pieces were delivered and priced too), scrapped and returned.
             {"MOCTA",
              "TI013 = TA001 AND TI014 = TA002 AND TI004 = TA006",
              {{"TA017", "IFNULL(TI019, 0) + IFNULL(TI056, 0)"},
               {"TA018", "IFNULL(TI021, 0)"},
               {"TA057", "IFNULL(TI022, 0)"},
               {"TA050", "IFNULL(TI017, 0) + IFNULL(TI057, 0)"},
               {"TA051", "IFNULL(TI050, 0)"},
               {"TA058", "IFNULL(TI051, 0)"}}},
             // The arrival line's received quantity; its acceptable
             // quantities stay whole: the receipt's check sums the
             // confirmed receipts against them itself.
             {"MOCCD",
              "TIC02 = CD001 AND TIC03 = CD002 AND TIC04 = CD003",
              {{"CD010", "IFNULL(TI007, 0)"}}},
         }},
    };
    return table;
}

std::string FillMessagePlaces(const std::string& text, const std::vector<std::string>& args) {
    std::string out;
    size_t next = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 >= text.size()) {
            out += text[i];
            continue;
        }
        char c = text[++i];
        if (c == '%')
            out += '%';
        else if (c == 's' || c == 'd')
            out += next < args.size() ? args[next++] : std::string();
        else
            out += std::string("%") + c;
    }
    return out;
}

namespace {

enum class Refusal {
    None,
    NotFound,
    Changed,
    Confirmed,
    NotConfirmed,
    Void,
    BadRequest,
    Unavailable,
    Failed,
    Locked,
    NotVoid
};

struct RefusalText {
    Refusal refusal;
    const char* code;
};
// The stand-in's own codes, and the module's code for journal entries.
const RefusalText kRefusalCodes[] = {
    {Refusal::NotFound, "S00001"},    {Refusal::Changed, "S00002"},
    {Refusal::Confirmed, "S00003"},   {Refusal::NotConfirmed, "S00004"},
    {Refusal::Void, "S00005"},        {Refusal::BadRequest, "S00006"},
    {Refusal::Unavailable, "S00007"}, {Refusal::Failed, "S00008"},
    {Refusal::Locked, "100284"},      {Refusal::NotVoid, "S00009"},
};

TxnResult Succeeded() {
    TxnResult r;
    r.ok = true;
    return r;
}

TxnResult Refuse(const SuiteServices& services, Refusal refusal, std::vector<std::string> args) {
    TxnResult r;
    r.errorCode = int(refusal);
    std::string code;
    for (auto& rc : kRefusalCodes)
        if (rc.refusal == refusal) code = rc.code;
    plat::Variant list = plat::Variant::CreateArray({0, int(args.size()) - 1});
    for (size_t i = 0; i < args.size(); ++i) list[int(i)] = args[i];
    r.resultDesc = plat::Variant::ArrayOf({"E", code, list});
    std::string text = services.messageText ? services.messageText("E", code) : std::string();
    r.errorDescript = text.empty() ? "E;" + code : FillMessagePlaces(text, args);
    return r;
}

// The request's parts (see the confirm request of the header/body form).
struct ParsedRequest {
    const TxnDefinition* def = nullptr;
    // "DO", "UNDO", "VOID", "UNVOID"; anything else checks the document only
    std::string action;
    std::vector<std::string> keys;
    long long flag = 0;
    std::string date;
    std::string user;
};

const plat::Variant& Item(const plat::Variant& array, int index) {
    return array[array.LowBound() + index];
}

bool IsDateText(const std::string& s) {
    if (s.size() != 8) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

// Fills `out` or returns the reason it cannot.
std::string Parse(const plat::Variant& request, const plat::Variant& target, ParsedRequest& out) {
    if (!request.IsArray() || request.DimCount() != 1 || request.ArrayCount() < 6)
        return "the request is not an array of ten values";
    std::string program;
    if (target.IsArray() && target.DimCount() == 1 && target.ArrayCount() >= 2)
        program = plat::Trim(plat::VarToStr(Item(target, 1)));
    if (program.empty()) {
        std::string head = plat::VarToStr(Item(request, 0));
        if (head.rfind("TXN", 0) == 0) program = plat::Trim(head.substr(3));
    }
    for (auto& d : TransactionDefinitions())
        if (plat::SameText(d.program, program)) out.def = &d;
    if (!out.def) return "program " + program;
    const plat::Variant& p = Item(request, 5);
    const int n = int(out.def->headKeys.size());
    if (!p.IsArray() || p.DimCount() != 1 || p.ArrayCount() != n + 7)
        return "the parameter array has not " + std::to_string(n + 7) + " values";
    out.user = plat::VarToStr(Item(request, 3));
    out.action = plat::UpperCase(plat::Trim(plat::VarToStr(Item(p, 2))));
    for (int i = 0; i < n; ++i) out.keys.push_back(plat::VarToStr(Item(p, 3 + i)));
    const plat::Variant& flag = Item(p, n + 3);
    if (flag.IsEmptyOrNull() || flag.IsArray()) return "the document's FLAG is missing";
    // K holds texts: the FLAG comes as "2" (or "2.0" from a float field).
    try {
        size_t used = 0;
        const std::string text = plat::Trim(plat::VarToStr(flag));
        const double value = std::stod(text, &used);
        if (used != text.size() || value != (double)(long long)value)
            return "the document's FLAG is not a whole number";
        out.flag = (long long)value;
    } catch (const std::exception&) {
        return "the document's FLAG is not a number";
    }
    out.date = plat::Trim(plat::VarToStr(Item(p, n + 5)));
    if (out.action == "DO" && !out.date.empty() && !IsDateText(out.date))
        return "the confirm date " + out.date;
    return {};
}

bool IsWriting(const std::string& action) {
    return action == "DO" || action == "UNDO" || action == "VOID" || action == "UNVOID";
}

// The status letter an action leaves on the head and its lines.
std::string StatusAfter(const std::string& action) {
    if (action == "DO") return "Y";
    if (action == "VOID") return "V";
    return "N";
}

std::string KeyWhere(const std::vector<std::string>& columns) {
    std::string w;
    for (size_t i = 0; i < columns.size(); ++i)
        w += (i ? " AND " : "") + columns[i] + " = ?" + std::to_string(i + 1);
    return w;
}

std::vector<plat::Variant> KeyParams(const ParsedRequest& r) {
    return std::vector<plat::Variant>(r.keys.begin(), r.keys.end());
}

// Adds (sign 1) or takes back (sign -1) the lines' quantities on the rows
// they came from.
void Post(Database& db, const TxnDefinition& d, const ParsedRequest& r, int sign) {
    const std::string lines = " FROM " + d.bodyTable + " WHERE " + KeyWhere(d.bodyKeys) + " AND ";
    const std::string signMark = "?" + std::to_string(d.bodyKeys.size() + 1);
    for (const TxnPosting& p : d.postings) {
        std::string set;
        for (const auto& [column, expression] : p.sums)
            set += (set.empty() ? "" : ", ") + column + " = IFNULL(" + column + ", 0) + " +
                   signMark + " * IFNULL((SELECT SUM(" + expression + ")" + lines + p.match +
                   "), 0)";
        Statement post(db, "UPDATE " + p.table + " SET " + set + " WHERE EXISTS (SELECT 1" + lines +
                               p.match + ")");
        std::vector<plat::Variant> params = KeyParams(r);
        params.push_back(plat::Variant(sign));
        post.BindAll(params);
        post.Step();
    }
}

TxnResult Run(const SuiteServices& services, Database& db, const ParsedRequest& r, bool write) {
    const TxnDefinition& d = *r.def;
    std::string document;
    for (auto& k : r.keys) document += (document.empty() ? "" : "-") + plat::Trim(k);

    TransactionGuard txn(db);
    auto rows = db.Query(
        "SELECT " + d.headStatus + ", FLAG FROM " + d.headTable + " WHERE " + KeyWhere(d.headKeys),
        KeyParams(r));
    if (rows.empty()) return Refuse(services, Refusal::NotFound, {document});
    const std::string status = plat::Trim(plat::VarToStr(rows[0][0]));
    const long long stored = plat::VarToIntDef(rows[0][1], 0);
    if (stored != r.flag) return Refuse(services, Refusal::Changed, {document});
    const bool writes = IsWriting(r.action);
    if (r.action == "UNVOID") {
        if (status != "V") return Refuse(services, Refusal::NotVoid, {document});
    } else if (status == "V" && r.action != "") {
        return Refuse(services, Refusal::Void, {document});
    }
    if ((r.action == "DO" || r.action == "VOID") && status == "Y")
        return Refuse(services, Refusal::Confirmed, {document});
    if (r.action == "UNDO" && status != "Y")
        return Refuse(services, Refusal::NotConfirmed, {document});
    if (r.action == "UNDO" && !d.bodyLocks.empty()) {
        std::string locked;
        for (auto& c : d.bodyLocks) locked += (locked.empty() ? "" : " OR ") + c + " = 'Y'";
        auto n = db.Scalar("SELECT COUNT(*) FROM " + d.bodyTable + " WHERE " +
                               KeyWhere(d.bodyKeys) + " AND (" + locked + ")",
                           KeyParams(r));
        if (plat::VarToIntDef(n, 0) > 0) return Refuse(services, Refusal::Locked, {});
    }
    if (!write || !writes) return Succeeded();

    const std::string letter = StatusAfter(r.action);
    const int n = int(d.headKeys.size());
    std::string set = d.headStatus + " = ?" + std::to_string(n + 1) +
                      ", FLAG = (CAST(FLAG AS INTEGER) + 1) % 1000";
    std::vector<plat::Variant> params = KeyParams(r);
    params.push_back(letter);
    if (r.action == "DO" && !r.date.empty()) {
        set += ", " + d.confirmDate + " = ?" + std::to_string(n + 3);
    }
    params.push_back(plat::Variant((long long)r.flag));
    params.push_back(r.date);
    Statement head(db, "UPDATE " + d.headTable + " SET " + set + " WHERE " + KeyWhere(d.headKeys) +
                           " AND CAST(FLAG AS INTEGER) = ?" + std::to_string(n + 2));
    head.BindAll(params);
    head.Step();
    if (head.Changes() != 1) return Refuse(services, Refusal::Changed, {document});
    Statement body(db, "UPDATE " + d.bodyTable + " SET " + d.bodyStatus + " = ?" +
                           std::to_string(n + 1) + " WHERE " + KeyWhere(d.bodyKeys));
    std::vector<plat::Variant> bodyParams = KeyParams(r);
    bodyParams.push_back(letter);
    body.BindAll(bodyParams);
    body.Step();
    // A void or a restore leaves an unconfirmed document unconfirmed: only
    // confirm and unconfirm move quantities.
    if (r.action == "DO" || r.action == "UNDO") Post(db, d, r, r.action == "DO" ? 1 : -1);
    txn.Commit();
    return Succeeded();
}

class TransactionServer : public plat::DispatchObject {
  public:
    explicit TransactionServer(std::shared_ptr<const SuiteServices> services)
        : DispatchObject(progid::kTransactionServer), services_(std::move(services)) {
        Method(
            "DoIt2", [this](plat::DispArgs a) { return Execute(a, true); }, 2, 2);
        Method(
            "DoCheck", [this](plat::DispArgs a) { return Execute(a, false); }, 2, 2);
        Property("ReturnSeq", [this] { return plat::Variant(last_.returnSeq); });
        Property("ErrorCode", [this] { return plat::Variant(last_.errorCode); });
        Property("ResultDesc", [this] { return last_.resultDesc; });
        Property("ErrorDescript", [this] { return plat::Variant(last_.errorDescript); });
        Method(
            "CloseCOM", [](plat::DispArgs) { return plat::Variant(); }, 0, 0);
    }

  private:
    plat::Variant Execute(plat::DispArgs a, bool write) {
        last_ = RunTransaction(*services_, a[0], a[1], write);
        return plat::Variant(last_.ok);
    }

    std::shared_ptr<const SuiteServices> services_;
    TxnResult last_;
};

}  // namespace

TxnResult RunTransaction(const SuiteServices& services, const plat::Variant& request,
                         const plat::Variant& target, bool write) {
    ParsedRequest parsed;
    std::string problem;
    try {
        problem = Parse(request, target, parsed);
    } catch (const std::exception& e) {
        problem = e.what();
    }
    if (!problem.empty())
        return Refuse(services,
                      parsed.def || problem.rfind("program ", 0) != 0 ? Refusal::BadRequest
                                                                      : Refusal::Unavailable,
                      {problem});
    if (!services.database) return Refuse(services, Refusal::Unavailable, {"database"});
    try {
        return Run(services, *services.database, parsed, write);
    } catch (const std::exception& e) {
        return Refuse(services, Refusal::Failed, {e.what()});
    }
}

std::shared_ptr<plat::Dispatch> CreateTransactionServer(
    std::shared_ptr<const SuiteServices> services) {
    return std::make_shared<TransactionServer>(std::move(services));
}

}  // namespace standin
