// The host's lookup-window services answered from a script, for tests: every
// call recorded with its arguments, answers queued per operation.
#pragma once
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "standins/host/dravoc_service.h"

namespace standin {

// Records every call with its arguments and answers from a queue per
// operation. An empty queue gives the "nothing chosen" answer: Unassigned,
// an empty text, -1.
class ScriptedDravoc : public IDravocService {
  public:
    struct CallRecord {
        std::string name;
        std::vector<plat::Variant> args;
    };

    // Queues the next answer of an operation ("F2GetData", "ShowInputDay",
    // "GetPhrase2", "ShowCharaters", "GetCalcValue"). For GetPhrase2 the
    // answer is [result, phrase]; for the others the returned value.
    void Enqueue(const std::string& operation, plat::Variant answer);
    std::vector<CallRecord> Calls() const;
    void ClearCalls();

    plat::Variant F2GetData(plat::Variant& request) override;
    std::string ShowInputDay(const plat::Variant& args) override;
    int GetPhrase2(const std::string& user, const std::string& company, int64_t handle,
                   std::string& text) override;
    plat::Variant ShowCharaters(const std::string& user, const std::string& company,
                                plat::Variant& kind, bool flag, const std::string& handle) override;
    std::string GetCalcValue(std::string& text, int64_t handle) override;

  private:
    bool Next(const std::string& operation, std::vector<plat::Variant> args, plat::Variant& answer);

    mutable std::mutex mutex_;
    std::vector<CallRecord> calls_;
    std::vector<std::pair<std::string, std::deque<plat::Variant>>> queues_;
};

}  // namespace standin
