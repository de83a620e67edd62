#include "receipt/forms/Ktrb52Seq.h"

#include "controls/BtChkBox.h"
#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "dataframe/LibDouble.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
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

void TryFocus(plat::TWinControl* c) {
    plat::TCustomForm* form = c ? plat::GetParentForm(c) : nullptr;
    if (form && form->Visible() && c->CanFocus()) c->SetFocus();
}

}  // namespace

const char* SerialKindLetter(TReceiptSerialKind kind) {
    switch (kind) {
        case TReceiptSerialKind::Scrapped:
            return "B";
        case TReceiptSerialKind::Destroyed:
            return "C";
        case TReceiptSerialKind::Accepted:
            break;
    }
    return "A";
}

const char* SerialKindQuantityField(TReceiptSerialKind kind) {
    switch (kind) {
        case TReceiptSerialKind::Scrapped:
            return mocti::ScrappedQuantity;
        case TReceiptSerialKind::Destroyed:
            return mocti::DestroyedQuantity;
        case TReceiptSerialKind::Accepted:
            break;
    }
    return mocti::AcceptedQuantity;
}

TfrmKTRB52Seq::TfrmKTRB52Seq(plat::TComponent* owner) : TfrmPSMSimpleBody(owner) {
    using namespace plat;
    SetName("frmKTRB52Seq");
    if (ToolBar1) {
        // A work order's sheet with a serial's barcode.
        const int glyph = AddToolGlyph([](TCanvas& c) {
            c.Pen.Color = clBlack;
            c.Brush.Color = clWhite;
            c.Rectangle(2, 1, 16, 17);
            c.Pen.Color = clNavy;
            for (int x = 4; x < 14; x += 2) {
                c.MoveTo(x, 5);
                c.LineTo(x, 13 - (x % 4 == 0 ? 0 : 2));
            }
        });
        btnMOCSeq = new TToolButton(this);
        btnMOCSeq->SetName("btnMOCSeq");
        btnMOCSeq->SetParent(ToolBar1);
        btnMOCSeq->SetHint("获取工单序号");
        btnMOCSeq->SetImageIndex(glyph);
        btnMOCSeq->OnClick = TNotifyEvent(this, &TfrmKTRB52Seq::btnMOCSeqClick);
    }
    chkSupplierSeq = new TBitCheckBox(this);
    chkSupplierSeq->SetName("chkSupplierSeq");
    chkSupplierSeq->SetParent(pnlSeqMain);
    chkSupplierSeq->SetCaption("使用供应商序号");
    chkSupplierSeq->SetBounds(edSeqNoScan->Left(), edSeqNoScan->Top() + 25, 160, 17);
    edNum1->SetCaption("验收数量");
    edNum2->SetVisible(false);
    for (const char* line : {"", "", "", "", "扫描条码的品号与委外工单单头的产品品号"})
        mmoF.Add(line);
    edSeqNoScan->OnExit = TNotifyEvent(this, &TfrmKTRB52Seq::edSeqNoScanExit);
}

TfrmKtrb52* TfrmKTRB52Seq::receipt() const {
    return dynamic_cast<TfrmKtrb52*>(Owner());
}

std::string TfrmKTRB52Seq::lineText(const char* name) const {
    TfrmKtrb52* form = receipt();
    TdmKtrb52* dm = form ? form->ReceiptModule() : nullptr;
    TField* f = dm && dm->cdsBody1->Active() ? dm->cdsBody1->FindField(name) : nullptr;
    return f ? f->AsString() : std::string();
}

std::string TfrmKTRB52Seq::headText(const char* name) const {
    TfrmKtrb52* form = receipt();
    TdmKtrb52* dm = form ? form->ReceiptModule() : nullptr;
    TField* f = dm && dm->cdsMain->Active() ? dm->cdsMain->FindField(name) : nullptr;
    return f ? f->AsString() : std::string();
}

std::string TfrmKTRB52Seq::DocumentKey(const std::string& type, const std::string& number) {
    return PadRight(type, 4) + PadRight(number, 11);
}

