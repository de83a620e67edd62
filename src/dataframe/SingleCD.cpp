#include "dataframe/SingleCD.h"

#include "dataframe/knlRadical.h"
#include "platform/core/format.h"
#include "platform/core/text.h"
#include "runtime/Brokers.h"
#include "runtime/LanguageController.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"
#include "runtime/libUDF.h"

namespace ktrb {

using plat::TClientDataSet;
using plat::TDataSet;
using plat::TField;
using plat::Variant;

namespace {

constexpr int kMaxKeyFields = 10;
constexpr int kNumberKinds = 11;
constexpr const char* kNoValue = " ";  // a keep-on-add entry that remembers nothing yet

std::vector<std::string> SplitList(const std::string& list) {
    std::vector<std::string> out;
    for (int i = 1, n = FieldCount(list, ","); i <= n; ++i)
        out.push_back(plat::Trim(TokenAt(list, ",", i)));
    return out;
}

std::string LastItem(const std::string& list) {
    auto items = SplitList(list);
    return items.empty() ? std::string() : items.back();
}

}  // namespace

TdmSingle::TdmSingle(plat::TComponent* owner)
    : TdmBase(owner), singleOwner_(dynamic_cast<ISingleModuleOwner*>(owner)) {
    cdsMain->OnReconcileError = plat::TReconcileErrorEvent(this, &TdmSingle::cdsMainReconcileError);
    cdsMain->BeforeOpen = plat::TDataSetNotifyEvent(this, &TdmSingle::cdsMainBeforeOpen);
    cdsMain->AfterScroll = plat::TDataSetNotifyEvent(this, &TdmSingle::cdsMainAfterScroll);
}

TdmSingle::~TdmSingle() = default;

// ---- keep-on-add values -----------------------------------------------------

void TdmSingle::SetKeepFields(const std::string& fields) {
    if (fields.empty()) return;
    KeepFields.Clear();
    for (const std::string& name : SplitList(fields))
        if (!name.empty()) KeepFields.Add(name + "=" + kNoValue);
}

void TdmSingle::ClearKeepValues() {
    for (int i = 0; i < KeepFields.Count(); ++i)
        KeepFields.SetStrings(i, KeepFields.Names(i) + "=" + kNoValue);
}

void TdmSingle::StoreKeepValues() {
    RememberFieldValues(cdsMain, KeepFields);
}

void TdmSingle::RestoreKeepValues() {
    // The automatic-numbering switch stays as the module set it: a module that
    // numbers by document type resets it itself for every new record.
    RestoreFieldValues(cdsMain, KeepFields);
}

void TdmSingle::RememberFieldValues(TDataSet* dataSet, plat::TStringList& list) {
    int i = 0;
    while (i < list.Count()) {
        const std::string name = list.Names(i);
        TField* field = dataSet->FindField(name);
        if (field) {
            try {
                if (field->IsNull()) {
                    list.Delete(i);
                    continue;
                }
                list.SetStrings(i, name + "=" + field->AsString() + " ");
            } catch (const std::exception&) {
                list.Delete(i);
                continue;
            }
        }
        ++i;
    }
}

void TdmSingle::RestoreFieldValues(TDataSet* dataSet, plat::TStringList& list) {
    for (int i = 0; i < list.Count(); ++i) {
        const std::string stored = list.ValueFromIndex(i);
        // Nothing remembered yet: writing a blank would run the field's rules
        // on an empty value.
        if (stored == kNoValue) continue;
        TField* field = dataSet->FindField(list.Names(i));
        if (!field) continue;
        try {
            SetFieldText(field, plat::Trim(stored), true);
        } catch (const std::exception&) {
            // One field that refuses its value does not keep the others back.
        }
    }
}

// ---- keys -------------------------------------------------------------------

void TdmSingle::SetKeyFields(const std::string& keys) {
    const int count = FieldCount(keys, ",");
    if (count > kMaxKeyFields)
        throw plat::EInternalError("SingleCD-212: the header key list \"" + keys +
                                   "\" has more than " + std::to_string(kMaxKeyFields) + " fields");
    TdmBase::SetKeyFields(keys);
    KeyCount = count;
    if (AutoNumber && AutoNumberField.empty()) {
        AutoNumberField = LastItem(KeyFields);
        if (TField* f = cdsMain->FindField(AutoNumberField)) f->SetRequired(false);
    }
}

void TdmSingle::SetAutoNumberKey(bool on) {
    if (on == AutoNumber) return;
    AutoNumber = on;
    AutoNumberField.clear();
    if (on && !KeyFields.empty()) {
        AutoNumberField = LastItem(KeyFields);
        if (TField* f = cdsMain->FindField(AutoNumberField)) f->SetRequired(false);
    }
}

void TdmSingle::GetKeyFieldName(std::string& text) {
    text = AutoNumberField;
}

void TdmSingle::StoreKeyValues() {
    auto names = SplitList(KeyFields);
    for (int pos = 1; pos <= KeyCount && pos <= (int)names.size(); ++pos)
        KeyValues[pos - 1] = Variant(cdsMain->FieldByName(names[pos - 1])->AsString());
}

bool TdmSingle::GetKeyWhereText(std::string& text) {
    text.clear();
    if (cdsMain->State() != plat::dsBrowse) return false;
    const bool adding = OwnerForm() && OwnerForm()->FormMode() == TFormMode::Add;
    for (const std::string& name : SplitList(KeyFields)) {
        TField* field = cdsMain->FindField(name);
        if (!field) continue;
        std::string value;
        if (adding && AutoNumber && name == AutoNumberField)
            value = plat::QuotedStr(OwnerForm()->PendingDocumentNumber());
        else if (dynamic_cast<plat::TStringField*>(field))
            value = plat::QuotedStr(field->AsString());
        else
            value = field->AsString();
        if (!text.empty()) text += " and ";
        if (!MainTable.empty()) text += MainTable + ".";
        text += name + " = " + value;
    }
    return !text.empty();
}

// ---- new header record ------------------------------------------------------

void TdmSingle::SetDefaultValues() {
    TdmBase::SetDefaultValues();
    RestoreKeepValues();
    ApplyDefaultValues();
    if (OwnerForm()) OwnerForm()->ApplyUserDefaultTexts();
    if (singleOwner_) {
        TUDFFields rules;
        singleOwner_->LoadFieldRules(singleOwner_->ProgramIDFromModule(), "Z01", "N", rules);
        ApplyFieldRules(cdsMain, rules);
    }
}

void TdmSingle::ApplyDefaultValues() {
    if (DefaultValues.IsEmpty() || DefaultValues.DimCount() != 2) return;
    for (int col = DefaultValues.LowBound(2); col <= DefaultValues.HighBound(2); ++col)
        if (TField* f = cdsMain->FindField(plat::VarToStr(DefaultValues.At(0, col))))
            f->SetValue(DefaultValues.At(1, col));
}

void TdmSingle::ApplyFieldRules(TDataSet* dataSet, const TUDFFields& rules) {
    bool reported = false;
    for (int i = 0; i < rules.Count(); ++i) {
        const TUDFField* rule = rules.GetItem(i);
        TField* target = dataSet->FindField(rule->TargetField);
        try {
            const TUDFRelatedFields& sources = rule->RelatedFields();
            Variant values = Variant::CreateArray({0, sources.Count() - 1});
            for (int s = 0; s < sources.Count(); ++s) {
                const TField* source = sources.GetItem(s)->SourceField;
                values[s] = Variant(source ? source->AsString() : std::string());
            }
            Variant reply = broker().CallServerMethod(
                "QueryUDFData",
                plat::VarArrayOf({rule->QueryText, "", Broker->SignOnKey, "N", values}));
            if (reply.IsEmptyOrNull() || !reply.IsArray() || reply.ArrayCount() == 0) continue;
            const Variant& row = reply[reply.LowBound(1)];
            if (!row.IsArray() || row.ArrayCount() == 0 || !target) continue;
            SetFieldText(target, plat::VarToStr(row[row.LowBound(1)]));
        } catch (const std::exception&) {
            if (reported) continue;
            reported = true;
            // A rule whose target is not in the data set has no label: its name stands in.
            const std::string label = target ? target->DisplayLabel() : rule->TargetField;
            const std::string text = LangMessage(false, "TfrmSingle", "sUDFError",
                                                 "自定义栏位(%s)赋值错误，可能是类型不匹配！！");
            showMessage(kMsgError, "000032", {Variant(plat::Format(text, {Variant(label)}))});
        }
    }
}

// ---- other virtual operations -----------------------------------------------

void TdmSingle::FetchAllPackets(TClientDataSet* dataSet) {
    if (dataSet->GetNextPacket() > 0)
        while (dataSet->GetNextPacket() >= 1) {
        }
    dataSet->First();
}

int TdmSingle::GetFieldNumberKind(const std::string& fieldName, int defaultValue) {
    if (fieldName.empty()) return defaultValue;
    for (int kind = 0; kind < kNumberKinds; ++kind)
        if (GetKindFields(kind).find(fieldName) != std::string::npos) return GetKindDecimals(kind);
    return defaultValue;
}

void TdmSingle::GetComboItemText(TDataSet* dataSet, std::string& text, const std::string& value,
                                 const std::string& fieldName) {
    text = value;
    auto* cds = dynamic_cast<TClientDataSet*>(dataSet);
    if (!cds || !singleOwner_) return;
    for (const std::string& line : cds->ControlType) {
        if (!plat::SameText(TokenAt(line, ";", 1), fieldName)) continue;
        if (TokenAt(line, ";", 2) != "CustomEdit") return;
        std::vector<std::string> items;
        if (!singleOwner_->ComboBoxItems(TokenAt(line, ";", 3), items)) return;
        for (const std::string& item : items)
            if (item.find(value) != std::string::npos) {
                text = item.substr(0, item.find('\t'));
                return;
            }
        return;
    }
}

void TdmSingle::ApplyDefaultCurrencyFormats() {
    const std::string local = sysParam(kLocalCurrencyKey);
    for (int k = 0; k < kCurrencyDigitTypes; ++k) {
        auto kind = (TCurrencyDigitType)k;
        const std::string list = GetCurrencyAmountFields(nullptr, kind);
        if (!plat::Trim(list).empty())
            ApplyDecimalFormat(list, GetCurrencyDigits(local, kind), true);
    }
}

// ---- data rights ------------------------------------------------------------

TClientDataSet* TdmSingle::findNestedDataSet(TDataSet* master, const TDataSet* except) const {
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* ds = dynamic_cast<TClientDataSet*>(Components(i));
        if (!ds || ds == except || !ds->DataSetField() || ds->DataSetField()->DataSet() != master)
            continue;
        // A clone of a nested set follows the same field; the level's own
        // set is the one bound first.
        if (ds->DataSetField()->DetailDataSets().front() != ds) continue;
        return ds;
    }
    return nullptr;
}

