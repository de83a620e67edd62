#include "forms/BaseCF.h"

#include <algorithm>

#include "controls/QrvEdit.h"
#include "controls/QvLookUpCombo.h"
#include "controls/WindowDesign.h"
#include "dataframe/BaseCD.h"
#include "dataframe/SingleCD.h"
#include "dataframe/knlBase.h"
#include "forms/FormText.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/oleobject.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/data/field.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/graphics.h"
#include "platform/ui/imglist.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/messages.h"
#include "platform/ui/stdctrls.h"
#include "query/QvQBE.h"
#include "query/QvSearch.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/LibXml.h"
#include "runtime/MT_Doc.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::Variant;

namespace {

constexpr int kFrameTag = 2000;

// ---- the tool bar's glyphs (18 x 18, drawn here) ----

using GlyphPainter = void (*)(plat::TCanvas&);

void penBrush(plat::TCanvas& c, plat::TColor pen, plat::TColor brush) {
    c.Pen.Color = pen;
    c.Brush.Color = brush;
}

// Dark enough to survive the greying of a disabled button.
constexpr plat::TColor kPaperEdge = 0x505050;

void drawAdd(plat::TCanvas& c) {
    penBrush(c, kPaperEdge, plat::clWhite);
    c.Rectangle(2, 1, 13, 16);
    penBrush(c, plat::clGreen, plat::clGreen);
    c.Rectangle(11, 8, 14, 17);
    c.Rectangle(8, 11, 17, 14);
}
void drawQuery(plat::TCanvas& c) {
    penBrush(c, plat::clNavy, plat::clAqua);
    c.Ellipse(2, 2, 12, 12);
    c.Pen.Width = 3;
    c.MoveTo(11, 11);
    c.LineTo(16, 16);
}
void drawEdit(plat::TCanvas& c) {
    penBrush(c, plat::clMaroon, plat::clYellow);
    c.Polygon({{3, 15}, {4, 11}, {13, 2}, {16, 5}, {7, 14}});
}
void drawDelete(plat::TCanvas& c) {
    c.Pen.Color = plat::clRed;
    c.Pen.Width = 3;
    c.MoveTo(4, 4);
    c.LineTo(14, 14);
    c.MoveTo(14, 4);
    c.LineTo(4, 14);
}
void drawPrint(plat::TCanvas& c) {
    penBrush(c, kPaperEdge, plat::clWhite);
    c.Rectangle(5, 2, 13, 8);
    penBrush(c, plat::clBlack, plat::clSilver);
    c.Rectangle(2, 7, 16, 13);
    penBrush(c, kPaperEdge, plat::clWhite);
    c.Rectangle(5, 11, 13, 16);
}
void drawFirst(plat::TCanvas& c) {
    penBrush(c, plat::clNavy, plat::clNavy);
    c.Rectangle(3, 4, 5, 14);
    c.Polygon({{14, 4}, {14, 13}, {6, 9}});
}
void drawPrior(plat::TCanvas& c) {
    penBrush(c, plat::clNavy, plat::clNavy);
    c.Polygon({{12, 4}, {12, 13}, {5, 9}});
}
void drawNext(plat::TCanvas& c) {
    penBrush(c, plat::clNavy, plat::clNavy);
    c.Polygon({{6, 4}, {6, 13}, {13, 9}});
}
void drawLast(plat::TCanvas& c) {
    penBrush(c, plat::clNavy, plat::clNavy);
    c.Polygon({{4, 4}, {4, 13}, {12, 9}});
    c.Rectangle(13, 4, 15, 14);
}
void drawRefresh(plat::TCanvas& c) {
    c.Pen.Color = plat::clGreen;
    c.Pen.Width = 2;
    c.Brush.Style = plat::TBrushStyle::bsClear;
    c.Ellipse(3, 3, 15, 15);
    penBrush(c, plat::clGreen, plat::clGreen);
    c.Brush.Style = plat::TBrushStyle::bsSolid;
    c.Polygon({{12, 1}, {16, 5}, {11, 6}});
}

constexpr GlyphPainter kGlyphs[] = {drawAdd,   drawQuery, drawEdit, drawDelete, drawPrint,
                                    drawFirst, drawPrior, drawNext, drawLast,   drawRefresh};

void fillImageList(plat::TImageList* list) {
    for (GlyphPainter paint : kGlyphs) {
        plat::TBitmap bmp(18, 18);
        plat::TCanvas& c = *bmp.Canvas();
        c.Brush.Color = plat::clFuchsia;
        c.FillRect({0, 0, 18, 18});
        paint(c);
        list->AddMasked(bmp, plat::clFuchsia);
    }
}

// ---- the buttons' rule ----

enum class ButtonRule { Add, Query, Edit, Delete, Print, Navigate, Exit, ViewItem };

struct ButtonRow {
    const char* names[8];
    ButtonRule rule;
};

const ButtonRow kButtonRules[] = {
    {{"btnAdd", "miAdd"}, ButtonRule::Add},
    {{"btnQuery", "miQuery"}, ButtonRule::Query},
    {{"btnEdit", "miEdit"}, ButtonRule::Edit},
    {{"btnDelete", "miDelete"}, ButtonRule::Delete},
    {{"btnPrint"}, ButtonRule::Print},
    {{"btnFirst", "miFirst", "btnPrior", "miPrior", "btnNext", "miNext", "btnLast", "miLast"},
     ButtonRule::Navigate},
    {{"miExit"}, ButtonRule::Exit},
    {{"miViewItem"}, ButtonRule::ViewItem},
};

void setEnabled(plat::TComponent* c, bool on) {
    if (auto* item = dynamic_cast<plat::TMenuItem*>(c))
        item->SetEnabled(on);
    else if (auto* control = dynamic_cast<plat::TControl*>(c))
        control->SetEnabled(on);
    else if (HasProperty(c, "Enabled"))
        WriteOrdProperty(c, "Enabled", on ? 1 : 0);
}

plat::TCustomDataGrid* gridOf(plat::TWinControl* control) {
    if (!control) return nullptr;
    if (auto* grid = dynamic_cast<plat::TCustomDataGrid*>(control)) return grid;
    return dynamic_cast<plat::TCustomDataGrid*>(control->Parent());
}

// Restores a data module flag at scope end.
class FlagGuard {
  public:
    FlagGuard(bool& flag, bool value) : flag_(flag), old_(flag) { flag = value; }
    ~FlagGuard() { flag_ = old_; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

  private:
    bool& flag_;
    bool old_;
};

using namespace design;
using F = TfrmBase;

const Control kToolBar[] = {
    {"ToolBar1", Field<&F::ToolBar1>, "", {0, 0, 0, 29}, nullptr, plat::TAlign::alTop},
};

// The tool bar's buttons, each with its glyph of the image list.
const Item kToolButtons[] = {
    {"btnAdd", Field<&F::btnAdd>, "ToolBar1", "新增", 0, On<&F::miAddClick>},
    {"btnQuery", Field<&F::btnQuery>, "ToolBar1", "查询", 1, On<&F::miQueryClick>},
    {"btnEdit", Field<&F::btnEdit>, "ToolBar1", "更改", 2, On<&F::miEditClick>},
    {"btnDelete", Field<&F::btnDelete>, "ToolBar1", "删除", 3, On<&F::miDeleteClick>},
    {"btnPrint", Field<&F::btnPrint>, "ToolBar1", "打印", 4},
    {"ToolButton6", Field<&F::ToolButton6>, "ToolBar1", "-"},
    {"btnFirst", Field<&F::btnFirst>, "ToolBar1", "第一个", 5, On<&F::miFirstClick>},
    {"btnPrior", Field<&F::btnPrior>, "ToolBar1", "上一个", 6, On<&F::miPriorClick>},
    {"btnNext", Field<&F::btnNext>, "ToolBar1", "下一个", 7, On<&F::miNextClick>},
    {"btnLast", Field<&F::btnLast>, "ToolBar1", "最后一个", 8, On<&F::miLastClick>},
    {"btnReFresh", Field<&F::btnReFresh>, "ToolBar1", "重取", 9},
    {"ToolButton12", Field<&F::ToolButton12>, "ToolBar1", "-"},
};

const Control kStatusBar[] = {
    {"Status", Field<&F::Status>, "", {}, nullptr, plat::TAlign::alBottom},
};

// The main menu: the record actions, the frame's functions and the exit.
const Item kMenus[] = {
    {"MainMenu", Field<&F::MainMenu>},
    {"MenuItem1", Field<&F::MenuItem1>, "MainMenu", "资料(&D)"},
    {"miAdd", Field<&F::miAdd>, "MenuItem1", "新增(&A)", 0, On<&F::miAddClick>, "F5"},
    {"miQuery", Field<&F::miQuery>, "MenuItem1", "查询(&Q)", 1, On<&F::miQueryClick>, "F6"},
    {"miEdit", Field<&F::miEdit>, "MenuItem1", "更改(&E)", 2, On<&F::miEditClick>, "F7"},
    {"miDelete", Field<&F::miDelete>, "MenuItem1", "删除(&D)", 3, On<&F::miDeleteClick>, "F8"},
    {"miViewItem", Field<&F::miViewItem>, "MenuItem1", "查看文档(&V)", -1, On<&F::miViewItemClick>,
     "F10", false},
    {"N1", Field<&F::N1>, "MenuItem1", "-"},
    {"miFirst", Field<&F::miFirst>, "MenuItem1", "第一个(&F)", 5, On<&F::miFirstClick>, "Ctrl+H"},
    {"miPrior", Field<&F::miPrior>, "MenuItem1", "上一个(&P)", 6, On<&F::miPriorClick>},
    {"miNext", Field<&F::miNext>, "MenuItem1", "下一个(&N)", 7, On<&F::miNextClick>},
    {"miLast", Field<&F::miLast>, "MenuItem1", "最后一个(&L)", 8, On<&F::miLastClick>, "Ctrl+E"},
    {"N3", Field<&F::N3>, "MenuItem1", "-"},
    {"NG", Field<&F::NG>, "MenuItem1", "保存视图(&G)", -1, On<&F::NGClick>},
    {"MenuItem11", Field<&F::MenuItem11>, "MainMenu", "功能(&F)", -1, On<&F::MenuItem11Click>},
    {"miToolBar", Field<&F::miToolBar>, "MenuItem11", "工具栏(&S)", -1, On<&F::miToolBarClick>,
     "Ctrl+S"},
    {"miManager", Field<&F::miManager>, "MenuItem11", "管理字段(&M)", -1, On<&F::miManagerClick>,
     "Ctrl+M"},
    {"N4", Field<&F::N4>, "MenuItem11", "-"},
    {"mnSearch", Field<&F::mnSearch>, "MenuItem11", "快速定位(&F)", -1, On<&F::mnSearchClick>,
     "Ctrl+F"},
    {"MenuItem3", Field<&F::MenuItem3>, "MainMenu", "退出(&X)"},
    {"miExit", Field<&F::miExit>, "MenuItem3", "退出(&X)", -1, On<&F::miExitClick>},
};

const Handler kEvents[] = {
    {"qvSearchDialog1", "OnSelectField", On<&F::qvSearchDialog1SelectField>},
    {"qvSearchDialog1", "BeforeSearch", On<&F::qvSearchDialog1BeforeSearch>},
    {"qvSearchDialog1", "AfterSearch", On<&F::qvSearchDialog1AfterSearch>},
    {"qvSearchDialog1", "OnInitDialog", On<&F::qvSearchDialog1InitDialog>},
    {"", "OnActivate", On<&F::FormActivate>},
    {"", "OnCloseQuery", On<&F::FormCloseQuery>},
};

// The find dialog's texts in the frame's own language.
void setSearchTexts(TQvUserIntl* intl) {
    intl->DialogFont()->SetName("宋体");
    intl->DialogFont()->SetHeight(-13);
    TQvUserMessages* messages = intl->UserMessages();
    messages->SearchedTextBlank = "查找的值不可为空。";
    messages->SearchedTextNotFound = "\"%s\"没有找到";
    TQvUserDialogInfo* info = intl->UserDialogInfo();
    info->BtnClose = "关闭(&O)";
    info->BtnNext = "下一个(&N)";
    info->ChkCaseSentitive = "区分大小写(&C)";
    info->ChkWholeWords = "全字匹配(&W)";
    info->GrpDirection = "方向";
    info->GrpFields = "字段(&S)";
    info->GrpOptions = "选项";
    info->GrpOrigin = "区域";
    info->LblSearchText = "查找的值(&T)";
    info->RbBackward = "向上(&B)";
    info->RbForward = "向下(&D)";
    info->RbFromCursor = "从当前位置查找(&F)";
    info->RbFromBeginning = "从头开始查找(&E)";
}

}  // namespace

// ---- design -----------------------------------------------------------------

TfrmBase::TfrmBase(plat::TComponent* owner) : TfrmRadical(owner) {
    using namespace plat;
    SetName("frmBase");
    SetCaption("frmBase");

    ImageList1 = new TImageList(this);
    ImageList1->SetName("ImageList1");
    ImageList1->Tag = kFrameTag;
    ImageList1->SetWidth(18);
    ImageList1->SetHeight(18);
    fillImageList(ImageList1);

    Build(this, kToolBar);
    ToolBar1->Tag = kFrameTag;
    ToolBar1->SetFlat(true);
    ToolBar1->SetButtonWidth(25);
    ToolBar1->SetButtonHeight(25);
    ToolBar1->SetImages(ImageList1);
    ToolBar1->SetShowHint(true);
    Build(this, kToolButtons);
    btnAdd->SetEnabled(false);

    Build(this, kStatusBar);
    Status->Tag = kFrameTag;
    const std::pair<const char*, int> panels[] = {
        {"浏览", 40}, {"", 400}, {"单据笔数", 60}, {"0/0", 50}, {"", 60}};
    for (auto& [text, width] : panels) {
        TStatusPanel* p = Status->Panels()->Add();
        p->SetText(text);
        p->SetWidth(width);
        fitStatusPanel(Status->Panels()->Count() - 1);
    }

    Build(this, kMenus);
    for (const auto& row : kMenus) FindComponent(row.name)->Tag = kFrameTag;
    MainMenu->OwnerDraw = true;
    MainMenu->SetImages(ImageList1);
    MenuItem1->SetGroupIndex(11);
    MenuItem11->SetGroupIndex(12);
    MenuItem3->SetGroupIndex(100);
    miToolBar->SetChecked(true);
    SetMenu(MainMenu);

    QvUserIntl1 = new TQvUserIntl(this);
    QvUserIntl1->SetName("QvUserIntl1");
    setSearchTexts(QvUserIntl1);
    qvSearchDialog1 = new TqvSearchDialog(this);
    qvSearchDialog1->SetName("qvSearchDialog1");
    qvSearchDialog1->Caption = "快速定位";
    qvSearchDialog1->CaseSensitive = false;
    qvSearchDialog1->Direction = TSearchDirection::sdForward;
    qvSearchDialog1->Origin = TSearchOrigin::soFromCursor;
    qvSearchDialog1->SortFields = TSearchSortFields::sfSortByFieldName;
    qvSearchDialog1->ShowMessages = false;
    qvSearchDialog1->SetUserIntl(QvUserIntl1);
    Connect(this, kEvents);
}

TfrmBase::~TfrmBase() = default;

TdmBase* TfrmBase::BaseModule() const {
    return dynamic_cast<TdmBase*>(DataModule);
}

plat::TClientDataSet* TfrmBase::MainDataSet() const {
    TdmBase* dm = BaseModule();
    return dm ? dm->cdsMain : nullptr;
}

// ---- creation and start-up --------------------------------------------------

void TfrmBase::FormCreate(plat::TObject* sender) {
    TfrmRadical::FormCreate(sender);
    ApplyRights();
}

void TfrmBase::InitFormSettings() {
    TfrmRadical::InitFormSettings();
    UseItemDocuments = true;
    SaveTried = false;
    PrintPending = false;
}

void TfrmBase::InitializeAfterConnect() {
    if (!DataModule) {
        TfrmRadical::InitializeAfterConnect();
        return;
    }
    TfrmRadical::InitializeAfterConnect();
    if (TdmBase* dm = BaseModule()) dm->ShowAuditFields(false);
    for (int i = 0; i < DataModule->ComponentCount(); ++i)
        if (auto* source = dynamic_cast<plat::TDataSource*>(DataModule->Components(i)))
            RebindDataSource(source);
    if (TdmBase* dm = BaseModule()) dm->AfterConnect();
    ShowStateText(1);
    if (plat::TClientDataSet* main = MainDataSet()) ApplyRecordRights(main);
    if (DataModule->MIDAS)
        SetStatusPanelText(
            4, DataModule->MIDAS->Address() + " - " + std::to_string(DataModule->MIDAS->Port()));
}

void TfrmBase::ApplyControlSettings() {
    TfrmRadical::ApplyControlSettings();
    if (DataModule) {
        if (HasRight(TRight::LookupB))
            ApplyFieldLockList(PriceFieldList, TFieldLockKind::ReadOnly);
        else if (!HasRight(TRight::LookupA))
            ApplyFieldLockList(PriceFieldList, TFieldLockKind::Disabled);
        if (HasRight(TRight::LookupD))
            ApplyFieldLockList(AmountFieldList, TFieldLockKind::ReadOnly);
        else if (!HasRight(TRight::LookupC))
            ApplyFieldLockList(AmountFieldList, TFieldLockKind::Disabled);
        const std::string sys024 = Brokers()->GetSysParam("SYS024");
        if (sys024 == "1" || sys024 == "3")
            ApplyFieldLockList(Sys024FieldListA, TFieldLockKind::Disabled);
        if (sys024 == "1" || sys024 == "2")
            ApplyFieldLockList(Sys024FieldListB, TFieldLockKind::Disabled);
        for (int i = 0; i < ControlCount(); ++i) {
            plat::TControl* c = Controls(i);
            if (!c->Hint().empty() && plat::Trim(plat::GetShortHint(c->Hint())).empty())
                c->SetHint(" " + c->Hint());
        }
        if (TdmBase* dm = BaseModule()) dm->LoadNumberFieldsSetting();
    }
    FocusPageOne = ReadUserSettingFlag("InputSettings001", "IsFocusPageOne", true);
    KeepOnAdd = ReadUserSettingFlag("InputSettings002", "IsKeepOnAdd", true);
}

void TfrmBase::PrepareOnShow() {
    TfrmRadical::PrepareOnShow();
    if (OpenMode() != 10) LoadRequiredControls();
    LoadGridLayouts();
    HighlightGridColumns();
    if (TdmBase* dm = BaseModule())
        for (const char* table : {"M11_TABLE", "D11_TABLE", "H11_TABLE", "F11_TABLE"})
            dm->LoadNumberFormats(Brokers()->HostParam(table));
    // The formats set above reach the edits before the first paint.
    reloadDataControls();
}

void TfrmBase::reloadDataControls() {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* control = dynamic_cast<plat::TControl*>(Components(i));
        if (!control) continue;
        auto* link = dynamic_cast<plat::TFieldDataLink*>(
            reinterpret_cast<plat::TDataLink*>(control->Perform(plat::CM_GETDATALINK)));
        if (link && link->Active() && link->Field() && !link->Modified()) link->Reset();
    }
}

