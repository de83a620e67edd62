// The broker and the controller against the stand-in host: the work-centre
// object with its services over an in-process application server on the
// demo database, so that the calls' argument layouts meet the host's.
#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "radical_fixtures.h"
#include "runtime/Brokers.h"
#include "runtime/DLLMTCtrller.h"
#include "standins/appserver/server.h"
#include "standins/host/host_services.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"

namespace ktrb::test {
namespace {

using plat::VarArrayOf;

class BrokerOnHostTest : public ::testing::Test {
  protected:
    BrokerOnHostTest() {
        standin::ConnectInProcess(*services, server);
        b->UserID = "DS";
        b->CompanyID = "DEMO";
        b->SignOnKey = "DEMO";
        b->ProgramCode = "KTRB52";
        b->SetMainObject(workCenter);
    }
    ~BrokerOnHostTest() override { form->FreeForm(); }

    std::shared_ptr<standin::HostServices> services = standin::MakeHostServices();
    std::shared_ptr<standin::AppServer> server = standin::AppServer::Open(":memory:");
    Variant workCenter = Variant(standin::CreateWorkCenter(services));
    TTestRadicalForm* form = new TTestRadicalForm();
    TBrokers* b = form->broker;
};

TEST_F(BrokerOnHostTest, AttachLoadsProgramMasterAndSystemParameters) {
    ASSERT_TRUE(b->AttachSubObjects());
    EXPECT_EQ(b->GetProgramName(), "委外进货单");
    EXPECT_FALSE(b->GetReportProgram().empty());
    ASSERT_TRUE(b->GetSysInfo());
    EXPECT_EQ(b->GetSysParam("SYS003"), "RMB");
    EXPECT_EQ(b->GetProductID(), services->productId);
    EXPECT_EQ(b->GetMessage("E", "000038"), "启动参数不正确,程序将关闭!");
}

TEST_F(BrokerOnHostTest, LookupsAndServerCallsReachTheDemoData) {
    ASSERT_TRUE(b->AttachSubObjects());
    Variant supplier;
    ASSERT_TRUE(b->CheckValue("PURMA", "01", VarArrayOf({"S001"}), supplier));
    EXPECT_FALSE(plat::VarToStr(supplier[1]).empty());
    EXPECT_FALSE(b->CheckValue("PURMA", "01", VarArrayOf({"NOSUCH"}), supplier));

    Variant rows = b->CallServerMethod(
        "SimpleSQL", VarArrayOf({" SELECT MA001,MA002 FROM $$PURMA WHERE MA001='S001' ",
                                 "MA001,MA002", "DEMO", "N"}));
    ASSERT_TRUE(rows.IsArray());
    EXPECT_EQ(rows[rows.LowBound()][0].AsString(), "S001");

    std::string name;
    b->QueryProgramMaster("KTRB52", name);
    EXPECT_EQ(name, "委外进货单");
}

TEST_F(BrokerOnHostTest, MessagesShowTheCataloguesText) {
    ASSERT_TRUE(b->AttachSubObjects());
    b->ShowMessageCode("T", "000038");
    ASSERT_EQ(form->dialogs.size(), 1u);
    EXPECT_EQ(form->dialogs[0].Text.find("启动参数不正确,程序将关闭! \r\n是否继续?"), 0u);
}

TEST(ControllerOnHost, InitAgainstTheWorkCentre) {
    auto services = standin::MakeHostServices();
    TRadicalFormClass saved = frmRadicalClass;
    frmRadicalClass = &TTestRadicalForm::Create;
    {
        std::vector<int32_t> codes;  // outlives the controller, which notifies when it closes
        TDLLMTCtrller ctl;
        ctl.WorkCenter = Variant(standin::CreateWorkCenter(services));
        ctl.OnNotify =
            TNotifyHandler([&](int32_t code, TDLLBaseController*) { codes.push_back(code); });
        EXPECT_EQ(ctl.Init(VarArrayOf({"DS", "DEMO", "DEMO", 0, ""})), 0);
        EXPECT_EQ(codes, std::vector<int32_t>{notify::Created});

        services->dependencyVersion = 7999;
        TDLLMTCtrller old;
        old.WorkCenter = Variant(standin::CreateWorkCenter(services));
        EXPECT_THROW(old.Init(VarArrayOf({"DS", "DEMO", "DEMO", 0, ""})), plat::Exception);
    }
    frmRadicalClass = saved;
    EXPECT_EQ(TTestRadicalForm::alive, 0);
}

}  // namespace
}  // namespace ktrb::test
