#include "forms/QvSimpleBodyCF.h"

#include "controls/FDBGrid.h"
#include "controls/QvLookUpCombo.h"
#include "controls/WindowDesign.h"
#include "dataframe/BaseCD.h"
#include "dataframe/LibDouble.h"
#include "dataframe/knlBase.h"
#include "dataframe/knlRadical.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/graphics.h"
#include "platform/ui/imglist.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::Variant;

namespace {

// Focuses a control of a shown window; nothing otherwise.
void TryFocus(plat::TWinControl* c) {
    plat::TCustomForm* form = c ? plat::GetParentForm(c) : nullptr;
    if (form && form->Visible() && c->CanFocus()) c->SetFocus();
}

// The rights set a body-only window starts with: {0..14, 21..31, 33..59}.
constexpr uint64_t kBodyRightsSet = 0x0FFFFFFEFFE07FFFull;

const char* const kNilSource = "DBGrid's DataSource or DataSet is nil";

template <class C>
void HideItem(C* c) {
    if (c) c->SetVisible(false);
}

bool Editing(const plat::TDataSet* ds) {
    return ds && (ds->State() == plat::dsEdit || ds->State() == plat::dsInsert);
}

// FitGridColumns over a data grid.
class GridFit : public IFitGrid {
  public:
    explicit GridFit(plat::TCustomDataGrid* grid) : grid_(grid) {}
    plat::TDataSet* GridDataSet() const override { return grid_->DataSet(); }
    int GridFieldCount() const override { return grid_->VisibleColumnCount(); }
    int ColumnWidth(int column) const override { return grid_->ColWidths(column); }
    void SetColumnWidth(int column, int width) override { grid_->SetColWidths(column, width); }
    int GridClientWidth() const override { return grid_->ClientWidth(); }
    void SetParentClientWidth(int width) override {
        if (grid_->Parent()) grid_->Parent()->SetClientWidth(width);
    }
    int HorizontalScrollBarHeight() const override { return 17; }

  private:
    plat::TCustomDataGrid* grid_;
};

using namespace design;
using S = TfrmSimpleBody;

// Maintaining the body: a check button and the first item of the body menu.
const Item kRedact[] = {
    {"btnRedact", Field<&S::btnRedact>, "ToolBar1", "维护", -1, On<&S::btnRedactClick>},
    {"miRedact", Field<&S::miRedact>, "MenuItem1", "维护(&E)", -1, On<&S::miRedactClick>, "F7",
     true, "", 0, false, 0},
};

const Control kBody[] = {
    {"Panel1", Field<&S::Panel1>, "", {}, "", plat::TAlign::alClient},
    {"DBGrid", Field<&S::DBGrid>, "Panel1", {}, nullptr, plat::TAlign::alClient},
};

// The body's moves go through the rows' checks.
const Handler kEvents[] = {
    {"miFirst", "OnClick", On<&S::BodyFirstClick>},
    {"miPrior", "OnClick", On<&S::BodyPriorClick>},
    {"miNext", "OnClick", On<&S::BodyNextClick>},
    {"miLast", "OnClick", On<&S::BodyLastClick>},
    {"DBGrid", "OnKeyDown", On<&S::DBGridKeyDown>},
    {"DBGrid", "OnCalcTitleAttributes", On<&S::DBGridCalcTitleAttributes>},
    {"DBGrid", "OnCalcTitleImage", On<&S::DBGridCalcTitleImage>},
    {"DBGrid", "OnTitleButtonClick", On<&S::DBGridTitleButtonClick>},
    {"", "OnActivate", On<&S::FormActivate>},
    {"", "OnCloseQuery", On<&S::FormCloseQuery>},
};

}  // namespace

