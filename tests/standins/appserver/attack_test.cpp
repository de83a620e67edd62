// The server as an attacker meets it over TCP: a signed-on user of the
// lowest rights (WANGQ, no add, edit or delete), an ordinary one (ZHANGW)
// reaching past his documents, and a client with no sign-on at all.
#include <unistd.h>

#include <filesystem>

#include "delta_fixture.h"
#include "standins/appserver/sign_on.h"
#include "tcp_fixture.h"

using namespace standin;
using namespace standin::testing;

namespace {

using Remote = std::shared_ptr<RemoteAppServer>;

int SignOn(RemoteAppServer& c, const std::string& user, const std::string& key = "DEMO",
           const std::string& company = "DEMO") {
    return (int)c.Call("Connect", Arr({"KTRB52", user, company, key, "True", "True"})).AsInteger();
}

// The lookup window's request for the receipt lines of a document.
Variant LineLookup() {
    std::vector<Variant> r = {"MOCTI", "60", Arr({"5901", "20240108001"}), 1, "", "DEMO", 3, "", "",
                              "",      "N"};
    return Variant::ArrayOf(r);
}

}  // namespace

class AttackTest : public TcpServerTest {
  protected:
    Variant Sql(const std::string& sql) { return server->Db().Scalar(sql); }
    int Count(const std::string& sql) {
        return (int)Sql("SELECT COUNT(*) FROM " + sql).AsInteger();
    }
    static plat::TDataPacket Receipt(plat::IProvider& p, const std::string& number) {
        p.DataRequest(Arr({"MOCTH.TH002 = '" + number + "'", ""}));
        return p.GetRecords({});
    }
    static Variant SimpleSql(RemoteAppServer& c, const std::string& sql, const std::string& cols) {
        return c.Call("GETCOUNTER", "SimpleSQL", Arr({sql, cols}), Arr({"DEMO", "DEMO"}));
    }
};

TEST_F(AttackTest, ADeltaRowWithoutItsWholeKeyIsRefusedAndChangesNothing) {
    Remote c = Client("DS");
    plat::IProvider& p = *c->FindProvider("pvdMain");
    const plat::TDataPacket packet = Receipt(p, "20240112001");
    const auto& hf = packet.fields;
    // Every original left out but the document type: once a WHERE on TH001 alone.
    std::vector<Variant> typeOnly(hf.size());
    typeOnly[(size_t)Field(hf, "TH001")] = Variant("5901");
    TDeltaRow remove;
    remove.id = 1;
    remove.status = TUpdateStatus::usDeleted;
    remove.oldValues = TValueRow(typeOnly);
    TDeltaRow rewrite = remove;
    rewrite.id = 2;
    rewrite.status = TUpdateStatus::usModified;
    std::vector<Variant> changed = typeOnly;
    changed[(size_t)Field(hf, "TH010")] = Variant("overwritten");
    rewrite.newValues = TValueRow(changed);
    rewrite.changed.assign(hf.size(), false);
    rewrite.changed[(size_t)Field(hf, "TH010")] = true;
    const int receipts = Count("MOCTH WHERE TH001 = '5901'");
    for (const TDeltaRow& row : {remove, rewrite}) {
        // Whatever maxErrors says.
        plat::TApplyReply reply = p.ApplyUpdates(plat::TDelta{hf, {row}}, -1);
        ASSERT_EQ(reply.rows.size(), 1u);
        EXPECT_FALSE(reply.rows[0].applied);
        EXPECT_NE(reply.rows[0].message.find("original value of key field TH002"),
                  std::string::npos)
            << reply.rows[0].message;
    }
    EXPECT_EQ(Count("MOCTH WHERE TH001 = '5901'"), receipts);
    EXPECT_EQ(Count("MOCTH WHERE TH010 = 'overwritten'"), 0);
}

