// The header's quantity and amount totals, summed from the lines.
#include <string>
#include <vector>

#include "platform/core/numbers.h"
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;

namespace {

struct TTotal {
    const char* head;
    const char* line;
};

const std::vector<TTotal> kQuantityTotals = {{mocth::TotalReceived, mocti::ReceivedQuantity},
                                             {mocth::TotalAccepted, mocti::AcceptedQuantity}};

const std::vector<TTotal> kAmountTotals = {
    {mocth::ProcessingAmount, mocti::ProcessingAmount},
    {mocth::DeductionAmount, mocti::DeductionAmount},
    {mocth::NetAmount, mocti::NetAmount},
    {mocth::TaxAmount, mocti::TaxAmount},
    {mocth::LocalNetAmount, mocti::LocalNetAmount},
    {mocth::LocalTaxAmount, mocti::LocalTaxAmount},
    {mocth::LocalReceiptCost, mocti::ReceiptCost},
    {mocth::TotalAcceptedPackages, mocti::AcceptedPackages},
    {mocth::TotalReceivedPackages, mocti::ReceivedPackages},
};

// Decimal count of the sums: -1 adds the values as stored, -2 their integer parts.
constexpr int kAsStored = -1;
constexpr int kIntegerPart = -2;

}  // namespace

void TdmKtrb52::CalcHeadTotals() {
    headTotals(true);
}

void TdmKtrb52::CalcHeadTotalsAfterLineChange() {
    headTotals(false);
}

std::vector<double> TdmKtrb52::lineSums(const std::vector<std::string>& lines, int decimals,
                                        bool recount) {
    // The store's sums ignore filters and read values as stored or cut to
    // integers; anything else is summed by the walk.
    if (!recount && cdsBody1->Active() && !cdsBody1->Filtered() &&
        (decimals == kAsStored || decimals == kIntegerPart)) {
        std::vector<TField*> fields;
        for (const std::string& name : lines) fields.push_back(cdsBody1->FieldByName(name));
        if (auto sums = cdsBody1->RangeSums(fields, decimals == kIntegerPart)) return *sums;
    }
    std::vector<double> totals;
    SumBodyLines(lines, totals, std::vector<std::string>(lines.size()),
                 std::vector<int>(lines.size(), decimals));
    return totals;
}

void TdmKtrb52::headTotals(bool recount) {
    const std::string mode = sysParam("SYS024");
    const bool perLine = mode == "2";
    if (perLine && cdsBody1->IsEmpty()) return;

    // The header goes into edit before any total is written: the sums of a
    // header in browse state would otherwise be lost, or raise.
    TdmDouble::CalcHeadTotals();

    std::vector<TTotal> totals;
    if (mode == "1" || mode == "3") {
        totals = kQuantityTotals;
    } else if (perLine) {
        std::vector<std::string> lines;
        for (const TTotal& t : kQuantityTotals) lines.push_back(t.line);
        const std::vector<double> quantities = lineSums(lines, kIntegerPart, recount);
        for (size_t i = 0; i < kQuantityTotals.size(); ++i)
            SetFieldText(HeadField(kQuantityTotals[i].head), plat::FloatToStr(quantities[i]));
    }
    totals.insert(totals.end(), kAmountTotals.begin(), kAmountTotals.end());
    std::vector<TField*> heads;
    std::vector<std::string> lines;
    for (const TTotal& t : totals) {
        heads.push_back(HeadField(t.head));
        lines.push_back(t.line);
    }
    WriteBodySums(heads, lineSums(lines, kAsStored, recount),
                  std::vector<int>(totals.size(), kAsStored));
    SetFieldText(HeadField(mocth::TotalAmount),
                 plat::FloatToStr(HeadField(mocth::NetAmount)->AsFloat() +
                                  HeadField(mocth::TaxAmount)->AsFloat()));
    SetFieldText(HeadField(mocth::LocalTotalAmount),
                 plat::FloatToStr(HeadField(mocth::LocalNetAmount)->AsFloat() +
                                  HeadField(mocth::LocalTaxAmount)->AsFloat()));
}

}  // namespace ktrb
