// The receipt form's coded columns (invoice kind, tax kind, confirmation,
// inspection status, line kind) shown by their texts, the inspection-status
// guard, the line grid's focus extras and the number formats of the fields.
#include <algorithm>
#include <utility>

#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "controls/QvLookUpCombo.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "receipt/forms/Ktrb52CF.h"
#include "receipt/rules/FieldCodes.h"

namespace ktrb {

using plat::TField;

namespace {

// One coded value: its code, its text and the text's key in the language
// package. The list shows code, separator, text; the field keeps the code.
struct CodeItem {
    const char* code;
    const char* text;
    const char* id;
};

// The digit kinds of invoices, offered besides the lettered ones (the
// form's Memo1) unless the system works with the lettered kinds only.
constexpr CodeItem kInvoiceDigits[] = {{"1", "二联式发票", "sInvoiceKind1"},
                                       {"2", "三联式发票", "sInvoiceKind2"},
                                       {"3", "二联式收银机发票", "sInvoiceKind3"},
                                       {"4", "三联式收银机发票", "sInvoiceKind4"},
                                       {"5", "电子计算机发票", "sInvoiceKind5"},
                                       {"6", "免用统一发票", "sInvoiceKind6"},
                                       {"9", "其他", "sInvoiceKind9"}};
constexpr const char* kInvoiceLetters[] = {"S", "B", "T", "N", "A", "G", "W", "Z"};
constexpr CodeItem kTaxKinds[] = {{"1", "应税内含", "sTaxKind1"},
                                  {"2", "应税外加", "sTaxKind2"},
                                  {"3", "零税率", "sTaxKind3"},
                                  {"4", "免税", "sTaxKind4"},
                                  {"9", "不计税", "sTaxKind9"}};
constexpr CodeItem kConfirmCodes[] = {{"N", "未审核", "sConfirmN"},
                                      {"Y", "已审核", "sConfirmY"},
                                      {"V", "作废", "sConfirmV"},
                                      {"U", "未核准", "sConfirmU"}};
constexpr CodeItem kInspection[] = {{"0", "免检", "sInspection0"},
                                    {"1", "待检", "sInspection1"},
                                    {"2", "合格", "sInspection2"},
                                    {"3", "不良", "sInspection3"},
                                    {"4", "特采", "sInspection4"}};
constexpr CodeItem kLineKinds[] = {{"1", "工程品号", "sLineKind1"},
                                   {"2", "正式品号", "sLineKind2"}};

// The coded fields: data set (true: lines), field, grid editor.
struct CodedField {
    bool body;
    const char* field;
    const char* editor;
};
constexpr CodedField kCodedFields[] = {
    {false, mocth::InvoiceKind, "cboTH012G"}, {false, mocth::TaxKind, "cboTH015G"},
    {false, mocth::ConfirmCode, "cboTH023G"}, {true, mocti::InspectionState, "cboTI035G"},
    {true, mocti::ConfirmCode, "cboTI037G"},  {true, mocti::ItemKind, "cboTIC01G"},
};

// The line columns edited through a look-up dialog combo: its button (or
// F2) opens the column's look-up, F3 and F4 the further ones.
constexpr const char* kDialogEditors[] = {
    "cboTI004G", "cboTI008G", "cboTI009G", "cboTI010G", "cboTI011G", "cboTI012G", "cboTI013G",
    "cboTI015G", "cboTI018G", "cboTI023G", "cboTI024G", "cboTI026G", "cboTI028G", "cboTI032G",
    "cboTI040G", "cboTI054G", "cboTI055G", "cboTI060G", "cboTIC05G"};

// Keying a new line: where it starts, and where it goes after its work order.
constexpr const char* kLineStartField = mocti::WorkOrderType;    // work-order type
constexpr const char* kWorkOrderNumber = mocti::WorkOrderNo;     // work-order number
constexpr const char* kFirstQuantity = mocti::ReceivedQuantity;  // received quantity

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
    FillCodeItems(false);
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
    cboTI035G->SetDataField(mocti::InspectionState);
    for (const CodedField& c : kCodedFields) {
        TField* f = c.body ? line(c.field) : head(c.field);
        if (!f || f->OnGetText) continue;
        f->OnGetText = plat::TFieldGetTextEvent(this, &TfrmKtrb52::codedFieldGetText);
    }
    fitCodedColumns();
    placeLineEditors();
}

void TfrmKtrb52::placeLineEditors() {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || !gdBody1) return;
    for (const std::string& entry : dm->cdsBody1->ControlType) {
        const size_t a = entry.find(';');
        const size_t b = a == std::string::npos ? a : entry.find(';', a + 1);
        if (b == std::string::npos || entry.compare(a + 1, b - a - 1, "CustomEdit") != 0) continue;
        const std::string fieldName = entry.substr(0, a);
        const std::string name = entry.substr(b + 1);
        if (!line(fieldName.c_str())) continue;
        auto* editor = dynamic_cast<plat::TWinControl*>(FindComponent(name));
        if (!editor &&
            std::find_if(std::begin(kDialogEditors), std::end(kDialogEditors),
                         [&](const char* n) { return name == n; }) != std::end(kDialogEditors)) {
            auto* combo = new TQvDBComboDlg(this);
            combo->SetName(name);
            using Handler = void (TfrmKtrb52::*)(plat::TObject*);
            combo->OnCustomDlg =
                plat::TNotifyEvent(this, static_cast<Handler>(&TfrmKtrb52::BodyCustomDlg));
            editor = combo;
        }
        if (auto* combo = dynamic_cast<plat::TDBComboBox*>(editor)) {
            combo->SetDataSource(dm->dsBody1);
            combo->SetDataField(fieldName);
        } else if (auto* dialog = dynamic_cast<TQvDBComboDlg*>(editor)) {
            dialog->SetDataSource(dm->dsBody1);
            dialog->SetDataField(fieldName);
        } else {
            continue;
        }
        gdBody1->SetFieldControl(fieldName, editor);
    }
}

