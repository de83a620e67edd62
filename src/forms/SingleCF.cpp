#include "forms/SingleCF.h"

#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "controls/WindowDesign.h"
#include "dataframe/knlRadical.h"
#include "forms/ShowStatusCF.h"
#include "platform/component/properties.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/buttons.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/graphics.h"
#include "platform/ui/imglist.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "query/ColorComponents.h"
#include "query/QvColorQBE.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"
#include "runtime/Reply.h"
#include "runtime/libUDF.h"

namespace ktrb {

namespace {

// The grid's selection column and the browse page's place.
constexpr int kPageBitsCount = 15;

// The form's own tool-bar pictures, appended to the base form's list:
// calculator, colour filter, save, cancel.
void penBrush(plat::TCanvas& c, plat::TColor pen, plat::TColor brush) {
    c.Pen.Color = pen;
    c.Pen.Width = 1;
    c.Brush.Color = brush;
}
void drawCalculator(plat::TCanvas& c) {
    penBrush(c, plat::clBlack, plat::clSilver);
    c.Rectangle(3, 1, 15, 17);
    penBrush(c, plat::clGreen, plat::clWhite);
    c.Rectangle(5, 3, 13, 7);
    penBrush(c, plat::clBlack, plat::clBlack);
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            c.Rectangle(5 + col * 3, 9 + row * 2, 7 + col * 3, 10 + row * 2);
}
void drawColorFilter(plat::TCanvas& c) {
    penBrush(c, plat::clRed, plat::clRed);
    c.Rectangle(2, 2, 8, 8);
    penBrush(c, plat::clGreen, plat::clLime);
    c.Rectangle(10, 2, 16, 8);
    penBrush(c, plat::clNavy, plat::clBlue);
    c.Polygon({{2, 10}, {16, 10}, {11, 13}, {11, 17}, {7, 17}, {7, 13}});
}
void drawSave(plat::TCanvas& c) {
    penBrush(c, plat::clNavy, plat::clNavy);
    c.Rectangle(2, 2, 16, 16);
    penBrush(c, plat::clWhite, plat::clWhite);
    c.Rectangle(5, 3, 13, 8);
    penBrush(c, plat::clSilver, plat::clSilver);
    c.Rectangle(6, 11, 12, 16);
}
void drawCancel(plat::TCanvas& c) {
    c.Pen.Color = plat::clMaroon;
    c.Pen.Width = 2;
    c.Brush.Color = plat::clFuchsia;
    c.Ellipse(2, 2, 16, 16);
    c.MoveTo(5, 13);
    c.LineTo(13, 5);
}
using GlyphPainter = void (*)(plat::TCanvas&);
const GlyphPainter kOwnGlyphs[] = {drawCalculator, drawColorFilter, drawSave, drawCancel};

using namespace design;
using F = TfrmSingle;

// The head: the detail page, the user-defined page and the browse grid.
const Control kHead[] = {
    {"pnlHead", Field<&F::pnlHead>, "", {}, "", plat::TAlign::alTop},
    {"pgHead", Field<&F::pgHead>, "", {}, nullptr, plat::TAlign::alClient},
    {"tbsHead1", Field<&F::tbsHead1>, "pgHead", {}, "详细字段"},
    {"tbsUDF", Field<&F::tbsUDF>, "pgHead", {}, "自定义信息"},
    {"tbsBrowse", Field<&F::tbsBrowse>, "pgHead", {}, "信息浏览"},
    {"gdHead", Field<&F::gdHead>, "tbsBrowse", {}, nullptr, plat::TAlign::alClient},
};

const Handler kHeadEvents[] = {
    {"pgHead", "OnChange", On<&F::pgHeadChange>},
    {"pgHead", "OnChanging", On<&F::pgHeadChanging>},
    {"gdHead", "OnDblClick", On<&F::gdHeadDblClick>},
    {"gdHead", "OnTitleButtonClick", On<&F::gdHeadTitleButtonClick>},
    {"gdHead", "OnKeyDown", On<&F::gdHeadKeyDown>},
    {"gdHead", "OnKeyUp", On<&F::gdHeadKeyUp>},
    {"gdHead", "OnColEnter", On<&F::gdHeadColEnter>},
    {"gdHead", "OnMouseMove", On<&F::gdHeadMouseMove>},
    {"gdHead", "OnMouseDown", On<&F::gdHeadMouseDown>},
    {"gdHead", "OnCalcCellColors", On<&F::gdHeadCalcCellColors>},
    {"gdHead", "OnCalcTitleAttributes", On<&F::gdHeadCalcTitleAttributes>},
    {"gdHead", "OnCalcTitleImage", On<&F::gdHeadCalcTitleImage>},
};

// The save and cancel buttons after the base tool bar's.
const Item kToolButtons[] = {
    {"btnOK", Field<&F::btnOK>, "ToolBar1", "保存", -1, On<&F::miOKClick>},
    {"btnCancel", Field<&F::btnCancel>, "ToolBar1", "取消", -1, On<&F::miCancelClick>},
};

// The pop-up menus, the form's items of the main menu and the pop-ups' items.
const Item kMenus[] = {
    {"popPrint", Field<&F::popPrint>},
    {"mnCondition", Field<&F::mnCondition>},
    {"pmColorCondition", Field<&F::pmColorCondition>},
    {"pmMultiSelect", Field<&F::pmMultiSelect>},
    {"pmLookup", Field<&F::pmLookup>},
    {"miOK", Field<&F::miOK>, "MenuItem1", "确定", -1, On<&F::miOKClick>, "F12"},
    {"miCancel", Field<&F::miCancel>, "MenuItem1", "取消", -1, On<&F::miCancelClick>},
    {"miPreview", Field<&F::miPreview>, "MenuItem1", "预览(&B)", -1, On<&F::miPreviewClick>},
    {"miPrint", Field<&F::miPrint>, "MenuItem1", "打印(&T)", -1, On<&F::miPrintClick>},
    {"miVoucherFormats", Field<&F::miVoucherFormats>, "MenuItem1", "凭证格式"},
    {"miExport", Field<&F::miExport>, "MainMenu", "汇出(&E)"},
    {"miTable2Excel", Field<&F::miTable2Excel>, "miExport", "资料转Excel(含格式)", -1,
     On<&F::miTable2ExcelClick>, "Ctrl+F1"},
    {"miTable2Excel2", Field<&F::miTable2Excel2>, "miExport", "资料转Excel(不含格式)", -1,
     On<&F::miTable2Excel2Click>, "Ctrl+F2"},
    {"P1", Field<&F::P1>, "MainMenu", "整批处理(&P)", -1, On<&F::P1Click>},
    {"miBBPrint", Field<&F::miBBPrint>, "P1", "整批打印", -1, On<&F::miBBPrintClick>},
    {"miBBSelectAll", Field<&F::miBBSelectAll>, "P1", "全选", -1, On<&F::miBBSelectAllClick>},
    {"miBBUnSelectAll", Field<&F::miBBUnSelectAll>, "P1", "全不选", -1,
     On<&F::miBBUnSelectAllClick>},
    {"miTools", Field<&F::miTools>, "MainMenu", "工具(&T)"},
    {"miCacl", Field<&F::miCacl>, "miTools", "计算器", -1, On<&F::miCaclClick>},
    {"miOptions", Field<&F::miOptions>, "miTools", "选项(&O)", -1, On<&F::miOptionsClick>},
    {"miDirectPrint", Field<&F::miDirectPrint>, "popPrint", "直接打印", -1, On<&F::miPrintClick>},
    {"miPriewPrint", Field<&F::miPriewPrint>, "popPrint", "打印预览", -1, On<&F::miPreviewClick>},
    {"", Make<plat::TMenuItem>, "popPrint", "-"},
    {"miVoucherFormatsPrint", Field<&F::miVoucherFormatsPrint>, "popPrint", "凭证格式"},
    {"miSelectAll", Field<&F::miSelectAll>, "pmMultiSelect", "全选", -1,
     On<&F::miBBSelectAllClick>},
    {"miUnSelectAll", Field<&F::miUnSelectAll>, "pmMultiSelect", "全不选", -1,
     On<&F::miBBUnSelectAllClick>},
    {"miOpenDravoc", Field<&F::miOpenDravoc>, "pmLookup", "F2 查询窗口"},
    {"miOpenF3Window", Field<&F::miOpenF3Window>, "pmLookup", "F3 查询窗口"},
    {"miOpenF4Window", Field<&F::miOpenF4Window>, "pmLookup", "F4 查询窗口"},
};

const Handler kMenuEvents[] = {
    {"btnPrint", "OnClick", On<&F::miPrintClick>},
    {"MenuItem1", "OnClick", On<&F::MenuItem1Click>},
    {"popPrint", "OnPopup", On<&F::popPrintPopup>},
};

}  // namespace

TfrmSingle::TfrmSingle(plat::TComponent* owner) : TfrmBase(owner) {
    using namespace plat;
    SetName("frmSingle");
    AttachmentKeys.SetSorted(true);

    Build(this, kHead);
    pnlHead->SetHeight(0);
    pnlHead->SetBevelOuter(TBevelCut::bvNone);
    gdHead->SetReadOnly(true);
    gdHead->SetTitleButtons(true);
    gdHead->SetOptions(gdHead->Options() + TDataGridOption::dgMultiSelect);
    Connect(this, kHeadEvents);

    const int firstImage = ImageList1->Count();
    for (GlyphPainter paint : kOwnGlyphs) {
        TBitmap bmp(ImageList1->Width(), ImageList1->Height());
        TCanvas& c = *bmp.Canvas();
        c.Brush.Color = clFuchsia;
        c.FillRect({0, 0, bmp.Width(), bmp.Height()});
        paint(c);
        ImageList1->AddMasked(bmp, clFuchsia);
    }
    ownFirstImage_ = firstImage;
    Build(this, kToolButtons);
    btnOK->SetImageIndex(firstImage + 2);
    btnCancel->SetImageIndex(firstImage + 3);
    const int end = ToolButton12->Left() + ToolButton12->Width();
    btnOK->SetLeft(end);
    btnCancel->SetLeft(end + btnOK->Width());

    // The form's menus go before the base form's exit menu.
    MainMenu->Items()->Remove(MenuItem3);
    Build(this, kMenus);
    MainMenu->Items()->Add(MenuItem3);
    pmColorCondition->OwnerDraw = true;
    miPrior->SetShortCut(ShortCut('P', {ssCtrl}));
    miNext->SetShortCut(ShortCut('N', {ssCtrl}));
    for (TMenuItem* lookup : {miOpenDravoc, miOpenF3Window, miOpenF4Window}) lookup->Tag = 4000;
    Connect(this, kMenuEvents);
}

TfrmSingle::~TfrmSingle() = default;

TdmSingle* TfrmSingle::SingleModule() const {
    return dynamic_cast<TdmSingle*>(DataModule);
}

// ---- start-up -----------------------------------------------------------------

void TfrmSingle::FormCreate(plat::TObject* sender) {
    using namespace plat;
    PageLastControls.Clear();
    AttachmentKeys.Clear();
    if (ToolBar1) {
        // The colour-condition and calculator buttons follow the base tool
        // bar's separator.
        const int firstImage = ownFirstImage_;
        // A button goes in front of the first one at or right of its place:
        // both follow the separator, the colour button first.
        const int left = ToolButton6 ? ToolButton6->Left() + 1 : 0;
        btnCalc = new TToolButton(this);
        btnCalc->SetName("btnCalc");
        btnCalc->SetImageIndex(firstImage);
        btnCalc->SetParent(ToolBar1);
        btnCalc->SetLeft(left);
        btnCalc->OnClick = TNotifyEvent(this, &TfrmSingle::btnCalcClick);
        btnColorQuery = new TToolButton(this);
        btnColorQuery->SetName("btnColorQuery");
        btnColorQuery->SetStyle(TToolButtonStyle::tbsDropDown);
        btnColorQuery->SetDropdownMenu(pmColorCondition);
        btnColorQuery->SetImageIndex(firstImage + 1);
        btnColorQuery->SetParent(ToolBar1);
        btnColorQuery->SetLeft(left);
        btnColorQuery->OnClick = TNotifyEvent(this, &TfrmSingle::btnColorQueryClick);
        // Shown once colour management finds its rules (FormShow).
        btnColorQuery->SetVisible(false);
        PackToolButtons(ToolBar1);
    }
    TfrmBase::FormCreate(sender);
    creating_ = false;
}

void TfrmSingle::InitFormSettings() {
    TfrmBase::InitFormSettings();
    AttachmentsEnabled = false;
    gdHead->SetOptions(gdHead->Options() - plat::TDataGridOption::dgMultiSelect);
}

void TfrmSingle::InitializeAfterConnect() {
    TfrmBase::InitializeAfterConnect();
    pgHead->SetActivePageIndex(0);
    plat::TComponent* last = nullptr;
    CollectPageLastControls(pgHead, PageLastControls, last);
    LastControl = last ? last->Name() : std::string();
    if (!DataModule) return;
    if (TdmSingle* dm = SingleModule()) gdHead->SetDataSource(dm->dsMain);
    LoadFieldRuleCollection("Z01", "Y");
    SetupUDFControls();
}

void TfrmSingle::LoadRequiredControls() {
    TfrmBase::LoadRequiredControls();
    ApplyGridColumns(gdHead);
}

void TfrmSingle::ApplyControlSettings() {
    TfrmBase::ApplyControlSettings();
    TdmSingle* dm = SingleModule();
    if (!dm) return;
    RequireComboFields();
    if (!queryBox_) {
        queryBox_ = CreateQueryDialog();
        prepareQueryDialog();
    }
    tbsUDF->SetTabVisible(false);
    dm->ApplyDefaultCurrencyFormats();
    ColorManage = ReadUserSettingFlag("InputSettings003", "IsColorManage", false);
    FastInputEnabled = ReadUserSettingFlag("InputSettings004", "FastInputEnabled", true);
}

void TfrmSingle::PrepareOnShow() {
    TfrmBase::PrepareOnShow();
    TdmSingle* dm = SingleModule();
    const uint8_t mode = OpenMode();
    if (dm && !StartCondition().empty() && mode != (uint8_t)TOpenMode::ImportXml) {
        OpenDataSet(dm->cdsMain, StartCondition(), "");
        InitialOpenDone = true;
    }
    if (queryBox_) prepareQueryDialog();
    SetupQueryDialog();
    std::string start = StartCondition();
    SetStartCondition("");
    switch ((TOpenMode)mode) {
        case TOpenMode::Add:
            AddRecord(true);
            break;
        case TOpenMode::Edit:
            EditRecord();
            break;
        case TOpenMode::Print:
            PreviewPrint = false;
            PrintDocument();
            break;
        case TOpenMode::AddWithKeys:
            AddRecordWithKeys(HostKeys());
            break;
        case TOpenMode::EditByKeys:
            EditRecordByKeys(HostKeys());
            break;
        default:
            break;
    }
    if (mode != (uint8_t)TOpenMode::NoUdfHints) SetUDFHints();
    if (mode == (uint8_t)TOpenMode::ImportXml) ImportDocumentXml(start);
}

void TfrmSingle::FormShow(plat::TObject* sender) {
    BuildLinkFields();
    if (ColorManage && DataModule) setupColorManagement();
    TfrmBase::FormShow(sender);
    RebuildConditionMenu();
    if (ImportDone) Close();
}

// ---- modes and record operations ----------------------------------------------

bool TfrmSingle::AddRecord(bool flag) {
    TdmSingle* dm = SingleModule();
    if (!dm) return false;
    if (flag) dm->ClearKeepValues();
    pgHead->SetActivePageIndex(0);
    bool result = TfrmBase::AddRecord(flag);
    focusIfPossible(FirstAddControl);
    return result;
}

bool TfrmSingle::EditRecord() {
    if (!SingleModule()) return false;
    if (FocusPageOne || pgHead->ActivePage() == tbsBrowse) pgHead->SetActivePageIndex(0);
    if (ColorManage && headColors_) headColors_->RestoreColors();
    bool result = TfrmBase::EditRecord();
    focusIfPossible(FirstEditControl);
    return result;
}

void TfrmSingle::AddRecordWithKeys(const plat::Variant& keys) {
    ExternalStart = true;
    if (TdmSingle* dm = SingleModule()) dm->HostKeys = keys;
    AddRecord(true);
}

void TfrmSingle::EditRecordByKeys(const plat::Variant& keys) {
    ExternalStart = true;
    if (TdmSingle* dm = SingleModule()) dm->HostKeys = keys;
    EditRecord();
}

bool TfrmSingle::SaveDocument() {
    TdmSingle* dm = SingleModule();
    if (!dm) return false;
    bool result = false;
    struct SaveFlag {
        TfrmSingle* form;
        bool& result;
        ~SaveFlag() { form->SaveFailed = !result; }
    } flag{this, result};
    plat::TClientDataSet* main = dm->cdsMain;
    // A failed numbering leaves its text in the number field: no document is
    // saved under it.
    if (!CheckDocumentNumber()) return false;
    if (main->State() == plat::dsEdit || main->State() == plat::dsInsert) main->Post();
    if (FormMode() == TFormMode::Add) dm->ReapplyHeadKeyToBody();
    if (dm->ApplyData(main)) {
        if (ExternalStart) {
            SetFormMode(0);
            Close();
        } else if (KeepOnAdd && FormMode() == TFormMode::Add) {
            AddRecord(false);
        } else {
            SetFormMode(0);
        }
        result = true;
    } else {
        Brokers()->ShowMessageCode("E", "000008");
        if (main->Active() && main->State() != plat::dsEdit && main->State() != plat::dsInsert)
            main->Edit();
    }
    return result;
}

bool TfrmSingle::CancelEdit(bool ask) {
    bool result = TfrmBase::CancelEdit(ask);
    if (result) MainWhere = "1=1";
    if (TdmSingle* dm = SingleModule()) dm->ApplyRecordColors();
    return result;
}

std::string TfrmSingle::RecordKeyText(bool useServerNumber) {
    TdmSingle* dm = SingleModule();
    if (!dm) return {};
    std::vector<std::string> keys = splitList(dm->KeyFields, ",");
    std::string number =
        dm->DocumentNumberField.empty() ? dm->AutoNumberField : dm->DocumentNumberField;
    std::string text;
    for (size_t i = 0; i < keys.size(); ++i) {
        std::string name = plat::Trim(keys[i]);
        std::string value;
        if (useServerNumber && FormMode() == TFormMode::Add && dm->AutoNumber &&
            plat::SameText(name, number))
            value = ServerNumber;
        else if (plat::TField* f = dm->cdsMain->FindField(name))
            value = f->AsString();
        if (i) text += "||";
        text += value;
    }
    return text;
}

bool TfrmSingle::DeleteRecord(bool ask) {
    TdmSingle* dm = SingleModule();
    std::string key = RecordKeyText(true);
    bool result = TfrmBase::DeleteRecord(ask);
    if (!result || !dm) return result;
    // The record is gone and saved: only now its attachments go.
    LastAttachmentKey.clear();
    TBrokers* b = Brokers();
    try {
        std::string sql = " DELETE FROM ATTACH  WHERE Parent = '" + escapeQuotes(b->ProgramCode) +
                          "' " + "       AND CompanyID = '" + escapeQuotes(b->CompanyID) + "' " +
                          "       AND KeyValues = '" + escapeQuotes(key) + "' ";
        b->CallServerMethod("TransactionSQL",
                            plat::VarArrayOf({plat::VarArrayOf({sql}), plat::Variant("")}));
    } catch (const std::exception&) {
        // The record is deleted; stale attachment rows only waste room.
    }
    int index = AttachmentKeys.IndexOf(key);
    if (index >= 0) AttachmentKeys.Delete(index);
    ApplyRecordRights(dm->cdsMain);
    return result;
}

bool TfrmSingle::ValidateRequiredFields(plat::TDataSet* dataSet) {
    TdmSingle* dm = SingleModule();
    if (dm && dataSet == dm->cdsMain &&
        (dataSet->State() == plat::dsEdit || dataSet->State() == plat::dsInsert) &&
        !dm->KeyFields.empty()) {
        if (!CheckRequiredFields(dataSet, dataSet->Name() + ":" + dm->KeyFields)) return false;
    }
    return TfrmBase::ValidateRequiredFields(dataSet);
}

void TfrmSingle::ShowStateText(uint8_t state) {
    const bool editing = state != plat::dsBrowse;
    const int last = pgHead->PageCount() - 1;
    auto enableButtonsOn = [editing](plat::TWinControl* parent) {
        for (int i = 0; i < parent->ControlCount(); ++i) {
            plat::TControl* c = parent->Controls(i);
            if (c->InheritsFrom("TBitBtn") || c->InheritsFrom("TSpeedButton"))
                c->SetEnabled(editing);
        }
    };
    for (int p = 0; p < last; ++p) enableButtonsOn(pgHead->Pages(p));
    enableButtonsOn(pnlHead);
    if (TdmSingle* dm = SingleModule())
        EnableControlsByField(this, dm->KeyFields, ",", state != plat::dsEdit);
    for (int p = 0; p < last; ++p)
        pgHead->Pages(p)->SetEnabled(p < kPageBitsCount && HasRight(PageEditRight(p)) && editing);
    if (last >= 0) pgHead->Pages(last)->SetEnabled(!editing);
    pnlHead->SetEnabled(HasRight(PageEditRight(0)) && editing);
    TfrmBase::ShowStateText(state);
}

void TfrmSingle::UpdateButtons() {
    TfrmBase::UpdateButtons();
    TdmSingle* dm = SingleModule();
    const bool mode0 = FormMode() == TFormMode::Browse;
    const bool hasRows = dm && dm->cdsMain->Active() && !dm->cdsMain->IsEmpty();
    if (btnPrint) {
        btnPrint->SetEnabled(btnPrint->Enabled() && !Brokers()->ProgramCode.empty() && mode0 &&
                             hasRows && PrintAllowed && (ActionRights() & 0x10));
        for (plat::TMenuItem* m : {miPrint, miPreview, miVoucherFormats})
            m->SetEnabled(btnPrint->Enabled());
    }
    const bool editing = !mode0;
    if (btnOK) btnOK->SetEnabled(editing);
    if (btnCancel) btnCancel->SetEnabled(editing);
    miOK->SetEnabled(editing);
    miCancel->SetEnabled(editing);
    const bool browsing =
        hasRows && dm->cdsMain->State() != plat::dsEdit && dm->cdsMain->State() != plat::dsInsert;
    miTable2Excel->SetEnabled(browsing && PrintAllowed);
    miTable2Excel2->SetEnabled(miTable2Excel->Enabled());
    UpdateBatchMenu();
    tbsBrowse->SetTabVisible(mode0);
    if (btnColorQuery)
        btnColorQuery->SetEnabled(btnQuery && btnQuery->Enabled() && btnQuery->Visible());
}

// ---- pages and keys -----------------------------------------------------------

void TfrmSingle::pgHeadChanging(plat::TObject*, bool&) {
    previousPage_ = pgHead->ActivePageIndex();
}

void TfrmSingle::pgHeadChange(plat::TObject*) {
    const int p = pgHead->ActivePageIndex();
    if (FormMode() != TFormMode::Browse && pgHead->ActivePage() == tbsBrowse && FocusPageOne) {
        pgHead->SetActivePageIndex(previousPage_);
        return;
    }
    if (p >= 1 && p <= 14 && HasRight(PageHiddenRight(p)))
        pgHead->SetActivePageIndex(previousPage_);
}

void TfrmSingle::FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) {
    using namespace plat;
    TdmSingle* dm = SingleModule();
    if (dm) {
        const bool editing = dm->cdsMain->State() == dsEdit || dm->cdsMain->State() == dsInsert;
        const bool ctrl = shift.Contains(ssCtrl);
        const int browse = tbsBrowse->PageIndex();
        if ((ctrl && shift.Contains(ssShift) && key == VK_TAB) || (ctrl && key == VK_PRIOR)) {
            if (editing && pgHead->ActivePageIndex() == 0) {
                int p = browse - 1;
                while (p > 0 && !pgHead->Pages(p)->TabVisible()) --p;
                pgHead->SetActivePageIndex(std::max(p, 0));
            } else {
                pgHead->SelectNextPage(false);
            }
            key = 0;
        } else if (ctrl && (key == VK_TAB || key == VK_NEXT)) {
            if (editing && pgHead->ActivePageIndex() == browse - 1)
                pgHead->SetActivePageIndex(0);
            else
                pgHead->SelectNextPage(true);
            key = 0;
        } else if (ctrl && key == VK_END && !editing && gdHead && ActiveControl() == gdHead) {
            // The last record of the query, not of the rows fetched so far.
            miLastClick(gdHead);
            key = 0;
        } else if (key == VK_RETURN && pgHead->ActivePage() == tbsBrowse && ActiveControl() &&
                   ActiveControl()->InheritsFrom("TCustomGrid")) {
            pgHead->SetActivePageIndex(0);
            pgHeadChange(pgHead);
            key = 0;
        }
    }
    TfrmBase::FormKeyDown(sender, key, shift);
}

