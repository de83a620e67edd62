// The work order of a receipt line: the line is checked against the work
// order (factory, supplier, currency, dates, status) and then filled from it
// in a fixed order while the item and quantity rules of the fields it writes
// stand back (the session's two flags are off meanwhile and on again
// afterwards, whatever happens).
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

constexpr const char* kFormalItem = "2";

// Reply positions of the work order (MOCTA "32" and "33").
enum TWorkOrderValue {
    woItem = 1,
    woUnit = 2,
    woQuantity = 3,
    woTaken = 5,
    woTakenMore = 6,
    woStatus = 7,
    woKind = 8,
    woFactory = 9,
    woConfirmed = 10,
    woName = 11,
    woSpec = 12,
    woSupplier = 13,
    woDueDate = 14,
    woWarehouse = 15,
    woPrice = 16,
    woPricingUnit = 17,
    woInspection = 18,
    woLotManaged = 19,
    woWarehouseName = 20,
    woValidity = 21,
    woReinspection = 22,
    woCurrency = 26,
    woUrgent = 27,
    woPacks = 28,
    woPacksTaken = 29,
    woPacksTakenMore = 30,
    woPackagingUnit = 31,
    woFixedWeight = 32,
    woClosedDate = 33,
    woOpenedDate = 34,
    woOrderType = 35,
    woOrderNumber = 36,
    woOrderLine = 37,
    woTaxRate = 38,
    woTaxKind = 39,
    woLot = 40,
    woLotText = 41,
    woOverReceipt = 43,
    woMoreTaken = 44,
    woMorePacksTaken = 45,
    woPricingFactor = 48,
    woStockUnit = 49,
    woExpiryManaged = 50,
    woPeriodUnit = 51,
    woScheme = 52
};

}  // namespace

void TdmKtrb52::cdsBody1TI013Validate(TField* Sender) {
    // The type is checked before its work-order number is cleared.
    Variant reply;
    if (!GetLookupValues(Sender, "CMSMQ", "22", reply,
                         plat::VarArrayOf({Variant(Sender->AsString()), Variant("51"),
                                           Variant("52"), Variant("51")})))
        refuseBlank("100007");
    writeLine(mocti::WorkOrderNo, "");
}

void TdmKtrb52::cdsBody1TI014Validate(TField* Sender) {
    const std::string number = Sender->AsString(), type = lineText(mocti::WorkOrderType);
    if (number.empty())
        for (const char* name : {mocti::OrderType, mocti::OrderNo, mocti::OrderLineNo})
            writeLine(name, "");
    if (type.empty() || number.empty()) return;

    {
        TFlagScope validation(Session.ValidationActive, false, true);
        TFlagScope cascade(Session.QuantityEditActive, false, true);
        fillFromWorkOrder(Sender);
    }
    Variant routing;
    if (GetLookupValues(Sender, "SFCTA", "04", routing,
                        plat::VarArrayOf({Variant(type), Variant(number)})) &&
        hasValues(routing))
        showMessage(kMsgWarning, "100094", {Variant(std::string())});
}

namespace {

// A message code of these rules: six digits or capitals, checked when the
// program is compiled.
struct TMessageCode {
    const char* text;
    consteval TMessageCode(const char* code) : text(code) {
        int n = 0;
        for (; code[n]; ++n)
            if (!((code[n] >= '0' && code[n] <= '9') || (code[n] >= 'A' && code[n] <= 'Z')))
                throw "a message code holds digits and capitals only";
        if (n != 6) throw "a message code has six characters";
    }
    operator std::string() const { return text; }
};

constexpr TMessageCode kWorkOrderNotFound = "100061";
constexpr TMessageCode kOpenedAfterReceipt = "100473";
constexpr TMessageCode kWholeOrderOfRework = "100142";
constexpr TMessageCode kClosedBeforePeriod = "100468";
constexpr TMessageCode kWorkOrderClosed = "100033";
constexpr TMessageCode kOtherFactory = "100140";
constexpr TMessageCode kWorkOrderVoided = "100131";
constexpr TMessageCode kWorkOrderUnconfirmed = "100296";
constexpr TMessageCode kOtherCurrency = "100334";
constexpr TMessageCode kOtherSupplier = "100141";
constexpr TMessageCode kDueAfterDocument = "100018";

}  // namespace

