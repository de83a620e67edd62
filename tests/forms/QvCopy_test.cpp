#include "forms/QvCopy.h"

#include <gtest/gtest.h>

#include "controls/F2Button.h"
#include "dialog_fixture.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/ui_test_util.h"
#include "runtime/language_fixture.h"

namespace ktrb::test {
namespace {

using plat::Variant;

// A document form as the copy dialog sees it: the source read is scripted,
// and a successful read starts a new head record as the real form does.
class CopyOwner : public TQVForm, public ICopyDialogOwner {
    PLAT_CLASS(CopyOwner, TQVForm)
  public:
    explicit CopyOwner(plat::TComponent* owner) : TQVForm(owner) {
        ds = new plat::TClientDataSet(this);
        for (const char* f : {"TH001", "TH002", "TH003"})
            ds->FieldDefs().Add(f, plat::TFieldType::ftString, 11);
        ds->CreateDataSet();
        ds->FieldByName("TH001")->SetDisplayLabel("单别");
        ds->FieldByName("TH002")->SetDisplayLabel("单号");
        ds->Append();
        ds->FieldByName("TH001")->SetAsString("5901");
        ds->FieldByName("TH002")->SetAsString("20240108001");
        ds->Post();
        src = new plat::TDataSource(this);
        src->SetDataSet(ds);
    }
    bool ReadCopySource(const std::vector<std::string>& keys, Variant& head, Variant& extras,
                        Variant& body) override {
        reads.push_back(keys);
        if (!found) return false;
        head = plat::VarArrayOf({"H"});
        body = plat::VarArrayOf({plat::VarArrayOf({"L1"})});
        extras = plat::VarArrayOf({Variant()});
        ds->Append();
        return true;
    }
    void CopyDialogF2Key(uint16_t& key, plat::TWinControl* control) override {
        f2.push_back({key, control ? control->Name() : ""});
    }
    plat::TClientDataSet* ds;
    plat::TDataSource* src;
    bool found = true;
    std::vector<std::vector<std::string>> reads;
    std::vector<std::pair<uint16_t, std::string>> f2;
};

class CopyDialogTest : public LanguageFixture {
  protected:
    ~CopyDialogTest() override { owner->Free(); }
    CopyOwner* owner = plat::CreateForm<CopyOwner>(nullptr);
    RecordedBoxes boxes;
    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope scope{runner};
    Variant extras, body, head;
    bool Run(const std::string& keys, bool allowEmpty = false) {
        return TfrmCopy::Execute(owner, owner->ds, owner->src, allowEmpty, extras, body, head,
                                 keys);
    }
};

TEST_F(CopyDialogTest, RowsFollowTheKeyFields) {
    struct Case {
        std::string keys;
        std::vector<bool> buttons;
    };
    for (const Case& c : {Case{"TH001", {true}}, Case{"TH001,TH002", {true, false}},
                          Case{"TH001,TH002,TH003", {true, true, false}}}) {
        runner->Expect("TfrmCopy", [&](plat::TCustomForm& f) {
            auto& d = static_cast<TfrmCopy&>(f);
            for (int i = 0; i < TfrmCopy::kRows; ++i) {
                const bool used = i < (int)c.buttons.size();
                EXPECT_EQ(d.edSource[i]->Visible(), used) << c.keys << i;
                EXPECT_EQ(d.edDest[i]->Visible(), used) << c.keys << i;
                EXPECT_EQ(d.btnDest[i]->Visible(), used && c.buttons[i]) << c.keys << i;
            }
            EXPECT_EQ(d.lblSource[0]->Caption(), "单别");
            EXPECT_EQ(d.edSource[0]->Text(), "5901");
            EXPECT_EQ(d.edDest[0]->DataField(), "TH001");
            return plat::mrCancel;
        });
        EXPECT_FALSE(Run(c.keys));
    }
    EXPECT_TRUE(boxes.texts.empty());
    runner->Expect("TfrmCopy", [](plat::TCustomForm&) { return plat::mrCancel; });
    EXPECT_FALSE(Run("TH001,NOPE"));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Error happend in QvCopy.pas"});
}

TEST_F(CopyDialogTest, SourceThenDestinationThenOk) {
    runner->Expect("TfrmCopy", [&](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmCopy&>(f);
        // A blank source key is named, and nothing is read.
        d.edSource[1]->SetText("");
        d.BBOK->Click();
        EXPECT_TRUE(owner->reads.empty());
        EXPECT_EQ(d.PageControl1->ActivePage(), d.tbsSource);
        d.edSource[1]->SetText("20240108001");
        owner->found = false;
        d.BBOK->Click();
        EXPECT_EQ(d.PageControl1->ActivePage(), d.tbsSource);
        owner->found = true;
        d.BBOK->Click();
        EXPECT_EQ(d.PageControl1->ActivePage(), d.tbsDest);
        EXPECT_EQ(owner->reads.back(), (std::vector<std::string>{"5901", "20240108001"}));
        // The new record's keys: the number still blank stops the close.
        d.edDest[0]->SetFocus();
        uitest::TypeText(d.edDest[0], "5902");
        d.BBOK->Click();
        EXPECT_EQ(d.ModalResult(), plat::mrOk);
        d.CloseModal();
        EXPECT_EQ(d.ModalResult(), plat::mrNone);
        EXPECT_EQ(d.ActiveControl(), d.edDest[1]);
        uitest::TypeText(d.edDest[1], "20240109001");
        d.BBOK->SetFocus();
        d.BBOK->Click();
        return d.ModalResult();
    });
    ASSERT_TRUE(Run("TH001,TH002"));
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"单号 不可空白 !", "单号 不可空白 !"}));
    EXPECT_EQ(owner->reads.size(), 2u);
    EXPECT_EQ(plat::VarToStr(head[0]), "H");
    EXPECT_EQ(plat::VarToStr(body[0][0]), "L1");
    EXPECT_EQ(owner->ds->FieldByName("TH002")->AsString(), "20240109001");
}

