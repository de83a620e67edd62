// Fixtures of the receipt rules: a receipt form fake (the root form, the data
// modules' owner and the receipt side), and a receipt data module connected
// in process to the application server's demo database through the host's
// work-centre object, with message texts that name their codes.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "dataframe/OwnerForm.h"
#include "platform/core/stringlist.h"
#include "receipt/rules/Ktrb52CD.h"
#include "runtime/Brokers.h"
#include "runtime/RadicalFormIntf.h"
#include "standins/host/host_services.h"
#include "support/core/EnvGuard.h"
#include "support/receipt/ReceiptFormDouble.h"

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

// The shared receipt-form double, reading the dialogs' texts as the demo
// catalogue with its codes writes them.
class FakeReceiptForm : public ReceiptFormDouble {
  public:
    FakeReceiptForm();
    ~FakeReceiptForm() override;

    std::vector<ShownMessage> messages;

    std::vector<std::string> codes() const;
    int ShowMessageBox(const std::string& text, TMsgDlgType, const TMsgDlgButtons&) override;
    int RunMessageDialog(const TMessageDialogSpec& dialog) override;
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
    std::optional<EnvGuard> registry_;
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
