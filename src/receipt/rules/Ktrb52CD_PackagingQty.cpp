// Packaging quantities of a receipt line: received, accepted, scrapped,
// destroyed and rejected packages, checked like the quantities and, for a
// fixed-weight item, converted into the quantities they stand for.
#include <string>

#include "receipt/rules/Ktrb52CD.h"
#include "receipt/rules/Ktrb52CD_Support.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr const char* kEngineeringItem = "1";
constexpr const char* kBelowZero = "100002";
constexpr const char* kNegative = "100072";
constexpr const char* kAbovePackagesReceived = "100405";

// Per packaging field: its inspection and arrival columns and the quantity
// it stands for.
struct TPackagingField {
    const char* name;
    const char* inspection;
    const char* arrival;
    const char* quantity;
};
constexpr TPackagingField kPackagingFields[] = {
    {"TI017", "TDC03", "CD020", "TI019"},
    {"TI050", "TD042", "CD023", "TI021"},
    {"TI057", "TD031", "CD025", "TI056"},
    {"TI051", "TD041", "CD021", "TI022"},
};

const TPackagingField& packagingField(const std::string& name) {
    for (const TPackagingField& f : kPackagingFields)
        if (name == f.name) return f;
    return kPackagingFields[0];
}

}  // namespace

void TdmKtrb52::cdsBody1TI016Validate(TField* Sender) {
    if (lineText("TIC01") == kEngineeringItem) return;
    if (!Session.QuantityEditActive) return;
    const double packages = Sender->AsFloat();
    if (packages < 0.0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});
    // Without an arrival link a pending inspection accepts no package: a
    // received count below that is refused before anything is written.
    const bool acceptsAll = !arrivalUnlinked() || lineText("TI035") == "0";
    if (!acceptsAll && packages < 0) refuseBlank("100386");
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (fixedWeight()) {
            {
                TFlagScope received(Session.QuantityEditActive, true, false);
                TFlagScope typed(packagesDriveQuantity_, true, false);
                writeLineNumber("TI007",
                                convertRequired(packages, lineText("TI049"), lineText("TI008")));
            }
            if (arrivalUnlinked() && lineText("TI035") != "0") {
                for (const char* name : {"TI019", "TI020", "TI062"}) writeLine(name, "0");
            } else {
                writeLineQuiet("TI019", lineText("TI007"));
                deriveValuationAndStock(true, false);
            }
        }
        if (arrivalUnlinked())
            writeLine("TI017", lineText("TI035") == "0" ? Sender->AsString() : "0");
        else
            writeLine("TI017", Sender->AsString());
        for (const char* name : {"TI050", "TI051", "TI057", "TI021", "TI022", "TI056"})
            writeLine(name, "0");
    }
    if (packages < lineValue("TI017")) refuseBlank("100386");
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI017Validate(TField* Sender) {
    packagingQuantityValidate(Sender, "TI019");
}

void TdmKtrb52::cdsBody1TI050Validate(TField* Sender) {
    packagingQuantityValidate(Sender, "TI021");
}

void TdmKtrb52::cdsBody1TI057Validate(TField* Sender) {
    packagingQuantityValidate(Sender, "TI056");
}

void TdmKtrb52::cdsBody1TI051Validate(TField* Sender) {
    packagingQuantityValidate(Sender, "TI022");
}

void TdmKtrb52::cdsBody1TI049Validate(TField*) {
    UpdatePackagingReadOnly();
}

void TdmKtrb52::packagingQuantityValidate(TField* field, const char* quantity) {
    const TPackagingField& spec = packagingField(field->FieldName());
    const std::string name = spec.name;
    const bool destroyed = name == "TI057", rejected = name == "TI051";
    const bool engineering = lineText("TIC01") == kEngineeringItem;
    // The destroyed packages are checked against inspection and arrival on
    // every kind of line; the others not on an engineering item's.
    if (engineering && !destroyed) return;
    checkInspectionAndArrival(field, spec.inspection, spec.arrival, false);
    if (!Session.QuantityEditActive) return;

    const double packages = field->AsFloat(), received = lineValue("TI016");
    const Variant label(field->DisplayLabel());
    if (rejected) {
        if (CompareFloats(packages, 0) < 0) showMessage(kMsgWarning, kNegative, {label});
    } else if (packages < 0.0) {
        showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});
    }
    if (received < packages && received > 0) refuse(kAbovePackagesReceived, {label});
    if (engineering) return;

    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (rejected) {
            if (fixedWeight()) {
                writeLineNumber(quantity,
                                convertRequired(packages, lineText("TI049"), lineText("TI008")));
                refreshLineField(quantity);
            }
        } else {
            if (fixedWeight())
                writeLineNumber(quantity,
                                convertRequired(packages, lineText("TI049"), lineText("TI008")));
            deriveRejectedPackages(false);
            if (fixedWeight()) deriveRejectedQuantity();
            if (name != "TI050") {
                deriveValuationAndStock(destroyed, true);
                refreshLineField("TI020");
            }
        }
    }
    DeriveInspectionState();
}

}  // namespace ktrb
