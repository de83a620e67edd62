#include "receipt/forms/Ktrb52EF.h"

#include <vector>

#include "controls/QrvEdit.h"
#include "controls/WindowDesign.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/graphics.h"
#include "platform/ui/stdctrls.h"
#include "receipt/forms/Ktrb52CF.h"
#include "receipt/rules/FieldCodes.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr plat::TColor kInputColor = plat::RGB(255, 255, 175);

void TryFocus(plat::TWinControl* c) {
    plat::TCustomForm* form = c ? plat::GetParentForm(c) : nullptr;
    if (form && form->Visible() && c->CanFocus()) c->SetFocus();
}

// The work order a barcode names, in the statement's order.
enum TScannedOrderCheck {
    scKind,      // TA030
    scStatus,    // TA011
    scClosedOn,  // TA014
    scFactory,   // TA019
    scSupplier,  // TA032
    scCurrency,  // TA042
    scTaxKind,   // TA055
    scProject    // TA083
};

std::string Cell(const Variant& row, TScannedOrderCheck at) {
    return plat::Trim(ReplyText(row, at));
}

}  // namespace

TWorkOrderBarcode SplitWorkOrderBarcode(const std::string& barcode) {
    return {plat::Trim(TokenAt(barcode, "-", 1)), plat::Trim(TokenAt(barcode, "-", 2))};
}

namespace {

using namespace design;
using E = TfrmKTRB52EF;

// The scanned code, then the work order's type and number it names.
const Control kDesign[] = {
    {"Panel1", Field<&E::Panel1>, "", {0, 0, 0, 41}, "", plat::TAlign::alBottom},
    {"btnOK", Field<&E::btnOK>, "Panel1", {110, 8, 75, 25}, "确定"},
    {"btnCancel", Field<&E::btnCancel>, "Panel1", {215, 8, 75, 25}, "取消"},
    {"Panel2", Field<&E::Panel2>, "", {}, "", plat::TAlign::alClient},
    {"ed01", Field<&E::ed01>, "Panel2", {130, 14, 240, 21}, "委外工单条码"},
    {"ed02", Field<&E::ed02>, "Panel2", {130, 42, 240, 21}, "委外工单单别"},
    {"ed03", Field<&E::ed03>, "Panel2", {130, 70, 240, 21}, "委外工单单号"},
};

const Handler kEvents[] = {
    {"ed01", "OnChange", On<&E::ed01Change>},
    {"ed01", "OnExit", On<&E::ed01Exit>},
    {"", "OnShow", On<&E::FormShow>},
    {"", "OnCloseQuery", On<&E::FormCloseQuery>},
};

}  // namespace

// ---- the dialog --------------------------------------------------------------------

TfrmKTRB52EF::TfrmKTRB52EF(plat::TComponent* owner) : TfrmQVDialog(owner) {
    using namespace plat;
    SetName("frmKTRB52EF");
    SetCaption("刷读条码生成委外进货单");
    SetClientWidth(400);
    SetClientHeight(150);
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poOwnerFormCenter;

    Build(this, kDesign);
    btnOK->ModalResult = mrOk;
    btnCancel->ModalResult = mrCancel;
    btnCancel->Cancel = true;
    ed01->SetMaxLength(255);
    for (TQvEdit* e : {ed02, ed03}) {
        e->SetReadOnly(true);
        e->SetTabStop(false);
    }
    Memo1.Add("此委外工单不存在或条件不符！");
    Memo1.Add("委外进货单项目编号与工单项目编号不符！");

    Connect(this, kEvents);
}

bool TfrmKTRB52EF::ScanWorkOrder(TfrmKtrb52* owner, Variant& result) {
    auto* dialog = plat::CreateForm<TfrmKTRB52EF>(owner);
    // A fresh dialog for every scan: it goes when its answer is read.
    struct Free {
        TfrmKTRB52EF* d;
        ~Free() {
            if (plat::IsLiveControl(d)) d->Free();
        }
    } free{dialog};
    if (dialog->ShowModal() != plat::mrOk) return false;
    result = dialog->Result;
    return true;
}

TfrmKtrb52* TfrmKTRB52EF::receipt() const {
    return dynamic_cast<TfrmKtrb52*>(Owner());
}

void TfrmKTRB52EF::FormShow(plat::TObject* sender) {
    TfrmQVDialog::FormShow(sender);
    ed01->SetColor(kInputColor);
    for (TQvEdit* e : {ed01, ed02, ed03}) e->SetText("");
    TryFocus(ed01);
}

void TfrmKTRB52EF::ed01Change(plat::TObject*) {
    ed02->SetText("");
    ed03->SetText("");
}

