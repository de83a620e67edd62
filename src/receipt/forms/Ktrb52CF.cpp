#include "receipt/forms/Ktrb52CF.h"

#include <span>

#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
#include "controls/WindowDesign.h"
#include "platform/component/properties.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/graphics.h"
#include "platform/ui/imglist.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "receipt/forms/Ktrb52Seq.h"
#include "receipt/rules/FieldCodes.h"
#include "runtime/Brokers.h"
#include "runtime/CodeConverter.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

// Hints of the line editors' look-ups, by line: item, engineering item, work
// order, item attributes, arrival, process, inspection and the others the
// rules name.
constexpr const char* kLookupTexts[] = {
    "品号信息", "工程品号信息", "工单信息", "品号属性", "到货单信息", "工艺信息", "检验单信息",
    "单位信息", "库别信息",     "批号信息", "储位信息", "项目信息",   "常用语"};

constexpr int kEditWidth = 120;
constexpr int kColumn[] = {90, 400, 710};
constexpr int kRow = 26, kTop = 8;

// An edit in the head's columns.
constexpr design::Bounds At(int column, int row, int width = kEditWidth) {
    return {kColumn[column], kTop + row * kRow, width, 21};
}
constexpr design::Bounds ComboAt(int column, int row) {
    return At(column, row, kEditWidth + 22);
}
// The name beside a code's edit.
constexpr design::Bounds Beside(design::Bounds edit) {
    return {edit.left + edit.width + 24, edit.top + 3, 150, 15};
}
// The foot's eleven totals, in rows of five.
constexpr design::Bounds Total(int i) {
    return {90 + (i % 5) * 185, 6 + (i / 5) * 26, 90, 21};
}

using namespace design;
using F = TfrmKtrb52;

// The form's own tool buttons, their hints, and the menus two of them drop
// down.
const Item kTools[] = {
    {"btnMoney", Field<&F::btnMoney>, "ToolBar1", "输入货款"},
    {"btnInvEdit", Field<&F::btnInvEdit>, "ToolBar1", "发票信息更改"},
    {"BtnSearchs", Field<&F::BtnSearchs>, "ToolBar1", "资料查询", -1, nullptr, nullptr, true,
     "PopSearchs"},
    {"btnFMoney", Field<&F::btnFMoney>, "ToolBar1", "暂不付款/取消暂不付款"},
    {"btnCR", Field<&F::btnCR>, "ToolBar1", "凭证制单", -1, nullptr, nullptr, false, "popCr"},
    {"btnScrapSeq", Field<&F::btnScrapSeq>, "ToolBar1", "报废数量序号子单身"},
    {"btnDestroySeq", Field<&F::btnDestroySeq>, "ToolBar1", "破坏数量序号子单身"},
    {"btnGDToJH", Field<&F::btnGDToJH>, "ToolBar1", "刷读条码生成委外进货单"},
    {"btnSRLB03", Field<&F::btnSRLB03>, "ToolBar1", "打印品号条码"},
    {"PopSearchs", Field<&F::PopSearchs>},
    {"miVNDB04", Field<&F::miVNDB04>, "PopSearchs", "供应商信息查询"},
    {"miKTRB17", Field<&F::miKTRB17>, "PopSearchs", "工单查询"},
    {"miBatchStockQuery", Field<&F::miBatchStockQuery>, "PopSearchs", "批号库存量查询"},
    {"miSubcontractPriceQuery", Field<&F::miSubcontractPriceQuery>, "PopSearchs", "委外计价查询"},
    {"miPriceHistoryQuery", Field<&F::miPriceHistoryQuery>, "PopSearchs", "历史委外计价查询"},
    {"miPurchaseInvoiceQuery", Field<&F::miPurchaseInvoiceQuery>, "PopSearchs", "采购发票查询"},
    {"miLDGB40", Field<&F::miLDGB40>, "PopSearchs", "分录底稿查询"},
    {"popCr", Field<&F::popCr>},
    {"", Make<plat::TMenuItem>, "popCr", "生成底稿"},
    {"", Make<plat::TMenuItem>, "popCr", "维护底稿"},
    {"", Make<plat::TMenuItem>, "popCr", "凭证制单"},
};

