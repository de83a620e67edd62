#include "dataframe/DoubleCD.h"

#include <algorithm>

#include "dataframe/LibDouble.h"
#include "dataframe/knlRadical.h"
#include "platform/core/exactsum.h"
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

// The entries of a key list, each trimmed and cut at its first blank (the
// field name before an alias).
std::vector<std::string> KeyEntries(const std::string& list) {
    std::vector<std::string> out;
    for (int i = 1, n = FieldCount(list, ","); i <= n; ++i) {
        std::string entry = plat::Trim(TokenAt(list, ",", i));
        out.push_back(entry.substr(0, entry.find(' ')));
    }
    return out;
}

// The placeholder as a key field holds it: cut to the field's size.
bool IsPendingKey(const std::string& text) {
    return !text.empty() && text.find_first_not_of('~') == std::string::npos;
}

bool IsEditing(const TDataSet* dataSet) {
    return dataSet->State() == plat::dsEdit || dataSet->State() == plat::dsInsert;
}

// Writes a field that the module keeps itself (keys): ReadOnly lifted.
class TReadOnlyLifted {
  public:
    explicit TReadOnlyLifted(TField* f) : f_(f), was_(f->ReadOnly()) { f_->SetReadOnly(false); }
    ~TReadOnlyLifted() { f_->SetReadOnly(was_); }
    TReadOnlyLifted(const TReadOnlyLifted&) = delete;
    TReadOnlyLifted& operator=(const TReadOnlyLifted&) = delete;

  private:
    TField* f_;
    bool was_;
};

}  // namespace

TdmDouble::TdmDouble(plat::TComponent* owner)
    : TdmSingle(owner), doubleOwner_(dynamic_cast<IDoubleModuleOwner*>(owner)) {
    BodyClone = new TClientDataSet(this);
    lineCursor_ = std::make_unique<TClientDataSet>();

    cdsBody1 = new TwwClientDataSet(this);
    cdsBody1->SetName("cdsBody1");
    cdsBody1->ValidateWithMask = true;
    cdsBody1->AfterOpen = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsBody1AfterOpen);
    cdsBody1->AfterEdit = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsBody1AfterEdit);
    cdsBody1->BeforePost = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsBody1BeforePost);
    cdsBody1->AfterPost = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsBody1AfterPost);
    cdsBody1->AfterDelete = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsBody1AfterDelete);
    cdsBody1->AfterScroll = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsBody1AfterScroll);
    cdsBody1->BeforeInsert = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsBody1BeforeInsert);
    cdsBody1->OnNewRecord = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsBody1NewRecord);
    cdsBody1->OnReconcileError =
        plat::TReconcileErrorEvent(this, &TdmDouble::cdsBody1ReconcileError);
    dsBody1 = new TwwDataSource(this);
    dsBody1->SetName("dsBody1");
    dsBody1->SetDataSet(cdsBody1);
    dsBody1->OnDataChange = plat::TDataChangeEvent(this, &TdmDouble::dsBody1DataChange);
    cdsBodyColor = new TwwClientDataSet(this);
    cdsBodyColor->SetName("cdsBodyColor");
    cdsBodyColor->ValidateWithMask = true;
    dsBodyColor = new TwwDataSource(this);
    dsBodyColor->SetName("dsBodyColor");
    dsBodyColor->SetDataSet(cdsBodyColor);

    cdsMain->AfterPost = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsMainAfterPost);
    cdsMain->AfterInsert = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsMainAfterInsert);
    cdsMain->AfterEdit = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsMainAfterEdit);
    cdsMain->OnNewRecord = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsMainNewRecord);
    cdsMain->AfterScroll = plat::TDataSetNotifyEvent(this, &TdmDouble::cdsMainAfterScroll);
}

TdmDouble::~TdmDouble() {
    // The cursors follow the lines' nested field: they go before it does.
    keyCursors_.clear();
    lineCursor_.reset();
}

// ---- settings ---------------------------------------------------------------

