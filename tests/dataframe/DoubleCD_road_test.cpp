// A header/body document on the stand-in application server with the demo
// database: a header and its lines added through the header/body module,
// saved as one unit and found again as saved.
#include <gtest/gtest.h>

#include "dataframe/KnlDouble.h"
#include "dataframe/knlRadical.h"
#include "doc_fixture.h"
#include "standins/appserver/session.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"

namespace ktrb::test {
namespace {

// The header layout the provider sends, designed into the module as a
// document's module designs its fields.
std::vector<plat::TPacketField> ReceiptLayout(standin::AppServer& server) {
    auto session = server.NewSession();
    session->Call("Connect", plat::VarArrayOf({"KTRB52", "DS", "DEMO", "DEMO", "True", "True"}));
    plat::IProvider* provider = session->FindProvider("pvdMain");
    provider->DataRequest(plat::VarArrayOf({"1=0", ""}));
    plat::TFetchRequest metadata;
    metadata.count = 0;
    return provider->GetRecords(metadata).fields;
}

class Road : public ::testing::Test {
  protected:
    Road()
        : server(standin::AppServer::Open(":memory:")),
          services(standin::MakeHostServices()),
          link((standin::ConnectInProcess(*services, server), services)),
          form(false),
          dm(&form, ReceiptLayout(*server)) {
        form.broker->SetMainObject(Variant(standin::CreateWorkCenter(services)));
        form.broker->AttachSubObjects();
        form.broker->GetSysInfo();
        dm.cdsMain->SetProviderName("pvdMain");
    }

    plat::TField* Head(const char* name) { return dm.cdsMain->FieldByName(name); }
    plat::TField* Line(const char* name) { return dm.cdsBody1->FieldByName(name); }
    int Sql(const std::string& sql) { return server->Db().Scalar(sql).AsInteger(); }

    void AddHeader(const std::string& number) {
        form.mode = TFormMode::Add;
        dm.RefreshToday();
        dm.cdsMain->Append();
        Head("TH001")->SetAsString("5901");
        Head("TH002")->SetAsString(number);
        Head("TH003")->SetAsString("20240415");
        Head("TH029")->SetAsString("20240415");
        Head("TH005")->SetAsString("S001");
        ASSERT_TRUE(dm.RefreshBodyClone());
    }
    void AddLine(const std::string& item, double quantity, double amount) {
        dm.cdsBody1->Append();
        Line("TI004")->SetAsString(item);
        Line("TI007")->SetAsFloat(quantity);
        Line("TI044")->SetAsFloat(amount);
        dm.cdsBody1->Post();
    }
    void Save() {
        dm.ReapplyHeadKeyToBody();
        dm.cdsMain->Post();
    }

    Installation installation;
    std::shared_ptr<standin::AppServer> server;
    std::shared_ptr<standin::HostServices> services;
    standin::HostRegistration link;
    DocForm form;
    DocModule dm;
};

TEST_F(Road, AHeaderWithItsLinesIsSavedAsOneUnitAndFoundAsSaved) {
    ASSERT_TRUE(dm.ConnectAppServer());
    ASSERT_TRUE(dm.cdsBody1->Active());
    EXPECT_EQ(dm.BodyKeyFields, "TI001,TI002,TI003");
    EXPECT_EQ(dm.LineNumberField, "TI003");
    const int linesBefore = Sql("SELECT COUNT(*) FROM MOCTI");

    // Lines of a header of its own item only.
    dm.beforeBodyPost = [this](TdmDouble& m) {
        if (m.IsDuplicateBodyKey(m.cdsBody1->FieldByName("TI004"), "")) {
            form.messageBoxes.push_back("duplicate " +
                                        m.cdsBody1->FieldByName("TI004")->AsString());
            plat::Abort();
        }
    };
    AddHeader("20240415901");
    AddLine("A1001-01", 3, 33.33);
    AddLine("B2001", 3, 33.33);
    AddLine("C3001", 3, 33.33);
    EXPECT_EQ(Line("TI001")->AsString(), "~~~~") << "pending until the header key is known";
    dm.cdsBody1->Append();
    Line("TI004")->SetAsString("B2001");
    EXPECT_THROW(dm.cdsBody1->Post(), plat::EAbort);
    dm.cdsBody1->Cancel();
    EXPECT_EQ(form.messageBoxes, (std::vector<std::string>{"duplicate B2001"}));
    EXPECT_EQ(dm.cdsBody1->RecordCount(), 3);

    // The lines add up to the total exactly once the residue is placed.
    Variant residues = plat::VarArrayOf({"0.01", 0, 0, 0});
    ASSERT_TRUE(Tailfix(dm.cdsBody1, dm.dsBody1, residues,
                        plat::VarArrayOf({"TI044", "TI045", "TI046", "TI047"})));
    dm.SumBodyFields({Head("TH019")}, {"TI044"}, {2}, {""});
    EXPECT_DOUBLE_EQ(Head("TH019")->AsFloat(), 100);

    Save();
    ASSERT_TRUE(dm.ApplyData(dm.cdsMain));
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI") - linesBefore, 3);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI WHERE TI001 LIKE '~%' OR TI002 LIKE '~%'"), 0);

    dm.cdsMain->Close();
    dm.cdsMain->Open();
    ASSERT_TRUE(dm.cdsMain->Locate("TH001;TH002", plat::VarArrayOf({"5901", "20240415901"})));
    EXPECT_DOUBLE_EQ(Head("TH019")->AsFloat(), 100);
    EXPECT_EQ(FlagValue(Head("FLAG")), 1);
    ASSERT_EQ(dm.cdsBody1->RecordCount(), 3);
    std::vector<std::string> numbers, items;
    double sum = 0;
    for (dm.cdsBody1->First(); !dm.cdsBody1->Eof(); dm.cdsBody1->Next()) {
        EXPECT_EQ(Line("TI001")->AsString(), "5901");
        EXPECT_EQ(Line("TI002")->AsString(), "20240415901");
        numbers.push_back(Line("TI003")->AsString());
        items.push_back(Line("TI004")->AsString());
        sum += Line("TI044")->AsFloat();
    }
    std::sort(numbers.begin(), numbers.end());
    EXPECT_EQ(numbers, (std::vector<std::string>{"0001", "0002", "0003"}));
    EXPECT_NEAR(sum, 100, 1e-9);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI WHERE TI002='20240415901' AND ABS(TI044-33.34)<1e-9"),
              1);

    // The next line of the saved document continues its numbers.
    form.mode = TFormMode::Edit;
    dm.cdsMain->Edit();
    ASSERT_TRUE(dm.RefreshBodyClone());
    dm.beforeBodyPost = nullptr;
    AddLine("D4001", 1, 5);
    EXPECT_EQ(Line("TI003")->AsString(), "0004");
    EXPECT_EQ(Line("TI002")->AsString(), "20240415901");
}

TEST_F(Road, ARefusedHeaderTakesItsLinesWithIt) {
    ASSERT_TRUE(dm.ConnectAppServer());
    const int headers = Sql("SELECT COUNT(*) FROM MOCTH"),
              lines = Sql("SELECT COUNT(*) FROM MOCTI");
    AddHeader("20240118001");  // a number the demo database holds already
    AddLine("A1001-01", 1, 10);
    AddLine("B2001", 1, 10);
    Save();
    EXPECT_FALSE(dm.ApplyData(dm.cdsMain));
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTH"), headers);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI"), lines);
}

}  // namespace
}  // namespace ktrb::test
