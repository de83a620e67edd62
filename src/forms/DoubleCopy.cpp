// Copying a document: the source is read by its keys into arrays, a new
// document is started, and the copied values go into its head and lines.
#include <algorithm>

#include "controls/ExtPage.h"
#include "dataframe/knlRadical.h"
#include "forms/DoubleCF.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::Variant;

namespace {

const char* const kPackage = "TfrmDouble";

bool InKeyList(const std::string& keyList, const std::string& fieldName) {
    const std::string list = plat::UpperCase(keyList) + ",";
    return list.find(plat::UpperCase(fieldName) + ",") != std::string::npos;
}

bool IsBlank(const Variant& v) {
    return v.IsEmpty() || v.IsNull();
}

// Disables a data set's constraints for its lifetime.
struct ConstraintsOff {
    plat::TDataSet* ds;
    explicit ConstraintsOff(plat::TDataSet* d) : ds(d) { ds->DisableConstraints(); }
    ~ConstraintsOff() { ds->EnableConstraints(); }
};

// Assigns a value with the field's ReadOnly lifted for the write.
void AssignLifted(plat::TField* field, const Variant& value) {
    const bool readOnly = field->ReadOnly();
    field->SetReadOnly(false);
    try {
        field->SetValue(value);
    } catch (...) {
        field->SetReadOnly(readOnly);
        throw;
    }
    field->SetReadOnly(readOnly);
}

std::vector<std::string> KeyTexts(plat::TDataSet* ds, const std::string& keyList) {
    std::vector<std::string> texts;
    for (int i = 1; i <= FieldCount(keyList, ","); ++i) {
        const std::string name = TokenAt(plat::Trim(TokenAt(keyList, ",", i)), " ", 1);
        if (plat::TField* f = ds->FindField(name)) texts.push_back(f->AsString());
    }
    return texts;
}

Variant TextArray(const std::vector<std::string>& texts) {
    Variant a = Variant::CreateArray({0, (int)texts.size() - 1});
    for (int i = 0; i < (int)texts.size(); ++i) a[i] = texts[i];
    return a;
}

}  // namespace

void TfrmDouble::GetHeadCopyValue(plat::TField* field, Variant& value) {
    TdmDouble* dm = DoubleModule();
    if (!dm || InKeyList(dm->KeyFields, field->FieldName()) || dm->IsAuditField(field->FieldName()))
        value = Variant();
    else
        value = field->Value();
}

void TfrmDouble::GetBodyCopyValue(plat::TField* field, Variant& value) {
    TdmDouble* dm = DoubleModule();
    std::string bodyKeys;
    if (dm)
        for (int i = 1; i <= FieldCount(dm->BodyKeyFields, ","); ++i)
            bodyKeys += TokenAt(plat::Trim(TokenAt(dm->BodyKeyFields, ",", i)), " ", 1) + ",";
    if (!dm || InKeyList(bodyKeys, field->FieldName()) || dm->IsAuditField(field->FieldName()))
        value = Variant();
    else
        value = field->Value();
}

bool TfrmDouble::ShowCopyDialog(Variant& extras, Variant& bodyRows, Variant& headValues) {
    TdmDouble* dm = DoubleModule();
    if (!dm) return false;
    return TfrmCopy::Execute(this, dm->cdsMain, dm->dsMain, false, extras, bodyRows, headValues,
                             dm->KeyFields);
}

void TfrmDouble::mnuCopyClick(plat::TObject*) {
    CopyDocument();
}

