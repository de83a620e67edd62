#include "platform/component/properties.h"

#include <gtest/gtest.h>

#include "platform/component/classes.h"
#include "support/component/test_components.h"

using namespace plat;
using namespace plat::testing;

namespace {

// A form with a few controls, owned as the module's forms own theirs.
struct Fixture : ::testing::Test {
    TTestForm form;
    TTestEdit* edCode = make<TTestEdit>("edCode");
    TTestComboBox* cboKind = make<TTestComboBox>("cboKind");
    TTestMemo* memo = make<TTestMemo>("memo");
    TTestGrid* grid = make<TTestGrid>("gdBody1");
    TTestStatusBar* status = make<TTestStatusBar>("sbMain");
    TTestListView* list = make<TTestListView>("lvItems");
    TTestTreeView* tree = make<TTestTreeView>("tvNodes");
    TTestButton* btnOK = make<TTestButton>("btnOK");

    template <class T>
    T* make(const char* name) {
        auto* c = new T(&form);
        c->SetName(name);
        return c;
    }
};

// Classes of this file: a read-only property, a property re-published by a
// descendant, a set without PLAT_SET.
class TBase : public TComponent {
    PLAT_CLASS(TBase, TComponent)
  public:
    using TComponent::TComponent;
    std::string caption = "base";
    int count = 3;
    TSet<TFontStyle> styles;
    std::string title;
    Variant data;
    double when = 0;
    double ratio = 0;
    char mark = 'A';
};

class TDerived : public TBase {
    PLAT_CLASS(TDerived, TBase)
  public:
    using TBase::TBase;
};

// Another class answering to the name "TEdit".
class TOtherEdit : public TComponent {
    PLAT_CLASS_NAMED("TEdit", TComponent)
  public:
    using TComponent::TComponent;
};

PLAT_PUBLISH(TBase) {
    p.Prop("Caption", &TBase::caption);
    p.Prop("Count", [](TBase& b) { return b.count; });
    p.Prop("Styles", &TBase::styles, nullptr, "TBaseStyles");
    p.Prop("Title", &TBase::title, nullptr, "WideString");
    p.Prop("Data", &TBase::data);
    p.Prop("When", &TBase::when, nullptr, "TDateTime");
    p.Prop("Ratio", &TBase::ratio);
    p.Prop("Mark", &TBase::mark);
}

PLAT_PUBLISH(TDerived) {
    p.Prop(
        "Caption", [](TDerived& d) { return "derived:" + d.caption; },
        [](TDerived& d, const std::string& v) { d.caption = v; });
}

}  // namespace

TEST_F(Fixture, LookupIgnoresCaseAndFindsInheritedProperties) {
    struct Case {
        TObject* obj;
        const char* name;
        TTypeKind kind;
        const char* typeName;
    } cases[] = {
        {edCode, "text", TTypeKind::tkLString, "TCaption"},
        {edCode, "OnChange", TTypeKind::tkMethod, "TNotifyEvent"},
        {edCode, "TABORDER", TTypeKind::tkInteger, "TTabOrder"},  // from "TWinControl"
        {edCode, "Color", TTypeKind::tkInteger, "TColor"},        // from "TControl"
        {edCode, "Name", TTypeKind::tkLString, "String"},         // from TComponent
        {edCode, "Font", TTypeKind::tkClass, "TFont"},
        {edCode, "CharCase", TTypeKind::tkEnumeration, "TEditCharCase"},
        {edCode, "Visible", TTypeKind::tkEnumeration, "Boolean"},
        {cboKind, "Items", TTypeKind::tkClass, "TStrings"},
        {cboKind, "Style", TTypeKind::tkEnumeration, "TComboBoxStyle"},
        {status, "Panels", TTypeKind::tkClass, "TStatusPanels"},
        {grid, "TitleFont", TTypeKind::tkClass, "TFont"},
        {&edCode->Font, "Charset", TTypeKind::tkInteger, "TFontCharset"},
        {&edCode->Font, "Style", TTypeKind::tkSet, "TFontStyles"},
    };
    for (const auto& c : cases) {
        const TPropInfo* p = GetPropInfo(c.obj, c.name);
        ASSERT_NE(p, nullptr) << c.name;
        EXPECT_EQ(p->Kind(), c.kind) << c.name;
        EXPECT_EQ(p->TypeName(), c.typeName) << c.name;
    }
    EXPECT_EQ(GetPropInfo(edCode, "Caption"), nullptr);
    EXPECT_EQ(GetPropInfo((TObject*)nullptr, "Text"), nullptr);
    EXPECT_FALSE(IsPublishedProp(edCode, "Items"));
    EXPECT_TRUE(IsPublishedProp(TTestComboBox::StaticClass(), "ITEMS"));
    try {
        PropType(edCode, "Caption");
        ADD_FAILURE();
    } catch (const EPropertyError& e) {
        EXPECT_STREQ(e.what(), "Property Caption does not exist");
    }
}

