#include "programs/ktrb52/host_session.h"

#include <QApplication>
#include <QLabel>
#include <QThread>
#include <cstdlib>
#include <map>
#include <tuple>

#include "dataframe/Connection.h"
#include "platform/core/exceptions.h"
#include "platform/core/text.h"
#include "platform/system/inifile.h"
#include "platform/ui/forms.h"
#include "runtime/Translator.h"
#include "standins/appserver/server.h"
#include "standins/appserver/tcp_transport.h"
#include "standins/host/host_services.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"
#include "standins/hostwin/dravoc_windows.h"
#include "standins/servers/transaction_server.h"

namespace standin {

namespace {

const std::map<int32_t, const char*> kNotifications = {
    {ktrb::notify::Created, "form created"}, {ktrb::notify::Shown, "form shown"},
    {ktrb::notify::Hidden, "form hidden"},   {ktrb::notify::Destroyed, "form destroyed"},
    {ktrb::notify::Closed, "form closed"},
};

// GB text to Big5 and back for the host's windows under code page 950; a
// text the tables cannot take stays as it is.
std::string convertChinese(const std::string& text, plat::CodePage from, plat::CodePage to,
                           std::string (*convert)(const std::string&)) {
    try {
        return plat::FromCodePageReplacing(convert(plat::ToCodePageReplacing(text, from).text), to)
            .text;
    } catch (const std::exception&) {
        return text;
    }
}

// The language package folder that goes with an interface code page.
const char* languageOf(const std::string& codePage) {
    return codePage == "950" ? "CHT" : codePage == "437" ? "ENG" : "CHS";
}

// What the clerk sees of a lost server connection: the host's message in a
// small window while the client tries again, and the host's words for a
// server that cannot be reached.
class HostConnectionWatch : public ConnectionWatch {
  public:
    HostConnectionWatch(std::shared_ptr<HostServices> services, std::ostream& log)
        : services_(std::move(services)), log_(log) {}
    void Waiting(const std::string& address, int attempt, int attempts) override {
        const std::string text =
            Text("I", "S00010", {address, std::to_string(attempt), std::to_string(attempts)});
        log_ << "== " << text << std::endl;
        if (!OnWindowThread()) return;
        if (!window_) {
            window_ = std::make_unique<QLabel>();
            window_->setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
            window_->setMargin(16);
        }
        window_->setWindowTitle(QApplication::applicationName());
        window_->setText(QString::fromStdString(text));
        window_->adjustSize();
        window_->show();
        // The call waits on this thread: the window is painted now.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    void Ended(const std::string& address, bool restored) override {
        if (!restored) log_ << "== " << LostText(address) << std::endl;
        if (window_ && OnWindowThread()) window_->hide();
    }
    std::string LostText(const std::string& address) override {
        return Text("E", "S00011", {address});
    }

  private:
    static bool OnWindowThread() { return qApp && QThread::currentThread() == qApp->thread(); }
    std::string Text(const std::string& kind, const std::string& code,
                     const std::vector<std::string>& args) const {
        const MessageCatalogue& messages =
            services_->messages ? *services_->messages : MessageCatalogue::Bundled();
        return FillMessagePlaces(messages.Text(kind, code, services_->language), args);
    }

    std::shared_ptr<HostServices> services_;
    std::ostream& log_;
    std::unique_ptr<QLabel> window_;
};

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
    // The host speaks the interface's language: its messages and the words
    // for a server that cannot be reached.
    services_->language = MessageLanguageFromTag(
        !options_.uiCodePage.empty() ? options_.uiCodePage
                                     : plat::TIniFile(inst_.clientFolder + "MireltaC.ini")
                                           .ReadString("CodePage", "UICodePage", "936"));
    services_->printFolder = inst_.home + "print";
    if (options_.serverAddress == "127.0.0.1") {
        server_ = AppServer::Open(inst_.databaseFile, DemoRows::Quarter);
        ConnectInProcess(*services_, server_);
        log_ << "== application server: in-process on " << inst_.databaseFile << std::endl;
    } else {
        // The module's socket connection reaches the server program through
        // the stand-in's network client.
        SetConnectionWatch(std::make_shared<HostConnectionWatch>(services_, log_));
        ktrb::SetSocketConnector(
            [](const std::string& address, int port, const std::string&) -> plat::DispatchPtr {
                return RemoteAppServer::Connect(address, port);
            });
        ConnectRemote(*services_, options_.serverAddress, options_.serverPort, inst_.databaseFile,
                      options_.user, options_.signOnKey, options_.company);
        log_ << "== application server: " << options_.serverAddress << ":" << options_.serverPort
             << std::endl;
    }
    // The lookup-window services are the host program's windows, in the
    // interface's language.
    WindowedDravoc::Options windows;
    windows.lookups = services_->lookups;
    windows.uiCodePage = options_.uiCodePage.empty()
                             ? plat::TIniFile(inst_.clientFolder + "MireltaC.ini")
                                   .ReadString("CodePage", "UICodePage", "936")
                             : options_.uiCodePage;
    windows.toInterface = [](const std::string& text) {
        return convertChinese(text, plat::CodePage::Gbk, plat::CodePage::Big5, ktrb::GbToBig5Text);
    };
    windows.toStored = [](const std::string& text) {
        return convertChinese(text, plat::CodePage::Big5, plat::CodePage::Gbk, ktrb::Big5ToGbText);
    };
    services_->dravoc = std::make_shared<WindowedDravoc>(std::move(windows));
    SetServerAddress(inst_, options_.serverAddress, options_.serverPort);
    registration_ = std::make_unique<HostRegistration>(services_);
    library_ = std::make_unique<ModuleLibrary>(options_.library);
    log_ << "== module library: " << library_->FileName() << std::endl;
}

HostSession::~HostSession() {
    Stop();
    if (options_.serverAddress != "127.0.0.1") SetConnectionWatch(nullptr);
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
