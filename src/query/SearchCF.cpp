#include "query/SearchCF.h"

#include <cmath>

#include "controls/F2Button.h"
#include "controls/FDBGrid.h"
#include "controls/QvLookUpComboCommon.h"
#include "controls/WindowDesign.h"
#include "dataframe/Connection.h"
#include "dataframe/RadicalCD.h"
#include "platform/automation/oleobject.h"
#include "platform/core/format.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/system/system.h"
#include "platform/ui/buttons.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/imglist.h"
#include "platform/ui/menus.h"
#include "runtime/LanguageController.h"
#include "runtime/LibStrs.h"
#include "runtime/MireltaINI.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::TFieldType;
using plat::Variant;

namespace {

constexpr const char* kCounterServer = "TallikC.Class1";
constexpr const char* kPackage = "TfrmSearch";
constexpr plat::TColor kGridColor = 0xECFFFB;
constexpr plat::TColor kEvenRowColor = 0xE7F9CE;
constexpr plat::TColor kActiveRowColor = 0x808000;
constexpr plat::TColor kMarkedTitleColor = 0xAFFFFF;  // RGB(255, 255, 175)
// Held rows are dropped at this count before the next packet comes.
constexpr int kHeldRowLimit = 1000;
constexpr int kPacketRows = 20;

std::string withoutLineBreaks(std::string s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

bool isStringField(const TField* f) {
    TFieldType t = f->DataType();
    return t == TFieldType::ftString || t == TFieldType::ftFixedChar ||
           t == TFieldType::ftWideString;
}

// The request of the lookup server: 11 elements.
Variant lookupRequest(const Variant& table, const Variant& kind, const Variant& params,
                      const std::string& database, int productID, const std::string& baseLimited) {
    Variant r = Variant::CreateArray({0, 10});
    r[0] = table;
    r[1] = kind;
    r[2] = params;
    r[3] = 1;
    r[4] = std::string();
    r[5] = database;
    r[6] = productID;
    r[7] = std::string();
    r[8] = std::string();
    r[9] = std::string();
    r[10] = baseLimited;
    return r;
}

// Half to the even neighbour.
int roundHalfEven(double v) {
    return (int)std::nearbyint(v);
}

using namespace design;
using F = TfrmSearch;

// The tool bar: the move buttons on the left, the exit button on the right.
const Control kToolBar[] = {
    {"ToolBar1", Field<&F::ToolBar1>, "", {0, 0, 0, 22}, "", plat::TAlign::alTop},
    {"Panel1", Field<&F::Panel1>, "ToolBar1", {0, 0, 92, 0}, "", plat::TAlign::alLeft},
    {"Panel2", Field<&F::Panel2>, "ToolBar1", {0, 0, 71, 0}, "", plat::TAlign::alRight},
};
// The move buttons, one beside the other, and the exit.
const Control kButtons[] = {
    {"btnFirst", Field<&F::btnFirst>, "Panel1", {0, 0, 23, 22}},
    {"btnPrior", Field<&F::btnPrior>, "Panel1", {23, 0, 23, 22}},
    {"btnNext", Field<&F::btnNext>, "Panel1", {46, 0, 23, 22}},
    {"btnLast", Field<&F::btnLast>, "Panel1", {69, 0, 23, 22}},
    {"btnOK", Field<&F::btnOK>, "Panel2", {0, 0, 70, 22}, "退出"},
};
// The lines under the documents, split from them.
const Control kGrids[] = {
    {"gdbody", Field<&F::gdbody>, "", {0, 0, 0, 126}, nullptr, plat::TAlign::alBottom},
    {"Splitter1", Field<&F::Splitter1>, "", {0, 0, 0, 3}, nullptr, plat::TAlign::alBottom},
    {"gdMain", Field<&F::gdMain>, "", {}, nullptr, plat::TAlign::alClient},
};

// The grids' view formats.
const Item kPopup[] = {
    {"PopupMenu1", Field<&F::PopupMenu1>},
    {"SetGridSetting1", Field<&F::SetGridSetting1>, "PopupMenu1", "保存检视格式(&S)", -1,
     On<&F::SetGridSetting1Click>},
    {"GetGridSetting1", Field<&F::GetGridSetting1>, "PopupMenu1", "重取检视格式(&R)", -1,
     On<&F::GetGridSetting1Click>},
    {"N1", Field<&F::N1>, "PopupMenu1", "删除检视格式(&D)", -1, nullptr, nullptr, false},
};

const Handler kEvents[] = {
    {"btnFirst", "OnClick", On<&F::btnFirstClick>},
    {"btnPrior", "OnClick", On<&F::btnPriorClick>},
    {"btnNext", "OnClick", On<&F::btnNextClick>},
    {"btnLast", "OnClick", On<&F::btnLastClick>},
    {"btnOK", "OnClick", On<&F::btnOKClick>},
    {"gdMain", "OnCalcTitleAttributes", On<&F::gdMainCalcTitleAttributes>},
    {"gdbody", "OnCalcTitleAttributes", On<&F::gdMainCalcTitleAttributes>},
    {"gdMain", "OnKeyPress", On<&F::gdMainKeyPress>},
    {"gdbody", "OnKeyPress", On<&F::gdMainKeyPress>},
    {"gdMain", "OnCalcCellColors", On<&F::gdMainCalcCellColors>},
    {"gdbody", "OnCalcCellColors", On<&F::gdbodyCalcCellColors>},
    {"gdMain", "OnDblClick", On<&F::gdMainDblClick>},
    {"gdbody", "OnDblClick", On<&F::gdbodyDblClick>},
    {"", "OnActivate", On<&F::FormActivate>},
    {"", "OnCanResize", On<&F::FormCanResize>},
    {"", "OnClose", On<&F::FormClose>},
    {"", "OnCreate", On<&F::FormCreate>},
    {"", "OnKeyDown", On<&F::FormKeyDown>},
    {"", "OnShow", On<&F::FormShow>},
};

}  // namespace

// ---- construction -------------------------------------------------------------

TfrmSearch::TfrmSearch(plat::TComponent* owner) : TQVForm(owner) {
    using namespace plat;
    SetName("frmSearch");
    SetCaption("查询窗口");
    SetWidth(605);
    SetHeight(321);
    Font()->SetName("宋体");
    Font()->SetHeight(-13);
    SetKeyPreview(true);
    Position = TPosition::poScreenCenter;
    SetShowHint(true);

    Build(this, kToolBar);
    for (TPanel* p : {ToolBar1, Panel1, Panel2}) p->SetBevelOuter(TBevelCut::bvNone);

    Build(this, kButtons);
    const std::pair<TF2Button*, int> glyphs[] = {
        {btnFirst, 30}, {btnPrior, 28}, {btnNext, 29}, {btnLast, 31}};
    for (auto [b, glyph] : glyphs) {
        b->SetAutoAlign(false);
        b->SetFlat(true);
        b->SetNumGlyphs(2);
        b->SetGlyphIndex(glyph);
    }

    ImageList1 = new TImageList(this);
    ImageList1->SetName("ImageList1");
    ImageList1->SetWidth(18);
    ImageList1->SetHeight(18);

    Build(this, kPopup);

    MIDAS1 = new TSocketConnection(this);
    MIDAS1->SetName("MIDAS1");
    MIDAS2 = new TSocketConnection(this);
    MIDAS2->SetName("MIDAS2");
    for (TSocketConnection* c : {MIDAS1, MIDAS2}) {
        c->ServerName = kLookupServerProgID;
        c->SetAddress("127.0.0.1");
        c->SupportCallbacks = false;
    }
    // Object brokers of the design, never attached to the connections.
    for (const char* name : {"SOB", "SOBbody"}) (new TSimpleObjectBroker(this))->SetName(name);
    cdsMain = new TwwClientDataSet(this);
    cdsMain->SetName("cdsMain");
    cdsbody = new TwwClientDataSet(this);
    cdsbody->SetName("cdsbody");
    for (TwwClientDataSet* ds : {cdsMain, cdsbody}) {
        ds->SetProviderName("pvdDravoc");
        ds->PacketRecords = kPacketRows;
        ds->FetchOnDemand = false;
    }
    cdsMain->BeforeScroll = TDataSetNotifyEvent(this, &TfrmSearch::cdsMainBeforeScroll);
    cdsMain->AfterScroll = TDataSetNotifyEvent(this, &TfrmSearch::cdsMainAfterScroll);
    cdsbody->BeforeScroll = TDataSetNotifyEvent(this, &TfrmSearch::cdsbodyBeforeScroll);
    dsMain = new TwwDataSource(this);
    dsMain->SetName("dsMain");
    dsMain->SetDataSet(cdsMain);
    dsbody = new TwwDataSource(this);
    dsbody->SetName("dsbody");
    dsbody->SetDataSet(cdsbody);

    Build(this, kGrids);
    for (TFDBGrid* g : {gdMain, gdbody}) {
        g->SetColor(kGridColor);
        g->SetOptions({TDataGridOption::dgRowSelect, TDataGridOption::dgAlwaysShowSelection,
                       TDataGridOption::dgTitles, TDataGridOption::dgIndicator,
                       TDataGridOption::dgColumnResize, TDataGridOption::dgColLines,
                       TDataGridOption::dgRowLines, TDataGridOption::dgWordWrap,
                       TDataGridOption::dgConfirmDelete});
        g->SetKeyOptions({TDataGridKeyOption::dgAllowDelete});
        g->SetReadOnly(true);
        g->SetPopupMenu(PopupMenu1);
    }
    gdMain->SetDataSource(dsMain);
    gdbody->SetDataSource(dsbody);
    Connect(this, kEvents);
}

TfrmSearch::~TfrmSearch() = default;

void TfrmSearch::FormCreate(plat::TObject* sender) {
    TQVForm::FormCreate(sender);
    Broker = new TBrokers(this);
    cdsMain->SetRemoteServer(MIDAS1);
    cdsbody->SetRemoteServer(MIDAS2);
    std::string address;
    int port = kDefaultServerPort;
    {
        TMireltaIniC settings;
        if (settings.ErrorCode.empty() && settings.Servers.IsArray() &&
            settings.Servers.HighBound(2) >= settings.Servers.LowBound(2)) {
            int k = settings.Servers.LowBound(2);
            address = plat::VarToStr(settings.Servers.At(0, k));
            port = (int)plat::VarToIntDef(settings.Servers.At(1, k), kDefaultServerPort);
        }
    }
    for (TSocketConnection* c : {MIDAS1, MIDAS2}) {
        c->SetAddress(address);
        c->SetPort(port);
        c->SetObjectBroker(nullptr);
    }
}

// ---- execution ----------------------------------------------------------------

Variant TfrmSearch::callLookup(const Variant& server, Variant& request, Variant& reply) {
    plat::DispatchPtr object = server.IsDispatch() ? server.AsDispatch() : nullptr;
    if (!object) throw plat::Exception("SearchCF-101: the lookup server is not connected");
    Variant wideRequest = VarToWideCP(request, 936);
    Variant wideReply = VarToWideCP(reply, 936);
    Variant result = object->Call("GetF2Data", wideRequest, wideReply);
    request = VarToAnsiCP(wideRequest, 936);
    reply = VarToAnsiCP(wideReply, 936);
    return result;
}

void TfrmSearch::connect(TSocketConnection* connection, Variant& server) {
    if (!connection->Connected()) {
        if (IsLocalAddress(connection->Address())) {
            connection->SetAppServer(plat::CreateOleObject(kLookupServerProgID));
        } else {
            connection->Open();
            // A remote server answers look-ups only to a signed-on session.
            plat::DispatchPtr lookups = connection->AppServer().AsDispatch();
            if (lookups && Broker) lookups->Call("Connect", Broker->SignOnParams(true));
        }
    }
    server = connection->AppServer();
}

void TfrmSearch::showError(const std::string& text, plat::TMsgDlgType type) {
    const std::string shown = QvConverter->ConvertToUI(Variant(text)).AsString();
    if (CodeConverterUi()) {
        ShowMessageBox(shown, type, {TMsgDlgBtn::mbOK});
        return;
    }
    // No converter dialogs installed: the platform's own message box, so
    // that the text is never lost.
    plat::MessageRequest request;
    request.Text = shown;
    request.Caption = Caption();
    request.Type = type;
    plat::MessageDialogs().Show(request);
}

Variant TfrmSearch::Execute(TBrokers* broker, const Variant& mainTable, const Variant& mainKind,
                            const Variant& mainParams, const Variant& bodyTable,
                            const Variant& bodyKind, const Variant& bodyParams,
                            const std::string& linkField, const std::string& computeKinds,
                            int productID, const std::string& baseLimited) {
    MainTable = plat::VarToStr(mainTable);
    MainKind = plat::VarToStr(mainKind);
    if (WindowState() == plat::TWindowState::wsMinimized)
        SetWindowState(plat::TWindowState::wsNormal);
    Broker = broker;
    ConvertFormOnce();
    LinkField = linkField;
    openFailed_ = false;

    const std::string database = Broker ? Broker->SignOnKey : std::string();
    mainRequest_ = lookupRequest(mainTable, mainKind, mainParams, database, productID, baseLimited);
    connect(MIDAS1, MainServer);
    HasBody = !(bodyTable.IsText() && bodyTable.RawText().empty()) && !bodyTable.IsEmptyOrNull();
    gdbody->SetVisible(HasBody);
    Splitter1->SetVisible(HasBody);
    if (HasBody) {
        bodyRequest_ =
            lookupRequest(bodyTable, bodyKind, bodyParams, database, productID, baseLimited);
        connect(MIDAS2, BodyServer);
    }

    Variant mainReply, bodyReply;
    {
        plat::TCursorGuard hourGlass(plat::crHourGlass);
        Variant request = mainRequest_;
        bool ok = callLookup(MainServer, request, mainReply).AsBoolean();
        if (HasBody) {
            Variant body = bodyRequest_;
            ok = callLookup(BodyServer, body, bodyReply).AsBoolean() && ok;
        }
        if (!ok) {
            SetCaption("");
            showError(LangMessage(false, kPackage, "SearchCF0", "开窗种类指定错误"),
                      plat::TMsgDlgType::mtError);
            return Variant();
        }
        bool rows = OpenLookupData();
        if (!rows && !openFailed_) {
            RequestAllRows(MainServer, mainRequest_, mainReply);
            // The body's repeat goes to the body's own server, whose rows
            // cdsbody reads.
            if (HasBody) RequestAllRows(BodyServer, bodyRequest_, bodyReply);
            rows = OpenLookupData();
        }
        if (openFailed_) {
            SetCaption("");
            return Variant();
        }
        if (!rows) {
            SetCaption("");
            showError(LangMessage(false, kPackage, "SearchCF1", "没有任何符合的信息."),
                      plat::TMsgDlgType::mtInformation);
            return Variant();
        }
    }
    ApplyDefinition(plat::VarToStr(mainReply), gdMain, cdsMain);
    if (HasBody) ApplyDefinition(plat::VarToStr(bodyReply), gdbody, cdsbody);
    ApplyComputedColumns(computeKinds);
    PrepareFieldTexts();
    ShowModal();
    return Variant();
}

bool TfrmSearch::OpenLookupData() {
    CloseLookupData();
    try {
        cdsMain->Open();
        if (HasBody) cdsbody->Open();
    } catch (const std::exception& e) {
        // A window over rows that could not be read would look like an empty
        // answer: the error is told and the window stays closed.
        openFailed_ = true;
        showError(e.what(), plat::TMsgDlgType::mtError);
        return false;
    }
    return !(cdsMain->Bof() && cdsMain->Eof());
}

void TfrmSearch::CloseLookupData() {
    cdsMain->Close();
    cdsbody->Close();
}

void TfrmSearch::RequestAllRows(const Variant& server, const Variant& request, Variant& reply) {
    Variant all = request;
    if (all.IsArray() && all.HighBound() >= 4) {
        all[3] = 0;
        all[4] = std::string(" ");
    }
    callLookup(server, all, reply);
}

// ---- definition -----------------------------------------------------------------

void TfrmSearch::ApplyDefinition(const std::string& definition, TFDBGrid* grid, TDataSet* dataSet) {
    plat::TStringList sections;
    ParseReplyLines(SelectLanguageSection(definition, GetUICodePage()), sections);
    LoadDateSettings();
    const std::string display = withoutLineBreaks(sections.Values("DISPLAY"));
    const std::string money = withoutLineBreaks(sections.Values("MONEYFIELDS"));
    const std::string prices = withoutLineBreaks(sections.Values("PRICEFIELDS"));
    const std::string rightsProgram = withoutLineBreaks(sections.Values("PMID"));
    std::string& links = grid == gdMain ? MainLinks : BodyLinks;
    links = sections.Values("LINK");
    if (!links.empty()) grid->SetCursor(plat::crHandPoint);
    ApplyDisplayColumns(display, grid, dataSet);
    LoadPriceAmountRights(rightsProgram);
    CreateMapCombos(sections);
    if (!PriceVisible) HideFields(grid->DataSet(), prices);
    if (!AmountVisible) HideFields(grid->DataSet(), money);
    RebuildColumns(grid);
}

void TfrmSearch::ApplyDisplayColumns(const std::string& display, TFDBGrid* grid,
                                     TDataSet* dataSet) {
    const int f = std::max(1, grid->Font()->Size() - 1);
    int total = 0;
    std::string rest = display;
    int count = dataSet->FieldCount();
    for (int i = 0; i < count && !rest.empty(); ++i) {
        TField* field = dataSet->Fields()[i];
        std::string entry = CutToken(rest, ";");
        std::string caption = CutToken(entry, "$");
        const std::string kind = plat::Trim(entry);
        if (plat::Trim(caption).empty()) {
            field->SetVisible(false);
            continue;
        }
        field->SetDisplayLabel(caption);
        int w = std::max(field->Size(), plat::TextWidth(caption));
        if (w >= 200) w = 40;
        field->SetDisplayWidth(w + 1);
        const std::string name = field->FieldName();
        if (kind == "D") {
            field->OnGetText = plat::TFieldGetTextEvent(this, &TfrmSearch::DateFieldGetText);
            field->SetDisplayWidth(10);
            DateFields += "," + name;
        } else if (kind == "Y") {
            field->OnGetText = plat::TFieldGetTextEvent(this, &TfrmSearch::YearFieldGetText);
            field->SetDisplayWidth(6);
        } else if (kind == "YM") {
            field->OnGetText = plat::TFieldGetTextEvent(this, &TfrmSearch::YearMonthFieldGetText);
            field->SetDisplayWidth(8);
        } else if (kind == "%") {
            field->OnGetText = plat::TFieldGetTextEvent(this, &TfrmSearch::PercentFieldGetText);
            field->SetDisplayWidth(8);
        } else if (kind == "C") {
            MarkedFields += "," + name;
        } else if (kind == "L") {
            checkFields_.push_back(name);
        }
        total += field->DisplayWidth() * f;
    }
    if (count > 0 && 2 * count + total < grid->Width()) {
        int e = roundHalfEven((double)(grid->Width() - total - 10) / count / f);
        if (e > 0)
            for (TField* field : dataSet->Fields())
                field->SetDisplayWidth(field->DisplayWidth() + e);
    }
}

void TfrmSearch::CreateMapCombos(const plat::TStringList& sections) {
    for (int i = 0; i < sections.Count(); ++i) {
        const std::string section = sections.Names(i);
        if (plat::UpperCase(section).rfind("MAP", 0) != 0) continue;
        std::string field = plat::Trim(section.substr(3)).substr(0, 30);
        if (field.empty()) continue;
        // A second definition mapping the same field takes over the combo.
        const std::string name = "wwdbCombo" + field;
        auto* combo = dynamic_cast<plat::TDBComboBox*>(FindComponent(name));
        if (!combo) {
            combo = new plat::TDBComboBox(this);
            combo->SetName(name);
            combo->SetParent(gdMain);
            combo->SetVisible(false);
            combo->SetStyle(plat::TComboBoxStyle::csDropDownList);
            combo->SetMapList(true);
            combo->SetDataSource(dsMain);
            combo->SetDataField(field);
        }
        std::string body = QvConverter->ConvertToUI(Variant(sections.ValueFromIndex(i))).AsString();
        combo->Items()->SetText(body);
        MappedField map{field, {}};
        plat::TStringList lines;
        lines.SetText(body);
        for (int k = 0; k < lines.Count(); ++k) {
            const std::string& line = lines[k];
            size_t tab = line.find('\t');
            if (tab == std::string::npos) continue;
            map.items.emplace_back(line.substr(0, tab), line.substr(tab + 1));
        }
        std::erase_if(maps_, [&](const MappedField& m) { return plat::SameText(m.field, field); });
        maps_.push_back(std::move(map));
        // The grid shows the stored value as the combo's text for it.
        if (TField* target = cdsMain->FindField(field)) {
            target->OnGetText = plat::TFieldGetTextEvent(
                [this, field](TField* fld, std::string& text, bool) {
                    text = fld->AsString();
                    for (const MappedField& m : maps_) {
                        if (!plat::SameText(m.field, field)) continue;
                        for (const auto& [shown, stored] : m.items)
                            if (stored == text) {
                                text = shown;
                                return;
                            }
                    }
                },
                this);
        }
    }
}

void TfrmSearch::HideFields(TDataSet* dataSet, const std::string& list) {
    if (!dataSet) return;
    std::string rest = list;
    while (!rest.empty()) {
        std::string name = plat::Trim(CutToken(rest, ","));
        if (TField* f = dataSet->FindField(name)) f->SetVisible(false);
    }
}

void TfrmSearch::RebuildColumns(TFDBGrid* grid) {
    TDataSet* ds = grid->DataSet();
    if (!ds || !ds->Active()) return;
    plat::TDataGridColumns* columns = grid->Columns();
    columns->Clear();
    for (TField* f : ds->Fields()) {
        if (!f->Visible()) continue;
        plat::TDataGridColumn* c = columns->Add();
        c->SetFieldName(f->FieldName());
        c->SetTitleAlignment(plat::TAlignment::taCenter);
        for (const std::string& name : checkFields_)
            if (plat::SameText(name, f->FieldName()) && ds->FindField(name) == f) {
                c->SetControlType(plat::TColumnControlType::ctCheckBox);
                c->SetCheckValues("Y;N");
            }
        if (grid == gdMain)
            if (auto* combo =
                    dynamic_cast<plat::TDBComboBox*>(FindComponent("wwdbCombo" + f->FieldName())))
                c->SetControl(combo);
    }
}

void TfrmSearch::LoadDateSettings() {
    plat::TStringList values;
    try {
        plat::DispatchPtr counter = plat::CreateOleObject(kCounterServer);
        if (counter) {
            Variant info = counter->Call("GetSysInfo", Variant(Broker ? Broker->CompanyID : ""));
            if (info.IsArray() && info.DimCount() == 2)
                for (int k = info.LowBound(2); k <= info.HighBound(2); ++k)
                    values.Add(plat::VarToStr(info.At(info.LowBound(1), k)) + "=" +
                               plat::VarToStr(info.At(info.LowBound(1) + 1, k)));
        }
    } catch (const std::exception&) {
        // Without the counter the dates show in the default layout.
    }
    DateFormatCode = (int)plat::StrToIntDef(values.Values("SYS001"), 1);
    DateSeparator = values.Values("SYS002");
}

void TfrmSearch::PrepareFieldTexts() {
    ConvertFieldLabels();
}

void TfrmSearch::ConvertFieldLabels() {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* ds = dynamic_cast<plat::TClientDataSet*>(Components(i));
        if (!ds) continue;
        ds->DisableControls();
        for (TField* f : ds->Fields()) {
            f->SetDisplayLabel(QvConverter->ConvertToUI(Variant(f->DisplayLabel())).AsString());
            if (!isStringField(f)) continue;
            if (!f->OnGetText)
                f->OnGetText = plat::TFieldGetTextEvent(this, &TfrmSearch::StringFieldGetText);
            if (!f->OnSetText)
                f->OnSetText = plat::TFieldSetTextEvent(this, &TfrmSearch::StringFieldSetText);
        }
        ds->EnableControls();
    }
}

