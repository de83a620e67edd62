// A header/body form on the demo receipt tables: the application server in
// process (or over TCP) on the demo database, the host's stand-in objects
// with the transaction server, a module of the header/body class designed
// from the receipt provider's layout, and a form whose message dialogs are
// recorded and answered by script.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "controls/FDBGrid.h"
#include "dataframe/Connection.h"
#include "dataframe/DoubleCD.h"
#include "dialog_fixture.h"
#include "forms/DoubleCF.h"
#include "no_query_dialog.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/forms.h"
#include "runtime/libUDF.h"
#include "standins/appserver/server.h"
#include "standins/appserver/session.h"
#include "standins/appserver/sign_on.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/appserver/tcp_transport.h"
#include "standins/host/dravoc_service.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"
#include "support/dataframe/DataModuleFixture.h"
#include "support/host/ScriptedDravoc.h"

namespace ktrb::test {

// Persistent fields made from a packet layout, as a module's design makes them.
inline void DesignReceiptFields(plat::TDataSet* dataSet,
                                const std::vector<plat::TPacketField>& fields) {
    for (const plat::TPacketField& pf : fields) {
        plat::TField* f = plat::CreateField(pf.type, dataSet);
        f->SetFieldName(pf.name);
        if (pf.size > 0) f->SetSize(pf.size);
        f->SetDataSet(dataSet);
    }
}

inline std::vector<plat::TPacketField> ReceiptLayout(standin::AppServer& server) {
    auto session = server.NewSession();
    session->Call("Connect", plat::VarArrayOf({"KTRB52", "DS", "DEMO", "DEMO", "True", "True"}));
    plat::IProvider* provider = session->FindProvider("pvdMain");
    provider->DataRequest(plat::VarArrayOf({"1=0", ""}));
    plat::TFetchRequest metadata;
    metadata.count = 0;
    return provider->GetRecords(metadata).fields;
}

class TReceiptTestModule : public TdmDouble {
    PLAT_CLASS(TReceiptTestModule, TdmDouble)
  public:
    TReceiptTestModule(plat::TComponent* owner, const std::vector<plat::TPacketField>& layout)
        : TdmDouble(owner) {
        DesignReceiptFields(cdsMain, layout);
        cdsBody1->SetDataSetField(
            dynamic_cast<plat::TDataSetField*>(cdsMain->FieldByName("qryBody")));
        cdsMain->SetProviderName("pvdMain");
    }
    // Runs right before the changes go to the server.
    std::function<void()> beforeApply;
    bool ApplyData(plat::TClientDataSet* dataSet) override {
        if (beforeApply) beforeApply();
        return TdmDouble::ApplyData(dataSet);
    }
};

// The receipt as a header/body form: messages recorded ("kind:text" for
// coded messages, "box:text" for plain boxes) and answered from a queue.
class TReceiptTestForm : public TfrmDouble {
    PLAT_CLASS(TReceiptTestForm, TfrmDouble)
  public:
    explicit TReceiptTestForm(plat::TComponent* owner) : TfrmDouble(owner) {}
    std::vector<std::string> messages;
    std::deque<int> answers;
    int checkRefusals = 0;
    std::string refuseStatusChangeOf;  // a document number CheckStatusChange refuses
    std::string abortStatusChangeOf;   // one whose check ends in the silent abort