bool TfrmKTRB52Seq::lineHasWorkOrder() const {
    return !lineText(mocti::WorkOrderType).empty() && !lineText(mocti::WorkOrderNo).empty();
}

bool TfrmKTRB52Seq::refuse(const std::string& code, const std::vector<Variant>& args) {
    ShowMemoMessage("E", code, args);
    return false;
}

// ---- start-up ----------------------------------------------------------------------------

void TfrmKTRB52Seq::FormCreate(plat::TObject* sender) {
    if (TfrmKtrb52* form = receipt())
        if (TdmKtrb52* dm = form->ReceiptModule()) DBGrid->SetDataSource(dm->dsFoot);
    TfrmPSMSimpleBody::FormCreate(sender);
    if (!Brokers()) return;
    try {
        Variant rows = Brokers()->CallServerMethod(
            "SimpleSql",
            plat::VarArrayOf({Variant(" SELECT TOP 1 MA052 FROM $$BMSMA "), Variant("MA052")}));
        if (rows.IsArray() && rows.HighBound() >= rows.LowBound())
            SupplierSerialParam = ReplyText(ReplyAt(rows, 0), 0);
    } catch (const std::exception&) {
        // Without the setting supplier serials are not offered.
    }
}

void TfrmKTRB52Seq::InitFormSettings() {
    TfrmPSMSimpleBody::InitFormSettings();
    LineKeyField = mocti::LineNo;
}

void TfrmKTRB52Seq::FormShow(plat::TObject* sender) {
    TfrmPSMSimpleBody::FormShow(sender);
    if (StartFailed) return;
    TfrmKtrb52* form = receipt();
    TdmKtrb52* dm = form ? form->ReceiptModule() : nullptr;
    if (!dm) return;
    // The owner's mode, as activating the window gives it.
    SetFormMode(form->FormModeValue());
    SerialControl = lineText(mocti::ItemLotManaged);
    BatchNumber = lineText(mocti::Lot);
    DateText = headText(mocth::DocDate);
    CustomerCode.clear();
    SupplierCode = headText(mocth::Supplier);
    Warehouse = lineText(mocti::Warehouse);
    Location = lineText(mocti::Location);
    SerialStatus = "H";
    SetItem(lineText(mocti::Item));
    edINVMB002->SetText(plat::VarToStr(ConvertByDisplayMode(Variant(lineText(mocti::ItemName)))));
    edINVMB003->SetText(plat::VarToStr(ConvertByDisplayMode(Variant(lineText(mocti::ItemSpec)))));
    const TReceiptSerialKind kind = SerialKind == "B"   ? TReceiptSerialKind::Scrapped
                                    : SerialKind == "C" ? TReceiptSerialKind::Destroyed
                                                        : TReceiptSerialKind::Accepted;
    TField* quantity = dm->cdsBody1->FieldByName(SerialKindQuantityField(kind));
    QuantityOne = quantity->AsFloat();
    QuantityTwo = 0;
    edNum1->SetText(quantity->Text());
    edNum1->SetCaption(quantity->DisplayLabel());
    dm->cdsFoot->SetFilter(" MB006 = " + plat::QuotedStr(SerialKind));
    dm->cdsFoot->SetFiltered(true);
    edTotalSeqNo->SetText(std::to_string(dm->cdsFoot->RecordCount()));
    ShowRowStatus();
    SetInputMode(TSerialInputMode::Scan);
    ApplyInputMode(RequestedInputMode);
    if (btnSRLB03) btnSRLB03->SetVisible(true);
    UpdateButtons();
    updateWorkOrderButton();
    WorkOrderSerialKind.clear();
    Variant type;
    if (lineHasWorkOrder() &&
        Brokers()->CheckValue("CMSMQ", "14",
                              plat::VarArrayOf({Variant(lineText(mocti::WorkOrderType))}), type))
        WorkOrderSerialKind = ReplyText(type, 1);
}

void TfrmKTRB52Seq::FormCloseQuery(plat::TObject* sender, bool& canClose) {
    TfrmPSMSimpleBody::FormCloseQuery(sender, canClose);
    if (BodyDataSet) BodyDataSet->SetFiltered(false);
}

