// Fakes for the data-module tests: an owner form (the shared double on the
// fake host), a host work-centre object with scripted validator, counter
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
#include "support/core/EnvGuard.h"
#include "support/dataframe/OwnerFormDouble.h"

namespace ktrb::test {

using plat::Variant;

// ---- environment ----

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

// The shared owner-form double on the fake host, reading the dialogs' texts
// as that host's catalogue writes them.
class FakeForm : public OwnerFormDouble {
  public:
    // With attachHost false the broker gets no host object (the caller gives one).
    explicit FakeForm(bool attachHost = true);
    ~FakeForm() override;

    std::shared_ptr<FakeHost> host;
    std::vector<ShownMessage> messages;

    int RunMessageDialog(const TMessageDialogSpec& dialog) override;
    // Codes of the messages shown, in order.
    std::vector<std::string> codes() const;
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
