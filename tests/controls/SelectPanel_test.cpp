// The range-selection panel: ordering of the range on leaving, date texts,
// styles and their sizes, duplicates in the list, the F2 buttons.
#include "controls/SelectPanel.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "controls/controls_fixture.h"
#include "platform/core/dates.h"
#include "platform/ui/screenshot.h"
#include "platform/ui/stdctrls.h"

using namespace plat;
using namespace ktrb;

namespace {

struct PanelForm : ctltest::Fixture {
    TSelectPanel* panel = new TSelectPanel(form);
    TEdit* other = new TEdit(form);
    PanelForm() {
        panel->SetParent(inner);
        panel->SetLeft(8);
        panel->SetTop(8);
        other->SetParent(inner);
        other->SetBounds(8, 200, 100, 22);
    }
    // Types a range, then moves the focus out of the panel.
    std::pair<std::string, std::string> Leave(const std::string& a, const std::string& b) {
        panel->BeginEdit->SetFocus();
        panel->BeginEdit->SetText(a);
        panel->EndEdit->SetText(b);
        other->SetFocus();
        return {panel->BeginEdit->Text(), panel->EndEdit->Text()};
    }
};

}  // namespace

TEST(SelectPanel, LeavingOrdersTheRangeByItsValueType) {
    struct Case {
        TValueType type;
        const char *a, *b, *wantA, *wantB;
    };
    for (Case k : {Case{TValueType::vt_Number, "200", "100", "100", "200"},
                   Case{TValueType::vt_String, "200", "100", "100", "200"},
                   Case{TValueType::vt_String, "9", "10", "10", "9"},
                   Case{TValueType::vt_Number, "9", "10", "9", "10"},
                   Case{TValueType::vt_Number, "x", "-5", "-5", "x"},  // unreadable counts 0
                   Case{TValueType::vt_Float, "2.50", "10", "2.5", "10.0"},
                   Case{TValueType::vt_OtherMask, "b", "a", "b", "a"},
                   Case{TValueType::vt_String, " b ", "", "b", ""}}) {
        SCOPED_TRACE(std::string(k.a) + "/" + k.b);
        PanelForm f;
        f.panel->ValueType = k.type;
        auto [a, b] = f.Leave(k.a, k.b);
        EXPECT_EQ(a, k.wantA);
        EXPECT_EQ(b, k.wantB);
    }
}

TEST(SelectPanel, PlaceholdersAndUnreadableDatesAreNotSwapped) {
    PanelForm f;
    f.panel->UseDiscard = true;
    f.panel->Discard = "ZZZ";
    EXPECT_EQ(f.Leave("ZZZ", "A"), (std::pair<std::string, std::string>{"ZZZ", "A"}));
    f.panel->ValueType = TValueType::vt_Date;
    f.panel->DateType = TDateType::dt_YYYYMMDD;
    EXPECT_EQ(f.Leave("2005/03/02", "2005/03/01").first, "2005/03/01");
    // An unreadable start never swaps; an unreadable end with a readable start does.
    EXPECT_EQ(f.Leave("2005/13/01", "2004/01/01").first, "2005/13/01");
    EXPECT_EQ(f.Leave("2004/01/01", "2005/13/01").first, "2005/13/01");
    f.panel->AutoChangeDateSite = false;
    EXPECT_EQ(f.Leave("2005/03/02", "2005/03/01").first, "2005/03/02");
}

