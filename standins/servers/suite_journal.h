// What the stand-in host and suite servers did on the module's behalf that
// has no other trace: programs started, print runs, help requests, pages,
// message-centre links, and every function that is not available here.
// Tests read it; the host program shows it through a sink.
#pragma once
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/core/variant.h"

namespace standin {

enum class SuiteEventKind {
    ProgramStarted,      // ExecWork started a job program (subject: program code)
    ProgramRefused,      // ExecWork answered a job-program error (detail: the code)
    PrintRun,            // a print run (subject: report program; data: key values)
    HelpRequested,       // CallHelp (subject: program prefix; detail: context)
    PageSent,            // the pager's ShowSendSelmor
    MessageCentre,       // a link sent to the message centre (detail: the link)
    DocumentCheckedOut,  // the document manager handed out a copy (detail: its path)
    Unavailable,  // a function this stand-in does not offer (subject: server; detail: function)
};

struct SuiteEvent {
    SuiteEventKind kind;
    std::string subject;
    std::string detail;
    plat::Variant data;
};

class SuiteJournal {
  public:
    using Sink = std::function<void(const SuiteEvent&)>;

    void Record(SuiteEvent event);
    // Records an Unavailable event with a readable text naming the server and
    // the function.
    void Unavailable(const std::string& server, const std::string& function);
    std::vector<SuiteEvent> Events() const;
    std::vector<SuiteEvent> Events(SuiteEventKind kind) const;
    void Clear();
    // Called after each recorded event (outside the journal's lock).
    void SetSink(Sink sink);

  private:
    mutable std::mutex mutex_;
    std::vector<SuiteEvent> events_;
    Sink sink_;
};

}  // namespace standin