void TfrmBase::FormShow(plat::TObject* sender) {
    TfrmRadical::FormShow(sender);
}

// ---- mode and buttons -------------------------------------------------------

void TfrmBase::SetFormMode(uint8_t mode) {
    formMode_ = static_cast<TFormMode>(mode);
    if (mode <= 2) ShowStateText(static_cast<uint8_t>(mode + 1));
}

void TfrmBase::ShowStateText(uint8_t state) {
    static const char* const kChinese[] = {"浏览", "更改", "新增"};
    static const char* const kEnglish[] = {"Browse", "Edit", "Insert"};
    if (state >= 1 && state <= 3) {
        const std::string page = GetUICodePage();
        std::string text;
        if (page == "950" || page == "936") {
            text = kChinese[state - 1];
            if (Converted) {
                Variant converted;
                ConvertVariant(GetDisplayMode(), Variant(text), converted);
                text = plat::VarToStr(converted);
            }
        } else {
            text = kEnglish[state - 1];
        }
        SetStatusPanelText(0, text);
    }
    UpdateButtons();
}

void TfrmBase::SetStatusPanelText(int panel, const std::string& text) {
    if (!Status || panel < 0 || panel >= Status->Panels()->Count()) return;
    Status->Panels()->Items(panel)->SetText(text);
    fitStatusPanel(panel);
}

