// TComponent: the owner tree (owned components in creation order, names,
// FindComponent, free notification), separate from the visual parent tree,
// and run-time class identity (class name and ancestry as text).
#pragma once
#include <string>
#include <vector>

#include "platform/component/events.h"

namespace plat {

class TComponent;
class TClassInfo;

// Run-time class information: the specified class name and the parent class.
// The property registry hangs its per-class table off this record.
class TClassInfo {
public:
    TClassInfo(const char* name, const TClassInfo* parent) : name_(name), parent_(parent) {}
    const char* Name() const { return name_; }
    const TClassInfo* Parent() const { return parent_; }
    bool InheritsFrom(const TClassInfo* other) const;
    bool InheritsFrom(const std::string& className) const;  // case-insensitive

private:
    const char* name_;
    const TClassInfo* parent_;
};

// Declares the class identity inside a class body:
//   class TEdit : public TWinControl { PLAT_CLASS(TEdit, TWinControl) ... };
#define PLAT_CLASS(Name, Parent)                                               \
public:                                                                        \
    static const ::plat::TClassInfo* StaticClass() {                           \
        static const ::plat::TClassInfo info(#Name, Parent::StaticClass());    \
        return &info;                                                          \
    }                                                                          \
    const ::plat::TClassInfo* ClassInfo() const override { return StaticClass(); }

enum class TOperation { opInsert, opRemove };

class TComponent {
public:
    explicit TComponent(TComponent* owner = nullptr);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    static const TClassInfo* StaticClass();
    virtual const TClassInfo* ClassInfo() const;
    std::string ClassName() const { return ClassInfo()->Name(); }
    bool InheritsFrom(const std::string& className) const { return ClassInfo()->InheritsFrom(className); }

    const std::string& Name() const { return name_; }
    // Raises EComponentError for an invalid identifier or a name the owner
    // already has ("A component named X already exists").
    virtual void SetName(const std::string& name);
    TComponent* Owner() const { return owner_; }
    int ComponentCount() const { return (int)components_.size(); }
    TComponent* Components(int index) const;
    TComponent* FindComponent(const std::string& name) const;  // case-insensitive
    // Moves a component into this owner (creation order: appended).
    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);

    // Asks to be told (Notification opRemove) when c is destroyed.
    void FreeNotification(TComponent* c);
    void RemoveFreeNotification(TComponent* c);
    virtual void Notification(TComponent* c, TOperation op) {}

    int Tag = 0;
    bool Destroying() const { return destroying_; }

protected:
    // Called at the start of the destructor chain's end; subclasses that must
    // run code before their members go should call it first in their own dtor.
    void BeginDestroy();

private:
    std::string name_;
    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_;
    std::vector<TComponent*> freeNotifies_;
    bool destroying_ = false;
};

// Class test by the specified class name (walks the ancestry).
template <class T>
T* DynamicCast(TComponent* c) {
    return dynamic_cast<T*>(c);
}

}  // namespace plat