TfrmSimpleBody::TfrmSimpleBody(plat::TComponent* owner) : TfrmBase(owner) {
    using namespace plat;
    SetName("frmSimpleBody");
    Position = TPosition::poOwnerFormCenter;
    for (TToolButton* b : {btnAdd, btnQuery, btnEdit, btnDelete, btnPrint, btnReFresh}) HideItem(b);
    for (TMenuItem* m : {miAdd, miQuery, miEdit, miDelete}) HideItem(m);
    Build(this, kRedact);
    btnRedact->SetStyle(TToolButtonStyle::tbsCheck);
    // A sheet with a pencil over it.
    btnRedact->SetImageIndex(AddToolGlyph([](TCanvas& c) {
        c.Pen.Color = clBlack;
        c.Brush.Color = clWhite;
        c.Rectangle(2, 2, 13, 16);
        c.Pen.Color = clNavy;
        c.Pen.Width = 2;
        c.MoveTo(8, 13);
        c.LineTo(16, 5);
    }));
    if (Status) {
        Status->Panels()->Clear();
        for (auto [text, width] :
             {std::pair{"浏览", 40}, {"", 150}, {"单据笔数", 60}, {"0/0", 50}, {"", 60}}) {
            TStatusPanel* p = Status->Panels()->Add();
            p->SetText(text);
            p->SetWidth(width);
        }
    }

    Build(this, kBody);
    DBGrid->SetReadOnly(true);
    using O = TDataGridOption;
    DBGrid->SetOptions({O::dgEditing, O::dgTitles, O::dgIndicator, O::dgColumnResize, O::dgColLines,
                        O::dgRowLines, O::dgTabs, O::dgAlwaysShowSelection, O::dgConfirmDelete,
                        O::dgCancelOnExit, O::dgWordWrap});
    DBGrid->SetKeyOptions({TDataGridKeyOption::dgEnterToTab});
    DBGrid->SetTitleButtons(true);
    Connect(this, kEvents);
}

TfrmSimpleBody::~TfrmSimpleBody() {
    unhookEvents();
}

int TfrmSimpleBody::AddToolGlyph(const std::function<void(plat::TCanvas&)>& paint) {
    if (!ImageList1) return -1;
    plat::TBitmap bmp(18, 18);
    plat::TCanvas& c = *bmp.Canvas();
    c.Brush.Color = plat::clFuchsia;
    c.FillRect({0, 0, 18, 18});
    paint(c);
    return ImageList1->AddMasked(bmp, plat::clFuchsia);
}

// ---- creation ------------------------------------------------------------------

// Converted with the form's other texts.
std::string TfrmSimpleBody::programCaption() const {
    return Brokers()->GetProgramName() + "[" + Brokers()->GetSysParam("QRV002") + "]";
}

void TfrmSimpleBody::FormCreate(plat::TObject* sender) {
    // The window lives inside its owner's start: no host start of its own.
    TQVForm::FormCreate(sender);
    ApplyLanguageOnShow = false;
    SetRightsSet(kBodyRightsSet);
    SetActionRights(0x1FF);
    Clone = new plat::TClientDataSet(this);
    Clone->SetName("cdsSimpleBodyClone");
    auto* owner = dynamic_cast<TfrmRadical*>(Owner());
    if (owner) SetBrokers(owner->Brokers());
    if (Brokers()) SetCaption(programCaption());
    InitializeAfterConnect();
    InitFormSettings();
    ApplyControlSettings();
    if (owner) {
        ModuleFileName = owner->ModuleFileName;
        QvConverter = owner->QvConverter;
    }
    ApplyRights();
    Created = true;
    ApplyFormLanguage(true);
    ConvertFormOnce();
}

void TfrmSimpleBody::InitializeAfterConnect() {
    plat::TDataSource* source = DBGrid->DataSource();
    if (!source || !source->DataSet()) {
        // Refused and closed on show; the owner and the program go on.
        if (Brokers()) Brokers()->ShowMessageCode("E", "000032", {Variant(kNilSource)});
        StartFailed = true;
        return;
    }
    GridDataSource = source;
    BodyDataSet = source->DataSet();
    DirectMaster = BodyDataSet->DataSetField() ? BodyDataSet->DataSetField()->DataSet() : nullptr;
    TopDataSet = BodyDataSet;
    while (TopDataSet->DataSetField() && TopDataSet->DataSetField()->DataSet())
        TopDataSet = TopDataSet->DataSetField()->DataSet();
    for (plat::TComponent* c : {(plat::TComponent*)GridDataSource, (plat::TComponent*)BodyDataSet,
                                (plat::TComponent*)DirectMaster, (plat::TComponent*)TopDataSet})
        if (c) c->FreeNotification(this);
    if (Brokers()) SetCaption(programCaption());
    hookEvents();
    if (auto* module = dynamic_cast<TdmRadical*>(GridDataSource->Owner())) DataModule = module;
    if (Brokers()) {
        DateFormatCode = plat::StrToIntDef(Brokers()->GetSysParam("SYS001"), 1);
        Sys002Text = Brokers()->GetSysParam("SYS002");
    }
    CopyDataSetStructure(this, BodyDataSet, Clone);
}

