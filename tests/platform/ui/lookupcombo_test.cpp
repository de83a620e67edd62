#include "platform/ui/lookupcombo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include "platform/data/datasource.h"
#include "platform/ui/screenshot.h"
#include "ui_test_util.h"

using namespace plat;

namespace {
// A receipt with a warehouse code, and a lookup table of warehouses.
struct LookupForm {
    TForm* form = CreateForm<TForm>(nullptr);
    TClientDataSet* doc = new TClientDataSet(form);
    TDataSource* src = new TDataSource(form);
    TGridClientDataSet* table = new TGridClientDataSet(form);
    TLookupComboBase* combo = new TLookupComboBase(form);
    int searches = 0;

    LookupForm() {
        form->SetBounds(100, 100, 400, 300);
        doc->FieldDefs().Add("WH", TFieldType::ftString, 10);
        doc->CreateDataSet();
        doc->Append();
        doc->Post();
        src->SetDataSet(doc);
        table->FieldDefs().Add("MC001", TFieldType::ftString, 10);
        table->FieldDefs().Add("MC002", TFieldType::ftString, 20);
        table->CreateDataSet();
        const char* rows[][2] = {{"W01", "原料仓"},
                                 {"W02", "成品仓"},
                                 {"W10", "委外仓"},
                                 {"W11", "半成品仓"},
                                 {"X01", "退货仓"}};
        for (auto& r : rows) {
            table->Append();
            table->FieldByName("MC001")->SetAsString(r[0]);
            table->FieldByName("MC002")->SetAsString(r[1]);
            table->Post();
        }
        table->First();
        combo->SetParent(form);
        combo->SetBounds(10, 10, 160, 22);
        combo->SetDataSource(src);
        combo->SetDataField("WH");
        combo->SetLookupTable(table);
        combo->SetLookupField("MC001");
        combo->SetSelected({"MC001\t6\t仓库\tF", "MC002\t10\t名称\tF"});
        combo->SetSearchDelay(30);
        uitest::ShowActive(form);
        combo->SetFocus();
    }
    ~LookupForm() { form->Free(); }
};

void Wait(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 5);
}
}  // namespace

TEST(LookupCombo, TheDropDownNeverTakesTheFocusFromTheEdit) {
    LookupForm f;
    QWidget* before = QApplication::focusWidget();
    ASSERT_TRUE(f.combo->Focused());
    uitest::TypeText(f.combo, "W");
    ASSERT_TRUE(f.combo->DroppedDown());
    Wait(20);
    EXPECT_TRUE(f.combo->Focused());
    EXPECT_EQ(QApplication::focusWidget(), before);
    EXPECT_FALSE(f.combo->Grid()->Widget()->isActiveWindow());
    EXPECT_TRUE(f.combo->Grid()->Widget()->testAttribute(Qt::WA_ShowWithoutActivating));
    SaveScreenshot(f.combo->Grid(), ::testing::TempDir() + "popupgrid_chs.png");
    // A click in the grid chooses the row and the focus still stays.
    TRect r = f.combo->Grid()->CellRect(1, 2);
    uitest::MouseClick(f.combo->Grid(), r.Left + 3, r.Top + 3);
    EXPECT_FALSE(f.combo->DroppedDown());
    EXPECT_EQ(f.doc->FieldByName("WH")->AsString(), "W02");
    EXPECT_TRUE(f.combo->Focused());
}

TEST(LookupCombo, TheSearchTimerFiresOncePerPause) {
    LookupForm f;
    uitest::TypeText(f.combo, "W");
    uitest::TypeText(f.combo, "1");
    uitest::TypeText(f.combo, "1");
    EXPECT_TRUE(f.combo->SearchTimer()->Enabled());
    EXPECT_EQ(f.combo->LastSearchText(), "");
    Wait(150);
    EXPECT_EQ(f.combo->LastSearchText(), "W11");
    EXPECT_FALSE(f.combo->SearchTimer()->Enabled());
    EXPECT_EQ(f.table->FieldByName("MC002")->AsString(), "半成品仓");
    // A second pause searches again with the new text; nothing found is remembered.
    uitest::TypeText(f.combo, "9");
    Wait(150);
    EXPECT_EQ(f.combo->LastSearchText(), "W119");
    EXPECT_EQ(f.combo->UnmatchedText(), "W119");
    SaveScreenshot(f.form, ::testing::TempDir() + "lookupcombo_chs.png");
}

TEST(LookupCombo, EnterTakesTheCurrentRowAndEscLeavesTheField) {
    LookupForm f;
    uitest::TypeText(f.combo, "W");
    f.combo->SimulateKey(VK_DOWN);
    f.combo->SimulateKey(VK_DOWN);
    EXPECT_EQ(f.table->FieldByName("MC001")->AsString(), "W10");
    f.combo->SimulateKey(VK_RETURN);
    EXPECT_FALSE(f.combo->DroppedDown());
    EXPECT_EQ(f.doc->FieldByName("WH")->AsString(), "W10");
    EXPECT_EQ(f.combo->Text(), "W10");
    uitest::TypeText(f.combo, "X");
    f.combo->SimulateKey(VK_ESCAPE);
    EXPECT_FALSE(f.combo->DroppedDown());
    EXPECT_EQ(f.doc->FieldByName("WH")->AsString(), "W10");
}

TEST(GridClientDataSet, ControlSettingsByField) {
    TGridClientDataSet ds;
    ds.ControlType = {"TH026;CheckBox;Y;N", "TH012;CustomEdit;cboTH012G"};
    std::string kind, param;
    ASSERT_TRUE(ds.GetControl("th026", kind, param));
    EXPECT_EQ(kind, "CheckBox");
    EXPECT_EQ(param, "Y;N");
    ASSERT_TRUE(ds.GetControl("TH012", kind, param));
    EXPECT_EQ(param, "cboTH012G");
    EXPECT_FALSE(ds.GetControl("TH001", kind, param));
    EXPECT_EQ(kind, "");
}
