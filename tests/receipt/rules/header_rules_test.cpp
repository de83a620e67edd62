// Header validations: document type, date, supplier, currency, invoice and
// tax kind, tax rate, and the lines that follow the header's terms.
#include <algorithm>
#include <map>

#include "rule_trace.h"
#include "runtime/LibStrs.h"

namespace ktrb::test {
namespace {

using Trace = std::vector<std::string>;

class HeaderRules : public RuleFixture {
  protected:
    // A receipt with one posted line: 100 valued at 12.5.
    void ReceiptWithLine() {
        StartReceipt("5901", "S001", "20240301");
        lines().Append();
        dm->LineField("TI020")->SetAsString("100");
        dm->LineField("TI024")->SetAsString("12.5");
        lines().Post();
        trace->Clear();
    }
};

TEST_F(HeaderRules, TheDocumentTypeBringsItsSettingsNumberAndLocks) {
    form->assignNumber = [] { return std::string("20240301007"); };
    StartReceipt("5901", "S001", "20240301");
    SetH("TH002", "");
    dm->HeadField("TH001")->SetAsString("5902");
    EXPECT_EQ(H("TH001C"), "到货进货单");
    EXPECT_EQ(H("TH001C1"), "Y");
    EXPECT_EQ(H("MQ042C"), "Y");
    EXPECT_EQ(H("MQC03C"), "Y");
    EXPECT_EQ(H("MQC04C"), "Y");
    EXPECT_EQ(H("TH002"), "20240301007");
    EXPECT_EQ(H("TH036"), "0");  // sign-off is set up for this type
    EXPECT_TRUE(dm->LineField("TI013")->ReadOnly());
    EXPECT_FALSE(dm->LineField("TIC02")->ReadOnly());
    EXPECT_FALSE(dm->LineField("TIC05")->ReadOnly());
    // Manual numbering leaves the number to the user.
    dm->HeadField("TH001")->SetAsString("5903");
    EXPECT_FALSE(dm->AutoNumber);
    EXPECT_EQ(H("TH036"), "N");
    EXPECT_TRUE(dm->LineField("TIC02")->ReadOnly());
}

TEST_F(HeaderRules, ADocumentTypeWithAQuoteDoesNotBreakItsStatement) {
    StartReceipt("5901", "S001", "20240301");
    operations->calls.clear();
    EXPECT_REFUSED(*form, dm->HeadField("TH001")->SetAsString("5'01"), "100007");
    catalogue->Answer("C", "85", {Variant("X"), Variant("59"), Variant("4")});
    dm->HeadField("TH001")->SetAsString("5'01");
    ASSERT_FALSE(operations->LastArgs("SimpleSQL").IsEmpty());
    EXPECT_NE(plat::VarToStr(operations->LastArgs("SimpleSQL")[0]).find("MQ001='5''01'"),
              std::string::npos);
}

TEST_F(HeaderRules, ADateInAClosedPeriodIsRefusedAndTheReceiptDateFollows) {
    StartReceipt("5901", "S001", "20240301");
    EXPECT_REFUSED(*form, dm->HeadField("TH029")->SetAsString("20231231"), "100013");
    dm->HeadField("TH029")->SetAsString("20240101");
    EXPECT_EQ(H("TH003"), "20240101");
}

TEST_F(HeaderRules, ASupplierFillsTheHeaderInOrderAndChecksTheLines) {
    StartReceipt("5901", "S001", "20240301");
    form->supplierAtEdit = "";
    dm->HeadField("TH005")->SetAsString("S002");
    // The header totals that every recalculation writes are left out.
    Trace t;
    for (const std::string& e : trace->Events())
        if (e.find("TH027C") == std::string::npos && e.find("TH032C") == std::string::npos &&
            (e.rfind("?TH", 0) == 0 || e.rfind("TH", 0) == 0 || e.rfind("look", 0) == 0))
            t.push_back(e);
    // The supplier's values in the order of the rule, each running its own
    // rule at once (the tax kind asks the supplier's rate again).
    EXPECT_EQ(t, (Trace{"?TH005",          "look PURMA 01", "?TH005C",
                        "TH005C=华达电镀", "?TH011",        "TH011=91320583MA1XYZ0002",
                        "?TH012",          "TH012=2",       "?TH015",
                        "look PURMA 01",   "?TH030",        "TH030=0.13",
                        "TH015=1",         "?TH007",        "look CMSMF 01",
                        "?TH008",          "TH008=1",       "TH007=RMB",
                        "?TH033",          "look CMSNA 01", "?TH033C",
                        "TH033C=月结60天", "TH033=M60",     "?TH030",
                        "TH030=0.13",      "?TH005C1",      "TH005C1=Y",
                        "TH005=S002"}));
    EXPECT_EQ(form->supplierAtEdit, "S002");
    // Keying the same supplier again asks nothing.
    trace->Clear();
    dm->HeadField("TH005")->SetAsString("S002");
    EXPECT_EQ(trace->Only({"look"}), Trace{});
}

TEST_F(HeaderRules, ABlockedSupplierIsRefusedBeforeAnythingIsWritten) {
    StartReceipt("5901", "S001", "20240301");
    for (auto [supplier, code] :
         {std::pair<const char*, const char*>{"S004", "200135"}, {"S005", "100174"}}) {
        trace->Clear();
        EXPECT_REFUSED(*form, dm->HeadField("TH005")->SetAsString(supplier), code);
        EXPECT_EQ(trace->Only({"?TH0", "TH0"}), Trace{"?TH005"});
        EXPECT_EQ(H("TH005"), "S001");
        EXPECT_EQ(form->supplierAtEdit, "S001");
    }
}

TEST_F(HeaderRules, ASupplierThatTheLinesWorkOrdersRefuseIsNotRemembered) {
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240105001");
    lines().Post();
    SetH("TH001C1", "N");
    trace->Clear();
    EXPECT_REFUSED(*form, dm->HeadField("TH005")->SetAsString("S002"), "200943");
    // The lines are checked once, against all of the new terms.
    Trace t = trace->Events();
    EXPECT_EQ(std::count(t.begin(), t.end(), "look MOCTA 25"), 1);
    EXPECT_EQ(H("TH005"), "S001");
    EXPECT_EQ(form->supplierAtEdit, "S001");
    // Keyed again, the refused supplier is checked again, not waved through.
    EXPECT_REFUSED(*form, dm->HeadField("TH005")->SetAsString("S002"), "200943");
}

struct SupplierTerms {
    const char* supplier;
    const char* invoiceKind;
    const char* taxKind;
    double rate;
    const char* currency;
    double exchangeRate;
    bool rateEditable;
};

class SupplierKinds : public HeaderRules, public ::testing::WithParamInterface<SupplierTerms> {};

TEST_P(SupplierKinds, BringTheirInvoiceTaxAndCurrencyTerms) {
    const SupplierTerms& c = GetParam();
    StartReceipt("5901", "S001", "20240301");
    form->supplierAtEdit = "";
    dm->HeadField("TH005")->SetAsString(c.supplier);
    EXPECT_EQ(H("TH012"), c.invoiceKind);
    EXPECT_EQ(H("TH015"), c.taxKind);
    EXPECT_DOUBLE_EQ(HV("TH030"), c.rate);
    EXPECT_EQ(H("TH007"), c.currency);
    EXPECT_DOUBLE_EQ(HV("TH008"), c.exchangeRate);
    EXPECT_EQ(form->taxRateEnabled, c.rateEditable);
}

INSTANTIATE_TEST_SUITE_P(Demo, SupplierKinds,
                         ::testing::Values(SupplierTerms{"S006", "B", "1", 0, "RMB", 1, false},
                                           SupplierTerms{"S007", "T", "1", 0.09, "RMB", 1, true},
                                           SupplierTerms{"S008", "Z", "9", 0, "RMB", 1, true},
                                           SupplierTerms{"S009", "A", "1", 0.09, "RMB", 1, true},
                                           SupplierTerms{"S010", "S", "2", 0.13, "USD", 7.12, true},
                                           SupplierTerms{"S003", "3", "3", 0, "USD", 7.12, true}));

TEST_F(HeaderRules, InvoiceAndTaxKindsSetTheRate) {
    StartReceipt("5901", "S001", "20240301");
    dm->HeadField("TH012")->SetAsString("B");
    EXPECT_EQ(H("TH015"), "1");
    EXPECT_DOUBLE_EQ(HV("TH030"), 0);
    EXPECT_FALSE(form->taxRateEnabled);
    dm->HeadField("TH012")->SetAsString("S");
    EXPECT_TRUE(form->taxRateEnabled);
    EXPECT_EQ(H("TH015"), "2");
    EXPECT_DOUBLE_EQ(HV("TH030"), 0.13);
    for (const char* kind : {"3", "4", "9"}) {
        dm->HeadField("TH015")->SetAsString(kind);
        EXPECT_DOUBLE_EQ(HV("TH030"), 0) << kind;
    }
    // The amount dialog's own change of the invoice kind is left alone once.
    form->invoiceKindFromDialog = true;
    dm->HeadField("TH012")->SetAsString("Z");
    EXPECT_EQ(H("TH015"), "9");
    EXPECT_FALSE(form->invoiceKindFromDialog);
    EXPECT_REFUSED(*form, dm->HeadField("TH030")->SetAsString("-0.01"), "100012");
}

TEST_F(HeaderRules, ChangesOfCurrencyRateAndTaxKindRecalculateTheLines) {
    ReceiptWithLine();  // 12.5 x its open quantity, tax added at 13 %
    const double amount = LV("TI025");
    ASSERT_DOUBLE_EQ(amount, 1250);
    EXPECT_DOUBLE_EQ(LV("TI045"), RoundToDecimals(2, amount * 0.13));

    dm->HeadField("TH015")->SetAsString("1");  // tax included, the rate stays
    EXPECT_DOUBLE_EQ(LV("TI045"), RoundToDecimals(2, amount / 1.13 * 0.13));
    EXPECT_DOUBLE_EQ(HV("TH020"), LV("TI045"));

    SetH("TH015", "2");
    dm->HeadField("TH007")->SetAsString("USD");
    EXPECT_DOUBLE_EQ(HV("TH008"), 7.12);
    EXPECT_DOUBLE_EQ(LV("TI046"), RoundToDecimals(2, amount * 7.12));

    dm->HeadField("TH008")->SetAsString("7");
    EXPECT_DOUBLE_EQ(LV("TI046"), RoundToDecimals(2, amount * 7));
    EXPECT_DOUBLE_EQ(HV("TH031"), LV("TI046"));
    EXPECT_REFUSED(*form, dm->HeadField("TH008")->SetAsString("0"), "100006");
}

// A header term that the lines' work orders refuse leaves the header's
// terms, the lines' amounts and the rate edit as they were.
struct RefusedTerm {
    const char* field;
    const char* value;
};

class RefusedTerms : public HeaderRules, public ::testing::WithParamInterface<RefusedTerm> {};

TEST_P(RefusedTerms, LeaveTheHeaderAndTheLinesAsTheyWere) {
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240105001");  // supplier S001, RMB, tax added at 13 %
    dm->LineField("TI020")->SetAsString("100");
    lines().Post();
    SetH("TH001C1", "N");  // the supplier may change while lines name work orders
    const char* const terms[] = {"TH005C", "TH011", "TH012",   "TH015", "TH007", "TH008",
                                 "TH033",  "TH030", "TH005C1", "TH018", "TH020", "TH031"};
    std::map<std::string, std::string> before;
    for (const char* name : terms) before[name] = H(name);
    const double tax = LV("TI045"), local = LV("TI046");
    ASSERT_GT(tax, 0);

    EXPECT_REFUSED(*form, dm->HeadField(GetParam().field)->SetAsString(GetParam().value), "200943");
    for (const char* name : terms) EXPECT_EQ(H(name), before[name]) << name;
    EXPECT_DOUBLE_EQ(LV("TI045"), tax);
    EXPECT_DOUBLE_EQ(LV("TI046"), local);
    EXPECT_TRUE(form->taxRateEnabled);
    EXPECT_EQ(form->supplierAtEdit, "S001");
}

INSTANTIATE_TEST_SUITE_P(Demo, RefusedTerms,
                         ::testing::Values(RefusedTerm{"TH030", "0.17"},
                                           RefusedTerm{"TH007", "USD"}, RefusedTerm{"TH015", "1"},
                                           RefusedTerm{"TH012", "B"}, RefusedTerm{"TH005", "S002"},
                                           RefusedTerm{"TH005", "S006"}));

TEST_F(HeaderRules, ARefusedTermStillTotalsTheLineItPosted) {
    StartReceipt("5901", "S001", "20240301");
    LineOnWorkOrder("5201", "20240105001");
    dm->LineField("TI020")->SetAsString("100");
    lines().Post();
    lines().Append();  // a second line, without work order, still being entered
    dm->LineField("TI020")->SetAsString("10");
    dm->LineField("TI024")->SetAsString("2");
    EXPECT_REFUSED(*form, dm->HeadField("TH030")->SetAsString("0.17"), "200943");
    EXPECT_EQ(lines().State(), plat::dsBrowse);
    EXPECT_EQ(lines().RecordCount(), 2);
    EXPECT_DOUBLE_EQ(HV("TH018"), 1250 + 20);
    EXPECT_DOUBLE_EQ(HV("TH020"), 162.5 + 2.6);
    EXPECT_DOUBLE_EQ(HV("TH030"), 0.13);
}

TEST_F(HeaderRules, AnUnknownExchangeRateGivesTheRatesMessage) {
    StartReceipt("5901", "S001", "20240301");
    operations->answers["ExchangeRate"] = Variant::Null();
    EXPECT_REFUSED(*form, dm->HeadField("TH007")->SetAsString("JPY"), "100006");
    EXPECT_EQ(H("TH007"), "RMB");
}

}  // namespace
}  // namespace ktrb::test
