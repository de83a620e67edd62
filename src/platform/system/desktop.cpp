#include "platform/system/desktop.h"

#include <atomic>

namespace plat {

bool TRecordingLauncher::Open(const std::string& target) {
    opened_.push_back(target);
    return result_;
}

namespace {

// Without a desktop nothing can be opened; saying so beats pretending.
class NoLauncher : public IDesktopLauncher {
  public:
    bool Open(const std::string&) override { return false; }
};

NoLauncher& noLauncher() {
    static NoLauncher launcher;
    return launcher;
}

std::atomic<IDesktopLauncher*> current{nullptr};

}  // namespace

IDesktopLauncher& DesktopLauncher() {
    IDesktopLauncher* l = current.load();
    return l ? *l : noLauncher();
}

IDesktopLauncher* SetDesktopLauncher(IDesktopLauncher* launcher) {
    IDesktopLauncher* previous = current.exchange(launcher);
    return previous ? previous : &noLauncher();
}

}  // namespace plat