TEST_F(CopyDialogTest, KeysMoveAndF2GoesToTheForm) {
    runner->Expect("TfrmCopy", [&](plat::TCustomForm& f) {
        auto& d = static_cast<TfrmCopy&>(f);
        d.edSource[0]->SetFocus();
        d.edSource[0]->SimulateKey(plat::VK_DOWN);
        EXPECT_EQ(d.ActiveControl(), d.edSource[1]);
        d.edSource[1]->SimulateKey(plat::VK_UP);
        EXPECT_EQ(d.ActiveControl(), d.edSource[0]);
        uitest::TypeText(d.edSource[0], "\r");
        EXPECT_EQ(d.ActiveControl(), d.edSource[1]);
        d.edSource[1]->SimulateKey(plat::VK_F2);
        d.Perform(WM_F2KEY, 0, plat::LParamOf(d.edDest[0]));
        return plat::mrCancel;
    });
    EXPECT_FALSE(Run("TH001,TH002"));
    ASSERT_EQ(owner->f2.size(), 2u);
    EXPECT_EQ(owner->f2[0].first, plat::VK_F2);
    EXPECT_EQ(owner->f2[0].second, "edSource2");
    EXPECT_EQ(owner->f2[1].second, "edDest1");
}

TEST_F(CopyDialogTest, Pictures) {
    UseDemoTable();
    for (const char* ui : {"936", "437"}) {
        SetCodePages(ui, "936");
        const std::string lang = ui[0] == '4' ? "ENG" : "CHS";
        WritePackage(lang, "TfrmCopy", DemoPackage(lang, "TfrmCopy"));
        for (int page = 0; page < 2; ++page) {
            runner->Expect("TfrmCopy", [&](plat::TCustomForm& f) {
                auto& d = static_cast<TfrmCopy&>(f);
                d.edSource[2]->SetText("A");
                if (page == 1) d.BBOK->Click();
                std::string name = "QvCopy_" + lang + std::to_string(page + 1) + ".png";
                plat::SaveScreenshot(&d, inst.root() + name);
                if (const char* dir = std::getenv("KTRB_SHOTS"))
                    plat::SaveScreenshot(&d, std::string(dir) + "/" + name);
                return plat::mrCancel;
            });
            Run("TH001,TH002,TH003");
            if (owner->ds->State() != plat::TDataSetState::dsBrowse) owner->ds->Cancel();
        }
    }
}

}  // namespace
}  // namespace ktrb::test