TEST(SelectPanel, DateTextsByDateType) {
    PanelForm f;
    struct Case {
        TDateType type;
        const char* text;
        int y, m, d;  // 0: unreadable
    };
    for (Case k : {Case{TDateType::dt_YYYYMMDD, "2005/03", 2005, 3, 1},
                   Case{TDateType::dt_YYYMMDD, "094/03/01", 2005, 3, 1},
                   Case{TDateType::dt_YYMMDD, "94/3", 2005, 3, 1},
                   Case{TDateType::dt_MMDDYYYY, "03/2005", 2005, 3, 1},
                   Case{TDateType::dt_DDMMYYYY, "15/03/2005", 2005, 3, 15},
                   Case{TDateType::dt_DDMMYYYY, "03/2005", 2005, 3, 1},
                   Case{TDateType::dt_YYYYMMDD, "2005/02/30", 0, 0, 0},
                   Case{TDateType::dt_YYYYMMDD, "2005", 0, 0, 0},
                   Case{TDateType::dt_YYYYMMDD, "2005/a/01", 0, 0, 0},
                   Case{TDateType::dt_NoneCare, "2005/03/01", 0, 0, 0}}) {
        SCOPED_TRACE(k.text);
        f.panel->DateType = k.type;
        double want = k.y ? EncodeDate(k.y, k.m, k.d) : 0;
        EXPECT_EQ(f.panel->ParseDateText(k.text), want);
    }
}

TEST(SelectPanel, StylesSwapSizesAndARefusedChangeLeavesAll) {
    PanelForm f;
    TSelectPanel* p = f.panel;
    EXPECT_EQ(p->Width(), 353);
    EXPECT_EQ(p->Height(), 45);
    EXPECT_TRUE(p->RangePanel->Visible());
    std::vector<std::string> seen;
    p->OnStyleChange = TStyleChangeEvent(
        [&](TObject*, TSelectStyle from, TSelectStyle to) {
            // The stored style is still the old one here.
            EXPECT_EQ(p->Style(), from);
            seen.push_back(std::to_string((int)from) + ">" + std::to_string((int)to));
        },
        f.form);
    p->SetStyle(TSelectStyle::sp_Discrete);
    EXPECT_EQ(p->Width(), 200);
    EXPECT_EQ(p->Height(), 105);
    EXPECT_TRUE(p->ListPanel->Visible());
    EXPECT_FALSE(p->RangePanel->Visible());
    EXPECT_FALSE(p->IsRangeShown());
    // The list fills its panel beside the column of buttons.
    EXPECT_EQ(p->ListButton->Left(), p->ListView->Width() + 2);
    EXPECT_EQ(p->ClearButton->Top(), p->DeleteButton->Top() + p->DeleteButton->Height());

    p->OnStyleChanging = TStyleChangingEvent(
        [](TObject*, TSelectStyle, TSelectStyle&, bool& accept) { accept = false; }, f.form);
    p->SetStyle(TSelectStyle::sp_Range);
    EXPECT_EQ(p->Style(), TSelectStyle::sp_Discrete);
    EXPECT_EQ(p->Width(), 200);
    p->OnStyleChanging = TStyleChangingEvent();
    p->SetStyle(TSelectStyle::sp_Range);
    EXPECT_EQ(p->Width(), 353);
    EXPECT_EQ(p->Height(), 45);
    EXPECT_EQ(seen, (std::vector<std::string>{"0>1", "1>0"}));

    // The user's choice: the check box picks range or list.
    p->SetStyle(TSelectStyle::sp_UserChoice);
    EXPECT_TRUE(p->HintCheckBox->Visible());
    EXPECT_TRUE(p->IsRangeShown());
    int typeClicks = 0;
    p->OnTypeClick = TNotifyEvent([&](TObject*) { ++typeClicks; }, f.form);
    p->SetUserChoice(false);
    EXPECT_FALSE(p->RangePanel->Visible());
    EXPECT_TRUE(p->ListPanel->Visible());
    EXPECT_EQ(typeClicks, 1);
    // The two-row layout's words.
    EXPECT_EQ(p->BeginLabel->Caption(), "起");
}

TEST(SelectPanel, DuplicatesAreRemovedByTheChosenComparison) {
    for (auto [mode, rows] :
         {std::pair{TCheckDuplicate::cd_CaseInsensitive, 2}, {TCheckDuplicate::cd_CheckCase, 3}}) {
        PanelForm f;
        f.panel->SetStyle(TSelectStyle::sp_Discrete);
        for (const char* s : {"abd", "abc", "ABC"}) f.panel->Items()->Add()->SetCaption(s);
        f.panel->SetCheckDuplicate(mode);
        EXPECT_TRUE(f.panel->SortListBox());
        EXPECT_EQ(f.panel->Items()->Count(), rows);
        EXPECT_EQ(f.panel->Items()->Item(rows - 1)->Caption(), "abd");
    }
}