void TfrmSimpleBody::InitFormSettings() {
    TfrmBase::InitFormSettings();
    if (!Brokers()) return;
    if (!Brokers()->HostParam("H11_KEY").empty()) {
        MasterKeyList = Brokers()->HostParam("M11_KEY");
        BodyKeyList = Brokers()->HostParam("H11_KEY");
    } else {
        MasterKeyList = Brokers()->HostParam("D11_KEY");
        BodyKeyList = Brokers()->HostParam("F11_KEY");
    }
}

void TfrmSimpleBody::hookEvents() {
    if (hooked_) return;
    hooked_ = true;
    using E = plat::TDataSetNotifyEvent;
    if (DirectMaster) {
        savedMasterAfterOpen_ = DirectMaster->AfterOpen;
        DirectMaster->AfterOpen = E(this, &TfrmSimpleBody::MasterAfterOpen);
    }
    savedBeforePost_ = BodyDataSet->BeforePost;
    BodyDataSet->BeforePost = E(this, &TfrmSimpleBody::BodyBeforePost);
    savedAfterPost_ = BodyDataSet->AfterPost;
    BodyDataSet->AfterPost = E(this, &TfrmSimpleBody::BodyAfterPost);
    savedAfterDelete_ = BodyDataSet->AfterDelete;
    BodyDataSet->AfterDelete = E(this, &TfrmSimpleBody::BodyAfterDelete);
    savedAfterScroll_ = BodyDataSet->AfterScroll;
    BodyDataSet->AfterScroll = E(this, &TfrmSimpleBody::BodyAfterScroll);
    savedNewRecord_ = BodyDataSet->OnNewRecord;
    BodyDataSet->OnNewRecord = E(this, &TfrmSimpleBody::BodyNewRecord);
    savedStateChange_ = GridDataSource->OnStateChange;
    GridDataSource->OnStateChange = plat::TNotifyEvent(this, &TfrmSimpleBody::SourceStateChange);
}

void TfrmSimpleBody::unhookEvents() {
    if (!hooked_) return;
    hooked_ = false;
    // The datasets outlive the window: their own handlers come back.
    if (DirectMaster && DirectMaster->AfterOpen.Is(this, &TfrmSimpleBody::MasterAfterOpen))
        DirectMaster->AfterOpen = savedMasterAfterOpen_;
    if (BodyDataSet) {
        if (BodyDataSet->BeforePost.Is(this, &TfrmSimpleBody::BodyBeforePost))
            BodyDataSet->BeforePost = savedBeforePost_;
        if (BodyDataSet->AfterPost.Is(this, &TfrmSimpleBody::BodyAfterPost))
            BodyDataSet->AfterPost = savedAfterPost_;
        if (BodyDataSet->AfterDelete.Is(this, &TfrmSimpleBody::BodyAfterDelete))
            BodyDataSet->AfterDelete = savedAfterDelete_;
        if (BodyDataSet->AfterScroll.Handle().Object() == this)
            BodyDataSet->AfterScroll = savedAfterScroll_;
        if (BodyDataSet->OnNewRecord.Is(this, &TfrmSimpleBody::BodyNewRecord))
            BodyDataSet->OnNewRecord = savedNewRecord_;
    }
    if (GridDataSource &&
        GridDataSource->OnStateChange.Is(this, &TfrmSimpleBody::SourceStateChange))
        GridDataSource->OnStateChange = savedStateChange_;
}

void TfrmSimpleBody::Notification(plat::TComponent* c, plat::TOperation op) {
    TfrmBase::Notification(c, op);
    if (op != plat::TOperation::opRemove) return;
    if (c == BodyDataSet) BodyDataSet = nullptr;
    if (c == DirectMaster) DirectMaster = nullptr;
    if (c == TopDataSet) TopDataSet = nullptr;
    if (c == GridDataSource) GridDataSource = nullptr;
}

// ---- hooked events ---------------------------------------------------------------

void TfrmSimpleBody::MasterAfterOpen(plat::TDataSet* dataSet) {
    savedMasterAfterOpen_(dataSet);
    if (BodyDataSet && !BodyDataSet->Active()) BodyDataSet->Open();
}