void TfrmSingle::FormKeyPress(plat::TObject* sender, char32_t& key) {
    TdmSingle* dm = SingleModule();
    plat::TWinControl* active = ActiveControl();
    if (!dm || !active) {
        TfrmBase::FormKeyPress(sender, key);
        return;
    }
    if (key == U'+' || key == U'*' || key == U'/') {
        if (isNumericField(boundField(active))) {
            key = 0;
            RunCalculator(active);
            return;
        }
    }
    if (key == 13 && !active->InheritsFrom("TCustomMemo") &&
        dm->cdsMain->State() != plat::dsBrowse) {
        key = 0;
        if (active->Name() == LastControl && !LastControl.empty()) {
            SaveDocument();
            return;
        }
        if (PageLastControls.IndexOf(active->Name()) >= 0) {
            pgHead->SelectNextPage(true);
            return;
        }
        for (plat::TWinControl* p = active->Parent(); p; p = p->Parent()) {
            if (!p->InheritsFrom("TCustomRadioGroup")) continue;
            if (PageLastControls.IndexOf(p->Name()) >= 0)
                pgHead->SelectNextPage(true);
            else
                SelectNext(active, true, true);
            return;
        }
        key = 13;
    }
    TfrmBase::FormKeyPress(sender, key);
}

void TfrmSingle::FormClose(plat::TObject* sender, ktrb::TCloseAction& action) {
    TfrmBase::FormClose(sender, action);
    action = TCloseAction::caFree;
    const uint8_t mode = OpenMode();
    SetResultCode(
        mode == (uint8_t)TOpenMode::AddWithKeys || mode == (uint8_t)TOpenMode::EditByKeys ? 1 : 2);
}

