// Run-time creation of components by class name: classes register a factory
// under their class name; forms built from design tables and the language
// and settings code create and test classes by name.
#pragma once
#include <functional>
#include <string>
#include <string_view>

#include "platform/component/component.h"

namespace plat {

// The class named in a design or a call is not registered.
class EClassNotFound : public Exception {
  public:
    using Exception::Exception;
    const char* ClassName() const override { return "EClassNotFound"; }
};

struct TComponentClass {
    const TClassInfo* Info = nullptr;
    std::function<TComponent*(TComponent* owner)> Create;
};

// Registers a class under its class name. Registering the same class again
// does nothing; another class under a name already taken raises
// EComponentError ("A class named X already exists").
void RegisterClass(const TClassInfo* info, std::function<TComponent*(TComponent*)> create);
template <class T>
void RegisterClass() {
    RegisterClass(T::StaticClass(), [](TComponent* owner) -> TComponent* { return new T(owner); });
}
void UnRegisterClass(const TClassInfo* info);
// nullptr when no class of that name (case-insensitive) is registered.
const TComponentClass* GetClass(std::string_view className);
// Raises EClassNotFound ("Class X not found").
const TComponentClass& FindClass(std::string_view className);
// Creates a component of the registered class, owned by owner, and names it
// when a name is given. A name the owner already has raises EComponentError
// and the new component is freed.
TComponent* CreateComponent(std::string_view className, TComponent* owner,
                            const std::string& name = "");

}  // namespace plat
