// The base document form's field side: required fields, field locks by
// rights, the user's settings, per-record rights, the colour data of the
// main query, grid layouts, the document viewer and the function keys.
#include <algorithm>

#include "controls/QrvEdit.h"
#include "controls/QvLookUpCombo.h"
#include "dataframe/BaseCD.h"
#include "dataframe/knlBase.h"
#include "forms/BaseCF.h"
#include "forms/FormText.h"
#include "platform/automation/dispatch.h"
#include "platform/automation/oleobject.h"
#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/data/datasource.h"
#include "platform/data/field.h"
#include "platform/system/desktop.h"
#include "platform/ui/comctrls.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/stdctrls.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"
#include "runtime/LibXml.h"
#include "runtime/MT_Doc.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::Variant;

namespace {

struct ListEntry {
    std::string dataSet;
    std::string fields;  // comma-separated
};

// "ds:f,f;ds:f" as entries, each part trimmed; entries without a name or
// without fields are left out.
std::vector<ListEntry> parseFieldList(const std::string& list) {
    std::vector<ListEntry> entries;
    for (const std::string& raw : SplitText(list, ';')) {
        const std::string entry = plat::Trim(raw);
        const size_t colon = entry.find(':');
        if (colon == std::string::npos) continue;
        ListEntry e{plat::Trim(entry.substr(0, colon)), plat::Trim(entry.substr(colon + 1))};
        if (e.dataSet.empty() || e.fields.empty()) continue;
        entries.push_back(std::move(e));
    }
    return entries;
}

// Adds each field of `more` not yet in `fields` (case-sensitive).
std::string mergeFields(const std::string& fields, const std::string& more) {
    std::string merged = fields;
    for (const std::string& raw : SplitText(more, ',')) {
        const std::string name = plat::Trim(raw);
        if (name.empty()) continue;
        if (("," + merged + ",").find("," + name + ",") != std::string::npos) continue;
        merged += merged.empty() ? name : "," + name;
    }
    return merged;
}

plat::TDataSource* dataSourceOf(plat::TComponent* control) {
    if (!control || !HasProperty(control, "DataSource")) return nullptr;
    return dynamic_cast<plat::TDataSource*>(plat::GetObjectProp(control, "DataSource"));
}

bool readOnlyProperty(plat::TComponent* control) {
    return control && HasProperty(control, "ReadOnly") && ReadOrdProperty(control, "ReadOnly") != 0;
}

}  // namespace

// ---- required fields --------------------------------------------------------

bool TfrmBase::ValidateRequiredFields(plat::TDataSet* dataSet) {
    if (formMode_ == TFormMode::Browse) return true;
    return CheckRequiredFields(dataSet, RequiredFields);
}

bool TfrmBase::CheckRequiredFields(plat::TDataSet* dataSet, const std::string& list) {
    plat::TField* field = nullptr;
    if (!dataSet || !FindBlankField(dataSet, list, field) || !field) return true;
    Brokers()->ShowMessageCode("E", "000003", {Variant(field->DisplayLabel())});
    auto* grid = dynamic_cast<plat::TCustomDataGrid*>(ActiveControl());
    if (dataSet != MainDataSet() && grid) {
        grid->SetSelectedField(field);
        return false;
    }
    // The data source of the data set on its owner, and its link to the field.
    plat::TComponent* holder = dataSet->Owner();
    plat::TDataSource* source = nullptr;
    for (int i = 0; holder && i < holder->ComponentCount() && !source; ++i)
        if (auto* s = dynamic_cast<plat::TDataSource*>(holder->Components(i));
            s && s->DataSet() == dataSet)
            source = s;
    if (!source) return false;
    plat::TWinControl* control = nullptr;
    for (plat::TDataLink* link : source->Links()) {
        auto* fieldLink = dynamic_cast<plat::TFieldDataLink*>(link);
        if (!fieldLink || fieldLink->Field() != field) continue;
        auto* c = dynamic_cast<plat::TWinControl*>(fieldLink->Control);
        if (c && c->Visible()) {
            control = c;
            break;
        }
    }
    if (!control) return false;
    for (plat::TWinControl* p = control->Parent(); p && p != this; p = p->Parent()) {
        auto* sheet = dynamic_cast<plat::TTabSheet*>(p);
        if (!sheet || !sheet->PageControl()) continue;
        plat::TPageControl* pages = sheet->PageControl();
        if (!pages->Visible() || !pages->CanFocus()) break;
        if (sheet->TabVisible()) pages->SetActivePage(sheet);
    }
    // A form not shown (a check run from code) cannot take the focus.
    if (Visible() && Enabled() && control->CanFocus()) control->SetFocus();
    return false;
}

