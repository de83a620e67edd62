// Fields of a dataset: the value of one column of the current record, its
// display properties and its events. Every write goes through one pipeline
// (see TDataSet::WriteField): text through OnSetText or the type's parser,
// conversion and size checks, state and read-only checks, OnValidate while
// every reader sees the proposed value, store, modified flag and calculated
// fields, OnChange and the data links. An exception before the store leaves
// the record, its state and its modified flag as they were.
#pragma once
#include <string>
#include <vector>

#include "platform/component/component.h"
#include "platform/component/events.h"
#include "platform/core/dates.h"
#include "platform/core/variant.h"
#include "platform/data/datatypes.h"

namespace plat {

class TDataSet;
class TField;

using TFieldNotifyEvent = Event<TField*>;
// Sender, text (out), display text wanted (false: edit text).
using TFieldGetTextEvent = Event<TField*, std::string&, bool>;
using TFieldSetTextEvent = Event<TField*, const std::string&>;

class TField : public TComponent {
    PLAT_CLASS(TField, TComponent)
  public:
    explicit TField(TComponent* owner = nullptr) : TField(owner, TFieldType::ftUnknown) {}
    ~TField() override;

    // ---- identity and layout ----
    TDataSet* DataSet() const { return dataSet_; }
    // Adds the field to a dataset's field list (removes it from the old one).
    void SetDataSet(TDataSet* ds);
    const std::string& FieldName() const { return fieldName_; }
    void SetFieldName(const std::string& name);
    TFieldType DataType() const { return dataType_; }
    TFieldKind FieldKind() const { return kind_; }
    void SetFieldKind(TFieldKind kind);
    bool IsDataField() const { return kind_ == TFieldKind::fkData; }
    // 1-based position of the field's column in the record; 0 for fields
    // whose values are not stored (calculated, lookup, aggregate).
    int FieldNo() const { return column_ + 1; }
    // Position in the dataset's field list; setting it moves the field.
    int Index() const;
    void SetIndex(int index);
    int Size() const { return size_; }
    void SetSize(int size);
    bool IsBlob() const;
    virtual bool IsNumeric() const { return false; }

    std::string DisplayLabel() const { return displayLabel_.empty() ? fieldName_ : displayLabel_; }
    void SetDisplayLabel(const std::string& s);
    std::string DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const;
    void SetDisplayWidth(int w);
    bool Visible() const { return visible_; }
    void SetVisible(bool v);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    bool Required() const { return required_; }
    void SetRequired(bool v) { required_ = v; }
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& m) { editMask_ = m; }
    const std::string& DisplayFormat() const { return displayFormat_; }
    void SetDisplayFormat(const std::string& f);
    const std::string& EditFormat() const { return editFormat_; }
    void SetEditFormat(const std::string& f) { editFormat_ = f; }
    bool CanModify() const;

    // ---- values of the current record ----
    bool IsNull() const;
    void Clear() { SetValue(Variant::Null()); }
    Variant Value() const;
    void SetValue(const Variant& v);
    Variant AsVariant() const { return Value(); }
    void SetAsVariant(const Variant& v) { SetValue(v); }
    // Never goes through OnGetText.
    virtual std::string AsString() const;
    void SetAsString(const std::string& s);
    virtual int AsInteger() const;
    void SetAsInteger(int v) { SetValue(Variant(v)); }
    virtual int64_t AsLargeInt() const;
    void SetAsLargeInt(int64_t v) { SetValue(Variant((long long)v)); }
    virtual double AsFloat() const;
    void SetAsFloat(double v) { SetValue(Variant(v)); }
    double AsCurrency() const { return AsFloat(); }
    void SetAsCurrency(double v) { SetValue(Variant::Currency(v)); }
    virtual bool AsBoolean() const;
    void SetAsBoolean(bool v) { SetValue(Variant(v)); }
    virtual TDateTime AsDateTime() const;
    void SetAsDateTime(TDateTime v) { SetValue(Variant::Date(v)); }
    // Edit text and display text: through OnGetText when assigned.
    std::string Text() const { return GetText(false); }
    std::string DisplayText() const { return GetText(true); }
    // Edit text: through OnSetText when assigned, else parsed for the type.
    void SetText(const std::string& text);
    // The value as read from the provider (Null for an inserted record), the
    // value being applied and the server's value while reconciling.
    Variant OldValue() const;
    Variant NewValue() const;
    void SetNewValue(const Variant& v);
    Variant CurValue() const;
    // Asks the controls bound to the field to take the focus.
    void FocusControl();

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

    // Lookup fields: the value of LookupResultField of the LookupDataSet row
    // whose LookupKeyFields equal this dataset's KeyFields.
    TDataSet* LookupDataSet() const { return lookupDataSet_; }
    void SetLookupDataSet(TDataSet* ds);
    std::string KeyFields, LookupKeyFields, LookupResultField;

    // The stored form of a value for this field's type: converts, checks the
    // range and cuts text to Size. Raises EConvertError or EDatabaseError.
    virtual Variant ToStored(const Variant& v) const;
    // The default text of a stored value (display or edit text).
    virtual std::string FormatText(const Variant& stored, bool display) const;
    // The default parsing of edit text.
    virtual Variant ParseText(const std::string& text) const;

