// The receipt form's coded columns (invoice kind, tax kind, confirmation,
// inspection status, line kind) shown by their texts, the inspection-status
// guard, the line grid's focus extras and the number formats of the fields.
#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "receipt/forms/Ktrb52CF.h"

namespace ktrb {

using plat::TField;

namespace {

constexpr const char* kInvoiceLetters[] = {"S", "B", "T", "N", "A", "G", "W", "Z"};

// The digit kinds of invoices, offered besides the lettered ones unless the
// system works with the lettered kinds only.
constexpr const char* kInvoiceDigits[] = {"1.二联式发票\t1",
                                          "2.三联式发票\t2",
                                          "3.二联式收银机发票\t3",
                                          "4.三联式收银机发票\t4",
                                          "5.电子计算机发票\t5",
                                          "6.免用统一发票\t6",
                                          "9.其他\t9"};
constexpr const char* kTaxKinds[] = {"1.应税内含\t1", "2.应税外加\t2", "3.零税率\t3", "4.免税\t4",
                                     "9.不计税\t9"};
constexpr const char* kConfirmCodes[] = {"N.未审核\tN", "Y.已审核\tY", "V.作废\tV", "U.未核准\tU"};
constexpr const char* kInspection[] = {"0:免检\t0", "1:待检\t1", "2:合格\t2", "3:不良\t3",
                                       "4:特采\t4"};
constexpr const char* kLineKinds[] = {"1.工程品号\t1", "2.正式品号\t2"};

// The coded fields: data set (true: lines), field, grid editor.
struct CodedField {
    bool body;
    const char* field;
    const char* editor;
};
constexpr CodedField kCodedFields[] = {
    {false, "TH012", "cboTH012G"}, {false, "TH015", "cboTH015G"}, {false, "TH023", "cboTH023G"},
    {true, "TI035", "cboTI035G"},  {true, "TI037", "cboTI037G"},  {true, "TIC01", "cboTIC01G"},
};

template <size_t N>
void fill(plat::TCustomComboBox* combo, const char* const (&items)[N]) {
    if (!combo) return;
    combo->Items()->Clear();
    for (const char* item : items) combo->Items()->Add(item);
}

bool inside(const plat::TControl* control, const plat::TControl* container) {
    for (const plat::TControl* c = control; c; c = c->Parent())
        if (c == container) return true;
    return false;
}

}  // namespace

void TfrmKtrb52::createCodeEditors() {
    using namespace plat;
    auto editor = [&](const char* name, TWinControl* parent) {
        auto* c = new TDBComboBox(this);
        c->SetName(name);
        c->SetStyle(TComboBoxStyle::csDropDownList);
        c->SetMapList(true);
        if (parent) c->SetParent(parent);
        c->SetVisible(false);
        return c;
    };
    cboTH012G = editor("cboTH012G", gdHead);
    cboTH015G = editor("cboTH015G", gdHead);
    cboTH023G = editor("cboTH023G", gdHead);
    cboTI035G = editor("cboTI035G", gdBody1);
    cboTI037G = editor("cboTI037G", gdBody1);
    cboTIC01G = editor("cboTIC01G", gdBody1);
    SetInvoiceKinds(false);
    fill(cboTH015, kTaxKinds);
    fill(cboTH015G, kTaxKinds);
    fill(cboTH023G, kConfirmCodes);
    fill(cboTI037G, kConfirmCodes);
    fill(cboTI035G, kInspection);
    fill(cboTIC01G, kLineKinds);
    for (TQvDBComboBox* c : {cboTH012, cboTH015}) {
        if (!c) continue;
        c->SetStyle(TComboBoxStyle::csDropDownList);
        c->SetMapList(true);
    }
    cboTI035G->OnDropDown = TNotifyEvent(this, &TfrmKtrb52::cboTI035GDropDown);
    cboTI035G->OnChange = TNotifyEvent(this, &TfrmKtrb52::cboTI035GChange);

    TdmKtrb52* dm = ReceiptModule();
    if (!dm) return;
    cboTI035G->SetDataSource(dm->dsBody1);
    cboTI035G->SetDataField("TI035");
    for (const CodedField& c : kCodedFields) {
        TField* f = c.body ? line(c.field) : head(c.field);
        if (!f || f->OnGetText) continue;
        f->OnGetText = plat::TFieldGetTextEvent(this, &TfrmKtrb52::codedFieldGetText);
        // Wide enough for the text, not only the code.
        if (f->DisplayWidth() < 8) f->SetDisplayWidth(8);
    }
}

void TfrmKtrb52::SetInvoiceKinds(bool lettersOnly) {
    for (plat::TCustomComboBox* c : {static_cast<plat::TCustomComboBox*>(cboTH012),
                                     static_cast<plat::TCustomComboBox*>(cboTH012G)}) {
        if (!c) continue;
        c->Items()->Clear();
        if (!lettersOnly)
            for (const char* item : kInvoiceDigits) c->Items()->Add(item);
        for (int i = 0; i < 8 && i < Memo1.Count(); ++i)
            c->Items()->Add(Memo1[i] + "\t" + kInvoiceLetters[i]);
    }
}

void TfrmKtrb52::codedFieldGetText(TField* sender, std::string& text, bool displayText) {
    text = sender->AsString();
    if (!displayText || text.empty()) return;
    for (const CodedField& c : kCodedFields) {
        if (sender->FieldName() != c.field) continue;
        auto* combo = dynamic_cast<plat::TCustomComboBox*>(FindComponent(c.editor));
        if (!combo) return;
        for (int i = 0; i < combo->Items()->Count(); ++i) {
            const std::string& item = (*combo->Items())[i];
            const size_t tab = item.find('\t');
            if (tab != std::string::npos && item.substr(tab + 1) == text) {
                text = item.substr(0, tab);
                return;
            }
        }
        return;
    }
}

bool TfrmKtrb52::ComboBoxItems(const std::string& componentName,
                               std::vector<std::string>& items) const {
    auto* combo = dynamic_cast<plat::TCustomComboBox*>(FindComponent(componentName));
    if (!combo) return false;
    items.clear();
    for (int i = 0; i < combo->Items()->Count(); ++i) items.push_back((*combo->Items())[i]);
    return true;
}

void TfrmKtrb52::cboTI035GDropDown(plat::TObject*) {
    inspectionBefore_ = cboTI035G->ItemIndex();
    if (inspectionBefore_ < 0) inspectionBefore_ = plat::StrToIntDef(lineText("TI035"), -1);
    inspectionGuard_ = true;
}

void TfrmKtrb52::cboTI035GChange(plat::TObject*) {
    if (!inspectionGuard_) return;
    inspectionGuard_ = false;
    // Only a line waiting for inspection may be passed by hand.
    if (inspectionBefore_ == 1 && cboTI035G->ItemIndex() == 2) return;
    cboTI035G->SetItemIndex(inspectionBefore_);
}

void TfrmKtrb52::gdBody1EnterExtra(plat::TObject* sender) {
    gdBody1Enter(sender);
    UpdateProjectEditEnabled(true);
}

void TfrmKtrb52::gdBody1ExitExtra(plat::TObject* sender) {
    gdBody1Exit(sender);
    TdmKtrb52* dm = ReceiptModule();
    plat::TWinControl* next = ActiveControl();
    if (dm && next && (inside(next, pnlHead) || inside(next, pgHead))) {
        const auto state = dm->cdsBody1->State();
        if (state == plat::dsEdit || state == plat::dsInsert) dm->cdsBody1->Post();
    }
    UpdateProjectEditEnabled(false);
}

void TfrmKtrb52::applyNumberFormats() {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm) return;
    dm->SetKindFields(0, "CdsMain:TH009");
    dm->RegisterCurrencyField(nullptr, TCurrencyDigitType::cdtMoney,
                              "cdsMain:TH031,TH021,TH032,TH032C;CdsBody1:TI027,TI046,TI047,TI053");
    dm->SetZeroDecimalFields(
        "cdsMain:TH022,TH034,TH042,TH043;CdsBody1:TI007,TI019,TI020,TI021,TI022,TI016,TI017,"
        "TI050,TI051,TI052,TI056,TI057,TI062");
    dm->SetKindFields(7, "CdsMain:TH008");
    dm->RegisterCurrencyField(head("TH007"), TCurrencyDigitType::cdtPrice, "CdsBody1:TI024");
    dm->RegisterCurrencyField(
        head("TH007"), TCurrencyDigitType::cdtMoney,
        "cdsMain:TH018,TH019,TH020,TH027,TH027C,TH020C;CdsBody1:TI025,TI026,TI027,TI044,TI045");
}

}  // namespace ktrb
