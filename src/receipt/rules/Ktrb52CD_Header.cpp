// Header validations: each editable field of the receipt header checks its
// new value, looks up master data and fills the fields that depend on it. A
// refusal shows its message by code and aborts silently, so the field keeps
// its old value; a change of supplier, currency, exchange rate or tax terms
// recalculates the lines' amounts and checks their work orders again.
#include <exception>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dataframe/knlRadical.h"
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

constexpr const char* kManualNumbering = "4";
constexpr const char* kTaxIncluded = "1";
constexpr const char* kTaxAdded = "2";
constexpr const char* kNoTax = "9";
constexpr const char* kInvoiceWithoutTax = "B";

// Reply positions of the document type (table "C", query "85").
enum TDocTypeValue {
    dtName = 1,
    dtNature = 2,
    dtNumbering = 3,
    dtWorkOrderCheck = 4,
    dtAutoConfirm = 5,
    dtPrintAfterSave = 6,
    dtItemInputMode = 7
};
// Reply positions of the supplier (PURMA "01").
enum TSupplierValue {
    spName = 1,
    spCurrency = 2,
    spPaymentTerms = 3,
    spTaxNumber = 6,
    spStatus = 13,
    spKind = 14,
    spInvoiceKind = 17,
    spTaxKind = 18,
    spTaxRate = 31
};

// The tax kind an invoice kind brings; empty leaves the tax kind alone.
std::string taxKindOfInvoice(const std::string& invoiceKind) {
    if (invoiceKind == "S" || invoiceKind == "N" || invoiceKind == "A" || invoiceKind == "G")
        return kTaxAdded;
    if (invoiceKind == "B" || invoiceKind == "T" || invoiceKind == "W") return kTaxIncluded;
    if (invoiceKind == "Z") return kNoTax;
    return "";
}

bool zeroRateTaxKind(const std::string& kind) {
    return kind == "3" || kind == "4" || kind == "9";
}

bool editing(const plat::TDataSet* dataSet) {
    return dataSet->State() == plat::dsEdit || dataSet->State() == plat::dsInsert;
}

}  // namespace

// The header fields the supplier, currency, invoice, tax and rate rules
// write into one another.
const char* const kTermFields[] = {mocth::SupplierName, mocth::TaxNo,
                                   mocth::InvoiceKind,  mocth::TaxKind,
                                   mocth::Currency,     mocth::ExchangeRate,
                                   mocth::PaymentTerms, mocth::PaymentTermsName,
                                   mocth::TaxRate,      mocth::SupplierTaxSetting};

// Holds the lines' recalculation and work-order check back while a header
// rule runs; the outermost rule's Finish runs what was asked for, once: the
// check first, so that terms the lines' work orders refuse never reach the
// lines' amounts. When the outermost rule is refused, the terms it wrote
// (the refused field aside, which its data set restores) take their earlier
// values back quietly: a refused term leaves the header's terms as they were.
class THeaderBatch {
  public:
    THeaderBatch(TdmKtrb52& dm, const TField* sender)
        : dm_(dm), outermost_(dm.headerBatch_++ == 0), exceptions_(std::uncaught_exceptions()) {
        if (!outermost_) return;
        for (const char* name : kTermFields)
            if (TField* f = dm_.HeadField(name); f != sender) earlier_.emplace_back(f, f->Value());
    }
    ~THeaderBatch() {
        if (!released_) --dm_.headerBatch_;
        if (!outermost_) return;
        dm_.checkPending_ = dm_.recalcPending_ = false;
        dm_.rateEditPending_.reset();
        if (std::uncaught_exceptions() <= exceptions_) return;
        for (auto& [field, value] : earlier_) {
            try {
                if (!(field->Value() == value)) restoreQuietly(field, value);
            } catch (...) {
            }
        }
    }
    void Finish() {
        if (!outermost_) return;
        --dm_.headerBatch_;
        released_ = true;
        if (std::exchange(dm_.checkPending_, false)) dm_.CheckLinesAgainstWorkOrders();
        if (std::exchange(dm_.recalcPending_, false)) dm_.RecalcAllLineAmounts();
        // The tax edits follow an invoice kind once the outermost rule is accepted.
        if (const std::optional<bool> editable = std::exchange(dm_.rateEditPending_, {})) {
            TKtrb52View& view = dm_.view_;
            view.TaxKindEnabled = true;
            dm_.viewChanged(TKtrb52Part::TaxKind);
            view.TaxRateEnabled = *editable;
            dm_.viewChanged(TKtrb52Part::TaxRate);
        }
    }
    THeaderBatch(const THeaderBatch&) = delete;
    THeaderBatch& operator=(const THeaderBatch&) = delete;

