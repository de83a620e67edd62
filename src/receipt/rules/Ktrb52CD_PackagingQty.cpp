// Packaging quantities of a receipt line: received, accepted, scrapped,
// destroyed and rejected packages, checked like the quantities and, for a
// fixed-weight item, converted into the quantities they stand for.
#include <string>

#include "receipt/rules/FieldCodes.h"
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
    {mocti::AcceptedPackages, qmstd::AcceptedPackages, moccd::AcceptedPackages,
     mocti::AcceptedQuantity},
    {mocti::ScrappedPackages, qmstd::ScrappedPackages, moccd::ScrappedPackages,
     mocti::ScrappedQuantity},
    {mocti::DestroyedPackages, qmstd::DestroyedPackages, moccd::DestroyedPackages,
     mocti::DestroyedQuantity},
    {mocti::RejectedPackages, qmstd::RejectedPackages, moccd::RejectedPackages,
     mocti::RejectedQuantity},
};

const TPackagingField& packagingField(const std::string& name) {
    for (const TPackagingField& f : kPackagingFields)
        if (name == f.name) return f;
    return kPackagingFields[0];
}

}  // namespace

void TdmKtrb52::cdsBody1TI016Validate(TField* Sender) {
    if (lineText(mocti::ItemKind) == kEngineeringItem) return;
    if (!Session.QuantityEditActive) return;
    const double packages = Sender->AsFloat();
    if (packages < 0.0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});
    // Without an arrival link a pending inspection accepts no package: a
    // received count below that is refused before anything is written.
    const bool acceptsAll = !arrivalUnlinked() || lineText(mocti::InspectionState) == "0";
    if (!acceptsAll && packages < 0) refuseBlank("100386");
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (fixedWeight()) {
            {
                TFlagScope received(Session.QuantityEditActive, true, false);
                TFlagScope typed(packagesDriveQuantity_, true, false);
                writeLineNumber(mocti::ReceivedQuantity,
                                convertRequired(packages, lineText(mocti::PackagingUnit),
                                                lineText(mocti::Unit)));
            }
            if (arrivalUnlinked() && lineText(mocti::InspectionState) != "0") {
                for (const char* name :
                     {mocti::AcceptedQuantity, mocti::PricingQuantity, mocti::StockQuantity})
                    writeLine(name, "0");
            } else {
                writeLineQuiet(mocti::AcceptedQuantity, lineText(mocti::ReceivedQuantity));
                deriveValuationAndStock(true, false);
            }
        }
        if (arrivalUnlinked())
            writeLine(mocti::AcceptedPackages,
                      lineText(mocti::InspectionState) == "0" ? Sender->AsString() : "0");
        else
            writeLine(mocti::AcceptedPackages, Sender->AsString());
        for (const char* name :
             {mocti::ScrappedPackages, mocti::RejectedPackages, mocti::DestroyedPackages,
              mocti::ScrappedQuantity, mocti::RejectedQuantity, mocti::DestroyedQuantity})
            writeLine(name, "0");
    }
    if (packages < lineValue(mocti::AcceptedPackages)) refuseBlank("100386");
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI017Validate(TField* Sender) {
    packagingQuantityValidate(Sender, mocti::AcceptedQuantity);
}

void TdmKtrb52::cdsBody1TI050Validate(TField* Sender) {
    packagingQuantityValidate(Sender, mocti::ScrappedQuantity);
}

void TdmKtrb52::cdsBody1TI057Validate(TField* Sender) {
    packagingQuantityValidate(Sender, mocti::DestroyedQuantity);
}

void TdmKtrb52::cdsBody1TI051Validate(TField* Sender) {
    packagingQuantityValidate(Sender, mocti::RejectedQuantity);
}

void TdmKtrb52::cdsBody1TI049Validate(TField*) {
    UpdatePackagingReadOnly();
}

void TdmKtrb52::packagingQuantityValidate(TField* field, const char* quantity) {
    const TPackagingField& spec = packagingField(field->FieldName());
    const std::string name = spec.name;
    const bool destroyed = name == mocti::DestroyedPackages,
               rejected = name == mocti::RejectedPackages;
    const bool engineering = lineText(mocti::ItemKind) == kEngineeringItem;
    // The destroyed packages are checked against inspection and arrival on
    // every kind of line; the others not on an engineering item's.
    if (engineering && !destroyed) return;
    checkInspectionAndArrival(field, spec.inspection, spec.arrival, false);
    if (!Session.QuantityEditActive) return;

    const double packages = field->AsFloat(), received = lineValue(mocti::ReceivedPackages);
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
                writeLineNumber(quantity, convertRequired(packages, lineText(mocti::PackagingUnit),
                                                          lineText(mocti::Unit)));
                refreshLineField(quantity);
            }
        } else {
            if (fixedWeight())
                writeLineNumber(quantity, convertRequired(packages, lineText(mocti::PackagingUnit),
                                                          lineText(mocti::Unit)));
            deriveRejectedPackages(false);
            if (fixedWeight()) deriveRejectedQuantity();
            if (name != mocti::ScrappedPackages) {
                deriveValuationAndStock(destroyed, true);
                refreshLineField(mocti::PricingQuantity);
            }
        }
    }
    DeriveInspectionState();
}

}  // namespace ktrb