void TfrmSimpleBody::BodyBeforePost(plat::TDataSet* dataSet) {
    if (!ValidateRequiredFields(BodyDataSet)) plat::Abort();
    // A changed row gets its audit values here, a new one when it was made.
    if (BodyDataSet->State() == plat::dsEdit) WriteAuditValues();
    savedBeforePost_(dataSet);
    BeforeRowPost();
    if (RejectRowPost()) plat::Abort();
}

void TfrmSimpleBody::BodyAfterPost(plat::TDataSet* dataSet) {
    savedAfterPost_(dataSet);
    if (Editing(DirectMaster)) AfterBodyChange();
}

void TfrmSimpleBody::BodyAfterDelete(plat::TDataSet* dataSet) {
    savedAfterDelete_(dataSet);
    if (Editing(DirectMaster)) AfterBodyChange();
}

void TfrmSimpleBody::BodyAfterScroll(plat::TDataSet* dataSet) {
    ShowRowStatus();
    savedAfterScroll_(dataSet);
}

void TfrmSimpleBody::ShowRowStatus() {
    if (!Status || Status->Panels()->Count() < 4 || !BodyDataSet) return;
    std::string text = "0/0";
    int count = BodyDataSet->Active() ? BodyDataSet->RecordCount() : 0;
    int row = BodyDataSet->Active() ? BodyDataSet->RecNo() : -1;
    if (count > 0 && row > 0) text = std::to_string(row) + "/" + std::to_string(count);
    Status->Panels()->Items(3)->SetText(plat::VarToStr(QvConverter->ConvertToUI(Variant(text))));
}

void TfrmSimpleBody::BodyNewRecord(plat::TDataSet* dataSet) {
    WriteAuditValues();
    InitNewRow();
    FillNullFields(BodyDataSet);
    savedNewRecord_(dataSet);
}

void TfrmSimpleBody::SourceStateChange(plat::TObject* sender) {
    if (BodyDataSet) ShowStateText(static_cast<uint8_t>(BodyDataSet->State()));
    savedStateChange_(sender);
}

void TfrmSimpleBody::WriteAuditValues() {
    plat::TField* flag = BodyDataSet->FindField("FLAG");
    int value = flag ? plat::StrToIntDef(flag->AsString(), 0) : 0;
    if (value < 0) return;
    std::string today;
    if (auto* owner = dynamic_cast<TfrmRadical*>(Owner()); owner && owner->DataModule)
        today = owner->DataModule->Today;
    if (today.empty()) today = plat::FormatDateTime("yyyymmdd", plat::Date());
    auto put = [&](const char* name, const std::string& text) {
        if (plat::TField* f = BodyDataSet->FindField(name)) SetFieldText(f, text);
    };
    TBrokers* b = Brokers();
    if (BodyDataSet->State() == plat::dsInsert) {
        if (b) {
            put("COMPANY", b->CompanyID);
            put("CREATOR", b->UserID);
            put("USR_GROUP", b->UserGroup);
        }
        put("CREATE_DATE", today);
        put("FLAG", "-1");
    } else if (BodyDataSet->State() == plat::dsEdit) {
        if (b) put("MODIFIER", b->UserID);
        put("MODI_DATE", today);
        // The remainder keeps the sign of the dividend: 999 gives 0.
        put("FLAG", std::to_string(-(value + 1) % 1000));
    }
}

void TfrmSimpleBody::InitNewRow() {
    if (!DirectMaster) return;
    if (DirectMaster->State() == plat::dsInsert) {
        // The master's keys are still open.
        for (int i = 1; i <= FieldCount(BodyKeyList, ","); ++i)
            if (plat::TField* f = BodyDataSet->FindField(plat::Trim(TokenAt(BodyKeyList, ",", i))))
                if (f->DataType() == plat::TFieldType::ftString ||
                    f->DataType() == plat::TFieldType::ftWideString)
                    SetFieldText(f, std::string(20, '~'));
        return;
    }
    int n = std::min(FieldCount(MasterKeyList, ","), FieldCount(BodyKeyList, ","));
    for (int i = 1; i <= n; ++i) {
        plat::TField* from = DirectMaster->FindField(plat::Trim(TokenAt(MasterKeyList, ",", i)));
        plat::TField* to = BodyDataSet->FindField(plat::Trim(TokenAt(BodyKeyList, ",", i)));
        if (!from || !to) continue;
        if (BodyDataSet->State() == plat::dsBrowse) BodyDataSet->Edit();
        SetFieldText(to, from->AsString());
    }
}