// Three columns of labelled edits on the first head page, the invoice and
// currency edits on the second; a code's name beside it ("txtTH005C" shows
// TH005C).
const Control kHead[] = {
    {"TabSheet1", Field<&F::TabSheet1>, "pgHead", {}, "其他信息"},
    {"edTH001", Field<&F::edTH001>, "tbsHead1", At(0, 0, 60)},
    {"txtTH001C", Field<&F::txtTH001C>, "tbsHead1", Beside(At(0, 0, 60))},
    {"edTH002", Field<&F::edTH002>, "tbsHead1", At(0, 1)},
    {"edTH029", Field<&F::edTH029>, "tbsHead1", At(0, 2)},
    {"edTH004", Field<&F::edTH004>, "tbsHead1", At(0, 3, 60)},
    {"txtTH004C", Field<&F::txtTH004C>, "tbsHead1", Beside(At(0, 3, 60))},
    {"edTH005", Field<&F::edTH005>, "tbsHead1", At(1, 0, 80)},
    {"txtTH005C", Field<&F::txtTH005C>, "tbsHead1", Beside(At(1, 0, 80))},
    {"edTH025", Field<&F::edTH025>, "tbsHead1", At(1, 1)},
    {"cboTH036", Field<&F::cboTH036>, "tbsHead1", ComboAt(1, 2)},
    {"edTH037", Field<&F::edTH037>, "tbsHead1", At(1, 3)},
    {"edTH038", Field<&F::edTH038>, "tbsHead1", At(2, 0, 60)},
    {"txtTH038C", Field<&F::txtTH038C>, "tbsHead1", Beside(At(2, 0, 60))},
    {"edTH003", Field<&F::edTH003>, "tbsHead1", At(2, 1)},
    {"edTH045", Field<&F::edTH045>, "tbsHead1", At(2, 2, 80)},
    {"txtTH045C", Field<&F::txtTH045C>, "tbsHead1", Beside(At(2, 2, 80))},
    {"edTH011", Field<&F::edTH011>, "tbsHead1", At(2, 3, 160)},
    {"edTH013", Field<&F::edTH013>, "TabSheet1", At(0, 0)},
    {"cboTH012", Field<&F::cboTH012>, "TabSheet1", ComboAt(0, 1)},
    {"edTH014", Field<&F::edTH014>, "TabSheet1", At(0, 2)},
    {"edTH006", Field<&F::edTH006>, "TabSheet1", At(1, 0)},
    {"edTH007", Field<&F::edTH007>, "TabSheet1", At(1, 1, 60)},
    {"edTH009", Field<&F::edTH009>, "TabSheet1", At(1, 2)},
    {"edTH010", Field<&F::edTH010>, "TabSheet1", At(1, 3)},
    {"edTH008", Field<&F::edTH008>, "TabSheet1", At(2, 0)},
    {"edTH033", Field<&F::edTH033>, "TabSheet1", At(2, 1, 60)},
    {"txtTH033C", Field<&F::txtTH033C>, "TabSheet1", Beside(At(2, 1, 60))},
    {"cboTH015", Field<&F::cboTH015>, "TabSheet1", ComboAt(2, 2)},
    {"edTH030", Field<&F::edTH030>, "TabSheet1", At(2, 3)},
};

const Control kFoot[] = {
    {"edTH018", Field<&F::edTH018>, "pnlFoot", Total(0)},
    {"edTH019", Field<&F::edTH019>, "pnlFoot", Total(1)},
    {"edTH020", Field<&F::edTH020>, "pnlFoot", Total(2)},
    {"edTH027", Field<&F::edTH027>, "pnlFoot", Total(3)},
    {"edTH021", Field<&F::edTH021>, "pnlFoot", Total(4)},
    {"edTH031", Field<&F::edTH031>, "pnlFoot", Total(5)},
    {"edTH032", Field<&F::edTH032>, "pnlFoot", Total(6)},
    {"edTH022", Field<&F::edTH022>, "pnlFoot", Total(7)},
    {"edTH042", Field<&F::edTH042>, "pnlFoot", Total(8)},
    {"edTH034", Field<&F::edTH034>, "pnlFoot", Total(9)},
    {"edTH043", Field<&F::edTH043>, "pnlFoot", Total(10)},
};

const Handler kToolEvents[] = {
    {"btnMoney", "OnClick", On<&F::btnMoneyClick>},
    {"btnInvEdit", "OnClick", On<&F::btnInvEditClick>},
    {"btnFMoney", "OnClick", On<&F::btnFMoneyClick>},
};

}  // namespace

TfrmKtrb52::TfrmKtrb52(plat::TComponent* owner) : TfrmDouble(owner) {
    createReceiptDesign();
}

TfrmKtrb52::~TfrmKtrb52() = default;

IRadicalForm* TfrmKtrb52::Create() {
    return plat::CreateForm<TfrmKtrb52>(nullptr);
}

TdmKtrb52* TfrmKtrb52::ReceiptModule() const {
    return dynamic_cast<TdmKtrb52*>(DataModule);
}

TDataModuleClass TfrmKtrb52::GetDataModuleClass() {
    return [](plat::TComponent* owner) -> TdmRadical* { return new TdmKtrb52(owner); };
}

// ---- design ------------------------------------------------------------------