// ---- field texts ----------------------------------------------------------------

void TfrmSearch::DateFieldGetText(TField* field, std::string& text, bool) {
    text.clear();
    if (field->IsNull()) return;
    TFieldType t = field->DataType();
    if (t == TFieldType::ftDate || t == TFieldType::ftDateTime)
        text = DateToText(DateFormatCode, DateSeparator, field->AsDateTime());
    else
        text = DateToText(DateFormatCode, DateSeparator, YmdToDate(field->AsString()));
}

void TfrmSearch::YearFieldGetText(TField* field, std::string& text, bool) {
    text.clear();
    if (field->IsNull()) return;
    const std::string value = plat::Trim(field->AsString());
    if (value.empty()) return;
    const std::string y = value.substr(0, 4);
    if (y <= "0" || DateFormatCode <= 0) return;
    int year = 0;
    if (!plat::TryStrToInt(y, year)) return;
    switch (DateFormatCode) {
        case 1:
        case 2:
        case 3:
            text = ZeroPad(4, year);
            break;
        case 4:
            text = std::to_string(year - 1911);
            break;
        case 5:
            text = ZeroPad(3, year - 1911);
            break;
        default:
            break;
    }
}

void TfrmSearch::YearMonthFieldGetText(TField* field, std::string& text, bool) {
    text.clear();
    if (field->IsNull()) return;
    const std::string value = field->AsString();
    const std::string y = value.substr(0, 4);
    const std::string m = value.size() > 4 ? value.substr(4, 2) : std::string();
    if (y <= "0" || m <= "0" || DateFormatCode <= 0) return;
    int year = 0;
    if (!plat::TryStrToInt(y, year)) return;
    const std::string& sep = DateSeparator;
    switch (DateFormatCode) {
        case 1:
            text = ZeroPad(4, year) + sep + m;
            break;
        case 2:
        case 3:
            text = m + sep + ZeroPad(4, year);
            break;
        case 4:
            text = std::to_string(year - 1911) + sep + m;
            break;
        case 5:
            text = ZeroPad(3, year - 1911) + sep + m;
            break;
        default:
            break;
    }
}

