#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "server_fixture.h"
#include "standins/appserver/mini_xml.h"
#include "standins/appserver/private_folder.h"

using namespace standin;
using namespace standin::testing;
using plat::Variant;

using SessionTest = ServerTest;

TEST_F(SessionTest, ConnectSvrDataAndWhatIs) {
    std::string data = session->Call("SvrData").AsString();
    EXPECT_NE(data.find("M11_TABLE=MOCTH\r\n"), std::string::npos);
    EXPECT_NE(data.find("D11_KEY=TI001,TI002,TI003\r\n"), std::string::npos);
    // ZHANGW has no rights row of his own: his group's.
    EXPECT_NE(data.find("POWER_DATA=x,N,Y,xYYYYYRRYYN,YYYYYYY,NNNNNNN\r\n"), std::string::npos);
    EXPECT_NE(data.find("USER_GROUP=PUR\r\n"), std::string::npos);
    EXPECT_NE(data.find("GROUP_LIST='PUR'\r\n"), std::string::npos);
    EXPECT_NE(data.find("BaseLimited=N\r\n"), std::string::npos);
    EXPECT_EQ(session->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
    EXPECT_EQ(session->Call("WhatIs", "TODAY").AsString(), TodayText());
    EXPECT_THROW(session->Call("WhatIs", "COLOUR"), plat::EOleException);

    auto other = server->NewSession();
    EXPECT_EQ(Connect(*other, "NOBODY").AsInteger(), 1);
}

TEST_F(SessionTest, BadCallsGiveClearErrorsAndTheSessionGoesOn) {
    EXPECT_THROW(session->Call("NoSuchMethod"), plat::EOleSysError);
    EXPECT_THROW(session->Call("WhatIs"), plat::EOleSysError);  // wrong argument count
    try {
        session->Call("Connect", Arr({"KTRB52", "DS"}));
        FAIL();
    } catch (const plat::EOleException& e) {
        EXPECT_NE(e.Description().find("six values"), std::string::npos);
    }
    EXPECT_THROW(Op("NoSuchOperation", Arr({1})), ServerError);
    EXPECT_THROW(Op("UnitConvert", Arr({"A1001-01"})), ServerError);  // too few arguments
    EXPECT_THROW(Op("UnitConvert", "A1001-01"), ServerError);         // not an array
    EXPECT_EQ(session->Call("WhatIs", "SQLTYPE").AsInteger(), 0);
}

TEST_F(SessionTest, SimpleSqlAnswersColumnsInTheListOrder) {
    Variant rows = Op("SimpleSQL",
                      Arr({" SELECT MQ042,MQ043,MQC02,MQC03,MQC04 FROM $$CMSMQ WHERE MQ001='5902' ",
                           "MQC04,MQ042"}));
    ASSERT_TRUE(rows.IsArray());
    ASSERT_EQ(rows.ArrayCount(), 1);
    EXPECT_EQ(rows[0][0].AsString(), "Y");  // MQC04
    EXPECT_EQ(rows[0][1].AsString(), "Y");  // MQ042
    // The four-element form, as the forms send it, through the counter's entry.
    rows = session->Call(
        "GETCOUNTER", "SimpleSql",
        Arr({"select TOP 1 1 AS REC from SVJOBQUE(nolock) where SV001='DEMO'", "REC", "DEMO", "N"}),
        Arr({"DEMO", "DEMO"}));
    EXPECT_TRUE(rows.IsEmpty());  // nothing found
    rows = Op("SimpleSql", Arr({"SELECT MB002 FROM $$INVMB WHERE MB001='B2001'", "MB002"}));
    EXPECT_EQ(rows[0][0].AsString(), "控制器主板");
}

TEST_F(SessionTest, SimpleSqlRefusesStatementsThatChangeData) {
    const char* refused[] = {
        "DELETE FROM MOCTI",
        "UPDATE MOCTH SET TH023='Y'",
        "SELECT 1; DELETE FROM MOCTI",
        "WITH x AS (SELECT 1) DELETE FROM MOCTI",
        "DROP TABLE MOCTH",
        "ATTACH DATABASE '/tmp/x.db' AS x",
        "PRAGMA writable_schema=1",
        "/* SELECT */ DELETE FROM MOCTI",
        "-- SELECT\r DELETE FROM MOCTI",
        "BEGIN",
        "SELECT 1 AS X; BEGIN",
        "SAVEPOINT s",
        "COMMIT",
        "REPLACE INTO CMSMQ (MQ001) VALUES ('9999')",
        "INSERT OR REPLACE INTO CMSMQ (MQ001) VALUES ('9999')",
        "VACUUM",
        "CREATE TEMP TABLE t (x)",
        "CREATE TEMP VIEW v AS SELECT 1",
        "ANALYZE",
        "DETACH DATABASE main",
        "PRAGMA foreign_keys=OFF",
        "EXPLAIN DELETE FROM MOCTI",
        "SELECT load_extension('libx') AS X",
        "WITH RECURSIVE c(x) AS (SELECT 1) INSERT INTO CMSMQ (MQ001) SELECT x FROM c"};
    for (const char* sql : refused)
        EXPECT_THROW(Op("SimpleSQL", Arr({sql, ""})), plat::Exception) << sql;
    EXPECT_GT(Sql("SELECT COUNT(*) FROM MOCTI").AsInteger(), 0);
    EXPECT_TRUE(Sql("SELECT 1 FROM CMSMQ WHERE MQ001 = '9999'").IsEmpty());
    // The shared connection is left as it was: no transaction open, checks on.
    EXPECT_EQ(Sql("PRAGMA foreign_keys").AsInteger(), 1);
    EXPECT_NO_THROW(server->Db().Exec("BEGIN; ROLLBACK"));
    EXPECT_THROW(Op("SimpleSQL", Arr({"SELECT NOPE FROM MOCTH", "NOPE"})), SqlError);
    EXPECT_THROW(Op("SimpleSQL", Arr({"SELECT TH001 FROM MOCTH", "TH999"})), ServerError);
}

TEST_F(SessionTest, TransactionSqlChangesDataAllOrNothing) {
    const std::string attachments =
        " DELETE FROM ATTACH  WHERE Parent = 'KTRB52'        AND CompanyID = 'DEMO'        AND "
        "KeyValues = '5901||20240108001' ";
    Op("TransactionSQL", Arr({Arr({attachments}), ""}));
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM ATTACH").AsInteger(), 0);
    server->Db().Exec(
        "INSERT INTO ATTACH (Parent, CompanyID, KeyValues, SeqNo, FileName) VALUES ('KTRB52', "
        "'DEMO', '5901||20240108001', 1, 'a.pdf')");
    // One refused statement: the module's own one beside it is not run either.
    EXPECT_THROW(Op("TransactionSQL", Arr({Arr({attachments, "DELETE FROM NO_TABLE"}), ""})),
                 ServerError);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM ATTACH").AsInteger(), 1);
    EXPECT_THROW(Op("TransactionSQL", Arr({Arr({"DROP TABLE MOCTI"}), ""})), ServerError);
}

TEST_F(SessionTest, CatalogueAnswersValuesAtTheirPositions) {
    Variant r;
    ASSERT_TRUE(server->CheckValue("PURMA", "01", Arr({"S004"}), r));
    // Value n stands at element n - 1; the count is the data module's to add.
    EXPECT_EQ(r.HighBound(1), 30);
    EXPECT_EQ(r[0].AsString(), "永固橡塑");
    EXPECT_EQ(r[1].AsString(), "RMB");
    EXPECT_EQ(r[12].AsString(), "2");  // suspended
    EXPECT_DOUBLE_EQ(r[30].AsFloat(), 0.13);
    EXPECT_EQ(r[19].AsString(), "");  // a position without a column

    ASSERT_TRUE(server->CheckValue(
        "MOCTA", "32", Arr({"5201", "20240105001", "2", "01", "", "S001", "", "RMB", "2", ""}), r));
    EXPECT_EQ(r[0].AsString(), "A1001-01");
    EXPECT_DOUBLE_EQ(r[2].AsFloat(), 1000);
    EXPECT_EQ(r[19].AsString(), "成品仓");
    EXPECT_EQ(r[30].AsString(), "BOX");
    EXPECT_EQ(r[48].AsString(), "PCS");

    // A scalar key is one key; a document number not taken is "not found".
    EXPECT_TRUE(server->CheckValue("CMSMB", "01", "01", r));
    EXPECT_EQ(r[0].AsString(), "苏州工厂");
    EXPECT_FALSE(server->CheckValue("MOCTH", "01", Arr({"5901", "20991231001", Variant()}), r));
    EXPECT_TRUE(r.IsEmpty());

    // An entry with a V0 column answers value 0 at element 0.
    ASSERT_TRUE(server->CheckValue("ADMMB", "06", Arr({"KTRB52", "DEMO"}), r));
    EXPECT_EQ(r[0].AsString(), "委外进货单");
    EXPECT_EQ(r[7].AsString(), "Y");

    EXPECT_THROW(server->CheckValue("MOCTH", "99", Arr({"x"}), r), ServerError);
    // Through the server object, with the result written back.
    Variant out;
    EXPECT_TRUE(session->Call("CheckValue", "CMSMQ", "22", Arr({"5201", "51", "52", "51"}), out)
                    .AsBoolean());
    EXPECT_EQ(out[0].AsString(), "委外工单");
}

TEST_F(SessionTest, QueryDataGivesEveryRow) {
    Variant rows = server->QueryData("NUMFD", "01", "MOCTI, MOCTH");
    ASSERT_EQ(rows.ArrayCount(), 32);
    EXPECT_EQ(rows[0][0].AsString(), "TH009");  // column, precision, scale from element 0
    EXPECT_EQ(rows[0][1].AsInteger(), 9);
    Variant inspections = server->QueryData("QMSTD", "02", Arr({"5902", "20240205001", ""}));
    EXPECT_EQ(inspections.ArrayCount(), 0);
}

TEST_F(SessionTest, UnitConvertAndQuantities) {
    Variant r = Op("UnitConvert", Arr({"A1001-01", 3, "BOX", "PCS"}));
    ASSERT_TRUE(r.IsArray());
    EXPECT_DOUBLE_EQ(r[0].AsFloat(), 60);
    EXPECT_DOUBLE_EQ(Op("UnitConvert", Arr({"A1001-01", 30, "PCS", "DOZ"}))[0].AsFloat(), 2.5);
    EXPECT_DOUBLE_EQ(Op("UnitConvert", Arr({"A1001-01", 40, "PCS", ""}))[0].AsFloat(),
                     40);  // stock unit
    EXPECT_DOUBLE_EQ(Op("UnitConvert", Arr({"C3001", 1, "G", "KG"}))[0].AsFloat(), 0.001);
    EXPECT_TRUE(
        Op("UnitConvert", Arr({"A1001-01", 1, "BAG", "PCS"})).IsEmpty());  // no conversion known
    EXPECT_DOUBLE_EQ(Op("QtyDToS", Arr({"C3001", 2, 0, "BAG", "KG"})).AsFloat(), 10);
    EXPECT_DOUBLE_EQ(Op("QtyADD", Arr({"C3001", 3, "BAG", ""})).AsFloat(), 15);
}

TEST_F(SessionTest, TaxRatesAndPrices) {
    // Work-order price in tax kind 2 to a receipt with tax included.
    EXPECT_DOUBLE_EQ(Op("ChangeTax", Arr({100.0, "1", "2", "RMB", "0.13"})).AsFloat(), 113);
    EXPECT_DOUBLE_EQ(Op("ChangeTax", Arr({113.0, "2", "1", "RMB", 0.13})).AsFloat(), 100);
    // The engineering-item layout: [price, "Y", "N", currency, rate as percent].
    EXPECT_DOUBLE_EQ(Op("ChangeTax", Arr({10.0, "Y", "N", "JPY", "13"})).AsFloat(), 11.3);
    EXPECT_DOUBLE_EQ(Op("ChangeTax", Arr({10.0, "3", "3", "RMB", 0.13})).AsFloat(), 10);

    EXPECT_DOUBLE_EQ(Op("ExchangeRate", Arr({"USD", "O", "20240301"})).AsFloat(), 7.12);
    EXPECT_DOUBLE_EQ(Op("ExchangeRate", Arr({"USD", "O", "20240701"})).AsFloat(), 7.22);
    EXPECT_DOUBLE_EQ(Op("ExchangeRate", Arr({"USD", "I", "20240301"})).AsFloat(), 7.08);
    EXPECT_DOUBLE_EQ(Op("ExchangeRate", Arr({"RMB", "O", "20240301"})).AsFloat(), 1);
    EXPECT_DOUBLE_EQ(Op("ExchangeRate", Arr({"EUR", "O", "20240301"})).AsFloat(), 0);

    // The supplier's terms, tax added for a receipt with tax included.
    EXPECT_DOUBLE_EQ(Op("MocUnitPrice", Arr({"A1001-01", "****", "S001", "PCS", "RMB", "20240301",
                                             "1", "", "", "0.13"}))
                         .AsFloat(),
                     14.125);
    EXPECT_DOUBLE_EQ(Op("MocUnitPrice", Arr({"A1001-01", "****", "S001", "BOX", "RMB", "20240301",
                                             "2", "", "", "0.13"}))
                         .AsFloat(),
                     250);
    // No terms: the last confirmed work order of the supplier, its tax taken out.
    EXPECT_DOUBLE_EQ(Op("MocUnitPrice", Arr({"A1002-02", "****", "S001", "PCS", "RMB", "20240301",
                                             "2", "", "", "0.13"}))
                         .AsFloat(),
                     1.8);
}

TEST_F(SessionTest, OnHoldCountsUnconfirmedReceipts) {
    EXPECT_DOUBLE_EQ(Op("MocOnHold", Arr({"A1001-01", "", "N", "5201", "20240105001"})).AsFloat(),
                     500);
    EXPECT_DOUBLE_EQ(
        Op("MocOnHoldpack", Arr({"A1001-01", "", "N", "5201", "20240105001"}))[0].AsFloat(), 25);
    EXPECT_DOUBLE_EQ(Op("MocOnHold", Arr({"C3001", "", "N", "5201", "20240110001"})).AsFloat(), 50);
    EXPECT_DOUBLE_EQ(Op("MocOnHold", Arr({"B2001", "", "N", "5201", "20240115001"})).AsFloat(), 0);
}

TEST_F(SessionTest, AmountsOfAConfirmedLine) {
    auto args = [](const char* type, const char* number) {
        return Arr({"2", type, number, "0001", 300.0, 13.0, 3900.0, 0.0, 0.0, "", "N", "", "PCS",
                    "PUR", "ZHANGW", 3900.0, 507.0, 3900.0, 507.0});
    };
    EXPECT_EQ(Op("KeyinMoney", args("5901", "20240112001")).AsString(), "N");  // not confirmed
    EXPECT_EQ(Op("KeyinMoney", args("5901", "20240108001")).AsString(), "Y");
    EXPECT_DOUBLE_EQ(Sql("SELECT TI024 FROM MOCTI WHERE TI002='20240108001'").AsFloat(), 13);
    EXPECT_DOUBLE_EQ(Sql("SELECT TH018 FROM MOCTH WHERE TH002='20240108001'").AsFloat(), 3900);
    EXPECT_DOUBLE_EQ(Sql("SELECT TH020 FROM MOCTH WHERE TH002='20240108001'").AsFloat(), 507);
}

TEST_F(SessionTest, UserSettingsMergeProgramOverAllPrograms) {
    const std::string all(20, '*');
    Op("SetUserDefine", Arr({"DEMO", "ZHANGW", all, "InputSettings002/IsKeepOnAdd", "True"}));
    Op("SetUserDefine", Arr({"DEMO", "ZHANGW", "KTRB52", "InputSettings002/IsKeepOnAdd", "False"}));
    EXPECT_EQ(Op("GetUserDefine", Arr({"DEMO", "ZHANGW", "KTRB52", "InputSettings002"})).AsString(),
              "<InputSettings002><IsKeepOnAdd>False</IsKeepOnAdd></InputSettings002>");
    EXPECT_EQ(Op("GetUserDefine", Arr({"DEMO", "ZHANGW", "OTHER", "InputSettings002"})).AsString(),
              "<InputSettings002><IsKeepOnAdd>True</IsKeepOnAdd></InputSettings002>");
    Op("SetUserDefine",
       Arr({"DEMO", "ZHANGW", all, ".",
            "<NumberFieldsSetting><QuantityFieldAutoZero>False</QuantityFieldAutoZero>"
            "<MoneyFieldThousand>True</MoneyFieldThousand></NumberFieldsSetting>"}));
    std::string xml =
        Op("GetUserDefine", Arr({"DEMO", "ZHANGW", "KTRB52", "NumberFieldsSetting"})).AsString();
    EXPECT_NE(xml.find("<QuantityFieldAutoZero>False</QuantityFieldAutoZero>"), std::string::npos);
    EXPECT_EQ(Op("GetUserDefine", Arr({"DEMO", "ZHANGW", "KTRB52", "Nothing"})).AsString(), "");
    // The per-user form settings document.
    EXPECT_EQ(session->Call("GetFormat", "DEMO", "KTRB52").AsString(), "");
    server->Db().Exec(
        "INSERT INTO USRFM VALUES ('DEMO', 'ZHANGW', 'KTRB52', '<MT_User CompanyID=\"DEMO\" "
        "ProgID=\"KTRB52\"/>')");
    EXPECT_NE(session->Call("GetFormat", "DEMO", "ktrb52").AsString().find("MT_User"),
              std::string::npos);
    EXPECT_THROW(Op("SetUserDefine", Arr({"DEMO", "ZHANGW", all, ".", "<broken>"})), XmlError);
}

TEST_F(SessionTest, QueryUdfDataBindsTheSourceValues) {
    Variant r =
        Op("QueryUDFData",
           Arr({"SELECT MA003 FROM $$PURMA WHERE MA001 = ?", "", "DEMO", "N", Arr({"S002"})}));
    EXPECT_EQ(r[0][0].AsString(), "昆山华达电镀有限公司");
    EXPECT_TRUE(Op("QueryUDFData",
                   Arr({"SELECT MA003 FROM PURMA WHERE MA001 = ?", "", "DEMO", "N", Arr({"X"})}))
                    .IsEmpty());
    EXPECT_THROW(Op("QueryUDFData", Arr({"DELETE FROM PURMA", "", "DEMO", "N", Arr({})})),
                 ServerError);
}

TEST(PrivateFolder, OnlyPlainNamesAreFileNames) {
    for (const char* good : {"KTRB52-5901__X.html", "a", "KTRB52-5901__X--3.gif"})
        EXPECT_TRUE(IsPlainFileName(good)) << good;
    for (const char* bad : {"", ".", "..", "../x", "a/b", ".hidden", "a b", "a\\b", "页.gif"})
        EXPECT_FALSE(IsPlainFileName(bad)) << bad;
    EXPECT_FALSE(IsPlainFileName(std::string(256, 'a')));
}

TEST_F(SessionTest, SignOffPagesAreWrittenOnlyInTheirPrivateFolder) {
    namespace fs = std::filesystem;
    const fs::path root =
        fs::temp_directory_path() / ("ktrb_signoff_private_" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
    const fs::path folder = root / "pages", outside = root / "outside.txt";
    std::ofstream(outside) << "kept";
    auto outsideKept = [&] {
        std::ifstream in(outside);
        std::stringstream text;
        text << in.rdbuf();
        return text.str() == "kept";
    };
    server->SetSignOffFolder(folder.string());
    const std::string request =
        "<Request><RequestMethod>GetApproveOpinion</RequestMethod><RequestContent><ContentText>"
        "<Form><TargetFormID>KTRB52</TargetFormID><TargetSheetNo>5901||X</TargetSheetNo></Form>"
        "</ContentText></RequestContent></Request>";
    auto page = [&] { return Op("CallWebService", Arr({"http://sv", "svc", request, "N"})); };
    auto image = [&](const std::string& pageNumber) {
        server->Db().Exec(
            "INSERT INTO SVJOBIMG (IM001, IM002, IM003, IM004, IM005) VALUES ('DEMO', 'KTRB52', "
            "'5901||X', '" +
            pageNumber + "', 'GIF89a')");
    };
    image("1");
    EXPECT_NE(plat::VarToStr(page()).find("file://" + (folder / "KTRB52-5901__X.html").string()),
              std::string::npos);
    EXPECT_TRUE(fs::is_regular_file(folder / "KTRB52-5901__X-1.gif"));
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);

    // A link planted in a page's place is not followed.
    fs::remove(folder / "KTRB52-5901__X.html");
    fs::create_symlink(outside, folder / "KTRB52-5901__X.html");
    EXPECT_THROW(page(), ServerError);
    EXPECT_TRUE(outsideKept());
    fs::remove(folder / "KTRB52-5901__X.html");
    // An image whose page "number" is a path names no file.
    image("../../outside.txt");
    EXPECT_THROW(page(), ServerError);
    EXPECT_TRUE(outsideKept());
    server->Db().Exec("DELETE FROM SVJOBIMG WHERE IM004 <> 1");
    // A folder others may enter is closed to them; a folder that is a link is refused.
    fs::permissions(folder, fs::perms::owner_all | fs::perms::group_all | fs::perms::others_read);
    page();
    EXPECT_EQ(fs::status(folder).permissions() & fs::perms::all, fs::perms::owner_all);
    fs::remove(folder / "KTRB52-5901__X.html");
    fs::rename(folder, root / "elsewhere");
    fs::create_directory_symlink(root / "elsewhere", folder);
    EXPECT_THROW(page(), ServerError);
    EXPECT_FALSE(fs::exists(root / "elsewhere" / "KTRB52-5901__X.html"));

    // By default the pages go beside the database file, not in a shared folder.
    if (!std::getenv("KTRB_SIGNOFF_PAGES")) {
        const std::string db = (root / "pages.db").string();
        EXPECT_EQ(AppServer::Open(db, DemoRows::Without)->SignOffFolder(), db + "-signoff");
    }
    fs::remove_all(root);
}

TEST_F(SessionTest, SignOffQueueAndWebService) {
    Variant job = Arr({"DEMO", "KTRB52", "5902||20240205001", "ZHANGW", Arr({"ZHANGW", "DEMO"}),
                       "N", "", Variant::Null(), Variant::Null(), "", "936", "SP7"});
    EXPECT_EQ(Op("INSERTSVJOB", Arr({job})).AsInteger(), 0);
    EXPECT_EQ(Op("INSERTSVJOB", Arr({job})).AsInteger(), 1);
    EXPECT_EQ(Op("INSERTSVJOB", Arr({Arr({"DEMO"})})).AsInteger(), 2);
    EXPECT_THROW(Op("CallWebService", Arr({"a", "b", "c", "N"})), ServerError);
}

TEST_F(SessionTest, DocumentNumbersAreNeverGivenTwice) {
    Variant number;
    ASSERT_TRUE(session
                    ->Call("QueryMaxSeq", "MOCTH", "TH001,TH002", Arr({"5901", Variant()}),
                           "20240108", "KTRB52", "DEMO", number)
                    .AsBoolean());
    EXPECT_EQ(number.AsString(), "20240108002");
    EXPECT_EQ(server->NextDocumentNumber("MOCTH", "5901", "2024/01/08"), "20240108003");
    // Monthly numbering with five digits continues after the stored number.
    EXPECT_EQ(server->NextDocumentNumber("MOCTH", "5902", "20240220"), "20240205002");
    // Manual numbering gives none.
    EXPECT_FALSE(session
                     ->Call("QueryMaxSeq", "MOCTH", "TH001,TH002", Arr({"5903", Variant()}),
                            "20240108", "KTRB52", "DEMO", number)
                     .AsBoolean());
    EXPECT_EQ(number.AsString(), "unKnow");

    std::vector<std::string> given[4];
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 25; ++i)
                given[t].push_back(server->NextDocumentNumber("MOCTH", "5901", "20240301"));
        });
    for (auto& th : threads) th.join();
    std::set<std::string> all;
    for (auto& g : given) all.insert(g.begin(), g.end());
    EXPECT_EQ(all.size(), 100u);
    EXPECT_EQ(*all.begin(), "20240301001");
}

