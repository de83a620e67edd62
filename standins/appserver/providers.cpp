#include "standins/appserver/providers.h"

#include "platform/core/text.h"
#include "standins/appserver/mini_xml.h"
#include "standins/appserver/session.h"
#include "standins/appserver/table_provider.h"

namespace standin {

using plat::TFieldType;
using plat::Variant;
using plat::VarToStr;

namespace {

constexpr TFieldType S = TFieldType::ftString;
constexpr TFieldType F = TFieldType::ftFloat;

// The derived columns of the receipt, filled on fetch from the tables the
// rules look up (document type, factory, supplier, item, work order ...).
const std::vector<DerivedColumn>& HeaderDerived() {
    static const std::vector<DerivedColumn> d = {
        {"TH001C", S, 10, "IFNULL(Q.MQ002, '')"},
        {"TH001C1", S, 1, "IFNULL(Q.MQ007, '')"},
        {"TH001C2", S, 2, "IFNULL(Q.MQ003, '')"},
        {"TH001C3", S, 1, "IFNULL(Q.MQC02, 'N')"},
        {"TH004C", S, 20, "IFNULL(FA.MB002, '')"},
        {"TH005C", S, 20, "IFNULL(SU.MA002, '')"},
        {"TH005C1", S, 1, "IFNULL(SU.MA017, '')"},
        {"TH027C", F, 0, "MOCTH.TH027 + MOCTH.TH020"},
        {"TH032C", F, 0, "MOCTH.TH031 + MOCTH.TH032"},
        {"TH033C", S, 30, "IFNULL(PT.NA003, '')"},
        {"TH038C", S, 20, "IFNULL(DP.ME002, '')"},
        {"TH045C", S, 255, "IFNULL(PJ.NO002, '')"},
        {"MQ024C", S, 1, "IFNULL(Q.MQ024, '')"},
        {"MQ042C", S, 1, "IFNULL(Q.MQ042, 'N')"},
        {"MQ043C", S, 1, "IFNULL(Q.MQ043, 'N')"},
        {"MQC03C", S, 1, "IFNULL(Q.MQC03, 'N')"},
        {"MQC04C", S, 1, "IFNULL(Q.MQC04, 'N')"},
    };
    return d;
}

const char* kHeaderJoins =
    "LEFT JOIN CMSMQ Q ON Q.MQ001 = MOCTH.TH001 "
    "LEFT JOIN CMSMB FA ON FA.MB001 = MOCTH.TH004 "
    "LEFT JOIN PURMA SU ON SU.MA001 = MOCTH.TH005 "
    "LEFT JOIN CMSNA PT ON PT.NA001 = '1' AND PT.NA002 = MOCTH.TH033 "
    "LEFT JOIN CMSME DP ON DP.ME001 = MOCTH.TH038 "
    "LEFT JOIN CMSNO PJ ON PJ.NO001 = MOCTH.TH045";

const std::vector<DerivedColumn>& LineDerived() {
    static const std::vector<DerivedColumn> d = {
        {"TI009C", S, 20, "IFNULL(WH.MC002, '')"},
        {"TI014C1", S, 4, "IFNULL(WO.TA026, '')"},
        {"TI014C2", S, 11, "IFNULL(WO.TA027, '')"},
        {"TI014C3", S, 4, "IFNULL(WO.TA028, '')"},
        {"TI015C", S, 12, "IFNULL(PR.MW002, '')"},
        {"TI043C", S, 10, "IFNULL(US.MF002, '')"},
        {"TI004C2", S, 20, "CASE WHEN MOCTI.TIC01 = '1' THEN '' ELSE MOCTI.TI004 END"},
        {"TI007C", F, 0, "MOCTI.TI007"},
        {"TI004C1", S, 1, "IFNULL(IT.MB043, '0')"},
        {"TI004C", S, 1, "IFNULL(IT.MB022, 'N')"},
        {"TI016C", F, 0, "MOCTI.TI016"},
        {"MB091C", S, 1, "IFNULL(IT.MB091, 'N')"},
        {"TI004C3", F, 0, "IFNULL(WO.TA015, 0)"},
        {"TI004C4", F, 0, "IFNULL(WO.TA057, 0)"},
        {"TI004C7", F, 0, "IFNULL(WO.TA050, 0)"},
        {"TI004C8", F, 0, "IFNULL(WO.TA049, 0)"},
        {"TI004C9", F, 0, "IFNULL(WO.TA051, 0)"},
        {"TI004C5", F, 0, "IFNULL(WO.TA017, 0)"},
        {"TI004C6", F, 0, "IFNULL(WO.TA018, 0)"},
        {"TI011C", F, 0, "IFNULL(IT.MB023, 0)"},
        {"TI012C", F, 0, "IFNULL(IT.MB024, 0)"},
        {"TI004C10", S, 1, "IFNULL(IT.MB198, 'N')"},
        {"TI004C11", F, 0, "IFNULL(IT.MB035, 0)"},
        {"TI004C12", S, 20, "MOCTI.TI004"},
        {"TI004C13", F, 0, "IFNULL(IT.MB402, 0)"},
        {"TI004C14", F, 0, "IFNULL(IT.MB403, 0)"},
        {"TI013C1", S, 1, "IFNULL(WO.TA011, '')"},
        {"TI013C2", S, 8, "IFNULL(WO.TA012, '')"},
        {"TI004C15", F, 0, "IFNULL(WO.TA058, 0)"},
        {"TI004C16", F, 0, "IFNULL(WO.TA059, 0)"},
        {"TI004C17", S, 4, "IFNULL(IT.MB004, '')"},
        {"TA073C", S, 15, "IFNULL(WO.TA073, '')"},
        {"TI010_OLD", S, 20, "MOCTI.TI010"},
        {"TI004_OLD", S, 20, "MOCTI.TI004"},
        {"TI004MB454", S, 1, "IFNULL(IT.MB454, 'N')"},
    };
    return d;
}

const char* kLineJoins =
    "LEFT JOIN INVMB IT ON IT.MB001 = MOCTI.TI004 "
    "LEFT JOIN CMSMC WH ON WH.MC001 = MOCTI.TI009 "
    "LEFT JOIN MOCTA WO ON WO.TA001 = MOCTI.TI013 AND WO.TA002 = MOCTI.TI014 "
    "LEFT JOIN CMSMW PR ON PR.MW001 = MOCTI.TI015 "
    "LEFT JOIN ADMMF US ON US.MF001 = MOCTI.TI043";

std::vector<std::string> SplitKeys(const std::string& s) {
    std::vector<std::string> out;
    size_t b = 0;
    for (size_t i = 0; i <= s.size(); ++i)
        if (i == s.size() || s[i] == ',') {
            std::string part = plat::Trim(s.substr(b, i - b));
            size_t sp = part.find(' ');
            if (sp != std::string::npos) part = part.substr(0, sp);
            size_t dot = part.find('.');
            if (dot != std::string::npos) part = part.substr(dot + 1);
            if (!part.empty()) out.push_back(part);
            b = i + 1;
        }
    return out;
}

// The colour rules of the session's program, evaluated per record on the
// server: one text "bkcolor=..;colorx=.." per coloured control.
class ColorProvider : public plat::IProvider {
  public:
    explicit ColorProvider(AppSession& s) : session_(s) {}
    std::string Name() const override { return "pvdColor"; }
    Variant DataRequest(const Variant& data) override {
        request_ = data;
        return Variant();
    }
    plat::TDataPacket GetRecords(const plat::TFetchRequest& request) override {
        if (request.restart || !inner_) Build();
        return inner_->GetRecords(request);
    }
    plat::TApplyReply ApplyUpdates(const plat::TDelta&, int) override {
        throw ServerError("The colour rows are computed; they cannot be changed");
    }

