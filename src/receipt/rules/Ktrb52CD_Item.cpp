// The item of a receipt line: the code typed or scanned is completed, and
// the line is filled from the item master (a formal item) or from the
// engineering item master and its price list (an engineering item). While
// the work-order rule fills the line, only the item's own checks run.
#include <string>

#include "dataframe/knlRadical.h"
#include "platform/core/numbers.h"
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
constexpr const char* kFormalItem = "2";

// Message codes of the item rule.
constexpr const char* kHasSerialNumbers = "201075";
constexpr const char* kArrivalItemDiffers = "C00018";
constexpr const char* kNoSuchRecord = "000001";
constexpr const char* kLotRecordDiffers = "200331";

// Reply positions of the item master (INVMB "03").
enum TItemValue {
    itName = 1,
    itSpec = 2,
    itLotManaged = 3,
    itValidity = 4,
    itReinspection = 5,
    itStockUnit = 7,
    itWarehouse = 8,
    itInspection = 10,
    itWarehouseName = 14,
    itPackagingUnit = 27,
    itFixedWeight = 28,
    itTaxRate = 36,
    itExpiryManaged = 57,
    itReceiptUnit = 69,
    itPricingUnit = 70,
    itPeriodUnit = 72,
    itSerialManaged = 76
};
// Reply positions of the arrival line (table "C", query "83"), the line's
// lot record (GMPTG "01"), a warehouse (table "C", query "04") and the
// supplier's purchase terms (PURMD "01").
constexpr int kArrivalItem = 1;
constexpr int kLotItem = 4, kLotNumber = 7;
constexpr int kWarehouseCode = 2, kWarehouseName = 3;
constexpr int kTermsInspection = 1;
// Reply positions of the engineering item's price list (table "C", query "48").
constexpr int kListPrice = 8, kFallbackPrice = 10;

}  // namespace

// What a formal item brings to its line: the master record and the numbers
// that can refuse the item, all read before the line is written.
struct TdmKtrb52::TItemFill {
    std::string item;
    plat::Variant row;
    bool filling = false;  // the session lets the rule fill the line
    bool found = false;    // a record with values for a given item
    double taxRate = 0;
    int validity = 0, reinspection = 0;
    std::string value(int index) const { return ReplyText(row, index); }
};

void TdmKtrb52::cdsBody1TI004SetText(TField* Sender, const std::string& Text) {
    if (Session.ValidationActive && lineText(mocti::ItemKind) == kFormalItem)
        BarCodeFieldSetText(Sender, Text, plat::VarArrayOf({Variant(Text)}), "63", "INVMB");
    else
        Sender->SetAsString(Text);
}

void TdmKtrb52::cdsBody1TI004Validate(TField* Sender) {
    const std::string item = Sender->AsString();
    checkItemChange(Sender, item);
    // The shadow goes back to the earlier item when the change is refused.
    TShadowScope shadow(LineField(mocti::PreviousItem), item);
    checkArrivalItem(item);

    if (lineText(mocti::ItemKind) == kEngineeringItem) {
        fillEngineeringItem(Sender, item);
        return;
    }

    const TItemFill fill = readFormalItem(Sender, item);
    writeLine(mocti::ItemSerialManaged, "N");
    LineField(mocti::Lot)->SetReadOnly(lineText(mocti::ItemLotManaged) == "N");
    if (fill.filling) {
        if (item.empty()) clearLineItem();
        if (!fill.found) return;
        writeFormalItem(Sender, fill);
    }
    UpdatePackagingReadOnly();
    if (Session.AmountsFrozen) writeLineQuiet(mocti::UnitPrice, "0");
}

void TdmKtrb52::checkItemChange(TField* field, const std::string& item) {
    const std::string accepted = lineText(mocti::PreviousItem);
    if (item == accepted || cdsFoot->IsEmpty()) return;
    showMessage(kMsgError, kHasSerialNumbers, {Variant(std::string())});
    SetFieldTextQuiet(field, accepted);
    showEditorText("cboTI004G", accepted);
    plat::Abort();
}