void TfrmBase::ApplyScreenLanguage() {
    TfrmRadical::ApplyScreenLanguage();
    if (Status)
        for (int i = 0; i < Status->Panels()->Count(); ++i) fitStatusPanel(i);
}

void TfrmBase::fitStatusPanel(int panel) {
    // Panel 1 takes the room the others leave (the form's resize).
    if (panel == 1) return;
    plat::TStatusPanel* p = Status->Panels()->Items(panel);
    plat::TCanvas measure;
    measure.Font.Assign(*Status->Font());
    const int wanted = measure.TextWidth(p->Text()) + 24;
    if (wanted <= p->Width()) return;
    p->SetWidth(wanted);
    ShareStatusRoom();
}

void TfrmBase::ShareStatusRoom() {
    if (!Status || Status->Panels()->Count() < 2) return;
    int others = 0;
    for (int i = 0; i < Status->Panels()->Count(); ++i)
        if (i != 1) others += Status->Panels()->Items(i)->Width();
    Status->Panels()->Items(1)->SetWidth(std::max(0, ClientWidth() - others));
}

void TfrmBase::ApplyRights() {
    QueryAllowed = HasRight(TRight::Query);
    LookupRightA = HasRight(TRight::LookupA);
    LookupRightB = HasRight(TRight::LookupB);
    LookupRightC = HasRight(TRight::LookupC);
    LookupRightD = HasRight(TRight::LookupD);
    AddAllowed = HasRight(TRight::Add);
    PrintAllowed = HasRight(TRight::Print);
    if (!HasRight(TRight::ByRecord)) {
        EditAllowed = HasRight(TRight::Edit);
        DeleteAllowed = HasRight(TRight::Delete);
        ConfirmAllowed = HasRight(TRight::Confirm);
        UnconfirmAllowed = HasRight(TRight::Unconfirm);
        VoidAllowed = HasRight(TRight::Void);
    }
    SignOffAllowed = HasRight(TRight::SignOff);
    Right44 = HasRight(TRight::Right44);
    UpdateButtons();
}

