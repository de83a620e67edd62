// The link of a receipt line to an arrival-note line and its inspection
// result, the item kind of the line (engineering or formal item) with the
// editors and menus that follow it, and the header scroll that sets the link
// fields' read-only states from the document type.
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

constexpr const char* kEngineeringItem = "1";

// Memo lines of the editors' lookup texts.
constexpr int kItemHint = 0, kEngineeringItemHint = 1, kWorkOrderHint = 2, kItemAttributesHint = 3,
              kArrivalHint = 4, kInspectionHint = 6;
const std::pair<const char*, int> kFormalItemHints[] = {
    {"cboTI008G", 7},  {"cboTI015G", 11}, {"cboTI009G", 8}, {"cboTI010G", 9},  {"cboTI054G", 10},
    {"cboTI011G", 10}, {"cboTI012G", 10}, {"cboTI023G", 7}, {"cboTI032G", 12},
};
const char* const kPackagingFields[] = {mocti::ReceivedPackages, mocti::AcceptedPackages,
                                        mocti::ScrappedPackages, mocti::RejectedPackages,
                                        mocti::DestroyedPackages};
const char* const kEngineeringLocked[] = {mocti::Unit,        mocti::Process,
                                          mocti::Warehouse,   mocti::ProductionDate,
                                          mocti::PricingUnit, mocti::Project};

// Reply positions of the arrival line (MOCCD "01").
enum TArrivalValue {
    arItem = 1,
    arName = 2,
    arSpec = 3,
    arWarehouse = 4,
    arQuantity = 5,
    arReceived = 7,
    arUnit = 8,
    arRemark = 15,
    arProject = 16,
    arStockUnit = 19,
    arPackagingUnit = 20,
    arWorkOrderType = 25,
    arWorkOrder = 26
};

}  // namespace

void TdmKtrb52::cdsBody1TIC01Validate(TField* Sender) {
    writeLine(mocti::Item, "");
    auto lock = [this](const char* name, bool on) { LineField(name)->SetReadOnly(on); };
    if (Sender->AsString() == kEngineeringItem) {
        writeLine(mocti::InspectionState, "0");
        for (const char* name : {mocti::PackagingUnit, mocti::ExpiryDate, mocti::RecheckDate}) {
            writeLine(name, "");
            lock(name, true);
        }
        for (const char* name : kPackagingFields) {
            writeLine(name, "0");
            lock(name, true);
        }
        writeLine(mocti::Lot, kNoLot);
        for (const char* name : kEngineeringLocked) lock(name, true);
        for (const auto& [editor, line] : kFormalItemHints) showEditorHint(editor, {});
        showQueryMenu(false);
        showEditorHint("cboTI004G", {kEngineeringItemHint, kWorkOrderHint});
        showF11Fields("");
        return;
    }
    lock(mocti::PackagingUnit, false);
    if (lineText(mocti::ItemDated) == "Y")
        for (const char* name : {mocti::ExpiryDate, mocti::RecheckDate, mocti::ProductionDate})
            lock(name, false);
    UpdatePackagingReadOnly();
    lock(mocti::Unit, false);
    lock(mocti::Process, false);
    writeLineQuiet(mocti::Process, kWholeWorkOrder);
    lock(mocti::Warehouse, false);
    lock(mocti::PricingUnit, false);
    // As the line scroll would: the project is the user's unless projects
    // are in use.
    if (sysParam("SYS180") != "Y") lock(mocti::Project, false);
    showQueryMenu(true);
    for (const auto& [editor, line] : kFormalItemHints) showEditorHint(editor, {line});
    const int via = headText(mocth::ChecksArrival) == "Y" ? kArrivalHint : kWorkOrderHint;
    showEditorHint("cboTI004G", {kItemHint, via, kItemAttributesHint});
    showF11Fields("cdsBody1:TI004");
}

void TdmKtrb52::cdsBody1TIC02Validate(TField*) {
    writeLine(mocti::ArrivalNo, "");
}