void TfrmSearch::PercentFieldGetText(TField* field, std::string& text, bool) {
    text.clear();
    if (field->IsNull()) return;
    text = plat::Format("%3.2f%%", {Variant(field->AsFloat() * 100)});
}

void TfrmSearch::StringFieldGetText(TField* field, std::string& text, bool) {
    text = QvConverter->ConvertToUI(Variant(field->AsString())).AsString();
}

void TfrmSearch::StringFieldSetText(TField* field, const std::string& text) {
    field->SetAsString(QvConverter->ConvertFromUI(Variant(text)).AsString());
}

// ---- paging -------------------------------------------------------------------

bool TfrmSearch::fetchAtEnd(TDataSet* dataSet) {
    auto* ds = static_cast<plat::TClientDataSet*>(dataSet);
    // Nothing is dropped when no further row could take the place of the
    // rows held.
    if (ds->AllFetched()) return false;
    if (ds->RecordCount() >= kHeldRowLimit) ds->DiscardFetchedRows();
    return ds->GetNextPacket() > 0;
}

void TfrmSearch::btnFirstClick(plat::TObject*) {
    cdsMain->First();
}

void TfrmSearch::btnPriorClick(plat::TObject*) {
    cdsMain->Prior();
}

void TfrmSearch::btnNextClick(plat::TObject*) {
    cdsMain->Next();
}