void TdmKtrb52::checkArrivalItem(const std::string& item) {
    if (lineText(mocti::ArrivalType).empty() || lineText(mocti::ArrivalNo).empty() ||
        lineText(mocti::ArrivalLineNo).empty() || lineText(mocti::InspectionBatch).empty())
        return;
    Variant arrival;
    if (GetLookupValues(
            LineField(mocti::ArrivalLineNo), "C", "83", arrival,
            plat::VarArrayOf(
                {Variant(lineText(mocti::ArrivalType)), Variant(lineText(mocti::ArrivalNo)),
                 Variant(lineText(mocti::ArrivalLineNo)), Variant(headText(mocth::Supplier))})) &&
        hasValues(arrival) && headText(mocth::ChecksArrival) == "Y" && !item.empty() &&
        item != ReplyText(arrival, kArrivalItem))
        refuseBlank(kArrivalItemDiffers);
}

void TdmKtrb52::fillEngineeringItem(TField* field, const std::string& item) {
    Variant master;
    CheckValueExists(field, "BOMMI", "01", master);
    writeLine(mocti::ItemSerialManaged, "N");
    LineField(mocti::Lot)->SetReadOnly(lineText(mocti::ItemLotManaged) == "N");
    int low = master.IsArray() ? master.LowBound(1) : 0;
    const char* const names[] = {mocti::ItemName, mocti::ItemSpec, mocti::StockUnit};
    for (int i = 0; i < 3; ++i)
        writeLine(names[i], !item.empty() && master.IsArray() && i < master.ArrayCount()
                                ? plat::VarToStr(master[low + i])
                                : std::string());
    writeLine(mocti::Unit, lineText(mocti::StockUnit));
    writeLine(mocti::PricingUnit, lineText(mocti::StockUnit));
    Variant warehouse;
    const bool found = GetLookupValues(field, "C", "04", warehouse);
    if (item.empty() || (found && hasValues(warehouse))) {
        writeLine(mocti::Warehouse, ReplyText(warehouse, kWarehouseCode));
        writeLine(mocti::WarehouseName, ReplyText(warehouse, kWarehouseName));
    }
    writeLine(mocti::Location, kNoLocation);
    RepriceLine();
}

TdmKtrb52::TItemFill TdmKtrb52::readFormalItem(TField* field, const std::string& item) {
    TItemFill fill;
    fill.item = item;
    if (!GetLookupValues(field, "INVMB", "03", fill.row))
        refuse(kNoSuchRecord, {Variant(field->DisplayLabel())});
    fill.filling = Session.ValidationActive;
    fill.found = fill.filling && hasValues(fill.row) && !item.empty();
    if (!fill.found) return fill;
    fill.taxRate = valueNumber(fill.row, itTaxRate, kNoSuchRecord,
                               Variant(LineField(mocti::ItemTaxRate)->DisplayLabel()));
    // The periods count only for an item with validity dates.
    if (fill.value(itExpiryManaged) == "Y") {
        const Variant label(field->DisplayLabel());
        fill.validity = (int)valueNumber(fill.row, itValidity, kNoSuchRecord, label);
        fill.reinspection = (int)valueNumber(fill.row, itReinspection, kNoSuchRecord, label);
    }
    Variant lot;
    if (GetLookupValues(LineField(mocti::LineNo), "GMPTG", "01", lot,
                        plat::VarArrayOf({Variant("2"), Variant(lineText(mocti::DocType)),
                                          Variant(lineText(mocti::DocNo)),
                                          Variant(lineText(mocti::LineNo))})) &&
        hasValues(lot) && ReplyText(lot, kLotItem) == item &&
        ReplyText(lot, kLotNumber) != lineText(mocti::Lot))
        refuseBlank(kLotRecordDiffers);
    return fill;
}

void TdmKtrb52::clearLineItem() {
    for (const char* name :
         {mocti::Unit, mocti::ItemName, mocti::ItemSpec, mocti::Warehouse, mocti::PricingUnit,
          mocti::StockItem, mocti::PackagingUnit, mocti::FixedWeight})
        writeLine(name, "");
    writeLine(mocti::InspectionState, "0");
    writeLine(mocti::ItemOverReceiptRate, "0");
    writeLine(mocti::ItemRateMB403, "0");
}