void TdmDouble::SetBodyKeyFields(const std::string& keys) {
    if (keys == BodyKeyFields) return;
    BodyKeyFields = keys;
    if (LineNumbering && LineNumberField.empty()) {
        auto entries = KeyEntries(keys);
        if (!entries.empty()) LineNumberField = entries.back();
    }
}

void TdmDouble::SetLineNumbering(bool on) {
    if (on == LineNumbering) return;
    LineNumbering = on;
    LineNumberField.clear();
    auto entries = KeyEntries(BodyKeyFields);
    if (on && !entries.empty()) LineNumberField = entries.back();
}

void TdmDouble::GetKeyFieldName(std::string& text) {
    text.clear();
    if (AutoNumberField.empty()) return;
    const size_t at = KeyFields.find(AutoNumberField);
    if (at == std::string::npos) return;
    const int position = FieldCount(KeyFields.substr(0, at + 1), ",");
    auto entries = KeyEntries(BodyKeyFields);
    const std::string body =
        position >= 1 && position <= (int)entries.size() ? entries[position - 1] : "";
    text = AutoNumberField + "," + body;
}

bool TdmDouble::RestoreBodyIndex() {
    const std::string byName = "IndexName=", byFields = "IndexFieldNames=";
    if (SavedBodyOrder.rfind(byName, 0) == 0) {
        cdsBody1->SetIndexName(SavedBodyOrder.substr(byName.size()));
    } else if (SavedBodyOrder.rfind(byFields, 0) == 0) {
        cdsBody1->SetIndexFieldNames(SavedBodyOrder.substr(byFields.size()));
    } else {
        auto entries = KeyEntries(BodyKeyFields);
        const size_t line = (size_t)FieldCount(KeyFields, ",");
        cdsBody1->SetIndexName("");
        cdsBody1->SetIndexFieldNames(line < entries.size() ? entries[line] : "");
    }
    BodySortField = nullptr;
    return true;
}

bool TdmDouble::InitDataModule() {
    // The module's own order of the lines, as its design left it.
    if (!cdsBody1->IndexName().empty())
        SavedBodyOrder = "IndexName=" + cdsBody1->IndexName();
    else if (!cdsBody1->IndexFieldNames().empty())
        SavedBodyOrder = "IndexFieldNames=" + cdsBody1->IndexFieldNames();
    else
        SavedBodyOrder.clear();
    if (!TdmSingle::InitDataModule()) return false;
    SetBodyKeyFields(hostParam("D11_KEY"));
    cdsBody1->Open();
    if (auto* colors =
            dynamic_cast<plat::TDataSetField*>(cdsMainColor->FindField("qryBodyColor"))) {
        cdsBodyColor->SetDataSetField(colors);
        cdsBodyColor->Open();
    }
    SetAuditFieldLabels(cdsBody1);
    return cdsBody1->Active();
}

void TdmDouble::ShowAuditFields(bool show) {
    TdmSingle::ShowAuditFields(show);
    ShowAuditFieldsOf(cdsBody1, show);
}

// ---- header key into the lines ----------------------------------------------

void TdmDouble::CopyHeadKeysToBody() {
    auto head = KeyEntries(KeyFields);
    auto body = KeyEntries(BodyKeyFields);
    for (size_t i = 0; i < head.size() && i < body.size(); ++i) {
        TField* from = cdsMain->FindField(head[i]);
        TField* to = cdsBody1->FindField(body[i]);
        if (!from || !to) continue;
        if (cdsBody1->State() == plat::dsBrowse) cdsBody1->Edit();
        TReadOnlyLifted lifted(to);
        to->SetValue(from->Value());
    }
}

void TdmDouble::MarkPendingBodyKeys() {
    auto body = KeyEntries(BodyKeyFields);
    for (size_t i = 0; i + 1 < body.size(); ++i) {
        auto* to = dynamic_cast<plat::TStringField*>(cdsBody1->FindField(body[i]));
        if (!to) continue;
        TReadOnlyLifted lifted(to);
        to->SetAsString(kPendingBodyKey);
    }
}

