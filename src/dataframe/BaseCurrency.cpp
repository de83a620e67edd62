// Decimals of amounts by the currency of the document, of quantities by
// their kind, and the user's choice of trailing zeros and thousands groups.
#include "dataframe/BaseCD.h"
#include "dataframe/knlRadical.h"
#include "platform/core/format.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/xml/xmldocument.h"
#include "runtime/Brokers.h"
#include "runtime/LibStrs.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::Variant;

namespace {

constexpr std::array<const char*, kCurrencyDigitTypes> kDigitTypeNames = {
    "cdtPrice", "cdtMoney", "cdtUnitCost", "cdtCostsAmount"};

int kindOfName(const std::string& name) {
    for (int k = 0; k < kCurrencyDigitTypes; ++k)
        if (plat::SameText(name, kDigitTypeNames[k])) return k;
    return -1;
}

bool isWordDelimiter(char c) {
    return c == '\r' || c == '\n' || c == ' ' || c == ',' || c == ':' || c == ';';
}

// The component name of a field: its own, else the data set's name and the
// field name, as the platform names persistent fields.
std::string componentNameOf(const TField* f) {
    if (!f->Name().empty()) return f->Name();
    return f->DataSet() ? f->DataSet()->Name() + f->FieldName() : f->FieldName();
}

std::string registrationKey(const TField* currencyField, TCurrencyDigitType kind) {
    return (currencyField ? componentNameOf(currencyField) : std::string(kLocalCurrencyKey)) +
           "||" + CurrencyDigitTypeName(kind);
}

}  // namespace

const char* CurrencyDigitTypeName(TCurrencyDigitType kind) {
    return kDigitTypeNames[(int)kind];
}

bool HoldsWord(const std::string& text, const std::string& word) {
    if (word.empty()) return false;
    std::string t = plat::UpperCase(text), w = plat::UpperCase(word);
    for (size_t at = t.find(w); at != std::string::npos; at = t.find(w, at + 1)) {
        size_t end = at + w.size();
        if ((at == 0 || isWordDelimiter(t[at - 1])) && (end == t.size() || isWordDelimiter(t[end])))
            return true;
    }
    return false;
}

TField* TdmBase::findFieldComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    if (auto* f = dynamic_cast<TField*>(FindComponent(name))) return f;
    for (int i = 0; i < ComponentCount(); ++i) {
        auto* ds = dynamic_cast<TDataSet*>(Components(i));
        if (!ds || ds->Name().empty() || name.size() <= ds->Name().size()) continue;
        if (!plat::SameText(name.substr(0, ds->Name().size()), ds->Name())) continue;
        if (TField* f = ds->FindField(name.substr(ds->Name().size()))) return f;
    }
    return nullptr;
}

// ---- currencies ----

int TdmBase::GetCurrencyDigits(const std::string& code, TCurrencyDigitType kind) {
    if (code.empty() || !Broker) return -1;
    std::string key = plat::UpperCase(code);
    auto it = currencyCache_.find(key);
    if (it == currencyCache_.end()) {
        std::string sql = plat::Format(
            "select top 1 MF001,MF003,MF004,MF005,MF006 from $$CMSMF CMSMF where MF001=%s",
            {plat::QuotedStr(code)});
        Variant rows = Broker->CallServerMethod(
            "SimpleSql", plat::VarArrayOf({Variant(sql), Variant("MF001,MF003,MF004,MF005,MF006"),
                                           Variant(Broker->SignOnKey), Variant("N")}));
        // Rows are arrays in an array; any other reply counts as no rows.
        if (rows.IsArray() && rows.DimCount() == 1) {
            for (int i = rows.LowBound(1); i <= rows.HighBound(1); ++i) {
                const Variant& row = rows[i];
                if (!row.IsArray() || row.ArrayCount() < 5) continue;
                int low = row.LowBound(1);
                TCurrencySetting setting;
                setting.Code = plat::Trim(plat::VarToStr(row[low]));
                for (int k = 0; k < kCurrencyDigitTypes; ++k)
                    setting.Digits[k] = (int)plat::VarToIntDef(row[low + 1 + k], 0);
                currencyCache_.emplace(plat::UpperCase(setting.Code), setting);
            }
        }
        // A code the table does not know has no decimals, and is asked once.
        it = currencyCache_.find(key);
        if (it == currencyCache_.end())
            it = currencyCache_.emplace(key, TCurrencySetting{code, {}}).first;
    }
    return it->second.Digits[(int)kind];
}

