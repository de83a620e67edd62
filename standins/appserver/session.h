// One client's session on the application server: the server object the
// module reaches as "NevaQ22D.Class1" (methods by name, by-reference
// arguments) and the source of its providers. Each session keeps its own
// state: the signed-on user and program, the last query's record count, the
// top-row limit, the numbering flag and the last number given, the program
// of the saved query schemes (always the signed-on user's), and the rows of
// the last lookup.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/data/provider.h"
#include "standins/appserver/server.h"

namespace standin {

class AppSession : public plat::DispatchObject, public plat::IProviderSource {
  public:
    explicit AppSession(std::shared_ptr<AppServer> server);
    ~AppSession() override;

    plat::IProvider* FindProvider(const std::string& name) override;

    // The operations called by name through the counter ("SimpleSQL",
    // "UnitConvert" ...), each with its one argument array. Names ignore case.
    plat::Variant CallOperation(const std::string& name, const plat::Variant& args);
    static std::vector<std::string> OperationNames();

    AppServer& Server() { return *server_; }
    const std::string& Program() const { return program_; }
    const std::string& User() const { return user_; }
    const std::string& Company() const { return company_; }
    // Whether the last Connect signed a user on.
    bool Connected() const { return connected_; }
    // A session of a remote client signs on only with the user's password as
    // its sign-on key; one in the client's own process by the user alone.
    void RequirePassword(bool on) { requirePassword_ = on; }
    int TopRows() const { return topRows_; }
    bool IsSeq() const { return isSeq_; }
    void SetLastSeqNo(const std::string& n) { lastSeqNo_ = n; }
    void SetRecordCount(int n) { recordCount_ = n; }
    const std::string& ConditionProgram() const { return conProgram_; }
    // Rows and fields of the last lookup (the lookup provider serves them).
    plat::TDataPacket& LookupRows() { return lookupRows_; }
    // A program setting ("M11_TABLE" ...) of the signed-on program.
    std::string ProgramSetting(const std::string& name);
    // Whether the client of the running request has left (a TCP client that
    // closed its connection): a write it asked for is then not committed.
    void SetClientGone(std::function<bool()> gone) { clientGone_ = std::move(gone); }
    bool ClientGone() const { return clientGone_ && clientGone_(); }

  private:
    // Methods of the server object.
    plat::Variant Connect(const plat::Variant& params);
    std::string SvrData();
    plat::Variant WhatIs(const std::string& key);
    plat::Variant GetBaseLimitedRecs(const std::string& prefix, const std::string& condition,
                                     int rows);
    std::string InsertConTable(const plat::Variant& a);
    std::string DeleteConTable(const plat::Variant& a);
    std::string ChangeConName(const plat::Variant& oldKey, const plat::Variant& newKey);
    std::string GetFormat(const std::string& company, const std::string& program);
    bool QueryMaxSeq(const std::string& table, const std::string& keyFields,
                     const plat::Variant& values, const std::string& dateText, std::string& number);
    bool GetF2Data(plat::Variant& request, plat::Variant& reply);

    // Operations by name.
    struct OperationEntry {
        const char* name;
        size_t minArgs;
        plat::Variant (AppSession::*fn)(const std::vector<plat::Variant>&);
    };
    static const std::vector<OperationEntry>& Operations();
    plat::Variant SimpleSql(const std::vector<plat::Variant>& a);
    plat::Variant TransactionSql(const std::vector<plat::Variant>& a);
    plat::Variant UnitConvert(const std::vector<plat::Variant>& a);
    plat::Variant MocUnitPrice(const std::vector<plat::Variant>& a);
    plat::Variant MocOnHold(const std::vector<plat::Variant>& a, bool packages);
    plat::Variant MocOnHoldQty(const std::vector<plat::Variant>& a) { return MocOnHold(a, false); }
    plat::Variant MocOnHoldPack(const std::vector<plat::Variant>& a) { return MocOnHold(a, true); }
    plat::Variant CallWebService(const std::vector<plat::Variant>& a);
    plat::Variant ChangeTax(const std::vector<plat::Variant>& a);
    plat::Variant ExchangeRate(const std::vector<plat::Variant>& a);
    plat::Variant QueryUdfData(const std::vector<plat::Variant>& a);
    plat::Variant QtyDToS(const std::vector<plat::Variant>& a);
    plat::Variant QtyAdd(const std::vector<plat::Variant>& a);
    plat::Variant KeyinMoney(const std::vector<plat::Variant>& a);
    plat::Variant InsertSvJob(const std::vector<plat::Variant>& a);
    plat::Variant GetSvApprove(const std::vector<plat::Variant>& a);
    plat::Variant FinishSvJob(const std::vector<plat::Variant>& a);
    plat::Variant GetUserDefine(const std::vector<plat::Variant>& a);
    plat::Variant SetUserDefine(const std::vector<plat::Variant>& a);

    // Helpers of the operations.
    std::vector<std::vector<plat::Variant>> ReadOnlyQuery(const std::string& sql,
                                                          const std::vector<plat::Variant>& params,
                                                          std::vector<std::string>* columnNames);
    double StockFactor(const std::string& item, const std::string& unit, bool& known);
    double Convert(const std::string& item, double qty, const std::string& from,
                   const std::string& to, bool& ok);
    double Rate(const std::string& currency, const std::string& kind, const std::string& date);

    std::shared_ptr<AppServer> server_;
    std::string program_, user_, company_, signOnKey_;
    bool connected_ = false;
    bool requirePassword_ = false;
    // Until the client sets a record limit, the query dialog's default: a
    // form that opens before its first query must not read a whole table.
    int topRows_ = 500;
    bool isSeq_ = false;
    std::string lastSeqNo_;
    int recordCount_ = 0;
    std::string conProgram_;
    int openWinKind_ = 0;
    plat::TDataPacket lookupRows_;
    std::map<std::string, std::unique_ptr<plat::IProvider>> providers_;  // upper-case names
    std::function<bool()> clientGone_;
};

// Registers "NevaQ22D.Class1" so that creating it gives a new session of the
// server (the in-process server of a client whose address is "127.0.0.1").
void RegisterAppServer(std::shared_ptr<AppServer> server);

}  // namespace standin
