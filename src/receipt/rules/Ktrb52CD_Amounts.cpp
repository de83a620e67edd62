// Line amounts and tax: the unit price, the processing amount and the
// deduction follow each other, and the line amount is split into untaxed
// amount and tax in the document's and in the local currency. Two flags of
// the module stop the price and the amount from turning each other round.
#include "dataframe/knlRadical.h"
#include "platform/core/variant.h"
#include "receipt/rules/Ktrb52CD.h"
#include "receipt/rules/Ktrb52CD_Support.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr const char* kTaxIncluded = "1";
// Invoice kinds whose tax is taken as a share of a tax-included amount.
bool taxByRateInvoice(const std::string& kind) {
    return kind == "T" || kind == "W" || kind == "A";
}

bool editing(const plat::TDataSet* dataSet) {
    return dataSet->State() == plat::dsEdit || dataSet->State() == plat::dsInsert;
}

}  // namespace

void TdmKtrb52::cdsBody1TI024Validate(TField* Sender) {
    if (PriceBeingDerived) return;
    writeLineNumber("TI025", lineValue("TI020") * Sender->AsFloat());
}

void TdmKtrb52::cdsBody1TI025Validate(TField* Sender) {
    TFlagScope derived(PriceBeingDerived, true, false);
    const double quantity = lineValue("TI020");
    if (quantity != 0 && PriceFromAmountEnabled)
        SetFieldTextQuiet(LineField("TI024"), NumberText(Sender->AsFloat() / quantity));
    CalcLineAmounts();
}

void TdmKtrb52::cdsBody1TI026Validate(TField*) {
    CalcLineAmounts();
}

void TdmKtrb52::cdsBody1TI045Validate(TField* Sender) {
    if (headText("TH015") == kTaxIncluded)
        writeLineNumber("TI044", (lineValue("TI025") - lineValue("TI026")) - Sender->AsFloat());
    if (headText("TH007") == sysParam("SYS003")) {
        writeLineNumber("TI046", lineValue("TI044"));
        writeLineNumber("TI047", Sender->AsFloat());
    }
}

void TdmKtrb52::cdsBody1TI047Validate(TField* Sender) {
    if (headText("TH015") != kTaxIncluded) return;
    writeLineNumber("TI046", (lineValue("TI025") - lineValue("TI026")) * headValue("TH008") -
                                 Sender->AsFloat());
}

int TdmKtrb52::amountDecimals(const std::string& field, const std::string& currency) {
    // Without a registered currency format the amounts take the currency's
    // own money decimals (two when the currency table cannot say).
    int decimals = GetFieldDecimals(field);
    if (decimals < 0) decimals = GetCurrencyDigits(currency, TCurrencyDigitType::cdtMoney);
    return decimals < 0 ? 2 : decimals;
}

void TdmKtrb52::CalcLineAmounts() {
    if (ReceiptForm().AmountsFrozen()) return;
    const std::string currency = headText("TH007"), local = sysParam("SYS003"),
                      taxKind = headText("TH015");
    std::vector<Variant> args = {Variant(currency),
                                 Variant(local),
                                 Variant(HeadField("TH030")->AsString()),
                                 Variant(taxKind),
                                 Variant(HeadField("TH008")->AsString()),
                                 Variant(amountDecimals("TH018", currency)),
                                 Variant(amountDecimals("TI027", local)),
                                 Variant(lineValue("TI025") - lineValue("TI026"))};
    Variant split;
    if (taxByRateInvoice(headText("TH012")) && taxKind == kTaxIncluded) {
        split = SplitTaxByRate(Variant::ArrayOf(args));
    } else {
        args.push_back(Variant(lineValue("TI020")));
        args.push_back(Variant(lineValue("TI024")));
        split = SplitTaxAmounts(Variant::ArrayOf(args));
    }
    const int low = split.LowBound(1);
    writeLine("TI044", plat::VarToStr(split[low]));
    writeLine("TI045", plat::VarToStr(split[low + 1]));
    if (currency != local) {
        writeLine("TI047", plat::VarToStr(split[low + 3]));
        writeLine("TI046", plat::VarToStr(split[low + 2]));
    }
}

void TdmKtrb52::RecalcAllLineAmounts() {
    if (headerBatch_ > 0) {
        recalcPending_ = true;
        return;
    }
    if (!cdsBody1->Active()) return;
    if (editing(cdsBody1)) cdsBody1->Post();
    // The totals again once the controls are back: the store's sums give
    // the same figures as the recount just made, without a second walk.
    TFinally done([&] {
        CalcHeadTotalsAfterLineChange();
        cdsMain->Edit();
    });
    // No scroll or post rule runs while the lines are walked.
    TRowWalk walk(cdsBody1, TRowWalk::Events::DataSetAndSource, dsBody1);
    walk.beforeEnable = [&] { CalcHeadTotals(); };
    cdsBody1->First();
    while (!cdsBody1->Eof()) {
        cdsBody1->Edit();
        CalcLineAmounts();
        cdsBody1->Post();
        cdsBody1->Next();
    }
}

}  // namespace ktrb
