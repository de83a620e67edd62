// The item of a receipt line: the code typed or scanned is completed, and
// the line is filled from the item master (a formal item) or from the
// engineering item master and its price list (an engineering item). While
// the work-order rule fills the line, only the item's own checks run.
#include <string>

#include "dataframe/knlRadical.h"
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
// Reply positions of the engineering item's price list (table "C", query "48").
constexpr int kListPrice = 8, kFallbackPrice = 10;

}  // namespace

void TdmKtrb52::cdsBody1TI004SetText(TField* Sender, const std::string& Text) {
    if (ReceiptForm().ValidationActive() && lineText("TIC01") == kFormalItem)
        BarCodeFieldSetText(Sender, Text, plat::VarArrayOf({Variant(Text)}), "63", "INVMB");
    else
        Sender->SetAsString(Text);
}

void TdmKtrb52::cdsBody1TI004Validate(TField* Sender) {
    IKtrb52Owner& form = ReceiptForm();
    const std::string item = Sender->AsString();
    const std::string accepted = lineText("TI004_OLD");
    if (item != accepted && !cdsFoot->IsEmpty()) {
        showMessage(kMsgError, "201075", {Variant(std::string())});
        SetFieldTextQuiet(Sender, accepted);
        form.SetEditorText("cboTI004G", accepted);
        plat::Abort();
    }
    // The shadow goes back to the earlier item when the change is refused.
    TShadowScope shadow(LineField("TI004_OLD"), item);

    if (!lineText("TIC02").empty() && !lineText("TIC03").empty() && !lineText("TIC04").empty() &&
        !lineText("TIC05").empty()) {
        Variant arrival;
        if (GetLookupValues(
                LineField("TIC04"), "C", "83", arrival,
                plat::VarArrayOf({Variant(lineText("TIC02")), Variant(lineText("TIC03")),
                                  Variant(lineText("TIC04")), Variant(headText("TH005"))})) &&
            hasValues(arrival) && headText("MQC03C") == "Y" && !item.empty() &&
            item != plat::VarToStr(replyValue(arrival, 1)))
            refuseBlank("C00018");
    }

    if (lineText("TIC01") == kEngineeringItem) {
        Variant master;
        CheckValueExists(Sender, "BOMMI", "01", master);
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
        const bool found = GetLookupValues(Sender, "C", "04", warehouse);
        if (item.empty() || (found && hasValues(warehouse))) {
            writeLine("TI009", plat::VarToStr(replyValue(warehouse, 2)));
            writeLine("TI009C", plat::VarToStr(replyValue(warehouse, 3)));
        }
        writeLine("TI060", kNoLocation);
        RepriceLine();
        return;
    }

    Variant row;
    if (!GetLookupValues(Sender, "INVMB", "03", row))
        refuse("000001", {Variant(Sender->DisplayLabel())});
    const bool filling = form.ValidationActive();
    const bool found = filling && hasValues(row) && !item.empty();
    // What can refuse the item is read before anything is written: the
    // item's numbers and the lot record of the line.
    double taxRate = 0;
    int validity = 0, reinspection = 0;
    if (found) {
        taxRate =
            valueNumber(row, itTaxRate, "000001", Variant(LineField("TI004C11")->DisplayLabel()));
        // The periods count only for an item with validity dates.
        if (plat::VarToStr(replyValue(row, itExpiryManaged)) == "Y") {
            validity = (int)valueNumber(row, itValidity, "000001", Variant(Sender->DisplayLabel()));
            reinspection =
                (int)valueNumber(row, itReinspection, "000001", Variant(Sender->DisplayLabel()));
        }
        Variant lot;
        if (GetLookupValues(
                LineField("TI003"), "GMPTG", "01", lot,
                plat::VarArrayOf({Variant("2"), Variant(lineText("TI001")),
                                  Variant(lineText("TI002")), Variant(lineText("TI003"))})) &&
            hasValues(lot) && plat::VarToStr(replyValue(lot, 4)) == item &&
            plat::VarToStr(replyValue(lot, 7)) != lineText("TI010"))
            refuseBlank("200331");
    }
    writeLine("TI004MB454", "N");
    LineField("TI010")->SetReadOnly(lineText("TI004C") == "N");

    if (filling) {
        if (item.empty()) {
            for (const char* name :
                 {"TI008", "TI005", "TI006", "TI009", "TI023", "TI004C2", "TI049", "MB091C"})
                writeLine(name, "");
            writeLine("TI035", "0");
            writeLine("TI004C13", "0");
            writeLine("TI004C14", "0");
        }
        if (!found) return;
        auto value = [&](int index) { return plat::VarToStr(replyValue(row, index)); };
        const Variant priceLabel(LineField("TI024")->DisplayLabel());

        writeLine("TI008", value(itReceiptUnit));
        writeLine("TI005", value(itName));
        writeLine("TI006", value(itSpec));
        writeLine("TI004C2", item);
        writeLine("TI004C10", value(itExpiryManaged));
        writeLine("TI011C", value(itValidity));
        writeLine("TI012C", value(itReinspection));
        {
            TReceiptFlagScope quiet(form, TReceiptFlag::ValidationActive, false, true);
            writeLine("TI009", value(itWarehouse));
            writeLine("TI009C", value(itWarehouseName));
            writeLine("TI023", value(itPricingUnit));
        }
        writeLine("TI004C", value(itLotManaged));
        writeLine("TI004C1", value(itInspection));
        writeLine("TI049", value(itPackagingUnit));
        writeLine("MB091C", value(itFixedWeight));
        writeLine("TI004MB454", value(itSerialManaged));

        for (const char* name : {"TI007", "TI016", "TI017", "TI019", "TI020", "TI021", "TI022",
                                 "TI050", "TI051", "TI056", "TI057"})
            writeLine(name, "0");
        SetFieldText(LineField("TI004C11"), NumberText(taxRate * 100), true);
        writeLine("TI061", value(itStockUnit));

        std::string inspection = "0";
        if (!lineText("TI004C2").empty()) {
            Variant terms;
            if (GetLookupValues(Sender, "PURMD", "01", terms,
                                plat::VarArrayOf({Variant(headText("TH005")), Variant(item),
                                                  Variant("****")})) &&
                hasValues(terms))
                inspection = plat::VarToStr(replyValue(terms, 1)) == "0" ? "0" : "1";
            else
                inspection = value(itInspection) == "0" ? "0" : "1";
        }
        writeLine("TI035", inspection);

        const std::string date = headText("TH029");
        if (lineText("TI004C10") == "Y") {
            for (const char* name : {"TI054", "TI011", "TI012"})
                LineField(name)->SetReadOnly(false);
            writeLine("TI054", date);
            if (value(itPeriodUnit) == "2") {
                writeLine("TI011", EndOfMonthDate(IncYmdDate(Variant(date), "M", validity - 1)));
                writeLine("TI012", IncYmdDate(Variant(date), "M", reinspection));
            } else {
                writeLine("TI011", IncYmdDate(Variant(date), "D", validity));
                writeLine("TI012", IncYmdDate(Variant(date), "D", reinspection));
            }
        } else {
            for (const char* name : {"TI054", "TI011", "TI012"}) {
                writeLine(name, "");
                LineField(name)->SetReadOnly(true);
            }
        }
        ApplyLotAndDateLocks();

        {
            TReceiptFlagScope quiet(form, TReceiptFlag::ValidationActive, false, true);
            Variant price = broker().CallServerMethod(
                "MocUnitPrice",
                plat::VarArrayOf({Variant(item), Variant(lineText("TI015")),
                                  Variant(headText("TH005")), Variant(lineText("TI023")),
                                  Variant(headText("TH007")), Variant(date),
                                  Variant(headText("TH015")), Variant(""), Variant(""),
                                  Variant(HeadField("TH030")->AsString())}));
            writeLineNumber("TI024", replyNumber(price, "000001", priceLabel));
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
            DeriveInspectionState();
            writeLine("TI010", kNoLot);
        }
    }

    UpdatePackagingReadOnly();
    if (form.AmountsFrozen()) writeLineQuiet("TI024", "0");
}

// ---- the unit price of an engineering item ----

void TdmKtrb52::CalcEngineeringItemPrice() {
    Variant list;
    if (!GetLookupValues(LineField("TI004"), "C", "48", list) || !hasValues(list)) return;
    const Variant label(LineField("TI024")->DisplayLabel());
    double price = valueNumber(list, kListPrice, "000001", label);
    if (CompareFloats(price, 0) == 0) price = valueNumber(list, kFallbackPrice, "000001", label);
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
