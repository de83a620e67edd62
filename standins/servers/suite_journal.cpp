#include "standins/servers/suite_journal.h"

namespace standin {

void SuiteJournal::Record(SuiteEvent event) {
    Sink sink;
    {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
        sink = sink_;
    }
    if (sink) sink(event);
}

void SuiteJournal::Unavailable(const std::string& server, const std::string& function) {
    Record({SuiteEventKind::Unavailable,
            server,
            function + ": not available in this installation (" + server + ")",
            {}});
}

std::vector<SuiteEvent> SuiteJournal::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<SuiteEvent> SuiteJournal::Events(SuiteEventKind kind) const {
    std::lock_guard lock(mutex_);
    std::vector<SuiteEvent> out;
    for (auto& e : events_)
        if (e.kind == kind) out.push_back(e);
    return out;
}

void SuiteJournal::Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
}

void SuiteJournal::SetSink(Sink sink) {
    std::lock_guard lock(mutex_);
    sink_ = std::move(sink);
}

}  // namespace standin
