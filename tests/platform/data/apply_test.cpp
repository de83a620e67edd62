// Fetching from a provider and applying the delta of a whole nested tree.
#include <gtest/gtest.h>

#include "data_fixtures.h"
#include "platform/core/exceptions.h"

using namespace plat;
using namespace datatest;

namespace {

std::vector<TPacketField> flatFields() {
    return {keyField("K", 4), PacketField("V", TFieldType::ftString, 10)};
}

std::vector<TPacketRow> flatRows(int n) {
    std::vector<TPacketRow> rows;
    for (int i = 0; i < n; ++i)
        rows.push_back({TValueRow{std::to_string(i), "v" + std::to_string(i)}, {}});
    return rows;
}

}  // namespace

TEST(Fetching, PacketsComeOnRequestAndOnDemand) {
    TMemoryProvider p("pvd", flatFields(), flatRows(7));
    TProviderList server;
    TClientDataSet ds;
    ds.SetRemoteServer(&server);
    ds.SetProviderName("PVD");
    EXPECT_THROW(ds.Open(), EDatabaseError);  // no such provider yet
    server.Add(std::shared_ptr<IProvider>(&p, [](IProvider*) {}));
    ds.PacketRecords = 3;
    ds.FetchOnDemand = false;
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_FALSE(ds.AllFetched());
    ds.Last();
    EXPECT_EQ(ds.RecordCount(), 3);
    EXPECT_EQ(ds.GetNextPacket(), 3);
    EXPECT_EQ(ds.RecNo(), 3);  // the cursor stays
    ds.Next();
    EXPECT_EQ(ds.FieldByName("K")->AsString(), "3");
    EXPECT_EQ(ds.GetNextPacket(), 1);
    EXPECT_TRUE(ds.AllFetched());
    EXPECT_EQ(ds.GetNextPacket(), 0);
    int fetches = p.FetchCount();
    EXPECT_EQ(ds.GetNextPacket(), 0);
    EXPECT_EQ(p.FetchCount(), fetches);

    ds.Close();
    ds.FetchOnDemand = true;
    ds.Open();
    int n = 0;
    for (; !ds.Eof(); ds.Next()) ++n;
    EXPECT_EQ(n, 7);
}

TEST(Fetching, DiscardingHeldRowsKeepsTheProvidersCursor) {
    TMemoryProvider p("pvd", flatFields(), flatRows(5));
    TClientDataSet ds;
    ds.SetProvider(&p);
    ds.PacketRecords = 2;
    ds.FetchOnDemand = false;
    ds.Open();
    ds.DiscardFetchedRows();
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_EQ(ds.GetNextPacket(), 2);
    ds.First();
    EXPECT_EQ(ds.FieldByName("K")->AsString(), "2");
}

TEST(Fetching, TheDataRequestReachesTheProviderBeforeTheOpen) {
    TMemoryProvider p("pvd", flatFields(), flatRows(3));
    p.OnDataRequest = [&](const Variant& v) {
        p.Rows().resize(1);
        return Variant("ok");
    };
    TClientDataSet ds;
    ds.SetProvider(&p);
    EXPECT_EQ(VarToStr(ds.DataRequest(VarArrayOf({"TH001='A'", 2}))), "ok");
    EXPECT_EQ(p.LastRequest()[0].AsString(), "TH001='A'");
    ds.Open();
    EXPECT_EQ(ds.RecordCount(), 1);
}

TEST(Apply, OneDeltaOfTheWholeTreeThenAnEmptyLog) {
    Document doc;
    doc.Open();
    doc.main->Edit();
    doc.main->FieldByName("NAME")->SetAsString("renamed");
    doc.body->Append();
    doc.body->FieldByName("H")->SetAsString("A");
    doc.body->FieldByName("LN")->SetAsString("0003");
    doc.body->FieldByName("QTY")->SetAsFloat(9);
    doc.foot->Append();
    doc.foot->FieldByName("H")->SetAsString("A");
    doc.foot->FieldByName("LN")->SetAsString("0003");
    doc.foot->FieldByName("SN")->SetAsString("S3");
    // ApplyUpdates posts what is being edited first.
    EXPECT_EQ(doc.body->ApplyUpdates(0), 0);
    EXPECT_EQ(doc.provider->ApplyCount(), 1);
    EXPECT_EQ(doc.main->State(), dsBrowse);
    EXPECT_EQ(doc.main->ChangeCount(), 0);
    const TPacketRow& a = doc.provider->Rows()[0];
    EXPECT_EQ(a.values[1].AsString(), "renamed");
    ASSERT_EQ(a.details[0].size(), 3u);
    EXPECT_EQ(a.details[0][2].values[1].AsString(), "0003");
    ASSERT_EQ(a.details[0][2].details[0].size(), 1u);
    EXPECT_EQ(a.details[0][2].details[0][0].values[2].AsString(), "S3");
    EXPECT_EQ(doc.main->ApplyUpdates(0), 0);  // nothing left to send
    EXPECT_EQ(doc.provider->ApplyCount(), 1);
}

