#include "receipt/forms/Ktrb52CF.h"

#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "controls/QrvEdit.h"
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
#include "runtime/Brokers.h"
#include "runtime/CodeConverter.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TField;
using plat::Variant;

namespace {

constexpr int kEditWidth = 120;

// Hints of the line editors' look-ups, by line: item, engineering item, work
// order, item attributes, arrival, process, inspection and the others the
// rules name.
constexpr const char* kLookupTexts[] = {
    "品号信息", "工程品号信息", "工单信息", "品号属性", "到货单信息", "工艺信息", "检验单信息",
    "单位信息", "库别信息",     "批号信息", "储位信息", "项目信息",   "常用语"};

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
    auto button = [&](const char* name, const char* hint, int image) -> TToolButton* {
        if (!ToolBar1) return nullptr;
        auto* b = new TToolButton(this);
        b->SetName(name);
        b->SetHint(hint);
        b->SetImageIndex(image);
        b->SetParent(ToolBar1);
        return b;
    };
    btnMoney = button("btnMoney", "输入货款", 21);
    if (btnMoney) btnMoney->OnClick = TNotifyEvent(this, &TfrmKtrb52::btnMoneyClick);
    btnInvEdit = button("btnInvEdit", "发票信息更改", 22);
    if (btnInvEdit) btnInvEdit->OnClick = TNotifyEvent(this, &TfrmKtrb52::btnInvEditClick);
    BtnSearchs = button("BtnSearchs", "资料查询", 23);
    btnFMoney = button("btnFMoney", "暂不付款/取消暂不付款", 24);
    if (btnFMoney) {
        btnFMoney->SetStyle(TToolButtonStyle::tbsCheck);
        btnFMoney->OnClick = TNotifyEvent(this, &TfrmKtrb52::btnFMoneyClick);
    }
    btnCR = button("btnCR", "凭证制单", 25);
    if (btnCR) btnCR->SetVisible(false);
    btnScrapSeq = button("btnScrapSeq", "报废数量序号子单身", 26);
    btnDestroySeq = button("btnDestroySeq", "破坏数量序号子单身", 27);
    btnGDToJH = button("btnGDToJH", "刷读条码生成委外进货单", 28);
    btnSRLB03 = button("btnSRLB03", "打印品号条码", 29);

    drawOwnGlyphs();

    PopSearchs = new TPopupMenu(this);
    PopSearchs->SetName("PopSearchs");
    auto item = [&](TPopupMenu* menu, const char* name, const char* caption) {
        auto* mi = new TMenuItem(this);
        if (*name) mi->SetName(name);
        mi->SetCaption(caption);
        menu->Items()->Add(mi);
        return mi;
    };
    miVNDB04 = item(PopSearchs, "miVNDB04", "供应商信息查询");
    miKTRB17 = item(PopSearchs, "miKTRB17", "工单查询");
    miBatchStockQuery = item(PopSearchs, "miBatchStockQuery", "批号库存量查询");
    miSubcontractPriceQuery = item(PopSearchs, "miSubcontractPriceQuery", "委外计价查询");
    miPriceHistoryQuery = item(PopSearchs, "miPriceHistoryQuery", "历史委外计价查询");
    miPurchaseInvoiceQuery = item(PopSearchs, "miPurchaseInvoiceQuery", "采购发票查询");
    miLDGB40 = item(PopSearchs, "miLDGB40", "分录底稿查询");
    if (BtnSearchs) {
        BtnSearchs->SetStyle(TToolButtonStyle::tbsDropDown);
        BtnSearchs->SetDropdownMenu(PopSearchs);
    }
    popCr = new TPopupMenu(this);
    popCr->SetName("popCr");
    item(popCr, "", "生成底稿");
    item(popCr, "", "维护底稿");
    item(popCr, "", "凭证制单");
    if (btnCR) {
        btnCR->SetStyle(TToolButtonStyle::tbsDropDown);
        btnCR->SetDropdownMenu(popCr);
    }

