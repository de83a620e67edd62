#include <gtest/gtest.h>

#include "data_fixtures.h"
#include "platform/core/exceptions.h"

using namespace plat;
using namespace datatest;

namespace {

struct ChangeLog : ::testing::Test {
    TComponent owner;
    TClientDataSet* ds = simpleDataSet(&owner, 5);

    std::vector<std::string> names() {
        std::vector<std::string> v;
        for (ds->First(); !ds->Eof(); ds->Next()) v.push_back(ds->FieldByName("NAME")->AsString());
        return v;
    }
    void setName(int recNo, const std::string& n) {
        ds->SetRecNo(recNo);
        ds->Edit();
        ds->FieldByName("NAME")->SetAsString(n);
        ds->Post();
    }
    void insertAt(int recNo, const std::string& n) {
        ds->SetRecNo(recNo);
        ds->Insert();
        ds->FieldByName("NAME")->SetAsString(n);
        ds->Post();
    }
    const std::vector<std::string> original{"N1", "N2", "N3", "N4", "N5"};
};

}  // namespace

TEST_F(ChangeLog, UpdateStatusOldValueAndModified) {
    EXPECT_FALSE(ds->Modified());
    EXPECT_EQ(ds->UpdateStatus(), TUpdateStatus::usUnmodified);
    setName(2, "x");
    EXPECT_EQ(ds->UpdateStatus(), TUpdateStatus::usModified);
    EXPECT_EQ(VarToStr(ds->FieldByName("NAME")->OldValue()), "N2");
    setName(2, "y");  // a second change keeps the value as read
    EXPECT_EQ(VarToStr(ds->FieldByName("NAME")->OldValue()), "N2");
    EXPECT_EQ(ds->ChangeCount(), 1);
    insertAt(1, "new");
    EXPECT_EQ(ds->UpdateStatus(), TUpdateStatus::usInserted);
    EXPECT_TRUE(ds->FieldByName("NAME")->OldValue().IsNull());
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("new2");
    ds->Post();
    EXPECT_EQ(ds->UpdateStatus(), TUpdateStatus::usInserted);  // insert + modify = insert
    EXPECT_EQ(ds->ChangeCount(), 2);
    ds->Delete();  // insert + delete = nothing
    EXPECT_EQ(ds->ChangeCount(), 1);
    // Posting the same values again logs nothing.
    ds->SetRecNo(3);
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("N3");
    ds->Post();
    EXPECT_EQ(ds->ChangeCount(), 1);
}

TEST_F(ChangeLog, CancelUpdatesAfterMixesOfInsertsEditsAndDeletes) {
    setName(1, "a");
    insertAt(3, "ins");
    ds->SetRecNo(5);
    ds->Delete();  // N4
    setName(2, "b");
    ds->SetRecNo(2);
    ds->Delete();  // modified then deleted: the original comes back
    ds->Append();
    ds->FieldByName("NAME")->SetAsString("app");
    ds->Post();
    EXPECT_EQ(ds->ChangeCount(), 5);
    ds->CancelUpdates();
    EXPECT_EQ(names(), original);
    EXPECT_EQ(ds->ChangeCount(), 0);
}

TEST_F(ChangeLog, SeveralDeletesThenCancelAndDoubleDelete) {
    ds->First();
    ds->Delete();
    ds->Delete();
    ds->Last();
    ds->Delete();
    EXPECT_EQ(names(), (std::vector<std::string>{"N3", "N4"}));
    EXPECT_EQ(ds->ChangeCount(), 3);
    ds->CancelUpdates();
    EXPECT_EQ(names(), original);
}

TEST_F(ChangeLog, RevertOneRecord) {
    setName(2, "x");
    setName(4, "y");
    insertAt(1, "z");
    ds->SetRecNo(3);  // N2 now
    ds->RevertRecord();
    EXPECT_EQ(ds->FieldByName("NAME")->AsString(), "N2");
    ds->First();
    ds->RevertRecord();  // the inserted record goes
    EXPECT_EQ(names(), (std::vector<std::string>{"N1", "N2", "N3", "y", "N5"}));
    EXPECT_EQ(ds->ChangeCount(), 1);
}

TEST_F(ChangeLog, MergeChangeLogMakesChangesTheNewOriginal) {
    setName(1, "a");
    ds->SetRecNo(2);
    ds->Delete();
    insertAt(1, "b");
    ds->MergeChangeLog();
    EXPECT_EQ(ds->ChangeCount(), 0);
    EXPECT_EQ(ds->UpdateStatus(), TUpdateStatus::usUnmodified);
    ds->CancelUpdates();
    EXPECT_EQ(names(), (std::vector<std::string>{"b", "a", "N3", "N4", "N5"}));
    ds->SetRecNo(2);
    EXPECT_EQ(VarToStr(ds->FieldByName("NAME")->OldValue()), "a");
}

TEST_F(ChangeLog, CancelUpdatesInEditCancelsTheEditFirst) {
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("pending");
    ds->CancelUpdates();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(names(), original);
}

TEST_F(ChangeLog, ManyChangesStayFastAndConsistent) {
    // Enough changes to force the log to compact and the order keys to renumber.
    for (int i = 0; i < 3000; ++i) {
        ds->SetRecNo(1 + i % 5);
        ds->Insert();
        ds->FieldByName("ID")->SetAsInteger(1000 + i);
        ds->Post();
        if (i % 3 == 0) ds->Delete();
    }
    EXPECT_EQ(ds->RecordCount(), 5 + 2000);
    EXPECT_EQ(ds->ChangeCount(), 2000);
    ds->CancelUpdates();
    EXPECT_EQ(names(), original);
}
