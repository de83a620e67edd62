// Fixtures of the receipt rules: a receipt form fake (the root form, the data
// modules' owner and the receipt side), and a receipt data module connected
// in process to the application server's demo database through the host's
// work-centre object, with message texts that name their codes.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "dataframe/OwnerForm.h"
#include "platform/core/stringlist.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/Brokers.h"
#include "runtime/RadicalFormIntf.h"
#include "standins/host/host_services.h"

namespace standin {
class AppServer;
class HostRegistration;
}  // namespace standin

namespace ktrb::test {

using plat::Variant;

struct ShownMessage {
    std::string kind;  // the dialog's type letter as the catalogue gave it
    std::string code;
    std::string text;  // the catalogue's text, formatted
};

class FakeReceiptForm : public plat::TComponent,
                        public IRadicalForm,
                        public IDataModuleOwner,
                        public IKtrb52Owner {
  public:
    FakeReceiptForm();
    ~FakeReceiptForm() override;

    TBrokers* broker;
    TFormMode mode = TFormMode::Browse;
    int answer = modal::Ok;  // the answer to every message dialog
    std::vector<ShownMessage> messages;

    // receipt side
    bool validationActive = false, quantityEditActive = false, invoiceKindFromDialog = false;
    std::string mocParam1 = "N", mocParam2 = "N", qualityParam = "N", supplierAtEdit;
    std::unique_ptr<plat::TStringList> inspectionKeys;  // null: the form has none
    std::vector<std::string> lookupTexts;
    std::map<std::string, std::string> hints, texts;
    bool inspectionEditReadOnly = false, moneyButton = true, gridLocked = false, queryMenu = true;
    bool taxKindEnabled = true, taxRateEnabled = true;
    std::string itemViewSource;
    std::vector<bool> projectEditLocks;
    bool autoConfirm = false, printAfterSave = false;
    std::string f11Fields;
    std::function<std::string()> assignNumber;   // unset: numbering fails
    plat::TClientDataSet* serialCopy = nullptr;  // the form's serial copy (not owned)

    std::vector<std::string> codes() const;

    // IDataModuleOwner
    TFormMode FormMode() const override { return mode; }
    bool ValidateRequiredFields(plat::TDataSet*) override { return true; }
    void ApplyRecordRights(plat::TDataSet*) override {}
    Variant ConvertByDisplayMode(const Variant& value) override { return value; }
    Variant RevertByDisplayMode(const Variant& value) override { return value; }
    int ShowMessageBox(const std::string& text, TMsgDlgType, const TMsgDlgButtons&) override;
    std::string GetUICodePage() const override { return "936"; }

    // IKtrb52Owner
    bool ValidationActive() const override { return validationActive; }
    void SetValidationActive(bool on) override { validationActive = on; }
    bool QuantityEditActive() const override { return quantityEditActive; }
    void SetQuantityEditActive(bool on) override { quantityEditActive = on; }
    bool AmountsFrozen() const override { return false; }
    bool InvoiceKindFromDialog() const override { return invoiceKindFromDialog; }
    void SetInvoiceKindFromDialog(bool on) override { invoiceKindFromDialog = on; }
    std::string MocParam1() const override { return mocParam1; }
    std::string MocParam2() const override { return mocParam2; }
    std::string QualityParam() const override { return qualityParam; }
    std::string SupplierAtEdit() const override { return supplierAtEdit; }
    void SetSupplierAtEdit(const std::string& s) override { supplierAtEdit = s; }
    const plat::TStringList* InspectionKeys() const override { return inspectionKeys.get(); }
    plat::TClientDataSet* SerialDataSet() override { return serialCopy; }
    std::string LookupTextLine(int index) const override;
    void SetEditorHint(const std::string& editor, const std::string& text) override {
        hints[editor] = text;
    }
    void SetEditorText(const std::string& editor, const std::string& text) override {
        texts[editor] = text;
    }
    void SetInspectionEditReadOnly(bool on) override { inspectionEditReadOnly = on; }
    bool MoneyButtonEnabled() const override { return moneyButton; }
    void SetMoneyButtonEnabled(bool on) override { moneyButton = on; }
    bool BodyGridLocked() const override { return gridLocked; }
    void SetBodyGridLocked(bool on) override { gridLocked = on; }
    void SetQueryMenuEnabled(bool on) override { queryMenu = on; }
    void SetItemViewSource(const std::string& source) override { itemViewSource = source; }
    void SetTaxKindEnabled(bool on) override { taxKindEnabled = on; }
    void SetTaxRateEnabled(bool on) override { taxRateEnabled = on; }
    void UpdateProjectEditEnabled(bool locked) override { projectEditLocks.push_back(locked); }
    void SetAutoConfirmAfterSave(bool on) override { autoConfirm = on; }
    void SetPrintAfterSave(bool on) override { printAfterSave = on; }
    std::string AssignDocumentNumber() override { return assignNumber ? assignNumber() : "unKnow"; }
    void SetF11Fields(const std::string& fields) override { f11Fields = fields; }

    // IRadicalForm
    plat::TComponent* FormComponent() override { return this; }
    TBrokers* Brokers() override { return broker; }
    bool FormVisible() const override { return false; }
    void ShowForm() override {}
    void HideForm() override {}
    THandle FormHandle() override { return 0; }
    std::string FormCaption() const override { return "委外进货单"; }
    int ShowFormModal() override { return 0; }
    void FreeForm() override {}
    void SetModuleFileName(const std::string&) override {}
    bool InitializeFromHost(const Variant&) override { return true; }
    void UpdateButtons() override {}
    std::string VersionText() const override { return "900214"; }
    uint16_t ActionRights() const override { return 0x1FF; }
    void SetActionRights(uint16_t) override {}
    uint8_t OpenMode() const override { return 0; }
    void SetOpenMode(uint8_t) override {}
    Variant HostKeys() const override { return {}; }
    void SetHostKeys(const Variant&) override {}
    std::string StartCondition() const override { return ""; }
    void SetStartCondition(const std::string&) override {}
    Variant StartParam() const override { return {}; }
    void SetStartParam(const Variant&) override {}
    int32_t ResultCode() const override { return 0; }
    Variant ResultValue() const override { return {}; }
    plat::TNotifyEvent& OnShowEvent() override { return onEvent_; }
    plat::TNotifyEvent& OnHideEvent() override { return onEvent_; }
    plat::TNotifyEvent& OnDestroyEvent() override { return onEvent_; }
    TCloseEvent& OnCloseEvent() override { return onClose_; }
    int ProductID() const override { return 1; }
    uint64_t RightsSet() const override { return ~0ull; }
    uint8_t LookupStage() const override { return 0; }
    void SetLookupParams(const Variant&) override {}
    Variant LookupResult() const override { return {}; }
    std::string GetSystemCodePage() const override { return "936"; }
    int GetDisplayMode() const override { return 0; }
    int RunMessageDialog(const TMessageDialogSpec& dialog) override;
    void AfterMessage() override {}
    void Beep() override {}

  private:
    plat::TNotifyEvent onEvent_;
    TCloseEvent onClose_;
};

// The host's look-ups by table and query number on the demo database, with
// replies a test scripts for some (table, query) pairs (the validator's
// values from position 0); every call is recorded.
class ScriptedCatalogue : public standin::IQueryCatalogue {
  public:
    explicit ScriptedCatalogue(std::shared_ptr<standin::IQueryCatalogue> inner)
        : inner_(std::move(inner)) {}
    struct Call {
        std::string table, query;
        Variant keys;
    };
    std::vector<Call> calls;
    // A found record with these values; an empty list answers "not found".
    void Answer(const std::string& table, const std::string& query, std::vector<Variant> values);
    const Call* Last(const std::string& table, const std::string& query) const;