    for (const char* t :
         {"S.可抵扣专用发票", "B.普通发票", "T.运输发票", "N.不可抵扣专用发票", "A.农产品收购凭证",
          "G.海关代征完税凭证", "W.废旧物资收购凭证", "Z.其他", "或"})
        Memo1.Add(t);
    for (const char* t :
         {"破坏数量", "破坏包装数量", "取样数量", "取样包装数量", "或", "序号子单身"})
        Me.Add(t);
    lookupTexts_.assign(std::begin(kLookupTexts), std::end(kLookupTexts));

    // Head controls: three columns of labelled edits on the first page, the
    // invoice and currency edits on the second.
    TWinControl* page1 =
        tbsHead1 ? static_cast<TWinControl*>(tbsHead1) : static_cast<TWinControl*>(this);
    TabSheet1 = nullptr;
    if (pgHead) {
        TabSheet1 = new TTabSheet(this);
        TabSheet1->SetName("TabSheet1");
        TabSheet1->SetCaption("其他信息");
        TabSheet1->SetPageControl(pgHead);
        if (tbsHead1) TabSheet1->SetPageIndex(tbsHead1->PageIndex() + 1);
    }
    TWinControl* page2 = TabSheet1 ? static_cast<TWinControl*>(TabSheet1) : page1;
    constexpr int kColumn[] = {90, 400, 710};
    constexpr int kRow = 26, kTop = 8;

    auto edit = [&](TWinControl* parent, const char* name, const char* field, int col, int row,
                    int width = kEditWidth) {
        auto* e = new TQvBtnDBEdit(this);
        e->SetName(name);
        e->SetDataField(field);
        e->SetParent(parent);
        e->SetBounds(kColumn[col], kTop + row * kRow, width, 21);
        e->SetText("");
        return e;
    };
    auto combo = [&](TWinControl* parent, const char* name, const char* field, int col, int row) {
        auto* c = new TQvDBComboBox(this);
        c->SetName(name);
        c->SetDataField(field);
        c->SetParent(parent);
        c->SetBounds(kColumn[col], kTop + row * kRow, kEditWidth + 22, 21);
        return c;
    };
    // The name beside a code: the code's name field ("txtTH005C" shows TH005C).
    auto text = [&](TWinControl* parent, const char* name, TControl* beside) {
        auto* l = new plat::TDBText(this);
        l->SetName(name);
        l->SetDataField(std::string(name).substr(3));
        l->SetParent(parent);
        l->SetBounds(beside->Left() + beside->Width() + 24, beside->Top() + 3, 150, 15);
        return l;
    };
    edTH001 = edit(page1, "edTH001", "TH001", 0, 0, 60);
    txtTH001C = text(page1, "txtTH001C", edTH001);
    edTH002 = edit(page1, "edTH002", "TH002", 0, 1);
    edTH029 = edit(page1, "edTH029", "TH029", 0, 2);
    edTH004 = edit(page1, "edTH004", "TH004", 0, 3, 60);
    txtTH004C = text(page1, "txtTH004C", edTH004);
    edTH005 = edit(page1, "edTH005", "TH005", 1, 0, 80);
    txtTH005C = text(page1, "txtTH005C", edTH005);
    edTH025 = edit(page1, "edTH025", "TH025", 1, 1);
    cboTH036 = combo(page1, "cboTH036", "TH036", 1, 2);
    edTH037 = edit(page1, "edTH037", "TH037", 1, 3);
    edTH038 = edit(page1, "edTH038", "TH038", 2, 0, 60);
    txtTH038C = text(page1, "txtTH038C", edTH038);
    edTH003 = edit(page1, "edTH003", "TH003", 2, 1);
    edTH045 = edit(page1, "edTH045", "TH045", 2, 2, 80);
    txtTH045C = text(page1, "txtTH045C", edTH045);
    edTH011 = edit(page1, "edTH011", "TH011", 2, 3, 160);
    edTH013 = edit(page2, "edTH013", "TH013", 0, 0);
    cboTH012 = combo(page2, "cboTH012", "TH012", 0, 1);
    edTH014 = edit(page2, "edTH014", "TH014", 0, 2);
    edTH006 = edit(page2, "edTH006", "TH006", 1, 0);
    edTH007 = edit(page2, "edTH007", "TH007", 1, 1, 60);
    edTH009 = edit(page2, "edTH009", "TH009", 1, 2);
    edTH010 = edit(page2, "edTH010", "TH010", 1, 3);
    edTH008 = edit(page2, "edTH008", "TH008", 2, 0);
    edTH033 = edit(page2, "edTH033", "TH033", 2, 1, 60);
    txtTH033C = text(page2, "txtTH033C", edTH033);
    cboTH015 = combo(page2, "cboTH015", "TH015", 2, 2);
    edTH030 = edit(page2, "edTH030", "TH030", 2, 3);

