#include "support/servers/ScriptedDispatch.h"

#include <algorithm>

#include "platform/core/text.h"
#include "standins/servers/suite_services.h"

namespace standin {

std::string ScriptedDispatch::Key(std::string_view name) {
    return plat::UpperCase(name);
}

ScriptedDispatch::ScriptedDispatch(std::string name, std::vector<std::string> members)
    : name_(std::move(name)) {
    for (auto& m : members) members_.push_back(Key(m));
}

bool ScriptedDispatch::HasMember(std::string_view name) const {
    return members_.empty() ||
           std::find(members_.begin(), members_.end(), Key(name)) != members_.end();
}

void ScriptedDispatch::Enqueue(std::string_view member, Answer answer) {
    std::lock_guard lock(mutex_);
    queues_[Key(member)].push_back(std::move(answer));
}

void ScriptedDispatch::SetDefault(std::string_view member, plat::Variant value) {
    std::lock_guard lock(mutex_);
    defaults_[Key(member)] = std::move(value);
}

std::vector<ScriptedDispatch::CallRecord> ScriptedDispatch::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<ScriptedDispatch::CallRecord> ScriptedDispatch::CallsTo(std::string_view member) const {
    std::lock_guard lock(mutex_);
    std::vector<CallRecord> out;
    for (auto& c : calls_)
        if (plat::SameText(c.member, member)) out.push_back(c);
    return out;
}

void ScriptedDispatch::ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

plat::Variant ScriptedDispatch::DoInvoke(std::string_view name, plat::DispatchKind kind,
                                         plat::DispArgs args) {
    if (!HasMember(name))
        throw plat::EOleSysError("Unknown name \"" + std::string(name) + "\" of " + name_,
                                 plat::kUnknownName);
    Answer answer;
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(
            {std::string(name), kind, std::vector<plat::Variant>(args.begin(), args.end())});
        const std::string key = Key(name);
        if (kind == plat::DispatchKind::PropertyPut) {
            if (!args.empty()) defaults_[key] = args.back();
            return {};
        }
        auto q = queues_.find(key);
        if (q != queues_.end() && !q->second.empty()) {
            answer = std::move(q->second.front());
            q->second.pop_front();
        } else if (auto d = defaults_.find(key); d != defaults_.end()) {
            answer.result = d->second;
        }
    }
    if (!answer.error.empty()) throw plat::EOleException(std::string(name), answer.error, name_);
    for (auto& [index, value] : answer.writes)
        if (index < args.size()) args[index] = value;
    return answer.result;
}

namespace {

struct FakeInterface {
    const char* name;
    std::vector<std::string> members;  // empty: any name
};

const std::vector<FakeInterface>& FakeInterfaces() {
    static const std::vector<FakeInterface> table = {
        {progid::kTransactionServer,
         {"DoIt2", "DoCheck", "ReturnSeq", "ErrorCode", "ResultDesc", "ErrorDescript", "CloseCOM"}},
        {progid::kPager, {"ShowSendSelmor"}},
        {progid::kNumberingRules, {"ShowTree"}},
        {progid::kAttachments, {"Init", "ParentHandle", "ShowModal"}},
        {progid::kDocuments, {"CheckOut"}},
        {progid::kWorkCenter,
         {"DependencyVersion", "ProductID", "Connect", "GetMessage", "ExecWork", "CallHelp",
          "Com_Validator", "Com_Dravoc", "Com_Counter"}},
        {progid::kCounter, {"GetSysInfo", "GETCOUNTER"}},
        {progid::kLookupServer, {}},
        {progid::kAppServer, {}},
        {"Com_Validator", {"CheckValue", "QueryData", "QueryMaxSeq", "ProductID", "BaseLimited"}},
        {"Com_Dravoc",
         {"F2GetData", "ShowInputDay", "GetPhrase2", "ShowCharaters", "GetCalcValue"}},
        {"Com_Counter", {"GetSysInfo", "GETCOUNTER"}},
    };
    return table;
}

bool IsSubObject(const std::string& name) {
    return name.rfind("Com_", 0) == 0;
}

}  // namespace

ScriptedSuite::ScriptedSuite() : creations_(std::make_shared<Counts>()) {
    for (auto& f : FakeInterfaces())
        fakes_[plat::UpperCase(f.name)] = std::make_shared<ScriptedDispatch>(f.name, f.members);
    auto center = Fake(progid::kWorkCenter);
    center->SetDefault("DependencyVersion", 8000);
    for (const char* sub : {"Com_Validator", "Com_Dravoc", "Com_Counter"})
        center->SetDefault(sub, plat::Variant(plat::DispatchPtr(Fake(sub))));
    for (auto& f : FakeInterfaces()) {
        if (IsSubObject(f.name)) continue;
        std::string id = f.name;
        auto fake = Fake(id);
        auto counts = creations_;
        scopes_.push_back(
            std::make_unique<plat::OleFactoryScope>(id, [fake, counts, id]() -> plat::DispatchPtr {
                std::lock_guard lock(counts->mutex);
                ++counts->byProgId[plat::UpperCase(id)];
                return fake;
            }));
    }
}

ScriptedSuite::~ScriptedSuite() = default;

std::shared_ptr<ScriptedDispatch> ScriptedSuite::Fake(std::string_view name) const {
    auto it = fakes_.find(plat::UpperCase(name));
    if (it == fakes_.end()) throw plat::EOleError("No scripted fake for " + std::string(name));
    return it->second;
}

int ScriptedSuite::Creations(std::string_view progId) const {
    std::lock_guard lock(creations_->mutex);
    auto it = creations_->byProgId.find(plat::UpperCase(progId));
    return it == creations_->byProgId.end() ? 0 : it->second;
}

}  // namespace standin
