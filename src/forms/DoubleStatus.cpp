// The document status of the header/body form: void and restore written by
// the form, confirm and unconfirm through the transaction server, the stamp
// and the status buttons.
#include "controls/FDBGrid.h"
#include "dataframe/knlRadical.h"
#include "forms/DoubleCF.h"
#include "forms/QVConfirmDate.h"
#include "platform/automation/oleobject.h"
#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/graphics.h"
#include "platform/ui/menus.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::Variant;

namespace {

// Puts the form's head-to-body copy list back when the step ends.
struct CopyListSwap {
    TdmDouble* dm;
    std::string saved;
    CopyListSwap(TdmDouble* m, const std::string& list) : dm(m), saved(m->HeadToBodyFields) {
        dm->HeadToBodyFields = list;
    }
    ~CopyListSwap() { dm->HeadToBodyFields = saved; }
};

}  // namespace

void TfrmDouble::GetTxnProgramID(std::string& text) {
    text = Brokers() ? Brokers()->ProgramCode : std::string();
}

bool TfrmDouble::NotAutoConfirmingNew() {
    return !(FormMode() == TFormMode::Add && ConfirmAfterSave == "Y");
}

void TfrmDouble::miConfirmClick(plat::TObject*) {
    ChangeDocStatus(3, true);
}

void TfrmDouble::miUnConfirmClick(plat::TObject*) {
    ChangeDocStatus(2, false);
}

void TfrmDouble::miInvalidClick(plat::TObject*) {
    if (!Brokers() || Brokers()->ShowMessageCode("C", "200002") != modal::Ok) return;
    ChangeDocStatus(miInvalid && miInvalid->Checked() ? 0 : 1, false);
}

bool TfrmDouble::writeVoidStatus(uint8_t kind) {
    TdmDouble* dm = DoubleModule();
    plat::TClientDataSet* head = dm->cdsMain;
    try {
        plat::TField* status = headField(confirmField_);
        {
            TDataEventsDetached quiet(dm->dsMain);
            SetFormMode(1);
            head->Edit();
            SetFieldText(status, kind == 1 ? "V" : "N");
            if (plat::TField* flag = head->FindField("FLAG")) {
                try {
                    SetFieldText(flag, std::to_string(flag->AsInteger() % 999 + 1));
                } catch (const std::exception&) {
                    // A FLAG that is no number is left as it is.
                }
            }
            head->Post();
        }
        if (!plat::Trim(bodyConfirmField_).empty()) {
            struct BackToBrowse {
                TfrmDouble* f;
                ~BackToBrowse() { f->SetFormMode(0); }
            } browse{this};
            CopyListSwap list(dm, confirmField_ + "->" + bodyConfirmField_);
            ApplyHeadFieldsToBody();
        } else {
            SetFormMode(0);
        }
        return dm->ApplyData(head);
    } catch (const plat::EAbort&) {
        head->Cancel();
        SetFormMode(0);
        throw;
    } catch (const std::exception&) {
        head->Cancel();
        SetFormMode(0);
        return false;
    }
}

bool TfrmDouble::ChangeDocStatus(uint8_t kind, bool askDate) {
    bool result = true;
    statusKind_ = static_cast<TStatusChange>(kind);
    TdmDouble* dm = DoubleModule();
    if (!dm || !dm->CheckDataRights() || !CheckStatusChange(kind)) return true;
    if (kind <= 1) {
        result = writeVoidStatus(kind);
    } else {
        Variant request, reply;
        const bool done = ExecuteStatusTransaction(request, reply, askDate);
        if (done) {
            AfterTransactionSucceeded(kind, request, reply);
            if (!(kind == 3 && FormMode() == TFormMode::Add)) RefreshData();
            if (kind == 3) ShowTransactionResult(reply, true);
        } else {
            AfterTransactionFailed(kind, request, reply);
            // The document is read again first: the refusal's message may end
            // the action, and the form must show what the server holds.
            RefreshData();
            ApplyRights();
            ShowTransactionResult(reply, false);
        }
        // A refusal is no success (the status stays as it was).
        result = done;
    }
    ApplyRights();
    return result;
}

bool TfrmDouble::ExecuteStatusTransaction(Variant& request, Variant& result, bool askDate) {
    result = Variant();
    return RunConfirmTransaction(request, result, askDate);
}

