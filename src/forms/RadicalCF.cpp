#include "forms/RadicalCF.h"

#include <cctype>

#include "controls/QvDBCustomLookupCombo.h"
#include "controls/QvLookUpComboCommon.h"
#include "dataframe/Connection.h"
#include "dataframe/RadicalCD.h"
#include "dataframe/knlRadical.h"
#include "forms/FormText.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/oleobject.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"
#include "platform/data/datasource.h"
#include "platform/data/field.h"
#include "platform/system/paths.h"
#include "platform/system/system.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/stdctrls.h"
#include "platform/ui/translations.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/MireltaINI.h"
#include "runtime/PropAccess.h"
#include "runtime/Reply.h"

namespace ktrb {

using plat::Variant;

std::vector<std::string> TfrmRadical::HostProgramMarkers = {"SELMOR", "KTRB52"};

namespace {

constexpr const char* kTestSignOn = "DS";
constexpr const char* kPublicEdition = "(公用版)";

// The host's start parameters; a missing one reads as Unassigned.
enum TStartParam { spUser, spCompany, spSignOnKey, spHostWindow, spExtra };

int highBoundOf(const Variant& params) {
    if (!params.IsArray() || params.DimCount() != 1) return -1;
    return params.HighBound(1) - params.LowBound(1);
}

// Element n of a comma list; "" past its end.
std::string itemAt(const std::vector<std::string>& items, size_t n) {
    return n < items.size() ? items[n] : std::string();
}

bool charIs(const std::string& text, size_t position, char c) {
    return position >= 1 && position <= text.size() && text[position - 1] == c;
}

bool isGrid(const plat::TControl* control) {
    return dynamic_cast<const plat::TCustomDataGrid*>(control) ||
           dynamic_cast<const plat::TCustomGrid*>(control);
}

}  // namespace

// ---- creation ---------------------------------------------------------------

TfrmRadical::TfrmRadical(plat::TComponent* owner) : TQVForm(owner) {
    SetName("frmRadical");
    SetCaption("frmRadical");
    SetClientWidth(688);
    SetClientHeight(447);
    closeEvent_ = TCloseEvent(this, &TfrmRadical::FormClose);
    OnCreate = plat::TNotifyEvent(this, &TfrmRadical::FormCreate);
    OnDestroy = plat::TNotifyEvent(this, &TfrmRadical::FormDestroy);
    OnKeyDown = plat::TKeyEvent(this, &TfrmRadical::FormKeyDown);
    OnKeyPress = plat::TKeyPressEvent(this, &TfrmRadical::FormKeyPress);
    OnPaint = plat::TNotifyEvent(this, &TfrmRadical::FormPaint);
    OnResize = plat::TNotifyEvent(this, &TfrmRadical::FormResize);
    OnShow = plat::TNotifyEvent(this, &TfrmRadical::FormShow);
    // An owner frees its forms with a plain delete; hearing of it first lets
    // OnDestroy run while every class of the form still lives.
    if (owner) owner->FreeNotification(this);
}

TfrmRadical::~TfrmRadical() {
    // Deleted without Free: the handlers of this form die with it, and the
    // base window must not raise them afterwards.
    if (OnDestroy.Handle().Object() == static_cast<const void*>(this)) OnDestroy = {};
}

void TfrmRadical::Notification(plat::TComponent* c, plat::TOperation op) {
    TQVForm::Notification(c, op);
    if (op != plat::TOperation::opRemove || !c || c != Owner() || !c->Destroying()) return;
    plat::TNotifyEvent handler = OnDestroy;
    OnDestroy = {};
    plat::SafeCall([&] { handler(this); });
}

void TfrmRadical::FormCreate(plat::TObject* sender) {
    TQVForm::FormCreate(sender);
    brokers_ = new TBrokers(this);
    brokers_->SetName("Brokers");
    ApplyLanguageOnShow = false;
    rights_ = kInitialRightsSet;
    actionRights_ = kInitialActionRights;
    spareText_.clear();
    openMode_ = 0;
    if (!IsHosted()) {
        // A failure to create the host object leaves the form unusable.
        plat::DispatchPtr manager = plat::CreateOleObject("BrannixCenter.Manager");
        brokers_->SetMainObject(Variant(manager));
        try {
            manager->Call("Connect");
            Variant params = plat::VarArrayOf({"QV", kTestSignOn, kTestSignOn, 0, ""});
            StartFailed = !InitializeFromHost(params);
        } catch (const std::exception& e) {
            plat::MessageDialogs().MessageBox(e.what(), "Error!!", plat::MB_ICONERROR);
            StartFailed = true;
        }
    }
    plat::Application->HintPause = 100;
    plat::Application->HintHidePause = 500000;
    for (int i = 0; i < ComponentCount(); ++i)
        if (HasProperty(Components(i), "ImeName")) WriteStrProperty(Components(i), "ImeName", "");
    lookupStage_ = 0;
}

bool TfrmRadical::IsHosted() {
    if (ModuleFileName.empty()) {
        const std::string exe = plat::ExtractFileName(plat::HostProgramFileName());
        const std::string upper = plat::UpperCase(exe);
        for (const std::string& marker : HostProgramMarkers)
            if (upper.find(marker) != std::string::npos) return true;
        ModuleFileName = exe;
        return false;
    }
    // A module named after the running program is the program itself.
    const std::string name = plat::ExtractFileName(ModuleFileName);
    if (name == plat::ExtractFileName(plat::HostProgramFileName())) return false;
    return !plat::SameText(plat::ExtractFileExt(ModuleFileName), ".exe");
}

std::string TfrmRadical::GetProgramIDFromModule() {
    std::string name = plat::ExtractFileName(ModuleFileName);
    // A shared library carries the platform's "lib" prefix in front of the id.
    if (name.size() > 3 && plat::SameText(name.substr(0, 3), "lib") &&
        name.find(".so") != std::string::npos)
        name = name.substr(3);
    size_t dot = name.find('.');
    if (dot == std::string::npos) return {};
    size_t end = dot;
    while (end > 0 && !std::isdigit(static_cast<unsigned char>(name[end - 1]))) --end;
    if (end == 0) return {};
    return plat::UpperCase(name.substr(0, end));
}

void TfrmRadical::GetProgramID(std::string& programID) {
    programID = GetProgramIDFromModule();
}

// ---- start-up ---------------------------------------------------------------

bool TfrmRadical::InitializeFromHost(const Variant& params) {
    HideForm();
    if (IsHosted()) {
        if (highBoundOf(params) < 4) {
            brokers_->ShowMessageCode("E", "000038", {Variant("")});
            plat::PostMessage(Handle(), plat::WM_CLOSE, 0, 0);
        } else {
            ExtraParams = ReplyAt(params, spExtra);
        }
    } else {
        ExtraParams = Variant::CreateArray({0, 0, 0, 0});
    }
    try {
        productID_ = brokers_->GetProductID();
    } catch (const std::exception&) {
        productID_ = 3;
    }
    InitFormSettings();
    // Missing start parameters read as empty: the start goes on to close.
    brokers_->UserID = ReplyText(params, spUser);
    brokers_->CompanyID = ReplyText(params, spCompany);
    brokers_->SignOnKey = ReplyText(params, spSignOnKey);
    std::string programID;
    GetProgramID(programID);
    brokers_->ProgramCode = plat::UpperCase(programID);
    brokers_->AttachSubObjects();
    brokers_->GetSysInfo();
    InitializeAfterConnect();
    ApplyScreenLanguage();
    ApplyDataModuleLanguage();
    std::string edition;
    if (productID_ == 5)
        edition = GetLangMessage("TfrmRadical", "sPublicVer", kPublicEdition, true);
    // The program's and the company's names are the database's texts: the
    // title shows them in the interface's characters.
    auto toUI = [this](const std::string& text) {
        return plat::VarToStr(QvConverter->ConvertToUI(plat::Variant(text)));
    };
    SetCaption(toUI(brokers_->GetProgramName()) + edition + "[" +
               toUI(brokers_->GetSysParam("QRV002")) + "]");
    if (GetSystemCodePage() == "950") QvConverter->ConvertControlText(this);
    ApplyControlSettings();
    HostWindow = static_cast<THandle>(plat::VarToIntDef(ReplyAt(params, spHostWindow), 0));
    const std::string report = plat::Trim(brokers_->GetReportProgram());
    if (!report.empty()) ReportProgram = report;
    SignOn3Copy = brokers_->SignOnKey;
    return true;
}

void TfrmRadical::InitFormSettings() {
    TMireltaIniC settings;
    ProfileFolder = settings.ProfilePath;
    ClientIniFile = settings.IniFileName;
    CreateGifBeforeSendSV = settings.CreateGifBeforeSendSV;
    spareFlag_ = false;
}

void TfrmRadical::InitializeAfterConnect() {
    DateFormatCode = plat::StrToIntDef(brokers_->GetSysParam("SYS001"), 1);
    Sys002Text = brokers_->GetSysParam("SYS002");
    if (!DataModule) return;
    DataModule->Broker = brokers_;
    if (!DataModule->ConnectAppServer()) return;
    brokers_->UserGroup = brokers_->HostParam("USER_GROUP");
    ParseUserRights(brokers_->HostParam("POWER_DATA"), brokers_->HostParam("GROUP_LIST"),
                    brokers_->HostParam("EX_POWER"));
    DataModule->DateLayout = DateFormatCode;
    DataModule->DateSeparator = Sys002Text;
    if (DataModule->AppServer.IsDispatch())
        SqlType = static_cast<uint8_t>(plat::VarToIntDef(
            DataModule->AppServer.AsDispatch()->Call("WhatIs", Variant("SQLTYPE")), 0));
    // The lookup combos reach the lookup server through the module's connection.
    TQvDBCustomLookupCombo::AppServerOf = [](plat::IProviderSource* source) -> Variant {
        if (auto* connection = dynamic_cast<TSocketConnection*>(source))
            return connection->AppServer();
        if (auto* d = dynamic_cast<plat::Dispatch*>(source))
            return Variant(plat::DispatchPtr(d, [](plat::Dispatch*) {}));
        return Variant();
    };
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* combo = dynamic_cast<TQvDBCustomLookupCombo*>(Components(i))) {
            if (!combo->Midas()) combo->SetMidas(DataModule->scLookUpData);
            combo->OnGetBaseClassParam = TGetF2ParamEvent(this, &TfrmRadical::GetBaseClassParam);
            combo->OnSetReturn = TSetReturnEvent(this, &TfrmRadical::SetReturn);
        }
}

