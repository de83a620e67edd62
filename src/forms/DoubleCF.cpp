#include "forms/DoubleCF.h"

#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "controls/WindowDesign.h"
#include "dataframe/knlBase.h"
#include "dataframe/knlRadical.h"
#include "forms/QVConfirmDate.h"
#include "platform/core/dates.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/graphics.h"
#include "platform/ui/imglist.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/resources.h"
#include "query/ColorComponents.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"
#include "runtime/libUDF.h"

namespace ktrb {

using plat::Variant;

namespace {

const char* const kPackage = "TfrmDouble";

// The status stamps: a rubber stamp with the status word, drawn once.
struct StampStyle {
    const char* name;
    const char* word;
    plat::TColor colour;
};
const StampStyle kStamps[] = {
    {"CONFIRM", "已审核", 0x0000C0},     {"INVALID", "作废", 0x606060},
    {"NOGOOD", "未核准", 0x0000C0},      {"CONFIRM_ENG", "OK", 0x0000C0},
    {"INVALID_ENG", "VOID", 0x606060},   {"NOGOOD_ENG", "NO", 0x0000C0},
    {"CONFIRM_CHT", "已審核", 0x0000C0}, {"INVALID_CHT", "作廢", 0x606060},
    {"NOGOOD_CHT", "未核准", 0x0000C0},
};

void DrawStamp(plat::TBitmap& bmp, const StampStyle& style) {
    bmp.SetSize(49, 48);
    plat::TCanvas* c = bmp.Canvas();
    c->Brush.Color = plat::clWhite;
    c->FillRect({0, 0, 49, 48});
    c->Pen.Color = style.colour;
    c->Pen.Width = 2;
    c->Brush.Style = plat::TBrushStyle::bsClear;
    c->Ellipse(2, 2, 47, 46);
    c->Font.SetColor(style.colour);
    c->Font.SetStyle({plat::TFontStyle::fsBold});
    c->Font.SetSize(8);
    const int w = c->TextWidth(style.word), h = c->TextHeight(style.word);
    c->TextOut((49 - w) / 2, (48 - h) / 2, style.word);
}

// The status and document glyphs of the tool bar (18 x 18).
using Glyph = void (*)(plat::TCanvas&);
void Line(plat::TCanvas& c, plat::TColor colour, int width, std::vector<plat::TPoint> pts) {
    c.Pen.Color = colour;
    c.Pen.Width = width;
    c.Polyline(pts);
}
void DrawConfirm(plat::TCanvas& c) {
    Line(c, 0x008000, 3, {{3, 9}, {7, 13}, {15, 4}});
}
void DrawUnconfirm(plat::TCanvas& c) {
    Line(c, 0x808080, 2, {{2, 9}, {6, 13}, {14, 4}});
    Line(c, 0x0000C0, 2, {{9, 10}, {16, 16}});
    Line(c, 0x0000C0, 2, {{16, 10}, {9, 16}});
}
void DrawInvalid(plat::TCanvas& c) {
    c.Pen.Color = 0x0000C0;
    c.Pen.Width = 2;
    c.Brush.Style = plat::TBrushStyle::bsClear;
    c.Ellipse(2, 2, 16, 16);
    Line(c, 0x0000C0, 2, {{4, 14}, {14, 4}});
}
void DrawFlow(plat::TCanvas& c) {
    c.Pen.Color = 0x505050;  // kept by the greying of a disabled button
    c.Pen.Width = 1;
    c.Brush.Color = plat::clWhite;
    c.Rectangle(3, 1, 14, 17);
    for (int y : {5, 8, 11}) Line(c, 0x800000, 1, {{5, y}, {12, y}});
}
void DrawClip(plat::TCanvas& c) {
    Line(c, 0x404040, 1,
         {{7, 15}, {4, 12}, {4, 4}, {7, 1}, {10, 4}, {10, 12}, {8, 14}, {7, 12}, {7, 5}});
}
void DrawClipWith(plat::TCanvas& c) {
    DrawClip(c);
    c.Pen.Color = 0x0000C0;
    c.Brush.Color = 0x0000C0;
    c.Ellipse(11, 10, 17, 16);
}
void DrawSignOff(plat::TCanvas& c) {
    Line(c, 0x800000, 2, {{3, 15}, {15, 3}});
    Line(c, 0x404040, 1, {{2, 16}, {5, 16}});
}
const Glyph kDoubleGlyphs[] = {DrawConfirm, DrawUnconfirm, DrawInvalid, DrawFlow,
                               DrawClip,    DrawClipWith,  DrawSignOff};

void RegisterStamps() {
    static const bool done = [] {
        for (const StampStyle& s : kStamps)
            if (!plat::HasBitmapResource(s.name))
                plat::RegisterBitmapResource(s.name, [&s](plat::TBitmap& b) { DrawStamp(b, s); });
        return true;
    }();
    (void)done;
}

using namespace design;
using F = TfrmDouble;

// The foot under the lines, hidden until a form shows its own.
const Control kFoot[] = {
    {"pnlFoot", Field<&F::pnlFoot>, "", {0, 0, 0, 36}, "", plat::TAlign::alBottom},
};

// The lines' page under the head, split from it, and the status stamp on
// the first head page.
const Control kBody[] = {
    {"pgBody", Field<&F::pgBody>, "", {0, 0, 0, 200}, nullptr, plat::TAlign::alBottom},
    {"sprBody", Field<&F::sprBody>, "", {0, 0, 0, 3}, nullptr, plat::TAlign::alBottom},
    {"tbsBody1", Field<&F::tbsBody1>, "pgBody"},
    {"gdBody1", Field<&F::gdBody1>, "tbsBody1", {}, nullptr, plat::TAlign::alClient},
    {"ImgConfirm", Field<&F::ImgConfirm>, "tbsHead1", {0, 5, 49, 48}},
};

// The status buttons and menus beside the single form's.
const Item kItems[] = {
    {"btnConfirm", Field<&F::btnConfirm>, "ToolBar1", "审核", -1, On<&F::miConfirmClick>},
    {"btnUnConfirm", Field<&F::btnUnConfirm>, "ToolBar1", "撤销审核", -1, On<&F::miUnConfirmClick>},
    {"btnInvalid", Field<&F::btnInvalid>, "ToolBar1", "作废", -1, On<&F::miInvalidClick>},
    {"DropDownPopupMenu", Field<&F::DropDownPopupMenu>},
    {"btnFlow", Field<&F::btnFlow>, "ToolBar1", "复制单据", -1, nullptr, nullptr, true,
     "DropDownPopupMenu"},
    {"btnAttach", Field<&F::btnAttach>, "ToolBar1", "附件", -1, On<&F::btnAttachClick>},
    {"btnSepSorvanta", Field<&F::btnSepSorvanta>, "ToolBar1", "-"},
    {"btnSorvanta", Field<&F::btnSorvanta>, "ToolBar1", "送签", -1, On<&F::btnSorvantaClick>,
     nullptr, false, "popSorvanta"},
    {"popSorvanta", Field<&F::popSorvanta>},
    {"N2", Field<&F::N2>, "MenuItem1", "-"},
    {"miConfirm", Field<&F::miConfirm>, "MenuItem1", "单据审核", -1, On<&F::miConfirmClick>},
    {"miUnConfirm", Field<&F::miUnConfirm>, "MenuItem1", "撤销审核", -1, On<&F::miUnConfirmClick>},
    {"miInvalid", Field<&F::miInvalid>, "MenuItem1", "单据作废", -1, On<&F::miInvalidClick>},
    {"miBBConfirm", Field<&F::miBBConfirm>, "P1", "整批审核", -1, On<&F::miBBConfirmClick>},
    {"miBBCancelConfirm", Field<&F::miBBCancelConfirm>, "P1", "整批撤销审核", -1,
     On<&F::miBBCancelConfirmClick>},
    {"miBodyToExcel", Field<&F::miBodyToExcel>, "miExport", "单身资料转Excel（含格式）", -1,
     On<&F::miBodyToExcelClick>, "Ctrl+F3", false},
    {"miBodyToExcel2", Field<&F::miBodyToExcel2>, "miExport", "单身资料转Excel（不含格式）", -1,
     On<&F::miBodyToExcel2Click>, "Ctrl+F4", false},
    {"QVPager", Field<&F::QVPager>, "DropDownPopupMenu", "消息中心", -1, On<&F::QVPagerClick>},
    {"Attach", Field<&F::Attach>, "DropDownPopupMenu", "附件", -1, nullptr, nullptr, false},
    {"mnuCopy", Field<&F::mnuCopy>, "DropDownPopupMenu", "复制单据", -1, On<&F::mnuCopyClick>},
    {"miGoConfirm", Field<&F::miGoConfirm>, "popSorvanta", "送签-审核", -1,
     On<&F::miGoConfirmClick>},
    {"miGoUnConfirm", Field<&F::miGoUnConfirm>, "popSorvanta", "送签-取消审核", -1,
     On<&F::miGoUnConfirmClick>},
    {"miGoInvalid", Field<&F::miGoInvalid>, "popSorvanta", "送签-作废", -1,
     On<&F::miGoInvalidClick>},
    {"miSeprator", Field<&F::miSeprator>, "popSorvanta", "-"},
    {"miViewSorvanta", Field<&F::miViewSorvanta>, "popSorvanta", "查看Sorvanta签核状况", -1,
     On<&F::miViewSorvantaClick>},
    {"miSeprator2", Field<&F::miSeprator2>, "popSorvanta", "-"},
    {"mConfirmErp", Field<&F::mConfirmErp>, "popSorvanta", "审核'已核准'单据", -1,
     On<&F::mConfirmErpClick>},
    {"mUpdateConfirm", Field<&F::mUpdateConfirm>, "popSorvanta", "修改'已核准'单据", -1,
     On<&F::mUpdateConfirmClick>},
};

const Handler kEvents[] = {
    {"btnReFresh", "OnClick", On<&F::btnReFreshClick>},
    {"miOpenDravoc", "OnClick", On<&F::miOpenDravocClick>},
    {"miOpenF3Window", "OnClick", On<&F::miOpenF3WindowClick>},
    {"miOpenF4Window", "OnClick", On<&F::miOpenF4WindowClick>},
    {"gdBody1", "OnTitleButtonClick", On<&F::gdBody1TitleButtonClick>},
    {"gdBody1", "OnKeyDown", On<&F::gdBody1KeyDown>},
    {"gdBody1", "OnKeyUp", On<&F::gdBody1KeyUp>},
    {"gdBody1", "OnMouseMove", On<&F::gdBody1MouseMove>},
    {"gdBody1", "OnMouseDown", On<&F::gdBody1MouseDown>},
    {"gdBody1", "OnMouseUp", On<&F::gdBody1MouseUp>},
    {"gdBody1", "OnEnter", On<&F::gdBody1Enter>},
    {"gdBody1", "OnExit", On<&F::gdBody1Exit>},
    {"gdBody1", "OnCalcCellColors", On<&F::gdBody1CalcCellColors>},
    {"gdBody1", "OnCalcTitleAttributes", On<&F::gdBody1CalcTitleAttributes>},
};

}  // namespace

TfrmDouble::TfrmDouble(plat::TComponent* owner) : TfrmSingle(owner) {
    SetName("frmDouble");
    RegisterStamps();
    createDesign();
}

TfrmDouble::~TfrmDouble() = default;

void TfrmDouble::createDesign() {
    using namespace plat;
    Build(this, kFoot);
    pnlFoot->SetVisible(false);
    Build(this, kBody);
    sprBody->SetCursor(crVSplit);
    tbsBody1->SetTabVisible(false);
    pgBody->SetActivePage(tbsBody1);
    gdBody1->SetColor(15532027);
    gdBody1->SetOptions(TDataGridOptions{
        TDataGridOption::dgEditing, TDataGridOption::dgTitles, TDataGridOption::dgIndicator,
        TDataGridOption::dgColumnResize, TDataGridOption::dgColLines, TDataGridOption::dgRowLines,
        TDataGridOption::dgTabs, TDataGridOption::dgAlwaysShowSelection,
        TDataGridOption::dgConfirmDelete, TDataGridOption::dgCancelOnExit,
        TDataGridOption::dgWordWrap});
    gdBody1->SetKeyOptions(TDataGridKeyOptions{TDataGridKeyOption::dgEnterToTab});
    ImgConfirm->SetTransparent(true);
    Build(this, kItems);

    // The form's own glyphs, after the base tool bar's.
    if (ImageList1) {
        glyphBase_ = ImageList1->Count();
        for (Glyph paint : kDoubleGlyphs) {
            TBitmap bmp(18, 18);
            TCanvas& c = *bmp.Canvas();
            c.Brush.Color = clFuchsia;
            c.FillRect({0, 0, 18, 18});
            paint(c);
            ImageList1->AddMasked(bmp, clFuchsia);
        }
        const std::pair<TToolButton*, int> images[] = {{btnConfirm, 0}, {btnUnConfirm, 1},
                                                       {btnInvalid, 2}, {btnFlow, 3},
                                                       {btnAttach, 4},  {btnSorvanta, 6}};
        for (auto [b, i] : images) b->SetImageIndex(glyphBase_ + i);
    }
    Connect(this, kEvents);
}

TdmDouble* TfrmDouble::DoubleModule() const {
    return dynamic_cast<TdmDouble*>(DataModule);
}

plat::TField* TfrmDouble::headField(const std::string& name) const {
    TdmDouble* dm = DoubleModule();
    if (!dm || name.empty()) return nullptr;
    return dm->cdsMain->FindField(name);
}

void TfrmDouble::SetConfirmFieldName(const std::string& name) {
    confirmField_ = name;
}
void TfrmDouble::SetBodyConfirmFieldName(const std::string& name) {
    bodyConfirmField_ = name;
}
void TfrmDouble::SetDateFieldName(const std::string& name) {
    dateField_ = name;
}
void TfrmDouble::SetSignOffFieldName(const std::string& name) {
    signOffField_ = name;
}

// ---- creation ----

plat::TBitmap* TfrmDouble::stampBitmap(const char* name) {
    auto bmp = std::make_unique<plat::TBitmap>();
    // The traditional interface takes its own stamp where there is one.
    std::string resource = name;
    if (GetUICodePage() == "437")
        resource += "_ENG";
    else if (GetUICodePage() == "950" && plat::HasBitmapResource(resource + "_CHT"))
        resource += "_CHT";
    try {
        bmp->LoadFromResourceName(resource);
    } catch (const std::exception&) {
        // A missing stamp shows nothing.
    }
    bmp->Transparent = true;
    return bmp.release();
}

void TfrmDouble::FormCreate(plat::TObject* sender) {
    AutoConfirmAfterAdd = 2;
    DocTypes = new plat::TStringList();
    DocTypeSettings = new plat::TStringList();
    TfrmSingle::FormCreate(sender);
    if (pgHead) HeadPageHeight = pgHead->Height();
    stampConfirm_.reset(stampBitmap("CONFIRM"));
    stampInvalid_.reset(stampBitmap("INVALID"));
    stampNoGood_.reset(stampBitmap("NOGOOD"));
    PendingHeadChange = false;
    CopyRuleKind = "F01";
}

void TfrmDouble::FormDestroy(plat::TObject* sender) {
    TfrmSingle::FormDestroy(sender);
    stamp_ = nullptr;
    stampConfirm_.reset();
    stampInvalid_.reset();
    stampNoGood_.reset();
    delete DocTypes;
    DocTypes = nullptr;
    delete DocTypeSettings;
    DocTypeSettings = nullptr;
}

void TfrmDouble::InitFormSettings() {
    TfrmSingle::InitFormSettings();
    AttachmentsEnabled = true;
    ConfirmAfterSave = "N";
    ExtraFlag = true;
    BatchRunning = false;
    if (SingleModule()) SingleModule()->SetMultiSelectedVisible(true);
}

// ---- state text, pages ----

void TfrmDouble::ShowStateText(uint8_t state) {
    TfrmSingle::ShowStateText(state);
    const bool browsing = state == 1;
    gdBody1->SetReadOnly(browsing);
    pnlFoot->SetEnabled(!browsing);
    for (int i = 0; i < pnlFoot->ControlCount(); ++i) {
        plat::TControl* c = pnlFoot->Controls(i);
        if (c->InheritsFrom("TBitBtn") || c->InheritsFrom("TSpeedButton")) c->SetEnabled(!browsing);
    }
}

// The page of the heads is the browse page: there the counter counts heads,
// on a document's own page its lines (as pgHeadChange shows them).
bool TfrmDouble::HeadPageShown() const {
    return pgHead && tbsBrowse && pgHead->ActivePage() == tbsBrowse;
}

bool TfrmDouble::BodyPageVisible() const {
    return pgBody && pgBody->Visible();
}

void TfrmDouble::showCountCaption(const std::string& text) {
    SetStatusPanelText(2, text);
}

void TfrmDouble::pgHeadChange(plat::TObject* sender) {
    TfrmSingle::pgHeadChange(sender);
    if (BrowsePageHeight <= 0 || !pgHead) return;
    TdmDouble* dm = DoubleModule();
    if (tbsBrowse && pgHead->ActivePage() == tbsBrowse) {
        pgBody->SetVisible(false);
        sprBody->SetVisible(false);
        showCountCaption(GetLangMessage(kPackage, "sHeadRecCount", "单头笔数", true));
        if (dm) {
            const int no = dm->cdsMain->RecNo();
            const int count =
                dm->ServerRecordCount > 0 ? dm->ServerRecordCount : dm->cdsMain->RecordCount();
            SetStatusPanelText(3, no > 0 ? std::to_string(no) + "/" + std::to_string(count)
                                         : std::to_string(count));
        }
        return;
    }
    pgBody->SetVisible(true);
    sprBody->SetVisible(true);
    pgBody->SetHeight(BrowsePageHeight);
    showCountCaption(GetLangMessage(kPackage, "sBodyRecCount", "单身笔数", true));
    if (dm && dm->cdsBody1->Active() && dm->cdsBody1->RecNo() > 0)
        SetStatusPanelText(3, std::to_string(dm->cdsBody1->RecNo()) + "/" +
                                  std::to_string(dm->cdsBody1->RecordCount()));
    else
        SetStatusPanelText(3, "0/0");
}

// ---- record modes ----

bool TfrmDouble::IsAfterClosingDate() {
    if (!ClosingDateCheck || ClosingDate <= 0) return true;
    TdmDouble* dm = DoubleModule();
    plat::TField* field = dm ? headField(dm->DocumentDateField) : nullptr;
    plat::TDateTime date = 0;
    if (field && !field->IsNull()) {
        if (field->DataType() == plat::TFieldType::ftDate ||
            field->DataType() == plat::TFieldType::ftDateTime)
            date = field->AsDateTime();
        else
            date = YmdToDate(field->AsString());
    }
    return date > ClosingDate;
}

bool TfrmDouble::HasFinalStatus() {
    plat::TField* status = headField(confirmField_);
    if (!status) return false;
    const std::string s = status->AsString();
    return s == "Y" || s == "U" || s == "V";
}

void TfrmDouble::setAttachImage() {
    // The clip, with a mark when the document has attachments.
    if (btnAttach && glyphBase_ >= 0)
        btnAttach->SetImageIndex(glyphBase_ + (HasAttachments() ? 5 : 4));
}

bool TfrmDouble::AddRecord(bool flag) {
    TdmDouble* dm = DoubleModule();
    if (flag && dm) dm->ClearKeepValues();
    const bool added = TfrmSingle::AddRecord(flag);
    pgHeadChange(this);
    if (dm && !dm->cdsBody1->Active()) dm->cdsBody1->Open();
    if (added) {
        showStamp(nullptr);
        gdBody1->SetKeyOptions(gdBody1->KeyOptions() + plat::TDataGridKeyOption::dgAllowInsert);
        ApplyRights();
        if (pgHead && HeadPageHeight > 0) pgHead->SetHeight(HeadPageHeight);
        if (dm && dm->cdsBody1->IndexName().empty()) dm->RestoreBodyIndex();
    }
    if (dm && !dm->RefreshBodyClone()) throw plat::Exception("Copy Body Clone Error!!");
    return added;
}

bool TfrmDouble::EditRecord() {
    if (!IsAfterClosingDate()) {
        if (Brokers()) Brokers()->ShowMessageCode("E", "000009");
        plat::Abort();
    }
    if (HasFinalStatus()) return false;
    bool result = TfrmSingle::EditRecord();
    pgHeadChange(this);
    TdmDouble* dm = DoubleModule();
    if (!result || !dm) return result;
    gdBody1->SetKeyOptions(gdBody1->KeyOptions() + plat::TDataGridKeyOption::dgAllowInsert);
    ApplyRights();
    if (dm->cdsBody1->IndexName().empty() && dm->cdsBody1->IndexFieldNames().empty())
        dm->RestoreBodyIndex();
    if (!dm->RefreshBodyClone()) {
        ShowMessageBox("Copy Body Clone Error!!", TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        return false;
    }
    plat::TClientDataSet* body = dm->cdsBody1;
    if (!body->IsEmpty() && !(body->Bof() && body->Eof())) {
        // One walk puts the clone's position in step with the body's.
        TControlsDisabled off(body);
        plat::TBookmark mark = body->GetBookmark();
        for (body->First(); !body->Eof(); body->Next()) {
        }
        body->GotoBookmark(mark);
    }
    return result;
}

bool TfrmDouble::DeleteRecord(bool ask) {
    if (!IsAfterClosingDate()) {
        if (Brokers()) Brokers()->ShowMessageCode("E", "000009");
        plat::Abort();
    }
    bool result = false;
    try {
        result = TfrmSingle::DeleteRecord(ask);
        if (result) SetFormMode(0);
    } catch (const plat::EAbort&) {
        throw;
    } catch (const std::exception&) {
        if (Brokers()) Brokers()->ShowMessageCode("E", "000007");
        result = false;
    }
    ApplyRights();
    setAttachImage();
    return result;
}

bool TfrmDouble::QueryRecords() {
    const bool result = TfrmSingle::QueryRecords();
    pgHeadChange(this);
    TdmDouble* dm = DoubleModule();
    if (result && dm && dm->cdsMain->Active()) {
        dm->cdsBody1->Close();
        dm->cdsBody1->Open();
        dm->cdsMain->First();
        dm->cdsMain->Next();
        dm->cdsMain->Prior();
        LoadAttachmentKeys();
        setAttachImage();
    }
    return result;
}

bool TfrmDouble::CancelEdit(bool ask) {
    const bool result = TfrmSingle::CancelEdit(ask);
    if (CloseAfterSave) {
        SetResultValue(Variant());
        Close();
    }
    if (result)
        gdBody1->SetKeyOptions(gdBody1->KeyOptions() - plat::TDataGridKeyOption::dgAllowInsert -
                               plat::TDataGridKeyOption::dgAllowDelete);
    ApplyRights();
    return result;
}

// ---- save ----

bool TfrmDouble::checkBodyRecords() {
    TdmDouble* dm = DoubleModule();
    if (!dm || !pgBody->Visible() || !gdBody1->Visible() || pgBody->Height() <= 5) return true;
    plat::TClientDataSet* body = dm->cdsBody1;
    if (!(body->Bof() && body->Eof())) return true;
    const std::string text = GetLangMessage(kPackage, "sNoBodyRec", "单身没有资料", true);
    if (EmptyBodyRule == TEmptyBodyRule::Refuse) {
        if (Brokers()) Brokers()->ShowMessageCode("E", "000032", {text});
        return false;
    }
    if (EmptyBodyRule == TEmptyBodyRule::Ask)
        return Brokers() && Brokers()->ShowMessageCode("W", "100079", {text}) == modal::Ok;
    return true;
}

void TfrmDouble::restoreAfterRefusedSave() {
    if (btnOK) btnOK->SetEnabled(true);
    if (miOK) miOK->SetEnabled(true);
    TdmDouble* dm = DoubleModule();
    if (dm && dm->cdsMain->State() == plat::dsBrowse && !dm->cdsMain->IsEmpty())
        dm->cdsMain->Edit();
}

void TfrmDouble::ApplyHeadFieldsToBody() {
    TdmDouble* dm = DoubleModule();
    if (!dm || dm->HeadToBodyFields.empty() || !dm->cdsBody1->Active()) return;
    plat::TClientDataSet* body = dm->cdsBody1;
    std::vector<std::pair<plat::TField*, plat::TField*>> pairs;
    for (int i = 1; i <= FieldCount(dm->HeadToBodyFields, ","); ++i) {
        const std::string pair = TokenAt(dm->HeadToBodyFields, ",", i);
        const size_t arrow = pair.find("->");
        if (arrow == std::string::npos) continue;
        plat::TField* from = dm->cdsMain->FindField(plat::Trim(pair.substr(0, arrow)));
        plat::TField* to = body->FindField(plat::Trim(pair.substr(arrow + 2)));
        if (from && to) pairs.emplace_back(from, to);
    }
    if (pairs.empty() || body->IsEmpty()) return;
    TRowWalk walk(body, TRowWalk::Events::DataSetAndSource, dm->dsBody1);
    for (body->First(); !body->Eof(); body->Next()) {
        bool changed = false;
        for (auto& [from, to] : pairs) {
            if (to->AsString() == from->AsString()) continue;
            if (body->State() == plat::dsBrowse) body->Edit();
            SetFieldText(to, from->AsString());
            changed = true;
        }
        if (changed) body->Post();
    }
}

std::string TfrmDouble::quotedKeyTerm(plat::TField* field, const std::string& table,
                                      const std::string& value) {
    using plat::TFieldType;
    const std::string name = table.empty() ? field->FieldName() : table + "." + field->FieldName();
    switch (field->DataType()) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftFloat:
        case TFieldType::ftBytes:
            return name + "=" + value;
        default:
            return name + "=" + plat::QuotedStr(value);
    }
}

std::string TfrmDouble::HeadKeyCondition(const std::string& number) {
    TdmDouble* dm = DoubleModule();
    if (!dm) return {};
    const std::string table = plat::Trim(Brokers() ? Brokers()->HostParam("M11_TABLE") : "");
    std::string where;
    for (int i = 1; i <= FieldCount(dm->KeyFields, ","); ++i) {
        plat::TField* field = dm->cdsMain->FindField(plat::Trim(TokenAt(dm->KeyFields, ",", i)));
        if (!field) continue;
        const bool isNumber =
            !number.empty() && plat::SameText(field->FieldName(), dm->DocumentNumberField);
        where += quotedKeyTerm(field, table, isNumber ? number : field->AsString()) + " and ";
    }
    if (where.size() >= 5) where.resize(where.size() - 5);
    return where;
}

void TfrmDouble::ReopenSavedDocument() {
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    plat::TCursorGuard hourglass(plat::crHourGlass);
    OpenDataSet(dm->cdsMain, HeadKeyCondition(), "");
}

void TfrmDouble::ReopenQueryWithDocument(const std::string& queryWhere,
                                         const std::string& queryOrder, const std::string& number) {
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    plat::TClientDataSet* head = dm->cdsMain;
    const std::string key = HeadKeyCondition(number);
    std::string fields;
    std::vector<Variant> values;
    for (int i = 1; i <= FieldCount(dm->KeyFields, ","); ++i) {
        plat::TField* field = head->FindField(plat::Trim(TokenAt(dm->KeyFields, ",", i)));
        if (!field) continue;
        const bool isNumber =
            !number.empty() && plat::SameText(field->FieldName(), dm->DocumentNumberField);
        fields += (fields.empty() ? "" : ";") + field->FieldName();
        values.push_back(isNumber ? Variant(number) : field->Value());
    }
    plat::TCursorGuard hourglass(plat::crHourGlass);
    const std::string where = plat::Trim(queryWhere);
    if (where.empty() || plat::SameText(where, "All"))
        OpenDataSet(head, where, queryOrder);
    else
        OpenDataSet(head, "(" + where + ") or (" + key + ")", queryOrder);
    if (head->Active() && !fields.empty()) {
        const Variant wanted = values.size() == 1 ? values[0] : Variant::ArrayOf(values);
        // Beyond the record limit: the document alone, as it was saved.
        if (!LocateFetching(head, fields, wanted)) OpenDataSet(head, key, "");
    }
}

bool TfrmDouble::SaveDocument() {
    TdmDouble* dm = DoubleModule();
    if (!dm) return false;
    bool result = false;
    struct Unsaved {
        TfrmDouble* f;
        bool& r;
        ~Unsaved() { f->Unsaved = !r; }
    } markUnsaved{this, result};
    // A failed numbering leaves its text in the number field: no document is
    // saved under it.
    if (!CheckDocumentNumber()) return false;

    plat::TClientDataSet* head = dm->cdsMain;
    plat::TClientDataSet* body = dm->cdsBody1;
    if (body->State() == plat::dsEdit || body->State() == plat::dsInsert) body->Post();
    if (head->State() == plat::dsEdit || head->State() == plat::dsInsert) head->Post();
    if (dm->AutoNumber) {
        plat::TField* number = headField(dm->DocumentNumberField);
        NumberBeforeSave = number ? number->AsString() : std::string();
    }
    if (!checkBodyRecords()) {
        restoreAfterRefusedSave();
        return false;
    }
    dm->StoreKeyValues();
    if (!IsAfterClosingDate()) {
        if (Brokers()) Brokers()->ShowMessageCode("E", "000009");
        return false;
    }
    const TFormMode mode = FormMode();
    try {
        {
            TDataEventsDetached quiet(dm->dsMain);
            head->Edit();
            ApplyHeadFieldsToBody();
            if (mode == TFormMode::Add) dm->ReapplyHeadKeyToBody();
            head->Post();
        }
        if (dm->AppServer.IsDispatch())
            dm->AppServer.AsDispatch()->Call("SetIsSeq", Variant(dm->AutoNumber));
        if (btnOK) btnOK->SetEnabled(false);
        if (miOK) miOK->SetEnabled(false);
        dm->DocumentStatusField = confirmField_;
        const std::string storedCondition = HeadKeyCondition();
        result = dm->ApplyData(head);
        if (result) {
            head->CancelUpdates();
            gdBody1->SetKeyOptions(gdBody1->KeyOptions() - plat::TDataGridKeyOption::dgAllowInsert -
                                   plat::TDataGridKeyOption::dgAllowDelete);
            AfterSaveApplied();
            bool numberChanged = false;
            if (mode == TFormMode::Add) {
                ServerNumber.clear();
                if (dm->AppServer.IsDispatch())
                    ServerNumber = plat::VarToStr(
                        dm->AppServer.AsDispatch()->Call("WhatIs", Variant("SEQNO")));
                numberChanged =
                    dm->AutoNumber && !ServerNumber.empty() && ServerNumber != NumberBeforeSave;
                if (numberChanged && Brokers()) {
                    plat::TField* number = headField(dm->DocumentNumberField);
                    Brokers()->ShowMessageCode(
                        "I", "000006",
                        {number ? number->DisplayLabel() : dm->DocumentNumberField, ServerNumber});
                }
                // Sign-off of a confirm is asked by the sign-off part; without it
                // the document is confirmed at once when the form says so. The
                // document is stored: a confirm its checks stop leaves it saved.
                if (AutoConfirmAfterAdd == 1 && ConfirmAllowed) {
                    try {
                        ChangeDocStatus(3, false);
                    } catch (const plat::EAbort&) {
                    }
                }
                if (PrintAfterSave == 1) {
                    DirectPrint = false;
                    PrintDocument();
                }
            }
            if (CloseAfterSave) {
                SetFormMode(0);
                Close();
            } else if (KeepOnAdd) {
                NewDocument = true;
                if (mode == TFormMode::Add)
                    AddRecord(false);
                else
                    SetFormMode(0);
            } else {
                NewDocument = mode == TFormMode::Add && AutoConfirmAfterAdd == 1 && ConfirmAllowed;
                SetFormMode(0);
                // The list the clerk queried before the add, with the new document
                // among its rows and shown.
                const bool renumbered = dm->AutoNumber && numberChanged;
                if (mode == TFormMode::Add)
                    ReopenQueryWithDocument(ListWhere, ListOrder,
                                            renumbered ? ServerNumber : std::string());
            }
            ApplyRights();
        } else if (dm->SaveConflicted && mode == TFormMode::Edit && Brokers() &&
                   Brokers()->ShowMessageCode("Q", "S00012", {Variant(dm->DocumentKeyText())}) ==
                       modal::Ok) {
            // The clerk chose the stored document over what was typed.
            head->CancelUpdates();
            SetFormMode(0);
            OpenDataSet(head, storedCondition, "");
        } else if (KeepEditOnDecline() || dm->SaveConflicted) {
            // The typed values stay for the clerk to save again or reread.
            if (btnOK) btnOK->SetEnabled(true);
            if (miOK) miOK->SetEnabled(true);
            head->Edit();
        } else {
            if (Brokers()) Brokers()->ShowMessageCode("E", "000008");
            // The lines stay as typed: the refused document is edited again.
            if (btnOK) btnOK->SetEnabled(true);
            if (miOK) miOK->SetEnabled(true);
            head->Edit();
        }
    } catch (const plat::EAbort&) {
        restoreAfterRefusedSave();
        throw;
    } catch (const std::exception& e) {
        WriteAlertLog("Radical", std::string("DoubleCF-876 :") + e.what(), "D");
        // Nothing was stored: the document stays as typed, to be saved again.
        restoreAfterRefusedSave();
        throw;
    }
    return result;
}

// ---- refresh, open ----

void TfrmDouble::RefreshData() {
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    if (!NewDocument) {
        OpenDataSet(dm->cdsMain, HeadKeyCondition(), "");
        NewDocument = true;
        return;
    }
    const std::string table = plat::Trim(Brokers() ? Brokers()->HostParam("M11_TABLE") : "");
    const bool other = SqlType == 1;
    std::vector<plat::TField*> keys;
    for (int i = 1; i <= FieldCount(dm->KeyFields, ","); ++i)
        if (plat::TField* f = dm->cdsMain->FindField(plat::Trim(TokenAt(dm->KeyFields, ",", i))))
            keys.push_back(f);
    auto numeric = [](plat::TField* f) {
        using plat::TFieldType;
        switch (f->DataType()) {
            case TFieldType::ftSmallint:
            case TFieldType::ftInteger:
            case TFieldType::ftWord:
            case TFieldType::ftFloat:
                return true;
            default:
                return false;
        }
    };
    int lastNumeric = -1;
    bool allText = !keys.empty();
    for (int i = 0; i < (int)keys.size(); ++i) {
        if (numeric(keys[i])) {
            lastNumeric = i;
            allText = false;
        }
    }
    std::string where, combined, padded;
    for (int i = 0; i < (int)keys.size(); ++i) {
        plat::TField* f = keys[i];
        const std::string name = table.empty() ? f->FieldName() : table + "." + f->FieldName();
        const bool last = i + 1 == (int)keys.size();
        if (numeric(f)) {
            where += name + (i == lastNumeric ? ">=" : "=") + f->AsString() + " and ";
            continue;
        }
        const int width = std::max(0, f->Size());
        padded += PadRight(f->AsString(), width, ' ');
        const std::string expr =
            other ? "RPAD(" + name + "," + std::to_string(width) + ",' ')" : name;
        combined += (combined.empty() ? "" : (other ? "||" : "+")) + expr;
        where += name + (last ? ">=" : "=") + plat::QuotedStr(f->AsString()) + " and ";
    }
    if (allText) where += combined + ">=" + plat::QuotedStr(padded) + " and ";
    std::string condition, order;
    if (QueryBox()) QueryBox()->GetCondition(condition, order);
    if (!condition.empty())
        where += condition;
    else if (where.size() >= 5)
        where.resize(where.size() - 5);
    std::string adjusted;
    AdjustQueryCondition(where, adjusted);
    OpenDataSet(dm->cdsMain, adjusted, QueryBox() ? QueryBox()->GetOrderText() : "");
}

void TfrmDouble::OpenDataSet(plat::TClientDataSet* dataSet, const std::string& where,
                             const std::string& orderBy) {
    TfrmSingle::OpenDataSet(dataSet, where, orderBy);
    TdmDouble* dm = DoubleModule();
    if (!dm || dataSet != dm->cdsMain || !dataSet->Active()) return;
    plat::TClientDataSet* body = dm->cdsBody1;
    if (!body->Active()) body->Open();
    if (body->IndexFieldNames().empty() && body->IndexName().empty()) {
        // The body's own key fields: those after the head's.
        const int headKeys = FieldCount(dm->KeyFields, ",");
        std::string fields;
        for (int i = headKeys + 1; i <= FieldCount(dm->BodyKeyFields, ","); ++i)
            fields += (fields.empty() ? "" : ";") +
                      TokenAt(plat::Trim(TokenAt(dm->BodyKeyFields, ",", i)), " ", 1);
        if (!fields.empty()) {
            body->SetIndexFieldNames(fields);
            if (dm->BodyClone && dm->BodyClone->Active()) dm->BodyClone->SetIndexFieldNames(fields);
        }
    }
    dm->SavedBodyOrder = "IndexFieldNames=" + body->IndexFieldNames();
}

bool TfrmDouble::ValidateRequiredFields(plat::TDataSet* dataSet) {
    TdmDouble* dm = DoubleModule();
    if (dm && dataSet == dm->cdsBody1) {
        focusBodyGrid();
        const std::string last =
            plat::Trim(TokenAt(dm->BodyKeyFields, ",", FieldCount(dm->BodyKeyFields, ",")));
        const std::string lineField = TokenAt(last, " ", 1);
        if (!lineField.empty() && !CheckRequiredFields(dataSet, "cdsBody1:" + lineField))
            return false;
    }
    return TfrmSingle::ValidateRequiredFields(dataSet);
}

// ---- buttons ----

void TfrmDouble::UpdateButtons() {
    TfrmSingle::UpdateButtons();
    if (HasFinalStatus()) {
        for (plat::TToolButton* b : {btnEdit, btnDelete})
            if (b) b->SetEnabled(false);
        for (plat::TMenuItem* m : {miEdit, miDelete})
            if (m) m->SetEnabled(false);
    }
    // This form offers no copy: the item stays out of the flow menu.
    mnuCopy->SetVisible(false);
    mnuCopy->SetEnabled(btnFirst ? btnFirst->Enabled() : true);
    UpdateStatusButtons();
    if (btnAttach) {
        const bool lastEnabled = btnLast ? btnLast->Enabled() : false;
        btnAttach->SetEnabled(AttachmentsEnabled && (lastEnabled || FormMode() == TFormMode::Edit));
        setAttachImage();
    }
    const bool toExcel = miTable2Excel ? miTable2Excel->Enabled() : false;
    miBodyToExcel->SetEnabled(toExcel);
    miBodyToExcel2->SetEnabled(toExcel);
    UpdateSignOffButtons();
}

// ---- printing ----

bool TfrmDouble::BuildDocumentKeyArray(Variant& a, Variant& b) {
    TBrokers* brokers = Brokers();
    a = plat::VarArrayOf({brokers ? brokers->UserID : "", brokers ? brokers->CompanyID : "",
                          ReportProgram, (int64_t)Handle()});
    std::vector<std::string> keys = headKeyTexts(true);
    Variant values = Variant::CreateArray({0, (int)keys.size() - 1});
    for (int i = 0; i < (int)keys.size(); ++i) values[i] = keys[i];
    b = plat::VarArrayOf({false, values});
    return true;
}

std::vector<std::string> TfrmDouble::headKeyTexts(bool useServerNumber) {
    std::vector<std::string> keys;
    TdmDouble* dm = DoubleModule();
    if (!dm) return keys;
    for (int i = 1; i <= FieldCount(dm->KeyFields, ","); ++i) {
        plat::TField* f = dm->cdsMain->FindField(plat::Trim(TokenAt(dm->KeyFields, ",", i)));
        keys.push_back(f ? f->AsString() : std::string());
    }
    if (useServerNumber && !keys.empty() && FormMode() == TFormMode::Add && dm->AutoNumber &&
        !ServerNumber.empty())
        keys.back() = ServerNumber;
    return keys;
}

bool TfrmDouble::PrintDocument() {
    TfrmSingle::PrintDocument();
    Variant a, b;
    BuildDocumentKeyArray(a, b);
    if (DirectPrint && b.IsArray() && b.ArrayCount() > 0) b[b.LowBound()] = true;
    if (!Brokers()) return false;
    // The host's print run of kind 6 takes [direct, keys].
    Variant output;
    return Brokers()->ExecWork(a, plat::VarArrayOf({6, 0, b}), output).AsBoolean();
}

}  // namespace ktrb