void TfrmKTRB52Seq::SetMaintainMode(bool on) {
    TfrmPSMSimpleBody::SetMaintainMode(on);
    updateWorkOrderButton();
}

void TfrmKTRB52Seq::updateWorkOrderButton() {
    if (!btnMOCSeq || !BodyDataSet || !BodyDataSet->Active()) return;
    btnMOCSeq->SetEnabled(MaintainMode && lineHasWorkOrder() && BodyDataSet->IsEmpty());
}

void TfrmKTRB52Seq::InitNewRow() {
    TfrmPSMSimpleBody::InitNewRow();
    SetFieldText(BodyDataSet->FindField(psmmb::Status), SerialStatus);
    SetFieldText(BodyDataSet->FindField(psmmb::QuantityKind), SerialKind);
    std::string supplier = "N";
    Variant found;
    if (chkSupplierSeq->Checked() &&
        !Brokers()->CheckValue("PSMMA", "06",
                               plat::VarArrayOf({Variant(plat::Trim(edSeqNoScan->Text()))}), found))
        supplier = "Y";
    SetFieldText(BodyDataSet->FindField(psmmb::SupplierSerial), supplier);
}

void TfrmKTRB52Seq::ApplyInputMode(TSerialInputMode mode) {
    TfrmPSMSimpleBody::ApplyInputMode(mode);
    const bool scan = mode == TSerialInputMode::Scan;
    chkSupplierSeq->SetVisible(scan && SupplierSerialParam == "Y");
    chkSupplierSeq->SetTop(edSeqNoScan->Top() + edSeqNoScan->Height() + 4);
    chkSupplierSeq->SetLeft(edSeqNoScan->Left());
    chkSupplierSeq->SetChecked(false);
    if (scan && chkSupplierSeq->Visible()) chkSupplierSeq->SetEnabled(true);
}

// ---- checks ----------------------------------------------------------------------------------

std::unordered_set<std::string> TfrmKTRB52Seq::receiptSerials() const {
    std::unordered_set<std::string> serials;
    TfrmKtrb52* form = receipt();
    plat::TClientDataSet* copy = form ? form->SerialDataSet() : nullptr;
    if (!copy || !copy->Active() || !copy->FindField(psmmb::DocType) ||
        !copy->FindField(psmmb::DocNo) || !copy->FindField(psmmb::Serial))
        return serials;
    // Walked on a clone, so the copy keeps its place and filter.
    plat::TClientDataSet rows(nullptr);
    if (!CloneCursorSafe(copy, &rows)) return serials;
    const std::string type = lineText(mocti::DocType), number = lineText(mocti::DocNo);
    TField* t = rows.FieldByName(psmmb::DocType);
    TField* n = rows.FieldByName(psmmb::DocNo);
    TField* s = rows.FieldByName(psmmb::Serial);
    for (rows.First(); !rows.Eof(); rows.Next())
        if (t->AsString() == type && n->AsString() == number) serials.insert(s->AsString());
    return serials;
}

bool TfrmKTRB52Seq::IsSerialNewInReceipt(const std::string& serial) {
    const bool found =
        receiptSerials_ ? receiptSerials_->count(serial) > 0 : receiptSerials().count(serial) > 0;
    if (!found) return true;
    ShowMemoMessage("E", "000002",
                    {Variant(BodyDataSet->FieldByName(SerialField)->DisplayLabel())});
    return false;
}

