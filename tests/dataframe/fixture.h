// Fakes for the data-module tests: an owner form (the root form's two
// interfaces), a host work-centre object with scripted validator, counter
// and lookup service, a throw-away installation (registry file and client
// INI), and a module of the base class with a provider given in the test.
#pragma once
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dataframe/BaseCD.h"
#include "platform/automation/dispatch.h"
#include "platform/data/provider.h"
#include "platform/system/files.h"
#include "runtime/Brokers.h"

namespace ktrb::test {

using plat::Variant;

// ---- environment ----

class EnvGuard {
  public:
    EnvGuard(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    ~EnvGuard() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

// A temporary client folder with MireltaC.ini naming the servers, and a
// registry file pointing at it, for the object's lifetime.
class Installation {
  public:
    explicit Installation(const std::string& servers = "127.0.0.1", int port = 211)
        : root_(makeRoot()), registry_("KTRB_REGISTRY", root_ + "registry.txt") {
        std::filesystem::create_directories(client());
        write(root_ + "registry.txt", "[Software\\QRV\\Mirelta]\nClientPath=" + client() + "\n");
        SetServers(servers, port);
    }
    ~Installation() { std::filesystem::remove_all(root_); }
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    std::string client() const { return root_ + "client/"; }
    void SetServers(const std::string& servers, int port, const std::string& extra = "") {
        write(client() + "MireltaC.ini", "[Client Components]\nLangType=CHS\n" + extra +
                                             "\n[CodePage]\nUICodePage=936\nDBCodePage=936\n"
                                             "[Server Information]\nComputerName=" +
                                             servers + "\nServerPort=" + std::to_string(port) +
                                             "\n");
    }
    static void write(const std::string& path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    // The lines of today's alert log of a name.
    std::string alertLog(const std::string& name) const;

  private:
    static std::string makeRoot() {
        std::string pattern = plat::TempFolder() + "ktrb-df-XXXXXX";
        return ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    std::string root_;
    EnvGuard registry_;
};

// ---- host objects ----

struct ShownMessage {
    std::string kind, code;
    std::vector<std::string> args;
};

// The work-centre object with its three services. GetMessage answers
// "<kind><code>" followed by "|%s" per expected argument, so the dialog text
// tells the code and the arguments.
class FakeHost : public plat::DispatchObject {
  public:
    FakeHost();

    std::function<bool(const std::string& table, const std::string& query, const Variant& keys,
                       Variant& result)>
        onCheckValue;
    std::function<bool(const std::string& table, const std::string& query, const Variant& keys,
                       Variant& result)>
        onQueryData;
    std::function<Variant(const std::string& name, const Variant& args)> onServerCall;
    std::function<Variant(const Variant& request)> onLookup;
    std::map<std::string, std::string> sysParams;

    struct Call {
        std::string table, query;
        Variant keys;
    };
    std::vector<Call> checkValueCalls;
    std::vector<std::pair<std::string, Variant>> serverCalls;
    std::vector<Variant> lookupRequests;

  private:
    plat::DispatchPtr validator_, counter_, dravoc_;
};

// ---- owner form ----

class FakeForm : public plat::TComponent, public IRadicalForm, public IDataModuleOwner {
  public:
    // With attachHost false the broker gets no host object (the caller gives one).
    explicit FakeForm(bool attachHost = true);
    ~FakeForm() override;

    TBrokers* broker;
    std::shared_ptr<FakeHost> host;
    TFormMode mode = TFormMode::Browse;
    bool requiredOk = true;
    int rightsApplied = 0;
    bool rightsThrow = false;
    int answer = modal::Ok;  // the answer to every message dialog
    std::vector<ShownMessage> messages;
    std::vector<std::string> boxes;
    // Display conversion: marks converted texts with "«»" when on.
    bool markDisplay = false;

    // IDataModuleOwner
    TFormMode FormMode() const override { return mode; }
    bool ValidateRequiredFields(plat::TDataSet*) override { return requiredOk; }
    void ApplyRecordRights(plat::TDataSet*) override;
    Variant ConvertByDisplayMode(const Variant& value) override;
    Variant RevertByDisplayMode(const Variant& value) override;
    int ShowMessageBox(const std::string& text, TMsgDlgType, const TMsgDlgButtons&) override {
        boxes.push_back(text);
        return answer;
    }
    std::string GetUICodePage() const override { return "936"; }

    // IRadicalForm
    plat::TComponent* FormComponent() override { return this; }
    TBrokers* Brokers() override { return broker; }
    bool FormVisible() const override { return false; }
    void ShowForm() override {}
    void HideForm() override {}
    THandle FormHandle() override { return 0; }
    std::string FormCaption() const override { return "Test"; }
    int ShowFormModal() override { return 0; }
    void FreeForm() override {}
    void SetModuleFileName(const std::string&) override {}
    bool InitializeFromHost(const Variant&) override { return true; }
    void UpdateButtons() override {}
    std::string VersionText() const override { return ""; }
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
    plat::TNotifyEvent& OnShowEvent() override { return onShow_; }
    plat::TNotifyEvent& OnHideEvent() override { return onShow_; }
    plat::TNotifyEvent& OnDestroyEvent() override { return onShow_; }
    TCloseEvent& OnCloseEvent() override { return onClose_; }
    int ProductID() const override { return 1; }
    uint64_t RightsSet() const override { return 0; }
    uint8_t LookupStage() const override { return 0; }
    void SetLookupParams(const Variant&) override {}
    Variant LookupResult() const override { return {}; }
    std::string GetSystemCodePage() const override { return "936"; }
    int GetDisplayMode() const override { return 0; }
    int RunMessageDialog(const TMessageDialogSpec& dialog) override;
    void AfterMessage() override {}
    void Beep() override {}

    // Codes of the messages shown, in order.
    std::vector<std::string> codes() const;

  private:
    plat::TNotifyEvent onShow_;
    TCloseEvent onClose_;
};

// ---- a module of the base class ----

// The base module with cdsMain fed by the given provider source and
// provider name (connection not used).
class TestModule : public TdmBase {
  public:
    explicit TestModule(FakeForm* form) : TdmBase(form) { Broker = form->broker; }
};

// A header/line/serial packet layout like the receipt's, small.
std::vector<plat::TPacketField> HeaderFields();
plat::TPacketRow HeaderRow(const std::string& type, const std::string& number, double flag,
                           std::vector<plat::TPacketRow> lines = {});
plat::TPacketRow LineRow(const std::string& type, const std::string& number,
                         const std::string& line, const std::string& item, double flag);

}  // namespace ktrb::test
