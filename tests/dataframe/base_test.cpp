// The base data module: selects, number ranges and formats, currency
// decimals, data rights on body rows, column sorting and cdsMain's events.
#include <gtest/gtest.h>

#include "support/dataframe/DataModuleFixture.h"

namespace ktrb::test {
namespace {

using plat::TField;
using plat::Variant;

class Base : public ::testing::Test {
  protected:
    Base()
        : dm(&form),
          provider("pvdMain", HeaderFields(),
                   {HeaderRow("5901", "20240001", 0,
                              {LineRow("5901", "20240001", "0001", "A1001-01", 0)}),
                    HeaderRow("5901", "20240002", 0)}) {
        dm.cdsMain->SetProvider(&provider);
        body = new TwwClientDataSet(&dm);
        body->SetName("cdsBody1");
    }
    void open() {
        dm.cdsMain->Open();
        body->SetDataSetField(
            dynamic_cast<plat::TDataSetField*>(dm.cdsMain->FieldByName("qryBody")));
        body->Open();
    }
    TField* field(const char* name) { return dm.cdsMain->FieldByName(name); }

    FakeForm form;
    TestModule dm;
    plat::TMemoryProvider provider;
    TwwClientDataSet* body;
};

// ---- selects ----

TEST_F(Base, MainSelectColumnsAfterTheFirst) {
    dm.SetMainSelect(
        "select 'N' as MultiSelected, TH001, TH002 as FROMNO, TH029\r\nfrom MOCTH where TH023='N'");
    EXPECT_EQ(dm.MainColumns, "TH001, TH002 FROMNO, TH029");
}

TEST_F(Base, BodySelectSkipsInnerFromsAndKeepsTheJoinUpToWhere) {
    dm.SetBodySelect(
        "select TI001, (select MB002 from INVMB where MB001=TI004) as ItemName, TI007 as Qty "
        "from MOCTI left join INVMB b on b.MB001=TI004 inner join CMSMC c on c.MC001=TI009 where "
        "TI001='5901'");
    EXPECT_EQ(dm.BodyColumns, " (SELECT MB002 FROM INVMB WHERE MB001=TI004) ITEMNAME, TI007 QTY");
    EXPECT_EQ(dm.BodyFrom,
              " left join INVMB b on b.MB001=TI004 inner join CMSMC c on c.MC001=TI009 ");
}

TEST_F(Base, BodySelectFindsRightJoinsAndWholeWordsOnly) {
    dm.SetBodySelect("select TI001, LEFTQTY, FROMDATE from MOCTI right join INVMB on MB001=TI004");
    EXPECT_EQ(dm.BodyColumns, " LEFTQTY, FROMDATE");
    EXPECT_EQ(dm.BodyFrom, " right join INVMB on MB001=TI004");
    dm.SetBodySelect("select TI001, TI004 from MOCTI where TI001='5901'");
    EXPECT_EQ(dm.BodyFrom, "") << "no join";
}

TEST_F(Base, InitDataModuleReadsTheProgramSettings) {
    form.broker->HostParams().SetText(
        "M11_TABLE=MOCTH\r\nM11_KEY=TH001,TH002\r\n"
        "M11_SELECT=SELECT TH001,TH002 FROM MOCTH\r\n"
        "D11_SELECT=SELECT TI001,TI004 FROM MOCTI LEFT JOIN INVMB ON MB001=TI004\r\n");
    form.broker->SetSysParam("SYS150", "N");
    EXPECT_TRUE(dm.InitDataModule());
    EXPECT_EQ(dm.MainTable, "MOCTH");
    EXPECT_EQ(dm.KeyFields, "TH001,TH002");
    EXPECT_EQ(dm.MainColumns, "");
    EXPECT_EQ(dm.BodyFrom, "");
    EXPECT_EQ(field("CREATOR")->DisplayLabel(), "录入者");
    EXPECT_FALSE(dm.cdsMainColor->Active()) << "no colour data without a server";

    dm.cdsMain->Close();
    form.broker->SetSysParam("SYS150", "Y");
    EXPECT_TRUE(dm.InitDataModule());
    EXPECT_EQ(dm.MainColumns, "TH002");
    EXPECT_EQ(dm.BodyColumns, "TI004");
    EXPECT_EQ(dm.BodyFrom, " LEFT JOIN INVMB ON MB001=TI004");
}

// ---- number ranges and formats ----

TEST_F(Base, NumbersOutsideTheColumnsPrecisionBecomeZero) {
    form.host->onQueryData = [](const std::string& table, const std::string&, const Variant& keys,
                                Variant& result) {
        EXPECT_EQ(table, "NUMFD");
        EXPECT_EQ(plat::VarToStr(keys), "MOCTH");
        result = plat::VarArrayOf({plat::VarArrayOf({Variant("TH019"), Variant(5), Variant(2)}),
                                   plat::VarArrayOf({Variant("TH019"), Variant(9), Variant(9)}),
                                   Variant("junk")});
        return true;
    };
    dm.LoadNumberFormats("MOCTH");
    EXPECT_EQ(dm.NumberFormats.Text(), "TH019=5.2\r\n");
    open();
    field("TH019")->SetDisplayLabel("金额");
    EXPECT_EQ(dm.CheckNumberRange(field("TH019"), 2, true, 999.99), 999.99);
    EXPECT_EQ(dm.CheckNumberRange(field("TH019"), 2, true, 1000), 0);
    ASSERT_EQ(form.messages.size(), 1u);
    EXPECT_EQ(form.messages[0].code, "100280");
    EXPECT_EQ(form.messages[0].args, (std::vector<std::string>{"金额", "999.99"}));
    EXPECT_EQ(dm.CheckNumberRange(field("TH019"), 1, true, -1000), 0);
    EXPECT_EQ(form.messages[1].code, "100288");
    EXPECT_EQ(form.messages[1].args, (std::vector<std::string>{"金额", "-999.9"}));
    EXPECT_EQ(dm.CheckNumberRange(field("TH019"), 0, false, 999.5), 0);
    EXPECT_EQ(form.messages.size(), 2u);
}

TEST_F(Base, NumberEntryDropsGroupsAndRoundsToTheFieldsDecimals) {
    open();
    dm.SetKindFields(2, "cdsMain:TH019,TH007");
    EXPECT_EQ(field("TH019")->EditFormat(), "##0.##");
    EXPECT_TRUE(field("TH019")->OnSetText.Assigned());
    EXPECT_FALSE(field("TH007")->OnSetText.Assigned()) << "text fields are skipped";
    dm.cdsMain->Edit();
    field("TH019")->SetText("1,234.567");
    EXPECT_EQ(field("TH019")->AsFloat(), 1234.57);
    field("TH019")->SetText("  ");
    EXPECT_EQ(field("TH019")->AsFloat(), 0);
    field("TH019")->SetText("12x");
    EXPECT_EQ(field("TH019")->AsFloat(), 0);
}

TEST_F(Base, KindsAndTheParameterDecimals) {
    EXPECT_EQ(dm.GetKindDecimals(3), -1);
    dm.SetKindFields(3, "cdsMain:TH019");
    EXPECT_EQ(dm.GetKindDecimals(3), 3);
    EXPECT_EQ(dm.GetKindFields(3), "cdsMain:TH019");
    EXPECT_EQ(dm.GetFieldDecimals("TH019"), 3);
    EXPECT_EQ(dm.GetFieldDecimals("TH01"), -1) << "whole names only";
    EXPECT_EQ(dm.GetFieldDecimals(" "), -1);

    form.broker->SetSysParam("sys068", "x");
    dm.SetZeroDecimalFields("cdsBody1:TI007");
    EXPECT_EQ(dm.GetFieldDecimals("TI007"), 3) << "3 when the parameter is not a number";
}

TEST_F(Base, QuantitiesAndAmountsShowByTheUsersOptions) {
    open();
    dm.cdsMain->Edit();
    field("TH019")->SetValue(Variant(1234.5));
    dm.SetKindFields(2, "cdsMain:TH019");
    EXPECT_EQ(field("TH019")->DisplayText(), "1,234.50");
    dm.QuantityAutoZero = false;
    EXPECT_EQ(field("TH019")->DisplayText(), "1,234.5");
    dm.QuantityThousand = false;
    EXPECT_EQ(field("TH019")->DisplayText(), "1234.5");
}

TEST_F(Base, CurrencyDecimalsAreAskedOncePerCodeWithTheCodeQuoted) {
    form.host->onServerCall = [](const std::string& name, const Variant& args) -> Variant {
        std::string sql = plat::VarToStr(args[0]);
        if (sql.find("'NTD'") != std::string::npos)
            return plat::VarArrayOf({plat::VarArrayOf(
                {Variant("NTD"), Variant(2), Variant(0), Variant(4), Variant(1)})});
        return Variant();
    };
    EXPECT_EQ(dm.GetCurrencyDigits("", TCurrencyDigitType::cdtMoney), -1);
    EXPECT_EQ(dm.GetCurrencyDigits("NTD", TCurrencyDigitType::cdtMoney), 0);
    EXPECT_EQ(dm.GetCurrencyDigits("NTD", TCurrencyDigitType::cdtUnitCost), 4);
    EXPECT_EQ(dm.GetCurrencyDigits("X'Y", TCurrencyDigitType::cdtPrice), 0);
    EXPECT_EQ(dm.GetCurrencyDigits("X'Y", TCurrencyDigitType::cdtMoney), 0);
    ASSERT_EQ(form.host->serverCalls.size(), 2u);
    EXPECT_EQ(form.host->serverCalls[0].first, "SimpleSql");
    const Variant& args = form.host->serverCalls[1].second;
    EXPECT_NE(plat::VarToStr(args[0]).find("where MF001='X''Y'"), std::string::npos);
    EXPECT_EQ(plat::VarToStr(args[1]), "MF001,MF003,MF004,MF005,MF006");
    EXPECT_EQ(plat::VarToStr(args[2]), "DEMODB");
    EXPECT_EQ(plat::VarToStr(args[3]), "N");
}

TEST_F(Base, AmountsFollowTheCurrencyOfTheirRecord) {
    form.host->onServerCall = [](const std::string&, const Variant& args) -> Variant {
        std::string sql = plat::VarToStr(args[0]);
        int money = sql.find("'USD'") != std::string::npos ? 2 : 0;
        std::string code = money ? "USD" : "NTD";
        return plat::VarArrayOf({plat::VarArrayOf(
            {Variant(code), Variant(4), Variant(money), Variant(4), Variant(2)})});
    };
    open();
    dm.RegisterCurrencyField(field("TH007"), TCurrencyDigitType::cdtMoney, "cdsMain:TH019");
    EXPECT_EQ(dm.GetCurrencyAmountFields(field("TH007"), TCurrencyDigitType::cdtMoney),
              "cdsMain:TH019");
    EXPECT_TRUE(field("TH007")->OnChange.Assigned());
    dm.cdsMainAfterOpen(dm.cdsMain);
    EXPECT_TRUE(field("TH019")->OnGetText.Assigned()) << "formatted after an open";
    dm.cdsMain->Edit();
    field("TH019")->SetValue(Variant(1234.567));
    EXPECT_EQ(field("TH019")->DisplayText(), "1,235");
    field("TH007")->SetAsString("USD");
    EXPECT_EQ(field("TH019")->DisplayText(), "1,234.57");
    EXPECT_EQ(field("TH019")->EditFormat(), "##0.##");
    dm.MoneyAutoZero = false;
    field("TH019")->SetValue(Variant(1234.5));
    EXPECT_EQ(field("TH019")->DisplayText(), "1,234.5");

    form.broker->SetSysParam("SYS003", "USD");
    dm.RegisterCurrencyField(nullptr, TCurrencyDigitType::cdtMoney, "cdsBody1:TI007");
    EXPECT_EQ(dm.GetFieldDecimals("TI007"), 2);
}

// Replies the currency table should not give: a negative count, or a table
// of values in place of rows. Amounts still show, in their plain text.
TEST_F(Base, UnusableCurrencyRepliesDoNotBreakTheAmounts) {
    form.host->onServerCall = [](const std::string&, const Variant& args) -> Variant {
        std::string sql = plat::VarToStr(args[0]);
        if (sql.find("'NTD'") != std::string::npos)
            return plat::VarArrayOf({plat::VarArrayOf(
                {Variant("NTD"), Variant(0), Variant(-3), Variant(0), Variant(0)})});
        Variant table = Variant::CreateArray({0, 0, 0, 4});
        table.At(0, 0) = Variant("USD");
        for (int k = 1; k <= 4; ++k) table.At(0, k) = Variant(2);
        return table;
    };
    open();
    dm.RegisterCurrencyField(field("TH007"), TCurrencyDigitType::cdtMoney, "cdsMain:TH019");
    dm.cdsMainAfterOpen(dm.cdsMain);
    dm.cdsMain->Edit();
    field("TH007")->SetAsString("NTD");
    field("TH019")->SetValue(Variant(1234.5));
    std::string shown;
    EXPECT_NO_THROW(shown = field("TH019")->DisplayText());
    EXPECT_EQ(shown, "1234.5");
    EXPECT_EQ(dm.GetCurrencyDigits("USD", TCurrencyDigitType::cdtMoney), 0)
        << "no rows: no decimals";
}

TEST_F(Base, UserNumberSettingsFromTheServer) {
    form.host->onServerCall = [](const std::string& name, const Variant& args) -> Variant {
        EXPECT_EQ(name, "GetUserDefine");
        EXPECT_EQ(plat::VarToStr(args[3]), "NumberFieldsSetting");
        return Variant(
            "<Setting><MoneyFieldThousand>false</MoneyFieldThousand>"
            "<QuantityFieldAutoZero>TRUE</QuantityFieldAutoZero></Setting>");
    };
    dm.LoadNumberFieldsSetting();
    EXPECT_FALSE(dm.MoneyThousand);
    EXPECT_TRUE(dm.QuantityAutoZero);
    EXPECT_TRUE(dm.MoneyAutoZero);

    dm.MoneyThousand = true;
    form.host->onServerCall = [](const std::string&, const Variant&) -> Variant {
        throw plat::EOleError("down");
    };
    EXPECT_NO_THROW(dm.LoadNumberFieldsSetting());
    EXPECT_TRUE(dm.MoneyThousand);
}

// ---- data rights ----

class Rights : public Base {
  protected:
    Rights() : server(std::make_shared<RightsServer>()) {
        dm.AppServer = Variant(std::static_pointer_cast<plat::Dispatch>(server));
        dm.KeyFields = "TH001,TH002";
        dm.MainTable = "MOCTH";
        form.broker->HostParams().SetText("D11_KEY=MOCTI.TI001,TI002,TI003\r\n");
        std::vector<plat::TPacketRow> lines;
        for (const char* n : {"0001", "0002", "0003", "0004", "0005"})
            lines.push_back(LineRow("5901", "O'NEIL", n, "A", 0));
        provider.Rows() = {HeaderRow("5901", "O'NEIL", 0, lines)};
        open();
    }
    struct RightsServer : plat::DispatchObject {
        RightsServer() : DispatchObject("Server") {
            Method("GetBaseLimitedRecs", [this](plat::DispArgs a) {
                prefix = plat::VarToStr(a[0]);
                condition = plat::VarToStr(a[1]);
                rows = (int)plat::VarToIntDef(a[2], -1);
                if (fail) throw plat::EOleError("server gone");
                return answer;
            });
            Method("GetRecCount", [](plat::DispArgs) { return Variant(1); });
        }
        Variant answer;
        std::string prefix, condition;
        int rows = 0;
        bool fail = false;
    };
    static Variant allowing(int count, std::vector<std::string> keys) {
        std::vector<Variant> items(keys.begin(), keys.end());
        return plat::VarArrayOf({Variant(count), plat::Variant::ArrayOf(items)});
    }
    std::shared_ptr<RightsServer> server;
};

TEST_F(Rights, TheParentConditionQuotesItsValues) {
    std::string denied;
    EXPECT_TRUE(dm.CheckBodyDataRights(body, "D11", denied));
    EXPECT_EQ(server->prefix, "D11_");
    EXPECT_EQ(server->condition, " and MOCTH.TH001='5901' and MOCTH.TH002='O''NEIL'");
    EXPECT_EQ(server->rows, 5);
}

TEST_F(Rights, NoneAllowedAllAllowedOrNoAnswer) {
    std::string denied;
    server->answer = allowing(0, {});
    EXPECT_FALSE(dm.CheckBodyDataRights(body, "D11_", denied));
    EXPECT_EQ(denied, "ALL");
    server->answer = allowing(5, {});
    EXPECT_TRUE(dm.CheckBodyDataRights(body, "D11", denied));
    EXPECT_EQ(denied, "");
    server->answer = allowing(-1, {});
    EXPECT_TRUE(dm.CheckBodyDataRights(body, "D11", denied));
}

TEST_F(Rights, FourDeniedRowsAreListedAndTheCursorStandsOnTheFirst) {
    server->answer = allowing(1, {"5901-O'NEIL     -0001"});
    std::string denied;
    body->Last();
    EXPECT_FALSE(dm.CheckBodyDataRights(body, "D11", denied));
    EXPECT_EQ(denied,
              "5901-O'NEIL     -0002;5901-O'NEIL     -0003;5901-O'NEIL     -0004;5901-O'NEIL     "
              "-0005;...");
    EXPECT_EQ(body->FieldByName("TI003")->AsString(), "0002");
    EXPECT_FALSE(body->ControlsDisabled());
}

TEST_F(Rights, EveryRowAllowedIsAllowedWhateverTheCount) {
    server->answer =
        allowing(9, {"5901-O'NEIL     -0001", "5901-O'NEIL     -0002", "5901-O'NEIL     -0003",
                     "5901-O'NEIL     -0004", "5901-O'NEIL     -0005", "X", "Y", "Z", "W"});
    std::string denied;
    EXPECT_TRUE(dm.CheckBodyDataRights(body, "D11", denied));
    EXPECT_EQ(denied, "");
}

TEST_F(Rights, AServerFailureIsLoggedAndTheSaveGoesOn) {
    Installation installation;
    server->fail = true;
    std::string denied;
    EXPECT_TRUE(dm.CheckBodyDataRights(body, "D11", denied));
    EXPECT_NE(installation.alertLog("BaseCD").find(
                  "BaseCD-876(对单身或子单身加基础数据权限时出错):server gone"),
              std::string::npos);
}

// ---- sorting ----

TEST_F(Base, ThreeClicksSortAscendingDescendingAscending) {
    open();
    dm.SortDataSetByField(dm.cdsMain, "TH002");
    EXPECT_EQ(dm.GetSortField(dm.cdsMain), field("TH002"));
    EXPECT_TRUE(dm.IsSortAscending(dm.cdsMain));
    dm.cdsMain->First();
    EXPECT_EQ(field("TH002")->AsString(), "20240001");

    dm.SortDataSetByField(dm.cdsMain, "TH002");
    EXPECT_EQ(dm.cdsMain->IndexName(), "IndexTH002");
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "");
    EXPECT_EQ(dm.GetSortField(dm.cdsMain), field("TH002"));
    EXPECT_FALSE(dm.IsSortAscending(dm.cdsMain));
    dm.cdsMain->First();
    EXPECT_EQ(field("TH002")->AsString(), "20240002");

