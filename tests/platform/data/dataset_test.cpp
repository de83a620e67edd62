#include <gtest/gtest.h>

#include "data_fixtures.h"
#include "platform/core/exceptions.h"

using namespace plat;
using namespace datatest;

namespace {

struct Events : ::testing::Test {
    TComponent owner;
    TClientDataSet* ds = simpleDataSet(&owner, 3);
    EventLog log;
    void SetUp() override {
        ds->SetName("D");
        log.Attach(ds);
    }
};

}  // namespace

TEST_F(Events, EditPostCancelDeleteAndScrollOrders) {
    ds->Edit();
    EXPECT_EQ(log.Joined(), "D.BeforeEdit D.AfterEdit");
    log.Clear();
    ds->Edit();  // already editing: nothing
    EXPECT_EQ(log.Joined(), "");
    ds->FieldByName("NAME")->SetAsString("x");
    ds->Post();
    EXPECT_EQ(log.Joined(), "D.BeforePost D.AfterPost");
    log.Clear();
    ds->Edit();
    ds->Cancel();
    EXPECT_EQ(log.Joined(), "D.BeforeEdit D.AfterEdit D.BeforeCancel D.AfterCancel");
    log.Clear();
    ds->Next();
    EXPECT_EQ(log.Joined(), "D.BeforeScroll D.AfterScroll");
    log.Clear();
    ds->Delete();
    EXPECT_EQ(log.Joined(), "D.BeforeDelete D.BeforeScroll D.AfterDelete D.AfterScroll");
    log.Clear();
    ds->Insert();
    EXPECT_EQ(log.Joined(),
              "D.BeforeInsert D.BeforeScroll D.OnNewRecord D.AfterInsert D.AfterScroll");
    log.Clear();
    ds->Delete();  // from insert it is Cancel
    EXPECT_EQ(log.Joined(), "D.BeforeCancel D.AfterCancel");
}

TEST_F(Events, OpenAndCloseOrders) {
    ds->BeforeClose = [&](TDataSet*) { log.lines.push_back("D.BeforeClose"); };
    ds->AfterClose = [&](TDataSet*) { log.lines.push_back("D.AfterClose"); };
    auto copy = ds->Data();
    ds->Close();
    EXPECT_EQ(log.Joined(), "D.BeforeClose D.AfterClose");
    EXPECT_EQ(ds->State(), dsInactive);
    EXPECT_THROW(ds->RecordCount(), EDatabaseError);
    log.Clear();
    ds->SetData(copy);
    EXPECT_EQ(log.Joined(), "D.BeforeOpen D.AfterOpen D.AfterScroll");
    ds->BeforeOpen = [](TDataSet*) { Abort(); };
    ds->Close();
    EXPECT_THROW(ds->SetData(copy), EAbort);
    EXPECT_FALSE(ds->Active());
}

TEST_F(Events, ScrollingAwayPostsAModifiedRecordAndCancelsAnUntouchedOne) {
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("changed");
    log.Clear();
    ds->Next();
    EXPECT_EQ(log.Joined(), "D.BeforePost D.AfterPost D.BeforeScroll D.AfterScroll");
    ds->OnNewRecord = [](TDataSet* d) { d->FieldByName("NAME")->SetAsString("default"); };
    ds->Append();
    EXPECT_FALSE(ds->Modified());  // defaults do not make the record modified
    log.Clear();
    int before = ds->RecordCount();
    ds->First();
    EXPECT_EQ(log.Joined(), "D.BeforeCancel D.AfterCancel D.BeforeScroll D.AfterScroll");
    EXPECT_EQ(ds->RecordCount(), before);
    ds->First();
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "changed");
    ds->Next();
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "N2");
}