TEST(Apply, ServerAssignedValuesAreWrittenBackWithoutBeingLogged) {
    Document doc;
    doc.Open();
    doc.provider->OnApplyRow = [](const TDeltaRow& d, int level,
                                  std::vector<TAssignedValue>& assigned) {
        if (level == 0 && d.status == TUpdateStatus::usInserted)
            assigned.push_back({1, Variant("numbered")});
        return std::string();
    };
    doc.main->Append();
    doc.main->FieldByName("H")->SetAsString("C");
    doc.main->Post();
    EXPECT_EQ(doc.main->ApplyUpdates(0), 0);
    EXPECT_EQ(doc.main->FieldByName("NAME")->AsString(), "numbered");
    EXPECT_EQ(doc.main->ChangeCount(), 0);
    EXPECT_EQ(doc.main->UpdateStatus(), TUpdateStatus::usUnmodified);
}

TEST(Apply, RefusedRowsGoThroughTheHandlerOfTheirLevel) {
    Document doc;
    doc.Open();
    // Someone else changed line A/0002 since it was read.
    doc.provider->Rows()[0].details[0][1].values = TValueRow{"A", "0002", "Y", 99.0, Variant()};
    doc.body->Last();
    doc.body->Edit();
    doc.body->FieldByName("QTY")->SetAsFloat(5);
    doc.main->Edit();
    doc.main->FieldByName("NAME")->SetAsString("kept?");
    doc.main->Post();

    struct Seen {
        std::string who, message;
        TUpdateKind kind;
        Variant oldQty, newQty, curQty;
    };
    std::vector<Seen> seen;
    doc.body->OnReconcileError = [&](TClientDataSet* ds, EReconcileError& e, TUpdateKind kind,
                                     TReconcileAction& action) {
        TField* q = ds->FieldByName("QTY");
        seen.push_back(
            {ds->Name(), e.Message(), kind, q->OldValue(), q->NewValue(), q->CurValue()});
        EXPECT_EQ(action, TReconcileAction::raSkip);
    };
    int mainCalls = 0;
    doc.main->OnReconcileError = [&](TClientDataSet*, EReconcileError&, TUpdateKind,
                                     TReconcileAction&) { ++mainCalls; };

    EXPECT_EQ(doc.main->ApplyUpdates(0), 1);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].who, "cdsBody1");
    EXPECT_EQ(seen[0].message, "Record not found or changed by another user");
    EXPECT_EQ(seen[0].kind, TUpdateKind::ukModify);
    EXPECT_EQ(seen[0].oldQty.AsFloat(), 2);
    EXPECT_EQ(seen[0].newQty.AsFloat(), 5);
    EXPECT_EQ(seen[0].curQty.AsFloat(), 99);
    EXPECT_EQ(mainCalls, 0);
    // All or nothing: the header's change was not stored either and stays pending.
    EXPECT_EQ(doc.provider->Rows()[0].values[1].AsString(), "alpha");
    EXPECT_EQ(doc.main->ChangeCount(), 2);
}

