#include "forms/SetSVINFO.h"

#include <algorithm>

#include "controls/F2Button.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/graphics.h"
#include "platform/ui/stdctrls.h"
#include "runtime/Brokers.h"

namespace ktrb {

using namespace plat;

namespace {
constexpr TColor kLightYellow = TColor(11534335);
}

TfrmSetSVINFO::TfrmSetSVINFO(TComponent* owner) : TfrmQVDialog(owner) {
    SetName("frmSetSVINFO");
    SetCaption("传送表单信息");
    BorderIcons = {};
    SetClientWidth(311);
    SetClientHeight(183);
    Position = TPosition::poDesktopCenter;
    SetShowHint(true);

    Panel2 = new TPanel(this);
    Panel2->SetName("Panel2");
    Panel2->SetParent(this);
    Panel2->SetCaption("");
    Panel2->SetHeight(41);
    Panel2->SetAlign(TAlign::alBottom);
    btnOK = new TButton(this);
    btnOK->SetName("btnOK");
    btnOK->SetParent(Panel2);
    btnOK->SetBounds(70, 8, 75, 25);
    btnOK->SetCaption("审核");
    btnOK->SetDefault(true);
    btnOK->ModalResult = mrOk;
    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(Panel2);
    btnCancel->SetBounds(166, 8, 75, 25);
    btnCancel->SetCaption("取消");
    btnCancel->Cancel = true;
    btnCancel->ModalResult = mrCancel;

    Panel1 = new TPanel(this);
    Panel1->SetName("Panel1");
    Panel1->SetParent(this);
    Panel1->SetCaption("");
    Panel1->SetAlign(TAlign::alClient);
    Panel1->Font()->SetName("宋体");
    Panel1->Font()->SetHeight(-16);
    lbl01 = new TLabel(this);
    lbl01->SetName("lbl01");
    lbl01->SetParent(Panel1);
    lbl01->SetBounds(20, 40, 90, 16);
    lbl01->SetAlignment(TAlignment::taRightJustify);
    lbl01->SetCaption("急件");
    cbo01 = new TComboBox(this);
    cbo01->SetName("cbo01");
    cbo01->SetParent(Panel1);
    cbo01->SetBounds(116, 36, 150, 24);
    cbo01->SetStyle(TComboBoxStyle::csDropDownList);
    cbo01->SetColor(kLightYellow);
    cbo01->Items()->Add("1.一般");
    cbo01->Items()->Add("2.急件");
    cbo01->Items()->Add(" ");
    cbo01->SetTabOrder(0);
    lbl01->SetFocusControl(cbo01);
    lbl02 = new TLabel(this);
    lbl02->SetName("lbl02");
    lbl02->SetParent(Panel1);
    lbl02->SetBounds(20, 84, 90, 16);
    lbl02->SetAlignment(TAlignment::taRightJustify);
    lbl02->SetCaption("表单关系人");
    ed02 = new TEdit(this);
    ed02->SetName("ed02");
    ed02->SetParent(Panel1);
    ed02->SetBounds(116, 80, 125, 24);
    ed02->SetHint("[F2]人员信息查询");
    ed02->SetColor(kLightYellow);
    ed02->SetMaxLength(10);
    ed02->SetTabOrder(1);
    lbl02->SetFocusControl(ed02);
    F2Button1 = new TF2Button(this);
    F2Button1->SetName("F2Button1");
    F2Button1->SetParent(Panel1);
    F2Button1->SetBounds(243, 80, 24, 24);
    F2Button1->SetFlat(true);
    F2Button1->SetGlyphIndex(39);
    F2Button1->SetHint("人员信息查询");
    F2Button1->SetF2Control(ed02);

    ed02->OnExit = TNotifyEvent(this, &TfrmSetSVINFO::ed02Exit);
    OnShow = TNotifyEvent(this, &TfrmSetSVINFO::SetSVFormShow);
    OnCloseQuery = TCloseQueryEvent(this, &TfrmSetSVINFO::FormCloseQuery);
}

bool TfrmSetSVINFO::Execute(TComponent* owner, Variant& value) {
    auto* dialog = CreateForm<TfrmSetSVINFO>(owner);
    const bool ok = dialog->ShowModal() == mrOk;
    value = dialog->Value();
    dialog->Free();
    return ok;
}

void TfrmSetSVINFO::SetSVFormShow(TObject* sender) {
    FormShow(sender);
    cbo01->SetItemIndex(0);
    // Labels in another language may be wider than the designed column.
    Canvas()->Font.Assign(*Panel1->Font());
    const int labels =
        std::max(Canvas()->TextWidth(lbl01->Caption()), Canvas()->TextWidth(lbl02->Caption()));
    if (labels > lbl01->Width()) {
        const int shift = labels - lbl01->Width() - std::max(0, lbl01->Left() - 12);
        for (TLabel* l : {lbl01, lbl02}) l->SetBounds(12, l->Top(), labels, l->Height());
        if (shift > 0) {
            for (TControl* c : std::initializer_list<TControl*>{cbo01, ed02, F2Button1})
                c->SetLeft(c->Left() + shift);
            SetClientWidth(ClientWidth() + shift);
            btnOK->SetLeft(ClientWidth() / 2 - btnOK->Width() - 10);
            btnCancel->SetLeft(ClientWidth() / 2 + 10);
        }
    }
    ed02->SetText(Brokers ? Brokers->UserID : std::string());
    value_ = Variant();
}

void TfrmSetSVINFO::HandleF2Key(uint16_t& key, TWinControl* control) {
    TfrmQVDialog::HandleF2Key(key, control);
    if (control == ed02) F2LookupEdit(ed02, "QRVMA", "01", Variant(ed02->Text()));
}

void TfrmSetSVINFO::FormCloseQuery(TObject*, bool& canClose) {
    if (ModalResult() != mrOk) return;
    if (ed02->Text().empty()) {
        if (Brokers) Brokers->ShowMessageCode("E", "000003", {Variant(lbl02->Caption())});
        if (ed02->CanFocus()) ed02->SetFocus();
        canClose = false;
        return;
    }
    if (!CheckEditValue({ed02}, "QRVMA", "01", Variant(ed02->Text()), "E")) {
        if (ed02->CanFocus()) ed02->SetFocus();
        canClose = false;
        return;
    }
    value_ = VarArrayOf({cbo01->ItemIndex() + 1, ed02->Text()});
}

}  // namespace ktrb