TEST_F(Events, AnAbortInABeforeEventLeavesTheDataSetAsItWas) {
    ds->BeforeEdit = [](TDataSet*) { Abort(); };
    EXPECT_THROW(ds->Edit(), EAbort);
    EXPECT_EQ(ds->State(), dsBrowse);
    ds->BeforeEdit = nullptr;
    ds->BeforeDelete = [](TDataSet*) { Abort(); };
    EXPECT_THROW(ds->Delete(), EAbort);
    EXPECT_EQ(ds->RecordCount(), 3);
    ds->BeforeScroll = [](TDataSet*) { Abort(); };
    EXPECT_THROW(ds->Next(), EAbort);
    EXPECT_EQ(ds->RecNo(), 1);
}

TEST_F(Events, AFailedPostKeepsTheRecordInEditWithItsValues) {
    ds->FieldByName("AMT")->SetRequired(true);
    ds->Append();
    ds->FieldByName("NAME")->SetAsString("kept");
    EXPECT_THROW(ds->Post(), EDatabaseError);
    EXPECT_EQ(ds->State(), dsInsert);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "kept");
    EXPECT_TRUE(ds->Modified());
    ds->BeforePost = [](TDataSet* d) {
        if (d->FieldByName("AMT")->AsFloat() < 0) Abort();
    };
    ds->FieldByName("AMT")->SetAsFloat(-1);
    EXPECT_THROW(ds->Post(), EAbort);
    EXPECT_EQ(ds->State(), dsInsert);
    ds->FieldByName("AMT")->SetAsFloat(1);
    ds->Post();
    EXPECT_EQ(ds->RecordCount(), 4);
}

TEST_F(Events, AnExceptionOrCancelInOnNewRecordCancelsTheInsert) {
    ds->Next();
    ds->OnNewRecord = [](TDataSet*) { Abort(); };
    EXPECT_THROW(ds->Insert(), EAbort);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(ds->RecNo(), 2);
    log.Clear();
    ds->OnNewRecord = [](TDataSet* d) { d->Cancel(); };
    ds->Insert();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(ds->RecordCount(), 3);
    EXPECT_EQ(log.Joined(), "D.BeforeInsert D.BeforeScroll D.BeforeCancel D.AfterCancel");
}

TEST_F(Events, EditOnAnEmptyDataSetInserts) {
    TComponent o;
    auto* e = simpleDataSet(&o);
    e->Edit();
    EXPECT_EQ(e->State(), dsInsert);
}

TEST(Navigation, BofEofRecNoAndMoveBy) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 5);
    EXPECT_TRUE(ds->Bof());
    EXPECT_FALSE(ds->Eof());
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->MoveBy(3), 3);
    EXPECT_EQ(ds->RecNo(), 4);
    EXPECT_EQ(ds->MoveBy(10), 1);
    EXPECT_TRUE(ds->Eof());
    EXPECT_EQ(ds->RecNo(), 5);
    ds->Next();
    EXPECT_EQ(ds->RecNo(), 5);
    ds->SetRecNo(2);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 2);
    EXPECT_FALSE(ds->Bof());
    ds->Prior();
    ds->Prior();
    EXPECT_TRUE(ds->Bof());
    EXPECT_EQ(ds->RecNo(), 1);
    ds->Last();
    EXPECT_TRUE(ds->Eof());
    int n = 0;
    for (ds->First(); !ds->Eof(); ds->Next()) ++n;
    EXPECT_EQ(n, 5);

    auto* empty = simpleDataSet(&o);
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_TRUE(empty->Bof() && empty->Eof());
    EXPECT_EQ(empty->RecNo(), -1);
    EXPECT_THROW(empty->Delete(), EDatabaseError);
    empty->Append();
    empty->FieldByName("ID")->SetAsInteger(1);
    empty->Post();
    EXPECT_FALSE(empty->Bof() && empty->Eof());  // browsing a record, not an empty set
    empty->Delete();
    EXPECT_TRUE(empty->Bof() && empty->Eof());
}

