// The nested rules, black-box: header → lines → serial numbers.
#include <gtest/gtest.h>

#include "data_fixtures.h"
#include "platform/core/exceptions.h"

using namespace plat;
using namespace datatest;

namespace {

struct Nested : ::testing::Test {
    Document doc;
    TClientDataSet* main = doc.main;
    TClientDataSet* body = doc.body;
    TClientDataSet* foot = doc.foot;
    void SetUp() override { doc.Open(); }

    std::vector<std::string> column(TDataSet* ds, const char* field) {
        std::vector<std::string> out;
        TBookmark b = ds->GetBookmark();
        for (ds->First(); !ds->Eof(); ds->Next()) out.push_back(ds->FieldByName(field)->AsString());
        if (b.Assigned() && ds->BookmarkValid(b)) ds->GotoBookmark(b);
        return out;
    }
    void addLine(const std::string& ln, const std::string& item, double qty) {
        body->Append();
        body->FieldByName("H")->SetAsString(main->FieldByName("H")->AsString());
        body->FieldByName("LN")->SetAsString(ln);
        body->FieldByName("ITEM")->SetAsString(item);
        body->FieldByName("QTY")->SetAsFloat(qty);
        body->Post();
    }
};

}  // namespace

TEST_F(Nested, DetailsShowTheRowsOfTheCurrentMasterAndFollowItsScrolling) {
    EXPECT_EQ(column(body, "LN"), (std::vector<std::string>{"0001", "0002"}));
    EXPECT_EQ(column(foot, "SN"), (std::vector<std::string>{"S1", "S2"}));
    body->Next();
    EXPECT_TRUE(foot->IsEmpty());
    int lineScrolls = 0;
    body->AfterScroll = [&](TDataSet*) { ++lineScrolls; };
    main->Next();
    EXPECT_EQ(lineScrolls, 1);  // the line rules run for the new master's first line
    EXPECT_EQ(column(body, "ITEM"), (std::vector<std::string>{"Z"}));
    EXPECT_EQ(body->RecNo(), 1);
    EXPECT_EQ(body->RecordCount(), 1);
    EXPECT_TRUE(foot->IsEmpty());
    main->First();
    EXPECT_EQ(body->RecordCount(), 2);
    EXPECT_EQ(foot->RecordCount(), 2);
}

TEST_F(Nested, AChangeInADetailFirstPutsItsMastersIntoEdit) {
    EventLog log;
    log.Attach(main);
    log.Attach(body);
    log.Attach(foot);
    foot->Edit();
    EXPECT_EQ(main->State(), dsEdit);
    EXPECT_EQ(body->State(), dsEdit);
    EXPECT_EQ(foot->State(), dsEdit);
    EXPECT_EQ(log.Joined(),
              "cdsFoot.BeforeEdit cdsBody1.BeforeEdit cdsMain.BeforeEdit cdsMain.AfterEdit "
              "cdsBody1.AfterEdit cdsFoot.AfterEdit");
    foot->FieldByName("SN")->SetAsString("S1x");
    log.Clear();
    main->Post();  // posts the open detail edits first
    EXPECT_EQ(log.Joined(),
              "cdsFoot.BeforePost cdsFoot.AfterPost cdsBody1.BeforePost cdsBody1.AfterPost "
              "cdsMain.BeforePost cdsMain.AfterPost");
    EXPECT_EQ(foot->State(), dsBrowse);
    EXPECT_EQ(column(foot, "SN"), (std::vector<std::string>{"S1x", "S2"}));
}

