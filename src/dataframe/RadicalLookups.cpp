// Look-ups by table name and query number through the host's validator, and
// the audit columns every row carries.
#include <array>

#include "dataframe/RadicalCD.h"
#include "dataframe/knlRadical.h"
#include "platform/component/properties.h"
#include "platform/core/text.h"
#include "runtime/Brokers.h"
#include "runtime/LanguageController.h"
#include "runtime/LibStrs.h"
#include "runtime/PropAccess.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::Variant;

namespace {

struct AuditColumn {
    const char* name;
    const char* labelKey;
    const char* defaultLabel;
};

constexpr std::array<AuditColumn, 7> kAuditColumns = {{
    {"COMPANY", "sCompany", "公司编号"},
    {"CREATOR", "sCreator", "录入者"},
    {"USR_GROUP", "sGroup", "组编号"},
    {"CREATE_DATE", "sCreateDate", "录入日期"},
    {"MODIFIER", "sModifier", "更改者"},
    {"MODI_DATE", "sModiDate", "更改日期"},
    {"FLAG", "sFlag", "标识"},
}};

bool editing(const TField* f) {
    const TDataSet* ds = f->DataSet();
    return ds && (ds->State() == plat::dsEdit || ds->State() == plat::dsInsert);
}

// Key values as the validator takes them: always an array.
Variant normalizeKeys(const Variant& keys, const std::string& fieldText) {
    if (keys.IsArray()) return keys;
    if (keys.IsEmptyOrNull() || (keys.IsText() && plat::Trim(keys.RawText()).empty()))
        return plat::VarArrayOf({Variant(fieldText)});
    return plat::VarArrayOf({keys});
}

std::vector<std::string> splitList(const std::string& list) {
    std::vector<std::string> names;
    std::string rest = list;
    while (!rest.empty()) {
        std::string name = plat::Trim(CutToken(rest, ","));
        if (!name.empty()) names.push_back(name);
    }
    return names;
}

}  // namespace

void TdmRadical::refuseIfLookupFailed() {
    if (!Broker || !Broker->ValidatorFailed()) return;
    // Nothing is known about the value: taking it as "no such record" would
    // send the clerk after a code that exists.
    showMessage(kMsgWarning, "000001",
                {Variant("\n" + plat::VarToStr(toDisplay(Variant(Broker->ValidatorError()))))});
    plat::Abort();
}

bool TdmRadical::CheckValueExists(TField* field, const std::string& table,
                                  const std::string& queryNo, Variant& values, const Variant& keys,
                                  const std::string& msgType) {
    std::string text = field->AsString();
    if (text.empty()) return true;
    bool found = Broker && Broker->CheckValue(table, queryNo, normalizeKeys(keys, text), values);
    if (found) return true;
    refuseIfLookupFailed();
    if (msgType == kMsgError) refuse("000001", {Variant(field->DisplayLabel())});
    if (msgType == kMsgWarning &&
        showMessage(kMsgWarning, "000004", {Variant(field->DisplayLabel())}) != modal::Ok)
        plat::Abort();
    return false;
}

bool TdmRadical::CheckValueSilent(TField* field, const std::string& table,
                                  const std::string& queryNo, Variant& values,
                                  const Variant& keys) {
    return CheckValueExists(field, table, queryNo, values, keys, kMsgNone);
}

bool TdmRadical::GetLookupValues(TField* field, const std::string& table,
                                 const std::string& queryNo, Variant& result, const Variant& keys) {
    result = plat::VarArrayOf({Variant(0)});
    Variant values;
    bool found = CheckValueSilent(field, table, queryNo, values, keys);
    if (values.IsArray() && values.DimCount() == 1) {
        int n = values.ArrayCount();
        result.Redim(n);
        result[0] = Variant(n);
        for (int i = 0; i < n; ++i) result[i + 1] = values[values.LowBound(1) + i];
    }
    return found;
}

bool TdmRadical::CheckValueAndFill(TField* field, const std::string& table,
                                   const std::string& queryNo, const Variant& keys,
                                   const std::string& fieldList, const std::string& msgType) {
    Variant values;
    bool found = CheckValueExists(field, table, queryNo, values, keys, msgType);
    if (!found || !editing(field)) return found;
    TDataSet* ds = field->DataSet();
    std::vector<std::string> names = splitList(fieldList);
    if (field->AsString().empty()) {
        for (const std::string& name : names) SetFieldText(ds->FindField(name), "");
        return found;
    }
    if (!values.IsArray()) return found;
    int low = values.LowBound(1), count = values.ArrayCount();
    for (int i = 0; i < (int)names.size() && i < count; ++i)
        SetFieldText(ds->FindField(names[i]), plat::VarToStr(values[low + i]));
    return found;
}

bool TdmRadical::ValidateFieldAndFill(TField* field, const std::string& table,
                                      const std::string& queryNo, const std::string& fieldList,
                                      const std::string& msgType) {
    return CheckValueAndFill(field, table, queryNo, Variant(), fieldList, msgType);
}

bool TdmRadical::CheckValueUnique(TField* field, const std::string& table,
                                  const std::string& queryNo, const std::string& fieldList,
                                  const std::string& msgType) {
    if (!editing(field) || field->AsString().empty()) return true;
    std::vector<std::string> names = splitList(fieldList.empty() ? field->FieldName() : fieldList);
    // One element per listed field and a trailing unassigned one.
    Variant keys = Variant::CreateArray({0, (int)names.size()});
    for (size_t i = 0; i < names.size(); ++i)
        keys[(int)i] = Variant(field->DataSet()->FieldByName(names[i])->AsString());
    Variant values;
    bool taken = Broker && Broker->CheckValue(table, queryNo, keys, values);
    refuseIfLookupFailed();
    if (!taken) return true;
    if (msgType == kMsgError) refuse("000002", {Variant(field->DisplayLabel())});
    if (msgType == kMsgWarning &&
        showMessage(kMsgWarning, "000005", {Variant(field->DisplayLabel())}) != modal::Ok)
        plat::Abort();
    return false;
}