    bool CheckValue(const std::string& table, const std::string& query, const std::string& database,
                    const Variant& keys, Variant& result) override;
    bool QueryData(const std::string& table, const std::string& query, const std::string& database,
                   const Variant& keys, Variant& result) override;

  private:
    std::shared_ptr<standin::IQueryCatalogue> inner_;
    std::map<std::pair<std::string, std::string>, std::vector<Variant>> answers_;
};

// The server's operations by name, every call recorded.
class RecordingServer : public standin::IServerOperations {
  public:
    explicit RecordingServer(std::shared_ptr<standin::IServerOperations> inner)
        : inner_(std::move(inner)) {}
    std::vector<std::pair<std::string, Variant>> calls;
    // Replies a test gives in place of the server's, by operation name.
    std::map<std::string, Variant> answers;
    // The arguments of the last call of the operation; Unassigned when none.
    Variant LastArgs(const std::string& name) const;
    Variant CallOperation(const std::string& name, const Variant& args,
                          const Variant& signOn) override;

  private:
    std::shared_ptr<standin::IServerOperations> inner_;
};

// A throw-away installation whose client settings name the in-process
// server ("127.0.0.1"), for the object's lifetime.
class ClientInstallation {
  public:
    ClientInstallation();
    ~ClientInstallation();
    ClientInstallation(const ClientInstallation&) = delete;
    ClientInstallation& operator=(const ClientInstallation&) = delete;