  private:
    static void restoreQuietly(TField* field, const Variant& value) {
        const plat::TFieldNotifyEvent validate = field->OnValidate;
        const bool readOnly = field->ReadOnly();
        field->OnValidate = {};
        field->SetReadOnly(false);
        TFinally back([&] {
            field->OnValidate = validate;
            field->SetReadOnly(readOnly);
        });
        field->SetValue(value);
    }

    TdmKtrb52& dm_;
    const bool outermost_;
    const int exceptions_;
    bool released_ = false;
    std::vector<std::pair<TField*, Variant>> earlier_;
};

void TdmKtrb52::PrepareControlsHook() {}

void TdmKtrb52::BeforeAmountEditHook() {}

// ---- document type, number and date ----

void TdmKtrb52::cdsMainTH001Validate(TField* Sender) {
    const std::string type = Sender->AsString();
    if (type.empty()) {
        writeHead(mocth::DocTypeName, "");
        writeHead(mocth::DocNo, "");
    }
    Variant reply;
    if (!GetLookupValues(
            Sender, "C", "85", reply,
            plat::VarArrayOf({Variant(type), Variant("59"), Variant(broker().UserID)})))
        refuseBlank("100007");
    if (!hasValues(reply)) return;
    auto value = [&](int index) { return ReplyText(reply, index); };

    writeHead(mocth::DocTypeName, value(dtName));
    writeHead(mocth::DocTypeChecksWorkOrder, value(dtWorkOrderCheck));
    writeHead(mocth::ItemEntryMode, value(dtItemInputMode));
    writeHead(mocth::DocNature, value(dtNature));

    Variant rows = broker().CallServerMethod(
        "SimpleSQL",
        plat::VarArrayOf(
            {Variant(" SELECT MQ042,MQ043,MQC02,MQC03,MQC04 FROM $$CMSMQ WHERE MQ001=" +
                     SqlText(type) + " "),
             Variant("MQ042,MQ043,MQC02,MQC03,MQC04")}));
    if (rows.IsArray() && rows.ArrayCount() > 0 && rows[rows.LowBound(1)].IsArray()) {
        const Variant& row = rows[rows.LowBound(1)];
        auto column = [&](int i) {
            return i < row.ArrayCount() ? plat::VarToStr(row[row.LowBound(1) + i]) : "";
        };
        writeHead(mocth::OverReceiptControl, column(0));
        writeHead(mocth::MaterialIssueControl, column(1));
        writeHead(mocth::DocTypeEngineeringItems, column(2));
        writeHead(mocth::ChecksArrival, column(3));
        writeHead(mocth::ChecksInspection, column(4));
    }

    SetAutoNumberKey(value(dtNumbering) != kManualNumbering);
    if (AutoNumber) {
        writeHead(mocth::DocNo, ReceiptForm().AssignDocumentNumber());
        HeadField(mocth::DocDate)->FocusControl();
    }
    view_.AutoConfirmAfterSave = value(dtAutoConfirm) == "Y";
    view_.PrintAfterSave = value(dtPrintAfterSave) == "Y";
    viewChanged(TKtrb52Part::AfterSave);

    Variant signOff;
    const bool signed_ =
        GetLookupValues(Sender, "ADMMQ", "02", signOff,
                        plat::VarArrayOf({Variant(broker().ProgramCode), Variant(type)}));
    writeHead(mocth::SignOffState, signed_ ? "0" : "N");

    const bool arrivalsRequired = headText(mocth::ChecksArrival) == "Y";
    for (const char* name : {mocti::WorkOrderType, mocti::WorkOrderNo})
        LineField(name)->SetReadOnly(arrivalsRequired);
    for (const char* name :
         {mocti::ArrivalType, mocti::ArrivalNo, mocti::ArrivalLineNo, mocti::InspectionBatch})
        LineField(name)->SetReadOnly(!arrivalsRequired);
    LineField(mocti::InspectionBatch)->SetReadOnly(headText(mocth::ChecksInspection) == "N");
    LineField(mocti::ItemKind)->SetReadOnly(headText(mocth::DocTypeEngineeringItems) == "N");
}