void TdmBase::RegisterCurrencyField(TField* currencyField, TCurrencyDigitType kind,
                                    const std::string& amountFields) {
    CurrencyFields.SetValues(registrationKey(currencyField, kind), amountFields);
    HookCurrencyField(currencyField, kind);
}

std::string TdmBase::GetCurrencyAmountFields(TField* currencyField, TCurrencyDigitType kind) const {
    return CurrencyFields.Values(registrationKey(currencyField, kind));
}

void TdmBase::HookCurrencyField(TField* currencyField, TCurrencyDigitType) {
    if (currencyField && !currencyField->OnChange)
        currencyField->OnChange = plat::TFieldNotifyEvent(this, &TdmBase::CurrencyFieldChange);
}

void TdmBase::CurrencyFieldChange(TField* Sender) {
    ApplyCurrencyFormat(Sender->DataSet(), Sender, Sender->AsString());
}

void TdmBase::ApplyCurrencyFormat(TDataSet* dataSet, TField* currencyField,
                                  const std::string& code) {
    std::vector<TField*> fields;
    if (currencyField) {
        if (!dataSet || currencyField->DataSet() == dataSet) fields.push_back(currencyField);
    } else {
        for (int i = 0; i < CurrencyFields.Count(); ++i) {
            std::string name = CurrencyFields.Names(i);
            std::string fieldName = name.substr(0, name.find("||"));
            if (plat::SameText(fieldName, kLocalCurrencyKey)) continue;
            TField* f = findFieldComponent(fieldName);
            if (!f || (dataSet && f->DataSet() != dataSet)) continue;
            if (std::find(fields.begin(), fields.end(), f) == fields.end()) fields.push_back(f);
        }
    }
    for (TField* f : fields) {
        std::string currency = code.empty() ? f->AsString() : code;
        for (int k = 0; k < kCurrencyDigitTypes; ++k) {
            auto kind = (TCurrencyDigitType)k;
            std::string list = CurrencyFields.Values(registrationKey(f, kind));
            if (!plat::Trim(list).empty())
                ApplyDecimalFormat(list, GetCurrencyDigits(currency, kind), true);
        }
    }
}

// ---- formats on fields ----

void TdmBase::ApplyDecimalFormat(const std::string& fieldList, int decimals, bool money) {
    if (fieldList.empty()) return;
    std::string editFormat;
    if (decimals == -1) {
        editFormat = "##0.#######";
    } else {
        std::string base = NumberFieldEditFormat();
        editFormat = base.substr(0, base.find('.')) +
                     std::string(".#####################").substr(0, decimals + 1);
    }
    std::string rest = fieldList;
    while (!rest.empty()) {
        std::string entry = CutToken(rest, ";");
        std::string names = entry;
        auto* ds = dynamic_cast<TDataSet*>(FindComponent(plat::Trim(CutToken(names, ":"))));
        if (!ds) continue;
        TDataEventsDetached events(ds);
        while (!names.empty()) {
            TField* f = ds->FindField(plat::Trim(CutToken(names, ",")));
            if (!f || !f->IsNumeric()) continue;
            if (!f->OnGetText)
                f->OnGetText = money
                                   ? plat::TFieldGetTextEvent(this, &TdmBase::MoneyFieldGetText)
                                   : plat::TFieldGetTextEvent(this, &TdmBase::QuantityFieldGetText);
            f->SetEditFormat(editFormat);
            if (!f->OnSetText)
                f->OnSetText = plat::TFieldSetTextEvent(this, &TdmBase::NumberFieldSetText);
        }
    }
}

std::string TdmBase::numberText(TField* field, int decimals, bool thousand, bool autoZero,
                                bool round) const {
    // -1, and a negative count a currency table should never give, show the plain text.
    if (decimals < 0) return field->AsString();
    std::string format = plat::Format(
        "#%s##0.%s",
        {Variant(thousand ? "," : ""), Variant(std::string(decimals, autoZero ? '0' : '#'))});
    double value = field->AsFloat();
    if (round) value = RoundToDecimals(decimals, value);
    return plat::FormatFloat(format, value);
}

void TdmBase::MoneyFieldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (!Sender->IsNumeric() || Sender->AsString().empty()) return;
    Text = numberText(Sender, currencyDecimalsOf(Sender->FieldName()), MoneyThousand, MoneyAutoZero,
                      true);
}