void TfrmBase::UpdateButtons() {
    plat::TClientDataSet* main = MainDataSet();
    if (!DataModule) return;
    const plat::TDataSetState state = main ? main->State() : plat::TDataSetState::dsInactive;
    const bool notEditing =
        state != plat::TDataSetState::dsEdit && state != plat::TDataSetState::dsInsert;
    const bool hasRows = main && main->Active() && !(main->Bof() && main->Eof());
    const bool browsing = notEditing && hasRows;
    const uint16_t bits = ActionRights();
    for (const ButtonRow& row : kButtonRules) {
        bool on = false;
        switch (row.rule) {
            case ButtonRule::Add:
                on = notEditing && AddAllowed && (bits & 0x01);
                break;
            case ButtonRule::Query:
                on = notEditing && QueryAllowed && (bits & 0x04);
                break;
            case ButtonRule::Edit:
                on = browsing && EditAllowed && (bits & 0x02);
                break;
            case ButtonRule::Delete:
                on = browsing && DeleteAllowed && (bits & 0x08);
                break;
            case ButtonRule::Print:
                on = browsing && PrintAllowed && (bits & 0x10);
                break;
            case ButtonRule::Navigate:
                on = browsing;
                break;
            case ButtonRule::Exit:
                // Open in every mode: a close while editing asks the close
                // question, so leaving by the menu loses nothing unasked.
                on = true;
                break;
            case ButtonRule::ViewItem:
                on = main && main->Active() && !main->IsEmpty() && !F11Fields.empty();
                miViewItem->SetVisible(on);
                break;
        }
        for (const char* name : row.names)
            if (name)
                if (plat::TComponent* c = FindComponent(name)) setEnabled(c, on);
    }
    SaveTried = false;
    for (const std::string& entry : SplitText(ExPower, ';')) {
        if (entry.empty()) continue;
        const size_t eq = entry.find('=');
        const std::string name = entry.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
        if (name.empty()) continue;
        plat::TComponent* c = FindComponent(name);
        if (c && (dynamic_cast<plat::TMenuItem*>(c) || dynamic_cast<plat::TControl*>(c) ||
                  HasProperty(c, "Enabled")))
            setEnabled(c, value == "Y");
    }
}

