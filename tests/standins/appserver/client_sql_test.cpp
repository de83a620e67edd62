// SQL composed by a client (queries by name, conditions, orders, statements
// of a transaction) reaches the schema's tables and plain functions only,
// and is held to the server's time and reply limits.
#include <unistd.h>

#include <filesystem>
#include <future>
#include <thread>

#include "server_fixture.h"

using namespace standin;
using namespace standin::testing;
using plat::Variant;

namespace {

class ClientSqlTest : public ServerTest {
  protected:
    plat::IProvider& Receipts() { return *session->FindProvider("pvdMain"); }
    void Select(const std::string& condition, const std::string& order) {
        Receipts().DataRequest(Arr({condition, order}));
        Receipts().GetRecords({});
    }
};

}  // namespace

TEST_F(ClientSqlTest, ReachesNothingButTheSchemasTablesAndPlainFunctions) {
    const std::string beyond[] = {
        "SELECT fts3_tokenizer('simple') AS X",
        "SELECT file AS X FROM pragma_database_list",
        "SELECT name AS X FROM sqlite_master",
        "SELECT load_extension('x') AS X",
        "SELECT printf('%.*c', 2000000000, 'x') AS X",
        "SELECT length(randomblob(1000000000)) AS X",
        "SELECT sqlite_version() AS X",
    };
    for (const std::string& sql : beyond) {
        EXPECT_THROW(Op("SimpleSQL", Arr({sql, "X"})), plat::Exception) << sql;
        EXPECT_THROW(Op("QueryUDFData", Arr({sql, "", "DEMO", "N", Arr({})})), plat::Exception)
            << sql;
        EXPECT_THROW(Select("EXISTS (" + sql + ")", ""), plat::Exception) << sql;
        EXPECT_THROW(Op("TransactionSQL",
                        Arr({Arr({"UPDATE MOCTH SET TH010 = (" + sql + ") WHERE 1 = 0"}), ""})),
                     plat::Exception)
            << sql;
    }
    // What the module writes still runs.
    EXPECT_EQ(Op("SimpleSQL", Arr({"SELECT TOP 1 ISNULL(MA002, '') AS X, LEFT(MA001, 2) AS Y FROM "
                                   "$$PURMA WHERE MA001 LIKE 'S%' ORDER BY MA001",
                                   "X,Y"}))[0][1]
                  .AsString(),
              "S0");
    EXPECT_NO_THROW(Select("MOCTH.TH002 LIKE '2024%' AND UPPER(MOCTH.TH010) <> '--;'",
                           "MOCTH.TH003 DESC, MOCTH.TH002"));
}

TEST_F(ClientSqlTest, ConditionsAndOrdersCannotReachPastTheirPlace) {
    session->Call("SetTopRow", 1);
    const std::pair<std::string, std::string> refused[] = {
        {"", "1 LIMIT 5 --"},
        {"", "1 LIMIT 5"},
        {"", "1 /*"},
        {"", "1; DELETE FROM MOCTH"},
        {"", "1) , (SELECT 1"},
        {"1=1) --", ""},
        {"1=1) ORDER BY 1 /*", ""},
        {"1=1; DELETE FROM MOCTH", ""},
    };
    for (auto& [condition, order] : refused)
        EXPECT_THROW(Select(condition, order), plat::Exception) << condition << order;
    // The top-row limit holds.
    Receipts().DataRequest(Arr({"1=1", "MOCTH.TH002"}));
    EXPECT_EQ(Receipts().GetRecords({}).rows.size(), 1u);
}

TEST_F(ClientSqlTest, AHeavyStatementIsStoppedByTimeAndAWideReplyByItsBytes) {
    server->SetQueryTimeLimit(std::chrono::milliseconds(200));
    const std::string endless =
        "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT COUNT(*) AS N "
        "FROM c";
    EXPECT_THROW(Op("SimpleSQL", Arr({endless, "N"})), ServerError);
    EXPECT_THROW(Op("TransactionSQL",
                    Arr({Arr({"UPDATE MOCTH SET TH010 = (" + endless + ") WHERE 1 = 1"}), ""})),
                 ServerError);
    server->SetReplyByteLimit(4096);
    try {
        Op("SimpleSQL", Arr({"SELECT REPLICATE('x', 100000) AS X", "X"}));
        FAIL();
    } catch (const ServerError& e) {
        EXPECT_NE(std::string(e.what()).find("4096 bytes"), std::string::npos);
    }
    EXPECT_EQ(Op("SimpleSQL", Arr({"SELECT 1 AS N", "N"}))[0][0].AsInteger(), 1);
}

TEST(ClientConnections, EachThreadOfAFileServerReadsBesideAnotherThreadsWrite) {
    std::string path = ::testing::TempDir() + "/ktrb_conn_" + std::to_string(::getpid()) + ".db";
    std::filesystem::remove(path);
    {
        auto server = AppServer::Open(path);
        auto writer = server->NewSession();
        TransactionGuard open(server->Db());  // a write under way on this thread
        server->Db().Exec("UPDATE MOCTH SET TH010 = 'pending'");
        auto reading = std::async(std::launch::async, [&] {
            auto reader = server->NewSession();
            Variant found;
            bool ok = server->CheckValue("PURMA", "01", Arr({"S001"}), found);
            int seen = server->Db()
                           .Scalar("SELECT COUNT(*) FROM MOCTH WHERE TH010 = 'pending'")
                           .AsInteger();
            server->CloseThreadConnection();
            return ok && seen == 0;
        });
        // Not held up by the write: a hang here would fail, not slow, the test.
        ASSERT_EQ(reading.wait_for(std::chrono::seconds(30)), std::future_status::ready);
        EXPECT_TRUE(reading.get());
    }
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}
