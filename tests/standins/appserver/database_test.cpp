#include <gtest/gtest.h>

#include <cstdio>

#include "platform/data/valuecodec.h"
#include "standins/appserver/database_setup.h"

using namespace standin;
using plat::Variant;

TEST(ServerDatabase, DemoDatabaseHasReceiptsInEveryState) {
    auto db = OpenServerDatabase(":memory:");
    auto rows = db->Query("SELECT TH023, COUNT(*) FROM MOCTH GROUP BY TH023 ORDER BY TH023");
    std::map<std::string, int> byState;
    for (auto& r : rows) byState[r[0].AsString()] = r[1].AsInteger();
    EXPECT_GT(byState["Y"], 0);
    EXPECT_GT(byState["N"], 0);
    EXPECT_GT(byState["V"], 0);
    // Chinese texts come back as the UTF-8 they were written in.
    EXPECT_EQ(db->Scalar("SELECT MB002 FROM INVMB WHERE MB001 = 'A1001-01'").AsString(),
              "铝合金外壳");
}

TEST(ServerDatabase, EveryBusinessTableCarriesAuditAndUserColumns) {
    auto db = OpenServerDatabase(":memory:", DemoRows::Without);
    for (const char* table : {"MOCTH", "MOCTI", "PSMMB", "INVMB", "PURMA", "CMSMQ"}) {
        std::set<std::string> cols;
        for (auto& c : db->Query(std::string("PRAGMA table_info(") + table + ")"))
            cols.insert(c[1].AsString());
        for (const char* need : {"COMPANY", "CREATOR", "USR_GROUP", "CREATE_DATE", "MODIFIER",
                                 "MODI_DATE", "FLAG", "UDF01", "UDF12", "UDF51", "UDF62"})
            EXPECT_TRUE(cols.count(need)) << table << " lacks " << need;
    }
    EXPECT_EQ(db->Scalar("SELECT COUNT(*) FROM MOCTH").AsInteger(), 0);
}

TEST(ServerDatabase, EveryCatalogueAndLookupStatementPrepares) {
    auto db = OpenServerDatabase(":memory:");
    std::lock_guard<std::recursive_mutex> lock(db->Mutex());
    int n = 0;
    for (auto& r : db->Query("SELECT QC001, QC002, QC003 FROM QCATALOG")) {
        EXPECT_NO_THROW(Statement(*db, r[2].AsString()))
            << r[0].AsString() << " " << r[1].AsString();
        ++n;
    }
    EXPECT_GT(n, 40);
    for (auto& r : db->Query("SELECT LK001, LK002, LK003 FROM LOOKUPS"))
        EXPECT_NO_THROW(Statement(*db, r[2].AsString()))
            << r[0].AsString() << " " << r[1].AsString();
}

TEST(ServerDatabase, InMemoryDatabasesAreIndependent) {
    auto a = OpenServerDatabase(":memory:");
    auto b = OpenServerDatabase(":memory:");
    a->Exec("DELETE FROM MOCTI");
    EXPECT_EQ(a->Scalar("SELECT COUNT(*) FROM MOCTI").AsInteger(), 0);
    EXPECT_GT(b->Scalar("SELECT COUNT(*) FROM MOCTI").AsInteger(), 0);
}

TEST(ServerDatabase, DataFileEntriesKeepDirectivesAndSql) {
    auto entries = ParseDataFile(
        "-- file comment\n-- @lookup CMSMB 01  factories\n-- @display 工厂;名称\n-- @return MB001\n"
        "SELECT MB001, MB002\nFROM CMSMB\n\n-- @lookup X 02\nSELECT 1\n",
        "lookup");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].words, (std::vector<std::string>{"CMSMB", "01"}));
    EXPECT_EQ(entries[0].description, "factories");
    EXPECT_EQ(entries[0].directives,
              (std::vector<std::string>{"display 工厂;名称", "return MB001"}));
    EXPECT_EQ(entries[0].sql, "SELECT MB001, MB002\nFROM CMSMB");
    EXPECT_EQ(entries[1].sql, "SELECT 1");
}

// A database file made by an older build keeps its business rows but gets the
// server's own definitions afresh, in the layout the code reads.
TEST(ServerDatabase, AnOlderFileGetsTheDefinitionsOfThisBuild) {
    const std::string path = ::testing::TempDir() + "older-server.db";
    std::remove(path.c_str());
    {
        auto db = OpenServerDatabase(path);
        db->Exec(
            "DROP TABLE LOOKUPS; CREATE TABLE LOOKUPS (LK001 TEXT, LK002 TEXT, LK003 TEXT);"
            "DELETE FROM QCATALOG; UPDATE MOCTH SET TH010 = 'kept' WHERE TH002 = '20240108001';"
            // tables and columns a later build added
            "DROP TABLE COPMA; ALTER TABLE MOCTH DROP COLUMN TH011;");
    }
    auto db = OpenServerDatabase(path);
    EXPECT_GT(db->Scalar("SELECT COUNT(*) FROM LOOKUPS WHERE LK011 IS NOT NULL").AsInteger(), 0);
    EXPECT_GT(db->Scalar("SELECT COUNT(*) FROM QCATALOG").AsInteger(), 0);
    EXPECT_EQ(db->Scalar("SELECT TH010 FROM MOCTH WHERE TH002 = '20240108001'").AsString(), "kept");
    EXPECT_TRUE(db->TableExists("COPMA"));
    EXPECT_EQ(db->Scalar("SELECT TH011 FROM MOCTH WHERE TH002 = '20240108001'").AsString(), "");
    db.reset();
    std::remove(path.c_str());
}

// Columns written straight into the value codec give the bytes of the values
// they would be read as, for every kind SQLite stores.
TEST(ServerDatabase, ColumnsEncodeAsTheValuesTheyReadAs) {
    Database db(":memory:");
    std::lock_guard<std::recursive_mutex> lock(db.Mutex());
    Statement st(db,
                 "SELECT NULL, 0, -7, 2147483647, 2147483648, -9223372036854775808, 0.0, -0.0, "
                 "1.25, '', '铝合金外壳', x'00ff41', 'a' || char(0) || 'b'");
    ASSERT_TRUE(st.Step());
    for (int i = 0; i < st.ColumnCount(); ++i) {
        std::string direct, viaValue;
        st.PutColumn(direct, i);
        plat::codec::PutValue(viaValue, st.Column(i));
        EXPECT_EQ(direct, viaValue) << "column " << i;
    }
}
