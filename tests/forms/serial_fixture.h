// The serial-number windows against the stand-in host: the work-centre
// object over an in-process application server on the demo database, and a
// document form that lends its broker to the dialogs. Message dialogs are
// recorded by the broker's form; their answers are scripted there.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "controls/QVDialogCF.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/forms.h"
#include "runtime/language_fixture.h"
#include "runtime/radical_fixtures.h"
#include "standins/appserver/server.h"
#include "standins/host/host_services.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"

namespace ktrb::test {

// The document form as the dialogs see it.
class DialogOwner : public plat::TForm, public IDialogOwnerForm {
  public:
    explicit DialogOwner(TBrokers* b) : plat::TForm(nullptr), broker(b) {
        SetCaption("委外进货单");
    }
    TBrokers* DialogBrokers() override { return broker; }
    int DialogDateFormatType() const override { return 1; }
    std::string DialogDateSeparator() const override { return "/"; }
    std::string DialogCaption() const override { return Caption(); }
    TBrokers* broker;
};

class SerialHostTest : public LanguageFixture {
  protected:
    SerialHostTest() {
        UseDemoPackages();
        standin::ConnectInProcess(*services, server);
        b->UserID = "DS";
        b->CompanyID = "DEMO";
        b->SignOnKey = "DEMO";
        b->ProgramCode = "KTRB52";
        b->SetMainObject(workCenter);
        b->AttachSubObjects();
        b->GetSysInfo();
    }
    ~SerialHostTest() override {
        owner->Free();
        form->FreeForm();
    }

    // The demo client's language packages and conversion table.
    void UseDemoPackages() {
        UseDemoTable();
        std::filesystem::copy(DemoClientFolder() / "MultiLanguage", inst.client() + "MultiLanguage",
                              std::filesystem::copy_options::recursive);
    }
    static std::filesystem::path DemoClientFolder() {
        const char* env = std::getenv("KTRB_SOURCE_DIR");
        std::filesystem::path root =
            env && *env ? std::filesystem::path(env)
                        : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
        return root / "standins/data/client";
    }
    // Whether a message dialog showed the catalogue's text of (kind, code)
    // (the part before its first argument).
    bool Shown(const std::string& kind, const std::string& code) {
        std::string text = b->GetMessage(kind, code);
        text = text.substr(0, text.find('%'));
        for (const auto& d : form->dialogs)
            if (d.Text.find(text) != std::string::npos) return true;
        return false;
    }
    // Where the pictures of the windows go: $KTRB_PICTURE_DIR, else the
    // test's temporary folder.
    static std::string PicturePath(const std::string& name) {
        const char* dir = std::getenv("KTRB_PICTURE_DIR");
        return (dir && *dir ? std::string(dir) + "/" : ::testing::TempDir()) + name;
    }

    std::shared_ptr<standin::HostServices> services = standin::MakeHostServices();
    std::shared_ptr<standin::AppServer> server = standin::AppServer::Open(":memory:");
    plat::Variant workCenter = plat::Variant(standin::CreateWorkCenter(services));
    TTestRadicalForm* form = new TTestRadicalForm();
    TBrokers* b = form->broker;
    DialogOwner* owner = plat::CreateForm<DialogOwner>(b);
    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope runnerScope{runner};
};

}  // namespace ktrb::test