void TdmKtrb52::cdsBody1TIC03Validate(TField*) {
    writeLine(mocti::ArrivalLineNo, "");
}

void TdmKtrb52::cdsBody1TIC04Validate(TField* Sender) {
    const std::string type = lineText(mocti::ArrivalType), number = lineText(mocti::ArrivalNo),
                      line = Sender->AsString();
    // Line validations look up and fill only once the clerk works on the document.
    const bool linked =
        Session.ValidationActive && !type.empty() && !number.empty() && !line.empty();
    // The arrival line is looked up before the batch of the old one is cleared.
    Variant arrival;
    if (linked &&
        !GetLookupValues(
            Sender, "MOCCD", "01", arrival,
            plat::VarArrayOf(
                {Variant(type), Variant(number), Variant(line), Variant(headText(mocth::Supplier)),
                 Variant(sysParam("SYS180") == "Y" ? headText(mocth::Project) : std::string())})))
        refuseBlank("100061");
    writeLine(mocti::InspectionBatch, "");
    showEditorHint("cboTIC05G", {});
    if (linked) {
        if (!hasValues(arrival)) return;
        auto value = [&](int index) { return ReplyText(arrival, index); };
        const Variant empty{std::string()};
        const double received = valueNumber(arrival, arQuantity, "100061", empty) -
                                valueNumber(arrival, arReceived, "100061", empty);
        // The arrival line's work order, read before the line is written.
        Variant order;
        const bool orderFound = GetLookupValues(
            Sender, "MOCTA", "01", order,
            plat::VarArrayOf({Variant(value(arWorkOrderType)), Variant(value(arWorkOrder))}));
        const std::string rateText = ReplyText(order, 38);
        const bool orderValues = orderFound && hasValues(order);
        const double rate = !orderValues || rateText.empty() || rateText == "N" || rateText == "Y"
                                ? 0
                                : valueNumber(order, 38, "100061", empty);
        writeLine(mocti::Item, value(arItem));
        writeLine(mocti::WorkOrderProduct, value(arItem));
        writeLine(mocti::StockItem, value(arItem));
        writeLine(mocti::ItemName, value(arName));
        writeLine(mocti::ItemSpec, value(arSpec));
        writeLine(mocti::Warehouse, value(arWarehouse));
        writeLine(mocti::Unit, value(arUnit));
        writeLine(mocti::PackagingUnit, value(arPackagingUnit));
        {
            // The accepted quantity is not spread from the received one here:
            // it comes from the inspection result, or is copied below.
            TFlagScope noSpread(Session.QuantityEditActive, false, true);
            writeLineNumber(mocti::ReceivedQuantity, received);
        }
        writeLine(mocti::Remark, value(arRemark));
        writeLine(mocti::Project, value(arProject));
        writeLineQuiet(mocti::StockUnit, value(arStockUnit));
        writeLineQuiet(mocti::WorkOrderType, value(arWorkOrderType));
        writeLineQuiet(mocti::WorkOrderNo, value(arWorkOrder));

        if (orderValues) writeOrderLookupFields(order, rate);
        if (headText(mocth::ChecksInspection) != "Y")
            writeLine(mocti::AcceptedQuantity, lineText(mocti::ReceivedQuantity));
    }
    if (!line.empty() && headText(mocth::ChecksInspection) == "Y")
        showEditorHint("cboTIC05G", {kInspectionHint});
}

void TdmKtrb52::writeOrderLookupFields(const Variant& order, double taxRate) {
    auto orderValue = [&](int index) { return ReplyText(order, index); };
    const std::pair<const char*, int> hidden[] = {
        {mocti::WorkOrderPlanned, 3},   {mocti::WorkOrderReceived, 5},
        {mocti::WorkOrderScrapped, 6},  {mocti::WorkOrderPackagesReceived, 29},
        {mocti::WorkOrderPackages, 28}, {mocti::WorkOrderPackagesScrapped, 30}};
    for (const auto& [name, index] : hidden) writeLine(name, orderValue(index));
    SetFieldText(LineField(mocti::ItemTaxRate), NumberText(taxRate * 100), true);
    writeLine(mocti::ItemOverReceiptRate, orderValue(43));
    writeLine(mocti::OrderType, orderValue(35));
    writeLine(mocti::OrderNo, orderValue(36));
    writeLine(mocti::OrderLineNo, orderValue(37));
}

