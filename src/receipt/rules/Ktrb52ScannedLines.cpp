// The receipt lines of a work order read from its barcode: one line for each
// row of the work order, written with the rules detached and then given the
// look-up columns a typed work order would give it.
#include <cmath>
#include <string>
#include <vector>

#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "receipt/rules/FieldCodes.h"
#include "receipt/rules/Ktrb52CD.h"
#include "receipt/rules/Ktrb52CD_Support.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::Variant;

namespace {

// The work order's row the lines are built from, in the statement's order.
enum TScannedOrder {
    soItem,           // TA006
    soName,           // TA034
    soSpec,           // TA035
    soPlanned,        // TA015
    soReceived,       // TA017
    soScrapped,       // TA018
    soRejected,       // TA060
    soUnit,           // TA023
    soWarehouse,      // TA020
    soType,           // TA001
    soNumber,         // TA002
    soPackagingUnit,  // TA048
    soPricingUnit,    // TA023
    soPrice,          // TA022
    soDueDate,        // TA010
    soRemark,         // TA029
    soTA044,          // TA044
    soLotText,        // TA058
    soAllowance,      // MB402
    soDated,          // MB127
    soDatedBy,        // MB435
    soValidity,       // MB023
    soReinspection,   // MB024
    soFixedWeight,    // MB091
    soInspection,     // MB043
    soStockUnit,      // MB004
    soProject,        // TA083
    soSerialManaged   // MB454
};

constexpr const char* kScannedColumns =
    "TA006,TA034,TA035,TA015,TA017,TA018,TA060,TA023,TA020,TA001,"
    "TA002,TA048,TA023,TA022,TA010,TA029,TA044,TA058,MB402,MB127,"
    "MB435,MB023,MB024,MB091,MB043,MB004,TA083,MB454";

std::string Cell(const Variant& row, int index) {
    return plat::Trim(ReplyText(row, index));
}

double Number(const Variant& v) {
    if (v.IsEmpty() || v.IsNull()) return 0;
    if (v.IsArray()) return Number(ReplyAt(v, 0));
    if (v.IsNumeric()) return v.AsFloat();
    return plat::StrToFloatDef(plat::Trim(plat::VarToStr(v)), 0);
}

// A count of periods read from the item master; out-of-range values count none.
int Periods(double v) {
    if (!std::isfinite(v) || v < -36500 || v > 36500) return 0;
    return static_cast<int>(v);
}

}  // namespace

