// The host's lookup-window services behind Com_Dravoc: lookup window, date
// input, phrases, special characters and calculator. The work-centre object
// forwards its Com_Dravoc calls here. ScriptedDravoc answers from queues for
// tests and for runs without windows; a windowed implementation comes with
// the windows.
#pragma once
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

#include "platform/core/variant.h"

namespace standin {

class IDravocService {
  public:
    virtual ~IDravocService() = default;
    // The lookup window for the request array (19 elements, see the broker);
    // the chosen rows as an array of row arrays, or Unassigned when nothing
    // was chosen. The request is passed by reference and may be changed.
    virtual plat::Variant F2GetData(plat::Variant& request) = 0;
    // Date input for [flag, date text "YYYYMMDD", sign-on key]; the chosen
    // date as "YYYYMMDD", or an empty text.
    virtual std::string ShowInputDay(const plat::Variant& args) = 0;
    // Phrase picker: writes the chosen phrase into text; negative when cancelled.
    virtual int GetPhrase2(const std::string& user, const std::string& company, int64_t handle,
                           std::string& text) = 0;
    // Special characters of a kind (by reference); the chosen text or Unassigned.
    virtual plat::Variant ShowCharaters(const std::string& user, const std::string& company,
                                        plat::Variant& kind, bool flag,
                                        const std::string& handle) = 0;
    // Calculator: the result as text; text (by reference) is the expression.
    virtual std::string GetCalcValue(std::string& text, int64_t handle) = 0;
};

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
