#include "platform/automation/oleobject.h"

#include <mutex>
#include <unordered_map>

namespace plat {

namespace {

std::string key(std::string_view progId) {
    std::string k(progId);
    for (auto& c : k)
        if (c >= 'A' && c <= 'Z') c += 32;
    return k;
}

struct Factories {
    std::mutex mu;
    std::unordered_map<std::string, OleFactory> map;

    static Factories& Get() {
        static Factories f;
        return f;
    }
};

OleFactory find(std::string_view progId) {
    auto& f = Factories::Get();
    std::lock_guard lock(f.mu);
    auto it = f.map.find(key(progId));
    return it == f.map.end() ? OleFactory{} : it->second;
}

}  // namespace

void RegisterOleFactory(std::string_view progId, OleFactory factory) {
    auto& f = Factories::Get();
    std::lock_guard lock(f.mu);
    if (factory)
        f.map[key(progId)] = std::move(factory);
    else
        f.map.erase(key(progId));
}

void UnregisterOleFactory(std::string_view progId) {
    RegisterOleFactory(progId, {});
}

bool IsOleFactoryRegistered(std::string_view progId) {
    return bool(find(progId));
}

DispatchPtr CreateOleObject(std::string_view progId) {
    OleFactory factory = find(progId);  // a copy: the factory may re-register
    if (!factory) throw EOleSysError("Invalid class string", kInvalidClassString);
    DispatchPtr obj;
    try {
        obj = factory();
    } catch (const EOleError&) {
        throw;
    } catch (const std::exception& e) {
        throw EOleSysError("Cannot create " + std::string(progId) + ": " + e.what(),
                           (int32_t)0x80004005);
    }
    if (!obj) throw EOleSysError("Cannot create " + std::string(progId), (int32_t)0x80004005);
    return obj;
}

OleFactoryScope::OleFactoryScope(std::string progId, OleFactory factory)
    : progId_(std::move(progId)), previous_(find(progId_)) {
    RegisterOleFactory(progId_, std::move(factory));
}

OleFactoryScope::~OleFactoryScope() {
    RegisterOleFactory(progId_, std::move(previous_));
}

}  // namespace plat