void TfrmKtrb52::createReceiptDesign() {
    using namespace plat;
    SetName("frmKtrb52");
    SetCaption("委外进货单");
    SetClientWidth(1000);
    SetClientHeight(640);
    Build(this, kTools);
    btnFMoney->SetStyle(TToolButtonStyle::tbsCheck);
    Connect(this, kToolEvents);
    drawOwnGlyphs();

    for (const char* t :
         {"S.可抵扣专用发票", "B.普通发票", "T.运输发票", "N.不可抵扣专用发票", "A.农产品收购凭证",
          "G.海关代征完税凭证", "W.废旧物资收购凭证", "Z.其他", "或"})
        Memo1.Add(t);
    for (const char* t :
         {"破坏数量", "破坏包装数量", "取样数量", "取样包装数量", "或", "序号子单身"})
        Me.Add(t);
    lookupTexts_.assign(std::begin(kLookupTexts), std::end(kLookupTexts));

    Build(this, kHead);
    TabSheet1->SetPageIndex(tbsHead1->PageIndex() + 1);
    pnlFoot->SetHeight(60);
    Build(this, kFoot);
    FieldsByName(this, kHead);
    FieldsByName(this, kFoot);
    for (TQvDBEdit* e : {edTH018, edTH019, edTH020, edTH027, edTH021, edTH031, edTH032, edTH022,
                         edTH042, edTH034, edTH043}) {
        e->SetReadOnly(true);
        e->SetTabStop(false);
    }
    pnlFoot->SetVisible(true);
}

// ---- creation ------------------------------------------------------------------

void TfrmKtrb52::drawOwnGlyphs() {
    using namespace plat;
    if (!ImageList1) return;
    const struct {
        TToolButton* button;
        const char* id;
        const char* mark;
        TColor color;
    } glyphs[] = {{btnMoney, "sGlyphMoney", "货", 0x00307F30},
                  {btnInvEdit, "sGlyphInvEdit", "票", 0x00806020},
                  {BtnSearchs, "sGlyphSearchs", "查", 0x00A05000},
                  {btnFMoney, "sGlyphFMoney", "停", 0x000040C0},
                  {btnCR, "sGlyphCR", "证", 0x00606060},
                  {btnScrapSeq, "sGlyphScrapSeq", "废", 0x00404090},
                  {btnDestroySeq, "sGlyphDestroySeq", "破", 0x00204080},
                  {btnGDToJH, "sGlyphGDToJH", "码", 0x00707000},
                  {btnSRLB03, "sGlyphSRLB03", "印", 0x00505050}};
    for (const auto& g : glyphs) {
        if (!g.button) continue;
        // Before the language is known the marks are the built-in ones; the
        // traditional interface writes them in traditional characters.
        std::string mark = g.mark;
        if (glyphsAdded_) {
            if (GetUICodePage() == "950") mark = QvConverter->GBToBig5(mark);
            mark = GetLangMessage("TfrmKtrb52", g.id, mark, false);
        }
        TBitmap bmp(18, 18);
        TCanvas& c = *bmp.Canvas();
        c.Brush.Color = clFuchsia;
        c.FillRect({0, 0, 18, 18});
        c.Brush.Color = g.color;
        c.Pen.Color = g.color;
        c.Rectangle(1, 1, 17, 17);
        c.Font.SetColor(clWhite);
        c.Font.SetHeight(-12);
        c.Brush.Style = TBrushStyle::bsClear;
        c.TextOut(9 - c.TextWidth(mark) / 2, 9 - c.TextHeight(mark) / 2, mark);
        if (glyphsAdded_) {
            ImageList1->ReplaceMasked(g.button->ImageIndex(), bmp, clFuchsia);
        } else {
            g.button->SetImageIndex(ImageList1->Count());
            ImageList1->AddMasked(bmp, clFuchsia);
        }
    }
    glyphsAdded_ = true;
}

void TfrmKtrb52::ApplyScreenLanguage() {
    TfrmDouble::ApplyScreenLanguage();
    // The form's text lists are converted with its controls.
    for (plat::TStringList* list : {&Memo1, &Me})
        for (int i = 0; i < list->Count(); ++i)
            list->SetStrings(i, QvConverter->ConvertToUI(Variant((*list)[i])).AsString());
    for (std::string& text : lookupTexts_)
        text = QvConverter->ConvertToUI(Variant(text)).AsString();
    drawOwnGlyphs();
}

