#include "standins/appserver/sql_dialect.h"

#include <gtest/gtest.h>

#include "standins/appserver/database_setup.h"

using namespace standin;

namespace {

SqlDialectOptions TextColumns() {
    SqlDialectOptions o;
    o.isTextColumn = [](const std::string& c) {
        return c == "TH001" || c == "TH002" || c == "MB002";
    };
    return o;
}

std::string Squash(std::string s) {  // collapse blank runs for comparison
    std::string out;
    for (char c : s) {
        if (c == ' ' || c == '\n' || c == '\t') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    while (!out.empty() && out.back() == ' ') out.pop_back();
    if (!out.empty() && out.front() == ' ') out.erase(0, 1);
    return out;
}

}  // namespace

struct DialectCase {
    const char* name;
    const char* in;
    const char* out;
};

class DialectTranslation : public ::testing::TestWithParam<DialectCase> {};

TEST_P(DialectTranslation, Translates) {
    EXPECT_EQ(Squash(TranslateSql(GetParam().in, TextColumns())), GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialectTranslation,
    ::testing::Values(
        DialectCase{"DollarPrefix", "SELECT MB002 FROM $$INVMB WHERE MB001='X'",
                    "SELECT MB002 FROM INVMB WHERE MB001='X'"},
        DialectCase{"DollarInsideLiteralKept", "SELECT '$$A' FROM $$T", "SELECT '$$A' FROM T"},
        DialectCase{"DatabasePrefix",
                    "SELECT 1 FROM DEMO..ADMMF LEFT JOIN DEMO..ADMMG A ON A.MG001=MF001",
                    "SELECT 1 FROM ADMMF LEFT JOIN ADMMG A ON A.MG001=MF001"},
        DialectCase{"DboPrefix", "SELECT 1 FROM DEMO.dbo.INVMB", "SELECT 1 FROM INVMB"},
        DialectCase{"Top", "SELECT TOP 1 MA052 FROM $$BMSMA ", "SELECT MA052 FROM BMSMA LIMIT 1"},
        DialectCase{"TopWithOrderAndSemicolon", "select top 5 * from T order by A;",
                    "select * from T order by A LIMIT 5;"},
        DialectCase{"TopInSubquery", "SELECT (SELECT TOP 1 B FROM T2 ORDER BY B) AS X FROM T",
                    "SELECT (SELECT B FROM T2 ORDER BY B LIMIT 1) AS X FROM T"},
        DialectCase{"TopInParentheses", "SELECT DISTINCT TOP (3) A FROM T",
                    "SELECT DISTINCT A FROM T LIMIT 3"},
        DialectCase{"NoLock", "select TOP 1 1 AS REC from SVJOBQUE(nolock) where SV001='A'",
                    "select 1 AS REC from SVJOBQUE where SV001='A' LIMIT 1"},
        DialectCase{"WithNoLock", "SELECT A FROM T WITH (NOLOCK) WHERE A=1",
                    "SELECT A FROM T WHERE A=1"},
        DialectCase{"ConcatenateLiterals", "SELECT 'A' + 'B'", "SELECT 'A' || 'B'"},
        DialectCase{"ConcatenateTextColumns", "SELECT MOCTH.TH001+MOCTH.TH002 FROM MOCTH",
                    "SELECT MOCTH.TH001||MOCTH.TH002 FROM MOCTH"},
        DialectCase{"ConcatenateTextFunction", "SELECT RTRIM(X)+'-'+LTRIM(Y) FROM T",
                    "SELECT RTRIM(X)||'-'||LTRIM(Y) FROM T"},
        DialectCase{"NumericPlusKept", "SELECT TI019+TI022 FROM MOCTI",
                    "SELECT TI019+TI022 FROM MOCTI"},
        DialectCase{"UnaryPlusKept", "SELECT A FROM T WHERE B > +1",
                    "SELECT A FROM T WHERE B > +1"},
        DialectCase{"CastToTextConcatenates", "SELECT CAST(N AS VARCHAR(10)) + 'x' FROM T",
                    "SELECT CAST(N AS VARCHAR(10)) || 'x' FROM T"},
        DialectCase{
            "AliasWithoutAs",
            "SELECT CASE WHEN A.MG006 IS NOT NULL THEN A.MG006 ELSE 'x' END MG006 FROM $$ADMMG A",
            "SELECT CASE WHEN A.MG006 IS NOT NULL THEN A.MG006 ELSE 'x' END MG006 FROM ADMMG A"},
        DialectCase{"CarriageReturns", "SELECT A\rFROM T\r WHERE B='x\ry'",
                    "SELECT A FROM T WHERE B='x\ry'"},
        DialectCase{"WideLiteral", "SELECT A FROM T WHERE B=N'中文'",
                    "SELECT A FROM T WHERE B='中文'"},
        DialectCase{"Functions", "SELECT ISNULL(A,0), SUBSTRING(B,1,2), GETDATE() FROM T",
                    "SELECT IFNULL(A,0), SUBSTR(B,1,2), datetime('now','localtime') FROM T"},
        DialectCase{"LeftRightFunctionsNotJoins",
                    "SELECT LEFT(A,2)+'x' FROM T LEFT JOIN U ON RIGHT(T.B,1)=U.C",
                    "SELECT SQL_LEFT(A,2)||'x' FROM T LEFT JOIN U ON SQL_RIGHT(T.B,1)=U.C"}),
    [](const ::testing::TestParamInfo<DialectCase>& i) { return std::string(i.param.name); });

// The texts the module sends, run against the demo database after translation.
TEST(DialectOnDatabase, ModuleStatementsRun) {
    auto db = OpenServerDatabase(":memory:");
    const char cr = '\r';
    std::string arrival = std::string(" SELECT CD014 FROM $$MOCCD MOCCD ") + cr +
                          " WHERE CD001='5A01'" + cr + " AND CD002='20240201001'" + cr +
                          " AND CD003='0001'";
    auto r = db->Query(TranslateSql(arrival));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][0].AsFloat(), 480);

