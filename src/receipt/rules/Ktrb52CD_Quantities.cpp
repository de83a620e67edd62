// Quantities of a receipt line: the received quantity against what the work
// order still allows, its spreading to the accepted, valuation and stock
// quantities; the receipt and valuation units; the acceptance date; and the
// accepted, scrapped, destroyed and rejected quantities with their limits
// against the received quantity, the inspection result and the arrival line.
// The session's QuantityEditActive lets only one rule cascade at a time.
#include <iterator>
#include <string>
#include <utility>

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
    TField* inspection = LineField("TI035");
    inspection->SetReadOnly(received != 0);
    view_.InspectionEditReadOnly = inspection->ReadOnly();
    viewChanged(TKtrb52Part::InspectionEdit);
    if (!Session.QuantityEditActive) return;
    if (received < 0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});

    const std::string text = Sender->AsString();
    if (lineText("TIC01") != kFormalItem) {
        for (const char* name : {"TI019", "TI020", "TI062"}) writeLine(name, text);
        for (const char* name : {"TI021", "TI022", "TI056"}) writeLine(name, "0");
        return;
    }

    const std::string item = lineText("TI004");
    Variant order;
    if (GetLookupValues(Sender, "MOCTA", "11", order,
                        plat::VarArrayOf({Variant(lineText("TI013")), Variant(lineText("TI014")),
                                          Variant(headText("TH004"))})) &&
        hasValues(order)) {
        const Variant label(Sender->DisplayLabel());
        const double open = OpenWorkOrderQuantity(
            [&](TWorkOrderPart part) {
                return valueNumber(order, kOpenParts[static_cast<int>(part)], "100061", label);
            },
            lineValue("TI004C13"), Session.MocParam1, Session.MocParam2);
        const double inStock = convertRequired(received, lineText("TI008"), lineText("TI061"));
        if (CompareFloats(inStock, open) > 0 && item == lineText("TI004C12")) {
            const Variant which(lineText("TI013") + "-" + lineText("TI014") + "/" + item);
            const std::string control = headText("MQ042C");
            if (control == "Y") refuse("200416", {which});
            if (control == "W") showMessage(kMsgWarning, "200235", {which});
        }
    }

    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (fixedWeight() && !packagesDriveQuantity_)
            writeLineNumber("TI016",
                            convertRequired(received, lineText("TI008"), lineText("TI049")));
        if (!arrivalLinked() && lineText("TI035") != "0") {
            for (const char* name : {"TI019", "TI020", "TI062", "TI021", "TI022", "TI050", "TI051",
                                     "TI017", "TI056", "TI057"})
                writeLine(name, "0");
        } else {
            writeLine("TI019", text);
            double converted = 0;
            if (convertQuantity(received, lineText("TI008"), lineText("TI023"), converted))
                writeLineNumber("TI020", converted);
            if (convertQuantity(lineValue("TI019"), lineText("TI008"), lineText("TI061"),
                                converted))
                writeLineNumber("TI062", converted);
            writeLine("TI017", lineText("TI016"));
            for (const char* name : {"TI021", "TI056", "TI057"}) writeLine(name, "0");
        }
    }
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI008Validate(TField* Sender) {
    if (lineText("TIC01") == kEngineeringItem) return;
    const std::string unit = Sender->AsString(), item = lineText("TI004");
    Variant master;
    if (GetLookupValues(LineField("TI004"), "INVMB", "03", master) && hasValues(master)) {
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
    const std::string packaging = lineText("TI049"), fixed = lineText("MB091C");
    const bool packaged =
        sysParam("SYS024") == "3" && !packaging.empty() && IsFixedWeightFlag(fixed);
    const bool fromQuantities = fixed == "Y";
    const std::pair<const char*, const char*> pairs[] = {{"TI007", "TI016"},
                                                         {"TI019", "TI017"},
                                                         {"TI021", "TI050"},
                                                         {"TI022", "TI051"},
                                                         {"TI056", "TI057"}};
    double packed[std::size(pairs)] = {};
    if (packaged)
        for (size_t i = 0; i < std::size(pairs); ++i)
            packed[i] = fromQuantities
                            ? convertRequired(lineValue(pairs[i].first), unit, packaging)
                            : convertRequired(lineValue(pairs[i].second), packaging, unit);

    double converted = 0;
    if (convertQuantity(lineValue("TI019"), unit, lineText("TI061"), converted))
        writeLineNumber("TI062", converted);
    if (convertQuantity(lineValue("TI019") + lineValue("TI056"), unit, lineText("TI023"),
                        converted))
        writeLineNumber("TI020", converted);
    if (!packaged) return;
    for (size_t i = 0; i < std::size(pairs); ++i) {
        const char* target = fromQuantities ? pairs[i].second : pairs[i].first;
        const bool negativeReturn =
            std::string(target) == (fromQuantities ? "TI051" : "TI022") && packed[i] < 0;
        if (negativeReturn)
            showMessage(kMsgWarning, kNegative, {Variant(LineField(target)->DisplayLabel())});
        writeLineQuiet(target, NumberText(packed[i]));
        if (negativeReturn) refreshLineField(target);
    }
}

void TdmKtrb52::cdsBody1TI018Validate(TField* Sender) {
    DateFieldValidate(Sender);
    const std::string date = Sender->AsString();
    if (!date.empty() && date < headText("TH029")) refuseBlank("100305");
}

// ---- accepted, scrapped, destroyed and rejected quantities ----

void TdmKtrb52::cdsBody1TI019Validate(TField* Sender) {
    checkInspectionAndArrival(Sender, "TDC02", "CD014", true);
    if (!Session.QuantityEditActive) return;
    const double accepted = Sender->AsFloat(), received = lineValue("TI007");
    if (accepted < 0.0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});
    if (CompareFloats(accepted, received) > 0 && received > 0) refuseBlank("100034");
    const bool formal = lineText("TIC01") == kFormalItem, packed = formal && fixedWeight();
    const double packages =
        packed ? convertRequired(accepted, lineText("TI008"), lineText("TI049")) : 0;
    deriveRejectedQuantity();

    if (!formal) {
        // The valuation quantity of such a line is what it accepted and
        // destroyed, as the destroyed quantity and the valuation warning count it.
        if (CompareFloats(accepted, 0) == 0) {
            writeLine("TI062", "0");
            writeLine("TI020", "0");
        } else {
            writeLine("TI062", Sender->AsString());
            writeLineNumber("TI020", accepted + lineValue("TI056"));
        }
        writeLine("TI017", "0");
        writeLine("TI051", "0");
        return;
    }
    deriveValuationAndStock(false, false);
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (packed) writeLineNumber("TI017", packages);
    }
    deriveRejectedPackages(true);
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI021Validate(TField* Sender) {
    checkInspectionAndArrival(Sender, "TD025", "CD022", false);
    if (!Session.QuantityEditActive) return;
    const double scrapped = Sender->AsFloat(), received = lineValue("TI007");
    if (scrapped < 0.0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});
    if (CompareFloats(scrapped, received) > 0 && received > 0)
        refuse(kAboveReceived, {Variant(Sender->DisplayLabel())});
    const bool formal = lineText("TIC01") == kFormalItem, packed = formal && fixedWeight();
    const double packages =
        packed ? convertRequired(scrapped, lineText("TI008"), lineText("TI049")) : 0;
    deriveRejectedQuantity();

    if (!formal) {
        writeLine("TI050", "0");
        writeLine("TI051", "0");
        return;
    }
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (packed) {
            writeLineNumber("TI050", packages);
            refreshLineField("TI050");
        }
        deriveRejectedPackages(true);
    }
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI056Validate(TField* Sender) {
    checkInspectionAndArrival(Sender, "TD007", "CD024", false);
    if (!Session.QuantityEditActive) return;
    const double destroyed = Sender->AsFloat(), received = lineValue("TI007");
    if (destroyed < 0.0) showMessage(kMsgWarning, kBelowZero, {Variant(std::string())});
    if (CompareFloats(destroyed, received) > 0 && received > 0)
        refuse(kAboveReceived, {Variant(Sender->DisplayLabel())});
    const double accepted = lineValue("TI019");
    const bool formal = lineText("TIC01") == kFormalItem, packed = formal && fixedWeight();
    const std::string unit = lineText("TI008"), priceUnit = lineText("TI023");
    const double packages = packed ? convertRequired(destroyed, unit, lineText("TI049")) : 0;
    double valued = accepted + destroyed;
    if (formal && accepted != 0.0 && unit != priceUnit)
        valued = convertRequired(accepted + destroyed, unit, priceUnit);
    deriveRejectedQuantity();

    if (!formal) {
        writeLine("TI051", "0");
        writeLine("TI057", "0");
        if (CompareFloats(accepted, 0) == 0)
            writeLine("TI020", "0");
        else
            writeLineNumber("TI020", accepted + destroyed);
        return;
    }
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (packed) {
            writeLineNumber("TI057", packages);
            refreshLineField("TI057");
        }
        deriveRejectedPackages(true);
        if (accepted == 0.0)
            writeLine("TI020", "0");
        else
            writeLineNumber("TI020", valued);
    }
    DeriveInspectionState();
}

