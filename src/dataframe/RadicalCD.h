// TdmRadical: the root of the data-module chain (TdmRadical, TdmBase,
// TdmSingle, TdmDouble, the document's own module). It owns the connections
// to the application server and to the lookup server, holds what every
// document module needs (the user's date layout and separator, today as the
// server sees it, the form's broker), carries the shared field handlers that
// the modules bind to their fields by name, and is the one road to the
// host's validator for look-ups by table name and query number, and the
// keeper of the audit columns.
#pragma once
#include <string>

#include "dataframe/Connection.h"
#include "dataframe/OwnerForm.h"
#include "platform/component/component.h"
#include "platform/data/field.h"

namespace ktrb {

class TBrokers;

inline constexpr const char* kAppServerProgID = "NevaQ22D.Class1";
inline constexpr const char* kLookupServerProgID = "DravocS.Class1";

// Message types of the look-ups: "E" error and abort, "W" warning the user
// may pass, anything else ("N") no message.
inline constexpr const char* kMsgError = "E";
inline constexpr const char* kMsgWarning = "W";
inline constexpr const char* kMsgNone = "N";

class TdmRadical : public plat::TComponent {
    PLAT_CLASS(TdmRadical, TComponent)
  public:
    // The owner is the document form (see OwnerForm.h).
    explicit TdmRadical(plat::TComponent* owner);
    ~TdmRadical() override;

    // ---- designed components ----
    TSimpleObjectBroker* SOB;
    TSocketConnection* MIDAS;
    TwwClientDataSet* cdsSaveCondition;
    TSocketConnection* scLookUpData;

    // ---- fields ----
    // Date layout 1..5 (1 Y-M-D, 2 M-D-Y, 3 D-M-Y, 4 and 5 Y-M-D counted
    // from 1911 in two or three digits) and separator of the user's display.
    int DateLayout = 1;
    std::string DateSeparator = "/";
    // Sent to the server as element 4 of Connect.
    bool ConnectFlag = true;
    // "YYYYMMDD": CREATE_DATE and MODI_DATE of the audit columns.
    std::string Today;
    // The application server object once connected (a dispatch variant).
    plat::Variant AppServer;
    // The bar-code kind field of a module that supports bar-code kinds.
    plat::TStringField* BarCodeKindField = nullptr;
    // The owner form's broker (not owned).
    TBrokers* Broker = nullptr;

    IDataModuleOwner* OwnerForm() const { return ownerForm_; }

    // ---- virtual operations ----
    // Defaults of a new header record (the main data set's current record).
    virtual void SetDefaultValues() {}
    // Fills the audit columns of the record being inserted or edited.
    virtual void SetAuditValues(plat::TDataSet* dataSet);
    virtual bool IsLocalServer() = 0;

    virtual bool InitDataModule() { return false; }
    // Connects to the application server, signs on, takes the program's host
    // parameters, connects the lookup server and, once the server accepted
    // the sign-on, prepares and opens the data sets. True when accepted.
    virtual bool ConnectAppServer();
    virtual bool ConnectLookupServer();
    // Saves the changes of a client data set (ApplyDataSet).
    virtual bool ApplyData(plat::TClientDataSet* dataSet);
    // Opens every nested client data set of the module that is closed.
    virtual void OpenDataSets();

    // Today from the server; the local date when the server cannot say.
    void RefreshToday();
    void FillNulls(plat::TDataSet* dataSet);
    // Display labels in the display code page, and text handlers on string
    // and memo fields that convert between the two code pages.
    void ApplyLanguageToFields();
    void DOGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void DOSetText(plat::TField* Sender, const std::string& Text);