TEST_F(Nested, TheMastersCancelDiscardsDetailChangesMadeSinceItEnteredEdit) {
    // A change made and kept before the master's edit survives its cancel.
    body->Next();
    body->Edit();
    body->FieldByName("QTY")->SetAsFloat(20);
    body->Post();
    main->Post();
    EXPECT_EQ(main->State(), dsBrowse);

    main->Edit();
    main->FieldByName("NAME")->SetAsString("renamed");
    body->First();
    body->Edit();
    body->FieldByName("QTY")->SetAsFloat(10);
    body->Post();
    addLine("0003", "W", 3);
    foot->Append();
    foot->FieldByName("SN")->SetAsString("S9");
    foot->Post();
    body->First();
    body->Delete();
    EXPECT_EQ(body->RecordCount(), 2);
    EXPECT_EQ(main->State(), dsEdit);
    EXPECT_TRUE(main->Modified());

    main->Cancel();
    EXPECT_EQ(main->FieldByName("NAME")->AsString(), "alpha");
    EXPECT_EQ(column(body, "LN"), (std::vector<std::string>{"0001", "0002"}));
    EXPECT_EQ(column(body, "QTY"), (std::vector<std::string>{"1", "20"}));
    body->First();
    EXPECT_EQ(column(foot, "SN"), (std::vector<std::string>{"S1", "S2"}));
    EXPECT_EQ(main->ChangeCount(), 1);  // only the kept change of line 0002
    EXPECT_EQ(body->UpdateStatus(), TUpdateStatus::usUnmodified);
}

TEST_F(Nested, TheMastersPostKeepsDetailChanges) {
    main->Edit();
    addLine("0003", "W", 3);
    main->Post();
    EXPECT_EQ(body->RecordCount(), 3);
    main->Next();
    main->First();
    EXPECT_EQ(column(body, "LN"), (std::vector<std::string>{"0001", "0002", "0003"}));
}

TEST_F(Nested, ALineCancelRollsBackItsSerialChangesOnly) {
    body->Edit();
    body->FieldByName("ITEM")->SetAsString("changed");
    foot->Append();
    foot->FieldByName("SN")->SetAsString("S3");
    foot->Post();
    EXPECT_EQ(foot->RecordCount(), 3);
    body->Cancel();
    EXPECT_EQ(body->FieldByName("ITEM")->AsString(), "X");
    EXPECT_EQ(foot->RecordCount(), 2);
    EXPECT_EQ(main->State(), dsEdit);  // the master stays in edit
    main->Cancel();
    EXPECT_EQ(main->ChangeCount(), 0);
}

TEST_F(Nested, ANewHeaderTakesLinesBeforeItIsPostedAndItsCancelDropsThem) {
    main->Append();
    main->FieldByName("H")->SetAsString("C");
    EXPECT_TRUE(body->IsEmpty());
    addLine("0001", "Q", 1);
    foot->Append();
    foot->FieldByName("SN")->SetAsString("C-1");
    foot->Post();
    EXPECT_EQ(body->RecordCount(), 1);
    EXPECT_EQ(main->State(), dsInsert);
    main->Cancel();
    EXPECT_EQ(main->RecordCount(), 2);
    EXPECT_EQ(main->ChangeCount(), 0);

    main->Append();
    main->FieldByName("H")->SetAsString("C");
    addLine("0001", "Q", 1);
    main->Post();
    EXPECT_EQ(main->RecordCount(), 3);
    EXPECT_EQ(body->RecordCount(), 1);
    EXPECT_EQ(main->ChangeCount(), 2);
    EXPECT_EQ(main->UpdateStatus(), TUpdateStatus::usInserted);
    EXPECT_EQ(body->UpdateStatus(), TUpdateStatus::usInserted);
}

TEST_F(Nested, AnUntouchedNewLineIsCancelledWhenTheMasterPosts) {
    body->OnNewRecord = [](TDataSet* d) { d->FieldByName("ITEM")->SetAsString("default"); };
    body->Append();
    main->Post();
    EXPECT_EQ(body->RecordCount(), 2);
    EXPECT_EQ(main->ChangeCount(), 0);
}

TEST_F(Nested, DeletingAMasterDeletesItsDetailsAndCancelUpdatesBringsThemBack) {
    main->Delete();
    EXPECT_EQ(main->RecordCount(), 1);
    EXPECT_EQ(main->FieldByName("H")->AsString(), "B");
    EXPECT_EQ(main->ChangeCount(), 5);  // header, two lines, two serials
    TDelta d = main->Delta();
    ASSERT_EQ(d.rows.size(), 1u);
    EXPECT_EQ(d.rows[0].status, TUpdateStatus::usDeleted);
    ASSERT_EQ(d.rows[0].details[0].size(), 2u);
    EXPECT_EQ(d.rows[0].details[0][0].details[0].size(), 2u);
    main->CancelUpdates();
    EXPECT_EQ(main->RecordCount(), 2);
    main->First();
    EXPECT_EQ(column(body, "LN"), (std::vector<std::string>{"0001", "0002"}));
    EXPECT_EQ(column(foot, "SN"), (std::vector<std::string>{"S1", "S2"}));
    EXPECT_EQ(main->ChangeCount(), 0);
}