bool TfrmDouble::RunConfirmTransaction(Variant& request, Variant& result, bool askDate) {
    Variant target;
    if (!BuildConfirmRequest(static_cast<uint8_t>(statusKind_), askDate, target, request))
        return false;
    if (!txnServer_.IsDispatch()) txnServer_ = Variant(plat::CreateOleObject(kTxnServerProgID));
    plat::DispatchPtr server = txnServer_.AsDispatch();
    bool done = false;
    {
        plat::TCursorGuard hourglass(plat::crHourGlass);
        done = server
                   ->Call("DoIt2", request,
                          plat::VarArrayOf({plat::VarToStr(target[0]), plat::VarToStr(target[1])}))
                   .AsBoolean();
    }
    result = ReadTxnResult(*server, done);
    try {
        server->Call("CloseCOM");
    } catch (const std::exception&) {
        // The server's own clean-up; the result is read already.
    }
    return done;
}

bool TfrmDouble::GetTransactionTarget(Variant& target) {
    std::string cls, program;
    GetTxnServerClass(cls);
    GetTxnProgramID(program);
    target = BuildTxnTarget(cls, program, Brokers() ? Brokers()->GetTxnValues() : ";");
    return true;
}

TQVConfirmDateForm* TfrmDouble::ConfirmDateDialog() {
    if (!confirmDialog_) confirmDialog_ = plat::CreateForm<TQVConfirmDateForm>(this);
    return confirmDialog_;
}

bool TfrmDouble::BuildConfirmRequest(uint8_t kind, bool askDate, Variant& target,
                                     Variant& request) {
    TdmDouble* dm = DoubleModule();
    if (!dm) return false;
    TConfirmRequestInput in;
    in.kind = static_cast<TStatusChange>(kind);
    in.keyTexts = headKeyTexts(false);
    if (kind == 3 && FormMode() == TFormMode::Add && dm->AutoNumber) in.serverNumber = ServerNumber;
    plat::TField* flag = dm->cdsMain->FindField("FLAG");
    in.flagText = std::to_string(flag ? FlagValue(flag) : 0);
    GetTransactionTarget(target);
    TBrokers* brokers = Brokers();
    if (brokers) {
        in.user = brokers->UserID;
        in.company = brokers->CompanyID;
        in.programFlag = brokers->ProgramFlag();
    }
    in.uiCodePage = GetUICodePage();
    in.systemCodePage = GetSystemCodePage();
    in.programId = GetProgramIDFromModule();
    plat::TField* date = headField(dateField_);
    if (!askDate && statusKind_ == TStatusChange::Confirm) {
        plat::TDateTime when = 0;
        if (brokers && brokers->GetSysParam("SYS025") == "1")
            when = plat::Date();
        else if (date)
            when = YmdToDate(date->AsString());
        in.confirmDate = DisplayDateToYmd(DateToText(DateFormatCode, Sys002Text, when),
                                          DateFormatCode, Sys002Text);
    }
    if (askDate) {
        TQVConfirmDateForm* dialog = ConfirmDateDialog();
        std::string documentDate, label;
        try {
            if (!date) throw plat::Exception("no date field");
            documentDate = date->AsString();
            label = date->DisplayLabel();
        } catch (const std::exception&) {
            ShowMessageBox("There is no ConfirmDate !", TMsgDlgType::mtInformation,
                           {TMsgDlgBtn::mbOK});
            return false;
        }
        dialog->Setup(brokers ? brokers->GetSysParam("SYS025") : "", documentDate, label);
        if (dialog->ShowModal() != plat::mrOk) return false;
        in.confirmDate = dialog->ResultDate();
        if (!CanConfirmDocument(dialog->ResultDate())) return false;
    }
    request = ktrb::BuildConfirmRequest(in, target);
    return true;
}

