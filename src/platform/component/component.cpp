#include "platform/component/component.h"

#include <strings.h>

#include <algorithm>

#include "platform/component/properties.h"
#include "platform/core/exceptions.h"

namespace plat {

bool TClassInfo::InheritsFrom(const TClassInfo* other) const {
    for (auto* c = this; c; c = c->parent_)
        if (c == other) return true;
    return false;
}

bool TClassInfo::InheritsFrom(const std::string& className) const {
    for (auto* c = this; c; c = c->parent_)
        if (strcasecmp(c->name_, className.c_str()) == 0) return true;
    return false;
}

const TClassInfo* TObject::StaticClass() {
    static const TClassInfo info("TObject", nullptr);
    return &info;
}

const TClassInfo* TObject::ClassInfo() const {
    return StaticClass();
}

void TPersistent::Assign(TPersistent* source) {
    if (source && source->AssignTo(this)) return;
    throw EConvertError("Cannot assign a " + (source ? source->ClassName() : std::string("nil")) +
                        " to a " + ClassName());
}

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

void TComponent::BeginDestroy() {
    if (destroying_) return;
    destroying_ = true;
    // Tell everyone who asked, then free what we own (last created first).
    auto notifies = freeNotifies_;
    freeNotifies_.clear();
    for (auto* c : notifies) {
        c->RemoveFreeNotification(this);
        c->Notification(this, TOperation::opRemove);
    }
    while (!components_.empty()) {
        TComponent* c = components_.back();
        delete c;  // its destructor removes it from components_
    }
    if (owner_) {
        owner_->Notification(this, TOperation::opRemove);
        owner_->RemoveComponent(this);
    }
}

TComponent::~TComponent() {
    BeginDestroy();
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= (int)components_.size())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return components_[index];
}

TComponent* TComponent::FindComponent(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (auto* c : components_)
        if (strcasecmp(c->name_.c_str(), name.c_str()) == 0) return c;
    return nullptr;
}

static bool isIdent(const std::string& s) {
    if (s.empty()) return true;
    auto ok = [](unsigned char ch, bool first) {
        return ch == '_' || std::isalpha(ch) || (!first && std::isdigit(ch));
    };
    if (!ok(s[0], true)) return false;
    for (size_t i = 1; i < s.size(); ++i)
        if (!ok(s[i], false)) return false;
    return true;
}

void TComponent::SetName(const std::string& name) {
    if (name == name_) return;
    if (!isIdent(name)) throw EComponentError("'" + name + "' is not a valid component name");
    if (owner_ && !name.empty()) {
        TComponent* other = owner_->FindComponent(name);
        if (other && other != this)
            throw EComponentError("A component named " + name + " already exists");
    }
    name_ = name;
}

void TComponent::InsertComponent(TComponent* c) {
    if (c->owner_ == this) return;
    if (!c->name_.empty() && FindComponent(c->name_))
        throw EComponentError("A component named " + c->name_ + " already exists");
    if (c->owner_) c->owner_->RemoveComponent(c);
    c->owner_ = this;
    components_.push_back(c);
    Notification(c, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* c) {
    auto it = std::find(components_.begin(), components_.end(), c);
    if (it != components_.end()) {
        components_.erase(it);
        c->owner_ = nullptr;
    }
}

void TComponent::FreeNotification(TComponent* c) {
    if (!c || c == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), c) == freeNotifies_.end()) {
        freeNotifies_.push_back(c);
        c->FreeNotification(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* c) {
    auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), c);
    if (it != freeNotifies_.end()) {
        freeNotifies_.erase(it);
        c->RemoveFreeNotification(this);
    }
}

PLAT_PUBLISH(TComponent) {
    p.Prop("Name", &TComponent::Name, &TComponent::SetName);
    p.Prop("Tag", &TComponent::Tag);
}

}  // namespace plat
