#include "receipt/forms/Ktrb52EF.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "controls/QrvEdit.h"
#include "forms/FormDesign.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/graphics.h"
#include "platform/ui/stdctrls.h"
#include "receipt/forms/Ktrb52CF.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr plat::TColor kInputColor = plat::RGB(255, 255, 175);

void TryFocus(plat::TWinControl* c) {
    plat::TCustomForm* form = c ? plat::GetParentForm(c) : nullptr;
    if (form && form->Visible() && c->CanFocus()) c->SetFocus();
}

// The rows of a "SimpleSQL" reply; none for an empty, null or scalar reply.
std::vector<Variant> ReplyRows(const Variant& reply) {
    std::vector<Variant> rows;
    if (!reply.IsArray()) return rows;
    for (int i = reply.LowBound(); i <= reply.HighBound(); ++i)
        if (reply[i].IsArray()) rows.push_back(reply[i]);
    return rows;
}

// The value of a row at a 0-based position; Unassigned past its end.
Variant At(const Variant& row, int index) {
    if (!row.IsArray() || row.LowBound() + index > row.HighBound()) return Variant();
    return row[row.LowBound() + index];
}

std::string Cell(const Variant& row, int index) {
    Variant v = At(row, index);
    return v.IsEmpty() || v.IsNull() ? std::string() : plat::Trim(plat::VarToStr(v));
}

double Number(const Variant& v) {
    if (v.IsEmpty() || v.IsNull()) return 0;
    if (v.IsArray()) return Number(At(v, 0));
    if (v.IsNumeric()) return v.AsFloat();
    return plat::StrToFloatDef(plat::Trim(plat::VarToStr(v)), 0);
}

// A count of periods read from the item master; out-of-range values count none.
int Periods(double v) {
    if (!std::isfinite(v) || v < -36500 || v > 36500) return 0;
    return static_cast<int>(v);
}

}  // namespace

TWorkOrderBarcode SplitWorkOrderBarcode(const std::string& barcode) {
    return {plat::Trim(TokenAt(barcode, "-", 1)), plat::Trim(TokenAt(barcode, "-", 2))};
}

// ---- the dialog --------------------------------------------------------------------

TfrmKTRB52EF::TfrmKTRB52EF(plat::TComponent* owner) : TfrmQVDialog(owner) {
    using namespace plat;
    SetName("frmKTRB52EF");
    SetCaption("刷读条码生成委外进货单");
    SetClientWidth(400);
    SetClientHeight(150);
    SetBorderStyle(TFormBorderStyle::bsDialog);
    Position = TPosition::poOwnerFormCenter;

    Panel1 = DesignPanel(this, this, "Panel1", TAlign::alBottom, 41);
    btnOK = DesignButton(this, Panel1, "btnOK", "确定", Bounds(110, 8, 75, 25), mrOk);
    btnCancel = DesignButton(this, Panel1, "btnCancel", "取消", Bounds(215, 8, 75, 25), mrCancel);
    Panel2 = DesignPanel(this, this, "Panel2", TAlign::alClient);
    auto edit = [&](const char* name, const char* caption, int top, bool input) {
        auto* e = new TQvEdit(this);
        e->SetName(name);
        e->SetParent(Panel2);
        e->SetCaption(caption);
        e->SetBounds(130, top, 240, 21);
        if (!input) {
            e->SetReadOnly(true);
            e->SetTabStop(false);
        }
        return e;
    };
    ed01 = edit("ed01", "委外工单条码", 14, true);
    ed01->SetMaxLength(255);
    ed02 = edit("ed02", "委外工单单别", 42, false);
    ed03 = edit("ed03", "委外工单单号", 70, false);
    Memo1.Add("此委外工单不存在或条件不符！");
    Memo1.Add("委外进货单项目编号与工单项目编号不符！");

    ed01->OnChange = TNotifyEvent(this, &TfrmKTRB52EF::ed01Change);
    ed01->OnExit = TNotifyEvent(this, &TfrmKTRB52EF::ed01Exit);
    OnShow = TNotifyEvent(this, &TfrmKTRB52EF::FormShow);
    OnCloseQuery = TCloseQueryEvent(this, &TfrmKTRB52EF::FormCloseQuery);
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
    const std::string status = Cell(wo, 1);
    const bool closed = status == "Y" || status == "y";
    if (Cell(wo, 0) != "2") return refuse("100142", "");
    if (Cell(wo, 3) != head("TH004")) return refuse("100140", "");
    if (!Cell(wo, 4).empty() && Cell(wo, 4) != head("TH005")) return refuse("100141", "");
    if (closed && Cell(wo, 2) < head("TH029")) return refuse("100468", "");
    if (closed) {
        // Cancel ends the scan here; the dialog stays open.
        Brokers->ShowMessageCode("W", "100033", {Variant(std::string())}, 936, true);
    }
    if (Cell(wo, 5) != head("TH007")) return refuse("100334", "");
    if (Cell(wo, 6) != head("TH015")) return refuse("H00032", "");
    if (Brokers->GetSysParam("SYS180") == "Y" && Cell(wo, 7) != head("TH045"))
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
    for (const char* name : {"TH001", "TH002", "TH004", "TH005"}) {
        if (headText(name).empty()) {
            Brokers()->ShowMessageCode("E", "H00031", {Variant(std::string())});
            return;
        }
    }
    if (headText("TH029").empty()) {
        Brokers()->ShowMessageCode("E", "000003", {Variant(head("TH029")->DisplayLabel())});
        return;
    }
    Variant code;
    if (!TfrmKTRB52EF::ScanWorkOrder(this, code) || !code.IsArray()) return;
    const std::string type = plat::VarToStr(At(code, 0)), number = plat::VarToStr(At(code, 1));
    // A scan whose checks failed leaves its parts empty: nothing to build.
    if (type.empty() || number.empty()) return;
    AddLinesFromWorkOrder(type, number);
}

