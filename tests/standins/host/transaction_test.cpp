#include <gtest/gtest.h>

#include "platform/automation/oleobject.h"
#include "standins/host/work_center.h"
#include "standins/servers/transaction_server.h"
#include "test_db.h"

using namespace standin;

namespace {

// The confirm request of the header/body form for a document with the keys
// TH001, TH002: R[5] = ["", "N", action, TH001, TH002, FLAG, "", date, program].
plat::Variant Request(const std::string& action, const std::string& number, plat::Variant flag,
                      const std::string& date = "20240120") {
    plat::Variant p =
        plat::Variant::ArrayOf({"", "N", action, "5901", number, flag, "", date, "KTRB52"});
    return plat::Variant::ArrayOf(
        {"TXNKTRB52", "DEMO", "S", "DS", "", p, "936", "936", true, plat::Variant()});
}
const plat::Variant kTarget = plat::Variant::ArrayOf({"Velmora.TxnManager", "KTRB52"});

struct TxnFixture : ::testing::Test {
    hosttest::TempDatabase t;
    std::shared_ptr<HostServices> host = MakeHostServices();
    plat::DispatchPtr server;
    TxnFixture() {
        host->suite->database = t.db;
        server = CreateTransactionServer(host->suite);
        t.AddReceipt("5901", "20240108001", "N", 2);
    }
    std::vector<std::string> Row(const std::string& number) {
        auto rows = t.db->Query(
            "SELECT TH023, TH003, CAST(FLAG AS INTEGER) FROM MOCTH WHERE TH001 = '5901' AND TH002 "
            "= ?1",
            {number});
        if (rows.empty()) return {};
        return {rows[0][0].AsString(), rows[0][1].AsString(),
                std::to_string(rows[0][2].AsInteger())};
    }
    std::string Lines(const std::string& number) {
        std::string s;
        for (auto& r : t.db->Query(
                 "SELECT TI037 FROM MOCTI WHERE TI001 = '5901' AND TI002 = ?1 ORDER BY TI003",
                 {number}))
            s += r[0].AsString();
        return s;
    }
    bool DoIt(plat::Variant request) { return server->Call("DoIt2", request, kTarget).AsBoolean(); }
    std::string Code() { return plat::VarToStr(server->Get("ResultDesc")[1]); }
};

}  // namespace

TEST_F(TxnFixture, ConfirmAndUnconfirmWriteStatusDateAndFlag) {
    ASSERT_TRUE(DoIt(Request("DO", "20240108001", "2.0")));
    EXPECT_EQ(Row("20240108001"), (std::vector<std::string>{"Y", "20240120", "3"}));
    EXPECT_EQ(Lines("20240108001"), "YY");
    EXPECT_EQ(server->Get("ErrorCode").AsInteger(), 0);
    EXPECT_EQ(plat::VarToStr(server->Get("ReturnSeq")), "");
    server->Call("CloseCOM");

    ASSERT_TRUE(DoIt(Request("UNDO", "20240108001", 3, "")));
    EXPECT_EQ(Row("20240108001"), (std::vector<std::string>{"N", "20240120", "4"}));
    EXPECT_EQ(Lines("20240108001"), "NN");
}

TEST_F(TxnFixture, VoidAndRestoreWriteHeadAndLines) {
    ASSERT_TRUE(DoIt(Request("VOID", "20240108001", 2, "")));
    EXPECT_EQ(Row("20240108001"), (std::vector<std::string>{"V", "20240108", "3"}));
    EXPECT_EQ(Lines("20240108001"), "VV");
    EXPECT_FALSE(DoIt(Request("DO", "20240108001", 3)));
    EXPECT_EQ(Code(), "S00005");
    ASSERT_TRUE(DoIt(Request("UNVOID", "20240108001", 3, "")));
    EXPECT_EQ(Row("20240108001"), (std::vector<std::string>{"N", "20240108", "4"}));
    EXPECT_EQ(Lines("20240108001"), "NN");
}