  private:
    std::string root_;
    std::string oldRegistry_;
    bool hadRegistry_ = false;
};

// The receipt data module on the demo database, owned by a fake form, its
// broker on the stand-in work centre.
class DemoReceipt : public ::testing::Test {
  protected:
    DemoReceipt();
    ~DemoReceipt() override;

    std::shared_ptr<standin::AppServer> server;
    std::shared_ptr<standin::HostServices> services;
    std::shared_ptr<ScriptedCatalogue> catalogue;
    std::shared_ptr<RecordingServer> operations;
    std::unique_ptr<standin::HostRegistration> registration;
    ClientInstallation installation;
    std::unique_ptr<FakeReceiptForm> form;
    TdmKtrb52* dm = nullptr;

    plat::TDataSet& head() { return *dm->cdsMain; }
    plat::TDataSet& lines() { return *dm->cdsBody1; }
    std::string H(const char* name) { return dm->HeadField(name)->AsString(); }
    std::string L(const char* name) { return dm->LineField(name)->AsString(); }
    double LV(const char* name) { return dm->LineField(name)->AsFloat(); }
    double HV(const char* name) { return dm->HeadField(name)->AsFloat(); }
    // Test data written without the fields' own rules (and read-only lifted).
    void SetH(const char* name, const std::string& text);
    void SetL(const char* name, const std::string& text);
    void SetLines(std::initializer_list<std::pair<const char*, std::string>> values);
    // Appends a line with the values and posts it.
    void AddLine(std::initializer_list<std::pair<const char*, std::string>> values);
    // Positions the header on a receipt of the demo database, with the
    // module's line cursors on its lines (as the form's actions do).
    void GoToReceipt(const std::string& type, const std::string& number);
    // The same, with the form in edit mode and the header in edit state.
    void EditReceipt(const std::string& type, const std::string& number);
    // The number of rows of a table in the server's database that match.
    int CountRows(const std::string& sql);
    // Runs a statement on the server's database.
    void Exec(const std::string& sql);
};

// Expects the operation to show the message and abort silently.
#define EXPECT_REFUSED(form, statement, expectedCode)         \
    do {                                                      \
        size_t shown_ = (form).messages.size();               \
        EXPECT_THROW(statement, plat::EAbort);                \
        ASSERT_GT((form).messages.size(), shown_);            \
        EXPECT_EQ((form).messages.back().code, expectedCode); \
    } while (0)

}  // namespace ktrb::test
