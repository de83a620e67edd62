// The host's start of the module, shared by the host program and the
// end-to-end test: the demo installation, the host's objects over the demo
// database (the application server in-process, or over TCP), the module
// library loaded by file name, its controller given the work-centre object
// and a notification handler, and started with the sign-on strings.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "programs/ktrb52/demo_installation.h"
#include "programs/ktrb52/module_library.h"
#include "runtime/DLLBaseCtrller.h"

namespace plat {
class TCustomForm;
}

namespace standin {

class AppServer;
struct HostServices;
class HostRegistration;

struct HostOptions {
    std::string library;
    std::string home;
    std::string user = "DS", company = "DEMO", signOnKey = "DEMO";
    std::string serverAddress = "127.0.0.1";  // exactly this: in-process
    int serverPort = 211;
    // Interface code page of this run ("936", "950", "437"); empty leaves
    // the installation's own, which the run never changes.
    std::string uiCodePage;
};

class HostSession {
  public:
    // Prepares the installation and the host's objects and loads the
    // library; the log gets one line per step. Raises on a failure.
    HostSession(const HostOptions& options, std::ostream& log);
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Gets a controller and calls Init with the sign-on strings; the
    // notification handler prints each code and passes it on to onNotify.
    // Returns Init's answer (0 opened).
    int32_t Start(std::function<void(int32_t)> onNotify = {});

    ktrb::TDLLBaseController& Controller() { return *controller_; }
    // Closes the form and frees the controller (also done by the destructor).
    void Stop();
    // The receipt form among the application's forms (null when none).
    plat::TCustomForm* MainForm() const;
    const DemoInstallation& Installation() const { return inst_; }
    // The host's objects (system parameters, the suite's services).
    HostServices& Services() const { return *services_; }
    // The in-process server (null over TCP).
    AppServer* Server() const { return server_.get(); }
    const HostOptions& Options() const { return options_; }

  private:
    // A client setting changed for this run, and what the installation had.
    struct RunSetting {
        std::string file, section, key;
        bool had;
        std::string value;
    };
    HostOptions options_;
    std::vector<RunSetting> runSettings_;
    std::ostream& log_;
    DemoInstallation inst_;
    std::shared_ptr<HostServices> services_;
    std::shared_ptr<AppServer> server_;
    std::unique_ptr<HostRegistration> registration_;
    std::unique_ptr<ModuleLibrary> library_;
    std::unique_ptr<ktrb::TDLLBaseController> controller_;
};

// The sign-on strings' user and company as the module reports them, and the
// name and version of the module: one line for the log.
std::string ConnectionLine(ktrb::TDLLBaseController& controller);

}  // namespace standin
