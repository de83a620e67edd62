#include "standins/host/server_link.h"

#include "platform/core/text.h"
#include "standins/appserver/server.h"
#include "standins/appserver/session.h"
#include "standins/appserver/tcp_transport.h"

namespace standin {

plat::Variant SessionLink::CallOperation(const std::string& name, const plat::Variant& args,
                                         const plat::Variant& signOn) {
    plat::Variant n = name, a = args;
    return session_->Call("GETCOUNTER", n, a, signOn);
}

bool SessionLink::CheckValue(const std::string& table, const std::string& query, const std::string&,
                             const plat::Variant& keys, plat::Variant& result) {
    try {
        plat::Variant reply;
        bool found = session_->Call("CheckValue", table, query, keys, reply).AsBoolean();
        result = reply;
        return found;
    } catch (const plat::EOleSysError&) {
        throw;  // the server was not asked: not "not found"
    } catch (const plat::Exception&) {
        return false;
    }
}

bool SessionLink::QueryData(const std::string& table, const std::string& query, const std::string&,
                            const plat::Variant& keys, plat::Variant& result) {
    try {
        plat::Variant reply;
        session_->Call("QueryData", table, query, keys, reply);
        result = reply;
        return reply.IsArray() && reply.ArrayCount() > 0;
    } catch (const plat::EOleSysError&) {
        throw;
    } catch (const plat::Exception&) {
        return false;
    }
}

bool SessionLink::NextNumber(const std::string& table, const std::string& keyFields,
                             const plat::Variant& values, const std::string& date,
                             const std::string&, const std::string&, std::string& number) {
    try {
        plat::Variant reply;
        if (!session_->Call("QueryMaxSeq", table, keyFields, values, date, reply).AsBoolean())
            return false;
        number = plat::VarToStr(reply);
        return true;
    } catch (const plat::Exception&) {
        return false;
    }
}

LookupRows SessionLink::LookupPage(const LookupPageRequest& r) {
    plat::Variant reply = session_->Call("GetLookupPage", r.kind, r.subKind, r.params, r.filter,
                                         r.pinyin ? 1 : 0, (long long)r.offset, (long long)r.count);
    LookupRows page;
    if (!reply.IsArray() || reply.ArrayCount() < 6)
        throw ServerError("The server's lookup page has the wrong shape");
    const std::vector<plat::Variant> parts = ArrayItems(reply);
    for (const plat::Variant& c : ArrayItems(parts[0])) page.columns.push_back(plat::VarToStr(c));
    for (const plat::Variant& row : ArrayItems(parts[1])) {
        std::vector<plat::Variant> values = ArrayItems(row);
        values.resize(page.columns.size());
        page.rows.push_back(std::move(values));
    }
    page.more = plat::VarToIntDef(parts[2], 0) != 0;
    page.display = plat::VarToStr(parts[3]);
    page.displayEng = plat::VarToStr(parts[4]);
    page.returnFields = plat::VarToStr(parts[5]);
    if (parts.size() >= 9) {
        page.moneyFields = plat::VarToStr(parts[6]);
        page.priceFields = plat::VarToStr(parts[7]);
        page.maps = plat::VarToStr(parts[8]);
    }
    return page;
}

std::vector<Phrase> SessionLink::Phrases(const std::string& user) {
    std::vector<Phrase> out;
    for (const plat::Variant& row : ArrayItems(session_->Call("GetPhrases", user))) {
        const std::vector<plat::Variant> v = ArrayItems(row);
        if (v.size() >= 3)
            out.push_back({plat::VarToIntDef(v[0], 0), plat::VarToStr(v[1]), plat::VarToStr(v[2])});
    }
    return out;
}

int64_t SessionLink::AddPhrase(const std::string& user, const std::string& text, bool forCompany) {
    return plat::VarToIntDef(session_->Call("AddPhrase", user, text, forCompany ? 1 : 0), 0);
}

bool SessionLink::DeletePhrase(const std::string& user, int64_t number) {
    return session_->Call("DeletePhrase", user, (long long)number).AsBoolean();
}

void WriteSystemParameters(const SystemParameters& params, const std::string& company,
                           Database& db) {
    TransactionGuard txn(db);
    for (auto& [name, value] : params.ForCompany(company)) {
        Statement update(db, "UPDATE SYSPM SET PM002 = ?1 WHERE UPPER(PM001) = UPPER(?2)");
        update.BindAll({value, name});
        update.Step();
        if (update.Changes() == 0)
            db.Query("INSERT INTO SYSPM (PM001, PM002) VALUES (?1, ?2)", {name, value});
    }
    txn.Commit();
}

void ConnectInProcess(HostServices& services, std::shared_ptr<AppServer> server) {
    auto link = std::make_shared<SessionLink>(std::shared_ptr<AppSession>(server->NewSession()));
    services.catalogue = link;
    services.numbering = link;
    services.lookups = link;
    services.suite->server = link;
    services.suite->database = std::shared_ptr<Database>(server, &server->Db());
    services.suite->newSession = [server]() -> plat::DispatchPtr {
        return std::shared_ptr<AppSession>(server->NewSession());
    };
    if (services.sysParams && server->HasTable("SYSPM"))
        WriteSystemParameters(*services.sysParams, "*", server->Db());
}

void ConnectRemote(HostServices& services, const std::string& address, int port,
                   const std::string& databasePath, const std::string& user,
                   const std::string& password, const std::string& company) {
    auto remote = RemoteAppServer::Connect(address, port);
    plat::Variant answer =
        remote->Call("Connect", plat::VarArrayOf({"", user, company, password, "True", "True"}));
    if (plat::VarToIntDef(answer, -1) != 0)
        throw ServerError("The application server at " + address + " refused the sign-on of " +
                          user);
    auto link = std::make_shared<SessionLink>(remote);
    services.catalogue = link;
    services.numbering = link;
    services.lookups = link;
    services.suite->server = link;
    services.suite->newSession = nullptr;
    services.suite->database =
        databasePath.empty() ? nullptr : std::make_shared<Database>(databasePath);
}

}  // namespace standin