  private:
    // Each enabled component of a form path, with its valid conditions.
    std::vector<DerivedColumn> Components(const XmlElement* path, const std::string& from) {
        std::vector<DerivedColumn> out;
        if (!path) return out;
        AppServer& server = session_.Server();
        std::lock_guard<std::recursive_mutex> lock(server.Db().Mutex());
        for (const XmlElement* c : path->Children("component")) {
            if (c->Attribute("enable") != "Y" || c->Attribute("name").empty()) continue;
            std::string cases;
            for (const XmlElement* cond : c->Children("condition")) {
                std::string where = server.Translate(cond->Attribute("value"));
                try {  // a rule that does not run here is left out, not fatal
                    CheckClientFragment(where, false);
                    ClientSqlScope scope(server.Db(), server.ClientPolicy());
                    Statement probe(server.Db(),
                                    "SELECT 1 FROM " + from + " WHERE (" + where + "\n)");
                    if (!probe.IsReadOnly()) continue;
                } catch (const SqlError&) {
                    continue;
                } catch (const ServerError&) {
                    continue;
                }
                std::string text;
                if (!cond->Attribute("bkcolor").empty())
                    text += "bkcolor=" + cond->Attribute("bkcolor") + ";";
                if (!cond->Attribute("colorx").empty())
                    text += "colorx=" + cond->Attribute("colorx") + ";";
                cases += " WHEN (" + where + "\n) THEN " + QuoteSql(text);
            }
            std::string name = c->Attribute("name");
            out.push_back({name, S, 255, cases.empty() ? "''" : "CASE" + cases + " ELSE '' END"});
        }
        return out;
    }

