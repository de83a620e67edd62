#include "runtime/PropAccess.h"

#include <gtest/gtest.h>

#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "support/component/test_components.h"

namespace ktrb {
namespace {

using namespace plat::testing;
using plat::TFieldType;

// A bound combo box of the grid library and a data-aware check box, by the
// class names the colouring rule tests.
class TTestWwCombo : public TTestDBEdit {
    PLAT_CLASS_NAMED("TwwDBComboBox", TTestDBEdit)
  public:
    using TTestDBEdit::TTestDBEdit;
};
class TTestFDbCheckBox : public TTestDBEdit {
    PLAT_CLASS_NAMED("TFDbCheckBox", TTestDBEdit)
  public:
    using TTestDBEdit::TTestDBEdit;
};

template <class T>
T* make(plat::TComponent* owner, const std::string& name) {
    T* c = new T(owner);
    c->SetName(name);
    return c;
}

TEST(PropertiesByName, NeutralValuesForMissingObjectsNamesAndProperties) {
    TTestForm form;
    auto* ed = make<TTestDBEdit>(&form, "edTH005");
    ed->Hint = "供应商";
    EXPECT_EQ(GetStrPropByName(ed, "hint"), "供应商");
    EXPECT_EQ(GetStrPropByName(ed, "NoSuch"), "");
    EXPECT_EQ(GetStrPropByName(nullptr, "Hint"), "");
    EXPECT_EQ(GetOrdPropByName(ed, ""), 0);
    EXPECT_EQ(GetPropertyKind(ed, "OnChange"), (int)plat::TTypeKind::tkMethod);
    EXPECT_EQ(GetPropertyKind(ed, "NoSuch"), 0);
    EXPECT_FALSE(HasPropByName(ed, "NoSuch"));
    EXPECT_TRUE(HasProperty(ed, "DataField"));

    SetOrdPropByName(ed, "TabOrder", 7);
    SetOrdPropByName(ed, "NoSuch", 7);
    SetStrPropByName(nullptr, "Hint", "x");
    WriteStrProperty(ed, "DataField", "TH005");
    EXPECT_EQ(ed->TabOrder, 7);
    EXPECT_EQ(ReadOrdProperty(ed, "TabOrder"), 7);
    EXPECT_EQ(ed->DataField, "TH005");

    std::string kept = "kept";
    EXPECT_FALSE(ReadStrProperty(ed, "NoSuch", kept));
    EXPECT_EQ(kept, "kept");
    EXPECT_TRUE(ReadStrProperty(ed, "DataField", kept));
    EXPECT_EQ(kept, "TH005");
}

TEST(PropertiesByName, MethodsSavedClearedAndRestored) {
    TTestForm form;
    auto* btn = make<TTestButton>(&form, "btnOK");
    btn->OnClick = plat::TNotifyEvent(&form, &TTestForm::btnOKClick);
    plat::EventHandle handler = GetMethodPropByName(btn, "OnClick");
    EXPECT_TRUE(handler.Assigned());

    TSavedMethods saved = SaveMethodProps(btn, {"OnClick", "", "NoSuch", "Caption"});
    ASSERT_EQ(saved.size(), 4u);
    EXPECT_EQ(saved[0].Name, "OnClick");
    EXPECT_EQ(saved[1].Name, "");
    EXPECT_EQ(saved[2].Name, "");
    EXPECT_EQ(saved[3].Name, "") << "not an event";
    EXPECT_FALSE(btn->OnClick.Assigned());
    RestoreMethodProps(btn, saved);
    EXPECT_TRUE(btn->OnClick.Is(&form, &TTestForm::btnOKClick));

    SetMethodPropByName(btn, "OnClick", plat::EventHandle());
    EXPECT_FALSE(btn->OnClick.Assigned());
}

// A small client dataset with three rows and a data source.
struct Rows {
    plat::TComponent owner;
    plat::TClientDataSet* cds = new plat::TClientDataSet(&owner);
    plat::TDataSource* ds = new plat::TDataSource(&owner);
    Rows() {
        cds->FieldDefs().Add("CODE", TFieldType::ftString, 4);
        cds->FieldDefs().Add("QTY", TFieldType::ftInteger);
        cds->FieldDefs().Add("PRICE", TFieldType::ftFloat);
        cds->FieldDefs().Add("NOTE", TFieldType::ftMemo);
        cds->CreateDataSet();
        for (const char* code : {"A", "B", "C"}) {
            cds->Append();
            cds->FieldByName("CODE")->SetAsString(code);
            cds->Post();
        }
        ds->SetDataSet(cds);
    }
};

TEST(DataEvents, DetachedEventsDoNotFireAndComeBack) {
    Rows r;
    int scrolls = 0, changes = 0;
    r.cds->AfterScroll = plat::TDataSetNotifyEvent([&](plat::TDataSet*) { ++scrolls; });
    r.ds->OnDataChange = plat::TDataChangeEvent([&](plat::TObject*, plat::TField*) { ++changes; });

    TDataEventRecord saved = SaveDataEvents(r.ds);
    r.cds->First();
    r.cds->Next();
    EXPECT_EQ(scrolls, 0);
    EXPECT_EQ(changes, 0);
    RestoreDataEvents(r.ds, saved);
    r.cds->Next();
    EXPECT_EQ(scrolls, 1);
    EXPECT_GT(changes, 0);

    scrolls = 0;
    try {
        TDataEventsDetached detached(r.cds);
        r.cds->First();
        throw plat::Exception("bulk work failed");
    } catch (const plat::Exception&) {
    }
    EXPECT_EQ(scrolls, 0);
    r.cds->Last();
    EXPECT_EQ(scrolls, 1) << "restored also after an exception";
}

TEST(FieldWrites, ReadOnlyIsLiftedForTheWriteAndSetBack) {
    Rows r;
    plat::TField* code = r.cds->FieldByName("CODE");
    code->SetReadOnly(true);
    r.cds->Edit();
    EXPECT_TRUE(SetFieldText(code, "Z"));
    EXPECT_EQ(code->AsString(), "Z");
    EXPECT_TRUE(code->ReadOnly());
    EXPECT_FALSE(SetFieldText(nullptr, "x"));

    // A refused value passes its exception on, ReadOnly set back all the same.
    code->OnValidate = plat::TFieldNotifyEvent([](plat::TField*) { plat::Abort(); });
    EXPECT_THROW(SetFieldText(code, "Q"), plat::EAbort);
    EXPECT_TRUE(code->ReadOnly());
    EXPECT_EQ(code->AsString(), "Z");

    // The quiet write skips the validation and puts it back.
    EXPECT_TRUE(SetFieldTextQuiet(code, "Q"));
    EXPECT_EQ(code->AsString(), "Q");
    EXPECT_TRUE(code->OnValidate.Assigned());
}

TEST(FieldWrites, DoubleByteCharactersAreNotSplitAtTheFieldSize) {
    Rows r;
    plat::TField* code = r.cds->FieldByName("CODE");  // 4 bytes in the database code page
    r.cds->Edit();
    struct Case {
        std::string text, stored;
    };
    for (const Case& c : std::vector<Case>{{"AB中D", "AB中"}, {"ABC中", "ABC"}, {"AB", "AB"}}) {
        SetFieldText(code, c.text);
        EXPECT_EQ(code->AsString(), c.stored) << c.text;
    }
    plat::TField* note = r.cds->FieldByName("NOTE");
    SetFieldText(note, "一二三四五六");
    EXPECT_EQ(note->AsString(), "一二三四五六") << "memo fields are not cut";
}

TEST(FieldWrites, EditTextParsesNumbersAsTyped) {
    Rows r;
    r.cds->Edit();
    plat::TField* qty = r.cds->FieldByName("QTY");
    int typed = 0;
    qty->OnSetText = plat::TFieldSetTextEvent([&](plat::TField* f, const std::string& text) {
        ++typed;
        f->SetAsInteger(std::stoi(text) * 10);
    });
    SetFieldText(qty, "12", true);
    EXPECT_EQ(qty->AsInteger(), 120);
    SetFieldText(qty, "12", false);
    EXPECT_EQ(qty->AsInteger(), 12);
    EXPECT_EQ(typed, 1);
}

// A number is stored as its float text would store it, in a read-only float
// field too; other fields take the text itself.
TEST(FieldWrites, NumbersAreStoredAsTheirText) {
    Rows r;
    r.cds->Edit();
    plat::TField* price = r.cds->FieldByName("PRICE");
    price->SetReadOnly(true);
    for (double v : {0.1 + 0.2, 1.0 / 3, -2.675, 1e-300, 123456789.125}) {
        EXPECT_TRUE(SetFieldNumber(price, v));
        EXPECT_EQ(price->AsFloat(), plat::StrToFloat(plat::FloatToStr(v))) << v;
    }
    EXPECT_TRUE(price->ReadOnly());
    plat::TField* code = r.cds->FieldByName("CODE");
    SetFieldNumber(code, 0.5);
    EXPECT_EQ(code->AsString(), "0.5");
    EXPECT_FALSE(SetFieldNumber(nullptr, 1));
}

TEST(DataSetBrowsing, OpenBrowsingAndNotEmpty) {
    Rows r;
    EXPECT_TRUE(IsDataSetBrowsing(r.cds));
    r.cds->Edit();
    EXPECT_FALSE(IsDataSetBrowsing(r.cds));
    r.cds->Cancel();
    r.cds->EmptyDataSet();
    EXPECT_FALSE(IsDataSetBrowsing(r.cds));
    r.cds->Close();
    EXPECT_FALSE(IsDataSetBrowsing(r.cds));
    EXPECT_FALSE(IsDataSetBrowsing(nullptr));
}

struct Items : ISelectableItems {
    std::vector<std::string> texts;
    std::vector<bool> selected;
    int ItemCount() const override { return (int)texts.size(); }
    std::string ItemText(int i) const override { return texts[i]; }
    bool ItemSelected(int i) const override { return i < (int)selected.size() && selected[i]; }
    void AddItem(const std::string& t) override { texts.push_back(t); }
};

TEST(Controls, CopySelectedItemsSkipsWhatTheTargetHolds) {
    Items source, target;
    source.texts = {"TH001", "TH002", "TH003", "TH004"};
    source.selected = {true, false, true, true};
    target.texts = {"TH003"};
    CopySelectedItems(source, target);
    EXPECT_EQ(target.texts, (std::vector<std::string>{"TH003", "TH001", "TH004"}));
}

struct Grid : IFitGrid {
    plat::TDataSet* dataSet = nullptr;
    std::vector<int> widths;  // indicator first
    int client = 0;
    int parentWidth = -1;
    plat::TDataSet* GridDataSet() const override { return dataSet; }
    int GridFieldCount() const override { return (int)widths.size() - 1; }
    int ColumnWidth(int c) const override { return widths[c]; }
    void SetColumnWidth(int c, int w) override { widths[c] = w; }
    int GridClientWidth() const override { return client; }
    void SetParentClientWidth(int w) override { parentWidth = w; }
    int HorizontalScrollBarHeight() const override { return 17; }
};

TEST(Controls, FitGridColumnsSpreadsSpareWidthOrWidensTheParent) {
    Rows r;
    Grid g;
    g.dataSet = r.cds;
    g.widths = {11, 64, 64, 64};
    g.client = 300;  // columns take 4 × (w+1) + 1 + 17 + 1 = 226
    FitGridColumns(g);
    EXPECT_EQ(g.widths, (std::vector<int>{11, 88, 88, 88}));
    EXPECT_EQ(g.parentWidth, -1);

    g.widths = {11, 64, 64, 64};
    g.client = 200;
    FitGridColumns(g);
    EXPECT_EQ(g.parentWidth, 226);
    EXPECT_EQ(g.widths[1], 64);

    r.cds->Close();
    g.parentWidth = -1;
    FitGridColumns(g);
    EXPECT_EQ(g.parentWidth, -1) << "closed data set: nothing";
}

TEST(Controls, PageLastControlsLeaveOutTheUdfAndBrowsePages) {
    TTestForm form;
    auto* pc = make<TTestWinControl>(&form, "pcMain");
    const char* pages[] = {"tbsHead", "tbsMore", "tbsEmpty", "TbsUDF", "TbsBrowse"};
    std::vector<TTestTabSheet*> sheets;
    for (int i = 0; i < 5; ++i) {
        auto* s = make<TTestTabSheet>(&form, pages[i]);
        s->Parent = pc;
        s->PageIndex = i;
        sheets.push_back(s);
    }
    auto put = [&](const std::string& name, int page, int tabOrder, bool visible = true,
                   bool enabled = true) {
        auto* c = make<TTestEdit>(&form, name);
        c->Parent = sheets[page];
        c->TabOrder = tabOrder;
        c->Visible = visible;
        c->Enabled = enabled;
        return c;
    };
    put("edTH001", 0, 0);
    put("edTH005", 0, 3);
    put("edTH004", 0, 2);
    put("edHidden", 0, 9, false);
    put("edTH010", 1, 1);
    put("edOff", 1, 5, true, false);
    put("edUDF01", 3, 4);
    put("gdBrowse", 4, 0);
    auto* label = make<TTestLabel>(&form, "lblTH011");  // not a windowed control
    label->Parent = sheets[1];

    plat::TStringList names;
    plat::TComponent* last = nullptr;
    CollectPageLastControls(pc, names, last);
    ASSERT_EQ(names.Count(), 2);
    EXPECT_EQ(names[0], "edTH005");
    EXPECT_EQ(names[1], "edTH010");
    EXPECT_EQ(last, form.FindComponent("edTH010"));
}

TEST(Controls, ColorControlsByFieldSparesFixedColourControls) {
    TTestForm form;
    auto* ed = make<TTestDBEdit>(&form, "edTH005");
    ed->DataField = "TH005";
    auto* combo = make<TTestWwCombo>(&form, "cboTH015");
    combo->DataField = "th015";
    auto* check = make<TTestFDbCheckBox>(&form, "chkTH026");
    check->DataField = "TH026";
    auto* other = make<TTestDBEdit>(&form, "edTH007");
    other->DataField = "TH007";
    const int32_t before = other->Color;

    ColorControlsByField(&form, " TH005 ;TH015;TH026;;TH007", ";", kClRed);
    EXPECT_EQ(ed->Color, kClRed);
    EXPECT_NE(combo->Color, kClRed);
    EXPECT_NE(check->Color, kClRed);
    EXPECT_EQ(other->Color, before) << "the list stops at its first empty item";

    ColorControlsByField(&form, "TH015,TH026", ",", kRequiredFieldColor);
    EXPECT_EQ(combo->Color, kRequiredFieldColor);
    EXPECT_EQ(check->Color, kRequiredFieldColor);
}

TEST(Controls, EnableControlsByFieldCutsEachItemAtItsFirstBlank) {
    TTestForm form;
    auto* a = make<TTestDBEdit>(&form, "edTH001");
    a->DataField = "TH001";
    auto* b = make<TTestDBEdit>(&form, "edTH002");
    b->DataField = "TH002";
    auto* unbound = make<TTestEdit>(&form, "edFree");

    EnableControlsByField(&form, "TH001 desc,,th002", ",", false);
    EXPECT_FALSE(a->Enabled);
    EXPECT_FALSE(b->Enabled);
    EXPECT_TRUE(unbound->Enabled) << "an empty item matches nothing";
    EnableControlsByField(&form, "TH001", ",", true);
    EXPECT_TRUE(a->Enabled);
    EXPECT_FALSE(b->Enabled);
}

}  // namespace
}  // namespace ktrb
