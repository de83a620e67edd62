// Quantities of a line: received against the work order, the accepted,
// scrapped, destroyed and rejected split, units, packages of a fixed-weight
// item, and the amounts that follow the valuation quantity and unit price.
#include "receipt/rules/Ktrb52CD_Support.h"
#include "rule_trace.h"
#include "runtime/LibStrs.h"

namespace ktrb::test {
namespace {

using Trace = std::vector<std::string>;

class QuantityRules : public RuleFixture {
  protected:
    // A line on the plating order of S002 (C3001 in KG, 5 KG a BAG, no
    // inspection): 150 received, accepted, valued and in stock.
    void PlatingLine() {
        StartReceipt("5901", "S002", "20240301");
        LineOnWorkOrder("5201", "20240110001");
        trace->Clear();
    }
    void Key(const char* name, const std::string& text) { dm->LineField(name)->SetAsString(text); }
};

TEST_F(QuantityRules, TheWorkOrderLineStartsFromItsOpenQuantity) {
    PlatingLine();
    EXPECT_DOUBLE_EQ(LV("TI007"), 150);  // 200 ordered, 50 on an unconfirmed receipt
    EXPECT_DOUBLE_EQ(LV("TI019"), 150);
    EXPECT_DOUBLE_EQ(LV("TI020"), 150);
    EXPECT_DOUBLE_EQ(LV("TI062"), 150);
    EXPECT_EQ(L("TI035"), "0");
}

TEST_F(QuantityRules, MoreThanTheWorkOrderAllowsIsWarnedOrRefusedByTheDocumentType) {
    PlatingLine();
    SetL("TI004C13", "0.1");  // 200 planned, 10 % over allowed
    const size_t shown = form->messages.size();
    Key("TI007", "220");
    EXPECT_EQ(form->messages.size(), shown);
    Key("TI007", "221");
    EXPECT_EQ(form->codes().back(), "200235");
    EXPECT_DOUBLE_EQ(LV("TI007"), 221);
    SetH("MQ042C", "Y");
    EXPECT_REFUSED(*form, Key("TI007", "222"), "200416");
    EXPECT_EQ(form->messages.back().text.find("5201-20240110001/C3001") != std::string::npos, true);
    EXPECT_DOUBLE_EQ(LV("TI007"), 221);
    // An item other than the work order's is not compared.
    SetL("TI004C12", "M0002");
    Key("TI007", "500");
}

TEST_F(QuantityRules, AReceivedQuantitySpreadsOrWaitsForInspection) {
    PlatingLine();
    Key("TI007", "100");
    for (const char* name : {"TI019", "TI020", "TI062"}) EXPECT_DOUBLE_EQ(LV(name), 100) << name;
    EXPECT_DOUBLE_EQ(LV("TI025"), 100 * LV("TI024"));
    SetL("TI035", "1");
    Key("TI007", "80");
    for (const char* name : {"TI019", "TI020", "TI062", "TI021", "TI022", "TI017"})
        EXPECT_DOUBLE_EQ(LV(name), 0);
    EXPECT_EQ(L("TI035"), "1");
    EXPECT_TRUE(dm->LineField("TI035")->ReadOnly());
    EXPECT_TRUE(form->inspectionEditReadOnly);
    Key("TI007", "-1");
    EXPECT_EQ(form->codes().back(), "100002");
}

TEST_F(QuantityRules, AcceptedScrappedAndDestroyedLeaveTheRestRejected) {
    PlatingLine();
    Key("TI007", "10");
    Key("TI019", "6");
    Key("TI021", "3");
    EXPECT_DOUBLE_EQ(LV("TI022"), 1);
    Key("TI021", "5");
    EXPECT_EQ(form->codes().back(), "100072");
    EXPECT_DOUBLE_EQ(LV("TI022"), -1);
    EXPECT_REFUSED(*form, Key("TI019", "11"), "100034");
    EXPECT_REFUSED(*form, Key("TI056", "11"), "200223");
    // Valued: what is accepted and destroyed.
    Key("TI021", "0");
    Key("TI056", "1");
    EXPECT_DOUBLE_EQ(LV("TI020"), 7);
    EXPECT_DOUBLE_EQ(LV("TI025"), 7 * LV("TI024"));
    Key("TI019", "0");
    EXPECT_DOUBLE_EQ(LV("TI020"), 0);
}

TEST_F(QuantityRules, AnEngineeringLineIsValuedByAcceptedAndDestroyed) {
    StartReceipt("5901", "S001", "20240301");
    lines().Append();
    SetL("TIC01", "1");
    Key("TI007", "10");
    Key("TI056", "2");
    Key("TI019", "6");
    EXPECT_DOUBLE_EQ(LV("TI020"), 8);
    EXPECT_DOUBLE_EQ(LV("TI062"), 6);
}

TEST_F(QuantityRules, AQuantityMustMatchTheInspectionAndStayWithinTheArrival) {
    PlatingLine();
    SetL("TIC02", "5A01");
    SetL("TIC03", "20240201001");
    SetL("TIC04", "0001");
    SetL("TIC05", "0001");
    SetL("TI007", "500");
    EXPECT_REFUSED(*form, Key("TI019", "479.99"), "C00016");  // inspected 480
    EXPECT_REFUSED(*form, Key("TI019", "480.01"), "C00016");
    Key("TI019", "480");
    SetL("TIC05", "");
    EXPECT_REFUSED(*form, Key("TI019", "480.5"), "C00015");  // 480 arrived
    EXPECT_REFUSED(*form, Key("TI021", "6"), "C00015");      // 5 scrapped on arrival
    // A reply that is not a number cannot be compared: the check's message.
    operations->answers["SimpleSQL"] = plat::VarArrayOf({plat::VarArrayOf({Variant("n/a")})});
    EXPECT_REFUSED(*form, Key("TI019", "470"), "C00015");
    // With the cascade off only the checks run.
    operations->answers.erase("SimpleSQL");
    form->quantityEditActive = false;
    trace->Clear();
    Key("TI021", "2");
    EXPECT_EQ(trace->Only({"TI0", "?TI0"}), (Trace{"?TI021", "TI021=2"}));
}

TEST_F(QuantityRules, TheInspectionAndArrivalStatementsQuoteTheLink) {
    PlatingLine();
    SetL("TIC02", "5'A");
    SetL("TIC03", "X'OR'1'='1");
    SetL("TIC05", "0'1");
    SetL("TIC04", "");
    operations->calls.clear();
    Key("TI019", "100");
    // Without an arrival line only the inspection result is asked for.
    std::vector<std::string> statements;
    for (const auto& [name, args] : operations->calls)
        if (name == "SimpleSQL") statements.push_back(plat::VarToStr(args[0]));
    ASSERT_EQ(statements.size(), 1u);
    EXPECT_NE(statements[0].find("TD001='5''A'"), std::string::npos) << statements[0];
    EXPECT_NE(statements[0].find("TD002='X''OR''1''=''1'"), std::string::npos) << statements[0];
    EXPECT_NE(statements[0].find("TDC01='0''1'"), std::string::npos) << statements[0];
    SetL("TIC04", "0'1");
    operations->calls.clear();
    Key("TI019", "90");
    ASSERT_FALSE(operations->LastArgs("SimpleSQL").IsEmpty());
    const std::string arrival = plat::VarToStr(operations->LastArgs("SimpleSQL")[0]);
    EXPECT_NE(arrival.find("CD003='0''1'"), std::string::npos) << arrival;
    EXPECT_DOUBLE_EQ(LV("TI019"), 90);
}

TEST_F(QuantityRules, TheUnitIsCheckedAndConvertsTheQuantities) {
    PlatingLine();
    EXPECT_REFUSED(*form, Key("TI008", "BOX"), "100026");
    SetL("TI023", "G");
    Key("TI008", "KG");
    EXPECT_DOUBLE_EQ(LV("TI020"), 150000);  // priced by the gram
    EXPECT_DOUBLE_EQ(LV("TI062"), 150);
}

TEST_F(QuantityRules, TheAcceptanceDateIsNotBeforeTheDocumentDate) {
    PlatingLine();
    EXPECT_REFUSED(*form, Key("TI018", "20240229"), "100305");
    Key("TI018", "20240301");
    EXPECT_EQ(L("TI018"), "20240301");
}

TEST_F(QuantityRules, TheValuationQuantityPricesTheLineWithoutTurningBackIntoAPrice) {
    PlatingLine();
    Key("TI024", "2");
    trace->Clear();
    Key("TI020", "100");
    EXPECT_DOUBLE_EQ(LV("TI025"), 200);
    EXPECT_DOUBLE_EQ(LV("TI024"), 2);
    EXPECT_EQ(trace->Find("TI024=2"), -1);
    EXPECT_TRUE(dm->PriceFromAmountEnabled);
    Key("TI020", "151");
    EXPECT_EQ(form->codes().back(), "200202");
    form->broker->SetSysParam("SYS069", "Y");
    Key("TI020", "152");
    EXPECT_EQ(form->codes().back(), "200203");
}

TEST_F(QuantityRules, ThePricingUnitAsksForThePriceAndNeedsAConversion) {
    PlatingLine();
    EXPECT_REFUSED(*form, Key("TI023", "BOX"), "100026");
    Key("TI023", "BAG");
    EXPECT_EQ(plat::VarToStr(operations->LastArgs("MocUnitPrice")[3]), "BAG");
    operations->answers["MocUnitPrice"] = Variant();
    EXPECT_REFUSED(*form, Key("TI023", "KG"), "000001");
    EXPECT_EQ(L("TI023"), "BAG");
}

// ---- packages of a fixed-weight item ----

class PackageRules : public QuantityRules {
  protected:
    PackageRules() { form->broker->SetSysParam("SYS024", "3"); }
};

TEST_F(PackageRules, ReceivedPackagesGiveTheQuantitiesOfAFixedWeightItem) {
    PlatingLine();
    EXPECT_DOUBLE_EQ(LV("TI016"), 30);  // 40 packages ordered, 10 on hold
    EXPECT_DOUBLE_EQ(LV("TI017"), 30);
    Key("TI016", "10");
    EXPECT_DOUBLE_EQ(LV("TI007"), 50);
    EXPECT_DOUBLE_EQ(LV("TI019"), 50);
    EXPECT_DOUBLE_EQ(LV("TI017"), 10);
    for (const char* name : {"TI050", "TI051", "TI057", "TI021", "TI022", "TI056"})
        EXPECT_DOUBLE_EQ(LV(name), 0);
    EXPECT_TRUE(form->quantityEditActive);
    // Accepted quantities give their packages back.
    Key("TI019", "40");
    EXPECT_DOUBLE_EQ(LV("TI017"), 8);
}

TEST_F(PackageRules, TypedPackagesAreNotConvertedBackFromTheirQuantity) {
    PlatingLine();
    // Three cans to the KG: 10 cans are 3.333 KG, which would be 9.999 cans.
    Exec("INSERT INTO INVMD (MD001, MD002, MD003, MD004) VALUES ('C3001', 'CAN', 3, 1)");
    SetL("TI049", "CAN");
    for (const char* fixed : {"Y", "y"}) {
        SetL("MB091C", fixed);
        Key("TI016", "10");
        EXPECT_DOUBLE_EQ(LV("TI016"), 10) << fixed;
        EXPECT_DOUBLE_EQ(LV("TI007"), 3.333) << fixed;
        EXPECT_DOUBLE_EQ(LV("TI017"), 10) << fixed;
    }
}

TEST_F(PackageRules, AConversionTheServerCannotMakeGivesTheUnitsMessage) {
    PlatingLine();
    operations->answers["UnitConvert"] = Variant();
    EXPECT_REFUSED(*form, Key("TI016", "10"), "100026");
    EXPECT_DOUBLE_EQ(LV("TI007"), 150);
    EXPECT_TRUE(form->quantityEditActive);
}

TEST_F(PackageRules, EitherFixedWeightLetterConvertsPackagesIntoQuantities) {
    PlatingLine();
    Key("TI016", "10");
    SetL("MB091C", "y");
    Key("TI017", "6");
    EXPECT_DOUBLE_EQ(LV("TI019"), 30);
    SetL("MB091C", "N");
    Key("TI017", "5");
    EXPECT_DOUBLE_EQ(LV("TI019"), 30);
}

TEST_F(PackageRules, PackagesAreLimitedAndLeaveTheRestRejected) {
    PlatingLine();
    Key("TI016", "10");
    Key("TI017", "6");
    Key("TI050", "2");
    Key("TI057", "1");
    EXPECT_DOUBLE_EQ(LV("TI051"), 1);
    Key("TI050", "4");
    EXPECT_EQ(form->codes().back(), "100072");
    EXPECT_DOUBLE_EQ(LV("TI051"), -1);
    EXPECT_REFUSED(*form, Key("TI017", "12"), "100405");
    SetL("TI016", "0");
    Key("TI017", "12");
    EXPECT_DOUBLE_EQ(LV("TI017"), 12);
}

TEST_F(PackageRules, ReceivedPackagesBelowTheAcceptedAreRefusedBeforeAnyWrite) {
    PlatingLine();
    SetL("TI035", "1");
    trace->Clear();
    EXPECT_REFUSED(*form, Key("TI016", "-1"), "100386");
    for (const std::string& e : trace->Events()) EXPECT_EQ(e.find('='), std::string::npos) << e;
    EXPECT_TRUE(form->quantityEditActive);
}

TEST_F(PackageRules, ANewUnitOfAFixedWeightItemConvertsPackagesOrQuantities) {
    // 150 KG received and accepted in 30 bags of 5 KG; the unit becomes G.
    struct Case {
        const char* fixed;
        double received, receivedPackages, accepted, acceptedPackages;
    };
    for (const Case& c : {Case{"Y", 150, 0.03, 150, 0.03}, Case{"y", 150000, 30, 150000, 30}}) {
        PlatingLine();
        SetL("MB091C", c.fixed);
        Key("TI008", "G");
        EXPECT_DOUBLE_EQ(LV("TI007"), c.received) << c.fixed;
        EXPECT_DOUBLE_EQ(LV("TI016"), c.receivedPackages) << c.fixed;
        EXPECT_DOUBLE_EQ(LV("TI019"), c.accepted) << c.fixed;
        EXPECT_DOUBLE_EQ(LV("TI017"), c.acceptedPackages) << c.fixed;
        lines().Cancel();
        head().Cancel();
    }
}

TEST_F(PackageRules, AUnitWithoutAPackagingConversionIsRefusedBeforeAnyWrite) {
    PlatingLine();
    SetL("TI023", "G");    // priced by the gram: a new unit would change the valuation
    SetL("TI049", "CAN");  // a packaging unit the item has no conversion for
    trace->Clear();
    EXPECT_REFUSED(*form, Key("TI008", "KG"), "100026");
    for (const std::string& e : trace->Events()) EXPECT_EQ(e.find('='), std::string::npos) << e;
    EXPECT_DOUBLE_EQ(LV("TI020"), 150);
}

// A quantity whose conversion the server cannot make is refused before
// any field of the line is rewritten.
TEST_F(PackageRules, AQuantityThatCannotBeConvertedIsRefusedBeforeAnyWrite) {
    struct Case {
        const char* field;
        const char* unitField;  // the unit the conversion needs
    };
    for (const Case& c : {Case{"TI019", "TI049"}, Case{"TI021", "TI049"}, Case{"TI056", "TI049"},
                          Case{"TI022", "TI049"}, Case{"TI020", "TI023"}}) {
        PlatingLine();
        SetL("MB091C", "Y");
        SetL(c.unitField, "CAN");  // a unit the item has no conversion for
        trace->Clear();
        EXPECT_REFUSED(*form, Key(c.field, "10"), "100026");
        for (const std::string& e : trace->Events())
            EXPECT_EQ(e.find('='), std::string::npos) << c.field << ": " << e;
        EXPECT_TRUE(form->quantityEditActive);
        EXPECT_TRUE(dm->PriceFromAmountEnabled);
        lines().Cancel();
        head().Cancel();
    }
}

// ---- amounts ----

class AmountRules : public QuantityRules {
  protected:
    void LineOf(double valued) {
        StartReceipt("5901", "S001", "20240301");
        lines().Append();
        SetL("TI020", NumberText(valued));
        trace->Clear();
    }
};

TEST_F(AmountRules, APriceGivesTheAmountAndItsTax) {
    LineOf(4);
    Key("TI024", "12.5");
    EXPECT_DOUBLE_EQ(LV("TI025"), 50);
    EXPECT_DOUBLE_EQ(LV("TI024"), 12.5);
    EXPECT_DOUBLE_EQ(LV("TI044"), 50);
    EXPECT_DOUBLE_EQ(LV("TI045"), 6.5);
    EXPECT_DOUBLE_EQ(LV("TI046"), 50);  // local currency: the same amounts
    EXPECT_DOUBLE_EQ(LV("TI047"), 6.5);
    const Trace t = trace->Events();
    EXPECT_EQ(std::count(t.begin(), t.end(), "?TI024"), 1);
}

TEST_F(AmountRules, AnAmountGivesThePriceQuietly) {
    LineOf(3);
    Key("TI025", "100");
    EXPECT_EQ(L("TI024"), NumberText(100.0 / 3));
    EXPECT_EQ(trace->Find("?TI024"), -1);
    SetL("TI020", "0");
    Key("TI025", "90");
    EXPECT_EQ(L("TI024"), NumberText(100.0 / 3));
}

TEST_F(AmountRules, TaxIncludedSplitsByInvoiceKind) {
    LineOf(1);
    SetH("TH015", "1");
    SetH("TH012", "A");
    Key("TI025", "113");
    EXPECT_DOUBLE_EQ(LV("TI045"), RoundToDecimals(2, 113 * 0.13));
    SetH("TH012", "1");
    Key("TI025", "113");
    EXPECT_DOUBLE_EQ(LV("TI045"), 13);
    EXPECT_DOUBLE_EQ(LV("TI044"), 100);
    EXPECT_DOUBLE_EQ(LV("TI047"), 13);
}

TEST_F(AmountRules, ATypedTaxOnlyCopiesToTheLocalCurrency) {
    LineOf(1);
    Key("TI025", "100");
    Key("TI045", "10");
    EXPECT_DOUBLE_EQ(LV("TI044"), 100);
    EXPECT_DOUBLE_EQ(LV("TI047"), 10);
    SetH("TH007", "USD");
    SetH("TH008", "7");
    Key("TI045", "11");
    EXPECT_DOUBLE_EQ(LV("TI044"), 100);
    EXPECT_DOUBLE_EQ(LV("TI047"), 10);
}

TEST_F(AmountRules, ANewTaxRateRecalculatesEveryLineAndKeepsThePlace) {
    StartReceipt("5901", "S001", "20240301");
    for (const char* price : {"10", "20"}) {
        lines().Append();
        SetL("TI020", "1");
        Key("TI024", price);
        lines().Post();
    }
    lines().First();
    const std::string first = L("TI003");
    lines().Edit();
    Key("TI024", "10");
    dm->HeadField("TH030")->SetAsString("0.17");
    EXPECT_EQ(L("TI003"), first);
    EXPECT_DOUBLE_EQ(LV("TI045"), 1.7);
    lines().Next();
    EXPECT_DOUBLE_EQ(LV("TI045"), 3.4);
    EXPECT_DOUBLE_EQ(HV("TH020"), 5.1);
}

}  // namespace
}  // namespace ktrb::test
