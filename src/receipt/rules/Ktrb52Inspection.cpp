// The inspection state of a line: derived from the line's quantities, and
// deciding whether the inspected quantities are typed or come from
// inspection; and the locks of the lot and of the validity dates.
#include <vector>

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

const std::vector<const char*> kInspectedQuantities = {"TI019", "TI021", "TI022", "TI017", "TI051",
                                                       "TI050", "TI056", "TI057", "TI062"};

}  // namespace

void TdmKtrb52::DeriveInspectionState() {
    plat::TField* state = LineField("TI035");
    const double received = lineValue("TI007"), accepted = lineValue("TI019"),
                 scrapped = lineValue("TI021"), returned = lineValue("TI022"),
                 destroyed = lineValue("TI056");

    if (!lineText("TIC02").empty() && !lineText("TIC03").empty()) {
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
    const bool dated = lineText("TI004C10") == "Y";
    LineField("TI011")->SetReadOnly(!dated);
    LineField("TI012")->SetReadOnly(!dated);
    LineField("TI010")->SetReadOnly(lineText("TI004C") == "N" || !lineText("TA073C").empty());
}

}  // namespace ktrb
