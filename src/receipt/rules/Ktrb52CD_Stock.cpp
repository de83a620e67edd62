// Warehouse, lot and process of a receipt line: each is looked up in its
// master data and fills names, the default storage location or the lot's
// dates into the line.
#include <string>

#include "dataframe/knlRadical.h"
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
    if (lineText("TIC01") == kEngineeringItem) return;
    const std::string warehouse = Sender->AsString();
    if (Session.ValidationActive) {
        if (warehouse.empty()) {
            writeLine("TI009C", "");
            writeLine("TI060", "");
            return;
        }
        Variant reply;
        if (!GetLookupValues(Sender, "CMSMC", "02", reply,
                             plat::VarArrayOf({Variant(headText("TH004")), Variant(warehouse)})) ||
            !hasValues(reply))
            refuse("000001", {Variant(Sender->DisplayLabel())});
        if (!lineText("TI013").empty() && !lineText("TI014").empty() && ReplyText(reply, 3) == "2")
            refuseBlank("100463");
        writeLine("TI009C", ReplyText(reply, 1));
    }
    if (sysParam("SYS093") == "N") {
        // No storage location to check: locations are not kept.
        writeLineQuiet("TI060", kLocationsUnused);
        return;
    }
    Variant stock;
    std::string location;
    if (GetLookupValues(LineField("TI004"), "INVMC", "01", stock,
                        plat::VarArrayOf({Variant(lineText("TI004")), Variant(warehouse)})) &&
        hasValues(stock))
        location = ReplyText(stock, 13);
    writeLine("TI060", location.empty() ? kNoLocation : location);
}

void TdmKtrb52::cdsBody1TI010Validate(TField* Sender) {
    if (lineText("TIC01") == kEngineeringItem) return;
    const std::string lot = Sender->AsString(), accepted = lineText("TI010_OLD");
    if (lot != accepted && !cdsFoot->IsEmpty()) {
        TRowWalk walk(cdsFoot, TRowWalk::Events::Kept);
        for (cdsFoot->First(); !cdsFoot->Eof(); cdsFoot->Next()) {
            TField* serial = cdsFoot->FieldByName("MB004");
            Variant known;
            if (!GetLookupValues(
                    serial, "PSMMA", "05", known,
                    plat::VarArrayOf({Variant(serial->AsString()), Variant(lineText("TI004"))})) ||
                !hasValues(known))
                continue;
            showMessage(kMsgError, "201015", {Variant(std::string())});
            SetFieldTextQuiet(Sender, accepted);
            showEditorText("cboTI010G", accepted);
            plat::Abort();
        }
    }
    // The shadow goes back to the earlier lot when the change is refused.
    TShadowScope shadow(LineField("TI010_OLD"), lot);
    if (lot == kNoLot) return;

    Variant record;
    if (GetLookupValues(
            LineField("TI003"), "GMPTG", "01", record,
            plat::VarArrayOf({Variant("2"), Variant(lineText("TI001")), Variant(lineText("TI002")),
                              Variant(lineText("TI003"))})) &&
        hasValues(record) && ReplyText(record, 4) == lineText("TI004") &&
        ReplyText(record, 7) != lot)
        refuseBlank("200331");

    Variant dates;
    if (!GetLookupValues(Sender, "INVME", "01", dates,
                         plat::VarArrayOf({Variant(lineText("TI004")), Variant(lot)}))) {
        showMessage(kMsgWarning, "100007", {Variant(std::string())});
        return;
    }
    if (!lot.empty() && !hasValues(dates)) return;
    // Values 2, 4, 6 and 7 of the lot; an empty lot empties them.
    const std::pair<const char*, int> fill[] = {
        {"TI011", 2}, {"TI012", 4}, {"TI054", 6}, {"TI055", 7}};
    for (const auto& [name, index] : fill) writeLine(name, ReplyText(dates, index));
}

void TdmKtrb52::cdsBody1TI015Validate(TField* Sender) {
    if (lineText("TIC01") == kEngineeringItem) return;
    const std::string process = Sender->AsString();
    if (process.empty() || process == kWholeWorkOrder) writeLine("TI015C", "");
    if (process == kWholeWorkOrder) return;
    Variant reply;
    if (GetLookupValues(Sender, "CMSMW", "01", reply)) {
        writeLine("TI015C", ReplyText(reply, 1));
        return;
    }
    if (showMessage(kMsgWarning, "000004", {Variant(Sender->DisplayLabel())}) == modal::Ok)
        writeLine("TI009", "");
}

}  // namespace ktrb
