// Production date, storage location and stock quantity of a line.
#include "platform/core/numbers.h"
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

// The item's dating method: "2" counts shelf life and re-inspection in months.
constexpr const char* kDatedByMonths = "2";
constexpr int kShelfLifeMonths = 4, kReinspectionMonths = 5, kDatingMethod = 72;

int wholeNumber(const std::string& text) {
    return plat::StrToIntDef(text, 0);
}

}  // namespace

void TdmKtrb52::cdsBody1TI054Validate(TField* Sender) {
    DateFieldValidate(Sender);
    const std::string produced = Sender->AsString();
    if (lineText(mocti::ItemKind) == "1" || produced.empty()) return;

    Variant item;
    std::string method;
    if (GetLookupValues(LineField(mocti::Item), "INVMB", "03", item))
        method = plat::VarToIntDef(item[0], 0) == 0 ? "1" : ReplyText(item, kDatingMethod);

    std::string expiry, reinspection;
    if (method == kDatedByMonths) {
        int shelfLife = (int)plat::VarToFloatDef(ReplyAt(item, kShelfLifeMonths), 0);
        int interval = (int)plat::VarToFloatDef(ReplyAt(item, kReinspectionMonths), 0);
        expiry = EndOfMonthDate(IncYmdDate(Variant(produced), "M", shelfLife - 1));
        reinspection = IncYmdDate(Variant(produced), "M", interval);
    } else {
        expiry = IncYmdDate(Variant(produced), "D", wholeNumber(lineText(mocti::ValidityDays)));
        reinspection =
            IncYmdDate(Variant(produced), "D", wholeNumber(lineText(mocti::RecheckDays)));
    }
    SetFieldText(LineField(mocti::ExpiryDate), expiry);
    SetFieldText(LineField(mocti::RecheckDate), reinspection);
}

void TdmKtrb52::cdsBody1TI060Validate(TField* Sender) {
    const std::string warehouse = lineText(mocti::Warehouse), location = Sender->AsString();
    // Neither "no location" nor the mark of unused locations names a location.
    if (warehouse.empty() || location == kNoLocation || location == kLocationsUnused) return;
    CheckValueAndFill(Sender, "CMSNI", "02",
                      plat::VarArrayOf({Variant(warehouse), Variant(location)}), "", kMsgError);
}

// Writing the stock quantity runs nothing.
void TdmKtrb52::cdsBody1TI062Validate(TField*) {}

}  // namespace ktrb