void TdmKtrb52::writeFormalItem(TField* field, const TItemFill& fill) {
    writeLine(mocti::Unit, fill.value(itReceiptUnit));
    writeLine(mocti::ItemName, fill.value(itName));
    writeLine(mocti::ItemSpec, fill.value(itSpec));
    writeLine(mocti::StockItem, fill.item);
    writeLine(mocti::ItemDated, fill.value(itExpiryManaged));
    writeLine(mocti::ValidityDays, fill.value(itValidity));
    writeLine(mocti::RecheckDays, fill.value(itReinspection));
    {
        TFlagScope quiet(Session.ValidationActive, false, true);
        writeLine(mocti::Warehouse, fill.value(itWarehouse));
        writeLine(mocti::WarehouseName, fill.value(itWarehouseName));
        writeLine(mocti::PricingUnit, fill.value(itPricingUnit));
    }
    writeLine(mocti::ItemLotManaged, fill.value(itLotManaged));
    writeLine(mocti::ItemInspection, fill.value(itInspection));
    writeLine(mocti::PackagingUnit, fill.value(itPackagingUnit));
    writeLine(mocti::FixedWeight, fill.value(itFixedWeight));
    writeLine(mocti::ItemSerialManaged, fill.value(itSerialManaged));

    for (const char* name :
         {mocti::ReceivedQuantity, mocti::ReceivedPackages, mocti::AcceptedPackages,
          mocti::AcceptedQuantity, mocti::PricingQuantity, mocti::ScrappedQuantity,
          mocti::RejectedQuantity, mocti::ScrappedPackages, mocti::RejectedPackages,
          mocti::DestroyedQuantity, mocti::DestroyedPackages})
        writeLine(name, "0");
    SetFieldText(LineField(mocti::ItemTaxRate), NumberText(fill.taxRate * 100), true);
    writeLine(mocti::StockUnit, fill.value(itStockUnit));
    writeLine(mocti::InspectionState, itemInspection(field, fill));

    const std::string date = headText(mocth::DocDate);
    writeItemDates(fill, date);
    ApplyLotAndDateLocks();
    writeItemPrice(fill, date);
}

std::string TdmKtrb52::itemInspection(TField* field, const TItemFill& fill) {
    if (lineText(mocti::StockItem).empty()) return "0";
    Variant terms;
    if (GetLookupValues(field, "PURMD", "01", terms,
                        plat::VarArrayOf({Variant(headText(mocth::Supplier)), Variant(fill.item),
                                          Variant("****")})) &&
        hasValues(terms))
        return ReplyText(terms, kTermsInspection) == "0" ? "0" : "1";
    return fill.value(itInspection) == "0" ? "0" : "1";
}

void TdmKtrb52::writeItemDates(const TItemFill& fill, const std::string& date) {
    if (lineText(mocti::ItemDated) != "Y") {
        for (const char* name : {mocti::ProductionDate, mocti::ExpiryDate, mocti::RecheckDate}) {
            writeLine(name, "");
            LineField(name)->SetReadOnly(true);
        }
        return;
    }
    for (const char* name : {mocti::ProductionDate, mocti::ExpiryDate, mocti::RecheckDate})
        LineField(name)->SetReadOnly(false);
    writeLine(mocti::ProductionDate, date);
    if (fill.value(itPeriodUnit) == "2") {
        writeLine(mocti::ExpiryDate,
                  EndOfMonthDate(IncYmdDate(Variant(date), "M", fill.validity - 1)));
        writeLine(mocti::RecheckDate, IncYmdDate(Variant(date), "M", fill.reinspection));
    } else {
        writeLine(mocti::ExpiryDate, IncYmdDate(Variant(date), "D", fill.validity));
        writeLine(mocti::RecheckDate, IncYmdDate(Variant(date), "D", fill.reinspection));
    }
}

void TdmKtrb52::writeItemPrice(const TItemFill& fill, const std::string& date) {
    const Variant priceLabel(LineField(mocti::UnitPrice)->DisplayLabel());
    TFlagScope quiet(Session.ValidationActive, false, true);
    Variant price = broker().CallServerMethod(
        "MocUnitPrice",
        plat::VarArrayOf({Variant(fill.item), Variant(lineText(mocti::Process)),
                          Variant(headText(mocth::Supplier)), Variant(lineText(mocti::PricingUnit)),
                          Variant(headText(mocth::Currency)), Variant(date),
                          Variant(headText(mocth::TaxKind)), Variant(""), Variant(""),
                          Variant(HeadField(mocth::TaxRate)->AsString())}));
    writeLineNumber(mocti::UnitPrice, replyNumber(price, kNoSuchRecord, priceLabel));
    writeItemRates(fill.item);
    DeriveInspectionState();
    writeLine(mocti::Lot, kNoLot);
}

