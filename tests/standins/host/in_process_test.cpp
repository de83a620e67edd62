// The host objects and suite servers over the application server with its
// demo database, in process and over TCP.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <thread>

#include "platform/automation/oleobject.h"
#include "standins/appserver/server.h"
#include "standins/appserver/tcp_transport.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"
#include "standins/servers/office_servers.h"
#include "standins/servers/transaction_server.h"

using namespace standin;

namespace {

struct InProcess : ::testing::Test {
    std::shared_ptr<AppServer> server = AppServer::Open(":memory:");
    std::shared_ptr<HostServices> s = MakeHostServices();
    plat::DispatchPtr center;
    InProcess() {
        ConnectInProcess(*s, server);
        center = CreateWorkCenter(s);
    }
    plat::DispatchPtr Sub(plat::DispatchPtr c, const char* name) {
        return plat::VarToDispatch(c->Get(name));
    }
    std::string NextNumber(plat::DispatchPtr c, const std::string& type, const std::string& date) {
        plat::Variant table = "MOCTH", fields = "TH001,TH002",
                      values = plat::Variant::ArrayOf({type, plat::Variant()});
        plat::Variant d = date, program = "KTRB52", key = "DEMO", number;
        bool ok = Sub(c, "Com_Validator")
                      ->Call("QueryMaxSeq", table, fields, values, d, program, key, number)
                      .AsBoolean();
        return ok ? number.AsString() : "<none>";
    }
};

}  // namespace

TEST_F(InProcess, ValidatorAnswersFromTheQueryCatalogue) {
    auto validator = Sub(center, "Com_Validator");
    plat::Variant key = "DEMO", result;
    EXPECT_TRUE(
        validator->Call("CheckValue", "CMSMB", "01", key, plat::Variant::ArrayOf({"01"}), result)
            .AsBoolean());
    EXPECT_EQ(result[0].AsString(), "苏州工厂");
    // Program master of the receipt program: [name, report program, ...].
    EXPECT_TRUE(validator
                    ->Call("CheckValue", "ADMMB", "06", key,
                           plat::Variant::ArrayOf({"KTRB52", "DEMO"}), result)
                    .AsBoolean());
    EXPECT_EQ(result[0].AsString(), "委外进货单");
    // Not found, an unknown table and an unknown query number all answer false.
    EXPECT_FALSE(
        validator->Call("CheckValue", "CMSMB", "01", key, plat::Variant::ArrayOf({"99"}), result)
            .AsBoolean());
    EXPECT_FALSE(
        validator->Call("CheckValue", "NOSUCH", "01", key, plat::Variant::ArrayOf({"01"}), result)
            .AsBoolean());
    EXPECT_FALSE(
        validator->Call("CheckValue", "CMSMB", "77", key, plat::Null(), result).AsBoolean());
}

TEST_F(InProcess, DocumentNumbersAreNeverHandedOutTwice) {
    EXPECT_EQ(NextNumber(center, "5901", "20240108"),
              "20240108002");  // after the demo's reserved 001
    // Asking again holds that number: a session is offered one per type.
    EXPECT_EQ(NextNumber(center, "5901", "20240108"), "20240108002");
    EXPECT_EQ(NextNumber(center, "5903", "20240108"), "<none>");  // numbered by hand
    EXPECT_EQ(NextNumber(center, "ZZZZ", "20240108"), "<none>");

    // Two clients, each with its own work centre and session, at once, both
    // still there when the other asks.
    std::vector<std::string> numbers[2];
    plat::DispatchPtr centres[2];
    std::vector<std::thread> clients;
    for (int c = 0; c < 2; ++c)
        clients.emplace_back([&, c] {
            auto mine = MakeHostServices();
            ConnectInProcess(*mine, server);
            centres[c] = CreateWorkCenter(mine);
            for (int i = 0; i < 30; ++i)
                numbers[c].push_back(NextNumber(centres[c], "5901", "20240301"));
        });
    for (auto& t : clients) t.join();
    for (auto& n : numbers) EXPECT_EQ(std::set<std::string>(n.begin(), n.end()).size(), 1u);
    EXPECT_NE(numbers[0][0], numbers[1][0]);
    EXPECT_NE(numbers[0][0], "<none>");
}

