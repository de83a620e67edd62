#include "forms/QVConfirmDate.h"

#include <gtest/gtest.h>

#include "controls/F2Button.h"
#include "dialog_fixture.h"
#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/ui_test_util.h"
#include "runtime/language_fixture.h"
#include "runtime/radical_fixtures.h"

namespace ktrb::test {
namespace {

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
    int DialogDateFormatType() const override { return 1; }
    std::string DialogDateSeparator() const override { return "/"; }
    std::string DialogCaption() const override { return Caption(); }
    TBrokers* broker;
};

class ConfirmDateTest : public LanguageFixture {
  protected:
    ConfirmDateTest() {
        host.messages["E000003"] = "%s 不可空白!";
        host.messages["E000005"] = "日期不正确!";
    }
    TQVConfirmDateForm* Make() { return plat::CreateForm<TQVConfirmDateForm>(&owner); }
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (auto& d : owner.radical->dialogs) out.push_back(plat::Trim(d.Text));
        return out;
    }
    static std::string Today() { return plat::FormatDateTime("yyyy/mm/dd", plat::Date()); }
    ScriptedHost host;
    OwnerForm owner{host};
};

TEST_F(ConfirmDateTest, SetupProposesTheDateAndLabelsIt) {
    TQVConfirmDateForm* d = Make();
    struct Case {
        const char *mode, *label, *text, *caption;
    };
    const std::string today = Today();
    for (const Case& c : {Case{"0", "单据日期", "2024/01/08", "审核单据日期"},
                          Case{"1", "单据日期", nullptr, "审核单据日期"},
                          Case{"", "审核日期", "2024/01/08", "审核日期"},
                          Case{"2", "原审核日", "2024/01/08", "审核日期"}}) {
        d->Setup(c.mode, "20240108", c.label);
        EXPECT_EQ(d->edDate01->Text(), c.text ? c.text : today) << c.mode;
        EXPECT_EQ(d->lbl01->Caption(), c.caption) << c.label;
        EXPECT_EQ(d->edDate01->Left(), d->lbl01->Left() + d->lbl01->Width() + 5);
        EXPECT_EQ(d->btn01->Left(), d->edDate01->Left() + d->edDate01->Width() + 2);
    }
    EXPECT_EQ(d->btn01->F2Control(), d->edDate01);
    d->Free();
}

TEST_F(ConfirmDateTest, TheEditIsAFixedMask) {
    TQVConfirmDateForm* d = Make();
    d->Setup("0", "", "单据日期");
    uitest::ShowActive(d);
    d->edDate01->SetFocus();
    ASSERT_EQ(d->edDate01->Text(), "");
    // An empty edit takes the blank mask first; digits step over separators.
    uitest::TypeText(d->edDate01, "2024x0");
    EXPECT_EQ(d->edDate01->Text(), "2024/0 /  ");
    // Backspace blanks a digit, steps over a separator.
    uitest::TypeText(d->edDate01, "21\b\b\b");
    EXPECT_EQ(d->edDate01->Text(), "2024/0 /  ");
    EXPECT_EQ(d->edDate01->SelStart(), 6);
    uitest::TypeText(d->edDate01, "229");
    EXPECT_EQ(d->edDate01->Text(), "2024/02/29");
    // Delete is ignored; "$" is today.
    d->edDate01->SetSelStart(0);
    d->edDate01->SimulateKey(plat::VK_DELETE);
    EXPECT_EQ(d->edDate01->Text(), "2024/02/29");
    uitest::TypeText(d->edDate01, "$");
    EXPECT_EQ(d->edDate01->Text(), Today());
    d->Free();
}

TEST_F(ConfirmDateTest, LeavingWithABadDateSaysSoAndStays) {
    TQVConfirmDateForm* d = Make();
    d->Setup("0", "20240108", "单据日期");
    uitest::ShowActive(d);
    d->edDate01->SetFocus();
    d->edDate01->SetText("2024/02/30");
    // Towards Cancel nothing is checked.
    d->btnCancel->SetFocus();
    EXPECT_TRUE(Messages().empty());
    d->edDate01->SetFocus();
    d->btnOK->SetFocus();
    EXPECT_EQ(Messages(), std::vector<std::string>{"日期不正确!"});
    EXPECT_EQ(d->ActiveControl(), d->edDate01);
    d->Free();
}

TEST_F(ConfirmDateTest, OkGivesTheDateAnIncompleteDateKeepsItOpen) {
    auto runner = std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope scope(runner);
    TQVConfirmDateForm* d = Make();
    d->Setup("0", "20240108", "单据日期");
    runner->Expect("TQVConfirmDateForm", [&](plat::TCustomForm&) {
        d->edDate01->SetText("2024/  /08");
        d->SetModalResult(plat::mrOk);
        d->CloseModal();
        EXPECT_EQ(d->ModalResult(), plat::mrNone);
        d->edDate01->SetText("2024/03/09");
        d->btnOK->Click();
        return d->ModalResult();
    });
    EXPECT_EQ(d->ShowModal(), plat::mrOk);
    EXPECT_EQ(d->ResultDate(), "20240309");
    EXPECT_EQ(Messages(), std::vector<std::string>{"审核单据日期 不可空白!"});

    runner->Expect("TQVConfirmDateForm", [&](plat::TCustomForm&) {
        d->btnCancel->Click();
        return d->ModalResult();
    });
    d->Setup("0", "20240108", "单据日期");
    EXPECT_EQ(d->ShowModal(), plat::mrCancel);
    EXPECT_EQ(d->ResultDate(), "");
    d->Free();
}

TEST_F(ConfirmDateTest, Pictures) {
    UseDemoTable();
    for (const char* ui : {"936", "437"}) {
        SetCodePages(ui, "936");
        const std::string lang = ui[0] == '4' ? "ENG" : "CHS";
        WritePackage(lang, "TQVConfirmDateForm", DemoPackage(lang, "TQVConfirmDateForm"));
        TQVConfirmDateForm* d = Make();
        d->Setup("0", "20240108", ui[0] == '4' ? "Document date" : "单据日期");
        uitest::ShowActive(d);
        std::string name = "QVConfirmDate_" + lang + ".png";
        plat::SaveScreenshot(d, inst.root() + name);
        if (const char* dir = std::getenv("KTRB_SHOTS"))
            plat::SaveScreenshot(d, std::string(dir) + "/" + name);
        d->Free();
    }
}

}  // namespace
}  // namespace ktrb::test
