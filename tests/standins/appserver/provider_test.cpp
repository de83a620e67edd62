#include <map>

#include "delta_fixture.h"
#include "server_fixture.h"

using namespace standin;
using namespace standin::testing;

class ProviderTest : public ServerTest {
  protected:
    plat::IProvider& Main(AppSession& s) { return *s.FindProvider("pvdMain"); }
    plat::TDataPacket Open(AppSession& s, const std::string& condition,
                           const std::string& order = "") {
        Main(s).DataRequest(Arr({condition, order}));
        plat::TFetchRequest all;
        return Main(s).GetRecords(all);
    }
    const TPacketRow* Find(const plat::TDataPacket& p, const std::string& number) {
        for (auto& r : p.rows)
            if (Value(p.fields, r, "TH002").AsString() == number) return &r;
        return nullptr;
    }
};

TEST_F(ProviderTest, ReceiptsComeNestedWithDerivedColumns) {
    plat::TDataPacket p = Open(*session, "");
    ASSERT_EQ(p.rows.size(), 5u);
    EXPECT_EQ(session->Call("GetRecCount").AsInteger(), 5);
    const auto& hf = p.fields;
    const auto& lf = hf[(size_t)Field(hf, "qryBody")].fields;
    const auto& sf = lf[(size_t)Field(lf, "qryFoot")].fields;
    EXPECT_TRUE(hf[(size_t)Field(hf, "TH001")].inKey);
    EXPECT_FALSE(hf[(size_t)Field(hf, "TH001C")].inUpdate);
    EXPECT_EQ(hf[(size_t)Field(hf, "TH010")].size, 255);

    const TPacketRow* r = Find(p, "20240118001");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(Value(hf, *r, "TH001C").AsString(), "委外进货单");
    EXPECT_EQ(Value(hf, *r, "TH005C").AsString(), "捷创电子");
    EXPECT_EQ(Value(hf, *r, "TH004C").AsString(), "苏州工厂");
    EXPECT_EQ(Value(hf, *r, "TH045C").AsString(), "新能源控制器项目");
    ASSERT_EQ(r->details.size(), 1u);
    ASSERT_EQ(r->details[0].size(), 1u);
    const TPacketRow& line = r->details[0][0];
    EXPECT_EQ(Value(lf, line, "TI009C").AsString(), "成品仓");
    EXPECT_EQ(Value(lf, line, "TI004MB454").AsString(), "Y");
    EXPECT_EQ(Value(lf, line, "TI014C2").AsString(), "20240102001");
    EXPECT_EQ(Value(lf, line, "TI004_OLD").AsString(), "B2001");
    ASSERT_EQ(line.details[0].size(), 4u);
    EXPECT_EQ(Value(sf, line.details[0][3], "MB006").AsString(), "B");
    EXPECT_EQ(Value(sf, line.details[0][0], "CHECKED").AsString(), "N");

    r = Find(p, "20240112001");
    EXPECT_DOUBLE_EQ(Value(hf, *r, "TH027C").AsFloat(), 1000);  // 884.96 + 115.04
}

// Derived line columns that only repeat a stored column hold its value as
// stored, of whatever kind (a text, a number, NULL).
TEST_F(ProviderTest, RepeatedLineColumnsHoldTheStoredValues) {
    server->Db().Exec(
        "UPDATE MOCTI SET TI010 = NULL, TI007 = 12345678901 WHERE TI002 = '20240118001'");
    plat::TDataPacket p = Open(*session, "");
    const auto& hf = p.fields;
    const auto& lf = hf[(size_t)Field(hf, "qryBody")].fields;
    const std::pair<const char*, const char*> repeats[] = {{"TI004_OLD", "TI004"},
                                                           {"TI004C12", "TI004"},
                                                           {"TI010_OLD", "TI010"},
                                                           {"TI007C", "TI007"},
                                                           {"TI016C", "TI016"}};
    int lines = 0;
    for (const TPacketRow& r : p.rows)
        for (const TPacketRow& line : r.details[0]) {
            ++lines;
            for (auto [copy, stored] : repeats) {
                Variant a = Value(lf, line, copy), b = Value(lf, line, stored);
                EXPECT_TRUE(a.Type() == b.Type() && a == b) << copy;
            }
        }
    EXPECT_EQ(lines, Sql("SELECT COUNT(*) FROM MOCTI").AsInteger());
    const TPacketRow& line = Find(p, "20240118001")->details[0][0];
    EXPECT_TRUE(Value(lf, line, "TI010_OLD").IsNull());
    EXPECT_EQ(Value(lf, line, "TI007C").AsInt64(), 12345678901LL);
}