void TdmKtrb52::writeItemRates(const std::string& item) {
    Variant rows = broker().CallServerMethod(
        "SimpleSQL",
        plat::VarArrayOf(
            {Variant(" SELECT MB402,MB403 FROM $$INVMB WHERE MB001=" + SqlText(item) + " "),
             Variant("MB402,MB403")}));
    if (rows.IsArray() && rows.ArrayCount() > 0 && rows[rows.LowBound(1)].IsArray()) {
        const Variant& first = rows[rows.LowBound(1)];
        if (first.ArrayCount() >= 2) {
            writeLine(mocti::ItemOverReceiptRate, plat::VarToStr(first[first.LowBound(1)]));
            writeLine(mocti::ItemRateMB403, plat::VarToStr(first[first.LowBound(1) + 1]));
        }
    }
}

// ---- the look-up columns of a line built by the program ----

void TdmKtrb52::FillLineLookupFields() {
    TField* itemField = LineField(mocti::Item);
    const std::string item = itemField->AsString();
    Variant master;
    if (!item.empty() && GetLookupValues(itemField, "INVMB", "03", master) && hasValues(master)) {
        auto value = [&](int at) { return ReplyText(master, at); };
        writeLineQuiet(mocti::StockItem, item);
        writeLineQuiet(mocti::ItemLotManaged, value(itLotManaged));
        writeLineQuiet(mocti::ItemInspection, value(itInspection));
        writeLineQuiet(mocti::ItemDated, value(itExpiryManaged));
        writeLineQuiet(mocti::ValidityDays, value(itValidity));
        writeLineQuiet(mocti::RecheckDays, value(itReinspection));
        writeLineQuiet(mocti::FixedWeight, value(itFixedWeight));
        const std::string rate = value(itTaxRate);
        SetFieldText(LineField(mocti::ItemTaxRate), NumberText(plat::StrToFloatDef(rate, 0) * 100),
                     true);
        writeItemRates(item);
    }
    // The work order's values, as its number's rule writes them.
    const std::string type = lineText(mocti::WorkOrderType), number = lineText(mocti::WorkOrderNo);
    Variant order;
    if (type.empty() || number.empty() ||
        !GetLookupValues(LineField(mocti::WorkOrderNo), "MOCTA", "01", order,
                         plat::VarArrayOf({Variant(type), Variant(number)})) ||
        !hasValues(order))
        return;
    const std::string rateText = ReplyText(order, 38);
    const double rate = rateText.empty() || rateText == "N" || rateText == "Y"
                            ? 0
                            : plat::StrToFloatDef(rateText, 0);
    writeOrderLookupFields(order, rate);
}

// ---- the unit price of an engineering item ----

void TdmKtrb52::CalcEngineeringItemPrice() {
    Variant list;
    if (!GetLookupValues(LineField(mocti::Item), "C", "48", list) || !hasValues(list)) return;
    const Variant label(LineField(mocti::UnitPrice)->DisplayLabel());
    double price = valueNumber(list, kListPrice, kNoSuchRecord, label);
    if (CompareFloats(price, 0) == 0)
        price = valueNumber(list, kFallbackPrice, kNoSuchRecord, label);
    const std::string currency = headText(mocth::Currency);
    if (headText(mocth::TaxKind) == "1")
        price = replyNumber(
            broker().CallServerMethod(
                "ChangeTax",
                plat::VarArrayOf({Variant(price), Variant("Y"), Variant("N"), Variant(currency),
                                  Variant(HeadField(mocth::TaxRate)->AsString())})),
            "000001", label);
    if (currency != sysParam("SYS003")) {
        const double rate = replyNumber(
            broker().CallServerMethod("ExchangeRate",
                                      plat::VarArrayOf({Variant(currency), Variant("O"),
                                                        Variant(headText(mocth::ReceiptDate))})),
            "000001", label);
        if (CompareFloats(rate, 0) > 0) price /= rate;
    }
    writeLineNumber(mocti::UnitPrice, price);
}

}  // namespace ktrb
