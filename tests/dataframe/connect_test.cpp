// The root data module's connection: the call order against a scripted
// server, and the road through the stand-in application server with the
// demo database, in process and over TCP.
#include <gtest/gtest.h>

#include "dataframe/knlRadical.h"
#include "platform/automation/oleobject.h"
#include "platform/component/properties.h"
#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "standins/appserver/server.h"
#include "standins/appserver/tcp_transport.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"
#include "support/dataframe/DataModuleFixture.h"

namespace ktrb::test {
namespace {

using plat::Variant;

// A scripted application server: it signs on with the answer given and
// serves one provider.
class ScriptedServer : public plat::DispatchObject, public plat::IProviderSource {
  public:
    ScriptedServer()
        : DispatchObject("NevaQ22D.Class1"),
          provider("pvdMain", HeaderFields(),
                   {HeaderRow("5901", "20240001", 0), HeaderRow("5901", "20240002", 0)}) {
        Method("Connect", [this](plat::DispArgs a) {
            connectParams = a[0];
            return Variant(connectAnswer);
        });
        Method("SvrData", [](plat::DispArgs) {
            return Variant("M11_TABLE=MOCTH\r\nM11_KEY=TH001,TH002\r\n");
        });
        Method("WhatIs", [this](plat::DispArgs a) {
            if (todayFails) throw plat::EOleError("no clock");
            if (todayNull) return Variant::Null();
            return Variant(plat::VarToStr(a[0]) == "TODAY" ? "20240315" : "0");
        });
        Method("GetRecCount", [](plat::DispArgs) { return Variant(2); });
    }
    plat::IProvider* FindProvider(const std::string& name) override {
        return plat::SameText(name, "pvdMain") ? &provider : nullptr;
    }

    int connectAnswer = 0;
    bool todayFails = false;
    bool todayNull = false;
    Variant connectParams;
    plat::TMemoryProvider provider;
};

class Connect : public ::testing::Test {
  protected:
    Connect()
        : server(std::make_shared<ScriptedServer>()),
          appServer(kAppServerProgID,
                    [this] {
                        ++inProcess;
                        return server;
                    }),
          lookupServer(kLookupServerProgID,
                       [this] {
                           ++lookups;
                           return std::make_shared<ScriptedServer>();
                       }),
          network([this](const std::string& address, int port,
                         const std::string&) -> plat::DispatchPtr {
              dialled.push_back(address + ":" + std::to_string(port));
              return server;
          }),
          dm(&form) {
        dm.cdsMain->SetProviderName("pvdMain");
    }