void TdmDouble::ReapplyHeadKeyToBody() {
    if (!cdsBody1->Active() || cdsBody1->IsEmpty()) return;
    TControlsDisabled controls(cdsBody1);
    TDataEventsDetached events(dsBody1);
    // Every line once, by identity: a line whose post fails is left behind,
    // and re-keyed lines cannot move under the walk.
    std::vector<plat::TBookmark> lines;
    lines.reserve((size_t)cdsBody1->RecordCount());
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next())
        lines.push_back(cdsBody1->GetBookmark());
    for (const plat::TBookmark& line : lines) {
        cdsBody1->GotoBookmark(line);
        try {
            cdsBody1->Edit();
            CopyHeadKeysToBody();
            cdsBody1->Post();
        } catch (const std::exception&) {
            if (IsEditing(cdsBody1)) cdsBody1->Cancel();
        }
    }
}

bool TdmDouble::hasPendingBodyKeys() {
    plat::TDataSetField* nested = cdsBody1->DataSetField();
    if (!nested || nested->DataSet() != cdsMain) return false;
    const plat::TDelta delta = cdsMain->Delta();
    int column = -1, detail = 0;
    for (size_t i = 0; i < delta.fields.size() && column < 0; ++i) {
        if (delta.fields[i].type != plat::TFieldType::ftDataSet) continue;
        if (plat::SameText(delta.fields[i].name, nested->FieldName()))
            column = (int)i;
        else
            ++detail;
    }
    if (column < 0) return false;
    const auto& lineFields = delta.fields[(size_t)column].fields;
    auto keys = KeyEntries(BodyKeyFields);
    if (!keys.empty()) keys.pop_back();  // the line number
    std::vector<int> keyColumns;
    for (const std::string& key : keys)
        for (size_t c = 0; c < lineFields.size(); ++c)
            if (plat::SameText(lineFields[c].name, key)) keyColumns.push_back((int)c);
    for (const plat::TDeltaRow& head : delta.rows) {
        if ((size_t)detail >= head.details.size()) continue;
        for (const plat::TDeltaRow& line : head.details[(size_t)detail]) {
            if (line.status != plat::TUpdateStatus::usInserted &&
                line.status != plat::TUpdateStatus::usModified)
                continue;
            for (int c : keyColumns)
                if (IsPendingKey(plat::VarToStr(line.newValues[c]))) return true;
        }
    }
    return false;
}