TEST_F(Fixture, ClassNamesAndAncestryAreThePlatformsNames) {
    EXPECT_EQ(cboKind->ClassName(), "TComboBox");
    EXPECT_TRUE(cboKind->InheritsFrom("TCustomComboBox"));
    EXPECT_TRUE(cboKind->InheritsFrom("twincontrol"));
    EXPECT_TRUE(cboKind->InheritsFrom("TPersistent"));
    EXPECT_FALSE(edCode->InheritsFrom("TCustomComboBox"));
    EXPECT_EQ(edCode->Font.ClassName(), "TFont");
    EXPECT_TRUE(status->Panels.InheritsFrom("TCollection"));
}

TEST_F(Fixture, ValuesAsVariantsStringsAndOrdinals) {
    SetPropValue(edCode, "Text", "A01");
    EXPECT_EQ(edCode->Text(), "A01");
    EXPECT_EQ(GetStrProp(edCode, "text"), "A01");
    SetStrProp(edCode, "MaxLength", "20");  // a number written as text
    EXPECT_EQ(GetOrdProp(edCode, "MaxLength"), 20);
    SetPropValue(edCode, "ReadOnly", true);
    EXPECT_TRUE(edCode->ReadOnly);
    EXPECT_EQ(GetPropValue(edCode, "ReadOnly"), Variant(true));
    EXPECT_EQ(GetOrdProp(edCode, "ReadOnly"), 1);
    SetPropValue(edCode, "Enabled", "False");
    EXPECT_FALSE(edCode->Enabled);
    SetPropValue(edCode, "Enabled", -1);  // True as an integer
    EXPECT_TRUE(edCode->Enabled);
    EXPECT_EQ(GetOrdProp(edCode, "Enabled"), 1);
    SetPropValue(cboKind, "Style", "csOwnerDrawFixed");
    EXPECT_EQ(cboKind->Style, csOwnerDrawFixed);
    EXPECT_EQ(GetPropValue(cboKind, "Style").AsString(), "csOwnerDrawFixed");
    SetOrdProp(cboKind, "Style", 4);
    EXPECT_EQ(GetEnumProp(cboKind, "Style"), "csOwnerDrawVariable");
    SetPropValue(cboKind, "Style", 2);
    EXPECT_EQ(cboKind->Style, csDropDownList);
    SetEnumProp(edCode, "CharCase", " ecUpperCase ");
    EXPECT_EQ(edCode->CharCase, ecUpperCase);
}

TEST_F(Fixture, BadValuesRaiseAndLeaveThePropertyAlone) {
    cboKind->Style = csSimple;
    edCode->MaxLength = 5;
    struct Case {
        const char* what;
        std::function<void()> call;
    } cases[] = {
        {"unknown identifier", [&] { SetPropValue(cboKind, "Style", "csNothing"); }},
        {"ordinal out of range", [&] { SetOrdProp(cboKind, "Style", 5); }},
        {"negative ordinal", [&] { SetPropValue(cboKind, "Style", -1); }},
        {"text for an integer", [&] { SetPropValue(edCode, "MaxLength", "abc"); }},
        {"Null for an integer", [&] { SetPropValue(edCode, "MaxLength", Null()); }},
        {"integer beyond 32 bits", [&] { SetOrdProp(edCode, "MaxLength", 1ll << 40); }},
        {"unknown set element", [&] { SetPropValue(&edCode->Font, "Style", "[fsBold,fsHeavy]"); }},
    };
    for (auto& c : cases) {
        EXPECT_THROW(c.call(), EPropertyConvertError) << c.what;
    }
    EXPECT_EQ(cboKind->Style, csSimple);
    EXPECT_EQ(edCode->MaxLength, 5);
    EXPECT_TRUE(edCode->Font.Style.Empty());
    EXPECT_THROW(GetOrdProp(edCode, "Text"), EPropertyError);
    EXPECT_THROW(GetPropValue(edCode, "Font"), EPropertyError);
    EXPECT_THROW(SetStrProp(nullptr, "Text", "x"), EPropertyError);
}

