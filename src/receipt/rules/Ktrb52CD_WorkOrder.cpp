// The work order of a receipt line: the line is checked against the work
// order (factory, supplier, currency, dates, status) and then filled from it
// in a fixed order while the item and quantity rules of the fields it writes
// stand back (the receipt form's two flags are off meanwhile and on again
// afterwards, whatever happens).
#include <string>

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
    writeLine("TI014", "");
}

void TdmKtrb52::cdsBody1TI014Validate(TField* Sender) {
    const std::string number = Sender->AsString(), type = lineText("TI013");
    if (number.empty())
        for (const char* name : {"TI014C1", "TI014C2", "TI014C3"}) writeLine(name, "");
    if (type.empty() || number.empty()) return;

    IKtrb52Owner& form = ReceiptForm();
    {
        TReceiptFlagScope validation(form, TReceiptFlag::ValidationActive, false, true);
        TReceiptFlagScope cascade(form, TReceiptFlag::QuantityEditActive, false, true);
        fillFromWorkOrder(Sender);
    }
    Variant routing;
    if (GetLookupValues(Sender, "SFCTA", "04", routing,
                        plat::VarArrayOf({Variant(type), Variant(number)})) &&
        hasValues(routing))
        showMessage(kMsgWarning, "100094", {Variant(std::string())});
}

