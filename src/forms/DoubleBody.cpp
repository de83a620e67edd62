// The lines of the header/body form: the line grid's keys and handlers, the
// user-defined line columns, the rules that derive line values from the head
// ("Z01D"), the required line columns, the document-type settings and the
// form-level hooks the lines add.
#include <algorithm>
#include <set>

#include "controls/ExtPage.h"
#include "controls/FDBGrid.h"
#include "controls/QvLookUpCombo.h"
#include "dataframe/knlRadical.h"
#include "forms/DoubleCF.h"
#include "forms/FormText.h"
#include "platform/core/format.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbctrls.h"
#include "platform/ui/extctrls.h"
#include "platform/ui/keys.h"
#include "platform/ui/menus.h"
#include "platform/ui/stdctrls.h"
#include "query/ColorComponents.h"
#include "query/QvQBE.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/MT_Doc.h"
#include "runtime/PropAccess.h"
#include "runtime/Reply.h"
#include "runtime/libUDF.h"

namespace ktrb {

using plat::Variant;

namespace {

const char* const kPackage = "TfrmDouble";
const char* const kBodyRuleCode = "Z01D";

// Rows of a "SimpleSql" reply as texts; nothing for a reply that is no array of rows.
std::vector<std::vector<std::string>> ReplyTextRows(const Variant& reply) {
    std::vector<std::vector<std::string>> rows;
    for (const Variant& row : ReplyRows(reply)) rows.push_back(ReplyTexts(row));
    return rows;
}

}  // namespace

// ---- start-up steps ----

void TfrmDouble::InitializeAfterConnect() {
    TfrmSingle::InitializeAfterConnect();
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    gdBody1->SetDataSource(dm->dsBody1);
    bodyRules_ = std::make_unique<TUDFFields>();
    LoadFieldRules(Brokers() ? Brokers()->ProgramCode : "", kBodyRuleCode, "", *bodyRules_);
    // The rules' source fields report their changes to the form.
    for (int i = 0; i < bodyRules_->Count(); ++i) {
        TUDFField* rule = bodyRules_->GetItem(i);
        for (int j = 0; j < rule->RelatedFields().Count(); ++j) {
            TUDFRelatedField* related = rule->RelatedFields().GetItem(j);
            plat::TField* field = related->SourceField;
            if (!field) field = dm->cdsMain->FindField(related->SourceFieldName);
            if (!field) field = dm->cdsBody1->FindField(related->SourceFieldName);
            if (!field || related->SavedOnChange) continue;
            related->SourceField = field;
            related->SavedOnChange = field->OnChange;
            const plat::TFieldNotifyEvent rules(static_cast<TfrmSingle*>(this),
                                                &TfrmSingle::ApplyUDFRelations);
            const plat::TFieldNotifyEvent previous = field->OnChange;
            // A head rule's source runs the (overridden) relations already.
            if (!previous || previous == rules)
                field->OnChange = rules;
            else
                field->OnChange = plat::TFieldNotifyEvent([this, previous](plat::TField* f) {
                    previous(f);
                    ApplyUDFRelations(f);
                });
        }
    }
}

void TfrmDouble::ApplyControlSettings() {
    TfrmSingle::ApplyControlSettings();
    NewDocument = true;
    ShowKeyInStatusBar();
    SetupQueryDialog();
    LoadAttachmentKeys();
    setAttachImage();
    TBrokers* brokers = Brokers();
    if (btnSorvanta && brokers) {
        const bool signOff = !signOffField_.empty();
        if (brokers->GetSysParam("SYS060") == "Y" && brokers->GetSysParam("SYS174") == "Y")
            btnSorvanta->SetVisible(signOff);
        else
            btnSorvanta->SetVisible(!brokers->MasterElement(5).empty() &&
                                    !brokers->MasterElement(6).empty() && signOff &&
                                    brokers->GetSysParam("SYS060") == "Y");
    }
    LoadDocTypeSettings();
    EmptyBodyRule = TEmptyBodyRule::Allow;
    if (brokers) switch (brokers->ProgramKind()) {
            case TProgramKind::W:
                EmptyBodyRule = TEmptyBodyRule::Ask;
                break;
            case TProgramKind::E:
                EmptyBodyRule = TEmptyBodyRule::Refuse;
                break;
            case TProgramKind::Z:
                EmptyBodyRule = TEmptyBodyRule::AllowZ;
                break;
            default:
                break;
        }
}

void TfrmDouble::LoadRequiredControls() {
    TfrmSingle::LoadRequiredControls();
    // The user's column settings of the lines, as those of the browse grid:
    // a user-defined line field the user shows becomes a column.
    ApplyGridColumns(gdBody1);
    std::string required;
    if (TMT_Doc* settings = GetUserSettings())
        required = settings->GetComponentIDs("gdBody1/*[Required='-1']");
    required += ";cdsBody1:" + BodyRequiredFields;
    AddRequiredFields(required);
    if (pgBody) BrowsePageHeight = pgBody->Height();
}

void TfrmDouble::SetupUDFControls() {
    TfrmSingle::SetupUDFControls();
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    const std::string table = Brokers() ? Brokers()->HostParam("D11_TABLE") : "";
    int found = 0;
    for (int n = 1; n <= 100; ++n) {
        const std::string name = plat::Format("UDF%.2d", {n});
        plat::TField* field = dm->cdsBody1->FindField(name);
        if (!field) continue;
        ++found;
        std::string label;
        Variant rows;
        if (Brokers() &&
            Brokers()->QueryData("ADMMD", "02", plat::VarArrayOf({table, name}), rows) &&
            rows.IsArray() && rows.ArrayCount() > 0) {
            const Variant& row = rows[rows.LowBound()];
            if (row.IsArray() && row.ArrayCount() > 0)
                label = plat::VarToStr(row[row.LowBound()]);
            else if (!row.IsArray() && !row.IsNull())
                label = plat::VarToStr(row);
        }
        if (label.empty())
            label =
                plat::Format(GetLangMessage(kPackage, "sDefItem", "自定义项%d", false), {found});
        field->SetDisplayLabel(label);
        field->SetVisible(false);
    }
}

void TfrmDouble::LoadDocTypeSettings() {
    TBrokers* brokers = Brokers();
    if (brokers && brokers->GetSysParam("SYS174") == "Y") {
        LoadSignOffDocTypeSettings();
        return;
    }
    DocTypes->Clear();
    DocTypeSettings->Clear();
    if (!brokers) return;
    const std::string columns = "MQ002,MQ003,MQ004,MR003,MR004,MR005,MR007,MQ006,MQ007,MQ008";
    const std::string sql =
        " SELECT " + columns +
        "  FROM $$ADMMQ AS ADMMQ  LEFT JOIN $$ADMMR AS ADMMR ON (MQ001=MR001 AND MQ002=MR002)  "
        "WHERE MQ001= " +
        plat::QuotedStr(brokers->ProgramCode) + " order by MQ002";
    Variant reply;
    try {
        reply = brokers->CallServerMethod("SimpleSql", plat::VarArrayOf({sql, columns}));
    } catch (const std::exception&) {
        return;
    }
    for (const auto& row : ReplyTextRows(reply)) {
        if (row.empty()) continue;
        std::string rest;
        for (size_t i = 1; i < row.size(); ++i) rest += (i > 1 ? "\x03" : "") + row[i];
        DocTypes->Add(row[0]);
        DocTypeSettings->Add(rest);
    }
}

// ---- fields by table ----

plat::TField* TfrmDouble::FindTableField(const std::string& tableName,
                                         const std::string& fieldName) {
    if (plat::TField* f = TfrmSingle::FindTableField(tableName, fieldName)) return f;
    TdmDouble* dm = DoubleModule();
    if (dm && Brokers() && plat::SameText(tableName, Brokers()->HostParam("D11_TABLE")))
        return dm->cdsBody1->FindField(fieldName);
    return nullptr;
}

plat::TField* TfrmDouble::FindQualifiedField(const std::string& text) {
    TdmDouble* dm = DoubleModule();
    const size_t dot = text.find('.');
    if (!dm || !Brokers() || dot == std::string::npos) return nullptr;
    const std::string table = text.substr(0, dot), field = text.substr(dot + 1);
    if (plat::SameText(table, Brokers()->HostParam("M11_TABLE")))
        return dm->cdsMain->FindField(field);
    if (plat::SameText(table, Brokers()->HostParam("D11_TABLE")))
        return dm->cdsBody1->FindField(field);
    return nullptr;
}

// ---- rules from head to lines ----

void TfrmDouble::ApplyUDFRelations(plat::TField* field) {
    TfrmSingle::ApplyUDFRelations(field);
    TdmDouble* dm = DoubleModule();
    if (!dm || !field || !bodyRules_ || bodyRules_->Count() == 0) return;
    const bool ofHead = field->DataSet() == dm->cdsMain;
    for (int i = 0; i < bodyRules_->Count(); ++i) {
        TUDFField* rule = bodyRules_->GetItem(i);
        if (!rule->RelatedFields().FindByField(field)) continue;
        if (ofHead) {
            PendingHeadChange = true;
            const std::string entry = rule->TargetField + ";";
            if (PendingTargets.find(entry) == std::string::npos) PendingTargets += entry;
            continue;
        }
        std::string value;
        QueryUDFRelatedValue(rule, nullptr, value);
        SetFieldText(dm->cdsBody1->FindField(rule->TargetField), value);
    }
}

void TfrmDouble::CopyHeadValuesToBody() {
    TdmDouble* dm = DoubleModule();
    struct Forget {
        TfrmDouble* f;
        ~Forget() {
            f->PendingHeadChange = false;
            f->PendingTargets.clear();
        }
    } forget{this};
    if (!dm || !PendingHeadChange || !bodyRules_ || bodyRules_->Count() == 0) return;
    plat::TClientDataSet* body = dm->cdsBody1;
    if (!body->Active() || body->IsEmpty()) return;
    if (!Brokers() || Brokers()->ShowMessageCode("W", "200399") != modal::Ok) return;
    TRowWalk walk(body, TRowWalk::Events::Kept);
    for (body->First(); !body->Eof(); body->Next()) {
        for (int i = 0; i < bodyRules_->Count(); ++i) {
            TUDFField* rule = bodyRules_->GetItem(i);
            if (PendingTargets.find(rule->TargetField + ";") == std::string::npos) continue;
            plat::TField* target = body->FindField(rule->TargetField);
            if (!target) continue;
            std::string value;
            QueryUDFRelatedValue(rule, nullptr, value);
            if (value == target->AsString()) continue;
            try {
                if (body->State() == plat::dsBrowse) body->Edit();
                SetFieldText(target, value);
            } catch (const plat::EAbort&) {
                throw;
            } catch (const std::exception&) {
                body->Cancel();
                Brokers()->ShowMessageCode(
                    "E", "000032",
                    {"自定义栏位(" + rule->TargetField + ")赋值错误，可能是类型不匹配！！"});
                return;
            }
        }
        if (body->State() == plat::dsEdit) body->Post();
    }
}

// ---- colours, query, saved conditions ----

void TfrmDouble::ApplyColorConditions() {
    TfrmSingle::ApplyColorConditions();
    pgHeadChange(this);
    if (TdmDouble* dm = DoubleModule(); dm && dm->cdsMain->Active()) {
        dm->cdsMain->First();
        dm->cdsMain->Next();
        dm->cdsMain->Prior();
    }
}

void TfrmDouble::SetupColorComponents(const std::string& xmlText) {
    TfrmSingle::SetupColorComponents(xmlText);
    bodyColors_ = LoadColorComponents(this, xmlText, "body");
    if (TdmDouble* dm = DoubleModule()) bodyColors_->KeyFields = bodyKeyNames(dm->BodyKeyFields);
}

std::string TfrmDouble::bodyKeyNames(const std::string& keyList) {
    // Entries are "FIELD" or "FIELD alias".
    std::string names;
    for (int i = 1; i <= FieldCount(keyList, ","); ++i) {
        const std::string name = TokenAt(plat::Trim(TokenAt(keyList, ",", i)), " ", 1);
        if (!name.empty()) names += (names.empty() ? "" : ",") + name;
    }
    return names;
}

void TfrmDouble::gdBody1CalcCellColors(plat::TObject*, plat::TField* field, plat::TGridDrawState,
                                       bool, plat::TFont* font, plat::TBrush* brush) {
    if (!font || !field) return;
    font->SetColor(plat::clBlack);
    font->SetStyle({});
    if (FormMode() != TFormMode::Browse) return;
    if (!LinkFields.empty()) {
        const std::string list = "\x03" + LinkFields + "\x03";
        if (list.find("\x03" + plat::UpperCase(field->FieldName()) + "\x03") != std::string::npos) {
            font->SetColor((plat::TColor)0xFF0000);
            font->SetStyle({plat::TFontStyle::fsUnderline});
        }
    }
    TdmDouble* dm = DoubleModule();
    if (!ColorManage || !bodyColors_ || !brush || !dm || !dm->cdsBodyColor->Active()) return;
    try {
        // The head's colour row holds the document's line colours; then the
        // line's own key locates its row among them.
        if (!locateHeadColorRow(dm)) return;
        const std::string keys = bodyColors_->KeyFields;
        std::vector<plat::Variant> values;
        for (int i = 1; i <= FieldCount(keys, ","); ++i) {
            plat::TField* f = dm->cdsBody1->FindField(TokenAt(keys, ",", i));
            values.push_back(f ? f->Value() : Variant());
        }
        if (values.empty()) return;
        bodyColors_->CalcCellColors(gdBody1, field, keys, Variant::ArrayOf(values),
                                    dm->cdsBodyColor, font, brush);
    } catch (const std::exception&) {
        // Colours are a help only.
    }
}

bool TfrmDouble::locateHeadColorRow(TdmDouble* dm) {
    plat::TDataSetField* link = dm->cdsBodyColor->DataSetField();
    if (!link || link->DataSet() != dm->cdsMainColor) return true;  // nested in the head itself
    plat::TClientDataSet* colors = dm->cdsMainColor;
    if (!colors->Active() || colors->IsEmpty()) return false;
    const Variant keys = GetKeyValueArray();
    if (!keys.IsArray()) return false;
    const std::string names = ReplaceAllText(dm->KeyFields, ",", ";", false);
    // Cells of one document share the row: a search only when it moved.
    const std::vector<plat::TField*> fields = colors->GetFieldList(names);
    bool here = !fields.empty() && (int)fields.size() == keys.ArrayCount();
    for (size_t i = 0; here && i < fields.size(); ++i)
        here = fields[i]->AsString() == plat::VarToStr(keys[keys.LowBound() + (int)i]);
    return here || colors->Locate(names, keys);
}

void TfrmDouble::gdBody1CalcTitleAttributes(plat::TObject*, plat::TField* field, plat::TFont*,
                                            plat::TBrush* brush, plat::TAlignment&) {
    TdmDouble* dm = DoubleModule();
    if (!dm || !field || !brush) return;
    const std::string keys = "," + bodyKeyNames(dm->BodyKeyFields) + ",";
    if (plat::UpperCase(keys).find("," + plat::UpperCase(field->FieldName()) + ",") !=
        std::string::npos)
        brush->Color = plat::RGB(0, 200, 200);
}

void TfrmDouble::RefreshDetailColors() {
    TfrmSingle::RefreshDetailColors();
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    try {
        auto* link = dynamic_cast<plat::TDataSetField*>(dm->cdsMain->FindField("qryBodyColor"));
        if (!link) return;
        dm->cdsBodyColor->Close();
        dm->cdsBodyColor->SetDataSetField(link);
        dm->cdsBodyColor->Open();
    } catch (const std::exception&) {
        // Colours are a help only.
    }
}

void TfrmDouble::SetupQueryDialog() {
    TfrmSingle::SetupQueryDialog();
    TdmDouble* dm = DoubleModule();
    if (!dm || !QueryDialog) return;
    // Line conditions: the dialog joins the body table to the head.
    QueryDialog->SetBodySource(dm->cdsBody1, Brokers()->HostParam("D11_TABLE"), dm->BodyKeyFields,
                               dm->BodyColumns, dm->BodyFrom);
}

void TfrmDouble::ApplySavedCondition(plat::TObject* item) {
    TfrmSingle::ApplySavedCondition(item);
    pgHeadChange(this);
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    dm->cdsBody1->Close();
    dm->cdsBody1->Open();
    if (dm->cdsMain->Active()) {
        dm->cdsMain->First();
        dm->cdsMain->Next();
        dm->cdsMain->Prior();
    }
    LoadAttachmentKeys();
    setAttachImage();
}

void TfrmDouble::RequireComboFields() {
    TfrmSingle::RequireComboFields();
    TdmDouble* dm = DoubleModule();
    if (!dm || (GetUICodePage() == "936" && GetDBCodePage() == "936")) return;
    // Run again once the line editors exist: fields already listed stay once.
    std::vector<std::string> listed;
    for (const std::string& entry : SplitText(RequiredFields, ';')) {
        const size_t colon = entry.find(':');
        if (colon != std::string::npos &&
            plat::SameText(plat::Trim(entry.substr(0, colon)), "cdsBody1"))
            for (const std::string& f : SplitText(entry.substr(colon + 1), ','))
                listed.push_back(plat::Trim(f));
    }
    std::string names;
    for (plat::TField* field : dm->cdsBody1->Fields()) {
        plat::TWinControl* editor = gdBody1->FieldControl(field->FieldName());
        if (!editor || !editor->InheritsFrom("TCustomComboBox") || !editor->Enabled()) continue;
        if (std::any_of(listed.begin(), listed.end(), [&](const std::string& f) {
                return plat::SameText(f, field->FieldName());
            }))
            continue;
        names += (names.empty() ? "" : ",") + field->FieldName();
    }
    if (!names.empty()) AddRequiredFields("cdsBody1:" + names);
}

// ---- keys ----

void TfrmDouble::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    TfrmSingle::HandleF2Key(key, control);
    TdmDouble* dm = DoubleModule();
    if (!dm || !control || (control != gdBody1 && control->Parent() != gdBody1)) return;
    if (dm->cdsBody1->State() == plat::dsBrowse && !dm->cdsBody1->IsEmpty()) dm->cdsBody1->Edit();
    plat::TField* field = gdBody1->SelectedField();
    if (field && field->DataSet() == dm->cdsBody1 &&
        plat::SameText(field->FieldName().substr(0, 3), "UDF"))
        UDFLookup(dm->cdsBody1, field, "", "gdBody1");
}