TEST(Navigation, InsertGoesBeforeTheCurrentRecordAndAppendAtTheEnd) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    ds->Next();
    ds->Insert();
    EXPECT_EQ(ds->RecNo(), -1);
    ds->FieldByName("ID")->SetAsInteger(10);
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 2);
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(20);
    ds->Post();
    std::vector<int> ids;
    for (ds->First(); !ds->Eof(); ds->Next()) ids.push_back(ds->FieldByName("ID")->AsInteger());
    EXPECT_EQ(ids, (std::vector<int>{1, 10, 2, 3, 20}));
    // Many inserts at one point keep their order (order keys are split, then renumbered).
    ds->SetRecNo(2);
    for (int i = 0; i < 70; ++i) {
        ds->Insert();
        ds->FieldByName("ID")->SetAsInteger(100 + i);
        ds->Post();
    }
    ds->SetRecNo(2);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 169);
    ds->SetRecNo(71);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 100);
    ds->Next();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 10);
}

TEST(Bookmarks, SurviveInsertsAndDeletesAndDieWithTheirRecord) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 5);
    ds->SetRecNo(3);
    TBookmark b3 = ds->GetBookmark();
    ds->SetRecNo(5);
    TBookmark b5 = ds->GetBookmark();
    ds->First();
    ds->Insert();
    ds->FieldByName("ID")->SetAsInteger(0);
    ds->Post();
    ds->SetRecNo(2);
    ds->Delete();  // ID 1
    EXPECT_TRUE(ds->BookmarkValid(b3));
    ds->GotoBookmark(b3);
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_EQ(ds->CompareBookmarks(b3, b5), -1);
    EXPECT_EQ(ds->CompareBookmarks(b5, b3), 1);
    ds->Delete();
    EXPECT_FALSE(ds->BookmarkValid(b3));
    EXPECT_THROW(ds->GotoBookmark(b3), EDatabaseError);
    // A new record in the freed slot does not revive the old bookmark.
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(99);
    ds->Post();
    ds->MergeChangeLog();
    EXPECT_FALSE(ds->BookmarkValid(b3));
    ds->FreeBookmark(b5);
    EXPECT_FALSE(b5.Assigned());
}

TEST(Bookmarks, DieWhenTheDataSetIsEmptied) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    TBookmark b = ds->GetBookmark();
    ds->EmptyDataSet();
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(7);
    ds->Post();
    EXPECT_FALSE(ds->BookmarkValid(b));
    EXPECT_THROW(ds->GotoBookmark(b), EDatabaseError);
}

TEST(Controls, DisableControlsNestsAndEnableSendsOneChange) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    TDataSource src(&o);
    src.SetDataSet(ds);
    int changes = 0, states = 0;
    src.OnDataChange = [&](TObject*, TField*) { ++changes; };
    src.OnStateChange = [&](TObject*) { ++states; };
    ds->DisableControls();
    ds->DisableControls();
    ds->Next();
    ds->Edit();
    ds->Cancel();
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(states, 2);  // state changes still reach the source
    ds->EnableControls();
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(ds->ControlsDisabled());
    ds->EnableControls();
    EXPECT_EQ(changes, 1);
    ds->Next();
    EXPECT_EQ(changes, 2);
}

TEST(Locate, SeveralFieldsPartialKeyAndCase) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 5);
    EXPECT_TRUE(ds->Locate("ID", 4));
    EXPECT_EQ(ds->RecNo(), 4);
    EXPECT_TRUE(ds->Locate("NAME;ID", VarArrayOf({"N2", 2})));
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_FALSE(ds->Locate("NAME;ID", VarArrayOf({"N2", 3})));
    EXPECT_EQ(ds->RecNo(), 2);
    EXPECT_FALSE(ds->Locate("NAME", "n3"));
    EXPECT_TRUE(ds->Locate("NAME", "n3", loCaseInsensitive));
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_FALSE(ds->Locate("NAME", "N"));
    EXPECT_TRUE(ds->Locate("NAME", "N", loPartialKey));
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_TRUE(ds->Locate("AMT", "4.5"));  // text compared by the field's type
    EXPECT_EQ(ds->RecNo(), 3);
    EXPECT_THROW(ds->Locate("NOPE", 1), EDatabaseError);
    EXPECT_EQ(VarToStr(ds->Lookup("ID", 5, "NAME")), "N5");
    Variant two = ds->Lookup("ID", 4, "NAME;AMT");
    EXPECT_EQ(two[1].AsFloat(), 6.0);
    EXPECT_TRUE(ds->Lookup("ID", 9, "NAME").IsNull());
    EXPECT_EQ(ds->RecNo(), 3);  // Lookup does not move
}

