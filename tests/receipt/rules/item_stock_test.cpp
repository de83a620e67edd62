// The item of a line (formal and engineering), its unit price, and the
// warehouse, lot and process of a line.
#include "rule_trace.h"

namespace ktrb::test {
namespace {

using Trace = std::vector<std::string>;

class ItemRules : public RuleFixture {
  protected:
    void NewLine(const std::string& kind = "2") {
        lines().Append();
        SetL("TIC01", kind);
        trace->Clear();
    }
    // Only the stored values, without the item's shadow.
    Trace Writes() {
        Trace out;
        for (const std::string& e : trace->Events())
            if (e.find('=') != std::string::npos && e.rfind("TI004_OLD", 0) != 0 &&
                e.rfind("TI010_OLD", 0) != 0)
                out.push_back(e);
        return out;
    }
};

TEST_F(ItemRules, AFormalItemFillsTheLineFromTheItemMaster) {
    StartReceipt("5901", "S001", "20240301");
    NewLine();
    dm->LineField("TI004")->SetAsString("D4001");
    EXPECT_EQ(L("TI005"), "硅胶密封圈");
    EXPECT_EQ(L("TI008"), "PCS");
    EXPECT_EQ(L("TI009"), "W01");
    EXPECT_EQ(L("TI060"), "A-01-02");
    EXPECT_EQ(L("TI049"), "BOX");
    EXPECT_EQ(L("TI004C10"), "Y");
    EXPECT_EQ(L("TI054"), "20240301");
    EXPECT_EQ(L("TI011"), "20240828");  // 180 days on
    EXPECT_EQ(L("TI012"), "20240530");  // 90 days on
    EXPECT_EQ(L("TI035"), "1");         // the supplier inspects it
    EXPECT_EQ(L("TI010"), kNoLot);
    EXPECT_EQ(L("TI004_OLD"), "D4001");
    EXPECT_DOUBLE_EQ(LV("TI004C11"), 0.13);
    EXPECT_DOUBLE_EQ(LV("TI024"), 1.2);  // the supplier's price
    Variant args = operations->LastArgs("MocUnitPrice");
    EXPECT_EQ(args.ArrayCount(), 10);
    EXPECT_EQ(plat::VarToStr(args[2]), "S001");
    EXPECT_TRUE(form->validationActive);
    // The item's defaults ran with the line's own item rules standing back.
    Trace t = trace->Events();
    EXPECT_LT(trace->Find("TI009=W01"), trace->Find("TI023=PCS"));
    EXPECT_LT(trace->Find("TI023=PCS"), trace->Find("call MocUnitPrice"));
}

TEST_F(ItemRules, TheItemsValuesAreWrittenInTheOrderOfTheRule) {
    StartReceipt("5901", "S001", "20240301");
    NewLine();
    dm->LineField("TI004")->SetAsString("A1001-01");
    const Trace t = trace->Events();
    EXPECT_TRUE(InOrder(t, {"?TI004",
                            "look INVMB 03",
                            "look GMPTG 01",
                            "TI004MB454=N",
                            "TI008=PCS",
                            "TI005=铝合金外壳",
                            "TI006=120x80x30mm 阳极氧化",
                            "TI004C2=A1001-01",
                            "TI004C10=N",
                            "TI011C=0",
                            "TI012C=0",
                            "TI009=W01",
                            "TI009C=成品仓",
                            "TI023=PCS",
                            "TI004C=Y",
                            "TI004C1=1",
                            "TI049=BOX",
                            "MB091C=N",
                            "TI004MB454=N",
                            "TI007=0",
                            "TI016=0",
                            "TI017=0",
                            "TI019=0",
                            "TI020=0",
                            "TI021=0",
                            "TI022=0",
                            "TI050=0",
                            "TI051=0",
                            "TI056=0",
                            "TI057=0",
                            "TI004C11=0.13",
                            "TI061=PCS",
                            "look PURMD 01",
                            "TI035=1",
                            "TI054=",
                            "TI011=",
                            "TI012=",
                            "call MocUnitPrice",
                            "TI024=12.5",
                            "call SimpleSQL",
                            "TI004C13=20",
                            "TI004C14=1",
                            "TI010=********************",
                            "TI004=A1001-01"}))
        << Dump(t);
}

TEST_F(ItemRules, ARefusedItemLeavesNeitherItsShadowNorAnyWrite) {
    StartReceipt("5901", "S001", "20240301");
    NewLine();
    dm->LineField("TI004")->SetAsString("A1002-02");
    trace->Clear();
    EXPECT_REFUSED(*form, dm->LineField("TI004")->SetAsString("NOPE-1"), "000001");
    EXPECT_EQ(L("TI004"), "A1002-02");
    EXPECT_EQ(L("TI004_OLD"), "A1002-02");
    EXPECT_EQ(Writes(), Trace{});
    // Keyed again, the refused item is checked again.
    EXPECT_REFUSED(*form, dm->LineField("TI004")->SetAsString("NOPE-1"), "000001");
}

TEST_F(ItemRules, AnItemWithoutValidityDatesNeedsNoValidityPeriods) {
    Exec("UPDATE INVMB SET MB023 = NULL, MB024 = NULL WHERE MB001 = 'A1001-01'");
    StartReceipt("5901", "S001", "20240301");
    NewLine();
    dm->LineField("TI004")->SetAsString("A1001-01");
    EXPECT_EQ(L("TI005"), "铝合金外壳");
    EXPECT_EQ(L("TI011"), "");
    // An item with validity dates cannot go without them.
    Exec("UPDATE INVMB SET MB198 = 'Y' WHERE MB001 = 'A1001-01'");
    NewLine();
    EXPECT_REFUSED(*form, dm->LineField("TI004")->SetAsString("A1001-01"), "000001");
}

TEST_F(ItemRules, ALotRecordOfAnotherLotIsRefusedBeforeTheLineIsRewritten) {
    EditReceipt("5901", "20240108001");
    lines().Edit();
    form->validationActive = form->quantityEditActive = true;
    SetL("TI010", "L240199");
    trace->Clear();
    EXPECT_REFUSED(*form, dm->LineField("TI004")->SetAsString("A1001-01"), "200331");
    EXPECT_EQ(Writes(), Trace{});
    EXPECT_DOUBLE_EQ(LV("TI007"), 300);
}

TEST_F(ItemRules, ALineWithSerialNumbersKeepsItsItem) {
    EditReceipt("5901", "20240118001");
    lines().Edit();
    form->validationActive = true;
    EXPECT_REFUSED(*form, dm->LineField("TI004")->SetAsString("A1001-01"), "201075");
    EXPECT_EQ(L("TI004"), "B2001");
    EXPECT_EQ(form->texts["cboTI004G"], "B2001");
    // The same item again passes the serial numbers.
    form->validationActive = false;
    dm->LineField("TI004")->SetAsString("B2001");
}

TEST_F(ItemRules, AnItemWithAQuoteIsQuotedInItsStatement) {
    Exec(
        "INSERT INTO INVMB (MB001, MB002, MB004, MB148, MB149) VALUES ('Q''1', 'quoted', 'PCS', "
        "'PCS', 'PCS')");
    StartReceipt("5901", "S001", "20240301");
    NewLine();
    dm->LineField("TI004")->SetAsString("Q'1");
    EXPECT_NE(plat::VarToStr(operations->LastArgs("SimpleSQL")[0]).find("MB001='Q''1'"),
              std::string::npos);
}

TEST_F(ItemRules, AnEngineeringItemTakesItsUnitsAndItsListPrice) {
    StartReceipt("5901", "S001", "20240301");
    NewLine("1");
    dm->LineField("TI004")->SetAsString("E-TEST-01");
    EXPECT_EQ(L("TI005"), "试制外壳");
    EXPECT_EQ(L("TI008"), "PCS");
    EXPECT_EQ(L("TI023"), "PCS");
    EXPECT_EQ(L("TI009"), "W01");
    EXPECT_EQ(L("TI060"), "**********");
    EXPECT_DOUBLE_EQ(LV("TI024"), 35);  // the list price is 0: the fallback price
    Trace t = trace->Events();
    EXPECT_EQ(std::count(t.begin(), t.end(), "call MocUnitPrice"), 0);
    EXPECT_EQ(std::count(t.begin(), t.end(), "look C 48"),
              2);  // from the pricing unit and at the end
}

struct PriceCase {
    const char* taxKind;
    const char* currency;
    Variant changed, rate;
    double price;
};

class EngineeringPrice : public ItemRules, public ::testing::WithParamInterface<PriceCase> {};

TEST_P(EngineeringPrice, FollowsTheTaxKindAndTheCurrency) {
    const PriceCase& c = GetParam();
    StartReceipt("5901", "S001", "20240301", c.currency, c.taxKind);
    operations->answers["ChangeTax"] = c.changed;
    operations->answers["ExchangeRate"] = c.rate;
    NewLine("1");
    operations->calls.clear();
    dm->LineField("TI004")->SetAsString("E-TEST-02");  // listed at 18.5
    EXPECT_DOUBLE_EQ(LV("TI024"), c.price);
    EXPECT_EQ(operations->LastArgs("ChangeTax").IsEmpty(), std::string(c.taxKind) != "1");
    EXPECT_EQ(operations->LastArgs("ExchangeRate").IsEmpty(), std::string(c.currency) == "RMB");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EngineeringPrice,
    ::testing::Values(PriceCase{"2", "RMB", Variant(0.0), Variant(0.0), 18.5},
                      PriceCase{"1", "RMB", Variant(20.0), Variant(0.0), 20},
                      PriceCase{"2", "USD", Variant(0.0), Variant(8.0), 18.5 / 8},
                      PriceCase{"1", "USD", Variant(20.0), Variant(8.0), 2.5},
                      PriceCase{"2", "USD", Variant(0.0), Variant(0.0), 18.5},
                      PriceCase{"2", "USD", Variant(0.0), Variant(-1.0), 18.5}));

TEST_F(ItemRules, AMissingPriceReplyGivesTheRulesMessage) {
    StartReceipt("5901", "S001", "20240301", "USD");
    operations->answers["ExchangeRate"] = Variant("rate?");
    NewLine("1");
    EXPECT_REFUSED(*form, dm->LineField("TI004")->SetAsString("E-TEST-02"), "000001");
    EXPECT_EQ(L("TI004"), "");
}

// ---- warehouse, lot and process ----

TEST_F(ItemRules, AWarehouseIsCheckedForTheFactoryAndGivesTheItemsLocation) {
    StartReceipt("5901", "S001", "20240301");
    NewLine();
    SetL("TI004", "A1001-01");
    dm->LineField("TI009")->SetAsString("W01");
    EXPECT_EQ(L("TI009C"), "成品仓");
    EXPECT_EQ(L("TI060"), "A-01-01");
    EXPECT_REFUSED(*form, dm->LineField("TI009")->SetAsString("K01"), "000001");
    SetL("TI013", "5201");
    SetL("TI014", "20240105001");
    EXPECT_REFUSED(*form, dm->LineField("TI009")->SetAsString("W03"), "100463");
    dm->LineField("TI009")->SetAsString("");
    EXPECT_EQ(L("TI009C"), "");
    EXPECT_EQ(L("TI060"), "");
    form->broker->SetSysParam("SYS093", "N");
    dm->LineField("TI009")->SetAsString("W02");
    EXPECT_EQ(L("TI060"), "##########");
}

TEST_F(ItemRules, ALotFillsItsDatesAndARefusedLotKeepsItsShadow) {
    StartReceipt("5901", "S001", "20240301");
    NewLine();
    SetL("TI004", "D4001");
    dm->LineField("TI010")->SetAsString("L240301");
    EXPECT_EQ(L("TI055"), "食品级硅胶");
    EXPECT_EQ(L("TI054"), "20240228");
    EXPECT_EQ(L("TI010_OLD"), "L240301");
    dm->LineField("TI010")->SetAsString("L-NEW");
    EXPECT_EQ(form->codes().back(), "100007");
    EXPECT_EQ(L("TI010"), "L-NEW");

    EditReceipt("5901", "20240108001");
    lines().Edit();
    trace->Clear();
    EXPECT_REFUSED(*form, dm->LineField("TI010")->SetAsString("L240199"), "200331");
    EXPECT_EQ(L("TI010"), "L240108");
    EXPECT_EQ(L("TI010_OLD"), "L240108");
    EXPECT_EQ(Writes(), Trace{});
}

TEST_F(ItemRules, ALotOfRegisteredSerialNumbersCannotChange) {
    EditReceipt("5901", "20240118001");
    lines().Edit();
    dm->LineField("TI010")->SetReadOnly(false);
    EXPECT_REFUSED(*form, dm->LineField("TI010")->SetAsString("L999"), "201015");
    EXPECT_EQ(L("TI010"), "L240118");
    EXPECT_EQ(form->texts["cboTI010G"], "L240118");
}

TEST_F(ItemRules, AProcessGivesItsNameOrClearsTheWarehouseOnConfirmation) {
    StartReceipt("5901", "S001", "20240301");
    NewLine();
    SetL("TI009", "W01");
    dm->LineField("TI015")->SetAsString("0010");
    EXPECT_EQ(L("TI015C"), "车削");
    form->answer = modal::Ok;
    dm->LineField("TI015")->SetAsString("0099");
    EXPECT_EQ(form->codes().back(), "000004");
    EXPECT_EQ(L("TI015"), "0099");
    EXPECT_EQ(L("TI009"), "");
}

}  // namespace
}  // namespace ktrb::test