void TdmKtrb52::cdsMainTH002Validate(TField* Sender) {
    CheckValueUnique(Sender, "MOCTH", "01", "TH001,TH002");
}

void TdmKtrb52::cdsMainTH029Validate(TField* Sender) {
    DateFieldValidate(Sender);
    const std::string date = Sender->AsString();
    if (date.empty()) return;
    if (date < sysParam("SYS011") + "01") refuseBlank("100013");
    // The number depends on the date.
    if (AutoNumber && formMode() == TFormMode::Add)
        writeHead(mocth::DocNo, ReceiptForm().AssignDocumentNumber());
    writeHead(mocth::ReceiptDate, date);
}

// ---- factory, supplier, currency ----

void TdmKtrb52::cdsMainTH004Validate(TField* Sender) {
    ValidateFieldAndFill(Sender, "CMSMB", "01", mocth::FactoryName);
}

void TdmKtrb52::cdsMainTH005SetText(TField* Sender, const std::string& Text) {
    ProviderFieldSetText(Sender, Text, "01");
}

void TdmKtrb52::cdsMainTH005Validate(TField* Sender) {
    const std::string supplier = Sender->AsString();
    if (supplier == Session.SupplierAtEdit) return;
    THeaderBatch batch(*this, Sender);
    const std::string check = headText(mocth::DocTypeChecksWorkOrder);
    if ((check == "Y" || check == "W") && !lineText(mocti::WorkOrderType).empty())
        refuseBlank("100298");
    if (supplier.empty()) {
        writeHead(mocth::SupplierName, "");
        writeHead(mocth::TaxNo, "");
    }
    Variant reply;
    const bool found = GetLookupValues(Sender, "PURMA", "01", reply);
    if (!found) showMessage(kMsgWarning, "000004", {Variant(Sender->DisplayLabel())});
    if (found && hasValues(reply)) {
        auto value = [&](int index) { return ReplyText(reply, index); };
        // A blocked supplier is refused before anything of it is written.
        const std::string status = value(spStatus);
        if (status == "2") refuseBlank("200135");
        if (status == "3") refuseBlank("100174");
        const bool taxed = value(spInvoiceKind) != kInvoiceWithoutTax;
        const double rate = taxed ? valueNumber(reply, spTaxRate, "000001",
                                                Variant(HeadField(mocth::TaxRate)->DisplayLabel()))
                                  : 0;

        writeHead(mocth::SupplierName, value(spName));
        writeHead(mocth::TaxNo, value(spTaxNumber));
        writeHead(mocth::InvoiceKind, value(spInvoiceKind));
        if (headText(mocth::InvoiceKind) != kInvoiceWithoutTax)
            writeHead(mocth::TaxKind, value(spTaxKind));
        writeHead(mocth::Currency, value(spCurrency));
        writeHead(mocth::PaymentTerms, value(spPaymentTerms));
        if (headText(mocth::InvoiceKind) != kInvoiceWithoutTax && taxed)
            SetFieldText(HeadField(mocth::TaxRate), NumberText(rate * 100), true);
        writeHead(mocth::SupplierTaxSetting, value(spKind));
    }
    // Accepted only once the lines' work orders agree with the new terms.
    CheckLinesAgainstWorkOrders();
    batch.Finish();
    Session.SupplierAtEdit = supplier;
}

void TdmKtrb52::cdsMainTH007Validate(TField* Sender) {
    THeaderBatch batch(*this, Sender);
    BeforeAmountEditHook();
    ValidateFieldAndFill(Sender, "CMSMF", "01", "");
    Variant rate = broker().CallServerMethod(
        "ExchangeRate", plat::VarArrayOf({Variant(Sender->AsString()), Variant("O"),
                                          Variant(headText(mocth::DocDate))}));
    // The exchange rate's rule recalculates the lines in the new currency.
    writeHead(mocth::ExchangeRate,
              NumberText(replyNumber(rate, "100006",
                                     Variant(HeadField(mocth::ExchangeRate)->DisplayLabel()))));
    CheckLinesAgainstWorkOrders();
    batch.Finish();
}

void TdmKtrb52::cdsMainTH008Validate(TField* Sender) {
    if (Sender->AsFloat() <= 0) refuse("100006", {Variant(Sender->DisplayLabel())});
    RecalcAllLineAmounts();
}

void TdmKtrb52::cdsMainTH009Validate(TField* Sender) {
    if (Sender->AsFloat() < 0) refuseBlank("100012");
}