void TfrmBase::SetRequiredFields(const std::string& list) {
    if (list == RequiredFields) return;
    std::vector<ListEntry> built;
    for (const ListEntry& e : parseFieldList(list)) {
        auto same = std::find_if(built.begin(), built.end(), [&](const ListEntry& b) {
            return plat::SameText(b.dataSet, e.dataSet);
        });
        std::string fields = mergeFields("", e.fields);
        if (same != built.end()) {
            fields = mergeFields(same->fields, e.fields);
            built.erase(same);
        }
        built.push_back({e.dataSet, fields});
    }
    std::string text;
    for (const ListEntry& e : built) text += e.dataSet + ":" + e.fields + ";";
    if (!text.empty()) text.pop_back();
    RequiredFields = text;
}

void TfrmBase::AddRequiredFields(const std::string& list) {
    SetRequiredFields(RequiredFields + ";" + list);
}

void TfrmBase::RemoveRequiredFields(const std::string& list) {
    std::vector<ListEntry> current = parseFieldList(RequiredFields);
    for (const ListEntry& gone : parseFieldList(list))
        for (ListEntry& e : current) {
            if (!plat::SameText(e.dataSet, gone.dataSet)) continue;
            std::vector<std::string> kept;
            for (const std::string& f : SplitText(e.fields, ','))
                if (!plat::Trim(f).empty() &&
                    ("," + gone.fields + ",").find("," + plat::Trim(f) + ",") == std::string::npos)
                    kept.push_back(plat::Trim(f));
            e.fields.clear();
            for (const std::string& f : kept) e.fields += (e.fields.empty() ? "" : ",") + f;
        }
    std::string text;
    for (const ListEntry& e : current)
        if (!e.fields.empty()) text += e.dataSet + ":" + e.fields + ";";
    if (!text.empty()) text.pop_back();
    // Rebuilt from scratch so that the result keeps the list's own form.
    RequiredFields.clear();
    SetRequiredFields(text);
}

void TfrmBase::LoadRequiredControls() {
    TMT_Doc* settings = GetUserSettings();
    settings->ApplyToForm(this);
    const std::string ids = settings->GetComponentIDs("Components/*[Required='-1']");
    SetRequiredFields(RequiredFields + ";cdsMain:" + ids);
}

// ---- field locks and user settings ------------------------------------------

void TfrmBase::ApplyFieldLockList(const std::string& list, TFieldLockKind kind) {
    if (!DataModule) return;
    for (const ListEntry& e : parseFieldList(list)) {
        auto* dataSet = dynamic_cast<plat::TDataSet*>(DataModule->FindComponent(e.dataSet));
        if (!dataSet) continue;
        for (const std::string& raw : SplitText(e.fields, ',')) {
            plat::TField* field = dataSet->FindField(plat::Trim(raw));
            if (!field) continue;
            if (kind == TFieldLockKind::ReadOnly)
                field->SetReadOnly(true);
            else
                field->SetVisible(false);
            for (int i = 0; i < ComponentCount(); ++i) {
                plat::TComponent* c = Components(i);
                if (!HasProperty(c, "DataField") ||
                    !plat::SameText(ReadStrProperty(c, "DataField"), field->FieldName()))
                    continue;
                if (kind == TFieldLockKind::ReadOnly) {
                    WriteOrdProperty(c, "ReadOnly", 1);
                    WriteOrdProperty(c, "TabStop", 0);
                } else {
                    WriteStrProperty(c, "DataField", "");
                    WriteOrdProperty(c, "Enabled", 0);
                }
                if (auto* control = dynamic_cast<plat::TControl*>(c)) control->SetColor(Color());
            }
        }
    }
}