    void Build() {
        std::string mainTable = session_.ProgramSetting("M11_TABLE");
        std::string bodyTable = session_.ProgramSetting("D11_TABLE");
        auto mainKeys = SplitKeys(session_.ProgramSetting("M11_KEY"));
        auto bodyKeys = SplitKeys(session_.ProgramSetting("D11_KEY"));
        if (mainTable.empty() || mainKeys.empty())
            throw ServerError("Program " + session_.Program() +
                              " has no M11_TABLE and M11_KEY settings");
        std::string xml;
        {
            std::lock_guard<std::recursive_mutex> lock(session_.Server().Db().Mutex());
            xml = VarToStr(session_.Server().Db().Scalar("SELECT NH003 FROM ADMNH WHERE NH001 = ?",
                                                         {plat::UpperCase(session_.Program())}));
        }
        std::unique_ptr<XmlElement> root;
        if (!plat::Trim(xml).empty()) root = ParseXml(xml);
        const XmlElement* manager = root && root->name == "colormanager" ? root.get() : nullptr;
        LevelSpec head;
        head.table = mainTable;
        head.storedColumns = mainKeys;
        head.derived = Components(manager ? manager->Child("head") : nullptr, mainTable);
        std::vector<LevelSpec> levels{head};
        if (manager && manager->Child("body") && !bodyTable.empty() &&
            bodyKeys.size() > mainKeys.size()) {
            LevelSpec body;
            body.table = bodyTable;
            body.storedColumns = bodyKeys;
            body.nestedField = "qryBodyColor";
            body.linkColumns.assign(bodyKeys.begin(), bodyKeys.begin() + (long)mainKeys.size());
            std::string on;
            for (size_t i = 0; i < mainKeys.size(); ++i)
                on += (i ? " AND " : "") + mainTable + "." + mainKeys[i] + " = " + bodyTable + "." +
                      bodyKeys[i];
            body.joins = "JOIN " + mainTable + " ON " + on;
            body.derived = Components(manager->Child("body"), bodyTable + " " + body.joins);
            if (!body.derived.empty()) levels.push_back(body);
        }
        ProviderOptions o;
        o.readOnly = true;
        o.topRowLimit = true;
        inner_ = std::make_unique<TableProvider>("pvdColor", session_, levels, o);
        inner_->DataRequest(request_);
    }

