// The inspection state of a line: derived from the line's quantities, and
// deciding whether the inspected quantities are typed or come from
// inspection; and the locks of the lot and of the validity dates.
#include <vector>

#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

namespace {

// Inspection states of TI035.
constexpr const char* kNoInspection = "0";
constexpr const char* kWaiting = "1";
constexpr const char* kPassed = "2";
constexpr const char* kRejected = "3";
constexpr const char* kConcession = "4";

const std::vector<const char*> kInspectedQuantities = {
    mocti::AcceptedQuantity,  mocti::ScrappedQuantity,  mocti::RejectedQuantity,
    mocti::AcceptedPackages,  mocti::RejectedPackages,  mocti::ScrappedPackages,
    mocti::DestroyedQuantity, mocti::DestroyedPackages, mocti::StockQuantity};

}  // namespace

void TdmKtrb52::DeriveInspectionState() {
    plat::TField* state = LineField(mocti::InspectionState);
    const double received = lineValue(mocti::ReceivedQuantity),
                 accepted = lineValue(mocti::AcceptedQuantity),
                 scrapped = lineValue(mocti::ScrappedQuantity),
                 returned = lineValue(mocti::RejectedQuantity),
                 destroyed = lineValue(mocti::DestroyedQuantity);

    if (!lineText(mocti::ArrivalType).empty() && !lineText(mocti::ArrivalNo).empty()) {
        // Compared as floats: a residue of arithmetic is no return.
        const int sign = CompareFloats(returned, 0);
        if (sign > 0)
            SetFieldText(state, kRejected);
        else if (sign == 0)
            SetFieldText(state, kPassed);
        return;
    }
    auto settled = [state] {
        std::string s = state->AsString();
        return s == kNoInspection || s == kConcession;
    };
    if ((returned > 0 || scrapped > 0) && !settled() &&
        CompareFloats(received, accepted + destroyed) != 0)
        SetFieldText(state, kRejected);
    if (returned == 0 && scrapped == 0 && !settled() &&
        CompareFloats(received, accepted + destroyed) >= 0 && received != 0)
        SetFieldText(state, kPassed);
    if (returned == 0 && scrapped == 0 && !settled() && received != 0 && accepted == 0 &&
        destroyed == 0)
        SetFieldText(state, kWaiting);
}

void TdmKtrb52::cdsBody1TI035Validate(plat::TField* Sender) {
    if (Session.QualityParam != "Y") return;
    const bool inspected = Sender->AsString() != kNoInspection;
    for (const char* name : kInspectedQuantities) LineField(name)->SetReadOnly(inspected);
}

void TdmKtrb52::ApplyLotAndDateLocks() {
    const bool dated = lineText(mocti::ItemDated) == "Y";
    LineField(mocti::ExpiryDate)->SetReadOnly(!dated);
    LineField(mocti::RecheckDate)->SetReadOnly(!dated);
    LineField(mocti::Lot)
        ->SetReadOnly(lineText(mocti::ItemLotManaged) == "N" ||
                      !lineText(mocti::Configuration).empty());
}

}  // namespace ktrb