void TfrmDouble::FormKeyPress(plat::TObject* sender, char32_t& key) {
    plat::TWinControl* active = ActiveControl();
    const bool inGrid =
        active && (active->InheritsFrom("TCustomDataGrid") ||
                   (active->Parent() && active->Parent()->InheritsFrom("TCustomDataGrid")));
    if (key == 13 && inGrid) {
        key = 0;
        return;
    }
    TdmDouble* dm = DoubleModule();
    if (key == 13 && dm && dm->cdsMain->State() != plat::dsBrowse && active &&
        !LastControl.empty() && active->Name() == LastControl &&
        !active->InheritsFrom("TCustomMemo")) {
        key = 0;
        pgHeadChange(this);
        if (focusBodyGrid()) gdBody1->SetSelectedIndex(0);
        return;
    }
    TfrmSingle::FormKeyPress(sender, key);
}

void TfrmDouble::FormKeyDown(plat::TObject* sender, uint16_t& key, plat::TShiftState shift) {
    if (key >= plat::VK_F2 && key <= plat::VK_F4 && gdBody1->Focused() && gdBody1->ReadOnly()) {
        key = 0;
        return;
    }
    if (key == plat::VK_DOWN && shift.Contains(plat::ssCtrl) && !gdBody1->Focused()) {
        key = 0;
        pgHeadChange(this);
        focusBodyGrid();
        return;
    }
    TfrmSingle::FormKeyDown(sender, key, shift);
}