void TfrmSearch::btnLastClick(plat::TObject*) {
    if (!cdsMain->Eof())
        cdsMain->Last();
    else
        fetchAtEnd(cdsMain);
}

void TfrmSearch::cdsMainBeforeScroll(TDataSet* dataSet) {
    if (recomputing_ || !dataSet->Eof()) return;
    if (!fetchAtEnd(dataSet)) return;
    if (ComputeKind != "ORDB15" && ComputeKind != "ORDB16" && ComputeKind != "ORDB18" &&
        ComputeKind != "STKB31")
        return;
    // The walk scrolls the rows again: this handler stays out of it.
    struct Guard {
        TfrmSearch* form;
        TDataSet* ds;
        Guard(TfrmSearch* f, TDataSet* d) : form(f), ds(d) {
            form->recomputing_ = true;
            ds->DisableControls();
        }
        ~Guard() {
            ds->EnableControls();
            form->recomputing_ = false;
        }
    } guard(this, dataSet);
    ApplyComputedColumns(ComputeKind);
}

void TfrmSearch::cdsbodyBeforeScroll(TDataSet* dataSet) {
    if (dataSet->Eof()) fetchAtEnd(dataSet);
}

void TfrmSearch::cdsMainAfterScroll(TDataSet*) {
    if (!HasBody || !cdsbody->Active()) return;
    TField* link = cdsMain->FindField(LinkField);
    cdsbody->SetFiltered(false);
    cdsbody->SetFilter(LinkField + "=" + plat::QuotedStr(link ? link->AsString() : ""));
    cdsbody->SetFiltered(true);
}