TEST(Locate, OnAnIndexFindsWhatAScanFinds) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 12);
    ds->SetRecNo(5);
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("5");
    ds->Post();
    struct Case {
        const char* order;
        const char* field;
        Variant key;
        TLocateOptions options;
        int id;
    };
    const Case cases[] = {
        {"byName", "NAME", "N1", loPartialKey, 1},       // ascending: the first of the range
        {"byNameDesc", "NAME", "N1", loPartialKey, 12},  // descending: the range is not a prefix
        {"byNameDesc", "NAME", "n", loPartialKey | loCaseInsensitive, 9},
        {"byName", "NAME", 5, 0, 5},  // a number sought in a text field
        {"byName", "NAME", 7.0, 0, -1},
        {"byAmt", "AMT", "4.5", 0, 3},  // a text sought in a number field
        {"byAmt", "AMT", "x", 0, -1},
    };
    ds->IndexDefs().Add("byName", "NAME", 0);
    ds->IndexDefs().Add("byNameDesc", "NAME", ixDescending);
    ds->IndexDefs().Add("byAmt", "AMT", 0);
    for (const Case& c : cases) {
        ds->SetIndexName(c.order);
        ds->First();
        bool found = ds->Locate(c.field, c.key, c.options);
        EXPECT_EQ(found, c.id > 0) << c.order << " " << VarToStr(c.key);
        if (found) {
            EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), c.id)
                << c.order << " " << VarToStr(c.key);
        }
    }
}

TEST(Indexes, AVariantFieldHoldingMixedValuesStillSorts) {
    TComponent o;
    auto* ds = new TClientDataSet(&o);
    ds->FieldDefs().Add("V", TFieldType::ftVariant);
    ds->CreateDataSet();
    ds->SetIndexFieldNames("V");
    // Numbers and numeric texts mixed: an order that contradicted itself
    // would lose rows from the index.
    for (const Variant& v :
         {Variant("b"), Variant(20), Variant("3"), Variant("a"), Variant(1), Variant("10")}) {
        ds->Append();
        ds->FieldByName("V")->SetValue(v);
        ds->Post();
    }
    std::vector<std::string> seen;
    for (ds->First(); !ds->Eof(); ds->Next()) seen.push_back(ds->FieldByName("V")->AsString());
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "20", "10", "3", "a", "b"}));
    EXPECT_TRUE(ds->Locate("V", "a"));
    ds->First();
    ds->Delete();
    ds->Last();
    ds->Edit();
    ds->FieldByName("V")->SetValue(Variant(5));
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 1);
    seen.clear();
    for (ds->First(); !ds->Eof(); ds->Next()) seen.push_back(ds->FieldByName("V")->AsString());
    EXPECT_EQ(seen, (std::vector<std::string>{"5", "20", "10", "3", "a"}));
}

TEST(Indexes, AnOrderThatCannotBeBuiltLeavesTheOneBefore) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    ds->IndexDefs().Add("byIdDesc", "ID", ixDescending);
    ds->IndexDefs().Add("broken", "ID;NOPE", 0);
    ds->SetIndexName("byIdDesc");
    EXPECT_THROW(ds->SetIndexFieldNames("NOPE"), EDatabaseError);
    EXPECT_THROW(ds->SetIndexName("broken"), EDatabaseError);
    EXPECT_EQ(ds->IndexName(), "byIdDesc");
    EXPECT_EQ(ds->IndexFieldNames(), "");
    ds->First();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 3);
    EXPECT_TRUE(ds->FindKey({1}));
    EXPECT_EQ(ds->RecNo(), 3);
}

