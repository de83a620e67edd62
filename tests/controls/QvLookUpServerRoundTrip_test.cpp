// The lookup server's replies read by the lookup routines, for every look-up
// the receipt form and its lookup windows ask for.
#include <gtest/gtest.h>

#include "controls/QvLookUpComboCommon.h"
#include "platform/core/text.h"
#include "standins/appserver/session.h"

using namespace ktrb;
using plat::Variant;

namespace {

class LookupRoundTrip : public ::testing::Test {
  protected:
    void SetUp() override {
        server = standin::AppServer::Open(":memory:");
        session = server->NewSession();
    }

    // The combo's request (14 elements) or the lookup window's (11).
    plat::TStringList Fetch(const std::string& kind, const std::string& sub, const Variant& extra,
                            const std::string& codePage, bool combo) {
        Variant r = Variant::CreateArray({0, combo ? 13 : 10});
        Variant items[] = {kind, sub, extra, 1, "", "DEMO", 3, "", "", "", "N", "", "", "9"};
        for (int i = 0; i <= r.HighBound(); ++i) r[i] = items[i];
        Variant reply;
        EXPECT_TRUE(session->Call("GetF2Data", r, reply).AsBoolean()) << kind << " " << sub;
        rows = session->FindProvider("pvdDravoc")->GetRecords({});
        plat::TStringList values;
        ParseReplyLines(SelectLanguageSection(reply.AsString(), codePage), values);
        return values;
    }

    int FieldIndex(const std::string& name) const {
        for (size_t i = 0; i < rows.fields.size(); ++i)
            if (plat::SameText(rows.fields[i].name, name)) return (int)i;
        return -1;
    }

    std::shared_ptr<standin::AppServer> server;
    std::unique_ptr<standin::AppSession> session;
    plat::TDataPacket rows;
};

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    size_t b = 0;
    for (size_t e; (e = s.find(sep, b)) != std::string::npos; b = e + 1)
        out.push_back(s.substr(b, e - b));
    out.push_back(s.substr(b));
    return out;
}

}  // namespace

TEST_F(LookupRoundTrip, EveryLookupOfTheReceiptReadsBack) {
    struct Case {
        const char* kind;
        const char* sub;
        Variant extra;
        const char* firstReturned;  // the first returned value of the first row
    } cases[] = {
        {"CMSMQ", "01", Variant::ArrayOf({"59", "ZHANGW"}), "5901"},
        {"CMSMB", "01", "", "01"},
        {"CMSME", "01", "", "PMC"},
        {"PURMA", "02", "", "S001"},
        {"CMSMF", "01", "", "JPY"},
        {"CMSMG", "01", "USD", ""},
        {"CMSNA", "01", "1", "COD"},
        {"CMSNO", "01", "", "P2024-001"},
        {"INVMB", "01", "", "A1001-01"},
        {"BOMMI", "01", "", "E-TEST-01"},
        {"INVMD", "01", Variant::ArrayOf({"A1001-01", "A1001-01"}), "PCS"},
        {"CMSMC", "01", "01", "W01"},
        {"CMSMC", "06", "01", "W01"},
        {"CMSNI", "01", Variant::ArrayOf({"W01"}), ""},
        {"INVML", "03", Variant::ArrayOf({"D4001", "W01", ""}), "L240301"},
        {"INVML", "01", Variant::ArrayOf({"A1001-01", "20240110", "01"}), "A1001-01"},
        {"MOCMA", "01", Variant::ArrayOf({"A1001-01", "S001", "RMB", "20240110", "20240110"}),
         "PCS"},
        {"MOCMA", "02", Variant::ArrayOf({"A1001-01", "S001", "RMB", "****", "", ""}), "A1001-01"},
        {"BOMMF", "02", Variant::ArrayOf({"A1001-01", "2", "RMB"}), "****"},
        {"MOCTN", "01", Variant::ArrayOf({"A1001-01"}), "5902"},
        {"MOCTI", "60", Variant::ArrayOf({"5901", "20240108001"}), "5901"},
        {"ACPTB", "60", Variant::ArrayOf({"5901", "20240108001"}), "0001"},
        {"INVLD", "01", "A1001-01", "P2024-001"},
        {"SFCTA", "06", Variant::ArrayOf({"5201", "20240105001"}), ""},
        {"MOCTA", "72", Variant::ArrayOf({"2", "01", "", "", "", "S001", "", "RMB", "", "2", ""}),
         "5201"},
        {"MOCCD", "01", Variant::ArrayOf({"S001", "01", "", "", "", ""}), ""},
        {"QMSTD", "04", Variant::ArrayOf({"S001", "01", "", ""}), ""},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + c.sub);
        for (bool combo : {true, false}) {
            plat::TStringList v = Fetch(c.kind, c.sub, c.extra, "936", combo);
            std::vector<std::string> display = Split(v.Values("DISPLAY"), ';');
            EXPECT_EQ(display.size(), rows.fields.size());
            std::vector<std::string> returned = Split(v.Values("RETURN"), ',');
            for (const std::string& list :
                 {v.Values("RETURN"), v.Values("PRICEFIELDS"), v.Values("MONEYFIELDS")})
                for (const std::string& name : Split(list, ','))
                    EXPECT_TRUE(list.empty() || FieldIndex(name) >= 0) << name;
            for (int i = 0; i < v.Count(); ++i)
                EXPECT_TRUE(v.Names(i).rfind("MAP", 0) != 0 ||
                            FieldIndex(v.Names(i).substr(3)) >= 0)
                    << v.Names(i);
            if (*c.firstReturned) {
                ASSERT_FALSE(rows.rows.empty());
                EXPECT_EQ(rows.rows[0].values[FieldIndex(returned[0])].AsString(), c.firstReturned);
            }
            // English captions, one per column as well.
            EXPECT_EQ(
                Split(Fetch(c.kind, c.sub, c.extra, "437", combo).Values("DISPLAY"), ';').size(),
                rows.fields.size());
        }
    }
}

TEST_F(LookupRoundTrip, TwoInitialsOfAChineseNameFindItsRowOnlyUnder936) {
    Fetch("PURMA", "02", "", "936", true);
    const int name = FieldIndex("MA002");
    ASSERT_GE(name, 0);
    auto matching = [&](const char* typed, const char* codePage) {
        TLookupMatcher m(typed, codePage);
        std::string found;
        for (const auto& row : rows.rows)
            if (m.Matches(row.values[name].AsString())) found += row.values[0].AsString() + " ";
        return found;
    };
    EXPECT_EQ(matching("hd", "936"), "S002 ");    // 华达电镀
    EXPECT_EQ(matching("jgwj", "936"), "S001 ");  // 精工五金
    EXPECT_EQ(matching("hd", "950"), "");
    EXPECT_EQ(matching("华达", "950"), "S002 ");
}
