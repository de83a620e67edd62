// Event handles: the object a handler belongs to, the member's identity and
// the callable. Two handles made from the same object and member compare
// equal, so callers can test "is this field's handler the date handler".
// An empty handle does nothing when called.
#pragma once
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <typeindex>
#include <typeinfo>

#include "platform/core/exceptions.h"

namespace plat {

// Identity of a member function (or of a free callable, by a unique number).
struct MemberId {
    const std::type_info* type = nullptr;
    unsigned char bytes[2 * sizeof(void*)] = {};

    template <class M>
    static MemberId Of(M member) {
        static_assert(sizeof(M) <= sizeof(bytes));
        MemberId id;
        id.type = &typeid(M);
        std::memcpy(id.bytes, &member, sizeof(M));
        return id;
    }
    static MemberId Unique() {
        static std::atomic<unsigned long> counter{0};
        MemberId id;
        id.type = &typeid(MemberId);
        unsigned long n = ++counter;
        std::memcpy(id.bytes, &n, sizeof n);
        return id;
    }
    bool operator==(const MemberId& o) const {
        return (type == o.type || (type && o.type && *type == *o.type)) &&
               std::memcmp(bytes, o.bytes, sizeof bytes) == 0;
    }
};

// Type-erased handle, as property-by-name reads and writes it.
class EventHandle {
  public:
    EventHandle() = default;
    EventHandle(const void* object, MemberId member, std::shared_ptr<void> fn, std::type_index sig)
        : object_(object), member_(member), fn_(std::move(fn)), sig_(sig) {}

    bool Assigned() const { return fn_ != nullptr; }
    explicit operator bool() const { return Assigned(); }
    const void* Object() const { return object_; }
    const MemberId& Member() const { return member_; }
    std::type_index Signature() const { return sig_; }
    const std::shared_ptr<void>& Callable() const { return fn_; }
    // Same object and member; two empty handles are equal.
    bool operator==(const EventHandle& o) const {
        if (!fn_ || !o.fn_) return !fn_ && !o.fn_;
        return object_ == o.object_ && member_ == o.member_;
    }

  private:
    const void* object_ = nullptr;
    MemberId member_;
    std::shared_ptr<void> fn_;
    std::type_index sig_ = typeid(void);
};

template <class... Args>
class Event {
  public:
    using Fn = std::function<void(Args...)>;

    Event() = default;
    Event(std::nullptr_t) {}
    // A member handler of an object.
    template <class T, class R>
    Event(T* object, R (T::*member)(Args...))
        : handle_(object, MemberId::Of(member), std::make_shared<Fn>([object, member](Args... a) {
                      (object->*member)(std::forward<Args>(a)...);
                  }),
                  typeid(Fn)) {}
    // A free callable; it is equal only to copies of itself.
    template <class F, class = std::enable_if_t<std::is_invocable_v<F&, Args...> &&
                                                !std::is_same_v<std::decay_t<F>, Event>>>
    Event(F f, const void* object = nullptr)
        : handle_(object, MemberId::Unique(), std::make_shared<Fn>(std::move(f)), typeid(Fn)) {}
    // From a type-erased handle; a handle of another signature raises.
    explicit Event(const EventHandle& h);

    bool Assigned() const { return handle_.Assigned(); }
    explicit operator bool() const { return Assigned(); }
    void operator()(Args... a) const {
        if (auto* f = static_cast<Fn*>(handle_.Callable().get())) (*f)(std::forward<Args>(a)...);
    }
    const EventHandle& Handle() const { return handle_; }
    bool operator==(const Event& o) const { return handle_ == o.handle_; }
    template <class T, class R>
    bool Is(T* object, R (T::*member)(Args...)) const {
        return Assigned() && handle_.Object() == object && handle_.Member() == MemberId::Of(member);
    }

  private:
    EventHandle handle_;
};

template <class... Args>
Event<Args...>::Event(const EventHandle& h) {
    if (h.Assigned() && h.Signature() != std::type_index(typeid(Fn)))
        throw EPropertyError("Event handler of another kind");
    handle_ = h;
}

}  // namespace plat