TEST(Apply, ReconcileActions) {
    struct Case {
        TReconcileAction action;
        double qtyAfter;
        int changesAfter;
    };
    for (Case c :
         {Case{TReconcileAction::raSkip, 5, 1}, Case{TReconcileAction::raCancel, 2, 0},
          Case{TReconcileAction::raRefresh, 99, 0}, Case{TReconcileAction::raCorrect, 7, 1},
          Case{TReconcileAction::raMerge, 5, 1}}) {
        Document doc;
        doc.Open();
        doc.provider->Rows()[0].details[0][1].values =
            TValueRow{"A", "0002", "other", 99.0, Variant()};
        doc.body->Last();
        doc.body->Edit();
        doc.body->FieldByName("QTY")->SetAsFloat(5);
        doc.body->Post();
        doc.body->OnReconcileError = [&](TClientDataSet* ds, EReconcileError&, TUpdateKind,
                                         TReconcileAction& a) {
            if (c.action == TReconcileAction::raCorrect) ds->FieldByName("QTY")->SetNewValue(7);
            a = c.action;
        };
        EXPECT_EQ(doc.main->ApplyUpdates(0), 1);
        doc.body->Last();
        EXPECT_EQ(doc.body->FieldByName("QTY")->AsFloat(), c.qtyAfter) << (int)c.action;
        EXPECT_EQ(doc.main->ChangeCount(), c.changesAfter) << (int)c.action;
        if (c.action == TReconcileAction::raMerge) {
            // The server's other values are taken; the next apply goes through.
            EXPECT_EQ(doc.body->FieldByName("ITEM")->AsString(), "other");
            EXPECT_EQ(doc.main->ApplyUpdates(0), 0);
            EXPECT_EQ(doc.provider->Rows()[0].details[0][1].values[3].AsFloat(), 5);
        }
    }
}

TEST(Apply, WithMaxErrorsMinusOneTheRestIsStoredAndOnlyRefusedRowsStay) {
    Document doc;
    doc.Open();
    doc.provider->OnApplyRow = [](const TDeltaRow& d, int level, std::vector<TAssignedValue>&) {
        return level == 1 && d.newValues[2].AsString() == "refuse" ? std::string("no")
                                                                   : std::string();
    };
    doc.main->Edit();
    doc.main->FieldByName("NAME")->SetAsString("stored");
    doc.body->Edit();
    doc.body->FieldByName("ITEM")->SetAsString("refuse");
    doc.main->Post();
    EXPECT_EQ(doc.main->ApplyUpdates(-1), 1);
    EXPECT_EQ(doc.provider->Rows()[0].values[1].AsString(), "stored");
    EXPECT_EQ(doc.main->ChangeCount(), 1);
    EXPECT_EQ(doc.body->UpdateStatus(), TUpdateStatus::usModified);
    EXPECT_EQ(doc.main->UpdateStatus(), TUpdateStatus::usUnmodified);
}

TEST(Apply, TheChangesBelowARefusedRowStayPending) {
    Document doc;
    doc.Open();
    // Someone else changed header A since it was read.
    doc.provider->Rows()[0].values = TValueRow{"A", "other", 0.0, Variant()};
    doc.main->Edit();
    doc.main->FieldByName("NAME")->SetAsString("mine");
    doc.body->Edit();
    doc.body->FieldByName("QTY")->SetAsFloat(42);
    doc.foot->Delete();
    doc.main->Post();
    EXPECT_EQ(doc.main->ChangeCount(), 3);
    EXPECT_EQ(doc.main->ApplyUpdates(-1), 1);
    // The line and the serial never reached the provider: their changes stay.
    EXPECT_EQ(doc.provider->Rows()[0].details[0][0].values[3].AsFloat(), 1);
    EXPECT_EQ(doc.provider->Rows()[0].details[0][0].details[0].size(), 2u);
    EXPECT_EQ(doc.main->ChangeCount(), 3);
    EXPECT_EQ(doc.body->UpdateStatus(), TUpdateStatus::usModified);
}

TEST(Apply, TheDeletesBelowARefusedDeleteAreApplied) {
    Document doc;
    doc.Open();
    doc.provider->Rows()[0].values = TValueRow{"A", "other", 0.0, Variant()};
    doc.main->Delete();
    EXPECT_EQ(doc.main->ApplyUpdates(-1), 1);
    // The lines and serials went before the header was refused.
    EXPECT_TRUE(doc.provider->Rows()[0].details[0].empty());
    EXPECT_EQ(doc.main->ChangeCount(), 1);
    doc.main->CancelUpdates();
    doc.main->First();
    EXPECT_EQ(doc.main->FieldByName("H")->AsString(), "A");
    EXPECT_TRUE(doc.body->IsEmpty());
}

TEST(Apply, WithoutAProviderApplyRaises) {
    TComponent o;
    auto* ds = simpleDataSet(&o, 1);
    ds->Edit();
    ds->FieldByName("NAME")->SetAsString("x");
    EXPECT_THROW(ds->ApplyUpdates(0), EDatabaseError);
}
