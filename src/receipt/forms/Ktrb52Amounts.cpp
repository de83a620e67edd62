// The receipt form's amount entry on a confirmed line and its invoice
// change: the checks before the amount and invoice dialog opens.
#include "dataframe/knlRadical.h"
#include "platform/core/exceptions.h"
#include "platform/data/clientdataset.h"
#include "receipt/forms/Ktrb52CF.h"
#include "receipt/forms/Ktrb52DF.h"
#include "receipt/rules/FieldCodes.h"
#include "runtime/Brokers.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

bool AcceptanceDateOpen(const std::string& date, const std::string& openingMonth,
                        const std::string& closingMonth) {
    // The closing parameters are year-months; the line's date is a day.
    const std::string month = date.substr(0, 6);
    return month.size() == 6 && month >= openingMonth && month > closingMonth;
}

TfrmKtrb52::TDownstreamUse TfrmKtrb52::downstreamUse(const std::string& table,
                                                     const std::string& query, const Variant& keys,
                                                     Variant& values) {
    TdmKtrb52* dm = ReceiptModule();
    // Without the host's validator nothing can be known of the documents
    // that use the line: that is no "unused".
    if (!dm || !Brokers()->ComValidator().IsDispatch()) return TDownstreamUse::Failed;
    try {
        dm->GetLookupValues(head(mocth::DocType), table, query, values, keys);
    } catch (const plat::EAbort&) {
        throw;
    } catch (const std::exception&) {
        return TDownstreamUse::Failed;
    }
    const bool used = values.IsArray() && plat::VarToIntDef(values[values.LowBound()], 0) != 0;
    return used ? TDownstreamUse::Used : TDownstreamUse::Unused;
}

void TfrmKtrb52::refuseIfUsed(const std::string& table, const std::string& query,
                              const Variant& keys, const std::string& code) {
    Variant values;
    switch (downstreamUse(table, query, keys, values)) {
        case TDownstreamUse::Unused:
            return;
        case TDownstreamUse::Failed:
            Brokers()->ShowMessageCode("W", "000001", {Variant("")});
            plat::Abort();
        case TDownstreamUse::Used: {
            std::vector<Variant> args;
            for (int i = 1; i <= 3; ++i)
                args.push_back(i < values.ArrayCount() ? Variant(plat::VarToStr(values[i]))
                                                       : Variant(""));
            Brokers()->ShowMessageCode("E", code, args);
            plat::Abort();
        }
    }
}

void TfrmKtrb52::btnMoneyClick(plat::TObject*) {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || dm->cdsBody1->IsEmpty()) return;
    if (!dm->RefreshBodyClone()) throw plat::Exception("Copy Body Clone Error!!");
    // Set for the line checks while the amounts are entered, whatever the end.
    struct EntryGuard {
        bool& flag;
        ~EntryGuard() { flag = false; }
    } entry{AmountEntryStarted};
    dm->Session.ValidationActive = AmountEntryStarted = true;
    if (!AcceptanceDateOpen(lineText(mocti::AcceptanceDate), sys("SYS011"), sys("SYS013"))) {
        Brokers()->ShowMessageCode("E", "100071", {Variant(labelOf(mocti::AcceptanceDate, true))});
        plat::Abort();
    }
    const Variant lineKeys = plat::VarArrayOf(
        {lineText(mocti::DocType), lineText(mocti::DocNo), lineText(mocti::LineNo)});
    refuseIfUsed("ACPTB", "01", lineKeys, "100045");
    refuseIfUsed("ACPTQ", "02",
                 plat::VarArrayOf({"3", lineText(mocti::DocType), lineText(mocti::DocNo),
                                   lineText(mocti::LineNo)}),
                 "200631");
    if (lineText(mocti::CostEntryMade) == "Y" || lineText(mocti::ExpenseEntryMade) == "Y") {
        Brokers()->ShowMessageCode("E", "100284");
        plat::Abort();
    }
    Variant result;
    TfrmKtrb52DF::Execute(this, TfrmKtrb52DF::mdAmounts, result, !ApAccountingActive, 548, 289);
}

void TfrmKtrb52::btnInvEditClick(plat::TObject*) {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm) return;
    dm->Session.ValidationActive = true;
    bool journal = false;
    {
        TControlsDisabled quiet(dm->cdsBody1);
        const plat::TBookmark here = dm->cdsBody1->GetBookmark();
        for (dm->cdsBody1->First(); !dm->cdsBody1->Eof() && !journal; dm->cdsBody1->Next())
            journal =
                lineText(mocti::CostEntryMade) == "Y" || lineText(mocti::ExpenseEntryMade) == "Y";
        if (dm->cdsBody1->BookmarkValid(here)) dm->cdsBody1->GotoBookmark(here);
    }
    if (journal) {
        Brokers()->ShowMessageCode("E", "100284");
        plat::Abort();
    }
    refuseIfUsed("MOCTI", "02",
                 plat::VarArrayOf({headText(mocth::DocType), headText(mocth::DocNo)}), "100045");
    Variant result;
    TfrmKtrb52DF::Execute(this, TfrmKtrb52DF::mdInvoice, result, false, 664, 170);
}

}  // namespace ktrb
