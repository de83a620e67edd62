#include <gtest/gtest.h>

#include "data_fixtures.h"
#include "platform/core/exceptions.h"

using namespace plat;
using namespace datatest;

namespace {

// A control stand-in: shows a field's text and writes it back on request.
struct EditControl {
    TComponent component;
    TFieldDataLink link;
    std::string text;
    int shows = 0, editingChanges = 0, focused = 0;
    EditControl(TDataSource* src, const std::string& field) {
        link.Control = &component;
        link.OnDataChange = [this](TObject*) {
            ++shows;
            text = link.Field() ? link.Field()->Text() : "";
        };
        link.OnUpdateData = [this](TObject*) { link.Field()->SetText(text); };
        link.OnEditingChange = [this](TObject*) { ++editingChanges; };
        link.OnFocusControl = [this](TObject*) { ++focused; };
        link.SetDataSource(src);
        link.SetFieldName(field);
    }
    void Type(const std::string& t) {
        if (!link.Edit()) throw EDatabaseError("not editing");
        text = t;
        link.SetModified();
    }
};

}  // namespace

TEST(DataSource, FollowsStateAndData) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    TDataSource src(&o);
    std::vector<TDataSetState> states;
    src.OnStateChange = [&](TObject*) { states.push_back(src.State()); };
    src.SetDataSet(ds);
    EXPECT_EQ(src.State(), dsBrowse);
    ds->Edit();
    ds->Cancel();
    ds->Close();
    EXPECT_EQ(states, (std::vector<TDataSetState>{dsBrowse, dsEdit, dsBrowse, dsInactive}));
    src.SetEnabled(false);
    ds->CreateDataSet();  // an in-memory dataset loses its records when closed
    EXPECT_EQ(src.State(), dsInactive);
    src.SetEnabled(true);
    EXPECT_EQ(src.State(), dsBrowse);
    std::vector<std::string> changed;
    src.OnDataChange = [&](TObject*, TField* f) { changed.push_back(f ? f->FieldName() : "*"); };
    ds->Append();
    changed.clear();
    ds->FieldByName("NAME")->SetAsString("x");
    ds->Post();
    EXPECT_EQ(changed, (std::vector<std::string>{"NAME", "*"}));
    src.AutoEdit = false;
    src.Edit();
    EXPECT_EQ(ds->State(), dsBrowse);
}

TEST(DataSource, FieldLinksShowEditAndWriteBackBeforePost) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    TDataSource src(&o);
    src.SetDataSet(ds);
    EditControl edit(&src, "NAME");
    EXPECT_EQ(edit.link.Field(), ds->FieldByName("NAME"));
    EXPECT_EQ(edit.text, "N1");
    ds->Next();
    EXPECT_EQ(edit.text, "N2");
    edit.Type("typed");
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_EQ(edit.editingChanges, 1);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "N2");  // not written yet
    ds->Post();                                            // controls flush their text first
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "typed");
    EXPECT_FALSE(edit.link.Modified());
    edit.Type("again");
    edit.link.Reset();
    EXPECT_EQ(edit.text, "typed");
    ds->Cancel();

    // A form finds the controls bound to a field, and a field asks them for the focus.
    EXPECT_EQ(ds->BoundControls(ds->FieldByName("NAME")),
              std::vector<TComponent*>{&edit.component});
    EXPECT_TRUE(ds->BoundControls(ds->FieldByName("ID")).empty());
    ds->FieldByName("NAME")->FocusControl();
    EXPECT_EQ(edit.focused, 1);
    ds->FieldByName("ID")->FocusControl();
    EXPECT_EQ(edit.focused, 1);

    // A read-only field refuses the edit of its control.
    ds->FieldByName("NAME")->SetReadOnly(true);
    EXPECT_FALSE(edit.link.CanModify());
}

TEST(DataSource, DataSetLinksSeeScrollsAndLayout) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    TDataSource src(&o);
    src.SetDataSet(ds);
    TDataSetLink link;
    std::vector<std::string> seen;
    link.OnScroll = [&](TObject*, int d) { seen.push_back("scroll " + std::to_string(d)); };
    link.OnLayoutChange = [&](TObject*) { seen.push_back("layout"); };
    link.OnActiveChange = [&](TObject*) { seen.push_back(link.Active() ? "active" : "inactive"); };
    link.SetDataSource(&src);
    ds->MoveBy(2);
    ds->FieldByName("AMT")->SetVisible(false);
    ds->Close();
    EXPECT_EQ(seen, (std::vector<std::string>{"active", "scroll 2", "layout", "inactive"}));
}

TEST(DataSource, FieldLinksLetGoOfAFieldThatIsFreed) {
    TComponent o;
    auto* ds = new TClientDataSet(&o);
    auto* id = new TIntegerField(&o);
    id->SetFieldName("ID");
    id->SetDataSet(ds);
    auto* name = new TStringField(&o);
    name->SetFieldName("NAME");
    name->SetDataSet(ds);
    ds->CreateDataSet();
    ds->Append();
    name->SetAsString("a");
    ds->Post();
    TDataSource src(&o);
    src.SetDataSet(ds);
    EditControl edit(&src, "NAME");
    EXPECT_EQ(edit.text, "a");
    delete name;  // a form frees its fields before the open dataset
    EXPECT_EQ(edit.link.Field(), nullptr);
    EXPECT_EQ(edit.text, "");
    ds->Append();  // the control is told, and reads nothing freed
    ds->Cancel();
    EXPECT_TRUE(ds->BoundControls(id).empty());
}

TEST(DataSource, ForgetsADestroyedDataSet) {
    TComponent o;
    TDataSource src(&o);
    {
        TClientDataSet ds;
        ds.FieldDefs().Add("A", TFieldType::ftInteger);
        ds.CreateDataSet();
        src.SetDataSet(&ds);
        EXPECT_EQ(src.State(), dsBrowse);
    }
    EXPECT_EQ(src.DataSet(), nullptr);
    EXPECT_EQ(src.State(), dsInactive);
}
