// Actions of the header/body form on whole documents: batch confirm and
// unconfirm of the selected documents, the message-centre link and the
// export of the lines.
#include "controls/FDBGrid.h"
#include "dataframe/knlRadical.h"
#include "forms/DoubleCF.h"
#include "forms/MessageCentreLink.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/menus.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::Variant;

namespace {

const char* const kPackage = "TfrmDouble";

}  // namespace

void TfrmDouble::miBBConfirmClick(plat::TObject*) {
    RunBatchStatusChange(3);
}

void TfrmDouble::miBBCancelConfirmClick(plat::TObject*) {
    RunBatchStatusChange(2);
}

void TfrmDouble::UpdateBatchMenu() {
    TfrmSingle::UpdateBatchMenu();
    const bool browsing = FormMode() == TFormMode::Browse && !confirmField_.empty();
    miBBConfirm->SetEnabled(ConfirmAllowed && browsing);
    miBBCancelConfirm->SetEnabled(UnconfirmAllowed && browsing);
    const bool print = miBBPrint && miBBPrint->Enabled();
    const bool any = miBBConfirm->Enabled() || miBBCancelConfirm->Enabled() || print;
    if (miBBSelectAll) miBBSelectAll->SetEnabled(any);
    if (miBBUnSelectAll) miBBUnSelectAll->SetEnabled(any);
    if (SingleModule()) SingleModule()->SetMultiSelectedVisible(any);
    const bool selected = gdHead && !gdHead->SelectedRows().empty();
    miBBConfirm->SetEnabled(miBBConfirm->Enabled() && selected);
    miBBCancelConfirm->SetEnabled(miBBCancelConfirm->Enabled() && selected);
    if (miBBPrint) miBBPrint->SetEnabled(print && selected);
}

int TfrmDouble::ShowBatchResult(const Variant& result, bool succeeded) {
    if (succeeded) {
        const std::string text = ResultText(result);
        if (!text.empty()) ShowMessageBox(text, TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
        return 0;
    }
    TCodedResult coded = CodedResult(result);
    if (coded.coded) {
        if (coded.kind == "E" && BatchRunning && Brokers()) {
            coded.args.resize(10, Variant(std::string()));
            return Brokers()->ShowMessageCode("T", coded.code, coded.args);
        }
        return 0;
    }
    const std::string text = ResultText(result);
    if (!text.empty()) ShowMessageBox(text, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
    return 0;
}

bool TfrmDouble::BatchChangeDocStatus(uint8_t kind, bool askOnError, int& answer) {
    bool result = true;
    statusKind_ = static_cast<TStatusChange>(kind);
    // Each document passes the same checks as a single change would.
    TdmDouble* dm = DoubleModule();
    if (!dm || !dm->CheckDataRights() || !CheckStatusChange(kind)) return false;
    if (kind <= 1) {
        result = writeVoidStatus(kind);
    } else {
        Variant request, reply;
        if (ExecuteStatusTransaction(request, reply, false)) {
            AfterTransactionSucceeded(kind, request, reply);
            if (kind == 3 && askOnError) answer = ShowBatchResult(reply, true);
        } else {
            AfterTransactionFailed(kind, request, reply);
            if (askOnError) answer = ShowBatchResult(reply, false);
            result = false;
        }
    }
    ApplyRights();
    return result;
}

void TfrmDouble::RunBatchStatusChange(uint8_t kind) {
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    struct BatchFlag {
        TfrmDouble* f;
        explicit BatchFlag(TfrmDouble* form) : f(form) { f->BatchRunning = true; }
        ~BatchFlag() { f->BatchRunning = false; }
    } running(this);
    TBatchTally tally;
    bool askOnError = true;
    plat::TClientDataSet* head = dm->cdsMain;
    {
        TControlsDisabled off(head);
        const std::vector<plat::TBookmark> selected =
            gdHead ? gdHead->SelectedRows() : std::vector<plat::TBookmark>{};
        for (const plat::TBookmark& mark : selected) {
            try {
                head->GotoBookmark(mark);
            } catch (const std::exception&) {
                continue;
            }
            if (plat::TField* signOff = headField(signOffField_))
                if (signOff->AsString() != "N") continue;
            plat::TField* status = headField(confirmField_);
            const std::string s = status ? status->AsString() : std::string();
            if ((kind == 3 && s != "N") || (kind == 2 && s != "Y")) continue;
            ++tally.total;
            int answer = 0;
            try {
                if (BatchChangeDocStatus(kind, askOnError, answer) && answer == 0)
                    ++tally.succeeded;
                else
                    tally.AddFailure(headKeyTexts(false));
            } catch (const plat::EAbort&) {
                ++tally.exceptions;
            } catch (const std::exception&) {
                ++tally.exceptions;
            }
            if (answer == modal::YesToAll) askOnError = false;
            if (answer != 0 && answer != modal::Yes && answer != modal::YesToAll) break;
        }
        if (gdHead) gdHead->UnselectAll();
        std::string summary = tally.Summary(
            GetLangMessage(kPackage, "sConfirmInfo",
                           "共有%d笔资料,成功%d笔.异常%d笔.失败%d笔.失败的单据有:%s", false),
            GetLangMessage(kPackage, "sConfirmInfo2", "共有%d笔资料,成功%d笔.异常%d笔.失败%d笔.",
                           false));
        summary = plat::VarToStr(QvConverter->ConvertToUI(summary));
        if (Brokers()) Brokers()->ShowMessageCode("I", "200010", {summary});
        RefreshData();
    }
}

// ---- message-centre link ----

bool TfrmDouble::SendMessageCentreLink() {
    TdmDouble* dm = DoubleModule();
    std::string condition;
    if (!dm || !dm->GetKeyWhereText(condition)) return false;
    std::vector<std::pair<std::string, std::string>> fields;
    for (int i = 1; i <= FieldCount(dm->KeyFields, ","); ++i)
        if (plat::TField* f = dm->cdsMain->FindField(plat::Trim(TokenAt(dm->KeyFields, ",", i))))
            fields.emplace_back(f->DisplayName(), f->AsString());
    TBrokers* brokers = Brokers();
    std::string programName;
    if (brokers) brokers->QueryProgramMaster(brokers->ProgramCode, programName);
    const std::string text = MessageCentreLinkText(programName, brokers ? brokers->CompanyID : "",
                                                   brokers ? brokers->ProgramCode : "", condition,
                                                   MessageCentreFieldText(fields));
    const bool sent = ktrb::SendMessageCentreLink(Handle(), text);
    if (!sent) ShowMessageBox("目标窗口没找到！", TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
    SetWindowState(plat::TWindowState::wsMinimized);
    return sent;
}

void TfrmDouble::QVPagerClick(plat::TObject*) {
    SendMessageCentreLink();
}

// ---- export of the lines ----

// The data module writes the spreadsheet; the form only names the lines.
void TfrmDouble::miBodyToExcelClick(plat::TObject*) {
    if (TdmDouble* dm = DoubleModule())
        dm->ExportBodyToExcel(dm->cdsMain, dm->cdsBody1, Owner() ? Owner() : this, true);
}

void TfrmDouble::miBodyToExcel2Click(plat::TObject*) {
    if (TdmDouble* dm = DoubleModule())
        dm->ExportBodyToXlsFile(dm->cdsMain, dm->cdsBody1, Owner() ? Owner() : this);
}

}  // namespace ktrb