bool TfrmKTRB52Seq::AddSerial(const std::string& serial) {
    bool checked = false;
    const std::string item = lineText(mocti::Item);
    Variant record;
    // A supplier's own serial.
    if (chkSupplierSeq->Checked()) {
        if (!Brokers()->CheckValue("PSMMA", "06", plat::VarArrayOf({Variant(serial)}), record)) {
            if (Brokers()->CheckValue(
                    "PSMMB", "08",
                    plat::VarArrayOf(
                        {Variant(serial), Variant(SerialStatus),
                         Variant(DocumentKey(headText(mocth::DocType), headText(mocth::DocNo)))}),
                    record))
                return refuse("201090", {Variant(serial), Variant(ReplyText(record, 0) + "-" +
                                                                  ReplyText(record, 1))});
            checked = true;
        } else if (!Brokers()->CheckValue(
                       "PSMMA", "08",
                       plat::VarArrayOf(
                           {Variant(serial), Variant(edINVMB001->Text()), Variant("C")}),
                       record)) {
            return refuse("201024", {Variant(serial)});
        }
    }
    if (!checked) {
        // The serial master for the line's item.
        const std::string kind = lineHasWorkOrder() && WorkOrderSerialKind == "52" ? "32" : "33";
        if (!Brokers()->CheckValue("PSMMA", kind,
                                   plat::VarArrayOf({Variant(serial), Variant(item)}), record))
            return refuse("201022", {Variant(serial)});
        const std::string batch = ReplyText(record, 4);
        // The work order's registered serials.
        if (lineHasWorkOrder()) {
            const std::string param = receipt() ? receipt()->SerialParam : std::string();
            if (param == "Y") {
                if (!Brokers()->CheckValue(
                        "PSMMC", "05",
                        plat::VarArrayOf({Variant(serial), Variant(lineText(mocti::WorkOrderType)),
                                          Variant(lineText(mocti::WorkOrderNo))}),
                        record))
                    return refuse("201063", {Variant(serial)});
            } else if (!Brokers()->CheckValue(
                           "H", "37",
                           plat::VarArrayOf({Variant(lineText(mocti::WorkOrderType)),
                                             Variant(lineText(mocti::WorkOrderNo)),
                                             Variant(headText(mocth::Factory)),
                                             Variant(headText(mocth::Supplier)), Variant(item)}),
                           record)) {
                return refuse("100023", {Variant(mmoF[4])});
            }
        }
        if (batch != kNoLot &&
            !Brokers()->CheckValue(
                "PSMMA", "10",
                plat::VarArrayOf({Variant(serial), Variant(item), Variant(lineText(mocti::Lot))}),
                record))
            return refuse("201006", {Variant(serial)});
        // Another document holds it: the user may go on.
        if (Brokers()->CheckValue("PSMMB", "03",
                                  plat::VarArrayOf({Variant(serial), Variant(SerialStatus),
                                                    Variant(DocumentKey(lineText(mocti::DocType),
                                                                        lineText(mocti::DocNo)))}),
                                  record) &&
            !ShowWarningOnce("W", "200401", {Variant(serial)}))
            return false;
    }
    // No more serials of this kind than the line's quantity of it.
    if (AppliedInputMode == TSerialInputMode::Scan && !ExternalBatch) return CheckSerialCapacity(1);
    return true;
}

bool TfrmKTRB52Seq::CheckSerialCapacity(int count) {
    moMSG->Clear();
    if (FormMode() == TFormMode::Browse || !BodyDataSet) return true;
    // The row maintain mode keeps open without a serial is where the next serial goes:
    // it is not posted empty.
    const plat::TDataSetState state = BodyDataSet->State();
    TField* serial = BodyDataSet->FindField(SerialField);
    const bool openRow = state == plat::dsInsert && serial && serial->AsString().empty();
    if ((state == plat::dsEdit || state == plat::dsInsert) && !openRow) BodyDataSet->Post();
    const double total = QuantityOne + QuantityTwo;
    if (CompareFloats(double(BodyDataSet->RecordCount()) + count, total) <= 0) return true;
    const std::vector<Variant> args = {Variant(plat::FloatToStr(total))};
    ShowMemoMessage("W", "200411", args);
    ShowWarningOnce("W", "200411", args);  // cancelling ends the action
    return false;
}

// ---- input ------------------------------------------------------------------------------------

void TfrmKTRB52Seq::edSeqNoScanExit(plat::TObject* sender) {
    if (!IsSerialNewInReceipt(plat::Trim(edSeqNoScan->Text()))) {
        edSeqNoScan->SetText("");
        if (MaintainMode) TryFocus(edSeqNoScan);
        return;
    }
    TfrmPSMSimpleBody::edSeqNoScanExit(sender);
}

