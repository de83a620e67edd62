#pragma once

// The receipt form started as the host program starts it, on the demo database,
// with its message dialogs recorded and answered OK unless told otherwise.
#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "forms/no_query_dialog.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"
#include "receipt/forms/Ktrb52CF.h"
#include "runtime/Brokers.h"
#include "runtime/PropAccess.h"
#include "standins/appserver/server.h"
#include "standins/appserver/sqlite_db.h"
#include "standins/host/dravoc_service.h"
#include "standins/host/server_link.h"
#include "standins/host/system_parameters.h"
#include "standins/host/work_center.h"
#include "support/dataframe/DataModuleFixture.h"
#include "support/host/ScriptedDravoc.h"

namespace ktrb::test {

// The receipt form with its message dialogs recorded and answered (OK unless told).
class TRecordedReceiptForm : public TfrmKtrb52 {
    PLAT_CLASS(TRecordedReceiptForm, TfrmKtrb52)
  public:
    using TfrmKtrb52::TfrmKtrb52;
    std::vector<std::string> messages;
    // Answers of the next message dialogs, in order; then OK.
    std::deque<int> answers;
    int RunMessageDialog(const TMessageDialogSpec& d) override {
        messages.push_back(plat::Trim(d.Text));
        if (answers.empty()) return modal::Ok;
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    int ShowMessageBox(const std::string& text, TMsgDlgType, const TMsgDlgButtons&) override {
        messages.push_back("box:" + plat::Trim(text));
        return modal::Ok;
    }
    std::unique_ptr<IQueryDialog> CreateQueryDialog() override {
        return std::make_unique<NoQueryDialog>();
    }
    // The data module the next form creates, when a test gives one.
    static inline TDataModuleClass nextDataModule;
    TDataModuleClass GetDataModuleClass() override {
        return nextDataModule ? std::exchange(nextDataModule, {})
                              : TfrmKtrb52::GetDataModuleClass();
    }
};

class ReceiptFormTest : public ::testing::Test {
  protected:
    ReceiptFormTest() : dialogs(std::make_shared<plat::ScriptedDialogRunner>()), scope(dialogs) {
        // This program plays the host that loads the module.
        TfrmRadical::HostProgramMarkers.push_back("TEST_RECEIPT_FORMS");
        server = standin::AppServer::Open(installation.client() + "demo.db");
        services = standin::MakeHostServices();
        services->dravoc = std::make_shared<standin::ScriptedDravoc>();
        standin::ConnectInProcess(*services, server);
        registration = std::make_unique<standin::HostRegistration>(services);
    }
    ~ReceiptFormTest() override {
        if (form && plat::IsLiveControl(form)) form->Free();
        TfrmRadical::HostProgramMarkers.pop_back();
    }
    // Starts the form as the controller does: module file, host object, the
    // host's start parameters with the demo user and company.
    // ui: the interface code page ("437" English, with the demo's packages).
    void Start(const std::vector<std::pair<std::string, std::string>>& sysParams = {},
               const std::string& ui = "936") {
        if (ui != "936") {
            Installation::write(installation.client() + "MireltaC.ini",
                                "[CodePage]\nUICodePage=" + ui +
                                    "\nDBCodePage=936\n[Server Information]\n"
                                    "ComputerName=127.0.0.1\nServerPort=211\n");
            // The demo's packages and its table of traditional characters.
            if (const char* src = std::getenv("KTRB_SOURCE_DIR"))
                for (const char* name : {"MultiLanguage", "Language"})
                    std::filesystem::copy(std::string(src) + "/standins/data/client/" + name,
                                          installation.client() + name,
                                          std::filesystem::copy_options::recursive |
                                              std::filesystem::copy_options::overwrite_existing);
        }
        form = plat::CreateForm<TRecordedReceiptForm>(nullptr);
        form->ModuleFileName = "/opt/ktrb/libktrb52c.so";
        form->Brokers()->SetMainObject(plat::Variant(standin::CreateWorkCenter(services)));
        if (!sysParams.empty())
            services->sysParams = std::make_shared<standin::SystemParameters>(*services->sysParams);
        for (const auto& [name, value] : sysParams) services->sysParams->Set("*", name, value);
        if (beforeInit) beforeInit(*form);
        ASSERT_TRUE(form->InitializeFromHost(plat::VarArrayOf({"DS", "DEMO", "DEMO", 0, ""})));
        dm = form->ReceiptModule();
        ASSERT_NE(dm, nullptr);
        form->OpenDataSet(dm->cdsMain, "", "");
    }
    bool GoTo(const std::string& number) {
        return dm->cdsMain->Locate("TH001;TH002", plat::VarArrayOf({"5901", number}));
    }
    // Where a picture goes: the test's temporary folder, or where KTRB_SHOTS names.
    static std::string ShotPath(const std::string& name) {
        const char* dir = std::getenv("KTRB_SHOTS");
        return (dir ? std::string(dir) + "/" : ::testing::TempDir()) + name;
    }
    std::string Sql(const std::string& sql) { return plat::VarToStr(server->Db().Scalar(sql)); }
    plat::TField* Head(const char* name) { return dm->cdsMain->FieldByName(name); }
    plat::TField* Line(const char* name) { return dm->cdsBody1->FieldByName(name); }

    // Runs on the created form just before the host's start call.
    std::function<void(TRecordedReceiptForm&)> beforeInit;
    std::shared_ptr<plat::ScriptedDialogRunner> dialogs;
    plat::DialogRunnerScope scope;
    Installation installation;
    std::shared_ptr<standin::AppServer> server;
    std::shared_ptr<standin::HostServices> services;
    std::unique_ptr<standin::HostRegistration> registration;
    TRecordedReceiptForm* form = nullptr;
    TdmKtrb52* dm = nullptr;
};

}  // namespace ktrb::test