TEST_F(TxnFixture, RefusalsAreCodedMessagesAndChangeNothing) {
    t.AddReceipt("5901", "20240108002", "V", 0);
    t.AddReceipt("5901", "20240108003", "Y", 5);
    t.db->Exec("UPDATE MOCTI SET TI041 = 'Y' WHERE TI002 = '20240108003' AND TI003 = '0002'");
    struct Case {
        const char* action;
        const char* number;
        int flag;
        const char* code;
    } cases[] = {
        {"DO", "20240108001", 1, "S00002"},      // FLAG changed since it was read
        {"DO", "20240108009", 0, "S00001"},      // no such document
        {"DO", "20240108002", 0, "S00005"},      // void
        {"DO", "20240108003", 5, "S00003"},      // already confirmed
        {"UNDO", "20240108001", 2, "S00004"},    // not confirmed
        {"UNDO", "20240108003", 5, "100284"},    // a line has journal entries
        {"VOID", "20240108003", 5, "S00003"},    // confirmed documents are not voided
        {"VOID", "20240108002", 0, "S00005"},    // already void
        {"UNVOID", "20240108001", 2, "S00009"},  // not void
    };
    for (auto& c : cases) {
        auto before = Row(c.number);
        EXPECT_FALSE(DoIt(Request(c.action, c.number, c.flag))) << c.number;
        EXPECT_EQ(Code(), c.code) << c.number;
        EXPECT_NE(server->Get("ErrorCode").AsInteger(), 0);
        EXPECT_EQ(Row(c.number), before);
    }
    // The plain text comes from the host's messages with the document filled in.
    DoIt(Request("DO", "20240108001", 7));
    EXPECT_EQ(plat::VarToStr(server->Get("ErrorDescript")),
              "单据 5901-20240108001 已被其他用户修改,请重新查询后再操作!");
    plat::Variant desc = server->Get("ResultDesc");
    EXPECT_EQ(desc[0].AsString(), "E");
    EXPECT_EQ(desc[2][0].AsString(), "5901-20240108001");
}

TEST_F(TxnFixture, CheckOnlyChecks) {
    EXPECT_TRUE(server->Call("DoCheck", Request("DO", "20240108001", 2), kTarget).AsBoolean());
    EXPECT_EQ(Row("20240108001")[0], "N");
    EXPECT_FALSE(server->Call("DoCheck", Request("", "20240108001", 9), kTarget).AsBoolean());
    EXPECT_EQ(Code(), "S00002");
}

TEST_F(TxnFixture, FlagRunsRoundAfter999) {
    t.AddReceipt("5901", "20240108004", "N", 999);
    ASSERT_TRUE(DoIt(Request("DO", "20240108004", 999)));
    EXPECT_EQ(Row("20240108004")[2], "0");
}

TEST_F(TxnFixture, MalformedRequestsAreRefusedNotCrashed) {
    plat::Variant shortP = plat::Variant::ArrayOf(
        {"TXNKTRB52", "DEMO", "S", "DS", "", plat::Variant::ArrayOf({"", "N", "DO"})});
    plat::Variant nullFlag = Request("DO", "20240108001", plat::Null());
    plat::Variant textFlag = Request("DO", "20240108001", "two");
    plat::Variant halfFlag = Request("DO", "20240108001", "2.5");
    plat::Variant badDate = Request("DO", "20240108001", 2, "2024-1-2");
    plat::Variant noArray = plat::Variant("DO");
    for (const plat::Variant& r :
         {shortP, nullFlag, textFlag, halfFlag, badDate, noArray, plat::Variant()}) {
        EXPECT_FALSE(DoIt(r));
        EXPECT_EQ(Code(), "S00006");
    }
    // An unknown program, and a target that is no array with a request naming none.
    EXPECT_FALSE(server
                     ->Call("DoIt2", Request("DO", "20240108001", 2),
                            plat::Variant::ArrayOf({"X", "NOPE01"}))
                     .AsBoolean());
    EXPECT_EQ(Code(), "S00007");
    EXPECT_EQ(Row("20240108001")[0], "N");
    EXPECT_THROW(server->Call("DoIt2", Request("DO", "20240108001", 2)),
                 plat::EOleSysError);  // one argument
}