TEST_F(SessionTest, SavedQuerySchemes) {
    session->Call("LoadTable", Arr({"ZHANGW", "KTRB52"}));
    EXPECT_EQ(session
                  ->Call("InsertConTable",
                         Arr({"我的方案", "ZHANGW", "20240301", "KTRB52", "500\x07", 0, false}))
                  .AsString(),
              "");
    EXPECT_NE(session
                  ->Call("InsertConTable",
                         Arr({"我的方案", "ZHANGW", "20240301", "KTRB52", "x", 0, false}))
                  .AsString(),
              "");
    EXPECT_EQ(session
                  ->Call("InsertConTable",
                         Arr({"我的方案", "ZHANGW", "20240302", "KTRB52", "y", 1, true}))
                  .AsString(),
              "");
    Variant o = Arr({"我的方案", "ZHANGW", "KTRB52"}), n = Arr({"新方案", "ZHANGW", "KTRB52"});
    EXPECT_EQ(session->Call("ChangeConName", o, n).AsString(), "");
    EXPECT_NE(session->Call("ChangeConName", o, n).AsString(), "");  // the old name is gone
    plat::IProvider* p = session->FindProvider("pvdConSave");
    ASSERT_NE(p, nullptr);
    plat::TDataPacket packet = p->GetRecords({});
    ASSERT_EQ(packet.rows.size(), 1u);
    EXPECT_EQ(packet.rows[0].values[0].AsString(), "新方案");
    EXPECT_NE(session->Call("DeleteConTable", Arr({"我的方案", "ZHANGW", "KTRB52"})).AsString(),
              "");
    EXPECT_EQ(session->Call("DeleteConTable", Arr({"新方案", "ZHANGW", "KTRB52"})).AsString(), "");
    // Another user's schemes stay apart: naming him gives one's own list.
    session->Call("LoadTable", Arr({"DS", "KTRB52"}));
    EXPECT_EQ(p->GetRecords({}).rows.size(), 0u);
    auto ds = server->NewSession();
    Connect(*ds, "DS");
    ds->Call("LoadTable", Arr({"DS", "KTRB52"}));
    EXPECT_EQ(ds->FindProvider("pvdConSave")->GetRecords({}).rows.size(), 1u);
}