struct TdmKtrb52::TWorkOrderFill {
    Variant wo, label;
    bool formal = false, packaged = false;
    std::string item, due, documentDate, price;
    double ordered = 0, open = 0, onHold = 0, openPacks = 0, packsOnHold = 0;
    double taxRate = 0, factor = 0;
    int validity = 0, reinspection = 0;
    // The reply's text at a named position (a bare number does not compile).
    std::string value(TWorkOrderValue at) const { return ReplyText(wo, at); }
};

void TdmKtrb52::fillFromWorkOrder(TField* Sender) {
    const bool formal = lineText(mocti::ItemKind) == kFormalItem;
    const Variant wo = readWorkOrder(Sender, formal);
    writeWorkOrderFill(decideWorkOrderFill(Sender, wo, formal));
}

Variant TdmKtrb52::readWorkOrder(TField* Sender, bool formal) {
    const std::string number = Sender->AsString(), type = lineText(mocti::WorkOrderType);
    const Variant project(sysParam("SYS180") == "Y" ? headText(mocth::Project) : std::string());
    Variant wo;
    bool found = false;
    if (formal)
        found = GetLookupValues(
            Sender, "MOCTA", "32", wo,
            plat::VarArrayOf(
                {Variant(type), Variant(number), Variant("2"), Variant(headText(mocth::Factory)),
                 Variant(""), Variant(headText(mocth::Supplier)), Variant(""),
                 Variant(headText(mocth::Currency)), Variant(headText(mocth::TaxKind)), project}));
    else
        found = GetLookupValues(Sender, "MOCTA", "33", wo,
                                plat::VarArrayOf({Variant(type), Variant(number), project}));
    if (!found || !hasValues(wo)) refuse(kWorkOrderNotFound, {Variant(Sender->DisplayLabel())});
    auto value = [&](TWorkOrderValue at) { return ReplyText(wo, at); };

    const std::string receiptDate = headText(mocth::ReceiptDate),
                      documentDate = headText(mocth::DocDate);
    if (value(woOpenedDate) > receiptDate) refuseBlank(kOpenedAfterReceipt);
    if (value(woKind) == "1" && lineText(mocti::Process) == kWholeWorkOrder)
        refuseBlank(kWholeOrderOfRework);
    if (value(woStatus) == "Y" || value(woStatus) == "y") {
        if (value(woClosedDate).substr(0, 6) < documentDate.substr(0, 6))
            refuseBlank(kClosedBeforePeriod);
        showMessage(kMsgWarning, kWorkOrderClosed, {Variant(std::string())});
    }
    if (value(woFactory) != headText(mocth::Factory)) refuseBlank(kOtherFactory);
    if (value(woConfirmed) == "V") refuseBlank(kWorkOrderVoided);
    if (value(woConfirmed) == "N") refuseBlank(kWorkOrderUnconfirmed);
    if (value(woCurrency) != headText(mocth::Currency)) refuseBlank(kOtherCurrency);
    if (value(woSupplier) != headText(mocth::Supplier) &&
        lineText(mocti::Process) == kWholeWorkOrder && !value(woSupplier).empty())
        refuseBlank(kOtherSupplier);
    const std::string due = value(woDueDate);
    if (!due.empty() && due > documentDate)
        showMessage(kMsgWarning, kDueAfterDocument, {Variant(std::string())});
    return wo;
}

