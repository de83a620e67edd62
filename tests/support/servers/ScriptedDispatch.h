// Scripted fakes of late-bound objects for tests: every call is recorded
// with its arguments, and answers come from a queue per member. ScriptedSuite
// registers one fake per suite ProgID (and the work-centre's sub-objects)
// for its lifetime, so code under test that creates a server by ProgID gets
// the fake the test scripted.
#pragma once
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/automation/dispatch.h"
#include "platform/automation/oleobject.h"

namespace standin {

class ScriptedDispatch : public plat::Dispatch {
  public:
    struct CallRecord {
        std::string member;
        plat::DispatchKind kind;
        std::vector<plat::Variant> args;  // as they came in (before any write-back)
    };
    struct Answer {
        plat::Variant result;
        // Arguments written back to the caller: (0-based position, value).
        std::vector<std::pair<size_t, plat::Variant>> writes;
        // Not empty: the call raises plat::EOleException with this text.
        std::string error;
    };

    // With a member list the fake answers only to those names, and any other
    // name raises as a real object would; with none it answers to every name.
    explicit ScriptedDispatch(std::string name, std::vector<std::string> members = {});

    std::string DispatchName() const override { return name_; }
    bool HasMember(std::string_view name) const override;

    void Enqueue(std::string_view member, Answer answer);
    void Enqueue(std::string_view member, plat::Variant result) {
        Enqueue(member, Answer{std::move(result), {}, {}});
    }
    void EnqueueError(std::string_view member, std::string text) {
        Enqueue(member, Answer{{}, {}, std::move(text)});
    }
    // The answer once a member's queue is empty (Unassigned unless set). A
    // property put sets it too, so a property reads back what was put.
    void SetDefault(std::string_view member, plat::Variant value);

    std::vector<CallRecord> Calls() const;
    std::vector<CallRecord> CallsTo(std::string_view member) const;
    void ClearCalls();

  protected:
    plat::Variant DoInvoke(std::string_view name, plat::DispatchKind kind,
                           plat::DispArgs args) override;

  private:
    static std::string Key(std::string_view name);

    std::string name_;
    std::vector<std::string> members_;  // upper-case; empty: any name
    mutable std::mutex mutex_;
    std::vector<CallRecord> calls_;
    std::map<std::string, std::deque<Answer>> queues_;
    std::map<std::string, plat::Variant> defaults_;
};

// Fakes of every suite ProgID (transaction server, pager, numbering rules,
// attachments, documents, work centre, counter, lookup server, application
// server), registered while the object lives; the work-centre fake's
// Com_Validator, Com_Dravoc and Com_Counter read as the fakes of those names.
// Each creation by ProgID gives the same fake, so its calls accumulate.
class ScriptedSuite {
  public:
    ScriptedSuite();
    ~ScriptedSuite();
    ScriptedSuite(const ScriptedSuite&) = delete;
    ScriptedSuite& operator=(const ScriptedSuite&) = delete;

    // By ProgID or sub-object name ("Com_Validator"); raises plat::EOleError
    // for a name it does not fake.
    std::shared_ptr<ScriptedDispatch> Fake(std::string_view name) const;
    // How often the ProgID was created while this suite was registered.
    int Creations(std::string_view progId) const;

  private:
    std::map<std::string, std::shared_ptr<ScriptedDispatch>> fakes_;
    struct Counts {
        std::mutex mutex;
        std::map<std::string, int> byProgId;
    };
    std::shared_ptr<Counts> creations_;
    std::vector<std::unique_ptr<plat::OleFactoryScope>> scopes_;
};

}  // namespace standin