TEST_F(AttackTest, ARefusedRowLeavesNothingOfItselfBehind) {
    Remote c = Client("DS");
    plat::IProvider& p = *c->FindProvider("pvdMain");
    const plat::TDataPacket packet = Receipt(p, "20240112001");
    // A line changed after the receipt was read: its delete is refused, and so
    // is the receipt's, also when every error is allowed.
    server->Db().Exec("UPDATE MOCTI SET FLAG = FLAG + 1 WHERE TI002 = '20240112001'");
    TDeltaRow head = Delete(packet.rows[0]);
    head.details.resize(1);
    for (auto& line : packet.rows[0].details[0]) head.details[0].push_back(Delete(line));
    plat::TApplyReply reply = p.ApplyUpdates(plat::TDelta{packet.fields, {head}}, -1);
    EXPECT_GE(reply.errorCount, 2);
    for (auto& r : reply.rows) EXPECT_FALSE(r.applied) << r.id;
    EXPECT_EQ(Count("MOCTH WHERE TH002 = '20240112001'"), 1);
    EXPECT_EQ(Count("MOCTI WHERE TI002 = '20240112001'"), (int)packet.rows[0].details[0].size());
}

TEST_F(AttackTest, TransactionSqlRunsOnlyTheModulesOwnStatement) {
    Remote c = Client("WANGQ");
    const std::string state =
        "SELECT (SELECT MG006 FROM ADMMG WHERE MG001 = 'WANGQ') || '|' || (SELECT MF004 || MF005 "
        "|| MF006 FROM ADMMF WHERE MF001 = 'WANGQ') || '|' || (SELECT MF006 FROM ADMMF WHERE MF001 "
        "= 'DS') || '|' || (SELECT COUNT(*) FROM USRDF) || '|' || (SELECT COUNT(*) FROM SVJOBAP) "
        "|| '|' || (SELECT COUNT(*) FROM ATTACH) || '|' || (SELECT COUNT(*) FROM MOCTI)";
    const std::string before = Sql(state).AsString();
    const std::string attempts[] = {
        "UPDATE ADMMG SET MG006 = 'x,Y,N,xYYYYYYYYYYY,YYYYYYY,YYYYYYY' WHERE MG001 = 'WANGQ'",
        "UPDATE ADMMF SET MF005 = 'Y', MF004 = 'ADMIN' WHERE MF001 = 'WANGQ'",
        "UPDATE ADMMF SET MF006 = (SELECT MF006 FROM ADMMF WHERE MF001 = 'WANGQ') WHERE MF001 = "
        "'DS'",
        "INSERT INTO USRDF (DF001, DF002, DF003, DF004, DF005, DF006) VALUES ('DEMO', 'DS', "
        "'KTRB52', 'g', 'n', 'v')",
        "DELETE FROM SVJOBAP",
        "DELETE FROM MOCTI",
        "DELETE FROM ATTACH",
        "DELETE FROM ATTACH WHERE Parent = 'KTRB52' AND CompanyID = 'DEMO' AND KeyValues = 'x' "
        "OR 1 = 1",
        "DELETE FROM ATTACH WHERE Parent = 'KTRB52' AND CompanyID = 'DEMO' AND KeyValues = 'x'; "
        "DELETE FROM MOCTI",
        "DELETE FROM ATTACH WHERE Parent = 'OTHER' AND CompanyID = 'DEMO' AND KeyValues = "
        "'5901||20240108001'",
        "DELETE FROM ATTACH WHERE Parent = 'KTRB52' AND CompanyID = 'ELSE' AND KeyValues = "
        "'5901||20240108001'",
    };
    for (const std::string& sql : attempts)
        EXPECT_THROW(
            c->Call("GETCOUNTER", "TransactionSQL", Arr({Arr({sql}), ""}), Arr({"DEMO", "DEMO"})),
            plat::EOleException)
            << sql;
    EXPECT_EQ(Sql(state).AsString(), before);
    // The statement the module sends when a document goes still runs.
    c->Call("GETCOUNTER", "TransactionSQL",
            Arr({Arr({" DELETE FROM ATTACH  WHERE Parent = 'KTRB52'        AND CompanyID = 'DEMO' "
                      "       AND KeyValues = '5901||20240108001' "}),
                 ""}),
            Arr({"DEMO", "DEMO"}));
    EXPECT_EQ(Count("ATTACH"), 0);
}

