// The query dialog's texts as plain functions: grid rows and their WHERE,
// advanced terms, the body subquery, the sort order and the scheme texts,
// with the values that must never change the query's shape.
#include "query/QBEConditions.h"

#include <gtest/gtest.h>

#include "controls/Aligrid.h"

namespace ktrb::test {
namespace {

TQBERow Row(const std::string& expr, TQBETypeClass cls, const std::string& op,
            const std::string& value, const std::string& connector = "AND") {
    TQBERow r;
    r.caption = "F";
    r.expr = expr;
    r.cls = cls;
    r.op = op;
    r.value = value;
    r.connector = connector;
    return r;
}

TEST(QBERowCondition, OperatorsAndValuesBecomeSql) {
    using C = TQBETypeClass;
    struct Case {
        TQBERow row;
        std::string sql;
    } cases[] = {
        {Row("T.A", C::Text, "=", "x1"), "T.A = 'x1' AND"},
        {Row("T.B", C::Number, ">", "5", "OR"), "T.B > 5 OR"},
        {Row("T.B", C::Number, "=", "5.0"), "T.B = 5 AND"},
        {Row("T.A", C::Text, "LLIKE", "ab"), "T.A like 'ab%' AND"},
        {Row("T.A", C::Text, "RLIKE", "ab"), "T.A like '%ab' AND"},
        {Row("T.A", C::Text, "ILIKE", "o'k"), "T.A like '%o''k%' AND"},
        {Row("T.F", C::Text, "IN", "A, B"), "T.F IN ('A','B') AND"},
        {Row("T.F", C::Text, "IN", "A,B,"), "T.F IN ('A','B','') AND"},
        {Row("T.F", C::Number, "IN", "1,2"), "T.F IN (1,2) AND"},
        {Row("T.A", C::Text, "=", "   "), ""},
        {Row("T.A", C::Text, "", "x"), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(BuildRowConditionText(c.row), c.sql) << c.row.value;
}

TEST(QBERowCondition, PickListDatesAndYearMonths) {
    TGridStrings pick;
    pick.Add("已审核\tY");
    pick.Add("未审核\tN");
    TQBERow r = Row("T.C", TQBETypeClass::Text, "=", "已审核");
    r.pickList = &pick;
    EXPECT_EQ(BuildRowConditionText(r), "T.C = 'Y' AND");
    r.op = "IN";
    r.value = "已审核,未审核";
    EXPECT_EQ(BuildRowConditionText(r), "T.C IN ('Y','N') AND");

    TQBERow d = Row("T.D", TQBETypeClass::Text, ">=", "2026/03/05");
    d.mask = TQBEMask::Date;
    EXPECT_EQ(BuildRowConditionText(d), "T.D >= '20260305' AND");
    d.dateLayout = 4;
    d.value = "115/3/5";
    EXPECT_EQ(BuildRowConditionText(d), "T.D >= '20260305' AND");
    d.dateLayout = 1;
    for (const char* bad : {"2026/02/30", "2026/03", "x' OR 1=1 --", "2026/03/05/1"}) {
        d.value = bad;
        EXPECT_THROW(BuildRowConditionText(d), EQBEConditionError) << bad;
    }
    TQBERow ym = Row("T.M", TQBETypeClass::Text, "=", "2026/13");
    ym.mask = TQBEMask::YearMonth;
    EXPECT_THROW(BuildRowConditionText(ym), EQBEConditionError);
    ym.value = "2026/07";
    EXPECT_EQ(BuildRowConditionText(ym), "T.M = '202607' AND");
}

// Whatever is typed, a text value stays one quoted literal and a number
// value is a number or refused: the query keeps its shape.
TEST(QBERowCondition, TypedSqlCannotChangeTheQuery) {
    const std::string attack = "x' OR '1'='1";
    EXPECT_EQ(BuildRowConditionText(Row("T.A", TQBETypeClass::Text, "=", attack)),
              "T.A = 'x'' OR ''1''=''1' AND");
    EXPECT_EQ(BuildRowConditionText(Row("T.A", TQBETypeClass::Text, "IN", "a') OR (1=1")),
              "T.A IN ('a'') OR (1=1') AND");
    for (const char* v : {"1 OR 1=1", "1; DROP TABLE MOCTH", "inf", "nan", "0x10"}) {
        EXPECT_THROW(BuildRowConditionText(Row("T.B", TQBETypeClass::Number, "=", v)),
                     EQBEConditionError)
            << v;
        EXPECT_THROW(
            BuildRowConditionText(Row("T.B", TQBETypeClass::Number, "IN", std::string("1,") + v)),
            EQBEConditionError)
            << v;
    }
    EXPECT_THROW(BuildRowConditionText(Row("T.B", TQBETypeClass::Number, "= 1 OR 1=1 --", "1")),
                 EQBEConditionError);
    // A like pattern on a number field is quoted like any text.
    EXPECT_EQ(BuildRowConditionText(Row("T.B", TQBETypeClass::Number, "LLIKE", "1' --")),
              "T.B like '1'' --%' AND");
}

TEST(QBEGridWhere, RowsAreBracketedAndTheLastConnectorDropped) {
    EXPECT_EQ(JoinGridConditions({"T.A = 'x1' AND", "T.B > 5 OR"}),
              " (T.A = 'x1' ) AND (T.B > 5) ");
    EXPECT_EQ(JoinGridConditions({"X = 1 AND"}), " (X = 1 ) ");
    EXPECT_EQ(JoinGridConditions({}), "");
    // A row without a connector is never cut into.
    EXPECT_EQ(JoinGridConditions({"T.A = 'abc'"}), " (T.A = 'abc') ");
    EXPECT_EQ(BuildRowConditionText(Row("T.A", TQBETypeClass::Text, "=", "abc", "")),
              "T.A = 'abc' AND");
}

TEST(QBETerm, AdvancedAndBodyTerms) {
    TQBETerm t;
    t.table = "T";
    t.fieldName = "A";
    t.sqlName = "A";
    t.number = true;
    t.opIndex = 3;
    t.value = "5";
    EXPECT_EQ(BuildTermText(t), "(T.A > 5)");
    EXPECT_EQ(TermLine(true, "AND", BuildTermText(t)), "(T.A > 5)");
    t.value = "5 OR 1=1";
    EXPECT_THROW(BuildTermText(t), EQBEConditionError);

    t.number = false;
    t.fieldName = t.sqlName = "B";
    t.opIndex = 8;
    t.value = "x";
    EXPECT_EQ(TermLine(false, "OR", BuildTermText(t)), "  OR (T.B like '%x%')");
    t.value = "x') OR ('1'='1";
    EXPECT_EQ(BuildTermText(t), "(T.B like '%x'') OR (''1''=''1%')");

    // An alias of the SELECT is written as the SELECT names it.
    t.columns = "T.A, T.B, X.MA002 SUPNAME";
    t.fieldName = "SUPNAME";
    t.sqlName = "X.MA002";
    t.opIndex = 0;
    t.value = "v";
    EXPECT_EQ(BuildTermText(t), "(X.MA002 = 'v')");

    t.columns = "";
    t.fieldName = t.sqlName = "CREATE_DATE";
    t.opIndex = 1;
    t.value = "20260101";
    EXPECT_EQ(BuildTermText(t), "(SUBSTRING(T.CREATE_DATE ,1,8 ) >= '20260101')");
    t.sqlType = 1;
    EXPECT_EQ(BuildTermText(t), "(SUBSTR(T.CREATE_DATE ,1,8 ) >= '20260101')");
}

TEST(QBEBodySubquery, JoinsTheHeaderKeysToTheBodyKeys) {
    TQBEBodyQuery q{"H", "B", {"K1", "K2"}, {"L1", "L2"}, "DB", false, "", "X", "Y"};
    EXPECT_EQ(BuildWithSubquery(q),
              "(X) and  ( select count(*) FROM DB..B B where  (H.K1=B.L1) and  (H.K2=B.L2) and "
              " ( Y ) ) > 0 ");
    q.where = "";
    EXPECT_EQ(BuildWithSubquery(q).substr(0, 3), " ( ");
    q.where = "X";
    q.bodyWhere = "";
    EXPECT_EQ(BuildWithSubquery(q), "X");
}

TEST(QBEOrder, TickedItemsSortDescending) {
    EXPECT_EQ(BuildOrderText({{"A     \tA", true}, {"B     \tB", false}}, "T", ""),
              "T.A desc,T.B asc");
    EXPECT_EQ(BuildOrderText({{"Name\tSUPNAME", false}}, "T", "T.A, X.MA002 SUPNAME"),
              "SUPNAME asc");
    EXPECT_EQ(BuildOrderText({}, "T", ""), "");
}

TEST(QBEScheme, GridAndAdvancedTextsRoundTrip) {
    TQBEGridScheme g{"500", {{"单别", "等于", "5801", "AND"}, {"单号", "包含", "", "OR"}}};
    std::string text = FormatGridScheme(g);
    EXPECT_EQ(text, "500\a单别\r\n等于\r\n5801\r\nAND\b单号\r\n包含\r\n\r\nOR\b");
    TQBEGridScheme back = ParseGridScheme(text);
    ASSERT_EQ(back.rows.size(), 2u);
    EXPECT_EQ(back.rows[1].caption, "单号");
    EXPECT_EQ(back.rows[1].value, "");
    EXPECT_EQ(back.rows[1].connector, "OR");
    EXPECT_TRUE(ParseGridScheme("500\a").rows.empty());

    TQBEAdvancedScheme a{"100",
                         "(T.A = 1)\r\n  OR (T.B = 2)",
                         {{"A \tA", true}, {"B \tB", false}},
                         true,
                         "(L.X = 'y')"};
    text = FormatAdvancedScheme(a);
    EXPECT_EQ(text,
              "100\a(T.A = 1)\r\n  OR (T.B = 2)\x03"
              "A \tA\b1\tB \tB\b0\t\x03"
              "1\x03(L.X = 'y')");
    TQBEAdvancedScheme b = ParseAdvancedScheme(text);
    EXPECT_EQ(b.memo1, a.memo1);
    ASSERT_EQ(b.sort.size(), 2u);
    EXPECT_TRUE(b.sort[0].desc);
    EXPECT_FALSE(b.sort[1].desc);
    EXPECT_TRUE(b.body);
    EXPECT_EQ(b.memo2, a.memo2);
    // A sort item without its flag stays unticked.
    EXPECT_FALSE(ParseAdvancedScheme("1\ax\x03"
                                     "A\tA\x03"
                                     "0\x03")
                     .sort.at(0)
                     .desc);
    // A flag with no TAB after it is no flag: a stray "1" does not tick the item.
    const TQBEAdvancedScheme stray = ParseAdvancedScheme(
        "1\ax\x03"
        "A\tA\b0\tB\tB\b1\x03"
        "0\x03");
    ASSERT_EQ(stray.sort.size(), 2u);
    EXPECT_EQ(stray.sort[1].text, "B\tB");
    EXPECT_FALSE(stray.sort[1].desc);
}

TEST(QBEScheme, BadTextsAreRefusedWhole) {
    for (const char* bad :
         {"", "no bell", "5x\a", "500\aA\r\nB\r\nC\r\nD\r\nE\b", "500\aA\r\n=\r\n1\r\nAND 1=1\b"})
        EXPECT_THROW(ParseGridScheme(bad), EQBEConditionError) << bad;
    for (const char* bad : {"500\amemo only", "500\a\x03\x03", "500\a\x03\x03\x03\x03\x03"})
        EXPECT_THROW(ParseAdvancedScheme(bad), EQBEConditionError) << bad;
}

TEST(QBEWords, WholeWordsOfAColumnList) {
    EXPECT_TRUE(IsWholeWordIn("TH001", "TH001,TH002"));
    EXPECT_TRUE(IsWholeWordIn("X.MA002", "A, X.MA002 SUP"));
    EXPECT_FALSE(IsWholeWordIn("TH00", "TH001,TH002"));
    EXPECT_FALSE(IsWholeWordIn("", "A"));
}

}  // namespace
}  // namespace ktrb::test
