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

// Lines of the demo's open receipt 5901-20240112001 made `count` lines
// long: line numbers of four letters or digits, each line its own batch;
// with arrivals, every tenth line on the demo's arrival line with 0.4
// accepted.
inline std::string ReceiptLinesSql(int count, bool arrivals = false) {
    const std::string digits = "'0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ'";
    auto digit = [&](int weight) {
        return "substr(" + digits + ", ((rowid - 1) / " + std::to_string(weight) + ") % 36 + 1, 1)";
    };
    std::string sql =
        "UPDATE MOCTI SET TI018='20240112', TI019=1 WHERE TI002='20240112001';"
        "CREATE TEMP TABLE L AS SELECT * FROM MOCTI WHERE TI002='20240112001';"
        "DELETE FROM MOCTI WHERE TI002='20240112001';";
    for (int rows = 1; rows < count; rows *= 2) sql += "INSERT INTO L SELECT * FROM L;";
    sql += "DELETE FROM L WHERE rowid > " + std::to_string(count) + ";";
    sql += "UPDATE L SET TI003 = " + digit(46656) + " || " + digit(1296) + " || " + digit(36) +
           " || " + digit(1) +
           ", TI010 = 'B' || rowid, TI044 = 88.5 + rowid % 7, TI045 = 11.5, "
           "TI046 = 88.5 + rowid % 7, TI047 = 11.5;";
    sql +=
        "UPDATE L SET TIC02='5A01', TIC03='20240201001', TIC04='0001', TI019=0.4, TI022=0, "
        "TI021=0, TI056=0, "
        "TI017=0, TI051=0, TI050=0, TI057=0 "
        "WHERE rowid % 10 = 0 AND " +
        std::string(arrivals ? "1" : "0") +
        ";"
        "INSERT INTO MOCTI SELECT * FROM L; DROP TABLE L;";
    sql += "UPDATE MOCTH SET TH006='JG-BENCH'";
    for (const char* pair : {"TH027=TI044", "TH020=TI045", "TH031=TI046", "TH032=TI047"}) {
        const std::string p(pair);
        sql += ", " + p.substr(0, 5) + "=(SELECT SUM(" + p.substr(6) +
               ") FROM MOCTI WHERE TI002='20240112001')";
    }
    return sql + " WHERE TH002='20240112001';";
}

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