void TfrmKTRB52Seq::writeSerial(const std::string& serial, bool onTop) {
    // The row maintain mode opened on an empty list takes the first serial.
    if (BodyDataSet->State() == plat::dsBrowse) {
        if (onTop) {
            BodyDataSet->First();
            BodyDataSet->Insert();
        } else {
            BodyDataSet->Append();
        }
    }
    SetFieldText(BodyDataSet->FieldByName(SerialField), serial);
    BodyDataSet->Post();
}

void TfrmKTRB52Seq::WriteIntervalSerials(long long begin, long long end,
                                         const std::string& pattern) {
    // Numbers whose serial the receipt holds already are skipped.
    receiptSerials_ = std::make_unique<std::unordered_set<std::string>>(receiptSerials());
    struct Drop {
        std::unique_ptr<std::unordered_set<std::string>>& index;
        ~Drop() { index.reset(); }
    } drop{receiptSerials_};
    for (long long n = begin; n <= end; ++n) {
        const std::string serial = FillPattern(pattern, n);
        if (!IsSerialNewInReceipt(serial)) continue;
        writeSerial(serial, true);
        receiptSerials_->insert(serial);
    }
}

void TfrmKTRB52Seq::btnMOCSeqClick(plat::TObject*) {
    Variant rows;
    if (!Brokers()->QueryData(
            "PSMMC", "10",
            plat::VarArrayOf({Variant(lineText(mocti::WorkOrderType)),
                              Variant(lineText(mocti::WorkOrderNo)), Variant("0001")}),
            rows) ||
        !rows.IsArray() || rows.HighBound() < rows.LowBound())
        return;
    // The work order's serials are one batch against the kind's quantity.
    ExternalBatch = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{ExternalBatch};
    if (!CheckSerialCapacity(rows.HighBound() - rows.LowBound() + 1)) return;
    for (int i = rows.LowBound(); i <= rows.HighBound(); ++i) {
        const std::string serial = plat::Trim(ReplyText(rows[i], 0));
        if (!AddSerial(serial)) return;
        writeSerial(serial, false);
    }
}

// ---- the receipt form's serial buttons ---------------------------------------------------------

void TfrmKtrb52::bindSerialButtons() {
    using plat::TNotifyEvent;
    if (btnGDToJH) btnGDToJH->OnClick = TNotifyEvent(this, &TfrmKtrb52::btnGDToJHClick);
    if (btnScrapSeq) btnScrapSeq->OnClick = TNotifyEvent(this, &TfrmKtrb52::btnScrapSeqClick);
    if (btnDestroySeq) btnDestroySeq->OnClick = TNotifyEvent(this, &TfrmKtrb52::btnDestroySeqClick);
    if (btnSRLB03) btnSRLB03->OnClick = TNotifyEvent(this, &TfrmKtrb52::btnSRLB03Click);
    if (gdBody1 && gdBody1->Parent() && !gdBody1IButton) {
        // In the grid's indicator corner.
        gdBody1IButton = new plat::TSpeedButton(this);
        gdBody1IButton->SetName("gdBody1IButton");
        gdBody1IButton->SetParent(gdBody1->Parent());
        gdBody1IButton->SetBounds(gdBody1->Left() + 1, gdBody1->Top() + 1, 11, 18);
        gdBody1IButton->SetHint("产品序号");
        gdBody1IButton->SetShowHint(true);
        gdBody1IButton->SetFlat(true);
        gdBody1IButton->SetCaption("#");
        gdBody1IButton->OnClick = TNotifyEvent(this, &TfrmKtrb52::gdBody1IButtonClick);
        gdBody1IButton->BringToFront();
    }
}

void TfrmKtrb52::gdBody1IButtonClick(plat::TObject*) {
    openSerialForm("A", mocti::AcceptedQuantity);
}

void TfrmKtrb52::btnScrapSeqClick(plat::TObject*) {
    openSerialForm("B", mocti::ScrappedQuantity);
}

void TfrmKtrb52::btnDestroySeqClick(plat::TObject*) {
    openSerialForm("C", mocti::DestroyedQuantity);
}