TEST(Properties, ReadOnlyAndRepublishedProperties) {
    TBase base;
    TDerived derived;
    EXPECT_EQ(GetPropValue(&base, "Count").AsInteger(), 3);
    EXPECT_FALSE(GetPropInfo(&base, "Count")->Writable());
    try {
        SetPropValue(&base, "Count", 4);
        ADD_FAILURE();
    } catch (const EPropertyError& e) {
        EXPECT_STREQ(e.what(), "Property Count is read-only");
    }
    EXPECT_EQ(GetStrProp(&base, "Caption"), "base");
    EXPECT_EQ(GetStrProp(&derived, "Caption"), "derived:base");
    // The descendant's Caption takes the place of the ancestor's in the list.
    auto list = GetPropList(TDerived::StaticClass());
    std::vector<std::string> names;
    for (auto* p : list) names.push_back(p->Name);
    EXPECT_EQ(names, (std::vector<std::string>{"Name", "Tag", "Caption", "Count", "Styles", "Title",
                                               "Data", "When", "Ratio", "Mark"}));
    EXPECT_EQ(list[2]->Owner, TDerived::StaticClass());
    SetPropValue(&derived, "Styles", "[fsItalic]");
    EXPECT_EQ(GetPropValue(&derived, "Styles").AsString(), "[fsItalic]");
}

TEST(Properties, WideStringVariantFloatAndCharKinds) {
    TDerived d;
    struct Case {
        const char* name;
        TTypeKind kind;
        Variant value;
        VarType readBack;
    } cases[] = {
        {"Title", TTypeKind::tkWString, "标题", VarType::OleStr},
        {"Data", TTypeKind::tkVariant, Null(), VarType::Null},
        {"Data", TTypeKind::tkVariant, Variant::ArrayOf({1, "a"}), VarType::Variant},
        {"When", TTypeKind::tkFloat, 45000.5, VarType::Date},
        {"Ratio", TTypeKind::tkFloat, "0.125", VarType::Double},
        {"Mark", TTypeKind::tkChar, "Z", VarType::String},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PropType(&d, c.name), c.kind) << c.name;
        SetPropValue(&d, c.name, c.value);
        Variant back = GetPropValue(&d, c.name);
        EXPECT_EQ(back.Type(), c.readBack) << c.name;
        if (!back.IsArray()) {
            EXPECT_TRUE(back == c.value) << c.name;
        }
    }
    EXPECT_EQ(d.data.HighBound(), 1);
    EXPECT_EQ(d.ratio, 0.125);
    EXPECT_EQ(d.mark, 'Z');
    EXPECT_THROW(SetPropValue(&d, "Ratio", "one"), EPropertyConvertError);
    EXPECT_EQ(GetFloatProp(&d, "When"), 45000.5);
}

TEST(Properties, LaterRegistrationsReachDescendantsAlreadyLookedUp) {
    TDerived d;
    EXPECT_FALSE(IsPublishedProp(&d, "Late"));
    Publisher<TBase>().Prop("Late", [](TBase& b) { return b.count * 2; });
    EXPECT_EQ(GetOrdProp(&d, "Late"), 6);
}

TEST_F(Fixture, SetsAsText) {
    SetPropValue(&edCode->Font, "Style", "[fsBold, fsUnderline]");
    EXPECT_TRUE(edCode->Font.Style.Contains(fsBold));
    EXPECT_TRUE(edCode->Font.Style.Contains(fsUnderline));
    EXPECT_FALSE(edCode->Font.Style.Contains(fsItalic));
    EXPECT_EQ(GetPropValue(&edCode->Font, "Style").AsString(), "[fsBold,fsUnderline]");
    EXPECT_EQ(GetSetProp(&edCode->Font, "Style", false), "fsBold,fsUnderline");
    SetSetProp(&edCode->Font, "Style", "[]");
    EXPECT_TRUE(edCode->Font.Style.Empty());
    SetOrdProp(&edCode->Font, "Style", 0b0110);
    EXPECT_EQ(GetSetProp(&edCode->Font, "Style"), "[fsItalic,fsUnderline]");
    EXPECT_THROW(SetOrdProp(&edCode->Font, "Style", 0b10000), EPropertyConvertError);
}

