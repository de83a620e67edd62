#include "platform/component/properties.h"

#include <gtest/gtest.h>

#include "platform/component/classes.h"
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

TEST(Published, EveryControlClassOffersTheNamesTheRuntimeReaches) {
    struct Case {
        const char* cls;
        std::vector<const char*> has;
    };
    const std::vector<const char*> control = {"Hint",    "Font", "Color", "Enabled",
                                              "Visible", "Left", "Parent"};
    const std::vector<const char*> windowed = {"TabStop", "TabOrder"};
    const Case cases[] = {
        {"TForm", {"Caption"}},
        {"TLabel", {"Caption"}},
        {"TEdit", {"Text", "ReadOnly", "TabStop", "TabOrder"}},
        {"TMaskEdit", {"Text", "ReadOnly", "TabStop", "TabOrder"}},
        {"TMemo", {"Lines", "ReadOnly", "TabStop", "TabOrder"}},
        {"TComboBox", {"Text", "Items", "TabStop", "TabOrder"}},
        {"TListBox", {"Items", "TabStop", "TabOrder"}},
        {"TButton", {"Caption", "TabStop", "TabOrder"}},
        {"TBitBtn", {"Caption", "TabStop", "TabOrder"}},
        {"TSpeedButton", {"Caption"}},
        {"TCheckBox", {"Caption", "TabStop", "TabOrder"}},
        {"TRadioButton", {"Caption", "TabStop", "TabOrder"}},
        {"TGroupBox", {"Caption", "TabStop", "TabOrder"}},
        {"TRadioGroup", {"Caption", "Items", "TabStop", "TabOrder"}},
        {"TPanel", {"Caption", "TabStop", "TabOrder"}},
        {"TPageControl", {"TabStop", "TabOrder"}},
        {"TTabSheet", {"Caption", "TabVisible", "PageIndex"}},
        {"TStatusBar", {"Panels"}},
        {"TListView", {"ReadOnly", "TabStop", "TabOrder"}},
        {"TTreeView", {"ReadOnly", "TabStop", "TabOrder"}},
        {"TDBEdit", {"DataField", "DataSource", "ReadOnly", "TabStop", "TabOrder"}},
        {"TDBMemo", {"DataField", "DataSource", "ReadOnly", "Lines"}},
        {"TDBComboBox", {"DataField", "DataSource", "ReadOnly", "Items"}},
        {"TDBCheckBox", {"DataField", "DataSource", "ReadOnly", "Caption"}},
        {"TDBText", {"DataField", "DataSource"}},
    };
    auto* form = CreateForm<TForm>(nullptr);
    for (const Case& c : cases) {
        TComponent* obj = c.cls == std::string("TForm") ? form : CreateComponent(c.cls, form);
        for (const char* name : control)
            EXPECT_TRUE(IsPublishedProp(obj, name)) << c.cls << "." << name;
        for (const char* name : c.has)
            EXPECT_TRUE(IsPublishedProp(obj, name)) << c.cls << "." << name;
    }
    for (const char* name : {"Caption", "Hint", "Enabled", "Visible", "Checked", "ShortCut"})
        EXPECT_TRUE(IsPublishedProp(CreateComponent("TMenuItem", form), name)) << name;
    // A memo keeps its text in Lines, and a data-aware control in its field:
    // neither publishes Text, so code that rewrites every published Text (the
    // code-page converter) leaves the record alone.
    for (const char* cls : {"TMemo", "TDBEdit", "TDBMemo", "TDBComboBox"})
        EXPECT_FALSE(IsPublishedProp(CreateComponent(cls, form), "Text")) << cls;
    form->Free();
}