void TfrmKtrb52::openSerialForm(const std::string& kind, const char* quantityField) {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || !SerialForm || !dm->cdsBody1->Active()) return;
    if (dm->cdsBody1->State() == plat::dsEdit || dm->cdsBody1->State() == plat::dsInsert)
        dm->cdsBody1->Post();
    TField* quantity = line(quantityField);
    if (sys("SYS179") != "Y" || lineText(mocti::ItemSerialManaged) != "Y" || !quantity ||
        CompareFloats(quantity->AsFloat(), 0) <= 0)
        return;
    if (lineText(mocti::Lot) == kNoLot) {
        const std::string batches = lineText(mocti::ItemLotManaged);
        if (batches == "Y" || batches == "T") {
            Brokers()->ShowMessageCode("E", "100161", {Variant(std::string())});
            return;
        }
        if (batches == "W" &&
            Brokers()->ShowMessageCode("W", "200240", {Variant(std::string())}) != 1)
            return;
    }
    // The copy holds every serial row of the receipt, each with its line's key.
    if (SerialCopy->FieldCount() == 0) CopyDataSetStructure(this, dm->cdsFoot, SerialCopy);
    if (!SerialCopy->Active()) SerialCopy->CreateDataSet();
    SerialCopy->EmptyDataSet();
    {
        plat::TClientDataSet lines(nullptr);
        if (CloneCursorSafe(dm->cdsBody1, &lines)) {
            plat::TClientDataSet serials(nullptr);
            serials.SetDataSetField(
                dynamic_cast<plat::TDataSetField*>(lines.FieldByName("qryFoot")));
            serials.Open();
            const char* const keys[][2] = {{psmmb::DocType, mocti::DocType},
                                           {psmmb::DocNo, mocti::DocNo},
                                           {psmmb::LineNo, mocti::LineNo}};
            for (lines.First(); !lines.Eof(); lines.Next()) {
                for (serials.First(); !serials.Eof(); serials.Next()) {
                    SerialCopy->Append();
                    for (TField* f : serials.Fields())
                        if (f->IsDataField() && !dynamic_cast<plat::TDataSetField*>(f))
                            if (TField* to = SerialCopy->FindField(f->FieldName()))
                                to->SetAsString(f->AsString());
                    for (const auto& [serialKey, lineKey] : keys)
                        if (serials.FieldByName(serialKey)->AsString().empty())
                            SerialCopy->FieldByName(serialKey)->SetAsString(
                                lines.FieldByName(lineKey)->AsString());
                    SerialCopy->Post();
                }
            }
        }
    }
    SerialForm->SerialKind = kind;
    SerialForm->ShowModal();
}

void TfrmKtrb52::btnSRLB03Click(plat::TObject*) {
    const std::string item = lineText(mocti::Item);
    std::string flag;
    Variant rows = Brokers()->CallServerMethod(
        "SimpleSql",
        plat::VarArrayOf({Variant(" SELECT MBH02,MBH01 FROM $$INVMB \r\n WHERE MB001 = " +
                                  plat::QuotedStr(item)),
                          Variant("MBH02,MBH01")}));
    if (rows.IsArray() && rows.HighBound() >= rows.LowBound())
        flag = ReplyText(ReplyAt(rows, 0), 1);
    if (flag != "Y") {
        Brokers()->ShowMessageCode(
            "E", "000032",
            {Variant(GetLangMessage("TfrmKtrb52", "sItem", "品号", false) + item +
                     GetLangMessage("TfrmKtrb52", "sNoBarcodes", "未启用条码管理！", false))});
        return;
    }
    Variant out;
    Brokers()->RunJobProgram(
        "SRLB03",
        plat::VarArrayOf(
            {Variant("1=2"),
             plat::VarArrayOf({Variant("0"), Variant(item), Variant(lineText(mocti::Lot)),
                               Variant(headText(mocth::DocDate)), Variant("Y")})}),
        plat::VarArrayOf({Variant(10), Variant(13), Variant()}), out, true);
}

}  // namespace ktrb
