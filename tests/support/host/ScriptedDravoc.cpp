#include "support/host/ScriptedDravoc.h"

#include "platform/core/text.h"

namespace standin {

void ScriptedDravoc::Enqueue(const std::string& operation, plat::Variant answer) {
    std::lock_guard lock(mutex_);
    for (auto& [name, queue] : queues_)
        if (plat::SameText(name, operation)) {
            queue.push_back(std::move(answer));
            return;
        }
    queues_.push_back({operation, {std::move(answer)}});
}

std::vector<ScriptedDravoc::CallRecord> ScriptedDravoc::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

void ScriptedDravoc::ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

bool ScriptedDravoc::Next(const std::string& operation, std::vector<plat::Variant> args,
                          plat::Variant& answer) {
    std::lock_guard lock(mutex_);
    calls_.push_back({operation, std::move(args)});
    for (auto& [name, queue] : queues_)
        if (plat::SameText(name, operation) && !queue.empty()) {
            answer = std::move(queue.front());
            queue.pop_front();
            return true;
        }
    return false;
}

plat::Variant ScriptedDravoc::F2GetData(plat::Variant& request) {
    plat::Variant answer;
    Next("F2GetData", {request}, answer);
    return answer;
}

std::string ScriptedDravoc::ShowInputDay(const plat::Variant& args) {
    plat::Variant answer;
    return Next("ShowInputDay", {args}, answer) ? plat::VarToStr(answer) : std::string();
}

int ScriptedDravoc::GetPhrase2(const std::string& user, const std::string& company, int64_t handle,
                               std::string& text) {
    plat::Variant answer;
    if (!Next("GetPhrase2", {user, company, (long long)handle, text}, answer)) return -1;
    // [result, phrase]; a plain value is the phrase with result 0.
    if (answer.IsArray() && answer.ArrayCount() >= 2) {
        int result = (int)plat::VarToIntDef(answer[answer.LowBound()], -1);
        if (result >= 0) text = plat::VarToStr(answer[answer.LowBound() + 1]);
        return result;
    }
    text = plat::VarToStr(answer);
    return 0;
}

plat::Variant ScriptedDravoc::ShowCharaters(const std::string& user, const std::string& company,
                                            plat::Variant& kind, bool flag,
                                            const std::string& handle) {
    plat::Variant answer;
    Next("ShowCharaters", {user, company, kind, flag, handle}, answer);
    return answer;
}

std::string ScriptedDravoc::GetCalcValue(std::string& text, int64_t handle) {
    plat::Variant answer;
    return Next("GetCalcValue", {text, (long long)handle}, answer) ? plat::VarToStr(answer)
                                                                   : std::string();
}

}  // namespace standin