void TfrmRadical::ParseUserRights(const std::string& powerData, const std::string& groupList,
                                  const std::string& exPower) {
    auto add = [this](int element) { rights_ |= uint64_t{1} << element; };
    rights_ = 0;
    for (int e = 15; e <= 29; ++e) add(e);
    GroupList = groupList;
    ExPower = exPower;
    if (powerData.empty()) {
        brokers_->ShowMessageCode("E", "000004", {Variant("")});
        return;
    }
    std::vector<std::string> items = SplitText(powerData, ',');
    rights_ = 0;
    for (int e = 0; e <= 14; ++e) add(e);
    const std::string item1 = itemAt(items, 1), item2 = itemAt(items, 2);
    if (item1 == "Y" || item1 == "y") add(30);
    if (item2 == "Y" || item2 == "y") add(31);
    add(37);
    const std::string flags = itemAt(items, 3);
    struct Flag {
        size_t position;
        int yes, r;
    };
    static constexpr Flag kFlags[] = {{2, 38, -1},  {3, 39, -1},  {4, 40, -1}, {5, 41, -1},
                                      {6, 42, -1},  {7, 32, 34},  {8, 33, 35}, {9, 36, -1},
                                      {10, 43, -1}, {11, 44, -1}, {12, 45, -1}};
    for (const Flag& f : kFlags) {
        if (charIs(flags, f.position, 'Y')) add(f.yes);
        if (f.r >= 0 && charIs(flags, f.position, 'R')) add(f.r);
    }
    const std::string group = itemAt(items, 4), others = itemAt(items, 5);
    for (size_t p = 1; p <= 7; ++p) {
        if (charIs(group, p, 'Y')) add(45 + static_cast<int>(p));
        if (charIs(others, p, 'Y')) add(52 + static_cast<int>(p));
    }
}

