// The receipt provider under the platform's client datasets, as the data
// modules use it: header, lines and serial numbers nested, edits applied.
#include "platform/data/clientdataset.h"

#include "platform/data/field.h"
#include "server_fixture.h"
#include "standins/appserver/tcp_transport.h"

using namespace standin;
using namespace standin::testing;
using plat::TClientDataSet;
using plat::TDataSetField;
using plat::Variant;

namespace {

struct Receipt {
    TClientDataSet main, body, foot;

    Receipt(plat::IProviderSource* server, const std::string& condition) {
        main.SetName("cdsMain");
        body.SetName("cdsBody1");
        foot.SetName("cdsFoot");
        main.SetRemoteServer(server);
        main.SetProviderName("pvdMain");
        main.DataRequest(Arr({condition, ""}));
        main.Open();
        body.SetDataSetField(static_cast<TDataSetField*>(main.FieldByName("qryBody")));
        body.Open();
        foot.SetDataSetField(static_cast<TDataSetField*>(body.FieldByName("qryFoot")));
        foot.Open();
    }
};

}  // namespace

using ClientDataSetTest = ServerTest;

TEST_F(ClientDataSetTest, OpensNestedAndAppliesEdits) {
    // The demo receipt with serials, unconfirmed, edited by its creator.
    server->Db().Exec("UPDATE MOCTH SET TH023 = 'N' WHERE TH002 = '20240118001'");
    auto ds = server->NewSession();
    Connect(*ds, "DS");
    Receipt r(ds.get(), "MOCTH.TH001 = '5901' AND MOCTH.TH002 = '20240118001'");
    ASSERT_EQ(r.main.RecordCount(), 1);
    EXPECT_EQ(r.main.FieldByName("TH005C")->AsString(), "捷创电子");
    EXPECT_EQ(r.body.RecordCount(), 1);
    EXPECT_EQ(r.body.FieldByName("TI009C")->AsString(), "成品仓");
    EXPECT_EQ(r.foot.RecordCount(), 4);

    r.main.Edit();
    r.main.FieldByName("TH010")->SetAsString("客户端修改");
    r.main.Post();
    r.body.Edit();
    r.body.FieldByName("TI040")->SetAsString("行备注");
    r.body.Post();
    r.foot.First();
    r.foot.Delete();
    EXPECT_EQ(r.main.ApplyUpdates(0), 0);
    EXPECT_EQ(Sql("SELECT TH010 FROM MOCTH WHERE TH002 = '20240118001'").AsString(), "客户端修改");
    EXPECT_EQ(Sql("SELECT TI040 FROM MOCTI WHERE TI002 = '20240118001'").AsString(), "行备注");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM PSMMB WHERE MB002 = '20240118001'").AsInteger(), 3);
}

TEST_F(ClientDataSetTest, ANewReceiptTakesTheServersNumber) {
    Receipt r(session.get(), "1 = 0");
    session->Call("SetIsSeq", true);
    const std::string pending(20, '~');
    r.main.Append();
    r.main.FieldByName("TH001")->SetAsString("5901");
    r.main.FieldByName("TH002")->SetAsString("20240112001");  // already taken
    r.main.FieldByName("TH029")->SetAsString("20240112");
    r.main.FieldByName("TH005")->SetAsString("S002");
    r.main.Post();
    r.body.Append();
    r.body.FieldByName("TI001")->SetAsString(pending);
    r.body.FieldByName("TI002")->SetAsString(pending);
    r.body.FieldByName("TI003")->SetAsString("0001");
    r.body.FieldByName("TI004")->SetAsString("C3001");
    r.body.FieldByName("TI007")->SetAsFloat(20);
    r.body.Post();
    EXPECT_EQ(r.main.ApplyUpdates(0), 0);
    std::string number = session->Call("WhatIs", "SEQNO").AsString();
    EXPECT_EQ(number, "20240112002");
    EXPECT_EQ(r.main.FieldByName("TH002")->AsString(), number);
    EXPECT_EQ(r.body.FieldByName("TI002")->AsString(), number);
    EXPECT_EQ(Sql("SELECT TI004 FROM MOCTI WHERE TI002 = '20240112002'").AsString(), "C3001");
}

TEST_F(ClientDataSetTest, ARowChangedByAnotherClientIsReconciled) {
    auto tcp = std::make_unique<TcpServer>(server, "127.0.0.1", 0);
    tcp->Start();
    auto remote = RemoteAppServer::Connect("127.0.0.1", tcp->Port());
    remote->Call("Connect", Arr({"KTRB52", "LIMEI", "DEMO", "DEMO", "True", "True"}));
    Receipt mine(session.get(), "MOCTH.TH002 = '20240112001'");
    Receipt theirs(remote.get(), "MOCTH.TH002 = '20240112001'");

    theirs.main.Edit();
    theirs.main.FieldByName("TH010")->SetAsString("远程客户端先改");
    theirs.main.Post();
    EXPECT_EQ(theirs.main.ApplyUpdates(0), 0);

    int reconciled = 0;
    mine.main.OnReconcileError = [&](TClientDataSet*, plat::EReconcileError& e, plat::TUpdateKind,
                                     plat::TReconcileAction& a) {
        ++reconciled;
        EXPECT_EQ(std::string(e.what()), "Record not found or changed by another user");
        a = plat::TReconcileAction::raCancel;
    };
    mine.main.Edit();
    mine.main.FieldByName("TH010")->SetAsString("本地后改");
    mine.main.Post();
    EXPECT_EQ(mine.main.ApplyUpdates(0), 1);
    EXPECT_EQ(reconciled, 1);
    EXPECT_EQ(Sql("SELECT TH010 FROM MOCTH WHERE TH002 = '20240112001'").AsString(),
              "远程客户端先改");
    remote.reset();
    tcp->Stop();
}
