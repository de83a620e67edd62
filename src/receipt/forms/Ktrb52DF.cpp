#include "receipt/forms/Ktrb52DF.h"

#include "controls/F2Button.h"
#include "controls/QrvEdit.h"
#include "controls/WindowDesign.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/stdctrls.h"
#include "receipt/forms/Ktrb52CF.h"
#include "receipt/rules/FieldCodes.h"
#include "runtime/Brokers.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr const char* kInvoiceCodes[] = {"S", "B", "T", "N", "A", "G", "W", "Z"};

plat::TDataSet* dataSetOf(TfrmKtrb52* form, bool body) {
    TdmKtrb52* dm = form ? form->ReceiptModule() : nullptr;
    if (!dm) return nullptr;
    return body ? static_cast<plat::TDataSet*>(dm->cdsBody1)
                : static_cast<plat::TDataSet*>(dm->cdsMain);
}

bool editing(plat::TDataSet* ds) {
    return ds && (ds->State() == plat::dsEdit || ds->State() == plat::dsInsert);
}

using namespace design;
using D = TfrmKtrb52DF;

// Two columns of labelled edits; the labels stand left of their edits.
constexpr int kLeft = 120, kRight = 395, kInvLeft = 110, kInvRight = 440;
constexpr Bounds Edit(int left, int row, int width = 120) {
    return {left, 14 + row * 27, width, 21};
}
// A look-up button right of its edit.
constexpr Bounds LookUp(Bounds edit) {
    return {edit.left + edit.width + 2, edit.top, 20, 21};
}
constexpr Bounds Combo(int left, int row) {
    return Edit(left, row, 170);
}

const Control kDesign[] = {
    {"Panel1", Field<&D::Panel1>, "", {0, 0, 0, 41}, "", plat::TAlign::alBottom},
    {"btnOK", Field<&D::btnOK>, "Panel1", {161, 9, 75, 25}, "确定"},
    {"btnCancel", Field<&D::btnCancel>, "Panel1", {270, 9, 75, 25}, "取消"},
    {"PageControl1", Field<&D::PageControl1>, "", {}, nullptr, plat::TAlign::alClient},
    {"TabSheet3", Field<&D::TabSheet3>, "PageControl1", {}, "输入货款"},
    {"TabSheet1", Field<&D::TabSheet1>, "PageControl1", {}, "输入发票相关信息"},
    {"edTI020", Field<&D::edTI020>, "TabSheet3", Edit(kLeft, 0)},
    {"edTI024", Field<&D::edTI024>, "TabSheet3", Edit(kLeft, 1)},
    {"edTI025", Field<&D::edTI025>, "TabSheet3", Edit(kLeft, 2)},
    {"edTI027", Field<&D::edTI027>, "TabSheet3", Edit(kLeft, 3)},
    {"edTI026", Field<&D::edTI026>, "TabSheet3", Edit(kLeft, 4)},
    {"edTI028", Field<&D::edTI028>, "TabSheet3", Edit(kLeft, 5, 380)},
    {"edTI023", Field<&D::edTI023>, "TabSheet3", Edit(kRight, 0, 100)},
    {"edTI044", Field<&D::edTI044>, "TabSheet3", Edit(kRight, 1)},
    {"edTI045", Field<&D::edTI045>, "TabSheet3", Edit(kRight, 2)},
    {"edTI046", Field<&D::edTI046>, "TabSheet3", Edit(kRight, 3)},
    {"edTI047", Field<&D::edTI047>, "TabSheet3", Edit(kRight, 4)},
    {"F2Button1", Field<&D::F2Button1>, "TabSheet3", LookUp(Edit(kRight, 0, 100))},
    {"btnTI028", Field<&D::btnTI028>, "TabSheet3", LookUp(Edit(kLeft, 5, 380))},
    {"btnTI026", Field<&D::btnTI026>, "TabSheet3", LookUp(Edit(kLeft, 4))},
    {"cboTH012", Field<&D::cboTH012>, "TabSheet1", Combo(kInvLeft, 0)},
    {"edTH013", Field<&D::edTH013>, "TabSheet1", Edit(kInvLeft, 1)},
    {"edTH014", Field<&D::edTH014>, "TabSheet1", Edit(kInvLeft, 2)},
    {"edTH011", Field<&D::edTH011>, "TabSheet1", Edit(kInvRight, 0, 170)},
    {"cboTH015", Field<&D::cboTH015>, "TabSheet1", Combo(kInvRight, 1)},
    {"edTH030", Field<&D::edTH030>, "TabSheet1", Edit(kInvRight, 2, 80)},
    {"btnTH013", Field<&D::btnTH013>, "TabSheet1", LookUp(Edit(kInvLeft, 1))},
};

