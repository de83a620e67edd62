// Pages of a lookup for the host's lookup window, and the common phrases.
#include "server_fixture.h"

using namespace standin;
using namespace standin::testing;
using plat::Variant;

namespace {

LookupPageRequest Page(const std::string& kind, const std::string& sub, const std::string& filter,
                       bool pinyin = true, int64_t offset = 0, int64_t count = 100) {
    LookupPageRequest r;
    r.kind = kind;
    r.subKind = sub;
    r.filter = filter;
    r.pinyin = pinyin;
    r.offset = offset;
    r.count = count;
    return r;
}

std::vector<std::string> Codes(const LookupPage& page) {
    std::vector<std::string> out;
    for (const auto& row : page.rows) out.push_back(plat::VarToStr(row[0]));
    return out;
}

}  // namespace

using LookupPageTest = ServerTest;

TEST_F(LookupPageTest, FiltersByCodeNameAndInitials) {
    using V = std::vector<std::string>;
    struct Case {
        const char* filter;
        bool pinyin;
        V codes;
    } cases[] = {
        {"", true, V{"S001", "S002", "S003", "S004", "S006", "S007", "S008", "S009", "S010"}},
        {"s00", true, V{"S001", "S002", "S003", "S004", "S006", "S007", "S008", "S009"}},
        {"华达", true, V{"S002"}},                // part of the name
        {"hd", true, V{"S002"}},                  // initials of 华达电镀, any case
        {"hd", false, V{}},                       // not without the initials
        {"JG", true, V{"S001", "S006", "S008"}},  // 精工五金, 恒通加工, 吴江加工户
        {"%", true, V{}},                         // typed wildcards are plain characters
        {"_0", true, V{}},
        {"002", true, V{}},  // the code matches from its start only
    };
    for (const Case& c : cases) {
        LookupPage page = server->ReadLookupPage(Page("PURMA", "02", c.filter, c.pinyin));
        EXPECT_EQ(Codes(page), c.codes) << c.filter;
        EXPECT_FALSE(page.more);
    }
}

TEST_F(LookupPageTest, PagesFollowEachOtherAndSayWhetherMoreFollow) {
    LookupPage first = server->ReadLookupPage(Page("PURMA", "01", "", true, 0, 4));
    LookupPage second = server->ReadLookupPage(Page("PURMA", "01", "", true, 4, 4));
    LookupPage last = server->ReadLookupPage(Page("PURMA", "01", "", true, 8, 4));
    EXPECT_EQ(Codes(first), (std::vector<std::string>{"S001", "S002", "S003", "S004"}));
    EXPECT_EQ(Codes(second), (std::vector<std::string>{"S005", "S006", "S007", "S008"}));
    EXPECT_EQ(Codes(last), (std::vector<std::string>{"S009", "S010"}));
    EXPECT_TRUE(first.more);
    EXPECT_TRUE(second.more);
    EXPECT_FALSE(last.more);
    EXPECT_EQ(first.columns, (std::vector<std::string>{"MA001", "MA002", "MA003"}));
}

TEST_F(LookupPageTest, ExtraValuesAndTheSearchColumnsOfADefinition) {
    // Work orders of a supplier, searched by number and by the item's name.
    LookupPageRequest r = Page("MOCTA", "72", "20240105");
    r.params = Arr({"2", "", "", "", "", "", "", "", "", "", ""});
    LookupPage page = server->ReadLookupPage(r);
    ASSERT_FALSE(page.rows.empty());
    for (const auto& row : page.rows) EXPECT_EQ(plat::VarToStr(row[1]).substr(0, 8), "20240105");
}

TEST_F(LookupPageTest, RefusesWhatNoWindowAsks) {
    EXPECT_THROW(server->ReadLookupPage(Page("NOSUCH", "01", "")), ServerError);
    EXPECT_THROW(server->ReadLookupPage(Page("PURMA", "02", "", true, -1)), ServerError);
    EXPECT_THROW(server->ReadLookupPage(Page("PURMA", "02", "", true, 0, 0)), ServerError);
    EXPECT_THROW(server->ReadLookupPage(Page("PURMA", "02", "", true, 0, 100000)), ServerError);
    EXPECT_THROW(server->ReadLookupPage(Page("PURMA", "02", std::string(500, 'x'))), ServerError);
    LookupPageRequest nested = Page("PURMA", "02", "");
    nested.params = Arr({Arr({"x"})});
    EXPECT_THROW(server->ReadLookupPage(nested), ServerError);
}

// Every table and query number the module's F2 keys send has a lookup that
// runs and gives a code and a name.
TEST_F(LookupPageTest, EveryLookupTheModuleSendsIsThere) {
    const std::pair<const char*, const char*> pairs[] = {
        {"CMSMQ", "01"}, {"CMSMB", "01"}, {"CMSME", "01"}, {"PURMA", "02"}, {"CMSMF", "01"},
        {"CMSMG", "01"}, {"CMSNA", "01"}, {"CMSNO", "01"}, {"INVMD", "01"}, {"INVMB", "01"},
        {"BOMMI", "01"}, {"CMSMC", "01"}, {"CMSMC", "06"}, {"INVML", "03"}, {"MOCTA", "72"},
        {"MOCTA", "71"}, {"BOMMF", "02"}, {"MOCMA", "01"}, {"MOCMA", "02"}, {"INVLD", "01"},
        {"CMSNI", "01"}, {"QMSTD", "04"}, {"SFCTA", "06"}, {"MOCCD", "01"}, {"BMSMB", "01"},
        {"INVME", "01"}, {"COPMA", "05"},
    };
    for (auto [table, query] : pairs) {
        LookupPage page;
        ASSERT_NO_THROW(page = server->ReadLookupPage(Page(table, query, "x"))) << table << query;
        EXPECT_GE(page.columns.size(), 2u) << table << " " << query;
        EXPECT_FALSE(server->FindLookup(table, query)->display.empty()) << table << query;
    }
}

TEST_F(LookupPageTest, PhrasesOfTheUserAndTheCompany) {
    auto texts = [&](const std::string& user) {
        std::vector<std::string> out;
        for (const Variant& row : ArrayItems(session->Call("GetPhrases", user)))
            out.push_back(plat::VarToStr(row[2]));
        return out;
    };
    const size_t company = texts("ZHANGW").size();
    EXPECT_GE(company, 3u);
    EXPECT_EQ(texts("DS").size(), company + 1);  // and the administrator's own
    const long long mine = session->Call("AddPhrase", "ZHANGW", "  外协急件  ", 0).AsInteger();
    EXPECT_EQ(texts("ZHANGW").front(), "外协急件");  // the user's own first
    EXPECT_EQ(texts("LIMEI").size(), company);       // not another user's
    EXPECT_FALSE(session->Call("DeletePhrase", "LIMEI", mine).AsBoolean());
    EXPECT_TRUE(session->Call("DeletePhrase", "ZHANGW", mine).AsBoolean());
    EXPECT_EQ(texts("ZHANGW").size(), company);
    EXPECT_ANY_THROW(session->Call("AddPhrase", "ZHANGW", "   ", 0));
    EXPECT_ANY_THROW(session->Call("AddPhrase", "ZHANGW", std::string(300, 'x'), 0));
}