void TfrmKtrb52::AddLinesFromWorkOrder(const std::string& type, const std::string& number) {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm) return;
    TBrokers& b = *Brokers();
    std::string moc1, moc2;
    {
        const std::vector<Variant> params = ReplyRows(b.CallServerMethod(
            "SimpleSQL", plat::VarArrayOf({Variant(" SELECT MB001,MB002 FROM $$MOCMB "),
                                           Variant("MB001,MB002")})));
        if (!params.empty()) {
            moc1 = Cell(params.front(), 0);
            moc2 = Cell(params.front(), 1);
        }
    }
    const std::string receiptDate = headText("TH029");
    const std::string sql =
        " SELECT TA006,TA034,TA035,TA015,TA017,TA018,TA060,TA023,TA020,TA001,\r"
        "        TA002,TA048,TA023,TA022,TA010,TA029,TA044,TA058,\r"
        "        MB402,MB127,MB435,MB023,MB024,MB091,MB043,MB004,TA083,MB454 \r"
        " FROM $$MOCTA \r"
        " LEFT JOIN $$INVMB AS INVMB ON TA006=MB001 \r"
        " WHERE TA001=" +
        plat::QuotedStr(type) + " AND TA002=" + plat::QuotedStr(number) +
        " AND TA013='Y' AND (TA011<>'Y' AND TA011<>'y') AND TA030='2' ";
    const std::vector<Variant> rows = ReplyRows(b.CallServerMethod(
        "SimpleSQL",
        plat::VarArrayOf({Variant(sql),
                          Variant("TA006,TA034,TA035,TA015,TA017,TA018,TA060,TA023,TA020,TA001,"
                                  "TA002,TA048,TA023,TA022,TA010,TA029,TA044,TA058,MB402,MB127,"
                                  "MB435,MB023,MB024,MB091,MB043,MB004,TA083,MB454"),
                          Variant(b.SignOnKey), Variant("N")})));
    if (rows.empty()) return;

    plat::TClientDataSet* lines = dm->cdsBody1;
    lines->DisableControls();
    struct Enable {
        plat::TDataSet* ds;
        ~Enable() { ds->EnableControls(); }
    } enable{lines};
    auto convert = [&](const std::string& item, double quantity, const std::string& from,
                       const std::string& to) {
        return Number(b.CallServerMethod(
            "UnitConvert",
            plat::VarArrayOf({Variant(item), Variant(quantity), Variant(from), Variant(to)})));
    };
    for (const Variant& wo : rows) {
        const std::string item = Cell(wo, 0), unit = Cell(wo, 7), pricingUnit = Cell(wo, 12),
                          warehouse = Cell(wo, 8);
        const double price = Number(At(wo, 13));
        double quantity = Number(At(wo, 3)) * (1 + Number(At(wo, 18))) - Number(At(wo, 4));
        if (moc1 == "Y") quantity -= Number(At(wo, 5));
        if (moc2 == "Y") quantity -= Number(At(wo, 6));

        Variant terms;
        std::string flag = Cell(wo, 24);
        if (b.CheckValue(
                "PURMD", "01",
                plat::VarArrayOf({Variant(headText("TH005")), Variant(item), Variant("****")}),
                terms))
            flag = Cell(terms, 0);
        const std::string inspection = flag == "0" ? "0" : "1";
        const double accepted = inspection == "0" ? quantity : 0;

        double stock = 0, pricing = 0;
        if (CompareFloats(accepted, 0) != 0) {
            stock = convert(item, accepted, unit, Cell(wo, 25));
            pricing = unit == pricingUnit ? accepted : convert(item, accepted, unit, pricingUnit);
        }

        std::string produced, valid, recheck;
        if (Cell(wo, 19) == "Y") {
            produced = receiptDate;
            const std::string step = Cell(wo, 20) == "2" ? "M" : "D";
            valid = IncYmdDate(Variant(produced), step, Periods(Number(At(wo, 21))));
            recheck = IncYmdDate(Variant(produced), step, Periods(Number(At(wo, 22))));
        }

        const std::string packUnit = Cell(wo, 11);
        double packs = 0, acceptedPacks = 0;
        if (sys("SYS024") == "3" && !packUnit.empty() && Cell(wo, 23) == "y") {
            packs = convert(item, quantity, packUnit, unit);
            acceptedPacks = inspection == "0" ? packs : 0;
        }

        const std::string due = Cell(wo, 14);
        const std::string overdue = due.empty() ? "N" : due < receiptDate ? "Y" : "N";

        const std::string currency = headText("TH007"), local = sys("SYS003");
        const Variant taxInput = plat::VarArrayOf(
            {Variant(currency), Variant(local), head("TH030")->Value(), Variant(headText("TH015")),
             head("TH008")->Value(),
             Variant(dm->GetCurrencyDigits(currency, TCurrencyDigitType::cdtMoney)),
             Variant(dm->GetCurrencyDigits(local, TCurrencyDigitType::cdtMoney)),
             Variant(pricing * price - 0), Variant(pricing), Variant(price)});
        const std::string invoice = headText("TH012");
        const Variant tax =
            (invoice == "T" || invoice == "W" || invoice == "A") && headText("TH015") == "1"
                ? SplitTaxByRate(taxInput)
                : SplitTaxAmounts(taxInput);

        std::string location;
        if (sys("SYS093") == "N") {
            location = kLocationsUnused;
        } else {
            Variant stored;
            if (b.CheckValue("INVMC", "01", plat::VarArrayOf({Variant(item), Variant(warehouse)}),
                             stored)) {
                location = Cell(stored, 12);
                if (location.empty()) location = kNoLocation;
            }
        }

        lines->Append();
        auto put = [&](const char* name, const std::string& text) {
            SetFieldTextQuiet(line(name), text);
        };
        auto putNumber = [&](const char* name, double value) {
            put(name, plat::FloatToStr(value));
        };
        put("TI004", item);
        SetFieldText(line("TI004C12"), item);
        put("TI005", Cell(wo, 1));
        put("TI006", Cell(wo, 2));
        putNumber("TI007", quantity);
        put("TI008", unit);
        put("TI009", warehouse);
        dm->CheckValueAndFill(line("TI009"), "CMSMC", "01", plat::VarArrayOf({Variant(warehouse)}),
                              "TI009C");
        put("TI010", kNoLot);
        put("TI011", valid);
        put("TI012", recheck);
        put("TI013", type);
        put("TI014", number);
        put("TI015", kWholeWorkOrder);
        putNumber("TI016", packs);
        putNumber("TI017", acceptedPacks);
        put("TI018", receiptDate);
        putNumber("TI019", accepted);
        putNumber("TI020", pricing);
        for (const char* name : {"TI021", "TI022"}) put(name, "0");
        put("TI023", pricingUnit);
        putNumber("TI024", price);
        putNumber("TI025", pricing * price);
        for (const char* name : {"TI026", "TI027"}) put(name, "0");
        for (const char* name : {"TI028", "TI029", "TI030", "TI031"}) put(name, "");
        put("TI032", Cell(wo, 26));
        put("TI033", "N");
        put("TI034", overdue);
        put("TI035", inspection);
        for (const char* name : {"TI036", "TI037", "TI038", "TI039"}) put(name, "N");
        put("TI040", Cell(wo, 15));
        for (const char* name : {"TI041", "TI042"}) put(name, "N");
        put("TI043", "");
        putNumber("TI044", Number(At(tax, 0)));
        putNumber("TI045", Number(At(tax, 1)));
        putNumber("TI046", Number(At(tax, 2)));
        putNumber("TI047", Number(At(tax, 3)));
        put("TI048", Cell(wo, 16));
        put("TI049", packUnit);
        for (const char* name : {"TI050", "TI051", "TI052", "TI053"}) put(name, "0");
        put("TI054", produced);
        put("TI055", Cell(wo, 17));
        for (const char* name : {"TI056", "TI057"}) put(name, "0");
        put("TI058", "1");
        put("TI059", "N");
        put("TI060", location);
        put("TI061", Cell(wo, 25));
        putNumber("TI062", stock);
        put("TI069", "N");
        put("TI004MB454", Cell(wo, 27));
        // A built line carries what a typed item and work order would give it.
        dm->FillLineLookupFields();
        lines->Post();
    }
}

}  // namespace ktrb