void TfrmKtrb52::FillCodeItems(bool lettersOnly) {
    auto item = [this](const CodeItem& c, const char* separator) {
        return std::string(c.code) + separator + GetLangMessage("TfrmKtrb52", c.id, c.text, true) +
               "\t" + c.code;
    };
    auto fill = [&](plat::TCustomComboBox* combo, const auto& items, const char* separator) {
        if (!combo) return;
        combo->Items()->Clear();
        for (const CodeItem& c : items) combo->Items()->Add(item(c, separator));
    };
    fill(cboTH015, kTaxKinds, ".");
    fill(cboTH015G, kTaxKinds, ".");
    fill(cboTH023G, kConfirmCodes, ".");
    fill(cboTI037G, kConfirmCodes, ".");
    fill(cboTI035G, kInspection, ":");
    fill(cboTIC01G, kLineKinds, ".");
    for (plat::TCustomComboBox* c : {static_cast<plat::TCustomComboBox*>(cboTH012),
                                     static_cast<plat::TCustomComboBox*>(cboTH012G)}) {
        if (!c) continue;
        c->Items()->Clear();
        if (!lettersOnly)
            for (const CodeItem& kind : kInvoiceDigits) c->Items()->Add(item(kind, "."));
        for (int i = 0; i < 8 && i < Memo1.Count(); ++i)
            c->Items()->Add(Memo1[i] + "\t" + kInvoiceLetters[i]);
    }
    fitCodedColumns();
}

