#include "clerk/clerk_driver.h"

#include <fcntl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace clerk {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> out;
    std::string cell;
    std::istringstream in(line);
    while (std::getline(in, cell, '\t')) out.push_back(cell);
    return out;
}

int num(const std::vector<std::string>& f, size_t i) {
    return i < f.size() ? std::atoi(f[i].c_str()) : 0;
}
std::string at(const std::vector<std::string>& f, size_t i) {
    return i < f.size() ? f[i] : std::string();
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool onPath(const std::string& tool) {
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "");
    for (std::string d; std::getline(dirs, d, ':');)
        if (!d.empty() && ::access((d + "/" + tool).c_str(), X_OK) == 0) return true;
    return false;
}

pid_t spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
            int out) {
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) throw std::runtime_error("fork failed");
    if (pid == 0) {
        ::setpgid(0, 0);
        for (const auto& [k, v] : env) ::setenv(k.c_str(), v.c_str(), 1);
        if (out >= 0) {
            ::dup2(out, 1);
            ::dup2(out, 2);
        }
        ::execvp(args[0], args.data());
        ::_exit(127);
    }
    ::setpgid(pid, pid);
    return pid;
}

}  // namespace

// ---- Screen --------------------------------------------------------------

Screen::Screen(const std::string& dumpText) {
    std::istringstream in(dumpText);
    for (std::string line; std::getline(in, line);) {
        const auto f = split(line);
        if (f.empty()) continue;
        if (f[0] == "form") {
            forms.push_back({at(f, 1), at(f, 2), at(f, 3), at(f, 4) == "1", num(f, 5), num(f, 6),
                             num(f, 7), num(f, 8)});
        } else if (f[0] == "ctl") {
            Control c;
            c.form = at(f, 1);
            c.name = at(f, 2);
            c.cls = at(f, 3);
            c.x = num(f, 4);
            c.y = num(f, 5);
            c.w = num(f, 6);
            c.h = num(f, 7);
            c.enabled = at(f, 8) == "1";
            c.focused = at(f, 9) == "1";
            c.text = at(f, 10);
            controls.push_back(c);
        } else if (f[0] == "grid") {
            gridField[at(f, 2)] = at(f, 3);
        } else if (f[0] == "cell") {
            cells.push_back({at(f, 2), at(f, 3), at(f, 4), at(f, 5)});
        } else if (f[0] == "win") {
            qtWindows.push_back(at(f, 1) + " " + at(f, 2));
            hostWindows.push_back(
                {"", "", at(f, 1), true, num(f, 3), num(f, 4), num(f, 5), num(f, 6)});
        }
    }
}

std::optional<Form> Screen::ActiveForm() const {
    for (const auto& f : forms)
        if (f.active) return f;
    return std::nullopt;
}

std::optional<Control> Screen::Find(const std::string& name) const {
    // The active form's control first: a dialog may reuse a name of the form.
    const auto active = ActiveForm();
    std::optional<Control> any;
    for (const auto& c : controls)
        if (c.name == name) {
            if (active && c.form == active->name) return c;
            if (!any) any = c;
        }
    return any;
}

std::optional<Control> Screen::Focused() const {
    for (const auto& c : controls)
        if (c.focused) return c;
    return std::nullopt;
}

bool Screen::HasForm(const std::string& cls) const {
    for (const auto& f : forms)
        if (f.cls == cls) return true;
    return false;
}

std::string Screen::Texts() const {
    std::string s;
    for (const auto& f : forms) s += "[" + f.cls + (f.active ? "*" : "") + " " + f.caption + "] ";
    for (const auto& c : controls)
        if (!c.text.empty() && (c.cls == "TLabel" || c.focused || c.cls == "TMemo"))
            s += c.name + "=" + c.text + (c.focused ? "(focus)" : "") + " ";
    for (const auto& w : qtWindows) s += "{" + w + "} ";
    return s;
}

// ---- Child ---------------------------------------------------------------