TEST_F(ProviderTest, PacketsConditionsOrderAndTopRows) {
    Main(*session).DataRequest(Arr({"MOCTH.TH023 <> 'V'", "MOCTH.TH002 desc"}));
    plat::TFetchRequest first;
    first.count = 3;
    plat::TDataPacket p = Main(*session).GetRecords(first);
    ASSERT_EQ(p.rows.size(), 3u);
    EXPECT_FALSE(p.endOfData);
    EXPECT_EQ(Value(p.fields, p.rows[0], "TH002").AsString(), "20240205001");
    plat::TFetchRequest next;
    next.restart = false;
    next.metadata = false;
    p = Main(*session).GetRecords(next);
    EXPECT_EQ(p.rows.size(), 1u);
    EXPECT_TRUE(p.endOfData);
    EXPECT_TRUE(p.fields.empty());

    // A body condition of the query dialog, with the database prefix.
    p = Open(*session,
             "(MOCTH.TH005 = 'S001') and  ( select count(*) FROM DEMO..MOCTI MOCTI where  "
             "(MOCTH.TH001=MOCTI.TI001) and  (MOCTH.TH002=MOCTI.TI002) and  ( MOCTI.TI004 = "
             "'A1001-01' ) ) > 0 ");
    EXPECT_EQ(p.rows.size(), 2u);

    session->Call("SetTopRow", 2);
    p = Open(*session, "All");
    EXPECT_EQ(p.rows.size(), 2u);
    EXPECT_EQ(session->Call("GetRecCount").AsInteger(), 2);

    // Another session keeps its own limit and count.
    auto other = server->NewSession();
    Connect(*other, "DS");
    EXPECT_EQ(Open(*other, "").rows.size(), 5u);
    EXPECT_EQ(session->Call("GetRecCount").AsInteger(), 2);
}

TEST_F(ProviderTest, UntilALimitIsSetAQueryGivesAtMostTheDefaultRecordLimit) {
    server->Db().Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) "
        "INSERT INTO MOCTH (TH001, TH002) SELECT '5903', printf('2025%07d', i) FROM n");
    auto fresh = server->NewSession();
    Connect(*fresh, "DS");
    EXPECT_EQ(Open(*fresh, "").rows.size(), 500u);
    fresh->Call("SetTopRow", 0);
    EXPECT_EQ(Open(*fresh, "").rows.size(), 605u);
}

TEST_F(ProviderTest, AQueryWithoutARecordLimitComesInPacketsBeyondTheReplyLimit) {
    server->Db().Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12000) "
        "INSERT INTO MOCTH (TH001, TH002, TH005) SELECT '5903', printf('2025%07d', i), 'S001' "
        "FROM n");
    // The whole list is far above what one reply may hold.
    server->SetReplyByteLimit(1 << 20);
    session->Call("SetTopRow", 0);
    Main(*session).DataRequest(Arr({"MOCTH.TH001 = '5903'", "TH005C, MOCTH.TH002 desc"}));
    plat::TFetchRequest first;
    first.count = 20;
    plat::TDataPacket p = Main(*session).GetRecords(first);
    ASSERT_EQ(p.rows.size(), 20u);
    const std::vector<TPacketField> fields = p.fields;
    EXPECT_EQ(session->Call("GetRecCount").AsInteger(), 12000);
    EXPECT_EQ(Value(p.fields, p.rows[0], "TH002").AsString(), "20250012000");
    EXPECT_FALSE(Value(p.fields, p.rows[0], "TH005C").AsString().empty());
    // A receipt deleted after the query is left out, not sent empty.
    server->Db().Exec("DELETE FROM MOCTH WHERE TH001 = '5903' AND TH002 = '20250011000'");
    plat::TFetchRequest next;
    next.restart = next.metadata = false;
    next.count = 5000;
    size_t rows = 20, packets = 0;
    std::string last;
    bool cut = false;
    while (!p.endOfData) {
        p = Main(*session).GetRecords(next);
        ASSERT_LT(++packets, 200u);
        ASSERT_FALSE(p.rows.empty());
        cut = cut || (!p.endOfData && p.rows.size() < 5000u);
        rows += p.rows.size();
        last = Value(fields, p.rows.back(), "TH002").AsString();
    }
    EXPECT_TRUE(cut);
    EXPECT_EQ(rows, 11999u);
    EXPECT_EQ(last, "20250000001");
}

