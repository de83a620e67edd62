// The checks before a receipt line is posted or deleted, the question
// whether any line is unconfirmed, and the end-of-month date the item, work
// order and production-date rules use. Every refusal shows its message by
// code and aborts the post or delete silently; the line keeps its values.
#include <string>

#include "platform/core/dates.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr const char* kDuplicateLineKey = "TI004+TI014+TI015+TI009+TI010+TI060";
constexpr const char* kArrivalKey = "TIC02+TIC03+TIC04";
constexpr const char* kInspectedArrivalKey = "TIC02+TIC03+TIC04+TIC05";

// The first column of the first row of a "SimpleSQL" reply as a number; 0
// when the reply holds no row.
double firstNumber(const Variant& rows) {
    if (!rows.IsArray() || rows.DimCount() != 1 || rows.ArrayCount() == 0) return 0;
    const Variant& row = rows[rows.LowBound(1)];
    if (!row.IsArray()) return plat::VarToFloatDef(row, 0);
    if (row.DimCount() != 1 || row.ArrayCount() == 0) return 0;
    return plat::VarToFloatDef(row[row.LowBound(1)], 0);
}

// A server operation's single number (a bare value or a one-element array).
double numberOf(const Variant& reply) {
    if (reply.IsArray())
        return reply.ArrayCount() > 0 ? plat::VarToFloatDef(reply[reply.LowBound(1)], 0) : 0;
    return plat::VarToFloatDef(reply, 0);
}

bool found(const Variant& reply) {
    return plat::VarToIntDef(reply[0], 0) > 0;
}

}  // namespace

void TdmKtrb52::cdsBody1BeforePost(plat::TDataSet* DataSet) {
    TdmDouble::cdsBody1BeforePost(DataSet);

    if (lineText(mocti::ItemKind) == "2") checkFormalItemLine();

    if (!lineText(mocti::WorkOrderNo).empty() && !lineText(mocti::Process).empty() &&
        !lineText(mocti::Item).empty() &&
        IsDuplicateBodyKey(LineField(mocti::Item), kDuplicateLineKey)) {
        std::string check = headText(mocth::DocTypeChecksWorkOrder);
        if (check == "Y") refuse("000002", {Variant(lineLabels(kDuplicateLineKey))});
        if (check == "W")
            showMessage(kMsgWarning, "000005", {Variant(lineLabels(kDuplicateLineKey))});
    }

    bool arrival = !lineText(mocti::ArrivalType).empty() && !lineText(mocti::ArrivalNo).empty() &&
                   !lineText(mocti::ArrivalLineNo).empty();
    if (arrival) {
        const char* key =
            lineText(mocti::InspectionBatch).empty() ? kArrivalKey : kInspectedArrivalKey;
        if (IsDuplicateBodyKey(LineField(mocti::ArrivalType), key))
            refuse("000002", {Variant(lineLabels(key))});
    }
    if (headText(mocth::ChecksArrival) == "Y" && !arrival) refuseBlank("C00044");
    if (arrival) checkArrivalLine();

    if (lineText(mocti::ItemDated) == "Y" && lineText(mocti::ProductionDate).empty() &&
        lineText(mocti::ItemKind) == "2")
        refuseBlank("200091");

    if (!lineText(mocti::WorkOrderType).empty() && !lineText(mocti::WorkOrderNo).empty() &&
        lineText(mocti::ConfirmCode) != "Y") {
        Variant reply;
        Variant keys =
            plat::VarArrayOf({lineText(mocti::WorkOrderType), lineText(mocti::WorkOrderNo),
                              headText(mocth::Supplier), headText(mocth::Currency),
                              headText(mocth::TaxKind), headText(mocth::TaxRate)});
        if (!GetLookupValues(LineField(mocti::Item), "MOCTA", "25", reply, keys))
            refuseBlank("200943");
    }
}

