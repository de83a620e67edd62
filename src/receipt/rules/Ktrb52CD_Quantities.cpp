// Quantities of a receipt line: the received quantity against what the work
// order still allows, its spreading to the accepted, valuation and stock
// quantities; the receipt and valuation units; the acceptance date; and the
// accepted, scrapped, destroyed and rejected quantities with their limits
// against the received quantity, the inspection result and the arrival line.
// The session's QuantityEditActive lets only one rule cascade at a time.
#include <iterator>
#include <string>
#include <utility>

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

constexpr const char* kFormalItem = "2";
constexpr const char* kEngineeringItem = "1";
constexpr const char* kBelowZero = "100002";
constexpr const char* kNegative = "100072";
constexpr const char* kAboveReceived = "200223";

// Work-order quantities (MOCTA "11"): planned, received, scrapped, rejected.
constexpr int kOpenParts[] = {5, 7, 8, 19};

}  // namespace

// ---- received quantity, units and acceptance date ----

void TdmKtrb52::cdsBody1TI007Validate(TField* Sender) {
    const double received = Sender->AsFloat();
    TField* inspection = LineField(mocti::InspectionState);
    inspection->SetReadOnly(received != 0);
    view_.InspectionEditReadOnly = inspection->ReadOnly();
    viewChanged(TKtrb52Part::InspectionEdit);
    if (!Session.QuantityEditActive) return;
    if (received < 0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});

    const std::string text = Sender->AsString();
    if (lineText(mocti::ItemKind) != kFormalItem) {
        for (const char* name :
             {mocti::AcceptedQuantity, mocti::PricingQuantity, mocti::StockQuantity})
            writeLine(name, text);
        for (const char* name :
             {mocti::ScrappedQuantity, mocti::RejectedQuantity, mocti::DestroyedQuantity})
            writeLine(name, "0");
        return;
    }

    const std::string item = lineText(mocti::Item);
    Variant order;
    if (GetLookupValues(Sender, "MOCTA", "11", order,
                        plat::VarArrayOf({Variant(lineText(mocti::WorkOrderType)),
                                          Variant(lineText(mocti::WorkOrderNo)),
                                          Variant(headText(mocth::Factory))})) &&
        hasValues(order)) {
        const Variant label(Sender->DisplayLabel());
        const double open = OpenWorkOrderQuantity(
            [&](TWorkOrderPart part) {
                return valueNumber(order, kOpenParts[static_cast<int>(part)], "100061", label);
            },
            lineValue(mocti::ItemOverReceiptRate), Session.MocParam1, Session.MocParam2);
        const double inStock =
            convertRequired(received, lineText(mocti::Unit), lineText(mocti::StockUnit));
        if (CompareFloats(inStock, open) > 0 && item == lineText(mocti::WorkOrderProduct)) {
            const Variant which(lineText(mocti::WorkOrderType) + "-" +
                                lineText(mocti::WorkOrderNo) + "/" + item);
            const std::string control = headText(mocth::OverReceiptControl);
            if (control == "Y") refuse("200416", {which});
            if (control == "W") showMessage(kMsgWarning, "200235", {which});
        }
    }

    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (fixedWeight() && !packagesDriveQuantity_)
            writeLineNumber(
                mocti::ReceivedPackages,
                convertRequired(received, lineText(mocti::Unit), lineText(mocti::PackagingUnit)));
        if (!arrivalLinked() && lineText(mocti::InspectionState) != "0") {
            for (const char* name :
                 {mocti::AcceptedQuantity, mocti::PricingQuantity, mocti::StockQuantity,
                  mocti::ScrappedQuantity, mocti::RejectedQuantity, mocti::ScrappedPackages,
                  mocti::RejectedPackages, mocti::AcceptedPackages, mocti::DestroyedQuantity,
                  mocti::DestroyedPackages})
                writeLine(name, "0");
        } else {
            writeLine(mocti::AcceptedQuantity, text);
            double converted = 0;
            if (convertQuantity(received, lineText(mocti::Unit), lineText(mocti::PricingUnit),
                                converted))
                writeLineNumber(mocti::PricingQuantity, converted);
            if (convertQuantity(lineValue(mocti::AcceptedQuantity), lineText(mocti::Unit),
                                lineText(mocti::StockUnit), converted))
                writeLineNumber(mocti::StockQuantity, converted);
            writeLine(mocti::AcceptedPackages, lineText(mocti::ReceivedPackages));
            for (const char* name :
                 {mocti::ScrappedQuantity, mocti::DestroyedQuantity, mocti::DestroyedPackages})
                writeLine(name, "0");
        }
    }
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI008Validate(TField* Sender) {
    if (lineText(mocti::ItemKind) == kEngineeringItem) return;
    const std::string unit = Sender->AsString(), item = lineText(mocti::Item);
    Variant master;
    if (GetLookupValues(LineField(mocti::Item), "INVMB", "03", master) && hasValues(master)) {
        Variant conversion;
        if (!GetLookupValues(
                Sender, "INVMD", "02", conversion,
                plat::VarArrayOf({Variant(item), Variant(unit), Variant(item), Variant(unit)})))
            refuseBlank("100026");
    }
    // The packages of a fixed-weight item are converted before anything is
    // written, so that a unit they cannot be converted to leaves the line as
    // it was. "Y": the packages follow the quantities; "y": the quantities
    // follow the packages.
    const std::string packaging = lineText(mocti::PackagingUnit),
                      fixed = lineText(mocti::FixedWeight);
    const bool packaged =
        sysParam("SYS024") == "3" && !packaging.empty() && IsFixedWeightFlag(fixed);
    const bool fromQuantities = fixed == "Y";
    const std::pair<const char*, const char*> pairs[] = {
        {mocti::ReceivedQuantity, mocti::ReceivedPackages},
        {mocti::AcceptedQuantity, mocti::AcceptedPackages},
        {mocti::ScrappedQuantity, mocti::ScrappedPackages},
        {mocti::RejectedQuantity, mocti::RejectedPackages},
        {mocti::DestroyedQuantity, mocti::DestroyedPackages}};
    double packed[std::size(pairs)] = {};
    if (packaged)
        for (size_t i = 0; i < std::size(pairs); ++i)
            packed[i] = fromQuantities
                            ? convertRequired(lineValue(pairs[i].first), unit, packaging)
                            : convertRequired(lineValue(pairs[i].second), packaging, unit);

    double converted = 0;
    if (convertQuantity(lineValue(mocti::AcceptedQuantity), unit, lineText(mocti::StockUnit),
                        converted))
        writeLineNumber(mocti::StockQuantity, converted);
    if (convertQuantity(lineValue(mocti::AcceptedQuantity) + lineValue(mocti::DestroyedQuantity),
                        unit, lineText(mocti::PricingUnit), converted))
        writeLineNumber(mocti::PricingQuantity, converted);
    if (!packaged) return;
    for (size_t i = 0; i < std::size(pairs); ++i) {
        const char* target = fromQuantities ? pairs[i].second : pairs[i].first;
        const bool negativeReturn =
            std::string(target) ==
                (fromQuantities ? mocti::RejectedPackages : mocti::RejectedQuantity) &&
            packed[i] < 0;
        if (negativeReturn)
            showMessage(kMsgWarning, kNegative, {Variant(LineField(target)->DisplayLabel())});
        writeLineQuiet(target, NumberText(packed[i]));
        if (negativeReturn) refreshLineField(target);
    }
}