// ---- painting -----------------------------------------------------------------

void TfrmSearch::cellColors(TFDBGrid* grid, TField*, plat::TGridDrawState state, plat::TFont* font,
                            plat::TBrush* brush) {
    try {
        TDataSet* ds = grid->DataSet();
        if (!ds || !ds->Active() || state.Contains(plat::TGridDrawStateItem::gdFixed)) return;
        int recNo = ds->RecNo();
        brush->Color = recNo <= 0 || recNo % 2 != 0 ? kGridColor : kEvenRowColor;
        font->SetColor(plat::clBlack);
        if (grid->ActiveRow() == grid->DrawingRow()) {
            brush->Color = kActiveRowColor;
            font->SetColor(plat::clHighlightText);
        }
    } catch (const std::exception&) {
        // A cell that cannot be coloured keeps the grid's colours.
    }
}

void TfrmSearch::gdMainCalcCellColors(plat::TObject*, TField* field, plat::TGridDrawState state,
                                      bool, plat::TFont* font, plat::TBrush* brush) {
    cellColors(gdMain, field, state, font, brush);
}

void TfrmSearch::gdbodyCalcCellColors(plat::TObject*, TField* field, plat::TGridDrawState state,
                                      bool, plat::TFont* font, plat::TBrush* brush) {
    cellColors(gdbody, field, state, font, brush);
}