TEST_F(SessionTest, LookupRowsAndDefinition) {
    Variant request = Arr({"CMSMC", "01", "01", 1, "", "DEMO", 3, "", "", "", "N", "", "", "9"});
    Variant reply;
    ASSERT_TRUE(session->Call("GetF2Data", request, reply).AsBoolean());
    std::string text = reply.AsString();
    EXPECT_NE(text.find("==============MI005 END=================\r\n--DISPLAY;\r\n仓库;仓库名称"),
              std::string::npos);
    EXPECT_NE(text.find("--RETURN;\r\nMC001,MC002\r\n"), std::string::npos);
    EXPECT_NE(text.find("--MAPMC004;\r\n存货仓\t1\r\n"), std::string::npos);
    plat::TDataPacket rows = session->FindProvider("pvdDravoc")->GetRecords({});
    ASSERT_EQ(rows.rows.size(), 4u);  // the four warehouses of factory 01
    EXPECT_EQ(rows.fields[0].name, "MC001");
    EXPECT_EQ(rows.fields[0].size, 10);
    EXPECT_FALSE(
        session
            ->Call("GetF2Data", Arr({"NOPE", "01", "", 1, "", "DEMO", 3, "", "", "", "N"}), reply)
            .AsBoolean());
    // Reading on past the rows of the earlier lookup finds none of them.
    plat::TFetchRequest more;
    more.restart = false;
    rows = session->FindProvider("pvdDravoc")->GetRecords(more);
    EXPECT_TRUE(rows.rows.empty());
    EXPECT_TRUE(rows.endOfData);
}

