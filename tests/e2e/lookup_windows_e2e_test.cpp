// The host's lookup windows in real windows: the host program's start on a
// fresh demo installation, and a person's keys and clicks sent through the
// X server (xdotool), never by calling the form. Runs where the windows are
// real (platform xcb under xvfb-run) and xdotool is there; skips otherwise.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QDate>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>

#include "platform/data/clientdataset.h"
#include "platform/ui/dbgrids.h"
#include "platform/ui/forms.h"
#include "programs/ktrb52/host_session.h"
#include "programs/ktrb52/road_walk.h"

namespace standin {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

bool HasProgram(const char* name) {
    const std::string check = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(check.c_str()) == 0;
}

// One step of a person's keys: a shell script of xdotool commands, run in
// its own process group while the windows go on working; the step has a
// time limit, after which the script is killed and any window it left open
// is closed, so the test never hangs.
class PersonStep {
  public:
    PersonStep(const std::string& script, std::chrono::seconds limit) {
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setpgid(0, 0);
            ::execl("/bin/sh", "sh", "-c", script.c_str(), (char*)nullptr);
            ::_exit(127);
        }
        const auto deadline = Clock::now() + limit;
        // The script's keys open modal windows: this timer runs inside
        // their event loops too.
        QTimer guard;
        guard.setInterval(50);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            if (Reap() && !QApplication::activeModalWidget()) return;
            if (Clock::now() < deadline) return;
            timedOut_ = true;
            std::cerr << "step over its time: script " << (pid_ > 0 ? "running" : "ended")
                      << ", modal window "
                      << (QApplication::activeModalWidget()
                              ? QApplication::activeModalWidget()->objectName().toStdString() +
                                    " " +
                                    QApplication::activeModalWidget()->metaObject()->className()
                              : std::string("none"))
                      << std::endl;
            Kill();
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        guard.start();
        while (pid_ > 0 || (QApplication::activeModalWidget() && !timedOut_)) {
            QApplication::processEvents(QEventLoop::AllEvents, 50);
            if (!Reap() && Clock::now() >= deadline) {
                timedOut_ = true;
                Kill();
            }
        }
        // What the last key started settles.
        for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    ~PersonStep() { Kill(); }
    bool Ok() const { return !timedOut_ && status_ == 0; }
    int Status() const { return status_; }

