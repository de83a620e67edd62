// Drives the host program from outside, as a clerk at the keyboard would:
// the program runs in a real window on the X display, every key and click
// goes through the window system (xdotool), and what the windows show is
// read back from the host's widget dump (KTRB_WIDGET_DUMP). Nothing here
// calls into the form. Every wait has a limit; everything started is stopped.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace clerk {

// One line of the widget dump: a form, a control, a grid's state or a Qt
// window, its fields split at tabs.
struct Shown {
    std::string kind;
    std::vector<std::string> f;
};

struct Control {
    std::string form, name, cls, text;
    int x = 0, y = 0, w = 0, h = 0;
    bool enabled = false, focused = false;
};

struct Form {
    std::string name, cls, caption;
    bool active = false;
    int x = 0, y = 0, w = 0, h = 0;
    unsigned long window = 0;  // the window system's id
};

// A window of the host's own (not a form): a look-up window, a date picker,
// a message box, an open menu.
struct Window {
    std::string title, labels;
    int x = 0, y = 0, w = 0, h = 0;
    bool active = false, modal = false;
    std::string focusClass, focusText;  // the focused widget, a line's text
    unsigned long window = 0;
};

// What the host's windows show at one moment.
class Screen {
  public:
    explicit Screen(const std::string& dumpText);
    std::vector<Form> forms;
    std::vector<Control> controls;
    std::map<std::string, std::string> gridField;  // grid name -> selected field
    std::vector<std::string> qtWindows;            // titles and label texts
    std::vector<Window> windows;                   // the same, in full
    std::map<std::string, std::string> gridText;   // grid name -> selected cell's text
    std::map<std::string, int> gridRows;           // grid name -> rows of its data
    // grid name -> field -> text of the grid's current row (shown columns)
    std::map<std::string, std::map<std::string, std::string>> gridRow;
    // grid name -> field -> title of its column, for the shown columns
    std::map<std::string, std::map<std::string, std::string>> gridTitle;
    unsigned long long tick = 0;  // how many descriptions the host has written
    std::optional<Form> ActiveForm() const;
    std::optional<Control> Find(const std::string& name) const;
    std::optional<Control> Focused() const;
    bool HasForm(const std::string& cls) const;
    // A host window whose title starts with that text.
    std::optional<Window> FindWindow(const std::string& titleStart) const;
    // The modal host window on top (a look-up), if any.
    std::optional<Window> ModalWindow() const;
    // A panel of the form's status bar ("Status"): 0 state, 3 the counter.
    std::string StatusPanel(int panel) const;
    // A column of a grid's current row; empty when not shown.
    std::string RowText(const std::string& grid, const std::string& field) const;
    // Every control's and window's text, for messages in failures.
    std::string Texts() const;
};

// A program started in its own process group; stopped (TERM, then KILL)
// when the object goes.
class Child {
  public:
    Child(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
          const std::string& logFile);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    bool Running();
    // Waits up to limit for the program to end; its exit status, or nullopt.
    std::optional<int> Wait(std::chrono::milliseconds limit);
    void Stop();
    pid_t Pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Runs a short helper program to its end within limit (killed past it);
// its exit status, or -1.
int RunTool(const std::vector<std::string>& argv, std::chrono::milliseconds limit,
            std::string* output = nullptr);

// The host program on its own fresh installation, in a real window.
class Host {
  public:
    // home: the installation's folder (made fresh); ui: "936", "950" or "437".
    Host(const std::string& program, const std::string& home, const std::string& ui,
         const std::vector<std::string>& extraArgs = {});
    ~Host();
    Screen Look() const;
    // Waits until pred holds for what the windows show; false past limit.
    bool WaitFor(const std::function<bool(const Screen&)>& pred,
                 std::chrono::milliseconds limit = std::chrono::seconds(20));
    // Keys (xdotool key names: "F5", "ctrl+e", "Return") and typed text.
    void Key(const std::string& keys);
    void Type(const std::string& text);
    // A left click at a control's centre.
    void Click(const Control& c);
    // A left click at a place on the screen, in the window given the
    // keyboard first (0: where the keys go now).
    void ClickAt(int x, int y, unsigned long window = 0);
    // Waits until the host has gone round its event loop twice since now,
    // so what is looked at next follows the keys sent; false past limit.
    bool Settle(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // The window that keys go to: the modal host window, else the active
    // form's; 0 when none shows.
    unsigned long KeyWindow() const;
    // A picture of the whole screen; its path.
    std::string Picture(const std::string& name);
    bool Running() { return child_.Running(); }
    std::optional<int> WaitExit(std::chrono::milliseconds limit) { return child_.Wait(limit); }
    std::string Log() const;
    // What the host asked the desktop to open (printed documents), in order.
    std::vector<std::string> Opened() const;
    const std::string& Home() const { return home_; }
    std::string DatabaseFile() const { return home_ + "data/ktrb52-demo.db"; }

  private:
    void send(const std::vector<std::string>& xdotoolArgs);
    std::string home_, dump_, log_, pictures_, base_;
    Child child_;
};

// One value by SQL from the installation's database, opened read-only.
std::string Sql(const std::string& dbFile, const std::string& sql);

// A folder for a road's installation and pictures: under KTRB_SHOTS when
// it names one (to keep them), else under the system's temporary folder.
std::string ShotsFolder(const std::string& name);

// Whether this machine can run the road: an X display, xdotool and the
// real-window platform chosen.
std::string WhyNotRunnable();

}  // namespace clerk
