// The query dialog driven through the dialog runner on the demo receipts:
// conditions on header and body fields, a sort order, free-text
// conditions, saved schemes kept on the stand-in, and the WHERE texts run
// against it to see the right receipts come back.
#include "query/QvQBE.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "controls/BtChkBox.h"
#include "controls/ExtPage.h"
#include "controls/FCheckListBox.h"
#include "controls/QrvEdit.h"
#include "dataframe/RadicalCD.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/ui_test_util.h"
#include "query/DocuConditionCF.h"
#include "query_fixture.h"
#include "runtime/Brokers.h"
#include "runtime/language_fixture.h"
#include "standins/host/host_services.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"

namespace ktrb::test {
namespace {

using plat::Variant;

class QbeModule : public TdmRadical {
  public:
    using TdmRadical::TdmRadical;
    bool IsLocalServer() override { return true; }
};

class QbeOwner : public plat::TForm, public IQBEOwner {
  public:
    using plat::TForm::TForm;
    TBrokers* QBEBroker() override { return broker; }
    TdmRadical* QBEDataModule() override { return dm; }
    int QBESqlType() override { return 0; }
    std::string QBECompanyDB() override { return "DEMO"; }
    std::vector<std::string> QBEHeadPickList(const std::string& field) override {
        if (field == "TH023") return {"未审核\tN", "已审核\tY", "作废\tV"};
        return {};
    }
    std::vector<std::string> QBEComboItems(const std::string&) override { return {}; }
    void RebuildConditionMenu() override { ++menuRebuilds; }
    void RenameConditionMenuItem(const std::string& o, const std::string& n) override {
        renames.push_back(o + ">" + n);
    }
    TBrokers* broker = nullptr;
    TdmRadical* dm = nullptr;
    int menuRebuilds = 0;
    std::vector<std::string> renames;
};

class Qbe : public StandInTest {
  protected:
    void SetUp() override {
        StandInTest::SetUp();
        appSession = server->NewSession();
        appSession->Call("Connect",
                         plat::VarArrayOf({"KTRB52", "DS", "DEMO", "DEMO", "True", "True"}));
        standin::ConnectInProcess(*services, server);
        broker->UserID = "DS";
        broker->CompanyID = "DEMO";
        broker->SignOnKey = "DEMO";
        broker->ProgramCode = "KTRB52";
        broker->SetMainObject(Variant(standin::CreateWorkCenter(services)));
        broker->AttachSubObjects();
        owner->broker = broker;
        owner->dm = dm;
        dm->Broker = broker;
        dm->AppServer = Variant(plat::DispatchPtr(appSession));
        dm->cdsSaveCondition->SetRemoteServer(appSession.get());
        head = Browse(owner, "");
        for (auto [name, label] :
             std::vector<std::pair<const char*, const char*>>{{"TH001", "单别"},
                                                              {"TH002", "单号"},
                                                              {"TH005", "供应商"},
                                                              {"TH009", "件数"},
                                                              {"TH023", "审核码"}})
            head->FieldByName(name)->SetDisplayLabel(label);
        body = static_cast<plat::TDataSetField*>(head->FieldByName("qryBody"))->NestedDataSet();
        body->FieldByName("TI004")->SetDisplayLabel("品号");
        dlg = plat::CreateForm<TQBEForm>(owner);
        dlg->Prepare(head, "MOCTH", "TH001,TH002", "", 0);
    }
    void TearDown() override { owner->Free(); }