bool TdmDouble::ApplyData(TClientDataSet* dataSet) {
    // Posted first, so that the check sees every line that will be sent.
    if (dataSet == cdsMain && IsEditing(cdsMain)) cdsMain->Post();
    if (dataSet == cdsMain && hasPendingBodyKeys()) {
        // A line whose key never took the header key would be stored under
        // the placeholder.
        const std::string text = LangMessage(false, "TdmDouble", "sPendingBodyKey",
                                             "单身资料的键值尚未取得单头的键值，不能保存");
        if (OwnerForm())
            OwnerForm()->ShowMessageBox(text, TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        WriteAlertLog(Broker ? Broker->ProgramCode : "DoubleCD", "DoubleCD-412:" + text, "D");
        return false;
    }
    return TdmSingle::ApplyData(dataSet);
}

// ---- new lines --------------------------------------------------------------

void TdmDouble::GetNextLineNumber(TDataSet* dataSet, const std::string& fieldName,
                                  std::string& text) {
    NextLineNumber(dataSet, fieldName, text);
}

void TdmDouble::AssignBodyLine() {
    if (cdsMain->State() == plat::dsInsert)
        MarkPendingBodyKeys();
    else
        CopyHeadKeysToBody();
    if (!LineNumberField.empty()) {
        std::string number;
        GetNextLineNumber(lineNumberCursor(), LineNumberField, number);
        SetFieldText(cdsBody1->FindField(LineNumberField), number);
    }
    CopyMappedHeadFields();
    CopyCarryOverFields();
    if (doubleOwner_) doubleOwner_->ApplyBodyComboDefaults();
    if (SingleOwner()) {
        TUDFFields rules;
        SingleOwner()->LoadFieldRules(SingleOwner()->ProgramIDFromModule(), "Z01D", "ALL", rules);
        ApplyFieldRules(cdsBody1, rules);
    }
}

void TdmDouble::CopyMappedHeadFields() {
    for (int i = 1, n = FieldCount(HeadToBodyFields, ","); i <= n; ++i) {
        const std::string pair = TokenAt(HeadToBodyFields, ",", i);
        TField* head = cdsMain->FindField(plat::Trim(TokenAt(pair, "->", 1)));
        TField* body = cdsBody1->FindField(plat::Trim(TokenAt(pair, "->", 2)));
        if (!head || !body || head->AsString() == body->AsString()) continue;
        if (cdsBody1->State() == plat::dsBrowse) cdsBody1->Edit();
        SetFieldText(body, head->AsString());
    }
}

void TdmDouble::CopyCarryOverFields() {
    if (!doubleOwner_) return;
    const std::string list = doubleOwner_->BodyCarryOverFields();
    if (plat::Trim(list).empty() || !BodyClone->Active() || BodyClone->IsEmpty()) return;
    BodyClone->Last();
    for (const std::string& name : KeyEntries(list)) {
        TField* line = cdsBody1->FindField(name);
        TField* last = BodyClone->FindField(name);
        if (line && last && line->IsNull()) SetFieldText(line, last->AsString());
    }
}

void TdmDouble::cdsBody1BeforeInsert(TDataSet*) {
    headStateBeforeInsert_ = cdsMain->State();
}

void TdmDouble::cdsBody1NewRecord(TDataSet* DataSet) {
    // Inserting a line puts a browsing header into edit before this runs:
    // the header's state from before the insert decides. Bulk work that
    // holds the line events back leaves only the state now to go by.
    const plat::TDataSetState head =
        headStateBeforeInsert_ != plat::dsInactive ? headStateBeforeInsert_ : cdsMain->State();
    headStateBeforeInsert_ = plat::dsInactive;
    if (head != plat::dsEdit && head != plat::dsInsert) {
        cdsBody1->Cancel();
        // The insert put the browsing header into edit; nothing of it changed.
        if (head == plat::dsBrowse && cdsMain->State() == plat::dsEdit && !cdsMain->Modified())
            cdsMain->Cancel();
        return;
    }
    SetAuditValues(cdsBody1);
    AssignBodyLine();
    FillNulls(cdsBody1);
    if (doubleOwner_) doubleOwner_->FocusFirstBodyColumn();
}

// ---- line events ------------------------------------------------------------

void TdmDouble::cdsBody1BeforePost(TDataSet*) {
    if (OwnerForm() && !OwnerForm()->ValidateRequiredFields(cdsBody1)) plat::Abort();
    BeforeBodyPost();
    if (RejectBodyPost()) plat::Abort();
}

void TdmDouble::CalcHeadTotals() {
    if (cdsMain->State() == plat::dsBrowse) cdsMain->Edit();
}

// A line posted or deleted changes the count even where no scroll follows
// (lines built by code).
void TdmDouble::cdsBody1AfterPost(TDataSet*) {
    if (RecalcOnLineChange) CalcHeadTotalsAfterLineChange();
    showBodyPosition();
}

void TdmDouble::cdsBody1AfterDelete(TDataSet*) {
    if (RecalcOnLineChange) CalcHeadTotalsAfterLineChange();
    showBodyPosition();
}

void TdmDouble::cdsBody1AfterEdit(TDataSet*) {
    SetAuditValues(cdsBody1);
}

void TdmDouble::cdsBody1AfterOpen(TDataSet*) {
    RefreshBodyClone();
}

void TdmDouble::dsBody1DataChange(plat::TObject*, TField*) {
    if (doubleOwner_) doubleOwner_->ShowKeyInStatusBar();
}

void TdmDouble::cdsMainAfterPost(TDataSet*) {
    if (doubleOwner_) doubleOwner_->CopyHeadValuesToBody();
}

void TdmDouble::cdsMainAfterInsert(TDataSet*) {
    if (OwnerForm() && OwnerForm()->FormMode() != TFormMode::Browse) EnteringEditMode();
}

void TdmDouble::cdsMainAfterEdit(TDataSet* DataSet) {
    TdmSingle::cdsMainAfterEdit(DataSet);
    if (OwnerForm() && OwnerForm()->FormMode() != TFormMode::Browse) EnteringEditMode();
}

void TdmDouble::cdsMainNewRecord(TDataSet* DataSet) {
    TdmSingle::cdsMainNewRecord(DataSet);
}

// ---- second cursors over the lines ------------------------------------------

bool TdmDouble::RefreshBodyClone() {
    bool ok = CloneCursorSafe(cdsBody1, BodyClone);
    if (lineCursor_->Active()) lineCursor_->Close();
    for (auto& [list, cursor] : keyCursors_)
        if (cursor->Active()) cursor->Close();
    return ok;
}

// The lines' cursors are cloned from BodyClone, which never edits: the lines
// themselves may be inserting when a cursor is first needed.
TClientDataSet* TdmDouble::lineNumberCursor() {
    if (!lineCursor_->Active() &&
        !(BodyClone->Active() && CloneCursorSafe(BodyClone, lineCursor_.get())))
        return BodyClone;
    if (lineCursor_->IndexFieldNames() != LineNumberField) {
        try {
            lineCursor_->SetIndexFieldNames(LineNumberField);
        } catch (const plat::Exception&) {
            // A line number that cannot be ordered is found by a walk.
            lineCursor_->SetIndexFieldNames("");
        }
    }
    return lineCursor_.get();
}

TClientDataSet* TdmDouble::keyCursor(const std::string& keyList) {
    std::string order;
    for (int i = 1, n = FieldCount(keyList, "+"); i <= n; ++i) {
        const std::string name = plat::Trim(TokenAt(keyList, "+", i));
        if (!name.empty()) order += (order.empty() ? "" : ";") + name;
    }
    auto& cursor = keyCursors_[order];
    if (!cursor) cursor = std::make_unique<TClientDataSet>();
    if (!cursor->Active()) {
        if (!(BodyClone->Active() && CloneCursorSafe(BodyClone, cursor.get()))) return BodyClone;
        try {
            cursor->SetIndexFieldNames(order);
        } catch (const plat::Exception&) {
            cursor->SetIndexFieldNames("");
        }
    }
    return cursor.get();
}

bool TdmDouble::IsDuplicateBodyKey(TField* field, const std::string& keyList) {
    const std::string list = plat::Trim(keyList).empty() ? field->FieldName() : keyList;
    return HasDuplicateKey(keyCursor(list), field, list);
}

// ---- sums -------------------------------------------------------------------

void TdmDouble::GetLineSumFlags(const std::vector<std::string>& fieldNames, std::vector<double>&,
                                std::vector<TLineSumFlag>& flags, const std::vector<std::string>&) {
    flags.assign(fieldNames.size(), TLineSumFlag::Add);
}

void TdmDouble::SumBodyLines(const std::vector<std::string>& lineFields,
                             std::vector<double>& totals,
                             const std::vector<std::string>& conditions,
                             const std::vector<int>& decimals) {
    const size_t n = lineFields.size();
    totals.assign(n, 0);
    if (!cdsBody1->Active() || cdsBody1->IsEmpty()) return;
    // Fields and conditions resolved once, not per line.
    std::vector<TField*> fields(n), conditionFields(n);
    std::vector<std::string> conditionTexts(n);
    for (size_t i = 0; i < n; ++i) {
        fields[i] = cdsBody1->FieldByName(lineFields[i]);
        const std::string condition = i < conditions.size() ? conditions[i] : "";
        const size_t eq = condition.find('=');
        conditionFields[i] = cdsBody1->FindField(condition.substr(0, eq));
        conditionTexts[i] = eq == std::string::npos ? "" : plat::Trim(condition.substr(eq + 1));
    }
    TRowWalk walk(cdsBody1, TRowWalk::Events::DataSetAndSource, dsBody1);
    std::vector<double> values(n, 0);
    std::vector<TLineSumFlag> flags(n, TLineSumFlag::Add);
    std::vector<plat::TExactSum> sums(n);
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next()) {
        GetLineSumFlags(lineFields, values, flags, conditions);
        for (size_t i = 0; i < n; ++i) {
            const TLineSumFlag flag = i < flags.size() ? flags[i] : TLineSumFlag::Add;
            if (flag == TLineSumFlag::Skip) continue;
            if (flag == TLineSumFlag::Restart) {
                sums[i].Clear();
                sums[i].Add(i < values.size() ? values[i] : 0);
            }
            if (conditionFields[i] && conditionFields[i]->AsString() != conditionTexts[i]) continue;
            sums[i].Add(ValueByDecimals(fields[i], i < decimals.size() ? decimals[i] : -1));
        }
    }
    for (size_t i = 0; i < n; ++i) totals[i] = sums[i].Value();
}