void TfrmDouble::ShowTransactionResult(const Variant& result, bool succeeded) {
    if (succeeded) {
        const std::string text = ResultText(result);
        if (!text.empty()) ShowMessageBox(text, TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
        return;
    }
    TCodedResult coded = CodedResult(result);
    if (coded.coded && Brokers()) {
        coded.args.resize(10, Variant(std::string()));
        Brokers()->ShowMessageCode(coded.kind.substr(0, 1), coded.code, coded.args);
        if (coded.kind == "E") plat::Abort();
        return;
    }
    const std::string text = ResultText(result);
    if (!text.empty()) ShowMessageBox(text, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
}

// ---- stamp and status buttons ----

void TfrmDouble::showStamp(const char* name) {
    stamp_ = nullptr;
    if (name && std::string(name) == "CONFIRM") stamp_ = stampConfirm_.get();
    if (name && std::string(name) == "INVALID") stamp_ = stampInvalid_.get();
    if (name && std::string(name) == "NOGOOD") stamp_ = stampNoGood_.get();
    if (!ImgConfirm) return;
    if (stamp_)
        ImgConfirm->Picture()->Bitmap()->Assign(*stamp_);
    else
        ImgConfirm->Picture()->Bitmap()->Clear();
    ImgConfirm->Invalidate();
}

void TfrmDouble::setActionButtons(int action, bool on) {
    const uint16_t rights = ActionRights();
    auto enable = [](auto* c, bool v) {
        if (c) c->SetEnabled(v);
    };
    switch (action) {
        case 0: {
            const bool v = on && ConfirmAllowed && (rights & 0x20);
            enable(btnConfirm, v);
            enable(miConfirm, v);
            enable(miGoConfirm, on && SignOffAllowed && (rights & 0x20));
            break;
        }
        case 1: {
            const bool v = on && UnconfirmAllowed && (rights & 0x40);
            enable(btnUnConfirm, v);
            enable(miUnConfirm, v);
            enable(miGoUnConfirm, on && SignOffAllowed && (rights & 0x40));
            break;
        }
        case 2:
        case 3:
        case 4: {
            const bool v = action == 3 && VoidAllowed && (rights & 0x80);
            enable(btnInvalid, action == 4 ? false : v);
            enable(miInvalid, action == 4 ? false : v);
            enable(miGoInvalid, action == 3 && SignOffAllowed && (rights & 0x80));
            if (action != 4) {
                if (btnInvalid) btnInvalid->SetDown(false);
                if (miInvalid) miInvalid->SetChecked(false);
                if (miGoInvalid) miGoInvalid->SetChecked(false);
            }
            break;
        }
        default:
            break;
    }
}

void TfrmDouble::UpdateStatusButtons() {
    setActionButtons(0, false);
    setActionButtons(1, false);
    setActionButtons(2, false);
    showStamp(nullptr);
    TdmDouble* dm = DoubleModule();
    plat::TField* status = headField(confirmField_);
    if (!dm || !dm->cdsMain->Active() || dm->cdsMain->IsEmpty() || !status) return;
    const std::string s = status->AsString();
    plat::TField* signOff = headField(signOffField_);
    const std::string signOffStatus = signOff ? signOff->AsString() : std::string();
    const uint16_t rights = ActionRights();
    mConfirmErp->SetCaption(plat::VarToStr(QvConverter->ConvertToUI(
        s != "Y" ? std::string("审核'已核准'单据") : std::string("取消审核'未处理'单据"))));
    if (s.empty() || s == "N") {
        setActionButtons(0, true);
        setActionButtons(1, false);
        setActionButtons(3, true);
        if (signOff) {
            const bool approved = signOffStatus == "3";
            mConfirmErp->SetEnabled(approved && ConfirmAllowed && (rights & 0x20));
            mUpdateConfirm->SetEnabled(approved);
        }
    } else if (s == "U") {
        showStamp("NOGOOD");
        setActionButtons(0, true);
        setActionButtons(1, true);
        setActionButtons(2, false);
        if (signOff) {
            const bool open = signOffStatus != "0";
            mConfirmErp->SetEnabled(open);
            mUpdateConfirm->SetEnabled(open);
            mConfirmErp->SetEnabled(btnConfirm ? btnConfirm->Enabled() : miConfirm->Enabled());
        }
    } else if (s == "Y") {
        showStamp("CONFIRM");
        setActionButtons(0, false);
        setActionButtons(1, true);
        setActionButtons(2, false);
        if (signOff)
            mConfirmErp->SetEnabled(signOffStatus == "0" && UnconfirmAllowed && (rights & 0x40));
        mUpdateConfirm->SetEnabled(false);
    } else if (s == "V") {
        showStamp("INVALID");
        setActionButtons(0, false);
        setActionButtons(1, false);
        setActionButtons(4, false);
    }
    if (ImgConfirm) ImgConfirm->Invalidate();
}

}  // namespace ktrb
