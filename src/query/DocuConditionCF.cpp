#include "query/DocuConditionCF.h"

#include "controls/DBLabel.h"
#include "platform/core/text.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "query/QvQBE.h"
#include "runtime/Brokers.h"

namespace ktrb {

TfrmDocuCondition::TfrmDocuCondition(plat::TComponent* owner) : TQVForm(owner) {
    using namespace plat;
    SetName("frmDocuCondition");
    SetBorderStyle(TFormBorderStyle::bsDialog);
    BorderIcons = {};
    Position = TPosition::poOwnerFormCenter;
    SetWidth(327);
    SetHeight(177);
    SetKeyPreview(true);
    Font()->SetName("MS Sans Serif");
    Font()->SetHeight(-11);

    edConName = new TEdit(this);
    edConName->SetName("edConName");
    edConName->SetParent(this);
    edConName->SetBounds(94, 32, 139, 21);
    edConName->SetColor(0xAFFFFF);
    edConName->SetMaxLength(20);
    lblCondition = new TDBLabel(this);
    lblCondition->SetName("lblCondition");
    lblCondition->SetParent(this);
    lblCondition->SetCaption("方案名");
    lblCondition->SetGap(4);
    lblCondition->SetFocusControl(edConName);
    btnOk = new TButton(this);
    btnOk->SetName("btnOk");
    btnOk->SetParent(this);
    btnOk->SetCaption("确定");
    btnOk->SetHint("确定");
    btnOk->SetBounds(77, 100, 65, 24);
    btnCancel = new TButton(this);
    btnCancel->SetName("btnCancel");
    btnCancel->SetParent(this);
    btnCancel->SetCaption("取消");
    btnCancel->SetHint("取消");
    btnCancel->SetBounds(176, 101, 66, 24);
    btnCancel->Cancel = true;
    btnCancel->ModalResult = mrCancel;

    btnOk->OnClick = TNotifyEvent(this, &TfrmDocuCondition::btnOkClick);
    OnKeyPress = TKeyPressEvent(this, &TfrmDocuCondition::FormKeyPress);
    OnCreate = TNotifyEvent(this, &TfrmDocuCondition::FormCreate);
    OnShow = TNotifyEvent(this, &TfrmDocuCondition::FormShow);
}

void TfrmDocuCondition::FormShow(plat::TObject* sender) {
    TQVForm::FormShow(sender);
    // The language package may have given the label another width.
    lblCondition->Refresh();
}

void TfrmDocuCondition::FormCreate(plat::TObject* sender) {
    TQVForm::FormCreate(sender);
    if (auto* q = dynamic_cast<TQBEForm*>(Owner())) {
        Broker = q->OwnerBroker();
        OwnerDisplayMode = q->GetDisplayMode();
        OwnerDataMode = q->GetDataMode();
        SetCaption(q->Caption());
    }
    ConvertFormOnce();
    Replace = false;
}

void TfrmDocuCondition::btnOkClick(plat::TObject*) {
    std::string name = edConName->Text();
    if (plat::Trim(name).empty()) {
        QueryMessageBox(
            this, GetLangMessage("TfrmDocuCondition", "sProjNameEmpty", "方案名不可空白!", true),
            TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        edConName->SetFocus();
        return;
    }
    plat::Variant reply;
    bool exists =
        Broker &&
        Broker->CheckValue("DOCUS", "01",
                           plat::VarArrayOf({name, Broker->UserID, Broker->ProgramCode}), reply);
    if (exists) {
        std::string ask = GetLangMessage("TfrmDocuCondition", "sReplaceProj",
                                         "此方案名已存在！是否将原来的方案替换为此方案?", true);
        if (QueryMessageBox(this, ask, TMsgDlgType::mtConfirmation,
                            {TMsgDlgBtn::mbOK, TMsgDlgBtn::mbCancel}) != plat::mrOk) {
            edConName->SetFocus();
            return;
        }
        Replace = true;
    }
    SetModalResult(plat::mrOk);
}

void TfrmDocuCondition::FormKeyPress(plat::TObject*, char32_t& key) {
    // A button takes Enter as its click.
    if (key != 13 || dynamic_cast<plat::TButton*>(ActiveControl())) return;
    SelectNext(ActiveControl(), true, true);
    key = 0;
}

void ShowDocuCondition(plat::TComponent* owner, plat::Variant& result) {
    auto* form = plat::CreateForm<TfrmDocuCondition>(owner);
    try {
        if (form->ShowModal() == plat::mrCancel || form->ModalResult() != plat::mrOk)
            result = plat::VarArrayOf({""});
        else
            result = plat::VarArrayOf({form->edConName->Text(), form->Replace});
    } catch (...) {
        form->Free();
        throw;
    }
    form->Free();
}

}  // namespace ktrb