void TfrmRadical::ApplyScreenLanguage() {
    ConvertFormOnce();
    ApplyFormLanguage(true);
    // File chooser, colour dialog and standard buttons speak the interface's
    // language too.
    const std::string ui = GetUICodePage();
    plat::LoadToolkitTranslations(ui == "936" ? "zh_CN" : ui == "950" ? "zh_TW" : "");
    for (plat::TFont* font :
         {&plat::Screen->IconFont, &plat::Screen->HintFont, &plat::Screen->MenuFont})
        TCodeConverter::SetFontCharset(GetDisplayMode(), font);
    // Hints take the new font only after the switch was turned over.
    plat::Application->ShowHint = !plat::Application->ShowHint;
    plat::Application->ShowHint = !plat::Application->ShowHint;
}

void TfrmRadical::ApplyDataModuleLanguage() {
    if (!DataModule) return;
    DataModule->ApplyLanguageToFields();
    ApplyDescendantLanguage(DataModule, true);
}

TDataModuleClass TfrmRadical::GetDataModuleClass() {
    return {};
}

// ---- show, keys, close ------------------------------------------------------

void TfrmRadical::FormShow(plat::TObject* sender) {
    TQVForm::FormShow(sender);
    if (WindowState() == plat::TWindowState::wsMinimized)
        SetWindowState(plat::TWindowState::wsNormal);
    PrepareOnShow();
    BringToFront();
}