    // ---- shared field handlers (stored forms in RadicalHandlers.cpp) ----
    std::string TimeFieldEditMask() const;
    void TimeFieldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void TimeFieldSetText(plat::TField* Sender, const std::string& Text);
    void TimeFieldValidate(plat::TField* Sender);
    std::string DayFieldEditMask() const;
    void DayFieldSetText(plat::TField* Sender, const std::string& Text);
    void DayFieldValidate(plat::TField* Sender);
    std::string MonthFieldEditMask() const;
    void MonthFieldSetText(plat::TField* Sender, const std::string& Text);
    void MonthFieldValidate(plat::TField* Sender);
    std::string DateFieldEditMask() const;
    void DateFieldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void DateFieldSetText(plat::TField* Sender, const std::string& Text);
    void DateFieldValidate(plat::TField* Sender);
    std::string MDFieldEditMask() const;
    void MDFieldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void MDFieldSetText(plat::TField* Sender, const std::string& Text);
    void MDFieldValidate(plat::TField* Sender);
    std::string YMFieldEditMask() const;
    void YMFieldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void YMFieldSetText(plat::TField* Sender, const std::string& Text);
    void YMFieldValidate(plat::TField* Sender);
    std::string YearFieldEditMask() const;
    void YearFieldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void YearFieldSetText(plat::TField* Sender, const std::string& Text);
    std::string PercentFieldEditMask() const;
    void PercentFieldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void PercentFieldSetText(plat::TField* Sender, const std::string& Text);
    std::string SecondFieldEditMask() const;
    void SecondFldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);
    void SecondFldSetText(plat::TField* Sender, const std::string& Text);
    // A display format for the decimals; a negative count leaves `format` as it is.
    void NumberFieldDisplayFormat(int decimals, std::string& format) const;
    std::string NumberFieldEditFormat() const;

    // Code completion of partner and item codes through the lookup service.
    void BarCodeFieldSetText(plat::TField* field, const std::string& text,
                             const plat::Variant& keyValues = {}, const std::string& queryNo = "63",
                             const std::string& tableName = "INVMB");
    void CostFieldSetText(plat::TField* field, const std::string& text,
                          const plat::Variant& keyValues = {}, const std::string& queryNo = "66",
                          const std::string& tableName = "ACTMA");
    void CustomerFieldSetText(plat::TField* Sender, const std::string& Text);
    void ProviderFieldSetText(plat::TField* field, const std::string& text,
                              const std::string& queryNo);

    // ---- look-ups (RadicalLookups.cpp) ----
    // True when the field is empty or the validator found the key; a key not
    // found shows "000001" and aborts for "E", asks "000004" for "W".
    bool CheckValueExists(plat::TField* field, const std::string& table, const std::string& queryNo,
                          plat::Variant& values, const plat::Variant& keys = {},
                          const std::string& msgType = kMsgError);
    bool CheckValueSilent(plat::TField* field, const std::string& table, const std::string& queryNo,
                          plat::Variant& values, const plat::Variant& keys = {});
    // result: [n, v1 .. vn], or [0] when nothing came back.
    bool GetLookupValues(plat::TField* field, const std::string& table, const std::string& queryNo,
                         plat::Variant& result, const plat::Variant& keys = {});
    // With the data set editing: the listed fields take the values found, or
    // are cleared when the field is empty.
    bool CheckValueAndFill(plat::TField* field, const std::string& table,
                           const std::string& queryNo, const plat::Variant& keys,
                           const std::string& fieldList, const std::string& msgType = kMsgError);
    bool ValidateFieldAndFill(plat::TField* field, const std::string& table,
                              const std::string& queryNo, const std::string& fieldList,
                              const std::string& msgType = kMsgError);
    // True when the key made of the listed fields (default: the field) is not
    // taken; "000002" and abort for "E", "000005" for "W".
    bool CheckValueUnique(plat::TField* field, const std::string& table, const std::string& queryNo,
                          const std::string& fieldList = "",
                          const std::string& msgType = kMsgError);

    // ---- audit columns ----
    static bool IsAuditField(const std::string& name);
    void ShowAuditFieldsOf(plat::TDataSet* dataSet, bool show);
    void SetAuditFieldLabels(plat::TDataSet* dataSet);
    void DateTimeFieldGetText(plat::TField* Sender, std::string& Text, bool DisplayText);

  protected:
    // The broker; raises EInternalError when the form gave none.
    TBrokers& broker() const;
    std::string sysParam(const std::string& name) const;
    std::string hostParam(const std::string& name) const;
    // Shows a message by code through the broker; the modal result.
    int showMessage(const std::string& kind, const std::string& code,
                    const std::vector<plat::Variant>& args = {});
    // Shows an error by code and aborts silently.
    [[noreturn]] void refuse(const std::string& code, const std::vector<plat::Variant>& args = {});
    // After a look-up: when the validator failed rather than answered, shows
    // "W" "000001" with its reason and aborts.
    void refuseIfLookupFailed();
    plat::Variant toDisplay(const plat::Variant& value) const;
    std::string fromDisplay(const std::string& text) const;

  private:
    enum class TCodeKind { Item, CostCentre, Customer, Supplier };
    void completeCode(plat::TField* field, const std::string& text, plat::Variant keys,
                      std::string queryNo, const std::string& table, const std::string& param,
                      TCodeKind kind);

    IDataModuleOwner* ownerForm_;
};

}  // namespace ktrb