TdmKtrb52::TWorkOrderFill TdmKtrb52::decideWorkOrderFill(TField* Sender, const Variant& wo,
                                                         bool formal) {
    TWorkOrderFill f;
    f.wo = wo;
    f.label = Variant(Sender->DisplayLabel());
    f.formal = formal;
    f.documentDate = headText(mocth::DocDate);
    f.due = f.value(woDueDate);
    auto number = [&](TWorkOrderValue at) {
        return valueNumber(wo, at, kWorkOrderNotFound, f.label);
    };
    f.item = f.value(woItem);
    f.ordered = number(woQuantity);
    // The work order's quantities and its packages are open alike.
    auto open = [&](const TWorkOrderValue(&parts)[4]) {
        return OpenWorkOrderQuantity(
            [&](TWorkOrderPart part) { return number(parts[static_cast<int>(part)]); }, 0,
            Session.MocParam1, Session.MocParam2);
    };
    f.open = open({woQuantity, woTaken, woTakenMore, woMoreTaken});
    f.packaged = formal && !f.value(woPackagingUnit).empty() && sysParam("SYS024") == "3";
    if (f.packaged) f.openPacks = open({woPacks, woPacksTaken, woPacksTakenMore, woMorePacksTaken});
    const Variant holdArgs =
        plat::VarArrayOf({Variant(f.item), Variant(""), Variant("N"),
                          Variant(lineText(mocti::WorkOrderType)), Variant(Sender->AsString())});
    f.onHold =
        replyNumber(broker().CallServerMethod("MocOnHold", holdArgs), kWorkOrderNotFound, f.label);
    f.packsOnHold = formal ? replyNumber(broker().CallServerMethod("MocOnHoldpack", holdArgs),
                                         kWorkOrderNotFound, f.label)
                           : 0;
    const std::string rateText = f.value(woTaxRate);
    f.taxRate = rateText.empty() || rateText == "N" || rateText == "Y" ? 0 : number(woTaxRate);
    f.factor = number(woPricingFactor);
    // The periods count only for an item with validity dates.
    const bool dated = formal && f.value(woExpiryManaged) == "Y";
    f.validity = dated ? (int)number(woValidity) : 0;
    f.reinspection = dated ? (int)number(woReinspection) : 0;
    f.price = f.value(woPrice);
    if (headText(mocth::TaxKind) == f.value(woTaxKind)) {
        number(woPrice);
    } else {
        Variant changed = broker().CallServerMethod(
            "ChangeTax", plat::VarArrayOf({ReplyAt(wo, woPrice), Variant(headText(mocth::TaxKind)),
                                           ReplyAt(wo, woTaxKind), Variant(sysParam("SYS003")),
                                           Variant(sysParam("SYS004"))}));
        f.price = NumberText(replyNumber(changed, kWorkOrderNotFound, f.label));
    }
    return f;
}

