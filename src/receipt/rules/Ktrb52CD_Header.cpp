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
const char* const kTermFields[] = {"TH005C", "TH011", "TH012",  "TH015", "TH007",
                                   "TH008",  "TH033", "TH033C", "TH030", "TH005C1"};

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
        writeHead("TH001C", "");
        writeHead("TH002", "");
    }
    Variant reply;
    if (!GetLookupValues(
            Sender, "C", "85", reply,
            plat::VarArrayOf({Variant(type), Variant("59"), Variant(broker().UserID)})))
        refuseBlank("100007");
    if (!hasValues(reply)) return;
    auto value = [&](int index) { return ReplyText(reply, index); };

    writeHead("TH001C", value(dtName));
    writeHead("TH001C1", value(dtWorkOrderCheck));
    writeHead("MQ024C", value(dtItemInputMode));
    writeHead("TH001C2", value(dtNature));

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
        writeHead("MQ042C", column(0));
        writeHead("MQ043C", column(1));
        writeHead("TH001C3", column(2));
        writeHead("MQC03C", column(3));
        writeHead("MQC04C", column(4));
    }

    SetAutoNumberKey(value(dtNumbering) != kManualNumbering);
    if (AutoNumber) {
        writeHead("TH002", ReceiptForm().AssignDocumentNumber());
        HeadField("TH029")->FocusControl();
    }
    view_.AutoConfirmAfterSave = value(dtAutoConfirm) == "Y";
    view_.PrintAfterSave = value(dtPrintAfterSave) == "Y";
    viewChanged(TKtrb52Part::AfterSave);

    Variant signOff;
    const bool signed_ =
        GetLookupValues(Sender, "ADMMQ", "02", signOff,
                        plat::VarArrayOf({Variant(broker().ProgramCode), Variant(type)}));
    writeHead("TH036", signed_ ? "0" : "N");

    const bool arrivalsRequired = headText("MQC03C") == "Y";
    for (const char* name : {"TI013", "TI014"}) LineField(name)->SetReadOnly(arrivalsRequired);
    for (const char* name : {"TIC02", "TIC03", "TIC04", "TIC05"})
        LineField(name)->SetReadOnly(!arrivalsRequired);
    LineField("TIC05")->SetReadOnly(headText("MQC04C") == "N");
    LineField("TIC01")->SetReadOnly(headText("TH001C3") == "N");
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
        writeHead("TH002", ReceiptForm().AssignDocumentNumber());
    writeHead("TH003", date);
}

// ---- factory, supplier, currency ----

void TdmKtrb52::cdsMainTH004Validate(TField* Sender) {
    ValidateFieldAndFill(Sender, "CMSMB", "01", "TH004C");
}

void TdmKtrb52::cdsMainTH005SetText(TField* Sender, const std::string& Text) {
    ProviderFieldSetText(Sender, Text, "01");
}

void TdmKtrb52::cdsMainTH005Validate(TField* Sender) {
    const std::string supplier = Sender->AsString();
    if (supplier == Session.SupplierAtEdit) return;
    THeaderBatch batch(*this, Sender);
    const std::string check = headText("TH001C1");
    if ((check == "Y" || check == "W") && !lineText("TI013").empty()) refuseBlank("100298");
    if (supplier.empty()) {
        writeHead("TH005C", "");
        writeHead("TH011", "");
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
                                                Variant(HeadField("TH030")->DisplayLabel()))
                                  : 0;

        writeHead("TH005C", value(spName));
        writeHead("TH011", value(spTaxNumber));
        writeHead("TH012", value(spInvoiceKind));
        if (headText("TH012") != kInvoiceWithoutTax) writeHead("TH015", value(spTaxKind));
        writeHead("TH007", value(spCurrency));
        writeHead("TH033", value(spPaymentTerms));
        if (headText("TH012") != kInvoiceWithoutTax && taxed)
            SetFieldText(HeadField("TH030"), NumberText(rate * 100), true);
        writeHead("TH005C1", value(spKind));
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
        "ExchangeRate",
        plat::VarArrayOf({Variant(Sender->AsString()), Variant("O"), Variant(headText("TH029"))}));
    // The exchange rate's rule recalculates the lines in the new currency.
    writeHead("TH008",
              NumberText(replyNumber(rate, "100006", Variant(HeadField("TH008")->DisplayLabel()))));
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
    if (!taxKind.empty()) writeHead("TH015", taxKind);
    if (kind == kInvoiceWithoutTax) SetFieldText(HeadField("TH030"), "0", true);
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
    if (headText("TH012") == kInvoiceWithoutTax || zeroRateTaxKind(Sender->AsString())) {
        SetFieldText(HeadField("TH030"), "0", true);
        rateWritten = true;
    } else {
        Variant reply;
        if (GetLookupValues(HeadField("TH005"), "PURMA", "01", reply) && hasValues(reply) &&
            !plat::VarIsBlank(ReplyAt(reply, spTaxRate)) && ReplyText(reply, spTaxRate) != "") {
            const double rate = valueNumber(reply, spTaxRate, "000001",
                                            Variant(HeadField("TH030")->DisplayLabel()));
            SetFieldText(HeadField("TH030"), NumberText(rate * 100), true);
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
                      plat::VarArrayOf({Variant("1"), Variant(Sender->AsString())}), "TH033C");
}

void TdmKtrb52::cdsMainTH038Validate(TField* Sender) {
    ValidateFieldAndFill(Sender, "CMSME", "01", "TH038C");
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
    const Variant supplier(headText("TH005")), currency(headText("TH007")),
        taxKind(headText("TH015")), rate(HeadField("TH030")->Value());
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next()) {
        const std::string type = lineText("TI013"), number = lineText("TI014");
        if (type.empty() || number.empty() || lineText("TI037") == "Y") continue;
        Variant reply;
        if (!GetLookupValues(LineField("TI014"), "MOCTA", "25", reply,
                             plat::VarArrayOf({Variant(type), Variant(number), supplier, currency,
                                               taxKind, rate})))
            refuseBlank("200943");
    }
}

}  // namespace ktrb