// ---- record operations ---------------------------------------------------------------

bool TfrmSimpleBody::BodyEditing() const {
    return Editing(BodyDataSet);
}

bool TfrmSimpleBody::TopEditing() const {
    return Editing(TopDataSet);
}

bool TfrmSimpleBody::AddRecord(bool) {
    if (!BodyDataSet || !BodyDataSet->Active()) return false;
    bool failed = false;
    if (DirectMaster)
        for (int i = 1; i <= FieldCount(MasterKeyList, ","); ++i)
            if (plat::TField* f =
                    DirectMaster->FindField(plat::Trim(TokenAt(MasterKeyList, ",", i))))
                failed = failed || f->IsNull() || f->AsString().empty();
    if (failed) {
        if (Brokers()) Brokers()->ShowMessageCode("E", "1000063");
        plat::Abort();
    }
    if (BodyDataSet->State() != plat::dsInsert) BodyDataSet->Append();
    if (DBGrid->VisibleColumnCount() > 0) DBGrid->SetSelectedIndex(0);
    TryFocus(DBGrid);
    return true;
}

bool TfrmSimpleBody::DeleteRecord(bool ask) {
    if (!BodyDataSet || !BodyDataSet->Active() || BodyDataSet->State() != plat::dsBrowse ||
        BodyDataSet->IsEmpty())
        return false;
    if (ask && (!Brokers() || Brokers()->ShowMessageCode("C", "000001") != 1)) return false;
    BodyDataSet->Delete();
    return true;
}

bool TfrmSimpleBody::SaveDocument() {
    if (!BodyEditing()) return false;
    BodyDataSet->Post();
    return true;
}

bool TfrmSimpleBody::CancelEdit(bool ask) {
    if (!BodyEditing() || !BodyDataSet->Modified()) return false;
    if (ask && Brokers()) {
        const char* code = BodyDataSet->State() == plat::dsInsert ? "000004" : "000002";
        if (Brokers()->ShowMessageCode("C", code) != 1) return false;
    }
    BodyDataSet->Cancel();
    return true;
}

bool TfrmSimpleBody::ValidateRequiredFields(plat::TDataSet* dataSet) {
    if (dataSet && dataSet == BodyDataSet && !BodyKeyList.empty() &&
        !CheckRequiredFields(dataSet, dataSet->Name() + ":" + BodyKeyList))
        return false;
    return TfrmBase::ValidateRequiredFields(dataSet);
}

void TfrmSimpleBody::LoadGridLayouts() {
    std::string user = Brokers() ? Brokers()->UserID : std::string();
    std::string program = Brokers() ? Brokers()->ProgramCode : std::string();
    int index = 0;
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* grid = dynamic_cast<plat::TCustomDataGrid*>(Components(i));
        if (!grid || !grid->DataSource() || !grid->DataSource()->DataSet()) continue;
        LoadGridLayout(user, program + "C", grid->DataSource()->DataSet(), index++);
    }
}

void TfrmSimpleBody::GetHelpContext(const std::string& topic, std::string& context) {
    context = topic + "0000";
    if (!Active()) return;
    plat::TWinControl* focused = ActiveControl();
    if (!focused) return;
    std::string own = HasProperty(focused, "HelpKeyword") ? ReadStrProperty(focused, "HelpKeyword")
                                                          : std::string();
    if (!own.empty()) {
        context = own;
        return;
    }
    std::string field;
    if (auto* grid = dynamic_cast<plat::TCustomDataGrid*>(focused)) {
        if (grid->SelectedField()) field = grid->SelectedField()->FieldName();
    } else if (HasProperty(focused, "DataField")) {
        plat::TObject* source = plat::GetObjectProp(focused, "DataSource");
        auto* ds = dynamic_cast<plat::TDataSource*>(source);
        if (ds && ds->DataSet() && ds->DataSet()->Name() == "cdsMain")
            field = ReadStrProperty(focused, "DataField");
    }
    if (field.size() > 3) context = topic + "1" + field.substr(3, 3);
}

// ---- maintain mode ---------------------------------------------------------------------