TEST(Indexes, FieldNamesNamedIndexesDescendingAndFindKey) {
    TComponent o;
    auto* ds = simpleDataSet(&o);
    int amts[] = {5, 1, 4, 2, 3};
    for (int i = 0; i < 5; ++i) {
        ds->Append();
        ds->FieldByName("ID")->SetAsInteger(i + 1);
        ds->FieldByName("NAME")->SetAsString(
            std::string(1, (char)('a' + (i % 2) * 25 - (i % 2) * 0)));
        ds->FieldByName("AMT")->SetAsFloat(amts[i]);
        ds->Post();
    }
    auto order = [&] {
        std::vector<int> v;
        for (ds->First(); !ds->Eof(); ds->Next()) v.push_back(ds->FieldByName("AMT")->AsInteger());
        return v;
    };
    ds->SetIndexFieldNames("AMT");
    EXPECT_EQ(order(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(ds->FindKey({4.0}));
    EXPECT_EQ(ds->RecNo(), 4);
    EXPECT_FALSE(ds->FindKey({4.5}));
    EXPECT_TRUE(ds->Locate("AMT", 2));
    EXPECT_EQ(ds->RecNo(), 2);

    TIndexDef& d = ds->IndexDefs().Add("byAmtDesc", "AMT", 0);
    d.DescFields = "AMT";
    ds->SetIndexName("byAmtDesc");
    EXPECT_EQ(ds->IndexFieldNames(), "");
    EXPECT_EQ(order(), (std::vector<int>{5, 4, 3, 2, 1}));
    EXPECT_TRUE(ds->FindKey({2.0}));
    EXPECT_EQ(ds->RecNo(), 4);
    ds->IndexDefs().Add("desc2", "AMT", ixDescending);
    ds->SetIndexName("desc2");
    EXPECT_EQ(order(), (std::vector<int>{5, 4, 3, 2, 1}));
    EXPECT_THROW(ds->SetIndexName("missing"), EDatabaseError);

    // Editing the indexed field moves the record.
    ds->SetIndexFieldNames("AMT");
    ds->First();  // AMT 1
    ds->Edit();
    ds->FieldByName("AMT")->SetAsFloat(10);
    ds->Post();
    EXPECT_EQ(ds->RecNo(), 5);
    EXPECT_EQ(order(), (std::vector<int>{2, 3, 4, 5, 10}));
    ds->SetIndexFieldNames("");
    EXPECT_EQ(order(), (std::vector<int>{5, 10, 4, 2, 3}));
    EXPECT_THROW(ds->FindKey({1}), EDatabaseError);
}

TEST(Filters, ExpressionsAndOnFilterRecordKeepCountsAndRecNoRight) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 6);
    ds->SetFilter("NAME='N2' OR ID > 4");
    ds->SetFiltered(true);
    EXPECT_EQ(ds->RecordCount(), 3);
    std::vector<int> ids;
    for (ds->First(); !ds->Eof(); ds->Next()) ids.push_back(ds->FieldByName("ID")->AsInteger());
    EXPECT_EQ(ids, (std::vector<int>{2, 5, 6}));
    EXPECT_EQ(ds->RecNo(), 3);
    ds->SetFilter("ID >= 2 AND (AMT < 6 OR NAME = 'N6') AND NOT ID = 3");
    EXPECT_EQ(ds->RecordCount(), 2);
    ds->SetFilter("NAME = 'n*'");
    EXPECT_EQ(ds->RecordCount(), 0);
    ds->SetFilterOptions(foCaseInsensitive);
    EXPECT_EQ(ds->RecordCount(), 6);
    ds->SetFilterOptions(foCaseInsensitive | foNoPartialCompare);
    EXPECT_EQ(ds->RecordCount(), 0);
    ds->SetFilter("");
    ds->SetOnFilterRecord(
        [](TDataSet* d, bool& accept) { accept = d->FieldByName("ID")->AsInteger() % 2 == 0; });
    EXPECT_EQ(ds->RecordCount(), 3);
    // A posted change that fails the filter leaves the view.
    ds->First();
    ds->Edit();
    ds->FieldByName("ID")->SetAsInteger(7);
    ds->Post();
    EXPECT_EQ(ds->RecordCount(), 2);
    ds->SetFiltered(false);
    EXPECT_EQ(ds->RecordCount(), 6);
    EXPECT_THROW(ds->SetFilter("ID = "), EDatabaseError);
    EXPECT_THROW(ds->SetFilter("ID = 'x"), EDatabaseError);
}