// Price ceiling and inspection batch of a formal item.
void TdmKtrb52::checkFormalItemLine() {
    Variant item, docType;
    GetLookupValues(LineField(mocti::Item), "INVMB", "04", item);
    GetLookupValues(HeadField(mocth::DocType), "CMSMQ", "14", docType);

    const std::string order = lineText(mocti::WorkOrderType),
                      orderNo = lineText(mocti::WorkOrderNo);
    Variant rows = broker().CallServerMethod(
        "SimpleSQL", plat::VarArrayOf({"SELECT TA022 FROM $$MOCTA AS MOCTA WHERE TA001=" +
                                           SqlText(order) + " AND TA002=" + SqlText(orderNo) + " ",
                                       "TA022", "", "N"}));
    double orderPrice = rows.IsEmptyOrNull() ? 0 : firstNumber(rows);

    bool applies = found(item) && ReplyText(item, 8) == "Y" && ReplyText(docType, 3) == "Y" &&
                   (order.empty() || orderNo.empty() ||
                    CompareFloats(lineValue(mocti::UnitPrice), orderPrice) != 0);
    if (applies) {
        Variant args = plat::VarArrayOf(
            {lineText(mocti::Item), lineText(mocti::Process), headText(mocth::Supplier),
             lineText(mocti::PricingUnit), headText(mocth::Currency), headText(mocth::DocDate),
             headText(mocth::TaxKind), "", "", HeadField(mocth::TaxRate)->Value()});
        double price = numberOf(broker().CallServerMethod("MocUnitPrice", args));
        double tolerance = plat::VarToFloatDef(ReplyAt(item, 9), 0);
        double ceilingPrice = price * (1 + tolerance);
        double ceiling = ceilingPrice * lineValue(mocti::PricingQuantity);
        // Rounded as the line's amounts are.
        ceiling = RoundToDecimals(
            amountDecimals(mocth::ProcessingAmount, headText(mocth::Currency)), ceiling);
        if (CompareFloats(lineValue(mocti::ProcessingAmount), ceiling) > 0) refuseBlank("100344");
        if (CompareFloats(lineValue(mocti::PricingQuantity), 0) == 0 &&
            CompareFloats(lineValue(mocti::ProcessingAmount), 0) == 0 &&
            CompareFloats(lineValue(mocti::UnitPrice), ceilingPrice) > 0)
            refuseBlank("100344");
    }

    if (headText(mocth::ChecksInspection) == "Y" && lineText(mocti::InspectionBatch).empty())
        refuse("000003", {Variant(LineField(mocti::InspectionBatch)->DisplayLabel())});
}

// The arrival line must exist for the supplier, carry the line's item and,
// when inspection results are required, have a confirmed result.
void TdmKtrb52::checkArrivalLine() {
    const std::string type = lineText(mocti::ArrivalType), number = lineText(mocti::ArrivalNo),
                      line = lineText(mocti::ArrivalLineNo),
                      batch = lineText(mocti::InspectionBatch);
    Variant reply;
    if (!GetLookupValues(LineField(mocti::ArrivalType), "C", "83", reply,
                         plat::VarArrayOf({type, number, line, headText(mocth::Supplier)})))
        refuseBlank("100061");
    if (found(reply) && headText(mocth::ChecksArrival) == "Y" && !lineText(mocti::Item).empty() &&
        lineText(mocti::Item) != ReplyText(reply, 1))
        refuseBlank("C00018");
    if (headText(mocth::ChecksInspection) == "Y") {
        Variant keys = plat::VarArrayOf({type, number, line, batch, type, number, line,
                                         lineText(mocti::DocType), lineText(mocti::DocNo), type,
                                         number, line, batch});
        if (!GetLookupValues(LineField(mocti::ArrivalType), "C", "84", reply, keys))
            refuseBlank("C00017");
    }
}

void TdmKtrb52::cdsBody1BeforeDelete(plat::TDataSet*) {
    CheckLineDelete();
}

bool TdmKtrb52::CheckLineDelete() {
    Variant keys = plat::VarArrayOf(
        {lineText(mocti::DocType), lineText(mocti::DocNo), lineText(mocti::LineNo)});
    Variant reply;
    if (GetLookupValues(LineField(mocti::DocType), "QMSTD", "02", reply, keys) && found(reply) &&
        ReplyText(reply, 3) != "V")
        refuseBlank("100512");
    if (GetLookupValues(LineField(mocti::DocType), "MOCTJ", "02", reply, keys) && found(reply))
        refuseBlank("100513");
    if (lineText(mocti::ConfirmCode) == "Y") refuseBlank("100310");
    return true;
}

bool TdmKtrb52::HasNoUnconfirmedLine() {
    return !BodyClone->Locate(mocti::ConfirmCode, Variant("N"), plat::loPartialKey);
}

std::string TdmKtrb52::EndOfMonthDate(const std::string& date) {
    if (YmdToDate(date) == 0) return "";
    int year = plat::StrToIntDef(date.substr(0, 4), 0),
        month = plat::StrToIntDef(date.substr(4, 2), 0);
    return date.substr(0, 6) + ZeroPad(2, DaysOfMonth(year, month));
}

}  // namespace ktrb