bool TfrmSimpleBody::BeginMaintain() {
    if (!BodyDataSet || BodyDataSet->State() != plat::dsBrowse) return false;
    auto* body = dynamic_cast<plat::TClientDataSet*>(BodyDataSet);
    if (!body || !CloneCursorSafe(body, Clone)) throw plat::Exception("simple body clone error!!");
    if (BodyDataSet->IsEmpty()) return AddRecord(false);
    return true;
}

void TfrmSimpleBody::SetMaintainMode(bool on) {
    bool down = false;
    if (on) {
        down = BeginMaintain();
    } else if (BodyEditing()) {
        if (BodyDataSet->Modified())
            BodyDataSet->Post();
        else
            BodyDataSet->Cancel();
    }
    if (btnRedact) btnRedact->SetDown(down);
    MaintainMode = down;
    applyMaintainToGrid();
}

void TfrmSimpleBody::applyMaintainToGrid() {
    plat::TDataGridKeyOptions keys = DBGrid->KeyOptions();
    if (MaintainMode) {
        DBGrid->SetReadOnly(false);
        keys.Include(plat::TDataGridKeyOption::dgAllowDelete);
        keys.Include(plat::TDataGridKeyOption::dgAllowInsert);
    } else {
        DBGrid->SetReadOnly(true);
        keys.Exclude(plat::TDataGridKeyOption::dgAllowDelete);
        keys.Exclude(plat::TDataGridKeyOption::dgAllowInsert);
    }
    DBGrid->SetKeyOptions(keys);
}

void TfrmSimpleBody::btnRedactClick(plat::TObject*) {
    // The click has toggled the button already.
    bool wasDown = !btnRedact->Down();
    btnRedact->SetDown(wasDown);
    if (wasDown && BodyEditing()) BodyDataSet->Post();
    SetMaintainMode(!wasDown);
    btnRedact->SetDown(MaintainMode);
}

void TfrmSimpleBody::miRedactClick(plat::TObject*) {
    SetMaintainMode(!MaintainMode);
}

void TfrmSimpleBody::miOKClick(plat::TObject*) {
    SaveDocument();
}

void TfrmSimpleBody::miCancelClick(plat::TObject*) {
    CancelEdit(true);
}

void TfrmSimpleBody::BodyFirstClick(plat::TObject*) {
    if (BodyDataSet) BodyDataSet->First();
}
void TfrmSimpleBody::BodyPriorClick(plat::TObject*) {
    if (BodyDataSet) BodyDataSet->Prior();
}
void TfrmSimpleBody::BodyNextClick(plat::TObject*) {
    if (BodyDataSet) BodyDataSet->Next();
}
void TfrmSimpleBody::BodyLastClick(plat::TObject*) {
    if (BodyDataSet) BodyDataSet->Last();
}

// ---- buttons ---------------------------------------------------------------------------------

void TfrmSimpleBody::UpdateButtons() {
    const bool top = TopEditing();
    const bool browsing = BodyDataSet && BodyDataSet->State() == plat::dsBrowse;
    const bool notEmpty = BodyDataSet && !(BodyDataSet->Bof() && BodyDataSet->Eof());
    const uint16_t rights = ActionRights();
    auto enable = [](plat::TToolButton* b, plat::TMenuItem* m, bool on) {
        if (b) b->SetEnabled(on);
        if (m) m->SetEnabled(on);
    };
    enable(btnAdd, miAdd, browsing && top && AddAllowed && (rights & 0x01));
    enable(btnQuery, miQuery, browsing && top && QueryAllowed && (rights & 0x04));
    enable(btnEdit, miEdit, browsing && notEmpty && top && EditAllowed && (rights & 0x02));
    enable(btnDelete, miDelete, browsing && notEmpty && top && DeleteAllowed && (rights & 0x08));
    enable(btnRedact, miRedact, top);
    if (miExit) miExit->SetEnabled(browsing);
}

// ---- form events -------------------------------------------------------------------------

void TfrmSimpleBody::FormShow(plat::TObject* sender) {
    if (StartFailed) {
        Close();
        return;
    }
    TfrmBase::FormShow(sender);
    UpdateButtons();
    GridFit fit(DBGrid);
    FitGridColumns(fit);
    SetMaintainMode(TopEditing() && BodyDataSet->IsEmpty());
    SetWidth(Width() + 2);
    SetWidth(Width() - 2);
    if (DataModule) {
        std::string mask = DataModule->DateFieldEditMask();
        for (int i = 0; i < DBGrid->Columns()->Count(); ++i) {
            plat::TDataGridColumn* column = DBGrid->Columns()->Items(i);
            auto* combo = dynamic_cast<TQvDBComboDlg*>(column->Control());
            if (combo && column->Field() && column->Field()->EditMask() == mask)
                combo->OnExit = plat::TNotifyEvent(static_cast<TfrmBase*>(this),
                                                   &TfrmBase::DateFieldDBComboDlgExit);
        }
    }
}