TEST_F(InProcess, CounterForwardsOperationsAndTheServerReadsTheHostsParameters) {
    auto counter = Sub(center, "Com_Counter");
    plat::Variant name = "SimpleSQL";
    plat::Variant args = plat::Variant::ArrayOf(
        {"SELECT MB002 FROM $$CMSMB WHERE MB001 = '01'", "MB002", "DEMO", "N"});
    plat::Variant rows =
        counter->Call("GETCOUNTER", name, args, plat::Variant::ArrayOf({"DEMO", "DEMO"}));
    ASSERT_TRUE(rows.IsArray());
    EXPECT_EQ(rows[0][0].AsString(), "苏州工厂");
    plat::Variant bad = "NoSuchOperation";
    EXPECT_THROW(counter->Call("GETCOUNTER", bad, args, plat::Variant()), plat::EOleException);
    // One value per name in the server's table, whatever its case there.
    EXPECT_EQ(server->SystemParameter("SYS053"), "1");
    EXPECT_EQ(
        server->Db().Scalar("SELECT COUNT(*) FROM SYSPM WHERE UPPER(PM001) = 'SYS068'").AsInteger(),
        1);
}

TEST_F(InProcess, TransactionServerConfirmsADemoReceipt) {
    HostRegistration reg(s);
    auto txn = plat::CreateOleObject(progid::kTransactionServer);
    plat::Variant p = plat::Variant::ArrayOf(
        {"", "N", "DO", "5901", "20240112001", "1", "", "20240115", "KTRB52"});
    plat::Variant request = plat::Variant::ArrayOf(
        {"TXNKTRB52", "DEMO", "S", "DS", "", p, "936", "936", true, plat::Variant()});
    ASSERT_TRUE(
        txn->Call("DoIt2", request, plat::Variant::ArrayOf({"Velmora.TxnManager", "KTRB52"}))
            .AsBoolean())
        << plat::VarToStr(txn->Get("ErrorDescript"));
    EXPECT_EQ(plat::VarToStr(server->Db().Scalar(
                  "SELECT TH023 FROM MOCTH WHERE TH001 = '5901' AND TH002 = '20240112001'")),
              "Y");
    EXPECT_EQ(server->Db()
                  .Scalar("SELECT COUNT(*) FROM MOCTI WHERE TI001 = '5901' AND TI002 = "
                          "'20240112001' AND TI037 <> 'Y'")
                  .AsInteger(),
              0);
    // The same request again: the document moved on.
    EXPECT_FALSE(
        txn->Call("DoIt2", request, plat::Variant::ArrayOf({"Velmora.TxnManager", "KTRB52"}))
            .AsBoolean());
}

TEST_F(InProcess, ApplicationAndLookupServersByProgId) {
    HostRegistration reg(s);
    auto app = plat::CreateOleObject(progid::kAppServer);
    EXPECT_EQ(app->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
    auto lookup = plat::CreateOleObject(progid::kLookupServer);
    EXPECT_NE(app, lookup);  // a session each
    EXPECT_TRUE(lookup->HasMember("GetF2Data"));
}

TEST(OverTcp, HostObjectsReachTheServerProgram) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("ktrb_host_tcp_" + std::to_string(::getpid()) + ".db"))
                                 .string();
    std::filesystem::remove(path);
    auto server = AppServer::Open(path);
    TcpServer tcp(server, "127.0.0.1", 0);
    tcp.Start();
    {
        auto s = MakeHostServices();
        ConnectRemote(*s, "127.0.0.1", tcp.Port(), path);
        auto center = CreateWorkCenter(s);
        auto validator = plat::VarToDispatch(center->Get("Com_Validator"));
        plat::Variant key = "DEMO", result;
        EXPECT_TRUE(
            validator
                ->Call("CheckValue", "CMSMB", "01", key, plat::Variant::ArrayOf({"02"}), result)
                .AsBoolean());
        EXPECT_EQ(result[0].AsString(), "昆山工厂");
        EXPECT_FALSE(
            validator
                ->Call("CheckValue", "NOSUCH", "01", key, plat::Variant::ArrayOf({"02"}), result)
                .AsBoolean());
        plat::Variant table = "MOCTH", fields = "TH001,TH002",
                      values = plat::Variant::ArrayOf({"5901", plat::Variant()});
        plat::Variant date = "20240108", program = "KTRB52", number;
        EXPECT_TRUE(
            validator->Call("QueryMaxSeq", table, fields, values, date, program, key, number)
                .AsBoolean());
        EXPECT_EQ(number.AsString(), "20240108002");
        // The transaction server writes the file on its own connection.
        auto txn = CreateTransactionServer(s->suite);
        plat::Variant p = plat::Variant::ArrayOf(
            {"", "N", "DO", "5901", "20240112001", "1", "", "20240115", "KTRB52"});
        plat::Variant request = plat::Variant::ArrayOf(
            {"TXNKTRB52", "DEMO", "S", "DS", "", p, "936", "936", true, plat::Variant()});
        EXPECT_TRUE(
            txn->Call("DoIt2", request, plat::Variant::ArrayOf({"Velmora.TxnManager", "KTRB52"}))
                .AsBoolean());
        plat::Variant check = plat::Variant::ArrayOf(
            {"SELECT TH023 FROM $$MOCTH WHERE TH002 = '20240112001'", "TH023", "DEMO", "N"});
        plat::Variant simple = "SimpleSQL";
        EXPECT_EQ(plat::VarToDispatch(center->Get("Com_Counter"))
                      ->Call("GETCOUNTER", simple, check, plat::Variant())[0][0]
                      .AsString(),
                  "Y");
    }
    tcp.Stop();
    server.reset();
    std::filesystem::remove(path);
    EXPECT_THROW(ConnectRemote(*MakeHostServices(), "127.0.0.1", 1), plat::EOleSysError);
}