// ---- record actions ---------------------------------------------------------

bool TfrmBase::AddRecord(bool) {
    if (!DataModule) return false;
    DataModule->RefreshToday();
    if (plat::TClientDataSet* main = MainDataSet()) {
        auto* single = dynamic_cast<TdmSingle*>(DataModule);
        if (MainWhere != "1=2") {
            ListWhere = MainWhere;
            ListOrder = MainOrder;
        }
        OpenDataSet(main, "1=2", single ? single->DefaultOrder : std::string());
        SetFormMode(2);
        main->Append();
        SetFormMode(2);
    }
    return true;
}

bool TfrmBase::EditRecord() {
    plat::TClientDataSet* main = MainDataSet();
    if (!main || !BaseModule()->CheckDataRights() ||
        main->State() != plat::TDataSetState::dsBrowse || main->IsEmpty())
        return false;
    DataModule->RefreshToday();
    SetFormMode(1);
    main->Edit();
    SetFormMode(1);
    return true;
}

bool TfrmBase::DeleteRecord(bool ask) {
    plat::TClientDataSet* main = MainDataSet();
    bool result = main && main->State() == plat::TDataSetState::dsBrowse && !main->IsEmpty() &&
                  BaseModule()->CheckDataRights();
    if (ask && result) result = Brokers()->ShowMessageCode("C", "000001") == modal::Ok;
    if (result) {
        try {
            DeleteAllRecords(main, false, true);
            main->Delete();
            if (main->ApplyUpdates(0) > 0) throw plat::Exception("The server refused the delete.");
        } catch (const std::exception& e) {
            WriteAlertLog("BaseCF-484", e.what(), "D");
            // The record stays: the local delete is taken back.
            main->CancelUpdates();
            Brokers()->ShowMessageCode("E", "000007");
            result = false;
        }
    }
    SetFormMode(0);
    return result;
}