void TfrmKtrb52::FormCreate(plat::TObject* sender) {
    // The data module first: the inherited creation reads it.
    DataModule = GetDataModuleClass()(this);
    try {
        TfrmDouble::FormCreate(sender);
    } catch (...) {
        StartFailed = true;
        throw;
    }
    SetVersionText("900214");
    bindQueryMenu();
    bindSerialButtons();
    if (gdBody1) {
        gdBody1->OnKeyPress = plat::TKeyPressEvent(this, &TfrmKtrb52::gdBody1KeyPressGuard);
        gdBody1->OnKeyDown = plat::TKeyEvent(this, &TfrmKtrb52::gdBody1KeyDownGuard);
        gdBody1->OnEnter = plat::TNotifyEvent(this, &TfrmKtrb52::gdBody1EnterExtra);
        gdBody1->OnExit = plat::TNotifyEvent(this, &TfrmKtrb52::gdBody1ExitExtra);
        gdBody1->OnColEnter = plat::TNotifyEvent(this, &TfrmKtrb52::gdBody1ColEnterLineOrder);
    }
    createCodeEditors();
    if (TdmKtrb52* dm = ReceiptModule()) {
        savedBodyStateChange_ = dm->dsBody1->OnStateChange;
        dm->dsBody1->OnStateChange = plat::TNotifyEvent(this, &TfrmKtrb52::dsBody1StateLineOrder);
    }
    AmountEntryStarted = false;
    if (TdmKtrb52* dm = ReceiptModule()) {
        TKtrb52Session& session = dm->Session;
        session.ValidationActive = session.QuantityEditActive = false;
        session.InvoiceKindFromDialog = false;
        for (int i = 0; i < ComponentCount(); ++i) {
            plat::TComponent* c = Components(i);
            if (auto* e = dynamic_cast<plat::TDBEdit*>(c)) {
                if (e->DataField().rfind("TH", 0) == 0) e->SetDataSource(dm->dsMain);
            } else if (auto* cb = dynamic_cast<plat::TDBComboBox*>(c)) {
                if (cb->DataField().rfind("TH", 0) == 0) cb->SetDataSource(dm->dsMain);
            } else if (auto* t = dynamic_cast<plat::TDBText*>(c)) {
                if (t->DataField().rfind("TH", 0) == 0) t->SetDataSource(dm->dsMain);
            }
        }
    }
}

void TfrmKtrb52::FormShow(plat::TObject* sender) {
    TfrmDouble::FormShow(sender);
    if (btnInvEdit) btnInvEdit->SetVisible(false);
}

void TfrmKtrb52::FormDestroy(plat::TObject* sender) {
    if (TdmKtrb52* dm = ReceiptModule()) dm->Session.InspectionKeys.Clear();
    TfrmDouble::FormDestroy(sender);
}

bool TfrmKtrb52::InitializeFromHost(const Variant& params) {
    const bool result = TfrmDouble::InitializeFromHost(params);
    if (!SerialCopy) {
        SerialCopy = new plat::TClientDataSet(this);
        SerialCopy->SetName("SerialDataSet");
    }
    if (!SerialForm && result) SerialForm = plat::CreateForm<TfrmKTRB52Seq>(this);
    try {
        Variant rows = Brokers()->CallServerMethod(
            "SimpleSql",
            plat::VarArrayOf({" SELECT MA051 FROM $$BMSMA ", "MA051", Brokers()->SignOnKey, "N"}));
        if (rows.IsArray() && rows.ArrayCount() > 0) {
            Variant row = rows[rows.LowBound()];
            SerialParam = plat::VarToStr(row.IsArray() ? row[row.LowBound()] : row);
        }
    } catch (const std::exception&) {
        // Without the parameter the serial form works with its default.
    }
    return result;
}

// ---- settings ------------------------------------------------------------------

std::string TfrmKtrb52::sys(const std::string& name) const {
    return Brokers()->GetSysParam(plat::UpperCase(name));
}

TField* TfrmKtrb52::head(const char* name) const {
    TdmKtrb52* dm = ReceiptModule();
    return dm ? dm->cdsMain->FindField(name) : nullptr;
}

TField* TfrmKtrb52::line(const char* name) const {
    TdmKtrb52* dm = ReceiptModule();
    return dm ? dm->cdsBody1->FindField(name) : nullptr;
}

std::string TfrmKtrb52::headText(const char* name) const {
    TField* f = head(name);
    return f && f->DataSet()->Active() ? f->AsString() : std::string();
}

std::string TfrmKtrb52::lineText(const char* name) const {
    TField* f = line(name);
    return f && f->DataSet()->Active() ? f->AsString() : std::string();
}

void TfrmKtrb52::setLineFieldVisible(const char* name, bool on) {
    if (TField* f = line(name)) f->SetVisible(on);
}

