// The item of a receipt line: the code typed or scanned is completed, and
// the line is filled from the item master (a formal item) or from the
// engineering item master and its price list (an engineering item). While
// the work-order rule fills the line, only the item's own checks run.
#include <string>

#include "dataframe/knlRadical.h"
#include "platform/core/numbers.h"
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
    if (Session.ValidationActive && lineText("TIC01") == kFormalItem)
        BarCodeFieldSetText(Sender, Text, plat::VarArrayOf({Variant(Text)}), "63", "INVMB");
    else
        Sender->SetAsString(Text);
}

void TdmKtrb52::cdsBody1TI004Validate(TField* Sender) {
    const std::string item = Sender->AsString();
    checkItemChange(Sender, item);
    // The shadow goes back to the earlier item when the change is refused.
    TShadowScope shadow(LineField("TI004_OLD"), item);
    checkArrivalItem(item);

    if (lineText("TIC01") == kEngineeringItem) {
        fillEngineeringItem(Sender, item);
        return;
    }

    const TItemFill fill = readFormalItem(Sender, item);
    writeLine("TI004MB454", "N");
    LineField("TI010")->SetReadOnly(lineText("TI004C") == "N");
    if (fill.filling) {
        if (item.empty()) clearLineItem();
        if (!fill.found) return;
        writeFormalItem(Sender, fill);
    }
    UpdatePackagingReadOnly();
    if (Session.AmountsFrozen) writeLineQuiet("TI024", "0");
}

void TdmKtrb52::checkItemChange(TField* field, const std::string& item) {
    const std::string accepted = lineText("TI004_OLD");
    if (item == accepted || cdsFoot->IsEmpty()) return;
    showMessage(kMsgError, kHasSerialNumbers, {Variant(std::string())});
    SetFieldTextQuiet(field, accepted);
    showEditorText("cboTI004G", accepted);
    plat::Abort();
}

void TdmKtrb52::checkArrivalItem(const std::string& item) {
    if (lineText("TIC02").empty() || lineText("TIC03").empty() || lineText("TIC04").empty() ||
        lineText("TIC05").empty())
        return;
    Variant arrival;
    if (GetLookupValues(
            LineField("TIC04"), "C", "83", arrival,
            plat::VarArrayOf({Variant(lineText("TIC02")), Variant(lineText("TIC03")),
                              Variant(lineText("TIC04")), Variant(headText("TH005"))})) &&
        hasValues(arrival) && headText("MQC03C") == "Y" && !item.empty() &&
        item != ReplyText(arrival, kArrivalItem))
        refuseBlank(kArrivalItemDiffers);
}

void TdmKtrb52::fillEngineeringItem(TField* field, const std::string& item) {
    Variant master;
    CheckValueExists(field, "BOMMI", "01", master);
    writeLine("TI004MB454", "N");
    LineField("TI010")->SetReadOnly(lineText("TI004C") == "N");
    int low = master.IsArray() ? master.LowBound(1) : 0;
    const char* const names[] = {"TI005", "TI006", "TI061"};
    for (int i = 0; i < 3; ++i)
        writeLine(names[i], !item.empty() && master.IsArray() && i < master.ArrayCount()
                                ? plat::VarToStr(master[low + i])
                                : std::string());
    writeLine("TI008", lineText("TI061"));
    writeLine("TI023", lineText("TI061"));
    Variant warehouse;
    const bool found = GetLookupValues(field, "C", "04", warehouse);
    if (item.empty() || (found && hasValues(warehouse))) {
        writeLine("TI009", ReplyText(warehouse, kWarehouseCode));
        writeLine("TI009C", ReplyText(warehouse, kWarehouseName));
    }
    writeLine("TI060", kNoLocation);
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
                               Variant(LineField("TI004C11")->DisplayLabel()));
    // The periods count only for an item with validity dates.
    if (fill.value(itExpiryManaged) == "Y") {
        const Variant label(field->DisplayLabel());
        fill.validity = (int)valueNumber(fill.row, itValidity, kNoSuchRecord, label);
        fill.reinspection = (int)valueNumber(fill.row, itReinspection, kNoSuchRecord, label);
    }
    Variant lot;
    if (GetLookupValues(
            LineField("TI003"), "GMPTG", "01", lot,
            plat::VarArrayOf({Variant("2"), Variant(lineText("TI001")), Variant(lineText("TI002")),
                              Variant(lineText("TI003"))})) &&
        hasValues(lot) && ReplyText(lot, kLotItem) == item &&
        ReplyText(lot, kLotNumber) != lineText("TI010"))
        refuseBlank(kLotRecordDiffers);
    return fill;
}

void TdmKtrb52::clearLineItem() {
    for (const char* name :
         {"TI008", "TI005", "TI006", "TI009", "TI023", "TI004C2", "TI049", "MB091C"})
        writeLine(name, "");
    writeLine("TI035", "0");
    writeLine("TI004C13", "0");
    writeLine("TI004C14", "0");
}

