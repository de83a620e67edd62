// The lookup server's request: GetF2Data prepares the rows of a lookup
// (served by "pvdDravoc") and answers the definition text that sets up the
// columns. The request is the lookup window's array of 11 elements or the
// lookup combo's of 14: [0] kind, [1] sub-kind, [2] the extra values (one
// value or an array), [3] 1 for the first request (at most kFirstRows rows)
// or 0 for all rows, [4] the text the lookup starts from, [5] the company
// database, [6] the product, [7]..[9] optional texts, [10] "BaseLimited",
// [11]..[13] the combo's own.
//
// The reply: a language section per user-interface language, the end-marker
// line, then the sections common to all languages: DISPLAY, RETURN,
// MONEYFIELDS, PRICEFIELDS, PMID, LINK, one MAP<field> per mapped field, and
// a TOP line when the rows were cut at the first request's limit.
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "standins/appserver/session.h"

namespace standin {

using plat::TFieldType;
using plat::Variant;
using plat::VarToStr;

namespace {

// The first request of a window shows at most this many rows; the repeat
// request (element 3 = 0) asks for all of them.
constexpr size_t kFirstRows = 1000;
constexpr size_t kAllRows = 100000;
const char* kEndMarker = "==============MI005 END=================";
// Bounds of a request's values: the definitions take a dozen extra values
// and texts of a few dozen characters.
constexpr size_t kMaxExtraValues = 64;
constexpr size_t kMaxTextBytes = 4000;

plat::TPacketField LookupField(const std::string& name, const std::string& declType,
                               const std::vector<std::vector<Variant>>& rows, size_t col) {
    std::string t = plat::UpperCase(declType);
    if (t.find("CHAR") != std::string::npos) {
        size_t open = t.find('(');
        int width = open == std::string::npos
                        ? 255
                        : plat::StrToIntDef(t.substr(open + 1, t.find(')') - open - 1), 255);
        return plat::PacketField(name, TFieldType::ftString, width);
    }
    if (t.find("INT") != std::string::npos) return plat::PacketField(name, TFieldType::ftInteger);
    if (t == "FLOAT" || t == "REAL" || t == "DOUBLE")
        return plat::PacketField(name, TFieldType::ftFloat);
    // An expression: judged by its values.
    int width = 1;
    bool text = false;
    for (auto& r : rows) {
        if (r[col].IsText()) {
            text = true;
            width = std::max(width, plat::TextWidth(r[col].RawText()));
        }
    }
    if (text || rows.empty())
        return plat::PacketField(name, TFieldType::ftString, rows.empty() ? 60 : width);
    return plat::PacketField(name, TFieldType::ftFloat);
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t b = 0;
    for (size_t e; (e = text.find(sep, b)) != std::string::npos; b = e + 1)
        parts.push_back(text.substr(b, e - b));
    parts.push_back(text.substr(b));
    return parts;
}

void CheckScalar(const Variant& v, const std::string& what) {
    if (v.IsArray() || v.Type() == plat::VarType::Dispatch)
        throw ServerError("GetF2Data: " + what + " must be a single value");
    if (v.IsText() && v.RawText().size() > kMaxTextBytes)
        throw ServerError("GetF2Data: " + what + " is longer than " +
                          std::to_string(kMaxTextBytes) + " bytes");
}

// The request's elements, checked: refuses what no client sends.
std::vector<Variant> CheckedRequest(const Variant& request) {
    if (!request.IsArray() || request.DimCount() != 1)
        throw ServerError("GetF2Data: the request must be an array of 11 or 14 elements");
    std::vector<Variant> r = ArrayItems(request);
    if (r.size() != 11 && r.size() != 14)
        throw ServerError("GetF2Data: the request must have 11 or 14 elements, not " +
                          std::to_string(r.size()));
    for (size_t i = 0; i < r.size(); ++i)
        if (i != 2) CheckScalar(r[i], "element " + std::to_string(i));
    if (r[2].IsArray()) {
        if (r[2].DimCount() != 1 || (size_t)r[2].ArrayCount() > kMaxExtraValues)
            throw ServerError("GetF2Data: the extra values (element 2) must be a list of at most " +
                              std::to_string(kMaxExtraValues) + " values");
        for (const Variant& v : ArrayItems(r[2])) CheckScalar(v, "an extra value (element 2)");
    } else {
        CheckScalar(r[2], "element 2");
    }
    int64_t first = plat::VarToIntDef(r[3], -1);
    if (first != 0 && first != 1) throw ServerError("GetF2Data: element 3 must be 1 or 0");
    return r;
}

void AddSection(std::string& t, const std::string& name, const std::string& value) {
    if (!value.empty()) t += "--" + name + ";\r\n" + value + "\r\n";
}

std::string ReplyText(const LookupDefinition& def, bool cut, size_t limit) {
    std::string t = "<CHS>\r\n--DISPLAY;\r\n" + def.display + "\r\n</CHS>\r\n";
    if (!def.displayEng.empty()) t += "<ENG>\r\n--DISPLAY;\r\n" + def.displayEng + "\r\n</ENG>\r\n";
    t += std::string(kEndMarker) + "\r\n";
    // The Chinese captions also stand for a language without a section.
    AddSection(t, "DISPLAY", def.display);
    AddSection(t, "RETURN", def.returnFields);
    AddSection(t, "MONEYFIELDS", def.moneyFields);
    AddSection(t, "PRICEFIELDS", def.priceFields);
    AddSection(t, "PMID", def.rightsProgram);
    AddSection(t, "LINK", def.links);
    // Maps: "FIELD<TAB>shown|value;shown|value" lines become MAP sections of
    // "shown<TAB>value" lines.
    for (const std::string& line : Split(def.maps, '\n')) {
        size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        std::string lines;
        for (const std::string& pair : Split(line.substr(tab + 1), ';')) {
            size_t bar = pair.find('|');
            if (bar != std::string::npos)
                lines += (lines.empty() ? "" : "\r\n") + pair.substr(0, bar) + "\t" +
                         pair.substr(bar + 1);
        }
        AddSection(t, "MAP" + line.substr(0, tab), lines);
    }
    if (cut) AddSection(t, "LIMIT", "SELECT TOP " + std::to_string(limit) + " ROWS ONLY");
    return t;
}

}  // namespace

// ---- the host's lookup window -------------------------------------------------

namespace {

constexpr int64_t kMaxPageRows = 1000;
constexpr size_t kMaxFilterBytes = 200;

std::string QuotedName(const std::string& name) {
    std::string q = "\"";
    for (char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

// The typed text as a LIKE pattern piece: its own % _ and \ taken literally.
std::string LikeEscaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '%' || c == '_' || c == '\\') out += '\\';
        out += c;
    }
    return out;
}

// Binds a definition's own parameters: ?n the n-th extra value, :text the filter.
void BindDefinitionParameters(Statement& st, const std::vector<Variant>& params,
                              const std::string& text) {
    int positional = 0;
    for (int i = 1; i <= st.ParameterCount(); ++i) {
        std::string name = st.ParameterName(i);
        if (name == ":text") {
            st.Bind(i, Variant(plat::Trim(text)));
            continue;
        }
        if (!name.empty() && name[0] == ':') continue;  // the page's own
        int index =
            name.size() > 1 && name[0] == '?' ? plat::StrToIntDef(name.substr(1), 0) : ++positional;
        st.Bind(
            i, index >= 1 && index <= (int)params.size() ? params[(size_t)index - 1] : Variant(""));
    }
}

}  // namespace