void TfrmKtrb52::InitFormSettings() {
    TfrmDouble::InitFormSettings();
    ApAccountingActive = false;
    if (LookupVarFlag(ExtraParams, "ACP")) ApAccountingActive = true;
    FirstAddControl = edTH001;
    FirstEditControl = edTH029;
    if (TdmKtrb52* dm = ReceiptModule()) {
        dm->SetKeepFields("TH001,TH004,TH029");
        dm->DocumentNumberField = mocth::DocNo;
        dm->DocumentDateField = mocth::DocDate;
        dm->SetLineNumbering(true);
        dm->ItemInputModeField = mocth::ItemEntryMode;
    }
    SetRequiredFields(
        "CdsMain:TH029,TH004,TH005,TH012,TH015,TH016,TH007;"
        "cdsBody1:TI004,TI008,TI015,TI018,TI010,TI060");
    applyNumberFormats();
    AmountFieldList =
        "cdsMain:TH018,TH019,TH020,TH021,TH027,TH031,TH032,TH027C,TH032C;"
        "cdsBody1:TI024,TI025,TI026,TI027,TI044,TI045,TI046,TI047,TI053";
    PriceFieldList = "CdsBody1:TI024";
    itemViewSource_ = "cdsBody1:TI004";
    SetConfirmFieldName(mocth::ConfirmCode);
    SetBodyConfirmFieldName(mocti::ConfirmCode);
    SetSignOffFieldName(mocth::SignOffState);
    SetDateFieldName(mocth::ReceiptDate);
    ReportProgram = "KTRD52";
    LineCheckActive = true;
}

void TfrmKtrb52::ApplyControlSettings() {
    // These texts replace field labels and hints after the packages applied,
    // so they take the interface language here.
    static const char* const kMeIds[] = {
        "sDestroyQty", "sDestroyPackQty", "sSampleQty", "sSamplePackQty", "sOr", "sSerialLines"};
    // The memo's lines are no component text the form's conversion reaches:
    // a default taken here is converted for display here.
    for (int i = 0; i < static_cast<int>(std::size(kMeIds)) && i < Me.Count(); ++i)
        Me.SetStrings(i, GetLangMessage("TfrmKtrb52", kMeIds[i], Me[i], true));
    static const char* const kMemo1Ids[] = {"sInvoiceKindS", "sInvoiceKindB", "sInvoiceKindT",
                                            "sInvoiceKindN", "sInvoiceKindA", "sInvoiceKindG",
                                            "sInvoiceKindW", "sInvoiceKindZ", "sOr"};
    for (int i = 0; i < static_cast<int>(std::size(kMemo1Ids)) && i < Memo1.Count(); ++i)
        Memo1.SetStrings(i, GetLangMessage("TfrmKtrb52", kMemo1Ids[i], Memo1[i], false));
    if (sys("SYS069") == "Y") {
        if (TField* f = line(mocti::DestroyedQuantity)) f->SetDisplayLabel(Me[2]);
        if (TField* f = line(mocti::DestroyedPackages)) f->SetDisplayLabel(Me[3]);
        if (btnDestroySeq) btnDestroySeq->SetHint(Me[2] + Me[5]);
    } else {
        if (TField* f = line(mocti::DestroyedQuantity)) f->SetDisplayLabel(Me[0]);
        if (TField* f = line(mocti::DestroyedPackages)) f->SetDisplayLabel(Me[1]);
        if (btnDestroySeq) btnDestroySeq->SetHint(Me[0] + Me[5]);
    }
    if (sys("SYS093") == "N") setLineFieldVisible(mocti::Location, false);
    if (sys("SYS024") == "3")
        for (const char* name : {mocth::TotalAcceptedPackages, mocth::TotalReceivedPackages})
            if (TField* f = head(name)) f->SetVisible(true);
    for (const char* name : {mocti::OrderType, mocti::OrderNo, mocti::OrderLineNo})
        setLineFieldVisible(name, sys("SYS074") == "Y");
    if (TField* f = line(mocti::ReceiptCost)) f->SetReadOnly(ApAccountingActive);
    setLineFieldVisible(mocti::ItemSerialManaged, sys("SYS179") == "Y");
    TfrmDouble::ApplyControlSettings();
    if (TdmKtrb52* dm = ReceiptModule()) dm->PriceFromAmountEnabled = false;
    for (TQvDBEdit* e : {edTH034, edTH043})
        if (e) e->SetVisible(sys("SYS024") == "3");
    FillCodeItems(sys("SYS026") == "2");
    if (sys("SYS026") == "2" && cboTH012) {
        cboTH012->SetDataField("");
        cboTH012->SetDataField(mocth::InvoiceKind);
    }
    try {
        Variant rows = Brokers()->CallServerMethod(
            "SimpleSQL", plat::VarArrayOf({" SELECT MB001,MB002 FROM $$MOCMB ", "MB001,MB002"}));
        if (rows.IsArray() && rows.ArrayCount() > 0) {
            Variant row = rows[rows.LowBound()];
            TdmKtrb52* dm = ReceiptModule();
            if (dm && row.IsArray() && row.ArrayCount() >= 2) {
                dm->Session.MocParam1 = plat::VarToStr(row[row.LowBound()]);
                dm->Session.MocParam2 = plat::VarToStr(row[row.LowBound() + 1]);
            }
        }
    } catch (const std::exception&) {
        // Left empty: the work-order checks then do not apply.
    }
    const bool signOff = sys("SYS060") != "N";
    if (cboTH036) cboTH036->SetVisible(signOff);
    if (TField* f = head(mocth::SignOffState)) f->SetVisible(signOff);
    const bool th037 = sys("SYS042") != "N";
    if (edTH037) edTH037->SetVisible(th037);
    if (TField* f = head(mocth::TransferCount)) f->SetVisible(th037);
    setLineFieldVisible(mocti::Process, sys("SYS079") != "N");
    setLineFieldVisible(mocti::ItemKind, sys("SYS175") == "Y");
    const bool projects = sys("SYS180") == "Y";
    if (projects) {
        AddRequiredFields("cdsMain:TH045");
        if (TField* f = line(mocti::Project)) f->SetReadOnly(true);
    } else {
        RemoveRequiredFields("cdsMain:TH045");
    }
    if (edTH045) {
        edTH045->SetReadOnly(!projects);
        edTH045->SetTabStop(projects);
        edTH045->SetEnabled(projects);
        if (!projects) edTH045->SetColor(plat::clBtnFace);
        if (edTH045->F2Button()) edTH045->F2Button()->SetEnabled(projects);
    }
    setLineFieldVisible(mocti::Project, !projects);
    captionsFromFields();
}