const Handler kEvents[] = {
    {"cboTH012", "OnChange", On<&D::cboTH012Change>},
    {"", "OnCreate", On<&D::FormCreate>},
    {"", "OnKeyDown", On<&D::FormKeyDown>},
    {"", "OnCloseQuery", On<&D::FormCloseQuery>},
};

}  // namespace

TfrmKtrb52DF::TfrmKtrb52DF(plat::TComponent* owner) : TfrmQVDialog(owner) {
    using namespace plat;
    SetName("frmKtrb52DF");
    SetCaption("输入货款");
    SetShowHint(true);
    SetKeyPreview(true);

    Build(this, kDesign);
    FieldsByName(this, kDesign);
    btnOK->ModalResult = mrOk;
    btnCancel->ModalResult = mrCancel;
    btnCancel->Cancel = true;
    for (TTabSheet* page : {TabSheet3, TabSheet1}) page->SetTabVisible(false);
    for (TQvDBEdit* e : {edTI044, edTI046}) {
        e->SetReadOnly(true);
        e->SetTabStop(false);
        e->SetColor(clBtnFace);
    }
    const struct {
        TF2Button* button;
        TQvDBEdit* target;
        const char* hint;
        int glyph;
    } lookUps[] = {{F2Button1, edTI023, "单位信息查询", 8},
                   {btnTI028, edTI028, "常用语查询", 8},
                   {btnTI026, edTI026, "损坏扣款单价查询", 8},
                   {btnTH013, edTH013, "日期快手", 9}};
    for (const auto& l : lookUps) {
        l.button->SetFlat(true);
        l.button->SetGlyphIndex(l.glyph);
        l.button->SetHint(l.hint);
        l.button->SetF2Control(l.target);
    }
    for (TQvDBComboBox* c : {cboTH012, cboTH015}) {
        c->SetStyle(TComboBoxStyle::csDropDownList);
        c->SetMapList(true);
    }
    edTH014->SetCharCase(TEditCharCase::ecUpperCase);
    edTH030->SetReadOnly(true);
    edTH030->SetTabStop(false);
    Connect(this, kEvents);
}

TfrmKtrb52* TfrmKtrb52DF::mainForm() const {
    return dynamic_cast<TfrmKtrb52*>(Owner());
}

void TfrmKtrb52DF::FormCreate(plat::TObject* sender) {
    TfrmQVDialog::FormCreate(sender);
    TfrmKtrb52* owner = mainForm();
    if (plat::TDataSet* head = dataSetOf(owner, false); head && !editing(head)) head->Edit();
    cboTH015->SetEnabled(false);
    edTH030->SetEnabled(false);
    cboTH012->Items()->Clear();
    if (!owner) return;
    for (int i = 0; i < 8 && i < owner->Memo1.Count(); ++i)
        cboTH012->Items()->Add(owner->Memo1[i] + "\t" + kInvoiceCodes[i]);
    if (owner->cboTH012) {
        // The main form's other kinds too, so that a stored one shows its text.
        for (int i = 0; i < owner->cboTH012->Items()->Count(); ++i) {
            const std::string& item = (*owner->cboTH012->Items())[i];
            if (cboTH012->Items()->IndexOf(item) < 0) cboTH012->Items()->Add(item);
        }
        cboTH012->SetValue(owner->cboTH012->Value());
    }
    if (owner->cboTH015) {
        cboTH015->Items()->Assign(*owner->cboTH015->Items());
        cboTH015->SetItemIndex(owner->cboTH015->ItemIndex());
    }
}

void TfrmKtrb52DF::SetMode(int index) {
    Mode = index;
    if (index >= 0 && index < PageControl1->PageCount())
        PageControl1->SetActivePage(PageControl1->Pages(index));
}

void TfrmKtrb52DF::BindDataSources() {
    TfrmKtrb52* owner = mainForm();
    TdmKtrb52* dm = owner ? owner->ReceiptModule() : nullptr;
    plat::TTabSheet* page = PageControl1->ActivePage();
    if (!dm || !page) return;
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* c = dynamic_cast<plat::TControl*>(Components(i));
        if (!c || c->Parent() != page) continue;
        plat::TDataSource* source = Mode == mdAmounts ? dm->dsBody1 : dm->dsMain;
        if (auto* e = dynamic_cast<TQvDBEdit*>(c)) {
            e->SetDataSource(source);
            // The labels are the fields' own, in the interface language.
            if (TField* f = e->Field()) e->SetCaption(f->DisplayLabel());
        } else if (auto* cb = dynamic_cast<TQvDBComboBox*>(c)) {
            cb->SetDataSource(source);
            if (TField* f = cb->Field()) cb->SetCaption(f->DisplayLabel());
        }
    }
}