TEST_F(InProcess, OddArgumentsToEveryMemberNeverCrash) {
    auto txn = CreateTransactionServer(s->suite);
    auto other = std::make_shared<plat::DispatchObject>("Other");
    std::vector<std::pair<plat::DispatchPtr, std::vector<std::string>>> objects = {
        {center,
         {"DependencyVersion", "ProductID", "Language", "Connect", "GetMessage", "ExecWork",
          "CallHelp", "Com_Validator", "Com_Dravoc", "Com_Counter"}},
        {Sub(center, "Com_Validator"),
         {"CheckValue", "QueryData", "QueryMaxSeq", "ProductID", "BaseLimited"}},
        {Sub(center, "Com_Counter"), {"GetSysInfo", "GETCOUNTER"}},
        {Sub(center, "Com_Dravoc"),
         {"F2GetData", "ShowInputDay", "GetPhrase2", "ShowCharaters", "GetCalcValue"}},
        {txn,
         {"DoIt2", "DoCheck", "ReturnSeq", "ErrorCode", "ResultDesc", "ErrorDescript", "CloseCOM"}},
    };
    objects.push_back({CreatePager(s->suite), {"ShowSendSelmor"}});
    objects.push_back({CreateNumberingRuleTree(s->suite, {}), {"ShowTree"}});
    objects.push_back({CreateAttachmentManager(s->suite), {"Init", "ParentHandle", "ShowModal"}});
    objects.push_back({CreateDocumentManager(s->suite), {"CheckOut"}});
    plat::Variant grid =
        plat::Variant::CreateArray(std::vector<plat::VarArrayBound>{{0, 1}, {0, 1}});
    const std::vector<plat::Variant> odd = {
        plat::Variant(),
        plat::Variant::Null(),
        plat::Variant(-1),
        plat::Variant(1e300),
        plat::Variant(std::string(3, '\0')),
        plat::Variant::ArrayOf({}),
        plat::Variant::ArrayOf({plat::Variant::ArrayOf({plat::Variant::ArrayOf({})})}),
        plat::Variant::ArrayOf({plat::Variant::Null(), plat::Variant(), 7}),
        grid,
        plat::Variant(plat::DispatchPtr(other)),
        plat::Variant("MOCTH"),
        plat::Variant::Currency(1.5),
        plat::Variant(true)};
    int answered = 0;
    for (auto& [object, members] : objects)
        for (auto& m : members)
            for (size_t n = 0; n <= 7; ++n)
                for (size_t k = 0; k < odd.size(); ++k) {
                    std::vector<plat::Variant> args;
                    for (size_t i = 0; i < n; ++i) args.push_back(odd[(k + i) % odd.size()]);
                    try {
                        object->CallArgs(m, args);
                        ++answered;
                    } catch (const plat::Exception&) {
                    }
                    try {
                        object->Put(m, odd[k]);
                    } catch (const plat::Exception&) {
                    }
                }
    EXPECT_GT(answered, 0);
    // The host still answers and the data is whole.
    EXPECT_EQ(NextNumber(center, "5901", "20240108"), "20240108002");
    EXPECT_EQ(server->Db().Scalar("SELECT COUNT(*) FROM MOCTH").AsInteger(), 5);
}