void TfrmSimpleBody::FormActivate(plat::TObject* sender) {
    if (auto* owner = dynamic_cast<TfrmBase*>(Owner())) {
        uint8_t mode = owner->FormModeValue();
        SetFormMode(mode);
        ShowStateText(static_cast<uint8_t>(mode + 1));
        SetRequiredFields(owner->RequiredFields);
        F11Fields = owner->F11Fields;
    }
    TfrmBase::FormActivate(sender);
}

void TfrmSimpleBody::FormCloseQuery(plat::TObject*, bool& canClose) {
    canClose = true;
    if (BodyEditing()) BodyDataSet->Post();
}

void TfrmSimpleBody::FormDestroy(plat::TObject* sender) {
    TfrmBase::FormDestroy(sender);
    unhookEvents();
}

void TfrmSimpleBody::FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) {
    // While maintaining, the look-up keys work as on every document form.
    if (MaintainMode &&
        (key == plat::VK_F2 || key == plat::VK_F3 || key == plat::VK_F4 || key == plat::VK_F11)) {
        TfrmRadical::FormKeyDown(sender, key, shift);
        return;
    }
    if (key != plat::VK_ESCAPE || !DataModule || !BodyDataSet) return;
    if (BodyDataSet->State() == plat::dsBrowse)
        CloseForm();
    else if (BodyEditing())
        CancelEdit(true);
}

void TfrmSimpleBody::DBGridKeyDown(plat::TObject*, uint16_t& key, plat::TShiftState shift) {
    if (!BodyDataSet) return;
    if (key == plat::VK_DELETE && shift.Contains(plat::TShiftStateItem::ssCtrl) &&
        !DBGrid->ReadOnly()) {
        if (BodyDataSet->Active() && !BodyDataSet->IsEmpty() && Brokers() &&
            Brokers()->ShowMessageCode("C", "000005") == 1)
            BodyDataSet->Delete();
        key = 0;
        return;
    }
    if (key == plat::VK_RETURN && !BodyEditing()) Close();
}

void TfrmSimpleBody::FormKeyPress(plat::TObject* sender, char32_t& key) {
    if (ActiveControl()) TfrmRadical::FormKeyPress(sender, key);
}

void TfrmSimpleBody::FormResize(plat::TObject* sender) {
    TfrmRadical::FormResize(sender);
    ShareStatusRoom();
}

void TfrmSimpleBody::SimpleBodyCustomDlg(plat::TObject* sender) {
    if (!BodyEditing()) return;
    uint16_t key = plat::VK_F2;
    HandleF2Key(key, dynamic_cast<plat::TWinControl*>(sender));
}

// ---- grid display ------------------------------------------------------------------------------

void TfrmSimpleBody::DBGridCalcTitleAttributes(plat::TObject*, plat::TField* field,
                                               plat::TFont* font, plat::TBrush*,
                                               plat::TAlignment&) {
    if (field && (BodyKeyList + ",").find(field->FieldName() + ",") != std::string::npos)
        font->SetColor(plat::RGB(0, 200, 200));
}

void TfrmSimpleBody::DBGridCalcTitleImage(plat::TObject*, plat::TField* field, int& index) {
    auto* module = dynamic_cast<TdmBase*>(DataModule);
    auto* body = dynamic_cast<plat::TClientDataSet*>(BodyDataSet);
    if (!module || !body || !field) return;
    if (module->GetSortField(body) == field) index = module->IsSortAscending(body) ? 0 : 1;
}

void TfrmSimpleBody::DBGridTitleButtonClick(plat::TObject*, const std::string& fieldName) {
    auto* module = dynamic_cast<TdmBase*>(DataModule);
    auto* body = dynamic_cast<plat::TClientDataSet*>(BodyDataSet);
    if (MaintainMode || !module || !body) return;
    module->SortDataSetByField(body, fieldName);
}

}  // namespace ktrb