void TdmKtrb52::writeFormalItem(TField* field, const TItemFill& fill) {
    writeLine("TI008", fill.value(itReceiptUnit));
    writeLine("TI005", fill.value(itName));
    writeLine("TI006", fill.value(itSpec));
    writeLine("TI004C2", fill.item);
    writeLine("TI004C10", fill.value(itExpiryManaged));
    writeLine("TI011C", fill.value(itValidity));
    writeLine("TI012C", fill.value(itReinspection));
    {
        TFlagScope quiet(Session.ValidationActive, false, true);
        writeLine("TI009", fill.value(itWarehouse));
        writeLine("TI009C", fill.value(itWarehouseName));
        writeLine("TI023", fill.value(itPricingUnit));
    }
    writeLine("TI004C", fill.value(itLotManaged));
    writeLine("TI004C1", fill.value(itInspection));
    writeLine("TI049", fill.value(itPackagingUnit));
    writeLine("MB091C", fill.value(itFixedWeight));
    writeLine("TI004MB454", fill.value(itSerialManaged));

    for (const char* name : {"TI007", "TI016", "TI017", "TI019", "TI020", "TI021", "TI022", "TI050",
                             "TI051", "TI056", "TI057"})
        writeLine(name, "0");
    SetFieldText(LineField("TI004C11"), NumberText(fill.taxRate * 100), true);
    writeLine("TI061", fill.value(itStockUnit));
    writeLine("TI035", itemInspection(field, fill));

    const std::string date = headText("TH029");
    writeItemDates(fill, date);
    ApplyLotAndDateLocks();
    writeItemPrice(fill, date);
}

std::string TdmKtrb52::itemInspection(TField* field, const TItemFill& fill) {
    if (lineText("TI004C2").empty()) return "0";
    Variant terms;
    if (GetLookupValues(
            field, "PURMD", "01", terms,
            plat::VarArrayOf({Variant(headText("TH005")), Variant(fill.item), Variant("****")})) &&
        hasValues(terms))
        return ReplyText(terms, kTermsInspection) == "0" ? "0" : "1";
    return fill.value(itInspection) == "0" ? "0" : "1";
}

void TdmKtrb52::writeItemDates(const TItemFill& fill, const std::string& date) {
    if (lineText("TI004C10") != "Y") {
        for (const char* name : {"TI054", "TI011", "TI012"}) {
            writeLine(name, "");
            LineField(name)->SetReadOnly(true);
        }
        return;
    }
    for (const char* name : {"TI054", "TI011", "TI012"}) LineField(name)->SetReadOnly(false);
    writeLine("TI054", date);
    if (fill.value(itPeriodUnit) == "2") {
        writeLine("TI011", EndOfMonthDate(IncYmdDate(Variant(date), "M", fill.validity - 1)));
        writeLine("TI012", IncYmdDate(Variant(date), "M", fill.reinspection));
    } else {
        writeLine("TI011", IncYmdDate(Variant(date), "D", fill.validity));
        writeLine("TI012", IncYmdDate(Variant(date), "D", fill.reinspection));
    }
}

void TdmKtrb52::writeItemPrice(const TItemFill& fill, const std::string& date) {
    const Variant priceLabel(LineField("TI024")->DisplayLabel());
    TFlagScope quiet(Session.ValidationActive, false, true);
    Variant price = broker().CallServerMethod(
        "MocUnitPrice",
        plat::VarArrayOf({Variant(fill.item), Variant(lineText("TI015")),
                          Variant(headText("TH005")), Variant(lineText("TI023")),
                          Variant(headText("TH007")), Variant(date), Variant(headText("TH015")),
                          Variant(""), Variant(""), Variant(HeadField("TH030")->AsString())}));
    writeLineNumber("TI024", replyNumber(price, kNoSuchRecord, priceLabel));
    writeItemRates(fill.item);
    DeriveInspectionState();
    writeLine("TI010", kNoLot);
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
            writeLine("TI004C13", plat::VarToStr(first[first.LowBound(1)]));
            writeLine("TI004C14", plat::VarToStr(first[first.LowBound(1) + 1]));
        }
    }
}

// ---- the look-up columns of a line built by the program ----

void TdmKtrb52::FillLineLookupFields() {
    TField* itemField = LineField("TI004");
    const std::string item = itemField->AsString();
    Variant master;
    if (!item.empty() && GetLookupValues(itemField, "INVMB", "03", master) && hasValues(master)) {
        auto value = [&](int at) { return ReplyText(master, at); };
        writeLineQuiet("TI004C2", item);
        writeLineQuiet("TI004C", value(itLotManaged));
        writeLineQuiet("TI004C1", value(itInspection));
        writeLineQuiet("TI004C10", value(itExpiryManaged));
        writeLineQuiet("TI011C", value(itValidity));
        writeLineQuiet("TI012C", value(itReinspection));
        writeLineQuiet("MB091C", value(itFixedWeight));
        const std::string rate = value(itTaxRate);
        SetFieldText(LineField("TI004C11"), NumberText(plat::StrToFloatDef(rate, 0) * 100), true);
        writeItemRates(item);
    }
    // The work order's values, as its number's rule writes them.
    const std::string type = lineText("TI013"), number = lineText("TI014");
    Variant order;
    if (type.empty() || number.empty() ||
        !GetLookupValues(LineField("TI014"), "MOCTA", "01", order,
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
    if (!GetLookupValues(LineField("TI004"), "C", "48", list) || !hasValues(list)) return;
    const Variant label(LineField("TI024")->DisplayLabel());
    double price = valueNumber(list, kListPrice, kNoSuchRecord, label);
    if (CompareFloats(price, 0) == 0)
        price = valueNumber(list, kFallbackPrice, kNoSuchRecord, label);
    const std::string currency = headText("TH007");
    if (headText("TH015") == "1")
        price = replyNumber(
            broker().CallServerMethod(
                "ChangeTax",
                plat::VarArrayOf({Variant(price), Variant("Y"), Variant("N"), Variant(currency),
                                  Variant(HeadField("TH030")->AsString())})),
            "000001", label);
    if (currency != sysParam("SYS003")) {
        const double rate = replyNumber(
            broker().CallServerMethod(
                "ExchangeRate",
                plat::VarArrayOf({Variant(currency), Variant("O"), Variant(headText("TH003"))})),
            "000001", label);
        if (CompareFloats(rate, 0) > 0) price /= rate;
    }
    writeLineNumber("TI024", price);
}

}  // namespace ktrb
