// Dataset, field and data-source properties and events reached by name, as
// the event brackets and the property routines of the module use them.
#include <gtest/gtest.h>

#include "data_fixtures.h"
#include "platform/component/properties.h"

using namespace plat;
using namespace datatest;

namespace {

struct Handlers : TComponent {
    int scrolls = 0, validations = 0;
    void cdsAfterScroll(TDataSet*) { ++scrolls; }
    void fieldValidate(TField*) { ++validations; }
};

}  // namespace

TEST(Published, DataSetEventsAreSavedClearedAndRestoredByName) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    Handlers h;
    ds->AfterScroll = TDataSetNotifyEvent(&h, &Handlers::cdsAfterScroll);
    static const char* const names[] = {"AfterEdit",    "AfterInsert",  "AfterOpen",  "AfterPost",
                                        "BeforeEdit",   "BeforeInsert", "BeforeOpen", "BeforePost",
                                        "BeforeScroll", "AfterScroll"};
    std::vector<EventHandle> saved;
    for (const char* n : names) {
        saved.push_back(GetMethodProp(ds, n));
        SetMethodProp(ds, n, EventHandle());
    }
    ds->Next();
    EXPECT_EQ(h.scrolls, 0);
    for (size_t i = 0; i < saved.size(); ++i) SetMethodProp(ds, names[i], saved[i]);
    ds->Next();
    EXPECT_EQ(h.scrolls, 1);
    EXPECT_TRUE(ds->AfterScroll.Is(&h, &Handlers::cdsAfterScroll));
    EXPECT_EQ(PropType(ds, "OnReconcileError"), TTypeKind::tkMethod);
    EXPECT_EQ(PropType(ds, "OnFilterRecord"), TTypeKind::tkMethod);
}

TEST(Published, FieldPropertiesAndEventsByName) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 1);
    TField* f = ds->FieldByName("NAME");
    Handlers h;
    SetMethodProp(f, "OnValidate", TFieldNotifyEvent(&h, &Handlers::fieldValidate).Handle());
    ds->Edit();
    f->SetAsString("x");
    EXPECT_EQ(h.validations, 1);
    EXPECT_THROW(
        SetMethodProp(f, "OnChange", TDataSetNotifyEvent(&h, &Handlers::cdsAfterScroll).Handle()),
        EPropertyError);
    ds->Cancel();

    SetOrdProp(f, "ReadOnly", 1);
    EXPECT_TRUE(f->ReadOnly());
    SetStrProp(f, "DisplayLabel", "名称");
    EXPECT_EQ(f->DisplayLabel(), "名称");
    EXPECT_EQ(GetOrdProp(f, "Size"), 10);
    EXPECT_EQ(GetEnumProp(f, "FieldKind"), "fkData");
    SetOrdProp(f, "Index", 0);
    EXPECT_EQ(ds->Fields()[0], f);
    SetStrProp(ds->FieldByName("AMT"), "DisplayFormat", "0.00");
    EXPECT_EQ(ds->FieldByName("AMT")->DisplayText(), "1.50");
}

TEST(Published, ClientDataSetAndDataSourceProperties) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 2);
    SetStrProp(ds, "IndexFieldNames", "AMT");
    EXPECT_EQ(ds->IndexFieldNames(), "AMT");
    SetStringsProp(ds, "ControlType", {"TH026;CheckBox;Y;N"});
    EXPECT_EQ(ds->ControlType.size(), 1u);
    EXPECT_EQ(GetOrdProp(ds, "PacketRecords"), -1);
    SetOrdProp(ds, "Active", 0);
    EXPECT_FALSE(ds->Active());

    TDataSource src(&o);
    SetObjectProp(&src, "DataSet", ds);
    EXPECT_EQ(src.DataSet(), ds);
    EXPECT_EQ(PropType(&src, "OnStateChange"), TTypeKind::tkMethod);
}