TEST(Filters, AFilterThatCannotBeEvaluatedLeavesTheOneBefore) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 6);
    ds->SetFilter("NOPE = 1");  // not filtered yet: nothing is evaluated
    EXPECT_THROW(ds->SetFiltered(true), EDatabaseError);
    EXPECT_FALSE(ds->Filtered());
    EXPECT_EQ(ds->RecordCount(), 6);
    ds->SetFilter("ID > 4");
    ds->SetFiltered(true);
    EXPECT_THROW(ds->SetFilter("NOPE = 1"), EDatabaseError);
    EXPECT_EQ(ds->Filter(), "ID > 4");
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_THROW(ds->SetOnFilterRecord([](TDataSet*, bool&) { throw EDatabaseError("no"); }),
                 EDatabaseError);
    EXPECT_FALSE(ds->OnFilterRecord());
    EXPECT_EQ(ds->RecordCount(), 2);
    ds->Next();
    EXPECT_EQ(ds->FieldByName("ID")->AsInteger(), 6);
}

TEST(InMemory, FieldDefsEmptyDataSetAndDataCopies) {
    TComponent o;
    auto* a = simpleDataSet(&o, 3);
    a->Edit();
    a->FieldByName("NAME")->SetAsString("edited");
    a->Post();
    auto* b = new TClientDataSet(&o);
    b->SetData(a->Data());
    EXPECT_TRUE(b->Active());
    EXPECT_EQ(b->RecordCount(), 3);
    EXPECT_EQ(b->FieldByName("NAME")->AsString(), "edited");
    EXPECT_EQ(b->ChangeCount(), 1);  // the change log comes along
    EXPECT_EQ(VarToStr(b->FieldByName("NAME")->OldValue()), "N1");
    b->Edit();
    b->FieldByName("NAME")->SetAsString("only b");
    b->Post();
    EXPECT_EQ(a->FieldByName("NAME")->AsString(), "edited");  // a copy, not a share

    // A dataset whose persistent fields do not match refuses the data.
    auto* c = new TClientDataSet(&o);
    auto* f = new TStringField(&o);
    f->SetFieldName("OTHER");
    f->SetDataSet(c);
    EXPECT_THROW(c->SetData(a->Data()), EDatabaseError);
    EXPECT_FALSE(c->Active());

    a->EmptyDataSet();
    EXPECT_TRUE(a->IsEmpty());
    EXPECT_EQ(a->ChangeCount(), 0);
    EXPECT_EQ(b->RecordCount(), 3);
}

TEST(InMemory, PersistentFieldsCalculatedAndLookupFields) {
    TComponent o;
    auto* items = simpleDataSet(&o, 3);
    auto* ds = new TClientDataSet(&o);
    ds->SetName("cdsLines");
    auto* id = new TIntegerField(&o);
    id->SetFieldName("ITEMID");
    id->SetDataSet(ds);
    auto* qty = new TFloatField(&o);
    qty->SetFieldName("QTY");
    qty->SetDataSet(ds);
    auto* twice = new TFloatField(&o);
    twice->SetFieldName("TWICE");
    twice->SetFieldKind(TFieldKind::fkCalculated);
    twice->SetDataSet(ds);
    auto* itemName = new TStringField(&o);
    itemName->SetFieldName("ITEMNAME");
    itemName->SetFieldKind(TFieldKind::fkLookup);
    itemName->SetLookupDataSet(items);
    itemName->KeyFields = "ITEMID";
    itemName->LookupKeyFields = "ID";
    itemName->LookupResultField = "NAME";
    itemName->SetDataSet(ds);
    auto* total = new TAggregateField(&o);
    total->SetFieldName("TOTAL");
    total->Expression = "SUM(QTY)";
    total->SetDataSet(ds);
    int calcs = 0;
    ds->OnCalcFields = [&](TDataSet* d) {
        ++calcs;
        d->FieldByName("TWICE")->SetAsFloat(d->FieldByName("QTY")->AsFloat() * 2);
    };
    ds->CreateDataSet();
    EXPECT_EQ(ds->FieldCount(), 5);
    ds->Append();
    id->SetAsInteger(2);
    qty->SetAsFloat(3);
    EXPECT_EQ(twice->AsFloat(), 6);
    EXPECT_EQ(itemName->AsString(), "N2");
    ds->Post();
    ds->Append();
    id->SetAsInteger(3);
    qty->SetAsFloat(4);
    ds->Post();
    EXPECT_EQ(twice->AsFloat(), 8);
    EXPECT_EQ(total->AsFloat(), 7);
    EXPECT_THROW(twice->SetAsFloat(1), EDatabaseError);
    ds->First();
    EXPECT_EQ(twice->AsFloat(), 6);
    EXPECT_EQ(itemName->AsString(), "N2");
    EXPECT_GT(calcs, 0);
}

