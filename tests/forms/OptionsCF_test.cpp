#include "forms/OptionsCF.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "controls/BtChkBox.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "runtime/language_fixture.h"
#include "runtime/radical_fixtures.h"

namespace ktrb::test {
namespace {

namespace fs = std::filesystem;
using plat::VarArrayOf;

// A document form as the dialog sees it, whose broker reaches a scripted
// server: user settings answered from `stored`, every write recorded.
class OptionsOwner : public plat::TForm, public IDialogOwnerForm, public IOptionsOwner {
  public:
    OptionsOwner() : plat::TForm(nullptr) {
        broker = radical->broker;
        broker->SetMainObject(host.Main());
        broker->AttachSubObjects();
        broker->CompanyID = "DEMO";
        broker->UserID = "ZHANGW";
        broker->ProgramCode = "KTRB52";
        host.counter->Answer("GETCOUNTER", [this](plat::DispArgs a) -> Variant {
            std::string name = a[0].AsString();
            if (name == "GetUserDefine") {
                if (failRead) throw plat::Exception("server down");
                return Variant(numberXml);
            }
            if (name == "SetUserDefine") {
                writes.push_back({a[1][2].AsString(), a[1][3].AsString(), a[1][4].AsString()});
                return Variant("");
            }
            return Variant();
        });
    }
    ~OptionsOwner() override { delete radical; }

    TBrokers* DialogBrokers() override { return broker; }
    int DialogDateFormatType() const override { return 1; }
    std::string DialogDateSeparator() const override { return "/"; }
    std::string DialogCaption() const override { return "委外进货单"; }
    bool OptionsUserFlag(const std::string& group, const std::string&, bool def) override {
        auto it = flags.find(group);
        return it == flags.end() ? def : it->second;
    }
    int OptionsMoneyDigits() override { return moneyDigits; }

