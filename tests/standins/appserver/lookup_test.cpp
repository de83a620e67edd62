#include <memory>

#include "server_fixture.h"
#include "standins/appserver/tcp_transport.h"

using namespace standin;
using namespace standin::testing;
using plat::Variant;

namespace {

// The lookup window's request (11 elements) or the lookup combo's (14).
Variant Request(const std::string& kind, const std::string& sub, Variant extra, bool combo = false,
                int first = 1) {
    std::vector<Variant> r = {kind, sub, extra, first, "", "DEMO", 3, "", "", "", "N"};
    if (combo) r.insert(r.end(), {Variant(""), Variant(""), Variant("9")});
    Variant a = Variant::CreateArray({0, (int)r.size() - 1});
    for (size_t i = 0; i < r.size(); ++i) a[(int)i] = r[i];
    return a;
}

std::string ErrorOf(AppSession& s, Variant request) {
    Variant reply;
    try {
        s.Call("GetF2Data", request, reply);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "";
}

}  // namespace

using LookupServerTest = ServerTest;

TEST_F(LookupServerTest, BadRequestsGiveClearErrorsAndTheSessionGoesOn) {
    Variant nested = Request("CMSMC", "01", Arr({"01", Arr({"x"})}));
    Variant many = Variant::CreateArray({0, 64});
    Variant longText = Request("CMSMC", "01", "01");
    longText[4] = std::string(5000, 'x');
    Variant kindArray = Request("CMSMC", "01", "01");
    kindArray[0] = Arr({"CMSMC"});
    Variant flag = Request("CMSMC", "01", "01", false, 7);
    struct Case {
        Variant request;
        const char* message;
    } cases[] = {
        {Variant("CMSMC"), "an array of 11 or 14 elements"},
        {Arr({"CMSMC", "01", "01", 1, ""}), "11 or 14 elements, not 5"},
        {Variant::CreateArray({0, 11}), "11 or 14 elements, not 12"},
        {Variant::CreateArray({0, 10, 0, 1}), "an array of 11 or 14 elements"},
        {kindArray, "element 0 must be a single value"},
        {nested, "an extra value (element 2) must be a single value"},
        {Request("CMSMC", "01", many), "at most 64 values"},
        {longText, "element 4 is longer than 4000 bytes"},
        {flag, "element 3 must be 1 or 0"},
    };
    for (Case& c : cases)
        EXPECT_NE(ErrorOf(*session, c.request).find(c.message), std::string::npos)
            << c.message << ": " << ErrorOf(*session, c.request);
    // Values are bound, never spliced into the SQL.
    Variant reply;
    EXPECT_TRUE(
        session->Call("GetF2Data", Request("CMSMC", "01", "01' OR '1'='1"), reply).AsBoolean());
    EXPECT_TRUE(session->FindProvider("pvdDravoc")->GetRecords({}).rows.empty());
    EXPECT_TRUE(session->Call("GetF2Data", Request("CMSMC", "01", "01"), reply).AsBoolean());
    EXPECT_EQ(session->FindProvider("pvdDravoc")->GetRecords({}).rows.size(), 4u);
}

TEST_F(LookupServerTest, FirstRequestIsCutAndMarkedTopTheRepeatGivesAll) {
    server->Db().Exec(
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200) "
        "INSERT INTO CMSNO (NO001, NO002) SELECT 'X' || i, '项目' || i FROM n");
    Variant reply;
    for (bool combo : {false, true}) {
        ASSERT_TRUE(
            session->Call("GetF2Data", Request("CMSNO", "01", "", combo), reply).AsBoolean());
        EXPECT_NE(reply.AsString().find(" TOP "), std::string::npos);
        EXPECT_EQ(session->FindProvider("pvdDravoc")->GetRecords({}).rows.size(), 1000u);
    }
    Variant all = Request("CMSNO", "01", "", false, 0);
    all[4] = " ";
    ASSERT_TRUE(session->Call("GetF2Data", all, reply).AsBoolean());
    EXPECT_EQ(reply.AsString().find(" TOP "), std::string::npos);
    EXPECT_EQ(session->FindProvider("pvdDravoc")->GetRecords({}).rows.size(), 1201u);
}