bool TdmDouble::SumBodyFields(const std::vector<TField*>& headFields,
                              const std::vector<std::string>& lineFields,
                              const std::vector<int>& decimals,
                              const std::vector<std::string>& conditions) {
    if (lineFields.size() != headFields.size() || decimals.size() != headFields.size() ||
        conditions.size() != headFields.size())
        throw plat::EInternalError(
            "DoubleCD-930: header fields, line fields, decimals and conditions differ in number");
    std::vector<double> totals;
    SumBodyLines(lineFields, totals, conditions, decimals);
    WriteBodySums(headFields, totals, decimals);
    return true;
}

void TdmDouble::WriteBodySums(const std::vector<TField*>& headFields,
                              const std::vector<double>& totals, const std::vector<int>& decimals) {
    for (size_t i = 0; i < headFields.size() && i < totals.size(); ++i) {
        TField* head = headFields[i];
        if (!head || !IsEditing(head->DataSet())) continue;
        const double current = head->IsNull() ? 0 : head->AsFloat();
        if (CompareFloats(current, totals[i]) != 0)
            SetValueByDecimals(head, i < decimals.size() ? decimals[i] : -1, totals[i]);
    }
}

// ---- data rights ------------------------------------------------------------

bool TdmDouble::CheckDataRights() {
    bool result = TdmSingle::CheckDataRights();
    if (!result) return result;
    std::string denied;
    result = CheckBodyDataRights(cdsBody1, "D11", denied);
    if (!result) {
        reportDeniedRows(denied, "200573", "200572");
        return result;
    }
    if (hostParam("F11_KEY").empty()) return result;
    TClientDataSet* third = findNestedDataSet(cdsBody1, nullptr);
    if (!third || !cdsBody1->Active() || cdsBody1->IsEmpty()) return result;
    TRowWalk walk(cdsBody1, TRowWalk::Events::Kept);
    for (cdsBody1->First(); !cdsBody1->Eof(); cdsBody1->Next()) {
        result = CheckBodyDataRights(third, "F11", denied);
        if (!result) {
            reportDeniedRows(denied, "200575", "200574");
            break;
        }
    }
    return result;
}

