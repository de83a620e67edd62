// TObject, TPersistent and TComponent: run-time class identity (class name
// and ancestry as text), objects that publish properties without being
// components (fonts, collections), and the owner tree (owned components in
// creation order, names, FindComponent, free notification), separate from the
// visual parent tree.
#pragma once
#include <atomic>
#include <string>
#include <vector>

#include "platform/component/events.h"

namespace plat {

class TObject;
class TComponent;
class TClassInfo;
struct TClassTable;

// Run-time class information: the specified class name and the parent class.
// The property registry hangs its per-class table off this record.
class TClassInfo {
  public:
    TClassInfo(const char* name, const TClassInfo* parent) : name_(name), parent_(parent) {}
    const char* Name() const { return name_; }
    const TClassInfo* Parent() const { return parent_; }
    bool InheritsFrom(const TClassInfo* other) const;
    bool InheritsFrom(const std::string& className) const;  // case-insensitive

    // Flattened property table (own and inherited), built on first use by
    // the property registry and rebuilt after later registrations.
    mutable std::atomic<const TClassTable*> table_{nullptr};

  private:
    const char* name_;
    const TClassInfo* parent_;
};

// Declares the class identity inside a class body:
//   class TEdit : public TWinControl { PLAT_CLASS(TEdit, TWinControl) ... };
#define PLAT_CLASS(Name, Parent) PLAT_CLASS_NAMED(#Name, Parent)

// The same with a run-time class name that differs from the C++ name (a
// stand-in class that must answer to the platform's name):
//   class TTestComboBox : public TTestControl { PLAT_CLASS_NAMED("TComboBox", TTestControl) };
#define PLAT_CLASS_NAMED(RunTimeName, Parent)                                     \
  public:                                                                         \
    static const ::plat::TClassInfo* StaticClass() {                              \
        static const ::plat::TClassInfo info(RunTimeName, Parent::StaticClass()); \
        return &info;                                                             \
    }                                                                             \
    const ::plat::TClassInfo* ClassInfo() const override {                        \
        return StaticClass();                                                     \
    }

// The root of every class with run-time identity and published properties.
class TObject {
  public:
    TObject() = default;
    virtual ~TObject() = default;
    TObject(const TObject&) = delete;
    TObject& operator=(const TObject&) = delete;

    static const TClassInfo* StaticClass();
    virtual const TClassInfo* ClassInfo() const;
    std::string ClassName() const { return ClassInfo()->Name(); }
    bool InheritsFrom(const std::string& className) const {
        return ClassInfo()->InheritsFrom(className);
    }
    bool InheritsFrom(const TClassInfo* c) const { return ClassInfo()->InheritsFrom(c); }
};

// An object whose properties can be published and copied: fonts, string
// lists, collections and their items, and every component.
class TPersistent : public TObject {
    PLAT_CLASS(TPersistent, TObject)
  public:
    // Copies the state of another object; the default raises EConvertError
    // ("Cannot assign a TX to a TY") unless the source assigns itself to us.
    virtual void Assign(TPersistent* source);

  protected:
    // Lets a source that knows this class copy itself here; false = unknown.
    virtual bool AssignTo(TPersistent* dest) { return false; }
};

// The handler of a plain notification (OnClick, OnShow, OnChange ...).
using TNotifyEvent = Event<TObject*>;

enum class TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    PLAT_CLASS(TComponent, TPersistent)
  public:
    explicit TComponent(TComponent* owner = nullptr);
    ~TComponent() override;

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

// Class test by the C++ type (nullptr when c is not a T).
template <class T>
T* DynamicCast(TObject* c) {
    return dynamic_cast<T*>(c);
}

}  // namespace plat
