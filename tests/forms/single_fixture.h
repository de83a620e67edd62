// A single-table form on the demo suppliers (PURMA, the supplier inquiry
// program VNDB04): the form with a module over an in-memory provider, a
// scripted host and application server, the messages it showed, the
// programs it opened and a query dialog double.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "dataframe/RadicalCD.h"
#include "dataframe/SingleCD.h"
#include "forms/SingleCF.h"
#include "platform/automation/oleobject.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/provider.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"
#include "runtime/Brokers.h"
#include "runtime/radical_fixtures.h"
#include "support/dataframe/DataModuleFixture.h"

namespace ktrb::test {

struct Shown {
    std::string kind, code, text;
};

// The query-by-example dialog as the form drives it.
class QueryDialogDouble : public IQueryDialog {
  public:
    void Prepare(plat::TClientDataSet*, const std::string& table, bool hideTopRows,
                 const std::string&, const std::string& keys) override {
        prepared.push_back(table + "|" + (hideTopRows ? "hide" : "show") + "|" + keys);
    }
    bool Execute(std::string& where, std::string& orderBy) override {
        ++shown;
        offered = topRows;
        if (pick > 0) topRows = pick;
        where = this->where;
        orderBy = order;
        return ok;
    }
    void GetCondition(std::string& where, std::string& orderBy) override {
        where = schemeWhere;
        orderBy = order;
    }
    void LoadScheme(int page, const std::string& scheme) override {
        loaded = std::to_string(page) + ":" + scheme;
    }
    void SetTopRowCount(int count) override { topRows = count; }
    int GetTopRowCount() override { return topRows; }
    std::string GetWhereText() override { return where; }
    std::string GetOrderText() override { return order; }

    std::vector<std::string> prepared;
    bool ok = true;
    // offered: the limit the dialog opened with; pick: the user's choice.
    int shown = 0, topRows = 500, offered = 0, pick = 0;
    std::string where, order, schemeWhere, loaded;
};

// The suppliers' module: designed fields and the demo rows in memory.
class TdmSupplier : public TdmSingle {
  public:
    explicit TdmSupplier(plat::TComponent* owner)
        : TdmSingle(owner), provider("pvdMain", Layout()) {
        for (const plat::TPacketField& pf : Layout()) {
            plat::TField* f = plat::CreateField(pf.type, cdsMain);
            f->SetFieldName(pf.name);
            if (pf.size > 0) f->SetSize(pf.size);
            f->SetDataSet(cdsMain);
        }
        cdsMain->SetProvider(&provider);
        provider.Rows() = {Row("S001", "精工五金", "RMB"), Row("S002", "华达电镀", "RMB"),
                           Row("S003", "捷创电子", "USD")};
    }
    static std::vector<plat::TPacketField> Layout() {
        using plat::PacketField;
        using plat::TFieldType;
        plat::TPacketField key = PacketField("MA001", TFieldType::ftString, 10);
        key.inKey = true;
        return {key,
                PacketField("MA002", TFieldType::ftString, 20),
                PacketField("MA021", TFieldType::ftString, 4),
                PacketField("MA064", TFieldType::ftFloat),
                PacketField("UDF01", TFieldType::ftString, 20),
                PacketField("UDF02", TFieldType::ftString, 20)};
    }
    static plat::TPacketRow Row(const std::string& code, const std::string& name,
                                const std::string& currency) {
        plat::TPacketRow row;
        row.values = plat::TValueRow({Variant(code), Variant(name), Variant(currency),
                                      Variant(0.13), Variant(""), Variant("")});
        return row;
    }
    plat::TMemoryProvider provider;
};

// The supplier form: messages answered from a table, programs opened and
// prints recorded.
class TfrmSupplier : public TfrmSingle {
    PLAT_CLASS_NAMED("TfrmSupplier", TfrmSingle)
  public:
    explicit TfrmSupplier(plat::TComponent* owner) : TfrmSingle(owner) {
        SetModuleFileName("libktrb52c.so");
        edMA001 = new plat::TDBEdit(this);
        edMA001->SetName("edMA001");
        edMA001->SetParent(tbsHead1);
        edMA001->SetBounds(100, 16, 120, 22);
        edMA002 = new plat::TDBEdit(this);
        edMA002->SetName("edMA002");
        edMA002->SetParent(tbsHead1);
        edMA002->SetBounds(100, 48, 200, 22);
        edUDF01 = new plat::TDBEdit(this);
        edUDF01->SetName("edUDF01");
        edUDF01->SetParent(tbsUDF);
        edUDF02 = new plat::TDBEdit(this);
        edUDF02->SetName("edUDF02");
        edUDF02->SetParent(tbsUDF);
    }
    int RunMessageDialog(const TMessageDialogSpec& dialog) override {
        std::string text = plat::Trim(dialog.Text);
        Shown m;
        size_t open = text.find('<');
        if (open != std::string::npos && text.size() > open + 7) {
            m.kind = text.substr(open + 1, 1);
            m.code = text.substr(open + 2, 6);
        }
        m.text = text;
        messages.push_back(m);
        auto it = answers.find(m.kind + m.code);
        return it == answers.end() ? modal::Ok : it->second;
    }
    int OpenProgram(const std::string& program, const std::string& condition) override {
        opened.push_back(program + "|" + condition);
        return 1;
    }
    bool PrintDocument() override {
        printed.push_back(MainDataSet() && MainDataSet()->Active()
                              ? MainDataSet()->FieldByName("MA001")->AsString()
                              : std::string());
        return true;
    }
    void AdjustQueryCondition(const std::string& condition, std::string& result) override {
        result = adjust ? "(" + condition + ") and MA016='1'" : condition;
    }
    std::unique_ptr<IQueryDialog> CreateQueryDialog() override {
        auto d = std::make_unique<QueryDialogDouble>();
        query = d.get();
        return d;
    }
    std::vector<std::string> Codes() const {
        std::vector<std::string> codes;
        for (const Shown& m : messages) codes.push_back(m.kind + m.code);
        return codes;
    }