void TfrmSingle::FormResize(plat::TObject* sender) {
    TfrmRadical::FormResize(sender);
    ShareStatusRoom();
}

void TfrmSingle::FormDestroy(plat::TObject* sender) {
    TfrmRadical::FormDestroy(sender);
    headColors_.reset();
    PageLastControls.Clear();
    AttachmentKeys.Clear();
}

void TfrmSingle::gdHeadDblClick(plat::TObject*) {
    TdmSingle* dm = SingleModule();
    plat::TField* selected = gdHead->SelectedField();
    if (dm && selected && plat::SameText(selected->FieldName(), kMultiSelectedField)) {
        if (gdHead->MouseCoord(lastMouseX_, lastMouseY_).Y >= gdHead->TitleOffset())
            gdHead->ToggleRecordSelection();
        return;
    }
    pgHead->SetActivePageIndex(0);
}

void TfrmSingle::HighlightGridColumns() {
    TfrmBase::HighlightGridColumns();
    highlightRequired_.clear();
    highlightKeys_.clear();
    TdmSingle* dm = SingleModule();
    if (!dm) return;
    for (const std::string& entry : splitList(RequiredFields, ";")) {
        size_t colon = entry.find(':');
        if (colon == std::string::npos ||
            !plat::SameText(plat::Trim(entry.substr(0, colon)), "cdsMain"))
            continue;
        for (const std::string& f : splitList(entry.substr(colon + 1), ","))
            highlightRequired_.push_back(f);
    }
    highlightKeys_ = splitList(dm->KeyFields, ",");
    gdHead->Invalidate();
}