TEST_F(Fixture, ColourAndCharsetIdentifiers) {
    struct Case {
        const char* path;
        Variant value;
        int64_t expected;
    } cases[] = {
        {"Color", "clRed", 0x0000FF},
        {"Color", "clBtnFace", (int32_t)0x8000000F},
        {"Color", " clwindow ", (int32_t)0x80000005},
        {"Color", 0xC8C800, 0xC8C800},
        {"Font.Charset", "GB2312_CHARSET", 134},
        {"Font.Charset", "CHINESEBIG5_CHARSET", 136},
        {"Font.Charset", "DEFAULT_CHARSET", 1},
        {"Font.Charset", "ANSI_CHARSET", 0},
        {"Font.Charset", "136", 136},
        {"Font.Color", "clBlue", 0xFF0000},
    };
    for (const auto& c : cases) {
        SetPropValueByPath(edCode, c.path, c.value);
        EXPECT_EQ(GetPropValueByPath(edCode, c.path).AsInt64(), c.expected)
            << c.path << " " << VarToStr(c.value);
    }
    EXPECT_THROW(SetPropValueByPath(edCode, "Font.Charset", "GB_CHARSET"), EPropertyConvertError);
    std::string ident;
    EXPECT_TRUE(IntToIdent(ColorType(), (int32_t)0x8000000F, ident));
    EXPECT_EQ(ident, "clBtnFace");
    EXPECT_TRUE(IntToIdent(ColorType(), 0xC0C0C0, ident));
    EXPECT_EQ(ident, "clSilver");  // the first of two names for one colour
    EXPECT_FALSE(IntToIdent(ColorType(), 0x123456, ident));
    int64_t cursor = 0;
    EXPECT_TRUE(IdentToInt(CursorType(), "crHourGlass", cursor));
    EXPECT_EQ(cursor, -11);
    EXPECT_TRUE(CharsetToIdent(134, ident));
    EXPECT_EQ(ident, "GB2312_CHARSET");
    EXPECT_FALSE(CharsetToIdent(135, ident));
    int32_t cs = 0;
    EXPECT_TRUE(IdentToCharset("chinesebig5_charset", cs));
    EXPECT_EQ(cs, 136);
}

TEST_F(Fixture, PathsThroughSubObjectsCollectionsAndItems) {
    grid->Columns.Add();
    grid->Columns.Add();
    grid->Columns.Add();
    status->Panels.Add();
    list->Columns.Add();
    list->AddItem("first");
    list->AddItem("second", {"s1"});
    tree->AddNode("root");
    tree->AddNode("child", 1);
    tree->AddNode("grandchild", 2);

    SetPropValueByPath(edCode, "Font.Name", "Tahoma");
    EXPECT_EQ(edCode->Font.Name, "Tahoma");
    SetPropValueByPath(grid, "Columns.Items_1.Title.Caption", "数量");
    EXPECT_EQ(grid->Columns.Column(1)->Title.Caption, "数量");
    SetPropValueByPath(grid, " Columns . Items_2 . Title . Font . Charset ", "GB2312_CHARSET");
    EXPECT_EQ(grid->Columns.Column(2)->Title.Font.Charset, 134);
    SetPropValueByPath(status, "Panels.Items_0.Text", "就绪");
    EXPECT_EQ(status->Panels.Panel(0)->Text, "就绪");
    SetPropValueByPath(list, "Items_1.Caption", "第二");
    EXPECT_EQ(list->Item(1)->Caption, "第二");
    SetPropValueByPath(list, "Columns_0.Caption", "编号");
    EXPECT_EQ(list->Columns.Column(0)->Caption, "编号");
    SetPropValueByPath(tree, "Items_2.Text", "孙");
    EXPECT_EQ(tree->Node(2)->Text, "孙");

    std::string last;
    EXPECT_EQ(ResolvePropPath(grid, "Columns.Items_7.Title.Caption", &last), nullptr);
    EXPECT_EQ(ResolvePropPath(edCode, "Foo.Bar", &last), nullptr);
    EXPECT_EQ(ResolvePropPath(edCode, "Text.Bar", &last), nullptr);  // not an object
    EXPECT_EQ(ResolvePropPath(grid, "Columns.Items_0.Title.Caption", &last),
              &grid->Columns.Column(0)->Title);
    EXPECT_EQ(last, "Caption");
    EXPECT_THROW(SetPropValueByPath(edCode, "Foo.Bar", "x"), EPropertyError);
    EXPECT_THROW(SetPropValueByPath(edCode, "Font.Bar", "x"), EPropertyError);

    EXPECT_EQ(GetIndexedCount(grid->Columns.Column(0)->Collection(), "anything"), 3);
    EXPECT_EQ(GetIndexedCount(list, "items"), 2);
    EXPECT_EQ(GetIndexedCount(edCode, "Items"), -1);
    EXPECT_EQ(GetIndexedItem(tree, "Items", 3), nullptr);
    EXPECT_EQ(GetIndexedItem(tree, "Items", -1), nullptr);

    struct Seg {
        const char* text;
        const char* name;
        int index;
    } segs[] = {{"Items_3", "Items", 3},        {" Columns_12 ", "Columns", 12},
                {"Items_", "Items_", -1},       {"Items_x", "Items_x", -1},
                {"My_Name_2", "My_Name_2", -1}, {"Font", "Font", -1}};
    for (const auto& s : segs) {
        TPathSegment p = ParsePathSegment(s.text);
        EXPECT_EQ(p.Name, s.name) << s.text;
        EXPECT_EQ(p.Index, s.index) << s.text;
    }
}

