#include "forms/SetSVINFO.h"

#include <algorithm>
#include <utility>

#include "controls/F2Button.h"
#include "controls/WindowDesign.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/graphics.h"
#include "platform/ui/stdctrls.h"
#include "runtime/Brokers.h"

namespace ktrb {

using namespace plat;

namespace {

constexpr TColor kLightYellow = TColor(11534335);

using D = TfrmSetSVINFO;
using design::Field;

const design::Control kFrame[] = {
    {"Panel2", Field<&D::Panel2>, "", {0, 0, 0, 41}, "", TAlign::alBottom},
    {"btnOK", Field<&D::btnOK>, "Panel2", {70, 8, 75, 25}, "审核"},
    {"btnCancel", Field<&D::btnCancel>, "Panel2", {166, 8, 75, 25}, "取消"},
    {"Panel1", Field<&D::Panel1>, "", {}, "", TAlign::alClient},
};

const design::Control kFields[] = {
    {"lbl01", Field<&D::lbl01>, "Panel1", {20, 40, 90, 16}},
    {"cbo01", Field<&D::cbo01>, "Panel1", {116, 36, 150, 24}, nullptr, {}, 0},
    {"lbl02", Field<&D::lbl02>, "Panel1", {20, 84, 90, 16}},
    {"ed02", Field<&D::ed02>, "Panel1", {116, 80, 125, 24}, nullptr, {}, 1},
    {"F2Button1", Field<&D::F2Button1>, "Panel1", {243, 80, 24, 24}},
};

const design::Handler kEvents[] = {
    {"ed02", "OnExit", design::On<&D::ed02Exit>},
    {"", "OnShow", design::On<&D::SetSVFormShow>},
    {"", "OnCloseQuery", design::On<&D::FormCloseQuery>},
};

}  // namespace

TfrmSetSVINFO::TfrmSetSVINFO(TComponent* owner) : TfrmQVDialog(owner) {
    SetName("frmSetSVINFO");
    SetCaption("传送表单信息");
    BorderIcons = {};
    SetClientWidth(311);
    SetClientHeight(183);
    Position = TPosition::poDesktopCenter;
    SetShowHint(true);

    design::Build(this, kFrame);
    btnOK->SetDefault(true);
    btnOK->ModalResult = mrOk;
    btnCancel->Cancel = true;
    btnCancel->ModalResult = mrCancel;
    // Before the labels are made: they take the panel's font.
    Panel1->Font()->SetName("宋体");
    Panel1->Font()->SetHeight(-16);
    design::Build(this, kFields);
    // Right-justified before the caption: the label keeps its right edge.
    for (auto [label, caption] : {std::pair{lbl01, "急件"}, std::pair{lbl02, "表单关系人"}}) {
        label->SetAlignment(TAlignment::taRightJustify);
        label->SetCaption(caption);
    }
    cbo01->SetStyle(TComboBoxStyle::csDropDownList);
    for (const char* item : {"1.一般", "2.急件", " "}) cbo01->Items()->Add(item);
    ed02->SetHint("[F2]人员信息查询");
    ed02->SetMaxLength(10);
    for (TWinControl* c : std::initializer_list<TWinControl*>{cbo01, ed02})
        c->SetColor(kLightYellow);
    lbl01->SetFocusControl(cbo01);
    lbl02->SetFocusControl(ed02);
    F2Button1->SetFlat(true);
    F2Button1->SetGlyphIndex(39);
    F2Button1->SetHint("人员信息查询");
    F2Button1->SetF2Control(ed02);
    design::Connect(this, kEvents);
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