void TfrmDouble::gdBody1KeyDown(plat::TObject*, uint16_t& key, plat::TShiftState shift) {
    TdmDouble* dm = DoubleModule();
    if (!dm || FormMode() == TFormMode::Browse) return;
    if (key != plat::VK_DELETE || !shift.Contains(plat::ssCtrl)) return;
    key = 0;
    plat::TClientDataSet* body = dm->cdsBody1;
    if (gdBody1->ReadOnly() || !body->Active() || body->IsEmpty()) return;
    if (Brokers() && Brokers()->ShowMessageCode("C", "000005") == modal::Ok) body->Delete();
}

void TfrmDouble::gdBody1KeyUp(plat::TObject*, uint16_t&, plat::TShiftState) {
    DisarmGridLink(gdBody1);
}

void TfrmDouble::gdBody1MouseMove(plat::TObject*, plat::TShiftState shift, int x, int y) {
    if (FormMode() == TFormMode::Browse) TrackGridLink(gdBody1, shift, x, y, true);
}

void TfrmDouble::gdBody1MouseDown(plat::TObject*, plat::TMouseButton button, plat::TShiftState, int,
                                  int) {
    if (TdmDouble* dm = DoubleModule()) FollowArmedLink(gdBody1, dm->cdsBody1, button);
}