void TdmSingle::reportDeniedRows(const std::string& denied, const std::string& listCode,
                                 const std::string& allCode) {
    if (denied == "ALL")
        showMessage(kMsgError, allCode, {Variant(std::string())});
    else
        showMessage(kMsgError, listCode,
                    {Variant("\r\n\r\n" +
                             plat::StringReplace(denied, ";", "\r\n", plat::ReplaceFlags::All))});
}

bool TdmSingle::CheckDataRights() {
    bool result = TdmBase::CheckDataRights();
    if (!result || hostParam("H11_KEY").empty()) return result;
    auto* other = findNestedDataSet(cdsMain, dynamic_cast<TDataSet*>(FindComponent("cdsBody1")));
    if (!other) return result;
    std::string denied;
    result = CheckBodyDataRights(other, "H11", denied);
    if (!result) reportDeniedRows(denied, "200571", "200570");
    return result;
}

// ---- save -------------------------------------------------------------------

bool TdmSingle::ApplyData(TClientDataSet* dataSet) {
    SaveConflicted = false;
    const bool saved = TdmBase::ApplyData(dataSet);
    // What follows a save only refreshes the screen: it must not turn a
    // stored document into a reported failure.
    try {
        const bool adding = OwnerForm() && OwnerForm()->FormMode() == TFormMode::Add;
        if (saved && adding) StoreKeepValues();
        if (OwnerForm() && OwnerForm()->ColorRulesEnabled() && cdsMainColor->Active()) {
            if (adding)
                OwnerForm()->RefreshCurrentRecordColors();
            else
                OwnerForm()->RefreshMainColors();
            ApplyRecordColors();
        }
    } catch (const std::exception& e) {
        WriteAlertLog(Broker ? Broker->ProgramCode : "SingleCD",
                      std::string("Single-345:") + e.what(), "D");
    }
    return saved;
}

