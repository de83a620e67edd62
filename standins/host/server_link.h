// The host's link to the application server. SessionLink answers the
// validator, the counter's operations and document numbers through a server
// session object by name (CheckValue, QueryData, QueryMaxSeq, GETCOUNTER),
// so it serves an in-process session and a remote one alike.
// ConnectInProcess wires the host to an in-process server: a session for the
// host objects, the server's database for the transaction server, new
// sessions for "NevaQ22D.Class1" and "DravocS.Class1", and the host's system
// parameters written into the company's parameter table, so that the
// server's own operations read the same values as the module. ConnectRemote
// does the same over TCP.
#pragma once
#include <memory>

#include "platform/automation/dispatch.h"
#include "standins/appserver/sign_on.h"
#include "standins/host/host_services.h"

namespace standin {

class AppServer;
class Database;

class SessionLink : public IServerOperations,
                    public IQueryCatalogue,
                    public IDocumentNumbering,
                    public IHostLookups {
  public:
    explicit SessionLink(plat::DispatchPtr session) : session_(std::move(session)) {}

    plat::Variant CallOperation(const std::string& name, const plat::Variant& args,
                                const plat::Variant& signOn) override;
    // A look-up the server refuses (an unknown table or query number, a bad
    // key) is "not found"; one that cannot reach the server raises its
    // plat::EOleSysError, so the caller can tell an outage from no row.
    bool CheckValue(const std::string& table, const std::string& query, const std::string& database,
                    const plat::Variant& keys, plat::Variant& result) override;
    bool QueryData(const std::string& table, const std::string& query, const std::string& database,
                   const plat::Variant& keys, plat::Variant& result) override;
    bool NextNumber(const std::string& table, const std::string& keyFields,
                    const plat::Variant& values, const std::string& date,
                    const std::string& program, const std::string& database,
                    std::string& number) override;
    LookupRows LookupPage(const LookupPageRequest& request) override;
    std::vector<Phrase> Phrases(const std::string& user) override;
    int64_t AddPhrase(const std::string& user, const std::string& text, bool forCompany) override;
    bool DeletePhrase(const std::string& user, int64_t number) override;

  private:
    plat::DispatchPtr session_;
};

void ConnectInProcess(HostServices& services, std::shared_ptr<AppServer> server);

// Links the host objects to the `appserver` program over TCP. The
// transaction server writes the database file at databasePath on its own
// connection when one is given (server and host on one machine); without it
// the transaction server refuses, saying it has no database. The host does
// not serve "NevaQ22D.Class1" and "DravocS.Class1" then: the module reaches
// a remote server by its address. The host's own session signs on to
// `company` as `user` with `password` (the sign-on key). Raises
// plat::EOleSysError when the server cannot be reached, ServerError when it
// refuses the sign-on.
void ConnectRemote(HostServices& services, const std::string& address, int port,
                   const std::string& databasePath = "", const std::string& user = "DS",
                   const std::string& password = kDemoPassword,
                   const std::string& company = "DEMO");

// Writes the parameters of a company into the server's parameter table
// (SYSPM), replacing a value whose name differs only in case.
void WriteSystemParameters(const SystemParameters& params, const std::string& company,
                           Database& db);

}  // namespace standin