void TfrmDouble::gdBody1MouseUp(plat::TObject*, plat::TMouseButton, plat::TShiftState, int, int) {
    DisarmGridLink(gdBody1);
}

// The look-up popup's items act as the keys on the control it was shown for.
void TfrmDouble::miOpenDravocClick(plat::TObject*) {
    uint16_t key = plat::VK_F2;
    HandleF2Key(key, popupControl());
}

void TfrmDouble::miOpenF3WindowClick(plat::TObject*) {
    uint16_t key = plat::VK_F3;
    HandleF3Key(key, popupControl());
}

void TfrmDouble::miOpenF4WindowClick(plat::TObject*) {
    uint16_t key = plat::VK_F4;
    HandleF4Key(key, popupControl());
}

plat::TWinControl* TfrmDouble::popupControl() const {
    return pmLookup ? dynamic_cast<plat::TWinControl*>(pmLookup->PopupComponent()) : nullptr;
}

void TfrmDouble::gdBody1Enter(plat::TObject*) {
    TdmDouble* dm = DoubleModule();
    if (!dm || FormMode() == TFormMode::Browse || gdBody1->ReadOnly()) return;
    plat::TClientDataSet* head = dm->cdsMain;
    plat::TClientDataSet* body = dm->cdsBody1;
    if (body->State() == plat::dsEdit || body->State() == plat::dsInsert) return;
    if (head->State() == plat::dsEdit || head->State() == plat::dsInsert) {
        head->Post();
        head->Edit();
    }
    if (body->IsEmpty()) body->Insert();
}

