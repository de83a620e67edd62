// The single-table form's attachments, print formats with this machine's
// default, colour conditions on the browse grid, export, batch printing, the
// calculator, the import of documents from XML, the sign-off look-ups and
// the options dialog.
#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "forms/SingleCF.h"
#include "forms/UserDefINI.h"
#include "platform/automation/oleobject.h"
#include "platform/core/format.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/forms.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "platform/xml/xmldocument.h"
#include "query/ColorComponents.h"
#include "query/QvColorQBE.h"
#include "runtime/Brokers.h"
#include "runtime/MireltaINI.h"
#include "runtime/PropAccess.h"

namespace ktrb {

namespace {

const char* const kAttachmentProgID = "Vellcor.Class1";

// Holds the data set's controls while rows are walked.
struct ControlsOff {
    plat::TDataSet* dataSet;
    explicit ControlsOff(plat::TDataSet* d) : dataSet(d) { dataSet->DisableControls(); }
    ~ControlsOff() { dataSet->EnableControls(); }
};

}  // namespace

// ---- attachments --------------------------------------------------------------

void TfrmSingle::LoadAttachmentKeys() {
    AttachmentKeys.Clear();
    TBrokers* b = Brokers();
    try {
        plat::Variant reply = simpleSql(" SELECT DISTINCT KeyValues FROM ATTACH WHERE Parent = '" +
                                            escapeQuotes(b->ProgramCode) + "' AND CompanyID = '" +
                                            escapeQuotes(b->CompanyID) + "'",
                                        "KeyValues");
        for (const plat::Variant& row : replyRows(reply)) AttachmentKeys.Add(replyCell(row, 0));
    } catch (const std::exception&) {
        // Without the list no record shows attachments.
    }
}

bool TfrmSingle::HasAttachments() {
    int index = 0;
    return AttachmentKeys.Count() > 0 && AttachmentKeys.Find(RecordKeyText(false), index);
}

void TfrmSingle::ShowAttachments() {
    TdmSingle* dm = SingleModule();
    if (!dm || !AttachmentsEnabled || FormMode() == TFormMode::Add) return;
    const bool browsing = FormMode() == TFormMode::Browse && miLast && miLast->Enabled();
    if (!browsing && FormMode() != TFormMode::Edit) return;
    TBrokers* b = Brokers();
    LastAttachmentKey = RecordKeyText(false);
    plat::DispatchPtr manager = plat::CreateOleObject(kAttachmentProgID);
    manager->Call(
        "Init", plat::VarArrayOf(
                    {b->CompanyID, b->UserID, b->ProgramCode, LastAttachmentKey,
                     plat::StringReplace(dm->KeyFields, ",", "||", plat::ReplaceFlags::All), "1"}));
    manager->Put("ParentHandle", plat::Variant((int64_t)Handle()));
    manager->Call("ShowModal");
}

// ---- print formats ------------------------------------------------------------

void TfrmSingle::GetVoucherFormatKey(std::string& text) {
    text.clear();
    TdmSingle* dm = SingleModule();
    if (!dm) return;
    std::string name = VoucherFormatKeyField;
    if (name.empty()) {
        std::vector<std::string> keys = splitList(dm->KeyFields, ",");
        if (!keys.empty()) name = keys[0];
    }
    if (plat::TField* f = name.empty() ? nullptr : dm->cdsMain->FindField(name))
        text = f->AsString();
}

void TfrmSingle::GetDefaultFormat(const std::string& formatKey, std::string& name) {
    TUserDefIni(clientFolder())
        .GetDefault(plat::UpperCase(Brokers()->ProgramCode), formatKey, name);
}

std::string TfrmSingle::clientFolder() const {
    return TMireltaIniC().ClientPath;
}

void TfrmSingle::LoadVoucherFormats(plat::TMenuItem* item, bool force) {
    if (!item || (!force && item->Count() > 0)) {
        if (item) markDefaultFormat(item);
        return;
    }
    item->Clear();
    std::vector<plat::Variant> rows;
    try {
        rows = replyRows(simpleSql(
            plat::Format(
                "select NT001,NT002 from WARRANT where UPPER(NT001) like '%s' order by NT002",
                {plat::Variant(escapeQuotes("%" + plat::UpperCase(Brokers()->ProgramCode) + "%"))}),
            "NT002"));
    } catch (const std::exception&) {
        // No formats to offer.
    }
    for (const plat::Variant& row : rows) {
        auto* format = new plat::TMenuItem(this);
        plat::Variant shown;
        ConvertByDisplayMode(plat::Variant(replyCell(row, 0)), shown);
        format->SetCaption(plat::VarToStr(shown));
        format->SetRadioItem(true);
        format->OnClick = plat::TNotifyEvent(this, &TfrmSingle::MenuItemVoucherFormatClick);
        item->Add(format);
    }
    if (rows.empty()) {
        auto* none = new plat::TMenuItem(this);
        plat::Variant shown;
        ConvertByDisplayMode(plat::Variant("<无格式>"), shown);
        none->SetCaption(GetLangMessage("TfrmSingle", "sQuery", plat::VarToStr(shown), false));
        none->SetEnabled(false);
        item->Add(none);
    }
    markDefaultFormat(item);
}

void TfrmSingle::markDefaultFormat(plat::TMenuItem* item) {
    std::string key, name;
    GetVoucherFormatKey(key);
    GetDefaultFormat(key, name);
    for (int i = 0; i < item->Count(); ++i)
        item->Items(i)->SetChecked(name != kNoVoucherFormat && item->Items(i)->Caption() == name);
}

void TfrmSingle::MenuItem1Click(plat::TObject*) {
    LoadVoucherFormats(miVoucherFormats, false);
}

void TfrmSingle::popPrintPopup(plat::TObject*) {
    LoadVoucherFormats(miVoucherFormatsPrint, false);
}

void TfrmSingle::MenuItemVoucherFormatClick(plat::TObject* sender) {
    auto* item = dynamic_cast<plat::TMenuItem*>(sender);
    if (!item) return;
    std::string question =
        item->Checked()
            ? GetLangMessage("TfrmSingle", "sCancelDefaultFormat", "是否要取消本机默认格式?", true)
            : plat::Format(GetLangMessage("TfrmSingle", "sSetDefaultFormat",
                                          "将格式[%s]设为本机默认格式?", true),
                           {plat::Variant(item->Caption())});
    if (Brokers()->ShowMessageCode("W", "100079", {plat::Variant(question)}) != modal::Ok) return;
    item->SetChecked(!item->Checked());
    try {
        std::string key;
        GetVoucherFormatKey(key);
        TUserDefIni ini(clientFolder());
        std::string program = plat::UpperCase(Brokers()->ProgramCode);
        if (item->Checked())
            ini.SetDefault(program, key, item->Caption());
        else
            ini.RemoveDefault(program, key);
    } catch (const std::exception&) {
        item->SetChecked(!item->Checked());
        Brokers()->ShowMessageCode(
            "E", "000032",
            {plat::Variant(GetLangMessage("TfrmSingle", "sUpdError", "更新失败!", true))});
    }
}

void TfrmSingle::miPrintClick(plat::TObject*) {
    PreviewPrint = false;
    PrintDocument();
}

void TfrmSingle::miPreviewClick(plat::TObject*) {
    PreviewPrint = true;
    PrintDocument();
    PreviewPrint = false;
}

void TfrmSingle::miBBPrintClick(plat::TObject*) {
    TdmSingle* dm = SingleModule();
    if (!dm || gdHead->SelectedRows().empty()) return;
    std::vector<plat::TBookmark> rows = gdHead->SelectedRows();
    {
        ControlsOff off(dm->cdsMain);
        for (const plat::TBookmark& row : rows) {
            dm->cdsMain->GotoBookmark(row);
            PrintDocument();
        }
    }
    gdHead->UnselectAll();
}

// ---- batch selection ----------------------------------------------------------

void TfrmSingle::UpdateBatchMenu() {
    const bool print = miDirectPrint->Enabled() && btnPrint && btnPrint->Enabled() &&
                       !Brokers()->ProgramCode.empty();
    miBBPrint->SetEnabled(print);
    miBBSelectAll->SetEnabled(FormMode() == TFormMode::Browse && print);
    miBBUnSelectAll->SetEnabled(miBBSelectAll->Enabled());
    if (TdmSingle* dm = SingleModule()) dm->SetMultiSelectedVisible(miBBSelectAll->Enabled());
}

void TfrmSingle::P1Click(plat::TObject*) {
    UpdateBatchMenu();
}

void TfrmSingle::miBBSelectAllClick(plat::TObject*) {
    pgHead->SetActivePage(tbsBrowse);
    // Selecting walks every row; recolouring the header at each would be wasted.
    const int held = colorHold_;
    colorHold_ = 1;
    try {
        gdHead->SelectAll();
    } catch (...) {
        colorHold_ = held;
        throw;
    }
    colorHold_ = held;
}

void TfrmSingle::miBBUnSelectAllClick(plat::TObject*) {
    gdHead->UnselectAll();
}

void TfrmSingle::gdHeadKeyDown(plat::TObject*, uint16_t& key, plat::TShiftState shift) {
    plat::TField* field = gdHead->SelectedField();
    if (key == plat::VK_SPACE && field && plat::SameText(field->FieldName(), kMultiSelectedField))
        gdHead->ToggleRecordSelection();
    if (shift.Contains(plat::ssCtrl) && FormMode() == TFormMode::Browse && gdHead->ShowHint())
        gdHead->SetCursor(plat::crHandPoint);
    UpdateButtons();
}

void TfrmSingle::gdHeadColEnter(plat::TObject*) {
    if (creating_) return;
    plat::TField* field = gdHead->SelectedField();
    auto options = gdHead->Options();
    if (field && plat::SameText(field->FieldName(), kMultiSelectedField))
        options.Include(plat::TDataGridOption::dgEditing);
    else
        options.Exclude(plat::TDataGridOption::dgEditing);
    gdHead->SetOptions(options);
}

// ---- colour conditions --------------------------------------------------------

void TfrmSingle::setupColorManagement() {
    try {
        plat::Variant reply =
            simpleSql("SELECT NH003 FROM $$ADMNH WHERE NH001 = " +
                          plat::QuotedStr(plat::UpperCase(Brokers()->ProgramCode)),
                      "NH003");
        std::vector<plat::Variant> rows = replyRows(reply);
        SetupColorComponents(rows.empty() ? std::string() : replyCell(rows[0], 0));
    } catch (const std::exception&) {
        // No colour rules for this program.
    }
    if (btnColorQuery) {
        btnColorQuery->SetVisible(ColorManage && btnQuery && btnQuery->Visible() && colorDialog_);
        btnColorQuery->SetHint(QvConverter->ConvertToUI(plat::Variant("颜色筛选")).AsString());
    }
    if (btnCalc) btnCalc->SetHint(QvConverter->ConvertToUI(plat::Variant("计算器")).AsString());
}

void TfrmSingle::SetupColorComponents(const std::string& xmlText) {
    TdmSingle* dm = SingleModule();
    headColors_ = LoadColorComponents(this, xmlText, "head");
    if (dm) headColors_->KeyFields = dm->KeyFields;
    pmColorCondition->Items()->Clear();
    gridConditions_ = nullptr;
    TColorComponent* grid = headColors_->FindItem("gdHead", "");
    if (!grid) return;
    gridConditions_ = grid->Conditions();
    for (int i = 0; i < gridConditions_->Count(); ++i) {
        auto* item = new plat::TMenuItem(this);
        item->SetName("mnuColor" + std::to_string(i));
        item->SetCaption(
            QvConverter->ConvertToUI(plat::Variant(gridConditions_->GetItem(i)->Msg)).AsString());
        item->Tag = i;
        item->OnClick = plat::TNotifyEvent(this, &TfrmSingle::SelectColorCondition);
        item->OnDrawItem = plat::TMenuDrawItemEvent(this, &TfrmSingle::ColorConditionDrawItem);
        pmColorCondition->Items()->Add(item);
    }
    if (!colorDialog_) colorDialog_ = CreateColorQBEForm(this, gridConditions_);
}

void TfrmSingle::SelectColorCondition(plat::TObject* sender) {
    auto* item = dynamic_cast<plat::TMenuItem*>(sender);
    if (!item || !gridConditions_) return;
    for (int i = 0; i < gridConditions_->Count(); ++i)
        gridConditions_->GetItem(i)->Checked = i == item->Tag;
    ApplyColorConditions();
}

namespace {
// A colour of the rules, or none when it is blank or not a number.
bool ruleColor(const std::string& text, plat::TColor& color) {
    if (plat::Trim(text).empty()) return false;
    try {
        color = ColorFromText(plat::Trim(text));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
}  // namespace

void TfrmSingle::ColorConditionDrawItem(plat::TObject* sender, plat::TCanvas* canvas,
                                        plat::TRect rect, bool selected) {
    auto* item = dynamic_cast<plat::TMenuItem*>(sender);
    if (!item || !canvas) return;
    TColorCondition* cond =
        gridConditions_ && item->Tag >= 0 && item->Tag < gridConditions_->Count()
            ? gridConditions_->GetItem(item->Tag)
            : nullptr;
    plat::TColor fore = plat::clMenuText, back = plat::clMenu;
    if (cond) {
        ruleColor(cond->ColorX, fore);
        ruleColor(cond->BkColor, back);
    }
    canvas->Brush.Color = selected ? plat::clHighlight : back;
    canvas->Brush.Style = plat::TBrushStyle::bsSolid;
    canvas->FillRect(rect);
    canvas->Font.SetColor(fore);
    canvas->Brush.Style = plat::TBrushStyle::bsClear;
    canvas->DrawText(item->Caption(), rect,
                     plat::DT_CENTER | plat::DT_VCENTER | plat::DT_SINGLELINE);
}

void TfrmSingle::btnColorQueryClick(plat::TObject*) {
    if (!colorDialog_ || !gridConditions_) return;
    if (!colorDialog_->Execute(ColorManage, gridConditions_)) return;
    if (!colorDialog_->GetColorManage()) endColorManagement();
    ApplyColorConditions();
}

void TfrmSingle::endColorManagement() {
    if (headColors_) headColors_->RestoreColors();
    if (btnColorQuery) btnColorQuery->SetVisible(false);
    ColorManage = false;
}

void TfrmSingle::ApplyColorConditions() {
    TdmSingle* dm = SingleModule();
    if (!dm) return;
    const std::string remembered = MainWhere;
    const std::string order = MainOrder;
    try {
        std::string filter =
            gridConditions_ ? AddColorFilter(remembered, *gridConditions_, Brokers()->SignOnKey)
                            : remembered;
        plat::TCursorGuard hourglass(plat::crHourGlass);
        if (SqlType == 0) {
            int rows = queryBox_ ? queryBox_->GetTopRowCount() : 500;
            dm->AppServer.AsDispatch()->Call("SetTopRow", plat::Variant(rows));
        }
        OpenDataSet(dm->cdsMain, filter, order);
        // A colour filter does not replace the user's query.
        MainWhere = remembered;
        SetFormMode(0);
        pgHead->SetActivePage(tbsBrowse);
    } catch (const std::exception&) {
        MainWhere = remembered;
        Brokers()->ShowMessageCode("E", "000032", {plat::Variant("颜色筛选出错！！")});
    }
}

void TfrmSingle::showRowColorHint(int row) {
    TdmSingle* dm = SingleModule();
    if (!dm || !dm->cdsMainColor->Active() || row < gdHead->TitleOffset()) return;
    plat::TField* column = dm->cdsMainColor->FindField("gdHead");
    if (!column) return;
    std::string pairs = column->AsString();
    size_t at = pairs.find("msg=");
    if (at == std::string::npos) return;
    std::string msg = pairs.substr(at + 4, pairs.find(';', at) == std::string::npos
                                               ? std::string::npos
                                               : pairs.find(';', at) - at - 4);
    gdHead->SetHint(msg);
    gdHead->SetShowHint(!msg.empty());
}

// ---- export -------------------------------------------------------------------

void TfrmSingle::miTable2ExcelClick(plat::TObject*) {
    if (TdmSingle* dm = SingleModule()) dm->ExportToExcel(dm->cdsMain, Owner(), true);
}

void TfrmSingle::miTable2Excel2Click(plat::TObject*) {
    if (TdmSingle* dm = SingleModule()) dm->ExportToXlsFile(dm->cdsMain, Owner());
}

// ---- calculator ---------------------------------------------------------------

void TfrmSingle::btnCalcClick(plat::TObject*) {
    RunCalculator(ActiveControl());
}

void TfrmSingle::miCaclClick(plat::TObject*) {
    RunCalculator(ActiveControl());
}

void TfrmSingle::RunCalculator(plat::TWinControl* control) {
    TBrokers* b = Brokers();
    const bool combo = control && control->InheritsFrom("TCustomComboBox");
    plat::TField* field = combo ? nullptr : boundField(control);
    const bool controlReadOnly =
        control && HasProperty(control, "ReadOnly") && ReadOrdProperty(control, "ReadOnly") != 0;
    if (field) {
        std::string value = b->GetCalcValue(field->AsString());
        if (value.empty() || field->ReadOnly() || !control->CanFocus() || controlReadOnly) return;
        std::string editText = field->Text();
        if (editText != field->AsString() && !editText.empty() && editText.back() == '%') {
            double v = 0;
            if (plat::TryStrToFloat(value, v)) value = plat::FloatToStr(v * 100);
        }
        if (field->DataSet()->State() == plat::dsBrowse) field->DataSet()->Edit();
        SetFieldText(field, value);
        return;
    }
    if (control && !combo && HasProperty(control, "Text")) {
        std::string value = b->GetCalcValue(ReadStrProperty(control, "Text"));
        if (!value.empty() && control->CanFocus()) WriteStrProperty(control, "Text", value);
        return;
    }
    b->GetCalcValue("");
}

// ---- import -------------------------------------------------------------------

void TfrmSingle::ImportDocumentXml(const std::string& xmlText) {
    TdmSingle* dm = SingleModule();
    if (!dm) return;
    TBrokers* b = Brokers();
    plat::XmlDocument doc;
    plat::XmlNode root;
    if (doc.LoadXML(xmlText)) root = doc.SelectSingleNode("//dataimport");
    std::vector<std::string> headFields =
        root ? splitList(root.GetAttribute("headfields"), "|") : std::vector<std::string>();
    // An unreadable or incomplete text saves nothing.
    if (!root || headFields.empty()) {
        b->ShowMessageCode("E", "000032",
                           {plat::Variant(GetLangMessage("TfrmSingle", "sImportXmlError",
                                                         "导入资料格式错误或不完整!", true))});
        return;
    }
    std::vector<std::string> bodyFields = splitList(root.GetAttribute("bodyfields"), "|");
    plat::TClientDataSet* body = dynamic_cast<plat::TClientDataSet*>(dm->FindComponent("cdsBody1"));
    int number = 0;
    for (const plat::XmlNode& document : doc.SelectNodes("//dataimport/*")) {
        ++number;
        bool saved = false;
        std::string reason;
        try {
            if (!AddRecord(true)) throw plat::Exception("add");
            plat::XmlNode head = document.SelectSingleNode("head/row");
            if (!head) throw plat::Exception("head/row");
            for (const std::string& f : headFields)
                if (!SetFieldText(dm->cdsMain->FindField(f), head.GetAttribute(f)))
                    throw plat::Exception(f);
            for (const plat::XmlNode& line : document.SelectNodes("body/*")) {
                if (!body) throw plat::Exception("cdsBody1");
                body->Append();
                for (const std::string& f : bodyFields)
                    if (!SetFieldText(body->FindField(f), line.GetAttribute(f)))
                        throw plat::Exception(f);
                body->Post();
            }
            saved = SaveDocument();
        } catch (const std::exception& e) {
            reason = e.what();
        }
        if (saved) continue;
        // The document goes whole or not at all.
        CancelEdit(false);
        b->ShowMessageCode(
            "E", "000032",
            {plat::Variant(plat::Format(
                GetLangMessage("TfrmSingle", "sImportDocError", "第%d笔单据导入失败%s", true),
                {plat::Variant(number), plat::Variant(reason.empty() ? "" : ": " + reason)}))});
    }
    ImportDone = true;
}

// ---- sign-off look-ups --------------------------------------------------------

plat::Variant TfrmSingle::GetSignOffFlag(const std::string& program, const std::string& docType) {
    const bool sv = Brokers()->GetSysParam("SYS174") == "Y";
    std::string sql = sv ? "SELECT MC006 FROM SVSMC\r\n WHERE MC001 = " + plat::QuotedStr(program) +
                               "\r\n   AND MC002 IN (" + plat::QuotedStr(docType) + ",'****')"
                         : "SELECT MQ003 FROM ADMMQ\r\n WHERE MQ001 = " + plat::QuotedStr(program) +
                               "\r\n   AND MQ002 IN (" + plat::QuotedStr(docType) + ",'****')";
    std::vector<plat::Variant> rows = replyRows(simpleSql(sql, sv ? "MC006" : "MQ003"));
    if (rows.empty()) return plat::VarArrayOf({"N", ""});
    return plat::VarArrayOf({plat::Variant("0"), plat::Variant(replyCell(rows[0], 0))});
}

plat::Variant TfrmSingle::GetSignOffOptions(const std::string& docType) {
    TBrokers* b = Brokers();
    if (b->GetSysParam("SYS060") != "Y") return plat::Variant();
    const bool sv = b->GetSysParam("SYS174") == "Y";
    std::string sql = sv ? "SELECT TOP 1 MC006,MC009 FROM SVSMC\r\n WHERE MC001 = " +
                               plat::QuotedStr(b->ProgramCode) + "\r\n   AND MC002 IN (" +
                               plat::QuotedStr(docType) + ",'****')\r\n ORDER BY MC002 DESC"
                         : "SELECT TOP 1 MQ003,MQ004 FROM ADMMQ\r\n WHERE MQ001 = " +
                               plat::QuotedStr(b->ProgramCode) + "\r\n   AND MQ002 IN (" +
                               plat::QuotedStr(docType) + ",'****')\r\n ORDER BY MQ002 DESC";
    std::vector<plat::Variant> rows = replyRows(simpleSql(sql, sv ? "MC006,MC009" : "MQ003,MQ004"));
    if (rows.empty()) return plat::VarArrayOf({"", ""});
    return plat::VarArrayOf({replyCell(rows[0], 0), replyCell(rows[0], 1)});
}

// ---- options ------------------------------------------------------------------

void TfrmSingle::miOptionsClick(plat::TObject*) {
    auto* options = plat::CreateForm<TfrmOptions>(this);
    if (options->ShowModal() == plat::mrOk) ApplyOptions(options);
    options->Free();
}

void TfrmSingle::ApplyOptions(TfrmOptions* options) {
    KeepOnAdd = options->GetKeepOnAdd();
    FocusPageOne = options->GetFocusPageOne();
    if (ColorManage && !options->GetColorManage() && headColors_) endColorManagement();
    TdmSingle* dm = SingleModule();
    if (!dm) return;
    dm->MoneyAutoZero = options->GetMoneyAutoZero();
    dm->MoneyThousand = options->GetMoneyThousand();
    dm->QuantityAutoZero = options->GetNumberAutoZero();
    dm->QuantityThousand = options->GetNumberThousand();
    for (int i = 0; i < dm->ComponentCount(); ++i)
        if (auto* source = dynamic_cast<plat::TDataSource*>(dm->Components(i)))
            RebindDataSource(source);
}

}  // namespace ktrb