void TdmKtrb52::cdsBody1TIC05Validate(TField* Sender) {
    if (!Session.ValidationActive || !arrivalLinked() || headText(mocth::ChecksInspection) != "Y")
        return;
    const std::string type = lineText(mocti::ArrivalType), number = lineText(mocti::ArrivalNo),
                      line = lineText(mocti::ArrivalLineNo), batch = Sender->AsString();
    const Variant project(sysParam("SYS180") == "Y" ? headText(mocth::Project) : std::string());
    Variant result;
    if (!GetLookupValues(
            Sender, "QMSTD", "09", result,
            plat::VarArrayOf({Variant(type), Variant(number), Variant(line), Variant(batch),
                              Variant(type), Variant(number), Variant(line),
                              Variant(lineText(mocti::DocType)), Variant(lineText(mocti::DocNo)),
                              Variant(type), Variant(number), Variant(line), Variant(batch),
                              project})) ||
        !hasValues(result))
        return;
    // Inspected quantities, by reply position; read before anything is written.
    const std::pair<const char*, int> quantities[] = {
        {mocti::AcceptedQuantity, 2},  {mocti::RejectedQuantity, 3}, {mocti::DestroyedQuantity, 4},
        {mocti::ScrappedQuantity, 5},  {mocti::AcceptedPackages, 6}, {mocti::RejectedPackages, 7},
        {mocti::DestroyedPackages, 8}, {mocti::ScrappedPackages, 9}};
    double value[10] = {};
    for (const auto& [name, index] : quantities)
        value[index] = valueNumber(result, index, "C00017", Variant());
    writeLineQuiet(mocti::InspectionCount, ReplyText(result, 10));
    for (const auto& [name, index] : quantities) writeLineQuiet(name, NumberText(value[index]));
    double valued = 0;
    if (convertQuantity(lineValue(mocti::AcceptedQuantity) + lineValue(mocti::DestroyedQuantity),
                        lineText(mocti::Unit), lineText(mocti::PricingUnit), valued))
        writeLineQuiet(mocti::PricingQuantity, NumberText(valued));
    writeLineQuiet(mocti::StockQuantity, NumberText(value[2]));
    writeLineQuiet(
        mocti::ReceivedQuantity,
        NumberText(lineValue(mocti::AcceptedQuantity) + lineValue(mocti::RejectedQuantity) +
                   lineValue(mocti::DestroyedQuantity) + lineValue(mocti::ScrappedQuantity)));
    writeLineQuiet(
        mocti::ReceivedPackages,
        NumberText(lineValue(mocti::AcceptedPackages) + lineValue(mocti::RejectedPackages) +
                   lineValue(mocti::DestroyedPackages) + lineValue(mocti::ScrappedPackages)));
    writeLineQuiet(mocti::InspectionState,
                   CompareFloats(lineValue(mocti::RejectedQuantity), 0) > 0 ? "3" : "2");
}

void TdmKtrb52::cdsMainAfterScroll(plat::TDataSet* DataSet) {
    TdmDouble::cdsMainAfterScroll(DataSet);
    const std::string arrivals = headText(mocth::ChecksArrival),
                      inspections = headText(mocth::ChecksInspection);
    for (const char* name : {mocti::WorkOrderType, mocti::WorkOrderNo})
        LineField(name)->SetReadOnly(arrivals == "Y");
    for (const char* name : {mocti::ArrivalType, mocti::ArrivalNo, mocti::ArrivalLineNo})
        LineField(name)->SetReadOnly(arrivals == "N");
    LineField(mocti::InspectionBatch)->SetReadOnly(inspections == "N");
    view_.ProjectEditLocked = false;
    viewChanged(TKtrb52Part::ProjectEdit);
}

}  // namespace ktrb
