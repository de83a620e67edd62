// What the field rules of the receipt lines share: field writes, numbers
// out of server replies, unit conversions of the line's item, and the
// quantity checks against the inspection result and the arrival line.
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

constexpr const char* kInspectionDiffers = "C00016";
constexpr const char* kArrivalExceeded = "C00015";
constexpr const char* kNoUnitConversion = "100026";
constexpr const char* kBelowZero = "100072";

}  // namespace

void TdmKtrb52::writeHead(const std::string& name, const std::string& text) {
    SetFieldText(HeadField(name), text);
}

void TdmKtrb52::writeLine(const std::string& name, const std::string& text) {
    SetFieldText(LineField(name), text);
}

void TdmKtrb52::writeLineQuiet(const std::string& name, const std::string& text) {
    SetFieldTextQuiet(LineField(name), text);
}

void TdmKtrb52::writeLineNumber(const std::string& name, double value) {
    SetFieldNumber(LineField(name), value);
}

void TdmKtrb52::refreshLineField(const std::string& name) {
    TField* f = LineField(name);
    const bool shown = f->Visible();
    f->SetVisible(!shown);
    f->SetVisible(shown);
}

double TdmKtrb52::headValue(const std::string& name) const {
    return HeadField(name)->AsFloat();
}

bool TdmKtrb52::hasValues(const Variant& reply) {
    return reply.IsArray() && reply.ArrayCount() > 0 &&
           plat::VarToIntDef(reply[reply.LowBound(1)], 0) > 0;
}

double TdmKtrb52::replyNumber(const Variant& reply, const std::string& code, const Variant& arg) {
    double number = 0;
    if (!TryNumber(FirstElement(reply), number)) refuse(code, {arg});
    return number;
}

double TdmKtrb52::valueNumber(const Variant& reply, int index, const std::string& code,
                              const Variant& arg) {
    double number = 0;
    if (!TryNumber(ReplyAt(reply, index), number)) refuse(code, {arg});
    return number;
}

bool TdmKtrb52::convertQuantity(double quantity, const std::string& fromUnit,
                                const std::string& toUnit, double& converted) {
    Variant reply = broker().CallServerMethod(
        "UnitConvert", plat::VarArrayOf({Variant(lineText(mocti::Item)), Variant(quantity),
                                         Variant(fromUnit), Variant(toUnit)}));
    return reply.IsArray() && TryNumber(FirstElement(reply), converted);
}

double TdmKtrb52::convertRequired(double quantity, const std::string& fromUnit,
                                  const std::string& toUnit) {
    double converted = 0;
    if (!convertQuantity(quantity, fromUnit, toUnit, converted)) refuseBlank(kNoUnitConversion);
    return converted;
}

bool TdmKtrb52::arrivalLinked() const {
    return !lineText(mocti::ArrivalType).empty() && !lineText(mocti::ArrivalNo).empty() &&
           !lineText(mocti::ArrivalLineNo).empty();
}

bool TdmKtrb52::arrivalUnlinked() const {
    return lineText(mocti::ArrivalType).empty() && lineText(mocti::ArrivalNo).empty() &&
           lineText(mocti::ArrivalLineNo).empty();
}

bool TdmKtrb52::fixedWeight() const {
    return sysParam("SYS024") == "3" && !lineText(mocti::PackagingUnit).empty() &&
           IsFixedWeightFlag(lineText(mocti::FixedWeight));
}