void TfrmKtrb52::captionsFromFields() {
    for (int i = 0; i < ComponentCount(); ++i) {
        plat::TComponent* c = Components(i);
        if (auto* e = dynamic_cast<TQvDBEdit*>(c)) {
            if (TField* f = head(e->DataField().c_str())) e->SetCaption(f->DisplayLabel());
        } else if (auto* cb = dynamic_cast<TQvDBComboBox*>(c)) {
            if (TField* f = head(cb->DataField().c_str())) cb->SetCaption(f->DisplayLabel());
        }
    }
}

// ---- buttons ---------------------------------------------------------------------

void TfrmKtrb52::UpdateButtons() {
    if (btnMoney) btnMoney->SetEnabled(true);
    if (btnFMoney) btnFMoney->SetEnabled(true);
    TfrmDouble::UpdateButtons();
    TdmKtrb52* dm = ReceiptModule();
    const bool browsing = FormMode() == TFormMode::Browse;
    if (EditAllowed || DeleteAllowed) {
        const std::string kind = headText(mocth::DocNature);
        const std::string signOff = headText(mocth::SignOffState);
        const bool open = browsing && headText(mocth::ConfirmCode) == "N" && kind != "D2" &&
                          kind != "D3" && !kind.empty() && signOff != "1" && signOff != "4" &&
                          signOff != "5" && signOff != "6" && signOff != "S";
        if (btnEdit) btnEdit->SetEnabled(EditAllowed && open);
        if (miEdit) miEdit->SetEnabled(EditAllowed && open);
        if (btnDelete) btnDelete->SetEnabled(DeleteAllowed && open);
        if (miDelete) miDelete->SetEnabled(DeleteAllowed && open);
    } else {
        if (btnEdit) btnEdit->SetEnabled(false);
        if (miEdit) miEdit->SetEnabled(false);
        if (btnDelete) btnDelete->SetEnabled(false);
        if (miDelete) miDelete->SetEnabled(false);
    }
    if (btnMoney) {
        TField* price = line(mocti::UnitPrice);
        btnMoney->SetEnabled(browsing && !lineText(mocti::DocType).empty() && price &&
                             !price->ReadOnly() && price->Visible() && btnMoney->Enabled() &&
                             lineText(mocti::ConfirmCode) == "Y");
    }
    if (dm && dm->cdsBody1->Active()) dm->UpdatePackagingReadOnly();
    if (btnFMoney && btnFMoney->Enabled()) {
        const std::string hold = lineText(mocti::PaymentHold);
        if (hold == "Y") btnFMoney->SetDown(true);
        if (hold == "N") btnFMoney->SetDown(false);
    }
    const bool taxOpen = headText(mocth::InvoiceKind) != "B";
    if (cboTH015) cboTH015->SetEnabled(taxOpen);
    if (edTH030) edTH030->SetEnabled(taxOpen);
    const bool barcodes = sys("SYSH01") == "Y";
    if (btnGDToJH)
        btnGDToJH->SetEnabled(barcodes &&
                              (FormMode() == TFormMode::Edit || FormMode() == TFormMode::Add));
    if (btnSRLB03)
        btnSRLB03->SetEnabled(browsing && !lineText(mocti::Item).empty() &&
                              headText(mocth::ConfirmCode) != "V" && barcodes);
}