bool TfrmBase::CancelEdit(bool ask) {
    bool result = true;
    plat::TClientDataSet* main = MainDataSet();
    if (!main) return result;
    const TFormMode mode = formMode_;
    const bool changed = main->ChangeCount() > 0 || main->Modified();
    if (changed && ask) {
        if (mode == TFormMode::Add)
            result = Brokers()->ShowMessageCode("C", "000004") == modal::Ok;
        else if (mode == TFormMode::Edit)
            result = Brokers()->ShowMessageCode("C", "000002") == modal::Ok;
    }
    auto cancel = [&] {
        main->Cancel();
        main->CancelUpdates();
        SetFormMode(0);
    };
    if (result) {
        cancel();
        if (OpenedByKeys) {
            KeyValues = Variant();
            main->Close();
        }
    } else if (mode == TFormMode::Edit && SaveTried && !KeepEditOnDecline()) {
        cancel();
    }
    return result;
}

bool TfrmBase::CloseForm() {
    Close();
    return true;
}

void TfrmBase::RefreshData() {
    std::string where, order;
    if (QueryDialog) {
        where = QueryDialog->GetWhereText();
        order = QueryDialog->GetOrderText();
    }
    if (plat::TClientDataSet* main = MainDataSet()) OpenDataSet(main, where, order);
}