TEST_F(ProviderTest, ConditionsThatWouldChangeDataAreRefused) {
    int lines = Sql("SELECT COUNT(*) FROM MOCTI").AsInteger();
    Main(*session).DataRequest(Arr({"1=1; DELETE FROM MOCTI", ""}));
    EXPECT_THROW(Main(*session).GetRecords({}), plat::Exception);
    Main(*session).DataRequest(Arr({"NO_COLUMN = 1", ""}));
    EXPECT_THROW(Main(*session).GetRecords({}), SqlError);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI").AsInteger(), lines);
    EXPECT_EQ(Open(*session, "").rows.size(), 5u);  // the provider still answers
}

TEST_F(ProviderTest, NewReceiptGetsItsNumberAndTheLinesFollow) {
    plat::TDataPacket p = Open(*session, "1=0");
    const auto& hf = p.fields;
    const auto& lf = hf[(size_t)Field(hf, "qryBody")].fields;
    const auto& sf = lf[(size_t)Field(lf, "qryFoot")].fields;
    const std::string pending(20, '~');
    session->Call("SetIsSeq", true);

    TDeltaRow head = Insert(hf, {{"TH001", "5901"},
                                 {"TH002", "20240108001"},
                                 {"TH029", "20240108"},
                                 {"TH003", "20240108"},
                                 {"TH005", "S001"},
                                 {"TH010", "新进货单"},
                                 {"TH001C", "ignored"}});
    TDeltaRow line = Insert(lf, {{"TI001", pending},
                                 {"TI002", pending},
                                 {"TI003", "0001"},
                                 {"TI004", "A1001-01"},
                                 {"TI007", 10.0},
                                 {"TI009C", "not stored"}});
    line.details[0].push_back(Insert(
        sf, {{"MB001", pending}, {"MB002", pending}, {"MB003", "0001"}, {"MB004", "SN-NEW-1"}}));
    head.details[0].push_back(line);
    plat::TDelta delta;
    delta.fields = hf;
    delta.rows = {head};
    plat::TApplyReply reply = Main(*session).ApplyUpdates(delta, 0);
    ASSERT_TRUE(reply.committed) << (reply.rows.empty() ? "" : reply.rows[0].message);
    EXPECT_EQ(reply.errorCount, 0);
    // The number was taken: the server gave the next one and reported it.
    EXPECT_EQ(session->Call("WhatIs", "SEQNO").AsString(), "20240108002");
    std::map<uint64_t, std::vector<plat::TAssignedValue>> assigned;
    for (auto& r : reply.rows) assigned[r.id] = r.assigned;
    ASSERT_EQ(assigned[head.id].size(), 1u);
    EXPECT_EQ(assigned[head.id][0].field, Field(hf, "TH002"));
    EXPECT_EQ(assigned[head.id][0].value.AsString(), "20240108002");
    EXPECT_EQ(assigned[line.id].size(), 2u);
    EXPECT_EQ(Sql("SELECT TI004 FROM MOCTI WHERE TI001='5901' AND TI002='20240108002'").AsString(),
              "A1001-01");
    EXPECT_EQ(Sql("SELECT MB004 FROM PSMMB WHERE MB002='20240108002'").AsString(), "SN-NEW-1");
    EXPECT_EQ(Sql("SELECT TH010 FROM MOCTH WHERE TH002='20240108002'").AsString(), "新进货单");
}

