// The colour-rule dialog: ticks handed back on OK only, the switch stored as
// a user setting on the stand-in when it changed, and rule sets that grew
// after the dialog was made.
#include "query/QvColorQBE.h"

#include <gtest/gtest.h>

#include "controls/BtChkBox.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/screenshot.h"
#include "query_fixture.h"
#include "runtime/Brokers.h"
#include "runtime/language_fixture.h"
#include "standins/host/host_services.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"

namespace ktrb::test {
namespace {

class OwnerForm : public plat::TForm, public IColorQBEOwner {
  public:
    using plat::TForm::TForm;
    bool ReadUserSettingFlag(const std::string& group, const std::string& name) override {
        reads.push_back(group + "/" + name);
        return stored;
    }
    TBrokers* ColorQBEBroker() override { return broker; }
    TBrokers* broker = nullptr;
    bool stored = false;
    std::vector<std::string> reads;
};

class ColorQBE : public StandInTest {
  protected:
    void SetUp() override {
        StandInTest::SetUp();
        standin::ConnectInProcess(*services, server);
        broker->UserID = "DS";
        broker->CompanyID = "DEMO";
        broker->SignOnKey = "DEMO";
        broker->ProgramCode = "KTRB52";
        broker->SetMainObject(plat::Variant(standin::CreateWorkCenter(services)));
        broker->AttachSubObjects();
        owner->broker = broker;
        (new plat::TDataGrid(owner))->SetName("gdHead");
        set = LoadColorComponents(owner, ColorManagerXml(), "head");
        owner->SetName("frmKtrb52");
        rules = set->FindItem("gdHead", "") ? set->FindItem("gdHead", "")->Conditions() : nullptr;
    }
    void TearDown() override { owner->Free(); }
    std::string StoredSwitch() {
        return plat::VarToStr(server->Db().Scalar(
            "SELECT DF006 FROM USRDF WHERE DF002 = 'DS' AND DF004 = 'InputSettings003' "
            "AND DF005 = 'IsColorManage' AND DF003 = '********************'"));
    }