TEST_F(SessionTest, BaseDataRightsOfARestrictedUser) {
    // ZHANGW is not restricted.
    EXPECT_TRUE(session
                    ->Call("GetBaseLimitedRecs", "D11_",
                           " and MOCTH.TH001=5901 and MOCTH.TH002=20240112001", 1)
                    .IsEmpty());
    auto limei = server->NewSession();
    Connect(*limei, "LIMEI");
    EXPECT_NE(limei->Call("SvrData").AsString().find("BaseLimited=Y"), std::string::npos);
    // C3001 is not among LIMEI's items.
    Variant r = limei->Call("GetBaseLimitedRecs", "D11",
                            " and MOCTH.TH001=5901 and MOCTH.TH002=20240112001", 1);
    ASSERT_TRUE(r.IsArray());
    EXPECT_EQ(r[0].AsInteger(), 0);
    r = limei->Call("GetBaseLimitedRecs", "D11",
                    " and MOCTH.TH001=5902 and MOCTH.TH002=20240205001", 1);
    ASSERT_EQ(r[0].AsInteger(), 1);
    EXPECT_EQ(r[1][0].AsString(), "5902-20240205001-0001");
    // The condition is read as values, never run as SQL.
    EXPECT_THROW(
        limei->Call("GetBaseLimitedRecs", "D11", " and MOCTH.TH001=1; DROP TABLE MOCTI", 1),
        plat::EOleException);
}