LookupPage AppServer::ReadLookupPage(const LookupPageRequest& request) {
    const LookupDefinition* def = FindLookup(request.kind, request.subKind);
    if (!def) throw ServerError("No lookup " + request.kind + " " + request.subKind);
    if (request.offset < 0 || request.count < 1 || request.count > kMaxPageRows)
        throw ServerError("A lookup page is 1 to " + std::to_string(kMaxPageRows) +
                          " rows from a row 0 or later");
    if (request.filter.size() > kMaxFilterBytes)
        throw ServerError("The lookup filter is longer than " + std::to_string(kMaxFilterBytes) +
                          " bytes");
    const std::vector<Variant> params = ArrayItems(request.params);
    if (params.size() > kMaxExtraValues)
        throw ServerError("A lookup takes at most " + std::to_string(kMaxExtraValues) + " values");
    for (const Variant& v : params) CheckScalar(v, "an extra value");

    Database& db = Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    LookupPage page;
    std::string code, name;
    {
        Statement inner(db, def->sql);
        if (!inner.IsReadOnly())
            throw ServerError("Lookup " + def->kind + " " + def->subKind + " would change data");
        for (int i = 0; i < inner.ColumnCount(); ++i) page.columns.push_back(inner.ColumnName(i));
    }
    if (page.columns.empty()) return page;
    const std::vector<std::string> search = Split(def->search, ',');
    code = search.size() == 2 ? plat::Trim(search[0]) : page.columns[0];
    name =
        search.size() == 2 ? plat::Trim(search[1]) : page.columns[page.columns.size() > 1 ? 1 : 0];
    const std::string filter = plat::Trim(request.filter);
    std::string sql = "SELECT * FROM (" + def->sql + ") AS lookup_rows";
    if (!filter.empty()) {
        sql += " WHERE CAST(" + QuotedName(code) +
               " AS TEXT) LIKE :lookup_filter || '%' ESCAPE '\\' OR CAST(" + QuotedName(name) +
               " AS TEXT) LIKE '%' || :lookup_filter || '%' ESCAPE '\\'";
        if (request.pinyin)
            sql += " OR PINYIN_INITIALS(CAST(" + QuotedName(name) +
                   " AS TEXT)) LIKE '%' || :lookup_filter || '%' ESCAPE '\\'";
    }
    sql += " LIMIT :lookup_count OFFSET :lookup_offset";
    Statement st(db, sql);
    BindDefinitionParameters(st, params, filter);
    for (int i = 1; i <= st.ParameterCount(); ++i) {
        const std::string p = st.ParameterName(i);
        if (p == ":lookup_filter") st.Bind(i, Variant(LikeEscaped(filter)));
        if (p == ":lookup_count") st.Bind(i, Variant((long long)request.count + 1));
        if (p == ":lookup_offset") st.Bind(i, Variant((long long)request.offset));
    }
    const int n = st.ColumnCount();
    while (st.Step()) {
        if ((int64_t)page.rows.size() == request.count) {
            page.more = true;
            break;
        }
        std::vector<Variant> row;
        row.reserve((size_t)n);
        for (int i = 0; i < n; ++i) row.push_back(st.Column(i));
        page.rows.push_back(std::move(row));
    }
    return page;
}