void TdmKtrb52::cdsBody1TI018Validate(TField* Sender) {
    DateFieldValidate(Sender);
    const std::string date = Sender->AsString();
    if (!date.empty() && date < headText(mocth::DocDate)) refuseBlank("100305");
}

// ---- accepted, scrapped, destroyed and rejected quantities ----

void TdmKtrb52::cdsBody1TI019Validate(TField* Sender) {
    checkInspectionAndArrival(Sender, qmstd::Accepted, moccd::Accepted, true);
    if (!Session.QuantityEditActive) return;
    const double accepted = Sender->AsFloat(), received = lineValue(mocti::ReceivedQuantity);
    if (accepted < 0.0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});
    if (CompareFloats(accepted, received) > 0 && received > 0) refuseBlank("100034");
    const bool formal = lineText(mocti::ItemKind) == kFormalItem, packed = formal && fixedWeight();
    const double packages =
        packed ? convertRequired(accepted, lineText(mocti::Unit), lineText(mocti::PackagingUnit))
               : 0;
    deriveRejectedQuantity();

    if (!formal) {
        // The valuation quantity of such a line is what it accepted and
        // destroyed, as the destroyed quantity and the valuation warning count it.
        if (CompareFloats(accepted, 0) == 0) {
            writeLine(mocti::StockQuantity, "0");
            writeLine(mocti::PricingQuantity, "0");
        } else {
            writeLine(mocti::StockQuantity, Sender->AsString());
            writeLineNumber(mocti::PricingQuantity, accepted + lineValue(mocti::DestroyedQuantity));
        }
        writeLine(mocti::AcceptedPackages, "0");
        writeLine(mocti::RejectedPackages, "0");
        return;
    }
    deriveValuationAndStock(false, false);
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (packed) writeLineNumber(mocti::AcceptedPackages, packages);
    }
    deriveRejectedPackages(true);
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI021Validate(TField* Sender) {
    checkInspectionAndArrival(Sender, qmstd::Scrapped, moccd::Scrapped, false);
    if (!Session.QuantityEditActive) return;
    const double scrapped = Sender->AsFloat(), received = lineValue(mocti::ReceivedQuantity);
    if (scrapped < 0.0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});
    if (CompareFloats(scrapped, received) > 0 && received > 0)
        refuse(kAboveReceived, {Variant(Sender->DisplayLabel())});
    const bool formal = lineText(mocti::ItemKind) == kFormalItem, packed = formal && fixedWeight();
    const double packages =
        packed ? convertRequired(scrapped, lineText(mocti::Unit), lineText(mocti::PackagingUnit))
               : 0;
    deriveRejectedQuantity();

    if (!formal) {
        writeLine(mocti::ScrappedPackages, "0");
        writeLine(mocti::RejectedPackages, "0");
        return;
    }
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (packed) {
            writeLineNumber(mocti::ScrappedPackages, packages);
            refreshLineField(mocti::ScrappedPackages);
        }
        deriveRejectedPackages(true);
    }
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI056Validate(TField* Sender) {
    checkInspectionAndArrival(Sender, qmstd::Destroyed, moccd::Destroyed, false);
    if (!Session.QuantityEditActive) return;
    const double destroyed = Sender->AsFloat(), received = lineValue(mocti::ReceivedQuantity);
    if (destroyed < 0.0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});
    if (CompareFloats(destroyed, received) > 0 && received > 0)
        refuse(kAboveReceived, {Variant(Sender->DisplayLabel())});
    const double accepted = lineValue(mocti::AcceptedQuantity);
    const bool formal = lineText(mocti::ItemKind) == kFormalItem, packed = formal && fixedWeight();
    const std::string unit = lineText(mocti::Unit), priceUnit = lineText(mocti::PricingUnit);
    const double packages =
        packed ? convertRequired(destroyed, unit, lineText(mocti::PackagingUnit)) : 0;
    double valued = accepted + destroyed;
    if (formal && accepted != 0.0 && unit != priceUnit)
        valued = convertRequired(accepted + destroyed, unit, priceUnit);
    deriveRejectedQuantity();

    if (!formal) {
        writeLine(mocti::RejectedPackages, "0");
        writeLine(mocti::DestroyedPackages, "0");
        if (CompareFloats(accepted, 0) == 0)
            writeLine(mocti::PricingQuantity, "0");
        else
            writeLineNumber(mocti::PricingQuantity, accepted + destroyed);
        return;
    }
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (packed) {
            writeLineNumber(mocti::DestroyedPackages, packages);
            refreshLineField(mocti::DestroyedPackages);
        }
        deriveRejectedPackages(true);
        if (accepted == 0.0)
            writeLine(mocti::PricingQuantity, "0");
        else
            writeLineNumber(mocti::PricingQuantity, valued);
    }
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI022Validate(TField* Sender) {
    checkInspectionAndArrival(Sender, qmstd::Rejected, moccd::Rejected, false);
    if (!Session.QuantityEditActive) return;
    const double rejected = Sender->AsFloat(), received = lineValue(mocti::ReceivedQuantity);
    const Variant label(Sender->DisplayLabel());
    if (CompareFloats(rejected, 0) < 0) showMessage(kMsgWarning, kNegative, {label});
    if (CompareFloats(rejected, received) > 0 && received > 0) refuse(kAboveReceived, {label});

    if (lineText(mocti::ItemKind) != kFormalItem) {
        writeLine(mocti::RejectedPackages, "0");
        return;
    }
    if (!Session.ValidationActive) return;
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (fixedWeight()) {
            writeLineNumber(
                mocti::RejectedPackages,
                convertRequired(rejected, lineText(mocti::Unit), lineText(mocti::PackagingUnit)));
            refreshLineField(mocti::RejectedPackages);
        }
    }
    DeriveInspectionState();
}