void TfrmKTRB52EF::refuse(const std::string& code, const std::string& arg) {
    if (Brokers) Brokers->ShowMessageCode("E", code, {Variant(arg)});
    TryFocus(ed01);
}

void TfrmKTRB52EF::ed01Exit(plat::TObject*) {
    if (ActiveControl() == btnCancel || ed01->Text().empty()) return;
    const TWorkOrderBarcode code = SplitWorkOrderBarcode(ed01->Text());
    if (!code.Complete()) return refuse("000032", Memo1[0]);
    TfrmKtrb52* form = receipt();
    TdmKtrb52* dm = form ? form->ReceiptModule() : nullptr;
    if (!Brokers || !dm) return refuse("000032", Memo1[0]);
    const std::string sql =
        " SELECT TA030,TA011,TA014,TA019,TA032,TA042,TA055,TA083 \r"
        " FROM $$MOCTA \r"
        "LEFT JOIN $$INVMB AS INVMB ON TA006=MB001\r"
        " WHERE TA001=" +
        plat::QuotedStr(code.type) + " AND TA002=" + plat::QuotedStr(code.number) +
        " AND TA013='Y' ";
    const std::vector<Variant> rows = ReplyRows(Brokers->CallServerMethod(
        "SimpleSQL",
        plat::VarArrayOf({Variant(sql), Variant("TA030,TA011,TA014,TA019,TA032,TA042,TA055,TA083"),
                          Variant(Brokers->SignOnKey), Variant("N")})));
    if (rows.empty()) return refuse("000032", Memo1[0]);
    const Variant& wo = rows.front();
    auto head = [&](const char* name) { return dm->cdsMain->FieldByName(name)->AsString(); };
    const std::string status = Cell(wo, scStatus);
    const bool closed = status == "Y" || status == "y";
    if (Cell(wo, scKind) != "2") return refuse("100142", "");
    if (Cell(wo, scFactory) != head(mocth::Factory)) return refuse("100140", "");
    if (!Cell(wo, scSupplier).empty() && Cell(wo, scSupplier) != head(mocth::Supplier))
        return refuse("100141", "");
    if (closed && Cell(wo, scClosedOn) < head(mocth::DocDate)) return refuse("100468", "");
    if (closed) {
        // Cancel ends the scan here; the dialog stays open.
        Brokers->ShowMessageCode("W", "100033", {Variant(std::string())}, 936, true);
    }
    if (Cell(wo, scCurrency) != head(mocth::Currency)) return refuse("100334", "");
    if (Cell(wo, scTaxKind) != head(mocth::TaxKind)) return refuse("H00032", "");
    if (Brokers->GetSysParam("SYS180") == "Y" && Cell(wo, scProject) != head(mocth::Project))
        return refuse("000032", Memo1[1]);
    ed02->SetText(code.type);
    ed03->SetText(code.number);
}

void TfrmKTRB52EF::FormCloseQuery(plat::TObject*, bool& canClose) {
    if (ModalResult() != plat::mrOk) return;
    if (ed01->Text().empty()) {
        canClose = false;
        if (Brokers) Brokers->ShowMessageCode("E", "000003", {Variant(ed01->Caption())});
        TryFocus(ed01);
        plat::Abort();
    }
    Result = plat::VarArrayOf({Variant(ed02->Text()), Variant(ed03->Text())});
}

// ---- the toolbar button and the line builder -------------------------------------------

void TfrmKtrb52::btnGDToJHClick(plat::TObject*) {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm) return;
    if (pnlHead && pnlHead->CanFocus()) pnlHead->SetFocus();
    if (dm->cdsBody1->State() == plat::dsEdit || dm->cdsBody1->State() == plat::dsInsert)
        dm->cdsBody1->Post();
    for (const char* name : {mocth::DocType, mocth::DocNo, mocth::Factory, mocth::Supplier}) {
        if (headText(name).empty()) {
            Brokers()->ShowMessageCode("E", "H00031", {Variant(std::string())});
            return;
        }
    }
    if (headText(mocth::DocDate).empty()) {
        Brokers()->ShowMessageCode("E", "000003", {Variant(head(mocth::DocDate)->DisplayLabel())});
        return;
    }
    Variant code;
    if (!TfrmKTRB52EF::ScanWorkOrder(this, code) || !code.IsArray()) return;
    const std::string type = ReplyText(code, 0), number = ReplyText(code, 1);
    // A scan whose checks failed leaves its parts empty: nothing to build.
    if (type.empty() || number.empty()) return;
    AddLinesFromWorkOrder(type, number);
}

void TfrmKtrb52::AddLinesFromWorkOrder(const std::string& type, const std::string& number) {
    if (TdmKtrb52* dm = ReceiptModule()) dm->AddLinesFromWorkOrder(type, number);
}

}  // namespace ktrb