bool TfrmKtrb52DF::Execute(TfrmKtrb52* owner, int mode, Variant& result, bool showTI027, int width,
                           int height) {
    result = Variant();
    auto* dialog = plat::CreateForm<TfrmKtrb52DF>(owner);
    struct FreeGuard {
        TfrmKtrb52DF* d;
        ~FreeGuard() {
            if (plat::IsLiveControl(d)) d->Free();
        }
    } guard{dialog};
    dialog->SetMode(mode);
    dialog->SetClientHeight(height);
    dialog->SetClientWidth(width);
    dialog->BindDataSources();
    if (mode == mdAmounts) {
        dialog->btnOK->SetBounds(161, 9, 75, 25);
        dialog->btnCancel->SetBounds(270, 9, 75, 25);
        dialog->edTI027->SetVisible(showTI027);
    } else {
        dialog->btnOK->SetBounds(261, 9, 75, 25);
        dialog->btnCancel->SetBounds(354, 9, 75, 25);
    }
    return dialog->ShowModal() == plat::mrOk;
}

void TfrmKtrb52DF::cboTH012Change(plat::TObject*) {
    TfrmKtrb52* owner = mainForm();
    if (TdmKtrb52* dm = owner ? owner->ReceiptModule() : nullptr)
        dm->Session.InvoiceKindFromDialog = true;
}

void TfrmKtrb52DF::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    if (Mode != mdAmounts && Mode != mdInvoice) return;
    if (key != plat::VK_F2) return;
    if (TfrmKtrb52* owner = mainForm()) owner->HandleF2Key(key, control);
}

void TfrmKtrb52DF::FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) {
    if (Mode != mdAmounts && Mode != mdInvoice) {
        TfrmQVDialog::FormKeyDown(sender, key, shift);
        return;
    }
    if (key == plat::VK_F2) HandleF2Key(key, ActiveControl());
}

void TfrmKtrb52DF::cancelPending() {
    TfrmKtrb52* owner = mainForm();
    for (bool body : {true, false})
        if (plat::TDataSet* ds = dataSetOf(owner, body); editing(ds)) ds->Cancel();
}

void TfrmKtrb52DF::storeAmounts() {
    TfrmKtrb52* owner = mainForm();
    TdmKtrb52* dm = owner ? owner->ReceiptModule() : nullptr;
    if (!dm) return;
    plat::TClientDataSet* body = dm->cdsBody1;
    // The typed text of the focused edit belongs to the amounts sent.
    if (editing(body)) body->UpdateRecord();
    auto text = [&](const char* name) { return Variant(body->FieldByName(name)->AsString()); };
    auto number = [&](const char* name) { return Variant(body->FieldByName(name)->AsFloat()); };
    const std::string lineNo = body->FieldByName(mocti::LineNo)->AsString();
    TBrokers* broker = owner->Brokers();
    Variant answer = broker->CallServerMethod(
        "KeyinMoney",
        plat::VarArrayOf({"2", text(mocti::DocType), text(mocti::DocNo), text(mocti::LineNo),
                          number(mocti::PricingQuantity), number(mocti::UnitPrice),
                          number(mocti::ProcessingAmount), number(mocti::DeductionAmount),
                          number(mocti::ReceiptCost), text(mocti::DeductionNote),
                          text(mocti::PaymentHold), "", text(mocti::PricingUnit),
                          broker->HostParam("USER_GROUP"), broker->UserID, number(mocti::NetAmount),
                          number(mocti::TaxAmount), number(mocti::LocalNetAmount),
                          number(mocti::LocalTaxAmount)}));
    // Refused or not: what was typed is dropped, so the screen shows what is
    // stored and no later apply of the header can send the unstored amounts.
    cancelPending();
    if (plat::VarToStr(answer) == "N") {
        broker->ShowMessageCode("E", "100607");
        return;
    }
    owner->RefreshData();
    owner->UpdateButtons();
    try {
        body->Locate(mocti::LineNo, Variant(lineNo));
    } catch (const std::exception&) {
        // The line may have gone meanwhile; the cursor then stays where it is.
    }
}

void TfrmKtrb52DF::FormCloseQuery(plat::TObject*, bool&) {
    TfrmKtrb52* owner = mainForm();
    TdmKtrb52* dm = owner ? owner->ReceiptModule() : nullptr;
    if (!dm) return;
    if (ModalResult() != plat::mrOk) {
        cancelPending();
        return;
    }
    try {
        if (Mode == mdAmounts) {
            storeAmounts();
            return;
        }
        if (editing(dm->cdsMain)) dm->cdsMain->Post();
        dm->ApplyData(dm->cdsMain);
    } catch (...) {
        // The receipt form browses again: nothing typed may stay in edit.
        cancelPending();
        throw;
    }
}

}  // namespace ktrb