void TdmKtrb52::checkInspectionAndArrival(TField* field, const char* inspectionColumn,
                                          const char* arrivalColumn, bool focus) {
    const double value = field->AsFloat();
    const Variant label(field->DisplayLabel());
    const std::string type = lineText(mocti::ArrivalType), number = lineText(mocti::ArrivalNo),
                      line = lineText(mocti::ArrivalLineNo);
    const std::string cr = "\r";
    auto refuseWith = [&](const char* code) {
        if (focus) field->FocusControl();
        refuse(code, {label, label});
    };
    // A reply row whose value is not a number cannot be compared: refused.
    auto limitOf = [&](const std::string& sql, const char* column, const char* code,
                       double& limit) {
        Variant rows = broker().CallServerMethod("SimpleSQL",
                                                 plat::VarArrayOf({Variant(sql), Variant(column)}));
        Variant cell;
        if (rows.IsEmptyOrNull() || !rows.IsArray() || !FirstCell(rows, cell)) return false;
        if (!TryNumber(cell, limit)) refuseWith(code);
        return true;
    };

    double limit = 0;
    const std::string batch = lineText(mocti::InspectionBatch);
    if (!batch.empty()) {
        std::string sql = std::string(" SELECT ") + inspectionColumn + " FROM $$QMSTD QMSTD " + cr +
                          " WHERE TD001=" + SqlText(type) + cr + " AND TD002=" + SqlText(number) +
                          cr + " AND TD003=" + SqlText(line) + cr + " AND TDC01=" + SqlText(batch) +
                          cr + " ORDER BY TD026 DESC ";
        if (limitOf(sql, inspectionColumn, kInspectionDiffers, limit) &&
            CompareFloats(value, limit) != 0)
            refuseWith(kInspectionDiffers);
    }
    if (!type.empty() && !number.empty() && !line.empty()) {
        std::string sql = std::string(" SELECT ") + arrivalColumn + " FROM $$MOCCD MOCCD " + cr +
                          " WHERE CD001=" + SqlText(type) + cr + " AND CD002=" + SqlText(number) +
                          cr + " AND CD003=" + SqlText(line);
        if (limitOf(sql, arrivalColumn, kArrivalExceeded, limit) && CompareFloats(value, limit) > 0)
            refuseWith(kArrivalExceeded);
    }
}

void TdmKtrb52::deriveRejectedQuantity() {
    if (!arrivalUnlinked()) return;
    const double rejected =
        lineValue(mocti::ReceivedQuantity) - lineValue(mocti::AcceptedQuantity) -
        lineValue(mocti::ScrappedQuantity) - lineValue(mocti::DestroyedQuantity);
    if (CompareFloats(rejected, 0) < 0)
        showMessage(kMsgWarning, kBelowZero,
                    {Variant(LineField(mocti::RejectedQuantity)->DisplayLabel())});
    writeLineQuiet(mocti::RejectedQuantity, NumberText(rejected));
    refreshLineField(mocti::RejectedQuantity);
}

void TdmKtrb52::deriveRejectedPackages(bool fixedWeightOnly) {
    if (!arrivalUnlinked() || (fixedWeightOnly && !fixedWeight())) return;
    const double rejected =
        lineValue(mocti::ReceivedPackages) - lineValue(mocti::ScrappedPackages) -
        lineValue(mocti::AcceptedPackages) - lineValue(mocti::DestroyedPackages);
    if (CompareFloats(rejected, 0) < 0)
        showMessage(kMsgWarning, kBelowZero,
                    {Variant(LineField(mocti::RejectedPackages)->DisplayLabel())});
    writeLineQuiet(mocti::RejectedPackages, NumberText(rejected));
    refreshLineField(mocti::RejectedPackages);
}

void TdmKtrb52::deriveValuationAndStock(bool stockRequired, bool valuationRequired) {
    const double accepted = lineValue(mocti::AcceptedQuantity);
    if (CompareFloats(accepted, 0) == 0) {
        writeLine(mocti::PricingQuantity, "0");
        writeLine(mocti::StockQuantity, "0");
        return;
    }
    const std::string unit = lineText(mocti::Unit), priceUnit = lineText(mocti::PricingUnit);
    double stock = 0;
    if (stockRequired)
        writeLineNumber(mocti::StockQuantity,
                        convertRequired(accepted, unit, lineText(mocti::StockUnit)));
    else if (convertQuantity(accepted, unit, lineText(mocti::StockUnit), stock))
        writeLineNumber(mocti::StockQuantity, stock);
    const double valued = accepted + lineValue(mocti::DestroyedQuantity);
    double converted = 0;
    if (unit == priceUnit)
        writeLineNumber(mocti::PricingQuantity, valued);
    else if (valuationRequired)
        writeLineNumber(mocti::PricingQuantity, convertRequired(valued, unit, priceUnit));
    else if (convertQuantity(valued, unit, priceUnit, converted))
        writeLineNumber(mocti::PricingQuantity, converted);
}

}  // namespace ktrb