// ---- sorting the lines ------------------------------------------------------

void TdmDouble::SortBodyByField(const std::string& fieldName) {
    if (doubleOwner_ && !doubleOwner_->BodyTitleSortEnabled()) return;
    if (!cdsBody1->Active()) return;
    TField* field = fieldName.empty() ? nullptr : cdsBody1->FieldByName(fieldName);
    if (field && !isSortableField(field)) return;
    const int count = cdsBody1->RecordCount();
    if (!field) {
        if (!BodySortField) return;
        BodySortField = nullptr;
        cdsBody1->SetIndexName("");
        cdsBody1->SetIndexFieldNames(BodyDefaultOrder);
    } else {
        if (OwnerForm() && OwnerForm()->FormMode() != TFormMode::Browse) return;
        const std::string& name = field->FieldName();
        if (field == BodySortField && IsIndexAscending(cdsBody1)) {
            plat::TIndexDef* def = cdsBody1->IndexDefs().FindIndexForName(name);
            if (!def) def = &cdsBody1->IndexDefs().Add(name, name, plat::ixDescending);
            def->Fields = name;
            def->DescFields = name;
            def->Options |= plat::ixDescending;
            cdsBody1->SetIndexFieldNames("");
            cdsBody1->SetIndexName(name);
        } else {
            BodySortField = field;
            cdsBody1->SetIndexName("");
            cdsBody1->SetIndexFieldNames(name);
        }
    }
    if (cdsBody1->RecordCount() == count) return;
    try {
        TDataEventsDetached headEvents(dsMain);
        TDataEventsDetached lineEvents(dsBody1);
        TControlsDisabled headControls(cdsMain);
        TControlsDisabled lineControls(cdsBody1);
        if (cdsMain->MoveBy(1) == 1) {
            cdsMain->Prior();
        } else {
            cdsMain->Prior();
            cdsMain->Next();
        }
        if (doubleOwner_) doubleOwner_->ShowKeyInStatusBar();
    } catch (const std::exception& e) {
        WriteAlertLog(Broker ? Broker->ProgramCode : "DoubleCD",
                      std::string("DoubleCD-1025:") + e.what(), "D");
    }
}