bool TfrmBase::ReadUserSettingFlag(const std::string& group, const std::string& name, bool def) {
    try {
        TBrokers* b = Brokers();
        Variant reply = b->CallServerMethod(
            "GetUserDefine", plat::VarArrayOf({b->CompanyID, b->UserID, b->ProgramCode, group}));
        const std::string xml = plat::VarToStr(reply);
        if (plat::Trim(xml).empty()) return def;
        plat::XmlDocument doc;
        doc.LoadXML(xml);
        plat::XmlNode node = doc.DocumentElement().SelectSingleNode(name);
        if (!node || node.NodeType() != plat::XmlNodeType::Element) return def;
        return node.Text() == "True";
    } catch (const std::exception&) {
        return def;
    }
}

TMT_Doc* TfrmBase::GetUserSettings() {
    if (userSettings_) return userSettings_.get();
    std::string xml;
    try {
        if (DataModule && DataModule->AppServer.IsDispatch()) {
            Variant reply = DataModule->AppServer.AsDispatch()->Call(
                "GetFormat", Variant(Brokers()->CompanyID), Variant(Brokers()->ProgramCode));
            xml = plat::VarToStr(VarToAnsiCP(reply, 936));
        }
    } catch (const std::exception&) {
        xml.clear();
    }
    try {
        userSettings_ = xml.empty() ? std::make_unique<TMT_Doc>() : std::make_unique<TMT_Doc>(xml);
    } catch (const std::exception&) {
        userSettings_ = std::make_unique<TMT_Doc>();
    }
    userSettings_->Converter = QvConverter;
    return userSettings_.get();
}

// ---- per-record rights ------------------------------------------------------

void TfrmBase::ApplyRecordRights(plat::TDataSet* dataSet) {
    if (HasRight(TRight::ByRecord) && dataSet) {
        plat::TField* creatorField = dataSet->FindField("CREATOR");
        plat::TField* groupField = dataSet->FindField("USR_GROUP");
        const std::string creator = creatorField ? creatorField->AsString() : std::string();
        const std::string group = groupField ? groupField->AsString() : std::string();
        const TRight* elements;
        static const TRight kOwn[] = {TRight::Edit, TRight::Delete, TRight::Confirm,
                                      TRight::Unconfirm, TRight::Void};
        static const TRight kGroup[] = {TRight::GroupEdit, TRight::GroupDelete,
                                        TRight::GroupConfirm, TRight::GroupUnconfirm,
                                        TRight::GroupVoid};
        static const TRight kOthers[] = {TRight::OthersEdit, TRight::OthersDelete,
                                         TRight::OthersConfirm, TRight::OthersUnconfirm,
                                         TRight::OthersVoid};
        if (creator.empty() || creator == Brokers()->UserID)
            elements = kOwn;
        else if (GroupList.find("'" + group + "'") != std::string::npos ||
                 GroupList.find("\"" + group + "\"") != std::string::npos)
            elements = kGroup;
        else
            elements = kOthers;
        EditAllowed = HasRight(elements[0]);
        DeleteAllowed = HasRight(elements[1]);
        ConfirmAllowed = HasRight(elements[2]);
        UnconfirmAllowed = HasRight(elements[3]);
        VoidAllowed = HasRight(elements[4]);
    }
    ApplyRights();
    TdmBase* dm = BaseModule();
    const int total = dm ? dm->ServerRecordCount : 0;
    const int recNo = dataSet && dataSet->Active() ? dataSet->RecNo() : 0;
    SetStatusPanelText(
        3, recNo > 0 ? std::to_string(recNo) + "/" + std::to_string(total) : std::to_string(total));
}

// ---- data and colours -------------------------------------------------------

void TfrmBase::OpenDataSet(plat::TClientDataSet* dataSet, const std::string& where,
                           const std::string& orderBy) {
    if (!dataSet) return;
    if (dataSet == MainDataSet()) {
        MainWhere = where;
        MainOrder = orderBy;
        RefreshMainColors(where, orderBy);
    }
    OpenDataSetByCondition(dataSet, where, Variant(orderBy));
}

