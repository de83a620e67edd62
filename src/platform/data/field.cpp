#include "platform/data/field.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/component/properties.h"
#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/dataset.h"

namespace plat {

// ---- TField ----

TField::TField(TComponent* owner, TFieldType type) : TComponent(owner), dataType_(type) {
    if (type == TFieldType::ftString || type == TFieldType::ftFixedChar ||
        type == TFieldType::ftWideString)
        size_ = 20;
}

TField::~TField() {
    BeginDestroy();
    if (lookupDataSet_) lookupDataSet_->RemoveFreeNotification(this);
    if (dataSet_) {
        auto& list = dataSet_->fields_.list_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        dataSet_->fields_.changed();
        auto& nested = dataSet_->nestedFields_;
        nested.erase(std::remove(nested.begin(), nested.end(), this), nested.end());
        TDataSet* ds = dataSet_;
        dataSet_ = nullptr;
        ds->fieldFreed(this);
    }
}

void TField::Notification(TComponent* c, TOperation op) {
    if (op == TOperation::opRemove && c == lookupDataSet_) lookupDataSet_ = nullptr;
}

void TField::SetLookupDataSet(TDataSet* ds) {
    if (lookupDataSet_) lookupDataSet_->RemoveFreeNotification(this);
    lookupDataSet_ = ds;
    if (ds) ds->FreeNotification(this);
}

void TField::SetDataSet(TDataSet* ds) {
    if (ds == dataSet_) return;
    if (dataSet_) {
        if (dataSet_->Active())
            throw EDatabaseError("Cannot perform this operation on an open dataset");
        auto& list = dataSet_->fields_.list_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        dataSet_->fields_.changed();
        auto& nested = dataSet_->nestedFields_;
        nested.erase(std::remove(nested.begin(), nested.end(), this), nested.end());
        column_ = -1;
    }
    if (ds) {
        if (ds->Active()) throw EDatabaseError("Cannot perform this operation on an open dataset");
        if (!fieldName_.empty() && ds->FindField(fieldName_))
            throw EDatabaseError("Duplicate field name '" + fieldName_ + "'");
        ds->fields_.list_.push_back(this);
        ds->fields_.changed();
    }
    dataSet_ = ds;
}

void TField::SetFieldName(const std::string& name) {
    if (dataSet_ && dataSet_->Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    if (dataSet_ && !name.empty()) {
        TField* other = dataSet_->FindField(name);
        if (other && other != this) throw EDatabaseError("Duplicate field name '" + name + "'");
    }
    fieldName_ = name;
    if (dataSet_) dataSet_->fields_.changed();
}

void TField::SetFieldKind(TFieldKind kind) {
    if (dataSet_ && dataSet_->Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    kind_ = kind;
}

int TField::Index() const {
    return dataSet_ ? dataSet_->fields_.IndexOf(this) : -1;
}

void TField::SetIndex(int index) {
    if (!dataSet_) return;
    auto& list = dataSet_->fields_.list_;
    index = std::max(0, std::min(index, (int)list.size() - 1));
    int cur = Index();
    if (cur == index) return;
    list.erase(list.begin() + cur);
    list.insert(list.begin() + index, this);
    dataSet_->fields_.changed();
    dataSet_->DataEvent(TDataEvent::deLayoutChange);
}

void TField::SetSize(int size) {
    if (dataSet_ && dataSet_->Active())
        throw EDatabaseError("Cannot perform this operation on an open dataset");
    size_ = size;
}

bool TField::IsBlob() const {
    return dataType_ == TFieldType::ftBlob || dataType_ == TFieldType::ftMemo;
}

void TField::SetDisplayLabel(const std::string& s) {
    displayLabel_ = s == fieldName_ ? std::string() : s;
    if (dataSet_) dataSet_->DataEvent(TDataEvent::deLayoutChange);
}

int TField::DisplayWidth() const {
    return displayWidth_ > 0 ? displayWidth_ : DefaultWidth();
}

void TField::SetDisplayWidth(int w) {
    displayWidth_ = w;
    if (dataSet_) dataSet_->DataEvent(TDataEvent::deLayoutChange);
}

void TField::SetVisible(bool v) {
    if (visible_ == v) return;
    visible_ = v;
    if (dataSet_) dataSet_->DataEvent(TDataEvent::deLayoutChange);
}

void TField::SetDisplayFormat(const std::string& f) {
    displayFormat_ = f;
    if (dataSet_) dataSet_->DataEvent(TDataEvent::deLayoutChange);
}

bool TField::CanModify() const {
    return !readOnly_ && (kind_ == TFieldKind::fkData || kind_ == TFieldKind::fkInternalCalc) &&
           dataSet_ && dataSet_->CanModify();
}

Variant TField::Value() const {
    if (!dataSet_) throw EDatabaseError("Field '" + fieldName_ + "' has no dataset");
    return dataSet_->ReadField(this);
}

bool TField::IsNull() const {
    return Value().IsEmptyOrNull();
}

void TField::SetValue(const Variant& v) {
    if (!dataSet_) throw EDatabaseError("Field '" + fieldName_ + "' has no dataset");
    Variant stored = v.IsEmptyOrNull() ? Variant::Null() : ToStored(v);
    dataSet_->WriteField(this, stored);
}

void TField::SetAsString(const std::string& s) {
    // An empty text clears every field that does not hold text.
    bool keepsText = IsTextType(dataType_) || dataType_ == TFieldType::ftBlob ||
                     dataType_ == TFieldType::ftBytes || dataType_ == TFieldType::ftVariant;
    SetValue(s.empty() && !keepsText ? Variant::Null() : Variant(s));
}

std::string TField::AsString() const {
    Variant v = Value();
    return v.IsEmptyOrNull() ? std::string() : v.AsString();
}

[[noreturn]] void TField::ConvertError(const std::string& text, const char* what) const {
    throw EConvertError("'" + text + "' is not a valid " + what + " value for field '" +
                        fieldName_ + "'");
}

int TField::AsInteger() const {
    Variant v = Value();
    if (v.IsEmptyOrNull()) return 0;
    try {
        return v.AsInteger();
    } catch (const EVariantError&) {
        ConvertError(VarToStr(v), "integer");
    }
}

int64_t TField::AsLargeInt() const {
    Variant v = Value();
    if (v.IsEmptyOrNull()) return 0;
    try {
        return v.AsInt64();
    } catch (const EVariantError&) {
        ConvertError(VarToStr(v), "integer");
    }
}

double TField::AsFloat() const {
    Variant v = Value();
    if (v.IsEmptyOrNull()) return 0;
    try {
        return v.AsFloat();
    } catch (const EVariantError&) {
        ConvertError(VarToStr(v), "floating point");
    }
}

bool TField::AsBoolean() const {
    Variant v = Value();
    if (v.IsEmptyOrNull()) return false;
    try {
        return v.AsBoolean();
    } catch (const EVariantError&) {
        ConvertError(VarToStr(v), "boolean");
    }
}

TDateTime TField::AsDateTime() const {
    Variant v = Value();
    if (v.IsEmptyOrNull()) return 0;
    try {
        return v.AsDateTime();
    } catch (const EVariantError&) {
        ConvertError(VarToStr(v), "date and time");
    }
}

Variant TField::ToStored(const Variant& v) const {
    return v;
}

std::string TField::FormatText(const Variant& stored, bool) const {
    return stored.IsEmptyOrNull() ? std::string() : VarToStr(stored);
}

Variant TField::ParseText(const std::string& text) const {
    return ToStored(Variant(text));
}

std::string TField::GetText(bool display) const {
    if (OnGetText) {
        std::string text;
        OnGetText(const_cast<TField*>(this), text, display);
        return text;
    }
    return FormatText(Value(), display);
}

void TField::SetText(const std::string& text) {
    if (OnSetText) {
        OnSetText(this, text);
        return;
    }
    if (!dataSet_) throw EDatabaseError("Field '" + fieldName_ + "' has no dataset");
    dataSet_->WriteField(this, ParseText(text));
}

Variant TField::OldValue() const {
    if (!dataSet_) return Variant::Null();
    return dataSet_->ReconcileValue(this, dsOldValue);
}

Variant TField::NewValue() const {
    if (!dataSet_) return Variant::Null();
    return dataSet_->ReconcileValue(this, dsNewValue);
}

void TField::SetNewValue(const Variant& v) {
    if (!dataSet_) return;
    dataSet_->SetReconcileValue(this, v.IsEmptyOrNull() ? Variant::Null() : ToStored(v));
}

Variant TField::CurValue() const {
    if (!dataSet_) return Variant::Null();
    return dataSet_->ReconcileValue(this, dsCurValue);
}

void TField::FocusControl() {
    if (dataSet_) dataSet_->DataEvent(TDataEvent::deFocusControl, this);
}

// ---- text ----

TStringField::TStringField(TComponent* owner, TFieldType t) : TField(owner, t) {}

void TStringField::SetFixedChar(bool on) {
    if (DataType() == TFieldType::ftWideString) return;
    SetDataTypeInternal(on ? TFieldType::ftFixedChar : TFieldType::ftString);
}

std::string TStringField::textOf(const Variant& v) const {
    try {
        return v.AsString();
    } catch (const EVariantError&) {
        throw EConvertError("A value of type " + std::string(VarTypeName(v.Type())) +
                            " cannot be written to the text field '" + FieldName() + "'");
    }
}

Variant TStringField::ToStored(const Variant& v) const {
    std::string s = textOf(v);
    // Size counts the database code page's width; the cut never splits a character.
    if (Size() > 0 && TextWidth(s) > Size()) s = CutToWidth(s, Size());
    return Variant(std::move(s));
}

std::string TStringField::AsString() const {
    Variant v = Value();
    return v.IsEmptyOrNull() ? std::string() : v.RawText();
}

static int utf8Length(const std::string& s) {
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

Variant TWideStringField::ToStored(const Variant& v) const {
    // A wide field's Size counts characters, not code-page bytes.
    std::string s = textOf(v);
    if (Size() > 0 && utf8Length(s) > Size()) {
        int n = 0;
        size_t i = 0;
        for (; i < s.size(); ++i)
            if (((unsigned char)s[i] & 0xC0) != 0x80 && n++ == Size()) break;
        s.resize(i);
    }
    return Variant::Wide(std::move(s));
}

// ---- numbers ----

std::string TNumericField::FormatText(const Variant& stored, bool display) const {
    if (stored.IsEmptyOrNull()) return std::string();
    const std::string& fmt = display ? DisplayFormat() : EditFormat();
    double d = stored.AsFloat();
    if (!fmt.empty()) return FormatFloat(fmt, d);
    if (!display && !DisplayFormat().empty() && EditFormat().empty() &&
        (DataType() == TFieldType::ftFloat || DataType() == TFieldType::ftCurrency))
        return FloatToStr(d);
    return VarToStr(stored);
}

static Variant textToNumber(const TField& f, const Variant& v, bool integer) {
    if (!v.IsText()) return v;
    std::string s = Trim(v.RawText());
    if (integer) {
        int64_t i;
        if (TryStrToInt64(s, i)) return Variant((long long)i);
        throw EConvertError("'" + v.RawText() + "' is not a valid integer value for field '" +
                            f.FieldName() + "'");
    }
    double d;
    if (TryStrToFloat(s, d)) return Variant(d);
    throw EConvertError("'" + v.RawText() + "' is not a valid floating point value for field '" +
                        f.FieldName() + "'");
}

Variant TIntegerField::ToStored(const Variant& v) const {
    Variant n = textToNumber(*this, v, true);
    int64_t i;
    try {
        i = n.AsInt64();
    } catch (const EVariantError&) {
        ConvertError(VarToStr(v), "integer");
    }
    int64_t lo, hi;
    switch (DataType()) {
        case TFieldType::ftSmallint:
            lo = -32768;
            hi = 32767;
            break;
        case TFieldType::ftWord:
            lo = 0;
            hi = 65535;
            break;
        case TFieldType::ftLargeint:
            lo = INT64_MIN;
            hi = INT64_MAX;
            break;
        default:
            lo = INT32_MIN;
            hi = INT32_MAX;
            break;
    }
    if (MinValue != 0 || MaxValue != 0) {
        lo = MinValue;
        hi = MaxValue;
    }
    if (i < lo || i > hi)
        throw EDatabaseError(IntToStr(i) + " is not a valid value for field '" + FieldName() +
                             "'. The allowed range is " + IntToStr(lo) + " to " + IntToStr(hi));
    if (DataType() == TFieldType::ftLargeint) return Variant((long long)i);
    if (DataType() == TFieldType::ftSmallint) return Variant::Integer(VarType::SmallInt, i);
    if (DataType() == TFieldType::ftWord) return Variant::Integer(VarType::Word, i);
    return Variant((int)i);
}

Variant TIntegerField::ParseText(const std::string& text) const {
    if (Trim(text).empty()) return Variant::Null();
    return ToStored(Variant(text));
}

Variant TFloatField::ToStored(const Variant& v) const {
    Variant n = textToNumber(*this, v, false);
    double d;
    try {
        d = n.AsFloat();
    } catch (const EVariantError&) {
        ConvertError(VarToStr(v), "floating point");
    }
    if (!std::isfinite(d)) ConvertError(VarToStr(v), "floating point");
    if ((MinValue != 0 || MaxValue != 0) && (d < MinValue || d > MaxValue))
        throw EDatabaseError(FloatToStr(d) + " is not a valid value for field '" + FieldName() +
                             "'. The allowed range is " + FloatToStr(MinValue) + " to " +
                             FloatToStr(MaxValue));
    return Variant(d);
}

Variant TFloatField::ParseText(const std::string& text) const {
    if (Trim(text).empty()) return Variant::Null();
    return ToStored(Variant(text));
}

Variant TBCDField::ToStored(const Variant& v) const {
    Variant n = textToNumber(*this, v, false);
    try {
        double d = n.AsFloat();
        if (!std::isfinite(d) || std::fabs(d) >= 9.2e14) ConvertError(VarToStr(v), "BCD");
        return n.Type() == VarType::Currency ? n : Variant::Currency(d);
    } catch (const EVariantError&) {
        ConvertError(VarToStr(v), "BCD");
    }
}

Variant TBCDField::ParseText(const std::string& text) const {
    if (Trim(text).empty()) return Variant::Null();
    return ToStored(Variant(text));
}

// ---- Boolean ----

static std::pair<std::string, std::string> boolTexts(const std::string& values) {
    size_t p = values.find(';');
    if (p == std::string::npos) return {values, std::string()};
    return {values.substr(0, p), values.substr(p + 1)};
}

Variant TBooleanField::ToStored(const Variant& v) const {
    if (!v.IsText()) {
        try {
            return Variant(v.AsBoolean());
        } catch (const EVariantError&) {
            ConvertError(VarToStr(v), "boolean");
        }
    }
    std::string s = Trim(v.RawText());
    auto [t, f] = boolTexts(DisplayValues);
    auto prefixOf = [&](const std::string& word) {
        return !s.empty() && s.size() <= word.size() && SameText(word.substr(0, s.size()), s);
    };
    if (prefixOf(t) || SameText(s, "True")) return Variant(true);
    if (prefixOf(f) || SameText(s, "False")) return Variant(false);
    ConvertError(s, "boolean");
}

std::string TBooleanField::FormatText(const Variant& stored, bool) const {
    if (stored.IsEmptyOrNull()) return std::string();
    auto [t, f] = boolTexts(DisplayValues);
    return stored.AsBoolean() ? t : f;
}

Variant TBooleanField::ParseText(const std::string& text) const {
    if (Trim(text).empty()) return Variant::Null();
    return ToStored(Variant(text));
}

std::string TBooleanField::AsString() const {
    return FormatText(Value(), true);
}

// ---- dates ----

// "YYYY/MM/DD", "YYYY-MM-DD" or "YYYYMMDD", each with an optional time
// "hh:nn[:ss[.zzz]]"; or a time alone.
static bool parseDateTime(const std::string& text, TDateTime& out) {
    std::string s = Trim(text);
    int y = 0, m = 0, d = 0, h = 0, n = 0, sec = 0, ms = 0;
    TDateTime date = 0, time = 0;
    size_t timeAt = std::string::npos;
    char sep;
    int used = 0;
    if (std::sscanf(s.c_str(), "%d%c%d%*c%d%n", &y, &sep, &m, &d, &used) == 4 &&
        (sep == '/' || sep == '-')) {
        if (!TryEncodeDate(y, m, d, date)) return false;
        timeAt = (size_t)used;
    } else if (s.size() >= 8 && std::sscanf(s.c_str(), "%4d%2d%2d%n", &y, &m, &d, &used) == 3 &&
               (used == (int)s.size() || s[used] == ' ')) {
        if (!TryEncodeDate(y, m, d, date)) return false;
        timeAt = (size_t)used;
    } else {
        timeAt = 0;
    }
    std::string rest = Trim(s.substr(std::min(timeAt, s.size())));
    if (!rest.empty()) {
        int got = std::sscanf(rest.c_str(), "%d:%d:%d.%d", &h, &n, &sec, &ms);
        if (got < 2 || !TryEncodeTime(h, n, sec, ms, time)) return false;
    } else if (timeAt == 0) {
        return false;
    }
    out = date < 0 ? date - time : date + time;
    return true;
}

Variant TDateTimeField::ToStored(const Variant& v) const {
    if (v.IsText()) {
        TDateTime dt;
        if (!parseDateTime(v.RawText(), dt)) ConvertError(v.RawText(), "date and time");
        return ToStored(Variant::Date(dt));
    }
    double d;
    try {
        d = v.AsDateTime();
    } catch (const EVariantError&) {
        ConvertError(VarToStr(v), "date and time");
    }
    if (DataType() == TFieldType::ftDate) d = std::trunc(d);
    if (DataType() == TFieldType::ftTime) d = std::fabs(d - std::trunc(d));
    return Variant::Date(d);
}

std::string TDateTimeField::FormatText(const Variant& stored, bool display) const {
    if (stored.IsEmptyOrNull()) return std::string();
    double d = stored.AsDateTime();
    if (display && !DisplayFormat().empty()) return FormatDateTime(DisplayFormat(), d);
    switch (DataType()) {
        case TFieldType::ftDate:
            return DateToStr(d);
        case TFieldType::ftTime:
            return TimeToStr(d);
        default:
            return DateTimeToStr(d);
    }
}

Variant TDateTimeField::ParseText(const std::string& text) const {
    if (Trim(text).empty()) return Variant::Null();
    return ToStored(Variant(text));
}

std::string TDateTimeField::AsString() const {
    return FormatText(Value(), false);
}

// ---- bytes, blobs ----

Variant TBinaryField::ToStored(const Variant& v) const {
    std::string s = VarToStr(v);
    if (Size() > 0 && (int)s.size() > Size()) s.resize(Size());
    return Variant(std::move(s));
}

Variant TBlobField::ToStored(const Variant& v) const {
    if (v.IsArray()) {
        std::string bytes;
        for (const Variant& e : v.Items()) bytes.push_back((char)VarToIntDef(e));
        return Variant(std::move(bytes));
    }
    return Variant(VarToStr(v));
}

// ---- nested dataset, aggregate ----

TDataSetField::~TDataSetField() {
    // Unbind the nested datasets first (closing them), then free the own one.
    for (TDataSet* d : std::vector<TDataSet*>(details_)) {
        if (d->Active()) d->Close();
        if (d->DataSetField() == this) d->SetDataSetField(nullptr);
    }
    BeginDestroy();
}

TDataSet* TDataSetField::NestedDataSet() {
    if (!details_.empty()) return details_.front();
    own_ = CreateNestedDataSet(this);
    own_->SetDataSetField(this);
    if (DataSet() && DataSet()->Active()) own_->Open();
    return own_;
}

Variant TDataSetField::ToStored(const Variant&) const {
    throw EDatabaseError("Cannot assign a value to the nested dataset field '" + FieldName() + "'");
}

TAggregateField::TAggregateField(TComponent* owner) : TField(owner, TFieldType::ftUnknown) {
    SetFieldKind(TFieldKind::fkAggregate);
}

TField* CreateField(TFieldType type, TComponent* owner) {
    switch (type) {
        case TFieldType::ftString:
            return new TStringField(owner);
        case TFieldType::ftFixedChar: {
            auto* f = new TStringField(owner);
            f->SetFixedChar(true);
            return f;
        }
        case TFieldType::ftWideString:
            return new TWideStringField(owner);
        case TFieldType::ftMemo:
            return new TMemoField(owner);
        case TFieldType::ftSmallint:
            return new TSmallintField(owner);
        case TFieldType::ftInteger:
            return new TIntegerField(owner);
        case TFieldType::ftWord:
            return new TWordField(owner);
        case TFieldType::ftLargeint:
            return new TLargeintField(owner);
        case TFieldType::ftFloat:
            return new TFloatField(owner);
        case TFieldType::ftCurrency:
            return new TCurrencyField(owner);
        case TFieldType::ftBCD:
            return new TBCDField(owner);
        case TFieldType::ftBoolean:
            return new TBooleanField(owner);
        case TFieldType::ftDate:
            return new TDateField(owner);
        case TFieldType::ftTime:
            return new TTimeField(owner);
        case TFieldType::ftDateTime:
            return new TDateTimeField(owner);
        case TFieldType::ftBlob:
            return new TBlobField(owner);
        case TFieldType::ftBytes:
            return new TBytesField(owner);
        case TFieldType::ftVariant:
            return new TVariantField(owner);
        case TFieldType::ftDataSet:
            return new TDataSetField(owner);
        default:
            throw EDatabaseError(std::string("Fields of type ") + FieldTypeName(type) +
                                 " are not supported");
    }
}

// ---- published properties ----

PLAT_ENUM_INFO(TFieldKind, fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate)

PLAT_PUBLISH(TField) {
    p.Prop("FieldName", &TField::FieldName, &TField::SetFieldName);
    p.Prop("FieldKind", &TField::FieldKind, &TField::SetFieldKind);
    p.Prop("DisplayLabel", &TField::DisplayLabel, &TField::SetDisplayLabel);
    p.Prop("DisplayWidth", &TField::DisplayWidth, &TField::SetDisplayWidth);
    p.Prop("Index", &TField::Index, &TField::SetIndex);
    p.Prop("Visible", &TField::Visible, &TField::SetVisible);
    p.Prop("ReadOnly", &TField::ReadOnly, &TField::SetReadOnly);
    p.Prop("Required", &TField::Required, &TField::SetRequired);
    p.Prop("Size", &TField::Size, &TField::SetSize);
    p.Prop("EditMask", &TField::EditMask, &TField::SetEditMask, "TEditMask");
    p.Prop("DisplayFormat", &TField::DisplayFormat, &TField::SetDisplayFormat);
    p.Prop("EditFormat", &TField::EditFormat, &TField::SetEditFormat);
    p.Prop("LookupDataSet", &TField::LookupDataSet, &TField::SetLookupDataSet);
    p.Prop("KeyFields", &TField::KeyFields);
    p.Prop("LookupKeyFields", &TField::LookupKeyFields);
    p.Prop("LookupResultField", &TField::LookupResultField);
    p.Prop("OnChange", &TField::OnChange, nullptr, "TFieldNotifyEvent");
    p.Prop("OnValidate", &TField::OnValidate, nullptr, "TFieldNotifyEvent");
    p.Prop("OnGetText", &TField::OnGetText, nullptr, "TFieldGetTextEvent");
    p.Prop("OnSetText", &TField::OnSetText, nullptr, "TFieldSetTextEvent");
}

PLAT_PUBLISH(TStringField) {
    p.Prop("FixedChar", &TStringField::FixedChar, &TStringField::SetFixedChar);
}

PLAT_PUBLISH(TIntegerField) {
    p.Prop("MinValue", &TIntegerField::MinValue);
    p.Prop("MaxValue", &TIntegerField::MaxValue);
}

PLAT_PUBLISH(TFloatField) {
    p.Prop("MinValue", &TFloatField::MinValue);
    p.Prop("MaxValue", &TFloatField::MaxValue);
    p.Prop("Precision", &TFloatField::Precision);
}

PLAT_PUBLISH(TBCDField) {
    p.Prop("Precision", &TBCDField::Precision);
}

PLAT_PUBLISH(TBooleanField) {
    p.Prop("DisplayValues", &TBooleanField::DisplayValues);
}

PLAT_PUBLISH(TAggregateField) {
    p.Prop("Expression", &TAggregateField::Expression);
    p.Prop("Active", &TAggregateField::Active);
}

}  // namespace plat
