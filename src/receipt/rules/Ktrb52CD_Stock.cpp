// Warehouse, lot and process of a receipt line: each is looked up in its
// master data and fills names, the default storage location or the lot's
// dates into the line.
#include <string>

#include "dataframe/knlRadical.h"
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"
#include "receipt/rules/Ktrb52CD_Support.h"
#include "runtime/Brokers.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr const char* kEngineeringItem = "1";

}  // namespace

void TdmKtrb52::cdsBody1TI009Validate(TField* Sender) {
    if (lineText(mocti::ItemKind) == kEngineeringItem) return;
    const std::string warehouse = Sender->AsString();
    if (Session.ValidationActive) {
        if (warehouse.empty()) {
            writeLine(mocti::WarehouseName, "");
            writeLine(mocti::Location, "");
            return;
        }
        Variant reply;
        if (!GetLookupValues(
                Sender, "CMSMC", "02", reply,
                plat::VarArrayOf({Variant(headText(mocth::Factory)), Variant(warehouse)})) ||
            !hasValues(reply))
            refuse("000001", {Variant(Sender->DisplayLabel())});
        if (!lineText(mocti::WorkOrderType).empty() && !lineText(mocti::WorkOrderNo).empty() &&
            ReplyText(reply, 3) == "2")
            refuseBlank("100463");
        writeLine(mocti::WarehouseName, ReplyText(reply, 1));
    }
    if (sysParam("SYS093") == "N") {
        // No storage location to check: locations are not kept.
        writeLineQuiet(mocti::Location, kLocationsUnused);
        return;
    }
    Variant stock;
    std::string location;
    if (GetLookupValues(LineField(mocti::Item), "INVMC", "01", stock,
                        plat::VarArrayOf({Variant(lineText(mocti::Item)), Variant(warehouse)})) &&
        hasValues(stock))
        location = ReplyText(stock, 13);
    writeLine(mocti::Location, location.empty() ? kNoLocation : location);
}

void TdmKtrb52::cdsBody1TI010Validate(TField* Sender) {
    if (lineText(mocti::ItemKind) == kEngineeringItem) return;
    const std::string lot = Sender->AsString(), accepted = lineText(mocti::PreviousLot);
    if (lot != accepted && !cdsFoot->IsEmpty()) {
        TRowWalk walk(cdsFoot, TRowWalk::Events::Kept);
        for (cdsFoot->First(); !cdsFoot->Eof(); cdsFoot->Next()) {
            TField* serial = cdsFoot->FieldByName(psmmb::Serial);
            Variant known;
            if (!GetLookupValues(serial, "PSMMA", "05", known,
                                 plat::VarArrayOf({Variant(serial->AsString()),
                                                   Variant(lineText(mocti::Item))})) ||
                !hasValues(known))
                continue;
            showMessage(kMsgError, "201015", {Variant(std::string())});
            SetFieldTextQuiet(Sender, accepted);
            showEditorText("cboTI010G", accepted);
            plat::Abort();
        }
    }
    // The shadow goes back to the earlier lot when the change is refused.
    TShadowScope shadow(LineField(mocti::PreviousLot), lot);
    if (lot == kNoLot) return;

    Variant record;
    if (GetLookupValues(LineField(mocti::LineNo), "GMPTG", "01", record,
                        plat::VarArrayOf({Variant("2"), Variant(lineText(mocti::DocType)),
                                          Variant(lineText(mocti::DocNo)),
                                          Variant(lineText(mocti::LineNo))})) &&
        hasValues(record) && ReplyText(record, 4) == lineText(mocti::Item) &&
        ReplyText(record, 7) != lot)
        refuseBlank("200331");

    Variant dates;
    if (!GetLookupValues(Sender, "INVME", "01", dates,
                         plat::VarArrayOf({Variant(lineText(mocti::Item)), Variant(lot)}))) {
        showMessage(kMsgWarning, "100007", {Variant(std::string())});
        return;
    }
    if (!lot.empty() && !hasValues(dates)) return;
    // Values 2, 4, 6 and 7 of the lot; an empty lot empties them.
    const std::pair<const char*, int> fill[] = {{mocti::ExpiryDate, 2},
                                                {mocti::RecheckDate, 4},
                                                {mocti::ProductionDate, 6},
                                                {mocti::LotNote, 7}};
    for (const auto& [name, index] : fill) writeLine(name, ReplyText(dates, index));
}

void TdmKtrb52::cdsBody1TI015Validate(TField* Sender) {
    if (lineText(mocti::ItemKind) == kEngineeringItem) return;
    const std::string process = Sender->AsString();
    if (process.empty() || process == kWholeWorkOrder) writeLine(mocti::ProcessName, "");
    if (process == kWholeWorkOrder) return;
    Variant reply;
    if (GetLookupValues(Sender, "CMSMW", "01", reply)) {
        writeLine(mocti::ProcessName, ReplyText(reply, 1));
        return;
    }
    if (showMessage(kMsgWarning, "000004", {Variant(Sender->DisplayLabel())}) == modal::Ok)
        writeLine(mocti::Warehouse, "");
}

}  // namespace ktrb