bool TfrmBase::RefreshMainColors(const std::string& condition, const std::string& order) {
    try {
        if (TdmBase* dm = BaseModule(); dm && dm->cdsMainColor)
            OpenDataSetByCondition(dm->cdsMainColor, condition, Variant(order));
        RefreshDetailColors();
    } catch (const std::exception&) {
        // Colours are decoration: the data shows without them.
    }
    return true;
}

bool TfrmBase::RefreshCurrentRecordColors() {
    try {
        TdmBase* dm = BaseModule();
        plat::TClientDataSet* main = MainDataSet();
        if (!dm || !main) return true;
        const std::string table = Brokers()->HostParam("M11_TABLE");
        std::string condition;
        for (const std::string& raw : SplitText(dm->KeyFields, ',')) {
            plat::TField* f = main->FindField(plat::Trim(raw));
            if (!f) continue;
            const bool numeric = plat::IsNumericType(f->DataType());
            condition += QualifyField(table, f->FieldName()) + "=" +
                         (numeric ? f->AsString() : plat::QuotedStr(f->AsString())) + " and ";
        }
        if (condition.size() >= 4) condition.resize(condition.size() - 4);
        MainWhere = condition;
        if (dm->cdsMainColor) OpenDataSetByCondition(dm->cdsMainColor, condition, Variant(""));
        RefreshDetailColors();
    } catch (const std::exception&) {
        // As above: a colour failure never stops the form.
    }
    return true;
}

std::string TfrmBase::QualifyField(const std::string& table, const std::string& field) {
    return plat::Trim(table).empty() ? field : table + "." + field;
}

// ---- grid layouts -----------------------------------------------------------

namespace {
template <class F>
void forEachDataSet(plat::TComponent* module, F f) {
    if (!module) return;
    for (int i = 0; i < module->ComponentCount(); ++i)
        if (auto* ds = dynamic_cast<plat::TDataSet*>(module->Components(i))) f(ds);
}
}  // namespace

void TfrmBase::SaveGridLayouts() {
    const std::string base = Brokers()->ProgramCode + "C";
    forEachDataSet(DataModule,
                   [&](plat::TDataSet* ds) { SaveGridLayout(Brokers()->UserID, base, ds, -1); });
}

void TfrmBase::LoadGridLayouts() {
    const std::string base = Brokers()->ProgramCode + "C";
    forEachDataSet(DataModule,
                   [&](plat::TDataSet* ds) { LoadGridLayout(Brokers()->UserID, base, ds, -1); });
}

void TfrmBase::ApplyGridColumns(plat::TCustomDataGrid* grid) {
    if (grid) GetUserSettings()->ApplyGridColumns(grid);
}

// ---- document viewer --------------------------------------------------------

bool TfrmBase::ViewDocument() {
    if (!DataModule) return false;
    if (F11Fields.empty()) return true;
    std::vector<ListEntry> entries = parseFieldList(F11Fields);
    if (entries.empty()) return true;
    auto* dataSet = dynamic_cast<plat::TDataSet*>(DataModule->FindComponent(entries[0].dataSet));
    const std::string fieldName = plat::Trim(SplitText(entries[0].fields, ',')[0]);
    plat::TField* field = dataSet ? dataSet->FindField(fieldName) : nullptr;
    if (!field) return true;
    Variant answer;
    const bool ok =
        UseItemDocuments
            ? Brokers()->QueryData("INVMB", "12", plat::VarArrayOf({field->AsString()}), answer)
            : Brokers()->QueryData("CMSMV", "07", plat::VarArrayOf({field->AsString()}), answer);
    if (!ok || !answer.IsArray() || answer.HighBound(1) < answer.LowBound(1) + 1) return true;
    const int low = answer.LowBound(1);
    if (plat::VarToStr(answer[low]).empty()) return true;
    plat::DispatchPtr manager = plat::CreateOleObject("NorvanC.NORVANClass1");
    Variant output;
    Variant result = manager->Call(
        "CheckOut", plat::VarArrayOf({Brokers()->UserID, "R", answer[low], answer[low + 1], ""}),
        output);
    if (plat::VarToIntDef(result, -1) >= 0 && output.IsArray() &&
        output.HighBound(1) >= output.LowBound(1))
        plat::DesktopLauncher().Open(plat::VarToStr(output[output.LowBound(1)]));
    return true;
}

