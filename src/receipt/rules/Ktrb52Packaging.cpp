// Packaging quantities of a line: which of them the user may type.
#include "receipt/rules/Ktrb52CD.h"

namespace ktrb {

void TdmKtrb52::UpdatePackagingReadOnly() {
    const bool noPackaging = lineText("TI049").empty();
    const bool inspected = Session.QualityParam == "Y" && lineText("TI035") != "0";
    LineField("TI016")->SetReadOnly(noPackaging);
    for (const char* name : {"TI017", "TI050", "TI051", "TI057"})
        LineField(name)->SetReadOnly(noPackaging || inspected);
}

}  // namespace ktrb