    int RunMessageDialog(const TMessageDialogSpec& d) override {
        messages.push_back(plat::Trim(d.Text));
        return next();
    }
    int ShowMessageBox(const std::string& text, TMsgDlgType, const TMsgDlgButtons&) override {
        messages.push_back("box:" + plat::Trim(text));
        return next();
    }
    // The line rules ("Z01D") a test gives: target line field <- head fields.
    std::vector<std::pair<std::string, std::vector<std::string>>> lineRules;
    std::string ruleValue = "R1";
    // Further rule sets by code, in the same shape.
    std::map<std::string, std::vector<std::pair<std::string, std::vector<std::string>>>> ruleSets;
    void LoadFieldRules(const std::string& program, const std::string& code,
                        const std::string& filter, TUDFFields& rules) override {
        auto set = ruleSets.find(code);
        if (code != "Z01D" && set == ruleSets.end())
            return TfrmDouble::LoadFieldRules(program, code, filter, rules);
        for (auto& [target, sources] : set == ruleSets.end() ? lineRules : set->second) {
            TUDFField* rule = rules.Add();
            rule->TargetField = target;
            for (const std::string& name : sources)
                rule->RelatedFields().Add()->SourceFieldName = name;
        }
    }
    // Given source values come back as "K:" and the values joined by ",".
    void QueryUDFRelatedValue(TUDFField*, const plat::TStringList* values,
                              std::string& text) override {
        text = ruleValue;
        if (!values) return;
        text = "K:";
        for (int i = 0; i < values->Count(); ++i)
            text += (i ? "," : "") + values->ValueFromIndex(i);
    }
    // Links followed: the grid's name and the field it was on.
    std::vector<std::string> followed;
    int FollowGridLink(plat::TCustomDataGrid* grid, plat::TDataSet* dataSet) override {
        followed.push_back(grid->Name() + ":" +
                           (grid->SelectedField() ? grid->SelectedField()->FieldName() : "") +
                           (dataSet == DoubleModule()->cdsBody1 ? ":body" : ""));
        return 0;
    }
    // Look-up keys asked for: the key and the control's name.
    std::vector<std::string> lookupKeys;
    void HandleF3Key(uint16_t& key, plat::TWinControl* control) override {
        lookupKeys.push_back(std::to_string(key) + ":" + (control ? control->Name() : ""));
    }
    void HandleF4Key(uint16_t& key, plat::TWinControl* control) override {
        lookupKeys.push_back(std::to_string(key) + ":" + (control ? control->Name() : ""));
    }
    std::unique_ptr<IQueryDialog> CreateQueryDialog() override {
        return std::make_unique<NoQueryDialog>();
    }
    bool CheckStatusChange(uint8_t kind) override {
        auto* dm = DoubleModule();
        if (!refuseStatusChangeOf.empty() &&
            dm->cdsMain->FieldByName("TH002")->AsString() == refuseStatusChangeOf) {
            ++checkRefusals;
            return false;
        }
        if (!abortStatusChangeOf.empty() &&
            dm->cdsMain->FieldByName("TH002")->AsString() == abortStatusChangeOf)
            plat::Abort();
        return TfrmDouble::CheckStatusChange(kind);
    }

  private:
    int next() {
        if (answers.empty()) return modal::Ok;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
};

struct ReceiptLine {
    std::string item;
    double quantity;
};

class DoubleFormTest : public ::testing::Test {
  protected:
    // tcp: the module reaches the server over TCP (the host objects stay in
    // process on the same server).
    // ui: the interface code page ("437" English, with the demo's packages).
    explicit DoubleFormTest(bool tcp = false, const std::string& ui = "936") {
        if (ui != "936") {
            Installation::write(installation.client() + "MireltaC.ini",
                                "[CodePage]\nUICodePage=" + ui +
                                    "\nDBCodePage=936\n[Server Information]\n"
                                    "ComputerName=127.0.0.1\nServerPort=211\n");
            if (const char* src = std::getenv("KTRB_SOURCE_DIR"))
                std::filesystem::copy(std::string(src) + "/standins/data/client/MultiLanguage",
                                      installation.client() + "MultiLanguage",
                                      std::filesystem::copy_options::recursive);
        }
        server = standin::AppServer::Open(installation.client() + "demo.db");
        services = standin::MakeHostServices();
        services->dravoc = std::make_shared<standin::ScriptedDravoc>();
        standin::ConnectInProcess(*services, server);
        registration = std::make_unique<standin::HostRegistration>(services);
        if (tcp) {
            tcpServer = std::make_unique<standin::TcpServer>(server, "127.0.0.2", 0);
            tcpServer->Start();
            installation.SetServers("127.0.0.2", tcpServer->Port());
            network = std::make_unique<TSocketConnectorScope>(
                [](const std::string& address, int port, const std::string&) -> plat::DispatchPtr {
                    return standin::RemoteAppServer::Connect(address, port);
                });
        }
        form = plat::CreateForm<TReceiptTestForm>(nullptr);
        form->ModuleFileName = "/opt/ktrb/libktrb52c.so";
        form->Brokers()->SetMainObject(plat::Variant(standin::CreateWorkCenter(services)));
        dm = new TReceiptTestModule(form, ReceiptLayout(*server));
        form->DataModule = dm;
        // The browse grid with its multi-selection, until the single-table
        // form makes its own.
        if (!form->gdHead) {
            form->gdHead = new TFDBGrid(form);
            form->gdHead->SetParent(form);
            form->gdHead->SetOptions(form->gdHead->Options() +
                                     plat::TDataGridOption::dgMultiSelect);
        }
        if (!form->gdHead->DataSource()) form->gdHead->SetDataSource(dm->dsMain);
        form->SetConfirmFieldName("TH023");
        form->SetBodyConfirmFieldName("TI037");
        form->SetDateFieldName("TH003");
        // Over TCP the sign-on key is the user's password.
        form->InitializeFromHost(plat::VarArrayOf(
            {"DS", "DEMO", tcp ? std::string(standin::kDemoPassword) : std::string("DEMO"), 0,
             ""}));
        dm->DocumentDateField = "TH003";
        dm->DocumentNumberField = "TH002";
        form->OpenDataSet(dm->cdsMain, "", "");
    }
    ~DoubleFormTest() override {
        if (plat::IsLiveControl(form)) form->Free();
        if (tcpServer) tcpServer->Stop();
    }