TEST(SelectPanel, ListButtonsAndColumnOrder) {
    PanelForm f;
    TSelectPanel* p = f.panel;
    p->SetStyle(TSelectStyle::sp_Discrete);
    p->SetColumnCaptions({"编号", "名称"});
    const char* rows[][2] = {{"B", "乙"}, {"a", "甲"}, {"C", "丙"}};
    for (auto& r : rows) {
        TListItem* item = p->Items()->Add();
        item->SetCaption(r[0]);
        item->SubItems()->Add(r[1]);
    }
    p->ListColumnClick(0);  // the same column: descending
    EXPECT_EQ(p->Items()->Item(0)->Caption(), "C");
    p->ListColumnClick(1);
    EXPECT_EQ(p->Items()->Item(0)->SubItems()->Strings(0), "丙");
    EXPECT_EQ(p->ColumnCaptions(), (std::vector<std::string>{"编号", "名称"}));

    p->Items()->Item(0)->SetSelected(true);
    bool accept = false;
    p->OnDeleteClick = TDeleteClickEvent([&](TObject*, bool& a) { a = accept; }, f.form);
    p->DeleteButton->Click();
    EXPECT_EQ(p->Items()->Count(), 3);
    accept = true;
    p->DeleteButton->Click();
    EXPECT_EQ(p->Items()->Count(), 2);

    TObject* openedFor = nullptr;
    p->OnOpenWinClick = TOpenWinClickEvent([&](TObject*, TObject* c) { openedFor = c; }, f.form);
    p->ListButton->Click();
    EXPECT_EQ(openedFor, p->ListView);
    ASSERT_EQ(f.form->F2.size(), 1u);
    EXPECT_EQ(f.form->F2[0], p->ListView);
    p->ClearButton->Click();
    EXPECT_EQ(p->Items()->Count(), 0);

    p->SetEnabled(false);
    EXPECT_FALSE(p->ListView->Enabled());
    EXPECT_FALSE(p->BeginEdit->Enabled());
    p->SetCanOpenWin(false);
    EXPECT_FALSE(p->BeginButton->Visible());
}

TEST(SelectPanel, Pictures) {
    struct Lang {
        const char *name, *hint, *begin, *end;
    };
    for (Lang l : {Lang{"CHS", "区间选择", "起", "止"}, Lang{"ENG", "Range", "From", "To"}}) {
        ctltest::Fixture fx;
        fx.form->Font()->SetName("宋体");
        fx.form->Font()->SetSize(9);
        fx.form->SetClientWidth(380);
        fx.form->SetClientHeight(300);
        fx.outer->SetBounds(0, 0, 380, 300);
        fx.inner->SetBounds(0, 0, 380, 300);
        const TSelectStyle styles[] = {TSelectStyle::sp_Range, TSelectStyle::sp_Discrete,
                                       TSelectStyle::sp_UserChoice};
        int top = 4;
        for (TSelectStyle s : styles) {
            auto* p = new TSelectPanel(fx.form);
            p->SetParent(fx.inner);
            p->SetCaption(l.name == std::string("CHS") ? "品号" : "Item");
            p->SetHintWord(l.hint);
            p->SetBeginWords({l.begin, l.begin});
            p->SetFinalWords({l.end, l.end});
            p->SetLeft(4);
            p->SetTop(top);
            if (s == TSelectStyle::sp_UserChoice) p->SetBounds(4, top, 353, 110);
            p->SetStyle(s);
            p->BeginEdit->SetText("A001");
            p->EndEdit->SetText("Z999");
            for (const char* v : {"A001", "B002"}) p->Items()->Add()->SetCaption(v);
            top += p->Height() + 4;
        }
        Application->ProcessMessages();
        std::string file = std::string("SelectPanel-") + l.name + ".png";
        SaveScreenshot(fx.form, ::testing::TempDir() + file);
        if (const char* dir = std::getenv("KTRB_SHOTS"))
            SaveScreenshot(fx.form, dir + ("/" + file));
    }
}