void TfrmSearch::gdMainCalcTitleAttributes(plat::TObject*, TField* field, plat::TFont*,
                                           plat::TBrush* brush, plat::TAlignment&) {
    if (!field) return;
    const std::string marked = MarkedFields + ",";
    if (marked.find("," + field->FieldName() + ",") != std::string::npos)
        brush->Color = kMarkedTitleColor;
}

// ---- keys and window ----------------------------------------------------------

void TfrmSearch::btnOKClick(plat::TObject*) {
    SetModalResult(plat::mrOk);
}

void TfrmSearch::gdMainKeyPress(plat::TObject* sender, char32_t& key) {
    if (key == 13) btnOKClick(sender);
}

void TfrmSearch::FormKeyDown(plat::TObject*, uint16_t& key, plat::TShiftState shift) {
    using plat::TShiftStateItem;
    if ((key == 'V' || key == 'v') && shift.Contains(TShiftStateItem::ssCtrl) &&
        shift.Contains(TShiftStateItem::ssAlt) && !shift.Contains(TShiftStateItem::ssShift)) {
        // No properties sheet here: the module's file and version are told
        // in a message instead.
        static const int anchor = 0;
        showError(plat::ModuleFileNameOf(&anchor), plat::TMsgDlgType::mtInformation);
        key = 0;
    } else if (key == plat::VK_ESCAPE) {
        Close();
    } else if (key == plat::VK_DELETE && shift == plat::TShiftState{TShiftStateItem::ssCtrl}) {
        // The grids are never edited, yet a row may be taken out of the
        // window; nothing is sent back.
        TFDBGrid* grid = ActiveControl() == gdbody ? gdbody : gdMain;
        TDataSet* ds = grid->DataSet();
        if (!ds || !ds->Active() || ds->IsEmpty()) return;
        key = 0;
        if (plat::MessageDlg("Delete record?", plat::TMsgDlgType::mtConfirmation,
                             plat::mbOKCancel) == plat::mrOk)
            ds->Delete();
    } else if (key == plat::VK_RETURN && shift.Empty()) {
        // The grids leave Enter to the form (they are never edited); every
        // control of this window takes Enter as OK.
        char32_t ch = 13;
        gdMainKeyPress(this, ch);
        key = 0;
    }
}

