// Opening a file or URL with the desktop's handler (a browser for a URL, the
// registered program for a document), behind an interface. The windows layer
// installs the real one; until then nothing is opened and Open answers false.
#pragma once
#include <string>
#include <vector>

namespace plat {

class IDesktopLauncher {
  public:
    virtual ~IDesktopLauncher() = default;
    // A file name (either separator) or a URL; true when it was handed over.
    virtual bool Open(const std::string& target) = 0;
};

// Records every request; answers with a configurable result. For tests.
class TRecordingLauncher : public IDesktopLauncher {
  public:
    explicit TRecordingLauncher(bool result = true) : result_(result) {}
    bool Open(const std::string& target) override;
    const std::vector<std::string>& Opened() const { return opened_; }
    void SetResult(bool result) { result_ = result; }

  private:
    bool result_;
    std::vector<std::string> opened_;
};

// The current launcher (never null).
IDesktopLauncher& DesktopLauncher();
// Installs a launcher (not owned; nullptr restores the one that opens
// nothing) and returns the one it replaces.
IDesktopLauncher* SetDesktopLauncher(IDesktopLauncher* launcher);

class DesktopLauncherOverride {
  public:
    explicit DesktopLauncherOverride(IDesktopLauncher& launcher)
        : previous_(SetDesktopLauncher(&launcher)) {}
    ~DesktopLauncherOverride() { SetDesktopLauncher(previous_); }
    DesktopLauncherOverride(const DesktopLauncherOverride&) = delete;
    DesktopLauncherOverride& operator=(const DesktopLauncherOverride&) = delete;

  private:
    IDesktopLauncher* previous_;
};

}  // namespace plat
