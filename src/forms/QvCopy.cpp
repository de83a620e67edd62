#include "forms/QvCopy.h"

#include <algorithm>

#include "controls/F2Button.h"
#include "controls/WindowDesign.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/stdctrls.h"
#include "runtime/LibStrs.h"

namespace ktrb {

namespace {

const char* const kBlank = " 不可空白 !";

using C = TfrmCopy;
using design::Field;
using plat::TAlign;

const design::Control kControls[] = {
    {"pnlBottom", Field<&C::pnlBottom>, "", {0, 0, 0, 44}, "", TAlign::alBottom},
    {"BBPrior", Field<&C::BBPrior>, "pnlBottom", {20, 8, 94, 28}, "上一步(&P)"},
    {"BBOK", Field<&C::BBOK>, "pnlBottom", {134, 8, 94, 28}, "下一步(&N)"},
    {"BBCancel", Field<&C::BBCancel>, "pnlBottom", {248, 8, 94, 28}, "取消(&C)"},
    {"PageControl1", Field<&C::PageControl1>, "", {}, nullptr, TAlign::alClient},
    {"tbsSource", Field<&C::tbsSource>, "PageControl1"},
    {"tbsDest", Field<&C::tbsDest>, "PageControl1"},
    {"gbSource", Field<&C::gbSource>, "tbsSource", {}, "来源", TAlign::alClient},
    {"gbDest", Field<&C::gbDest>, "tbsDest", {}, "目的", TAlign::alClient},
};

const design::Handler kEvents[] = {
    {"BBOK", "OnClick", design::On<&C::BBOKClick>},
    {"", "OnKeyDown", design::On<&C::FormKeyDown>},
    {"", "OnKeyPress", design::On<&C::FormKeyPress>},
    {"", "OnCloseQuery", design::On<&C::FormCloseQuery>},
};

}  // namespace

TfrmCopy::TfrmCopy(plat::TComponent* owner) : TQVForm(owner) {
    using namespace plat;
    SetName("frmCopy");
    SetCaption("复制");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poScreenCenter;
    SetKeyPreview(true);
    SetClientWidth(362);
    SetClientHeight(310);

    design::Build(this, kControls);
    BBPrior->SetVisible(false);
    BBCancel->Cancel = true;
    BBCancel->ModalResult = mrCancel;
    for (TTabSheet* sheet : {tbsSource, tbsDest}) sheet->SetTabVisible(false);

    for (int i = 0; i < kRows; ++i) {
        const std::string n = std::to_string(i + 1);
        const int top = 26 + 28 * i;
        lblSource[i] = new TLabel(this);
        lblSource[i]->SetName("lblSource" + n);
        lblSource[i]->SetParent(gbSource);
        lblSource[i]->SetBounds(16, top + 4, 110, 14);
        edSource[i] = new TEdit(this);
        edSource[i]->SetName("edSource" + n);
        edSource[i]->SetParent(gbSource);
        edSource[i]->SetBounds(130, top, 170, 21);
        lblDest[i] = new TLabel(this);
        lblDest[i]->SetName("lblDest" + n);
        lblDest[i]->SetParent(gbDest);
        lblDest[i]->SetBounds(16, top + 4, 110, 14);
        edDest[i] = new TDBEdit(this);
        edDest[i]->SetName("edDest" + n);
        edDest[i]->SetParent(gbDest);
        edDest[i]->SetBounds(130, top, 170, 21);
        btnDest[i] = new TF2Button(this);
        btnDest[i]->SetName("btnDest" + n);
        btnDest[i]->SetParent(gbDest);
        btnDest[i]->SetF2Control(edDest[i]);
        lblSource[i]->SetFocusControl(edSource[i]);
        lblDest[i]->SetFocusControl(edDest[i]);
        if (i == 0) continue;
        for (TControl* c : std::initializer_list<TControl*>{lblSource[i], edSource[i], lblDest[i],
                                                            edDest[i], btnDest[i]})
            c->SetVisible(false);
    }
    PageControl1->SetActivePage(tbsSource);

    design::Connect(this, kEvents);
}

bool TfrmCopy::SetupRows(plat::TDataSet* dataSet, plat::TDataSource* dataSource,
                         const std::string& keyList) {
    std::vector<std::string> keys;
    for (int i = 1; i <= FieldCount(keyList, ","); ++i) keys.push_back(TokenAt(keyList, ",", i));
    for (int i = 0; i < (int)keys.size() && i < kRows; ++i) {
        plat::TField* field = dataSet ? dataSet->FindField(plat::Trim(keys[i])) : nullptr;
        if (!field) {
            ShowMessageBox("Error happend in QvCopy.pas", TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
            return false;
        }
        edDest[i]->SetDataSource(dataSource);
        edDest[i]->SetDataField(field->FieldName());
        lblSource[i]->SetCaption(field->DisplayLabel());
        lblDest[i]->SetCaption(field->DisplayLabel());
        edSource[i]->SetText(plat::VarToStr(QvConverter->ConvertDBToUI(field->AsString())));
        for (plat::TControl* c : std::initializer_list<plat::TControl*>{lblSource[i], edSource[i],
                                                                        lblDest[i], edDest[i]})
            c->SetVisible(true);
        // The last key is the new number: no look-up for it, unless it is the only key.
        btnDest[i]->SetVisible(i == 0 || i + 1 < (int)keys.size());
    }
    // As tall as the rows in use.
    const int rows = std::min((int)keys.size(), kRows);
    SetClientHeight(std::max(150, 26 + 28 * rows + 28 + pnlBottom->Height()));
    return true;
}

bool TfrmCopy::Execute(TQVForm* owner, plat::TDataSet* dataSet, plat::TDataSource* dataSource,
                       bool allowEmpty, plat::Variant& extras, plat::Variant& bodyRows,
                       plat::Variant& headValues, const std::string& keyList) {
    TfrmCopy* dialog = plat::CreateForm<TfrmCopy>(owner);
    struct Free {
        TfrmCopy* d;
        ~Free() {
            if (plat::IsLiveControl(d)) d->Free();
        }
    } freeIt{dialog};
    if (dialog->WindowState() == plat::TWindowState::wsMaximized)
        dialog->SetWindowState(plat::TWindowState::wsNormal);
    dialog->SetBorderStyle(plat::TFormBorderStyle::bsDialog);
    dialog->AllowEmpty = allowEmpty;
    dialog->ApplyFormLanguage(false);
    dialog->SetupRows(dataSet, dataSource, keyList);
    if (dialog->ShowModal() != plat::mrOk) return false;
    extras = dialog->Extras;
    bodyRows = dialog->BodyRows;
    headValues = dialog->HeadValues;
    return true;
}

std::string TfrmCopy::toDB(const std::string& text) const {
    return plat::VarToStr(QvConverter->ConvertUIToDB(text));
}

void TfrmCopy::blankMessage(int row) {
    ShowMessageBox(lblDest[row]->Caption() + GetLangMessage("TfrmCopy", "sBlankKey", kBlank, true),
                   TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
}

void TfrmCopy::focus(plat::TWinControl* control) {
    if (control && control->CanFocus()) control->SetFocus();
}

void TfrmCopy::BBOKClick(plat::TObject*) {
    if (PageControl1->ActivePage() != tbsSource) return;
    std::vector<std::string> keys;
    for (int i = 0; i < kRows; ++i) {
        if (!edSource[i]->Visible()) continue;
        if (edSource[i]->Text().empty()) {
            blankMessage(i);
            focus(edSource[i]);
            return;
        }
        keys.push_back(toDB(edSource[i]->Text()));
    }
    auto* owner = dynamic_cast<ICopyDialogOwner*>(Owner());
    if (!owner || !owner->ReadCopySource(keys, HeadValues, Extras, BodyRows)) return;
    PageControl1->SetActivePage(tbsDest);
    BBOK->ModalResult = plat::mrOk;
    focus(edDest[0]);
}

void TfrmCopy::FormKeyDown(plat::TObject*, uint16_t& key, plat::TShiftState shift) {
    if (shift.Contains(plat::ssCtrl) || shift.Contains(plat::ssAlt)) return;
    switch (key) {
        case plat::VK_DOWN:
        case plat::VK_UP:
            SelectNext(ActiveControl(), key == plat::VK_DOWN, true);
            key = 0;
            break;
        case plat::VK_F2:
            if (auto* owner = dynamic_cast<ICopyDialogOwner*>(Owner()))
                owner->CopyDialogF2Key(key, ActiveControl());
            break;
        default:
            break;
    }
}

void TfrmCopy::FormKeyPress(plat::TObject*, char32_t& key) {
    if (key != 13) return;
    key = 0;
    SelectNext(ActiveControl(), true, true);
}

void TfrmCopy::WndProc(plat::TMessage& m) {
    if (m.Msg == WM_F2KEY) {
        auto* control = dynamic_cast<plat::TWinControl*>(plat::ControlOfLParam(m.LParam));
        uint16_t key = plat::VK_F2;
        if (auto* owner = dynamic_cast<ICopyDialogOwner*>(Owner()))
            owner->CopyDialogF2Key(key, control);
        return;
    }
    TQVForm::WndProc(m);
}

void TfrmCopy::FormCloseQuery(plat::TObject*, bool& canClose) {
    if (ModalResult() != plat::mrOk) return;
    SourceTexts.clear();
    DestTexts.clear();
    for (int i = 0; i < kRows; ++i) {
        if (!edSource[i]->Visible()) continue;
        SourceTexts.push_back(toDB(edSource[i]->Text()));
        DestTexts.push_back(toDB(edDest[i]->Text()));
        if (AllowEmpty || (!SourceTexts.back().empty() && !DestTexts.back().empty())) continue;
        canClose = false;
        blankMessage(i);
        focus(edDest[i]);
        return;
    }
}

}  // namespace ktrb