TEST_F(Fixture, StringListsAsTextAndByLine) {
    SetStrProp(memo, "Lines", "一\r\n二\nthree\r");
    EXPECT_EQ(memo->Lines.Count(), 3);
    EXPECT_EQ(memo->Lines[2], "three");
    EXPECT_EQ(GetPropValue(memo, "Lines").AsString(), "一\r\n二\r\nthree\r\n");
    SetStrProp(memo, "Lines", "");
    EXPECT_EQ(memo->Lines.Count(), 0);

    cboKind->SetItems({"a", "b"});
    SetPropValueByPath(cboKind, "Items_2", "c");  // the line after the last appends
    // Further out would size the list from the index.
    EXPECT_THROW(SetPropValueByPath(cboKind, "Items_4", "e"), EPropertyError);
    EXPECT_THROW(SetPropValueByPath(cboKind, "Items_999999999", "x"), EPropertyError);
    EXPECT_EQ(cboKind->Items(), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(GetPropValueByPath(cboKind, "Items_2").AsString(), "c");
    EXPECT_EQ(GetPropValueByPath(cboKind, "Items_9").AsString(), "");
    SetStringsItem(cboKind, *GetPropInfo(cboKind, "Items"), -1, "x");
    EXPECT_EQ(cboKind->Items().size(), 3u);
    SetStringsProp(cboKind, "Items", {"x"});
    EXPECT_EQ(GetStringsProp(cboKind, "Items"), (std::vector<std::string>{"x"}));
    // A list view's items are objects, not lines.
    EXPECT_THROW(SetPropValueByPath(list, "Items_0", "x"), EPropertyError);
    EXPECT_EQ(list->ItemCount(), 0);
}

TEST_F(Fixture, EmbeddedObjectsAreWrittenByAssign) {
    TTestFont big;
    big.Name = "SimSun";
    big.Charset = 136;
    SetObjectProp(edCode, "Font", &big);
    EXPECT_EQ(edCode->Font.Name, "SimSun");
    EXPECT_EQ(edCode->Font.Charset, 136);
    EXPECT_EQ(GetObjectProp(edCode, "Font"), &edCode->Font);
    EXPECT_THROW(SetObjectProp(edCode, "Font", &status->Panels), EConvertError);
    // A referenced object is replaced, and must be of the property's class.
    SetObjectProp(edCode, "Parent", &form);
    EXPECT_EQ(edCode->Parent, &form);
    EXPECT_THROW(SetObjectProp(edCode, "Parent", &edCode->Font), EPropertyError);
    SetObjectProp(edCode, "Parent", nullptr);
    EXPECT_EQ(edCode->Parent, nullptr);
}

TEST_F(Fixture, EventsReadWrittenSavedAndRestoredByName) {
    edCode->OnChange = TNotifyEvent(&form, &TTestForm::edCodeChange);
    EventHandle saved = GetMethodProp(edCode, "OnChange");
    EXPECT_TRUE(saved == TNotifyEvent(&form, &TTestForm::edCodeChange).Handle());
    EXPECT_FALSE(saved == TNotifyEvent(&form, &TTestForm::btnOKClick).Handle());
    EXPECT_EQ(MethodName(&form, saved), "edCodeChange");

    SetMethodProp(edCode, "OnChange", EventHandle());  // cleared: a change does nothing
    edCode->SetText("X1");
    EXPECT_TRUE(form.calls.empty());
    SetMethodProp(edCode, "onchange", saved);
    edCode->SetText("X2");
    EXPECT_EQ(form.calls, (std::vector<std::string>{"edCodeChange:edCode"}));

    // Handlers bound by the name of a published method, as designs do.
    SetMethodProp(btnOK, "OnClick", MethodAddress(&form, "BTNOKCLICK"));
    btnOK->OnClick(btnOK);
    EXPECT_EQ(form.calls.back(), "btnOKClick:btnOK");
    EXPECT_TRUE(btnOK->OnClick.Is(&form, &TTestForm::btnOKClick));
    EXPECT_FALSE(MethodAddress(&form, "NoSuchHandler"));
    EXPECT_EQ(MethodName(&form, TNotifyEvent([](TObject*) {}).Handle()), "");

    Event<int> other([](int) {});
    EXPECT_THROW(SetMethodProp(edCode, "OnChange", other.Handle()), EPropertyError);
    EXPECT_TRUE(edCode->OnChange == TNotifyEvent(&form, &TTestForm::edCodeChange));
    EXPECT_THROW(GetMethodProp(edCode, "Text"), EPropertyError);
}

TEST_F(Fixture, MethodsCalledByName) {
    CallMethodByName<TObject*>(&form, "btnOKClick", btnOK);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"btnOKClick:btnOK"}));
    EXPECT_THROW(CallMethodByName<TObject*>(&form, "Missing", btnOK), EPropertyError);
    EXPECT_THROW(CallMethodByName<int>(&form, "btnOKClick", 1), EPropertyError);
    EXPECT_EQ(form.calls.size(), 1u);
}

