#include <gtest/gtest.h>

#include "platform/component/classes.h"
#include "platform/component/properties.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/mask.h"
#include "ui_test_util.h"

using namespace plat;

TEST(Published, ControlsAreReachedByName) {
    auto* form = CreateForm<TForm>(nullptr);
    auto* edit = static_cast<TEdit*>(CreateComponent("TEdit", form, "edTH004"));
    SetObjectProp(edit, "Parent", form);
    EXPECT_EQ(edit->Parent(), form);
    SetStrProp(edit, "Text", "MOCTA");
    SetPropValue(edit, "Left", 120);
    SetPropValue(edit, "Color", "clBtnFace");
    SetPropValue(edit, "ReadOnly", true);
    SetPropValue(edit, "TabOrder", 0);
    EXPECT_EQ(edit->Text(), "MOCTA");
    EXPECT_EQ(edit->Left(), 120);
    EXPECT_EQ(edit->Color(), clBtnFace);
    EXPECT_TRUE(edit->ReadOnly());
    EXPECT_TRUE(IsPublishedProp(edit, "ImeName"));
    EXPECT_FALSE(IsPublishedProp(edit, "Caption"));
    EXPECT_EQ(GetEnumProp(edit, "CharCase"), "ecNormal");
    // Font paths as the form start-up uses them.
    SetPropValueByPath(edit, "Font.Charset", 134);
    SetPropValueByPath(edit, "Font.Name", "Tahoma");
    EXPECT_EQ(edit->Font()->Charset(), GB2312_CHARSET);
    EXPECT_EQ(edit->Font()->Name(), "Tahoma");
    EXPECT_EQ(GetPropValueByPath(edit, "Font.Size").AsInteger(), 8);
    form->Free();
}

TEST(Published, ListsCollectionsAndEvents) {
    auto* form = CreateForm<TForm>(nullptr);
    auto* combo = new TComboBox(form);
    SetStringsProp(combo, "Items", {"甲\tA", "乙\tB"});
    EXPECT_EQ(combo->Items()->Count(), 2);
    SetPropValue(combo, "Style", "csDropDownList");
    EXPECT_EQ(combo->Style(), TComboBoxStyle::csDropDownList);
    auto* bar = new TStatusBar(form);
    bar->Panels()->Add();
    bar->Panels()->Add();
    SetPropValueByPath(bar, "Panels.Items_1.Text", "单据笔数");
    EXPECT_EQ(bar->Panels()->Items(1)->Text(), "单据笔数");
    auto* pc = new TPageControl(form);
    auto* sheet = new TTabSheet(form);
    sheet->SetPageControl(pc);
    SetPropValueByPath(pc, "Pages_0.TabVisible", false);
    EXPECT_FALSE(sheet->TabVisible());
    // Event handlers read, cleared and put back by name.
    int clicks = 0;
    auto* b = new TButton(form);
    b->OnClick = TNotifyEvent([&](TObject*) { ++clicks; });
    EventHandle saved = GetMethodProp(b, "OnClick");
    SetMethodProp(b, "OnClick", EventHandle());
    b->Click();
    SetMethodProp(b, "OnClick", saved);
    b->Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(GetStrProp(form, "Position"), "poDesigned");
    form->Free();
}
