// Packaging quantities of a line: which of them the user may type.
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"

namespace ktrb {

void TdmKtrb52::UpdatePackagingReadOnly() {
    const bool noPackaging = lineText(mocti::PackagingUnit).empty();
    const bool inspected = Session.QualityParam == "Y" && lineText(mocti::InspectionState) != "0";
    LineField(mocti::ReceivedPackages)->SetReadOnly(noPackaging);
    for (const char* name : {mocti::AcceptedPackages, mocti::ScrappedPackages,
                             mocti::RejectedPackages, mocti::DestroyedPackages})
        LineField(name)->SetReadOnly(noPackaging || inspected);
}

}  // namespace ktrb