// Statements the module sends, as they stand in its code: each runs here.
TEST_F(SessionTest, TheModulesStatementsRun) {
    const std::string cr = "\r";
    struct Stmt {
        std::string sql, columns;
    } statements[] = {
        {" SELECT TOP 1 TI001,TI002,TI003,TI021,TI056 " + cr +
             " FROM $$MOCTI                         " + cr +
             " INNER JOIN $$INVMB AS INV ON INV.MB001=TI004   " + cr +
             " LEFT JOIN                                      " + cr +
             "  ( SELECT MB001,MB002,MB003,MB006,COUNT(*) AS FOOTTOTAL   " + cr +
             "    FROM $$PSMMB                                     " + cr +
             "    WHERE MB006 = 'B'                              " + cr +
             "    GROUP BY MB001,MB002,MB003,MB006                       " + cr +
             "   ) AS PSMB ON PSMB.MB001=TI001 AND PSMB.MB002=TI002 AND PSMB.MB003=TI003  " + cr +
             " LEFT JOIN                                      " + cr +
             "  ( SELECT MB001,MB002,MB003,MB006,COUNT(*) AS FOOTTOTAL   " + cr +
             "    FROM $$PSMMB                                     " + cr +
             "    WHERE MB006 = 'C'                              " + cr +
             "    GROUP BY MB001,MB002,MB003,MB006                       " + cr +
             "   ) AS PSMC ON PSMC.MB001=TI001 AND PSMC.MB002=TI002 AND PSMC.MB003=TI003  " + cr +
             "  WHERE TI001=" + "'5901'    AND TI002='20240118001' AND MB454='Y' " + cr +
             "  GROUP BY "
             "TI001,TI002,TI003,TI021,TI056,PSMB.MB001,PSMB.FOOTTOTAL,PSMC.MB001,PSMC.FOOTTOTAL  " +
             cr +
             "  HAVING ((PSMB.MB001 IS NULL) AND (TI021 <> 0)) OR ((PSMC.MB001 IS NULL) AND (TI056 "
             "<> 0)) ",
         "TI001,TI002,TI003,TI021,TI056"},
        {" SELECT TIC02,TIC03,TIC04,SUM(TI019) AS TI019C,  SUM(TI022) AS TI022C,  SUM(TI021) AS "
         "TI021C,  SUM(TI056) AS "
         "TI056C,  SUM(TI017) AS TI017C,  SUM(TI051) AS TI051C,  SUM(TI050) AS TI050C,  SUM(TI057) "
         "AS TI057C  " +
             cr + " FROM $$MOCCD MOCCD " + cr +
             " INNER JOIN $$MOCTI MOCTI ON TIC02=CD001 AND TIC03=CD002 AND TIC04=CD003 " + cr +
             " INNER JOIN $$MOCTH MOCTH ON TH001=TI001 AND TH002=TI002 " + cr +
             " WHERE TH023='Y' " + cr +
             " AND (TI001<>'5902' OR TI002<>'20240205001' ) AND TIC02='5A01'" + cr +
             " AND TIC03='20240201001'" + cr + " AND TIC04='0001'" + cr +
             " GROUP BY TIC02,TIC03,TIC04 ",
         "TI019C,TI022C,TI021C,TI056C,TI017C,TI051C,TI050C,TI057C"},
        {" SELECT CD014,CD015,CD022,CD024,CD020,CD021,CD023,CD025 FROM $$MOCCD MOCCD " + cr +
             " WHERE CD001='5A01'" + cr + " AND CD002='20240201001'" + cr + " AND CD003='0001'",
         "CD014,CD015,CD022,CD024,CD020,CD021,CD023,CD025"},
        {" SELECT TDC02 FROM $$QMSTD QMSTD " + cr + " WHERE TD001='5A01'" + cr +
             " AND TD002='20240201001'" + cr + " AND TD003='0001'" + cr + " AND TDC01='0001'" + cr +
             " ORDER BY TD026 DESC ",
         "TDC02"},
        {" SELECT MQ002,MQ003,MQ004,MR003,MR004,MR005,MR007,MQ006,MQ007,MQ008  FROM $$ADMMQ AS "
         "ADMMQ  LEFT JOIN "
         "$$ADMMR AS ADMMR ON (MQ001=MR001 AND MQ002=MR002)  WHERE MQ001= 'KTRB52' order by MQ002",
         "MQ002,MQ003,MQ004,MR003,MR004,MR005,MR007,MQ006,MQ007,MQ008"},
        {" SELECT MC002, MC006, '' AAA, '' MD003, '' MD005, '' MD004,'' BBB, MC007, MC008, 'N' CCC "
         " FROM $$SVSMC  "
         "WHERE MC001 = 'KTRB52' ORDER BY MC002 ",
         "MC002,MC006,AAA,MD003,MD005,MD004,BBB,MC007,MC008,CCC"},
        {" SELECT TB001,TB002,TB003, TB006,TB005,TB027,(CASE WHEN TB030='' THEN TB003 ELSE TB030 "
         "END ) TB030,  TB031,TB004 "
         " ,MB403  FROM $$MOCTB  LEFT JOIN $$INVMB ON MB001=TB003  WHERE TB001='5201' AND "
         "TB002='20240105001'  AND "
         "(MB042<>'2') AND (TB011 NOT IN ('3','4')) AND TB004<>0  ORDER BY TB030 ",
         "TB001,TB002,TB003,TB006,TB005,TB027,TB030,TB031,TB004,MB403"},
        {" SELECT TL006,TL013,TL012 FROM $$ADMTK ADMTK  LEFT JOIN $$ADMTL ADMTL ON TK001 = TL001 "
         "AND TL010 = 'Y'  WHERE "
         "1=1 AND TK003 = 'Y' AND TL005 = 'Z01' AND TL003 = 'KTRB52' ORDER BY TL011 ",
         "TL006,TL013,TL012"},
        {" SELECT MA029,MA030,MA031,MA032,MA033,MA034,MA035,MA036,MA037,MA038, \r        "
         "MA039,MA040,MA041,MA042,MA043,MA044,MA045,MA046,MA047,MA048  \r FROM $$BMSMA AS BMSMA ",
         "MA039,MA040,MA041,MA042,MA043,MA044,MA045,MA046,MA047,MA048,MA029,MA030,MA031,MA032,"
         "MA033,MA034,MA035,MA036,"
         "MA037,MA038"},
        {" SELECT * FROM $$BMSMB WHERE MB001 = 'SN01'", "MB007,MB008,MB026"},
        {" SELECT MR004,MR005 FROM ADMMR WHERE MR001= 'KTRB52'", "MR004,MR005"},
        {" SELECT DISTINCT KeyValues FROM ATTACH WHERE Parent = 'KTRB52' AND CompanyID = 'DEMO'",
         "KeyValues"},
        {" SELECT MB008, MB009, MB010, MB011 FROM QRVMB WHERE MB001 = 'DEMO'",
         "MB008,MB009,MB010,MB011"},
        {"SELECT TA022 FROM $$MOCTA AS MOCTA WHERE TA001='5201' AND TA002='20240105001' ", "TA022"},
        {" SELECT MB001,MB002 FROM $$MOCMB ", "MB001,MB002"},
    };
    for (auto& s : statements)
        EXPECT_NO_THROW(Op("SimpleSql", Arr({s.sql, s.columns, "DEMO", "N"}))) << s.sql;
    // The scrapped quantity of the serial-managed line has its "B" serial: nothing is missing.
    EXPECT_TRUE(Op("SimpleSql", Arr({statements[0].sql, statements[0].columns})).IsEmpty());
    Variant sums = Op("SimpleSql", Arr({statements[1].sql, statements[1].columns}));
    EXPECT_TRUE(sums.IsEmpty());  // the only receipt on that arrival line is this one
}