TEST_F(ProviderTest, ChangesSinceReadingAreRefusedAndNothingIsOverwritten) {
    auto other = server->NewSession();
    Connect(*other, "LIMEI");
    plat::TDataPacket mine = Open(*session, "MOCTH.TH002 = '20240112001'");
    plat::TDataPacket theirs = Open(*other, "MOCTH.TH002 = '20240112001'");
    const auto& hf = mine.fields;

    plat::TDelta d1{hf, {Modify(hf, theirs.rows[0], {{"TH010", "他们先改"}, {"FLAG", 2.0}})}};
    ASSERT_TRUE(Main(*other).ApplyUpdates(d1, 0).committed);

    plat::TDelta d2{hf, {Modify(hf, mine.rows[0], {{"TH010", "我后改"}, {"FLAG", 2.0}})}};
    plat::TApplyReply reply = Main(*session).ApplyUpdates(d2, 0);
    EXPECT_FALSE(reply.committed);
    ASSERT_EQ(reply.rows.size(), 1u);
    EXPECT_FALSE(reply.rows[0].applied);
    EXPECT_EQ(reply.rows[0].message, "Record not found or changed by another user");
    EXPECT_EQ(reply.rows[0].current[Field(hf, "TH010")].AsString(), "他们先改");
    EXPECT_EQ(Sql("SELECT TH010 FROM MOCTH WHERE TH002='20240112001'").AsString(), "他们先改");

    // Deleting the row read before the change is refused the same way.
    plat::TDelta d3{hf, {Delete(mine.rows[0])}};
    EXPECT_FALSE(Main(*session).ApplyUpdates(d3, 0).committed);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTH WHERE TH002='20240112001'").AsInteger(), 1);
}

TEST_F(ProviderTest, OneDeltaIsAllOrNothing) {
    plat::TDataPacket p = Open(*session, "MOCTH.TH002 IN ('20240112001', '20240205001')");
    const auto& hf = p.fields;
    const auto& lf = hf[(size_t)Field(hf, "qryBody")].fields;
    TDeltaRow good = Modify(hf, p.rows[0], {{"TH010", "好的修改"}});
    // A line whose item name is wider than the column: 31 Chinese characters
    // take 62 of the 60 places.
    TDeltaRow master = Modify(hf, p.rows[1], {});
    std::string name;
    for (int i = 0; i < 31; ++i) name += "铝";
    master.details[0].push_back(
        Insert(lf, {{"TI003", "0002"}, {"TI004", "A1001-01"}, {"TI005", name}}));
    plat::TDelta delta{hf, {good, master}};

    plat::TApplyReply reply = Main(*session).ApplyUpdates(delta, 0);
    EXPECT_FALSE(reply.committed);
    EXPECT_EQ(reply.errorCount, 1);
    ASSERT_EQ(reply.rows.size(), 1u);
    EXPECT_NE(reply.rows[0].message.find("TI005"), std::string::npos);
    EXPECT_EQ(Sql("SELECT TH010 FROM MOCTH WHERE TH002='20240112001'").AsString(), "电镀螺丝待验");

    // With every error allowed, the good row is stored and the bad one reported.
    reply = Main(*session).ApplyUpdates(delta, -1);
    EXPECT_TRUE(reply.committed);
    EXPECT_EQ(reply.errorCount, 1);
    EXPECT_EQ(Sql("SELECT TH010 FROM MOCTH WHERE TH002='20240112001'").AsString(), "好的修改");
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI WHERE TI002='20240205001'").AsInteger(), 1);
}

TEST_F(ProviderTest, DeletingAReceiptTakesItsLinesAndSerials) {
    // The demo's receipt with serials, unconfirmed, deleted by its creator.
    server->Db().Exec("UPDATE MOCTH SET TH023 = 'N' WHERE TH002 = '20240118001'");
    auto ds = server->NewSession();
    Connect(*ds, "DS");
    plat::TDataPacket p = Open(*ds, "MOCTH.TH002 = '20240118001'");
    plat::TDelta delta{p.fields, {Delete(p.rows[0])}};
    ASSERT_TRUE(Main(*ds).ApplyUpdates(delta, 0).committed);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI WHERE TI002='20240118001'").AsInteger(), 0);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM PSMMB WHERE MB002='20240118001'").AsInteger(), 0);
}

