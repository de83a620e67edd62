#include "support/dataframe/OwnerFormDouble.h"

#include "platform/core/exceptions.h"
#include "platform/core/text.h"

namespace ktrb::test {

using plat::Variant;

OwnerFormDouble::~OwnerFormDouble() {
    BeginDestroy();
}

void OwnerFormDouble::ApplyRecordRights(plat::TDataSet*) {
    ++rightsApplied;
    if (rightsThrow) throw plat::EDatabaseError("rights");
}

Variant OwnerFormDouble::ConvertByDisplayMode(const Variant& value) {
    if (markDisplay && value.IsText()) return Variant("«" + value.RawText() + "»");
    return RadicalFormDouble::ConvertByDisplayMode(value);
}

Variant OwnerFormDouble::RevertByDisplayMode(const Variant& value) {
    if (!markDisplay || !value.IsText()) return value;
    return Variant(
        plat::StringReplace(plat::StringReplace(value.RawText(), "«", "", plat::ReplaceFlags::All),
                            "»", "", plat::ReplaceFlags::All));
}

}  // namespace ktrb::test