void TfrmDouble::gdBody1Exit(plat::TObject*) {
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    plat::TClientDataSet* body = dm->cdsBody1;
    if (body->State() == plat::dsEdit || body->State() == plat::dsInsert) body->Post();
}

void TfrmDouble::gdBody1TitleButtonClick(plat::TObject*, const std::string& fieldName) {
    if (TdmDouble* dm = DoubleModule()) dm->SortBodyByField(fieldName);
}

void TfrmDouble::gdBody1CalcTitleImage(plat::TObject*, plat::TField* field, int& image) {
    TdmDouble* dm = DoubleModule();
    image = -1;
    if (!dm || !field || dm->BodySortField != field) return;
    image = dm->IsIndexAscending(dm->cdsBody1) ? 0 : 1;
}

void TfrmDouble::BodyCustomDlg(plat::TObject* sender) {
    TdmDouble* dm = DoubleModule();
    uint16_t key = 0;
    if (dm && (dm->cdsMain->State() == plat::dsEdit || dm->cdsMain->State() == plat::dsInsert))
        key = plat::VK_F2;
    if (key) HandleF2Key(key, dynamic_cast<plat::TWinControl*>(sender));
}

void TfrmDouble::btnAttachClick(plat::TObject*) {
    if (AttachmentsEnabled) ShowAttachments();
    LoadAttachmentKeys();
    setAttachImage();
}