// Every member with every kind of odd argument: an error or an answer, never a crash.
TEST_F(SessionTest, OddArgumentsNeverCrash) {
    std::vector<std::string> members = {
        "Connect",       "SvrData",        "WhatIs",     "GetRecCount",    "GetBaseLimitedRecs",
        "SetIsSeq",      "SetTopRow",      "LoadTable",  "InsertConTable", "DeleteConTable",
        "ChangeConName", "GetFormat",      "CheckValue", "QueryData",      "QueryMaxSeq",
        "GetSysInfo",    "GETCOUNTER",     "GetF2Data",  "GetCustomOW",    "AS_DataRequest",
        "AS_GetRecords", "AS_ApplyUpdates"};
    for (auto& op : AppSession::OperationNames()) members.push_back(op);
    std::vector<Variant> odd = {Variant(),
                                Variant::Null(),
                                Variant(-1),
                                Variant(1e300),
                                Variant(std::string(3, '\0')),
                                Arr({}),
                                Arr({Arr({Arr({})})}),
                                Arr({Variant::Null(), Variant(), 7}),
                                Variant("pvdMain"),
                                Variant("MOCTH")};
    int answered = 0, refused = 0;
    for (auto& m : members) {
        for (size_t n = 0; n <= 4; ++n) {
            for (size_t k = 0; k < odd.size(); ++k) {
                std::vector<Variant> args;
                for (size_t i = 0; i < n; ++i) args.push_back(odd[(k + i) % odd.size()]);
                try {
                    session->CallArgs(m, args);
                    ++answered;
                } catch (const plat::Exception&) {
                    ++refused;
                }
            }
        }
    }
    EXPECT_GT(refused, 0);
    EXPECT_GT(answered, 0);
    // The session and the data are still whole.
    EXPECT_EQ(Connect(*session, "ZHANGW").AsInteger(), 0);
    EXPECT_EQ(Sql("SELECT COUNT(*) FROM MOCTH").AsInteger(), 5);
}