    dm.SortDataSetByField(dm.cdsMain, "TH002");
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "TH002");
    EXPECT_EQ(dm.cdsMain->IndexName(), "");
    EXPECT_TRUE(dm.IsSortAscending(dm.cdsMain));

    dm.SortDataSetByField(dm.cdsMain, "qryBody");
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "TH002") << "a nested field has no order";
    dm.SortDataSetByField(dm.cdsMain, "NOSUCH");
    EXPECT_EQ(dm.cdsMain->IndexFieldNames(), "TH002");
}

// ---- cdsMain events ----

TEST_F(Base, MainEventsReachTheOwnerForm) {
    open();
    int before = form.rightsApplied;
    dm.cdsMain->Next();
    EXPECT_EQ(form.rightsApplied, before + 1);
    form.rightsThrow = true;
    EXPECT_NO_THROW(dm.cdsMain->Prior());

    dm.cdsMain->Edit();
    field("TH029")->SetAsString("20240501");
    form.requiredOk = false;
    EXPECT_THROW(dm.cdsMain->Post(), plat::EAbort);
    EXPECT_EQ(dm.cdsMain->State(), plat::dsEdit);
    form.requiredOk = true;
    dm.cdsMain->Post();
    EXPECT_EQ(dm.cdsMain->State(), plat::dsBrowse);
}

TEST_F(Base, TheNextPacketIsFetchedBeforeAScrollPastTheEnd) {
    std::vector<plat::TPacketRow> rows;
    for (int i = 0; i < 45; ++i) rows.push_back(HeaderRow("5901", std::to_string(20240000 + i), 0));
    provider.Rows() = rows;
    open();
    EXPECT_EQ(dm.cdsMain->RecordCount(), 20);
    dm.cdsMain->Last();
    EXPECT_TRUE(dm.cdsMain->Eof());
    dm.cdsMain->Next();
    EXPECT_EQ(dm.cdsMain->RecordCount(), 40);
    EXPECT_EQ(field("TH002")->AsString(), "20240020");

    dm.EventsBound = false;
    dm.cdsMain->Last();
    dm.cdsMain->Next();
    dm.cdsMain->Next();
    EXPECT_EQ(dm.cdsMain->RecordCount(), 40);
}

}  // namespace
}  // namespace ktrb::test
