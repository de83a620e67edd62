// The work order of a line: its checks, the order in which it fills the line
// while the item and quantity rules stand back, and the receipt form's flags
// after it, whatever its outcome.
#include <algorithm>

#include "rule_trace.h"

namespace ktrb::test {
namespace {

using Trace = std::vector<std::string>;

class WorkOrderRule : public RuleFixture {};

TEST_F(WorkOrderRule, FillsTheLineInTheFixedOrderAfterEveryCheck) {
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240105001");
    Trace t = trace->Events();

    // The look-up, the quantities on hold and then the writes, in this order.
    EXPECT_TRUE(InOrder(t, {"?TI014",
                            "look MOCTA 32",
                            "call MocOnHold",
                            "call MocOnHoldpack",
                            "TI034=Y",
                            "?TI004",
                            "TI004=A1001-01",
                            "TI049=BOX",
                            "TI009=W01",
                            "TI009C=成品仓",
                            "MB091C=N",
                            "TI004C12=A1001-01",
                            "TI004C2=A1001-01",
                            "look INVMB 03",
                            "TI004MB454=N",
                            "TI005=铝合金外壳",
                            "TI006=120x80x30mm 阳极氧化",
                            "TI008=PCS",
                            "TI004C3=1000",
                            "TI004C5=300",
                            "TI004C6=0",
                            "TI004C7=15",
                            "TI004C8=50",
                            "TI004C9=0",
                            "TI004C11=0.13",
                            "TI004C13=20",
                            "TI014C1=2201",
                            "TI014C2=20231228001",
                            "TI014C3=0001",
                            "TI007=200",
                            "TI016=0",
                            "TI010=L240108",
                            "TI055=一月第一批",
                            "TI061=PCS",
                            "TI019=200",
                            "TI024=12.5",
                            "TI023=PCS",
                            "TI004C=Y",
                            "TI048=N",
                            "TI004C10=N",
                            "TA073C=",
                            "look PURMD 01",
                            "TI035=1",
                            "TI021=0",
                            "TI022=0",
                            "TI050=0",
                            "TI051=0",
                            "TI019=0",
                            "TI020=0",
                            "TI017=0",
                            "TI062=0",
                            "look SFCTA 04",
                            "TI014=20240105001"}))
        << Dump(t);
    // No write before the checks and calls are all done.
    auto firstWrite = std::find_if(t.begin(), t.end(), [](const std::string& e) {
        return e.find('=') != std::string::npos && e.rfind("TI014", 0) != 0;
    });
    auto lastCall = std::find(t.begin(), t.end(), "call MocOnHoldpack");
    EXPECT_LT(lastCall - t.begin(), firstWrite - t.begin()) << Dump(t);
    // While the rule fills the line, the item's own defaults and price stay out.
    EXPECT_EQ(std::count(t.begin(), t.end(), "call MocUnitPrice"), 0) << Dump(t);
    EXPECT_EQ(L("TI034"), "Y");
    EXPECT_TRUE(form->validationActive);
    EXPECT_TRUE(form->quantityEditActive);
}

TEST_F(WorkOrderRule, OpenQuantityCountsWhatIsOnHoldAndTheSettings) {
    // 1000 ordered, 300 taken, 500 on an unconfirmed receipt.
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240105001");
    EXPECT_DOUBLE_EQ(LV("TI007"), 200);
    lines().Cancel();
    Exec("UPDATE MOCTA SET TA018 = 30, TA057 = 20 WHERE TA002 = '20240105001'");
    form->mocParam1 = "Y";
    form->mocParam2 = "Y";
    LineOnWorkOrder("5201", "20240105001");
    EXPECT_DOUBLE_EQ(LV("TI007"), 150);
}

TEST_F(WorkOrderRule, AnEngineeringItemsOrderTakesTheShortPath) {
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240216001", "1");
    EXPECT_EQ(catalogue->Last("MOCTA", "33")->keys.ArrayCount(), 3);
    EXPECT_EQ(L("TI004"), "E-TEST-02");
    EXPECT_DOUBLE_EQ(LV("TI019"), 40);
    EXPECT_DOUBLE_EQ(LV("TI020"), 40);
    EXPECT_EQ(L("TI016"), "0");
}

TEST_F(WorkOrderRule, DemoOrdersOfAnotherFactoryOrUnconfirmedAreRefused) {
    StartReceipt("5901", "S001", "20240301");
    lines().Append();
    SetL("TIC01", "2");
    SetL("TI013", "5201");
    EXPECT_REFUSED(*form, dm->LineField("TI014")->SetAsString("20240214001"), "100296");
    EXPECT_REFUSED(*form, dm->LineField("TI014")->SetAsString("20240215001"), "100140");
}

TEST_F(WorkOrderRule, ANearlyReceivedOrderWarnsOrRefusesMore) {
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240212001");
    EXPECT_DOUBLE_EQ(LV("TI007"), 5);           // 95 of 100 received
    dm->LineField("TI007")->SetAsString("10");  // 5 % over is allowed
    dm->LineField("TI007")->SetAsString("11");
    EXPECT_EQ(form->codes().back(), "200235");
    SetH("MQ042C", "Y");
    EXPECT_REFUSED(*form, dm->LineField("TI007")->SetAsString("12"), "200416");
}

TEST_F(WorkOrderRule, AnItemWithoutValidityDatesNeedsNoValidityPeriods) {
    StartReceipt("5901", "S001", "20240301");
    // The demo order as the look-up gives it, its periods not numbers.
    Variant row;
    ASSERT_TRUE(dm->GetLookupValues(
        dm->HeadField("TH001"), "MOCTA", "32", row,
        plat::VarArrayOf({Variant("5201"), Variant("20240105001"), Variant("2"), Variant("01"),
                          Variant(""), Variant("S001"), Variant(""), Variant("RMB"), Variant("2"),
                          Variant("")})));
    std::vector<Variant> values;
    for (int i = 1; i < row.ArrayCount(); ++i) values.push_back(row[i]);
    ASSERT_EQ(plat::VarToStr(values[49]), "N");  // element 50: no validity dates
    values[20] = values[21] = Variant("");       // elements 21 and 22
    catalogue->Answer("MOCTA", "32", values);
    LineOnWorkOrder("5201", "20240105001");
    EXPECT_EQ(L("TI004"), "A1001-01");
    EXPECT_DOUBLE_EQ(LV("TI007"), 200);
}

struct Refusal {
    const char* sql;
    const char* code;
};

class WorkOrderRefusal : public WorkOrderRule, public ::testing::WithParamInterface<Refusal> {};

TEST_P(WorkOrderRefusal, LeavesTheLineAsItWasAndTheFlagsOn) {
    Exec(GetParam().sql);
    StartReceipt("5901", "S001", "20240301");
    lines().Append();
    SetL("TIC01", "2");
    SetL("TI013", "5201");
    trace->Clear();
    EXPECT_REFUSED(*form, dm->LineField("TI014")->SetAsString("20240105001"), GetParam().code);
    EXPECT_EQ(L("TI014"), "");
    EXPECT_EQ(L("TI004"), "") << Dump(trace->Events()) << Dump(form->codes());
    if (HasFailure())
        ADD_FAILURE() << Dump(trace->Events()) << Dump(form->codes())
                      << catalogue->Last("MOCTA", "32")->keys.ArrayCount();
    for (const std::string& e : trace->Events()) EXPECT_EQ(e.find('='), std::string::npos) << e;
    EXPECT_TRUE(form->validationActive);
    EXPECT_TRUE(form->quantityEditActive);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, WorkOrderRefusal,
    ::testing::Values(
        Refusal{"UPDATE MOCTA SET TA030 = '1' WHERE TA002 = '20240105001'", "100061"},
        Refusal{"UPDATE MOCTA SET TA003 = '20240401' WHERE TA002 = '20240105001'", "100473"},
        Refusal{"UPDATE MOCTA SET TA045 = '1' WHERE TA002 = '20240105001'", "100142"},
        Refusal{"UPDATE MOCTA SET TA011 = 'y', TA012 = '20240228' WHERE TA002 = '20240105001'",
                "100468"},
        Refusal{"UPDATE MOCTA SET TA021 = '02' WHERE TA002 = '20240105001'", "100140"},
        Refusal{"UPDATE MOCTA SET TA013 = 'V' WHERE TA002 = '20240105001'", "100131"},
        Refusal{"UPDATE MOCTA SET TA013 = 'N' WHERE TA002 = '20240105001'", "100296"},
        Refusal{"UPDATE MOCTA SET TA042 = 'USD' WHERE TA002 = '20240105001'", "100334"},
        Refusal{"UPDATE MOCTA SET TA032 = 'S002' WHERE TA002 = '20240105001'", "100141"},
        // A quantity the work order holds as text cannot be counted.
        Refusal{"UPDATE MOCTA SET TA017 = 'abc' WHERE TA002 = '20240105001'", "100061"}));

TEST_F(WorkOrderRule, AClosedOrderOfTheDocumentMonthIsWarnedAndFills) {
    Exec("UPDATE MOCTA SET TA011 = 'Y', TA012 = '20240305' WHERE TA002 = '20240105001'");
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240105001");
    EXPECT_EQ(form->codes().front(), "100033");
    EXPECT_EQ(L("TI004"), "A1001-01");
}

TEST_F(WorkOrderRule, AnotherSuppliersOrderIsTakenForASingleProcess) {
    Exec("UPDATE MOCTA SET TA032 = 'S002' WHERE TA002 = '20240105001'");
    StartReceipt("5901", "S001", "20240301");
    lines().Append();
    SetL("TIC01", "2");
    SetL("TI013", "5201");
    SetL("TI015", "0010");
    dm->LineField("TI014")->SetAsString("20240105001");
    EXPECT_EQ(L("TI004"), "A1001-01");
}

TEST_F(WorkOrderRule, APriceInAnotherTaxKindIsConvertedAndARoutingIsWarned) {
    // The order's price includes the tax ("1"); the receipt's tax is added.
    StartReceipt("5901", "S002", "20240301", "RMB", "2");
    LineOnWorkOrder("5201", "20240110001");
    EXPECT_EQ(operations->LastArgs("ChangeTax")[0].AsFloat(), 20);
    EXPECT_DOUBLE_EQ(LV("TI024"), 17.6991);
    EXPECT_EQ(form->codes().back(), "100094");
    // No inspection: the accepted, valuation and stock quantities follow.
    EXPECT_EQ(L("TI035"), "0");
    EXPECT_DOUBLE_EQ(LV("TI007"), 150);
    EXPECT_DOUBLE_EQ(LV("TI019"), 150);
    EXPECT_DOUBLE_EQ(LV("TI020"), 150);
    EXPECT_DOUBLE_EQ(LV("TI062"), 150);
    EXPECT_DOUBLE_EQ(LV("TI025"), 150 * 17.6991);
}

TEST_F(WorkOrderRule, AMissingTaxConversionGivesTheRulesMessage) {
    operations->answers["ChangeTax"] = Variant("n/a");
    StartReceipt("5901", "S002", "20240301", "RMB", "2");
    lines().Append();
    SetL("TIC01", "2");
    SetL("TI013", "5201");
    EXPECT_REFUSED(*form, dm->LineField("TI014")->SetAsString("20240110001"), "100061");
    EXPECT_EQ(L("TI004"), "");
}

TEST_F(WorkOrderRule, ClearingTheNumberClearsTheOrderReferenceOnly) {
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240105001");
    trace->Clear();
    dm->LineField("TI014")->SetAsString("");
    EXPECT_EQ(trace->Only({"TI"}), (Trace{"TI014C1=", "TI014C2=", "TI014C3=", "TI014="}));
    EXPECT_EQ(L("TI004"), "A1001-01");
}

TEST_F(WorkOrderRule, ATypeIsCheckedBeforeItsNumberIsCleared) {
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240105001");
    EXPECT_REFUSED(*form, dm->LineField("TI013")->SetAsString("5901"), "100007");
    EXPECT_EQ(L("TI014"), "20240105001");
    dm->LineField("TI013")->SetAsString("5101");
    EXPECT_EQ(L("TI014"), "");
}

}  // namespace
}  // namespace ktrb::test