void TdmKtrb52::cdsBody1TI022Validate(TField* Sender) {
    checkInspectionAndArrival(Sender, "TD008", "CD015", false);
    if (!Session.QuantityEditActive) return;
    const double rejected = Sender->AsFloat(), received = lineValue("TI007");
    const Variant label(Sender->DisplayLabel());
    if (CompareFloats(rejected, 0) < 0) showMessage(kMsgWarning, kNegative, {label});
    if (CompareFloats(rejected, received) > 0 && received > 0) refuse(kAboveReceived, {label});

    if (lineText("TIC01") != kFormalItem) {
        writeLine("TI051", "0");
        return;
    }
    if (!Session.ValidationActive) return;
    {
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        if (fixedWeight()) {
            writeLineNumber("TI051",
                            convertRequired(rejected, lineText("TI008"), lineText("TI049")));
            refreshLineField("TI051");
        }
    }
    DeriveInspectionState();
}

// ---- valuation quantity and unit ----

void TdmKtrb52::cdsBody1TI020Validate(TField* Sender) {
    const double valued = Sender->AsFloat();
    // Converted first: a quantity the server cannot convert leaves the amounts alone.
    const std::string unit = lineText("TI008"), priceUnit = lineText("TI023");
    const double inUnit = unit != priceUnit ? convertRequired(valued, priceUnit, unit) : valued;
    {
        TFlagScope noPrice(PriceFromAmountEnabled, false, true);
        writeLineNumber("TI025", valued * lineValue("TI024"));
    }
    if (CompareFloats(inUnit, lineValue("TI019") + lineValue("TI056")) > 0)
        showMessage(kMsgWarning, sysParam("SYS069") == "Y" ? "200203" : "200202",
                    {Variant(std::string())});
}

void TdmKtrb52::cdsBody1TI023Validate(TField* Sender) {
    if (lineText("TIC01") == kEngineeringItem) {
        RepriceLine();
        return;
    }
    if (!Session.ValidationActive) return;
    const std::string item = lineText("TI004"), unit = Sender->AsString();
    Variant master;
    if (GetLookupValues(LineField("TI004"), "INVMB", "03", master) && hasValues(master)) {
        Variant conversion;
        if (!GetLookupValues(
                Sender, "INVMD", "02", conversion,
                plat::VarArrayOf({Variant(item), Variant(unit), Variant(item), Variant(unit)})))
            refuseBlank("100026");
    }
    Variant price = broker().CallServerMethod(
        "MocUnitPrice",
        plat::VarArrayOf({Variant(item), Variant(lineText("TI015")), Variant(headText("TH005")),
                          Variant(unit), Variant(headText("TH007")), Variant(headText("TH029")),
                          Variant(headText("TH015")), Variant(""), Variant(""),
                          Variant(HeadField("TH030")->AsString())}));
    writeLineNumber("TI024",
                    replyNumber(price, "000001", Variant(LineField("TI024")->DisplayLabel())));
}

}  // namespace ktrb