TEST(Classes, CreationByClassNameWithTheDuplicateNameError) {
    RegisterTestComponentClasses();
    RegisterTestComponentClasses();  // again: the same classes, no error
    TTestForm owner;
    TComponent* ed = CreateComponent("tedit", &owner, "edCode");
    EXPECT_EQ(ed->ClassName(), "TEdit");
    EXPECT_EQ(owner.FindComponent("EDCODE"), ed);
    try {
        CreateComponent("TEdit", &owner, "EdCode");
        ADD_FAILURE();
    } catch (const EComponentError& e) {
        EXPECT_STREQ(e.what(), "A component named EdCode already exists");
    }
    EXPECT_EQ(owner.ComponentCount(), 1);  // the refused one was freed
    try {
        FindClass("TFoo");
        ADD_FAILURE();
    } catch (const EClassNotFound& e) {
        EXPECT_STREQ(e.what(), "Class TFoo not found");
    }
    EXPECT_EQ(GetClass("TFoo"), nullptr);
    EXPECT_TRUE(FindClass("TComboBox").Info->InheritsFrom("TCustomComboBox"));
    RegisterClass<TBase>();
    EXPECT_THROW(RegisterClass<TOtherEdit>(), EComponentError);  // "TEdit" is taken
    EXPECT_EQ(FindClass("TEdit").Info, TTestEdit::StaticClass());
    // Renaming through the published Name meets the same rule.
    TComponent* other = CreateComponent("TButton", &owner, "btnOK");
    EXPECT_THROW(SetPropValue(other, "Name", "edcode"), EComponentError);
    EXPECT_EQ(other->Name(), "btnOK");
    UnRegisterClass(TBase::StaticClass());
}

TEST(Collections, ItemsOrderAssignAndNotifications) {
    struct Counting : TTestStatusPanels {
        int updates = 0;
        void Update(TCollectionItem*) override { ++updates; }
    } panels;
    for (const char* t : {"a", "b", "c"}) static_cast<TTestStatusPanel*>(panels.Add())->Text = t;
    EXPECT_EQ(panels.updates, 3);
    panels.Panel(2)->SetIndex(0);
    EXPECT_EQ(panels.Panel(0)->Text, "c");
    EXPECT_EQ(panels.Panel(1)->Index(), 1);
    panels.Delete(1);
    EXPECT_EQ(panels.Count(), 2);
    EXPECT_THROW(panels.Items(2), EListError);

    TTestStatusPanels copy;
    copy.Add();
    copy.Assign(&panels);
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy.Panel(0)->Text, "c");
    EXPECT_EQ(copy.Panel(1)->Text, "b");
    int before = panels.updates;
    panels.BeginUpdate();
    panels.Add();
    panels.Clear();
    panels.EndUpdate();
    EXPECT_EQ(panels.updates, before + 1);  // one notice for the whole batch
    panels.Add();
    TTestColumns columns;
    EXPECT_THROW(columns.Assign(&panels), EConvertError);  // items of another kind
}