TEST_F(AttackTest, PasswordsAreSlowHashesThatNoClientReads) {
    EXPECT_EQ(Count("ADMMF WHERE MF006 LIKE '$argon2id$%'"), 4);
    Remote c = Client("WANGQ");
    for (const char* sql : {"SELECT MF001, MF006 FROM ADMMF", "SELECT * FROM ADMMF",
                            "SELECT MF001 FROM ADMMF ORDER BY MF006"})
        EXPECT_THROW(SimpleSql(*c, sql, ""), plat::EOleException) << sql;
    // A condition on the password as a yes/no oracle.
    plat::IProvider& p = *c->FindProvider("pvdMain");
    p.DataRequest(Arr({"EXISTS (SELECT 1 FROM ADMMF WHERE MF001 = 'DS' AND MF006 LIKE '$%')", ""}));
    EXPECT_THROW(p.GetRecords({}), plat::EOleException);
    EXPECT_THROW(
        c->Call("GETCOUNTER", "QueryUDFData",
                Arr({"SELECT MF006 FROM ADMMF WHERE MF001 = ?", "", "DEMO", "N", Arr({"DS"})}),
                Arr({"DEMO", "DEMO"})),
        plat::EOleException);
    // Names and groups, which the module reads, still come.
    EXPECT_EQ(
        SimpleSql(*c, "SELECT MF002 FROM $$ADMMF WHERE MF001 = 'DS'", "MF002")[0][0].AsString(),
        "系统管理员");
    // Every demo user signs on with DEMO, sent plain or in the module's cipher.
    for (const char* user : {"DS", "ZHANGW", "LIMEI", "WANGQ"}) {
        Remote r = RemoteAppServer::Connect("127.0.0.1", tcp->Port());
        EXPECT_EQ(SignOn(*r, user, "demo"), 1) << user;
        EXPECT_EQ(SignOn(*r, user, "2251a9f5"), 1) << user;
        EXPECT_EQ(SignOn(*r, user, CipherPassword("DEMO")), 0) << user;
        EXPECT_EQ(SignOn(*r, user, "DEMO"), 0) << user;
    }
}

TEST(PasswordUpgrade, ADatabaseWithCipheredPasswordsIsHashedWhenOpened) {
    const std::string path =
        ::testing::TempDir() + "/ktrb_pw_" + std::to_string(::getpid()) + ".db";
    std::filesystem::remove(path);
    {
        auto old = AppServer::Open(path);
        old->Db().Query("UPDATE ADMMF SET MF006 = ? WHERE MF001 = 'ZHANGW'",
                        {CipherPassword("s3cret")});
        old->CloseThreadConnection();
    }
    {
        auto server = AppServer::Open(path);
        EXPECT_EQ(server->Db()
                      .Scalar("SELECT COUNT(*) FROM ADMMF WHERE MF006 NOT LIKE '$argon2%'")
                      .AsInteger(),
                  0);
        TcpServer tcp(server, "127.0.0.1", 0);
        tcp.Start();
        Remote c = RemoteAppServer::Connect("127.0.0.1", tcp.Port());
        EXPECT_EQ(SignOn(*c, "ZHANGW", "DEMO"), 1);
        EXPECT_EQ(SignOn(*c, "ZHANGW", "s3cret"), 0);
        EXPECT_EQ(SignOn(*c, "LIMEI", "DEMO"), 0);
        c->Disconnect();
        tcp.Stop();
        server->CloseThreadConnection();
    }
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
}

TEST_F(AttackTest, TheLowestRightsChangeNoDocument) {
    Remote c = Client("WANGQ");
    plat::IProvider& p = *c->FindProvider("pvdMain");
    const plat::TDataPacket packet = Receipt(p, "20240112001");
    const auto& hf = packet.fields;
    const std::string stored =
        Sql("SELECT TH010 || FLAG FROM MOCTH WHERE TH002 = '20240112001'").AsString();
    const TDeltaRow attempts[] = {
        Insert(hf, {{"TH001", "5901"}, {"TH002", "20240301001"}, {"TH029", "20240301"}}),
        Modify(hf, packet.rows[0], {{"TH010", "WANGQ was here"}}),
        Delete(packet.rows[0]),
    };
    for (const TDeltaRow& row : attempts) {
        plat::TApplyReply reply = p.ApplyUpdates(plat::TDelta{hf, {row}}, -1);
        ASSERT_EQ(reply.rows.size(), 1u);
        EXPECT_FALSE(reply.rows[0].applied);
        EXPECT_NE(reply.rows[0].message.find("no right"), std::string::npos)
            << reply.rows[0].message;
    }
    EXPECT_EQ(Count("MOCTH WHERE TH002 = '20240301001'"), 0);
    EXPECT_EQ(Sql("SELECT TH010 || FLAG FROM MOCTH WHERE TH002 = '20240112001'").AsString(),
              stored);
}