TEST(InMemory, OnCalcFieldsReadsLookupFields) {
    TComponent o;
    auto* items = simpleDataSet(&o, 3);
    auto* ds = new TClientDataSet(&o);
    auto* id = new TIntegerField(&o);
    id->SetFieldName("ITEMID");
    id->SetDataSet(ds);
    auto* itemName = new TStringField(&o);
    itemName->SetFieldName("ITEMNAME");
    itemName->SetFieldKind(TFieldKind::fkLookup);
    itemName->SetLookupDataSet(items);
    itemName->KeyFields = "ITEMID";
    itemName->LookupKeyFields = "ID";
    itemName->LookupResultField = "NAME";
    itemName->SetDataSet(ds);
    auto* caption = new TStringField(&o);
    caption->SetFieldName("CAPTION");
    caption->SetFieldKind(TFieldKind::fkCalculated);
    caption->SetDataSet(ds);
    ds->OnCalcFields = [](TDataSet* d) {
        d->FieldByName("CAPTION")->SetAsString("[" + d->FieldByName("ITEMNAME")->AsString() + "]");
    };
    ds->CreateDataSet();
    ds->Append();
    id->SetAsInteger(2);
    EXPECT_EQ(caption->AsString(), "[N2]");
    ds->Post();
    EXPECT_EQ(caption->AsString(), "[N2]");
}

// A row edited through another cursor keeps its place in an index whose key
// it did not change, moves when the key changes, and comes back with a cancel.
TEST(Clones, AnIndexFollowsKeyChangesOnly) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 4);
    auto* clone = new TClientDataSet(&o);
    clone->CloneCursor(ds);
    clone->IndexDefs().Add("desc", "ID", ixDescending);
    clone->SetIndexName("desc");
    auto ids = [&] {
        std::vector<int> out;
        for (clone->First(); !clone->Eof(); clone->Next())
            out.push_back(clone->FieldByName("ID")->AsInteger());
        return out;
    };
    ASSERT_TRUE(ds->Locate("ID", 3));
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("renamed");
    ds->Post();
    EXPECT_EQ(ids(), (std::vector<int>{4, 3, 2, 1}));
    EXPECT_TRUE(clone->Locate("ID", 3));
    EXPECT_EQ(clone->FieldByName("NAME")->AsString(), "renamed");
    ds->Edit();
    ds->FieldByName("ID")->SetAsInteger(7);
    ds->Post();
    EXPECT_EQ(ids(), (std::vector<int>{7, 4, 2, 1}));
    ds->CancelUpdates();
    EXPECT_EQ(ids(), (std::vector<int>{4, 3, 2, 1}));
    EXPECT_TRUE(clone->Locate("ID", 3));
    EXPECT_EQ(clone->FieldByName("NAME")->AsString(), "N3");
}

