#include "forms/XdgLauncher.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <thread>

#include "platform/system/desktop.h"

extern char** environ;

namespace ktrb {

namespace {

class XdgLauncher : public plat::IDesktopLauncher {
  public:
    bool Open(const std::string& target) override {
        if (target.empty()) return false;
        std::string program = "xdg-open";
        char* argv[] = {program.data(), const_cast<char*>(target.c_str()), nullptr};
        pid_t pid = 0;
        if (::posix_spawnp(&pid, "xdg-open", nullptr, nullptr, argv, environ) != 0) return false;
        // Reaped in the background: the opener may outlive the window.
        std::thread([pid] {
            int status = 0;
            ::waitpid(pid, &status, 0);
        }).detach();
        return true;
    }
};

XdgLauncher launcher;
plat::IDesktopLauncher* previous = nullptr;
bool installed = false;

}  // namespace

void InstallXdgLauncher() {
    if (installed) return;
    previous = plat::SetDesktopLauncher(&launcher);
    installed = true;
}

void RemoveXdgLauncher() {
    if (!installed) return;
    plat::SetDesktopLauncher(previous);
    installed = false;
}

}  // namespace ktrb