// ---- function keys ----------------------------------------------------------

namespace {
// A read-only control takes no lookup: the key is spent and the action ends.
void refuseOnReadOnly(uint16_t& key, plat::TWinControl* control) {
    if (!readOnlyProperty(control)) return;
    key = 0;
    plat::Abort();
}
}  // namespace

void TfrmBase::HandleF2Key(uint16_t& key, plat::TWinControl* control) {
    TfrmRadical::HandleF2Key(key, control);
    refuseOnReadOnly(key, control);
}
void TfrmBase::HandleF3Key(uint16_t& key, plat::TWinControl* control) {
    TfrmRadical::HandleF3Key(key, control);
    refuseOnReadOnly(key, control);
}
void TfrmBase::HandleF4Key(uint16_t& key, plat::TWinControl* control) {
    TfrmRadical::HandleF4Key(key, control);
    refuseOnReadOnly(key, control);
}
void TfrmBase::HandleF11Key(uint16_t& key, plat::TWinControl* control) {
    TfrmRadical::HandleF11Key(key, control);
    ShowF11Input(control);
    key = 0;
}

void TfrmBase::ShowF11Input(plat::TWinControl* control) {
    const bool force = false;
    if (OpenMode() == 10 || !DataModule || F11Fields.empty() || !control) return;
    if ((dynamic_cast<TQvBtnDBEdit*>(control) || dynamic_cast<TQvBtnDBCombo*>(control)) &&
        readOnlyProperty(control))
        return;
    plat::TDataSource* source = dataSourceOf(control);
    plat::TDataSet* dataSet = source ? source->DataSet() : nullptr;
    if (!dataSet || !dataSet->Active()) return;
    std::string entry;
    for (const ListEntry& e :
         parseFieldList(plat::StringReplace(F11Fields, " ", "", plat::ReplaceFlags::All)))
        if (plat::SameText(e.dataSet, dataSet->Name())) {
            entry = e.fields;
            break;
        }
    plat::TField* field = nullptr;
    if (auto* grid = dynamic_cast<plat::TCustomDataGrid*>(control))
        field = grid->SelectedField();
    else
        field = dataSet->FindField(ReadStrProperty(control, "DataField"));
    if (!field || (field->ReadOnly() && !force)) return;
    if (("," + entry + ",").find("," + field->FieldName() + ",") == std::string::npos) return;
    Variant answer =
        Brokers()->ShowCharaters(2, false, Brokers()->UserID, Brokers()->CompanyID, Handle());
    if (!answer.IsArray() || answer.HighBound(1) < answer.LowBound(1)) return;
    const std::string text = plat::VarToStr(answer[answer.LowBound(1)]);
    if (text.empty() || formMode_ == TFormMode::Browse) return;
    if (dataSet->State() != plat::TDataSetState::dsEdit &&
        dataSet->State() != plat::TDataSetState::dsInsert)
        dataSet->Edit();
    SetFieldText(field, text);
}

void TfrmBase::GetHelpContext(const std::string& topic, std::string& context) {
    if (formMode_ == TFormMode::Browse) {
        context = topic + "0000";
        return;
    }
    TfrmRadical::GetHelpContext(topic, context);
}

void TfrmBase::DateFieldDBComboDlgExit(plat::TObject* sender) {
    auto* combo = dynamic_cast<TQvDBComboDlg*>(sender);
    if (!combo) return;
    plat::TField* field = combo->Field();
    if (!field || !field->CanModify()) return;
    std::string text = combo->Text();
    if (!Sys002Text.empty())
        text = plat::StringReplace(text, Sys002Text, "", plat::ReplaceFlags::All);
    if (!plat::Trim(text).empty() || field->AsString().empty()) return;
    if (DataModule && field->EditMask() == DataModule->DateFieldEditMask()) field->Clear();
}

}  // namespace ktrb