TEST_F(AttackTest, ConfirmedDocumentsAndVersionsAreHeldOnTheServer) {
    Remote c = Client("ZHANGW");
    plat::IProvider& p = *c->FindProvider("pvdMain");
    const plat::TDataPacket confirmed = Receipt(p, "20240108001");
    const plat::TDataPacket open = Receipt(p, "20240112001");
    const auto& hf = open.fields;
    const auto& lf = hf[(size_t)Field(hf, "qryBody")].fields;
    const std::string linesBefore = Sql("SELECT COUNT(*) || SUM(FLAG) FROM MOCTI").AsString();

    // A line added to a confirmed receipt of another user.
    TDeltaRow addLine = Modify(hf, confirmed.rows[0], {});
    addLine.details[0].push_back(Insert(lf, {{"TI003", "0099"}, {"TI004", "A1001-01"}}));
    // The header edited with its version columns left out.
    TDeltaRow noVersion = Modify(hf, open.rows[0], {{"TH010", "no version"}});
    std::vector<Variant> old = open.rows[0].values.Values();
    old[(size_t)Field(hf, "FLAG")] = Variant();
    old[(size_t)Field(hf, "TH023")] = Variant();
    noVersion.oldValues = TValueRow(old);
    // Confirmed by the delta, not by the transaction server; a confirmed
    // receipt voided; his own voided, which his rights word does not allow.
    TDeltaRow selfConfirm = Modify(hf, open.rows[0], {{"TH023", "Y"}});
    TDeltaRow voidConfirmed = Modify(hf, confirmed.rows[0], {{"TH023", "V"}});
    TDeltaRow voidOwn = Modify(hf, open.rows[0], {{"TH023", "V"}});
    // A confirmed receipt's line deleted under an open receipt.
    TDeltaRow foreignLine = Modify(hf, open.rows[0], {});
    TDeltaRow line = Delete(confirmed.rows[0].details[0][0]);
    line.details.resize(1);
    foreignLine.details[0].push_back(line);
    for (const TDeltaRow& row :
         {addLine, noVersion, selfConfirm, voidConfirmed, voidOwn, foreignLine}) {
        plat::TApplyReply reply = p.ApplyUpdates(plat::TDelta{hf, {row}}, -1);
        EXPECT_EQ(reply.errorCount, 1) << row.id;
        for (auto& r : reply.rows) EXPECT_FALSE(r.applied) << r.message;
    }
    EXPECT_EQ(Sql("SELECT COUNT(*) || SUM(FLAG) FROM MOCTI").AsString(), linesBefore);
    EXPECT_EQ(Sql("SELECT TH023 || TH010 FROM MOCTH WHERE TH002 = '20240112001'").AsString(),
              "N电镀螺丝待验");
    // A new receipt sent confirmed, with a confirmed line, is stored open.
    TDeltaRow added = Insert(
        hf, {{"TH001", "5901"}, {"TH002", "20240301009"}, {"TH029", "20240301"}, {"TH023", "Y"}});
    added.details[0].push_back(
        Insert(lf, {{"TI003", "0001"}, {"TI004", "A1001-01"}, {"TI037", "Y"}}));
    ASSERT_TRUE(p.ApplyUpdates(plat::TDelta{hf, {added}}, 0).committed);
    EXPECT_EQ(Sql("SELECT TH023 || TI037 FROM MOCTH JOIN MOCTI ON TI001 = TH001 AND TI002 = TH002 "
                  "WHERE TH002 = '20240301009'")
                  .AsString(),
              "NN");
    // His own open receipt, sent whole, he still edits.
    TDeltaRow edit = Modify(hf, open.rows[0], {{"TH010", "改好了"}});
    EXPECT_TRUE(p.ApplyUpdates(plat::TDelta{hf, {edit}}, 0).committed);
    EXPECT_EQ(Sql("SELECT TH010 FROM MOCTH WHERE TH002 = '20240112001'").AsString(), "改好了");
}