void TfrmKtrb52::fitCodedColumns() {
    for (const CodedField& c : kCodedFields) {
        TField* f = c.body ? line(c.field) : head(c.field);
        auto* combo = dynamic_cast<plat::TCustomComboBox*>(FindComponent(c.editor));
        if (!f || !combo ||
            f->OnGetText != plat::TFieldGetTextEvent(this, &TfrmKtrb52::codedFieldGetText))
            continue;
        // Wide enough for the texts, not only the codes.
        int width = f->DisplayWidth();
        for (int i = 0; i < combo->Items()->Count(); ++i)
            width = std::max(width, plat::TextWidth(combo->DisplayOf(i)));
        if (width != f->DisplayWidth()) f->SetDisplayWidth(width);
    }
    if (cboTH012) cboTH012->SetWidth(200);
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
    if (inspectionBefore_ < 0)
        inspectionBefore_ = plat::StrToIntDef(lineText(mocti::InspectionState), -1);
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
    if (freshLine()) steerLineColumn(kLineStartField);
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

// ---- keying a new line ----

bool TfrmKtrb52::freshLine() const {
    // A form on its way out takes its grid's and data module's events.
    if (Destroying()) return false;
    TdmKtrb52* dm = ReceiptModule();
    // Lines the form adds by code (from a work order, a copy) are not keyed.
    return dm && gdBody1 && FormMode() != TFormMode::Browse && inside(ActiveControl(), gdBody1) &&
           dm->cdsBody1->State() == plat::dsInsert && !dm->cdsBody1->Modified();
}

int TfrmKtrb52::bodyColumnOf(const char* field) const {
    for (int i = 0; gdBody1 && i < gdBody1->VisibleColumnCount(); ++i)
        if (gdBody1->VisibleColumn(i)->FieldName() == field) return i;
    return -1;
}

void TfrmKtrb52::steerLineColumn(const char* field) {
    plat::TField* f = line(field);
    if (!gdBody1 || !f || bodyColumnOf(field) < 0 || steeringColumn_) return;
    steeringColumn_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{steeringColumn_};
    gdBody1->SetSelectedField(f);
}

void TfrmKtrb52::onToTheQuantity() {
    steerLineColumn(kFirstQuantity);
}

void TfrmKtrb52::dsBody1StateLineOrder(plat::TObject* sender) {
    if (savedBodyStateChange_) savedBodyStateChange_(sender);
    if (freshLine()) steerLineColumn(kLineStartField);
}

void TfrmKtrb52::gdBody1ColEnterLineOrder(plat::TObject*) {
    const bool afterNumber = std::exchange(afterWorkOrderNumber_, false);
    if (steeringColumn_ || !gdBody1 || Destroying()) return;
    const int at = gdBody1->SelectedIndex();
    // The grid puts a new row's cursor in its first column; a new line
    // starts where its keying starts.
    if (freshLine() && at == std::min(gdBody1->FixedDataCols(), gdBody1->VisibleColumnCount() - 1))
        steerLineColumn(kLineStartField);
    // Only a number just keyed (the line filled from it): passing the
    // column again goes on to the columns after it.
    else if (afterNumber && at == bodyColumnOf(kWorkOrderNumber) + 1 &&
             !lineText(kWorkOrderNumber).empty() && lineText(kWorkOrderNumber) != numberBefore_)
        steerLineColumn(kFirstQuantity);
}

void TfrmKtrb52::FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) {
    plat::TField* selected = selectedBodyField();
    afterWorkOrderNumber_ = (key == plat::VK_TAB || key == plat::VK_RETURN) && shift.Empty() &&
                            gdBody1 && inside(ActiveControl(), gdBody1) && selected &&
                            selected->FieldName() == kWorkOrderNumber;
    if (afterWorkOrderNumber_) numberBefore_ = lineText(kWorkOrderNumber);
    TfrmDouble::FormKeyDown(sender, key, shift);
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
    dm->RegisterCurrencyField(head(mocth::Currency), TCurrencyDigitType::cdtPrice,
                              "CdsBody1:TI024");
    dm->RegisterCurrencyField(
        head(mocth::Currency), TCurrencyDigitType::cdtMoney,
        "cdsMain:TH018,TH019,TH020,TH027,TH027C,TH020C;CdsBody1:TI025,TI026,TI027,TI044,TI045");
}

}  // namespace ktrb