void TdmBase::QuantityFieldGetText(TField* Sender, std::string& Text, bool) {
    Text.clear();
    if (!Sender->IsNumeric() || Sender->AsString().empty()) return;
    int decimals = paramDecimalsOf(Sender->FieldName());
    if (decimals == -1) decimals = kindDecimalsOf(Sender->FieldName());
    Text = numberText(Sender, decimals, QuantityThousand, QuantityAutoZero, false);
}

// ---- decimals of a field ----

int TdmBase::currencyDecimalsOf(const std::string& name) {
    for (int i = 0; i < CurrencyFields.Count(); ++i) {
        if (!HoldsWord(CurrencyFields.ValueFromIndex(i), name)) continue;
        std::string key = CurrencyFields.Names(i);
        size_t bar = key.find("||");
        std::string owner = key.substr(0, bar);
        int kind = bar == std::string::npos ? -1 : kindOfName(key.substr(bar + 2));
        if (kind < 0) return -1;
        if (TField* f = findFieldComponent(owner))
            return GetCurrencyDigits(f->AsString(), (TCurrencyDigitType)kind);
        if (plat::SameText(owner, kLocalCurrencyKey))
            return GetCurrencyDigits(sysParam(kLocalCurrencyKey), (TCurrencyDigitType)kind);
        return -1;
    }
    return -1;
}

int TdmBase::kindDecimalsOf(const std::string& name) const {
    for (int i = 0; i < KindFields.Count(); ++i)
        if (HoldsWord(KindFields.ValueFromIndex(i), name))
            return GetKindDecimals(plat::StrToIntDef(KindFields.Names(i), -1));
    return -1;
}

int TdmBase::paramDecimalsOf(const std::string& name) {
    if (!HoldsWord(ParamDecimalFields, name)) return -1;
    if (paramDecimals_ == -2) paramDecimals_ = plat::StrToIntDef(plat::Trim(sysParam("sys068")), 3);
    return paramDecimals_;
}

void TdmBase::SetKindFields(int kind, const std::string& fieldList) {
    std::string name = std::to_string(kind);
    if (KindFields.Values(name) != fieldList) KindFields.SetValues(name, fieldList);
    int decimals = GetKindDecimals(kind);
    if (!fieldList.empty() && decimals != -1) ApplyDecimalFormat(fieldList, decimals, false);
}

std::string TdmBase::GetKindFields(int kind) const {
    return KindFields.Values(std::to_string(kind));
}

int TdmBase::GetKindDecimals(int kind) const {
    int i = KindFields.IndexOfName(std::to_string(kind));
    if (i < 0) return -1;
    if (void* decimals = KindFields.Objects(i)) return (int)(intptr_t)decimals;
    return kind;
}

void TdmBase::SetZeroDecimalFields(const std::string& fieldList) {
    if (fieldList == ParamDecimalFields) return;
    ParamDecimalFields = fieldList;
    ApplyDecimalFormat(fieldList, 0, false);
}

int TdmBase::GetFieldDecimals(const std::string& name) {
    if (plat::Trim(name).empty()) return -1;
    int decimals = currencyDecimalsOf(name);
    if (decimals == -1) decimals = kindDecimalsOf(name);
    if (decimals == -1) decimals = paramDecimalsOf(name);
    return decimals;
}

void TdmBase::LoadNumberFieldsSetting() {
    try {
        TBrokers& b = broker();
        Variant reply = b.CallServerMethod(
            "GetUserDefine",
            plat::VarArrayOf({Variant(b.CompanyID), Variant(b.UserID), Variant(b.ProgramCode),
                              Variant("NumberFieldsSetting")}));
        plat::XmlDocument doc;
        if (!doc.LoadXML(plat::VarToStr(reply))) return;
        struct Option {
            const char* element;
            bool* value;
        };
        const Option options[] = {{"QuantityFieldAutoZero", &QuantityAutoZero},
                                  {"QuantityFieldThousand", &QuantityThousand},
                                  {"MoneyFieldAutoZero", &MoneyAutoZero},
                                  {"MoneyFieldThousand", &MoneyThousand}};
        for (const Option& o : options)
            if (plat::XmlNode node = doc.SelectSingleNode(std::string("//") + o.element))
                *o.value = plat::SameText(plat::Trim(node.Text()), "True");
    } catch (const std::exception&) {
        // Without the user's settings the numbers show with zeros and groups.
    }
}

}  // namespace ktrb