void TfrmRadical::FormKeyDown(plat::TObject*, uint16_t& key, plat::TShiftState shift) {
    plat::TWinControl* active = ActiveControl();
    switch (key) {
        case plat::VK_F1:
            ShowHelp();
            return;
        case plat::VK_F2:
            lookupStage_ = 0;
            HandleF2Key(key, active);
            return;
        case plat::VK_F3:
            HandleF3Key(key, active);
            return;
        case plat::VK_F4:
            HandleF4Key(key, active);
            return;
        case plat::VK_F11:
            HandleF11Key(key, active);
            return;
        default:
            break;
    }
    if (key == 'V' && shift == plat::TShiftState{plat::ssCtrl, plat::ssAlt})
        ShowFileProperties(ModuleFileName);
}

void TfrmRadical::FormKeyPress(plat::TObject*, char32_t& key) {
    if (key != U'\r') return;
    plat::TWinControl* active = ActiveControl();
    if (!active || isGrid(active) || (active->Parent() && isGrid(active->Parent()))) return;
    key = 0;
    plat::SendMessage(Handle(), plat::WM_NEXTDLGCTL, 0, 0);
}

void TfrmRadical::FormResize(plat::TObject*) {
    // The host repaints its own window; nothing to do without one.
}

void TfrmRadical::FormPaint(plat::TObject*) {
    if (StartFailed) Close();
}

void TfrmRadical::FormClose(plat::TObject*, ktrb::TCloseAction&) {
    if (!DataModule) return;
    for (TSocketConnection* connection : {DataModule->MIDAS, DataModule->scLookUpData})
        if (connection && connection->Connected()) connection->Close();
}

void TfrmRadical::FormDestroy(plat::TObject*) {}

void TfrmRadical::DoClose(plat::TCloseAction& action) {
    auto a = static_cast<ktrb::TCloseAction>(action);
    closeEvent_(this, a);
    action = static_cast<plat::TCloseAction>(a);
}

