#include "standins/appserver/session.h"

#include <cctype>

#include "platform/automation/oleobject.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "standins/appserver/mini_xml.h"
#include "standins/appserver/providers.h"
#include "standins/appserver/sign_on.h"

namespace standin {

using plat::DispArgs;
using plat::Variant;
using plat::VarToStr;

namespace {

bool AsFlag(const Variant& v) {
    if (v.IsText()) {
        std::string s = plat::UpperCase(plat::Trim(v.RawText()));
        return s == "Y" || s == "TRUE" || s == "-1" || s == "1";
    }
    return !v.IsEmptyOrNull() && plat::VarToIntDef(v, 0) != 0;
}

}  // namespace

bool ReadKeyTerms(const std::string& s, std::vector<std::pair<std::string, std::string>>& terms) {
    size_t i = 0, n = s.size();
    auto blank = [&](size_t k) { return k < n && std::isspace((unsigned char)s[k]); };
    auto skipBlanks = [&] {
        while (blank(i)) ++i;
    };
    auto name = [&](std::string& out) {
        size_t b = i;
        if (i < n && (std::isalpha((unsigned char)s[i]) || s[i] == '_'))
            while (i < n && (std::isalnum((unsigned char)s[i]) || s[i] == '_')) ++i;
        out = s.substr(b, i - b);
        return !out.empty();
    };
    for (;;) {
        skipBlanks();
        if (i == n) return true;
        if (n - i < 4 || !plat::SameText(s.substr(i, 3), "and") || !blank(i + 3)) return false;
        i += 3;
        skipBlanks();
        std::string field, value;
        if (!name(field)) return false;
        if (i < n && s[i] == '.') {
            ++i;
            if (!name(field)) return false;
        }
        skipBlanks();
        if (i == n || s[i] != '=') return false;
        ++i;
        skipBlanks();
        if (i < n && s[i] == '\'') {
            for (++i;; ++i) {
                if (i == n) return false;  // the quote is never closed
                if (s[i] != '\'') {
                    value += s[i];
                } else if (i + 1 < n && s[i + 1] == '\'') {
                    value += '\'';
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            while (i < n && s[i] != ' ') value += s[i++];
        }
        terms.emplace_back(field, value);
    }
}

AppSession::AppSession(std::shared_ptr<AppServer> server)
    : plat::DispatchObject("NevaQ22D.Class1"), server_(std::move(server)) {
    Method(
        "Connect", [this](DispArgs a) { return Connect(a[0]); }, 1, 1);
    Method(
        "SvrData", [this](DispArgs) { return Variant(SvrData()); }, 0, 0);
    Method(
        "WhatIs", [this](DispArgs a) { return WhatIs(VarToStr(a[0])); }, 1, 1);
    Method(
        "GetRecCount", [this](DispArgs) { return Variant(recordCount_); }, 0, 0);
    Method(
        "GetBaseLimitedRecs",
        [this](DispArgs a) {
            return GetBaseLimitedRecs(VarToStr(a[0]), VarToStr(a[1]),
                                      (int)plat::VarToIntDef(a[2], 0));
        },
        3, 3);
    Method(
        "SetIsSeq",
        [this](DispArgs a) {
            isSeq_ = AsFlag(a[0]);
            return Variant();
        },
        1, 1);
    Method(
        "SetTopRow",
        [this](DispArgs a) {
            int n = (int)plat::VarToIntDef(a[0], -1);
            if (n < 0)
                throw ServerError("SetTopRow needs a record limit of 0 or more, not \"" +
                                  VarToStr(a[0]) + "\"");
            topRows_ = n;
            return Variant();
        },
        1, 1);
    Method(
        "LoadTable",
        [this](DispArgs a) {
            auto items = ArrayItems(a[0]);
            if (items.size() < 2) throw ServerError("LoadTable needs [user, program]");
            // The schemes are the signed-on user's, whoever the request names.
            conProgram_ = VarToStr(items[1]);
            return Variant();
        },
        1, 1);
    Method(
        "InsertConTable", [this](DispArgs a) { return Variant(InsertConTable(a[0])); }, 1, 1);
    Method(
        "DeleteConTable", [this](DispArgs a) { return Variant(DeleteConTable(a[0])); }, 1, 1);
    Method(
        "ChangeConName", [this](DispArgs a) { return Variant(ChangeConName(a[0], a[1])); }, 2, 2);
    Method(
        "GetFormat",
        [this](DispArgs a) { return Variant(GetFormat(VarToStr(a[0]), VarToStr(a[1]))); }, 2, 2);
    Method(
        "CheckValue",
        [this](DispArgs a) {
            return Variant(server_->CheckValue(VarToStr(a[0]), VarToStr(a[1]), a[2], a[3]));
        },
        4, 4);
    Method(
        "QueryData",
        [this](DispArgs a) {
            a[3] = server_->QueryData(VarToStr(a[0]), VarToStr(a[1]), a[2]);
            return Variant(true);
        },
        4, 4);
    Method(
        "QueryMaxSeq",
        [this](DispArgs a) {
            std::string number;
            bool ok = QueryMaxSeq(VarToStr(a[0]), VarToStr(a[1]), a[2], VarToStr(a[3]), number);
            a[a.size() - 1] = Variant(ok ? number : std::string("unKnow"));
            return Variant(ok);
        },
        5, 7);
    Method(
        "GetSysInfo", [this](DispArgs) { return server_->SystemParameters(); }, 0, 1);
    Method(
        "GETCOUNTER", [this](DispArgs a) { return CallOperation(VarToStr(a[0]), a[1]); }, 2, 3);
    Method(
        "GetF2Data", [this](DispArgs a) { return Variant(GetF2Data(a[0], a[1])); }, 2, 2);
    // GetLookupPage (kind, sub-kind, extra values, filter, pinyin, first row,
    // row count): [column names, rows, more follow, captions, English
    // captions, return fields, amount fields, price fields, value maps
    // ("FIELD<TAB>shown|value;..." lines)] for the host's lookup window.
    Method(
        "GetLookupPage",
        [this](DispArgs a) {
            LookupPageRequest r;
            r.kind = VarToStr(a[0]);
            r.subKind = VarToStr(a[1]);
            r.params = a[2];
            r.filter = VarToStr(a[3]);
            r.pinyin = plat::VarToIntDef(a[4], 0) != 0;
            r.offset = plat::VarToIntDef(a[5], -1);
            r.count = plat::VarToIntDef(a[6], 0);
            const LookupPage page = server_->ReadLookupPage(r);
            const LookupDefinition* def = server_->FindLookup(r.kind, r.subKind);
            std::vector<Variant> columns(page.columns.begin(), page.columns.end()), rows;
            rows.reserve(page.rows.size());
            for (const auto& row : page.rows) rows.push_back(Variant::ArrayOf(row));
            return Variant::ArrayOf({Variant::ArrayOf(columns), Variant::ArrayOf(rows), page.more,
                                     def->display, def->displayEng, def->returnFields,
                                     def->moneyFields, def->priceFields, def->maps});
        },
        7, 7);
    // The common phrases of a user and of the company (user ''): GetPhrases
    // (user) gives [number, user, text] rows, AddPhrase (user, text, for the
    // company) the new number, DeletePhrase (user, number) whether it went.
    Method(
        "GetPhrases",
        [this](DispArgs a) {
            std::lock_guard<std::recursive_mutex> lock(server_->Db().Mutex());
            std::vector<Variant> rows;
            for (auto& r : server_->Db().Query(
                     "SELECT PH001, PH002, PH003 FROM ADMPH WHERE PH002 IN ('', ?1) "
                     "ORDER BY PH002 DESC, PH001",
                     {VarToStr(a[0])}))
                rows.push_back(Variant::ArrayOf(r));
            return Variant::ArrayOf(rows);
        },
        1, 1);
    Method(
        "AddPhrase",
        [this](DispArgs a) {
            const std::string text = plat::Trim(VarToStr(a[1]));
            if (text.empty() || plat::TextWidth(text) > 255)
                throw ServerError("A phrase is 1 to 255 characters wide");
            const std::string user = plat::VarToIntDef(a[2], 0) != 0 ? "" : VarToStr(a[0]);
            std::lock_guard<std::recursive_mutex> lock(server_->Db().Mutex());
            server_->Db().Query("INSERT INTO ADMPH (PH002, PH003) VALUES (?1, ?2)", {user, text});
            return Variant((long long)server_->Db().LastInsertRowId());
        },
        3, 3);
    Method(
        "DeletePhrase",
        [this](DispArgs a) {
            std::lock_guard<std::recursive_mutex> lock(server_->Db().Mutex());
            Statement st(server_->Db(), "DELETE FROM ADMPH WHERE PH001 = ?1 AND PH002 IN ('', ?2)");
            st.BindAll({Variant((long long)plat::VarToIntDef(a[1], -1)), VarToStr(a[0])});
            st.Step();
            return Variant(st.Changes() > 0);
        },
        2, 2);
    Method(
        "GetCustomOW", [](DispArgs) { return Variant(false); }, 2, 3);
    Property(
        "OpenWinKind", [this] { return Variant(openWinKind_); },
        [this](const Variant& v) { openWinKind_ = (int)plat::VarToIntDef(v, 0); });
    // The provider calls of a remote connection.
    Method(
        "AS_DataRequest",
        [this](DispArgs a) {
            plat::IProvider* p = FindProvider(VarToStr(a[0]));
            if (!p) throw ServerError("Unknown provider " + VarToStr(a[0]));
            return p->DataRequest(a[1]);
        },
        2, 2);
    Method(
        "AS_GetRecords",
        [this](DispArgs a) {
            plat::IProvider* p = FindProvider(VarToStr(a[0]));
            if (!p) throw ServerError("Unknown provider " + VarToStr(a[0]));
            return Variant(
                plat::EncodePacket(p->GetRecords(plat::DecodeFetchRequest(VarToStr(a[1])))));
        },
        2, 2);
    Method(
        "AS_ApplyUpdates",
        [this](DispArgs a) {
            plat::IProvider* p = FindProvider(VarToStr(a[0]));
            if (!p) throw ServerError("Unknown provider " + VarToStr(a[0]));
            return Variant(plat::EncodeApplyReply(p->ApplyUpdates(
                plat::DecodeDelta(VarToStr(a[1])), (int)plat::VarToIntDef(a[2], 0))));
        },
        3, 3);
    for (const std::string& op : OperationNames())
        Method(
            op, [this, op](DispArgs a) { return CallOperation(op, a[0]); }, 1, 1);

    providers_["PVDMAIN"] = MakeReceiptProvider(*this);
    providers_["PVDCOLOR"] = MakeColorProvider(*this);
    providers_["PVDCONSAVE"] = MakeSavedConditionProvider(*this);
    providers_["PVDDRAVOC"] = MakeLookupProvider(*this);
}

AppSession::~AppSession() {
    server_->ReleaseDocumentNumbers(this);
}

plat::IProvider* AppSession::FindProvider(const std::string& name) {
    auto it = providers_.find(plat::UpperCase(plat::Trim(name)));
    return it == providers_.end() ? nullptr : it->second.get();
}

std::string AppSession::ProgramSetting(const std::string& name) {
    std::lock_guard<std::recursive_mutex> lock(server_->Db().Mutex());
    return VarToStr(server_->Db().Scalar("SELECT PS003 FROM ADMPS WHERE PS001 = ? AND PS002 = ?",
                                         {program_, name}));
}

Variant AppSession::Connect(const Variant& params) {
    auto p = ArrayItems(params);
    if (!params.IsArray() || p.size() != 6)
        throw ServerError(
            "Connect needs six values: program, user, company, sign-on key, two flags");
    program_ = plat::UpperCase(plat::Trim(VarToStr(p[0])));
    user_ = plat::Trim(VarToStr(p[1]));
    company_ = plat::Trim(VarToStr(p[2]));
    signOnKey_ = VarToStr(p[3]);
    connected_ = false;
    std::string stored;
    {
        std::lock_guard<std::recursive_mutex> lock(server_->Db().Mutex());
        // Only a company this database keeps, and a user it knows.
        if (server_->Db().Scalar("SELECT 1 FROM ADMCO WHERE CO001 = ?", {company_}).IsEmpty())
            return Variant(1);
        auto user =
            server_->Db().Query("SELECT IFNULL(MF006, '') FROM ADMMF WHERE MF001 = ?", {user_});
        if (user.empty()) return Variant(1);
        stored = VarToStr(user[0][0]);
    }
    // The hash is checked outside the lock: it takes a while on purpose.
    connected_ = !requirePassword_ || SignOnKeyMatches(stored, signOnKey_);
    // 0 accepted; 1 the user is not known to this company or the password is wrong.
    return Variant(connected_ ? 0 : 1);
}

std::string AppSession::SvrData() {
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    std::string out;
    for (auto& r :
         db.Query("SELECT PS002, PS003 FROM ADMPS WHERE PS001 = ? ORDER BY rowid", {program_}))
        out += VarToStr(r[0]) + "=" + VarToStr(r[1]) + "\r\n";
    std::string group = VarToStr(db.Scalar("SELECT MF004 FROM ADMMF WHERE MF001 = ?", {user_}));
    // The user's own rights for the program, else those of the user's group.
    auto rights =
        db.Query("SELECT MG006, MG007 FROM ADMMG WHERE MG001 = ? AND MG002 = ?", {user_, program_});
    if (rights.empty())
        rights = db.Query(
            "SELECT MG006, MG007 FROM ADMMG WHERE MG001 = '**********' AND MG009 = ? AND MG002 = ?",
            {group, program_});
    std::string power = rights.empty() ? "" : VarToStr(rights[0][0]);
    std::string exPower = rights.empty() ? "" : VarToStr(rights[0][1]);
    bool limited = !db.Scalar("SELECT 1 FROM ADMML WHERE ML001 = ?", {user_}).IsEmpty();
    out += "POWER_DATA=" + power + "\r\n";
    out += "EX_POWER=" + exPower + "\r\n";
    out += "GROUP_LIST=" + (group.empty() ? std::string() : plat::QuotedStr(group)) + "\r\n";
    out += std::string("BaseLimited=") + (limited ? "Y" : "N") + "\r\n";
    out += "USER_GROUP=" + group + "\r\n";
    return out;
}

Variant AppSession::WhatIs(const std::string& key) {
    std::string k = plat::UpperCase(plat::Trim(key));
    if (k == "TODAY") return Variant(TodayText());
    if (k == "SQLTYPE") return Variant(0);
    if (k == "SEQNO") return Variant(lastSeqNo_);
    throw ServerError("WhatIs knows TODAY, SQLTYPE and SEQNO, not \"" + key + "\"");
}

Variant AppSession::GetBaseLimitedRecs(const std::string& prefix, const std::string& condition,
                                       int rows) {
    (void)rows;
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    auto allowed = db.Query("SELECT ML002, ML003 FROM ADMML WHERE ML001 = ?", {user_});
    if (allowed.empty()) return Variant();  // no restriction for this user
    std::string level = plat::UpperCase(prefix);
    if (level.empty() || level.back() != '_') level += "_";
    std::string table = ProgramSetting(level + "TABLE");
    std::string parentLevel = level == "F11_" ? "D11_" : "M11_";
    std::vector<std::string> keys, parentKeys;
    auto split = [](const std::string& s) {
        std::vector<std::string> out;
        size_t b = 0;
        for (size_t i = 0; i <= s.size(); ++i)
            if (i == s.size() || s[i] == ',') {
                std::string part = plat::Trim(s.substr(b, i - b));
                size_t sp = part.find(' ');
                if (sp != std::string::npos) part = part.substr(0, sp);  // "field alias"
                size_t dot = part.find('.');
                if (dot != std::string::npos) part = part.substr(dot + 1);
                if (!part.empty()) out.push_back(part);
                b = i + 1;
            }
        return out;
    };
    keys = split(ProgramSetting(level + "KEY"));
    parentKeys = split(ProgramSetting(parentLevel + "KEY"));
    if (table.empty() || keys.empty()) return Variant();
    const TableInfo& info = server_->Table(table);
    // The condition is " and TABLE.FIELD=value" terms on the parent's key: read
    // them as values, never as SQL.
    std::vector<std::pair<std::string, std::string>> terms;
    if (!ReadKeyTerms(condition, terms))
        throw ServerError("GetBaseLimitedRecs cannot read the condition \"" + condition + "\"");
    std::string where;
    std::vector<Variant> params;
    for (auto& [field, value] : terms) {
        auto pos = std::find_if(parentKeys.begin(), parentKeys.end(),
                                [&](auto& k) { return plat::SameText(k, field); });
        if (pos == parentKeys.end() || (size_t)(pos - parentKeys.begin()) >= keys.size())
            throw ServerError("GetBaseLimitedRecs: " + field + " is not a key of the parent level");
        where += (where.empty() ? "" : " AND ") + keys[(size_t)(pos - parentKeys.begin())] + " = ?";
        params.push_back(Variant(value));
    }
    // The base data a row of this level names, by table of the restriction.
    std::map<std::string, std::string> refColumn;
    if (info.Find("TI004")) refColumn["INVMB"] = "TI004";
    if (info.Find("TI009")) refColumn["CMSMC"] = "TI009";
    std::string sql = "SELECT " +
                      [&] {
                          std::string cols;
                          for (auto& k : keys) cols += (cols.empty() ? "" : ", ") + k;
                          return cols;
                      }() +
                      [&] {
                          std::string extra;
                          for (auto& [t, c] : refColumn) extra += ", " + c;
                          return extra;
                      }() +
                      " FROM " + info.name + (where.empty() ? "" : " WHERE " + where);
    auto stored = db.Query(sql, params);
    if (stored.empty()) return Variant();  // nothing stored yet: nothing to judge
    std::map<std::string, std::set<std::string>> allowedBy;
    for (auto& a : allowed) allowedBy[VarToStr(a[0])].insert(VarToStr(a[1]));
    std::vector<Variant> allowedKeys;
    for (auto& row : stored) {
        bool ok = true;
        size_t col = keys.size();
        for (auto& [t, c] : refColumn) {
            auto it = allowedBy.find(t);
            if (it != allowedBy.end() && !it->second.count(VarToStr(row[col]))) ok = false;
            ++col;
        }
        if (!ok) continue;
        std::string key;
        for (size_t i = 0; i < keys.size(); ++i) {
            const ColumnInfo* ci = info.Find(keys[i]);
            key += (i ? "-" : "") + plat::PadRightToWidth(VarToStr(row[i]), ci ? ci->width : 0);
        }
        allowedKeys.push_back(Variant(key));
    }
    return plat::VarArrayOf({(int)allowedKeys.size(), Variant::ArrayOf(allowedKeys)});
}

std::string AppSession::InsertConTable(const Variant& a) {
    auto p = ArrayItems(a);
    if (p.size() < 7) return "InsertConTable needs seven values";
    std::string name = plat::Trim(VarToStr(p[0]));
    if (name.empty()) return "The scheme name is empty";
    if (plat::TextWidth(name) > 20) return "The scheme name is longer than 20";
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    // The creator is the signed-on user, not the one the request names.
    bool exists =
        !db.Scalar("SELECT 1 FROM DOCUS WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                   {name, user_, p[3]})
             .IsEmpty();
    if (exists && !AsFlag(p[6])) return "查询方案 " + name + " 已存在";
    db.Query(
        "INSERT OR REPLACE INTO DOCUS (NCONDITION, CREATOR, PROGRAMME, CREATE_DATE, VCONDITION, "
        "ActivePage) "
        "VALUES (?, ?, ?, ?, ?, ?)",
        {name, user_, VarToStr(p[3]), VarToStr(p[2]), VarToStr(p[4]),
         (int)plat::VarToIntDef(p[5], 0)});
    return "";
}

std::string AppSession::DeleteConTable(const Variant& a) {
    auto p = ArrayItems(a);
    if (p.size() < 3) return "DeleteConTable needs three values";
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    Statement st(db, "DELETE FROM DOCUS WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?");
    st.BindAll({VarToStr(p[0]), user_, VarToStr(p[2])});
    st.Step();
    return st.Changes() == 1 ? "" : "查询方案 " + VarToStr(p[0]) + " 不存在";
}

std::string AppSession::ChangeConName(const Variant& oldKey, const Variant& newKey) {
    auto o = ArrayItems(oldKey), n = ArrayItems(newKey);
    if (o.size() < 3 || n.size() < 3) return "ChangeConName needs two arrays of three values";
    std::string newName = plat::Trim(VarToStr(n[0]));
    if (newName.empty() || plat::TextWidth(newName) > 20)
        return "The scheme name must have 1 to 20 characters";
    Database& db = server_->Db();
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    if (!db.Scalar("SELECT 1 FROM DOCUS WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?",
                   {newName, user_, VarToStr(n[2])})
             .IsEmpty())
        return "查询方案 " + newName + " 已存在";
    Statement st(db,
                 "UPDATE DOCUS SET NCONDITION = ?, CREATOR = ?, PROGRAMME = ? "
                 "WHERE NCONDITION = ? AND CREATOR = ? AND PROGRAMME = ?");
    st.BindAll({newName, user_, VarToStr(n[2]), VarToStr(o[0]), user_, VarToStr(o[2])});
    st.Step();
    return st.Changes() == 1 ? "" : "查询方案 " + VarToStr(o[0]) + " 不存在";
}

std::string AppSession::GetFormat(const std::string& company, const std::string& program) {
    std::lock_guard<std::recursive_mutex> lock(server_->Db().Mutex());
    return VarToStr(
        server_->Db().Scalar("SELECT FM004 FROM USRFM WHERE FM001 = ? AND FM002 = ? AND FM003 = ?",
                             {company, user_, plat::UpperCase(program)}));
}

bool AppSession::QueryMaxSeq(const std::string& table, const std::string& keyFields,
                             const Variant& values, const std::string& dateText,
                             std::string& number) {
    (void)keyFields;
    auto v = ArrayItems(values);
    if (v.empty() || VarToStr(v[0]).empty()) return false;
    number = server_->OfferDocumentNumber(this, table, VarToStr(v[0]), dateText);
    return !number.empty();
}

void RegisterAppServer(std::shared_ptr<AppServer> server) {
    plat::RegisterOleFactory("NevaQ22D.Class1", [server]() -> plat::DispatchPtr {
        return std::shared_ptr<AppSession>(server->NewSession().release());
    });
}

}  // namespace standin