TEST_F(SessionTest, StringFunctionsRefuseResultsTooLongToBuild) {
    const char* tooLong[] = {"SELECT REPLICATE('ab', 4611686018427387904) AS X",
                             "SELECT REPLICATE('abc', 2000000) AS X",
                             "SELECT SPACE(9000000000000000000) AS X"};
    for (const char* sql : tooLong)
        EXPECT_TRUE(Op("SimpleSQL", Arr({sql, "X"}))[0][0].IsNull()) << sql;
    EXPECT_EQ(Op("SimpleSQL", Arr({"SELECT REPLICATE('', 9000000000000000000) AS X", "X"}))[0][0]
                  .AsString(),
              "");
    EXPECT_EQ(Op("SimpleSQL", Arr({"SELECT REPLICATE('ab', 3) AS X", "X"}))[0][0].AsString(),
              "ababab");
}

TEST_F(SessionTest, ARunawayQueryIsStoppedAndTheServerGoesOn) {
    server->SetQueryStepLimit(2000000);
    const std::string endless = "WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) ";
    for (const std::string& sql :
         {endless + "SELECT COUNT(*) AS N FROM c", endless + "SELECT x AS N FROM c"})
        EXPECT_THROW(Op("SimpleSQL", Arr({sql, "N"})), ServerError) << sql;
    plat::IProvider* receipts = session->FindProvider("pvdMain");
    receipts->DataRequest(Arr({"MOCTH.TH002 IN (" + endless + "SELECT x FROM c)", ""}));
    EXPECT_THROW(receipts->GetRecords({}), ServerError);
    // Ordinary work goes on, on the same connection.
    EXPECT_EQ(Op("SimpleSQL", Arr({"SELECT COUNT(*) AS N FROM MOCTH", "N"}))[0][0].AsInteger(), 5);
    receipts->DataRequest(Arr({"", ""}));
    EXPECT_EQ(receipts->GetRecords({}).rows.size(), 5u);
}