void TfrmRadical::WndProc(plat::TMessage& m) {
    switch (m.Msg) {
        case WM_F2LOOKUP:
        case WM_F3LOOKUP:
        case WM_F4LOOKUP:
        case WM_F11INPUT: {
            auto* control = dynamic_cast<plat::TWinControl*>(plat::ControlOfLParam(m.LParam));
            uint16_t key = m.Msg == WM_F2LOOKUP   ? plat::VK_F2
                           : m.Msg == WM_F3LOOKUP ? plat::VK_F3
                           : m.Msg == WM_F4LOOKUP ? plat::VK_F4
                                                  : plat::VK_F11;
            if (m.Msg == WM_F2LOOKUP) lookupStage_ = 0;
            if (m.Msg == WM_F2LOOKUP) HandleF2Key(key, control);
            if (m.Msg == WM_F3LOOKUP) HandleF3Key(key, control);
            if (m.Msg == WM_F4LOOKUP) HandleF4Key(key, control);
            if (m.Msg == WM_F11INPUT) HandleF11Key(key, control);
            return;
        }
        default:
            TQVForm::WndProc(m);
    }
}

// ---- function keys and help -------------------------------------------------

namespace {
void focusOutsideGrid(plat::TWinControl* control) {
    if (control && !isGrid(control->Parent()) && control->CanFocus()) control->SetFocus();
}
}  // namespace

void TfrmRadical::HandleF2Key(uint16_t&, plat::TWinControl* control) {
    focusOutsideGrid(control);
}
void TfrmRadical::HandleF3Key(uint16_t&, plat::TWinControl* control) {
    focusOutsideGrid(control);
}
void TfrmRadical::HandleF4Key(uint16_t&, plat::TWinControl* control) {
    focusOutsideGrid(control);
}
void TfrmRadical::HandleF11Key(uint16_t&, plat::TWinControl* control) {
    focusOutsideGrid(control);
}

void TfrmRadical::ShowHelp() {
    std::string p;
    GetProgramID(p);
    if (p.size() < 4) return;
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(p[3])));
    std::string prefix;
    if (c == 'I' || c == 'Q')
        prefix = "1";
    else if (c == 'A')
        prefix = "6";
    else if (c == 'M')
        prefix = "8";
    else
        return;
    std::string topic = prefix + (c == 'I' ? "1" : "4") + p.substr(p.size() - 2);
    std::string context;
    GetHelpContext(topic, context);
    brokers_->CallHelp(plat::VarArrayOf({p.substr(0, 3), context}));
}

void TfrmRadical::GetHelpContext(const std::string& topic, std::string& context) {
    context = topic + "0000";
    plat::TWinControl* control = ActiveControl();
    if (!Active() || !control) return;
    // A control's own help topic, where a control publishes one.
    if (std::string own = ReadStrProperty(control, "HelpKeyword"); !own.empty()) {
        context = own;
        return;
    }
    std::string field = ReadStrProperty(control, "DataField");
    plat::TCustomDataGrid* grid = dynamic_cast<plat::TCustomDataGrid*>(control);
    if (!grid) grid = dynamic_cast<plat::TCustomDataGrid*>(control->Parent());
    auto digitAt3 = [](const std::string& f) {
        return f.size() >= 3 && std::isdigit(static_cast<unsigned char>(f[2]));
    };
    if (field.empty() || grid) {
        if (!grid) return;
        plat::TField* selected = grid->SelectedField();
        field = selected ? selected->FieldName() : std::string();
        if (digitAt3(field)) context = topic + "2" + field.substr(2, 3);
        return;
    }
    auto* source = dynamic_cast<plat::TDataSource*>(plat::GetObjectProp(control, "DataSource"));
    if (source && source->DataSet() && source->DataSet()->Name() == "cdsMain" && digitAt3(field))
        context = topic + "1" + field.substr(2, 3);
}

// ---- lookups ----------------------------------------------------------------