    Installation installation;
    std::shared_ptr<ScriptedServer> server;
    int inProcess = 0, lookups = 0;
    std::vector<std::string> dialled;
    plat::OleFactoryScope appServer, lookupServer;
    TSocketConnectorScope network;
    FakeForm form;
    TestModule dm;
};

TEST_F(Connect, TheLocalAddressMakesBothServersInProcess) {
    ASSERT_TRUE(dm.ConnectAppServer());
    EXPECT_EQ(inProcess, 1);
    EXPECT_EQ(lookups, 1);
    EXPECT_TRUE(dialled.empty()) << "no socket for 127.0.0.1";
    EXPECT_TRUE(dm.AppServer.IsDispatch());
    EXPECT_TRUE(dm.MIDAS->Connected());
    EXPECT_TRUE(dm.scLookUpData->Connected());
    EXPECT_EQ(dm.scLookUpData->Address(), "127.0.0.1");

    const Variant& p = server->connectParams;
    ASSERT_EQ(p.LowBound(1), 0);
    ASSERT_EQ(p.HighBound(1), 5);
    EXPECT_EQ(p.ArrayElemType(), plat::VarType::OleStr);
    std::vector<std::string> texts;
    for (int i = 0; i <= 5; ++i) texts.push_back(plat::VarToStr(p[i]));
    EXPECT_EQ(texts, (std::vector<std::string>{"KTRB52", "DS", "DEMO", "DEMODB", "True", "False"}));

    EXPECT_EQ(form.broker->HostParam("M11_TABLE"), "MOCTH");
    EXPECT_EQ(dm.MainTable, "MOCTH");
    EXPECT_EQ(dm.KeyFields, "TH001,TH002");
    EXPECT_TRUE(dm.cdsMain->Active());
    EXPECT_EQ(dm.cdsMain->RecordCount(), 2);
    EXPECT_EQ(dm.ServerRecordCount, 2);
}

TEST_F(Connect, ARefusedSignOnOpensNoDataSetAndFetchesNothing) {
    server->connectAnswer = 5;
    EXPECT_FALSE(dm.ConnectAppServer());
    EXPECT_EQ(form.broker->HostParam("M11_KEY"), "TH001,TH002")
        << "the program's parameters are still read";
    EXPECT_FALSE(dm.cdsMain->Active());
    EXPECT_EQ(server->provider.FetchCount(), 0);
    EXPECT_EQ(dm.MainTable, "");
}

TEST_F(Connect, AnyOtherAddressGoesOverTheNetworkToTheFirstServerListed) {
    installation.SetServers("127.0.0.2;127.0.0.3", 2110);
    ASSERT_TRUE(dm.ConnectAppServer());
    EXPECT_EQ(inProcess, 0);
    EXPECT_EQ(lookups, 0);
    EXPECT_EQ(dialled, (std::vector<std::string>{"127.0.0.2:2110", "127.0.0.2:2110"}));
    EXPECT_EQ(dm.MIDAS->Port(), 2110);
    EXPECT_TRUE(dm.cdsMain->Active());
}

TEST_F(Connect, NoServerAddressIsAnErrorForTheForm) {
    installation.SetServers("", 211);
    EXPECT_THROW(dm.ConnectAppServer(), ESocketConnectionError);
    EXPECT_FALSE(dm.cdsMain->Active());
    EXPECT_FALSE(dm.AppServer.IsDispatch());
}

TEST_F(Connect, TodayComesFromTheServerElseFromTheLocalClock) {
    dm.RefreshToday();
    EXPECT_EQ(dm.Today, "") << "not connected: unchanged";
    ASSERT_TRUE(dm.ConnectAppServer());
    dm.RefreshToday();
    EXPECT_EQ(dm.Today, "20240315");
    server->todayFails = true;
    dm.RefreshToday();
    EXPECT_EQ(dm.Today, plat::FormatDateTime("yyyymmdd", plat::Date()));
    // A server that answers nothing must not leave the audit dates blank.
    server->todayFails = false;
    server->todayNull = true;
    dm.Today.clear();
    dm.RefreshToday();
    EXPECT_EQ(dm.Today, plat::FormatDateTime("yyyymmdd", plat::Date()));
}

TEST_F(Connect, NestedDataSetsThatAreClosedAreOpened) {
    ASSERT_TRUE(dm.ConnectAppServer());
    auto* body = new TwwClientDataSet(&dm);
    body->SetName("cdsBody1");
    body->SetDataSetField(dynamic_cast<plat::TDataSetField*>(dm.cdsMain->FieldByName("qryBody")));
    body->Close();
    dm.OpenDataSets();
    EXPECT_TRUE(body->Active());
}

TEST_F(Connect, FieldsShowTheirTextsInTheDisplayCodePage) {
    ASSERT_TRUE(dm.ConnectAppServer());
    form.markDisplay = true;
    dm.ApplyLanguageToFields();
    plat::TField* type = dm.cdsMain->FieldByName("TH001");
    EXPECT_EQ(type->DisplayLabel(), "«TH001»");
    EXPECT_EQ(type->DisplayText(), "«5901»");
    EXPECT_EQ(plat::MethodName(&dm, type->OnSetText.Handle()), "DOSetText");
    EXPECT_EQ(plat::MethodName(&dm, dm.cdsMain->FieldByName("CREATE_DATE")->OnGetText.Handle()),
              "DateTimeFieldGetText")
        << "a text handler of its own stays";
    EXPECT_FALSE(dm.cdsMain->FieldByName("TH019")->OnGetText.Assigned());
    dm.cdsMain->Edit();
    type->SetText("«5902»");
    EXPECT_EQ(type->AsString(), "5902");
}

// ---- the stand-in application server with the demo database ----

class DemoServer : public ::testing::Test {
  protected:
    DemoServer()
        : server(standin::AppServer::Open(":memory:")),
          services(standin::MakeHostServices()),
          link((standin::ConnectInProcess(*services, server), services)),
          form(false),
          dm(&form) {
        form.broker->SetMainObject(Variant(standin::CreateWorkCenter(services)));
        form.broker->AttachSubObjects();
        form.broker->GetSysInfo();
        dm.cdsMain->SetProviderName("pvdMain");
    }

