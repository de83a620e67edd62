#include "receipt/forms/Ktrb52DF.h"

#include "controls/F2Button.h"
#include "controls/QrvEdit.h"
#include "forms/FormDesign.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/stdctrls.h"
#include "receipt/forms/Ktrb52CF.h"
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

}  // namespace

TfrmKtrb52DF::TfrmKtrb52DF(plat::TComponent* owner) : TfrmQVDialog(owner) {
    using namespace plat;
    SetName("frmKtrb52DF");
    SetCaption("输入货款");
    SetShowHint(true);
    SetKeyPreview(true);

    Panel1 = DesignPanel(this, this, "Panel1", TAlign::alBottom, 41);
    btnOK = DesignButton(this, Panel1, "btnOK", "确定", {161, 9, 236, 34}, mrOk);
    btnCancel = DesignButton(this, Panel1, "btnCancel", "取消", {270, 9, 345, 34}, mrCancel);

    PageControl1 = new TPageControl(this);
    PageControl1->SetName("PageControl1");
    PageControl1->SetParent(this);
    PageControl1->SetAlign(TAlign::alClient);
    auto page = [&](const char* name, const char* caption) {
        auto* p = new TTabSheet(this);
        p->SetName(name);
        p->SetCaption(caption);
        p->SetPageControl(PageControl1);
        p->SetTabVisible(false);
        return p;
    };
    TabSheet3 = page("TabSheet3", "输入货款");
    TabSheet1 = page("TabSheet1", "输入发票相关信息");

    // Two columns of labelled edits; the labels stand left of their edits.
    auto edit = [&](TTabSheet* parent, const char* name, const char* field, int left, int top,
                    int width = 120) {
        auto* e = new TQvDBEdit(this);
        e->SetName(name);
        e->SetDataField(field);
        e->SetParent(parent);
        e->SetBounds(left, top, width, 21);
        return e;
    };
    auto f2 = [&](const char* name, const char* hint, TQvDBEdit* target, int glyph = 8) {
        auto* b = new TF2Button(this);
        b->SetName(name);
        b->SetParent(target->Parent());
        b->SetBounds(target->Left() + target->Width() + 2, target->Top(), 20, 21);
        b->SetFlat(true);
        b->SetGlyphIndex(glyph);
        b->SetHint(hint);
        b->SetF2Control(target);
        return b;
    };
    constexpr int kLeft = 120, kRight = 395, kRow = 27, kTop = 14;
    edTI020 = edit(TabSheet3, "edTI020", "TI020", kLeft, kTop);
    edTI024 = edit(TabSheet3, "edTI024", "TI024", kLeft, kTop + kRow);
    edTI025 = edit(TabSheet3, "edTI025", "TI025", kLeft, kTop + 2 * kRow);
    edTI027 = edit(TabSheet3, "edTI027", "TI027", kLeft, kTop + 3 * kRow);
    edTI026 = edit(TabSheet3, "edTI026", "TI026", kLeft, kTop + 4 * kRow);
    edTI028 = edit(TabSheet3, "edTI028", "TI028", kLeft, kTop + 5 * kRow, 380);
    edTI023 = edit(TabSheet3, "edTI023", "TI023", kRight, kTop, 100);
    edTI044 = edit(TabSheet3, "edTI044", "TI044", kRight, kTop + kRow);
    edTI045 = edit(TabSheet3, "edTI045", "TI045", kRight, kTop + 2 * kRow);
    edTI046 = edit(TabSheet3, "edTI046", "TI046", kRight, kTop + 3 * kRow);
    edTI047 = edit(TabSheet3, "edTI047", "TI047", kRight, kTop + 4 * kRow);
    for (TQvDBEdit* e : {edTI044, edTI046}) {
        e->SetReadOnly(true);
        e->SetTabStop(false);
        e->SetColor(clBtnFace);
    }
    F2Button1 = f2("F2Button1", "单位信息查询", edTI023);
    btnTI028 = f2("btnTI028", "常用语查询", edTI028);
    btnTI026 = f2("btnTI026", "损坏扣款单价查询", edTI026);

    auto combo = [&](const char* name, const char* field, int left, int top) {
        auto* c = new TQvDBComboBox(this);
        c->SetName(name);
        c->SetDataField(field);
        c->SetParent(TabSheet1);
        c->SetBounds(left, top, 170, 21);
        c->SetStyle(TComboBoxStyle::csDropDownList);
        c->SetMapList(true);
        return c;
    };
    constexpr int kInvLeft = 110, kInvRight = 440;
    cboTH012 = combo("cboTH012", "TH012", kInvLeft, kTop);
    edTH013 = edit(TabSheet1, "edTH013", "TH013", kInvLeft, kTop + kRow);
    edTH014 = edit(TabSheet1, "edTH014", "TH014", kInvLeft, kTop + 2 * kRow);
    edTH014->SetCharCase(TEditCharCase::ecUpperCase);
    edTH011 = edit(TabSheet1, "edTH011", "TH011", kInvRight, kTop, 170);
    cboTH015 = combo("cboTH015", "TH015", kInvRight, kTop + kRow);
    edTH030 = edit(TabSheet1, "edTH030", "TH030", kInvRight, kTop + 2 * kRow, 80);
    edTH030->SetReadOnly(true);
    edTH030->SetTabStop(false);
    btnTH013 = f2("btnTH013", "日期快手", edTH013, 9);
    cboTH012->OnChange = TNotifyEvent(this, &TfrmKtrb52DF::cboTH012Change);

    OnCreate = TNotifyEvent(this, &TfrmKtrb52DF::FormCreate);
    OnKeyDown = TKeyEvent(this, &TfrmKtrb52DF::FormKeyDown);
    OnCloseQuery = TCloseQueryEvent(this, &TfrmKtrb52DF::FormCloseQuery);
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
    const std::string lineNo = body->FieldByName("TI003")->AsString();
    TBrokers* broker = owner->Brokers();
    Variant answer = broker->CallServerMethod(
        "KeyinMoney",
        plat::VarArrayOf({"2", text("TI001"), text("TI002"), text("TI003"), number("TI020"),
                          number("TI024"), number("TI025"), number("TI026"), number("TI027"),
                          text("TI028"), text("TI033"), "", text("TI023"),
                          broker->HostParam("USER_GROUP"), broker->UserID, number("TI044"),
                          number("TI045"), number("TI046"), number("TI047")}));
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
        body->Locate("TI003", Variant(lineNo));
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