// ---- valuation quantity and unit ----

void TdmKtrb52::cdsBody1TI020Validate(TField* Sender) {
    const double valued = Sender->AsFloat();
    // Converted first: a quantity the server cannot convert leaves the amounts alone.
    const std::string unit = lineText(mocti::Unit), priceUnit = lineText(mocti::PricingUnit);
    const double inUnit = unit != priceUnit ? convertRequired(valued, priceUnit, unit) : valued;
    {
        TFlagScope noPrice(PriceFromAmountEnabled, false, true);
        writeLineNumber(mocti::ProcessingAmount, valued * lineValue(mocti::UnitPrice));
    }
    if (CompareFloats(inUnit,
                      lineValue(mocti::AcceptedQuantity) + lineValue(mocti::DestroyedQuantity)) > 0)
        showMessage(kMsgWarning, sysParam("SYS069") == "Y" ? "200203" : "200202",
                    {Variant(std::string())});
}

void TdmKtrb52::cdsBody1TI023Validate(TField* Sender) {
    if (lineText(mocti::ItemKind) == kEngineeringItem) {
        RepriceLine();
        return;
    }
    if (!Session.ValidationActive) return;
    const std::string item = lineText(mocti::Item), unit = Sender->AsString();
    Variant master;
    if (GetLookupValues(LineField(mocti::Item), "INVMB", "03", master) && hasValues(master)) {
        Variant conversion;
        if (!GetLookupValues(
                Sender, "INVMD", "02", conversion,
                plat::VarArrayOf({Variant(item), Variant(unit), Variant(item), Variant(unit)})))
            refuseBlank("100026");
    }
    Variant price = broker().CallServerMethod(
        "MocUnitPrice",
        plat::VarArrayOf({Variant(item), Variant(lineText(mocti::Process)),
                          Variant(headText(mocth::Supplier)), Variant(unit),
                          Variant(headText(mocth::Currency)), Variant(headText(mocth::DocDate)),
                          Variant(headText(mocth::TaxKind)), Variant(""), Variant(""),
                          Variant(HeadField(mocth::TaxRate)->AsString())}));
    writeLineNumber(
        mocti::UnitPrice,
        replyNumber(price, "000001", Variant(LineField(mocti::UnitPrice)->DisplayLabel())));
}

}  // namespace ktrb