// ---- records ---------------------------------------------------------------------

void TfrmKtrb52::readQualityParam() {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm) return;
    dm->Session.QualityParam = "N";
    Variant values;
    // The look-up needs a field for its messages; the key is empty.
    dm->GetLookupValues(head(mocth::DocType), "QMSMA", "01", values, Variant(""));
    if (values.IsArray() && plat::VarToIntDef(values[0], 0) != 0 && values.ArrayCount() > 5)
        dm->Session.QualityParam = plat::VarToStr(values[5]);
}

bool TfrmKtrb52::RefusedUnstarted() {
    if (!StartFailed) return false;
    ShowMessageBox(GetLangMessage("TfrmKtrb52", "sStartFailed",
                                  "程序启动失败,无法处理单据,请关闭后重新启动!", true),
                   TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
    return true;
}

bool TfrmKtrb52::AddRecord(bool ask) {
    if (RefusedUnstarted()) return false;
    const bool result = TfrmDouble::AddRecord(ask);
    TdmKtrb52* dm = ReceiptModule();
    if (dm) dm->Session.ValidationActive = dm->Session.QuantityEditActive = true;
    readQualityParam();
    if (dm) dm->Session.InvoiceKindFromDialog = false;
    UpdateProjectEditEnabled(false);
    return result;
}

bool TfrmKtrb52::EditRecord() {
    if (RefusedUnstarted() || !CanChangeBody()) return false;
    const bool result = TfrmDouble::EditRecord();
    TdmKtrb52* dm = ReceiptModule();
    if (dm) {
        TKtrb52Session& session = dm->Session;
        session.ValidationActive = session.QuantityEditActive = true;
        session.SupplierAtEdit = headText(mocth::Supplier);
        readQualityParam();
        session.InspectionKeys.Clear();
        Variant rows;
        if (Brokers()->QueryData(
                "QMSTD", "02",
                plat::VarArrayOf({lineText(mocti::DocType), lineText(mocti::DocNo), ""}), rows) &&
            rows.IsArray()) {
            for (int i = rows.LowBound(); i <= rows.HighBound(); ++i) {
                const Variant& row = rows[i];
                if (row.IsArray() && row.ArrayCount() > 3)
                    session.InspectionKeys.Add(plat::VarToStr(row[row.LowBound() + 3]));
            }
        }
    }
    if (TField* f = line(mocti::ItemKind))
        f->SetReadOnly(headText(mocth::DocTypeEngineeringItems) == "N");
    if (pnlHead) pnlHead->SetEnabled(true);
    if (pnlFoot) pnlFoot->SetEnabled(true);
    if (pgHead)
        for (int i = 0; i + 1 < pgHead->PageCount(); ++i) pgHead->Pages(i)->SetEnabled(true);
    if (gdBody1 && gdBody1->CanFocus()) gdBody1->SetFocus();
    if (dm) dm->Session.InvoiceKindFromDialog = false;
    UpdateProjectEditEnabled(false);
    return result;
}

bool TfrmKtrb52::CheckAllBodyLines() {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm) return true;
    // One line that may not go keeps the whole receipt: the first refusal ends the walk.
    for (dm->cdsBody1->First(); !dm->cdsBody1->Eof(); dm->cdsBody1->Next())
        if (!dm->CheckLineDelete()) return false;
    return true;
}

bool TfrmKtrb52::DeleteRecord(bool) {
    if (RefusedUnstarted()) return false;
    if (!CheckAllBodyLines()) return true;
    return TfrmDouble::DeleteRecord(true);
}

std::string TfrmKtrb52::AssignDocumentNumber() {
    std::string number;
    TfrmDouble::AssignDocumentNumber(number);
    assignedNumber_ = number;
    return number;
}

bool TfrmKtrb52::BuildDocumentKeyArray(Variant& a, Variant& b) {
    const bool result = TfrmDouble::BuildDocumentKeyArray(a, b);
    TdmKtrb52* dm = ReceiptModule();
    if (!result || !dm) return result;
    std::vector<Variant> keys;
    std::string list = dm->KeyFields;
    while (!list.empty()) {
        TField* f = head(plat::Trim(CutToken(list, ",")).c_str());
        keys.push_back(f ? f->Value() : Variant());
    }
    if (FormMode() == TFormMode::Add && dm->AutoNumber && !keys.empty())
        keys.back() = Variant(assignedNumber_);
    keys.push_back(Variant(headText(mocth::DocNature)));
    b = plat::VarArrayOf({Variant(false), Variant::ArrayOf(std::move(keys))});
    return result;
}