void TdmKtrb52::cdsMainTH011Validate(TField* Sender) {
    const std::string number = Sender->AsString();
    if (!number.empty() && sysParam("SYS026") == "1" && !CheckIdNumber(number))
        showMessage(kMsgWarning, "100021", {Variant(std::string())});
}

// ---- invoice and tax ----

void TdmKtrb52::cdsMainTH012Validate(TField* Sender) {
    if (Session.InvoiceKindFromDialog) {
        Session.InvoiceKindFromDialog = false;
        return;
    }
    THeaderBatch batch(*this, Sender);
    const std::string kind = Sender->AsString();
    const std::string taxKind = taxKindOfInvoice(kind);
    if (!taxKind.empty()) writeHead(mocth::TaxKind, taxKind);
    if (kind == kInvoiceWithoutTax) SetFieldText(HeadField(mocth::TaxRate), "0", true);
    RecalcAllLineAmounts();
    rateEditPending_ = kind != kInvoiceWithoutTax;
    batch.Finish();
}

void TdmKtrb52::cdsMainTH013Validate(TField* Sender) {
    DateFieldValidate(Sender);
}

void TdmKtrb52::cdsMainTH015Validate(TField* Sender) {
    THeaderBatch batch(*this, Sender);
    bool rateWritten = false;
    if (headText(mocth::InvoiceKind) == kInvoiceWithoutTax || zeroRateTaxKind(Sender->AsString())) {
        SetFieldText(HeadField(mocth::TaxRate), "0", true);
        rateWritten = true;
    } else {
        Variant reply;
        if (GetLookupValues(HeadField(mocth::Supplier), "PURMA", "01", reply) && hasValues(reply) &&
            !plat::VarIsBlank(ReplyAt(reply, spTaxRate)) && ReplyText(reply, spTaxRate) != "") {
            const double rate = valueNumber(reply, spTaxRate, "000001",
                                            Variant(HeadField(mocth::TaxRate)->DisplayLabel()));
            SetFieldText(HeadField(mocth::TaxRate), NumberText(rate * 100), true);
            rateWritten = true;
        }
    }
    // The tax rate's own rule recalculates the lines; without it the new tax
    // kind must still reach them.
    if (!rateWritten) RecalcAllLineAmounts();
    CheckLinesAgainstWorkOrders();
    batch.Finish();
}

void TdmKtrb52::cdsMainTH030Validate(TField* Sender) {
    if (Sender->AsFloat() < 0) refuseBlank("100012");
    THeaderBatch batch(*this, Sender);
    RecalcAllLineAmounts();
    CheckLinesAgainstWorkOrders();
    batch.Finish();
}

// ---- payment terms and department ----

void TdmKtrb52::cdsMainTH033Validate(TField* Sender) {
    CheckValueAndFill(Sender, "CMSNA", "01",
                      plat::VarArrayOf({Variant("1"), Variant(Sender->AsString())}),
                      mocth::PaymentTermsName);
}

void TdmKtrb52::cdsMainTH038Validate(TField* Sender) {
    ValidateFieldAndFill(Sender, "CMSME", "01", mocth::DepartmentName);
}

// ---- the lines' work orders against the header's terms ----

void TdmKtrb52::CheckLinesAgainstWorkOrders() {
    if (headerBatch_ > 0) {
        checkPending_ = true;
        return;
    }
    if (!cdsBody1->Active()) return;
    if (editing(cdsBody1)) cdsBody1->Post();
    TFinally done([&] { cdsMain->Edit(); });
    TRowWalk walk(cdsBody1, TRowWalk::Events::DataSet);
    walk.beforeEnable = [&] { CalcHeadTotals(); };
    const Variant supplier(headText(mocth::Supplier)), currency(headText(mocth::Currency)),
        taxKind(headText(mocth::TaxKind)), rate(HeadField(mocth::TaxRate)->Value());
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next()) {
        const std::string type = lineText(mocti::WorkOrderType),
                          number = lineText(mocti::WorkOrderNo);
        if (type.empty() || number.empty() || lineText(mocti::ConfirmCode) == "Y") continue;
        Variant reply;
        if (!GetLookupValues(LineField(mocti::WorkOrderNo), "MOCTA", "25", reply,
                             plat::VarArrayOf({Variant(type), Variant(number), supplier, currency,
                                               taxKind, rate})))
            refuseBlank("200943");
    }
}

}  // namespace ktrb