// ---- audit columns ----

bool TdmRadical::IsAuditField(const std::string& name) {
    for (const AuditColumn& c : kAuditColumns)
        if (plat::SameText(name, c.name)) return true;
    return false;
}

void TdmRadical::ShowAuditFieldsOf(TDataSet* dataSet, bool show) {
    if (!dataSet) return;
    TControlsDisabled controls(dataSet);
    for (const AuditColumn& c : kAuditColumns)
        if (TField* f = dataSet->FindField(c.name)) {
            f->SetVisible(show);
            f->SetReadOnly(show);
        }
}

void TdmRadical::SetAuditFieldLabels(TDataSet* dataSet) {
    if (!dataSet) return;
    TControlsDisabled controls(dataSet);
    for (const AuditColumn& c : kAuditColumns) {
        TField* f = dataSet->FindField(c.name);
        if (!f) continue;
        f->SetDisplayLabel(LangMessage(false, "TdmRadical", c.labelKey, c.defaultLabel));
        if (plat::SameText(c.name, "CREATE_DATE") || plat::SameText(c.name, "MODI_DATE"))
            f->OnGetText = plat::TFieldGetTextEvent(this, &TdmRadical::DateTimeFieldGetText);
    }
}

void TdmRadical::DateTimeFieldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (Sender->IsNull()) return;
    bool dateField = Sender->DataType() == plat::TFieldType::ftDate ||
                     Sender->DataType() == plat::TFieldType::ftDateTime;
    plat::TDateTime value = dateField ? Sender->AsDateTime() : YmdHmsToDateTime(Sender->AsString());
    Text = DateTimeToText(DateLayout, DateSeparator, value);
}

void TdmRadical::SetAuditValues(TDataSet* dataSet) {
    if (!dataSet) return;
    TField* flag = dataSet->FindField(kFlagField);
    int current = FlagValue(flag);
    if (current < 0) return;  // stamped already for this insert or edit
    std::string user = Broker ? Broker->UserID : std::string();
    if (dataSet->State() == plat::dsInsert) {
        SetFieldText(dataSet->FindField("COMPANY"), Broker ? Broker->CompanyID : std::string());
        SetFieldText(dataSet->FindField("CREATOR"), user);
        SetFieldText(dataSet->FindField("CREATE_DATE"), Today);
        SetFieldText(dataSet->FindField("USR_GROUP"), Broker ? Broker->UserGroup : std::string());
        SetFieldText(flag, "-1");
    } else if (dataSet->State() == plat::dsEdit) {
        SetFieldText(dataSet->FindField("MODIFIER"), user);
        SetFieldText(dataSet->FindField("MODI_DATE"), Today);
        SetFieldText(flag, std::to_string(EditStamp(current)));
    }
}

// ---- published handlers, bound to fields by name ----

PLAT_PUBLISH(TdmRadical) {
    p.Method("DOGetText", &TdmRadical::DOGetText);
    p.Method("DOSetText", &TdmRadical::DOSetText);
    p.Method("TimeFieldGetText", &TdmRadical::TimeFieldGetText);
    p.Method("TimeFieldSetText", &TdmRadical::TimeFieldSetText);
    p.Method("TimeFieldValidate", &TdmRadical::TimeFieldValidate);
    p.Method("DayFieldSetText", &TdmRadical::DayFieldSetText);
    p.Method("DayFieldValidate", &TdmRadical::DayFieldValidate);
    p.Method("MonthFieldSetText", &TdmRadical::MonthFieldSetText);
    p.Method("MonthFieldValidate", &TdmRadical::MonthFieldValidate);
    p.Method("DateFieldGetText", &TdmRadical::DateFieldGetText);
    p.Method("DateFieldSetText", &TdmRadical::DateFieldSetText);
    p.Method("DateFieldValidate", &TdmRadical::DateFieldValidate);
    p.Method("MDFieldGetText", &TdmRadical::MDFieldGetText);
    p.Method("MDFieldSetText", &TdmRadical::MDFieldSetText);
    p.Method("MDFieldValidate", &TdmRadical::MDFieldValidate);
    p.Method("YMFieldGetText", &TdmRadical::YMFieldGetText);
    p.Method("YMFieldSetText", &TdmRadical::YMFieldSetText);
    p.Method("YMFieldValidate", &TdmRadical::YMFieldValidate);
    p.Method("YearFieldGetText", &TdmRadical::YearFieldGetText);
    p.Method("YearFieldSetText", &TdmRadical::YearFieldSetText);
    p.Method("PercentFieldGetText", &TdmRadical::PercentFieldGetText);
    p.Method("PercentFieldSetText", &TdmRadical::PercentFieldSetText);
    p.Method("SecondFldGetText", &TdmRadical::SecondFldGetText);
    p.Method("SecondFldSetText", &TdmRadical::SecondFldSetText);
    p.Method("CustomerFieldSetText", &TdmRadical::CustomerFieldSetText);
    p.Method("DateTimeFieldGetText", &TdmRadical::DateTimeFieldGetText);
}

}  // namespace ktrb
