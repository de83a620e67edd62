// Document forms on the stand-in host: an installation whose client names
// the in-process application server on the demo database, the host's
// work-centre object and suite servers registered, the demo language
// packages in the client folder, and message dialogs answered by script.
#pragma once
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dataframe/BaseCD.h"
#include "forms/BaseCF.h"
#include "platform/core/numbers.h"
#include "platform/ui/dialogs.h"
#include "runtime/Brokers.h"
#include "runtime/language_fixture.h"
#include "standins/appserver/server.h"
#include "standins/host/host_services.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"

namespace ktrb::test {

// A concrete base form: the base data module, the start-up steps traced,
// and the module library's file name in place of the test program's.
class TestBaseForm : public TfrmBase {
    PLAT_CLASS(TestBaseForm, TfrmBase)
  public:
    explicit TestBaseForm(plat::TComponent* owner) : TfrmBase(owner) {}
    static IRadicalForm* Create() { return plat::CreateForm<TestBaseForm>(nullptr); }

    void FormCreate(plat::TObject* sender) override {
        TfrmBase::FormCreate(sender);
        if (withModule) DataModule = GetDataModuleClass()(this);
    }
    TDataModuleClass GetDataModuleClass() override {
        return [](plat::TComponent* owner) {
            auto* module = new TdmBase(owner);
            module->cdsMain->SetProviderName("pvdMain");
            return module;
        };
    }
    void SetModuleFileName(const std::string&) override {
        ModuleFileName = "/opt/suite/libktrb52c.so";
    }
    bool SaveDocument() override {
        trace.push_back("SaveDocument");
        return saveAnswer;
    }
    void InitFormSettings() override {
        trace.push_back("InitFormSettings");
        TfrmBase::InitFormSettings();
    }
    void InitializeAfterConnect() override {
        trace.push_back("InitializeAfterConnect");
        TfrmBase::InitializeAfterConnect();
    }
    void ApplyControlSettings() override {
        trace.push_back("ApplyControlSettings");
        TfrmBase::ApplyControlSettings();
    }

    static inline bool withModule = true;
    bool saveAnswer = true;
    std::vector<std::string> trace;
};

class FormsOnHost : public LanguageFixture {
  protected:
    FormsOnHost() {
        // The test program stands where the host shell would.
        if (std::find(TfrmRadical::HostProgramMarkers.begin(),
                      TfrmRadical::HostProgramMarkers.end(),
                      "TEST_FORMS") == TfrmRadical::HostProgramMarkers.end())
            TfrmRadical::HostProgramMarkers.push_back("TEST_FORMS");
        standin::ConnectInProcess(*services, server);
        registration = std::make_unique<standin::HostRegistration>(services);
        workCenter = plat::Variant(standin::CreateWorkCenter(services));
        const char* env = std::getenv("KTRB_SOURCE_DIR");
        std::filesystem::path root =
            env && *env ? std::filesystem::path(env)
                        : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
        std::filesystem::copy(root / "standins/data/client/MultiLanguage",
                              inst.client() + "MultiLanguage",
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
    }

    // A base form started the way the controller starts one.
    TestBaseForm* StartForm(const plat::Variant& params, plat::Variant mainObject = {}) {
        auto* form = plat::CreateForm<TestBaseForm>(nullptr);
        form->SetModuleFileName("");
        form->Brokers()->SetMainObject(mainObject.IsDispatch() ? mainObject : workCenter);
        EXPECT_TRUE(form->InitializeFromHost(params));
        return form;
    }
    static plat::Variant HostParams() { return plat::VarArrayOf({"DS", "DEMO", "DEMO", 0, ""}); }

    std::shared_ptr<standin::HostServices> services = standin::MakeHostServices();
    std::shared_ptr<standin::AppServer> server = standin::AppServer::Open(":memory:");
    std::unique_ptr<standin::HostRegistration> registration;
    plat::Variant workCenter;
    std::shared_ptr<plat::ScriptedMessageDialogs> dialogs =
        std::make_shared<plat::ScriptedMessageDialogs>();
    plat::MessageDialogsScope dialogScope{dialogs};
};

}  // namespace ktrb::test
