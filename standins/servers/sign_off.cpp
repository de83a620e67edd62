#include "standins/servers/sign_off.h"

#include <exception>

#include "platform/core/text.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/servers/transaction_server.h"

namespace standin {

namespace {

std::vector<std::string> SplitKeys(const std::string& text) {
    std::vector<std::string> out;
    size_t at = 0;
    for (;;) {
        size_t sep = text.find("||", at);
        out.push_back(text.substr(at, sep == std::string::npos ? std::string::npos : sep - at));
        if (sep == std::string::npos) return out;
        at = sep + 2;
    }
}

const char* ActionOf(const std::string& code) {
    if (code == "0") return "DO";
    if (code == "1") return "UNDO";
    if (code == "2") return "VOID";
    if (code == "3") return "UNVOID";
    return "";
}

}  // namespace

std::string FinishSignOffJob(const SuiteServices& services, const SignOffDecision& d) {
    if (!services.server || !services.database) return "no server";
    const TxnDefinition* def = nullptr;
    for (auto& t : TransactionDefinitions())
        if (plat::SameText(t.program, d.program)) def = &t;
    if (!def) return "program " + d.program;
    const std::vector<std::string> keys = SplitKeys(d.keyText);
    if (keys.size() != def->headKeys.size()) return "key " + d.keyText;

    plat::Variant code;
    try {
        code = services.server->CallOperation(
            "SVFinishJob",
            plat::VarArrayOf({d.company, d.program, d.keyText, d.approve ? "Y" : "N", d.approver}),
            plat::Variant());
    } catch (const std::exception& e) {
        return e.what();
    }
    std::string where;
    std::vector<plat::Variant> params;
    for (size_t i = 0; i < keys.size(); ++i) {
        where += (i ? " AND " : "") + def->headKeys[i] + " = ?";
        params.push_back(keys[i]);
    }
    Database& db = *services.database;
    std::string failure;
    bool approved = d.approve;
    if (approved) {
        const char* action = ActionOf(plat::Trim(plat::VarToStr(code)));
        plat::Variant flag;
        {
            std::lock_guard<std::recursive_mutex> lock(db.Mutex());
            flag = db.Scalar("SELECT FLAG FROM " + def->headTable + " WHERE " + where, params);
        }
        // The request as the header/body form builds it for this program.
        std::vector<plat::Variant> p = {"", "", action};
        for (auto& k : keys) p.push_back(k);
        p.push_back(plat::VarToStr(flag));
        p.push_back("");
        p.push_back("");
        p.push_back("");
        plat::Variant request = plat::Variant::ArrayOf(
            {"TXN" + d.program, "", d.company, d.approver, "", plat::Variant::ArrayOf(p)});
        plat::Variant target = plat::VarArrayOf({d.company, d.program});
        TxnResult r = RunTransaction(services, request, target, true);
        if (!r.ok) {
            failure = r.errorDescript.empty() ? "refused" : r.errorDescript;
            approved = false;
        }
    }
    if (!def->signOffStatus.empty()) {
        std::lock_guard<std::recursive_mutex> lock(db.Mutex());
        std::vector<plat::Variant> all = {approved ? "3" : "2"};
        all.insert(all.end(), params.begin(), params.end());
        db.Query("UPDATE " + def->headTable + " SET " + def->signOffStatus +
                     " = ?, FLAG = (CAST(FLAG AS INTEGER) + 1) % 1000 WHERE " + where,
                 all);
    }
    return failure;
}

}  // namespace standin
