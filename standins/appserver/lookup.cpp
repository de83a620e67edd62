// The lookup service's request: GetF2Data prepares the rows of a lookup
// (served by "pvdDravoc") and answers the definition text that sets up the
// columns (captions, returned fields, hidden money and price fields, maps).
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

}  // namespace

bool AppSession::GetF2Data(Variant& request, Variant& reply) {
    auto r = ArrayItems(request);
    if (!request.IsArray() || r.size() < 5)
        throw ServerError("GetF2Data needs the lookup request array");
    const LookupDefinition* def = server_->FindLookup(VarToStr(r[0]), VarToStr(r[1]));
    lookupRows_ = plat::TDataPacket();
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
        Variant v =
            index >= 1 && index <= (int)params.size() ? params[(size_t)index - 1] : Variant("");
        st.Bind(i, v.IsArray() ? Variant("") : v);
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

    std::string t;
    if (!def->displayEng.empty())
        t += "<ENG>\r\n--DISPLAY;\r\n" + def->displayEng + "\r\n</ENG>\r\n";
    t += std::string(kEndMarker) + "\r\n";
    t += "--DISPLAY;\r\n" + def->display + "\r\n";
    t += "--RETURN;\r\n" + def->returnFields + "\r\n";
    if (!def->moneyFields.empty()) t += "--MONEYFIELDS;\r\n" + def->moneyFields + "\r\n";
    if (!def->priceFields.empty()) t += "--PRICEFIELDS;\r\n" + def->priceFields + "\r\n";
    // Maps: "FIELD<TAB>shown|value;shown|value" lines become MAP sections of
    // "shown<TAB>value" lines.
    size_t b = 0;
    while (b < def->maps.size()) {
        size_t e = def->maps.find('\n', b);
        if (e == std::string::npos) e = def->maps.size();
        std::string line = def->maps.substr(b, e - b);
        b = e + 1;
        size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        t += "--MAP" + line.substr(0, tab) + ";\r\n";
        std::string pairs = line.substr(tab + 1);
        size_t p = 0;
        while (p <= pairs.size()) {
            size_t q = pairs.find(';', p);
            if (q == std::string::npos) q = pairs.size();
            std::string pair = pairs.substr(p, q - p);
            size_t bar = pair.find('|');
            if (bar != std::string::npos)
                t += pair.substr(0, bar) + "\t" + pair.substr(bar + 1) + "\r\n";
            p = q + 1;
        }
    }
    if (more) t += "--LIMIT;\r\nSELECT TOP " + std::to_string(limit) + " ROWS ONLY\r\n";
    reply = Variant(t);
    return true;
}

}  // namespace standin