Child::Child(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
             const std::string& logFile) {
    const int out = ::open(logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    pid_ = spawn(argv, env, out);
    if (out >= 0) ::close(out);
}

Child::~Child() {
    Stop();
}

bool Child::Running() {
    if (status_ || pid_ <= 0) return false;
    int st = 0;
    if (::waitpid(pid_, &st, WNOHANG) == pid_) {
        status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
        return false;
    }
    return true;
}

std::optional<int> Child::Wait(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (Running()) {
        if (std::chrono::steady_clock::now() > end) return std::nullopt;
        std::this_thread::sleep_for(50ms);
    }
    return status_;
}

void Child::Stop() {
    if (!Running()) return;
    ::kill(-pid_, SIGTERM);
    if (!Wait(3s)) {
        ::kill(-pid_, SIGKILL);
        Wait(3s);
    }
}

int RunTool(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
            std::string* output) {
    char name[] = "/tmp/clerk-tool-XXXXXX";
    const int out = ::mkstemp(name);
    int status = -1;
    {
        Child c(argv, {}, name);
        if (auto s = c.Wait(limit)) status = *s;
    }
    if (output) *output = readFile(name);
    if (out >= 0) ::close(out);
    ::unlink(name);
    return status;
}

// ---- Host ----------------------------------------------------------------

namespace {
std::map<std::string, std::string> hostEnv(const std::string& home, const std::string& dump) {
    // The whole program lives in the test's folder: nothing in the user's
    // own home or settings is read or written.
    return {{"HOME", home + "user"},
            {"XDG_DATA_HOME", home + "user/.local/share"},
            {"XDG_CONFIG_HOME", home + "user/.config"},
            {"XDG_CACHE_HOME", home + "user/.cache"},
            {"QT_QPA_PLATFORM", "xcb"},
            {"KTRB_WIDGET_DUMP", dump}};
}
std::vector<std::string> hostArgs(const std::string& program, const std::string& home,
                                  const std::string& ui, const std::vector<std::string>& extra) {
    std::vector<std::string> a{program, "--home", home + "install", "--ui", ui};
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
}
std::string prepared(const std::string& home) {
    fs::remove_all(home);
    fs::create_directories(home + "user");
    fs::create_directories(home + "pictures");
    return home;
}
}  // namespace

Host::Host(const std::string& program, const std::string& home, const std::string& ui,
           const std::vector<std::string>& extraArgs)
    : home_(prepared(home)),
      dump_(home + "windows.txt"),
      log_(home + "host.log"),
      pictures_(home + "pictures/"),
      child_(hostArgs(program, home, ui, extraArgs), hostEnv(home, dump_), log_) {
    home_ += "install/";
}

Host::~Host() {
    child_.Stop();
}

Screen Host::Look() const {
    return Screen(readFile(dump_));
}

bool Host::WaitFor(const std::function<bool(const Screen&)>& pred,
                   std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (pred(Look())) return true;
        if (std::chrono::steady_clock::now() > end || !child_.Running()) return false;
        std::this_thread::sleep_for(100ms);
    }
}

void Host::focusActive() {
    // Without a window manager nothing gives the window the keyboard: the
    // window under the pointer (on the active form) is given the focus.
    // With none active (the window system's focus went nowhere when a popup
    // closed), the host's first form is given it again.
    const Screen screen = Look();
    auto form = screen.ActiveForm();
    if (!form && !screen.forms.empty()) form = screen.forms.front();
    if (!form) return;
    RunTool({"xdotool", "mousemove", std::to_string(form->x + form->w / 2),
             std::to_string(form->y + 2)},
            5s);
    std::string where;
    RunTool({"xdotool", "getmouselocation", "--shell"}, 5s, &where);
    const size_t at = where.find("WINDOW=");
    if (at == std::string::npos) return;
    const size_t end = where.find('\n', at);
    RunTool({"xdotool", "windowfocus", where.substr(at + 7, end - at - 7)}, 5s);
}

void Host::Key(const std::string& keys) {
    focusActive();
    std::vector<std::string> argv{"xdotool", "key", "--delay", "60"};
    std::istringstream in(keys);
    for (std::string k; in >> k;) argv.push_back(k);
    RunTool(argv, 10s);
    std::this_thread::sleep_for(300ms);
}

void Host::Type(const std::string& text) {
    focusActive();
    RunTool({"xdotool", "type", "--delay", "60", text}, 20s);
    std::this_thread::sleep_for(300ms);
}

void Host::Click(const Control& c) {
    RunTool({"xdotool", "mousemove", std::to_string(c.x + c.w / 2), std::to_string(c.y + c.h / 2),
             "click", "1"},
            5s);
    std::this_thread::sleep_for(300ms);
}

std::string Host::Picture(const std::string& name) {
    const std::string png = pictures_ + name + ".png";
    {
        std::ofstream request(dump_ + ".shot.part");
        request << png;
    }
    fs::rename(dump_ + ".shot.part", dump_ + ".shot");
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (!fs::exists(png) && std::chrono::steady_clock::now() < end && child_.Running())
        std::this_thread::sleep_for(100ms);
    std::this_thread::sleep_for(200ms);
    return png;
}

std::string Host::Log() const {
    return readFile(log_);
}

// ---- Database ------------------------------------------------------------

std::string Sql(const std::string& dbFile, const std::string& sql) {
    sqlite3* db = nullptr;
    std::string result;
    if (sqlite3_open_v2(dbFile.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) == SQLITE_OK) {
            if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0))
                result = reinterpret_cast<const char*>(sqlite3_column_text(st, 0));
            sqlite3_finalize(st);
        } else {
            result = std::string("SQL error: ") + sqlite3_errmsg(db);
        }
    }
    sqlite3_close(db);
    return result;
}

std::string WhyNotRunnable() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return "no X display";
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || std::string(platform) != "xcb")
        return "the real-window platform is not chosen (QT_QPA_PLATFORM=xcb)";
    if (!onPath("xdotool")) return "no xdotool (Debian package xdotool)";
    return {};
}

}  // namespace clerk