TEST(TransactionServer, WithoutDatabaseSaysSo) {
    auto host = MakeHostServices();
    auto server = CreateTransactionServer(host->suite);
    EXPECT_FALSE(server->Call("DoIt2", Request("DO", "20240108001", 2), kTarget).AsBoolean());
    EXPECT_EQ(plat::VarToStr(server->Get("ResultDesc")[1]), "S00007");
}

TEST(TransactionServer, FillMessagePlaces) {
    EXPECT_EQ(FillMessagePlaces("%s 和 %d, 100%%", {"a", "7"}), "a 和 7, 100%");
    EXPECT_EQ(FillMessagePlaces("%s-%s%", {"a"}), "a-%");
}

namespace {

// A work order and an arrival line that the fixture's receipt 20240108001
// draws on: line 0001 the order's product from the arrival line, line 0002 a
// by-product of the same order, which the order does not count.
struct PostingFixture : TxnFixture {
    PostingFixture() {
        t.db->Exec(
            "INSERT INTO MOCTA (TA001, TA002, TA006, TA015, TA017, TA018, TA057) VALUES "
            "('5201', '20240105001', 'A1', 1000, 300, 4, 0);"
            "INSERT INTO MOCCD (CD001, CD002, CD003, CD008, CD010, CD014) VALUES "
            "('5A01', '20240201001', '0001', 500, 0, 480);"
            "UPDATE MOCTI SET TI004 = 'A1', TI013 = '5201', TI014 = '20240105001', TI007 = 10, "
            "TI019 = 6, TI021 = 1, TI022 = 2, TI056 = 1, TI017 = 3, TIC02 = '5A01', "
            "TIC03 = '20240201001', TIC04 = '0001' WHERE TI002 = '20240108001' AND TI003 = '0001';"
            "UPDATE MOCTI SET TI004 = 'BY', TI013 = '5201', TI014 = '20240105001', TI007 = 5, "
            "TI019 = 5 WHERE TI002 = '20240108001' AND TI003 = '0002';");
    }
    std::string Posted() {
        return plat::VarToStr(t.db->Scalar(
                   "SELECT TA017 || ',' || TA018 || ',' || TA057 || ',' || TA050 FROM MOCTA")) +
               "/" + plat::VarToStr(t.db->Scalar("SELECT CD010 || ',' || CD014 FROM MOCCD"));
    }
};

}  // namespace

TEST_F(PostingFixture, ConfirmPostsToTheWorkOrderAndArrivalLineAndUnconfirmTakesItBack) {
    const std::string before = Posted();
    EXPECT_EQ(before, "300.0,4.0,0.0,0.0/0.0,480.0");
    // Refused: nothing moves.
    EXPECT_FALSE(DoIt(Request("DO", "20240108001", 9)));
    EXPECT_EQ(Posted(), before);
    ASSERT_TRUE(DoIt(Request("DO", "20240108001", 2)));
    EXPECT_EQ(Posted(), "307.0,5.0,2.0,3.0/10.0,480.0");
    ASSERT_TRUE(DoIt(Request("UNDO", "20240108001", 3, "")));
    EXPECT_EQ(Posted(), before);
    // A void and its restore confirm nothing, so they post nothing.
    ASSERT_TRUE(DoIt(Request("VOID", "20240108001", 4, "")));
    ASSERT_TRUE(DoIt(Request("UNVOID", "20240108001", 5, "")));
    EXPECT_EQ(Posted(), before);
}

TEST_F(PostingFixture, AFailedPostingLeavesTheDocumentUnconfirmed) {
    t.db->Exec("DROP TABLE MOCCD");
    EXPECT_FALSE(DoIt(Request("DO", "20240108001", 2)));
    EXPECT_EQ(Code(), "S00008");
    EXPECT_EQ(Row("20240108001")[0], "N");
    EXPECT_EQ(Lines("20240108001"), "NN");
    EXPECT_EQ(plat::VarToIntDef(t.db->Scalar("SELECT TA017 FROM MOCTA"), 0), 300);
}