bool TfrmSingle::isListed(const std::vector<std::string>& names, const plat::TField* field) {
    if (!field) return false;
    for (const std::string& n : names)
        if (plat::SameText(n, field->FieldName())) return true;
    return false;
}

void TfrmSingle::gdHeadCalcTitleAttributes(plat::TObject*, plat::TField* field, plat::TFont*,
                                           plat::TBrush* brush, plat::TAlignment&) {
    if (brush && isListed(highlightKeys_, field)) brush->Color = plat::RGB(0, 200, 200);
}

void TfrmSingle::miOKClick(plat::TObject*) {
    SaveDocument();
}

void TfrmSingle::miCancelClick(plat::TObject*) {
    CancelEdit(true);
}

void TfrmSingle::focusIfPossible(plat::TWinControl* control) {
    // A form not on the screen has no focus to give.
    if (control && Visible() && control->CanFocus()) control->SetFocus();
}

std::vector<std::string> TfrmSingle::splitList(const std::string& text, const std::string& sep) {
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t at = text.find(sep, start);
        std::string item = plat::Trim(
            text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (!item.empty()) items.push_back(item);
        if (at == std::string::npos) break;
        start = at + sep.size();
    }
    return items;
}

std::vector<plat::Variant> TfrmSingle::replyRows(const plat::Variant& reply) {
    std::vector<plat::Variant> rows;
    if (!reply.IsArray() || reply.DimCount() != 1) return rows;
    for (int i = reply.LowBound(1); i <= reply.HighBound(1); ++i) rows.push_back(reply[i]);
    return rows;
}