bool AppSession::GetF2Data(Variant& request, Variant& reply) {
    // A refused request leaves no rows of an earlier one behind.
    lookupRows_ = plat::TDataPacket();
    const std::vector<Variant> r = CheckedRequest(request);
    const LookupDefinition* def = server_->FindLookup(VarToStr(r[0]), VarToStr(r[1]));
    if (!def) {
        reply = Variant("");
        return false;
    }
    std::vector<Variant> params = ArrayItems(r[2]);
    std::string text = VarToStr(r[4]);
    size_t limit = plat::VarToIntDef(r[3], 1) == 0 ? kAllRows : kFirstRows;

    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    Statement st(db, def->sql);
    if (!st.IsReadOnly())
        throw ServerError("Lookup " + def->kind + " " + def->subKind + " would change data");
    int positional = 0;
    for (int i = 1; i <= st.ParameterCount(); ++i) {
        std::string name = st.ParameterName(i);
        if (name == ":text") {
            st.Bind(i, Variant(plat::Trim(text)));
            continue;
        }
        int index =
            name.size() > 1 && name[0] == '?' ? plat::StrToIntDef(name.substr(1), 0) : ++positional;
        st.Bind(
            i, index >= 1 && index <= (int)params.size() ? params[(size_t)index - 1] : Variant(""));
    }
    std::vector<std::vector<Variant>> rows;
    int n = st.ColumnCount();
    bool more = false;
    while (st.Step()) {
        if (rows.size() == limit) {
            more = true;
            break;
        }
        std::vector<Variant> row;
        for (int i = 0; i < n; ++i) row.push_back(st.Column(i));
        rows.push_back(std::move(row));
    }
    for (int i = 0; i < n; ++i)
        lookupRows_.fields.push_back(
            LookupField(st.ColumnName(i), st.ColumnDeclType(i), rows, (size_t)i));
    for (auto& row : rows) {
        plat::TPacketRow pr;
        pr.values = plat::TValueRow(row);
        lookupRows_.rows.push_back(std::move(pr));
    }
    reply = Variant(ReplyText(*def, more, limit));
    return true;
}

}  // namespace standin