TEST_F(LookupServerTest, ReplySectionsOfTheLookupWindow) {
    Variant reply;
    ASSERT_TRUE(
        session->Call("GetF2Data", Request("MOCTN", "01", Arr({"A1001-01"})), reply).AsBoolean());
    const std::string t = reply.AsString();
    for (const char* part :
         {"<CHS>\r\n--DISPLAY;\r\n进货单别;", "</CHS>\r\n<ENG>\r\n--DISPLAY;\r\nType;Number",
          "</ENG>\r\n==============MI005 END=================\r\n--DISPLAY;\r\n进货单别;",
          "--PRICEFIELDS;\r\nTI024\r\n", "--PMID;\r\nKTRB52\r\n",
          "--LINK;\r\nKTRB52,TI001,TI002,TH001,TH002\r\n"})
        EXPECT_NE(t.find(part), std::string::npos) << part;
    ASSERT_TRUE(
        session->Call("GetF2Data", Request("MOCTI", "60", Arr({"5901", "20240108001"})), reply)
            .AsBoolean());
    EXPECT_NE(reply.AsString().find("--MAPTI037;\r\n未审核\tN\r\n已审核\tY\r\n作废\tV\r\n"),
              std::string::npos);
}

TEST_F(LookupServerTest, EachConnectionKeepsItsOwnRows) {
    auto other = server->NewSession();
    Variant reply;
    ASSERT_TRUE(session->Call("GetF2Data", Request("CMSMF", "01", ""), reply).AsBoolean());
    ASSERT_TRUE(other->Call("GetF2Data", Request("PURMA", "02", "", true), reply).AsBoolean());
    EXPECT_EQ(session->FindProvider("pvdDravoc")->GetRecords({}).fields[0].name, "MF001");
    EXPECT_EQ(other->FindProvider("pvdDravoc")->GetRecords({}).fields[0].name, "MA001");

    auto tcp = std::make_unique<TcpServer>(server, "127.0.0.1", 0);
    tcp->Start();
    auto a = RemoteAppServer::Connect("127.0.0.1", tcp->Port());
    auto b = RemoteAppServer::Connect("127.0.0.1", tcp->Port());
    for (auto& c : {a, b})
        ASSERT_EQ(c->Call("Connect", Arr({"KTRB52", "WANGQ", "DEMO", "DEMO", "True", "True"}))
                      .AsInteger(),
                  0);
    Variant replyA, replyB;
    EXPECT_FALSE(a->Call("GetCustomOW", "CMSMC", "01", "").AsBoolean());
    a->Put("OpenWinKind", 0);
    ASSERT_TRUE(a->Call("GetF2Data", Request("CMSMC", "01", "01", true), replyA).AsBoolean());
    ASSERT_TRUE(b->Call("GetF2Data", Request("CMSNI", "01", Arr({"W01"})), replyB).AsBoolean());
    EXPECT_NE(replyA.AsString().find("--RETURN;\r\nMC001,MC002\r\n"), std::string::npos);
    EXPECT_NE(replyB.AsString().find("--RETURN;\r\nNI002,NI003\r\n"), std::string::npos);
    EXPECT_EQ(a->FindProvider("pvdDravoc")->GetRecords({}).rows.size(), 4u);
    EXPECT_EQ(b->FindProvider("pvdDravoc")->GetRecords({}).fields[0].name, "NI002");
    EXPECT_THROW(a->Call("GetF2Data", Arr({"CMSMC"}), replyA), plat::EOleException);
    EXPECT_EQ(a->FindProvider("pvdDravoc")->GetRecords({}).rows.size(), 0u);
    tcp->Stop();
}