    plat::TField* Head(const char* name) { return dm->cdsMain->FieldByName(name); }
    plat::TField* Line(const char* name) { return dm->cdsBody1->FieldByName(name); }
    std::string Sql(const std::string& sql) { return plat::VarToStr(server->Db().Scalar(sql)); }
    std::string Status(const std::string& number) {
        return Sql("SELECT TH023 FROM MOCTH WHERE TH001='5901' AND TH002='" + number + "'");
    }
    std::string LineStates(const std::string& number) {
        std::string s;
        for (auto& r : server->Db().Query("SELECT TI037 FROM MOCTI WHERE TI001='5901' AND TI002='" +
                                          number + "' ORDER BY TI003"))
            s += plat::VarToStr(r[0]);
        return s;
    }
    std::string StoredItems(const std::string& number) {
        std::string s;
        for (auto& r : server->Db().Query("SELECT TI004 FROM MOCTI WHERE TI001='5901' AND TI002='" +
                                          number + "' ORDER BY TI003"))
            s += (s.empty() ? "" : ",") + plat::VarToStr(r[0]);
        return s;
    }
    bool GoTo(const std::string& number) {
        return dm->cdsMain->Locate("TH001;TH002", plat::VarArrayOf({"5901", number}));
    }
    // A new document typed into the form (the save is the caller's).
    void TypeDocument(const std::string& number, const std::vector<ReceiptLine>& lines) {
        ASSERT_TRUE(form->AddRecord(true));
        Head("TH001")->SetAsString("5901");
        Head("TH002")->SetAsString(number);
        Head("TH003")->SetAsString("20240415");
        Head("TH029")->SetAsString("20240415");
        Head("TH005")->SetAsString("S001");
        Head("TH023")->SetAsString("N");
        for (const ReceiptLine& l : lines) {
            dm->cdsBody1->Append();
            Line("TI004")->SetAsString(l.item);
            Line("TI007")->SetAsFloat(l.quantity);
            Line("TI037")->SetAsString("N");
            dm->cdsBody1->Post();
        }
    }
    std::vector<std::string> FormItems() {
        std::vector<std::string> items;
        for (dm->cdsBody1->First(); !dm->cdsBody1->Eof(); dm->cdsBody1->Next())
            items.push_back(Line("TI004")->AsString());
        return items;
    }

    Installation installation;
    std::shared_ptr<standin::AppServer> server;
    std::shared_ptr<standin::HostServices> services;
    std::unique_ptr<standin::HostRegistration> registration;
    std::unique_ptr<standin::TcpServer> tcpServer;
    std::unique_ptr<TSocketConnectorScope> network;
    TReceiptTestForm* form = nullptr;
    TReceiptTestModule* dm = nullptr;
};

}  // namespace ktrb::test