// ---- handlers ---------------------------------------------------------------

void TfrmBase::miAddClick(plat::TObject*) {
    AddRecord(true);
}
void TfrmBase::miQueryClick(plat::TObject*) {
    QueryRecords();
}
void TfrmBase::miEditClick(plat::TObject*) {
    EditRecord();
}
void TfrmBase::miDeleteClick(plat::TObject*) {
    DeleteRecord(true);
}
void TfrmBase::miViewItemClick(plat::TObject*) {
    ViewDocument();
}
void TfrmBase::NGClick(plat::TObject*) {
    SaveGridLayouts();
}
void TfrmBase::miExitClick(plat::TObject*) {
    Close();
}

void TfrmBase::miFirstClick(plat::TObject*) {
    if (auto* main = MainDataSet()) main->First();
}
void TfrmBase::miPriorClick(plat::TObject*) {
    if (auto* main = MainDataSet(); main && !main->Bof()) main->Prior();
}
void TfrmBase::miNextClick(plat::TObject*) {
    auto* main = MainDataSet();
    if (!main) return;
    main->Next();
    if (main->Eof()) main->Next();
}
void TfrmBase::miLastClick(plat::TObject*) {
    if (auto* main = MainDataSet()) FetchMoreOrLast(main);
}

void TfrmBase::miToolBarClick(plat::TObject*) {
    miToolBar->SetChecked(!miToolBar->Checked());
    ToolBar1->SetVisible(miToolBar->Checked());
}

void TfrmBase::miManagerClick(plat::TObject*) {
    miManager->SetChecked(!miManager->Checked());
    if (TdmBase* dm = BaseModule()) dm->ShowAuditFields(miManager->Checked());
}

void TfrmBase::MenuItem11Click(plat::TObject*) {
    mnSearch->SetEnabled(gridOf(ActiveControl()) != nullptr);
}

