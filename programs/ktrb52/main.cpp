// ktrb52: the host program. It sets up the demo installation, starts the
// host's objects over the demo database (the application server in-process
// unless --server names one), loads the module library by file name, hands
// the controller the work-centre object and a notification handler, starts
// it with the sign-on strings, applies the open mode and the start condition
// from the command line, shows the form and prints every notification. Its
// message-centre window lists the document links the forms send it. With
// --walk it works the form through the short road by script instead of
// waiting for a person, and saves a picture of each step.
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
#include "platform/ui/screenshot.h"
#include "programs/ktrb52/host_session.h"
#include "programs/ktrb52/road_walk.h"
#include "programs/ktrb52/widget_dump.h"
#include "runtime/DLLBaseCtrller.h"
#include "standins/host/host_services.h"
#include "standins/hostwin/message_centre_window.h"
#include "standins/servers/suite_services.h"

namespace standin {
namespace {

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
    std::string walkDir;
    std::string ui;
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
    "  --screenshot FILE  save a picture (PNG) of the form once it is shown\n"
    "  --walk DIR         walk the short road by script (query, add a receipt from a work\n"
    "                     order, save, confirm), save a picture of each step in DIR, close\n"
    "  --ui CODEPAGE      interface code page: 936 simplified, 950 traditional, 437 English\n";

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
        } else if (arg == "--walk") {
            o.walkDir = value();
        } else if (arg == "--ui") {
            o.ui = value();
            if (o.ui != "936" && o.ui != "950" && o.ui != "437")
                usage("--ui takes 936, 950 or 437");
        } else if (arg == "--close") {
            o.closeAfterShow = true;
        } else {
            usage("unknown option " + arg);
        }
    }
    return o;
}

// The receipt form with its frame and caption, as the window shows it.
void saveFormPicture(plat::TCustomForm* form, const std::string& file) {
    QCoreApplication::processEvents();
    try {
        if (!form) throw plat::Exception("the receipt form is not open");
        plat::SaveScreenshot(form, file);
        std::cout << "== picture of the form: " << file << std::endl;
    } catch (const std::exception& e) {
        std::cerr << "ktrb52: no picture of the form could be saved to " << file << ": " << e.what()
                  << std::endl;
    }
}

// The offscreen platform says for every window brought to the front that it
// cannot raise it; nobody needs to read that.
QtMessageHandler previousHandler = nullptr;
void quietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (text == QLatin1String("This plugin does not support raise()")) return;
    if (previousHandler)
        previousHandler(type, context, text);
    else
        std::cerr << qPrintable(qFormatLogMessage(type, context, text)) << std::endl;
}

int run(int argc, char** argv) {
    Options opt = parse(argc, argv);
    previousHandler = qInstallMessageHandler(quietOffscreen);
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY") &&
        !std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    StartWidgetDump();

    plat::CodePage cp;
    if (plat::TryCodePageFromNumber(plat::GetACP(), cp)) plat::SetAnsiCodePage(cp);

    HostOptions host;
    host.library = opt.library;
    host.home = opt.home;
    host.user = opt.user;
    host.company = opt.company;
    host.signOnKey = opt.signOnKey;
    host.serverAddress = opt.serverAddress;
    host.serverPort = opt.serverPort;
    host.uiCodePage = opt.ui;
    HostSession session(host, std::cout);

    // The host's window that receives the message-centre links of the forms;
    // it shows itself when the first link arrives.
    MessageCentreWindow messageCentre;

    bool shown = false, finished = false;
    const int32_t started = session.Start([&](int32_t code) {
        if (code == ktrb::notify::Shown) shown = true;
        if (code == ktrb::notify::Destroyed || (code == ktrb::notify::Hidden && shown)) {
            finished = true;
            QCoreApplication::quit();
        }
    });
    if (started != 0) {
        std::cerr << "ktrb52: the form did not accept the start parameters (Init answered "
                  << started << ")" << std::endl;
        return 1;
    }
    ktrb::TDLLBaseController& controller = session.Controller();
    if (opt.mode) {
        std::vector<plat::Variant> keys(opt.keys.begin(), opt.keys.end());
        controller.SetMode(*opt.mode, (uint8_t)opt.rights,
                           keys.empty() ? plat::Variant() : plat::Variant::ArrayOf(keys));
    }
    if (opt.params && controller.SetParams(plat::VarArrayOf({0, *opt.params})) != 0)
        std::cerr << "ktrb52: SetParams refused the start condition" << std::endl;
    std::cout << "== " << ConnectionLine(controller) << std::endl;

    controller.SetVisible(-1);
    if (!opt.screenshot.empty()) saveFormPicture(session.MainForm(), opt.screenshot);
    int status = 0;
    if (!opt.walkDir.empty()) {
        plat::TCustomForm* form = session.MainForm();
        if (!form) throw plat::Exception("The receipt form is not open");
        RoadWalk walk(*form, opt.walkDir, std::cout);
        const auto& stored = session.Services().suite->database;
        if (!stored) throw plat::Exception("The installation's database is not open");
        try {
            const std::string number = WalkShortRoad(walk, std::cout, *stored);
            std::cout << "== the short road is walked: receipt " << number
                      << " added, saved and confirmed; pictures in " << opt.walkDir << std::endl;
        } catch (const std::exception& e) {
            std::cerr << "ktrb52: the walk stopped: " << e.what() << std::endl;
            status = 1;
        }
    } else if (!opt.closeAfterShow && !finished && !controller.IsFree()) {
        app.exec();
    }
    session.Stop();
    return status;
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
