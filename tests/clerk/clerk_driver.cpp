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
        if (f[0] == "tick") {
            tick = std::strtoull(at(f, 1).c_str(), nullptr, 10);
        } else if (f[0] == "form") {
            forms.push_back({at(f, 1), at(f, 2), at(f, 3), at(f, 4) == "1", num(f, 5), num(f, 6),
                             num(f, 7), num(f, 8), std::strtoul(at(f, 9).c_str(), nullptr, 10)});
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
            gridText[at(f, 2)] = at(f, 5);
            gridRows[at(f, 2)] = num(f, 6);
        } else if (f[0] == "row") {
            gridRow[at(f, 2)][at(f, 3)] = at(f, 4);
            gridTitle[at(f, 2)][at(f, 3)] = at(f, 5);
        } else if (f[0] == "win") {
            qtWindows.push_back(at(f, 1) + " " + at(f, 2));
            windows.push_back({at(f, 1), at(f, 2), num(f, 3), num(f, 4), num(f, 5), num(f, 6),
                               at(f, 7) == "1", at(f, 11) == "1", at(f, 8), at(f, 9),
                               std::strtoul(at(f, 10).c_str(), nullptr, 10)});
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

std::optional<Window> Screen::FindWindow(const std::string& titleStart) const {
    for (const auto& w : windows)
        if (w.title.rfind(titleStart, 0) == 0) return w;
    return std::nullopt;
}

std::optional<Window> Screen::ModalWindow() const {
    for (const auto& w : windows)
        if (w.modal) return w;
    return std::nullopt;
}

std::string Screen::StatusPanel(int panel) const {
    const auto bar = Find("Status");
    if (!bar) return {};
    std::string rest = bar->text;
    for (int i = 0;; ++i) {
        const size_t cut = rest.find(" | ");
        if (i == panel) return rest.substr(0, cut);
        if (cut == std::string::npos) return {};
        rest = rest.substr(cut + 3);
    }
}

std::string Screen::RowText(const std::string& grid, const std::string& field) const {
    const auto g = gridRow.find(grid);
    if (g == gridRow.end()) return {};
    const auto f = g->second.find(field);
    return f == g->second.end() ? std::string() : f->second;
}

std::string Screen::Texts() const {
    std::string s;
    for (const auto& f : forms) s += "[" + f.cls + (f.active ? "*" : "") + " " + f.caption + "] ";
    for (const auto& c : controls)
        if (!c.text.empty() && (c.cls == "TLabel" || c.focused || c.cls == "TMemo"))
            s += c.name + "=" + c.text + (c.focused ? "(focus)" : "") + " ";
    for (const auto& w : windows)
        s += "{" + w.title + " " + w.labels + (w.modal ? " modal" : "") +
             (w.focusClass.empty() ? "" : " focus " + w.focusClass + "=" + w.focusText) + "} ";
    const auto status = Find("Status");
    if (status) s += "status: " + status->text;
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
        std::this_thread::sleep_for(10ms);
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
            {"PATH", home + "bin:" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin")},
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
    // The desktop's opener (a printed document, an exported book) writes
    // down what it was asked to open instead of starting a viewer.
    fs::create_directories(home + "bin");
    {
        std::ofstream opener(home + "bin/xdg-open");
        opener << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << home << "opened.txt'\n";
    }
    fs::permissions(home + "bin/xdg-open", fs::perms::owner_all);
    return home;
}
}  // namespace

Host::Host(const std::string& program, const std::string& home, const std::string& ui,
           const std::vector<std::string>& extraArgs)
    : home_(prepared(home)),
      dump_(home + "windows.txt"),
      log_(home + "host.log"),
      pictures_(home + "pictures/"),
      base_(home),
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

unsigned long Host::KeyWindow() const {
    const Screen s = Look();
    if (const auto modal = s.ModalWindow()) return modal->window;
    if (const auto form = s.ActiveForm()) return form->window;
    return s.forms.empty() ? 0 : s.forms.front().window;
}

void Host::send(const std::vector<std::string>& xdotoolArgs) {
    // Without a window manager nothing gives a window the keyboard: the
    // window the keys are for is given it first, in the same run.
    std::vector<std::string> argv{"xdotool"};
    if (const unsigned long w = KeyWindow())
        argv.insert(argv.end(), {"windowfocus", "--sync", std::to_string(w)});
    argv.insert(argv.end(), xdotoolArgs.begin(), xdotoolArgs.end());
    RunTool(argv, 20s);
    Settle();
}

bool Host::Settle(std::chrono::milliseconds limit) {
    const unsigned long long from = Look().tick;
    return WaitFor([&](const Screen& s) { return s.tick >= from + 2; }, limit);
}

void Host::Key(const std::string& keys) {
    std::vector<std::string> args{"key", "--delay", "40"};
    std::istringstream in(keys);
    for (std::string k; in >> k;) args.push_back(k);
    send(args);
}

void Host::Type(const std::string& text) {
    send({"type", "--delay", "40", "--", text});
}

void Host::Click(const Control& c) {
    unsigned long window = 0;
    for (const auto& f : Look().forms)
        if (f.name == c.form) window = f.window;
    ClickAt(c.x + c.w / 2, c.y + c.h / 2, window);
}

void Host::ClickAt(int x, int y, unsigned long window) {
    // Without a window manager nothing keeps a dialog above the form that
    // was raised behind it: the window clicked in is raised first.
    std::vector<std::string> argv{"xdotool"};
    if (window)
        argv.insert(argv.end(), {"windowraise", std::to_string(window), "windowfocus", "--sync",
                                 std::to_string(window)});
    argv.insert(argv.end(), {"mousemove", std::to_string(x), std::to_string(y), "click", "1"});
    RunTool(argv, 20s);
    Settle();
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
        std::this_thread::sleep_for(50ms);
    return png;
}

std::vector<std::string> Host::Opened() const {
    std::vector<std::string> files;
    std::istringstream in(readFile(base_ + "opened.txt"));
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) files.push_back(line);
    return files;
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

std::string ShotsFolder(const std::string& name) {
    const char* shots = std::getenv("KTRB_SHOTS");
    const fs::path base = shots && *shots ? fs::path(shots) : fs::temp_directory_path();
    return (base / name).string() + "/";
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