void TfrmRadical::GetBaseClassParam(plat::TObject* sender, TInteraParam* param) {
    struct StageGuard {
        uint8_t& stage;
        ~StageGuard() { stage = 0; }
    } guard{lookupStage_};
    lookupStage_ = 1;
    LookupParams = Variant();
    uint16_t key = plat::VK_F2;
    HandleF2Key(key, dynamic_cast<plat::TWinControl*>(sender));
    if (!param) return;
    param->SetParams(LookupParams);
    param->DateFormatType = DateFormatCode;
    param->DateSeparator = Sys002Text;
    param->ShowAmounts = HasRight(TRight::LookupA) || HasRight(TRight::LookupB);
    param->ShowPrices = HasRight(TRight::LookupC) || HasRight(TRight::LookupD);
    param->FastInputEnabled = LookupOption;
    param->ConvertForDisplay =
        TLookupValueEvent([this](Variant& v) { v = QvConverter->ConvertToUI(v); }, this);
    param->ConvertFromDB =
        TLookupValueEvent([this](Variant& v) { v = QvConverter->ConvertDBToUI(v); }, this);
    param->FormCaption = Caption();
    param->CodePage = GetUICodePage();
}

void TfrmRadical::SetReturn(plat::TObject* sender, TInteraParam* param) {
    struct StageGuard {
        uint8_t& stage;
        ~StageGuard() { stage = 0; }
    } guard{lookupStage_};
    lookupStage_ = 2;
    LookupResultValue = param ? param->ReturnValues : Variant();
    uint16_t key = plat::VK_F2;
    HandleF2Key(key, dynamic_cast<plat::TWinControl*>(sender));
}

int TfrmRadical::OpenProgram(const std::string& programCode, const std::string& condition) {
    Variant options = plat::VarArrayOf({0, 0, Variant()});
    Variant output;
    return brokers_->RunJobProgram(programCode, Variant(condition), options, output, true);
}

void TfrmRadical::GetProgramInfo(const std::string& programID, plat::Variant& info) {
    TProgramMasterRow row = brokers_->QueryProgramMaster(programID);
    info = plat::VarArrayOf({row.Name, row.Found, row.Flag12, row.Flag13});
}

// ---- code pages -------------------------------------------------------------

void TfrmRadical::ConvertVariant(int direction, const Variant& value, Variant& result) {
    result = QvConverter->ConvertVariant(direction, value);
}
void TfrmRadical::ConvertDBToUI(const Variant& value, Variant& result) {
    result = QvConverter->ConvertDBToUI(value);
}
void TfrmRadical::ConvertByDisplayMode(const Variant& value, Variant& result) {
    result = QvConverter->ConvertToUI(value);
}
void TfrmRadical::RevertByDisplayMode(const Variant& value, Variant& result) {
    result = QvConverter->ConvertFromUI(value);
}
Variant TfrmRadical::ConvertByDisplayMode(const Variant& value) {
    return QvConverter->ConvertToUI(value);
}
Variant TfrmRadical::RevertByDisplayMode(const Variant& value) {
    return QvConverter->ConvertFromUI(value);
}

// ---- field operations -------------------------------------------------------

void TfrmRadical::PickDate(plat::TField* field) {
    if (!field) return;
    plat::TDateTime start = 0;
    if (!field->IsNull()) {
        if (field->DataType() == plat::TFieldType::ftDate ||
            field->DataType() == plat::TFieldType::ftDateTime)
            start = field->AsDateTime();
        else
            start = YmdToDate(field->AsString());
    }
    if (start == 0) start = plat::Date();
    std::string answer =
        brokers_->ShowInputDay(DateFormatCode >= 4, plat::FormatDateTime("yyyymmdd", start));
    if (!answer.empty()) field->SetAsString(answer);
}

void TfrmRadical::PickPhrase(plat::TField* field) {
    if (!field) return;
    std::string answer = brokers_->GetPhrase2(field->AsString());
    if (!answer.empty()) SetFieldText(field, answer);
}

void TfrmRadical::OpenLookup(plat::TField* field, const std::string& tableName,
                             const Variant& params, const std::string& queryNo) {
    OpenLookupEx(field, field ? field->FieldName() : std::string(), false, false, params, queryNo,
                 tableName);
}

