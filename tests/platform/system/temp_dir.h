// A fresh folder per test, removed with everything in it afterwards.
#pragma once
#include <signal.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/system/files.h"
#include "support/core/EnvGuard.h"

class TempDir {
  public:
    TempDir() {
        std::string pattern = plat::TempFolder() + "ktrb-sys-XXXXXX";
        path_ = ::mkdtemp(pattern.data()) ? pattern + "/" : std::string();
    }
    ~TempDir() {
        if (!path_.empty()) std::filesystem::remove_all(path_);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

  private:
    std::string path_;
};

// Makes every write past `bytes` fail with EFBIG, as a full disk would;
// restores the limit when it goes.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved_);
        oldHandler_ = ::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = saved_;
        lim.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lim);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved_);
        ::signal(SIGXFSZ, oldHandler_);
    }

  private:
    rlimit saved_{};
    sighandler_t oldHandler_;
};

using ktrb::test::EnvGuard;