TEST_F(Nested, ChangesRollUpAndTheDeltaCarriesUnchangedAncestors) {
    body->First();
    foot->Last();
    foot->Edit();
    foot->FieldByName("SN")->SetAsString("S2x");
    foot->Post();
    main->Post();
    main->Next();
    body->Edit();
    body->FieldByName("QTY")->SetAsFloat(33);
    main->Post();
    EXPECT_EQ(main->ChangeCount(), 2);
    EXPECT_EQ(body->ChangeCount(), 2);  // this level and the one below
    EXPECT_EQ(foot->ChangeCount(), 1);
    EXPECT_TRUE(main->UpdateStatus() == TUpdateStatus::usUnmodified);

    TDelta d = main->Delta();
    ASSERT_EQ(d.rows.size(), 2u);
    const TDeltaRow& a = d.rows[0];
    EXPECT_EQ(a.status, TUpdateStatus::usUnmodified);
    EXPECT_EQ(a.oldValues[0].AsString(), "A");
    ASSERT_EQ(a.details[0].size(), 1u);
    const TDeltaRow& line = a.details[0][0];
    EXPECT_EQ(line.status, TUpdateStatus::usUnmodified);
    EXPECT_EQ(line.oldValues[1].AsString(), "0001");
    ASSERT_EQ(line.details[0].size(), 1u);
    const TDeltaRow& serial = line.details[0][0];
    EXPECT_EQ(serial.status, TUpdateStatus::usModified);
    EXPECT_EQ(serial.oldValues[2].AsString(), "S2");
    EXPECT_EQ(serial.newValues[2].AsString(), "S2x");
    EXPECT_EQ(serial.changed, (std::vector<bool>{false, false, true}));
    const TDeltaRow& b = d.rows[1];
    EXPECT_EQ(b.details[0][0].status, TUpdateStatus::usModified);
    EXPECT_EQ(b.details[0][0].changed, (std::vector<bool>{false, false, false, true, false}));
}

TEST_F(Nested, CancelUpdatesOnALevelRevertsThatLevelAndBelow) {
    main->Edit();
    main->FieldByName("NAME")->SetAsString("x");
    body->Edit();
    body->FieldByName("QTY")->SetAsFloat(5);
    foot->Delete();
    main->Post();
    EXPECT_EQ(main->ChangeCount(), 3);
    body->CancelUpdates();
    EXPECT_EQ(main->ChangeCount(), 1);
    EXPECT_EQ(main->FieldByName("NAME")->AsString(), "x");
    EXPECT_EQ(body->FieldByName("QTY")->AsFloat(), 1);
    EXPECT_EQ(foot->RecordCount(), 2);
}

TEST_F(Nested, RowsDeletedWithTheirMasterComeBackOnlyWithIt) {
    main->Delete();         // A with its lines and serials
    body->CancelUpdates();  // B's lines have nothing to cancel; A's stay deleted
    EXPECT_EQ(main->ChangeCount(), 5);
    EXPECT_EQ(main->ApplyUpdates(0), 0);
    EXPECT_EQ(doc.provider->Rows().size(), 1u);
    // A new header never shows rows of the one deleted before it.
    main->Append();
    main->FieldByName("H")->SetAsString("C");
    EXPECT_TRUE(body->IsEmpty());
    main->Post();
    EXPECT_TRUE(body->IsEmpty());
    EXPECT_EQ(main->ChangeCount(), 1);
}