    // The receipt keys a WHERE text selects, through the stand-in's browse.
    std::vector<std::string> Receipts(const std::string& where) {
        plat::TClientDataSet* ds = Browse(owner, where);
        std::vector<std::string> keys;
        for (ds->First(); !ds->Eof(); ds->Next())
            keys.push_back(ds->FieldByName("TH001")->AsString() + "-" +
                           ds->FieldByName("TH002")->AsString());
        return keys;
    }
    std::vector<std::string> Expected(const std::string& sqlWhere) {
        std::vector<std::string> keys;
        Variant rows = session->CallOperation(
            "SimpleSQL", plat::VarArrayOf({"SELECT TH001 || '-' || TH002 AS K FROM MOCTH WHERE " +
                                               sqlWhere + " ORDER BY TH001, TH002",
                                           "K"}));
        if (rows.IsArray())
            for (int i = rows.LowBound(); i <= rows.HighBound(); ++i)
                keys.push_back(plat::VarToStr(rows[i][0]));
        return keys;
    }
    // Row r shows the field of the caption, as when picked from the list.
    void PickField(int r, const std::string& caption) {
        if (dlg->sg1->RowCount() <= r) dlg->sg1->SetRowCount(r + 1);
        dlg->sg1->FocusCell(0, r, true);
        dlg->sg1->SetCells(0, r, caption);
        dlg->sg1ComboBoxClick(dlg->sg1);
    }
    void SetRow(int r, const std::string& caption, const std::string& op, const std::string& value,
                const std::string& connector = "AND") {
        PickField(r, caption);
        dlg->sg1->SetCells(1, r, op);
        dlg->sg1->SetCells(2, r, value);
        dlg->sg1->SetCells(3, r, connector);
    }
    // Shows the dialog, lets the script work it, then presses OK.
    bool RunOk(std::function<void()> work, std::string& where, std::string& order) {
        runner->Expect([this, work](plat::TCustomForm&) {
            work();
            dlg->BBOK->Click();
            return dlg->ModalResult() == plat::mrOk ? plat::mrOk : plat::mrCancel;
        });
        return dlg->Execute(where, order);
    }
    int FieldIndex(plat::TComboBox* combo, const std::string& sqlName) {
        for (int i = 0; i < combo->Items()->Count(); ++i)
            if ((*combo->Items())[i].ends_with("\t" + sqlName)) return i;
        return -1;
    }
    void AddTerm(bool bodyPage, const std::string& field, int op, const std::string& value,
                 int connector = 0) {
        plat::TComboBox* combo = bodyPage ? dlg->cboField2 : dlg->cboField;
        combo->SetItemIndex(FieldIndex(combo, field));
        (bodyPage ? dlg->cboField2Change(combo) : dlg->cboFieldChange(combo));
        (bodyPage ? dlg->CbOperator2 : dlg->CbOperator)->SetItemIndex(op);
        (bodyPage ? dlg->rgLogic2 : dlg->rgLogic)->SetItemIndex(connector);
        // Typed into the value box, as a user does.
        plat::TDBComboBox* box = bodyPage ? dlg->cboValue2 : dlg->cboValue;
        box->SetText(value);
        box->UserEdited();
        (bodyPage ? dlg->BbAssign2Click(nullptr) : dlg->BbAssignClick(nullptr));
    }
    std::string StoredScheme(const std::string& name) {
        return plat::VarToStr(server->Db().Scalar(
            "SELECT VCONDITION FROM DOCUS WHERE NCONDITION = ? AND CREATOR = 'DS'",
            {Variant(name)}));
    }
    std::vector<std::string> ListCaptions() {
        std::vector<std::string> names;
        for (int i = 0; i < dlg->lstCondition->Items()->Count(); ++i)
            names.push_back(dlg->lstCondition->Items()->Item(i)->Caption());
        return names;
    }