void TdmKtrb52::writeWorkOrderFill(const TWorkOrderFill& f) {
    auto value = [&](TWorkOrderValue at) { return f.value(at); };
    const std::string& item = f.item;
    const std::string& documentDate = f.documentDate;
    const double open = f.open, onHold = f.onHold, ordered = f.ordered, factor = f.factor;
    if (!f.due.empty() && f.due < documentDate) writeLine(mocti::Overdue, "Y");
    writeLine(mocti::Item, item);
    writeLine(mocti::PackagingUnit, value(woPackagingUnit));
    writeLine(mocti::Warehouse, value(woWarehouse));
    writeLine(mocti::WarehouseName, value(woWarehouseName));
    writeLine(mocti::FixedWeight, value(woFixedWeight));
    writeLine(mocti::WorkOrderProduct, item);
    writeLine(mocti::StockItem, item);
    Variant master;
    if (GetLookupValues(LineField(mocti::Item), "INVMB", "03", master,
                        plat::VarArrayOf({Variant(item)})) &&
        hasValues(master))
        writeLine(mocti::ItemSerialManaged, ReplyText(master, 76));
    else
        writeLine(mocti::ItemSerialManaged, "N");
    writeLine(mocti::ItemName, value(woName));
    writeLine(mocti::ItemSpec, value(woSpec));
    writeLine(mocti::Unit, value(woUnit));
    writeLine(mocti::WorkOrderPlanned, value(woQuantity));
    writeLine(mocti::WorkOrderReceived, value(woTaken));
    writeLine(mocti::WorkOrderScrapped, value(woTakenMore));
    writeLine(mocti::WorkOrderPackagesReceived, value(woPacksTaken));
    writeLine(mocti::WorkOrderPackages, value(woPacks));
    writeLine(mocti::WorkOrderPackagesScrapped, value(woPacksTakenMore));
    SetFieldText(LineField(mocti::ItemTaxRate), NumberText(f.taxRate * 100), true);
    writeLine(mocti::ItemOverReceiptRate, value(woOverReceipt));
    writeLine(mocti::OrderType, value(woOrderType));
    writeLine(mocti::OrderNo, value(woOrderNumber));
    writeLine(mocti::OrderLineNo, value(woOrderLine));
    writeLineNumber(mocti::ReceivedQuantity, open - onHold);
    // Packages on hold count only where packaging quantities are kept.
    if (f.packaged)
        writeLineNumber(mocti::ReceivedPackages, f.openPacks - f.packsOnHold);
    else
        writeLine(mocti::ReceivedPackages, "0");
    writeLine(mocti::Lot, value(woLot));
    writeLine(mocti::LotNote, value(woLotText));
    writeLine(mocti::StockUnit, value(woUnit));
    writeLine(mocti::AcceptedQuantity, lineText(mocti::ReceivedQuantity));
    writeLine(mocti::UnitPrice, f.price);
    writeLine(mocti::PricingUnit, value(woPricingUnit));
    writeLine(mocti::ItemLotManaged, value(woLotManaged));
    writeLine(mocti::Urgent, value(woUrgent));

    if (!f.formal) {
        const double accepted = open - onHold;
        writeLineNumber(mocti::AcceptedQuantity, accepted);
        if (ordered != 0)
            writeLineNumber(mocti::PricingQuantity, accepted / ordered * factor);
        else
            writeLine(mocti::PricingQuantity, "0");
        writeLine(mocti::StockQuantity, lineText(mocti::AcceptedQuantity));
        for (const char* name :
             {mocti::ScrappedQuantity, mocti::RejectedQuantity, mocti::AcceptedPackages})
            writeLine(name, "0");
        return;
    }

    writeLine(mocti::ItemDated, value(woExpiryManaged));
    if (lineText(mocti::ItemDated) == "Y") {
        for (const char* name : {mocti::ProductionDate, mocti::ExpiryDate, mocti::RecheckDate})
            LineField(name)->SetReadOnly(false);
        writeLine(mocti::ProductionDate, documentDate);
        if (value(woPeriodUnit) == "2") {
            writeLine(mocti::ExpiryDate,
                      EndOfMonthDate(IncYmdDate(Variant(documentDate), "M", f.validity - 1)));
            writeLine(mocti::RecheckDate, IncYmdDate(Variant(documentDate), "M", f.reinspection));
        } else {
            writeLine(mocti::ExpiryDate, IncYmdDate(Variant(documentDate), "D", f.validity));
            writeLine(mocti::RecheckDate, IncYmdDate(Variant(documentDate), "D", f.reinspection));
        }
    } else {
        for (const char* name : {mocti::ProductionDate, mocti::ExpiryDate, mocti::RecheckDate}) {
            writeLine(name, "");
            LineField(name)->SetReadOnly(true);
        }
    }
    writeLine(mocti::Configuration, value(woScheme));
    ApplyLotAndDateLocks();
    if (value(woLot).empty()) writeLine(mocti::Lot, kNoLot);
    if (!value(woScheme).empty() && lineText(mocti::ItemLotManaged) != "N")
        LineField(mocti::Lot)->SetReadOnly(true);

    std::string inspection = "0";
    if (!lineText(mocti::StockItem).empty()) {
        Variant terms;
        if (GetLookupValues(LineField(mocti::Item), "PURMD", "01", terms,
                            plat::VarArrayOf({Variant(headText(mocth::Supplier)), Variant(item),
                                              Variant("****")})) &&
            hasValues(terms))
            inspection = ReplyText(terms, 1) == "0" ? "0" : "1";
        else
            inspection = value(woInspection) == "0" ? "0" : "1";
    }
    writeLine(mocti::InspectionState, inspection);
    for (const char* name : {mocti::ScrappedQuantity, mocti::RejectedQuantity,
                             mocti::ScrappedPackages, mocti::RejectedPackages})
        writeLine(name, "0");
    writeLine(mocti::StockUnit, value(woStockUnit));
    if (inspection == "0") {
        const double accepted = lineValue(mocti::AcceptedQuantity);
        if (accepted == 0) {
            writeLine(mocti::PricingQuantity, "0");
        } else {
            if (CompareFloats(ordered, 0) == 0)
                writeLine(mocti::PricingQuantity, "0");
            else
                writeLineNumber(mocti::PricingQuantity, accepted / ordered * factor);
            double stock = 0;
            if (convertQuantity(accepted, lineText(mocti::Unit), lineText(mocti::StockUnit), stock))
                writeLineNumber(mocti::StockQuantity, stock);
            writeLine(mocti::AcceptedPackages, lineText(mocti::ReceivedPackages));
        }
    } else {
        for (const char* name : {mocti::AcceptedQuantity, mocti::PricingQuantity,
                                 mocti::AcceptedPackages, mocti::StockQuantity})
            writeLine(name, "0");
        DeriveInspectionState();
    }
}

}  // namespace ktrb
