// ktrb52: the host program. It sets up the demo installation, starts the
// host's objects over the demo database (the application server in-process
// unless --server names one), loads the module library by file name, hands
// the controller the work-centre object and a notification handler, starts
// it with the sign-on strings, applies the open mode and the start condition
// from the command line, shows the form and prints every notification. Its
// message-centre window lists the document links the forms send it.
#include <QApplication>
#include <QWidget>
#include <cstdlib>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/exceptions.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/system/system.h"
#include "programs/ktrb52/demo_installation.h"
#include "programs/ktrb52/module_library.h"
#include "runtime/DLLBaseCtrller.h"
#include "standins/appserver/server.h"
#include "standins/host/host_services.h"
#include "standins/host/server_link.h"
#include "standins/host/work_center.h"
#include "standins/hostwin/message_centre_window.h"

namespace standin {
namespace {

constexpr int kExitNotBuilt = 3;

struct Options {
    std::string library = KTRB_DEFAULT_LIBRARY;
    std::string home = DefaultInstallationHome();
    std::string user = "DS", company = "DEMO", signOnKey = "DEMO";
    std::optional<int> mode;
    int rights = 255;
    std::vector<std::string> keys;
    std::optional<std::string> params;
    std::string serverAddress = "127.0.0.1";
    int serverPort = 211;
    bool closeAfterShow = false;
    std::string screenshot;
};

const char* const kUsage =
    "usage: ktrb52 [options]\n"
    "  --library FILE     the module library (default: the one built with this program)\n"
    "  --home DIR         the demo installation's folder (default: ~/.local/share/ktrb52)\n"
    "  --user ID --company ID --signon KEY   the sign-on strings (DS, DEMO, DEMO)\n"
    "  --mode N           open mode for SetMode (1 add, 3 edit, 5 print, 7/8 add/edit by keys, 13 "
    "import)\n"
    "  --rights N         rights byte for SetMode (default 255: every right)\n"
    "  --keys K1,K2       document keys for modes 7, 8 and 10\n"
    "  --params TEXT      start condition for SetParams (a query condition, or the XML to import)\n"
    "  --server ADDR[:PORT]  use the application server program over TCP instead of in-process\n"
    "  --close            close the form right after it is shown\n"
    "  --screenshot FILE  save a picture (PNG) of the form once it is shown\n";

[[noreturn]] void usage(const std::string& problem) {
    std::cerr << "ktrb52: " << problem << "\n" << kUsage;
    std::exit(2);
}

int number(const std::string& text, const char* option) {
    int n = 0;
    if (!plat::TryStrToInt(text, n))
        usage(std::string(option) + " needs a number, not \"" + text + "\"");
    return n;
}

Options parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) usage(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            std::exit(0);
        } else if (arg == "--library") {
            o.library = value();
        } else if (arg == "--home") {
            o.home = value();
        } else if (arg == "--user") {
            o.user = value();
        } else if (arg == "--company") {
            o.company = value();
        } else if (arg == "--signon") {
            o.signOnKey = value();
        } else if (arg == "--mode") {
            o.mode = number(value(), "--mode");
        } else if (arg == "--rights") {
            o.rights = number(value(), "--rights");
            if (o.rights < 0 || o.rights > 255) usage("--rights takes 0 to 255");
        } else if (arg == "--keys") {
            std::string rest = value();
            for (size_t at; (at = rest.find(',')) != std::string::npos; rest.erase(0, at + 1))
                o.keys.push_back(rest.substr(0, at));
            o.keys.push_back(rest);
        } else if (arg == "--params") {
            o.params = value();
        } else if (arg == "--server") {
            std::string s = value();
            size_t colon = s.rfind(':');
            o.serverAddress = s.substr(0, colon);
            if (colon != std::string::npos) o.serverPort = number(s.substr(colon + 1), "--server");
            if (o.serverAddress.empty()) usage("--server needs an address");
        } else if (arg == "--screenshot") {
            o.screenshot = value();
        } else if (arg == "--close") {
            o.closeAfterShow = true;
        } else {
            usage("unknown option " + arg);
        }
    }
    return o;
}

const std::map<int32_t, const char*> kNotifications = {
    {ktrb::notify::Created, "form created"}, {ktrb::notify::Shown, "form shown"},
    {ktrb::notify::Hidden, "form hidden"},   {ktrb::notify::Destroyed, "form destroyed"},
    {ktrb::notify::Closed, "form closed"},
};

// The module's form is the largest window on the screen.
void saveFormPicture(const std::string& file) {
    QCoreApplication::processEvents();
    QWidget* form = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && (!form || w->width() * w->height() > form->width() * form->height()))
            form = w;
    if (form && form->grab().save(QString::fromStdString(file), "PNG"))
        std::cout << "== picture of the form: " << file << std::endl;
    else
        std::cerr << "ktrb52: no picture of the form could be saved to " << file << std::endl;
}

