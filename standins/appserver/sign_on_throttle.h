// Failed sign-ons slow down: after a few free tries, each further failure
// from one address or for one user makes the next try wait longer, and
// many of them lock the address or user for a while (the reason is logged).
// Tries that wait are spaced out, also when they come over many connections
// at once. Only failures are kept, in tables of bounded size.
#pragma once
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace standin {

struct SignOnThrottleOptions {
    int freeFailures = 5;  // failures before any delay
    std::chrono::milliseconds firstDelay{500};
    std::chrono::milliseconds maxDelay{30000};  // the delay doubles up to this
    int lockAfter = 20;                         // failures that lock the address or user
    std::chrono::milliseconds lockTime{15 * 60 * 1000};
    std::chrono::milliseconds forgetAfter{60 * 60 * 1000};  // a quiet key starts afresh
    size_t maxKeys = 4096;                                  // per table (addresses, users)
};

class SignOnThrottle {
  public:
    using Clock = std::chrono::steady_clock;
    explicit SignOnThrottle(SignOnThrottleOptions options = {},
                            std::function<void(const std::string&)> log = nullptr);

    struct Verdict {
        std::chrono::milliseconds wait{0};  // before the password is checked
        std::string refused;                // not empty: refused unchecked, and why
    };
    // Before a sign-on from `address` for `user` is checked: how long it
    // waits first, or why it is refused without a check.
    Verdict Admit(const std::string& address, const std::string& user);
    // After the check.
    void Record(const std::string& address, const std::string& user, bool accepted);

  private:
    struct Entry {
        int failures = 0;
        Clock::time_point notBefore{}, lockedUntil{}, last{};
    };
    using Table = std::map<std::string, Entry>;
    Entry& At(Table& table, const std::string& key, Clock::time_point now);
    std::chrono::milliseconds DelayAfter(int failures) const;
    void Fail(Entry& e, const std::string& what, Clock::time_point now);

    SignOnThrottleOptions options_;
    std::function<void(const std::string&)> log_;
    std::mutex mutex_;
    Table addresses_, users_;
};

}  // namespace standin