    Installation installation;
    std::shared_ptr<standin::AppServer> server;
    std::shared_ptr<standin::HostServices> services;
    standin::HostRegistration link;
    FakeForm form;
    TestModule dm;
};

TEST_F(DemoServer, ConnectOpensTheReceiptsAndSavesAnEditWithItsAuditColumns) {
    ASSERT_TRUE(dm.ConnectAppServer());
    EXPECT_EQ(dm.MainTable, "MOCTH");
    EXPECT_EQ(dm.KeyFields, "TH001,TH002");
    ASSERT_TRUE(dm.cdsMain->Active());
    ASSERT_GT(dm.cdsMain->RecordCount(), 0);
    EXPECT_GT(dm.ServerRecordCount, 0);
    dm.RefreshToday();
    EXPECT_EQ(dm.Today.size(), 8u);

    // The program-master row answers in its plain form: the name first.
    Variant values;
    plat::TField* type = dm.cdsMain->FieldByName("TH001");
    EXPECT_TRUE(
        dm.GetLookupValues(type, "ADMMB", "06", values, plat::VarArrayOf({Variant("KTRB52")})));
    EXPECT_GT(values[0].AsInteger(), 0);
    EXPECT_FALSE(plat::VarToStr(values[1]).empty());
    EXPECT_FALSE(
        dm.GetLookupValues(type, "PURMA", "01", values, plat::VarArrayOf({Variant("NOSUCH")})));
    EXPECT_EQ(dm.GetCurrencyDigits("JPY", TCurrencyDigitType::cdtMoney), 0);
    EXPECT_EQ(dm.GetCurrencyDigits("USD", TCurrencyDigitType::cdtMoney), 2);

    // An open receipt: a confirmed one takes no edit.
    ASSERT_TRUE(dm.cdsMain->Locate("TH001;TH002",
                                   plat::VarArrayOf({Variant("5901"), Variant("20240112001")})));
    std::string key = type->AsString() + "/" + dm.cdsMain->FieldByName("TH002")->AsString();
    int flag = FlagValue(dm.cdsMain->FieldByName(kFlagField));
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    dm.cdsMain->FieldByName("TH010")->SetAsString("edited by the data module test");
    ASSERT_TRUE(dm.ApplyData(dm.cdsMain));

    dm.cdsMain->Close();
    dm.cdsMain->Open();
    ASSERT_TRUE(dm.cdsMain->Locate("TH001;TH002",
                                   plat::VarArrayOf({Variant(key.substr(0, key.find('/'))),
                                                     Variant(key.substr(key.find('/') + 1))})));
    EXPECT_EQ(dm.cdsMain->FieldByName("TH010")->AsString(), "edited by the data module test");
    EXPECT_EQ(FlagValue(dm.cdsMain->FieldByName(kFlagField)), (flag + 1) % kFlagModulus);
    EXPECT_EQ(dm.cdsMain->FieldByName("MODIFIER")->AsString(), "DS");
    EXPECT_EQ(dm.cdsMain->FieldByName("MODI_DATE")->AsString(), dm.Today);
}

TEST_F(DemoServer, TheSavedQuerySchemesOpenOnTheirIndex) {
    ASSERT_TRUE(dm.ConnectAppServer());
    dm.AppServer.AsDispatch()->Call("LoadTable",
                                    plat::VarArrayOf({Variant("DS"), Variant("KTRB52")}));
    dm.cdsSaveCondition->Open();
    EXPECT_EQ(dm.cdsSaveCondition->IndexName(), "Index1");
    for (const char* name :
         {"NCONDITION", "VCONDITION", "CREATOR", "PROGRAMME", "CREATE_DATE", "ActivePage"})
        EXPECT_NE(dm.cdsSaveCondition->FindField(name), nullptr) << name;
}

TEST_F(DemoServer, AnUnknownUserIsRefusedAndNothingIsOpened) {
    form.broker->UserID = "NOBODY";
    EXPECT_FALSE(dm.ConnectAppServer());
    EXPECT_FALSE(dm.cdsMain->Active());
}

TEST_F(DemoServer, TheSameRoadOverTcp) {
    standin::TcpServer tcp(server, "127.0.0.2", 0);
    tcp.Start();
    TSocketConnectorScope network(
        [](const std::string& address, int port, const std::string&) -> plat::DispatchPtr {
            return standin::RemoteAppServer::Connect(address, port);
        });
    installation.SetServers("127.0.0.2", tcp.Port());
    // Over TCP the sign-on key is the user's password.
    form.broker->SignOnKey = standin::kDemoPassword;
    ASSERT_TRUE(dm.ConnectAppServer());
    EXPECT_TRUE(dm.cdsMain->Active());
    EXPECT_GT(dm.cdsMain->RecordCount(), 0);
    EXPECT_EQ(dm.MIDAS->Address(), "127.0.0.2");
    // The look-up connection has signed on as well: the server answers it.
    Variant request = plat::VarArrayOf({"MOCTI", "60", plat::VarArrayOf({"5901", "20240108001"}), 1,
                                        "", "DEMO", 3, "", "", "", "N"});
    Variant reply;
    EXPECT_TRUE(
        dm.scLookUpData->AppServer().AsDispatch()->Call("GetF2Data", request, reply).AsBoolean());
    dm.cdsMain->Close();
    dm.MIDAS->Close();
    dm.scLookUpData->Close();
    dm.AppServer = Variant();
    tcp.Stop();
}

}  // namespace
}  // namespace ktrb::test