void TfrmKtrb52::UpdateProjectEditEnabled(bool locked) {
    TdmKtrb52* dm = ReceiptModule();
    if (!edTH045 || !dm) return;
    const bool empty = !dm->cdsBody1->Active() || (dm->cdsBody1->Bof() && dm->cdsBody1->Eof());
    edTH045->SetEnabled(empty && !locked);
}

// ---- the receipt module's session and view ----------------------------------------

bool TfrmKtrb52::ValidationActive() const {
    const TdmKtrb52* dm = ReceiptModule();
    return dm && dm->Session.ValidationActive;
}

bool TfrmKtrb52::QuantityEditActive() const {
    const TdmKtrb52* dm = ReceiptModule();
    return dm && dm->Session.QuantityEditActive;
}

bool TfrmKtrb52::InvoiceKindFromDialog() const {
    const TdmKtrb52* dm = ReceiptModule();
    return dm && dm->Session.InvoiceKindFromDialog;
}

std::string TfrmKtrb52::SupplierAtEdit() const {
    const TdmKtrb52* dm = ReceiptModule();
    return dm ? dm->Session.SupplierAtEdit : std::string();
}

std::string TfrmKtrb52::LookupTextLine(int index) const {
    if (index < 0 || index >= (int)lookupTexts_.size()) return {};
    return lookupTexts_[index];
}

void TfrmKtrb52::ReceiptViewChanged(const TKtrb52View& view, TKtrb52Part part,
                                    const std::string& editor) {
    auto* control = [&]() -> plat::TControl* {
        return editor.empty() ? nullptr : dynamic_cast<plat::TControl*>(FindComponent(editor));
    }();
    switch (part) {
        case TKtrb52Part::InspectionEdit:
            if (cboTI035G) cboTI035G->SetReadOnly(view.InspectionEditReadOnly);
            break;
        case TKtrb52Part::MoneyButton:
            if (btnMoney) btnMoney->SetEnabled(btnMoney->Enabled() && view.MoneyAllowed);
            break;
        case TKtrb52Part::BodyGrid:
            if (gdBody1) gdBody1->SetReadOnly(view.BodyGridLocked);
            break;
        case TKtrb52Part::QueryMenu:
            for (plat::TMenuItem* mi :
                 {miBatchStockQuery, miSubcontractPriceQuery, miPriceHistoryQuery})
                if (mi) mi->SetEnabled(view.QueryMenuEnabled);
            break;
        case TKtrb52Part::ItemView:
            itemViewSource_ = view.ItemViewSource;
            break;
        case TKtrb52Part::TaxKind:
            if (cboTH015) cboTH015->SetEnabled(view.TaxKindEnabled);
            break;
        case TKtrb52Part::TaxRate:
            if (edTH030) edTH030->SetEnabled(view.TaxRateEnabled);
            break;
        case TKtrb52Part::ProjectEdit:
            UpdateProjectEditEnabled(view.ProjectEditLocked);
            break;
        case TKtrb52Part::EditorHint:
            if (auto it = view.EditorHints.find(editor); control && it != view.EditorHints.end())
                control->SetHint(
                    JoinLookupLines(it->second, [this](int i) { return LookupTextLine(i); }));
            break;
        case TKtrb52Part::EditorText:
            if (auto it = view.EditorTexts.find(editor); control && it != view.EditorTexts.end())
                control->SetText(it->second);
            break;
        case TKtrb52Part::F11Fields:
            F11Fields = view.F11Fields;
            break;
        case TKtrb52Part::AfterSave:
            AutoConfirmAfterAdd = view.AutoConfirmAfterSave ? 1 : 2;
            PrintAfterSave = view.PrintAfterSave ? 1 : 0;
            break;
    }
}

// ---- payment hold ----------------------------------------------------------------

void TfrmKtrb52::btnFMoneyClick(plat::TObject*) {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm || FormMode() != TFormMode::Browse || dm->cdsBody1->IsEmpty()) return;
    LineCheckActive = false;
    try {
        dm->cdsBody1->Edit();
        SetFieldText(line(mocti::PaymentHold), lineText(mocti::PaymentHold) == "Y" ? "N" : "Y");
        dm->cdsBody1->Post();
        dm->ApplyData(dm->cdsMain);
    } catch (...) {
        LineCheckActive = true;
        if (dm->cdsBody1->State() != plat::dsBrowse) dm->cdsBody1->Cancel();
        throw;
    }
    LineCheckActive = true;
    if (btnFMoney) btnFMoney->SetDown(lineText(mocti::PaymentHold) == "Y");
}

}  // namespace ktrb