std::string TfrmSingle::replyCell(const plat::Variant& row, int index) {
    if (!row.IsArray()) return index == 0 ? plat::VarToStr(row) : std::string();
    return ReplyText(row, index);
}

std::string TfrmSingle::escapeQuotes(const std::string& text) {
    return plat::StringReplace(text, "'", "''", plat::ReplaceFlags::All);
}

plat::TField* TfrmSingle::boundField(plat::TWinControl* control) {
    if (!control) return nullptr;
    if (auto* grid = dynamic_cast<plat::TCustomDataGrid*>(control)) return grid->SelectedField();
    plat::TObject* source = nullptr;
    try {
        source = plat::GetObjectProp(control, "DataSource");
    } catch (const std::exception&) {
        return nullptr;
    }
    auto* ds = dynamic_cast<plat::TDataSource*>(source);
    std::string name = ReadStrProperty(control, "DataField");
    if (!ds || !ds->DataSet() || name.empty()) return nullptr;
    return ds->DataSet()->FindField(name);
}

bool TfrmSingle::isNumericField(const plat::TField* field) {
    if (!field) return false;
    using plat::TFieldType;
    switch (field->DataType()) {
        case TFieldType::ftSmallint:
        case TFieldType::ftInteger:
        case TFieldType::ftWord:
        case TFieldType::ftFloat:
        case TFieldType::ftCurrency:
        case TFieldType::ftLargeint:
            return true;
        default:
            return false;
    }
}