void TdmKtrb52::AddLinesFromWorkOrder(const std::string& type, const std::string& number) {
    TBrokers& b = broker();
    // The work-order parameters as they stand now, not as the form read them.
    std::string moc1, moc2;
    {
        const std::vector<Variant> params = ReplyRows(b.CallServerMethod(
            "SimpleSQL", plat::VarArrayOf({Variant(" SELECT MB001,MB002 FROM $$MOCMB "),
                                           Variant("MB001,MB002")})));
        if (!params.empty()) {
            moc1 = Cell(params.front(), 0);
            moc2 = Cell(params.front(), 1);
        }
    }
    const std::string receiptDate = headText(mocth::DocDate);
    const std::string sql =
        " SELECT TA006,TA034,TA035,TA015,TA017,TA018,TA060,TA023,TA020,TA001,\r"
        "        TA002,TA048,TA023,TA022,TA010,TA029,TA044,TA058,\r"
        "        MB402,MB127,MB435,MB023,MB024,MB091,MB043,MB004,TA083,MB454 \r"
        " FROM $$MOCTA \r"
        " LEFT JOIN $$INVMB AS INVMB ON TA006=MB001 \r"
        " WHERE TA001=" +
        plat::QuotedStr(type) + " AND TA002=" + plat::QuotedStr(number) +
        " AND TA013='Y' AND (TA011<>'Y' AND TA011<>'y') AND TA030='2' ";
    const std::vector<Variant> rows = ReplyRows(
        b.CallServerMethod("SimpleSQL", plat::VarArrayOf({Variant(sql), Variant(kScannedColumns),
                                                          Variant(b.SignOnKey), Variant("N")})));
    if (rows.empty()) return;

    plat::TClientDataSet* lines = cdsBody1;
    lines->DisableControls();
    struct Enable {
        plat::TDataSet* ds;
        ~Enable() { ds->EnableControls(); }
    } enable{lines};
    auto convert = [&](const std::string& item, double quantity, const std::string& from,
                       const std::string& to) {
        return Number(b.CallServerMethod(
            "UnitConvert",
            plat::VarArrayOf({Variant(item), Variant(quantity), Variant(from), Variant(to)})));
    };
    for (const Variant& wo : rows) {
        const std::string item = Cell(wo, soItem), unit = Cell(wo, soUnit),
                          pricingUnit = Cell(wo, soPricingUnit), warehouse = Cell(wo, soWarehouse);
        const double price = Number(ReplyAt(wo, soPrice));
        const double quantity = OpenWorkOrderQuantity(
            [&](TWorkOrderPart part) {
                switch (part) {
                    case TWorkOrderPart::Planned:
                        return Number(ReplyAt(wo, soPlanned));
                    case TWorkOrderPart::Received:
                        return Number(ReplyAt(wo, soReceived));
                    case TWorkOrderPart::Scrapped:
                        return Number(ReplyAt(wo, soScrapped));
                    case TWorkOrderPart::Rejected:
                        break;
                }
                return Number(ReplyAt(wo, soRejected));
            },
            Number(ReplyAt(wo, soAllowance)), moc1, moc2);

        Variant terms;
        std::string flag = Cell(wo, soInspection);
        if (b.CheckValue("PURMD", "01",
                         plat::VarArrayOf(
                             {Variant(headText(mocth::Supplier)), Variant(item), Variant("****")}),
                         terms))
            flag = Cell(terms, 0);
        const std::string inspection = flag == "0" ? "0" : "1";
        const double accepted = inspection == "0" ? quantity : 0;

        double stock = 0, pricing = 0;
        if (CompareFloats(accepted, 0) != 0) {
            stock = convert(item, accepted, unit, Cell(wo, soStockUnit));
            pricing = unit == pricingUnit ? accepted : convert(item, accepted, unit, pricingUnit);
        }

        std::string produced, valid, recheck;
        if (Cell(wo, soDated) == "Y") {
            produced = receiptDate;
            const std::string step = Cell(wo, soDatedBy) == "2" ? "M" : "D";
            valid = IncYmdDate(Variant(produced), step, Periods(Number(ReplyAt(wo, soValidity))));
            recheck =
                IncYmdDate(Variant(produced), step, Periods(Number(ReplyAt(wo, soReinspection))));
        }

        const std::string packUnit = Cell(wo, soPackagingUnit);
        double packs = 0, acceptedPacks = 0;
        if (sysParam("SYS024") == "3" && !packUnit.empty() && Cell(wo, soFixedWeight) == "y") {
            packs = convert(item, quantity, packUnit, unit);
            acceptedPacks = inspection == "0" ? packs : 0;
        }

        const std::string due = Cell(wo, soDueDate);
        const std::string overdue = due.empty() ? "N" : due < receiptDate ? "Y" : "N";

        const std::string currency = headText(mocth::Currency), local = sysParam("SYS003");
        const Variant taxInput = plat::VarArrayOf(
            {Variant(currency), Variant(local), HeadField(mocth::TaxRate)->Value(),
             Variant(headText(mocth::TaxKind)), HeadField(mocth::ExchangeRate)->Value(),
             Variant(GetCurrencyDigits(currency, TCurrencyDigitType::cdtMoney)),
             Variant(GetCurrencyDigits(local, TCurrencyDigitType::cdtMoney)),
             Variant(pricing * price - 0), Variant(pricing), Variant(price)});
        const std::string invoice = headText(mocth::InvoiceKind);
        const Variant tax =
            (invoice == "T" || invoice == "W" || invoice == "A") && headText(mocth::TaxKind) == "1"
                ? SplitTaxByRate(taxInput)
                : SplitTaxAmounts(taxInput);

        std::string location;
        if (sysParam("SYS093") == "N") {
            location = kLocationsUnused;
        } else {
            Variant stored;
            if (b.CheckValue("INVMC", "01", plat::VarArrayOf({Variant(item), Variant(warehouse)}),
                             stored)) {
                location = Cell(stored, 12);
                if (location.empty()) location = kNoLocation;
            }
        }

        lines->Append();
        auto put = [&](const char* name, const std::string& text) {
            SetFieldTextQuiet(LineField(name), text);
        };
        auto putNumber = [&](const char* name, double value) {
            put(name, plat::FloatToStr(value));
        };
        put(mocti::Item, item);
        SetFieldText(LineField(mocti::WorkOrderProduct), item);
        put(mocti::ItemName, Cell(wo, soName));
        put(mocti::ItemSpec, Cell(wo, soSpec));
        putNumber(mocti::ReceivedQuantity, quantity);
        put(mocti::Unit, unit);
        put(mocti::Warehouse, warehouse);
        CheckValueAndFill(LineField(mocti::Warehouse), "CMSMC", "01",
                          plat::VarArrayOf({Variant(warehouse)}), mocti::WarehouseName);
        put(mocti::Lot, kNoLot);
        put(mocti::ExpiryDate, valid);
        put(mocti::RecheckDate, recheck);
        put(mocti::WorkOrderType, type);
        put(mocti::WorkOrderNo, number);
        put(mocti::Process, kWholeWorkOrder);
        putNumber(mocti::ReceivedPackages, packs);
        putNumber(mocti::AcceptedPackages, acceptedPacks);
        put(mocti::AcceptanceDate, receiptDate);
        putNumber(mocti::AcceptedQuantity, accepted);
        putNumber(mocti::PricingQuantity, pricing);
        for (const char* name : {mocti::ScrappedQuantity, mocti::RejectedQuantity}) put(name, "0");
        put(mocti::PricingUnit, pricingUnit);
        putNumber(mocti::UnitPrice, price);
        putNumber(mocti::ProcessingAmount, pricing * price);
        for (const char* name : {mocti::DeductionAmount, mocti::ReceiptCost}) put(name, "0");
        for (const char* name :
             {mocti::DeductionNote, mocti::PayableType, mocti::PayableNo, mocti::PayableLineNo})
            put(name, "");
        put(mocti::Project, Cell(wo, soProject));
        put(mocti::PaymentHold, "N");
        put(mocti::Overdue, overdue);
        put(mocti::InspectionState, inspection);
        for (const char* name :
             {mocti::RejectCode, mocti::ConfirmCode, mocti::InvoicedCode, mocti::UpdateCode})
            put(name, "N");
        put(mocti::Remark, Cell(wo, soRemark));
        for (const char* name : {mocti::CostEntryMade, mocti::ExpenseEntryMade}) put(name, "N");
        put(mocti::Confirmer, "");
        putNumber(mocti::NetAmount, Number(ReplyAt(tax, 0)));
        putNumber(mocti::TaxAmount, Number(ReplyAt(tax, 1)));
        putNumber(mocti::LocalNetAmount, Number(ReplyAt(tax, 2)));
        putNumber(mocti::LocalTaxAmount, Number(ReplyAt(tax, 3)));
        put(mocti::Urgent, Cell(wo, soTA044));
        put(mocti::PackagingUnit, packUnit);
        for (const char* name : {mocti::ScrappedPackages, mocti::RejectedPackages,
                                 mocti::InvoicedQuantity, mocti::InvoicedDeduction})
            put(name, "0");
        put(mocti::ProductionDate, produced);
        put(mocti::LotNote, Cell(wo, soLotText));
        for (const char* name : {mocti::DestroyedQuantity, mocti::DestroyedPackages})
            put(name, "0");
        put(mocti::ConversionRate, "1");
        put(mocti::ScrapCode, "N");
        put(mocti::Location, location);
        put(mocti::StockUnit, Cell(wo, soStockUnit));
        putNumber(mocti::StockQuantity, stock);
        put(mocti::Estimated, "N");
        put(mocti::ItemSerialManaged, Cell(wo, soSerialManaged));
        // A built line carries what a typed item and work order would give it.
        FillLineLookupFields();
        lines->Post();
    }
}

}  // namespace ktrb
