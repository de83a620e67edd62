// Line amounts and tax: the unit price, the processing amount and the
// deduction follow each other, and the line amount is split into untaxed
// amount and tax in the document's and in the local currency. Two flags of
// the module stop the price and the amount from turning each other round.
#include <optional>
#include <string>
#include <vector>

#include "dataframe/knlRadical.h"
#include "platform/core/variant.h"
#include "receipt/rules/FieldCodes.h"
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
    writeLineNumber(mocti::ProcessingAmount, lineValue(mocti::PricingQuantity) * Sender->AsFloat());
}

void TdmKtrb52::cdsBody1TI025Validate(TField* Sender) {
    TFlagScope derived(PriceBeingDerived, true, false);
    const double quantity = lineValue(mocti::PricingQuantity);
    if (quantity != 0 && PriceFromAmountEnabled)
        SetFieldTextQuiet(LineField(mocti::UnitPrice), NumberText(Sender->AsFloat() / quantity));
    CalcLineAmounts();
}

void TdmKtrb52::cdsBody1TI026Validate(TField*) {
    CalcLineAmounts();
}

// The line fields and header terms the amount rules read: looked up once per
// rule, or once for every line while all lines are recalculated.
struct TdmKtrb52::TLineAmounts {
    explicit TLineAmounts(const TdmKtrb52& dm)
        : quantity(dm.LineField(mocti::PricingQuantity)),
          price(dm.LineField(mocti::UnitPrice)),
          amount(dm.LineField(mocti::ProcessingAmount)),
          deduction(dm.LineField(mocti::DeductionAmount)),
          untaxed(dm.LineField(mocti::NetAmount)),
          tax(dm.LineField(mocti::TaxAmount)),
          localUntaxed(dm.LineField(mocti::LocalNetAmount)),
          localTax(dm.LineField(mocti::LocalTaxAmount)),
          currency(dm.headText(mocth::Currency)),
          local(dm.sysParam("SYS003")),
          taxKind(dm.headText(mocth::TaxKind)) {}
    TField *quantity, *price, *amount, *deduction, *untaxed, *tax, *localUntaxed, *localTax;
    std::string currency, local, taxKind;
    // Read when a rule first needs them.
    std::optional<double> exchangeRate;
    struct TSplit {
        // The split's arguments; the line's own are set for each line.
        Variant args;
        int low = 0;
        bool byRate = false;
    };
    std::optional<TSplit> split;

    bool taxIncluded() const { return taxKind == kTaxIncluded; }
    bool localCurrency() const { return currency == local; }
    double net() const { return amount->AsFloat() - deduction->AsFloat(); }
};

// The terms of the rule or recalculation under way; else looked up, and kept
// for the rules this one sets off.
template <class F>
void TdmKtrb52::withLineAmounts(F&& rule) {
    if (lineAmounts_) return rule(*lineAmounts_);
    TLineAmounts terms(*this);
    lineAmounts_ = &terms;
    TFinally forget([&] { lineAmounts_ = nullptr; });
    rule(terms);
}

void TdmKtrb52::cdsBody1TI045Validate(TField* Sender) {
    withLineAmounts([&](TLineAmounts& a) {
        if (a.taxIncluded()) SetFieldNumber(a.untaxed, a.net() - Sender->AsFloat());
        if (a.localCurrency()) {
            SetFieldNumber(a.localUntaxed, a.untaxed->AsFloat());
            SetFieldNumber(a.localTax, Sender->AsFloat());
        }
    });
}

void TdmKtrb52::cdsBody1TI047Validate(TField* Sender) {
    withLineAmounts([&](TLineAmounts& a) {
        if (!a.taxIncluded()) return;
        if (!a.exchangeRate) a.exchangeRate = headValue(mocth::ExchangeRate);
        SetFieldNumber(a.localUntaxed, a.net() * *a.exchangeRate - Sender->AsFloat());
    });
}

int TdmKtrb52::amountDecimals(const std::string& field, const std::string& currency) {
    // Without a registered currency format the amounts take the currency's
    // own money decimals (two when the currency table cannot say).
    int decimals = GetFieldDecimals(field);
    if (decimals < 0) decimals = GetCurrencyDigits(currency, TCurrencyDigitType::cdtMoney);
    return decimals < 0 ? 2 : decimals;
}

void TdmKtrb52::CalcLineAmounts() {
    if (Session.AmountsFrozen) return;
    withLineAmounts([&](TLineAmounts& a) { calcLineAmounts(a); });
}

void TdmKtrb52::calcLineAmounts(TLineAmounts& a) {
    if (!a.split) {
        TLineAmounts::TSplit split;
        split.byRate = taxByRateInvoice(headText(mocth::InvoiceKind)) && a.taxIncluded();
        std::vector<Variant> args = {Variant(a.currency),
                                     Variant(a.local),
                                     Variant(HeadField(mocth::TaxRate)->AsString()),
                                     Variant(a.taxKind),
                                     Variant(HeadField(mocth::ExchangeRate)->AsString()),
                                     Variant(amountDecimals(mocth::ProcessingAmount, a.currency)),
                                     Variant(amountDecimals(mocti::ReceiptCost, a.local))};
        // The line amount; for the split by amounts also quantity and price.
        args.resize(split.byRate ? 8 : 10);
        split.args = Variant::ArrayOf(std::move(args));
        split.low = split.args.LowBound(1);
        a.split = std::move(split);
    }
    TLineAmounts::TSplit& s = *a.split;
    s.args[s.low + 7] = Variant(a.net());
    Variant split;
    if (s.byRate) {
        split = SplitTaxByRate(s.args);
    } else {
        s.args[s.low + 8] = Variant(a.quantity->AsFloat());
        s.args[s.low + 9] = Variant(a.price->AsFloat());
        split = SplitTaxAmounts(s.args);
    }
    const int low = split.LowBound(1);
    SetFieldNumber(a.untaxed, split[low].AsFloat());
    SetFieldNumber(a.tax, split[low + 1].AsFloat());
    if (!a.localCurrency()) {
        SetFieldNumber(a.localTax, split[low + 3].AsFloat());
        SetFieldNumber(a.localUntaxed, split[low + 2].AsFloat());
    }
}

void TdmKtrb52::RecalcAllLineAmounts() {
    if (headerBatch_ > 0) {
        recalcPending_ = true;
        return;
    }
    if (!cdsBody1->Active()) return;
    if (editing(cdsBody1)) cdsBody1->Post();
    // The totals once the lines are walked and again once the controls are
    // back, both from the sums the line store keeps: the same figures as a
    // recount, without walking the lines again.
    TFinally done([&] {
        CalcHeadTotalsAfterLineChange();
        cdsMain->Edit();
    });
    // No scroll or post rule runs while the lines are walked.
    TRowWalk walk(cdsBody1, TRowWalk::Events::DataSetAndSource, dsBody1);
    walk.beforeEnable = [&] { CalcHeadTotalsAfterLineChange(); };
    // The header, the system and the amount fields are read for the first
    // line and kept for the others: nothing the lines' rules write changes them.
    const bool frozen = Session.AmountsFrozen;
    std::optional<TLineAmounts> terms;
    TLineAmounts* const outer = lineAmounts_;
    TFinally restore([&] { lineAmounts_ = outer; });
    cdsBody1->First();
    while (!cdsBody1->Eof()) {
        cdsBody1->Edit();
        if (!frozen) {
            if (!terms) lineAmounts_ = &terms.emplace(*this);
            calcLineAmounts(*terms);
        }
        cdsBody1->Post();
        cdsBody1->Next();
    }
}

}  // namespace ktrb