// ---- ISingleModuleOwner -------------------------------------------------------

void TfrmSingle::ClearMainGridSelection() {
    gdHead->UnselectAll();
}

bool TfrmSingle::MainGridRecordSelected() const {
    return gdHead->IsSelectedRecord();
}

std::string TfrmSingle::ProgramIDFromModule() const {
    return const_cast<TfrmSingle*>(this)->GetProgramIDFromModule();
}

// Long exports show their progress in the progress window, which can stop them.
std::unique_ptr<IExportProgress> TfrmSingle::CreateProgressWindow() {
    return CreateShowStatusProgress(this);
}

plat::Variant TfrmSingle::GetKeyValueArray() {
    TdmSingle* dm = SingleModule();
    if (!dm) return {};
    std::vector<plat::Variant> values;
    for (const std::string& f : splitList(dm->KeyFields, ","))
        if (plat::TField* field = dm->cdsMain->FindField(plat::Trim(f)))
            values.push_back(field->Value());
    return plat::Variant::ArrayOf(std::move(values));
}

std::string TfrmSingle::DialogDateSeparator() const {
    return DataModule ? DataModule->DateSeparator : std::string("/");
}

int TfrmSingle::OptionsMoneyDigits() {
    TdmSingle* dm = SingleModule();
    if (!dm) return 2;
    int digits =
        dm->GetCurrencyDigits(Brokers()->GetSysParam("sys003"), TCurrencyDigitType::cdtMoney);
    return digits < 0 ? 2 : digits;
}

}  // namespace ktrb