TEST_F(Nested, ABookmarkOfALineTheMastersCancelRemovedStaysDead) {
    main->Edit();
    addLine("0009", "N", 1);
    TBookmark b = body->GetBookmark();
    EXPECT_TRUE(body->BookmarkValid(b));
    main->Cancel();
    EXPECT_FALSE(body->BookmarkValid(b));
    main->Edit();
    addLine("0010", "M", 1);
    EXPECT_FALSE(body->BookmarkValid(b));
}

TEST_F(Nested, EmptyingADetailDeletesTheRowsOfItsMasterOnly) {
    body->EmptyDataSet();
    EXPECT_TRUE(body->IsEmpty());
    EXPECT_EQ(main->State(), dsEdit);
    main->Post();
    EXPECT_EQ(main->ChangeCount(), 4);  // two lines and two serials
    main->Next();
    EXPECT_EQ(body->RecordCount(), 1);
    main->CancelUpdates();
    main->First();
    EXPECT_EQ(body->RecordCount(), 2);
}

TEST_F(Nested, ClonesOfALevelFollowTheSameMasterAndReachNestedRows) {
    TClientDataSet clone;
    clone.CloneCursor(body);
    EXPECT_EQ(clone.RecordCount(), 2);
    // Every line's serial rows through the clone's own nested field.
    auto* nested = static_cast<TDataSetField*>(clone.FieldByName("qryFoot"))->NestedDataSet();
    std::vector<int> counts;
    for (clone.First(); !clone.Eof(); clone.Next()) counts.push_back(nested->RecordCount());
    EXPECT_EQ(counts, (std::vector<int>{2, 0}));
    EXPECT_EQ(body->RecNo(), 1);
    main->Next();
    EXPECT_EQ(clone.RecordCount(), 1);
}

TEST_F(Nested, ClosingAndReopeningTheMasterReopensItsDetails) {
    main->Close();
    EXPECT_FALSE(body->Active());
    EXPECT_FALSE(foot->Active());
    main->Open();
    EXPECT_TRUE(body->Active());
    EXPECT_TRUE(foot->Active());
    EXPECT_EQ(body->RecordCount(), 2);
    EXPECT_EQ(foot->RecordCount(), 2);
}

TEST(NestedOpen, ADetailCannotOpenWithoutItsMaster) {
    Document doc;
    doc.main->Open();
    doc.body->SetDataSetField(static_cast<TDataSetField*>(doc.main->FieldByName("qryBody")));
    doc.main->Close();
    EXPECT_THROW(doc.body->Open(), EDatabaseError);
}

TEST(NestedLifetime, DestroyingTheMasterFirstClosesAndUnbindsItsDetails) {
    Document doc;
    doc.Open();
    TClientDataSet clone;
    clone.CloneCursor(doc.body);
    delete doc.main;
    EXPECT_FALSE(doc.body->Active());
    EXPECT_EQ(doc.body->DataSetField(), nullptr);
    EXPECT_FALSE(clone.Active());
    EXPECT_FALSE(doc.foot->Active());
}

// The store's sums follow every way a line can change, master cancel included.
TEST_F(Nested, RangeSumsFollowPostsDeletesAndCancels) {
    TField* qty = body->FieldByName("QTY");
    auto sum = [&] { return (*body->RangeSums({qty}, false))[0]; };
    EXPECT_EQ(sum(), 3.0);
    addLine("0003", "W", 0.1);
    addLine("0004", "V", 0.2);
    EXPECT_EQ(sum(), 3.3);  // exactly, not 3.3000000000000003
    body->First();
    body->Edit();
    qty->SetAsFloat(-7.25);
    body->Post();
    EXPECT_EQ(sum(), -4.95);
    body->Delete();
    EXPECT_EQ((*body->RangeSums({qty}, true))[0], 2.0);  // 2 + 0 + 0
    main->Cancel();                                      // rolls the lines back with the header
    EXPECT_EQ(sum(), 3.0);
    main->Next();
    EXPECT_EQ(sum(), 3.0);  // header B's own line
    addLine("0002", "Q", 1.5);
    main->CancelUpdates();
    main->First();
    EXPECT_EQ(sum(), 3.0);
    main->Next();
    EXPECT_EQ(sum(), 3.0);
}