    plat::TDBEdit *edMA001, *edMA002, *edUDF01, *edUDF02;
    std::map<std::string, int> answers;
    std::vector<Shown> messages;
    std::vector<std::string> opened, printed;
    bool adjust = false;
    QueryDialogDouble* query = nullptr;
};

class SingleFormTest : public ::testing::Test {
  protected:
    SingleFormTest() {
        appServer->Answer("SetTopRow", [](plat::DispArgs) { return Variant(); });
        appServer->Answer("LoadTable", [](plat::DispArgs) { return Variant(); });
        // The sign-on is refused: the module stays on the test's provider.
        appServer->AnswerValue("Connect", Variant(-1));
        appServer->AnswerValue("SvrData", Variant(kHostParams));
        appServer->AnswerValue("WhatIs", Variant(""));
        appServer->AnswerValue("GetRecCount", Variant(3));
        appServer->AnswerValue("SetIsSeq", Variant());
        host.counter->Answer("GETCOUNTER", [this](plat::DispArgs a) -> Variant {
            std::string name = a[0].AsString();
            serverCalls.push_back({name, a[1]});
            auto it = server.find(name);
            return it == server.end() ? Variant() : it->second(a[1]);
        });
        host.validator->Answer("QueryData", [this](plat::DispArgs a) -> Variant {
            if (a[0].AsString() == "ADMMD") a[4] = admmd;
            return Variant(true);
        });
        host.messages["E000032"] = "<E000032>%s";
        host.messages["W100079"] = "<W100079>%s";
        host.messages["W000001"] = "<W000001>%s";
        host.messages["E000033"] = "<E000033>%s";
    }
    ~SingleFormTest() override {
        if (form) form->Free();
    }

    // Creates the form and runs its start-up steps; open mode as given.
    void Start(uint8_t openMode = 0, std::function<void(TfrmSupplier&)> before = {}) {
        form = plat::CreateForm<TfrmSupplier>(nullptr);
        TBrokers* b = form->Brokers();
        b->SetMainObject(host.Main());
        b->AttachSubObjects();
        b->UserID = "DS";
        b->CompanyID = "DEMO";
        b->SignOnKey = "DEMODB";
        b->ProgramCode = "VNDB04";
        b->HostParams().SetText(kHostParams);
        b->SetSysParam("SYS151", "200");
        dm = new TdmSupplier(form);
        dm->Broker = b;
        dm->MainTable = "PURMA";
        dm->SetKeyFields("MA001");
        dm->AppServer = Disp(appServer);
        form->DataModule = dm;
        form->SetOpenMode(openMode);
        form->edMA001->SetDataSource(dm->dsMain);
        form->edMA001->SetDataField("MA001");
        form->edMA002->SetDataSource(dm->dsMain);
        form->edMA002->SetDataField("MA002");
        if (before) before(*form);
        form->InitFormSettings();
        form->InitializeAfterConnect();
        form->ApplyControlSettings();
        dm->cdsMain->Open();
        form->SetFormMode(0);
    }
    // Runs the start-up step that depends on the open mode.
    void Show() { form->PrepareOnShow(); }

    plat::TField* F(const char* name) { return dm->cdsMain->FieldByName(name); }
    int Calls(const std::string& name) const {
        int n = 0;
        for (const auto& c : serverCalls) n += c.first == name;
        return n;
    }
    const Variant* LastCall(const std::string& name) const {
        for (auto it = serverCalls.rbegin(); it != serverCalls.rend(); ++it)
            if (it->first == name) return &it->second;
        return nullptr;
    }

    static constexpr const char* kHostParams = "M11_TABLE=PURMA\r\nM11_KEY=MA001\r\n";
    Installation inst;
    // Modal windows nobody scripted close with Cancel.
    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope runnerScope{runner};
    ScriptedHost host;
    std::shared_ptr<ScriptedObject> appServer = std::make_shared<ScriptedObject>("AppServer");
    std::shared_ptr<ScriptedObject> lookupServer = std::make_shared<ScriptedObject>("Lookup");
    plat::OleFactoryScope appServerClass{kAppServerProgID,
                                         [this] { return plat::DispatchPtr(appServer); }};
    plat::OleFactoryScope lookupServerClass{kLookupServerProgID,
                                            [this] { return plat::DispatchPtr(lookupServer); }};
    std::map<std::string, std::function<Variant(const Variant&)>> server;
    std::vector<std::pair<std::string, Variant>> serverCalls;
    Variant admmd;
    TfrmSupplier* form = nullptr;
    TdmSupplier* dm = nullptr;
};

}  // namespace ktrb::test
