#include "platform/component/classes.h"

#include <memory>
#include <mutex>
#include <unordered_map>

#include "platform/component/detail/nocase.h"

namespace plat {

namespace {

struct ClassRegistry {
    std::mutex mu;
    std::unordered_map<std::string, std::unique_ptr<TComponentClass>, detail::NoCaseHash,
                       detail::NoCaseEqual>
        classes;
    // Entries unregistered are kept: callers may hold the reference.
    std::vector<std::unique_ptr<TComponentClass>> retired;

    static ClassRegistry& Get() {
        static ClassRegistry r;
        return r;
    }
};

}  // namespace

void RegisterClass(const TClassInfo* info, std::function<TComponent*(TComponent*)> create) {
    auto& r = ClassRegistry::Get();
    std::lock_guard lock(r.mu);
    auto it = r.classes.find(std::string_view(info->Name()));
    if (it != r.classes.end()) {
        if (it->second->Info == info) return;
        throw EComponentError(std::string("A class named ") + info->Name() + " already exists");
    }
    auto c = std::make_unique<TComponentClass>();
    c->Info = info;
    c->Create = std::move(create);
    r.classes.emplace(info->Name(), std::move(c));
}

void UnRegisterClass(const TClassInfo* info) {
    auto& r = ClassRegistry::Get();
    std::lock_guard lock(r.mu);
    auto it = r.classes.find(std::string_view(info->Name()));
    if (it == r.classes.end() || it->second->Info != info) return;
    r.retired.push_back(std::move(it->second));
    r.classes.erase(it);
}

const TComponentClass* GetClass(std::string_view className) {
    auto& r = ClassRegistry::Get();
    std::lock_guard lock(r.mu);
    auto it = r.classes.find(className);
    return it == r.classes.end() ? nullptr : it->second.get();
}

const TComponentClass& FindClass(std::string_view className) {
    const TComponentClass* c = GetClass(className);
    if (!c) throw EClassNotFound("Class " + std::string(className) + " not found");
    return *c;
}

TComponent* CreateComponent(std::string_view className, TComponent* owner,
                            const std::string& name) {
    std::unique_ptr<TComponent> c(FindClass(className).Create(owner));
    if (!name.empty()) c->SetName(name);
    return c.release();
}

}  // namespace plat