void TdmKtrb52::fillFromWorkOrder(TField* Sender) {
    IKtrb52Owner& form = ReceiptForm();
    const std::string number = Sender->AsString(), type = lineText("TI013");

    const bool formal = lineText("TIC01") == kFormalItem;
    const Variant project(sysParam("SYS180") == "Y" ? headText("TH045") : std::string());
    Variant wo;
    bool found = false;
    if (formal)
        found = GetLookupValues(
            Sender, "MOCTA", "32", wo,
            plat::VarArrayOf({Variant(type), Variant(number), Variant("2"),
                              Variant(headText("TH004")), Variant(""), Variant(headText("TH005")),
                              Variant(""), Variant(headText("TH007")), Variant(headText("TH015")),
                              project}));
    else
        found = GetLookupValues(Sender, "MOCTA", "33", wo,
                                plat::VarArrayOf({Variant(type), Variant(number), project}));
    const Variant label(Sender->DisplayLabel());
    if (!found || !hasValues(wo)) refuse("100061", {label});
    auto value = [&](int index) { return plat::VarToStr(replyValue(wo, index)); };
    auto number_ = [&](int index) { return valueNumber(wo, index, "100061", label); };

    const std::string receiptDate = headText("TH003"), documentDate = headText("TH029");
    if (value(woOpenedDate) > receiptDate) refuseBlank("100473");
    if (value(woKind) == "1" && lineText("TI015") == kWholeWorkOrder) refuseBlank("100142");
    if (value(woStatus) == "Y" || value(woStatus) == "y") {
        if (value(woClosedDate).substr(0, 6) < documentDate.substr(0, 6)) refuseBlank("100468");
        showMessage(kMsgWarning, "100033", {Variant(std::string())});
    }
    if (value(woFactory) != headText("TH004")) refuseBlank("100140");
    if (value(woConfirmed) == "V") refuseBlank("100131");
    if (value(woConfirmed) == "N") refuseBlank("100296");
    if (value(woCurrency) != headText("TH007")) refuseBlank("100334");
    if (value(woSupplier) != headText("TH005") && lineText("TI015") == kWholeWorkOrder &&
        !value(woSupplier).empty())
        refuseBlank("100141");
    const std::string due = value(woDueDate);
    if (!due.empty() && due > documentDate)
        showMessage(kMsgWarning, "100018", {Variant(std::string())});

    // Every number and every server reply the fill needs is read before the
    // first write, so that a bad one leaves the line as it was.
    const std::string item = value(woItem);
    const double ordered = number_(woQuantity);
    double open = ordered - number_(woTaken);
    if (form.MocParam1() == "Y") open -= number_(woTakenMore);
    if (form.MocParam2() == "Y") open -= number_(woMoreTaken);
    double openPacks = 0;
    const bool packaged = formal && !value(woPackagingUnit).empty() && sysParam("SYS024") == "3";
    if (packaged) {
        openPacks = number_(woPacks) - number_(woPacksTaken);
        if (form.MocParam1() == "Y") openPacks -= number_(woPacksTakenMore);
        if (form.MocParam2() == "Y") openPacks -= number_(woMorePacksTaken);
    }
    const Variant holdArgs = plat::VarArrayOf(
        {Variant(item), Variant(""), Variant("N"), Variant(type), Variant(number)});
    const double onHold =
        replyNumber(broker().CallServerMethod("MocOnHold", holdArgs), "100061", label);
    const double packsOnHold =
        formal ? replyNumber(broker().CallServerMethod("MocOnHoldpack", holdArgs), "100061", label)
               : 0;
    const std::string rateText = value(woTaxRate);
    const double taxRate =
        rateText.empty() || rateText == "N" || rateText == "Y" ? 0 : number_(woTaxRate);
    const double factor = number_(woPricingFactor);
    // The periods count only for an item with validity dates.
    const bool dated = formal && value(woExpiryManaged) == "Y";
    const int validity = dated ? (int)number_(woValidity) : 0;
    const int reinspection = dated ? (int)number_(woReinspection) : 0;
    std::string price = value(woPrice);
    if (headText("TH015") == value(woTaxKind)) {
        number_(woPrice);
    } else {
        Variant changed = broker().CallServerMethod(
            "ChangeTax", plat::VarArrayOf({replyValue(wo, woPrice), Variant(headText("TH015")),
                                           replyValue(wo, woTaxKind), Variant(sysParam("SYS003")),
                                           Variant(sysParam("SYS004"))}));
        price = NumberText(replyNumber(changed, "100061", label));
    }

    if (!due.empty() && due < documentDate) writeLine("TI034", "Y");
    writeLine("TI004", item);
    writeLine("TI049", value(woPackagingUnit));
    writeLine("TI009", value(woWarehouse));
    writeLine("TI009C", value(woWarehouseName));
    writeLine("MB091C", value(woFixedWeight));
    writeLine("TI004C12", item);
    writeLine("TI004C2", item);
    Variant master;
    if (GetLookupValues(LineField("TI004"), "INVMB", "03", master,
                        plat::VarArrayOf({Variant(item)})) &&
        hasValues(master))
        writeLine("TI004MB454", plat::VarToStr(replyValue(master, 76)));
    else
        writeLine("TI004MB454", "N");
    writeLine("TI005", value(woName));
    writeLine("TI006", value(woSpec));
    writeLine("TI008", value(woUnit));
    writeLine("TI004C3", value(woQuantity));
    writeLine("TI004C5", value(woTaken));
    writeLine("TI004C6", value(woTakenMore));
    writeLine("TI004C7", value(woPacksTaken));
    writeLine("TI004C8", value(woPacks));
    writeLine("TI004C9", value(woPacksTakenMore));
    SetFieldText(LineField("TI004C11"), NumberText(taxRate * 100), true);
    writeLine("TI004C13", value(woOverReceipt));
    writeLine("TI014C1", value(woOrderType));
    writeLine("TI014C2", value(woOrderNumber));
    writeLine("TI014C3", value(woOrderLine));
    writeLineNumber("TI007", open - onHold);
    // Packages on hold count only where packaging quantities are kept.
    if (packaged)
        writeLineNumber("TI016", openPacks - packsOnHold);
    else
        writeLine("TI016", "0");
    writeLine("TI010", value(woLot));
    writeLine("TI055", value(woLotText));
    writeLine("TI061", value(woUnit));
    writeLine("TI019", lineText("TI007"));
    writeLine("TI024", price);
    writeLine("TI023", value(woPricingUnit));
    writeLine("TI004C", value(woLotManaged));
    writeLine("TI048", value(woUrgent));

    if (!formal) {
        const double accepted = open - onHold;
        writeLineNumber("TI019", accepted);
        if (ordered != 0)
            writeLineNumber("TI020", accepted / ordered * factor);
        else
            writeLine("TI020", "0");
        writeLine("TI062", lineText("TI019"));
        for (const char* name : {"TI021", "TI022", "TI017"}) writeLine(name, "0");
        return;
    }

    writeLine("TI004C10", value(woExpiryManaged));
    if (lineText("TI004C10") == "Y") {
        for (const char* name : {"TI054", "TI011", "TI012"}) LineField(name)->SetReadOnly(false);
        writeLine("TI054", documentDate);
        if (value(woPeriodUnit) == "2") {
            writeLine("TI011",
                      EndOfMonthDate(IncYmdDate(Variant(documentDate), "M", validity - 1)));
            writeLine("TI012", IncYmdDate(Variant(documentDate), "M", reinspection));
        } else {
            writeLine("TI011", IncYmdDate(Variant(documentDate), "D", validity));
            writeLine("TI012", IncYmdDate(Variant(documentDate), "D", reinspection));
        }
    } else {
        for (const char* name : {"TI054", "TI011", "TI012"}) {
            writeLine(name, "");
            LineField(name)->SetReadOnly(true);
        }
    }
    writeLine("TA073C", value(woScheme));
    ApplyLotAndDateLocks();
    if (value(woLot).empty()) writeLine("TI010", kNoLot);
    if (!value(woScheme).empty() && lineText("TI004C") != "N")
        LineField("TI010")->SetReadOnly(true);

    std::string inspection = "0";
    if (!lineText("TI004C2").empty()) {
        Variant terms;
        if (GetLookupValues(
                LineField("TI004"), "PURMD", "01", terms,
                plat::VarArrayOf({Variant(headText("TH005")), Variant(item), Variant("****")})) &&
            hasValues(terms))
            inspection = plat::VarToStr(replyValue(terms, 1)) == "0" ? "0" : "1";
        else
            inspection = value(woInspection) == "0" ? "0" : "1";
    }
    writeLine("TI035", inspection);
    for (const char* name : {"TI021", "TI022", "TI050", "TI051"}) writeLine(name, "0");
    writeLine("TI061", value(woStockUnit));
    if (inspection == "0") {
        const double accepted = lineValue("TI019");
        if (accepted == 0) {
            writeLine("TI020", "0");
        } else {
            if (CompareFloats(ordered, 0) == 0)
                writeLine("TI020", "0");
            else
                writeLineNumber("TI020", accepted / ordered * factor);
            double stock = 0;
            if (convertQuantity(accepted, lineText("TI008"), lineText("TI061"), stock))
                writeLineNumber("TI062", stock);
            writeLine("TI017", lineText("TI016"));
        }
    } else {
        for (const char* name : {"TI019", "TI020", "TI017", "TI062"}) writeLine(name, "0");
        DeriveInspectionState();
    }
}

}  // namespace ktrb