TEST_F(SessionTest, NumbersContinueAfterTheHighestNumericNumberStored) {
    // Numbers typed by hand, one of them not a number at all.
    server->Db().Exec(
        "INSERT INTO MOCTH (TH001, TH002) VALUES ('5901', '20240301001'), ('5901', "
        "'2024030100A')");
    EXPECT_EQ(server->NextDocumentNumber("MOCTH", "5901", "20240301"), "20240301002");
}

TEST_F(SessionTest, ALongRestrictionConditionIsReadNotFeared) {
    auto limei = server->NewSession();
    Connect(*limei, "LIMEI");
    // One long quoted key value: read in one pass, never by deep recursion.
    std::string value(200000, 'x');
    Variant r = limei->Call("GetBaseLimitedRecs", "D11",
                            " and MOCTH.TH001='" + value + "' and MOCTH.TH002='it''s'", 1);
    EXPECT_TRUE(r.IsEmpty());  // no such receipt: nothing to judge
    r = limei->Call("GetBaseLimitedRecs", "D11",
                    "  AND MOCTH.TH001 = '5902'\tand TH002=20240205001 ", 1);
    ASSERT_TRUE(r.IsArray());
    EXPECT_EQ(r[1][0].AsString(), "5902-20240205001-0001");
    for (const char* bad : {" and MOCTH.TH001='5902", " and MOCTH.TH001", " or MOCTH.TH001='5902'",
                            " andMOCTH.TH001=1"})
        EXPECT_THROW(limei->Call("GetBaseLimitedRecs", "D11", bad, 1), plat::EOleException) << bad;
}