void TfrmDouble::btnReFreshClick(plat::TObject*) {
    RefreshData();
}

bool TfrmDouble::focusBodyGrid() {
    // A hidden form gives no focus (a save run by code).
    if (!Showing() || !gdBody1->CanFocus()) return false;
    gdBody1->SetFocus();
    return true;
}

// ---- editors of the user-defined line columns ----

bool TfrmDouble::SetupBodyUDFEditors() {
    TdmDouble* dm = DoubleModule();
    if (!dm) return false;
    bool made = false;
    TMT_Doc* settings = GetUserSettings();
    auto setting = [settings](const std::string& field, const char* property) {
        std::string v = settings->GetFieldProperty("gdBody1", field, property);
        return v == kNoSetting ? std::string() : v;
    };
    for (plat::TField* field : dm->cdsBody1->Fields()) {
        const std::string& fieldName = field->FieldName();
        if (!field->Visible() || !plat::SameText(fieldName.substr(0, 3), "UDF")) continue;
        const std::string name = "cbo" + fieldName + "G_UDF";
        if (FindComponent(name)) continue;
        plat::TWinControl* editor = nullptr;
        if (setting(fieldName, "ControlType") == "Combo") {
            auto* combo = new plat::TDBComboBox(this);
            combo->SetName(name);
            std::string items = setting(fieldName, "Items");
            std::replace(items.begin(), items.end(), '\t', '\n');
            combo->Items()->SetText(items);
            combo->SetDataSource(dm->dsBody1);
            combo->SetDataField(fieldName);
            editor = combo;
        } else {
            auto* combo = new TQvDBComboDlg(this);
            combo->SetName(name);
            const std::string source = setting(fieldName, "DataSource");
            combo->SetHint(
                source.empty() || plat::SameText(source, "Custom")
                    ? "[F2]" + GetLangMessage(kPackage, "sHINT_PHRASE", "常用语查询", true)
                    : plat::Format(GetLangMessage(kPackage, "sF2Query", "[F2]%s查询", true),
                                   {field->DisplayLabel()}));
            combo->SetShowHint(true);
            combo->OnCustomDlg = plat::TNotifyEvent(this, &TfrmDouble::BodyCustomDlg);
            combo->SetDataSource(dm->dsBody1);
            combo->SetDataField(fieldName);
            editor = combo;
        }
        editor->SetVisible(false);
        gdBody1->SetFieldControl(fieldName, editor);
        made = true;
    }
    return made;
}