    std::shared_ptr<standin::AppSession> appSession;
    std::shared_ptr<standin::HostServices> services = standin::MakeHostServices();
    QbeOwner* owner = plat::CreateForm<QbeOwner>(nullptr);
    TBrokers* broker = new TBrokers(owner);
    QbeModule* dm = new QbeModule(owner);
    plat::TClientDataSet* head = nullptr;
    plat::TDataSet* body = nullptr;
    TQBEForm* dlg = nullptr;
    std::shared_ptr<plat::ScriptedDialogRunner> runner =
        std::make_shared<plat::ScriptedDialogRunner>();
    plat::DialogRunnerScope runnerScope{runner};
    std::shared_ptr<plat::ScriptedMessageDialogs> messages =
        std::make_shared<plat::ScriptedMessageDialogs>();
    plat::MessageDialogsScope messageScope{messages};
};

TEST_F(Qbe, GridConditionsOnHeaderFieldsSelectTheRightReceipts) {
    // The key fields fill the first rows.
    EXPECT_EQ(dlg->sg1->Cells(0, 1), "单别");
    EXPECT_EQ(dlg->sg1->Cells(0, 2), "单号");
    EXPECT_EQ(dlg->sg1->Cells(1, 1), "等于");

    std::string where, order;
    ASSERT_TRUE(RunOk(
        [&] {
            SetRow(1, "单别", "等于", "5901");
            SetRow(2, "审核码", "等于", "未审核", "OR");
        },
        where, order));
    EXPECT_EQ(where, " (MOCTH.TH001 = '5901' ) AND (MOCTH.TH023 = 'N') ");
    EXPECT_EQ(order, "TH001,TH002");
    EXPECT_EQ(Receipts(where), Expected("TH001 = '5901' AND TH023 = 'N'"));
    EXPECT_FALSE(Receipts(where).empty());

    // A number field, an IN list, and an empty grid.
    ASSERT_TRUE(RunOk(
        [&] {
            SetRow(1, "件数", "大于", "0.0");
            SetRow(2, "供应商", "存在于", "S001, S003");
        },
        where, order));
    EXPECT_EQ(where, " (MOCTH.TH009 > 0 ) AND (MOCTH.TH005 IN ('S001','S003') ) ");
    EXPECT_EQ(Receipts(where), Expected("TH009 > 0 AND TH005 IN ('S001','S003')"));

    ASSERT_TRUE(RunOk(
        [&] {
            dlg->sg1->SetRowCount(2);
            for (int c = 0; c < 4; ++c) dlg->sg1->SetCells(c, 1, "");
        },
        where, order));
    EXPECT_EQ(where, "");
    EXPECT_EQ(order, "TH001,TH002");
}

TEST_F(Qbe, TypedSqlCannotChangeTheQuery) {
    std::string where, order;
    ASSERT_TRUE(RunOk([&] { SetRow(1, "供应商", "等于", "x' OR '1'='1"); }, where, order));
    EXPECT_EQ(Receipts(where), std::vector<std::string>{});
    ASSERT_TRUE(RunOk([&] { SetRow(1, "单号", "包含", "') OR 1=1 --"); }, where, order));
    EXPECT_EQ(Receipts(where), std::vector<std::string>{});

    // A number that is none keeps the dialog open with a clear message.
    runner->Expect([&](plat::TCustomForm&) {
        SetRow(1, "件数", "等于", "1 OR 1=1");
        dlg->sg1->SetRowCount(2);
        dlg->BBOK->Click();
        EXPECT_EQ(dlg->ModalResult(), plat::mrNone);
        return plat::mrCancel;
    });
    where = "untouched";
    EXPECT_FALSE(dlg->Execute(where, order));
    EXPECT_EQ(where, "untouched");
    ASSERT_EQ(messages->Requests().size(), 1u);
    EXPECT_NE(messages->Requests()[0].Text.find("件数"), std::string::npos);

    // The grid refuses such a number as it is typed: the cell is emptied.
    SetRow(1, "件数", "等于", "abc");
    bool accept = true;
    dlg->sg1ValidateEdit(dlg->sg1, 2, 1, accept);
    EXPECT_EQ(dlg->sg1->Cells(2, 1), "");

    // A field is written only as the dialog's own list names it.
    SetRow(1, "MOCTH.TH001 = MOCTH.TH001 OR 1", "等于", "1");
    EXPECT_EQ(dlg->BuildGridWhere(), "");
    // An advanced term on a number field checks its value too.
    AddTerm(false, "TH009", 0, "1 OR 1=1");
    EXPECT_EQ(dlg->Memo1->Text(), "");
}

TEST_F(Qbe, AdvancedConditionsSortOrderAndBodyConditions) {
    dlg->SetBodySource(body, "MOCTI", "TI001,TI002", "", "");
    EXPECT_TRUE(dlg->chkBody->Visible());
    std::string where, order;
    ASSERT_TRUE(RunOk(
        [&] {
            dlg->ExtPageControl1->SetActivePageIndex(1);
            AddTerm(false, "TH005", 0, "S001");
            AddTerm(false, "TH005", 0, "S003", 1);
            dlg->ListBox1->SetItemIndex(FieldIndex(dlg->cboField, "TH002"));
            dlg->ListBox1->SetSelected(FieldIndex(dlg->cboField, "TH002"), true);
            dlg->ListBox1DblClick(nullptr);
            dlg->ListBox1DblClick(nullptr);  // not twice
            dlg->ListBox2->SetChecked(0, true);
        },
        where, order));
    EXPECT_EQ(dlg->Memo1->Lines()->Count(), 2);
    EXPECT_EQ((*dlg->Memo1->Lines())[1], "  OR (MOCTH.TH005 = 'S003')");
    EXPECT_EQ(order, "MOCTH.TH002 desc");
    EXPECT_EQ(Receipts(where), Expected("TH005 = 'S001' OR TH005 = 'S003'"));

    // With the body page: only receipts having a line of the item.
    ASSERT_TRUE(RunOk(
        [&] {
            dlg->chkBody->SetChecked(true);
            dlg->chkBodyClick(nullptr);
            EXPECT_EQ(dlg->ExtPageControl1->ActivePageIndex(), 2);
            AddTerm(true, "TI004", 0, "A1001-01");
        },
        where, order));
    EXPECT_EQ(where,
              "((MOCTH.TH005 = 'S001')\r\n  OR (MOCTH.TH005 = 'S003')) and  ( select count(*) FROM "
              "DEMO..MOCTI MOCTI where  (MOCTH.TH001=MOCTI.TI001) and  "
              "(MOCTH.TH002=MOCTI.TI002) and  ( (MOCTI.TI004 = 'A1001-01') ) ) > 0 ");
    EXPECT_EQ(Receipts(where),
              Expected("(TH005 = 'S001' OR TH005 = 'S003') AND EXISTS (SELECT 1 FROM MOCTI "
                       "WHERE TI001 = TH001 AND TI002 = TH002 AND TI004 = 'A1001-01')"));
    EXPECT_EQ(Receipts(where).size(), 2u);
}

TEST_F(Qbe, DateFieldsTakeTheUsersLayoutAndRefuseBadDates) {
    plat::TField* date = head->FieldByName("TH003");
    date->SetDisplayLabel("单据日期");
    date->OnSetText =
        plat::TFieldSetTextEvent(static_cast<TdmRadical*>(dm), &TdmRadical::DateFieldSetText);
    date->OnGetText =
        plat::TFieldGetTextEvent(static_cast<TdmRadical*>(dm), &TdmRadical::DateFieldGetText);
    dlg->Prepare(head, "MOCTH", "TH001,TH002", "", 0);
    SetRow(1, "单据日期", "大于或等于", "2024/01/18");
    EXPECT_EQ(dlg->sg1->GetEditMaskCell(2, 1), dm->DateFieldEditMask());
    bool accept = true;
    dlg->sg1ValidateEdit(dlg->sg1, 2, 1, accept);
    EXPECT_TRUE(accept);
    std::string where, order;
    dlg->GetCondition(where, order);
    EXPECT_EQ(where, " (MOCTH.TH003 >= '20240118' ) ");
    EXPECT_EQ(Receipts(where), Expected("TH003 >= '20240118'"));

    dlg->sg1->SetCells(2, 1, "2024/02/30");
    dlg->sg1ValidateEdit(dlg->sg1, 2, 1, accept);
    EXPECT_FALSE(accept);
    ASSERT_EQ(messages->Requests().size(), 1u);
    EXPECT_EQ(messages->Requests()[0].Text.rfind("日期格式不正确!", 0), 0u);
    EXPECT_THROW(dlg->GetCondition(where, order), EQBEConditionError);
}

TEST_F(Qbe, GridKeysAppendAndRemoveRows) {
    uint16_t key = plat::VK_DOWN;
    dlg->sg1->FocusCell(2, 2, true);
    dlg->sg1KeyDown(dlg->sg1, key, {});
    ASSERT_EQ(dlg->sg1->RowCount(), 4);
    EXPECT_EQ(dlg->sg1->Cells(1, 3), "等于");
    EXPECT_EQ(dlg->sg1->Cells(3, 3), "AND");
    // A row without a field goes again; nothing is appended while it is there.
    key = plat::VK_DOWN;
    dlg->sg1KeyDown(dlg->sg1, key, {});
    EXPECT_EQ(dlg->sg1->RowCount(), 3);
    key = plat::VK_DELETE;
    dlg->sg1->FocusCell(0, 1, true);
    dlg->sg1KeyDown(dlg->sg1, key, plat::TShiftState{plat::ssCtrl});
    EXPECT_EQ(dlg->sg1->RowCount(), 2);
    EXPECT_EQ(dlg->sg1->Cells(0, 1), "单号");
    key = plat::VK_DELETE;
    dlg->sg1KeyDown(dlg->sg1, key, plat::TShiftState{plat::ssCtrl});
    EXPECT_EQ(dlg->sg1->RowCount(), 2);
    EXPECT_EQ(dlg->sg1->Cells(0, 1), "");
}

TEST_F(Qbe, SortItemsMoveWithinTheSortListOnly) {
    dlg->Show();
    dlg->ExtPageControl1->SetActivePageIndex(1);
    for (const char* item : {"A\tA", "B\tB", "C\tC"}) dlg->ListBox2->Items()->Add(item);
    dlg->ListBox2->SetChecked(0, true);
    plat::TRect last = dlg->ListBox2->ItemRect(2);
    dlg->ListBox2->SetItemIndex(0);
    // Dragged from the source list: refused.
    EXPECT_FALSE(uitest::DragAndDrop(dlg->ListBox1, dlg->ListBox2, last.Left + 2, last.Top + 2));
    EXPECT_EQ((*dlg->ListBox2->Items())[0], "A\tA");
    EXPECT_TRUE(uitest::DragAndDrop(dlg->ListBox2, dlg->ListBox2, last.Left + 2, last.Top + 2));
    EXPECT_EQ((*dlg->ListBox2->Items())[2], "A\tA");
    EXPECT_TRUE(dlg->ListBox2->GetChecked(2));
    EXPECT_FALSE(dlg->ListBox2->GetChecked(0));
    // Below the last item: to the end.
    dlg->ListBox2->SetItemIndex(0);
    EXPECT_TRUE(uitest::DragAndDrop(dlg->ListBox2, dlg->ListBox2, last.Left + 2, last.Bottom + 40));
    EXPECT_EQ((*dlg->ListBox2->Items())[2], "B\tB");
    dlg->Hide();
}

TEST(FieldComboItems, TabsExpandToTheNextStop) {
    struct Case {
        const char* text;
        int stop;
        const char* expected;
    } cases[] = {
        {"ab\tc", 4, "ab  c"},  {"abcd\tc", 4, "abcd    c"},
        {"中\tX", 4, "中  X"},  {"中文字\tX", 4, "中文字  X"},
        {"a\t\tb", 2, "a   b"}, {"a\tb", 8, "a       b"},
        {"none", 4, "none"},    {"\t", 0, " "},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ExpandTabStops(c.text, c.stop), c.expected) << c.text << c.stop;
}

// The field combos draw their own items: tabs expanded, 3 pixels in, on an
// item as high as the interface's text needs.
TEST_F(Qbe, FieldCombosDrawTheirItemsThemselves) {
    const std::string ui = dlg->GetUICodePage();
    const bool chinese = ui == "936" || ui == "950";
    for (plat::TComboBox* combo : {dlg->cboField, dlg->cboField2}) {
        ASSERT_TRUE(static_cast<bool>(combo->OnDrawItem));
        plat::TCanvas measure;
        measure.Font.Assign(*combo->Font());
        EXPECT_EQ(combo->ItemHeight,
                  chinese ? measure.TextHeight("测试") + 2 : measure.TextHeight("Test") + 5);
    }
    dlg->cboField->Items()->Clear();
    dlg->cboField->Items()->Add("单号\tMOCTH.TH002");
    plat::TBitmap bmp(200, dlg->cboField->ItemHeight);
    plat::TCanvas* c = bmp.Canvas();
    c->Brush.Color = plat::clWhite;
    c->FillRect({0, 0, 200, bmp.Height()});
    dlg->cboField->DrawItemTo(*c, 0, {0, 0, 200, bmp.Height()}, {});
    auto inked = [&](int fromX, int toX) {
        for (int x = fromX; x < toX; ++x)
            for (int y = 0; y < bmp.Height(); ++y)
                if (bmp.GetPixel(x, y) != plat::clWhite) return true;
        return false;
    };
    EXPECT_FALSE(inked(0, 3));
    EXPECT_TRUE(inked(3, 200));  // drawn on the item's canvas, not elsewhere
}

// An item wider than the sort list shows its whole text in a hint window of
// its own colour over the item; the page and closing take it away.
TEST_F(Qbe, WideSortItemsShowAHintWindowOverTheItem) {
    dlg->Show();
    dlg->ExtPageControl1->SetActivePageIndex(1);
    dlg->ListBox1->Items()->Clear();
    dlg->ListBox1->Items()->Add("短\tA");
    dlg->ListBox1->Items()->Add("一个很长很长很长很长很长很长的字段名称\tMOCTH.TH002");
    plat::Application->ProcessMessages();
    plat::TRect narrow = dlg->ListBox1->ItemRect(0), wide = dlg->ListBox1->ItemRect(1);
    dlg->ListBox1MouseMove(dlg->ListBox1, {}, narrow.Left + 2, narrow.Top + 2);
    EXPECT_EQ(dlg->SortHint(), nullptr);
    dlg->ListBox1MouseMove(dlg->ListBox1, {}, wide.Left + 2, wide.Top + 2);
    plat::THintWindow* hint = dlg->SortHint();
    ASSERT_NE(hint, nullptr);
    EXPECT_EQ(dlg->SortHintIndex(), 1);
    EXPECT_EQ(hint->Color(), plat::TColor(0xDDFFFF));
    EXPECT_EQ(hint->Caption(), "一个很长很长很长很长很长很长的字段名称 MOCTH.TH002");
    EXPECT_EQ(hint->Font()->Name(), dlg->ListBox1->Font()->Name());
    EXPECT_EQ(hint->Height(), wide.Height());
    EXPECT_LE(hint->Left() + hint->Width(), plat::Screen->Width());
    // The same item keeps its window; the page takes it away.
    dlg->ListBox1MouseMove(dlg->ListBox1, {}, wide.Left + 4, wide.Top + 3);
    EXPECT_EQ(dlg->SortHint(), hint);
    dlg->TabSheet2MouseMove(dlg->TabSheet2, {}, 1, 1);
    EXPECT_EQ(dlg->SortHint(), nullptr);
    dlg->ListBox1MouseMove(dlg->ListBox1, {}, wide.Left + 2, wide.Top + 2);
    ASSERT_NE(dlg->SortHint(), nullptr);
    dlg->Hide();
    EXPECT_EQ(dlg->SortHint(), nullptr);
}

TEST_F(Qbe, PreparingAgainRebuildsTheListsWithoutDoublingThem) {
    dlg->SetBodySource(body, "MOCTI", "TI001,TI002", "", "");
    int fields = dlg->cboField->Items()->Count();
    int bodyFields = dlg->cboField2->Items()->Count();
    int infos = dlg->RecordInfos()->Count();
    ASSERT_GT(fields, 0);
    dlg->Prepare(head, "MOCTH", "TH001,TH002", "", 0);
    dlg->SetBodySource(body, "MOCTI", "TI001,TI002", "", "");
    EXPECT_EQ(dlg->cboField->Items()->Count(), fields);
    EXPECT_EQ(dlg->ListBox1->Items()->Count(), fields);
    EXPECT_EQ(dlg->cboField2->Items()->Count(), bodyFields);
    EXPECT_EQ(dlg->RecordInfos()->Count(), infos);
    EXPECT_EQ(dlg->lstCondition->Items()->Count(), 1);
    EXPECT_EQ(dlg->sg1->RowCount(), 3);

    dlg->SetTopRowCount(300);
    EXPECT_EQ((*dlg->cbTopRow->Items())[0], "300");
    EXPECT_EQ(dlg->GetTopRowCount(), 300);
    dlg->cbTopRow->SetText("");
    EXPECT_EQ(dlg->GetTopRowCount(), 500);
}

TEST_F(Qbe, SchemesAreSavedRenamedReopenedAndDeleted) {
    EXPECT_EQ(ListCaptions(), std::vector<std::string>{"未审核单据"});
    // The demo scheme, picked from the form's menu, gives its condition.
    std::string where, order;
    ASSERT_TRUE(dlg->LoadScheme(0, StoredScheme("未审核单据")));
    dlg->GetCondition(where, order);
    EXPECT_EQ(where, " (MOCTH.TH023 = 'N' ) ");

    SetRow(1, "单别", "等于", "5901");
    SetRow(2, "供应商", "起始于", "S00", "OR");
    runner->Expect("TfrmDocuCondition", [](plat::TCustomForm& f) {
        auto& name = static_cast<TfrmDocuCondition&>(f);
        name.edConName->SetText("我的方案");
        name.btnOk->Click();
        return name.ModalResult();
    });
    dlg->btnInsertClick(nullptr);
    EXPECT_EQ(StoredScheme("我的方案"),
              "500\a单别\r\n等于\r\n5901\r\nAND\b供应商\r\n起始于\r\nS00\r\nOR\b");
    EXPECT_EQ(ListCaptions(), (std::vector<std::string>{"我的方案", "未审核单据"}));
    EXPECT_EQ(owner->menuRebuilds, 1);

    // Saving under the same name asks to replace it.
    SetRow(2, "供应商", "等于", "S003", "OR");
    runner->Expect("TfrmDocuCondition", [this](plat::TCustomForm& f) {
        auto& name = static_cast<TfrmDocuCondition&>(f);
        name.edConName->SetText("我的方案");
        messages->Answer(plat::mrOk);
        name.btnOk->Click();
        EXPECT_TRUE(name.Replace);
        return name.ModalResult();
    });
    dlg->btnInsertClick(nullptr);
    EXPECT_NE(StoredScheme("我的方案").find("S003"), std::string::npos);

    // Renamed in place.
    plat::TListItem* item = dlg->lstCondition->FindCaption(0, "我的方案", false, true, false);
    ASSERT_NE(item, nullptr);
    std::string text = "五金外协";
    dlg->lstConditionEdited(dlg->lstCondition, item, text);
    EXPECT_EQ(text, "五金外协");
    EXPECT_EQ(StoredScheme("我的方案"), "");
    EXPECT_NE(StoredScheme("五金外协"), "");
    EXPECT_EQ(owner->renames, std::vector<std::string>{"我的方案>五金外协"});
    for (std::string refused :
         {std::string("  "), std::string("未审核单据"), std::string("一二三四五六七八九十一")}) {
        messages->Clear();
        dlg->lstConditionEdited(dlg->lstCondition, item, refused);
        EXPECT_EQ(refused, "我的方案");
        EXPECT_EQ(messages->Requests().size(), 1u);
    }

    // Reopened: the grid comes back and gives the same condition.
    item->SetCaption("五金外协");
    dlg->sg1->SetRowCount(2);
    for (int c = 0; c < 4; ++c) dlg->sg1->SetCells(c, 1, "");
    dlg->lstCondition->SetSelected(item);
    dlg->btnOpenClick(nullptr);
    EXPECT_EQ(dlg->sg1->Cells(0, 2), "供应商");
    EXPECT_EQ(dlg->sg1->Cells(2, 2), "S003");
    dlg->GetCondition(where, order);
    EXPECT_EQ(where, " (MOCTH.TH001 = '5901' ) AND (MOCTH.TH005 = 'S003') ");
    EXPECT_EQ(Receipts(where), Expected("TH001 = '5901' AND TH005 = 'S003'"));

    // Deleted after the confirmation.
    messages->Clear();
    messages->Answer(plat::mrYes);
    dlg->btnDeleteClick(nullptr);
    EXPECT_EQ(StoredScheme("五金外协"), "");
    EXPECT_EQ(ListCaptions(), std::vector<std::string>{"未审核单据"});
    EXPECT_EQ(owner->menuRebuilds, 3);
}

TEST_F(Qbe, AdvancedSchemesKeepMemosSortAndBodyFlag) {
    dlg->SetBodySource(body, "MOCTI", "TI001,TI002", "", "");
    dlg->ExtPageControl1->SetActivePageIndex(1);
    AddTerm(false, "TH023", 0, "Y");
    int item = FieldIndex(dlg->cboField, "TH003");
    dlg->ListBox2->Items()->Add((*dlg->ListBox1->Items())[item]);
    dlg->ListBox2->SetChecked(0, true);
    dlg->chkBody->SetChecked(true);
    dlg->chkBodyClick(nullptr);
    AddTerm(true, "TI004", 2, "B");
    std::string text = dlg->SchemeText();
    ASSERT_TRUE(dlg->SaveScheme("高级", false));

    dlg->BBClearClick(nullptr);
    dlg->BBClear2Click(nullptr);
    dlg->ListBox2->Items()->Clear();
    dlg->chkBody->SetChecked(false);
    ASSERT_TRUE(dlg->LoadScheme(2, StoredScheme("高级")));
    EXPECT_EQ(dlg->SchemeText(), text);
    EXPECT_TRUE(dlg->ListBox2->GetChecked(0));
    EXPECT_TRUE(dlg->TabSheet3->TabVisible());
}

TEST_F(Qbe, ABadSchemeIsSkippedWithAMessageAndNeverHalfApplied) {
    SetRow(1, "单别", "等于", "5902");
    std::string before = dlg->SchemeText();
    for (const std::string& bad :
         {std::string("500\a单别\r\n等于\r\n5901\r\nAND\b无此字段\r\n等于\r\n1\r\nAND\b"),
          std::string("500\a单别\r\n= 1 OR 1=1 --\r\n5901\r\nAND\b"),
          std::string("500\a单别\r\n等于\r\n5901\r\nAND\b件数\r\n等于\r\n1 OR 1=1\r\nAND\b"),
          std::string("garbage")}) {
        EXPECT_FALSE(dlg->LoadScheme(0, bad));
        EXPECT_FALSE(dlg->LastSchemeError().empty());
        EXPECT_EQ(dlg->SchemeText(), before);
    }
    EXPECT_FALSE(dlg->LoadScheme(1,
                                 "500\a(1=1)\x03"
                                 "X\tMOCTH.TH001; DROP TABLE MOCTH\b1\t\x03"
                                 "0\x03"));
    EXPECT_EQ(dlg->ListBox2->Items()->Count(), 0);

    // Opened from the list: the message says which scheme text is bad.
    server->Db().Exec(
        "UPDATE DOCUS SET VCONDITION = '500' || char(7) || 'X' WHERE NCONDITION = "
        "'未审核单据'");
    ASSERT_TRUE(dlg->LoadSchemeList());
    dlg->lstCondition->SetSelected(dlg->lstCondition->Items()->Item(0));
    dlg->btnOpenClick(nullptr);
    ASSERT_EQ(messages->Requests().size(), 1u);
    EXPECT_NE(messages->Requests()[0].Text.find("X"), std::string::npos);
    EXPECT_EQ(dlg->SchemeText(), before);
}

TEST_F(Qbe, TheNameDialogRefusesBlanksAndAsksBeforeReplacing) {
    Variant result;
    runner->Expect("TfrmDocuCondition", [this](plat::TCustomForm& f) {
        auto& name = static_cast<TfrmDocuCondition&>(f);
        name.edConName->SetText("   ");
        name.btnOk->Click();
        EXPECT_EQ(name.ModalResult(), plat::mrNone);
        name.edConName->SetText("未审核单据");
        messages->Answer(plat::mrCancel);
        name.btnOk->Click();
        EXPECT_EQ(name.ModalResult(), plat::mrNone);
        EXPECT_FALSE(name.Replace);
        name.edConName->SetText(" 新方案 ");
        name.btnOk->Click();
        return name.ModalResult();
    });
    ShowDocuCondition(dlg, result);
    ASSERT_EQ(messages->Requests().size(), 2u);
    EXPECT_EQ(messages->Requests()[0].Text.rfind("方案名不可空白!", 0), 0u);
    EXPECT_EQ(plat::VarToStr(result[0]), " 新方案 ");
    EXPECT_FALSE(result[1].AsBoolean());

    runner->Expect("TfrmDocuCondition", [](plat::TCustomForm&) { return plat::mrCancel; });
    ShowDocuCondition(dlg, result);
    EXPECT_EQ(result.HighBound() - result.LowBound(), 0);
    EXPECT_EQ(plat::VarToStr(result[0]), "");
}

// The dialogs as a user sees them under a simplified Chinese and an English
// interface ($KTRB_SHOTS keeps a copy).
class QbePictures : public LanguageFixture {};

TEST_F(QbePictures, ChineseAndEnglishInterfaces) {
    const char* env = std::getenv("KTRB_SOURCE_DIR");
    std::filesystem::path root =
        env && *env ? std::filesystem::path(env)
                    : std::filesystem::path(__FILE__).parent_path().parent_path().parent_path();
    for (const char* package : {"TQBEForm", "TfrmDocuCondition"})
        for (const char* language : {"CHS", "CHT", "ENG"})
            Installation::write(PackageFile(language, package),
                                Installation::read((root / "standins/data/client/MultiLanguage" /
                                                    language / (std::string(package) + ".Lng"))
                                                       .string()));
    UseDemoTable();
    for (const char* ui : {"936", "950", "437"}) {
        SetCodePages(ui, "936");
        auto* owner = plat::CreateForm<QbeOwner>(nullptr);
        auto* head = new plat::TClientDataSet(owner);
        head->FieldDefs().Add("TH001", plat::TFieldType::ftString, 4);
        head->FieldDefs().Add("TH002", plat::TFieldType::ftString, 11);
        head->FieldDefs().Add("TH009", plat::TFieldType::ftFloat);
        head->CreateDataSet();
        auto* dlg = plat::CreateForm<TQBEForm>(owner);
        // Labels as the data module shows them, in the interface's characters.
        auto shown = [&](const char* text) {
            return plat::VarToStr(dlg->QvConverter->ConvertToUI(Variant(text)));
        };
        head->FieldByName("TH001")->SetDisplayLabel(shown("单别"));
        head->FieldByName("TH002")->SetDisplayLabel(shown("单号"));
        head->FieldByName("TH009")->SetDisplayLabel(shown("件数"));
        dlg->Prepare(head, "MOCTH", "TH001,TH002", "", 0);
        dlg->SetBodySource(head, "MOCTI", "TI001,TI002", "", "");
        // A scheme the user named in the interface's characters.
        dlg->lstCondition->Items()->Add()->SetCaption(shown("未审核单据"));
        dlg->FitSchemeColumns();
        const std::string code = ui;
        std::string lang = code == "936" ? "CHS" : code == "950" ? "CHT" : "ENG";
        auto shot = [&](plat::TWinControl* form, const std::string& name) {
            plat::SaveScreenshot(form, inst.root() + name + "_" + lang + ".png");
            if (const char* dir = std::getenv("KTRB_SHOTS"))
                plat::SaveScreenshot(form, std::string(dir) + "/" + name + "_" + lang + ".png");
        };
        auto runner = std::make_shared<plat::ScriptedDialogRunner>();
        plat::DialogRunnerScope scope{runner};
        runner->Expect([&](plat::TCustomForm&) {
            dlg->sg1->SetCells(2, 1, "5901");
            shot(dlg, "query_dialog_grid");
            dlg->ExtPageControl1->SetActivePageIndex(1);
            dlg->Memo1->Lines()->Add("(MOCTH.TH009 > 5)");
            shot(dlg, "query_dialog_advanced");
            return plat::mrCancel;
        });
        std::string where, order;
        EXPECT_FALSE(dlg->Execute(where, order));
        runner->Expect([&](plat::TCustomForm& f) {
            static_cast<TfrmDocuCondition&>(f).edConName->SetText("我的方案");
            shot(static_cast<plat::TWinControl*>(&f), "scheme_name_dialog");
            return plat::mrCancel;
        });
        Variant result;
        ShowDocuCondition(dlg, result);
        owner->Free();
    }
}

}  // namespace
}  // namespace ktrb::test
