#include "controls/QVDialogCF.h"

#include <gtest/gtest.h>

#include "controls/F2Button.h"
#include "controls/QrvEdit.h"
#include "platform/core/dates.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/ui_test_util.h"
#include "runtime/language_fixture.h"
#include "runtime/radical_fixtures.h"

namespace ktrb::test {
namespace {

using plat::VarArrayOf;

// The document form as its dialogs see it; its broker's side (which
// records the message dialogs) stands apart.
class OwnerForm : public plat::TForm, public IDialogOwnerForm {
  public:
    explicit OwnerForm(ScriptedHost& host) : plat::TForm(nullptr) {
        SetCaption("委外进货单");
        broker = radical->broker;
        broker->SetMainObject(host.Main());
        broker->AttachSubObjects();
    }
    ~OwnerForm() override { delete radical; }
    TTestRadicalForm* radical = new TTestRadicalForm();
    TBrokers* DialogBrokers() override { return broker; }
    int DialogDateFormatType() const override { return dateFormat; }
    std::string DialogDateSeparator() const override { return "-"; }
    std::string DialogCaption() const override { return Caption(); }
    TBrokers* broker;
    int dateFormat = 1;
};

// A sign-off style dialog: a labelled edit, a memo and the hooks recorded.
class TdlgDemo : public TfrmQVDialog {
    PLAT_CLASS(TdlgDemo, TfrmQVDialog)
  public:
    explicit TdlgDemo(plat::TComponent* owner) : TfrmQVDialog(owner) {
        label = new plat::TLabel(this);
        label->SetParent(this);
        label->SetBounds(16, 20, 70, 16);
        label->SetCaption("签核人员");
        edit = new TQvEdit(this);
        edit->SetName("edtUser");
        edit->SetParent(this);
        edit->SetBounds(96, 16, 120, 22);
        label->SetFocusControl(edit);
        name = new plat::TLabel(this);
        name->SetParent(this);
        name->SetBounds(224, 20, 150, 16);
        second = new plat::TEdit(this);
        second->SetParent(this);
        second->SetBounds(96, 48, 120, 22);
        memo = new plat::TMemo(this);
        memo->SetParent(this);
        memo->SetBounds(96, 80, 280, 120);
        ok = new plat::TButton(this);
        ok->SetParent(this);
        ok->SetBounds(200, 280, 80, 25);
        ok->SetCaption("确定");
        ok->ModalResult = plat::mrOk;
        cancel = new plat::TButton(this);
        cancel->SetParent(this);
        cancel->SetBounds(296, 280, 80, 25);
        cancel->SetCaption("取消");
        cancel->ModalResult = plat::mrCancel;
    }
    void HandleF3Key(uint16_t& key, plat::TWinControl* control) override {
        hooks.push_back({key, control});
    }
    plat::TLabel *label, *name;
    TQvEdit* edit;
    plat::TEdit* second;
    plat::TMemo* memo;
    plat::TButton *ok, *cancel;
    std::vector<std::pair<uint16_t, plat::TWinControl*>> hooks;
};

class QVDialogTest : public LanguageFixture {
  protected:
    QVDialogTest() { host.messages["E000001"] = "%s 不存在"; }
    TdlgDemo* Make() { return plat::CreateForm<TdlgDemo>(&owner); }
    ScriptedHost host;
    OwnerForm owner{host};
};

TEST_F(QVDialogTest, BorrowsTheOwnersBrokerDateFormatAndCaption) {
    TdlgDemo* d = Make();
    EXPECT_EQ(d->Brokers, owner.broker);
    EXPECT_EQ(d->DateSeparator, "-");
    EXPECT_EQ(d->Caption(), "委外进货单");
    EXPECT_EQ(d->ClientWidth(), 394);
    d->Free();
    EXPECT_EQ(owner.radical->ComponentCount(), 1);  // the broker stays
}

TEST_F(QVDialogTest, ModalRunTypesMovesOnWithEnterAndReturnsOk) {
    TdlgDemo* d = Make();
    auto runner = std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope scope(runner);
    std::string memoText;
    runner->Expect("TdlgDemo", [&](plat::TCustomForm&) {
        d->edit->SetFocus();
        uitest::TypeText(d->edit, "U01\r");
        EXPECT_EQ(d->ActiveControl(), d->second);
        d->memo->SetFocus();
        uitest::TypeText(d->memo, "a\rb");
        memoText = d->memo->Text();
        d->ok->Click();
        return d->ModalResult();
    });
    EXPECT_EQ(d->ShowModal(), plat::mrOk);
    EXPECT_EQ(d->edit->Text(), "U01");
    EXPECT_NE(memoText.find('\n'), std::string::npos);
    d->Free();
}

TEST_F(QVDialogTest, FunctionKeysReachTheHooksByKeyAndByMessage) {
    TdlgDemo* d = Make();
    uitest::ShowActive(d);
    d->second->SetFocus();
    d->second->SimulateKey(plat::VK_F3);
    d->Perform(WM_F3KEY, 0, plat::LParamOf(d->edit));
    ASSERT_EQ(d->hooks.size(), 2u);
    EXPECT_EQ(d->hooks[0], std::make_pair(uint16_t(114), (plat::TWinControl*)d->second));
    EXPECT_EQ(d->hooks[1], std::make_pair(uint16_t(114), (plat::TWinControl*)d->edit));

    // The default F2 hook focuses the control, and only one that can take it.
    d->Perform(WM_F2KEY, 0, plat::LParamOf(d->edit));
    EXPECT_EQ(d->ActiveControl(), d->edit);
    d->memo->SetEnabled(false);
    d->Perform(WM_F2KEY, 0, plat::LParamOf(d->memo));
    EXPECT_EQ(d->ActiveControl(), d->edit);
    d->Free();
}

TEST_F(QVDialogTest, CheckEditValue) {
    TdlgDemo* d = Make();
    uitest::ShowActive(d);
    // Empty: passes without asking.
    EXPECT_TRUE(d->CheckEditValue({d->edit}, "QRVMA", "01", {}, "E"));
    EXPECT_EQ(host.validator->Count("CheckValue"), 0);

    d->edit->SetText("NOSUCH");
    host.validator->AnswerValue("CheckValue", false);
    d->second->SetFocus();
    EXPECT_FALSE(d->CheckEditValue({d->edit}, "QRVMA", "01", {}, "E"));
    EXPECT_EQ(d->ActiveControl(), d->edit);
    ASSERT_EQ(owner.radical->dialogs.size(), 1u);
    EXPECT_EQ(owner.radical->dialogs[0].Text.rfind("签核人员 不存在", 0), 0u);
    d->edit->SetCaption("人员");
    EXPECT_EQ(d->GetControlCaption(d->edit), "人员");

    host.validator->Answer("CheckValue", [](plat::DispArgs a) {
        a[4] = VarArrayOf({"王小明", "DEP1"});
        return plat::Variant(true);
    });
    EXPECT_TRUE(
        d->CheckEditValue({d->edit, d->name, d->second}, "QRVMA", "01", plat::Variant(" "), "E"));
    EXPECT_EQ(d->name->Caption(), "王小明");
    EXPECT_EQ(d->second->Text(), "DEP1");
    d->Free();
}

TEST_F(QVDialogTest, F2LookupFillsEditsAndLabelsFromTheFirstRow) {
    host.dravoc->AnswerValue("F2GetData",
                             VarArrayOf({VarArrayOf({"U02", "李四", "D2"}), VarArrayOf({"x"})}));
    TdlgDemo* d = Make();
    d->edit->SetText("U");
    d->F2Lookup({d->edit, d->name, d->second}, "QRVMA", "01", {});
    EXPECT_EQ(d->edit->Text(), "U02");
    EXPECT_EQ(d->name->Caption(), "李四");
    EXPECT_EQ(d->second->Text(), "D2");
    host.dravoc->AnswerValue("F2GetData", plat::Variant());
    d->F2LookupEdit(d->edit, "QRVMA", "01", {});
    EXPECT_EQ(d->edit->Text(), "U02");
    d->Free();
}

TEST_F(QVDialogTest, BlankDateTextAndPickDate) {
    TdlgDemo* d = Make();
    struct Case {
        int code;
        std::string sep, text;
    };
    for (const Case& c :
         {Case{1, "/", "    /  /  "}, Case{2, "-", "  -  -    "}, Case{4, "/", "  /  /  "},
          Case{5, ".", "   .  .  "}, Case{9, "/", "/  /  "}}) {
        d->SetDateFormatType(c.code);
        d->SetDateSeparator(c.sep);
        EXPECT_EQ(d->GetBlankDateText(), c.text) << c.code;
    }
    d->SetDateFormatType(1);
    d->SetDateSeparator("/");
    host.dravoc->AnswerValue("ShowInputDay", "20050301");
    d->second->SetText("2005/02/01");
    d->PickDate(d->second);
    EXPECT_EQ(host.dravoc->Last("ShowInputDay")->args[0].Items()[1].AsString(),
              plat::FormatDateTime("yyyymmdd", plat::Date()));
    EXPECT_EQ(d->second->Text(), "2005/03/01");
    host.dravoc->AnswerValue("ShowInputDay", "");
    d->PickDate(d->second);
    EXPECT_EQ(d->second->Text(), "2005/03/01");
    d->Free();
}

TEST_F(QVDialogTest, TheCalendarsFlagFollowsTheOwnerFormsDateFormat) {
    struct Case {
        int owner, dialog;
        bool flag;
    };
    for (const Case& c :
         {Case{4, 1, true}, Case{5, 1, true}, Case{1, 4, false}, Case{3, 5, false}}) {
        owner.dateFormat = c.owner;
        TdlgDemo* d = Make();
        d->SetDateFormatType(c.dialog);
        host.dravoc->AnswerValue("ShowInputDay", "");
        d->PickDate(d->second);
        EXPECT_EQ(host.dravoc->Last("ShowInputDay")->args[0].Items()[0].AsBoolean(), c.flag)
            << c.owner << "/" << c.dialog;
        d->Free();
    }
}

TEST_F(QVDialogTest, Pictures) {
    UseDemoTable();
    for (const char* ui : {"936", "950", "437"}) {
        SetCodePages(ui, "936");
        TdlgDemo* d = Make();
        uitest::ShowActive(d);
        const std::string lang = ui[0] == '4' ? "ENG" : ui[1] == '3' ? "CHS" : "CHT";
        std::string name = "QVDialog_" + lang + ".png";
        plat::SaveScreenshot(d, inst.root() + name);
        if (const char* dir = std::getenv("KTRB_SHOTS"))
            plat::SaveScreenshot(d, std::string(dir) + "/" + name);
        d->Free();
    }
}

}  // namespace
}  // namespace ktrb::test