    std::shared_ptr<standin::HostServices> services = standin::MakeHostServices();
    OwnerForm* owner = plat::CreateForm<OwnerForm>(nullptr);
    TBrokers* broker = new TBrokers(owner);
    std::unique_ptr<TColorComponents> set;
    TColorConditions* rules = nullptr;
    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope runnerScope{runner};
};

TEST_F(ColorQBE, OkHandsBackTheTicksAndStoresAChangedSwitch) {
    ASSERT_NE(rules, nullptr);
    owner->stored = true;
    TColorQBEForm* dlg = CreateColorQBEForm(owner, rules);
    EXPECT_EQ(owner->reads, (std::vector<std::string>{"InputSettings003/IsColorManage"}));
    EXPECT_TRUE(dlg->GetColorManage());
    ASSERT_NE(dlg->RuleBox(1), nullptr);
    EXPECT_EQ(dlg->RuleBox(1)->Name(), "chkColor1");
    EXPECT_EQ(dlg->RuleBox(1)->Caption(), "作废单据");
    EXPECT_EQ(dlg->RuleBox(1)->Font()->Color(), 8421504);

    rules->GetItem(1)->Checked = true;
    runner->Expect([&](plat::TCustomForm&) {
        EXPECT_TRUE(dlg->boxMain->Enabled());
        EXPECT_TRUE(dlg->RuleBox(1)->Checked());
        dlg->RuleBox(0)->SetChecked(true);
        dlg->RuleBox(1)->SetChecked(false);
        plat::SaveScreenshot(dlg, ::testing::TempDir() + "colour_rule_dialog_chs.png");
        return plat::mrCancel;
    });
    EXPECT_FALSE(dlg->Execute(true, rules));
    EXPECT_FALSE(rules->GetItem(0)->Checked);  // cancel changes nothing
    EXPECT_TRUE(rules->GetItem(1)->Checked);

    runner->Expect([&](plat::TCustomForm&) {
        dlg->RuleBox(0)->SetChecked(true);
        dlg->RuleBox(1)->SetChecked(false);
        return plat::mrOk;
    });
    EXPECT_TRUE(dlg->Execute(true, rules));
    EXPECT_TRUE(rules->GetItem(0)->Checked);
    EXPECT_FALSE(rules->GetItem(1)->Checked);
    EXPECT_EQ(StoredSwitch(), "");  // the switch did not change

    // Turning colour management off unticks every rule and is stored.
    runner->Expect([&](plat::TCustomForm&) {
        dlg->chkColorManage->SetChecked(false);
        dlg->chkColorManageClick(nullptr);
        EXPECT_FALSE(dlg->boxMain->Enabled());
        EXPECT_FALSE(dlg->RuleBox(0)->Checked());
        return plat::mrOk;
    });
    EXPECT_TRUE(dlg->Execute(true, rules));
    EXPECT_FALSE(dlg->GetColorManage());
    EXPECT_FALSE(rules->GetItem(0)->Checked);
    EXPECT_EQ(StoredSwitch(), "False");
}

TEST_F(ColorQBE, WithColourManagementOffNoRuleCanBeTicked) {
    TColorQBEForm* dlg = CreateColorQBEForm(owner, rules);
    rules->GetItem(0)->Checked = true;
    runner->Expect([&](plat::TCustomForm&) {
        EXPECT_FALSE(dlg->boxMain->Enabled());
        EXPECT_FALSE(dlg->pnlHead->Visible());
        return plat::mrOk;
    });
    EXPECT_TRUE(dlg->Execute(false, rules));
    EXPECT_TRUE(rules->GetItem(0)->Checked);
    EXPECT_EQ(StoredSwitch(), "");
}

TEST_F(ColorQBE, RulesAddedAfterTheDialogWasMadeGetTheirOwnBoxes) {
    TColorConditions few;
    few.Add()->Msg = "已审核单据";
    few.GetItem(0)->BkColor = "not a colour";
    TColorQBEForm* dlg = CreateColorQBEForm(owner, &few);
    EXPECT_EQ(dlg->RuleBox(0)->Color(), plat::clBtnFace);  // a bad colour keeps the default
    EXPECT_EQ(dlg->RuleBox(1), nullptr);
    for (int i = 0; i < 3; ++i) {
        TColorCondition* c = few.Add();
        c->Msg = "规则" + std::to_string(i);
        c->Checked = i == 1;
    }
    runner->Expect([&](plat::TCustomForm&) {
        EXPECT_TRUE(dlg->RuleBox(2)->Checked());
        dlg->RuleBox(3)->SetChecked(true);
        return plat::mrOk;
    });
    EXPECT_TRUE(dlg->Execute(true, &few));
    EXPECT_EQ(few.Count(), 4);
    EXPECT_TRUE(few.GetItem(3)->Checked);
    EXPECT_EQ(dlg->RuleBox(3)->Name(), "chkColor3");

    // A smaller set again hides the boxes it has no rule for.
    TColorConditions one;
    one.Add()->Msg = "一条";
    runner->Expect([&](plat::TCustomForm&) { return plat::mrOk; });
    EXPECT_TRUE(dlg->Execute(true, &one));
    EXPECT_FALSE(dlg->RuleBox(3)->Visible());
}

// The dialog as a user sees it under a simplified Chinese and an English
// interface (pictures kept for a look; $KTRB_SHOTS keeps a copy).
class ColorQBEPictures : public LanguageFixture {};

TEST_F(ColorQBEPictures, ChineseAndEnglishInterfaces) {
    const std::string xml =
        "<colormanager><head><component name=\"gdHead\" enable=\"Y\">"
        "<condition value=\"TH023='Y'\" colorx=\"0\" bkcolor=\"13434828\" msg=\"已审核单据\"/>"
        "<condition value=\"TH023='V'\" colorx=\"8421504\" bkcolor=\"15790320\" "
        "msg=\"作废单据\"/></component></head></colormanager>";
    for (const char* ui : {"936", "437"}) {
        SetCodePages(ui, "936");
        auto* owner = new OwnerForm(nullptr);
        (new plat::TDataGrid(owner))->SetName("gdHead");
        auto set = LoadColorComponents(owner, xml, "head");
        TColorConditions* rules = set->FindItem("gdHead", "")->Conditions();
        TColorQBEForm* dlg = CreateColorQBEForm(owner, rules);
        auto runner = std::make_shared<plat::ScriptedDialogRunner>();
        plat::DialogRunnerScope scope{runner};
        std::string name = std::string("colour_rule_dialog_") + (ui[0] == '9' ? "CHS" : "ENG");
        runner->Expect([&](plat::TCustomForm&) {
            EXPECT_EQ(dlg->Caption(), "颜色筛选");
            plat::SaveScreenshot(dlg, inst.root() + name + ".png");
            if (const char* dir = std::getenv("KTRB_SHOTS"))
                plat::SaveScreenshot(dlg, std::string(dir) + "/" + name + ".png");
            return plat::mrCancel;
        });
        EXPECT_FALSE(dlg->Execute(true, rules));
        owner->Free();
    }
}

}  // namespace
}  // namespace ktrb::test
