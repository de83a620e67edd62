#include "standins/appserver/sign_on_throttle.h"

#include <algorithm>
#include <iostream>

namespace standin {

using std::chrono::milliseconds;

namespace {

// A key as it is kept and logged: bounded, without control characters.
std::string KeyText(const std::string& s) {
    std::string out;
    for (unsigned char c : s.substr(0, 64)) out += c < 0x20 || c == 0x7f ? '?' : (char)c;
    return out;
}

long long Seconds(milliseconds t) {
    return (long long)((t.count() + 999) / 1000);
}

}  // namespace

SignOnThrottle::SignOnThrottle(SignOnThrottleOptions options,
                               std::function<void(const std::string&)> log)
    : options_(options), log_(std::move(log)) {
    if (!log_) log_ = [](const std::string& line) { std::cerr << "appserver: " << line << "\n"; };
}

milliseconds SignOnThrottle::DelayAfter(int failures) const {
    int doublings = std::min(failures - options_.freeFailures, 30);
    if (doublings < 0) return milliseconds(0);
    milliseconds d = options_.firstDelay;
    for (int i = 0; i < doublings && d < options_.maxDelay; ++i) d *= 2;
    return std::min(d, options_.maxDelay);
}

SignOnThrottle::Entry& SignOnThrottle::At(Table& table, const std::string& key,
                                          Clock::time_point now) {
    auto it = table.find(key);
    if (it != table.end()) {
        Entry& e = it->second;
        if (now >= e.lockedUntil && now - e.last > options_.forgetAfter) e = Entry{};
        return e;
    }
    if (table.size() >= options_.maxKeys) {
        for (auto i = table.begin(); i != table.end();)
            i = now >= i->second.lockedUntil && now - i->second.last > options_.forgetAfter
                    ? table.erase(i)
                    : std::next(i);
        if (table.size() >= options_.maxKeys)
            table.erase(std::min_element(table.begin(), table.end(), [](auto& a, auto& b) {
                return std::tie(a.second.lockedUntil, a.second.last) <
                       std::tie(b.second.lockedUntil, b.second.last);
            }));
    }
    return table[key];
}

SignOnThrottle::Verdict SignOnThrottle::Admit(const std::string& address, const std::string& user) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Clock::time_point now = Clock::now();
    Verdict v;
    Entry* entries[] = {nullptr, nullptr};
    auto a = addresses_.find(KeyText(address));
    auto u = users_.find(KeyText(user));
    if (a != addresses_.end()) entries[0] = &At(addresses_, a->first, now);
    if (u != users_.end()) entries[1] = &At(users_, u->first, now);
    const char* whose[] = {"from this address", "of this user"};
    Clock::time_point at = now;
    for (int i = 0; i < 2; ++i) {
        Entry* e = entries[i];
        if (!e) continue;
        if (now < e->lockedUntil) {
            v.refused = std::string("Sign-on ") + whose[i] +
                        " is locked after too many failed attempts; try again in " +
                        std::to_string(Seconds(
                            std::chrono::duration_cast<milliseconds>(e->lockedUntil - now))) +
                        " s";
            return v;
        }
        if (e->failures >= options_.freeFailures) at = std::max(at, e->notBefore);
    }
    v.wait = std::chrono::duration_cast<milliseconds>(at - now);
    if (v.wait > options_.maxDelay) {
        v.refused =
            "Too many failed sign-ons; try again in " + std::to_string(Seconds(v.wait)) + " s";
        return v;
    }
    // The next try waits for this one's turn to pass, however many come at once.
    for (Entry* e : entries)
        if (e && e->failures >= options_.freeFailures) e->notBefore = at + DelayAfter(e->failures);
    return v;
}

void SignOnThrottle::Fail(Entry& e, const std::string& what, Clock::time_point now) {
    ++e.failures;
    e.last = now;
    e.notBefore = std::max(e.notBefore, now + DelayAfter(e.failures));
    if (e.failures < options_.lockAfter) return;
    e.lockedUntil = now + options_.lockTime;
    e.notBefore = e.lockedUntil;
    log_("sign-on " + what + " locked for " + std::to_string(Seconds(options_.lockTime)) +
         " s after " + std::to_string(e.failures) + " failed attempts");
    // Once the lock ends, every failure is delayed again at once.
    e.failures = options_.freeFailures;
}

void SignOnThrottle::Record(const std::string& address, const std::string& user, bool accepted) {
    std::lock_guard<std::mutex> lock(mutex_);
    const Clock::time_point now = Clock::now();
    const std::string a = KeyText(address), u = KeyText(user);
    if (accepted) {
        // The address keeps its count: one good account must not clear the
        // failures it ran up guessing others.
        users_.erase(u);
        return;
    }
    Fail(At(addresses_, a, now), "from address " + a, now);
    Fail(At(users_, u, now), "of user \"" + u + "\"", now);
}

}  // namespace standin