void TfrmSearch::FormActivate(plat::TObject*) {
    if (gdMain->CanFocus()) gdMain->SetFocus();
}

void TfrmSearch::FormCanResize(plat::TObject*, int&, int&, bool&) {
    if (cdsMain->State() == plat::dsEdit) cdsMain->Post();
}

void TfrmSearch::FormClose(plat::TObject*, plat::TCloseAction&) {
    CloseLookupData();
    for (TSocketConnection* c : {MIDAS1, MIDAS2})
        if (c->Connected()) c->Close();
}

// ---- registration ---------------------------------------------------------------

namespace {

// The window the broker runs: created with no owner, freed after Execute.
class SearchWindowHandle : public ISearchWindow {
  public:
    SearchWindowHandle() : form_(plat::CreateForm<TfrmSearch>(nullptr)) {}
    ~SearchWindowHandle() override { form_->Free(); }
    SearchWindowHandle(const SearchWindowHandle&) = delete;
    SearchWindowHandle& operator=(const SearchWindowHandle&) = delete;
    Variant Execute(TBrokers* broker, const Variant& mainTable, const Variant& mainKind,
                    const Variant& mainParams, const Variant& bodyTable, const Variant& bodyKind,
                    const Variant& bodyParams, const std::string& linkField,
                    const std::string& computeKinds, int productID,
                    const std::string& baseLimited) override {
        return form_->Execute(broker, mainTable, mainKind, mainParams, bodyTable, bodyKind,
                              bodyParams, linkField, computeKinds, productID, baseLimited);
    }

  private:
    TfrmSearch* form_;
};

}  // namespace

void RegisterSearchWindow() {
    SetSearchWindowFactory([] { return std::make_unique<SearchWindowHandle>(); });
}

void UnregisterSearchWindow() {
    SetSearchWindowFactory(nullptr);
}

}  // namespace ktrb