    std::string rights =
        " SELECT MF005,CASE WHEN A.MG006 IS NOT NULL THEN A.MG006 ELSE B.MG006 END MG006  FROM "
        "DEMO..ADMMF  LEFT JOIN DEMO..ADMMG A ON A.MG001=MF001 AND A.MG002='KTRB52' LEFT JOIN "
        "DEMO..ADMMG B ON B.MG001='**********' AND B.MG009=MF004 AND B.MG002='KTRB52' WHERE "
        "MF001='ZHANGW'";
    r = db->Query(TranslateSql(rights));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][1].AsString(), "x,N,Y,xYYYYYRRYYN,YYYYYYY,NNNNNNN");

    // SQL Server's string functions, counted in characters.
    r =
        db->Query(TranslateSql("SELECT LEFT('委外进货单', 2), RIGHT('委外进货单', 3), LEN('ab  '), "
                               "CHARINDEX('进', '委外进货单'), REPLICATE('*', 4) + SPACE(1)"));
    EXPECT_EQ(r[0][0].AsString(), "委外");
    EXPECT_EQ(r[0][1].AsString(), "进货单");
    EXPECT_EQ(r[0][2].AsInteger(), 2);
    EXPECT_EQ(r[0][3].AsInteger(), 3);
    EXPECT_EQ(r[0][4].AsString(), "**** ");

    std::string currency =
        "select top 1 MF001,MF003,MF004,MF005,MF006 from $$CMSMF CMSMF where MF001='USD'";
    r = db->Query(TranslateSql(currency));
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0][0].AsString(), "USD");
}

TEST(Dialect, ACompanyTableReadsItsViewUnderItsOwnName) {
    SqlDialectOptions o;
    o.companyView = [](const std::string& t) { return t == "MOCTA" ? "ERP_MOCTA" : ""; };
    EXPECT_EQ(Squash(TranslateSql("SELECT TA055 FROM $$MOCTA WHERE TA001='5201'", o)),
              "SELECT TA055 FROM ERP_MOCTA MOCTA WHERE TA001='5201'");
    EXPECT_EQ(Squash(TranslateSql("SELECT TA022 FROM $$MOCTA AS MOCTA", o)),
              "SELECT TA022 FROM ERP_MOCTA AS MOCTA");
    EXPECT_EQ(Squash(TranslateSql("SELECT 1 FROM $$MOCTA LEFT JOIN $$INVMB AS INVMB ON 1=1", o)),
              "SELECT 1 FROM ERP_MOCTA MOCTA LEFT JOIN INVMB AS INVMB ON 1=1");
    EXPECT_EQ(Squash(TranslateSql("SELECT 'x$$MOCTA' FROM MOCTA", o)),
              "SELECT 'x$$MOCTA' FROM MOCTA");
}

TEST(Dialect, FirstKeywordAndQuoting) {
    EXPECT_EQ(FirstKeyword("  -- note\n select 1"), "SELECT");
    EXPECT_EQ(FirstKeyword("(SELECT 1)"), "SELECT");
    EXPECT_EQ(FirstKeyword("delete from T"), "DELETE");
    EXPECT_EQ(QuoteSql("O'Brien"), "'O''Brien'");
}