TEST_F(ProviderTest, ColourTextsPerRecordAndLine) {
    plat::IProvider& colour = *session->FindProvider("pvdColor");
    colour.DataRequest(Arr({"", ""}));
    plat::TDataPacket p = colour.GetRecords({});
    ASSERT_EQ(p.rows.size(), 5u);
    const auto& hf = p.fields;
    // The disabled component has no column.
    for (auto& f : hf) EXPECT_NE(f.name, "edTH029");
    std::map<std::string, std::string> byNumber;
    for (auto& r : p.rows)
        byNumber[Value(hf, r, "TH002").AsString()] = Value(hf, r, "gdHead").AsString();
    EXPECT_EQ(byNumber["20240108001"], "bkcolor=13434828;colorx=0;");
    EXPECT_EQ(byNumber["20240125001"], "bkcolor=15790320;colorx=8421504;");
    EXPECT_EQ(byNumber["20240112001"], "");
    const auto& bf = hf[(size_t)Field(hf, "qryBodyColor")].fields;
    for (auto& r : p.rows) {
        if (Value(hf, r, "TH002").AsString() != "20240112001") continue;
        ASSERT_EQ(r.details[0].size(), 1u);
        EXPECT_EQ(Value(bf, r.details[0][0], "gdBody1").AsString(),
                  "colorx=255;");  // urgent material
    }
    EXPECT_THROW(colour.ApplyUpdates(plat::TDelta{}, 0), ServerError);
}

TEST_F(ProviderTest, LinesCannotJoinOrChangeUnderAReceiptConfirmedSinceReading) {
    plat::TDataPacket mine = Open(*session, "MOCTH.TH002 = '20240112001'");
    const auto& hf = mine.fields;
    const auto& lf = hf[(size_t)Field(hf, "qryBody")].fields;
    ASSERT_FALSE(mine.rows[0].details[0].empty());

    // Confirmed meanwhile, as the transaction server does it.
    server->Db().Exec("UPDATE MOCTH SET TH023 = 'Y', FLAG = FLAG + 1 WHERE TH002 = '20240112001'");

    // Only a line added, or only a line changed: the header travels unchanged.
    TDeltaRow added = Modify(hf, mine.rows[0], {});
    added.details[0].push_back(Insert(lf, {{"TI003", "0099"}, {"TI004", "A1001-01"}}));
    TDeltaRow changed = Modify(hf, mine.rows[0], {});
    changed.details[0].push_back(Modify(lf, mine.rows[0].details[0][0], {{"TI040", "改了一行"}}));
    for (const TDeltaRow& head : {added, changed}) {
        plat::TApplyReply reply = Main(*session).ApplyUpdates(plat::TDelta{hf, {head}}, 0);
        EXPECT_FALSE(reply.committed);
        ASSERT_EQ(reply.rows.size(), 1u);
        EXPECT_EQ(reply.rows[0].id, head.id);
        EXPECT_EQ(reply.rows[0].message, "Record not found or changed by another user");
        EXPECT_EQ(reply.rows[0].current[Field(hf, "TH023")].AsString(), "Y");
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTI WHERE TI002='20240112001' AND "
                  "(TI003='0099' OR TI040='改了一行')")
                  .AsInteger(),
              0);

    // Read again, the line still stays out: a confirmed receipt takes none.
    plat::TDataPacket fresh = Open(*session, "MOCTH.TH002 = '20240112001'");
    TDeltaRow again = Modify(hf, fresh.rows[0], {});
    again.details[0].push_back(Insert(lf, {{"TI003", "0099"}, {"TI004", "A1001-01"}}));
    EXPECT_FALSE(Main(*session).ApplyUpdates(plat::TDelta{hf, {again}}, 0).committed);
    // Unconfirmed, it does.
    server->Db().Exec("UPDATE MOCTH SET TH023 = 'N', FLAG = FLAG + 1 WHERE TH002 = '20240112001'");
    fresh = Open(*session, "MOCTH.TH002 = '20240112001'");
    TDeltaRow open = Modify(hf, fresh.rows[0], {});
    open.details[0].push_back(Insert(lf, {{"TI003", "0099"}, {"TI004", "A1001-01"}}));
    EXPECT_TRUE(Main(*session).ApplyUpdates(plat::TDelta{hf, {open}}, 0).committed);
}