TEST(Clones, ShareRecordsWithTheirOwnPositionAndOrder) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 4);
    ds->SetRecNo(2);
    auto* clone = new TClientDataSet(&o);
    clone->CloneCursor(ds);
    EXPECT_EQ(clone->RecNo(), 2);
    clone->SetIndexFieldNames("AMT");
    TIndexDef& d = clone->IndexDefs().Add("desc", "ID", ixDescending);
    (void)d;
    clone->SetIndexName("desc");
    clone->First();
    EXPECT_EQ(clone->FieldByName("ID")->AsInteger(), 4);
    EXPECT_EQ(ds->RecNo(), 2);  // the source did not move
    // A record posted through one cursor is seen by the other.
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(9);
    ds->Post();
    clone->First();
    EXPECT_EQ(clone->FieldByName("ID")->AsInteger(), 9);
    EXPECT_EQ(clone->RecordCount(), 5);
    // Deleting the clone's record moves the clone on.
    clone->Last();
    EXPECT_EQ(clone->FieldByName("ID")->AsInteger(), 1);
    ds->First();
    ds->Delete();
    EXPECT_EQ(clone->RecordCount(), 4);
    EXPECT_EQ(clone->FieldByName("ID")->AsInteger(), 2);
    EXPECT_EQ(clone->ChangeCount(), ds->ChangeCount());
    // An edit in progress is not shared; its post is.
    ds->First();
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("pending");
    EXPECT_TRUE(clone->Locate("ID", 2));
    EXPECT_EQ(clone->FieldByName("NAME")->AsString(), "N2");
    ds->Post();
    EXPECT_EQ(clone->FieldByName("NAME")->AsString(), "pending");
}

TEST(Clones, ACursorsCancelKeepsWhatOtherCursorsPosted) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    auto* clone = new TClientDataSet(&o);
    clone->CloneCursor(ds);
    // The clone posts while the source edits, then the source cancels.
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("dropped");
    clone->Last();
    clone->Edit();
    clone->FieldByName("NAME")->SetAsString("by clone");
    clone->Post();
    ds->Cancel();
    // The source posts while the clone edits, then the clone cancels.
    clone->Edit();
    ds->Next();
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("by source");
    ds->Post();
    clone->Cancel();
    // A new record of the clone's cancelled while the source posts one.
    clone->Append();
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(4);
    ds->Post();
    clone->Cancel();
    std::vector<std::string> names;
    for (ds->First(); !ds->Eof(); ds->Next()) names.push_back(ds->FieldByName("NAME")->AsString());
    EXPECT_EQ(names, (std::vector<std::string>{"N1", "by source", "by clone", ""}));
    EXPECT_EQ(ds->ChangeCount(), 3);
}

TEST(Clones, ARecordRemovedThroughAnotherCursorCannotBePosted) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 3);
    ds->Append();
    ds->FieldByName("ID")->SetAsInteger(9);
    ds->Post();
    auto* clone = new TClientDataSet(&o);
    clone->CloneCursor(ds);
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("x");
    clone->Last();
    clone->Delete();    // insert + delete: the row is gone
    (void)ds->RecNo();  // the cursor looks for its record meanwhile
    EXPECT_THROW(ds->Post(), EDatabaseError);
    EXPECT_EQ(ds->State(), dsEdit);
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "x");
    ds->Cancel();
    std::vector<int> ids;
    for (ds->First(); !ds->Eof(); ds->Next()) ids.push_back(ds->FieldByName("ID")->AsInteger());
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(ds->Delta().Empty());
    // Emptying the rows waits for the other cursor's edit.
    clone->First();
    clone->Edit();
    EXPECT_THROW(ds->EmptyDataSet(), EDatabaseError);
    clone->Cancel();
    ds->EmptyDataSet();
    EXPECT_TRUE(clone->IsEmpty());
}

TEST(ControlTypes, AreKeptPerDataSet) {
    TClientDataSet ds;
    ds.ControlType = {"TH026;CheckBox;Y;N", "TH012;CustomEdit;cboTH012G"};
    EXPECT_EQ(ds.ControlType[0], "TH026;CheckBox;Y;N");
}