void TfrmBase::mnSearchClick(plat::TObject*) {
    plat::TCustomDataGrid* grid = gridOf(ActiveControl());
    if (!grid) return;
    qvSearchDialog1->SetSearchGrid(grid);
    TdmBase* dm = BaseModule();
    bool unused = false;
    FlagGuard scrollCheck(dm ? dm->EventsBound : unused, false);
    qvSearchDialog1->Execute();
}

void TfrmBase::qvSearchDialog1SelectField(TfrmSearchDlg*, const std::string& fieldName,
                                          const std::string&) {
    plat::TCustomDataGrid* grid = qvSearchDialog1->SearchGrid();
    if (!grid || !grid->DataSource() || !grid->DataSource()->DataSet()) return;
    if (plat::TField* f = grid->DataSource()->DataSet()->FindField(fieldName))
        grid->SetSelectedField(f);
}

void TfrmBase::qvSearchDialog1BeforeSearch(TfrmSearchDlg* dialog) {
    if (!dialog || !plat::Trim(dialog->cbbText->Text()).empty()) return;
    const std::string blank = plat::VarToStr(
        ConvertByDisplayMode(Variant(QvUserIntl1->UserMessages()->SearchedTextBlank)));
    Brokers()->ShowMessageCode("E", "000032", {Variant(blank)});
    plat::Abort();
}

void TfrmBase::qvSearchDialog1AfterSearch(TfrmSearchDlg* dialog, bool& found) {
    if (found || !dialog) return;
    const std::string text =
        plat::StringReplace(QvUserIntl1->UserMessages()->SearchedTextNotFound, "%s",
                            dialog->cbbText->Text(), plat::ReplaceFlags::All);
    Brokers()->ShowMessageCode("E", "000032", {Variant(text)});
}

void TfrmBase::qvSearchDialog1InitDialog(TfrmSearchDlg* dialog) {
    if (!dialog) return;
    try {
        std::string caption =
            plat::VarToStr(RevertByDisplayMode(Variant(qvSearchDialog1->Caption)));
        if (GetSystemCodePage() == "950")
            caption = plat::VarToStr(QvConverter->ConvertVariant(kGBToBig5, Variant(caption)));
        dialog->SetCaption(caption);
        for (int i = 0; i < dialog->ComponentCount(); ++i) {
            plat::TComponent* c = dialog->Components(i);
            if (!HasProperty(c, "Caption")) continue;
            WriteStrProperty(
                c, "Caption",
                plat::VarToStr(ConvertByDisplayMode(Variant(ReadStrProperty(c, "Caption")))));
        }
        plat::TCustomDataGrid* grid = qvSearchDialog1->SearchGrid();
        plat::TField* selected = grid ? grid->SelectedField() : nullptr;
        if (selected) {
            int index = dialog->cbbFields->Items()->IndexOf(selected->DisplayLabel());
            if (index >= 0) dialog->cbbFields->SetItemIndex(index);
        }
        dialog->cbbFieldsChange(dialog->cbbFields);
    } catch (const std::exception&) {
        // The dialog still works in its designed language.
    }
}

void TfrmBase::FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) {
    TfrmRadical::FormKeyDown(sender, key, shift);
    if (!DataModule || key != plat::VK_ESCAPE) return;
    // A control that takes Esc for itself (a grid's cell editor or its
    // unposted row) undoes its own typing with it, not the whole form.
    for (plat::TWinControl* c = ActiveControl(); c && c != this; c = c->Parent())
        if (c->WantsKey(key, shift)) return;
    if (formMode_ == TFormMode::Browse)
        CloseForm();
    else
        CancelEdit(true);
}

void TfrmBase::FormCloseQuery(plat::TObject*, bool& canClose) {
    if (!DataModule || formMode_ == TFormMode::Browse) return;
    const int answer = Brokers()->ShowMessageCode(
        "D", formMode_ == TFormMode::Edit ? "000002" : "000001", {}, 936, false);
    if (answer == modal::Cancel)
        canClose = false;
    else if (answer == modal::Yes)
        canClose = SaveDocument();
    else if (answer == modal::No)
        canClose = CancelEdit(false);
}

void TfrmBase::FormClose(plat::TObject* sender, ktrb::TCloseAction& action) {
    TfrmRadical::FormClose(sender, action);
    if (QueryDialog && QueryDialog->Owner() == this) {
        TQBEForm* dialog = QueryDialog;
        QueryDialog = nullptr;
        dialog->Free();
    }
}

}  // namespace ktrb