TEST_F(AttackTest, SavedSchemesAreTheSignedOnUsersOwn) {
    server->Db().Exec(
        "INSERT INTO DOCUS (NCONDITION, CREATOR, PROGRAMME, CREATE_DATE, VCONDITION, ActivePage) "
        "VALUES ('DS方案', 'DS', 'KTRB52', '20240101', 'kept', 0)");
    const std::string ds =
        "DOCUS WHERE NCONDITION = 'DS方案' AND CREATOR = 'DS' AND VCONDITION = 'kept'";
    Remote c = Client("ZHANGW");
    c->Call("InsertConTable", Arr({"DS方案", "DS", "20241211", "KTRB52", "hijacked", 0, "Y"}));
    EXPECT_EQ(Count(ds), 1);
    EXPECT_EQ(Count("DOCUS WHERE CREATOR = 'ZHANGW' AND VCONDITION = 'hijacked'"), 1);
    c->Call("DeleteConTable", Arr({"DS方案", "DS", "KTRB52"}));
    c->Call("ChangeConName", Arr({"DS方案", "DS", "KTRB52"}), Arr({"改名", "DS", "KTRB52"}));
    EXPECT_EQ(Count(ds), 1);
    // Asking for DS's list gives one's own.
    c->Call("LoadTable", Arr({"DS", "KTRB52"}));
    plat::IProvider& schemes = *c->FindProvider("pvdConSave");
    EXPECT_TRUE(schemes.GetRecords({}).rows.empty());
    // DS's row, as DS reads it, deleted through ZHANGW's connection.
    auto local = server->NewSession();
    local->Call("Connect", Arr({"KTRB52", "DS", "DEMO", "DEMO", "True", "True"}));
    local->Call("LoadTable", Arr({"DS", "KTRB52"}));
    plat::TDataPacket theirs = local->FindProvider("pvdConSave")->GetRecords({});
    ASSERT_EQ(theirs.rows.size(), 2u);
    const plat::TPacketRow& row =
        Value(theirs.fields, theirs.rows[0], "VCONDITION").AsString() == "kept" ? theirs.rows[0]
                                                                                : theirs.rows[1];
    plat::TApplyReply reply = schemes.ApplyUpdates(plat::TDelta{theirs.fields, {Delete(row)}}, -1);
    EXPECT_EQ(reply.errorCount, 1);
    EXPECT_EQ(Count(ds), 1);
}

TEST_F(AttackTest, OnlyACompanyTheDatabaseKeepsSignsOn) {
    Remote c = RemoteAppServer::Connect("127.0.0.1", tcp->Port());
    EXPECT_EQ(SignOn(*c, "ZHANGW", "DEMO", "NOPE"), 1);
    EXPECT_EQ(SignOn(*c, "ZHANGW", "DEMO", ""), 1);
    EXPECT_THROW(SimpleSql(*c, "SELECT TH002 FROM MOCTH", "TH002"), plat::EOleException);
    EXPECT_EQ(SignOn(*c, "ZHANGW", "DEMO", "DEMO"), 0);
    EXPECT_FALSE(SimpleSql(*c, "SELECT TH002 FROM MOCTH", "TH002").IsEmptyOrNull());
}

TEST_F(AttackTest, LookUpsAnswerOnlyASignedOnSession) {
    Remote c = RemoteAppServer::Connect("127.0.0.1", tcp->Port());
    Variant request = LineLookup(), reply;
    EXPECT_THROW(c->Call("GetF2Data", request, reply), plat::EOleException);
    EXPECT_THROW(c->Call("GetCustomOW", "MOCTI", "60", ""), plat::EOleException);
    EXPECT_THROW(c->Put("OpenWinKind", 0), plat::EOleException);
    EXPECT_THROW(c->FindProvider("pvdDravoc")->GetRecords({}), plat::EOleException);
    ASSERT_EQ(SignOn(*c, "WANGQ"), 0);
    ASSERT_TRUE(c->Call("GetF2Data", request, reply).AsBoolean());
    EXPECT_FALSE(c->FindProvider("pvdDravoc")->GetRecords({}).rows.empty());
}