    // Foot totals, one row.
    if (pnlFoot) {
        pnlFoot->SetHeight(60);
        int i = 0;
        for (auto [slot, name, field] :
             std::initializer_list<std::tuple<TQvDBEdit**, const char*, const char*>>{
                 {&edTH018, "edTH018", "TH018"},
                 {&edTH019, "edTH019", "TH019"},
                 {&edTH020, "edTH020", "TH020"},
                 {&edTH027, "edTH027", "TH027"},
                 {&edTH021, "edTH021", "TH021"},
                 {&edTH031, "edTH031", "TH031"},
                 {&edTH032, "edTH032", "TH032"},
                 {&edTH022, "edTH022", "TH022"},
                 {&edTH042, "edTH042", "TH042"},
                 {&edTH034, "edTH034", "TH034"},
                 {&edTH043, "edTH043", "TH043"}}) {
            auto* e = new TQvDBEdit(this);
            e->SetName(name);
            e->SetDataField(field);
            e->SetParent(pnlFoot);
            e->SetBounds(kColumn[i % 3], 6 + (i / 3) * 0, 110, 21);
            e->SetReadOnly(true);
            e->SetTabStop(false);
            *slot = e;
            ++i;
        }
        // Eleven totals in rows of five.
        i = 0;
        for (TQvDBEdit* e : {edTH018, edTH019, edTH020, edTH027, edTH021, edTH031, edTH032, edTH022,
                             edTH042, edTH034, edTH043}) {
            e->SetBounds(90 + (i % 5) * 185, 6 + (i / 5) * 26, 90, 21);
            ++i;
        }
        pnlFoot->SetVisible(true);
    }
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
        dm->DocumentNumberField = "TH002";
        dm->DocumentDateField = "TH029";
        dm->SetLineNumbering(true);
        dm->ItemInputModeField = "MQ024C";
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
    SetConfirmFieldName("TH023");
    SetBodyConfirmFieldName("TI037");
    SetSignOffFieldName("TH036");
    SetDateFieldName("TH003");
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
        if (TField* f = line("TI056")) f->SetDisplayLabel(Me[2]);
        if (TField* f = line("TI057")) f->SetDisplayLabel(Me[3]);
        if (btnDestroySeq) btnDestroySeq->SetHint(Me[2] + Me[5]);
    } else {
        if (TField* f = line("TI056")) f->SetDisplayLabel(Me[0]);
        if (TField* f = line("TI057")) f->SetDisplayLabel(Me[1]);
        if (btnDestroySeq) btnDestroySeq->SetHint(Me[0] + Me[5]);
    }
    if (sys("SYS093") == "N") setLineFieldVisible("TI060", false);
    if (sys("SYS024") == "3")
        for (const char* name : {"TH034", "TH043"})
            if (TField* f = head(name)) f->SetVisible(true);
    for (const char* name : {"TI014C1", "TI014C2", "TI014C3"})
        setLineFieldVisible(name, sys("SYS074") == "Y");
    if (TField* f = line("TI027")) f->SetReadOnly(ApAccountingActive);
    setLineFieldVisible("TI004MB454", sys("SYS179") == "Y");
    TfrmDouble::ApplyControlSettings();
    if (TdmKtrb52* dm = ReceiptModule()) dm->PriceFromAmountEnabled = false;
    for (TQvDBEdit* e : {edTH034, edTH043})
        if (e) e->SetVisible(sys("SYS024") == "3");
    FillCodeItems(sys("SYS026") == "2");
    if (sys("SYS026") == "2" && cboTH012) {
        cboTH012->SetDataField("");
        cboTH012->SetDataField("TH012");
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
    if (TField* f = head("TH036")) f->SetVisible(signOff);
    const bool th037 = sys("SYS042") != "N";
    if (edTH037) edTH037->SetVisible(th037);
    if (TField* f = head("TH037")) f->SetVisible(th037);
    setLineFieldVisible("TI015", sys("SYS079") != "N");
    setLineFieldVisible("TIC01", sys("SYS175") == "Y");
    const bool projects = sys("SYS180") == "Y";
    if (projects) {
        AddRequiredFields("cdsMain:TH045");
        if (TField* f = line("TI032")) f->SetReadOnly(true);
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
    setLineFieldVisible("TI032", !projects);
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
        const std::string kind = headText("TH001C2");
        const std::string signOff = headText("TH036");
        const bool open = browsing && headText("TH023") == "N" && kind != "D2" && kind != "D3" &&
                          !kind.empty() && signOff != "1" && signOff != "4" && signOff != "5" &&
                          signOff != "6" && signOff != "S";
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
        TField* price = line("TI024");
        btnMoney->SetEnabled(browsing && !lineText("TI001").empty() && price &&
                             !price->ReadOnly() && price->Visible() && btnMoney->Enabled() &&
                             lineText("TI037") == "Y");
    }
    if (dm && dm->cdsBody1->Active()) dm->UpdatePackagingReadOnly();
    if (btnFMoney && btnFMoney->Enabled()) {
        const std::string hold = lineText("TI033");
        if (hold == "Y") btnFMoney->SetDown(true);
        if (hold == "N") btnFMoney->SetDown(false);
    }
    const bool taxOpen = headText("TH012") != "B";
    if (cboTH015) cboTH015->SetEnabled(taxOpen);
    if (edTH030) edTH030->SetEnabled(taxOpen);
    const bool barcodes = sys("SYSH01") == "Y";
    if (btnGDToJH)
        btnGDToJH->SetEnabled(barcodes &&
                              (FormMode() == TFormMode::Edit || FormMode() == TFormMode::Add));
    if (btnSRLB03)
        btnSRLB03->SetEnabled(browsing && !lineText("TI004").empty() && headText("TH023") != "V" &&
                              barcodes);
}