  protected:
    TField(TComponent* owner, TFieldType type);
    void Notification(TComponent* c, TOperation op) override;
    [[noreturn]] void ConvertError(const std::string& text, const char* what) const;
    virtual int DefaultWidth() const { return 10; }
    void SetDataTypeInternal(TFieldType t) { dataType_ = t; }

  private:
    friend class TDataSet;
    std::string GetText(bool display) const;

    TDataSet* dataSet_ = nullptr;
    std::string fieldName_;
    TFieldType dataType_;
    TFieldKind kind_ = TFieldKind::fkData;
    int column_ = -1;    // column in the dataset's store; -1 when not bound
    int calcSlot_ = -1;  // position among the dataset's calculated values
    int size_ = 0;
    std::string displayLabel_;
    int displayWidth_ = 0;
    bool visible_ = true;
    bool readOnly_ = false;
    bool required_ = false;
    std::string editMask_, displayFormat_, editFormat_;
    TDataSet* lookupDataSet_ = nullptr;
};

class TStringField : public TField {
    PLAT_CLASS(TStringField, TField)
  public:
    explicit TStringField(TComponent* owner = nullptr)
        : TStringField(owner, TFieldType::ftString) {}
    // Blank-padded fixed-width text.
    bool FixedChar() const { return DataType() == TFieldType::ftFixedChar; }
    void SetFixedChar(bool on);
    Variant ToStored(const Variant& v) const override;
    std::string AsString() const override;

  protected:
    TStringField(TComponent* owner, TFieldType t);
    int DefaultWidth() const override { return Size(); }
    // The value as text; EConvertError when it has none.
    std::string textOf(const Variant& v) const;
};

class TWideStringField : public TStringField {
    PLAT_CLASS(TWideStringField, TStringField)
  public:
    explicit TWideStringField(TComponent* owner = nullptr)
        : TStringField(owner, TFieldType::ftWideString) {}
    Variant ToStored(const Variant& v) const override;
};

class TNumericField : public TField {
    PLAT_CLASS(TNumericField, TField)
  public:
    bool IsNumeric() const override { return true; }
    std::string FormatText(const Variant& stored, bool display) const override;

  protected:
    using TField::TField;
};

class TIntegerField : public TNumericField {
    PLAT_CLASS(TIntegerField, TNumericField)
  public:
    explicit TIntegerField(TComponent* owner = nullptr)
        : TIntegerField(owner, TFieldType::ftInteger) {}
    int64_t MinValue = 0, MaxValue = 0;  // both 0: the type's range
    Variant ToStored(const Variant& v) const override;
    Variant ParseText(const std::string& text) const override;

  protected:
    TIntegerField(TComponent* owner, TFieldType t) : TNumericField(owner, t) {}
    int DefaultWidth() const override { return 11; }
};

class TSmallintField : public TIntegerField {
    PLAT_CLASS(TSmallintField, TIntegerField)
  public:
    explicit TSmallintField(TComponent* owner = nullptr)
        : TIntegerField(owner, TFieldType::ftSmallint) {}
};

class TWordField : public TIntegerField {
    PLAT_CLASS(TWordField, TIntegerField)
  public:
    explicit TWordField(TComponent* owner = nullptr) : TIntegerField(owner, TFieldType::ftWord) {}
};

class TAutoIncField : public TIntegerField {
    PLAT_CLASS(TAutoIncField, TIntegerField)
  public:
    explicit TAutoIncField(TComponent* owner = nullptr)
        : TIntegerField(owner, TFieldType::ftInteger) {}
};

class TLargeintField : public TIntegerField {
    PLAT_CLASS(TLargeintField, TIntegerField)
  public:
    explicit TLargeintField(TComponent* owner = nullptr)
        : TIntegerField(owner, TFieldType::ftLargeint) {}
};

class TFloatField : public TNumericField {
    PLAT_CLASS(TFloatField, TNumericField)
  public:
    explicit TFloatField(TComponent* owner = nullptr) : TFloatField(owner, TFieldType::ftFloat) {}
    double MinValue = 0, MaxValue = 0;  // both 0: no range
    int Precision = 15;
    Variant ToStored(const Variant& v) const override;
    Variant ParseText(const std::string& text) const override;

  protected:
    TFloatField(TComponent* owner, TFieldType t) : TNumericField(owner, t) {}
};

class TCurrencyField : public TFloatField {
    PLAT_CLASS(TCurrencyField, TFloatField)
  public:
    explicit TCurrencyField(TComponent* owner = nullptr)
        : TFloatField(owner, TFieldType::ftCurrency) {}
};

// Fixed-point decimal (four decimals kept, as the platform's currency type).
class TBCDField : public TNumericField {
    PLAT_CLASS(TBCDField, TNumericField)
  public:
    explicit TBCDField(TComponent* owner = nullptr) : TNumericField(owner, TFieldType::ftBCD) {}
    int Precision = 18;
    Variant ToStored(const Variant& v) const override;
    Variant ParseText(const std::string& text) const override;
};