    struct Write {
        std::string program, path, value;
    };
    ScriptedHost host;
    TTestRadicalForm* radical = new TTestRadicalForm();
    TBrokers* broker;
    std::string numberXml;
    bool failRead = false;
    std::map<std::string, bool> flags;
    int moneyDigits = 2;
    std::vector<Write> writes;
};

// A form that is no document form.
class PlainOwner : public plat::TForm {
  public:
    PlainOwner() : plat::TForm(nullptr) {}
};

class OptionsTest : public LanguageFixture {
  protected:
    // Shows the dialog, lets `work` change it, and closes it with OK
    // (clicked) or Cancel.
    bool Show(plat::TForm* owner, const std::function<void(TfrmOptions&)>& work, bool ok = true) {
        auto* dlg = plat::CreateForm<TfrmOptions>(owner);
        auto runner = std::make_shared<plat::ScriptedDialogRunner>();
        plat::DialogRunnerScope scope{runner};
        runner->Expect([&](plat::TCustomForm&) {
            work(*dlg);
            if (!ok) return plat::mrCancel;
            dlg->btnOK->Click();
            return dlg->ModalResult();
        });
        bool result = dlg->ShowModal() == plat::mrOk;
        dlg->Free();
        return result;
    }
};

TEST_F(OptionsTest, LoadsStoredSettingsAndOkWithoutChangesWritesNothing) {
    OptionsOwner owner;
    owner.numberXml =
        "<NumberFieldsSetting><QuantityFieldAutoZero>false</QuantityFieldAutoZero>"
        "<QuantityFieldThousand>TRUE</QuantityFieldThousand>"
        "<MoneyFieldAutoZero>no</MoneyFieldAutoZero></NumberFieldsSetting>";
    owner.flags = {{"InputSettings001", false}, {"InputSettings003", true}};
    EXPECT_TRUE(Show(&owner, [](TfrmOptions& d) {
        EXPECT_EQ(d.Caption(), "选项");
        EXPECT_FALSE(d.chkNumberAutoZero->Checked());
        EXPECT_TRUE(d.chkNumberThousand->Checked());
        EXPECT_FALSE(d.chkMoneyAutoZero->Checked());
        EXPECT_TRUE(d.chkMoneyThousand->Checked());  // missing element
        EXPECT_FALSE(d.chkFocusPageOne->Checked());
        EXPECT_TRUE(d.chkKeepOnAdd->Checked());
        EXPECT_TRUE(d.chkColorManage->Checked());
        EXPECT_TRUE(d.chkFastInput->Checked());
        EXPECT_TRUE(d.pnlNumber->Visible());
        EXPECT_FALSE(d.pnlMoney->Visible());
        EXPECT_EQ(d.lblNumberExample->Caption(), "9,999,999.9");
    }));
    EXPECT_TRUE(owner.writes.empty());
}

TEST_F(OptionsTest, ChangedSettingsAreStoredUnderTheirProgram) {
    OptionsOwner owner;
    TfrmOptions* seen = nullptr;
    bool keep = true, color = true;
    EXPECT_TRUE(Show(&owner, [&](TfrmOptions& d) {
        seen = &d;
        d.chkKeepOnAdd->Click();
        d.chkColorManage->Click();
        d.chkNumberThousand->Click();
        keep = d.GetKeepOnAdd();
        color = d.GetColorManage();
    }));
    EXPECT_FALSE(keep);
    EXPECT_TRUE(color);
    ASSERT_EQ(owner.writes.size(), 3u);
    EXPECT_EQ(owner.writes[0].program, "********************");
    EXPECT_EQ(owner.writes[0].path, "InputSettings002/IsKeepOnAdd");
    EXPECT_EQ(owner.writes[0].value, "False");
    EXPECT_EQ(owner.writes[1].program, "KTRB52");
    EXPECT_EQ(owner.writes[1].path, "InputSettings003/IsColorManage");
    EXPECT_EQ(owner.writes[1].value, "True");
    // One number box changed: the whole setting with all four values.
    EXPECT_EQ(owner.writes[2].program, "********************");
    EXPECT_EQ(owner.writes[2].path, ".");
    EXPECT_EQ(owner.writes[2].value,
              "<NumberFieldsSetting Enabled=\"True\">  <QuantityFieldAutoZero>True"
              "</QuantityFieldAutoZero>  <QuantityFieldThousand>False</QuantityFieldThousand>  "
              "<MoneyFieldAutoZero>True</MoneyFieldAutoZero>  <MoneyFieldThousand>True"
              "</MoneyFieldThousand></NumberFieldsSetting>");
}

TEST_F(OptionsTest, CancelWritesNothing) {
    OptionsOwner owner;
    EXPECT_FALSE(Show(
        &owner, [](TfrmOptions& d) { d.chkKeepOnAdd->Click(); }, false));
    EXPECT_TRUE(owner.writes.empty());
}

TEST_F(OptionsTest, ExamplesFollowTheBoxesAndTheCurrencyDigits) {
    OptionsOwner owner;
    owner.moneyDigits = 3;
    Show(&owner, [](TfrmOptions& d) {
        d.chkMoneyAutoZero->Click();
        EXPECT_EQ(d.MoneyFormat(), "#,##0.###");
        EXPECT_EQ(d.lblMoneyExample->Caption(), "9,999,999.9");
        d.chkMoneyAutoZero->Click();
        d.chkMoneyThousand->Click();
        EXPECT_EQ(d.lblMoneyExample->Caption(), "9999999.900");
        d.chkNumberAutoZero->Click();
        EXPECT_EQ(d.NumberFormat(), "#,##0.###");
        d.lstType->SetItemIndex(1);
        d.lstTypeClick(nullptr);
        EXPECT_FALSE(d.pnlNumber->Visible());
        EXPECT_TRUE(d.pnlMoney->Visible());
    });
}

TEST_F(OptionsTest, NoDocumentFormOwnerOrAFailingServerKeepsTheDesignedStates) {
    PlainOwner plain;
    Show(&plain, [](TfrmOptions& d) {
        EXPECT_EQ(d.MoneyFormat(), "#,##0.00");
        EXPECT_FALSE(d.chkColorManage->Checked());
        EXPECT_TRUE(d.chkKeepOnAdd->Checked());
    });
    OptionsOwner owner;
    owner.failRead = true;
    owner.flags = {{"InputSettings002", false}};
    Show(&owner, [](TfrmOptions& d) {
        EXPECT_TRUE(d.chkNumberThousand->Checked());
        EXPECT_TRUE(d.chkMoneyAutoZero->Checked());
        EXPECT_FALSE(d.chkKeepOnAdd->Checked());
    });
}

// The dialog as a user sees it, both pages, under simplified Chinese and
// English ($KTRB_SHOTS keeps a copy).
TEST_F(OptionsTest, Pictures) {
    const char* env = std::getenv("KTRB_SOURCE_DIR");
    fs::path root =
        env && *env ? fs::path(env) : fs::path(__FILE__).parent_path().parent_path().parent_path();
    fs::copy(root / "standins/data/client/MultiLanguage", inst.client() + "MultiLanguage",
             fs::copy_options::recursive);
    for (const char* ui : {"936", "437"}) {
        SetCodePages(ui, "936");
        OptionsOwner owner;
        std::string lang = ui[0] == '9' ? "CHS" : "ENG";
        Show(
            &owner,
            [&](TfrmOptions& d) {
                for (int page = 0; page < 2; ++page) {
                    d.pgMain->SetActivePageIndex(page);
                    std::string name =
                        "options_dialog_" + lang + "_" + std::to_string(page) + ".png";
                    plat::SaveScreenshot(&d, inst.root() + name);
                    if (const char* dir = std::getenv("KTRB_SHOTS"))
                        plat::SaveScreenshot(&d, std::string(dir) + "/" + name);
                }
                if (lang == "ENG") {
                    EXPECT_EQ(d.Caption(), "Options");
                }
            },
            false);
    }
}

}  // namespace
}  // namespace ktrb::test