// ---- records ---------------------------------------------------------------------

void TfrmKtrb52::readQualityParam() {
    TdmKtrb52* dm = ReceiptModule();
    if (!dm) return;
    dm->Session.QualityParam = "N";
    Variant values;
    // The look-up needs a field for its messages; the key is empty.
    dm->GetLookupValues(head("TH001"), "QMSMA", "01", values, Variant(""));
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
        session.SupplierAtEdit = headText("TH005");
        readQualityParam();
        session.InspectionKeys.Clear();
        Variant rows;
        if (Brokers()->QueryData("QMSTD", "02",
                                 plat::VarArrayOf({lineText("TI001"), lineText("TI002"), ""}),
                                 rows) &&
            rows.IsArray()) {
            for (int i = rows.LowBound(); i <= rows.HighBound(); ++i) {
                const Variant& row = rows[i];
                if (row.IsArray() && row.ArrayCount() > 3)
                    session.InspectionKeys.Add(plat::VarToStr(row[row.LowBound() + 3]));
            }
        }
    }
    if (TField* f = line("TIC01")) f->SetReadOnly(headText("TH001C3") == "N");
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
    keys.push_back(Variant(headText("TH001C2")));
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
        SetFieldText(line("TI033"), lineText("TI033") == "Y" ? "N" : "Y");
        dm->cdsBody1->Post();
        dm->ApplyData(dm->cdsMain);
    } catch (...) {
        LineCheckActive = true;
        if (dm->cdsBody1->State() != plat::dsBrowse) dm->cdsBody1->Cancel();
        throw;
    }
    LineCheckActive = true;
    if (btnFMoney) btnFMoney->SetDown(lineText("TI033") == "Y");
}

}  // namespace ktrb