bool TfrmRadical::OpenLookupEx(plat::TField* field, const std::string& targetFields, bool option1,
                               bool option2, const Variant& params, const std::string& queryNo,
                               const std::string& tableName) {
    if (!field) return false;
    try {
        const std::string targets = targetFields.empty() ? field->FieldName() : targetFields;
        auto* edit = dynamic_cast<plat::TCustomEdit*>(ActiveControl());
        std::string current;
        if (edit) {
            current = edit->Text();
            if (field->DataType() == plat::TFieldType::ftFloat)
                current = plat::StringReplace(current, ",", "", plat::ReplaceFlags::All);
        } else {
            current = field->AsString();
        }
        TLookupRequest request;
        request.A = Variant(tableName);
        request.B = Variant(queryNo);
        request.Value = params;
        request.Bool1 = option1;
        request.Bool2 = option2;
        request.Handle = Handle();
        request.Text1 = current;
        Variant answer = brokers_->F2GetData(request);
        if (!answer.IsArray() || answer.ArrayCount() == 0) return false;
        plat::TDataSet* dataSet = field->DataSet();
        const std::vector<std::string> names = SplitText(targets, ',');
        bool selected = false;
        for (int r = answer.LowBound(1); r <= answer.HighBound(1); ++r) {
            if (r > answer.LowBound(1)) {
                dataSet->Post();
                dataSet->Append();
            }
            const Variant& row = answer[r];
            if (!row.IsArray()) continue;
            for (int i = 0; i + row.LowBound(1) <= row.HighBound(1) && i < (int)names.size(); ++i) {
                plat::TField* target = names[i].empty() ? nullptr : dataSet->FindField(names[i]);
                if (!target) continue;
                const std::string text = plat::VarToStr(row[row.LowBound(1) + i]);
                if (edit && !selected && target == field) {
                    edit->SetText(text);
                    edit->SelectAll();
                    selected = true;
                }
                SetFieldText(target, text);
            }
        }
        return true;
    } catch (const std::exception& e) {
        WriteAlertLog("Class RadicalCF-461", e.what(), "D");
        throw;
    }
}

void TfrmRadical::RebindDataSource(plat::TDataSource* dataSource) {
    if (!dataSource) return;
    for (int i = 0; i < ComponentCount(); ++i) {
        plat::TComponent* c = Components(i);
        if (!HasProperty(c, "DataSource")) continue;
        auto* current = dynamic_cast<plat::TComponent*>(plat::GetObjectProp(c, "DataSource"));
        if (current && current != dataSource && plat::SameText(current->Name(), dataSource->Name()))
            plat::SetObjectProp(c, "DataSource", dataSource);
    }
}

void TfrmRadical::PackToolButtons(plat::TToolBar* toolBar) {
    if (!toolBar) return;
    int left = 0;
    for (int i = 0; i < toolBar->ButtonCount(); ++i) {
        plat::TToolButton* b = toolBar->Buttons(i);
        if (!b->Visible()) continue;
        b->SetLeft(left);
        left = b->Left() + b->Width();
    }
}

// ---- the form as the controller sees it -------------------------------------

bool TfrmRadical::FormVisible() const {
    return Visible();
}
void TfrmRadical::ShowForm() {
    if (WindowState() == plat::TWindowState::wsMinimized)
        SetWindowState(plat::TWindowState::wsNormal);
    Show();
    BringToFront();
}
void TfrmRadical::HideForm() {
    Hide();
}
THandle TfrmRadical::FormHandle() {
    return Handle();
}
std::string TfrmRadical::FormCaption() const {
    return Caption();
}
int TfrmRadical::ShowFormModal() {
    return ShowModal();
}
void TfrmRadical::FreeForm() {
    Free();
}
std::string TfrmRadical::VersionText() const {
    return versionText_;
}
int TfrmRadical::ShowMessageBox(const std::string& text, TMsgDlgType type,
                                const TMsgDlgButtons& buttons) {
    return TQVForm::ShowMessageBox(text, type, buttons);
}
int TfrmRadical::RunMessageDialog(const TMessageDialogSpec& dialog) {
    ICodeConverterUi* ui = CodeConverterUi();
    return ui ? ui->RunMessageDialog(this, dialog) : modal::None;
}
void TfrmRadical::Beep() {
    plat::Application->Beep();
}

}  // namespace ktrb