  private:
    // True once the script has ended.
    bool Reap() {
        if (pid_ <= 0) return true;
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
        pid_ = -1;
        return true;
    }
    void Kill() {
        if (pid_ <= 0) return;
        ::kill(-pid_, SIGKILL);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        status_ = 128;
        pid_ = -1;
    }
    pid_t pid_ = -1;
    int status_ = -1;
    bool timedOut_ = false;
};

class LookupWindowsE2E : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        if (!platform || std::string(platform) != "xcb" || !std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs real windows (QT_QPA_PLATFORM=xcb under an X server)";
        if (!HasProgram("xdotool")) GTEST_SKIP() << "needs xdotool";
        const auto now = Clock::now().time_since_epoch().count();
        home_ =
            (fs::path(::testing::TempDir()) / ("ktrb52-lookups-" + std::to_string(now))).string();
        HostOptions options;
        options.library = KTRB_DEFAULT_LIBRARY;
        options.home = home_;
        options.uiCodePage = "936";
        session = std::make_unique<HostSession>(options, log);
        ASSERT_EQ(session->Start(), 0) << log.str();
        session->Controller().SetMode(1, 255, plat::Variant());
        session->Controller().SetVisible(-1);
        plat::TCustomForm* form = session->MainForm();
        ASSERT_NE(form, nullptr);
        walk = std::make_unique<RoadWalk>(*form, "", log);
        for (int i = 0; i < 20; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    void TearDown() override {
        walk.reset();
        session.reset();
        std::error_code ec;
        if (!home_.empty()) fs::remove_all(home_, ec);
    }

    // xdotool's click on the middle of a control, where the screen shows it.
    std::string ClickOn(const std::string& name) {
        auto& control = dynamic_cast<plat::TControl&>(walk->Find(name));
        QWidget* w = control.Widget();
        const QPoint p = w->mapToGlobal(w->rect().center());
        std::ostringstream s;
        s << "timeout 5 xdotool mousemove " << p.x() << " " << p.y()
          << " sleep 0.2 click 1 && sleep 0.3";
        return s.str();
    }
    // Waits for a window of that title and gives it the keyboard.
    static std::string WaitFor(const std::string& title) {
        return "timeout 8 xdotool search --sync --onlyvisible --name '^" + title +
               "$' windowfocus --sync && sleep 1.5";
    }
    // The same for the look-up window, then a click into its find line, as
    // a person does when the window has just come up on a busy machine.
    static std::string WaitForFindLine(const std::string& title) {
        return "timeout 8 xdotool search --sync --onlyvisible --name '^" + title +
               "$' windowfocus --sync mousemove --window %1 240 21 click 1 && sleep 0.8";
    }
    std::string Head(const char* field) { return walk->Text("cdsMain", field); }

    std::string home_;
    std::ostringstream log;
    std::unique_ptr<HostSession> session;
    std::unique_ptr<RoadWalk> walk;
};

TEST_F(LookupWindowsE2E, F2TwoInitialsAndEnterFillTheSupplier) {
    PersonStep step(ClickOn("edTH005") + " && xdotool key F2 && " +
                        WaitForFindLine("查询 - PURMA 02") +
                        " && xdotool type --delay 120 hd && sleep 0.6 && xdotool key Return",
                    std::chrono::seconds(30));
    EXPECT_TRUE(step.Ok()) << "the look-up window did not open or did not take the keys";
    EXPECT_EQ(Head("TH005"), "S002");
    EXPECT_EQ(Head("TH005C"), "华达电镀");

    // Esc leaves the field as it was.
    PersonStep escape(ClickOn("edTH005") + " && xdotool key F2 && " +
                          WaitForFindLine("查询 - PURMA 02") +
                          " && xdotool type --delay 120 jg && sleep 0.4 && xdotool key Escape",
                      std::chrono::seconds(30));
    EXPECT_TRUE(escape.Ok()) << escape.Status();
    EXPECT_EQ(Head("TH005"), "S002");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(LookupWindowsE2E, TheDatePickerMovesADayAndAnswers) {
    const QDate before = QDate::fromString(QString::fromStdString(Head("TH029")), "yyyyMMdd");
    ASSERT_TRUE(before.isValid()) << Head("TH029");
    PersonStep step(ClickOn("edTH029") + " && xdotool key F2 && " + WaitFor("选择日期") +
                        " && xdotool key Right && sleep 0.3 && xdotool key Return",
                    std::chrono::seconds(30));
    EXPECT_TRUE(step.Ok()) << "the date picker did not open or did not take the keys";
    EXPECT_EQ(Head("TH029"), before.addDays(1).toString("yyyyMMdd").toStdString());
}

TEST_F(LookupWindowsE2E, AWorkOrderForALineByItsItemsInitials) {
    walk->Key("cdsMain", "TH001", "5901");
    walk->Key("cdsMain", "TH005", "S002");
    walk->DataSet("cdsBody1").Append();
    auto& grid = dynamic_cast<plat::TCustomDataGrid&>(walk->Find("gdBody1"));
    grid.SetSelectedField(&walk->Field("cdsBody1", "TI013"));
    // The new line stays as it is: the grid takes the keyboard without a
    // click, which would leave the empty line.
    grid.SetFocus();
    QWidget* window = grid.Widget()->window();
    window->activateWindow();
    for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
    std::ostringstream click;
    click << "timeout 5 xdotool windowfocus --sync " << window->winId() << " && sleep 0.3";
    PersonStep step(click.str() + " && xdotool type 5 && sleep 0.3 && xdotool key F2 && " +
                        WaitForFindLine("查询 - MOCTA 72") +
                        " && xdotool type --delay 120 ddls && sleep 0.6 && xdotool key Return",
                    std::chrono::seconds(30));
    EXPECT_TRUE(step.Ok()) << "the look-up window did not open or did not take the keys";
    EXPECT_EQ(walk->Text("cdsBody1", "TI013"), "5201");
    EXPECT_EQ(walk->Text("cdsBody1", "TI014"), "20240110001");
}

}  // namespace
}  // namespace standin
