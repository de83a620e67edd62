#include "programs/ktrb52/host_session.h"

#include <cstdlib>
#include <map>
#include <tuple>

#include "dataframe/Connection.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/system/inifile.h"
#include "platform/ui/forms.h"
#include "standins/appserver/server.h"
#include "standins/appserver/tcp_transport.h"
#include "standins/host/host_services.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"

namespace standin {

namespace {

const std::map<int32_t, const char*> kNotifications = {
    {ktrb::notify::Created, "form created"}, {ktrb::notify::Shown, "form shown"},
    {ktrb::notify::Hidden, "form hidden"},   {ktrb::notify::Destroyed, "form destroyed"},
    {ktrb::notify::Closed, "form closed"},
};

// The language package folder that goes with an interface code page.
const char* languageOf(const std::string& codePage) {
    return codePage == "950" ? "CHT" : codePage == "437" ? "ENG" : "CHS";
}

}  // namespace

HostSession::HostSession(const HostOptions& options, std::ostream& log)
    : options_(options), log_(log) {
    if (!std::getenv("KTRB_DATA_DIR")) ::setenv("KTRB_DATA_DIR", KTRB_SOURCE_DATA_DIR, 1);
    inst_ = PrepareDemoInstallation(options_.home, std::string(KTRB_SOURCE_DATA_DIR) + "/client");
    ::setenv("KTRB_REGISTRY", inst_.registryFile.c_str(), 1);
    log_ << "== installation: " << inst_.home << (inst_.created ? " (new demo database)" : "")
         << std::endl;
    if (!options_.uiCodePage.empty()) {
        // The interface of this run only: the installation's own setting
        // comes back when the run ends.
        const std::string file = inst_.clientFolder + "MireltaC.ini";
        plat::TIniFile ini(file);
        for (auto [section, key, value] :
             {std::tuple<const char*, const char*, std::string>{"CodePage", "UICodePage",
                                                                options_.uiCodePage},
              {"Client Components", "LangType", languageOf(options_.uiCodePage)}}) {
            const bool had = ini.ValueExists(section, key);
            runSettings_.push_back({file, section, key, had, ini.ReadString(section, key, "")});
            ini.WriteString(section, key, value);
        }
    }

    services_ = MakeHostServices();
    services_->printFolder = inst_.home + "print";
    if (options_.serverAddress == "127.0.0.1") {
        server_ = AppServer::Open(inst_.databaseFile, DemoRows::Quarter);
        ConnectInProcess(*services_, server_);
        log_ << "== application server: in-process on " << inst_.databaseFile << std::endl;
    } else {
        // The module's socket connection reaches the server program through
        // the stand-in's network client.
        ktrb::SetSocketConnector(
            [](const std::string& address, int port, const std::string&) -> plat::DispatchPtr {
                return RemoteAppServer::Connect(address, port);
            });
        ConnectRemote(*services_, options_.serverAddress, options_.serverPort, inst_.databaseFile,
                      options_.user, options_.signOnKey);
        log_ << "== application server: " << options_.serverAddress << ":" << options_.serverPort
             << std::endl;
    }
    SetServerAddress(inst_, options_.serverAddress, options_.serverPort);
    registration_ = std::make_unique<HostRegistration>(services_);
    library_ = std::make_unique<ModuleLibrary>(options_.library);
    log_ << "== module library: " << library_->FileName() << std::endl;
}

HostSession::~HostSession() {
    Stop();
    try {
        for (const RunSetting& r : runSettings_) {
            plat::TIniFile ini(r.file);
            if (r.had)
                ini.WriteString(r.section, r.key, r.value);
            else
                ini.DeleteKey(r.section, r.key);
        }
    } catch (const std::exception& e) {
        log_ << "== the installation's settings could not be put back: " << e.what() << std::endl;
    }
}

int32_t HostSession::Start(std::function<void(int32_t)> onNotify) {
    controller_.reset(library_->GetController());
    controller_->WorkCenter = plat::Variant(CreateWorkCenter(services_));
    controller_->OnNotify =
        ktrb::TNotifyHandler([this, onNotify](int32_t code, ktrb::TDLLBaseController*) {
            auto it = kNotifications.find(code);
            log_ << "notify " << code << " (" << (it != kNotifications.end() ? it->second : "?")
                 << ")" << std::endl;
            if (onNotify) onNotify(code);
        });
    return controller_->Init(
        plat::VarArrayOf({options_.user, options_.company, options_.signOnKey, 0, ""}));
}

void HostSession::Stop() {
    if (!controller_) return;
    controller_->Close(0);
    controller_.reset();
}

plat::TCustomForm* HostSession::MainForm() const {
    for (int i = 0; i < plat::Screen->FormCount(); ++i)
        if (plat::Screen->Forms(i)->ClassName() == "TfrmKtrb52") return plat::Screen->Forms(i);
    return nullptr;
}

std::string ConnectionLine(ktrb::TDLLBaseController& controller) {
    std::string version;
    controller.GetVersion(version);
    plat::Variant info;
    if (controller.GetConnectionInfo(info) != 0) return "version " + version;
    return plat::VarToStr(info[3]) + " [" + plat::VarToStr(info[2]) + "] version " + version +
           ", user " + plat::VarToStr(info[0]) + ", company " + plat::VarToStr(info[1]);
}

}  // namespace standin
