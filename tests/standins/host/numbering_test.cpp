#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "standins/host/document_numbering.h"
#include "test_db.h"

using namespace standin;

namespace {

plat::Variant TypeOnly(const std::string& type) { return plat::Variant::ArrayOf({type, plat::Variant()}); }

std::string Next(DatabaseNumbering& n, const std::string& type, const std::string& date) {
    std::string number = "<none>";
    n.NextNumber("MOCTH", "TH001,TH002", TypeOnly(type), date, "KTRB52", "DEMO", number);
    return number;
}

}  // namespace

TEST(DocumentNumbering, ByTheTypesSettingsAndTheDate) {
    hosttest::TempDatabase t;
    DatabaseNumbering n(t.db);
    EXPECT_EQ(Next(n, "5901", "20240315"), "20240315001");  // by day, 4-digit year, 3 digits
    EXPECT_EQ(Next(n, "5901", "20240315"), "20240315002");  // never the same number twice
    EXPECT_EQ(Next(n, "5901", "20240316"), "20240316001");  // each day starts again
    EXPECT_EQ(Next(n, "5902", "20240315"), "20240300001");  // by month, 5 digits
    EXPECT_EQ(Next(n, "5904", "20240315"), "00000000001");  // running number
    EXPECT_EQ(Next(n, "5905", "20240315"), "2403151");      // 2-digit year, 1 digit
    // By hand, an unknown type or no type: no number.
    EXPECT_EQ(Next(n, "5903", "20240315"), "<none>");
    EXPECT_EQ(Next(n, "9999", "20240315"), "<none>");
    EXPECT_EQ(Next(n, "", "20240315"), "<none>");
}

TEST(DocumentNumbering, ContinuesAfterStoredDocumentsAndStopsWhenUsedUp) {
    hosttest::TempDatabase t;
    t.AddReceipt("5901", "20240315007", "N", 1);
    t.AddReceipt("5901", "2024031500X", "N", 1);  // not of the pattern: ignored
    t.AddReceipt("5902", "20240315009", "N", 1);  // another type: ignored
    DatabaseNumbering n(t.db);
    EXPECT_EQ(Next(n, "5901", "20240315"), "20240315008");
    for (int i = 1; i <= 9; ++i) EXPECT_EQ(Next(n, "5905", "20240315"), "240315" + std::to_string(i));
    EXPECT_EQ(Next(n, "5905", "20240315"), "<none>");  // the tenth does not fit in one digit
}

TEST(DocumentNumbering, RefusesNamesThatAreNotPlainIdentifiers) {
    hosttest::TempDatabase t;
    DatabaseNumbering n(t.db);
    std::string number;
    const char* tables[] = {"MOCTH; DROP TABLE MOCTH", "", "NOTABLE"};
    for (const char* table : tables)
        EXPECT_FALSE(n.NextNumber(table, "TH001,TH002", TypeOnly("5901"), "20240315", "", "", number)) << table;
    const char* keys[] = {"TH001", "TH001,TH002 --", "TH001,NOPE", ""};
    for (const char* key : keys)
        EXPECT_FALSE(n.NextNumber("MOCTH", key, TypeOnly("5901"), "20240315", "", "", number)) << key;
    // A values argument that is no array at all.
    EXPECT_FALSE(n.NextNumber("MOCTH", "TH001,TH002", plat::Null(), "20240315", "", "", number));
    EXPECT_EQ(t.db->Scalar("SELECT COUNT(*) FROM MOCTH").AsInteger(), 0);
}

TEST(DocumentNumbering, TwoClientsOnTheirOwnConnectionsNeverGetTheSameNumber) {
    hosttest::TempDatabase t;
    std::vector<std::string> numbers[2];
    std::vector<std::thread> clients;
    for (int c = 0; c < 2; ++c)
        clients.emplace_back([&, c] {
            DatabaseNumbering n(std::make_shared<Database>(t.path));
            for (int i = 0; i < 40; ++i) numbers[c].push_back(Next(n, "5902", "20240315"));
        });
    for (auto& th : clients) th.join();
    std::set<std::string> all;
    for (auto& list : numbers)
        for (auto& number : list) {
            EXPECT_NE(number, "<none>");
            all.insert(number);
        }
    EXPECT_EQ(all.size(), 80u);
    EXPECT_EQ(*all.rbegin(), "20240300080");
}