// ---- status bar and stamp ----

void TfrmDouble::ShowKeyInStatusBar() {
    std::string text;
    int shown = 0;
    for (const std::string& name : KeyControlNames) {
        if (shown == 5) break;
        plat::TComponent* c = FindComponent(name);
        if (auto* edit = dynamic_cast<plat::TCustomEdit*>(c)) {
            text += (text.empty() ? "" : " ") + plat::Trim(edit->Text());
            ++shown;
        }
    }
    SetStatusPanelText(1, text);
}

void TfrmDouble::PlaceStatusStamp() {
    plat::TWinControl* page = ImgConfirm ? ImgConfirm->Parent() : nullptr;
    if (!page || !page->Visible()) return;
    ImgConfirm->SetTop(5);
    ImgConfirm->SetLeft(page->ClientWidth() - ImgConfirm->Width() - 5);
}

// ---- show ----

void TfrmDouble::FormShow(plat::TObject* sender) {
    TfrmSingle::FormShow(sender);
    // The combo requirement ran before these editors existed.
    if (SetupBodyUDFEditors() && DoubleModule()) RequireComboFields();
    UpdateStatusButtons();
    UpdateSignOffButtons();
    PlaceStatusStamp();
    TBrokers* brokers = Brokers();
    if (!brokers) return;
    Variant reply;
    try {
        reply = brokers->CallServerMethod(
            "SimpleSql", plat::VarArrayOf({" SELECT MR004,MR005 FROM ADMMR WHERE MR001= " +
                                               plat::QuotedStr(brokers->ProgramCode),
                                           "MR004,MR005", brokers->SignOnKey, "N"}));
    } catch (const std::exception&) {
        return;
    }
    std::set<std::string> seen;
    std::string links;
    for (const auto& row : ReplyTextRows(reply))
        for (const std::string& value : row)
            if (!value.empty() && seen.insert(value).second)
                links += (links.empty() ? "" : "\x03") + plat::UpperCase(value);
    if (!links.empty()) LinkFields = links;
}

}  // namespace ktrb