bool TfrmDouble::ReadCopySource(const std::vector<std::string>& sourceKeys, Variant& headValues,
                                Variant& extras, Variant& bodyRows) {
    TdmDouble* dm = DoubleModule();
    if (!dm || sourceKeys.empty()) return false;
    const std::string table = plat::Trim(Brokers() ? Brokers()->HostParam("M11_TABLE") : "");
    std::string where;
    for (int i = 1; i <= FieldCount(dm->KeyFields, ",") && i <= (int)sourceKeys.size(); ++i) {
        const std::string field = plat::Trim(TokenAt(dm->KeyFields, ",", i));
        where += (table.empty() ? field : table + "." + field) + "=" +
                 plat::QuotedStr(sourceKeys[i - 1]) + " and ";
    }
    if (where.size() >= 5) where.resize(where.size() - 5);
    OpenDataSet(dm->cdsMain, where, QueryBox() ? QueryBox()->GetOrderText() : "");
    plat::TClientDataSet* head = dm->cdsMain;
    if (head->IsEmpty()) {
        ShowMessageBox(GetLangMessage(kPackage, "sNoOriginInfo", "来源信息不存在!!", true),
                       TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        return false;
    }
    plat::TClientDataSet* body = dm->cdsBody1;
    if (!body->Active()) body->Open();
    headValues = Variant::CreateArray({0, head->Fields().Count() - 1});
    for (int i = 0; i < head->Fields().Count(); ++i) {
        Variant v;
        GetHeadCopyValue(head->Fields()[i], v);
        headValues[i] = v;
    }
    try {
        copySourceHeadKeys_ = TextArray(KeyTexts(head, dm->KeyFields));
    } catch (const std::exception&) {
        copySourceHeadKeys_ = Variant();
    }
    AfterReadCopySource();
    copySourceLineKeys_.clear();
    std::vector<Variant> rows, rowExtras;
    {
        TControlsDisabled off(body);
        for (body->First(); !body->Eof(); body->Next()) {
            Variant row = Variant::CreateArray({0, body->Fields().Count() - 1});
            for (int j = 0; j < body->Fields().Count(); ++j) {
                Variant v;
                GetBodyCopyValue(body->Fields()[j], v);
                row[j] = v;
            }
            rows.push_back(row);
            Variant extra;
            GetCopyRowExtra(extra);
            rowExtras.push_back(extra);
            try {
                copySourceLineKeys_.push_back(TextArray(KeyTexts(body, dm->BodyKeyFields)));
            } catch (const std::exception&) {
                copySourceLineKeys_.push_back(Variant());
            }
        }
    }
    bodyRows = rows.empty() ? Variant() : Variant::ArrayOf(rows);
    extras = rowExtras.empty() ? Variant() : Variant::ArrayOf(rowExtras);
    if (FormMode() == TFormMode::Add) return false;
    return AddRecord(true);
}

void TfrmDouble::applyCopyRules(plat::TDataSet* dataSet, const std::string& ruleCode,
                                const Variant& sourceKeys) {
    try {
        ApplyRuleSet(dataSet, ruleCode, sourceKeys);
    } catch (const std::exception&) {
        // The copied values stand without the rules.
    }
}

void TfrmDouble::CopyDocument() {
    TdmDouble* dm = DoubleModule();
    if (!dm) return;
    Variant extras, bodyRows, headValues;
    if (!ShowCopyDialog(extras, bodyRows, headValues)) return;
    plat::TClientDataSet* head = dm->cdsMain;
    if (head->State() != plat::dsInsert) {
        ShowMessageBox(GetLangMessage(kPackage, "sCancelCopy",
                                      "cdsMain.State 不正常, 复制行动因此取消!! ", true),
                       TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});
        return;
    }
    {
        ConstraintsOff off(head);
        if (headValues.IsArray())
            for (int i = 0; i < head->Fields().Count() && i < headValues.ArrayCount(); ++i) {
                const Variant& v = headValues[headValues.LowBound() + i];
                if (!IsBlank(v)) AssignLifted(head->Fields()[i], v);
            }
        applyCopyRules(head, CopyRuleKind, copySourceHeadKeys_);
        AfterCopyHead();
    }
    struct TotalsOn {
        TdmDouble* dm;
        ~TotalsOn() { dm->RecalcOnLineChange = true; }
    } totalsOn{dm};
    dm->RecalcOnLineChange = false;
    plat::TClientDataSet* body = dm->cdsBody1;
    ConstraintsOff off(body);
    if (!bodyRows.IsArray()) return;
    const int rows = bodyRows.ArrayCount();
    for (int r = 0; r < rows; ++r) {
        const Variant& row = bodyRows[bodyRows.LowBound() + r];
        if (!row.IsArray()) continue;
        if (body->State() != plat::dsInsert) body->Append();
        const int copied = std::min(body->Fields().Count(), row.ArrayCount());
        for (int j = 0; j < copied; ++j) {
            const Variant& v = row[row.LowBound() + j];
            if (!IsBlank(v)) AssignLifted(body->Fields()[j], v);
        }
        // A later field's rule may have replaced an earlier copied value (the
        // work order offers its open quantity): the copy keeps the source's.
        for (int j = 0; j < copied; ++j) {
            const Variant& v = row[row.LowBound() + j];
            plat::TField* f = body->Fields()[j];
            if (!IsBlank(v) && plat::VarToStr(f->Value()) != plat::VarToStr(v)) AssignLifted(f, v);
        }
        if (r == rows - 1) dm->RecalcOnLineChange = true;
        BeforeCopyBodyRow();
        applyCopyRules(body, CopyRuleKind + "D",
                       r < (int)copySourceLineKeys_.size() ? copySourceLineKeys_[r] : Variant());
        body->Post();
        const Variant extra =
            extras.IsArray() && r < extras.ArrayCount() ? extras[extras.LowBound() + r] : Variant();
        if (extra.IsArray()) ApplyCopyRowExtra(extra);
    }
}

}  // namespace ktrb