// ---- status texts -----------------------------------------------------------

std::string TdmDouble::displayText(const std::string& text) const {
    return OwnerForm() ? plat::VarToStr(OwnerForm()->ConvertByDisplayMode(Variant(text))) : text;
}

std::string TdmDouble::positionText(int recNo, int count) const {
    if (recNo <= 0 || count <= 0) return "0/0";
    return std::to_string(recNo) + "/" + std::to_string(count);
}

void TdmDouble::showBodyPosition() {
    if (!OwnerForm() || !doubleOwner_ || !doubleOwner_->BodyPageVisible() ||
        doubleOwner_->HeadPageShown())
        return;
    OwnerForm()->SetStatusPanelText(
        2, displayText(LangMessage(false, "TdmDouble", "sBodyRecCount", "单身笔数")));
    const int count = cdsBody1->Active() ? cdsBody1->RecordCount() : 0;
    OwnerForm()->SetStatusPanelText(
        3, displayText(positionText(cdsBody1->Active() ? cdsBody1->RecNo() : 0, count)));
}

void TdmDouble::cdsMainAfterScroll(TDataSet* DataSet) {
    TdmSingle::cdsMainAfterScroll(DataSet);
    if (!OwnerForm() || !doubleOwner_) return;
    if (doubleOwner_->HeadPageShown()) {
        OwnerForm()->SetStatusPanelText(
            2, displayText(LangMessage(false, "TdmDouble", "sHeadRecCount", "单头笔数")));
        OwnerForm()->SetStatusPanelText(
            3, displayText(positionText(cdsMain->RecNo(), ServerRecordCount)));
    } else {
        showBodyPosition();
    }
}

void TdmDouble::cdsBody1AfterScroll(TDataSet*) {
    showBodyPosition();
}

// ---- refused lines ----------------------------------------------------------

void TdmDouble::cdsBody1ReconcileError(TClientDataSet*, plat::EReconcileError& E, plat::TUpdateKind,
                                       plat::TReconcileAction&) {
    if (E.ErrorCode == kRowChangedSinceRead) {
        ReportSaveConflict("", false);
        return;
    }
    const std::string caption = LangMessage(false, "TdmDouble", "sSaveError", "保存错误");
    if (doubleOwner_)
        doubleOwner_->ShowErrorBox(caption, E.Message());
    else if (OwnerForm())
        OwnerForm()->ShowMessageBox(E.Message(), TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
    WriteAlertLog("保存失败", "Context :" + E.Context, "D");
    WriteAlertLog("保存失败", "PreviousError :" + std::to_string(E.PreviousError), "D");
}

}  // namespace ktrb