    AppSession& session_;
    Variant request_;
    std::unique_ptr<TableProvider> inner_;
};

// The rows the last GetF2Data prepared for this session.
class LookupProvider : public plat::IProvider {
  public:
    explicit LookupProvider(AppSession& s) : session_(s) {}
    std::string Name() const override { return "pvdDravoc"; }
    Variant DataRequest(const Variant&) override { return Variant(); }
    plat::TDataPacket GetRecords(const plat::TFetchRequest& request) override {
        plat::TDataPacket& all = session_.LookupRows();
        // A later lookup may have fewer rows than this cursor has passed.
        cursor_ = request.restart ? 0 : std::min(cursor_, all.rows.size());
        plat::TDataPacket p;
        if (request.metadata) p.fields = all.fields;
        size_t remaining = all.rows.size() - std::min(cursor_, all.rows.size());
        size_t take = request.count < 0 ? remaining : std::min(remaining, (size_t)request.count);
        p.rows.assign(all.rows.begin() + (long)cursor_, all.rows.begin() + (long)(cursor_ + take));
        cursor_ += take;
        p.endOfData = cursor_ >= all.rows.size();
        return p;
    }
    plat::TApplyReply ApplyUpdates(const plat::TDelta&, int) override {
        throw ServerError("Lookup rows cannot be changed");
    }

  private:
    AppSession& session_;
    size_t cursor_ = 0;
};

}  // namespace

std::unique_ptr<plat::IProvider> MakeReceiptProvider(AppSession& session) {
    LevelSpec header;
    header.table = "MOCTH";
    header.derived = HeaderDerived();
    header.joins = kHeaderJoins;
    header.order = "MOCTH.TH001, MOCTH.TH002";
    header.versionColumns = {"FLAG", "TH023"};
    header.statusColumn = "TH023";
    header.afterConfirm = {"TH011", "TH012", "TH013", "TH014", "TH015", "TH030"};
    LevelSpec lines;
    lines.table = "MOCTI";
    lines.derived = LineDerived();
    lines.joins = kLineJoins;
    lines.nestedField = "qryBody";
    lines.linkColumns = {"TI001", "TI002"};
    lines.statusColumn = "TI037";
    lines.afterConfirm = {"TI033"};
    LevelSpec serials;
    serials.table = "PSMMB";
    serials.derived = {{"CHECKED", S, 1, "'N'"}};
    serials.nestedField = "qryFoot";
    serials.linkColumns = {"MB001", "MB002", "MB003"};
    ProviderOptions o;
    o.topRowLimit = true;
    o.countRecords = true;
    o.numberDocuments = true;
    o.documentDate = "TH029";
    o.documentRights = true;
    return std::make_unique<TableProvider>("pvdMain", session,
                                           std::vector<LevelSpec>{header, lines, serials}, o);
}

std::unique_ptr<plat::IProvider> MakeColorProvider(AppSession& session) {
    return std::make_unique<ColorProvider>(session);
}

std::unique_ptr<plat::IProvider> MakeSavedConditionProvider(AppSession& session) {
    LevelSpec schemes;
    schemes.table = "DOCUS";
    schemes.order = "DOCUS.NCONDITION";
    // Only the signed-on user's own schemes, whatever user the client names.
    schemes.filter = [&session]() {
        return std::pair<std::string, std::vector<Variant>>{
            "DOCUS.CREATOR = ? AND DOCUS.PROGRAMME = ?",
            {Variant(session.User()), Variant(session.ConditionProgram())}};
    };
    ProviderOptions o;
    o.useRequest = false;
    o.ownerColumn = "CREATOR";
    return std::make_unique<TableProvider>("pvdConSave", session, std::vector<LevelSpec>{schemes},
                                           o);
}

std::unique_ptr<plat::IProvider> MakeLookupProvider(AppSession& session) {
    return std::make_unique<LookupProvider>(session);
}

}  // namespace standin
