// The receipt form started as the host program starts it, on the embedded
// demo database after `prepare` (SQL) has changed it, on the receipt
// 5901-`number`; every message answered OK without a window.
#pragma once
#include <cstdlib>
#include <memory>
#include <string>

#include "forms/no_query_dialog.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/forms.h"
#include "receipt/forms/Ktrb52CF.h"
#include "runtime/Brokers.h"
#include "standins/appserver/database_setup.h"
#include "standins/appserver/server.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"
#include "support/dataframe/DataModuleFixture.h"

namespace ktrb::bench {

class QuietReceiptForm : public TfrmKtrb52 {
    PLAT_CLASS(QuietReceiptForm, TfrmKtrb52)
  public:
    using TfrmKtrb52::TfrmKtrb52;
    int messages = 0;
    int RunMessageDialog(const TMessageDialogSpec&) override {
        ++messages;
        return modal::Ok;
    }
    int ShowMessageBox(const std::string&, TMsgDlgType, const TMsgDlgButtons&) override {
        ++messages;
        return modal::Ok;
    }
    std::unique_ptr<IQueryDialog> CreateQueryDialog() override {
        return std::make_unique<test::NoQueryDialog>();
    }
};

struct StartedReceiptForm {
    // A dialog that would wait for a user is answered at once.
    std::shared_ptr<plat::ScriptedDialogRunner> dialogs =
        std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope scope{dialogs};
    test::Installation installation;
    std::shared_ptr<standin::AppServer> server;
    std::shared_ptr<standin::HostServices> services;
    std::unique_ptr<standin::HostRegistration> registration;
    QuietReceiptForm* form = nullptr;
    TdmKtrb52* dm = nullptr;

    StartedReceiptForm(const std::string& prepare, const std::string& number) {
        if (!std::getenv("KTRB_SOURCE_DIR")) {
            const std::string data = standin::DataDirectory();
            ::setenv("KTRB_SOURCE_DIR", (data + "/../..").c_str(), 0);
        }
        // This program plays the host that loads the module.
        TfrmRadical::HostProgramMarkers.push_back("BENCH_RECEIPTFORMS");
        server = standin::AppServer::Open(installation.client() + "demo.db");
        server->Db().Exec(prepare);
        services = standin::MakeHostServices();
        standin::ConnectInProcess(*services, server);
        registration = std::make_unique<standin::HostRegistration>(services);
        form = plat::CreateForm<QuietReceiptForm>(nullptr);
        form->ModuleFileName = "/opt/ktrb/libktrb52c.so";
        form->Brokers()->SetMainObject(plat::Variant(standin::CreateWorkCenter(services)));
        form->InitializeFromHost(plat::VarArrayOf({"DS", "DEMO", "DEMO", 0, ""}));
        dm = form->ReceiptModule();
        form->OpenDataSet(dm->cdsMain, "", "");
        dm->cdsMain->Locate("TH001;TH002", plat::VarArrayOf({"5901", number}));
    }
    ~StartedReceiptForm() {
        form->Free();
        TfrmRadical::HostProgramMarkers.pop_back();
    }
    StartedReceiptForm(const StartedReceiptForm&) = delete;
    StartedReceiptForm& operator=(const StartedReceiptForm&) = delete;
};

}  // namespace ktrb::bench