std::string TdmSingle::DocumentKeyText() const {
    std::string text;
    for (int i = 1; i <= FieldCount(KeyFields, ","); ++i)
        if (TField* f = cdsMain->FindField(plat::Trim(TokenAt(KeyFields, ",", i))))
            text += (text.empty() ? "" : "-") + plat::Trim(f->AsString());
    return text;
}

void TdmSingle::ReportSaveConflict(const std::string& storedStatus, bool gone) {
    if (SaveConflicted) return;
    SaveConflicted = true;
    // The host's words for a document as it is stored now.
    const char* code = gone                  ? "S00001"
                       : storedStatus == "Y" ? "S00003"
                       : storedStatus == "V" ? "S00005"
                                             : "S00002";
    showMessage(kMsgError, code, {Variant(DocumentKeyText())});
}

void TdmSingle::cdsMainReconcileError(TClientDataSet*, plat::EReconcileError& E, plat::TUpdateKind,
                                      plat::TReconcileAction&) {
    if (E.ErrorCode == kRowChangedSinceRead) {
        // The refused row as the server holds it now; no values: it is gone.
        bool gone = true;
        for (TField* f : cdsMain->Fields())
            if (f->FieldKind() == plat::TFieldKind::fkData && !f->CurValue().IsEmpty())
                gone = false;
        TField* status =
            DocumentStatusField.empty() ? nullptr : cdsMain->FindField(DocumentStatusField);
        ReportSaveConflict(status ? plat::Trim(plat::VarToStr(status->CurValue())) : "", gone);
        return;
    }
    if (OwnerForm())
        OwnerForm()->ShowMessageBox(plat::VarToStr(toDisplay(Variant(E.Message()))),
                                    TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
    const std::string failed =
        "Single" + LangMessage(false, "TdmSingle", "sFailedSave", "保存失败");
    const std::string log = Broker ? Broker->ProgramCode : "SingleCD";
    WriteAlertLog(log, failed + "Context :" + E.Context, "D");
    WriteAlertLog(log, failed + "PreviousError :" + std::to_string(E.PreviousError), "D");
}

// ---- browse grid ------------------------------------------------------------

void TdmSingle::SetMultiSelectedVisible(bool show) {
    ShowMultiSelected = show;
    if (TField* f = cdsMain->FindField(kMultiSelectedField)) f->SetVisible(show);
}

void TdmSingle::EnsureMultiSelectedField() {
    if (cdsMain->FindField(kMultiSelectedField)) return;
    // The column joins the designed fields; a data set that takes its fields
    // from the provider would lose them all to a field of its own.
    if (cdsMain->FieldCount() == 0 || cdsMain->DefaultFields()) return;
    auto* f = new plat::TStringField(cdsMain);
    f->SetFieldName(kMultiSelectedField);
    f->SetFieldKind(plat::TFieldKind::fkInternalCalc);
    f->SetSize(1);
    f->SetDataSet(cdsMain);
    f->SetIndex(0);
    f->SetReadOnly(true);
    f->SetVisible(ShowMultiSelected);
    f->OnGetText = plat::TFieldGetTextEvent(this, &TdmSingle::MultiSelectedGetText);
    const std::string cp = OwnerForm() ? OwnerForm()->GetUICodePage() : "936";
    f->SetDisplayLabel(cp == "950" || cp == "936" ? "选定" : "Selected");
    cdsMain->ControlType.push_back(std::string(kMultiSelectedField) + ";CheckBox;Y;N");
}

void TdmSingle::cdsMainBeforeOpen(TDataSet* DataSet) {
    TdmBase::cdsMainBeforeOpen(DataSet);
    EnsureMultiSelectedField();
    MultiSelectedField = cdsMain->FindField(kMultiSelectedField);
    if (singleOwner_) singleOwner_->ClearMainGridSelection();
}

void TdmSingle::MultiSelectedGetText(TField*, std::string& Text, bool) {
    Text = singleOwner_ && singleOwner_->MainGridRecordSelected() ? "Y" : "N";
}

bool TdmSingle::isSortableField(const TField* field) {
    using plat::TFieldType;
    if (field->FieldKind() != plat::TFieldKind::fkData) return false;
    switch (field->DataType()) {
        case TFieldType::ftDataSet:
        case TFieldType::ftBlob:
        case TFieldType::ftMemo:
        case TFieldType::ftBytes:
        case TFieldType::ftVariant:
            return false;
        default:
            return !dynamic_cast<const plat::TObjectField*>(field) &&
                   !dynamic_cast<const plat::TAggregateField*>(field);
    }
}

bool TdmSingle::IsIndexAscending(TClientDataSet* dataSet) const {
    return IsSortAscending(dataSet);
}

void TdmSingle::resyncAfterOrderChange(int countBefore, const char* logTag) {
    if (cdsMain->RecordCount() == countBefore) return;
    try {
        TDataEventsDetached events(dsMain);
        TControlsDisabled controls(cdsMain);
        cdsMain->Next();
        cdsMain->Prior();
    } catch (const std::exception& e) {
        WriteAlertLog(Broker ? Broker->ProgramCode : "SingleCD", std::string(logTag) + e.what(),
                      "D");
    }
}

void TdmSingle::SortMainByField(const std::string& fieldName) {
    if (singleOwner_ && !singleOwner_->HeadTitleSortEnabled()) return;
    if (!cdsMain->Active()) return;
    TField* field = fieldName.empty() ? nullptr : cdsMain->FieldByName(fieldName);
    const int count = cdsMain->RecordCount();
    if (!field) {
        if (!SortField) return;
        SortField = nullptr;
        cdsMain->SetIndexName("");
        cdsMain->SetIndexFieldNames(DefaultOrder);
    } else {
        if (!isSortableField(field)) return;
        if (OwnerForm() && OwnerForm()->FormMode() != TFormMode::Browse) return;
        const std::string& name = field->FieldName();
        if (field == SortField && IsIndexAscending(cdsMain)) {
            plat::TIndexDef* def = cdsMain->IndexDefs().FindIndexForName(name);
            if (!def) {
                def = &cdsMain->IndexDefs().Add(name, name, plat::ixDescending);
                def->DescFields = name;
            }
            def->Fields = name;
            def->Options |= plat::ixDescending;
            cdsMain->SetIndexFieldNames("");
            cdsMain->SetIndexName(name);
        } else if (field == SortField) {
            cdsMain->SetIndexName("");
            cdsMain->SetIndexFieldNames(name);
        } else {
            SortField = field;
            cdsMain->SetIndexName("");
            cdsMain->SetIndexFieldNames(name);
        }
    }
    resyncAfterOrderChange(count, "Single-763:");
}

// ---- colours ----------------------------------------------------------------

void TdmSingle::ApplyRecordColors() {
    IDataModuleOwner* form = OwnerForm();
    if (!form || !form->ColorRulesEnabled()) return;
    if (cdsMainColor->Active() && cdsMain->RecordCount() > cdsMainColor->RecordCount())
        cdsMainColor->GetNextPacket();
    form->RestoreColors();
    if (!cdsMainColor->Active()) return;
    const Variant keys = singleOwner_ ? singleOwner_->GetKeyValueArray() : Variant();
    if (keys.IsEmptyOrNull()) return;
    const std::string names = plat::StringReplace(KeyFields, ",", ";", plat::ReplaceFlags::All);
    if (cdsMainColor->Locate(names, keys)) form->ApplyColorsToRecord(cdsMainColor);
}

void TdmSingle::cdsMainAfterScroll(TDataSet* DataSet) {
    if (!(OwnerForm() && OwnerForm()->ColorHoldValue() != 0)) ApplyRecordColors();
    TdmBase::cdsMainAfterScroll(DataSet);
}

}  // namespace ktrb