int run(int argc, char** argv) {
    Options opt = parse(argc, argv);
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);

    plat::CodePage cp;
    if (plat::TryCodePageFromNumber(plat::GetACP(), cp)) plat::SetAnsiCodePage(cp);
    if (!std::getenv("KTRB_DATA_DIR")) ::setenv("KTRB_DATA_DIR", KTRB_SOURCE_DATA_DIR, 1);

    DemoInstallation inst =
        PrepareDemoInstallation(opt.home, std::string(KTRB_SOURCE_DATA_DIR) + "/client");
    ::setenv("KTRB_REGISTRY", inst.registryFile.c_str(), 1);
    std::cout << "== installation: " << inst.home << (inst.created ? " (new demo database)" : "")
              << std::endl;

    // The host's objects over the demo database.
    auto services = MakeHostServices();
    services->printFolder = inst.home + "print";
    std::shared_ptr<AppServer> server;
    if (opt.serverAddress == "127.0.0.1") {
        server = AppServer::Open(inst.databaseFile);
        ConnectInProcess(*services, server);
        std::cout << "== application server: in-process on " << inst.databaseFile << std::endl;
    } else {
        ConnectRemote(*services, opt.serverAddress, opt.serverPort, inst.databaseFile, opt.user,
                      opt.signOnKey);
        std::cout << "== application server: " << opt.serverAddress << ":" << opt.serverPort
                  << std::endl;
    }
    SetServerAddress(inst, opt.serverAddress, opt.serverPort);
    HostRegistration registration(services);
    plat::Variant workCenter(CreateWorkCenter(services));

    // The host's window that receives the message-centre links of the forms;
    // it shows itself when the first link arrives.
    MessageCentreWindow messageCentre;

    ModuleLibrary library(opt.library);
    std::cout << "== module library: " << library.FileName() << std::endl;
    std::unique_ptr<ktrb::TDLLBaseController> controller(library.GetController());

    bool shown = false, finished = false;
    controller->WorkCenter = workCenter;
    controller->OnNotify = ktrb::TNotifyHandler([&](int32_t code, ktrb::TDLLBaseController*) {
        auto it = kNotifications.find(code);
        std::cout << "notify " << code << " (" << (it != kNotifications.end() ? it->second : "?")
                  << ")" << std::endl;
        if (code == ktrb::notify::Shown) shown = true;
        if (code == ktrb::notify::Destroyed || (code == ktrb::notify::Hidden && shown)) {
            finished = true;
            QCoreApplication::quit();
        }
    });

    int32_t started = -1;
    try {
        started = controller->Init(plat::VarArrayOf({opt.user, opt.company, opt.signOnKey, 0, ""}));
    } catch (const plat::Exception& e) {
        const std::string text = e.what();
        if (text.find("frmRadicalClass") != std::string::npos) {
            std::cout
                << "== not built yet: the receipt's main form (the document forms and the receipt\n"
                   "   forms). The library loaded and its controller answered, but the library\n"
                   "   names no main form class yet, so Init cannot open one:\n   "
                << plat::StringReplace(text, "\r", " ", plat::ReplaceFlags::All) << std::endl;
            return kExitNotBuilt;
        }
        throw;
    }
    if (started != 0) {
        std::cerr << "ktrb52: the form did not accept the start parameters (Init answered "
                  << started << ")" << std::endl;
        return 1;
    }
    if (opt.mode) {
        std::vector<plat::Variant> keys(opt.keys.begin(), opt.keys.end());
        controller->SetMode(*opt.mode, (uint8_t)opt.rights,
                            keys.empty() ? plat::Variant() : plat::Variant::ArrayOf(keys));
    }
    if (opt.params && controller->SetParams(plat::VarArrayOf({0, *opt.params})) != 0)
        std::cerr << "ktrb52: SetParams refused the start condition" << std::endl;

    std::string version;
    controller->GetVersion(version);
    plat::Variant info;
    if (controller->GetConnectionInfo(info) == 0)
        std::cout << "== " << plat::VarToStr(info[3]) << " [" << plat::VarToStr(info[2])
                  << "] version " << version << ", user " << plat::VarToStr(info[0]) << ", company "
                  << plat::VarToStr(info[1]) << std::endl;

    controller->SetVisible(-1);
    if (!opt.screenshot.empty()) saveFormPicture(opt.screenshot);
    if (!opt.closeAfterShow && !finished && !controller->IsFree()) app.exec();
    controller->Close(0);
    controller.reset();
    return 0;
}

}  // namespace
}  // namespace standin

int main(int argc, char** argv) {
    try {
        return standin::run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "ktrb52: " << e.what() << std::endl;
        return 1;
    }
}
