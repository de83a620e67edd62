// TdmBase: the data module of every document. It adds the main data set
// cdsMain (the document header, or the whole table of a one-table program),
// reads the program settings naming the document's table, keys and selects,
// keeps the number formats of the columns and the decimals of amounts by
// currency and of quantities by kind, checks the user's data rights on body
// rows, sorts by a clicked column, and wires cdsMain's events to the root
// operations and to the owner form.
#pragma once
#include <array>
#include <map>
#include <string>

#include "dataframe/RadicalCD.h"
#include "platform/core/stringlist.h"

namespace ktrb {

// The four decimal kinds of a currency (columns MF003 to MF006 of CMSMF).
enum class TCurrencyDigitType { cdtPrice = 0, cdtMoney = 1, cdtUnitCost = 2, cdtCostsAmount = 3 };
inline constexpr int kCurrencyDigitTypes = 4;
// "cdtPrice" ...: the names used in registration keys.
const char* CurrencyDigitTypeName(TCurrencyDigitType kind);

// The decimal counts of one currency, by kind.
struct TCurrencySetting {
    std::string Code;
    std::array<int, kCurrencyDigitTypes> Digits{};
};

// The registration key of amounts in the local currency (system parameter
// "SYS003" holds its code).
inline constexpr const char* kLocalCurrencyKey = "SYS003";

class TdmBase : public TdmRadical {
    PLAT_CLASS(TdmBase, TdmRadical)
  public:
    explicit TdmBase(plat::TComponent* owner);
    ~TdmBase() override;

    // ---- designed components ----
    TwwClientDataSet* cdsMain;
    TwwDataSource* dsMain;
    TwwClientDataSet* cdsMainColor;
    TwwDataSource* dsMainColor;

    // ---- fields ----
    // "column=precision.scale" lines (LoadNumberFormats).
    plat::TStringList NumberFormats;
    // Gates the fetch of the next packet before a scroll of cdsMain.
    bool EventsBound = true;
    std::string MainTable;    // program setting M11_TABLE
    std::string KeyFields;    // program setting M11_KEY, comma-separated
    std::string MainColumns;  // columns of the main select
    std::string BodyFrom;     // join part of the body select
    std::string BodyColumns;  // columns of the body select
    // The server's record count of the last open of cdsMain.
    int ServerRecordCount = 0;
    // The automatically numbered key field and the key values by key
    // position (KeyValues[0] is position 1); used by the single-table module.
    std::string AutoNumberField;
    std::array<plat::Variant, 10> KeyValues;
    // The user's number display options.
    bool MoneyAutoZero = true, MoneyThousand = true;
    bool QuantityAutoZero = true, QuantityThousand = true;
    // "kind=dataset:field,field;dataset:field" lines.
    plat::TStringList KindFields;
    // "<currency-code field or SYS003>||<kind name>=<field list>" lines.
    plat::TStringList CurrencyFields;
    // Fields whose decimals follow system parameter "sys068".
    std::string ParamDecimalFields;

    // ---- virtual operations ----
    bool IsLocalServer() override;
    virtual void SetKeyFields(const std::string& keys);
    virtual void SetMainSelect(const std::string& select);
    virtual void SetBodySelect(const std::string& select);
    // Runs once after the owner form has bound its controls; empty here.
    virtual void AfterConnect() {}
    virtual void LoadNumberFormats(const std::string& tables);
    virtual void ApplyCurrencyFormat(plat::TDataSet* dataSet, plat::TField* currencyField,
                                     const std::string& code);
    virtual void HookCurrencyField(plat::TField* currencyField, TCurrencyDigitType kind);
    // True when every row of the body ("D11"), sub-body ("F11") or other
    // nested level refers only to base data the user may use; otherwise the
    // keys of up to four rows that do not (";..." after the fourth), or
    // "ALL" when the user may use none. The data set stays on the first such row.
    virtual bool CheckBodyDataRights(plat::TDataSet* dataSet, const std::string& levelPrefix,
                                     std::string& denied);
    virtual bool CheckDataRights() { return true; }
    bool InitDataModule() override;
    virtual void ShowAuditFields(bool show);

    // ---- cdsMain events ----
    void cdsMainNewRecord(plat::TDataSet* DataSet);
    void cdsMainAfterEdit(plat::TDataSet* DataSet);
    void cdsMainBeforePost(plat::TDataSet* DataSet);
    void cdsMainBeforeScroll(plat::TDataSet* DataSet);
    void cdsMainAfterScroll(plat::TDataSet* DataSet);
    void cdsMainAfterOpen(plat::TDataSet* DataSet);
    void cdsMainBeforeOpen(plat::TDataSet* DataSet);

    // ---- currency digits and number formats ----
    // -1 without a code or a broker; 0 for every kind of a currency the
    // currency table lacks. Cached per code for the module's life.
    int GetCurrencyDigits(const std::string& code, TCurrencyDigitType kind);
    // Ties the amount fields of the list to a currency-code field (none: the
    // local currency) for a kind.
    void RegisterCurrencyField(plat::TField* currencyField, TCurrencyDigitType kind,
                               const std::string& amountFields);
    std::string GetCurrencyAmountFields(plat::TField* currencyField, TCurrencyDigitType kind) const;
    void CurrencyFieldChange(plat::TField* Sender);
    // Text handlers and edit format on the listed numeric fields.
    void ApplyDecimalFormat(const std::string& fieldList, int decimals, bool money);
    void SetKindFields(int kind, const std::string& fieldList);
    std::string GetKindFields(int kind) const;
    int GetKindDecimals(int kind) const;
    void SetZeroDecimalFields(const std::string& fieldList);
    // The first of the currency, kind and "sys068" decimals that applies; -1
    // for a blank name or when none does.
    int GetFieldDecimals(const std::string& name);
    void LoadNumberFieldsSetting();
    void MoneyFieldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void QuantityFieldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void NumberFieldSetText(plat::TField* Sender, const std::string& Text);
    // The value, or 0 after message "100280" / "100288" when it lies outside
    // the column's precision and scale.
    double CheckNumberRange(plat::TField* field, int decimals, bool showMessage, double value);

    // ---- data rights ----
    // " and TABLE.FIELD=value" for each key of the parent's current record;
    // text values are quoted with inner quotes doubled.
    void BuildParentCondition(plat::TDataSet* parent, const std::string& keyList,
                              const std::string& table, std::string& condition) const;

    // ---- column sorting ----
    // Ascending by the field, descending on the next click on the same
    // field, ascending again on the third.
    void SortDataSetByField(plat::TClientDataSet* dataSet, const std::string& fieldName,
                            plat::TDataSet* linked = nullptr);
    plat::TField* GetSortField(plat::TClientDataSet* dataSet) const;
    bool IsSortAscending(plat::TClientDataSet* dataSet) const;

  protected:
    // A field component of the module by its component name.
    plat::TField* findFieldComponent(const std::string& name) const;

  private:
    int currencyDecimalsOf(const std::string& name);
    int kindDecimalsOf(const std::string& name) const;
    int paramDecimalsOf(const std::string& name);
    std::string numberText(plat::TField* field, int decimals, bool thousand, bool autoZero,
                           bool round) const;

    std::map<std::string, TCurrencySetting> currencyCache_;
    int paramDecimals_ = -2;  // "sys068", read once
};

// Whole-word search: the word bounded by the ends of the text, line breaks,
// blanks, ",", ":" or ";" (ignoring case).
bool HoldsWord(const std::string& text, const std::string& word);

}  // namespace ktrb