class TBooleanField : public TField {
    PLAT_CLASS(TBooleanField, TField)
  public:
    explicit TBooleanField(TComponent* owner = nullptr) : TField(owner, TFieldType::ftBoolean) {}
    // "True;False": the texts of true and false.
    std::string DisplayValues = "True;False";
    Variant ToStored(const Variant& v) const override;
    std::string FormatText(const Variant& stored, bool display) const override;
    Variant ParseText(const std::string& text) const override;
    std::string AsString() const override;

  protected:
    int DefaultWidth() const override { return 5; }
};

class TDateTimeField : public TField {
    PLAT_CLASS(TDateTimeField, TField)
  public:
    explicit TDateTimeField(TComponent* owner = nullptr)
        : TDateTimeField(owner, TFieldType::ftDateTime) {}
    Variant ToStored(const Variant& v) const override;
    std::string FormatText(const Variant& stored, bool display) const override;
    Variant ParseText(const std::string& text) const override;
    std::string AsString() const override;

  protected:
    TDateTimeField(TComponent* owner, TFieldType t) : TField(owner, t) {}
    int DefaultWidth() const override { return 18; }
};

class TDateField : public TDateTimeField {
    PLAT_CLASS(TDateField, TDateTimeField)
  public:
    explicit TDateField(TComponent* owner = nullptr) : TDateTimeField(owner, TFieldType::ftDate) {}
};

class TTimeField : public TDateTimeField {
    PLAT_CLASS(TTimeField, TDateTimeField)
  public:
    explicit TTimeField(TComponent* owner = nullptr) : TDateTimeField(owner, TFieldType::ftTime) {}
};

// Raw bytes held as a byte string.
class TBinaryField : public TField {
    PLAT_CLASS(TBinaryField, TField)
  public:
    Variant ToStored(const Variant& v) const override;

  protected:
    TBinaryField(TComponent* owner, TFieldType t) : TField(owner, t) {}
};

class TBytesField : public TBinaryField {
    PLAT_CLASS(TBytesField, TBinaryField)
  public:
    explicit TBytesField(TComponent* owner = nullptr) : TBinaryField(owner, TFieldType::ftBytes) {}
};

class TVarBytesField : public TBytesField {
    PLAT_CLASS(TVarBytesField, TBytesField)
  public:
    explicit TVarBytesField(TComponent* owner = nullptr) : TBytesField(owner) {}
};

class TBlobField : public TField {
    PLAT_CLASS(TBlobField, TField)
  public:
    explicit TBlobField(TComponent* owner = nullptr) : TBlobField(owner, TFieldType::ftBlob) {}
    Variant ToStored(const Variant& v) const override;

  protected:
    TBlobField(TComponent* owner, TFieldType t) : TField(owner, t) {}
};

class TMemoField : public TBlobField {
    PLAT_CLASS(TMemoField, TBlobField)
  public:
    explicit TMemoField(TComponent* owner = nullptr) : TBlobField(owner, TFieldType::ftMemo) {}
};

class TGraphicField : public TBlobField {
    PLAT_CLASS(TGraphicField, TBlobField)
  public:
    explicit TGraphicField(TComponent* owner = nullptr) : TBlobField(owner) {}
};

class TVariantField : public TField {
    PLAT_CLASS(TVariantField, TField)
  public:
    explicit TVariantField(TComponent* owner = nullptr) : TField(owner, TFieldType::ftVariant) {}
    Variant ToStored(const Variant& v) const override { return v; }
};

// A nested dataset field: its value is the detail rows of the record, shown
// by the datasets whose DataSetField is this field.
class TObjectField : public TField {
    PLAT_CLASS(TObjectField, TField)
  protected:
    using TField::TField;
};

class TDataSetField : public TObjectField {
    PLAT_CLASS(TDataSetField, TObjectField)
  public:
    explicit TDataSetField(TComponent* owner = nullptr)
        : TObjectField(owner, TFieldType::ftDataSet) {}
    ~TDataSetField() override;
    // The first dataset bound to this field; created (owned by the field) when none is.
    TDataSet* NestedDataSet();
    const std::vector<TDataSet*>& DetailDataSets() const { return details_; }
    Variant ToStored(const Variant& v) const override;
    std::string AsString() const override { return "(DataSet)"; }

  private:
    friend class TDataSet;
    std::vector<TDataSet*> details_;
    TDataSet* own_ = nullptr;
};

// A total over the rows the dataset shows: "SUM(F)", "MIN(F)", "MAX(F)",
// "AVG(F)" or "COUNT(F)" / "COUNT(*)".
class TAggregateField : public TField {
    PLAT_CLASS(TAggregateField, TField)
  public:
    explicit TAggregateField(TComponent* owner = nullptr);
    std::string Expression;
    bool Active = true;
};

// A field of the given type, owned by owner (the dataset's default fields).
TField* CreateField(TFieldType type, TComponent* owner);

}  // namespace plat
